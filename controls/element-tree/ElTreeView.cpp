// The view's model side: its rows list, the cached top row, the change flags
// that the items raise and the item references it must drop when an item
// goes away.
#include "ElTree.hpp"

TElTreeView::TElTreeView(TCustomElTree* tree) : TCustomControl(tree), FOwner(tree) {
  SetControlStyle(ControlStyle() + TControlStyle{csOpaque, csDisplayDragImage});
  FVisibleRows = std::make_unique<TElList>();
  FBackgroundBitmap = std::make_unique<TBitmap>();
  FRender = std::make_unique<TElHTMLRender>();
  FLongestWidth = -1;
}

TElTreeView::~TElTreeView() { StopSearchThread(); }

void TElTreeView::BeforeDestruction() {
  // The timers are owned components that the base class's teardown frees;
  // gone first, the messages of the window's destruction find no pointer to
  // a freed one.
  HideLineHint();
  FreeDragTimer(FDragScrollTimer);
  FreeDragTimer(FDragExpandTimer);
  FreeDragTimer(FEditTimer);
  TCustomControl::BeforeDestruction();
}

// Rows came or went: those above the top row may have, so the kept top
// row's item no longer says where that row is.
void TElTreeView::FlagRows() {
  FTopItem = nullptr;
  FRowsChanged = true;
  FOwner->FlagUpdate();
}

void TElTreeView::FlagRowList() {
  FTopItem = nullptr;
  FRowsChanged = true;
  FRecountPending = true;
  FOwner->FlagUpdate();
}

void TElTreeView::FlagVertical() {
  FScrollChanged = true;
  FOwner->FlagUpdate();
}

void TElTreeView::FlagFull() {
  FRowsChanged = true;
  FScrollChanged = true;
  FHorzChanged = true;
  FLongestWidth = -1;
  FOwner->FlagUpdate();
}

void TElTreeView::FlagRepaint() {
  FRepaintPending = true;
  FOwner->FlagUpdate();
}

void TElTreeView::RecomputeRows() {
  FRowsChanged = true;
  FOwner->FlagUpdate();
}

void TElTreeView::RemoveVisibleRow(TElTreeItem* item) {
  const int count = FVisibleRows->Count();
  if (count == 0) return;
  int index = FVisibleRows->IndexOfBack(count - 1, item);
  if (index >= 0) FVisibleRows->Delete(index);
}

void TElTreeView::ForgetItem(TElTreeItem* item) {
  FrameForget(item);
  // Every reference the view keeps, so that nothing points at a freed item.
  TElTreeItem** refs[] = {&FHintItem,   &FTrackItem,      &FDropTrg,       &FShowHintItem,   &FPendingItem,
                          &FLastClickedItem, &FFocused,   &FSelected,      &FFrameStartItem, &FFrameEndItem,
                          &FEditPendingItem, &FTopItem};
  for (TElTreeItem** ref : refs)
    if (*ref == item) *ref = nullptr;
  ++FDeletions;
  for (TElTreeItem** ref : FItemWatches)
    if (*ref == item) *ref = nullptr;
  if (FPendingItem == nullptr) FPendingSelect = false;
  if (FOwner->FDelayedItem == item) FOwner->FDelayedItem = nullptr;
  if (FEditingItem == item) {
    FEditingItem = nullptr;
    // A tree being destroyed leaves its editor alone: one freed by the same
    // owner before the tree could not tell the view, and a live one ends
    // its edit when it hears of the tree's removal.
    if (FOwner->IsDestroying())
      FActiveEditor = nullptr;
    else if (FActiveEditor)
      EndEdit(true);
  }
}
