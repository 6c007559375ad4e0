// The spectrum as a user sees it: its bars move across the whole display
// area of each skin, not only the part the built-in skin's area would give,
// and follow the display to its place in a skin switched to while playing.
#include <set>

#include "e2e_fixture.h"
#include "window_picture.h"

namespace e2e {
namespace {

// The display area of a skin description: [MWPositions] then [MWSizes]
// VisWindow, the first two "VisWindow=" lines of the file.
RECT VisArea(const std::string& description) {
  int numbers[4] = {};
  size_t at = 0;
  for (int pair = 0; pair < 2; ++pair) {
    at = description.find("\nVisWindow=", at);
    if (at == std::string::npos) return {};
    at += 11;
    sscanf(description.c_str() + at, "%d,%d", &numbers[2 * pair], &numbers[2 * pair + 1]);
  }
  return {numbers[0], numbers[1], numbers[0] + numbers[2], numbers[1] + numbers[3]};
}

class VisWidth : public E2ETest {
 protected:
  // The rightmost column of area whose bottom row takes three colours or
  // more over a second of pictures of a playing window: the bars' reach (the
  // first frame painted over the background changes a column only once).
  int Reach(HWND main, const RECT& area) {
    std::vector<std::set<COLORREF>> seen(static_cast<size_t>(area.right - area.left));
    int reach = -1;
    testing_support::Picture picture;
    for (int shot = 0; shot < 12; ++shot) {
      if (!testing_support::TakeWindowPicture(main, L"vis.png", picture)) continue;
      POINT origin{0, 0};
      ClientToScreen(main, &origin);
      RECT frame{};
      GetWindowRect(main, &frame);
      const int dx = origin.x - frame.left, dy = origin.y - frame.top;
      for (int x = area.left; x < area.right; ++x) {
        std::set<COLORREF>& colours = seen[static_cast<size_t>(x - area.left)];
        colours.insert(picture.Pixel(x + dx, area.bottom - 1 + dy));
        if (colours.size() >= 3) reach = std::max<int>(reach, x - area.left);
      }
      Sleep(80);
    }
    return reach;
  }
};

TEST_F(VisWidth, TheSpectrumReachesAcrossTheDisplayOfBothSkins) {
  InstallSkin(L"Ember");
  const std::wstring noise = data.WriteFile(L"noise.wav", NoiseWav(60));
  Program* tavrin = Start({noise}, CaptureTo(L"out.wav"));
  ASSERT_NE(tavrin, nullptr);
  ASSERT_TRUE(CaptureSounds(L"out.wav"));
  HWND main = tavrin->MainWindow();
  for (const char* name : {"Default", "Ember"}) {
    SCOPED_TRACE(name);
    const bool ember = std::string(name) == "Ember";
    const RECT area = ember ? VisArea(folder.Read(L"Skins\\Ember\\Skin.txt")) : skin.Main(L"VisWindow");
    ASSERT_GT(area.right - area.left, 50);
    if (ember) {
      // M steps to the next skin (again after the program's guard against
      // a held key) until the window has taken the other skin's size.
      DWORD pressed = GetTickCount() - 1000;
      ASSERT_TRUE(runner.WaitUntil(
          [&] {
            const SIZE size = ClientSize(main);
            if (size.cx != skin.MainSize().cx || size.cy != skin.MainSize().cy) return true;
            if (GetTickCount() - pressed > 500) {
              pressed = GetTickCount();
              PostMessageW(main, WM_KEYDOWN, 'M', 1);
              PostMessageW(main, WM_KEYUP, 'M', 0xC0000001);
            }
            return false;
          },
          10000));
      ASSERT_TRUE(Answers(main));
    }
    const int width = area.right - area.left;
    // The bars' own pitch would stop at 104 columns whatever the area.
    EXPECT_GE(Reach(main, area), width * 4 / 5) << "of " << width;
  }
  CloseWithoutSaving(*tavrin);
}

}  // namespace
}  // namespace e2e
