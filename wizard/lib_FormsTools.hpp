// Moving the frameless wizard window by dragging its frame pictures.
#pragma once

#include <cstdint>

#include "Classes.hpp"
#include "Controls.hpp"

class THorisontalAndVerticalMovement : public TComponent {
 public:
  using TComponent::TComponent;

  // Remembers the point where the left button went down.
  void MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  // While the left button is held, moves the form that holds Sender by the
  // distance the pointer moved from the remembered point. The pressed
  // control moves with the window, so that point stays valid for the
  // whole drag.
  void MouseMove(TObject* sender, TShiftState shift, int x, int y);

 private:
  std::int32_t downX_ = 0;
  std::int32_t downY_ = 0;
};

// Updates every visible top-level form, in the screen's list order, so a
// dragged window leaves no unpainted trail behind on slow machines.
void RepaintTopLevelForms();
