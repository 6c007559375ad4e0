// Skins: where they live, checking one before it is loaded, and loading one
// into the main window and the playlist window (the pictures cut from the
// sheets, then the description's places, sizes, colours and fonts).
//
// A skin is the folder AppDir + "Skins\<name>\" with "Skin.txt", "Main.bmp",
// "PL.bmp" and "EQ.bmp"; the built-in skin "Default" comes from the
// program's resources (a folder "Default" gives it only its fonts).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/exceptions.h"

class TObject;

inline constexpr wchar_t DefaultSkinName[] = L"Default";

// A skin whose sheets cannot be read or lack a cell.
TAVRIN_DECLARE_EXCEPTION(ESkinError, Exception);

// What the skin loader reads from the options window: its hue box and
// slider, its "use skin font" box, its playlist font and its override of
// every window's font. Without that window, the settings' defaults.
class TSkinOptions {
 public:
  virtual ~TSkinOptions() = default;
  virtual bool HueOn() { return false; }
  // -240..240 on the 0..240 hue circle.
  virtual int32_t Hue() { return -188; }
  virtual bool UseSkinFont() { return false; }
  virtual std::wstring PlaylistFontName() { return L"Tahoma"; }
  // The face that replaces the skin's on the lines it gives a font; empty
  // while the override is off.
  virtual std::string OverrideFontName() { return std::string(); }
};
TSkinOptions& SkinOptions();
// Options is not owned; nullptr brings the defaults back.
void SetSkinOptions(TSkinOptions* Options);

// AppDir + "Skins\" + SkinName + "\".
std::wstring SkinFolder(const std::wstring& SkinName);
// The window a skin's messages belong to: Sender's own when it is a window
// (the options window, which then has the keys again once they are
// answered), else the main window.
HWND SkinMessageOwner(TObject* Sender);
// True when the skin can be loaded; a folder that lacks one of its files says
// so ("SkinIsNotValid", Sender's message), a missing folder is refused
// silently.
bool SkinCheckExecute(const std::wstring& SkinName, TObject* Sender = nullptr);
// Loads SkinName into the windows; nothing without a Sender. Every cell is
// cut before any control changes: a sheet that cannot be read or lacks a
// cell raises ESkinError and leaves the windows as they were. CurrentSkin
// names the skin afterwards.
void LoadNewSkin(const std::wstring& SkinName, TObject* Sender);
// LoadNewSkin; a skin that fails is reported once ("SkinIsNotValid") and the
// built-in skin is loaded instead. Whether SkinName was loaded.
bool LoadSkinOrDefault(const std::wstring& SkinName, TObject* Sender);
// The description's part: places, sizes, colours, fonts, the window outlines.
void LoadSkinOpt(const std::wstring& Folder, bool BuiltIn, TObject* Sender);

// Every "*.ttf" of Folder, registered for this program only (nothing is
// broadcast, so no other program is waited for), until UnregisterSkinFonts.
void RegisterSkinFonts(const std::wstring& Folder, TObject* Sender);
void UnregisterSkinFonts();
// Whether a registered font file lies in Folder (with its "\").
bool SkinFontsIn(const std::wstring& Folder);
