// Walks over the flat list of all items: the visible-row numbering, the four
// iterations, the searches and the rewrite of a subtree's run after its
// children were reordered. A walk that skips a subtree jumps over it by the
// item's descendant count instead of visiting it.
#include "ElTree.hpp"

#include <algorithm>
#include <vector>

namespace {

TElTreeItem* ItemAt(TElList* list, int index) { return static_cast<TElTreeItem*>(list->FastGet(index)); }

}  // namespace

// ---------------------------------------------------------------- visible rows

TElTreeItem* TElTreeItems::GetVisibleItem(int index) const {
  TElTreeItem* found = nullptr;
  if (index < 0 || !FOwner) return found;
  FOwner->ForEachRow([&](TElTreeItem* item, int row, int) {
    if (row == index) found = item;
    return row < index;
  });
  return found;
}

int TElTreeItems::GetVisibleIndex(TElTreeItem* item) const {
  if (!item || item->FList != this || item->IsRoot()) return -1;
  const int target = item->AbsoluteIndex();
  int found = -1;
  // The walk steps over a hidden or collapsed run holding the item: it
  // passes its place without meeting it.
  FOwner->ForEachRow([&](TElTreeItem*, int row, int position) {
    if (position == target) found = row;
    return position < target;
  });
  return found;
}

// ---------------------------------------------------------------- iterations
//
// With VisibleOnly a Hidden item (while the tree filters) is skipped with its
// subtree, and, unless IncludeCollapsed, the children of a collapsed item
// are not visited. Without VisibleOnly every item is passed.

bool TElTreeItems::WalkSkipsSubtree(TElTreeItem* item, bool visibleOnly, bool includeCollapsed, bool& passItem) const {
  passItem = true;
  if (!visibleOnly) return false;
  if (FOwner->FilteredVisibility() && item->Hidden()) {
    passItem = false;
    return true;
  }
  return !includeCollapsed && !item->GetExpanded();
}

void TElTreeItems::Iterate(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data) {
  IterateFrom(visibleOnly, includeCollapsed, proc, data, nullptr);
}

void TElTreeItems::IterateFrom(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data,
                               TElTreeItem* startItem) {
  TElList* all = FOwner->FAllItems.get();
  int i = startItem && !startItem->IsRoot() ? startItem->AbsoluteIndex() : 0;
  if (i < 0) return;
  int index = 0;
  bool goOn = true;
  while (i < all->Count()) {
    TElTreeItem* item = ItemAt(all, i);
    bool pass = true;
    // The next place is settled before the callback, which may change the
    // item.
    const int next = WalkSkipsSubtree(item, visibleOnly, includeCollapsed, pass) ? i + item->FDescendants + 1 : i + 1;
    if (pass) {
      proc(item, index++, goOn, data, FOwner);
      if (!goOn) return;
    }
    i = next;
  }
}

// In a backward walk an item is reached before its ancestors: the topmost
// ancestor that keeps it from the walk decides where the walk goes on. The
// open items (the start item's ancestors) never count, as a forward walk
// from the start item does not pass them either.
TElTreeItem* TElTreeItems::StartOfBlockedRun(TElTreeItem* item, bool visibleOnly, bool includeCollapsed,
                                             const std::vector<TElTreeItem*>& open, bool& passItem) const {
  passItem = true;
  if (!visibleOnly) return nullptr;
  const bool filtered = FOwner->FilteredVisibility();
  TElTreeItem* blocker = nullptr;
  for (TElTreeItem* p = item; p && !p->IsRoot(); p = p->FParent) {
    if (std::find(open.begin(), open.end(), p) != open.end()) break;
    if ((filtered && p->Hidden()) || (p != item && !includeCollapsed && !p->GetExpanded())) {
      blocker = p;
      passItem = false;
    }
  }
  return blocker;
}

void TElTreeItems::IterateBackward(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data) {
  IterateBackwardFrom(visibleOnly, includeCollapsed, proc, data, nullptr);
}

void TElTreeItems::IterateBackwardFrom(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data,
                                       TElTreeItem* startItem) {
  TElList* all = FOwner->FAllItems.get();
  const bool fromItem = startItem && !startItem->IsRoot();
  int i = fromItem ? startItem->AbsoluteIndex() : all->Count() - 1;
  if (i < 0) return;
  std::vector<TElTreeItem*> open;
  if (fromItem)
    for (TElTreeItem* p = startItem->FParent; p && !p->IsRoot(); p = p->FParent) open.push_back(p);
  // The index counts down from the start's own number.
  int index;
  if (!fromItem)
    index = (visibleOnly ? FOwner->VisibleCount() : Count()) - 1;
  else
    index = visibleOnly ? GetVisibleIndex(startItem) : i;
  bool goOn = true;
  while (i >= 0 && i < all->Count()) {
    TElTreeItem* item = ItemAt(all, i);
    bool pass = true;
    TElTreeItem* blocker =
        item == startItem ? nullptr : StartOfBlockedRun(item, visibleOnly, includeCollapsed, open, pass);
    int next = i - 1;
    if (blocker) {
      // A hidden blocker goes with its whole subtree; a collapsed one is the
      // next item the walk passes.
      const int at = blocker->AbsoluteIndex();
      next = FOwner->FilteredVisibility() && blocker->Hidden() ? at - 1 : at;
      if (next >= i) next = i - 1;
    }
    if (pass) {
      proc(item, index--, goOn, data, FOwner);
      if (!goOn) return;
    }
    i = next;
  }
}

// ---------------------------------------------------------------- searches

TElFString TElTreeItems::CellText(TElTreeItem* item, int column) const {
  const int mainColumn = FOwner->MainTreeColumn();
  if (column == -1 || column == mainColumn) return item->GetText();
  if (TElWideStrings* columns = item->ColumnText()) {
    const int index = column > mainColumn ? column - 1 : column;
    return index >= 0 && index < columns->Count() ? columns->Get(index) : TElFString();
  }
  TElFString text;
  FOwner->DoVirtualTextNeeded(item, column, text);
  return text;
}

TElTreeItem* TElTreeItems::FindItem(TElTreeItem* startItem, const TElFString& text, void* data, int column,
                                    bool lookForData, bool checkStartItem, bool subItemsOnly, bool visibleOnly,
                                    bool noCase) {
  if (startItem && startItem->IsRoot()) startItem = nullptr;
  const TElFString wanted = noCase ? WideUpperCase(text) : text;
  const int subtreeEnd = startItem ? startItem->AbsoluteIndex() + startItem->FDescendants : Count() - 1;
  TElTreeItem* found = nullptr;
  IterateFrom(
      visibleOnly, !visibleOnly,
      [&](TElTreeItem* item, int, bool& goOn, void*, TCustomElTree*) {
        if (item == startItem && !checkStartItem) return;
        if (subItemsOnly && item->AbsoluteIndex() > subtreeEnd) {
          goOn = false;
          return;
        }
        bool match;
        if (lookForData) {
          match = item->Data() == data;
        } else {
          const TElFString cell = CellText(item, column);
          match = noCase ? WideUpperCase(cell) == wanted : cell == wanted;
        }
        if (match) {
          found = item;
          goOn = false;
        }
      },
      nullptr, startItem);
  return found;
}

TElTreeItem* TElTreeItems::FindItemByProc(TElTreeItem* startItem, bool checkStartItem, bool subItemsOnly,
                                          bool visibleOnly, bool includeCollapsed, void* procData,
                                          const TElLookupCompareProc& proc) {
  if (startItem && startItem->IsRoot()) startItem = nullptr;
  const int subtreeEnd = startItem ? startItem->AbsoluteIndex() + startItem->FDescendants : Count() - 1;
  TElTreeItem* found = nullptr;
  IterateFrom(
      visibleOnly, includeCollapsed,
      [&](TElTreeItem* item, int, bool& goOn, void*, TCustomElTree*) {
        if (item == startItem && !checkStartItem) return;
        if (subItemsOnly && item->AbsoluteIndex() > subtreeEnd) {
          goOn = false;
          return;
        }
        if (proc(item, procData)) {
          found = item;
          goOn = false;
        }
      },
      nullptr, startItem);
  return found;
}

// ---------------------------------------------------------------- rewrite

void TElTreeItems::RewriteSubtreeRun(TElTreeItem* item) {
  if (!item || item->FList != this) return;
  TElList* all = FOwner->FAllItems.get();
  int pos = item->IsRoot() ? 0 : item->AbsoluteIndex() + 1;
  if (pos < 0) return;
  // Depth first from the children lists; the run keeps its length, only its
  // order changes.
  std::vector<std::pair<TElTreeItem*, int>> stack;
  stack.emplace_back(item, 0);
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (next >= node->ChildrenCount()) {
      stack.pop_back();
      continue;
    }
    TElTreeItem* child = node->GetChild(next++);
    all->Put(pos, child);
    child->FIndexHint = pos++;
    stack.emplace_back(child, 0);
  }
}
