// Drag and drop in the tree: the view starts a drag of the selection through
// the class library's loop or through OLE, and as a target it tracks the
// item under the cursor, scrolls near its top and bottom edges and expands
// a collapsed target after a delay. The tree re-fires the view's drag events
// in its own coordinates, with the tree as the source.
#include <algorithm>

#include "ElTree.hpp"
#include "ElTreeUnit.hpp"
#include "ExtCtrls.hpp"

namespace {

// The interval of the first scroll after the cursor reached an edge.
constexpr Cardinal kFirstDragScrollMs = 1000;

// The view and the tree's drag objects stand for the tree.
TObject* AsTree(TObject* object) {
  if (auto* view = dynamic_cast<TElTreeView*>(object)) return view->Tree();
  if (auto* own = dynamic_cast<TElTreeDragObject*>(object); own && own->Control()) return own->Control();
  return object;
}

}  // namespace

// ---------------------------------------------------------------- drag object

TCursor TElTreeDragObject::GetDragCursor(bool accepted, int x, int y) {
  if (!dynamic_cast<TCustomElTree*>(Control())) return TDragControlObject::GetDragCursor(accepted, x, y);
  if (!accepted) return crElTreeNoDrop;
  return GetKeyState(VK_CONTROL) < 0 ? crElTreeCopy : crElTreeMove;
}

void TElTreeDragObject::Finished(TObject* target, int x, int y, bool accepted) {
  struct Free {
    TElTreeDragObject* self;
    ~Free() { delete self; }
  } free{this};
  TDragControlObject::Finished(target, x, y, accepted);
}

DWORD DragTypesToDropEffects(TDragTypes types) {
  DWORD effects = 0;
  if (types.Contains(dtCopy)) effects |= DROPEFFECT_COPY;
  if (types.Contains(dtMove)) effects |= DROPEFFECT_MOVE;
  if (types.Contains(dtLink)) effects |= DROPEFFECT_LINK;
  return effects;
}

TDragType DropEffectToDragType(DWORD effect) {
  if (effect & DROPEFFECT_MOVE) return dtMove;
  if (effect & DROPEFFECT_LINK) return dtLink;
  if (effect & DROPEFFECT_COPY) return dtCopy;
  return dtNone;
}

// ---------------------------------------------------------------- the view as source

void TElTreeView::StartDrag() {
  if (FEditTimer) FEditTimer->SetEnabled(false);
  SetDropTarget(nullptr);
  FDragStarted = true;
  // The press became a drag: a selection the release was to decide stays as
  // it is, and the release (taken by the drag) never comes here.
  FPendingSelect = false;
  FPendingItem = nullptr;
  FButtonDown = false;
  if (FOwner->FDragType == dtOLE) StartOleDrag();
  else BeginDrag(true);
}

void TElTreeView::StartOleDrag() {
  TComPtr<IDataObject> data;
  TComPtr<IDropSource> source;
  TDragTypes allowed;
  FOwner->DoOleDragStart(data, source, allowed);
  FButtonDown = false;
  if (!data || !source) return;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result = ::DoDragDrop(data.Get(), source.Get(), DragTypesToDropEffects(allowed), &effect);
  // OLE's loop took the release: nothing of the press is left.
  FButtonDown = false;
  SetControlState(ControlState() - TControlState{csLButtonDown, csClicked});
  if (MouseCapture()) SetMouseCapture(false);
  FOwner->DoOleDragFinish(DropEffectToDragType(effect), result);
}

void TElTreeView::DoStartDrag(TDragObject*& dragObject) {
  SetDragCursor(FOwner->DragCursor());
  SetDropTarget(nullptr);
  const bool selected = FOwner->FMultiSelect ? FOwner->FSelectedItems && FOwner->FSelectedItems->Count() > 0
                                             : FSelected != nullptr;
  if (selected) BuildDragImages();
  if (FDragImages && FDragImages->Count() > 0) {
    int left = 0;
    if (FOwner->FShowColumns && FHeader)
      if (TElHeaderSection* main = FHeader->Sections()->GetSectionByIndex(FOwner->FMainTreeColumn)) left = main->Left();
    FDragImages->SetDragImage(0, FPressX + FOwner->FLeftPosition - left, FPressY - FDragImageTop);
  }
  TCustomControl::DoStartDrag(dragObject);
}

TDragImageList* TElTreeView::GetDragImages() {
  return FDragImages && FDragImages->Count() > 0 ? FDragImages : nullptr;
}

void TElTreeView::DoEndDrag(TObject* target, int x, int y) {
  struct Cleanup {
    TElTreeView* view;
    ~Cleanup() {
      if (view->FDragImages) {
        view->FDragImages->Free();
        view->FDragImages = nullptr;
      }
      view->SetDropTarget(nullptr);
    }
  } cleanup{this};
  TCustomControl::DoEndDrag(target, x, y);
}

// ---------------------------------------------------------------- the view as target

void TElTreeView::HideDragImage() {
  if (FDragImageHolder) FDragImageHolder->HideDragImage();
}

void TElTreeView::ShowDragImage() {
  if (FDragImageHolder) FDragImageHolder->ShowDragImage();
}

void TElTreeView::SetDropTarget(TElTreeItem* item) {
  if (FDropTrg == item) return;
  InvalidateItem(FDropTrg, -1);
  FDropTrg = item;
  InvalidateItem(FDropTrg, -1);
}

void TElTreeView::FreeDragTimer(TTimer*& timer) {
  if (!timer) return;
  timer->Free();
  timer = nullptr;
}

int TElTreeView::DragScrollDirection(int y) {
  const int rows = FVisibleRows->Count();
  if (rows == 0) return 0;
  auto height = [this](int row) { return static_cast<TElTreeItem*>(FVisibleRows->FastGet(row))->Height(); };
  if (FOwner->FTopIndex > 0 && y < height(0)) return -1;
  // Down only while a row remains below the view.
  if (FOwner->FTopIndex < LastTopRow() && y >= ViewHeight() - height(rows - 1)) return 1;
  return 0;
}

void TElTreeView::ScrollByDrag(int direction) {
  HideDragImage();
  struct Show {
    TElTreeView* view;
    ~Show() { view->ShowDragImage(); }
  } show{this};
  SetTopIndex(FOwner->FTopIndex + direction);
  if (HandleAllocated()) Update();
}

void TElTreeView::ExpandDropTarget() {
  TElTreeItem* item = FDropTrg;
  if (!item || item->Expanded() || !item->HasChildren()) return;
  HideDragImage();
  struct Show {
    TElTreeView* view;
    ~Show() { view->ShowDragImage(); }
  } show{this};
  item->Expand(false);
  if (HandleAllocated()) {
    Invalidate();
    Update();
  }
}

void TElTreeView::DragOverItem(TDragObject* /*source*/, int x, int y, bool& accept) {
  if (FHintItem || FHintTimer) HideLineHint();
  if (DragScrollDirection(y) != 0) {
    if (!FDragScrollTimer) {
      FDragScrollTimer = new TTimer(this);
      FDragScrollTimer->SetEnabled(false);
      FDragScrollTimer->OnTimer = TNotifyEvent(this, &TElTreeView::DragScrollTick);
    }
    if (!FDragScrollTimer->Enabled()) {
      FDragScrollTimer->SetInterval(kFirstDragScrollMs);
      FDragScrollTimer->SetEnabled(true);
    }
  }
  const bool acceptChanged = FDropAcc != accept;
  FDropAcc = accept;
  TElTreeItem* item = GetItemAtY(y);
  if (item && !item->Enabled() && !FOwner->FIgnoreEnabled) item = nullptr;
  if (item == FDropTrg && !FOwner->OnDragTargetChange) {
    // The mark's colour says whether the drop is accepted.
    if (acceptChanged) InvalidateItem(item, -1);
    return;
  }
  HideDragImage();
  struct Show {
    TElTreeView* view;
    ~Show() { view->ShowDragImage(); }
  } show{this};
  TElTreeItem* old = FDropTrg;
  InvalidateItem(old, -1);
  FDropTrg = item;
  if (FOwner->OnDragTargetChange) {
    TRect r{0, 0, 0, 0};
    if (item) FOwner->GetItemRect(FVisibleRows->IndexOf(item), r);
    FOwner->OnDragTargetChange(FOwner, item, r, x, y + Top());
  }
  // The handler may have deleted the item: the view forgot it then.
  item = FDropTrg;
  if (item && item != old && FOwner->FExpandOnDragOver) {
    if (FOwner->FDragExpandDelay == 0) {
      ExpandDropTarget();
    } else {
      if (!FDragExpandTimer) {
        FDragExpandTimer = new TTimer(this);
        FDragExpandTimer->OnTimer = TNotifyEvent(this, &TElTreeView::DragExpandTick);
      }
      FDragExpandTimer->SetEnabled(false);
      FDragExpandTimer->SetInterval(static_cast<Cardinal>(std::max(FOwner->FDragExpandDelay, 1)));
      FDragExpandTimer->SetEnabled(true);
    }
  }
  InvalidateItem(FDropTrg, -1);
  if (HandleAllocated()) Update();
}

bool TElTreeView::DragScrollStep(TDragObject* /*source*/, int /*x*/, int y) {
  HideDragImage();
  struct Show {
    TElTreeView* view;
    ~Show() { view->ShowDragImage(); }
  } show{this};
  const int h = FOwner->FLineHeight / 2;
  int direction = 0;
  if (y < h && FOwner->FTopIndex > 0) direction = -1;
  else if (y > ViewHeight() - h && FOwner->FTopIndex < LastTopRow()) direction = 1;
  if (direction == 0) return false;
  SetTopIndex(FOwner->FTopIndex + direction);
  if (HandleAllocated()) Update();
  return true;
}

void TElTreeView::DragScrollTick(TObject* /*sender*/) {
  if (!FDragScrollTimer) return;
  FDragScrollTimer->SetEnabled(false);
  FDragScrollTimer->SetInterval(static_cast<Cardinal>(std::max(FOwner->FDragScrollInterval, 1)));
  if (FVisibleRows->Count() == 0 || !HandleAllocated()) return;
  POINT p{};
  GetCursorPos(&p);
  p = ScreenToClient(p);
  const int direction = DragScrollDirection(p.y);
  if (direction == 0) return;
  ScrollByDrag(direction);
  // The scroll may have ended the drag (a handler, a freed timer).
  if (FDragScrollTimer) FDragScrollTimer->SetEnabled(true);
}

void TElTreeView::DragExpandTick(TObject* /*sender*/) {
  if (!FDragExpandTimer) return;
  FDragExpandTimer->SetEnabled(false);
  ExpandDropTarget();
}

void TElTreeView::DragMessage(TMessage& m) {
  TCustomControl::Dispatch(m);
  auto& drag = MessageAs<TCMDrag>(m);
  TDragRec* rec = drag.DragRec();
  if (!rec) return;
  switch (drag.DragMessage()) {
    case dmDragEnter:
      FDragEntered = true;
      FDragImageHolder = rec->Source ? rec->Source->GetDragImages() : nullptr;
      break;
    case dmDragLeave:
      FDragEntered = false;
      if (FDragExpandTimer) FDragExpandTimer->SetEnabled(false);
      if (FOwner->FDragAllowed) {
        FreeDragTimer(FDragScrollTimer);
        HideDragImage();
        SetDropTarget(nullptr);
        if (HandleAllocated()) Update();
        ShowDragImage();
      }
      FDragImageHolder = nullptr;
      break;
    case dmDragMove: {
      if (!FOwner->FDragAllowed) break;
      bool accepted = m.Result != 0;
      const POINT p = ScreenToClient(rec->Pos);
      DragOverItem(rec->Source, p.x, p.y, accepted);
      break;
    }
    case dmDragDrop:
    case dmDragCancel:
      FDragEntered = false;
      FDragImageHolder = nullptr;
      FreeDragTimer(FDragExpandTimer);
      if (FOwner->FDragAllowed) {
        FreeDragTimer(FDragScrollTimer);
        SetDropTarget(nullptr);
      }
      break;
    default: break;
  }
}

void TElTreeView::OleDragOver(TDragState state, TDragObject* source, int x, int y, bool accepted) {
  if (state == dsDragLeave) {
    OleDragEnded();
    return;
  }
  FDragEntered = true;
  DragOverItem(source, x, y, accepted);
}

void TElTreeView::OleDragEnded() {
  FDragEntered = false;
  FreeDragTimer(FDragExpandTimer);
  FreeDragTimer(FDragScrollTimer);
  SetDropTarget(nullptr);
  if (HandleAllocated()) Update();
}

// ---------------------------------------------------------------- the tree

void TCustomElTree::WireViewDrag() {
  FView->OnStartDrag = TStartDragEvent(this, &TCustomElTree::DoStartDrag);
  FView->OnDragOver = TDragOverEvent(this, &TCustomElTree::DoDragOver);
  FView->OnDragDrop = TDragDropEvent(this, &TCustomElTree::DoDragDrop);
  FView->OnEndDrag = TEndDragEvent(this, &TCustomElTree::DoEndDrag);
}

void TCustomElTree::DoStartDrag(TObject* /*sender*/, TDragObject*& dragObject) {
  OnStartDrag(this, dragObject);
  if (!dragObject) dragObject = new TElTreeDragObject(this);
}

void TCustomElTree::DoDragOver(TObject* /*sender*/, TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = false;
  OnDragOver(this, AsTree(source), x + FView->Left(), y + FView->Top(), state, accept);
}

void TCustomElTree::DoDragDrop(TObject* /*sender*/, TObject* source, int x, int y) {
  OnDragDrop(this, AsTree(source), x + FView->Left(), y + FView->Top());
}

void TCustomElTree::DoEndDrag(TObject* /*sender*/, TObject* target, int x, int y) {
  OnViewEndDrag(this, target, x, y);
}

void TCustomElTree::DoEndDrag(TObject* target, int x, int y) {
  // A drop on a tree's view is reported as one on the tree.
  if (auto* view = dynamic_cast<TElTreeView*>(target)) {
    target = view->Tree();
    x += view->Left();
    y += view->Top();
  }
  TElXPThemedControl::DoEndDrag(target, x, y);
  if (FView) FView->DoEndDrag(target, x, y);
}

TDragImageList* TCustomElTree::GetDragImages() { return FView ? FView->GetDragImages() : nullptr; }

void TCustomElTree::SetDragType(TElDragType value) {
  if (FDragType == value) return;
  FDragType = value;
  ApplyDragType();
}

void TCustomElTree::ApplyDragType() {
  if (FDragType == dtNative) {
    if (FDropTarget) {
      TElDropTarget* target = FDropTarget;
      FDropTarget = nullptr;
      target->Free();
    }
    return;
  }
  if (FDropTarget || !FView || IsLoading() || IsDestroying()) return;
  FDropTarget = new TElDropTarget(this);
  FDropTarget->OnTargetDrag = TTargetDragEvent(this, &TCustomElTree::OleTargetDrag);
  FDropTarget->OnTargetDrop = TTargetDropEvent(this, &TCustomElTree::OleTargetDrop);
  FDropTarget->SetTarget(FView);
}

void TCustomElTree::OleTargetDrag(TObject* /*sender*/, TDragState state, TOleDragObject* source, TShiftState shift,
                                  int x, int y, TDragType& dragType) {
  if (state == dsDragLeave) {
    // The leave's point is (-1, -1): nothing to convert or track.
    FView->OleDragEnded();
    DoOleTargetDrag(state, source, shift, x, y, dragType);
    return;
  }
  DoOleTargetDrag(state, source, shift, x + FView->Left(), y + FView->Top(), dragType);
  FView->OleDragOver(state, source, x, y, dragType < dtNone);
}

void TCustomElTree::OleTargetDrop(TObject* /*sender*/, TOleDragObject* source, TShiftState shift, int x, int y,
                                  TDragType& dragType) {
  FView->OleDragEnded();
  DoOleTargetDrop(source, shift, x + FView->Left(), y + FView->Top(), dragType);
}
