// Tavrin's entry point: the application, its permanent windows, the message
// loop.
#include <windows.h>

#include "forms.h"
#include "main_form.h"
#include "playlist/window/playlist_form.h"
#include "skin/drop_source.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  InitializeDropSource();
  TApplication* application = Application();
  // The main window first: it becomes the application's main form, and a
  // second start ends inside its creation.
  auto* mainForm = new TTavrinMainForm(application);
  mainForm->FormCreate();
  Playlist = new TPlaylist(application, mainForm, nullptr);
  application->Run();
  FinalizeDropSource();
  return 0;
}
