// The tree's answers to its header's events: column resizes, clicks,
// moves, sections coming and going, expansion, automatic sizing, the
// filter button and the lookup box, and the header's own size and mouse.
#include <algorithm>

#include "ElTree.hpp"

void TCustomElTree::WireHeader() {
  if (!FHeader) return;
  FHeader->OnSectionResize = TElSectionEvent(this, &TCustomElTree::HeaderSectionResized);
  FHeader->OnSectionClick = TElSectionEvent(this, &TCustomElTree::HeaderSectionClicked);
  FHeader->OnSectionShowHide = TElSectionEvent(this, &TCustomElTree::HeaderSectionShownOrHidden);
  FHeader->OnSectionChange = TElSectionChangeEvent(this, &TCustomElTree::HeaderSectionChange);
  FHeader->OnSectionMove = TElSectionMoveEvent(this, &TCustomElTree::HeaderSectionMoved);
  FHeader->OnSectionCreate = TElSectionEvent(this, &TCustomElTree::HeaderSectionCreated);
  FHeader->OnSectionDelete = TElSectionEvent(this, &TCustomElTree::HeaderSectionDeleted);
  FHeader->OnSectionExpand = TElSectionEvent(this, &TCustomElTree::HeaderSectionExpanded);
  FHeader->OnSectionCollapse = TElSectionEvent(this, &TCustomElTree::HeaderSectionCollapsed);
  FHeader->OnSectionAutoSize = TElSectionEvent(this, &TCustomElTree::HeaderSectionAutoSizeAsked);
  FHeader->OnFilterCall = TElSectionEvent(this, &TCustomElTree::HeaderFilterCalled);
  FHeader->OnHeaderLookup = TElHeaderLookupEvent(this, &TCustomElTree::HeaderLookup);
  FHeader->OnHeaderLookupDone = TElHeaderLookupDoneEvent(this, &TCustomElTree::HeaderLookupDone);
  FHeader->OnSectionDraw = TElSectionRedrawEvent(this, &TCustomElTree::DoHeaderColumnDraw);
  FHeader->OnMeasureSection = TMeasureSectionEvent(this, &TCustomElTree::DoHeaderSectionMeasure);
  FHeader->OnHTMLImageNeeded = TElHTMLImageNeededEvent(this, &TCustomElTree::DoHTMLImageNeeded);
  FHeader->OnResize = TNotifyEvent(this, &TCustomElTree::HeaderResized);
  FHeader->OnMouseDown = TMouseEvent(this, &TCustomElTree::HeaderMouseDown);
}

// The rows are measured again and repainted at the end of an update.
void TCustomElTree::RemeasureAndRepaint() {
  TElTreeUpdateScope scope(this);
  if (FView) {
    FView->FlagFull();
    FView->FlagRepaint();
  }
  FlagRemeasure();
}

void TCustomElTree::HeaderSectionResized(TObject* /*sender*/, TElHeaderSection* section) {
  DoHeaderColumnResize(section->Index());
  RemeasureAndRepaint();
}

void TCustomElTree::HeaderSectionClicked(TObject* /*sender*/, TElHeaderSection* section) {
  if (!section) return;
  if (FSortMode == smClick || FSortMode == smAddClick) SortBySectionClick(section, CtrlKeyDown());
  DoHeaderColumnClick(section->Index());
}

void TCustomElTree::HeaderSectionShownOrHidden(TObject* /*sender*/, TElHeaderSection* /*section*/) {
  TElTreeUpdateScope scope(this);
  FlagColumnWidths();
  if (FView && FHeader && FHeader->SectionsWidth() < FView->ViewWidth()) {
    FHeader->Invalidate();
    SetLeftPosition(0);
  }
}

void TCustomElTree::HeaderSectionChange(TObject* sender, TElHeaderSection* section, TSectionChangeMode change) {
  HeaderSectionChanged(sender, section, static_cast<int>(change));
}

void TCustomElTree::HeaderSectionChanged(TObject* /*sender*/, TElHeaderSection* section, int change) {
  if (!section || !section->Visible() || !FView) return;
  // A new text alignment or field type (3), an owner-drawn style while the
  // owner draws by column (4), another password state (6).
  if (change == 3 || (change == 4 && FOwnerDrawByColumn) || change == 6) FView->Invalidate();
}

void TCustomElTree::HeaderSectionMoved(TObject* /*sender*/, TElHeaderSection* section, int oldPos, int newPos) {
  if (FView) FView->Invalidate();
  DoHeaderColumnMove(section, oldPos, newPos);
}

void TCustomElTree::HeaderSectionCreated(TObject* /*sender*/, TElHeaderSection* /*section*/) { RequestLayout(); }

void TCustomElTree::HeaderSectionDeleted(TObject* /*sender*/, TElHeaderSection* section) {
  TElTreeUpdateScope scope(this);
  // The section still counts while its deletion is reported.
  const int remaining = std::max(0, HeaderSectionCount() - 1);
  if (remaining == 0) FShowColumns = false;
  RequestLayout();
  if (FSortSection >= remaining) FSortSection = -1;
  if (FSortSections) FSortSections->Remove(section);
  if (FSortMode == smClick || FSortMode == smAddClick) FResortPending = true;
}

void TCustomElTree::HeaderSectionExpanded(TObject* /*sender*/, TElHeaderSection* section) {
  DoHeaderSectionExpand(section);
  if (FView) FView->Invalidate();
}

void TCustomElTree::HeaderSectionCollapsed(TObject* /*sender*/, TElHeaderSection* section) {
  DoHeaderSectionCollapse(section);
  if (FView) FView->Invalidate();
}

void TCustomElTree::HeaderSectionAutoSizeAsked(TObject* sender, TElHeaderSection* section) {
  if (FAutoResizeColumns) {
    if (section->AutoSize())
      AutoSizeColumn(section);
    else
      section->SetWidth(WidestCell(section->Index()));
    HeaderSectionResized(sender, section);
  } else if (section->AutoSize()) {
    AutoSizeColumn(section);
  } else {
    OnHeaderSectionAutoSize(this, section->Index());
  }
}

void TCustomElTree::HeaderFilterCalled(TObject* /*sender*/, TElHeaderSection* section) {
  OnHeaderSectionFilterCall(this, section->Index());
}

void TCustomElTree::HeaderLookup(TObject* /*sender*/, TElHeaderSection* section, AnsiString& text) {
  DoHeaderLookup(section, text);
  if (!FAutoLookup) return;
  const AnsiString wanted = AnsiUpperCase(text);
  for (int i = 0; i < FAllItems->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(FAllItems->FastGet(i));
    if (AnsiUpperCase(WideToAnsi(CellText(item, section->Index()))) != wanted) continue;
    SetFocusedItem(item);
    EnsureVisible(item);
    return;
  }
}

void TCustomElTree::HeaderLookupDone(TObject* /*sender*/, TElHeaderSection* section, const AnsiString& text,
                                     bool accepted) {
  DoHeaderLookupDone(section, text, accepted);
}

void TCustomElTree::HeaderResized(TObject* /*sender*/) {
  if (FHeader->Height() != FHeaderHeight) RequestLayout();
  if (FHeader->LeftOffset() != FLeftPosition) FHeader->SetLeftOffset(FLeftPosition);
  OnHeaderResize(this);
}

void TCustomElTree::HeaderMouseDown(TObject* /*sender*/, TMouseButton button, TShiftState shift, int x, int y) {
  if (FView && FView->FActiveEditor) FView->EndEdit(true);
  OnHeaderMouseDown(this, button, shift, x, y);
}

// The parts are placed again at the end of the update, with the bars.
void TCustomElTree::RequestLayout() {
  TElTreeUpdateScope scope(this);
  if (FView) FView->FSizeChanged = true;
  FlagUpdate();
}
