// The ID3 window's controls: the file name across the top, then three
// columns — the ID3v1 group, the ID3v2 group and the MPEG header grid. The
// fields both tags have stand on the same rows, and every button stands on
// one line along the bottom.
#include <windows.h>

#include <functional>
#include <string>

#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "windows/tags/id3_info.h"

namespace {

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kEditHeight = 21;
constexpr int kLabelHeight = 13;
constexpr int kButtonHeight = 25;
constexpr int kRowPitch = kEditHeight + 5;
// Inside a group: below its caption, and the right edge of the labels (a
// label stands right-aligned against its field, so a longer translation grows
// to the left, into room kept for it).
constexpr int kGroupTop = 20;
constexpr int kGroupSide = 10;
constexpr int kFieldLeft = 100;
constexpr int kLabelSpacing = 3;
// The ID3v2 group's twelve rows set the height of everything.
constexpr int kRows = 12;
constexpr int kButtonsTop = kGroupTop + kRows * kRowPitch + 4;
constexpr int kGroupHeight = kButtonsTop + kButtonHeight + kGroupSide;
// The ID3v1 group is a little wider than its fields need: its button row
// holds the longer "Copy from ID3v2" in a translation too.
constexpr int kGroup1Width = 300;
constexpr int kGroup2Width = 370;
constexpr int kCopyButtonWidth = 116;

constexpr int kColumnsTop = kMargin + kEditHeight + kMargin;
constexpr int kGroup1Left = kMargin;
constexpr int kGroup2Left = kGroup1Left + kGroup1Width + kMargin;
constexpr int kInfoLeft = kGroup2Left + kGroup2Width + kMargin;
constexpr int kInfoRows = 14;
constexpr int kInfoRowHeight = 17;
constexpr int kInfoTitleWidth = 108;
constexpr int kInfoValueWidth = 170;

constexpr const wchar_t* kInfoTitles[kInfoRows] = {
    L"Valid header",   L"File size", L"Channel mode",    L"Version",    L"Bit rate",
    L"Sample rate",    L"Original",  L"Emphasis",        L"Encoder",    L"Duration",
    L"First frame at", L"Frames",    L"Protected (CRC)", L"Copyrighted"};

int RowTop(int Row) { return kGroupTop + Row * kRowPitch; }

// A field of a group, its caption left of it.
TTntLabeledEdit* NewField(TComponent* Owner, TWinControl* Group, const wchar_t* Name,
                          const wchar_t* Caption, int Row, int Left, int Width,
                          bool ReadOnly = false) {
  auto* edit = new TTntLabeledEdit(Owner);
  edit->SetParent(Group);
  edit->SetName(Name);
  edit->SetText(std::wstring());
  edit->SetLabelPosition(lpLeft);
  edit->SetLabelSpacing(kLabelSpacing);
  edit->SetReadOnly(ReadOnly);
  edit->SetTabStop(!ReadOnly);  // a value shown, nothing to type
  edit->SetBounds(Left, RowTop(Row), Width, kEditHeight);
  edit->EditLabel()->SetCaption(std::wstring(Caption));
  return edit;
}

// A field filling its row of a group Width wide.
TTntLabeledEdit* NewLineField(TComponent* Owner, TWinControl* Group, int Width, const wchar_t* Name,
                              const wchar_t* Caption, int Row) {
  return NewField(Owner, Group, Name, Caption, Row, kFieldLeft, Width - kFieldLeft - kGroupSide);
}

TTntLabel* NewLabel(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                    const wchar_t* Caption, int Left, int Top, int Width, TAlignment Alignment) {
  auto* label = new TTntLabel(Owner);
  label->SetParent(Parent);
  label->SetName(Name);
  label->SetAutoSize(false);
  label->SetAlignment(Alignment);
  label->SetBounds(Left, Top, Width, kLabelHeight);
  label->SetCaption(std::wstring(Caption));
  return label;
}

// The genre row: a label placed as a field's caption would be, and the box.
TTntComboBox* NewGenreBox(TComponent* Owner, TWinControl* Group, int Width, const wchar_t* Name,
                          const wchar_t* LabelName, TTntLabel*& Label, TComboBoxStyle Style) {
  const int row = 5;
  Label = NewLabel(Owner, Group, LabelName, L"Genre", kGroupSide,
                   RowTop(row) + (kEditHeight - kLabelHeight) / 2,
                   kFieldLeft - kLabelSpacing - kGroupSide, taRightJustify);
  auto* box = new TTntComboBox(Owner);
  box->SetParent(Group);
  box->SetName(Name);
  box->SetStyle(Style);
  box->SetDropDownCount(16);
  box->SetBounds(kFieldLeft, RowTop(row), Width - kFieldLeft - kGroupSide, kEditHeight);
  Label->SetFocusControl(box);
  return box;
}

TTntButton* NewButton(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                      const wchar_t* Caption, int Left, int Top, int Width,
                      std::function<void()> OnClick) {
  auto* button = new TTntButton(Owner);
  button->SetParent(Parent);
  button->SetName(Name);
  button->SetCaption(std::wstring(Caption));
  button->SetBounds(Left, Top, Width, kButtonHeight);
  button->SetOnClick([OnClick = std::move(OnClick)](TObject*) { OnClick(); });
  return button;
}

TTntGroupBox* NewGroup(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                       const wchar_t* Caption, int Left, int Width) {
  auto* group = new TTntGroupBox(Owner);
  group->SetParent(Parent);
  group->SetName(Name);
  group->SetCaption(std::wstring(Caption));
  group->SetBounds(Left, kColumnsTop, Width, kGroupHeight);
  return group;
}

}  // namespace

SIZE TID3_Info::CreateControls() {
  const int clientWidth =
      kInfoLeft + kInfoTitleWidth + kInfoValueWidth + 2 + 2 * GetSystemMetrics(SM_CXEDGE) + kMargin;

  FilePath = new TTntEdit(this);
  FilePath->SetParent(this);
  FilePath->SetName(L"FilePath");
  FilePath->SetText(std::wstring());
  FilePath->SetReadOnly(true);
  FilePath->SetTabStop(false);
  FilePath->SetBounds(kMargin, kMargin, clientWidth - 2 * kMargin, kEditHeight);

  // The three buttons of a group: Save and Remove share what Copy leaves.
  auto groupButtons = [this](TWinControl* Group, int Width, const wchar_t* Save,
                             const wchar_t* Remove, const wchar_t* Copy, const wchar_t* CopyText,
                             TTntButton*& SaveButton, TTntButton*& RemoveButton,
                             TTntButton*& CopyButton, std::function<void()> OnSave,
                             std::function<void()> OnRemove, std::function<void()> OnCopy) {
    const int inner = Width - 2 * kGroupSide;
    const int each = (inner - kCopyButtonWidth - 2 * kGap) / 2;
    SaveButton = NewButton(this, Group, Save, L"Save", kGroupSide, kButtonsTop, each, OnSave);
    RemoveButton = NewButton(this, Group, Remove, L"Remove", kGroupSide + each + kGap, kButtonsTop,
                             each, OnRemove);
    CopyButton = NewButton(this, Group, Copy, CopyText, kGroupSide + 2 * (each + kGap), kButtonsTop,
                           inner - 2 * (each + kGap), OnCopy);
  };
  // The tag's state on the first row: "Tag exists" at the left, the version
  // at the right end (before the size, for ID3v2).
  const int stateWidth = 46, versionWidth = 30, sizeWidth = 84;

  const int w1 = kGroup1Width;
  ID3v1Group = NewGroup(this, this, L"ID3v1Group", L" ID3v1 ", kGroup1Left, w1);
  TagExv1 = NewField(this, ID3v1Group, L"TagExv1", L"Tag exists", 0, kFieldLeft, stateWidth, true);
  TagVerv1 = NewField(this, ID3v1Group, L"TagVerv1", L"Version", 0, w1 - kGroupSide - versionWidth,
                      versionWidth, true);
  Titlev1 = NewLineField(this, ID3v1Group, w1, L"Titlev1", L"Title", 1);
  Artistv1 = NewLineField(this, ID3v1Group, w1, L"Artistv1", L"Artist", 2);
  Albumv1 = NewLineField(this, ID3v1Group, w1, L"Albumv1", L"Album", 3);
  TrackNumv1 = NewField(this, ID3v1Group, L"TrackNumv1", L"Track #", 4, kFieldLeft, stateWidth);
  Yearv1 = NewField(this, ID3v1Group, L"Yearv1", L"Year", 4, w1 - kGroupSide - 48, 48);
  Genrev1 =
      NewGenreBox(this, ID3v1Group, w1, L"Genrev1", L"Genrev1Label", Genrev1Label, csDropDownList);
  Genrev1->SetOnExit([this](TObject*) { Genrev1Exit(); });
  Commentv1 = NewLineField(this, ID3v1Group, w1, L"Commentv1", L"Comment", 6);
  groupButtons(
      ID3v1Group, w1, L"SaveBut", L"RemoveBut", L"CopyFrom2", L"Copy from ID3v2", SaveBut,
      RemoveBut, CopyFrom2, [this] { SaveButClick(); }, [this] { RemoveButClick(); },
      [this] { CopyFrom2Click(); });

  const int w2 = kGroup2Width;
  ID3v2Group = NewGroup(this, this, L"ID3v2Group", L" ID3v2 ", kGroup2Left, w2);
  TagExv2 = NewField(this, ID3v2Group, L"TagExv2", L"Tag exists", 0, kFieldLeft, stateWidth, true);
  TagSize = NewField(this, ID3v2Group, L"TagSize", L"Size", 0, w2 - kGroupSide - sizeWidth,
                     sizeWidth, true);
  // Room for the size's caption between the version and the size.
  TagVerv2 = NewField(this, ID3v2Group, L"TagVerv2", L"Version", 0,
                      w2 - kGroupSide - sizeWidth - 44 - versionWidth, versionWidth, true);
  Titlev2 = NewLineField(this, ID3v2Group, w2, L"Titlev2", L"Title", 1);
  Artistv2 = NewLineField(this, ID3v2Group, w2, L"Artistv2", L"Artist", 2);
  Albumv2 = NewLineField(this, ID3v2Group, w2, L"Albumv2", L"Album", 3);
  TrackNumv2 = NewField(this, ID3v2Group, L"TrackNumv2", L"Track #", 4, kFieldLeft, stateWidth);
  Yearv2 = NewField(this, ID3v2Group, L"Yearv2", L"Year", 4, w2 - kGroupSide - 48, 48);
  Genrev2 =
      NewGenreBox(this, ID3v2Group, w2, L"Genrev2", L"Genrev2Label", Genrev2Label, csDropDown);
  Commentv2 = NewLineField(this, ID3v2Group, w2, L"Commentv2", L"Comment", 6);
  Composer = NewLineField(this, ID3v2Group, w2, L"Composer", L"Composer", 7);
  Copyright = NewLineField(this, ID3v2Group, w2, L"Copyright", L"Copyright", 8);
  Encoder = NewLineField(this, ID3v2Group, w2, L"Encoder", L"Encoded by", 9);
  Language = NewLineField(this, ID3v2Group, w2, L"Language", L"Language", 10);
  Link = NewLineField(this, ID3v2Group, w2, L"Link", L"URL", 11);
  groupButtons(
      ID3v2Group, w2, L"SaveBut2", L"RemoveBut2", L"CopyFrom1", L"Copy from ID3v1", SaveBut2,
      RemoveBut2, CopyFrom1, [this] { SaveBut2Click(); }, [this] { RemoveBut2Click(); },
      [this] { CopyFrom1Click(); });

  const int gridWidth = clientWidth - kMargin - kInfoLeft;
  MpegInfoLabel = NewLabel(this, this, L"MpegInfoLabel", L"MPEG Info:", kInfoLeft, kColumnsTop,
                           gridWidth, taLeftJustify);
  MpegInfo = new TTntStringGrid(this);
  MpegInfo->SetParent(this);
  MpegInfo->SetName(L"MpegInfo");
  MpegInfo->SetTag(1);  // its row titles are translated
  MpegInfo->SetColCount(2);
  MpegInfo->SetRowCount(kInfoRows);
  MpegInfo->SetFixedCols(0);
  MpegInfo->SetFixedRows(0);
  MpegInfo->SetDefaultRowHeight(kInfoRowHeight);
  MpegInfo->SetColWidths(0, kInfoTitleWidth);
  MpegInfo->SetColWidths(1, kInfoValueWidth);
  MpegInfo->SetScrollBars(ssNone);
  MpegInfo->SetOptions(goVertLine | goHorzLine);
  const int lines = MpegInfo->GridLineWidth();
  MpegInfo->SetBounds(kInfoLeft, kColumnsTop + kLabelHeight + kLabelSpacing, gridWidth,
                      kInfoRows * (kInfoRowHeight + lines) + 2 * GetSystemMetrics(SM_CYEDGE));
  for (int32_t row = 0; row < kInfoRows; ++row)
    MpegInfo->SetCells(0, row, std::wstring(kInfoTitles[row]));

  // In line with the groups' buttons, at the right.
  const int buttonsTop = kColumnsTop + kButtonsTop;
  const int closeWidth = 80, undoWidth = 100;
  CloseBut = NewButton(this, this, L"CloseBut", L"Close", clientWidth - kMargin - closeWidth,
                       buttonsTop, closeWidth, [this] { CloseButClick(); });
  CloseBut->SetCancel(true);
  Undo = NewButton(this, this, L"Undo", L"Undo changes",
                   clientWidth - kMargin - closeWidth - kGap - undoWidth, buttonsTop, undoWidth,
                   [this] { UndoClick(); });
  return SIZE{clientWidth, kColumnsTop + kGroupHeight + kMargin};
}
