// The cell style and the control it may carry.
#include "ElTree.hpp"

namespace {

// The view showing a style's cell, or nil.
TElTreeView* ViewOf(TElCellStyle* style) {
  TCustomElTree* tree = style && style->Owner() ? style->Owner()->Owner() : nullptr;
  return tree ? tree->View() : nullptr;
}

}  // namespace

TElCellControl::~TElCellControl() {
  // A control freed by its user leaves its cell empty.
  if (TElTreeView* view = ViewOf(FOwner)) view->ForgetCellControl(this);
  if (FOwner && FOwner->FControl == this) FOwner->FControl = nullptr;
}

TElCellStyle::TElCellStyle(TElTreeItem* owner) : FOwner(owner) {}

TElCellStyle::~TElCellStyle() {
  try {
    SetControl(nullptr);
  } catch (...) {
    // A destructor does not pass errors on.
  }
}

void TElCellStyle::Assign(TElCellStyle* source) {
  if (!source || source == this) return;
  FUseBkColor = source->FUseBkColor;
  FCellBkColor = source->FCellBkColor;
  FTextBkColor = source->FTextBkColor;
  FTextColor = source->FTextColor;
  FTextFlags = source->FTextFlags;
  FPicture = source->FPicture;
  FCellType = source->FCellType;
  FStyle = source->FStyle;
  FUseTreeLook = source->FUseTreeLook;
  FFontSize = source->FFontSize;
  FFontStyles = source->FFontStyles;
  FFontName = source->FFontName;
}

void TElCellStyle::SetControl(TElCellControl* control) {
  if (control == FControl) return;
  TElCellControl* old = FControl;
  FControl = nullptr;
  if (old) {
    if (TElTreeView* view = ViewOf(this)) view->ForgetCellControl(old);
    old->SetOwner(nullptr);
    // In virtual mode the shared style only lends its cells the
    // application's controls; otherwise the style owns its control.
    TCustomElTree* tree = FOwner ? FOwner->Owner() : nullptr;
    if (tree && tree->VirtualityLevel() == vlNone) old->Free();
  }
  FControl = control;
  if (control) {
    if (TElCellStyle* previous = control->Owner(); previous && previous != this) previous->FControl = nullptr;
    control->SetOwner(this);
  }
  RedrawOwner();
}

void TElCellStyle::RedrawOwner() {
  if (FOwner) FOwner->UpdateItem();
}
