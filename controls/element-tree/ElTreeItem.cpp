// A tree item's own state: links read back, navigation, texts, state bits,
// flags with the tree's counters, check boxes, looks, heights, HTML texts,
// styles and repainting. Structure changes are in ElTreeItemStructure.cpp.
#include "ElTree.hpp"

namespace {

const TElFString kHTMLPrefix = L"<html>";

bool StartsWithHTML(const TElFString& text) { return text.compare(0, kHTMLPrefix.size(), kHTMLPrefix) == 0; }

// The state word's bits in the order of the tree's state set.
Byte DeriveState(Word state) {
  Byte derived = 0;
  if (state & kStateFocused) derived |= 0x01;
  if (state & kStateSelected) derived |= 0x02;
  if (state & kStateImageHighlighted) derived |= 0x04;
  if (state & kStateExpanded) derived |= 0x08;
  if (state & kStateBold) derived |= 0x10;
  if (state & kStateItalic) derived |= 0x20;
  if (state & kStateUnderlined) derived |= 0x40;
  if (state & kStateStrikeOut) derived |= 0x80;
  return derived;
}

}  // namespace

// ---------------------------------------------------------------- life

TElTreeItem::TElTreeItem(TCustomElTree* owner) : FOwner(owner) {}

TElTreeItem::~TElTreeItem() {
  if (GetSelected() && FOwner && FOwner->FMultiSelect && FOwner->FSelectedItems)
    FOwner->FSelectedItems->Remove(this);
  // The children themselves went through deletion first.
  delete FChildren;
  FChildren = nullptr;
  // The item is no longer linked, so switching HTML off leaves the tree's
  // counters alone.
  FreeMainHTML();
  FreeColumnHTML();
  FreeSortValue();
  FreeStaticData();
}

void TElTreeItem::CreateStaticData() {
  auto data = std::make_unique<TElTreeItemStaticData>();
  data->ColumnText = std::make_unique<TElWideStringList>();
  data->ColumnText->OnChange = TNotifyEvent(this, &TElTreeItem::OnColumnTextChange);
  data->MainStyle = std::make_unique<TElCellStyle>(this);
  TElCellStyle* style = data->MainStyle.get();
  if (FOwner) {
    style->FFontSize = FOwner->Font()->Size();
    style->FFontStyles = FOwner->Font()->Style();
    style->FFontName = FOwner->Font()->Name();
  }
  style->FUseTreeLook = true;
  FStaticData = data.release();
}

void TElTreeItem::FreeStaticData() {
  if (!FStaticData) return;
  if (FStaticData->ColumnText) FStaticData->ColumnText->OnChange = nullptr;
  delete FStaticData;
  FStaticData = nullptr;
}

TElTreeItemStaticData::TElTreeItemStaticData() = default;
TElTreeItemStaticData::~TElTreeItemStaticData() = default;

// ---------------------------------------------------------------- links

TElTreeItem* TElTreeItem::Parent() const { return FParent == FRoot ? nullptr : FParent; }

int TElTreeItem::Level() const {
  if (IsRoot()) return -1;
  int level = 0;
  for (TElTreeItem* p = FParent; p && p != FRoot; p = p->FParent) ++level;
  return level;
}

int TElTreeItem::Index() const { return FParent && FParent->FChildren ? FParent->FChildren->IndexOf(const_cast<TElTreeItem*>(this)) : -1; }

int TElTreeItem::AbsoluteIndex() const {
  if (IsRoot() || !FOwner || !FParent) return -1;
  TElList* all = FOwner->FAllItems.get();
  if (FIndexHint >= 0 && FIndexHint < all->Count() && all->FastGet(FIndexHint) == this) return FIndexHint;
  FIndexHint = all->IndexOf(const_cast<TElTreeItem*>(this));
  return FIndexHint;
}

int TElTreeItem::VisIndex() const { return FList ? FList->GetVisibleIndex(const_cast<TElTreeItem*>(this)) : -1; }

TElTreeItem* TElTreeItem::LastDescendant() const {
  const TElTreeItem* item = this;
  while (item->FChildren && item->FChildren->Count() > 0)
    item = static_cast<TElTreeItem*>(item->FChildren->Last());
  return const_cast<TElTreeItem*>(item);
}

bool TElTreeItem::FullyExpanded() const {
  for (TElTreeItem* p = FParent; p && p != FRoot; p = p->FParent)
    if (!p->GetExpanded()) return false;
  return true;
}

bool TElTreeItem::FullyVisible() const {
  for (const TElTreeItem* p = this; p && p != FRoot; p = p->FParent)
    if (p->Hidden()) return false;
  return true;
}

bool TElTreeItem::IsDescendantOf(TElTreeItem* item) const {
  if (!item) return false;
  if (item == this) return true;
  for (TElTreeItem* p = FParent; p && p != FRoot; p = p->FParent)
    if (p == item) return true;
  return false;
}

// ---------------------------------------------------------------- navigation

TElTreeItem* TElTreeItem::GetFirstChild() const { return HasChildren() ? static_cast<TElTreeItem*>(FChildren->First()) : nullptr; }

TElTreeItem* TElTreeItem::GetLastChild() const { return HasChildren() ? static_cast<TElTreeItem*>(FChildren->Last()) : nullptr; }

TElTreeItem* TElTreeItem::GetChild(int index) const {
  if (index < 0 || index >= ChildrenCount()) return nullptr;
  return static_cast<TElTreeItem*>(FChildren->FastGet(index));
}

TElTreeItem* TElTreeItem::GetNextChild(TElTreeItem* child) const {
  if (!FChildren || !child) return nullptr;
  int index = FChildren->IndexOf(child);
  return index < 0 ? nullptr : GetChild(index + 1);
}

TElTreeItem* TElTreeItem::GetPrevChild(TElTreeItem* child) const {
  if (!FChildren || !child) return nullptr;
  int index = FChildren->IndexOf(child);
  return index <= 0 ? nullptr : GetChild(index - 1);
}

TElTreeItem* TElTreeItem::GetNextSibling() const {
  return FParent ? FParent->GetNextChild(const_cast<TElTreeItem*>(this)) : nullptr;
}

TElTreeItem* TElTreeItem::GetPrevSibling() const {
  return FParent ? FParent->GetPrevChild(const_cast<TElTreeItem*>(this)) : nullptr;
}

TElTreeItem* TElTreeItem::GetFirstVisibleChild() const {
  if (!FOwner || !FOwner->FilteredVisibility()) return GetFirstChild();
  for (int i = 0; i < ChildrenCount(); ++i)
    if (!GetChild(i)->Hidden()) return GetChild(i);
  return nullptr;
}

TElTreeItem* TElTreeItem::GetTopLevelItem() const {
  const TElTreeItem* item = this;
  while (item->Parent()) item = item->Parent();
  return item->IsRoot() ? nullptr : const_cast<TElTreeItem*>(item);
}

bool TElTreeItem::HasVisibleChildren() const {
  if (!FOwner || !FOwner->FilteredVisibility()) return HasChildren();
  return GetFirstVisibleChild() != nullptr;
}

TElTreeItem* TElTreeItem::GetPrev() {
  int index = AbsoluteIndex();
  return index > 0 ? FList->GetItem(index - 1) : nullptr;
}

TElTreeItem* TElTreeItem::GetNext() {
  if (!FList) return nullptr;
  return FList->GetItem(AbsoluteIndex() + 1);
}

// ---------------------------------------------------------------- tree effects

bool TElTreeItem::TreeUpdating() const { return FOwner && FOwner->IsUpdating(); }

// A change of the row's look: while the rows are on the screen without
// columns, the view works its rows out again.
void TElTreeItem::ResetTopRowWhenShown() {
  if (FOwner->ShowColumns() || !FullyExpanded()) return;
  // Inside the caller's own update only the cached top row goes; outside
  // one the rows are worked out now.
  if (FOwner->UpdateCount() > 1)
    FOwner->FView->ClearTopRowCache();
  else
    FOwner->FView->RecomputeRows();
}

void TElTreeItem::UpdateItem() {
  if (!FOwner || Deleting() || !FOwner->FView) return;
  TElTreeView* view = FOwner->FView;
  if (!(FOwner->FilteredVisibility() && Hidden())) view->InvalidateItem(this, -1);
  if (!FOwner->IsUpdating())
    view->UpdateView();
  else
    view->FlagRepaint();
}

void TElTreeItem::UpdateItemCell(int sectionIndex) {
  if (!FOwner || Deleting() || !FOwner->FView) return;
  TElTreeView* view = FOwner->FView;
  if (!(FOwner->FilteredVisibility() && Hidden())) view->InvalidateItem(this, sectionIndex);
  if (!FOwner->IsUpdating())
    view->UpdateView();
  else
    view->FlagRepaint();
}

// ---------------------------------------------------------------- texts

TElFString TElTreeItem::GetText() {
  if (FStaticData) return FStaticData->Text;
  TElFString text;
  if (FOwner) FOwner->DoVirtualTextNeeded(this, -1, text);
  return text;
}

TElFString TElTreeItem::GetHint() {
  if (FStaticData) return FStaticData->Hint;
  TElFString hint;
  if (FOwner) FOwner->DoVirtualHintNeeded(this, hint);
  return hint;
}

void TElTreeItem::SetHint(const TElFString& value) {
  if (FStaticData) FStaticData->Hint = value;
}

TElWideStrings* TElTreeItem::ColumnText() const { return ColumnTextList(); }

TElWideStringList* TElTreeItem::ColumnTextList() const {
  return FStaticData ? FStaticData->ColumnText.get() : nullptr;
}

void TElTreeItem::SetText(const TElFString& value) {
  if (FStaticData && FOwner) {
    FStaticData->Text = value;
    FOwner->DoItemChange(this, icmText);
    TElTreeUpdateScope scope(FOwner);
    if (!FOwner->ShowColumns() && FullyExpanded()) {
      ResetTopRowWhenShown();
      FOwner->FView->FlagRepaint();
      FOwner->FlagRemeasure();
    }
    TextChangeSort();
    FOwner->FlagColumnWidths();
    if ((Multiline() && FOwner->AdjustMultilineHeight()) || IsHTML()) {
      if (IsHTML()) PrepareMainHTML();
      FHeightCache = 0xFFFF;
      FOwner->FView->FlagFull();
    }
  }
  UpdateItem();
}

// Under the adding sort modes a changed text puts the item among its
// siblings again: at once outside an update, at the end of it inside one.
void TElTreeItem::TextChangeSort() {
  TSortModes mode = FOwner->SortMode();
  if (mode != smAdd && mode != smAddClick) return;
  int section = FOwner->SortSection();
  if (section != FOwner->MainTreeColumn() && section != -1) return;
  if (!FParent) return;
  if (FOwner->UpdateCount() > 1 || FOwner->SortingDepth() > 0) {
    FOwner->FResortPending = true;
    return;
  }
  FOwner->DoSortBegin();
  FParent->SortChildren(false);
  FOwner->DoSortEnd();
}

void TElTreeItem::OnColumnTextChange(TObject* /*sender*/) {
  if (!FOwner || Deleting()) return;
  FOwner->DoItemChange(this, icmColumnText);
  TSortModes mode = FOwner->SortMode();
  int section = FOwner->SortSection();
  if ((mode == smAdd || mode == smAddClick) && section >= -1 && section < FOwner->HeaderSectionCount() && FParent) {
    if (FOwner->IsUpdating() || FOwner->SortingDepth() > 0) {
      FOwner->FResortPending = true;
    } else {
      FOwner->DoSortBegin();
      FParent->SortChildren(false);
      FOwner->DoSortEnd();
    }
  }
  FOwner->FlagColumnWidths();
  if ((Multiline() && FOwner->AdjustMultilineHeight()) || IsHTML()) {
    FHeightCache = 0xFFFF;
    if (IsHTML()) PrepareColumnHTML();
    TElTreeUpdateScope scope(FOwner);
    FOwner->FView->FlagFull();
  }
  UpdateItem();
}

// ---------------------------------------------------------------- state

void TElTreeItem::SetStateWord(Word value) {
  FState = value;
  FDerivedState = DeriveState(value);
}

void TElTreeItem::SetState(int index, bool value) {
  if (!FOwner) return;
  Word bit = 0;
  switch (index) {
    case siFocused:
      if (value)
        FOwner->SetFocusedItem(this);
      else if (FOwner->GetFocusedItem() == this)
        FOwner->SetFocusedItem(nullptr);
      return;
    case siImageHighlighted: case siUnderlined: case siBold: case siItalic: case siStrikeOut:
      bit = static_cast<Word>(1u << index);
      break;
    default:
      // Selection and expansion have operations of their own.
      return;
  }
  Word state = value ? (FState | bit) : (FState & ~bit);
  if (state == FState) return;
  SetStateWord(state);
  if ((index == siBold || index == siItalic) && !FOwner->ShowColumns() && FullyExpanded()) {
    if (!FOwner->IsUpdating())
      FOwner->FView->RecomputeRows();
    else
      FOwner->FView->ClearTopRowCache();
  }
  FOwner->DoItemChange(this, icmState);
  UpdateItem();
}

void TElTreeItem::SetSelected(bool value) {
  TCustomElTree* tree = FOwner;
  if (!tree || IsRoot() || !tree->MultiSelect() || !tree->FSelectedItems || value == GetSelected()) {
    UpdateItem();
    return;
  }
  TElList* list = tree->FSelectedItems.get();
  if (value) {
    if (tree->KeepSelectionWithinLevel() && list->Count() > 0) {
      auto* first = static_cast<TElTreeItem*>(list->First());
      if (first != this && first->Level() != Level()) return;
    }
    tree->FSelChange = true;
    SetStateWord(FState | kStateSelected);
    list->Add(this);
  } else {
    tree->FSelChange = true;
    SetStateWord(FState & ~kStateSelected);
    // The latest selected goes first when a frame shrinks.
    const int last = list->Count() - 1;
    if (last >= 0 && list->FastGet(last) == this)
      list->Delete(last);
    else
      list->Remove(this);
    if (tree->FView && tree->FView->FSelected == this) tree->FView->FSelected = nullptr;
  }
  // Repainted first: the handler may delete the item.
  UpdateItem();
  tree->DoItemSelectedChange(this);
}

void TElTreeItem::SetExpanded(bool value) {
  if (value == GetExpanded() || !FOwner) return;
  TElTreeUpdateScope scope(FOwner);
  if (value)
    Expand(false);
  else
    Collapse(false);
}

void TElTreeItem::Expand(bool recursive) {
  if (!FOwner) return;
  if (!IsRoot()) {
    bool canProcess = true;
    FOwner->DoItemExpanding(this, canProcess);
    if (!canProcess) return;
  }
  {
    TElTreeUpdateScope scope(FOwner);
    FOwner->FView->FlagVertical();
    FOwner->FView->FlagRowList();
    SetStateWord(FState | kStateExpanded);
    // The count is read again each time: a handler may add or remove
    // children of the item it expands.
    if (recursive)
      for (int i = 0; i < ChildrenCount(); ++i) GetChild(i)->Expand(true);
    if (!FOwner->ShowColumns() && FullyExpanded()) FOwner->FView->ClearTopRowCache();
    FOwner->FView->FlagRepaint();
    FOwner->FlagRemeasure();
  }
  if (!IsRoot()) FOwner->DoItemExpand(this);
}

void TElTreeItem::Collapse(bool recursive) {
  if (!FOwner) return;
  if (!IsRoot()) {
    bool canProcess = true;
    FOwner->DoItemCollapsing(this, canProcess);
    if (!canProcess) return;
  }
  {
    TElTreeUpdateScope scope(FOwner);
    FOwner->FView->FlagVertical();
    FOwner->FView->FlagRowList();
    SetStateWord(FState & ~kStateExpanded);
    TElTreeItem* focused = FOwner->GetFocusedItem();
    if (focused && focused != this && focused->IsDescendantOf(this) && FOwner->MoveFocusOnCollapse()) {
      if (FOwner->SelectedCount() == 1) {
        bool autoExpand = FOwner->FAutoExpand;
        FOwner->FAutoExpand = false;
        try {
          FOwner->SetFocusedItem(this);
        } catch (...) {
          FOwner->FAutoExpand = autoExpand;
          throw;
        }
        FOwner->FAutoExpand = autoExpand;
        if (FOwner->GetFocusedItem() == this) focused->SetSelected(false);
      } else {
        FOwner->SetFocusedItem(this);
      }
    }
    if (recursive)
      for (int i = 0; i < ChildrenCount(); ++i) GetChild(i)->Collapse(true);
    if (FOwner->DeselectChildrenOnCollapse()) {
      const int first = AbsoluteIndex() + 1;
      for (int i = first; i < first + FDescendants && i < FOwner->FAllItems->Count(); ++i)
        static_cast<TElTreeItem*>(FOwner->FAllItems->FastGet(i))->SetSelected(false);
    }
    if (!FOwner->ShowColumns() && FullyExpanded()) FOwner->FView->ClearTopRowCache();
    FOwner->FView->FlagRepaint();
    FOwner->FlagRemeasure();
  }
  if (!IsRoot()) FOwner->DoItemCollapse(this);
}

void TElTreeItem::ExpandAllParents(bool value) {
  if (!value || !FOwner) return;
  TElTreeUpdateScope scope(FOwner);
  for (TElTreeItem* p = FParent; p; p = p->FParent)
    if (!p->GetExpanded()) p->Expand(false);
  FOwner->FView->FlagFull();
}

void TElTreeItem::MakeVisible() {
  if (FOwner) FOwner->EnsureVisible(this);
}

// ---------------------------------------------------------------- check box

void TElTreeItem::SetCheckBoxState(TElCheckBoxState value) {
  if (value > ecbGrayed || value == FCheckBoxState) return;
  FCheckBoxState = value;
  if (ShowCheckBox() && FOwner && FOwner->ShowCheckboxes()) {
    if (FOwner->ShowColumns())
      UpdateItemCell(FOwner->MainTreeColumn());
    else
      UpdateItem();
  }
}

void TElTreeItem::SetCheckBoxType(TElCheckBoxType value) {
  if (value > ectRadioButton || value == FCheckBoxType) return;
  FCheckBoxType = value;
  if (ShowCheckBox()) UpdateItem();
}

void TElTreeItem::SetChecked(bool value) {
  Byte state = value ? ecbChecked : ecbUnchecked;
  if (state != FCheckBoxState) SetCheckBoxState(static_cast<TElCheckBoxState>(state));
  if (!value || FCheckBoxType != ectRadioButton || !FParent) return;
  // A checked radio button unchecks the radio buttons beside it; check
  // boxes among them keep their state.
  for (int i = 0; i < FParent->ChildrenCount(); ++i) {
    TElTreeItem* sibling = FParent->GetChild(i);
    if (sibling != this && sibling->FCheckBoxType == ectRadioButton && sibling->FCheckBoxState != ecbUnchecked)
      sibling->SetCheckBoxState(ecbUnchecked);
  }
}

// ---------------------------------------------------------------- flags

int TElTreeItem::MultiLineContribution() const { return UsesDefaultHeight() ? 0 : 1; }

bool TElTreeItem::UsesDefaultHeight() const {
  bool adjust = !FOwner || FOwner->AdjustMultilineHeight();
  return TreeLineHeight() && !IsHTML() && !(Multiline() && adjust);
}

void TElTreeItem::ChangeFlags(Cardinal mask, bool value) { StoreFlags(value ? (FFlags | mask) : (FFlags & ~mask)); }

void TElTreeItem::SetFlagsWord(Cardinal flags) {
  const Cardinal keep = ifTransient | ifIsHTML;
  StoreFlags((flags & ~keep) | (FFlags & keep));
}

// The one place a linked item's flags change: its share of the tree's
// counters moves with them.
void TElTreeItem::StoreFlags(Cardinal flags) {
  if (flags == FFlags) return;
  if (!Linked() || !FOwner) {
    FFlags = flags;
    return;
  }
  const int multiLine = MultiLineContribution();
  const int hidden = HiddenContribution();
  FFlags = flags;
  FOwner->ChangeCounters(MultiLineContribution() - multiLine, HiddenContribution() - hidden);
}

void TElTreeItem::SetLookFlag(Cardinal bit, bool value) {
  if (HasFlag(bit) == value) return;
  ChangeFlags(bit, value);
  UpdateItem();
}

void TElTreeItem::SetCheckBoxFlag(Cardinal bit, bool value) {
  if (HasFlag(bit) == value) return;
  ChangeFlags(bit, value);
  if (FOwner && FOwner->ShowCheckboxes()) UpdateItem();
}

void TElTreeItem::SetShowCheckBox(bool value) {
  if (ShowCheckBox() == value) return;
  ChangeFlags(ifShowCheckBox, value);
  if (!FOwner || !FOwner->ShowCheckboxes()) return;
  {
    TElTreeUpdateScope scope(FOwner);
    FOwner->FlagColumnWidths();
  }
  UpdateItem();
}

void TElTreeItem::SetUseStyles(bool value) {
  if (UseStyles() == value) return;
  ChangeFlags(ifUseStyles, value);
  if (!FOwner) return;
  {
    TElTreeUpdateScope scope(FOwner);
    FOwner->FlagColumnWidths();
  }
  UpdateItem();
}

void TElTreeItem::SetHidden(bool value) {
  if (Hidden() == value) return;
  ChangeFlags(ifHidden, value);
  if (!FOwner) return;
  if (FOwner->FilteredVisibility()) {
    TElTreeUpdateScope scope(FOwner);
    FOwner->FView->FlagFull();
    FOwner->FView->FlagRowList();
    FOwner->FlagRemeasure();
  }
  UpdateItem();
}

void TElTreeItem::SetMultiline(bool value) {
  if (Multiline() == value) return;
  if (!FOwner) {
    ChangeFlags(ifMultiline, value);
    return;
  }
  TElTreeUpdateScope scope(FOwner);
  ChangeFlags(ifMultiline, value);
  FHeightCache = 0xFFFF;
  if (!FOwner->ShowColumns() && FullyExpanded()) FOwner->FView->ClearTopRowCache();
  FOwner->FView->FlagFull();
  FOwner->FlagRemeasure();
}

void TElTreeItem::SetTreeLineHeight(bool value) {
  if (TreeLineHeight() == value) return;
  if (!FOwner) {
    ChangeFlags(ifTreeLineHeight, value);
    return;
  }
  TElTreeUpdateScope scope(FOwner);
  ChangeFlags(ifTreeLineHeight, value);
  FHeightCache = 0xFFFF;
  FOwner->FView->FlagFull();
  FOwner->FlagRemeasure();
}

void TElTreeItem::SetIsHTML(bool value) {
  if (IsHTML() == value) return;
  ChangeFlags(ifIsHTML, value);
  FHeightCache = 0xFFFF;
  if (value) {
    ChangeFlags(ifHTMLPrepared, true);
    PrepareHTML();
  } else {
    FreeMainHTML();
    FreeColumnHTML();
  }
  if (!FOwner || FOwner->IsDestroying()) return;
  TElTreeUpdateScope scope(FOwner);
  if (!FOwner->ShowColumns() && FullyExpanded()) FOwner->FView->ClearTopRowCache();
  FOwner->FView->FlagFull();
  FOwner->FlagRemeasure();
}

// ---------------------------------------------------------------- looks

void TCustomElTree::FlagColumnWidthsFor(TElTreeItem* item) {
  FlagColumnWidths();
  if (!FShowColumns && item->FullyExpanded() && FView) FView->ClearTopRowCache();
}

// The image indexes share one rule: the columns or the content width follow
// a change while the tree shows images.
void TElTreeItem::SetImageField(std::int32_t& field, int value) {
  if (field == value) return;
  if (!FOwner) {
    field = value;
    return;
  }
  {
    TElTreeUpdateScope scope(FOwner);
    field = value;
    if (FOwner->ShowImages()) FOwner->FlagColumnWidthsFor(this);
  }
  UpdateItem();
}

void TElTreeItem::SetImageIndex(int value) { SetImageField(FImageIndex, value); }
void TElTreeItem::SetStateImageIndex(int value) { SetImageField(FStateImageIndex, value); }
void TElTreeItem::SetImageIndex2(int value) { SetImageField(FImageIndex2, value); }
void TElTreeItem::SetStateImageIndex2(int value) { SetImageField(FStateImageIndex2, value); }

void TElTreeItem::SetOverlayIndex(std::int8_t value) {
  if (FOverlayIndex == value) return;
  FOverlayIndex = value;
  UpdateItem();
}

void TElTreeItem::SetOverlayIndex2(std::int8_t value) {
  if (FOverlayIndex2 == value) return;
  FOverlayIndex2 = value;
  UpdateItem();
}

void TElTreeItem::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  if (!ParentColors()) UpdateItem();
}

void TElTreeItem::SetBkColor(TColor value) {
  if (FBkColor == value) return;
  FBkColor = value;
  if (!ParentColors() && UseBkColor()) UpdateItem();
}

void TElTreeItem::SetRowBkColor(TColor value) {
  if (FRowBkColor == value) return;
  FRowBkColor = value;
  if (!ParentColors() && UseBkColor()) UpdateItem();
}

void TElTreeItem::SetLineThroughColor(TColor value) {
  if (FLineThroughColor == value) return;
  FLineThroughColor = value;
  if (LineThroughRow()) UpdateItem();
}

void TElTreeItem::SetBorderColor(TColor value) {
  if (FBorderColor == value) return;
  FBorderColor = value;
  if (FBorderStyle == ibsLine) UpdateItem();
}

void TElTreeItem::SetBorderStyle(TElItemBorderStyle value) {
  if (value > ibsLine || FBorderStyle == value) return;
  FBorderStyle = value;
  UpdateItem();
}

void TElTreeItem::SetIndent(int value) {
  if (FIndent == value) return;
  FIndent = value;
  if (!FOwner) return;
  {
    TElTreeUpdateScope scope(FOwner);
    FOwner->FlagColumnWidths();
  }
  UpdateItem();
}

// ---------------------------------------------------------------- heights

int TElTreeItem::GetHeight() {
  if (!FOwner) return 0;
  const bool adjusted = Multiline() && FOwner->AdjustMultilineHeight();
  if (TreeLineHeight() && !IsHTML() && !adjusted) return FOwner->LineHeight();
  if (FOwnHeight != 0 && !Multiline() && !IsHTML()) return FOwnHeight;
  if (FHeightCache != 0xFFFF) return FHeightCache;
  int height = 0;
  TPoint size{0, 0};
  const int sections = FOwner->ShowColumns() ? FOwner->HeaderSectionCount() : 0;
  if (sections > 0) {
    for (int i = 0; i < sections; ++i) {
      size = TPoint{0, 0};
      FOwner->MeasureCell(this, i, size);
      if (size.y > height) height = size.y;
    }
  } else {
    FOwner->MeasureCell(this, -1, size);
    height = size.y;
  }
  // 0xFFFF marks a height not measured yet.
  if (height < 0) height = 0;
  if (height > 0xFFFE) height = 0xFFFE;
  FHeightCache = static_cast<Word>(height);
  return height;
}

void TElTreeItem::SetOwnHeight(Word value) {
  if (FOwnHeight == value) return;
  FOwnHeight = value;
  if (!FOwner) return;
  TElTreeUpdateScope scope(FOwner);
  FOwner->FView->FlagFull();
  FOwner->FlagRemeasure();
}

int TElTreeItem::SubTreeHeight() {
  if (!GetExpanded() || !FOwner) return 0;
  // Hidden children take no row only while the tree filters them out.
  const bool filtered = FOwner->FilteredVisibility();
  int height = 0;
  for (int i = 0; i < ChildrenCount(); ++i) {
    TElTreeItem* child = GetChild(i);
    if (filtered && child->Hidden()) continue;
    height += child->GetHeight();
    if (child->GetExpanded()) height += child->SubTreeHeight();
  }
  return height;
}

int TElTreeItem::GetWidth() {
  if (!FOwner) return 0;
  TPoint size{0, 0};
  FOwner->MeasureCell(this, -1, size);
  return size.x;
}

// ---------------------------------------------------------------- HTML

TElHTMLData* TElTreeItem::RenderHTML(const TElFString& text) {
  if (!FOwner || !FOwner->FView || !FOwner->FView->Render()) return nullptr;
  if (FOwner->IsLoading() || !StartsWithHTML(text)) return nullptr;
  TElHTMLRender* render = FOwner->FView->Render();
  TElHTMLData* data = render->CreateData();
  TFont* font = FOwner->Font();
  data->DefaultStyle = font->Style();
  data->DefaultFont = font->Name();
  data->DefaultHeight = font->Height();
  data->Charset = font->Charset();
  data->DefaultColor = FOwner->TextColor();
  data->LinkColor = FOwner->LinkColor();
  data->LinkStyle = FOwner->LinkStyle();
  try {
    render->PrepareToData(text, 0, data, false);
  } catch (...) {
    render->DestroyData(data);
    throw;
  }
  return data;
}

void TElTreeItem::DestroyHTMLData(TElHTMLData* data) {
  if (!data) return;
  if (FOwner && FOwner->FView && FOwner->FView->Render())
    FOwner->FView->Render()->DestroyData(data);
  else
    data->Free();
}

void TElTreeItem::ColumnHTMLDataDeleted(TObject* /*sender*/, void* item) {
  DestroyHTMLData(static_cast<TElHTMLData*>(static_cast<TObject*>(item)));
}

void TElTreeItem::FreeMainHTML() {
  TElHTMLData* data = FHTMLData;
  FHTMLData = nullptr;
  DestroyHTMLData(data);
}

void TElTreeItem::FreeColumnHTML() { FColumnHTMLData.reset(); }

void TElTreeItem::PrepareMainHTML() {
  FreeMainHTML();
  FHTMLData = RenderHTML(GetText());
}

void TElTreeItem::PrepareColumnHTML() {
  if (!FColumnHTMLData) {
    FColumnHTMLData = std::make_unique<TElArray>();
    FColumnHTMLData->OnDelete = TElListDeleteEvent(this, &TElTreeItem::ColumnHTMLDataDeleted);
  }
  FColumnHTMLData->Clear();
  TElWideStringList* columns = ColumnTextList();
  if (!columns) return;
  for (int i = 0; i < columns->Count(); ++i)
    if (TElHTMLData* data = RenderHTML(columns->Get(i)))
      FColumnHTMLData->Put(i, static_cast<TObject*>(data));
}

void TElTreeItem::PrepareHTML() {
  PrepareMainHTML();
  PrepareColumnHTML();
}

void TElTreeItem::ReRenderAllHTMLTexts() {
  if (!IsHTML()) return;
  PrepareHTML();
  UpdateItem();
}

TElHTMLData* TElTreeItem::ColumnHTMLData(int index) const {
  if (!FColumnHTMLData || index < 0) return nullptr;
  return static_cast<TElHTMLData*>(static_cast<TObject*>(FColumnHTMLData->Get(index)));
}

// ---------------------------------------------------------------- styles

TElCellStyle* TElTreeItem::MainStyle() const { return FStaticData ? FStaticData->MainStyle.get() : nullptr; }

int TElTreeItem::StylesCount() const {
  return FStaticData && FStaticData->Styles ? FStaticData->Styles->Count() : 0;
}

TElCellStyle* TElTreeItem::GetStyle(int index) const {
  if (index < 0 || index >= StylesCount()) return nullptr;
  return static_cast<TElCellStyle*>(static_cast<TObject*>(FStaticData->Styles->FastGet(index)));
}

TElCellStyle* TElTreeItem::AddStyle() {
  if (!FStaticData) return nullptr;
  auto style = std::make_unique<TElCellStyle>(this);
  if (FOwner) {
    style->FFontSize = FOwner->Font()->Size();
    style->FFontStyles = FOwner->Font()->Style();
    style->FFontName = FOwner->Font()->Name();
  }
  style->FUseTreeLook = true;
  if (FStaticData->MainStyle) style->Assign(FStaticData->MainStyle.get());
  return AppendStyle(std::move(style));
}

TElCellStyle* TElTreeItem::AppendStyle(std::unique_ptr<TElCellStyle> style) {
  if (!FStaticData->Styles) {
    FStaticData->Styles = std::make_unique<TElList>();
    FStaticData->Styles->SetAutoClearObjects(true);
  }
  FStaticData->Styles->Add(static_cast<TObject*>(style.get()));
  return style.release();
}

void TElTreeItem::RemoveStyle(TElCellStyle* style) {
  if (!FStaticData || !FStaticData->Styles || !style) return;
  int index = FStaticData->Styles->IndexOf(static_cast<TObject*>(style));
  if (index < 0) return;
  // The list owns its styles: the removed one is freed.
  FStaticData->Styles->Delete(index);
  if (FStaticData->Styles->Count() == 0) FStaticData->Styles.reset();
}

// ---------------------------------------------------------------- structure

void TElTreeItem::Delete() {
  if (FList) FList->DeleteItem(this);
}

void TElTreeItem::SortChildren(bool recursive) {
  if (FOwner) FOwner->SortItemChildren(this, recursive);
}
