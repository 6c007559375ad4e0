// bass.dll decoding a five-minute 44.1 kHz stereo WAV through a decoding
// channel, fetching 20 ms of samples at a time and the 512-sample spectrum of
// each, as the visualisation would. Reports the real-time factor.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bass/bass_api.h"
#include "bass_library.h"
#include "bench_clock.h"

namespace {

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}

// Two sines and a little noise, so the spectrum has work to do.
bool WriteWav(const std::wstring& name, uint32_t frames) {
  std::string header = "RIFF";
  Put32(header, 36 + frames * 4);
  header += "WAVEfmt ";
  Put32(header, 16);
  Put32(header, 0x00020001);  // PCM, 2 channels
  Put32(header, 44100);
  Put32(header, 44100 * 4);
  Put32(header, 0x00100004);  // block 4, 16 bits
  header += "data";
  Put32(header, frames * 4);
  std::vector<int16_t> pcm(frames * 2);
  uint32_t noise = 1;
  for (uint32_t i = 0; i < frames; ++i) {
    noise = noise * 1664525 + 1013904223;
    double t = i / 44100.0;
    double v = 0.4 * std::sin(2 * 3.14159265358979 * 440 * t) + 0.2 * std::sin(2 * 3.14159265358979 * 3000 * t) +
               0.05 * (int32_t(noise) / 2147483648.0);
    pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(v * 32767);
  }
  HANDLE f = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(f, header.data(), DWORD(header.size()), &done, nullptr) &&
            WriteFile(f, pcm.data(), DWORD(pcm.size() * 2), &done, nullptr);
  CloseHandle(f);
  return ok;
}

}  // namespace

int main() {
  Bass b;
  if (!Load(b)) {
    std::printf("bass.dll not found beside ..\\bin\n");
    return 1;
  }
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring file = std::wstring(temp) + L"tavrin-bass-bench-" + std::to_wstring(GetCurrentProcessId()) + L".wav";
  const uint32_t frames = 44100 * 300;
  if (!WriteWav(file, frames)) {
    std::printf("cannot write the test file\n");
    return 1;
  }
  b.BASS_Test_SetOutput(L"null", L"manual");
  if (!b.BASS_Init(0, 44100, 0, nullptr, nullptr)) {
    std::printf("BASS_Init failed: %d\n", b.BASS_ErrorGetCode());
    return 1;
  }

  const DWORD chunk = 882 * 4;  // 20 ms of 16-bit stereo
  std::vector<char> samples(chunk);
  std::vector<float> fft(256);
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    HSTREAM s = b.BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE | BASS_UNICODE);
    if (!s) {
      std::printf("BASS_StreamCreateFile failed: %d\n", b.BASS_ErrorGetCode());
      return 1;
    }
    double start = Now();
    QWORD bytes = 0;
    unsigned spectra = 0;
    while (b.BASS_ChannelIsActive(s) == BASS_ACTIVE_PLAYING) {
      DWORD got = b.BASS_ChannelGetData(s, samples.data(), chunk);
      if (got == DWORD(-1)) break;
      bytes += got;
      if (b.BASS_ChannelGetData(s, fft.data(), BASS_DATA_FFT512) == 1024) ++spectra;
    }
    double elapsed = Now() - start;
    best = std::min(best, elapsed);
    std::printf("run %d: %.1f s of audio (%u spectra) in %.3f s: %.0fx real time\n", run + 1,
                double(bytes) / (44100 * 4), spectra, elapsed, (double(bytes) / (44100 * 4)) / elapsed);
    b.BASS_StreamFree(s);
  }
  std::printf("best: %.0fx real time (goal: more than 200x)\n", 300.0 / best);
  b.BASS_Free();
  DeleteFileW(file.c_str());
  return 0;
}
