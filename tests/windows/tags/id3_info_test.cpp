// The ID3 tag window driven through its handlers on small MP3 files: what it
// shows, what a save or removal writes and leaves alone, the entry's title,
// the error boxes, its language section and its pictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/tnt_ini_files.h"
#include "foundation/tnt_string_list.h"
#include "framework/format.h"
#include "framework/dialogs.h"
#include "globals/program_globals.h"
#include "language_components.h"
#include "localization/localization.h"
#include "tag_bytes.h"
#include "test_forms.h"
#include "test_support.h"
#include "text_fit.h"
#include "unicode_controls/tnt_buttons.h"
#include "unicode_controls/tnt_combo_box.h"
#include "unicode_controls/tnt_grids.h"
#include "unicode_controls/tnt_labeled_edit.h"
#include "window_picture.h"
#include "windows/tags/id3_info.h"
#include "tag_test_support.h"

namespace {

using namespace tag_bytes;
using namespace tag_window_test;
using Calls = Texts;

std::string V1(const std::string& Title, const std::string& Artist, uint8_t Track, uint8_t Genre) {
  auto field = [](std::string s, size_t n) { return s.resize(n, '\0'), s; };
  return "TAG" + field(Title, 30) + field(Artist, 30) + field("Disc", 30) + "2001" +
         field("Note", 28) + '\0' + char(Track) + char(Genre);
}

// Twenty silent MPEG 1 Layer III frames: 128 kbit/s, 44100 Hz, joint stereo, original.
const std::string kAudio = [] {
  std::string frame = "\xFF\xFB\x90\x64" + std::string(413, '\0'), s;
  for (int i = 0; i < 20; ++i) s += frame;
  return s;
}();

const std::string kV2Frames = Frame23("TIT2", Latin("Song2")) + Frame23("TPE1", Latin("Singer")) +
                              Frame23("TALB", Latin("Album2")) + Frame23("TRCK", Latin("3/12")) +
                              Frame23("TYER", Latin("1999")) + Frame23("TCON", Latin("Jazz")) +
                              Frame23("COMM", Latin(std::string("eng\0Words", 9))) +
                              Frame23("TCOM", Latin("Comp")) + Frame23("TCOP", Latin("Copy")) +
                              Frame23("TENC", Latin("Enc")) + Frame23("TLAN", Latin("eng")) +
                              Frame23("WXXX", Latin(std::string(1, '\0') + "http://x.example/"));
const std::string kV2 = Tag(3, 0, kV2Frames, 200);
const std::string kV1 = V1("Song", "Band", 5, 17);

class ID3InfoTest : public TagWindowTest {
 protected:
  void TearDown() override {
    form.reset();
    TagWindowTest::TearDown();
  }
  TID3_Info& Open(const std::string& Bytes) {
    form.reset();
    file = dir.WriteFile(L"song.mp3", Bytes);
    form = std::make_unique<TID3_Info>(nullptr, &host);
    form->Init(file);
    host.titles.clear();
    return *form;
  }
  std::string Bytes() const { return testing_support::ReadFileBytes(file); }
  // The texts of edits and combo boxes, each followed by "|".
  static std::wstring Texts(std::initializer_list<TControl*> Controls) {
    std::wstring texts;
    for (TControl* c : Controls) {
      auto* edit = dynamic_cast<TTntCustomEdit*>(c);
      texts += (edit ? edit->Text() : static_cast<TTntComboBox*>(c)->Text()) + L"|";
    }
    return texts;
  }
  std::wstring Box(const wchar_t* Key) const {
    return L"Error: " + FormatLocalizedText(GetLocalizedMessage(Key), {file});
  }

  std::unique_ptr<TID3_Info> form;
  std::wstring file;
};

TEST_F(ID3InfoTest, LoadShowsBothTagsAndTheHeader) {
  TID3_Info& w = Open(kV2 + kAudio + kV1);
  EXPECT_EQ(Texts({w.TagExv1, w.TagVerv1, w.Titlev1, w.Artistv1, w.Albumv1, w.TrackNumv1, w.Yearv1,
                   w.Genrev1, w.Commentv1}),
            L"Yes|1.1|Song|Band|Disc|5|2001|Rock|Note|");
  const std::wstring v2Size = std::to_wstring(kV2.size()) + L" bytes";
  EXPECT_EQ(Texts({w.TagExv2, w.TagVerv2, w.TagSize, w.Titlev2, w.Artistv2, w.Albumv2, w.TrackNumv2,
                   w.Yearv2, w.Genrev2, w.Commentv2, w.Composer, w.Copyright, w.Encoder, w.Language,
                   w.Link}),
            L"Yes|2.3|" + v2Size + L"|Song2|Singer|Album2|3|1999|Jazz|Words|Comp|Copy|Enc|eng|" +
                L"http://x.example/|");
  std::wstring rows;
  for (int32_t row = 0; row < 14; ++row) rows += w.MpegInfo->Cells(1, row) + L"|";
  EXPECT_EQ(rows, L"Yes|" + std::to_wstring(Bytes().size()) +
                      L" bytes|Joint Stereo|MPEG 1 Layer III|CBR 128 kbps|44100 Hz|Yes|None|Xing|"
                      L"0.5 sec|" +
                      v2Size + L"|20|No|No|");
  EXPECT_EQ(w.MpegInfo->Cells(0, 12), L"Protected (CRC)");
}

TEST_F(ID3InfoTest, SavingV1ChangesOnlyWhatWasEdited) {
  // Genre 200 is past the table: the box cannot show it, and it stays.
  struct Case {
    std::string bytes;
    Calls titles;
  } cases[] = {{kAudio + V1("Song", "Band", 5, 200), {L"New - Song"}},
               {kV2 + kAudio + V1("Song", "Band", 5, 200), {}}};
  for (const Case& c : cases) {
    TID3_Info& w = Open(c.bytes);
    w.Artistv1->SetText(std::wstring(L"New"));
    w.SaveButClick();
    EXPECT_EQ(host.titles, c.titles);
    EXPECT_TRUE(Bytes() == c.bytes.substr(0, c.bytes.size() - 128) + V1("Song", "New", 5, 200));
  }
}

TEST_F(ID3InfoTest, UnchangedV2FieldsSurviveByteForByte) {
  const std::string title = Frame23("TIT2", "\x01" + Utf16(L"\x6771\x4EAC \x266B") + '\0' + '\0');
  const std::string picture = Frame23("APIC", std::string("\0image/png\0\x03\0PNG", 16));
  Open(Tag(3, 0, title + picture + Frame23("TPE1", Latin("Singer")), 50) + kAudio);
  form->Commentv2->SetText(std::wstring(L"New words"));
  form->SaveBut2Click();
  const std::string bytes = Bytes();
  EXPECT_NE(bytes.find(title), std::string::npos);
  EXPECT_NE(bytes.find(picture), std::string::npos);
  EXPECT_NE(bytes.find("New words"), std::string::npos);
  EXPECT_EQ(boxes, std::vector<std::wstring>{});
}

TEST_F(ID3InfoTest, NoGenreIsWrittenAs255) {
  const std::pair<int32_t, uint8_t> cases[] = {{0, 255}, {-1, 255}, {18, 17}, {148, 147}};
  for (const auto& [item, genre] : cases) {
    Open(kAudio + kV1).Genrev1->SetItemIndex(item);
    form->SaveButClick();
    EXPECT_EQ(uint8_t(Bytes().back()), genre) << item;
  }
}

// A track that is no number, or below 1, is no track; one past what the tag
// holds is refused with a box, and that tag is not saved at all. Years are
// text: ID3v1 keeps four characters, ID3v2 what was typed.
TEST_F(ID3InfoTest, TypedTracksAndYearsAreSavedAsTheTagsHoldThem) {
  enum Refused { none, v1, v2 };
  struct Case {
    TTntLabeledEdit* TID3_Info::*field;
    std::wstring typed, shown;
    Refused refused;
  } cases[] = {{&TID3_Info::TrackNumv1, L"abc", L"", none}, {&TID3_Info::TrackNumv1, L"0", L"", none},
               {&TID3_Info::TrackNumv1, L"-3", L"", none},  {&TID3_Info::TrackNumv1, L"7", L"7", none},
               {&TID3_Info::TrackNumv1, L"", L"", none},    {&TID3_Info::TrackNumv1, L"256", L"5", v1},
               {&TID3_Info::Yearv1, L"12345", L"1234", none},
               {&TID3_Info::Yearv1, L"2005-06-07", L"2005", none},
               {&TID3_Info::TrackNumv2, L"abc", L"", none}, {&TID3_Info::TrackNumv2, L"300", L"300", none},
               {&TID3_Info::TrackNumv2, L"10000", L"3", v2},
               {&TID3_Info::Yearv2, L"19x9", L"19x9", none},
               {&TID3_Info::Yearv2, L"2005-06-07", L"2005-06-07", none}};
  for (const Case& c : cases) {
    TID3_Info& w = Open(kV2 + kAudio + kV1);
    (w.*c.field)->SetText(c.typed);
    w.Titlev1->SetText(std::wstring(L"Other"));
    w.Titlev2->SetText(std::wstring(L"Other2"));
    boxes.clear();
    w.SaveButClick();
    w.SaveBut2Click();
    const Calls refusal{L"Error: " + FormatLocalizedText(GetLocalizedMessage(L"TrackNumberTooLarge"),
                                                         {c.refused == v1 ? L"255" : L"9999"})};
    EXPECT_EQ(boxes, c.refused == none ? Calls{} : refusal) << c.typed;
    w.UndoClick();  // what the file holds now
    EXPECT_EQ((w.*c.field)->Text(), c.shown) << c.typed;
    EXPECT_EQ(Texts({w.Titlev1, w.Titlev2}), std::wstring(c.refused == v1 ? L"Song" : L"Other") + L"|" +
                                                 (c.refused == v2 ? L"Song2" : L"Other2") + L"|")
        << c.typed;
  }
}

// A 2.4 tag states a recording time, which may be a whole date.
TEST_F(ID3InfoTest, AVersion24DateShowsWholeAndIsKept) {
  const std::string date = Frame24("TDRC", Latin("2005-06-07"));
  TID3_Info& w = Open(Tag(4, 0, Frame24("TIT2", Latin("Song")) + date, 100) + kAudio);
  EXPECT_EQ(w.Yearv2->Text(), L"2005-06-07");
  w.Titlev2->SetText(std::wstring(L"Other"));
  w.SaveBut2Click();
  EXPECT_NE(Bytes().find(date), std::string::npos);
  EXPECT_EQ(w.Yearv2->Text(), L"2005-06-07");
  EXPECT_EQ(boxes, Calls{});
}

// Text the ID3v1 tag cannot hold (characters outside the code page, a title
// past its 30 bytes with no Lyrics3 block to carry it whole) is asked about
// before anything is written. Called off, the file stays as it was; gone on
// with, the entry takes the title the file holds, read back from its bytes,
// not what was typed.
TEST_F(ID3InfoTest, V1SaveAsksBeforeLosingTextAndNamesTheEntryByWhatItWrote) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases assume the tests' code page";
  const std::string lyrics = [] {
    const std::string body = "LYRICSBEGIN" "IND0000210" "LYR00008la la la";
    return body + "0000" + std::to_string(body.size()) + "LYRICS200";
  }();
  const std::string forty = "A title of forty characters, cut at 30!!";
  const struct {
    const char* what;
    std::string before;
    std::wstring typed;
    bool asks;
    std::string stored;  // the title as the file holds it, in the code page
  } cases[] = {
      {"Cyrillic", kAudio + kV1, L"\x041F\x0435\x0441\x043D\x044F", true, "?????"},
      {"40 characters", kAudio + kV1, AnsiToWide(forty), true, forty.substr(0, 30)},
      {"40 characters kept by Lyrics3", kAudio + lyrics + kV1, AnsiToWide(forty), false, forty},
      {"in the code page", kAudio + kV1, L"Ny\x00E5", false, "Ny\xE5"},
  };
  std::vector<int> answers;
  SetMessageBoxSink([&](HWND, const std::wstring& Text, const std::wstring& Caption, UINT) {
    boxes.push_back(Caption + L": " + Text);
    const int answer = answers.empty() ? IDOK : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  });
  const std::wstring question = L"Question: " + GetLocalizedMessage(L"ID3v1CannotHoldText");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TID3_Info& w = Open(c.before);
    w.Titlev1->SetText(c.typed);
    if (c.asks) {
      boxes.clear();
      answers = {IDCANCEL};
      w.SaveButClick();
      EXPECT_EQ(boxes, Calls{question});
      EXPECT_TRUE(Bytes() == c.before);
      EXPECT_EQ(host.titles, Calls{});
    }
    boxes.clear();
    answers = {IDOK};
    w.SaveButClick();
    EXPECT_EQ(boxes, c.asks ? Calls{question} : Calls{});
    const std::string bytes = Bytes();
    const std::string block = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(block.substr(3, 30), (c.stored.substr(0, 30) + std::string(30, '\0')).substr(0, 30));
    std::string title = c.stored;
    if (c.stored.size() > 30) {
      // Read back from the Lyrics3 block, where the whole title stands.
      const size_t at = bytes.find("ETT");
      ASSERT_NE(at, std::string::npos);
      title = bytes.substr(at + 8, std::stoul(bytes.substr(at + 3, 5)));
    }
    wchar_t decoded[64] = {};
    MultiByteToWideChar(1252, 0, title.data(), static_cast<int>(title.size()), decoded, 63);
    EXPECT_EQ(host.titles, Calls{L"Band - " + std::wstring(decoded)});
  }
}

TEST_F(ID3InfoTest, RemovingBothTagsGivesTheEntryItsFileNameTitle) {
  TID3_Info& w = Open(kV2 + kAudio + kV1);
  w.RemoveButClick();
  EXPECT_EQ(host.titles, Calls{});
  w.RemoveBut2Click();
  ASSERT_FALSE(host.titles.empty());
  EXPECT_EQ(host.titles.back(), L"");
  EXPECT_TRUE(Bytes() == kAudio);
  EXPECT_EQ(Texts({w.TagExv1, w.TagExv2}), L"No|No|");
  EXPECT_EQ(boxes, std::vector<std::wstring>{});
}

// The tag writers lift a read-only attribute themselves; what stops them is a
// file another program holds open, or one that has gone.
TEST_F(ID3InfoTest, AFileThatCannotBeWrittenIsLeftAsItWasAndTheFailureTold) {
  const std::pair<void (TID3_Info::*)(), const wchar_t*> actions[] = {
      {&TID3_Info::SaveButClick, L"CantSaveTag"},
      {&TID3_Info::SaveBut2Click, L"CantSaveTag"},
      {&TID3_Info::RemoveButClick, L"CantDeleteTag"},
      {&TID3_Info::RemoveBut2Click, L"CantDeleteTag"}};
  const std::string before = kV2 + kAudio + kV1;
  for (const bool locked : {true, false}) {
    for (const auto& [handler, key] : actions) {
      TID3_Info& w = Open(before);
      HANDLE holder = locked ? CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
      if (!locked) DeleteFileW(file.c_str());
      w.Titlev1->SetText(std::wstring(L"Other"));
      w.Titlev2->SetText(std::wstring(L"Other2"));
      boxes.clear();
      (w.*handler)();
      if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
      EXPECT_EQ(boxes, std::vector<std::wstring>{Box(key)}) << locked;
      EXPECT_TRUE(Bytes() == (locked ? before : "")) << key << locked;
      EXPECT_EQ(host.titles, Calls{}) << key << locked;
    }
  }
}

// The writers lift the read-only mark for as long as they write and put it back.
TEST_F(ID3InfoTest, AReadOnlyFileIsSavedAndStaysReadOnly) {
  const std::string before = kV2 + kAudio + kV1;
  for (void (TID3_Info::*handler)() : {&TID3_Info::SaveButClick, &TID3_Info::SaveBut2Click,
                                       &TID3_Info::RemoveButClick, &TID3_Info::RemoveBut2Click}) {
    TID3_Info& w = Open(before);
    w.Titlev1->SetText(std::wstring(L"Other"));
    w.Titlev2->SetText(std::wstring(L"Other2"));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    boxes.clear();
    (w.*handler)();
    const DWORD attributes = GetFileAttributesW(file.c_str());
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(boxes, Calls{});
    EXPECT_FALSE(Bytes() == before);
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        << attributes;
  }
}

// Whether the window opens on a file it cannot read or reads it again, it
// shows no tag, with nothing to remove or copy.
TEST_F(ID3InfoTest, TagsThatCannotBeReadShowAsNone) {
  for (const bool atStart : {true, false}) {
    form.reset();
    file = dir.WriteFile(L"song.mp3", kV2 + kAudio + kV1);
    if (!atStart) Open(Bytes());
    HANDLE lock = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    boxes.clear();
    if (atStart) {
      form = std::make_unique<TID3_Info>(nullptr, &host);
      form->Init(file);
    } else {
      form->UndoClick();
    }
    CloseHandle(lock);
    TID3_Info& w = *form;
    EXPECT_EQ(Texts({w.TagExv1, w.TagExv2, w.Titlev1, w.Titlev2}), L"No|No|||") << atStart;
    for (TTntButton* b : {w.RemoveBut, w.RemoveBut2, w.CopyFrom1, w.CopyFrom2})
      EXPECT_FALSE(b->Enabled()) << WideStringToUTF8(b->Name()) << atStart;
    Calls expected{Box(L"CantReadTag"), Box(L"CantReadTag")};
    if (atStart) expected.push_back(Box(L"CantReadMPEGInfo"));
    EXPECT_EQ(boxes, expected) << atStart;
  }
}

// The file's size and where its audio starts change with every save and
// removal; the header grid follows them.
TEST_F(ID3InfoTest, SavesAndRemovalsShowTheFileSizeAndFirstFrameAnew) {
  const struct {
    std::string before;
    void (TID3_Info::*handler)();
  } cases[] = {{kAudio, &TID3_Info::SaveButClick},
               {kAudio, &TID3_Info::SaveBut2Click},
               {kV2 + kAudio + kV1, &TID3_Info::RemoveButClick},
               {kV2 + kAudio + kV1, &TID3_Info::RemoveBut2Click}};
  for (const auto& c : cases) {
    const size_t at = &c - cases;
    TID3_Info& w = Open(c.before);
    w.Titlev1->SetText(std::wstring(L"New"));
    w.Titlev2->SetText(std::wstring(L"New"));
    (w.*c.handler)();
    const std::string bytes = Bytes();
    ASSERT_NE(bytes.size(), c.before.size()) << at;
    EXPECT_EQ(w.MpegInfo->Cells(1, 1), std::to_wstring(bytes.size()) + L" bytes") << at;
    EXPECT_EQ(w.MpegInfo->Cells(1, 10), std::to_wstring(bytes.find(kAudio)) + L" bytes") << at;
  }
  EXPECT_EQ(boxes, Calls{});
}

TEST_F(ID3InfoTest, CopyFromV2ClearsTheV1StateUntilSaved) {
  TID3_Info& w = Open(kV2 + kAudio + kV1);
  w.CopyFrom2Click();
  EXPECT_EQ(Texts({w.TagExv1, w.TagVerv1, w.Titlev1, w.Artistv1, w.TrackNumv1, w.Genrev1}),
            L"||Song2|Singer|3||");
  EXPECT_FALSE(w.RemoveBut->Enabled());
  EXPECT_FALSE(w.CopyFrom1->Enabled());
  w.SaveButClick();
  EXPECT_EQ(Texts({w.TagExv1, w.Albumv1, w.Yearv1, w.Commentv1}), L"Yes|Album2|1999|Words|");
  EXPECT_EQ(uint8_t(Bytes().back()), 255);
  EXPECT_TRUE(w.RemoveBut->Enabled());
}

TEST_F(ID3InfoTest, TheWindowHoldsToItsLanguageSection) {
  using namespace language_test;
  const auto sections = ReadComponentList(ComponentListFile());
  const TTntIniFile english(EnglishLanguageFile());
  EXPECT_EQ(CompareFormWithSection(&Open(kAudio), *FindSection(sections, L"ID3TagEditor"), english),
            "");
}

// Every text drawn and none clipped or crowded, in English, in the tests'
// Russian and in a language a letter longer than English everywhere.
TEST_F(ID3InfoTest, PicturesInEnglishAndOtherLanguages) {
  for (const std::wstring language : {L"", L"_russian", L"_test_language"}) {
    if (language == L"_russian") LanguageFile = language_test::RussianLanguageFile();
    if (language == L"_test_language")
      LanguageFile = language_test::WriteTestLanguage(dir, {L"ID3TagEditor", L"Messages"});
    TID3_Info& w = Open(kV2 + kAudio + kV1);
    testing_support::ShowPainted(&w);
    testing_support::Picture picture;
    ASSERT_TRUE(
        testing_support::TakeWindowPicture(w.Handle(), L"id3_info" + language + L".png", picture));
    EXPECT_EQ(testing_support::TextsWithoutInk(w.Handle(), picture), std::vector<std::wstring>{});
    EXPECT_EQ(testing_support::TextsThatDoNotFit(&w), std::vector<std::string>{}) << WideStringToUTF8(language);
    w.Hide();
  }
}

}  // namespace
