// The General, Skins, Playlist and Visualization pages: their controls, with
// the texts, ranges and defaults they have as built, and their handlers.
#include "framework/up_down.h"
#include "skin/slider.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_list_box.h"
#include "unicode_controls/tnt_page_control.h"
#include "widgets/font_combo.h"
#include "windows/controls/window_controls.h"
#include "windows/options/options_form.h"
#include "windows/options/options_layout.h"

using namespace window_controls;
using namespace options_layout;

namespace {

TFontComboBox* NewFontBox(TComponent* Owner, TWinControl* Parent, const wchar_t* Name, int Left,
                          int Top, int Width) {
  auto* box = new TFontComboBox(Owner);
  box->SetParent(Parent);
  box->SetName(Name);
  // The settings' face is shown even when the system does not list it: the
  // font mapper draws it in a face it has, and saving the box keeps the
  // setting as it was instead of an empty name.
  box->SetOptions(TFontComboOptions{foWysiWyg, foDisableVerify});
  box->SetSorted(false);
  box->SetBounds(Left, Top, Width, kComboHeight);
  return box;
}

}  // namespace

TTntStringGrid* options_layout::NewFactsGrid(TComponent* Owner, TWinControl* Parent,
                                             const wchar_t* Name, int Left, int Top,
                                             int TitleWidth, int ValueWidth,
                                             std::initializer_list<const wchar_t*> Titles,
                                             int VisibleRows) {
  const auto rows = static_cast<int32_t>(Titles.size());
  const bool scrolls = VisibleRows > 0 && VisibleRows < rows;
  auto* grid = new TTntStringGrid(Owner);
  grid->SetParent(Parent);
  grid->SetName(Name);
  grid->SetTag(1);  // its titles are translated
  grid->SetColCount(2);
  grid->SetRowCount(rows);
  grid->SetFixedCols(0);
  grid->SetFixedRows(0);
  grid->SetDefaultRowHeight(kFactRowHeight);
  grid->SetColWidths(0, TitleWidth);
  grid->SetColWidths(1, ValueWidth);
  grid->SetScrollBars(scrolls ? ssVertical : ssNone);
  grid->SetOptions(goVertLine | goHorzLine);
  const int lines = grid->GridLineWidth();
  const int frame = 2 * GetSystemMetrics(SM_CXEDGE);
  grid->SetBounds(Left, Top,
                  TitleWidth + ValueWidth + 2 * lines + frame +
                      (scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0),
                  (scrolls ? VisibleRows : rows) * (kFactRowHeight + lines) + frame);
  int32_t row = 0;
  for (const wchar_t* title : Titles) grid->SetCells(0, row++, std::wstring(title));
  return grid;
}

void TOptions::CreateGeneralPage() {
  TWinControl* page = NewPage(this, OptControl, GeneralTabSheet, L"GeneralTabSheet", L"General");
  GeneralTabSheet->SetOnShow([this](TObject*) { GeneralTabSheetShow(); });

  TTntGroupBox* lang = NewGroupBox(this, page, L"LangGB", L"Language ", kMargin, kMargin,
                                   kFullWidth, 52);
  LangComboBox = NewComboBox(this, lang, L"LangComboBox", 12, 20, kFullWidth - 24, {}, -1);
  LangComboBox->SetOnChange([this](TObject*) { LangComboBoxChange(); });

  int top = kMargin + 52 + 10;
  AllowMultInstCB = NewCheckBox(this, page, L"AllowMultInstCB", L"Allow multiple instances",
                                kMargin + 4, top, kFullWidth - 4);
  AllowMultInstCB->SetHint(
      L"Turning on this option allows you to run several Tavrin instances simultaneously");
  MinToTrayCB = NewCheckBox(this, page, L"MinToTrayCB", L"Minimize to tray", kMargin + 4,
                            top + 22, kFullWidth - 4);
  MinToTrayCB->SetOnClick([this](TObject*) { MinToTrayCBClick(); });
  ShowTipsCB = NewCheckBox(this, page, L"ShowTipsCB", L"Display tooltips", kMargin + 4, top + 44,
                           kFullWidth - 4);
  ShowTipsCB->SetOnClick([this](TObject*) { ShowTipsCBClick(); });

  top += 44 + kCheckHeight + 12;
  TTntGroupBox* font = NewGroupBox(this, page, L"GlobalFontPanel", L"Application font override ",
                                   kMargin, top, kFullWidth, 80);
  GlobalFontComboBox = NewFontBox(this, font, L"GlobalFontComboBox", 12, 20, kFullWidth - 24);
  GlobalFontComboBox->SetEnabled(false);
  GlobalFontComboBox->SetOnChange([this](TObject*) { GlobalFontComboBoxChange(); });
  EnableGlobalFontCB = NewCheckBox(this, font, L"EnableGlobalFontCB", L"Enable", 12, 50,
                                   kFullWidth - 24);
  EnableGlobalFontCB->SetOnClick([this](TObject*) { EnableGlobalFontCBClick(); });
}

void TOptions::CreateSkinsPage() {
  TWinControl* page = NewPage(this, OptControl, SkinsTabSheet, L"SkinsTabSheet", L"Skins");
  SkinsTabSheet->SetOnShow([this](TObject*) { SkinsTabSheetShow(); });

  NewLabel(this, page, L"InstalledSkinsLabel", L"Installed skins:", kMargin, kMargin, kFullWidth);
  SkinListLB = new TTntListBox(this);
  SkinListLB->SetParent(page);
  SkinListLB->SetName(L"SkinListLB");
  SkinListLB->SetIntegralHeight(false);
  SkinListLB->SetBounds(kMargin, kMargin + kUnderLabel, kFullWidth, 104);
  SkinListLB->SetOnClick([this](TObject*) { SkinListLBClick(); });

  const int infoTop = kMargin + kUnderLabel + 104 + 10;
  NewLabel(this, page, L"SkinInfoLabel", L"Current skin info:", kMargin, infoTop, kFullWidth);
  AboutSkin = NewFactsGrid(this, page, L"AboutSkin", kMargin, infoTop + kUnderLabel, 121, 250,
                           {L"Name", L"Version", L"Author", L"E-mail", L"Homepage", L"Comment"});

  DeleteSkinBut = new TTntButton(this);
  DeleteSkinBut->SetParent(page);
  DeleteSkinBut->SetName(L"DeleteSkinBut");
  DeleteSkinBut->SetCaption(std::wstring(L"Delete skin"));
  DeleteSkinBut->SetBounds(kPageWidth - kMargin - 96, kPageHeight - kMargin - kButtonHeight, 96,
                           kButtonHeight);
  DeleteSkinBut->SetOnClick([this](TObject*) { DeleteSkinButClick(); });
}

void TOptions::CreatePlaylistPage() {
  TWinControl* page = NewPage(this, OptControl, PLTabSheet, L"PLTabSheet", L"Playlist");

  const int sizeLeft = kPageWidth - kMargin - 72;
  // The size's caption may be longer than its box: it grows to the left, over
  // the end of the font box.
  const int sizeLabelWidth = 100;
  NewLabel(this, page, L"PLFontLabel", L"Playlist item font", kMargin, kMargin,
           kPageWidth - kMargin - sizeLabelWidth - 2 * kMargin);
  PLFontComboBox = NewFontBox(this, page, L"PLFontComboBox", kMargin, kMargin + kUnderLabel,
                              sizeLeft - 2 * kMargin);
  PLFontComboBox->SetOnChange([this](TObject*) { PLFontComboBoxChange(); });
  NewLabel(this, page, L"PLFontSizeLabel", L"Font size", kPageWidth - kMargin - sizeLabelWidth,
           kMargin, sizeLabelWidth)
      ->SetAlignment(taRightJustify);
  PLFontSizeEdit = new TTntEdit(this);
  PLFontSizeEdit->SetParent(page);
  PLFontSizeEdit->SetName(L"PLFontSizeEdit");
  PLFontSizeEdit->SetReadOnly(true);
  PLFontSizeEdit->SetBounds(sizeLeft, kMargin + kUnderLabel, 56, kComboHeight);
  PLFontSize = new TUpDown(this);
  PLFontSize->SetParent(page);
  PLFontSize->SetName(L"PLFontSize");
  PLFontSize->SetMin(8);
  PLFontSize->SetMax(30);
  PLFontSize->SetPosition(8);
  PLFontSize->SetAssociate(PLFontSizeEdit);
  PLFontSizeEdit->SetText(std::wstring(L"8"));
  PLFontSizeEdit->SetOnChange([this](TObject*) { PLFontSizeEditChange(); });

  int top = kMargin + kUnderLabel + kComboHeight + 10;
  const struct {
    TTntCheckBox*& Box;
    const wchar_t* Name;
    const wchar_t* Caption;
  } boxes[] = {{UseSkinFontCB, L"UseSkinFontCB", L"Use skin font"},
               {PlaylistNumbersCB, L"PlaylistNumbersCB", L"Show item numbers"},
               {PlaylistDurCB, L"PlaylistDurCB", L"Show item durations"},
               {SmoothResizeCB, L"SmoothResizeCB", L"Show playlist contents while resizing"}};
  for (const auto& b : boxes) {
    b.Box = NewCheckBox(this, page, b.Name, b.Caption, kMargin + 4, top, kFullWidth - 4);
    top += 22;
  }
  UseSkinFontCB->SetOnClick([this](TObject*) { UseSkinFontCBClick(); });
  PlaylistNumbersCB->SetOnClick([this](TObject*) { PlaylistNumbersCBClick(); });
  PlaylistDurCB->SetOnClick([this](TObject*) { PlaylistDurCBClick(); });
  SmoothResizeCB->SetOnClick([this](TObject*) { SmoothResizeCBClick(); });

  top += 6;
  TTntGroupBox* advanced = NewGroupBox(this, page, L"PLAdvOptBox", L"Advanced options ", kMargin,
                                       top, kFullWidth, 20 + 5 * 22 + 4);
  const struct {
    TTntCheckBox*& Box;
    const wchar_t* Name;
    const wchar_t* Caption;
  } more[] = {
      {ManualPLAdvCB, L"ManualPLAdvCB", L"Manual playlist advance"},
      {SortPLOnLoadCB, L"SortPLOnLoadCB", L"When loading folders, sort playlist"},
      {RecurseSubDirsCB, L"RecurseSubDirsCB",
       L"Recurse subdirectories when adding a folder to playlist"},
      {PLClearCDCB, L"PLClearCDCB", L"Clear playlist before adding CD tracks"},
      {SaveCurrentPosCB, L"SaveCurrentPosCB", L"Save play position on closing"}};
  int inner = 20;
  for (const auto& b : more) {
    b.Box = NewCheckBox(this, advanced, b.Name, b.Caption, 12, inner, kFullWidth - 24);
    inner += 22;
  }
  ManualPLAdvCB->SetHint(L"When this option is enabled playback will halt after every track.");
  RecurseSubDirsCB->SetHint(
      L"Enables file searching in subdirectories when you add folders to the playlist");
}

void TOptions::CreateVisPage() {
  TWinControl* page = NewPage(this, OptControl, VisTabSheet, L"VisTabSheet", L"Visualization");

  VisKind = NewRadioGroup(this, page, L"VisKind", L"Visualization kind ", kMargin, kMargin,
                          kColumnWidth, 84,
                          {L"Spectrum analyzer", L"Oscilloscope", L"No visualization"}, 0);
  VisKind->SetOnClick([this](TObject*) { VisKindClick(); });
  ScopeStyle = NewRadioGroup(this, page, L"ScopeStyle", L"Drawing style ", kRightColumn, kMargin,
                             kColumnWidth, 84, {L"Line", L"Solid", L"Dots"}, 0);
  ScopeStyle->SetOnClick([this](TObject*) { ScopeStyleClick(); });

  const int top = kMargin + 84 + kMargin;
  SpecStyle = NewRadioGroup(this, page, L"SpecStyle", L"Band width ", kMargin, top, kColumnWidth,
                            64, {L"Thin", L"Thick"}, 0);
  SpecStyle->SetOnClick([this](TObject*) { SpecStyleClick(); });
  DrawPeaksCB = NewCheckBox(this, page, L"DrawPeaksCB", L"Draw peaks", kRightColumn + 4,
                            top + 10, kColumnWidth - 4);
  DrawPeaksCB->SetOnClick([this](TObject*) { DrawPeaksCBClick(); });

  // Each slider with its value beside it, the caption above the value.
  const int valueWidth = 44;
  const int sliderLeft = kMargin + valueWidth + kMargin;
  const int sliderWidth = kFullWidth - valueWidth - kMargin;
  int row = top + 64 + 14 + kUnderLabel;
  RefreshLabel = NewValueEdit(this, page, L"RefreshLabel", L"Visualization refresh rate:", L"12",
                              kMargin, row, valueWidth);
  RefreshRateSlider = NewSlider(this, page, L"RefreshRateSlider", sliderLeft, row + 2, sliderWidth,
                                1, 4, 1);
  RefreshRateSlider->SetOnChange([this](TObject*) { RefreshRateSliderChange(); });
  row += kComboHeight + 14 + kUnderLabel;
  OscSensLabel = NewValueEdit(this, page, L"OscSensLabel", L"Oscilloscope sensitivity:", L"10",
                              kMargin, row, valueWidth);
  ScopeSensSlider = NewSlider(this, page, L"ScopeSensSlider", sliderLeft, row + 2, sliderWidth,
                              10, 40, 10);
  ScopeSensSlider->SetOnChange([this](TObject*) { ScopeSensSliderChange(); });
}
