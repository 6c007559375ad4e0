// Skins: where they live, checking one before it is loaded, and loading one
// into the main window and the playlist window (the pictures cut from the
// sheets, then the description's places, sizes, colours and fonts).
//
// A skin is the folder AppDir + "Skins\<name>\" with "Skin.txt", "Main.bmp",
// "PL.bmp" and "EQ.bmp"; the built-in skin "Default" comes from the
// program's resources.
#pragma once

#include <string>

class TBitmap;
class TObject;
class TTavrinMainForm;

inline constexpr wchar_t DefaultSkinName[] = L"Default";

// True when the skin can be loaded; a folder that lacks one of its files says
// so ("SkinIsNotValid"), a missing folder is refused silently.
bool SkinCheckExecute(const std::wstring& SkinName);
// Loads SkinName into the windows; nothing without a Sender. A sheet that
// cannot be read or lacks cells raises (the caller falls back to the
// built-in skin). CurrentSkin names the skin afterwards.
void LoadNewSkin(const std::wstring& SkinName, TObject* Sender);
// The description's part: places, sizes, colours, fonts, the window outline.
void LoadSkinOpt(const std::wstring& Folder, bool BuiltIn, TObject* Sender);
// The main window's pictures from its sheet; false when a cell is missing.
bool ApplyMainSheet(TTavrinMainForm* Form, TBitmap* Sheet);

// The skin's own fonts: registered for this program only, removed again.
void RegisterSkinFonts(const std::wstring& Folder);
void UnregisterSkinFonts();
