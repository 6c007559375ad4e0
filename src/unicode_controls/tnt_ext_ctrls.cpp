#include "unicode_controls/tnt_ext_ctrls.h"

#include <algorithm>
#include <exception>

#include "foundation/tnt_system.h"
#include "framework/app_exceptions.h"

// --- TTntCustomPanel ---

void TTntCustomPanel::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

void TTntCustomPanel::Paint() {
  if (!Win32PlatformIsUnicode) {
    TTntWideTextControl::Paint();
    return;
  }
  PaintPanel(Caption());
}

// --- TTntCustomRadioGroup ---

TTntCustomRadioGroup::TTntCustomRadioGroup(TComponent* AOwner)
    : TTntCustomGroupBox(AOwner), FItems(new TTntStringList) {
  FControlStyle = csSetCaption | csDoubleClicks | csParentBackground;
  FItems->SetOnChange([this](TObject* Sender) { ItemsChange(Sender); });
}

TTntCustomRadioGroup::~TTntCustomRadioGroup() {
  FItems->SetOnChange(nullptr);
  SetButtonCount(0);
  delete FItems;
}

void TTntCustomRadioGroup::SetItems(TTntStrings* Value) { FItems->Assign(Value); }

void TTntCustomRadioGroup::SetItemIndex(int32_t Value) {
  if (FReading) {
    FItemIndex = Value;
    return;
  }
  Value = std::clamp(Value, -1, ButtonCount() - 1);
  if (FItemIndex == Value) return;
  if (FItemIndex >= 0 && FItemIndex < ButtonCount()) Buttons(FItemIndex)->SetChecked(false);
  FItemIndex = Value;
  if (FItemIndex >= 0) Buttons(FItemIndex)->SetChecked(true);
}

void TTntCustomRadioGroup::SetColumns(int32_t Value) {
  Value = std::clamp(Value, 1, 16);
  if (FColumns == Value) return;
  FColumns = Value;
  ArrangeButtons();
  Invalidate();
}

void TTntCustomRadioGroup::EndReading() {
  FReading = false;
  if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
  UpdateButtons();
}

void TTntCustomRadioGroup::ItemsChange(TObject*) {
  if (FReading) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
  UpdateButtons();
}

void TTntCustomRadioGroup::UpdateButtons() {
  SetButtonCount(FItems->Count());
  for (int32_t i = 0; i < ButtonCount(); ++i) Buttons(i)->SetCaption(FItems->Strings(i));
  if (FItemIndex >= 0 && FItemIndex < ButtonCount()) {
    // The button's click comes back to ButtonClick, which must not count it
    // as the user's.
    FUpdating = true;
    try {
      Buttons(FItemIndex)->SetChecked(true);
    } catch (...) {
      FUpdating = false;
      throw;
    }
    FUpdating = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TTntCustomRadioGroup::SetButtonCount(int32_t Value) {
  while (ButtonCount() < Value) new TTntGroupButton(this);
  while (ButtonCount() > Value) delete FButtons.back();
}

void TTntCustomRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || FReading) return;
  TEXTMETRICA metrics{};
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  const int textHeight = metrics.tmHeight;
  // The window's own size: during WM_SIZE the framework's bounds may still
  // be the old ones.
  int width = Width(), height = Height();
  if (HandleAllocated()) {
    RECT r{};
    GetWindowRect(FHandle, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
  }
  const int count = ButtonCount();
  const int perColumn = (count + FColumns - 1) / FColumns;
  const int buttonWidth = (width - 10) / FColumns;
  const int space = height - textHeight - 5;
  const int buttonHeight = space / perColumn;
  const int topMargin = textHeight + 1 + (space % perColumn) / 2;
  const bool rightToLeft = BiDiMode() == bdRightToLeft;
  HDWP defer = HandleAllocated() ? BeginDeferWindowPos(count) : nullptr;
  for (int i = 0; i < count; ++i) {
    TTntGroupButton* button = Buttons(i);
    button->SetBiDiMode(BiDiMode());
    int left = (i / perColumn) * buttonWidth + 8;
    if (rightToLeft) left = ClientWidth() - left - buttonWidth;
    const int top = (i % perColumn) * buttonHeight + topMargin;
    if (defer) {
      defer = DeferWindowPos(defer, button->Handle(), nullptr, left, top, buttonWidth, buttonHeight,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!defer) button->SetBounds(left, top, buttonWidth, buttonHeight);
    button->SetVisible(true);
  }
  if (defer) EndDeferWindowPos(defer);
}

void TTntCustomRadioGroup::ButtonClick(TObject* Sender) {
  if (FUpdating) return;
  auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
  FItemIndex = it == FButtons.end() ? -1 : static_cast<int32_t>(it - FButtons.begin());
  Click();
}

void TTntCustomRadioGroup::Loaded() {
  TTntCustomGroupBox::Loaded();
  ArrangeButtons();
}

void TTntCustomRadioGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
    case CM_FONTCHANGED:
      TTntCustomGroupBox::Dispatch(Message);
      ArrangeButtons();
      return;
    case CM_ENABLEDCHANGED:
      TTntCustomGroupBox::Dispatch(Message);
      for (TTntGroupButton* button : FButtons) button->SetEnabled(Enabled());
      return;
    default:
      TTntCustomGroupBox::Dispatch(Message);
  }
}

// --- TTntGroupButton ---

TTntGroupButton::TTntGroupButton(TTntCustomRadioGroup* Group)
    : TTntRadioButton(Group), FGroup(Group) {
  Group->FButtons.push_back(this);
  SetVisible(false);
  SetEnabled(Group->Enabled());
  SetParentShowHint(false);
  SetOnClick([Group](TObject* Sender) { Group->ButtonClick(Sender); });
  SetParent(Group);
}

TTntGroupButton::~TTntGroupButton() {
  auto& buttons = FGroup->FButtons;
  buttons.erase(std::remove(buttons.begin(), buttons.end(), this), buttons.end());
}

void TTntGroupButton::Dispatch(TMessage& Message) {
  if (Message.Msg != CN_COMMAND) {
    TTntRadioButton::Dispatch(Message);
    return;
  }
  if (FInClick) return;
  FInClick = true;
  try {
    const WORD code = HIWORD(Message.WParam);
    if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && FGroup->CanModify()) {
      TTntRadioButton::Dispatch(Message);
    }
  } catch (...) {
    ApplicationHandleException(std::current_exception());
  }
  FInClick = false;
}

void TTntGroupButton::KeyPress(char& Key) {
  TTntRadioButton::KeyPress(Key);
  FGroup->KeyPress(Key);
  if ((Key == '\b' || Key == ' ') && !FGroup->CanModify()) Key = 0;
}

void TTntGroupButton::KeyDown(uint16_t& Key, TShiftState Shift) {
  TTntRadioButton::KeyDown(Key, Shift);
  FGroup->KeyDown(Key, Shift);
}
