#include "windows/stream_info/net_stream_info.h"

#include <windows.h>

#include <algorithm>

#include "framework/timer.h"
#include "localization/localization.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_grids.h"
#include "windows/stream_info/stream_info_host.h"

TNetStreamInfo* NetStreamInfo = nullptr;

namespace {

constexpr int kClientWidth = 249;
constexpr int kClientHeight = 233;
constexpr int kMargin = 8;
constexpr int kRowHeight = 17;
constexpr int kButtonHeight = 25;
constexpr int kMinWidth = 160;
constexpr int kMinHeight = 140;
constexpr uint8_t kPlaying = 3, kPaused = 4;

}  // namespace

TNetStreamInfo::TNetStreamInfo(TComponent* AOwner, TStreamInfoHost* Host) : TTntForm(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"NetStreamInfo");
    SetCaption(L"Net Stream Info");
    SetFormStyle(fsStayOnTop);
    SetPosition(poOwnerFormCenter);
    // Room for a few lines and the button, however small it is dragged.
    Constraints()->SetMinWidth(kMinWidth);
    Constraints()->SetMinHeight(kMinHeight);
    CreateControls();
  }
  SizeForClient(kClientWidth, kClientHeight);
  SetOnResize([this](TObject*) { FormResize(); });
  NetStreamInfo = this;
  DoCreate();
  FormResize();
}

TNetStreamInfo::~TNetStreamInfo() {
  if (NetStreamInfo == this) NetStreamInfo = nullptr;
  DestroyComponents();
}

// Sizeable, with the system menu only: no minimising a window that stays on
// top, no maximising a list of a few lines.
void TNetStreamInfo::CreateParams(TCreateParams& Params) {
  TTntForm::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
}

void TNetStreamInfo::CreateControls() {
  InfoGrid = new TTntStringGrid(this);
  InfoGrid->SetParent(this);
  InfoGrid->SetName(L"InfoGrid");
  InfoGrid->SetTag(1);
  InfoGrid->SetColCount(1);
  InfoGrid->SetRowCount(1);
  InfoGrid->SetFixedCols(0);
  InfoGrid->SetFixedRows(0);
  InfoGrid->SetDefaultRowHeight(kRowHeight);
  InfoGrid->SetScrollBars(ssVertical);
  InfoGrid->SetOptions(goHorzLine);
  InfoGrid->SetBounds(kMargin, kMargin, kClientWidth - 2 * kMargin,
                      kClientHeight - 3 * kMargin - kButtonHeight);

  CloseBut = new TTntButton(this);
  CloseBut->SetParent(this);
  CloseBut->SetName(L"CloseBut");
  CloseBut->SetCaption(std::wstring(L"Close"));
  CloseBut->SetCancel(true);
  CloseBut->SetDefault(true);
  CloseBut->SetOnClick([this](TObject*) { CloseButClick(); });
  SetActiveControl(CloseBut);
}

void TNetStreamInfo::DoShow() {
  FormShow();
  TTntForm::DoShow();
}

void TNetStreamInfo::FormShow() {
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"NetStreamInfo");
  InfoGrid->SetDoubleBuffered(true);
  InfoGrid->SetRowCount(1);
  InfoGrid->SetCells(0, 0, std::wstring());
  delete BufferTimer;
  BufferTimer = nullptr;
  if (FHost) {
    const TNetStreamWords words{GetLocalizedMessage(L"ConnectedToInetRadio"),
                                GetLocalizedMessage(L"PlayingInetStream"), GetLocalizedMessage(L"Server")};
    for (const std::wstring& line : NetStreamInfoLines(FHost->StreamFacts(), words)) AddLine(line);
    const uint8_t mode = FHost->PlayerMode();
    if (mode == kPlaying || mode == kPaused) {
      BufferTimer = new TTimer(this);
      BufferTimer->SetInterval(kBufferInterval);
      BufferTimer->SetOnTimer([this](TObject*) { UpdateBufferRow(); });
      UpdateBufferRow();
    }
  }
  PublishLines();
  FitColumn();
}

// The row count grows by one and the text goes into the empty bottom row, so
// one empty row always stays at the bottom (the buffer's, while it plays).
void TNetStreamInfo::AddLine(const std::wstring& Text) {
  const int32_t row = InfoGrid->RowCount() - 1;
  InfoGrid->SetRowCount(row + 2);
  InfoGrid->SetCells(0, row, Text);
}

void TNetStreamInfo::UpdateBufferRow() {
  if (!FHost) return;
  InfoGrid->SetCells(0, InfoGrid->RowCount() - 1, BufferLine(GetLocalizedMessage(L"Buffer"), FHost->BufferPercent()));
  PublishLines();
}

std::vector<std::wstring> TNetStreamInfo::Lines() const {
  std::vector<std::wstring> lines;
  for (int32_t row = 0; row < InfoGrid->RowCount(); ++row) lines.push_back(InfoGrid->Cells(0, row));
  return lines;
}

void TNetStreamInfo::PublishLines() {
  std::wstring text;
  for (const std::wstring& line : Lines()) text += line + L"\r\n";
  InfoGrid->SetCaption(text);
}

void TNetStreamInfo::FormResize() {
  const int width = ClientWidth(), height = ClientHeight();
  const int gridWidth = std::max(width - 2 * kMargin, 1);
  InfoGrid->SetBounds(kMargin, kMargin, gridWidth, std::max(height - 3 * kMargin - kButtonHeight, 1));
  FitColumn();
  CloseBut->SetBounds(kMargin, height - kMargin - kButtonHeight, gridWidth, kButtonHeight);
}

void TNetStreamInfo::FitColumn() {
  // The column fills the grid inside its frame and, only while the rows need
  // it, its scroll bar: a line is cut at the grid's edge, not before.
  InfoGrid->SetColWidths(0, std::max(InfoGrid->ClientWidth(), 1));
}

void TNetStreamInfo::CloseButClick() { Close(); }

void TNetStreamInfo::DoClose(TCloseAction& Action) {
  delete BufferTimer;
  BufferTimer = nullptr;
  TTntForm::DoClose(Action);
}
