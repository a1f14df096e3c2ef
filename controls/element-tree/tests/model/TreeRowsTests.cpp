// The view's rows without a window: the clamps of the top row in both
// height modes, pages, the wheel, the rows on screen against a naive walk
// after changes at and above the top row, and the line-height rule.
#include <random>

#include "TreeModelSupport.hpp"

namespace {

class TreeRows : public TreeModelTest {
 protected:
  // count top-level rows of a fixed line height in a view of the height.
  void Rows(int count, int lineHeight, int viewHeight) {
    tree->SetAutoLineHeight(false);
    tree->SetLineHeight(lineHeight);
    tree->View()->SetBounds(0, 0, 200, viewHeight);
    for (int i = 0; i < count; ++i) items->AddLastChild(nullptr, L"r" + std::to_wstring(i));
  }
  std::vector<TElTreeItem*> Shown() {
    std::vector<TElTreeItem*> rows;
    TElList* list = tree->View()->VisibleRows();
    for (int i = 0; i < list->Count(); ++i) rows.push_back(static_cast<TElTreeItem*>(list->Get(i)));
    return rows;
  }
  // The rows a view of the height shows from the top row, by a naive walk.
  std::vector<TElTreeItem*> Expected(int height) {
    std::vector<TElTreeItem*> all = NaiveVisibleRows(tree), rows;
    int sum = 0;
    for (size_t i = tree->TopIndex(); i < all.size() && sum <= height; ++i) {
      rows.push_back(all[i]);
      sum += all[i]->Height();
    }
    return rows;
  }
  void Scroll(TElScrollCode code) {
    int pos = 0;
    bool doChange = true;
    tree->View()->VertScrollHandler(nullptr, code, pos, doChange);
  }
};

TEST_F(TreeRows, TopRowIsClampedSoThatTheLastPageIsFullAndNeverInverts) {
  Rows(10, 30, 100);
  EXPECT_EQ(tree->View()->RowsThatFit(), 4);
  int remainder = -1;
  EXPECT_EQ(tree->View()->FullRowsThatFit(remainder), 3);
  EXPECT_EQ(remainder, 10);

  tree->SetTopIndex(100);
  EXPECT_EQ(tree->TopIndex(), 7);
  EXPECT_EQ(Shown(), (std::vector<TElTreeItem*>{N("r7"), N("r8"), N("r9")}));
  EXPECT_EQ(tree->BottomIndex(), 9);
  const TRect r = tree->View()->GetRowRect(1);
  EXPECT_TRUE(r.left == 0 && r.top == 30 && r.right == 200 && r.bottom == 60);
  EXPECT_EQ(tree->View()->GetItemAtY(89), N("r9"));
  EXPECT_EQ(tree->View()->GetItemAtY(90), nullptr);
  EXPECT_EQ(tree->View()->GetItemAtY(-1), nullptr);
  tree->SetTopIndex(-5);
  EXPECT_EQ(tree->TopIndex(), 0);

  // A view without height still scrolls to the last row, not past it; one
  // row is then in view.
  tree->View()->SetBounds(0, 0, 200, 0);
  tree->SetTopIndex(100);
  EXPECT_EQ(tree->TopIndex(), 9);
  EXPECT_EQ(Shown(), std::vector<TElTreeItem*>{N("r9")});
  // Growing the view pulls the top row back.
  tree->View()->SetBounds(0, 0, 200, 100);
  tree->SetUpdating(true);
  tree->View()->ApplyTopIndex(tree->TopIndex());
  tree->SetUpdating(false);
  EXPECT_EQ(tree->TopIndex(), 7);
}

TEST_F(TreeRows, PagesMoveByTheRowsOnScreenAndAlwaysMoveWhenOneRowShows) {
  Rows(10, 30, 100);
  Scroll(scPageForward);
  EXPECT_EQ(tree->TopIndex(), 3);
  Scroll(scPageForward);
  EXPECT_EQ(tree->TopIndex(), 6);
  Scroll(scPageBack);
  EXPECT_EQ(tree->TopIndex(), 3);
  Scroll(scBottom);
  EXPECT_EQ(tree->TopIndex(), 7);
  Scroll(scTop);
  EXPECT_EQ(tree->TopIndex(), 0);
  Scroll(scLineForward);
  EXPECT_EQ(tree->TopIndex(), 1);

  // A view lower than a row: a page forward is one row.
  tree->View()->SetBounds(0, 0, 200, 20);
  Scroll(scPageForward);
  EXPECT_EQ(tree->TopIndex(), 2);

  // A thumb being dragged scrolls only while tracking is on.
  int pos = 5;
  bool doChange = true;
  tree->View()->VertScrollHandler(nullptr, scTrack, pos, doChange);
  EXPECT_EQ(tree->TopIndex(), 2);
  EXPECT_FALSE(doChange);
  tree->SetScrollTracking(true);
  tree->View()->VertScrollHandler(nullptr, scTrack, pos, doChange);
  EXPECT_EQ(tree->TopIndex(), 5);
}

TEST_F(TreeRows, WheelFollowsTheScrollBarsRule) {
  Rows(400, 30, 100);
  struct Case {
    UINT lines;
    int delta;
    int rows;
  };
  // 0 counts as 1; above 120 counts as 120; a turn down scrolls forward.
  for (const Case& c : {Case{0, -120, 1}, Case{3, -120, 3}, Case{3, -240, 6}, Case{120, -120, 120},
                        Case{121, -120, 120}, Case{3, 120, -3}, Case{3, -40, 1}}) {
    tree->SetTopIndex(200);
    tree->View()->WheelScroll(c.delta, c.lines);
    EXPECT_EQ(tree->TopIndex(), 200 + c.rows) << c.lines << " " << c.delta;
  }
  // One screen at a time: a page a notch.
  tree->SetTopIndex(200);
  tree->View()->WheelScroll(-240, WHEEL_PAGESCROLL);
  EXPECT_EQ(tree->TopIndex(), 206);
  tree->View()->WheelScroll(120, WHEEL_PAGESCROLL);
  EXPECT_EQ(tree->TopIndex(), 203);
}

TEST_F(TreeRows, VariableHeightsClampToAWholeLastRow) {
  Rows(10, 30, 100);
  // Equal heights in the variable mode answer as the fixed mode does.
  N("r0")->SetTreeLineHeight(false);
  tree->measuredHeight = 30;
  ASSERT_TRUE(tree->View()->VariableHeights());
  tree->SetTopIndex(100);
  EXPECT_EQ(tree->TopIndex(), 7);

  // Two rows of 45 at the end: the last page holds both, whole.
  tree->measuredHeight = 45;
  for (const char* name : {"r8", "r9"}) N(name)->SetTreeLineHeight(false);
  tree->SetTopIndex(0);
  tree->SetTopIndex(100);
  EXPECT_EQ(tree->TopIndex(), 8);
  EXPECT_EQ(tree->View()->RowsAbove(9), 8);
  EXPECT_EQ(tree->View()->RowsBelow(5), 8);
  tree->SetTopIndex(2);
  Scroll(scPageForward);
  EXPECT_EQ(tree->TopIndex(), 5);
  Scroll(scPageBack);
  EXPECT_EQ(tree->TopIndex(), 3);
}

// The rows are walked from the kept top row's item; after changes at and
// above it they must be the rows a walk from the first item finds.
TEST_F(TreeRows, WalkFromTheKeptTopRowMatchesAWalkFromTheFirstItem) {
  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(20);
  tree->View()->SetBounds(0, 0, 200, 150);
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    TElTreeItem* parent = items->Count() && random() % 3 ? items->GetItem(random() % items->Count()) : nullptr;
    items->AddLastChild(parent, L"n" + std::to_wstring(i));
  }
  tree->FullExpand();
  auto check = [&](const char* step) {
    SCOPED_TRACE(step);
    for (int move : {7, -3, 25, -11}) {
      tree->SetTopIndex(tree->TopIndex() + move);
      ASSERT_EQ(Shown(), Expected(150)) << move;
    }
  };
  tree->SetTopIndex(120);
  check("scrolling");
  auto above = [&](int back) {
    std::vector<TElTreeItem*> all = NaiveVisibleRows(tree);
    return all[std::max(0, tree->TopIndex() - back)];
  };
  above(5)->Collapse(false);
  check("collapse above");
  above(9)->Expand(true);
  check("expand above");
  Shown()[0]->Collapse(false);
  check("collapse at the top");
  items->DeleteItem(above(4));
  check("delete above");
  items->DeleteItem(Shown()[0]);
  check("delete at the top");
  above(6)->SetHidden(true);
  Shown()[0]->SetHidden(true);
  tree->SetFilteredVisibility(true);
  check("filter");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeRows, LineHeightRule) {
  TFont* font = tree->Font();
  font->SetHeight(-11);
  tree->SetItemIndent(17);
  EXPECT_EQ(tree->LineHeight(), 17);
  tree->SetItemIndent(10);
  EXPECT_EQ(tree->LineHeight(), 15);
  tree->SetBarStyle(true);
  EXPECT_EQ(tree->LineHeight(), 17);
  EXPECT_EQ(tree->BkColor(), clBtnFace);
  tree->SetBarStyle(false);
  tree->SetHorizontalLines(true);
  EXPECT_EQ(tree->LineHeight(), 16);
  // A height in cell pixels counts 2 for the leading.
  font->SetHeight(20);
  tree->SetShowCheckboxes(true);
  EXPECT_EQ(tree->LineHeight(), 23);

  // A streamed height without the rule stays whatever the font.
  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(41);
  font->SetHeight(-30);
  tree->SetItemIndent(50);
  EXPECT_EQ(tree->LineHeight(), 41);
  tree->SetLineHeight(0);
  EXPECT_EQ(tree->LineHeight(), 51);
  tree->SetAutoLineHeight(true);
  tree->SetLineHeight(41);
  EXPECT_EQ(tree->LineHeight(), 51);
}

}  // namespace
