#include "labeled_edit.h"

#include <algorithm>
#include <cctype>

#include "format.h"

namespace {

// Component names are ASCII identifiers, so ASCII case folding is enough.
bool SameNameIgnoringCase(const std::string& Text, const std::string& Name) {
  return std::equal(Text.begin(), Text.end(), Name.begin(), Name.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

POINT LabelPlacement(TLabelPosition Position, const RECT& EditBounds, SIZE LabelSize, int Spacing) {
  const int height = EditBounds.bottom - EditBounds.top;
  const int besideTop = EditBounds.top + (height - LabelSize.cy) / 2;
  switch (Position) {
    case lpBelow:
      return {EditBounds.left, EditBounds.bottom + Spacing};
    case lpLeft:
      return {EditBounds.left - LabelSize.cx - Spacing, besideTop};
    case lpRight:
      return {EditBounds.right + Spacing, besideTop};
    case lpAbove:
    default:
      return {EditBounds.left, EditBounds.top - LabelSize.cy - Spacing};
  }
}

// --- TBoundLabel ---

TBoundLabel::TBoundLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
  SetName(L"SubLabel");
  if (AOwner != nullptr) SetCaption(WideToAnsi(AOwner->Name()));
}

void TBoundLabel::AdjustBounds() {
  TCustomLabel::AdjustBounds();
  if (auto* edit = dynamic_cast<TCustomLabeledEdit*>(Owner())) edit->SetLabelPosition(edit->LabelPosition());
}

// --- TCustomLabeledEdit ---

TCustomLabeledEdit::TCustomLabeledEdit(TComponent* AOwner) : TCustomEdit(AOwner) { SetupInternalLabel(); }

void TCustomLabeledEdit::SetupInternalLabel() {
  if (FEditLabel != nullptr) return;
  FEditLabel = new TBoundLabel(this);
  FEditLabel->FreeNotification(this);
  FEditLabel->SetFocusControl(this);
}

void TCustomLabeledEdit::Dispatch(TMessage& Message) {
  TCustomEdit::Dispatch(Message);
  if (FEditLabel == nullptr) return;
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      FEditLabel->SetEnabled(Enabled());
      break;
    case CM_VISIBLECHANGED:
      FEditLabel->SetVisible(Visible());
      break;
    case CM_BIDIMODECHANGED:
      FEditLabel->SetBiDiMode(BiDiMode());
      break;
    default:
      break;
  }
}

void TCustomLabeledEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  SetLabelPosition(FLabelPosition);
}

void TCustomLabeledEdit::SetParent(TWinControl* AParent) {
  TCustomEdit::SetParent(AParent);
  if (FEditLabel == nullptr) return;
  FEditLabel->SetParent(AParent);
  FEditLabel->SetVisible(Visible());
  SetLabelPosition(FLabelPosition);
}

void TCustomLabeledEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FEditLabel) FEditLabel = nullptr;
}

void TCustomLabeledEdit::SetName(const std::wstring& NewName) {
  const std::string oldName = WideToAnsi(Name());
  TCustomEdit::SetName(NewName);
  if (FEditLabel == nullptr) return;
  const std::string caption = FEditLabel->Caption();
  if (caption.empty() || SameNameIgnoringCase(caption, oldName)) FEditLabel->SetCaption(WideToAnsi(NewName));
}

void TCustomLabeledEdit::SetLabelPosition(TLabelPosition Value) {
  FLabelPosition = Value;
  if (FEditLabel == nullptr) return;
  const POINT p = LabelPlacement(Value, BoundsRect(), SIZE{FEditLabel->Width(), FEditLabel->Height()},
                                 FLabelSpacing);
  FEditLabel->SetBounds(p.x, p.y, FEditLabel->Width(), FEditLabel->Height());
}

void TCustomLabeledEdit::SetLabelSpacing(int Value) {
  FLabelSpacing = Value;
  SetLabelPosition(FLabelPosition);
}
