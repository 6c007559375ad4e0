// The main window's language commands: a language file applied to every
// window that exists.
#include "app/main_form.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "windows/cd_extractor/cd_extractor.h"
#include "windows/equalizer/eq_form.h"
#include "windows/options/options_form.h"
#include "windows/playlist/playlist_form.h"

void TTavrinMainForm::LoadLanguage(const std::wstring& Name) {
  LanguageFile = AppDir + L"Lang\\" + Name + L".ini";
  LoadLanguageFile(LanguageFile);
  CurrentLanguage = Name;
}

void TTavrinMainForm::LoadLanguageFile(const std::wstring& FileName) {
  TranslateForms(FileName, {{Options, L"Options"}, {this, L"MainForm"}, {Playlist, L"Playlist"}, {EQ, L"Equalizer"},
                            {CDEx, L"CD Extractor"}});
  if (Playlist) Playlist->RestoreFindBoxTextExecute();
}
