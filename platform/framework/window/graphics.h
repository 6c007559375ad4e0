// Drawing over GDI: colours, the font/brush/pen objects and the canvas.
//   TColor        0x00BBGGRR, or 0x80000000 | COLOR_xxx for a system colour
//                 (a negative value); ColorToRGB resolves either.
//   TFont/TBrush/TPen  properties of a GDI object; each owns the handle it makes
//                 lazily from them and remakes after a change. Every real change
//                 fires OnChange once.
//   TCanvas       draws on an HDC it does not own, selecting its font, pen and
//                 brush into it on demand (RequiredState). A change to any of the
//                 three deselects it, so the next drawing call selects the new one.
//                 A canvas with no DC asks CreateHandle() for one (descendants
//                 such as the control canvas get it from their window).
// Texts are ANSI on purpose: the Unicode layer draws its own text between
// Changing() and Changed().
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "framework/exceptions.h"
#include "framework/persistent.h"
#include "framework/string_list.h"

// <windows.h> maps TextOut to TextOutW, which would rename TCanvas::TextOut in
// every unit; call TextOutA/TextOutW by their own names instead.
#undef TextOut

class TGraphic;
class TBitmap;

TAVRIN_DECLARE_EXCEPTION(EInvalidOperation, Exception);
TAVRIN_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
TAVRIN_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);

using TColor = int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | index); }

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours through GetSysColor; anything else is returned as it is.
COLORREF ColorToRGB(TColor Color);

// LOGPIXELSY of the screen, read once.
int ScreenLogPixels();

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) Include(s);
  }
  constexpr bool Contains(TFontStyle style) const { return (FBits & Bit(style)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Include(TFontStyle style) { FBits |= Bit(style); }
  constexpr void Exclude(TFontStyle style) { FBits &= ~Bit(style); }
  constexpr bool operator==(const TFontStyles&) const = default;

 private:
  static constexpr uint8_t Bit(TFontStyle style) { return static_cast<uint8_t>(1u << style); }
  uint8_t FBits = 0;
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                   bsDiagCross };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Raster operations of the pen, applied with SetROP2 (pmCopy = R2_COPYPEN...).
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor,
                pmNotXor };

class TGraphicsObject : public TPersistent {
 public:
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }

 protected:
  virtual void Changed();

 private:
  TNotifyEvent FOnChange;
};

class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Made from the properties on first use; owned by the font, valid until the
  // next change or the font's end.
  HFONT Handle();
  // Takes the properties of Value's LOGFONT; Value stays the caller's. A handle
  // that is not a font changes nothing.
  void SetHandle(HFONT Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  // Points, through PixelsPerInch: Size = -Height * 72 / PixelsPerInch.
  int Size() const;
  void SetSize(int Value);
  // Pixels; negative is the character height, positive the cell height.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  // The screen's by default; only the Size/Height conversion uses it.
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value);

  // From another TFont: its properties, keeping this font's PixelsPerInch (the
  // size in points carries over when the two differ).
  void Assign(TPersistent* Source) override;

 private:
  // Drops the handle after the listeners heard the change, so a canvas can
  // deselect it before it goes.
  void FontChanged(bool handleChanges);

  HFONT FHandle = nullptr;
  std::string FName;
  int FHeight;
  int FPixelsPerInch;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  BYTE FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
};

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  ~TBrush() override;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  // Owned, like TFont::Handle; bsClear gives the stock hollow brush.
  HBRUSH Handle();
  TColor Color() const { return FColor; }
  // Makes a bsClear brush bsSolid, as a colour is asked for.
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);

  void Assign(TPersistent* Source) override;

 private:
  void BrushChanged();

  HBRUSH FHandle = nullptr;
  bool FOwnsHandle = false;
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  ~TPen() override;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  // Owned, like TFont::Handle. Mode is not part of the handle: the canvas
  // applies it when it selects the pen.
  HPEN Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);

  void Assign(TPersistent* Source) override;

 private:
  void PenChanged(bool handleChanges);

  HPEN FHandle = nullptr;
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

// Not cs*Loading & co. of TComponentState, nor the controls' cs* flags.
enum TCanvasStateFlag : uint8_t {
  csHandleValid = 1,
  csFontValid = 2,
  csPenValid = 4,
  csBrushValid = 8,
};

class TCanvasState {
 public:
  constexpr TCanvasState() = default;
  constexpr TCanvasState(std::initializer_list<TCanvasStateFlag> flags) {
    for (TCanvasStateFlag f : flags) FBits |= f;
  }
  constexpr bool Contains(TCanvasStateFlag flag) const { return (FBits & flag) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Include(TCanvasStateFlag flag) { FBits |= flag; }
  constexpr void Exclude(TCanvasStateFlag flag) { FBits &= static_cast<uint8_t>(~flag); }
  constexpr bool operator==(const TCanvasState&) const = default;

 private:
  uint8_t FBits = 0;
};

enum TCanvasOrientation { coLeftToRight, coRightToLeft };

class TCanvas : public TPersistent {
 public:
  TCanvas();
  // Forgets the DC (deselecting its objects); never releases it.
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // RequiredState(csHandleValid) first.
  HDC Handle();
  // Deselects the font, pen and brush from the old DC; nullptr forgets it. The
  // pen position carries over to the new DC.
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  TCanvasState State() const { return FState; }
  // Gets what is missing of ReqState: a DC from CreateHandle() (none raises
  // EInvalidOperation "Canvas does not allow drawing"), then selects the font
  // (and the text colour), the pen (and its mode), the brush (and the
  // background colour and mode).
  void RequiredState(TCanvasState ReqState);
  // Deselects the objects so the next drawing selects them again.
  void Refresh();

  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TBrush* Brush() const { return FBrush; }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TPen* Pen() const { return FPen; }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  // ETO_* flags added to every ExtTextOutA.
  int TextFlags() const { return FTextFlags; }
  void SetTextFlags(int Value) { FTextFlags = Value; }
  // Raster operation of CopyRect and CopyFrom.
  DWORD CopyMode() const { return FCopyMode; }
  void SetCopyMode(DWORD Value) { FCopyMode = Value; }
  // Right to left when the DC's layout is LAYOUT_RTL.
  TCanvasOrientation CanvasOrientation();

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Value) { FOnChange = std::move(Value); }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent Value) { FOnChanging = std::move(Value); }
  // Around every drawing call; public so that code drawing on Handle() itself
  // can bracket its own output.
  virtual void Changing();
  virtual void Changed();

  // A critical section, for canvases shared with another thread.
  void Lock();
  void Unlock();
  // Locks only when no one holds the lock; returns whether it did.
  bool TryLock();
  int LockCount() const { return FLockCount; }

  POINT PenPos();
  void SetPenPos(POINT Value);
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const RECT& Rect);
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const RECT& Rect);
  void Polygon(const POINT* Points, int Count);
  void Polyline(const POINT* Points, int Count);
  // With the brush.
  void FillRect(const RECT& Rect);
  void FrameRect(const RECT& Rect);
  void DrawFocusRect(const RECT& Rect);

  // The pen moves to X plus the text's width.
  void TextOut(int X, int Y, const std::string& Text);
  // Clipped to Rect, which is filled with the brush unless it is bsClear.
  void TextRect(const RECT& Rect, int X, int Y, const std::string& Text);
  SIZE TextExtent(const std::string& Text);
  int TextWidth(const std::string& Text);
  int TextHeight(const std::string& Text);

  // StretchBlt from Source with CopyMode.
  void CopyRect(const RECT& Dest, TCanvas* Source, const RECT& SourceRect);
  // The graphic at its own size with its top-left corner at (X, Y); a
  // transparent graphic leaves the canvas showing through its transparent parts.
  void Draw(int X, int Y, TGraphic* Graphic);
  // The graphic scaled to Rect.
  void StretchDraw(const RECT& Rect, TGraphic* Graphic);
  // Source of Bitmap copied to Dest, the pixels of colour Color replaced by the
  // canvas's brush (a plain copy when Color is clNone).
  void BrushCopy(const RECT& Dest, TBitmap* Bitmap, const RECT& Source, TColor Color);
  // BitBlt from another DC with CopyMode.
  void CopyFrom(int X, int Y, int Width, int Height, HDC Source, int SourceX, int SourceY);

  TColor Pixels(int X, int Y);
  void SetPixel(int X, int Y, TColor Color);
  void SetPixels(int X, int Y, TColor Color) { SetPixel(X, Y, Color); }
  RECT ClipRect();

 protected:
  // Asked for a DC when a drawing call finds none; the base has none to give.
  virtual void CreateHandle();

 private:
  void DeselectHandles();
  void SelectFont();
  void SelectPen();
  void SelectBrush();
  void FontChanged();
  void PenChanged();
  void BrushChanged();

  HDC FHandle = nullptr;
  TCanvasState FState;
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  POINT FPenPos = {0, 0};
  int FTextFlags = 0;
  DWORD FCopyMode = SRCCOPY;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
  CRITICAL_SECTION FLock;
  std::atomic<int> FLockCount{0};
};
