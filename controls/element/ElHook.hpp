// Window-procedure hooks: a TElHook lets its owner see, and optionally
// swallow, every message of another control before and after the control's
// own handling. One TCtlHook per control replaces the control's WindowProc
// method and calls every hook attached to it; the process-wide TElHookList
// keeps the TCtlHook objects.
#pragma once

#include <memory>
#include <vector>

#include "Controls.hpp"
#include "ElList.hpp"

using TElHookEvent = TEvent<TObject*, TMessage&, bool&>;

class TCtlHook;

class TElHook : public TComponent {
 public:
  explicit TElHook(TComponent* owner);
  ~TElHook() override;
  void BeforeDestruction() override;

  bool DesignActive() const { return designActive_; }
  void SetDesignActive(bool value);
  bool Active() const { return active_; }
  void SetActive(bool value);
  TControl* Control() const { return control_; }
  void SetControl(TControl* value);

  TElHookEvent OnBeforeProcess;
  TElHookEvent OnAfterProcess;

 protected:
  friend class TCtlHook;
  virtual void DoBeforeProcess(TMessage& msg, bool& handled);
  virtual void DoAfterProcess(TMessage& msg, bool& handled);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool InDesignMode() const;
  // Attaching happens outside design mode, or in it with DesignActive.
  bool MayAttach() const { return !InDesignMode() || designActive_; }
  void Attach();
  void Detach();

  bool designActive_ = false;
  bool active_ = false;
  // Whether this hook is in its control's TCtlHook; kept apart from Active,
  // so that a hook is always taken out again whatever the design state.
  bool attached_ = false;
  TControl* control_ = nullptr;
};

// The hooks of one control, and the control's window-procedure method from
// before they were attached.
class TCtlHook : public TObject {
 public:
  explicit TCtlHook(TControl* control);
  ~TCtlHook() override;

  TControl* Control() const { return control_; }
  TElList* Hooks() const { return hooks_.get(); }
  bool Hooked() const { return oldWndProc_.Assigned(); }
  bool Destroying() const { return destroying_; }

  void AddHook(TElHook* hook);
  // Takes the hook out; the last one out puts the control's own method
  // back. With controlGone the control is forgotten too.
  void RemoveHook(TElHook* hook, bool controlGone);

 private:
  void HookWndProc(TMessage& msg);
  void Unhook();

  std::unique_ptr<TElList> hooks_;
  TControl* control_;
  TWndMethod oldWndProc_;
  bool destroying_ = false;
};

// Asks the hook list's window to save a control's window-procedure method
// into OldWndProc and install NewWndProc in its place. The window carries
// out only swaps that the list itself asked for (SwapWindowProc): any
// program can send the message, with any address in lParam.
struct TElHookProcSwap {
  TControl* Control = nullptr;
  TWndMethod OldWndProc;
  TWndMethod NewWndProc;
};
constexpr UINT EL_HOOK_RELEASE = 1139;   // lParam: a TCtlHook to free when unused
constexpr UINT EL_HOOK_SWAP_PROC = 1140; // lParam: a TElHookProcSwap

class TElHookList : public TObject {
 public:
  TElHookList();
  ~TElHookList() override;

  TCtlHook* Find(TControl* control) const;
  TCtlHook* Add(TControl* control);
  // Sends the swap to the list's window, which alone performs it.
  void SwapWindowProc(TElHookProcSwap& swap);
  int Count() const { return list_->Count(); }
  HWND Window() const { return window_; }

 private:
  void FreeEntry(TObject* sender, void* item);
  void WndProc(TMessage& msg);
  void Release(TCtlHook* hook);

  std::unique_ptr<TElList> list_;
  HWND window_ = nullptr;
  // The swaps on their way to the window; no other record is touched.
  std::vector<const TElHookProcSwap*> pendingSwaps_;
};

// The process's hook list, created on the first activation; nil before.
TElHookList* ElHookList();

// Unit finish frees the list, each TCtlHook restoring its control.
extern const TUnitInfo ElHookUnit;
