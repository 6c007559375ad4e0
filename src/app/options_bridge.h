// The options window wired to the rest of the program: the main window answers
// its host interface, and the options that the playlist window, the transport
// and the skin loader read are answered by its controls. One object, made with
// the options window and freed with the main window.
#pragma once

#include "app/skin_loading.h"
#include "app/transport.h"
#include "windows/options/options_host.h"
#include "windows/playlist/playlist_host.h"

class TTavrinMainForm;

class TOptionsBridge : public TOptionsHost {
 public:
  explicit TOptionsBridge(TTavrinMainForm* Form);
  ~TOptionsBridge() override;

  // What the other windows read, answered by the options window's controls.
  TPlaylistSettings* PlaylistSettings() { return &FPlaylistSettings; }
  TTransportSettings* TransportSettings() { return &FTransportSettings; }
  TSkinOptions* SkinOptions() { return &FSkinOptions; }

  void SetBufferLength(uint32_t Ms) override;
  uint32_t BufferLength() override;
  void SetNetBufferLength(uint32_t Ms) override;
  uint32_t NetBufferLength() override;
  void SetUseProxy(bool Value) override;
  void SetVolumeCurve(int32_t Curve) override;
  std::vector<std::wstring> DeviceNames() override;
  bool SetDevice(int32_t Number) override;
  int32_t GetDevice() override;
  bool GetDeviceFacts(TDeviceFacts& Facts) override;
  void SetFloatOutput(bool Value) override;
  bool FloatOutput() override;
  void SetVisRefreshInterval(int32_t Ms) override;
  void SetVisKind(int32_t Kind) override;
  void LoadMenuIcons() override;
  void ClearMenuIcons() override;
  void SetMinimizeToTray(bool Value) override;
  void SetShortcutsEnabled(bool Value) override;
  void ApplyGlobalFont(const std::string& FontName) override;
  void SetSkinnedWindowsOpacity(int32_t Value) override;
  void SetPlaylistShowNumbers(bool Value) override;
  void SetPlaylistShowDuration(bool Value) override;
  void SetPlaylistFontName(const std::string& FontName) override;
  void SetPlaylistFontSize(int32_t Size) override;
  void SetPlaylistSmoothResize(bool Value) override;
  TSkinListing FindSkins() override;
  bool SkinCheck(const std::wstring& SkinName) override;
  void LoadSkin(const std::wstring& SkinName) override;
  bool DeleteSkin(const std::wstring& SkinName) override;
  void LoadLanguage(const std::wstring& Name) override;
  void ApplyFileTypes() override;

 private:
  class TPlaylistOptions : public TPlaylistSettings {
   public:
    bool RecurseSubDirs() override;
    bool SortOnLoad() override;
    int32_t FontSize() override;
    void SetFontSize(int32_t Value) override;
  };
  class TTransportOptions : public TTransportSettings {
   public:
    bool ManualAdvance() override;
    bool ClearOnCDAdd() override;
    int32_t VisKind() override;
    void SetVisKind(int32_t Value) override;
    int32_t VisRefreshRate() override;
    int32_t SpectrumStyle() override;
    bool DrawPeaks() override;
    int32_t ScopeStyle() override;
    int32_t ScopeSens() override;
  };
  class TSkinLoaderOptions : public TSkinOptions {
   public:
    bool HueOn() override;
    int32_t Hue() override;
    bool UseSkinFont() override;
    std::wstring PlaylistFontName() override;
    std::string OverrideFontName() override;
  };

  TTavrinMainForm* FForm;
  TPlaylistOptions FPlaylistSettings;
  TTransportOptions FTransportSettings;
  TSkinLoaderOptions FSkinOptions;
};
