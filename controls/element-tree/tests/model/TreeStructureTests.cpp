// The tree's structure without a window: adding in every place, moving in
// every mode, deleting with its hand-offs, the deep copy, the counters, and
// a long random run of all of these with the invariants checked after each
// step.
#include <functional>
#include <random>

#include "TreeModelSupport.hpp"

namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EElTreeError& e) {
    return e.Message();
  }
  return "no error";
}

// ---------------------------------------------------------------- adding

TEST_F(TreeModelTest, EveryAddVariantPlacesItsItemAndSetsTextAndData) {
  BuildShape(items, nullptr, "a(b c) d");
  int one = 1, two = 2;
  struct Step {
    std::function<TElTreeItem*()> add;
    void* data;
    std::string shape;
  };
  const Step steps[] = {
      {[&] { return items->AddLastSibling(N("b"), L"e"); }, nullptr, "a(b c e) d"},
      {[&] { return items->AddLastChild(N("b"), L"f"); }, nullptr, "a(b(f) c e) d"},
      {[&] { return items->AddFirstChild(N("b"), L"g"); }, nullptr, "a(b(g f) c e) d"},
      {[&] { return items->AddLastChildWithData(nullptr, L"h", &one); }, &one, "a(b(g f) c e) d h"},
      {[&] { return items->AddFirstChildWithData(N("c"), L"i", &two); }, &two, "a(b(g f) c(i) e) d h"},
      {[&] { return items->AddFirstSibling(N("c"), L"j"); }, nullptr, "a(j b(g f) c(i) e) d h"},
      {[&] { return items->AddLastSiblingWithData(N("d"), L"k", &one); }, &one, "a(j b(g f) c(i) e) d h k"},
      {[&] { return items->AddFirstSiblingWithData(N("d"), L"l", &two); }, &two, "l a(j b(g f) c(i) e) d h k"},
      {[&] { return items->InsertBefore(N("c"), L"m"); }, nullptr, "l a(j b(g f) m c(i) e) d h k"},
      {[&] { return items->InsertBeforeWithData(nullptr, L"n", &one); }, &one, "n l a(j b(g f) m c(i) e) d h k"},
      {[&] { return items->InsertAfter(N("c"), L"o"); }, nullptr, "n l a(j b(g f) m c(i) o e) d h k"},
      {[&] { return items->InsertAfterWithData(nullptr, L"p", &two); }, &two, "p n l a(j b(g f) m c(i) o e) d h k"},
      {[&] { return items->InsertAfter(N("k"), L"q"); }, nullptr, "p n l a(j b(g f) m c(i) o e) d h k q"},
  };
  for (const Step& step : steps) {
    TElTreeItem* item = step.add();
    EXPECT_EQ(Shape(), step.shape);
    EXPECT_EQ(item->Data(), step.data) << step.shape;
    ASSERT_TREE_CONSISTENT(tree);
  }
  EXPECT_EQ(items->Count(), 17);
  EXPECT_EQ(items->GetItem(items->Count()), nullptr);
  EXPECT_EQ(items->GetItem(-1), nullptr);
  EXPECT_EQ(WideToAnsi(items->GetFirstItem()->Text()), "p");
}

TEST_F(TreeModelTest, InsertOutsideTheChildrenRaisesAndChangesNothing) {
  BuildShape(items, nullptr, "a(b c) d");
  const std::string message = "ElTree item index out of bounds.";
  EXPECT_EQ(ErrorOf([&] { items->InsertItem(-1, N("a")); }), message);
  EXPECT_EQ(ErrorOf([&] { items->InsertItem(3, N("a")); }), message);
  EXPECT_EQ(ErrorOf([&] { items->InsertItem(3, nullptr); }), message);
  EXPECT_EQ(Shape(), "a(b c) d");
  EXPECT_EQ(items->Count(), 4);
  EXPECT_TREE_CONSISTENT(tree);
  items->InsertItem(2, N("a"))->SetText(L"e");
  items->InsertItem(0, N("d"))->SetText(L"f");
  items->InsertItem(2, nullptr)->SetText(L"g");
  EXPECT_EQ(Shape(), "a(b c e) d(f) g");
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- moving

TEST_F(TreeModelTest, MovesInEveryModeCarryTheWholeSubtree) {
  struct Case {
    const char* item;
    TElItemMoveMode mode;
    const char* target;
    const char* shape;
  };
  const Case cases[] = {
      {"d", mmLastSibling, "e", "a(b c) e f d"},    {"d", mmFirstSibling, "b", "a(d b c) e f"},
      {"e", mmLastChild, "a", "a(b c(d) e) f"},     {"e", mmFirstChild, "c", "a(b c(e d)) f"},
      {"f", mmBefore, "b", "a(f b c(d)) e"},        {"a", mmBefore, "f", "e a(b c(d)) f"},
      {"f", mmBefore, nullptr, "f a(b c(d)) e"},    {"b", mmFirstSibling, nullptr, "b a(c(d)) e f"},
      {"c", mmLastChild, nullptr, "a(b) e f c(d)"}, {"c", mmBefore, "b", "a(c(d) b) e f"},
      {"b", mmBefore, "d", "a(c(b d)) e f"},
  };
  for (const Case& c : cases) {
    items->Clear();
    BuildShape(items, nullptr, "a(b c(d)) e f");
    N(c.item)->MoveToPosition(c.target ? N(c.target) : nullptr, c.mode);
    EXPECT_EQ(Shape(), c.shape) << c.item << " mode " << int(c.mode);
    ASSERT_TREE_CONSISTENT(tree);
  }
  EXPECT_EQ(ErrorOf([&] { N("b")->MoveToPosition(nullptr, mmLastSibling); }), "ElTree item not specified");
}

TEST_F(TreeModelTest, AMoveIntoItsOwnSubtreeOrOutsideTheChildrenChangesNothing) {
  BuildShape(items, nullptr, "a(b c(d)) e");
  const std::string subitem = "Can't move Item to one of its subitems.";
  const std::string index = "ElTree item index out of bounds.";
  EXPECT_EQ(ErrorOf([&] { N("a")->MoveTo(N("d")); }), subitem);
  EXPECT_EQ(ErrorOf([&] { N("a")->MoveToPosition(N("c"), 0); }), subitem);
  EXPECT_EQ(ErrorOf([&] { N("b")->MoveToPosition(N("a"), 3); }), index);
  EXPECT_EQ(ErrorOf([&] { N("b")->MoveToPosition(N("a"), -1); }), index);
  EXPECT_EQ(ErrorOf([&] { N("e")->MoveToPosition(N("d"), 1); }), index);
  EXPECT_EQ(Shape(), "a(b c(d)) e");
  EXPECT_TREE_CONSISTENT(tree);
  // Moving onto itself is nothing at all.
  N("c")->MoveTo(N("c"));
  EXPECT_EQ(Shape(), "a(b c(d)) e");
}

TEST_F(TreeModelTest, AMoveToALaterPlaceAmongTheSameSiblings) {
  BuildShape(items, nullptr, "a(b c d)");
  N("b")->MoveToPosition(N("a"), 1);
  EXPECT_EQ(Shape(), "a(c b d)");
  N("c")->MoveToPosition(N("a"), 3);
  EXPECT_EQ(Shape(), "a(b d c)");
  N("b")->MoveToPosition(N("a"), 2);
  EXPECT_EQ(Shape(), "a(d c b)");
  N("b")->MoveToPosition(N("a"), 0);
  EXPECT_EQ(Shape(), "a(b d c)");
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- deleting

TEST_F(TreeModelTest, ASubtreeIsDeletedBottomUpTheLastChildFirst) {
  BuildShape(items, nullptr, "a(b(c d) e(f)) g");
  log.lines.clear();
  N("a")->Delete();
  EXPECT_EQ(log.Joined(), "delete f; delete e; delete d; delete c; delete b; delete a");
  EXPECT_EQ(Shape(), "g");
  EXPECT_TREE_CONSISTENT(tree);
  // The hidden root is never deleted.
  items->DeleteItem(items->Root());
  items->DeleteItem(nullptr);
  EXPECT_EQ(Shape(), "g");
}

TEST_F(TreeModelTest, TheFocusMovesToTheNextSiblingThenThePreviousThenTheParentEvenWhenRefused) {
  tree->SetMultiSelectRaw(false);
  BuildShape(items, nullptr, "a(b c d) x");
  N("c")->SetFocused(true);
  log.allowFocusChange = false;
  log.lines.clear();
  N("c")->Delete();
  EXPECT_EQ(tree->GetFocusedItem(), N("d"));
  // The selected item moves on first, through focus moves the handler
  // refuses; the focus then goes, forced, and the selection with it.
  EXPECT_EQ(log.Joined(), "changing d; changing b; changing a; changing d; selected c off; selected d on; focused d; "
                          "delete c");
  N("d")->Delete();
  EXPECT_EQ(tree->GetFocusedItem(), N("b"));
  N("b")->Delete();
  EXPECT_EQ(tree->GetFocusedItem(), N("a"));
  N("a")->Delete();
  EXPECT_EQ(tree->GetFocusedItem(), N("x"));
  EXPECT_TRUE(N("x")->Focused());
  N("x")->Delete();
  EXPECT_EQ(tree->GetFocusedItem(), nullptr);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, AFocusDeepInADeletedSubtreeEndsOnTheNextSiblingAndReportsOncePerMove) {
  BuildShape(items, nullptr, "a(b(c)) d");
  N("c")->SetFocused(true);
  log.lines.clear();
  N("a")->Delete();
  EXPECT_EQ(tree->GetFocusedItem(), N("d"));
  EXPECT_TRUE(N("d")->Focused());
  // The moves inside the subtree are reported once, at the end of its
  // children's deletion; the last move on its own.
  EXPECT_EQ(log.Joined(), "delete c; delete b; focused a; changing d; focused d; delete a");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, TheSelectionAnchorMovesOnAndTheDeletedItemLeavesTheSelection) {
  BuildShape(items, nullptr, "a(b c d)");
  N("c")->SetSelected(true);
  N("d")->SetSelected(true);
  tree->SetSelectionAnchor(N("c"));
  N("c")->Delete();
  EXPECT_EQ(tree->SelectionAnchor(), N("d"));
  EXPECT_EQ(tree->SelectedCount(), 1);
  N("d")->Delete();
  EXPECT_EQ(tree->SelectionAnchor(), N("b"));
  EXPECT_EQ(tree->SelectedCount(), 0);
  N("b")->Delete();
  EXPECT_EQ(tree->SelectionAnchor(), N("a"));
  N("a")->Delete();
  EXPECT_EQ(tree->SelectionAnchor(), nullptr);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, AnItemDeletedAgainFromItsDeletionEventIsLeftToTheRunningDeletion) {
  BuildShape(items, nullptr, "a(b) c");
  struct Again : TObject {
    void Deletion(TObject*, TElTreeItem* item) { item->Delete(); }
  } again;
  tree->OnItemDeletion = TOnItemExpandEvent(&again, &Again::Deletion);
  N("a")->Delete();
  EXPECT_EQ(Shape(), "c");
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- copying

TEST_F(TreeModelTest, AssignCopiesTheItemAndItsWholeSubtree) {
  BuildShape(items, nullptr, "a(b(c) d) e(x)");
  TElTreeItem* b = N("b");
  int data = 7;
  b->SetData(&data);
  b->SetHint(L"подсказка");
  b->ColumnText()->Add(L"колонка");
  b->SetColor(0x123456);
  b->SetBold(true);
  b->SetMultiline(true);
  b->SetHidden(true);
  b->SetImageIndex(4);
  b->SetStateImageIndex2(6);
  b->SetCheckBoxType(ectRadioButton);
  b->SetCheckBoxState(ecbGrayed);
  b->SetBorderStyle(ibsLine);
  b->SetIndent(9);
  b->SetOverlayIndex2(3);
  b->SetTag(11);
  b->SetOwnHeight(40);
  b->SetUseStyles(true);
  b->MainStyle()->SetTextColor(0x00FF00);
  b->AddStyle()->SetCellType(sftNumber);
  b->SetSelected(true);
  b->Expand(false);
  N("c")->SetIsHTML(true);

  N("e")->Assign(N("a"));
  EXPECT_EQ(Shape(), "a(b(c) d) a(b(c) d)");
  TElTreeItem* copy = items->Root()->GetChild(1)->GetChild(0);
  ASSERT_NE(copy, b);
  EXPECT_EQ(copy->Data(), &data);
  EXPECT_EQ(WideToAnsi(copy->Hint()), WideToAnsi(L"подсказка"));
  EXPECT_EQ(copy->ColumnText()->Count(), 1);
  EXPECT_EQ(copy->Color(), 0x123456);
  EXPECT_TRUE(copy->Bold() && copy->Multiline() && copy->Hidden() && copy->Expanded());
  // The selection stays with the original.
  EXPECT_FALSE(copy->Selected());
  EXPECT_EQ(copy->ImageIndex(), 4);
  EXPECT_EQ(copy->StateImageIndex2(), 6);
  EXPECT_EQ(copy->CheckBoxState(), ecbGrayed);
  EXPECT_EQ(copy->CheckBoxType(), ectRadioButton);
  EXPECT_EQ(copy->BorderStyle(), ibsLine);
  EXPECT_EQ(copy->Indent(), 9);
  EXPECT_EQ(copy->OverlayIndex2(), 3);
  EXPECT_EQ(copy->Tag(), 11);
  EXPECT_EQ(copy->OwnHeight(), 40);
  EXPECT_EQ(copy->MainStyle()->TextColor(), 0x00FF00);
  ASSERT_EQ(copy->StylesCount(), 1);
  EXPECT_EQ(copy->GetStyle(0)->CellType(), sftNumber);
  EXPECT_NE(copy->GetStyle(0), b->GetStyle(0));
  EXPECT_TRUE(copy->GetFirstChild()->IsHTML());
  EXPECT_EQ(tree->HiddenCount(), 2);
  EXPECT_EQ(tree->MultiLineCount(), 4);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, AssignBetweenAnItemAndItsOwnSubtreeIsRefused) {
  BuildShape(items, nullptr, "a(b(c)) d");
  const std::string message = "Can't assign an item from its own subtree or ancestors.";
  EXPECT_EQ(ErrorOf([&] { N("a")->Assign(N("c")); }), message);
  EXPECT_EQ(ErrorOf([&] { N("c")->Assign(N("a")); }), message);
  EXPECT_EQ(ErrorOf([&] { items->Root()->Assign(N("b")); }), message);
  N("a")->Assign(N("a"));
  EXPECT_EQ(Shape(), "a(b(c)) d");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, ACollectionTakesAnotherTreesItems) {
  BuildShape(items, nullptr, "a(b(c) d) e");
  N("c")->SetHidden(true);
  TTestTree* other = TObject::Create<TTestTree>(nullptr);
  BuildShape(other->Items(), nullptr, "old(items)");
  other->Items()->Assign(items);
  EXPECT_EQ(ShapeOf(other->Items()->Root()), "a(b(c) d) e");
  EXPECT_EQ(other->HiddenCount(), 1);
  EXPECT_TREE_CONSISTENT(other);
  other->Free();
}

// ---------------------------------------------------------------- counters

TEST_F(TreeModelTest, VariableHeightAndHiddenCountsFollowEveryChangeAndReturnAfterDeletion) {
  BuildShape(items, nullptr, "a b c d");
  EXPECT_EQ(tree->MultiLineCount(), 0);
  N("a")->SetMultiline(true);
  N("a")->SetIsHTML(true);
  EXPECT_EQ(tree->MultiLineCount(), 1) << "one item counts once";
  N("b")->SetTreeLineHeight(false);
  N("c")->SetHidden(true);
  EXPECT_EQ(tree->MultiLineCount(), 2);
  EXPECT_EQ(tree->HiddenCount(), 1);
  tree->SetAdjustMultilineHeight(false);
  EXPECT_EQ(tree->MultiLineCount(), 2) << "a stays HTML";
  N("a")->SetIsHTML(false);
  EXPECT_EQ(tree->MultiLineCount(), 1);
  tree->SetAdjustMultilineHeight(true);
  EXPECT_EQ(tree->MultiLineCount(), 2);
  EXPECT_TREE_CONSISTENT(tree);
  TElTreeItem* added = items->AddLastChild(N("d"), L"e");
  added->SetMultiline(true);
  added->SetHidden(true);
  EXPECT_EQ(tree->MultiLineCount(), 3);
  EXPECT_EQ(tree->HiddenCount(), 2);
  N("d")->Delete();
  EXPECT_EQ(tree->MultiLineCount(), 2);
  EXPECT_EQ(tree->HiddenCount(), 1);
  items->Clear();
  EXPECT_EQ(tree->MultiLineCount(), 0);
  EXPECT_EQ(tree->HiddenCount(), 0);
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- state

TEST_F(TreeModelTest, CheckingARadioButtonUnchecksOnlyTheRadioButtonsBesideIt) {
  BuildShape(items, nullptr, "a(r1 r2 c1 r3) r4");
  for (const char* name : {"r1", "r2", "r3", "r4"}) N(name)->SetCheckBoxType(ectRadioButton);
  N("r2")->SetChecked(true);
  N("r3")->SetCheckBoxState(ecbGrayed);
  N("c1")->SetChecked(true);
  N("r4")->SetChecked(true);
  N("r1")->SetChecked(true);
  EXPECT_TRUE(N("r1")->Checked());
  EXPECT_EQ(N("r2")->CheckBoxState(), ecbUnchecked);
  EXPECT_EQ(N("r3")->CheckBoxState(), ecbUnchecked);
  EXPECT_TRUE(N("c1")->Checked());
  EXPECT_TRUE(N("r4")->Checked()) << "another parent's radio button";
}

TEST_F(TreeModelTest, VetoedExpandAndCollapseChangeNothingAndTheRootFiresNoEvents) {
  BuildShape(items, nullptr, "a(b(c))");
  log.allowExpand = false;
  log.lines.clear();
  N("a")->Expand(true);
  EXPECT_FALSE(N("a")->Expanded());
  EXPECT_EQ(log.Joined(), "expanding a");
  log.allowExpand = true;
  log.lines.clear();
  N("a")->Expand(true);
  EXPECT_EQ(log.Joined(), "expanding a; expanding b; expanding c; expand c; expand b; expand a");
  EXPECT_EQ(tree->VisibleCount(), 3);
  log.allowCollapse = false;
  N("a")->SetExpanded(false);
  EXPECT_TRUE(N("a")->Expanded());
  log.lines.clear();
  items->Root()->Collapse(false);
  items->Root()->Expand(false);
  EXPECT_EQ(log.Joined(), "");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, CollapsingMovesTheFocusUpAndDeselectsTheChildrenWhenAsked) {
  BuildShape(items, nullptr, "a(b(c) d)");
  N("a")->Expand(true);
  N("c")->SetFocused(true);
  N("c")->SetSelected(true);
  N("d")->SetSelected(true);
  tree->SetMoveFocusOnCollapse(true);
  tree->SetDeselectChildrenOnCollapse(true);
  N("a")->Collapse(false);
  EXPECT_EQ(tree->GetFocusedItem(), N("a"));
  EXPECT_FALSE(N("c")->Selected());
  EXPECT_FALSE(N("d")->Selected());
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, SelectionAndExpansionIndexesOfSetStateChangeNothing) {
  BuildShape(items, nullptr, "a(b)");
  TElTreeItem* a = N("a");
  log.lines.clear();
  a->SetState(siSelected, true);
  a->SetState(siExpanded, true);
  a->SetState(0, true);
  EXPECT_EQ(a->State(), 0);
  EXPECT_EQ(log.Joined(), "");
  a->SetState(siBold, true);
  a->SetState(siStrikeOut, true);
  EXPECT_TRUE(a->DerivedState().Contains(stsBold) && a->DerivedState().Contains(stsStrikeOut));
  EXPECT_EQ(log.Joined(), "change a 1; change a 1");
}

TEST_F(TreeModelTest, ASelectionKeptWithinOneLevelRefusesItemsOfOtherLevels) {
  BuildShape(items, nullptr, "a(b c) d");
  tree->SetKeepSelectionWithinLevel(true);
  N("b")->SetSelected(true);
  N("d")->SetSelected(true);
  N("c")->SetSelected(true);
  EXPECT_FALSE(N("d")->Selected());
  EXPECT_TRUE(N("c")->Selected());
  EXPECT_EQ(tree->SelectedCount(), 2);
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- heights

TEST_F(TreeModelTest, SubTreeHeightCountsOnlyTheRowsThatShow) {
  tree->SetLineHeightRaw(20);
  BuildShape(items, nullptr, "a(b c(d) e)");
  N("a")->Expand(false);
  N("c")->Expand(false);
  N("e")->SetHidden(true);
  EXPECT_EQ(N("a")->SubTreeHeight(), 80) << "hidden rows show while the tree does not filter";
  tree->SetFiltered(true);
  EXPECT_EQ(N("a")->SubTreeHeight(), 60);
  N("b")->SetTreeLineHeight(false);
  N("b")->SetOwnHeight(33);
  EXPECT_EQ(N("a")->SubTreeHeight(), 73);
  EXPECT_EQ(N("b")->SubTreeHeight(), 0) << "a collapsed item";
  // A measured height is cached until something that changes it.
  N("d")->SetMultiline(true);
  EXPECT_EQ(N("a")->SubTreeHeight(), 83);
  tree->measured = 0;
  EXPECT_EQ(N("d")->Height(), 30);
  EXPECT_EQ(tree->measured, 0);
  N("d")->SetText(L"d2");
  EXPECT_EQ(N("d2")->Height(), 30);
  EXPECT_EQ(tree->measured, 1);
  EXPECT_TREE_CONSISTENT(tree);
}

// ---------------------------------------------------------------- the flat list

TEST_F(TreeModelTest, ARunReorderedInItsChildrenListsIsRewrittenInPlace) {
  items->SetItemClass(&CreateElTreeItem<TTestItem>);
  BuildShape(items, nullptr, "z a(b(c d) e f(g)) h");
  static_cast<TTestItem*>(N("a"))->ReverseChildren();
  static_cast<TTestItem*>(N("b"))->ReverseChildren();
  EXPECT_NE(TElTreeInvariants::Check(tree), "");
  items->RewriteSubtreeRun(N("a"));
  EXPECT_TREE_CONSISTENT(tree);
  EXPECT_EQ(Shape(), "z a(f(g) e b(d c)) h");
  EXPECT_EQ(items->GetItem(2), N("f"));
  EXPECT_EQ(N("c")->AbsoluteIndex(), 7);
}

// ---------------------------------------------------------------- sort keys

TEST_F(TreeModelTest, VirtualSortKeysComeFromTheTreesEventsAndLiveUntilTheLastRelease) {
  tree->SetVirtualRaw(vlTextAndStyles);
  TElTreeItem* item = items->AddItem(nullptr);
  struct Values : TObject {
    Variant next;
    int asked = -1;
    void Value(TObject*, TElTreeItem*, int, int varType, Variant& value) {
      asked = varType;
      value = next;
    }
    void Text(TObject*, TElTreeItem*, int section, TElFString& text) { text = L"Жук" + std::to_wstring(section); }
  } values;
  tree->OnVirtualValueNeeded = TVirtualValueNeededEvent(&values, &Values::Value);
  tree->OnVirtualTextNeeded = TVirtualTextNeededEvent(&values, &Values::Text);
  auto key = [&](TSortTypes type, Variant value) {
    values.next = value;
    values.asked = -1;
    item->AcquireSortKey(2, type);
  };

  key(stNumber, Variant("17"));
  EXPECT_EQ(values.asked, 0);
  EXPECT_EQ(item->SortValueKind(), skInteger);
  EXPECT_EQ(item->SortKeyInteger(), 17);
  key(stNumber, Variant("99"));
  EXPECT_EQ(item->SortRefCount(), 2) << "a nested sort shares the key";
  EXPECT_EQ(values.asked, -1);
  item->ReleaseSortKey();
  EXPECT_EQ(item->SortKeyInteger(), 17);
  item->ReleaseSortKey();
  EXPECT_EQ(item->SortValueKind(), skNone);
  EXPECT_EQ(item->SortRefCount(), 0);

  key(stDate, Variant(TVariantDate{40000.75}));
  EXPECT_EQ(values.asked, 3);
  EXPECT_DOUBLE_EQ(item->SortKeyDouble(), 40000.75);
  item->ReleaseSortKey();
  key(stBoolean, Variant("True"));
  EXPECT_EQ(values.asked, 1);
  EXPECT_EQ(item->SortValueKind(), skBoolean);
  EXPECT_EQ(item->SortKeyInteger(), 1);
  item->ReleaseSortKey();
  key(stCurrency, Variant(12.40));
  EXPECT_EQ(values.asked, 12);
  EXPECT_EQ(item->SortKeyCurrency(), 124000);
  item->ReleaseSortKey();
  key(stCustom, Variant(L"Жук"));
  EXPECT_EQ(values.asked, 4);
  EXPECT_FALSE(item->SortKeyIsWide());
  EXPECT_EQ(item->SortKeyAnsiText(), WideToAnsi(L"Жук"));
  item->ReleaseSortKey();
  tree->SetSortUseCase(false);
  key(stText, Variant());
  EXPECT_EQ(values.asked, -1) << "a text key asks for the text";
  EXPECT_TRUE(item->SortKeyIsWide());
  EXPECT_EQ(item->SortKeyWideText(), L"ЖУК2");
  item->ReleaseSortKey();
  // A value that does not convert leaves the key to the item's texts, which
  // hold no number here.
  key(stNumber, Variant("x"));
  EXPECT_EQ(item->SortValueKind(), skNone);
  EXPECT_EQ(item->SortRefCount(), 1);
  item->ReleaseSortKey();
  EXPECT_EQ(item->SortRefCount(), 0);
}

// ---------------------------------------------------------------- random run

// Every operation on a random tree, with the invariants and the visible-row
// numbering checked after each.
TEST_F(TreeModelTest, ARandomRunOfEveryOperationKeepsTheInvariants) {
  std::mt19937 random(29);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto any = [&]() -> TElTreeItem* { return items->Count() ? items->GetItem(pick(items->Count())) : nullptr; };
  int name = 0;
  for (int step = 0; step < 1500; ++step) {
    TElTreeItem* item = any();
    TElTreeItem* other = any();
    const TElFString text = L"i" + std::to_wstring(name++);
    switch (pick(11)) {
      case 0: case 1: items->AddLastChild(pick(3) ? item : nullptr, text); break;
      case 2: {
        TElTreeItem* parent = pick(3) ? item : nullptr;
        const int count = parent ? parent->ChildrenCount() : items->Root()->ChildrenCount();
        items->InsertItem(pick(count + 1), parent)->SetText(text);
        break;
      }
      case 3:
        if (item) items->DeleteItem(item);
        break;
      case 4:
        if (item) {
          try {
            item->MoveToPosition(other, static_cast<TElItemMoveMode>(pick(5)));
          } catch (const EElTreeError&) {
          }
        }
        break;
      case 5:
        if (item) item->SetExpanded(!item->Expanded());
        break;
      case 6:
        if (item) item->SetHidden(!item->Hidden());
        break;
      case 7:
        if (item) item->SetMultiline(!item->Multiline());
        break;
      case 8:
        if (item) item->SetSelected(!item->Selected());
        break;
      case 9:
        if (item) item->SetFocused(true);
        if (pick(4) == 0) tree->SetFiltered(!tree->FilteredVisibility());
        break;
      case 10:
        if (item && other && pick(8) == 0 && !other->IsDescendantOf(item) && !item->IsDescendantOf(other))
          other->Assign(item);
        break;
    }
    ASSERT_TREE_CONSISTENT(tree) << "step " << step;
    const std::vector<TElTreeItem*> rows = NaiveVisibleRows(tree);
    ASSERT_EQ(tree->VisibleCount(), static_cast<int>(rows.size())) << "step " << step;
    if (!rows.empty()) {
      const int r = pick(static_cast<int>(rows.size()));
      ASSERT_EQ(items->GetVisibleItem(r), rows[r]) << "step " << step;
      ASSERT_EQ(items->GetVisibleIndex(rows[r]), r) << "step " << step;
    }
  }
  EXPECT_GT(items->Count(), 50);
}

}  // namespace
