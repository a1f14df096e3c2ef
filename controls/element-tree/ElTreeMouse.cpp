// Mouse presses, releases and double clicks of the tree view: the selection
// decisions (clearing, ranges from the anchor, Ctrl toggles, the decision a
// press on a selected item defers to the release, right-click selection),
// expand buttons, check boxes, cell controls and edit requests. The
// decisions are operations of their own, callable without a window; the
// message handlers hit-test and route to them. Handlers run on the way may
// delete items: every item held across one is watched (TItemWatch).
#include <algorithm>
#include <optional>

#include "ElTree.hpp"
#include "ExtCtrls.hpp"
#include "Menus.hpp"

namespace {

void StopTimer(TTimer* timer) {
  if (timer) timer->SetEnabled(false);
}

bool OnRowPart(TSTItemPart part) { return part != HitIndent && part != HitNowhere; }

}  // namespace

// ---------------------------------------------------------------- watches

TElTreeView::TItemWatch::TItemWatch(TElTreeView* view, TElTreeItem* item) : FView(view), FItem(item) {
  FView->FItemWatches.push_back(&FItem);
}

TElTreeView::TItemWatch::~TItemWatch() {
  auto& watches = FView->FItemWatches;
  watches.erase(std::find(watches.begin(), watches.end(), &FItem));
}

void TElTreeView::ForgetCellControl(TElCellControl* control) {
  if (control && FActiveCellControl == control) FActiveCellControl = nullptr;
}

// ---------------------------------------------------------------- selection

void TElTreeView::FireSelectionChange() {
  TCustomElTree* t = FOwner;
  if (!t->FSelChange) return;
  t->FSelChange = false;
  t->DoAfterSelectionChange();
}

bool TElTreeView::FocusByClick(TItemWatch& watch) {
  TElTreeItem* item = watch.Item();
  if (!item || item == FFocused) return false;
  const bool moved = FOwner->SetFocusedItem(item);
  // Single selection follows the focus by itself.
  if (moved && FOwner->FMultiSelect && watch.Item() && FFocused == item) ToggleSelection(item);
  return moved;
}

void TElTreeView::ClearForClick(TItemWatch& watch, TShiftState shift, bool rangeEndsUnselected) {
  TCustomElTree* t = FOwner;
  if (!t->FMultiSelect || t->FSelMode != smUsual) return;
  if (!shift.Contains(ssCtrl) && !shift.Contains(ssShift)) {
    t->DeselectAll();
    return;
  }
  if (!shift.Contains(ssShift)) return;
  // Clearing forgets the anchor: it is kept aside and selected again.
  TItemWatch anchor(this, FSelected);
  t->DeselectAll();
  if (TElTreeItem* a = anchor.Item()) {
    a->SetSelected(true);
    if (anchor.Item()) FSelected = anchor.Item();
  }
  if (watch.Item()) t->SelectRange2(anchor.Item(), watch.Item(), false);
  // The focusing that follows toggles the item, which selects it again.
  if (rangeEndsUnselected && watch.Item() && watch.Item() != FFocused) watch.Item()->SetSelected(false);
}

void TElTreeView::SelectPressedItem(TItemWatch& watch, TShiftState shift, int selectedCount) {
  TCustomElTree* t = FOwner;
  const bool multi = t->FMultiSelect;
  const bool ctrl = shift.Contains(ssCtrl);
  const bool plain = !ctrl && !shift.Contains(ssShift);
  ClearForClick(watch, shift, true);
  TElTreeItem* item = watch.Item();
  if (!item) return;
  if (item != FFocused) {
    FocusByClick(watch);
  } else if (!item->Selected() || !t->FAlwaysKeepSelection || selectedCount > 1) {
    ToggleSelection(item);
  }
  item = watch.Item();
  if (!item || item != FFocused) return;
  if (plain || !multi) {
    if (multi) FSelected = item;
  } else if (ctrl && selectedCount <= 1 && t->FSelectedItems && t->FSelectedItems->Count() == 0) {
    // Ctrl does not leave the focused item alone unselected.
    ToggleSelection(item);
  }
}

void TElTreeView::PressSelect(TElTreeItem* pressed, TSTItemPart part, TShiftState shift) {
  TCustomElTree* t = FOwner;
  const bool multi = t->FMultiSelect;
  TItemWatch watch(this, pressed);
  {
    std::optional<TElTreeUpdateScope> scope;
    if (multi) scope.emplace(t);
    if (pressed && (OnRowPart(part) || t->FRowSelect)) {
      const int count = multi ? (t->FSelectedItems ? t->FSelectedItems->Count() : 0) : (FSelected ? 1 : 0);
      if (!multi || !pressed->Selected() || shift.Contains(ssCtrl)) {
        SelectPressedItem(watch, shift, count);
      } else {
        // A selected item: the release decides, so that a drag takes the
        // whole selection along.
        FPendingSelect = true;
        FPendingItem = pressed;
        FPendingShift = shift;
        // It stays selected until then (the focus alone moves, no toggle
        // off and on); smSimple takes it out as a Ctrl click would.
        if (t->FSelMode == smUsual)
          t->SetFocusedItem(pressed);
        else
          FocusByClick(watch);
      }
    } else if (!pressed) {
      if (!t->FAlwaysKeepFocus) t->SetFocusedItem(nullptr);
      if (multi && !t->FAlwaysKeepSelection) t->DeselectAll();
    }
  }
  FireSelectionChange();
}

void TElTreeView::ApplyPendingSelection() {
  FPendingSelect = false;
  TItemWatch watch(this, FPendingItem);
  FPendingItem = nullptr;
  if (!watch.Item() || FActiveEditor) return;
  TCustomElTree* t = FOwner;
  const bool multi = t->FMultiSelect;
  const bool plain = !FPendingShift.Contains(ssCtrl) && !FPendingShift.Contains(ssShift);
  {
    std::optional<TElTreeUpdateScope> scope;
    if (multi) scope.emplace(t);
    const bool focusedWasSelected = FFocused && FFocused->Selected();
    ClearForClick(watch, FPendingShift, false);
    TElTreeItem* item = watch.Item();
    if (item && item != FFocused) {
      FocusByClick(watch);
    } else if (item && t->FSelMode == smUsual && !item->Selected() &&
               (!focusedWasSelected || t->FAlwaysKeepSelection)) {
      ToggleSelection(item);
    }
    item = watch.Item();
    if (item && item == FFocused && multi && plain) FSelected = item;
  }
  FireSelectionChange();
}

void TElTreeView::RightPressSelect(TElTreeItem* pressed, TSTItemPart part, TShiftState shift) {
  TCustomElTree* t = FOwner;
  if (!t->FRightClickSelect) return;
  const bool multi = t->FMultiSelect;
  TItemWatch watch(this, pressed);
  {
    std::optional<TElTreeUpdateScope> scope;
    if (multi) scope.emplace(t);
    const int count = multi ? (t->FSelectedItems ? t->FSelectedItems->Count() : 0) : (FSelected ? 1 : 0);
    if (pressed && pressed->Selected()) {
      // The context of a selected item is the whole selection.
      if (pressed != FFocused) t->SetFocusedItem(pressed);
      if (TElTreeItem* item = watch.Item(); item && multi && !item->Selected()) item->SetSelected(true);
    } else if (!multi || (count < 2 && t->FSelMode == smUsual) || t->FSelMode == smSimple) {
      if (pressed && (OnRowPart(part) || t->FRowSelect)) {
        ClearForClick(watch, shift, true);
        if (TElTreeItem* item = watch.Item(); item && item != FFocused)
          FocusByClick(watch);
        else if (item && !item->Selected())
          ToggleSelection(item);
        const bool plain = !shift.Contains(ssCtrl) && !shift.Contains(ssShift);
        if (TElTreeItem* item = watch.Item(); item && item == FFocused && multi && plain) FSelected = item;
      } else if (!pressed && !t->FAlwaysKeepFocus) {
        t->SetFocusedItem(nullptr);
      }
    }
  }
  FireSelectionChange();
}

// ---------------------------------------------------------------- parts of a row

void TElTreeView::ClickCheckBox(TElTreeItem* item) {
  if (!item) return;
  TItemWatch watch(this, item);
  switch (item->CheckBoxType()) {
    case ect3SCheckBox: {
      static constexpr TElCheckBoxState kNext[] = {ecbGrayed, ecbUnchecked, ecbChecked};
      item->SetCheckBoxState(kNext[item->CheckBoxState() <= ecbGrayed ? item->CheckBoxState() : ecbUnchecked]);
      break;
    }
    case ectRadioButton: item->SetChecked(true); break;
    default: item->SetChecked(!item->Checked()); break;
  }
  if (watch.Item()) FOwner->DoItemChecked(item);
  if (watch.Item()) FOwner->DoItemChange(item, icmCheckState);
}

void TElTreeView::ToggleExpansion(TElTreeItem* item) {
  if (!item) return;
  if (item->Expanded()) {
    item->Collapse(false);
    return;
  }
  TItemWatch watch(this, item);
  item->Expand(false);
  if (watch.Item()) ScrollChildrenIntoView(item);
}

void TElTreeView::ScrollChildrenIntoView(TElTreeItem* item) {
  TCustomElTree* t = FOwner;
  if (!item || t->IsUpdating() || !item->Expanded() || !item->FullyExpanded() || !item->FullyVisible()) return;
  FillVisibleRows(t->FTopIndex);
  const int at = FVisibleRows->IndexOf(item);
  if (at < 0) return;
  const int below = item->SubTreeHeight();
  int bottom = 0;
  for (int i = 0; i <= at; ++i) bottom += static_cast<TElTreeItem*>(FVisibleRows->FastGet(i))->Height();
  // The top row moves down one row at a time, never past the item.
  int skipped = 0;
  while (skipped < at && bottom + below > ViewHeight())
    bottom -= static_cast<TElTreeItem*>(FVisibleRows->FastGet(skipped++))->Height();
  if (skipped > 0) t->SetTopIndex(t->FTopIndex + skipped);
}

TElCellControl* TElTreeView::ClickableCellControl(int x, int y, TPoint& cellPoint) {
  TElCellControl* control = CellControlAt(x, y, cellPoint);
  return control && control->Enabled() ? control : nullptr;
}

// ---------------------------------------------------------------- presses

void TElTreeView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (shift.Contains(ssDouble)) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  TCustomElTree* t = FOwner;
  t->FSelChange = false;
  TSTItemPart part = HitNowhere;
  int column = -1;
  TElTreeItem* item = GetItemAt(x, y, part, column);
  if (part == HitNowhere && (t->FShowColumns || !t->FRowSelect)) item = nullptr;
  if (PressOnItem(item, part, column, button, shift, x, y)) TCustomControl::MouseDown(button, shift, x, y);
}

bool TElTreeView::PressOnItem(TElTreeItem* pressed, TSTItemPart part, int column, TMouseButton button,
                              TShiftState shift, int x, int y) {
  TCustomElTree* t = FOwner;
  if (pressed && !pressed->Enabled() && !t->FIgnoreEnabled) return true;
  if (part == HitButton && (button == mbRight || shift.Contains(ssRight))) part = HitText;
  TItemWatch watch(this, pressed);
  if (pressed && part == HitButton) {
    TElTreeItem* focused = FFocused;
    const bool collapsing = pressed->Expanded();
    ToggleExpansion(pressed);
    // The focus moved up out of the collapsed subtree (MoveFocusOnCollapse).
    if (collapsing && FFocused != focused) t->DoAfterSelectionChange();
    return true;
  }
  if (pressed && part == HitCell && pressed->UseStyles()) {
    TPoint p;
    if (TElCellControl* control = ClickableCellControl(x, y, p)) {
      FActiveCellControl = control;
      control->TriggerMouseDown(button, shift, p.x, p.y);
      // The control goes with its item when a handler deletes it.
      if (FActiveCellControl == control && !control->PassClicks()) return true;
    }
    TElHeaderSection* section = t->FHeader ? t->FHeader->Sections()->GetSectionByIndex(column) : nullptr;
    if (section && !section->ClickSelect()) return false;
    if (!watch.Item()) return true;
  }
  if ((button == mbLeft || shift.Contains(ssLeft)) && part != HitCheckBox)
    PressSelect(watch.Item(), part, shift);
  else if (button == mbRight)
    RightPressSelect(watch.Item(), part, shift);
  return true;
}

void TElTreeView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  TSTItemPart part = HitNowhere;
  int column = -1;
  TElTreeItem* item = GetItemAt(x, y, part, column);
  if (item && !item->Enabled() && !FOwner->FIgnoreEnabled) {
    // The decision belonged to this gesture: no later release applies it.
    FPendingSelect = false;
    return;
  }
  if (item && part == HitCheckBox && item->CheckBoxActive()) ClickCheckBox(item);
  if (FPendingSelect) ApplyPendingSelection();
}

// ---------------------------------------------------------------- releases

bool TElTreeView::LeftClick(int x, int y, TShiftState shift) {
  TCustomElTree* t = FOwner;
  StopTimer(FEditTimer);
  HideLineHint();
  FButtonDown = false;
  if (FFrameSelecting) {
    FrameEnd();
    FDragStarted = false;
    return false;
  }
  TSTItemPart part = HitNowhere;
  int column = -1;
  TElTreeItem* item = GetItemAt(x, y, part, column);
  if (item && !item->Enabled() && !t->FIgnoreEnabled) return false;
  if (x == FPressX && y == FPressY && OnRowPart(part) && part != HitButton && !FDragStarted) {
    if ((part == HitText || part == HitCell) && (item == FLastClickedItem || t->FQuickEditMode) &&
        item->InplaceEditable() && t->FDoInplaceEdit && (FClickedOnce || t->FQuickEditMode) &&
        t->FDblClickMode != dcmEdit)
      RequestEdit(item, column, false);
    FClickedOnce = true;
    FLastClickedItem = item;
    FClickSection = column;
  }
  if (!item) FLastClickedItem = nullptr;
  FDragStarted = false;
  TItemWatch watch(this, item);
  if (TElFString href; item && item->IsHTML() && LinkAt(x, y, href)) t->DoLinkClick(href);
  // An OnLinkClick handler may have deleted the row's item and its control.
  if (item && !watch.Item()) {
    FActiveCellControl = nullptr;
    return true;
  }
  TPoint p;
  TElCellControl* control = ClickableCellControl(x, y, p);
  if (control) {
    const bool active = control == FActiveCellControl;
    control->TriggerMouseUp(mbLeft, shift, p.x, p.y);
    if (active && FActiveCellControl == control) control->Activate();
  }
  if (FActiveCellControl && FActiveCellControl != control) FActiveCellControl->TriggerMouseUp(mbLeft, shift, -1, -1);
  FActiveCellControl = nullptr;
  return true;
}

bool TElTreeView::RightClick(int x, int y, TShiftState shift) {
  StopTimer(FEditTimer);
  HideLineHint();
  TSTItemPart part = HitNowhere;
  int column = -1;
  TElTreeItem* item = GetItemAt(x, y, part, column);
  if (item && !item->Enabled() && !FOwner->FIgnoreEnabled) return false;
  TPoint p;
  TElCellControl* control = ClickableCellControl(x, y, p);
  if (control) {
    const bool active = control == FActiveCellControl;
    control->TriggerMouseUp(mbRight, shift, p.x, p.y);
    if (active && FActiveCellControl == control) control->Activate();
  }
  if (FActiveCellControl && FActiveCellControl != control) FActiveCellControl->TriggerMouseUp(mbRight, shift, -1, -1);
  FActiveCellControl = nullptr;
  if (!control) return true;
  TPopupMenu* menu = control->PopupMenu();
  if (menu && menu->AutoPopup()) {
    ReleaseKeptClick();
    menu->SetPopupComponent(FOwner);
    const POINT at = ClientToScreen(POINT{x, y});
    menu->Popup(at.x, at.y);
  }
  return false;
}

bool TElTreeView::LeftDoubleClick(int x, int y, TShiftState /*shift*/) {
  TCustomElTree* t = FOwner;
  StopTimer(FEditTimer);
  TSTItemPart part = HitNowhere;
  int column = -1;
  TElTreeItem* item = GetItemAt(x, y, part, column);
  if (item && !item->Enabled() && !t->FIgnoreEnabled) return false;
  TItemWatch watch(this, item);
  if (item && t->FDblClickMode == dcmEdit && t->FDoInplaceEdit && item->InplaceEditable() &&
      (part == HitText || part == HitCell) && (item == FLastClickedItem || t->FQuickEditMode)) {
    RequestEdit(item, column, true);
  } else if (item && t->FDblClickMode == dcmExpand &&
             (part == HitText || (part != HitCheckBox && t->FFullRowSelect))) {
    ToggleExpansion(item);
  }
  bool answer = part != HitButton && part != HitCheckBox;
  if (part == HitCell && watch.Item()) {
    TPoint p;
    if (TElCellControl* control = ClickableCellControl(x, y, p)) {
      control->TriggerDblClick();
      answer = false;
    }
  }
  FClickedOnce = false;
  FLastClickedItem = nullptr;
  FClickSection = -2;
  FDragStarted = true;
  return answer;
}

bool TElTreeView::RightDoubleClick(int x, int y, TShiftState /*shift*/) {
  TPoint p;
  TElCellControl* control = ClickableCellControl(x, y, p);
  if (!control) return true;
  control->TriggerDblClick();
  return false;
}

void TElTreeView::ReleaseKeptClick() {
  if (MouseCapture()) SetMouseCapture(false);
  SetControlState(ControlState() - TControlState{csClicked, csLButtonDown});
}

// ---------------------------------------------------------------- messages

bool TElTreeView::DispatchMouseButton(TMessage& m) {
  const bool designing = ComponentState().Contains(csDesigning);
  switch (m.Msg) {
    case WM_LBUTTONDOWN: {
      TWMMouse& mouse = MessageAs<TWMMouse>(m);
      StopTimer(FEditTimer);
      HideLineHint();
      FDragStarted = false;
      // A decision a kept release left behind is not this press's.
      FPendingSelect = false;
      if (!designing && CanFocus()) SetFocus();
      FPressX = mouse.XPos();
      FPressY = mouse.YPos();
      FButtonDown = true;
      TCustomControl::Dispatch(m);
      return true;
    }
    case WM_RBUTTONDOWN:
      StopTimer(FEditTimer);
      HideLineHint();
      if (FFrameSelecting) FrameEnd();
      if (!designing && (CanFocus() || !GetParentForm())) SetFocus();
      TCustomControl::Dispatch(m);
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
      TWMMouse& mouse = MessageAs<TWMMouse>(m);
      const TShiftState shift = KeysToShiftState(static_cast<Word>(mouse.Keys()));
      const int x = mouse.XPos(), y = mouse.YPos();
      bool passOn = true;
      switch (m.Msg) {
        case WM_LBUTTONUP: passOn = LeftClick(x, y, shift); break;
        case WM_RBUTTONUP: passOn = RightClick(x, y, shift); break;
        case WM_LBUTTONDBLCLK: passOn = LeftDoubleClick(x, y, shift); break;
        default: passOn = RightDoubleClick(x, y, shift); break;
      }
      if (passOn)
        TCustomControl::Dispatch(m);
      else if (m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP)
        ReleaseKeptClick();  // the tree never keeps the mouse after a release
      return true;
    }
    default: return false;
  }
}
