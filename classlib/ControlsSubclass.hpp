// Subclassing of windows the library did not create (the edit and list
// inside a combo box): a method sees each message before the window's own
// procedure and decides whether to pass it on. Several layers may sit on one
// window and come and go in any order; each passes a message on to the
// layer below it, the lowest to the procedure the window had before.
#pragma once

#include "Controls.hpp"

class TWindowSubclass {
 public:
  TWindowSubclass() = default;
  ~TWindowSubclass() { Remove(); }
  TWindowSubclass(const TWindowSubclass&) = delete;
  TWindowSubclass& operator=(const TWindowSubclass&) = delete;

  // Puts the method on top of the window's procedure (after removing this
  // layer from any window it was on).
  void Install(HWND wnd, const TWndMethod& method);
  // Takes this layer out; the window keeps the layers above and below it.
  void Remove();
  // The window, or nullptr when not installed (also once the window is gone).
  HWND Window() const { return wnd_; }
  bool Installed() const { return wnd_ != nullptr; }
  // Passes the message to the layer below (or the window's own procedure)
  // and stores the answer in m.Result.
  void CallDefault(TMessage& m);
  // Takes this layer out first, then passes the message on as CallDefault
  // would have (for a layer that leaves on WM_DESTROY).
  void RemoveAndCallDefault(TMessage& m);

 private:
  friend struct TWindowSubclassChain;
  HWND wnd_ = nullptr;
  TWndMethod method_;
};
