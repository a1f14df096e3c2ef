// Focus and selection of the tree: moving the focus (with its veto, its
// delayed notification and the automatic expand and collapse), the
// multi-select operations, and the fix-up that keeps focus and selection
// off items the filter hides.
#include <unordered_set>
#include <vector>

#include "ElTree.hpp"
#include "ExtCtrls.hpp"

namespace {

TElTreeItem* ItemAt(TElList* list, int index) { return static_cast<TElTreeItem*>(list->FastGet(index)); }

// Whether an item of a list copied before handlers ran still exists: once a
// handler deleted items, the tree's items are gathered again (once per
// deletion), so that a walk never reaches a freed item.
class TLiveItems {
 public:
  explicit TLiveItems(TCustomElTree* tree) : tree_(tree), seen_(Deletions()) {}
  bool Alive(TElTreeItem* item) {
    if (Deletions() != seen_) {
      seen_ = Deletions();
      live_.clear();
      for (int i = 0; i < tree_->AllItems()->Count(); ++i) live_.insert(ItemAt(tree_->AllItems(), i));
      checking_ = true;
    }
    return !checking_ || live_.count(item) > 0;
  }

 private:
  unsigned Deletions() const { return tree_->View() ? tree_->View()->Deletions() : 0; }
  TCustomElTree* tree_;
  unsigned seen_;
  bool checking_ = false;
  std::unordered_set<TElTreeItem*> live_;
};

}  // namespace

// Hidden by the filter: the item or one of its ancestors is Hidden while the
// tree filters.
bool TCustomElTree::IsFilteredOut(TElTreeItem* item) const {
  if (!FFilteredVisibility || !item) return false;
  for (TElTreeItem* at = item; at && !at->IsRoot(); at = at->FParent)
    if (at->Hidden()) return true;
  return false;
}

// ---------------------------------------------------------------- focus

void TElTreeView::ToggleSelection(TElTreeItem* item) {
  TCustomElTree* tree = FOwner;
  // The handlers reached on the way may delete the item.
  TItemWatch watch(this, item);
  if (tree->MultiSelect()) {
    if (!item) return;
    const int level = tree->FMultiSelectLevel;
    if (level >= 0) {
      TElList* list = tree->FSelectedItems.get();
      const int firstLevel = list && list->Count() > 0 ? ItemAt(list, 0)->Level() : level;
      if (item->Level() != level || firstLevel != level) tree->DeselectAllEx(true);
    }
    if (!watch.Item()) return;
    item->SetSelected(!item->Selected());
    tree->FSelChange = true;
    return;
  }
  if (TElTreeItem* old = FSelected; old && old != item) {
    old->SetStateWord(old->FState & ~kStateSelected);
    old->UpdateItem();
    tree->DoItemSelectedChange(old);
    if (item && !watch.Item()) return;
  }
  FSelected = item;
  if (item && !item->Selected()) {
    item->SetStateWord(item->FState | kStateSelected);
    tree->DoItemSelectedChange(item);
  }
  if (item && watch.Item()) item->UpdateItem();
}

bool TCustomElTree::SetFocusedItemEx(TElTreeItem* item, bool force, bool delayed) {
  if (!FView || item == FView->FFocused) return false;
  bool allowChange = true;
  // While items are being deleted the change is allowed without asking.
  if (FDeletingDepth == 0) DoChanging(item, allowChange);
  TElTreeItem* old = FView->FFocused;
  if (!force && !allowChange) {
    if (FMultiSelect && old && !old->Selected()) old->SetSelected(true);
    return false;
  }
  {
    TElTreeUpdateScope scope(this);
    if (old) {
      old->SetStateWord(old->FState & ~kStateFocused);
      old->UpdateItem();
      if (FAutoExpand && item && FAutoCollapse)
        for (TElTreeItem* at = old; at && !at->IsRoot() && !item->IsDescendantOf(at); at = at->FParent)
          at->Collapse(false);
    }
    FView->FFocused = item;
    // Single selection follows the focus; a multiple one is the caller's.
    if (!FMultiSelect) {
      TElTreeView::TItemWatch watch(FView, item);
      FView->ToggleSelection(item);
      // A selection handler deleted the item; its deletion moved the focus.
      if (!watch.Item()) return true;
    }
    if (item) {
      item->SetStateWord(item->FState | kStateFocused);
      item->UpdateItem();
      if (FAutoExpand) item->Expand(false);
    }
  }
  if (!IsDestroying() && item) ScrollFocusedIntoLastRow(item);
  if (FChangeDelay != 0 && delayed && FDelayTimer) {
    FDelayedItem = item;
    FDelayTimer->SetEnabled(false);
    FDelayTimer->SetInterval(static_cast<Cardinal>(FChangeDelay));
    FDelayTimer->SetEnabled(true);
  } else {
    DoItemFocused();
  }
  return true;
}

// A focus moved onto the last row, which the view cuts, pulls that row in.
void TCustomElTree::ScrollFocusedIntoLastRow(TElTreeItem* item) {
  TElList* rows = FView->FVisibleRows.get();
  if (rows->Count() <= 1 || rows->Last() != item) return;
  if (FView->TotalRowsHeight() > FView->ViewHeight()) FView->SetTopIndex(FTopIndex + 1);
}

void TCustomElTree::DelayTimerFired(TObject* /*sender*/) {
  FDelayTimer->SetEnabled(false);
  TElTreeItem* item = FDelayedItem;
  FDelayedItem = nullptr;
  // An item deleted meanwhile was forgotten (nil); a focus that moved on
  // again waits for its own turn.
  if (item && item == GetFocusedItem()) DoItemFocused();
}

void TCustomElTree::SetSelectionAnchor(TElTreeItem* item) {
  if (!FMultiSelect) {
    SetFocusedItem(item);
    return;
  }
  if (FView) FView->FSelected = item;
}

// ---------------------------------------------------------------- queries

TElTreeItem* TCustomElTree::GetNextSelected(TElTreeItem* prev) {
  if (!FMultiSelect || !FSelectedItems) return prev ? nullptr : GetFocusedItem();
  if (!prev) return FSelectedItems->Count() > 0 ? ItemAt(FSelectedItems.get(), 0) : nullptr;
  const int index = FSelectedItems->IndexOf(prev);
  if (index < 0 || index + 1 >= FSelectedItems->Count()) return nullptr;
  return ItemAt(FSelectedItems.get(), index + 1);
}

void TCustomElTree::AllSelected(TElList* selectedItems) {
  if (!selectedItems) return;
  selectedItems->Clear();
  if (FMultiSelect && FSelectedItems) {
    for (int i = 0; i < FSelectedItems->Count(); ++i) selectedItems->Add(FSelectedItems->FastGet(i));
  } else if (TElTreeItem* focused = GetFocusedItem()) {
    selectedItems->Add(focused);
  }
}

// ---------------------------------------------------------------- walks

// Walks every item in depth-first order; skipCollapsed steps over the
// children of collapsed items, skipHidden over the subtrees of items the
// filter hides.
template <class Visit>
void TCustomElTree::WalkItems(int from, int to, bool skipCollapsed, bool skipHidden, Visit visit) {
  // A copy: a handler may change the tree while the walk runs.
  std::vector<TElTreeItem*> items;
  for (int i = from; i <= to && i < FAllItems->Count();) {
    TElTreeItem* item = ItemAt(FAllItems.get(), i);
    if (skipHidden && FFilteredVisibility && item->Hidden()) {
      i += item->FDescendants + 1;
      continue;
    }
    items.push_back(item);
    i += skipCollapsed && !item->Expanded() ? item->FDescendants + 1 : 1;
  }
  TLiveItems live(this);
  for (TElTreeItem* item : items)
    if (live.Alive(item) && item->FOwner == this && item->FParent) visit(item);
}

void TCustomElTree::SelectAll() {
  if (!FMultiSelect) return;
  TElTreeUpdateScope scope(this);
  WalkItems(0, FAllItems->Count() - 1, FFilteredVisibility, true, [](TElTreeItem* item) {
    if (!item->Selected()) item->SetSelected(true);
  });
}

void TCustomElTree::SelectAllEx(bool includeHidden) {
  if (!FMultiSelect) return;
  TElTreeUpdateScope scope(this);
  WalkItems(0, FAllItems->Count() - 1, !includeHidden, !includeHidden, [](TElTreeItem* item) {
    if (!item->Selected()) item->SetSelected(true);
  });
}

void TCustomElTree::InvertSelection() {
  if (!FMultiSelect) return;
  TElTreeUpdateScope scope(this);
  WalkItems(0, FAllItems->Count() - 1, FFilteredVisibility, true,
            [](TElTreeItem* item) { item->SetSelected(!item->Selected()); });
}

void TCustomElTree::InvertSelectionEx(bool includeHidden) {
  if (!FMultiSelect) return;
  TElTreeUpdateScope scope(this);
  WalkItems(0, FAllItems->Count() - 1, !includeHidden, !includeHidden,
            [](TElTreeItem* item) { item->SetSelected(!item->Selected()); });
}

void TCustomElTree::DeselectAll() { DeselectAllEx(false); }

void TCustomElTree::DeselectAllEx(bool includeHidden) {
  if (!FMultiSelect || !FSelectedItems) return;
  TElTreeUpdateScope scope(this);
  std::vector<TElTreeItem*> selected;
  for (int i = 0; i < FSelectedItems->Count(); ++i) selected.push_back(ItemAt(FSelectedItems.get(), i));
  // A selection handler may delete items that are still to come.
  TLiveItems live(this);
  for (TElTreeItem* item : selected)
    if (live.Alive(item) && (includeHidden || !IsFilteredOut(item))) item->SetSelected(false);
  if (includeHidden) FSelectedItems->Clear();
}

void TCustomElTree::SelectRange(TElTreeItem* fromItem, TElTreeItem* toItem) { SelectRange2(fromItem, toItem, true); }

void TCustomElTree::SelectRangeEx(TElTreeItem* fromItem, TElTreeItem* toItem, bool includeHidden) {
  SelectRangeEx2(fromItem, toItem, true, includeHidden);
}

void TCustomElTree::SelectRange2(TElTreeItem* fromItem, TElTreeItem* toItem, bool selectDisabled) {
  SelectRangeWalk(fromItem, toItem, selectDisabled, false);
}

void TCustomElTree::SelectRangeEx2(TElTreeItem* fromItem, TElTreeItem* toItem, bool selectDisabled,
                                   bool includeHidden) {
  SelectRangeWalk(fromItem, toItem, selectDisabled, FFilteredVisibility && !includeHidden);
}

void TCustomElTree::SelectRangeWalk(TElTreeItem* fromItem, TElTreeItem* toItem, bool selectDisabled,
                                    bool shownOnly) {
  if (!FMultiSelect || fromItem == toItem) return;
  // Items of another tree are no ends of a range here.
  if ((fromItem && fromItem->FOwner != this) || (toItem && toItem->FOwner != this)) return;
  int from = fromItem ? fromItem->AbsoluteIndex() : 0;
  int to = toItem ? toItem->AbsoluteIndex() : 0;
  if (from < 0 || to < 0) return;
  if (from > to) std::swap(from, to);
  const bool anyItem = selectDisabled || FIgnoreEnabled;
  TElTreeUpdateScope scope(this);
  WalkItems(from, to, shownOnly, shownOnly, [anyItem](TElTreeItem* item) {
    if ((anyItem || item->Enabled()) && !item->Selected()) item->SetSelected(true);
  });
}

// ---------------------------------------------------------------- filtering

void TCustomElTree::FixFilteredSelection() {
  if (!FView) return;
  TElTreeView* view = FView;
  if (IsFilteredOut(view->FTrackItem)) view->FTrackItem = nullptr;
  if (IsFilteredOut(view->FDropTrg)) view->FDropTrg = nullptr;
  if (FMultiSelect && IsFilteredOut(view->FSelected)) view->FSelected = NearestShownItem(view->FSelected);
  if (FMultiSelect && FSelectedItems) {
    std::vector<TElTreeItem*> hidden;
    for (int i = 0; i < FSelectedItems->Count(); ++i)
      if (IsFilteredOut(ItemAt(FSelectedItems.get(), i))) hidden.push_back(ItemAt(FSelectedItems.get(), i));
    TLiveItems live(this);
    for (TElTreeItem* item : hidden)
      if (live.Alive(item)) item->SetSelected(false);
  }
  if (TElTreeItem* focused = view->FFocused; IsFilteredOut(focused)) {
    TElTreeItem* target = focused->Parent();
    while (target && IsFilteredOut(target)) target = target->Parent();
    if (!target) target = NearestShownItem(focused);
    SetFocusedItemEx(target, true, false);
  }
}

// The nearest item before the item in depth-first order that the filter
// shows, else the nearest one after it, else nil.
TElTreeItem* TCustomElTree::NearestShownItem(TElTreeItem* item) {
  const int at = item->AbsoluteIndex();
  for (int i = at - 1; i >= 0; --i)
    if (!IsFilteredOut(ItemAt(FAllItems.get(), i))) return ItemAt(FAllItems.get(), i);
  for (int i = at + 1; i < FAllItems->Count(); ++i)
    if (!IsFilteredOut(ItemAt(FAllItems.get(), i))) return ItemAt(FAllItems.get(), i);
  return nullptr;
}
