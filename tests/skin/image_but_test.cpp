// The bitmap button family: frames per state, the button's shape, the
// scrolling title driven tick by tick, the time display's text and glyphs,
// the play-state display and the hover label; and a form of them all on the
// default skin's pictures (set TAVRIN_PICTURE_DIR to keep its picture).
#include "skin/image_but.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/string_func.h"
#include "framework/forms.h"
#include "framework/timer.h"
#include "memory_bitmap.h"
#include "skin/skin_toolkit.h"
#include "skin_test_pictures.h"
#include "test_support.h"
#include "window_picture.h"

using skin_test::MakeBitmap;
using skin_test::PixelOf;

namespace {

constexpr TColor kBlue = 0xFF0000;
const TColor kFrames[4] = {0x0000FF, 0x00FF00, 0x00FFFF, 0xFF00FF};

COLORREF PaintedAt(TControl* Control, int X, int Y) {
  testing_support::MemoryCanvas canvas(Control->Width(), Control->Height());
  Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
  return canvas.Pixel(X, Y);
}

// Buttons of 10 x 8 on a shown form; frame i of their picture is all kFrames[i].
class ImageButTest : public testing::Test {
 protected:
  void SetUp() override {
    form.SetBounds(0, 0, 200, 100);
    form.Show();
  }
  TImageBut* NewButton(int States, TState State) {
    auto* button = new TImageBut(&form);
    button->SetParent(&form);
    button->SetBounds(20, 20, 10, 8);
    button->SetNumStates(static_cast<uint8_t>(States));
    button->SetBut(
        MakeBitmap(10, 8 * States, pf24bit, [](int, int y) { return kFrames[y / 8]; }).get());
    button->SetState(State);
    return button;
  }
  static void Mouse(TImageBut* Button, UINT Message, int X) {
    SendMessageW(Button->Handle(), Message, Message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(X, 4));
  }
  static COLORREF Shown(TImageBut* Button) { return PaintedAt(Button, 5, 4); }

  TForm form{nullptr};
};

TEST_F(ImageButTest, ShowsTheFrameOfEachStateAndOnlyFramesItHas) {
  struct Case {
    const char* name;
    TState state;
    bool inactive, checked, hot, held;
    int frame[4];  // with NumStates 1, 2, 3, 4
  } cases[] = {
      {"normal", stNormal, false, false, false, false, {0, 0, 0, 0}},
      {"hot", stNormal, false, false, true, false, {0, 1, 1, 1}},
      {"hot check button", stCheck, false, false, true, false, {0, 0, 0, 0}},
      {"checked", stCheck, false, true, false, false, {0, 0, 2, 2}},
      {"held", stNormal, false, false, false, true, {0, 0, 2, 2}},
      {"held check button", stCheck, false, false, false, true, {0, 1, 1, 1}},
      {"held checked", stCheck, false, true, false, true, {0, 1, 1, 1}},
      {"inactive", stNormal, true, false, false, false, {0, 0, 0, 3}},
      {"inactive hot", stNormal, true, false, true, false, {0, 0, 0, 3}},
      {"inactive checked", stCheck, true, true, false, false, {0, 0, 2, 2}},
  };
  for (const Case& c : cases) {
    for (int states = 1; states <= 4; ++states) {
      TImageBut* button = NewButton(states, c.state);
      button->SetActive(!c.inactive);
      button->SetChecked(c.checked);
      if (c.hot) button->Perform(CM_MOUSEENTER);
      if (c.held) Mouse(button, WM_LBUTTONDOWN, 5);
      EXPECT_EQ(Shown(button), static_cast<COLORREF>(kFrames[c.frame[states - 1]]))
          << c.name << " with " << states << " frames";
      delete button;
    }
  }
}

TEST_F(ImageButTest, PressesReleasesAndClicksByKind) {
  enum Kind { Normal, AutoCheck, ManualCheck };
  struct Step {
    Kind kind;
    UINT message;  // mouse messages at (x, 4)
    int x, frame;
    bool checked;
    int clicks;
  } steps[] = {
      {Normal, CM_MOUSEENTER, 0, 1, false, 0},       {Normal, WM_LBUTTONDOWN, 5, 2, true, 0},
      {Normal, WM_LBUTTONUP, 5, 1, false, 1},        {Normal, WM_LBUTTONDOWN, 5, 2, true, 1},
      {Normal, CM_MOUSELEAVE, 0, 2, true, 1},        {Normal, WM_LBUTTONUP, 40, 0, false, 1},
      {AutoCheck, WM_LBUTTONDOWN, 5, 1, false, 0},   {AutoCheck, WM_LBUTTONUP, 5, 2, true, 1},
      {AutoCheck, WM_LBUTTONDOWN, 5, 1, true, 1},    {AutoCheck, WM_LBUTTONUP, 5, 0, false, 2},
      {AutoCheck, WM_LBUTTONDOWN, 5, 1, false, 2},   {AutoCheck, WM_LBUTTONUP, 40, 0, false, 2},
      {ManualCheck, WM_LBUTTONDOWN, 5, 1, false, 0}, {ManualCheck, WM_LBUTTONUP, 5, 0, false, 1},
  };
  TImageBut* buttons[3] = {NewButton(4, stNormal), NewButton(4, stCheck), NewButton(4, stCheck)};
  buttons[ManualCheck]->SetControlType(ctManual);
  int clicks[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) buttons[k]->SetOnClick([&clicks, k](TObject*) { ++clicks[k]; });
  for (const Step& s : steps) {
    TImageBut* button = buttons[s.kind];
    if (s.message == CM_MOUSEENTER || s.message == CM_MOUSELEAVE)
      button->Perform(s.message);
    else
      Mouse(button, s.message, s.x);
    SCOPED_TRACE(testing::Message() << "kind " << s.kind << " message " << std::hex << s.message);
    EXPECT_EQ(Shown(button), static_cast<COLORREF>(kFrames[s.frame]));
    EXPECT_EQ(button->Checked(), s.checked);
    EXPECT_EQ(clicks[s.kind], s.clicks);
  }
}

// The shape is the new picture's top frame less its blue pixels, also for a
// window made after the picture was given.
TEST_F(ImageButTest, ShapesItselfToTheNewPicturesTopFrame) {
  TImageBut* button = NewButton(2, stNormal);
  button->SetBut(MakeBitmap(12, 40, pf24bit, [](int, int) { return 0x808080; }).get());
  auto picture =
      MakeBitmap(12, 16, pf24bit, [](int x, int y) { return x < 2 && y < 8 ? kBlue : 0x808080; });
  button->SetBut(picture.get());
  auto* later = new TImageBut(&form);
  later->SetNumStates(2);
  later->SetBut(picture.get());
  later->SetBounds(60, 20, 12, 20);
  later->SetParent(&form);
  for (TImageBut* b : {button, later}) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(b->Handle(), region), ERROR);
    RECT box;
    GetRgnBox(region, &box);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 12);
    EXPECT_EQ(box.bottom, 8);  // neither the old picture's 20 rows nor the second frame
    DeleteObject(region);
  }
  // An all-blue frame gives no shape, and neither does a frame without blue:
  // the window has its full rectangle.
  for (int colour : {kBlue, 0x808080}) {
    button->SetBut(picture.get());
    button->SetBut(MakeBitmap(12, 16, pf24bit, [colour](int, int) { return colour; }).get());
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(button->Handle(), region), ERROR) << std::hex << colour;
    DeleteObject(region);
  }
}

TEST(ScrollLabel, ScrollsOneCharacterPerTickOnlyWhileTheTextIsTooWide) {
  TForm form(nullptr);
  auto* label = new TScrollLabel(&form);
  label->SetParent(&form);
  int steps = 0;
  label->SetOnScrollStep([&](TObject*) { ++steps; });
  TTimer* timer = label->Timer();
  EXPECT_EQ(timer->Interval(), 200u);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_FALSE(label->AutoSize());
  timer->SetInterval(0);  // the test gives the ticks
  auto tick = [&] { timer->OnTimer()(timer); };

  const std::wstring title = L"Artist - A title much too long for the label";
  const std::wstring scrolling = title + L" *** ";
  label->SetBounds(0, 0, 60, 16);
  label->SetText(title);
  EXPECT_EQ(label->Caption(), scrolling);
  EXPECT_TRUE(timer->Enabled());
  tick();
  EXPECT_EQ(label->Caption(), scrolling.substr(1) + scrolling[0]);
  for (size_t i = 1; i < scrolling.size(); ++i) tick();
  EXPECT_EQ(label->Caption(), scrolling);  // back at the start
  EXPECT_EQ(steps, static_cast<int>(scrolling.size()));
  EXPECT_EQ(label->Text(), title);

  // A text exactly as wide as the label scrolls; in a wider label it rests.
  label->SetText(L"Short");
  label->SetAutoSize(true);
  const int width = label->Width();
  label->SetAutoSize(false);
  for (int w : {width - 1, width, width + 1, 0}) {
    label->SetWidth(w);
    label->SetText(L"Short");
    const bool scrolls = w <= width;
    EXPECT_EQ(timer->Enabled(), scrolls) << w;
    EXPECT_EQ(label->Caption(), scrolls ? L"Short *** " : L"Short") << w;
  }
  label->SetText(L"");  // nothing to scroll, even in a label of no width
  EXPECT_FALSE(timer->Enabled());
}

// A character outside the basic plane shows as the edit boxes draw it (Wine's
// plain text drawing makes two boxes of it), and scrolling moves it whole. An
// "&" is part of the title.
TEST(ScrollLabel, CharactersOutsideTheBasicPlaneStayWhole) {
  const std::wstring note = L"\U0001F3B5", math = L"\U0001D400";
  TForm form(nullptr);
  form.SetBounds(0, 0, 320, 60);
  auto* label = new TScrollLabel(&form);
  label->SetParent(&form);
  label->Timer()->SetInterval(0);
  label->SetColor(clWhite);
  label->Font()->SetName("Tahoma");
  label->Font()->SetHeight(-11);
  label->Font()->SetColor(clBlack);
  label->SetBounds(10, 10, 200, 16);
  const std::wstring text = L"A&" + note + L"B" + math + L"C";
  label->SetText(text);
  ASSERT_FALSE(label->Timer()->Enabled());
  form.Show();
  testing_support::PumpPendingMessages();
  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form.Handle(), L"scroll_label_pairs.png", picture));
  const RECT area = testing_support::ClientRectInWindow(form.Handle(), label->BoundsRect());
  EXPECT_EQ(testing_support::InkShapeOf(picture, area, RGB(255, 255, 255)),
            testing_support::EditControlInk(label->Font()->Handle(), text));

  // Too wide for the label, the text scrolls by characters, each pair whole.
  label->SetWidth(20);
  label->SetText(text);
  const std::wstring scrolling = label->Caption();
  ASSERT_EQ(scrolling, text + L" *** ");
  int ticks = 0;
  do {
    label->Timer()->OnTimer()(label->Timer());
    ++ticks;
    EXPECT_FALSE(IsLowSurrogate(label->Caption()[0])) << ticks;
  } while (label->Caption() != scrolling && ticks < 100);
  EXPECT_EQ(ticks, static_cast<int>(scrolling.size()) - 2);  // characters, not UTF-16 units
}

// Glyph i of the strip is 4 x 6 of one colour; the label 40 wide.
class PicTimeLabelTest : public testing::Test {
 protected:
  static TColor Glyph(int i) { return (10 + i * 20) | ((200 - i * 15) << 8) | (i * 9 << 16); }

  void SetUp() override {
    label = new TPicTimeLabel(&form);
    label->SetParent(&form);
    label->SetWidth(40);
    label->SetGlyphs(MakeBitmap(48, 6, pf24bit, [](int x, int) { return Glyph(x / 4); }).get());
  }
  // Each pixel column as the character whose glyph it shows, '.' for the background.
  std::string Painted() {
    testing_support::MemoryCanvas canvas(40, 6, clWhite);
    label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(canvas.DC()), 0);
    std::string columns(40, '?');
    for (int x = 0; x < 40; ++x) {
      const COLORREF pixel = canvas.Pixel(x, 3);
      if (pixel == static_cast<COLORREF>(clWhite)) columns[x] = '.';
      for (int i = 0; i < 12; ++i)
        if (pixel == static_cast<COLORREF>(Glyph(i))) columns[x] = "0123456789:-"[i];
    }
    return columns;
  }
  static std::string Expected(const std::string& Text, int Start) {
    std::string columns(40, '.');
    for (int x = std::max(Start, 0); x < 40 && (x - Start) / 4 < static_cast<int>(Text.size()); ++x)
      if (std::string("0123456789:-").find(Text[(x - Start) / 4]) != std::string::npos)
        columns[x] = Text[(x - Start) / 4];
    return columns;
  }

  TForm form{nullptr};
  TPicTimeLabel* label = nullptr;
};

TEST_F(PicTimeLabelTest, ShowsElapsedOrRemainingTimeAtEachAlignment) {
  struct Case {
    uint8_t alignment;
    bool remaining;
    int32_t length, position;
    std::string text;
    int start;
  } cases[] = {
      {1, false, 200000, 65000, "01:05", 0},
      {2, true, 200000, 65000, "-02:15", 8},
      {3, true, 200000, 65000, "-02:15", 16},
      {3, true, 200000, 205000, "03:25", 20},
      {1, true, 200000, 200000, "-00:00", 0},
      {2, false, 0, 6000000, "100:00", 8},
      {7, false, 0, 3599999, "59:59", 0},
      {1, false, 0, -1, "00:00", 0},
      {2, true, INT32_MAX, INT32_MIN, "-71582:47", 2},
  };
  EXPECT_EQ(label->Height(), 6);
  for (const Case& c : cases) {
    label->SetAlignment(c.alignment);
    label->SetShowRemaining(c.remaining);
    label->SetTime(c.length, c.position);
    EXPECT_EQ(label->Text(), c.text);
    EXPECT_EQ(Painted(), Expected(c.text, c.start)) << c.text << " aligned " << int{c.alignment};
  }
  label->SetShowRemaining(false);
  label->SetTime(200000, 65000);
  label->Click();  // flips the mode at once
  EXPECT_EQ(label->Text(), "-02:15");
}

TEST_F(PicTimeLabelTest, WritesAtMostNinePlacesAndCountsWhatItShows) {
  struct Case {
    std::string set, kept;
    uint8_t codes[9];
  } cases[] = {
      {"12:34:56:78", "12:34:56:", {1, 2, 10, 3, 4, 10, 5, 6, 10}},
      {"7x-", "7x-", {7, 12, 11, 12, 12, 12, 12, 12, 12}},
      {"", "", {12, 12, 12, 12, 12, 12, 12, 12, 12}},
  };
  for (const Case& c : cases) {
    label->SetTime(200000, 65000);
    label->SetText(c.set);
    EXPECT_EQ(label->Text(), c.kept);
    EXPECT_EQ(label->Count(), c.kept.size());
    for (int i = 0; i < 9; ++i) EXPECT_EQ(label->Codes(i), c.codes[i]) << c.set << " place " << i;
    EXPECT_EQ(Painted(), Expected(c.kept, 0)) << c.set;
  }
}

TEST(StateControl, ShowsTheFrameOfItsPlayState) {
  TForm form(nullptr);
  auto* state = new TStateControl(&form);
  state->SetParent(&form);
  EXPECT_EQ(state->Width(), 30);
  EXPECT_EQ(state->Height(), 30);
  EXPECT_EQ(state->PlayState(), psStop);
  state->SetImage(MakeBitmap(90, 30, pf24bit, [](int x, int) { return kFrames[x / 30]; }).get());
  const TPlayState states[] = {psPlay, psPause, psStop};
  for (int frame = 0; frame < 3; ++frame) {
    state->SetPlayState(states[frame]);
    EXPECT_EQ(PaintedAt(state, 0, 15), static_cast<COLORREF>(kFrames[frame])) << frame;
    EXPECT_EQ(PaintedAt(state, 29, 15), static_cast<COLORREF>(kFrames[frame])) << frame;
  }
}

TEST(ButLabel, TakesItsHoverColourAndUnderlineAndGivesThemBack) {
  struct Case {
    bool underline, underlinedBefore, underlinedOver;
  } cases[] = {{true, false, true}, {false, false, false}, {false, true, true}};
  for (const Case& c : cases) {
    TForm form(nullptr);
    auto* label = new TButLabel(&form);
    label->SetParent(&form);
    EXPECT_TRUE(label->Underline());
    label->SetUnderline(c.underline);
    label->SetOverColor(clLime);
    label->Font()->SetColor(clYellow);
    label->Font()->SetStyle(c.underlinedBefore ? TFontStyles{fsUnderline, fsBold}
                                               : TFontStyles{fsBold});
    label->Perform(CM_MOUSEENTER);
    EXPECT_EQ(label->Font()->Color(), clLime);
    EXPECT_EQ(label->Font()->Style().Contains(fsUnderline), c.underlinedOver);
    label->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(label->Font()->Color(), clYellow);
    EXPECT_EQ(label->Font()->Style(), TFontStyles{fsBold});  // the underline goes whatever it was
  }
}

// Cells cut from the built-in "MAIN" sheet as the skin loader cuts them.
TEST(ImageButFamily, ShowsTheDefaultSkinsPicturesWithoutTheirBlueKey) {
  constexpr TColor kDark = 0x302820;
  TForm form(nullptr);
  form.SetBounds(40, 40, 330, 200);
  form.SetColor(kDark);
  TBitmap sheet, cell;
  LoadGraphicFromResource(L"MAIN", &sheet);
  std::vector<std::pair<TImageBut*, std::unique_ptr<TBitmap>>> buttons;
  int x = 10;
  auto button = [&](int Band, int Column, uint8_t States, int Y) {
    EXPECT_TRUE(ExtractSkinCell(&sheet, &cell, Band, Column)) << Band << "," << Column;
    auto* b = new TImageBut(&form);
    b->SetParent(&form);
    b->SetNumStates(States);
    b->SetBut(&cell);
    b->SetBounds(x, Y, cell.Width(), cell.Height() / States);
    x += cell.Width() + 4;
    buttons.emplace_back(b, std::make_unique<TBitmap>());
    buttons.back().second->Assign(&cell);
    return b;
  };
  for (int column = 1; column <= 6; ++column) button(4, column, 3, 90);  // transport and open
  button(4, 8, 4, 90)->SetActive(false);                                 // close
  x = 10;
  TImageBut* repeat = button(5, 3, 3, 130);
  repeat->SetState(stCheck);
  repeat->SetChecked(true);
  button(5, 4, 3, 130)->SetState(stCheck);
  auto* time = new TPicTimeLabel(&form);
  time->SetParent(&form);
  ASSERT_TRUE(ExtractSkinCell(&sheet, &cell, 7, 1));
  time->SetGlyphs(&cell);
  time->SetBounds(10, 40, 100, time->Height());
  time->SetShowRemaining(true);
  time->SetTime(200000, 65000);
  auto* state = new TStateControl(&form);
  state->SetParent(&form);
  ASSERT_TRUE(ExtractSkinCell(&sheet, &cell, 6, 1));
  state->SetImage(&cell);
  state->SetBounds(120, 40, cell.Width() / 3, cell.Height());
  state->SetPlayState(psPlay);
  auto* title = new TScrollLabel(&form);
  title->SetParent(&form);
  title->SetTransparent(true);
  title->Font()->SetColor(clYellow);
  title->SetBounds(10, 10, 300, 16);
  title->Timer()->SetInterval(0);
  title->SetText(L"The Default Skin - Every Control Of The Button Family, Scrolling Along");
  for (int i = 0; i < 4; ++i) title->Timer()->OnTimer()(title->Timer());
  form.Show();
  testing_support::PumpPendingMessages();

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form.Handle(), L"image_buttons.png", picture));
  POINT origin{0, 0};
  ClientToScreen(form.Handle(), &origin);
  RECT frame;
  GetWindowRect(form.Handle(), &frame);
  // Each button shows its frame pixel for pixel inside its top frame's shape;
  // where the top frame is blue the form shows, never the key.
  EXPECT_EQ(buttons[6].first->Frame(), 3);
  EXPECT_EQ(buttons[7].first->Frame(), 2);
  for (const auto& [b, pictureOfB] : buttons) {
    const int left = origin.x - frame.left + b->Left(), top = origin.y - frame.top + b->Top();
    int wrong = 0;
    for (int y = 0; y < b->Height(); ++y)
      for (int px = 0; px < b->Width(); ++px) {
        const bool outside = PixelOf(pictureOfB.get(), px, y) == kBlue;
        const TColor expected =
            outside ? kDark : PixelOf(pictureOfB.get(), px, b->Frame() * b->Height() + y);
        const COLORREF seen = picture.Pixel(left + px, top + y);
        if (seen != static_cast<COLORREF>(expected) && ++wrong < 4)
          ADD_FAILURE() << "button at " << b->Left() << "," << b->Top() << ", pixel " << px << ","
                        << y << ": " << std::hex << seen << " not " << expected;
      }
  }
}

}  // namespace
