// Window-procedure hooks: the order in which hooks and the control see a
// message, Handled, restoring the control's own procedure, and hooks or
// controls that go away while a message is on its way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElHook.hpp"
#include "ElWindowTestSupport.hpp"

using eltest::TestForm;

namespace {

constexpr UINT kProbe = WM_USER + 77;

using Log = std::vector<std::string>;

// A windowed control that logs the probe message it handles itself.
class TLoggingControl : public TCustomControl {
 public:
  explicit TLoggingControl(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 50, 50); }
  Log* Out = nullptr;
  void Dispatch(TMessage& m) override {
    if (m.Msg == kProbe || m.Msg == WM_QUIT) {
      if (Out) Out->push_back("control");
      m.Result = 42;
      return;
    }
    TCustomControl::Dispatch(m);
  }
};

// A hook whose handlers log, and which may set Handled or run an action.
class TLoggingHook : public TElHook {
 public:
  TLoggingHook(TComponent* owner, std::string name, Log* out) : TElHook(owner), name_(std::move(name)), out_(out) {
    OnBeforeProcess = TElHookEvent(this, &TLoggingHook::Before);
    OnAfterProcess = TElHookEvent(this, &TLoggingHook::After);
  }
  bool HandleBefore = false;
  bool HandleAfter = false;
  std::function<void()> OnBefore;

 private:
  void Before(TObject* sender, TMessage& m, bool& handled) {
    if (m.Msg != kProbe && m.Msg != WM_QUIT) return;
    EXPECT_EQ(sender, this);
    out_->push_back("before " + name_);
    if (OnBefore) OnBefore();
    handled = HandleBefore;
  }
  void After(TObject*, TMessage& m, bool& handled) {
    if (m.Msg != kProbe && m.Msg != WM_QUIT) return;
    out_->push_back("after " + name_);
    handled = HandleAfter;
  }
  std::string name_;
  Log* out_;
};

class HookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    control = new TLoggingControl(form.Get());
    control->SetParent(form.Get());
    control->Out = &log;
    own = control->WindowProc;
  }
  TLoggingHook* NewHook(const std::string& name, TComponent* owner = nullptr) {
    auto* h = new TLoggingHook(owner ? owner : form.Get(), name, &log);
    h->SetControl(control);
    h->SetActive(true);
    return h;
  }
  TestForm form;
  TLoggingControl* control = nullptr;
  TWndMethod own;
  Log log;
};

TEST_F(HookTest, TheLaterHookSeesTheMessageFirst) {
  NewHook("first");
  NewHook("second");
  EXPECT_EQ(control->Perform(kProbe, 0, 0), 42);
  EXPECT_EQ(log, (Log{"before second", "before first", "control", "after second", "after first"}));
}

TEST_F(HookTest, WindowMessagesTakeTheSameWay) {
  NewHook("only");
  EXPECT_EQ(SendMessageA(control->Handle(), kProbe, 0, 0), 42);
  EXPECT_EQ(log, (Log{"before only", "control", "after only"}));
}

TEST_F(HookTest, HandledBeforeSkipsEarlierHooksAndTheControl) {
  NewHook("first");
  NewHook("second")->HandleBefore = true;
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"before second", "after second", "after first"}));
}

TEST_F(HookTest, HandledAfterEndsTheAfterWalk) {
  NewHook("first");
  NewHook("second")->HandleAfter = true;
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"before second", "before first", "control", "after second"}));
}

TEST_F(HookTest, QuitSkipsTheBeforeHandlers) {
  NewHook("only");
  control->Perform(WM_QUIT, 0, 0);
  EXPECT_EQ(log, (Log{"control", "after only"}));
}

TEST_F(HookTest, TheLastHookOutPutsTheControlsOwnProcedureBack) {
  TLoggingHook* a = NewHook("a");
  TLoggingHook* b = NewHook("b");
  EXPECT_NE(control->WindowProc, own);
  a->SetActive(false);
  EXPECT_NE(control->WindowProc, own);
  b->SetActive(false);
  EXPECT_EQ(control->WindowProc, own);
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"control"}));
  log.clear();
  b->SetActive(true);
  EXPECT_NE(control->WindowProc, own);
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"before b", "control", "after b"}));
}

TEST_F(HookTest, MovingAHookToAnotherControlKeepsItActive) {
  TLoggingHook* h = NewHook("h");
  auto* other = new TLoggingControl(form.Get());
  other->SetParent(form.Get());
  other->Out = &log;
  TWndMethod otherOwn = other->WindowProc;
  h->SetControl(other);
  EXPECT_TRUE(h->Active());
  EXPECT_EQ(control->WindowProc, own);
  EXPECT_NE(other->WindowProc, otherOwn);
  h->SetControl(nullptr);
  EXPECT_FALSE(h->Active());
  EXPECT_EQ(other->WindowProc, otherOwn);
}

TEST_F(HookTest, FreeingAHookDetachesIt) {
  TLoggingHook* h = NewHook("h");
  h->Free();
  EXPECT_EQ(control->WindowProc, own);
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"control"}));
}

// The hook forgets a control that is freed, whoever owns the two, and the
// process's list never touches the freed control again.
TEST_F(HookTest, AFreedControlIsForgotten) {
  TComponent elsewhere(nullptr);
  TLoggingHook* sibling = NewHook("sibling");
  TLoggingHook* stranger = NewHook("stranger", &elsewhere);
  control->Free();
  control = nullptr;
  EXPECT_EQ(sibling->Control(), nullptr);
  EXPECT_EQ(stranger->Control(), nullptr);
  EXPECT_FALSE(sibling->Active());
  // A new control may come at the same address; hooking it starts afresh.
  auto* next = new TLoggingControl(form.Get());
  next->SetParent(form.Get());
  next->Out = &log;
  stranger->SetControl(next);
  stranger->SetActive(true);
  next->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"before stranger", "control", "after stranger"}));
  stranger->Free();
}

TEST_F(HookTest, AHookRemovedByAnotherHandlerIsNotCalled) {
  TLoggingHook* first = NewHook("first");
  TLoggingHook* second = NewHook("second");
  second->OnBefore = [first] { first->Free(); };
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"before second", "control", "after second"}));
}

TEST_F(HookTest, AHookAddedByAHandlerSeesTheNextMessage) {
  TLoggingHook* first = NewHook("first");
  first->OnBefore = [this, first] {
    first->OnBefore = nullptr;
    NewHook("late");
  };
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"before first", "control", "after first"}));
  log.clear();
  control->Perform(kProbe, 0, 0);
  EXPECT_EQ(log, (Log{"before late", "before first", "control", "after late", "after first"}));
}

TEST_F(HookTest, AControlFreedByAHandlerGetsNoMoreCalls) {
  TLoggingHook* first = NewHook("first");
  NewHook("second")->OnBefore = [this] {
    control->Free();
    control = nullptr;
  };
  TMessage m;
  m.Msg = kProbe;
  TWndMethod proc = control->WindowProc;  // the message is already on its way
  proc(m);
  EXPECT_EQ(log, (Log{"before second"}));
  EXPECT_EQ(first->Control(), nullptr);
}

TEST_F(HookTest, TheListWindowReleasesUnusedEntriesAndSwapsProcedures) {
  TLoggingHook* h = NewHook("h");
  TElHookList* list = ElHookList();
  ASSERT_NE(list, nullptr);
  TCtlHook* entry = list->Find(control);
  ASSERT_NE(entry, nullptr);
  // In use: kept.
  SendMessageA(list->Window(), EL_HOOK_RELEASE, 0, reinterpret_cast<LPARAM>(entry));
  EXPECT_EQ(list->Find(control), entry);
  EXPECT_EQ(SendMessageA(list->Window(), WM_QUERYENDSESSION, 0, 0), 1);

  TElHookProcSwap swap;
  swap.Control = control;
  swap.NewWndProc = own;
  TWndMethod hooked = control->WindowProc;
  // A record the list did not send itself (any program can post the
  // message with an address of its choosing) is left alone.
  SendMessageA(list->Window(), EL_HOOK_SWAP_PROC, 0, reinterpret_cast<LPARAM>(&swap));
  EXPECT_EQ(control->WindowProc, hooked);
  EXPECT_FALSE(swap.OldWndProc.Assigned());
  SendMessageA(list->Window(), EL_HOOK_SWAP_PROC, 0, 0x12345678);
  EXPECT_EQ(control->WindowProc, hooked);
  list->SwapWindowProc(swap);
  EXPECT_EQ(swap.OldWndProc, hooked);
  EXPECT_EQ(control->WindowProc, own);
  control->WindowProc = hooked;

  h->Free();
  int count = list->Count();
  SendMessageA(list->Window(), EL_HOOK_RELEASE, 0, reinterpret_cast<LPARAM>(entry));
  if (count == 1)
    EXPECT_EQ(ElHookList(), nullptr);  // the last entry took the list with it
  else
    EXPECT_EQ(list->Find(control), nullptr);
}

}  // namespace
