// Frame selection: a rectangle dragged with the left button held toggles the
// selection of the items it covers. Its corners are items with an x and an
// offset from their row's top, so that the frame follows the rows when the
// view scrolls. What entered and what left the frame since the last move is
// found by one merge over the items' depth-first positions, so a move costs
// the frame's span, never its square.
#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ElTree.hpp"

namespace {

TElTreeItem* ItemAt(TElList* list, int index) { return static_cast<TElTreeItem*>(list->FastGet(index)); }

// Clears a pointer to a local list when the scope ends, whatever way.
template <class T>
struct TScopedPointer {
  TScopedPointer(T*& slot, T* value) : slot_(slot) { slot_ = value; }
  ~TScopedPointer() { slot_ = nullptr; }
  TScopedPointer(const TScopedPointer&) = delete;
  TScopedPointer& operator=(const TScopedPointer&) = delete;
  T*& slot_;
};

}  // namespace

int TElTreeView::RowTop(TElTreeItem* item) {
  int top = 0;
  for (int i = 0; i < FVisibleRows->Count(); ++i) {
    TElTreeItem* row = ItemAt(FVisibleRows.get(), i);
    if (row == item) return top;
    top += row->GetHeight();
  }
  return -1;
}

// A corner on the item under the point, or on the last row when the point
// lies below the rows.
void TElTreeView::SetFrameCorner(bool end, int x, int y) {
  TElTreeItem* item = GetItemAtY(y);
  if (!item && FVisibleRows->Count() > 0) item = static_cast<TElTreeItem*>(FVisibleRows->Last());
  const int top = item ? RowTop(item) : 0;
  (end ? FFrameEndItem : FFrameStartItem) = item;
  (end ? FFrameEndX : FFrameStartX) = x + FOwner->FLeftPosition;
  (end ? FFrameEndDY : FFrameStartDY) = y - top;
}

bool TElTreeView::FrameCornerHitsItem(TElTreeItem* item, int dy) { return item && dy >= 0 && dy < item->GetHeight(); }

TRect TElTreeView::FrameBounds() {
  TElTreeItem* first = FVisibleRows->Count() > 0 ? ItemAt(FVisibleRows.get(), 0) : nullptr;
  auto cornerY = [&](TElTreeItem* item, int dy) {
    if (!item) return -1;
    const int top = RowTop(item);
    if (top >= 0) return top + dy;
    // Off screen: the frame reaches past the edge on the item's side.
    return first && item->AbsoluteIndex() < first->AbsoluteIndex() ? -1 : ViewHeight() + 1;
  };
  const int left = FOwner->FLeftPosition;
  const int y1 = cornerY(FFrameStartItem, FFrameStartDY), y2 = cornerY(FFrameEndItem, FFrameEndDY);
  const int x1 = FFrameStartX - left, x2 = FFrameEndX - left;
  return TRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

void TElTreeView::DrawFrame(bool show) {
  if (show == FFrameShown) return;
  if (show) FFrameDrawn = FrameBounds();
  FFrameShown = show;
  // Also reached while items are deleted by the tree's destruction: a
  // window that cannot give its context is left as it is.
  if (!HandleAllocated() || FOwner->IsDestroying()) return;
  HWND wnd = Handle();
  HDC dc = GetDC(wnd);
  if (!dc) return;
  DrawFrameOn(dc);
  ReleaseDC(wnd, dc);
}

void TElTreeView::DrawFrameOn(HDC dc) {
  SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(FOwner->FBkColor)));
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(FOwner->FTextColor)));
  DrawFocusRect(dc, &FFrameDrawn);
}

// A paint covers the frame where it paints: drawn again there (the paint's
// clip keeps it there), the frame stays whole and its next drawing erases it.
void TElTreeView::PaintFrame(TCanvas* canvas) {
  if (FFrameShown) DrawFrameOn(canvas->Handle());
}

void TElTreeView::FrameBegin(TShiftState shift) {
  if (FFrameSelecting) return;
  TCustomElTree* t = FOwner;
  if (!shift.Contains(ssCtrl)) {
    {
      TElTreeUpdateScope scope(t);
      t->DeselectAll();
    }
    t->FSelChange = false;
    t->DoAfterSelectionChange();
  }
  // A handler may have deleted rows: the corners are taken afterwards.
  SetFrameCorner(false, FPressX, FPressY);
  FFrameEndItem = FFrameStartItem;
  FFrameEndX = FFrameStartX;
  FFrameEndDY = FFrameStartDY;
  if (!FFrameStartItem) return;
  if (HandleAllocated()) SetMouseCapture(true);
  FFrameItems = std::make_unique<TElList>();
  FFrameWidths.clear();
  FFrameSelecting = true;
  DrawFrame(true);
}

void TElTreeView::FrameMoveTo(int x, int y) {
  if (!FFrameSelecting) return;
  DrawFrame(false);
  if (x >= 0 && y >= 0 && x < ViewWidth() && y < ViewHeight()) {
    SetFrameCorner(true, x, y);
    UpdateFrameSelection();
    // A handler may have ended the frame.
    if (!FFrameSelecting) return;
  } else {
    const int top = FOwner->FTopIndex, left = FOwner->FLeftPosition;
    if (y >= ViewHeight())
      SetTopIndex(top + 1);
    else if (y < 0)
      SetTopIndex(top - 1);
    if (x >= ViewWidth())
      SetLeftPosition(left + 4);
    else if (x < 0)
      SetLeftPosition(left - 4);
    if (HandleAllocated()) {
      Invalidate();
      Update();
    }
  }
  DrawFrame(true);
}

void TElTreeView::FrameWheel(int wheelDelta, int x, int y) {
  DrawFrame(false);
  MouseWheelScroll(wheelDelta);
  if (HandleAllocated()) {
    Invalidate();
    Update();
  }
  if (!FFrameSelecting) return;
  SetFrameCorner(true, x, y);
  UpdateFrameSelection();
  if (FFrameSelecting) DrawFrame(true);
}

void TElTreeView::UpdateFrameSelection() {
  TCustomElTree* t = FOwner;
  TElList* all = t->FAllItems.get();
  int lo = FFrameStartItem ? FFrameStartItem->AbsoluteIndex() : -1;
  int hi = FFrameEndItem ? FFrameEndItem->AbsoluteIndex() : -1;
  if (lo > hi) std::swap(lo, hi);
  // Both corners below the last row cover nothing.
  const bool empty = lo < 0 || (FFrameStartItem == FFrameEndItem && FFrameStartItem == FVisibleRows->Last() &&
                                !FrameCornerHitsItem(FFrameStartItem, FFrameStartDY) &&
                                !FrameCornerHitsItem(FFrameEndItem, FFrameEndDY));
  const int frameLeft = std::min(FFrameStartX, FFrameEndX);
  const int columnsWidth = t->FShowColumns && t->FHeader ? t->FHeader->SectionsWidth() : -1;

  auto next = std::make_unique<TElList>();
  for (int i = empty ? hi + 1 : lo; i <= hi; ++i) {
    TElTreeItem* item = ItemAt(all, i);
    // The filter's hidden items are never selected.
    if (t->FFilteredVisibility && item->Hidden()) {
      i += item->FDescendants;
      continue;
    }
    int width = columnsWidth;
    if (width < 0) {
      auto known = FFrameWidths.find(item);
      width = known != FFrameWidths.end() ? known->second : FFrameWidths.emplace(item, item->GetWidth()).first->second;
    }
    if (width > frameLeft) next->Add(item);
  }

  // The merge: both lists are in depth-first order, so one walk over the
  // positions they span meets each of their items in turn.
  TElList* old = FFrameItems.get();
  std::vector<TElTreeItem*> toggles;
  const int oldCount = old->Count(), nextCount = next->Count();
  int from = nextCount > 0 ? lo : all->Count(), to = nextCount > 0 ? hi : -1;
  if (oldCount > 0) {
    from = std::min(from, ItemAt(old, 0)->AbsoluteIndex());
    to = std::max(to, ItemAt(old, oldCount - 1)->AbsoluteIndex());
  }
  int j = 0, k = 0;
  for (int i = std::max(from, 0); i <= to; ++i) {
    TElTreeItem* item = ItemAt(all, i);
    const bool wasIn = j < oldCount && ItemAt(old, j) == item;
    const bool isIn = k < nextCount && ItemAt(next.get(), k) == item;
    j += wasIn;
    k += isIn;
    if (wasIn != isIn) toggles.push_back(item);
  }
  if (j != oldCount || k != nextCount) {
    // A handler moved items within the tree: compare as sets instead.
    toggles.clear();
    std::unordered_set<TElTreeItem*> before, after;
    for (int i = 0; i < oldCount; ++i) before.insert(ItemAt(old, i));
    for (int i = 0; i < nextCount; ++i) after.insert(ItemAt(next.get(), i));
    for (int i = 0; i < oldCount; ++i)
      if (!after.count(ItemAt(old, i))) toggles.push_back(ItemAt(old, i));
    for (int i = 0; i < nextCount; ++i)
      if (!before.count(ItemAt(next.get(), i))) toggles.push_back(ItemAt(next.get(), i));
  }

  if (!toggles.empty()) {
    // Handlers of the selection's events may delete items: those still to
    // come are dropped from these lists as they go.
    TScopedPointer<std::vector<TElTreeItem*>> toggling(FFrameToggling, &toggles);
    TScopedPointer<std::unique_ptr<TElList>> pending(FFrameNextItems, &next);
    TElTreeUpdateScope scope(t);
    std::vector<bool> selected(toggles.size());
    for (size_t n = 0; n < toggles.size(); ++n) selected[n] = toggles[n]->Selected();
    auto toggle = [&](size_t n, bool wasSelected) {
      TElTreeItem* item = toggles[n];
      if (FFrameSelecting && item && selected[n] == wasSelected && (t->FIgnoreEnabled || item->Enabled()))
        ToggleSelection(item);
    };
    // Deselected last first, so that each leaves the selection list from
    // its end; then selected in tree order.
    for (size_t n = toggles.size(); n-- > 0;) toggle(n, true);
    for (size_t n = 0; n < toggles.size(); ++n) toggle(n, false);
  }
  if (!FFrameSelecting) return;
  FFrameItems = std::move(next);
  if (!toggles.empty() && HandleAllocated()) {
    Invalidate();
    Update();
  }
  if (t->FSelChange) {
    t->FSelChange = false;
    t->DoAfterSelectionChange();
  }
}

void TElTreeView::FrameEnd() {
  if (!FFrameSelecting) return;
  FFrameSelecting = false;
  DrawFrame(false);
  FFrameItems.reset();
  FFrameWidths.clear();
  if (MouseCapture()) SetMouseCapture(false);
}

void TElTreeView::FrameForget(TElTreeItem* item) {
  if (FFrameToggling) std::replace(FFrameToggling->begin(), FFrameToggling->end(), item, static_cast<TElTreeItem*>(nullptr));
  if (FFrameNextItems && *FFrameNextItems) (*FFrameNextItems)->Remove(item);
  if (FFrameItems) FFrameItems->Remove(item);
  FFrameWidths.erase(item);
  if (FFrameSelecting && (item == FFrameStartItem || item == FFrameEndItem)) {
    // The gesture is over: the next move must not start another frame.
    FrameEnd();
    FButtonDown = false;
  }
}
