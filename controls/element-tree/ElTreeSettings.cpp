// The tree's settings whose setters do more than store the value: the
// layout settings' deferred work, the line height, the settings that pull
// others along, the image lists and the selection mode.
#include "ElIni.hpp"
#include "ElTree.hpp"
#include "ExtCtrls.hpp"

// The rows must be measured and filled again, and the content width worked
// out again; the end of the update does it once.
void TCustomElTree::LayoutChanged() {
  for (int i = 0; i < FAllItems->Count(); ++i) static_cast<TElTreeItem*>(FAllItems->FastGet(i))->FHeightCache = 0xFFFF;
  if (FView) {
    FView->FlagFull();
    FView->FlagRepaint();
  }
  FlagColumnWidths();
  FlagRemeasure();
}

void TCustomElTree::SetFilteredVisibility(bool value) {
  if (value == FFilteredVisibility) return;
  TElTreeUpdateScope scope(this);
  FFilteredVisibility = value;
  if (FView) FView->FlagRowList();
  LayoutChanged();
}

void TCustomElTree::SetChangeDelay(int value) {
  FChangeDelay = value;
  if (FDelayTimer) FDelayTimer->SetInterval(static_cast<Cardinal>(value > 0 ? value : 0));
}

void TCustomElTree::SetLineHeight(int value) {
  if (FAutoLineHeight) return;
  ApplyLineHeight(value == 0 ? DefineLineHeight() : value);
}

void TCustomElTree::SetAutoLineHeight(bool value) {
  if (value == FAutoLineHeight) return;
  FAutoLineHeight = value;
  if (value) ApplyLineHeight(DefineLineHeight());
}

void TCustomElTree::SetDoInplaceEdit(bool value) { FDoInplaceEdit = value; }

void TCustomElTree::SetExpandOnDblClick(bool value) {
  FExpandOnDblClick = value;
  if (value) FDblClickMode = dcmExpand;
}

void TCustomElTree::SetDblClickMode(TElDblClickMode value) {
  FDblClickMode = value;
  if (value != dcmExpand) FExpandOnDblClick = false;
}

void TCustomElTree::SetBarStyle(bool value) {
  if (value == FBarStyle) return;
  TElTreeUpdateScope scope(this);
  FBarStyle = value;
  if (value) {
    FBkColor = clBtnFace;
    FTextColor = clBtnText;
    FLinesColor = clBtnShadow;
  }
  LayoutChanged();
}

void TCustomElTree::SetRowSelect(bool value) {
  if (value == FRowSelect) return;
  TElTreeUpdateScope scope(this);
  FRowSelect = value;
  if (!value) FFullRowSelect = false;
  LayoutChanged();
}

void TCustomElTree::SetForcedScrollBars(TScrollStyle value) {
  if (value == FForcedScrollBars) return;
  FForcedScrollBars = value;
  if (!FUseCustomScrollBars && HandleAllocated()) RecreateWnd();
}

// ---------------------------------------------------------------- background

bool TCustomElTree::BackgroundNeedsPicture(TElBkGndType type) {
  return type == bgtTileBitmap || type == bgtStretchBitmap || type == bgtCenterBitmap;
}

void TCustomElTree::SetBackgroundType(TElBkGndType value) {
  if (value == FBackgroundType) return;
  // A picture type without a picture fills with the colour; while the form
  // is read the picture may still follow, and Loaded checks again.
  if (BackgroundNeedsPicture(value) && !IsLoading() && (!FBackground || FBackground->Empty())) value = bgtColorFill;
  FBackgroundType = value;
  BackgroundChanged();
}

void TCustomElTree::BackgroundChanged() {
  if (IsLoading() || !FView) return;
  FView->Invalidate();
}

void TCustomElTree::SetGradientStartColor(TColor value) {
  if (value == FGradientStartColor) return;
  FGradientStartColor = value;
  GradientChanged();
}

void TCustomElTree::SetGradientEndColor(TColor value) {
  if (value == FGradientEndColor) return;
  FGradientEndColor = value;
  GradientChanged();
}

void TCustomElTree::SetGradientSteps(int value) {
  if (value < 1 || value == FGradientSteps) return;
  FGradientSteps = value;
  GradientChanged();
}

void TCustomElTree::GradientChanged() {
  if ((FBackgroundType == bgtHorzGradient || FBackgroundType == bgtVertGradient) && !IsUpdating()) BackgroundChanged();
}

// ---------------------------------------------------------------- selection mode

void TCustomElTree::SetMultiSelect(bool value) {
  if (value == FMultiSelect) return;
  TElTreeUpdateScope scope(this);
  if (value) {
    FSelectedItems = std::make_unique<TElList>();
    FMultiSelect = true;
    if (FView && FView->FSelected) {
      TElTreeItem* anchor = FView->FSelected;
      if (anchor->Selected()) FSelectedItems->Add(anchor);
    }
    return;
  }
  ReduceSelectionToFocus();
  FMultiSelect = false;
  FSelectedItems.reset();
  if (FView) FView->FSelected = GetFocusedItem();
}

void TCustomElTree::SetMultiSelectLevel(int value) {
  if (value == FMultiSelectLevel) return;
  FMultiSelectLevel = value;
  if (FMultiSelect) {
    TElTreeUpdateScope scope(this);
    ReduceSelectionToFocus();
  }
}

// Deselects everything, then selects the focused item alone.
void TCustomElTree::ReduceSelectionToFocus() {
  if (!FMultiSelect || !FSelectedItems) return;
  DeselectAllEx(true);
  if (TElTreeItem* focused = GetFocusedItem()) focused->SetSelected(true);
}

void TCustomElTree::SetSelectColumn(int value) {
  if (!IsLoading() && (value < -1 || value >= HeaderSectionCount())) return;
  if (value == FSelectColumn) return;
  FSelectColumn = value;
  if (FView) FView->Invalidate();
}

// ---------------------------------------------------------------- image lists

void TCustomElTree::SetImages(TImageList* value) { SetImageList(FImages, value); }

void TCustomElTree::SetImages2(TImageList* value) { SetImageList(FImages2, value); }

void TCustomElTree::SetImageList(TImageList*& field, TImageList* value) {
  if (field == value) return;
  TElTreeUpdateScope scope(this);
  if (field) {
    if (FImageChangeLink) field->UnRegisterChanges(FImageChangeLink);
    field->RemoveFreeNotification(this);
  }
  field = value;
  if (field) {
    if (FImageChangeLink) field->RegisterChanges(FImageChangeLink);
    field->FreeNotification(this);
  }
  LayoutChanged();
}

void TCustomElTree::ImagesChanged(TObject* /*sender*/) {
  TElTreeUpdateScope scope(this);
  LayoutChanged();
}

void TCustomElTree::Notification(TComponent* component, TOperation operation) {
  TElXPThemedControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) SetImages(nullptr);
  if (component == FImages2) SetImages2(nullptr);
  if (component == static_cast<TComponent*>(FStorage)) FStorage = nullptr;
  if (component == static_cast<TComponent*>(FImgForm)) SetImageForm(nullptr);
}

// ---------------------------------------------------------------- font

void TCustomElTree::FontChanged(TObject* /*sender*/) {
  TElTreeUpdateScope scope(this);
  if (FHeaderUseTreeFont) {
    if (FHeaderFont) FHeaderFont->Assign(Font());
    if (FHeader) FHeader->Font()->Assign(Font());
  }
  LayoutChanged();
}


void TCustomElTree::SetUseCustomScrollBars(bool value) {
  if (value == FUseCustomScrollBars) return;
  FUseCustomScrollBars = value;
  if (HandleAllocated()) RecreateWnd();
}

// ---------------------------------------------------------------- header

void TCustomElTree::SetShowColumns(bool value) {
  if (value == FShowColumns) return;
  // Columns need sections; a form being read may bring them later.
  if (value && HeaderSectionCount() == 0 && !IsLoading()) return;
  TElTreeUpdateScope scope(this);
  FShowColumns = value;
  if (FHeader) FHeader->SetVisible(value);
  LayoutChanged();
  RequestLayout();
}

void TCustomElTree::SetHeaderColor(TColor value) {
  if (FHeader) FHeader->SetColor(value);
}

TColor TCustomElTree::GetHeaderColor() { return FHeader ? FHeader->Color() : clBtnFace; }

// ---------------------------------------------------------------- loading and copying

void TCustomElTree::Loaded() {
  TElXPThemedControl::Loaded();
  TElTreeUpdateScope scope(this);
  // The parts are not in the form's list of loaded components: their own
  // fix-ups (the sections' menus, the bars' metrics) run from here.
  if (FHeader) static_cast<TComponent*>(FHeader)->Loaded();
  if (FSortMode == smAdd || FSortMode == smAddClick) {
    DoSortBegin();
    SortItemChildren(GetRoot(), true);
    DoSortEnd();
  }
  ApplyDragType();
  FontChanged(this);
  ReRenderHTMLItems();
  if (FSelectColumn >= HeaderSectionCount()) FSelectColumn = -1;
  if (FHeader && FStreamedHeaderHeight > 0 && FStreamedHeaderHeight != FHeader->Height())
    FHeader->SetHeight(FStreamedHeaderHeight);
  for (TElScrollBar* bar : {FHScrollBar, FVScrollBar})
    if (bar) static_cast<TComponent*>(bar)->Loaded();
  // The picture a picture type waited for did not come: fill with the colour.
  if (BackgroundNeedsPicture(FBackgroundType) && (!FBackground || FBackground->Empty())) FBackgroundType = bgtColorFill;
  Resize();
  if (FHeader) FHeader->Font()->Assign(FHeaderUseTreeFont ? Font() : FHeaderFont);
  AutoSizeAllColumns();
  LayoutChanged();
}

void TCustomElTree::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCustomElTree*>(source);
  if (!other) {
    TElXPThemedControl::Assign(source);
    return;
  }
  TElTreeUpdateScope scope(this);
  FItems->Assign(other->FItems);
  FLinesStyle = other->FLinesStyle;
  FLinesColor = other->FLinesColor;
  FDeselectChildrenOnCollapse = other->FDeselectChildrenOnCollapse;
  FDrawFocusRect = other->FDrawFocusRect;
  FBarStyle = other->FBarStyle;
  FAlwaysKeepSelection = other->FAlwaysKeepSelection;
  FFullRowSelect = other->FFullRowSelect;
  SetDragType(other->FDragType);
  FAutoLookup = other->FAutoLookup;
  FSelectColumn = other->FSelectColumn;
  FAutoExpand = other->FAutoExpand;
  if (other->FPlusPicture) PlusPicture()->Assign(other->FPlusPicture);
  if (other->FMinusPicture) MinusPicture()->Assign(other->FMinusPicture);
  if (other->FLeafPicture) LeafPicture()->Assign(other->FLeafPicture);
  FCustomPlusMinus = other->FCustomPlusMinus;
  FShowCheckboxes = other->FShowCheckboxes;
  FShowLeafButton = other->FShowLeafButton;
  FHideHorzScrollBar = other->FHideHorzScrollBar;
  FHideVertScrollBar = other->FHideVertScrollBar;
  FBkColor = other->FBkColor;
  FTextColor = other->FTextColor;
  FShowButtons = other->FShowButtons;
  FShowLines = other->FShowLines;
  FShowImages = other->FShowImages;
  FShowRoot = other->FShowRoot;
  FLineHintMode = other->FLineHintMode;
  SetShowColumns(other->FShowColumns);
  FBorderStyle = other->FBorderStyle;
  FDoInplaceEdit = other->FDoInplaceEdit;
  FHorizontalLines = other->FHorizontalLines;
  FVerticalLines = other->FVerticalLines;
  FScrollTracking = other->FScrollTracking;
  FTracking = other->FTracking;
  FHeaderHotTrack = other->FHeaderHotTrack;
  FOwnerDrawByColumn = other->FOwnerDrawByColumn;
  FOwnerDrawMask = other->FOwnerDrawMask;
  FDragTrgDrawMode = other->FDragTrgDrawMode;
  FTopIndex = other->FTopIndex;
  if (FView) FView->ClearTopRowCache();
  FAutoLineHeight = other->FAutoLineHeight;
  FLineHeight = other->FLineHeight;
  FStorage = other->FStorage;
  FStoragePath = other->FStoragePath;
  LayoutChanged();
}
