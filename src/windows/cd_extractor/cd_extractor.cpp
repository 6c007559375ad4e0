#include "windows/cd_extractor/cd_extractor.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "foundation/encoder_output.h"
#include "foundation/safe_file_name.h"
#include "foundation/string_func.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/graphics.h"
#include "localization/localization.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_ext_ctrls.h"
#include "unicode_controls/tnt_labels.h"
#include "unicode_controls/tnt_list_view.h"
#include "unicode_controls/tnt_menus.h"
#include "windows/cd_extractor/cd_host.h"

TCDEx* CDEx = nullptr;

namespace {

constexpr int kClientWidth = 572;
constexpr int kClientHeight = 475;
constexpr int kPanelHeight = 38;
constexpr TColor kEvenRowColor = 0xF9F2ED;
constexpr TColor kOddRowColor = 0xF3EAE0;
// A rip of the same name gets " (2)", " (3)"...; past this many something
// else is wrong with the folder.
constexpr int kMaxNumbering = 999;

constexpr int kMinColumnWidth = 20;
constexpr int kStateColumn = 2;  // sub-item of the "State" column
constexpr int kTitleColumn = 0;
constexpr int kArtistColumn = 3;
const wchar_t kNoState[] = L" ";

const wchar_t* const kExtensions[] = {L"wav", L"wma", L"mp3", L"ogg"};
// The formats lame.exe and oggenc.exe write, which open their output by a
// name in the system's code page.
bool ByExternalEncoder(uint8_t Format) { return Format == 2 || Format == 3; }

TTntListItem* Row(TTntEditableListView* List, int32_t Index) { return List->Items()->Item(Index); }

std::wstring SubItem(TTntListItem* Item, int32_t Index) {
  TWideSubItems* items = Item->SubItems();
  return Index < items->Count() ? items->Strings(Index) : std::wstring();
}

// A track's stream and the door's lock, given back however the track ends.
class TTrackHold {
 public:
  TTrackHold(TCDHost* Host, int32_t Drive, uint32_t Stream) : FHost(Host), FDrive(Drive), FStream(Stream) {}
  ~TTrackHold() {
    FHost->FreeTrackStream(FStream);
    FHost->LockDoor(FDrive, false);
  }
  TTrackHold(const TTrackHold&) = delete;
  TTrackHold& operator=(const TTrackHold&) = delete;

 private:
  TCDHost* FHost;
  int32_t FDrive;
  uint32_t FStream;
};

}  // namespace

TCDEx::TCDEx(TComponent* AOwner, TCDHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"CDEx");
    SetCaption(L"CD Extractor");
    CreateControls();
  }
  // The menu bar takes its line from the client area.
  SizeForClient(kClientWidth, kClientHeight + GetSystemMetrics(SM_CYMENU));
  SetOnShow([this](TObject*) { FormShow(); });
  SetOnClose([this](TObject*, TCloseAction& Action) { FormClose(Action); });
  SetOnCloseQuery([this](TObject*, bool& CanClose) { FormCloseQuery(CanClose); });
  CDEx = this;
  DoCreate();
}

TCDEx::~TCDEx() {
  if (CDEx == this) CDEx = nullptr;
  ReleaseCD();
  DestroyComponents();
}

void TCDEx::CreateControls() {
  CDExtMMenu = new TTntMainMenu(this);
  CDExtMMenu->SetName(L"CDExtMMenu");
  auto item = [this](const wchar_t* Name, const wchar_t* Caption, std::function<void()> Click) {
    auto* i = new TTntMenuItem(this);
    i->SetName(Name);
    i->SetCaption(std::wstring(Caption));
    i->SetOnClick([Click](TObject*) { Click(); });
    CDExtMMenu->Items()->Add(i);
    return static_cast<TMenuItem*>(i);
  };
  ExtractMI = item(L"ExtractMI", L"Extract", [this] { ExtractMIClick(); });
  CancelMI = item(L"CancelMI", L"Cancel", [this] { CancelMIClick(); });
  OptionsMI = item(L"OptionsMI", L"Options...", [this] { OptionsMIClick(); });
  SetMenu(CDExtMMenu);

  Panel = new TTntPanel(this);
  Panel->SetParent(this);
  Panel->SetName(L"Panel");
  Panel->SetAlign(alTop);
  Panel->SetHeight(kPanelHeight);
  Panel->SetBevelOuter(bvNone);
  Panel->SetCaption(std::wstring());

  CDDriveLabel = new TTntLabel(this);
  CDDriveLabel->SetParent(Panel);
  CDDriveLabel->SetName(L"CDDriveLabel");
  CDDriveLabel->SetAutoSize(false);
  // Room for a longer translation of the caption.
  CDDriveLabel->SetBounds(8, 12, 80, 16);
  CDDriveLabel->SetCaption(std::wstring(L"CD Drive:"));

  CDDrive = new TTntComboBox(this);
  CDDrive->SetParent(Panel);
  CDDrive->SetName(L"CDDrive");
  CDDrive->SetStyle(csDropDownList);
  CDDrive->SetTag(-1);  // the drive listed; none yet
  CDDrive->SetBounds(92, 8, 290, 21);
  CDDrive->SetOnSelect([this](TObject*) { GetCDTracks(); });

  SelAllTracks = new TTntCheckBox(this);
  SelAllTracks->SetParent(Panel);
  SelAllTracks->SetName(L"SelAllTracks");
  SelAllTracks->SetBounds(396, 10, 160, 17);
  SelAllTracks->SetCaption(std::wstring(L"Select all"));
  SelAllTracks->SetOnClick([this](TObject*) { SelAllTracksClick(); });

  TrackList = new TTntEditableListView(this);
  TrackList->SetParent(this);
  TrackList->SetName(L"TrackList");
  TrackList->SetAlign(alClient);
  TrackList->SetViewStyle(vsReport);
  TrackList->SetCheckBoxes(true);
  TrackList->SetMultiSelect(true);
  TrackList->SetRowSelect(true);
  TrackList->SetColumnClick(false);
  TrackList->SetColor(kEvenRowColor);
  const struct {
    const wchar_t* Caption;
    int Width;
    intptr_t Tag;  // 1: not edited in place
  } columns[] = {{L"#", 50, 1}, {L"Title", 130, 0}, {L"Time", 80, 1}, {L"State", 130, 1}, {L"Artist", 130, 0}};
  for (const auto& c : columns) {
    TTntListColumn* column = TrackList->Columns()->Add();
    column->SetCaption(std::wstring(c.Caption));
    column->SetWidth(c.Width);
    column->SetTag(c.Tag);
  }
  TrackList->SetOnEndColumnResize([this](TObject*, int Column, int Width) {
    if (Column >= 0 && Column < TrackList->Columns()->Count() && Width < kMinColumnWidth)
      TrackList->Columns()->Items(Column)->SetWidth(kMinColumnWidth);
  });
  TrackList->SetOnCustomDrawItem([this](TCustomListView*, TListItem* Item, TCustomDrawState, bool& DefaultDraw) {
    TrackListCustomDrawItem(Item, DefaultDraw);
  });
}

// ---------------------------------------------------------------- showing

void TCDEx::FormShow() {
  const std::string font = FHost->OverrideFontName();
  if (!font.empty()) ApplyFontOverride(this, font);
  LoadFormLanguage(this, LanguageFile, L"CD Extractor");
  FillLastColumn();
  CDDrive->Items()->Clear();
  FDriveNumbers.clear();
  if (FHost->CDReady()) {
    for (const TCDDriveLine& drive : FHost->CDDrives()) {
      CDDrive->Items()->Add(drive.Text);
      FDriveNumbers.push_back(drive.Number);
    }
  }
  if (!FDriveNumbers.empty()) {
    CDDrive->SetItemIndex(0);
    GetCDTracks();
  }
  FHost->SetCDBusy(true);
  FHoldsCD = true;
  FCurrentRow = -1;
  TrackList->SetDoubleBuffered(true);
  FIdle = true;
}

// Translated columns are sized by their captions and leave the list's spare
// width unused: the artist, whose names run longest, takes it.
void TCDEx::FillLastColumn() {
  TTntListColumns* columns = TrackList->Columns();
  const int32_t last = columns->Count() - 1;
  if (last < 0) return;
  int others = GetSystemMetrics(SM_CXVSCROLL);
  for (int32_t i = 0; i < last; ++i) others += columns->Items(i)->Width();
  columns->Items(last)->SetWidth(std::max(columns->Items(last)->Width(), TrackList->ClientWidth() - others));
}

void TCDEx::GetCDTracks() {
  TrackList->Items()->Clear();
  const int32_t index = CDDrive->ItemIndex();
  if (index < 0 || index >= static_cast<int32_t>(FDriveNumbers.size())) return;
  CDDrive->SetTag(FDriveNumbers[static_cast<size_t>(index)]);
  const std::wstring unknownArtist = GetLocalizedMessage(L"UnknownArtist");
  const std::wstring trackWord = GetLocalizedMessage(L"Track");
  const std::wstring secWord = GetLocalizedMessage(L"sec");
  const std::vector<TCDTrackLine> tracks = FHost->CDTracks(static_cast<int32_t>(CDDrive->Tag()));
  TrackList->Items()->BeginUpdate();
  for (size_t i = 0; i < tracks.size(); ++i) {
    const std::wstring number = std::to_wstring(i + 1);
    TTntListItem* row = TrackList->Items()->Add();
    row->SetCaption(number);
    row->SubItems()->Add(tracks[i].Title.empty() ? trackWord + L" " + number : tracks[i].Title);
    // A track of unknown length (a data track) has no time to show.
    row->SubItems()->Add(tracks[i].Duration < 0 ? std::wstring()
                                                : std::to_wstring(tracks[i].Duration) + L" " + secWord);
    row->SubItems()->Add(kNoState);
    row->SubItems()->Add(tracks[i].Artist.empty() ? unknownArtist : tracks[i].Artist);
  }
  TrackList->Items()->EndUpdate();
}

void TCDEx::SelAllTracksClick() {
  for (int32_t i = 0; i < TrackList->Items()->Count(); ++i)
    Row(TrackList, i)->SetChecked(SelAllTracks->Checked());
}

void TCDEx::TrackListCustomDrawItem(TListItem* Item, bool& DefaultDraw) {
  DefaultDraw = true;
  // While it rips the list is greyed out whole, its rows too.
  if (!TrackList->Enabled()) {
    TrackList->Canvas()->Brush()->SetColor(clBtnFace);
    TrackList->Canvas()->Font()->SetColor(clGrayText);
    return;
  }
  TrackList->Canvas()->Brush()->SetColor(Item->Index() % 2 == 0 ? kEvenRowColor : kOddRowColor);
}

void TCDEx::Activate() {
  TTntFixedDialog::Activate();
  FHost->DisableShortcuts();
}

void TCDEx::Deactivate() {
  TTntFixedDialog::Deactivate();
  FHost->EnableShortcuts();
}

// ---------------------------------------------------------------- closing

void TCDEx::FormCloseQuery(bool& CanClose) {
  CanClose = FIdle;
  if (!FIdle)
    LocalizedMessageBox(Handle(), L"CantCloseBusyWindow", {}, MB_ICONWARNING, L"Information");
}

void TCDEx::FormClose(TCloseAction& Action) {
  Action = caFree;
  // On its way out the window is no longer the extractor: the toggle makes a
  // new one rather than closing this one again.
  if (CDEx == this) CDEx = nullptr;
  TrackList->Items()->Clear();
  CDDrive->Items()->Clear();
  FDriveNumbers.clear();
  ReleaseCD();
}

void TCDEx::ReleaseCD() {
  if (!FHoldsCD) return;
  FHoldsCD = false;
  FHost->SetCDBusy(false);
  FHost->EnableShortcuts();
  FHost->CDExtractorClosed();
}

void TCDEx::CancelThen(std::function<void()> Then) {
  if (FIdle) {
    if (Then) Then();
    return;
  }
  FAfterRip = std::move(Then);
  CancelMIClick();
}

// ---------------------------------------------------------------- ripping

void TCDEx::SetRipping(bool Ripping) {
  TrackList->SetEnabled(!Ripping);
  TrackList->SetColor(Ripping ? clBtnFace : kEvenRowColor);
  SelAllTracks->SetEnabled(!Ripping);
  ExtractMI->SetEnabled(!Ripping);
  CDDrive->SetEnabled(!Ripping);
}

void TCDEx::ExtractMIClick() {
  // The menu item is greyed meanwhile, but a click may already wait in the
  // queue that the encoder's progress lets through.
  if (!FIdle) return;
  // The encoder window may be converting through the same encoder loop.
  if (FHost && FHost->EncoderBusy()) {
    LocalizedMessageBox(Handle(), L"EncoderBusy", {}, MB_ICONINFORMATION, L"Information");
    return;
  }
  FCancelRequested = false;
  FFolderFailed = false;
  FClaimed.clear();
  {
    // Idle again however the rip ends.
    struct TRipScope {
      TCDEx* Window;
      explicit TRipScope(TCDEx* W) : Window(W) {
        Window->FIdle = false;
        Window->SetRipping(true);
      }
      ~TRipScope() {
        Window->FIdle = true;
        Window->SetRipping(false);
      }
    } scope(this);
    const auto drive = static_cast<int32_t>(CDDrive->Tag());
    if (drive > -1 && TrackListCheckedCount() > 0 && FHost->DriveReady(drive)) {
      // The states of the last rip would pass for this one's.
      for (int32_t row = 0; row < TrackList->Items()->Count(); ++row) SetState(row, kNoState);
      const TCDEncodeSettings settings = FHost->EncodeSettings();
      ExtractChecked(settings.Format, settings.Options, settings.Folder);
    } else {
      LocalizedMessageBox(Handle(), L"CDIsNotInDrive", {}, MB_ICONINFORMATION, L"Information");
    }
  }
  // An exit that came during the rip runs now; it may free this window, so
  // nothing follows it.
  if (FAfterRip) {
    std::function<void()> then = std::move(FAfterRip);
    FAfterRip = nullptr;
    then();
  }
}

void TCDEx::ExtractChecked(uint8_t Format, const std::wstring& Options, const std::wstring& Folder) {
  for (int32_t row = 0; row < TrackList->Items()->Count(); ++row) {
    if (FCancelRequested || FFolderFailed) break;
    if (Row(TrackList, row)->Checked()) EncodeTrack(static_cast<int32_t>(CDDrive->Tag()), row, Options, Folder, Format);
  }
}

void TCDEx::EncodeTrack(int32_t Drive, int32_t Track, const std::wstring& Options, const std::wstring& Folder,
                        uint8_t Format) {
  if (!FHost->CDReady() || !FHost->EncoderReady()) return;
  FHost->LockDoor(Drive, true);
  const uint32_t stream = FHost->OpenTrackStream(Drive, Track);
  if (stream == 0) {
    ShowError(Drive, GetLocalizedMessage(L"BassError"));
    return;
  }
  const TTrackHold hold(FHost, Drive, stream);
  const std::wstring folder = EnsureTrailingBackslash(Folder);
  if (!WideForceDirectories(folder)) {
    // Every further track would fail the same way.
    FFolderFailed = true;
    LocalizedMessageBox(Handle(), L"CantCreateFolder", {}, MB_ICONERROR, L"Error");
    return;
  }
  if (Format >= 4) return;
  bool replace = false;
  const std::wstring path = ClaimOutput(folder, kExtensions[Format], Track, replace);
  if (FCancelRequested) return;
  // The rip goes to a temporary file, which takes the track's name only once
  // complete: until then a file it replaces stays whole, and a cancel, a
  // failure or the exit leave nothing behind.
  TTemporaryOutput temporary;
  std::wstring error;
  if (path.empty() || (replace && !OutputReplaceable(path, error)) ||
      !temporary.Create(folder, ByExternalEncoder(Format), error)) {
    SetState(Track, GetLocalizedMessage(L"RipFailed"));
    return;
  }
  FCurrentRow = Track;
  FHost->EncodeChannel(stream, temporary.WriteName(), Options, FCancelRequested,
                       [this](int32_t Percent) { UpdateProgress(Percent); }, Format);
  FCurrentRow = -1;
  if (FCancelRequested) {
    SetState(Track, GetLocalizedMessage(L"Canceled"));
  } else if (!FHost->StreamEnded(stream) || temporary.Size() <= 0 || !temporary.MoveTo(path, replace, error)) {
    // The encoder gave up (it said why), or the file could not take its name.
    SetState(Track, GetLocalizedMessage(L"RipFailed"));
  }
  MessageBeep(MB_OK);
}

std::wstring TCDEx::ClaimOutput(const std::wstring& Folder, const std::wstring& Extension, int32_t Row,
                                bool& Replace) {
  const std::wstring first = MakeFileName(Folder, Extension, Row);
  const std::wstring stem = first.substr(Folder.size(), first.size() - Folder.size() - Extension.size() - 1);
  for (int n = 1; n <= kMaxNumbering; ++n) {
    const std::wstring path = NumberedOutputName(Folder, stem, L"." + Extension, n);
    const std::wstring key = TntWideLowerCase(path);
    if (FClaimed.count(key)) continue;
    Replace = false;
    if (WideFileExists(path)) {
      Replace = LocalizedMessageBox(Handle(), L"ReplaceRippedFile", {path}, MB_YESNO | MB_ICONQUESTION,
                                    L"Question") == IDYES;
      if (FCancelRequested) return std::wstring();
      if (!Replace) continue;
    }
    FClaimed.insert(key);
    return path;
  }
  return std::wstring();
}

std::wstring TCDEx::MakeFileName(const std::wstring& Folder, const std::wstring& Extension, int32_t Row) {
  TTntListItem* item = ::Row(TrackList, Row);
  std::wstring name;
  const std::wstring artist = SubItem(item, kArtistColumn), title = SubItem(item, kTitleColumn);
  if (!IsBlank(artist)) name = artist;
  if (!IsBlank(title)) name += L" - " + title;
  if (IsBlank(name)) name = std::to_wstring(Row + 1);
  return Folder + MakeSafeFileName(name) + L"." + Extension;
}

void TCDEx::UpdateProgress(int32_t Percent) {
  if (!ValidTrackRow(FCurrentRow) || FCancelRequested) return;
  if (Percent >= 100) {
    SetState(FCurrentRow, GetLocalizedMessage(L"Done"));
    return;
  }
  wchar_t percent[32];
  std::swprintf(percent, 32, L" [%d%%]", Percent);
  SetState(FCurrentRow, GetLocalizedMessage(L"CopyingProgress") + percent);
}

void TCDEx::SetState(int32_t Row, const std::wstring& Text) {
  if (!ValidTrackRow(Row)) return;
  TWideSubItems* items = ::Row(TrackList, Row)->SubItems();
  if (kStateColumn < items->Count() && items->Strings(kStateColumn) != Text) items->SetStrings(kStateColumn, Text);
}

void TCDEx::ShowError(int32_t Drive, const std::wstring& Text) {
  FHost->ShowError(Text);
  FHost->LockDoor(Drive, false);
}

void TCDEx::CancelMIClick() {
  FCancelRequested = true;
  if (ValidTrackRow(FCurrentRow)) SetState(FCurrentRow, GetLocalizedMessage(L"Canceled"));
}

void TCDEx::OptionsMIClick() { FHost->ShowEncodingOptions(); }

int32_t TCDEx::TrackListCheckedCount() {
  int32_t count = 0;
  for (int32_t i = 0; i < TrackList->Items()->Count(); ++i)
    if (Row(TrackList, i)->Checked()) ++count;
  return count;
}

bool TCDEx::ValidTrackRow(int32_t Row) { return Row >= 0 && Row < TrackList->Items()->Count(); }
