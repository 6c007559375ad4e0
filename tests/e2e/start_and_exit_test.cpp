// Starting the program in its folder and leaving it by the close button:
// settings, the last playlist, and a start that cannot work.
#include <iostream>

#include "e2e_fixture.h"

namespace e2e {
namespace {

std::wstring IniValue(const ProgramFolder& folder, const wchar_t* section, const wchar_t* key) {
  wchar_t value[1024] = {};
  GetPrivateProfileStringW(section, key, L"<missing>", value, 1024,
                           folder.File(L"Lang\\English.ini").c_str());
  return value;
}

TEST_F(E2ETest, FirstStartCreatesSettingsShowsMainWindowAndExitClickSavesPlaylist) {
  ASSERT_FALSE(folder.Exists(L"Tavrin.xml"));
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  HWND main = tavrin->MainWindow();
  EXPECT_EQ(WindowText(main), L"Tavrin Audio Player");
  const SIZE client = ClientSize(main);
  EXPECT_EQ(client.cx, skin.MainSize().cx);
  EXPECT_EQ(client.cy, skin.MainSize().cy);
  EXPECT_TRUE(runner.WaitUntil([&] { return folder.Exists(L"Tavrin.xml"); }, 5000))
      << "no Tavrin.xml after the first start";

  const std::wstring settings = folder.ReadSettings();
  const struct {
    const wchar_t* element;
    const wchar_t* attribute;
    const wchar_t* expected;
  } defaults[] = {{L"APP", L"Name", L"Tavrin 1.58"},
                  {L"Appearance", L"MultiInstance", L"False"},
                  {L"Appearance", L"Language", L"English"},
                  {L"Skin", L"Name", L"Default"}};
  for (const auto& d : defaults) {
    EXPECT_EQ(XmlAttribute(settings, d.element, d.attribute).value_or(L"<missing>"), d.expected)
        << Narrow(d.element) << " " << Narrow(d.attribute);
  }

  ExitByClick(*tavrin);
  auto saved = folder.ReadPlaylist();
  ASSERT_TRUE(saved) << "no extended M3U written at exit";
  EXPECT_TRUE(saved->empty());
}

TEST_F(E2ETest, SettingsOfAnotherVersionAreReplacedByTheDefault) {
  folder.Write(L"Tavrin.xml",
               Replace(Replace(DefaultSettings(), "Name=\"Tavrin 1.58\"", "Name=\"Tavrin 1.00\""),
                       "MultiInstance=\"False\"", "MultiInstance=\"True\""));
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  ExitByClick(*tavrin);
  const std::wstring settings = folder.ReadSettings();
  EXPECT_EQ(XmlAttribute(settings, L"APP", L"Name").value_or(L"<missing>"), L"Tavrin 1.58");
  EXPECT_EQ(XmlAttribute(settings, L"Appearance", L"MultiInstance").value_or(L"<missing>"), L"False")
      << "a value of the old settings survived";
}

TEST_F(E2ETest, MissingBassLibraryIsReportedAndOkEndsTheProgram) {
  ASSERT_TRUE(folder.Remove(L"bass.dll"));
  Program* tavrin = runner.Start(folder.Exe());
  ASSERT_NE(tavrin, nullptr);
  HWND box = runner.WaitForMessageBox(*tavrin);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), IniValue(folder, L"Messages", L"BassNotLoaded"));
  EXPECT_EQ(WindowText(box), IniValue(folder, L"Message Titles", L"Error"));
  EXPECT_EQ(tavrin->MainWindow(), nullptr);
  PressDialogButton(box, IDOK);
  EXPECT_TRUE(runner.WaitForExit(*tavrin));
}

TEST_F(E2ETest, CorruptLastPlaylistStartsEmptyAndKeepsTheFileBytes) {
  std::string garbage(4096, '\0');
  uint32_t seed = 12345;
  for (char& c : garbage) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  garbage[0] = '\x01';
  folder.Write(L"tavrin.m3u", garbage);

  Program* tavrin = runner.Start(folder.Exe());
  ASSERT_NE(tavrin, nullptr);
  // Whatever the program says about the file is shown, and dismissed here.
  std::vector<HWND> seen;
  auto dismiss = [&] {
    for (HWND d : tavrin->Dialogs()) {
      if (std::find(seen.begin(), seen.end(), d) != seen.end()) continue;
      seen.push_back(d);
      runner.ExpectDialog(d);
      std::cout << "[ message  ] \"" << Narrow(WindowText(d)) << "\": " << Narrow(MessageBoxText(d))
                << "\n";
      PressDialogButton(d, IDOK);
    }
  };
  runner.WaitUntil([&] { dismiss(); return tavrin->MainWindow() || !tavrin->Running(); }, 10000, true);
  HWND main = tavrin->MainWindow();
  ASSERT_NE(main, nullptr) << "no main window";
  EXPECT_TRUE(Answers(main));
  EXPECT_TRUE(runner.WaitUntil([&] { dismiss(); return tavrin->Dialogs().empty(); }, 5000, true));
  if (seen.empty()) std::cout << "[ message  ] none\n";

  auto bytesKept = [&] {
    return folder.Read(L"tavrin.m3u") == garbage || folder.Read(L"tavrin.m3u.bak") == garbage;
  };
  EXPECT_TRUE(bytesKept()) << "the corrupt playlist's bytes are gone after the start";
  ExitByClick(*tavrin);
  EXPECT_TRUE(bytesKept()) << "the corrupt playlist's bytes are gone after the exit";
  if (folder.Read(L"tavrin.m3u") != garbage) {
    auto saved = folder.ReadPlaylist();
    ASSERT_TRUE(saved) << "no extended M3U written at exit";
    EXPECT_TRUE(saved->empty());
  }
}

TEST_F(E2ETest, LastPlaylistIsLoadedAndSavedBackUnchanged) {
  const std::vector<PlaylistEntry> entries = {{Wav(L"one.wav"), L"First song", 1},
                                              {Wav(L"two.wav"), L"Second song", 1},
                                              {Wav(L"three.wav"), L"Third song", 1}};
  folder.WritePlaylist(entries);
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  ExitByClick(*tavrin);
  auto saved = folder.ReadPlaylist();
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->size(), entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(Lower((*saved)[i].File), Lower(entries[i].File)) << i;
    EXPECT_EQ((*saved)[i].Title, entries[i].Title) << i;
    EXPECT_EQ((*saved)[i].Seconds, entries[i].Seconds) << i;
  }
}

// A start with a folder: its songs replace the last playlist, as a start with
// files does; a folder without a song leaves the list, and the user is told
// once the player shows.
TEST_F(E2ETest, AFolderArgumentReplacesTheLastPlaylistWhenItHoldsSongs) {
  const std::wstring x = Wav(L"x.wav"), y = Wav(L"y.wav");
  const std::wstring songs = FolderOfWavs(L"album", {L"a.wav", L"b.wav"});
  const std::wstring none = FolderOfWavs(L"notes", {});
  data.WriteFile(L"notes\\readme.txt", "no song here");
  const struct {
    std::wstring folder;
    std::vector<std::wstring> saved;
  } cases[] = {{songs, {Lower(songs + L"\\a.wav"), Lower(songs + L"\\b.wav")}},
               {none, {Lower(x), Lower(y)}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.folder));
    folder.WritePlaylist({{x, L"x", 1}, {y, L"y", 1}});
    Program* tavrin = runner.Start(folder.Exe(), {c.folder});
    ASSERT_NE(tavrin, nullptr);
    if (c.folder == none) {
      HWND box = runner.WaitForMessageBox(*tavrin);
      ASSERT_NE(box, nullptr) << "the folder without a song was not told";
      EXPECT_NE(tavrin->MainWindow(), nullptr) << "the box came before the player showed";
      EXPECT_NE(MessageBoxText(box).find(c.folder), std::wstring::npos) << Narrow(MessageBoxText(box));
      PressDialogButton(box, IDOK);
    }
    ASSERT_NE(runner.WaitForMainWindow(*tavrin), nullptr);
    ExitByClick(*tavrin);
    EXPECT_EQ(FilesOf(folder.ReadPlaylist()), c.saved);
  }
}

}  // namespace
}  // namespace e2e
