// The ID3 window's controls: the file name across the top, then three
// columns — the ID3v1 group, the ID3v2 group and the MPEG header grid. The
// fields both tags have stand on the same rows, and every button stands on
// one line along the bottom.
//
// Places come from the texts: a group's captions stand in a column as wide
// as its widest caption, right-aligned against their fields, and a group, a
// button or the grid's title column grows when a translation needs more room
// than the English layout gives. LayOut runs once the texts are known: when
// the window is made and again after its translation.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "windows/controls/caption_fit.h"
#include "windows/tags/id3_info.h"

namespace {

using window_controls::ButtonWidthFor;
using window_controls::TextWidth;

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kEditHeight = 21;
constexpr int kLabelHeight = 13;
constexpr int kButtonHeight = 25;
constexpr int kRowPitch = kEditHeight + 5;
// Inside a group: below its caption, and along its sides.
constexpr int kGroupTop = 20;
constexpr int kGroupSide = 10;
// From a caption's text to its field; from a field to the next caption on
// its row.
constexpr int kLabelSpacing = 6;
constexpr int kPairGap = 10;
// The narrowest a field filling its row may become.
constexpr int kMinLineWidth = 150;
// The ID3v2 group's twelve rows set the height of everything.
constexpr int kRows = 12;
constexpr int kButtonsTop = kGroupTop + kRows * kRowPitch + 4;
constexpr int kGroupHeight = kButtonsTop + kButtonHeight + kGroupSide;
// The English layout, which a group keeps when its texts need no more: the
// ID3v1 group is a little wider than its fields need, so that its button row
// holds the longer "Copy from ID3v2".
constexpr int kGroup1Width = 300;
constexpr int kGroup2Width = 370;
constexpr int kCopyButtonWidth = 116;
constexpr int kStateWidth = 40, kVersionWidth = 30, kSizeWidth = 84, kYearWidth = 48;
constexpr int kCloseWidth = 80, kUndoWidth = 100;

constexpr int kColumnsTop = kMargin + kEditHeight + kMargin;
constexpr int kInfoRows = 14;
constexpr int kInfoRowHeight = 17;
// The English columns; longer titles take from the values, down to what the
// longest values (a channel mode, "MPEG 2.5 Layer III") need.
constexpr int kInfoTitleWidth = 108;
constexpr int kInfoValueWidth = 140;
constexpr int kMinInfoValueWidth = 130;

constexpr const wchar_t* kInfoTitles[kInfoRows] = {
    L"Valid header",   L"File size", L"Channel mode",    L"Version",    L"Bit rate",
    L"Sample rate",    L"Original",  L"Emphasis",        L"Encoder",    L"Duration",
    L"First frame at", L"Frames",    L"Protected (CRC)", L"Copyrighted"};

int RowTop(int Row) { return kGroupTop + Row * kRowPitch; }

// A field of a group, its caption left of it; placed by LayOut.
TTntLabeledEdit* NewField(TComponent* Owner, TWinControl* Group, const wchar_t* Name,
                          const wchar_t* Caption, bool ReadOnly = false) {
  auto* edit = new TTntLabeledEdit(Owner);
  edit->SetParent(Group);
  edit->SetName(Name);
  edit->SetText(std::wstring());
  edit->SetLabelPosition(lpLeft);
  edit->SetLabelSpacing(kLabelSpacing);
  edit->SetReadOnly(ReadOnly);
  edit->SetTabStop(!ReadOnly);  // a value shown, nothing to type
  edit->EditLabel()->SetCaption(std::wstring(Caption));
  return edit;
}

TTntLabel* NewLabel(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                    const wchar_t* Caption, TAlignment Alignment) {
  auto* label = new TTntLabel(Owner);
  label->SetParent(Parent);
  label->SetName(Name);
  label->SetAutoSize(false);
  label->SetAlignment(Alignment);
  label->SetCaption(std::wstring(Caption));
  return label;
}

// The genre box and its caption, which stands where a field's caption would.
TTntComboBox* NewGenreBox(TComponent* Owner, TWinControl* Group, const wchar_t* Name,
                          const wchar_t* LabelName, TTntLabel*& Label, TComboBoxStyle Style) {
  Label = NewLabel(Owner, Group, LabelName, L"Genre", taRightJustify);
  auto* box = new TTntComboBox(Owner);
  box->SetParent(Group);
  box->SetName(Name);
  box->SetStyle(Style);
  box->SetDropDownCount(16);
  Label->SetFocusControl(box);
  return box;
}

TTntButton* NewButton(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                      const wchar_t* Caption, std::function<void()> OnClick) {
  auto* button = new TTntButton(Owner);
  button->SetParent(Parent);
  button->SetName(Name);
  button->SetCaption(std::wstring(Caption));
  button->SetOnClick([OnClick = std::move(OnClick)](TObject*) { OnClick(); });
  return button;
}

TTntGroupBox* NewGroup(TComponent* Owner, TWinControl* Parent, const wchar_t* Name,
                       const wchar_t* Caption) {
  auto* group = new TTntGroupBox(Owner);
  group->SetParent(Parent);
  group->SetName(Name);
  group->SetCaption(std::wstring(Caption));
  return group;
}

int CaptionWidth(TTntLabeledEdit* Field) {
  return TextWidth(Field->EditLabel(), Field->EditLabel()->Caption());
}

// One row of a group: its first field stands at the caption column's right,
// filling the row when Width is 0; the others, of fixed widths, stand at the
// row's right end, each with its caption before it.
struct TRow {
  struct TItem {
    TTntLabeledEdit* Field;
    int Width;
  };
  int Row;
  std::vector<TItem> Items;
};

// A group's rows and its three buttons (Save, Remove, Copy), laid out in the
// narrowest width that holds their texts and is at least the English width.
class TGroupLayout {
 public:
  TGroupLayout(TTntGroupBox* Group, int MinWidth, std::vector<TRow> Rows, TTntLabel* GenreLabel,
               TTntComboBox* Genre, std::vector<TTntButton*> Buttons)
      : FGroup(Group), FRows(std::move(Rows)), FGenreLabel(GenreLabel), FGenre(Genre),
        FButtons(std::move(Buttons)) {
    FCaptions = TextWidth(GenreLabel, GenreLabel->Caption());
    for (const TRow& row : FRows) FCaptions = std::max(FCaptions, CaptionWidth(row.Items[0].Field));
    FFieldLeft = kGroupSide + FCaptions + kLabelSpacing;
    FWidth = MinWidth;
    for (const TRow& row : FRows) {
      int needed = FFieldLeft + (row.Items[0].Width ? row.Items[0].Width : kMinLineWidth);
      for (size_t i = 1; i < row.Items.size(); ++i)
        needed += kPairGap + CaptionWidth(row.Items[i].Field) + kLabelSpacing + row.Items[i].Width;
      FWidth = std::max(FWidth, needed + kGroupSide);
    }
    int buttons = 2 * kGroupSide + 2 * kGap;
    for (TTntButton* b : FButtons) buttons += ButtonWidthFor(b, b->Caption());
    FWidth = std::max(FWidth, buttons);
  }

  int Width() const { return FWidth; }

  void Place(int Left, int Top) {
    FGroup->SetBounds(Left, Top, FWidth, kGroupHeight);
    const int right = FWidth - kGroupSide;
    for (const TRow& row : FRows) {
      const int top = RowTop(row.Row);
      const TRow::TItem& first = row.Items[0];
      first.Field->SetBounds(FFieldLeft, top, first.Width ? first.Width : right - FFieldLeft,
                             kEditHeight);
      int end = right;
      for (size_t i = row.Items.size() - 1; i >= 1; --i) {
        const TRow::TItem& item = row.Items[i];
        item.Field->SetBounds(end - item.Width, top, item.Width, kEditHeight);
        end -= item.Width + kLabelSpacing + CaptionWidth(item.Field) + kPairGap;
      }
    }
    const int genreTop = RowTop(5);
    FGenreLabel->SetBounds(kGroupSide, genreTop + (kEditHeight - kLabelHeight) / 2, FCaptions,
                           kLabelHeight);
    FGenre->SetBounds(FFieldLeft, genreTop, right - FFieldLeft, kEditHeight);
    PlaceButtons();
  }

 private:
  // Copy takes its English width, Save and Remove share the rest; captions
  // that need more share the row out again (the group grew for them).
  void PlaceButtons() {
    const int inner = FWidth - 2 * kGroupSide;
    const int each = (inner - kCopyButtonWidth - 2 * kGap) / 2;
    int left = kGroupSide;
    for (TTntButton* b : FButtons) {
      const int width = b == FButtons.back() ? kGroupSide + inner - left : each;
      b->SetBounds(left, kButtonsTop, width, kButtonHeight);
      left += width + kGap;
    }
    window_controls::FitButtonRow({FButtons[0], FButtons[1], FButtons[2]});
  }

  TTntGroupBox* FGroup;
  std::vector<TRow> FRows;
  TTntLabel* FGenreLabel;
  TTntComboBox* FGenre;
  std::vector<TTntButton*> FButtons;
  int FCaptions = 0, FFieldLeft = 0, FWidth = 0;
};

}  // namespace

void TID3_Info::CreateControls() {
  FilePath = new TTntEdit(this);
  FilePath->SetParent(this);
  FilePath->SetName(L"FilePath");
  FilePath->SetText(std::wstring());
  FilePath->SetReadOnly(true);
  FilePath->SetTabStop(false);

  ID3v1Group = NewGroup(this, this, L"ID3v1Group", L" ID3v1 ");
  TagExv1 = NewField(this, ID3v1Group, L"TagExv1", L"Tag exists", true);
  TagVerv1 = NewField(this, ID3v1Group, L"TagVerv1", L"Version", true);
  Titlev1 = NewField(this, ID3v1Group, L"Titlev1", L"Title");
  Artistv1 = NewField(this, ID3v1Group, L"Artistv1", L"Artist");
  Albumv1 = NewField(this, ID3v1Group, L"Albumv1", L"Album");
  TrackNumv1 = NewField(this, ID3v1Group, L"TrackNumv1", L"Track #");
  Yearv1 = NewField(this, ID3v1Group, L"Yearv1", L"Year");
  Genrev1 =
      NewGenreBox(this, ID3v1Group, L"Genrev1", L"Genrev1Label", Genrev1Label, csDropDownList);
  Genrev1->SetOnExit([this](TObject*) { Genrev1Exit(); });
  Commentv1 = NewField(this, ID3v1Group, L"Commentv1", L"Comment");
  SaveBut = NewButton(this, ID3v1Group, L"SaveBut", L"Save", [this] { SaveButClick(); });
  RemoveBut = NewButton(this, ID3v1Group, L"RemoveBut", L"Remove", [this] { RemoveButClick(); });
  CopyFrom2 =
      NewButton(this, ID3v1Group, L"CopyFrom2", L"Copy from ID3v2", [this] { CopyFrom2Click(); });

  ID3v2Group = NewGroup(this, this, L"ID3v2Group", L" ID3v2 ");
  TagExv2 = NewField(this, ID3v2Group, L"TagExv2", L"Tag exists", true);
  TagSize = NewField(this, ID3v2Group, L"TagSize", L"Size", true);
  TagVerv2 = NewField(this, ID3v2Group, L"TagVerv2", L"Version", true);
  Titlev2 = NewField(this, ID3v2Group, L"Titlev2", L"Title");
  Artistv2 = NewField(this, ID3v2Group, L"Artistv2", L"Artist");
  Albumv2 = NewField(this, ID3v2Group, L"Albumv2", L"Album");
  TrackNumv2 = NewField(this, ID3v2Group, L"TrackNumv2", L"Track #");
  Yearv2 = NewField(this, ID3v2Group, L"Yearv2", L"Year");
  Genrev2 = NewGenreBox(this, ID3v2Group, L"Genrev2", L"Genrev2Label", Genrev2Label, csDropDown);
  Commentv2 = NewField(this, ID3v2Group, L"Commentv2", L"Comment");
  Composer = NewField(this, ID3v2Group, L"Composer", L"Composer");
  Copyright = NewField(this, ID3v2Group, L"Copyright", L"Copyright");
  Encoder = NewField(this, ID3v2Group, L"Encoder", L"Encoded by");
  Language = NewField(this, ID3v2Group, L"Language", L"Language");
  Link = NewField(this, ID3v2Group, L"Link", L"URL");
  SaveBut2 = NewButton(this, ID3v2Group, L"SaveBut2", L"Save", [this] { SaveBut2Click(); });
  RemoveBut2 =
      NewButton(this, ID3v2Group, L"RemoveBut2", L"Remove", [this] { RemoveBut2Click(); });
  CopyFrom1 =
      NewButton(this, ID3v2Group, L"CopyFrom1", L"Copy from ID3v1", [this] { CopyFrom1Click(); });

  MpegInfoLabel = NewLabel(this, this, L"MpegInfoLabel", L"MPEG Info:", taLeftJustify);
  MpegInfo = new TTntStringGrid(this);
  MpegInfo->SetParent(this);
  MpegInfo->SetName(L"MpegInfo");
  MpegInfo->SetTag(1);  // its row titles are translated
  MpegInfo->SetColCount(2);
  MpegInfo->SetRowCount(kInfoRows);
  MpegInfo->SetFixedCols(0);
  MpegInfo->SetFixedRows(0);
  MpegInfo->SetDefaultRowHeight(kInfoRowHeight);
  MpegInfo->SetScrollBars(ssNone);
  MpegInfo->SetOptions(goVertLine | goHorzLine);
  for (int32_t row = 0; row < kInfoRows; ++row)
    MpegInfo->SetCells(0, row, std::wstring(kInfoTitles[row]));

  CloseBut = NewButton(this, this, L"CloseBut", L"Close", [this] { CloseButClick(); });
  CloseBut->SetCancel(true);
  Undo = NewButton(this, this, L"Undo", L"Undo changes", [this] { UndoClick(); });
}

void TID3_Info::LayOut() {
  // The fields both tags have stand on the same rows.
  TGroupLayout group1(ID3v1Group, kGroup1Width,
                      {{0, {{TagExv1, kStateWidth}, {TagVerv1, kVersionWidth}}},
                       {1, {{Titlev1, 0}}},
                       {2, {{Artistv1, 0}}},
                       {3, {{Albumv1, 0}}},
                       {4, {{TrackNumv1, kStateWidth}, {Yearv1, kYearWidth}}},
                       {6, {{Commentv1, 0}}}},
                      Genrev1Label, Genrev1, {SaveBut, RemoveBut, CopyFrom2});
  TGroupLayout group2(
      ID3v2Group, kGroup2Width,
      {{0, {{TagExv2, kStateWidth}, {TagVerv2, kVersionWidth}, {TagSize, kSizeWidth}}},
       {1, {{Titlev2, 0}}},
       {2, {{Artistv2, 0}}},
       {3, {{Albumv2, 0}}},
       {4, {{TrackNumv2, kStateWidth}, {Yearv2, kYearWidth}}},
       {6, {{Commentv2, 0}}},
       {7, {{Composer, 0}}},
       {8, {{Copyright, 0}}},
       {9, {{Encoder, 0}}},
       {10, {{Language, 0}}},
       {11, {{Link, 0}}}},
      Genrev2Label, Genrev2, {SaveBut2, RemoveBut2, CopyFrom1});
  const int group1Left = kMargin;
  const int group2Left = group1Left + group1.Width() + kMargin;
  const int infoLeft = group2Left + group2.Width() + kMargin;
  group1.Place(group1Left, kColumnsTop);
  group2.Place(group2Left, kColumnsTop);

  // The grid's title column as wide as its widest title.
  const int titles = std::max(kInfoTitleWidth, window_controls::ColumnWidthFor(MpegInfo, 0));
  const int values = std::max(kMinInfoValueWidth, kInfoTitleWidth + kInfoValueWidth - titles);
  MpegInfo->SetColWidths(0, titles);
  const int lines = MpegInfo->GridLineWidth();
  const int edges = 2 * GetSystemMetrics(SM_CXEDGE);
  const int closeWidth = std::max(kCloseWidth, ButtonWidthFor(CloseBut, CloseBut->Caption()));
  const int undoWidth = std::max(kUndoWidth, ButtonWidthFor(Undo, Undo->Caption()));
  const int infoWidth =
      std::max(titles + values + 2 * lines + edges, undoWidth + kGap + closeWidth);
  const int clientWidth = infoLeft + infoWidth + kMargin;

  FilePath->SetBounds(kMargin, kMargin, clientWidth - 2 * kMargin, kEditHeight);
  MpegInfoLabel->SetBounds(infoLeft, kColumnsTop, infoWidth, kLabelHeight);
  MpegInfo->SetBounds(infoLeft, kColumnsTop + kLabelHeight + 3, infoWidth,
                      kInfoRows * (kInfoRowHeight + lines) + 2 * GetSystemMetrics(SM_CYEDGE));
  // The value column takes what the buttons below made the grid wider by.
  MpegInfo->SetColWidths(1, infoWidth - edges - 2 * lines - titles);

  // In line with the groups' buttons, at the right.
  const int buttonsTop = kColumnsTop + kButtonsTop;
  CloseBut->SetBounds(clientWidth - kMargin - closeWidth, buttonsTop, closeWidth, kButtonHeight);
  Undo->SetBounds(CloseBut->Left() - kGap - undoWidth, buttonsTop, undoWidth, kButtonHeight);
  SizeForClient(clientWidth, kColumnsTop + kGroupHeight + kMargin);
}
