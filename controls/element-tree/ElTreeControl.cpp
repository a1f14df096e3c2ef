// The frame's line height, its scrolling entry points in tree coordinates
// and the operations that expand, collapse or bring items into view.
#include <algorithm>
#include <cstdlib>

#include "ElTree.hpp"

// ---------------------------------------------------------------- line height

namespace {

int GlyphHeight(const TBitmap* glyph) { return glyph && !glyph->Empty() ? glyph->Height() : 0; }

}  // namespace

int TCustomElTree::DefineLineHeight() {
  int height = 0;
  if (FShowImages) {
    height = FImages ? FImages->Height() : 0;
    if (FImages2) height = std::max(height, FImages2->Height());
  }
  height = std::max(height, FItemIndent);
  // A negative font height is a character height, without the leading.
  const int fontHeight = Font()->Height();
  height = std::max(height, std::abs(fontHeight) + (fontHeight < 0 ? 4 : 2));
  if (FShowCheckboxes) {
    if (FCustomCheckboxes)
      height = std::max({height, GlyphHeight(FCheckBoxGlyph), GlyphHeight(FRadioButtonGlyph)});
    else
      height = std::max(height, FItemIndent - 2);
  }
  if (FBarStyle)
    height += 2;
  else if (FHorizontalLines)
    height += 1;
  return height;
}

void TCustomElTree::ApplyLineHeight(int height) {
  if (height == FLineHeight) return;
  TElTreeUpdateScope scope(this);
  FLineHeight = height;
  // A measured row starts from the line height: every cached height goes.
  for (int i = 0; i < FAllItems->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(FAllItems->FastGet(i));
    item->FHeightCache = 0xFFFF;
  }
  if (FView) FView->FlagFull();
  FlagRemeasure();
}

// ---------------------------------------------------------------- scrolling

void TCustomElTree::SetTopIndex(int index) {
  if (FView) FView->SetTopIndex(index);
}

void TCustomElTree::SetLeftPosition(int pixels) {
  if (FView) FView->SetLeftPosition(pixels);
}

int TCustomElTree::BottomIndex() const {
  const int rows = FView ? FView->FVisibleRows->Count() : 0;
  return rows > 0 ? FTopIndex + rows - 1 : 0;
}

TElTreeItem* TCustomElTree::GetTopItem() {
  if (!FView || FView->FVisibleRows->Count() == 0) return nullptr;
  return static_cast<TElTreeItem*>(FView->FVisibleRows->FastGet(0));
}

void TCustomElTree::SetTopItem(TElTreeItem* item) {
  if (!item) throw EElTreeError(LoadStr(SElTreeItemNotSpecified));
  const int row = item->VisIndex();
  if (row >= 0) SetTopIndex(row);
}

void TCustomElTree::GetItemRect(int rowIndex, TRect& r) {
  r = FView ? FView->GetRowRect(rowIndex) : TRect{0, 0, 0, 0};
  if (FView && !IsRectEmpty(&r)) OffsetRect(&r, 0, FView->Top());
}

TElTreeItem* TCustomElTree::GetItemAtY(int y) { return FView ? FView->GetItemAtY(y - FView->Top()) : nullptr; }

TElTreeItem* TCustomElTree::GetItemAt(int x, int y, TSTItemPart& itemPart, int& hitColumn) {
  itemPart = HitNowhere;
  hitColumn = -1;
  if (!FView) return nullptr;
  return FView->GetItemAt(x - FView->Left(), y - FView->Top(), itemPart, hitColumn);
}

bool TCustomElTree::IsInView(TElTreeItem* item) {
  return item && FView && FView->FVisibleRows->IndexOf(item) >= 0;
}

// ---------------------------------------------------------------- into view

void TCustomElTree::EnsureVisible(TElTreeItem* item) { ScrollItemIntoView(item, false); }

void TCustomElTree::EnsureVisibleBottom(TElTreeItem* item) { ScrollItemIntoView(item, true); }

void TCustomElTree::ScrollItemIntoView(TElTreeItem* item, bool atBottom) {
  if (!item || !FView || IsUpdating() || item->FOwner != this || item->IsRoot()) return;
  FView->FillVisibleRows(FTopIndex);
  if (IsInView(item)) return;
  TElTreeUpdateScope scope(this);
  if (!item->FullyExpanded()) item->ExpandAllParents(true);
  if (FView->FRecountPending) RecountVisibleRows();
  const int row = item->VisIndex();
  if (row >= 0) FView->SetTopIndex(atBottom ? FView->RowsAbove(row) : row);
}

void TCustomElTree::FullExpand() {
  TElTreeUpdateScope scope(this);
  TElTreeItem* root = GetRoot();
  for (int i = 0; root && i < root->ChildrenCount(); ++i) root->GetChild(i)->Expand(true);
}

void TCustomElTree::FullCollapse() {
  TElTreeUpdateScope scope(this);
  TElTreeItem* root = GetRoot();
  for (int i = 0; root && i < root->ChildrenCount(); ++i) root->GetChild(i)->Collapse(true);
}

// ---------------------------------------------------------------- pictures

namespace {

TBitmap* MadeOnFirstRead(TBitmap*& picture, const TNotifyEvent& onChange) {
  if (!picture) {
    picture = new TBitmap;
    picture->OnChange = onChange;
  }
  return picture;
}

}  // namespace

TBitmap* TCustomElTree::PlusPicture() { return MadeOnFirstRead(FPlusPicture, PictureChangedEvent()); }
TBitmap* TCustomElTree::MinusPicture() { return MadeOnFirstRead(FMinusPicture, PictureChangedEvent()); }
TBitmap* TCustomElTree::LeafPicture() { return MadeOnFirstRead(FLeafPicture, PictureChangedEvent()); }
TBitmap* TCustomElTree::CheckBoxGlyph() { return MadeOnFirstRead(FCheckBoxGlyph, PictureChangedEvent()); }
TBitmap* TCustomElTree::RadioButtonGlyph() { return MadeOnFirstRead(FRadioButtonGlyph, PictureChangedEvent()); }

TNotifyEvent TCustomElTree::PictureChangedEvent() { return TNotifyEvent(this, &TCustomElTree::PictureChanged); }

// A custom button or check-box picture in use changes the rows' look and
// may change their height.
void TCustomElTree::PictureChanged(TObject* sender) {
  const bool glyph = sender == FCheckBoxGlyph || sender == FRadioButtonGlyph;
  if (glyph ? !FCustomCheckboxes : !FCustomPlusMinus) return;
  TElTreeUpdateScope scope(this);
  LayoutChanged();
}
