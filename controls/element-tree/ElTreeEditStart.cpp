// The view's in-place edit start (the request, its timer, the editor's
// cell and rectangle, the accepted value), the row hint handed to the class
// library, and the view's focus and paint messages.
#include <algorithm>

#include "ElImgFrm.hpp"
#include "ElTree.hpp"
#include "ElTreeInplace.hpp"
#include "ExtCtrls.hpp"
#include "GraphicsScoped.hpp"

// ---------------------------------------------------------------- requests

void TElTreeView::RequestEdit(TElTreeItem* item, int section, bool immediately) {
  TCustomElTree* t = FOwner;
  if (t->ComponentState().Contains(csDesigning)) return;
  if (t->FShowColumns) {
    if (section != FClickSection && !t->FQuickEditMode) return;
    TElHeaderSection* s = t->FHeader ? t->FHeader->Sections()->GetSectionByIndex(section) : nullptr;
    if (!s || !s->Editable()) return;
  }
  if (!FEditTimer) {
    FEditTimer = new TTimer(this);
    FEditTimer->OnTimer = TNotifyEvent(this, &TElTreeView::EditTimerTick);
  }
  FEditTimer->SetEnabled(false);
  FEditTimer->SetInterval(immediately ? 1u : static_cast<Cardinal>(std::max(0, t->FInplaceEditorDelay)));
  FEditPendingItem = item;
  FEditSect = t->FShowColumns ? section : -1;
  FEditTimer->SetEnabled(true);
}

// An item deleted before the tick was forgotten (nil): the request lapses.
void TElTreeView::EditTimerTick(TObject* /*sender*/) {
  if (FEditTimer) FEditTimer->SetEnabled(false);
  TElTreeItem* item = FEditPendingItem;
  FEditPendingItem = nullptr;
  if (!item || FFrameSelecting) return;
  EditItem(item, FEditSect);
}

// ---------------------------------------------------------------- editing

void TCustomElTree::EditItem(TElTreeItem* item, int sectionNum) {
  if (!FDoInplaceEdit || !FView) return;
  if (FView->FActiveEditor) {
    try {
      FView->EndEdit(true);
    } catch (const Exception&) {
      // A failing editor does not keep the next edit from starting.
    }
  }
  FView->EditItem(item, sectionNum);
}

void TCustomElTree::EndEdit(bool cancel) {
  if (FView) FView->EndEdit(cancel);
}

void TElTreeView::EditItem(TElTreeItem* item, int sectionNum) {
  if (!item) throw EElTreeError(LoadStr(SElTreeItemNotSpecified));
  TCustomElTree* t = FOwner;
  TItemWatch watch(this, item);
  if (!t->IsInView(item)) t->EnsureVisible(item);
  if (FActiveEditor) EndEdit(true);
  item = watch.Item();
  if (!item) return;
  TElHeader* header = t->FShowColumns ? t->FHeader : nullptr;
  if (header && sectionNum == -1) sectionNum = t->FMainTreeColumn;
  if (!header) sectionNum = -1;
  FEditingItem = item;
  FEditSect = sectionNum;
  TElHeaderSection* section = header ? header->Sections()->GetSectionByIndex(sectionNum) : nullptr;
  if (header && (!section || !section->Visible())) {
    FEditingItem = nullptr;
    return;
  }
  const bool mainColumn = sectionNum < 0 || sectionNum == t->FMainTreeColumn;
  TElFieldType cellType = section ? section->FieldType() : t->FMainTextType;
  if (item->UseStyles() || t->FVirtualityLevel == vlTextAndStyles)
    if (TElCellStyle* style = t->CellStyle(item, mainColumn ? t->FMainTreeColumn : sectionNum))
      cellType = style->CellType();

  bool canEdit = true;
  t->DoTryEdit(item, sectionNum, cellType, canEdit);
  item = watch.Item();
  TElTreeInplaceEditor* editor = nullptr;
  if (canEdit && item) t->DoInplaceEditorNeeded(item, sectionNum, cellType, editor);
  item = watch.Item();
  if (!canEdit || !editor || !item) {
    if (FEditingItem == item) FEditingItem = nullptr;
    return;
  }
  const TElFString text = mainColumn ? item->GetText() : t->CellText(item, sectionNum);

  // The rectangle: the row, from the text (or the column) to the column's
  // right edge, scrolled sideways into view first.
  const int width = ViewWidth();
  const bool mirrored = t->FRightAlignedTree;
  int left;
  int right;
  if (!section) {
    if (mirrored) {
      left = 0;
      right = item->FTextRight;
    } else {
      const int x = item->FTextLeft;
      if (x - t->FLeftPosition < 0 || x - t->FLeftPosition >= width) t->SetLeftPosition(x);
      left = x;
      right = t->FLeftPosition + width - 1;
    }
  } else {
    const int x = mainColumn && !mirrored ? item->FTextLeft : section->Left();
    if (x - t->FLeftPosition < 0 || x - t->FLeftPosition >= width) t->SetLeftPosition(x);
    left = x;
    right = std::min(mainColumn && mirrored ? item->FTextRight : section->Right(), t->FLeftPosition + width - 1);
  }
  TRect r = GetRowRect(FVisibleRows->IndexOf(item));
  r.left = left - t->FLeftPosition;
  r.right = right - t->FLeftPosition;

  FActiveEditor = editor;
  editor->SetTree(t);
  editor->SetCell(item, sectionNum, cellType, r);
  editor->SetValueAsText(text);
  editor->StartOperation();
}

void TElTreeView::EndEdit(bool byCancel) {
  TElTreeInplaceEditor* editor = FActiveEditor;
  if (!editor) return;
  if (editor->Editing()) editor->CompleteOperation(!byCancel);
  FActiveEditor = nullptr;
  FEditingItem = nullptr;
}

void TElTreeView::EditorClosed(bool /*accepted*/) {
  if (FActiveEditor) FActiveEditor->SetCell(nullptr, -1, sftText, TRect{});
  FActiveEditor = nullptr;
  FEditingItem = nullptr;
}

void TElTreeView::ApplyEdit(const TElFString& value) {
  TCustomElTree* t = FOwner;
  TElTreeItem* item = FEditingItem;
  if (item && t->FVirtualityLevel == vlNone) {
    if (FEditSect < 0 || FEditSect == t->FMainTreeColumn) {
      item->SetText(value);
    } else if (TElWideStrings* texts = item->ColumnText()) {
      const int index = FEditSect > t->FMainTreeColumn ? FEditSect - 1 : FEditSect;
      while (texts->GetCount() <= index) texts->Add(TElFString());
      texts->Put(index, value);
    }
  }
  if (FActiveEditor) FActiveEditor->SetCell(nullptr, -1, sftText, TRect{});
  FActiveEditor = nullptr;
}

// ---------------------------------------------------------------- hints

namespace {

// The tree's hint in UTF-16: a packed one carries its own units after the
// zero byte; a plain one is in the code page.
TElFString WideTreeHint(TCustomElTree* tree, const TElFString& own) {
  if (!own.empty()) return own;
  const std::string& hint = tree->TControl::Hint();
  const size_t zero = hint.find('\0');
  if (zero == std::string::npos) return AnsiToWide(hint);
  TElFString wide;
  for (size_t i = zero + 1; i + 1 < hint.size(); i += 2) {
    const auto unit = static_cast<WideChar>(static_cast<unsigned char>(hint[i]) |
                                            (static_cast<unsigned char>(hint[i + 1]) << 8));
    if (unit == 0) break;
    wide += unit;
  }
  return wide;
}

}  // namespace

bool TElTreeView::PrepareHint(THintInfo& info) {
  TCustomElTree* t = FOwner;
  TSTItemPart part = HitNowhere;
  int column = -1;
  TElTreeItem* item = GetItemAt(info.CursorPos.x, info.CursorPos.y, part, column);
  FShowHintItem = item;
  const TElFString itemHint = item ? item->GetHint() : TElFString();
  const TElFString treeHint = WideTreeHint(t, t->FHint);
  const TElFString treeShort = GetWideShortHint(treeHint);
  // The hint string is the item's hint, else the class library's short
  // form of the tree's; the latter cuts the shown text at its "|".
  const TElFString hintString = itemHint.empty() ? treeShort : itemHint;
  TElFString text = itemHint.empty() ? treeHint : itemHint;
  if (text.empty()) {
    info.HintStr.clear();
    return false;
  }
  if (hintString == treeShort) text = GetWideShortHint(text);
  info.HintStr = PackWideHint(text);
  return !info.HintStr.empty();
}

// ---------------------------------------------------------------- repaint

// The flagged changes reach the screen: when rows or the scroll metrics
// changed the view is repainted at once. Within an update
// (or while a paint runs) the repaint waits for the update's end.
void TElTreeView::UpdateView() {
  TCustomElTree* t = FOwner;
  if (t->IsUpdating() || FPainting) {
    FlagRepaint();
    return;
  }
  FRepaintPending = false;
  const bool invalidate = FRowsChanged || FScrollChanged;
  FRowsChanged = FScrollChanged = FHorzChanged = FSizeChanged = false;
  if (!HandleAllocated()) return;
  // The whole view at once: rows that went leave their place to the
  // background. A single row's repaint waits for the next paint message.
  if (!invalidate) return;
  Invalidate();
  Update();
}

// ---------------------------------------------------------------- messages

void TElTreeView::FocusLost() {
  // A frame selection ends as a release ends it.
  FrameEnd();
  FButtonDown = false;
  FHasFocus = false;
  FShowHintItem = nullptr;
  HideLineHint();
}

bool TElTreeView::ViewMessage(TMessage& m) {
  TCustomElTree* t = FOwner;
  const bool redrawBorder = t->FFlat || t->FUseCustomScrollBars || t->IsThemeApplied();
  switch (m.Msg) {
    case WM_PAINT: PaintMessage(m); return true;
    case WM_ERASEBKGND: m.Result = 1; return true;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(m);
      FHasFocus = true;
      if (t->FHideSelection) Invalidate();
      if (redrawBorder) t->DrawBorderOwnDC();
      return true;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(m);
      FocusLost();
      if (t->FHideSelection) Invalidate();
      if (redrawBorder) t->DrawBorderOwnDC();
      return true;
    case CM_EXIT:
    case CM_DEACTIVATE:
      TCustomControl::Dispatch(m);
      if (t->FHideSelection) Invalidate();
      return true;
    case WM_CANCELMODE:
      FrameEnd();
      TCustomControl::Dispatch(m);
      return true;
    case WM_WINDOWPOSCHANGED:
      TCustomControl::Dispatch(m);
      Perform(EL_BACKGROUND_MOVED, 0, 0);
      return true;
    case EL_BACKGROUND_MOVED:
      if (HandleAllocated()) Invalidate();
      for (int i = 0; i < ControlCount(); ++i) Controls(i)->Perform(EL_BACKGROUND_MOVED, m.WParam, m.LParam);
      m.Result = 0;
      return true;
    case WM_SYSCOLORCHANGE:
      TCustomControl::Dispatch(m);
      RecolourElTreeGlyphs();
      if (HandleAllocated()) Invalidate();
      return true;
    case CM_HINTSHOW:
      if (auto* info = reinterpret_cast<THintInfo*>(m.LParam))
        m.Result = PrepareHint(*info) ? 0 : 1;
      else
        m.Result = 1;
      return true;
    default: return false;
  }
}

// During an update nothing is drawn (the default procedure validates the
// area). A given context is painted into as it is; otherwise the rows are
// painted through a memory bitmap when DoubleBuffered, or straight onto the
// screen.
void TElTreeView::PaintMessage(TMessage& m) {
  TCustomElTree* t = FOwner;
  if (t->IsUpdating()) {
    DefaultHandler(m);
    return;
  }
  if (auto dc = reinterpret_cast<HDC>(m.WParam)) {
    PaintWindow(dc);
    m.Result = 0;
    return;
  }
  if (!HandleAllocated()) return;
  if (!t->DoubleBuffered() || t->FInSizeMove) {
    TCustomControl::Dispatch(m);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  struct EndPaintScope {
    HWND wnd;
    PAINTSTRUCT* ps;
    ~EndPaintScope() { EndPaint(wnd, ps); }
  } endPaint{Handle(), &ps};
  RECT clip;
  if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) {
    clip = ClientRect();
  } else {
    ++clip.right;
    ++clip.bottom;
  }
  const RECT client = ClientRect();
  ScopedGdiObject<HBITMAP> bitmap(
      CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
  ScopedMemoryDC memory(bitmap.Get(), dc);
  IntersectClipRect(memory.Get(), clip.left, clip.top, clip.right, clip.bottom);
  PaintWindow(memory.Get());
  BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, memory.Get(), clip.left, clip.top,
         SRCCOPY);
  m.Result = 0;
}
