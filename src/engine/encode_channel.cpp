#include "engine/encode_channel.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <memory>

#include "engine/bass22_dynamic.h"
#include "engine/bass_errors.h"
#include "engine/bassenc22_dynamic.h"
#include "engine/basswma22_dynamic.h"
#include "foundation/tnt_classes.h"
#include "framework/dialogs.h"
#include "framework/exceptions.h"

namespace bass = Bass22_dynamic;
namespace enc = BassEnc22_dynamic;
namespace wma = BassWMA22_dynamic;

namespace {

constexpr DWORD kBlockSize = 10240;
constexpr uint32_t kWavHeaderSize = 44;
// Consecutive failed fetches after which the channel is taken for broken: a
// channel that stays "active" but never delivers must not hold us forever.
constexpr int kFetchFailureLimit = 100;

struct SourceFormat {
  DWORD channels = 0;
  DWORD flags = 0;
  DWORD frequency = 0;
};

// False when the channel cannot tell its format (no such channel, or BASS
// not loaded): no file could describe its samples.
bool ReadSourceFormat(DWORD Channel, SourceFormat& f) {
  BASS_CHANNELINFO info{};
  DWORD volume = 0;
  int pan = 0;
  if (!bass::BASS_ChannelGetInfo(Channel, &info) ||
      !bass::BASS_ChannelGetAttributes(Channel, &f.frequency, &volume, &pan))
    return false;
  f.channels = info.chans;
  f.flags = info.flags;
  return f.channels > 0 && f.frequency > 0;
}

void ProcessPendingMessages() {
  MSG msg;
  // The wide forms: the system hands an ANSI window its characters in the
  // code page and a Unicode window every character as typed.
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void ReportProgress(DWORD Channel, const TEncodeProgress& Progress) {
  int32_t percent = EncodeProgressPercent(bass::BASS_ChannelGetPosition(Channel),
                                          bass::BASS_ChannelGetLength(Channel));
  if (Progress) Progress(percent);
  ProcessPendingMessages();
}

// One block from the channel into buffer; the bytes fetched, 0 when the fetch
// failed (BASS answers -1 then, which is no length).
DWORD FetchBlock(DWORD Channel, uint8_t* buffer, int& failures) {
  DWORD got = bass::BASS_ChannelGetData(Channel, buffer, kBlockSize);
  if (got == 0xFFFFFFFF || got > kBlockSize) {
    ++failures;
    return 0;
  }
  failures = 0;
  return got;
}

// The block loop shared by every format: sink takes each fetched block and
// answers false to end the run; ready, run before each fetch, answers false
// to end it too.
template <typename Sink, typename Ready>
void RunBlocks(DWORD Channel, bool& Cancel, const TEncodeProgress& Progress, Sink&& sink, Ready&& ready) {
  auto buffer = std::make_unique<uint8_t[]>(kBlockSize);
  int failures = 0;
  while (bass::BASS_ChannelIsActive(Channel) != BASS_ACTIVE_STOPPED) {
    if (Cancel || !ready()) break;
    DWORD got = FetchBlock(Channel, buffer.get(), failures);
    if (!sink(buffer.get(), got)) break;
    ReportProgress(Channel, Progress);
    if (failures >= kFetchFailureLimit) break;
  }
}

template <typename Sink>
void RunBlocks(DWORD Channel, bool& Cancel, const TEncodeProgress& Progress, Sink&& sink) {
  RunBlocks(Channel, Cancel, Progress, sink, [] { return true; });
}

using TGetCount = QWORD(WINAPI*)(DWORD, DWORD);

// An encoder slower than the decoding makes the fetch wait inside the
// library until its queue has room, and nothing of the program's is answered
// meanwhile. Where the encoder add-on tells how full its queue is, the wait
// happens here instead, with the messages let through. True to fetch; false
// when Cancel was set or the encoder has ended.
bool WaitForEncoderRoom(HENCODE Encoder, TGetCount GetCount, bool& Cancel) {
  if (GetCount == nullptr) return true;
  const QWORD limit = GetCount(Encoder, BASS_ENCODE_COUNT_QUEUE_LIMIT);
  if (limit == ~QWORD{0} || limit < kBlockSize) return true;
  for (;;) {
    const QWORD queued = GetCount(Encoder, BASS_ENCODE_COUNT_QUEUE);
    if (queued == ~QWORD{0} || queued + kBlockSize < limit) return true;
    if (Cancel || enc::BASS_Encode_IsActive(Encoder) == BASS_ACTIVE_STOPPED) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    ProcessPendingMessages();
  }
}

void PutLe(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void WavHeader(uint8_t (&h)[kWavHeaderSize], const SourceFormat& f) {
  // A floating-point channel would otherwise be labelled 16-bit PCM and
  // read back as noise.
  const bool isFloat = (f.flags & BASS_SAMPLE_FLOAT) != 0;
  const uint32_t bits = isFloat ? 32 : (f.flags & BASS_SAMPLE_8BITS) ? 8 : 16;
  const uint32_t align = f.channels * bits / 8;
  memcpy(h, "RIFF\0\0\0\0WAVEfmt ", 16);
  PutLe(h + 16, 16, 4);
  PutLe(h + 20, isFloat ? 3 : 1, 2);
  PutLe(h + 22, f.channels, 2);
  PutLe(h + 24, f.frequency, 4);
  PutLe(h + 28, align * f.frequency, 4);
  PutLe(h + 32, align, 2);
  PutLe(h + 34, bits, 2);
  memcpy(h + 36, "data\0\0\0\0", 8);
}

void PatchSize(TTntFileStream& file, int64_t offset, int64_t value) {
  uint8_t bytes[4];
  PutLe(bytes, static_cast<uint32_t>(value < 0 ? 0 : value), 4);
  file.SetPosition(offset);
  file.WriteBuffer(bytes, 4);
}

void ShowFailure(const std::wstring& text) {
  ShowMessageBoxW(ApplicationHandle(), text, L"Error", MB_ICONERROR);
}

void EncodeWav(DWORD Channel, const std::wstring& OutFile, const SourceFormat& f, bool& Cancel,
               const TEncodeProgress& Progress) {
  std::unique_ptr<TTntFileStream> file;
  try {
    file = std::make_unique<TTntFileStream>(OutFile, fmCreate);
    uint8_t header[kWavHeaderSize];
    WavHeader(header, f);
    file->WriteBuffer(header, kWavHeaderSize);
  } catch (const Exception& e) {
    // Nothing was fetched yet: the channel stays where it was.
    ShowFailure(e.Message());
    return;
  }
  bool writeFailed = false;
  RunBlocks(Channel, Cancel, Progress, [&](const uint8_t* data, DWORD length) {
    if (length == 0) return true;
    if (file->Write(data, static_cast<int32_t>(length)) == static_cast<int32_t>(length)) return true;
    writeFailed = true;
    return false;
  });
  try {
    // The sizes follow what reached the file, also after a cancel or a
    // failed write, so the file stays readable.
    const int64_t size = file->Size();
    PatchSize(*file, 4, size - 8);
    PatchSize(*file, 40, size - kWavHeaderSize);
  } catch (const Exception& e) {
    ShowFailure(e.Message());
    return;
  }
  if (writeFailed) ShowFailure(L"Can't write the sample data to the file \"" + OutFile + L"\"");
}

std::wstring RateList(const DWORD* rates, const wchar_t* unit) {
  std::wstring text;
  // The list ends with 0; bounded in case it does not.
  for (int i = 0; rates[i] != 0 && i < 256; ++i) {
    if (i > 0) text += L", ";
    text += std::to_wstring(rates[i]) + unit;
  }
  return text;
}

void ShowWmaRates(const SourceFormat& f) {
  const DWORD* cbr = wma::BASS_WMA_EncodeGetRates(f.frequency, f.channels, 0);
  if (cbr == nullptr) return;
  std::wstring text = L"Only following constant bitrates are available:\r\n" + RateList(cbr, L" bps");
  const DWORD* vbr = wma::BASS_WMA_EncodeGetRates(f.frequency, f.channels, BASS_WMA_ENCODE_RATES_VBR);
  if (vbr != nullptr)
    text += L"\r\nOnly following variable bitrate quality settings are available:\r\n" + RateList(vbr, L"");
  ShowMessageBoxW(ApplicationHandle(), text, L"Information", MB_OK);
}

// Options as a whole number; anything else gives 0, which no encoder takes,
// so the user sees the list of rates that would work.
DWORD WmaBitrate(const std::wstring& Options) {
  const wchar_t* text = Options.c_str();
  while (*text == L' ') ++text;
  wchar_t* end = nullptr;
  unsigned long value = wcstoul(text, &end, 10);
  while (end != nullptr && *end == L' ') ++end;
  if (end == text || end == nullptr || *end != 0 || *text == L'-' || value > 0xFFFFFFFFul) return 0;
  return static_cast<DWORD>(value);
}

void EncodeWma(DWORD Channel, const std::wstring& OutFile, const std::wstring& Options,
               const SourceFormat& f, bool& Cancel, const TEncodeProgress& Progress) {
  if (wma::BASSWMA_Handle == nullptr) return;
  HWMENCODE encoder = wma::BASS_WMA_EncodeOpenFile(f.frequency, f.channels, BASS_UNICODE,
                                                   WmaBitrate(Options), OutFile.c_str());
  if (encoder == 0) {
    ShowError(L"Can't initialize WMA encoding to a file");
    ShowWmaRates(f);
    return;
  }
  RunBlocks(Channel, Cancel, Progress, [&](const uint8_t* data, DWORD length) {
    if (length == 0) return true;
    if (wma::BASS_WMA_EncodeWrite(encoder, data, length)) return true;
    ShowError(L"Can't encode sample data or write it to the file");
    return false;
  });
  // Also after a failed write, so the file is released and what was encoded
  // stays playable.
  wma::BASS_WMA_EncodeClose(encoder);
}

// Stopping waits for the program to encode what it still holds (a pipe's
// worth: seconds of sound for a slow encoder). The wait runs on a thread of
// its own so that the messages keep flowing meanwhile.
struct TStopRequest {
  HENCODE Encoder;
  BOOL Stopped = FALSE;
  int Error = BASS_OK;
};

DWORD WINAPI StopOnThread(void* Request) {
  auto* request = static_cast<TStopRequest*>(Request);
  request->Stopped = enc::BASS_Encode_Stop(request->Encoder);
  if (!request->Stopped) request->Error = bass::BASS_ErrorGetCode();
  return 0;
}

bool StopEncoder(HENCODE Encoder, int& Error) {
  TStopRequest request{Encoder};
  HANDLE thread = CreateThread(nullptr, 0, StopOnThread, &request, 0, nullptr);
  if (thread == nullptr) {
    StopOnThread(&request);
  } else {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
      ProcessPendingMessages();
    CloseHandle(thread);
  }
  Error = request.Error;
  return request.Stopped != FALSE;
}

void RunExternalEncoder(DWORD Channel, const std::wstring& CommandLine, bool& Cancel,
                        const TEncodeProgress& Progress) {
  if (enc::BASSENC_Handle == nullptr) return;
  HENCODE encoder = enc::BASS_Encode_Start(Channel, CommandLine.c_str(), BASS_UNICODE, nullptr, nullptr);
  if (encoder == 0) {
    ShowError(L"Can't start the encoder");
    return;
  }
  bool encoderDied = false;
  const auto getCount = reinterpret_cast<TGetCount>(
      reinterpret_cast<void*>(GetProcAddress(enc::BASSENC_Handle, "BASS_Encode_GetCount")));
  RunBlocks(
      Channel, Cancel, Progress,
      [&](const uint8_t*, DWORD) {
        // Fetching is what feeds the encoder; one that has quit takes no more.
        encoderDied = enc::BASS_Encode_IsActive(encoder) == BASS_ACTIVE_STOPPED;
        return !encoderDied;
      },
      [&] {
        if (WaitForEncoderRoom(encoder, getCount, Cancel)) return true;
        encoderDied = !Cancel;
        return false;
      });
  int stopError = BASS_OK;
  if (!StopEncoder(encoder, stopError) || encoderDied)
    ShowError(L"The encoder failed to encode the file", stopError != BASS_OK ? stopError : bass::BASS_ErrorGetCode());
}

bool gEncoding = false;

}  // namespace

bool EncodingInProgress() { return gEncoding; }

int32_t EncodeProgressPercent(QWORD Position, QWORD Length) {
  constexpr QWORD kFailed = ~QWORD{0};
  if (Length == 0 || Length == kFailed || Position == kFailed) return 0;
  if (Position >= Length) return 100;
  return static_cast<int32_t>(static_cast<double>(Position) / static_cast<double>(Length) * 100.0);
}

std::wstring EncoderCommandLine(uint8_t Format, const std::wstring& OutFile,
                                const std::wstring& Options) {
  const std::wstring quoted = L"\"" + OutFile + L"\"";
  if (Format == efMP3)
    return L"lame.exe " + (Options.empty() ? L"--preset standard" : Options) + L" - " + quoted;
  return L"oggenc.exe " + (Options.empty() ? L"--quality 5" : Options) + L" -o " + quoted + L" -";
}

void EncodeChannel(DWORD Channel, const std::wstring& OutFile, const std::wstring& Options,
                   bool& Cancel, const TEncodeProgress& Progress, uint8_t Format) {
  if (gEncoding) return;
  gEncoding = true;
  struct TEncodingScope {
    ~TEncodingScope() { gEncoding = false; }
  } scope;
  SourceFormat f;
  if (!ReadSourceFormat(Channel, f)) {
    ShowError(L"Can't read the format of the channel to encode");
    return;
  }
  switch (Format) {
    case efWAV:
      EncodeWav(Channel, OutFile, f, Cancel, Progress);
      break;
    case efWMA:
      EncodeWma(Channel, OutFile, Options, f, Cancel, Progress);
      break;
    case efMP3:
      if (f.channels > 2) {
        ShowMessageBoxW(ApplicationHandle(), L"Only stereo or mono input files are allowed !",
                        L"Information", MB_ICONWARNING);
        break;
      }
      RunExternalEncoder(Channel, EncoderCommandLine(efMP3, OutFile, Options), Cancel, Progress);
      break;
    case efOGG:
      RunExternalEncoder(Channel, EncoderCommandLine(efOGG, OutFile, Options), Cancel, Progress);
      break;
    default:
      break;
  }
}
