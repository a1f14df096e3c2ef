// Hints: the application's hint timing, CM_HINTSHOW and the standard hint
// window.
#include "Forms.hpp"
#include "GraphicsScoped.hpp"

namespace {

// The hint text a control shows: its own, else its nearest parent's.
std::string EffectiveHint(TControl* control) {
  for (TControl* c = control; c; c = c->Parent())
    if (!c->Hint().empty()) return c->Hint();
  return "";
}

// The text the standard hint window draws: up to the first NUL byte.
std::string VisibleHintText(const std::string& hint) {
  size_t nul = hint.find('\0');
  return nul == std::string::npos ? hint : hint.substr(0, nul);
}
}  // namespace

std::string GetShortHint(const std::string& hint) {
  size_t nul = hint.find('\0');
  size_t bar = hint.find('|');
  if (bar == std::string::npos || (nul != std::string::npos && bar > nul)) return hint;
  return hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint) {
  size_t nul = hint.find('\0');
  size_t bar = hint.find('|');
  if (bar == std::string::npos || (nul != std::string::npos && bar > nul)) return hint;
  return hint.substr(bar + 1);
}

// ---------------------------------------------------------------------------
// THintWindow

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  color_ = clInfoBk;
  parentColor_ = false;
  parentFont_ = false;
  visible_ = false;
  if (Screen) font_->Assign(Screen->HintFont());
}

void THintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  p.WindowClass.style |= CS_SAVEBITS;
  p.WndParent = Application ? Application->Handle() : nullptr;
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::string& hint, void*) {
  std::string text = VisibleHintText(hint);
  RECT r{0, 0, maxWidth, 0};
  ScopedWindowDC dc(nullptr);
  HGDIOBJ old = SelectObject(dc.Get(), font_->Handle());
  DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc.Get(), old);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(RECT rect, const std::string& hint) {
  text_ = hint;
  // Keep the whole window on the screen.
  int sw = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  int sh = Screen ? Screen->Height() : GetSystemMetrics(SM_CYSCREEN);
  int w = rect.right - rect.left + 2, h = rect.bottom - rect.top + 2;
  int x = rect.left, y = rect.top;
  if (x + w > sw) x = sw - w;
  if (y + h > sh) y = sh - h;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  HandleNeeded();
  SetWindowTextA(handle_, VisibleHintText(hint).c_str());
  SetWindowPos(handle_, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  UpdateBounds();
  visible_ = true;
  Invalidate();
  Update();
}

void THintWindow::ReleaseHandle() {
  visible_ = false;
  if (handle_) ShowWindow(handle_, SW_HIDE);
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  Canvas()->Brush()->SetColor(color_);
  Canvas()->FillRect(r);
  r.left += 2;
  r.top += 2;
  Canvas()->Font()->SetColor(clInfoText);
  std::string text = VisibleHintText(text_);
  HDC dc = Canvas()->Handle();
  Canvas()->RequiredState({csHandleValid, csFontValid, csBrushValid});
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

void THintWindow::Dispatch(TMessage& m) {
  if (m.Msg == WM_NCHITTEST) {
    m.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::Dispatch(m);
}

bool THintWindow::IsHintMsg(const MSG& msg) const {
  switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_ACTIVATEAPP:
    case WM_KILLFOCUS: case WM_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// The application's side

void TApplication::SetShowHint(bool v) {
  if (showHint_ == v) return;
  showHint_ = v;
  if (!v) CancelHint();
}

void TApplication::SetHint(const std::string& v) {
  if (hint_ == v) return;
  hint_ = v;
  OnHint(this);
}

void TApplication::StartHintTimer(int pause) {
  StopHintTimer();
  SetTimer(Handle(), kHintTimer, static_cast<UINT>(pause > 0 ? pause : 1), nullptr);
  hintTimerRunning_ = true;
}

void TApplication::StopHintTimer() {
  if (hintTimerRunning_ && handle_) KillTimer(handle_, kHintTimer);
  hintTimerRunning_ = false;
}

// Called for every mouse move a control sees: a new control under the mouse
// starts the pause; leaving the cursor rectangle of a shown hint hides it.
void TApplication::HintMouseMessage(TControl* control, TMessage& m) {
  POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  POINT screen = control->ClientToScreen(p);
  TControl* target = FindDragTarget(screen, true);
  if (target) SetHint(GetLongHint(EffectiveHint(target)));
  else SetHint("");
  if (hintActive_) {
    if (target == hintControl_ && PtInRect(&hintCursorRect_, screen)) return;
    HideHint();
    hintControl_ = target;
    if (target && showHint_) StartHintTimer(hintShortPause_);
    return;
  }
  if (target == hintControl_) return;
  hintControl_ = target;
  StopHintTimer();
  if (target && showHint_ && target->ShowHint() && !EffectiveHint(target).empty())
    StartHintTimer(hintPause_);
}

void TApplication::HintTimerExpired() {
  StopHintTimer();
  if (!hintControl_) return;
  POINT p;
  GetCursorPos(&p);
  if (FindDragTarget(p, true) != hintControl_) {
    hintControl_ = nullptr;
    return;
  }
  ShowHintWindow();
}

bool TApplication::ShowHintWindow() {
  TControl* control = hintControl_;
  if (!control || !showHint_ || !control->ShowHint()) return false;
  POINT cursor;
  GetCursorPos(&cursor);
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = HintWindowClass;
  info.HintPos = POINT{cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  info.HintMaxWidth = Screen ? Screen->Width() : 640;
  info.HintColor = hintColor_;
  RECT cr = control->ClientRect();
  info.CursorRect = cr;
  info.CursorPos = control->ScreenToClient(cursor);
  info.HideTimeout = hintHidePause_;
  info.HintStr = GetShortHint(EffectiveHint(control));
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow) OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) return false;
  if (!hintWindow_ || (info.HintWindowClass && !hintWindow_->InheritsFrom(info.HintWindowClass))) {
    if (hintWindow_) hintWindow_->Free();
    TClass cls = info.HintWindowClass ? info.HintWindowClass : ClassOf<THintWindow>();
    TComponent* c = cls->CreateComponent ? cls->CreateComponent(this) : nullptr;
    hintWindow_ = dynamic_cast<THintWindow*>(c);
    if (!hintWindow_) {
      if (c) c->Free();
      hintWindow_ = new THintWindow(this);
    }
  }
  hintWindow_->SetColor(info.HintColor);
  RECT r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
  POINT o = control->ClientToScreen(POINT{info.CursorRect.left, info.CursorRect.top});
  hintCursorRect_ = RECT{o.x, o.y, o.x + info.CursorRect.right - info.CursorRect.left,
                         o.y + info.CursorRect.bottom - info.CursorRect.top};
  hintActive_ = true;
  if (info.HideTimeout > 0) {
    SetTimer(Handle(), kHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
    hideTimerRunning_ = true;
  }
  return true;
}

void TApplication::ActivateHint(POINT cursorPos) {
  hintControl_ = FindDragTarget(cursorPos, true);
  HideHint();
  if (hintControl_) ShowHintWindow();
}

void TApplication::HideHint() {
  if (hideTimerRunning_ && handle_) KillTimer(handle_, kHideTimer);
  hideTimerRunning_ = false;
  if (hintWindow_) hintWindow_->ReleaseHandle();
  hintActive_ = false;
}

void TApplication::CancelHint() {
  StopHintTimer();
  HideHint();
  hintControl_ = nullptr;
}

bool TApplication::IsHintMsg(const MSG& msg) {
  if (hintActive_ && hintWindow_ && hintWindow_->IsHintMsg(msg)) CancelHint();
  return false;
}
