// The multi-column tree control: its items (TElTreeItem), the item
// collection (TElTreeItems) with the item stream, the cell style
// (TElCellStyle), the inner view (TElTreeView) and the frame
// (TCustomElTree / TElTree).
//
// Besides the children lists, the tree keeps every item in one flat list in
// depth-first order (FAllItems); every structural change keeps that list in
// the order of the children lists, and each item knows how many descendants
// it has, so that a walk can step over a whole subtree at once.
//
// The items and the collection work without a window: everything here that
// changes what the view shows only flags the view and the tree, and the
// deferred work runs when the outermost update ends (SetUpdating).
//
// Files: ElTree.cpp (the frame's update counter, focus, counters and the
// event-firing operations), ElTreeView.cpp, ElTreeItem.cpp (item state),
// ElTreeItemStructure.cpp (links, deletion, moves, deep copy),
// ElTreeItemStream.cpp, ElTreeItems.cpp, ElTreeItemWalks.cpp,
// ElTreeCellStyle.cpp, ElTreeSortKeys.cpp, ElTreeCheck.cpp (the invariant
// checker), ElTreePaint.cpp (the paint pass), ElTreeScroll.cpp (rows moved
// by the bars, layout, scroll metrics, the frame), ElTreeLineHints.cpp,
// ElTreeGlyphs.cpp (the built-in buttons) and ElTreePendingOperations.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ComObj.hpp"
#include "ControlsDrag.hpp"
#include "ElDragDrop.hpp"
#include "ElHeader.hpp"
#include "ElHeaderSections.hpp"
#include "ElHintWindow.hpp"
#include "ElList.hpp"
#include "ElScrollBar.hpp"
#include "ElStrUtils.hpp"
#include "ElUnicodeStrings.hpp"
#include "ElVCLUtils.hpp"
#include "ElXPThemedControl.hpp"
#include "Forms.hpp"
#include "HTMLRender.hpp"
#include "StdCtrls.hpp"
#include "Thread.hpp"
#include "Variants.hpp"

class TCustomElTree;
class TElTreeItem;
class TElTreeItems;
class TElTreeView;
class TElCellStyle;
class TElCellControl;

// The in-place editors, the drag object and the search thread are declared
// in units of their own.
class TElTreeInplaceEditor;
class TElTreeInplaceManager;
class TElTreeDragObject;
class TSearchTextTimeoutThread;
class TElIniFile;
class TElImageForm;
class TImgFormChangeLink;
class TTimer;
class TElHook;

// ---------------------------------------------------------------------------
// Errors.

// The tree's strings in the control library's string table (ElConsts.rc).
enum : int {
  SElTreeItemIndexError = 65312,      // "ElTree item index out of bounds."
  SElTreeMoveToSubitemError = 65313,  // "Can't move Item to one of its subitems."
  SElTreeItemNotSpecified = 65314,    // "ElTree item not specified"
  SElTreeAssignSubtreeError = 65315,  // "Can't assign an item from its own subtree or ancestors."
  SElTreeStreamError = 65316,         // "Invalid tree item data in the stream: %s."
};

CLASSLIB_EXCEPTION(EElTreeError, Exception);

// ---------------------------------------------------------------------------
// The header's field types and section styles, as cells use them.

using TElFieldTypes = TSet<TElFieldType>;
constexpr Byte kElFieldTypeCount = sftMemo + 1;
constexpr Byte kElSectionStyleCount = ElhsPictureOnly + 1;

// ---------------------------------------------------------------------------
// Enumerations of the tree's properties.

enum TSortTypes : Byte { stCustom, stText, stNumber, stFloating, stDateTime, stDate, stTime, stBoolean, stCurrency };
enum TSortModes : Byte { smNone, smAdd, smClick, smAddClick };
enum TSortDirs : Byte { sdAscend, sdDescend };
enum TVirtualityLevel : Byte { vlNone, vlTextAndStyles };
enum TSTSelModes : Byte { smSimple, smUsual };
enum TElDblClickMode : Byte { dcmNone, dcmExpand, dcmEdit };
enum TElHintType : Byte { shtMainText, shtHintOnly, shtHintOrText };
enum TLineHintType : Byte { lhtMainTextOnly, lhtCellTextOnly, lhtSmart };
enum THintModes : Byte { shmNone, shmLong, shmAll };
enum TDragImgMode : Byte { dimNever, dimOne, dimAll };
enum TDragTargetDraw : Byte {
  ColorFrame, ColorRect, SelColorRect, dtdNone, dtdUpColorLine, dtdDownColorLine, dtdUpSelColorLine,
  dtdDownSelColorLine
};
enum TElDragType : Byte { dtOLE, dtNative, dtBoth };
using TDragTypes = TSet<TDragType>;

// Where a point lies on a row.
enum TSTItemPart : Byte { HitButton, HitText, HitCell, HitIndent, HitImage, HitImage2, HitCheckBox, HitNowhere };

// A horizontal span [Left, Right); an empty one holds nothing.
struct TElPartSpan {
  std::int32_t Left = 0;
  std::int32_t Right = 0;
  bool Contains(int x) const { return x >= Left && x < Right; }
};

// What changed in an item (OnItemChange).
enum TItemChangeMode : Byte { icmText = 0, icmState = 1, icmCheckState = 2, icmColumnText = 3 };

// An item's check box: CheckBoxType and CheckBoxState.
enum TElCheckBoxType : Byte { ectCheckBox = 0, ect3SCheckBox = 1, ectRadioButton = 2 };
enum TElCheckBoxState : Byte { ecbUnchecked = 0, ecbChecked = 1, ecbGrayed = 2 };

// An item's frame (BorderStyle).
enum TElItemBorderStyle : Byte { ibsNone = 0, ibsRaised = 1, ibsFlat = 2, ibsSunken = 3, ibsLine = 4 };

// Targets of the item's MoveToPosition (Item, Mode).
enum TElItemMoveMode : Byte {
  mmLastSibling = 0,   // last sibling of the item
  mmFirstSibling = 1,  // first sibling of the item (top level for nil)
  mmLastChild = 2,     // last child of the item
  mmFirstChild = 3,    // first child of the item
  mmBefore = 4         // just before the item (the first top-level place for nil)
};

// The tree's item states, in the order of its state set (DerivedState).
enum TSTIState : Byte { stsFocused, stsSelected, stsImageHighlighted, stsExpanded, stsBold, stsItalic, stsUnderlined, stsStrikeOut };
using TSTIStates = TSet<TSTIState>;

// State indexes of SetState: the item's State word has bit 1 shl index.
enum : int {
  siFocused = 1, siSelected = 2, siImageHighlighted = 3, siUnderlined = 4, siBold = 5, siItalic = 6,
  siExpanded = 7, siStrikeOut = 8
};
enum : Word {
  kStateFocused = 0x0002, kStateSelected = 0x0004, kStateImageHighlighted = 0x0008, kStateUnderlined = 0x0010,
  kStateBold = 0x0020, kStateItalic = 0x0040, kStateExpanded = 0x0080, kStateStrikeOut = 0x0100,
  kStateKnownBits = 0x01FE
};

// Flags bits of an item.
enum : Cardinal {
  ifParentColors = 0x000001, ifParentStyle = 0x000002, ifNoTreeLines = 0x000004, ifImageDrawn = 0x000008,
  ifImage2Drawn = 0x000010, ifAlwaysButton = 0x000020, ifLineThroughRow = 0x000040, ifGridLineBelow = 0x000080,
  ifReserved = 0x000100, ifInplaceEditable = 0x000200, ifUseBkColor = 0x000400, ifDeleting = 0x000800,
  ifUseStyles = 0x001000, ifMultiline = 0x002000, ifHidden = 0x004000, ifEnabled = 0x008000,
  ifNoButton = 0x010000, ifCheckBoxActive = 0x020000, ifShowCheckBox = 0x040000, ifIsHTML = 0x080000,
  ifTreeLineHeight = 0x100000, ifSorting = 0x200000, ifHTMLPrepared = 0x400000,
  // A new item's flags.
  ifDefault = 0x00128783,
  // Bits that describe a passing moment, never stored.
  ifTransient = ifDeleting | ifSorting | ifImageDrawn | ifImage2Drawn | ifHTMLPrepared,
};

// Sort key kinds (an item's SortValueKind).
enum : std::int32_t { skNone = -1, skInteger = 0, skBoolean = 1, skDouble = 3, skText = 4, skCurrency = 12 };

// The deepest nesting the item stream reads; a deeper record is damaged.
constexpr int kElTreeStreamMaxDepth = 1000;
// The version the item stream writes.
constexpr std::int32_t kElTreeStreamVersion = -13;

// ---------------------------------------------------------------------------
// Events.

using TOnItemExpanding = TEvent<TObject*, TElTreeItem*, bool&>;
using TOnItemExpandEvent = TEvent<TObject*, TElTreeItem*>;
using TItemSelChangeEvent = TEvent<TObject*, TElTreeItem*>;
using TOnCompareItems = TEvent<TObject*, TElTreeItem*, TElTreeItem*, int&>;
using TOnItemDrawEvent = TEvent<TObject*, TElTreeItem*, TCanvas*, TRect, int>;
using TElTreeItemPostDrawEvent = TEvent<TObject*, TCanvas*, TElTreeItem*, TRect, bool&>;
// Sender, Item, PartIndex, out Size (x the width, y the height).
using TMeasureItemPartEvent = TEvent<TObject*, TElTreeItem*, int, TPoint&>;
using TOnPicDrawEvent = TEvent<TObject*, TElTreeItem*, int&>;
// Sender, the bar's kind, the scroll code.
using TElTreeScrollEvent = TEvent<TObject*, TScrollBarKind, TElScrollCode>;
using TElTreeChangingEvent = TEvent<TObject*, TElTreeItem*, bool&>;
using TOnItemChangeEvent = TEvent<TObject*, TElTreeItem*, TItemChangeMode>;
using TOnItemCheckedEvent = TEvent<TObject*, TElTreeItem*>;
using THotTrackEvent = TEvent<TObject*, TElTreeItem*, TElTreeItem*>;
// Sender, Item, Section, var Text, HintWindow, MousePos, var DoShowHint.
using TOnShowHintEvent = TEvent<TObject*, TElTreeItem*, TElHeaderSection*, TElFString&, TElHintWindow*, TPoint, bool&>;
using TItemSaveEvent = TEvent<TObject*, TStream*, TElTreeItem*>;
using TCellStyleSaveEvent = TEvent<TObject*, TStream*, TElCellStyle*>;
using TElTreeItemDragTargetEvent = TEvent<TObject*, TElTreeItem*, TRect, int, int>;
using TTryEditEvent = TEvent<TObject*, TElTreeItem*, int, TElFieldType&, bool&>;
using TInplaceEditorNeededEvent = TEvent<TObject*, TElTreeItem*, int, TElFieldType, TElTreeInplaceEditor*&>;
using TColumnNotifyEvent = TEvent<TObject*, int>;
// The header's events the tree passes on: TElSectionRedrawEvent (its Sender
// is the header), TElHeaderLookupEvent, TElHeaderLookupDoneEvent and
// TMeasureSectionEvent are the header's own.
using TElColumnMoveEvent = TEvent<TObject*, TElHeaderSection*, int, int>;
using THeaderSectionEvent = TElSectionEvent;
using TElHTMLLinkClickEvent = TEvent<TObject*, const TElFString&>;
using TVirtualTextNeededEvent = TEvent<TObject*, TElTreeItem*, int, TElFString&>;
using TVirtualHintNeededEvent = TEvent<TObject*, TElTreeItem*, TElFString&>;
// Sender, Item, SectionIndex, VarType (the key kind wanted), out Value.
using TVirtualValueNeededEvent = TEvent<TObject*, TElTreeItem*, int, int, Variant&>;
using TVirtualStyleNeededEvent = TEvent<TObject*, TElTreeItem*, int, TElCellStyle*>;
// Sender, out data object, out drop source, out allowed effects.
using TOleDragStartEvent = TEvent<TObject*, TComPtr<IDataObject>&, TComPtr<IDropSource>&, TDragTypes&>;
// Sender, the effect as a drag type, the result of the drag loop.
using TOleDragFinishEvent = TEvent<TObject*, TDragType, HRESULT>;
// The unpublished notifications of the tree: two and four arguments after
// Sender, and the view's end of a drag (Target, X, Y).
using TElTreePrivateNotifyEvent = TEvent<TObject*, int, int>;
using TElTreePrivateMouseEvent = TEvent<TObject*, int, int, int, int>;
using TElTreeEndDragEvent = TEvent<TObject*, TObject*, int, int>;

// A walk's callback: Item, Index, var Continue, Data, Tree.
using TElIterateProc = std::function<void(TElTreeItem*, int, bool&, void*, TCustomElTree*)>;
// A search's test: Item, ProcData; true is a match.
using TElLookupCompareProc = std::function<bool(TElTreeItem*, void*)>;

// The item class of a collection: makes an item of the class for a tree.
using TElTreeItemClass = TElTreeItem* (*)(TCustomElTree* owner);
template <class T>
TElTreeItem* CreateElTreeItem(TCustomElTree* owner) {
  return new T(owner);
}

// ---------------------------------------------------------------------------
// The control a cell style may carry for its cell. The view hands it the
// mouse while the style's UseTreeLook is clear; coordinates are relative to
// the cell.
class TElCellControl : public TPersistent {
 public:
  TElCellControl() = default;
  ~TElCellControl() override;

  // The style whose cell shows the control (set by TElCellStyle::SetControl).
  TElCellStyle* Owner() const { return FOwner; }
  void SetOwner(TElCellStyle* value) { FOwner = value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* value) { FPopupMenu = value; }
  // The frame the control keeps inside its cell.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value) { FBorderWidth = value; }

  virtual void TriggerMouseDown(TMouseButton button, TShiftState shift, int x, int y) = 0;
  // x = y = -1: the button came up elsewhere.
  virtual void TriggerMouseUp(TMouseButton button, TShiftState shift, int x, int y) = 0;
  virtual void TriggerMouseMove(TShiftState shift, int x, int y) = 0;
  virtual void TriggerDblClick() = 0;
  // Asked right after a press: false ends the view's handling of it.
  virtual bool PassClicks() = 0;
  // Called after a click that began on the control ended on it.
  virtual void Activate() = 0;
  virtual void Paint(TCanvas* canvas, const TRect& r) = 0;

 protected:
  TElCellStyle* FOwner = nullptr;
  bool FEnabled = true;
  TPopupMenu* FPopupMenu = nullptr;
  int FBorderWidth = 0;
};

// ---------------------------------------------------------------------------
// The look of one cell, owned by its item (or, in virtual mode, shared by
// the view).
class TElCellStyle : public TObject {
 public:
  // Text drawing flags of a new style: DT_SINGLELINE | DT_VCENTER |
  // DT_NOPREFIX | DT_END_ELLIPSIS.
  static constexpr std::int32_t kDefaultTextFlags = 0x8824;

  explicit TElCellStyle(TElTreeItem* owner);
  ~TElCellStyle() override;

  // Copies everything but Owner, Control and StyleValue; nil does nothing.
  void Assign(TElCellStyle* source);
  // Frees the old control (when the owner's tree exists and keeps its own
  // data), gives the new one this style as its cell, repaints the owner.
  void SetControl(TElCellControl* control);
  TElCellControl* Control() const { return FControl; }
  // Repaints the owner item, if any.
  void RedrawOwner();

  TElTreeItem* Owner() const { return FOwner; }
  std::int32_t StyleValue() const { return FStyleValue; }
  void SetStyleValue(std::int32_t value) { FStyleValue = value; }
  TColor CellBkColor() const { return FCellBkColor; }
  void SetCellBkColor(TColor value) { SetLook(FCellBkColor, value); }
  TColor TextBkColor() const { return FTextBkColor; }
  void SetTextBkColor(TColor value) { SetLook(FTextBkColor, value); }
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor value) { SetLook(FTextColor, value); }
  std::int32_t TextFlags() const { return FTextFlags; }
  void SetTextFlags(std::int32_t value) { SetLook(FTextFlags, value); }
  TBitmap* Picture() const { return FPicture; }
  void SetPicture(TBitmap* value) { SetLook(FPicture, value); }
  TElFieldType CellType() const { return FCellType; }
  void SetCellType(TElFieldType value) { FCellType = value; }
  TElSectionStyle Style() const { return FStyle; }
  void SetStyle(TElSectionStyle value) { SetLook(FStyle, value); }
  bool UseTreeLook() const { return FUseTreeLook; }
  void SetUseTreeLook(bool value) { SetLook(FUseTreeLook, value); }
  std::int32_t FontSize() const { return FFontSize; }
  void SetFontSize(std::int32_t value) { SetLook(FFontSize, value); }
  TFontStyles FontStyles() const { return FFontStyles; }
  void SetFontStyles(TFontStyles value) { SetLook(FFontStyles, value); }
  const AnsiString& FontName() const { return FFontName; }
  void SetFontName(const AnsiString& value) { SetLook(FFontName, value); }
  bool UseBkColor() const { return FUseBkColor; }
  void SetUseBkColor(bool value) { SetLook(FUseBkColor, value); }

 private:
  friend class TElTreeItem;
  friend class TElCellControl;

  template <class T>
  void SetLook(T& field, const T& value) {
    if (field == value) return;
    field = value;
    RedrawOwner();
  }

  std::int32_t FStyleValue = 0;
  TElTreeItem* FOwner;
  TColor FCellBkColor = 0;
  TColor FTextBkColor = 0;
  TColor FTextColor = 0;
  std::int32_t FTextFlags = kDefaultTextFlags;
  TBitmap* FPicture = nullptr;
  TElFieldType FCellType = sftText;
  TElSectionStyle FStyle = ElhsText;
  bool FUseTreeLook = false;
  std::int32_t FFontSize = 0;
  TFontStyles FFontStyles;
  AnsiString FFontName;
  TElCellControl* FControl = nullptr;
  bool FUseBkColor = false;
};

// The texts and styles an item keeps itself (absent in virtual mode).
struct TElTreeItemStaticData {
  TElTreeItemStaticData();
  ~TElTreeItemStaticData();
  TElTreeItemStaticData(const TElTreeItemStaticData&) = delete;
  TElTreeItemStaticData& operator=(const TElTreeItemStaticData&) = delete;

  TElFString Text;
  std::unique_ptr<TElWideStringList> ColumnText;
  TElFString Hint;
  std::unique_ptr<TElCellStyle> MainStyle;
  // Created on the first added style; frees its entries.
  std::unique_ptr<TElList> Styles;
};

// The text of a sort key: the UTF-16 copy of a text sort or the 8-bit copy
// of a custom one.
struct TElSortKeyText {
  bool IsWide = true;
  TElFString Wide;
  AnsiString Ansi;
};

// ---------------------------------------------------------------------------
// One node of the tree.
class TElTreeItem : public TPersistent {
 public:
  // Made only by the collection, through its item class.
  explicit TElTreeItem(TCustomElTree* owner);
  ~TElTreeItem() override;

  // ---- operations in slot order
  // Deep copy of another item: data, look and the whole subtree.
  void Assign(TPersistent* source) override;
  virtual TElFString GetHint();
  virtual void SetText(const TElFString& value);
  virtual void SetRowBkColor(TColor value);
  virtual void SetMultiline(bool value);
  // The main cell's measured width.
  virtual int GetWidth();
  virtual void ReadData(TStream* stream);
  virtual void WriteData(TStream* stream);
  // Asks the collection to delete this item with its subtree.
  virtual void Delete();
  // The item before / after this one in depth-first order, nil at the ends.
  virtual TElTreeItem* GetPrev();
  virtual TElTreeItem* GetNext();
  virtual void MoveToPosition(TElTreeItem* item, TElItemMoveMode mode);
  virtual TElCellStyle* AddStyle();
  virtual void RemoveStyle(TElCellStyle* style);

  // ---- tree and links
  TCustomElTree* Owner() const { return FOwner; }
  TCustomElTree* TreeView() const { return FOwner; }
  TElTreeItems* Items() const { return FList; }
  // Nil for top-level items (the hidden root is never answered).
  TElTreeItem* Parent() const;
  TElTreeItem* Root() const { return FRoot; }
  bool IsRoot() const { return FRoot == this; }
  int Level() const;
  // The position among the parent's children; -1 without a parent.
  int Index() const;
  // The position in depth-first order; -1 for the hidden root.
  int AbsoluteIndex() const;
  // Among the visible rows; -1 when not shown.
  int VisIndex() const;
  TElTreeItem* LastDescendant() const;
  // How many items the subtree holds below this item.
  int DescendantCount() const { return FDescendants; }
  bool FullyExpanded() const;
  bool FullyVisible() const;
  bool IsDescendantOf(TElTreeItem* item) const;

  // ---- navigation
  TElTreeItem* GetFirstChild() const;
  TElTreeItem* GetLastChild() const;
  TElTreeItem* GetChild(int index) const;
  TElTreeItem* GetNextChild(TElTreeItem* child) const;
  TElTreeItem* GetPrevChild(TElTreeItem* child) const;
  TElTreeItem* GetNextSibling() const;
  TElTreeItem* GetPrevSibling() const;
  TElTreeItem* GetFirstVisibleChild() const;
  TElTreeItem* GetTopLevelItem() const;
  int ChildrenCount() const { return FChildren ? FChildren->Count() : 0; }
  bool HasChildren() const { return ChildrenCount() > 0; }
  bool HasVisibleChildren() const;

  // ---- texts
  TElFString GetText();
  TElFString Text() { return GetText(); }
  // Nil without static data.
  TElWideStrings* ColumnText() const;
  TElFString Hint() { return GetHint(); }
  void SetHint(const TElFString& value);
  bool HasStaticData() const { return FStaticData != nullptr; }

  // ---- state
  void SetState(int index, bool value);
  Word State() const { return FState; }
  TSTIStates DerivedState() const { return TSTIStates::FromBits(FDerivedState); }
  bool GetSelected() const { return (FState & kStateSelected) != 0; }
  bool Selected() const { return GetSelected(); }
  void SetSelected(bool value);
  bool Focused() const { return (FState & kStateFocused) != 0; }
  void SetFocused(bool value) { SetState(siFocused, value); }
  bool GetExpanded() const { return (FState & kStateExpanded) != 0; }
  bool Expanded() const { return GetExpanded(); }
  void SetExpanded(bool value);
  void Expand(bool recursive);
  void Collapse(bool recursive);
  void ExpandAllParents(bool value);
  void MakeVisible();
  bool ImageHighlighted() const { return (FState & kStateImageHighlighted) != 0; }
  void SetImageHighlighted(bool value) { SetState(siImageHighlighted, value); }
  bool Bold() const { return (FState & kStateBold) != 0; }
  void SetBold(bool value) { SetState(siBold, value); }
  bool Italic() const { return (FState & kStateItalic) != 0; }
  void SetItalic(bool value) { SetState(siItalic, value); }
  bool Underlined() const { return (FState & kStateUnderlined) != 0; }
  void SetUnderlined(bool value) { SetState(siUnderlined, value); }
  bool StrikeOut() const { return (FState & kStateStrikeOut) != 0; }
  void SetStrikeOut(bool value) { SetState(siStrikeOut, value); }

  // ---- check box
  TElCheckBoxState CheckBoxState() const { return static_cast<TElCheckBoxState>(FCheckBoxState); }
  void SetCheckBoxState(TElCheckBoxState value);
  TElCheckBoxType CheckBoxType() const { return static_cast<TElCheckBoxType>(FCheckBoxType); }
  void SetCheckBoxType(TElCheckBoxType value);
  bool Checked() const { return FCheckBoxState == ecbChecked; }
  void SetChecked(bool value);

  // ---- flags, one property each
  Cardinal Flags() const { return FFlags; }
  bool ParentColors() const { return HasFlag(ifParentColors); }
  void SetParentColors(bool value) { SetLookFlag(ifParentColors, value); }
  bool ParentStyle() const { return HasFlag(ifParentStyle); }
  void SetParentStyle(bool value) { SetLookFlag(ifParentStyle, value); }
  bool NoTreeLines() const { return HasFlag(ifNoTreeLines); }
  void SetNoTreeLines(bool value) { SetLookFlag(ifNoTreeLines, value); }
  // Written by painting, read by hit testing; no repaint.
  bool ImageDrawn() const { return HasFlag(ifImageDrawn); }
  void SetImageDrawn(bool value) { PutFlag(ifImageDrawn, value); }
  bool Image2Drawn() const { return HasFlag(ifImage2Drawn); }
  void SetImage2Drawn(bool value) { PutFlag(ifImage2Drawn, value); }
  bool AlwaysButton() const { return HasFlag(ifAlwaysButton); }
  void SetAlwaysButton(bool value) { SetLookFlag(ifAlwaysButton, value); }
  bool LineThroughRow() const { return HasFlag(ifLineThroughRow); }
  void SetLineThroughRow(bool value) { SetLookFlag(ifLineThroughRow, value); }
  bool GridLineBelow() const { return HasFlag(ifGridLineBelow); }
  void SetGridLineBelow(bool value) { SetLookFlag(ifGridLineBelow, value); }
  bool InplaceEditable() const { return HasFlag(ifInplaceEditable); }
  void SetInplaceEditable(bool value) { PutFlag(ifInplaceEditable, value); }
  bool UseBkColor() const { return HasFlag(ifUseBkColor); }
  void SetUseBkColor(bool value) { SetLookFlag(ifUseBkColor, value); }
  bool Deleting() const { return HasFlag(ifDeleting); }
  bool UseStyles() const { return HasFlag(ifUseStyles); }
  void SetUseStyles(bool value);
  bool Multiline() const { return HasFlag(ifMultiline); }
  bool Hidden() const { return HasFlag(ifHidden); }
  void SetHidden(bool value);
  bool Enabled() const { return HasFlag(ifEnabled); }
  void SetEnabled(bool value) { SetLookFlag(ifEnabled, value); }
  bool NoButton() const { return HasFlag(ifNoButton); }
  void SetNoButton(bool value) { SetLookFlag(ifNoButton, value); }
  bool CheckBoxActive() const { return HasFlag(ifCheckBoxActive); }
  void SetCheckBoxActive(bool value) { SetCheckBoxFlag(ifCheckBoxActive, value); }
  bool ShowCheckBox() const { return HasFlag(ifShowCheckBox); }
  void SetShowCheckBox(bool value);
  bool IsHTML() const { return HasFlag(ifIsHTML); }
  void SetIsHTML(bool value);
  bool TreeLineHeight() const { return HasFlag(ifTreeLineHeight); }
  void SetTreeLineHeight(bool value);
  bool Sorting() const { return HasFlag(ifSorting); }
  void SetSorting(bool value) { PutFlag(ifSorting, value); }
  bool HTMLPrepared() const { return HasFlag(ifHTMLPrepared); }

  // ---- images and look
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  int StateImageIndex() const { return FStateImageIndex; }
  void SetStateImageIndex(int value);
  int ImageIndex2() const { return FImageIndex2; }
  void SetImageIndex2(int value);
  int StateImageIndex2() const { return FStateImageIndex2; }
  void SetStateImageIndex2(int value);
  std::int8_t OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(std::int8_t value);
  std::int8_t OverlayIndex2() const { return FOverlayIndex2; }
  void SetOverlayIndex2(std::int8_t value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor value);
  TColor RowBkColor() const { return FRowBkColor; }
  TColor LineThroughColor() const { return FLineThroughColor; }
  void SetLineThroughColor(TColor value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TElItemBorderStyle BorderStyle() const { return static_cast<TElItemBorderStyle>(FBorderStyle); }
  void SetBorderStyle(TElItemBorderStyle value);
  int Indent() const { return FIndent; }
  void SetIndent(int value);
  int TextLeft() const { return FTextLeft; }
  int TextRight() const { return FTextRight; }
  void SetTextSpan(int left, int right) { FTextLeft = left; FTextRight = right; }
  // Where the last paint drew the button, check box and images (HitButton,
  // HitCheckBox, HitImage, HitImage2), in tree coordinates as the text span.
  TElPartSpan PartSpan(TSTItemPart part) const {
    const int slot = PartSlot(part);
    return slot < 0 ? TElPartSpan{} : FPartSpans[slot];
  }
  void SetPartSpan(TSTItemPart part, int left, int right) {
    const int slot = PartSlot(part);
    if (slot >= 0) FPartSpans[slot] = TElPartSpan{left, right};
  }
  void ClearPartSpans() {
    for (TElPartSpan& span : FPartSpans) span = TElPartSpan{};
  }

  // ---- heights
  // The row height (see the height rule in ElTreeItem.cpp).
  int GetHeight();
  int Height() { return GetHeight(); }
  Word OwnHeight() const { return FOwnHeight; }
  void SetOwnHeight(Word value);
  Word HeightCache() const { return FHeightCache; }
  bool UsesDefaultHeight() const;
  // Expanded items only: the rows of the children that are not Hidden, each
  // with its own subtree when it is expanded.
  int SubTreeHeight();

  // ---- caller data
  void* Data() const { return FData; }
  void SetData(void* value) { FData = value; }
  TObject* ObjectData() const { return FObjectData; }
  void SetObjectData(TObject* value) { FObjectData = value; }
  const TComPtr<IUnknown>& DataInterface() const { return FDataInterface; }
  void SetDataInterface(const TComPtr<IUnknown>& value) { FDataInterface = value; }
  std::int32_t Tag() const { return FTag; }
  void SetTag(std::int32_t value) { FTag = value; }

  // ---- HTML
  TElHTMLData* HTMLData() const { return FHTMLData; }
  // The prepared rendering of a column text, nil when it is not HTML.
  TElHTMLData* ColumnHTMLData(int index) const;
  // Prepares the HTML data again (after a change of the tree's link look).
  void ReRenderAllHTMLTexts();

  // ---- styles
  TElCellStyle* MainStyle() const;
  // Takes a new style into the item's list (which frees its styles).
  TElCellStyle* AppendStyle(std::unique_ptr<TElCellStyle> style);
  int StylesCount() const;
  TElCellStyle* GetStyle(int index) const;

  // ---- structure
  void DeleteChild(TElTreeItem* child);
  void DeleteChildren();
  void MoveTo(TElTreeItem* newParent);
  void MoveToPosition(TElTreeItem* newParent, int index);
  void SortChildren(bool recursive);
  void RepaintItem() { UpdateItem(); }

  // ---- the sort-key cache, used by the sort
  std::int32_t SortValueKind() const { return FSortValueKind; }
  std::int32_t SortRefCount() const { return FSortRefCount; }
  // Makes the key for the section and sort type, or adds a use to the key
  // that exists; in virtual mode the key comes from the tree's virtual
  // events.
  void AcquireSortKey(int section, TSortTypes sortType);
  // Drops a use; the last one frees the value and leaves no key.
  void ReleaseSortKey();
  // Sets the key (a use count of 1); the sort builds text keys with these.
  void SetSortKeyInteger(std::int32_t value, std::int32_t kind = skInteger);
  void SetSortKeyDouble(double value);
  void SetSortKeyText(const TElFString& wide, const AnsiString& ansi, bool isWide);
  void SetSortKeyCurrency(Int64 tenThousandths);
  std::int32_t SortKeyInteger() const;
  double SortKeyDouble() const;
  // The UTF-16 or the 8-bit copy, as the key was made.
  bool SortKeyIsWide() const;
  const TElFString& SortKeyWideText() const;
  const AnsiString& SortKeyAnsiText() const;
  Int64 SortKeyCurrency() const;

 protected:
  friend class TElTreeItems;
  friend class TCustomElTree;
  friend class TElTreeView;
  friend class TElTreeInvariants;
  friend class TElCellStyle;

  // Repaints the row, or flags the tree to do it at the end of the update.
  void UpdateItem();
  // Repaints one cell's span of the row.
  void UpdateItemCell(int sectionIndex);

  bool HasFlag(Cardinal bit) const { return (FFlags & bit) != 0; }
  // Sets or clears bits, keeping the tree's counters in step.
  void ChangeFlags(Cardinal mask, bool value);
  void PutFlag(Cardinal bit, bool value) { ChangeFlags(bit, value); }
  void SetLookFlag(Cardinal bit, bool value);
  void SetCheckBoxFlag(Cardinal bit, bool value);
  void SetImageField(std::int32_t& field, int value);
  void SetStateWord(Word value);
  // This item's share of the tree's variable-height and hidden counts.
  int MultiLineContribution() const;
  int HiddenContribution() const { return HasFlag(ifHidden) ? 1 : 0; }
  bool Linked() const { return FParent != nullptr; }

  // Children at the end or at an index, placed in FAllItems.
  int AddChild(TElTreeItem* child);
  int InsertChild(int index, TElTreeItem* child);
  void PlaceInAllItems(int pos, TElTreeItem* child);
  // Links a new child: parent, root, collection, static data, counters.
  void LinkChild(TElTreeItem* child);
  // Whether a leaf child of this item is one of the tree's rows.
  bool ChildIsRow(const TElTreeItem* child) const;
  void CreateStaticData();
  void FreeStaticData();
  TElWideStringList* ColumnTextList() const;
  void OnColumnTextChange(TObject* sender);

  // HTML preparation.
  void PrepareHTML();
  void PrepareMainHTML();
  void PrepareColumnHTML();
  void FreeMainHTML();
  void FreeColumnHTML();
  TElHTMLData* RenderHTML(const TElFString& text);
  void DestroyHTMLData(TElHTMLData* data);
  void ColumnHTMLDataDeleted(TObject* sender, void* item);

  // Tree-wide effects of a change.
  bool TreeUpdating() const;
  void ResetTopRowWhenShown();
  void TextChangeSort();
  // The copy's steps.
  void AssignLook(TElTreeItem* source);
  void AssignStyles(TElTreeItem* source);
  void AssignChildren(TElTreeItem* source);
  void FreeSortValue();

  // The stream's steps.
  void ReadState(TStream* stream, std::int32_t version);
  void ReadStyles(TStream* stream, std::int32_t version);
  void ReadStyle(TStream* stream, TElCellStyle* style, bool byHandler);
  void WriteState(TStream* stream);
  void WriteStyles(TStream* stream);
  void WriteStyle(TStream* stream, TElCellStyle* style, bool byHandler);
  void ReadRecord(TStream* stream);
  void ReadChildren(TStream* stream);
  // Sets the whole flags word, keeping the counters in step; IsHTML and the
  // passing bits stay as they are.
  void SetFlagsWord(Cardinal flags);
  void StoreFlags(Cardinal flags);

  // ---- fields, in the order of the item's data
  TElHTMLData* FHTMLData = nullptr;
  std::unique_ptr<TElArray> FColumnHTMLData;
  std::int32_t FTag = 0;
  TObject* FObjectData = nullptr;
  TComPtr<IUnknown> FDataInterface;
  void* FSortValue = nullptr;
  std::int32_t FSortValueKind = skNone;
  std::int32_t FSortRefCount = 0;
  TElTreeItemStaticData* FStaticData = nullptr;
  Byte FBorderStyle = ibsNone;
  Word FHeightCache = 0xFFFF;
  Word FOwnHeight = 0;
  Byte FCheckBoxState = ecbUnchecked;
  Byte FCheckBoxType = ectCheckBox;
  Word FState = 0;
  Byte FDerivedState = 0;
  TElList* FChildren = nullptr;
  TCustomElTree* FOwner;
  TElTreeItems* FList = nullptr;
  void* FData = nullptr;
  TColor FRowBkColor = 0;
  TColor FColor = 0;
  TColor FBkColor = 0;
  TColor FLineThroughColor = 0;
  Cardinal FFlags = ifDefault;
  std::int32_t FTextLeft = 0;
  std::int32_t FTextRight = 0;
  TElPartSpan FPartSpans[4];
  static int PartSlot(TSTItemPart part) {
    switch (part) {
      case HitButton: return 0;
      case HitCheckBox: return 1;
      case HitImage: return 2;
      case HitImage2: return 3;
      default: return -1;
    }
  }
  std::int32_t FImageIndex = -1;
  std::int32_t FStateImageIndex = -1;
  std::int32_t FImageIndex2 = -1;
  std::int32_t FStateImageIndex2 = -1;
  TElTreeItem* FParent = nullptr;
  TElTreeItem* FRoot = nullptr;
  std::int32_t FIndent = 0;
  TColor FBorderColor = clWindow;
  std::int8_t FOverlayIndex = -1;
  std::int8_t FOverlayIndex2 = -1;
  // The number of items below this one, and where it last stood in
  // FAllItems (checked before it is trusted).
  std::int32_t FDescendants = 0;
  mutable std::int32_t FIndexHint = -1;
};

// ---------------------------------------------------------------------------
// The collection: the only maker of items, owner of the hidden root, and the
// numbering, walks, searches and streams over them.
class TElTreeItems : public TPersistent {
 public:
  // The virtual constructor; the item class defaults to TElTreeItem.
  explicit TElTreeItems(TCustomElTree* owner);
  TElTreeItems(TCustomElTree* owner, TElTreeItemClass itemClass);
  ~TElTreeItems() override;

  // ---- operations in slot order
  void DefineProperties(TFiler* filer) override;
  void Assign(TPersistent* source) override;
  virtual void LoadFromStream(TStream* stream);
  virtual void SaveToStream(TStream* stream);
  virtual TElTreeItem* CreateItem(TCustomElTree* owner);
  virtual TElTreeItem* AddLastSibling(TElTreeItem* item, const TElFString& text);
  virtual TElTreeItem* AddLastChild(TElTreeItem* item, const TElFString& text);
  virtual TElTreeItem* AddFirstChild(TElTreeItem* item, const TElFString& text);
  virtual TElTreeItem* AddLastChildWithData(TElTreeItem* item, const TElFString& text, void* data);
  virtual TElTreeItem* AddFirstChildWithData(TElTreeItem* item, const TElFString& text, void* data);
  virtual TElTreeItem* AddFirstSibling(TElTreeItem* item, const TElFString& text);
  virtual TElTreeItem* AddLastSiblingWithData(TElTreeItem* item, const TElFString& text, void* data);
  virtual TElTreeItem* AddFirstSiblingWithData(TElTreeItem* item, const TElFString& text, void* data);
  virtual TElTreeItem* InsertBefore(TElTreeItem* item, const TElFString& text);
  virtual TElTreeItem* InsertBeforeWithData(TElTreeItem* item, const TElFString& text, void* data);
  virtual TElTreeItem* InsertAfter(TElTreeItem* item, const TElFString& text);
  virtual TElTreeItem* InsertAfterWithData(TElTreeItem* item, const TElFString& text, void* data);
  virtual void DeleteItem(TElTreeItem* item);
  virtual void BeginUpdate();
  virtual void EndUpdate();

  // ---- items
  TCustomElTree* Owner() const { return FOwner; }
  TElTreeItem* Root() const { return FRoot; }
  TElTreeItemClass ItemClass() const { return FItemClass; }
  void SetItemClass(TElTreeItemClass value) { FItemClass = value ? value : &CreateElTreeItem<TElTreeItem>; }
  int Count() const;
  TElTreeItem* GetItem(int index) const;
  TElTreeItem* Item(int index) const { return GetItem(index); }
  TElTreeItem* GetFirstItem() const { return GetItem(0); }
  TElTreeItem* GetVisibleItem(int index) const;
  int GetVisibleIndex(TElTreeItem* item) const;
  int GetAbsoluteIndex(TElTreeItem* item) const;
  // The number of rows the tree shows (kept by the tree).
  int VisibleCount() const;

  TElTreeItem* AddItem(TElTreeItem* parent);
  TElTreeItem* InsertItem(int index, TElTreeItem* parent);
  void Clear();

  // ---- walks
  void Iterate(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data);
  void IterateFrom(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data,
                   TElTreeItem* startItem);
  void IterateBackward(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data);
  void IterateBackwardFrom(bool visibleOnly, bool includeCollapsed, const TElIterateProc& proc, void* data,
                           TElTreeItem* startItem);

  // ---- searches
  TElTreeItem* FindItem(TElTreeItem* startItem, const TElFString& text, void* data, int column, bool lookForData,
                        bool checkStartItem, bool subItemsOnly, bool visibleOnly, bool noCase);
  TElTreeItem* FindItemByProc(TElTreeItem* startItem, bool checkStartItem, bool subItemsOnly, bool visibleOnly,
                              bool includeCollapsed, void* procData, const TElLookupCompareProc& proc);

  // ---- lines
  void AssignFromLines(TPersistent* lines);
  void AddLine(int index, const TElFString& line);

  // Rewrites the FAllItems run of the item's subtree from its children
  // lists, after the children of one item were reordered in place.
  void RewriteSubtreeRun(TElTreeItem* item);

 protected:
  friend class TElTreeItem;
  friend class TCustomElTree;
  friend class TElTreeInvariants;

  void CreateRoot();
  TElTreeItem* MakeChild(TElTreeItem* parent, int index);
  // Whether an item is passed by a walk with these settings, and where the
  // walk goes after it.
  bool WalkSkipsSubtree(TElTreeItem* item, bool visibleOnly, bool includeCollapsed, bool& passItem) const;
  TElTreeItem* StartOfBlockedRun(TElTreeItem* item, bool visibleOnly, bool includeCollapsed,
                                 const std::vector<TElTreeItem*>& open, bool& passItem) const;
  TElFString CellText(TElTreeItem* item, int column) const;
  void ReadData(TStream* stream) { LoadFromStream(stream); }
  void WriteData(TStream* stream) { SaveToStream(stream); }

  TCustomElTree* FOwner;
  TElTreeItem* FRoot = nullptr;
  TElTreeItemClass FItemClass = &CreateElTreeItem<TElTreeItem>;
  // How deep the item stream being read is nested at the moment.
  int FReadDepth = 0;
};

// An update bracket of a tree: SetUpdating(True) now, SetUpdating(False)
// when the scope ends. The end-of-update work may raise; while another
// exception is already passing, its error is dropped so that the first one
// reaches the caller.
class TElTreeUpdateScope {
 public:
  explicit TElTreeUpdateScope(TCustomElTree* tree);
  ~TElTreeUpdateScope() noexcept(false);
  TElTreeUpdateScope(const TElTreeUpdateScope&) = delete;
  TElTreeUpdateScope& operator=(const TElTreeUpdateScope&) = delete;

 private:
  TCustomElTree* tree_;
  int exceptions_;
};

// ---------------------------------------------------------------------------
// What the tree's cell measuring asks of text: the extent of a text drawn
// with DrawText flags in a font. The tree measures with the system unless
// given another measurer.
class TElTreeTextMeasurer {
 public:
  virtual ~TElTreeTextMeasurer() = default;
  virtual TPoint TextExtent(const TElFString& text, TFont* font, UINT flags) = 0;
};

// ---------------------------------------------------------------------------
// Ends an incremental search after a pause in the typing: each pause that
// passes without a renewal (KeepAlive) ends the thread, whose OnTerminate
// then clears the search text in the user-interface thread. The thread frees
// itself after its end.
class TSearchTextTimeoutThread : public TThread {
 public:
  TSearchTextTimeoutThread();
  ~TSearchTextTimeoutThread() override;
  // False once the thread has left its wait: a renewal comes too late then.
  bool SetKeepAlive(bool value);
  bool GetKeepAlive();
  // Ends the wait at once (after Terminate).
  void Wake();

  // The pause in milliseconds (500); tests shorten it.
  static std::atomic<Cardinal> PauseMs;
  // Threads made and not yet freed, for tests that wait on their end.
  static std::atomic<int> Alive;

 protected:
  void Execute() override;

 private:
  CRITICAL_SECTION FLock;
  bool FKeepAlive = false;
  bool FLeft = false;
  HANDLE FWakeEvent = nullptr;
};

// ---------------------------------------------------------------------------
// The inner view: the rows on screen and the state of the pointer, the
// selection and the in-place edit. Painting and input are written apart.
class TElTreeView : public TCustomControl {
 public:
  explicit TElTreeView(TCustomElTree* tree);
  ~TElTreeView() override;
  void BeforeDestruction() override;

  // ---- operations in slot order
  // Rows of LineHeight that fit the view, a partial one counted.
  virtual int RowsThatFit();
  virtual void EditItem(TElTreeItem* item, int sectionNum);
  virtual void EndEdit(bool byCancel);
  virtual void EditorClosed(bool accepted);
  virtual void ApplyEdit(const TElFString& value);
  virtual void DragOverItem(TDragObject* source, int x, int y, bool& accept);
  virtual bool DragScrollStep(TDragObject* source, int x, int y);
  virtual TRect GetRowRect(int rowIndex);
  virtual TElTreeItem* GetItemAtY(int y);
  virtual TElTreeItem* GetItemAt(int x, int y, TSTItemPart& itemPart, int& hitColumn);
  virtual int FullRowsThatFit(int& remainder);
  virtual TElTreeItem* GetNextItem(Word key, int& row, bool& wasSelected);
  virtual void RequestEdit(TElTreeItem* item, int section, bool immediately);

  TCustomElTree* Tree() const { return FOwner; }
  TElList* VisibleRows() const { return FVisibleRows.get(); }
  TElHTMLRender* Render() const { return FRender.get(); }
  TElTreeItem* FocusedItem() const { return FFocused; }
  TElTreeItem* SelectedItem() const { return FSelected; }
  TElTreeItem* HotItem() const { return FTrackItem; }
  TElTreeItem* EditedItem() const { return FEditingItem; }
  TElTreeItem* PendingItem() const { return FPendingItem; }
  TElTreeItem* EditPendingItem() const { return FEditPendingItem; }
  TElTreeItem* TopItemCache() const { return FTopItem; }

  // ---- what items ask of the view
  // The cached top row is worked out afresh.
  void ClearTopRowCache() { FTopItem = nullptr; }
  // The rows on screen must be filled again.
  void FlagRows();
  // ... and counted again: which items are rows changed in a way the tree
  // did not count (expansion, filtering, a moved or copied subtree).
  void FlagRowList();
  // The vertical scroll range changed.
  void FlagVertical();
  // Rows, vertical and horizontal metrics and the content width; the count
  // of rows stays.
  void FlagFull();
  void FlagRepaint();
  // Refills the rows now when possible, else at the end of the update.
  void RecomputeRows();
  // Takes the item off the rows on screen.
  void RemoveVisibleRow(TElTreeItem* item);
  // Forgets every reference to an item that is going away.
  void ForgetItem(TElTreeItem* item);
  // Invalidates an item's row (or one cell of it) when it is on screen.
  void InvalidateItem(TElTreeItem* item, int sectionIndex);
  // Brings the window up to date with the flagged changes.
  void UpdateView();

  // ---- painting (ElTreePaint.cpp)
  // One paint pass over Rows with Origin as the horizontal scroll position;
  // the drag image is painted through it too.
  void DrawRows(TCanvas* canvas, int origin, TElList* rows);
  // The background under the rows: the image form, the picture or BkColor.
  void PaintBackground(TCanvas* canvas, const TRect& r);
  void UpdateBackgroundBitmap();
  TBitmap* BackgroundBitmap() const { return FBackgroundBitmap.get(); }
  // The widest item over every shown row, in tree coordinates.
  void UpdateLongestWidth();
  int LongestWidth() const { return FLongestWidth; }
  void BuildDragImages();
  TDragImageList* DragImages() const { return FDragImages; }

  // ---- line hints (ElTreeLineHints.cpp)
  // Starts the hint timer for a pointer resting at (X, Y).
  void ArmLineHint(int x, int y);
  // The timer's work: the hint of the cell at (X, Y), when it is wanted.
  void ShowLineHint(int x, int y);
  void OpenLineHint(TElTreeItem* item, TElHeaderSection* section, TElFString text);
  TElFString GetLineHintText(TElTreeItem* item, TElHeaderSection* section);
  void HideLineHint();
  TElTreeItem* LineHintItem() const { return FHintItem; }
  TElHintWindow* LineHintWindow() const { return FHintWnd; }

  // ---- rows and scrolling (ElTreeRows.cpp)
  // Rebuilds VisibleRows from a shown row on, until the view is full.
  void FillVisibleRows(int first);
  // Scrolls to a row (clamped); the rows are filled again when it moves.
  void SetTopIndex(int row);
  // Clamps the row and fills the rows from it whether it moved or not.
  void ApplyTopIndex(int row);
  // Scrolls sideways (clamped to the content width).
  void SetLeftPosition(int x);
  // The first row of the page that ends with the row, shown whole; the
  // last row, partly shown or not, of the page that starts with the row.
  int RowsAbove(int row);
  int RowsBelow(int row);
  // The largest top row.
  int LastTopRow();
  int TotalRowsHeight();
  // The item at a shown row, walked to from the kept top row's item.
  TElTreeItem* ItemOfRow(int row);
  // Whether the rows have heights of their own.
  bool VariableHeights() const;
  // The bars' scroll events.
  void HorzScrollHandler(TObject* sender, TElScrollCode code, int& scrollPos, bool& doChange);
  void VertScrollHandler(TObject* sender, TElScrollCode code, int& scrollPos, bool& doChange);
  // Either bar's scroll code moves the top row or the left position; the
  // tree reports it with OnScroll.
  void ScrollByCode(TScrollBarKind kind, TElScrollCode code, int scrollPos);
  // A wheel turn of wheelDelta with the system's lines-per-notch setting.
  void WheelScroll(int wheelDelta, UINT linesSetting);
  // The top row a page back or forward leads to.
  int PageTarget(bool forward);
  // Selects or deselects an item as a click or a focus move does.
  void ToggleSelection(TElTreeItem* item);

  // ---- incremental search (ElTreeSearch.cpp)
  // A typed character (Esc clears, Backspace shortens, other control
  // characters and the space are ignored): the first item in tree order whose
  // text starts with the search text, case ignored, is focused. The answer is
  // false: the key press goes on to its usual handling.
  bool SearchKey(char key);
  const AnsiString& SearchText() const { return FSearchText; }
  TSearchTextTimeoutThread* SearchThread() const { return FSearchThread; }

  // ---- hover and frame selection (ElTreeHover.cpp, ElTreeFrame.cpp)
  // What a mouse move does after the inherited handling: the cursor, the
  // drag or the frame while the left button is down, the hints and the hot
  // item.
  void Hover(int x, int y, TShiftState shift);
  // The item under Y becomes the hot item (nil while an editor is shown; a
  // disabled item counts as none); both rows repaint and OnHotTrack fires.
  void TrackHotItem(int y);
  // The pointer left the view: no hot item, no hint.
  void MouseLeft();
  bool FrameSelecting() const { return FFrameSelecting; }
  TElList* FrameItems() const { return FFrameItems.get(); }
  TElTreeItem* FrameStartItem() const { return FFrameStartItem; }
  TElTreeItem* FrameEndItem() const { return FFrameEndItem; }
  // Starts a frame with both corners at the press point: the selection is
  // cleared unless Ctrl is held, the mouse is captured.
  void FrameBegin(TShiftState shift);
  // Moves the frame's moving corner to a client point and selects what it
  // covers; a point outside the client area scrolls toward it instead.
  void FrameMoveTo(int x, int y);
  // Ends a running frame: erased, its list freed, the capture released.
  void FrameEnd();
  // A wheel turn while the frame runs: the view scrolls under it and the
  // moving corner is anchored again on the row under the pointer.
  void FrameWheel(int wheelDelta, int x, int y);
  // The frame in client coordinates, from its corner items' rows.
  TRect FrameBounds();
  // The cell control under a point that takes the mouse, with the point in
  // the cell's coordinates.
  TElCellControl* CellControlAt(int x, int y, TPoint& cellPoint);
  // The link of an HTML item's main text under a point.
  bool LinkAt(int x, int y, TElFString& href);
  // A move with the left button held starts a drag rather than a frame.
  bool DragWanted(int x, int y);

 protected:
  void MouseMove(TShiftState shift, int x, int y) override;
  // Toggles what entered and what left the frame since the last update.
  void UpdateFrameSelection();
  bool FrameCornerHitsItem(TElTreeItem* item, int dy);
  // Client top of an item's row; -1 when it is not on screen.
  int RowTop(TElTreeItem* item);
  // The inverting frame; drawing it twice erases it.
  void DrawFrame(bool show);
  void DrawFrameOn(HDC dc);
  // The end of a paint: a shown frame over what was painted.
  void PaintFrame(TCanvas* canvas);
  void SetFrameCorner(bool end, int x, int y);
  // An item going away: a frame whose corner it is ends; the frame's lists
  // drop it.
  void FrameForget(TElTreeItem* item);
  // The widths the frame compared, kept while it runs.
  std::unordered_map<TElTreeItem*, int> FFrameWidths;
  // While the selection is being toggled: the items still to toggle, so that
  // one deleted by a handler is skipped.
  std::vector<TElTreeItem*>* FFrameToggling = nullptr;
  std::unique_ptr<TElList>* FFrameNextItems = nullptr;
  // The rectangle drawn last, erased by drawing it again.
  TRect FFrameDrawn{};
  bool FFrameShown = false;

 public:
  // ---- drag and drop (ElTreeDrag.cpp)
  // Starts the selection's drag by the tree's DragType (a move asks
  // DragWanted first).
  void StartDrag();
  TElTreeItem* DropTarget() const { return FDropTrg; }
  bool DropAccepted() const { return FDropAcc; }
  bool DragEntered() const { return FDragEntered; }
  TTimer* DragScrollTimer() const { return FDragScrollTimer; }
  TTimer* DragExpandTimer() const { return FDragExpandTimer; }
  // The timers' ticks; the scroll tick reads the cursor's position.
  void DragScrollTick(TObject* sender);
  void DragExpandTick(TObject* sender);
  // An OLE drag over the view (client coordinates) and its end: leave or
  // drop stop the timers and clear the drop target.
  void OleDragOver(TDragState state, TDragObject* source, int x, int y, bool accepted);
  void OleDragEnded();

 protected:
  friend class TCustomElTree;
  friend class TElTreeItem;
  friend class TElTreeItems;
  friend class TElTreeInvariants;

  void KeyPress(char& key) override;
  // ---- drag and drop (ElTreeDrag.cpp)
  void DoStartDrag(TDragObject*& dragObject) override;
  void DoEndDrag(TObject* target, int x, int y) override;
  TDragImageList* GetDragImages() override;
  // CM_DRAG: the inherited answer, then the view's tracking.
  void DragMessage(TMessage& m);
  void StartOleDrag();
  // -1 near the top with rows above, 1 near the bottom with rows below.
  int DragScrollDirection(int y);
  void ScrollByDrag(int direction);
  void ExpandDropTarget();
  void SetDropTarget(TElTreeItem* item);
  void FreeDragTimer(TTimer*& timer);
  void HideDragImage();
  void ShowDragImage();
  // The image list of the class-library drag over the view.
  TDragImageList* FDragImageHolder = nullptr;
  void StartOrRenewSearchTimeout();
  void StopSearchThread();
  void SearchThreadTerminated(TObject* sender);

  TCustomElTree* FOwner;
  TElHeader* FHeader = nullptr;
  TElTreeItems* FItems = nullptr;
  TElCellStyle* FScratchStyle = nullptr;
  TTimer* FHintTimer = nullptr;
  TElHintWindow* FHintWnd = nullptr;
  int FHintX = 0;
  int FHintY = 0;
  TElTreeItem* FHintItem = nullptr;
  bool FPainting = false;
  bool FRowsChanged = false;
  bool FScrollChanged = false;
  bool FSizeChanged = false;
  bool FHorzChanged = false;
  int FLongestWidth = -1;
  TElTreeItem* FTrackItem = nullptr;
  TElTreeItem* FDropTrg = nullptr;
  std::unique_ptr<TElList> FVisibleRows;
  bool FRowBackgroundSet = false;
  bool FRowColourFromItem = false;
  bool FDropAcc = false;
  int FDragImageTop = 0;
  TDragImageList* FDragImages = nullptr;
  std::unique_ptr<TElHTMLRender> FRender;
  std::unique_ptr<TBitmap> FBackgroundBitmap;
  bool FHasFocus = false;
  // Input state.
  TElTreeItem* FShowHintItem = nullptr;
  int FPressX = 0;
  int FPressY = 0;
  bool FButtonDown = false;
  bool FFrameSelecting = false;
  bool FClickedOnce = false;
  TElCellControl* FActiveCellControl = nullptr;
  bool FDragStarted = false;
  bool FPendingSelect = false;
  TElTreeItem* FPendingItem = nullptr;
  TShiftState FPendingShift;
  int FClickSection = -1;
  TElTreeItem* FLastClickedItem = nullptr;
  TElTreeItem* FFocused = nullptr;
  TElTreeItem* FSelected = nullptr;
  TElTreeItem* FFrameStartItem = nullptr;
  int FFrameStartX = 0;
  int FFrameStartDY = 0;
  TElTreeItem* FFrameEndItem = nullptr;
  int FFrameEndX = 0;
  int FFrameEndDY = 0;
  std::unique_ptr<TElList> FFrameItems;
  TElTreeItem* FEditingItem = nullptr;
  TElTreeInplaceEditor* FActiveEditor = nullptr;
  int FEditSect = -1;
  TElTreeItem* FEditPendingItem = nullptr;
  TTimer* FEditTimer = nullptr;
  AnsiString FSearchText;
  TSearchTextTimeoutThread* FSearchThread = nullptr;
  TTimer* FDragScrollTimer = nullptr;
  TTimer* FDragExpandTimer = nullptr;
  bool FDragEntered = false;
  // The item of the top row, kept so that scrolling walks from it.
  TElTreeItem* FTopItem = nullptr;
  // The visible rows must be counted again at the end of the update.
  bool FRecountPending = false;
  bool FRepaintPending = false;

 public:
  // ---- keys, in-place edit start, hints, focus and paint messages
  // (ElTreeKeys.cpp, ElTreeEditStart.cpp)
  // What a key does after OnKeyDown, with the shift state given, so that
  // the keys work without a window too.
  void HandleKey(Word key, TShiftState shift);
  // The shown row after or before a shown item; nil at the ends.
  TElTreeItem* RowAfter(TElTreeItem* item);
  TElTreeItem* RowBefore(TElTreeItem* item);
  TTimer* EditTimer() const { return FEditTimer; }
  int EditSection() const { return FEditSect; }
  TElTreeInplaceEditor* ActiveEditor() const { return FActiveEditor; }
  TElTreeItem* ShowHintItem() const { return FShowHintItem; }
  bool HasFocus() const { return FHasFocus; }
  // Fills the hint record for the item at its cursor point; false: no hint.
  bool PrepareHint(THintInfo& info);

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  // Moves the focus to a navigation key's target with the selection rules;
  // the target is sought (GetNextItem) unless the key brings its own.
  void NavigateTo(Word key, TElTreeItem*& target, int& row, TShiftState shift);
  // The scroll after a move left the focused item off screen.
  void ScrollAfterMove(Word key, TElTreeItem* target, int row);
  // The shown row of an item (-1 when not shown), quick for rows on screen.
  int RowOf(TElTreeItem* item);
  bool Usable(TElTreeItem* item) const;
  void EditTimerTick(TObject* sender);
  // Focus, paint and the other window messages of the view; true when handled.
  bool ViewMessage(TMessage& m);
  void PaintMessage(TMessage& m);
  void FocusLost();

  // ---- painting (ElTreePaint.cpp)
  struct TCellLook;
  void Paint() override;
  // Row is the screen row: striped colours follow its absolute number.
  void DrawRow(TCanvas* canvas, TElTreeItem* item, int row, TRect cell, TRect rowRect);
  void DrawMainCell(TCanvas* canvas, TElTreeItem* item, TRect cell, TRect rowRect);
  void DrawColumnCell(TCanvas* canvas, TElTreeItem* item, TElHeaderSection* section, TRect cell);
  // Each advances Cell's left edge past what it drew.
  void DrawLines(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell);
  void DrawButton(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell);
  void DrawCheckBox(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell);
  void DrawImages(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect, TRect& cell);
  void DecideCellLook(TElTreeItem* item, TElCellStyle* style, bool selectColumn, TCellLook& look);
  void DrawCellText(TCanvas* canvas, TElTreeItem* item, const TElFString& text, TElHTMLData* html, TRect r,
                    UINT align, TColor color);
  void DrawGridLines(TCanvas* canvas, int rowsBottom);
  void DrawDropMark(TCanvas* canvas, TElTreeItem* item, const TRect& rowRect);
  // The row's top and bottom from the rows above it (the rows' own heights).
  TRect PaintRowRect(TElList* rows, int row, int top);
  // The row's text colour was decided with its background.
  bool FRowTextSet = false;
  // The main cell is painted mirrored (RightAlignedTree): a span's left
  // edge x of width w lands at FMirrorSum - x - w.
  bool FMirror = false;
  int FMirrorSum = 0;
  int MirrorX(int x, int width) const { return FMirror ? FMirrorSum - x - width : x; }
  // Keeps a drawn part's span [Left, Right) of the main cell for hit testing.
  void RecordPartSpan(TElTreeItem* item, TSTItemPart part, int left, int right);
  TRect MirrorRect(const TRect& r) const {
    return FMirror ? TRect{FMirrorSum - r.right, r.top, FMirrorSum - r.left, r.bottom} : r;
  }

  // The tree is moving a bar's thumb itself: the bar's echo is not a
  // request to scroll.
  bool FMovingBars = false;
  // ---- line hints (ElTreeLineHints.cpp)
  void WndProc(TMessage& message) override;
  TElTreeItem* LineHintItemAt(int x, int y, TElHeaderSection*& section);
  int LineHintTextWidth(TElTreeItem* item, const TElFString& text, bool mainColumn);
  bool LineHintTextCut(TElTreeItem* item, TElHeaderSection* section, const TElFString& text);
  bool LineHintHiddenBy(const TMessage& message);
  void LineHintTimer(TObject* sender);
  // Rows moved by a wheel turn, by the scroll bar's wheel rule.
  void MouseWheelScroll(int wheelDelta);
  // The view's client size (window-free trees are sized by SetBounds).
  int ViewHeight() const { return ClientHeight(); }
  int ViewWidth() const { return ClientWidth(); }
  // WM_SIZE and WM_GETDLGCODE.
  void Dispatch(TMessage& m) override;

  // ---- mouse presses, releases and double clicks (ElTreeMouse.cpp)
 public:
  // An item pointer that the view clears when the item is deleted, for
  // work that runs handlers which may delete it.
  class TItemWatch {
   public:
    TItemWatch(TElTreeView* view, TElTreeItem* item);
    ~TItemWatch();
    TItemWatch(const TItemWatch&) = delete;
    TItemWatch& operator=(const TItemWatch&) = delete;
    TElTreeItem* Item() const { return FItem; }

   private:
    TElTreeView* FView;
    TElTreeItem* FItem;
  };

  // The selection decision of a left press on Item at Part (nil: on no
  // row); a press on a selected item of a multiple selection without Ctrl
  // defers it to the release.
  void PressSelect(TElTreeItem* item, TSTItemPart part, TShiftState shift);
  // The decision of a right press (RightClickSelect).
  void RightPressSelect(TElTreeItem* item, TSTItemPart part, TShiftState shift);
  // The release's end of a deferred decision.
  void ApplyPendingSelection();
  // A click on the item's check box: the next state by its type, reported.
  void ClickCheckBox(TElTreeItem* item);
  // Collapses an expanded item, else expands it and scrolls its children
  // into view, as its button does.
  void ToggleExpansion(TElTreeItem* item);
  void ScrollChildrenIntoView(TElTreeItem* item);
  // The releases and double clicks: true lets the library's own handling
  // (OnClick, OnMouseUp, OnDblClick) run.
  bool LeftClick(int x, int y, TShiftState shift);
  bool RightClick(int x, int y, TShiftState shift);
  bool LeftDoubleClick(int x, int y, TShiftState shift);
  bool RightDoubleClick(int x, int y, TShiftState shift);
  // A cell control that goes away is no longer the active one.
  void ForgetCellControl(TElCellControl* control);

  // Counts the items deleted so far: a walk over a copied list of items
  // checks its items again once the count moved.
  unsigned Deletions() const { return FDeletions; }

  bool ButtonDown() const { return FButtonDown; }
  bool ClickedOnce() const { return FClickedOnce; }
  bool DragStarted() const { return FDragStarted; }
  bool PendingSelect() const { return FPendingSelect; }
  int ClickSection() const { return FClickSection; }
  TElTreeItem* LastClickedItem() const { return FLastClickedItem; }
  TElCellControl* ActiveCellControl() const { return FActiveCellControl; }

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // The button messages: answers whether the message was one of them.
  bool DispatchMouseButton(TMessage& m);
  // The decisions of a press once the item is known; false keeps the press
  // from the library's own handling.
  bool PressOnItem(TElTreeItem* item, TSTItemPart part, int column, TMouseButton button, TShiftState shift, int x,
                   int y);
  // Without Ctrl and Shift the selection is cleared; with Shift it becomes
  // the range from the anchor to the item (the item itself left unselected
  // when asked and it is not focused). Multiple selection, smUsual only.
  void ClearForClick(TItemWatch& item, TShiftState shift, bool rangeEndsUnselected);
  // The clearing and range rules of a press without a deferred decision,
  // then the focus.
  void SelectPressedItem(TItemWatch& item, TShiftState shift, int selectedCount);
  // Focuses the item as a click does: a focus that moved passes the item
  // through ToggleSelection in a multiple selection.
  bool FocusByClick(TItemWatch& item);
  void FireSelectionChange();
  // The enabled cell control under a point that takes clicks, with the
  // point in the cell's coordinates.
  TElCellControl* ClickableCellControl(int x, int y, TPoint& cellPoint);
  // A release kept from the library's handling still frees the mouse.
  void ReleaseKeptClick();
  std::vector<TElTreeItem**> FItemWatches;
  unsigned FDeletions = 0;
};

// ---------------------------------------------------------------------------
// The tree control. Its items and view are made by their factories after the
// constructor, so a tree is made through TObject::Create (as forms and class
// references make every component).
class TCustomElTree : public TElXPThemedControl {
 public:
  explicit TCustomElTree(TComponent* owner);
  ~TCustomElTree() override;
  // Makes the items and the view through their factories, so that a
  // descendant's factories are the ones used.
  void AfterConstruction() override;
  void BeforeDestruction() override;
  // From another tree: the items and the settings that describe the look.
  void Assign(TPersistent* source) override;

  // ---- the update counter
  // Begin raises the counter, end lowers it (never below 0); the deferred
  // work runs when the outermost update ends.
  void SetUpdating(bool begin);
  bool IsUpdating() const { return FUpdateCount > 0; }
  int UpdateCount() const { return FUpdateCount; }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }

  // ---- parts
  TElTreeItems* Items() const { return FItems; }
  TElTreeView* View() const { return FView; }
  TElHeader* Header() const { return FHeader; }
  TElScrollBarStyles* HorzScrollBarStyles() const { return FHScrollBarStyles; }
  TElScrollBarStyles* VertScrollBarStyles() const { return FVScrollBarStyles; }
  bool UseCustomScrollBars() const { return FUseCustomScrollBars; }
  void SetUseCustomScrollBars(bool value);
  TElList* AllItems() const { return FAllItems.get(); }
  TElList* SelectedItems() const { return FSelectedItems.get(); }
  int VisibleCount() const { return FVisibleCount; }
  int MultiLineCount() const { return FMultiLineCount; }
  int HiddenCount() const { return FHiddenCount; }
  int SortingDepth() const { return FSortingDepth; }
  int DeletingDepth() const { return FDeletingDepth; }
  bool ResortPending() const { return FResortPending; }
  // The number of header sections (none while the tree has no header).
  int HeaderSectionCount() const;

  // ---- focus and selection
  TElTreeItem* GetFocusedItem() const;
  TElTreeItem* ItemFocused() const { return GetFocusedItem(); }
  bool SetFocusedItem(TElTreeItem* item) { return SetFocusedItemEx(item, false, false); }
  // Moves the focus: refused by OnChanging unless forced; Delayed asks for a
  // delayed OnItemFocused.
  bool SetFocusedItemEx(TElTreeItem* item, bool force, bool delayed);
  // Without MultiSelect focuses the item; with it, makes it the anchor.
  void SetSelectionAnchor(TElTreeItem* item);
  TElTreeItem* SelectionAnchor() const;
  int SelectedCount() const;
  bool SelectionChanged() const { return FSelChange; }
  void SetSelectionChanged(bool value) { FSelChange = value; }
  void EnsureVisible(TElTreeItem* item);
  void EnsureVisibleBottom(TElTreeItem* item);

  // ---- measuring
  TElTreeTextMeasurer* TextMeasurer() const;
  // Nil: the system's measurement.
  void SetTextMeasurer(TElTreeTextMeasurer* measurer) { FTextMeasurer = measurer; }
  // Sizes a section from the header's measure and its widest cell (while
  // updating: at the end of the update).
  void AutoSizeColumn(TElHeaderSection* section);

  // ---- pictures made on first read
  TBitmap* PlusPicture();
  TBitmap* MinusPicture();
  TBitmap* LeafPicture();
  TBitmap* CheckBoxGlyph();
  TBitmap* RadioButtonGlyph();

  // ---- scrolling
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int index);
  // The last row in view (0 when nothing shows).
  int BottomIndex() const;
  int LeftPosition() const { return FLeftPosition; }
  void SetLeftPosition(int pixels);

  // ---- properties the items read
  bool ShowColumns() const { return FShowColumns; }
  int MainTreeColumn() const { return FMainTreeColumn; }
  void SetMainTreeColumn(int value);
  TSortModes SortMode() const { return FSortMode; }
  void SetSortMode(TSortModes value) { FSortMode = value; }
  int SortSection() const { return FSortSection; }
  // A new value empties the multi-column list.
  void SetSortSection(int value);
  TSortTypes SortType() const { return FSortType; }
  void SetSortType(TSortTypes value) { FSortType = value; }
  TSortDirs SortDir() const { return FSortDir; }
  void SetSortDir(TSortDirs value) { FSortDir = value; }
  bool SortUseCase() const { return FSortUseCase; }
  void SetSortUseCase(bool value) { FSortUseCase = value; }
  bool AdjustMultilineHeight() const { return FAdjustMultilineHeight; }
  bool FilteredVisibility() const { return FFilteredVisibility; }
  bool MultiSelect() const { return FMultiSelect; }
  bool KeepSelectionWithinLevel() const { return FKeepSelectionWithinLevel; }
  void SetKeepSelectionWithinLevel(bool value) { FKeepSelectionWithinLevel = value; }
  bool MoveFocusOnCollapse() const { return FMoveFocusOnCollapse; }
  void SetMoveFocusOnCollapse(bool value) { FMoveFocusOnCollapse = value; }
  bool DeselectChildrenOnCollapse() const { return FDeselectChildrenOnCollapse; }
  void SetDeselectChildrenOnCollapse(bool value) { FDeselectChildrenOnCollapse = value; }
  bool AutoExpand() const { return FAutoExpand; }
  bool ShowCheckboxes() const { return FShowCheckboxes; }
  bool ShowImages() const { return FShowImages; }
  bool ShowEmptyImages() const { return FShowEmptyImages; }
  TVirtualityLevel VirtualityLevel() const { return FVirtualityLevel; }
  int LineHeight() const { return FLineHeight; }
  TColor TextColor() const { return FTextColor; }
  TColor LinkColor() const { return FLinkColor; }
  TFontStyles LinkStyle() const { return FLinkStyle; }
  TElFString PathSeparatorText() const { return TElFString(1, static_cast<WideChar>(FPathSeparator)); }

  // ---- settings (ElTreeSettings.cpp holds the setters with rules of their own)
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool value) { SetLayout(FShowLines, value); }
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool value) { SetLayout(FShowRoot, value); }
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool value) { SetLayout(FShowButtons, value); }
  bool ShowRootButtons() const { return FShowRootButtons; }
  void SetShowRootButtons(bool value) { SetLayout(FShowRootButtons, value); }
  bool ShowLeafButton() const { return FShowLeafButton; }
  void SetShowLeafButton(bool value) { SetLayout(FShowLeafButton, value); }
  void SetShowImages(bool value) { SetLayout(FShowImages, value); }
  void SetShowEmptyImages(bool value) { SetLayout(FShowEmptyImages, value); }
  bool ShowEmptyImages2() const { return FShowEmptyImages2; }
  void SetShowEmptyImages2(bool value) { SetLayout(FShowEmptyImages2, value); }
  void SetShowCheckboxes(bool value) { SetLayout(FShowCheckboxes, value); }
  int CheckBoxSize() const { return FCheckBoxSize; }
  void SetCheckBoxSize(int value) { SetLayout(FCheckBoxSize, value); }
  bool CustomPlusMinus() const { return FCustomPlusMinus; }
  void SetCustomPlusMinus(bool value) { SetLayout(FCustomPlusMinus, value); }
  bool CustomCheckboxes() const { return FCustomCheckboxes; }
  void SetCustomCheckboxes(bool value) { SetLayout(FCustomCheckboxes, value); }
  int ItemIndent() const { return FItemIndent; }
  void SetItemIndent(int value) { SetLayout(FItemIndent, value); }
  bool ChangeStateImage() const { return FChangeStateImage; }
  void SetChangeStateImage(bool value) { SetLayout(FChangeStateImage, value); }
  bool HorizontalLines() const { return FHorizontalLines; }
  void SetHorizontalLines(bool value) { SetLayout(FHorizontalLines, value); }
  bool VerticalLines() const { return FVerticalLines; }
  void SetVerticalLines(bool value) { SetLayout(FVerticalLines, value); }
  bool BarStyleVerticalLines() const { return FBarStyleVerticalLines; }
  void SetBarStyleVerticalLines(bool value) { SetLayout(FBarStyleVerticalLines, value); }
  void SetTextColor(TColor value) { SetLayout(FTextColor, value); }
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor value) { SetLayout(FBkColor, value); }
  bool HideHorzScrollBar() const { return FHideHorzScrollBar; }
  void SetHideHorzScrollBar(bool value) { SetLayout(FHideHorzScrollBar, value); }
  bool HideVertScrollBar() const { return FHideVertScrollBar; }
  void SetHideVertScrollBar(bool value) { SetLayout(FHideVertScrollBar, value); }
  TColor LinesColor() const { return FLinesColor; }
  void SetLinesColor(TColor value) { SetLayout(FLinesColor, value); }
  TPenStyle LinesStyle() const { return FLinesStyle; }
  void SetLinesStyle(TPenStyle value) { SetLayout(FLinesStyle, value); }
  TColor HorzDivLinesColor() const { return FHorzDivLinesColor; }
  void SetHorzDivLinesColor(TColor value) { SetLayout(FHorzDivLinesColor, value); }
  TColor VertDivLinesColor() const { return FVertDivLinesColor; }
  void SetVertDivLinesColor(TColor value) { SetLayout(FVertDivLinesColor, value); }
  bool PlusMinusTransparent() const { return FPlusMinusTransparent; }
  void SetPlusMinusTransparent(bool value) { SetLayout(FPlusMinusTransparent, value); }
  TColor FocusedSelectColor() const { return FFocusedSelectColor; }
  void SetFocusedSelectColor(TColor value) { SetRepaint(FFocusedSelectColor, value); }
  TColor FocusedSelectTextColor() const { return FFocusedSelectTextColor; }
  void SetFocusedSelectTextColor(TColor value) { SetRepaint(FFocusedSelectTextColor, value); }
  TColor HideSelectColor() const { return FHideSelectColor; }
  void SetHideSelectColor(TColor value) { SetRepaint(FHideSelectColor, value); }
  TColor HideSelectTextColor() const { return FHideSelectTextColor; }
  void SetHideSelectTextColor(TColor value) { SetRepaint(FHideSelectTextColor, value); }
  TColor TrackColor() const { return FTrackColor; }
  void SetTrackColor(TColor value) { SetRepaint(FTrackColor, value); }
  bool RowHotTrack() const { return FRowHotTrack; }
  void SetRowHotTrack(bool value) { SetRepaint(FRowHotTrack, value); }
  bool UnderlineTracked() const { return FUnderlineTracked; }
  void SetUnderlineTracked(bool value) { SetRepaint(FUnderlineTracked, value); }
  bool DrawFocusRect() const { return FDrawFocusRect; }
  void SetDrawFocusRect(bool value) { SetRepaint(FDrawFocusRect, value); }
  bool NoBlendSelected() const { return FNoBlendSelected; }
  void SetNoBlendSelected(bool value) { SetRepaint(FNoBlendSelected, value); }
  bool StripedItems() const { return FStripedItems; }
  void SetStripedItems(bool value) { SetRepaint(FStripedItems, value); }
  TColor StripedOddColor() const { return FStripedOddColor; }
  void SetStripedOddColor(TColor value) { SetRepaint(FStripedOddColor, value); }
  TColor StripedEvenColor() const { return FStripedEvenColor; }
  void SetStripedEvenColor(TColor value) { SetRepaint(FStripedEvenColor, value); }
  bool VerticalLinesLong() const { return FVerticalLinesLong; }
  void SetVerticalLinesLong(bool value) { SetRepaint(FVerticalLinesLong, value); }
  TElFlatBorderType ActiveBorderType() const { return FActiveBorderType; }
  void SetActiveBorderType(TElFlatBorderType value) { SetFrameLook(FActiveBorderType, value); }
  bool AlwaysKeepFocus() const { return FAlwaysKeepFocus; }
  void SetAlwaysKeepFocus(bool value) { FAlwaysKeepFocus = value; }
  bool AlwaysKeepSelection() const { return FAlwaysKeepSelection; }
  void SetAlwaysKeepSelection(bool value) { FAlwaysKeepSelection = value; }
  bool AutoCollapse() const { return FAutoCollapse; }
  void SetAutoCollapse(bool value) { FAutoCollapse = value; }
  bool AutoLookup() const { return FAutoLookup; }
  void SetAutoLookup(bool value) { FAutoLookup = value; }
  bool AutoResizeColumns() const { return FAutoResizeColumns; }
  void SetAutoResizeColumns(bool value) { FAutoResizeColumns = value; }
  bool DragAllowed() const { return FDragAllowed; }
  void SetDragAllowed(bool value) { FDragAllowed = value; }
  int DragExpandDelay() const { return FDragExpandDelay; }
  void SetDragExpandDelay(int value) { FDragExpandDelay = value; }
  bool DraggableSections() const { return FDraggableSections; }
  void SetDraggableSections(bool value) { FDraggableSections = value; }
  TDragImgMode DragImageMode() const { return FDragImageMode; }
  void SetDragImageMode(TDragImgMode value) { FDragImageMode = value; }
  TColor DragRectAcceptColor() const { return FDragRectAcceptColor; }
  void SetDragRectAcceptColor(TColor value) { FDragRectAcceptColor = value; }
  TColor DragRectDenyColor() const { return FDragRectDenyColor; }
  void SetDragRectDenyColor(TColor value) { FDragRectDenyColor = value; }
  int DragScrollInterval() const { return FDragScrollInterval; }
  void SetDragScrollInterval(int value) { FDragScrollInterval = value; }
  TDragTargetDraw DragTrgDrawMode() const { return FDragTrgDrawMode; }
  void SetDragTrgDrawMode(TDragTargetDraw value) { FDragTrgDrawMode = value; }
  bool ExpandOnDragOver() const { return FExpandOnDragOver; }
  void SetExpandOnDragOver(bool value) { FExpandOnDragOver = value; }
  // ---- drag and drop (ElTreeDrag.cpp)
  // Other than dtNative the view is an OLE drop target as well.
  TElDragType DragType() const { return FDragType; }
  void SetDragType(TElDragType value);
  TElDropTarget* OleDropTarget() const { return FDropTarget; }
  bool ExplorerEditMode() const { return FExplorerEditMode; }
  void SetExplorerEditMode(bool value) { FExplorerEditMode = value; }
  bool Flat() const { return FFlat; }
  // True also gives the control the 3-D look.
  void SetFlat(bool value);
  bool FlatFocusedScrollbars() const { return FFlatFocusedScrollbars; }
  void SetFlatFocusedScrollbars(bool value) { SetFrameLook(FFlatFocusedScrollbars, value); }
  bool HideFocusRect() const { return FHideFocusRect; }
  void SetHideFocusRect(bool value) { FHideFocusRect = value; }
  bool HideHintOnTimer() const { return FHideHintOnTimer; }
  void SetHideHintOnTimer(bool value) { FHideHintOnTimer = value; }
  bool HideHintOnMove() const { return FHideHintOnMove; }
  void SetHideHintOnMove(bool value) { FHideHintOnMove = value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value) { FHideSelection = value; }
  TElHintType HintType() const { return FHintType; }
  void SetHintType(TElHintType value) { FHintType = value; }
  bool IgnoreEnabled() const { return FIgnoreEnabled; }
  void SetIgnoreEnabled(bool value) { FIgnoreEnabled = value; }
  TElFlatBorderType InactiveBorderType() const { return FInactiveBorderType; }
  void SetInactiveBorderType(TElFlatBorderType value) { SetFrameLook(FInactiveBorderType, value); }
  bool IncrementalSearch() const { return FIncrementalSearch; }
  void SetIncrementalSearch(bool value) { FIncrementalSearch = value; }
  int InplaceEditorDelay() const { return FInplaceEditorDelay; }
  void SetInplaceEditorDelay(int value) { FInplaceEditorDelay = value; }
  TColor LineBorderActiveColor() const { return FLineBorderActiveColor; }
  void SetLineBorderActiveColor(TColor value) { SetFrameLook(FLineBorderActiveColor, value); }
  TColor LineBorderInactiveColor() const { return FLineBorderInactiveColor; }
  void SetLineBorderInactiveColor(TColor value) { SetFrameLook(FLineBorderInactiveColor, value); }
  TColor LineHintColor() const { return FLineHintColor; }
  void SetLineHintColor(TColor value) { FLineHintColor = value; }
  THintModes LineHintMode() const { return FLineHintMode; }
  void SetLineHintMode(THintModes value) { FLineHintMode = value; }
  int LineHintTimeout() const { return FLineHintTimeout; }
  void SetLineHintTimeout(int value) { FLineHintTimeout = value; }
  TLineHintType LineHintType() const { return FLineHintType; }
  void SetLineHintType(TLineHintType value) { FLineHintType = value; }
  bool LockHeaderHeight() const { return FLockHeaderHeight; }
  void SetLockHeaderHeight(bool value) {
    FLockHeaderHeight = value;
    if (FHeader) FHeader->SetLockHeight(value);
  }
  TElFieldType MainTextType() const { return FMainTextType; }
  void SetMainTextType(TElFieldType value) { FMainTextType = value; }
  bool MoveColumnOnDrag() const { return FMoveColumnOnDrag; }
  void SetMoveColumnOnDrag(bool value) { FMoveColumnOnDrag = value; }
  bool MouseFrameSelect() const { return FMouseFrameSelect; }
  void SetMouseFrameSelect(bool value) { FMouseFrameSelect = value; }
  const TElFString& OwnerDrawMask() const { return FOwnerDrawMask; }
  void SetOwnerDrawMask(const TElFString& value) { FOwnerDrawMask = value; }
  bool OwnerDrawByColumn() const { return FOwnerDrawByColumn; }
  void SetOwnerDrawByColumn(bool value) { FOwnerDrawByColumn = value; }
  char PathSeparator() const { return FPathSeparator; }
  void SetPathSeparator(char value) { FPathSeparator = value; }
  bool QuickEditMode() const { return FQuickEditMode; }
  void SetQuickEditMode(bool value) { FQuickEditMode = value; }
  bool RightAlignedTree() const { return FRightAlignedTree; }
  void SetRightAlignedTree(bool value) { FRightAlignedTree = value; }
  bool RightClickSelect() const { return FRightClickSelect; }
  void SetRightClickSelect(bool value) { FRightClickSelect = value; }
  bool ScrollBackground() const { return FScrollBackground; }
  void SetScrollBackground(bool value) { FScrollBackground = value; }
  bool ScrollbarOpposite() const { return FScrollbarOpposite; }
  void SetScrollbarOpposite(bool value) { FScrollbarOpposite = value; }
  bool ScrollTracking() const { return FScrollTracking; }
  void SetScrollTracking(bool value) { FScrollTracking = value; }
  TSTSelModes SelectionMode() const { return FSelMode; }
  void SetSelectionMode(TSTSelModes value) { FSelMode = value; }
  const AnsiString& StoragePath() const { return FStoragePath; }
  void SetStoragePath(const AnsiString& value) { FStoragePath = value; }
  bool StickyHeaderSections() const { return FStickyHeaderSections; }
  void SetStickyHeaderSections(bool value) { FStickyHeaderSections = value; }
  bool Tracking() const { return FTracking; }
  void SetTracking(bool value) { FTracking = value; }
  bool UseSystemHintColors() const { return FUseSystemHintColors; }
  void SetUseSystemHintColors(bool value) { FUseSystemHintColors = value; }
  TCursor LinkCursor() const { return FLinkCursor; }
  void SetLinkCursor(TCursor value) { FLinkCursor = value; }
  bool FullRowSelect() const { return FFullRowSelect; }
  void SetFullRowSelect(bool value) { FFullRowSelect = value; }
  int ChangeDelay() const { return FChangeDelay; }
  void SetChangeDelay(int value);
  bool AutoLineHeight() const { return FAutoLineHeight; }
  void SetAutoLineHeight(bool value);
  bool DoInplaceEdit() const { return FDoInplaceEdit; }
  bool ExpandOnDblClick() const { return FExpandOnDblClick; }
  void SetExpandOnDblClick(bool value);
  TElDblClickMode DblClickMode() const { return FDblClickMode; }
  void SetDblClickMode(TElDblClickMode value);
  bool BarStyle() const { return FBarStyle; }
  void SetBarStyle(bool value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value);
  TElBkGndType BackgroundType() const { return FBackgroundType; }
  void SetBackgroundType(TElBkGndType value);
  TColor GradientStartColor() const { return FGradientStartColor; }
  void SetGradientStartColor(TColor value);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor value);
  int GradientSteps() const { return FGradientSteps; }
  void SetGradientSteps(int value);
  TScrollStyle ForcedScrollBars() const { return FForcedScrollBars; }
  void SetForcedScrollBars(TScrollStyle value);
  int MultiSelectLevel() const { return FMultiSelectLevel; }
  void SetMultiSelectLevel(int value);
  int SelectColumn() const { return FSelectColumn; }
  void SetSelectColumn(int value);
  int LineHeightSetting() const { return FLineHeight; }
  void SetLineHeight(int value);
  void SetFilteredVisibility(bool value);
  void SetMultiSelect(bool value);
  void SetAutoExpand(bool value) { FAutoExpand = value; }
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* value);
  TImageList* Images2() const { return FImages2; }
  void SetImages2(TImageList* value);

  // ---- writing the items as lines of text
  virtual void SaveStringsToStream(TStream* stream);

  // ---- sorting (ElTreeSort.cpp)
  // The sort of one item's children, and the text keys of a sort.
  void SortItemChildren(TElTreeItem* item, bool recursive);
  void MakeTextSortKey(TElTreeItem* item, int section, TSortTypes sortType);
  // The sections that break ties, in the order they were added (nil until
  // the first one).
  TElList* SortSections() const { return FSortSections.get(); }
  // Appends the section of that index to the multi-column list (moving it
  // there when listed), or takes it out; ReSort sorts everything now, or at
  // the end of the running update.
  void AddSortSection(int index, bool reSort);
  void RemoveSortSection(int index, bool reSort);
  // The sort of a click on a header section (HeaderSectionClicked, under
  // smClick and smAddClick); with Ctrl the section joins or leaves the
  // multi-column list instead of becoming the sort section.
  void SortBySectionClick(TElHeaderSection* section, bool ctrlHeld);
  // Whether Ctrl is down as a click reads it; tests put their own here.
  static bool (*CtrlKeyDown)();

  // ---- view settings in an ini storage (ElTreeStorage.cpp)
  TElIniFile* Storage() const { return FStorage; }
  void SetStorage(TElIniFile* value);
  // The delimiter, the owning form's name (when it has one) and StoragePath,
  // joined by single delimiters.
  AnsiString StorageKey() const;

  // ---- in-place editors (ElTreeInplace.cpp) and virtual mode
  // (ElTreeVirtual.cpp)
  TElTreeInplaceManager* InplaceManager() const { return FInplaceManager; }
  void SetVirtualityLevel(TVirtualityLevel value);

  // ---- the header's settings, the frame's look and the pictures, as form
  // files carry them (ElTreeFormSettings.cpp)
  // Read while the form is read, the height waits for Loaded.
  int HeaderHeight() const;
  void SetHeaderHeight(int value);
  TFont* HeaderFont() const { return FHeaderFont; }
  bool HeaderUseTreeFont() const { return FHeaderUseTreeFont; }
  void SetHeaderUseTreeFont(bool value);
  bool HeaderHotTrack() const { return FHeaderHotTrack; }
  void SetHeaderHotTrack(bool value);
  TElHeaderSections* HeaderSections() const;
  int DefaultSectionWidth() const;
  void SetDefaultSectionWidth(int value);
  TColor HeaderFilterColor() const;
  void SetHeaderFilterColor(TColor value);
  TColor HeaderActiveFilterColor() const;
  void SetHeaderActiveFilterColor(TColor value);
  bool HeaderFlat() const;
  void SetHeaderFlat(bool value);
  bool HeaderWrapCaptions() const;
  void SetHeaderWrapCaptions(bool value);
  bool HeaderInvertSortArrows() const;
  void SetHeaderInvertSortArrows(bool value);
  TImageList* HeaderImages() const;
  void SetHeaderImages(TImageList* value);
  TElImageForm* HeaderImageForm() const;
  void SetHeaderImageForm(TElImageForm* value);
  TPopupMenu* HeaderPopupMenu() const;
  void SetHeaderPopupMenu(TPopupMenu* value);
  TBitmap* Background() const { return FBackground; }
  // The form-file table reads the pictures made on first read without
  // making them.
  friend void PublishTree();
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  TElBorderSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TElBorderSides value);
  bool RightAlignedText() const { return FRightAlignedText; }
  void SetRightAlignedText(bool value);
  TElImageForm* ImageForm() const { return FImgForm; }
  void SetImageForm(TElImageForm* value);
  // The UTF-16 hint; the class library's hint carries it packed.
  const TElFString& Hint() const { return FHint; }
  void SetHint(const TElFString& value);
  // Passed on to both bars and the header.
  void SetUseXPThemes(bool value) override;

 protected:
  void ImageFormChanged(TObject* sender);
  // The non-client border again, after focus, hover or its look changed.
  void RedrawFrame();
  bool BorderTypesDiffer() const;
  void FocusChanged(bool focused);
  void MouseOverChanged(bool over);
  void FocusPreviousControl();
  TNotifyEvent PictureChangedEvent();
  void PictureChanged(TObject* sender);
  template <class T>
  void SetFrameLook(T& field, const T& value) {
    if (field == value) return;
    field = value;
    RedrawFrame();
  }

 public:

  // ---- events
  TOnItemExpanding OnItemExpanding;
  TOnItemExpanding OnItemCollapsing;
  TOnItemExpandEvent OnItemExpand;
  TOnItemExpandEvent OnItemCollapse;
  TItemSelChangeEvent OnItemSelectedChange;
  TOnItemExpandEvent OnItemDeletion;
  TOnCompareItems OnCompareItems;
  TOnItemDrawEvent OnItemDraw;
  TElTreeItemPostDrawEvent OnItemPostDraw;
  TMeasureItemPartEvent OnMeasureItemPart;
  TOnPicDrawEvent OnItemPicDraw;
  TOnPicDrawEvent OnItemPicDraw2;
  TElScrollDrawPartEvent OnHorzScrollDrawPart;
  TElScrollDrawPartEvent OnVertScrollDrawPart;
  TElScrollHintNeededEvent OnHorzScrollHintNeeded;
  TElScrollHintNeededEvent OnVertScrollHintNeeded;
  TElTreeScrollEvent OnScroll;
  TElTreeChangingEvent OnChanging;
  TNotifyEvent OnItemFocused;
  TOnItemChangeEvent OnItemChange;
  TOnItemCheckedEvent OnItemChecked;
  TOnItemExpandEvent OnItemPreDraw;
  THotTrackEvent OnHotTrack;
  TOnShowHintEvent OnShowLineHint;
  TNotifyEvent OnSortBegin;
  TNotifyEvent OnSortEnd;
  TItemSaveEvent OnItemSave;
  TItemSaveEvent OnItemLoad;
  TCellStyleSaveEvent OnCellStyleSave;
  TCellStyleSaveEvent OnCellStyleLoad;
  TNotifyEvent OnAfterSelectionChange;
  TElTreeItemDragTargetEvent OnDragTargetChange;
  TTryEditEvent OnTryEdit;
  TInplaceEditorNeededEvent OnInplaceEditorNeeded;
  TColumnNotifyEvent OnHeaderColumnClick;
  TColumnNotifyEvent OnHeaderColumnResize;
  TColumnNotifyEvent OnHeaderSectionFilterCall;
  TColumnNotifyEvent OnHeaderSectionAutoSize;
  TElSectionRedrawEvent OnHeaderColumnDraw;
  TElColumnMoveEvent OnHeaderColumnMove;
  TElHeaderLookupEvent OnHeaderLookup;
  TElHeaderLookupDoneEvent OnHeaderLookupDone;
  TNotifyEvent OnHeaderResize;
  THeaderSectionEvent OnHeaderSectionExpand;
  THeaderSectionEvent OnHeaderSectionCollapse;
  TMeasureSectionEvent OnHeaderSectionMeasure;
  TMouseEvent OnHeaderMouseDown;
  TElHTMLImageNeededEvent OnHTMLImageNeeded;
  TElHTMLLinkClickEvent OnLinkClick;
  TVirtualTextNeededEvent OnVirtualTextNeeded;
  TVirtualHintNeededEvent OnVirtualHintNeeded;
  TVirtualValueNeededEvent OnVirtualValueNeeded;
  TVirtualStyleNeededEvent OnVirtualStyleNeeded;
  TTargetDragEvent OnOleTargetDrag;
  TTargetDropEvent OnOleTargetDrop;
  TOleDragStartEvent OnOleDragStart;
  TOleDragFinishEvent OnOleDragFinish;

  // ---- operations added by the tree, in slot order
  virtual void DoHTMLImageNeeded(TObject* sender, const TElFString& src, TBitmap*& image);
  virtual void DoLinkClick(const TElFString& href);
  virtual void SetLinkColor(TColor value);
  virtual void SetLinkStyle(TFontStyles value);
  virtual void FontChanged(TObject* sender);
  virtual void DoClick(TObject* sender);
  virtual void DoDblClick(TObject* sender);
  virtual void DoDragDrop(TObject* sender, TObject* source, int x, int y);
  virtual void DoDragOver(TObject* sender, TObject* source, int x, int y, TDragState state, bool& accept);
  virtual void DoEndDrag(TObject* sender, TObject* target, int x, int y);
  virtual void DoEnter(TObject* sender);
  virtual void DoExit(TObject* sender);
  virtual void DoKeyDown(TObject* sender, Word& key, TShiftState shift);
  virtual void DoKeyPress(TObject* sender, char& key);
  virtual void DoKeyUp(TObject* sender, Word& key, TShiftState shift);
  virtual void DoMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoMouseMove(TObject* sender, TShiftState shift, int x, int y);
  virtual void DoMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoStartDrag(TObject* sender, TDragObject*& dragObject);
  virtual void DoHeaderSectionMeasure(TObject* sender, TElHeaderSection* section, TPoint& size);
  virtual void SetAdjustMultilineHeight(bool value);
  virtual TElTreeItem* GetRoot();
  virtual int CompareItems(TElTreeItem* item1, TElTreeItem* item2, TSortTypes sortType, int direction);
  virtual void SetDoInplaceEdit(bool value);
  virtual void SetShowColumns(bool value);
  virtual void DoGetPicture(TElTreeItem* item, int& imageIndex);
  virtual void DoGetPicture2(TElTreeItem* item, int& imageIndex);
  virtual int DefineLineHeight();
  virtual void UpdateScrollBars();
  virtual TElTreeItems* CreateItems();
  virtual TElTreeItems* CreateItemsOfClass(TElTreeItemClass itemClass);
  virtual TElHeader* CreateHeader();
  virtual void SetHeaderColor(TColor value);
  virtual TColor GetHeaderColor();
  virtual void DoChanging(TElTreeItem* item, bool& allowChange);
  virtual void DoHeaderColumnResize(int sectionIndex);
  virtual void DoHeaderColumnClick(int sectionIndex);
  virtual void DoItemFocused();
  virtual void DoItemDraw(TElTreeItem* item, TCanvas* surface, TRect r, int sectionIndex);
  virtual void DoItemChange(TElTreeItem* item, TItemChangeMode itemChangeMode);
  virtual void DoItemExpanding(TElTreeItem* item, bool& canProcess);
  virtual void DoItemCollapsing(TElTreeItem* item, bool& canProcess);
  virtual void DoItemChecked(TElTreeItem* item);
  virtual void DoItemExpand(TElTreeItem* item);
  virtual void DoItemCollapse(TElTreeItem* item);
  virtual void DoItemDeletion(TElTreeItem* item);
  virtual void DoCompareItems(TElTreeItem* item1, TElTreeItem* item2, int& res);
  virtual void DoHeaderColumnDraw(TObject* sender, TCanvas* canvas, TElHeaderSection* section, TRect r, bool pressed);
  virtual void HeaderSectionChanged(TObject* sender, TElHeaderSection* section, int change);
  virtual void HeaderSectionMoved(TObject* sender, TElHeaderSection* section, int oldPos, int newPos);
  virtual void DoHotTrack(TElTreeItem* oldItem, TElTreeItem* newItem);
  virtual void DoScroll(TScrollBarKind scrollBarKind, TElScrollCode scrollCode);
  virtual void DoHeaderColumnMove(TElHeaderSection* section, int oldPos, int newPos);
  virtual void DoItemSave(TElTreeItem* item, TStream* stream);
  virtual void DoItemLoad(TElTreeItem* item, TStream* stream);
  virtual void DoItemSelectedChange(TElTreeItem* item);
  virtual void DoShowHint(TElTreeItem* item, TElHeaderSection* section, TElFString& text, TElHintWindow* hintWindow,
                          TPoint mousePos, bool& doShowHint);
  virtual void HeaderSectionCreated(TObject* sender, TElHeaderSection* section);
  virtual void DoHeaderLookup(TElHeaderSection* section, AnsiString& text);
  virtual void DoHeaderLookupDone(TElHeaderSection* section, const AnsiString& text, bool accepted);
  virtual void DoHeaderSectionExpand(TElHeaderSection* section);
  virtual void DoHeaderSectionCollapse(TElHeaderSection* section);
  virtual void DoMeasureItemPart(TElTreeItem* item, int partIndex, TPoint& size);
  virtual void DoPrivateNotify(int code, int param);
  virtual void DoItemPostDraw(TCanvas* canvas, TElTreeItem* item, TRect itemRect, bool& drawFocusRect);
  virtual void DoOleTargetDrag(TDragState state, TOleDragObject* source, TShiftState shift, int x, int y,
                               TDragType& dragType);
  virtual void DoOleTargetDrop(TOleDragObject* source, TShiftState shift, int x, int y, TDragType& dragType);
  virtual void DoOleDragStart(TComPtr<IDataObject>& dataObj, TComPtr<IDropSource>& dropSource,
                              TDragTypes& dwOKEffects);
  virtual void DoOleDragFinish(TDragType dwEffect, HRESULT result);
  virtual TElTreeItem* GetTopItem();
  virtual void SetTopItem(TElTreeItem* item);
  virtual void DoSortBegin();
  virtual void DoSortEnd();
  virtual TElTreeView* CreateView();
  virtual void DoAfterSelectionChange();
  virtual void DoVirtualTextNeeded(TElTreeItem* item, int sectionIndex, TElFString& text);
  virtual void DoVirtualHintNeeded(TElTreeItem* item, TElFString& hint);
  virtual void DoVirtualValueNeeded(TElTreeItem* item, int sectionIndex, int varType, Variant& value);
  virtual void DoVirtualStyleNeeded(TElTreeItem* item, int sectionIndex, TElCellStyle* style);
  virtual void DoTryEdit(TElTreeItem* item, int sectionIndex, TElFieldType& cellType, bool& canEdit);
  virtual void DoInplaceEditorNeeded(TElTreeItem* item, int sectionIndex, TElFieldType supposedFieldType,
                                     TElTreeInplaceEditor*& editor);
  virtual void DoPrivateMouse1(int button, int shift, int x, int y);
  virtual void DoPrivateMouse2(int button, int shift, int x, int y);
  // ---- layout, scroll bars and frame (ElTreeScroll.cpp)
  // Places the header, the view and the bars in the client area.
  void LayOutParts();
  void DrawBorder(HDC dc);
  void DrawBorderOwnDC();
  bool HorzBarShown() const { return FHorzBarShown; }
  bool VertBarShown() const { return FVertBarShown; }
  // The square between the two bars at the last layout.
  TRect CornerRect() const;
  TElScrollBar* HScrollBar() const { return FHScrollBar; }
  TElScrollBar* VScrollBar() const { return FVScrollBar; }
  virtual void FullCollapse();
  virtual void FullExpand();
  virtual void GetItemRect(int rowIndex, TRect& r);
  virtual TElTreeItem* GetItemAtY(int y);
  virtual TElTreeItem* GetItemAt(int x, int y, TSTItemPart& itemPart, int& hitColumn);
  virtual void MeasureCell(TElTreeItem* item, int columnNum, TPoint& size);
  virtual TElTreeItem* GetNextSelected(TElTreeItem* prev);
  virtual void AllSelected(TElList* selectedItems);
  virtual void SelectAll();
  virtual void InvertSelection();
  virtual void SelectAllEx(bool includeHidden);
  virtual void InvertSelectionEx(bool includeHidden);
  virtual void DeselectAll();
  virtual void DeselectAllEx(bool includeHidden);
  virtual void SelectRange(TElTreeItem* fromItem, TElTreeItem* toItem);
  virtual void SelectRangeEx(TElTreeItem* fromItem, TElTreeItem* toItem, bool includeHidden);
  virtual void SelectRange2(TElTreeItem* fromItem, TElTreeItem* toItem, bool selectDisabled);
  virtual void SelectRangeEx2(TElTreeItem* fromItem, TElTreeItem* toItem, bool selectDisabled, bool includeHidden);
  virtual void Sort(bool recursive);
  virtual void SaveToStorage();
  virtual void RestoreFromStorage();
  virtual void EditItem(TElTreeItem* item, int sectionNum);
  virtual bool IsInView(TElTreeItem* item);
  // Tells the running in-place editor to finish, keeping its value unless cancelled.
  void EndEdit(bool cancel);

  // The unpublished notifications.
  TElTreePrivateNotifyEvent OnPrivateNotify;
  TElTreePrivateMouseEvent OnPrivateMouse1;
  TElTreePrivateMouseEvent OnPrivateMouse2;
  TElTreeEndDragEvent OnViewEndDrag;

 protected:
  friend class TElTreeItem;
  friend class TElTreeItems;
  friend class TElTreeView;
  friend class TElTreeInvariants;
  friend class TElTreeInplaceManager;

  using TElXPThemedControl::DoEnter;
  using TElXPThemedControl::DoExit;
  using TElXPThemedControl::DoKeyDown;

  void GetThemedClassName(TElFString& name) override;

  // The deferred work of the outermost update's end.
  void EndOfUpdate();
  // A setting that changes what rows hold or how big they are: its work is
  // done once, at the end of the update around it.
  template <class T>
  void SetLayout(T& field, const T& value) {
    if (field == value) return;
    TElTreeUpdateScope scope(this);
    field = value;
    LayoutChanged();
  }
  void LayoutChanged();
  static bool BackgroundNeedsPicture(TElBkGndType type);
  void BackgroundChanged();
  void GradientChanged();
  void ReduceSelectionToFocus();
  void SetImageList(TImageList*& field, TImageList* value);
  void ImagesChanged(TObject* sender);
  void Notification(TComponent* component, TOperation operation) override;
  // ---- drag and drop (ElTreeDrag.cpp)
  // The tree's own end of a drag (its drag object's): OnEndDrag, then the
  // view's end.
  void DoEndDrag(TObject* target, int x, int y) override;
  TDragImageList* GetDragImages() override;
  // Makes or frees the view's OLE drop target as DragType says.
  void ApplyDragType();
  void OleTargetDrag(TObject* sender, TDragState state, TOleDragObject* source, TShiftState shift, int x, int y,
                     TDragType& dragType);
  void OleTargetDrop(TObject* sender, TOleDragObject* source, TShiftState shift, int x, int y, TDragType& dragType);
  void WireViewDrag();
  // The parts (ElTree.cpp) and the header's events (ElTreeHeaderGlue.cpp).
  void CreateParts();
  void Loaded() override;
  void SetUpScrollBar(TElScrollBar* bar);
  void WireHeader();
  void RemeasureAndRepaint();
  void RequestLayout();
  void HeaderSectionResized(TObject* sender, TElHeaderSection* section);
  void HeaderSectionClicked(TObject* sender, TElHeaderSection* section);
  void HeaderSectionShownOrHidden(TObject* sender, TElHeaderSection* section);
  void HeaderSectionChange(TObject* sender, TElHeaderSection* section, TSectionChangeMode change);
  void HeaderSectionDeleted(TObject* sender, TElHeaderSection* section);
  void HeaderSectionExpanded(TObject* sender, TElHeaderSection* section);
  void HeaderSectionCollapsed(TObject* sender, TElHeaderSection* section);
  void HeaderSectionAutoSizeAsked(TObject* sender, TElHeaderSection* section);
  void HeaderFilterCalled(TObject* sender, TElHeaderSection* section);
  void HeaderLookup(TObject* sender, TElHeaderSection* section, AnsiString& text);
  void HeaderLookupDone(TObject* sender, TElHeaderSection* section, const AnsiString& text, bool accepted);
  void HeaderResized(TObject* sender);
  void HeaderMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void BarStylesChanged(TObject* sender);
  void BackgroundPictureChanged(TObject* sender);
  void HeaderFontChanged(TObject* sender);
  void BarMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void ViewMouseWheel(TObject* sender, TShiftState shift, int wheelDelta, POINT mousePos, bool& handled);
  // A setting that only changes how rows look.
  template <class T>
  void SetRepaint(T& field, const T& value) {
    if (field == value) return;
    field = value;
    if (FView) FView->Invalidate();
  }
  // Takes a new line height, flagging the rows for measuring.
  void ApplyLineHeight(int height);
  // Sizes every auto-size section from its cells.
  void AutoSizeAllColumns();
  // Cell measuring (ElTreeMeasure.cpp).
  TElCellStyle* CellStyle(TElTreeItem* item, int column);
  TElFString CellText(TElTreeItem* item, int column);
  bool IsOwnerDrawnCell(TElTreeItem* item, int column, TElCellStyle* style);
  TPoint MeasureCellText(TElTreeItem* item, const TElFString& text, TElCellStyle* style, TElHTMLData* html);
  int MeasureImages(TElTreeItem* item, bool checkBox);
  int WidestCell(int column);
  // Focus and selection (ElTreeSelection.cpp).
  bool IsFilteredOut(TElTreeItem* item) const;
  TElTreeItem* NearestShownItem(TElTreeItem* item);
  void FixFilteredSelection();
  void ScrollFocusedIntoLastRow(TElTreeItem* item);
  void DelayTimerFired(TObject* sender);
  template <class Visit>
  void WalkItems(int from, int to, bool skipCollapsed, bool skipHidden, Visit visit);
  void SelectRangeWalk(TElTreeItem* fromItem, TElTreeItem* toItem, bool selectDisabled, bool shownOnly);
  void RecountVisibleRows();
  int CountVisibleRows() const;
  // Walks the rows the tree shows, in order, over the flat list: a
  // collapsed item's subtree and, while the tree filters, a hidden item's
  // are stepped over whole. Visit(item, row, position) returns false to
  // stop.
  template <class Visit>
  void ForEachRow(Visit visit) const {
    const int count = FAllItems->Count();
    int row = 0;
    for (int i = 0; i < count;) {
      auto* item = static_cast<TElTreeItem*>(FAllItems->FastGet(i));
      if (FFilteredVisibility && item->Hidden()) {
        i += item->FDescendants + 1;
        continue;
      }
      if (!visit(item, row, i)) return;
      ++row;
      i += item->GetExpanded() ? 1 : item->FDescendants + 1;
    }
  }
  // Marks that the end of the update has work to do.
  void FlagUpdate() { FUpdatePending = true; }
  void FlagRemeasure();
  void FlagColumnWidths();
  // The column widths, and the cached top row when the item's row shows.
  void FlagColumnWidthsFor(TElTreeItem* item);
  // The header's own update bracket.
  void BeginHeaderUpdate();
  void EndHeaderUpdate();
  // Counters of the items that do not use the default row height and of the
  // hidden items, changed by each item's share.
  void ChangeCounters(int multiLineDelta, int hiddenDelta);
  void RecountMultiLine();
  // HTML items prepare their texts again (a new link look).
  void ReRenderHTMLItems();
  // A tree of its own for the items and the view; the view's events reach
  // the tree through these.
  void WireView();
  // Frees the view's shared style of virtual mode with the control it holds.
  void FreeVirtualStyle();

  // ---- layout, scroll bars and frame (ElTreeScroll.cpp)
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& message) override;
  void Paint() override;
  // Each says whether its bar's need changed (forced bars never do).
  bool UpdateHorzMetrics();
  bool UpdateVertMetrics();
  void ScrollMessage(TMessage& message, TScrollBarKind kind);
  // The bars' events to the tree and the view.
  void WireScrollBars();
  // Sets a bar's range and position without taking its echo for a scroll.
  void SetBarMetrics(TElScrollBar* bar, int maximum, int page, int position, bool enabled);
  void HorzScrollDrawPart(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart part, bool enabled,
                          bool focused, bool pressed, bool& defaultDraw);
  void VertScrollDrawPart(TObject* sender, TCanvas* canvas, TRect r, TElScrollBarPart part, bool enabled,
                          bool focused, bool pressed, bool& defaultDraw);
  void HorzScrollHintNeeded(TObject* sender, int trackPosition, TElFString& hint);
  void VertScrollHintNeeded(TObject* sender, int trackPosition, TElFString& hint);
  // The parent form's size-move, seen through the hook, which is attached
  // to the form the control lies on while the control is double-buffered.
  void HookBeforeProcess(TObject* sender, TMessage& message, bool& handled);
  void AttachFormHook();
  bool FHorzNeeded = false;
  bool FVertNeeded = false;
  TRect FCornerRect{0, 0, 0, 0};

  // ---- parts
  TElTreeView* FView = nullptr;
  TElHeader* FHeader = nullptr;
  TElScrollBar* FHScrollBar = nullptr;
  TElScrollBar* FVScrollBar = nullptr;
  TElScrollBarStyles* FHScrollBarStyles = nullptr;
  TElScrollBarStyles* FVScrollBarStyles = nullptr;
  TElTreeItems* FItems = nullptr;
  TElTreeInplaceManager* FInplaceManager = nullptr;
  std::unique_ptr<TElList> FAllItems;
  std::unique_ptr<TElList> FSelectedItems;
  std::unique_ptr<TElList> FSortSections;
  TTimer* FDelayTimer = nullptr;
  TElHook* FHook = nullptr;
  TChangeLink* FImageChangeLink = nullptr;
  TImgFormChangeLink* FImageFormLink = nullptr;
  TBitmap* FBackground = nullptr;
  TFont* FHeaderFont = nullptr;
  TBitmap* FPlusPicture = nullptr;
  TBitmap* FMinusPicture = nullptr;
  TBitmap* FLeafPicture = nullptr;
  TBitmap* FCheckBoxGlyph = nullptr;
  TBitmap* FRadioButtonGlyph = nullptr;
  TElDropTarget* FDropTarget = nullptr;

  // ---- state of the frame
  int FUpdateCount = 0;
  bool FInUpdateEnd = false;
  bool FUpdatePending = false;
  bool FResortPending = false;
  bool FAutoSizePending = false;
  bool FAutoSizing = false;
  int FSortingDepth = 0;
  int FVisibleCount = 0;
  int FMultiLineCount = 0;
  int FTopIndex = 0;
  int FLeftPosition = 0;
  bool FHorzBarShown = false;
  bool FVertBarShown = false;
  int FHeaderHeight = 0;
  int FStreamedHeaderHeight = 0;
  bool FHasFocus = false;
  bool FMouseOver = false;
  bool FInSizeMove = false;
  TElTreeItem* FDelayedItem = nullptr;
  int FDeletingDepth = 0;
  TElFString FHint;
  bool FLayingOut = false;
  bool FFirstLayoutDone = false;
  // Items with the Hidden flag.
  int FHiddenCount = 0;
  // The rows must be measured again from the top row.
  bool FRemeasurePending = false;
  // The selection changed during the current input action.
  bool FSelChange = false;
  TElTreeTextMeasurer* FTextMeasurer = nullptr;
  // Colours decided for the row being painted.
  TColor FCurrentRowColor = 0;
  TColor FCurrentTextColor = 0;

  // ---- fields behind the published properties (their defaults)
  TElFlatBorderType FActiveBorderType = fbtSunken;
  bool FAlwaysKeepFocus = false;
  bool FAlwaysKeepSelection = true;
  bool FAutoCollapse = false;
  bool FAutoExpand = false;
  bool FAutoLineHeight = true;
  bool FAutoLookup = false;
  bool FAutoResizeColumns = true;
  bool FAdjustMultilineHeight = true;
  TElBkGndType FBackgroundType = bgtColorFill;
  bool FBarStyle = false;
  bool FBarStyleVerticalLines = false;
  TBorderStyle FBorderStyle = bsSingle;
  TElBorderSides FBorderSides = AllBorderSides;
  int FChangeDelay = 500;
  bool FChangeStateImage = false;
  int FCheckBoxSize = 15;
  bool FCustomCheckboxes = false;
  bool FCustomPlusMinus = false;
  bool FDeselectChildrenOnCollapse = false;
  TElDblClickMode FDblClickMode = dcmExpand;
  bool FDoInplaceEdit = true;
  bool FDragAllowed = false;
  int FDragExpandDelay = 500;
  bool FDraggableSections = false;
  bool FDrawFocusRect = true;
  TDragImgMode FDragImageMode = dimNever;
  TColor FDragRectAcceptColor = 0x008000;
  TColor FDragRectDenyColor = 0x0000FF;
  int FDragScrollInterval = 100;
  TDragTargetDraw FDragTrgDrawMode = SelColorRect;
  TElDragType FDragType = dtNative;
  bool FExpandOnDblClick = true;
  bool FExpandOnDragOver = false;
  bool FExplorerEditMode = false;
  bool FFilteredVisibility = false;
  bool FFlat = false;
  bool FFlatFocusedScrollbars = true;
  TColor FFocusedSelectColor = clHighlight;
  TColor FFocusedSelectTextColor = clHighlightText;
  TScrollStyle FForcedScrollBars = ssNone;
  bool FFullRowSelect = true;
  TColor FGradientStartColor = 0;
  TColor FGradientEndColor = 0;
  int FGradientSteps = 64;
  bool FHeaderHotTrack = true;
  bool FHeaderUseTreeFont = true;
  bool FHideFocusRect = false;
  bool FHideHintOnTimer = false;
  bool FHideHintOnMove = true;
  TColor FHideSelectColor = clBtnFace;
  TColor FHideSelectTextColor = clBtnShadow;
  bool FHideSelection = false;
  bool FHorizontalLines = false;
  bool FHideHorzScrollBar = false;
  bool FHideVertScrollBar = false;
  TElHintType FHintType = shtHintOrText;
  TColor FHorzDivLinesColor = clBtnFace;
  bool FIgnoreEnabled = false;
  TElImageForm* FImgForm = nullptr;
  TImageList* FImages = nullptr;
  TImageList* FImages2 = nullptr;
  TElFlatBorderType FInactiveBorderType = fbtSunkenOuter;
  bool FIncrementalSearch = false;
  int FInplaceEditorDelay = 500;
  int FItemIndent = 17;
  bool FKeepSelectionWithinLevel = false;
  TColor FLineBorderActiveColor = 0;
  TColor FLineBorderInactiveColor = 0;
  int FLineHeight = 0;
  TColor FLinesColor = clBtnFace;
  TPenStyle FLinesStyle = psDot;
  TColor FLineHintColor = clWindow;
  THintModes FLineHintMode = shmLong;
  int FLineHintTimeout = 3000;
  TLineHintType FLineHintType = lhtSmart;
  bool FLockHeaderHeight = false;
  TElFieldType FMainTextType = sftText;
  int FMainTreeColumn = 0;
  bool FMoveColumnOnDrag = false;
  bool FMoveFocusOnCollapse = false;
  bool FMouseFrameSelect = true;
  bool FMultiSelect = true;
  int FMultiSelectLevel = -1;
  bool FOwnerDrawByColumn = true;
  TElFString FOwnerDrawMask = L"~~@~~";
  char FPathSeparator = '\\';
  bool FPlusMinusTransparent = false;
  bool FQuickEditMode = false;
  bool FRightAlignedText = false;
  bool FRightAlignedTree = false;
  bool FRightClickSelect = true;
  bool FRowHotTrack = false;
  bool FRowSelect = true;
  bool FNoBlendSelected = false;
  bool FScrollBackground = false;
  bool FScrollbarOpposite = false;
  bool FScrollTracking = false;
  int FSelectColumn = -1;
  bool FShowButtons = true;
  bool FShowColumns = false;
  bool FShowCheckboxes = false;
  bool FShowEmptyImages = false;
  bool FShowEmptyImages2 = false;
  bool FShowImages = true;
  bool FShowLeafButton = false;
  bool FShowLines = true;
  bool FShowRoot = false;
  bool FShowRootButtons = true;
  TSTSelModes FSelMode = smUsual;
  TSortDirs FSortDir = sdAscend;
  TSortModes FSortMode = smNone;
  int FSortSection = 0;
  TSortTypes FSortType = stText;
  TElIniFile* FStorage = nullptr;
  AnsiString FStoragePath = "\\Tree";
  bool FSortUseCase = true;
  bool FStickyHeaderSections = false;
  TColor FStripedOddColor = clBtnShadow;
  TColor FStripedEvenColor = clBtnHighlight;
  bool FStripedItems = false;
  bool FTracking = true;
  TColor FTrackColor = clHighlight;
  bool FUnderlineTracked = true;
  bool FUseCustomScrollBars = true;
  TColor FVertDivLinesColor = clBtnFace;
  bool FVerticalLines = false;
  bool FVerticalLinesLong = true;
  TVirtualityLevel FVirtualityLevel = vlNone;
  bool FUseSystemHintColors = false;
  TColor FTextColor = clWindowText;
  TColor FBkColor = clWindow;
  TCursor FLinkCursor = crHandPoint;
  TColor FLinkColor = 0xFF0000;
  TFontStyles FLinkStyle{fsUnderline};
 private:
  // Shows the item on the top row, or on the bottom row when AtBottom.
  void ScrollItemIntoView(TElTreeItem* item, bool atBottom);
};

// The built-in expand, collapse and leaf buttons (10 x 10), drawn in the
// system's window-text, button-shadow and window colours; loaded by the
// unit's start-up, nil before it.
enum class TElTreeGlyph { Plus, Minus, Leaf };
TBitmap* ElTreeBuiltInGlyph(TElTreeGlyph glyph);
// Recolours the built-in glyphs after a change of the system colours, from
// the copies kept as the resources drew them.
void RecolourElTreeGlyphs();
// The unit (ElTreeUnit.cpp): drag cursors and the built-in glyphs.
extern const TUnitInfo ElTreeUnit;

// The tree with its properties published.
class TElTree : public TCustomElTree {
 public:
  explicit TElTree(TComponent* owner) : TCustomElTree(owner) {}
};

// Registers the tree's published properties (the unit's start-up).
void PublishTree();

// The drag object of a tree's drag: the tree's three drag cursors (no drop,
// move, copy with Ctrl held); it frees itself when the drag is finished.
class TElTreeDragObject : public TDragControlObject {
 public:
  using TDragControlObject::TDragControlObject;
  TCursor GetDragCursor(bool accepted, int x, int y) override;
  void Finished(TObject* target, int x, int y, bool accepted) override;
};

// OLE drop effects (copy, move, link) of a set of drag types, and the drag
// type an effect that came back stands for: move before link before copy.
DWORD DragTypesToDropEffects(TDragTypes types);
TDragType DropEffectToDragType(DWORD effect);

// ---------------------------------------------------------------------------
// The tree's invariants, for tests: FAllItems is the depth-first walk of the
// children lists; every link points where it should; the descendant,
// variable-height, hidden and visible counts equal a recount; the selection
// list holds exactly the items whose selected bit is set; the view refers to
// items of this tree only. Returns an empty string when everything holds,
// else the first broken rule.
class TElTreeInvariants {
 public:
  static std::string Check(TCustomElTree* tree);
};
