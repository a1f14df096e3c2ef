#include "Thread.hpp"

#include <process.h>

#include <deque>
#include <string>

#include "WinApi.hpp"

// Static initialisation runs in the thread that starts the program.
Cardinal MainThreadID = GetCurrentThreadId();
TWakeMainThreadHook WakeMainThread;

namespace {

// One entry of the main-thread queue: a synchronised method, whose worker
// waits on Done, or the termination step of a finished thread, which nobody
// waits for.
struct SyncRequest {
  TThread* Thread = nullptr;
  TThreadMethod Method;
  bool Termination = false;
  std::exception_ptr Error;
  HANDLE Done = nullptr;
};

// The queue with its lock and an event that is set while the queue holds
// something, so that WaitFor in the main thread wakes up to serve it.
class SyncQueue {
 public:
  SyncQueue() {
    InitializeCriticalSection(&lock_);
    signal_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  ~SyncQueue() {
    CloseHandle(signal_);
    DeleteCriticalSection(&lock_);
  }
  HANDLE Signal() const { return signal_; }

  // The wake-up hook runs under the lock, so the main thread cannot take the
  // entry (and free a terminated thread) before the hook has returned, nor
  // replace the hook while it runs.
  void Push(SyncRequest* request) {
    EnterCriticalSection(&lock_);
    items_.push_back(request);
    SetEvent(signal_);
    try {
      wake_(request->Thread);
    } catch (...) {
      // A failing wake-up hook must not lose the entry; the idle call finds it.
    }
    LeaveCriticalSection(&lock_);
  }

  SyncRequest* Pop() {
    EnterCriticalSection(&lock_);
    SyncRequest* request = nullptr;
    if (items_.empty()) {
      ResetEvent(signal_);
    } else {
      request = items_.front();
      items_.pop_front();
    }
    LeaveCriticalSection(&lock_);
    return request;
  }

  void SetWake(const TNotifyEvent& hook) {
    EnterCriticalSection(&lock_);
    wake_ = hook;
    LeaveCriticalSection(&lock_);
  }
  void ClearWakeIfBoundTo(const void* object) {
    EnterCriticalSection(&lock_);
    if (wake_.Data() == object) wake_ = nullptr;
    LeaveCriticalSection(&lock_);
  }
  bool WakeAssigned() {
    EnterCriticalSection(&lock_);
    bool assigned = wake_.Assigned();
    LeaveCriticalSection(&lock_);
    return assigned;
  }

  // Drops the pending termination step of a thread that is being destroyed.
  void Forget(TThread* thread) {
    EnterCriticalSection(&lock_);
    for (auto it = items_.begin(); it != items_.end();) {
      if ((*it)->Thread == thread && (*it)->Termination) {
        delete *it;
        it = items_.erase(it);
      } else {
        ++it;
      }
    }
    LeaveCriticalSection(&lock_);
  }

 private:
  CRITICAL_SECTION lock_;
  HANDLE signal_ = nullptr;
  std::deque<SyncRequest*> items_;
  TNotifyEvent wake_;
};

SyncQueue& Queue() {
  static SyncQueue queue;
  return queue;
}

bool InMainThread() { return GetCurrentThreadId() == MainThreadID; }

}  // namespace

TWakeMainThreadHook& TWakeMainThreadHook::operator=(const TNotifyEvent& hook) {
  Queue().SetWake(hook);
  return *this;
}

void TWakeMainThreadHook::ClearIfBoundTo(const void* object) { Queue().ClearWakeIfBoundTo(object); }

bool TWakeMainThreadHook::Assigned() const { return Queue().WakeAssigned(); }

bool CheckSynchronize() {
  if (!InMainThread())
    throw EThread("CheckSynchronize called from thread " + std::to_string(GetCurrentThreadId()) +
                  ", which is NOT the main thread");
  bool ran = false;
  while (SyncRequest* request = Queue().Pop()) {
    ran = true;
    if (request->Termination) {
      TThread* thread = request->Thread;
      delete request;
      thread->RunTermination();
      continue;
    }
    try {
      request->Method();
    } catch (...) {
      request->Error = std::current_exception();
    }
    SetEvent(request->Done);  // the worker owns the request from here on
  }
  return ran;
}

bool WaitServingQueue(const std::function<bool()>& done, Cardinal timeoutMs, void* handle) {
  if (!InMainThread())
    throw EThread("WaitServingQueue called from thread " + std::to_string(GetCurrentThreadId()) +
                  ", which is NOT the main thread");
  const DWORD start = GetTickCount();
  // The thread's handle first: once it is signalled the wait is over, even
  // with the queue still holding its termination step.
  HANDLE handles[2];
  DWORD count = 0;
  if (handle) handles[count++] = handle;
  const DWORD queueIndex = count;
  handles[count++] = Queue().Signal();
  for (;;) {
    if (done && done()) return true;
    DWORD left = INFINITE;
    if (timeoutMs != WaitForever) {
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= timeoutMs) return false;
      left = timeoutMs - elapsed;
    }
    const DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, left, QS_SENDMESSAGE);
    if (handle && r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + queueIndex) {
      CheckSynchronize();
    } else if (r == WAIT_OBJECT_0 + count) {
      // Looking at the queue delivers the messages sent to this thread.
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    } else if (r != WAIT_TIMEOUT) {
      throw EThread("Thread error: wait failed (" + std::to_string(GetLastError()) + ")");
    }
  }
}

TThread::TThread(bool createSuspended) : createSuspended_(createSuspended) {
  Queue();  // the queue must exist before any worker can use it
  unsigned id = 0;
  uintptr_t handle = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
  if (handle == 0)
    throw EThread("Thread creation error: " + std::to_string(GetLastError()));
  handle_ = reinterpret_cast<void*>(handle);
  threadId_ = id;
  suspendCount_ = 1;
}

void TThread::AfterConstruction() {
  TObject::AfterConstruction();
  if (!createSuspended_) Start();
}

TThread::~TThread() {
  destroying_ = true;
  if (handle_) {
    if (started_) {
      if (!finished_) Terminate();
      // Undo every Suspend, however many there were.
      if (suspendCount_ > 0) {
        while (ResumeThread(handle_) > 1) {}
        suspendCount_ = 0;
      }
      // An OnTerminate that raises must not escape a destructor.
      try {
        WaitForHandle();
      } catch (...) {
        WaitForSingleObject(handle_, INFINITE);
      }
    } else {
      // Never started: ThreadProc sees started_ false and ends at once.
      while (ResumeThread(handle_) > 1) {}
      WaitForSingleObject(handle_, INFINITE);
    }
    CloseHandle(handle_);
  }
  Queue().Forget(this);
}

void TThread::Resume() {
  if (suspendCount_ <= 0) return;
  started_ = true;
  --suspendCount_;
  ResumeThread(handle_);
}

void TThread::Start() {
  if (!started_) Resume();
}

void TThread::Suspend() {
  if (finished_) return;
  ++suspendCount_;
  SuspendThread(handle_);
}

Exception* TThread::FatalException() const {
  if (!fatalException_) return nullptr;
  // The exception object lives as long as the pointer that holds it; catching
  // it by reference gives that object with its own class.
  try {
    std::rethrow_exception(fatalException_);
  } catch (Exception& e) {
    return &e;
  } catch (...) {
    return nullptr;
  }
}

void TThread::WaitForHandle() {
  if (!InMainThread()) {
    WaitForSingleObject(handle_, INFINITE);
    return;
  }
  // Serve the queue and messages sent from other threads while waiting, or a
  // worker in Synchronize (or in SendMessage) would wait for us forever.
  WaitServingQueue(nullptr, WaitForever, handle_);
  // The termination step was queued before the thread ended: run it now, so
  // OnTerminate has run when WaitFor returns.
  CheckSynchronize();
}

int TThread::WaitFor() {
  // Such a thread frees itself in the termination step that the wait runs,
  // so neither the wait nor the result could be finished safely.
  if (freeOnTerminate_) throw EThread("Cannot call WaitFor on a thread with FreeOnTerminate");
  if (!started_) throw EThread("Cannot call WaitFor on a thread that was never started");
  WaitForHandle();
  return returnValue_;
}

void TThread::DoTerminate() {
  TNotifyEvent handler = OnTerminate;
  handler(this);
}

void TThread::Synchronize(const TThreadMethod& method) {
  if (InMainThread()) {
    method();
    return;
  }
  SyncRequest request;
  request.Thread = this;
  request.Method = method;
  request.Done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!request.Done) throw EThread("Thread error: cannot create an event (" + std::to_string(GetLastError()) + ")");
  Queue().Push(&request);
  WaitForSingleObject(request.Done, INFINITE);
  CloseHandle(request.Done);
  if (request.Error) std::rethrow_exception(request.Error);
}

void TThread::RunExecute() {
  try {
    Execute();
  } catch (Exception&) {
    fatalException_ = std::current_exception();
  } catch (std::exception& e) {
    fatalException_ = std::make_exception_ptr(Exception(e.what()));
  } catch (...) {
    fatalException_ = std::make_exception_ptr(Exception("Unknown exception in thread"));
  }
}

void TThread::RunTermination() {
  std::exception_ptr error;
  try {
    DoTerminate();
  } catch (...) {
    error = std::current_exception();
  }
  // A thread being destroyed runs its termination step from the destructor's
  // wait; it must not free itself a second time.
  if (freeOnTerminate_ && !destroying_) Free();
  if (error) std::rethrow_exception(error);
}

unsigned __stdcall TThread::ThreadProc(void* param) {
  // No exception may leave the thread's entry: Execute's are kept as the fatal
  // exception, and nothing else here raises except on exhausted memory.
  auto* thread = static_cast<TThread*>(param);
  if (!thread->started_) return 0;  // destroyed without ever being started
  // Execute runs even when Terminate came first: it is where a worker turns
  // a cancel into its result (a cancelled install reports "cancelled").
  thread->RunExecute();
  unsigned result = static_cast<unsigned>(thread->returnValue_);
  try {
    auto* request = new SyncRequest;
    request->Thread = thread;
    request->Termination = true;
    thread->finished_ = true;
    // From here on the main thread may free the object: do not touch it.
    Queue().Push(request);
  } catch (...) {
    thread->finished_ = true;
  }
  return result;
}
