#include "test_forms.h"

#include "test_support.h"

namespace testing_support {

void FormTest::TearDown() {
  delete form;
  form = nullptr;
  Application()->ProcessMessages();
}

TForm* FormTest::NewForm(int Width, int Height) {
  form = new TForm(nullptr);
  form->SetBounds(700, 60, Width, Height);
  return form;
}

void FormTest::ShowForm() {
  form->Show();
  PumpMessagesUntil([&] { return form->Active(); }, 2000);
  Application()->ProcessMessages();
}

TForm* NewPictureForm(const std::string& Caption, int Width, int Height) {
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsDialog);
  form->SetCaption(Caption);
  form->SetBounds(60, 60, Width, Height);
  form->SetColor(clBtnFace);
  return form;
}

void ShowPainted(TForm* Form) {
  Form->Show();
  PumpPendingMessages();
  RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

TestHost::TestHost(int Width, int Height, bool Shown) : Parent(new TestParent(nullptr)) {
  FTopLevel = CreateWindowExW(WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, 40, 40, Width, Height, nullptr,
                              nullptr, nullptr, nullptr);
  if (Shown) ShowWindow(FTopLevel, SW_SHOWNOACTIVATE);
  Parent->SetParentWindow(FTopLevel);
  Parent->SetBounds(0, 0, Width, Height);
  Parent->HandleNeeded();
}

TestHost::~TestHost() {
  delete Parent;
  DestroyWindow(FTopLevel);
}

}  // namespace testing_support
