// The tree frame: construction of the parts the items need, the update
// counter with the end-of-update work, the focus and selection anchor, the
// tree-wide item counters and the operations that fire the tree's events.
#include "ElTree.hpp"

#include <exception>

#include "ElHook.hpp"
#include "ElImgFrm.hpp"
#include "ElTreeInplace.hpp"
#include "ExtCtrls.hpp"

// ---------------------------------------------------------------- update scope

TElTreeUpdateScope::TElTreeUpdateScope(TCustomElTree* tree)
    : tree_(tree), exceptions_(std::uncaught_exceptions()) {
  tree_->SetUpdating(true);
}

TElTreeUpdateScope::~TElTreeUpdateScope() noexcept(false) {
  if (std::uncaught_exceptions() > exceptions_) {
    // Unwinding already: the end-of-update work must not replace the error
    // that is on its way to the caller.
    try {
      tree_->SetUpdating(false);
    } catch (...) {
    }
    return;
  }
  tree_->SetUpdating(false);
}

// ---------------------------------------------------------------- life

TCustomElTree::TCustomElTree(TComponent* owner) : TElXPThemedControl(owner) {
  FInplaceManager = new TElTreeInplaceManager(this);
  SetUseCustomScrollBars(true);
  SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks, csReplicatable,
                                csDisplayDragImage, csReflector});
  FAllItems = std::make_unique<TElList>();
  // The selection list exists from the start, MultiSelect being on.
  FSelectedItems = std::make_unique<TElList>();
  SetBounds(Left(), Top(), 200, 100);
  // The line-height rule never answers less than the item indent.
  FLineHeight = FItemIndent;
}

TCustomElTree::~TCustomElTree() {
  for (TBitmap** picture : {&FBackground, &FPlusPicture, &FMinusPicture, &FLeafPicture, &FCheckBoxGlyph,
                            &FRadioButtonGlyph})
    FreeAndNil(*picture);
  FreeAndNil(FHeaderFont);
  FreeAndNil(FHScrollBarStyles);
  FreeAndNil(FVScrollBarStyles);
  FreeAndNil(FImageChangeLink);
  // The link leaves the image form it followed on its own.
  FreeAndNil(FImageFormLink);
}

// The parts are made after the constructor, through the factories, so that
// a descendant's factories are the ones used.
void TCustomElTree::AfterConstruction() {
  TElXPThemedControl::AfterConstruction();
  if (!FItems) FItems = CreateItems();
  CreateParts();
}

void TCustomElTree::CreateParts() {
  if (!FView) FView = CreateView();
  FMainTextType = sftText;
  FHintType = shtHintOrText;
  FQuickEditMode = false;
  WireView();
  FView->SetCtl3D(false);
  FView->SetParentShowHint(true);
  FView->SetTabStop(true);
  FView->SetTabOrder(0);
  FView->SetParentFont(true);

  FHScrollBar = new TElScrollBar(this);
  FHScrollBarStyles = new TElScrollBarStyles(FHScrollBar, this);
  SetUpScrollBar(FHScrollBar);
  FHScrollBar->SetHeight(GetSystemMetrics(SM_CYVTHUMB));

  FVScrollBar = new TElScrollBar(this);
  FVScrollBarStyles = new TElScrollBarStyles(FVScrollBar, this);
  SetUpScrollBar(FVScrollBar);
  FVScrollBar->SetShowTrackHint(true);
  FVScrollBar->SetKind(sbVertical);
  FVScrollBar->SetWidth(GetSystemMetrics(SM_CXHTHUMB));
  WireScrollBars();
  for (TElScrollBarStyles* styles : {FHScrollBarStyles, FVScrollBarStyles})
    styles->OnChange = TNotifyEvent(this, &TCustomElTree::BarStylesChanged);

  FHeader = CreateHeader();
  FView->FHeader = FHeader;
  if (FHeader) {
    FHeader->SetTracking(FHeaderHotTrack);
    FHeader->SetTabStop(false);
    FHeader->SetAlign(alNone);
    FHeader->SetVisible(false);
    FHeader->SetAllowDrag(false);
    FHeader->SetKeepSortModes(true);
    WireHeader();
    FHeader->Font()->Assign(Font());
  }
  FLineHeight = DefineLineHeight();
  FShowColumns = false;

  FImageChangeLink = new TChangeLink;
  FImageChangeLink->OnChange = TNotifyEvent(this, &TCustomElTree::ImagesChanged);
  FImageFormLink = new TImgFormChangeLink;
  FImageFormLink->OnChange = TNotifyEvent(this, &TCustomElTree::ImageFormChanged);
  FBackground = new TBitmap;
  FBackground->OnChange = TNotifyEvent(this, &TCustomElTree::BackgroundPictureChanged);
  FHeaderFont = new TFont;
  FHeaderFont->Assign(Font());
  FHeaderFont->OnChange = TNotifyEvent(this, &TCustomElTree::HeaderFontChanged);
  FDelayTimer = new TTimer(this);
  FDelayTimer->SetEnabled(false);
  FDelayTimer->SetInterval(static_cast<Cardinal>(FChangeDelay));
  FDelayTimer->OnTimer = TNotifyEvent(this, &TCustomElTree::DelayTimerFired);
  SetDoubleBuffered(true);

  FView->SetParent(this);
  FHScrollBar->SetParent(this);
  FVScrollBar->SetParent(this);
  if (FHeader) FHeader->SetParent(this);
}

// Both bars: hidden until needed, silent towards the parent, passing the
// focus to the view on a press.
void TCustomElTree::SetUpScrollBar(TElScrollBar* bar) {
  bar->SetNotifyParent(false);
  bar->SetParentFont(true);
  bar->SetTabStop(false);
  bar->SetCtl3D(false);
  bar->SetVisible(false);
  bar->SetAltDisablingArrows(true);
  bar->SetIsHTML(true);
  bar->OnMouseDown = TMouseEvent(this, &TCustomElTree::BarMouseDown);
}

void TCustomElTree::BarMouseDown(TObject* /*sender*/, TMouseButton, TShiftState, int, int) {
  if (FView && !FView->Focused() && FView->CanFocus() && CanFocus()) FView->SetFocus();
}

TElHeader* TCustomElTree::CreateHeader() { return new TElHeader(this); }

void TCustomElTree::BarStylesChanged(TObject* /*sender*/) {
  if (FLayingOut || IsLoading()) return;
  RequestLayout();
}

void TCustomElTree::BackgroundPictureChanged(TObject* /*sender*/) {
  if (FBackground->Empty() && BackgroundNeedsPicture(FBackgroundType) && !IsLoading())
    FBackgroundType = bgtColorFill;
  BackgroundChanged();
}

void TCustomElTree::HeaderFontChanged(TObject* /*sender*/) {
  if (!FHeaderUseTreeFont && FHeader) FHeader->Font()->Assign(FHeaderFont);
}

void TCustomElTree::ViewMouseWheel(TObject* /*sender*/, TShiftState shift, int wheelDelta, POINT mousePos,
                                   bool& handled) {
  OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
}

void TCustomElTree::BeforeDestruction() {
  // The items go first, while the view they report to is still whole; the
  // view is an owned component and leaves with the base class's teardown.
  Destroying();
  // The form hook goes before the window: it gives the form back its own
  // window procedure.
  FreeAndNil(FHook);
  FreeVirtualStyle();
  if (FItems) {
    FItems->Free();
    FItems = nullptr;
    if (FView) FView->FItems = nullptr;
  }
  TElXPThemedControl::BeforeDestruction();
}

void TCustomElTree::WireView() {
  if (!FView) return;
  FView->FItems = FItems;
  if (FView->FRender) FView->FRender->OnImageNeeded = TElHTMLImageNeededEvent(this, &TCustomElTree::DoHTMLImageNeeded);
  FView->OnClick = TNotifyEvent(this, &TCustomElTree::DoClick);
  FView->OnDblClick = TNotifyEvent(this, &TCustomElTree::DoDblClick);
  FView->OnEnter = TNotifyEvent(this, &TCustomElTree::DoEnter);
  FView->OnExit = TNotifyEvent(this, &TCustomElTree::DoExit);
  FView->OnKeyDown = TKeyEvent(this, &TCustomElTree::DoKeyDown);
  FView->OnKeyPress = TKeyPressEvent(this, &TCustomElTree::DoKeyPress);
  FView->OnKeyUp = TKeyEvent(this, &TCustomElTree::DoKeyUp);
  FView->OnMouseDown = TMouseEvent(this, &TCustomElTree::DoMouseDown);
  FView->OnMouseMove = TMouseMoveEvent(this, &TCustomElTree::DoMouseMove);
  FView->OnMouseUp = TMouseEvent(this, &TCustomElTree::DoMouseUp);
  FView->OnMouseWheel = TMouseWheelEvent(this, &TCustomElTree::ViewMouseWheel);
  WireViewDrag();
}

TElTreeItems* TCustomElTree::CreateItems() { return CreateItemsOfClass(&CreateElTreeItem<TElTreeItem>); }

TElTreeItems* TCustomElTree::CreateItemsOfClass(TElTreeItemClass itemClass) {
  return new TElTreeItems(this, itemClass);
}

TElTreeView* TCustomElTree::CreateView() { return new TElTreeView(this); }

TElTreeItem* TCustomElTree::GetRoot() { return FItems ? FItems->Root() : nullptr; }

void TCustomElTree::GetThemedClassName(TElFString& name) { name = L"TREEVIEW"; }

// ---------------------------------------------------------------- header

int TCustomElTree::HeaderSectionCount() const { return FHeader ? FHeader->Sections()->Count() : 0; }

void TCustomElTree::BeginHeaderUpdate() {
  if (FHeader) FHeader->BeginUpdate();
}

void TCustomElTree::EndHeaderUpdate() {
  if (FHeader) FHeader->EndUpdate();
}

// ---------------------------------------------------------------- updates

void TCustomElTree::SetUpdating(bool begin) {
  if (FInUpdateEnd) return;
  if (begin) {
    BeginHeaderUpdate();
    ++FUpdateCount;
    return;
  }
  // An unmatched end would leave the counter below zero and every later
  // update without its end work.
  if (FUpdateCount == 0) return;
  --FUpdateCount;
  EndHeaderUpdate();
  if (FUpdateCount > 0 || IsDestroying() || IsLoading()) return;
  EndOfUpdate();
}

void TCustomElTree::EndOfUpdate() {
  struct EndGuard {
    bool& flag;
    ~EndGuard() { flag = false; }
  } guard{FInUpdateEnd};
  FInUpdateEnd = true;
  if (FFilteredVisibility) FixFilteredSelection();
  if (FAutoLineHeight) ApplyLineHeight(DefineLineHeight());
  if (FResortPending) {
    // Cleared first: a sort that raises is not run again by every later
    // update.
    FResortPending = false;
    // The sort reports its own beginning and end.
    Sort(true);
  }
  if (!FUpdatePending || !FView) return;
  if (FView->FRecountPending) RecountVisibleRows();
  const bool barsCanMove = FView->HandleAllocated() && !IsLoading();
  if (barsCanMove) UpdateScrollBars();
  if (FRemeasurePending) {
    FRemeasurePending = false;
    FView->ApplyTopIndex(FTopIndex);
  }
  if (FShowColumns && FVirtualityLevel == vlNone && FAutoSizePending) {
    FAutoSizePending = false;
    AutoSizeAllColumns();
  }
  if (barsCanMove) UpdateScrollBars();
  FView->UpdateView();
  FUpdatePending = false;
}

void TCustomElTree::FlagRemeasure() {
  FRemeasurePending = true;
  FlagUpdate();
}

void TCustomElTree::FlagColumnWidths() {
  if (FShowColumns)
    FAutoSizePending = true;
  else if (FView)
    FView->FLongestWidth = -1;
  FlagUpdate();
}

// ---------------------------------------------------------------- counters

int TCustomElTree::CountVisibleRows() const {
  int count = 0;
  ForEachRow([&count](TElTreeItem*, int, int) {
    ++count;
    return true;
  });
  return count;
}

void TCustomElTree::RecountVisibleRows() {
  FVisibleCount = CountVisibleRows();
  if (FView) FView->FRecountPending = false;
}

void TCustomElTree::ChangeCounters(int multiLineDelta, int hiddenDelta) {
  FMultiLineCount += multiLineDelta;
  FHiddenCount += hiddenDelta;
}

void TCustomElTree::RecountMultiLine() {
  int count = 0;
  for (int i = 0; i < FAllItems->Count(); ++i)
    count += static_cast<TElTreeItem*>(FAllItems->FastGet(i))->MultiLineContribution();
  FMultiLineCount = count;
}

void TCustomElTree::SetAdjustMultilineHeight(bool value) {
  if (FAdjustMultilineHeight == value) return;
  TElTreeUpdateScope scope(this);
  FAdjustMultilineHeight = value;
  RecountMultiLine();
  for (int i = 0; i < FAllItems->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(FAllItems->FastGet(i));
    if (item->Multiline()) item->FHeightCache = 0xFFFF;
  }
  if (FView) FView->FlagFull();
  FlagRemeasure();
}

void TCustomElTree::SetMainTreeColumn(int value) {
  // A column the header does not have is the first one.
  if (value < 0 || value >= HeaderSectionCount()) value = 0;
  if (value == FMainTreeColumn) return;
  TElTreeUpdateScope scope(this);
  FMainTreeColumn = value;
  if (FView) FView->FlagFull();
  FlagRemeasure();
}

// ---------------------------------------------------------------- focus

TElTreeItem* TCustomElTree::GetFocusedItem() const { return FView ? FView->FFocused : nullptr; }

TElTreeItem* TCustomElTree::SelectionAnchor() const { return FView ? FView->FSelected : nullptr; }

int TCustomElTree::SelectedCount() const {
  if (FMultiSelect && FSelectedItems) return FSelectedItems->Count();
  return GetFocusedItem() ? 1 : 0;
}

// ---------------------------------------------------------------- lines

void TCustomElTree::SaveStringsToStream(TStream* stream) {
  for (int i = 0; i < FAllItems->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(FAllItems->FastGet(i));
    AnsiString line(static_cast<size_t>(item->Level()), ' ');
    line += WideToAnsi(item->GetText());
    line += "\r\n";
    stream->WriteBuffer(line.data(), static_cast<std::int32_t>(line.size()));
  }
}

// ---------------------------------------------------------------- link look

void TCustomElTree::ReRenderHTMLItems() {
  TElTreeUpdateScope scope(this);
  for (int i = 0; i < FAllItems->Count(); ++i)
    static_cast<TElTreeItem*>(FAllItems->FastGet(i))->ReRenderAllHTMLTexts();
}

void TCustomElTree::SetLinkColor(TColor value) {
  if (FLinkColor == value) return;
  FLinkColor = value;
  ReRenderHTMLItems();
}

void TCustomElTree::SetLinkStyle(TFontStyles value) {
  if (FLinkStyle == value) return;
  FLinkStyle = value;
  ReRenderHTMLItems();
}

// ---------------------------------------------------------------- events

void TCustomElTree::DoHTMLImageNeeded(TObject* /*sender*/, const TElFString& src, TBitmap*& image) {
  OnHTMLImageNeeded(this, src, image);
}

void TCustomElTree::DoLinkClick(const TElFString& href) { OnLinkClick(this, href); }

void TCustomElTree::DoClick(TObject* /*sender*/) { OnClick(this); }

void TCustomElTree::DoDblClick(TObject* /*sender*/) { OnDblClick(this); }

void TCustomElTree::DoEnter(TObject* /*sender*/) { OnEnter(this); }

void TCustomElTree::DoExit(TObject* /*sender*/) { OnExit(this); }

void TCustomElTree::DoKeyDown(TObject* /*sender*/, Word& key, TShiftState shift) { OnKeyDown(this, key, shift); }

void TCustomElTree::DoKeyPress(TObject* /*sender*/, char& key) { OnKeyPress(this, key); }

void TCustomElTree::DoKeyUp(TObject* /*sender*/, Word& key, TShiftState shift) { OnKeyUp(this, key, shift); }

// The view's positions, moved into the tree's coordinates.
void TCustomElTree::DoMouseDown(TObject* /*sender*/, TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x + FView->Left(), y + FView->Top());
}

void TCustomElTree::DoMouseMove(TObject* /*sender*/, TShiftState shift, int x, int y) {
  OnMouseMove(this, shift, x + FView->Left(), y + FView->Top());
}

void TCustomElTree::DoMouseUp(TObject* /*sender*/, TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x + FView->Left(), y + FView->Top());
}

void TCustomElTree::DoHeaderSectionMeasure(TObject* /*sender*/, TElHeaderSection* section, TPoint& size) {
  OnHeaderSectionMeasure(this, section, size);
}

void TCustomElTree::DoGetPicture(TElTreeItem* item, int& imageIndex) { OnItemPicDraw(this, item, imageIndex); }

void TCustomElTree::DoGetPicture2(TElTreeItem* item, int& imageIndex) { OnItemPicDraw2(this, item, imageIndex); }

void TCustomElTree::DoChanging(TElTreeItem* item, bool& allowChange) { OnChanging(this, item, allowChange); }

void TCustomElTree::DoHeaderColumnResize(int sectionIndex) { OnHeaderColumnResize(this, sectionIndex); }

void TCustomElTree::DoHeaderColumnClick(int sectionIndex) { OnHeaderColumnClick(this, sectionIndex); }

void TCustomElTree::DoItemFocused() {
  // A deletion reports the focus once at its end; a tree going away reports
  // nothing.
  if (IsDestroying() || FDeletingDepth > 0) return;
  OnItemFocused(this);
}

void TCustomElTree::DoItemDraw(TElTreeItem* item, TCanvas* surface, TRect r, int sectionIndex) {
  OnItemDraw(this, item, surface, r, sectionIndex);
}

void TCustomElTree::DoItemChange(TElTreeItem* item, TItemChangeMode itemChangeMode) {
  OnItemChange(this, item, itemChangeMode);
}

void TCustomElTree::DoItemExpanding(TElTreeItem* item, bool& canProcess) { OnItemExpanding(this, item, canProcess); }

void TCustomElTree::DoItemCollapsing(TElTreeItem* item, bool& canProcess) { OnItemCollapsing(this, item, canProcess); }

void TCustomElTree::DoItemChecked(TElTreeItem* item) { OnItemChecked(this, item); }

void TCustomElTree::DoItemExpand(TElTreeItem* item) { OnItemExpand(this, item); }

void TCustomElTree::DoItemCollapse(TElTreeItem* item) { OnItemCollapse(this, item); }

void TCustomElTree::DoItemDeletion(TElTreeItem* item) { OnItemDeletion(this, item); }

void TCustomElTree::DoCompareItems(TElTreeItem* item1, TElTreeItem* item2, int& res) {
  res = 0;
  OnCompareItems(this, item1, item2, res);
}

void TCustomElTree::DoHeaderColumnDraw(TObject* sender, TCanvas* canvas, TElHeaderSection* section, TRect r,
                                       bool pressed) {
  OnHeaderColumnDraw(sender, canvas, section, r, pressed);
}

void TCustomElTree::DoHotTrack(TElTreeItem* oldItem, TElTreeItem* newItem) { OnHotTrack(this, oldItem, newItem); }

void TCustomElTree::DoScroll(TScrollBarKind scrollBarKind, TElScrollCode scrollCode) {
  OnScroll(this, scrollBarKind, scrollCode);
}

void TCustomElTree::DoHeaderColumnMove(TElHeaderSection* section, int oldPos, int newPos) {
  OnHeaderColumnMove(this, section, oldPos, newPos);
}

void TCustomElTree::DoItemSave(TElTreeItem* item, TStream* stream) { OnItemSave(this, stream, item); }

void TCustomElTree::DoItemLoad(TElTreeItem* item, TStream* stream) { OnItemLoad(this, stream, item); }

void TCustomElTree::DoItemSelectedChange(TElTreeItem* item) {
  if (IsDestroying()) return;
  OnItemSelectedChange(this, item);
}

void TCustomElTree::DoShowHint(TElTreeItem* item, TElHeaderSection* section, TElFString& text,
                               TElHintWindow* hintWindow, TPoint mousePos, bool& doShowHint) {
  OnShowLineHint(this, item, section, text, hintWindow, mousePos, doShowHint);
}

void TCustomElTree::DoHeaderLookup(TElHeaderSection* section, AnsiString& text) {
  OnHeaderLookup(this, section, text);
}

void TCustomElTree::DoHeaderLookupDone(TElHeaderSection* section, const AnsiString& text, bool accepted) {
  OnHeaderLookupDone(this, section, text, accepted);
}

void TCustomElTree::DoHeaderSectionExpand(TElHeaderSection* section) { OnHeaderSectionExpand(this, section); }

void TCustomElTree::DoHeaderSectionCollapse(TElHeaderSection* section) { OnHeaderSectionCollapse(this, section); }

void TCustomElTree::DoMeasureItemPart(TElTreeItem* item, int partIndex, TPoint& size) {
  OnMeasureItemPart(this, item, partIndex, size);
}

void TCustomElTree::DoPrivateNotify(int code, int param) { OnPrivateNotify(this, code, param); }

void TCustomElTree::DoItemPostDraw(TCanvas* canvas, TElTreeItem* item, TRect itemRect, bool& drawFocusRect) {
  OnItemPostDraw(this, canvas, item, itemRect, drawFocusRect);
}

void TCustomElTree::DoOleTargetDrag(TDragState state, TOleDragObject* source, TShiftState shift, int x, int y,
                                    TDragType& dragType) {
  OnOleTargetDrag(this, state, source, shift, x, y, dragType);
}

void TCustomElTree::DoOleTargetDrop(TOleDragObject* source, TShiftState shift, int x, int y, TDragType& dragType) {
  OnOleTargetDrop(this, source, shift, x, y, dragType);
}

void TCustomElTree::DoOleDragStart(TComPtr<IDataObject>& dataObj, TComPtr<IDropSource>& dropSource,
                                   TDragTypes& dwOKEffects) {
  OnOleDragStart(this, dataObj, dropSource, dwOKEffects);
}

void TCustomElTree::DoOleDragFinish(TDragType dwEffect, HRESULT result) { OnOleDragFinish(this, dwEffect, result); }

void TCustomElTree::DoSortBegin() { OnSortBegin(this); }

void TCustomElTree::DoSortEnd() { OnSortEnd(this); }

void TCustomElTree::DoAfterSelectionChange() { OnAfterSelectionChange(this); }

void TCustomElTree::DoVirtualTextNeeded(TElTreeItem* item, int sectionIndex, TElFString& text) {
  OnVirtualTextNeeded(this, item, sectionIndex, text);
}

void TCustomElTree::DoVirtualHintNeeded(TElTreeItem* item, TElFString& hint) { OnVirtualHintNeeded(this, item, hint); }

void TCustomElTree::DoVirtualValueNeeded(TElTreeItem* item, int sectionIndex, int varType, Variant& value) {
  OnVirtualValueNeeded(this, item, sectionIndex, varType, value);
}

void TCustomElTree::DoVirtualStyleNeeded(TElTreeItem* item, int sectionIndex, TElCellStyle* style) {
  OnVirtualStyleNeeded(this, item, sectionIndex, style);
}

void TCustomElTree::DoTryEdit(TElTreeItem* item, int sectionIndex, TElFieldType& cellType, bool& canEdit) {
  if (IsDestroying()) return;
  OnTryEdit(this, item, sectionIndex, cellType, canEdit);
}

void TCustomElTree::DoPrivateMouse1(int button, int shift, int x, int y) { OnPrivateMouse1(this, button, shift, x, y); }

void TCustomElTree::DoPrivateMouse2(int button, int shift, int x, int y) { OnPrivateMouse2(this, button, shift, x, y); }
