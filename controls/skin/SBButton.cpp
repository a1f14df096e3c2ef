#include "SBButton.hpp"

#include "SBLog.hpp"

void TSBButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  AddLogLine((Owner() ? Owner()->Name() : std::string()) + "." + Name());
  TCustomControl::MouseDown(button, shift, x, y);
}

void TSBButton::Dispatch(TMessage& m) {
  if (m.Msg == CM_MOUSEENTER) OnMouseEnter(MessageAs<TWMMouse>(m));
  else if (m.Msg == CM_MOUSELEAVE) OnMouseLeave(MessageAs<TWMMouse>(m));
  TCustomControl::Dispatch(m);
}
