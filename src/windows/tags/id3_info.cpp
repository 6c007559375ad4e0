#include "windows/tags/id3_info.h"

#include <windows.h>

#include <cmath>
#include <optional>
#include <vector>

#include "framework/format.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "windows/tags/tag_host.h"
#include "windows/tags/tag_window_support.h"

TID3_Info* ID3_Info = nullptr;

namespace {

constexpr int32_t kGenreCount = static_cast<int32_t>(ID3v1GenreNames.size());
// The ID3v1 tag keeps a track number in one byte; ID3v2's TRCK is text, but
// the tag's reader holds it in 16 bits and players show four digits.
constexpr int32_t kMaxTrackv1 = 255;
constexpr int32_t kMaxTrackv2 = 9999;

std::wstring FieldText(TControl* Field) {
  if (auto* edit = dynamic_cast<TTntCustomEdit*>(Field)) return edit->Text();
  if (auto* box = dynamic_cast<TTntCustomComboBox*>(Field)) return box->Text();
  return std::wstring();
}

void SetFieldText(TControl* Field, const std::wstring& Text) {
  if (auto* edit = dynamic_cast<TTntCustomEdit*>(Field)) edit->SetText(Text);
  if (auto* box = dynamic_cast<TTntCustomComboBox*>(Field)) box->SetText(Text);
}

std::wstring Number(int64_t Value) { return std::to_wstring(Value); }

// Tenths, with the point whatever the locale: the grid's other numbers are
// not localised either.
std::wstring OneDecimal(double Value) {
  const int64_t tenths = std::llround(std::max(0.0, Value) * 10);
  return Number(tenths / 10) + L"." + Number(tenths % 10);
}

std::wstring Localised(const std::string& EnglishName) {
  return Word(AnsiToWide(EnglishName).c_str());
}

}  // namespace

uint8_t GenreByteOfItem(int32_t ItemIndex) {
  return ItemIndex >= 1 && ItemIndex <= kGenreCount ? static_cast<uint8_t>(ItemIndex - 1) : 255;
}

TID3_Info::TID3_Info(TComponent* AOwner, TTagHost* Host) : TTntFixedDialog(AOwner), FHost(Host) {
  {
    TLoadingScope scope(this);
    SetName(L"ID3_Info");
    SetCaption(L"MPEG Tag Editor + File info box");
    CreateControls();
  }
  LayOut();
  ID3_Info = this;
  FormCreate();
  DoCreate();
}

TID3_Info::~TID3_Info() {
  if (ID3_Info == this) ID3_Info = nullptr;
  DestroyComponents();
}

void TID3_Info::FormCreate() {
  for (TTntComboBox* box : {Genrev1, Genrev2}) {
    box->Items()->Clear();
    box->Items()->Add(std::wstring());
    for (std::string_view name : ID3v1GenreNames) box->Items()->Add(AnsiToWide(name));
  }
}

void TID3_Info::Init(const std::wstring& FileName) {
  StartTagWindow(this, FHost, L"ID3TagEditor");
  LayOut();
  FFileName = FileName;
  FilePath->SetText(FileName);
  LoadID3v1();
  LoadID3v2();
  LoadMPEGinfo();
}

void TID3_Info::RememberID3v1() {
  for (TControl* field : {Titlev1, Artistv1, Albumv1, TrackNumv1, Yearv1, Commentv1})
    FLoaded[field] = FieldText(field);
  FLoadedGenre1 = Genrev1->ItemIndex();
}

void TID3_Info::RememberID3v2() {
  for (TControl* field :
       std::initializer_list<TControl*>{Titlev2, Artistv2, Albumv2, TrackNumv2, Yearv2, Genrev2,
                                        Commentv2, Composer, Encoder, Copyright, Language, Link})
    FLoaded[field] = FieldText(field);
}

bool TID3_Info::Changed(TControl* Field) { return FieldText(Field) != FLoaded[Field]; }

bool TID3_Info::TakeTrack(TTntLabeledEdit* Field, int32_t Max, int32_t& Track) {
  Track = -1;
  if (!Changed(Field)) return true;
  const std::optional<int32_t> value = ParseTrackNumber(Field->Text(), Max);
  if (!value) {
    RefuseTrackNumber(this, Max);
    return false;
  }
  Track = *value;
  return true;
}

void TID3_Info::RenameEntry(TTntLabeledEdit* Artist, TTntLabeledEdit* Title) {
  if (!FHost) return;
  const std::wstring artist = Artist->Text(), title = Title->Text();
  FHost->SetEntryTitle(artist.empty() && title.empty() ? std::wstring() : artist + L" - " + title);
}

bool TID3_Info::LoadID3v1() {
  const bool read = FID3v1.ReadFromFile(FFileName);
  ClearID3v1Fields();
  if (read && FID3v1.Exists()) {
    TagExv1->SetText(Word(L"Yes"));
    TagVerv1->SetText(FID3v1.VersionID() == 1 ? L"1.0" : L"1.1");
    Titlev1->SetText(AnsiToWide(FID3v1.Title()));
    Artistv1->SetText(AnsiToWide(FID3v1.Artist()));
    Albumv1->SetText(AnsiToWide(FID3v1.Album()));
    Commentv1->SetText(AnsiToWide(FID3v1.Comment()));
    if (FID3v1.Track() != 0) TrackNumv1->SetText(Number(FID3v1.Track()));
    Yearv1->SetText(AnsiToWide(FID3v1.Year()));
    // A number past the table names no genre the box holds: the box stays empty.
    if (FID3v1.GenreID() < kGenreCount) Genrev1->SetItemIndex(FID3v1.GenreID() + 1);
    CopyFrom1->SetEnabled(true);
    RemoveBut->SetEnabled(true);
  } else {
    // A tag that cannot be read is shown as none: nothing to remove or copy.
    TagExv1->SetText(Word(L"No"));
  }
  RememberID3v1();
  if (!read) ReportTagError(this, L"CantReadTag", FFileName);
  return read;
}

void TID3_Info::LoadID3v2() {
  const bool read = FID3v2.ReadFromFile(FFileName);
  ClearID3v2Fields();
  if (read && FID3v2.Exists()) {
    TagExv2->SetText(Word(L"Yes"));
    TagVerv2->SetText(L"2." + Number(FID3v2.VersionID()));
    TagSize->SetText(WithUnit(Number(FID3v2.Size()), L"bytes"));
    const std::pair<TControl*, TID3v2Field> texts[] = {
        {Titlev2, v2Title},     {Artistv2, v2Artist}, {Albumv2, v2Album},
        {Yearv2, v2Year},       {Genrev2, v2Genre},   {Commentv2, v2Comment},
        {Composer, v2Composer}, {Encoder, v2Encoder}, {Copyright, v2Copyright},
        {Language, v2Language}, {Link, v2Link}};
    for (const auto& [field, tagField] : texts) SetFieldText(field, FID3v2.Text(tagField));
    if (FID3v2.Track() != 0) TrackNumv2->SetText(Number(FID3v2.Track()));
    CopyFrom2->SetEnabled(true);
    RemoveBut2->SetEnabled(true);
  } else {
    TagExv2->SetText(Word(L"No"));
  }
  RememberID3v2();
  if (!read) ReportTagError(this, L"CantReadTag", FFileName);
}

void TID3_Info::LoadMPEGinfo() {
  FillInfoColumn(MpegInfo, {});
  if (!FMPEGaudio.ReadFromFile(FFileName))
    return ReportTagError(this, L"CantReadMPEGInfo", FFileName);
  if (!FMPEGaudio.IsValid()) return FillInfoColumn(MpegInfo, {Word(L"No")});
  const FrameData& frame = FMPEGaudio.Frame();
  auto yesNo = [](bool Value) { return Word(Value ? L"Yes" : L"No"); };
  FillInfoColumn(MpegInfo,
                 {Word(L"Yes"), WithUnit(Number(FMPEGaudio.FileLength()), L"bytes"),
                  Localised(FMPEGaudio.ChannelMode()),
                  AnsiToWide(FMPEGaudio.Version()) + L" " + AnsiToWide(FMPEGaudio.Layer()),
                  Word(FMPEGaudio.VBR().Found ? L"VBR" : L"CBR") + L" " +
                      WithUnit(Number(FMPEGaudio.BitRate()), L"kbps"),
                  WithUnit(Number(FMPEGaudio.SampleRate()), L"Hz"), yesNo(frame.OriginalBit),
                  Localised(FMPEGaudio.Emphasis()), AnsiToWide(FMPEGaudio.Encoder()),
                  WithUnit(OneDecimal(FMPEGaudio.Duration()), L"sec"),
                  WithUnit(Number(frame.Position), L"bytes"), Number(FMPEGaudio.Frames()),
                  yesNo(frame.ProtectionBit), yesNo(frame.CopyrightBit)});
}

void TID3_Info::SaveButClick() {
  int32_t track;
  if (!TakeTrack(TrackNumv1, kMaxTrackv1, track)) return;
  // The values go to a copy of the tag as loaded: a save the user calls off,
  // or one that fails, leaves it as it was for the next try.
  TID3v1 tag = FID3v1;
  bool lostCharacters = false;
  // The year is text to the tag, which keeps its first four characters.
  const std::pair<TTntLabeledEdit*, void (TID3v1::*)(const std::string&)> texts[] = {
      {Titlev1, &TID3v1::SetTitle},     {Artistv1, &TID3v1::SetArtist},
      {Albumv1, &TID3v1::SetAlbum},     {Commentv1, &TID3v1::SetComment},
      {Yearv1, &TID3v1::SetYear}};
  for (const auto& [field, set] : texts) {
    if (!Changed(field)) continue;
    // The tag holds 8-bit text: a character the code page lacks is replaced.
    const std::string stored = WideToAnsi(field->Text());
    lostCharacters = lostCharacters || AnsiToWide(stored) != field->Text();
    (tag.*set)(stored);
  }
  if (track >= 0) tag.SetTrack(static_cast<uint8_t>(track));
  if (Genrev1->ItemIndex() != FLoadedGenre1) tag.SetGenreID(GenreByteOfItem(Genrev1->ItemIndex()));
  if ((lostCharacters || !tag.SavesTextsWhole()) && !AskTagQuestion(this, L"ID3v1CannotHoldText"))
    return;
  // A failed save keeps what the user typed, for another try.
  if (!tag.SaveToFile(FFileName)) return ReportTagError(this, L"CantSaveTag", FFileName);
  FID3v1 = tag;
  // The entry is named by what the file holds now, not by what was typed.
  if (LoadID3v1()) Update1();
  LoadMPEGinfo();
}

void TID3_Info::SaveBut2Click() {
  int32_t track;
  if (!TakeTrack(TrackNumv2, kMaxTrackv2, track)) return;
  // The year is saved as typed: a 2.4 tag's recording time may be a whole date.
  const std::pair<TControl*, TID3v2Field> texts[] = {
      {Titlev2, v2Title},       {Artistv2, v2Artist},   {Albumv2, v2Album},
      {Yearv2, v2Year},         {Genrev2, v2Genre},     {Commentv2, v2Comment},
      {Composer, v2Composer},   {Encoder, v2Encoder},   {Copyright, v2Copyright},
      {Language, v2Language},   {Link, v2Link}};
  for (const auto& [field, tagField] : texts)
    if (Changed(field)) FID3v2.SetText(tagField, FieldText(field));
  if (track >= 0) FID3v2.SetTrack(static_cast<uint16_t>(track));
  if (!FID3v2.SaveToFile(FFileName)) return ReportTagError(this, L"CantSaveTag", FFileName);
  Update2();
  LoadID3v2();
  // The audio moves when the tag's size changes.
  LoadMPEGinfo();
}

void TID3_Info::RemoveButClick() {
  if (FID3v1.RemoveFromFile(FFileName)) {
    // What the reader still holds (the Lyrics3 fields the window does not
    // show) must not come back with the next save.
    FID3v1.ResetData();
    ClearID3v1Fields();
    TagExv1->SetText(Word(L"No"));
    RememberID3v1();
    LoadMPEGinfo();
  } else {
    ReportTagError(this, L"CantDeleteTag", FFileName);
  }
  IfNoTagsExecute();
}

void TID3_Info::RemoveBut2Click() {
  if (FID3v2.RemoveFromFile(FFileName)) {
    FID3v2.ResetData();
    ClearID3v2Fields();
    TagExv2->SetText(Word(L"No"));
    RememberID3v2();
    LoadMPEGinfo();
    Update1();
  } else {
    ReportTagError(this, L"CantDeleteTag", FFileName);
  }
  IfNoTagsExecute();
}

void TID3_Info::ClearID3v1Fields() {
  for (TTntLabeledEdit* edit :
       {TagExv1, TagVerv1, Titlev1, Artistv1, Albumv1, TrackNumv1, Yearv1, Commentv1})
    edit->SetText(std::wstring());
  Genrev1->SetItemIndex(0);
  CopyFrom1->SetEnabled(false);
  RemoveBut->SetEnabled(false);
}

void TID3_Info::ClearID3v2Fields() {
  for (TTntLabeledEdit* edit : {TagExv2, TagVerv2, TagSize, Titlev2, Artistv2, Albumv2, TrackNumv2,
                                Yearv2, Commentv2, Composer, Copyright, Encoder, Language, Link})
    edit->SetText(std::wstring());
  Genrev2->SetText(std::wstring());
  CopyFrom2->SetEnabled(false);
  RemoveBut2->SetEnabled(false);
}

void TID3_Info::CopyFrom1Click() {
  const std::pair<TTntLabeledEdit*, TTntLabeledEdit*> pairs[] = {
      {Titlev1, Titlev2},       {Artistv1, Artistv2}, {Albumv1, Albumv2},
      {TrackNumv1, TrackNumv2}, {Yearv1, Yearv2},     {Commentv1, Commentv2}};
  for (const auto& [from, to] : pairs) to->SetText(from->Text());
  Genrev2->SetText(Genrev1->Text());
}

void TID3_Info::CopyFrom2Click() {
  ClearID3v1Fields();
  const std::pair<TTntLabeledEdit*, TTntLabeledEdit*> pairs[] = {
      {Titlev2, Titlev1},       {Artistv2, Artistv1}, {Albumv2, Albumv1},
      {TrackNumv2, TrackNumv1}, {Yearv2, Yearv1},     {Commentv2, Commentv1}};
  for (const auto& [from, to] : pairs) to->SetText(from->Text());
}

void TID3_Info::UndoClick() {
  ClearID3v1Fields();
  ClearID3v2Fields();
  LoadID3v1();
  LoadID3v2();
}

void TID3_Info::Genrev1Exit() { Genrev1->Invalidate(); }

void TID3_Info::Update1() {
  // With an ID3v2 tag the entry is named by that tag, not by this one.
  TID3v2 other;
  if (!other.ReadFromFile(FFileName) || other.Exists()) return;
  RenameEntry(Artistv1, Titlev1);
}

void TID3_Info::Update2() {
  if (Artistv2->Text().empty() && Titlev2->Text().empty()) return;
  RenameEntry(Artistv2, Titlev2);
}

void TID3_Info::IfNoTagsExecute() {
  TID3v1 first;
  TID3v2 second;
  if (!first.ReadFromFile(FFileName) || !second.ReadFromFile(FFileName)) return;
  if (!first.Exists() && !second.Exists() && FHost) FHost->SetEntryTitle(std::wstring());
}

void TID3_Info::CloseButClick() { Close(); }
