#include "unicode_controls/tnt_labels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/forms.h"
#include "memory_bitmap.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_controls/tnt_graphics.h"
#include "unicode_controls/tnt_list_box.h"
#include "window_picture.h"

using testing_support::MemoryBitmap;

namespace {

struct TextMetrics {
  int LineHeight;
  int Width;
};

TextMetrics Measure(TFont* Font, const std::wstring& Text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SIZE size{};
  GetTextExtentPoint32W(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {metrics.tmHeight, size.cx};
}

// A label of either family showing Caption (ANSI labels take its ANSI form).
std::unique_ptr<TCustomLabel> MakeLabel(bool Wide, const std::wstring& Caption) {
  if (Wide) {
    auto label = std::make_unique<TTntLabel>(nullptr);
    label->SetCaption(Caption);
    return label;
  }
  auto label = std::make_unique<TLabel>(nullptr);
  label->SetCaption(WideToAnsi(Caption));
  return label;
}

std::wstring Words(const std::wstring& Word, int Count) {
  std::wstring text;
  for (int i = 0; i < Count; ++i) text += (i ? L" " : L"") + Word;
  return text;
}

int DifferingPixels(const MemoryBitmap& A, const MemoryBitmap& B) {
  int differing = 0;
  for (int y = 0; y < A.Height(); ++y) {
    for (int x = 0; x < A.Width(); ++x) differing += A.Row(y)[x] != B.Row(y)[x];
  }
  return differing;
}

}  // namespace

TEST(TntLabel, AWrappedLabelEndsWithAnEllipsisAfterTheLastWholeWordThatFits) {
  for (bool wide : {false, true}) {
    const std::wstring word = wide ? L"Жёлт" : L"abcd";
    for (int fitting : {4, 3, 2, 1}) {
      SCOPED_TRACE((wide ? "wide, " : "ANSI, ") + std::to_string(fitting) + " words fit");
      std::unique_ptr<TCustomLabel> label = MakeLabel(wide, Words(word, 4));
      const std::wstring expected = Words(word, fitting) + (fitting < 4 ? L"..." : L"");
      const TextMetrics dots = Measure(label->Font(), L"...");
      const TextMetrics text = Measure(label->Font(), expected);
      label->SetAutoSize(false);
      label->SetWordWrap(true);
      label->SetEllipsisPosition(epEndEllipsis);
      label->SetColor(clWhite);
      label->SetBounds(0, 0, dots.Width + text.Width + 2, text.LineHeight);

      MemoryBitmap drawn(label->Width(), label->Height());
      label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(drawn.DC()), 0);
      MemoryBitmap wanted(label->Width(), label->Height());
      wanted.Fill(RGB(255, 255, 255));
      HGDIOBJ old = SelectObject(wanted.DC(), label->Font()->Handle());
      SetBkMode(wanted.DC(), TRANSPARENT);
      SetTextColor(wanted.DC(), ColorToRGB(label->Font()->Color()));
      RECT all = wanted.All();
      DrawTextW(wanted.DC(), expected.c_str(), -1, &all, DT_WORDBREAK | DT_END_ELLIPSIS);
      SelectObject(wanted.DC(), old);
      EXPECT_EQ(DifferingPixels(drawn, wanted), 0);
    }
  }
}

TEST(TntLabel, AnEmptyCaptionStillMeasuresOneLineUnderAutoSize) {
  for (bool wide : {false, true}) {
    for (const wchar_t* caption : {L"", L"&"}) {
      SCOPED_TRACE((wide ? "wide, \"" : "ANSI, \"") + WideToAnsi(caption) + "\"");
      std::unique_ptr<TCustomLabel> label = MakeLabel(wide, L"Привет");
      label->SetHeight(100);
      if (wide) {
        static_cast<TTntLabel*>(label.get())->SetCaption(caption);
      } else {
        label->SetCaption(WideToAnsi(caption));
      }
      EXPECT_EQ(label->Height(), Measure(label->Font(), L"").LineHeight);
      EXPECT_GT(label->Width(), 0);
    }
  }
}

TEST(TntLabel, AWideHotKeyFocusesTheFocusControl) {
  TForm form(nullptr);
  form.SetBounds(30, 30, 300, 200);
  auto* label = new TTntLabel(&form);
  label->SetParent(&form);
  label->SetCaption(L"&Файл:");
  auto* box = new TTntListBox(&form);
  box->SetParent(&form);
  box->SetBounds(10, 30, 120, 80);
  label->SetFocusControl(box);
  form.Show();
  struct Case {
    const char* name;
    wchar_t typed;
    LRESULT result;
  } cases[] = {
      {"the hot key", L'ф', 1}, {"in capitals", L'Ф', 1}, {"another key", L'x', 0},
      // What the caption's hot key becomes in ANSI: never the wide one's.
      {"the ANSI form", L'?', 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.SetActiveControl(nullptr);
    TMessage message{CM_DIALOGCHAR, 0, 0, 0};
    SetWideCharInWMChar(message, c.typed);
    EXPECT_EQ(form.Perform(CM_DIALOGCHAR, message.WParam, 0), c.result);
    EXPECT_EQ(form.ActiveControl(), c.result ? box : nullptr);
  }
  form.Hide();
}

TEST(TntLabel, ItsHintGoesToTheUnicodeHintWindow) {
  TTntLabel label(nullptr);
  label.SetHint(L"Подсказка|длинная подсказка");
  THintInfo info;
  info.HintControl = &label;
  info.HintWindowClass = &NewHintWindow<THintWindow>;
  label.Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(IsWideHintWindowClass(info.HintWindowClass));
  EXPECT_EQ(GetWideHintFromHintInfo(info), L"Подсказка");
}

TEST(TntLabel, ADisabledWideLabelIsEmbossedInTheButtonColours) {
  TTntLabel label(nullptr);
  label.SetColor(clBtnFace);
  label.SetCaption(L"Отключено");
  label.SetEnabled(false);
  MemoryBitmap bitmap(label.Width(), label.Height());
  label.Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap.DC()), 0);
  EXPECT_GT(bitmap.Count(bitmap.All(), ColorToRGB(clBtnHighlight)), 0);
  EXPECT_GT(bitmap.Count(bitmap.All(), ColorToRGB(clBtnShadow)), 0);
  EXPECT_EQ(bitmap.Count(bitmap.All(), ColorToRGB(clWindowText)), 0);
}

// A form as the program shows them: list boxes and labels of every kind.
TEST(TntLabel, PictureOfAFormWithListBoxesAndLabels) {
  TForm form(nullptr);
  form.SetBorderStyle(bsDialog);
  form.SetCaption("Tavrin - list boxes and labels");
  form.SetBounds(60, 60, 460, 260);
  form.SetColor(clBtnFace);

  auto* list = new TTntListBox(&form);
  list->SetParent(&form);
  list->SetBounds(12, 30, 200, 100);
  for (const wchar_t* item : {L"Привет — мир", L"Ünïcödé ★", L"Ελληνικά", L"Plain text"}) {
    list->AddItem(item, nullptr);
  }
  list->SetItemIndex(1);
  auto* listLabel = new TTntLabel(&form);
  listLabel->SetParent(&form);
  listLabel->SetLeft(12);
  listLabel->SetTop(10);
  listLabel->SetCaption(L"&Файлы:");
  listLabel->SetFocusControl(list);

  auto* drawn = new TTntListBox(&form);
  drawn->SetParent(&form);
  drawn->SetBounds(224, 30, 210, 100);
  drawn->SetStyle(lbOwnerDrawFixed);
  drawn->SetItemHeight(20);
  const TColor swatches[] = {clRed, clGreen, clBlue};
  drawn->SetOnDrawItem([&](TWinControl*, int32_t Index, RECT Rect, TOwnerDrawState) {
    TCanvas* canvas = drawn->Canvas();
    canvas->FillRect(Rect);
    RECT swatch{Rect.left + 3, Rect.top + 3, Rect.left + 17, Rect.bottom - 3};
    TColor fill = canvas->Brush()->Color();
    canvas->Brush()->SetColor(swatches[Index % 3]);
    canvas->FillRect(swatch);
    canvas->Brush()->SetColor(fill);
    WideCanvasTextOut(canvas, Rect.left + 22, Rect.top + 3, drawn->Items()->Strings(Index));
  });
  for (const wchar_t* item : {L"Красный", L"Зелёный", L"Синий"}) drawn->AddItem(item, nullptr);
  drawn->SetItemIndex(0);

  struct LabelSpec {
    const wchar_t* caption;
    TAlignment alignment;
    bool enabled;
    int top;
  } specs[] = {
      {L"Left aligned", taLeftJustify, true, 140},
      {L"Centred — по центру", taCenter, true, 160},
      {L"Right aligned", taRightJustify, true, 180},
      {L"A disabled label", taLeftJustify, false, 200},
  };
  for (const LabelSpec& s : specs) {
    auto* label = new TTntLabel(&form);
    label->SetParent(&form);
    label->SetAutoSize(false);
    label->SetBounds(12, s.top, 200, 17);
    label->SetAlignment(s.alignment);
    label->SetEnabled(s.enabled);
    label->SetCaption(s.caption);
  }
  auto* ellipsis = new TTntLabel(&form);
  ellipsis->SetParent(&form);
  ellipsis->SetAutoSize(false);
  ellipsis->SetEllipsisPosition(epEndEllipsis);
  ellipsis->SetBounds(224, 140, 150, 17);
  ellipsis->SetCaption(L"A caption far too long for its label — очень длинная");

  testing_support::ShowPainted(&form);
  testing_support::Picture picture;
  ASSERT_TRUE(testing_support::TakeWindowPicture(form.Handle(), L"list_boxes_and_labels.png", picture));
  // The selected item of the first list is drawn in the highlight colour.
  const RECT selected = list->ItemRect(1);
  POINT inside = list->ClientToScreen(POINT{selected.right - 4, (selected.top + selected.bottom) / 2});
  RECT frame{};
  GetWindowRect(form.Handle(), &frame);
  EXPECT_EQ(picture.Pixel(inside.x - frame.left, inside.y - frame.top), ColorToRGB(clHighlight));
  form.Hide();
}
