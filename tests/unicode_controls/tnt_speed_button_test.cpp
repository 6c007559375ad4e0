#include "unicode_controls/tnt_speed_button.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/tnt_sysutils.h"
#include "memory_bitmap.h"
#include "test_support.h"
#include "unicode_controls/tnt_labels.h"

using testing_support::MemoryCanvas;

namespace {

int TextWidth(TFont* Font, const std::wstring& Text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  SIZE size{};
  GetTextExtentPoint32W(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

TEST(TntSpeedButton, DrawsItsWideCaptionEmbossedWhenDisabled) {
  // "Ж" is far wider than the "?" the 8-bit form would show.
  const std::wstring caption = L"\u0416\u0416\u0416\u0416";
  auto button = std::make_unique<TTntSpeedButton>(nullptr);
  button->SetBounds(0, 0, 120, 30);
  button->SetFlat(true);  // no edge: every mark is the caption's
  button->SetCaption(caption);
  EXPECT_EQ(button->Text(), "????");
  const int wide = TextWidth(button->Font(), caption);
  ASSERT_GT(wide - TextWidth(button->Font(), L"????"), 8);
  const COLORREF face = ColorToRGB(clBtnFace);

  MemoryCanvas enabled(120, 30, clBtnFace);
  button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(enabled.DC()), 0);
  const auto [left, right] = enabled.InkSpan(0, 30, face);
  EXPECT_NEAR(right - left, wide, 2);
  EXPECT_NEAR(left, (120 - wide) / 2, 2);  // centred
  // The font smoothing leaves few pixels in the very text colour.
  EXPECT_GT(enabled.Count(enabled.All(), ColorToRGB(clBtnText), 128), 20);

  button->SetEnabled(false);
  MemoryCanvas disabled(120, 30, clBtnFace);
  button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(disabled.DC()), 0);
  EXPECT_EQ(disabled.Count(disabled.All(), ColorToRGB(clBtnText), 64), 0);
  EXPECT_GE(disabled.Count(disabled.All(), ColorToRGB(clBtnShadow), 32), 16);
  const auto [dleft, dright] = disabled.InkSpan(0, 30, face);
  EXPECT_NEAR(dright - dleft, wide + 1, 2);  // the highlight lies one pixel further right
}

TEST(TntSpeedButton, TheGlyphIsReachedThroughTheGlyphButtonInterface) {
  auto button = std::make_unique<TTntSpeedButton>(nullptr);
  auto glyph = std::make_unique<TBitmap>(32, 16);
  button->SetGlyph(glyph.get());
  TButtonGlyph* reached = GetButtonGlyph(button.get());
  ASSERT_NE(reached, nullptr);
  EXPECT_EQ(reached->NumGlyphs(), 2);
  EXPECT_EQ(reached->GlyphSize().cx, 16);

  const std::wstring error = L"Internal Error: Control does not support ITntGlyphButton.";
  auto plain = std::make_unique<TSpeedButton>(nullptr);
  auto label = std::make_unique<TTntLabel>(nullptr);
  for (TControl* control : {static_cast<TControl*>(plain.get()), static_cast<TControl*>(label.get()),
                            static_cast<TControl*>(nullptr)}) {
    EXPECT_EQ(testing_support::MessageOf<ETntInternalError>([&] { GetButtonGlyph(control); }), error);
  }
}

}  // namespace
