#include "unicode_controls/tnt_graphics.h"

#include <usp10.h>

#include <climits>
#include <memory>
#include <string_view>

#include "foundation/string_func.h"

namespace {

int LengthOf(const std::wstring& Text) {
  return Text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(Text.size());
}

constexpr UINT kWholeLineFlags = DT_CALCRECT | DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_SINGLELINE |
                                 DT_NOPREFIX | DT_END_ELLIPSIS | DT_NOCLIP | DT_EXPANDTABS;
// Beyond this the text is no line a window shows; DrawTextW takes it.
constexpr size_t kMaxWholeLine = 4096;

bool DrawnWhole(std::wstring_view Text, UINT Flags) {
  if ((Flags & ~kWholeLineFlags) != 0 || Text.empty() || Text.size() > kMaxWholeLine) return false;
  if (Text.find_first_of(L"\r\n\t") != std::wstring_view::npos) return false;
  if (!(Flags & DT_NOPREFIX) && Text.find(L'&') != std::wstring_view::npos) return false;
  for (size_t i = 0; i < Text.size(); ++i)
    if (PairStartsAt(Text, i)) return true;
  return false;
}

// One line shaped by Uniscribe, with the font fallback of the edit controls.
class TShapedLine {
 public:
  TShapedLine(HDC DC, std::wstring_view Text) {
    const int length = static_cast<int>(Text.size());
    if (length > 0 && FAILED(ScriptStringAnalyse(DC, Text.data(), length, length * 3 / 2 + 16, -1,
                                                 SSA_GLYPHS | SSA_FALLBACK | SSA_LINK, 0, nullptr, nullptr,
                                                 nullptr, nullptr, nullptr, &FAnalysis)))
      FAnalysis = nullptr;
  }
  ~TShapedLine() {
    if (FAnalysis) ScriptStringFree(&FAnalysis);
  }
  TShapedLine(const TShapedLine&) = delete;
  TShapedLine& operator=(const TShapedLine&) = delete;

  bool Valid() const { return FAnalysis != nullptr; }
  int Width() const {
    const SIZE* size = FAnalysis ? ScriptString_pSize(FAnalysis) : nullptr;
    return size ? size->cx : 0;
  }
  void Draw(int X, int Y, const RECT* Clip) const {
    ScriptStringOut(FAnalysis, X, Y, Clip ? ETO_CLIPPED : 0, Clip, 0, 0, FALSE);
  }

 private:
  SCRIPT_STRING_ANALYSIS FAnalysis = nullptr;
};

}  // namespace

void WideCanvasTextRect(TCanvas* Canvas, const RECT& Rect, int X, int Y, const std::wstring& Text) {
  Canvas->Changing();
  Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = static_cast<UINT>(Canvas->TextFlags()) | ETO_CLIPPED;
  if (Canvas->Brush()->Style() != bsClear) options |= ETO_OPAQUE;
  if ((Canvas->TextFlags() & ETO_RTLREADING) && Canvas->CanvasOrientation() == coRightToLeft) {
    X += WideCanvasTextWidth(Canvas, Text) + 1;
  }
  ExtTextOutW(Canvas->Handle(), X, Y, options, &Rect, Text.c_str(), static_cast<UINT>(LengthOf(Text)),
              nullptr);
  Canvas->Changed();
}

void WideCanvasTextOut(TCanvas* Canvas, int X, int Y, const std::wstring& Text) {
  Canvas->Changing();
  Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  const int width = WideCanvasTextWidth(Canvas, Text);
  if (Canvas->CanvasOrientation() == coRightToLeft) X += width + 1;
  ExtTextOutW(Canvas->Handle(), X, Y, static_cast<UINT>(Canvas->TextFlags()), nullptr, Text.c_str(),
              static_cast<UINT>(LengthOf(Text)), nullptr);
  Canvas->MoveTo(X + width, Y);
  Canvas->Changed();
}

SIZE WideCanvasTextExtent(TCanvas* Canvas, const std::wstring& Text) {
  SIZE size{0, 0};
  Canvas->RequiredState({csHandleValid, csFontValid});
  GetTextExtentPoint32W(Canvas->Handle(), Text.c_str(), LengthOf(Text), &size);
  return size;
}

int WideCanvasTextWidth(TCanvas* Canvas, const std::wstring& Text) {
  return WideCanvasTextExtent(Canvas, Text).cx;
}

int WideCanvasTextHeight(TCanvas* Canvas, const std::wstring& Text) {
  return WideCanvasTextExtent(Canvas, Text).cy;
}

SIZE WideFontTextSize(HFONT Font, const std::wstring& Text, int WrapWidth) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font);
  RECT r{0, 0, WrapWidth, 0};
  WideDrawText(dc, Text, r,
               DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (WrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}

int WideDrawText(HDC DC, const std::wstring& Text, RECT& Rect, UINT Flags) {
  if (!DrawnWhole(Text, Flags)) return DrawTextW(DC, Text.c_str(), LengthOf(Text), &Rect, Flags);
  std::wstring shown = Text;
  auto line = std::make_unique<TShapedLine>(DC, shown);
  if (!line->Valid()) return DrawTextW(DC, Text.c_str(), LengthOf(Text), &Rect, Flags);
  const int room = Rect.right - Rect.left;
  if ((Flags & DT_END_ELLIPSIS) && line->Width() > room) {
    // The longest start that fits with the dots, found by shaping: Wine's
    // logical widths of characters from a fallback font fall short of what
    // it draws. A start never ends inside a surrogate pair.
    auto cut = [&](size_t Length) {
      if (Length > 0 && Length < Text.size() && IsLowSurrogate(Text[Length])) --Length;
      return Text.substr(0, Length) + L"...";
    };
    size_t fits = 0, wide = Text.size();  // the start of fits characters fits; of wide does not
    while (wide - fits > 1) {
      const size_t middle = fits + (wide - fits) / 2;
      (TShapedLine(DC, cut(middle)).Width() <= room ? fits : wide) = middle;
    }
    shown = cut(fits);
    line = std::make_unique<TShapedLine>(DC, shown);
    if (!line->Valid()) return DrawTextW(DC, Text.c_str(), LengthOf(Text), &Rect, Flags);
  }
  TEXTMETRICW metrics{};
  const int height = GetTextMetricsW(DC, &metrics) ? metrics.tmHeight : 0;
  if (Flags & DT_CALCRECT) {
    Rect.right = Rect.left + line->Width();
    Rect.bottom = Rect.top + height;
    return height;
  }
  int x = Rect.left, y = Rect.top;
  if (Flags & DT_RIGHT) {
    x = Rect.right - line->Width();
  } else if (Flags & DT_CENTER) {
    x = Rect.left + (room - line->Width()) / 2;
  }
  if (Flags & DT_SINGLELINE) {
    if (Flags & DT_BOTTOM) {
      y = Rect.bottom - height;
    } else if (Flags & DT_VCENTER) {
      y = Rect.top + (Rect.bottom - Rect.top - height) / 2;
    }
  }
  line->Draw(x, y, (Flags & DT_NOCLIP) ? nullptr : &Rect);
  return height;
}
