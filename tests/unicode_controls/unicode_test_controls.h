// Test-only Unicode controls and the window they sit on.
#pragma once

#include <windows.h>

#include <string>

#include "controls.h"
#include "forms.h"
#include "unicode_controls/tnt_controls.h"

namespace unicode_test {

// A Unicode "EDIT" (SystemClass = true) or a Unicode window of its own class.
class TTestUnicodeEdit : public TWinControl {
 public:
  explicit TTestUnicodeEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetOnKeyPress([this](TObject*, char& Key) {
      KeyPresses += Key;
      if (Key == SwallowKey) Key = 0;
    });
  }
  using TWinControl::DestroyHandle;

  std::string KeyPresses;  // every character OnKeyPress saw
  char SwallowKey = 0;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "EDIT");
    Params.Style |= ES_AUTOHSCROLL | WS_BORDER;
  }
  void CreateWindowHandle(const TCreateParams& Params) override {
    CreateUnicodeHandle(this, Params, L"EDIT");
  }
};

class TTestUnicodePanel : public TWinControl {
 public:
  using TWinControl::TWinControl;
  using TWinControl::DestroyHandle;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override {
    CreateUnicodeHandle(this, Params, L"");
  }
};

// A Unicode edit and a Unicode panel on a plain framework control that lives
// in a shown top-level window. Shown without activation: Wine treats an
// activated top-level window as one a window manager looks after, and with no
// window manager on the display it may wait two seconds for it to go away.
class TTestHost {
 public:
  TTestHost() {
    FTopLevel = CreateWindowExW(WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, 40, 40, 420, 160,
                                nullptr, nullptr, nullptr, nullptr);
    ShowWindow(FTopLevel, SW_SHOWNOACTIVATE);
    Host = new TWinControl(nullptr);
    Host->SetParentWindow(FTopLevel);
    Host->SetBounds(0, 0, 420, 160);
    Edit = new TTestUnicodeEdit(Host);
    Edit->SetParent(Host);
    Edit->SetBounds(10, 10, 300, 26);
    Panel = new TTestUnicodePanel(Host);
    Panel->SetParent(Host);
    Panel->SetBounds(10, 50, 300, 40);
    Host->HandleNeeded();
  }
  ~TTestHost() {
    delete Host;
    DestroyWindow(FTopLevel);
  }
  TTestHost(const TTestHost&) = delete;
  TTestHost& operator=(const TTestHost&) = delete;

  HWND TopLevel() const { return FTopLevel; }
  TWinControl* Host;
  TTestUnicodeEdit* Edit;
  TTestUnicodePanel* Panel;

 private:
  HWND FTopLevel;
};

inline std::wstring SystemWindowText(HWND Wnd) {
  wchar_t buffer[256] = {};
  GetWindowTextW(Wnd, buffer, 256);
  return buffer;
}

}  // namespace unicode_test
