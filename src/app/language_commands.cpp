// The main window's language commands: a language file applied to every
// window that exists.
#include "app/main_form.h"
#include "app/skin_list.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "windows/about/about_form.h"
#include "windows/cd_extractor/cd_extractor.h"
#include "windows/effects/effects_form.h"
#include "windows/encoder/encoder_form.h"
#include "windows/equalizer/eq_form.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/options/options_form.h"
#include "windows/playlist/playlist_form.h"

void TTavrinMainForm::LoadLanguage(const std::wstring& Name) {
  // The name comes from the settings: anything but a plain file name in
  // Lang\ (a path, "..") falls back to English.
  if (!IsSkinFolderName(Name)) {
    LoadLanguage(L"English");
    return;
  }
  LanguageFile = AppDir + L"Lang\\" + Name + L".ini";
  LoadLanguageFile(LanguageFile);
  CurrentLanguage = Name;
}

void TTavrinMainForm::LoadLanguageFile(const std::wstring& FileName) {
  TranslateForms(FileName, {{Options, L"Options"}, {this, L"MainForm"}, {Playlist, L"Playlist"}, {EQ, L"Equalizer"},
                            {CDEx, L"CD Extractor"}, {LyricsEditor, L"Lyrics Editor"},
                            {SEffects, L"Sound Effects"}, {About, L"About"}, {EncoderForm, L"Encoder"}});
  if (Playlist) Playlist->RestoreFindBoxTextExecute();
}
