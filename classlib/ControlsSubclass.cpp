#include "ControlsSubclass.hpp"

#include <algorithm>
#include <vector>

namespace {
const char kChainProp[] = "ClassLibSubclassChain";
}  // namespace

// The layers of one window, bottom first, and the procedure below them all.
struct TWindowSubclassChain {
  WNDPROC original = nullptr;
  std::vector<TWindowSubclass*> layers;

  static TWindowSubclassChain* Of(HWND wnd) { return static_cast<TWindowSubclassChain*>(GetPropA(wnd, kChainProp)); }
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

  // Runs the message through the layers from index down.
  LRESULT Pass(HWND wnd, int index, TMessage& m) {
    if (index < 0) return m.Result = CallWindowProcA(original, wnd, m.Msg, m.WParam, m.LParam);
    layers[static_cast<size_t>(index)]->method_(m);
    return m.Result;
  }

  // Puts the window's procedure back when no layer is left and nobody
  // subclassed the window above us meanwhile.
  static void ReleaseIfEmpty(HWND wnd, TWindowSubclassChain* chain) {
    if (!chain->layers.empty()) return;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)) != &Proc) return;
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
    RemovePropA(wnd, kChainProp);
    delete chain;
  }
};

LRESULT CALLBACK TWindowSubclassChain::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  TWindowSubclassChain* chain = Of(wnd);
  if (!chain) return DefWindowProcA(wnd, msg, wp, lp);
  TMessage m;
  m.Msg = msg;
  m.WParam = wp;
  m.LParam = lp;
  const WNDPROC original = chain->original;
  try {
    chain->Pass(wnd, static_cast<int>(chain->layers.size()) - 1, m);
  } catch (...) {
    HandleCallbackException(nullptr);
  }
  if (msg == WM_NCDESTROY) {
    // The window is gone: every layer forgets it.
    if (TWindowSubclassChain* left = Of(wnd)) {
      for (TWindowSubclass* layer : left->layers) layer->wnd_ = nullptr;
      RemovePropA(wnd, kChainProp);
      SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      delete left;
    }
  }
  return m.Result;
}

void TWindowSubclass::Install(HWND wnd, const TWndMethod& method) {
  Remove();
  if (!wnd || !IsWindow(wnd)) return;
  TWindowSubclassChain* chain = TWindowSubclassChain::Of(wnd);
  if (!chain) {
    chain = new TWindowSubclassChain();
    SetPropA(wnd, kChainProp, chain);
    chain->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindowSubclassChain::Proc)));
  }
  method_ = method;
  wnd_ = wnd;
  chain->layers.push_back(this);
}

void TWindowSubclass::Remove() {
  if (!wnd_) return;
  HWND wnd = wnd_;
  wnd_ = nullptr;
  TWindowSubclassChain* chain = TWindowSubclassChain::Of(wnd);
  if (!chain) return;
  auto& layers = chain->layers;
  layers.erase(std::remove(layers.begin(), layers.end(), this), layers.end());
  TWindowSubclassChain::ReleaseIfEmpty(wnd, chain);
}

void TWindowSubclass::CallDefault(TMessage& m) {
  HWND wnd = wnd_;
  if (!wnd) return;
  TWindowSubclassChain* chain = TWindowSubclassChain::Of(wnd);
  if (!chain) {
    m.Result = DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
    return;
  }
  auto& layers = chain->layers;
  auto it = std::find(layers.begin(), layers.end(), this);
  chain->Pass(wnd, static_cast<int>(it - layers.begin()) - 1, m);
}

void TWindowSubclass::RemoveAndCallDefault(TMessage& m) {
  HWND wnd = wnd_;
  if (!wnd) return;
  TWindowSubclassChain* chain = TWindowSubclassChain::Of(wnd);
  if (!chain) {
    wnd_ = nullptr;
    m.Result = DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
    return;
  }
  auto& layers = chain->layers;
  const int below = static_cast<int>(std::find(layers.begin(), layers.end(), this) - layers.begin()) - 1;
  const WNDPROC original = chain->original;
  Remove();
  // The layers below keep their places; without any, the chain may be gone.
  if (TWindowSubclassChain* left = TWindowSubclassChain::Of(wnd))
    left->Pass(wnd, below, m);
  else
    m.Result = CallWindowProcA(original, wnd, m.Msg, m.WParam, m.LParam);
}
