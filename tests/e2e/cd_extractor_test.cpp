// The CD extractor as a user meets it, on the audio stand-in's fake disc:
// opened by Alt+C, tracks ticked and ripped to WAV (the very samples of the
// disc) and MP3 under names made safe from the CD-Text, and under names
// outside the system's code page (Russian words) to MP3 and Ogg Vorbis; a rip
// cancelled, cut short by the exit or killed, which leaves nothing under the
// track's name and a file it was to replace whole; and every stream the rip
// opened freed again (the stand-in's channel log). (The player cannot play
// the fake disc here: Wine has no CD-ROM drive for its letter; tests/player
// rips beside it.)
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cmath>
#include <random>
#include <set>

#include "e2e_fixture.h"
#include "formats/mpeg_audio.h"
#include "formats/ogg_vorbis.h"
#include "wav_bytes.h"
#include "window_picture.h"

namespace e2e {
namespace {

// Seconds of noise, different in every track and channel.
std::string NoiseTrack(double seconds, uint32_t seed) {
  std::vector<float> samples(2 * static_cast<size_t>(seconds * 44100));
  for (float& s : samples) s = 0.3f * (static_cast<float>((seed = seed * 1664525u + 1013904223u) >> 8) / float(1 << 23) - 1);
  return testing_support::WavBytes({.rate = 44100}, samples);
}

std::string DataOf(const std::string& wav) {
  const size_t at = wav.find("data");
  return at == std::string::npos ? std::string("<no data>") : wav.substr(at + 8);
}

bool LameRunning() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
    found = _wcsicmp(entry.szExeFile, L"lame.exe") == 0;
  CloseHandle(snapshot);
  return found;
}

// A cell of a list view of another process: the item structure and the text
// travel through memory taken in that process.
std::wstring CellText(HWND list, int row, int column) {
  DWORD id = 0;
  GetWindowThreadProcessId(list, &id);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
  auto* memory = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = 256;
  item.pszText = reinterpret_cast<wchar_t*>(memory + 1024);
  wchar_t text[256] = {};
  DWORD_PTR result = 0;
  if (WriteProcessMemory(process, memory, &item, sizeof item, nullptr) &&
      SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory), SMTO_ABORTIFHUNG, 5000, &result))
    ReadProcessMemory(process, memory + 1024, text, sizeof text - 2, nullptr);
  VirtualFreeEx(process, memory, 0, MEM_RELEASE);
  CloseHandle(process);
  return text;
}

// Whether file holds exactly old; said by sizes, as the bytes may be a rip's.
testing::AssertionResult Holds(const std::wstring& file, const std::string& old) {
  const std::string bytes = testing_support::ReadFileBytes(file);
  if (bytes == old) return testing::AssertionSuccess();
  return testing::AssertionFailure() << Narrow(file) << " holds " << bytes.size() << " other bytes, not its "
                                     << old.size();
}

const wchar_t kSafeName[] = L"Unknown artist - AC_DC_ Live_";

// Three tracks: the first's title holds characters no file name takes, the
// last two share their CD-Text, so one takes a number.
const char kThreeTracks[] = "TITLE1=AC/DC: Live?\r\nPERFORMER2=Band\r\nTITLE2=Song\r\nPERFORMER3=Band\r\nTITLE3=Song\r\n";
// One long track, long enough to be caught in mid-rip.
const char kLongOne[] = "PERFORMER1=Fake Band\r\nTITLE1=Long One\r\n";
const wchar_t kLongOneName[] = L"Fake Band - Long One";

class CDExtractor : public E2ETest {
 protected:
  // A disc of tracks this many seconds long with this CD-Text ("" for none),
  // and the output folder.
  void MakeDisc(const std::vector<double>& seconds, const std::string& cdText) {
    CreateDirectoryW(data.File(L"disc").c_str(), nullptr);
    std::string ini = "[Disc]\r\nTracks=" + std::to_string(seconds.size()) + "\r\n";
    for (size_t i = 0; i < seconds.size(); ++i) {
      const std::wstring name = std::to_wstring(i + 1) + L".wav";
      tracks.push_back(data.WriteFile(L"disc\\" + name, NoiseTrack(seconds[i], 7u * static_cast<uint32_t>(i + 1))));
      ini += "[Track" + std::to_string(i + 1) + "]\r\nFile=" + Narrow(name) + "\r\n";
    }
    if (!cdText.empty()) ini += "[CDText]\r\n" + cdText;
    data.WriteFile(L"disc\\disc.ini", ini);
    CreateDirectoryW(data.File(outFolder).c_str(), nullptr);
  }
  // The options' format; the tests' Russian language when inRussian.
  bool Launch(int format, bool inRussian = false) {
    std::string settings = WithAttribute(DefaultSettings(), "Encoding", "EncodeTo", std::to_string(format));
    if (inRussian) {
      folder.Write(L"Lang\\Russian.ini", testing_support::ReadFileBytes(TestFile(L"lang\\Russian.ini")));
      settings = WithAttribute(settings, "Appearance", "Language", "Russian");
    }
    folder.Write(L"Tavrin.xml", WithAttribute(settings, "Encoding", "OutputFolder", Narrow(data.File(outFolder))));
    Environment environment = CaptureTo(L"heard.wav");
    environment.push_back({L"TAVRIN_BASSCD_FAKE", L"X=" + data.File(L"disc")});
    environment.push_back({L"TAVRIN_BASS_CHANNEL_LOG", data.File(L"channels.txt")});
    program = Start({}, environment);
    main = program ? program->MainWindow() : nullptr;
    return main != nullptr;
  }
  // Alt+C on the main window; the extractor and its track list.
  bool OpenExtractor() {
    PostMessageW(main, WM_SYSKEYDOWN, 'C', 0x20000001);
    PostMessageW(main, WM_SYSKEYUP, 'C', 0xE0000001);
    window = WaitForWindow(*program, L"TCDEx");
    const std::vector<HWND> lists = window ? ChildrenOfClass(window, L"TTntEditableListView") : std::vector<HWND>{};
    if (lists.empty()) return false;
    list = lists.front();
    return runner.WaitUntil([&] { return !Cell(0, 1).empty(); }, 5000);
  }
  // The menu bar's item (0 Extract, 1 Cancel) chosen by the keyboard: a
  // menu lives in its own process under Wine, so its command ids cannot be
  // read from here.
  void Menu(int index) {
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    for (int i = 0; i < index; ++i) PostMessageW(window, WM_KEYDOWN, VK_RIGHT, 1);
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
  }
  bool StateBecomes(int row, const std::wstring& state, unsigned timeoutMs = 20000) {
    return runner.WaitUntil([&] { return Cell(row, 3) == state; }, timeoutMs, true);
  }
  std::wstring Cell(int row, int column) { return CellText(list, row, column); }
  // "<open channels> <most open at once>".
  std::string Channels() { return testing_support::ReadFileBytes(data.File(L"channels.txt")); }
  std::wstring Out(const std::wstring& name) { return data.File(outFolder + L"\\" + name); }
  std::set<std::wstring> OutFiles() { return testing_support::FilesIn(data.File(outFolder + L"\\")); }
  // The first track's rip under way: its state shows at least Percent.
  bool RipReaches(int percent) {
    return runner.WaitUntil(
        [&] {
          const std::wstring state = Cell(0, 3);
          const size_t open = state.rfind(L'[');
          return open != std::wstring::npos && _wtoi(state.c_str() + open + 1) >= percent;
        },
        30000);
  }

  std::wstring outFolder = L"out";
  std::vector<std::wstring> tracks;
  Program* program = nullptr;
  HWND main = nullptr, window = nullptr;
  HWND list = nullptr;
};

TEST_F(CDExtractor, TickedTracksRipToTheDiscsSamplesAndToMP3UnderSafeNumberedNames) {
  MakeDisc({1.0, 0.6, 0.4}, kThreeTracks);
  for (int format : {0, 2}) {
    SCOPED_TRACE(format);
    const std::wstring ext = format == 0 ? L".wav" : L".mp3";
    // A file of the first track's name is there already: the user keeps it.
    data.WriteFile(L"out\\" + std::wstring(kSafeName) + ext, "mine");
    ASSERT_TRUE(Launch(format));
    ASSERT_TRUE(OpenExtractor());
    ASSERT_EQ(Cell(2, 1), L"Song");
    Press(window, L"Select all");
    testing_support::Picture picture;
    if (format == 0) {
      EXPECT_TRUE(testing_support::TakeWindowPicture(window, L"e2e_cd_extractor_idle.png", picture));
    }
    Menu(0);
    HWND question = runner.WaitForMessageBox(*program);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(MessageBoxText(question).find(kSafeName), std::wstring::npos) << Narrow(MessageBoxText(question));
    PressDialogButton(question, IDNO);
    for (int row : {0, 1, 2}) EXPECT_TRUE(StateBecomes(row, L"Done")) << row << " " << Narrow(Cell(row, 3));
    // The last track's file is whole once its stream is freed.
    EXPECT_TRUE(runner.WaitUntil([&] { return Channels() == "0 1\n"; }, 10000))
        << "a track's stream was left open: " << Channels();
    EXPECT_EQ(testing_support::ReadFileBytes(Out(kSafeName + ext)), "mine");
    const std::wstring outputs[] = {Out(kSafeName + std::wstring(L" (2)") + ext), Out(L"Band - Song" + ext),
                                    Out(L"Band - Song (2)" + ext)};
    const double seconds[] = {1.0, 0.6, 0.4};
    for (int i = 0; i < 3; ++i) {
      if (format == 0) {
        EXPECT_EQ(DataOf(testing_support::ReadFileBytes(outputs[i])), DataOf(testing_support::ReadFileBytes(tracks[i])))
            << Narrow(outputs[i]);
      } else {
        TMPEGaudio mp3;
        EXPECT_TRUE(mp3.ReadFromFile(outputs[i]) && mp3.IsValid()) << Narrow(outputs[i]);
        EXPECT_NEAR(mp3.Duration(), seconds[i], 0.1) << Narrow(outputs[i]);
      }
    }
    ExitByClick(*program);
  }
}

TEST_F(CDExtractor, CancelAndExitMidTrackLeaveNoFileNoStreamAndNoEncoder) {
  MakeDisc({120.0, 0.6, 0.4}, kThreeTracks);
  ASSERT_TRUE(Launch(2));
  ASSERT_TRUE(OpenExtractor());
  Press(window, L"Select all");
  const std::wstring output = Out(std::wstring(kSafeName) + L".mp3");
  for (bool byExit : {false, true}) {
    SCOPED_TRACE(byExit ? "exit" : "cancel");
    Menu(0);
    ASSERT_TRUE(runner.WaitUntil(
        [&] {
          const std::wstring state = Cell(0, 3);
          return state.starts_with(L"Copying [") && state != L"Copying [0%]";
        },
        10000))
        << Narrow(Cell(0, 3));
    testing_support::Picture picture;
    if (!byExit) {
      EXPECT_TRUE(testing_support::TakeWindowPicture(window, L"e2e_cd_extractor_ripping.png", picture));
    }
    EXPECT_EQ(Channels().substr(0, 2), "1 ") << Channels();
    if (byExit) break;
    Menu(1);
    EXPECT_TRUE(StateBecomes(0, L"Canceled"));
    EXPECT_TRUE(runner.WaitUntil([&] { return Channels() == "0 1\n"; }, 5000)) << Channels();
    EXPECT_EQ(GetFileAttributesW(output.c_str()), INVALID_FILE_ATTRIBUTES) << "the half-written MP3 was left";
    EXPECT_FALSE(LameRunning());
  }
  folder.Remove(L"Tavrin.xml");
  ExitByClick(*program);
  EXPECT_EQ(GetFileAttributesW(output.c_str()), INVALID_FILE_ATTRIBUTES) << "the half-written MP3 was left";
  EXPECT_TRUE(folder.Exists(L"Tavrin.xml")) << "the exit saved no settings";
  EXPECT_EQ(Channels(), "0 1\n");
  EXPECT_FALSE(LameRunning());
}

// A file the user lets a rip replace stays whole until the rip is complete:
// a cancel or the exit in mid-track leave it as it was, with nothing beside it.
TEST_F(CDExtractor, AReplacedFileStaysWholeWhenItsRipIsCancelledOrCutShortByTheExit) {
  MakeDisc({120.0}, kLongOne);
  const std::wstring name = kLongOneName + std::wstring(L".ogg");
  const std::string old = "the user's own file " + std::string(4000, 'x');
  data.WriteFile(outFolder + L"\\" + name, old);
  ASSERT_TRUE(Launch(3));
  ASSERT_TRUE(OpenExtractor());
  Press(window, L"Select all");
  for (bool byExit : {false, true}) {
    SCOPED_TRACE(byExit ? "exit" : "cancel");
    Menu(0);
    HWND question = runner.WaitForMessageBox(*program);
    ASSERT_NE(question, nullptr);
    PressDialogButton(question, IDYES);
    ASSERT_TRUE(RipReaches(1)) << Narrow(Cell(0, 3));
    EXPECT_TRUE(Holds(Out(name), old)) << "the old file went before the rip was complete";
    if (byExit) {
      ExitByClick(*program);
    } else {
      Menu(1);
      EXPECT_TRUE(StateBecomes(0, L"Canceled"));
      EXPECT_TRUE(runner.WaitUntil([&] { return Channels() == "0 1\n"; }, 10000)) << Channels();
    }
    EXPECT_TRUE(Holds(Out(name), old));
    EXPECT_EQ(OutFiles(), std::set<std::wstring>{name});
  }
}

// Under a language whose words lie outside the system's code page, a disc
// without CD-Text rips to MP3 and Ogg Vorbis under the translated names, in a
// folder named outside it too.
TEST_F(CDExtractor, NamesOutsideTheCodePageRipToMP3AndOgg) {
  outFolder = L"Дорожки";
  MakeDisc({0.6, 0.4}, "");
  for (const wchar_t* ext : {L".mp3", L".ogg"}) {
    SCOPED_TRACE(Narrow(ext));
    ASSERT_TRUE(Launch(ext == std::wstring(L".mp3") ? 2 : 3, true));
    ASSERT_TRUE(OpenExtractor());
    EXPECT_EQ(Cell(1, 1), L"Дорожка 2");
    Press(window, L"Выбрать все");
    Menu(0);
    for (int row : {0, 1}) ASSERT_TRUE(StateBecomes(row, L"Готово")) << row << " " << Narrow(Cell(row, 3));
    EXPECT_TRUE(runner.WaitUntil([&] { return Channels() == "0 1\n"; }, 10000)) << Channels();
    const double seconds[] = {0.6, 0.4};
    for (int i = 0; i < 2; ++i) {
      const std::wstring file = Out(L"Неизвестный исполнитель - " + Cell(i, 1) + ext);
      double duration = -1;
      if (ext == std::wstring(L".mp3")) {
        TMPEGaudio mp3;
        if (mp3.ReadFromFile(file) && mp3.IsValid()) duration = mp3.Duration();
      } else {
        TOggVorbis ogg;
        if (ogg.ReadFromFile(file) && ogg.IsValid()) duration = ogg.GetDuration();
      }
      EXPECT_NEAR(duration, seconds[i], 0.1) << Narrow(file);
    }
    ExitByClick(*program);
  }
}

// A rip killed at any moment leaves nothing under the track's name: a new
// name stays free, and a file the user let it replace stays whole.
TEST_F(CDExtractor, AKilledRipLeavesNoHalfFileUnderTheTracksName) {
  MakeDisc({120.0}, kLongOne);
  const std::wstring name = kLongOneName + std::wstring(L".wav");
  const std::string old = "the user's own file";
  std::mt19937 random(std::random_device{}());
  for (bool replacing : {false, true}) {
    const int percent = std::uniform_int_distribution<int>(1, 50)(random);
    SCOPED_TRACE((replacing ? "replacing, killed at " : "killed at ") + std::to_string(percent) + "%");
    if (replacing) data.WriteFile(outFolder + L"\\" + name, old);
    ASSERT_TRUE(Launch(0));
    ASSERT_TRUE(OpenExtractor());
    Press(window, L"Select all");
    Menu(0);
    if (replacing) {
      HWND question = runner.WaitForMessageBox(*program);
      ASSERT_NE(question, nullptr);
      PressDialogButton(question, IDYES);
    }
    ASSERT_TRUE(RipReaches(percent)) << Narrow(Cell(0, 3));
    ASSERT_TRUE(TerminateProcess(program->Handle(), 1));
    ASSERT_TRUE(runner.WaitForExit(*program, 10000, 1));
    if (replacing) {
      EXPECT_TRUE(Holds(Out(name), old));
    } else {
      EXPECT_EQ(GetFileAttributesW(Out(name).c_str()), INVALID_FILE_ATTRIBUTES) << "a half WAV under the track's name";
    }
  }
}

}  // namespace
}  // namespace e2e
