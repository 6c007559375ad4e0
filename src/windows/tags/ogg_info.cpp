#include "windows/tags/ogg_info.h"

#include <windows.h>

#include <cwchar>
#include <optional>

#include "formats/ogg_vorbis.h"
#include "foundation/tnt_system.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "windows/controls/caption_fit.h"
#include "windows/tags/tag_host.h"
#include "windows/tags/tag_info_controls.h"
#include "windows/tags/tag_window_support.h"

using namespace tag_info_controls;

TOGG_Info* OGG_Info = nullptr;

namespace {

// Wide enough for the vendor string of the reference encoder,
// "Xiph.Org libVorbis I 20200704 (Reducing Environment)", in full.
constexpr int kColumnWidth = 330;
constexpr int kRows = 7;
constexpr int kClientWidth = 2 * kMargin + 2 * kColumnWidth + kColumnGap;
constexpr int kButtonsTop =
    kMargin + (kRows - 1) * kRowPitch + kLabelBand + kEditHeight + 2 * kMargin;
constexpr int kClientHeight = kButtonsTop + kButtonHeight + kMargin;
// TRACKNUMBER is a text; the reader keeps it in 16 bits, and four digits is
// what every player shows.
constexpr int32_t kMaxTrack = 9999;

// In the order of TOGG_Info::Editable().
constexpr TOggField kFieldOf[] = {ogTitle, ogArtist, ogAlbum, ogTrack, ogDate, ogGenre, ogComment};

std::wstring Decimals3(double Value) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%.3f", Value);
  return text;
}

}  // namespace

TOGG_Info::TOGG_Info(TComponent* AOwner, TTagHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  FOgg = std::make_unique<TOggVorbis>();
  {
    TLoadingScope scope(this);
    SetName(L"OGG_Info");
    SetCaption(L"OGG Vorbis tag editor");
    CreateControls();
  }
  SizeForClient(kClientWidth, kClientHeight);
  OGG_Info = this;
  DoCreate();
}

TOGG_Info::~TOGG_Info() {
  if (OGG_Info == this) OGG_Info = nullptr;
  DestroyComponents();
}

void TOGG_Info::CreateControls() {
  // Two columns of labelled edits: the stream's facts, read-only, and the
  // comments the user edits.
  int top = kMargin;
  int columnLeft = kMargin;
  bool readOnly = true;
  auto edit = [&](const wchar_t* Name, const wchar_t* Caption) {
    auto* e = NewLabeledEdit(this, Name, Caption, columnLeft, top, kColumnWidth, readOnly);
    top += kRowPitch;
    return e;
  };
  OggValidHeader = edit(L"OggValidHeader", L"Valid header");
  OggDuration = edit(L"OggDuration", L"Duration");
  OggChannelMode = edit(L"OggChannelMode", L"Channel mode");
  OggBitRate = edit(L"OggBitRate", L"Bit rate");
  OggSampleRate = edit(L"OggSampleRate", L"Sample rate");
  OggFileSize = edit(L"OggFileSize", L"File size");
  OggVendor = edit(L"OggVendor", L"Vendor");

  top = kMargin;
  columnLeft = kMargin + kColumnWidth + kColumnGap;
  readOnly = false;
  OggTitle = edit(L"OggTitle", L"Title");
  OggArtist = edit(L"OggArtist", L"Artist");
  OggAlbum = edit(L"OggAlbum", L"Album");
  OggTrack = edit(L"OggTrack", L"Track");
  OggDate = edit(L"OggDate", L"Date");
  OggGenre = edit(L"OggGenre", L"Genre");
  OggComment = edit(L"OggComment", L"Comment");

  int left = kMargin;
  auto button = [&](const wchar_t* Name, const wchar_t* Caption, std::function<void()> OnClick) {
    auto* b = NewButton(this, Name, Caption, left, kButtonsTop, std::move(OnClick));
    left += kButtonWidth + kButtonGap;
    return b;
  };
  SaveOgg = button(L"SaveOgg", L"Save", [this] { SaveOggClick(); });
  RemoveOgg = button(L"RemoveOgg", L"Remove", [this] { RemoveOggClick(); });
  UndoOgg = button(L"UndoOgg", L"Undo changes", [this] { UndoOggClick(); });
  left = kClientWidth - kMargin - kButtonWidth;
  CloseBut = button(L"CloseBut", L"Close", [this] { CloseButClick(); });
  CloseBut->SetCancel(true);
  SetActiveControl(OggTitle);
}

std::array<TTntLabeledEdit*, TOGG_Info::kFields> TOGG_Info::Editable() const {
  return {OggTitle, OggArtist, OggAlbum, OggTrack, OggDate, OggGenre, OggComment};
}

void TOGG_Info::RememberShown() {
  const auto edits = Editable();
  for (size_t i = 0; i < kFields; ++i) FShown[i] = edits[i]->Text();
}

void TOGG_Info::ShowInfo(const std::wstring& FileName) {
  StartTagWindow(this, FHost, L"OGGTagEditor");
  window_controls::FitButtonRow({SaveOgg, RemoveOgg, UndoOgg});
  FFileName = FileName;
  GetOggInfo();
}

void TOGG_Info::GetOggInfo() {
  if (!FOgg->ReadFromFile(FFileName)) ReportTagError(this, L"CantReadHeader", FFileName);
  if (!FOgg->IsValid()) {
    OggValidHeader->SetText(Word(L"No"));
    return;
  }
  OggValidHeader->SetText(Word(L"Yes") + (FOgg->HasID3v2() ? L", ID3v2 tag found" : L""));
  OggFileSize->SetText(WithUnit(std::to_wstring(FOgg->FileSize()), L"bytes"));
  OggChannelMode->SetText(Word(UTF8ToWideString(FOgg->GetChannelMode()).c_str()));
  OggSampleRate->SetText(WithUnit(std::to_wstring(FOgg->SampleRate()), L"Hz"));
  OggDuration->SetText(WithUnit(Decimals3(FOgg->GetDuration()), L"sec"));
  OggBitRate->SetText(WithUnit(std::to_wstring(FOgg->GetBitRate()), L"kbps") + L" (" +
                      Word(L"Nominal") + L" " + std::to_wstring(FOgg->BitRateNominal()) + L")");
  OggVendor->SetText(FOgg->Text(ogVendor));
  const auto edits = Editable();
  for (size_t i = 0; i < kFields; ++i)
    if (kFieldOf[i] != ogTrack) edits[i]->SetText(FOgg->Text(kFieldOf[i]));
  OggTrack->SetText(FOgg->Track() != 0 ? std::to_wstring(FOgg->Track()) : std::wstring());
  RememberShown();
}

void TOGG_Info::SaveOggClick() {
  const auto edits = Editable();
  auto changed = [&](size_t Field) { return edits[Field]->Text() != FShown[Field]; };
  std::optional<int32_t> track = -1;  // -1: left as it was
  for (size_t i = 0; i < kFields; ++i)
    if (kFieldOf[i] == ogTrack && changed(i)) track = ParseTrackNumber(edits[i]->Text(), kMaxTrack);
  if (!track) return RefuseTrackNumber(this, kMaxTrack);
  // The changes go onto the file as it is now, and the window's reader takes
  // them only once they are written: a failed save leaves nothing pending.
  TOggVorbis edited;
  if (!edited.ReadFromFile(FFileName)) return ReportTagError(this, L"CantSaveTag", FFileName);
  for (size_t i = 0; i < kFields; ++i)
    if (kFieldOf[i] != ogTrack && changed(i)) edited.SetText(kFieldOf[i], edits[i]->Text());
  if (*track >= 0) edited.SetTrack(static_cast<uint16_t>(*track));
  if (!edited.SaveToFile(FFileName)) return ReportTagError(this, L"CantSaveTag", FFileName);
  *FOgg = edited;
  RememberShown();
  UpdateOgg();
  // The file as it is now: its new size, and the comments as written.
  GetOggInfo();
}

void TOGG_Info::UpdateOgg() {
  TOggVorbis written;
  if (!written.ReadFromFile(FFileName) || !written.IsValid() || !FHost) return;
  const std::wstring artist = OggArtist->Text(), title = OggTitle->Text();
  FHost->SetEntryTitle(artist.empty() && title.empty() ? std::wstring() : artist + L" - " + title);
}

void TOGG_Info::RemoveOggClick() {
  TOggVorbis removed = *FOgg;
  if (!removed.RemoveFromFile(FFileName)) return ReportTagError(this, L"CantDeleteTag", FFileName);
  *FOgg = removed;
  OggClearAll();
  RememberShown();
  if (FHost) FHost->SetEntryTitle(std::wstring());
  // The stream is still there, in a file of another size.
  GetOggInfo();
}

void TOGG_Info::UndoOggClick() { GetOggInfo(); }

void TOGG_Info::OggClearAll() {
  for (TTntLabeledEdit* edit : {OggValidHeader, OggDuration, OggChannelMode, OggBitRate,
                                OggSampleRate, OggFileSize, OggVendor})
    edit->SetText(std::wstring());
  for (TTntLabeledEdit* edit : Editable()) edit->SetText(std::wstring());
}

void TOGG_Info::CloseButClick() { Close(); }
