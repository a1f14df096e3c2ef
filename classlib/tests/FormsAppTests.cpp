// The application: focus enter/exit, Release, exceptions in handlers, the
// thread termination event under Run.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"
#include "Thread.hpp"

namespace {

struct EventLog {
  std::vector<std::string> lines;
  void Enter(TObject* s) { lines.push_back("enter " + static_cast<TComponent*>(s)->Name()); }
  void Exit(TObject* s) { lines.push_back("exit " + static_cast<TComponent*>(s)->Name()); }
};

TEST(Focus, MovingTheFocusFiresExitThenEnter) {
  PublishTestForms();
  auto* form = TCustomForm::Create<TCtlTestForm>(Application);
  EventLog log;
  for (TMemo* m : {form->Memo1, form->Memo2}) {
    m->OnEnter = TNotifyEvent(&log, &EventLog::Enter);
    m->OnExit = TNotifyEvent(&log, &EventLog::Exit);
  }
  form->Show();
  SetForegroundWindow(form->Handle());
  form->Memo1->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return form->Memo1->Focused(); }));
  EXPECT_EQ(form->ActiveControl(), form->Memo1);
  log.lines.clear();
  form->Memo2->SetFocus();
  EXPECT_TRUE(PumpUntil([&] { return form->Memo2->Focused(); }));
  EXPECT_EQ(log.lines, (std::vector<std::string>{"exit Memo1", "enter Memo2"}));
  // Tab moves on in tab order, wrapping round.
  log.lines.clear();
  SendMessageA(form->Memo2->Handle(), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_TRUE(form->Memo1->Focused());
  EXPECT_EQ(log.lines, (std::vector<std::string>{"exit Memo2", "enter Memo1"}));
  form->Free();
}

class ReleasingForm : public TForm {
 public:
  explicit ReleasingForm(TComponent* owner) : TForm(owner, 0) {
    button = new TGreenControl(this);
    button->SetParent(this);
    button->OnClick = TNotifyEvent(this, &ReleasingForm::Clicked);
    OnDestroy = TNotifyEvent(this, &ReleasingForm::Destroyed);
  }
  TGreenControl* button;
  bool* destroyed = nullptr;
  bool aliveAfterRelease = false;

 private:
  void Clicked(TObject*) {
    Release();
    // Still whole while the handler runs, even if messages are processed.
    aliveAfterRelease = !*destroyed;
  }
  void Destroyed(TObject*) { *destroyed = true; }
};

TEST(Release, FreesTheFormOnlyAfterTheHandlerReturns) {
  bool destroyed = false;
  auto* form = new ReleasingForm(Application);
  form->destroyed = &destroyed;
  form->Show();
  HWND button = form->button->Handle();
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(form->aliveAfterRelease);
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
  EXPECT_FALSE(IsWindow(button));
}

// The application window is the taskbar button; its Close must reach the
// main form's own close handling and never destroy the windows.
class TClosingForm : public TForm {
 public:
  explicit TClosingForm(TComponent* owner) : TForm(owner, 0) {}
  int closeMessages = 0;
  bool allowClose = false;
  void Query(TObject*, bool& canClose) { canClose = allowClose; }

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_CLOSE) ++closeMessages;
    TForm::Dispatch(m);
  }
};

TEST(ApplicationWindow, CloseFromTheTaskbarGoesThroughTheMainFormsClose) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  TClosingForm* form = nullptr;
  Application->CreateForm(form);
  ASSERT_EQ(Application->MainForm(), form);
  form->OnCloseQuery = TCloseQueryEvent(form, &TClosingForm::Query);
  form->Show();
  HWND app = Application->Handle();
  MSG quit;
  // The form refuses: nothing ends, nothing is destroyed.
  SendMessageA(app, WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageA(app, WM_CLOSE, 0, 0);
  EXPECT_EQ(form->closeMessages, 2);
  EXPECT_TRUE(IsWindow(app));
  EXPECT_TRUE(IsWindow(form->Handle()));
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  // The form agrees: the main form's close ends the program.
  form->allowClose = true;
  SendMessageA(app, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(form->closeMessages, 3);
  EXPECT_TRUE(IsWindow(app));
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  form->Free();
  // Without a main form the close ends the program.
  ASSERT_EQ(Application->MainForm(), nullptr);
  SendMessageA(app, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(app));
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

struct ExceptionCatcher {
  std::vector<std::string> messages;
  TObject* sender = nullptr;
  void Handle(TObject* s, Exception* e) {
    sender = s;
    messages.push_back(e->Message());
  }
};

struct Thrower {
  void Click(TObject*) { throw EConvertError("bad click"); }
  void Abort(TObject*) { throw EAbort("silent"); }
};

TEST(Exceptions, AClickHandlerExceptionReachesHandleExceptionAndTheLoopGoesOn) {
  ExceptionCatcher catcher;
  Thrower thrower;
  Application->OnException = TExceptionEvent(&catcher, &ExceptionCatcher::Handle);
  auto* form = new TForm(Application, 0);
  auto* button = new TGreenControl(form);
  button->SetParent(form);
  button->OnClick = TNotifyEvent(&thrower, &Thrower::Click);
  form->Show();
  // Through the loop (posted) and straight through SendMessage: the window
  // procedure never lets the exception out.
  PostMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(PumpUntil([&] { return !catcher.messages.empty(); }));
  SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(catcher.messages, (std::vector<std::string>{"bad click", "bad click"}));
  // The loop goes on: a message posted after the failures is still handled.
  int clicks = 0;
  struct Counter {
    int* n;
    void Click(TObject*) { ++*n; }
  } counter{&clicks};
  button->OnClick = TNotifyEvent(&counter, &Counter::Click);
  PostMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
  EXPECT_EQ(catcher.sender, button);
  // EAbort is silent.
  button->OnClick = TNotifyEvent(&thrower, &Thrower::Abort);
  SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(catcher.messages.size(), 2u);
  Application->OnException = nullptr;
  form->Free();
}

TEST(Timer, FiresInTheMainThreadOnlyWhileEnabled) {
  struct Ticks {
    int n = 0;
    DWORD thread = 0;
    void Tick(TObject*) {
      ++n;
      thread = GetCurrentThreadId();
    }
  } ticks;
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(20);
  timer->SetOnTimer(TNotifyEvent(&ticks, &Ticks::Tick));
  EXPECT_TRUE(PumpUntil([&] { return ticks.n >= 2; }));
  EXPECT_EQ(ticks.thread, GetCurrentThreadId());
  // Disabling kills the timer with the ticks already queued: none follows.
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->Running());
  int n = ticks.n;
  PumpFor(100);
  EXPECT_EQ(ticks.n, n);
  timer->Free();
}

class SleepyThread : public TThread {
 public:
  SleepyThread() : TThread(true) {}
  DWORD workerId = 0;

 protected:
  void Execute() override {
    workerId = GetCurrentThreadId();
    Sleep(50);
  }
};

struct TerminateWatch {
  DWORD thread = 0;
  DWORD worker = 0;
  bool viaTimer = false;
  void Terminated(TObject* sender) {
    thread = GetCurrentThreadId();
    worker = static_cast<SleepyThread*>(sender)->workerId;
    Application->Terminate();
  }
  void Timeout(TObject*) {
    viaTimer = true;
    Application->Terminate();
  }
};

// Run leaves Terminated set for good; the other tests pump messages
// themselves and do not depend on it.
TEST(RunLoop, ThreadTerminationEventRunsInTheMainThreadWhileRunLoops) {
  TerminateWatch watch;
  auto* watchdog = new TTimer(nullptr);
  watchdog->SetInterval(5000);
  watchdog->SetOnTimer(TNotifyEvent(&watch, &TerminateWatch::Timeout));
  auto* thread = new SleepyThread();
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = TNotifyEvent(&watch, &TerminateWatch::Terminated);
  thread->Start();
  Application->Run();
  watchdog->Free();
  EXPECT_FALSE(watch.viaTimer);
  EXPECT_EQ(watch.thread, GetCurrentThreadId());
  EXPECT_NE(watch.worker, 0u);
  EXPECT_NE(watch.worker, watch.thread);
  EXPECT_TRUE(Application->Terminated());
}

}  // namespace

namespace {

TEST(Position, OwnerFormCentreCentresOverTheOwnerAtTheFirstShowOnly) {
  auto* owner = new TForm(Application, 0);
  owner->SetBorderStyle(bsNone);
  owner->SetBounds(100, 100, 400, 300);
  auto* form = new TForm(owner, 0);
  form->SetBorderStyle(bsNone);
  form->SetBounds(-50, 0, 200, 100);
  form->SetPosition(poOwnerFormCenter);
  form->Show();
  EXPECT_EQ(form->Left(), 200);
  EXPECT_EQ(form->Top(), 200);
  // A placement made later stands, negative Left included.
  form->Hide();
  form->SetBounds(-30, 10, 200, 100);
  form->Show();
  RECT r;
  GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r.left, -30);
  owner->Free();
}

TEST(Release, AFormThatNeverHadAWindowIsFreedToo) {
  bool destroyed = false;
  struct Flag {
    bool* f;
    void Set(TObject*) { *f = true; }
  } flag{&destroyed};
  auto* page = new TForm(Application, 0);
  page->OnDestroy = TNotifyEvent(&flag, &Flag::Set);
  page->Release();
  page->Release();  // twice is harmless
  EXPECT_FALSE(destroyed);
  EXPECT_FALSE(page->HandleAllocated());
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
}

}  // namespace

namespace {

// Finds the application's message box from another thread, reads its text
// and presses its button, so the standard error box can be checked.
struct BoxCloser {
  std::string title;
  std::string text;
  bool found = false;
  static BOOL CALLBACK Child(HWND wnd, LPARAM self) {
    char cls[32] = {}, buf[256] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    GetWindowTextA(wnd, buf, sizeof buf);
    auto* closer = reinterpret_cast<BoxCloser*>(self);
    if (lstrcmpiA(cls, "Static") == 0 && buf[0]) closer->text = buf;
    return TRUE;
  }
  static DWORD WINAPI Run(void* self) {
    auto* closer = static_cast<BoxCloser*>(self);
    for (int i = 0; i < 3000; ++i) {
      HWND box = FindWindowA("#32770", closer->title.c_str());
      if (box) {
        EnumChildWindows(box, &Child, reinterpret_cast<LPARAM>(closer));
        closer->found = true;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
      }
      Sleep(20);
    }
    return 0;
  }
};

TEST(Exceptions, WithoutAHandlerTheStandardErrorBoxShowsTheMessage) {
  Application->SetTitle("Controls test box");
  BoxCloser closer;
  closer.title = "Controls test box";
  HANDLE thread = CreateThread(nullptr, 0, &BoxCloser::Run, &closer, 0, nullptr);
  try {
    throw EConvertError("Bad value");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  WaitForSingleObject(thread, 60000);
  CloseHandle(thread);
  EXPECT_TRUE(closer.found);
  // A full stop is added to a message that does not end in punctuation.
  EXPECT_EQ(closer.text, "Bad value.");
}

struct RefusingLabel : TLabel {
  explicit RefusingLabel(TComponent* owner) : TLabel(owner) {}
  bool refuse = false;
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_HINTSHOW) {
      auto* info = reinterpret_cast<THintInfo*>(m.LParam);
      if (refuse) {
        m.Result = 1;
        return;
      }
      info->HintStr = "changed";
    }
    TLabel::Dispatch(m);
  }
};

TEST(HintShow, AHandlerMayChangeTheTextOrRefuse) {
  auto* form = new TForm(Application, 0);
  form->SetBorderStyle(bsNone);
  form->SetBounds(300, 300, 200, 100);
  auto* label = new RefusingLabel(form);
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 200, 100);
  label->SetHint("original");
  label->SetShowHint(true);
  label->SetParent(form);
  form->Show();
  Application->SetHintPause(50);
  auto shown = [] {
    THintWindow* h = Application->HintWindowForTest();
    return h && h->HandleAllocated() && IsWindowVisible(h->Handle());
  };
  SetCursorPos(350, 350);
  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
  ASSERT_TRUE(PumpUntil(shown));
  char text[32] = {};
  GetWindowTextA(Application->HintWindowForTest()->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "changed");
  Application->CancelHint();
  label->refuse = true;
  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(60, 50));
  EXPECT_FALSE(PumpUntil(shown, 300));
  form->Free();
}

}  // namespace

namespace {

// A control whose mouse leave handler and painting fail.
class TFailingControl : public TGreenControl {
 public:
  explicit TFailingControl(TComponent* owner) : TGreenControl(owner) {}
  bool failPaint = false;
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_MOUSELEAVE) throw EConvertError("leave failed");
    TGreenControl::Dispatch(m);
  }

 protected:
  void Paint() override {
    if (failPaint) throw EConvertError("paint failed");
    TGreenControl::Paint();
  }
};

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(200, 200, 300, 200);
    failing = new TFailingControl(form);
    failing->SetBounds(10, 10, 100, 60);
    failing->SetParent(form);
    form->Show();
  }
  void TearDown() override {
    Application->OnException = nullptr;
    form->Free();
  }
  TForm* form = nullptr;
  TFailingControl* failing = nullptr;
};

TEST_F(GuardTest, AFailingMouseLeaveHandlerStaysInsideTheWindowProcedure) {
  ExceptionCatcher catcher;
  Application->OnException = TExceptionEvent(&catcher, &ExceptionCatcher::Handle);
  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  ASSERT_EQ(Application->MouseControl(), failing);
  // Leaving it runs the failing handler from the mouse tracking.
  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(250, 150));
  EXPECT_EQ(catcher.messages, (std::vector<std::string>{"leave failed"}));
  EXPECT_EQ(Application->MouseControl(), form);
}

// Reports like the error box does: while it is up, painting goes on, and a
// Paint that fails again must not report again.
struct PaintingReporter {
  TFailingControl* control;
  int reports = 0;
  void Report(TObject*, Exception*) {
    ++reports;
    InvalidateRect(control->Handle(), nullptr, TRUE);
    UpdateWindow(control->Handle());
  }
};

TEST_F(GuardTest, AnExceptionWhileOneIsReportedIsNotReportedAgain) {
  PaintingReporter reporter{failing};
  Application->OnException = TExceptionEvent(&reporter, &PaintingReporter::Report);
  failing->failPaint = true;
  InvalidateRect(failing->Handle(), nullptr, TRUE);
  UpdateWindow(failing->Handle());
  EXPECT_EQ(reporter.reports, 1);
  // Once the report is over, the next failure is reported again.
  failing->Repaint();
  EXPECT_EQ(reporter.reports, 2);
  failing->failPaint = false;
}

struct RaisingHandler {
  void Handle(TObject*, Exception*) { throw EInvalidOperation("Handler failed"); }
};

TEST_F(GuardTest, AnOnExceptionHandlerThatRaisesGetsTheStandardBox) {
  RaisingHandler handler;
  Application->OnException = TExceptionEvent(&handler, &RaisingHandler::Handle);
  Application->SetTitle("Controls guard box");
  BoxCloser closer;
  closer.title = "Controls guard box";
  HANDLE thread = CreateThread(nullptr, 0, &BoxCloser::Run, &closer, 0, nullptr);
  // The click fails, the handler fails too; nothing leaves SendMessage.
  Thrower thrower;
  failing->OnClick = TNotifyEvent(&thrower, &Thrower::Click);
  SendMessageA(failing->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(failing->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  EXPECT_TRUE(closer.found);
  EXPECT_EQ(closer.text, "Handler failed.");
}

}  // namespace
