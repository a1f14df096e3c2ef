// TThread: a worker thread object over a Win32 thread, with a queue through
// which workers have methods run in the main thread (Synchronize, and the
// termination step with OnTerminate). Free of <windows.h>.
#pragma once

#include <atomic>
#include <exception>
#include <functional>

#include "SysUtils.hpp"
#include "System.hpp"

using TThreadMethod = TEvent<>;

// The thread that started the program; the synchronise queue is served there.
extern Cardinal MainThreadID;

// The hook called (from any thread) whenever something is queued for the
// main thread, with the thread as Sender, so that a message loop can post
// itself a wake-up and call CheckSynchronize. Unassigned by default. It is
// set, cleared and called under the queue's lock: once an assignment has
// returned, the old hook is not running and will not run again, so its
// object (the application) may go away while worker threads still run.
//   WakeMainThread = TNotifyEvent(this, &TMyLoop::Wake);
class TWakeMainThreadHook {
 public:
  TWakeMainThreadHook& operator=(const TNotifyEvent& hook);
  // Clears the hook when it is bound to that object; another stays.
  void ClearIfBoundTo(const void* object);
  bool Assigned() const;
};
extern TWakeMainThreadHook WakeMainThread;

// Runs every method queued for the main thread and the termination step of
// every finished thread; returns whether anything ran. Call it only in the
// main thread (EThread otherwise). An exception raised by an OnTerminate
// handler propagates after that thread was released; what remains queued runs
// at the next call.
bool CheckSynchronize();

// No bound for WaitServingQueue.
constexpr Cardinal WaitForever = 0xFFFFFFFFu;

// The main thread's wait, the one WaitFor uses: waits until `done` holds
// (asked first and again after each wake-up; may be empty), the handle is
// signalled (when not nullptr), or timeoutMs milliseconds have passed.
// Meanwhile it serves the synchronise queue and the messages other threads
// send to this thread's windows, so that neither a worker in Synchronize nor
// a sender waits for it; posted messages stay queued. Returns false only
// when the time ran out. An exception from a queued method or OnTerminate
// ends the wait and propagates. Call it only in the main thread (EThread).
bool WaitServingQueue(const std::function<bool()>& done, Cardinal timeoutMs, void* handle = nullptr);

class TThread : public TObject {
 public:
  // The system thread is always made suspended here: Execute must not start
  // before the most derived constructor has finished. A thread created
  // running starts in AfterConstruction, that is when it is made through
  // TObject::Create<TMyThread>(false); one constructed any other way (on the
  // stack, by a bare new) starts at its first Start or Resume.
  explicit TThread(bool createSuspended);
  void AfterConstruction() override;
  // Terminates and waits for a started thread (a never started one is woken
  // only to end without Execute); in the main thread the wait serves the
  // queue, so a pending OnTerminate runs here. The derived part is already
  // gone by then: a class whose Execute uses its own members calls Terminate
  // and WaitFor in its own destructor.
  ~TThread() override;

  // Resume undoes one Suspend (or the suspended creation); Start runs a
  // thread created suspended and does nothing otherwise.
  void Resume();
  void Start();
  void Suspend();
  bool Suspended() const { return suspendCount_ > 0; }

  // Sets Terminated; Execute is expected to look at it and return.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Waits for the thread to end and returns ReturnValue. In the main thread it
  // serves the synchronise queue while waiting, so a worker in Synchronize and
  // the termination step (OnTerminate) do not deadlock; OnTerminate has run
  // when it returns. Raises EThread for a FreeOnTerminate thread, which would
  // be freed during the wait, and for a thread never started, which would
  // never end.
  int WaitFor();

  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  int ReturnValue() const { return returnValue_; }
  void SetReturnValue(int value) { returnValue_ = value; }
  bool Finished() const { return finished_; }
  // The exception that escaped Execute, or nullptr; it keeps its class.
  // Exceptions that are not Exception objects are kept as an Exception with
  // their what() text.
  Exception* FatalException() const;
  std::exception_ptr FatalExceptionPtr() const { return fatalException_; }

  void* Handle() const { return handle_; }
  Cardinal ThreadID() const { return threadId_; }

  // Runs in the main thread after Execute returned, also after an exception;
  // read when the termination step runs, not when the thread ends. The thread
  // object is freed after it when FreeOnTerminate is set.
  TNotifyEvent OnTerminate;

 protected:
  virtual void Execute() = 0;
  // Fires OnTerminate; runs in the main thread.
  virtual void DoTerminate();
  // Runs the method in the main thread and waits for it; an exception raised
  // in it is raised again here. Called in the main thread it just runs it.
  void Synchronize(const TThreadMethod& method);
  template <class C>
  void Synchronize(void (C::*method)()) {
    Synchronize(TThreadMethod(static_cast<C*>(this), method));
  }

 private:
  static unsigned __stdcall ThreadProc(void* param);
  void RunExecute();
  void RunTermination();
  void WaitForHandle();
  friend bool CheckSynchronize();

  void* handle_ = nullptr;
  Cardinal threadId_ = 0;
  int suspendCount_ = 0;
  bool started_ = false;
  bool createSuspended_ = true;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  bool freeOnTerminate_ = false;
  bool destroying_ = false;
  int returnValue_ = 0;
  std::exception_ptr fatalException_;
};
