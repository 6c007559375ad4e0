#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/actions.h"
#include "framework/menus.h"
#include "framework/messages.h"
#include "test_support.h"

using testing_support::ScopedKeys;

namespace {

// A client without a control: it keeps its own caption and enabled state and
// follows the action only while it still shows the action's value.
class StubClientLink : public TActionLink {
 public:
  StubClientLink() : TActionLink(nullptr) {}
  bool IsCaptionLinked() override {
    return TActionLink::IsCaptionLinked() && caption == CustomAction()->Caption();
  }
  bool IsEnabledLinked() override {
    return TActionLink::IsEnabledLinked() && enabled == CustomAction()->Enabled();
  }
  void SetCaption(const std::string& value) override {
    seen.push_back(CustomAction()->Caption() + "->" + value);
    if (IsCaptionLinked()) caption = value;
  }
  void SetEnabled(bool value) override {
    if (IsEnabledLinked()) enabled = value;
  }

  std::string caption;
  bool enabled = true;
  std::vector<std::string> seen;  // "action's caption at the hand-over->new value"
};

// Installs hooks for one test and puts back whatever was there (the forms
// unit installs the application's).
class ScopedHooks {
 public:
  explicit ScopedHooks(TActionHooks hooks) : FPrevious(SetActionHooks(std::move(hooks))) {}
  ~ScopedHooks() { SetActionHooks(std::move(FPrevious)); }

 private:
  TActionHooks FPrevious;
};

}  // namespace

TEST(Actions, LinksSeeTheOldValueAndStopFollowingOnceTheirClientDiffers) {
  ScopedHooks hooks({});
  TAction action(nullptr);
  action.SetCaption("Open");
  StubClientLink link;
  link.caption = "Open";
  link.SetAction(&action);
  // A plain link hears every change; a property link gets the values one by
  // one instead, and no blanket re-sync that would undo its tests.
  TBasicActionLink plain(nullptr);
  plain.SetAction(&action);
  int changes = 0, resyncs = 0;
  plain.SetOnChange([&](TObject* sender) {
    EXPECT_EQ(sender, &action);
    ++changes;
  });
  link.SetOnChange([&](TObject*) { ++resyncs; });

  action.SetCaption("Load");
  EXPECT_EQ(link.caption, "Load");
  link.caption = "Mine";
  action.SetCaption("Fetch");
  action.SetCaption("Fetch");  // unchanged: nobody hears of it
  EXPECT_EQ(link.caption, "Mine");
  EXPECT_EQ(link.seen, (std::vector<std::string>{"Open->Load", "Load->Fetch"}));
  EXPECT_EQ(action.Caption(), "Fetch");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(resyncs, 0);

  action.SetEnabled(false);
  EXPECT_FALSE(link.enabled);
}

TEST(Actions, CheckingAnActionUnchecksTheOthersOfItsGroup) {
  ScopedHooks hooks({});
  TActionList list(nullptr);
  TAction a(nullptr), b(nullptr), other(nullptr), loose(nullptr);
  for (TAction* action : {&a, &b, &other}) action->SetActionList(&list);
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  other.SetGroupIndex(2);
  loose.SetGroupIndex(1);  // same group, but in no list

  a.SetChecked(true);
  other.SetChecked(true);
  loose.SetChecked(true);
  b.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(b.Checked());
  EXPECT_TRUE(other.Checked());
  EXPECT_TRUE(loose.Checked());

  // AutoCheck toggles, except that a checked member of a group stays checked.
  b.SetAutoCheck(true);
  b.SetOnExecute([](TObject*) {});
  b.Execute();
  EXPECT_TRUE(b.Checked());
  a.SetAutoCheck(true);
  a.SetOnExecute([](TObject*) {});
  a.Execute();
  EXPECT_TRUE(a.Checked());
  EXPECT_FALSE(b.Checked());
}

TEST(Actions, ShortCutsOfTheListRunEnabledActions) {
  ScopedHooks hooks({});
  TActionList list(nullptr);
  TAction save(nullptr), quit(nullptr), disabled(nullptr), noHandler(nullptr);
  int saved = 0, quitted = 0, ranDisabled = 0;
  save.SetShortCut(scCtrl | 'S');
  save.SetOnExecute([&](TObject*) { ++saved; });
  quit.SetShortCut(scAlt | VK_F4);
  quit.SetOnExecute([&](TObject*) { ++quitted; });
  disabled.SetShortCut(scShift | scCtrl | 'D');
  disabled.SetOnExecute([&](TObject*) { ++ranDisabled; });
  disabled.SetOnUpdate([&](TObject*) { disabled.SetEnabled(false); });
  noHandler.SetShortCut(scCtrl | 'N');  // a TAction without OnExecute disables itself
  for (TAction* action : {&save, &quit, &disabled, &noHandler}) action->SetActionList(&list);

  struct Case {
    const char* name;
    std::initializer_list<int> keys;
    UINT msg;
    WPARAM key;
    LPARAM keyData;
    bool answer;
    int saved, quitted;
  } cases[] = {
      {"Ctrl+S", {VK_CONTROL}, WM_KEYDOWN, 'S', 0, true, 1, 0},
      {"S alone", {}, WM_KEYDOWN, 'S', 0, false, 1, 0},
      {"Shift+Ctrl+S", {VK_SHIFT, VK_CONTROL}, WM_KEYDOWN, 'S', 0, false, 1, 0},
      {"Ctrl+S key up", {VK_CONTROL}, WM_KEYUP, 'S', 0, false, 1, 0},
      {"Alt+F4 from bit 29", {}, WM_SYSKEYDOWN, VK_F4, 1 << 29, true, 1, 1},
      {"high word of WParam ignored", {VK_CONTROL}, WM_KEYDOWN, 0x12340000 | 'S', 0, true, 2, 1},
      {"disabled action swallows", {VK_SHIFT, VK_CONTROL}, WM_KEYDOWN, 'D', 0, true, 2, 1},
      {"action without handler", {VK_CONTROL}, WM_KEYDOWN, 'N', 0, true, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedKeys keys(c.keys);
    TMessage message{c.msg, c.key, c.keyData, 0};
    EXPECT_EQ(list.IsShortCut(message), c.answer);
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(quitted, c.quitted);
  }
  EXPECT_EQ(ranDisabled, 0);
  EXPECT_FALSE(noHandler.Enabled());
}

TEST(Actions, NeitherSideOfALinkOutlivesTheOtherDangling) {
  ScopedHooks hooks({});
  // The action dies first: the link forgets it.
  auto* action = new TAction(nullptr);
  StubClientLink link;
  link.SetAction(action);
  EXPECT_EQ(action->ClientCount(), 1);
  delete action;
  EXPECT_EQ(link.Action(), nullptr);
  EXPECT_FALSE(link.Execute());

  // The link dies first: the action no longer calls it.
  TAction survivor(nullptr);
  auto* shortLived = new StubClientLink;
  shortLived->SetAction(&survivor);
  delete shortLived;
  EXPECT_EQ(survivor.ClientCount(), 0);
  survivor.SetCaption("still fine");

  // Lists and actions, both ways round.
  auto* list = new TActionList(nullptr);
  auto* member = new TAction(nullptr);
  TAction orphan(nullptr);
  member->SetActionList(list);
  orphan.SetActionList(list);
  EXPECT_EQ(orphan.Index(), 1);
  delete member;
  ASSERT_EQ(list->ActionCount(), 1);
  EXPECT_EQ(orphan.Index(), 0);
  delete list;
  EXPECT_EQ(orphan.ActionList(), nullptr);
}

TEST(Actions, ExecuteAndUpdateAskTheListTheApplicationTheHandlerThenTheAppMessage) {
  std::vector<std::string> calls;
  struct Case {
    const char* name;
    bool listHandles, hookHandles, hasHandler;
    LRESULT appAnswer;
    std::vector<std::string> calls;
    bool result;
  } cases[] = {
      {"list", true, true, true, 1, {"list"}, true},
      {"application", false, true, true, 1, {"list", "hook"}, true},
      {"handler", false, false, true, 1, {"list", "hook", "handler"}, true},
      {"app message", false, false, false, 1, {"list", "hook", "message"}, true},
      {"nobody", false, false, false, 0, {"list", "hook", "message"}, false},
  };
  for (const Case& c : cases) {
    for (bool update : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (update ? " (update)" : " (execute)"));
      TActionList list(nullptr);
      TAction action(nullptr);
      action.SetActionList(&list);
      TActionHooks hooks;
      hooks.ExecuteAction = hooks.UpdateAction = [&](TBasicAction* a) {
        EXPECT_EQ(a, &action);
        calls.push_back("hook");
        return c.hookHandles;
      };
      hooks.SendAppMessage = [&](UINT msg, WPARAM, LPARAM lParam) {
        EXPECT_EQ(msg, update ? CM_ACTIONUPDATE : CM_ACTIONEXECUTE);
        EXPECT_EQ(lParam, reinterpret_cast<LPARAM>(static_cast<TBasicAction*>(&action)));
        calls.push_back("message");
        return c.appAnswer;
      };
      ScopedHooks scoped(std::move(hooks));
      TActionEvent listHandler = [&](TBasicAction*, bool& handled) {
        calls.push_back("list");
        handled = c.listHandles;
      };
      list.SetOnExecute(listHandler);
      list.SetOnUpdate(listHandler);
      if (c.hasHandler) {
        TNotifyEvent handler = [&](TObject*) { calls.push_back("handler"); };
        update ? action.SetOnUpdate(handler) : action.SetOnExecute(handler);
      }
      calls.clear();
      EXPECT_EQ(update ? action.Update() : action.Execute(), c.result);
      EXPECT_EQ(calls, c.calls);
    }
  }
}

TEST(Actions, AnUnhandledUpdateDisablesOnlyActionsThatWantAHandler) {
  ScopedHooks hooks({});
  TAction action(nullptr);
  THintAction hint(nullptr);
  EXPECT_FALSE(action.Update());
  EXPECT_FALSE(hint.Update());
  EXPECT_FALSE(action.Enabled());
  EXPECT_TRUE(hint.Enabled());
  action.SetOnExecute([](TObject*) {});
  action.Update();
  EXPECT_TRUE(action.Enabled());
}
