#include "codec_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace bass_test {

std::wstring CodecFixture(const std::wstring& name) { return std::wstring(TAVRIN_CODEC_FIXTURES) + L"\\" + name; }

std::string ReadCodecFixture(const std::wstring& name) { return testing_support::ReadFileBytes(CodecFixture(name)); }

decltype(&::BASS_WMA_StreamCreateFile) WmaStreamCreateFile() {
  static const auto create = [] {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path.resize(path.find_last_of(L'\\') + 1);
    HMODULE wma = LoadLibraryW((path + L"..\\bin\\basswma.dll").c_str());
    FARPROC proc = wma ? GetProcAddress(wma, "BASS_WMA_StreamCreateFile") : nullptr;
    return reinterpret_cast<decltype(&::BASS_WMA_StreamCreateFile)>(reinterpret_cast<void*>(proc));
  }();
  return create;
}

std::vector<int16_t> WavSamples16(const std::string& file) {
  size_t pos = 12;
  while (file.size() >= 12 && pos + 8 <= file.size()) {
    uint32_t size;
    std::memcpy(&size, file.data() + pos + 4, 4);
    if (file.compare(pos, 4, "data") == 0) {
      size = static_cast<uint32_t>(std::min<size_t>(size, file.size() - pos - 8));
      std::vector<int16_t> samples(size / 2);
      std::memcpy(samples.data(), file.data() + pos + 8, samples.size() * 2);
      return samples;
    }
    pos += 8 + size + (size & 1);
  }
  return {};
}

std::vector<int16_t> DecodeAll16(const BassLibrary& b, DWORD handle, size_t maxBytes, DWORD block) {
  std::vector<int16_t> all;
  std::vector<int16_t> buffer(block / 2);
  while (all.size() * 2 < maxBytes) {
    DWORD got = b.BASS_ChannelGetData(handle, buffer.data(), block);
    if (got == DWORD(-1) || got == 0) break;
    all.insert(all.end(), buffer.begin(), buffer.begin() + got / 2);
  }
  return all;
}

int MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t offset) {
  int worst = 0;
  for (size_t i = 0; i + offset < b.size() && i < a.size(); ++i)
    worst = std::max(worst, std::abs(int{a[i]} - int{b[i + offset]}));
  return worst;
}

double ToneFrequency(const std::vector<int16_t>& stereo, uint32_t rate, size_t from, size_t frames) {
  int crossings = 0;
  size_t first = 0, last = 0;
  int previous = 0;
  for (size_t f = from; f < from + frames && 2 * f + 1 < stereo.size(); ++f) {
    const int v = stereo[2 * f] + stereo[2 * f + 1];
    if (f > from && previous < 0 && v >= 0) {
      if (crossings == 0) first = f;
      last = f;
      ++crossings;
    }
    previous = v;
  }
  if (crossings < 2) return 0;
  return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

int Peak(const std::vector<int16_t>& samples, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from; i < std::min(to, samples.size()); ++i) peak = std::max(peak, std::abs(int{samples[i]}));
  return peak;
}

}  // namespace bass_test
