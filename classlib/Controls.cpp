// TControl: bounds, layout rules, properties and the message routing shared
// by windowed and graphic controls.
#include "Controls.hpp"

#include <algorithm>

#include "ControlsDrag.hpp"
#include "Forms.hpp"
#include "Menus.hpp"

TMouse* Mouse = nullptr;
namespace {
TMouse g_mouse;
struct MouseInit {
  MouseInit() { Mouse = &g_mouse; }
} g_mouseInit;

// The graphic control holding the capture through its parent's window.
TControl* g_captureControl = nullptr;
}  // namespace

const UINT BevelInnerStyles[4] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0};
const UINT BevelOuterStyles[4] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};
const UINT BevelKindStyles[4] = {0, 0, BF_SOFT, BF_FLAT};
const UINT Ctl3DStyles[2] = {BF_MONO, 0};

TShiftState KeysToShiftState(Word keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (keyData & 0x20000000) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

// ---------------------------------------------------------------------------
// Constraints

void TSizeConstraints::SetMaxHeight(int v) { maxHeight_ = v; if (v > 0 && v < minHeight_) minHeight_ = v; Change(); }
void TSizeConstraints::SetMaxWidth(int v) { maxWidth_ = v; if (v > 0 && v < minWidth_) minWidth_ = v; Change(); }
void TSizeConstraints::SetMinHeight(int v) { minHeight_ = v; if (maxHeight_ > 0 && v > maxHeight_) maxHeight_ = v; Change(); }
void TSizeConstraints::SetMinWidth(int v) { minWidth_ = v; if (maxWidth_ > 0 && v > maxWidth_) maxWidth_ = v; Change(); }

void TSizeConstraints::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TSizeConstraints*>(source)) {
    minHeight_ = src->minHeight_;
    maxHeight_ = src->maxHeight_;
    minWidth_ = src->minWidth_;
    maxWidth_ = src->maxWidth_;
    Change();
    return;
  }
  TPersistent::Assign(source);
}

void TSizeConstraints::Change() {
  if (control_ && !control_->ComponentState().Contains(csLoading))
    control_->SetBounds(control_->Left(), control_->Top(), control_->Width(), control_->Height());
  OnChange(this);
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner)
    : TComponent(owner),
      constraints_(std::make_unique<TSizeConstraints>(this)),
      color_(clWindow),
      font_(std::make_unique<TFont>()),
      controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks} {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
}

TControl::~TControl() {
  if (g_captureControl == this) g_captureControl = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  TDragLoop::ControlDestroying(this);
  if (g_captureControl == this) SetCaptureControl(nullptr);
  if (Application) Application->ControlDestroying(this);
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) {
    parent->InsertControl(this);
    UpdateAnchorRules();
  }
}

TCustomForm* TControl::GetParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

// The form's outermost windowed ancestor need not be a form: GetParentForm
// answers nullptr then, as the library does.

void TControl::ApplyConstraints(int& width, int& height) const {
  int minW = constraints_->MinWidth(), minH = constraints_->MinHeight();
  int maxW = constraints_->MaxWidth(), maxH = constraints_->MaxHeight();
  const_cast<TControl*>(this)->ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && width > maxW) width = maxW;
  if (minW > 0 && width < minW) width = minW;
  if (maxH > 0 && height > maxH) height = maxH;
  if (minH > 0 && height < minH) height = minH;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  ApplyConstraints(width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) {
    if (!anchorMove_) UpdateAnchorRules();
    return;
  }
  bool resized = width != width_ || height != height_;
  if (parent_ && parent_->HandleAllocated() && Visible()) {
    RECT old = BoundsRect();
    InvalidateRect(parent_->Handle(), &old, !controlStyle_.Contains(csOpaque));
  }
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  if (!anchorMove_) UpdateAnchorRules();
  RequestAlign();
  if (resized && !ComponentState().Contains(csLoading)) Resize();
}

void TControl::UpdateBoundsRect(const RECT& r) {
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
}

RECT TControl::ClientRect() const { return RECT{0, 0, width_, height_}; }

void TControl::SetClientSize(int width, int height) {
  RECT r = ClientRect();
  SetBounds(left_, top_, width_ - (r.right - r.left) + width, height_ - (r.bottom - r.top) + height);
}

POINT TControl::ClientOrigin() const {
  if (!parent_) throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
  POINT p = parent_->ClientOrigin();
  p.x += left_;
  p.y += top_;
  return p;
}

POINT TControl::ClientToScreen(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x + o.x, p.y + o.y};
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x - o.x, p.y - o.y};
}

void TControl::SetAlign(TAlign value) {
  if (align_ == value) return;
  TAlign old = align_;
  align_ = value;
  anchors_ = (value == alNone || value == alCustom) ? TAnchors{akLeft, akTop}
           : value == alTop ? TAnchors{akLeft, akTop, akRight}
           : value == alBottom ? TAnchors{akLeft, akRight, akBottom}
           : value == alLeft ? TAnchors{akLeft, akTop, akBottom}
           : value == alRight ? TAnchors{akRight, akTop, akBottom}
           : TAnchors{akLeft, akTop, akRight, akBottom};
  if (old != alNone || value != alNone) RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  anchors_ = value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  anchorBounds_ = BoundsRect();
  if (parent_) {
    RECT r = parent_->ClientRect();
    parent_->AdjustClientRect(r);
    anchorParentSize_ = SIZE{r.right - r.left, r.bottom - r.top};
  }
  anchorsValid_ = parent_ != nullptr;
}

void TControl::RequestAlign() {
  if (parent_ && (align_ != alNone || parent_->AutoSize())) parent_->Realign();
}

void TControl::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  if (value) AdjustSize();
}

bool TControl::CanAutoSize(int& /*newWidth*/, int& /*newHeight*/) { return true; }

void TControl::AdjustSize() { DoAutoSize(); }

void TControl::DoAutoSize() {
  if (!autoSize_ || autoSizing_ || ComponentState().Contains(csLoading)) return;
  int w = width_, h = height_;
  if (!CanAutoSize(w, h)) return;
  autoSizing_ = true;
  try {
    SetBounds(left_, top_, w, h);
  } catch (...) {
    autoSizing_ = false;
    throw;
  }
  autoSizing_ = false;
}

void TControl::Loaded() {
  TComponent::Loaded();
  UpdateAnchorRules();
  if (parent_) {
    if (parentColor_) color_ = parent_->Color();
    if (parentFont_) {
      font_->OnChange = nullptr;
      font_->Assign(parent_->Font());
      font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
    }
    if (parentShowHint_) showHint_ = parent_->ShowHint();
  }
  AdjustSize();
}

void TControl::SetVisible(bool value) {
  if (visible_ == value) return;
  VisibleChanging();
  if (!value) Invalidate();
  visible_ = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor value) {
  if (color_ == value) {
    parentColor_ = false;
    return;
  }
  color_ = value;
  parentColor_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  if (parent_ && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
  parentFont_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
  if (parentFont_ == value) return;
  parentFont_ = value;
  if (parent_ && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool value) {
  if (showHint_ == value && !parentShowHint_) return;
  showHint_ = value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool value) {
  if (parentShowHint_ == value) return;
  parentShowHint_ = value;
  if (parent_ && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = value;
  if (value) value->FreeNotification(this);
}

std::string TControl::GetText() const { return text_; }

void TControl::SetText(const std::string& value) {
  if (GetText() == value) return;
  text_ = value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetName(const std::string& name) {
  // A caption that still equals the old name follows the new one.
  bool follow = controlStyle_.Contains(csSetCaption) && !ComponentState().Contains(csLoading) &&
                Name() == GetText() && (Owner() == nullptr || !Owner()->ComponentState().Contains(csLoading));
  std::string old = Name();
  TComponent::SetName(name);
  if (follow && old == GetText()) SetText(name);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST) {
    // Without csDoubleClicks a quick second press is an ordinary press.
    if (!controlStyle_.Contains(csDoubleClicks)) {
      if (m.Msg == WM_LBUTTONDBLCLK) m.Msg = WM_LBUTTONDOWN;
      else if (m.Msg == WM_RBUTTONDBLCLK) m.Msg = WM_RBUTTONDOWN;
      else if (m.Msg == WM_MBUTTONDBLCLK) m.Msg = WM_MBUTTONDOWN;
    }
    if (m.Msg == WM_MOUSEMOVE && Application) Application->HintMouseMessage(this, m);
    // A drag waiting for its threshold takes the move that passes it.
    if (TDragLoop::PendingMouse(this, m)) return;
    if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && dragMode_ == dmAutomatic) {
      controlState_.Include(csLButtonDown);
      TDragLoop::NotePress(this, ClientToScreen(MessageAs<TWMMouse>(m).Pos()));
      BeginDrag(!Mouse || Mouse->DragImmediate(), Mouse ? Mouse->DragThreshold() : -1);
      return;
    }
    if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) controlState_.Include(csLButtonDown);
    if (m.Msg == WM_LBUTTONUP) controlState_.Exclude(csLButtonDown);
  }
  Dispatch(m);
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE: WMMouseMove(MessageAs<TWMMouse>(m)); return;
    case WM_LBUTTONDOWN: WMButtonDown(MessageAs<TWMMouse>(m), mbLeft, false); return;
    case WM_LBUTTONDBLCLK: WMButtonDown(MessageAs<TWMMouse>(m), mbLeft, true); return;
    case WM_RBUTTONDOWN: WMButtonDown(MessageAs<TWMMouse>(m), mbRight, false); return;
    case WM_RBUTTONDBLCLK: WMButtonDown(MessageAs<TWMMouse>(m), mbRight, true); return;
    case WM_MBUTTONDOWN: WMButtonDown(MessageAs<TWMMouse>(m), mbMiddle, false); return;
    case WM_MBUTTONDBLCLK: WMButtonDown(MessageAs<TWMMouse>(m), mbMiddle, true); return;
    case WM_LBUTTONUP: WMButtonUp(MessageAs<TWMMouse>(m), mbLeft); return;
    case WM_RBUTTONUP: WMButtonUp(MessageAs<TWMMouse>(m), mbRight); return;
    case WM_MBUTTONUP: WMButtonUp(MessageAs<TWMMouse>(m), mbMiddle); return;
    case WM_CANCELMODE:
    case CM_CANCELMODE: WMCancelMode(m); return;
    case WM_CONTEXTMENU: WMContextMenu(MessageAs<TWMContextMenu>(m)); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_COLORCHANGED: CMColorChanged(m); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); return;
    case CM_HITTEST: CMHitTest(m); return;
    case CM_CURSORCHANGED: CMCursorChanged(m); return;
    case CM_DRAG: CMDrag(m); return;
    case CM_MOUSEWHEEL:
      if (parent_) m.Result = parent_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
      return;
    default: DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_GETTEXTLENGTH: m.Result = static_cast<LRESULT>(GetText().size()); break;
    case WM_GETTEXT: {
      std::string t = GetText();
      auto n = static_cast<size_t>(m.WParam);
      if (n == 0) { m.Result = 0; break; }
      size_t c = std::min(n - 1, t.size());
      std::memcpy(reinterpret_cast<char*>(m.LParam), t.data(), c);
      reinterpret_cast<char*>(m.LParam)[c] = 0;
      m.Result = static_cast<LRESULT>(c);
      break;
    }
    case WM_SETTEXT:
      text_ = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
      m.Result = 1;
      break;
    default: break;
  }
}

void TControl::WMMouseMove(TWMMouse& m) {
  MouseMove(KeysToShiftState(static_cast<Word>(m.Keys())), m.XPos(), m.YPos());
}

void TControl::WMButtonDown(TWMMouse& m, TMouseButton button, bool dbl) {
  SendCancelMode(this);
  DefaultHandler(m);
  if (button == mbLeft) TDragLoop::NotePress(this, ClientToScreen(m.Pos()));
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (button == mbLeft && controlStyle_.Contains(csClickEvents)) {
    if (dbl) DblClick();
    else controlState_.Include(csClicked);
  }
  TShiftState shift = KeysToShiftState(static_cast<Word>(m.Keys()));
  if (dbl) shift.Include(ssDouble);
  MouseDown(button, shift, m.XPos(), m.YPos());
}

void TControl::WMButtonUp(TWMMouse& m, TMouseButton button) {
  DefaultHandler(m);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (button == mbLeft && controlState_.Contains(csClicked)) {
    controlState_.Exclude(csClicked);
    RECT r = ClientRect();
    POINT p = m.Pos();
    if (PtInRect(&r, p)) Click();
  }
  MouseUp(button, KeysToShiftState(static_cast<Word>(m.Keys())), m.XPos(), m.YPos());
}

// The system's cancel mode (a message box coming up, say) also ends a drag.
void TControl::WMCancelMode(TMessage& m) {
  if (m.Msg == WM_CANCELMODE) CancelDrag();
  if (MouseCapture()) {
    SetMouseCapture(false);
    if (controlState_.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, MAKELPARAM(0xFFFF, 0xFFFF));
  } else {
    controlState_.Exclude(csLButtonDown);
  }
  if (m.Msg == WM_CANCELMODE) DefaultHandler(m);
}

void TControl::WMContextMenu(TWMContextMenu& m) {
  if (m.Result != 0) return;
  POINT pt{m.XPos(), m.YPos()};
  POINT local = pt;
  if (pt.x != -1 || pt.y != -1) local = ScreenToClient(pt);
  bool handled = false;
  DoContextPopup(local, handled);
  m.Result = handled ? 1 : 0;
  if (handled) return;
  TPopupMenu* menu = popupMenu_;
  if (menu && menu->AutoPopup()) {
    menu->SetPopupComponent(this);
    if (pt.x == -1 && pt.y == -1) pt = ClientToScreen(POINT{0, 0});
    menu->Popup(pt.x, pt.y);
    m.Result = 1;
    return;
  }
  DefaultHandler(m);
}

void TControl::DoContextPopup(POINT pos, bool& handled) { OnContextPopup(this, pos, handled); }

bool TControl::DoMouseWheel(TShiftState, int, POINT) { return false; }

bool TControl::DoMouseWheelDown(TShiftState shift, POINT mousePos) {
  bool handled = false;
  OnMouseWheelDown(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, POINT mousePos) {
  bool handled = false;
  OnMouseWheelUp(this, shift, mousePos, handled);
  return handled;
}

void TControl::BeginDrag(bool immediate, int threshold) { TDragLoop::Begin(this, immediate, threshold); }

void TControl::EndDrag(bool drop) {
  if (Dragging()) TDragLoop::End(drop);
}

bool TControl::Dragging() const { return TDragLoop::IsDragging(this); }

void TControl::DoStartDrag(TDragObject*& dragObject) { OnStartDrag(this, dragObject); }

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = false;
  if (!OnDragOver) return;
  accept = true;
  OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }

void TControl::DoEndDrag(TObject* target, int x, int y) { OnEndDrag(this, target, x, y); }

// Enter, leave and move ask DragOver, whose answer is the message's; a drop
// goes to DragDrop. The handlers see the dragged control for a control's
// drag object, else the object, and the point in this control's client
// coordinates.
void TControl::CMDrag(TMessage& m) {
  auto& drag = MessageAs<TCMDrag>(m);
  TDragRec* rec = drag.DragRec();
  if (!rec) return;
  TObject* source = rec->Source;
  if (auto* own = dynamic_cast<TDragControlObject*>(rec->Source); own && own->Control()) source = own->Control();
  POINT p = ScreenToClient(rec->Pos);
  switch (drag.DragMessage()) {
    case dmDragEnter: case dmDragLeave: case dmDragMove: {
      bool accept = false;
      DragOver(source, p.x, p.y, static_cast<TDragState>(drag.DragMessage()), accept);
      m.Result = accept ? 1 : 0;
      break;
    }
    case dmDragDrop: DragDrop(source, p.x, p.y); break;
    default: break;
  }
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage&) {
  if (!parentFont_ || !parent_) return;
  font_->Assign(parent_->Font());
  parentFont_ = true;  // Assign fired FontChanged, which cleared it
}

void TControl::CMParentColorChanged(TMessage&) {
  if (!parentColor_ || !parent_) return;
  SetColor(parent_->Color());
  parentColor_ = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!parentShowHint_ || !parent_) return;
  SetShowHint(parent_->ShowHint());
  parentShowHint_ = true;
}

void TControl::CMVisibleChanged(TMessage&) { Invalidate(); }

void TControl::CMHitTest(TMessage& m) { m.Result = HTCLIENT; }

// A new cursor shows at once when the mouse is over the control: the window
// under the mouse is asked to choose its cursor again.
void TControl::CMCursorChanged(TMessage&) {
  if (!Screen || Screen->Cursor() != crDefault) return;
  POINT p;
  if (!GetCursorPos(&p) || FindDragTarget(p, false) != this) return;
  auto* win = dynamic_cast<TWinControl*>(this);
  TWinControl* owner = win ? win : parent_;
  if (!owner || !owner->HandleAllocated()) return;
  HWND wnd = owner->Handle();
  SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

bool TControl::HitTest(int x, int y) const {
  return const_cast<TControl*>(this)->Perform(CM_HITTEST, 0, MAKELPARAM(x, y)) != 0;
}

bool TControl::IsControlAt(POINT p) const {
  return p.x >= 0 && p.y >= 0 && p.x < width_ && p.y < height_ && HitTest(p.x, p.y);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::Resize() { OnResize(this); }

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  RECT r = BoundsRect();
  InvalidateRect(parent_->Handle(), &r, !controlStyle_.Contains(csOpaque));
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  Invalidate();
  parent_->Update();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetZOrder(bool topMost) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (topMost) list.push_back(this);
  else list.insert(list.begin(), this);
  Invalidate();
  RequestAlign();
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (MouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::SendCancelMode(TControl* sender) {
  TCustomForm* form = GetParentForm();
  if (form) form->SendCancelMode(sender);
}

// ---------------------------------------------------------------------------
// Capture and hit testing

TControl* GetCaptureControl() {
  HWND wnd = GetCapture();
  TWinControl* win = TWinControl::FindControl(wnd);
  if (!win) return nullptr;
  if (g_captureControl && g_captureControl->Parent() == win) return g_captureControl;
  return win;
}

void SetCaptureControl(TControl* control) {
  ReleaseCapture();
  g_captureControl = nullptr;
  if (!control) return;
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    if (win->HandleAllocated()) SetCapture(win->Handle());
    return;
  }
  TWinControl* parent = control->Parent();
  if (!parent || !parent->HandleAllocated()) return;
  g_captureControl = control;
  SetCapture(parent->Handle());
}

TControl* FindControl(HWND wnd) { return TWinControl::FindControl(wnd); }

TControl* FindVCLWindow(POINT pos) {
  HWND wnd = WindowFromPoint(pos);
  while (wnd) {
    if (TWinControl* c = TWinControl::FindControl(wnd)) return c;
    wnd = GetParent(wnd);
  }
  return nullptr;
}

TControl* FindDragTarget(POINT pos, bool allowDisabled) {
  TWinControl* win = dynamic_cast<TWinControl*>(FindVCLWindow(pos));
  if (!win) return nullptr;
  TControl* result = win;
  POINT local = win->ScreenToClient(pos);
  if (TControl* child = win->ControlAtPos(local, allowDisabled)) result = child;
  return result;
}

// ---------------------------------------------------------------------------
// Mouse

void TMouse::SetCapture(HWND wnd) {
  if (wnd) ::SetCapture(wnd);
  else ReleaseCapture();
}

POINT TMouse::CursorPos() const {
  POINT p{0, 0};
  GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(POINT p) { ::SetCursorPos(p.x, p.y); }

int TMouse::WheelScrollLines() const {
  UINT lines = 3;
  if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  return static_cast<int>(lines);
}
