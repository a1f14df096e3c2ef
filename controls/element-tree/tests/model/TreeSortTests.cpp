// Sorting without a window: every sort type both ways with its ties, the
// section's direction, tie-breaking sections, header clicks, shared keys,
// comparisons that contradict themselves or raise, and the flat list.
#include <algorithm>
#include <random>
#include <set>

#include "TreeModelSupport.hpp"

namespace {

class TSortTree : public TTestTree {
 public:
  explicit TSortTree(TComponent* owner) : TTestTree(owner) {}
  using TCustomElTree::HeaderSectionClicked;
  using TCustomElTree::HeaderSectionDeleted;
  using TCustomElTree::Loaded;
  // A column of that field type, the header made on the first one.
  TElHeaderSection* AddColumn(TElFieldType type) {
    if (!FHeader) FHeader = TObject::Create<TElHeader>(this);
    TElHeaderSection* s = FHeader->Sections()->AddSection();
    s->SetFieldType(type);
    return s;
  }
};

bool ctrlHeld = false;
bool FakeCtrl() { return ctrlHeld; }

class TreeSortTest : public ::testing::Test {
 public:
  void SetUp() override {
    ShortDateFormat = "dd.MM.yyyy";
    CurrencyString = WideToAnsi(L"р.");
    DecimalSeparator = ',';
    ThousandSeparator = ' ';
    DateSeparator = '.';
    tree = TObject::Create<TSortTree>(nullptr);
    items = tree->Items();
    tree->OnCompareItems = TOnCompareItems(this, &TreeSortTest::Compare);
    tree->OnSortBegin = TNotifyEvent(this, &TreeSortTest::Begun);
    TCustomElTree::CtrlKeyDown = &FakeCtrl;
  }
  void TearDown() override {
    tree->Free();
    GetFormatSettings();
  }
  void Compare(TObject*, TElTreeItem* a, TElTreeItem* b, int& res) {
    if (compare) res = compare(a, b);
  }
  void Begun(TObject*) { ++begins; }
  void ColumnClick(TObject*, int) { ++columnClicks; }

  // Top-level items with these main texts (a column text after a '|').
  std::vector<TElTreeItem*> Add(const std::vector<std::string>& rows) {
    std::vector<TElTreeItem*> added;
    for (const std::string& row : rows) {
      const size_t bar = row.find('|');
      added.push_back(items->AddLastChild(nullptr, Utf8ToWide(row.substr(0, bar))));
      if (bar != std::string::npos) added.back()->ColumnText()->Add(Utf8ToWide(row.substr(bar + 1)));
    }
    return added;
  }
  std::vector<TElTreeItem*> Children() {
    std::vector<TElTreeItem*> out;
    for (int i = 0; i < items->Root()->ChildrenCount(); ++i) out.push_back(items->Root()->GetChild(i));
    return out;
  }
  std::string Shape() { return ShapeOf(items->Root()); }
  static std::vector<TElTreeItem*> ByAddress(std::vector<TElTreeItem*> v) {
    std::sort(v.begin(), v.end(), std::less<TElTreeItem*>());
    return v;
  }
  void ExpectNoKeysLeft() {
    for (int i = 0; i < items->Count(); ++i) {
      EXPECT_EQ(items->Item(i)->SortRefCount(), 0);
      EXPECT_EQ(items->Item(i)->SortValueKind(), skNone);
      EXPECT_FALSE(items->Item(i)->Sorting());
    }
    EXPECT_EQ(tree->SortingDepth(), 0);
    EXPECT_EQ(tree->UpdateCount(), 0);
  }

  TSortTree* tree = nullptr;
  TElTreeItems* items = nullptr;
  std::function<int(TElTreeItem*, TElTreeItem*)> compare;
  int begins = 0;
  int columnClicks = 0;
};

// The expected ascending order as groups of texts; the items of one group
// are equal by the sort type and come in the order of their addresses.
struct TypeCase {
  TSortTypes type;
  bool useCase;
  std::vector<std::string> texts;
  std::vector<std::vector<std::string>> groups;
};

TEST_F(TreeSortTest, EverySortTypeBothWaysWithItsTies) {
  const TypeCase cases[] = {
      {stNumber, true, {"10", "9", "x", "-3"}, {{"x"}, {"-3"}, {"9"}, {"10"}}},
      {stFloating, true, {"2,5", "10", "abc", "-1,25", "1.5"}, {{"1.5", "abc"}, {"-1,25"}, {"2,5"}, {"10"}}},
      {stBoolean, true, {"a", "", "b", ""}, {{"", ""}, {"a", "b"}}},
      {stText, true, {"b", "B", "a", "Ж"}, {{"B"}, {"a"}, {"b"}, {"Ж"}}},
      {stText, false, {"b", "B", "a", "ж", "Ж"}, {{"a"}, {"b", "B"}, {"ж", "Ж"}}},
      {stCurrency, true, {"12,50", "12,40", "3 р.", "1 000"}, {{"3 р."}, {"12,40"}, {"12,50"}, {"1 000"}}},
      {stDateTime, true, {"09.12.2026 10:00", "09.12.2026 8:00", "08.12.2026"},
       {{"08.12.2026"}, {"09.12.2026 8:00"}, {"09.12.2026 10:00"}}},
      {stDate, true, {"09.12.2026 10:00", "x", "09.12.2026 8:00", "08.12.2026 23:00"},
       {{"x"}, {"08.12.2026 23:00"}, {"09.12.2026 10:00", "09.12.2026 8:00"}}},
      {stTime, true, {"09.12.2026 10:00", "01.01.2020 10:00", "5:00", "23:59:59"},
       {{"5:00"}, {"09.12.2026 10:00", "01.01.2020 10:00"}, {"23:59:59"}}},
  };
  for (const TypeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "sort type " << int(c.type) << (c.useCase ? "" : " without case"));
    items->Clear();
    const std::vector<TElTreeItem*> added = Add(c.texts);
    tree->SetSortType(c.type);
    tree->SetSortUseCase(c.useCase);
    tree->SetSortDir(sdAscend);
    tree->Sort(false);
    std::vector<TElTreeItem*> expected;
    for (const auto& group : c.groups) {
      std::vector<TElTreeItem*> members;
      for (TElTreeItem* item : added)
        for (const std::string& text : group)
          if (item->Text() == Utf8ToWide(text)) {
            members.push_back(item);
            break;
          }
      ASSERT_EQ(members.size(), group.size());
      for (TElTreeItem* item : ByAddress(members)) expected.push_back(item);
    }
    EXPECT_EQ(Children(), expected);
    // Descending negates every step, the tie-break included.
    tree->SetSortDir(sdDescend);
    tree->Sort(false);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(Children(), expected);
    ExpectNoKeysLeft();
    EXPECT_TREE_CONSISTENT(tree);
  }
}

TEST_F(TreeSortTest, TheSectionsModeOverridesSortDirAndCustomWithoutAHandlerKeepsTheTieBreak) {
  tree->AddColumn(sftText);
  TElHeaderSection* numbers = tree->AddColumn(sftNumber);
  tree->SetShowColumnsRaw(true);
  const auto added = Add({"a|10", "b|9", "c|x"});
  tree->SetSortSection(1);
  tree->SetSortDir(sdDescend);
  numbers->SetSortMode(hsmAscend);
  tree->Sort(false);
  EXPECT_EQ(Children(), (std::vector<TElTreeItem*>{added[2], added[1], added[0]}));
  numbers->SetSortMode(hsmNone);
  tree->Sort(false);
  EXPECT_EQ(Children(), (std::vector<TElTreeItem*>{added[0], added[1], added[2]}));
  // A sort section below 0 compares the main text.
  tree->SetSortSection(-1);
  tree->SetSortType(stText);
  tree->SetSortDir(sdAscend);
  tree->Sort(false);
  EXPECT_EQ(Children(), added);

  tree->SetShowColumnsRaw(false);
  tree->SetSortType(stCustom);
  tree->Sort(false);
  EXPECT_EQ(Children(), ByAddress(added));
  compare = [](TElTreeItem* a, TElTreeItem* b) { return b->Text().compare(a->Text()) * 1000; };
  tree->Sort(false);
  EXPECT_EQ(Children(), (std::vector<TElTreeItem*>{added[2], added[1], added[0]}));
  ExpectNoKeysLeft();
}

TEST_F(TreeSortTest, TieBreakingSectionsOfEveryTypeFollowTheirOwnDirection) {
  struct Pair {
    TElFieldType type;
    std::string low, high;
  };
  const Pair pairs[] = {{sftText, "A", "b"},        {sftNumber, "x", "7"},
                        {sftFloating, "1,5", "2"},  {sftDateTime, "01.01.2020 8:00", "01.01.2020 9:00"},
                        {sftDate, "31.12.2019", "01.01.2020"}, {sftTime, "01.01.2030 8:00", "01.01.2020 9:00"},
                        {sftBool, "", "y"},         {sftCurrency, "12,40", "12,50"}};
  tree->AddColumn(sftText);
  TElHeaderSection* column = tree->AddColumn(sftText);
  tree->SetShowColumnsRaw(true);
  tree->SetSortSection(0);
  tree->AddSortSection(1, false);
  for (const Pair& p : pairs) {
    SCOPED_TRACE(testing::Message() << "field type " << int(p.type));
    items->Clear();
    column->SetFieldType(p.type);
    // The primary column ties; the listed column decides.
    const auto added = Add({"same|" + p.high, "same|" + p.low});
    for (TSortDirs dir : {sdAscend, sdDescend}) {
      tree->SetSortDir(dir);
      column->SetSortMode(hsmAscend);
      tree->Sort(false);
      EXPECT_EQ(Children(), (std::vector<TElTreeItem*>{added[1], added[0]}));
      column->SetSortMode(hsmDescend);
      tree->Sort(false);
      EXPECT_EQ(Children(), (std::vector<TElTreeItem*>{added[0], added[1]}));
    }
  }
  tree->RemoveSortSection(1, false);
  EXPECT_EQ(tree->SortSections()->Count(), 0);
}

TEST_F(TreeSortTest, TheMultiColumnListAndItsTriggers) {
  tree->AddColumn(sftText);
  TElHeaderSection* one = tree->AddColumn(sftNumber);
  TElHeaderSection* two = tree->AddColumn(sftNumber);
  tree->AddSortSection(-1, false);
  tree->AddSortSection(3, false);
  EXPECT_EQ(tree->SortSections(), nullptr) << "neither a negative index nor one past the sections";
  for (int index : {1, 2, 1}) tree->AddSortSection(index, false);
  ASSERT_EQ(tree->SortSections()->Count(), 2);
  EXPECT_EQ(tree->SortSections()->FastGet(1), one) << "added again, moved to the end";
  // ReSort: at once outside an update, at its end inside one.
  tree->RemoveSortSection(2, true);
  EXPECT_EQ(begins, 1);
  tree->SetUpdating(true);
  tree->AddSortSection(2, true);
  EXPECT_EQ(begins, 1);
  tree->SetUpdating(false);
  EXPECT_EQ(begins, 2);
  // A listed section that goes re-sorts under the click modes only.
  tree->HeaderSectionDeleted(nullptr, one);
  EXPECT_EQ(begins, 2);
  tree->SetSortMode(smClick);
  tree->HeaderSectionDeleted(nullptr, two);
  EXPECT_EQ(begins, 3);
  EXPECT_EQ(tree->SortSections()->Count(), 0);
  // Loading sorts everything under the adding modes only.
  BuildShape(items, nullptr, "b(z y) a");
  tree->Loaded();
  EXPECT_EQ(Shape(), "b(z y) a");
  tree->SetSortMode(smAddClick);
  tree->Loaded();
  EXPECT_EQ(Shape(), "a b(y z)");
  // A new sort section empties the list.
  tree->AddSortSection(1, false);
  tree->SetSortSection(0);
  EXPECT_EQ(tree->SortSections()->Count(), 1);
  tree->SetSortSection(2);
  EXPECT_EQ(tree->SortSections()->Count(), 0);
}

TEST_F(TreeSortTest, HeaderClicksCycleTheDirectionAndCtrlBuildsTheList) {
  tree->OnHeaderColumnClick = TColumnNotifyEvent(this, &TreeSortTest::ColumnClick);
  tree->AddColumn(sftText);
  TElHeaderSection* numbers = tree->AddColumn(sftNumber);
  TElHeaderSection* dates = tree->AddColumn(sftDate);
  tree->SetShowColumnsRaw(true);
  Add({"a|2", "b|10", "c|1"});
  // smNone: the click is reported, nothing sorts.
  tree->HeaderSectionClicked(nullptr, numbers);
  EXPECT_EQ(columnClicks, 1);
  EXPECT_EQ(begins, 0);
  EXPECT_EQ(numbers->SortMode(), hsmNone);

  tree->SetSortMode(smClick);
  tree->HeaderSectionClicked(nullptr, numbers);
  EXPECT_EQ(columnClicks, 2);
  EXPECT_EQ(tree->SortSection(), 1);
  EXPECT_EQ(tree->SortType(), stNumber);
  EXPECT_EQ(numbers->SortMode(), hsmAscend);
  EXPECT_EQ(Shape(), "c a b");
  tree->HeaderSectionClicked(nullptr, numbers);
  EXPECT_EQ(numbers->SortMode(), hsmDescend);
  EXPECT_EQ(Shape(), "b a c");
  // Under sdDescend a fresh section starts descending; the other section
  // loses its mode.
  tree->SetSortDir(sdDescend);
  tree->HeaderSectionClicked(nullptr, dates);
  EXPECT_EQ(dates->SortMode(), hsmDescend);
  EXPECT_EQ(numbers->SortMode(), hsmNone);
  EXPECT_EQ(tree->SortType(), stDate);

  // With Ctrl: none, ascending and descending joining the list, none
  // leaving it; the sort section and type stay.
  ctrlHeld = true;
  tree->HeaderSectionClicked(nullptr, numbers);
  EXPECT_EQ(dates->SortMode(), hsmDescend);
  for (TElSSortMode mode : {hsmAscend, hsmDescend, hsmNone}) {
    EXPECT_EQ(numbers->SortMode(), mode);
    EXPECT_EQ(tree->SortSections()->IndexOf(numbers), mode == hsmNone ? -1 : 0);
    if (mode != hsmNone) tree->HeaderSectionClicked(nullptr, numbers);
  }
  EXPECT_EQ(tree->SortSection(), 2);
  EXPECT_EQ(tree->SortType(), stDate);
  ctrlHeld = false;
  EXPECT_EQ(columnClicks, 7);
  EXPECT_EQ(begins, 6);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeSortTest, OneChildWithoutRecursionIsLeftAndNestedSortsShareTheirKeys) {
  BuildShape(items, nullptr, "p(q(z y x))");
  TElTreeItem* p = items->Item(0);
  p->SortChildren(false);
  EXPECT_EQ(Shape(), "p(q(z y x))");
  EXPECT_EQ(tree->SortingDepth(), 0);
  p->SortChildren(true);
  EXPECT_EQ(Shape(), "p(q(x y z))");

  // A comparison that sorts the same children again: the inner sort adds a
  // use to each key and every key is gone at the end.
  Add({"d", "b", "c", "a"});
  tree->SetSortType(stCustom);
  int nested = 0;
  compare = [&](TElTreeItem* a, TElTreeItem* b) {
    EXPECT_EQ(a->SortRefCount(), nested + 1);
    EXPECT_EQ(a->SortValueKind(), skText);
    if (nested == 0) {
      ++nested;
      items->Root()->SortChildren(false);
      --nested;
    }
    return a->Text().compare(b->Text());
  };
  tree->Sort(false);
  EXPECT_EQ(Shape(), "a b c d p(q(x y z))");
  ExpectNoKeysLeft();
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeSortTest, ARecursiveSortLeavesTheFlatListInDepthFirstOrder) {
  std::mt19937 random(7);
  std::vector<TElTreeItem*> parents{nullptr};
  for (int i = 0; i < 400; ++i) {
    TElTreeItem* parent = parents[random() % parents.size()];
    parents.push_back(items->AddLastChild(parent, AnsiToWide(std::to_string(random() % 50))));
  }
  tree->SetSortType(stNumber);
  tree->Sort(true);
  EXPECT_TREE_CONSISTENT(tree);
  for (int i = -1; i < items->Count(); ++i) {
    TElTreeItem* parent = i < 0 ? items->Root() : items->Item(i);
    for (int c = 1; c < parent->ChildrenCount(); ++c)
      ASSERT_LE(std::stoi(WideToAnsi(parent->GetChild(c - 1)->Text())), std::stoi(WideToAnsi(parent->GetChild(c)->Text())));
  }
  ExpectNoKeysLeft();
}

TEST_F(TreeSortTest, ComparisonsThatContradictThemselvesKeepEveryChildOnce) {
  std::vector<std::string> texts;
  for (int i = 0; i < 2000; ++i) texts.push_back(std::to_string(i));
  const auto added = Add(texts);
  const std::set<TElTreeItem*> all(added.begin(), added.end());
  tree->SetSortType(stCustom);
  std::mt19937 random(11);
  for (int answer : {2, -1, 1}) {
    compare = [&](TElTreeItem*, TElTreeItem*) { return answer == 2 ? static_cast<int>(random() % 3) - 1 : answer; };
    tree->Sort(false);
    const auto now = Children();
    EXPECT_EQ(std::multiset<TElTreeItem*>(now.begin(), now.end()), std::multiset<TElTreeItem*>(all.begin(), all.end()));
    EXPECT_TREE_CONSISTENT(tree);
  }
  ExpectNoKeysLeft();
}

TEST_F(TreeSortTest, AComparisonThatRaisesLeavesNothingBehind) {
  BuildShape(items, nullptr, "e(3 1 2) d c b a");
  tree->SetSortType(stCustom);
  int calls = 0;
  compare = [&](TElTreeItem* a, TElTreeItem* b) {
    if (++calls == 5) throw Exception("comparison failed");
    return a->Text().compare(b->Text());
  };
  tree->SetUpdating(true);
  EXPECT_THROW(tree->Sort(true), Exception);
  EXPECT_EQ(tree->UpdateCount(), 1);
  tree->SetUpdating(false);
  ExpectNoKeysLeft();
  EXPECT_TREE_CONSISTENT(tree);
  EXPECT_EQ(items->Count(), 8);
  tree->Sort(true);
  EXPECT_EQ(Shape(), "a b c d e(1 2 3)");
}

}  // namespace
