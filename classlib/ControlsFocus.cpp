// TWinControl's focus and tab order, and its keyboard and wheel input.
#include <algorithm>

#include "Controls.hpp"
#include "Forms.hpp"

// ---------------------------------------------------------------------------
// Focus and tab order

// The tab order is a list of its own: moving a control in it leaves the
// z-order of the windows alone.
int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& list = parent_->tabList_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (!parent_ || value < 0) return;
  auto& list = parent_->tabList_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  size_t at = std::min(static_cast<size_t>(value), list.size());
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* w : tabList_) {
    list.push_back(w);
    w->GetTabOrderList(list);
  }
}

bool TWinControl::CanFocus() const {
  const TWinControl* c = this;
  while (c) {
    if (!c->visible_ || !c->enabled_) return false;
    if (!c->parent_) break;
    c = c->parent_;
  }
  return dynamic_cast<const TCustomForm*>(c) != nullptr;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm();
  if (form) {
    form->FocusControl(this);
  } else if (handle_ && CanFocus()) {
    ::SetFocus(handle_);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = static_cast<int>(std::find(list.begin(), list.end(), current) - list.begin());
  if (start == n) start = goForward ? n - 1 : 0;
  int i = start;
  for (int k = 0; k < n; ++k) {
    i = goForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[i];
    if (c == current) break;
    if ((!checkTabStop || c->tabStop_) && (!checkParent || c->parent_ == this) && c->CanFocus())
      return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, false)) next->SetFocus();
}

void TWinControl::WMSetFocus(TWMSetFocus& m) {
  DefaultHandler(m);
  if (TCustomForm* form = GetParentForm()) form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TWMKillFocus& m) { DefaultHandler(m); }

void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

// ---------------------------------------------------------------------------
// Keys and wheel

void TWinControl::KeyDown(Word& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(Word& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char& key) { OnKeyPress(this, key); }

bool TWinControl::DoKeyDown(TWMKey& m) {
  Word key = m.CharCode();
  TShiftState shift = KeyDataToShiftState(m.KeyData());
  // A form with KeyPreview sees the key first.
  TWinControl* form = GetParentForm();
  if (form && form != this && static_cast<TCustomForm*>(form)->KeyPreview()) {
    form->KeyDown(key, shift);
    if (key == 0) {
      m.SetCharCode(0);
      return true;
    }
  }
  KeyDown(key, shift);
  m.SetCharCode(key);
  return key == 0;
}

void TWinControl::WMKeyDown(TWMKey& m) {
  if (DoKeyDown(m)) return;
  if (m.CharCode() == VK_TAB && !(Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB)) {
    if (TCustomForm* form = GetParentForm()) {
      form->SelectNext(this, GetKeyState(VK_SHIFT) >= 0, true);
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::WMKeyUp(TWMKey& m) {
  Word key = m.CharCode();
  KeyUp(key, KeyDataToShiftState(m.KeyData()));
  m.SetCharCode(key);
  if (key != 0) DefaultHandler(m);
}

void TWinControl::WMChar(TWMKey& m) {
  char c = static_cast<char>(m.CharCode());
  KeyPress(c);
  m.SetCharCode(static_cast<Byte>(c));
  if (c == 0) return;
  // A tab already moved the focus on key down.
  if (c == '\t' && !(Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB))
    return;
  DefaultHandler(m);
}

// The wheel goes to DoMouseWheel, then OnMouseWheel, then a notch at a time
// to DoMouseWheelDown/DoMouseWheelUp, else to the parent (as CM_MOUSEWHEEL,
// which takes the same path there); only the window that got WM_MOUSEWHEEL
// hands an unanswered one to its default procedure.
bool TWinControl::MouseWheelHandled(TMessage& m) {
  TWMMouseWheel& w = MessageAs<TWMMouseWheel>(m);
  TShiftState shift = KeysToShiftState(static_cast<Word>(w.Keys()));
  POINT p{w.XPos(), w.YPos()};
  bool handled = DoMouseWheel(shift, w.WheelDelta(), p);
  if (!handled) OnMouseWheel(this, shift, w.WheelDelta(), p, handled);
  if (!handled) handled = DoMouseWheelNotches(shift, w.WheelDelta(), p);
  if (handled) m.Result = 1;
  else if (parent_) m.Result = parent_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
  return m.Result != 0;
}

// Fine-grained wheels send deltas below a notch (120): they add up until a
// whole notch is reached, so the up and down events count notches, not
// messages.
bool TWinControl::DoMouseWheelNotches(TShiftState shift, int wheelDelta, POINT mousePos) {
  wheelAccumulator_ += wheelDelta;
  bool handled = false;
  while (wheelAccumulator_ >= WHEEL_DELTA || wheelAccumulator_ <= -WHEEL_DELTA) {
    bool down = wheelAccumulator_ < 0;
    wheelAccumulator_ += down ? WHEEL_DELTA : -WHEEL_DELTA;
    handled = down ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
  }
  return handled;
}

void TWinControl::WMMouseWheel(TWMMouseWheel& m) {
  if (!MouseWheelHandled(m)) DefaultHandler(m);
}

void TWinControl::CMMouseWheel(TMessage& m) { MouseWheelHandled(m); }
