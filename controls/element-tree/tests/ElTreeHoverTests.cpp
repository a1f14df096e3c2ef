// The pointer over the tree: frame selection (the merge of what entered and
// left, Ctrl keeping the earlier selection, items deleted mid-frame) and hot
// tracking, first without a window, then through real mouse messages.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"

namespace {

constexpr int kRow = 10;

// A view whose press state the tests set, as a press leaves it.
class TProbeView : public TElTreeView {
 public:
  explicit TProbeView(TCustomElTree* tree) : TElTreeView(tree) {}
  void Press(int x, int y) {
    FPressX = x;
    FPressY = y;
    FButtonDown = true;
  }
  void Release() { FButtonDown = false; }
  TTimer* HintTimer() const { return FHintTimer; }
  bool ButtonDown() const { return FButtonDown; }
};

// Rows of kRow pixels; an item's main cell is as wide as its entry in
// widths (100 by default).
class TFrameTree : public TElTree {
 public:
  explicit TFrameTree(TComponent* owner) : TElTree(owner) {}
  TElTreeView* CreateView() override { return new TProbeView(this); }
  TProbeView* Probe() const { return static_cast<TProbeView*>(View()); }
  void MeasureCell(TElTreeItem* item, int, TPoint& size) override {
    const int index = item->AbsoluteIndex();
    size = TPoint{index >= 0 && index < static_cast<int>(widths.size()) ? widths[index] : 100, kRow};
  }
  void Settle() {
    RecountVisibleRows();
    View()->FillVisibleRows(FTopIndex);
  }
  std::vector<int> widths;
};

class TEvents : public TObject {
 public:
  void HotTrack(TObject*, TElTreeItem* oldItem, TElTreeItem* newItem) {
    log.push_back(Name(oldItem) + ">" + Name(newItem));
  }
  void AfterSelection(TObject*) { ++afterSelection; }
  void Click(TObject*) { ++clicks; }
  // Deletes a chosen item once a trigger item is selected.
  void SelectedChange(TObject*, TElTreeItem* item) {
    if (item == trigger && victim) {
      TElTreeItem* doomed = victim;
      victim = nullptr;
      doomed->Delete();
    }
  }
  static std::string Name(TElTreeItem* item) { return item ? WideToAnsi(item->Text()) : std::string("nil"); }
  std::vector<std::string> log;
  int afterSelection = 0;
  int clicks = 0;
  TElTreeItem* trigger = nullptr;
  TElTreeItem* victim = nullptr;
};

std::string Selection(TCustomElTree* tree) {
  std::set<std::string> names;
  for (int i = 0; i < tree->SelectedItems()->Count(); ++i)
    names.insert(TEvents::Name(static_cast<TElTreeItem*>(tree->SelectedItems()->FastGet(i))));
  std::string s;
  for (const std::string& name : names) s += (s.empty() ? "" : " ") + name;
  return s;
}

std::string FrameList(TElTreeView* view) {
  if (!view->FrameItems()) return "none";
  std::string s;
  for (int i = 0; i < view->FrameItems()->Count(); ++i)
    s += (s.empty() ? "" : " ") + TEvents::Name(static_cast<TElTreeItem*>(view->FrameItems()->FastGet(i)));
  return s;
}

class TreeFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree = TObject::Create<TFrameTree>(nullptr);
    tree->SetMultiSelect(true);
    tree->SetAutoLineHeight(false);
    tree->SetLineHeight(kRow);
    tree->View()->SetBounds(0, 0, 200, 10 * kRow);
    for (int i = 0; i < 30; ++i) tree->Items()->AddLastChild(nullptr, TElFString(L"i") + std::to_wstring(i));
    tree->Settle();
    tree->OnHotTrack = THotTrackEvent(&events, &TEvents::HotTrack);
    tree->OnAfterSelectionChange = TNotifyEvent(&events, &TEvents::AfterSelection);
    tree->OnItemSelectedChange = TItemSelChangeEvent(&events, &TEvents::SelectedChange);
  }
  void TearDown() override { tree->Free(); }
  TElTreeItem* Item(int i) { return tree->Items()->Item(i); }
  TElTreeView* View() { return tree->View(); }
  // The press, then a first move that starts the frame.
  void StartFrame(int x, int row, TShiftState shift = {}) {
    tree->Probe()->Press(x, row * kRow + 2);
    View()->Hover(x + 6, row * kRow + 2, shift);
    ASSERT_TRUE(View()->FrameSelecting());
  }
  void MoveTo(int x, int row) { View()->Hover(x, row * kRow + 5, TShiftState()); }
  // The release's part of a frame.
  void EndFrame() {
    View()->FrameEnd();
    tree->Probe()->Release();
  }

  TFrameTree* tree = nullptr;
  TEvents events;
};

TEST_F(TreeFrameTest, FrameGrowsAndShrinksAndCtrlTogglesAgainstTheEarlierSelection) {
  Item(2)->SetSelected(true);
  Item(9)->SetSelected(true);
  StartFrame(20, 1);
  // Without Ctrl the frame starts from an empty selection.
  EXPECT_EQ(Selection(tree), "");
  EXPECT_EQ(FrameList(View()), "");
  MoveTo(30, 5);
  EXPECT_EQ(Selection(tree), "i1 i2 i3 i4 i5");
  EXPECT_EQ(FrameList(View()), "i1 i2 i3 i4 i5");
  MoveTo(30, 3);
  EXPECT_EQ(Selection(tree), "i1 i2 i3");
  // Upwards past the start: the range is ordered.
  MoveTo(30, 0);
  EXPECT_EQ(Selection(tree), "i0 i1");
  EndFrame();
  EXPECT_FALSE(View()->FrameSelecting());
  EXPECT_EQ(View()->FrameItems(), nullptr);

  // With Ctrl each item that enters or leaves toggles: out and back
  // restores what was selected before.
  Item(0)->SetSelected(false);
  Item(4)->SetSelected(true);
  Item(5)->SetEnabled(false);
  const std::string before = Selection(tree);
  EXPECT_EQ(before, "i1 i4");
  TShiftState ctrl;
  ctrl.Include(ssCtrl);
  StartFrame(20, 2, ctrl);
  EXPECT_EQ(Selection(tree), before);
  MoveTo(30, 7);
  // i5 is disabled: in the frame, never toggled.
  EXPECT_EQ(Selection(tree), "i1 i2 i3 i6 i7");
  EXPECT_EQ(FrameList(View()), "i2 i3 i4 i5 i6 i7");
  MoveTo(30, 2);
  EXPECT_EQ(Selection(tree), "i1 i2 i4");
  EndFrame();
}

TEST_F(TreeFrameTest, OnlyItemsWiderThanTheFramesLeftEdgeAreTaken) {
  tree->widths = std::vector<int>(30, 100);
  tree->widths[3] = 40;
  tree->widths[4] = 61;
  StartFrame(60, 1);
  MoveTo(150, 5);
  EXPECT_EQ(Selection(tree), "i1 i2 i4 i5");
  // The left edge moves left of the narrow item: it enters.
  MoveTo(30, 5);
  EXPECT_EQ(Selection(tree), "i1 i2 i3 i4 i5");
  EndFrame();
}

TEST_F(TreeFrameTest, BelowTheViewScrollsAndTheFrameKeepsItsCorner) {
  StartFrame(20, 1);
  MoveTo(30, 9);
  EXPECT_EQ(tree->TopIndex(), 0);
  const int changes = events.afterSelection;
  View()->Hover(30, 10 * kRow + 4, TShiftState());
  EXPECT_EQ(tree->TopIndex(), 1);
  View()->Hover(30, 10 * kRow + 4, TShiftState());
  EXPECT_EQ(tree->TopIndex(), 2);
  // Scrolling alone selects nothing new.
  EXPECT_EQ(events.afterSelection, changes);
  EXPECT_EQ(Selection(tree), "i1 i2 i3 i4 i5 i6 i7 i8 i9");
  // The start corner scrolled off the top: the frame reaches past the edge.
  EXPECT_EQ(View()->FrameBounds().top, -1);
  MoveTo(30, 9);  // row 9 of the view is item 11 now
  EXPECT_EQ(Selection(tree), "i1 i10 i11 i2 i3 i4 i5 i6 i7 i8 i9");
  // A wheel notch back scrolls the rows under the pointer: the corner
  // follows the row there (item 11 - 3 lines).
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  ASSERT_EQ(lines, 3u);
  View()->Perform(WM_MOUSEWHEEL, MAKEWPARAM(MK_LBUTTON, WHEEL_DELTA), MAKELPARAM(30, 9 * kRow + 5));
  EXPECT_EQ(tree->TopIndex(), 0);
  EXPECT_EQ(Selection(tree), "i1 i2 i3 i4 i5 i6 i7 i8 i9");
  EndFrame();
}

TEST_F(TreeFrameTest, DeletedItemsLeaveTheFrameAndACornerTakesItWith) {
  StartFrame(20, 1);
  MoveTo(30, 6);
  // An item inside goes: the frame's list drops it and the next move's
  // merge still sees the rest.
  Item(3)->Delete();
  tree->Settle();
  EXPECT_EQ(FrameList(View()), "i1 i2 i4 i5 i6");
  MoveTo(30, 4);  // rows now: i0 i1 i2 i4 i5 ...
  EXPECT_EQ(Selection(tree), "i1 i2 i4 i5");

  // A handler deletes an item the same move is about to select.
  events.trigger = Item(6);  // i7
  events.victim = Item(8);   // i9
  MoveTo(30, 9);
  EXPECT_EQ(events.victim, nullptr);
  EXPECT_EQ(Selection(tree), "i1 i10 i2 i4 i5 i6 i7 i8");
  EXPECT_EQ(TElTreeInvariants::Check(tree), "");

  // The moving corner's item goes: the frame ends and no move restarts it.
  TElTreeItem* corner = View()->FrameEndItem();
  ASSERT_NE(corner, nullptr);
  corner->Delete();
  tree->Settle();
  EXPECT_FALSE(View()->FrameSelecting());
  EXPECT_EQ(View()->FrameItems(), nullptr);
  EXPECT_FALSE(tree->Probe()->ButtonDown());
  const std::string kept = Selection(tree);
  MoveTo(30, 2);
  EXPECT_FALSE(View()->FrameSelecting());
  EXPECT_EQ(Selection(tree), kept);
}

TEST_F(TreeFrameTest, HotTrackingFollowsTheRowsAndSkipsDisabledItems) {
  Item(2)->SetEnabled(false);
  View()->Hover(5, 1 * kRow + 3, TShiftState());
  View()->Hover(50, 1 * kRow + 8, TShiftState());
  View()->Hover(5, 2 * kRow + 3, TShiftState());
  View()->Hover(5, 3 * kRow + 3, TShiftState());
  View()->Hover(5, 40 * kRow, TShiftState());
  EXPECT_EQ(events.log, (std::vector<std::string>{"nil>i1", "i1>nil", "nil>i3", "i3>nil"}));
  tree->SetIgnoreEnabled(true);
  View()->Hover(5, 2 * kRow + 3, TShiftState());
  EXPECT_EQ(View()->HotItem(), Item(2));
  // The hot item deleted is forgotten; leaving clears the hot item quietly.
  Item(2)->Delete();
  EXPECT_EQ(View()->HotItem(), nullptr);
  View()->Hover(5, 4 * kRow + 3, TShiftState());
  EXPECT_EQ(View()->HotItem(), Item(4));
  events.log.clear();
  View()->MouseLeft();
  EXPECT_EQ(View()->HotItem(), nullptr);
  EXPECT_TRUE(events.log.empty());
  // A running frame tracks nothing; without Tracking nothing is hot.
  StartFrame(20, 1);
  MoveTo(30, 5);
  EXPECT_EQ(View()->HotItem(), nullptr);
  EndFrame();
  tree->SetTracking(false);
  View()->Hover(5, 6 * kRow + 3, TShiftState());
  EXPECT_TRUE(events.log.empty());

  // A move arms the line hint after the short hint pause (a second
  // without one); none is armed under shmNone.
  const int pause = Application->HintShortPause();
  Application->SetHintShortPause(0);
  View()->Hover(7, 6 * kRow + 3, TShiftState());
  ASSERT_NE(tree->Probe()->HintTimer(), nullptr);
  EXPECT_TRUE(tree->Probe()->HintTimer()->Enabled());
  EXPECT_EQ(tree->Probe()->HintTimer()->Interval(), 1000u);
  Application->SetHintShortPause(pause);
  View()->HideLineHint();
  tree->SetLineHintMode(shmNone);
  View()->Hover(9, 6 * kRow + 3, TShiftState());
  EXPECT_EQ(tree->Probe()->HintTimer(), nullptr);

  // Without ShowHint the view's hint follows the item under the pointer,
  // else the tree's own.
  tree->Probe()->Release();
  tree->SetHint("tree");
  Item(7)->SetHint(L"seven");
  View()->Hover(5, 7 * kRow + 3, TShiftState());
  EXPECT_EQ(View()->Hint(), "seven");
  View()->Hover(5, 8 * kRow + 3, TShiftState());
  EXPECT_EQ(View()->Hint(), "tree");
}

TEST_F(TreeFrameTest, ALinkOfAnHtmlItemShowsTheLinkCursor) {
  TElTreeItem* item = Item(1);
  item->SetIsHTML(true);
  item->SetText(L"<html><a href=\"go\">LINKLINK</a> and more plain text");
  tree->Settle();
  TBitmap bitmap;
  bitmap.SetSize(200, 10 * kRow);
  View()->DrawRows(bitmap.Canvas(), 0, View()->VisibleRows());
  ASSERT_GT(item->TextRight() - item->TextLeft(), 60);
  TElFString href;
  EXPECT_TRUE(View()->LinkAt(item->TextLeft() + 6, kRow + 5, href));
  EXPECT_EQ(href, L"go");
  EXPECT_FALSE(View()->LinkAt(item->TextRight() - 4, kRow + 5, href));
  EXPECT_FALSE(View()->LinkAt(item->TextLeft() + 6, 2 * kRow + 5, href));
  View()->Hover(item->TextLeft() + 6, kRow + 5, TShiftState());
  EXPECT_EQ(GetCursor(), Screen->Cursors(tree->LinkCursor()));
}

// A cell control that logs the mouse it is given.
class TMoveControl : public TElCellControl {
 public:
  void TriggerMouseDown(TMouseButton, TShiftState, int x, int y) override { Put("down", x, y); }
  void TriggerMouseUp(TMouseButton, TShiftState, int x, int y) override { Put("up", x, y); }
  void TriggerMouseMove(TShiftState, int x, int y) override { Put("move", x, y); }
  void TriggerDblClick() override {}
  bool PassClicks() override { return true; }
  void Activate() override {}
  void Paint(TCanvas*, const TRect&) override {}
  void Put(const char* what, int x, int y) { log += std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) + "; "; }
  std::string log;
};

TEST_F(TreeFrameTest, ACellControlTakesTheMovesOverItsCellAndHearsTheLeave) {
  for (int width : {120, 60}) tree->Header()->Sections()->AddSection()->SetWidth(width);
  tree->SetShowColumns(true);
  auto* control = new TMoveControl;
  Item(2)->SetUseStyles(true);
  TElCellStyle* style = Item(2)->AddStyle();
  style->SetUseTreeLook(false);
  style->SetControl(control);
  int moves = 0;
  struct TMoves : TObject {
    int* count;
    void Moved(TObject*, TShiftState, int, int) { ++*count; }
  } counter;
  counter.count = &moves;
  tree->OnMouseMove = TMouseMoveEvent(&counter, &TMoves::Moved);
  View()->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(130, 2 * kRow + 3));
  View()->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(50, 2 * kRow + 3));
  EXPECT_EQ(control->log, "move 10,3; ");
  EXPECT_EQ(moves, 1);
  // Both moves were hovers: the row is hot.
  EXPECT_EQ(View()->HotItem(), Item(2));
  control->log.clear();
  View()->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(135, 2 * kRow + 4));
  View()->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(control->log, "down 15,4; up -1,-1; ");
  EXPECT_EQ(View()->HotItem(), nullptr);
}

// ------------------------------------------------------------ with windows

class TreeHoverWindow : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tree = TObject::Create<TFrameTree>(Owner());
    tree->SetUseXPThemes(false);
    tree->SetMultiSelect(true);
    tree->SetAutoLineHeight(false);
    tree->SetLineHeight(kRow);
    tree->SetBounds(0, 0, 200, 100);
    tree->SetParent(Form());
    if (tree->View()->Parent() != tree) tree->View()->SetParent(tree);
    tree->View()->SetBounds(0, 0, 200, 10 * kRow);
    tree->HandleNeeded();
    for (int i = 0; i < 30; ++i) tree->Items()->AddLastChild(nullptr, TElFString(L"i") + std::to_wstring(i));
    tree->Settle();
    tree->OnHotTrack = THotTrackEvent(&events, &TEvents::HotTrack);
  }
  void TearDown() override {
    ReleaseCapture();
    eltest::ParkMouse();
    WindowTest::TearDown();
  }
  HWND ViewWnd() { return tree->View()->Handle(); }
  // A posted mouse message, the real cursor at the same place.
  void Post(UINT msg, WPARAM keys, int x, int y) {
    POINT p{x, y};
    ClientToScreen(ViewWnd(), &p);
    SetCursorPos(p.x, p.y);
    PostMessageA(ViewWnd(), msg, keys, MAKELPARAM(x, y));
    eltest::Flush();
  }
  void PointAt(int x, int y) {
    POINT p{x, y};
    ClientToScreen(ViewWnd(), &p);
    SetCursorPos(p.x, p.y);
    SendMessageA(ViewWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    eltest::Flush();
  }

  TFrameTree* tree = nullptr;
  TEvents events;
};

TEST_F(TreeHoverWindow, MouseMovesTrackTheHotItemAndLeavingClearsIt) {
  PointAt(20, 1 * kRow + 4);
  PointAt(20, 4 * kRow + 4);
  EXPECT_EQ(tree->View()->HotItem(), tree->Items()->Item(4));
  EXPECT_EQ(events.log, (std::vector<std::string>{"nil>i1", "i1>i4"}));
  // Only the two rows whose look changed repaint, each with the pixel
  // below it.
  ValidateRect(ViewWnd(), nullptr);
  SendMessageA(ViewWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 6 * kRow + 4));
  RECT dirty{};
  GetUpdateRect(ViewWnd(), &dirty, FALSE);
  EXPECT_EQ(dirty.top, 4 * kRow);
  EXPECT_EQ(dirty.bottom, 7 * kRow + 1);
  EXPECT_EQ(dirty.right, tree->View()->ClientWidth());
  eltest::ParkMouse();
  EXPECT_TRUE(eltest::PumpUntil([&] { return tree->View()->HotItem() == nullptr; }));
}

TEST_F(TreeHoverWindow, AFrameOutAndBackRestoresTheSelectionAndTheReleaseFreesTheMouse) {
  tree->OnClick = TNotifyEvent(&events, &TEvents::Click);
  tree->Items()->Item(3)->SetSelected(true);
  tree->Items()->Item(4)->SetSelected(true);
  // A Ctrl press right of every item's cell (they are 100 wide).
  Post(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 150, 1 * kRow + 5);
  const std::string before = Selection(tree);
  EXPECT_EQ(before, "i1 i3 i4");
  Post(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, 157, 1 * kRow + 5);
  ASSERT_TRUE(tree->View()->FrameSelecting());
  EXPECT_EQ(GetCapture(), ViewWnd());
  Post(WM_MOUSEMOVE, MK_LBUTTON, 20, 5 * kRow + 5);
  EXPECT_EQ(Selection(tree), "i2 i5");
  // Below the view: one row down, the selection as it was.
  SendMessageA(ViewWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 10 * kRow + 20));
  EXPECT_EQ(tree->TopIndex(), 1);
  EXPECT_EQ(Selection(tree), "i2 i5");
  // Back to the press's row and x: the frame covers no cell.
  Post(WM_MOUSEMOVE, MK_LBUTTON, 150, 0 * kRow + 5);
  EXPECT_EQ(Selection(tree), before);
  Post(WM_LBUTTONUP, 0, 150, 5);
  EXPECT_FALSE(tree->View()->FrameSelecting());
  EXPECT_EQ(tree->View()->FrameItems(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(events.clicks, 0);
  EXPECT_EQ(Selection(tree), before);

  // A frame whose corner item is deleted ends and frees the mouse too.
  Post(WM_LBUTTONDOWN, MK_LBUTTON, 20, 2 * kRow + 5);
  Post(WM_MOUSEMOVE, MK_LBUTTON, 20, 4 * kRow + 5);
  ASSERT_TRUE(tree->View()->FrameSelecting());
  tree->View()->FrameEndItem()->Delete();
  EXPECT_FALSE(tree->View()->FrameSelecting());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TreeHoverWindow, APaintUnderARunningFrameKeepsItAndItsEndLeavesNoTrace) {
  // The frame lies right of every cell (100 wide): it selects nothing, so
  // only the frame itself changes pixels.
  auto edge = [&] {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(ViewWnd());
    for (int x = 150; x < 175; ++x) pixels.push_back(GetPixel(dc, x, 1 * kRow + 5));
    ReleaseDC(ViewWnd(), dc);
    return pixels;
  };
  eltest::Flush();
  UpdateWindow(ViewWnd());
  const std::vector<COLORREF> clean = edge();
  tree->Probe()->Press(150, 1 * kRow + 5);
  SendMessageA(ViewWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(157, 1 * kRow + 5));
  SendMessageA(ViewWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(175, 5 * kRow + 5));
  ASSERT_TRUE(tree->View()->FrameSelecting());
  const std::vector<COLORREF> framed = edge();
  EXPECT_NE(framed, clean);
  InvalidateRect(ViewWnd(), nullptr, TRUE);
  UpdateWindow(ViewWnd());
  EXPECT_EQ(edge(), framed);
  tree->View()->FrameEnd();
  EXPECT_EQ(edge(), clean);
}

}  // namespace
