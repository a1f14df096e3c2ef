// The view's keys, edit start, hints, focus and paint through its window:
// real WM_KEYDOWN and button messages, CM_HINTSHOW's packed hint, and
// paints read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
#include "ElTreeInplace.hpp"
#include "ExtCtrls.hpp"
#include "Forms.hpp"

namespace {

class TreeInputWindow : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tree = TObject::Create<TElTree>(Owner());
    tree->SetUseXPThemes(false);
    tree->SetBounds(0, 0, 200, 120);
    tree->SetParent(Form());
    tree->HandleNeeded();
    program = Add(nullptr, L"Program Files");
    inner = Add(program, L"Common Files");
    last = Add(nullptr, L"Windows");
  }
  TElTreeItem* Add(TElTreeItem* parent, const wchar_t* text) {
    return tree->Items()->AddLastChild(parent, TElFString(text));
  }
  HWND ViewWnd() { return tree->View()->Handle(); }
  LRESULT Send(UINT msg, WPARAM w, int x = 0, int y = 0) { return SendMessageW(ViewWnd(), msg, w, MAKELPARAM(x, y)); }

  TElTree* tree = nullptr;
  TElTreeItem* program = nullptr;
  TElTreeItem* inner = nullptr;
  TElTreeItem* last = nullptr;
};

TEST_F(TreeInputWindow, KeysSentToTheViewWindowMoveTheFocusAndExpand) {
  tree->View()->SetFocus();
  ASSERT_EQ(GetFocus(), ViewWnd());
  EXPECT_EQ(Send(WM_GETDLGCODE, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
  for (Word key : {VK_DOWN, VK_RIGHT, VK_RIGHT}) Send(WM_KEYDOWN, key);
  EXPECT_EQ(tree->ItemFocused(), inner);
  EXPECT_TRUE(inner->Selected() && !program->Selected());
  EXPECT_EQ(tree->View()->VisibleRows()->IndexOf(last), 2);
  for (Word key : {VK_END, VK_HOME, VK_LEFT}) Send(WM_KEYDOWN, key);
  EXPECT_EQ(tree->ItemFocused(), program);
  EXPECT_FALSE(program->Expanded());
  EXPECT_EQ(tree->View()->VisibleRows()->IndexOf(last), 1);
  // A change of rows outside an update is painted at once.
  ValidateRect(ViewWnd(), nullptr);
  program->Expand(false);
  RECT dirty{};
  EXPECT_FALSE(GetUpdateRect(ViewWnd(), &dirty, FALSE));
}

// The item's own hint whole, else the tree's cut at its "|".
TEST_F(TreeInputWindow, TheHintRequestPacksTheItemsHintElseTheTreesShortOne) {
  program->SetHint(L"Файл|подробно");
  tree->SetHint(L"Дерево|длинная подсказка");
  auto ask = [&](int row, std::string& hint) {
    THintInfo info;
    info.CursorPos = POINT{20, row * tree->LineHeight() + 2};
    info.HintStr = GetShortHint(tree->TControl::Hint());
    const LRESULT result = tree->View()->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    hint = info.HintStr;
    return result;
  };
  std::string hint;
  EXPECT_EQ(ask(0, hint), 0);
  EXPECT_EQ(hint, PackWideHint(L"Файл|подробно"));
  EXPECT_EQ(tree->View()->ShowHintItem(), program);
  EXPECT_EQ(ask(1, hint), 0);
  EXPECT_EQ(hint, PackWideHint(L"Дерево"));
  EXPECT_EQ(ask(9, hint), 0);
  EXPECT_EQ(tree->View()->ShowHintItem(), nullptr);
  EXPECT_EQ(hint, PackWideHint(L"Дерево"));
  tree->SetHint(L"");
  EXPECT_NE(ask(1, hint), 0);
  EXPECT_EQ(hint, "");
}

// The view's client area as the screen shows it after a full repaint.
std::vector<COLORREF> Repainted(HWND wnd) {
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT r;
  GetClientRect(wnd, &r);
  std::vector<COLORREF> pixels;
  HDC dc = GetDC(wnd);
  for (int y = 0; y < r.bottom; y += 2)
    for (int x = 0; x < r.right; x += 2) pixels.push_back(GetPixel(dc, x, y));
  // Marks the screen, so that the next shot shows only what was painted.
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  ReleaseDC(wnd, dc);
  return pixels;
}

TEST_F(TreeInputWindow, APaintDuringAnUpdateDrawsNothingAndBothPaintPathsShowTheSameRows) {
  program->Expand(false);
  tree->SetBkColor(clWhite);
  eltest::MemoryDC given(100, 60, RGB(255, 0, 255));
  tree->SetUpdating(true);
  tree->View()->Perform(WM_PAINT, reinterpret_cast<WPARAM>(given.Get()), 0);
  EXPECT_EQ(given.Pixel(90, 50), RGB(255, 0, 255));
  tree->SetUpdating(false);
  tree->View()->Perform(WM_PAINT, reinterpret_cast<WPARAM>(given.Get()), 0);
  EXPECT_EQ(given.Pixel(90, 50), RGB(255, 255, 255));

  tree->SetDoubleBuffered(false);
  const std::vector<COLORREF> direct = Repainted(ViewWnd());
  tree->SetDoubleBuffered(true);
  const std::vector<COLORREF> buffered = Repainted(ViewWnd());
  EXPECT_TRUE(direct == buffered);
  const auto inked = std::count_if(buffered.begin(), buffered.end(), [](COLORREF c) {
    return c != RGB(255, 255, 255) && c != RGB(255, 0, 255);
  });
  EXPECT_GT(inked, 20);
}

TEST_F(TreeInputWindow, LosingTheFocusEndsAFrameAndForgetsTheHintItem) {
  tree->SetMultiSelect(true);
  for (int i = 0; i < 4; ++i) Add(nullptr, L"item");
  TElTreeView* view = tree->View();
  view->SetFocus();
  THintInfo info;
  info.CursorPos = POINT{20, 2};
  view->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(view->ShowHintItem(), nullptr);
  const int row = tree->LineHeight();
  for (POINT p : {POINT{30, 2}, POINT{40, 3 * row}}) {
    POINT screen = p;
    ClientToScreen(ViewWnd(), &screen);
    SetCursorPos(screen.x, screen.y);
    Send(p.y == 2 ? WM_LBUTTONDOWN : WM_MOUSEMOVE, MK_LBUTTON, p.x, p.y);
  }
  ASSERT_TRUE(view->FrameSelecting());
  ASSERT_EQ(GetCapture(), ViewWnd());
  ::SetFocus(nullptr);
  EXPECT_FALSE(view->HasFocus() || view->FrameSelecting() || view->ButtonDown());
  EXPECT_EQ(view->FrameItems(), nullptr);
  EXPECT_NE(GetCapture(), ViewWnd());
  EXPECT_EQ(view->ShowHintItem(), nullptr);
}

class TWindowEditor : public TElTreeInplaceEditor {
 public:
  explicit TWindowEditor(TComponent* owner) : TElTreeInplaceEditor(owner) {}
  bool GetVisible() override { return Editing(); }
  void DoStartOperation() override { ++starts; }
  void Needed(TObject*, TElTreeItem*, int, TElFieldType, TElTreeInplaceEditor*& editor) { editor = this; }
  int starts = 0;
};

TEST_F(TreeInputWindow, ASecondClickEditsAfterTheDelayAndADoubleClickAfterOneMillisecond) {
  auto* editor = new TWindowEditor(Owner());
  tree->OnInplaceEditorNeeded = TInplaceEditorNeededEvent(editor, &TWindowEditor::Needed);
  tree->SetInplaceEditorDelay(80);
  const int x = program->TextLeft() + 5, y = 2;
  for (int i = 0; i < 2; ++i) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Send(WM_LBUTTONUP, 0, x, y);
  }
  EXPECT_EQ(tree->View()->EditTimer()->Interval(), 80u);
  EXPECT_EQ(editor->starts, 0);
  ASSERT_TRUE(eltest::PumpUntil([&] { return editor->Editing(); }, 3000));
  EXPECT_EQ(editor->Item(), program);
  editor->CompleteOperation(false);

  tree->SetDblClickMode(dcmEdit);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  Send(WM_LBUTTONUP, 0, x, y);
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, x, y);
  EXPECT_EQ(tree->View()->EditTimer()->Interval(), 1u);
  ASSERT_TRUE(eltest::PumpUntil([&] { return editor->Editing(); }, 3000));
  Send(WM_LBUTTONUP, 0, x, y);
  EXPECT_EQ(editor->starts, 2);
}

}  // namespace
