// Focus and selection of the tree without a window: vetoes and forced
// moves, the delayed focus notification, the range and whole-tree
// operations over hidden, collapsed and disabled items, the filtered
// fix-up, and the cell measure with a measurer of known answers.
#include "TreeModelSupport.hpp"

namespace {

std::string SelectedNames(TCustomElTree* tree) {
  std::string names;
  for (TElTreeItem* item = tree->GetNextSelected(nullptr); item; item = tree->GetNextSelected(item))
    names += (names.empty() ? "" : " ") + TEventLog::Name(item);
  return names;
}

// The selected items in tree order.
std::string SelectedInOrder(TCustomElTree* tree) {
  std::string names;
  for (int i = 0; i < tree->Items()->Count(); ++i)
    if (tree->Items()->GetItem(i)->Selected()) names += (names.empty() ? "" : " ") + TEventLog::Name(tree->Items()->GetItem(i));
  return names;
}

TEST_F(TreeModelTest, DelayedFocusReportsOnceForTheLastItemAndForgetsADeletedOne) {
  BuildShape(items, nullptr, "a b c d");
  tree->SetChangeDelay(500);
  log.lines.clear();
  for (const char* name : {"a", "b", "c"}) tree->SetFocusedItemEx(N(name), false, true);
  EXPECT_EQ(log.Joined(), "changing a; changing b; changing c");
  tree->FireDelayTimer();
  tree->FireDelayTimer();
  EXPECT_EQ(log.Joined(), "changing a; changing b; changing c; focused c");

  // Moved away again before the timer: nothing for the earlier item.
  tree->SetFocusedItemEx(N("d"), false, true);
  tree->SetFocusedItemEx(N("a"), false, false);
  log.lines.clear();
  tree->FireDelayTimer();
  EXPECT_EQ(log.Joined(), "");

  // The pending item goes away: its report is forgotten.
  tree->SetFocusedItemEx(N("d"), false, true);
  log.lines.clear();
  N("d")->Delete();
  tree->FireDelayTimer();
  EXPECT_EQ(log.Joined().find("focused d"), std::string::npos);

  // No delay: at once.
  tree->SetChangeDelay(0);
  log.lines.clear();
  tree->SetFocusedItemEx(N("b"), false, true);
  EXPECT_EQ(log.Joined(), "changing b; focused b");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, SingleSelectionFollowsTheFocusAndAutoExpandOpensIt) {
  tree->SetMultiSelect(false);
  BuildShape(items, nullptr, "a(a1 a2) b(b1)");
  tree->SetAutoExpand(true);
  tree->SetFocusedItem(N("a"));
  EXPECT_TRUE(N("a")->Expanded());
  log.lines.clear();
  tree->SetFocusedItem(N("b1"));
  EXPECT_EQ(log.Joined(), "changing b1; selected a off; selected b1 on; expanding b1; expand b1; focused b1");
  EXPECT_EQ(tree->SelectedCount(), 1);
  EXPECT_EQ(tree->GetNextSelected(nullptr), N("b1"));
  // With AutoCollapse the old branch closes up to the common ancestor.
  tree->SetAutoCollapse(true);
  tree->SetFocusedItem(N("a2"));
  EXPECT_FALSE(N("b1")->Expanded());
  EXPECT_FALSE(N("b")->Expanded());
  EXPECT_TRUE(N("a")->Expanded());
  tree->SetFocusedItem(nullptr);
  EXPECT_FALSE(N("a2")->Selected());
  EXPECT_EQ(tree->SelectedCount(), 0);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, RangesAreTheSameBothWaysAndSkipDisabledItemsWhenAsked) {
  BuildShape(items, nullptr, "a(b c) d e f");
  N("d")->SetEnabled(false);
  tree->SelectRange(N("e"), N("b"));
  EXPECT_EQ(SelectedInOrder(tree), "b c d e");
  tree->DeselectAll();
  tree->SelectRange(N("b"), N("e"));
  EXPECT_EQ(SelectedInOrder(tree), "b c d e");
  tree->DeselectAll();
  tree->SelectRange2(N("f"), N("c"), false);
  EXPECT_EQ(SelectedInOrder(tree), "c e f");
  tree->DeselectAll();
  tree->SetIgnoreEnabled(true);
  tree->SelectRange2(N("f"), N("c"), false);
  EXPECT_EQ(SelectedInOrder(tree), "c d e f");
  tree->DeselectAll();
  // Nil is the first item; one item is no range.
  tree->SelectRange(nullptr, N("b"));
  EXPECT_EQ(SelectedInOrder(tree), "a b");
  tree->DeselectAll();
  tree->SelectRange(N("c"), N("c"));
  EXPECT_EQ(SelectedInOrder(tree), "");
  // Without multiple selection the operations change nothing.
  tree->SetMultiSelect(false);
  tree->SelectRange(N("a"), N("f"));
  tree->SelectAll();
  EXPECT_EQ(SelectedInOrder(tree), "");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, WholeTreeOperationsOverCollapsedAndHiddenItems) {
  BuildShape(items, nullptr, "a(b c(h)) d(e) f");
  N("a")->Expand(false);
  N("c")->SetHidden(true);
  // Not filtering: collapsed and hidden items are selected too.
  tree->SelectAll();
  EXPECT_EQ(SelectedInOrder(tree), "a b c h d e f");
  tree->DeselectAll();
  tree->SelectAllEx(false);
  EXPECT_EQ(SelectedInOrder(tree), "a b c d f") << "h and e lie under collapsed items";
  tree->InvertSelection();
  EXPECT_EQ(SelectedInOrder(tree), "h e");
  tree->DeselectAll();

  tree->SetFilteredVisibility(true);
  tree->SelectAll();
  EXPECT_EQ(SelectedInOrder(tree), "a b d f");
  // Selecting hidden items too: the end of the update takes them off again.
  tree->InvertSelectionEx(true);
  EXPECT_EQ(SelectedInOrder(tree), "e");
  tree->SelectAllEx(true);
  EXPECT_EQ(SelectedInOrder(tree), "a b d e f");
  tree->DeselectAll();
  EXPECT_EQ(SelectedNames(tree), "");
  // A shown range steps over the hidden subtree and the collapsed children.
  tree->SelectRangeEx(N("a"), N("f"), false);
  EXPECT_EQ(SelectedInOrder(tree), "a b d f");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, FilteringMovesFocusAndAnchorOffHiddenItems) {
  BuildShape(items, nullptr, "a(b(c) d) e");
  N("a")->Expand(true);
  tree->SetFocusedItem(N("c"));
  tree->SetSelectionAnchor(N("d"));
  N("c")->SetSelected(true);
  N("e")->SetSelected(true);
  tree->SetFilteredVisibility(true);
  tree->SetUpdating(true);
  N("b")->SetHidden(true);
  N("d")->SetHidden(true);
  tree->SetUpdating(false);
  EXPECT_EQ(tree->GetFocusedItem(), N("a")) << "the nearest shown ancestor";
  EXPECT_EQ(tree->SelectionAnchor(), N("a")) << "the nearest shown item before";
  EXPECT_EQ(SelectedInOrder(tree), "e");
  EXPECT_TREE_CONSISTENT(tree);
}

// A measurer whose text is 7 pixels a character and 13 high.
class TFixedMeasurer : public TElTreeTextMeasurer {
 public:
  TPoint TextExtent(const TElFString& text, TFont*, UINT flags) override {
    lastFlags = flags;
    return TPoint{static_cast<LONG>(7 * text.size()), 13};
  }
  UINT lastFlags = 0;
};

TEST(TreeMeasure, MainCellAddsIndentLevelCheckBoxImagesAndText) {
  TElTree* tree = TObject::Create<TElTree>(nullptr);
  TFixedMeasurer measurer;
  tree->SetTextMeasurer(&measurer);
  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(20);
  TElTreeItem* top = tree->Items()->AddLastChild(nullptr, L"top");
  TElTreeItem* child = tree->Items()->AddLastChild(top, L"abcd");
  TPoint size{0, 0};
  // ItemIndent 17, root buttons on: 17 + level 17 + (17 div 5) x 3 + 28.
  tree->MeasureCell(child, -1, size);
  EXPECT_EQ(size.x, 17 + 17 + 9 + 28);
  EXPECT_EQ(size.y, 20);
  EXPECT_EQ(measurer.lastFlags, static_cast<UINT>(DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE));
  // No root lines nor buttons: a fifth of the indent.
  tree->SetShowRootButtons(false);
  tree->MeasureCell(top, -1, size);
  EXPECT_EQ(size.x, 3 + 0 + 9 + 21);
  // A shown check box, and an image list whose index is asked of the event.
  tree->SetShowCheckboxes(true);
  top->SetShowCheckBox(true);
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  TBitmap picture;
  picture.SetSize(16, 16);
  images.Add(&picture, nullptr);
  tree->SetImages(&images);
  struct Pictures : TObject {
    void Get(TObject*, TElTreeItem*, int& index) { index = 0; }
  } pictures;
  tree->OnItemPicDraw = TOnPicDrawEvent(&pictures, &Pictures::Get);
  tree->MeasureCell(top, -1, size);
  EXPECT_EQ(size.x, 3 + 15 + (16 + 17 / 3) + 9 + 21);
  // Multi-line text: measured without the single-line flag, taller.
  tree->SetImages(nullptr);
  top->SetMultiline(true);
  tree->MeasureCell(top, -1, size);
  EXPECT_EQ(measurer.lastFlags & DT_SINGLELINE, 0u);
  tree->Free();
}

}  // namespace
