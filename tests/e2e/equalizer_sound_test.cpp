// The equaliser and the balance stored in the settings, as a listener hears
// them: the same noise played twice, with and without the setting, its
// energy compared band by band and channel by channel in the capture.
#include <cmath>
#include <numbers>

#include "e2e_fixture.h"
#include "wav_bytes.h"

namespace e2e {
namespace {

constexpr uint32_t kRate = 44100;

struct Stereo {
  std::vector<float> left, right;
};

// 1.5 s of a capture from half a second after its first sound, when the
// start has settled; empty while the capture is shorter. The capture is read
// to its end: its header lags behind the data while it grows.
Stereo SteadyPart(const std::string& wav) {
  const size_t data = wav.find("data", 12);
  if (data == std::string::npos) return {};
  auto sample = [&](size_t frame, int channel) {
    const size_t at = data + 8 + frame * 4 + channel * 2;
    return static_cast<int16_t>(uint8_t(wav[at]) | uint8_t(wav[at + 1]) << 8);
  };
  const size_t frames = (wav.size() - data - 8) / 4;
  size_t onset = 0;
  while (onset < frames && sample(onset, 0) == 0 && sample(onset, 1) == 0) ++onset;
  const size_t from = onset + kRate / 2, to = from + kRate * 3 / 2;
  if (to > frames) return {};
  Stereo part;
  for (size_t f = from; f < to; ++f) {
    part.left.push_back(sample(f, 0) / 32768.0f);
    part.right.push_back(sample(f, 1) / 32768.0f);
  }
  return part;
}

double Db(double power) { return 10 * std::log10(power + 1e-12); }

// Power near a frequency: Goertzel at five points a quarter tone apart
// around it, over blocks of 0.19 s, averaged so that noise reads steadily.
double BandDb(const std::vector<float>& x, double centre) {
  constexpr size_t kBlock = 8192;
  double sum = 0;
  int count = 0;
  for (int k = -2; k <= 2; ++k) {
    const double coeff = 2 * std::cos(2 * std::numbers::pi * centre * std::exp2(k / 24.0) / kRate);
    for (size_t from = 0; from + kBlock <= x.size(); from += kBlock, ++count) {
      double s1 = 0, s2 = 0;
      for (size_t i = from; i < from + kBlock; ++i) {
        const double s0 = x[i] + coeff * s1 - s2;
        s2 = s1, s1 = s0;
      }
      sum += (s1 * s1 + s2 * s2 - coeff * s1 * s2) / kBlock;
    }
  }
  return Db(count ? sum / count : 0);
}

double ChannelDb(const std::vector<float>& x) {
  double sum = 0;
  for (float v : x) sum += double(v) * v;
  return Db(x.empty() ? 0 : sum / x.size());
}

class EqualizerSound : public E2ETest {
 protected:
  // The noise's steady part as played with these settings, the program
  // started with the noise file and closed once enough is heard.
  Stereo Hear(const std::string& settings) {
    folder.Write(L"Tavrin.xml", settings);
    const std::wstring capture = L"heard.wav";
    DeleteFileW(data.File(capture).c_str());
    Program* program = Start({FNoise}, CaptureTo(capture));
    if (!program) return {};
    Stereo heard;
    auto enough = [&] {
      heard = SteadyPart(testing_support::ReadFileBytes(data.File(capture)));
      return !heard.left.empty();
    };
    EXPECT_TRUE(runner.WaitUntil(enough, 10000)) << "two seconds of the noise are not heard";
    CloseWithoutSaving(*program);
    return heard;
  }

 private:
  std::wstring FNoise = data.WriteFile(L"noise.wav", NoiseWav());
};

TEST_F(EqualizerSound, ARaisedBandIsHeardOnlyWhileTheEqualiserIsOn) {
  // Band 5 (1 kHz) at +12 dB, the rest flat: the default's +1 dB on band 8
  // (10 kHz) would move the far band measured below.
  auto equalizer = [](const char* on) {
    const std::string xml = WithAttribute(DefaultSettings(), "Equalizer", "On", on);
    return WithAttribute(WithAttribute(xml, "Bands", "B5", "12"), "Bands", "B8", "0");
  };
  const Stereo on = Hear(equalizer("True")), off = Hear(equalizer("False"));
  ASSERT_FALSE(on.left.empty() || off.left.empty());
  const struct {
    double hz;
    double minRise, maxRise;  // dB, equaliser on against off
  } bands[] = {{1000, 6, 13}, {80, -2, 2}, {10000, -2, 2}};
  for (const auto& band : bands) {
    for (auto channel : {&Stereo::left, &Stereo::right}) {
      SCOPED_TRACE(std::to_string(int(band.hz)) + " Hz, " + (channel == &Stereo::left ? "left" : "right"));
      const double rise = BandDb(on.*channel, band.hz) - BandDb(off.*channel, band.hz);
      EXPECT_GE(rise, band.minRise);
      EXPECT_LE(rise, band.maxRise);
    }
  }
}

// A balance, not a panner: full right silences the left and leaves the right
// as it was (a constant-power law would raise it by 3 dB at most).
TEST_F(EqualizerSound, TheBalanceMovesTheSoundToOneChannel) {
  const Stereo right = Hear(WithAttribute(DefaultSettings(), "Playback", "Pan", "100"));
  const Stereo centre = Hear(DefaultSettings());
  ASSERT_FALSE(right.left.empty() || centre.left.empty());
  EXPECT_LE(ChannelDb(right.left), ChannelDb(right.right) - 20) << "full right";
  EXPECT_GE(ChannelDb(right.right), ChannelDb(centre.right) - 1) << "the right channel keeps its level";
  EXPECT_NEAR(ChannelDb(centre.left), ChannelDb(centre.right), 1) << "centre";
}

}  // namespace
}  // namespace e2e
