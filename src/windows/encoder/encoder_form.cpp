#include "windows/encoder/encoder_form.h"

#include <windows.h>

#include <algorithm>

#include "bass/bass_api.h"
#include "engine/bass22_dynamic.h"
#include "engine/basswma22_dynamic.h"
#include "foundation/safe_file_name.h"
#include "foundation/string_func.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/app_exceptions.h"
#include "framework/graphics.h"
#include "localization/localization.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_graphics.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_list_box.h"
#include "widgets/m_progress.h"
#include "windows/encoder/encoder_host.h"
#include "windows/encoder/encoder_tags.h"
#include "foundation/encoder_output.h"

namespace bass = Bass22_dynamic;
namespace basswma = BassWMA22_dynamic;

TEncoderForm* EncoderForm = nullptr;

namespace {

// Set by Cancel (and by a close or the exit asked during a conversion),
// cleared before each file; the encoding loop reads it before every block.
bool EncoderCancel = false;

constexpr int kClientWidth = 425;
constexpr int kMargin = 8;
constexpr int kInnerWidth = kClientWidth - 2 * kMargin;
constexpr int kLabelHeight = 13;
constexpr int kBarHeight = 17;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 7;
constexpr int kButtonWidth = (kInnerWidth - 3 * kButtonGap) / 4;
constexpr int kFilesTop = kMargin + kLabelHeight + 3;
constexpr int kFilesHeight = 97;
constexpr int kProgressLabelTop = kFilesTop + kFilesHeight + 8;
constexpr int kProgressTop = kProgressLabelTop + kLabelHeight + 3;
constexpr int kTotalLabelTop = kProgressTop + kBarHeight + 8;
constexpr int kTotalTop = kTotalLabelTop + kLabelHeight + 3;
constexpr int kResultsLabelTop = kTotalTop + kBarHeight + 8;
constexpr int kResultsTop = kResultsLabelTop + kLabelHeight + 3;
constexpr int kResultsHeight = 69;
constexpr int kButtonsTop = kResultsTop + kResultsHeight + 8;
constexpr int kClientHeight = kButtonsTop + kButtonHeight + kMargin;
// More names than this for one file means the folder is full of its copies.
constexpr int kMaxNumberedNames = 999;

// A decoding channel on one file, freed on every way out of the conversion.
class TDecodeChannel {
 public:
  explicit TDecodeChannel(DWORD Handle) : FHandle(Handle) {}
  ~TDecodeChannel() {
    if (FHandle != 0 && bass::BASS_Handle != nullptr) bass::BASS_StreamFree(FHandle);
  }
  TDecodeChannel(const TDecodeChannel&) = delete;
  TDecodeChannel& operator=(const TDecodeChannel&) = delete;
  DWORD Handle() const { return FHandle; }

 private:
  DWORD FHandle;
};

DWORD OpenDecodeChannel(const std::wstring& File, const std::wstring& Extension, bool WMAReady) {
  constexpr DWORD kFlags = BASS_UNICODE | BASS_STREAM_DECODE;
  if (Extension == L".mp3" || Extension == L".wav" || Extension == L".ogg") {
    if (bass::BASS_Handle == nullptr) return 0;
    return bass::BASS_StreamCreateFile(FALSE, File.c_str(), 0, 0, kFlags);
  }
  if (Extension == L".wma" && WMAReady && basswma::BASSWMA_Handle != nullptr)
    return basswma::BASS_WMA_StreamCreateFile(FALSE, File.c_str(), 0, 0, kFlags);
  return 0;
}

const wchar_t* FormatExtension(uint8_t Format) {
  switch (Format) {
    case efWMA: return L".wma";
    case efMP3: return L".mp3";
    case efOGG: return L".ogg";
    default: return L".wav";
  }
}

// The lower-cased extension of a name: from its last "." after the last
// "\" or ":".
std::wstring LowerExtension(const std::wstring& Name) {
  const size_t dot = Name.find_last_of(L".\\:");
  if (dot == std::wstring::npos || Name[dot] != L'.') return std::wstring();
  return TntWideLowerCase(Name.substr(dot));
}

TTntLabel* NewLabel(TWinControl* Parent, const wchar_t* Name, const wchar_t* Caption, int Left,
                    int Top, int Width) {
  auto* label = new TTntLabel(Parent);
  label->SetParent(Parent);
  label->SetName(Name);
  label->SetCaption(std::wstring(Caption));
  label->SetBounds(Left, Top, Width, kLabelHeight);
  return label;
}

TTntListBox* NewList(TWinControl* Parent, const wchar_t* Name, int Top, int Height) {
  auto* list = new TTntListBox(Parent);
  list->SetParent(Parent);
  list->SetName(Name);
  list->SetColor(clBtnFace);
  list->SetIntegralHeight(false);
  list->SetBounds(kMargin, Top, kInnerWidth, Height);
  return list;
}

TMProgress* NewBar(TWinControl* Parent, const wchar_t* Name, int Top) {
  auto* bar = new TMProgress(Parent);
  bar->SetParent(Parent);
  bar->SetName(Name);
  bar->SetForeColor(clSilver);
  bar->SetBounds(kMargin, Top, kInnerWidth, kBarHeight);
  return bar;
}

TTntButton* NewButton(TWinControl* Parent, const wchar_t* Name, const wchar_t* Caption, int Index,
                      std::function<void()> OnClick) {
  auto* button = new TTntButton(Parent);
  button->SetParent(Parent);
  button->SetName(Name);
  button->SetCaption(std::wstring(Caption));
  button->SetBounds(kMargin + Index * (kButtonWidth + kButtonGap), kButtonsTop, kButtonWidth,
                    kButtonHeight);
  button->SetOnClick([OnClick = std::move(OnClick)](TObject*) { OnClick(); });
  return button;
}

}  // namespace

TEncoderForm::TEncoderForm(TComponent* AOwner, TEncoderHost* Host)
    : TTntFixedDialog(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"EncoderForm");
    SetCaption(L"Encoder");
    CreateControls();
  }
  SizeForClient(kClientWidth, kClientHeight);
  SetOnShow([this](TObject*) { FormShow(); });
  SetOnCloseQuery([this](TObject*, bool& CanClose) { FormCloseQuery(CanClose); });
  SetOnClose([this](TObject*, TCloseAction& Action) { FormClose(Action); });
  EncoderForm = this;
  DoCreate();
}

TEncoderForm::~TEncoderForm() {
  if (EncoderForm == this) EncoderForm = nullptr;
  DestroyComponents();
}

void TEncoderForm::CreateControls() {
  FilesToEncodeLabel = NewLabel(this, L"FilesToEncodeLabel", L"Files to convert:", kMargin, kMargin, 200);
  FilesToConvert = NewList(this, L"FilesToConvert", kFilesTop, kFilesHeight);
  FilesToConvert->SetShowHint(true);
  FilesToConvert->SetOnMouseMove([this](TObject*, TShiftState, int X, int Y) { FilesToConvertMouseMove(X, Y); });
  ProgressLabel = NewLabel(this, L"ProgressLabel", L"Progress:", kMargin, kProgressLabelTop, 200);
  ConvertProgress = NewBar(this, L"ConvertProgress", kProgressTop);
  TotalLabel = NewLabel(this, L"TotalLabel", L"Total:", kMargin, kTotalLabelTop, 200);
  BatchLabel = NewLabel(this, L"BatchLabel", L"", kClientWidth - kMargin - 120, kTotalLabelTop, 120);
  BatchLabel->SetAlignment(taRightJustify);
  TotalProgress = NewBar(this, L"TotalProgress", kTotalTop);
  ResultsLabel = NewLabel(this, L"ResultsLabel", L"Results:", kMargin, kResultsLabelTop, 200);
  ResultsList = NewList(this, L"ResultsList", kResultsTop, kResultsHeight);
  StartBut = NewButton(this, L"StartBut", L"Start", 0, [this] { StartButClick(); });
  CancelBut = NewButton(this, L"CancelBut", L"Cancel", 1, [this] { CancelButClick(); });
  OptionsBut = NewButton(this, L"OptionsBut", L"Options...", 2, [this] { OptionsButClick(); });
  CloseBut = NewButton(this, L"CloseBut", L"Close", 3, [this] { CloseButClick(); });
  SetActiveControl(StartBut);
}

void TEncoderForm::AddFiles(const std::vector<std::wstring>& Files) {
  for (const std::wstring& file : Files) FilesToConvert->Items()->Add(file);
  ShowBatchPosition();
}

void TEncoderForm::FormShow() {
  const std::string font = FHost ? FHost->OverrideFontName() : std::string();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"Encoder");
}

// A close asked while a file is converted cancels it; the window closes once
// the encoding loop has returned, never under it.
void TEncoderForm::FormCloseQuery(bool& CanClose) {
  if (!FConverting) return;
  CanClose = false;
  FCloseAfterBatch = true;
  CancelButClick();
}

void TEncoderForm::FormClose(TCloseAction& Action) {
  Action = caFree;
  // Freed later: files sent meanwhile go to a new window, not to this one.
  if (EncoderForm == this) EncoderForm = nullptr;
}

void TEncoderForm::CancelThen(std::function<void()> Then) {
  if (!FConverting) {
    if (Then) Then();
    return;
  }
  FAfterBatch = std::move(Then);
  CancelButClick();
}

void TEncoderForm::SetBusy(bool Busy) {
  StartBut->SetEnabled(!Busy);
  CloseBut->SetEnabled(!Busy);
}

void TEncoderForm::StartButClick() {
  TTntStrings* items = FilesToConvert->Items();
  // The buttons are disabled meanwhile, but a click can still be posted; and
  // the CD extractor may be encoding through the same loop.
  if (FConverting || items->Count() == 0) return;
  if (EncodingInProgress()) {
    LocalizedMessageBox(Handle(), L"EncoderBusy", {}, MB_ICONINFORMATION, L"Information");
    return;
  }
  FConverting = true;
  // Also when something throws: a batch left marked as running would hold
  // the program's exit for ever.
  struct TBatchEnd {
    TEncoderForm* Form;
    ~TBatchEnd() {
      Form->FConverting = false;
      try {
        Form->FilesToConvert->SetEnabled(true);
        Form->ShowBatchPosition();
      } catch (...) {
        ApplicationHandleException(std::current_exception());
      }
      Form->RunAfterBatch();
    }
  } batchEnd{this};
  FilesToConvert->SetEnabled(false);
  FBatchFiles.clear();
  for (int32_t i = 0; i < items->Count(); ++i) FBatchFiles.push_back(items->Strings(i));
  FBatchTotal = items->Count();
  FBatchDone = 0;
  FFilePercent = 0;
  ResultsList->Items()->Clear();
  ShowBatchPosition();
  for (int32_t i = items->Count() - 1; i >= 0; --i) {
    FilesToConvert->SetItemIndex(i);
    ConvertSelectedFile();
    if (EncoderCancel) {
      items->Clear();
      break;
    }
    items->Delete(i);
    ++FBatchDone;
    FFilePercent = 0;
    ShowBatchPosition();
  }
}

// Runs from a destructor: nothing may leave it.
void TEncoderForm::RunAfterBatch() noexcept {
  std::function<void()> then = std::move(FAfterBatch);
  FAfterBatch = nullptr;
  const bool close = FCloseAfterBatch;
  FCloseAfterBatch = false;
  try {
    if (then) then();
    // Release frees the window only after this click has returned.
    if (close) Close();
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
}

void TEncoderForm::ConvertSelectedFile() {
  EncoderCancel = false;
  SetBusy(true);
  struct TIdleAgain {
    TEncoderForm* Form;
    ~TIdleAgain() {
      try {
        Form->ConvertProgress->SetProgress(0);
        Form->SetBusy(false);
      } catch (...) {
        ApplicationHandleException(std::current_exception());
      }
    }
  } idleAgain{this};

  const int32_t index = FilesToConvert->ItemIndex();
  if (index < 0) return;
  const std::wstring file = FilesToConvert->Items()->Strings(index);
  const std::wstring name = WideExtractFileName(file);
  TDecodeChannel channel(OpenDecodeChannel(file, LowerExtension(name), FHost->WMAReady()));
  if (channel.Handle() == 0) {
    AddResult(name, GetLocalizedMessage(L"EncoderCantRead"));
    return;
  }
  const TEncodingChoice choice = FHost->EncodingChoice();
  const uint8_t format = choice.Format <= efOGG ? choice.Format : uint8_t{efWAV};
  if ((format == efWMA && !FHost->WMAReady()) ||
      ((format == efMP3 || format == efOGG) && !FHost->EncoderReady())) {
    AddResult(name, GetLocalizedMessage(L"EncoderNotAvailable"));
    return;
  }
  const std::wstring folder = EnsureTrailingBackslash(choice.Folder);
  std::wstring error;
  if (!WideDirectoryExists(folder) && !WideForceDirectories(folder)) {
    AddResult(name, FormatLocalizedText(GetLocalizedMessage(L"EncoderCantWrite"),
                                        {WideSysErrorMessage(GetLastError())}));
    return;
  }
  bool replaces = false;
  const std::wstring output = ChooseOutput(folder, FormatExtension(format), replaces);
  if (output.empty()) {
    AddResult(name, GetLocalizedMessage(L"EncoderNotReplaced"));
    return;
  }
  const std::wstring outName = WideExtractFileName(output);
  if (replaces && !OutputReplaceable(output, error)) {
    AddResult(outName, FormatLocalizedText(GetLocalizedMessage(L"EncoderCantWrite"), {error}));
    return;
  }
  TTemporaryOutput temporary;
  // The external encoders open their output by a name in the system's code
  // page.
  if (!temporary.Create(folder, format == efMP3 || format == efOGG, error)) {
    AddResult(outName, FormatLocalizedText(GetLocalizedMessage(L"EncoderCantWrite"), {error}));
    return;
  }

  const TSongNames songNames = ReadSongNames(file);
  FHost->EncodeChannel(channel.Handle(), temporary.WriteName(), choice.Options, EncoderCancel,
                       [this](int32_t Percent) { UpdateProgress(Percent); }, format);

  // The whole source was read and something was written: anything less is a
  // failure the player has already told of (or a cancel).
  const bool complete = bass::BASS_ChannelIsActive(channel.Handle()) == BASS_ACTIVE_STOPPED &&
                        temporary.Size() > (format == efWAV ? 44 : 0);
  if (EncoderCancel || !complete) {
    AddResult(outName, GetLocalizedMessage(EncoderCancel ? L"Canceled" : L"EncoderFailed"));
    return;
  }
  if (!temporary.MoveTo(output, replaces, error)) {
    AddResult(outName, FormatLocalizedText(GetLocalizedMessage(L"EncoderCantWrite"), {error}));
    return;
  }
  FBatchFiles.push_back(output);
  // The song keeps its names where the new format can hold them.
  WriteSongNames(output, songNames);
  AddResult(outName, GetLocalizedMessage(L"Done"));
}

std::wstring TEncoderForm::MakeEncoderOutputName(const std::wstring& Extension) {
  const int32_t index = FilesToConvert->ItemIndex();
  const std::wstring name = index >= 0 ? WideExtractFileName(FilesToConvert->Items()->Strings(index)) : L"";
  const std::wstring folder = FHost ? EnsureTrailingBackslash(FHost->EncodingChoice().Folder) : L"";
  return folder + MakeSafeFileName(WideChangeFileExt(name, L"")) + Extension;
}

std::wstring TEncoderForm::ChooseOutput(const std::wstring& Folder, const std::wstring& Extension,
                                        bool& Replaces) {
  Replaces = false;
  const std::wstring first = MakeEncoderOutputName(Extension);
  const std::wstring stem = first.substr(Folder.size(), first.size() - Folder.size() - Extension.size());
  bool asked = false;
  for (int n = 1; n <= kMaxNumberedNames; ++n) {
    const std::wstring candidate = NumberedOutputName(Folder, stem, Extension, n);
    if (std::any_of(FBatchFiles.begin(), FBatchFiles.end(),
                    [&](const std::wstring& f) { return SameFile(f, candidate); }))
      continue;
    if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
    // Only the plain name is worth a question; numbered ones that exist are
    // someone's earlier copies and are passed over.
    if (asked || n > 1) continue;
    asked = true;
    if (LocalizedMessageBox(Handle(), L"EncoderFileExists", {candidate}, MB_YESNO | MB_ICONQUESTION,
                            L"Question") == IDYES) {
      Replaces = true;
      return candidate;
    }
  }
  return std::wstring();
}

void TEncoderForm::CancelButClick() {
  EncoderCancel = true;
  ConvertProgress->SetProgress(0);
}

void TEncoderForm::CloseButClick() { Close(); }

void TEncoderForm::OptionsButClick() {
  if (FHost) FHost->ShowEncodingOptions();
}

void TEncoderForm::UpdateProgress(int32_t Percent) {
  ConvertProgress->SetProgress(Percent);
  FFilePercent = std::clamp(Percent, 0, 100);
  ShowBatchPosition();
}

// While idle: the files waiting ("0 / 3"), or how far the last batch came.
void TEncoderForm::ShowBatchPosition() {
  const int32_t waiting = FilesToConvert->Items()->Count();
  std::wstring position;
  int32_t percent = 0;
  if (FConverting && FBatchTotal > 0) {
    position = std::to_wstring(std::min(FBatchDone + 1, FBatchTotal)) + L" / " + std::to_wstring(FBatchTotal);
    percent = (FBatchDone * 100 + FFilePercent) / FBatchTotal;
  } else if (waiting > 0) {
    position = L"0 / " + std::to_wstring(waiting);
  } else if (FBatchTotal > 0) {
    position = std::to_wstring(FBatchDone) + L" / " + std::to_wstring(FBatchTotal);
    percent = FBatchDone * 100 / FBatchTotal;
  }
  BatchLabel->SetCaption(position);
  TotalProgress->SetProgress(percent);
}

void TEncoderForm::AddResult(const std::wstring& Name, const std::wstring& Text) {
  ResultsList->Items()->Add(Name + L" \x2014 " + Text);
  ResultsList->SetTopIndex(std::max(0, ResultsList->Items()->Count() - 1));
}

void TEncoderForm::FilesToConvertMouseMove(int X, int Y) {
  const int32_t item = FilesToConvert->ItemAtPos(POINT{X, Y}, true);
  if (item < 0) {
    Application()->CancelHint();
    return;
  }
  const std::wstring text = FilesToConvert->Items()->Strings(item);
  FilesToConvert->Canvas()->SetFont(FilesToConvert->Font());
  if (WideCanvasTextWidth(FilesToConvert->Canvas(), text) > FilesToConvert->ClientWidth() - 4) {
    if (FilesToConvert->Hint() != text) {
      FilesToConvert->SetHint(text);
      Application()->ActivateHint(FilesToConvert->ClientToScreen(POINT{X, Y}));
    }
  } else {
    FilesToConvert->SetHint(std::wstring());
    Application()->CancelHint();
  }
}
