// The pointer over the view without a press of its own: the link cursor,
// the moves of a held button (a drag or a frame), the standard and line
// hints, the hot item and the pointer's leaving; and the repaint of one row.
#include <cmath>

#include "ElTree.hpp"

namespace {

// How far the pointer moves from the press before a drag or a frame starts.
constexpr double kMoveThreshold = 5.0;

bool FarFrom(int x, int y, int pressX, int pressY) {
  return std::hypot(static_cast<double>(x - pressX), static_cast<double>(y - pressY)) >= kMoveThreshold;
}

}  // namespace

void TElTreeView::InvalidateItem(TElTreeItem* item, int sectionIndex) {
  TCustomElTree* t = FOwner;
  if (!item || item->Deleting() || item->FOwner != t || t->IsDestroying() || !HandleAllocated()) return;
  const int row = FVisibleRows->IndexOf(item);
  TRect r = GetRowRect(row);
  if (IsRectEmpty(&r)) return;
  ++r.bottom;
  if (sectionIndex >= 0 && t->FShowColumns && t->FHeader) {
    TElHeaderSection* section = t->FHeader->Sections()->GetSectionByIndex(sectionIndex);
    if (!section) return;
    r.left = section->Left() - t->FLeftPosition;
    r.right = section->Right() - t->FLeftPosition;
  }
  InvalidateRect(Handle(), &r, FALSE);
}

TElCellControl* TElTreeView::CellControlAt(int x, int y, TPoint& cellPoint) {
  TSTItemPart part = HitNowhere;
  int column = -1;
  TElTreeItem* item = GetItemAt(x, y, part, column);
  if (!item || part != HitCell || !item->UseStyles()) return nullptr;
  TElCellStyle* style = FOwner->CellStyle(item, column);
  TElCellControl* control = style ? style->Control() : nullptr;
  if (!control || style->UseTreeLook()) return nullptr;
  TElHeaderSection* section = FOwner->FHeader ? FOwner->FHeader->Sections()->GetSectionByIndex(column) : nullptr;
  cellPoint = TPoint{x + FOwner->FLeftPosition - (section ? section->Left() : 0), y - RowTop(item)};
  return control;
}

bool TElTreeView::LinkAt(int x, int y, TElFString& href) {
  href.clear();
  TElTreeItem* item = GetItemAtY(y);
  TElHTMLData* html = item && item->IsHTML() ? item->HTMLData() : nullptr;
  if (!html) return false;
  TCustomElTree* t = FOwner;
  const int top = RowTop(item), height = item->GetHeight();
  // Where the paint put the main text: inside its recorded span, centred
  // on a row of one line.
  TRect area{item->TextLeft() + 1 - t->FLeftPosition, top, item->TextRight() - 1 - t->FLeftPosition, top + height};
  if (!(height > t->FLineHeight) && html->TextHeight < height) area.top += (height - html->TextHeight) / 2;
  if (x < area.left || x >= area.right) return false;
  FRender->SetData(html);
  const bool over = FRender->IsCursorOverLink(TPoint{0, 0}, TPoint{x - area.left, y - area.top}, href, area);
  FRender->SetData(nullptr);
  return over;
}

bool TElTreeView::DragWanted(int x, int y) {
  TCustomElTree* t = FOwner;
  if (FFrameSelecting || !t->FDragAllowed) return false;
  const bool anySelected = t->FMultiSelect ? t->FSelectedItems && t->FSelectedItems->Count() > 0 : FSelected != nullptr;
  if (!anySelected || !FarFrom(x, y, FPressX, FPressY)) return false;
  TSTItemPart part = HitNowhere;
  int column = -1;
  GetItemAt(x, y, part, column);
  return part != HitNowhere;
}

void TElTreeView::MouseMove(TShiftState shift, int x, int y) {
  TPoint cell;
  if (TElCellControl* control = CellControlAt(x, y, cell))
    control->TriggerMouseMove(shift, cell.x, cell.y);
  else
    TCustomControl::MouseMove(shift, x, y);
  Hover(x, y, shift);
}

void TElTreeView::Hover(int x, int y, TShiftState shift) {
  TCustomElTree* t = FOwner;
  TElFString href;
  if (LinkAt(x, y, href) && Screen) ::SetCursor(Screen->Cursors(t->FLinkCursor));

  if (FButtonDown && !Dragging()) {
    if (DragWanted(x, y)) {
      StartDrag();
    } else if (t->FMouseFrameSelect && FVisibleRows->Count() > 0 && t->FMultiSelect) {
      if (FFrameSelecting)
        FrameMoveTo(x, y);
      else if (FarFrom(x, y, FPressX, FPressY))
        FrameBegin(shift);
    }
  }

  if ((FShowHintItem || !t->ShowHint()) && !FFrameSelecting) {
    SetHint(t->TControl::Hint());
    if (Application) Application->SetHint(t->TControl::Hint());
    TElTreeItem* item = GetItemAtY(y);
    const TElFString itemHint = item && item != FShowHintItem ? item->GetHint() : TElFString();
    if (!itemHint.empty()) {
      const std::string hint = WideToAnsi(itemHint);
      SetHint(hint);
      if (Application) {
        Application->SetHint(hint);
        POINT cursor;
        if (t->ShowHint() && !FDragEntered && GetCursorPos(&cursor)) Application->ActivateHint(cursor);
      }
    }
  }

  if (t->FLineHintMode != shmNone && !FFrameSelecting && (x != FHintX || y != FHintY)) {
    TElTreeItem* item = GetItemAtY(y);
    if ((t->FHideHintOnMove || item) && item != FHintItem) {
      HideLineHint();
      ArmLineHint(x, y);
    }
  }

  if (t->FTracking && !FFrameSelecting) TrackHotItem(y);
}

void TElTreeView::TrackHotItem(int y) {
  TCustomElTree* t = FOwner;
  TElTreeItem* item = FActiveEditor ? nullptr : GetItemAtY(y);
  if (item && !t->FIgnoreEnabled && !item->Enabled()) item = nullptr;
  if (item == FTrackItem) return;
  TElTreeItem* old = FTrackItem;
  FTrackItem = item;
  for (TElTreeItem* changed : {old, item}) {
    if (!changed) continue;
    if (t->FShowColumns && !t->FRowHotTrack)
      changed->UpdateItemCell(t->FMainTreeColumn);
    else
      changed->UpdateItem();
  }
  t->DoHotTrack(old, item);
}

void TElTreeView::MouseLeft() {
  if (FActiveEditor) return;
  if (TElTreeItem* old = FTrackItem) {
    FTrackItem = nullptr;
    old->UpdateItem();
  }
  FShowHintItem = nullptr;
  HideLineHint();
  if (FActiveCellControl) FActiveCellControl->TriggerMouseUp(mbLeft, TShiftState(), -1, -1);
}
