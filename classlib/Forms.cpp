// TCustomForm: top-level windows read from their form resources, focus
// tracking, closing and release.
#include "Forms.hpp"

#include <algorithm>

#include "WinApi.hpp"
#include "Streaming.hpp"

namespace {
const DWORD kBorderStyles[] = {WS_POPUP, WS_CAPTION | WS_BORDER, WS_CAPTION | WS_THICKFRAME,
                               DS_MODALFRAME | WS_CAPTION | WS_DLGFRAME, WS_CAPTION | WS_BORDER,
                               WS_CAPTION | WS_THICKFRAME};
const DWORD kBorderExStyles[] = {0, 0, 0, WS_EX_DLGMODALFRAME, WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW};
}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) { InitForm(); }

TCustomForm::TCustomForm(TComponent* owner, int) : TWinControl(owner) { InitForm(); }

void TCustomForm::InitForm() {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  visible_ = false;
  parentColor_ = false;
  parentFont_ = false;
  parentShowHint_ = false;
  color_ = clBtnFace;
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::BeforeDestruction() {
  if (Application) Application->FormDestroying(this);
  try {
    OnDestroy(this);
  } catch (...) {
    HandleCallbackException(this);
  }
  if (Screen) Screen->RemoveForm(this);
  TWinControl::BeforeDestruction();
}

void TCustomForm::ReadFormResource() {
  if (resourceRead_) return;
  resourceRead_ = true;
  InitInheritedComponent(this, ClassOf<TForm>());
}

// A form stored as visible shows once it is read and created.
void TCustomForm::AfterConstruction() {
  ReadFormResource();
  DoCreate();
  if (visible_ && !parent_) UpdateShowing();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (borderStyle_ == v) return;
  borderStyle_ = v;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
  if (borderIcons_ == v) return;
  borderIcons_ = v;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle v) {
  if (formStyle_ == v) return;
  formStyle_ = v;
  if (handle_)
    SetWindowPos(handle_, v == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState v) {
  windowState_ = v;
  if (handle_ && visible_)
    ShowWindow(handle_, v == wsMinimized ? SW_MINIMIZE : v == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WindowClass.style = CS_DBLCLKS;
  if (parent_) return;  // a form docked into another control is a child window
  p.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP | WS_VISIBLE);
  p.ExStyle &= ~WS_EX_CONTROLPARENT;
  p.Style |= WS_CLIPCHILDREN | kBorderStyles[borderStyle_];
  p.ExStyle |= kBorderExStyles[borderStyle_];
  if (borderStyle_ != bsNone) {
    if (borderIcons_.Contains(biSystemMenu)) p.Style |= WS_SYSMENU;
    if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
      if (borderIcons_.Contains(biMinimize)) p.Style |= WS_MINIMIZEBOX;
      if (borderIcons_.Contains(biMaximize)) p.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (formStyle_ == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  p.WndParent = parentWindow_ ? parentWindow_ : (Application ? Application->Handle() : nullptr);
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (loadClientWidth_ >= 0 || loadClientHeight_ >= 0) {
    int w = loadClientWidth_, h = loadClientHeight_;
    loadClientWidth_ = loadClientHeight_ = -1;
    SetClientSize(w >= 0 ? w : ClientWidth(), h >= 0 ? h : ClientHeight());
  }
}

// The frame around the client area as the window would have it.
RECT TCustomForm::FrameInsets() const {
  if (handle_) {
    RECT w, c;
    GetWindowRect(handle_, &w);
    GetClientRect(handle_, &c);
    POINT o{0, 0};
    ::ClientToScreen(handle_, &o);
    return RECT{o.x - w.left, o.y - w.top, w.right - (o.x + c.right), w.bottom - (o.y + c.bottom)};
  }
  TCreateParams p;
  const_cast<TCustomForm*>(this)->CreateParamsNoHandle(p);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
  RECT insets{-r.left, -r.top, r.right, r.bottom};
  insets.left += borderWidth_;
  insets.top += borderWidth_;
  insets.right += borderWidth_;
  insets.bottom += borderWidth_;
  return insets;
}

// The styles of CreateParams without creating the owner window on the way.
void TCustomForm::CreateParamsNoHandle(TCreateParams& p) {
  p = TCreateParams{};
  if (parent_) {
    p.Style = WS_CHILD;
    return;
  }
  p.Style = kBorderStyles[borderStyle_];
  p.ExStyle = kBorderExStyles[borderStyle_];
}

RECT TCustomForm::ClientRect() const {
  if (handle_) return TWinControl::ClientRect();
  RECT in = FrameInsets();
  RECT r{0, 0, std::max<LONG>(0, width_ - in.left - in.right), std::max<LONG>(0, height_ - in.top - in.bottom)};
  if (loadClientWidth_ >= 0) r.right = loadClientWidth_;
  if (loadClientHeight_ >= 0) r.bottom = loadClientHeight_;
  return r;
}

void TCustomForm::SetClientSize(int width, int height) {
  if (ComponentState().Contains(csLoading) && !handle_) {
    // The border style may still change while the form is read.
    RECT cur = ClientRect();
    if (width != cur.right) loadClientWidth_ = width;
    if (height != cur.bottom) loadClientHeight_ = height;
    return;
  }
  RECT in = FrameInsets();
  SetBounds(left_, top_, width + in.left + in.right, height + in.top + in.bottom);
}

POINT TCustomForm::ClientOrigin() const {
  if (handle_ || parent_) return TWinControl::ClientOrigin();
  RECT in = FrameInsets();
  return POINT{left_ + in.left, top_ + in.top};
}

void TCustomForm::Loaded() {
  if (loadClientWidth_ >= 0 || loadClientHeight_ >= 0) {
    int w = loadClientWidth_, h = loadClientHeight_;
    loadClientWidth_ = loadClientHeight_ = -1;
    RECT in = FrameInsets();
    RECT cur = ClientRect();
    width_ = (w >= 0 ? w : cur.right) + in.left + in.right;
    height_ = (h >= 0 ? h : cur.bottom) + in.top + in.bottom;
  }
  TWinControl::Loaded();
}

// ---------------------------------------------------------------------------
// Showing

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::ApplyPosition() {
  if (positioned_) return;
  positioned_ = true;
  int x = left_, y = top_;
  TCustomForm* center = nullptr;
  switch (position_) {
    case poScreenCenter:
      x = (Screen->Width() - width_) / 2;
      y = (Screen->Height() - height_) / 2;
      break;
    case poDesktopCenter:
      x = Screen->DesktopLeft() + (Screen->DesktopWidth() - width_) / 2;
      y = Screen->DesktopTop() + (Screen->DesktopHeight() - height_) / 2;
      break;
    case poMainFormCenter:
    case poOwnerFormCenter:
      center = Application ? Application->MainForm() : nullptr;
      if (position_ == poOwnerFormCenter && dynamic_cast<TCustomForm*>(Owner()))
        center = static_cast<TCustomForm*>(Owner());
      // Centring over itself changes nothing, so a placement the program
      // made (a negative Left on a narrow screen, say) stands.
      if (center && center != this) {
        x = center->left_ + (center->width_ - width_) / 2;
        y = center->top_ + (center->height_ - height_) / 2;
      } else if (!center) {
        x = (Screen->Width() - width_) / 2;
        y = (Screen->Height() - height_) / 2;
      }
      break;
    default: break;
  }
  if (x != left_ || y != top_) SetBounds(x, y, width_, height_);
}

void TCustomForm::UpdateShowing() {
  if (ComponentState().Contains(csLoading) && !parent_) return;
  if (parent_) {
    TWinControl::UpdateShowing();
    return;
  }
  if (visible_) {
    HandleNeeded();
    ApplyPosition();
    DoShow();
    int cmd = windowState_ == wsMinimized ? SW_SHOWMINIMIZED : windowState_ == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    ShowWindow(handle_, cmd);
    if (Application && Application->MainForm() == this) Application->MainFormShown();
    if (activeControl_ && activeControl_->CanFocus() && activeControl_->HandleAllocated())
      ::SetFocus(activeControl_->Handle());
  } else if (handle_) {
    DoHide();
    ShowWindow(handle_, SW_HIDE);
  }
}

void TCustomForm::SetFocus() {
  if (!handle_ || !visible_ || !enabled_)
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(handle_);
}

// ---------------------------------------------------------------------------
// Focus tracking

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control && !ContainsControl(control))
    throw EInvalidOperation("Invalid active control");
  activeControl_ = control;
  if (control && handle_ && visible_ && control->CanFocus()) control->SetFocus();
}

void TCustomForm::FocusControl(TWinControl* control) {
  activeControl_ = control;
  if (!handle_ || !IsWindowVisible(handle_)) return;
  if (control && control->CanFocus()) ::SetFocus(control->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (focusedControl_ == control) return true;
  if (control != this) activeControl_ = control;
  TWinControl* old = focusedControl_;
  focusedControl_ = control;
  // Exit from the old control up to the first one that contains the new.
  TWinControl* c = old;
  while (c && c != this && !c->ContainsControl(control)) {
    c->Perform(CM_EXIT, 0, 0);
    if (focusedControl_ != control) return false;
    c = c->Parent();
  }
  // Enter from below that common ancestor down to the new control.
  std::vector<TWinControl*> chain;
  for (TWinControl* e = control; e && e != c && e != this; e = e->Parent()) chain.push_back(e);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    (*it)->Perform(CM_ENTER, 0, 0);
    if (focusedControl_ != control) return false;
  }
  return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && control->ContainsControl(focusedControl_)) focusedControl_ = control->Parent();
  if (control->ContainsControl(activeControl_)) activeControl_ = nullptr;
  if (focusedControl_ == this) focusedControl_ = nullptr;
}

void TCustomForm::SendCancelMode(TControl* sender) {
  if (!Active()) return;
  TControl* capture = GetCaptureControl();
  if (capture && capture != sender) capture->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
}

// ---------------------------------------------------------------------------
// Closing and release

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else Release();
}

void TCustomForm::Release() {
  if (Application) Application->QueueRelease(this);
}

void TCustomForm::CMRelease(TMessage&) { Free(); }

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMActivate(TMessage& m) {
  bool nowActive = LOWORD(m.WParam) != WA_INACTIVE;
  DefaultHandler(m);
  if (nowActive == active_) return;
  active_ = nowActive;
  if (active_) {
    if (Screen) Screen->activeForm_ = this;
    if (activeControl_ && activeControl_->HandleAllocated() && activeControl_->CanFocus())
      ::SetFocus(activeControl_->Handle());
    Perform(CM_ACTIVATE, 0, 0);
    Activate();
  } else {
    Perform(CM_DEACTIVATE, 0, 0);
    Deactivate();
  }
}

namespace {
// Every control of a form hears of the form's activation, at every depth. A
// form docked inside passes it on to its own controls itself. The list is
// read again for each control: a handler may free one.
void PassOnToControls(TWinControl* parent, UINT msg) {
  std::vector<TControl*> controls;
  for (int i = 0; i < parent->ControlCount(); ++i) controls.push_back(parent->Controls(i));
  for (TControl* c : controls) {
    bool present = false;
    for (int i = 0; i < parent->ControlCount() && !present; ++i) present = parent->Controls(i) == c;
    if (!present) continue;
    c->Perform(msg, 0, 0);
    auto* win = dynamic_cast<TWinControl*>(c);
    if (win && !dynamic_cast<TCustomForm*>(win)) PassOnToControls(win, msg);
  }
}
}  // namespace

// The key of Alt+key on a secondary form is a menu key of the main form: the
// application hands it there.
void TCustomForm::CMAppSysCommand(TMessage& m) {
  m.Result = 0;
  const auto* command = reinterpret_cast<const TMessage*>(m.LParam);
  if (!command || !Application) return;
  SendCancelMode(nullptr);
  m.Result = SendMessageA(Application->Handle(), CM_APPSYSCOMMAND, command->WParam, command->LParam);
}

void TCustomForm::WMGetMinMaxInfo(TMessage& m) {
  DefaultHandler(m);
  auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
  if (constraints_->MinWidth() > 0) info->ptMinTrackSize.x = constraints_->MinWidth();
  if (constraints_->MinHeight() > 0) info->ptMinTrackSize.y = constraints_->MinHeight();
  if (constraints_->MaxWidth() > 0) info->ptMaxTrackSize.x = constraints_->MaxWidth();
  if (constraints_->MaxHeight() > 0) info->ptMaxTrackSize.y = constraints_->MaxHeight();
}

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: WMClose(m); return;
    case WM_ACTIVATE: WMActivate(m); return;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(m); return;
    case CM_RELEASE: CMRelease(m); return;
    case CM_ACTIVATE:
    case CM_DEACTIVATE: PassOnToControls(this, m.Msg); return;
    case CM_APPSYSCOMMAND: CMAppSysCommand(m); return;
    case WM_SETFOCUS:
      // The form itself got the focus: pass it on to its active control.
      DefaultHandler(m);
      if (activeControl_ && activeControl_ != this && activeControl_->HandleAllocated() &&
          activeControl_->CanFocus())
        ::SetFocus(activeControl_->Handle());
      return;
    default: TWinControl::Dispatch(m);
  }
}
