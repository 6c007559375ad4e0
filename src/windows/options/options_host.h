// What the options window needs from outside itself. The main window answers
// it: the player, the painters' switch, the playlist window, the skins, the
// languages, the menus, the tray and the single-key shortcuts. The window
// only points to its host; whoever made the host frees it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The output device's facts, as the audio library reports them.
struct TDeviceFacts {
  uint32_t Flags = 0;  // DSCAPS_ flags
  uint32_t HardwareMemory = 0;
  uint32_t FreeSampleSlots = 0;
  uint32_t MinRate = 0;
  uint32_t MaxRate = 0;
  uint32_t Speakers = 0;
  uint32_t DirectSoundVersion = 0;
  std::wstring Driver;
};

// The installed skins and the one in use.
struct TSkinListing {
  std::vector<std::wstring> Names;
  int32_t Selected = -1;
};

class TOptionsHost {
 public:
  virtual ~TOptionsHost() = default;

  // The player.
  virtual void SetBufferLength(uint32_t Ms) = 0;
  virtual uint32_t BufferLength() = 0;
  virtual void SetNetBufferLength(uint32_t Ms) = 0;
  virtual uint32_t NetBufferLength() = 0;
  virtual void SetUseProxy(bool Value) = 0;
  // The curve, then the player's volume again so that it takes effect.
  virtual void SetVolumeCurve(int32_t Curve) = 0;
  // The output devices' names; entry i is the audio library's device i + 1.
  virtual std::vector<std::wstring> DeviceNames() = 0;
  // The audio library's device number (1 = the first of DeviceNames).
  virtual bool SetDevice(int32_t Number) = 0;
  virtual int32_t GetDevice() = 0;
  // False when the library cannot tell.
  virtual bool GetDeviceFacts(TDeviceFacts& Facts) = 0;
  virtual void SetFloatOutput(bool Value) = 0;
  virtual bool FloatOutput() = 0;
  // 80, 50, 33 or 20 ms between frames.
  virtual void SetVisRefreshInterval(int32_t Ms) = 0;

  // The main window's visualisation: 0 spectrum, 1 oscilloscope, 2 none (the
  // area is cleared at once).
  virtual void SetVisKind(int32_t Kind) = 0;
  // The main window's menus, tray icon, shortcuts and fonts.
  virtual void LoadMenuIcons() = 0;
  virtual void ClearMenuIcons() = 0;
  virtual void SetMinimizeToTray(bool Value) = 0;
  virtual void SetShortcutsEnabled(bool Value) = 0;
  virtual void ApplyGlobalFont(const std::string& FontName) = 0;
  // Opacity 25..255 of the main, playlist and equaliser windows (255: opaque).
  virtual void SetSkinnedWindowsOpacity(int32_t Value) = 0;

  // The playlist window.
  virtual void SetPlaylistShowNumbers(bool Value) = 0;
  virtual void SetPlaylistShowDuration(bool Value) = 0;
  // Both fonts of the list (normal and selected rows).
  virtual void SetPlaylistFontName(const std::string& FontName) = 0;
  // Both fonts' size in points; rows are twice as high.
  virtual void SetPlaylistFontSize(int32_t Size) = 0;
  virtual void SetPlaylistSmoothResize(bool Value) = 0;

  // Skins and languages.
  virtual TSkinListing FindSkins() = 0;
  virtual bool SkinCheck(const std::wstring& SkinName) = 0;
  // Loads the skin (again, for a new hue or the skin's playlist font).
  virtual void LoadSkin(const std::wstring& SkinName) = 0;
  // Asks the user first; never the built-in skin. True when it is gone.
  virtual bool DeleteSkin(const std::wstring& SkinName) = 0;
  virtual void LoadLanguage(const std::wstring& Name) = 0;

  // The file-type list's check marks made the program's associations (the
  // user changed them; the window is going away).
  virtual void ApplyFileTypes() = 0;
};
