#include "framework/button_controls.h"

#include "framework/format.h"
#include "framework/shortcuts.h"
#include "framework/themes.h"

namespace {

// The character of CM_DIALOGCHAR is the hot key of the ANSI Caption.
bool IsAccel(const TMessage& Message, const std::string& Caption) {
  const char hotkey = GetHotkey(Caption);
  if (hotkey == '\0' || CharCodeOf(Message) > 0xFF) return false;
  const char typed = static_cast<char>(CharCodeOf(Message));
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, &typed, 1, &hotkey, 1) == CSTR_EQUAL;
}

// Whether the control lays its text out from the right (the reading order
// and the alignment both reversed).
bool UseRightToLeftAlignment(const TControl* Control) {
  return Control->BiDiMode() == bdRightToLeft;
}

// BS_LEFTTEXT puts the text left of a check box or radio button; right to
// left reading mirrors that choice.
DWORD TextSideStyle(const TControl* Control, TAlignment Alignment) {
  const bool textLeft = Alignment == taLeftJustify;
  return textLeft != UseRightToLeftAlignment(Control) ? BS_LEFTTEXT : 0;
}

// The text side of a check box or radio button is a window style: a new side
// makes the window anew.
void ChangeTextSide(TWinControl* Control, TAlignment& Alignment, TAlignment Value) {
  if (Alignment == Value) return;
  Alignment = Value;
  Control->RecreateWnd();
}

// Taking an action's state is no click: a click would run OnClick and execute
// the action again.
void SetCheckedQuietly(TButtonControl* Button, bool Value) {
  const bool disabled = Button->ClicksDisabled();
  Button->SetClicksDisabled(true);
  try {
    Button->SetChecked(Value);
  } catch (...) {
    Button->SetClicksDisabled(disabled);
    throw;
  }
  Button->SetClicksDisabled(disabled);
}

}  // namespace

// --- TButtonActionLink ---

TButtonControl* TButtonActionLink::Button() const { return dynamic_cast<TButtonControl*>(FClient); }

bool TButtonActionLink::IsCheckedLinked() {
  TButtonControl* button = Button();
  return TWinControlActionLink::IsCheckedLinked() && button &&
         button->Checked() == CustomAction()->Checked();
}

void TButtonActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked()) return;
  SetCheckedQuietly(Button(), Value);
}

// --- TButtonControl ---

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TButtonControl::SetChecked(bool) {}

void TButtonControl::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TButtonControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  if (FWordWrap) Params.Style |= BS_MULTILINE;
}

void TButtonControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (HandleAllocated() && !Focused()) {
        const bool disabled = FClicksDisabled;
        FClicksDisabled = true;
        ::SetFocus(FHandle);
        FClicksDisabled = disabled;
        if (!Focused()) return;
      }
      break;
    case CN_COMMAND:
      if (FClicksDisabled) return;
      break;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

void TButtonControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
      // Under a theme the button draws on its parent's background (a themed
      // page or panel); the classic look takes the control's colour, which
      // follows the parent's unless set.
      if (DrawThemeParentBackgroundOf(FHandle, reinterpret_cast<HDC>(Message.WParam), nullptr)) {
        SetBkMode(reinterpret_cast<HDC>(Message.WParam), TRANSPARENT);
        Message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return;
      }
      break;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TWinControl::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action || (CheckDefaults && Checked())) return;
  SetCheckedQuietly(this, action->Checked());
}

TControlActionLinkClass TButtonControl::GetActionLinkClass() {
  return &NewActionLink<TButtonActionLink>;
}

// --- TButton ---

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FControlStyle = csSetCaption | csDoubleClicks;
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  TButtonControl::CreateWnd();
  FActive = FDefault;
}

void TButton::SetButtonStyle(bool ADefault) {
  if (!HandleAllocated()) return;
  const DWORD style = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((GetWindowLongPtrW(FHandle, GWL_STYLE) & BS_TYPEMASK) != style) {
    SendMessageW(FHandle, BM_SETSTYLE, style, TRUE);
  }
}

void TButton::SetDefault(bool Value) {
  FDefault = Value;
  if (!HandleAllocated()) return;
  if (TCustomForm* form = GetParentForm(this)) {
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
  }
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY: {
      const uint16_t key = CharCodeOf(Message);
      if (((key == VK_RETURN && FActive) || (key == VK_ESCAPE && FCancel)) &&
          KeyDataToShiftState(Message.LParam) == 0 && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(Message, Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
      FActive = dynamic_cast<TButton*>(focused) ? focused == this : FDefault;
      SetButtonStyle(FActive);
      break;
    }
    default:
      break;
  }
  TButtonControl::Dispatch(Message);
}

// --- TCustomCheckBox ---

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  FControlStyle = csSetCaption | csDoubleClicks;
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCustomCheckBox::SetAlignment(TAlignment Value) { ChangeTextSide(this, FAlignment, Value); }

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  // Not BS_AUTO3STATE: the control decides the next state (Toggle) and the
  // window only shows it.
  Params.Style |= BS_3STATE | TextSideStyle(this, FAlignment);
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageW(FHandle, BM_SETCHECK, FState, 0);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  if (HandleAllocated()) SendMessageW(FHandle, BM_SETCHECK, FState, 0);
  if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked:
      SetState(FAllowGrayed ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(Message, Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TButtonControl::Dispatch(Message);
}

// --- TRadioButton ---

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  // Its double clicks come as BN_DOUBLECLICKED, not from the mouse messages.
  FControlStyle = csSetCaption;
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetAlignment(TAlignment Value) { ChangeTextSide(this, FAlignment, Value); }

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  Params.Style |= BS_RADIOBUTTON | TextSideStyle(this, FAlignment);
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::TurnSiblingsOff() {
  if (!FParent) return;
  for (int32_t i = 0; i < FParent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TRadioButton*>(FParent->Controls(i));
    if (!sibling || sibling == this) continue;
    // An auto-checked action of the sibling follows it, as a click would.
    auto* action = dynamic_cast<TCustomAction*>(sibling->Action());
    if (action && action->AutoCheck()) action->SetChecked(false);
    sibling->SetChecked(false);
  }
}

void TRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  if (HandleAllocated()) SendMessageW(FHandle, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Value) return;
  TurnSiblingsOff();
  if (!ClicksDisabled()) Click();
}

void TRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case BN_CLICKED:
          SetChecked(true);
          break;
        case BN_DOUBLECLICKED:
          DblClick();
          break;
        default:
          break;
      }
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(Message, Caption()) && CanFocus()) {
        SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TButtonControl::Dispatch(Message);
}

// --- TCustomGroupBox ---

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption |
                  csDoubleClicks | csReplicatable | csParentBackground;
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::SetCtl3D(bool Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  Invalidate();
}

void TCustomGroupBox::AlignControls(TControl* AControl, RECT& Rect) {
  // The caption's height is the font's: measured on the screen, so that it
  // needs no window of the group box's own.
  SIZE caption{};
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    GetTextExtentPoint32A(dc, "0", 1, &caption);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  InflateRect(&Rect, -1, -1);
  Rect.top += caption.cy;
  TCustomControl::AlignControls(AControl, Rect);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(Message, Caption()) && CanFocus()) {
        SelectFirst();
        Message.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      Realign();
      return;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      Realign();
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
}

void TCustomGroupBox::SelectFirst() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  TWinControl* first = FindNextControl(nullptr, true, true, false);
  if (!first) first = FindNextControl(nullptr, true, false, false);
  if (first) form->SetActiveControl(first);
}

void TCustomGroupBox::Paint() { PaintGroupBox(AnsiToWide(Caption())); }

void TCustomGroupBox::PaintGroupBox(const std::wstring& Text) {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  canvas->Brush()->SetColor(Color());
  canvas->Changing();
  canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC dc = canvas->Handle();
  SIZE zero{};
  GetTextExtentPoint32W(dc, L"0", 1, &zero);
  const int h = zero.cy;
  const UINT readingFlags = DrawTextBiDiModeFlagsReadingOnly();

  if (ThemesEnabled()) {
    RECT caption{};
    if (!Text.empty()) {
      SIZE extent{};
      GetTextExtentPoint32W(dc, Text.c_str(), static_cast<int>(Text.size()), &extent);
      const int left = UseRightToLeftAlignment(this) ? Width() - 8 - extent.cx : 8;
      caption = RECT{left, 0, left + extent.cx, extent.cy};
    }
    RECT frame = ClientRect();
    frame.top = (caption.bottom - caption.top) / 2;
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
    const bool themed = DrawThemedGroupBox(FHandle, dc, frame, Enabled());
    RestoreDC(dc, saved);
    if (themed) {
      if (!Text.empty()) {
        DrawThemedGroupBoxText(FHandle, dc, Text, caption, DT_LEFT | readingFlags, Enabled());
      }
      canvas->Changed();
      return;
    }
  }

  RECT frame{0, h / 2 - 1, Width(), Height()};
  if (FCtl3D) {
    ++frame.left;
    ++frame.top;
    canvas->Brush()->SetColor(clBtnHighlight);
    canvas->FrameRect(frame);
    OffsetRect(&frame, -1, -1);
    canvas->Brush()->SetColor(clBtnShadow);
  } else {
    canvas->Brush()->SetColor(clWindowFrame);
  }
  canvas->FrameRect(frame);
  if (!Text.empty()) {
    canvas->Brush()->SetColor(Color());
    canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
    RECT r{8, 0, 0, h};
    const UINT flags = DT_SINGLELINE | readingFlags;
    DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, flags | DT_CALCRECT);
    if (UseRightToLeftAlignment(this)) OffsetRect(&r, Width() - 8 - r.right, 0);
    DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, flags);
  }
  canvas->Changed();
}
