#include "ElEditCore.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ElTools.hpp"

namespace {

bool Before(TElDisplayPos a, TElDisplayPos b) {
  return a.Line < b.Line || (a.Line == b.Line && a.Column < b.Column);
}

}  // namespace

TElEditCore::TElEditCore(TElEditMeasurer* measurer, TElEditHost* host)
    : measurer_(measurer),
      host_(host ? host : &noHost_),
      lines_(std::make_unique<TElEditStrings>(this)),
      undoList_(std::make_unique<TElActionList>()),
      redoList_(std::make_unique<TElActionList>()),
      keys_(SystemKeyTranslator()),
      tabString_(4, L' ') {
  lineHeight_ = measurer_->FontHeight() + 2;
}

TElEditCore::~TElEditCore() {
  // The store calls back while it empties; it goes first, while the rest is whole.
  lines_.reset();
}

// ---------------------------------------------------------------- measuring

TElFString TElEditCore::Shown(const TElFString& text) {
  if (passwordChar_) {
    TElFString masked = text;
    for (WideChar& c : masked)
      if (c != L'\r' && c != L'\n') c = passwordChar_;
    return masked;
  }
  if (text.find(L'\t') == TElFString::npos) return text;
  TElFString expanded;
  expanded.reserve(text.size() + 8);
  for (WideChar c : text) {
    if (c == L'\t')
      expanded += tabString_;
    else
      expanded += c;
  }
  return expanded;
}

void TElEditCore::MeasureExtents(const WideChar* text, int length, std::vector<int>& extents) {
  extents.resize(static_cast<std::size_t>(length));
  if (length <= 0) return;
  bool tabs = !passwordChar_ && std::find(text, text + length, L'\t') != text + length;
  if (!passwordChar_ && !tabs) {
    measurer_->GetExtents(text, length, extents.data());
    return;
  }
  shown_ = Shown(TElFString(text, static_cast<std::size_t>(length)));
  shownExtents_.resize(shown_.size());
  measurer_->GetExtents(shown_.data(), static_cast<int>(shown_.size()), shownExtents_.data());
  // Every character's right edge is that of the last unit it shows as.
  int at = 0;
  for (int i = 0; i < length; ++i) {
    at += (text[i] == L'\t' && !passwordChar_) ? tabSpaces_ : 1;
    extents[static_cast<std::size_t>(i)] = shownExtents_[static_cast<std::size_t>(at - 1)];
  }
}

int TElEditCore::MeasureWidth(const TElFString& text) {
  if (text.empty()) return 0;
  TElFString shown = Shown(text);
  return measurer_->TextWidth(shown.data(), static_cast<int>(shown.size()));
}

int TElEditCore::FitCount(const TElFString& text, int width) {
  if (text.empty()) return 0;
  MeasureExtents(text.data(), static_cast<int>(text.size()), extents_);
  return static_cast<int>(std::upper_bound(extents_.begin(), extents_.end(), width) - extents_.begin());
}

// How many characters just before End fit into Width.
int TElEditCore::FitCountBack(const TElFString& text, int end, int width) {
  end = std::min(end, static_cast<int>(text.size()));
  if (end <= 0) return 0;
  MeasureExtents(text.data(), end, extents_);
  int right = extents_[static_cast<std::size_t>(end - 1)];
  int k = 0;
  while (k < end) {
    int left = end - k - 2 >= 0 ? extents_[static_cast<std::size_t>(end - k - 2)] : 0;
    if (right - left > width) break;
    ++k;
  }
  return k;
}

int TElEditCore::TextWidthArea() const { return editRect_.right - rightMargin_ - leftMargin_; }

int TElEditCore::AlignmentOffset(const TElFString& line) {
  if (alignment_ == taLeftJustify) return 0;
  int w = MeasureWidth(line);
  int right = editRect_.right - rightMargin_;
  if (alignment_ == taCenter) return std::abs(right / 2 - w / 2);
  return std::abs(right - w) - 2;
}

// ---------------------------------------------------------------- text

TElFString TElEditCore::Text() {
  TElFString text = lines_->GetTextStr();
  if (text.size() >= 2) text.resize(text.size() - 2);
  return text;
}

int TElEditCore::TextLength() {
  int count = lines_->GetCount();
  if (count == 0) return 0;
  int length = 2 * (count - 1);
  for (int i = 0; i < count; ++i) length += lines_->Paragraph(i)->TextLength();
  return length;
}

TElFString TElEditCore::ApplyCharCase(const TElFString& text) const {
  if (charCase_ == eecUpperCase) return WideUpperCase(text);
  if (charCase_ == eecLowerCase) return WideLowerCase(text);
  return text;
}

void TElEditCore::NotifyChange() {
  if (!notifyUserChangeOnly_) host_->Change();
}

void TElEditCore::SetText(const TElFString& text) {
  TElFString cased = ApplyCharCase(text);
  if (cased == Text()) return;
  if (host_->HandleAllocated()) {
    host_->SendSetText(cased);
  } else {
    NotifyChange();
    ReplaceText(cased);
    NotifyChange();
  }
  UpdateScrollRanges();
}

void TElEditCore::SetTextFromMessage(const TElFString& text) {
  ReplaceText(text);
  if (host_->HandleAllocated()) PlaceCaret();
  NotifyChange();
  host_->SelectionChanged();
  host_->InvalidateText(true);
}

// A replaced text keeps one record that brings the old text back, so that
// undo neither loses it nor replays older records against the new text.
void TElEditCore::ReplaceText(const TElFString& text) {
  EditScope scope(*this);
  if (lines_->GetDisplayLineCount() > 0) {
    TElFString old = Text();
    if (old != text) undoList_->AddAction(eatSetText, TElParagraphPos{}, old, TElParagraphPos{});
  }
  lines_->SetTextStr(text);
}

void TElEditCore::StoreChanging() {
  if (editDepth_ == 0) undoList_->Clear();
}

void TElEditCore::StoreChanged() {
  if (host_->HandleAllocated()) host_->InvalidateText(false);
}

void TElEditCore::CaretToStart() {
  hasSelection_ = false;
  if (host_->HandleAllocated()) {
    SetCaret({0, 0});
  } else {
    caret_ = {0, 0};
    firstLine_ = 0;
    firstColumn_ = 0;
  }
  anchor_ = selStart_ = selEnd_ = caret_;
}

// ---------------------------------------------------------------- properties

void TElEditCore::RepaintAndPlace() {
  host_->InvalidateText(true);
  PlaceCaret();
}

// A change that moves where lines wrap re-wraps; otherwise only the look changes.
void TElEditCore::RewrapOrRepaint() {
  if (wordWrap_)
    RewrapKeepingCaret();
  else
    RepaintAndPlace();
}

void TElEditCore::SetMultiline(bool value) {
  if (value == multiline_) return;
  TElFString text = Text();
  multiline_ = value;
  if (value)
    SetAlignBottom(false);
  else
    scrollBars_ = ssNone;
  // The text is split into paragraphs or joined into one line anew.
  lines_->Clear();
  lines_->SetTextStr(text);
  UpdateScrollRanges();
}

void TElEditCore::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  if (value) firstColumn_ = 0;
  RewrapKeepingCaret();
}

void TElEditCore::SetScrollBars(TScrollStyle value) {
  if (!multiline_) value = ssNone;
  if (value == scrollBars_) return;
  scrollBars_ = value;
  UpdateScrollRanges();
}

void TElEditCore::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  if (value != taLeftJustify && !rtlContent_) SetWordWrap(true);
  RepaintAndPlace();
}

void TElEditCore::SetAlignBottom(bool value) {
  if (value == alignBottom_) return;
  alignBottom_ = value;
  if (multiline_)
    topMargin_ = 1;
  else
    topMargin_ = value ? editRect_.bottom - lineHeight_ - 2 : 1;
  UpdateVisibleLines();
  RepaintAndPlace();
}

void TElEditCore::SetLeftMargin(int value) {
  if (value == leftMargin_) return;
  leftMargin_ = value;
  RepaintAndPlace();
  UpdateScrollRanges();
}

void TElEditCore::SetRightMargin(int value) {
  if (value == rightMargin_) return;
  rightMargin_ = value;
  RewrapOrRepaint();
  UpdateScrollRanges();
}

void TElEditCore::SetTopMargin(int value) {
  if (alignBottom_ || value == topMargin_) return;
  topMargin_ = value;
  UpdateVisibleLines();
  RepaintAndPlace();
  UpdateScrollRanges();
}

void TElEditCore::SetTabSpaces(int value) {
  if (value <= 0 || value == tabSpaces_) return;
  tabSpaces_ = value;
  tabString_.assign(static_cast<std::size_t>(value), L' ');
  RewrapOrRepaint();
}

TElFString TElEditCore::PasswordChar() const {
  return passwordChar_ ? TElFString(1, passwordChar_) : TElFString();
}

void TElEditCore::SetPasswordChar(const TElFString& value) {
  WideChar c = value.empty() ? WideChar(0) : value[0];
  if (c == passwordChar_) return;
  passwordChar_ = c;
  RewrapOrRepaint();
}

void TElEditCore::SetCharCase(TElEditCharCase value) {
  if (value == charCase_) return;
  charCase_ = value;
  if (value != eecNormal) SetText(Text());
}

void TElEditCore::SetHideSelection(bool value) {
  if (value == hideSelection_) return;
  hideSelection_ = value;
  if (!host_->Focused()) host_->InvalidateText(true);
}

void TElEditCore::SetRTLContent(bool value) {
  if (value == rtlContent_) return;
  rtlContent_ = value;
  if (wordWrap_) RewrapKeepingCaret();
}

// ---------------------------------------------------------------- geometry

void TElEditCore::UpdateVisibleLines() {
  visibleLines_ = std::max(static_cast<int>(editRect_.bottom - topMargin_) / lineHeight_, 0);
}

void TElEditCore::SetEditRect(const TRect& rect) {
  editRect_ = rect;
  if (alignBottom_)
    topMargin_ = editRect_.top + (editRect_.bottom - editRect_.top - lineHeight_) / 2;
  UpdateVisibleLines();
  UpdateScrollRanges();
}

void TElEditCore::FontChanged() {
  lineHeight_ = measurer_->FontHeight() + 2;
  UpdateVisibleLines();
  RewrapKeepingCaret();
}

// The rectangle is taken first: the paragraphs are wrapped at the new width.
void TElEditCore::Resized(const TRect& rect) {
  SetEditRect(rect);
  RewrapKeepingCaret();
}

// The caret keeps its place in the text across a re-wrap. The selection,
// held in display positions that a re-wrap moves, is dropped.
void TElEditCore::RewrapKeepingCaret() {
  TElParagraphPos at = ToTextPoint(caret_);
  lines_->ReformatAll();
  lines_->RenumberParagraphs(0);
  bool hadSelection = hasSelection_;
  caret_ = ToDisplay(at);
  AnchorAtCaret();
  SetFirstLine(firstLine_);
  if (hadSelection) host_->SelectionChanged();
  RepaintAndPlace();
}

TPoint TElEditCore::PosToPoint(TElDisplayPos pos) {
  TElFString line;
  if (pos.Line >= 0 && pos.Line < lines_->GetDisplayLineCount()) line = lines_->GetDisplayLine(pos.Line);
  int length = static_cast<int>(line.size());
  int from = std::min(firstColumn_, length);
  int to = std::clamp(pos.Column, from, length);
  int y = (pos.Line - firstLine_) * lineHeight_;
  int x = pos.Column < firstColumn_ ? -2 : MeasureWidth(line.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
  x += AlignmentOffset(line);
  x += leftMargin_;
  y += topMargin_;
  if (x > editRect_.right - rightMargin_) x = -2;
  if (pos.Line >= firstLine_ + visibleLines_) y += editRect_.bottom;
  return {x, y};
}

TElDisplayPos TElEditCore::PointToPos(TPoint point) {
  int last = std::max(lines_->GetDisplayLineCount() - 1, 0);
  int line = std::clamp(static_cast<int>(point.y) / lineHeight_ + firstLine_, 0, last);
  TElFString whole = lines_->GetDisplayLine(line);
  if (firstColumn_ >= static_cast<int>(whole.size())) return {firstColumn_, line};
  TElFString rest = whole.substr(static_cast<std::size_t>(firstColumn_));
  int offset = AlignmentOffset(whole);
  MeasureExtents(rest.data(), static_cast<int>(rest.size()), extents_);
  int n = static_cast<int>(rest.size());
  if (offset + extents_[0] / 2 >= point.x) return {firstColumn_, line};
  int left = 0;
  for (int i = 0; i < n; ++i) {
    int right = extents_[static_cast<std::size_t>(i)];
    if (offset + right - (right - left) / 2 > point.x) return {firstColumn_ + i, line};
    left = right;
  }
  return {firstColumn_ + n, line};
}

// ---------------------------------------------------------------- caret and view

void TElEditCore::PlaceCaret() {
  TPoint point = PosToPoint(caret_);
  host_->SetCaretPoint({point.x, point.y - 1});
}

void TElEditCore::SetFirstLine(int value) {
  int count = lines_->GetDisplayLineCount();
  value = std::max(std::min(value, count - visibleLines_), 0);
  if (value == firstLine_) return;
  firstLine_ = value;
  PlaceCaret();
  host_->InvalidateText(true);
  UpdateScrollRanges();
}

void TElEditCore::ScrollIntoView(int line) {
  int first = firstLine_;
  if (line < firstLine_)
    first = line;
  else if (line >= firstLine_ + visibleLines_)
    first = line - std::max(visibleLines_, 1) + 1;
  if (first == firstLine_) return;
  firstLine_ = first;
  host_->InvalidateText(true);
  UpdateScrollRanges();
}

void TElEditCore::AdjustHorizontalView(bool movingLeft) {
  TElFString line = lines_->GetDisplayLine(caret_.Line);
  int width = TextWidthArea();
  lineOverflow_ = MeasureWidth(line) > width;
  if (wordWrap_) return;
  int old = firstColumn_;
  int column = std::min(caret_.Column, static_cast<int>(line.size()));
  if (alignment_ == taCenter && !lineOverflow_) {
    firstColumn_ = 0;
  } else {
    TElFString rest = line.substr(std::min(static_cast<std::size_t>(firstColumn_), line.size()));
    if (column > firstColumn_ + FitCount(rest, width)) {
      firstColumn_ = column - FitCountBack(line, column, width * 3 / 4);
    } else if (column <= firstColumn_ && firstColumn_ > 0) {
      if (alignment_ == taRightJustify && movingLeft)
        firstColumn_ = column;
      else
        firstColumn_ = std::max(column - FitCountBack(line, column, width / 4), 0);
    }
  }
  if (firstColumn_ == old) return;
  host_->InvalidateText(true);
  UpdateScrollRanges();
}

void TElEditCore::SetFirstColumn(int value) {
  if (wordWrap_ || value == firstColumn_) return;
  firstColumn_ = std::max(value, 0);
  PlaceCaret();
  host_->InvalidateText(true);
  UpdateScrollRanges();
}

TElDisplayPos TElEditCore::EndOfText() {
  int last = std::max(lines_->GetDisplayLineCount() - 1, 0);
  return {static_cast<int>(lines_->GetDisplayLine(last).size()), last};
}

void TElEditCore::SetCaret(TElDisplayPos pos) {
  int last = std::max(lines_->GetDisplayLineCount() - 1, 0);
  pos.Line = std::clamp(pos.Line, 0, last);
  pos.Column = std::clamp(pos.Column, 0, static_cast<int>(lines_->GetDisplayLine(pos.Line).size()));
  bool left = Before(pos, caret_);
  caret_ = pos;
  ScrollIntoView(pos.Line);
  AdjustHorizontalView(left);
  PlaceCaret();
}

void TElEditCore::MoveCaretToLine(int line) {
  int last = std::max(lines_->GetDisplayLineCount() - 1, 0);
  line = std::clamp(line, 0, last);
  caret_.Line = line;
  caret_.Column = std::min(caret_.Column, static_cast<int>(lines_->GetDisplayLine(line).size()));
  ScrollIntoView(line);
  AdjustHorizontalView(false);
  PlaceCaret();
}

// A column at the end of a line that continues the same paragraph on the
// next line shows as the start of that line (the same place in the text);
// at the end of a paragraph the caret stays, so that the end of every line
// can be reached.
void TElEditCore::MoveCaretToColumn(int column) {
  if (column == caret_.Column && alignment_ == taLeftJustify) return;
  int last = std::max(lines_->GetDisplayLineCount() - 1, 0);
  int line = caret_.Line;
  int length = static_cast<int>(lines_->GetDisplayLine(line).size());
  int paragraph = 0, inParagraph = 0;
  lines_->FindParagraph(line, paragraph, inParagraph);
  bool movingLeft = column < caret_.Column;
  if (column >= length && line < last && !noLineAdvance_) {
    bool continues = inParagraph + 1 < lines_->Paragraph(paragraph)->LineCount();
    if (continues || column > length) {
      int next = continues ? column - length : 0;
      caret_ = {std::min(next, static_cast<int>(lines_->GetDisplayLine(line + 1).size())), line + 1};
    } else {
      caret_.Column = length;
    }
  } else if (column < 0) {
    if (line == 0) {
      caret_.Column = 0;
    } else {
      int previous = static_cast<int>(lines_->GetDisplayLine(line - 1).size());
      caret_ = {inParagraph > 0 ? std::max(previous - 1, 0) : previous, line - 1};
    }
  } else {
    caret_.Column = std::min(column, length);
  }
  ScrollIntoView(caret_.Line);
  AdjustHorizontalView(movingLeft);
  PlaceCaret();
}

// ---------------------------------------------------------------- positions

TElParagraphPos TElEditCore::ToTextPoint(TElDisplayPos pos) {
  if (lines_->GetCount() == 0) return {};
  TElParagraphPos at = lines_->CaretToTextPos(pos.Column, pos.Line);
  return {at.Offset, at.Paragraph};
}

TElDisplayPos TElEditCore::ToDisplay(TElParagraphPos point) {
  if (lines_->GetCount() == 0) return {};
  return lines_->TextPosToCaret(point.Paragraph, point.Offset);
}

// The offset within its paragraph of a display position, not clamped: the
// word moves tell a caret at a paragraph's start from one after it.
int TElEditCore::RawOffset(TElDisplayPos pos, int& paragraph) {
  int k = 0;
  lines_->FindParagraph(pos.Line, paragraph, k);
  if (lines_->GetCount() == 0) return pos.Column;
  TElParagraph* para = lines_->Paragraph(paragraph);
  int offset = pos.Column;
  for (int i = 0; i < k; ++i) offset += static_cast<int>(para->Get(i).size());
  return offset;
}

int TElEditCore::PosToOffset(TElDisplayPos pos) {
  TElParagraphPos at = ToTextPoint(pos);
  int offset = at.Offset;
  for (int i = 0; i < at.Paragraph; ++i) offset += lines_->Paragraph(i)->TextLength() + 2;
  return offset;
}

TElDisplayPos TElEditCore::OffsetToPos(int offset) {
  int count = lines_->GetCount();
  if (count == 0 || offset <= 0) return {0, 0};
  for (int p = 0; p < count; ++p) {
    int length = lines_->Paragraph(p)->TextLength();
    if (offset <= length) return ToDisplay({offset, p});
    offset -= length + 2;
    if (offset < 0) return ToDisplay({length, p});  // inside the break
  }
  return EndOfText();
}

// ---------------------------------------------------------------- selection

void TElEditCore::AnchorAtCaret() {
  anchor_ = selStart_ = selEnd_ = caret_;
  hasSelection_ = false;
}

void TElEditCore::ExtendSelection() {
  hasSelection_ = !(ToTextPoint(anchor_) == ToTextPoint(caret_));
  if (Before(caret_, anchor_)) {
    selStart_ = caret_;
    selEnd_ = anchor_;
  } else {
    selStart_ = anchor_;
    selEnd_ = caret_;
  }
  host_->InvalidateText(true);
}

void TElEditCore::SetSelectionRange(TElDisplayPos from, TElDisplayPos to) {
  anchor_ = from;
  SetCaret(to);
  ExtendSelection();
}

void TElEditCore::ClearSelection() {
  bool had = hasSelection_;
  AnchorAtCaret();
  if (had) host_->InvalidateText(true);
}

void TElEditCore::SelectAll() {
  TElDisplayPos end = EndOfText();
  anchor_ = {0, 0};
  if (end.Line >= firstLine_ + visibleLines_) {
    caret_ = end;
    host_->SetCaretPoint({-100, -100});
  } else {
    caret_ = end;
    AdjustHorizontalView(false);
    PlaceCaret();
  }
  ExtendSelection();
  host_->SelectionChanged();
}

TElFString TElEditCore::GetSelText() {
  if (!hasSelection_) return TElFString();
  TElParagraphPos from = ToTextPoint(selStart_), to = ToTextPoint(selEnd_);
  if (from.Paragraph == to.Paragraph)
    return lines_->Get(from.Paragraph).substr(static_cast<std::size_t>(from.Offset), static_cast<std::size_t>(to.Offset - from.Offset));
  TElFString text = lines_->Get(from.Paragraph).substr(static_cast<std::size_t>(from.Offset));
  for (int p = from.Paragraph + 1; p < to.Paragraph; ++p) {
    text += L"\r\n";
    text += lines_->Get(p);
  }
  text += L"\r\n";
  text += lines_->Get(to.Paragraph).substr(0, static_cast<std::size_t>(to.Offset));
  return text;
}

int TElEditCore::GetSelStart() { return PosToOffset(caret_); }

void TElEditCore::SetSelStart(int offset) {
  bool had = hasSelection_;
  SetCaret(OffsetToPos(offset));
  AnchorAtCaret();
  if (had) host_->InvalidateText(true);
}

void TElEditCore::SetSelLength(int length) {
  int from = PosToOffset(caret_);
  SetSelectionRange(OffsetToPos(from), OffsetToPos(from + length));
}

void TElEditCore::GetSel(int& start, int& end) {
  if (!hasSelection_) {
    start = end = PosToOffset(caret_);
    return;
  }
  start = PosToOffset(selStart_);
  end = PosToOffset(selEnd_);
}

void TElEditCore::SetSel(int start, int end) {
  if (start == -1) {
    ClearSelection();
    return;
  }
  if (start == 0 && end == -1) {
    SelectAll();
    return;
  }
  if (end < 0) end = TextLength();
  SetSelectionRange(OffsetToPos(std::max(start, end)), OffsetToPos(std::min(start, end)));
}

// ---------------------------------------------------------------- scrolling

TElEditScrollRanges TElEditCore::ScrollRanges() {
  TElEditScrollRanges r;
  int count = lines_->GetDisplayLineCount();
  r.Vert.Wanted = multiline_ && (scrollBars_ == ssVertical || scrollBars_ == ssBoth);
  if (count - visibleLines_ >= 1) {
    r.Vert.Enabled = true;
    r.Vert.Max = count - 1;
    r.Vert.Page = visibleLines_;
    r.Vert.Position = firstLine_;
  }
  r.Horz.Wanted = multiline_ && (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth);
  if (r.Horz.Wanted) {
    const TElFString& longest = lines_->LongestLine();
    int width = TextWidthArea();
    if (MeasureWidth(longest) > width) {
      r.Horz.Enabled = true;
      r.Horz.Max = lines_->MaxLineLength();
      r.Horz.Page = FitCount(longest, width) - 4;
      r.Horz.Position = firstColumn_;
    }
  }
  return r;
}

void TElEditCore::UpdateScrollRanges() {
  if (!host_->HandleAllocated()) return;
  TElEditScrollRanges ranges = ScrollRanges();
  if (ranges.Horz.Wanted && !ranges.Horz.Enabled && firstColumn_ != 0) {
    firstColumn_ = 0;
    host_->InvalidateText(true);
  }
  host_->ScrollRangesChanged(ranges);
}

// Relative moves stop at either end; an absolute position outside the text
// is ignored.
void TElEditCore::VScroll(int code, int position) {
  int count = lines_->GetDisplayLineCount();
  int value = firstLine_;
  switch (code) {
    case SB_LINEUP: value -= 1; break;
    case SB_LINEDOWN: value += 1; break;
    case SB_PAGEUP: value -= visibleLines_; break;
    case SB_PAGEDOWN: value += visibleLines_; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      if (position < 0 || position > count - 1) return;
      value = position;
      break;
    case SB_TOP: value = 0; break;
    case SB_BOTTOM: value = count - visibleLines_; break;
    default: return;
  }
  SetFirstLine(value);
}

void TElEditCore::HScroll(int code, int position) {
  if (wordWrap_) return;
  int maxLength = lines_->MaxLineLength();
  int page = ScrollRanges().Horz.Page;
  int value = firstColumn_;
  switch (code) {
    case SB_LINEUP: value -= 5; break;
    case SB_LINEDOWN: value += 5; break;
    case SB_PAGEUP: value -= (editRect_.right - editRect_.left) / 2; break;
    case SB_PAGEDOWN: value += (editRect_.right - editRect_.left) / 2; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      if (position < 0 || position > maxLength) return;
      value = position;
      break;
    case SB_TOP: value = 0; break;
    case SB_BOTTOM: value = maxLength - page - 1; break;
    default: return;
  }
  value = std::max(std::min(value, maxLength + 1 - page), 0);
  SetFirstColumn(value);
}

void TElEditCore::MouseWheel(int delta, unsigned linesSetting) {
  int lines = 0;
  if (linesSetting == WHEEL_PAGESCROLL) {
    lines = delta * std::max(visibleLines_, 1) / WHEEL_DELTA;
  } else {
    int perNotch = static_cast<int>(std::clamp(linesSetting, 1u, 120u));
    lines = delta / (WHEEL_DELTA / perNotch);
  }
  SetFirstLine(firstLine_ - lines);
}

void TElEditCore::ScrollLines(int delta) { SetFirstLine(firstLine_ + delta); }

// ---------------------------------------------------------------- painting

std::vector<TElEditPaintLine> TElEditCore::PaintLines() {
  std::vector<TElEditPaintLine> result;
  int count = lines_->GetDisplayLineCount();
  int last = std::min(firstLine_ + visibleLines_ - 1, count - 1);
  bool showSelection = hasSelection_ && !(hideSelection_ && !host_->Focused());
  int width = TextWidthArea();
  for (int i = firstLine_; i <= last; ++i) {
    TElFString line = lines_->GetDisplayLine(i);
    int length = static_cast<int>(line.size());
    int from = std::min(firstColumn_, length);
    TElFString rest = line.substr(static_cast<std::size_t>(from));
    int fit = FitCount(rest, width);
    visibleColumns_ = fit;
    rest.resize(static_cast<std::size_t>(fit));
    TElEditPaintLine out;
    out.Line = i;
    out.Text = Shown(rest);
    int w = MeasureWidth(rest);
    if (alignment_ == taRightJustify)
      out.X = editRect_.right - rightMargin_ - w - 2;
    else if (alignment_ == taCenter)
      out.X = (editRect_.right - rightMargin_) / 2 - w / 2;
    out.X += leftMargin_;
    out.Bottom = (i - firstLine_ + 1) * lineHeight_ + topMargin_;
    if (showSelection && i >= selStart_.Line && i <= selEnd_.Line) {
      int a = i == selStart_.Line ? selStart_.Column : 0;
      int b = i == selEnd_.Line ? selEnd_.Column : length;
      a = std::clamp(a - from, 0, fit);
      b = std::clamp(b - from, 0, fit);
      // Columns to units of the shown text: a TAB shows as TabSpaces blanks.
      auto shownIndex = [&](int k) {
        if (passwordChar_) return k;
        return k + (tabSpaces_ - 1) * static_cast<int>(std::count(rest.begin(), rest.begin() + k, L'\t'));
      };
      out.SelStart = shownIndex(a);
      out.SelEnd = shownIndex(b);
    }
    result.push_back(std::move(out));
  }
  return result;
}

// ---------------------------------------------------------------- edit messages

int TElEditCore::GetTextMessage(char* buffer, int size) {
  if (size <= 0 || !buffer) return 0;
  AnsiString text = WideToAnsi(Text());
  int n = std::min(static_cast<int>(text.size()), size - 1);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = 0;
  return n;
}

int TElEditCore::GetTextLengthMessage() { return static_cast<int>(WideToAnsi(Text()).size()); }

int TElEditCore::GetLineMessage(int index, char* buffer, int size) {
  TElFString line;
  if (size <= 0 || !buffer || !GetParagraph(index, line)) return 0;
  AnsiString text = WideToAnsi(line);
  int n = std::min(static_cast<int>(text.size()), size);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  return n;
}

bool TElEditCore::GetParagraph(int index, TElFString& text) {
  if (index < 0 || index >= lines_->GetCount()) return false;
  text = lines_->Get(index);
  return true;
}

int TElEditCore::LineIndex(int line) {
  if (line == -1) {
    TElParagraphPos at = ToTextPoint(caret_);
    return PosToOffset(ToDisplay({0, at.Paragraph}));
  }
  if (line < 0 || line >= std::max(lines_->GetDisplayLineCount(), 1)) return -1;
  return PosToOffset({0, line});
}

int TElEditCore::LineFromChar(int offset) {
  if (offset < 0) return ToTextPoint(caret_).Paragraph;
  return ToTextPoint(OffsetToPos(offset)).Paragraph;
}

LRESULT TElEditCore::DialogCode(LRESULT defaultCode) {
  LRESULT code = (defaultCode & ~LRESULT(DLGC_WANTALLKEYS)) | DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
  if (wantTabs_) code |= DLGC_WANTTAB;
  if (handleDialogKeys_) code |= DLGC_WANTALLKEYS;
  return code;
}
