// The view's keys without a window: where each key leads in single and
// multiple selection, what it leaves selected and in view, and handlers that
// delete items in the middle of a key.
#include <utility>

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
  // Presses the keys in turn; answers the focused item and the selection.
  std::string Keys(std::initializer_list<Word> keys, TShiftState shift = {}) {
    for (Word key : keys) tree->View()->HandleKey(key, shift);
    std::string s = TEventLog::Name(tree->ItemFocused()) + ":";
    for (int i = 0; i < items->Count(); ++i)
      if (items->GetItem(i)->Selected()) s += " " + TEventLog::Name(items->GetItem(i));
    return s;
  }
};

TEST_F(TreeKeys, SingleSelectionFollowsEveryKeyAndTheFocusedRowStaysInView) {
  EXPECT_EQ(Keys({VK_HOME, VK_END, VK_NEXT}), "nil:");  // these need a focus
  EXPECT_EQ(Keys({VK_DOWN}), "a: a");                  // the first enabled row
  EXPECT_EQ(Keys({VK_RIGHT}), "a: a");                 // expands
  EXPECT_EQ(Keys({VK_RIGHT, VK_DOWN}), "a2: a2");      // into the child
  EXPECT_EQ(Keys({VK_LEFT, VK_LEFT}), "a: a");         // to the parent, collapses
  EXPECT_FALSE(N("a")->Expanded());
  EXPECT_EQ(Keys({VK_LEFT, VK_BACK, VK_UP}), "a: a");  // nothing left or above
  EXPECT_EQ(Keys({VK_DOWN, VK_DOWN, VK_DOWN}), "e: e");  // the disabled d skipped
  EXPECT_EQ(Keys({VK_END}), "j: j");
  EXPECT_EQ(tree->TopIndex(), tree->View()->LastTopRow());
  EXPECT_EQ(Keys({VK_PRIOR}), "g: g");  // four enabled rows, the focused one counted
  EXPECT_EQ(Keys({VK_HOME, VK_NEXT}), "e: e");  // a b c e: d is not counted
  EXPECT_EQ(tree->TopIndex(), 0);
  EXPECT_EQ(Keys({VK_NEXT, VK_NEXT, VK_NEXT}), "j: j");
  EXPECT_TRUE(tree->IsInView(N("j")));
  // Up off screen puts the target on the top row.
  Keys({VK_UP, VK_UP, VK_UP, VK_UP, VK_UP});
  EXPECT_EQ(tree->TopIndex(), 4);

  // Expanding keys scroll the children into view, never past the item.
  EXPECT_EQ(Keys({VK_HOME, VK_DOWN, VK_DOWN, VK_MULTIPLY}), "c: c");
  EXPECT_TRUE(N("c1")->Expanded());
  EXPECT_EQ(tree->TopIndex(), 1);
  Keys({VK_DIVIDE});
  EXPECT_FALSE(N("c1")->Expanded());
  Keys({VK_ADD});
  EXPECT_TRUE(N("c")->Expanded() && !N("c1")->Expanded());
  Keys({VK_SUBTRACT});
  EXPECT_FALSE(N("c")->Expanded());
  Keys({'8'}, TShiftState{ssShift});
  EXPECT_TRUE(N("c1")->Expanded());
  // Mirrored, Left and Right change places.
  tree->SetRightAlignedTree(true);
  Keys({VK_RIGHT});
  EXPECT_FALSE(N("c")->Expanded());
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeKeys, MultipleSelectionByKeysInBothModes) {
  tree->SetMultiSelect(true);
  struct Counter : TObject {
    int count = 0;
    void Changed(TObject*) { ++count; }
  } counter;
  tree->OnAfterSelectionChange = TNotifyEvent(&counter, &Counter::Changed);
  const TShiftState shift{ssShift}, ctrl{ssCtrl};
  EXPECT_EQ(Keys({VK_DOWN, VK_DOWN}), "b: b");
  // Shift spans every item from the anchor (collapsed children too), the
  // disabled d left out; Ctrl with Shift counts as Shift.
  EXPECT_EQ(Keys({VK_DOWN, VK_DOWN}, shift), "e: b c c1 c11 c2 e");
  EXPECT_EQ(Keys({VK_UP}, shift), "c: b c");
  EXPECT_EQ(Keys({VK_DOWN}, TShiftState{ssShift, ssCtrl}), "e: b c c1 c11 c2 e");
  EXPECT_EQ(tree->SelectionAnchor(), N("b"));
  // Ctrl moves and flips the target, keeping the rest; so does Space with
  // Ctrl for the focused item, which alone reports the change.
  EXPECT_EQ(Keys({VK_DOWN, VK_DOWN}, ctrl), "g: b c c1 c11 c2 e f g");
  EXPECT_EQ(Keys({VK_SPACE}, ctrl), "g: b c c1 c11 c2 e f");
  EXPECT_EQ(counter.count, 1);
  // A plain move or Space clears the rest.
  EXPECT_EQ(Keys({VK_UP}), "f: f");
  EXPECT_EQ(Keys({VK_SPACE}, ctrl), "f:");
  EXPECT_EQ(Keys({VK_SPACE}), "f: f");
  // smSimple: every move flips its target.
  tree->SetSelectionMode(smSimple);
  EXPECT_EQ(Keys({VK_DOWN, VK_DOWN, VK_UP}), "g: f h");
  EXPECT_EQ(Keys({VK_SPACE}), "g: f g h");
  EXPECT_EQ(tree->SelectionAnchor(), N("g"));
  EXPECT_EQ(counter.count, 4);
  EXPECT_TREE_CONSISTENT(tree);
}

// The folder tree deletes vanished folders when they get the focus.
struct TDeleter : TObject {
  TElTreeItem* onFocus = nullptr;
  TElTreeItem* onChanging = nullptr;
  void Focused(TObject* sender) {
    if (onFocus && static_cast<TCustomElTree*>(sender)->GetFocusedItem() == onFocus) Take(onFocus)->Delete();
  }
  void Changing(TObject*, TElTreeItem*, bool&) {
    if (onChanging) Take(onChanging)->Delete();
  }
  static TElTreeItem* Take(TElTreeItem*& item) { return std::exchange(item, nullptr); }
};

TEST_F(TreeKeys, HandlersThatDeleteItemsInTheMiddleOfAKeyLeaveNoStaleItem) {
  tree->SetChangeDelay(0);
  TDeleter deleter;
  tree->OnItemFocused = TNotifyEvent(&deleter, &TDeleter::Focused);
  tree->OnChanging = TElTreeChangingEvent(&deleter, &TDeleter::Changing);
  deleter.onFocus = N("b");
  Keys({VK_DOWN, VK_DOWN});  // b is deleted as it gets the focus
  EXPECT_EQ(N("b"), nullptr);
  EXPECT_TREE_CONSISTENT(tree);
  // The focused item, which is the anchor too, goes while Shift extends.
  tree->SetMultiSelect(true);
  tree->SetFocusedItem(N("e"));
  EXPECT_EQ(Keys({VK_UP}), "c: c");
  deleter.onChanging = N("c");
  EXPECT_EQ(Keys({VK_DOWN}, TShiftState{ssShift}), "e: e");
  EXPECT_EQ(N("c"), nullptr);
  EXPECT_TREE_CONSISTENT(tree);
}

}  // namespace
