// Test-only Unicode controls and the window they sit on.
#pragma once

#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/forms.h"
#include "test_forms.h"
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

// A Unicode edit and a Unicode panel on a shown host (test_forms.h) whose
// parent is Host.
class TTestHost : public testing_support::TestHost {
 public:
  TTestHost()
      : TestHost(420, 160),
        Host(Parent),
        Edit(Add<TTestUnicodeEdit>(10, 10, 300, 26)),
        Panel(Add<TTestUnicodePanel>(10, 50, 300, 40)) {
    Host->HandleNeeded();
  }

  TWinControl* Host;
  TTestUnicodeEdit* Edit;
  TTestUnicodePanel* Panel;
};

inline std::wstring SystemWindowText(HWND Wnd) {
  wchar_t buffer[256] = {};
  GetWindowTextW(Wnd, buffer, 256);
  return buffer;
}

}  // namespace unicode_test
