// Controls: the visual components.
//   TControl        bounds inside a parent, visibility, ANSI text, hint, font,
//                   colour, mouse events, painting requests, actions, and the
//                   message chain WindowProc -> WndProc -> Dispatch -> DefaultHandler.
//   TWinControl     a control with a window: creation from TCreateParams (a
//                   class of its own, or a subclassed system class), child
//                   controls, focus and tab order, keyboard handling, and the
//                   reflection of parent notifications as CN_* messages.
//   TGraphicControl a windowless control painted by its parent.
//   TCustomControl  a windowed control that paints itself on its Canvas.
//
// Ownership: a control belongs to its owner (TComponent) and points to its
// parent; a parent that dies first frees the children still in it (they leave
// their owners as they go), so no child is left with a dead parent. A
// TWinControl owns its window: the window dies with it, children's windows
// first, and the text survives in the control when only the window goes.
//
// Windows find their control through the window property ControlAtom(); the
// framework's own window procedure (ControlWndProc) is a plain function that
// looks it up. The first message of a new window goes to InitWndProc, which
// binds the window to CreationControl() and installs ControlWndProc with the
// function family (W or A) that matches the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/messages.h"
#include "framework/string_list.h"

class TControl;
class TWinControl;
class TPopupMenu;

// A system control that refused to take more ("Unable to insert a line").
TAVRIN_DECLARE_EXCEPTION(EOutOfResources, Exception);

// A method pointer that can be compared: the object and a function that calls
// one member of it. Two values are the same method when Code (and Data) match.
struct TWindowMethod {
  void* Data = nullptr;
  void (*Code)(void* Data, TMessage& Message) = nullptr;

  void operator()(TMessage& Message) const { Code(Data, Message); }
  explicit operator bool() const { return Code != nullptr; }
  bool operator==(const TWindowMethod&) const = default;
};

// MakeWindowMethod<&TMyClass::Method>(object): the comparable pointer to
// object->Method. Every instantiation has its own Code.
template <auto Method, typename T>
TWindowMethod MakeWindowMethod(T* Object) {
  return TWindowMethod{Object, [](void* Data, TMessage& Message) {
                         (static_cast<T*>(Data)->*Method)(Message);
                       }};
}

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

enum TShiftStateFlag : uint16_t {
  ssShift = 1 << 0,
  ssAlt = 1 << 1,
  ssCtrl = 1 << 2,
  ssLeft = 1 << 3,
  ssRight = 1 << 4,
  ssMiddle = 1 << 5,
  ssDouble = 1 << 6,
};
using TShiftState = uint16_t;  // or-ed TShiftStateFlag

// From the MK_* flags of a mouse message, and from the keyboard now.
TShiftState MouseKeysToShiftState(WPARAM Keys);
// From the key data of a keyboard message (Alt from bit 29) and the keyboard.
TShiftState KeyDataToShiftState(LPARAM KeyData);

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

enum TControlStyleFlag : uint32_t {
  csAcceptsControls = 1u << 0,
  csCaptureMouse = 1u << 1,
  csClickEvents = 1u << 2,
  csFramed = 1u << 3,
  csSetCaption = 1u << 4,
  csOpaque = 1u << 5,
  csDoubleClicks = 1u << 6,
  csFixedWidth = 1u << 7,
  csFixedHeight = 1u << 8,
  csReplicatable = 1u << 9,
  csNoStdEvents = 1u << 10,
  csActionClient = 1u << 11,
  csMenuEvents = 1u << 12,
  csParentBackground = 1u << 13,
};
using TControlStyle = uint32_t;

enum TControlStateFlag : uint32_t {
  csLButtonDown = 1u << 0,
  csClicked = 1u << 1,
  csReadingState = 1u << 2,
  csAlignmentNeeded = 1u << 3,
  csFocusing = 1u << 4,
  csCreating = 1u << 5,
  csPaintCopy = 1u << 6,
  csCustomPaint = 1u << 7,
  csDestroyingHandle = 1u << 8,
};
using TControlState = uint32_t;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TBiDiMode : uint8_t { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign,
                           bdRightToLeftReadingOnly };
// Horizontal placement of a control's text (edits, memos, labels, panels).
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
// The system's standard cursors (IDC_ARROW, IDC_SIZENESW, ...).
constexpr TCursor crArrow = -2;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;

// Limits of a control's size in pixels; 0 means no limit, negative values are
// taken as 0. Only stored here: the windows that honour them read them (a
// form's minimum tracking size, for one).
class TSizeConstraints {
 public:
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value) { FMinWidth = Value > 0 ? Value : 0; }
  int MinHeight() const { return FMinHeight; }
  void SetMinHeight(int Value) { FMinHeight = Value > 0 ? Value : 0; }
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value) { FMaxWidth = Value > 0 ? Value : 0; }
  int MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(int Value) { FMaxHeight = Value > 0 ? Value : 0; }

 private:
  int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
};

// The link between a control and its action: the action's changes reach the
// control only while the control still shows the action's value.
class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TObject* AClient);

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const std::string& Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;
  // Adds " (shortcut)" to HintStr when the application shows shortcuts in
  // hints; false would suppress the hint.
  virtual bool DoShowHint(std::string& HintStr);

 protected:
  void AssignClient(TObject* AClient) override;
  TControl* FClient = nullptr;
};

class TWinControlActionLink : public TControlActionLink {
 public:
  using TControlActionLink::TControlActionLink;
  bool IsHelpContextLinked() override;
  void SetHelpContext(int32_t Value) override;
};

// A "class" of action link: makes the link for a client.
using TControlActionLinkClass = TControlActionLink* (*)(TControl* Client);
template <typename L>
TControlActionLink* NewActionLink(TControl* Client) {
  return new L(Client);
}

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // Messages.
  const TWindowMethod& WindowProc() const { return FWindowProc; }
  void SetWindowProc(TWindowMethod Value) { FWindowProc = Value; }
  // The control's own WndProc as a method pointer (compare with WindowProc()).
  TWindowMethod OwnWndProc();
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  virtual void WndProc(TMessage& Message);
  // A switch per class over the messages it handles, falling back to the base
  // class; unknown messages go to DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  // Text messages are answered from the stored text; everything else gets 0.
  virtual void DefaultHandler(TMessage& Message);

  // Placement.
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const RECT& R) { SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  virtual RECT ClientRect();
  int ClientWidth() { return ClientRect().right; }
  int ClientHeight() { return ClientRect().bottom; }
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  // The screen position of the client area's origin.
  virtual POINT ClientOrigin();
  POINT ClientToScreen(POINT P);
  POINT ScreenToClient(POINT P);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  void BringToFront();
  void SendToBack();

  // State.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and in every parent up to a top-level window.
  bool Showing();
  virtual bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  bool MouseCapture();
  void SetMouseCapture(bool Value);

  // ANSI text: Text and Caption are one property.
  std::string Text() { return GetText(); }
  void SetText(const std::string& Value);
  std::string Caption() { return GetText(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  int GetTextLen();

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  TSizeConstraints* Constraints() { return &FConstraints; }
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  // Tells the control with CM_BIDIMODECHANGED.
  void SetBiDiMode(TBiDiMode Value) {
    if (FBiDiMode == Value) return;
    FBiDiMode = Value;
    Perform(CM_BIDIMODECHANGED);
  }
  bool UseRightToLeftReading() const;
  // DT_RTLREADING when the control reads right to left, else 0.
  UINT DrawTextBiDiModeFlagsReadingOnly() const;
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  int32_t HelpContext() const { return FHelpContext; }
  void SetHelpContext(int32_t Value) { FHelpContext = Value; }

  // Painting.
  virtual void Invalidate();
  virtual void Repaint();
  virtual void Update();
  void Refresh() { Repaint(); }

  // Actions.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return FActionLink; }
  // Asks the action (if any) to update this control.
  virtual void InitiateAction();

  // Events.
  const TNotifyEvent& OnClick() const { return FOnClick; }
  // A handler of the control's own (it then wins over a linked action).
  void SetOnClick(TNotifyEvent Value);
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(TNotifyEvent Value) { FOnDblClick = std::move(Value); }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(TMouseEvent Value) { FOnMouseDown = std::move(Value); }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(TMouseEvent Value) { FOnMouseUp = std::move(Value); }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(TMouseMoveEvent Value) { FOnMouseMove = std::move(Value); }
  const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(TNotifyEvent Value) { FOnMouseEnter = std::move(Value); }
  const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(TNotifyEvent Value) { FOnMouseLeave = std::move(Value); }
  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(TNotifyEvent Value) { FOnResize = std::move(Value); }

  // The action's OnExecute when linked, else OnClick.
  virtual void Click();
  virtual void DblClick();

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 protected:
  virtual std::string GetText();
  virtual void SetTextBuf(const std::string& Value);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void Resize();
  // Copies the action's properties; CheckDefaults only fills those still at
  // their defaults (an empty caption, an empty hint, ...).
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TControlActionLinkClass GetActionLinkClass();
  virtual void VisibleChanging() {}
  virtual void FontChanged();
  // The parent's client origin and the rectangle to repaint for graphic controls.
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  void RequestAlign();
  void SetParentComponentFont();
  // The control's colour or font follows the parent.
  void ParentColorChanged();

  // Stored fields shared with descendants.
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  TControlState FControlState = 0;
  std::string FText;
  TFont* FFont;
  TColor FColor = clWindow;

 private:
  friend class TWinControl;
  friend class TControlActionLink;
  void DoActionChange(TObject* Sender);
  void HandleMouseMessage(TMessage& Message);
  void WMSetText(TMessage& Message);

  TWindowMethod FWindowProc;
  TAlign FAlign = alNone;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  bool FParentFont = true;
  bool FParentColor = true;
  TCursor FCursor = crDefault;
  TSizeConstraints FConstraints;
  TBiDiMode FBiDiMode = bdLeftToRight;
  TPopupMenu* FPopupMenu = nullptr;
  int32_t FHelpContext = 0;
  TControlActionLink* FActionLink = nullptr;
  TNotifyEvent FOnClick;
  bool FOnClickFromAction = false;  // FOnClick was copied from the action
  bool FParentFontUpdating = false;
  TNotifyEvent FOnDblClick;
  TMouseEvent FOnMouseDown;
  TMouseEvent FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
  TNotifyEvent FOnMouseEnter;
  TNotifyEvent FOnMouseLeave;
  TNotifyEvent FOnResize;
};

// What CreateParams fills and CreateWnd turns into a window.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  char WinClassName[64]{};
};

// A canvas that draws on a control: a graphic control's area of its
// parent's window, or a windowed control's client area.
class TControlCanvas : public TCanvas {
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value);
  // Releases the device context obtained by CreateHandle.
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
  HWND FWindowHandle = nullptr;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  void Dispatch(TMessage& Message) override;
  // Passes the message to the window's default procedure with the W or A
  // function as the window is Unicode or not.
  void DefaultHandler(TMessage& Message) override;
  // The procedure's entry: WindowProc, with every exception handed to the
  // application.
  void MainWndProc(TMessage& Message);

  // The window, made on demand.
  HWND Handle();
  HWND WindowHandle() const { return FHandle; }
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // For window layers that create the window themselves (the creation path
  // and the Unicode layer); nobody else sets the handle.
  void SetWindowHandle(HWND Value) { FHandle = Value; }
  WNDPROC DefWndProc() const { return FDefWndProc; }
  void SetDefWndProc(WNDPROC Value) { FDefWndProc = Value; }
  // The parent window of a control without a parent control.
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);
  // Destroys the window and makes it anew (keeping text and children).
  void RecreateWnd();

  // Children.
  int32_t ControlCount() const { return static_cast<int32_t>(FControls.size()); }
  TControl* Controls(int32_t Index) const { return FControls[Index]; }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control);
  // The visible (enabled unless AllowDisabled) child under P (client coordinates).
  TControl* ControlAtPos(POINT P, bool AllowDisabled, bool AllowWinControls = false);
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);
  virtual void AlignControls(TControl* AControl, RECT& Rect);
  void Realign();

  // Focus and tab order.
  virtual bool CanFocus();
  bool Focused();
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  int32_t TabOrder();
  void SetTabOrder(int32_t Value);
  void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                               bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  TBrush* Brush() const { return FBrush; }
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }

  void Invalidate() override;
  void Repaint() override;
  void Update() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  RECT ClientRect() override;
  POINT ClientOrigin() override;
  void SetParent(TWinControl* AParent) override;

  const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(TKeyEvent Value) { FOnKeyDown = std::move(Value); }
  const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(TKeyEvent Value) { FOnKeyUp = std::move(Value); }
  const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(TKeyPressEvent Value) { FOnKeyPress = std::move(Value); }
  const TNotifyEvent& OnEnter() const { return FOnEnter; }
  void SetOnEnter(TNotifyEvent Value) { FOnEnter = std::move(Value); }
  const TNotifyEvent& OnExit() const { return FOnExit; }
  void SetOnExit(TNotifyEvent Value) { FOnExit = std::move(Value); }

  // Runs InitiateAction on this control and every child.
  void UpdateActionsOfControls();

 protected:
  virtual void CreateParams(TCreateParams& Params);
  // Makes the window a subclass of a system class ("EDIT", "BUTTON"...):
  // Params take that class's procedure and styles and the name stays ours.
  void CreateSubClass(TCreateParams& Params, const char* ClassName);
  // Registers the class when needed, then CreateWindowHandle with this
  // control as CreationControl().
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  // CreateWnd, then the window is shown and placed among its siblings.
  virtual void CreateHandle();
  // Children's windows first, then DestroyWnd.
  virtual void DestroyHandle();
  // Keeps the text, then DestroyWindowHandle.
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();

  virtual void PaintWindow(HDC DC);
  // Paints the graphic children, from First on (nullptr: all).
  void PaintControls(HDC DC, TControl* First);
  void PaintHandler(TMessage& Message);

  // Keyboard: true when the key was consumed by the event (set to 0).
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  // The OnKeyPress sees an 8-bit character; only the low 16 bits of WParam are
  // written back, so whatever travels in the high word survives.
  bool DoKeyPress(TMessage& Message);
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void DoEnter();
  virtual void DoExit();

  TControlActionLinkClass GetActionLinkClass() override;

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;  // creation order; windowed and not
  TBrush* FBrush;

 private:
  friend class TControl;
  void UpdateShowing();
  void ReflectToChild(TMessage& Message);
  void WMPaint(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  bool IsMenuKey(TMessage& Message);
  // DoKeyDown and DoKeyUp: the form's preview first, then Event (KeyDown or KeyUp).
  using TKeyMethod = void (TWinControl::*)(uint16_t& Key, TShiftState Shift);
  bool DoKeyEvent(TMessage& Message, TKeyMethod Event);
  void UpdateBoundsFromWindow();
  void WMContextMenu(TMessage& Message);
  bool IsMouseMessageForChild(TMessage& Message);

  HWND FParentWindow = nullptr;
  bool FTabStop = false;
  int32_t FTabOrder = -1;
  bool FDoubleBuffered = false;
  bool FAligning = false;
  std::vector<TWinControl*> FTabList;
  TControl* FMouseControl = nullptr;  // graphic child that has the captured mouse
  TKeyEvent FOnKeyDown;
  TKeyEvent FOnKeyUp;
  TKeyPressEvent FOnKeyPress;
  TNotifyEvent FOnEnter;
  TNotifyEvent FOnExit;
};

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return FCanvas; }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}
  // csOpaque on or off; off, the parent shows through. A change repaints.
  void SetOpaque(bool Value);

 private:
  TControlCanvas* FCanvas;
};

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

 private:
  TControlCanvas* FCanvas;
};

// The framework's window plumbing, shared with window layers built on it.
// The control whose window is being created (read by InitWndProc).
TWinControl* CreationControl();
void SetCreationControl(TWinControl* Control);
// The properties every framework window carries; both hold the control.
ATOM ControlAtom();
ATOM WindowAtom();
// The names those atoms are made from (fixed per process and thread).
std::string ControlAtomName();
std::string WindowAtomName();
LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
LRESULT CALLBACK ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// The framework control of a window of this process, or nullptr.
TWinControl* FindControl(HWND Handle);
// The innermost enabled framework control at a screen position.
TControl* FindDragTarget(POINT Pos, bool AllowDisabled);
// The control whose window or child window has the keyboard focus.
TWinControl* FindFocusedControl();
