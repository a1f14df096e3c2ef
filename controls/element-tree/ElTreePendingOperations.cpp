// Operations of the tree and its view whose work belongs to the control's
// window, header, painting, input, drag and sorting code, which are written
// apart. Until then each keeps the tree consistent and answers neutrally: a
// query answers "nothing there", a command changes nothing, and the work an
// item asks for stays flagged for the end of the update.
#include "ElTree.hpp"

// ---------------------------------------------------------------- the frame

void TCustomElTree::DoDragDrop(TObject* /*sender*/, TObject* /*source*/, int /*x*/, int /*y*/) {}
void TCustomElTree::DoDragOver(TObject* /*sender*/, TObject* /*source*/, int /*x*/, int /*y*/, TDragState /*state*/,
                               bool& /*accept*/) {}
void TCustomElTree::DoEndDrag(TObject* /*sender*/, TObject* /*target*/, int /*x*/, int /*y*/) {}
void TCustomElTree::DoStartDrag(TObject* /*sender*/, TDragObject*& /*dragObject*/) {}
void TElTreeView::DragOverItem(TDragObject* /*source*/, int /*x*/, int /*y*/, bool& /*accept*/) {}
bool TElTreeView::DragScrollStep(TDragObject* /*source*/, int /*x*/, int /*y*/) { return false; }
