// The file associations as the shell sees them: the keys the program writes
// under HKEY_CLASSES_ROOT at start and when the options window closes, and a
// document opened from the shell reaching the player. The tests share the
// Wine prefix with every other test: each removes whatever it registered.
#include <windows.h>

#include <shellapi.h>

#include "e2e_fixture.h"

namespace e2e {
namespace {

const wchar_t* const kTypes[] = {L"MP1", L"MP2", L"MP3", L"WAV", L"WMA", L"OGG", L"M3U",
                                 L"MOD", L"MO3", L"IT",  L"XM",  L"S3M", L"MTM", L"UMX"};

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

// The key's default value, lower-cased (paths are compared so); "<none>"
// when the key is missing.
std::wstring Default(const std::wstring& key) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                   &size) == ERROR_SUCCESS)
    return Lower(value);
  return KeyExists(key) ? L"" : L"<none>";
}

void SetDefault(const std::wstring& key, const std::wstring& value) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}

// Every key of every type, with its default value: what the shell sees.
std::vector<std::wstring> Snapshot() {
  std::vector<std::wstring> lines;
  for (const wchar_t* type : kTypes) {
    const std::wstring name = std::wstring(L"Tavrin-") + type;
    for (const std::wstring& key : {L"." + std::wstring(type), name,
                                    name + L"\\Shell\\Open\\Command", name + L"\\DefaultIcon"})
      lines.push_back(key + L"=" + Default(key));
  }
  return lines;
}

class FileAssoc : public E2ETest {
 protected:
  void TearDown() override {
    E2ETest::TearDown();
    for (const wchar_t* type : kTypes) {
      const std::wstring ext = L"." + std::wstring(type);
      RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"Tavrin-") + type).c_str());
      const std::wstring owner = Default(ext);
      if (owner.rfind(L"tavrin-", 0) == 0 || owner == L"otherplayer.ogg")
        RegDeleteTreeW(HKEY_CLASSES_ROOT, ext.c_str());
    }
  }
  // Associate on (or off) with the types listed checked, and the icon set.
  void WriteSettings(bool associate, std::vector<std::string> checked,
                     const std::string& iconSet = "Crystal") {
    std::string xml = WithAttribute(DefaultSettings(), "FileTypes", "Associate",
                                    associate ? "True" : "False");
    xml = WithAttribute(xml, "FileTypes", "IconSet", iconSet);
    for (const std::string& type : checked) {
      const size_t item = xml.find("Ext=\"" + type + " - ");
      const size_t mark = xml.find("Checked=\"False\"", item);
      ASSERT_NE(item, std::string::npos) << type;
      xml.replace(mark, 15, "Checked=\"True\"");
    }
    folder.Write(L"Tavrin.xml", xml);
  }
  // Starts on the settings, waits until done() holds in the registry, and
  // closes again.
  void StartUntil(const std::function<bool()>& done) {
    Program* tavrin = Start();
    ASSERT_NE(tavrin, nullptr);
    EXPECT_TRUE(runner.WaitUntil(done, 5000));
    CloseWithoutSaving(*tavrin);
  }
};

TEST_F(FileAssoc, CheckedTypesAreWrittenAtStartTheSameEachTimeAndGoWhenUnchecked) {
  const std::vector<std::wstring> before = Snapshot();
  WriteSettings(true, {"MP3", "WAV"});
  StartUntil([] { return KeyExists(L"Tavrin-WAV\\DefaultIcon"); });
  const std::wstring library = Lower(folder.File(L"Icons\\Crystal.icl"));
  EXPECT_EQ(Default(L".MP3"), L"tavrin-mp3");
  EXPECT_EQ(Default(L"Tavrin-MP3"), L"audio mpeg1 layer-3");
  EXPECT_EQ(Default(L"Tavrin-MP3\\Shell\\Open\\Command"),
            L"\"" + Lower(folder.Exe()) + L"\" \"%1\"");
  EXPECT_EQ(Default(L"Tavrin-MP3\\DefaultIcon"), library + L",2");
  // The fourth type of the list takes the library's fourth icon.
  EXPECT_EQ(Default(L"Tavrin-WAV\\DefaultIcon"), library + L",3");
  const std::vector<std::wstring> once = Snapshot();

  StartUntil([] { return true; });
  EXPECT_EQ(Snapshot(), once) << "applied twice";

  // Without the library the program's own icon stands for every type.
  WriteSettings(true, {"MP3", "WAV"}, "Gone");
  StartUntil([] { return Default(L"Tavrin-MP3\\DefaultIcon").ends_with(L",-200"); });
  EXPECT_EQ(Default(L"Tavrin-MP3\\DefaultIcon"), Lower(folder.Exe()) + L",-200");

  WriteSettings(true, {});
  StartUntil([] { return !KeyExists(L"Tavrin-MP3") && !KeyExists(L"Tavrin-WAV"); });
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(FileAssoc, AnotherProgramsAssociationSurvivesAnUncheck) {
  SetDefault(L".OGG", L"OtherPlayer.ogg");
  // A class left from an earlier run, with its sub-keys.
  SetDefault(L"Tavrin-OGG\\Shell\\Open\\Command", L"\"C:\\old\\tavrin.exe\" \"%1\"");
  SetDefault(L"Tavrin-OGG\\DefaultIcon", L"C:\\old\\tavrin.exe,-200");
  WriteSettings(true, {});
  StartUntil([] { return !KeyExists(L"Tavrin-OGG"); });
  EXPECT_EQ(Default(L".OGG"), L"otherplayer.ogg");
}

TEST_F(FileAssoc, TheOptionsWindowAppliesChangedCheckMarksAsItCloses) {
  WriteSettings(false, {});
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  HWND main = tavrin->MainWindow();
  auto openOptions = [&]() -> HWND {
    SetForegroundWindow(main);
    runner.WaitUntil([&] { return GetForegroundWindow() == main; }, 3000);
    SendKey('P', VK_CONTROL);
    HWND options = nullptr;
    auto shown = [&] {
      return (options = FindWindowW(L"TOptions", nullptr)) && IsWindowVisible(options);
    };
    if (!runner.WaitUntil(shown, 5000)) return nullptr;
    PostClick(ChildWithText(options, L"TTntListBox"), POINT{20, 5 * 20 + 10});  // "File types"
    runner.WaitUntil([&] { return ChildWithText(options, L"Select all") != nullptr; }, 3000);
    return options;
  };
  for (const wchar_t* button : {L"Select all", L"Deselect all"}) {
    HWND options = openOptions();
    ASSERT_NE(options, nullptr);
    HWND pressed = ChildWithText(options, button);
    ASSERT_NE(pressed, nullptr);
    // Sent, not posted: once it returns, the click has been handled.
    ASSERT_TRUE(SendMessageTimeoutW(pressed, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, nullptr));
    EXPECT_EQ(KeyExists(L"Tavrin-MP3"), button[0] == L'D') << "applied before the window closed";
    PostMessageW(options, WM_CLOSE, 0, 0);
    const bool registered = button[0] == L'S';
    EXPECT_TRUE(runner.WaitUntil([&] { return KeyExists(L"Tavrin-MP3") == registered; }, 5000))
        << Narrow(button);
  }
  EXPECT_FALSE(KeyExists(L".MP3"));
  CloseWithoutSaving(*tavrin);
}

// The shell starts the program named by the association with the document,
// by the command the program wrote.
HANDLE OpenFromShell(const std::wstring& document) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = document.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) ? info.hProcess : nullptr;
}

// Whether the process ended in time; one that did not is ended, so that no
// other test meets it. The handle is closed.
bool EndsWithin(HANDLE process, DWORD ms) {
  const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  return ended;
}

TEST_F(FileAssoc, ADocumentOpenedFromTheShellReachesThePlayer) {
  WriteSettings(true, {"WAV"});
  CreateDirectoryW(data.File(L"Моя музыка").c_str(), nullptr);
  const std::wstring first = Wav(L"Моя музыка\\Песня один.wav");
  const std::wstring second = Wav(L"Моя музыка\\Песня два.wav");

  // Running: the shell's start hands the document over and ends.
  Program* tavrin = Start();
  ASSERT_NE(tavrin, nullptr);
  ASSERT_TRUE(runner.WaitUntil([] { return KeyExists(L"Tavrin-WAV\\Shell\\Open"); }, 5000));
  HANDLE handover = OpenFromShell(first);
  ASSERT_NE(handover, nullptr) << GetLastError();
  EXPECT_TRUE(EndsWithin(handover, 10000)) << "the second start did not end";
  ExitByClick(*tavrin);
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(first)});

  // Not running: the shell starts the program with the document.
  HANDLE started = OpenFromShell(second);
  ASSERT_NE(started, nullptr) << GetLastError();
  HWND main = nullptr;
  runner.WaitUntil([&] {
    main = FindWindowW(L"TTavrinMainForm", nullptr);
    return main && IsWindowVisible(main) && Answers(main);
  }, 10000);
  EXPECT_NE(main, nullptr) << "the program did not start";
  if (main) ClickChildAt(main, skin.Main(L"CloseBut"));
  EXPECT_TRUE(EndsWithin(started, 10000)) << "the program started from the shell did not end";
  EXPECT_EQ(FilesOf(folder.ReadPlaylist()), std::vector<std::wstring>{Lower(second)});

  WriteSettings(true, {});
  StartUntil([] { return !KeyExists(L"Tavrin-WAV"); });
}

}  // namespace
}  // namespace e2e
