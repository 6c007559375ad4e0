#include "app/skin_loading.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "app/main_form.h"
#include "app/skin_list.h"
#include "engine/bass_player.h"
#include "foundation/tnt_string_list.h"
#include "foundation/tnt_sysutils.h"
#include "framework/bitmaps.h"
#include "framework/images.h"
#include "globals/program_globals.h"
#include "localization/localization.h"
#include "skin/form_title.h"
#include "skin/hue_shift.h"
#include "skin/image_but.h"
#include "skin/skin_description.h"
#include "skin/skin_toolkit.h"
#include "skin/slider.h"
#include "skin/vis_drawers.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_labels.h"
#include "windows/equalizer/eq_form.h"
#include "windows/equalizer/eq_skin.h"
#include "windows/playlist/play_list_box.h"
#include "windows/playlist/playlist_form.h"
#include "windows/playlist/playlist_skin.h"

namespace {

// Every file a skin folder must hold.
constexpr const wchar_t* kSkinFiles[] = {L"Skin.txt", L"Main.bmp", L"PL.bmp", L"EQ.bmp"};
constexpr TColor kMagenta = 0xFF00FF;
// A sheet file larger than this is no skin's; it is refused before it is read.
constexpr int64_t kMaxSheetBytes = 32 << 20;
// Fonts of one skin folder that are registered at most.
constexpr int32_t kMaxSkinFonts = 64;

TSkinOptions DefaultOptions;
TSkinOptions* CurrentOptions = &DefaultOptions;

std::optional<int32_t> HueWanted() {
  if (!SkinOptions().HueOn()) return std::nullopt;
  return SkinOptions().Hue();
}

// ------------------------------------------------------------------ sheets

// One cell of a sheet and the least size its control can use.
struct TCell {
  int32_t Row, Column;
  int32_t MinWidth, MinHeight;
};

// A cell of the main sheet and what becomes of it.
struct TMainCell {
  TCell Cell;
  void (*Apply)(TTavrinMainForm*, TBitmap*);
};

TCell CellOf(const TCell& Cell) { return Cell; }
TCell CellOf(const TMainCell& Main) { return Main.Cell; }
TCell CellOf(const TEQSheetCell& EQ) { return {EQ.Row, EQ.Column, EQ.MinWidth, EQ.MinHeight}; }

template <TImageBut* TTavrinMainForm::*Field>
void Button(TTavrinMainForm* Form, TBitmap* Cell) {
  SetButtonPicture(Form->*Field, Cell);
}

// The main sheet's cells in the order they are applied.
const TMainCell kMainCells[] = {
    {{1, 1, 1, 1},
     [](TTavrinMainForm* F, TBitmap* C) {
       F->Title->SetActiveImage(C);
       F->Title->SetHeight(C->Height());
     }},
    {{2, 1, 1, 1}, [](TTavrinMainForm* F, TBitmap* C) { F->Title->SetInactiveImage(C); }},
    {{3, 1, 1, 1},
     [](TTavrinMainForm* F, TBitmap* C) {
       F->BG->Picture()->Assign(C);
       F->BG->SetBounds(0, F->Title->Height(), C->Width(), C->Height());
       F->SetClientWidth(C->Width());
       F->SetClientHeight(C->Height() + F->Title->Height());
     }},
    {{5, 1, 1, 3}, &Button<&TTavrinMainForm::EQBut>},
    {{5, 2, 1, 3}, &Button<&TTavrinMainForm::PLBut>},
    {{5, 3, 1, 3}, &Button<&TTavrinMainForm::RepeatToggle>},
    {{5, 4, 1, 3}, &Button<&TTavrinMainForm::ShuffleToggle>},
    {{6, 2, 1, 1}, [](TTavrinMainForm* F, TBitmap* C) { F->SeekingBar->SetImageHRuler(C); }},
    {{6, 3, 1, 1}, [](TTavrinMainForm* F, TBitmap* C) { F->SeekingBar->SetImageHProgress(C); }},
    {{6, 5, 1, 1}, [](TTavrinMainForm* F, TBitmap* C) { F->VolumeBar->SetImageHRuler(C); }},
    {{6, 6, 1, 1}, [](TTavrinMainForm* F, TBitmap* C) { F->VolumeBar->SetImageHProgress(C); }},
    {{6, 4, 2, 1}, [](TTavrinMainForm* F, TBitmap* C) { F->SeekingBar->SetImageHThumb(C); }},
    {{6, 7, 2, 1},
     [](TTavrinMainForm* F, TBitmap* C) {
       TSlider* volume = F->VolumeBar;
       volume->SetImageHThumb(C);
       volume->SetImageVThumb(volume->ImageHThumb());
       volume->SetImageVRuler(volume->ImageHRuler());
       volume->SetImageVProgress(volume->ImageHProgress());
     }},
    {{6, 1, 3, 1},
     [](TTavrinMainForm* F, TBitmap* C) {
       F->StateControl->SetImage(C);
       F->StateControl->SetClientWidth(C->Width() / 3);
       F->StateControl->SetClientHeight(C->Height());
     }},
    {{7, 1, 12, 1}, [](TTavrinMainForm* F, TBitmap* C) { F->TimeLabel->SetGlyphs(C); }},
    {{4, 1, 1, 3}, &Button<&TTavrinMainForm::Rev>},
    {{4, 2, 1, 3}, &Button<&TTavrinMainForm::PlayBut>},
    {{4, 3, 1, 3}, &Button<&TTavrinMainForm::Pause>},
    {{4, 4, 1, 3}, &Button<&TTavrinMainForm::StopBut>},
    {{4, 5, 1, 3}, &Button<&TTavrinMainForm::Fwd>},
    {{4, 6, 1, 3}, &Button<&TTavrinMainForm::Open>},
    {{4, 7, 1, 3}, &Button<&TTavrinMainForm::AboutBut>},
    {{4, 10, 1, 4}, &Button<&TTavrinMainForm::MainMenuBut>},
    {{4, 9, 1, 4}, &Button<&TTavrinMainForm::MinimizeBut>},
    {{4, 8, 1, 4}, &Button<&TTavrinMainForm::CloseBut>},
};

// The playlist sheet's cells; the playlist window cuts and applies them
// itself, so here they are only checked.
const TCell kPlaylistCells[] = {
    {1, 1, 1, 1},  {2, 1, 1, 1}, {3, 1, 1, 1}, {4, 10, 1, 1}, {4, 11, 1, 1},
    {4, 12, 1, 4}, {4, 9, 1, 1}, {4, 6, 2, 1}, {4, 7, 1, 3},  {4, 8, 1, 3},
    {4, 1, 1, 3},  {4, 2, 1, 3}, {4, 3, 1, 3}, {4, 4, 1, 3},  {4, 5, 1, 3},
};

std::wstring SheetName(const std::wstring& SkinName, const wchar_t* File) {
  return SkinName == DefaultSkinName ? std::wstring(File) : SkinFolder(SkinName) + File;
}

void LoadSheet(const std::wstring& SkinName, const wchar_t* Resource, const wchar_t* File,
               TBitmap* Sheet) {
  try {
    if (SkinName == DefaultSkinName) {
      LoadGraphicFromResource(Resource, Sheet);
    } else {
      const std::wstring name = SkinFolder(SkinName) + File;
      WIN32_FILE_ATTRIBUTE_DATA data{};
      if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data))
        throw ESkinError(L"The sheet \"" + name + L"\" cannot be read.");
      const int64_t size = (int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
      if (size > kMaxSheetBytes) throw ESkinError(L"The sheet \"" + name + L"\" is too large.");
      Sheet->LoadFromFile(name);
    }
  } catch (const ESkinError&) {
    throw;
  } catch (const std::exception&) {
    throw ESkinError(L"The sheet \"" + SheetName(SkinName, File) + L"\" cannot be read.");
  }
  if (Sheet->Empty()) throw ESkinError(L"The sheet \"" + SheetName(SkinName, File) + L"\" is empty.");
  if (const std::optional<int32_t> hue = HueWanted()) ShiftBitmapHue(Sheet, *hue);
}

// Every cell of the table, cut before anything is applied; ESkinError names
// the first one missing or too small.
template <typename Cells>
std::vector<TBitmap> CutCells(TBitmap* Sheet, const Cells& Table, const wchar_t* File) {
  std::vector<TBitmap> cut(std::size(Table));
  for (size_t i = 0; i < cut.size(); ++i) {
    const TCell use = CellOf(Table[i]);
    if (!ExtractSkinCell(Sheet, &cut[i], use.Row, use.Column) || cut[i].Width() < use.MinWidth ||
        cut[i].Height() < use.MinHeight)
      throw ESkinError(std::wstring(File) + L" lacks its cell " + std::to_wstring(use.Row) + L"," +
                       std::to_wstring(use.Column) + L".");
  }
  return cut;
}

// ------------------------------------------------------------ description

void ApplyFont(TControl* Control, const TCoolIni& Ini, const wchar_t* Key,
               const std::wstring& DefaultName, int32_t DefaultSize) {
  Control->Font()->SetName(WideToAnsi(Ini.ReadString(L"FontNames", Key, DefaultName)));
  Control->Font()->SetSize(Ini.ReadInteger(L"FontSizes", Key, DefaultSize));
}

// The options' font override outlasts every skin load (a new hue, the start):
// the lines the skin gives a face take the override's, at the skin's sizes.
void KeepFontOverride(TTavrinMainForm* Form) {
  const std::string face = SkinOptions().OverrideFontName();
  if (face.empty()) return;
  Form->SongInfoLabel->Font()->SetName(face);
  Form->BitRateLabel->Font()->SetName(face);
  if (Playlist) Playlist->FindBox->Font()->SetName(face);
}

void ApplyMainColors(TTavrinMainForm* Form, const TCoolIni& Ini) {
  Form->SongInfoLabel->Font()->SetColor(Ini.ReadColor(L"SongLabel", 0xFFFF));
  Form->BitRateLabel->Font()->SetColor(Ini.ReadColor(L"RateLabel", 0xFFFF));
  if (SpectrumVis) {
    SpectrumVis->GradientTop = Ini.ReadRGB(L"Colors", L"VisLineStart");
    SpectrumVis->GradientBottom = Ini.ReadRGB(L"Colors", L"VisLineEnd");
    SpectrumVis->PeakColor = Ini.ReadColor(L"VisPeak", 0xFFFF);
  }
  if (ScopeVis) ScopeVis->LineColor = Ini.ReadColor(L"VisPolyline", 0xFFFF);
}

// The rows and the playing entry take the skin's font, when the user wants it.
void ApplyPlaylistFont(const TCoolIni& Ini) {
  if (!Playlist || !SkinOptions().UseSkinFont()) return;
  const std::wstring name = Ini.ReadString(L"FontNames", L"PL", SkinOptions().PlaylistFontName());
  if (name.empty()) return;
  TPlayListBox* list = Playlist->FileList;
  list->ItemFont()->SetName(WideToAnsi(name));
  list->SelectedItemFont()->SetName(list->ItemFont()->Name());
  list->Invalidate();
}

void ApplyMainPlaces(TTavrinMainForm* Form, const TCoolIni& Ini) {
  const std::wstring flags = L"MWFlags";
  Form->Title->SetVisible(Ini.ReadBool(flags, L"MWTitle", true));
  // The bar is made first, which puts its window over the buttons that stand
  // on it.
  for (TImageBut* button : {Form->MainMenuBut, Form->MinimizeBut, Form->CloseBut})
    button->BringToFront();
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

void ReadSkinInfo(const TCoolIni& Ini) {
  const wchar_t* keys[] = {L"Name", L"Version", L"Author", L"Email", L"Homepage", L"Comment"};
  std::vector<std::wstring> info;
  for (const wchar_t* key : keys) info.push_back(Ini.ReadString(L"SkinInfo", key, L""));
  SkinListModel().SetSkinInfo(info);
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
  // The painters take this skin's display area whole.
  if (SpectrumVis) {
    SpectrumVis->SetSize(box->Width(), box->Height());
    SpectrumVis->MaxHeight = box->Height();
    SpectrumVis->SetBackground(true, VisBackground);
  }
  if (ScopeVis) {
    ScopeVis->SetSize(box->Width(), box->Height());
    ScopeVis->SetBackground(true, VisBackground);
  }
}

// ---------------------------------------------------------------- outlines

// The window's outline as its pieces are drawn now: every magenta pixel of
// its frame bars and of Background (a picture at BackgroundTop) is outside.
// The other controls lie inside whatever the pieces leave.
void ShapeWindow(TWinControl* Form, bool Shaped, TBitmap* Background, int32_t BackgroundTop) {
  if (!Form->HandleAllocated()) Form->HandleNeeded();
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
  if (Background && !Background->Empty())
    CopySkinPiece(dc, 0, BackgroundTop, Background->Width(), Background->Height(), Background, 0, 0);
  for (int32_t i = 0; i < Form->ControlCount(); ++i) {
    auto* bar = dynamic_cast<TFormTitle*>(Form->Controls(i));
    if (!bar || !bar->Visible() || !bar->HandleAllocated()) continue;
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, bar->Left(), bar->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, bar->Width(), bar->Height());
    // A paint message with a DC draws into it and leaves the screen alone.
    SendMessageW(bar->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
  HRGN region = CreateRegionFromBitmap(&image, kMagenta);
  if (region && SetWindowRgn(Form->Handle(), region, TRUE) == 0) DeleteObject(region);
}

// Every child too: a window's own invalidation leaves its child windows
// (the title bar among them) showing the old skin.
void RepaintWhole(TWinControl* Window) {
  if (Window->HandleAllocated())
    RedrawWindow(Window->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// While a skin is applied nothing of a window is painted: every control
// changes picture, size and place, and each change would repaint on its own.
class TFreezePainting {
 public:
  explicit TFreezePainting(TWinControl* Window)
      : FWindow(Window && Window->HandleAllocated() && IsWindowVisible(Window->Handle())
                    ? Window->Handle()
                    : nullptr) {
    if (FWindow) SendMessageW(FWindow, WM_SETREDRAW, FALSE, 0);
  }
  ~TFreezePainting() {
    if (!FWindow) return;
    SendMessageW(FWindow, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(FWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  TFreezePainting(const TFreezePainting&) = delete;
  TFreezePainting& operator=(const TFreezePainting&) = delete;

 private:
  HWND FWindow;
};

}  // namespace

// ---------------------------------------------------------------------------

TSkinOptions& SkinOptions() { return *CurrentOptions; }

void SetSkinOptions(TSkinOptions* Source) { CurrentOptions = Source ? Source : &DefaultOptions; }

std::wstring SkinFolder(const std::wstring& SkinName) {
  return AppDir + L"Skins\\" + SkinName + L"\\";
}

HWND SkinMessageOwner(TObject* Sender) {
  auto* window = dynamic_cast<TWinControl*>(Sender);
  if (window && window->HandleAllocated()) return window->Handle();
  return TavrinMainForm ? TavrinMainForm->Handle() : nullptr;
}

bool SkinCheckExecute(const std::wstring& SkinName, TObject* Sender) {
  if (SkinName == DefaultSkinName) return true;
  if (!IsSkinFolderName(SkinName)) return false;
  const std::wstring folder = SkinFolder(SkinName);
  if (!WideDirectoryExists(folder)) return false;
  for (const wchar_t* file : kSkinFiles) {
    if (!WideFileExists(folder + file)) {
      LocalizedMessageBox(SkinMessageOwner(Sender), L"SkinIsNotValid", {}, MB_ICONERROR, L"Error");
      return false;
    }
  }
  return true;
}

void LoadNewSkin(const std::wstring& SkinName, TObject* Sender) {
  if (!Sender || !TavrinMainForm) return;
  if (SkinName != DefaultSkinName && !IsSkinFolderName(SkinName))
    throw ESkinError(L"\"" + SkinName + L"\" names no skin.");
  TBitmap mainSheet;
  LoadSheet(SkinName, L"MAIN", L"Main.bmp", &mainSheet);
  std::vector<TBitmap> mainCells = CutCells(&mainSheet, kMainCells, L"Main.bmp");
  TBitmap playlistSheet;
  if (Playlist) {
    LoadSheet(SkinName, L"PL", L"PL.bmp", &playlistSheet);
    CutCells(&playlistSheet, kPlaylistCells, L"PL.bmp");
  }
  TBitmap eqSheet;
  if (EQ) {
    LoadSheet(SkinName, L"EQ", L"EQ.bmp", &eqSheet);
    CutCells(&eqSheet, EQSheetCells, L"EQ.bmp");
  }
  // The windows are painted once, whole, when the skin is in place.
  const TFreezePainting freezeMain(TavrinMainForm);
  const TFreezePainting freezePlaylist(Playlist);
  const TFreezePainting freezeEQ(EQ);
  for (size_t i = 0; i < mainCells.size(); ++i) kMainCells[i].Apply(TavrinMainForm, &mainCells[i]);
  if (Playlist) ApplyPlaylistSheet(Playlist, &playlistSheet);
  if (EQ) ApplyEQSheet(EQ, &eqSheet);
  LoadSkinOpt(SkinFolder(SkinName), SkinName == DefaultSkinName, Sender);
  CurrentSkin = SkinName;
  // Whoever loaded it (the options' list, a reload for the hue, a deletion),
  // the menu and the list name the skin in use.
  ShowCurrentSkin();
}

bool LoadSkinOrDefault(const std::wstring& SkinName, TObject* Sender) {
  std::wstring reason;
  try {
    LoadNewSkin(SkinName, Sender);
    return true;
  } catch (const ESkinError& Error) {
    if (SkinName == DefaultSkinName) throw;
    reason = Error.Message();
  }
  // The user is told what is wrong with it: its files are all there.
  LocalizedMessageBox(SkinMessageOwner(Sender), L"SkinCannotBeUsed", {reason}, MB_ICONERROR,
                      L"Error");
  LoadNewSkin(DefaultSkinName, Sender);
  return false;
}

void LoadSkinOpt(const std::wstring& Folder, bool BuiltIn, TObject* Sender) {
  TTavrinMainForm* form = TavrinMainForm;
  if (!form) return;
  const TSkinDescription description(Folder, BuiltIn, HueWanted());
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
    RegisterSkinFonts(Folder, Sender);
  }
  ApplyPlaylistFont(ini);
  ApplyFont(form->SongInfoLabel, ini, L"SongLabel", L"Tahoma", 8);
  ApplyFont(form->BitRateLabel, ini, L"RateLabel", L"Tahoma", 7);
  ApplyMainPlaces(form, ini);
  if (Playlist) ApplyPlaylistSkinOptions(Playlist, ini, Folder, form->Width(), form->Height());
  KeepFontOverride(form);
  ReadSkinInfo(ini);
  CutVisBackground(form);
  ShapeWindow(form, ini.ReadBool(L"MWFlags", L"CalculateRegion", false),
              form->BG->Picture()->Bitmap(), form->BG->Top());
  if (EQ) {
    ApplyEQSkinOptions(EQ, ini);
    ShapeWindow(EQ, ini.ReadBool(L"EQFlags", L"CalculateRegion", false),
                EQ->EQBG->Picture()->Bitmap(), EQ->EQBG->Top());
    form->EQPosExecute();
    RepaintWhole(EQ);
  }
  if (Playlist) {
    ShapeWindow(Playlist, !ini.ReadBool(L"PLFlags", L"PLResizable", true), nullptr, 0);
    form->PlaylistPosExecute();
    RepaintWhole(Playlist);
  }
  RepaintWhole(form);
}

void RegisterSkinFonts(const std::wstring& Folder, TObject*) {
  TTntStringList* fonts = TavrinMainForm ? TavrinMainForm->SkinFontFiles() : nullptr;
  if (!fonts || Folder.empty()) return;
  TSearchRecW found;
  // Read-only, hidden, system and archived files; no folders.
  const uint32_t files = 0x27;
  if (WideFindFirst(Folder + L"*.ttf", files, found) == 0) {
    do {
      if ((found.Attr & FILE_ATTRIBUTE_DIRECTORY) == 0 && fonts->Count() < kMaxSkinFonts)
        fonts->Add(Folder + found.Name);
    } while (WideFindNext(found) == 0);
  }
  WideFindClose(found);
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

bool SkinFontsIn(const std::wstring& Folder) {
  TTntStringList* fonts = TavrinMainForm ? TavrinMainForm->SkinFontFiles() : nullptr;
  if (!fonts) return false;
  for (int32_t i = 0; i < fonts->Count(); ++i) {
    const std::wstring& file = fonts->Strings(i);
    if (file.size() > Folder.size() &&
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, file.c_str(),
                       static_cast<int>(Folder.size()), Folder.c_str(),
                       static_cast<int>(Folder.size())) == CSTR_EQUAL)
      return true;
  }
  return false;
}
