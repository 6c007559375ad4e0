#include "framework/speed_button.h"

#include <algorithm>
#include <cstring>

#include "framework/shortcuts.h"

namespace {

// DIB pixels are 0x00RRGGBB, colours 0x00BBGGRR.
uint32_t ToPixel(COLORREF Color) {
  return (static_cast<uint32_t>(GetRValue(Color)) << 16) |
         (static_cast<uint32_t>(GetGValue(Color)) << 8) | GetBValue(Color);
}

TColor ToColor(uint32_t Pixel) {
  return static_cast<TColor>(RGB((Pixel >> 16) & 0xFF, (Pixel >> 8) & 0xFF, Pixel & 0xFF));
}

bool IsInk(uint32_t Pixel) {
  const uint32_t r = (Pixel >> 16) & 0xFF, g = (Pixel >> 8) & 0xFF, b = Pixel & 0xFF;
  // Light parts (highlights of the picture) stay out of the embossed shape.
  return (r * 30 + g * 59 + b * 11) / 100 < 192;
}

uint32_t* Row(TBitmap* Bitmap, int Y) { return static_cast<uint32_t*>(Bitmap->ScanLine(Y)); }

}  // namespace

// --- TButtonGlyph ---

TButtonGlyph::TButtonGlyph() : FOriginal(new TBitmap) {
  FOriginal->SetOnChange([this](TObject*) { GlyphChanged(); });
}

TButtonGlyph::~TButtonGlyph() {
  Invalidate();
  delete FOriginal;
}

void TButtonGlyph::SetGlyph(TBitmap* Value) {
  Invalidate();
  if (Value != nullptr && !Value->Empty()) {
    FOriginal->Assign(Value);
    const int w = FOriginal->Width(), h = FOriginal->Height();
    if (h > 0 && w % h == 0 && w / h >= 1 && w / h <= 4) FNumGlyphs = w / h;
  } else {
    FOriginal->SetHandle(nullptr);
  }
  GlyphChanged();
}

void TButtonGlyph::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  GlyphChanged();
}

SIZE TButtonGlyph::GlyphSize() const {
  if (FOriginal->Empty()) return SIZE{0, 0};
  return SIZE{FOriginal->Width() / FNumGlyphs, FOriginal->Height()};
}

void TButtonGlyph::Invalidate() {
  for (TBitmap*& image : FImages) {
    delete image;
    image = nullptr;
  }
}

void TButtonGlyph::GlyphChanged() {
  Invalidate();
  if (FOnChange) FOnChange(nullptr);
}

void TButtonGlyph::DrawGlyph(TCanvas* Canvas, POINT Pos, TButtonState State) {
  if (TBitmap* image = StateImage(State)) Canvas->Draw(Pos.x, Pos.y, image);
}

TBitmap* TButtonGlyph::StateImage(TButtonState State) {
  const SIZE size = GlyphSize();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  TBitmap*& image = FImages[State];
  if (image != nullptr) return image;

  TBitmap source;
  source.Assign(FOriginal);
  source.SetPixelFormat(pf32bit);
  const uint32_t key = ToPixel(ColorToRGB(FOriginal->TransparentColor())) & 0xFFFFFF;
  int index = static_cast<int>(State);
  const bool greyed = State == bsDisabled && FNumGlyphs < 2;
  if (index >= FNumGlyphs) index = 0;

  image = new TBitmap;
  image->SetPixelFormat(pf32bit);
  image->SetSize(size.cx, size.cy);
  uint32_t imageKey = key;
  if (!greyed) {
    for (int y = 0; y < size.cy; ++y) {
      std::memcpy(Row(image, y), Row(&source, y) + index * size.cx,
                  static_cast<size_t>(size.cx) * sizeof(uint32_t));
    }
  } else {
    // The up image's dark parts embossed: a highlight one pixel down and
    // right, the shadow on top of it.
    const uint32_t light = ToPixel(ColorToRGB(clBtnHighlight));
    const uint32_t dark = ToPixel(ColorToRGB(clBtnShadow));
    for (uint32_t candidate : {0xFF00FFu, 0x00FF00u, 0x0000FEu}) {
      imageKey = candidate;
      if (candidate != light && candidate != dark) break;
    }
    for (int y = 0; y < size.cy; ++y) std::fill_n(Row(image, y), size.cx, imageKey);
    for (const auto& [dx, colour] : {std::pair{1, light}, std::pair{0, dark}}) {
      for (int y = 0; y + dx < size.cy; ++y) {
        const uint32_t* from = Row(&source, y);
        uint32_t* to = Row(image, y + dx);
        for (int x = 0; x + dx < size.cx; ++x) {
          const uint32_t pixel = from[x] & 0xFFFFFF;
          if (pixel != key && IsInk(pixel)) to[x + dx] = colour;
        }
      }
    }
  }
  image->SetTransparentColor(ToColor(imageKey));
  image->SetTransparent(true);
  return image;
}

// --- layout ---

void CalcButtonLayoutRects(const RECT& Client, POINT Offset, SIZE GlyphSize, SIZE TextSize,
                           TButtonLayout Layout, int Margin, int Spacing, UINT BiDiFlags,
                           POINT& GlyphPos, RECT& TextBounds) {
  if (BiDiFlags & DT_RTLREADING) {
    if (Layout == blGlyphLeft) {
      Layout = blGlyphRight;
    } else if (Layout == blGlyphRight) {
      Layout = blGlyphLeft;
    }
  }
  const bool hasGlyph = GlyphSize.cx > 0 && GlyphSize.cy > 0;
  const bool hasText = TextSize.cx > 0 && TextSize.cy > 0;
  if (!hasGlyph) GlyphSize = SIZE{0, 0};
  if (!hasText) TextSize = SIZE{0, 0};
  const SIZE client{Client.right - Client.left, Client.bottom - Client.top};
  const bool across = Layout == blGlyphLeft || Layout == blGlyphRight;
  // Along the layout's direction: the room, the glyph's and the text's extent.
  const int room = across ? client.cx : client.cy;
  const int glyph = across ? GlyphSize.cx : GlyphSize.cy;
  const int text = across ? TextSize.cx : TextSize.cy;
  int margin = Margin, spacing = Spacing;
  if (!hasGlyph || !hasText) spacing = 0;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (room - glyph - text) / 3;
      spacing = margin;
    } else {
      margin = (room - glyph - spacing - text + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (room - margin - glyph - text) / 2;
  }
  int glyphAt = 0, textAt = 0;
  if (Layout == blGlyphLeft || Layout == blGlyphTop) {
    glyphAt = margin;
    textAt = glyphAt + glyph + spacing;
  } else {
    glyphAt = room - margin - glyph;
    textAt = glyphAt - spacing - text;
  }
  POINT g{}, t{};
  if (across) {
    g = POINT{glyphAt, (client.cy - GlyphSize.cy + 1) / 2};
    t = POINT{textAt, (client.cy - TextSize.cy + 1) / 2};
  } else {
    g = POINT{(client.cx - GlyphSize.cx + 1) / 2, glyphAt};
    t = POINT{(client.cx - TextSize.cx + 1) / 2, textAt};
  }
  const int dx = Client.left + Offset.x, dy = Client.top + Offset.y;
  GlyphPos = POINT{g.x + dx, g.y + dy};
  TextBounds = RECT{t.x + dx, t.y + dy, t.x + dx + TextSize.cx, t.y + dy + TextSize.cy};
}

// --- TSpeedButton ---

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(new TButtonGlyph) {
  // No csClickEvents: the button clicks itself on release, inside only.
  FControlStyle = csCaptureMouse | csDoubleClicks;
  SetBounds(0, 0, 23, 22);
  SetColor(clBtnFace);
  FGlyph->SetOnChange([this](TObject*) { Invalidate(); });
}

TSpeedButton::~TSpeedButton() { delete FGlyph; }

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BUTTONPRESSED:
      CMButtonPressed(Message);
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(Message);
      return;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) FMouseInControl = false;
      SettleState();
      TGraphicControl::Dispatch(Message);
      return;
    case CM_MOUSEENTER:
      TGraphicControl::Dispatch(Message);
      if (!FMouseInControl && Enabled()) {
        FMouseInControl = true;
        if (FFlat) Invalidate();
      }
      return;
    case CM_MOUSELEAVE:
      TGraphicControl::Dispatch(Message);
      if (FMouseInControl) {
        FMouseInControl = false;
        if (FFlat) Invalidate();
      }
      return;
    case CM_TEXTCHANGED:
      TGraphicControl::Dispatch(Message);
      Invalidate();
      return;
    default:
      TGraphicControl::Dispatch(Message);
  }
}

void TSpeedButton::DblClick() {
  if (FDown) TGraphicControl::DblClick();
}

void TSpeedButton::SetGlyph(TBitmap* Value) { FGlyph->SetGlyph(Value); }

void TSpeedButton::SetNumGlyphs(int Value) { FGlyph->SetNumGlyphs(Value); }

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
  if (FMargin == Value || Value < -1) return;
  FMargin = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  if (FSpacing == Value || Value < -1) return;
  FSpacing = Value;
  Invalidate();
}

void TSpeedButton::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int32_t Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (FGroupIndex == 0 && FDown) {
    FDown = false;
    FState = bsUp;
    SettleState();
    Invalidate();
  }
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  FState = Value ? bsExclusive : bsUp;
  SettleState();
  Invalidate();
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::SetTransparent(bool Value) { SetOpaque(!Value); }

void TSpeedButton::SettleState() {
  if (!Enabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || FParent == nullptr) return;
  TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex),
                   reinterpret_cast<LPARAM>(static_cast<TObject*>(this)), 0};
  FParent->Broadcast(message);
}

void TSpeedButton::CMButtonPressed(TMessage& Message) {
  if (static_cast<int32_t>(Message.WParam) != FGroupIndex || FGroupIndex == 0) return;
  auto* sender = dynamic_cast<TSpeedButton*>(reinterpret_cast<TObject*>(Message.LParam));
  if (sender == nullptr || sender == this) return;
  if (sender->Down() && FDown) {
    FDown = false;
    FState = bsUp;
    SettleState();
    Invalidate();
  }
  FAllowAllUp = sender->AllowAllUp();
}

void TSpeedButton::CMDialogChar(TMessage& Message) {
  if (!Enabled() || !Visible() || FParent == nullptr || !FParent->Showing()) return;
  if (!IsHotkeyChar(Message, Caption())) return;
  Click();
  Message.Result = 1;
}

bool TSpeedButton::Inside(int X, int Y) { return X >= 0 && X < Width() && Y >= 0 && Y < Height(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  TButtonState state = FDown ? bsExclusive : bsUp;
  if (Inside(X, Y) && !FDown) state = bsDown;
  if (state != FState) {
    FState = state;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !FDragging) return;
  FDragging = false;
  const bool doClick = Inside(X, Y);
  if (FGroupIndex == 0) {
    FState = bsUp;
  } else if (doClick) {
    SetDown(!FDown);
  }
  if (FGroupIndex != 0) FState = FDown ? bsExclusive : bsUp;
  SettleState();
  Invalidate();
  if (doClick) Click();
}

void TSpeedButton::Paint() {
  SettleState();
  TCanvas* canvas = Canvas();
  canvas->RequiredState({csHandleValid});
  HDC dc = canvas->Handle();
  RECT paintRect{0, 0, Width(), Height()};
  const bool pressed = FState == bsDown || FState == bsExclusive;
  canvas->Brush()->SetColor(Color());
  if (!FFlat) {
    canvas->FillRect(paintRect);
    DrawEdge(dc, &paintRect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  } else {
    if (!Transparent()) canvas->FillRect(paintRect);
    if (pressed || (FMouseInControl && FState != bsDisabled)) {
      DrawEdge(dc, &paintRect, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    InflateRect(&paintRect, -1, -1);
  }
  if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
    // The classic checked look: button face dithered with the highlight.
    static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP bits = CreateBitmap(8, 8, 1, 1, pattern);
    HBRUSH brush = CreatePatternBrush(bits);
    const COLORREF oldText = SetTextColor(dc, ColorToRGB(clBtnFace));
    const COLORREF oldBk = SetBkColor(dc, ColorToRGB(clBtnHighlight));
    FillRect(dc, &paintRect, brush);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBk);
    DeleteObject(brush);
    DeleteObject(bits);
  }
  const POINT offset = pressed ? POINT{1, 1} : POINT{0, 0};
  const UINT biDi = DrawTextBiDiModeFlagsReadingOnly();
  POINT glyphPos{};
  RECT textBounds{};
  CalcButtonLayout(canvas, paintRect, offset, glyphPos, textBounds, biDi);
  FGlyph->DrawGlyph(canvas, glyphPos, FState);
  DrawButtonText(canvas, textBounds, FState, biDi);
}

void TSpeedButton::CalcButtonLayout(TCanvas* Canvas, const RECT& Client, POINT Offset,
                                    POINT& GlyphPos, RECT& TextBounds, UINT BiDiFlags) {
  SIZE text{0, 0};
  if (HasCaption()) {
    Canvas->Font()->Assign(Font());
    Canvas->RequiredState({csHandleValid, csFontValid});
    RECT r{0, 0, Client.right - Client.left, 0};
    DrawCaption(Canvas, r, DT_CALCRECT | DT_SINGLELINE | BiDiFlags);
    text = SIZE{r.right - r.left, r.bottom - r.top};
  }
  CalcButtonLayoutRects(Client, Offset, FGlyph->GlyphSize(), text, FLayout, FMargin, FSpacing,
                        BiDiFlags, GlyphPos, TextBounds);
}

void TSpeedButton::DrawButtonText(TCanvas* Canvas, const RECT& TextBounds, TButtonState State,
                                  UINT BiDiFlags) {
  if (!HasCaption()) return;
  Canvas->Font()->Assign(Font());
  Canvas->Brush()->SetStyle(bsClear);
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | BiDiFlags;
  auto draw = [&](RECT r, TColor colour) {
    Canvas->Font()->SetColor(colour);
    Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
    DrawCaption(Canvas, r, flags);
  };
  Canvas->Changing();
  if (State == bsDisabled) {
    RECT r = TextBounds;
    OffsetRect(&r, 1, 1);
    draw(r, clBtnHighlight);
    draw(TextBounds, clBtnShadow);
  } else {
    draw(TextBounds, Font()->Color());
  }
  Canvas->Changed();
  Canvas->Brush()->SetStyle(bsSolid);
}

bool TSpeedButton::HasCaption() { return !Caption().empty(); }

void TSpeedButton::DrawCaption(TCanvas* Canvas, RECT& Rect, UINT Flags) {
  DrawTextA(Canvas->Handle(), Caption().c_str(), -1, &Rect, Flags);
}
