#include "framework/speed_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/forms.h"
#include "memory_bitmap.h"
#include "test_forms.h"

using testing_support::MemoryCanvas;

namespace {

const COLORREF kInk = RGB(255, 0, 0);

class SpeedButtons : public testing_support::FormTest {
 protected:
  void SetUp() override {
    NewForm(300, 120);
    for (int i = 0; i < 4; ++i) {
      auto* button = new TSpeedButton(form);
      button->SetParent(form);
      button->SetBounds(10 + 30 * i, 10, 25, 25);
      button->SetOnClick([this, i](TObject*) { clicks.push_back(i); });
      buttons.push_back(button);
    }
    // Three in group 1; the fourth stands alone.
    for (int i = 0; i < 3; ++i) buttons[i]->SetGroupIndex(1);
    form->Show();
  }

  std::string Downs() {
    std::string s;
    for (TSpeedButton* b : buttons) s += b->Down() ? 'D' : '-';
    return s;
  }
  // A mouse message to the form at a point of the button (its coordinates).
  void Mouse(UINT Msg, TSpeedButton* Button, int X, int Y) {
    SendMessageA(form->Handle(), Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(Button->Left() + X, Button->Top() + Y));
  }

  std::vector<TSpeedButton*> buttons;
  std::vector<int> clicks;
};

TEST_F(SpeedButtons, OneButtonOfAGroupIsDownAndComesUpOnlyWithAllowAllUp) {
  struct Step {
    int button;
    bool down;
    const char* downs;
  } steps[] = {
      {0, true, "D---"}, {1, true, "-D--"},
      {1, false, "-D--"},  // the last one down stays down
      {3, true, "-D--"},   // no group: never down
  };
  for (const Step& s : steps) {
    buttons[s.button]->SetDown(s.down);
    EXPECT_EQ(Downs(), s.downs) << s.button << (s.down ? " down" : " up");
  }
  EXPECT_EQ(buttons[1]->State(), bsExclusive);
  EXPECT_EQ(buttons[0]->State(), bsUp);
  buttons[2]->SetAllowAllUp(true);  // for the whole group
  EXPECT_TRUE(buttons[0]->AllowAllUp());
  buttons[1]->SetDown(false);
  EXPECT_EQ(Downs(), "----");
  buttons[3]->SetGroupIndex(2);  // another group is left alone
  buttons[3]->SetDown(true);
  buttons[0]->SetDown(true);
  EXPECT_EQ(Downs(), "D--D");
  EXPECT_TRUE(clicks.empty());
}

TEST_F(SpeedButtons, ClicksOnReleaseInsideOnly) {
  TSpeedButton* plain = buttons[3];
  Mouse(WM_LBUTTONDOWN, plain, 5, 5);
  EXPECT_EQ(plain->State(), bsDown);
  Mouse(WM_MOUSEMOVE, plain, 40, 5);  // dragged off: up, still held
  EXPECT_EQ(plain->State(), bsUp);
  Mouse(WM_MOUSEMOVE, plain, 6, 6);
  EXPECT_EQ(plain->State(), bsDown);
  Mouse(WM_MOUSEMOVE, plain, 40, 5);
  Mouse(WM_LBUTTONUP, plain, 40, 5);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(plain->State(), bsUp);
  Mouse(WM_LBUTTONDOWN, plain, 5, 5);
  EXPECT_TRUE(clicks.empty());  // nothing on the press
  Mouse(WM_LBUTTONUP, plain, 20, 20);
  EXPECT_EQ(clicks, std::vector<int>{3});
  EXPECT_EQ(Downs(), "----");
  // In a group a click puts the button down; a second click leaves it down.
  for (int i = 0; i < 2; ++i) {
    Mouse(WM_LBUTTONDOWN, buttons[0], 5, 5);
    Mouse(WM_LBUTTONUP, buttons[0], 5, 5);
    EXPECT_EQ(Downs(), "D---");
    EXPECT_EQ(buttons[0]->State(), bsExclusive);
  }
  EXPECT_EQ(clicks, (std::vector<int>{3, 0, 0}));
}

TEST_F(SpeedButtons, ADisabledButtonIgnoresTheMouseAndComesBackInItsState) {
  buttons[0]->SetDown(true);
  for (TSpeedButton* b : {buttons[0], buttons[3]}) b->SetEnabled(false);
  EXPECT_EQ(buttons[0]->State(), bsDisabled);
  EXPECT_EQ(buttons[3]->State(), bsDisabled);
  Mouse(WM_LBUTTONDOWN, buttons[3], 5, 5);
  Mouse(WM_LBUTTONUP, buttons[3], 5, 5);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(buttons[3]->State(), bsDisabled);
  for (TSpeedButton* b : {buttons[0], buttons[3]}) b->SetEnabled(true);
  EXPECT_EQ(buttons[0]->State(), bsExclusive);
  EXPECT_EQ(buttons[3]->State(), bsUp);
}

// A 10 x 10 glyph: a red 4 x 4 square on an olive (transparent) ground.
TBitmap* MakeGlyph(int Images) {
  auto* glyph = new TBitmap(10 * Images, 10);
  TCanvas* c = glyph->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(RECT{0, 0, 10 * Images, 10});
  for (int i = 0; i < Images; ++i) {
    c->Brush()->SetColor(i == 1 ? clBlue : static_cast<TColor>(kInk));
    c->FillRect(RECT{10 * i + 3, 3, 10 * i + 7, 7});
  }
  return glyph;
}

TEST_F(SpeedButtons, TheGlyphShowsTheStateAndMovesWhilePressed) {
  TSpeedButton* b = buttons[0];
  b->SetBounds(b->Left(), b->Top(), 30, 30);
  b->SetAllowAllUp(true);
  struct Case {
    int images;
    bool down, enabled;
    int inkLeft;  // -1: no red at all
    COLORREF other;
    const char* name;
  } cases[] = {
      {1, false, true, 13, 0, "up"},
      {1, true, true, 14, 0, "down, moved by one pixel"},
      {1, false, false, -1, ColorToRGB(clBtnShadow), "disabled, embossed"},
      {2, false, false, -1, RGB(0, 0, 255), "disabled, its own image"},
  };
  for (const Case& c : cases) {
    TBitmap* glyph = MakeGlyph(c.images);
    b->SetGlyph(glyph);
    delete glyph;
    EXPECT_EQ(b->NumGlyphs(), c.images);
    b->SetEnabled(true);
    b->SetDown(c.down);
    b->SetEnabled(c.enabled);
    MemoryCanvas m(30, 30, clBtnFace);
    b->Perform(WM_PAINT, reinterpret_cast<WPARAM>(m.DC()), 0);
    EXPECT_EQ(m.Count(m.All(), ColorToRGB(clOlive)), 0) << c.name;
    const int red = m.Count(m.All(), kInk);
    if (c.inkLeft < 0) {
      EXPECT_EQ(red, 0) << c.name;
      EXPECT_GE(m.Count(RECT{13, 13, 17, 17}, c.other), 12) << c.name;
    } else {
      EXPECT_EQ(red, 16) << c.name;
      EXPECT_EQ(m.Pixel(c.inkLeft, c.inkLeft), kInk) << c.name;
      EXPECT_NE(m.Pixel(c.inkLeft - 1, c.inkLeft - 1), kInk) << c.name;
    }
    b->SetDown(false);
  }
}

TEST(ButtonLayout, PlacesGlyphAndTextInTheirOrder) {
  const RECT client{2, 2, 102, 42};  // 100 x 40
  const SIZE glyph{16, 16}, text{40, 12};
  struct Case {
    TButtonLayout layout;
    int margin, spacing;
    UINT biDi;
    POINT glyphAt;  // within the client, before the offset
    LONG textLeft, textTop;
  } cases[] = {
      // Centred: 16 + 4 + 40 = 60 of 100, 20 on either side.
      {blGlyphLeft, -1, 4, 0, {20, 12}, 40, 14},
      {blGlyphRight, -1, 4, 0, {64, 12}, 20, 14},
      {blGlyphLeft, -1, 4, DT_RTLREADING, {64, 12}, 20, 14},
      {blGlyphLeft, 5, -1, 0, {5, 12}, 40, 14},  // the rest (39) shared out: spacing 19
      {blGlyphTop, 2, 3, 0, {42, 2}, 30, 21},
      {blGlyphBottom, -1, -1, 0, {42, 20}, 30, 4},  // 12 free of 40: 4 each
  };
  for (const Case& c : cases) {
    POINT g{};
    RECT t{};
    CalcButtonLayoutRects(client, POINT{1, 1}, glyph, text, c.layout, c.margin, c.spacing, c.biDi,
                          g, t);
    // The client starts at 2 and the offset adds 1.
    const RECT want{c.textLeft + 3, c.textTop + 3, c.textLeft + 43, c.textTop + 15};
    EXPECT_EQ(g.x, c.glyphAt.x + 3) << c.layout << "/" << c.margin << "/" << c.spacing << "/" << c.biDi;
    EXPECT_EQ(g.y, c.glyphAt.y + 3) << c.layout << "/" << c.margin << "/" << c.spacing;
    EXPECT_TRUE(EqualRect(&t, &want)) << c.layout << "/" << c.margin << "/" << c.spacing << ": "
                                      << t.left << "," << t.top << "," << t.right << "," << t.bottom;
  }
}

}  // namespace
