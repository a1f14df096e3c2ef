#include "lib_FormsTools.hpp"

#include "Forms.hpp"

void THorisontalAndVerticalMovement::MouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
  if (button != mbLeft) return;
  downX_ = x;
  downY_ = y;
}

void THorisontalAndVerticalMovement::MouseMove(TObject* sender, TShiftState shift, int x, int y) {
  if (!shift.Contains(ssLeft)) return;
  if (x == downX_ && y == downY_) return;
  auto* control = dynamic_cast<TControl*>(sender);
  if (!control) return;
  TCustomForm* form = control->GetParentForm();
  if (!form) return;
  form->SetBounds(form->Left() + x - downX_, form->Top() + y - downY_, form->Width(), form->Height());
  RepaintTopLevelForms();
}

void RepaintTopLevelForms() {
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (!form->Parent() && form->Visible()) form->Update();
  }
}
