#include "unicode_controls/tnt_actions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/actions.h"
#include "framework/format.h"
#include "framework/forms.h"
#include "unicode_controls/tnt_controls.h"
#include "unicode_controls/tnt_menus.h"

namespace {

// A Unicode button that follows its action as every Unicode control does and
// records each text its window is given.
class TTestActionButton : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<std::wstring> Shown;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
  }
  void CreateWindowHandle(const TCreateParams& Params) override {
    CreateUnicodeHandle(this, Params, L"BUTTON");
  }
  void ActionChange(TObject* Sender, bool CheckDefaults) override {
    TntControlActionChange(this, Sender, CheckDefaults);
    TWinControl::ActionChange(Sender, CheckDefaults);
  }
  TControlActionLinkClass GetActionLinkClass() override { return GetUnicodeActionLinkClass(this); }
  void WndProc(TMessage& Message) override {
    TWinControl::WndProc(Message);
    if (Message.Msg == WM_SETTEXT && HandleAllocated()) Shown.push_back(WideGetWindowText(this));
  }
};

// A menu item that records each wide caption it shows after a change.
class TRecordingMenuItem : public TTntMenuItem {
 public:
  using TTntMenuItem::TTntMenuItem;
  std::vector<std::wstring> Shown;

 protected:
  void MenuChanged(bool Rebuild) override {
    TTntMenuItem::MenuChanged(Rebuild);
    Shown.push_back(Caption());
  }
};

// The form the buttons of these tests sit on: one for the suite, as
// destroying a shown top-level window takes long under Wine.
class TntActions : public testing::Test {
 public:
  static void SetUpTestSuite() {
    Form = new TForm(nullptr);
    Form->SetBounds(60, 60, 300, 120);
    Form->Show();
  }
  static void TearDownTestSuite() {
    delete Form;
    Form = nullptr;
  }
  static TForm* Form;
};
TForm* TntActions::Form = nullptr;

// A Unicode button and a popup menu item, both on Action.
struct TActionClients {
  explicit TActionClients(TBasicAction* Action) : Popup(nullptr) {
    Button = new TTestActionButton(nullptr);
    Button->SetParent(TntActions::Form);
    Button->SetBounds(10, 10, 200, 30);
    Button->Handle();
    Item = new TRecordingMenuItem(&Popup);
    Popup.Items()->Add(Item);
    Popup.Handle();
    Button->SetAction(Action);
    Item->SetAction(Action);
  }
  ~TActionClients() { delete Button; }
  TActionClients(const TActionClients&) = delete;
  TActionClients& operator=(const TActionClients&) = delete;

  std::wstring MenuText() const {
    wchar_t buffer[128] = {};
    int length =
        GetMenuStringW(Popup.Items()->Handle(), Item->Command(), buffer, 128, MF_BYCOMMAND);
    return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
  }

  TTntPopupMenu Popup;
  TTestActionButton* Button;
  TRecordingMenuItem* Item;
};

const std::wstring kOpenWhite =
    L"\u041E\u0442\u043A\u0440\u044B\u0442\u044C \u2606";  // "Открыть ☆"
const std::wstring kOpenBlack =
    L"\u041E\u0442\u043A\u0440\u044B\u0442\u044C \u2605";  // "Открыть ★"

TEST_F(TntActions, WideCaptionsReachEveryClientWithoutAnEmptyStep) {
  // ☆ and ★ share one ANSI form: the second step changes only the wide text.
  ASSERT_EQ(WideToAnsi(kOpenWhite), WideToAnsi(kOpenBlack));
  ASSERT_NE(AnsiToWide(WideToAnsi(kOpenBlack)), kOpenBlack);
  TTntAction action(nullptr);
  action.SetCaption(L"Open");
  action.SetHint(L"Opens|Opens \u2605");
  TActionClients c(&action);
  EXPECT_EQ(WideGetHint(c.Button), L"Opens|Opens \u2605");
  EXPECT_EQ(c.Item->Hint(), L"Opens|Opens \u2605");
  for (const std::wstring& caption : {kOpenWhite, kOpenBlack, std::wstring(L"Close"), kOpenBlack}) {
    SCOPED_TRACE(caption);
    action.SetCaption(caption);
    EXPECT_EQ(action.Caption(), caption);
    EXPECT_EQ(WideGetWindowText(c.Button), caption);
    EXPECT_EQ(c.Item->Caption(), caption);
    EXPECT_EQ(c.MenuText(), caption);
  }
  action.SetHint(L"\u2605|\u2606");
  EXPECT_EQ(WideGetHint(c.Button), L"\u2605|\u2606");
  EXPECT_EQ(c.Item->Hint(), L"\u2605|\u2606");
  for (const auto* shown : {&c.Button->Shown, &c.Item->Shown}) {
    ASSERT_FALSE(shown->empty());
    for (const std::wstring& text : *shown)
      EXPECT_FALSE(text.empty()) << testing::PrintToString(*shown);
  }
}

TEST_F(TntActions, PlainActionGivesItsAnsiCaption) {
  TAction action(nullptr);
  const std::string cafe = WideToAnsi(L"Caf\u00E9");
  action.SetCaption(cafe);
  TActionClients c(&action);
  EXPECT_EQ(WideGetWindowText(c.Button), AnsiToWide(cafe));
  EXPECT_EQ(c.Item->Caption(), AnsiToWide(cafe));
  action.SetCaption("Play");
  EXPECT_EQ(WideGetWindowText(c.Button), L"Play");
  EXPECT_EQ(c.MenuText(), L"Play");
  EXPECT_EQ(WideGetActionCaption(&action), L"Play");
}

// A client whose caption was edited away no longer follows; the other does.
TEST_F(TntActions, EditedCaptionIsNoLongerLinked) {
  TTntAction action(nullptr);
  action.SetCaption(kOpenWhite);
  TActionClients c(&action);
  WideSetWindowText(c.Button, L"Mine \u2605");
  EXPECT_FALSE(c.Button->ActionLink()->IsCaptionLinked());
  EXPECT_TRUE(c.Item->ActionLink()->IsCaptionLinked());
  action.SetCaption(kOpenBlack);
  EXPECT_EQ(WideGetWindowText(c.Button), L"Mine \u2605");
  EXPECT_EQ(c.Item->Caption(), kOpenBlack);
  // A change that reaches the ANSI caption too leaves the edited button alone.
  action.SetCaption(L"Close");
  EXPECT_EQ(WideGetWindowText(c.Button), L"Mine \u2605");
  EXPECT_EQ(c.Item->Caption(), L"Close");
}

TEST_F(TntActions, AssignCarriesTheWideTexts) {
  TTntAction source(nullptr);
  source.SetCaption(kOpenBlack);
  source.SetHint(L"\u2605 hint");
  TTntHintAction copy(nullptr);
  copy.Assign(&source);
  EXPECT_EQ(copy.Caption(), kOpenBlack);
  EXPECT_EQ(copy.Hint(), L"\u2605 hint");

  TActionClients c(&source);
  TTntAction fromControl(nullptr);
  fromControl.Assign(c.Button);
  EXPECT_EQ(fromControl.Caption(), kOpenBlack);
  EXPECT_EQ(fromControl.Hint(), L"\u2605 hint");
  // The framework's ANSI texts stay in step.
  EXPECT_EQ(static_cast<TCustomAction&>(fromControl).Caption(), WideToAnsi(kOpenBlack));
}

class TSpecialControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
};
class TSpecialActionLink : public TTntWinControlActionLink {
 public:
  using TTntWinControlActionLink::TTntWinControlActionLink;
};

TEST_F(TntActions, LinkClassesAndHelpers) {
  RegisterUnicodeActionLinkClass<TSpecialControl, TSpecialActionLink>();
  TWinControl windowed(nullptr);
  TGraphicControl graphic(nullptr);
  TSpecialControl special(nullptr);
  auto linkOf = [](TControl* control) {
    return std::unique_ptr<TControlActionLink>(GetUnicodeActionLinkClass(control)(control));
  };
  EXPECT_EQ(typeid(*linkOf(&windowed)), typeid(TTntWinControlActionLink));
  EXPECT_EQ(typeid(*linkOf(&graphic)), typeid(TTntControlActionLink));
  EXPECT_EQ(typeid(*linkOf(&special)), typeid(TSpecialActionLink));

  TAction plain(nullptr);
  TTntAction wide(nullptr);
  EXPECT_EQ(GetActionHelper(&plain), nullptr);
  TCustomActionHelper* helper = GetActionHelper(&wide);
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(helper->Owner(), &wide);
  EXPECT_EQ(GetActionHelper(&wide), helper);
}

}  // namespace
