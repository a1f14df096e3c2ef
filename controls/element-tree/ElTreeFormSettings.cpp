// The tree's settings that live in its header, the frame's look that
// re-creates the window, the image form that paints the corner and the
// UTF-16 hint.
#include <algorithm>
#include <vector>

#include "ElHintWindow.hpp"
#include "ElImgFrm.hpp"
#include "ElTree.hpp"

// ---------------------------------------------------------------- header

int TCustomElTree::HeaderHeight() const { return FHeader ? FHeader->Height() : 0; }

void TCustomElTree::SetHeaderHeight(int value) {
  // A form carries the height before the sections that decide it; Loaded
  // gives it to the header.
  if (IsLoading()) {
    FStreamedHeaderHeight = value;
    return;
  }
  if (!FHeader || value == FHeader->Height()) return;
  {
    TElTreeUpdateScope scope(this);
    FHeader->SetHeight(value);
    LayoutChanged();
  }
  if (FShowColumns) LayOutParts();
}

void TCustomElTree::SetHeaderUseTreeFont(bool value) {
  if (value == FHeaderUseTreeFont) return;
  FHeaderUseTreeFont = value;
  if (FHeader) FHeader->Font()->Assign(value ? Font() : FHeaderFont);
}

void TCustomElTree::SetHeaderHotTrack(bool value) {
  FHeaderHotTrack = value;
  if (FHeader) FHeader->SetTracking(value);
}

TElHeaderSections* TCustomElTree::HeaderSections() const { return FHeader ? FHeader->Sections() : nullptr; }

int TCustomElTree::DefaultSectionWidth() const { return FHeader ? FHeader->DefaultWidth() : 0; }

void TCustomElTree::SetDefaultSectionWidth(int value) {
  if (FHeader) FHeader->SetDefaultWidth(value);
}

TColor TCustomElTree::HeaderFilterColor() const { return FHeader ? FHeader->FilterColor() : clBtnText; }

void TCustomElTree::SetHeaderFilterColor(TColor value) {
  if (FHeader) FHeader->SetFilterColor(value);
}

TColor TCustomElTree::HeaderActiveFilterColor() const { return FHeader ? FHeader->ActiveFilterColor() : 0; }

void TCustomElTree::SetHeaderActiveFilterColor(TColor value) {
  if (FHeader) FHeader->SetActiveFilterColor(value);
}

bool TCustomElTree::HeaderFlat() const { return FHeader && FHeader->Flat(); }

void TCustomElTree::SetHeaderFlat(bool value) {
  if (FHeader) FHeader->SetFlat(value);
}

bool TCustomElTree::HeaderWrapCaptions() const { return FHeader && FHeader->WrapCaptions(); }

void TCustomElTree::SetHeaderWrapCaptions(bool value) {
  if (FHeader) FHeader->SetWrapCaptions(value);
}

bool TCustomElTree::HeaderInvertSortArrows() const { return FHeader && FHeader->InvertSortArrows(); }

void TCustomElTree::SetHeaderInvertSortArrows(bool value) {
  if (FHeader) FHeader->SetInvertSortArrows(value);
}

TImageList* TCustomElTree::HeaderImages() const { return FHeader ? FHeader->Images() : nullptr; }

void TCustomElTree::SetHeaderImages(TImageList* value) {
  if (FHeader) FHeader->SetImages(value);
}

TElImageForm* TCustomElTree::HeaderImageForm() const { return FHeader ? FHeader->ImageForm() : nullptr; }

void TCustomElTree::SetHeaderImageForm(TElImageForm* value) {
  if (FHeader) FHeader->SetImageForm(value);
}

TPopupMenu* TCustomElTree::HeaderPopupMenu() const { return FHeader ? FHeader->PopupMenu() : nullptr; }

void TCustomElTree::SetHeaderPopupMenu(TPopupMenu* value) {
  if (FHeader) FHeader->SetPopupMenu(value);
}

// ---------------------------------------------------------------- frame

void TCustomElTree::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElTree::SetBorderSides(TElBorderSides value) {
  if (value == FBorderSides) return;
  FBorderSides = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElTree::SetRightAlignedText(bool value) {
  if (value == FRightAlignedText) return;
  TElTreeUpdateScope scope(this);
  FRightAlignedText = value;
  LayoutChanged();
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElTree::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  if (value) SetCtl3D(true);
  RedrawFrame();
}

void TCustomElTree::SetImageForm(TElImageForm* value) {
  if (FollowImageForm(this, FImgForm, value, FImageFormLink)) ImageFormChanged(this);
}

void TCustomElTree::ImageFormChanged(TObject* /*sender*/) {
  if (IsLoading() || IsDestroying()) return;
  Invalidate();
  if (FView) FView->Invalidate();
}

void TCustomElTree::SetHint(const TElFString& value) {
  FHint = value;
  TControl::SetHint(PackWideHint(value));
}

void TCustomElTree::SetUseXPThemes(bool value) {
  TElXPThemedControl::SetUseXPThemes(value);
  if (FHScrollBar) FHScrollBar->SetUseXPThemes(value);
  if (FVScrollBar) FVScrollBar->SetUseXPThemes(value);
  if (FHeader) FHeader->SetUseXPThemes(value);
}

// ---------------------------------------------------------------- frame redraws

// The whole frame is invalidated; its paint draws the border.
void TCustomElTree::RedrawFrame() {
  if (!HandleAllocated() || IsDestroying()) return;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

bool TCustomElTree::BorderTypesDiffer() const { return FActiveBorderType != FInactiveBorderType; }

void TCustomElTree::FocusChanged(bool focused) {
  FHasFocus = focused;
  if ((FFlat && BorderTypesDiffer()) || FUseCustomScrollBars) RedrawFrame();
}

void TCustomElTree::MouseOverChanged(bool over) {
  FMouseOver = over;
  if (FFlat && !FHasFocus && BorderTypesDiffer() && !IsThemeApplied()) RedrawFrame();
}

// The control before the tree in its parent's tab order, outside the tree.
void TCustomElTree::FocusPreviousControl() {
  TWinControl* parent = Parent();
  if (!parent) return;
  std::vector<TWinControl*> list;
  parent->GetTabOrderList(list);
  const auto self = std::find(list.begin(), list.end(), static_cast<TWinControl*>(this));
  if (self == list.end()) return;
  const size_t n = list.size(), at = static_cast<size_t>(self - list.begin());
  for (size_t k = 1; k < n; ++k) {
    TWinControl* c = list[(at + n - k) % n];
    if (ContainsControl(c)) continue;
    if (c->TabStop() && c->CanFocus()) {
      c->SetFocus();
      return;
    }
  }
}
