#include "framework/up_down.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "framework/edits.h"
#include "framework/exceptions.h"

namespace {

void InitUpDownClass() {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)initialised;
}

}  // namespace

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TWinControl(AOwner) {
  // The system control captures the mouse and repeats clicks itself.
  FControlStyle &= ~static_cast<TControlStyle>(csCaptureMouse | csClickEvents | csDoubleClicks);
  FWidth = GetSystemMetrics(SM_CXVSCROLL);
  FHeight = GetSystemMetrics(SM_CYVSCROLL) * 3 / 2;
}

void TCustomUpDown::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:
      CNNotify(Message);
      return;
    case CN_VSCROLL:
    case CN_HSCROLL:
      CNScroll(Message);
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

void TCustomUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAssociate) {
    if (FHandle != nullptr) SendMessageA(FHandle, UDM_SETBUDDY, 0, 0);
    FAssociate = nullptr;
  }
}

void TCustomUpDown::CreateParams(TCreateParams& Params) {
  InitUpDownClass();
  TWinControl::CreateParams(Params);
  Params.Style |= UDS_SETBUDDYINT | (FAlignButton == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT);
  if (FOrientation == udHorizontal) Params.Style |= UDS_HORZ;
  if (FArrowKeys) Params.Style |= UDS_ARROWKEYS;
  if (!FThousands) Params.Style |= UDS_NOTHOUSANDS;
  if (FWrap) Params.Style |= UDS_WRAP;
  CreateSubClass(Params, UPDOWN_CLASSA);
  Params.WindowClass.style =
      (Params.WindowClass.style & ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW)) | CS_DBLCLKS;
}

void TCustomUpDown::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SendMessageA(FHandle, UDM_SETPOS32, 0, FPosition);
  UDACCEL accel{0, static_cast<UINT>(FIncrement)};
  SendMessageA(FHandle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  if (FAssociate != nullptr) SetAssociate(FAssociate);
}

void TCustomUpDown::DestroyWnd() {
  FPosition = Position();
  TWinControl::DestroyWnd();
}

int32_t TCustomUpDown::Clamped(int32_t Value) const {
  return std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
}

void TCustomUpDown::SetRange() {
  if (FHandle == nullptr) return;
  SendMessageA(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  // The system leaves the position where it was; ours stays in the range.
  const int32_t current = Position();
  if (Clamped(current) != current) {
    FPosition = Clamped(current);
    SendMessageA(FHandle, UDM_SETPOS32, 0, FPosition);
  }
}

void TCustomUpDown::SetMin(int32_t Value) {
  if (FMin == Value) return;
  FMin = Value;
  FPosition = Clamped(FPosition);
  SetRange();
}

void TCustomUpDown::SetMax(int32_t Value) {
  if (FMax == Value) return;
  FMax = Value;
  FPosition = Clamped(FPosition);
  SetRange();
}

int32_t TCustomUpDown::Position() {
  // With an associate the system reads the number back from its text first.
  if (FHandle != nullptr) FPosition = static_cast<int32_t>(SendMessageA(FHandle, UDM_GETPOS32, 0, 0));
  return FPosition;
}

void TCustomUpDown::SetPosition(int32_t Value) {
  Value = Clamped(Value);
  const int32_t current = Position();
  if (Value == current) return;
  if (!DoCanChange(Value, Value - current)) return;
  FPosition = Value;
  if (FHandle != nullptr) {
    SendMessageA(FHandle, UDM_SETPOS32, 0, FPosition);
  } else if (auto* edit = dynamic_cast<TCustomEdit*>(FAssociate)) {
    edit->SetText(std::to_string(FPosition));
  }
}

void TCustomUpDown::SetIncrement(int32_t Value) {
  if (FIncrement == Value) return;
  FIncrement = Value;
  if (FHandle == nullptr) return;
  UDACCEL accel{0, static_cast<UINT>(FIncrement)};
  SendMessageA(FHandle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TCustomUpDown::SetAlignButton(TUDAlignButton Value) {
  if (FAlignButton == Value) return;
  FAlignButton = Value;
  RecreateWnd();
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
  if (FOrientation == Value) return;
  FOrientation = Value;
  std::swap(FWidth, FHeight);
  RecreateWnd();
}

void TCustomUpDown::SetArrowKeys(bool Value) {
  if (FArrowKeys == Value) return;
  FArrowKeys = Value;
  RecreateWnd();
}

void TCustomUpDown::SetWrap(bool Value) {
  if (FWrap == Value) return;
  FWrap = Value;
  RecreateWnd();
}

void TCustomUpDown::SetThousands(bool Value) {
  if (FThousands == Value) return;
  FThousands = Value;
  RecreateWnd();
}

void TCustomUpDown::SetAssociate(TWinControl* Value) {
  if (Value != nullptr && FParent != nullptr) {
    for (int32_t i = 0; i < FParent->ControlCount(); ++i) {
      auto* other = dynamic_cast<TCustomUpDown*>(FParent->Controls(i));
      if (other != nullptr && other != this && other->Associate() == Value) {
        throw EComponentError(L"%s is already associated with %s", {Value->Name(), other->Name()});
      }
    }
  }
  if (FAssociate != nullptr) {
    if (FHandle != nullptr) SendMessageA(FHandle, UDM_SETBUDDY, 0, 0);
    if (FAssociate != Value) FAssociate->RemoveFreeNotification(this);
    FAssociate = nullptr;
  }
  if (Value == nullptr || Value->Parent() != FParent || dynamic_cast<TCustomUpDown*>(Value)) return;
  if (FHandle != nullptr) {
    UndoAutoResizing(Value);
    SendMessageA(FHandle, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Value->Handle()), 0);
  }
  FAssociate = Value;
  Value->FreeNotification(this);
  if (auto* edit = dynamic_cast<TCustomEdit*>(Value)) edit->SetText(std::to_string(FPosition));
}

// The system narrows the associate to make room for the arrows; the control
// was laid out beside it, so the associate gets its width back (the second
// UDM_SETBUDDY narrows it again and places the arrows at its right edge).
void TCustomUpDown::UndoAutoResizing(TWinControl* Value) {
  const int origWidth = Value->Width();
  const int origLeft = Value->Left();
  SendMessageA(FHandle, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Value->Handle()), 0);
  const int deltaWidth = origWidth - Value->Width();
  const int deltaLeft = Value->Left() - origLeft;
  Value->SetBounds(origLeft - deltaLeft, Value->Top(), origWidth + deltaWidth, Value->Height());
}

void TCustomUpDown::CNNotify(TMessage& Message) {
  auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
  if (header == nullptr || header->code != static_cast<UINT>(UDN_DELTAPOS)) return;
  auto* change = reinterpret_cast<NMUPDOWN*>(Message.LParam);
  // Non-zero refuses the change.
  Message.Result = DoCanChange(change->iPos + change->iDelta, change->iDelta) ? 0 : 1;
}

void TCustomUpDown::CNScroll(TMessage& Message) {
  if (LOWORD(Message.WParam) != SB_THUMBPOSITION || FHandle == nullptr) return;
  const auto position = static_cast<int32_t>(SendMessageA(FHandle, UDM_GETPOS32, 0, 0));
  if (position > FPosition) {
    Click(btNext);
  } else if (position < FPosition) {
    Click(btPrev);
  }
  FPosition = position;
}

bool TCustomUpDown::DoCanChange(int32_t NewValue, int32_t Delta) {
  FNewValue = NewValue;
  FNewValueDelta = Delta;
  return CanChange();
}

bool TCustomUpDown::CanChange() {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, allow);
  return allow;
}

void TCustomUpDown::Click(TUDBtnType Button) {
  if (FOnClick) FOnClick(this, Button);
}
