// The window-free tree of the model tests: a tree whose settings the tests
// set directly, a shape notation for building and reading trees, an event
// log, and a naive visible-row walk to compare the tree's own walks with.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ElTree.hpp"

// A tree with the settings that the control's own setters will manage
// reachable from the tests, and a cell measure that answers a set height.
class TTestTree : public TElTree {
 public:
  explicit TTestTree(TComponent* owner) : TElTree(owner) {}

  void SetMainColumn(int column) { FMainTreeColumn = column; }
  void SetShowColumnsRaw(bool value) { FShowColumns = value; }
  void SetMultiSelectRaw(bool value) {
    FMultiSelect = value;
    if (!value) FSelectedItems.reset();
  }
  void SetLineHeightRaw(int value) {
    FAutoLineHeight = false;
    FLineHeight = value;
  }
  void SetVirtualRaw(TVirtualityLevel value) { FVirtualityLevel = value; }
  void FireDelayTimer() { DelayTimerFired(nullptr); }
  // Filtering changes what is shown: the rows are counted again.
  void SetFiltered(bool value) {
    FFilteredVisibility = value;
    SetUpdating(true);
    View()->FlagRowList();
    SetUpdating(false);
  }

  void MeasureCell(TElTreeItem* item, int columnNum, TPoint& size) override {
    ++measured;
    size = TPoint{0, measuredHeight};
    (void)item;
    (void)columnNum;
  }
  int measured = 0;
  int measuredHeight = 30;
};

// Items of the tests' own class: they can reorder their children in place,
// as the sort does before it rewrites the flat list.
class TTestItem : public TElTreeItem {
 public:
  explicit TTestItem(TCustomElTree* owner) : TElTreeItem(owner) {}
  void ReverseChildren() {
    if (!FChildren) return;
    for (int i = 0, j = FChildren->Count() - 1; i < j; ++i, --j) FChildren->Exchange(i, j);
  }
};

// Records the tree's events as text lines.
class TEventLog : public TObject {
 public:
  void Attach(TCustomElTree* tree) {
    tree->OnItemDeletion = TOnItemExpandEvent(this, &TEventLog::Deletion);
    tree->OnItemFocused = TNotifyEvent(this, &TEventLog::Focused);
    tree->OnItemExpand = TOnItemExpandEvent(this, &TEventLog::Expanded);
    tree->OnItemCollapse = TOnItemExpandEvent(this, &TEventLog::Collapsed);
    tree->OnItemExpanding = TOnItemExpanding(this, &TEventLog::Expanding);
    tree->OnItemCollapsing = TOnItemExpanding(this, &TEventLog::Collapsing);
    tree->OnChanging = TElTreeChangingEvent(this, &TEventLog::Changing);
    tree->OnItemChange = TOnItemChangeEvent(this, &TEventLog::Change);
    tree->OnItemSelectedChange = TItemSelChangeEvent(this, &TEventLog::SelectedChange);
  }
  void Deletion(TObject*, TElTreeItem* item) { Add("delete " + Name(item)); }
  void Focused(TObject* sender) { Add("focused " + Name(static_cast<TCustomElTree*>(sender)->GetFocusedItem())); }
  void Expanded(TObject*, TElTreeItem* item) { Add("expand " + Name(item)); }
  void Collapsed(TObject*, TElTreeItem* item) { Add("collapse " + Name(item)); }
  void Expanding(TObject*, TElTreeItem* item, bool& can) {
    Add("expanding " + Name(item));
    can = allowExpand;
  }
  void Collapsing(TObject*, TElTreeItem* item, bool& can) {
    Add("collapsing " + Name(item));
    can = allowCollapse;
  }
  void Changing(TObject*, TElTreeItem* item, bool& allow) {
    Add("changing " + Name(item));
    allow = allowFocusChange;
  }
  void Change(TObject*, TElTreeItem* item, TItemChangeMode mode) { Add("change " + Name(item) + " " + std::to_string(mode)); }
  void SelectedChange(TObject*, TElTreeItem* item) { Add("selected " + Name(item) + (item->Selected() ? " on" : " off")); }

  static std::string Name(TElTreeItem* item) { return item ? WideToAnsi(item->Text()) : std::string("nil"); }
  void Add(const std::string& line) { lines.push_back(line); }
  std::string Joined() const {
    std::string s;
    for (const std::string& line : lines) s += (s.empty() ? "" : "; ") + line;
    return s;
  }

  std::vector<std::string> lines;
  bool allowExpand = true;
  bool allowCollapse = true;
  bool allowFocusChange = true;
};

// Shape notation: names separated by blanks, children in brackets after
// their parent: "a(b c(d)) e".
void BuildShape(TElTreeItems* items, TElTreeItem* parent, const std::string& shape);
// The notation of the tree as its children lists give it; a "+" after a
// name marks an expanded item when withState is set.
std::string ShapeOf(TElTreeItem* root, bool withState = false);
// The first item with that main text, in tree order.
TElTreeItem* Named(TElTreeItems* items, const std::string& name);
// The items a naive recursive walk over the children lists shows as rows.
std::vector<TElTreeItem*> NaiveVisibleRows(TCustomElTree* tree);

// The tree's invariants, as a test assertion.
#define EXPECT_TREE_CONSISTENT(tree) EXPECT_EQ(TElTreeInvariants::Check(tree), "")
#define ASSERT_TREE_CONSISTENT(tree) ASSERT_EQ(TElTreeInvariants::Check(tree), "")

class TreeModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree = TObject::Create<TTestTree>(nullptr);
    items = tree->Items();
    log.Attach(tree);
  }
  void TearDown() override {
    if (tree) tree->Free();
  }
  TElTreeItem* N(const std::string& name) { return Named(items, name); }
  std::string Shape(bool withState = false) { return ShapeOf(items->Root(), withState); }

  TTestTree* tree = nullptr;
  TElTreeItems* items = nullptr;
  TEventLog log;
};
