#include "unicode_controls/tnt_labeled_edit.h"

#include <algorithm>

namespace {

// Component names are ASCII identifiers, so ASCII case folding is enough.
bool SameNameIgnoringCase(const std::wstring& Text, const std::wstring& Name) {
  return std::equal(Text.begin(), Text.end(), Name.begin(), Name.end(), [](wchar_t a, wchar_t b) {
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
    return fold(a) == fold(b);
  });
}

}  // namespace

// --- TTntBoundLabel ---

TTntBoundLabel::TTntBoundLabel(TComponent* AOwner) : TTntCustomLabel(AOwner) {
  SetName(L"SubLabel");
  if (AOwner != nullptr) SetCaption(AOwner->Name());
}

void TTntBoundLabel::AdjustBounds() {
  TTntCustomLabel::AdjustBounds();
  if (auto* edit = dynamic_cast<TTntCustomLabeledEdit*>(Owner())) edit->SetLabelPosition(edit->LabelPosition());
}

// --- TTntCustomLabeledEdit ---

TTntCustomLabeledEdit::TTntCustomLabeledEdit(TComponent* AOwner) : TTntCustomEdit(AOwner) {
  SetupInternalLabel();
}

void TTntCustomLabeledEdit::SetupInternalLabel() {
  if (FEditLabel != nullptr) return;
  FEditLabel = new TTntBoundLabel(this);
  FEditLabel->FreeNotification(this);
  FEditLabel->SetFocusControl(this);
}

void TTntCustomLabeledEdit::Dispatch(TMessage& Message) {
  TTntCustomEdit::Dispatch(Message);
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

void TTntCustomLabeledEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TTntCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  SetLabelPosition(FLabelPosition);
}

void TTntCustomLabeledEdit::SetParent(TWinControl* AParent) {
  TTntCustomEdit::SetParent(AParent);
  if (FEditLabel == nullptr) return;
  FEditLabel->SetParent(AParent);
  FEditLabel->SetVisible(Visible());
  SetLabelPosition(FLabelPosition);
}

void TTntCustomLabeledEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TTntCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FEditLabel) FEditLabel = nullptr;
}

void TTntCustomLabeledEdit::SetName(const std::wstring& NewName) {
  const std::wstring oldName = Name();
  TTntCustomEdit::SetName(NewName);
  if (FEditLabel == nullptr) return;
  const std::wstring caption = FEditLabel->Caption();
  if (caption.empty() || SameNameIgnoringCase(caption, oldName)) FEditLabel->SetCaption(NewName);
}

void TTntCustomLabeledEdit::SetLabelPosition(TLabelPosition Value) {
  FLabelPosition = Value;
  if (FEditLabel == nullptr) return;
  const POINT p = LabelPlacement(Value, BoundsRect(), SIZE{FEditLabel->Width(), FEditLabel->Height()},
                                 FLabelSpacing);
  FEditLabel->SetBounds(p.x, p.y, FEditLabel->Width(), FEditLabel->Height());
}

void TTntCustomLabeledEdit::SetLabelSpacing(int Value) {
  FLabelSpacing = Value;
  SetLabelPosition(FLabelPosition);
}
