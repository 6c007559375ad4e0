// mutant_runner.exe: makes mutants of one fixture and runs each through one
// family of readers, writers or decoders, in a process of its own so that a
// crash or a hang takes only this process down. hostile_tests.exe starts it
// and reads its log: "begin <index> <what>", "fail <index> <why>",
// "end <index>", and "done" after the last mutant.
//
//   mutant_runner <family> <fixture> <seed> <first> <count> <work folder> <log>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bass_api.h"
#include "bench/bass_library.h"
#include "dialogs.h"
#include "exceptions.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/mpeg_audio.h"
#include "formats/ogg_vorbis.h"
#include "formats/wav_file.h"
#include "formats/wma_tag_editor.h"
#include "mutator.h"
#include "playlist/comp_list.h"
#include "playlist/m3u.h"
#include "settings_xml.h"
#include "version.h"

namespace {

using hostile::MakeMutant;

std::string ReadBytes(const std::wstring& name) {
  std::string bytes;
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

void WriteBytes(const std::wstring& name, const std::string& bytes) {
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  if (h == INVALID_HANDLE_VALUE ||
      !WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    throw std::runtime_error("cannot write the mutant");
  CloseHandle(h);
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// Every line reaches the file at once: the process may die right after it.
class Log {
 public:
  explicit Log(const std::wstring& name)
      : FHandle(CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_FLAG_WRITE_THROUGH, nullptr)) {}
  ~Log() { CloseHandle(FHandle); }
  void Line(std::string text) {
    for (char& c : text)
      if (c == '\n' || c == '\r') c = ' ';
    text += '\n';
    DWORD written = 0;
    WriteFile(FHandle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

 private:
  HANDLE FHandle;
};

// Set while a mutant runs, for the last words of a crash.
Log* CurrentLog = nullptr;
uint32_t CurrentIndex = 0;

// Only tells which exception ended the process, then ends it: nothing goes
// on after a fault inside a codec, whose state is then anyone's guess. Under
// Wine this also keeps the debugger from starting and holding the process.
LONG WINAPI LastWords(EXCEPTION_POINTERS* e) {
  char text[96];
  std::snprintf(text, sizeof text, "exception 0x%08lX at %p", e->ExceptionRecord->ExceptionCode,
                e->ExceptionRecord->ExceptionAddress);
  if (CurrentLog) CurrentLog->Line("fail " + std::to_string(CurrentIndex) + " " + text);
  TerminateProcess(GetCurrentProcess(), e->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// --- readers and writers ---------------------------------------------------

// Every header and tag reader on the file: each answers, with values that make
// sense, whatever the bytes claim.
std::string ReadersStayCalm(const std::wstring& file, size_t size) {
  TMPEGaudio mpeg;
  if (!mpeg.ReadFromFile(file)) return "the MPEG reader could not read the file";
  if (!std::isfinite(mpeg.Duration()) || mpeg.Duration() < 0)
    return "MPEG duration " + std::to_string(mpeg.Duration());
  if (mpeg.Frame().Position + mpeg.Frame().Size > int64_t(size)) return "MPEG frame past the end of the file";
  (void)mpeg.Encoder(), (void)mpeg.BitRate(), (void)mpeg.IsValid(), (void)mpeg.ID3v1().Genre();
  TWAVfile wav;
  if (!wav.ReadFromFile(file)) return "the WAVE reader could not read the file";
  if (!std::isfinite(wav.Duration()) || wav.Duration() < 0)
    return "WAVE duration " + std::to_string(wav.Duration());
  if (wav.HeaderSize() > wav.FileSize() || wav.FileSize() > size) return "WAVE sizes past the file";
  TOggVorbis ogg;
  ogg.ReadFromFile(file);
  if (!std::isfinite(ogg.GetDuration()) || ogg.GetDuration() < 0)
    return "Ogg duration " + std::to_string(ogg.GetDuration());
  (void)ogg.GetBitRate(), (void)ogg.Title(), (void)ogg.Artist(), (void)ogg.Comment();
  return {};
}

// A writer that reports failure must leave the file byte for byte; one that
// reports success must have saved what it was given.
std::string SavedOrUntouched(bool saved, const std::wstring& file, const std::string& before,
                             const char* what, const std::string& readBack, const std::string& expected) {
  if (!saved) return ReadBytes(file) == before ? "" : std::string(what) + " failed and changed the file";
  if (readBack != expected)
    return std::string(what) + " saved, but the title reads back as \"" + readBack + "\"";
  return {};
}

const std::string kTitle = "Mutant title, longer than thirty characters";

std::string CheckID3v1(const std::wstring& file, const std::string& bytes) {
  TID3v1 tag;
  tag.ReadFromFile(file);
  tag.SetTitle(kTitle);
  tag.SetLyrics("la la la");
  const bool saved = tag.SaveToFile(file);
  TID3v1 back;
  back.ReadFromFile(file);
  if (auto f = SavedOrUntouched(saved, file, bytes, "ID3v1 save", back.Title(), kTitle); !f.empty()) return f;
  WriteBytes(file, bytes);
  TID3v1 remover;
  if (!remover.RemoveFromFile(file) && ReadBytes(file) != bytes)
    return "ID3v1 removal failed and changed the file";
  return {};
}

std::string CheckID3v2(const std::wstring& file, const std::string& bytes) {
  TID3v2 tag;
  tag.ReadFromFile(file);
  tag.SetTitle(kTitle);
  const bool saved = tag.SaveToFile(file);
  TID3v2 back;
  back.ReadFromFile(file);
  if (auto f = SavedOrUntouched(saved, file, bytes, "ID3v2 save", back.Title(), kTitle); !f.empty()) return f;
  WriteBytes(file, bytes);
  TID3v2 remover;
  if (!remover.RemoveFromFile(file) && ReadBytes(file) != bytes)
    return "ID3v2 removal failed and changed the file";
  return {};
}

std::string CheckOgg(const std::wstring& file, const std::string& bytes) {
  TOggVorbis tag;
  tag.ReadFromFile(file);
  tag.SetTitle(kTitle);
  const bool saved = tag.SaveToFile(file);
  TOggVorbis back;
  back.ReadFromFile(file);
  if (auto f = SavedOrUntouched(saved, file, bytes, "Ogg save", back.Title(), kTitle); !f.empty()) return f;
  WriteBytes(file, bytes);
  TOggVorbis remover;
  remover.ReadFromFile(file);
  if (!remover.RemoveFromFile(file) && ReadBytes(file) != bytes)
    return "Ogg removal failed and changed the file";
  return {};
}

std::string CheckAsf(const std::wstring& file, const std::string& bytes) {
  TWMATagEditor editor;
  editor.ReadFromFile(file);
  editor.TagsData().Title = L"Mutant title";
  const bool saved = editor.SaveToFile(file);
  TWMATagEditor back;
  back.ReadFromFile(file);
  return SavedOrUntouched(saved, file, bytes, "WMA save", Narrow(back.TagsData().Title), "Mutant title");
}

// Where two entries differ, told in code units, as the texts may be anything.
std::string Difference(const TElem& a, const TElem& b) {
  if (a.Duration != b.Duration)
    return "duration " + std::to_string(a.Duration) + " -> " + std::to_string(b.Duration);
  for (auto field : {&TElem::Title, &TElem::FileName}) {
    const std::wstring &x = a.*field, &y = b.*field;
    if (x == y) continue;
    size_t at = 0;
    while (at < x.size() && at < y.size() && x[at] == y[at]) ++at;
    char units[64];
    std::snprintf(units, sizeof units, "U+%04X -> U+%04X", at < x.size() ? unsigned(x[at]) : 0u,
                  at < y.size() ? unsigned(y[at]) : 0u);
    return std::string(field == &TElem::Title ? "title" : "file name") + " of " + std::to_string(x.size()) +
           " units, at " + std::to_string(at) + ": " + units;
  }
  return {};
}

std::string CheckPlaylist(const std::wstring& file, const std::wstring& work) {
  TCompList loaded;
  try {
    loaded.LoadFromFile(file);
  } catch (const EFOpenError&) {
  } catch (const EPlaylistError&) {
  } catch (const EConvertError&) {
  } catch (const EReadError&) {
  }
  const std::wstring saved = work + L"saved.m3u";
  loaded.SaveToFile(saved);
  TCompList again;
  try {
    again.LoadFromFile(saved);
  } catch (const Exception& e) {
    return "the saved playlist does not load: " + std::string(e.what());
  }
  if (again.Count() != loaded.Count())
    return "saved " + std::to_string(loaded.Count()) + " entries, read back " + std::to_string(again.Count());
  for (int32_t i = 0; i < loaded.Count(); ++i) {
    TElem a, b;
    loaded.GetElem(i, a);
    again.GetElem(i, b);
    if (std::string d = Difference(a, b); !d.empty())
      return "entry " + std::to_string(i) + " reads back changed: " + d;
  }
  return {};
}

std::string CheckSettings(const std::wstring& folder, const std::string& bytes) {
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW((folder + L"Tavrin.xml.bak").c_str());
  WriteBytes(folder + L"Tavrin.xml", bytes);
  SetSettingsFolder(folder);
  std::string message;
  SetMessageBoxSink([&](HWND, const std::wstring& text, const std::wstring&, UINT) {
    message = Narrow(text);
    return IDOK;
  });
  std::string failure;
  if (!OpenCheckedSettingsXml()) {
    failure = "the start-up check gave up: " + message;
  } else if (SettingsDoc->DocumentElement().Attribute(L"Name") != TavrinVersion) {
    failure = "the settings opened are not this version's";
  } else {
    try {
      SaveSettingsXml();
      OpenSettingsXml();
    } catch (const Exception& e) {
      failure = std::string("saved settings do not open again: ") + e.what();
    }
  }
  while (SettingsDoc) DiscardSettingsXml();
  SetMessageBoxSink(nullptr);
  return failure;
}

// --- decoding ----------------------------------------------------------------

// bass.dll through the benchmarks' loader, plus the one basswma.dll entry the
// mutants need.
struct Decoders : Bass {
  decltype(&::BASS_WMA_StreamCreateFile) WmaStreamCreateFile = nullptr;
};

const Decoders& LoadBass() {
  static const Decoders bass = [] {
    Decoders b;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring bin = exe;
    bin.resize(bin.find_last_of(L'\\') + 1);
    bin += L"..\\bin\\";
    Load(b);
    HMODULE wma = LoadLibraryW((bin + L"basswma.dll").c_str());
    b.WmaStreamCreateFile = reinterpret_cast<decltype(&::BASS_WMA_StreamCreateFile)>(
        reinterpret_cast<void*>(wma ? GetProcAddress(wma, "BASS_WMA_StreamCreateFile") : nullptr));
    if (!b.BASS_Init || !b.WmaStreamCreateFile || !b.BASS_Init(0, 44100, 0, nullptr, nullptr))
      throw std::runtime_error("bass.dll or basswma.dll cannot be loaded and set up");
    return b;
  }();
  return bass;
}

enum class Creator { kStream, kMusic, kWma };

// Opens the file as the program would and decodes it to its end, then seeks
// and reads the tags. Streams must end within far more than a mutant of a
// fixture can hold; a module's song may be long, so it is only cut short.
std::string Decode(const std::wstring& file, Creator creator) {
  const Decoders& b = LoadBass();
  DWORD handle = 0;
  const DWORD flags = BASS_UNICODE | BASS_STREAM_DECODE;
  switch (creator) {
    case Creator::kStream:
      handle = b.BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, flags);
      break;
    case Creator::kMusic:
      handle = b.BASS_MusicLoad(FALSE, file.c_str(), 0, 0, flags | BASS_MUSIC_PRESCAN, 0);
      break;
    case Creator::kWma:
      handle = b.WmaStreamCreateFile(FALSE, file.c_str(), 0, 0, flags);
      break;
  }
  if (!handle) {
    const int error = b.BASS_ErrorGetCode();
    return error > 0 ? "" : "refused without an error code (" + std::to_string(error) + ")";
  }
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(handle, &info);
  const uint64_t frameBytes = uint64_t{2} * std::max<DWORD>(info.chans, 1);
  const uint64_t cap =
      std::min<uint64_t>((creator == Creator::kMusic ? 30 * 44100 : 8000000) * frameBytes, 96u << 20);
  std::vector<char> buffer(1 << 16);
  uint64_t total = 0;
  for (;;) {
    const DWORD got = b.BASS_ChannelGetData(handle, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == DWORD(-1) || got == 0) break;
    total += got;
    if (total >= cap) break;
  }
  std::string failure;
  if (total >= cap && creator != Creator::kMusic)
    failure = "decoding did not end after " + std::to_string(total) + " bytes";
  const QWORD length = b.BASS_ChannelGetLength(handle);
  b.BASS_ChannelSetPosition(handle, length != QWORD(-1) ? length / 2 : 0);
  b.BASS_ChannelGetData(handle, buffer.data(), static_cast<DWORD>(buffer.size()));
  b.BASS_ChannelGetPosition(handle);
  if (creator != Creator::kMusic)
    for (DWORD kind : {BASS_TAG_ID3, BASS_TAG_ID3V2, BASS_TAG_OGG}) b.BASS_StreamGetTags(handle, kind);
  if (creator == Creator::kMusic) {
    b.BASS_MusicFree(handle);
  } else {
    b.BASS_StreamFree(handle);
  }
  return failure;
}

// --- the run -----------------------------------------------------------------

// The mutant keeps the fixture's extension, for whatever looks at names.
std::string Check(const std::wstring& family, const std::wstring& work, const std::wstring& extension,
                  const std::string& bytes) {
  const std::wstring file = work + L"mutant" + extension;
  if (family == L"settings") return CheckSettings(work + L"settings\\", bytes);
  WriteBytes(file, bytes);
  if (family == L"m3u") return CheckPlaylist(file, work);
  if (family == L"stream") return Decode(file, Creator::kStream);
  if (family == L"stream-refused") {
    if (std::string f = Decode(file, Creator::kStream); !f.empty()) return f;
    return LoadBass().BASS_ErrorGetCode() == BASS_ERROR_FILEFORM ? "" : "opened instead of refused";
  }
  if (family == L"music") return Decode(file, Creator::kMusic);
  if (family == L"wma") return Decode(file, Creator::kWma);
  if (std::string f = ReadersStayCalm(file, bytes.size()); !f.empty()) return f;
  if (family == L"id3v1") return CheckID3v1(file, bytes);
  if (family == L"id3v2") return CheckID3v2(file, bytes);
  if (family == L"ogg") return CheckOgg(file, bytes);
  if (family == L"asf") return CheckAsf(file, bytes);
  return {};  // mpeg, wav: the readers alone
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 8) {
    std::fputs("usage: mutant_runner <family> <fixture> <seed> <first> <count> <work folder> <log>\n",
               stderr);
    return 2;
  }
  const std::wstring family = argv[1];
  const std::wstring fixture = argv[2];
  const std::string original = ReadBytes(fixture);
  const size_t dot = fixture.find_last_of(L".\\");
  const std::wstring extension =
      dot != std::wstring::npos && fixture[dot] == L'.' ? fixture.substr(dot) : L"";
  const uint64_t seed = std::wcstoull(argv[3], nullptr, 10);
  const uint32_t first = static_cast<uint32_t>(std::wcstoul(argv[4], nullptr, 10));
  const uint32_t count = static_cast<uint32_t>(std::wcstoul(argv[5], nullptr, 10));
  const std::wstring work = std::wstring(argv[6]) + L"\\";
  Log log(argv[7]);
  CurrentLog = &log;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(LastWords);
  for (uint32_t i = first; i < first + count; ++i) {
    const hostile::Mutant m = MakeMutant(original, seed, i);
    CurrentIndex = i;
    log.Line("begin " + std::to_string(i) + " " + m.Description);
    std::string failure;
    const DWORD started = GetTickCount();
    try {
      failure = Check(family, work, extension, m.Bytes);
    } catch (const std::exception& e) {
      failure = std::string("raised: ") + e.what();
    } catch (...) {
      failure = "raised something that is no exception";
    }
    if (!failure.empty()) log.Line("fail " + std::to_string(i) + " " + failure);
    log.Line("end " + std::to_string(i) + " " + std::to_string(GetTickCount() - started));
  }
  log.Line("done");
  return 0;
}
