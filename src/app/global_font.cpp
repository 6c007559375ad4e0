// The font override on every window of the program that has one.
#include "app/main_form.h"
#include "localization/localization.h"
#include "windows/about/about_form.h"
#include "windows/cd_extractor/cd_extractor.h"
#include "windows/effects/effects_form.h"
#include "windows/encoder/encoder_form.h"
#include "windows/equalizer/eq_form.h"
#include "windows/lyrics/lyrics_editor.h"
#include "windows/options/options_form.h"
#include "windows/playlist/playlist_form.h"

void TTavrinMainForm::ApplyGlobalFont(const std::string& FontName) {
  ::ApplyGlobalFont({Options, this, Playlist, EQ, CDEx, LyricsEditor, SEffects, About, EncoderForm}, FontName);
}
