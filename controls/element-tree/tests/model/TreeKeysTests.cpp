// The view's keys without a window: where each navigation key leads in
// single and multiple selection, the selection each leaves, expanding and
// collapsing, the scroll after a move, and handlers that delete items in
// the middle of a key.
#include "TreeModelSupport.hpp"

namespace {

class TreeKeys : public TreeModelTest {
 protected:
  // Ten rows of 20 pixels in a view of 100 (five rows fit); d is disabled.
  void SetUp() override {
    TreeModelTest::SetUp();
    tree->SetLineHeightRaw(20);
    tree->View()->SetBounds(0, 0, 200, 100);
    BuildShape(items, nullptr, "a(a1 a2) b c(c1(c11) c2) d e f g h i j");
    N("d")->SetEnabled(false);
  }
  void Key(Word key, TShiftState shift = {}) { tree->View()->HandleKey(key, shift); }
  std::string Focused() { return TEventLog::Name(tree->ItemFocused()); }
  // The selected items in tree order.
  std::string Selected() {
    std::string s;
    for (int i = 0; i < items->Count(); ++i)
      if (items->GetItem(i)->Selected()) s += (s.empty() ? "" : " ") + TEventLog::Name(items->GetItem(i));
    return s;
  }
  void Multi(TSTSelModes mode) {
    tree->SetMultiSelect(true);
    tree->SetSelectionMode(mode);
  }
  static TShiftState Shift() { return TShiftState{ssShift}; }
  static TShiftState Ctrl() { return TShiftState{ssCtrl}; }
};

TEST_F(TreeKeys, SingleSelectionFollowsEachKeyAndDisabledRowsAreSkipped) {
  struct Step {
    Word key;
    const char* focused;
  };
  const Step steps[] = {
      {VK_HOME, "nil"},    // Home, End and the pages need a focus
      {VK_DOWN, "a"},      // without a focus: the first enabled row
      {VK_RIGHT, "a"},     // expands
      {VK_RIGHT, "a1"},    // into the child
      {VK_DOWN, "a2"},     {VK_LEFT, "a"},  // to the parent
      {VK_LEFT, "a"},      // collapses
      {VK_LEFT, "a"},      // a collapsed top-level item: nothing
      {VK_BACK, "a"},      // no parent: nothing
      {VK_UP, "a"},        // the first row keeps the focus
      {VK_DOWN, "b"},      {VK_DOWN, "c"},  {VK_DOWN, "e"},  // d skipped
      {VK_UP, "c"},        {VK_END, "j"},
      {VK_PRIOR, "g"},     // four enabled rows back, the focused one counted
      {VK_HOME, "a"},      {VK_NEXT, "e"},  // a b c e: the disabled d is not counted
  };
  for (const Step& step : steps) {
    Key(step.key);
    ASSERT_EQ(Focused(), step.focused) << "after key " << step.key;
    EXPECT_EQ(Selected(), step.focused == std::string("nil") ? "" : step.focused);
  }
  EXPECT_FALSE(N("a")->Expanded());
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeKeys, MovesOffScreenScrollTheFocusedRowBackIntoView) {
  Key(VK_DOWN);
  Key(VK_END);
  // The last row at the bottom of a full page.
  EXPECT_EQ(Focused(), "j");
  EXPECT_EQ(tree->TopIndex(), tree->View()->LastTopRow());
  EXPECT_TRUE(tree->IsInView(N("j")));
  Key(VK_HOME);
  EXPECT_EQ(tree->TopIndex(), 0);
  // Paging down walks the whole tree in pages and ends on the last row.
  for (int i = 0; i < 5; ++i) Key(VK_NEXT);
  EXPECT_EQ(Focused(), "j");
  EXPECT_TRUE(tree->IsInView(N("j")));
  for (int i = 0; i < 5; ++i) Key(VK_UP);
  EXPECT_EQ(Focused(), "e");
  EXPECT_TRUE(tree->IsInView(N("e")));
  EXPECT_EQ(tree->TopIndex(), 4);

  // Expanding from the keyboard scrolls the children into view, never past
  // the item itself.
  Key(VK_HOME);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Focused(), "c");
  Key(VK_MULTIPLY);
  EXPECT_TRUE(N("c1")->Expanded());
  EXPECT_EQ(tree->TopIndex(), 1);
  EXPECT_TRUE(tree->IsInView(N("c2")));
  Key(VK_DIVIDE);
  EXPECT_FALSE(N("c")->Expanded());
  EXPECT_FALSE(N("c1")->Expanded());
  Key(VK_ADD);
  EXPECT_TRUE(N("c")->Expanded());
  EXPECT_FALSE(N("c1")->Expanded());
  Key(VK_SUBTRACT);
  EXPECT_FALSE(N("c")->Expanded());
  Key('8', Shift());
  EXPECT_TRUE(N("c1")->Expanded());

  // Mirrored, Left and Right change places.
  tree->SetRightAlignedTree(true);
  Key(VK_RIGHT);
  EXPECT_FALSE(N("c")->Expanded());
  Key(VK_LEFT);
  EXPECT_TRUE(N("c")->Expanded());
}

TEST_F(TreeKeys, MultipleSelectionByKeysInBothModes) {
  Multi(smUsual);
  int changes = 0;
  struct Counter : TObject {
    int* count;
    void Changed(TObject*) { ++*count; }
  } counter;
  counter.count = &changes;
  tree->OnAfterSelectionChange = TNotifyEvent(&counter, &Counter::Changed);

  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), "b");
  // Shift extends from the anchor over every item between (collapsed
  // children too); the disabled d is left out.
  Key(VK_DOWN, Shift());
  Key(VK_DOWN, Shift());
  EXPECT_EQ(Focused(), "e");
  EXPECT_EQ(Selected(), "b c c1 c11 c2 e");
  EXPECT_EQ(tree->SelectionAnchor(), N("b"));
  Key(VK_UP, Shift());
  EXPECT_EQ(Selected(), "b c");
  // Ctrl and Shift together count as Shift.
  Key(VK_DOWN, TShiftState{ssShift, ssCtrl});
  EXPECT_EQ(Selected(), "b c c1 c11 c2 e");
  // Ctrl moves without clearing and flips the target; Space with Ctrl
  // flips the focused item; both keep the rest.
  Key(VK_DOWN, Ctrl());
  EXPECT_EQ(Focused(), "f");
  EXPECT_EQ(Selected(), "b c c1 c11 c2 e f");
  Key(VK_DOWN, Ctrl());
  EXPECT_EQ(Selected(), "b c c1 c11 c2 e f g");
  Key(VK_SPACE, Ctrl());
  EXPECT_EQ(Selected(), "b c c1 c11 c2 e f");
  EXPECT_EQ(changes, 1);
  // A plain move clears the rest; a plain Space clears the rest and flips
  // the focused item.
  Key(VK_UP);
  EXPECT_EQ(Selected(), "f");
  Key(VK_SPACE, Ctrl());
  EXPECT_EQ(Selected(), "");
  EXPECT_EQ(changes, 2);
  Key(VK_DOWN, Ctrl());
  Key(VK_UP, Ctrl());
  EXPECT_EQ(Selected(), "f g");
  Key(VK_SPACE);
  EXPECT_EQ(Selected(), "f");

  // smSimple: moves flip their targets and keep the rest.
  tree->SetSelectionMode(smSimple);
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), "f g");
  Key(VK_DOWN);
  EXPECT_EQ(Selected(), "f g h");
  Key(VK_UP);
  EXPECT_EQ(Selected(), "f h");
  Key(VK_SPACE);
  EXPECT_EQ(Selected(), "f g h");
  EXPECT_EQ(tree->SelectionAnchor(), N("g"));
  EXPECT_TREE_CONSISTENT(tree);
}

// The folder tree deletes vanished folders when they get the focus: the
// key's work goes on with the items that are left.
class TDeleter : public TObject {
 public:
  void Focused(TObject* sender) {
    auto* t = static_cast<TCustomElTree*>(sender);
    TElTreeItem* item = t->GetFocusedItem();
    if (item && item->Text() == victim) {
      victim.clear();
      item->Delete();
    }
  }
  void Changing(TObject*, TElTreeItem* item, bool&) {
    if (item && anchorVictim) {
      TElTreeItem* gone = anchorVictim;
      anchorVictim = nullptr;
      gone->Delete();
    }
  }
  TElFString victim;
  TElTreeItem* anchorVictim = nullptr;
};

TEST_F(TreeKeys, HandlersThatDeleteItemsInTheMiddleOfAKeyLeaveNoStaleItem) {
  tree->SetChangeDelay(0);
  TDeleter deleter;
  tree->OnItemFocused = TNotifyEvent(&deleter, &TDeleter::Focused);
  Key(VK_DOWN);
  deleter.victim = L"b";
  Key(VK_DOWN);  // b gets the focus and is deleted on the spot
  EXPECT_EQ(N("b"), nullptr);
  EXPECT_NE(Focused(), "b");
  EXPECT_TREE_CONSISTENT(tree);
  tree->SetFocusedItem(N("c"));
  EXPECT_TREE_CONSISTENT(tree);

  // In multiple selection the anchor and the focused item are deleted by
  // OnChanging while Shift extends the range.
  Multi(smUsual);
  Key(VK_DOWN);
  EXPECT_EQ(Focused(), "e");
  tree->OnChanging = TElTreeChangingEvent(&deleter, &TDeleter::Changing);
  deleter.anchorVictim = N("e");
  Key(VK_DOWN, Shift());
  EXPECT_EQ(N("e"), nullptr);
  EXPECT_EQ(Focused(), "f");
  EXPECT_EQ(Selected(), "f");
  EXPECT_TREE_CONSISTENT(tree);
  Key(VK_DOWN, Shift());
  EXPECT_EQ(Focused(), "g");
  EXPECT_TREE_CONSISTENT(tree);
}

}  // namespace
