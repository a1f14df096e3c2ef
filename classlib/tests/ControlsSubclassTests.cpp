// Layered subclassing of windows the library did not create.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlsSubclass.hpp"

namespace {

struct Layer {
  Layer(const char* n, std::vector<std::string>* l) : name(n), log(l) {}
  std::string name;
  std::vector<std::string>* log;
  TWindowSubclass sub;
  bool swallow = false;
  void Proc(TMessage& m) {
    if (m.Msg == WM_USER + 1) {
      log->push_back(name);
      if (swallow) {
        m.Result = 7;
        return;
      }
    }
    sub.CallDefault(m);
  }
};

TEST(WindowSubclass, LayersSeeMessagesTopFirstAndLeaveInAnyOrder) {
  HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  const LONG_PTR original = GetWindowLongPtrA(wnd, GWLP_WNDPROC);
  std::vector<std::string> log;
  Layer a{"a", &log}, b{"b", &log}, c{"c", &log};
  a.sub.Install(wnd, TWndMethod(&a, &Layer::Proc));
  b.sub.Install(wnd, TWndMethod(&b, &Layer::Proc));
  c.sub.Install(wnd, TWndMethod(&c, &Layer::Proc));
  SendMessageA(wnd, WM_USER + 1, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "a"}));

  log.clear();
  b.swallow = true;
  EXPECT_EQ(SendMessageA(wnd, WM_USER + 1, 0, 0), 7);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b"}));

  log.clear();
  b.sub.Remove();
  a.sub.Remove();
  SendMessageA(wnd, WM_USER + 1, 0, 0);
  EXPECT_EQ(log, std::vector<std::string>{"c"});
  EXPECT_NE(GetWindowLongPtrA(wnd, GWLP_WNDPROC), original);
  c.sub.Remove();
  EXPECT_EQ(GetWindowLongPtrA(wnd, GWLP_WNDPROC), original) << "the last layer puts the procedure back";
  DestroyWindow(wnd);
}

TEST(WindowSubclass, ALayerThatLeavesOnAMessageStillPassesItOn) {
  HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  std::vector<std::string> log;
  Layer low{"low", &log};
  low.sub.Install(wnd, TWndMethod(&low, &Layer::Proc));
  struct Leaving {
    TWindowSubclass sub;
    void Proc(TMessage& m) { sub.RemoveAndCallDefault(m); }
  } top;
  top.sub.Install(wnd, TWndMethod(&top, &Leaving::Proc));
  SendMessageA(wnd, WM_USER + 1, 0, 0);
  EXPECT_FALSE(top.sub.Installed());
  EXPECT_EQ(log, std::vector<std::string>{"low"});
  DestroyWindow(wnd);
  EXPECT_FALSE(low.sub.Installed()) << "a destroyed window leaves no layer behind";
}

}  // namespace
