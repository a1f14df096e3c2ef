// The edit's commands: typing, the editing keys, the selection, the word
// moves, undo, the clipboard, the input method, the key table and the mouse.
#include <algorithm>
#include <climits>
#include <cstring>

#include "ElEditCore.hpp"
#include "ElTools.hpp"
#include "SysUtils.hpp"

namespace {

bool IsBlank(WideChar c) { return c == L' ' || c == L'\t'; }
bool IsBreak(WideChar c) { return c == L'\r' || c == L'\n'; }
bool TextBefore(TElParagraphPos a, TElParagraphPos b) {
  return a.Paragraph < b.Paragraph || (a.Paragraph == b.Paragraph && a.Offset < b.Offset);
}

// Text cut to at most Room units, never between the two halves of a pair.
TElFString CutToRoom(const TElFString& text, int room) {
  if (room >= static_cast<int>(text.size())) return text;
  if (room <= 0) return TElFString();
  std::size_t n = static_cast<std::size_t>(room);
  if (IsHighSurrogate(text[n - 1])) --n;
  return text.substr(0, n);
}

}  // namespace

TElEditKeyTranslator SystemKeyTranslator() {
  TElEditKeyTranslator t;
  if (HMODULE user32 = GetModuleHandleA("user32.dll"))
    t.ToUnicode = reinterpret_cast<TElToUnicodeProc>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ToUnicode")));
  t.GetKeyboardState = &::GetKeyboardState;
  t.MapKey = &::MapVirtualKeyW;
  return t;
}

// ---------------------------------------------------------------- insertion

std::pair<TElParagraphPos, TElParagraphPos> TElEditCore::InsertAtCaret(const TElFString& text) {
  TElParagraphPos before = ToTextPoint(caret_);
  TElDisplayPos at = ToDisplay(before);
  int column = at.Column, line = at.Line;
  lines_->InsertText(column, line, text);
  SetCaret({column, line});
  AnchorAtCaret();
  return {before, ToTextPoint(caret_)};
}

void TElEditCore::InsertRecorded(const TElFString& text) {
  if (text.empty()) return;
  auto [before, after] = InsertAtCaret(text);
  undoList_->AddAction(eatInsert, before, text, after);
}

int TElEditCore::RoomLeft() { return maxLength_ <= 0 ? INT_MAX : maxLength_ - TextLength(); }

void TElEditCore::DeleteSelection() {
  if (!hasSelection_) return;
  EditScope scope(*this);
  TElParagraphPos from = ToTextPoint(selStart_), to = ToTextPoint(selEnd_);
  undoList_->AddAction(eatDeleteSelection, ToTextPoint(caret_), GetSelText(), from);
  lines_->RemoveText(from, to);
  SetCaret(ToDisplay(from));
  AnchorAtCaret();
  host_->InvalidateText(true);
}

void TElEditCore::SetSelText(const TElFString& text) {
  EditScope scope(*this);
  DeleteSelection();
  if (text.empty()) return;
  auto [before, after] = InsertAtCaret(text);
  undoList_->AddAction(eatInsert, before, text, after);
  anchor_ = ToDisplay(before);
  ExtendSelection();
}

// ---------------------------------------------------------------- typing

void TElEditCore::KeyPress(char key) {
  unsigned char code = static_cast<unsigned char>(key);
  bool ignored = mouseSelecting_ || code == VK_BACK || code == VK_TAB || code == VK_RETURN ||
                 code == VK_ESCAPE || code == 127 || code < 32;
  TElFString text;
  if (IsWinNT && hasPendingInput_) {
    text = pendingInput_;
    messagesToDrop_ = pendingMessages_ - 1;
  } else if (messagesToDrop_ > 0) {
    --messagesToDrop_;
    return;
  } else {
    text = AnsiToWide(std::string(1, key));
  }
  hasPendingInput_ = false;
  pendingInput_.clear();
  if (ignored || readOnly_ || text.empty() || RoomLeft() < static_cast<int>(text.size())) return;
  EditScope scope(*this);
  DeleteSelection();
  InsertRecorded(ApplyCharCase(text));
  host_->Change();
  host_->SelectionChanged();
  host_->InvalidateText(true);
}

// The message loop has already translated the key (TranslateMessage) when
// the key-down arrives, and a dead key's accent is part of the keyboard
// state that translation keeps for the next key. So a dead key is not
// translated again here (that would use its accent up), and the key after
// it, whose accent the loop's translation has used up by now, is translated
// with the dead key given first again: ToUnicode then composes the very
// character the loop posted.
bool TElEditCore::TranslateKeyDown(Word& key, UINT scanCode) {
  messagesToDrop_ = 0;
  // Whatever an earlier key left for a character message that never came.
  hasPendingInput_ = false;
  pendingInput_.clear();
  if (!IsWinNT) return false;
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) key = static_cast<Word>('0' + (key - VK_NUMPAD0));
  if (key == VK_BACK || key == VK_TAB || key == VK_RETURN) {
    deadKey_.Pending = false;
    return false;
  }
  if (!keys_.ToUnicode || !keys_.GetKeyboardState) return false;
  BYTE state[256] = {};
  if (!keys_.GetKeyboardState(state) || (state[VK_CONTROL] & 0x80)) return false;
  const UINT character = keys_.MapKey ? keys_.MapKey(key, MAPVK_VK_TO_CHAR) : 1;
  if (character & 0x80000000u) {
    // Two dead keys in a row make characters of their own and leave no
    // accent waiting.
    if (deadKey_.Pending) {
      deadKey_.Pending = false;
    } else {
      deadKey_.Pending = true;
      deadKey_.Key = key;
      deadKey_.ScanCode = scanCode;
      std::memcpy(deadKey_.State, state, sizeof state);
    }
    return false;
  }
  // Shift, Alt and the like have no characters and leave an accent waiting.
  if (character == 0) return false;
  WCHAR buffer[5] = {};
  if (deadKey_.Pending) {
    deadKey_.Pending = false;
    keys_.ToUnicode(deadKey_.Key, deadKey_.ScanCode, deadKey_.State, buffer, 5, 0);
  }
  int n = keys_.ToUnicode(key, scanCode, state, buffer, 5, 0);
  if (n < 1) return false;
  pendingInput_.assign(buffer, static_cast<std::size_t>(std::min(n, 5)));
  hasPendingInput_ = true;
  pendingMessages_ = 0;
  for (WideChar unit : pendingInput_) {
    char bytes[4];
    int length = WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
    pendingMessages_ += std::max(length, 1);
  }
  key = 0;
  return true;
}

// ---------------------------------------------------------------- editing keys

void TElEditCore::FirstLineToTopWhenAllFit() {
  if (visibleLines_ >= lines_->GetDisplayLineCount()) SetFirstLine(0);
}

// Removes the text between From and To that Backspace or Delete took; the
// record keeps the caret before and after, and the removed text.
void TElEditCore::RemoveRecorded(TElActionKind kind, TElParagraphPos from, TElParagraphPos to,
                                 const TElFString& removed) {
  EditScope scope(*this);
  undoList_->AddAction(kind, ToTextPoint(caret_), removed, from);
  lines_->RemoveText(from, to);
  SetCaret(ToDisplay(from));
  AnchorAtCaret();
  FirstLineToTopWhenAllFit();
}

bool TElEditCore::Backspace() {
  if (hasSelection_) {
    DeleteSelection();
    return true;
  }
  TElParagraphPos at = ToTextPoint(caret_);
  TElParagraphPos to = at;
  TElFString removed;
  if (at.Offset > 0) {
    to.Offset = at.Offset - 1;
    removed = lines_->Get(at.Paragraph).substr(static_cast<std::size_t>(to.Offset), 1);
  } else if (at.Paragraph > 0) {
    to = {lines_->Paragraph(at.Paragraph - 1)->TextLength(), at.Paragraph - 1};
    removed = L"\r\n";
  } else {
    return false;  // the very start of the text
  }
  RemoveRecorded(eatBackspace, to, at, removed);
  return true;
}

bool TElEditCore::DeleteKey() {
  if (hasSelection_) {
    DeleteSelection();
    return true;
  }
  TElParagraphPos at = ToTextPoint(caret_);
  int length = lines_->GetCount() > 0 ? lines_->Paragraph(at.Paragraph)->TextLength() : 0;
  TElParagraphPos to = at;
  TElFString removed;
  if (at.Offset < length) {
    to.Offset = at.Offset + 1;
    removed = lines_->Get(at.Paragraph).substr(static_cast<std::size_t>(at.Offset), 1);
  } else if (at.Paragraph < lines_->GetCount() - 1) {
    to = {0, at.Paragraph + 1};
    removed = L"\r\n";
  } else {
    return false;
  }
  RemoveRecorded(eatDelete, at, to, removed);
  return true;
}

// Enter at the start of a continuation line leaves an empty paragraph
// between the two halves, marked by an eatExtraBreak record.
bool TElEditCore::Enter() {
  if (!multiline_) return false;
  if (maxLength_ > 0 && TextLength() >= maxLength_ - 1) return false;
  EditScope scope(*this);
  DeleteSelection();
  TElParagraphPos at = ToTextPoint(caret_);
  bool extraBreak = at.Offset > 0 && caret_.Column == 0;
  if (extraBreak) undoList_->AddAction(eatExtraBreak, {at.Paragraph + 1, 1}, TElFString(), {0, 0});
  auto [before, after] = InsertAtCaret(extraBreak ? L"\r\n\r\n" : L"\r\n");
  undoList_->AddAction(eatInsert, before, TElFString(), after);
  return true;
}

bool TElEditCore::Tab() {
  if (!wantTabs_ || RoomLeft() < 1) return false;
  EditScope scope(*this);
  DeleteSelection();
  auto [before, after] = InsertAtCaret(L"\t");
  undoList_->AddAction(eatInsert, before, tabString_, after);
  return true;
}

void TElEditCore::AfterEditingKey() {
  host_->InvalidateText(true);
  if (maxLength_ > 0 && TextLength() > maxLength_) return;
  host_->Change();
  host_->SelectionChanged();
  UpdateScrollRanges();
}

// ---------------------------------------------------------------- words

TElDisplayPos TElEditCore::WordRight(TElDisplayPos pos) {
  if (lines_->GetCount() == 0) return {0, 0};
  TElParagraphPos at = ToTextPoint(pos);
  TElFString text = lines_->Get(at.Paragraph);
  int length = static_cast<int>(text.size());
  int i = at.Offset;
  if (i >= length) {
    int last = lines_->GetDisplayLineCount() - 1;
    TElDisplayPos end = ToDisplay(at);
    return end.Line < last ? TElDisplayPos{0, end.Line + 1} : end;
  }
  if (IsBreak(text[static_cast<std::size_t>(i)])) {
    // Onto the next piece of a single-line text: past the break.
    i += (text[static_cast<std::size_t>(i)] == L'\r' && i + 1 < length && text[static_cast<std::size_t>(i + 1)] == L'\n') ? 2 : 1;
    return ToDisplay({i, at.Paragraph});
  }
  bool blank = IsBlank(text[static_cast<std::size_t>(i)]);
  while (i < length && !IsBreak(text[static_cast<std::size_t>(i)]) && IsBlank(text[static_cast<std::size_t>(i)]) == blank) ++i;
  while (i < length && IsBlank(text[static_cast<std::size_t>(i)])) ++i;
  return ToDisplay({i, at.Paragraph});
}

// The word that holds character Offset of a paragraph, found leftwards:
// blanks are passed first, then the word before them.
TElDisplayPos TElEditCore::WordLeftFrom(int paragraph, int offset) {
  TElFString text = lines_->Get(paragraph);
  int length = static_cast<int>(text.size());
  if (length == 0) return ToDisplay({0, paragraph});
  int i = std::min(offset, length - 1);
  if (IsBreak(text[static_cast<std::size_t>(i)])) return ToDisplay({i, paragraph});
  bool blank = IsBlank(text[static_cast<std::size_t>(i)]);
  auto at = [&](int k) { return text[static_cast<std::size_t>(k)]; };
  while (i > 0 && !IsBreak(at(i - 1)) && IsBlank(at(i - 1)) == blank) --i;
  if (blank)
    while (i > 0 && !IsBreak(at(i - 1)) && !IsBlank(at(i - 1))) --i;
  return ToDisplay({i, paragraph});
}

// The word move left starts one character left of the caret; from a
// paragraph's start it goes to the end of the previous paragraph.
TElDisplayPos TElEditCore::WordLeft(TElDisplayPos caret) {
  if (lines_->GetCount() == 0) return {0, 0};
  int paragraph = 0;
  int offset = RawOffset(caret, paragraph) - 1;
  if (offset < 0) {
    if (paragraph == 0) return {0, 0};
    return ToDisplay({lines_->Paragraph(paragraph - 1)->TextLength(), paragraph - 1});
  }
  return WordLeftFrom(paragraph, offset);
}

void TElEditCore::DeleteWord(bool toTheLeft) {
  if (readOnly_) return;
  EditScope scope(*this);
  DeleteSelection();
  TElDisplayPos target = toTheLeft ? WordLeft(caret_) : WordRight(caret_);
  anchor_ = caret_;
  SetCaret(target);
  ExtendSelection();
  DeleteSelection();
  AfterEditingKey();
}

// ---------------------------------------------------------------- undo

void TElEditCore::Undo() {
  TElAction* action = undoList_->PopAction();
  if (!action) return;
  redoList_->PushAction(action);
  {
    EditScope scope(*this);
    undoList_->Lock();
    try {
      ReplayAction(action);
    } catch (...) {
      undoList_->Unlock();
      throw;
    }
    undoList_->Unlock();
  }
  host_->InvalidateText(true);
  host_->Change();
}

void TElEditCore::ReplayAction(TElAction* action) {
  switch (action->Kind) {
    case eatInsert:
      SetCaret(ToDisplay(action->StartPos));
      anchor_ = caret_;
      SetCaret(ToDisplay(action->EndPos));
      ExtendSelection();
      DeleteSelection();
      break;
    case eatDelete:
    case eatBackspace:
    case eatDeleteSelection: {
      TElDisplayPos at = ToDisplay(action->EndPos);
      int column = at.Column, line = at.Line;
      lines_->InsertText(column, line, action->Text);
      TElParagraphPos insertedEnd = ToTextPoint({column, line});
      SetCaret(ToDisplay(action->StartPos));
      AnchorAtCaret();
      if (action->Kind == eatDeleteSelection) {
        // The caret stays where it was before the deletion; the selection
        // reaches to the other end of the restored text.
        TElParagraphPos other = TextBefore(action->StartPos, insertedEnd) ? insertedEnd : action->EndPos;
        anchor_ = ToDisplay(other);
        ExtendSelection();
      }
      break;
    }
    case eatSetText:
      lines_->SetTextStr(action->Text);
      break;
    case eatExtraBreak:
      break;
  }
}

// ---------------------------------------------------------------- clipboard and input method

void TElEditCore::CopyToClipboard() {
  if (passwordChar_ || !hasSelection_) return;
  host_->SetClipboardText(GetSelText());
}

void TElEditCore::CutToClipboard() {
  if (passwordChar_) return;
  CopyToClipboard();
  if (readOnly_) return;
  DeleteSelection();
  NotifyChange();
  host_->SelectionChanged();
}

void TElEditCore::PasteFromClipboard() {
  if (readOnly_) return;
  TElFString text = host_->GetClipboardText();
  text = CutToRoom(text, RoomLeft());
  if (text.empty()) return;
  EditScope scope(*this);
  DeleteSelection();
  InsertRecorded(text);
  NotifyChange();
  host_->SelectionChanged();
  host_->InvalidateText(true);
}

void TElEditCore::ClearSelectionText() {
  if (readOnly_) return;
  SetSelText(TElFString());
}

// The result of a composition is typed text: it keeps to the length limit,
// leaves a read-only edit alone, is undone in one step and is reported.
void TElEditCore::InsertCompositionResult(const TElFString& result) {
  if (readOnly_) return;
  TElFString text = CutToRoom(ApplyCharCase(result), RoomLeft());
  if (text.empty()) return;
  EditScope scope(*this);
  DeleteSelection();
  InsertRecorded(text);
  host_->InvalidateText(true);
  host_->Change();
  host_->SelectionChanged();
}

// ---------------------------------------------------------------- key table

bool TElEditCore::KeyDown(Word& key, TShiftState shift) {
  if (mouseSelecting_) return false;
  if (!multiline_) {
    switch (key) {
      case VK_RETURN: key = 0; break;
      case VK_PRIOR: key = VK_HOME; break;
      case VK_NEXT: key = VK_END; break;
      case VK_UP: key = VK_LEFT; break;
      case VK_DOWN: key = VK_RIGHT; break;
      default: break;
    }
  }
  if (rtlContent_) {
    switch (key) {
      case VK_END: key = VK_HOME; break;
      case VK_HOME: key = VK_END; break;
      case VK_LEFT: key = VK_RIGHT; break;
      case VK_RIGHT: key = VK_LEFT; break;
      default: break;
    }
  }
  TShiftState state = shift * TShiftState{ssShift, ssCtrl, ssAlt};
  if (key == VK_RETURN && (state == TShiftState{ssShift} || state == TShiftState{ssCtrl})) state = {};
  if (state == TShiftState{ssShift}) {
    ShiftKey(key, false);
    return true;
  }
  if (state == TShiftState{ssShift, ssCtrl}) {
    ShiftKey(key, true);
    return true;
  }
  if (state == TShiftState{ssCtrl}) {
    CtrlKey(key);
    return false;
  }
  if (state.Empty()) {
    PlainKey(key);
    return false;
  }
  return true;
}

void TElEditCore::ShiftKey(Word& key, bool ctrlToo) {
  switch (key) {
    case VK_DELETE:
    case VK_INSERT:
      if (ctrlToo) return;
      host_->SendClipboardMessage(key == VK_DELETE ? WM_CUT : WM_PASTE);
      host_->Change();
      key = 0;
      return;
    case VK_PRIOR: MoveCaretToLine(caret_.Line - visibleLines_); break;
    case VK_NEXT: MoveCaretToLine(caret_.Line + visibleLines_); break;
    case VK_END:
      if (ctrlToo) {
        SetCaret(EndOfText());
      } else {
        noLineAdvance_ = true;
        MoveCaretToColumn(static_cast<int>(lines_->GetDisplayLine(caret_.Line).size()));
        noLineAdvance_ = false;
      }
      break;
    case VK_HOME:
      if (ctrlToo)
        SetCaret({0, 0});
      else
        MoveCaretToColumn(0);
      break;
    case VK_LEFT:
      if (ctrlToo)
        SetCaret(WordLeft(caret_));
      else
        MoveCaretToColumn(caret_.Column - 1);
      break;
    case VK_RIGHT:
      if (ctrlToo)
        SetCaret(WordRight(caret_));
      else
        MoveCaretToColumn(caret_.Column + 1);
      break;
    case VK_UP: MoveCaretToLine(caret_.Line - 1); break;
    case VK_DOWN: MoveCaretToLine(caret_.Line + 1); break;
    default: return;
  }
  ExtendSelection();
  host_->SelectionChanged();
}

void TElEditCore::CtrlKey(Word& key) {
  switch (key) {
    case 'C':
    case VK_INSERT:
      host_->SendClipboardMessage(WM_COPY);
      key = 0;
      break;
    case 'X':
      host_->SendClipboardMessage(WM_CUT);
      host_->Change();
      key = 0;
      break;
    case 'V':
      host_->SendClipboardMessage(WM_PASTE);
      host_->Change();
      key = 0;
      break;
    case 'Z':
      if (!readOnly_) {
        Undo();
        host_->Change();
      }
      key = 0;
      break;
    case 'A':
      SelectAll();
      key = 0;
      break;
    case VK_BACK: DeleteWord(true); break;
    case VK_DELETE: DeleteWord(false); break;
    case VK_END:
    case VK_HOME:
      ClearSelection();
      SetCaret(key == VK_END ? EndOfText() : TElDisplayPos{0, 0});
      AnchorAtCaret();
      break;
    case VK_LEFT:
    case VK_RIGHT:
      ClearSelection();
      SetCaret(key == VK_LEFT ? WordLeft(caret_) : WordRight(caret_));
      AnchorAtCaret();
      host_->SelectionChanged();
      break;
    default: break;
  }
}

void TElEditCore::NavigationKey(Word key) {
  switch (key) {
    case VK_PRIOR: MoveCaretToLine(caret_.Line - visibleLines_); break;
    case VK_NEXT: MoveCaretToLine(caret_.Line + visibleLines_); break;
    case VK_END:
      noLineAdvance_ = true;
      MoveCaretToColumn(static_cast<int>(lines_->GetDisplayLine(caret_.Line).size()));
      noLineAdvance_ = false;
      break;
    case VK_HOME: MoveCaretToColumn(0); break;
    case VK_LEFT: MoveCaretToColumn(caret_.Column - 1); break;
    case VK_RIGHT: MoveCaretToColumn(caret_.Column + 1); break;
    case VK_UP: MoveCaretToLine(caret_.Line - 1); break;
    case VK_DOWN: MoveCaretToLine(caret_.Line + 1); break;
    default: break;
  }
}

void TElEditCore::PlainKey(Word& key) {
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      ClearSelection();
      NavigationKey(key);
      AnchorAtCaret();
      host_->SelectionChanged();
      return;
    default: break;
  }
  if (readOnly_) return;
  bool changed = false;
  switch (key) {
    case VK_BACK: changed = Backspace(); break;
    case VK_TAB: changed = Tab(); break;
    case VK_RETURN: changed = Enter(); break;
    case VK_DELETE: changed = DeleteKey(); break;
    default: return;
  }
  if (changed) AfterEditingKey();
}

// ---------------------------------------------------------------- menu commands

bool TElEditCore::ExecuteCommand(int id) {
  switch (id) {
    case 177:
    case 1025: SelectAll(); return true;
    case 768: host_->SendClipboardMessage(WM_CUT); return true;
    case 769: host_->SendClipboardMessage(WM_COPY); return true;
    case 770: host_->SendClipboardMessage(WM_PASTE); return true;
    case 771:
      if (!readOnly_ && hasSelection_) {
        DeleteSelection();
        AfterEditingKey();
      }
      return true;
    case 772:
      if (!readOnly_) Undo();
      return true;
    default: return false;
  }
}

// ---------------------------------------------------------------- mouse and focus

void TElEditCore::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TElDisplayPos pos = PointToPos({x, y});
  if (host_->CanTakeFocus()) {
    SetCaret(pos);
    AnchorAtCaret();
    host_->TakeFocus();
  }
  if (button != mbLeft) return;
  if (shift.Contains(ssDouble)) {
    SetCaret(pos);
    TElParagraphPos at = ToTextPoint(pos);
    anchor_ = lines_->GetCount() > 0 ? WordLeftFrom(at.Paragraph, at.Offset) : TElDisplayPos{};
    SetCaret(WordRight(pos));
    ExtendSelection();
  } else {
    SetCaret(pos);
    if (shift.Contains(ssShift))
      ExtendSelection();
    else
      ClearSelection();
    mouseSelecting_ = true;
  }
  host_->SelectionChanged();
  host_->InvalidateText(true);
}

void TElEditCore::MouseMove(TShiftState shift, int x, int y) {
  if (!shift.Contains(ssLeft)) return;
  SetCaret(PointToPos({x, y}));
  ExtendSelection();
  host_->SelectionChanged();
}

void TElEditCore::MouseUp() { mouseSelecting_ = false; }

void TElEditCore::FocusEntered() {
  PlaceCaret();
  if (autoSelect_) SelectAll();
  if (hideSelection_) host_->InvalidateText(true);
}

void TElEditCore::FocusLeft() {
  if (hideSelection_) host_->InvalidateText(true);
}
