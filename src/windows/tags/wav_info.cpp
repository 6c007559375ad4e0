#include "windows/tags/wav_info.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "formats/wav_file.h"
#include "foundation/tnt_system.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_grids.h"
#include "windows/controls/caption_fit.h"
#include "windows/tags/tag_info_controls.h"
#include "windows/tags/tag_window_support.h"

using namespace tag_info_controls;

TWAV_Info* WAV_Info = nullptr;

namespace {

constexpr int kRows = 10;
constexpr int kTitleWidth = 150;
constexpr int kValueWidth = 101;
constexpr int kRowHeight = 18;
// The grid's sunken frame on each side.
constexpr int kGridFrame = 2;
constexpr int kGridHeight = kRows * (kRowHeight + 1) + 2 * kGridFrame;
constexpr int kButtonsTop = kMargin + kGridHeight + kMargin;
constexpr int kClientHeight = kButtonsTop + kButtonHeight + kMargin;

std::wstring Number(uint64_t Value) { return std::to_wstring(Value); }

}  // namespace

TWAV_Info::TWAV_Info(TComponent* AOwner, TTagHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"WAV_Info");
    SetCaption(L"WAV file info");
    CreateControls();
  }
  FitColumns();
  WAV_Info = this;
  DoCreate();
}

TWAV_Info::~TWAV_Info() {
  if (WAV_Info == this) WAV_Info = nullptr;
  DestroyComponents();
}

void TWAV_Info::CreateControls() {
  WAVInfo = new TTntStringGrid(this);
  WAVInfo->SetParent(this);
  WAVInfo->SetName(L"WAVInfo");
  // Tag 1: the translation gives column 0, the row titles.
  WAVInfo->SetTag(1);
  WAVInfo->SetColCount(2);
  WAVInfo->SetRowCount(kRows);
  WAVInfo->SetFixedCols(0);
  WAVInfo->SetFixedRows(0);
  WAVInfo->SetDefaultRowHeight(kRowHeight);
  WAVInfo->SetScrollBars(ssNone);
  WAVInfo->SetOptions(goVertLine | goHorzLine);
  const wchar_t* titles[kRows] = {
      L"Valid header", L"Format",      L"Channel mode",     L"Sample rate", L"Bits per sample",
      L"File size",    L"Block align", L"Bytes per second", L"Header size", L"Duration"};
  for (int32_t row = 0; row < kRows; ++row) WAVInfo->SetCells(0, row, std::wstring(titles[row]));

  CloseBut = NewButton(this, L"CloseBut", L"Close", 0, kButtonsTop, [this] { CloseButClick(); });
  CloseBut->SetCancel(true);
  CloseBut->SetDefault(true);
  SetActiveControl(CloseBut);
}

// Translated titles and the longer values ("Multichannel" in some languages)
// widen their column, and the window with it.
void TWAV_Info::FitColumns() {
  const int titles = std::max(kTitleWidth, window_controls::ColumnWidthFor(WAVInfo, 0));
  const int values = std::max(kValueWidth, window_controls::ColumnWidthFor(WAVInfo, 1));
  WAVInfo->SetColWidths(0, titles);
  WAVInfo->SetColWidths(1, values);
  const int gridWidth = titles + values + 2 + 2 * kGridFrame;
  const int clientWidth = 2 * kMargin + gridWidth;
  WAVInfo->SetBounds(kMargin, kMargin, gridWidth, kGridHeight);
  CloseBut->SetBounds(clientWidth - kMargin - kButtonWidth, kButtonsTop, kButtonWidth, kButtonHeight);
  SizeForClient(clientWidth, kClientHeight);
}

void TWAV_Info::ShowInfo(const std::wstring& FileName) {
  StartTagWindow(this, FHost, L"WaveFileInfo");
  GetWAVInfo(FileName);
  FitColumns();
}

void TWAV_Info::GetWAVInfo(const std::wstring& FileName) {
  TWAVfile wav;
  if (!wav.ReadFromFile(FileName)) ReportTagError(this, L"CantReadHeader", FileName);
  if (!wav.Valid()) {
    FillInfoColumn(WAVInfo, {Word(L"No")});
    return;
  }
  std::wstring format = UTF8ToWideString(wav.Format());
  if (format.empty()) {
    // A format tag the reader has no name for is still worth telling.
    wchar_t tag[16];
    std::swprintf(tag, 16, L"0x%04X", wav.FormatID());
    format = tag;
  }
  wchar_t duration[64];
  std::swprintf(duration, 64, L"%.3f", wav.Duration());
  FillInfoColumn(
      WAVInfo,
      {Word(L"Yes"), format, Word(UTF8ToWideString(wav.ChannelMode()).c_str()),
       WithUnit(Number(wav.SampleRate()), L"Hz"), WithUnit(Number(wav.BitsPerSample()), L"bit"),
       WithUnit(Number(wav.FileSize()), L"bytes"), WithUnit(Number(wav.BlockAlign()), L"bytes"),
       WithUnit(Number(wav.BytesPerSecond()), L"bytes"),
       WithUnit(Number(wav.HeaderSize()), L"bytes"), WithUnit(duration, L"sec")});
}

void TWAV_Info::CloseButClick() { Close(); }
