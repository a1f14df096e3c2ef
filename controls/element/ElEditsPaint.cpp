// The edit's painting: the off-screen text, the backgrounds and the border.
#include <algorithm>

#include "ElEdits.hpp"
#include "ElTmSchema.hpp"
#include "GraphicsScoped.hpp"

namespace {

COLORREF Rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

TRect WindowRectAtOrigin(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return TRect{0, 0, r.right - r.left, r.bottom - r.top};
}

int RunWidth(HDC dc, const TElFString& text, int from, int to) {
  if (to <= from) return 0;
  SIZE size{};
  GetTextExtentPoint32W(dc, text.data() + from, to - from, &size);
  return size.cx;
}

}  // namespace

// ---------------------------------------------------------------- text area

void TCustomElEdit::Paint() {
  HDC dc = Canvas()->Handle();
  TRect area = TextAreaRect();
  int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  TElMemoryDC memory(dc);
  TElGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
  TElSelectObject selected(memory.Get(), bitmap.Get());
  PaintBackground(memory.Get(), dc, area);
  PaintText(memory.Get(), area);
  HWND wnd = HandleAllocated() ? Handle() : nullptr;
  if (caretCreated_) HideCaret(wnd);
  BitBlt(dc, area.left, area.top, width, height, memory.Get(), 0, 0, SRCCOPY);
  if (caretCreated_) ShowCaret(wnd);
  if (ScrollBars() == ssBoth && BarShown(vertBar_) && BarShown(horzBar_)) {
    RECT client = ClientRect();
    RECT corner{area.right, area.bottom, client.right, client.bottom};
    TElGdiObject<HBRUSH> brush(CreateSolidBrush(Rgb(vertBar_->Color())));
    FillRect(dc, &corner, brush.Get());
  }
}

// A transparent edit and one on an image form show what the background
// erase already put on the screen; otherwise the background is the tiled
// picture or the colour.
void TCustomElEdit::PaintBackground(HDC dc, HDC screen, const TRect& area) {
  int width = area.right - area.left, height = area.bottom - area.top;
  if (transparent_ || ShowsImageForm()) {
    BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    return;
  }
  if (useBackground_ && !background_->Empty()) {
    HDC picture = background_->Canvas()->Handle();
    int w = background_->Width(), h = background_->Height();
    for (int y = 0; y < height; y += h)
      for (int x = 0; x < width; x += w) BitBlt(dc, x, y, w, h, picture, 0, 0, SRCCOPY);
    return;
  }
  RECT r{0, 0, width, height};
  TElGdiObject<HBRUSH> brush(CreateSolidBrush(Rgb(Color())));
  FillRect(dc, &r, brush.Get());
}

// Every visible line, bottom-aligned, in up to three runs: before the
// selection, the selection on its highlight, and after it.
void TCustomElEdit::PaintText(HDC dc, const TRect& area) {
  TElSavedDC saved(dc);
  SetViewportOrgEx(dc, -area.left, -area.top, nullptr);
  const TRect& edit = EditRect();
  IntersectClipRect(dc, edit.left + LeftMargin(), edit.top, edit.right - RightMargin(), edit.bottom);
  SelectObject(dc, Font()->Handle());
  SetTextAlign(dc, TA_BOTTOM | TA_LEFT);
  SetBkMode(dc, TRANSPARENT);
  TColor textColor = (!Enabled() && changeDisabledText_) ? clGrayText : Font()->Color();
  int lineHeight = LineHeight();
  for (const TElEditPaintLine& line : core_->PaintLines()) {
    const TElFString& text = line.Text;
    int length = static_cast<int>(text.size());
    int selStart = std::clamp(line.SelStart, 0, length), selEnd = std::clamp(line.SelEnd, selStart, length);
    int x = line.X;
    SetTextColor(dc, Rgb(textColor));
    ExtTextOutW(dc, x, line.Bottom, 0, nullptr, text.data(), static_cast<UINT>(selStart), nullptr);
    x += RunWidth(dc, text, 0, selStart);
    if (selEnd > selStart) {
      int w = RunWidth(dc, text, selStart, selEnd);
      RECT cell{x, line.Bottom - lineHeight, x + w, line.Bottom};
      SetTextColor(dc, Rgb(clHighlightText));
      SetBkColor(dc, Rgb(clHighlight));
      ExtTextOutW(dc, x, line.Bottom, ETO_OPAQUE, &cell, text.data() + selStart,
                  static_cast<UINT>(selEnd - selStart), nullptr);
      x += w;
      SetTextColor(dc, Rgb(textColor));
    }
    if (selEnd < length)
      ExtTextOutW(dc, x, line.Bottom, 0, nullptr, text.data() + selEnd, static_cast<UINT>(length - selEnd), nullptr);
  }
}

// ---------------------------------------------------------------- background erase

void TCustomElEdit::WMEraseBkgnd(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (imageForm_ && imageForm_->GetRealControl() == this) {
    // The image form's hook on the edit itself has painted the background.
  } else if (ShowsImageForm()) {
    PaintImageFormBackground(dc);
  } else if (transparent_ && !IsThemeApplied() && parent_) {
    TElSavedDC saved(dc);
    const TRect& edit = EditRect();
    IntersectClipRect(dc, edit.left, edit.top, edit.right, edit.bottom);
    parent_->PaintControlsBackground(dc, this);
  } else if (IsThemeApplied()) {
    RECT r = ClientRect();
    DrawThemeBackground(Theme(), dc, EP_EDITTEXT, ThemeState(), &r, nullptr);
  }
  m.Result = 1;
}

// The part of the form's background under the edit's client area.
void TCustomElEdit::PaintImageFormBackground(HDC dc) {
  TWinControl* real = imageForm_->GetRealControl();
  if (!real || !real->HandleAllocated()) return;
  RECT client = ClientRect();
  POINT origin{0, 0};
  MapWindowPoints(Handle(), real->Handle(), &origin, 1);
  imageForm_->PaintBkgnd(dc, TRect{client.left, client.top, client.right, client.bottom}, false,
                         TPoint{origin.x, origin.y});
}

int TCustomElEdit::ThemeState() {
  if (!Enabled()) return ETS_DISABLED;
  if (Focused()) return ETS_FOCUSED;
  if (ReadOnly()) return ETS_READONLY;
  return ETS_NORMAL;
}

// ---------------------------------------------------------------- non-client area

void TCustomElEdit::WMNCCalcSize(TMessage& m) {
  RECT* r = reinterpret_cast<RECT*>(m.LParam);
  bool single = borderStyle_ == bsSingle;
  bool customBars = useCustomScrollBars_ && Multiline();
  int ex = GetSystemMetrics(SM_CXEDGE), ey = GetSystemMetrics(SM_CYEDGE);
  auto narrow = [&] {
    if (borderSides_.Contains(ebsLeft)) r->left += ex;
    if (borderSides_.Contains(ebsTop)) r->top += ey;
    if (borderSides_.Contains(ebsRight)) r->right -= ex;
    if (borderSides_.Contains(ebsBottom)) r->bottom -= ey;
  };
  if (!(single && flat_ && !IsThemeApplied())) {
    if (!customBars) {
      RECT window = *r;
      TElXPThemedControl::Dispatch(m);
      // A side without a border gets its edge back, never more than the
      // default area took from it (a plain one-pixel border is narrower).
      if (!borderSides_.Contains(ebsLeft)) r->left -= std::min<LONG>(ex, r->left - window.left);
      if (!borderSides_.Contains(ebsTop)) r->top -= std::min<LONG>(ey, r->top - window.top);
      if (!borderSides_.Contains(ebsRight)) r->right += std::min<LONG>(ex, window.right - r->right);
      if (!borderSides_.Contains(ebsBottom)) r->bottom += std::min<LONG>(ey, window.bottom - r->bottom);
    } else if (single) {
      narrow();
    }
  } else {
    if (!customBars) TElXPThemedControl::Dispatch(m);
    narrow();
  }
  m.Result = 0;
}

void TCustomElEdit::WMNCPaint(TMessage& m) {
  bool single = borderStyle_ == bsSingle;
  bool customBars = useCustomScrollBars_ && Multiline();
  if (!single) {
    TElXPThemedControl::Dispatch(m);
    return;
  }
  if (!(flat_ && customBars)) TElXPThemedControl::Dispatch(m);
  if (IsThemeApplied()) {
    ScopedWindowDC dc(Handle(), true);
    DrawThemedBorder(dc.Get(), WindowRectAtOrigin(Handle()));
  } else if (flat_ || customBars) {
    DrawBorder();
    m.Result = 0;
  }
}

TElFlatBorderType TCustomElEdit::CurrentBorderType() {
  if (!flat_) return fbtSunken;
  return (Focused() || mouseInside_) ? activeBorderType_ : inactiveBorderType_;
}

// Whether the edit, not the window, draws its border.
bool TCustomElEdit::OwnBorderDrawn() {
  return borderStyle_ == bsSingle && !IsThemeApplied() && (flat_ || (useCustomScrollBars_ && Multiline()));
}

void TCustomElEdit::DrawBorder() {
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  if (IsThemeApplied()) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    return;
  }
  ScopedWindowDC dc(wnd, true);
  TRect window = WindowRectAtOrigin(wnd);
  if (OwnBorderDrawn()) DrawOwnBorder(dc.Get(), window);
  LONG style = GetWindowLongA(wnd, GWL_STYLE);
  bool windowBars = (style & (WS_VSCROLL | WS_HSCROLL)) != 0;
  if (windowBars && flat_ && (flatFocusedScrollBars_ || (!Focused() && !mouseInside_)))
    DrawFlatScrollbars(wnd, dc.Get(), window, static_cast<DWORD>(GetWindowLongA(wnd, GWL_EXSTYLE)),
                       static_cast<DWORD>(style), false, false, ScrollBars());
}

// The line-colour border is one pixel of the line colour with the edit's
// colour inside it.
void TCustomElEdit::DrawOwnBorder(HDC dc, const TRect& window) {
  bool active = Focused() || mouseInside_;
  TColor lineColor = active ? lineBorderActiveColor_ : lineBorderInactiveColor_;
  TElFlatBorderType type = CurrentBorderType();
  if (type != fbtColorLineBorder) {
    DrawFlatFrameEx2(dc, window, lineColor, type, borderSides_, active);
    return;
  }
  TRect inner;
  DrawFrameLines(dc, window, lineColor, lineColor, borderSides_, inner);
  TRect rest;
  DrawFrameLines(dc, inner, Color(), Color(), borderSides_, rest);
}

// The theme's edit frame around the client area and the window's bars.
void TCustomElEdit::DrawThemedBorder(HDC dc, const TRect& window) {
  HWND wnd = Handle();
  RECT client = ClientRectInWindow(wnd);
  LONG style = GetWindowLongA(wnd, GWL_STYLE);
  if (style & WS_VSCROLL) client.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) client.bottom += GetSystemMetrics(SM_CYHSCROLL);
  TElSavedDC saved(dc);
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  RECT r = window;
  DrawThemeBackground(Theme(), dc, EP_EDITTEXT, ThemeState(), &r, nullptr);
}

void TCustomElEdit::RepaintBorderIfFlat() {
  if (flat_ && !IsThemeApplied()) DrawBorder();
}
