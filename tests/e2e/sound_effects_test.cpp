// The sound effects window as a listener hears it: echo repeats a click half
// a second later, reverb leaves a tail, double speed halves the song, and each
// switched off gives the dry signal back.
#include <algorithm>
#include <cmath>

#include "e2e_fixture.h"
#include "wav_bytes.h"
#include "window_picture.h"

namespace e2e {
namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kClickAt = kRate / 10;    // frame of the click in its song
constexpr size_t kEchoDelay = kRate / 2;   // the echo's delay as the player sets it
constexpr WPARAM kPlay = 100, kNext = 103;

// 1.2 s of silence with a 10 ms click at 0.1 s.
std::string ClickWav() {
  return testing_support::WavBytes({.rate = kRate}, kRate * 12 / 10, [](uint32_t i) {
    return i >= kClickAt && i < kClickAt + kRate / 100 ? 24000 : 0;
  });
}

// Sum of squares of samples [from, to) of what was heard.
double Energy(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to && i < s.size(); ++i) sum += double(s[i]) * s[i];
  return sum;
}

class SoundEffects : public E2ETest {
 protected:
  std::vector<int16_t> Heard() { return LeftSamples(testing_support::ReadFileBytes(data.File(L"out.wav"))); }
  // Sends a remote command that starts a song and waits for the song's end;
  // what was heard meanwhile.
  std::vector<int16_t> PlayToEnd(WPARAM command) {
    const size_t before = Heard().size();
    const std::wstring idle = AppTitle(*program);
    SendMessageW(main, kRemote, command, 0);
    EXPECT_TRUE(runner.WaitUntil([&] { return AppTitle(*program) != idle; }, 5000)) << "did not start";
    EXPECT_TRUE(runner.WaitUntil([&] { return AppTitle(*program) == idle; }, 10000)) << "did not end";
    std::vector<int16_t> all = Heard();
    return std::vector<int16_t>(all.begin() + static_cast<ptrdiff_t>(std::min(before, all.size())), all.end());
  }
  // Where the click starts in what was heard.
  static size_t Onset(const std::vector<int16_t>& s) {
    for (size_t i = 0; i < s.size(); ++i)
      if (std::abs(s[i]) > 8000) return i;
    return s.size();
  }
  void Toggle(const std::wstring& caption) {
    HWND box = ChildWithText(effects, caption);
    ASSERT_NE(box, nullptr) << Narrow(caption);
    SendMessageW(box, BM_CLICK, 0, 0);
  }

  Program* program = nullptr;
  HWND main = nullptr, effects = nullptr;
};

TEST_F(SoundEffects, EachEffectIsHeardAtOnceAndOffGivesTheDrySignalBack) {
  const std::wstring click = data.WriteFile(L"click.wav", ClickWav()), tone = Wav(L"tone.wav");
  folder.WritePlaylist({{click, L"click", 1}, {tone, L"tone", 1}});
  // Each song stops at its end, so each play is one song.
  folder.Write(L"Tavrin.xml", WithAttribute(DefaultSettings(), "Playlist", "ManualAndvance", "True"));
  program = Start({}, CaptureTo(L"out.wav"));
  ASSERT_NE(program, nullptr);
  main = program->MainWindow();
  SendMessageW(main, kRemote, 202, 0);
  effects = WaitForWindow(*program, L"TSEffects");
  ASSERT_NE(effects, nullptr) << "remote 202 opened no window";
  testing_support::Picture picture;
  EXPECT_TRUE(testing_support::TakeWindowPicture(effects, L"e2e_sound_effects.png", picture));

  const std::vector<int16_t> dry = PlayToEnd(kPlay);
  const size_t onset = Onset(dry);
  ASSERT_LT(onset, dry.size()) << "the click was not heard";
  const double dryEcho = Energy(dry, onset + kEchoDelay, onset + kEchoDelay + kRate / 100);
  const double dryTail = Energy(dry, onset + kRate / 20, onset + kRate * 4 / 10);

  Toggle(L"Echo:");
  std::vector<int16_t> heard = PlayToEnd(kPlay);
  size_t at = Onset(heard);
  EXPECT_GT(Energy(heard, at + kEchoDelay, at + kEchoDelay + kRate / 100), dryEcho + 1e8)
      << "no echo half a second after the click";
  Toggle(L"Echo:");
  Toggle(L"Reverb:");
  heard = PlayToEnd(kPlay);
  at = Onset(heard);
  EXPECT_GT(Energy(heard, at + kRate / 20, at + kRate * 4 / 10), dryTail + 1e8) << "no reverb tail";
  Toggle(L"Reverb:");
  heard = PlayToEnd(kPlay);
  at = Onset(heard);
  EXPECT_LT(Energy(heard, at + kRate / 20, at + kRate * 7 / 10), dryTail + dryEcho + 1e6)
      << "the effects stayed on";

  // Double speed: the one-second tone plays in half a second.
  const std::vector<HWND> sliders = ChildrenOfClass(effects, L"TSlider");
  ASSERT_EQ(sliders.size(), 3u);
  // The speed slider is the lowest of the three.
  HWND speed = sliders.front();
  for (HWND slider : sliders)
    if (WindowRect(slider).top > WindowRect(speed).top) speed = slider;
  auto toneFrames = [](const std::vector<int16_t>& s) {
    return double(std::count_if(s.begin(), s.end(), [](int16_t v) { return v != 0; }));
  };
  EXPECT_NEAR(toneFrames(PlayToEnd(kNext)), double(kRate), kRate * 0.1) << "at normal speed";
  // Dragged from its place (100 % of 50..200) far past the right end.
  ASSERT_TRUE(SendDrag(speed, POINT{ClientSize(speed).cx / 3, ClientSize(speed).cy / 2}, 400, 0));
  EXPECT_NEAR(toneFrames(PlayToEnd(kPlay)), double(kRate) / 2, kRate * 0.1) << "at double speed";
  CloseWithoutSaving(*program);
}

}  // namespace
}  // namespace e2e
