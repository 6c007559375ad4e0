// The harness itself: what it reads from the program's files, and its guard
// against message boxes and processes left behind.
#include "e2e_fixture.h"

namespace e2e {
namespace {

TEST(E2EHarness, ReadsPlaylistsAndSettingsAsTheProgramWritesThem) {
  const std::vector<PlaylistEntry> entries = {{L"C:\\m\\\x00e9t\x00e9.wav", L"\x00c9t\x00e9", 61},
                                              {L"http://radio/stream", L"", 0}};
  auto back = ParsePlaylist(MakePlaylist(entries));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 2u);
  EXPECT_EQ((*back)[0].File, entries[0].File);
  EXPECT_EQ((*back)[0].Title, entries[0].Title);
  EXPECT_EQ((*back)[0].Seconds, 61);
  EXPECT_EQ((*back)[1].File, entries[1].File);
  EXPECT_FALSE(ParsePlaylist("\x01\x02garbage"));
  EXPECT_EQ(FilesOf(ParsePlaylist("\xEF\xBB\xBF#EXTM3U\nC:\\A.wav\n\n#EXTINF:1,t\nb.wav\n")),
            (std::vector<std::wstring>{L"c:\\a.wav", L"b.wav"}));

  const std::wstring xml =
      L"<?xml version=\"1.0\"?>\n<APP Name=\"Tavrin 1.58\">\n\t<Appearances X=\"1\"/>"
      L"<Appearance\n MultiInstance = 'True' Language=\"English\"/><Skin Name=\"Default\"/></APP>";
  const struct {
    const wchar_t* element;
    const wchar_t* attribute;
    std::optional<std::wstring> expected;
  } cases[] = {{L"APP", L"Name", L"Tavrin 1.58"},
               {L"Appearance", L"MultiInstance", L"True"},
               {L"Appearance", L"Language", L"English"},
               {L"Appearance", L"X", std::nullopt},
               {L"Skin", L"Name", L"Default"},
               {L"Missing", L"Name", std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(XmlAttribute(xml, c.element, c.attribute), c.expected)
        << Narrow(c.element) << " " << Narrow(c.attribute);
  }
}

TEST(E2EHarness, ReportsUnexpectedMessageBoxesAndEndsProcessesLeftRunning) {
  ProgramFolder folder;
  ASSERT_TRUE(folder.Remove(L"bass.dll"));
  std::vector<std::wstring> problems;
  ProgramRunner runner([&](const std::wstring& p) { problems.push_back(p); });
  Program* tavrin = runner.Start(folder.Exe());
  ASSERT_NE(tavrin, nullptr);

  EXPECT_FALSE(runner.WaitUntil([] { return false; }, 10000));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find(L"bass.dll"), std::wstring::npos) << Narrow(problems[0]);

  runner.Finish();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[1].find(L"still running"), std::wstring::npos) << Narrow(problems[1]);
}

}  // namespace
}  // namespace e2e
