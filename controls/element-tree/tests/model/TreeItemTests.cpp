// The frame's update counter, the plain focus move, HTML texts measured
// through the renderer's measuring interface, and the cell style with the
// control it carries.
#include "TreeModelSupport.hpp"

namespace {

// ---------------------------------------------------------------- updates

class SortRecorder : public TObject {
 public:
  void Begin(TObject* sender) {
    ++begins;
    // A bracket opened from inside the end-of-update work is ignored.
    if (openUpdate) static_cast<TCustomElTree*>(sender)->SetUpdating(true);
    depthSeen = static_cast<TCustomElTree*>(sender)->UpdateCount();
  }
  bool openUpdate = false;
  int begins = 0;
  int depthSeen = -1;
};

TEST_F(TreeModelTest, NestedUpdatesDeferTheRecountAndTheResortToTheLastEnd) {
  SortRecorder sorts;
  sorts.openUpdate = true;
  tree->OnSortBegin = TNotifyEvent(&sorts, &SortRecorder::Begin);
  tree->SetSortMode(smAdd);
  tree->SetUpdating(true);
  items->BeginUpdate();
  BuildShape(items, nullptr, "a(b c) d");
  EXPECT_EQ(tree->VisibleCount(), 2) << "added rows are counted as they come";
  N("a")->Expand(false);
  N("b")->SetText(L"bb");
  items->EndUpdate();
  EXPECT_EQ(tree->VisibleCount(), 2) << "an expansion is counted at the last end";
  EXPECT_EQ(sorts.begins, 0);
  EXPECT_TRUE(tree->ResortPending());
  tree->SetUpdating(false);
  EXPECT_EQ(tree->VisibleCount(), 4);
  EXPECT_EQ(sorts.begins, 1);
  EXPECT_EQ(sorts.depthSeen, 0);
  EXPECT_FALSE(tree->ResortPending());
  // An end without a beginning leaves the counter at zero.
  tree->SetUpdating(false);
  EXPECT_EQ(tree->UpdateCount(), 0);
  tree->SetUpdating(true);
  EXPECT_EQ(tree->UpdateCount(), 1);
  tree->SetUpdating(false);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, OutsideAnUpdateATextChangeUnderTheAddingModesSortsTheSiblingsAtOnce) {
  SortRecorder sorts;
  tree->OnSortBegin = TNotifyEvent(&sorts, &SortRecorder::Begin);
  BuildShape(items, nullptr, "a b");
  tree->SetSortMode(smAdd);
  N("a")->SetText(L"z");
  EXPECT_EQ(sorts.begins, 1);
  EXPECT_EQ(sorts.depthSeen, 1) << "inside the text change's own bracket";
  EXPECT_FALSE(tree->ResortPending());
  tree->SetSortSection(3);
  N("z")->SetText(L"y");
  EXPECT_EQ(sorts.begins, 1) << "another column is sorted";
}

// ---------------------------------------------------------------- focus

TEST_F(TreeModelTest, AFocusMoveIsRefusedByOnChangingUnlessForced) {
  BuildShape(items, nullptr, "a b");
  EXPECT_TRUE(tree->SetFocusedItem(N("a")));
  log.lines.clear();
  EXPECT_FALSE(tree->SetFocusedItem(N("a"))) << "already focused";
  EXPECT_EQ(log.Joined(), "");
  log.allowFocusChange = false;
  EXPECT_FALSE(tree->SetFocusedItemEx(N("b"), false, false));
  EXPECT_EQ(tree->GetFocusedItem(), N("a"));
  // A refusal under multiple selection selects the focused item again.
  EXPECT_EQ(log.Joined(), "changing b; selected a on");
  EXPECT_TRUE(tree->SetFocusedItemEx(N("b"), true, false));
  EXPECT_TRUE(N("b")->Focused());
  EXPECT_FALSE(N("a")->Focused());
  EXPECT_TRUE(N("b")->DerivedState().Contains(stsFocused));
  N("b")->SetFocused(false);
  EXPECT_EQ(tree->GetFocusedItem(), N("b")) << "refused again";
  log.allowFocusChange = true;
  N("b")->SetFocused(false);
  EXPECT_EQ(tree->GetFocusedItem(), nullptr);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, WithoutMultiSelectTheAnchorIsTheFocus) {
  BuildShape(items, nullptr, "a b");
  tree->SetMultiSelectRaw(false);
  tree->SetSelectionAnchor(N("b"));
  EXPECT_EQ(tree->GetFocusedItem(), N("b"));
  EXPECT_EQ(tree->SelectedCount(), 1);
  N("a")->SetSelected(true);
  EXPECT_FALSE(N("a")->Selected()) << "selection is the view's in single mode";
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, ExpandingAllParentsOpensEveryAncestor) {
  BuildShape(items, nullptr, "a(b(c(d)))");
  N("d")->ExpandAllParents(true);
  EXPECT_EQ(Shape(true), "a+(b+(c+(d)))");
  EXPECT_EQ(tree->VisibleCount(), 4);
  EXPECT_TRUE(N("d")->FullyExpanded());
}

// ---------------------------------------------------------------- HTML

// Every character `width` pixels wide, lines 13 pixels high.
class FixedMeasurer : public TElHTMLMeasurer {
 public:
  explicit FixedMeasurer(int width) : width_(width) {}
  int TextWidth(const TElHTMLFont&, const TElFString& text) override { return width_ * static_cast<int>(text.size()); }
  TElHTMLFontMetrics Metrics(const TElHTMLFont&) override { return {13, 3, width_, width_}; }
  int PixelsPerInch() override { return 96; }

 private:
  int width_;
};

TEST_F(TreeModelTest, HTMLTextsArePreparedThroughTheRenderersMeasurer) {
  FixedMeasurer measurer(7), wide(10);
  TElHTMLRender* render = tree->View()->Render();
  render->SetMeasurer(&measurer);
  // The width the renderer itself gives a text in the tree's font.
  auto reference = [&](const TElFString& text) {
    TElHTMLData* data = render->CreateData();
    data->DefaultFont = tree->Font()->Name();
    data->DefaultHeight = tree->Font()->Height();
    render->PrepareToData(text, 0, data, false);
    const int width = data->TextWidth;
    render->DestroyData(data);
    return width;
  };
  TElTreeItem* item = items->AddLastChild(nullptr, L"<html><b>bold</b> text");
  item->ColumnText()->Add(L"plain");
  item->ColumnText()->Add(L"<html>x<br>y");
  item->ColumnText()->Add(L"<HTML>not html");
  item->SetIsHTML(true);
  ASSERT_NE(item->HTMLData(), nullptr);
  EXPECT_EQ(item->HTMLData()->TextWidth, reference(L"<html><b>bold</b> text"));
  EXPECT_GE(item->HTMLData()->TextWidth, 7 * 9);
  EXPECT_EQ(item->ColumnHTMLData(0), nullptr);
  ASSERT_NE(item->ColumnHTMLData(1), nullptr);
  EXPECT_EQ(item->ColumnHTMLData(1)->TextHeight, 26);
  EXPECT_EQ(item->ColumnHTMLData(2), nullptr) << "the prefix is case-sensitive";
  item->SetText(L"<html>ab");
  const int narrow = item->HTMLData()->TextWidth;
  EXPECT_EQ(narrow, reference(L"<html>ab"));
  render->SetMeasurer(&wide);
  item->SetText(L"<html>ab");
  EXPECT_EQ(item->HTMLData()->TextWidth - narrow, 2 * 3) << "measured by the measurer in use";
  render->SetMeasurer(&measurer);
  item->SetText(L"no markup");
  EXPECT_EQ(item->HTMLData(), nullptr);
  item->ColumnText()->SetStrings(0, L"<html>now");
  EXPECT_NE(item->ColumnHTMLData(0), nullptr);
  item->SetIsHTML(false);
  EXPECT_EQ(item->ColumnHTMLData(1), nullptr);
  EXPECT_EQ(tree->MultiLineCount(), 0);
  tree->View()->Render()->SetMeasurer(nullptr);
}

// ---------------------------------------------------------------- cell styles

class CountedControl : public TElCellControl {
 public:
  explicit CountedControl(int* freed) : freed_(freed) {}
  ~CountedControl() override { ++*freed_; }
  void TriggerMouseDown(TMouseButton, TShiftState, int, int) override {}
  void TriggerMouseUp(TMouseButton, TShiftState, int, int) override {}
  void TriggerMouseMove(TShiftState, int, int) override {}
  void TriggerDblClick() override {}
  bool PassClicks() override { return true; }
  void Activate() override {}
  void Paint(TCanvas*, const TRect&) override {}

 private:
  int* freed_;
};

TEST_F(TreeModelTest, ACellStyleStartsPlainCopiesItsLookAndOwnsItsControl) {
  TElTreeItem* item = items->AddLastChild(nullptr, L"s");
  TElCellStyle* main = item->MainStyle();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->UseTreeLook());
  EXPECT_EQ(main->FontName(), tree->Font()->Name());
  TElCellStyle fresh(item);
  EXPECT_EQ(fresh.TextFlags(), 0x8824);
  EXPECT_EQ(fresh.CellType(), sftText);
  EXPECT_FALSE(fresh.UseTreeLook());

  main->SetTextColor(0x0000FF);
  main->SetFontStyles(TFontStyles{fsItalic});
  main->SetStyleValue(9);
  int freed = 0;
  main->SetControl(new CountedControl(&freed));
  TElCellStyle* extra = item->AddStyle();
  EXPECT_EQ(extra->TextColor(), 0x0000FF) << "a new style copies the main one";
  EXPECT_EQ(extra->StyleValue(), 0);
  EXPECT_EQ(extra->Control(), nullptr);
  EXPECT_EQ(extra->Owner(), item);

  main->SetControl(new CountedControl(&freed));
  EXPECT_EQ(freed, 1) << "the old control goes";
  EXPECT_EQ(main->Control()->Owner(), main);
  // A control freed by its user leaves its cell empty.
  main->Control()->Free();
  EXPECT_EQ(freed, 2);
  EXPECT_EQ(main->Control(), nullptr);
  main->SetControl(new CountedControl(&freed));
  item->Delete();
  EXPECT_EQ(freed, 3) << "the item's styles take their controls along";

  // The shared style of virtual mode only lends the application's controls.
  tree->SetVirtualRaw(vlTextAndStyles);
  TElTreeItem* virtualItem = items->AddItem(nullptr);
  EXPECT_EQ(virtualItem->MainStyle(), nullptr);
  EXPECT_EQ(virtualItem->AddStyle(), nullptr);
  TElCellStyle lent(virtualItem);
  CountedControl app(&freed);
  lent.SetControl(&app);
  lent.SetControl(nullptr);
  EXPECT_EQ(freed, 3);
}

}  // namespace
