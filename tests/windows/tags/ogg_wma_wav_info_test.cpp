// The Ogg Vorbis, WMA and WAV windows: what they show, that a save sets only
// what the user changed, the numbers and files they refuse, the entry titles
// they give, their language sections and their pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "asf_bytes.h"
#include "formats/ogg_vorbis.h"
#include "formats/wma_tag_editor.h"
#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "framework/dialogs.h"
#include "language_components.h"
#include "localization/localization.h"
#include "ogg_bytes.h"
#include "tag_bytes.h"
#include "test_forms.h"
#include "test_support.h"
#include "text_fit.h"
#include "unicode_controls/tnt_edits.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "wav_bytes.h"
#include "window_picture.h"
#include "windows/tags/ogg_info.h"
#include "tag_test_support.h"
#include "windows/tags/wav_info.h"
#include "windows/tags/wma_info.h"

namespace {

using testing_support::ReadFileBytes;
using namespace tag_window_test;

const std::wstring kJapanese = L"\u65E5\u672C title";  // outside the test's code page

std::string TaggedOgg() {
  return ogg_bytes::Make({.comments = {"TITLE=\xE6\x97\xA5\xE6\x9C\xAC title", "ARTIST=Art",
                                       "TRACKNUMBER=3/12", "GENRE=Caf\xE9"}});
}

std::string WmaFixture() {
  return ReadFileBytes(std::wstring(TAVRIN_OGGWMA_FIXTURES) + L"\\tagged.wma");
}

class TagInfoTest : public TagWindowTest {
 protected:
  std::unique_ptr<TOGG_Info> Ogg(const std::wstring& File) {
    auto w = std::make_unique<TOGG_Info>(nullptr, &host);
    w->ShowInfo(File);
    return w;
  }
};

TEST_F(TagInfoTest, OggShowsItsStreamOrOnlyNo) {
  const struct {
    const wchar_t* name;
    std::string bytes;  // empty: no file
    std::wstring valid, title, track, mode;
    size_t boxes;
  } cases[] = {{L"a.ogg", tag_bytes::Tag(3, 0, "", 20) + TaggedOgg(), L"Yes, ID3v2 tag found",
                kJapanese, L"3", L"Stereo", 0},
               {L"b.ogg", "OggS but no stream", L"No", L"", L"", L"", 1},
               {L"c.ogg", "", L"No", L"", L"", L"", 1}};
  for (const auto& c : cases) {
    boxes.clear();
    const std::wstring file = c.bytes.empty() ? dir.File(c.name) : dir.WriteFile(c.name, c.bytes);
    auto w = Ogg(file);
    EXPECT_EQ(w->OggValidHeader->Text(), c.valid) << c.name;
    EXPECT_EQ(w->OggTitle->Text(), c.title) << c.name;
    EXPECT_EQ(w->OggTrack->Text(), c.track) << c.name;
    EXPECT_EQ(w->OggChannelMode->Text(), c.mode) << c.name;
    EXPECT_EQ(boxes, Texts(c.boxes, L"Error: Cannot read the header of " + file + L"."));
  }
  auto w = Ogg(dir.WriteFile(L"d.ogg", TaggedOgg()));
  EXPECT_EQ(w->OggValidHeader->Text(), L"Yes");
  EXPECT_EQ(w->OggDuration->Text(), L"2.000 sec");
  EXPECT_EQ(w->OggSampleRate->Text(), L"44100 Hz");
  EXPECT_EQ(w->OggFileSize->Text(), std::to_wstring(TaggedOgg().size()) + L" bytes");
  EXPECT_TRUE(w->OggBitRate->Text().ends_with(L" kbps (Nominal 128)")) << w->OggBitRate->Text();
  EXPECT_EQ(w->OggVendor->Text(), L"Test vendor");
}

// Only the album and what a case types change; the title, which the code page
// cannot hold, and the genre, which is no UTF-8, stay as they were. A track
// that is no number, or below 1, is no track; one past what the window
// takes is refused with a box and nothing is saved.
TEST_F(TagInfoTest, OggSavesOnlyWhatChangedAndRefusesTracksItCannotHold) {
  const std::wstring refused =
      L"Error: " + FormatLocalizedText(GetLocalizedMessage(L"TrackNumberTooLarge"), {L"9999"});
  const struct {
    const wchar_t *track, *title, *artist;  // typed; nullptr: left alone
    uint16_t stored;
    const wchar_t* shown;
    Texts entries, boxes;
  } cases[] = {{L"7", nullptr, nullptr, 7, L"7", {L"Art - " + kJapanese}, {}},
               {L"abc", nullptr, nullptr, 0, L"", {L"Art - " + kJapanese}, {}},
               {L"0", nullptr, nullptr, 0, L"", {L"Art - " + kJapanese}, {}},
               {L"10000", nullptr, nullptr, 3, L"10000", {}, {refused}},
               {L"", nullptr, nullptr, 0, L"", {L"Art - " + kJapanese}, {}},
               {nullptr, L"", L"", 3, L"3", {L""}, {}}};
  for (const auto& c : cases) {
    host.titles.clear();
    boxes.clear();
    const std::wstring file = dir.WriteFile(L"a.ogg", TaggedOgg());
    auto w = Ogg(file);
    w->OggAlbum->SetText(std::wstring(L"New album"));
    if (c.track) w->OggTrack->SetText(std::wstring(c.track));
    if (c.title) w->OggTitle->SetText(std::wstring(c.title));
    if (c.artist) w->OggArtist->SetText(std::wstring(c.artist));
    w->SaveOggClick();
    const std::wstring why = c.track ? c.track : L"(titles)";
    EXPECT_EQ(w->OggTrack->Text(), c.shown) << why;
    EXPECT_EQ(host.titles, c.entries) << why;
    EXPECT_EQ(boxes, c.boxes) << why;
    if (!c.boxes.empty()) {
      EXPECT_EQ(ReadFileBytes(file), TaggedOgg()) << why;
      continue;
    }
    TOggVorbis back;
    ASSERT_TRUE(back.ReadFromFile(file));
    EXPECT_EQ(back.Text(ogAlbum), L"New album") << why;
    EXPECT_EQ(back.Text(ogTitle), c.title ? c.title : kJapanese) << why;
    EXPECT_EQ(back.Track(), c.stored) << why;
    const std::string bytes = ReadFileBytes(file);
    EXPECT_NE(bytes.find("GENRE=Caf\xE9"), std::string::npos) << why;
    EXPECT_EQ(bytes.find("TRACKNUMBER=3/12") != std::string::npos, c.stored == 3) << why;
  }
}

// A file that has gone or that another program holds is told and left byte
// for byte; a read-only one is written and stays read-only. A written one
// renames the entry, except through the WMA window, and the Ogg window shows
// the file's new size.
TEST_F(TagInfoTest, SavesAndRemovalsWriteReadOnlyFilesAndRefuseOthers) {
  enum How { writable, readOnly, vanished, locked };
  const struct {
    bool wma, remove;
    How how;
    Texts titles;  // given to the entry after a success
  } cases[] = {{false, false, writable, {L"Art - X"}},
               {false, true, writable, {L""}},
               {true, false, writable, {}},
               {false, false, readOnly, {L"Art - X"}},
               {false, true, readOnly, {L""}},
               {true, false, readOnly, {}},
               {false, false, vanished, {}},
               {false, true, vanished, {}},
               {false, false, locked, {}},
               {false, true, locked, {}},
               {true, false, vanished, {}},
               {true, false, locked, {}}};
  for (const auto& c : cases) {
    boxes.clear();
    host.titles.clear();
    const std::string original = c.wma ? WmaFixture() : TaggedOgg();
    const std::wstring file = dir.WriteFile(c.wma ? L"a.wma" : L"a.ogg", original);
    std::unique_ptr<TOGG_Info> ogg;
    std::unique_ptr<TWMA_Info> wma;
    if (c.wma) {
      wma = std::make_unique<TWMA_Info>(nullptr, &host);
      wma->ShowInfo(file);
      wma->WMATitle->SetText(std::wstring(L"X"));
    } else {
      ogg = Ogg(file);
      ogg->OggTitle->SetText(std::wstring(L"X"));
    }
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (c.how == readOnly) SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.how == vanished) DeleteFileW(file.c_str());
    if (c.how == locked)
      holder = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (wma)
      wma->SaveButClick();
    else if (c.remove)
      ogg->RemoveOggClick();
    else
      ogg->SaveOggClick();
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::wstring why = std::to_wstring(&c - cases);
    if (c.how == writable || c.how == readOnly) {
      EXPECT_EQ(boxes, Texts{}) << why;
      const std::string written = ReadFileBytes(file);
      EXPECT_NE(written, original) << why;
      EXPECT_EQ((attributes & FILE_ATTRIBUTE_READONLY) != 0, c.how == readOnly) << why;
      if (ogg) {
        EXPECT_EQ(ogg->OggFileSize->Text(), std::to_wstring(written.size()) + L" bytes") << why;
      }
    } else {
      const std::wstring box =
          c.remove ? L"Error: Cannot remove the tag from " : L"Error: Cannot save the tag to ";
      EXPECT_EQ(boxes, Texts{box + file + L"."}) << why;
      EXPECT_EQ(ReadFileBytes(file), c.how == vanished ? "" : original) << why;
    }
    EXPECT_EQ(host.titles, c.titles) << why;
  }
}

TEST_F(TagInfoTest, WmaShowsItsRecordAndSavesOnlyWhatChanged) {
  const std::wstring file = dir.WriteFile(L"a.wma", WmaFixture());
  TWMA_Info w(nullptr, &host);
  w.ShowInfo(file);
  EXPECT_EQ(w.FilePath->Text(), file);
  EXPECT_EQ(w.WMAArtist->Text(), L"WMA Artist");
  EXPECT_EQ(w.WMAComment->Text(), L"WMA Comment");
  EXPECT_EQ(w.WMALyrics->Text(), L"la la la");
  EXPECT_EQ(w.WMASDKVersion->Text(), L"12.0.7601");
  EXPECT_EQ(w.WMABitrate->Text(), L"CBR 128 kbps");
  EXPECT_EQ(w.WMAFilesize->Text(), std::to_wstring(WmaFixture().size()) + L" bytes");
  EXPECT_TRUE(w.WMADuration->Text().starts_with(L"0:0")) << w.WMADuration->Text();
  // Another program changes the artist while the window is open.
  TWMATagEditor other;
  ASSERT_TRUE(other.ReadFromFile(file));
  other.TagsData().Author = L"Other artist";
  ASSERT_TRUE(other.SaveToFile(file));

  w.WMATitle->SetText(L"New " + kJapanese);
  w.WMALyrics->SetText(std::wstring());
  w.SaveButClick();
  ASSERT_TRUE(other.ReadFromFile(file));
  EXPECT_EQ(other.TagsData().Title, L"New " + kJapanese);
  EXPECT_EQ(other.TagsData().Author, L"Other artist");
  EXPECT_EQ(other.TagsData().Lyrics, L"");
  EXPECT_EQ(other.TagsData().Composer, L"WMA Composer");
  EXPECT_NE(ReadFileBytes(file).find(std::string("C\0a\0l\0m\0", 8)),
            std::string::npos);  // WM/Mood
  EXPECT_EQ(w.WMAArtist->Text(), L"Other artist");
  EXPECT_EQ(boxes, Texts{});
  EXPECT_EQ(host.titles, Texts{});
}

// A file as another tag writer leaves it, with attributes of every type: a
// new title (a content-description text) or a new genre (an attribute beside
// the others) leaves each of them as it was, byte for byte, the numeric track
// number the window cannot show included.
TEST_F(TagInfoTest, WmaSaveKeepsEveryAttributeItDoesNotEdit) {
  using namespace asf_bytes;
  constexpr GUID kClass = {0xD1607DBC, 0xE323, 0x4BE2, {0x86, 0xA1, 0x48, 0xA4, 0x2A, 0x28, 0x44, 0x1E}};
  const std::string picture = "\x03" + LE(4, 4) + W(L"image/png") + W(L"") + "\x89PNG";
  const std::vector<Descriptor> attributes = {{L"WM/TrackNumber", 3, LE(7, 4)},
                                              {L"WM/Picture", 1, picture},
                                              {L"WM/AlbumArtist", 0, W(L"Band")},
                                              {L"WM/IsCompilation", 2, LE(1, 4)},
                                              {L"Big", 4, LE(0x123456789ull, 8)},
                                              {L"WM/BeatsPerMinute", 5, LE(120, 2)},
                                              {L"WM/MediaClassPrimaryID", 6, Id(kClass)}};
  const std::string before = File({Content({L"Song", L"Singer", L"", L"Notes", L""}), Extended(attributes)});
  const struct {
    TTntLabeledEdit* TWMA_Info::*Edit;
    const wchar_t* Title;
    std::vector<Descriptor> Attributes;
  } cases[] = {{&TWMA_Info::WMATitle, L"New", attributes},
               {&TWMA_Info::WMAGenre, L"Song", [&] {
                  std::vector<Descriptor> added = attributes;
                  added.push_back({L"WM/Genre", 0, W(L"New")});
                  return added;
                }()}};
  for (const auto& c : cases) {
    const std::wstring file = dir.WriteFile(L"a.wma", before);
    TWMA_Info w(nullptr, &host);
    w.ShowInfo(file);
    (w.*c.Edit)->SetText(std::wstring(L"New"));
    w.SaveButClick();
    EXPECT_EQ(boxes, Texts{});

    const std::string after = ReadFileBytes(file);
    const std::vector<std::string> fields = ContentFields(HeaderObject(after, kContent));
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], W(c.Title));
    EXPECT_EQ(fields[1], W(L"Singer"));
    EXPECT_EQ(fields[3], W(L"Notes"));
    EXPECT_EQ(ExtendedRecords(HeaderObject(after, kExtended)), c.Attributes);
    EXPECT_TRUE(HeaderObject(after, kExtended) == Extended(c.Attributes));
  }
}

TEST_F(TagInfoTest, WavShowsItsHeaderOrOnlyNo) {
  const std::string pcm = testing_support::WavBytes({}, 44100, [](uint32_t) { return 0; });
  const std::wstring size = std::to_wstring(pcm.size());
  const struct {
    const wchar_t* name;
    std::string bytes;  // empty: no file
    std::wstring rows;
    size_t boxes;
  } cases[] = {{L"a.wav", pcm,
                L"Yes|Windows PCM|Stereo|44100 Hz|16 bit|" + size +
                    L" bytes|4 bytes|176400 bytes|44 bytes|1.000 sec|",
                0},
               {L"b.wav", "RIFF\x04\0\0\0WAVEjunk", L"No||||||||||", 0},
               {L"c.wav", "", L"No||||||||||", 1}};
  TWAV_Info w(nullptr, &host);
  for (const auto& c : cases) {
    boxes.clear();
    const std::wstring file = c.bytes.empty() ? dir.File(c.name) : dir.WriteFile(c.name, c.bytes);
    w.ShowInfo(file);
    std::wstring rows;
    for (int32_t row = 0; row < w.WAVInfo->RowCount(); ++row)
      rows += w.WAVInfo->Cells(1, row) + L"|";
    EXPECT_EQ(rows, c.rows) << c.name;
    EXPECT_EQ(boxes, Texts(c.boxes, L"Error: Cannot read the header of " + file + L".")) << c.name;
  }
}

TEST_F(TagInfoTest, TheWindowsHoldToTheirLanguageSections) {
  using namespace language_test;
  const auto sections = ReadComponentList(ComponentListFile());
  const TTntIniFile english(EnglishLanguageFile());
  TOGG_Info ogg(nullptr, &host);
  TWMA_Info wma(nullptr, &host);
  TWAV_Info wav(nullptr, &host);
  EXPECT_EQ(CompareFormWithSection(&ogg, *FindSection(sections, L"OGGTagEditor"), english), "");
  EXPECT_EQ(CompareFormWithSection(&wma, *FindSection(sections, L"WMATagEditor"), english), "");
  EXPECT_EQ(CompareFormWithSection(&wav, *FindSection(sections, L"WaveFileInfo"), english), "");
}

// Every text drawn and none clipped or crowded, in English, in the tests'
// Russian and in a language a letter longer than English everywhere; the WAV
// window with the longest channel mode.
TEST_F(TagInfoTest, PicturesOfTheWindows) {
  const std::wstring ogg = dir.WriteFile(L"a.ogg", tag_bytes::Tag(3, 0, "", 20) + TaggedOgg());
  const std::wstring wma = dir.WriteFile(L"a.wma", WmaFixture());
  const std::wstring wav = dir.WriteFile(
      L"a.wav", testing_support::WavBytes({.channels = 6}, 44100, [](uint32_t) { return 0; }));
  testing_support::TempDir languages;
  for (const std::wstring language : {L"", L"_russian", L"_test_language"}) {
    if (language == L"_russian") LanguageFile = language_test::RussianLanguageFile();
    if (language == L"_test_language") LanguageFile = language_test::WriteTestLanguage(
        languages, {L"OGGTagEditor", L"WMATagEditor", L"WaveFileInfo", L"Messages"});
    auto* o = new TOGG_Info(nullptr, &host);
    auto* m = new TWMA_Info(nullptr, &host);
    auto* v = new TWAV_Info(nullptr, &host);
    const std::unique_ptr<TForm> windows[] = {std::unique_ptr<TForm>(o), std::unique_ptr<TForm>(m),
                                              std::unique_ptr<TForm>(v)};
    o->ShowInfo(ogg);
    m->ShowInfo(wma);
    v->ShowInfo(wav);
    for (const auto& w : windows) {
      testing_support::ShowPainted(w.get());
      testing_support::Picture picture;
      ASSERT_TRUE(
          testing_support::TakeWindowPicture(w->Handle(), w->Name() + language + L".png", picture));
      EXPECT_EQ(testing_support::TextsWithoutInk(w->Handle(), picture), std::vector<std::wstring>{})
          << WideStringToUTF8(w->Name());
      EXPECT_EQ(testing_support::TextsThatDoNotFit(w.get()), std::vector<std::string>{})
          << WideStringToUTF8(w->Name() + language);
      w->Hide();
    }
  }
  EXPECT_EQ(boxes, Texts{});
}

}  // namespace
