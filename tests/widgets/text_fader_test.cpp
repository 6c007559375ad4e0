// The text fader driven tick by tick (the system timer off): levels, timer
// intervals, passes and the blended colours of each step; escapes; the line
// index; and a window of progress bars and faders mid-way (set
// TAVRIN_PICTURE_DIR to keep its picture).
#include "widgets/text_fader.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/forms.h"
#include "memory_bitmap.h"
#include "test_support.h"
#include "widgets/m_progress.h"
#include "window_picture.h"

namespace {

void Tick(TTextFader& Fader) { Fader.Timer()->OnTimer()(Fader.Timer()); }

void Style(TTextFader& Fader, TColor Text) {
  Fader.Font()->SetName("Arial");
  Fader.Font()->SetHeight(-20);
  Fader.Font()->SetStyle({fsBold});
  Fader.Font()->SetColor(Text);
}

TEST(TextFader, ExpandsEscapes) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"a\\tb\\\\c\\x", "a\tb\\c"}, {"one\\ntwo", "one\r\ntwo"}, {"end\\", "end"},
               {"\\\\\\", "\\"},            {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(ExpandEscapes(c.in), c.out) << c.in;
}

TEST(TextFader, CrossFadesEachLineStepByStepAndStopsAfterItsPasses) {
  TTextFader fader(nullptr);
  fader.SetBounds(0, 0, 120, 30);
  fader.SetColor(clBlack);
  Style(fader, clWhite);
  fader.Lines()->SetText("MMM\nWWW\nHHH");
  fader.SetRepeatCount(2);
  int completes = 0;
  fader.SetOnComplete([&](TObject*) { ++completes; });
  fader.SetActive(true);
  EXPECT_TRUE(fader.Timer()->Enabled());
  EXPECT_EQ(fader.Timer()->Interval(), 5u);
  fader.Timer()->SetEnabled(false);  // the test ticks

  std::vector<std::unique_ptr<testing_support::MemoryCanvas>> frames;
  std::vector<int> levels;
  for (int i = 0; i < 50; ++i) {
    Tick(fader);
    levels.push_back(fader.Level());
    EXPECT_EQ(fader.Timer()->Interval(), fader.Level() == 100 ? 2000u : 30u) << i;
    frames.push_back(std::make_unique<testing_support::MemoryCanvas>(120, 30, clRed));
    fader.Perform(WM_PAINT, reinterpret_cast<WPARAM>(frames.back()->DC()), 0);
  }
  for (int i = 0; i < 50; ++i) EXPECT_EQ(levels[i], (i % 25 + 1) * 4) << i;
  EXPECT_EQ(completes, 2);
  EXPECT_EQ(fader.CurrentText(), "WWW");
  EXPECT_EQ(fader.PreviousText(), "MMM");

  // Pixels fully lit in the first line and dark in the second: they brighten
  // as the first fades in from nothing, then dim as the second takes over.
  int checked = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) {
      if (frames[24]->Pixel(x, y) != 0xFFFFFF || frames[49]->Pixel(x, y) != 0) continue;
      ++checked;
      for (int i = 0; i < 50; ++i) {
        const int level = levels[i], lit = i < 25 ? level : 100 - level;
        ASSERT_EQ(frames[i]->Pixel(x, y), RGB(1, 1, 1) * (lit * 255 / 100)) << x << "," << y << " " << i;
      }
    }
  EXPECT_GT(checked, 10);

  for (int i = 0; i < 100; ++i) Tick(fader);  // the rest of the second pass
  EXPECT_EQ(fader.Passes(), 1);
  EXPECT_EQ(fader.CurrentText(), "HHH");
  EXPECT_TRUE(fader.Active());
  Tick(fader);
  EXPECT_FALSE(fader.Active());
  EXPECT_FALSE(fader.Timer()->Enabled());
  EXPECT_EQ(fader.Passes(), 2);
  EXPECT_EQ(fader.CurrentText(), "HHH");
  EXPECT_EQ(fader.Level(), 100);
  EXPECT_EQ(completes, 7);
}

TEST(TextFader, KeepsItsLineIndexInsideTheList) {
  TComponent root(nullptr);
  TTextFader* fader;
  {
    TLoadingScope loading(&root);
    fader = new TTextFader(&root);
    fader->SetActive(true);
    EXPECT_FALSE(fader->Timer()->Enabled());  // waits for Loaded
  }
  EXPECT_TRUE(fader->Timer()->Enabled());
  fader->Timer()->SetEnabled(false);
  EXPECT_FALSE(fader->LinesStored());
  fader->Lines()->SetText("a\nb\nc");
  EXPECT_TRUE(fader->LinesStored());
  EXPECT_EQ(fader->LineIndex(), -1);
  const struct {
    int set, index;
  } steps[] = {{2, 2}, {7, 2}, {-3, 0}, {1, 1}};
  for (const auto& s : steps) {
    fader->SetLineIndex(s.set);
    EXPECT_EQ(fader->LineIndex(), s.index) << s.set;
  }
  fader->SetLineIndex(2);
  fader->Lines()->Delete(2);
  EXPECT_EQ(fader->LineIndex(), 1);
  fader->Lines()->Clear();
  EXPECT_EQ(fader->LineIndex(), -1);
  for (int i = 0; i < 3; ++i) Tick(*fader);  // an empty list shows nothing and keeps cycling
  EXPECT_EQ(fader->CurrentText(), "");
  EXPECT_TRUE(fader->Active());
  EXPECT_EQ(fader->Passes(), 1);
}

TEST(TextFader, PicturesOfProgressBarsAndFadersMidWay) {
  TForm form(nullptr);
  form.SetBounds(40, 40, 340, 240);
  form.SetColor(clTeal);
  const int percents[] = {0, 42, 100};
  for (int i = 0; i < 3; ++i) {
    auto* bar = new TMProgress(&form);
    bar->SetParent(&form);
    bar->SetBounds(10, 10 + 30 * i, 300, 22);
    bar->SetForeColor(clNavy);
    bar->Font()->SetName("Arial");
    bar->Font()->SetHeight(-14);
    bar->SetProgress(percents[i]);
  }
  TBitmap tile;
  tile.SetPixelFormat(pf24bit);
  tile.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) tile.Canvas()->SetPixel(x, y, (x < 4) == (y < 4) ? 0x402010 : 0x603020);
  TTextFader* faders[2];
  for (int i = 0; i < 2; ++i) {
    auto* fader = faders[i] = new TTextFader(&form);
    fader->SetParent(&form);
    fader->SetBounds(10, 110 + 50 * i, 300, 40);
    fader->SetColor(clBlack);
    Style(*fader, i == 0 ? clWhite : clYellow);
    fader->Background()->SetBitmap(&tile);
    fader->SetTransparent(i == 1);
    fader->Lines()->SetText("Tavrin Audio Player\nText fades into text");
    fader->SetActive(true);
    fader->Timer()->SetEnabled(false);
    for (int t = 0; t < 25 + 12; ++t) Tick(*fader);
    EXPECT_EQ(fader->Level(), 48);
  }
  form.Show();
  testing_support::PumpPendingMessages();

  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form.Handle(), L"progress_and_fader.png", picture));
  POINT origin{0, 0};
  ClientToScreen(form.Handle(), &origin);
  RECT frame;
  GetWindowRect(form.Handle(), &frame);
  const int dx = origin.x - frame.left, dy = origin.y - frame.top;
  EXPECT_EQ(picture.Pixel(dx + 10 + 240, dy + 40 + 3), COLORREF(clWhite));  // 42 %: past the bar
  EXPECT_EQ(picture.Pixel(dx + 10 + 50, dy + 40 + 3), COLORREF(clNavy));
  EXPECT_EQ(picture.Pixel(dx + 10 + 1, dy + 110 + 1), 0x402010u);  // the tiled background
  EXPECT_EQ(picture.Pixel(dx + 10 + 1, dy + 160 + 1), COLORREF(clTeal));  // the form shows through
}

}  // namespace
