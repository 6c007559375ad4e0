// Builders of the windows that control tests put their controls on.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/controls.h"
#include "framework/forms.h"

namespace testing_support {

// A fixture with a form for the controls under test, at (700, 60), beside
// the windows other tests show. The form goes after each test, with the
// messages its going leaves.
class FormTest : public testing::Test {
 protected:
  void TearDown() override;
  // The form, Width x Height, not shown yet.
  TForm* NewForm(int Width, int Height);
  // Shows the form and waits (bounded) until it is active, so that the focus
  // and the dialog keys behave as for a user.
  void ShowForm();

  TForm* form = nullptr;
};

// A control of Parent's at (10, Top), Width x 24, with Caption (ANSI, or wide
// for the Unicode layer's controls).
template <typename C, typename TCaption>
C* AddControl(TWinControl* Parent, const TCaption& Caption, int Top, int Width = 120) {
  auto* control = new C(Parent);
  control->SetParent(Parent);
  control->SetBounds(10, Top, Width, 24);
  control->SetCaption(Caption);
  return control;
}

// A dialog-framed form in the button face colour at (60, 60), for a picture.
TForm* NewPictureForm(const std::string& Caption, int Width, int Height);
// Shows the form and has it painted, children included, for its picture.
void ShowPainted(TForm* Form);

// A plain framework control whose window a test may take away.
class TestParent : public TWinControl {
 public:
  using TWinControl::TWinControl;
  using TWinControl::DestroyHandle;
};

// A framework parent (so that notifications reach its controls reflected)
// filling a popup top-level window of Width x Height at (40, 40). Shown, the
// window is never activated: Wine treats an activated top-level window as one
// a window manager looks after, and with none on the display it may wait two
// seconds for it. The parent goes first, with every control it owns.
class TestHost {
 public:
  TestHost(int Width, int Height, bool Shown = true);
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  // A control of Parent's, at the given bounds.
  template <typename C>
  C* Add(int Left, int Top, int Width, int Height) {
    auto* control = new C(Parent);
    control->SetParent(Parent);
    control->SetBounds(Left, Top, Width, Height);
    return control;
  }

  HWND TopLevel() const { return FTopLevel; }
  TestParent* Parent;

 private:
  HWND FTopLevel;
};

}  // namespace testing_support
