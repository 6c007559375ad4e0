// The program-wide state of the main window that the other windows read.
// Set at start-up; the language globals live with the localisation and the
// settings document with its bracket routines.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TBASSPlayer;
class TBitmap;
class TOscilloScope;
class TSpectrum;

// The program's folder, with its trailing "\".
extern std::wstring AppDir;
// The program's own file with the extension ".m3u": the last playlist.
extern std::wstring DefaultPlaylistFile;
extern std::wstring WindowsFolder;
// The skin to load, then the skin loaded.
extern std::wstring CurrentSkin;
// The icon library of the file types: AppDir + "Icons\" + CurrentIconSet +
// ".icl".
extern std::wstring CurrentIconSet;
// The resting text of the song-info line.
extern std::wstring CurrentTitle;
// The one player; owned by the main window.
extern TBASSPlayer* AudioPlayer;
// The visualisation's background and its two painters.
extern TBitmap* VisBackground;
extern TSpectrum* SpectrumVis;
extern TOscilloScope* ScopeVis;
// The equaliser's band gains in dB, lowest band first, as the player has
// them: set by the equaliser window's bands and by a loaded preset.
extern std::array<float, 10> EQGains;
// True while the stored settings are applied at start.
extern bool LoadingOptions;
// GetTickCount of the last timed action (a docked window's fade-in, the
// transparency toggle, a skin switch): each is ignored within its guard time.
extern uint32_t LastActionTick;
