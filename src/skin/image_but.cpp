#include "skin/image_but.h"

#include <algorithm>

#include "foundation/string_func.h"
#include "framework/timer.h"
#include "skin/skin_cells.h"
#include "unicode_controls/tnt_graphics.h"

namespace {

constexpr TColor kButtonKey = 0xFF0000;  // pure blue: outside a button's shape

// W x H pixels of Source from (SX, SY) to (X, Y) of DC, cut to what Source
// holds, so a picture smaller than the window is never read outside.
void CopyPiece(HDC DC, int X, int Y, int W, int H, TBitmap* Source, int SX, int SY) {
  W = std::min(W, Source->Width() - SX);
  H = std::min(H, Source->Height() - SY);
  if (W <= 0 || H <= 0 || SX < 0 || SY < 0) return;
  BitBlt(DC, X, Y, W, H, Source->Canvas()->Handle(), SX, SY, SRCCOPY);
}

void FillSolid(HDC DC, int W, int H, TColor Color) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
  RECT all{0, 0, W, H};
  FillRect(DC, &all, brush);
  DeleteObject(brush);
}

// The outline that marks a control at design time, where its picture may be
// missing.
void DrawDesignOutline(HDC DC, int W, int H) {
  HPEN pen = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(DC, pen);
  HGDIOBJ oldBrush = SelectObject(DC, GetStockObject(NULL_BRUSH));
  Rectangle(DC, 0, 0, W, H);
  SelectObject(DC, oldBrush);
  SelectObject(DC, oldPen);
  DeleteObject(pen);
}

// An off-screen 24-bit picture of a control; Finish copies it in one block.
class OffScreen {
 public:
  OffScreen(int W, int H) : FWidth(W), FHeight(H) {
    FBitmap.SetPixelFormat(pf24bit);
    FBitmap.SetSize(W, H);
  }
  HDC DC() { return FBitmap.Canvas()->Handle(); }
  void Finish(TComponent* Control, HDC Dest) {
    if (Control->ComponentState().Contains(csDesigning)) DrawDesignOutline(DC(), FWidth, FHeight);
    BitBlt(Dest, 0, 0, FWidth, FHeight, DC(), 0, 0, SRCCOPY);
  }

 private:
  TBitmap FBitmap;
  int FWidth, FHeight;
};

}  // namespace

// ---------------------------------------------------------------- TImageBut

TImageBut::TImageBut(TComponent* AOwner)
    : TCustomControl(AOwner), FBut(std::make_unique<TBitmap>()) {
  FControlStyle |= csOpaque;
  FBut->SetOnChange([this](TObject*) { Invalidate(); });
}

TImageBut::~TImageBut() {
  if (FRegion != nullptr) DeleteObject(FRegion);
}

void TImageBut::SetState(TState Value) {
  FState = Value;
  Invalidate();
}

void TImageBut::SetNumStates(uint8_t Value) {
  if (Value < 1 || Value > 4) return;
  FNumStates = Value;
  Invalidate();
}

void TImageBut::SetChecked(bool Value) {
  FChecked = Value;
  Invalidate();
}

void TImageBut::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  Invalidate();
}

void TImageBut::SetBut(TBitmap* Value) {
  // The shape comes from the new picture's own top frame: its height, not
  // that of the picture it replaces.
  const int width = Value != nullptr ? Value->Width() : 0;
  const int frameHeight = Value != nullptr ? Value->Height() / FNumStates : 0;
  HRGN region = nullptr;
  if (width > 0 && frameHeight > 0) {
    TBitmap shape;
    shape.SetPixelFormat(pf24bit);
    shape.SetSize(width, frameHeight);
    BitBlt(shape.Canvas()->Handle(), 0, 0, width, frameHeight, Value->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    region = CreateRegionFromBitmap(&shape, kButtonKey);
    // A frame without key pixels is the whole rectangle: no region at all,
    // which spares the window system a shape for every square button.
    RECT box{};
    if (region != nullptr && GetRgnBox(region, &box) == SIMPLEREGION && box.left == 0 &&
        box.top == 0 && box.right == width && box.bottom == frameHeight) {
      DeleteObject(region);
      region = nullptr;
    }
  }
  const bool unchanged = region == nullptr && FRegion == nullptr;
  if (FRegion != nullptr) DeleteObject(FRegion);
  FRegion = region;
  if (!unchanged) ApplyRegion();
  if (Value == nullptr)
    FBut->SetHandle(nullptr);
  else if (Value != FBut.get())
    FBut->Assign(Value);
  Invalidate();
}

void SetButtonPicture(TImageBut* Button, TBitmap* Picture) {
  Button->SetBut(Picture);
  Button->SetBounds(Button->Left(), Button->Top(), Picture->Width(),
                    Picture->Height() / std::max<int>(Button->NumStates(), 1));
}

void TImageBut::ApplyRegion() {
  if (!HandleAllocated()) return;
  // SetWindowRgn takes the region it is given, and a re-created window needs
  // the shape again: each window gets a copy. No region gives the full rectangle.
  HRGN copy = nullptr;
  if (FRegion != nullptr) {
    copy = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(copy, FRegion, nullptr, RGN_COPY);
  }
  if (!SetWindowRgn(FHandle, copy, TRUE) && copy != nullptr) DeleteObject(copy);
}

void TImageBut::CreateWnd() {
  TCustomControl::CreateWnd();
  ApplyRegion();
}

void TImageBut::SetPosition(POINT Pos, SkinAlignCode Align) {
  FSkinPos = Pos;
  FSkinAlign = Align;
  ApplyPosition();
}

void TImageBut::ApplyPosition() {
  PlaceControl(this, Parent(), FSkinPos.x, FSkinAlign, FSkinPos.y);
}

int32_t TImageBut::Frame() const {
  int32_t frame = FChecked ? 2 : !FActive ? 3 : FHot ? 1 : 0;
  // A held check button shows frame 1 over whatever it would show.
  if (FDown) frame = 1;
  return frame < FNumStates ? frame : 0;
}

void TImageBut::Paint() {
  const int w = FWidth, h = FHeight;
  if (w <= 0 || h <= 0) return;
  OffScreen picture(w, h);
  const int frameHeight = FBut->Height() / FNumStates;
  if (w > FBut->Width() || h > frameHeight) FillSolid(picture.DC(), w, h, FColor);
  CopyPiece(picture.DC(), 0, 0, w, std::min(h, frameHeight), FBut.get(), 0, Frame() * frameHeight);
  picture.Finish(this, Canvas()->Handle());
}

void TImageBut::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (FState == stCheck)
      FDown = true;
    else
      FChecked = true;
    Invalidate();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TImageBut::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (FState == stCheck)
      FDown = false;
    else
      FChecked = false;
    const RECT client = ClientRect();
    if (!PtInRect(&client, POINT{X, Y})) FHot = false;
    Invalidate();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TImageBut::Click() {
  if (FState == stCheck && FControlType == ctAuto) FChecked = !FChecked;
  Invalidate();
  TCustomControl::Click();
}

void TImageBut::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
    TCustomControl::Dispatch(Message);
    // Check buttons never show the hot frame.
    if (FState == stNormal) {
      FHot = Message.Msg == CM_MOUSEENTER;
      Invalidate();
    }
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------- TScrollLabel

TScrollLabel::TScrollLabel(TComponent* AOwner) : TTntLabel(AOwner), FTimer(new TTimer(this)) {
  SetAutoSize(false);
  // A song's "&" is a character of its title, no hot-key mark.
  SetShowAccelChar(false);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(200);
  FTimer->SetOnTimer([this](TObject* Sender) { TimerTick(Sender); });
}

TScrollLabel::~TScrollLabel() = default;

void TScrollLabel::SetText(const std::wstring& Value) {
  FFullText = Value;
  SetCaption(Value);
  UpdateScrolling();
}

void TScrollLabel::UpdateScrolling() {
  const std::wstring caption = Caption();
  // An empty text has nothing to scroll, even in a label not yet sized.
  if (!caption.empty() && WideFontTextSize(Font()->Handle(), caption).cx >= Width()) {
    SetCaption(caption + L" *** ");
    FTimer->SetEnabled(true);
  } else {
    FTimer->SetEnabled(false);
  }
}

void TScrollLabel::TimerTick(TObject*) {
  if (FOnScrollStep) FOnScrollStep(this);
  const std::wstring caption = Caption();
  // A character outside the basic plane moves whole: half of it at either
  // end would show as two broken characters.
  const size_t step = PairStartsAt(caption, 0) ? 2 : 1;
  if (caption.size() > step) SetCaption(caption.substr(step) + caption.substr(0, step));
}

// ---------------------------------------------------------------- TButLabel

TButLabel::TButLabel(TComponent* AOwner) : TTntLabel(AOwner) {}

void TButLabel::Dispatch(TMessage& Message) {
  TTntLabel::Dispatch(Message);
  if (ComponentState().Contains(csDesigning)) return;
  if (Message.Msg == CM_MOUSEENTER) {
    TFontStyles style = Font()->Style();
    if (FUnderline) style.Include(fsUnderline);
    Font()->SetStyle(style);
    FSavedColor = Font()->Color();
    Font()->SetColor(FOverColor);
  } else if (Message.Msg == CM_MOUSELEAVE) {
    TFontStyles style = Font()->Style();
    style.Exclude(fsUnderline);
    Font()->SetStyle(style);
    Font()->SetColor(FSavedColor);
  }
}

// ---------------------------------------------------------------- TPicTimeLabel

TPicTimeLabel::TPicTimeLabel(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyphs(std::make_unique<TBitmap>()) {
  FControlStyle &= ~csOpaque;
  std::fill(std::begin(FCodes), std::end(FCodes), TimeGlyphBlank);
  SetOnClick([this](TObject* Sender) { ToggleRemaining(Sender); });
}

TPicTimeLabel::~TPicTimeLabel() = default;

void TPicTimeLabel::SetGlyphs(TBitmap* Value) {
  if (Value == nullptr)
    FGlyphs->SetHandle(nullptr);
  else if (Value != FGlyphs.get())
    FGlyphs->Assign(Value);
  SetHeight(FGlyphs->Height());
  FGlyphWidth = FGlyphs->Width() / 12;
  Invalidate();
}

void TPicTimeLabel::SetAlignment(uint8_t Value) {
  FAlignment = Value;
  Invalidate();
}

void TPicTimeLabel::SetShowRemaining(bool Value) {
  FShowRemaining = Value;
  SetTime(FLength, FPosition);
}

void TPicTimeLabel::ToggleRemaining(TObject*) {
  SetShowRemaining(!FShowRemaining);
  Invalidate();
}

void TPicTimeLabel::SetTime(int32_t Length, int32_t Position) {
  FLength = Length;
  FPosition = Position;
  // Negative times (a player that does not know) show as zero; the largest
  // 32-bit times still fit the nine places ("-71582:47").
  const bool remaining = FShowRemaining && Position <= Length;
  const int64_t shown = remaining ? int64_t{Length} - Position : Position;
  const std::string digits =
      FormatMinSec(static_cast<uint32_t>(std::clamp<int64_t>(shown, 0, UINT32_MAX)), 1);
  SetText(remaining ? "-" + digits : digits);
  Invalidate();
  Update();
}

std::string TPicTimeLabel::GetText() { return FTimeText; }

void TPicTimeLabel::SetTextBuf(const std::string& Value) {
  // Only nine places exist; Count always matches the text kept.
  FTimeText = Value.substr(0, TimeLabelPlaces);
  FCount = static_cast<uint8_t>(FTimeText.size());
  std::fill(std::begin(FCodes), std::end(FCodes), TimeGlyphBlank);
  for (size_t i = 0; i < FTimeText.size(); ++i) {
    const char c = FTimeText[i];
    if (c >= '0' && c <= '9') FCodes[i] = static_cast<uint8_t>(c - '0');
    if (c == ':') FCodes[i] = TimeGlyphColon;
    if (c == '-') FCodes[i] = TimeGlyphMinus;
  }
  Invalidate();
}

uint8_t TPicTimeLabel::Codes(int32_t Index) const {
  return Index >= 0 && Index < TimeLabelPlaces ? FCodes[Index] : TimeGlyphBlank;
}

void TPicTimeLabel::Paint() {
  TGraphicControl::Paint();
  const int w = FWidth, h = FHeight;
  if (w <= 0 || h <= 0) return;
  const int textWidth = FCount * FGlyphWidth;
  int x = FAlignment == 2 ? (w - textWidth) / 2 : FAlignment == 3 ? w - textWidth : 0;
  // The label is not opaque: what lies under it is taken into the off-screen
  // picture first, so blank places show it.
  HDC dest = Canvas()->Handle();
  OffScreen picture(w, h);
  BitBlt(picture.DC(), 0, 0, w, h, dest, 0, 0, SRCCOPY);
  for (int i = 0; i < FCount; ++i, x += FGlyphWidth)
    if (FCodes[i] < TimeGlyphBlank)
      CopyPiece(picture.DC(), x, 0, FGlyphWidth, FGlyphs->Height(), FGlyphs.get(),
                FCodes[i] * FGlyphWidth, 0);
  picture.Finish(this, dest);
}

// ---------------------------------------------------------------- TStateControl

TStateControl::TStateControl(TComponent* AOwner)
    : TCustomControl(AOwner), FImage(std::make_unique<TBitmap>()) {
  FControlStyle |= csOpaque;
  SetBounds(FLeft, FTop, 30, 30);
  FImage->SetOnChange([this](TObject*) { Invalidate(); });
}

TStateControl::~TStateControl() = default;

void TStateControl::SetImage(TBitmap* Value) {
  if (Value == nullptr)
    FImage->SetHandle(nullptr);
  else if (Value != FImage.get())
    FImage->Assign(Value);
  Invalidate();
}

void TStateControl::SetPlayState(TPlayState Value) {
  FPlayState = Value;
  Invalidate();
}

void TStateControl::Paint() {
  const int w = FWidth, h = FHeight;
  if (w <= 0 || h <= 0) return;
  const int frameWidth = FImage->Width() / 3;
  const int left = FPlayState == psPlay ? 0 : FPlayState == psPause ? frameWidth : frameWidth * 2;
  OffScreen picture(w, h);
  if (w > frameWidth || h > FImage->Height()) FillSolid(picture.DC(), w, h, FColor);
  CopyPiece(picture.DC(), 0, 0, std::min(w, frameWidth), h, FImage.get(), left, 0);
  picture.Finish(this, Canvas()->Handle());
}
