// mutant_runner.exe: makes mutants of one fixture and runs each through one
// family of readers, writers or decoders, in a process of its own so that a
// crash or a hang takes only this process down. hostile_tests.exe starts it
// and reads its log: "begin <index> <what>", "fail <index> <why>",
// "end <index>", and "done" after the last mutant.
//
//   mutant_runner <family> <fixture> <seed> <first> <count> <work folder> <log>
//
// "end" also gives the mutant's time in ms and the process's peak working set
// in MB so far; a mutant that takes that peak past kPeakLimitMB fails. Other
// lines ("note") only show the runner is not stuck.
#include <windows.h>
// After windows.h, which they need.
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "bass/bass_api.h"
#include "bench/bass_library.h"
#include "families.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/mpeg_audio.h"
#include "formats/ogg_vorbis.h"
#include "formats/wav_file.h"
#include "formats/wma_tag_editor.h"
#include "foundation/tnt_string_list.h"
#include "framework/bitmaps.h"
#include "framework/dialogs.h"
#include "framework/exceptions.h"
#include "framework/streams.h"
#include "globals/version.h"
#include "mutator.h"
#include "playlist/comp_list.h"
#include "playlist/m3u.h"
#include "settings/settings_xml.h"
#include "shell/drop_target.h"
#include "skin/cool_ini.h"
#include "skin/hue_shift.h"
#include "skin/skin_cells.h"
#include "windows/lyrics/side_file.h"

namespace hostile {

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

uint32_t CurrentIndex = 0;
bool Refused = false;
bool NotTried = false;

}  // namespace hostile

namespace {

using namespace hostile;

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

// Only tells which exception ended the process, then ends it: nothing goes
// on after a fault inside a codec, whose state is then anyone's guess. Under
// Wine this also keeps the debugger from starting and holding the process.
LONG WINAPI LastWords(EXCEPTION_POINTERS* e) {
  // The module that faulted, with the offset into it: the address alone
  // changes from run to run.
  HMODULE module = nullptr;
  char name[MAX_PATH] = "?";
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCSTR>(e->ExceptionRecord->ExceptionAddress), &module);
  if (module) GetModuleFileNameA(module, name, MAX_PATH);
  const char* base = std::strrchr(name, '\\');
  char text[MAX_PATH + 96];
  std::snprintf(
      text, sizeof text, "exception 0x%08lX at %s+0x%llX", e->ExceptionRecord->ExceptionCode,
      base ? base + 1 : name,
      static_cast<unsigned long long>(static_cast<const char*>(e->ExceptionRecord->ExceptionAddress) -
                                      reinterpret_cast<const char*>(module)));
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
  if (!saved) {
    Refused = true;
    return ReadBytes(file) == before ? "" : std::string(what) + " failed and changed the file";
  }
  if (readBack != expected)
    return std::string(what) + " saved, but the title reads back as \"" + readBack + "\"";
  return {};
}

const std::string kTitle = "Mutant title, longer than thirty characters";

// Saving a title either works and reads back, or leaves the file as it was;
// so does removing the tag.
template <typename Tag>
std::string CheckTitleTag(const std::wstring& file, const std::string& bytes, const std::string& name) {
  Tag tag;
  tag.ReadFromFile(file);
  tag.SetTitle(kTitle);
  if constexpr (std::is_same_v<Tag, TID3v1>) tag.SetLyrics("la la la");
  const bool saved = tag.SaveToFile(file);
  Tag back;
  back.ReadFromFile(file);
  const std::string save = name + " save";
  if (auto f = SavedOrUntouched(saved, file, bytes, save.c_str(), back.Title(), kTitle); !f.empty()) return f;
  WriteBytes(file, bytes);
  Tag remover;
  // The Ogg remover rewrites the stream it has read.
  if constexpr (std::is_same_v<Tag, TOggVorbis>) remover.ReadFromFile(file);
  if (!remover.RemoveFromFile(file) && ReadBytes(file) != bytes)
    return name + " removal failed and changed the file";
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
    Refused = true;
  } catch (const EPlaylistError&) {
    Refused = true;
  } catch (const EConvertError&) {
    Refused = true;
  } catch (const EReadError&) {
    Refused = true;
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

void DeleteSettingsBackups(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"Tavrin.xml*.bak").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    DeleteFileW((folder + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The start-up check takes the mutant or replaces it by the default; what
// the program then writes, it reads back: a save the reader would refuse is
// refused and leaves the file, and a saved file never reads as damaged.
std::string CheckSettings(const std::wstring& folder, const std::string& bytes) {
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteSettingsBackups(folder);
  const std::wstring file = folder + L"Tavrin.xml";
  WriteBytes(file, bytes);
  SetSettingsFolder(folder);
  std::string message;
  SetMessageBoxSink([&](HWND, const std::wstring& text, const std::wstring&, UINT) {
    message = Narrow(text);
    return IDOK;
  });
  bool reset = false;
  SetSettingsResetReport([&](const std::wstring&, const std::wstring&) { reset = true; });
  std::string failure;
  const bool opened = OpenCheckedSettingsXml();
  Refused = !message.empty();  // the file was put aside for the default
  if (!opened) {
    failure = "the start-up check gave up: " + message;
  } else if (SettingsDoc->DocumentElement().Attribute(L"Name") != TavrinVersion) {
    failure = "the settings opened are not this version's";
  } else {
    const std::string before = ReadBytes(file);
    try {
      SaveSettingsXml();
    } catch (const EXMLDocError&) {
      if (ReadBytes(file) != before) failure = "a refused save changed the file";
    }
    reset = false;
    try {
      OpenSettingsXml();
      if (reset && failure.empty()) failure = "what was saved reads back as damaged";
    } catch (const Exception& e) {
      failure = std::string("saved settings do not open again: ") + e.what();
    }
  }
  while (SettingsDoc) DiscardSettingsXml();
  SetSettingsResetReport(nullptr);
  SetMessageBoxSink(nullptr);
  return failure;
}

// The reader refuses, or gives text with no control characters but line
// breaks and tabs; written back, it reads back the same, with the line break
// the writer ends it with. (Not through the lyrics editor's memo: Wine 8's
// Uniscribe faults in the edit control on some texts after others.)
std::string CheckSideFile(const std::wstring& file, size_t size) {
  std::wstring text, back;
  if (ReadSideFile(file, text) != TSideFileRead::Read) {
    Refused = true;
    return text.empty() ? "" : "a file refused leaves text";
  }
  if (text.size() > 2 * size || std::any_of(text.begin(), text.end(), [](wchar_t c) {
        return c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n' && c != L'\f';
      }))
    return "the reader gives " + std::to_string(text.size()) + " units with control characters or more";
  WriteSideFile(file, text);
  const std::wstring expected = text.empty() || text.ends_with(L"\r\n") ? text : text + L"\r\n";
  if (ReadSideFile(file, back) != TSideFileRead::Read || back != expected)
    return "what was written back reads back as " + std::to_string(back.size()) + " other units";
  return {};
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
// and reads the tags. A mutant may legitimately decode to far more than its
// fixture (a short frame repeated thousands of times), so a stream fails only
// when it keeps producing sound without reading further into its file: one
// that loops or never ends. A module's song may be long, so it is only
// cut short.
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
    Refused = true;
    const int error = b.BASS_ErrorGetCode();
    return error > 0 ? "" : "refused without an error code (" + std::to_string(error) + ")";
  }
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(handle, &info);
  const uint64_t frameBytes = uint64_t{2} * std::max<DWORD>(info.chans, 1);
  const uint64_t stallCap = std::min<uint64_t>(8000000 * frameBytes, 32u << 20);
  const uint64_t cap = creator == Creator::kMusic ? 30 * 44100 * frameBytes : uint64_t{96} << 20;
  std::vector<char> buffer(1 << 16);
  uint64_t total = 0, sinceProgress = 0;
  QWORD furthest = 0;
  std::string failure;
  for (;;) {
    const DWORD got = b.BASS_ChannelGetData(handle, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == DWORD(-1) || got == 0) break;
    total += got;
    sinceProgress += got;
    const QWORD at = b.BASS_StreamGetFilePosition(handle, BASS_FILEPOS_DECODE);
    if (at != QWORD(-1) && at > furthest) {
      furthest = at;
      sinceProgress = 0;
    }
    if (creator != Creator::kMusic && sinceProgress >= stallCap) {
      failure = "decoding did not end: " + std::to_string(sinceProgress) +
                " bytes without reading past file position " + std::to_string(furthest);
      break;
    }
    if (total >= cap) break;
  }
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

// --- pictures, skins and dropped files ---------------------------------------

// A picture reader refuses a bad file with EInvalidGraphic and nothing else;
// any other exception reaches Check's caller as a failure.

// Bitmaps beyond this many pixels are only loaded: the reader's own bounds
// (MaxBitmapDimension, MaxBitmapBytes) are what is under test, and copies,
// round trips and the skin routines on a picture that size would cost the
// harness more than the reader.
constexpr int64_t kWorkedPixels = int64_t(4) << 20;

std::string RowsOf(TBitmap& b) {
  std::string rows;
  for (int y = 0; y < b.Height(); ++y)
    rows.append(static_cast<const char*>(b.ScanLine(y)), static_cast<size_t>(-b.ScanLineStride()));
  return rows;
}

std::string SameBitmap(TBitmap& a, TBitmap& b, const std::string& what) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat())
    return what + " gives " + std::to_string(b.Width()) + "x" + std::to_string(b.Height()) + " format " +
           std::to_string(b.PixelFormat()) + ", not " + std::to_string(a.Width()) + "x" +
           std::to_string(a.Height()) + " format " + std::to_string(a.PixelFormat());
  const std::vector<RGBQUAD> ta = a.ColorTable(), tb = b.ColorTable();
  if (ta.size() != tb.size() || std::memcmp(ta.data(), tb.data(), ta.size() * sizeof(RGBQUAD)) != 0)
    return what + " gives another colour table";
  if (RowsOf(a) != RowsOf(b)) return what + " gives other pixels";
  return {};
}

// A memory stream holding Prefix and then the mutant, at the mutant's start.
void FillStream(TMemoryStream& stream, const std::string& prefix, const std::string& bytes) {
  stream.WriteBuffer(prefix.data(), static_cast<int32_t>(prefix.size()));
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(static_cast<int64_t>(prefix.size()));
}

const std::string kStreamPrefix = "something before the picture";

bool IsKey(const uint8_t* bgr) { return IsSkinKeyColor(bgr[2] | (bgr[1] << 8) | (bgr[0] << 16)); }

// The window shape, the tint and the cells of a sheet, on whatever loaded:
// the region stays inside the picture; at 24 and 32 bits, where colours are
// exact, the tint keeps every key colour and makes none; a cut either fails
// and leaves its destination alone or gives a 24-bit piece of the sheet.
// EInvalidGraphic (a conversion past the bitmap bounds) is a refusal.
std::string CheckSkinRoutines(TBitmap& sheet, int rows, int columns) {
  const int w = sheet.Width(), h = sheet.Height();
  if (int64_t{w} * h > kWorkedPixels) return {};
  try {
    auto regionOutside = [](TBitmap& b) {
      HRGN region = CreateRegionFromBitmap(&b, 0xFF00FF);
      if (!region) return false;
      RECT box{};
      GetRgnBox(region, &box);
      DeleteObject(region);
      return box.left < 0 || box.top < 0 || box.right > b.Width() || box.bottom > b.Height();
    };
    if (regionOutside(sheet)) return "the region of the picture reaches outside it";
    const TPixelFormat format = sheet.PixelFormat();
    const int bytesPerPixel = sheet.BitsPerPixel() >= 24 ? sheet.BitsPerPixel() / 8 : 0;
    const std::string before = bytesPerPixel ? RowsOf(sheet) : "";
    ShiftBitmapHue(&sheet, 80);
    if (sheet.Width() != w || sheet.Height() != h || sheet.PixelFormat() != format)
      return "the hue shift changed the picture's size or format";
    if (bytesPerPixel) {
      const std::string after = RowsOf(sheet);
      const size_t stride = before.size() / h;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const size_t at = y * stride + size_t(x) * bytesPerPixel;
          const auto* p = reinterpret_cast<const uint8_t*>(before.data() + at);
          const auto* q = reinterpret_cast<const uint8_t*>(after.data() + at);
          if (IsKey(p) ? std::memcmp(p, q, 3) != 0 : IsKey(q))
            return "the hue shift moved a key colour at " + std::to_string(x) + "," + std::to_string(y);
        }
    }
    for (int r = 1; r <= rows; ++r)
      for (int c = 1; c <= columns; ++c) {
        TBitmap cell(2, 3);
        const std::string where = "cell " + std::to_string(r) + "," + std::to_string(c);
        if (!ExtractSkinCell(&sheet, &cell, r, c)) {
          if (cell.Width() != 2 || cell.Height() != 3)
            return where + ": a failed cut changed its destination";
          continue;
        }
        if (cell.Width() < 1 || cell.Width() > w || cell.Height() < 1 || cell.Height() > h ||
            cell.PixelFormat() != pf24bit)
          return where + " of a " + std::to_string(w) + "x" + std::to_string(h) + " sheet measures " +
                 std::to_string(cell.Width()) + "x" + std::to_string(cell.Height());
        if (regionOutside(cell)) return where + ": its region reaches outside it";
      }
    if (ExtractSkinCell(&sheet, &sheet, 2, 1) && (sheet.Width() > w || sheet.Height() > h))
      return "a cell cut into its own sheet outgrows it";
  } catch (const EInvalidGraphic&) {
  }
  return {};
}

// Loads the file, and its bytes from a stream after other data; the failure
// when only one of the two loads. loaded says whether both did.
template <typename Graphic>
std::string LoadBothWays(const std::wstring& file, const std::string& bytes, Graphic& fromFile,
                         Graphic& fromStream, TMemoryStream& stream, bool& loaded) {
  bool streamed = true;
  loaded = true;
  try {
    fromFile.LoadFromFile(file);
  } catch (const EInvalidGraphic&) {
    loaded = false;
  }
  FillStream(stream, kStreamPrefix, bytes);
  try {
    fromStream.LoadFromStream(&stream);
  } catch (const EInvalidGraphic&) {
    streamed = false;
  }
  Refused = !loaded;
  if (loaded == streamed) return {};
  return loaded ? "loads from the file but not from a stream" : "loads from a stream but not from the file";
}

// The file read from its handle and from a memory stream after other data
// must give the same picture, leave the stream after what it read, and save
// a file that reads back as the same picture.
std::string CheckBitmap(const std::wstring& file, const std::string& bytes, int rows, int columns) {
  TBitmap fromFile, fromStream;
  TMemoryStream stream;
  bool loaded = false;
  if (std::string f = LoadBothWays(file, bytes, fromFile, fromStream, stream, loaded); !f.empty()) return f;
  if (!loaded) return {};
  const int64_t w = fromFile.Width(), h = fromFile.Height();
  if (w < 1 || h < 1 || w > MaxBitmapDimension || h > MaxBitmapDimension ||
      -int64_t{fromFile.ScanLineStride()} * h > MaxBitmapBytes)
    return "loaded a " + std::to_string(w) + "x" + std::to_string(h) + " bitmap, past the bounds";
  if (stream.Position() > stream.Size() || stream.Position() < int64_t(kStreamPrefix.size() + 26))
    return "the stream is left at " + std::to_string(stream.Position()) + " of " +
           std::to_string(stream.Size());
  if (w * h > kWorkedPixels) return {};
  if (std::string f = SameBitmap(fromFile, fromStream, "the stream"); !f.empty()) return f;
  TMemoryStream saved;
  fromFile.SaveToStream(&saved);
  saved.SetPosition(0);
  TBitmap back;
  try {
    back.LoadFromStream(&saved);
  } catch (const Exception& e) {
    return std::string("what was saved does not load: ") + e.what();
  }
  if (std::string f = SameBitmap(fromFile, back, "reading back what was saved"); !f.empty()) return f;
  return CheckSkinRoutines(fromFile, rows, columns);
}

std::string SavedBytes(TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(&stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// Loaded from the file and from a stream alike, an icon saves the very bytes
// it read (a prefix of the file) and leaves the stream after them; then every
// size is picked and drawn, and the picture by extension copied to a bitmap.
std::string CheckIcon(const std::wstring& file, const std::string& bytes) {
  TIcon fromFile, fromStream;
  TMemoryStream stream;
  bool loaded = false;
  if (std::string f = LoadBothWays(file, bytes, fromFile, fromStream, stream, loaded); !f.empty()) return f;
  if (!loaded) return {};
  const std::string saved = SavedBytes(fromFile);
  if (saved.empty() || bytes.compare(0, saved.size(), saved) != 0)
    return "saves " + std::to_string(saved.size()) + " bytes that are not the start of the file";
  if (SavedBytes(fromStream) != saved) return "saves other bytes after loading from a stream";
  if (stream.Position() != int64_t(kStreamPrefix.size() + saved.size()))
    return "the stream is left at " + std::to_string(stream.Position());
  TBitmap canvas(48, 48);
  for (int size : {0, 16, 32, 48, 256}) {
    try {
      fromFile.SetSize(size, size);
      if (fromFile.Width() < 1 || fromFile.Width() > 1024 || fromFile.Height() < 1 ||
          fromFile.Height() > 1024)
        return "picked an entry of " + std::to_string(fromFile.Width()) + "x" +
               std::to_string(fromFile.Height());
      canvas.Canvas()->Draw(0, 0, &fromFile);
      canvas.Canvas()->StretchDraw(RECT{0, 0, 48, 48}, &fromFile);
    } catch (const EInvalidGraphic&) {
    }
  }
  // A handle given from outside saves as a one-entry file of its own (or is
  // refused), which must read back at the handle's size.
  HICON handle = nullptr;
  try {
    handle = fromFile.Handle();
  } catch (const EInvalidGraphic&) {
  }
  if (handle) {
    TIcon copy;
    copy.SetHandle(CopyIcon(handle));
    TMemoryStream written;
    try {
      copy.SaveToStream(&written);
    } catch (const EInvalidGraphic&) {
    }
    if (written.Size() > 0) {
      written.SetPosition(0);
      TIcon back;
      try {
        back.LoadFromStream(&written);
      } catch (const Exception& e) {
        return std::string("an icon saved from its handle does not load: ") + e.what();
      }
      if (back.Width() != copy.Width() || back.Height() != copy.Height())
        return "an icon saved from a handle of " + std::to_string(copy.Width()) + "x" +
               std::to_string(copy.Height()) + " reads back at " + std::to_string(back.Width()) + "x" +
               std::to_string(back.Height());
    }
  }
  try {
    TPicture picture;
    picture.LoadFromFile(file);
    TBitmap copy;
    copy.Assign(picture.Graphic());
  } catch (const EInvalidGraphic&) {
  }
  return {};
}

// The sections and keys the file lists, and each key through one of the
// readers, the reader turning with the key and the mutant; a value is at most
// the 4095 characters the reader keeps. Every profile call opens the file
// again through the Wine server, which all runners share: the caps keep a
// mutant that repeats a line thousands of times from slowing every family.
std::string CheckSkinIni(const std::wstring& work, const std::string& bytes) {
  // A name of its own for each mutant: the profile calls cache files by name.
  const std::wstring file = work + L"Skin" + std::to_wstring(CurrentIndex) + L".txt";
  WriteBytes(file, bytes);
  std::string failure;
  {
    TCoolIni ini(file);
    TTntStringList sections;
    ini.ReadSections(&sections);
    uint32_t turn = CurrentIndex;
    for (int32_t s = 0; s < sections.Count() && s < 24 && failure.empty(); ++s) {
      const std::wstring section = sections.Strings(s);
      TTntStringList keys;
      ini.ReadSection(section, &keys);
      for (int32_t k = 0; k < keys.Count() && k < 16 && failure.empty(); ++k) {
        const std::wstring key = keys.Strings(k);
        switch (turn++ % 4) {
          case 0:
            if (ini.ReadString(section, key, L"").size() > 4095)
              failure = "a value longer than the reader keeps";
            break;
          case 1:
            (void)ini.ReadInteger(section, key, -7);
            break;
          case 2:
            (void)ini.ReadPoint(section, key);
            break;
          default:
            (void)ini.ReadRGB(section, key);
        }
      }
    }
    const POINT point = ini.ReadPoint(L"MWPositions", L"No such key");
    const RGBTRIPLE colour = ini.ReadRGB(L"No such section", L"VisPeak");
    if (failure.empty() && (point.x || point.y || colour.rgbtRed || colour.rgbtGreen || colour.rgbtBlue))
      failure = "a key the file lacks does not read as its default";
  }
  DeleteFileW(file.c_str());
  return failure;
}

// The block ends where a page nobody may read begins, so a read past its end
// faults at once instead of reading a neighbour's bytes.
class GuardedBlock {
 public:
  explicit GuardedBlock(const std::string& bytes) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize, body = (bytes.size() + page - 1) / page * page;
    FBase = static_cast<char*>(VirtualAlloc(nullptr, body + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (!FBase || !VirtualProtect(FBase + body, page, PAGE_NOACCESS, &old))
      throw std::runtime_error("cannot guard the block");
    FData = FBase + body - bytes.size();
    std::memcpy(FData, bytes.data(), bytes.size());
  }
  ~GuardedBlock() { VirtualFree(FBase, 0, MEM_RELEASE); }
  GuardedBlock(const GuardedBlock&) = delete;
  GuardedBlock& operator=(const GuardedBlock&) = delete;
  const void* Data() const { return FData; }

 private:
  char* FBase = nullptr;
  char* FData = nullptr;
};

// Only whole names, none empty, none with a NUL, none longer than a path can
// be, and never more than the block could hold.
std::string CheckDropFiles(const std::string& bytes) {
  GuardedBlock block(bytes);
  TTntStringList files;
  ReadDropFiles(block.Data(), bytes.size(), &files);
  if (static_cast<size_t>(files.Count()) > bytes.size() / 2)
    return std::to_string(files.Count()) + " names from a block of " + std::to_string(bytes.size()) +
           " bytes";
  for (int32_t i = 0; i < files.Count(); ++i) {
    const std::wstring name = files.Strings(i);
    if (name.empty() || name.size() > 32767 || name.find(L'\0') != std::wstring::npos)
      return "name " + std::to_string(i) + " of " + std::to_string(name.size()) + " units";
  }
  return {};
}

// --- the run -----------------------------------------------------------------

// Far above what any reader needs for these fixtures (a bitmap at the
// readers' bound of 256 MB of pixels is a DIB section whose untouched pages
// cost nothing), far below what one that believed a hostile 32-bit size
// would take.
constexpr size_t kPeakLimitMB = 512;

size_t PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize >> 20;
}

// The mutant keeps the fixture's extension, for whatever looks at names.
std::string Check(const std::wstring& family, const std::wstring& work, const std::wstring& extension,
                  const std::string& bytes) {
  const std::wstring file = work + L"mutant" + extension;
  if (family == L"settings") return CheckSettings(work + L"settings\\", bytes);
  if (family == L"skin-ini") return CheckSkinIni(work, bytes);
  if (family == L"dropfiles") return CheckDropFiles(bytes);
  if (family == L"language") return CheckLanguage(work, bytes);
  if (family == L"icl") return CheckIconLibrary(work, bytes);
  if (family == L"eq-presets") return CheckPresets(work, bytes);
  WriteBytes(file, bytes);
  if (family == L"bmp") return CheckBitmap(file, bytes, 3, 3);
  if (family == L"skin") return CheckBitmap(file, bytes, 8, 13);
  if (family == L"ico") return CheckIcon(file, bytes);
  if (family == L"m3u") return CheckPlaylist(file, work);
  if (family == L"lyrics") return CheckSideFile(file, bytes.size());
  if (family == L"stream") return Decode(file, Creator::kStream);
  if (family == L"stream-refused") {
    if (std::string f = Decode(file, Creator::kStream); !f.empty()) return f;
    return LoadBass().BASS_ErrorGetCode() == BASS_ERROR_FILEFORM ? "" : "opened instead of refused";
  }
  if (family == L"music") return Decode(file, Creator::kMusic);
  if (family == L"wma") return Decode(file, Creator::kWma);
  if (std::string f = ReadersStayCalm(file, bytes.size()); !f.empty()) return f;
  if (family == L"id3v1") return CheckTitleTag<TID3v1>(file, bytes, "ID3v1");
  if (family == L"id3v2") return CheckTitleTag<TID3v2>(file, bytes, "ID3v2");
  if (family == L"ogg") return CheckTitleTag<TOggVorbis>(file, bytes, "Ogg");
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
  // The families sent to a running program start it once, before the
  // first mutant's time runs; its songs lie beside the fixture.
  std::unique_ptr<RunningProgram> program;
  if (family == L"handover" || family == L"remote") {
    log.Line("note " + std::to_string(first) + " starting tavrin.exe");
    std::string failure;
    program =
        RunningProgram::Start(work, fixture.substr(0, fixture.find_last_of(L'\\') + 1) + L"songs\\", failure);
    if (!failure.empty()) {
      log.Line("fail " + std::to_string(first) + " " + failure);
      log.Line("done");
      return 0;
    }
  }
  size_t peakSoFar = PeakMegabytes();
  for (uint32_t i = first; i < first + count; ++i) {
    const hostile::Mutant m = MakeMutant(original, seed, i);
    CurrentIndex = i;
    log.Line("begin " + std::to_string(i) + " " + m.Description);
    std::string failure;
    Refused = NotTried = false;
    const DWORD started = GetTickCount();
    try {
      failure = !program                ? Check(family, work, extension, m.Bytes)
                : family == L"handover" ? program->HandOver(m.Bytes)
                                        : program->Remote(m.Bytes);
    } catch (const std::exception& e) {
      failure = std::string("raised: ") + e.what();
    } catch (...) {
      failure = "raised something that is no exception";
    }
    // The file as it is must be taken: a reader that refuses everything would
    // pass every mutant. The refused-stream family's success is a refusal.
    if (failure.empty() && i == 0 && Refused && family != L"stream-refused")
      failure = "the file as it is is refused";
    if (NotTried) log.Line("skip " + std::to_string(i));
    const DWORD ms = GetTickCount() - started;
    const size_t peak = PeakMegabytes();
    if (failure.empty() && peak > kPeakLimitMB && peak > peakSoFar)
      failure = "the working set peaked at " + std::to_string(peak) + " MB";
    peakSoFar = std::max(peakSoFar, peak);
    if (!failure.empty()) log.Line("fail " + std::to_string(i) + " " + failure);
    log.Line("end " + std::to_string(i) + " " + std::to_string(ms) + " " + std::to_string(peak));
  }
  if (program)
    if (std::string failure = program->Finish(); !failure.empty())
      log.Line("fail " + std::to_string(first + count - 1) + " " + failure);
  log.Line("done");
  return 0;
}
