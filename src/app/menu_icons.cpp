// The main window's menu icons: MMenuIcons, filled from the program's icon
// resources, drawn in the gutter of the main and repeat menus.
#include <array>

#include "app/main_form.h"
#include "foundation/tnt_system.h"
#include "framework/bitmaps.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "skin/skin_resources.h"
#include "unicode_controls/tnt_menus.h"

namespace {

// The resource names of the menu icons, in image-list order.
constexpr std::array<const wchar_t*, 16> IconNames = {
    L"OPTIONS", L"TEXT", L"PLAYLIST", L"EQ",   L"EFFECTS", L"EXTRACT", L"PLAY", L"ABOUT",
    L"EXIT",    L"SKIN", L"FOLDER",   L"FILE", L"CD",      L"DEL",     L"INFO", L"URL"};

struct TMenuImage {
  const wchar_t* Item;
  int32_t ImageIndex;
};
constexpr TMenuImage kMainMenuImages[] = {
    {L"PreferencesMI", 0},     {L"ToggleTextEditorMI", 1},     {L"TogglePlaylistMI", 2},
    {L"ToggleEqualizerMI", 3}, {L"ToggleSpecialEffectsMI", 4}, {L"CDExtractorMI", 5},
    {L"PlayMI", 6},            {L"AboutTavrinMI", 7},          {L"ExitMI", 8},
    {L"SkinsMI", 9},           {L"PlayDirectoryMI", 10},       {L"PlayFileMI", 11},
    {L"PlayCDMI", 12},         {L"PlayURLMI", 15}};

}  // namespace

void TTavrinMainForm::AssignMenuImages() {
  // Both menus draw through the list from the start: with it empty they keep
  // the same gutter, so the captions stand where they stand with icons.
  MainMenu->SetImages(MMenuIcons);
  RepeatMenu->SetImages(MMenuIcons);
  for (const TMenuImage& image : kMainMenuImages) {
    if (auto* item = dynamic_cast<TMenuItem*>(FindComponent(image.Item)))
      item->SetImageIndex(image.ImageIndex);
  }
}

void TTavrinMainForm::LoadMenuIcons() {
  // Windows 2000's menus draw no 32-bit icons with alpha.
  if (!Win32PlatformIsXP) return;
  // Emptied first: the options may load them again at any time.
  MMenuIcons->Clear();
  MakeImageList32Bit(MMenuIcons);
  for (const wchar_t* name : IconNames) {
    TIcon icon;
    LoadIconFromResource(name, &icon);
    MMenuIcons->AddIcon(&icon);
  }
}

void TTavrinMainForm::ClearMenuIcons() { MMenuIcons->Clear(); }
