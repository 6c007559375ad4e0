// Tavrin's entry point: the application, its permanent windows, the message
// loop.
#include <windows.h>

#include "app/main_form.h"
#include "framework/forms.h"
#include "shell/drop_source.h"
#include "windows/equalizer/eq_form.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/options/options_form.h"
#include "windows/playlist/playlist_form.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  InitializeDropSource();
  TApplication* application = Application();
  // The main window first: it becomes the application's main form, and a
  // second start ends inside its creation.
  auto* mainForm = new TTavrinMainForm(application);
  mainForm->FormCreate();
  // The settings' default shows icons in the menus.
  Playlist = new TPlaylist(application, mainForm, nullptr);
  new TOptions(application, mainForm->OptionsHost());
  new TEQ(application, mainForm->EQHost());
  new TLyricsEditor(application, mainForm->LyricsHost());
  mainForm->AttachOptions();
  application->Run();
  FinalizeDropSource();
  return 0;
}
