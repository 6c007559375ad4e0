// The encoder window as a user meets it: the playlist's chosen entries sent to
// it by "Encode...", converted by Start into the options' folder and format.
// The outputs are read back here with small readers of their own headers; the
// stand-in's count of open decoding channels (TAVRIN_BASS_DECODE_COUNT) must
// come back to zero on every path.
#include "e2e_fixture.h"

#include <tlhelp32.h>

#include <algorithm>
#include "formats/id3v2.h"
#include "formats/ogg_vorbis.h"
#include "wav_bytes.h"
#include "window_picture.h"

namespace e2e {
namespace {

uint64_t Le(const std::string& b, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

using Names = std::pair<std::wstring, std::wstring>;  // title, artist

// The title and artist an MP3's or Ogg's tag carries, read with the formats'
// own classes.
Names NamesOf(const std::wstring& file) {
  const std::wstring ext = file.substr(file.rfind(L'.'));
  if (ext == L".mp3") {
    TID3v2 tag;
    if (tag.ReadFromFile(file) && tag.Exists()) return {tag.Text(v2Title), tag.Text(v2Artist)};
  } else if (ext == L".ogg") {
    TOggVorbis comments;
    if (comments.ReadFromFile(file)) return {comments.Text(ogTitle), comments.Text(ogArtist)};
  }
  return {};
}

// Seconds of sound by each format's own header fields; -1 when unreadable.
double WavSeconds(const std::string& b) {
  const size_t fmt = b.find("fmt "), data = b.find("data");
  if (b.compare(0, 4, "RIFF") != 0 || fmt == std::string::npos || data == std::string::npos ||
      data + 8 > b.size())
    return -1;
  const uint64_t byteRate = Le(b, fmt + 16, 4);
  return byteRate ? static_cast<double>(Le(b, data + 4, 4)) / byteRate : -1;
}

// MPEG-1/2 layer III frames walked from the first; the lame tag frame counts
// no sound.
double Mp3Seconds(const std::string& b) {
  static const int kRates1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static const int kRates2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  static const int kFreqs[] = {44100, 48000, 32000};
  size_t at = b.compare(0, 3, "ID3") == 0 && b.size() > 10
                  ? 10 + ((b[6] & 0x7F) << 21 | (b[7] & 0x7F) << 14 | (b[8] & 0x7F) << 7 | (b[9] & 0x7F))
                  : 0;
  uint64_t samples = 0;
  int rate = 0;
  bool first = true;
  while (at + 4 <= b.size()) {
    const uint8_t* h = reinterpret_cast<const uint8_t*>(b.data() + at);
    if (h[0] != 0xFF || (h[1] & 0xE6) != 0xE2) break;  // sync, layer III
    const bool mpeg1 = (h[1] & 0x08) != 0;
    const int bitIndex = h[2] >> 4, freqIndex = (h[2] >> 2) & 3;
    if (bitIndex == 0 || bitIndex == 15 || freqIndex == 3) break;
    rate = kFreqs[freqIndex] / (mpeg1 ? 1 : 2);
    const int kbps = mpeg1 ? kRates1[bitIndex] : kRates2[bitIndex];
    const size_t length = (mpeg1 ? 144000 : 72000) * kbps / rate + ((h[2] >> 1) & 1);
    const std::string frame = b.substr(at, length);
    if (!(first && (frame.find("Xing") != std::string::npos || frame.find("Info") != std::string::npos)))
      samples += mpeg1 ? 1152 : 576;
    first = false;
    at += length;
  }
  return rate ? static_cast<double>(samples) / rate : -1;
}

// The last page's granule position over the identification header's rate.
double OggSeconds(const std::string& b) {
  const size_t id = b.find("\x01vorbis"), last = b.rfind("OggS");
  if (id == std::string::npos || last == std::string::npos || last + 14 > b.size()) return -1;
  const uint64_t rate = Le(b, id + 12, 4);
  return rate ? static_cast<double>(Le(b, last + 6, 8)) / rate : -1;
}

// The ASF file properties object: play duration (100 ns) less the preroll (ms).
double WmaSeconds(const std::string& b) {
  static const char kFileProperties[] = "\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65";
  const size_t at = b.find(std::string(kFileProperties, 16));
  if (at == std::string::npos || at + 88 > b.size()) return -1;
  return Le(b, at + 64, 8) / 1e7 - Le(b, at + 80, 8) / 1e3;
}

struct Format {
  const char* Index;  // the options' "Encode to:" index
  const wchar_t* Extension;
  double (*Seconds)(const std::string&);
};
const Format kFormats[] = {{"0", L".wav", WavSeconds},
                           {"1", L".wma", WmaSeconds},
                           {"2", L".mp3", Mp3Seconds},
                           {"3", L".ogg", OggSeconds}};

bool ProcessRunning(const wchar_t* exe) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
    found = _wcsicmp(entry.szExeFile, exe) == 0;
  CloseHandle(snapshot);
  return found;
}

class EncoderWindow : public E2ETest {
 protected:
  // The settings with this format and output folder.
  void UseSettings(const char* format, const std::wstring& outFolder) {
    const std::string xml = WithAttribute(DefaultSettings(), "Encoding", "EncodeTo", format);
    folder.Write(L"Tavrin.xml", WithAttribute(xml, "Encoding", "OutputFolder", Narrow(outFolder)));
  }
  Program* Launch(const std::vector<PlaylistEntry>& entries) {
    folder.WritePlaylist(entries);
    DeleteFileW(Decodes().c_str());
    return Start({}, {{L"TAVRIN_BASS_DECODE_COUNT", Decodes()}});
  }
  std::wstring Decodes() const { return folder.File(L"decodes.txt"); }
  std::string OpenDecodes() { return testing_support::ReadFileBytes(Decodes()); }

  // "Select all" of the selection menu, then "Encode..." of the other one,
  // which comes before its "Sort" and "Other" submenus (never disabled; the
  // items above it may be, and the keys pass over those).
  HWND OpenEncoder(Program& program) {
    HWND playlist = WaitForWindow(program, L"TPlaylist");
    if (!playlist) return ADD_FAILURE() << "no playlist", nullptr;
    HWND menu = OpenPlaylistMenu(program, playlist, L"SelBut");
    if (!menu) return nullptr;
    for (WORD key : {VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);
    if (!runner.WaitUntil([&] { return program.Windows(L"#32768").empty(); }, 5000) || !Answers(playlist))
      return ADD_FAILURE() << "the menu stays", nullptr;
    if (!(menu = OpenPlaylistMenu(program, playlist, L"MiscBut"))) return nullptr;
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 1);
    return WaitForWindow(program, L"TEncoderForm");
  }
  // The files' list and the results' list, top to bottom.
  std::vector<HWND> Lists(HWND encoder) {
    std::vector<HWND> lists = ChildrenOfClass(encoder, L"TTntListBox");
    std::sort(lists.begin(), lists.end(), [](HWND a, HWND b) {
      RECT ra, rb;
      GetWindowRect(a, &ra);
      GetWindowRect(b, &rb);
      return ra.top < rb.top;
    });
    return lists;
  }
  std::string Results(HWND encoder) {
    std::string text;
    const std::vector<HWND> lists = Lists(encoder);
    if (lists.size() < 2) return "<no results list>";
    const int n = static_cast<int>(SendMessageW(lists[1], LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t line[1024] = {};
      if (SendMessageW(lists[1], LB_GETTEXTLEN, i, 0) < 1000) SendMessageW(lists[1], LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
      text += Narrow(line) + "\n";
    }
    return text;
  }
  // The files' list emptied and Start enabled again.
  bool WaitForIdle(HWND encoder, unsigned timeoutMs, bool boxesExpected = false) {
    return runner.WaitUntil(
        [&] {
          const std::vector<HWND> lists = Lists(encoder);
          HWND start = ChildWithText(encoder, L"Start");
          return !lists.empty() && SendMessageW(lists[0], LB_GETCOUNT, 0, 0) == 0 && start &&
                 IsWindowEnabled(start);
        },
        timeoutMs, boxesExpected);
  }
  // Four minutes of noise: its conversion to MP3 takes a while.
  std::wstring LongWav() {
    uint32_t seed = 1;
    return data.WriteFile(L"long.wav", testing_support::WavBytes({}, 44100 * 240, [&](uint32_t) {
                            seed = seed * 1664525 + 1013904223;
                            return static_cast<int16_t>(seed >> 16) / 8;
                          }));
  }
  // Mid-file: the encoder has written part of its output into out.
  bool WaitForPartialOutput(const std::wstring& out) {
    return runner.WaitUntil(
        [&] {
          const auto files = testing_support::FilesIn(out);
          return !files.empty() && testing_support::ReadFileBytes(out + *files.begin()).size() > 20000;
        },
        30000);
  }
  // The long file converting to MP3 into out, part of it written; its
  // encoder window in encoder. nullptr (reported) when it did not get there.
  Program* ConvertingLongFile(const std::wstring& longWav, const std::wstring& out, HWND& encoder) {
    UseSettings("2", out);
    Program* program = Launch({{longWav, L"long", 240}});
    encoder = program ? OpenEncoder(*program) : nullptr;
    if (!encoder) return nullptr;
    Press(encoder, L"Start");
    EXPECT_TRUE(WaitForPartialOutput(out)) << "no output grew";
    return program;
  }
  // Answers the next box, which must name `name`.
  void Answer(Program& program, const std::wstring& name, int button) {
    HWND box = runner.WaitForMessageBox(program);
    ASSERT_NE(box, nullptr) << "no question for " << Narrow(name);
    EXPECT_NE(MessageBoxText(box).find(name), std::wstring::npos) << Narrow(MessageBoxText(box));
    PressDialogButton(box, button);
  }
};

TEST_F(EncoderWindow, ThreeEntriesConvertToEveryFormatWithTheirLengthsAndTheirNames) {
  const std::wstring mp3 = data.File(L"\x041F\x0435\x0441\x043D\x044F.mp3");
  const std::wstring ogg = data.File(L"\x03A9\x03B4\x03AE.ogg");
  const std::wstring wav = Wav(L"\x6B4C.wav");
  ASSERT_TRUE(CopyFileW((std::wstring(TAVRIN_MPEG_FIXTURES) + L"\\cbr128.mp3").c_str(), mp3.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((std::wstring(TAVRIN_OGGWMA_FIXTURES) + L"\\plain.ogg").c_str(), ogg.c_str(), FALSE));
  const std::wstring stems[] = {L"\x041F\x0435\x0441\x043D\x044F", L"\x03A9\x03B4\x03AE", L"\x6B4C"};
  // The names the outputs should carry: the MP3's and the Ogg's; a WAV has none.
  const Names names[] = {{L"\x0422\x0438\x0442\x0443\x043B", L"Artist A"},
                         {L"\x03A4\x03AF\x03C4\x03BB\x03BF\x03C2", L"Artist B"}, {}};
  {
    TID3v2 tag;
    tag.SetText(v2Title, names[0].first);
    tag.SetText(v2Artist, names[0].second);
    ASSERT_TRUE(tag.SaveToFile(mp3));
    TOggVorbis comments;
    ASSERT_TRUE(comments.ReadFromFile(ogg));
    comments.SetText(ogTitle, names[1].first);
    comments.SetText(ogArtist, names[1].second);
    ASSERT_TRUE(comments.SaveToFile(ogg));
  }
  double reference[3] = {};
  for (const Format& format : kFormats) {
    SCOPED_TRACE(Narrow(format.Extension));
    const std::wstring out = data.File(std::wstring(L"\x0412\x044B\x0445\x043E\x0434 ") + format.Extension + L"\\");
    UseSettings(format.Index, out);
    Program* program = Launch({{mp3, L"a", 3}, {ogg, L"b", 3}, {wav, L"c", 1}});
    ASSERT_NE(program, nullptr);
    HWND encoder = OpenEncoder(*program);
    ASSERT_NE(encoder, nullptr) << "no encoder window";
    if (format.Extension == std::wstring(L".wav")) {
      testing_support::Picture picture;
      EXPECT_TRUE(testing_support::TakeWindowPicture(encoder, L"e2e_encoder_idle.png", picture));
    }
    Press(encoder, L"Start");
    ASSERT_TRUE(WaitForIdle(encoder, 60000)) << Results(encoder);
    EXPECT_EQ(OpenDecodes(), "0") << "decoding channels left open";
    for (int i = 0; i < 3; ++i) {
      const std::string bytes = testing_support::ReadFileBytes(out + stems[i] + format.Extension);
      const double seconds = format.Seconds(bytes);
      // The WMA attributes are read through the metadata editor of the
      // program's folder, out of this process's reach.
      if (format.Extension == std::wstring(L".mp3") || format.Extension == std::wstring(L".ogg")) {
        EXPECT_EQ(NamesOf(out + stems[i] + format.Extension), names[i]) << Narrow(stems[i]);
      }
      if (i == 2) {
        EXPECT_NEAR(seconds, 1.0, 0.1) << Results(encoder);
      }
      if (format.Extension == std::wstring(L".wav")) {
        reference[i] = seconds;
      } else {
        EXPECT_NEAR(seconds, reference[i], 0.15) << Narrow(stems[i]) << "\n" << Results(encoder);
      }
    }
    if (format.Extension == std::wstring(L".wav")) {
      EXPECT_NEAR(reference[0], 3.03, 0.1);
      EXPECT_GT(reference[1], 0.5);
      const std::string source = testing_support::ReadFileBytes(wav);
      const std::string copy = testing_support::ReadFileBytes(out + stems[2] + L".wav");
      EXPECT_TRUE(copy.size() > 44 && copy.substr(44) == source.substr(44))
          << "a WAV's conversion to WAV changed its samples";
    }
    EXPECT_EQ(testing_support::FilesIn(out).size(), 3u) << "a temporary file was left";
    ExitByClick(*program);
  }
}

// The outputs go beside their sources: one would be the source itself, two
// share a name, two would replace files that are there.
TEST_F(EncoderWindow, CollisionsGetNumberedNamesAndAFileIsReplacedOnlyWhenTheUserSaysSo) {
  const std::wstring ogg = std::wstring(TAVRIN_OGGWMA_FIXTURES) + L"\\plain.ogg";
  const std::wstring song = Wav(L"song.wav"), tuneMp3 = data.File(L"tune.mp3"), tuneOgg = data.File(L"tune.ogg");
  const std::wstring keep = data.File(L"keep.ogg"), locked = data.File(L"locked.ogg");
  ASSERT_TRUE(CopyFileW((std::wstring(TAVRIN_MPEG_FIXTURES) + L"\\cbr128.mp3").c_str(), tuneMp3.c_str(), FALSE));
  for (const std::wstring& copy : {tuneOgg, keep, locked}) ASSERT_TRUE(CopyFileW(ogg.c_str(), copy.c_str(), FALSE));
  data.WriteFile(L"keep.wav", "mine");
  data.WriteFile(L"locked.wav", "read-only");
  SetFileAttributesW(data.File(L"locked.wav").c_str(), FILE_ATTRIBUTE_READONLY);
  UseSettings("0", data.Path());
  Program* program = Launch({{song, L"s", 1}, {tuneMp3, L"m", 3}, {tuneOgg, L"o", 3}, {keep, L"k", 3}, {locked, L"l", 3}});
  ASSERT_NE(program, nullptr);
  HWND encoder = OpenEncoder(*program);
  ASSERT_NE(encoder, nullptr);
  Press(encoder, L"Start");
  // From the bottom: the read-only file is to be replaced, the other kept.
  Answer(*program, L"locked.wav", IDYES);
  Answer(*program, L"keep.wav", IDNO);
  ASSERT_TRUE(WaitForIdle(encoder, 60000, true)) << Results(encoder);
  EXPECT_TRUE(testing_support::ReadFileBytes(data.File(L"locked.wav")) == "read-only");
  EXPECT_TRUE(testing_support::ReadFileBytes(data.File(L"keep.wav")) == "mine");
  EXPECT_TRUE(testing_support::ReadFileBytes(song) == SineWav()) << "the source changed";
  for (const wchar_t* made : {L"keep (2).wav", L"tune.wav", L"tune (2).wav", L"song (2).wav"})
    EXPECT_GT(WavSeconds(testing_support::ReadFileBytes(data.File(made))), 0.5) << Narrow(made) << "\n" << Results(encoder);
  EXPECT_EQ(GetFileAttributesW(data.File(L"locked (2).wav").c_str()), INVALID_FILE_ATTRIBUTES);
  testing_support::Picture picture;
  EXPECT_TRUE(testing_support::TakeWindowPicture(encoder, L"e2e_encoder_results.png", picture));
  const std::string results = Results(encoder);
  EXPECT_NE(results.find("locked.wav \xE2\x80\x94 cannot be written"), std::string::npos) << results;
  EXPECT_EQ(testing_support::FilesIn(data.Path()).size(), 11u) << "a temporary file was left";
  SetFileAttributesW(data.File(L"locked.wav").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(OpenDecodes(), "0");
  ExitByClick(*program);
}

// A long file to MP3 stopped mid-way by Cancel, by closing the window and by
// the program's exit: no output, no temporary file, no channel, no encoder.
TEST_F(EncoderWindow, CancelCloseOrExitDuringAConversionLeaveNothingBehind) {
  const std::wstring longWav = LongWav();
  enum Way { byCancel, byClose, byExit };
  for (Way way : {byCancel, byClose, byExit}) {
    SCOPED_TRACE(way);
    const std::wstring out = data.File(L"out" + std::to_wstring(way) + L"\\");
    HWND encoder = nullptr;
    Program* program = ConvertingLongFile(longWav, out, encoder);
    ASSERT_NE(program, nullptr);
    if (way == byCancel) {
      testing_support::Picture picture;
      EXPECT_TRUE(testing_support::TakeWindowPicture(encoder, L"e2e_encoder_busy.png", picture));
    }
    const FILETIME before = [] { FILETIME t; GetSystemTimeAsFileTime(&t); return t; }();
    if (way == byCancel) {
      Press(encoder, L"Cancel");
      EXPECT_TRUE(WaitForIdle(encoder, 20000));
    } else if (way == byClose) {
      PostMessageW(encoder, WM_CLOSE, 0, 0);
      EXPECT_TRUE(runner.WaitUntil([&] { return !IsWindow(encoder); }, 20000));
    } else {
      ExitByClick(*program);
      WIN32_FILE_ATTRIBUTE_DATA settings{};
      ASSERT_TRUE(GetFileAttributesExW(folder.File(L"Tavrin.xml").c_str(), GetFileExInfoStandard, &settings));
      EXPECT_GE(CompareFileTime(&settings.ftLastWriteTime, &before), 0) << "the settings were not saved";
    }
    EXPECT_TRUE(testing_support::FilesIn(out).empty()) << "a partial output was left";
    EXPECT_EQ(OpenDecodes(), "0");
    EXPECT_FALSE(ProcessRunning(L"lame.exe")) << "the encoder was left running";
    if (way != byExit) ExitByClick(*program);
  }
}

// The program killed mid-conversion leaves its output's temporary file; after
// a restart the next conversion into that folder takes it away.
TEST_F(EncoderWindow, TheTemporaryFileOfAKilledConversionGoesWithTheNextOneThere) {
  const std::wstring longWav = LongWav();
  const std::wstring out = data.File(L"out\\");
  HWND encoder = nullptr;
  Program* program = ConvertingLongFile(longWav, out, encoder);
  ASSERT_NE(program, nullptr);
  TerminateProcess(program->Handle(), 1);
  ASSERT_TRUE(runner.WaitForExit(*program, 10000, 1));
  // The external encoder ends once its input is gone, and lets go of the file.
  ASSERT_TRUE(runner.WaitUntil([] { return !ProcessRunning(L"lame.exe"); }, 30000));
  const std::set<std::wstring> left = testing_support::FilesIn(out);
  ASSERT_EQ(left.size(), 1u);
  const std::wstring temporary = Lower(*left.begin());
  EXPECT_TRUE(temporary.rfind(L"tav", 0) == 0 && temporary.size() > 4 &&
              temporary.substr(temporary.size() - 4) == L".tmp")
      << Narrow(temporary);
  // The program leaves a file of its names alone for a minute (it may be a
  // running instance's, about to be moved); the restart comes that much
  // later by the file's time instead of by waiting.
  ASSERT_TRUE(testing_support::SetFileAge(out + *left.begin(), 120));

  UseSettings("0", out);
  program = Launch({{Wav(L"short.wav"), L"short", 1}});
  ASSERT_NE(program, nullptr);
  encoder = OpenEncoder(*program);
  ASSERT_NE(encoder, nullptr);
  Press(encoder, L"Start");
  ASSERT_TRUE(WaitForIdle(encoder, 30000)) << Results(encoder);
  EXPECT_EQ(testing_support::FilesIn(out), std::set<std::wstring>{L"short.wav"});
  ExitByClick(*program);
}

}  // namespace
}  // namespace e2e
