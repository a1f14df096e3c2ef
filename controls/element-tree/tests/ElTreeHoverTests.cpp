// The pointer over the tree: the frame's merge (growing, shrinking, Ctrl,
// items deleted mid-frame), hot tracking and links without a window, then
// real mouse messages on a shown tree.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"

namespace {

constexpr int kRow = 10;

class TProbeView : public TElTreeView {
 public:
  using TElTreeView::TElTreeView;
  // The state a left press leaves (or its release).
  void Press(int x, int y, bool down = true) {
    FPressX = x;
    FPressY = y;
    FButtonDown = down;
  }
  bool Down() const { return FButtonDown; }
};

// Rows "i0".."i29" of kRow pixels whose main cells are 100 wide, with a log
// of OnHotTrack and a selection handler that deletes Victim once Trigger is
// selected.
class TFrameTree : public TElTree {
 public:
  explicit TFrameTree(TComponent* owner) : TElTree(owner) {}
  TElTreeView* CreateView() override { return new TProbeView(this); }
  void MeasureCell(TElTreeItem*, int, TPoint& size) override { size = TPoint{100, kRow}; }
  void Fill() {
    SetMultiSelect(true);
    SetAutoLineHeight(false);
    SetLineHeight(kRow);
    View()->SetBounds(0, 0, 200, 10 * kRow);
    for (int i = 0; i < 30; ++i) Items()->AddLastChild(nullptr, TElFString(L"i") + std::to_wstring(i));
    Settle();
    OnHotTrack = THotTrackEvent(this, &TFrameTree::HotTrack);
    OnItemSelectedChange = TItemSelChangeEvent(this, &TFrameTree::SelectedChange);
  }
  void Settle() {
    RecountVisibleRows();
    View()->FillVisibleRows(FTopIndex);
  }
  TProbeView* Probe() const { return static_cast<TProbeView*>(View()); }
  TElTreeItem* Item(int i) { return Items()->Item(i); }
  std::string Selection() {
    std::string s;
    for (int i = 0; i < Items()->Count(); ++i)
      if (Item(i)->Selected()) s += (s.empty() ? "" : " ") + Name(Item(i));
    return s;
  }
  static std::string Name(TElTreeItem* item) { return item ? WideToAnsi(item->Text()) : std::string("nil"); }
  void HotTrack(TObject*, TElTreeItem* from, TElTreeItem* to) { log.push_back(Name(from) + ">" + Name(to)); }
  void SelectedChange(TObject*, TElTreeItem* item) {
    if (item == trigger && victim) std::exchange(victim, nullptr)->Delete();
  }
  void Clicked(TObject*) { ++clicks; }
  std::vector<std::string> log;
  int clicks = 0;
  TElTreeItem* trigger = nullptr;
  TElTreeItem* victim = nullptr;
};

class TreeFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree = TObject::Create<TFrameTree>(nullptr);
    tree->Fill();
  }
  void TearDown() override { tree->Free(); }
  TElTreeView* View() { return tree->View(); }
  // A press on the row, then the first move, which starts the frame.
  void Start(int row, TShiftState shift = {}) {
    tree->Probe()->Press(20, row * kRow + 2);
    View()->Hover(26, row * kRow + 2, shift);
    ASSERT_TRUE(View()->FrameSelecting());
  }
  void Move(int row, int x = 30) { View()->Hover(x, row * kRow + 5, TShiftState()); }
  void End() {
    View()->FrameEnd();
    tree->Probe()->Press(0, 0, false);
  }

  TFrameTree* tree = nullptr;
};

TEST_F(TreeFrameTest, EachItemThatEntersOrLeavesTogglesAndCtrlKeepsTheEarlierSelection) {
  tree->Item(2)->SetSelected(true);
  Start(1);
  EXPECT_EQ(tree->Selection(), "");
  Move(5);
  EXPECT_EQ(tree->Selection(), "i1 i2 i3 i4 i5");
  Move(0);  // back past the start corner
  EXPECT_EQ(tree->Selection(), "i0 i1");
  End();
  EXPECT_EQ(View()->FrameItems(), nullptr);

  tree->Item(0)->SetSelected(false);
  tree->Item(4)->SetSelected(true);
  tree->Item(5)->SetEnabled(false);
  TShiftState ctrl;
  ctrl.Include(ssCtrl);
  Start(2, ctrl);
  Move(7);
  EXPECT_EQ(tree->Selection(), "i1 i2 i3 i6 i7");  // i4 left the selection, i5 is disabled
  EXPECT_EQ(View()->FrameItems()->Count(), 6);
  Move(2);
  EXPECT_EQ(tree->Selection(), "i1 i2 i4");
  End();
}

TEST_F(TreeFrameTest, DeletedItemsLeaveTheFrameAndACornerTakesItWith) {
  Start(1);
  Move(6);
  tree->Item(3)->Delete();
  tree->Settle();
  EXPECT_EQ(View()->FrameItems()->Count(), 5);
  Move(4);  // the rows are i0 i1 i2 i4 i5 now
  EXPECT_EQ(tree->Selection(), "i1 i2 i4 i5");
  // A handler deletes an item the same move was about to select.
  tree->trigger = tree->Item(6);  // i7
  tree->victim = tree->Item(8);   // i9
  Move(9);
  EXPECT_EQ(tree->Selection(), "i1 i2 i4 i5 i6 i7 i8 i10");
  EXPECT_EQ(TElTreeInvariants::Check(tree), "");
  // The moving corner's item goes: the frame ends, and no later move
  // starts another.
  View()->FrameEndItem()->Delete();
  tree->Settle();
  EXPECT_FALSE(View()->FrameSelecting());
  EXPECT_EQ(View()->FrameItems(), nullptr);
  EXPECT_FALSE(tree->Probe()->Down());
  Move(2);
  EXPECT_EQ(tree->Selection(), "i1 i2 i4 i5 i6 i7 i8");
}

TEST_F(TreeFrameTest, HotTrackingSkipsDisabledItemsAndPausesDuringAFrame) {
  tree->Item(2)->SetEnabled(false);
  for (int row : {1, 1, 2, 3, 40}) Move(row);
  EXPECT_EQ(tree->log, (std::vector<std::string>{"nil>i1", "i1>nil", "nil>i3", "i3>nil"}));
  tree->SetIgnoreEnabled(true);
  Move(2);
  EXPECT_EQ(View()->HotItem(), tree->Item(2));
  tree->Item(2)->Delete();
  EXPECT_EQ(View()->HotItem(), nullptr);
  Start(1);
  Move(5);
  EXPECT_EQ(View()->HotItem(), nullptr);
  End();
}

TEST_F(TreeFrameTest, ALinkInAnHtmlItemsPaintedTextShowsTheLinkCursor) {
  TElTreeItem* item = tree->Item(1);
  item->SetIsHTML(true);
  item->SetText(L"<html><a href=\"go\">LINKLINK</a> and more plain text");
  TBitmap bitmap;
  bitmap.SetSize(200, 10 * kRow);
  View()->DrawRows(bitmap.Canvas(), 0, View()->VisibleRows());
  TElFString href;
  EXPECT_TRUE(View()->LinkAt(item->TextLeft() + 6, kRow + 5, href));
  EXPECT_EQ(href, L"go");
  EXPECT_FALSE(View()->LinkAt(item->TextRight() - 4, kRow + 5, href));
  Move(1, item->TextLeft() + 6);
  EXPECT_EQ(GetCursor(), Screen->Cursors(tree->LinkCursor()));
}

// ------------------------------------------------------------ with windows

class TreeHoverWindow : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tree = TObject::Create<TFrameTree>(Owner());
    tree->SetUseXPThemes(false);
    tree->SetBounds(0, 0, 200, 100);
    tree->SetParent(Form());
    if (tree->View()->Parent() != tree) tree->View()->SetParent(tree);
    tree->HandleNeeded();
    tree->Fill();
  }
  void TearDown() override {
    ReleaseCapture();
    eltest::ParkMouse();
    WindowTest::TearDown();
  }
  HWND Wnd() { return tree->View()->Handle(); }
  // A posted mouse message, the real cursor at the same place.
  void Post(UINT msg, WPARAM keys, int x, int y) {
    POINT p{x, y};
    ClientToScreen(Wnd(), &p);
    SetCursorPos(p.x, p.y);
    PostMessageA(Wnd(), msg, keys, MAKELPARAM(x, y));
    eltest::Flush();
  }

  TFrameTree* tree = nullptr;
};

TEST_F(TreeHoverWindow, MovesTrackTheHotItemRepaintingItsRowsAndLeavingClearsIt) {
  Post(WM_MOUSEMOVE, 0, 20, 1 * kRow + 4);
  Post(WM_MOUSEMOVE, 0, 20, 4 * kRow + 4);
  EXPECT_EQ(tree->log, (std::vector<std::string>{"nil>i1", "i1>i4"}));
  ValidateRect(Wnd(), nullptr);
  SendMessageA(Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 6 * kRow + 4));
  RECT dirty{};
  GetUpdateRect(Wnd(), &dirty, FALSE);
  EXPECT_EQ((std::vector<LONG>{dirty.left, dirty.top, dirty.right, dirty.bottom}),
            (std::vector<LONG>{0, 4 * kRow, tree->View()->ClientWidth(), 7 * kRow + 1}));
  eltest::ParkMouse();
  EXPECT_TRUE(eltest::PumpUntil([&] { return tree->View()->HotItem() == nullptr; }));
}

TEST_F(TreeHoverWindow, AFrameOutAndBackRestoresTheSelectionAndEndsWithoutAClick) {
  tree->OnClick = TNotifyEvent(tree, &TFrameTree::Clicked);
  tree->Item(3)->SetSelected(true);
  // A Ctrl press right of every cell toggles its row; the frame starts
  // with both corners there.
  Post(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 150, 1 * kRow + 5);
  Post(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, 157, 1 * kRow + 5);
  EXPECT_EQ(GetCapture(), Wnd());
  Post(WM_MOUSEMOVE, MK_LBUTTON, 20, 4 * kRow + 5);
  EXPECT_EQ(tree->Selection(), "i2 i4");
  SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 10 * kRow + 20));
  EXPECT_EQ(tree->TopIndex(), 1);
  EXPECT_EQ(tree->Selection(), "i2 i4");
  // A wheel notch up brings the rows back under the pointer.
  POINT screen{20, 6 * kRow + 5};
  ClientToScreen(Wnd(), &screen);
  SendMessageA(Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(MK_LBUTTON, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(tree->TopIndex(), 0);
  EXPECT_EQ(tree->Selection(), "i2 i4 i5 i6");
  Post(WM_MOUSEMOVE, MK_LBUTTON, 150, 1 * kRow + 5);
  EXPECT_EQ(tree->Selection(), "i1 i3");
  Post(WM_LBUTTONUP, 0, 150, 1 * kRow + 5);
  EXPECT_FALSE(tree->View()->FrameSelecting());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(tree->clicks, 0);
  EXPECT_EQ(tree->Selection(), "i1 i3");
}

TEST_F(TreeHoverWindow, APaintUnderAFrameKeepsItAndTheEndLeavesNoTrace) {
  // Right of every cell the frame selects nothing: only it changes pixels.
  auto edge = [&] {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(Wnd());
    for (int x = 150; x < 175; ++x) pixels.push_back(GetPixel(dc, x, 1 * kRow + 5));
    ReleaseDC(Wnd(), dc);
    return pixels;
  };
  eltest::Flush();
  UpdateWindow(Wnd());
  const std::vector<COLORREF> clean = edge();
  tree->Probe()->Press(150, 1 * kRow + 5);
  SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(157, 1 * kRow + 5));
  SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(175, 5 * kRow + 5));
  const std::vector<COLORREF> framed = edge();
  EXPECT_NE(framed, clean);
  InvalidateRect(Wnd(), nullptr, TRUE);
  UpdateWindow(Wnd());
  EXPECT_EQ(edge(), framed);
  // A corner item deleted ends the frame: erased, the mouse freed.
  tree->View()->FrameEndItem()->Delete();
  EXPECT_EQ(edge(), clean);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
