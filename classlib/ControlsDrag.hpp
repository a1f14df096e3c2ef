// Drag and drop between the library's controls: the object that stands for
// what is being dragged, the CM_DRAG message a drag sends to the controls
// under it, and the drag loop (TControl::BeginDrag) that runs in the
// program's message handling while the mouse is held.
#pragma once

#include "Controls.hpp"
#include "ImgList.hpp"

// The thing being dragged. Descendants say which cursor shows over a
// target, which images follow the cursor, and what happens when the drag
// ends.
class TDragObject : public TObject {
 public:
  TDragObject() = default;

  // crDrag over a target that accepts, crNoDrop elsewhere.
  virtual TCursor GetDragCursor(bool accepted, int x, int y);
  // The images shown under the cursor over controls with csDisplayDragImage.
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // Around a repaint under the cursor: the image must not be painted over.
  virtual void HideDragImage();
  virtual void ShowDragImage();

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
  // The drag loop touches the object no more afterwards.
  virtual void Finished(TObject* target, int x, int y, bool accepted);

 private:
  POINT dragPos_{};
  TObject* dragTarget_ = nullptr;
  POINT dragTargetPos_{};
  bool cancelling_ = false;
};

// The drag object the library makes for a control whose OnStartDrag supplies
// none: the control's drag cursor and images, and its DoEndDrag at the end.
// A control destroyed during the drag is forgotten.
class TDragControlObject : public TDragObject {
 public:
  explicit TDragControlObject(TControl* control) : control_(control) {}
  TControl* Control() const { return control_; }
  void ForgetControl() { control_ = nullptr; }

  // The control's DragCursor over a target that accepts, crNoDrop elsewhere.
  TCursor GetDragCursor(bool accepted, int x, int y) override;
  TDragImageList* GetDragImages() override;
  // The control's DoEndDrag, without a target unless the drop was accepted.
  void Finished(TObject* target, int x, int y, bool accepted) override;

 private:
  TControl* control_;
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

// Ends the drag in progress, if any, without a drop.
void CancelDrag();

// The program's one drag. TControl and the application's message handling
// feed it; nothing else calls it.
class TDragLoop {
 public:
  // BeginDrag: at once, or once the pressed mouse has moved the threshold.
  static void Begin(TControl* control, bool immediate, int threshold);
  // EndDrag: drops on an accepting target or ends without one.
  static void End(bool drop);
  static bool IsDragging(const TControl* control);
  // Where the last press on a control was: a drag begun during that press
  // measures its threshold from there.
  static void NotePress(TControl* control, POINT screenPos);
  // A mouse message to the control of a drag that waits for its threshold.
  // True when it started the drag, which takes the message.
  static bool PendingMouse(TControl* control, const TMessage& m);
  static void ControlDestroying(TControl* control);
  // A key anywhere in the program while a drag runs: Escape cancels, Ctrl
  // asks for the cursor again. True when the key is consumed.
  static bool KeyMessage(const MSG& msg);

 private:
  // Makes the drag object (OnStartDrag's, else one of the library's own),
  // takes the capture and goes to the point.
  static void Start(TControl* control, POINT pos);
};
