#include "SBScrollbaredElEdit.hpp"

TSBScrollbaredElEdit::TSBScrollbaredElEdit(TComponent* owner) : TElEdit(owner) {
  VertScrollBar()->OnDrawPart = TElScrollDrawPartEvent(this, &TSBScrollbaredElEdit::ScrollBarDrawPart);
}

void TSBScrollbaredElEdit::ScrollBarDrawPart(TObject*, TCanvas* canvas, TRect r, TElScrollBarPart part,
                                             bool enabled, bool focused, bool pressed, bool& defaultDraw) {
  // The handler gets its own copy of the rectangle.
  TRect place = r;
  OnVertScrollDrawPart(this, canvas, place, part, enabled, focused, pressed, defaultDraw);
}
