#include "windows/options/encoder_options.h"

std::wstring LameOptions(bool ConstantBitrate, int32_t Kbps, int32_t VbrQuality,
                         int32_t StereoMode) {
  std::wstring options = ConstantBitrate ? L"-b " + std::to_wstring(Kbps)
                                         : L"-V " + std::to_wstring(VbrQuality);
  static const wchar_t kModes[] = L"sjdm";
  if (StereoMode >= 0 && StereoMode < 4) options += std::wstring(L" -m ") + kModes[StereoMode];
  return options;
}

std::wstring OggEncOptions(bool BitrateMode, int32_t Kbps, int32_t Quality) {
  return BitrateMode ? L"--bitrate " + std::to_wstring(Kbps)
                     : L"--quality " + std::to_wstring(Quality);
}

std::wstring WMAEncSetting(bool ConstantBitrate, int32_t Kbps, int32_t VbrQuality) {
  return std::to_wstring(ConstantBitrate ? static_cast<int64_t>(Kbps) * 1000 : VbrQuality);
}
