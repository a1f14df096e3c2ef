// TWinControl's frame (border width and bevels in the non-client area) and
// painting: the background, WM_PAINT with or without a given context, double
// buffering, graphic children, and painting into another context.
#include <algorithm>

#include "Controls.hpp"
#include "GraphicsScoped.hpp"

namespace {
void MoveWindowOrg(HDC dc, int dx, int dy) {
  POINT org;
  GetWindowOrgEx(dc, &org);
  SetWindowOrgEx(dc, org.x - dx, org.y - dy, nullptr);
}
}  // namespace

// ---------------------------------------------------------------------------
// Frame: border width and bevels live in the non-client area.

void TWinControl::WMNCCalcSize(TWMNCCalcSize& m) {
  DefaultHandler(m);
  RECT* r = m.Rect();
  RECT edges = FrameEdges();
  r->left += edges.left;
  r->top += edges.top;
  r->right -= edges.right;
  r->bottom -= edges.bottom;
}

void TWinControl::WMNCPaint(TMessage& m) {
  DefaultHandler(m);
  if (borderWidth_ == 0 && bevelKind_ == bkNone) return;
  ScopedWindowDC dc(handle_, true);
  RECT rc, rw;
  GetClientRect(handle_, &rc);
  GetWindowRect(handle_, &rw);
  MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&rw), 2);
  OffsetRect(&rc, -rw.left, -rw.top);
  OffsetRect(&rw, -rw.left, -rw.top);
  ExcludeClipRect(dc.Get(), rc.left, rc.top, rc.right, rc.bottom);
  if (bevelKind_ != bkNone) {
    // The bevels lie just outside the client area and the border width.
    RECT edges = FrameEdges();
    RECT edge{rc.left - edges.left, rc.top - edges.top, rc.right + edges.right, rc.bottom + edges.bottom};
    DrawEdge(dc.Get(), &edge, BevelInnerStyles[bevelInner_] | BevelOuterStyles[bevelOuter_],
             BevelEdgeFlags(bevelEdges_) | BevelKindStyles[bevelKind_] | Ctl3DStyles[ctl3D_ ? 1 : 0] | BF_ADJUST);
    rw = edge;
  }
  // The border width between them is the control's colour.
  IntersectClipRect(dc.Get(), rw.left, rw.top, rw.right, rw.bottom);
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color_))));
  FillRect(dc.Get(), &rw, brush.Get());
}

void TWinControl::SetBorderWidth(int v) {
  if (borderWidth_ == v) return;
  borderWidth_ = v;
  if (handle_) SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  Realign();
}
void TWinControl::SetCtl3D(bool v) {
  if (ctl3D_ == v) return;
  ctl3D_ = v;
  parentCtl3D_ = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
  NotifyControls(CM_PARENTCTL3DCHANGED);
}
void TWinControl::SetParentCtl3D(bool v) {
  if (parentCtl3D_ == v) return;
  parentCtl3D_ = v;
  if (v && parent_ && !ComponentState().Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (!parentCtl3D_ || !parent_) return;
  SetCtl3D(parent_->ctl3D_);
  parentCtl3D_ = true;  // SetCtl3D cleared it
}
namespace {
void FrameChanged(TWinControl* c, HWND wnd) {
  if (wnd) SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  c->Realign();
}
}  // namespace
void TWinControl::SetBevelEdges(TBevelEdges v) { bevelEdges_ = v; FrameChanged(this, handle_); }
void TWinControl::SetBevelInner(TBevelCut v) { bevelInner_ = v; FrameChanged(this, handle_); }
void TWinControl::SetBevelOuter(TBevelCut v) { bevelOuter_ = v; FrameChanged(this, handle_); }
void TWinControl::SetBevelKind(TBevelKind v) { bevelKind_ = v; FrameChanged(this, handle_); }
void TWinControl::SetBevelWidth(int v) { bevelWidth_ = v > 0 ? v : 1; FrameChanged(this, handle_); }

// ---------------------------------------------------------------------------
// Painting

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& m) {
  RECT r = ClientRect();
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color_))));
  FillRect(m.DC(), &r, brush.Get());
  m.Result = 1;
}

// A DC in wParam means: paint into it as it is, without BeginPaint, keeping
// its window origin and clip box.
void TWinControl::WMPaint(TWMPaint& m) {
  if (m.DC() || !doubleBuffered_) {
    PaintHandler(m);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  try {
    RECT cr = ClientRect();
    ScopedGdiObject<HBITMAP> bmp(
        CreateCompatibleBitmap(dc, std::max<LONG>(cr.right, 1), std::max<LONG>(cr.bottom, 1)));
    ScopedMemoryDC mem(bmp.Get(), dc);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem.Get()), reinterpret_cast<LPARAM>(mem.Get()));
    TMessage inner;
    inner.Msg = WM_PAINT;
    inner.WParam = reinterpret_cast<WPARAM>(mem.Get());
    PaintHandler(MessageAs<TWMPaint>(inner));
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, mem.Get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  } catch (...) {
    EndPaint(handle_, &ps);
    throw;
  }
  EndPaint(handle_, &ps);
}

void TWinControl::PaintHandler(TWMPaint& m) {
  HDC dc = m.DC();
  PAINTSTRUCT ps;
  if (!dc) dc = BeginPaint(handle_, &ps);
  try {
    int saved = SaveDC(dc);
    // Opaque graphic children paint over the window, so it skips them.
    for (TControl* c : controls_) {
      if (dynamic_cast<TWinControl*>(c) || !c->visible_ || !c->controlStyle_.Contains(csOpaque)) continue;
      ExcludeClipRect(dc, c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_);
    }
    PaintWindow(dc);
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
  } catch (...) {
    if (!m.DC()) EndPaint(handle_, &ps);
    throw;
  }
  if (!m.DC()) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = reinterpret_cast<WPARAM>(dc);
  DefaultHandler(m);
}

// Graphic children in z-order, each on the same DC with its origin moved to
// the child and clipped to it. Starts above `first` when given.
void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = controls_.begin();
  if (first) {
    it = std::find(controls_.begin(), controls_.end(), first);
    if (it != controls_.end()) ++it;
  }
  RECT clip;
  GetClipBox(dc, &clip);
  std::vector<TControl*> list(it, controls_.end());
  for (TControl* c : list) {
    if (dynamic_cast<TWinControl*>(c) || !c->visible_) continue;
    RECT b = c->BoundsRect(), x;
    if (!IntersectRect(&x, &b, &clip)) continue;
    int saved = SaveDC(dc);
    MoveWindowOrg(dc, c->left_, c->top_);
    IntersectClipRect(dc, 0, 0, c->width_, c->height_);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintControlsBackground(HDC dc, TControl* child) {
  int saved = SaveDC(dc);
  if (child) MoveWindowOrg(dc, -child->left_, -child->top_);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  PaintWindow(dc);
  // Graphic controls below the child only.
  for (TControl* c : controls_) {
    if (c == child) break;
    if (dynamic_cast<TWinControl*>(c) || !c->visible_) continue;
    int s = SaveDC(dc);
    MoveWindowOrg(dc, c->left_, c->top_);
    IntersectClipRect(dc, 0, 0, c->width_, c->height_);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, s);
  }
  RestoreDC(dc, saved);
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  controlState_.Include(csPaintCopy);
  int saved = SaveDC(dc);
  MoveWindowOrg(dc, x, y);
  IntersectClipRect(dc, 0, 0, width_, height_);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->visible_) w->PaintTo(dc, w->left_, w->top_);
  }
  RestoreDC(dc, saved);
  controlState_.Exclude(csPaintCopy);
}
