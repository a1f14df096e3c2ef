#include "ControlsDrag.hpp"

TCursor TDragObject::GetDragCursor(bool accepted, int, int) { return accepted ? crDrag : crNoDrop; }

void TDragObject::Finished(TObject*, int, int, bool) {}
