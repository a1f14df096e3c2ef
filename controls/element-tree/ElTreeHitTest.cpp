// Hit testing of the view: the row under a point from the rows' heights and
// the part of it from the spans the last paint recorded, so that what is hit
// is what was drawn (mirrored trees included, their spans being mirrored).
#include "ElTree.hpp"

TElTreeItem* TElTreeView::GetItemAt(int x, int y, TSTItemPart& itemPart, int& hitColumn) {
  itemPart = HitNowhere;
  hitColumn = -1;
  TElTreeItem* item = GetItemAtY(y);
  if (!item) return nullptr;
  TCustomElTree* t = FOwner;
  const int treeX = x + t->FLeftPosition;
  if (TElHeader* header = t->FShowColumns ? t->FHeader : nullptr) {
    TElHeaderSections* sections = header->Sections();
    // A fixed section lies over the scrolled ones, in view coordinates.
    TElHeaderSection* hit = header->LeftFixedSection();
    if (hit && !(hit->Visible() && x >= hit->Left() && x < hit->Right())) hit = nullptr;
    for (int i = 0; i < sections->Count() && !hit; ++i) {
      TElHeaderSection* section = (*sections)[i];
      if (section && section->Visible() && treeX >= section->Left() && treeX < section->Right()) hit = section;
    }
    if (!hit) return item;
    if (hit->Index() != t->FMainTreeColumn) {
      itemPart = HitCell;
      hitColumn = hit->Index();
      return item;
    }
  }
  hitColumn = t->FMainTreeColumn;
  if (treeX >= item->TextLeft() && treeX < item->TextRight()) {
    itemPart = HitText;
    return item;
  }
  itemPart = HitIndent;  // in the main cell, on none of its parts or on a suppressed button
  for (TSTItemPart part : {HitImage, HitImage2, HitCheckBox, HitButton})
    if (item->PartSpan(part).Contains(treeX)) {
      itemPart = part;
      break;
    }
  return item;
}
