#include "labels.h"

#include <algorithm>

#include "shortcuts.h"

namespace {

constexpr char kEllipsis[] = "...";

// The canvas draws on DC while the scope lives; a DC of the scope's own
// (Owned) is released with it.
class CanvasDCScope {
 public:
  CanvasDCScope(TCanvas* Canvas, HDC DC, bool Owned) : FCanvas(Canvas), FDC(DC), FOwned(Owned) {
    if (auto* control = dynamic_cast<TControlCanvas*>(FCanvas)) control->FreeHandle();
    FCanvas->SetHandle(DC);
  }
  ~CanvasDCScope() {
    FCanvas->SetHandle(nullptr);
    if (FOwned) ReleaseDC(nullptr, FDC);
  }
  CanvasDCScope(const CanvasDCScope&) = delete;
  CanvasDCScope& operator=(const CanvasDCScope&) = delete;

 private:
  TCanvas* FCanvas;
  HDC FDC;
  bool FOwned;
};

UINT AlignmentFlag(TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify:
      return DT_RIGHT;
    case taCenter:
      return DT_CENTER;
    default:
      return DT_LEFT;
  }
}

int LineHeight(HDC DC) {
  TEXTMETRICA metrics{};
  return GetTextMetricsA(DC, &metrics) ? metrics.tmHeight : 0;
}

bool SameCharIgnoringCase(char A, char B) {
  char pair[2] = {A, B};
  CharUpperBuffA(pair, 2);
  return pair[0] == pair[1];
}

}  // namespace

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle |= csOpaque | csReplicatable;
  SetBounds(0, 0, 65, 17);
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      return;
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      AdjustBounds();
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(Message);
      return;
    default:
      TGraphicControl::Dispatch(Message);
  }
}

void TCustomLabel::CMDialogChar(TMessage& Message) {
  if (FFocusControl == nullptr || !Enabled() || !FShowAccelChar) return;
  const char hotkey = GetHotkey(Caption());
  // A character carried in the high word (the Unicode layer's packing) is
  // no byte of the code page.
  if (hotkey == 0 || CharCodeOf(Message) > 0xFF || WParamHighOf(Message) != 0) return;
  if (!SameCharIgnoringCase(static_cast<char>(CharCodeOf(Message)), hotkey)) return;
  if (FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    Message.Result = 1;
  }
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

std::string TCustomLabel::GetLabelText() { return Caption(); }

UINT TCustomLabel::EllipsisFlag() const {
  if (FAutoSize) return 0;
  switch (FEllipsisPosition) {
    case epPathEllipsis:
      return DT_PATH_ELLIPSIS;
    case epEndEllipsis:
      return DT_END_ELLIPSIS;
    case epWordEllipsis:
      return DT_WORD_ELLIPSIS;
    default:
      return 0;
  }
}

TAlignment TCustomLabel::DrawnAlignment() const {
  if (BiDiMode() != bdRightToLeft || FAlignment == taCenter) return FAlignment;
  return FAlignment == taLeftJustify ? taRightJustify : taLeftJustify;
}

void TCustomLabel::DoDrawText(RECT& Rect, UINT Flags) {
  std::string text = GetLabelText();
  // An empty caption (or a lone hot-key mark) still measures one line high.
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
  if (text.empty()) return;
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  Flags |= DrawTextBiDiModeFlagsReadingOnly();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = canvas->Handle();
  std::string shown = text;
  if (const UINT ellipsis = EllipsisFlag()) {
    Flags = (Flags & ~static_cast<UINT>(DT_EXPANDTABS)) | ellipsis;
    if (FWordWrap && (FEllipsisPosition == epEndEllipsis || FEllipsisPosition == epWordEllipsis)) {
      // Wrapped lines get no ellipsis of the system's: the text is cut at its
      // last blank (or by a character) until it fits with "..." after it.
      const int room = std::max(ClientHeight(), LineHeight(dc));
      const int dots = canvas->TextWidth(kEllipsis);
      for (;;) {
        RECT measured = Rect;
        measured.right -= dots;
        DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &measured, Flags | DT_CALCRECT);
        if (measured.bottom - measured.top <= room) break;
        const size_t blank = text.find_last_of(" \t");
        text.erase(blank == std::string::npos ? text.size() - 1 : blank);
        if (text.empty()) return;
        shown = text + kEllipsis;
      }
    }
  }
  canvas->Changing();
  auto draw = [&](RECT& r) { DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &r, Flags); };
  if (Enabled() || (Flags & DT_CALCRECT)) {
    draw(Rect);
  } else {
    OffsetRect(&Rect, 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->RequiredState({csFontValid});
    draw(Rect);
    OffsetRect(&Rect, -1, -1);
    canvas->Font()->SetColor(clBtnShadow);
    canvas->RequiredState({csFontValid});
    draw(Rect);
  }
  canvas->Changed();
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  const RECT client = ClientRect();
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
  }
  canvas->Brush()->SetStyle(bsClear);
  RECT rect = client;
  const UINT style = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | AlignmentFlag(DrawnAlignment());
  if (FLayout != tlTop) {
    RECT measured = rect;
    DoDrawText(measured, style | DT_CALCRECT);
    const int spare = Height() - measured.bottom;
    OffsetRect(&rect, 0, FLayout == tlBottom ? spare : spare / 2);
  }
  DoDrawText(rect, style);
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading)) return;
  RECT rect = ClientRect();
  {
    CanvasDCScope scope(Canvas(), GetDC(nullptr), true);
    DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
  }
  int left = Left();
  if (DrawnAlignment() == taRightJustify) left += Width() - rect.right;
  SetBounds(left, Top(), rect.right, rect.bottom);
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
  if (FEllipsisPosition == Value) return;
  FEllipsisPosition = Value;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value) {
    FControlStyle &= ~static_cast<TControlStyle>(csOpaque);
  } else {
    FControlStyle |= csOpaque;
  }
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl != nullptr) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value != nullptr) Value->FreeNotification(this);
}
