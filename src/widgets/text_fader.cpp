#include "widgets/text_fader.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace {

const char kDefaultLines[] =
    "Tavrin Audio Player\n"
    "Skins, playlists and tags\n"
    "Thank you for listening";

// A windowed control's own painting is protected; naming it through a
// derived class is the one way to reach it for another control's window.
struct ParentPainter : TWinControl {
  static void PaintWindowOf(TWinControl* Control, HDC DC) {
    (Control->*&ParentPainter::PaintWindow)(DC);
  }
};

std::unique_ptr<TBitmap> NewBuffer(int Width, int Height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Width, Height);
  return bitmap;
}

// Buffer := ((100 - P) * Buffer + P * Copy) div 100, channel by channel.
void BlendBitmaps(TBitmap* Buffer, TBitmap* Copy, int P) {
  const int bytes = Buffer->Width() * 3;
  for (int y = 0; y < Buffer->Height(); ++y) {
    auto* a = static_cast<uint8_t*>(Buffer->ScanLine(y));
    const auto* b = static_cast<const uint8_t*>(Copy->ScanLine(y));
    for (int i = 0; i < bytes; ++i) a[i] = static_cast<uint8_t>(((100 - P) * a[i] + P * b[i]) / 100);
  }
}

}  // namespace

std::string ExpandEscapes(const std::string& S) {
  std::string result;
  result.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] != '\\') {
      result += S[i];
      continue;
    }
    if (++i == S.size()) break;
    switch (S[i]) {
      case 'n':
        result += "\r\n";
        break;
      case 't':
        result += '\t';
        break;
      case '\\':
        result += '\\';
        break;
      default:
        break;
    }
  }
  return result;
}

TTextFader::TTextFader(TComponent* AOwner)
    : TGraphicControl(AOwner), FBackground(new TPicture), FLines(new TStringList), FTimer(new TTimer(this)) {
  FControlStyle |= csOpaque;
  SetBounds(FLeft, FTop, 200, 16);
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer([this](TObject* Sender) { TimerTick(Sender); });
  FBackground->SetOnChange([this](TObject*) { Invalidate(); });
  FLines->SetText(kDefaultLines);
  FLines->SetOnChange([this](TObject* Sender) { LinesChanged(Sender); });
}

TTextFader::~TTextFader() {
  FActive = false;
  FTimer->SetEnabled(false);
  delete FBackground;
  delete FLines;
}

void TTextFader::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (ComponentState().Contains(csLoading)) return;
  if (Value) {
    FPasses = 0;
    FLevel = 100;
    FTimer->SetInterval(5);
    FTimer->SetEnabled(true);
  } else {
    FTimer->SetEnabled(false);
    Invalidate();
  }
}

void TTextFader::Loaded() {
  TGraphicControl::Loaded();
  if (FActive) {
    FActive = false;
    SetActive(true);
  }
}

void TTextFader::SetLineDelay(uint16_t Value) {
  FLineDelay = Value;
  if (FLevel == 100) FTimer->SetInterval(Value);
}

void TTextFader::SetFadeDelay(uint16_t Value) {
  FFadeDelay = Value;
  if (FLevel < 100) FTimer->SetInterval(Value);
}

void TTextFader::SetFadeStep(TProgressStep Value) {
  FFadeStep = std::clamp<TProgressStep>(Value, 1, 100);
}

void TTextFader::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TTextFader::SetBackgroundMode(TBackgroundMode Value) {
  if (Value == FBackgroundMode) return;
  FBackgroundMode = Value;
  Invalidate();
}

void TTextFader::SetLineIndex(int32_t Value) {
  const int32_t last = FLines->Count() - 1;
  Value = last < 0 ? -1 : std::clamp(Value, 0, last);
  if (Value == FLineIndex) return;
  FLineIndex = Value;
  if (FLevel == 100) FTimer->SetInterval(FLineDelay);
}

bool TTextFader::LinesStored() const {
  TStringList defaults;
  defaults.SetText(kDefaultLines);
  return FLines->Text() != defaults.Text();
}

void TTextFader::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Invalidate();
}

void TTextFader::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Invalidate();
}

void TTextFader::LinesChanged(TObject*) {
  if (FLineIndex > FLines->Count() - 1) FLineIndex = FLines->Count() - 1;
}

void TTextFader::TimerTick(TObject*) {
  if (FLevel == 100) {
    FPreviousText = FCurrentText;
    FCurrentText = NextLine();
    if (FActive) {
      FLevel = 0;
      FTimer->SetInterval(FFadeDelay);
    }
  }
  FLevel = static_cast<uint8_t>(std::min(100, FLevel + FFadeStep));
  Repaint();
  if (FLevel == 100) {
    FTimer->SetInterval(FLineDelay);
    if (FOnComplete) FOnComplete(this);
  }
}

std::string TTextFader::NextLine() {
  if (FLineIndex < FLines->Count() - 1) {
    SetLineIndex(FLineIndex + 1);
  } else {
    if (FPasses < INT32_MAX) ++FPasses;
    if (FRepeatCount != 0 && FPasses >= FRepeatCount)
      SetActive(false);
    else
      SetLineIndex(0);
  }
  if (FLineIndex < 0 || FLineIndex >= FLines->Count()) return std::string();
  return ExpandEscapes(FLines->Strings(FLineIndex));
}

void TTextFader::Paint() {
  if (FPainting) return;
  FPainting = true;
  try {
    PaintFader();
  } catch (...) {
    FPainting = false;
    throw;
  }
  FPainting = false;
}

void TTextFader::PaintFader() {
  if (FWidth <= 0 || FHeight <= 0) return;
  auto buffer = NewBuffer(FWidth, FHeight);
  TCanvas* canvas = buffer->Canvas();
  if (FTransparent) {
    CopyParentImage(canvas->Handle());
  } else {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(RECT{0, 0, FWidth, FHeight});
    TGraphic* graphic = FBackground->Graphic();
    if (graphic != nullptr && !graphic->Empty()) {
      switch (FBackgroundMode) {
        case bmTiled:
          TileDraw(canvas, graphic);
          break;
        case bmStretched:
          canvas->StretchDraw(RECT{0, 0, FWidth, FHeight}, graphic);
          break;
        case bmCentered:
          canvas->Draw((FWidth - graphic->Width()) / 2, (FHeight - graphic->Height()) / 2, graphic);
          break;
        case bmNone:
          break;
      }
    }
  }
  if (FLevel < 100) {
    auto copy = NewBuffer(FWidth, FHeight);
    copy->Canvas()->Draw(0, 0, buffer.get());
    DrawFaderText(copy->Canvas(), FPreviousText);
    DrawFaderText(canvas, FCurrentText);
    BlendBitmaps(buffer.get(), copy.get(), 100 - FLevel);
  } else {
    DrawFaderText(canvas, FCurrentText);
  }
  Canvas()->SetCopyMode(SRCCOPY);
  Canvas()->Draw(0, 0, buffer.get());
}

void TTextFader::DrawFaderText(TCanvas* ACanvas, const std::string& Text) {
  ACanvas->Font()->Assign(Font());
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = ACanvas->Handle();
  SetBkMode(dc, TRANSPARENT);
  UINT flags = DT_NOPREFIX | DT_EXPANDTABS;
  flags |= FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  if (FWordWrap) flags |= DT_WORDBREAK;
  const int length = static_cast<int>(std::min<size_t>(Text.size(), INT_MAX));
  RECT measured{0, 0, FWidth, 0};
  DrawTextA(dc, Text.c_str(), length, &measured, flags | DT_CALCRECT);
  const int height = measured.bottom - measured.top;
  const int top = (FHeight - height) / 2;
  RECT r{0, top, FWidth, top + height};
  ACanvas->Changing();
  DrawTextA(dc, Text.c_str(), length, &r, flags);
  ACanvas->Changed();
}

// The parent's own picture and the graphic controls beneath this one, as
// they would show through at this control's place.
void TTextFader::CopyParentImage(HDC Dest) {
  TWinControl* parent = Parent();
  if (parent == nullptr || !parent->HandleAllocated()) return;
  int saved = SaveDC(Dest);
  SetViewportOrgEx(Dest, -FLeft, -FTop, nullptr);
  IntersectClipRect(Dest, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Dest), 0);
  ParentPainter::PaintWindowOf(parent, Dest);
  RestoreDC(Dest, saved);
  const RECT self = BoundsRect();
  for (int32_t i = 0; i < parent->ControlCount(); ++i) {
    TControl* child = parent->Controls(i);
    if (child == this) break;
    if (dynamic_cast<TGraphicControl*>(child) == nullptr || !child->Visible()) continue;
    RECT bounds = child->BoundsRect(), overlap;
    if (!IntersectRect(&overlap, &bounds, &self)) continue;
    saved = SaveDC(Dest);
    SetViewportOrgEx(Dest, child->Left() - FLeft, child->Top() - FTop, nullptr);
    IntersectClipRect(Dest, 0, 0, child->Width(), child->Height());
    child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Dest), 0);
    RestoreDC(Dest, saved);
  }
}

void TTextFader::TileDraw(TCanvas* ACanvas, TGraphic* Graphic) {
  const int w = Graphic->Width(), h = Graphic->Height();
  if (w <= 0 || h <= 0) return;
  for (int y = 0; y < FHeight; y += h)
    for (int x = 0; x < FWidth; x += w) ACanvas->Draw(x, y, Graphic);
}
