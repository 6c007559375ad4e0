#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "memory_bitmap.h"
#include "test_support.h"
#include "window_picture.h"

using testing_support::MemoryCanvas;
using testing_support::MessageOf;

namespace {

// Text may be smoothed at its edges: a pixel this close counts as the colour.
constexpr int kSmoothing = 39;

LOGFONTA LogFontOf(HFONT font) {
  LOGFONTA lf = {};
  GetObjectA(font, sizeof(lf), &lf);
  return lf;
}

}  // namespace

TEST(Graphics, ColorToRGBPassesPlainColoursAndLooksUpSystemColours) {
  struct Case {
    TColor color;
    COLORREF expected;
  } cases[] = {
      {clBlack, RGB(0, 0, 0)},          {clRed, RGB(255, 0, 0)},
      {clNavy, RGB(0, 0, 128)},         {clTeal, RGB(0, 128, 128)},
      {0x00123456, 0x00123456},         {clNone, 0x1FFFFFFF},
      {clScrollBar, GetSysColor(COLOR_SCROLLBAR)},
      {clBtnFace, GetSysColor(COLOR_BTNFACE)},
      {clWindowText, GetSysColor(COLOR_WINDOWTEXT)},
      {clHighlight, GetSysColor(COLOR_HIGHLIGHT)},
      {clMenuBar, GetSysColor(COLOR_MENUBAR)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorToRGB(c.color), c.expected) << std::hex << c.color;
  }
  EXPECT_LT(clBtnFace, 0);
}

TEST(Graphics, FontSizeAndHeightConvertThroughPixelsPerInch) {
  struct Case {
    int ppi, size, height;
  } cases[] = {{96, 8, -11}, {96, 12, -16}, {120, 8, -13}, {120, 10, -17}, {72, 9, -9}};
  for (const Case& c : cases) {
    TFont font;
    font.SetPixelsPerInch(c.ppi);
    font.SetSize(c.size);
    EXPECT_EQ(font.Height(), c.height) << c.ppi << " dpi, " << c.size << " pt";
    EXPECT_EQ(font.Size(), c.size) << c.ppi << " dpi, " << c.size << " pt";
    EXPECT_EQ(LogFontOf(font.Handle()).lfHeight, c.height);
  }
  TFont defaults;
  EXPECT_EQ(defaults.Name(), "Tahoma");
  EXPECT_EQ(defaults.Size(), 8);
  EXPECT_EQ(defaults.Color(), clWindowText);
  EXPECT_EQ(defaults.Charset(), DEFAULT_CHARSET);
}

TEST(Graphics, EveryRealFontChangeFiresOnceAndShowsInTheNextHandle) {
  struct Case {
    const char* what;
    std::function<void(TFont&)> change;
    std::function<bool(const LOGFONTA&)> shows;  // nullptr: the handle stays
  } cases[] = {
      {"name", [](TFont& f) { f.SetName("Courier New"); },
       [](const LOGFONTA& lf) { return std::string(lf.lfFaceName) == "Courier New"; }},
      {"size", [](TFont& f) { f.SetSize(20); },
       [](const LOGFONTA& lf) { return lf.lfHeight == -MulDiv(20, ScreenLogPixels(), 72); }},
      {"style", [](TFont& f) { f.SetStyle({fsBold, fsUnderline}); },
       [](const LOGFONTA& lf) { return lf.lfWeight == FW_BOLD && lf.lfUnderline && !lf.lfItalic; }},
      {"charset", [](TFont& f) { f.SetCharset(SYMBOL_CHARSET); },
       [](const LOGFONTA& lf) { return lf.lfCharSet == SYMBOL_CHARSET; }},
      {"pitch", [](TFont& f) { f.SetPitch(fpFixed); },
       [](const LOGFONTA& lf) { return (lf.lfPitchAndFamily & 3) == FIXED_PITCH; }},
      {"color", [](TFont& f) { f.SetColor(clRed); }, nullptr},
  };
  for (const Case& c : cases) {
    TFont font;
    int changes = 0;
    font.SetOnChange([&](TObject* sender) {
      EXPECT_EQ(sender, &font);
      ++changes;
    });
    HFONT before = font.Handle();
    c.change(font);
    c.change(font);  // the same value again is no change
    EXPECT_EQ(changes, 1) << c.what;
    if (c.shows) {
      EXPECT_TRUE(c.shows(LogFontOf(font.Handle()))) << c.what;
    } else {
      EXPECT_EQ(font.Handle(), before) << c.what;
    }
  }
}

TEST(Graphics, FontAssignAndSetHandleTakeEveryProperty) {
  TFont source;
  source.SetName("Courier New");
  source.SetSize(14);
  source.SetStyle({fsItalic, fsStrikeOut});
  source.SetColor(clGreen);
  TFont copy;
  int changes = 0;
  copy.SetOnChange([&](TObject*) { ++changes; });
  copy.Assign(&source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.Name(), "Courier New");
  EXPECT_EQ(copy.Size(), 14);
  EXPECT_EQ(copy.Style(), TFontStyles({fsItalic, fsStrikeOut}));
  EXPECT_EQ(copy.Color(), clGreen);

  TFont fromHandle;
  fromHandle.SetHandle(source.Handle());
  EXPECT_EQ(fromHandle.Name(), "Courier New");
  EXPECT_EQ(fromHandle.Height(), source.Height());
  EXPECT_EQ(fromHandle.Style(), source.Style());
  EXPECT_NE(fromHandle.Handle(), source.Handle());  // its own copy
  fromHandle.SetHandle(reinterpret_cast<HFONT>(GetStockObject(BLACK_BRUSH)));  // not a font
  EXPECT_EQ(fromHandle.Name(), "Courier New");
}

TEST(Graphics, CanvasWithoutAHandleRefusesToDraw) {
  TCanvas canvas;
  const std::wstring refusal = L"Canvas does not allow drawing";
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { canvas.RequiredState({csHandleValid}); }), refusal);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { canvas.Handle(); }), refusal);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { canvas.FillRect({0, 0, 1, 1}); }), refusal);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { canvas.TextExtent("x"); }), refusal);
  EXPECT_FALSE(canvas.HandleAllocated());
}

TEST(Graphics, FillRectAndPixelsUseTheCurrentBrushAndTheirColours) {
  MemoryCanvas m(40, 20, clBlue);
  EXPECT_EQ(m.Canvas.Pixels(0, 0), clBlue);
  m.Canvas.Brush()->SetColor(clRed);
  m.Canvas.FillRect({10, 5, 20, 15});
  EXPECT_EQ(m.Canvas.Pixels(10, 5), clRed);
  EXPECT_EQ(m.Canvas.Pixels(19, 14), clRed);
  EXPECT_EQ(m.Canvas.Pixels(20, 15), clBlue);  // right and bottom are outside
  m.Canvas.Brush()->SetColor(clYellow);         // reselected without a Refresh
  m.Canvas.FillRect({0, 0, 5, 5});
  EXPECT_EQ(m.Canvas.Pixels(4, 4), clYellow);
  m.Canvas.SetPixel(30, 10, clLime);
  EXPECT_EQ(m.Canvas.Pixels(30, 10), clLime);
  RECT clip = m.Canvas.ClipRect();
  EXPECT_EQ(clip.right, 40);
  EXPECT_EQ(clip.bottom, 20);
}

TEST(Graphics, TextTakesTheFontColourAndTheBrushDecidesTheBackground) {
  struct Case {
    const char* what;
    TBrushStyle brush;
    TColor background;  // expected at a corner of the text rectangle
  } cases[] = {{"opaque", bsSolid, clYellow}, {"clear", bsClear, clBlue}};
  for (const Case& c : cases) {
    MemoryCanvas m(120, 40, clBlue);
    m.Canvas.Font()->SetSize(14);
    m.Canvas.Font()->SetStyle({fsBold});
    m.Canvas.Font()->SetColor(clRed);
    m.Canvas.Brush()->SetColor(clYellow);
    m.Canvas.Brush()->SetStyle(c.brush);
    RECT r = {5, 5, 115, 35};
    m.Canvas.TextRect(r, 8, 8, "HWH");
    EXPECT_EQ(m.Canvas.Pixels(r.right - 1, r.bottom - 1), c.background) << c.what;
    EXPECT_GT(m.Count(r, ColorToRGB(clRed), kSmoothing), 20) << c.what;
    EXPECT_EQ(m.Count({0, 0, 120, 5}, ColorToRGB(clRed), kSmoothing), 0) << c.what;  // clipped to r
  }

  MemoryCanvas m(200, 40, clWhite);
  m.Canvas.Font()->SetColor(clGreen);
  m.Canvas.Brush()->SetStyle(bsClear);
  m.Canvas.TextOut(10, 5, "Hello");
  EXPECT_GT(m.Count(m.All(), ColorToRGB(clGreen), kSmoothing), 5);
  EXPECT_EQ(m.Canvas.PenPos().x, 10 + m.Canvas.TextWidth("Hello"));
  EXPECT_EQ(GetTextColor(m.DC()), ColorToRGB(clGreen));
  EXPECT_EQ(GetBkMode(m.DC()), TRANSPARENT);
}

TEST(Graphics, TextExtentGrowsWithTheTextAndTheFont) {
  MemoryCanvas m(10, 10, clWhite);
  int previous = -1;
  for (const char* text : {"", "i", "iW", "iWW", "iWW iWW"}) {
    int width = m.Canvas.TextWidth(text);
    EXPECT_GT(width, previous) << text;
    previous = width;
  }
  int small = m.Canvas.TextHeight("Wg");
  EXPECT_GT(small, 0);
  m.Canvas.Font()->SetSize(24);  // selected font changes: the next call reselects
  EXPECT_GT(m.Canvas.TextHeight("Wg"), small);
}

TEST(Graphics, CanvasSelectsOnDemandAndLetsGoOfTheDC) {
  MemoryCanvas m(10, 10, clWhite);
  int changing = 0, changed = 0;
  m.Canvas.SetOnChanging([&](TObject*) { ++changing; });
  m.Canvas.SetOnChange([&](TObject*) { EXPECT_EQ(++changed, changing); });
  m.Canvas.Rectangle(1, 1, 5, 5);
  m.Canvas.LineTo(8, 8);
  EXPECT_EQ(changed, 2);
  EXPECT_TRUE(m.Canvas.State().Contains(csPenValid));
  EXPECT_EQ(GetCurrentObject(m.DC(), OBJ_PEN), m.Canvas.Pen()->Handle());

  m.Canvas.Pen()->SetMode(pmXor);
  EXPECT_FALSE(m.Canvas.State().Contains(csPenValid));
  m.Canvas.MoveTo(0, 0);
  m.Canvas.LineTo(1, 1);
  EXPECT_EQ(GetROP2(m.DC()), R2_XORPEN);

  m.Canvas.TextExtent("x");
  HFONT font = m.Canvas.Font()->Handle();
  m.Canvas.Refresh();
  EXPECT_NE(GetCurrentObject(m.DC(), OBJ_FONT), font);
  m.Canvas.TextExtent("x");
  m.Canvas.SetHandle(nullptr);  // our objects leave the DC, which stays
  EXPECT_NE(GetCurrentObject(m.DC(), OBJ_FONT), font);
  EXPECT_NE(GetCurrentObject(m.DC(), OBJ_PEN), m.Canvas.Pen()->Handle());
  EXPECT_TRUE(m.Canvas.State().Empty());
  EXPECT_EQ(GetObjectType(m.DC()), static_cast<DWORD>(OBJ_MEMDC));
}

TEST(Graphics, CopyRectStretchesFromAnotherCanvas) {
  MemoryCanvas source(10, 10, clRed);
  source.Canvas.Brush()->SetColor(clLime);
  source.Canvas.FillRect({5, 0, 10, 10});
  MemoryCanvas dest(40, 20, clWhite);
  dest.Canvas.CopyRect({0, 0, 20, 20}, &source.Canvas, {0, 0, 10, 10});
  EXPECT_EQ(dest.Canvas.Pixels(2, 10), clRed);
  EXPECT_EQ(dest.Canvas.Pixels(17, 10), clLime);
  EXPECT_EQ(dest.Canvas.Pixels(30, 10), clWhite);
  dest.Canvas.CopyFrom(30, 0, 5, 5, source.DC(), 5, 0);
  EXPECT_EQ(dest.Canvas.Pixels(32, 2), clLime);
}

TEST(Graphics, PicturesOfADCAndOfAWindowAreReadablePngs) {
  testing_support::TempDir temp;
  MemoryCanvas m(30, 20, clNavy);
  m.Canvas.Brush()->SetColor(clYellow);
  m.Canvas.FillRect({10, 5, 20, 15});
  ASSERT_TRUE(testing_support::SaveDCPicture(m.DC(), 30, 20, temp.File(L"dc.png")));
  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::LoadPicture(temp.File(L"dc.png"), picture));
  EXPECT_EQ(picture.Width, 30);
  EXPECT_EQ(picture.Height, 20);
  EXPECT_EQ(picture.Pixel(0, 0), ColorToRGB(clNavy));
  EXPECT_EQ(picture.Pixel(15, 10), ColorToRGB(clYellow));
  EXPECT_EQ(picture.Pixel(30, 0), CLR_INVALID);

  // A window and a child of another colour; hidden, only the window's own
  // background is asked for (PrintWindow does not draw children under Wine).
  const COLORREF colours[] = {RGB(0, 160, 80), RGB(200, 40, 120)};
  const char* classes[] = {"TavrinPictureTestWindow", "TavrinPictureTestChild"};
  HBRUSH brushes[2];
  for (int i = 0; i < 2; ++i) {
    brushes[i] = CreateSolidBrush(colours[i]);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = brushes[i];
    wc.lpszClassName = classes[i];
    RegisterClassA(&wc);
  }
  HWND window = CreateWindowExA(0, classes[0], "Picture", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                40, 200, 150, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  CreateWindowExA(0, classes[1], "", WS_CHILD | WS_VISIBLE, 0, 0, 30, 20, window, nullptr,
                  nullptr, nullptr);
  RECT frame;
  GetWindowRect(window, &frame);
  POINT client = {0, 0};
  ClientToScreen(window, &client);
  const int cx = client.x - frame.left, cy = client.y - frame.top;
  struct Case {
    const char* what;
    int show;
    POINT at;  // in the client area
    COLORREF expected;
  } cases[] = {{"shown, background", SW_SHOW, {100, 80}, colours[0]},
               {"shown, child", SW_SHOW, {10, 10}, colours[1]},
               {"hidden, background", SW_HIDE, {100, 80}, colours[0]}};
  for (const Case& c : cases) {
    ShowWindow(window, c.show);
    testing_support::PumpPendingMessages();
    ASSERT_TRUE(testing_support::SaveWindowPicture(window, temp.File(L"window.png"))) << c.what;
    ASSERT_TRUE(testing_support::LoadPicture(temp.File(L"window.png"), picture)) << c.what;
    EXPECT_EQ(picture.Width, frame.right - frame.left) << c.what;
    EXPECT_EQ(picture.Height, frame.bottom - frame.top) << c.what;
    EXPECT_EQ(picture.Pixel(cx + c.at.x, cy + c.at.y), c.expected) << c.what;
  }
  DestroyWindow(window);
  for (int i = 0; i < 2; ++i) {
    UnregisterClassA(classes[i], GetModuleHandleA(nullptr));
    DeleteObject(brushes[i]);
  }

  // Damaged files are refused, never half read.
  std::string bytes = testing_support::ReadFileBytes(temp.File(L"dc.png"));
  std::string flipped = bytes;
  flipped[bytes.size() / 2] ^= 0x01;
  for (const std::string& bad : {bytes.substr(0, bytes.size() - 20), flipped, std::string("x")}) {
    EXPECT_FALSE(testing_support::LoadPicture(temp.WriteFile(L"bad.png", bad), picture));
  }
}
