// Persistent objects, components (ownership, names, notifications,
// teardown), TList and TObjectList.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <typeinfo>
#include <vector>

#include "Classes.hpp"
#include "Contnrs.hpp"

namespace {

// ---------------------------------------------------------------------------
// Class names from the compiler's type names.

template <class T>
class TBox : public TObject {};

// A class local to a function whose parameters the type name spells out.
std::string NameOfClassInside(int, const char*, std::vector<int>&) {
  class TInside : public TObject {};
  return ClassNameOfType(typeid(TInside));
}

}  // namespace

namespace outer::inner {
class TNested : public TObject {};
}  // namespace outer::inner

namespace {

TEST(ClassName, IsTheLastNameOfTheType) {
  class TLocal : public TObject {};
  EXPECT_EQ(TObject().ClassName(), "TObject");
  EXPECT_EQ(outer::inner::TNested().ClassName(), "TNested");
  EXPECT_EQ(TLocal().ClassName(), "TLocal");
  EXPECT_EQ(ClassNameOfType(typeid(std::runtime_error)), "runtime_error");
  std::vector<int> list;
  EXPECT_EQ(NameOfClassInside(0, "", list), "TInside");
  // A template instance is no flat name: the compiler's own spelling,
  // distinct per instance.
  EXPECT_EQ(TBox<int>().ClassName(), typeid(TBox<int>).name());
  EXPECT_NE(TBox<int>().ClassName(), TBox<char>().ClassName());
}

// ---------------------------------------------------------------------------
// TPersistent.

class TAlpha : public TPersistent {};
class TBeta : public TPersistent {
 public:
  int Value = 0;
  void Assign(TPersistent* source) override {
    if (auto* b = dynamic_cast<TBeta*>(source)) {
      Value = b->Value;
      return;
    }
    TPersistent::Assign(source);
  }
};

TEST(Persistent, AssignFallsBackToAssignToAndRaises) {
  TBeta a, b;
  b.Value = 5;
  a.Assign(&b);
  EXPECT_EQ(a.Value, 5);
  TAlpha alpha;
  try {
    a.Assign(&alpha);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TAlpha to a TBeta");
  }
  try {
    a.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TBeta");
  }
}

// ---------------------------------------------------------------------------
// TComponent.

// Records what it is told and what its teardown sees.
class TProbe : public TComponent {
 public:
  explicit TProbe(TComponent* owner, std::vector<std::string>* log = nullptr) : TComponent(owner), log_(log) {}
  ~TProbe() override {
    if (log_) log_->push_back("~" + Name());
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == Watched) Watched = nullptr;
    if (log_ && component)
      log_->push_back(Name() + (operation == opInsert ? " +" : " -") + component->Name());
  }
  void BeforeDestruction() override {
    // Reached through the virtual call while the object is whole.
    SawDestroying = true;
    TComponent::BeforeDestruction();
    if (log_) log_->push_back(Name() + " destroying=" + (ComponentState().Contains(csDestroying) ? "1" : "0"));
  }
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCount;
  }
  TComponent* Watched = nullptr;
  bool SawDestroying = false;
  int LoadedCount = 0;

 private:
  std::vector<std::string>* log_;
};

TEST(Component, OwnerListsAndFreesItsComponents) {
  std::vector<std::string> log;
  auto* owner = new TProbe(nullptr, &log);
  owner->SetName("Owner");
  auto* a = new TProbe(owner, &log);
  a->SetName("A");
  auto* b = new TProbe(owner, &log);
  b->SetName("B");
  ASSERT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(a->Owner(), owner);
  EXPECT_THROW(owner->Components(2), EListError);
  log.clear();
  owner->Free();
  // Owned components go last first, after the owner was marked destroying.
  std::vector<std::string> expected = {"B destroying=1", "~B", "A destroying=1", "~A", "Owner destroying=1",
                                       "~Owner"};
  EXPECT_EQ(log, expected);
}

TEST(Component, FreeingAnOwnedComponentTellsTheOwnerAndSiblings) {
  std::vector<std::string> log;
  TProbe owner(nullptr, &log);
  owner.SetName("Owner");
  auto* a = new TProbe(&owner, &log);
  a->SetName("A");
  // The owner hears of each arrival (before the new component has a name).
  EXPECT_EQ(std::count(log.begin(), log.end(), "Owner +"), 1);
  auto* b = new TProbe(&owner, &log);
  b->SetName("B");
  EXPECT_NE(std::find(log.begin(), log.end(), "A +"), log.end());  // siblings too
  log.clear();
  a->Free();
  EXPECT_EQ(owner.ComponentCount(), 1);
  // The owner hears of it and passes it on to every owned component.
  EXPECT_NE(std::find(log.begin(), log.end(), "Owner -A"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "B -A"), log.end());
  b->Free();
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(Component, FreeNotificationReachesComponentsOfOtherOwners) {
  TProbe formA(nullptr), formB(nullptr);
  auto* target = new TProbe(&formA);
  auto* holder = new TProbe(&formB);
  holder->Watched = target;
  target->FreeNotification(holder);
  EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
  target->Free();
  EXPECT_EQ(holder->Watched, nullptr);
}

TEST(Component, RemoveFreeNotificationStopsTheNotice) {
  TProbe a(nullptr), b(nullptr);
  auto* target = new TProbe(nullptr);
  a.Watched = target;
  b.Watched = target;
  target->FreeNotification(&a);
  target->FreeNotification(&b);
  target->RemoveFreeNotification(&b);
  target->Free();
  EXPECT_EQ(a.Watched, nullptr);
  EXPECT_NE(b.Watched, nullptr);
}

TEST(Component, AFreedListenerIsForgottenByWhatItWatched) {
  auto* target = new TProbe(nullptr);
  auto* listener = new TProbe(nullptr);
  target->FreeNotification(listener);
  listener->Free();  // must unregister from target, or target's teardown would call a freed object
  target->Free();
  SUCCEED();
}

TEST(Component, BareDeleteStillTearsDown) {
  TProbe owner(nullptr);
  auto* child = new TProbe(&owner);
  auto* grandChild = new TProbe(child);
  (void)grandChild;
  delete child;
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(Component, NamesAreIdentifiersAndUniqueCaseInsensitively) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Button1");
  EXPECT_EQ(owner.FindComponent("BUTTON1"), a);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  try {
    b->SetName("button1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named button1 already exists");
  }
  try {
    b->SetName("1st");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "'1st' is not a valid component name");
  }
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  a->SetName("BUTTON1");  // its own name in another case
  EXPECT_EQ(a->Name(), "BUTTON1");
  b->SetName("_x9");
  b->SetName("");  // clearing is allowed
  EXPECT_EQ(b->Name(), "");
  EXPECT_TRUE(IsValidIdent("_a1"));
  EXPECT_FALSE(IsValidIdent(""));
}

TEST(Component, InsertingANamedDuplicateRaises) {
  TComponent owner(nullptr), other(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName("Same");
  auto* b = new TComponent(&other);
  b->SetName("same");
  other.RemoveComponent(b);
  EXPECT_EQ(b->Owner(), nullptr);
  EXPECT_THROW(owner.InsertComponent(b), EComponentError);
  b->Free();
}

TEST(Component, StateFlagsAndLoaded) {
  TProbe p(nullptr);
  p.SetComponentStateItem(csLoading, true);
  p.SetComponentStateItem(csDesigning, true);
  EXPECT_TRUE(p.ComponentState().Contains(csLoading));
  EXPECT_FALSE(p.ComponentState().Contains(csDesigning));  // never at run time
  p.Loaded();
  EXPECT_FALSE(p.ComponentState().Contains(csLoading));
  EXPECT_EQ(p.LoadedCount, 1);
  p.SetTag(7);
  EXPECT_EQ(p.Tag(), 7);
}

// ---------------------------------------------------------------------------
// TList and TObjectList.

int CompareInts(void* a, void* b) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(a) - reinterpret_cast<std::intptr_t>(b));
}
void* P(std::intptr_t v) { return reinterpret_cast<void*>(v); }

TEST(List, EditingOperations) {
  TList l;
  for (int v : {5, 3, 9, 1}) l.Add(P(v));
  l.Insert(0, P(7));
  EXPECT_EQ(l.Count(), 5);
  EXPECT_EQ(l.IndexOf(P(9)), 3);
  l.Exchange(0, 4);
  EXPECT_EQ(l.First(), P(1));
  EXPECT_EQ(l.Last(), P(7));
  l.Move(0, 2);  // 5 3 1 9 7
  EXPECT_EQ(l.Items(2), P(1));
  EXPECT_EQ(l.Remove(P(3)), 1);
  EXPECT_EQ(l.Remove(P(3)), -1);
  l.Sort(CompareInts);
  std::vector<void*> sorted(l.List(), l.List() + l.Count());
  EXPECT_EQ(sorted, (std::vector<void*>{P(1), P(5), P(7), P(9)}));
  l.SetItems(1, nullptr);
  l.Add(nullptr);
  l.Pack();
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Extract(P(7)), P(7));
  EXPECT_EQ(l.Extract(P(7)), nullptr);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Capacity(), 0);
}

TEST(List, BadIndexesRaiseWithTheIndex) {
  TList l;
  l.Add(P(1));
  try {
    l.Delete(3);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
  EXPECT_THROW(l.Items(-1), EListError);
  EXPECT_THROW(l.Insert(2, P(2)), EListError);
  l.Insert(1, P(2));  // at the end is fine
  EXPECT_THROW(l.Move(0, 5), EListError);
  EXPECT_THROW(l.SetCapacity(1), EListError);
  l.Clear();
  EXPECT_THROW(l.First(), EListError);
}

TEST(List, SortHandlesManyEqualKeys) {
  TList l;
  for (int i = 0; i < 500; ++i) l.Add(P((i * 7919) % 13));
  l.Sort(CompareInts);
  for (int i = 1; i < l.Count(); ++i) ASSERT_LE(CompareInts(l.Items(i - 1), l.Items(i)), 0);
}

class TCounted : public TObject {
 public:
  explicit TCounted(int* alive) : alive_(alive) { ++*alive_; }
  ~TCounted() override { --*alive_; }

 private:
  int* alive_;
};

TEST(ObjectList, OwnsAndFreesOnDeleteClearAndDestruction) {
  int alive = 0;
  {
    TObjectList list;
    for (int i = 0; i < 4; ++i) list.Add(new TCounted(&alive));
    EXPECT_EQ(alive, 4);
    list.Delete(0);
    EXPECT_EQ(alive, 3);
    TObject* kept = list.Extract(list.Items(0));
    EXPECT_EQ(alive, 3);
    kept->Free();
    list.SetItems(0, new TCounted(&alive));  // replaces (and frees) the old one
    EXPECT_EQ(alive, 2);
    list.Remove(list.Last());
    EXPECT_EQ(alive, 1);
    list.Add(new TCounted(&alive));
  }
  EXPECT_EQ(alive, 0);
  TObjectList notOwning(false);
  TCounted c(&alive);
  notOwning.Add(&c);
  notOwning.Clear();
  EXPECT_EQ(alive, 1);
}

}  // namespace
