#include "widgets/ry_menus.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/bitmaps.h"

namespace {

TEST(RyMenus, LightenColorRoundsHalvesToEven) {
  const std::vector<std::pair<std::pair<TColor, int>, TColor>> cases = {
      {{0x000000, 50}, 0x808080},  // 127.5 -> 128
      {{0x000000, 0}, 0x000000},
      {{0x102030, 100}, 0xFFFFFF},
      {{0x0000FF, 50}, 0x8080FF},
      {{0x010101, 50}, 0x808080},  // 128 exactly
      {{0x020202, 50}, 0x808080},  // 128.5 -> 128
      {{0x040404, 50}, 0x828282},  // 129.5 -> 130
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(LightenColor(in.first, in.second), out) << std::hex << in.first;
  }
  // System colours are resolved first.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(LightenColor(clBtnFace, 0), static_cast<TColor>(face));
}

TEST(RyMenus, GlyphsAreTwelveByTwelveMonochrome) {
  for (const auto& [radio, black] : {std::pair{false, 18}, std::pair{true, 24}}) {
    TBitmap glyph;
    MakeMenuGlyph(&glyph, radio);
    EXPECT_TRUE(glyph.Monochrome());
    ASSERT_EQ(glyph.Width(), 12);
    ASSERT_EQ(glyph.Height(), 12);
    int count = 0;
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x) count += glyph.Canvas()->Pixels(x, y) == clBlack ? 1 : 0;
    EXPECT_EQ(count, black) << (radio ? "bullet" : "check");
  }
  EXPECT_EQ(RyMenu()->MinHeight, 18);
  EXPECT_EQ(RyMenu()->SelectedColor, LightenColor(clHighlight, 65));
  EXPECT_EQ(RyMenuCheckGlyph()->Width(), 12);
  FinalizeRyMenus();
}

}  // namespace
