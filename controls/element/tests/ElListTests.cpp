// The pointer containers: growth and shrink rules, range errors and their
// messages, event order and ownership.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElList.hpp"

namespace {

void* P(std::intptr_t n) { return reinterpret_cast<void*>(n); }

// Records every delete event as "<item>" and every destruction as "~<id>".
struct EventLog : TObject {
  std::vector<std::string> entries;
  void OnDelete(TObject*, void* item) {
    entries.push_back(item ? std::to_string(reinterpret_cast<std::intptr_t>(item)) : "nil");
  }
};

// An owned object that logs its destruction. One made to raise does so in
// BeforeDestruction, the part of Free that runs before the memory goes; such
// an object stays allocated and the test releases it with Dispose.
class Tracked : public TObject {
 public:
  Tracked(std::vector<std::string>& log, std::string id, bool raise = false)
      : log_(log), id_(std::move(id)), raise_(raise) {}
  void BeforeDestruction() override {
    log_.push_back("~" + id_);
    if (raise_) throw Exception("destructor failed");
  }
  void Dispose() {
    raise_ = false;
    delete this;
  }

 private:
  std::vector<std::string>& log_;
  std::string id_;
  bool raise_;
};

// Logs items as object ids when they are Tracked objects.
struct ObjectLog : TObject {
  std::vector<std::string>* log = nullptr;
  void OnDelete(TObject*, void* item) { log->push_back(item ? "event" : "event nil"); }
};

std::vector<std::intptr_t> Items(TElList& list) {
  std::vector<std::intptr_t> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(reinterpret_cast<std::intptr_t>(list.Get(i)));
  return out;
}

void Fill(TElList& list, int n) {
  for (int i = 1; i <= n; ++i) list.Add(P(i));
}

}  // namespace

// ---------------------------------------------------------------- TElList growth

TEST(ElListGrowth, CapacityGrowsByTwiceTheCountPlusOneUpTo1280) {
  TElList list;
  std::vector<int> capacities;
  for (int i = 0; i < 130; ++i) {
    int before = list.Capacity();
    list.Add(P(i + 1));
    if (list.Capacity() != before) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{1, 4, 13, 40, 121, 364}));
}

TEST(ElListGrowth, FromCount640EveryStepAdds1280) {
  TElList list;
  list.SetCount(640);
  list.SetCapacity(640);
  list.Add(nullptr);
  EXPECT_EQ(list.Capacity(), 640 + 1280);
  list.SetCount(1920);
  list.Insert(0, nullptr);
  EXPECT_EQ(list.Capacity(), 1920 + 1280);
}

TEST(ElListGrowth, OverridingGrowDoesNotChangeAddAndInsert) {
  struct BigGrow : TElList {
    int calls = 0;
    void Grow() override { ++calls; }
  } list;
  list.Add(P(1));
  list.Insert(0, P(2));
  EXPECT_EQ(list.calls, 0);
  EXPECT_EQ(list.Capacity(), 4);
}

TEST(ElListGrowth, DeleteHalvesCapacityOncePerCall) {
  TElList list;
  Fill(list, 4);
  list.SetCapacity(13);
  list.Delete(0);
  EXPECT_EQ(list.Capacity(), 6);  // 3 < 13 div 2
  list.Delete(0);
  EXPECT_EQ(list.Capacity(), 3);  // 2 < 6 div 2
  list.Delete(0);
  EXPECT_EQ(list.Capacity(), 3);  // 1 is not below 3 div 2
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{4}));
}

TEST(ElListGrowth, SetCountAndSetCapacityKeepTheirLimits) {
  TElList list;
  Fill(list, 3);
  EXPECT_THROW(list.SetCapacity(2), EElListError);
  EXPECT_THROW(list.SetCapacity(ElMaxListSize + 1), EElListError);
  EXPECT_THROW(list.SetCount(-1), EElListError);
  EXPECT_THROW(list.SetCount(ElMaxListSize + 1), EElListError);
  list.SetCount(6);
  EXPECT_EQ(list.Capacity(), 6);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{1, 2, 3, 0, 0, 0}));
  list.SetCount(1);
  list.SetCount(3);  // dropped entries do not come back
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{1, 0, 0}));
}

// ---------------------------------------------------------------- TElList ranges

TEST(ElListRange, ErrorMessageNamesTheOffendingIndex) {
  TElList list;
  try {
    list.Get(-1);
    FAIL() << "no exception";
  } catch (const EElListError& e) {
    EXPECT_EQ(e.Message(), "List index [-1] out of bounds...");
  }
  Fill(list, 2);
  try {
    list.Put(2, nullptr);
    FAIL() << "no exception";
  } catch (const EElListError& e) {
    EXPECT_EQ(e.Message(), "List index [2] out of bounds...");
  }
  // Both texts come from the program's string table.
  EXPECT_EQ(LoadStr(65283), "List index [%d] out of bounds...");
  EXPECT_EQ(LoadStr(65284), "List index [%d] out of bounds...");
}

TEST(ElListRange, EveryCheckedOperationRejectsBadIndexesAndChangesNothing) {
  TElList list;
  Fill(list, 3);
  EXPECT_THROW(list.Insert(4, nullptr), EElListError);
  EXPECT_THROW(list.Delete(3), EElListError);
  EXPECT_THROW(list.DeleteRange(2, 1), EElListError);
  EXPECT_THROW(list.DeleteRange(0, 3), EElListError);
  EXPECT_THROW(list.Exchange(0, 3), EElListError);
  EXPECT_THROW(list.Move(3, 0), EElListError);
  EXPECT_THROW(list.IndexOfFrom(3, P(1)), EElListError);
  EXPECT_THROW(list.IndexOfBack(-1, P(1)), EElListError);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{1, 2, 3}));
  EXPECT_EQ(list.Capacity(), 4);
}

TEST(ElListRange, SearchesAndFirstAndLastOnEmpty) {
  TElList list;
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
  for (int v : {5, 6, 5, 7}) list.Add(P(v));
  EXPECT_EQ(list.IndexOf(P(5)), 0);
  EXPECT_EQ(list.IndexOf(P(9)), -1);
  EXPECT_EQ(list.IndexOfFrom(1, P(5)), 2);
  EXPECT_EQ(list.IndexOfFrom(3, P(5)), -1);
  EXPECT_EQ(list.IndexOfBack(1, P(5)), 0);
  EXPECT_EQ(list.IndexOfBack(3, P(6)), 1);
  EXPECT_EQ(list.First(), P(5));
  EXPECT_EQ(list.Last(), P(7));
  // Emptied, with its block released, the list still answers nil.
  list.Clear();
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
}

TEST(ElListMove, MoveTakesOutAndInsertsAtTheNewIndex) {
  TElList list;
  Fill(list, 5);
  list.Move(0, 3);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{2, 3, 4, 1, 5}));
  list.Move(4, 1);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{2, 5, 3, 4, 1}));
  list.Exchange(0, 4);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{1, 5, 3, 4, 2}));
}

TEST(ElListMove, MoveRangeStandsBeforeTheEntryAtNewIndex) {
  TElList list;
  Fill(list, 5);  // A..E as 1..5
  list.MoveRange(0, 1, 3);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{3, 1, 2, 4, 5}));
  list.MoveRange(3, 4, 0);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{4, 5, 3, 1, 2}));
  list.MoveRange(1, 2, 3);  // NewIndex = CurEnd + 1: unchanged
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{4, 5, 3, 1, 2}));
  EXPECT_EQ(list.Capacity(), 13);
}

TEST(ElListMove, MoveRangeErrorsInOrder) {
  TElList list;
  Fill(list, 5);
  auto message = [&](int s, int e, int n) {
    try {
      list.MoveRange(s, e, n);
    } catch (const EElListError& ex) {
      return ex.Message();
    }
    return std::string("none");
  };
  EXPECT_EQ(message(1, 3, 2), "List index [2] out of bounds...");   // inside the block
  EXPECT_EQ(message(1, 3, 5), "List index [5] out of bounds...");   // past the end
  EXPECT_EQ(message(7, 8, 0), "List index [7] out of bounds...");   // start outside
  EXPECT_EQ(message(1, 9, 0), "List index [9] out of bounds...");   // end outside
  EXPECT_EQ(message(3, 1, 0), "List index [1] out of bounds...");   // reversed range
  EXPECT_EQ(message(2, 2, 2), "none");
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{1, 2, 3, 4, 5}));
}

// ---------------------------------------------------------------- TElList events

TEST(ElListEvents, DeleteRangeAnnouncesAscendingAndFreesNothing) {
  std::vector<std::string> log;
  EventLog events;
  TElList list;
  list.OnDelete = MakeEvent(&events, &EventLog::OnDelete);
  list.SetAutoClearObjects(true);
  for (int i = 1; i <= 4; ++i) list.Add(P(i * 10));
  list.DeleteRange(1, 2);
  EXPECT_EQ(events.entries, (std::vector<std::string>{"20", "30"}));
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{10, 40}));
  list.SetAutoClearObjects(false);
}

TEST(ElListEvents, RemoveRaisesEventButLeavesTheObjectAlive) {
  std::vector<std::string> log;
  EventLog events;
  TElList list;
  list.OnDelete = MakeEvent(&events, &EventLog::OnDelete);
  list.SetAutoClearObjects(true);
  auto* obj = new Tracked(log, "a");
  list.Add(obj);
  EXPECT_EQ(list.Remove(P(99)), -1);
  EXPECT_TRUE(events.entries.empty());
  EXPECT_EQ(list.Remove(obj), 0);
  EXPECT_EQ(events.entries.size(), 1u);
  EXPECT_TRUE(log.empty());
  obj->Free();
}

TEST(ElListEvents, ClearAnnouncesEveryEntryBeforeFreeingAny) {
  std::vector<std::string> log;
  ObjectLog events;
  events.log = &log;
  TElList list;
  list.OnDelete = MakeEvent(&events, &ObjectLog::OnDelete);
  list.SetAutoClearObjects(true);
  auto* b = new Tracked(log, "b", /*raise=*/true);
  list.Add(new Tracked(log, "a"));
  list.Add(nullptr);
  list.Add(b);
  list.Add(new Tracked(log, "c"));
  list.Clear();
  EXPECT_EQ(log, (std::vector<std::string>{"event", "event nil", "event", "event", "~a", "~b", "~c"}));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
  b->Dispose();
}

TEST(ElListEvents, PutAnnouncesOnlyANonNilOldEntryAndNeverFreesIt) {
  std::vector<std::string> log;
  EventLog events;
  TElList list;
  list.OnDelete = MakeEvent(&events, &EventLog::OnDelete);
  list.SetAutoClearObjects(true);
  Tracked old(log, "old");
  list.Add(nullptr);
  list.Put(0, &old);
  EXPECT_TRUE(events.entries.empty());
  list.Put(0, nullptr);
  EXPECT_EQ(events.entries.size(), 1u);
  EXPECT_TRUE(log.empty());
}

TEST(ElListEvents, DeleteWithRaisingHandlerKeepsTheEntry) {
  struct Refuse : TObject {
    void OnDelete(TObject*, void*) { throw Exception("no"); }
  } refuse;
  TElList list;
  Fill(list, 3);
  list.OnDelete = MakeEvent(&refuse, &Refuse::OnDelete);
  EXPECT_THROW(list.Delete(1), Exception);
  EXPECT_THROW(list.Remove(P(2)), Exception);
  EXPECT_EQ(Items(list), (std::vector<std::intptr_t>{1, 2, 3}));
  list.OnDelete = nullptr;
}

TEST(ElListEvents, DeleteOfOwnedItemLeavesNoFreedPointerWhenDestructorRaises) {
  std::vector<std::string> log;
  TElList list;
  list.SetAutoClearObjects(true);
  auto* a = new Tracked(log, "a", /*raise=*/true);
  list.Add(a);
  list.Add(new Tracked(log, "b"));
  EXPECT_THROW(list.Delete(0), Exception);
  EXPECT_EQ(log, (std::vector<std::string>{"~a"}));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_NE(list.Get(0), a);
  list.Clear();
  EXPECT_EQ(log, (std::vector<std::string>{"~a", "~b"}));
  a->Dispose();
}

TEST(ElListAssign, CopiesEntriesAndCapacityButNotOwnershipOrEvent) {
  EventLog events;
  TElList source, target;
  Fill(source, 3);
  source.SetAutoClearObjects(true);
  target.Add(P(77));
  target.OnDelete = MakeEvent(&events, &EventLog::OnDelete);
  target.Assign(&source);
  source.SetAutoClearObjects(false);
  EXPECT_EQ(events.entries, (std::vector<std::string>{"77"}));
  EXPECT_EQ(Items(target), (std::vector<std::intptr_t>{1, 2, 3}));
  EXPECT_EQ(target.Capacity(), source.Capacity());
  EXPECT_FALSE(target.AutoClearObjects());
  EXPECT_TRUE(target.OnDelete.Assigned());
}

// ---------------------------------------------------------------- TElStack

TEST(ElStack, GrowsByFourThenSixteenThenAQuarterAndHalvesOnPop) {
  TElStack stack;
  std::vector<int> capacities;
  for (int i = 1; i <= 9; ++i) {
    int before = stack.Capacity();
    stack.Push(P(i));
    if (stack.Capacity() != before) capacities.push_back(stack.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12}));
  for (int i = 9; i > 5; --i) EXPECT_EQ(stack.Pop(), P(i));
  EXPECT_EQ(stack.Capacity(), 6);
  EXPECT_EQ(stack.FastGet(0), P(1));
  for (int i = 0; i < 60; ++i) stack.Push(nullptr);
  EXPECT_EQ(stack.Capacity(), 74);  // 6, 10, 26, 42, 58, 74
  while (stack.Count() < 74) stack.Push(nullptr);
  stack.Push(nullptr);
  EXPECT_EQ(stack.Capacity(), 92);  // past 64: a quarter more
}

TEST(ElStack, ErrorsCarryTheirFixedTexts) {
  TElStack stack;
  auto message = [](auto&& f) {
    try {
      f();
    } catch (const EElStackError& e) {
      return e.Message();
    }
    return std::string("none");
  };
  EXPECT_EQ(message([&] { stack.Pop(); }), "ElStack is empty.");
  EXPECT_EQ(message([&] { stack.Shift(0); }), "ElStack is empty.");
  stack.Push(P(1));
  stack.Push(P(2));
  EXPECT_EQ(message([&] { stack.Shift(3); }), "Cannot shift ElStack");
  EXPECT_EQ(message([&] { stack.Shift(-1); }), "Cannot shift ElStack");
  EXPECT_EQ(message([&] { stack.SetCapacity(1); }), "Invalid ElStack capacity.");
  EXPECT_EQ(stack.Count(), 2);
}

TEST(ElStack, ShiftDropsTheOldestAndFitsCapacity) {
  TElStack stack;
  for (int i = 1; i <= 5; ++i) stack.Push(P(i));
  stack.Shift(2);
  EXPECT_EQ(stack.Count(), 3);
  EXPECT_EQ(stack.Capacity(), 3);
  EXPECT_EQ(stack.FastGet(0), P(3));
  EXPECT_EQ(stack.Pop(), P(5));
  EXPECT_FALSE(stack.Empty());
}

// ---------------------------------------------------------------- TElArray

TEST(ElArray, ReadsNilPastTheEndAndGrowsExactlyOnWrite) {
  TElArray array;
  EXPECT_EQ(array.Get(1000), nullptr);
  EXPECT_THROW(array.Get(-1), EElArrayError);
  array.Put(5, P(9));
  EXPECT_EQ(array.Count(), 6);
  EXPECT_EQ(array.Capacity(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(array.Get(i), nullptr);
  EXPECT_EQ(array.Get(5), P(9));
  try {
    array.Put(-3, nullptr);
    FAIL() << "no exception";
  } catch (const EElArrayError& e) {
    EXPECT_EQ(e.Message(), "List index [-3] out of bounds...");
  }
}

TEST(ElArray, PutReplacesAnnouncingAndFreeingTheOldEntry) {
  std::vector<std::string> log;
  EventLog events;
  TElArray array;
  array.OnDelete = MakeEvent(&events, &EventLog::OnDelete);
  array.SetAutoClearObjects(true);
  auto* a = new Tracked(log, "a", /*raise=*/true);
  array.Put(0, a);
  EXPECT_EQ(events.entries, (std::vector<std::string>{"nil"}));
  array.Put(0, a);  // same item: nothing
  EXPECT_EQ(events.entries.size(), 1u);
  array.Put(0, nullptr);  // the destructor's exception is swallowed
  EXPECT_EQ(log, (std::vector<std::string>{"~a"}));
  EXPECT_EQ(events.entries.size(), 2u);
  EXPECT_EQ(array.Get(0), nullptr);
  a->Dispose();
}

TEST(ElArray, DeleteShrinksAndClearAnnouncesOnlyNonNilEntries) {
  std::vector<std::string> log;
  EventLog events;
  TElArray array;
  array.Put(7, P(8));
  array.Put(2, P(3));
  array.OnDelete = MakeEvent(&events, &EventLog::OnDelete);
  array.Delete(0);
  EXPECT_EQ(array.Count(), 7);
  EXPECT_EQ(array.Capacity(), 8);
  for (int i = 0; i < 3; ++i) array.Delete(0);
  EXPECT_EQ(array.Capacity(), 8);  // 4 is not below 8 div 2
  array.Delete(0);
  EXPECT_EQ(array.Capacity(), 4);
  EXPECT_EQ(array.Get(2), P(8));
  EXPECT_THROW(array.Delete(3), EElArrayError);
  events.entries.clear();
  array.Clear();
  EXPECT_EQ(events.entries, (std::vector<std::string>{"8"}));
  EXPECT_EQ(array.Count(), 0);
  EXPECT_EQ(array.Capacity(), 0);
}

TEST(ElArray, DeleteOfOwnedItemLeavesNoFreedPointerWhenDestructorRaises) {
  std::vector<std::string> log;
  TElArray array;
  array.SetAutoClearObjects(true);
  auto* a = new Tracked(log, "a", /*raise=*/true);
  array.Put(0, a);
  array.Put(1, new Tracked(log, "b"));
  EXPECT_THROW(array.Delete(0), Exception);
  ASSERT_EQ(array.Count(), 1);
  EXPECT_NE(array.Get(0), a);
  array.Clear();
  EXPECT_EQ(log, (std::vector<std::string>{"~a", "~b"}));
  a->Dispose();
}
