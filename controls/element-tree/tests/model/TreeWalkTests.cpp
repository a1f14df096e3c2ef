// Walks over the items: the visible-row numbering and the four iterations
// against a naive walk of the children lists on random trees, stopping
// walks, the searches, and trees built from lines of text.
#include <random>

#include "TreeModelSupport.hpp"

namespace {

// Items in walk order: every item, or those a visible walk passes.
void NaiveOrder(TCustomElTree* tree, TElTreeItem* item, bool visibleOnly, bool includeCollapsed,
                std::vector<TElTreeItem*>& out) {
  for (int i = 0; i < item->ChildrenCount(); ++i) {
    TElTreeItem* child = item->GetChild(i);
    if (visibleOnly && tree->FilteredVisibility() && child->Hidden()) continue;
    out.push_back(child);
    if (!visibleOnly || includeCollapsed || child->Expanded()) NaiveOrder(tree, child, visibleOnly, includeCollapsed, out);
  }
}

std::vector<TElTreeItem*> Walked(TElTreeItems* items, bool backward, bool visibleOnly, bool includeCollapsed,
                                 TElTreeItem* start, std::vector<int>* indexes = nullptr) {
  std::vector<TElTreeItem*> out;
  TElIterateProc proc = [&](TElTreeItem* item, int index, bool&, void*, TCustomElTree*) {
    out.push_back(item);
    if (indexes) indexes->push_back(index);
  };
  if (backward)
    items->IterateBackwardFrom(visibleOnly, includeCollapsed, proc, nullptr, start);
  else
    items->IterateFrom(visibleOnly, includeCollapsed, proc, nullptr, start);
  return out;
}

class RandomTreeWalks : public TreeModelTest, public ::testing::WithParamInterface<int> {
 protected:
  void BuildRandom(std::mt19937& random, int count) {
    for (int i = 0; i < count; ++i) {
      TElTreeItem* parent = items->Count() && random() % 4 ? items->GetItem(random() % items->Count()) : nullptr;
      TElTreeItem* item = items->AddLastChild(parent, L"n" + std::to_wstring(i));
      if (random() % 3 == 0) item->SetHidden(true);
    }
    for (int i = 0; i < items->Count(); ++i)
      if (random() % 3) items->GetItem(i)->Expand(false);
  }
};

TEST_P(RandomTreeWalks, VisibleNumberingAndIterationsMatchANaiveWalk) {
  std::mt19937 random(GetParam());
  BuildRandom(random, 120);
  for (bool filtered : {false, true}) {
    tree->SetFiltered(filtered);
    SCOPED_TRACE(filtered ? "filtered" : "not filtered");
    ASSERT_TREE_CONSISTENT(tree);
    const std::vector<TElTreeItem*> rows = NaiveVisibleRows(tree);
    ASSERT_EQ(tree->VisibleCount(), static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
      ASSERT_EQ(items->GetVisibleItem(static_cast<int>(r)), rows[r]) << r;
      ASSERT_EQ(items->GetVisibleIndex(rows[r]), static_cast<int>(r));
    }
    EXPECT_EQ(items->GetVisibleItem(static_cast<int>(rows.size())), nullptr);
    EXPECT_EQ(items->GetVisibleItem(-1), nullptr);
    for (int i = 0; i < items->Count(); ++i) {
      TElTreeItem* item = items->GetItem(i);
      if (std::find(rows.begin(), rows.end(), item) == rows.end()) {
        EXPECT_EQ(items->GetVisibleIndex(item), -1);
      }
    }

    for (bool visibleOnly : {false, true})
      for (bool includeCollapsed : {false, true}) {
        std::vector<TElTreeItem*> naive;
        NaiveOrder(tree, items->Root(), visibleOnly, includeCollapsed, naive);
        std::vector<int> indexes;
        EXPECT_EQ(Walked(items, false, visibleOnly, includeCollapsed, nullptr, &indexes), naive);
        for (size_t k = 0; k < indexes.size(); ++k) ASSERT_EQ(indexes[k], static_cast<int>(k));
        std::vector<TElTreeItem*> reversed(naive.rbegin(), naive.rend());
        EXPECT_EQ(Walked(items, true, visibleOnly, includeCollapsed, nullptr), reversed);
        if (naive.empty()) continue;
        // From an item the walk passes, on to either end.
        const size_t k = random() % naive.size();
        EXPECT_EQ(Walked(items, false, visibleOnly, includeCollapsed, naive[k]),
                  std::vector<TElTreeItem*>(naive.begin() + static_cast<long>(k), naive.end()));
        EXPECT_EQ(Walked(items, true, visibleOnly, includeCollapsed, naive[k]),
                  std::vector<TElTreeItem*>(reversed.end() - static_cast<long>(k) - 1, reversed.end()));
      }
    // Counting down over the visible rows ends at 0.
    std::vector<int> indexes;
    Walked(items, true, true, false, nullptr, &indexes);
    if (!indexes.empty()) {
      EXPECT_EQ(indexes.front(), tree->VisibleCount() - 1);
      EXPECT_EQ(indexes.back(), 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTreeWalks, ::testing::Values(1, 2, 3, 4));

TEST_F(TreeModelTest, AWalkStartedInsideACollapsedBranchGoesOnFromThere) {
  BuildShape(items, nullptr, "a(b(c) d(e) f) g");
  N("d")->Expand(false);
  // a is collapsed: a visible walk from d passes d, its open child, f, then g.
  auto names = [](const std::vector<TElTreeItem*>& list) {
    std::string s;
    for (TElTreeItem* item : list) s += WideToAnsi(item->Text());
    return s;
  };
  EXPECT_EQ(names(Walked(items, false, true, false, N("d"))), "defg");
  EXPECT_EQ(names(Walked(items, true, true, false, N("d"))), "dba");
}

TEST_F(TreeModelTest, EveryWalkStopsWhenTheCallbackSaysSo) {
  BuildShape(items, nullptr, "a b c d e");
  for (bool backward : {false, true}) {
    int calls = 0;
    TElIterateProc proc = [&](TElTreeItem*, int, bool& goOn, void* data, TCustomElTree* sender) {
      EXPECT_EQ(data, &calls);
      EXPECT_EQ(sender, tree);
      goOn = ++calls < 3;
    };
    if (backward)
      items->IterateBackward(false, true, proc, &calls);
    else
      items->Iterate(false, true, proc, &calls);
    EXPECT_EQ(calls, 3);
  }
  int seen = 0;
  EXPECT_EQ(items->FindItemByProc(nullptr, true, false, false, true, &seen,
                                  [&](TElTreeItem* item, void*) {
                                    ++seen;
                                    return item->Text() == L"c";
                                  }),
            N("c"));
  EXPECT_EQ(seen, 3);
}

// ---------------------------------------------------------------- searches

TEST_F(TreeModelTest, FindItemByTextDataCaseAndColumn) {
  BuildShape(items, nullptr, "a(b c) d");
  TElTreeItem* cyrillic = items->AddLastChild(nullptr, L"Привет");
  int marker = 0;
  N("c")->SetData(&marker);
  auto find = [&](TElTreeItem* start, const TElFString& text, int column, bool checkStart, bool subItems, bool visible,
                  bool noCase) { return items->FindItem(start, text, nullptr, column, false, checkStart, subItems, visible, noCase); };

  EXPECT_EQ(find(nullptr, L"c", -1, true, false, false, false), N("c"));
  EXPECT_EQ(items->FindItem(nullptr, L"", &marker, -1, true, true, false, false, false), N("c"));
  EXPECT_EQ(find(N("c"), L"c", -1, false, false, false, false), nullptr) << "the start item never matches";
  EXPECT_EQ(find(nullptr, L"пРИВЕТ", -1, true, false, false, true), cyrillic);
  EXPECT_EQ(find(nullptr, L"пРИВЕТ", -1, true, false, false, false), nullptr);
  EXPECT_EQ(find(nullptr, L"c", -1, true, false, true, false), nullptr) << "a is collapsed";
  N("a")->Expand(false);
  EXPECT_EQ(find(nullptr, L"c", -1, true, false, true, false), N("c"));
  EXPECT_EQ(find(N("a"), L"d", -1, false, true, false, false), nullptr) << "outside the start's subtree";
  EXPECT_EQ(find(N("a"), L"c", -1, false, true, false, false), N("c"));

  // Columns on both sides of the main one: the main text stands in the
  // column list's place.
  tree->SetMainColumn(1);
  TElTreeItem* b = N("b");
  b->ColumnText()->Add(L"left");
  b->ColumnText()->Add(L"right");
  EXPECT_EQ(find(nullptr, L"left", 0, true, false, false, false), b);
  EXPECT_EQ(find(nullptr, L"b", 1, true, false, false, false), b);
  EXPECT_EQ(find(nullptr, L"right", 2, true, false, false, false), b);
  EXPECT_EQ(find(nullptr, L"left", 2, true, false, false, false), nullptr);
  EXPECT_EQ(find(nullptr, L"", 3, true, false, false, false), N("a")) << "beyond the list is empty";
  tree->SetMainColumn(0);
  EXPECT_EQ(find(nullptr, L"left", 1, true, false, false, false), b);
}

// ---------------------------------------------------------------- lines

TEST_F(TreeModelTest, TabIndentedLinesBuildTheTree) {
  const TElFString lines[] = {L"alpha", L"\tbeta", L"\t\tgamma", L"delta", L"x", L"\t\t\ty", L"\tz\tcol1\tcol2"};
  for (int i = 0; i < 7; ++i) items->AddLine(i, lines[i]);
  EXPECT_EQ(Shape(), "alpha(beta(gamma)) delta x(y z)");
  EXPECT_EQ(N("z")->ColumnText()->Count(), 2);
  EXPECT_EQ(N("z")->ColumnText()->Get(1), L"col2");
  EXPECT_TREE_CONSISTENT(tree);

  TStringList text;
  text.SetText("one\r\n\ttwo\r\nthree\r\n");
  items->Assign(&text);
  EXPECT_EQ(Shape(), "one(two) three");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, ItemsWriteThemselvesAsIndentedLines) {
  BuildShape(items, nullptr, "a(b(c)) d");
  TStringStream stream;
  tree->SaveStringsToStream(&stream);
  EXPECT_EQ(stream.DataString(), "a\r\n b\r\n  c\r\nd\r\n");
}

}  // namespace
