#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "Thread.hpp"
#include "WinApi.hpp"

namespace {

// Serves the main-thread queue until the condition holds or 10 s pass.
template <class P>
bool PumpUntil(P condition) {
  for (int i = 0; i < 10000; ++i) {
    CheckSynchronize();
    if (condition()) return true;
    Sleep(1);
  }
  return false;
}

// What a test thread reports, kept outside the object because a thread with
// FreeOnTerminate is gone when the test looks.
struct Journal {
  std::vector<std::string> events;
  DWORD terminateThread = 0;
  DWORD syncThread = 0;
  std::atomic<int> executed{0};
  bool destroyed = false;
};

// A manual-reset event the worker waits on, so a test decides when it ends.
class Gate {
 public:
  Gate() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Gate() { CloseHandle(handle_); }
  void Open() { SetEvent(handle_); }
  void Wait() { WaitForSingleObject(handle_, INFINITE); }

 private:
  HANDLE handle_;
};

enum class Behaviour { Return, Raise, RaiseForeign, SyncAndReturn, SyncRaising, LoopUntilTerminated, CheckFromWorker };

class TTestThread : public TThread {
 public:
  TTestThread(Journal* journal, Behaviour behaviour, Gate* gate = nullptr, bool suspended = true)
      : TThread(suspended), journal_(journal), behaviour_(behaviour), gate_(gate) {}
  ~TTestThread() override {
    journal_->destroyed = true;
    journal_->events.push_back("destroyed");
  }

  void Terminated1(TObject* sender) {
    journal_->terminateThread = GetCurrentThreadId();
    // The object is still alive here: its state can be read.
    auto* self = static_cast<TTestThread*>(sender);
    journal_->events.push_back("terminate:" + std::to_string(self->ReturnValue()));
  }
  void Terminated2(TObject*) { journal_->events.push_back("terminate2"); }
  void TerminatedRaising(TObject*) {
    journal_->events.push_back("raising");
    throw EAbort("handler failed");
  }

  std::string workerError;

 protected:
  void Execute() override {
    ++journal_->executed;
    if (gate_) gate_->Wait();
    SetReturnValue(42);
    switch (behaviour_) {
      case Behaviour::Return:
        break;
      case Behaviour::Raise:
        throw EConvertError("conversion failed in the worker");
      case Behaviour::RaiseForeign:
        throw std::runtime_error("plain C++ failure");
      case Behaviour::SyncAndReturn:
        Synchronize(&TTestThread::InMain);
        SetReturnValue(43);
        break;
      case Behaviour::SyncRaising:
        try {
          Synchronize(&TTestThread::RaiseInMain);
        } catch (EInvalidOperation& e) {
          workerError = e.Message();
        }
        Synchronize(&TTestThread::RaiseInMain);  // not caught: ends Execute
        SetReturnValue(0);
        break;
      case Behaviour::LoopUntilTerminated:
        while (!Terminated()) Sleep(1);
        SetReturnValue(7);
        break;
      case Behaviour::CheckFromWorker:
        try {
          CheckSynchronize();
        } catch (EThread&) {
          workerError = "EThread";
        }
        break;
    }
  }

 private:
  void InMain() {
    journal_->syncThread = GetCurrentThreadId();
    journal_->events.push_back("sync");
  }
  void RaiseInMain() { throw EInvalidOperation("refused in the main thread"); }

  Journal* journal_;
  Behaviour behaviour_;
  Gate* gate_;
};

TEST(ThreadTermination, FreeOnTerminateRunsOnTerminateInMainThreadThenFrees) {
  Journal journal;
  auto* thread = new TTestThread(&journal, Behaviour::Return);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = MakeEvent(thread, &TTestThread::Terminated1);
  thread->Resume();
  ASSERT_TRUE(PumpUntil([&] { return journal.destroyed; }));
  EXPECT_EQ(journal.terminateThread, MainThreadID);
  EXPECT_EQ(journal.executed, 1);
  ASSERT_EQ(journal.events, (std::vector<std::string>{"terminate:42", "destroyed"}));
}

TEST(ThreadTermination, TerminationWaitsForTheMainThread) {
  Journal journal;
  auto* thread = new TTestThread(&journal, Behaviour::Return);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = MakeEvent(thread, &TTestThread::Terminated1);
  thread->Resume();
  // The worker ends on its own, but OnTerminate and the release wait for the
  // main thread's queue: only CheckSynchronize frees the thread, so it can be
  // watched until it has finished.
  for (int i = 0; i < 10000 && !thread->Finished(); ++i) Sleep(1);
  ASSERT_TRUE(thread->Finished());
  EXPECT_TRUE(journal.events.empty());
  EXPECT_FALSE(journal.destroyed);
  ASSERT_TRUE(PumpUntil([&] { return journal.destroyed; }));
}

TEST(ThreadTermination, ExceptionInExecuteIsKeptAndTerminationStillHappens) {
  Journal journal;
  TTestThread thread(&journal, Behaviour::Raise);
  thread.OnTerminate = MakeEvent(&thread, &TTestThread::Terminated1);
  thread.Start();
  EXPECT_EQ(thread.WaitFor(), 42);
  EXPECT_EQ(journal.terminateThread, MainThreadID);
  EXPECT_EQ(journal.events, (std::vector<std::string>{"terminate:42"}));
  ASSERT_NE(thread.FatalException(), nullptr);
  EXPECT_NE(dynamic_cast<EConvertError*>(thread.FatalException()), nullptr);
  EXPECT_EQ(thread.FatalException()->Message(), "conversion failed in the worker");
  EXPECT_TRUE(thread.Finished());
}

TEST(ThreadTermination, ForeignExceptionBecomesAnException) {
  Journal journal;
  TTestThread thread(&journal, Behaviour::RaiseForeign);
  thread.Start();
  thread.WaitFor();
  ASSERT_NE(thread.FatalException(), nullptr);
  EXPECT_EQ(thread.FatalException()->Message(), "plain C++ failure");
}

TEST(ThreadTermination, FreeOnTerminateWithAnExceptionStillFrees) {
  Journal journal;
  auto* thread = new TTestThread(&journal, Behaviour::Raise);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = MakeEvent(thread, &TTestThread::Terminated1);
  thread->Resume();
  ASSERT_TRUE(PumpUntil([&] { return journal.destroyed; }));
  EXPECT_EQ(journal.events, (std::vector<std::string>{"terminate:42", "destroyed"}));
}

TEST(ThreadTermination, ExceptionInOnTerminateReachesTheLoopAfterTheRelease) {
  Journal journal;
  auto* thread = new TTestThread(&journal, Behaviour::Return);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = MakeEvent(thread, &TTestThread::TerminatedRaising);
  thread->Resume();
  bool raised = false;
  for (int i = 0; i < 10000 && !raised; ++i) {
    try {
      CheckSynchronize();
    } catch (EAbort& e) {
      raised = e.Message() == "handler failed";
    }
    Sleep(1);
  }
  EXPECT_TRUE(raised);
  EXPECT_EQ(journal.events, (std::vector<std::string>{"raising", "destroyed"}));
}

TEST(ThreadTermination, WaitForRefusesAThreadThatFreesItself) {
  Journal journal;
  auto* thread = new TTestThread(&journal, Behaviour::Return);
  thread->SetFreeOnTerminate(true);
  EXPECT_THROW(thread->WaitFor(), EThread);
  thread->Resume();
  ASSERT_TRUE(PumpUntil([&] { return journal.destroyed; }));
}

TEST(ThreadTermination, OnTerminateIsReadWhenItRuns) {
  Journal journal;
  Gate gate;
  TTestThread thread(&journal, Behaviour::Return, &gate);
  thread.OnTerminate = MakeEvent(&thread, &TTestThread::Terminated1);
  thread.Start();
  // Rebinding while the worker runs: only the handler in place at the end runs.
  thread.OnTerminate = MakeEvent(&thread, &TTestThread::Terminated2);
  gate.Open();
  thread.WaitFor();
  EXPECT_EQ(journal.events, (std::vector<std::string>{"terminate2"}));

  Journal unbound;
  Gate gate2;
  TTestThread second(&unbound, Behaviour::Return, &gate2);
  second.OnTerminate = MakeEvent(&second, &TTestThread::Terminated1);
  second.Start();
  second.OnTerminate = nullptr;
  gate2.Open();
  second.WaitFor();
  EXPECT_TRUE(unbound.events.empty());
}

TEST(ThreadTermination, TerminateEndsALoopingExecute) {
  Journal journal;
  TTestThread thread(&journal, Behaviour::LoopUntilTerminated);
  thread.Start();
  EXPECT_FALSE(thread.Terminated());
  while (journal.executed == 0) Sleep(1);
  Sleep(20);
  EXPECT_FALSE(thread.Finished());
  thread.Terminate();
  EXPECT_TRUE(thread.Terminated());
  EXPECT_EQ(thread.WaitFor(), 7);
}

TEST(ThreadTermination, TerminatedBeforeItRunsStillExecutes) {
  Journal journal;
  TTestThread thread(&journal, Behaviour::LoopUntilTerminated);
  thread.Terminate();
  thread.Start();
  EXPECT_EQ(thread.WaitFor(), 7);
  EXPECT_EQ(journal.executed, 1);
}

TEST(ThreadTermination, ThreadNeverStartedEndsWithoutExecute) {
  Journal journal;
  { TTestThread thread(&journal, Behaviour::Return); }
  EXPECT_EQ(journal.executed, 0);
  EXPECT_TRUE(journal.events == std::vector<std::string>{"destroyed"});
}

TEST(ThreadTermination, DestroyingARunningThreadTerminatesAndWaits) {
  Journal journal;
  {
    TTestThread thread(&journal, Behaviour::LoopUntilTerminated);
    thread.Start();
    while (journal.executed == 0) Sleep(1);
  }
  // Without Terminate in the destructor the loop would never end.
  EXPECT_EQ(journal.events, (std::vector<std::string>{"destroyed"}));
}

TEST(ThreadTermination, DestroyingASuspendedThreadResumesItFully) {
  Journal journal;
  {
    TTestThread thread(&journal, Behaviour::LoopUntilTerminated);
    thread.Start();
    while (journal.executed == 0) Sleep(1);
    thread.Suspend();
    thread.Suspend();
    EXPECT_TRUE(thread.Suspended());
    thread.Resume();
    EXPECT_TRUE(thread.Suspended());  // one Suspend is still in force
  }
  EXPECT_EQ(journal.events, (std::vector<std::string>{"destroyed"}));
}

TEST(ThreadCreation, CreatedRunningStartsAtOnce) {
  Journal journal;
  auto* thread = TObject::Create<TTestThread>(&journal, Behaviour::Return, nullptr, /*suspended=*/false);
  EXPECT_FALSE(thread->Suspended());
  EXPECT_EQ(thread->WaitFor(), 42);
  EXPECT_EQ(journal.executed, 1);
  EXPECT_NE(thread->Handle(), nullptr);
  EXPECT_NE(thread->ThreadID(), 0u);
  EXPECT_NE(thread->ThreadID(), MainThreadID);
  thread->Free();
}

// Signalled by Execute first thing; kept outside the object, whose own
// members would not exist yet if Execute ran too early.
HANDLE g_executeStarted = nullptr;

// A thread created running whose constructor goes on after the base part is
// built. Were the system thread resumed inside the base constructor, Execute
// would start while this constructor still runs (or, earlier still, call a
// pure virtual function): the constructor sees it start, and Execute sees
// the member it sets last still unset.
class TSlowlyBuiltThread : public TThread {
 public:
  TSlowlyBuiltThread() : TThread(false) {
    startedDuringConstruction = WaitForSingleObject(g_executeStarted, 200) == WAIT_OBJECT_0;
    ready_ = kReady;
  }
  bool startedDuringConstruction = false;
  std::atomic<bool> sawWholeObject{false};

 protected:
  void Execute() override {
    SetEvent(g_executeStarted);
    sawWholeObject = ready_ == kReady;
  }

 private:
  static constexpr int kReady = 0x5EED;
  int ready_ = 0;
};

TEST(ThreadCreation, ACreatedRunningThreadStartsOnlyWhenFullyConstructed) {
  g_executeStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  auto* thread = TObject::Create<TSlowlyBuiltThread>();
  thread->WaitFor();
  EXPECT_FALSE(thread->startedDuringConstruction);
  EXPECT_TRUE(thread->sawWholeObject);
  thread->Free();
  CloseHandle(g_executeStarted);
}

TEST(ThreadCreation, CreatedRunningWithoutCreateWaitsForStart) {
  // Constructed on the stack, the thread has had no after-construction step:
  // it must not run until asked, and waiting for it before then is refused
  // rather than hanging.
  Journal journal;
  TTestThread thread(&journal, Behaviour::Return, nullptr, /*suspended=*/false);
  EXPECT_TRUE(thread.Suspended());
  EXPECT_THROW(thread.WaitFor(), EThread);
  EXPECT_EQ(journal.executed, 0);
  thread.Start();
  EXPECT_EQ(thread.WaitFor(), 42);
  EXPECT_EQ(journal.executed, 1);
}

TEST(ThreadSynchronize, RunsInTheMainThreadWhileTheWorkerWaits) {
  Journal journal;
  auto* thread = new TTestThread(&journal, Behaviour::SyncAndReturn);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = MakeEvent(thread, &TTestThread::Terminated1);
  thread->Resume();
  ASSERT_TRUE(PumpUntil([&] { return journal.destroyed; }));
  EXPECT_EQ(journal.syncThread, MainThreadID);
  // The worker went on after the synchronised call and set 43.
  EXPECT_EQ(journal.events, (std::vector<std::string>{"sync", "terminate:43", "destroyed"}));
}

TEST(ThreadSynchronize, WaitForServesTheQueue) {
  Journal journal;
  TTestThread thread(&journal, Behaviour::SyncAndReturn);
  thread.OnTerminate = MakeEvent(&thread, &TTestThread::Terminated1);
  thread.Start();
  // No pumping here: WaitFor itself runs the synchronised method and then
  // the termination step.
  EXPECT_EQ(thread.WaitFor(), 43);
  EXPECT_EQ(journal.events, (std::vector<std::string>{"sync", "terminate:43"}));
}

TEST(ThreadSynchronize, ExceptionInTheMainThreadIsRaisedInTheWorker) {
  Journal journal;
  TTestThread thread(&journal, Behaviour::SyncRaising);
  thread.Start();
  EXPECT_EQ(thread.WaitFor(), 42);  // the second failure ended Execute before ReturnValue 0
  EXPECT_EQ(thread.workerError, "refused in the main thread");
  ASSERT_NE(thread.FatalException(), nullptr);
  EXPECT_NE(dynamic_cast<EInvalidOperation*>(thread.FatalException()), nullptr);
}

TEST(ThreadSynchronize, WakeMainThreadIsCalledWhenSomethingIsQueued) {
  struct Waker {
    std::atomic<int> calls{0};
    void Wake(TObject*) { ++calls; }
  } waker;
  WakeMainThread = MakeEvent(&waker, &Waker::Wake);
  Journal journal;
  TTestThread thread(&journal, Behaviour::SyncAndReturn);
  thread.Start();
  thread.WaitFor();
  WakeMainThread = nullptr;
  // Once for the synchronised method, once for the termination step.
  EXPECT_EQ(waker.calls, 2);
}

// The wake-up hook is replaced under the queue's lock: an assignment made
// while a worker is inside the hook waits until the hook has returned, so
// the hook's object can be freed right after the assignment.
struct BlockingWaker {
  HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> order{0};
  int hookReturned = 0;
  int clearReturned = 0;
  ~BlockingWaker() {
    CloseHandle(entered);
    CloseHandle(release);
  }
  void Wake(TObject*) {
    SetEvent(entered);
    WaitForSingleObject(release, 10000);
    hookReturned = ++order;
  }
  static DWORD WINAPI Clear(void* self) {
    auto* waker = static_cast<BlockingWaker*>(self);
    WakeMainThread = nullptr;
    waker->clearReturned = ++waker->order;
    return 0;
  }
};

TEST(ThreadSynchronize, ReplacingTheWakeHookWaitsForARunningCall) {
  BlockingWaker waker;
  WakeMainThread = MakeEvent(&waker, &BlockingWaker::Wake);
  Journal journal;
  TTestThread thread(&journal, Behaviour::Return);
  thread.Start();
  // The worker queues its termination step and is held inside the hook.
  ASSERT_EQ(WaitForSingleObject(waker.entered, 10000), WAIT_OBJECT_0);
  HANDLE clearer = CreateThread(nullptr, 0, &BlockingWaker::Clear, &waker, 0, nullptr);
  // Had the clearing not waited for the lock, it would be done by now.
  EXPECT_EQ(WaitForSingleObject(clearer, 200), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(waker.release);
  ASSERT_EQ(WaitForSingleObject(clearer, 10000), WAIT_OBJECT_0);
  CloseHandle(clearer);
  thread.WaitFor();
  EXPECT_EQ(waker.hookReturned, 1);
  EXPECT_EQ(waker.clearReturned, 2);
  EXPECT_FALSE(WakeMainThread.Assigned());
}

TEST(ThreadSynchronize, TheWakeHookIsClearedOnlyByItsOwner) {
  struct Waker {
    void Wake(TObject*) {}
  } mine, other;
  WakeMainThread = MakeEvent(&mine, &Waker::Wake);
  WakeMainThread.ClearIfBoundTo(&other);
  EXPECT_TRUE(WakeMainThread.Assigned());
  WakeMainThread.ClearIfBoundTo(&mine);
  EXPECT_FALSE(WakeMainThread.Assigned());
}

// ---- The main thread's bounded wait ----------------------------------------------

TEST(WaitServingQueue, EndsAtItsBoundAndLeavesPostedMessagesQueued) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  PostMessageA(window, WM_USER + 7, 0, 0);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(WaitServingQueue([] { return false; }, 150));
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 140u);
  EXPECT_LT(took, 3000u);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, window, WM_USER + 7, WM_USER + 7, PM_REMOVE));
  // A condition that already holds ends the wait at once, bound or not.
  EXPECT_TRUE(WaitServingQueue([] { return true; }, WaitForever));
  DestroyWindow(window);
}

// A worker that first sends a message to a window of the main thread, then
// has a method run there: both need the main thread, which is waiting.
class TSendingThread : public TThread {
 public:
  TSendingThread(HWND window, std::atomic<bool>* done) : TThread(true), window_(window), done_(done) {}
  std::atomic<LRESULT> sent{-1};

 protected:
  void Execute() override {
    sent = SendMessageA(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("sent"));
    Synchronize(&TSendingThread::Finish);
  }

 private:
  void Finish() { *done_ = true; }
  HWND window_;
  std::atomic<bool>* done_;
};

TEST(WaitServingQueue, ServesSentMessagesAndTheQueueUntilTheConditionHolds) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  std::atomic<bool> done{false};
  TSendingThread thread(window, &done);
  thread.Start();
  EXPECT_TRUE(WaitServingQueue([&] { return done.load(); }, 10000));
  EXPECT_EQ(thread.sent, TRUE);
  char text[16] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "sent");
  thread.WaitFor();
  DestroyWindow(window);
}

TEST(ThreadSynchronize, CheckSynchronizeRefusesOtherThreads) {
  Journal journal;
  TTestThread thread(&journal, Behaviour::CheckFromWorker);
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(thread.workerError, "EThread");
  EXPECT_FALSE(CheckSynchronize());  // nothing left queued
}

}  // namespace
