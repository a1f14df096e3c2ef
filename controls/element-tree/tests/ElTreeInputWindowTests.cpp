// The view's keys, hints, focus and paint through its window: real
// WM_KEYDOWN messages, CM_HINTSHOW's packed hint, and paints read back.
#include <gtest/gtest.h>

#include "../../element/tests/ElWindowTestSupport.hpp"
#include "ElTree.hpp"
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
  SendKey(VK_RIGHT);
  EXPECT_EQ(tree->ItemFocused(), inner);
  SendKey(VK_END);
  EXPECT_EQ(tree->ItemFocused(), last);
  EXPECT_FALSE(inner->Selected());
  SendKey(VK_HOME);
  EXPECT_EQ(tree->ItemFocused(), program);
  SendKey(VK_LEFT);
  EXPECT_FALSE(program->Expanded());
}

}  // namespace
