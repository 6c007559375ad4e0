#include "framework/panels.h"

#include <gtest/gtest.h>

#include <utility>

#include "framework/forms.h"
#include "framework/themes.h"
#include "memory_bitmap.h"
#include "test_forms.h"

using testing_support::MemoryCanvas;

namespace {

const COLORREF kTop = RGB(255, 0, 0), kBottom = RGB(0, 0, 255), kPaper = RGB(255, 255, 255);

TEST(Frame3D, DrawsRingsOfTopAndBottomColoursAndShrinksTheRect) {
  for (int width : {1, 2, 3}) {
    MemoryCanvas m(12, 10, clWhite);
    RECT r{0, 0, 12, 10};
    Frame3D(&m.Canvas, r, static_cast<TColor>(kTop), static_cast<TColor>(kBottom), width);
    EXPECT_EQ(r.left, width);
    EXPECT_EQ(r.top, width);
    EXPECT_EQ(r.right, 12 - width);
    EXPECT_EQ(r.bottom, 10 - width);
    for (int i = 0; i < width; ++i) {
      const int right = 11 - i, bottom = 9 - i;
      EXPECT_EQ(m.Pixel(i, i), kTop) << width << " ring " << i;
      EXPECT_EQ(m.Pixel(6, i), kTop) << width << " ring " << i;
      EXPECT_EQ(m.Pixel(i, 5), kTop) << width << " ring " << i;
      EXPECT_EQ(m.Pixel(right, i), kBottom) << width << " ring " << i;
      EXPECT_EQ(m.Pixel(right, 5), kBottom) << width << " ring " << i;
      EXPECT_EQ(m.Pixel(6, bottom), kBottom) << width << " ring " << i;
      EXPECT_EQ(m.Pixel(i, bottom), kBottom) << width << " ring " << i;
      EXPECT_EQ(m.Pixel(right, bottom), kBottom) << width << " ring " << i;
    }
    EXPECT_EQ(m.Pixel(width, width), kPaper) << width;
  }
}

class Panels : public testing_support::FormTest {
 protected:
  void SetUp() override {
    NewForm(300, 200);
    panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 160, 60);
    panel->SetCaption("Caption");
    form->Show();
  }

  void PaintInto(MemoryCanvas& m) { panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(m.DC()), 0); }

  TPanel* panel = nullptr;
};

TEST_F(Panels, BevelsAndBorderAreDrawnFromOutsideIn) {
  ASSERT_FALSE(ThemesEnabled());  // Wine's classic look
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW),
                 face = GetSysColor(COLOR_BTNFACE);
  struct {
    TPanelBevel outer, inner;
    int bevelWidth, borderWidth;
    // Top-left pixel of the outer ring, of the ring at the inner bevel.
    COLORREF outerTopLeft, innerTopLeft;
    int innerAt;
  } cases[] = {
      {bvRaised, bvNone, 1, 0, light, face, 1}, {bvLowered, bvNone, 1, 0, dark, face, 1},
      {bvSpace, bvNone, 1, 0, light, face, 1},  {bvRaised, bvLowered, 2, 3, light, dark, 5},
      {bvNone, bvRaised, 1, 2, face, light, 2},
  };
  for (const auto& c : cases) {
    panel->SetBevelOuter(c.outer);
    panel->SetBevelInner(c.inner);
    panel->SetBevelWidth(c.bevelWidth);
    panel->SetBorderWidth(c.borderWidth);
    MemoryCanvas m(160, 60, clWhite);
    PaintInto(m);
    EXPECT_EQ(m.Pixel(0, 0), c.outerTopLeft) << c.outer << c.inner;
    EXPECT_EQ(m.Pixel(c.innerAt, c.innerAt), c.innerTopLeft) << c.outer << c.inner;
    EXPECT_EQ(m.Pixel(159, 59), c.outer == bvLowered ? light
                                : c.outer == bvNone  ? face
                                                     : dark)
        << c.outer << c.inner;
    // Children are laid out inside both bevels and the border.
    int inset = c.borderWidth + (c.outer != bvNone ? c.bevelWidth : 0) +
                (c.inner != bvNone ? c.bevelWidth : 0);
    RECT client = panel->ClientRect();
    panel->AlignControls(nullptr, client);
    EXPECT_EQ(client.left, inset) << c.outer << c.inner;
    EXPECT_EQ(client.bottom, 60 - inset) << c.outer << c.inner;
  }
}

TEST_F(Panels, TheCaptionIsAlignedOnTheMiddleLine) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  SIZE text{};
  {
    MemoryCanvas probe(10, 10);
    HGDIOBJ old = SelectObject(probe.DC(), panel->Font()->Handle());
    GetTextExtentPoint32A(probe.DC(), "Caption", 7, &text);
    SelectObject(probe.DC(), old);
  }
  struct {
    TAlignment alignment;
    int left, right;  // where the text cell lies
  } cases[] = {{taLeftJustify, 0, text.cx},
               {taCenter, (160 - text.cx) / 2, (160 + text.cx) / 2},
               {taRightJustify, 160 - text.cx, 160}};
  panel->SetBevelOuter(bvNone);  // only the caption differs from the face
  for (const auto& c : cases) {
    panel->SetAlignment(c.alignment);
    MemoryCanvas m(160, 60, clWhite);
    PaintInto(m);
    // One line in the middle: rows (60 - text height) / 2 on, nothing else.
    const int top = (60 - text.cy) / 2;
    auto ink = m.InkSpan(top, top + text.cy, face);
    EXPECT_GE(ink.first, c.left - 1) << c.alignment;
    EXPECT_LE(ink.second, c.right + 1) << c.alignment;
    EXPECT_GT(ink.second - ink.first, text.cx / 2) << c.alignment;
    EXPECT_EQ(m.InkSpan(0, top, face), (std::pair<int, int>{0, 0})) << c.alignment;
    EXPECT_EQ(m.InkSpan(top + text.cy, 60, face), (std::pair<int, int>{0, 0})) << c.alignment;
  }
}

}  // namespace
