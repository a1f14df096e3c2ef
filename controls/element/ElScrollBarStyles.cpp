#include "ElScrollBar.hpp"

TElScrollBarStyles::TElScrollBarStyles(TElScrollBar* scrollBar, TControl* control)
    : scrollBar_(scrollBar), control_(control) {
  if (!scrollBar || !control)
    throw Exception("No scrollbar specified when attempting to create TElScrollBarStyles instance");
  SetUseSystemMetrics(true);
}

int TElScrollBarStyles::Width() const {
  return scrollBar_->Kind() == sbHorizontal ? scrollBar_->Height() : scrollBar_->Width();
}

void TElScrollBarStyles::SetWidth(int value) {
  if (scrollBar_->UseSystemMetrics() && !control_->ComponentState().Contains(csLoading)) {
    // Off and on again: the bar takes the system thickness back.
    scrollBar_->SetUseSystemMetrics(false);
    scrollBar_->SetUseSystemMetrics(true);
  } else if (scrollBar_->Kind() == sbVertical) {
    scrollBar_->SetWidth(value);
  } else {
    scrollBar_->SetHeight(value);
  }
  OnChange(this);
}

void TElScrollBarStyles::SetUseSystemMetrics(bool value) {
  if (scrollBar_->UseSystemMetrics() == value) return;
  scrollBar_->SetUseSystemMetrics(value);
  OnChange(this);
}

void TElScrollBarStyles::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TElScrollBarStyles*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  SetActiveFlat(other->ActiveFlat());
  SetBlendBackground(other->BlendBackground());
  SetColor(other->Color());
  SetFlat(other->Flat());
  SetMinThumbSize(other->MinThumbSize());
  SetOwnerDraw(other->OwnerDraw());
  SetSecondaryButtons(other->SecondaryButtons());
  SetSecondBtnKind(other->SecondBtnKind());
  SetShowTrackHint(other->ShowTrackHint());
  SetThumbMode(other->ThumbMode());
  SetThumbSize(other->ThumbSize());
}
