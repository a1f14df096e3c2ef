// The base of every kit button: mouse enter and leave events carrying the
// message, the toggle state Down, and one click-log line per press.
#pragma once

#include "Controls.hpp"

// An enter or leave event: the message the control received.
using TOnMouseEvent = TEvent<TWMMouse&>;

class TSBButton : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

  bool Down() const { return down_; }
  virtual void SetDown(bool value) = 0;

  TOnMouseEvent OnMouseEnter;
  TOnMouseEvent OnMouseLeave;

 protected:
  // Logs "Owner.Name" for the press, then the inherited handling.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Dispatch(TMessage& message) override;

  bool down_ = false;
};
