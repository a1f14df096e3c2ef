// The tree's published properties and events, as form files read and
// write them, with the identifiers of its enumerations.
#include "ElTree.hpp"
#include "Streaming.hpp"

namespace {

template <class T, class E>
auto EventGetter(E T::*field) {
  return [field](T* c) { return c->*field; };
}
template <class T, class E>
auto EventSetter(E T::*field) {
  return [field](T* c, const E& e) { c->*field = e; };
}

void RegisterTreeEnums() {
  RegisterEnumNames<TSTSelModes>({"smSimple", "smUsual"});
  RegisterEnumNames<TElDblClickMode>({"dcmNone", "dcmExpand", "dcmEdit"});
  RegisterEnumNames<TElHintType>({"shtMainText", "shtHintOnly", "shtHintOrText"});
  RegisterEnumNames<TLineHintType>({"lhtMainTextOnly", "lhtCellTextOnly", "lhtSmart"});
  RegisterEnumNames<THintModes>({"shmNone", "shmLong", "shmAll"});
  RegisterEnumNames<TDragImgMode>({"dimNever", "dimOne", "dimAll"});
  RegisterEnumNames<TDragTargetDraw>({"ColorFrame", "ColorRect", "SelColorRect", "dtdNone", "dtdUpColorLine",
                                      "dtdDownColorLine", "dtdUpSelColorLine", "dtdDownSelColorLine"});
}

}  // namespace

void PublishTree() {
  RegisterTreeEnums();
  using C = TCustomElTree;
  Publish<C, TCustomControl>();
  Publish<TElTree, C>()
      .Property("ActiveBorderType", &C::ActiveBorderType, &C::SetActiveBorderType, fbtSunken)
      .Property("AlwaysKeepFocus", &C::AlwaysKeepFocus, &C::SetAlwaysKeepFocus, false)
      .Property("AlwaysKeepSelection", &C::AlwaysKeepSelection, &C::SetAlwaysKeepSelection, true)
      .Property("AutoCollapse", &C::AutoCollapse, &C::SetAutoCollapse, false)
      .Property("AutoExpand", &C::AutoExpand, &C::SetAutoExpand, false)
      .Property("AutoLineHeight", &C::AutoLineHeight, &C::SetAutoLineHeight, true)
      .Property("AutoLookup", &C::AutoLookup, &C::SetAutoLookup, false)
      .Property("AutoResizeColumns", &C::AutoResizeColumns, &C::SetAutoResizeColumns, true)
      .Property("AdjustMultilineHeight", &C::AdjustMultilineHeight, &C::SetAdjustMultilineHeight, true)
      .Property("BackgroundType", &C::BackgroundType, &C::SetBackgroundType, bgtColorFill)
      .Property("BarStyle", &C::BarStyle, &C::SetBarStyle, false)
      .Property("BarStyleVerticalLines", &C::BarStyleVerticalLines, &C::SetBarStyleVerticalLines, false)
      .Property("ChangeDelay", &C::ChangeDelay, &C::SetChangeDelay, 500)
      .Property("ChangeStateImage", &C::ChangeStateImage, &C::SetChangeStateImage, false)
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
      .Property("InactiveBorderType", &C::InactiveBorderType, &C::SetInactiveBorderType, fbtSunkenOuter)
      .Property("IncrementalSearch", &C::IncrementalSearch, &C::SetIncrementalSearch, false)
      .Property("InplaceEditorDelay", &C::InplaceEditorDelay, &C::SetInplaceEditorDelay, 500)
      .Property("ItemIndent", &C::ItemIndent, &C::SetItemIndent, 17)
      .Property("KeepSelectionWithinLevel", &C::KeepSelectionWithinLevel, &C::SetKeepSelectionWithinLevel, false)
      .Property("LineBorderActiveColor", &C::LineBorderActiveColor, &C::SetLineBorderActiveColor, TColor(0)).Idents(&ColorIdents)
      .Property("LineBorderInactiveColor", &C::LineBorderInactiveColor, &C::SetLineBorderInactiveColor, TColor(0)).Idents(&ColorIdents)
      .Property("LinesColor", &C::LinesColor, &C::SetLinesColor, clBtnFace).Idents(&ColorIdents)
      .Property("LinesStyle", &C::LinesStyle, &C::SetLinesStyle, psDot)
      .Property("LineHintColor", &C::LineHintColor, &C::SetLineHintColor, clWindow).Idents(&ColorIdents)
      .Property("LineHintMode", &C::LineHintMode, &C::SetLineHintMode, shmLong)
      .Property("LineHintTimeout", &C::LineHintTimeout, &C::SetLineHintTimeout, 3000)
      .Property("LineHintType", &C::LineHintType, &C::SetLineHintType, lhtSmart)
      .Property("LockHeaderHeight", &C::LockHeaderHeight, &C::SetLockHeaderHeight, false)
      .Property("MainTreeColumn", &C::MainTreeColumn, &C::SetMainTreeColumn, 0)
      .Property("MoveColumnOnDrag", &C::MoveColumnOnDrag, &C::SetMoveColumnOnDrag, false)
      .Property("MoveFocusOnCollapse", &C::MoveFocusOnCollapse, &C::SetMoveFocusOnCollapse, false)
      .Property("MouseFrameSelect", &C::MouseFrameSelect, &C::SetMouseFrameSelect, true)
      .Property("MultiSelect", &C::MultiSelect, &C::SetMultiSelect, true)
      .Property("MultiSelectLevel", &C::MultiSelectLevel, &C::SetMultiSelectLevel, -1)
      .Property("OwnerDrawByColumn", &C::OwnerDrawByColumn, &C::SetOwnerDrawByColumn, true)
      .Property("PlusMinusTransparent", &C::PlusMinusTransparent, &C::SetPlusMinusTransparent, false)
      .Property("QuickEditMode", &C::QuickEditMode, &C::SetQuickEditMode, false)
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
      .Property("StickyHeaderSections", &C::StickyHeaderSections, &C::SetStickyHeaderSections, false)
      .Property("StripedItems", &C::StripedItems, &C::SetStripedItems, false)
      .Property("Tracking", &C::Tracking, &C::SetTracking, true)
      .Property("TrackColor", &C::TrackColor, &C::SetTrackColor, clHighlight).Idents(&ColorIdents)
      .Property("UnderlineTracked", &C::UnderlineTracked, &C::SetUnderlineTracked, true)
      .Property("UseCustomScrollBars", &C::UseCustomScrollBars, &C::SetUseCustomScrollBars, true)
      .Property("VertDivLinesColor", &C::VertDivLinesColor, &C::SetVertDivLinesColor, clBtnFace).Idents(&ColorIdents)
      .Property("VerticalLines", &C::VerticalLines, &C::SetVerticalLines, false)
      .Property("VerticalLinesLong", &C::VerticalLinesLong, &C::SetVerticalLinesLong, true)
      .Property("UseSystemHintColors", &C::UseSystemHintColors, &C::SetUseSystemHintColors, false)
      .Property("TextColor", &C::TextColor, &C::SetTextColor, clWindowText).Idents(&ColorIdents)
      .Property("BkColor", &C::BkColor, &C::SetBkColor, clWindow).Idents(&ColorIdents)
      .Property("LinkColor", &C::LinkColor, &C::SetLinkColor, TColor(0xFF0000)).Idents(&ColorIdents)
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
                EventSetter(&C::OnAfterSelectionChange));
}
