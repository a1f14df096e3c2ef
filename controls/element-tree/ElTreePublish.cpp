// The tree's published properties and events, as form files read and
// write them, with the identifiers of its enumerations.
#include "ElIni.hpp"
#include "ElTree.hpp"
#include "Menus.hpp"
#include "Streaming.hpp"

namespace {

void RegisterTreeEnums() {
  RegisterEnumNames<TSTSelModes>({"smSimple", "smUsual"});
  RegisterEnumNames<TElDblClickMode>({"dcmNone", "dcmExpand", "dcmEdit"});
  RegisterEnumNames<TElHintType>({"shtMainText", "shtHintOnly", "shtHintOrText"});
  RegisterEnumNames<TLineHintType>({"lhtMainTextOnly", "lhtCellTextOnly", "lhtSmart"});
  RegisterEnumNames<THintModes>({"shmNone", "shmLong", "shmAll"});
  RegisterEnumNames<TDragImgMode>({"dimNever", "dimOne", "dimAll"});
  RegisterEnumNames<TElDragType>({"dtOLE", "dtNative", "dtBoth"});
  RegisterEnumNames<TDragTargetDraw>({"ColorFrame", "ColorRect", "SelColorRect", "dtdNone", "dtdUpColorLine",
                                      "dtdDownColorLine", "dtdUpSelColorLine", "dtdDownSelColorLine"});
  RegisterEnumNames<TSortTypes>({"stCustom", "stText", "stNumber", "stFloating", "stDateTime", "stDate", "stTime",
                                 "stBoolean", "stCurrency"});
  RegisterEnumNames<TSortModes>({"smNone", "smAdd", "smClick", "smAddClick"});
  RegisterEnumNames<TSortDirs>({"sdAscend", "sdDescend"});
  RegisterEnumNames<TVirtualityLevel>({"vlNone", "vlTextAndStyles"});
  RegisterEnumNames<TElFieldType>({"sftCustom", "sftText", "sftNumber", "sftFloating", "sftDateTime", "sftDate",
                                   "sftTime", "sftPicture", "sftEnum", "sftBLOB", "sftUndef", "sftBool",
                                   "sftCurrency", "sftMemo"});
}

// A picture made on first read: stored once it exists and holds an image,
// so that writing a form never makes it.
template <TBitmap* TCustomElTree::*Field>
bool PictureStored(TCustomElTree* tree) {
  return tree->*Field && !(tree->*Field)->Empty();
}

bool StripesStored(TCustomElTree* tree) { return tree->StripedItems(); }

}  // namespace

void PublishTree() {
  RegisterTreeEnums();
  using C = TCustomElTree;
  Publish<C, TCustomControl>()
      .Property("Hint", &C::Hint, &C::SetHint)
      .Property("LeftPosition", &C::LeftPosition, &C::SetLeftPosition, 0)
      .Property("HeaderPopupMenu", &C::HeaderPopupMenu, &C::SetHeaderPopupMenu);
  Publish<TElTree, C>()
      .Property("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, true)
      .Property("ActiveBorderType", &C::ActiveBorderType, &C::SetActiveBorderType, fbtSunken)
      .Property("AlwaysKeepFocus", &C::AlwaysKeepFocus, &C::SetAlwaysKeepFocus, false)
      .Property("AlwaysKeepSelection", &C::AlwaysKeepSelection, &C::SetAlwaysKeepSelection, true)
      .Property("AutoCollapse", &C::AutoCollapse, &C::SetAutoCollapse, false)
      .Property("AutoExpand", &C::AutoExpand, &C::SetAutoExpand, false)
      .Property("AutoLineHeight", &C::AutoLineHeight, &C::SetAutoLineHeight, true)
      .Property("AutoLookup", &C::AutoLookup, &C::SetAutoLookup, false)
      .Property("AutoResizeColumns", &C::AutoResizeColumns, &C::SetAutoResizeColumns, true)
      .Property("AdjustMultilineHeight", &C::AdjustMultilineHeight, &C::SetAdjustMultilineHeight, true)
      .Property("DefaultSectionWidth", &C::DefaultSectionWidth, &C::SetDefaultSectionWidth, 120)
      .Property("Background", &C::Background, nullptr).Stored(&PictureStored<&C::FBackground>)
      .Property("BackgroundType", &C::BackgroundType, &C::SetBackgroundType, bgtColorFill)
      .Property("BarStyle", &C::BarStyle, &C::SetBarStyle, false)
      .Property("BarStyleVerticalLines", &C::BarStyleVerticalLines, &C::SetBarStyleVerticalLines, false)
      .Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, bsSingle)
      .Property("BorderSides", &C::BorderSides, &C::SetBorderSides, AllBorderSides)
      .Property("ChangeDelay", &C::ChangeDelay, &C::SetChangeDelay, 500)
      .Property("ChangeStateImage", &C::ChangeStateImage, &C::SetChangeStateImage, false)
      .Property("CheckBoxGlyph", &C::CheckBoxGlyph, nullptr).Stored(&PictureStored<&C::FCheckBoxGlyph>)
      .Property("CheckBoxSize", &C::CheckBoxSize, &C::SetCheckBoxSize, 15)
      .Property("CustomCheckboxes", &C::CustomCheckboxes, &C::SetCustomCheckboxes, false)
      .Property("CustomPlusMinus", &C::CustomPlusMinus, &C::SetCustomPlusMinus, false)
      .Property("DeselectChildrenOnCollapse", &C::DeselectChildrenOnCollapse, &C::SetDeselectChildrenOnCollapse, false)
      .Property("DblClickMode", &C::DblClickMode, &C::SetDblClickMode, dcmExpand)
      .Property("DoInplaceEdit", &C::DoInplaceEdit, &C::SetDoInplaceEdit, true)
      .Property("DragAllowed", &C::DragAllowed, &C::SetDragAllowed, false)
      .Property("DragExpandDelay", &C::DragExpandDelay, &C::SetDragExpandDelay, 500)
      .Property("DraggableSections", &C::DraggableSections, &C::SetDraggableSections, false)
      .Property("DrawFocusRect", &C::DrawFocusRect, &C::SetDrawFocusRect, true)
      .Property("DragImageMode", &C::DragImageMode, &C::SetDragImageMode, dimNever)
      .Property("DragRectAcceptColor", &C::DragRectAcceptColor, &C::SetDragRectAcceptColor, TColor(0x008000)).Idents(&ColorIdents)
      .Property("DragRectDenyColor", &C::DragRectDenyColor, &C::SetDragRectDenyColor, TColor(0x0000FF)).Idents(&ColorIdents)
      .Property("DragScrollInterval", &C::DragScrollInterval, &C::SetDragScrollInterval, 100)
      .Property("DragTrgDrawMode", &C::DragTrgDrawMode, &C::SetDragTrgDrawMode, SelColorRect)
      .Property("DragType", &C::DragType, &C::SetDragType, dtNative)
      .Property("ExpandOnDblClick", &C::ExpandOnDblClick, &C::SetExpandOnDblClick, true)
      .Property("ExpandOnDragOver", &C::ExpandOnDragOver, &C::SetExpandOnDragOver, false)
      .Property("ExplorerEditMode", &C::ExplorerEditMode, &C::SetExplorerEditMode, false)
      .Property("FilteredVisibility", &C::FilteredVisibility, &C::SetFilteredVisibility, false)
      .Property("Flat", &C::Flat, &C::SetFlat, false)
      .Property("FlatFocusedScrollbars", &C::FlatFocusedScrollbars, &C::SetFlatFocusedScrollbars, true)
      .Property("FocusedSelectColor", &C::FocusedSelectColor, &C::SetFocusedSelectColor, clHighlight).Idents(&ColorIdents)
      .Property("FocusedSelectTextColor", &C::FocusedSelectTextColor, &C::SetFocusedSelectTextColor, clHighlightText).Idents(&ColorIdents)
      .Property("ForcedScrollBars", &C::ForcedScrollBars, &C::SetForcedScrollBars, ssNone)
      .Property("FullRowSelect", &C::FullRowSelect, &C::SetFullRowSelect, true)
      .Property("GradientStartColor", &C::GradientStartColor, &C::SetGradientStartColor, TColor(0)).Idents(&ColorIdents)
      .Property("GradientEndColor", &C::GradientEndColor, &C::SetGradientEndColor, TColor(0)).Idents(&ColorIdents)
      .Property("GradientSteps", &C::GradientSteps, &C::SetGradientSteps, 64)
      .Property("HeaderActiveFilterColor", &C::HeaderActiveFilterColor, &C::SetHeaderActiveFilterColor, TColor(0))
      .Idents(&ColorIdents)
      .Property("HeaderColor", &C::GetHeaderColor, &C::SetHeaderColor, clBtnFace).Idents(&ColorIdents)
      .Property("HeaderHeight", &C::HeaderHeight, &C::SetHeaderHeight)
      .Property("HeaderHotTrack", &C::HeaderHotTrack, &C::SetHeaderHotTrack, true)
      .Property("HeaderInvertSortArrows", &C::HeaderInvertSortArrows, &C::SetHeaderInvertSortArrows, false)
      .Property("HeaderSections", &C::HeaderSections, nullptr)
      .Property("HeaderFilterColor", &C::HeaderFilterColor, &C::SetHeaderFilterColor, clBtnText).Idents(&ColorIdents)
      .Property("HeaderFlat", &C::HeaderFlat, &C::SetHeaderFlat, false)
      .Property("HeaderFont", &C::HeaderFont, nullptr).Stored([](C* c) { return !c->HeaderUseTreeFont(); })
      .Property("HeaderUseTreeFont", &C::HeaderUseTreeFont, &C::SetHeaderUseTreeFont, true)
      .Property("HeaderImages", &C::HeaderImages, &C::SetHeaderImages)
      .Property("HeaderWrapCaptions", &C::HeaderWrapCaptions, &C::SetHeaderWrapCaptions, false)
      .Property("HideFocusRect", &C::HideFocusRect, &C::SetHideFocusRect, false)
      .Property("HideHintOnTimer", &C::HideHintOnTimer, &C::SetHideHintOnTimer, false)
      .Property("HideHintOnMove", &C::HideHintOnMove, &C::SetHideHintOnMove, true)
      .Property("HideSelectColor", &C::HideSelectColor, &C::SetHideSelectColor, clBtnFace).Idents(&ColorIdents)
      .Property("HideSelectTextColor", &C::HideSelectTextColor, &C::SetHideSelectTextColor, clBtnShadow).Idents(&ColorIdents)
      .Property("HideSelection", &C::HideSelection, &C::SetHideSelection, false)
      .Property("HorizontalLines", &C::HorizontalLines, &C::SetHorizontalLines, false)
      .Property("HideHorzScrollBar", &C::HideHorzScrollBar, &C::SetHideHorzScrollBar, false)
      .Property("HideVertScrollBar", &C::HideVertScrollBar, &C::SetHideVertScrollBar, false)
      .Property("HintType", &C::HintType, &C::SetHintType, shtHintOrText)
      .Property("HorzDivLinesColor", &C::HorzDivLinesColor, &C::SetHorzDivLinesColor, clBtnFace).Idents(&ColorIdents)
      .Property("IgnoreEnabled", &C::IgnoreEnabled, &C::SetIgnoreEnabled, false)
      .Property("HeaderImageForm", &C::HeaderImageForm, &C::SetHeaderImageForm)
      .Property("ImageForm", &C::ImageForm, &C::SetImageForm)
      .Property("InactiveBorderType", &C::InactiveBorderType, &C::SetInactiveBorderType, fbtSunkenOuter)
      .Property("IncrementalSearch", &C::IncrementalSearch, &C::SetIncrementalSearch, false)
      .Property("InplaceEditorDelay", &C::InplaceEditorDelay, &C::SetInplaceEditorDelay, 500)
      .Property("ItemIndent", &C::ItemIndent, &C::SetItemIndent, 17)
      .Property("KeepSelectionWithinLevel", &C::KeepSelectionWithinLevel, &C::SetKeepSelectionWithinLevel, false)
      .Property("LeafPicture", &C::LeafPicture, nullptr).Stored(&PictureStored<&C::FLeafPicture>)
      .Property("LineBorderActiveColor", &C::LineBorderActiveColor, &C::SetLineBorderActiveColor, TColor(0)).Idents(&ColorIdents)
      .Property("LineBorderInactiveColor", &C::LineBorderInactiveColor, &C::SetLineBorderInactiveColor, TColor(0)).Idents(&ColorIdents)
      .Property("LinesColor", &C::LinesColor, &C::SetLinesColor, clBtnFace).Idents(&ColorIdents)
      .Property("LinesStyle", &C::LinesStyle, &C::SetLinesStyle, psDot)
      .Property("LineHintColor", &C::LineHintColor, &C::SetLineHintColor, clWindow).Idents(&ColorIdents)
      .Property("LineHintMode", &C::LineHintMode, &C::SetLineHintMode, shmLong)
      .Property("LineHintTimeout", &C::LineHintTimeout, &C::SetLineHintTimeout, 3000)
      .Property("LineHintType", &C::LineHintType, &C::SetLineHintType, lhtSmart)
      .Property("LockHeaderHeight", &C::LockHeaderHeight, &C::SetLockHeaderHeight, false)
      .Property("MainTextType", &C::MainTextType, &C::SetMainTextType, sftText)
      .Property("MainTreeColumn", &C::MainTreeColumn, &C::SetMainTreeColumn, 0)
      .Property("MinusPicture", &C::MinusPicture, nullptr).Stored(&PictureStored<&C::FMinusPicture>)
      .Property("MoveColumnOnDrag", &C::MoveColumnOnDrag, &C::SetMoveColumnOnDrag, false)
      .Property("MoveFocusOnCollapse", &C::MoveFocusOnCollapse, &C::SetMoveFocusOnCollapse, false)
      .Property("MouseFrameSelect", &C::MouseFrameSelect, &C::SetMouseFrameSelect, true)
      .Property("MultiSelect", &C::MultiSelect, &C::SetMultiSelect, true)
      .Property("MultiSelectLevel", &C::MultiSelectLevel, &C::SetMultiSelectLevel, -1)
      .Property("OwnerDrawByColumn", &C::OwnerDrawByColumn, &C::SetOwnerDrawByColumn, true)
      .Property("PathSeparator", &C::PathSeparator, &C::SetPathSeparator, '\\')
      .Property("PlusMinusTransparent", &C::PlusMinusTransparent, &C::SetPlusMinusTransparent, false)
      .Property("PlusPicture", &C::PlusPicture, nullptr).Stored(&PictureStored<&C::FPlusPicture>)
      .Property("QuickEditMode", &C::QuickEditMode, &C::SetQuickEditMode, false)
      .Property("RadioButtonGlyph", &C::RadioButtonGlyph, nullptr).Stored(&PictureStored<&C::FRadioButtonGlyph>)
      .Property("RightAlignedText", &C::RightAlignedText, &C::SetRightAlignedText, false)
      .Property("RightAlignedTree", &C::RightAlignedTree, &C::SetRightAlignedTree, false)
      .Property("RightClickSelect", &C::RightClickSelect, &C::SetRightClickSelect, true)
      .Property("RowHotTrack", &C::RowHotTrack, &C::SetRowHotTrack, false)
      .Property("RowSelect", &C::RowSelect, &C::SetRowSelect, true)
      .Property("NoBlendSelected", &C::NoBlendSelected, &C::SetNoBlendSelected, false)
      .Property("ScrollBackground", &C::ScrollBackground, &C::SetScrollBackground, false)
      .Property("ScrollbarOpposite", &C::ScrollbarOpposite, &C::SetScrollbarOpposite, false)
      .Property("ScrollTracking", &C::ScrollTracking, &C::SetScrollTracking, false)
      .Property("SelectColumn", &C::SelectColumn, &C::SetSelectColumn, -1)
      .Property("ShowButtons", &C::ShowButtons, &C::SetShowButtons, true)
      .Property("ShowCheckboxes", &C::ShowCheckboxes, &C::SetShowCheckboxes, false)
      .Property("ShowEmptyImages", &C::ShowEmptyImages, &C::SetShowEmptyImages, false)
      .Property("ShowEmptyImages2", &C::ShowEmptyImages2, &C::SetShowEmptyImages2, false)
      .Property("ShowImages", &C::ShowImages, &C::SetShowImages, true)
      .Property("ShowLeafButton", &C::ShowLeafButton, &C::SetShowLeafButton, false)
      .Property("ShowLines", &C::ShowLines, &C::SetShowLines, true)
      .Property("ShowRoot", &C::ShowRoot, &C::SetShowRoot, false)
      .Property("ShowRootButtons", &C::ShowRootButtons, &C::SetShowRootButtons, true)
      .Property("SelectionMode", &C::SelectionMode, &C::SetSelectionMode, smUsual)
      .Property("SortDir", &C::SortDir, &C::SetSortDir, sdAscend)
      .Property("SortMode", &C::SortMode, &C::SetSortMode, smNone)
      .Property("SortSection", &C::SortSection, &C::SetSortSection, 0)
      .Property("SortType", &C::SortType, &C::SetSortType, stText)
      .Property("Storage", &C::Storage, &C::SetStorage)
      .Property("SortUseCase", &C::SortUseCase, &C::SetSortUseCase, true)
      .Property("StickyHeaderSections", &C::StickyHeaderSections, &C::SetStickyHeaderSections, false)
      .Property("StripedOddColor", &C::StripedOddColor, &C::SetStripedOddColor).Idents(&ColorIdents)
      .Stored(&StripesStored)
      .Property("StripedEvenColor", &C::StripedEvenColor, &C::SetStripedEvenColor).Idents(&ColorIdents)
      .Stored(&StripesStored)
      .Property("StripedItems", &C::StripedItems, &C::SetStripedItems, false)
      .Property("Tracking", &C::Tracking, &C::SetTracking, true)
      .Property("TrackColor", &C::TrackColor, &C::SetTrackColor, clHighlight).Idents(&ColorIdents)
      .Property("UnderlineTracked", &C::UnderlineTracked, &C::SetUnderlineTracked, true)
      .Property("UseCustomScrollBars", &C::UseCustomScrollBars, &C::SetUseCustomScrollBars, true)
      .Property("VertDivLinesColor", &C::VertDivLinesColor, &C::SetVertDivLinesColor, clBtnFace).Idents(&ColorIdents)
      .Property("VerticalLines", &C::VerticalLines, &C::SetVerticalLines, false)
      .Property("VerticalLinesLong", &C::VerticalLinesLong, &C::SetVerticalLinesLong, true)
      .Property("VirtualityLevel", &C::VirtualityLevel, &C::SetVirtualityLevel, vlNone)
      .Property("UseSystemHintColors", &C::UseSystemHintColors, &C::SetUseSystemHintColors, false)
      .Property("UseXPThemes", &TElXPThemedControl::UseXPThemes, &C::SetUseXPThemes, true)
      .Property("TextColor", &C::TextColor, &C::SetTextColor, clWindowText).Idents(&ColorIdents)
      .Property("BkColor", &C::BkColor, &C::SetBkColor, clWindow).Idents(&ColorIdents)
      .Property("LinkCursor", &C::LinkCursor, &C::SetLinkCursor, crHandPoint)
      .Property("LinkColor", &C::LinkColor, &C::SetLinkColor, TColor(0xFF0000)).Idents(&ColorIdents)
      .Property("LinkStyle", &C::LinkStyle, &C::SetLinkStyle, TFontStyles{fsUnderline})
      .Property("ShowColumns", &C::ShowColumns, &C::SetShowColumns, false)
      .Property("LineHeight", &C::LineHeight, &C::SetLineHeight)
      .Property("OwnerDrawMask", &C::OwnerDrawMask, &C::SetOwnerDrawMask, TElFString(L"~~@~~"))
      .Property("StoragePath", &C::StoragePath, &C::SetStoragePath, AnsiString("\\Tree"))
      .Property("Images", &C::Images, &C::SetImages)
      .Property("Images2", &C::Images2, &C::SetImages2)
      .Property("Items", &C::Items, nullptr)
      .Property("HorzScrollBarStyles", &C::HorzScrollBarStyles, nullptr)
      .Property("VertScrollBarStyles", &C::VertScrollBarStyles, nullptr)
      .Property("OnItemExpanding", EventGetter(&C::OnItemExpanding), EventSetter(&C::OnItemExpanding))
      .Property("OnItemCollapsing", EventGetter(&C::OnItemCollapsing), EventSetter(&C::OnItemCollapsing))
      .Property("OnItemExpand", EventGetter(&C::OnItemExpand), EventSetter(&C::OnItemExpand))
      .Property("OnItemCollapse", EventGetter(&C::OnItemCollapse), EventSetter(&C::OnItemCollapse))
      .Property("OnItemSelectedChange", EventGetter(&C::OnItemSelectedChange), EventSetter(&C::OnItemSelectedChange))
      .Property("OnItemDeletion", EventGetter(&C::OnItemDeletion), EventSetter(&C::OnItemDeletion))
      .Property("OnCompareItems", EventGetter(&C::OnCompareItems), EventSetter(&C::OnCompareItems))
      .Property("OnItemDraw", EventGetter(&C::OnItemDraw), EventSetter(&C::OnItemDraw))
      .Property("OnItemPostDraw", EventGetter(&C::OnItemPostDraw), EventSetter(&C::OnItemPostDraw))
      .Property("OnItemFocused", EventGetter(&C::OnItemFocused), EventSetter(&C::OnItemFocused))
      .Property("OnChanging", EventGetter(&C::OnChanging), EventSetter(&C::OnChanging))
      .Property("OnItemChange", EventGetter(&C::OnItemChange), EventSetter(&C::OnItemChange))
      .Property("OnItemChecked", EventGetter(&C::OnItemChecked), EventSetter(&C::OnItemChecked))
      .Property("OnScroll", EventGetter(&C::OnScroll), EventSetter(&C::OnScroll))
      .Property("OnHorzScrollDrawPart", EventGetter(&C::OnHorzScrollDrawPart), EventSetter(&C::OnHorzScrollDrawPart))
      .Property("OnVertScrollDrawPart", EventGetter(&C::OnVertScrollDrawPart), EventSetter(&C::OnVertScrollDrawPart))
      .Property("OnHeaderColumnClick", EventGetter(&C::OnHeaderColumnClick), EventSetter(&C::OnHeaderColumnClick))
      .Property("OnHeaderColumnResize", EventGetter(&C::OnHeaderColumnResize), EventSetter(&C::OnHeaderColumnResize))
      .Property("OnAfterSelectionChange", EventGetter(&C::OnAfterSelectionChange),
                EventSetter(&C::OnAfterSelectionChange))
      .Property("OnMeasureItemPart", EventGetter(&C::OnMeasureItemPart), EventSetter(&C::OnMeasureItemPart))
      .Property("OnItemPicDraw", EventGetter(&C::OnItemPicDraw), EventSetter(&C::OnItemPicDraw))
      .Property("OnItemPicDraw2", EventGetter(&C::OnItemPicDraw2), EventSetter(&C::OnItemPicDraw2))
      .Property("OnHorzScrollHintNeeded", EventGetter(&C::OnHorzScrollHintNeeded),
                EventSetter(&C::OnHorzScrollHintNeeded))
      .Property("OnVertScrollHintNeeded", EventGetter(&C::OnVertScrollHintNeeded),
                EventSetter(&C::OnVertScrollHintNeeded))
      .Property("OnItemPreDraw", EventGetter(&C::OnItemPreDraw), EventSetter(&C::OnItemPreDraw))
      .Property("OnHotTrack", EventGetter(&C::OnHotTrack), EventSetter(&C::OnHotTrack))
      .Property("OnShowLineHint", EventGetter(&C::OnShowLineHint), EventSetter(&C::OnShowLineHint))
      .Property("OnSortBegin", EventGetter(&C::OnSortBegin), EventSetter(&C::OnSortBegin))
      .Property("OnSortEnd", EventGetter(&C::OnSortEnd), EventSetter(&C::OnSortEnd))
      .Property("OnItemSave", EventGetter(&C::OnItemSave), EventSetter(&C::OnItemSave))
      .Property("OnItemLoad", EventGetter(&C::OnItemLoad), EventSetter(&C::OnItemLoad))
      .Property("OnCellStyleSave", EventGetter(&C::OnCellStyleSave), EventSetter(&C::OnCellStyleSave))
      .Property("OnCellStyleLoad", EventGetter(&C::OnCellStyleLoad), EventSetter(&C::OnCellStyleLoad))
      .Property("OnDragTargetChange", EventGetter(&C::OnDragTargetChange), EventSetter(&C::OnDragTargetChange))
      .Property("OnTryEdit", EventGetter(&C::OnTryEdit), EventSetter(&C::OnTryEdit))
      .Property("OnInplaceEditorNeeded", EventGetter(&C::OnInplaceEditorNeeded),
                EventSetter(&C::OnInplaceEditorNeeded))
      .Property("OnHeaderSectionFilterCall", EventGetter(&C::OnHeaderSectionFilterCall),
                EventSetter(&C::OnHeaderSectionFilterCall))
      .Property("OnHeaderSectionAutoSize", EventGetter(&C::OnHeaderSectionAutoSize),
                EventSetter(&C::OnHeaderSectionAutoSize))
      .Property("OnHeaderColumnDraw", EventGetter(&C::OnHeaderColumnDraw), EventSetter(&C::OnHeaderColumnDraw))
      .Property("OnHeaderColumnMove", EventGetter(&C::OnHeaderColumnMove), EventSetter(&C::OnHeaderColumnMove))
      .Property("OnHeaderLookup", EventGetter(&C::OnHeaderLookup), EventSetter(&C::OnHeaderLookup))
      .Property("OnHeaderLookupDone", EventGetter(&C::OnHeaderLookupDone), EventSetter(&C::OnHeaderLookupDone))
      .Property("OnHeaderResize", EventGetter(&C::OnHeaderResize), EventSetter(&C::OnHeaderResize))
      .Property("OnHeaderSectionExpand", EventGetter(&C::OnHeaderSectionExpand),
                EventSetter(&C::OnHeaderSectionExpand))
      .Property("OnHeaderSectionCollapse", EventGetter(&C::OnHeaderSectionCollapse),
                EventSetter(&C::OnHeaderSectionCollapse))
      .Property("OnHeaderSectionMeasure", EventGetter(&C::OnHeaderSectionMeasure),
                EventSetter(&C::OnHeaderSectionMeasure))
      .Property("OnHeaderMouseDown", EventGetter(&C::OnHeaderMouseDown), EventSetter(&C::OnHeaderMouseDown))
      .Property("OnHTMLImageNeeded", EventGetter(&C::OnHTMLImageNeeded), EventSetter(&C::OnHTMLImageNeeded))
      .Property("OnLinkClick", EventGetter(&C::OnLinkClick), EventSetter(&C::OnLinkClick))
      .Property("OnVirtualTextNeeded", EventGetter(&C::OnVirtualTextNeeded), EventSetter(&C::OnVirtualTextNeeded))
      .Property("OnVirtualHintNeeded", EventGetter(&C::OnVirtualHintNeeded), EventSetter(&C::OnVirtualHintNeeded))
      .Property("OnVirtualValueNeeded", EventGetter(&C::OnVirtualValueNeeded),
                EventSetter(&C::OnVirtualValueNeeded))
      .Property("OnVirtualStyleNeeded", EventGetter(&C::OnVirtualStyleNeeded),
                EventSetter(&C::OnVirtualStyleNeeded))
      .Property("OnOleTargetDrag", EventGetter(&C::OnOleTargetDrag), EventSetter(&C::OnOleTargetDrag))
      .Property("OnOleTargetDrop", EventGetter(&C::OnOleTargetDrop), EventSetter(&C::OnOleTargetDrop))
      .Property("OnOleDragStart", EventGetter(&C::OnOleDragStart), EventSetter(&C::OnOleDragStart))
      .Property("OnOleDragFinish", EventGetter(&C::OnOleDragFinish), EventSetter(&C::OnOleDragFinish));
}
