// TCoolTrayIcon: the main window's icon in the notification area. It adds,
// changes and removes the icon through a notification function (by default
// Shell_NotifyIconW), turns the shell's callback messages into mouse, click
// and balloon events, opens a popup menu, cycles through an image list, hides
// and restores the main window (minimise to tray) and puts the icon back when
// the taskbar is recreated ("TaskbarCreated").
//
// Every icon's callback message reaches one shared hidden window; the icon is
// named in it by a number of its own (uID), never by its address.
// A shell that refuses the icon (no tray running) is no error: AddIcon answers
// false, InTray() stays false, IconVisible stays on, and the icon is added
// again when the taskbar announces itself.
//
// Ownership: the icon owns its TIcon and its three timers; IconList and
// PopupMenu are only pointed to (cleared when they go). The owner, when it is
// a windowed control, has its WindowProc hooked while the icon lives.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/component.h"
#include "framework/controls.h"

class TCustomImageList;
class TIcon;
class TPopupMenu;
class TSimpleTimer;

using TCycleEvent = std::function<void(TObject* Sender, int32_t& NextIndex)>;
using TStartupEvent = std::function<void(TObject* Sender, bool& ShowMainForm)>;
// Stands in for Shell_NotifyIconW (tests inject one); true when the shell
// accepted the request.
using TNotifyIconFunction = std::function<bool(DWORD Message, NOTIFYICONDATAW& Data)>;

// WM_USER + 1024: the callback message of every tray icon.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1024;
// The most UTF-16 units of a tip (the record's 128 with the terminator).
constexpr size_t kMaxTrayTipLength = 127;

// The registered "TaskbarCreated" message; 0 when the shell is older than
// 4.71 (then it is never handled).
UINT TaskbarCreatedMessage();
// Text cut to at most MaxUnits UTF-16 units, never between the two halves of
// a surrogate pair.
std::wstring CutTrayTip(const std::wstring& Text, size_t MaxUnits = kMaxTrayTipLength);

class TCoolTrayIcon : public TComponent {
 public:
  explicit TCoolTrayIcon(TComponent* AOwner);
  ~TCoolTrayIcon() override;

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // NIM_ADD / NIM_DELETE (they also set IconVisible) and NIM_MODIFY; true
  // when the shell accepted. UpdateIcon sends nothing while IconVisible is off.
  virtual bool AddIcon();
  virtual bool RemoveIcon();
  virtual bool UpdateIcon();
  // Whether the shell holds the icon now: the last NIM_ADD succeeded and no
  // NIM_DELETE followed.
  bool InTray() const { return FInTray; }

  void HideMainForm();
  void RestoreMainForm();

  void SetNotifyIconFunction(TNotifyIconFunction Value) { FNotifyIcon = std::move(Value); }
  // The icon's number in the callback message's WParam, and the record last
  // filled (for tests).
  UINT Id() const { return FIconData.uID; }
  const NOTIFYICONDATAW& IconData() const { return FIconData; }

  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool Value);
  TCustomImageList* IconList() const { return FIconList; }
  void SetIconList(TCustomImageList* Value);
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool Value);
  uint32_t CycleInterval() const { return FCycleInterval; }
  void SetCycleInterval(uint32_t Value);
  bool ShowInTaskbar() const { return FShowInTaskbar; }
  void SetShowInTaskbar(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  // Owned; any change updates the tray.
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool Value);
  int32_t IconIndex() const { return FIconIndex; }
  void SetIconIndex(int32_t Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  bool LeftPopup() const { return FLeftPopup; }
  void SetLeftPopup(bool Value) { FLeftPopup = Value; }
  bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
  void SetWantEnterExitEvents(bool Value);
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }

  void SetOnClick(TNotifyEvent Value) { FOnClick = std::move(Value); }
  void SetOnDblClick(TNotifyEvent Value) { FOnDblClick = std::move(Value); }
  void SetOnMouseEnter(TNotifyEvent Value) { FOnMouseEnter = std::move(Value); }
  void SetOnMouseExit(TNotifyEvent Value) { FOnMouseExit = std::move(Value); }
  void SetOnMinimizeToTray(TNotifyEvent Value) { FOnMinimizeToTray = std::move(Value); }
  void SetOnBalloonHintShow(TNotifyEvent Value) { FOnBalloonHintShow = std::move(Value); }
  void SetOnBalloonHintHide(TNotifyEvent Value) { FOnBalloonHintHide = std::move(Value); }
  void SetOnBalloonHintTimeout(TNotifyEvent Value) { FOnBalloonHintTimeout = std::move(Value); }
  void SetOnBalloonHintClick(TNotifyEvent Value) { FOnBalloonHintClick = std::move(Value); }
  void SetOnMouseDown(TMouseEvent Value) { FOnMouseDown = std::move(Value); }
  void SetOnMouseUp(TMouseEvent Value) { FOnMouseUp = std::move(Value); }
  void SetOnMouseMove(TMouseMoveEvent Value) { FOnMouseMove = std::move(Value); }
  void SetOnCycle(TCycleEvent Value) { FOnCycle = std::move(Value); }
  void SetOnStartup(TStartupEvent Value) { FOnStartup = std::move(Value); }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }

 protected:
  // Allows the system's application icon at design time (never here).
  virtual bool LoadDefaultIcon();
  virtual void Click();
  virtual void DblClick();
  // OnCycle with the index that follows IconIndex, wrapping to 0.
  virtual void CycleIcon();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseEnter();
  virtual void MouseExit();
  // HideMainForm, then IconVisible := True.
  virtual void DoMinimizeToTray();

 private:
  friend class TTrayIconHandler;

  bool Designing() const { return ComponentState().Contains(csDesigning); }
  bool Loading() const { return ComponentState().Contains(csLoading); }
  TWinControl* OwnerControl() const;
  bool FillIconRecord();
  bool Notify(DWORD Message);
  void HandleIconMessage(UINT Message);
  void PopupAtCursor();
  void ClickDefaultItem();
  void ClickTimerTick(TObject* Sender);
  void CycleTimerTick(TObject* Sender);
  void ExitTimerTick(TObject* Sender);
  void IconChanged(TObject* Sender);
  void HookFormProc(TMessage& Message);
  bool HookAppProc(TMessage& Message);
  // OnMinimizeToTray (when RaiseEvent), then DoMinimizeToTray; once per minimise.
  void TakeOverMinimize(bool RaiseEvent);

  bool FDesignPreview = false;
  TCustomImageList* FIconList = nullptr;
  bool FCycleIcons = false;
  uint32_t FCycleInterval = 0;
  bool FShowInTaskbar = true;
  bool FEnabled = true;
  std::wstring FHint;
  bool FShowHint = true;
  std::unique_ptr<TIcon> FIcon;
  bool FIconVisible = false;
  int32_t FIconIndex = 0;
  TPopupMenu* FPopupMenu = nullptr;
  bool FLeftPopup = false;
  bool FWantEnterExitEvents = false;
  bool FMinimizeToTray = false;
  TNotifyEvent FOnClick, FOnDblClick, FOnMouseEnter, FOnMouseExit, FOnMinimizeToTray;
  TNotifyEvent FOnBalloonHintShow, FOnBalloonHintHide, FOnBalloonHintTimeout, FOnBalloonHintClick;
  TMouseEvent FOnMouseDown, FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
  TCycleEvent FOnCycle;
  TStartupEvent FOnStartup;

  bool FLeftDown = false;
  bool FClickPending = false;
  bool FDoubleClicked = false;
  bool FOutside = true;
  POINT FLastPos{};
  std::unique_ptr<TSimpleTimer> FCycleTimer;
  std::unique_ptr<TSimpleTimer> FClickTimer;
  std::unique_ptr<TSimpleTimer> FExitTimer;
  NOTIFYICONDATAW FIconData{};
  TNotifyIconFunction FNotifyIcon;
  bool FInTray = false;
  // Minimising hides the application window, whose owned form then hears
  // SW_PARENTCLOSING: one minimise must not take over twice.
  bool FMinimizing = false;
  TWinControl* FHookedForm = nullptr;
  TWindowMethod FOldWindowProc;
  TWindowMethod FNewWindowProc;
  bool FAppHooked = false;
};
