#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/exceptions.h"
#include "test_support.h"

using testing_support::MessageOf;

namespace {

using Log = std::vector<std::wstring>;

// Writes what happens to it into a shared log as "<name>:<event>".
class TRecorder : public TComponent {
 public:
  TRecorder(TComponent* owner, const std::wstring& name, Log* log) : TComponent(owner), FLog(log) {
    SetName(name);
  }
  ~TRecorder() override { FLog->push_back(L"~" + Name()); }
  void Notification(TComponent* c, TOperation op) override {
    FLog->push_back(Name() + L":" + c->Name() + (op == opInsert ? L"+" : L"-"));
    if (OnNotify) OnNotify();
  }
  void Loaded() override {
    FLog->push_back(Name() +
                    (ComponentState().Contains(csReading) ? L":loaded reading" : L":loaded"));
    TComponent::Loaded();
    if (OnLoaded) OnLoaded();
  }
  void Destroying() override {
    if (!ComponentState().Contains(csDestroying)) FLog->push_back(Name() + L":destroying");
    TComponent::Destroying();
  }
  std::function<void()> OnNotify, OnLoaded;

 private:
  Log* FLog;
};

Log Loads(Log log) {
  std::erase_if(log, [](const std::wstring& e) {
    return e.find(L":loaded") == e.npos && e.find(L":OnCreate") == e.npos;
  });
  return log;
}

// Built the way forms are: components made in code inside a loading scope.
class TTestForm : public TRecorder {
 public:
  TTestForm(Log* log, const std::function<void(TTestForm*)>& build)
      : TRecorder(nullptr, L"Form", log) {
    {
      TLoadingScope scope(this);
      build(this);
    }
    log->push_back(L"Form:OnCreate");
  }
};

class TTestFrame : public TRecorder {
 public:
  TTestFrame(TComponent* owner, Log* log) : TRecorder(owner, L"Frame", log) {
    TLoadingScope scope(this);
    new TRecorder(this, L"F1", log);
  }
};

}  // namespace

TEST(Component, OwnsInCreationOrderAndDestroysInReverse) {
  Log log;
  auto* owner = new TRecorder(nullptr, L"O", &log);
  auto* a = new TRecorder(owner, L"A", &log);
  auto* b = new TRecorder(owner, L"B", &log);
  auto* c = new TRecorder(owner, L"C", &log);
  TRecorder watcher(nullptr, L"W", &log);
  for (TComponent* x : std::vector<TComponent*>{owner, a, b, c}) x->FreeNotification(&watcher);

  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(owner->Components(2), c);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(owner->ComponentIndex(), -1);
  EXPECT_EQ(MessageOf<EListError>([&] { owner->Components(3); }), L"List index out of bounds (3)");
  EXPECT_EQ(MessageOf<EListError>([&] { owner->Components(-1); }),
            L"List index out of bounds (-1)");

  log.clear();
  delete owner;
  EXPECT_EQ(log, (Log{L"~O", L"A:destroying", L"B:destroying", L"C:destroying", L"W:O-", L"~C",
                      L"W:C-", L"~B", L"W:B-", L"~A", L"W:A-"}));
}

TEST(Component, FreeNotificationWorksWhicheverDiesFirst) {
  for (bool subjectFirst : {true, false}) {
    Log log;
    auto* subject = new TRecorder(nullptr, L"S", &log);
    auto* observer = new TRecorder(nullptr, L"X", &log);
    subject->FreeNotification(observer);
    delete (subjectFirst ? subject : observer);
    delete (subjectFirst ? observer : subject);
    EXPECT_EQ(log, subjectFirst ? (Log{L"~S", L"X:S-", L"~X"}) : (Log{L"~X", L"S:X-", L"~S"}));
  }

  Log log;
  auto* subject = new TRecorder(nullptr, L"S", &log);
  TRecorder observer(nullptr, L"X", &log);
  subject->FreeNotification(&observer);
  observer.RemoveFreeNotification(subject);  // undone from the other side
  delete subject;
  EXPECT_EQ(log, (Log{L"~S"}));
}

TEST(Component, ClientDeletedDuringNotificationIsSkipped) {
  Log log;
  auto* subject = new TRecorder(nullptr, L"S", &log);
  auto* x = new TRecorder(nullptr, L"X", &log);
  auto* y = new TRecorder(nullptr, L"Y", &log);
  auto* z = new TRecorder(nullptr, L"Z", &log);
  for (TComponent* client : {x, y, z}) subject->FreeNotification(client);
  // Clients hear last registered first: Z deletes Y before Y's turn. The
  // newcomer likely takes Y's memory, so a stale pointer to Y would reach it.
  TRecorder* newcomer = nullptr;
  z->OnNotify = [&] {
    delete y;
    newcomer = new TRecorder(nullptr, L"N", &log);
  };
  delete subject;
  EXPECT_EQ(log, (Log{L"~S", L"Z:S-", L"~Y", L"X:S-"}));
  delete newcomer;
  delete x;
  delete z;
}

TEST(Component, NamesAreIdentifiersUniqueInTheOwnerIgnoringCase) {
  Log log;
  TRecorder owner(nullptr, L"Form", &log);
  auto* play = new TRecorder(&owner, L"Play", &log);
  auto* other = new TComponent(&owner);
  for (std::wstring bad : {L"1st", L"a b", L"a-b", L"caf\u00e9", L" x"}) {
    EXPECT_EQ(MessageOf<EComponentError>([&] { other->SetName(bad); }),
              L"'" + bad + L"' is not a valid component name");
  }
  for (std::wstring good : {L"_x", L"Seek_Bar2", L""}) {
    other->SetName(good);
    EXPECT_EQ(other->Name(), good);
  }
  EXPECT_EQ(MessageOf<EComponentError>([&] { other->SetName(L"PLAY"); }),
            L"A component named PLAY already exists");
  EXPECT_EQ(other->Name(), L"");
  play->SetName(L"PLAY");  // its own name in another case
  EXPECT_EQ(owner.FindComponent(L"play"), play);
  EXPECT_EQ(owner.FindComponent(L"Pause"), nullptr);
  EXPECT_EQ(owner.FindComponent(L""), nullptr);
  TComponent loose1(nullptr), loose2(nullptr);  // no owner, nothing to clash with
  loose1.SetName(L"Play");
  loose2.SetName(L"Play");
}

TEST(Component, OwnersHearOfArrivalsAndDeparturesAndRefuseClashesAndCycles) {
  Log log;
  TRecorder o1(nullptr, L"O1", &log), o2(nullptr, L"O2", &log);
  auto* a = new TRecorder(&o1, L"A", &log);
  auto* clash = new TRecorder(&o2, L"a", &log);
  log.clear();
  EXPECT_THROW(o2.InsertComponent(a), EComponentError);
  EXPECT_EQ(a->Owner(), &o1);
  clash->SetName(L"Other");
  o2.InsertComponent(a);
  EXPECT_EQ(a->Owner(), &o2);
  EXPECT_EQ(o1.ComponentCount(), 0);
  EXPECT_EQ(o2.Components(1), a);
  EXPECT_THROW(a->InsertComponent(&o2), EComponentError);
  EXPECT_THROW(a->InsertComponent(a), EComponentError);
  o2.RemoveComponent(a);
  EXPECT_EQ(a->Owner(), nullptr);
  delete a;
  delete clash;  // on its own: its owner hears of it
  EXPECT_EQ(o2.ComponentCount(), 0);
  EXPECT_EQ(log, (Log{L"O1:A-", L"O2:A+", L"O2:A-", L"~A", L"~Other", L"O2:Other-"}));
}

TEST(LoadingScope, LoadsOnceInInsertionOrderThenTheRootThenOnCreate) {
  Log log;
  std::vector<TComponent*> created;
  TTestForm form(&log, [&](TTestForm* f) {
    auto* a = new TRecorder(f, L"A", &log);
    auto* c = new TRecorder(a, L"C", &log);  // deeper in the tree
    new TTestFrame(f, &log);                 // with a scope of its own
    auto* b = new TRecorder(f, L"B", &log);
    a->OnLoaded = [b] { delete b; };  // B never gets there
    created = {f, a, c};
    for (TComponent* x : std::vector<TComponent*>{f, a, c, b}) {
      EXPECT_TRUE(x->ComponentState().Contains(csLoading) &&
                  x->ComponentState().Contains(csReading));
    }
  });
  EXPECT_EQ(Loads(log), (Log{L"F1:loaded", L"A:loaded", L"C:loaded", L"Frame:loaded",
                             L"Form:loaded", L"Form:OnCreate"}));
  for (TComponent* x : created) EXPECT_TRUE(x->ComponentState().Empty());
  EXPECT_TRUE(TComponent(&form).ComponentState().Empty());
}

TEST(LoadingScope, FailuresReleaseComponentsUnloaded) {
  Log log;
  TRecorder root(nullptr, L"Root", &log);
  TRecorder* a = nullptr;
  try {
    TLoadingScope scope(&root);
    a = new TRecorder(&root, L"A", &log);
    throw std::runtime_error("building failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(Loads(log).empty());
  EXPECT_TRUE(root.ComponentState().Empty() && a->ComponentState().Empty());

  // A Loaded that raises stops the others, which are released all the same.
  TLoadingScope scope(&root);
  auto* c = new TRecorder(&root, L"C", &log);
  auto* b = new TRecorder(&root, L"B", &log);
  c->OnLoaded = [] { throw EComponentError(L"bad skin"); };
  EXPECT_THROW(scope.End(), EComponentError);
  EXPECT_EQ(Loads(log), (Log{L"C:loaded"}));
  EXPECT_TRUE(b->ComponentState().Empty() && root.ComponentState().Empty());
}

namespace {

class TSwatch : public TPersistent {
 public:
  int32_t Color = 0;
};

// Knows how to write itself into a swatch, which does not know it.
class TPalette : public TPersistent {
 public:
  int32_t First = 0;

 protected:
  void AssignTo(TPersistent* dest) override {
    if (auto* swatch = dynamic_cast<TSwatch*>(dest)) {
      swatch->Color = First;
    } else {
      TPersistent::AssignTo(dest);
    }
  }
};

}  // namespace

TEST(Persistent, AssignAsksTheSourceThenRaises) {
  TSwatch swatch;
  TPalette palette;
  palette.First = 9;
  swatch.Assign(&palette);
  EXPECT_EQ(swatch.Color, 9);
  EXPECT_EQ(MessageOf<EConvertError>([&] { palette.Assign(&swatch); }),
            L"Cannot assign a TSwatch to a TPalette");
  EXPECT_EQ(MessageOf<EConvertError>([&] { swatch.Assign(nullptr); }),
            L"Cannot assign a nil to a TSwatch");
}
