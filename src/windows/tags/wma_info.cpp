#include "windows/tags/wma_info.h"

#include "formats/wma_tag_editor.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "unicode_controls/tnt_labels.h"
#include "windows/controls/caption_fit.h"
#include "windows/tags/tag_host.h"
#include "windows/tags/tag_info_controls.h"
#include "windows/tags/tag_window_support.h"

using namespace tag_info_controls;

TWMA_Info* WMA_Info = nullptr;

namespace {

constexpr int kColumnWidth = 250;
constexpr int kClientWidth = 2 * kMargin + 2 * kColumnWidth + kColumnGap;
constexpr int kInnerWidth = kClientWidth - 2 * kMargin;
constexpr int kYearWidth = 80;
constexpr int kMemoHeight = 88;
constexpr int kFieldsTop = kMargin + kEditHeight + kMargin;
constexpr int kMemosTop = kFieldsTop + 4 * kRowPitch;
constexpr int kStreamTop = kMemosTop + kLabelBand + kMemoHeight + kMargin;
constexpr int kButtonsTop = kStreamTop + kLabelBand + kEditHeight + 2 * kMargin;
constexpr int kClientHeight = kButtonsTop + kButtonHeight + kMargin;

std::wstring TextOf(TWinControl* Control) {
  if (auto* memo = dynamic_cast<TTntCustomMemo*>(Control)) return memo->Text();
  return static_cast<TTntCustomEdit*>(Control)->Text();
}

void SetTextOf(TWinControl* Control, const std::wstring& Text) {
  if (auto* memo = dynamic_cast<TTntCustomMemo*>(Control)) return memo->SetText(Text);
  static_cast<TTntCustomEdit*>(Control)->SetText(Text);
}

}  // namespace

TWMA_Info::TWMA_Info(TComponent* AOwner, TTagHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  FEditor = std::make_unique<TWMATagEditor>();
  {
    TLoadingScope scope(this);
    SetName(L"WMA_Info");
    SetCaption(L"WMA info");
    CreateControls();
  }
  SizeForClient(kClientWidth, kClientHeight);
  WMA_Info = this;
  DoCreate();
}

TWMA_Info::~TWMA_Info() {
  if (WMA_Info == this) WMA_Info = nullptr;
  DestroyComponents();
}

void TWMA_Info::CreateControls() {
  FilePath = new TTntEdit(this);
  FilePath->SetParent(this);
  FilePath->SetName(L"FilePath");
  FilePath->SetText(std::wstring());
  FilePath->SetReadOnly(true);
  FilePath->SetColor(clBtnFace);
  FilePath->SetBounds(kMargin, kMargin, kInnerWidth, kEditHeight);

  const int right = kMargin + kColumnWidth + kColumnGap;
  auto edit = [&](const wchar_t* Name, const wchar_t* Caption, int Left, int Row, int Width) {
    return NewLabeledEdit(this, Name, Caption, Left, kFieldsTop + Row * kRowPitch, Width, false);
  };
  WMATitle = edit(L"WMATitle", L"Title", kMargin, 0, kColumnWidth);
  WMAArtist = edit(L"WMAArtist", L"Artist", kMargin, 1, kColumnWidth);
  WMAAlbum = edit(L"WMAAlbum", L"Album", kMargin, 2, kColumnWidth);
  WMAYear = edit(L"WMAYear", L"Year", kMargin, 3, kYearWidth);
  WMAGenre = edit(L"WMAGenre", L"Genre", kMargin + kYearWidth + kMargin, 3,
                  kColumnWidth - kYearWidth - kMargin);
  WMAURL = edit(L"WMAURL", L"URL", right, 0, kColumnWidth);
  WMACopyright = edit(L"WMACopyright", L"Copyright", right, 1, kColumnWidth);
  WMAComposer = edit(L"WMAComposer", L"Composer", right, 2, kColumnWidth);
  WMAEncoder = edit(L"WMAEncoder", L"Encoded by", right, 3, kColumnWidth);

  auto memo = [&](const wchar_t* Name, const wchar_t* LabelName, const wchar_t* Caption, int Left,
                  TTntLabel*& Label) {
    auto* m = new TTntMemo(this);
    m->SetParent(this);
    m->SetName(Name);
    m->SetText(std::wstring());
    m->SetScrollBars(ssVertical);
    m->SetBounds(Left, kMemosTop + kLabelBand, kColumnWidth, kMemoHeight);
    Label = new TTntLabel(this);
    Label->SetParent(this);
    Label->SetName(LabelName);
    Label->SetCaption(std::wstring(Caption));
    Label->SetFocusControl(m);
    Label->SetBounds(Left, kMemosTop, kColumnWidth, kLabelBand - 3);
    return m;
  };
  WMAComment = memo(L"WMAComment", L"WMACommentLabel", L"Comment:", kMargin, WMACommentLabel);
  WMALyrics = memo(L"WMALyrics", L"WMALyricsLabel", L"Lyrics:", right, WMALyricsLabel);

  // Two read-only edits under each column, in line with its edges.
  const int streamWidth = (kColumnWidth - kMargin) / 2;
  int slot = 0;
  auto stream = [&](const wchar_t* Name, const wchar_t* Caption) {
    const int column = (slot / 2) * (kColumnWidth + kColumnGap);
    const int left = kMargin + column + (slot % 2) * (kColumnWidth - streamWidth);
    ++slot;
    return NewLabeledEdit(this, Name, Caption, left, kStreamTop, streamWidth, true);
  };
  WMAFilesize = stream(L"WMAFilesize", L"File size");
  WMADuration = stream(L"WMADuration", L"Duration");
  WMABitrate = stream(L"WMABitrate", L"Bit rate");
  WMASDKVersion = stream(L"WMASDKVersion", L"SDK version");

  UndoBut = NewButton(this, L"UndoBut", L"Undo changes", kMargin, kButtonsTop,
                      [this] { UndoButClick(); });
  SaveBut = NewButton(this, L"SaveBut", L"Save", kMargin + kButtonWidth + kButtonGap, kButtonsTop,
                      [this] { SaveButClick(); });
  CloseBut = NewButton(this, L"CloseBut", L"Close", kClientWidth - kMargin - kButtonWidth,
                       kButtonsTop, nullptr);
  CloseBut->SetModalResult(mrCancel);
  CloseBut->SetCancel(true);
  SetActiveControl(WMATitle);
}

std::array<TWMA_Info::TField, TWMA_Info::kFields> TWMA_Info::Fields() const {
  return {{{&TTagsData::Title, WMATitle},
           {&TTagsData::Author, WMAArtist},
           {&TTagsData::AlbumTitle, WMAAlbum},
           {&TTagsData::Year, WMAYear},
           {&TTagsData::Genre, WMAGenre},
           {&TTagsData::URL, WMAURL},
           {&TTagsData::Copyright, WMACopyright},
           {&TTagsData::Composer, WMAComposer},
           {&TTagsData::EncodedBy, WMAEncoder},
           {&TTagsData::Description, WMAComment},
           {&TTagsData::Lyrics, WMALyrics}}};
}

void TWMA_Info::RememberShown() {
  const auto fields = Fields();
  for (size_t i = 0; i < kFields; ++i) FShown[i] = TextOf(fields[i].Control);
}

void TWMA_Info::ShowInfo(const std::wstring& FileName) {
  StartTagWindow(this, FHost, L"WMATagEditor");
  window_controls::FitButtonRow({UndoBut, SaveBut});
  FFileName = FileName;
  FilePath->SetText(FileName);
  UndoButClick();
}

void TWMA_Info::UndoButClick() {
  if (!FEditor->ReadFromFile(FFileName)) ReportTagError(this, L"CantReadTag", FFileName);
  GetWMAInfo();
}

void TWMA_Info::GetWMAInfo() {
  const TTagsData& data = FEditor->TagsData();
  for (const TField& field : Fields()) SetTextOf(field.Control, data.*field.Member);
  WMASDKVersion->SetText(data.SDKVersion);
  WMADuration->SetText(WithUnit(FormatDurationMs(data.Duration, true), L"sec"));
  WMABitrate->SetText(Word(data.IsVBR ? L"VBR" : L"CBR") + L" " +
                      WithUnit(std::to_wstring(data.BitRate / 1000), L"kbps"));
  WMAFilesize->SetText(WithUnit(std::to_wstring(data.FileSize), L"bytes"));
  RememberShown();
}

void TWMA_Info::SaveButClick() {
  // The record as the file holds it now, so that another program's changes
  // to the fields left alone here are not undone.
  if (!FEditor->ReadFromFile(FFileName)) {
    ReportTagError(this, L"CantSaveTag", FFileName);
    return;
  }
  TTagsData& data = FEditor->TagsData();
  const auto fields = Fields();
  for (size_t i = 0; i < kFields; ++i) {
    const std::wstring text = TextOf(fields[i].Control);
    if (text != FShown[i]) data.*fields[i].Member = text;
  }
  if (!FEditor->SaveToFile(FFileName)) {
    ReportTagError(this, L"CantSaveTag", FFileName);
    return;
  }
  // The header was rewritten: its size and the record are shown as written.
  if (FEditor->ReadFromFile(FFileName))
    GetWMAInfo();
  else
    RememberShown();
}
