// The drag loop. BeginDrag returns at once: the drag goes on in the
// program's message handling, through a hidden window that holds the mouse
// capture, so whatever loop dispatches messages drives it. Every target is
// told enter, move and leave in that order; a drop or cancel ends it, and
// the drag object is told Finished exactly once.
#include "ControlsDrag.hpp"

#include <cstdlib>
#include <exception>

#include "Forms.hpp"

TCursor TDragObject::GetDragCursor(bool accepted, int, int) { return accepted ? crDrag : crNoDrop; }

void TDragObject::HideDragImage() {
  if (TDragImageList* images = GetDragImages()) images->HideDragImage();
}

void TDragObject::ShowDragImage() {
  if (TDragImageList* images = GetDragImages()) images->ShowDragImage();
}

void TDragObject::Finished(TObject*, int, int, bool) {}

TCursor TDragControlObject::GetDragCursor(bool accepted, int, int) {
  return accepted && control_ ? control_->DragCursor() : crNoDrop;
}

TDragImageList* TDragControlObject::GetDragImages() { return control_ ? control_->GetDragImages() : nullptr; }

void TDragControlObject::Finished(TObject* target, int x, int y, bool accepted) {
  if (control_) control_->DoEndDrag(accepted ? target : nullptr, x, y);
}

namespace {

enum class TDragPhase { Idle, Pending, Dragging, Ending };

struct TDragSession {
  TDragPhase phase = TDragPhase::Idle;
  TControl* control = nullptr;
  TDragObject* object = nullptr;
  bool ownsObject = false;
  TControl* target = nullptr;
  POINT startPos{};
  int threshold = 0;
  HCURSOR savedCursor = nullptr;
  TControl* pressControl = nullptr;
  POINT pressPos{};
};
TDragSession g_drag;

// The hidden window holding the capture during a drag; made once and kept.
struct TDragWindow {
  HWND handle = nullptr;
  void WndProc(TMessage& m);
};
TDragWindow g_window;

void DragTo(POINT pos);
void DragDone(bool drop);

// Ends the drag after a failure, keeping the failure that ended it: a second
// one raised while the targets are told is dropped.
void CancelAfterFailure() {
  try {
    DragDone(false);
  } catch (...) {
  }
}

HWND DragWindow() {
  if (!g_window.handle) g_window.handle = AllocateHWnd(TWndMethod(&g_window, &TDragWindow::WndProc));
  return g_window.handle;
}

bool Active() { return g_drag.phase == TDragPhase::Dragging; }

// Sends the drag message to the current target; its answer (accepted).
bool SendToTarget(TDragMessage message) {
  if (!g_drag.target) return false;
  TDragRec rec;
  rec.Pos = g_drag.object->DragPos();
  rec.Source = g_drag.object;
  rec.Target = g_drag.target;
  return g_drag.target->Perform(CM_DRAG, message, reinterpret_cast<LPARAM>(&rec)) != 0;
}

// The control under the point, as the library window there finds it. A
// window of another kind is walked up to its parents; only a window of
// this library, not another program's, can name a target.
TControl* FindTarget(POINT pos) {
  HWND wnd = WindowFromPoint(pos);
  TWinControl* win = nullptr;
  while (wnd && !(win = TWinControl::FindControl(wnd))) wnd = GetAncestor(wnd, GA_PARENT);
  if (!win) return nullptr;
  TDragRec rec;
  rec.Pos = pos;
  rec.Source = g_drag.object;
  return reinterpret_cast<TControl*>(win->Perform(CM_DRAG, dmFindTarget, reinterpret_cast<LPARAM>(&rec)));
}

// The image follows the cursor over controls that show drag images, and
// nowhere else.
void UpdateImage(POINT pos) {
  TDragImageList* images = g_drag.object->GetDragImages();
  bool show = images && g_drag.target && g_drag.target->ControlStyle().Contains(csDisplayDragImage);
  if (!show || TDragImageList::CurrentDrag() != images) TDragImageList::EndCurrentDrag();
  if (!show) return;
  if (images->Dragging()) images->DragMove(pos.x, pos.y);
  else images->BeginDrag(GetDesktopWindow(), pos.x, pos.y);
}

void DragTo(POINT pos) {
  TDragObject* object = g_drag.object;
  TControl* target = FindTarget(pos);
  if (target != g_drag.target) {
    SendToTarget(dmDragLeave);
    if (!Active()) return;
    g_drag.target = target;
    object->SetDragTarget(target);
    object->SetDragPos(pos);
    SendToTarget(dmDragEnter);
    if (!Active()) return;
  }
  object->SetDragPos(pos);
  if (g_drag.target) object->SetDragTargetPos(g_drag.target->ScreenToClient(pos));
  bool accepted = SendToTarget(dmDragMove);
  if (!Active()) return;
  TCursor cursor = object->GetDragCursor(accepted, pos.x, pos.y);
  UpdateImage(pos);
  if (Screen) ::SetCursor(Screen->Cursors(cursor));
}

}  // namespace

void TDragLoop::Start(TControl* control, POINT pos) {
  g_drag.phase = TDragPhase::Dragging;
  g_drag.control = control;
  g_drag.target = nullptr;
  // The press became a drag: no click, and the capture moves to the drag.
  TControlState state = control->ControlState();
  control->SetControlState(state - TControlState{csLButtonDown, csClicked});
  SetCaptureControl(nullptr);
  TDragObject* object = nullptr;
  try {
    control->DoStartDrag(object);
  } catch (...) {
    if (g_drag.control == control) g_drag = TDragSession{};
    throw;
  }
  if (!Active() || g_drag.control != control) {
    // Ended (or the control went) while it started: a supplied object still
    // hears of the end, once.
    if (object) object->Finished(nullptr, 0, 0, false);
    return;
  }
  g_drag.object = object ? object : new TDragControlObject(control);
  g_drag.ownsObject = object == nullptr;
  g_drag.object->SetDragTarget(nullptr);
  g_drag.object->SetDragPos(pos);
  g_drag.object->SetCancelling(false);
  g_drag.savedCursor = GetCursor();
  SetCapture(DragWindow());
  try {
    DragTo(pos);
  } catch (...) {
    CancelAfterFailure();
    throw;
  }
}

namespace {

// The targets are told first (leave, then drop or cancel), the session is
// forgotten, then the object hears Finished once; only an object the loop
// made is freed. A failure on the way is raised once all this is done.
void DragDone(bool drop) {
  if (!Active()) return;
  g_drag.phase = TDragPhase::Ending;
  TDragObject* object = g_drag.object;
  if (!object) {
    // Ended while the source was still making its object.
    g_drag = TDragSession{};
    return;
  }
  bool ownsObject = g_drag.ownsObject;
  if (!drop) object->SetCancelling(true);
  if (GetCapture() == g_window.handle) ReleaseCapture();
  TDragImageList::EndCurrentDrag();
  if (g_drag.savedCursor) ::SetCursor(g_drag.savedCursor);
  bool accepted = false;
  POINT at{};
  std::exception_ptr failure;
  try {
    if (g_drag.target) {
      at = g_drag.target->ScreenToClient(object->DragPos());
      accepted = SendToTarget(dmDragLeave) && drop && g_drag.target;
      if (g_drag.target) SendToTarget(accepted ? dmDragDrop : dmDragCancel);
    }
  } catch (...) {
    failure = std::current_exception();
    accepted = false;
  }
  TObject* target = accepted ? g_drag.target : nullptr;
  if (!accepted) at = POINT{};
  g_drag = TDragSession{};
  try {
    object->Finished(target, at.x, at.y, accepted);
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  if (ownsObject) delete object;
  if (failure) std::rethrow_exception(failure);
}

void TDragWindow::WndProc(TMessage& m) {
  if (!Active()) {
    m.Result = DefWindowProcA(handle, m.Msg, m.WParam, m.LParam);
    return;
  }
  try {
    switch (m.Msg) {
      case WM_MOUSEMOVE: {
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        ClientToScreen(handle, &p);
        DragTo(p);
        return;
      }
      case WM_LBUTTONUP: DragDone(true); return;
      case WM_RBUTTONDOWN: case WM_CANCELMODE: case WM_CAPTURECHANGED: DragDone(false); return;
      case CN_KEYDOWN: case CN_KEYUP:
        if (m.WParam == VK_ESCAPE && m.Msg == CN_KEYDOWN) {
          m.Result = 1;
          DragDone(false);
        } else if (m.WParam == VK_CONTROL) {
          DragTo(g_drag.object->DragPos());
        }
        return;
      default: break;
    }
  } catch (...) {
    CancelAfterFailure();
    throw;
  }
  m.Result = DefWindowProcA(handle, m.Msg, m.WParam, m.LParam);
}

}  // namespace

void TDragLoop::Begin(TControl* control, bool immediate, int threshold) {
  if (!control || g_drag.phase == TDragPhase::Dragging || g_drag.phase == TDragPhase::Ending) return;
  // Measured from the press that is going on, else from the cursor.
  POINT start{};
  if (g_drag.pressControl == control && control->ControlState().Contains(csLButtonDown)) start = g_drag.pressPos;
  else GetCursorPos(&start);
  if (immediate) {
    g_drag.phase = TDragPhase::Idle;
    Start(control, start);
    return;
  }
  g_drag.phase = TDragPhase::Pending;
  g_drag.control = control;
  g_drag.startPos = start;
  g_drag.threshold = threshold < 0 ? (Mouse ? Mouse->DragThreshold() : 5) : threshold;
}

void TDragLoop::End(bool drop) {
  if (g_drag.phase == TDragPhase::Pending) {
    g_drag.phase = TDragPhase::Idle;
    g_drag.control = nullptr;
    return;
  }
  DragDone(drop);
}

bool TDragLoop::IsDragging(const TControl* control) {
  return control && g_drag.control == control && g_drag.phase != TDragPhase::Idle &&
         g_drag.phase != TDragPhase::Pending;
}

void TDragLoop::NotePress(TControl* control, POINT screenPos) {
  g_drag.pressControl = control;
  g_drag.pressPos = screenPos;
}

bool TDragLoop::PendingMouse(TControl* control, const TMessage& m) {
  if (g_drag.phase != TDragPhase::Pending || g_drag.control != control) return false;
  if (m.Msg != WM_MOUSEMOVE) {
    // A release (or any other press) before the threshold: an ordinary click.
    if (m.Msg != WM_LBUTTONDOWN) {
      g_drag.phase = TDragPhase::Idle;
      g_drag.control = nullptr;
    }
    return false;
  }
  POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  p = control->ClientToScreen(p);
  if (std::abs(p.x - g_drag.startPos.x) < g_drag.threshold && std::abs(p.y - g_drag.startPos.y) < g_drag.threshold)
    return false;
  g_drag.phase = TDragPhase::Idle;
  Start(control, p);
  return true;
}

void TDragLoop::ControlDestroying(TControl* control) {
  if (g_drag.pressControl == control) g_drag.pressControl = nullptr;
  if (g_drag.phase == TDragPhase::Pending && g_drag.control == control) {
    g_drag.phase = TDragPhase::Idle;
    g_drag.control = nullptr;
  }
  if (g_drag.phase != TDragPhase::Dragging && g_drag.phase != TDragPhase::Ending) return;
  if (auto* own = dynamic_cast<TDragControlObject*>(g_drag.object); own && own->Control() == control)
    own->ForgetControl();
  if (g_drag.target == control) {
    g_drag.target = nullptr;
    if (g_drag.object && g_drag.object->DragTarget() == control) g_drag.object->SetDragTarget(nullptr);
  }
  if (g_drag.control == control) {
    g_drag.control = nullptr;
    // A drag whose source goes ends; its object is still told.
    if (Active()) CancelAfterFailure();
  }
}

bool TDragLoop::KeyMessage(const MSG& msg) {
  if (!Active()) return false;
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return false;
  return SendMessageA(g_window.handle, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

void CancelDrag() { DragDone(false); }
