// The control canvas with its contexts on demand, the canvas binding, and the
// two painted control kinds: TGraphicControl and TCustomControl.
#include <algorithm>
#include <vector>

#include "Controls.hpp"

namespace {

// Canvases holding a context taken on demand, oldest first. Windows keeps
// few common contexts (five on Windows 9x), so only a few are held at once.
constexpr size_t kMaxHeldContexts = 4;

std::vector<TControlCanvas*>& HeldCanvases() {
  static std::vector<TControlCanvas*> canvases;
  return canvases;
}

}  // namespace

// ---------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* control) {
  if (control_ == control) return;
  FreeHandle();
  control_ = control;
}

void TControlCanvas::CreateHandle() {
  if (!control_ || ownDC_) return;
  auto& held = HeldCanvases();
  if (held.size() >= kMaxHeldContexts) held.front()->FreeHandle();
  HWND wnd = nullptr;
  bool graphic = false;
  if (auto* win = dynamic_cast<TWinControl*>(control_)) {
    if (win->HandleAllocated()) wnd = win->Handle();
  } else if (control_->Parent() && control_->Parent()->HandleAllocated()) {
    wnd = control_->Parent()->Handle();
    graphic = true;
  }
  HDC dc = wnd ? GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN)
               : CreateCompatibleDC(nullptr);
  if (!dc) return;  // RequiredState reports that the canvas cannot draw
  if (graphic) {
    SetViewportOrgEx(dc, control_->Left(), control_->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
  }
  ownDC_ = dc;
  ownWnd_ = wnd;
  held.push_back(this);
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  if (!ownDC_) return;
  HDC dc = ownDC_;
  HWND wnd = ownWnd_;
  ownDC_ = nullptr;
  ownWnd_ = nullptr;
  auto& held = HeldCanvases();
  held.erase(std::remove(held.begin(), held.end(), this), held.end());
  Lock();
  SetHandle(nullptr);
  Unlock();
  if (wnd) ReleaseDC(wnd, dc);
  else DeleteDC(dc);
}

void TControlCanvas::FreeAllHandles() {
  while (!HeldCanvases().empty()) HeldCanvases().back()->FreeHandle();
}

void TControlCanvas::FreeHandlesOf(HWND wnd) {
  std::vector<TControlCanvas*> copy = HeldCanvases();
  for (TControlCanvas* canvas : copy)
    if (canvas->ownWnd_ == wnd) canvas->FreeHandle();
}

// ---------------------------------------------------------------------------
// TCanvasBinding

TCanvasBinding::TCanvasBinding(TCanvas* canvas, HDC dc) : canvas_(canvas) {
  if (auto* control = dynamic_cast<TControlCanvas*>(canvas)) control->FreeHandle();
  canvas_->Lock();
  previous_ = canvas_->HandleAllocated() ? canvas_->Handle() : nullptr;
  canvas_->SetHandle(dc);
}

TCanvasBinding::~TCanvasBinding() {
  canvas_->SetHandle(previous_);
  canvas_->Unlock();
}

// ---------------------------------------------------------------------------
// TGraphicControl and TCustomControl

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& m) {
  if (m.Msg == WM_PAINT) {
    WMPaint(MessageAs<TWMPaint>(m));
    return;
  }
  TControl::Dispatch(m);
}

void TGraphicControl::WMPaint(TWMPaint& m) {
  if (!m.DC()) return;
  TCanvasBinding binding(canvas_.get(), m.DC());
  canvas_->Font()->Assign(font_.get());
  Paint();
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Dispatch(TMessage& m) { TWinControl::Dispatch(m); }

void TCustomControl::PaintWindow(HDC dc) {
  TCanvasBinding binding(canvas_.get(), dc);
  canvas_->Font()->Assign(font_.get());
  canvas_->Brush()->SetColor(color_);
  Paint();
}
