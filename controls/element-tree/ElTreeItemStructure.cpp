// The structure of the tree: adding children in their place in FAllItems,
// deleting a subtree bottom-up, moving a subtree as one block, and the deep
// copy of an item.
#include "ElTree.hpp"

namespace {

[[noreturn]] void TreeError(int ident) { throw EElTreeError(LoadStr(ident)); }


// Moves the entries [start, end] of the list so that they stand just before
// the entry now at `before` (the list's count: at the end). `before` lies
// outside the block.
void MoveBlock(TElList* list, int start, int end, int before) {
  if (before == start || before == end + 1) return;
  if (before < start) {
    list->MoveRange(start, end, before);
  } else if (before < list->Count()) {
    list->MoveRange(start, end, before);
  } else {
    // To the end: the tail after the block moves in front of it instead.
    list->MoveRange(end + 1, list->Count() - 1, start);
  }
}

// Whether `item` lies in the subtree of `ancestor` (the item itself counts),
// the hidden root included.
bool InSubtree(const TElTreeItem* item, const TElTreeItem* ancestor) {
  for (const TElTreeItem* p = item; p;) {
    if (p == ancestor) return true;
    if (p->Parent())
      p = p->Parent();
    else
      p = p->IsRoot() ? nullptr : p->Root();
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------- adding

bool TElTreeItem::ChildIsRow(const TElTreeItem* child) const {
  const bool filtered = FOwner->FilteredVisibility();
  if (filtered && child->Hidden()) return false;
  for (const TElTreeItem* p = this; p && !p->IsRoot(); p = p->FParent)
    if (!p->GetExpanded() || (filtered && p->Hidden())) return false;
  return true;
}

void TElTreeItem::LinkChild(TElTreeItem* child) {
  child->FParent = this;
  child->FRoot = FRoot;
  child->FList = FList;
  if (!child->FStaticData && FOwner->VirtualityLevel() != vlTextAndStyles) child->CreateStaticData();
  for (TElTreeItem* a = this; a; a = a->FParent) a->FDescendants += child->FDescendants + 1;
  FOwner->ChangeCounters(child->MultiLineContribution(), child->HiddenContribution());
  FOwner->FlagRemeasure();
  // A new leaf is a row under an open, shown parent: the count follows
  // without a recount.
  if (ChildIsRow(child)) {
    if (!FOwner->FView->FRecountPending) ++FOwner->FVisibleCount;
    FOwner->FView->FlagRows();
  }
}

void TElTreeItem::PlaceInAllItems(int pos, TElTreeItem* child) {
  TElList* all = FOwner->FAllItems.get();
  if (pos >= all->Count())
    all->Add(child);
  else
    all->Insert(pos, child);
  child->FIndexHint = pos;
  if (!FChildren) FChildren = new TElList;
}

int TElTreeItem::AddChild(TElTreeItem* child) {
  PlaceInAllItems((IsRoot() ? -1 : AbsoluteIndex()) + FDescendants + 1, child);
  const int index = FChildren->Add(child);
  LinkChild(child);
  return index;
}

int TElTreeItem::InsertChild(int index, TElTreeItem* child) {
  const int count = ChildrenCount();
  if (index < 0 || index > count) TreeError(SElTreeItemIndexError);
  // Before the child now at the index, else after the last child's
  // subtree (right after this item when it has none).
  const int pos = index < count ? GetChild(index)->AbsoluteIndex() : (IsRoot() ? -1 : AbsoluteIndex()) + FDescendants + 1;
  PlaceInAllItems(pos, child);
  FChildren->Insert(index, child);
  LinkChild(child);
  return index;
}

// ---------------------------------------------------------------- deleting

void TElTreeItem::DeleteChild(TElTreeItem* child) {
  // A child already on its way out (deleted again from an OnItemDeletion
  // handler) is left to the deletion that runs.
  if (!child || child->FParent != this || child->Deleting() || !FOwner) return;
  TCustomElTree* tree = FOwner;
  TElTreeView* view = tree->FView;
  child->FFlags |= ifDeleting;
  TElTreeUpdateScope scope(tree);
  child->DeleteChildren();
  // The child is a leaf now; whether it is a row decides the count below.
  const bool wasRow = ChildIsRow(child);
  if (child->Hidden()) child->ChangeFlags(ifHidden, false);
  const bool destroying = tree->IsDestroying();

  // The selection anchor (in single selection, the selected item) moves on.
  if (view->FSelected == child) {
    if (destroying) {
      tree->SetSelectionAnchor(nullptr);
    } else {
      TElTreeItem* candidates[] = {GetNextChild(child), GetPrevChild(child), IsRoot() ? nullptr : this};
      for (TElTreeItem* candidate : candidates) {
        if (!candidate) continue;
        tree->SetSelectionAnchor(candidate);
        if (view->FSelected == candidate || (!tree->MultiSelect() && view->FFocused == candidate)) break;
      }
    }
  }
  child->SetSelected(false);

  // So does the focus, forced: a refusal must not leave it on a freed item.
  if (view->FFocused == child) {
    TElTreeItem* next = nullptr;
    if (!destroying) {
      next = GetNextChild(child);
      if (!next) next = GetPrevChild(child);
      if (!next && !IsRoot()) next = this;
    }
    tree->SetFocusedItemEx(next, true, false);
  }

  view->ForgetItem(child);
  if (!destroying) view->RemoveVisibleRow(child);
  tree->DoItemDeletion(child);

  const int index = FChildren->IndexOfBack(FChildren->Count() - 1, child);
  if (index >= 0) FChildren->Delete(index);
  if (FChildren->Count() == 0) {
    delete FChildren;
    FChildren = nullptr;
  }
  tree->ChangeCounters(-child->MultiLineContribution(), -child->HiddenContribution());
  const int absolute = child->AbsoluteIndex();
  if (absolute >= 0) tree->FAllItems->Delete(absolute);
  for (TElTreeItem* a = this; a; a = a->FParent) a->FDescendants -= child->FDescendants + 1;
  child->FParent = nullptr;
  child->FreeStaticData();
  child->Free();
  tree->FlagRemeasure();
  view->FlagRepaint();
  if (wasRow) {
    if (!view->FRecountPending) --tree->FVisibleCount;
    view->FlagRows();
  }
}

void TElTreeItem::DeleteChildren() {
  if (!FOwner) return;
  TCustomElTree* tree = FOwner;
  TElTreeItem* focused = tree->GetFocusedItem();
  const bool hadChildren = HasChildren();
  ++tree->FDeletingDepth;
  try {
    // Last first, so that a subtree goes bottom-up.
    while (FChildren && FChildren->Count() > 0) {
      auto* last = static_cast<TElTreeItem*>(FChildren->Last());
      if (last->Deleting()) break;
      DeleteChild(last);
    }
  } catch (...) {
    --tree->FDeletingDepth;
    throw;
  }
  --tree->FDeletingDepth;
  if (FChildren && FChildren->Count() == 0) {
    delete FChildren;
    FChildren = nullptr;
  }
  if (hadChildren && FullyExpanded()) tree->FView->FlagRows();
  if (tree->GetFocusedItem() != focused && tree->FDeletingDepth == 0) tree->DoItemFocused();
}

// ---------------------------------------------------------------- moving

void TElTreeItem::MoveToPosition(TElTreeItem* newParent, int index) {
  if (newParent == this || !FOwner || IsRoot() || !FParent) return;
  TElTreeItem* target = newParent ? newParent : FRoot;
  // Everything is checked before anything is detached.
  if (target->FOwner != FOwner) TreeError(SElTreeItemNotSpecified);
  if (InSubtree(target, this)) TreeError(SElTreeMoveToSubitemError);
  if (index < 0 || index > target->ChildrenCount()) TreeError(SElTreeItemIndexError);

  TCustomElTree* tree = FOwner;
  TElTreeUpdateScope scope(tree);
  TElTreeItem* oldParent = FParent;
  const int oldIndex = Index();
  const int start = AbsoluteIndex();
  const int end = start + FDescendants;

  oldParent->FChildren->Delete(oldIndex);
  if (oldParent->FChildren->Count() == 0) {
    delete oldParent->FChildren;
    oldParent->FChildren = nullptr;
  }
  tree->FView->RemoveVisibleRow(this);
  for (TElTreeItem* a = oldParent; a; a = a->FParent) a->FDescendants -= FDescendants + 1;

  // A move to a later place among the same siblings that reaches the end
  // lands last.
  const int remaining = target->ChildrenCount();
  const bool toEnd = oldParent == target && oldIndex < index && index >= remaining;
  const int place = toEnd ? remaining : index;
  // The subtree follows the subtree of the sibling before its new place,
  // or the new parent itself.
  TElTreeItem* before = place == 0 ? target : target->GetChild(place - 1)->LastDescendant();
  const int beforePos = before->IsRoot() ? -1 : before->AbsoluteIndex();
  MoveBlock(tree->FAllItems.get(), start, end, beforePos + 1);

  if (!target->FChildren) target->FChildren = new TElList;
  target->FChildren->Insert(place, this);
  FParent = target;
  for (TElTreeItem* a = target; a; a = a->FParent) a->FDescendants += FDescendants + 1;

  const TSortModes mode = tree->SortMode();
  const int section = tree->SortSection();
  if ((mode == smAdd || mode == smAddClick) && tree->SortingDepth() == 0 &&
      (section == tree->MainTreeColumn() || section == -1))
    tree->FResortPending = true;
  tree->FView->FlagFull();
  tree->FView->FlagRowList();
  tree->FlagRemeasure();
}

void TElTreeItem::MoveTo(TElTreeItem* newParent) {
  if (newParent == this) return;
  TElTreeItem* target = newParent ? newParent : FRoot;
  if (!target) return;
  MoveToPosition(newParent, target->ChildrenCount());
}

void TElTreeItem::MoveToPosition(TElTreeItem* item, TElItemMoveMode mode) {
  switch (mode) {
    case mmLastSibling:
      if (!item) TreeError(SElTreeItemNotSpecified);
      MoveTo(item->Parent());
      break;
    case mmFirstSibling:
      MoveToPosition(item ? item->Parent() : nullptr, 0);
      break;
    case mmLastChild:
      MoveTo(item);
      break;
    case mmFirstChild:
      MoveToPosition(item, 0);
      break;
    case mmBefore: {
      if (!item) {
        MoveToPosition(static_cast<TElTreeItem*>(nullptr), 0);
        break;
      }
      int index = item->Index();
      if (item->FParent == FParent && Index() < index) --index;
      MoveToPosition(item->Parent(), index);
      break;
    }
  }
}

// ---------------------------------------------------------------- copying

void TElTreeItem::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TElTreeItem*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this || !FOwner) return;
  // Copying from inside the own subtree would delete the source on the way,
  // copying from an ancestor would copy into what is being copied.
  if (src->FOwner == FOwner && (InSubtree(src, this) || InSubtree(this, src))) TreeError(SElTreeAssignSubtreeError);
  TElTreeUpdateScope scope(FOwner);
  // The copy changes which items are rows: they are counted again at the
  // end, also when the copy stops half-way.
  FOwner->FView->FlagRowList();
  AssignLook(src);
  AssignStyles(src);
  DeleteChildren();
  AssignChildren(src);
  FOwner->FView->FlagFull();
  FOwner->FlagRemeasure();
}

void TElTreeItem::AssignLook(TElTreeItem* src) {
  if (FStaticData) {
    FStaticData->Text = src->GetText();
    FStaticData->Hint = src->GetHint();
    TElWideStringList* columns = FStaticData->ColumnText.get();
    // The copy is one change: the item takes care of its consequences here.
    TNotifyEvent onChange = columns->OnChange;
    columns->OnChange = nullptr;
    try {
      if (TElWideStrings* srcColumns = src->ColumnText())
        columns->Assign(srcColumns);
      else
        columns->Clear();
    } catch (...) {
      columns->OnChange = onChange;
      throw;
    }
    columns->OnChange = onChange;
  }
  FData = src->FData;
  FColor = src->FColor;
  FBkColor = src->FBkColor;
  FRowBkColor = src->FRowBkColor;
  const Word own = kStateFocused | kStateSelected;
  SetStateWord(static_cast<Word>((src->FState & ~own) | (FState & own)));
  SetFlagsWord(src->FFlags);
  if (src->IsHTML() && IsHTML())
    PrepareHTML();
  else
    SetIsHTML(src->IsHTML());
  FImageIndex = src->FImageIndex;
  FStateImageIndex = src->FStateImageIndex;
  FImageIndex2 = src->FImageIndex2;
  FStateImageIndex2 = src->FStateImageIndex2;
  FCheckBoxState = src->FCheckBoxState;
  FCheckBoxType = src->FCheckBoxType;
  FBorderStyle = src->FBorderStyle;
  FIndent = src->FIndent;
  FLineThroughColor = src->FLineThroughColor;
  FOwnHeight = src->FOwnHeight;
  FHeightCache = 0xFFFF;
  FOverlayIndex = src->FOverlayIndex;
  FOverlayIndex2 = src->FOverlayIndex2;
  FObjectData = src->FObjectData;
  FDataInterface = src->FDataInterface;
  FTag = src->FTag;
}

void TElTreeItem::AssignStyles(TElTreeItem* src) {
  if (!FStaticData || !src->FStaticData) return;
  if (FStaticData->MainStyle && src->FStaticData->MainStyle)
    FStaticData->MainStyle->Assign(src->FStaticData->MainStyle.get());
  FStaticData->Styles.reset();
  for (int i = 0; i < src->StylesCount(); ++i) {
    auto style = std::make_unique<TElCellStyle>(this);
    style->Assign(src->GetStyle(i));
    AppendStyle(std::move(style));
  }
}

void TElTreeItem::AssignChildren(TElTreeItem* src) {
  for (int i = 0; i < src->ChildrenCount(); ++i) {
    std::unique_ptr<TElTreeItem> child(FList->CreateItem(FOwner));
    TElTreeItem* made = child.get();
    AddChild(child.release());
    made->Assign(src->GetChild(i));
  }
}
