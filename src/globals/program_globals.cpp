#include "globals/program_globals.h"

std::wstring AppDir;
std::wstring DefaultPlaylistFile;
std::wstring WindowsFolder;
std::wstring CurrentSkin;
std::wstring CurrentIconSet = L"Crystal";
std::wstring CurrentTitle;
TBASSPlayer* AudioPlayer = nullptr;
TBitmap* VisBackground = nullptr;
TSpectrum* SpectrumVis = nullptr;
TOscilloScope* ScopeVis = nullptr;
std::array<float, 10> EQGains{};
bool LoadingOptions = false;
uint32_t LastActionTick = 0;
