#include "ElHook.hpp"

#include <algorithm>

#include "Forms.hpp"

namespace {
TElHookList* g_hookList = nullptr;
}  // namespace

TElHookList* ElHookList() { return g_hookList; }

// ---------------------------------------------------------------------------
// TElHook

TElHook::TElHook(TComponent* owner) : TComponent(owner) {}

TElHook::~TElHook() {
  // A bare delete skipped BeforeDestruction; never leave a TCtlHook holding
  // a pointer to this object.
  if (attached_) Detach();
}

void TElHook::BeforeDestruction() {
  SetControl(nullptr);
  TComponent::BeforeDestruction();
}

bool TElHook::InDesignMode() const {
  if (ComponentState().Contains(csDesigning)) return true;
  return Owner() && Owner()->ComponentState().Contains(csDesigning);
}

void TElHook::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  if (value) {
    if (MayAttach()) Attach();
  } else {
    Detach();
  }
}

void TElHook::SetDesignActive(bool value) {
  if (designActive_ == value) return;
  designActive_ = value;
  if (!InDesignMode()) return;
  if (active_ && designActive_) Attach();
  if (!designActive_) Detach();
}

void TElHook::SetControl(TControl* value) {
  if (control_ == value) return;
  bool wasActive = active_;
  SetActive(false);
  if (control_) control_->RemoveFreeNotification(this);
  control_ = value;
  if (control_) {
    control_->FreeNotification(this);
    SetActive(wasActive);
  }
}

void TElHook::Attach() {
  if (attached_ || !control_) return;
  if (!g_hookList) g_hookList = new TElHookList();
  TCtlHook* ctl = g_hookList->Find(control_);
  if (!ctl) ctl = g_hookList->Add(control_);
  ctl->AddHook(this);
  attached_ = true;
}

void TElHook::Detach() {
  if (!attached_) return;
  attached_ = false;
  if (!g_hookList || !control_) return;
  if (TCtlHook* ctl = g_hookList->Find(control_))
    ctl->RemoveHook(this, control_->ComponentState().Contains(csDestroying));
}

void TElHook::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == control_ && control_) SetControl(nullptr);
}

void TElHook::DoBeforeProcess(TMessage& msg, bool& handled) { OnBeforeProcess(this, msg, handled); }

void TElHook::DoAfterProcess(TMessage& msg, bool& handled) { OnAfterProcess(this, msg, handled); }

// ---------------------------------------------------------------------------
// TCtlHook

TCtlHook::TCtlHook(TControl* control) : hooks_(std::make_unique<TElList>()), control_(control) {}

TCtlHook::~TCtlHook() {
  destroying_ = true;
  hooks_.reset();
  Unhook();
}

void TCtlHook::AddHook(TElHook* hook) {
  hooks_->Add(hook);
  if (!Hooked() && control_) {
    oldWndProc_ = control_->WindowProc;
    control_->WindowProc = TWndMethod(this, &TCtlHook::HookWndProc);
  }
}

void TCtlHook::RemoveHook(TElHook* hook, bool controlGone) {
  hooks_->Remove(hook);
  if (hooks_->Count() > 0) return;
  Unhook();
  if (controlGone) control_ = nullptr;
}

void TCtlHook::Unhook() {
  if (!Hooked()) return;
  if (control_) control_->WindowProc = oldWndProc_;
  oldWndProc_ = TWndMethod();
}

// The last attached hook sees a message first. Handlers may add or remove
// hooks, or free the control, while the walk runs: the walk goes over a copy
// and calls only hooks that are still attached.
void TCtlHook::HookWndProc(TMessage& msg) {
  std::vector<TElHook*> hooks;
  for (std::int32_t i = hooks_->Count() - 1; i >= 0; --i)
    hooks.push_back(static_cast<TElHook*>(hooks_->FastGet(i)));
  auto attached = [this](TElHook* h) { return hooks_ && hooks_->IndexOf(h) >= 0; };

  bool handled = false;
  if (msg.Msg != WM_QUIT && !destroying_) {
    for (TElHook* h : hooks) {
      if (!attached(h)) continue;
      h->DoBeforeProcess(msg, handled);
      if (handled) break;
    }
  }
  if (!handled) {
    TWndMethod own = oldWndProc_;
    if (own)
      own(msg);
    else if (control_)
      control_->WndProc(msg);
  }
  handled = false;
  for (TElHook* h : hooks) {
    if (!attached(h)) continue;
    h->DoAfterProcess(msg, handled);
    if (handled) break;
  }
}

// ---------------------------------------------------------------------------
// TElHookList

TElHookList::TElHookList() : list_(std::make_unique<TElList>()) {
  list_->OnDelete = TElListDeleteEvent(this, &TElHookList::FreeEntry);
  window_ = AllocateHWnd(TWndMethod(this, &TElHookList::WndProc));
}

TElHookList::~TElHookList() {
  list_->Clear();
  DeallocateHWnd(window_);
}

void TElHookList::FreeEntry(TObject*, void* item) { static_cast<TCtlHook*>(item)->Free(); }

TCtlHook* TElHookList::Find(TControl* control) const {
  for (std::int32_t i = 0; i < list_->Count(); ++i) {
    auto* hook = static_cast<TCtlHook*>(list_->FastGet(i));
    if (hook->Control() == control) return hook;
  }
  return nullptr;
}

TCtlHook* TElHookList::Add(TControl* control) {
  auto* hook = new TCtlHook(control);
  list_->Add(hook);
  return hook;
}

void TElHookList::SwapWindowProc(TElHookProcSwap& swap) {
  pendingSwaps_.push_back(&swap);
  try {
    SendMessageA(window_, EL_HOOK_SWAP_PROC, 0, reinterpret_cast<LPARAM>(&swap));
  } catch (...) {
    pendingSwaps_.erase(std::find(pendingSwaps_.begin(), pendingSwaps_.end(), &swap));
    throw;
  }
  pendingSwaps_.erase(std::find(pendingSwaps_.begin(), pendingSwaps_.end(), &swap));
}

void TElHookList::Release(TCtlHook* hook) {
  if (list_->IndexOf(hook) < 0 || hook->Hooks()->Count() > 0) return;
  list_->Remove(hook);
  if (list_->Count() == 0 && g_hookList == this) {
    g_hookList = nullptr;
    // Destroying the window from inside its own procedure is allowed; the
    // procedure touches nothing of this object afterwards.
    Free();
  }
}

void TElHookList::WndProc(TMessage& msg) {
  try {
    switch (msg.Msg) {
      case EL_HOOK_RELEASE:
        Release(reinterpret_cast<TCtlHook*>(msg.LParam));
        return;
      case EL_HOOK_SWAP_PROC: {
        // The address is compared, never followed, before it is known to
        // be one of the list's own records.
        auto* swap = reinterpret_cast<TElHookProcSwap*>(msg.LParam);
        if (std::find(pendingSwaps_.begin(), pendingSwaps_.end(), swap) == pendingSwaps_.end() ||
            !swap->Control)
          return;
        swap->OldWndProc = swap->Control->WindowProc;
        swap->Control->WindowProc = swap->NewWndProc;
        return;
      }
      case WM_QUERYENDSESSION:
        msg.Result = 1;
        return;
      default:
        msg.Result = DefWindowProcA(window_, msg.Msg, msg.WParam, msg.LParam);
    }
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

namespace {
void DoneElHook() {
  TElHookList* list = g_hookList;
  g_hookList = nullptr;
  if (list) list->Free();
}
}  // namespace

const TUnitInfo ElHookUnit = {"ElHook", nullptr, &DoneElHook};
