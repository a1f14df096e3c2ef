// The drag vocabulary of the library: the states a drag target goes
// through, the object that stands for what is being dragged, and the CM_DRAG
// message a drag sends to the controls under it. The drag loop itself
// (BeginDrag, drag images) builds on these.
#pragma once

#include "Controls.hpp"

// The thing being dragged. Descendants say which cursor shows over a
// target, how their drag image hides and shows, and what happens when the
// drag ends.
class TDragObject : public TObject {
 public:
  TDragObject() = default;

  // crDrag over a target that accepts, crNoDrop elsewhere.
  virtual TCursor GetDragCursor(bool accepted, int x, int y);
  virtual void HideDragImage() {}
  virtual void ShowDragImage() {}

  // The screen position of the drag, the target under it (a control or
  // another object the target stands for) and the point in its client
  // coordinates.
  POINT DragPos() const { return dragPos_; }
  void SetDragPos(POINT pos) { dragPos_ = pos; }
  TObject* DragTarget() const { return dragTarget_; }
  void SetDragTarget(TObject* target) { dragTarget_ = target; }
  POINT DragTargetPos() const { return dragTargetPos_; }
  void SetDragTargetPos(POINT pos) { dragTargetPos_ = pos; }
  // Set while the drag is being cancelled (Escape, a right click).
  bool Cancelling() const { return cancelling_; }
  void SetCancelling(bool value) { cancelling_ = value; }

  // Called once by the drag's owner when the drag ends, with the target it
  // ended over (nullptr when none) and the point in its client coordinates.
  virtual void Finished(TObject* target, int x, int y, bool accepted);

 private:
  POINT dragPos_{};
  TObject* dragTarget_ = nullptr;
  POINT dragTargetPos_{};
  bool cancelling_ = false;
};

// What a CM_DRAG message tells its control (its WParam).
enum TDragMessage {
  dmDragEnter = 0,
  dmDragLeave = 1,
  dmDragMove = 2,
  dmDragDrop = 3,
  dmDragCancel = 4,
  dmFindTarget = 5
};

// The drag a CM_DRAG message is about (its LParam): the screen position, the
// dragged object and the target found so far (set by the control answering
// dmFindTarget).
struct TDragRec {
  POINT Pos{};
  TDragObject* Source = nullptr;
  TObject* Target = nullptr;
  bool Docking = false;
};

struct TCMDrag : TMessage {
  TDragMessage DragMessage() const { return static_cast<TDragMessage>(WParam); }
  TDragRec* DragRec() const { return reinterpret_cast<TDragRec*>(LParam); }
};
