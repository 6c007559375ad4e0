// The font override on every window of the program that has one.
#include "app/main_form.h"
#include "localization/localization.h"
#include "windows/playlist/playlist_form.h"

namespace {

// The options window, first in the list, once it is part of the program;
// a missing window is skipped.
TComponent* OptionsWindowForFont() { return nullptr; }

}  // namespace

void TTavrinMainForm::ApplyGlobalFont(const std::string& FontName) {
  ::ApplyGlobalFont({OptionsWindowForFont(), this, Playlist}, FontName);
}
