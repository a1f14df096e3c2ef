// The UTF-16 edit without its window: the text store with its undo lists,
// the caret and the selection, the mapping between text positions and
// client points, the horizontal view, scrolling, the editing commands, the
// keyboard and mouse rules, the clipboard commands and the answers to the
// standard edit messages. The window around it (TCustomElEdit) measures text
// through a TElEditMeasurer and carries out repaints, caret moves, scroll-bar
// updates and notifications through a TElEditHost; both are small interfaces,
// so that all of this runs and is tested without a window.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "ElEditActions.hpp"
#include "ElEditStrings.hpp"
#include "ElStrUtils.hpp"
#include "StdCtrls.hpp"

enum TElEditCharCase { eecNormal, eecUpperCase, eecLowerCase };

// Widths in pixels of text in the edit's font.
class TElEditMeasurer {
 public:
  virtual ~TElEditMeasurer() = default;
  // Extents[i] := the width of Text[0..i] (the right edge of character i).
  virtual void GetExtents(const WideChar* text, int length, int* extents) = 0;
  virtual int TextWidth(const WideChar* text, int length) = 0;
  // The font's height without sign (line height less 2).
  virtual int FontHeight() = 0;
  // The character cell height: the caret's height.
  virtual int CharHeight() = 0;
};

// One scroll bar's state as the text wants it.
struct TElEditScrollBarState {
  bool Wanted = false;   // the ScrollBars setting asks for the bar
  bool Enabled = false;  // there is something to scroll
  int Min = 0;
  int Max = 0;
  int Page = 0;
  int Position = 0;
};

struct TElEditScrollRanges {
  TElEditScrollBarState Vert;
  TElEditScrollBarState Horz;
};

// One display line as painting draws it.
struct TElEditPaintLine {
  int Line = 0;         // display line
  TElFString Text;      // masked, tab-expanded, from FirstColumn, cut to what fits
  int X = 0;            // left edge of Text: alignment and left margin included
  int Bottom = 0;       // the text is drawn bottom-aligned on this y
  int SelStart = 0;     // selected units of Text: [SelStart, SelEnd)
  int SelEnd = 0;
};

// What the edit asks of its window. Every operation has a do-nothing default,
// which is also how the logic behaves while there is no window.
class TElEditHost {
 public:
  virtual ~TElEditHost() = default;
  virtual bool HandleAllocated() { return false; }
  virtual bool Focused() { return false; }
  // Mouse down: the edit is enabled, can take the focus and has not got it.
  virtual bool CanTakeFocus() { return false; }
  virtual void TakeFocus() {}
  // The text area needs repainting (erase: with background erase).
  virtual void InvalidateText(bool /*erase*/) {}
  // The system caret goes to this client point (its top is one pixel above
  // the text line's top, as the caret is placed).
  virtual void SetCaretPoint(TPoint /*point*/) {}
  virtual void ScrollRangesChanged(const TElEditScrollRanges& /*ranges*/) {}
  // The edit's Change and SelectionChanged (its OnChange, OnSelectionChange).
  virtual void Change() {}
  virtual void SelectionChanged() {}
  // Sends WM_SETTEXT (wParam 1, UTF-16 text) to the window, whose handler
  // calls SetTextFromMessage.
  virtual void SendSetText(const TElFString& /*text*/) {}
  // Sends WM_COPY, WM_CUT or WM_PASTE to the window, whose handlers call
  // CopyToClipboard, CutToClipboard and PasteFromClipboard.
  virtual void SendClipboardMessage(unsigned /*message*/) {}
  virtual void SetClipboardText(const TElFString& /*text*/) {}
  virtual TElFString GetClipboardText() { return TElFString(); }
};

// The platform's key translation, replaceable for tests.
using TElToUnicodeProc = int(WINAPI*)(UINT virtualKey, UINT scanCode, const BYTE* keyState,
                                      LPWSTR buffer, int bufferSize, UINT flags);
using TElGetKeyboardStateProc = BOOL(WINAPI*)(PBYTE keyState);
using TElMapVirtualKeyProc = UINT(WINAPI*)(UINT code, UINT mapType);
struct TElEditKeyTranslator {
  TElToUnicodeProc ToUnicode = nullptr;  // nil: keys are not translated
  TElGetKeyboardStateProc GetKeyboardState = nullptr;
  // Tells dead keys (the high bit of MAPVK_VK_TO_CHAR) and keys without
  // characters; nil: every key may have characters, none is dead.
  TElMapVirtualKeyProc MapKey = nullptr;
};
// USER32's ToUnicode, looked up by name, GetKeyboardState and
// MapVirtualKeyW.
TElEditKeyTranslator SystemKeyTranslator();

class TElEditCore {
 public:
  TElEditCore(TElEditMeasurer* measurer, TElEditHost* host);
  ~TElEditCore();
  TElEditCore(const TElEditCore&) = delete;
  TElEditCore& operator=(const TElEditCore&) = delete;

  TElEditStrings* Lines() { return lines_.get(); }
  TElActionList* UndoList() { return undoList_.get(); }
  TElActionList* RedoList() { return redoList_.get(); }
  void SetKeyTranslator(const TElEditKeyTranslator& translator) { keys_ = translator; }

  // ---- text
  // The text without the final line break.
  TElFString Text();
  // The Text property written by a program (not while loading: then the
  // store takes the text directly).
  void SetText(const TElFString& text);
  // WM_SETTEXT's handling.
  void SetTextFromMessage(const TElFString& text);
  int TextLength();

  // ---- properties
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AlignBottom() const { return alignBottom_; }
  void SetAlignBottom(bool value);
  int LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(int value);
  int RightMargin() const { return rightMargin_; }
  void SetRightMargin(int value);
  int TopMargin() const { return topMargin_; }
  void SetTopMargin(int value);
  int TabSpaces() const { return tabSpaces_; }
  void SetTabSpaces(int value);
  const TElFString& TabString() const { return tabString_; }
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value) { maxLength_ = value; }
  int MaxUndoLevel() const { return undoList_->MaxUndo(); }
  // Bounds the replayed records as well: the redo list never grows past it.
  void SetMaxUndoLevel(int value) {
    undoList_->SetMaxUndo(value);
    redoList_->SetMaxUndo(value);
  }
  TElFString PasswordChar() const;
  void SetPasswordChar(const TElFString& value);
  WideChar PasswordCharValue() const { return passwordChar_; }
  TElEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TElEditCharCase value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }
  bool HandleDialogKeys() const { return handleDialogKeys_; }
  void SetHandleDialogKeys(bool value) { handleDialogKeys_ = value; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool NotifyUserChangeOnly() const { return notifyUserChangeOnly_; }
  void SetNotifyUserChangeOnly(bool value) { notifyUserChangeOnly_ = value; }
  bool RTLContent() const { return rtlContent_; }
  void SetRTLContent(bool value);

  // ---- geometry
  const TRect& EditRect() const { return editRect_; }
  // The text area (the client less the visible custom bars).
  void SetEditRect(const TRect& rect);
  int LineHeight() const { return lineHeight_; }
  int FirstLine() const { return firstLine_; }
  int VisibleLines() const { return visibleLines_; }
  int FirstColumn() const { return firstColumn_; }
  void SetFirstColumn(int value);
  int VisibleColumns() const { return visibleColumns_; }
  bool LineOverflow() const { return lineOverflow_; }
  // The font changed: new line height, every paragraph re-wrapped.
  void FontChanged();
  // The window was resized: every paragraph re-wrapped, the caret kept at its
  // place in the text; then the text area is Rect.
  void Resized(const TRect& rect);
  TPoint PosToPoint(TElDisplayPos pos);
  TElDisplayPos PointToPos(TPoint point);
  std::vector<TElEditPaintLine> PaintLines();
  TElEditScrollRanges ScrollRanges();
  void UpdateScrollRanges();

  // ---- caret and selection
  TElDisplayPos CaretPos() const { return caret_; }
  TElDisplayPos SelAnchor() const { return anchor_; }
  TElDisplayPos SelStartPos() const { return selStart_; }
  TElDisplayPos SelEndPos() const { return selEnd_; }
  bool HasSelection() const { return hasSelection_; }
  bool MouseSelecting() const { return mouseSelecting_; }
  // Puts the system caret where CaretPos shows.
  void PlaceCaret();
  // Caret to a display position as it is (clamped to the text), scrolled
  // into view; the selection is not touched.
  void SetCaret(TElDisplayPos pos);
  // The caret moves of the keys: a column past a line's end passes to the
  // next line, a negative one to the previous line.
  void MoveCaretToColumn(int column);
  void MoveCaretToLine(int line);
  void SelectAll();
  void ClearSelection();
  TElFString GetSelText();
  int GetSelStart();
  void SetSelStart(int offset);
  void SetSelLength(int length);
  void SetSelText(const TElFString& text);
  // Offsets in the whole text, counting 2 for every paragraph break.
  int PosToOffset(TElDisplayPos pos);
  TElDisplayPos OffsetToPos(int offset);

  // ---- scrolling (SB_* codes)
  void VScroll(int code, int position);
  void HScroll(int code, int position);
  // A wheel turn; LinesSetting is SPI_GETWHEELSCROLLLINES's answer
  // (WHEEL_PAGESCROLL: a page per notch).
  void MouseWheel(int delta, unsigned linesSetting);

  // ---- editing
  void Undo();
  void DeleteSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  // WM_CLEAR.
  void ClearSelectionText();
  // The input method's result string.
  void InsertCompositionResult(const TElFString& text);

  // ---- keyboard and mouse
  // WM_KEYDOWN's translation before the key is processed: true when the key
  // produced characters, which then wait for the character message.
  bool TranslateKeyDown(Word& key, UINT scanCode);
  // After the class library's key-down processing. Answers true when that
  // processing is to run a second time with Key as it then stands.
  bool KeyDown(Word& key, TShiftState shift);
  // After the class library's key-press processing; Key is ANSI.
  void KeyPress(char key);
  const TElFString& PendingInput() const { return pendingInput_; }
  bool HasPendingInput() const { return hasPendingInput_; }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseUp();
  void FocusEntered();
  void FocusLeft();

  // ---- standard edit messages
  void GetSel(int& start, int& end);
  void SetSel(int start, int end);
  // WM_GETTEXT: the text without its final line break, in ANSI, as much as
  // fits before the terminating zero; answers the characters copied.
  int GetTextMessage(char* buffer, int size);
  // WM_GETTEXTLENGTH, counted as WM_GETTEXT copies.
  int GetTextLengthMessage();
  // EM_GETLINE: paragraph Index in ANSI, at most Size bytes, no terminator;
  // 0 for a paragraph out of range.
  int GetLineMessage(int index, char* buffer, int size);
  bool GetParagraph(int index, TElFString& text);
  int LineCount() { return lines_->GetCount(); }
  int LineIndex(int line);
  int LineFromChar(int offset);
  void ScrollLines(int delta);
  // WM_COMMAND's menu ids; false for an id the edit does not know.
  bool ExecuteCommand(int id);
  // WM_GETDLGCODE from the default answer.
  LRESULT DialogCode(LRESULT defaultCode);

  // ---- used by the store
  int WrapLimit() const { return editRect_.right - rightMargin_; }
  // Extents of the text as shown: masked and with TABs as TabSpaces blanks.
  void MeasureExtents(const WideChar* text, int length, std::vector<int>& extents);
  int MeasureWidth(const TElFString& text);
  void StoreChanging();
  void StoreChanged();
  void CaretToStart();

 private:
  // Marks the edit's own changes of the store; any other change of the text
  // makes the undo records meaningless and clears them.
  class EditScope {
   public:
    explicit EditScope(TElEditCore& core) : core_(core) { ++core_.editDepth_; }
    ~EditScope() { --core_.editDepth_; }
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

   private:
    TElEditCore& core_;
  };

  TElFString Shown(const TElFString& text);
  int FitCount(const TElFString& text, int width);
  int FitCountBack(const TElFString& text, int end, int width);
  int TextWidthArea() const;
  int AlignmentOffset(const TElFString& line);
  void UpdateVisibleLines();
  void AdjustHorizontalView(bool movingLeft);
  void ScrollIntoView(int line);
  void SetFirstLine(int value);
  void ExtendSelection();
  void AnchorAtCaret();
  void SetSelectionRange(TElDisplayPos from, TElDisplayPos to);
  void RewrapKeepingCaret();
  void RepaintAndPlace();
  void RewrapOrRepaint();
  void ReplaceText(const TElFString& text);
  TElFString ApplyCharCase(const TElFString& text) const;
  void NotifyChange();

  TElParagraphPos ToTextPoint(TElDisplayPos pos);
  TElDisplayPos ToDisplay(TElParagraphPos point);
  int RawOffset(TElDisplayPos pos, int& paragraph);
  TElDisplayPos WordLeftFrom(int paragraph, int offset);
  TElDisplayPos WordLeft(TElDisplayPos caret);
  TElDisplayPos WordRight(TElDisplayPos pos);
  TElDisplayPos EndOfText();
  // Inserts at the caret and moves the caret after the text; answers where
  // the text starts and ends. Records nothing.
  std::pair<TElParagraphPos, TElParagraphPos> InsertAtCaret(const TElFString& text);
  // Inserts recording one eatInsert record for the whole text.
  void InsertRecorded(const TElFString& text);
  int RoomLeft();
  void RemoveRecorded(TElActionKind kind, TElParagraphPos from, TElParagraphPos to, const TElFString& removed);
  bool Backspace();
  bool DeleteKey();
  bool Enter();
  bool Tab();
  void DeleteWord(bool toTheLeft);
  void AfterEditingKey();
  void FirstLineToTopWhenAllFit();
  void NavigationKey(Word key);
  void ShiftKey(Word& key, bool ctrlToo);
  void CtrlKey(Word& key);
  void PlainKey(Word& key);
  void ReplayAction(TElAction* action);

  TElEditMeasurer* measurer_;
  TElEditHost* host_;
  TElEditHost noHost_;
  std::unique_ptr<TElEditStrings> lines_;
  std::unique_ptr<TElActionList> undoList_;
  std::unique_ptr<TElActionList> redoList_;
  TElEditKeyTranslator keys_;

  bool multiline_ = false;
  bool wordWrap_ = false;
  TScrollStyle scrollBars_ = ssNone;
  TAlignment alignment_ = taLeftJustify;
  bool alignBottom_ = true;
  int leftMargin_ = 1;
  int rightMargin_ = 5;
  int topMargin_ = 0;
  int tabSpaces_ = 4;
  TElFString tabString_;
  int maxLength_ = 0;
  WideChar passwordChar_ = 0;
  TElEditCharCase charCase_ = eecNormal;
  bool readOnly_ = false;
  bool wantTabs_ = false;
  bool handleDialogKeys_ = false;
  bool autoSelect_ = false;
  bool hideSelection_ = true;
  bool notifyUserChangeOnly_ = true;
  bool rtlContent_ = false;

  TRect editRect_{0, 0, 0, 0};
  int lineHeight_ = 2;
  int firstLine_ = 0;
  int visibleLines_ = 0;
  int firstColumn_ = 0;
  int visibleColumns_ = 0;
  bool lineOverflow_ = false;
  bool noLineAdvance_ = false;
  bool mouseSelecting_ = false;

  TElDisplayPos caret_;
  TElDisplayPos anchor_;
  TElDisplayPos selStart_;
  TElDisplayPos selEnd_;
  bool hasSelection_ = false;

  TElFString pendingInput_;
  bool hasPendingInput_ = false;
  // The system posts one character message (an ANSI window: one per byte)
  // for every unit of a translated key; the first inserts the whole pending
  // input, the others are dropped.
  int pendingMessages_ = 0;
  int messagesToDrop_ = 0;
  // The dead key pressed last, while its accent waits for the next key.
  struct DeadKey {
    bool Pending = false;
    UINT Key = 0;
    UINT ScanCode = 0;
    BYTE State[256] = {};
  };
  DeadKey deadKey_;

  int editDepth_ = 0;  // inside one of the edit's own changes of the store
  std::vector<int> extents_;
  std::vector<int> shownExtents_;
  TElFString shown_;
};
