// The Unicode window layer under every Unicode control: wide text and hints
// kept in step with the framework's ANSI copies, Unicode windows for framework
// controls, the trap that sits in their window procedures, the character
// packing that carries UTF-16 through the framework's 8-bit key handling, and
// the Unicode hint window.
//
// A control's window comes from CreateUnicodeHandle, called by the control's
// CreateWindowHandle override. Its window class is the framework class name +
// ".UnicodeClass", whose procedure (UnicodeInitWndProc) binds the window to the
// framework control; SubclassUnicodeControl then puts a TWinControlTrap in the
// window procedure, the control's default procedure and its WindowProc.
//
// Ownership: helpers live as long as their control (or until the layer ends);
// a trap lives as long as its control, parked between two windows.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/tnt_classes.h"
#include "framework/controls.h"
#include "framework/forms.h"

// The wide caption (or text) and wide hint of one control.
class TWideControlHelper : public TWideComponentHelper {
 public:
  static TWideControlHelper* CreateHelper(TControl* AControl);

  TControl* Control() const { return FControl; }
  std::wstring Caption;
  std::wstring Hint;

 private:
  explicit TWideControlHelper(TControl* AControl);
  TControl* FControl;
};

// The layer's helper list (shared with the other wide components of the layer).
TWideComponentHelperList& TntComponentHelpers();
// The helper of Control, or nullptr; the second one makes it when missing.
TWideControlHelper* FindWideControlHelper(const TControl* Control);
TWideControlHelper* WideControlHelper(TControl* Control);

std::wstring WideGetWindowText(TControl* Control);
void WideSetWindowText(TControl* Control, const std::wstring& Text);
std::wstring WideGetHint(TControl* Control);
void WideSetHint(TControl* Control, const std::wstring& Value);
// The first non-empty wide hint from Control up its parents.
std::wstring WideGetParentHint(TControl* Control);
// Before / after the first '|'; the whole hint when there is none.
std::wstring WideGetShortHint(const std::wstring& Hint);
std::wstring WideGetLongHint(const std::wstring& Hint);
// True unless an action link supplies the caption (hint).
bool IsCaptionStoredByAction(TControl* Control);
bool IsHintStoredByAction(TControl* Control);

// List controls that take wide items, and the ANSI ones.
class IWideCustomListControl {
 public:
  virtual ~IWideCustomListControl() = default;
  virtual void AddItem(const std::wstring& Item, TObject* AObject) = 0;
};
class IAnsiCustomListControl {
 public:
  virtual ~IAnsiCustomListControl() = default;
  virtual void AddItem(const std::string& Item, TObject* AObject) = 0;
};
// The wide AddItem when ListControl has it, else the ANSI one with the ANSI
// form of Item; a control with neither is left alone.
void WideListControlAddItem(TObject* ListControl, const std::wstring& Item, TObject* AObject);

// Whether the character of an accelerator message (CM_DIALOGCHAR: an ANSI
// code in the keyboard's code page, a UTF-16 unit, or a packed one) is the
// hot key of Caption, ignoring case.
bool IsWideCharAccel(const TMessage& Message, const std::wstring& Caption);

// CM_HINTSHOW of a control that no trap sees (a windowless one): the wide
// hint set-up a trapped window gets, done by the control itself.
void WideHintShowSetUp(THintInfo& HintInfo);

// Window creation, from a Unicode control's CreateWindowHandle. SystemClassName
// is the system class the window subclasses ("EDIT"...), or "". The window's
// class is ClassName, or "<framework class>.UnicodeClass" when it is empty.
void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params,
                         const std::wstring& SystemClassName, const std::wstring& ClassName = {});
// Registers (or re-registers) the Unicode class ClassName, by default
// "<framework class>.UnicodeClass", from Params; its name.
std::wstring RegisterUnicodeClass(const TCreateParams& Params, const std::wstring& ClassName = {});
void SubclassUnicodeControl(TWinControl* Control, const std::string& Caption);
LRESULT CALLBACK UnicodeInitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// Characters above 127 travel through the framework as CharCode 255 with the
// real code unit in the high word of WParam; key handlers read and write them
// only through these two.
wchar_t GetWideCharFromWMChar(const TMessage& Message);
void SetWideCharInWMChar(TMessage& Message, wchar_t Ch);
void PackWideCharInWMChar(TMessage& Message);
void UnpackWideCharInWMChar(TMessage& Message);

// The object in the procedures of one Unicode window.
class TWinControlTrap : public TComponent {
 public:
  // ETntInternalError while Control is being destroyed.
  explicit TWinControlTrap(TWinControl* AControl);
  ~TWinControlTrap() override;

  TWinControl* Control() const { return FControl; }
  HWND Handle() const { return FHandle; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The window's procedure and the control's default procedure.
  static LRESULT CALLBACK TrapWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK TrapDefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

 private:
  friend void SubclassUnicodeControl(TWinControl*, const std::string&);
  void SubClassControl(HWND Wnd);
  void UnSubClassControl(HWND Wnd);
  void HookWindowProc();
  bool IsWindowProcHooked();
  // The control's WindowProc while trapped.
  void TrapControlWindowProc(TMessage& Message);
  void DefWindowProcMessage(HWND Wnd, TMessage& Message);
  TWindowMethod TrapMethod();

  TWinControl* FControl;
  HWND FHandle = nullptr;
  WNDPROC FSavedWindowProc = nullptr;
  WNDPROC FSavedDefWndProc = nullptr;
  TWindowMethod FSavedControlWindowProc;
  UINT FLastWindowMessage = 0;
  WPARAM FLastWParam = 0;
  LPARAM FLastLParam = 0;
  uint32_t FCallDepth = 0;
  bool FFreeWhenUnwound = false;
  bool FProbeActive = false;
  bool FProbeSeen = false;
};

// Tears the layer down (helpers freed, atoms released); also runs at exit.
// Windows still trapped afterwards pass every message on.
void FinalizeUnicodeLayer();
bool UnicodeLayerFinalised();

// The hint of a hint information marked by the layer, in its wide form.
std::wstring GetWideHintFromHintInfo(const THintInfo& HintInfo);

class TTntCustomHintWindow : public THintWindow {
 public:
  explicit TTntCustomHintWindow(TComponent* AOwner);
  void ActivateHint(RECT Rect, const std::string& AHint) override;
  void ActivateHintData(RECT Rect, const std::string& AHint, void* AData) override;
  RECT CalcHintRect(int MaxWidth, const std::string& AHint, void* AData) override;
  THintWindowClass HintWindowClass() const override;
  void Dispatch(TMessage& Message) override;

  // Wide; the ANSI caption stays reachable as Text().
  std::wstring Caption() { return WideGetWindowText(this); }
  void SetCaption(const std::wstring& Value) { WideSetWindowText(this, Value); }
  using THintWindow::SetCaption;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override;
  void Paint() override;
  void DrawHintText(HDC DC, RECT& Rect, UINT Flags) override;

 private:
  void CMTextChanged(TMessage& Message);
  bool FActivating = false;
  bool FDataActivating = false;
};

// Hint window classes whose windows are TTntCustomHintWindows (the layer's own
// is known); a descendant's class registers here to keep its wide hints.
void RegisterWideHintWindowClass(THintWindowClass Value);
bool IsWideHintWindowClass(THintWindowClass Value);
