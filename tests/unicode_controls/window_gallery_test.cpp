// Pictures of the framework's windows as a person sees them: a form with
// Unicode controls, and both hint windows. Each picture is checked for ink
// where text should be; set TAVRIN_PICTURE_DIR to keep the pictures and look.
#include <gtest/gtest.h>

#include <string>

#include "framework/forms.h"
#include "test_forms.h"
#include "test_support.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_test_controls.h"
#include "window_picture.h"

using testing_support::InkInWindowPicture;
using unicode_test::TTestUnicodeEdit;
using unicode_test::TTestUnicodePanel;

namespace {

// A panel that paints a caption line on its own canvas, as skinned controls do.
class TCaptionPanel : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    RECT r = ClientRect();
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(r);
    Canvas()->Pen()->SetColor(clBtnShadow);
    Canvas()->MoveTo(0, r.bottom - 1);
    Canvas()->LineTo(r.right, r.bottom - 1);
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextOut(8, 6, Caption());
  }
};

RECT InWindow(HWND window, HWND child) { return testing_support::ChildInWindow(window, child, 2); }

}  // namespace

TEST(WindowGallery, AFormWithUnicodeControls) {
  auto* form = testing_support::NewPictureForm("Tavrin - gallery", 360, 170);
  auto* heading = new TCaptionPanel(form);
  heading->SetParent(form);
  heading->SetAlign(alTop);
  heading->SetHeight(30);
  heading->SetCaption("Playlist entry");
  auto* edit = new TTestUnicodeEdit(form);
  edit->SetParent(form);
  edit->SetBounds(12, 44, 320, 24);
  auto* panel = new TTestUnicodePanel(form);
  panel->SetParent(form);
  panel->SetBounds(12, 80, 320, 40);
  form->Show();
  WideSetWindowText(edit, L"Привет ★ é - Ünïcödé");
  testing_support::PumpPendingMessages();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

  const RECT text = InWindow(form->Handle(), edit->Handle());
  EXPECT_GT(InkInWindowPicture(form->Handle(), L"gallery_form.png", text), 30);
  RECT title = InWindow(form->Handle(), heading->Handle());
  EXPECT_GT(InkInWindowPicture(form->Handle(), L"gallery_form.png", title), 30);
  form->Hide();
  delete form;
}

TEST(WindowGallery, HintWindowsShowTheirText) {
  struct Case {
    THintWindow* window;
    const wchar_t* file;
  } cases[] = {{new THintWindow(nullptr), L"gallery_hint.png"},
               {new TTntCustomHintWindow(nullptr), L"gallery_wide_hint.png"}};
  for (const Case& c : cases) {
    RECT r = c.window->CalcHintRect(300, "Next track (Ctrl+F5)", nullptr);
    OffsetRect(&r, 500, 400);
    c.window->ActivateHint(r, "Next track (Ctrl+F5)");
    testing_support::PumpPendingMessages();
    UpdateWindow(c.window->Handle());
    RECT ink{2, 2, r.right - r.left - 2, r.bottom - r.top - 2};
    EXPECT_GT(InkInWindowPicture(c.window->Handle(), c.file, ink), 20) << c.file;
    EXPECT_GT(r.right - r.left, 60);
    EXPECT_GT(r.bottom - r.top, 10);
    c.window->ReleaseHandle();
    delete c.window;
  }
}
