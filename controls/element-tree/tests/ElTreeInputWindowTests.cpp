// The view's keys, hints, focus and paint through its window: real
// WM_KEYDOWN messages, CM_HINTSHOW's packed hint, and paints read back.
#include <gtest/gtest.h>

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
  }
  TElTreeItem* Add(TElTreeItem* parent, const wchar_t* text) {
    return tree->Items()->AddLastChild(parent, TElFString(text));
  }
  HWND ViewWnd() { return tree->View()->Handle(); }
  void SendKey(Word key) {
    SendMessageW(ViewWnd(), WM_KEYDOWN, key, 1);
    SendMessageW(ViewWnd(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  }

  TElTree* tree = nullptr;
};

TEST_F(TreeInputWindow, KeysSentToTheViewWindowMoveTheFocusAndExpand) {
  TElTreeItem* program = Add(nullptr, L"Program Files");
  TElTreeItem* inner = Add(program, L"Common Files");
  TElTreeItem* last = Add(nullptr, L"Windows");
  tree->View()->SetFocus();
  ASSERT_EQ(GetFocus(), ViewWnd());
  EXPECT_EQ(SendMessageW(ViewWnd(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);

  SendKey(VK_DOWN);
  EXPECT_EQ(tree->ItemFocused(), program);
  EXPECT_TRUE(program->Selected());
  SendKey(VK_RIGHT);
  EXPECT_TRUE(program->Expanded());
  // The rows on screen follow at the end of the change.
  EXPECT_EQ(tree->View()->VisibleRows()->IndexOf(inner), 1);
  EXPECT_EQ(tree->View()->VisibleRows()->IndexOf(last), 2);
  SendKey(VK_RIGHT);
  EXPECT_EQ(tree->ItemFocused(), inner);
  SendKey(VK_END);
  EXPECT_EQ(tree->ItemFocused(), last);
  EXPECT_FALSE(inner->Selected());
  SendKey(VK_HOME);
  EXPECT_EQ(tree->ItemFocused(), program);
  SendKey(VK_LEFT);
  EXPECT_FALSE(program->Expanded());
  EXPECT_EQ(tree->View()->VisibleRows()->Count(), 2);
  EXPECT_EQ(tree->View()->VisibleRows()->IndexOf(last), 1);
  // A change of rows outside an update is painted at once.
  ValidateRect(ViewWnd(), nullptr);
  program->Expand(false);
  RECT dirty{};
  EXPECT_FALSE(GetUpdateRect(ViewWnd(), &dirty, FALSE));
}

// Each row's hint as CM_HINTSHOW hands it on: the item's own whole, else
// the tree's cut at its "|".
TEST_F(TreeInputWindow, TheHintRequestPacksTheItemsHintElseTheTreesShortOne) {
  TElTreeItem* file = Add(nullptr, L"file");
  Add(nullptr, L"plain");
  file->SetHint(L"Файл|подробно");
  tree->SetHint(L"Дерево|длинная подсказка");
  const int row = tree->LineHeight();
  auto ask = [&](int y, std::string& hint) {
    THintInfo info;
    info.CursorPos = POINT{20, y};
    info.HintStr = GetShortHint(tree->TControl::Hint());
    const LRESULT result = tree->View()->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    hint = info.HintStr;
    return result;
  };
  std::string hint;
  EXPECT_EQ(ask(row / 2, hint), 0);
  EXPECT_EQ(hint, PackWideHint(L"Файл|подробно"));
  EXPECT_EQ(tree->View()->ShowHintItem(), file);
  EXPECT_EQ(ask(row + row / 2, hint), 0);
  EXPECT_EQ(hint, PackWideHint(L"Дерево"));
  EXPECT_EQ(ask(10 * row, hint), 0);
  EXPECT_EQ(tree->View()->ShowHintItem(), nullptr);
  EXPECT_EQ(hint, PackWideHint(L"Дерево"));
  // Nothing to show: no hint at all.
  tree->SetHint(L"");
  EXPECT_NE(ask(row + row / 2, hint), 0);
  EXPECT_EQ(hint, "");
}

// The view's client area as the screen shows it.
std::vector<COLORREF> Shot(HWND wnd) {
  RECT r;
  GetClientRect(wnd, &r);
  eltest::MemoryDC shot(r.right, r.bottom);
  HDC dc = GetDC(wnd);
  BitBlt(shot.Get(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(wnd, dc);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) pixels.push_back(shot.Pixel(x, y));
  return pixels;
}

TEST_F(TreeInputWindow, APaintDuringAnUpdateDrawsNothingAndBothPaintPathsShowTheSameRows) {
  TElTreeItem* a = Add(nullptr, L"Program Files");
  Add(a, L"Common Files");
  Add(nullptr, L"Windows");
  a->Expand(false);
  tree->SetBkColor(clWhite);
  const COLORREF magenta = RGB(255, 0, 255);
  eltest::MemoryDC given(100, 60, magenta);
  tree->SetUpdating(true);
  tree->View()->Perform(WM_PAINT, reinterpret_cast<WPARAM>(given.Get()), 0);
  EXPECT_EQ(given.Pixel(90, 50), magenta);
  tree->SetUpdating(false);
  tree->View()->Perform(WM_PAINT, reinterpret_cast<WPARAM>(given.Get()), 0);
  EXPECT_EQ(given.Pixel(90, 50), RGB(255, 255, 255));

  // On screen: straight, then through the memory bitmap.
  HWND wnd = tree->View()->Handle();
  tree->SetDoubleBuffered(false);
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const std::vector<COLORREF> direct = Shot(wnd);
  ValidateRect(wnd, nullptr);
  HDC dc = GetDC(wnd);
  RECT client;
  GetClientRect(wnd, &client);
  HBRUSH brush = CreateSolidBrush(magenta);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  ReleaseDC(wnd, dc);
  tree->SetDoubleBuffered(true);
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const std::vector<COLORREF> buffered = Shot(wnd);
  ASSERT_EQ(direct.size(), buffered.size());
  EXPECT_TRUE(direct == buffered);
  // Text and lines were drawn, not only the background.
  size_t inked = 0;
  for (COLORREF c : buffered) inked += c != RGB(255, 255, 255) && c != magenta;
  EXPECT_GT(inked, 50u);
}

TEST_F(TreeInputWindow, LosingTheFocusEndsAFrameAndForgetsTheHintItem) {
  tree->SetMultiSelect(true);
  for (int i = 0; i < 6; ++i) Add(nullptr, L"item");
  TElTreeView* view = tree->View();
  view->SetFocus();
  ASSERT_TRUE(view->HasFocus());
  const int row = tree->LineHeight();
  THintInfo info;
  info.CursorPos = POINT{20, row / 2};
  view->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(view->ShowHintItem(), nullptr);
  POINT p{30, row / 2};
  ClientToScreen(ViewWnd(), &p);
  SetCursorPos(p.x, p.y);
  SendMessageW(ViewWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, row / 2));
  p = POINT{40, 3 * row};
  ClientToScreen(ViewWnd(), &p);
  SetCursorPos(p.x, p.y);
  SendMessageW(ViewWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 3 * row));
  ASSERT_TRUE(view->FrameSelecting());
  ASSERT_EQ(GetCapture(), ViewWnd());

  ::SetFocus(nullptr);
  EXPECT_FALSE(view->HasFocus());
  EXPECT_FALSE(view->FrameSelecting());
  EXPECT_EQ(view->FrameItems(), nullptr);
  EXPECT_NE(GetCapture(), ViewWnd());
  EXPECT_FALSE(view->ButtonDown());
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

// Clicks through the view's window start edits through the request's timer.
TEST_F(TreeInputWindow, ASecondClickEditsAfterTheDelayAndADoubleClickAfterOneMillisecond) {
  TElTreeItem* item = Add(nullptr, L"Program Files");
  Add(nullptr, L"Windows");
  auto* editor = new TWindowEditor(Owner());
  tree->OnInplaceEditorNeeded = TInplaceEditorNeededEvent(editor, &TWindowEditor::Needed);
  tree->SetInplaceEditorDelay(80);
  const int y = tree->LineHeight() / 2;
  const int x = item->TextLeft() + 5;
  ASSERT_GT(item->TextRight(), x);
  auto click = [&](UINT down, UINT up) {
    SendMessageW(ViewWnd(), down, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(ViewWnd(), up, 0, MAKELPARAM(x, y));
  };
  click(WM_LBUTTONDOWN, WM_LBUTTONUP);
  click(WM_LBUTTONDOWN, WM_LBUTTONUP);
  ASSERT_NE(tree->View()->EditTimer(), nullptr);
  EXPECT_EQ(tree->View()->EditTimer()->Interval(), 80u);
  EXPECT_EQ(editor->starts, 0);
  ASSERT_TRUE(eltest::PumpUntil([&] { return editor->Editing(); }, 3000));
  EXPECT_EQ(editor->Item(), item);
  EXPECT_EQ(editor->ValueAsText(), L"Program Files");
  EXPECT_EQ(editor->EditorRect().left, item->TextLeft());
  EXPECT_EQ(editor->EditorRect().top, 0);
  editor->CompleteOperation(false);
  EXPECT_EQ(item->Text(), L"Program Files");

  tree->SetDblClickMode(dcmEdit);
  click(WM_LBUTTONDOWN, WM_LBUTTONUP);
  SendMessageW(ViewWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
  EXPECT_EQ(tree->View()->EditTimer()->Interval(), 1u);
  ASSERT_TRUE(eltest::PumpUntil([&] { return editor->Editing(); }, 3000));
  SendMessageW(ViewWnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  EXPECT_EQ(editor->starts, 2);
  EXPECT_TRUE(editor->Editing());
}

}  // namespace
