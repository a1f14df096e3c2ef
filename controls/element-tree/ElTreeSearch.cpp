// Incremental search: typed characters build a search text that focuses the
// first item in tree order starting with it; a worker thread ends the search
// after a pause in the typing.
#include <algorithm>

#include "ElTree.hpp"

// ---------------------------------------------------------------- the thread

std::atomic<Cardinal> TSearchTextTimeoutThread::PauseMs{500};
std::atomic<int> TSearchTextTimeoutThread::Alive{0};

TSearchTextTimeoutThread::TSearchTextTimeoutThread() : TThread(true) {
  InitializeCriticalSection(&FLock);
  FWakeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetFreeOnTerminate(true);
  ++Alive;
}

// Runs after Execute has returned (the thread frees itself at its end).
TSearchTextTimeoutThread::~TSearchTextTimeoutThread() {
  if (FWakeEvent) CloseHandle(FWakeEvent);
  DeleteCriticalSection(&FLock);
  --Alive;
}

bool TSearchTextTimeoutThread::SetKeepAlive(bool value) {
  EnterCriticalSection(&FLock);
  const bool listening = !FLeft;
  if (listening) FKeepAlive = value;
  LeaveCriticalSection(&FLock);
  return listening;
}

bool TSearchTextTimeoutThread::GetKeepAlive() {
  EnterCriticalSection(&FLock);
  const bool value = FKeepAlive;
  LeaveCriticalSection(&FLock);
  return value;
}

void TSearchTextTimeoutThread::Wake() {
  if (FWakeEvent) SetEvent(FWakeEvent);
}

void TSearchTextTimeoutThread::Execute() {
  bool renewed = true;
  while (renewed && !Terminated()) {
    // A sleep that the view's destruction cuts short.
    WaitForSingleObject(FWakeEvent, PauseMs.load());
    EnterCriticalSection(&FLock);
    renewed = FKeepAlive && !Terminated();
    FKeepAlive = false;
    if (!renewed) FLeft = true;
    LeaveCriticalSection(&FLock);
  }
  EnterCriticalSection(&FLock);
  FLeft = true;
  LeaveCriticalSection(&FLock);
}

// ---------------------------------------------------------------- the view

void TElTreeView::KeyPress(char& key) {
  if (!FOwner->FIncrementalSearch || !SearchKey(key)) TCustomControl::KeyPress(key);
}

namespace {

// Whether the text starts with the search text in the system's 8-bit code
// page, case ignored by the locale.
bool StartsWith(const TElFString& text, const AnsiString& search) {
  const int length = static_cast<int>(search.size());
  const int chars = static_cast<int>(std::min<size_t>(text.size(), search.size()));
  if (chars == 0) return false;
  char buffer[512];
  std::string converted;
  char* out = buffer;
  int room = sizeof buffer;
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), chars, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return false;
  if (needed > room) {
    converted.resize(needed);
    out = &converted[0];
    room = needed;
  }
  const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), chars, out, room, nullptr, nullptr);
  if (written < length) return false;
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, out, length, search.data(), length) == CSTR_EQUAL;
}

}  // namespace

bool TElTreeView::SearchKey(char key) {
  const auto c = static_cast<unsigned char>(key);
  if (c == 27) {
    FSearchText.clear();
    FOwner->DeselectAll();
    return false;
  }
  if (c == 8) {
    if (!FSearchText.empty()) FSearchText.pop_back();
  } else if (c <= 32) {
    return false;
  } else {
    FSearchText += key;
  }
  if (FSearchText.empty()) return false;
  TElTreeItems* items = FOwner->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TElTreeItem* item = items->GetItem(i);
    if (!StartsWith(item->GetText(), FSearchText)) continue;
    FOwner->EnsureVisible(item);
    // The handlers that run here may delete the item.
    const int index = i;
    item->SetFocused(true);
    if (items->GetItem(index) == item) item->SetSelected(false);
    break;
  }
  StartOrRenewSearchTimeout();
  return false;
}

void TElTreeView::StartOrRenewSearchTimeout() {
  if (FSearchThread && FSearchThread->SetKeepAlive(true)) return;
  // None runs, or the running one has already ended its wait: a new one
  // starts and the old one's end no longer concerns the view.
  if (FSearchThread) FSearchThread->OnTerminate = TNotifyEvent();
  FSearchThread = new TSearchTextTimeoutThread();
  FSearchThread->OnTerminate = TNotifyEvent(this, &TElTreeView::SearchThreadTerminated);
  FSearchThread->Resume();
}

void TElTreeView::SearchThreadTerminated(TObject* sender) {
  if (sender != FSearchThread) return;
  FSearchThread = nullptr;
  FSearchText.clear();
}

void TElTreeView::StopSearchThread() {
  if (!FSearchThread) return;
  FSearchThread->OnTerminate = TNotifyEvent();
  FSearchThread->Terminate();
  FSearchThread->Wake();
  FSearchThread = nullptr;
}
