#include "framework/graphics.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/bitmaps.h"

namespace {

constexpr int kDefaultFontSize = 8;
const char* const kDefaultFontName = "Tahoma";

// Deletes a GDI object when the scope ends, so an OnChange that raises does not
// leak the handle it replaced.
class TGdiObjectDeleter {
 public:
  explicit TGdiObjectDeleter(HGDIOBJ object) : FObject(object) {}
  ~TGdiObjectDeleter() {
    if (FObject) DeleteObject(FObject);
  }
  TGdiObjectDeleter(const TGdiObjectDeleter&) = delete;
  TGdiObjectDeleter& operator=(const TGdiObjectDeleter&) = delete;

 private:
  HGDIOBJ FObject;
};

int PenModeToRop2(TPenMode mode) {
  static constexpr int kRop2[] = {
      R2_BLACK,       R2_WHITE,       R2_NOP,    R2_NOT,        R2_COPYPEN,   R2_NOTCOPYPEN,
      R2_MERGEPENNOT, R2_MASKPENNOT,  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
      R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN, R2_NOTXORPEN};
  return (mode >= pmBlack && mode <= pmNotXor) ? kRop2[mode] : R2_COPYPEN;
}

int PenStyleToGdi(TPenStyle style) {
  switch (style) {
    case psDash: return PS_DASH;
    case psDot: return PS_DOT;
    case psDashDot: return PS_DASHDOT;
    case psDashDotDot: return PS_DASHDOTDOT;
    case psClear: return PS_NULL;
    case psInsideFrame: return PS_INSIDEFRAME;
    case psSolid: break;
  }
  return PS_SOLID;
}

int BrushStyleToHatch(TBrushStyle style) {
  switch (style) {
    case bsVertical: return HS_VERTICAL;
    case bsFDiagonal: return HS_FDIAGONAL;
    case bsBDiagonal: return HS_BDIAGONAL;
    case bsCross: return HS_CROSS;
    case bsDiagCross: return HS_DIAGCROSS;
    default: return HS_HORIZONTAL;
  }
}

// ExtTextOutA and GetTextExtentPoint32A take an int count.
int TextLength(const std::string& text) {
  return static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
}

}  // namespace

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color);
}

int ScreenLogPixels() {
  static const int pixels = [] {
    HDC dc = GetDC(nullptr);
    int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return pixels;
}

// ---------------------------------------------------------------- TGraphicsObject

void TGraphicsObject::Changed() {
  if (FOnChange) FOnChange(this);
}

// -------------------------------------------------------------------------- TFont

TFont::TFont()
    : FName(kDefaultFontName),
      FHeight(-MulDiv(kDefaultFontSize, ScreenLogPixels(), 72)),
      FPixelsPerInch(ScreenLogPixels()) {}

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTA lf = {};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == fpFixed      ? FIXED_PITCH
                          : FPitch == fpVariable ? VARIABLE_PITCH
                                                 : DEFAULT_PITCH;
    FName.copy(lf.lfFaceName, LF_FACESIZE - 1);
    FHandle = CreateFontIndirectA(&lf);
    if (!FHandle) throw EInvalidGraphic(L"Cannot create font");
  }
  return FHandle;
}

void TFont::SetHandle(HFONT Value) {
  LOGFONTA lf = {};
  if (!Value || GetObjectA(Value, sizeof(lf), &lf) != static_cast<int>(sizeof(lf))) return;
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  FName = lf.lfFaceName;
  FHeight = lf.lfHeight;
  FStyle = TFontStyles();
  if (lf.lfWeight >= FW_BOLD) FStyle.Include(fsBold);
  if (lf.lfItalic) FStyle.Include(fsItalic);
  if (lf.lfUnderline) FStyle.Include(fsUnderline);
  if (lf.lfStrikeOut) FStyle.Include(fsStrikeOut);
  FCharset = lf.lfCharSet;
  switch (lf.lfPitchAndFamily & 0x03) {
    case FIXED_PITCH: FPitch = fpFixed; break;
    case VARIABLE_PITCH: FPitch = fpVariable; break;
    default: FPitch = fpDefault; break;
  }
  FontChanged(true);
}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  FontChanged(true);
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  FontChanged(true);
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  FontChanged(false);
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  FontChanged(true);
}

void TFont::SetCharset(BYTE Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  FontChanged(true);
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  FontChanged(true);
}

void TFont::SetPixelsPerInch(int Value) {
  if (Value > 0) FPixelsPerInch = Value;
}

void TFont::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TFont*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  if (other == this) return;
  int height = other->FPixelsPerInch == FPixelsPerInch
                   ? other->FHeight
                   : -MulDiv(other->Size(), FPixelsPerInch, 72);
  bool handleChanges = other->FName != FName || height != FHeight || other->FStyle != FStyle ||
                       other->FCharset != FCharset || other->FPitch != FPitch;
  if (!handleChanges && other->FColor == FColor) return;
  FName = other->FName;
  FHeight = height;
  FStyle = other->FStyle;
  FCharset = other->FCharset;
  FPitch = other->FPitch;
  FColor = other->FColor;
  FontChanged(handleChanges);
}

void TFont::FontChanged(bool handleChanges) {
  HFONT old = nullptr;
  if (handleChanges) std::swap(old, FHandle);
  TGdiObjectDeleter deleter(old);
  Changed();
}

// ------------------------------------------------------------------------- TBrush

TBrush::~TBrush() {
  if (FOwnsHandle) DeleteObject(FHandle);
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    if (FStyle == bsClear) {
      FHandle = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
      FOwnsHandle = false;
    } else {
      FHandle = FStyle == bsSolid ? CreateSolidBrush(ColorToRGB(FColor))
                                  : CreateHatchBrush(BrushStyleToHatch(FStyle), ColorToRGB(FColor));
      if (!FHandle) throw EInvalidGraphic(L"Cannot create brush");
      FOwnsHandle = true;
    }
  }
  return FHandle;
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  if (FStyle == bsClear) FStyle = bsSolid;
  BrushChanged();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  BrushChanged();
}

void TBrush::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TBrush*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  if (other->FColor == FColor && other->FStyle == FStyle) return;
  FColor = other->FColor;
  FStyle = other->FStyle;
  BrushChanged();
}

void TBrush::BrushChanged() {
  HBRUSH old = nullptr;
  std::swap(old, FHandle);
  TGdiObjectDeleter deleter(FOwnsHandle ? old : nullptr);
  FOwnsHandle = false;
  Changed();
}

// --------------------------------------------------------------------------- TPen

TPen::~TPen() {
  if (FHandle) DeleteObject(FHandle);
}

HPEN TPen::Handle() {
  if (!FHandle) {
    FHandle = CreatePen(PenStyleToGdi(FStyle), FWidth, ColorToRGB(FColor));
    if (!FHandle) throw EInvalidGraphic(L"Cannot create pen");
  }
  return FHandle;
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  PenChanged(true);
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  PenChanged(true);
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  PenChanged(true);
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  PenChanged(false);
}

void TPen::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TPen*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  bool handleChanges =
      other->FColor != FColor || other->FWidth != FWidth || other->FStyle != FStyle;
  if (!handleChanges && other->FMode == FMode) return;
  FColor = other->FColor;
  FWidth = other->FWidth;
  FStyle = other->FStyle;
  FMode = other->FMode;
  PenChanged(handleChanges);
}

void TPen::PenChanged(bool handleChanges) {
  HPEN old = nullptr;
  if (handleChanges) std::swap(old, FHandle);
  TGdiObjectDeleter deleter(old);
  Changed();
}

// ------------------------------------------------------------------------ TCanvas

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  InitializeCriticalSection(&FLock);
  FFont->SetOnChange([this](TObject*) { FontChanged(); });
  FPen->SetOnChange([this](TObject*) { PenChanged(); });
  FBrush->SetOnChange([this](TObject*) { BrushChanged(); });
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  delete FFont;
  delete FPen;
  delete FBrush;
  DeleteCriticalSection(&FLock);
}

HDC TCanvas::Handle() {
  RequiredState({csHandleValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (FHandle == Value) return;
  if (FHandle) {
    DeselectHandles();
    POINT pos;
    if (GetCurrentPositionEx(FHandle, &pos)) FPenPos = pos;
    FHandle = nullptr;
    FState.Exclude(csHandleValid);
  }
  if (Value) {
    FState.Include(csHandleValid);
    FHandle = Value;
    MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
  }
}

void TCanvas::CreateHandle() {}

void TCanvas::RequiredState(TCanvasState ReqState) {
  // Selecting anything needs a DC too, whether or not the caller said so.
  bool needsDc = ReqState.Contains(csHandleValid) || ReqState.Contains(csFontValid) ||
                 ReqState.Contains(csPenValid) || ReqState.Contains(csBrushValid);
  if (needsDc && !FHandle) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation(L"Canvas does not allow drawing");
  }
  if (ReqState.Contains(csFontValid) && !FState.Contains(csFontValid)) SelectFont();
  if (ReqState.Contains(csPenValid) && !FState.Contains(csPenValid)) SelectPen();
  if (ReqState.Contains(csBrushValid) && !FState.Contains(csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
  SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  FState.Include(csFontValid);
}

void TCanvas::SelectPen() {
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, PenModeToRop2(FPen->Mode()));
  FState.Include(csPenValid);
}

void TCanvas::SelectBrush() {
  HBRUSH brush = FBrush->Handle();
  UnrealizeObject(brush);
  SelectObject(FHandle, brush);
  // Hatched brushes, like bsClear, leave the background between their lines:
  // an opaque background in the brush's own colour would hide the hatch.
  if (FBrush->Style() == bsSolid) {
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkColor(FHandle, ~ColorToRGB(FBrush->Color()) & 0x00FFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
  FState.Include(csBrushValid);
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState.Contains(csPenValid)) SelectObject(FHandle, GetStockObject(BLACK_PEN));
  if (FState.Contains(csBrushValid)) SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  if (FState.Contains(csFontValid)) SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  FState.Exclude(csPenValid);
  FState.Exclude(csBrushValid);
  FState.Exclude(csFontValid);
}

void TCanvas::Refresh() { DeselectHandles(); }

// The object changes only after this returns (see TFont::FontChanged), so the
// old handle is out of the DC before it is deleted.
void TCanvas::FontChanged() {
  if (!FState.Contains(csFontValid)) return;
  FState.Exclude(csFontValid);
  SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
}

void TCanvas::PenChanged() {
  if (!FState.Contains(csPenValid)) return;
  FState.Exclude(csPenValid);
  SelectObject(FHandle, GetStockObject(BLACK_PEN));
}

void TCanvas::BrushChanged() {
  if (!FState.Contains(csBrushValid)) return;
  FState.Exclude(csBrushValid);
  SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
}

TCanvasOrientation TCanvas::CanvasOrientation() {
  if (!FHandle) return coLeftToRight;
  DWORD layout = GetLayout(FHandle);
  return layout != GDI_ERROR && (layout & LAYOUT_RTL) ? coRightToLeft : coLeftToRight;
}

void TCanvas::Changing() {
  if (FOnChanging) FOnChanging(this);
}

void TCanvas::Changed() {
  if (FOnChange) FOnChange(this);
}

void TCanvas::Lock() {
  EnterCriticalSection(&FLock);
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  LeaveCriticalSection(&FLock);
}

bool TCanvas::TryLock() {
  if (FLockCount != 0 || !TryEnterCriticalSection(&FLock)) return false;
  ++FLockCount;
  return true;
}

POINT TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT pos = {0, 0};
  GetCurrentPositionEx(FHandle, &pos);
  return pos;
}

void TCanvas::SetPenPos(POINT Value) { MoveTo(Value.x, Value.y); }

void TCanvas::MoveTo(int X, int Y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Rectangle(const RECT& Rect) { Rectangle(Rect.left, Rect.top, Rect.right, Rect.bottom); }

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Ellipse(const RECT& Rect) { Ellipse(Rect.left, Rect.top, Rect.right, Rect.bottom); }

void TCanvas::Polygon(const POINT* Points, int Count) {
  if (!Points || Count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, Points, Count);
  Changed();
}

void TCanvas::Polyline(const POINT* Points, int Count) {
  if (!Points || Count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, Points, Count);
  Changed();
}

void TCanvas::FillRect(const RECT& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const RECT& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(FHandle, &Rect);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  // Under a mirrored layout X is where the text ends, not where it starts.
  int width = TextWidth(Text);
  if (CanvasOrientation() == coRightToLeft) X += width + 1;
  ExtTextOutA(FHandle, X, Y, FTextFlags, nullptr, Text.data(), TextLength(Text), nullptr);
  MoveTo(X + width, Y);
  Changed();
}

void TCanvas::TextRect(const RECT& Rect, int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | FTextFlags;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  if ((FTextFlags & ETO_RTLREADING) && CanvasOrientation() == coRightToLeft) {
    X += TextWidth(Text) + 1;
  }
  ExtTextOutA(FHandle, X, Y, options, &Rect, Text.data(), TextLength(Text), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& Text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size = {0, 0};
  GetTextExtentPoint32A(FHandle, Text.data(), TextLength(Text), &size);
  return size;
}

int TCanvas::TextWidth(const std::string& Text) { return TextExtent(Text).cx; }

int TCanvas::TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

void TCanvas::CopyRect(const RECT& Dest, TCanvas* Source, const RECT& SourceRect) {
  if (!Source) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Source->RequiredState({csHandleValid});
  StretchBlt(FHandle, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top,
             Source->FHandle, SourceRect.left, SourceRect.top, SourceRect.right - SourceRect.left,
             SourceRect.bottom - SourceRect.top, FCopyMode);
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(RECT{X, Y, X + Graphic->Width(), Y + Graphic->Height()}, Graphic);
}

void TCanvas::StretchDraw(const RECT& Rect, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::BrushCopy(const RECT& Dest, TBitmap* Bitmap, const RECT& Source, TColor Color) {
  if (!Bitmap || Bitmap->Empty()) return;
  if (Color == clNone) {
    CopyRect(Dest, Bitmap->Canvas(), Source);
    return;
  }
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  const int dw = Dest.right - Dest.left, dh = Dest.bottom - Dest.top;
  const int sw = Source.right - Source.left, sh = Source.bottom - Source.top;
  HBITMAP mask = Bitmap->CreateMask(Color);
  HDC maskDC = CreateCompatibleDC(nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  HDC source = Bitmap->Canvas()->Handle();
  // The mask is white on the key colour; turned into colour it is black
  // (text colour) elsewhere. Clear the key area, then OR the brush into it.
  const COLORREF oldText = ::SetTextColor(FHandle, RGB(0, 0, 0));
  const COLORREF oldBk = ::SetBkColor(FHandle, RGB(255, 255, 255));
  StretchBlt(FHandle, Dest.left, Dest.top, dw, dh, source, Source.left, Source.top, sw, sh, SRCCOPY);
  StretchBlt(FHandle, Dest.left, Dest.top, dw, dh, maskDC, Source.left, Source.top, sw, sh,
             0x00220326);  // DSna: destination AND NOT mask
  StretchBlt(FHandle, Dest.left, Dest.top, dw, dh, maskDC, Source.left, Source.top, sw, sh,
             0x00EA02E9);  // DPSao: destination OR (brush AND mask)
  ::SetTextColor(FHandle, oldText);
  ::SetBkColor(FHandle, oldBk);
  SelectObject(maskDC, oldMask);
  DeleteDC(maskDC);
  DeleteObject(mask);
  Changed();
}

void TCanvas::CopyFrom(int X, int Y, int Width, int Height, HDC Source, int SourceX,
                       int SourceY) {
  if (!Source) return;
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  BitBlt(FHandle, X, Y, Width, Height, Source, SourceX, SourceY, FCopyMode);
  Changed();
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState({csHandleValid});
  return static_cast<TColor>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  ::SetPixel(FHandle, X, Y, ColorToRGB(Color));
  Changed();
}

RECT TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT rect = {0, 0, 0, 0};
  GetClipBox(FHandle, &rect);
  return rect;
}
