// TBASSPlayer: the one playback engine over BASS and its add-ons. It loads the
// libraries from its program folder, opens a local file, a URL, a tracker
// module or a CD-track name ("X:\<drive digit>\<track>"), and runs the
// transport. Engine callbacks arrive as messages on its hidden MessageWindow,
// so its events run on the thread that made it, in its message loop.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bass/bass_api.h"
#include "engine/bass_errors.h"
#include "engine/encode_channel.h"
#include "engine/stream_info.h"
#include "framework/component.h"
#include "framework/string_list.h"
#include "framework/utility_window.h"

class TCompList;
class TMPEGaudio;
class TOggVorbis;
class TThread;
class TTimer;
class TTntStringList;
class TWAVfile;
class TWMAfile;

enum : uint8_t { ckNone = 0, ckStream = 1, ckWMA = 2, ckMusic = 3, ckCD = 4 };
enum : uint8_t { pmNone = 0, pmOpened = 1, pmStopped = 2, pmPlaying = 3, pmPaused = 4 };

// The player's own window messages.
enum : UINT {
  WM_PLAYER_END = 0x46B,
  WM_PLAYER_FFT = 0x46C,
  WM_PLAYER_META = 0x46E,
  WM_PLAYER_DOWNLOADED = 0x46F,
};

using TBandOut = std::array<uint32_t, 25>;
using TEQGains = std::array<float, 10>;  // dB per band, lowest band first
using TNotifyNewFFTDataEvent = std::function<void(TObject* Sender, const TBandOut& BandOut)>;
using TNotifyNetEvent = std::function<void(TObject* Sender, const std::string& Content)>;

// One track of the disc in the selected drive, as the disc tells it.
struct TCDTrackInfo {
  std::wstring Title;     // its CD-Text title; empty without
  std::wstring Artist;    // its CD-Text performer; empty without
  int32_t Duration = -1;  // whole seconds; -1 when BASS gives no length (a data track)
};

// One line of GetCDDrives: the BASS drive number.
class TDriveNumber : public TObject {
 public:
  explicit TDriveNumber(int32_t ANumber) : Number(ANumber) {}
  int32_t Number;
};

class TBASSPlayer : public TComponent {
 public:
  // Libraries are loaded from AProgramFolder (with a trailing backslash);
  // empty means ProgramFolder(). Tests point it at the build's program folder.
  explicit TBASSPlayer(TComponent* AOwner, const std::wstring& AProgramFolder = std::wstring());
  ~TBASSPlayer() override;

  // The engine's error box, for the windows that report a BASS failure.
  static void ShowError(const std::wstring& Text) { ::ShowError(Text); }

  bool Open(const std::wstring& FileName);
  void Play();
  void Pause(bool APause);
  void Stop();
  void Close();
  uint32_t GetLength();    // ms
  uint32_t GetPosition();  // ms
  void SetPosition(uint32_t Position);
  bool IsSeekable() const;

  // CD drives and tracks.
  TTntStringList* GetCDDrives();  // new list with a TDriveNumber per line; caller frees both
  void SetCDDrive(uint8_t Drive) { FCDDrive = Drive; }
  wchar_t GetCDDriveLetter();
  TCompList* GetCDTracks();       // new list; caller frees it; "Track 01"... for titles the disc lacks
  std::vector<TCDTrackInfo> CDTrackInfo();  // empty without a disc

  // A decoding channel's data into a file (see encode_channel.h).
  void EncodeChannel(DWORD Channel, const std::wstring& OutFile, const std::wstring& Options,
                     bool& Cancel, const TEncodeProgress& Progress, uint8_t Format);

  // Volume, balance, speed and effects. Out-of-range values are ignored,
  // except volume, pan and equaliser gains, which are clamped.
  void SetVolume(uint32_t Value);
  void SetVolumeCurve(int32_t Value);
  void SetPan(int32_t Value);
  void SetSpeed(uint8_t Value);
  void SetEQGains(const TEQGains& Gains);
  void SetEchoLevel(uint16_t Level);
  void SetReverbLevel(uint16_t Level);
  void SetSoundEffects(uint8_t Bits);
  void ClearEffectHandles();
  void SetVisRefreshInterval(int32_t Value);

  // Buffers, network, device and output format.
  void SetBufferLength(uint32_t Value);
  void SetNetBufferLength(uint32_t Value);
  float GetBufferPercent();  // 0..100; 0 when the length is unknown
  void SetUseProxy(bool Value);
  bool SetDevice(int32_t Number);
  int32_t GetDevice();
  void SetFloatOutput(bool Value);  // for channels opened afterwards

  // State.
  DWORD Channel() const { return FChannel; }
  uint8_t ChannelKind() const { return FChannelKind; }
  uint8_t PlayerMode() const { return FPlayerMode; }
  bool BASSLoaded() const { return FBASSLoaded; }
  bool BASSReady() const { return FBASSReady; }
  bool WMAReady() const { return FWMAReady; }
  bool CDReady() const { return FCDReady; }
  bool EncoderReady() const { return FEncoderReady; }
  bool EffectsAvailable() const { return FEffectsAvailable; }
  bool FloatOutput() const { return FFloatOutput; }
  bool IsNetStream() const { return FIsNetStream; }
  bool IsNetRadio() const { return FIsNetRadio; }
  // BASS's text lists of the open stream (see TagStrings), nullptr when it
  // gave none; BASS's memory, valid until the channel is freed.
  const char* ICYTags() const { return FICYTags; }
  const char* HTTPTags() const { return FHTTPTags; }
  bool DownloadDone() const { return FDownloadDone; }
  const std::string& CurrentName() const { return FCurrentName; }
  const TStreamInfo& StreamInfo() const { return FStreamInfo; }
  int32_t CDDrive() const { return FCDDrive; }
  bool CDBusy() const { return FCDBusy; }
  void SetCDBusy(bool Value) { FCDBusy = Value; }
  int32_t Pan() const { return FPan; }
  uint8_t Speed() const { return FSpeed; }
  uint32_t BaseFrequency() const { return FBaseFrequency; }
  uint32_t Volume() const { return FVolume; }
  int32_t VolumeCurve() const { return FVolumeCurve; }
  uint16_t BandCount() const { return kEQBandCount; }
  const std::array<BASS_FXPARAMEQ, 10>& EQBands() const { return FEQBands; }
  HFX EQEffect(size_t Band) const { return Band < kEQBandCount ? FEQEffects[Band] : 0; }
  HFX EchoEffect() const { return FEchoEffect; }
  HFX ReverbEffect() const { return FReverbEffect; }
  uint16_t EchoLevel() const { return FEchoLevel; }
  uint16_t ReverbLevel() const { return FReverbLevel; }
  uint32_t BufferLength() const { return FBufferLength; }
  uint32_t NetBufferLength() const { return FNetBufferLength; }
  const TBandOut& BandLevels() const { return FBandLevels; }
  uint8_t SoundEffects() const { return FSoundEffects; }
  int32_t VisInterval() const { return FVisInterval; }
  TTimer* VisTimer() const { return FVisTimer; }
  HWND MessageWindow() const { return FMessageWindow; }
  const std::string& ComponentVersion() const { return FComponentVersion; }
  const std::string& BASSVersionText() const { return FBASSVersionText; }
  const std::wstring& LibraryFolder() const { return FProgramFolder; }
  // Waits up to TimeoutMs for the add-on loader thread; true when it ended.
  bool WaitForAddOns(DWORD TimeoutMs);

  // Events.
  const TNotifyNewFFTDataEvent& OnNewFFTData() const { return FOnNewFFTData; }
  void SetOnNewFFTData(TNotifyNewFFTDataEvent Value) { FOnNewFFTData = std::move(Value); }
  // Whether each tick works out BandLevels from a spectrum of its own (the
  // default). A handler that draws from data it fetches itself spares the
  // tick that spectrum: the event still comes, with the levels as they were.
  bool BandLevelsWanted() const { return FBandLevelsWanted; }
  void SetBandLevelsWanted(bool Value) { FBandLevelsWanted = Value; }
  uint16_t VisScale() const { return FVisScale; }
  void SetVisScale(uint16_t Value) { FVisScale = Value; }
  const TNotifyNetEvent& OnGetMeta() const { return FOnGetMeta; }
  void SetOnGetMeta(TNotifyNetEvent Value) { FOnGetMeta = std::move(Value); }
  const TNotifyNetEvent& OnDownloaded() const { return FOnDownloaded; }
  void SetOnDownloaded(TNotifyNetEvent Value) { FOnDownloaded = std::move(Value); }
  const TNotifyEvent& OnPlayEnd() const { return FOnPlayEnd; }
  void SetOnPlayEnd(TNotifyEvent Value) { FOnPlayEnd = std::move(Value); }

 private:
  void StartUp();
  void StartAddOnLoader();
  void FreeChannel();
  bool OpenURL(const std::wstring& FileName, TStreamInfo& Info);
  void ReadNetFileInfo(const std::wstring& FileName, TStreamInfo& Info);
  void ReadNetRadioInfo(TStreamInfo& Info);
  // orRefused: the message was shown, or there is nothing to say.
  enum TOpenResult { orOpened, orFailed, orRefused };
  TOpenResult OpenLocal(const std::wstring& FileName);
  TOpenResult OpenCDTrack(const std::wstring& FileName);
  void EnableVisTimer();
  void PlayerWndProc(TMessage& Message);
  bool IsCurrentChannel(WPARAM Channel) const;
  bool IsCurrentEnd(WPARAM Channel) const;
  void VisTimerTick(TObject* Sender);
  // A tick's band levels; false (the levels zeroed) when BASS gave no spectrum.
  bool UpdateBandLevels();

  std::wstring FProgramFolder;
  HWND FOwnerWindow = nullptr;
  HWND FMessageWindow = nullptr;
  TTimer* FVisTimer = nullptr;
  std::unique_ptr<TThread> FAddOnLoader;
  // The four format readers the player owns; only the MPEG one is used, for
  // the tag of a downloaded internet MP3.
  std::unique_ptr<TMPEGaudio> FMPEGaudio;
  std::unique_ptr<TOggVorbis> FOggVorbis;
  std::unique_ptr<TWMAfile> FWMAfile;
  std::unique_ptr<TWAVfile> FWAVfile;

  DWORD FChannel = 0;
  uint8_t FChannelKind = ckNone;
  uint8_t FPlayerMode = pmNone;
  bool FBASSLoaded = false;
  bool FBASSReady = false;
  bool FWMAReady = false;
  bool FCDReady = false;
  bool FEncoderReady = false;
  bool FCDBusy = false;
  bool FFloatOutput = false;
  bool FEffectsAvailable = false;
  bool FIsNetStream = false;
  bool FIsNetRadio = false;
  bool FDownloadDone = false;
  const char* FICYTags = nullptr;   // BASS's memory; walked only as text lists
  const char* FHTTPTags = nullptr;
  std::string FCurrentName;
  TStreamInfo FStreamInfo;
  BASS_INFO FBASSInfo{};
  BASS_CHANNELINFO FChannelInfo{};
  uint32_t FBaseFrequency = 0;
  int32_t FPan = 0;
  uint8_t FSpeed = 100;
  uint32_t FVolume = 100;
  int32_t FVolumeCurve = 0;
  static constexpr size_t kEQBandCount = 10;
  std::array<BASS_FXPARAMEQ, kEQBandCount> FEQBands{{{80, 4, 0}, {170, 4, 0}, {310, 4, 0}, {600, 4, 0},
                                                     {1000, 5, 0}, {3000, 6, 0}, {6000, 5, 0},
                                                     {10000, 4, 0}, {12000, 3, 0}, {14000, 3, 0}}};
  std::array<HFX, kEQBandCount> FEQEffects{};
  HFX FEchoEffect = 0;
  HFX FReverbEffect = 0;
  uint32_t FBufferLength = 500;
  uint32_t FNetBufferLength = 5000;
  uint16_t FEchoLevel = 16;
  uint16_t FReverbLevel = 16;
  uint8_t FSoundEffects = 0;
  int32_t FCDDrive = 0;
  int32_t FVisInterval = 33;
  uint16_t FVisScale = 512;
  TBandOut FBandLevels{};
  bool FBandLevelsWanted = true;
  std::string FComponentVersion;
  std::string FBASSVersionText;

  TNotifyNewFFTDataEvent FOnNewFFTData;
  TNotifyNetEvent FOnGetMeta;
  TNotifyNetEvent FOnDownloaded;
  TNotifyEvent FOnPlayEnd;
};
