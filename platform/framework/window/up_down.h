// The up-down (spin) control: comctl32's UPDOWN_CLASS under the framework.
// Its position lies in Min..Max (either may be the larger); an associated
// control beside it (usually an edit) shows the position as its text and
// takes the arrow keys. The control only points to its associate.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "framework/controls.h"

enum TUDAlignButton : uint8_t { udLeft, udRight };
enum TUDOrientation : uint8_t { udHorizontal, udVertical };
enum TUDBtnType : uint8_t { btNext, btPrev };

using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomUpDown : public TWinControl {
 public:
  explicit TCustomUpDown(TComponent* AOwner);

  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  int32_t Min() const { return FMin; }
  void SetMin(int32_t Value);
  int32_t Max() const { return FMax; }
  void SetMax(int32_t Value);
  // Read from the window (the user may have moved it); a new value is kept
  // within the range and asked for through OnChanging.
  int32_t Position();
  void SetPosition(int32_t Value);
  int32_t Increment() const { return FIncrement; }
  void SetIncrement(int32_t Value);
  // Must share the up-down's parent; EComponentError when another up-down of
  // that parent has it already. The edit's text becomes the position.
  TWinControl* Associate() const { return FAssociate; }
  void SetAssociate(TWinControl* Value);
  TUDAlignButton AlignButton() const { return FAlignButton; }
  void SetAlignButton(TUDAlignButton Value);
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation Value);
  bool ArrowKeys() const { return FArrowKeys; }
  void SetArrowKeys(bool Value);
  bool Wrap() const { return FWrap; }
  void SetWrap(bool Value);
  // Thousands separators in the associate's text.
  bool Thousands() const { return FThousands; }
  void SetThousands(bool Value);

  // The position the pending change leads to, valid inside OnChanging.
  int32_t NewValue() const { return FNewValue; }
  const TUDChangingEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(TUDChangingEvent Value) { FOnChanging = std::move(Value); }
  // Hides the control's own click event: the up-down tells which arrow.
  const TUDClickEvent& OnClick() const { return FOnClick; }
  void SetOnClick(TUDClickEvent Value) { FOnClick = std::move(Value); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual bool CanChange();
  using TWinControl::Click;
  virtual void Click(TUDBtnType Button);

 private:
  bool DoCanChange(int32_t NewValue, int32_t Delta);
  int32_t Clamped(int32_t Value) const;
  void SetRange();
  void UndoAutoResizing(TWinControl* Value);
  void CNNotify(TMessage& Message);
  void CNScroll(TMessage& Message);

  int32_t FMin = 0;
  int32_t FMax = 100;
  int32_t FPosition = 0;
  int32_t FIncrement = 1;
  int32_t FNewValue = 0;
  int32_t FNewValueDelta = 0;
  TWinControl* FAssociate = nullptr;
  TUDAlignButton FAlignButton = udRight;
  TUDOrientation FOrientation = udVertical;
  bool FArrowKeys = true;
  bool FWrap = false;
  bool FThousands = true;
  TUDChangingEvent FOnChanging;
  TUDClickEvent FOnClick;
};

class TUpDown : public TCustomUpDown {
 public:
  using TCustomUpDown::TCustomUpDown;
};
