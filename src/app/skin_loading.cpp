#include "skin_loading.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "app_globals.h"
#include "bitmaps.h"
#include "engine/bass_player.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_sysutils.h"
#include "images.h"
#include "localization.h"
#include "main_form.h"
#include "playlist/window/playlist_form.h"
#include "playlist/window/playlist_skin.h"
#include "skin/form_title.h"
#include "skin/hue_shift.h"
#include "skin/image_but.h"
#include "skin/skin_description.h"
#include "skin/skin_toolkit.h"
#include "skin/slider.h"
#include "skin/vis_drawers.h"
#include "unicode_controls/tnt_labels.h"

namespace {

// Every file a skin folder must hold.
constexpr const wchar_t* kSkinFiles[] = {L"Skin.txt", L"Main.bmp", L"PL.bmp", L"EQ.bmp"};
constexpr TColor kMagenta = 0xFF00FF;

std::wstring SkinFolder(const std::wstring& SkinName) {
  return AppDir + L"Skins\\" + SkinName + L"\\";
}

// A button's picture: the button takes one frame's size.
void SetButtonPicture(TImageBut* Button, TBitmap* Picture) {
  Button->SetBut(Picture);
  Button->SetBounds(Button->Left(), Button->Top(), Picture->Width(),
                    Picture->Height() / std::max<int>(Button->NumStates(), 1));
}

void LoadSheet(const std::wstring& SkinName, const wchar_t* Resource, const wchar_t* File,
               TBitmap* Sheet) {
  if (SkinName == DefaultSkinName)
    LoadGraphicFromResource(Resource, Sheet);
  else
    Sheet->LoadFromFile(SkinFolder(SkinName) + File);
}

TColor ReadColor(const TCoolIni& Ini, const wchar_t* Key, TColor Missing) {
  return static_cast<TColor>(Ini.ReadInteger(L"Colors", Key, static_cast<int32_t>(Missing)));
}

void ApplyFont(TControl* Control, const TCoolIni& Ini, const wchar_t* Key,
               const std::wstring& DefaultName, int32_t DefaultSize) {
  Control->Font()->SetName(WideToAnsi(Ini.ReadString(L"FontNames", Key, DefaultName)));
  Control->Font()->SetSize(Ini.ReadInteger(L"FontSizes", Key, DefaultSize));
}

void ApplyMainColors(TTavrinMainForm* Form, const TCoolIni& Ini) {
  Form->SongInfoLabel->Font()->SetColor(ReadColor(Ini, L"SongLabel", 0xFFFF));
  Form->BitRateLabel->Font()->SetColor(ReadColor(Ini, L"RateLabel", 0xFFFF));
  if (SpectrumVis) {
    SpectrumVis->GradientTop = Ini.ReadRGB(L"Colors", L"VisLineStart");
    SpectrumVis->GradientBottom = Ini.ReadRGB(L"Colors", L"VisLineEnd");
    SpectrumVis->PeakColor = ReadColor(Ini, L"VisPeak", 0xFFFF);
  }
  if (ScopeVis) ScopeVis->LineColor = ReadColor(Ini, L"VisPolyline", 0xFFFF);
}

void ApplyMainPlaces(TTavrinMainForm* Form, const TCoolIni& Ini) {
  const std::wstring flags = L"MWFlags";
  Form->Title->SetVisible(Ini.ReadBool(flags, L"MWTitle", true));
  Form->VolumeBar->SetOrientation(Ini.ReadBool(flags, L"VerticalVolumeBar", false) ? soVertical
                                                                                   : soHorizontal);
  const std::pair<const wchar_t*, TControl*> places[] = {
      {L"MenuBut", Form->MainMenuBut},   {L"MinimizeBut", Form->MinimizeBut},
      {L"CloseBut", Form->CloseBut},     {L"EQToggle", Form->EQBut},
      {L"PLToggle", Form->PLBut},        {L"ShuffleToggle", Form->ShuffleToggle},
      {L"RepeatToggle", Form->RepeatToggle}, {L"RewindBut", Form->Rev},
      {L"PlayBut", Form->PlayBut},       {L"PauseBut", Form->Pause},
      {L"StopBut", Form->StopBut},       {L"ForwardBut", Form->Fwd},
      {L"OpenBut", Form->Open},          {L"AboutBut", Form->AboutBut},
      {L"SongLabel", Form->SongInfoLabel}, {L"TimeLabel", Form->TimeLabel},
      {L"PlayState", Form->StateControl},  {L"RateLabel", Form->BitRateLabel},
      {L"VisWindow", Form->PaintBox},    {L"VolumeBar", Form->VolumeBar},
      {L"SeekingBar", Form->SeekingBar}};
  for (const auto& [key, control] : places)
    SetControlPos(control, Ini.ReadPoint(L"MWPositions", key));

  const std::wstring sizes = L"MWSizes";
  SetControlClientSize(Form->SongInfoLabel, Ini.ReadPoint(sizes, L"SongLabel"));
  Form->TimeLabel->SetAlignment(static_cast<uint8_t>(Ini.ReadInteger(sizes, L"TimeLabelAlign", 1)));
  SetControlClientSize(Form->TimeLabel, Ini.ReadPoint(sizes, L"TimeLabel"));
  SetControlClientSize(Form->BitRateLabel, Ini.ReadPoint(sizes, L"RateLabel"));
  SetControlClientSize(Form->PaintBox, Ini.ReadPoint(sizes, L"VisWindow"));
  TSlider* volume = Form->VolumeBar;
  const int32_t volumeLength = Ini.ReadInteger(sizes, L"VolumeBar", 100);
  if (volume->Orientation() == soHorizontal)
    volume->SetBounds(volume->Left(), volume->Top(), volumeLength, volume->ImageHRuler()->Height());
  else
    volume->SetBounds(volume->Left(), volume->Top(), volume->ImageVRuler()->Width(), volumeLength);
  TSlider* seek = Form->SeekingBar;
  seek->SetBounds(seek->Left(), seek->Top(), Ini.ReadInteger(sizes, L"SeekingBar", 100),
                  seek->ImageHRuler()->Height());
}

// The visualisation draws over the part of the background under it.
void CutVisBackground(TTavrinMainForm* Form) {
  if (!VisBackground) return;
  TPaintBox* box = Form->PaintBox;
  VisBackground->SetSize(box->Width(), box->Height());
  TBitmap* background = Form->BG->Picture()->Bitmap();
  if (background && !background->Empty())
    CopySkinPiece(VisBackground->Canvas()->Handle(), 0, 0, box->Width(), box->Height(), background,
                  box->Left(), box->Top() - Form->BG->Top());
  if (SpectrumVis) SpectrumVis->SetBackground(true, VisBackground);
  if (ScopeVis) ScopeVis->SetBackground(true, VisBackground);
}

// The window's outline: every magenta pixel of its pictures is cut away.
void ShapeWindow(TTavrinMainForm* Form, bool Shaped) {
  if (!Shaped) {
    SetWindowRgn(Form->Handle(), nullptr, TRUE);
    return;
  }
  TBitmap image;
  image.SetPixelFormat(pf24bit);
  image.SetSize(Form->ClientWidth(), Form->ClientHeight());
  HDC dc = image.Canvas()->Handle();
  const RECT all{0, 0, Form->ClientWidth(), Form->ClientHeight()};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  int32_t top = 0;
  if (Form->Title->Visible() && Form->Title->ActiveImage()) {
    TBitmap* title = Form->Title->ActiveImage();
    CopySkinPiece(dc, 0, 0, title->Width(), title->Height(), title, 0, 0);
    top = Form->Title->Height();
  }
  TBitmap* background = Form->BG->Picture()->Bitmap();
  CopySkinPiece(dc, 0, top, background->Width(), background->Height(), background, 0, 0);
  HRGN region = CreateRegionFromBitmap(&image, kMagenta);
  if (region && SetWindowRgn(Form->Handle(), region, TRUE) == 0) DeleteObject(region);
}

}  // namespace

bool SkinCheckExecute(const std::wstring& SkinName) {
  if (SkinName == DefaultSkinName) return true;
  // A name that would leave the skins folder is no skin.
  if (SkinName.empty() || SkinName.find_first_of(L"\\/:") != std::wstring::npos ||
      SkinName == L"." || SkinName == L"..")
    return false;
  const std::wstring folder = SkinFolder(SkinName);
  if (!WideDirectoryExists(folder)) return false;
  for (const wchar_t* file : kSkinFiles) {
    if (!WideFileExists(folder + file)) {
      LocalizedMessageBox(TavrinMainForm ? TavrinMainForm->Handle() : nullptr, L"SkinIsNotValid",
                          {}, MB_ICONERROR, L"Error");
      return false;
    }
  }
  return true;
}

bool ApplyMainSheet(TTavrinMainForm* Form, TBitmap* Sheet) {
  TBitmap cell;
  bool complete = true;
  auto cut = [&](int32_t Row, int32_t Column) {
    const bool ok = ExtractSkinCell(Sheet, &cell, Row, Column);
    complete = complete && ok;
    return ok;
  };
  if (cut(1, 1)) {
    Form->Title->SetActiveImage(&cell);
    Form->Title->SetHeight(cell.Height());
  }
  if (cut(2, 1)) Form->Title->SetInactiveImage(&cell);
  if (cut(3, 1)) {
    Form->BG->Picture()->Assign(&cell);
    Form->BG->SetBounds(0, Form->Title->Height(), cell.Width(), cell.Height());
    Form->SetClientWidth(cell.Width());
    Form->SetClientHeight(cell.Height() + Form->Title->Height());
  }
  const std::pair<TImageBut*, int32_t> toggles[] = {
      {Form->EQBut, 1}, {Form->PLBut, 2}, {Form->RepeatToggle, 3}, {Form->ShuffleToggle, 4}};
  for (const auto& [button, column] : toggles)
    if (cut(5, column)) SetButtonPicture(button, &cell);
  if (cut(6, 2)) Form->SeekingBar->SetImageHRuler(&cell);
  if (cut(6, 3)) Form->SeekingBar->SetImageHProgress(&cell);
  if (cut(6, 5)) Form->VolumeBar->SetImageHRuler(&cell);
  if (cut(6, 6)) Form->VolumeBar->SetImageHProgress(&cell);
  if (cut(6, 4)) Form->SeekingBar->SetImageHThumb(&cell);
  if (cut(6, 7)) {
    TSlider* volume = Form->VolumeBar;
    volume->SetImageHThumb(&cell);
    volume->SetImageVThumb(volume->ImageHThumb());
    volume->SetImageVRuler(volume->ImageHRuler());
    volume->SetImageVProgress(volume->ImageHProgress());
  }
  if (cut(6, 1)) {
    Form->StateControl->SetImage(&cell);
    Form->StateControl->SetClientWidth(cell.Width() / 3);
    Form->StateControl->SetClientHeight(cell.Height());
  }
  if (cut(7, 1)) Form->TimeLabel->SetGlyphs(&cell);
  TImageBut* transport[] = {Form->Rev, Form->PlayBut, Form->Pause, Form->StopBut,
                            Form->Fwd, Form->Open, Form->AboutBut};
  for (int32_t i = 0; i < 7; ++i)
    if (cut(4, i + 1)) SetButtonPicture(transport[i], &cell);
  const std::pair<TImageBut*, int32_t> corner[] = {
      {Form->MainMenuBut, 10}, {Form->MinimizeBut, 9}, {Form->CloseBut, 8}};
  for (const auto& [button, column] : corner)
    if (cut(4, column)) SetButtonPicture(button, &cell);
  return complete;
}

void LoadNewSkin(const std::wstring& SkinName, TObject* Sender) {
  if (!Sender || !TavrinMainForm) return;
  const bool builtIn = SkinName == DefaultSkinName;
  // Both sheets are read before anything changes, so a skin that cannot be
  // read leaves the windows whole.
  TBitmap mainSheet;
  TBitmap playlistSheet;
  LoadSheet(SkinName, L"MAIN", L"Main.bmp", &mainSheet);
  LoadSheet(SkinName, L"PL", L"PL.bmp", &playlistSheet);
  const bool mainComplete = ApplyMainSheet(TavrinMainForm, &mainSheet);
  const bool playlistComplete = !Playlist || ApplyPlaylistSheet(Playlist, &playlistSheet);
  LoadSkinOpt(builtIn ? std::wstring() : SkinFolder(SkinName), builtIn, Sender);
  CurrentSkin = SkinName;
  if (!mainComplete || !playlistComplete)
    throw Exception(L"The skin \"" + SkinName + L"\" lacks pictures in its sheets.");
}

void LoadSkinOpt(const std::wstring& Folder, bool BuiltIn, TObject*) {
  TTavrinMainForm* form = TavrinMainForm;
  TSkinDescription description(Folder, BuiltIn);
  const TCoolIni& ini = description.Ini();
  if (AudioPlayer) {
    switch (AudioPlayer->PlayerMode()) {
      case pmStopped: form->StateControl->SetPlayState(psStop); break;
      case pmPlaying: form->StateControl->SetPlayState(psPlay); break;
      case pmPaused: form->StateControl->SetPlayState(psPause); break;
      default: break;
    }
  }
  ApplyMainColors(form, ini);
  if (ini.ReadBool(L"GlobalFlags", L"FindAndRegisterFonts", false)) {
    UnregisterSkinFonts();
    RegisterSkinFonts(Folder);
  }
  ApplyFont(form->SongInfoLabel, ini, L"SongLabel", L"Tahoma", 8);
  ApplyFont(form->BitRateLabel, ini, L"RateLabel", L"Tahoma", 7);
  ApplyMainPlaces(form, ini);
  if (Playlist) ApplyPlaylistSkinOptions(Playlist, ini, Folder, form->Width(), form->Height());
  CutVisBackground(form);
  ShapeWindow(form, ini.ReadBool(L"MWFlags", L"CalculateRegion", false));
  form->Invalidate();
}

void RegisterSkinFonts(const std::wstring& Folder) {
  TTntStringList* fonts = TavrinMainForm ? TavrinMainForm->SkinFontFiles() : nullptr;
  if (!fonts || Folder.empty()) return;
  TSearchRecW found;
  // Read-only, hidden, system and archived files; no folders.
  const uint32_t files = 0x27;
  if (WideFindFirst(Folder + L"*.ttf", files, found) == 0) {
    do {
      if ((found.Attr & FILE_ATTRIBUTE_DIRECTORY) == 0) fonts->Add(Folder + found.Name);
    } while (WideFindNext(found) == 0);
  }
  WideFindClose(found);
  // Private to this program: no other program is asked to look at them.
  for (int32_t i = 0; i < fonts->Count(); ++i)
    AddFontResourceExW(fonts->Strings(i).c_str(), FR_PRIVATE, nullptr);
}

void UnregisterSkinFonts() {
  TTntStringList* fonts = TavrinMainForm ? TavrinMainForm->SkinFontFiles() : nullptr;
  if (!fonts || fonts->Count() == 0) return;
  for (int32_t i = 0; i < fonts->Count(); ++i)
    RemoveFontResourceExW(fonts->Strings(i).c_str(), FR_PRIVATE, nullptr);
  fonts->Clear();
}
