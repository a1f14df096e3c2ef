// The view's rows: which items are on screen, the top row and the
// horizontal offset with their clamps, paging in both height modes, the
// bars' scroll events and the wheel. Nothing here needs a window.
//
// The view keeps the item of the top row (FTopItem): a scroll walks the
// rows from it, so that paging through a long tree costs the rows passed,
// not the rows above. Any change that may move rows above the top row
// drops it, and the next walk starts from the first item.
#include <algorithm>

#include "ElScrollBarGeometry.hpp"
#include "ElTools.hpp"
#include "ElTree.hpp"

namespace {

bool IsRowSkipped(const TCustomElTree* tree, TElTreeItem* item) {
  return tree->FilteredVisibility() && item->Hidden();
}

// The row after a shown item, or nil: its first shown child when it is
// expanded, else the first shown sibling after it or after an ancestor.
TElTreeItem* NextRow(const TCustomElTree* tree, TElTreeItem* item) {
  if (item->Expanded())
    for (int i = 0; i < item->ChildrenCount(); ++i) {
      TElTreeItem* child = item->GetChild(i);
      if (!IsRowSkipped(tree, child)) return child;
    }
  for (TElTreeItem* at = item; at && !at->IsRoot(); at = at->Parent() ? at->Parent() : nullptr) {
    for (TElTreeItem* sibling = at->GetNextSibling(); sibling; sibling = sibling->GetNextSibling())
      if (!IsRowSkipped(tree, sibling)) return sibling;
    if (!at->Parent()) break;
  }
  return nullptr;
}

// The last shown row of an item's subtree (the item itself when nothing
// below it shows).
TElTreeItem* LastRowOf(const TCustomElTree* tree, TElTreeItem* item) {
  for (;;) {
    if (!item->Expanded()) return item;
    TElTreeItem* last = nullptr;
    for (int i = item->ChildrenCount() - 1; i >= 0 && !last; --i) {
      TElTreeItem* child = item->GetChild(i);
      if (!IsRowSkipped(tree, child)) last = child;
    }
    if (!last) return item;
    item = last;
  }
}

// The row before a shown item, or nil.
TElTreeItem* PrevRow(const TCustomElTree* tree, TElTreeItem* item) {
  for (TElTreeItem* sibling = item->GetPrevSibling(); sibling; sibling = sibling->GetPrevSibling())
    if (!IsRowSkipped(tree, sibling)) return LastRowOf(tree, sibling);
  return item->Parent();
}

}  // namespace

TElTreeItem* TElTreeView::RowAfter(TElTreeItem* item) { return item ? NextRow(FOwner, item) : nullptr; }
TElTreeItem* TElTreeView::RowBefore(TElTreeItem* item) { return item ? PrevRow(FOwner, item) : nullptr; }

// ---------------------------------------------------------------- geometry

int TElTreeView::RowsThatFit() {
  const int lineHeight = std::max(1, FOwner->LineHeight());
  const int height = std::max(0, ViewHeight());
  return height / lineHeight + (height % lineHeight ? 1 : 0);
}

int TElTreeView::FullRowsThatFit(int& remainder) {
  const int lineHeight = std::max(1, FOwner->LineHeight());
  const int height = std::max(0, ViewHeight());
  remainder = height % lineHeight;
  return height / lineHeight;
}

TRect TElTreeView::GetRowRect(int rowIndex) {
  if (rowIndex < 0 || rowIndex >= FVisibleRows->Count() || ComponentState().Contains(csDestroying))
    return TRect{0, 0, 0, 0};
  int top = 0;
  for (int i = 0; i < rowIndex; ++i) top += static_cast<TElTreeItem*>(FVisibleRows->FastGet(i))->Height();
  const int height = static_cast<TElTreeItem*>(FVisibleRows->FastGet(rowIndex))->Height();
  return TRect{0, top, ViewWidth(), top + height};
}

TElTreeItem* TElTreeView::GetItemAtY(int y) {
  if (y < 0) return nullptr;
  int sum = 0;
  for (int i = 0; i < FVisibleRows->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(FVisibleRows->FastGet(i));
    sum += item->Height();
    if (sum > y) return item;
  }
  return nullptr;
}

bool TElTreeView::VariableHeights() const { return FOwner->MultiLineCount() > 0; }

// ---------------------------------------------------------------- row walks

TElTreeItem* TElTreeView::ItemOfRow(int row) {
  if (row < 0 || !FItems) return nullptr;
  if (FRecountPending) FOwner->RecountVisibleRows();
  if (row >= FOwner->FVisibleCount) return nullptr;
  const int top = FOwner->FTopIndex;
  if (FTopItem && top >= 0 && std::abs(row - top) < row) {
    TElTreeItem* item = FTopItem;
    for (int at = top; item && at < row; ++at) item = NextRow(FOwner, item);
    for (int at = top; item && at > row; --at) item = PrevRow(FOwner, item);
    return item;
  }
  TElTreeItem* found = nullptr;
  FOwner->ForEachRow([&](TElTreeItem* item, int at, int) {
    if (at == row) found = item;
    return at < row;
  });
  return found;
}

int TElTreeView::RowsAbove(int row) {
  TElTreeItem* item = ItemOfRow(row);
  if (!item) return std::max(0, row);
  const int height = ViewHeight();
  int sum = item->Height();
  for (TElTreeItem* prev = PrevRow(FOwner, item); prev && row > 0; prev = PrevRow(FOwner, prev)) {
    sum += prev->Height();
    if (sum > height) break;
    --row;
  }
  return row;
}

int TElTreeView::RowsBelow(int row) {
  TElTreeItem* item = ItemOfRow(row);
  if (!item) return std::max(0, row);
  const int height = ViewHeight();
  int sum = item->Height();
  for (TElTreeItem* next = NextRow(FOwner, item); next && sum < height; next = NextRow(FOwner, next)) {
    sum += next->Height();
    ++row;
  }
  return row;
}

int TElTreeView::LastTopRow() {
  if (FRecountPending) FOwner->RecountVisibleRows();
  const int lastRow = FOwner->FVisibleCount - 1;
  if (lastRow <= 0) return 0;
  if (VariableHeights()) return RowsAbove(lastRow);
  // A view too low for one row still scrolls to the last row, never past it.
  return std::clamp(FOwner->FVisibleCount - RowsThatFit() + 1, 0, lastRow);
}

// ---------------------------------------------------------------- filling

void TElTreeView::FillVisibleRows(int first) {
  FVisibleRows->Clear();
  TElTreeItem* item = ItemOfRow(first);
  if (first == FOwner->FTopIndex) FTopItem = item;
  const int height = ViewHeight();
  const bool variable = VariableHeights();
  const int lineHeight = FOwner->LineHeight();
  int sum = 0;
  for (; item; item = NextRow(FOwner, item)) {
    FVisibleRows->Add(item);
    sum += variable ? item->Height() : lineHeight;
    if (sum > height) break;
  }
}

void TElTreeView::ApplyTopIndex(int row) {
  if (FOwner->IsLoading()) {
    FOwner->FTopIndex = row;
    FTopItem = nullptr;
    return;
  }
  TElTreeUpdateScope scope(FOwner);
  row = std::clamp(row, 0, LastTopRow());
  if (row != FOwner->FTopIndex) {
    // Walk the kept item to its new row before the index moves.
    TElTreeItem* item = ItemOfRow(row);
    FOwner->FTopIndex = row;
    FTopItem = item;
  } else if (!FTopItem) {
    FTopItem = ItemOfRow(row);
  }
  FillVisibleRows(row);
  FRowsChanged = true;
  FOwner->FlagUpdate();
}

void TElTreeView::SetTopIndex(int row) {
  if (FOwner->IsLoading()) {
    FOwner->FTopIndex = row;
    FTopItem = nullptr;
    return;
  }
  {
    TElTreeUpdateScope scope(FOwner);
    row = std::clamp(row, 0, LastTopRow());
    if (row != FOwner->FTopIndex || FVisibleRows->Count() == 0) {
      FScrollChanged = true;
      ApplyTopIndex(row);
    }
  }
  if (HandleAllocated()) Invalidate();
  if (TElScrollBar* bar = FOwner->FVScrollBar) {
    FMovingBars = true;
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{FMovingBars};
    bar->SetPosition(FOwner->FTopIndex);
  }
}

void TElTreeView::SetLeftPosition(int x) {
  if (FOwner->IsLoading()) {
    FOwner->FLeftPosition = x;
    return;
  }
  int content = FOwner->ShowColumns() && FHeader ? FHeader->SectionsWidth() : FLongestWidth;
  // An unmeasured width (-1) or content narrower than the view: no room.
  x = std::clamp(x, 0, std::max(0, content - ViewWidth()));
  {
    TElTreeUpdateScope scope(FOwner);
    FOwner->FLeftPosition = x;
    if (FHeader && FHeader->LeftOffset() != x) FHeader->SetLeftOffset(x);
    FScrollChanged = true;
    FHorzChanged = true;
    FOwner->FlagUpdate();
  }
  if (HandleAllocated()) Invalidate();
  if (TElScrollBar* bar = FOwner->FHScrollBar) {
    FMovingBars = true;
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{FMovingBars};
    bar->SetPosition(x);
  }
}

// ---------------------------------------------------------------- scroll events

namespace {

// The secondary buttons as the vertical bar's kind maps them.
TElScrollCode MapSecondary(TElScrollCode code, TElSecButtonsKind kind) {
  if (code != scSecondFirst && code != scSecondLast) return code;
  if (kind == sbkOpposite) return code == scSecondFirst ? scLineBack : scLineForward;
  if (kind == sbkPage) return code == scSecondFirst ? scPageForward : scPageBack;
  return code;
}

}  // namespace

void TElTreeView::HorzScrollHandler(TObject* /*sender*/, TElScrollCode code, int& scrollPos, bool& doChange) {
  if (FMovingBars) return;
  ScrollByCode(sbHorizontal, code, scrollPos);
  doChange = false;
}

void TElTreeView::VertScrollHandler(TObject* /*sender*/, TElScrollCode code, int& scrollPos, bool& doChange) {
  if (FMovingBars) return;
  ScrollByCode(sbVertical, code, scrollPos);
  doChange = false;
  if (FFrameSelecting && HandleAllocated()) {
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(Handle(), &p);
    Perform(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  }
}

// Rows vertically; pixels horizontally, 4 a line and half the view a page.
void TElTreeView::ScrollByCode(TScrollBarKind kind, TElScrollCode code, int scrollPos) {
  const TElScrollCode original = code;
  code = MapSecondary(code, FOwner->FVScrollBar ? FOwner->FVScrollBar->SecondBtnKind() : sbkCustom);
  if (FActiveEditor) EndEdit(false);
  const bool vertical = kind == sbVertical;
  const int current = vertical ? FOwner->FTopIndex : FOwner->FLeftPosition;
  const int line = vertical ? 1 : 4;
  int target = current;
  bool move = true;
  switch (code) {
    case scLineBack: target = current - line; break;
    case scLineForward: target = current + line; break;
    case scPageBack: target = vertical ? PageTarget(false) : current - ViewWidth() / 2; break;
    case scPageForward: target = vertical ? PageTarget(true) : current + ViewWidth() / 2; break;
    case scPosition: target = scrollPos; break;
    case scTrack:
      move = FOwner->FScrollTracking;
      target = scrollPos;
      break;
    case scTop: target = 0; break;
    case scBottom: target = vertical ? FOwner->FVisibleCount - 1 : FLongestWidth; break;
    default: move = false; break;
  }
  if (move) {
    if (vertical)
      SetTopIndex(target);
    else
      SetLeftPosition(target);
  }
  FOwner->DoScroll(kind, original);
}

int TElTreeView::PageTarget(bool forward) {
  const int top = FOwner->FTopIndex;
  const int perPage = RowsThatFit();
  if (!forward) return VariableHeights() ? RowsAbove(top) : std::max(0, top - perPage + 1);
  int row = VariableHeights() ? RowsBelow(top) : top + perPage - 1;
  // One row on screen: a page is one row, or paging would never move.
  if (row == top && top < FOwner->FVisibleCount - 1) ++row;
  return row;
}

void TElTreeView::WheelScroll(int wheelDelta, UINT linesSetting) {
  TElScrollBarGeometry geometry;
  geometry.Page = 1;
  const TElWheelTurn turn = geometry.WheelTurn(wheelDelta, linesSetting);
  if (turn.Count == 0) return;
  if (linesSetting == WHEEL_PAGESCROLL) {
    // One screen a notch, as the bar's page buttons move it.
    for (int i = 0; i < turn.Count; ++i) {
      const int before = FOwner->FTopIndex;
      SetTopIndex(PageTarget(turn.Code == scPageForward));
      if (FOwner->FTopIndex == before) break;
    }
    return;
  }
  SetTopIndex(FOwner->FTopIndex + turn.Delta * turn.Count);
}

// ---------------------------------------------------------------- messages

void TElTreeView::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE: {
      TCustomControl::Dispatch(m);
      TElTreeUpdateScope scope(FOwner);
      FRowsChanged = FScrollChanged = FSizeChanged = true;
      FOwner->FlagUpdate();
      ApplyTopIndex(FOwner->FTopIndex);
      return;
    }
    case CM_MOUSELEAVE:
      MouseLeft();
      TCustomControl::Dispatch(m);
      return;
    case CM_DRAG: DragMessage(m); return;
    case WM_GETDLGCODE:
      // Arrow keys and characters.
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    default:
      if (!DispatchMouseButton(m) && !ViewMessage(m)) TCustomControl::Dispatch(m);
  }
}
