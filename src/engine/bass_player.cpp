// TBASSPlayer: construction and teardown, the add-on loader thread, Open and
// the transport.
#include "engine/bass_player.h"

#include <cmath>

#include "engine/bass22_dynamic.h"
#include "engine/bass_errors.h"
#include "engine/bass_player_text.h"
#include "engine/basscd22_dynamic.h"
#include "engine/bassenc22_dynamic.h"
#include "engine/basswma22_dynamic.h"
#include "engine/program_folder.h"
#include "formats/mpeg_audio.h"
#include "formats/ogg_vorbis.h"
#include "formats/wav_file.h"
#include "formats/wma_file.h"
#include "foundation/tnt_system.h"
#include "foundation/tnt_sysutils.h"
#include "framework/dialogs.h"
#include "framework/thread.h"
#include "framework/timer.h"

namespace bass = Bass22_dynamic;
namespace basswma = BassWMA22_dynamic;
namespace basscd = BassCD22_dynamic;

namespace {

constexpr DWORD kBassVersion = 0x20002;
// Long enough for a slow disk to finish one BASS_PluginLoad; the libraries
// must not be freed under a thread still inside one.
constexpr DWORD kAddOnLoaderWaitMs = 5000;

const wchar_t kNotReady[] = L"Player is not ready !";

// Each message names its channel, so the window procedure can drop one that
// arrives after that channel was stopped, closed or replaced.
void CALLBACK EndSyncProc(HSYNC, DWORD channel, DWORD, void* user) {
  PostMessageW(static_cast<HWND>(user), WM_PLAYER_END, channel, 0);
}

void CALLBACK DownloadSyncProc(HSYNC, DWORD channel, DWORD, void* user) {
  PostMessageW(static_cast<HWND>(user), WM_PLAYER_DOWNLOADED, channel, 0);
}

// The title travels in a buffer of its own per message, so a second title
// arriving before the first is handled cannot overwrite it; the window
// procedure frees it.
void CALLBACK MetaSyncProc(HSYNC, DWORD channel, DWORD data, void* user) {
  try {
    const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(data));
    auto* title = new std::string(MetaTitleOf(text));
    if (!PostMessageW(static_cast<HWND>(user), WM_PLAYER_META, channel, reinterpret_cast<LPARAM>(title))) delete title;
  } catch (...) {
    // Out of memory on BASS's thread: the title is lost, nothing else.
  }
}

uint32_t BytesToMs(DWORD channel, QWORD bytes) {
  if (static_cast<int64_t>(bytes) < 0) return 0;
  double seconds = bass::BASS_ChannelBytes2Seconds(channel, bytes);
  if (!(seconds > 0)) return 0;
  return static_cast<uint32_t>(std::nearbyint(seconds * 1000.0));
}

std::string Ansi(const std::wstring& text) { return WideToAnsiInCodePage(text, CP_ACP); }

}  // namespace

TBASSPlayer::TBASSPlayer(TComponent* AOwner, const std::wstring& AProgramFolder)
    : TComponent(AOwner), FProgramFolder(AProgramFolder.empty() ? ProgramFolder() : AProgramFolder) {
  FComponentVersion = "1.5";
  FOwnerWindow = ApplicationHandle();
  FMessageWindow = AllocateHWnd([this](TMessage& m) { PlayerWndProc(m); });
  FVisTimer = new TTimer(nullptr);
  FVisTimer->SetEnabled(false);
  SetVisRefreshInterval(33);
  FVisTimer->SetInterval(static_cast<uint32_t>(FVisInterval));
  FVisTimer->SetOnTimer([this](TObject* Sender) { VisTimerTick(Sender); });
  StartUp();
}

void TBASSPlayer::StartUp() {
  FBASSLoaded = bass::Load_BASSDLL(FProgramFolder + L"bass.dll");
  if (!FBASSLoaded) return;
  if (bass::BASS_GetVersion() != kBassVersion) {
    ShowMessageBoxW(nullptr, L"BASS version is not 2.2 !", L"Confirm", MB_OK);
    return;
  }
  if (!bass::BASS_Init(1, 44100, 0, FOwnerWindow, nullptr)) {
    ShowError(L"Can't initialize device");
    return;
  }
  FBASSReady = true;
  bass::BASS_GetInfo(&FBASSInfo);
  FEffectsAvailable = FBASSInfo.dsver >= 8;
  if (!FEffectsAvailable) {
    ShowMessageBoxW(FOwnerWindow, L"DirectX Ver 8 are not installed.", L"Warning", MB_OK | MB_ICONWARNING);
  }
  FVolume = 100;
  bass::BASS_SetConfig(BASS_CONFIG_GVOL_MUSIC, 100);
  bass::BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 100);
  DWORD version = bass::BASS_GetVersion();
  FBASSVersionText = std::to_string(version & 0xFFFF) + "." + std::to_string(version >> 16);

  FWMAReady = basswma::Load_BASSWMADLL(FProgramFolder + L"basswma.dll");
  FCDReady = basscd::Load_BASSCDDLL(FProgramFolder + L"basscd.dll");
  FEncoderReady = BassEnc22_dynamic::Load_BASSENCDLL(FProgramFolder + L"bassenc.dll");
  FMPEGaudio = std::make_unique<TMPEGaudio>();
  FOggVorbis = std::make_unique<TOggVorbis>();
  FWMAfile = std::make_unique<TWMAfile>();
  FWAVfile = std::make_unique<TWAVfile>();
  StartAddOnLoader();
}

void TBASSPlayer::StartAddOnLoader() {
  std::wstring pattern = FProgramFolder + L"Plugins\\bass*.dll";
  std::wstring folder = FProgramFolder + L"Plugins\\";
  // Touches no player field: only the copies made here and the loader table.
  FAddOnLoader = std::make_unique<TThread>([pattern, folder] {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      bass::BASS_PluginLoad(Ansi(folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  });
}

bool TBASSPlayer::WaitForAddOns(DWORD TimeoutMs) { return !FAddOnLoader || FAddOnLoader->WaitFor(TimeoutMs); }

TBASSPlayer::~TBASSPlayer() {
  if (FPlayerMode == pmPlaying) Stop();
  bool loaderDone = WaitForAddOns(kAddOnLoaderWaitMs);
  if (loaderDone) {
    FAddOnLoader.reset();
    if (FBASSLoaded) bass::Unload_BASSDLL();
    if (FWMAReady) basswma::Unload_BASSWMADLL();
    if (FCDReady) basscd::Unload_BASSCDDLL();
    if (FEncoderReady) BassEnc22_dynamic::Unload_BASSENCDLL();
  } else {
    // A loader stuck inside BASS_PluginLoad: freeing the libraries under it
    // would crash the process, so they stay loaded and the thread is left.
    FAddOnLoader->Detach();
    FAddOnLoader.release();
  }
  delete FVisTimer;
  DeallocateHWnd(FMessageWindow);
}

void TBASSPlayer::FreeChannel() {
  switch (FChannelKind) {
    case ckStream:
    case ckWMA:
    case ckCD: bass::BASS_StreamFree(FChannel); break;
    case ckMusic: bass::BASS_MusicFree(FChannel); break;
    default: break;
  }
  FChannel = 0;
  FChannelKind = ckNone;
}

bool TBASSPlayer::Open(const std::wstring& FileName) {
  if (!FBASSReady) {
    ShowMessageBoxW(FOwnerWindow, kNotReady, L"Confirm", MB_OK);
    return false;
  }
  bool isURL = FileName.compare(0, 7, L"http://") == 0 || FileName.compare(0, 6, L"ftp://") == 0 ||
               FileName.compare(0, 6, L"mms://") == 0;
  FreeChannel();
  FDownloadDone = false;
  FIsNetStream = false;
  FIsNetRadio = false;
  FICYTags = nullptr;
  FHTTPTags = nullptr;

  TStreamInfo info;
  if (isURL) {
    if (!OpenURL(FileName, info)) return false;
  } else {
    TOpenResult result = OpenLocal(FileName);
    if (result == orRefused) return false;
    if (result == orFailed) {
      ShowError(L"Can't play the file");
      return false;
    }
    bass::BASS_ChannelGetInfo(FChannel, &FChannelInfo);
    info.SampleRate = static_cast<int32_t>(FChannelInfo.freq);
    info.Channels = static_cast<uint16_t>(FChannelInfo.chans);
  }
  ClearEffectHandles();
  SetSoundEffects(FSoundEffects);
  FCurrentName = Ansi(FileName);
  FStreamInfo = info;
  FPlayerMode = pmOpened;
  bass::BASS_ChannelSetSync(FChannel, BASS_SYNC_END, 0, EndSyncProc, FMessageWindow);
  return true;
}

bool TBASSPlayer::OpenURL(const std::wstring& FileName, TStreamInfo& Info) {
  Info.FileName = Ansi(FileName);
  Info.BitRate = 0;
  DWORD floatFlag = FFloatOutput ? DWORD{BASS_SAMPLE_FLOAT} : DWORD{0};
  FChannel = bass::BASS_StreamCreateURL(Ansi(FileName).c_str(), 0, floatFlag, nullptr, nullptr);
  if (FChannel != 0) {
    FChannelKind = ckStream;
  } else if (FWMAReady) {
    std::wstring url = FileName;
    if (url.compare(0, 7, L"http://") == 0) url = L"mms://" + url.substr(7);
    FChannel = basswma::BASS_WMA_StreamCreateFile(FALSE, url.c_str(), 0, 0, 0x80000004 | floatFlag);
    if (FChannel != 0) FChannelKind = ckWMA;
  }
  if (FChannel == 0) {
    ShowMessageBoxW(FOwnerWindow, L"Can't play URL stream", L"Confirm", MB_OK);
    return false;
  }
  std::wstring ext = TntWideUpperCase(WideExtractFileExt(FileName));
  if (ext == L".MP3" || ext == L".MP2" || ext == L".MP1" || ext == L".OGG" || ext == L".WAV" || ext == L".WMA" ||
      ext == L".ASF") {
    ReadNetFileInfo(FileName, Info);
  } else {
    ReadNetRadioInfo(Info);
  }
  bass::BASS_ChannelGetInfo(FChannel, &FChannelInfo);
  Info.SampleRate = static_cast<int32_t>(FChannelInfo.freq);
  Info.Channels = static_cast<uint16_t>(FChannelInfo.chans);
  return true;
}

void TBASSPlayer::ReadNetFileInfo(const std::wstring& FileName, TStreamInfo& Info) {
  FIsNetStream = true;
  std::wstring ext = TntWideUpperCase(WideExtractFileExt(FileName));
  if (ext == L".OGG") {
    Info.Title = TitleCommentOf(TagStrings(bass::BASS_StreamGetTags(FChannel, BASS_TAG_OGG)));
  } else if (ext == L".MP3" || ext == L".WMA") {
    FICYTags = bass::BASS_StreamGetTags(FChannel, BASS_TAG_ID3V2);
    // Only basswma gives its attributes as "Name : value" strings under this
    // kind; for an MP3 it is the binary ID3v2 image, never text.
    if (FChannelKind == ckWMA) ReadWMAAttributes(TagStrings(FICYTags), Info);
  } else {
    Info.Title = TitleFromURL(Ansi(FileName));
  }
  if (FileName.compare(0, 7, L"http://") == 0 || FileName.compare(0, 6, L"mms://") == 0) {
    FHTTPTags = bass::BASS_StreamGetTags(FChannel, BASS_TAG_HTTP);
  }
  QWORD bytes = bass::BASS_ChannelGetLength(FChannel);
  double seconds = static_cast<int64_t>(bytes) < 0 ? 0.0 : bass::BASS_ChannelBytes2Seconds(FChannel, bytes);
  if (!(seconds > 0)) seconds = 0;
  Info.Duration = static_cast<uint32_t>(std::nearbyint(seconds * 1000.0));
  DWORD length = bass::BASS_StreamGetFilePosition(FChannel, BASS_FILEPOS_END);
  if (length != 0xFFFFFFFF) {
    Info.FileSize = length;
    // A stream of unknown duration has no bit rate to tell.
    if (seconds > 0) Info.BitRate = static_cast<int32_t>(std::nearbyint(length / (125.0 * seconds)));
  }
  bass::BASS_ChannelSetSync(FChannel, BASS_SYNC_DOWNLOAD, 0, DownloadSyncProc, FMessageWindow);
}

void TBASSPlayer::ReadNetRadioInfo(TStreamInfo& Info) {
  FIsNetRadio = true;
  FICYTags = bass::BASS_StreamGetTags(FChannel, BASS_TAG_ICY);
  for (const std::string& s : TagStrings(FICYTags)) {
    if (s.find("icy-br:") != std::string::npos) {
      Info.BitRate = LeadingNumber(s.substr(std::min<size_t>(7, s.size())));
      break;
    }
  }
  std::vector<std::string> meta = TagStrings(bass::BASS_StreamGetTags(FChannel, BASS_TAG_META));
  Info.Title = meta.empty() ? std::string() : StreamTitleOf(meta.front());
  bass::BASS_ChannelSetSync(FChannel, BASS_SYNC_META, 0, MetaSyncProc, FMessageWindow);
}

TBASSPlayer::TOpenResult TBASSPlayer::OpenLocal(const std::wstring& FileName) {
  DWORD flags = BASS_UNICODE | (FFloatOutput ? DWORD{BASS_SAMPLE_FLOAT} : DWORD{0});
  FChannel = bass::BASS_StreamCreateFile(FALSE, FileName.c_str(), 0, 0, flags);
  if (FChannel != 0) {
    FChannelKind = ckStream;
    return orOpened;
  }
  if (FWMAReady) {
    FChannel = basswma::BASS_WMA_StreamCreateFile(FALSE, FileName.c_str(), 0, 0, flags);
    if (FChannel != 0) {
      FChannelKind = ckWMA;
      return orOpened;
    }
  }
  FChannel = bass::BASS_MusicLoad(FALSE, FileName.c_str(), 0, 0, FFloatOutput ? 0x80020500 : 0x80020400, 0);
  if (FChannel != 0) {
    FChannelKind = ckMusic;
    return orOpened;
  }
  return OpenCDTrack(FileName);
}

void TBASSPlayer::Play() {
  if (FChannelKind == ckNone || FPlayerMode == pmPlaying) return;
  if (FPlayerMode == pmPaused) {
    Pause(false);
    return;
  }
  if (FPlayerMode == pmStopped) {
    bass::BASS_ChannelSetPosition(FChannel, 0);
    if (bass::BASS_ChannelPlay(FChannel, FALSE)) {
      FPlayerMode = pmPlaying;
      EnableVisTimer();
    }
    return;
  }
  if (!bass::BASS_ChannelPlay(FChannel, FALSE)) return;
  FPlayerMode = pmPlaying;
  EnableVisTimer();
  DWORD freq = 0;
  bass::BASS_ChannelGetAttributes(FChannel, &freq, nullptr, nullptr);
  FBaseFrequency = freq;
  SetPan(FPan);
  SetSpeed(FSpeed);
}

void TBASSPlayer::Pause(bool APause) {
  if (APause) {
    if (FPlayerMode != pmPlaying) return;
    bass::BASS_ChannelPause(FChannel);
    FPlayerMode = pmPaused;
  } else {
    if (FPlayerMode != pmPaused) return;
    bass::BASS_ChannelPlay(FChannel, FALSE);
    FPlayerMode = pmPlaying;
    EnableVisTimer();
  }
}

void TBASSPlayer::Stop() {
  if (FPlayerMode != pmPlaying) return;
  bass::BASS_ChannelStop(FChannel);
  FPlayerMode = pmStopped;
}

void TBASSPlayer::Close() {
  FreeChannel();
  FPlayerMode = pmNone;
  FCurrentName.clear();
  FStreamInfo.FileName.clear();
  FStreamInfo.SampleRate = 0;
}

uint32_t TBASSPlayer::GetLength() {
  if (FChannelKind == ckNone) return 0;
  return BytesToMs(FChannel, bass::BASS_ChannelGetLength(FChannel));
}

uint32_t TBASSPlayer::GetPosition() {
  if (FChannelKind == ckNone) return 0;
  return BytesToMs(FChannel, bass::BASS_ChannelGetPosition(FChannel));
}

void TBASSPlayer::SetPosition(uint32_t Position) {
  if (FChannelKind == ckNone || Position > GetLength()) return;
  QWORD bytes = bass::BASS_ChannelSeconds2Bytes(FChannel, static_cast<float>(Position / 1000.0));
  bass::BASS_ChannelSetPosition(FChannel, bytes);
}

bool TBASSPlayer::IsSeekable() const {
  if (FChannelKind == ckNone || FChannelKind == ckMusic || FIsNetRadio) return false;
  if (FIsNetStream) return FDownloadDone;
  return true;
}

void TBASSPlayer::EnableVisTimer() {
  if (FOnNewFFTData) FVisTimer->SetEnabled(true);
}
