#include "framework/labels.h"

#include <algorithm>

#include "framework/labels_impl.h"
#include "framework/shortcuts.h"

namespace {

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
  if (!IsHotkeyChar(Message, Caption())) return;
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
  DrawLabelText(
      GetLabelText(), Rect, Flags,
      [](HDC DC, const std::string& Text, RECT& R, UINT F) {
        DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &R, F);
      },
      [this](const std::string& Text) { return Canvas()->TextWidth(Text); });
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

void TCustomLabel::SetTransparent(bool Value) { SetOpaque(!Value); }

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
