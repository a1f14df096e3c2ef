// The tree with its window: the custom bars laid out beside the view, the
// scroll messages, the non-client border and the line hints.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../../element/tests/ElDrawTestSupport.hpp"
#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
#include "Forms.hpp"

namespace {

// A tree whose cells measure 7 pixels a character, with the settings the
// tests change reachable. Parts its construction does not make yet (the
// bars, the view's place in the tree) are made here.
class TBarTree : public TElTree {
 public:
  explicit TBarTree(TComponent* owner) : TElTree(owner) {}
  using TCustomElTree::FBorderSides;
  using TCustomElTree::FForcedScrollBars;
  using TCustomElTree::FLineHeight;
  using TCustomElTree::FRightAlignedText;
  using TCustomElTree::FScrollbarOpposite;
  using TCustomElTree::FScrollTracking;
  using TCustomElTree::FTopIndex;

  void EnsureParts() {
    if (View()->Parent() != this) View()->SetParent(this);
    if (!FHScrollBar) FHScrollBar = MakeBar(sbHorizontal);
    if (!FVScrollBar) FVScrollBar = MakeBar(sbVertical);
    WireScrollBars();
  }
  void MeasureCell(TElTreeItem* item, int, TPoint& size) override {
    size = TPoint{wideWidth >= 0 ? wideWidth : 7 * static_cast<int>(item->GetText().size()), FLineHeight};
  }
  // The rows, the widest item, the bars and the layout, as the end of an
  // update leaves them.
  void Settle() {
    RecountVisibleRows();
    LayOutParts();
    View()->FillVisibleRows(FTopIndex);
    View()->UpdateLongestWidth();
    UpdateScrollBars();
    View()->FillVisibleRows(FTopIndex);
  }
  // Every cell's width when set.
  int wideWidth = -1;
  int themeOpens = 0;
  void CreateThemeHandle() override {
    ++themeOpens;
    TElTree::CreateThemeHandle();
  }

 private:
  TElScrollBar* MakeBar(TScrollBarKind kind) {
    auto* bar = new TElScrollBar(this);
    bar->SetKind(kind);
    bar->SetNotifyParent(false);
    bar->SetBounds(0, 0, 16, 16);
    bar->SetParent(this);
    return bar;
  }
};

class TreeWindow : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tree = TObject::Create<TBarTree>(Owner());
    tree->SetUseXPThemes(false);
    tree->SetBounds(0, 0, 200, 120);
    tree->SetParent(Form());
    tree->EnsureParts();
    tree->HandleNeeded();
    tree->OnScroll = TElTreeScrollEvent(this, &TreeWindow::Scrolled);
  }
  void AddItems(int count, const wchar_t* text = L"item") {
    {
      TElTreeUpdateScope scope(tree);
      for (int i = 0; i < count; ++i) tree->Items()->AddLastChild(nullptr, text);
    }
    tree->Settle();
  }
  void Scrolled(TObject*, TScrollBarKind kind, TElScrollCode code) { scrolls.emplace_back(kind, code); }
  RECT ClientOf(TControl* c) {
    RECT r;
    GetClientRect(static_cast<TWinControl*>(c)->Handle(), &r);
    return r;
  }

  TBarTree* tree = nullptr;
  std::vector<std::pair<TScrollBarKind, TElScrollCode>> scrolls;
};

TEST_F(TreeWindow, BarsLieBesideTheViewWithTheCornerBetween) {
  AddItems(30, L"a text much wider than the tree itself");
  TElScrollBar* h = tree->HScrollBar();
  TElScrollBar* v = tree->VScrollBar();
  ASSERT_TRUE(tree->HorzBarShown());
  ASSERT_TRUE(tree->VertBarShown());
  const RECT client = ClientOf(tree);
  EXPECT_EQ(v->Left(), client.right - v->Width());
  EXPECT_EQ(v->Top(), 0);
  EXPECT_EQ(v->Height(), client.bottom - h->Height());
  EXPECT_EQ(h->Top(), client.bottom - h->Height());
  EXPECT_EQ(h->Width(), client.right - v->Width());
  EXPECT_EQ(tree->View()->Width(), client.right - v->Width());
  EXPECT_EQ(tree->View()->Height(), client.bottom - h->Height());
  const TRect corner = tree->CornerRect();
  EXPECT_EQ(corner.left, v->Left());
  EXPECT_EQ(corner.top, h->Top());
  EXPECT_EQ(corner.right, client.right);
  EXPECT_EQ(corner.bottom, client.bottom);

  // Either setting alone moves the vertical bar to the left; both together
  // bring it back.
  tree->FScrollbarOpposite = true;
  tree->LayOutParts();
  EXPECT_EQ(v->Left(), 0);
  EXPECT_EQ(tree->View()->Left(), v->Width());
  EXPECT_EQ(h->Left(), v->Width());
  tree->FRightAlignedText = true;
  tree->LayOutParts();
  EXPECT_EQ(v->Left(), client.right - v->Width());
}

TEST_F(TreeWindow, HorizontalBarNeedsTwoPixelsMoreThanTheView) {
  AddItems(3);
  ASSERT_FALSE(tree->VertBarShown());
  const int viewWidth = tree->View()->ClientWidth();
  for (auto [extra, shown] : {std::pair{1, false}, std::pair{2, true}, std::pair{1, false}}) {
    tree->wideWidth = viewWidth + extra;
    tree->View()->UpdateLongestWidth();
    tree->UpdateScrollBars();
    EXPECT_EQ(tree->HorzBarShown(), shown) << extra;
    EXPECT_EQ(tree->HScrollBar()->Visible(), shown) << extra;
  }
}

TEST_F(TreeWindow, ForcedVerticalBarShowsOnAnEmptyTree) {
  tree->FForcedScrollBars = ssVertical;
  tree->Settle();
  EXPECT_TRUE(tree->VertBarShown());
  EXPECT_TRUE(tree->VScrollBar()->Visible());
  EXPECT_FALSE(tree->VScrollBar()->Enabled());
  EXPECT_FALSE(tree->HorzBarShown());
}

TEST_F(TreeWindow, ArrowPressScrollsOneRowAndReportsIt) {
  AddItems(30);
  TElScrollBar* v = tree->VScrollBar();
  const int x = v->Width() / 2, y = v->Height() - 4;
  SendMessageA(v->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(v->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  EXPECT_EQ(tree->FTopIndex, 1);
  ASSERT_FALSE(scrolls.empty());
  EXPECT_EQ(scrolls.front(), std::make_pair(sbVertical, scLineForward));
  auto* first = static_cast<TElTreeItem*>(static_cast<TObject*>(tree->View()->VisibleRows()->FastGet(0)));
  EXPECT_EQ(first, tree->Items()->Item(1));
  EXPECT_EQ(v->Position(), 1);
}

// The tree watches its form through a hook on the form's window procedure.
// A frame paint still pending when the tree is freed must not hang a new
// hook there: the form would call into the freed tree on every message.
TEST_F(TreeWindow, FreedTreeLeavesTheFormItsOwnWindowProcedure) {
  AddItems(30);
  TForm* form = Form();
  ASSERT_NE(form->WindowProc.Data(), static_cast<void*>(form));
  TElScrollBar* v = tree->VScrollBar();
  SendMessageA(v->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(v->Width() / 2, 4));
  SendMessageA(v->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(v->Width() / 2, 4));
  RedrawWindow(tree->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  tree->Free();
  tree = nullptr;
  EXPECT_EQ(form->WindowProc.Data(), static_cast<void*>(form));
  // The form paints the place the tree left once and is done.
  UpdateWindow(form->Handle());
  RECT pending;
  EXPECT_FALSE(GetUpdateRect(form->Handle(), &pending, FALSE));
}

// The thumb messages carry 16 bits; the position comes from the bar whose
// thumb stands beyond them, as a drag leaves it.
TEST_F(TreeWindow, ThumbMessagesTakeTheBarsFullTrackPosition) {
  tree->wideWidth = 100000;
  AddItems(70000);
  auto standThumb = [](TElScrollBar* bar, int position) {
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, position, 0};
    SendMessageA(bar->Handle(), SBM_SETSCROLLINFO, FALSE, reinterpret_cast<LPARAM>(&si));
    si.fMask = SIF_TRACKPOS;
    SendMessageA(bar->Handle(), SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&si));
    return si.nTrackPos;
  };
  auto thumb = [&](UINT msg, int request, int track) {
    SendMessageA(tree->Handle(), msg, MAKEWPARAM(request, LOWORD(track)), 0);
  };
  const int rows = standThumb(tree->VScrollBar(), 69000);
  ASSERT_GT(rows, 65535);
  tree->FScrollTracking = false;
  thumb(WM_VSCROLL, SB_THUMBTRACK, rows);
  EXPECT_EQ(tree->FTopIndex, 0) << "tracking off: only the final position moves";
  thumb(WM_VSCROLL, SB_THUMBPOSITION, rows);
  EXPECT_EQ(tree->FTopIndex, rows);
  tree->FScrollTracking = true;
  const int nearer = standThumb(tree->VScrollBar(), 66000);
  ASSERT_NE(nearer, rows);
  thumb(WM_VSCROLL, SB_THUMBTRACK, nearer);
  EXPECT_EQ(tree->FTopIndex, nearer);

  const int pixels = standThumb(tree->HScrollBar(), 90000);
  ASSERT_GT(pixels, 65535);
  thumb(WM_HSCROLL, SB_THUMBPOSITION, pixels);
  EXPECT_EQ(tree->LeftPosition(), pixels);
  SendMessageA(tree->Handle(), WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
  EXPECT_EQ(tree->FTopIndex, 0);
}

TEST_F(TreeWindow, ThemeChangeReopensTheThemeOnlyWhileThemesAreUsed) {
  ASSERT_TRUE(ThemesAvailable);
  auto parts = [&] {
    return std::vector<TElXPThemedControl*>{tree->HScrollBar(), tree->VScrollBar(), tree->Header()};
  };
  tree->SetUseXPThemes(true);
  for (TElXPThemedControl* part : parts()) EXPECT_TRUE(part->UseXPThemes());
  int opens = tree->themeOpens;
  EXPECT_EQ(SendMessageA(tree->Handle(), WM_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(tree->themeOpens, opens + 1);
  tree->SetUseXPThemes(false);
  for (TElXPThemedControl* part : parts()) EXPECT_FALSE(part->UseXPThemes());
  opens = tree->themeOpens;
  EXPECT_EQ(SendMessageA(tree->Handle(), WM_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(tree->themeOpens, opens);
  EXPECT_FALSE(tree->IsThemeApplied());
}

TEST_F(TreeWindow, WheelNotchMovesBySystemLines) {
  AddItems(40);
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  ASSERT_GE(lines, 1u);
  ASSERT_LT(lines, 10u);
  const HWND view = tree->View()->Handle();
  SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(tree->FTopIndex, static_cast<int>(lines));
  SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), 0);
  EXPECT_EQ(tree->FTopIndex, 3 * static_cast<int>(lines));
  SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 10), 0);
  EXPECT_EQ(tree->FTopIndex, 0);
}

TEST_F(TreeWindow, TrackHintNamesTheItemOnTheRowBelowACollapsedItem) {
  TElTreeItems* items = tree->Items();
  TElTreeItem* a = items->AddLastChild(nullptr, L"a");
  items->AddLastChild(a, L"hidden child");
  items->AddLastChild(nullptr, L"b");
  tree->Settle();
  TElFString hint;
  tree->VScrollBar()->OnScrollHintNeeded(tree->VScrollBar(), 1, hint);
  EXPECT_EQ(hint, L"b");
  // The tree's own handler is asked first and wins.
  struct TAsker : TObject {
    void Hint(TObject*, int position, TElFString& text) { text = L"row " + std::to_wstring(position); }
  } asker;
  tree->OnVertScrollHintNeeded = TElScrollHintNeededEvent(&asker, &TAsker::Hint);
  hint.clear();
  tree->VScrollBar()->OnScrollHintNeeded(tree->VScrollBar(), 1, hint);
  EXPECT_EQ(hint, L"row 1");
}

TEST_F(TreeWindow, BorderSidesGiveTheirWidthBackToTheClientArea) {
  auto clientHeight = [&] {
    SetWindowPos(tree->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return ClientOf(tree).bottom;
  };
  const int all = clientHeight();
  tree->FBorderSides = TElBorderSides{ebsLeft, ebsRight, ebsBottom};
  const int noTop = clientHeight();
  EXPECT_EQ(noTop - all, GetSystemMetrics(tree->Ctl3D() ? SM_CYEDGE : SM_CYBORDER));
  EXPECT_EQ(all, 120 - 2 * GetSystemMetrics(tree->Ctl3D() ? SM_CYEDGE : SM_CYBORDER));
}

TEST_F(TreeWindow, WindowScrollBarAreasHitAsBorder) {
  AddItems(30, L"a text much wider than the tree itself");
  RECT window;
  GetWindowRect(tree->Handle(), &window);
  // Every point of the frame and just inside it: the system's own bars are
  // never reported, though the window has their styles.
  ASSERT_NE(GetWindowLongA(tree->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
  for (int d = 0; d < 24; ++d) {
    for (POINT p : {POINT{window.right - 1 - d, (window.top + window.bottom) / 2},
                    POINT{(window.left + window.right) / 2, window.bottom - 1 - d}}) {
      const LRESULT hit = SendMessageA(tree->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
      EXPECT_NE(hit, HTVSCROLL) << d;
      EXPECT_NE(hit, HTHSCROLL) << d;
    }
  }
  // Where the system places its vertical bar (in the frame), the frame.
  const POINT edge{window.right - 1, (window.top + window.bottom) / 2};
  ASSERT_EQ(DefWindowProcA(tree->Handle(), WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTVSCROLL);
  EXPECT_EQ(SendMessageA(tree->Handle(), WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTBORDER);
}

TEST_F(TreeWindow, FormSizeMoveMakesCellsFillTheirOwnBackground) {
  AddItems(2);
  tree->SetDoubleBuffered(true);
  SendMessageA(tree->Handle(), WM_NCPAINT, 1, 0);
  TElTreeView* view = tree->View();
  // Below the rows the pass fills only while the form is being sized or
  // moved, when no background is painted first.
  auto belowRows = [&] {
    auto surface = eltest::MakeSurface(view->Width(), view->Height(), 0x00FF00);
    view->DrawRows(surface->Canvas(), 0, view->VisibleRows());
    return eltest::Px(*surface, 5, view->Height() - 3);
  };
  EXPECT_EQ(belowRows(), 0x00FF00);
  SendMessageA(Form()->Handle(), WM_ENTERSIZEMOVE, 0, 0);
  EXPECT_EQ(belowRows(), ColorToRGB(clWindow));
  SendMessageA(Form()->Handle(), WM_EXITSIZEMOVE, 0, 0);
  EXPECT_EQ(belowRows(), 0x00FF00);
}

TEST_F(TreeWindow, OwnerDrawnBarPartsAreTheTreesToPaint) {
  AddItems(30);
  int calls = 0;
  struct TPainter : TObject {
    int* calls;
    void Draw(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart, bool, bool, bool, bool& defaultDraw) {
      ++*calls;
      EXPECT_NE(dynamic_cast<TCustomElTree*>(sender), nullptr);
      FillSolidRect(canvas->Handle(), r, 0x00AA00);
      defaultDraw = false;
    }
  } painter;
  painter.calls = &calls;
  tree->OnVertScrollDrawPart = TElScrollDrawPartEvent(&painter, &TPainter::Draw);
  TElScrollBar* v = tree->VScrollBar();
  v->SetOwnerDraw(true);
  auto surface = eltest::MakeSurface(v->Width(), v->Height());
  v->Perform(WM_PAINT, reinterpret_cast<WPARAM>(eltest::DC(*surface)), 0);
  EXPECT_GT(calls, 0);
  EXPECT_EQ(eltest::Px(*surface, v->Width() / 2, v->Height() / 2), 0x00AA00);
}

TEST_F(TreeWindow, LineHintShowsForACutCellOnlyAndAKeyOrDeactivationHidesIt) {
  tree->Items()->AddLastChild(nullptr, L"short");
  tree->Items()->AddLastChild(nullptr, L"a text that the narrow tree cannot show whole");
  tree->Settle();
  TElTreeView* view = tree->View();
  auto surface = eltest::MakeSurface(view->Width(), view->Height());
  TBitmap& bitmap = *surface;
  view->DrawRows(bitmap.Canvas(), 0, view->VisibleRows());
  const int row = tree->FLineHeight;

  view->ShowLineHint(30, row / 2);
  EXPECT_EQ(view->LineHintItem(), nullptr);
  view->ShowLineHint(30, row + row / 2);
  ASSERT_EQ(view->LineHintItem(), tree->Items()->Item(1));
  ASSERT_NE(view->LineHintWindow(), nullptr);
  EXPECT_TRUE(IsWindowVisible(view->LineHintWindow()->Handle()));
  EXPECT_EQ(view->LineHintWindow()->WideCaption(), L"a text that the narrow tree cannot show whole");

  // A move over the same item keeps it; a key hides it.
  SendMessageA(view->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(40, row + 2));
  EXPECT_NE(view->LineHintItem(), nullptr);
  SendMessageA(view->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(view->LineHintItem(), nullptr);
  EXPECT_FALSE(IsWindowVisible(view->LineHintWindow()->Handle()));

  // The form's deactivation reaches the view through the form's pass-on.
  SendMessageA(Form()->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  view->ShowLineHint(30, row + row / 2);
  ASSERT_NE(view->LineHintItem(), nullptr);
  SendMessageA(Form()->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(view->LineHintItem(), nullptr);
  SendMessageA(Form()->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
}

}  // namespace
