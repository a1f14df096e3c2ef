#include "ElXPThemedControl.hpp"

#include "GraphicsScoped.hpp"

TElXPThemedControl::TElXPThemedControl(TComponent* owner) : TCustomControl(owner) {}

void TElXPThemedControl::CreateThemeHandle() {
  if (!ThemesAvailable) {
    theme_.Close();
    return;
  }
  TElFString name;
  GetThemedClassName(name);
  theme_.Open(Handle(), name.c_str());
}

void TElXPThemedControl::FreeThemeHandle() { theme_.Close(); }

void TElXPThemedControl::CreateWnd() {
  TCustomControl::CreateWnd();
  if (useXPThemes_ && !IsThemeApplied()) CreateThemeHandle();
}

void TElXPThemedControl::DestroyWnd() {
  TCustomControl::DestroyWnd();
  if (theme_) FreeThemeHandle();
}

void TElXPThemedControl::SetUseXPThemes(bool value) {
  if (useXPThemes_ == value) return;
  useXPThemes_ = value;
  if (!ThemesAvailable || !HandleAllocated() || ComponentState().Contains(csDestroying)) return;
  if (value)
    CreateThemeHandle();
  else
    FreeThemeHandle();
  // Style bits and the non-client area follow the new setting.
  RecreateWnd();
}

void TElXPThemedControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCPAINT: WMNCPaint(m); return;
    case WM_THEMECHANGED: WMThemeChanged(m); return;
    default: TCustomControl::Dispatch(m);
  }
}

// The client rectangle in window coordinates.
RECT ClientRectInWindow(HWND wnd) {
  RECT rc, rw;
  GetClientRect(wnd, &rc);
  MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
  GetWindowRect(wnd, &rw);
  OffsetRect(&rc, -rw.left, -rw.top);
  return rc;
}

void TElXPThemedControl::WMNCPaint(TMessage& m) {
  if (!IsThemeApplied()) {
    TCustomControl::Dispatch(m);
    return;
  }
  if (BevelKind() == bkNone && BorderWidth() == 0) {
    DefaultHandler(m);
    return;
  }
  HWND wnd = Handle();
  {
    ScopedWindowDC dc(wnd, true);
    RECT client = ClientRectInWindow(wnd);
    ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
    RECT outer = client;
    InflateRect(&outer, BorderWidth(), BorderWidth());
    RECT content = outer;
    if (BevelKind() != bkNone) {
      int edge = (BevelInner() != bvNone ? BevelWidth() : 0) + (BevelOuter() != bvNone ? BevelWidth() : 0);
      TBevelEdges edges = BevelEdges();
      if (edges.Contains(beLeft)) outer.left -= edge;
      if (edges.Contains(beTop)) outer.top -= edge;
      if (edges.Contains(beRight)) outer.right += edge;
      if (edges.Contains(beBottom)) outer.bottom += edge;
      LONG style = GetWindowLongA(wnd, GWL_STYLE);
      if (style & WS_VSCROLL) outer.right += GetSystemMetrics(SM_CXVSCROLL);
      if (style & WS_HSCROLL) outer.bottom += GetSystemMetrics(SM_CYHSCROLL);
      content = outer;
      DrawThemeEdge(theme_.Get(), dc.Get(), 0, 0, &outer,
                    BevelInnerStyles[BevelInner()] | BevelOuterStyles[BevelOuter()],
                    BevelEdgeFlags(edges) | BevelKindStyles[BevelKind()] | Ctl3DStyles[Ctl3D() ? 1 : 0] |
                        BF_ADJUST,
                    &content);
    }
    IntersectClipRect(dc.Get(), outer.left, outer.top, outer.right, outer.bottom);
    DrawThemeBackground(theme_.Get(), dc.Get(), 0, 0, &content, nullptr);
  }
  DefaultHandler(m);
}

void TElXPThemedControl::WMThemeChanged(TMessage& m) {
  if (ThemesAvailable && useXPThemes_) {
    FreeThemeHandle();
    CreateThemeHandle();
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
  }
  m.Result = 1;
}
