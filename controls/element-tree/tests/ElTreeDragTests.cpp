// Drag and drop in a shown tree: a drag of the selection driven by posted
// messages to the drag's capture window, the scroll and expand timers fired
// by hand with the cursor placed, and the OLE source and target paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElOleTestSupport.hpp"
#include "ElTree.hpp"
#include "ElTreeUnit.hpp"
#include "ExtCtrls.hpp"

namespace {

// The view's press state within reach.
class TDragView : public TElTreeView {
 public:
  using TElTreeView::TElTreeView;
  using TElTreeView::FButtonDown;
  using TElTreeView::FPendingSelect;
};

class TDragTree : public TElTree {
 public:
  explicit TDragTree(TComponent* owner) : TElTree(owner) {}
  TDragView* View() const { return static_cast<TDragView*>(TElTree::View()); }
  using TCustomElTree::FTopIndex;
  using TCustomElTree::GetDragImages;

 protected:
  TElTreeView* CreateView() override { return new TDragView(this); }
};

class TreeDrag : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tree = TObject::Create<TDragTree>(Owner());
    tree->SetName("Tree");
    tree->SetUseXPThemes(false);
    tree->SetBounds(0, 0, 150, 120);
    tree->SetParent(Form());
    tree->SetDragAllowed(true);
    tree->SetDragImageMode(dimAll);
    tree->SetDragTrgDrawMode(ColorRect);
    {
      TElTreeUpdateScope scope(tree);
      for (int i = 0; i < 30; ++i) tree->Items()->AddLastChild(nullptr, L"item " + std::to_wstring(i));
    }
    tree->HandleNeeded();
    tree->OnDragOver = TDragOverEvent(this, &TreeDrag::Over);
    tree->OnDragDrop = TDragDropEvent(this, &TreeDrag::Dropped);
    tree->OnEndDrag = TEndDragEvent(this, &TreeDrag::Ended);
    UpdateWindow(tree->Handle());
    eltest::Flush();
    view = tree->View();
  }
  void TearDown() override {
    CancelDrag();
    eltest::ParkMouse();
    WindowTest::TearDown();
  }
  TElTreeItem* Item(int i) const { return tree->Items()->Item(i); }
  // The middle of a shown row in the view, and the same point in the tree.
  POINT Row(int row) const { return POINT{30, row * Item(0)->Height() + Item(0)->Height() / 2}; }
  std::string InTree(POINT p) const {
    return std::to_string(p.x + view->Left()) + "," + std::to_string(p.y + view->Top());
  }

  void Over(TObject*, TObject* source, int x, int y, TDragState state, bool& accept) {
    // A move repeated at the same point (the system's own after the cursor
    // was placed) says nothing new.
    const std::string line = "over " + std::to_string(x) + "," + std::to_string(y) + (source == tree ? " from tree" : "");
    if (state == dsDragMove && (log.empty() || log.back() != line)) log.push_back(line);
    accept = acceptDrop;
  }
  void Dropped(TObject*, TObject* source, int, int y) {
    const TElFString text = tree->GetItemAtY(y) ? tree->GetItemAtY(y)->GetText() : L"nothing";
    log.push_back("drop on " + std::string(text.begin(), text.end()) + (source == tree ? " from tree" : ""));
  }
  void Ended(TObject*, TObject* target, int, int) { log.push_back(target == tree ? "end on tree" : "end"); }

  // A press, or a move with the left button held, over the view.
  void Mouse(UINT msg, int x, int y) {
    PostMessageA(view->Handle(), msg, MK_LBUTTON, MAKELPARAM(x, y));
    eltest::Flush();
  }
  // The cursor is parked first (and its move handled): placed later, it
  // would move the pressed mouse.
  void Press(POINT p) {
    eltest::ParkMouse();
    eltest::Flush();
    Mouse(WM_LBUTTONDOWN, p.x, p.y);
  }
  void Move(int x, int y) { Mouse(WM_MOUSEMOVE, x, y); }
  // Presses on a row (when asked) and moves past the 5-pixel threshold.
  void StartDragAt(int row, bool press = true) {
    if (press) Press(Row(row));
    Move(Row(row).x + 3, Row(row).y + 3);
    ASSERT_FALSE(view->Dragging()) << "4.2 pixels is not yet a drag";
    Move(Row(row).x + 4, Row(row).y + 3);
    ASSERT_TRUE(view->Dragging());
  }
  // The mouse as the drag's capture window sees it, the cursor placed there.
  void DragTo(POINT client, UINT msg = WM_MOUSEMOVE) {
    POINT screen = view->ClientToScreen(client);
    SetCursorPos(screen.x, screen.y);
    HWND capture = GetCapture();
    ASSERT_NE(capture, nullptr);
    ScreenToClient(capture, &screen);
    PostMessageA(capture, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(screen.x, screen.y));
    eltest::Flush();
  }
  void PlaceCursor(int y) {
    const POINT p = view->ClientToScreen(POINT{20, y});
    SetCursorPos(p.x, p.y);
  }
  COLORREF Pixel(POINT p) {
    UpdateWindow(view->Handle());
    HDC dc = GetDC(view->Handle());
    const COLORREF c = GetPixel(dc, p.x + 60, p.y);
    ReleaseDC(view->Handle(), dc);
    return c;
  }

  TDragTree* tree = nullptr;
  TDragView* view = nullptr;
  std::vector<std::string> log;
  bool acceptDrop = true;
};

TEST_F(TreeDrag, TheSelectionDraggedWithinTheTreeMarksTheTargetAndDropsWhereTheCursorIs) {
  Item(1)->SetSelected(true);
  Item(3)->SetSelected(true);
  Item(5)->SetEnabled(false);
  // Escape cancels: an end without a target.
  StartDragAt(1);
  DragTo(Row(3));
  PostMessageA(view->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  eltest::Flush();
  EXPECT_FALSE(view->Dragging());
  EXPECT_EQ(view->DropTarget(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"over " + InTree(Row(1)) + " from tree", "over " + InTree(Row(3)) + " from tree",
                                           "end"}));

  log.clear();
  Press(Row(1));
  ASSERT_TRUE(view->FPendingSelect) << "a press on a selected item leaves the decision to the release";
  StartDragAt(1, false);
  EXPECT_FALSE(view->FPendingSelect || view->FButtonDown) << "the drag took the press";
  TDragImageList* images = tree->GetDragImages();
  ASSERT_NE(images, nullptr) << "rows 1 to 3, the press point as the hot spot";
  EXPECT_EQ(images->Height(), 3 * Item(0)->Height());
  EXPECT_EQ(images->DragHotspot().x, Row(1).x);
  EXPECT_EQ(images->DragHotspot().y, Item(0)->Height() / 2);

  const COLORREF plain = Pixel(Row(4));
  DragTo(Row(4));
  EXPECT_EQ(view->DropTarget(), Item(4));
  EXPECT_EQ(Pixel(Row(4)), ColorToRGB(tree->DragRectAcceptColor()));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crElTreeMove));
  acceptDrop = false;
  DragTo(Row(2));
  EXPECT_EQ(view->DropTarget(), Item(2));
  EXPECT_EQ(Pixel(Row(2)), ColorToRGB(tree->DragRectDenyColor()));
  EXPECT_EQ(Pixel(Row(4)), plain) << "the old target is painted plain again";
  EXPECT_EQ(GetCursor(), Screen->Cursors(crElTreeNoDrop));
  DragTo(Row(5));
  EXPECT_EQ(view->DropTarget(), nullptr) << "a disabled item is no drop target";

  acceptDrop = true;
  DragTo(Row(6));
  DragTo(Row(6), WM_LBUTTONUP);
  EXPECT_FALSE(view->Dragging() || view->DragEntered());
  EXPECT_EQ(view->DropTarget(), nullptr);
  EXPECT_EQ(tree->GetDragImages(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"over " + InTree(Row(1)) + " from tree", "over " + InTree(Row(4)) + " from tree",
                                           "over " + InTree(Row(2)) + " from tree", "over " + InTree(Row(5)) + " from tree",
                                           "over " + InTree(Row(6)) + " from tree", "drop on item 6 from tree",
                                           "end on tree"}));
  EXPECT_TRUE(Item(1)->Selected() && Item(3)->Selected()) << "the dragged selection stays whole";

  // A target deleted under the cursor is forgotten.
  StartDragAt(1);
  DragTo(Row(6));
  ASSERT_EQ(view->DropTarget(), Item(6));
  tree->Items()->DeleteItem(Item(6));
  EXPECT_EQ(view->DropTarget(), nullptr);
  log.clear();
  DragTo(Row(6), WM_LBUTTONUP);
  EXPECT_FALSE(view->Dragging() || view->DragEntered());
  EXPECT_EQ(log, (std::vector<std::string>{"drop on item 7 from tree", "end on tree"}));
}

TEST_F(TreeDrag, NearAnEdgeTheViewScrollsAfterASecondThenEveryIntervalUpToTheEnd) {
  tree->SetDragScrollInterval(70);
  const int bottom = view->ClientHeight() - 2;
  bool accept = true;
  view->DragOverItem(nullptr, 20, 5, accept);
  EXPECT_EQ(view->DragScrollTimer(), nullptr) << "no row above the first";
  view->DragOverItem(nullptr, 20, bottom, accept);
  TTimer* timer = view->DragScrollTimer();
  ASSERT_TRUE(timer && timer->Enabled());
  EXPECT_EQ(timer->Interval(), 1000u);

  PlaceCursor(bottom);
  int ticks = 0;
  for (; timer->Enabled() && ticks < 40; ++ticks) {
    view->DragScrollTick(timer);
    EXPECT_EQ(timer->Interval(), 70u);
  }
  EXPECT_EQ(tree->FTopIndex, 30 - view->RowsThatFit() + 1) << "the last row shown whole, no further";
  EXPECT_EQ(ticks, tree->FTopIndex + 1) << "a row a tick; at the end the tick stops the timer";
  view->DragOverItem(nullptr, 20, bottom, accept);
  EXPECT_FALSE(timer->Enabled()) << "nothing below: no timer at the end";

  view->DragOverItem(nullptr, 20, 3, accept);
  PlaceCursor(view->ClientHeight() / 2);
  view->DragScrollTick(timer);
  EXPECT_FALSE(timer->Enabled()) << "the cursor left the edge";
  const int top = tree->FTopIndex;
  view->DragOverItem(nullptr, 20, 3, accept);
  PlaceCursor(3);
  view->DragScrollTick(timer);
  EXPECT_EQ(tree->FTopIndex, top - 1);
  EXPECT_TRUE(view->DragScrollStep(nullptr, 0, 1));
  EXPECT_EQ(tree->FTopIndex, top - 2);
  EXPECT_FALSE(view->DragScrollStep(nullptr, 0, view->ClientHeight() / 2));

  // A collapsed target expands at once with no delay, else by its timer.
  tree->SetExpandOnDragOver(true);
  tree->SetDragExpandDelay(0);
  tree->Items()->AddLastChild(view->GetItemAtY(Row(1).y), L"a");
  view->DragOverItem(nullptr, 20, Row(1).y, accept);
  EXPECT_TRUE(view->DropTarget()->Expanded());
  tree->SetDragExpandDelay(500);
  TElTreeItem* later = view->GetItemAtY(Row(4).y);
  tree->Items()->AddLastChild(later, L"b");
  view->DragOverItem(nullptr, 20, Row(4).y, accept);
  ASSERT_TRUE(view->DragExpandTimer() && view->DragExpandTimer()->Enabled());
  EXPECT_EQ(view->DragExpandTimer()->Interval(), 500u);
  EXPECT_FALSE(later->Expanded());
  view->DragExpandTick(view->DragExpandTimer());
  EXPECT_TRUE(later->Expanded());
}

// ---------------------------------------------------------------- OLE

TEST(TreeOleDrag, EffectsMapToDragTypesMoveFirst) {
  EXPECT_EQ(DragTypesToDropEffects(TDragTypes{dtCopy, dtMove}), DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  EXPECT_EQ(DragTypesToDropEffects(TDragTypes{dtLink}), DWORD(DROPEFFECT_LINK));
  EXPECT_EQ(DropEffectToDragType(DROPEFFECT_MOVE | DROPEFFECT_COPY), dtMove);
  EXPECT_EQ(DropEffectToDragType(DROPEFFECT_LINK | DROPEFFECT_COPY), dtLink);
  EXPECT_EQ(DropEffectToDragType(DROPEFFECT_COPY), dtCopy);
  EXPECT_EQ(DropEffectToDragType(DROPEFFECT_NONE), dtNone);
}

// A drop source that cancels the drag at once.
class CancellingSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return ++asked, DRAGDROP_S_CANCEL; }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
  ULONG refs = 1;
  int asked = 0;
};

class TreeOle : public TreeDrag {
 public:
  void Start(TObject*, TComPtr<IDataObject>& data, TComPtr<IDropSource>& source, TDragTypes& effects) {
    data = TComPtr<IDataObject>(&dataObject);
    if (giveSource) source = TComPtr<IDropSource>(&dropSource);
    effects = TDragTypes{dtCopy, dtMove};
  }
  void Finish(TObject*, TDragType type, HRESULT result) { finishes.emplace_back(type, result); }
  void TargetDrag(TObject*, TDragState state, TOleDragObject*, TShiftState, int x, int y, TDragType& type) {
    log.push_back("drag " + std::to_string(state) + " " + std::to_string(x) + "," + std::to_string(y));
    type = answer;
  }
  void TargetDrop(TObject*, TOleDragObject*, TShiftState, int x, int y, TDragType& type) {
    log.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
    type = dtCopy;
  }
  DWORD Call(HRESULT (STDMETHODCALLTYPE IDropTarget::*call)(IDataObject*, DWORD, POINTL, DWORD*), POINT client) {
    const POINT s = view->ClientToScreen(client);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ((tree->OleDropTarget()->DropTarget()->*call)(&dataObject, MK_LBUTTON, POINTL{s.x, s.y}, &effect), S_OK);
    return effect;
  }

  eloletest::TestDataObject dataObject{{CF_TEXT}};
  CancellingSource dropSource;
  bool giveSource = false;
  TDragType answer = dtMove;
  std::vector<std::pair<TDragType, HRESULT>> finishes;
};

TEST_F(TreeOle, AStartWithoutADropSourceStartsNothingAndACancelledDragFinishesWithNone) {
  tree->SetDragType(dtOLE);
  tree->OnOleDragStart = TOleDragStartEvent(this, &TreeOle::Start);
  tree->OnOleDragFinish = TOleDragFinishEvent(this, &TreeOle::Finish);
  Item(0)->SetSelected(true);
  Press(Row(0));
  Move(Row(0).x + 8, Row(0).y);
  EXPECT_TRUE(finishes.empty());
  EXPECT_FALSE(view->FButtonDown);
  giveSource = true;
  Press(Row(0));
  Move(Row(0).x + 8, Row(0).y);
  ASSERT_EQ(finishes.size(), 1u);
  EXPECT_EQ(finishes[0], std::make_pair(dtNone, HRESULT(DRAGDROP_S_CANCEL)));
  EXPECT_GT(dropSource.asked, 0);
  EXPECT_FALSE(view->FButtonDown);
  EXPECT_NE(GetCapture(), view->Handle()) << "OLE's loop took the release";
  EXPECT_EQ(dataObject.Refs() + dropSource.refs, 2u);
}

TEST_F(TreeOle, TheViewsDropTargetTracksTheItemAndLeaveAndDropStopTheTimers) {
  tree->OnOleTargetDrag = TTargetDragEvent(this, &TreeOle::TargetDrag);
  tree->OnOleTargetDrop = TTargetDropEvent(this, &TreeOle::TargetDrop);
  tree->SetDragType(dtBoth);
  ASSERT_TRUE(tree->OleDropTarget() && tree->OleDropTarget()->Target() == view);
  const POINT low{20, view->ClientHeight() - 2};
  EXPECT_EQ(Call(&IDropTarget::DragEnter, Row(3)), DWORD(DROPEFFECT_MOVE));
  EXPECT_EQ(view->DropTarget(), Item(3));
  EXPECT_TRUE(view->DropAccepted());
  answer = dtNone;
  DWORD effect = DROPEFFECT_COPY;
  const POINT s = view->ClientToScreen(low);
  tree->OleDropTarget()->DropTarget()->DragOver(MK_LBUTTON, POINTL{s.x, s.y}, &effect);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
  EXPECT_FALSE(view->DropAccepted());
  EXPECT_TRUE(view->DragScrollTimer() && view->DragScrollTimer()->Enabled());
  tree->OleDropTarget()->DropTarget()->DragLeave();
  EXPECT_EQ(view->DropTarget(), nullptr);
  EXPECT_EQ(view->DragScrollTimer(), nullptr) << "a leave stops the scrolling";

  Call(&IDropTarget::DragEnter, low);
  EXPECT_NE(view->DragScrollTimer(), nullptr);
  EXPECT_EQ(Call(&IDropTarget::Drop, Row(3)), DWORD(DROPEFFECT_COPY)) << "the drop's answer";
  EXPECT_EQ(view->DropTarget(), nullptr);
  EXPECT_EQ(view->DragScrollTimer(), nullptr) << "a drop near the edge leaves nothing scrolling";
  EXPECT_EQ(log, (std::vector<std::string>{"drag 0 " + InTree(Row(3)), "drag 2 " + InTree(low), "drag 1 -1,-1",
                                           "drag 0 " + InTree(low), "drop " + InTree(Row(3))}));
  tree->SetDragType(dtNative);
  EXPECT_EQ(tree->OleDropTarget(), nullptr);
}

}  // namespace
