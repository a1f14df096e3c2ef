// The UTF-16 edit whose vertical scroll bar its owner draws: the licence
// page paints the bar's buttons, thumb and track with skin pictures.
#pragma once

#include "ElEdits.hpp"

class TSBScrollbaredElEdit : public TElEdit {
 public:
  explicit TSBScrollbaredElEdit(TComponent* owner);

  // The vertical bar's part drawing, with the edit as Sender; assigned in
  // code. Without it the bar paints every part itself. The bar offers its
  // parts only while its styles' OwnerDraw is on.
  TElScrollDrawPartEvent OnVertScrollDrawPart;

 private:
  void ScrollBarDrawPart(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart part, bool enabled,
                         bool focused, bool pressed, bool& defaultDraw);
};
