// Forms, the screen and the application.
//   TCustomForm  a top-level window owned by the application's window: show,
//                hide, modal loop, close with OnCloseQuery/OnClose, release,
//                activation, the active control, shortcuts of its menu and
//                action lists, action updates.
//   TScreen      the forms that exist, the active form and control, the hint font.
//   TApplication the hidden application window, the message loop, hints,
//                idle processing and the exception handler.
//   THintWindow  the small window that shows a hint.
// Forms are built in code: a form's constructor makes its components inside a
// TLoadingScope, then calls DoCreate (OnCreate) after the scope has ended.
// Ownership: forms belong to their owner (usually Application); Application
// and Screen are made on first use and live until the process ends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/menus.h"

class TCustomForm;
class THintWindow;
class TApplication;
class TScreen;

using THintWindowClass = THintWindow* (*)(TComponent* AOwner);
template <typename H>
THintWindow* NewHintWindow(TComponent* AOwner) {
  return new H(AOwner);
}

// What a control is asked to fill in CM_HINTSHOW (LParam points to it).
struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass = nullptr;
  POINT HintPos{};          // screen position of the hint window
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect{};        // the hint goes when the mouse leaves it (client coordinates)
  POINT CursorPos{};        // mouse position in the control
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  std::string HintStr;
  void* HintData = nullptr;
};

class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  // Placed at Rect (screen) and shown without activation.
  virtual void ActivateHint(RECT Rect, const std::string& AHint);
  virtual void ActivateHintData(RECT Rect, const std::string& AHint, void* AData);
  // The rectangle (at 0, 0) that AHint needs within MaxWidth.
  virtual RECT CalcHintRect(int MaxWidth, const std::string& AHint, void* AData);
  void ReleaseHandle();
  // The class this object was made from (compared with THintInfo's).
  virtual THintWindowClass HintWindowClass() const;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  // Draws the caption into Rect with the DrawText Flags; ANSI here, a layer
  // with a wider caption draws its own.
  virtual void DrawHintText(HDC DC, RECT& Rect, UINT Flags);
  // The rectangle (at 0, 0) within MaxWidth that Draw computes with
  // DT_CALCRECT among its Flags, in the hint's font, margins included.
  RECT MeasureHintText(int MaxWidth,
                       const std::function<void(HDC DC, RECT& Rect, UINT Flags)>& Draw);
};

enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(TMessage& Msg, bool& Handled)>;

using TModalResult = int32_t;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow,
                                  bsSizeToolWin };
// A control's frame (edits, list boxes, panels...): bsNone or bsSingle of the
// form's own enumeration.
using TBorderStyle = TFormBorderStyle;
enum TPosition : uint8_t { poDesigned, poDefault, poScreenCenter, poMainFormCenter,
                           poOwnerFormCenter };
enum TFormStyle : uint8_t { fsNormal, fsStayOnTop };

class TCustomForm : public TCustomControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  void Show();
  void Hide();
  // Shows the form, disables the other windows of the thread and runs messages
  // until ModalResult is set (Close sets mrCancel); answers ModalResult.
  virtual TModalResult ShowModal();
  // OnCloseQuery, then OnClose with caHide (caFree for a modal... as the form
  // says), then hides, frees (Release) or minimises.
  void Close();
  // Frees the form once the message it is handling has returned: before the
  // application's loops take another message, or, in a loop of the system's
  // own (a message box, a menu), once its CM_RELEASE comes. It gives up its
  // name at once: a successor of the same name may be made before it is gone.
  void Release();
  virtual bool CloseQuery();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Modal() const { return FModal; }
  bool Active() const { return FActive; }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  // Called when a control of this form receives the focus.
  bool SetFocusedControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  // Control (or its parent chain) is going away or losing its parent: the
  // form forgets it as active control and moves the focus to itself.
  void DefocusControl(TWinControl* Control, bool Removing);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  // Translucency: while AlphaBlend is on the window is drawn with opacity
  // AlphaBlendValue (0..255); a colour key the window has keeps working.
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value);
  uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(uint8_t Value);

  // OnShortCut, the menu's shortcuts, then every owned action list's.
  virtual bool IsShortCut(TMessage& Message);
  // InitiateAction on the menu's items and every control of the form.
  void UpdateActions();

  const TNotifyEvent& OnCreate() const { return FOnCreate; }
  void SetOnCreate(TNotifyEvent Value) { FOnCreate = std::move(Value); }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent Value) { FOnShow = std::move(Value); }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent Value) { FOnHide = std::move(Value); }
  const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent Value) { FOnDestroy = std::move(Value); }
  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent Value) { FOnActivate = std::move(Value); }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent Value) { FOnDeactivate = std::move(Value); }
  const TCloseEvent& OnClose() const { return FOnClose; }
  void SetOnClose(TCloseEvent Value) { FOnClose = std::move(Value); }
  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(TCloseQueryEvent Value) { FOnCloseQuery = std::move(Value); }
  const TShortCutEvent& OnShortCut() const { return FOnShortCut; }
  void SetOnShortCut(TShortCutEvent Value) { FOnShortCut = std::move(Value); }

  void Dispatch(TMessage& Message) override;
  // A form takes the focus by activating: the focus goes to ActiveControl.
  void SetFocus() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Detaches the menu first: DestroyWindow would destroy the menu with it.
  void DestroyWnd() override;
  void Paint() override;
  // Runs OnCreate; a descendant's constructor calls it after its loading scope.
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();

 private:
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TMainMenu* FMenu = nullptr;
  TModalResult FModalResult = mrNone;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  bool FAlphaBlend = false;
  uint8_t FAlphaBlendValue = 255;
  bool FKeyPreview = false;
  bool FModal = false;
  bool FActive = false;
  bool FCreated = false;
  TNotifyEvent FOnCreate, FOnShow, FOnHide, FOnDestroy, FOnActivate, FOnDeactivate;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;
  TShortCutEvent FOnShortCut;
  // The window has been shown (WM_SHOWWINDOW) and OnShow ran; OnHide is due.
  bool FWindowShown = false;

  void WMActivate(TMessage& Message);
  void WMShowWindow(TMessage& Message);
  void WMMenuSelect(TMessage& Message);
  bool MenuOwnerDrawMessage(TMessage& Message);
  // The modal loop found ModalResult set: CloseQuery and OnClose may refuse.
  void CloseModal();
  void ApplyPosition();
  void ApplyAlphaBlend();
  // Gives the keyboard focus to ActiveControl, or to the form.
  void SetWindowFocus();
  void TrackControl(TWinControl* Old, TWinControl* New);
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

// The form that holds Control (walking up the parents), or nullptr.
TCustomForm* GetParentForm(TControl* Control);

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;
  int32_t FormCount() const { return static_cast<int32_t>(FForms.size()); }
  TCustomForm* Forms(int32_t Index) const { return FForms[Index]; }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TFont* HintFont() const { return FHintFont; }
  TFont* MenuFont() const { return FMenuFont; }
  int Width() const;
  int Height() const;
  int PixelsPerInch() const;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TCustomForm;
  friend class TApplication;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TFont* FHintFont;
  TFont* FMenuFont;
};

using TExceptionEvent = std::function<void(TObject* Sender, std::exception_ptr E)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
// A main-window hook: true when it handled the message (Result set).
// Comparable, so that it can be removed again.
struct TWindowHook {
  void* Data = nullptr;
  bool (*Code)(void* Data, TMessage& Message) = nullptr;
  bool operator()(TMessage& Message) const { return Code(Data, Message); }
  bool operator==(const TWindowHook&) const = default;
};
template <auto Method, typename T>
TWindowHook MakeWindowHook(T* Object) {
  return TWindowHook{Object, [](void* Data, TMessage& Message) {
                       return (static_cast<T*>(Data)->*Method)(Message);
                     }};
}

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // The hidden application window (class "TApplication"), made on demand.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);
  TCustomForm* MainForm() const { return FMainForm; }
  // The first form created with Application as owner becomes MainForm; tests
  // and the program may also set it.
  void SetMainForm(TCustomForm* Value) { FMainForm = Value; }
  // A modeless dialog whose messages go through IsDialogMessage.
  HWND DialogHandle() const { return FDialogHandle; }
  void SetDialogHandle(HWND Value) { FDialogHandle = Value; }

  // Message loop.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Clears Terminated, for a loop that runs again after one that ended (tests).
  void ResetTerminated() { FTerminated = false; }
  // Run shows MainForm (true by default).
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }
  void ProcessMessages();
  // One message, or idle processing and a wait when there is none.
  void HandleMessage();
  // A form closed to be freed (TCustomForm::Release): freed before the next
  // message this application's loops take. A form freed otherwise first
  // leaves the list (Forget).
  void FreeReleased(TCustomForm* Form);
  void ForgetReleased(TCustomForm* Form);
  void Minimize();
  void Restore();

  // A key that the focused control's own form had no use for: the main
  // form's shortcuts answer it from every window of the program, but never
  // while a modal window or a system dialog is up.
  bool IsShortCut(TMessage& Message);
  // A form shown modally, or the main form disabled (a modal window of the
  // system's, such as a message box of the main form, does that).
  bool ModalWindowUp() const;

  void HookMainWindow(TWindowHook Hook);
  void UnhookMainWindow(TWindowHook Hook);

  // Hints.
  const std::string& Hint() const { return FHint; }
  // OnHint when assigned, else a THintAction carries the hint (CM_ACTIONEXECUTE).
  void SetHint(const std::string& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(bool Value) { FHintShortCuts = Value; }
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int Value) { FHintShortPause = Value; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  // Shows at once the hint of the control under the mouse (as the timer does).
  void ActivateHint(POINT CursorPos);
  void CancelHint();
  void HideHint();
  THintWindow* HintWindow() const { return FHintWindow; }
  THintWindowClass HintWindowClass() const { return FHintWindowClass; }
  void SetHintWindowClass(THintWindowClass Value) { FHintWindowClass = Value; }

  // Idle processing: mouse enter/leave, the long hint, action updates.
  void Idle(const MSG& Msg);
  // A window whose WM_TIMER is a quiet timer's (TTimer::SetQuiet), or no
  // longer.
  void SetQuietTimerWindow(HWND Window, bool Quiet);
  // The control under the mouse as the last idle pass found it.
  TControl* MouseControl() const { return FMouseControl; }
  // The application's handlers of an action (OnActionExecute, OnActionUpdate),
  // then the active form's and the main form's.
  bool ExecuteAction(TBasicAction* Action);
  bool UpdateAction(TBasicAction* Action);

  // Exceptions: OnException, else ShowException.
  void HandleException(std::exception_ptr E);
  // An error box, unless one is up already (then nothing).
  void ShowException(std::exception_ptr E);

  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent Value) { FOnActivate = std::move(Value); }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent Value) { FOnDeactivate = std::move(Value); }
  const TNotifyEvent& OnRestore() const { return FOnRestore; }
  void SetOnRestore(TNotifyEvent Value) { FOnRestore = std::move(Value); }
  const TNotifyEvent& OnMinimize() const { return FOnMinimize; }
  void SetOnMinimize(TNotifyEvent Value) { FOnMinimize = std::move(Value); }
  const TNotifyEvent& OnHint() const { return FOnHint; }
  void SetOnHint(TNotifyEvent Value) { FOnHint = std::move(Value); }
  const TMessageEvent& OnMessage() const { return FOnMessage; }
  void SetOnMessage(TMessageEvent Value) { FOnMessage = std::move(Value); }
  // Runs first on every message the loop takes from the queue, in its wide
  // form (characters as typed, not yet through the ANSI code page); true when
  // it handled the message. For a Unicode control layer.
  using TMessageFilter = std::function<bool(MSG&)>;
  void SetMessageFilter(TMessageFilter Value) { FMessageFilter = std::move(Value); }
  const TIdleEvent& OnIdle() const { return FOnIdle; }
  void SetOnIdle(TIdleEvent Value) { FOnIdle = std::move(Value); }
  const TExceptionEvent& OnException() const { return FOnException; }
  void SetOnException(TExceptionEvent Value) { FOnException = std::move(Value); }
  const TActionEvent& OnActionExecute() const { return FOnActionExecute; }
  void SetOnActionExecute(TActionEvent Value) { FOnActionExecute = std::move(Value); }
  const TActionEvent& OnActionUpdate() const { return FOnActionUpdate; }
  void SetOnActionUpdate(TActionEvent Value) { FOnActionUpdate = std::move(Value); }

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  static LRESULT CALLBACK MainWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  // Keeps FMouseControl/FHintControl under a free notification.
  void TrackControl(TControl* Old, TControl* New);
  void StartHintTimer(TControl* Control);
  void FocusActiveForm();
  bool ProcessMessage(MSG& Msg);
  void HandleAnsiMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  bool IsHintMsg(MSG& Msg);
  bool IsDlgMsg(MSG& Msg);
  void WndProc(TMessage& Message);
  void HintTimerExpired();
  TControl* DoMouseIdle();

  HWND FHandle = nullptr;
  std::string FTitle;
  std::string FHint;
  TCustomForm* FMainForm = nullptr;
  HWND FDialogHandle = nullptr;
  bool FTerminated = false;
  bool FShowMainForm = true;
  bool FIdleDone = true;
  bool FShowHint = true;
  bool FHintShortCuts = true;
  bool FHintActive = false;
  int FHintPause = 500;
  int FHintShortPause = 50;
  int FHintHidePause = 2500;
  TColor FHintColor = clInfoBk;
  TControl* FHintControl = nullptr;
  TControl* FMouseControl = nullptr;
  // The cursor as the last message that ran the idle work saw it.
  POINT FMousePlace{};
  bool FMousePlaceKnown = false;
  // The messages handled since the last idle work: whether each was a timer's
  // or a posted notification (which cannot move the mouse), and the last one.
  bool FOnlyQuietSinceIdle = false;
  MSG FLastSinceIdle{};
  // Whether the messages handled since the last idle pass (one at least)
  // were all quiet timers' ticks, which need no pass.
  bool FOnlyQuietTicksSinceIdle = false;
  bool FHandledSinceIdle = false;
  // WindowMessagesReceived when the loop's own work last ended.
  uint32_t FMessagesSeen = 0;
  std::vector<HWND> FQuietTimerWindows;
  RECT FHintCursorRect{};
  THintWindow* FHintWindow = nullptr;
  THintWindowClass FHintWindowClass = &NewHintWindow<THintWindow>;
  std::vector<TWindowHook> FWindowHooks;
  TNotifyEvent FOnActivate, FOnDeactivate, FOnRestore, FOnMinimize, FOnHint;
  TMessageEvent FOnMessage;
  TMessageFilter FMessageFilter;
  TIdleEvent FOnIdle;
  TExceptionEvent FOnException;
  // An error box is up: its modal loop may meet the same failure again.
  bool FShowingException = false;
  std::vector<TCustomForm*> FReleased;
  TActionEvent FOnActionExecute, FOnActionUpdate;
};

// The process's application and screen, made on first use; they live until
// the process ends (their windows are destroyed at exit).
TApplication* Application();
TScreen* Screen();
// The application when it has been made, else nullptr (never makes it).
TApplication* ExistingApplication();
TScreen* ExistingScreen();
