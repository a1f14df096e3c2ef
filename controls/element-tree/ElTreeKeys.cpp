// The view's keys: moving the focus with the selection rules of single and
// multiple selection, expanding and collapsing from the keyboard, and the
// scroll that brings the focused row back into view. Nothing here needs a
// window: HandleKey is what KeyDown does after OnKeyDown.
//
// Handlers run inside these actions (OnChanging, OnItemFocused, the
// selection events) may delete items: every item held across such a call is
// watched, so that a deleted one reads as nil.
#include <algorithm>
#include <optional>

#include "ElTree.hpp"

bool TElTreeView::Usable(TElTreeItem* item) const { return item && (FOwner->FIgnoreEnabled || item->Enabled()); }

namespace {

bool Expandable(TElTreeItem* item) { return item->HasVisibleChildren() || item->AlwaysButton(); }

}  // namespace

int TElTreeView::RowOf(TElTreeItem* item) {
  if (!item || item->IsRoot()) return -1;
  if (FRecountPending) FOwner->RecountVisibleRows();
  // Rows on screen answer from the top row; others are counted.
  if (FTopItem && FVisibleRows->Count() > 0 && FVisibleRows->FastGet(0) == FTopItem) {
    const int index = FVisibleRows->IndexOf(item);
    if (index >= 0) return FOwner->FTopIndex + index;
  }
  return item->VisIndex();
}

// ---------------------------------------------------------------- targets

TElTreeItem* TElTreeView::GetNextItem(Word key, int& row, bool& wasSelected) {
  row = -1;
  wasSelected = false;
  TCustomElTree* t = FOwner;
  if (FRecountPending) t->RecountVisibleRows();
  TElTreeItem* focused = FFocused;
  const int focusedRow = RowOf(focused);
  const bool fixed = t->FMultiLineCount == 0;
  TElTreeItem* found = nullptr;
  auto firstUsable = [&]() {
    int at = 0;
    for (TElTreeItem* item = ItemOfRow(0); item; item = RowAfter(item), ++at)
      if (Usable(item)) {
        row = at;
        return item;
      }
    return static_cast<TElTreeItem*>(nullptr);
  };
  switch (key) {
    case VK_UP:
    case VK_DOWN: {
      if (focusedRow < 0) {
        found = firstUsable();
        break;
      }
      const bool down = key == VK_DOWN;
      int at = focusedRow;
      for (TElTreeItem* item = down ? RowAfter(focused) : RowBefore(focused); item;
           item = down ? RowAfter(item) : RowBefore(item)) {
        at += down ? 1 : -1;
        if (Usable(item)) {
          found = item;
          row = at;
          break;
        }
      }
      break;
    }
    case VK_NEXT:
    case VK_PRIOR: {
      if (focusedRow < 0) break;
      const bool down = key == VK_NEXT;
      int page;
      if (fixed)
        page = RowsThatFit() - 1;
      else
        page = down ? RowsBelow(t->FTopIndex) - t->FTopIndex : focusedRow - RowsAbove(focusedRow);
      // Enabled items are counted from the focused one on; the last one
      // within the page is the answer.
      found = focused;
      row = focusedRow;
      int count = 0;
      int at = focusedRow;
      for (TElTreeItem* item = focused; item; item = down ? RowAfter(item) : RowBefore(item), at += down ? 1 : -1) {
        if (!Usable(item)) continue;
        if (++count > page) break;
        found = item;
        row = at;
      }
      break;
    }
    case VK_HOME:
      if (!focused) break;
      found = firstUsable();
      if (!found) {
        found = focused;
        row = t->FTopIndex;
      }
      break;
    case VK_END: {
      if (!focused) break;
      int at = t->FVisibleCount - 1;
      for (TElTreeItem* item = ItemOfRow(at); item; item = RowBefore(item), --at)
        if (Usable(item)) {
          found = item;
          row = at;
          break;
        }
      if (!found) {
        found = focused;
        row = focusedRow;
      }
      break;
    }
    default: break;
  }
  wasSelected = found && found->Selected();
  return found;
}

// ---------------------------------------------------------------- moving

void TElTreeView::NavigateTo(Word key, TElTreeItem*& target, int& row, TShiftState shift) {
  TCustomElTree* t = FOwner;
  const bool multi = t->FMultiSelect;
  const bool usual = t->FSelMode == smUsual;
  const bool ctrl = shift.Contains(ssCtrl);
  const bool withShift = shift.Contains(ssShift);
  const bool toggling = multi && ((ctrl && usual) || !usual);
  // Before the move: what the clearing and the focus change may alter.
  const bool hadAnchor = FSelected != nullptr;
  TItemWatch remembered(this, toggling ? FFocused : nullptr);
  TItemWatch anchor(this, multi && withShift ? FSelected : nullptr);
  TItemWatch savedAnchor(this, FSelected);
  const bool rememberedSelected = remembered.Item() && remembered.Item()->Selected();
  const bool anchorSelected = anchor.Item() && anchor.Item()->Selected();
  TItemWatch given(this, target);
  if (multi && usual && !ctrl) t->DeselectAll();
  bool wasSelected = given.Item() && given.Item()->Selected();
  TElTreeItem* sought = given.Item();
  if (key != VK_LEFT && key != VK_RIGHT) sought = GetNextItem(key, row, wasSelected);
  TItemWatch to(this, sought);

  if (to.Item()) {
    if (toggling && !withShift && to.Item() != remembered.Item()) to.Item()->SetSelected(!wasSelected);
    if (to.Item() && to.Item() == FFocused) {
      if (multi) {
        to.Item()->SetSelected(true);
        if (!FSelected) FSelected = savedAnchor.Item();
      }
    } else if (to.Item()) {
      t->SetFocusedItemEx(to.Item(), false, true);
      if (multi) FSelected = savedAnchor.Item();
    }
  }
  // The remembered states come back after the focus moved; the range from
  // the anchor ends at the target and takes it in.
  if (toggling && remembered.Item()) remembered.Item()->SetSelected(rememberedSelected);
  if (multi && withShift && to.Item() && FFocused == to.Item()) {
    // An anchor a handler deleted meanwhile starts no range.
    if (anchor.Item() || !hadAnchor) t->SelectRangeEx2(anchor.Item(), to.Item(), false, false);
    if (anchor.Item()) anchor.Item()->SetSelected(anchorSelected);
    if (!anchor.Item() && hadAnchor && to.Item()) to.Item()->SetSelected(true);
  }
  if (multi && !ctrl && !withShift && FFocused) {
    FSelected = FFocused;
    if (usual) FFocused->SetSelected(true);
  }
  target = to.Item();
}

void TElTreeView::ScrollAfterMove(Word key, TElTreeItem* target, int row) {
  TCustomElTree* t = FOwner;
  if (!FFocused || !target || t->IsInView(FFocused)) return;
  const bool fixed = t->FMultiLineCount == 0;
  const int fit = RowsThatFit();
  int top = t->FTopIndex;
  switch (key) {
    case VK_UP:
    case VK_LEFT: top = row; break;
    case VK_DOWN: top = fixed ? row - fit + 2 : RowsAbove(row); break;
    case VK_RIGHT: t->EnsureVisible(ItemOfRow(row)); return;
    case VK_PRIOR: top = fixed ? top - fit + 1 : RowsAbove(top); break;
    case VK_NEXT: top = fixed ? top + fit - 1 : RowsBelow(top); break;
    case VK_HOME: top = 0; break;
    case VK_END: top = t->FVisibleCount - 1; break;
    default: return;
  }
  if (row < 0 && key != VK_PRIOR && key != VK_NEXT && key != VK_HOME && key != VK_END) return;
  SetTopIndex(top);
  RecomputeRows();
}

// ---------------------------------------------------------------- keys

void TElTreeView::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key != 0) HandleKey(key, shift);
}

void TElTreeView::HandleKey(Word key, TShiftState shift) {
  if (FFrameSelecting) return;
  TCustomElTree* t = FOwner;
  t->FSelChange = false;
  if (shift.Contains(ssShift)) shift.Exclude(ssCtrl);
  const bool ctrl = shift.Contains(ssCtrl);
  const bool withShift = shift.Contains(ssShift);
  TElTreeItem* focused = FFocused;
  TElTreeItem* target = nullptr;
  // Work that needs the rows of the finished update, on items a handler
  // may delete meanwhile.
  std::optional<TItemWatch> ensure;
  std::optional<TItemWatch> children;
  std::optional<TItemWatch> moved;
  Word moveKey = 0;
  int row = -1;
  bool notify = true;
  {
    std::optional<TElTreeUpdateScope> scope;
    if (t->FMultiSelect) scope.emplace(t);
    if (key == '8' && withShift) {
      if (Usable(focused) && Expandable(focused)) focused->Expand(true);
    } else {
      Word dir = key;
      if (t->FRightAlignedTree && (key == VK_LEFT || key == VK_RIGHT)) dir = key == VK_LEFT ? VK_RIGHT : VK_LEFT;
      switch (dir) {
        case VK_BACK:
          if (focused && Usable(focused->Parent())) {
            TElTreeItem* parent = focused->Parent();
            ensure.emplace(this, parent);
            t->SetFocusedItemEx(parent, false, true);
          }
          break;
        case VK_SPACE:
          if (t->FMultiSelect && Usable(focused)) {
            if (t->FSelMode == smUsual && !ctrl && !withShift) {
              t->DeselectAll();
              FSelected = focused;
            } else if (t->FSelMode == smSimple) {
              FSelected = focused;
            }
            if (focused) focused->SetSelected(!focused->Selected());
            t->FSelChange = false;
            t->DoAfterSelectionChange();
          }
          break;
        case VK_LEFT:
          notify = false;
          if (!focused) break;
          if (focused->Expanded() && Usable(focused)) {
            focused->Collapse(false);
          } else if (TElTreeItem* parent = focused->Parent()) {
            moveKey = VK_LEFT;
            target = parent;
            row = RowOf(parent);
          }
          break;
        case VK_RIGHT:
          notify = false;
          if (!focused) break;
          if (!focused->Expanded() && Usable(focused) && Expandable(focused)) {
            children.emplace(this, focused);
            focused->Expand(false);
          } else if (TElTreeItem* child = focused->Expanded() ? focused->GetFirstVisibleChild() : nullptr) {
            moveKey = VK_RIGHT;
            target = child;
            const int at = RowOf(focused);
            row = at < 0 ? -1 : at + 1;
            FlagRows();
          }
          break;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
          notify = false;
          moveKey = dir;
          break;
        case VK_MULTIPLY:
          if (Usable(focused) && Expandable(focused)) {
            children.emplace(this, focused);
            focused->Expand(true);
          }
          break;
        case VK_ADD:
          if (ctrl) {
            t->AutoSizeAllColumns();
          } else if (Usable(focused) && !focused->Expanded() && Expandable(focused)) {
            children.emplace(this, focused);
            focused->Expand(false);
          }
          break;
        case VK_SUBTRACT:
          if (Usable(focused) && focused->Expanded()) focused->Collapse(false);
          break;
        case VK_DIVIDE:
          if (Usable(focused)) focused->Collapse(true);
          break;
        default: break;
      }
    }
    if (moveKey != 0) {
      NavigateTo(moveKey, target, row, shift);
      moved.emplace(this, target);
    }
  }
  if (moved) ScrollAfterMove(moveKey, moved->Item(), row);
  if (ensure && ensure->Item()) t->EnsureVisible(ensure->Item());
  if (children && children->Item()) ScrollChildrenIntoView(children->Item());
  if (notify && t->FSelChange) {
    t->FSelChange = false;
    t->DoAfterSelectionChange();
  }
}
