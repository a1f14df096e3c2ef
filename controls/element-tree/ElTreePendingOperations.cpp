// Operations of the tree and its view whose work belongs to the control's
// window, header, painting, input, drag and sorting code, which are written
// apart. Until then each keeps the tree consistent and answers neutrally: a
// query answers "nothing there", a command changes nothing, and the work an
// item asks for stays flagged for the end of the update.
#include "ElTree.hpp"

// ---------------------------------------------------------------- the frame

void TCustomElTree::EnsureVisible(TElTreeItem* /*item*/) {}
void TCustomElTree::EnsureVisibleBottom(TElTreeItem* /*item*/) {}
void TCustomElTree::SortItemChildren(TElTreeItem* /*item*/, bool /*recursive*/) {}
void TCustomElTree::MakeTextSortKey(TElTreeItem* /*item*/, int /*section*/, TSortTypes /*sortType*/) {}

void TCustomElTree::FontChanged(TObject* /*sender*/) {}
void TCustomElTree::DoDragDrop(TObject* /*sender*/, TObject* /*source*/, int /*x*/, int /*y*/) {}
void TCustomElTree::DoDragOver(TObject* /*sender*/, TObject* /*source*/, int /*x*/, int /*y*/, TDragState /*state*/,
                               bool& /*accept*/) {}
void TCustomElTree::DoEndDrag(TObject* /*sender*/, TObject* /*target*/, int /*x*/, int /*y*/) {}
void TCustomElTree::DoStartDrag(TObject* /*sender*/, TDragObject*& /*dragObject*/) {}
int TCustomElTree::CompareItems(TElTreeItem* /*item1*/, TElTreeItem* /*item2*/, TSortTypes /*sortType*/,
                                int /*direction*/) {
  return 0;
}
void TCustomElTree::SetDoInplaceEdit(bool value) { FDoInplaceEdit = value; }
void TCustomElTree::SetShowColumns(bool value) {
  if (value && HeaderSectionCount() == 0 && !IsLoading()) return;
  FShowColumns = value;
}
int TCustomElTree::DefineLineHeight() { return FLineHeight; }
TElHeader* TCustomElTree::CreateHeader() { return nullptr; }
void TCustomElTree::SetHeaderColor(TColor /*value*/) {}
TColor TCustomElTree::GetHeaderColor() { return clBtnFace; }
void TCustomElTree::HeaderSectionChanged(TObject* /*sender*/, TElHeaderSection* /*section*/, int /*change*/) {}
void TCustomElTree::HeaderSectionMoved(TObject* /*sender*/, TElHeaderSection* /*section*/, int /*oldPos*/,
                                       int /*newPos*/) {}
void TCustomElTree::HeaderSectionCreated(TObject* /*sender*/, TElHeaderSection* /*section*/) {}
TElTreeItem* TCustomElTree::GetTopItem() { return nullptr; }
void TCustomElTree::SetTopItem(TElTreeItem* /*item*/) {}
void TCustomElTree::DoInplaceEditorNeeded(TElTreeItem* /*item*/, int /*sectionIndex*/,
                                          TElFieldType /*supposedFieldType*/, TElTreeInplaceEditor*& editor) {
  editor = nullptr;
}
void TCustomElTree::FullCollapse() {}
void TCustomElTree::FullExpand() {}
void TCustomElTree::GetItemRect(int /*rowIndex*/, TRect& r) { r = TRect{0, 0, 0, 0}; }
TElTreeItem* TCustomElTree::GetItemAtY(int /*y*/) { return nullptr; }
TElTreeItem* TCustomElTree::GetItemAt(int /*x*/, int /*y*/, TSTItemPart& itemPart, int& hitColumn) {
  itemPart = HitNowhere;
  hitColumn = -1;
  return nullptr;
}
void TCustomElTree::MeasureCell(TElTreeItem* /*item*/, int /*columnNum*/, TPoint& size) {
  size = TPoint{0, FLineHeight};
}
TElTreeItem* TCustomElTree::GetNextSelected(TElTreeItem* /*prev*/) { return nullptr; }
void TCustomElTree::AllSelected(TElList* /*selectedItems*/) {}
void TCustomElTree::SelectAll() {}
void TCustomElTree::InvertSelection() {}
void TCustomElTree::SelectAllEx(bool /*includeHidden*/) {}
void TCustomElTree::InvertSelectionEx(bool /*includeHidden*/) {}
void TCustomElTree::DeselectAll() {}
void TCustomElTree::DeselectAllEx(bool /*includeHidden*/) {}
void TCustomElTree::SelectRange(TElTreeItem* /*fromItem*/, TElTreeItem* /*toItem*/) {}
void TCustomElTree::SelectRangeEx(TElTreeItem* /*fromItem*/, TElTreeItem* /*toItem*/, bool /*includeHidden*/) {}
void TCustomElTree::SelectRange2(TElTreeItem* /*fromItem*/, TElTreeItem* /*toItem*/, bool /*selectDisabled*/) {}
void TCustomElTree::SelectRangeEx2(TElTreeItem* /*fromItem*/, TElTreeItem* /*toItem*/, bool /*selectDisabled*/,
                                   bool /*includeHidden*/) {}
void TCustomElTree::Sort(bool /*recursive*/) {}
void TCustomElTree::SaveToStorage() {}
void TCustomElTree::RestoreFromStorage() {}
void TCustomElTree::EditItem(TElTreeItem* /*item*/, int /*sectionNum*/) {}
bool TCustomElTree::IsInView(TElTreeItem* /*item*/) { return false; }

// ---------------------------------------------------------------- the view

int TElTreeView::RowsThatFit() { return 0; }
void TElTreeView::EditItem(TElTreeItem* /*item*/, int /*sectionNum*/) {}
void TElTreeView::EndEdit(bool /*byCancel*/) { FActiveEditor = nullptr; }
void TElTreeView::EditorClosed(bool /*accepted*/) { FActiveEditor = nullptr; }
void TElTreeView::ApplyEdit(const TElFString& /*value*/) {}
void TElTreeView::DragOverItem(TDragObject* /*source*/, int /*x*/, int /*y*/, bool& /*accept*/) {}
bool TElTreeView::DragScrollStep(TDragObject* /*source*/, int /*x*/, int /*y*/) { return false; }
TRect TElTreeView::GetRowRect(int /*rowIndex*/) { return TRect{0, 0, 0, 0}; }
TElTreeItem* TElTreeView::GetItemAtY(int /*y*/) { return nullptr; }
TElTreeItem* TElTreeView::GetItemAt(int /*x*/, int /*y*/, TSTItemPart& itemPart, int& hitColumn) {
  itemPart = HitNowhere;
  hitColumn = -1;
  return nullptr;
}
int TElTreeView::FullRowsThatFit(int& remainder) {
  remainder = 0;
  return 0;
}
TElTreeItem* TElTreeView::GetNextItem(Word /*key*/, int& row, bool& wasSelected) {
  row = -1;
  wasSelected = false;
  return nullptr;
}
void TElTreeView::RequestEdit(TElTreeItem* /*item*/, int /*section*/, bool /*immediately*/) {}
void TElTreeView::InvalidateItem(TElTreeItem* /*item*/, int /*sectionIndex*/) {}
void TElTreeView::UpdateView() { FRepaintPending = false; }
