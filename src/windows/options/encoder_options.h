// The option strings handed to the encoders, from the numbers the encoding
// page shows. Pure functions, so every combination can be checked alone.
#pragma once

#include <cstdint>
#include <string>

// "lame.exe": "-b <kbps>" (constant bit rate) or "-V <quality>" (variable),
// then " -m s", " -m j", " -m d" or " -m m" for stereo mode 0..3 (nothing for
// another mode).
std::wstring LameOptions(bool ConstantBitrate, int32_t Kbps, int32_t VbrQuality,
                         int32_t StereoMode);
// "oggenc.exe": "--bitrate <kbps>" or "--quality <quality>".
std::wstring OggEncOptions(bool BitrateMode, int32_t Kbps, int32_t Quality);
// The WMA encoder's setting: bits per second for a constant bit rate (kbps x
// 1000), else the quality number (10..100) itself.
std::wstring WMAEncSetting(bool ConstantBitrate, int32_t Kbps, int32_t VbrQuality);
