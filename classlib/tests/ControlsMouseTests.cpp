// Mouse enter and leave (graphic and windowed controls, with the capture
// held) and hints after the pause.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"

namespace {

class MouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 300, 200);
    form->SetColor(clBtnFace);
    label = new TRecording<TLabel>(form);
    label->SetName("Label");
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 100, 30);
    label->SetCaption("label");
    label->SetParent(form);
    label->Log = &log;
    custom = new TRecording<TGreenControl>(form);
    custom->SetName("Custom");
    custom->SetBounds(150, 10, 100, 60);
    custom->SetParent(form);
    custom->Log = &log;
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    ReleaseCapture();
    form->Free();
    Application->CancelHint();
    Application->ProcessMessages();
  }
  // Puts the cursor on a point of the form's client area and runs the idle
  // work, which finds the control under it.
  void MoveTo(int x, int y) {
    SetCursorPos(100 + x, 100 + y);
    Application->DoIdle();
  }
  TForm* form = nullptr;
  TRecording<TLabel>* label = nullptr;
  TRecording<TGreenControl>* custom = nullptr;
  std::vector<std::string> log;
};

TEST_F(MouseTest, EnterAndLeaveGoToTheInnermostControl) {
  MoveTo(5, 150);
  log.clear();
  MoveTo(20, 20);
  EXPECT_EQ(log, (std::vector<std::string>{"enter Label"}));
  EXPECT_EQ(Application->MouseControl(), label);
  MoveTo(160, 20);
  EXPECT_EQ(log, (std::vector<std::string>{"enter Label", "leave Label", "enter Custom"}));
  MoveTo(5, 150);
  EXPECT_EQ(log.back(), "leave Custom");
  // Staying put sends nothing more.
  size_t n = log.size();
  MoveTo(6, 150);
  EXPECT_EQ(log.size(), n);
}

TEST_F(MouseTest, MouseMessagesAloneTrackTheControlUnderThePoint) {
  // A WM_MOUSEMOVE reaching the form is hit-tested at its own point.
  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 15));
  EXPECT_EQ(Application->MouseControl(), label);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "enter Label");
}

TEST_F(MouseTest, LeaveFiresWhileTheControlHoldsTheCapture) {
  MoveTo(160, 20);
  ASSERT_EQ(log.back(), "enter Custom");
  SendMessageA(custom->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  ASSERT_EQ(GetCapture(), custom->Handle());
  MoveTo(5, 150);
  EXPECT_EQ(log.back(), "leave Custom");
  MoveTo(170, 30);
  EXPECT_EQ(log.back(), "enter Custom");
  SendMessageA(custom->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MouseTest, GraphicControlGetsTheCaptureThroughItsParent) {
  int clicks = 0;
  struct Counter {
    int* n;
    void Click(TObject*) { ++*n; }
  } counter{&clicks};
  label->OnClick = TNotifyEvent(&counter, &Counter::Click);
  SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(GetCaptureControl(), label);
  // Released outside the label: no click. Pressed and released inside: one.
  SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(250, 150));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(21, 21));
  EXPECT_EQ(clicks, 1);
}

TEST_F(MouseTest, ADestroyedControlIsForgotten) {
  MoveTo(20, 20);
  ASSERT_EQ(Application->MouseControl(), label);
  label->Free();
  label = nullptr;
  EXPECT_EQ(Application->MouseControl(), nullptr);
  MoveTo(160, 20);
  EXPECT_EQ(log.back(), "enter Custom");
}

TEST_F(MouseTest, HintAppearsAfterThePause) {
  Application->SetShowHint(true);
  Application->SetHintPause(150);
  label->SetHint("Label hint|longer");
  label->SetShowHint(true);
  const DWORD moved = GetTickCount();
  MoveTo(20, 20);
  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(Application->Hint(), "longer");
  // Not before the pause (a slow machine may be past it already here)...
  Application->ProcessMessages();
  THintWindow* hint = Application->HintWindowForTest();
  const bool shown = hint != nullptr && IsWindowVisible(hint->Handle());
  if (GetTickCount() - moved < 150) {
    EXPECT_FALSE(shown);
  }
  // ...but after it.
  ASSERT_TRUE(PumpUntil([] {
    THintWindow* h = Application->HintWindowForTest();
    return h && h->HandleAllocated() && IsWindowVisible(h->Handle());
  }));
  hint = Application->HintWindowForTest();
  EXPECT_EQ(label->LastHint, "Label hint");
  char text[64] = {};
  GetWindowTextA(hint->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Label hint");
  // A click cancels it.
  PostMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hint->Handle()); }));
}

TEST_F(MouseTest, NoHintWithoutShowHintOrWhenHintShowRefuses) {
  Application->SetHintPause(50);
  label->SetHint("quiet");
  label->SetShowHint(false);
  MoveTo(20, 20);
  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  PumpFor(200);
  THintWindow* hint = Application->HintWindowForTest();
  EXPECT_TRUE(hint == nullptr || !hint->HandleAllocated() || !IsWindowVisible(hint->Handle()));
}

}  // namespace
