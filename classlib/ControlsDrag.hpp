// The drag vocabulary of the library: the states a drag target goes
// through and the object that stands for what is being dragged. The drag
// loop itself (BeginDrag, CM_DRAG, drag images) builds on these.
#pragma once

#include "Controls.hpp"

// What a drag does to a target under it.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

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
