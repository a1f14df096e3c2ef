// TWinControl: the ANSI window, its children, geometry, focus, keys and the
// routing of its messages.
#include <algorithm>
#include <map>

#include "Controls.hpp"
#include "ControlsDrag.hpp"
#include "Forms.hpp"
#include "GraphicsScoped.hpp"

namespace {
const char kControlProp[] = "ClassLibControl";

// The control whose window is being created: messages that arrive before
// CreateWindowExA returns (WM_NCCREATE, WM_CREATE, WM_SIZE...) reach it.
thread_local TWinControl* t_creationControl = nullptr;
// How many window messages of this library are being handled on this thread.
thread_local int t_messageDepth = 0;

bool IsMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL;
}

// Registered window classes by name, with the default procedure of the
// system class they copy.
std::map<std::string, WNDPROC>& ClassDefProcs() {
  static std::map<std::string, WNDPROC> procs;
  return procs;
}
}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Normally gone in BeforeDestruction; a control deleted without Free still
  // must not leave a window calling back into freed memory.
  if (handle_) {
    RemovePropA(handle_, kControlProp);
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
  for (TControl* c : controls_) c->parent_ = nullptr;
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  // The form forgets a focused or active control that goes away: the next
  // focus change would otherwise call into the freed control. (The removal
  // from the parent comes too late for this, in TControl's destructor.)
  if (parent_)
    if (TCustomForm* form = GetParentForm()) form->DefocusControl(this, true);
  // Children go with their parent, whoever owns them.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    c->Free();
  }
  DestroyHandle();
}

TWinControl* TWinControl::FindControl(HWND wnd) {
  if (!wnd) return nullptr;
  // Another program built on this library marks its windows the same way;
  // its mark is an address in that program (a window under the mouse may
  // be one of them).
  DWORD process = 0;
  GetWindowThreadProcessId(wnd, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(wnd, kControlProp));
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  if (!handle_) CreateHandle();
}

void TWinControl::SetParentWindow(HWND wnd) {
  if (parent_ || parentWindow_ == wnd) return;
  parentWindow_ = wnd;
  if (handle_) {
    if (wnd) ::SetParent(handle_, wnd);
    else DestroyHandle();
  }
}

void TWinControl::CreateParams(TCreateParams& p) {
  p = TCreateParams{};
  p.Caption = text_;
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (controlStyle_.Contains(csAcceptsControls)) {
    p.Style |= WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!enabled_) p.Style |= WS_DISABLED;
  if (tabStop_) p.Style |= WS_TABSTOP;
  if (visible_) p.Style |= WS_VISIBLE;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WndParent = parent_ ? parent_->Handle() : parentWindow_;
  p.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  p.WindowClass.lpfnWndProc = DefWindowProcA;
  p.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  p.WindowClass.hInstance = GetModuleHandleA(nullptr);
  p.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& p, const char* controlClassName) {
  WNDCLASSA wc{};
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (!GetClassInfoA(nullptr, controlClassName, &wc) && !GetClassInfoA(inst, controlClassName, &wc))
    return;
  p.WindowClass = wc;
  // The copy is our own class; its window procedure becomes the default handler.
  p.WindowClass.hInstance = inst;
  p.WindowClass.style &= ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->visible_ && !w->handle_) w->CreateHandle();
  }
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
  HINSTANCE inst = p.WindowClass.hInstance;
  WNDCLASSA existing{};
  bool registered = GetClassInfoA(inst, p.WinClassName.c_str(), &existing) &&
                    existing.lpfnWndProc == &TWinControl::InitWndProc;
  defWndProc_ = p.WindowClass.lpfnWndProc;
  if (!registered) {
    if (existing.lpfnWndProc) UnregisterClassA(p.WinClassName.c_str(), inst);
    WNDCLASSA wc = p.WindowClass;
    wc.lpfnWndProc = &TWinControl::InitWndProc;
    wc.lpszClassName = p.WinClassName.c_str();
    if (!RegisterClassA(&wc)) throw EOutOfResources("Error creating window class");
  }
  ClassDefProcs()[p.WinClassName] = defWndProc_;
  CreateWindowHandle(p);
  if (!handle_) throw EOutOfResources(Format("Error creating window for %s", {ClassName()}));
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
  PlaceInSiblingOrder();
  UpdateBounds();
  if (!ComponentState().Contains(csLoading)) Realign();
}

// Windows puts a new window on top of its siblings; a control created late
// (shown after its siblings, or recreated) goes back below the windowed
// siblings that follow it in the controls list.
void TWinControl::PlaceInSiblingOrder() {
  if (!parent_ || !handle_) return;
  const auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  HWND above = HWND_TOP;
  for (++it; it != list.end(); ++it) {
    auto* w = dynamic_cast<TWinControl*>(*it);
    if (w && w->handle_) {
      above = w->handle_;
      break;
    }
  }
  // SetWindowPos puts the window right below the one it is given.
  SetWindowPos(handle_, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Child windows get control IDs of their own: an owner-drawn child asks its
// parent to measure it (WM_MEASUREITEM) by ID alone, even while it is
// being created.
namespace {
HMENU NextChildId() {
  static UINT next = 0;
  next = next % 0xEFFF + 1;
  return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(0x1000 + next));
}
}  // namespace

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
  t_creationControl = this;
  HMENU id = (p.Style & WS_CHILD) ? NextChildId() : nullptr;
  HWND wnd = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                             p.Width, p.Height, p.WndParent, id, p.WindowClass.hInstance, p.Param);
  t_creationControl = nullptr;
  if (!handle_) handle_ = wnd;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  text_ = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  controlState_.Include(csDestroyingHandle);
  HWND wnd = handle_;
  if (wnd) TControlCanvas::FreeHandlesOf(wnd);
  if (wnd) DestroyWindow(wnd);
  handle_ = nullptr;
  controlState_.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  // Posted so that a control may ask for it from inside its own messages.
  Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  if (!handle_ || recreating_) return;
  recreating_ = true;
  bool hadFocus = Focused();
  // A top-level window has no parent to create it again: it comes back at
  // once, shown as it was.
  bool topLevel = !parent_;
  int showCmd = SW_HIDE;
  if (topLevel && IsWindowVisible(handle_)) {
    showCmd = IsZoomed(handle_) ? SW_SHOWMAXIMIZED
            : IsIconic(handle_) ? SW_SHOWMINNOACTIVE
            : GetActiveWindow() == handle_ ? SW_SHOW : SW_SHOWNA;
  }
  try {
    DestroyHandle();
    UpdateControlState();
    if (topLevel && showCmd != SW_HIDE) {
      HandleNeeded();
      ShowWindow(handle_, showCmd);
    }
    if (hadFocus && handle_) ::SetFocus(handle_);
  } catch (...) {
    recreating_ = false;
    throw;
  }
  recreating_ = false;
}

// Creates the window when the control should show and its parent has one.
void TWinControl::UpdateControlState() {
  if (parent_ && parent_->handle_ && visible_ && !handle_) CreateHandle();
  else if (!parent_ && parentWindow_ && visible_ && !handle_) CreateHandle();
}

LRESULT CALLBACK TWinControl::InitWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* c = static_cast<TWinControl*>(GetPropA(wnd, kControlProp));
  if (!c && t_creationControl) {
    c = t_creationControl;
    t_creationControl = nullptr;
    c->handle_ = wnd;
    SetPropA(wnd, kControlProp, c);
  }
  if (!c) {
    char name[256] = {};
    GetClassNameA(wnd, name, sizeof name);
    auto it = ClassDefProcs().find(name);
    if (it != ClassDefProcs().end() && it->second) return CallWindowProcA(it->second, wnd, msg, wp, lp);
    return DefWindowProcA(wnd, msg, wp, lp);
  }
  return c->MainWndProc(msg, wp, lp);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return InitWndProc(wnd, msg, wp, lp);
}

// No exception leaves a window procedure: it is handed to the application.
// The mouse tracking that follows a mouse message runs inside the guard too,
// since it sends CM_MOUSELEAVE and CM_MOUSEENTER to handlers of any kind.
LRESULT TWinControl::MainWndProc(UINT msg, WPARAM wp, LPARAM lp) {
  TMessage m;
  m.Msg = msg;
  m.WParam = wp;
  m.LParam = lp;
  HWND wnd = handle_;
  ++t_messageDepth;
  try {
    if (WindowProc) WindowProc(m);
    else WndProc(m);
    if (IsMouseMessage(msg) && Application && IsWindow(wnd)) {
      POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ::ClientToScreen(wnd, &p);
      Application->CheckMouseControl(p);
    }
  } catch (...) {
    HandleCallbackException(this);
  }
  // Contexts that canvases took on demand go back once the outermost message
  // is done; a handler further out may still be using one.
  if (--t_messageDepth == 0) TControlCanvas::FreeAllHandles();
  if (msg == WM_NCDESTROY) {
    RemovePropA(wnd, kControlProp);
    if (handle_ == wnd) handle_ = nullptr;
  }
  return m.Result;
}

// ---------------------------------------------------------------------------
// Children

void TWinControl::InsertControl(TControl* control) {
  control->parent_ = this;
  controls_.push_back(control);
  if (auto* w = dynamic_cast<TWinControl*>(control)) tabList_.push_back(w);
  if (!control->ComponentState().Contains(csReading)) {
    if (control->parentColor_) {
      control->color_ = color_;
      control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    }
    if (control->parentFont_) control->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (control->parentShowHint_) control->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->parentCtl3D_)
      w->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  }
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    if (w->handle_) {
      if (handle_) {
        ::SetParent(w->handle_, handle_);
        SetWindowPos(w->handle_, HWND_TOP, w->left_, w->top_, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
      } else {
        w->DestroyHandle();
      }
    } else {
      w->UpdateControlState();
    }
  }
  control->Invalidate();
  if (!ComponentState().Contains(csLoading)) Realign();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  control->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    TCustomForm* form = GetParentForm();
    if (form) form->DefocusControl(w, true);
    // A window moved to no parent has nowhere to live; one moved to another
    // parent keeps its window (InsertControl re-parents it).
    if (w->handle_ && !w->reparenting_ && !ComponentState().Contains(csDestroying)) w->DestroyHandle();
  }
  controls_.erase(std::find(controls_.begin(), controls_.end(), control));
  tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
  control->parent_ = nullptr;
  if (!ComponentState().Contains(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* control) const {
  while (control && control != this) control = control->parent_;
  return control == this;
}

TControl* TWinControl::ControlAtPos(POINT pos, bool allowDisabled, bool allowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
    if (windowed && !allowWinControls) continue;
    if (!c->visible_ || (!c->Enabled() && !allowDisabled)) continue;
    POINT p{pos.x - c->left_, pos.y - c->top_};
    if (c->IsControlAt(p)) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  std::vector<TControl*> copy = controls_;
  for (TControl* c : copy) {
    c->WindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::BroadcastDeep(TMessage& message) {
  std::vector<TControl*> copy = controls_;
  for (TControl* c : copy) {
    c->WindowProc(message);
    if (message.Result != 0) return;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      w->BroadcastDeep(message);
      if (message.Result != 0) return;
    }
  }
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage m;
  m.Msg = msg;
  Broadcast(m);
}

void TWinControl::EnableAlign() {
  if (--alignLevel_ == 0 && alignPending_) Realign();
}

void TWinControl::RequestAlign() {
  TControl::RequestAlign();
}

void TWinControl::Realign() {
  if (alignLevel_ > 0 || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
    alignPending_ = true;
    return;
  }
  alignPending_ = false;
  RECT r = ClientRect();
  AdjustClientRect(r);
  ++alignLevel_;
  try {
    AlignControls(nullptr, r);
  } catch (...) {
    --alignLevel_;
    throw;
  }
  --alignLevel_;
  AdjustSize();
}

void TWinControl::AlignControls(TControl* /*control*/, RECT& rect) {
  auto place = [](TControl* c, int l, int t, int w, int h) {
    c->anchorMove_ = true;
    try {
      c->SetBounds(l, t, w, h);
    } catch (...) {
      c->anchorMove_ = false;
      throw;
    }
    c->anchorMove_ = false;
  };
  // Aligned controls, each kind in turn, in the order of their positions.
  const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : order) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->align_ == a && c->visible_) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
      switch (a) {
        case alTop: return x->top_ < y->top_;
        case alBottom: return x->top_ + x->height_ > y->top_ + y->height_;
        case alLeft: return x->left_ < y->left_;
        case alRight: return x->left_ + x->width_ > y->left_ + y->width_;
        default: return false;
      }
    });
    for (TControl* c : list) {
      int w = rect.right - rect.left, h = rect.bottom - rect.top;
      switch (a) {
        case alTop: place(c, rect.left, rect.top, w, c->height_); rect.top += c->height_; break;
        case alBottom: place(c, rect.left, rect.bottom - c->height_, w, c->height_); rect.bottom -= c->height_; break;
        case alLeft: place(c, rect.left, rect.top, c->width_, h); rect.left += c->width_; break;
        case alRight: place(c, rect.right - c->width_, rect.top, c->width_, h); rect.right -= c->width_; break;
        default: place(c, rect.left, rect.top, w, h); break;
      }
    }
  }
  // Anchored controls keep their distances to the anchored edges.
  RECT cr = ClientRect();
  AdjustClientRect(cr);
  SIZE now{cr.right - cr.left, cr.bottom - cr.top};
  for (TControl* c : controls_) {
    if (c->align_ != alNone || !c->anchorsValid_ || c->anchors_ == TAnchors{akLeft, akTop}) continue;
    int dx = now.cx - c->anchorParentSize_.cx, dy = now.cy - c->anchorParentSize_.cy;
    RECT b = c->anchorBounds_;
    int l = b.left, t = b.top, w = b.right - b.left, h = b.bottom - b.top;
    bool L = c->anchors_.Contains(akLeft), R = c->anchors_.Contains(akRight);
    bool T = c->anchors_.Contains(akTop), B = c->anchors_.Contains(akBottom);
    if (L && R) w += dx;
    else if (R) l += dx;
    else if (!L) l += dx / 2;
    if (T && B) h += dy;
    else if (B) t += dy;
    else if (!T) t += dy / 2;
    place(c, l, t, w, h);
  }
}

// The client extent of the visible children, plus the frame around it.
bool TWinControl::CanAutoSize(int& newWidth, int& newHeight) {
  int w = 0, h = 0;
  bool any = false;
  for (TControl* c : controls_) {
    if (!c->visible_) continue;
    any = true;
    w = std::max(w, c->left_ + c->width_);
    h = std::max(h, c->top_ + c->height_);
  }
  if (!any) return false;
  RECT cr = ClientRect();
  newWidth = width_ - (cr.right - cr.left) + w;
  newHeight = height_ - (cr.bottom - cr.top) + h;
  return true;
}

void TWinControl::AdjustSize() {
  if (!ComponentState().Contains(csLoading) && handle_ == nullptr && !parent_) {
    DoAutoSize();
    return;
  }
  DoAutoSize();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (parentCtl3D_ && parent_) ctl3D_ = parent_->ctl3D_;
  if (handle_) {
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
    SetWindowTextA(handle_, text_.c_str());
  }
  Realign();
}

// ---------------------------------------------------------------------------
// Geometry

RECT TWinControl::FrameEdges() const {
  int b = borderWidth_;
  RECT r{b, b, b, b};
  if (bevelKind_ == bkNone) return r;
  int e = (bevelInner_ != bvNone ? bevelWidth_ : 0) + (bevelOuter_ != bvNone ? bevelWidth_ : 0);
  if (bevelEdges_.Contains(beLeft)) r.left += e;
  if (bevelEdges_.Contains(beTop)) r.top += e;
  if (bevelEdges_.Contains(beRight)) r.right += e;
  if (bevelEdges_.Contains(beBottom)) r.bottom += e;
  return r;
}

RECT TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r;
  }
  RECT edges = FrameEdges();
  return RECT{0, 0, std::max<LONG>(width_ - edges.left - edges.right, 0),
              std::max<LONG>(height_ - edges.top - edges.bottom, 0)};
}

POINT TWinControl::ClientOrigin() const {
  POINT p{0, 0};
  if (handle_) {
    ::ClientToScreen(handle_, &p);
    return p;
  }
  if (parent_) {
    p = parent_->ClientOrigin();
    p.x += left_;
    p.y += top_;
  } else {
    p.x = left_;
    p.y = top_;
  }
  return p;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  ApplyConstraints(width, height);
  if (!handle_) {
    bool resized = width != width_ || height != height_;
    TControl::SetBounds(left, top, width, height);
    if (resized) Realign();
    return;
  }
  if (left == left_ && top == top_ && width == width_ && height == height_) {
    if (!anchorMove_) UpdateAnchorRules();
    return;
  }
  // The window sends WM_WINDOWPOSCHANGED and WM_SIZE, which take the new
  // bounds, realign the children and call Resize.
  SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!anchorMove_) UpdateAnchorRules();
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  HWND parentWnd = GetParent(handle_);
  if ((GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) && parentWnd) {
    MapWindowPoints(nullptr, parentWnd, reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this || ContainsControl(parent))
    throw EInvalidOperation("A control cannot have itself or a child as its parent");
  reparenting_ = parent != nullptr;
  try {
    if (parent_) parent_->RemoveControl(this);
  } catch (...) {
    reparenting_ = false;
    throw;
  }
  reparenting_ = false;
  if (parent) {
    parent->InsertControl(this);
    UpdateAnchorRules();
  }
}

std::string TWinControl::GetText() const {
  if (!handle_) return text_;
  int n = GetWindowTextLengthA(handle_);
  std::string t(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(handle_, t.data(), n + 1);
  t.resize(static_cast<size_t>(n));
  return t;
}

void TWinControl::SetText(const std::string& value) {
  if (GetText() == value && text_ == value) return;
  text_ = value;
  if (handle_) SetWindowTextA(handle_, value.c_str());
  Perform(CM_TEXTCHANGED, 0, 0);
}

TBrush* TWinControl::Brush() {
  if (!brush_) brush_ = std::make_unique<TBrush>();
  brush_->SetColor(color_);
  return brush_.get();
}

bool TWinControl::Showing() const { return handle_ && IsWindowVisible(handle_); }

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !controlStyle_.Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::SetZOrder(bool topMost) {
  TControl::SetZOrder(topMost);
  if (handle_)
    SetWindowPos(handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// Routing

void TWinControl::WndProc(TMessage& m) {
  if (IsMouseMessage(m.Msg) && !Dragging()) {
    // Mouse messages over or captured by a graphic child go to it; the
    // window's default procedure still sees them, so that a right button
    // released over a label makes a WM_CONTEXTMENU as anywhere else.
    if (IsControlMouseMsg(MessageAs<TWMMouse>(m))) {
      if (m.Result == 0 && handle_) DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
      return;
    }
  }
  switch (m.Msg) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_KEYUP: case WM_SYSKEYUP: case WM_CHAR:
      if (Application) Application->CancelHint();
      break;
    default: break;
  }
  TControl::WndProc(m);
}

bool TWinControl::IsControlMouseMsg(TWMMouse& m) {
  TControl* target = nullptr;
  TControl* capture = GetCaptureControl();
  if (capture && capture != this && capture->parent_ == this && !dynamic_cast<TWinControl*>(capture)) {
    target = capture;  // a graphic child holds the capture through this window
  } else if (capture == this) {
    return false;  // the window itself holds it
  } else {
    target = ControlAtPos(m.Pos(), false);
  }
  if (!target) return false;
  POINT p{m.XPos() - target->left_, m.YPos() - target->top_};
  m.Result = target->Perform(m.Msg, m.WParam, MAKELPARAM(p.x, p.y));
  return true;
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: WMPaint(MessageAs<TWMPaint>(m)); return;
    case WM_ERASEBKGND: WMEraseBkgnd(MessageAs<TWMEraseBkgnd>(m)); return;
    case WM_SIZE: WMSize(MessageAs<TWMSize>(m)); return;
    case WM_MOVE: WMMove(MessageAs<TWMMove>(m)); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(MessageAs<TWMWindowPosChanged>(m)); return;
    case WM_SETCURSOR: WMSetCursor(MessageAs<TWMSetCursor>(m)); return;
    case WM_SETFOCUS: WMSetFocus(MessageAs<TWMSetFocus>(m)); return;
    case WM_KILLFOCUS: WMKillFocus(MessageAs<TWMKillFocus>(m)); return;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: WMKeyDown(MessageAs<TWMKey>(m)); return;
    case WM_KEYUP: case WM_SYSKEYUP: WMKeyUp(MessageAs<TWMKey>(m)); return;
    case WM_CHAR: WMChar(MessageAs<TWMKey>(m)); return;
    case WM_SYSCHAR:
      // Alt+letter: the form offers it to its controls as an accelerator.
      if (TCustomForm* form = GetParentForm()) {
        TMessage d;
        d.Msg = CM_DIALOGCHAR;
        d.WParam = m.WParam;
        d.LParam = m.LParam;
        form->BroadcastDeep(d);
        if (d.Result) return;
      }
      DefaultHandler(m);
      return;
    case WM_MOUSEWHEEL: WMMouseWheel(MessageAs<TWMMouseWheel>(m)); return;
    case WM_NCCALCSIZE: WMNCCalcSize(MessageAs<TWMNCCalcSize>(m)); return;
    case WM_NCPAINT: WMNCPaint(m); return;
    case WM_SYSCOLORCHANGE: WMSysColorChange(m); return;
    case WM_SYSCOMMAND: WMSysCommand(m); return;
    case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM:
    case WM_COMPAREITEM: case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
      WMCommandLike(m);
      return;
    case CM_ENTER: CMEnter(m); return;
    case CM_EXIT: CMExit(m); return;
    case CM_RECREATEWND: CMRecreateWnd(m); return;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(m); return;
    case WM_CONTEXTMENU: WMContextMenu(MessageAs<TWMContextMenu>(m)); return;
    case CM_MOUSEWHEEL: CMMouseWheel(m); return;
    case CM_DRAG:
      if (m.WParam == static_cast<WPARAM>(dmFindTarget)) CMFindDragTarget(m);
      else TControl::Dispatch(m);
      return;
    case CM_SYSCOLORCHANGE: Broadcast(m); return;
    case CM_COLORCHANGED: Invalidate(); NotifyControls(CM_PARENTCOLORCHANGED); return;
    case CM_FONTCHANGED:
      if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
      Invalidate();
      NotifyControls(CM_PARENTFONTCHANGED);
      return;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); return;
    case CM_ENABLEDCHANGED:
      if (handle_) EnableWindow(handle_, enabled_);
      Invalidate();
      return;
    case CM_VISIBLECHANGED: CMShowingChanged(m); return;
    case CM_TEXTCHANGED: return;
    default: TControl::Dispatch(m);
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) {
    TControl::DefaultHandler(m);
    return;
  }
  if (m.Msg >= CN_CTLCOLORMSGBOX && m.Msg <= CN_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(font_->Color())));
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(color_)));
    m.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
    return;
  }
  // A key offered to the control holding the capture, which did not want
  // it: the key is still on its way to the focused window, so the window's
  // own procedure must not see it here as well.
  if (m.Msg == CN_KEYDOWN) {
    m.Result = 0;
    return;
  }
  if (m.Msg >= CN_BASE && m.Msg < CN_BASE + 0x400) {
    // A notification reflected to a control that does not answer it: the
    // window's own procedure handles the plain message.
    m.Result = CallWindowProcA(defWndProc_, handle_, m.Msg - CN_BASE, m.WParam, m.LParam);
    return;
  }
  m.Result = CallWindowProcA(defWndProc_ ? defWndProc_ : DefWindowProcA, handle_, m.Msg, m.WParam, m.LParam);
}

// WM_COMMAND, WM_NOTIFY, owner-draw and colour messages go back to the child
// control they concern as CN_ messages. Scroll messages are not reflected:
// custom scroll bars send them to their parent, which must see them itself.
void TWinControl::WMCommandLike(TMessage& m) {
  HWND child = nullptr;
  switch (m.Msg) {
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom; break;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      if (d->CtlType != ODT_MENU) child = d->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      auto* d = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      if (d->CtlType != ODT_MENU && handle_) child = GetDlgItem(handle_, static_cast<int>(d->CtlID));
      break;
    }
    case WM_DELETEITEM: child = reinterpret_cast<DELETEITEMSTRUCT*>(m.LParam)->hwndItem; break;
    case WM_COMPAREITEM: child = reinterpret_cast<COMPAREITEMSTRUCT*>(m.LParam)->hwndItem; break;
    default: child = reinterpret_cast<HWND>(m.LParam); break;
  }
  TWinControl* c = FindControl(child);
  if (c && c != this) {
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return;
  }
  DefaultHandler(m);
}

// A context menu asked for over a graphic child is that child's first: its
// OnContextPopup and PopupMenu, as for windowed controls.
void TWinControl::WMContextMenu(TWMContextMenu& m) {
  if (m.Result != 0) return;
  if (m.XPos() != -1 || m.YPos() != -1) {
    POINT local = ScreenToClient(POINT{m.XPos(), m.YPos()});
    if (TControl* child = ControlAtPos(local, false)) {
      m.Result = child->Perform(WM_CONTEXTMENU, m.WParam, m.LParam);
      if (m.Result != 0) return;
    }
  }
  TControl::WMContextMenu(m);
}

// Windows sends WM_SYSCOLORCHANGE to top-level windows only; each child
// window gets it too, graphic children CM_SYSCOLORCHANGE.
void TWinControl::WMSysColorChange(TMessage& m) {
  DefaultHandler(m);
  std::vector<TControl*> copy = controls_;
  for (TControl* c : copy) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->handle_) SendMessageA(w->handle_, WM_SYSCOLORCHANGE, m.WParam, m.LParam);
    else c->Perform(CM_SYSCOLORCHANGE, m.WParam, m.LParam);
  }
  Invalidate();
}

// Alt+key on a secondary form opens the main form's menu: the form hands
// the command on (CM_APPSYSCOMMAND) unless the mouse is busy.
void TWinControl::WMSysCommand(TMessage& m) {
  bool menuKey = (m.WParam & 0xFFF0) == SC_KEYMENU && m.LParam != VK_SPACE && m.LParam != '-';
  if (menuKey && handle_ && !IsIconic(handle_) && !GetCapture() && (!Application || Application->MainForm() != this)) {
    TCustomForm* form = GetParentForm();
    if (form && form->Perform(CM_APPSYSCOMMAND, 0, reinterpret_cast<LPARAM>(&m)) != 0) return;
  }
  DefaultHandler(m);
}

// The target of a drag at a screen point: the enabled graphic child there,
// else this control.
void TWinControl::CMFindDragTarget(TMessage& m) {
  const auto* rec = reinterpret_cast<const TDragRec*>(m.LParam);
  TControl* target = rec ? ControlAtPos(ScreenToClient(rec->Pos), false) : nullptr;
  m.Result = reinterpret_cast<LRESULT>(target ? target : this);
}

void TWinControl::CMShowingChanged(TMessage&) {
  UpdateShowing();
  Invalidate();
}

void TWinControl::UpdateShowing() {
  if (visible_) {
    UpdateControlState();
    if (handle_) ShowWindow(handle_, SW_SHOWNOACTIVATE);
  } else if (handle_) {
    if (TCustomForm* form = GetParentForm()) form->DefocusControl(this, false);
    ShowWindow(handle_, SW_HIDE);
  }
}

void TWinControl::WMSize(TWMSize& m) {
  UpdateBounds();
  DefaultHandler(m);
  Realign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TWMMove& m) {
  UpdateBounds();
  DefaultHandler(m);
}

void TWinControl::WMWindowPosChanged(TWMWindowPosChanged& m) {
  UpdateBounds();
  DefaultHandler(m);
}

void TWinControl::WMSetCursor(TWMSetCursor& m) {
  if (m.CursorWnd() == handle_ && m.HitTest() == HTCLIENT && Screen) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      if (c) cursor = c->cursor_;
      if (cursor == crDefault) cursor = cursor_;
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen->Cursors(cursor));
      m.Result = 1;
      return;
    }
  }
  DefaultHandler(m);
}
