// Incremental search: what typed characters find, and the end of a search
// after a pause, waited on through the thread's end.
#include <gtest/gtest.h>

#include <chrono>

#include "ElTree.hpp"

namespace {

using Clock = std::chrono::steady_clock;

int MsSince(Clock::time_point start) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// The code page's byte for one character, as a key press brings it.
char AnsiKey(wchar_t c) {
  char out = 0;
  WideCharToMultiByte(CP_ACP, 0, &c, 1, &out, 1, nullptr, nullptr);
  return out;
}

class TreeSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedPause = TSearchTextTimeoutThread::PauseMs.load();
    tree = TObject::Create<TElTree>(nullptr);
  }
  void TearDown() override {
    if (tree) tree->Free();
    EXPECT_TRUE(WaitServingQueue([] { return TSearchTextTimeoutThread::Alive.load() == 0; }, 5000));
    TSearchTextTimeoutThread::PauseMs = savedPause;
  }
  TElTreeItem* Add(TElTreeItem* parent, const wchar_t* text) {
    return tree->Items()->AddLastChild(parent, TElFString(text));
  }
  TElTreeView* View() { return tree->View(); }
  void Type(const char* keys) {
    for (; *keys; ++keys) View()->SearchKey(*keys);
  }
  // Waits for the running search to end; answers the milliseconds it took.
  bool WaitForSearchEnd() {
    return WaitServingQueue([this] { return View()->SearchThread() == nullptr; }, 5000);
  }

  Cardinal savedPause = 500;
  TElTree* tree = nullptr;
};

TEST_F(TreeSearchTest, TypedTextFindsTheFirstItemInTreeOrder) {
  TElTreeItem* root = Add(nullptr, L"xyz");
  TElTreeItem* hidden = Add(root, L"ABle");  // collapsed: found all the same
  TElTreeItem* later = Add(nullptr, L"abacus");
  Add(nullptr, L"a b");
  TElTreeItem* docs = Add(nullptr, L"Документы");
  ASSERT_FALSE(root->Expanded());

  Type("a");
  EXPECT_EQ(tree->ItemFocused(), hidden);
  Type("b ");  // the space does not extend the text
  EXPECT_EQ(View()->SearchText(), "ab");
  EXPECT_EQ(tree->ItemFocused(), hidden);
  Type("a");
  EXPECT_EQ(tree->ItemFocused(), later);
  EXPECT_FALSE(later->Selected());
  // Backspace shortens, other control characters change nothing.
  Type("\b\t\x01");
  EXPECT_EQ(View()->SearchText(), "ab");
  View()->SearchKey('\x1b');
  EXPECT_EQ(View()->SearchText(), "");
  // A Cyrillic letter is a byte above 0x7F: a lower-case one finds the
  // capital, and no longer text matches a shorter one.
  View()->SearchKey(AnsiKey(L'д'));
  EXPECT_EQ(tree->ItemFocused(), docs);
  View()->SearchKey(AnsiKey(L'О'));
  EXPECT_EQ(tree->ItemFocused(), docs);
  Type("zzzzzzzzzzzzz");
  EXPECT_EQ(tree->ItemFocused(), docs);
  EXPECT_EQ(View()->SearchText().size(), 15u);
}

TEST_F(TreeSearchTest, APauseEndsTheSearchAndARenewalOutlivesOnePause) {
  Add(nullptr, L"alpha");
  TSearchTextTimeoutThread::PauseMs = 150;
  auto start = Clock::now();
  Type("a");
  ASSERT_NE(View()->SearchThread(), nullptr);
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_GE(MsSince(start), 140);
  EXPECT_EQ(View()->SearchText(), "");

  // A second key within the first pause keeps the search for another one.
  start = Clock::now();
  Type("al");
  EXPECT_EQ(View()->SearchText(), "al");
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_GE(MsSince(start), 290);
  EXPECT_EQ(View()->SearchText(), "");

  // Esc clears the text at once; the thread runs on and its end clears it.
  Type("a");
  TSearchTextTimeoutThread* running = View()->SearchThread();
  View()->SearchKey('\x1b');
  EXPECT_EQ(View()->SearchText(), "");
  EXPECT_EQ(View()->SearchThread(), running);
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(View()->SearchText(), "");
}

TEST_F(TreeSearchTest, DestroyingTheViewMidSearchNeitherWaitsNorLeavesTheThreadBehind) {
  Add(nullptr, L"alpha");
  TSearchTextTimeoutThread::PauseMs = 10000;
  Type("a");
  ASSERT_EQ(TSearchTextTimeoutThread::Alive.load(), 1);
  const auto start = Clock::now();
  tree->Free();
  tree = nullptr;
  EXPECT_LT(MsSince(start), 400);
  // The thread ends at once and frees itself without calling the view.
  EXPECT_TRUE(WaitServingQueue([] { return TSearchTextTimeoutThread::Alive.load() == 0; }, 2000));
  EXPECT_LT(MsSince(start), 2000);
}

}  // namespace
