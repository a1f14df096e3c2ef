#include "ElEditStrings.hpp"

#include <algorithm>
#include <exception>

#include "ElEditCore.hpp"
#include "SysUtils.hpp"

namespace {

// BeginUpdate/EndUpdate around a compound change of the store.
class StoreUpdate {
 public:
  explicit StoreUpdate(TElWideStrings* list) : list_(list), pending_(std::uncaught_exceptions()) {
    list_->BeginUpdate();
  }
  ~StoreUpdate() noexcept(false) {
    if (std::uncaught_exceptions() == pending_) {
      list_->EndUpdate();
      return;
    }
    try {
      list_->EndUpdate();
    } catch (...) {
    }
  }
  StoreUpdate(const StoreUpdate&) = delete;
  StoreUpdate& operator=(const StoreUpdate&) = delete;

 private:
  TElWideStrings* list_;
  int pending_;
};

bool EndsWithCrLf(const TElFString& s) {
  return s.size() >= 2 && s[s.size() - 2] == L'\r' && s[s.size() - 1] == L'\n';
}

// The paragraphs a whole text or an inserted list string makes: a break at
// the very end adds an empty paragraph only when it is CR LF.
std::vector<TElFString> ParagraphPieces(const TElFString& s) {
  std::vector<TElFString> pieces = SplitAtLineBreaks(s);
  if (pieces.back().empty() && !EndsWithCrLf(s)) pieces.pop_back();
  return pieces;
}

// One line holding S, whatever it contains.
void SetParagraphText(TElParagraph* paragraph, const TElFString& s) {
  paragraph->Clear();
  paragraph->Add(s);
}

// The paragraph list's own range error, raised before anything changes.
void CheckParagraphIndex(int index, int count) {
  if (index < 0 || index >= count) throw EElListError(LoadStr(SElListIndexError), {index});
}

}  // namespace

std::vector<TElFString> SplitAtLineBreaks(const TElFString& text) {
  std::vector<TElFString> pieces;
  std::size_t start = 0, i = 0, n = text.size();
  while (i < n) {
    WideChar c = text[i];
    if (c != L'\r' && c != L'\n') {
      ++i;
      continue;
    }
    pieces.emplace_back(text, start, i - start);
    i += (c == L'\r' && i + 1 < n && text[i + 1] == L'\n') ? 2 : 1;
    start = i;
  }
  pieces.emplace_back(text, start, n - start);
  return pieces;
}

// ---------------------------------------------------------------- TElParagraph

TElFString TElParagraph::Get(int index) {
  if (index == 0 && Count() == 0) TElWideStringList::Add(TElFString());
  return TElWideStringList::Get(index);
}

void TElParagraph::Put(int index, const TElFString& s) {
  if (index == 0 && Count() == 0) TElWideStringList::Add(TElFString());
  TElWideStringList::Put(index, s);
}

TElFString TElParagraph::GetTextStr() {
  int n = Count();
  if (n == 1) return TElWideStringList::Get(0);
  TElFString text;
  for (int i = 0; i < n; ++i) text += TElWideStringList::Get(i);
  return text;
}

int TElParagraph::TextLength() {
  int length = 0;
  for (int i = 0; i < Count(); ++i) length += static_cast<int>(TElWideStringList::Get(i).size());
  return length;
}

// ---------------------------------------------------------------- TElParagraphList

void* TElParagraphList::Get(std::int32_t index) {
  if (index == 0 && Count() == 0) Add(new TElParagraph);
  return TElList::Get(index);
}

// ---------------------------------------------------------------- TElEditStrings

TElEditStrings::TElEditStrings(TElEditCore* edit)
    : edit_(edit), rtlBreaks_(std::make_unique<TStringList>()) {}

TElEditStrings::~TElEditStrings() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

bool TElEditStrings::WordWrapOn() const { return edit_ && edit_->WordWrap(); }

void TElEditStrings::TextAboutToChange() {
  if (edit_) edit_->StoreChanging();
}

void TElEditStrings::Changing() {
  TextAboutToChange();
  TElWideStringList::Changing();
}

void TElEditStrings::Changed() {
  TElWideStringList::Changed();
  if (edit_) edit_->StoreChanged();
}

int TElEditStrings::GetCount() { return paragraphs_.Count(); }

TElFString TElEditStrings::Get(int index) { return Paragraph(index)->GetTextStr(); }

TObject* TElEditStrings::GetObject(int) { return nullptr; }

void TElEditStrings::PutObject(int, TObject*) {}

void TElEditStrings::Put(int index, const TElFString& s) {
  TElParagraph* paragraph = Paragraph(index);
  Changing();
  paragraph->SetTextStr(s);
  RenumberParagraphs(index);
  Changed();
}

TElFString TElEditStrings::GetTextStr() {
  TElFString text;
  for (int i = 0; i < paragraphs_.Count(); ++i) {
    text += Get(i);
    text += L"\r\n";
  }
  return text;
}

// The text is compared without the final line break that GetTextStr adds:
// "a" CR LF "b" CR LF is a different text from "a" CR LF "b".
void TElEditStrings::SetTextStr(const TElFString& text) {
  TElFString current = GetTextStr();
  if (current.size() >= 2) current.resize(current.size() - 2);
  if (text != current) {
    bool multiline = !edit_ || edit_->Multiline();
    {
      StoreUpdate update(this);
      Clear();
      if (multiline) {
        for (const TElFString& piece : ParagraphPieces(text)) {
          auto paragraph = std::make_unique<TElParagraph>();
          SetParagraphText(paragraph.get(), piece);
          paragraphs_.Add(paragraph.get());
          paragraph.release();
        }
      } else {
        Paragraph(0)->Put(0, text);
      }
    }
    if (multiline) {
      ReformatAll();
      RenumberParagraphs(0);
    }
  }
  if (edit_) edit_->CaretToStart();
}

void TElEditStrings::InsertParagraphs(int index, const std::vector<TElFString>& pieces) {
  int n = static_cast<int>(pieces.size());
  for (int j = 0; j < n; ++j) {
    auto paragraph = std::make_unique<TElParagraph>();
    SetParagraphText(paragraph.get(), pieces[static_cast<std::size_t>(j)]);
    paragraphs_.Insert(index + j, paragraph.get());
    paragraph.release();
  }
  if (longestParagraph_ >= index && paragraphs_.Count() > n) longestParagraph_ += n;
  for (int j = 0; j < n; ++j) ReformatParagraph(index + j);
}

void TElEditStrings::Insert(int index, const TElFString& s) {
  if (edit_ && !edit_->Multiline()) return;
  CheckParagraphIndex(index, paragraphs_.Count() + 1);
  Changing();
  std::vector<TElFString> pieces = ParagraphPieces(s);
  // An empty string is an empty paragraph, as any list adds an empty string.
  if (pieces.empty()) pieces.emplace_back();
  InsertParagraphs(index, pieces);
  RenumberParagraphs(index);
  Changed();
}

int TElEditStrings::Add(const TElFString& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

void TElEditStrings::Delete(int index) {
  CheckParagraphIndex(index, paragraphs_.Count());
  Changing();
  paragraphs_.Delete(index);
  if (longestParagraph_ == index)
    FindLongestLine();
  else if (longestParagraph_ > index)
    --longestParagraph_;
  RenumberParagraphs(index);
  Changed();
}

void TElEditStrings::Exchange(int index1, int index2) {
  CheckParagraphIndex(index1, paragraphs_.Count());
  CheckParagraphIndex(index2, paragraphs_.Count());
  Changing();
  paragraphs_.Exchange(index1, index2);
  if (longestParagraph_ == index1)
    longestParagraph_ = index2;
  else if (longestParagraph_ == index2)
    longestParagraph_ = index1;
  RenumberParagraphs(std::min(index1, index2));
  Changed();
}

void TElEditStrings::Clear() {
  Changing();
  TElWideStringList::Clear();
  paragraphs_.Clear();
  maxLineLength_ = 0;
  longestParagraph_ = 0;
  longestLine_.clear();
  Changed();
}

bool TElEditStrings::Find(const TElFString& s, int& index) {
  return IndexBinarySearch(
      GetCount(), Duplicates() == dupAccept, [&](int i) { return WideCompareStr(Get(i), s); }, index);
}

// ---------------------------------------------------------------- display lines

void TElEditStrings::FindParagraph(int line, int& paragraph, int& lineInParagraph) {
  paragraph = 0;
  lineInParagraph = 0;
  int count = paragraphs_.Count();
  if (count == 0 || line < 0) return;
  int lo = 0, hi = count - 1;
  while (lo < hi) {
    int mid = lo + (hi - lo + 1) / 2;
    if (static_cast<TElParagraph*>(paragraphs_.FastGet(mid))->StartLine <= line)
      lo = mid;
    else
      hi = mid - 1;
  }
  auto* found = static_cast<TElParagraph*>(paragraphs_.FastGet(lo));
  if (line < found->StartLine || line >= found->StartLine + found->LineCount()) return;
  paragraph = lo;
  lineInParagraph = line - found->StartLine;
}

int TElEditStrings::GetDisplayLineCount() {
  int count = paragraphs_.Count();
  if (count == 0) return 0;
  auto* last = static_cast<TElParagraph*>(paragraphs_.FastGet(count - 1));
  return last->StartLine + last->LineCount();
}

TElFString TElEditStrings::GetDisplayLine(int line) {
  if (paragraphs_.Count() == 0) return TElFString();
  int p = 0, k = 0;
  FindParagraph(line, p, k);
  return Paragraph(p)->Get(k);
}

void TElEditStrings::SetDisplayLine(int line, const TElFString& text) {
  if (paragraphs_.Count() == 0) {
    if (line > 0) return;
    TextAboutToChange();
    Paragraph(0)->Put(0, text);
    return;
  }
  int p = 0, k = 0;
  FindParagraph(line, p, k);
  TextAboutToChange();
  Paragraph(p)->Put(k, text);
  ReformatParagraph(p);
  RenumberParagraphs(p);
}

TElParagraphPos TElEditStrings::CaretToTextPos(int column, int line) {
  int p = 0, k = 0;
  FindParagraph(line, p, k);
  TElParagraph* paragraph = Paragraph(p);
  int offset = column;
  for (int i = 0; i < k; ++i) offset += static_cast<int>(paragraph->Get(i).size());
  offset = std::clamp(offset, 0, paragraph->TextLength());
  return {offset, p};
}

TElDisplayPos TElEditStrings::TextPosToCaret(int paragraph, int offset) {
  paragraph = std::clamp(paragraph, 0, std::max(paragraphs_.Count() - 1, 0));
  TElParagraph* para = Paragraph(paragraph);
  offset = std::clamp(offset, 0, para->TextLength());
  int lines = para->LineCount();
  int sum = 0, k = 0;
  while (k < lines - 1) {
    int length = static_cast<int>(para->Get(k).size());
    if (sum + length >= offset) break;
    sum += length;
    ++k;
  }
  return {offset - sum, para->StartLine + k};
}

void TElEditStrings::RenumberParagraphs(int from) {
  int count = paragraphs_.Count();
  from = std::max(from, 0);
  for (int i = from; i < count; ++i) {
    auto* paragraph = static_cast<TElParagraph*>(paragraphs_.FastGet(i));
    if (i == 0) {
      paragraph->StartLine = 0;
    } else {
      auto* previous = static_cast<TElParagraph*>(paragraphs_.FastGet(i - 1));
      paragraph->StartLine = previous->StartLine + previous->LineCount();
    }
  }
  if (edit_) edit_->UpdateScrollRanges();
}

// ---------------------------------------------------------------- word wrap

void TElEditStrings::ReformatParagraph(int index) {
  TElParagraph* paragraph = Paragraph(index);
  TElFString text = paragraph->GetTextStr();
  SetParagraphText(paragraph, TElFString());
  if (!WordWrapOn()) {
    paragraph->Put(0, text);
    const int length = static_cast<int>(text.size());
    if (length > maxLineLength_) {
      maxLineLength_ = length;
      longestParagraph_ = index;
      longestLine_ = text;
    } else if (index == longestParagraph_) {
      // The longest line got shorter: another may be the longest now.
      if (length < maxLineLength_)
        FindLongestLine();
      else
        longestLine_ = text;
    }
    return;
  }
  WrapInto(paragraph, text);
}

// Without word wrap every paragraph is one display line.
void TElEditStrings::FindLongestLine() {
  maxLineLength_ = 0;
  longestParagraph_ = 0;
  longestLine_.clear();
  if (WordWrapOn()) return;
  for (int i = 0; i < paragraphs_.Count(); ++i) {
    TElParagraph* paragraph = static_cast<TElParagraph*>(paragraphs_.FastGet(i));
    const int length = paragraph->TextLength();
    if (length > maxLineLength_) {
      maxLineLength_ = length;
      longestParagraph_ = i;
    }
  }
  if (paragraphs_.Count() > 0) longestLine_ = Paragraph(longestParagraph_)->GetTextStr();
}

// Works on the extents of the whole paragraph, so that a long paragraph is
// measured once rather than once per display line; the width of a tail is
// the difference of two extents.
void TElEditStrings::WrapInto(TElParagraph* paragraph, const TElFString& text) {
  int n = static_cast<int>(text.size());
  if (n == 0) return;
  int limit = edit_->WrapLimit();
  extents_.resize(static_cast<std::size_t>(n));
  edit_->MeasureExtents(text.data(), n, extents_);
  int start = 0, line = 0;
  while (true) {
    int base = start > 0 ? extents_[static_cast<std::size_t>(start - 1)] : 0;
    int rest = n - start;
    int cut = rest;
    if (extents_[static_cast<std::size_t>(n - 1)] - base >= limit) {
      auto first = extents_.begin() + start;
      int fit = static_cast<int>(std::upper_bound(first, extents_.end(), base + limit) - first);
      bool atBlank = false;
      cut = SplitPoint(text, start, fit, atBlank);
      if (cut < rest && !atBlank && edit_->RTLContent())
        rtlBreaks_->Add(IntToStr(paragraph->StartLine + line));
    }
    TElFString piece(text, static_cast<std::size_t>(start), static_cast<std::size_t>(cut));
    if (line == 0)
      paragraph->Put(0, piece);
    else
      paragraph->Add(piece);
    if (cut >= rest) return;
    start += cut;
    ++line;
  }
}

// Where the line starting at Start breaks when Fit characters fit: after the
// last blank at or before the fit point, at the first CR before it, else hard
// at the fit point. At least one character always goes on the line, so the
// wrap ends even when nothing fits; a surrogate pair is never cut.
int TElEditStrings::SplitPoint(const TElFString& text, int start, int fit, bool& atBlank) {
  int rest = static_cast<int>(text.size()) - start;
  const WideChar* s = text.data() + start;
  int cut = 0;
  if (edit_->RTLContent()) {
    for (int i = rest; i >= 1; --i)
      if (s[i - 1] == L'\r') {
        cut = i;
        break;
      }
  } else {
    for (int i = 1; i <= rest; ++i)
      if (s[i - 1] == L'\r') {
        cut = i;
        break;
      }
  }
  if (fit == rest) --fit;
  if (cut == 0 || fit < cut) {
    int p = fit;
    while (p > 1 && s[p - 1] != L' ') --p;
    if (p <= 1) p = fit;
    cut = p;
  }
  if (cut < 1) cut = 1;
  if (cut < rest && IsHighSurrogate(s[cut - 1]) && IsLowSurrogate(s[cut])) cut += cut > 1 ? -1 : 1;
  atBlank = s[cut - 1] == L' ';
  return cut;
}

void TElEditStrings::ReformatAll() {
  maxLineLength_ = 0;
  longestParagraph_ = 0;
  longestLine_.clear();
  rtlBreaks_->Clear();
  for (int i = 0; i < paragraphs_.Count(); ++i) ReformatParagraph(i);
  if (edit_) edit_->UpdateScrollRanges();
}

// ---------------------------------------------------------------- insertion

void TElEditStrings::InsertText(int& column, int& line, const TElFString& text) {
  Changing();
  bool multiline = !edit_ || edit_->Multiline();
  // A single-line edit keeps line breaks inside its one paragraph.
  std::vector<TElFString> pieces = multiline ? SplitAtLineBreaks(text) : std::vector<TElFString>{text};
  TElParagraphPos at = CaretToTextPos(column, line);
  int p = at.Paragraph;
  TElFString old = Get(p);
  std::size_t offset = static_cast<std::size_t>(at.Offset);
  int breaks = static_cast<int>(pieces.size()) - 1;
  int caretOffset = 0;
  if (breaks == 0) {
    old.insert(offset, text);
    caretOffset = at.Offset + static_cast<int>(text.size());
  } else {
    TElFString tail = old.substr(offset);
    old.resize(offset);
    old += pieces.front();
    caretOffset = static_cast<int>(pieces.back().size());
    pieces.back() += tail;
    InsertParagraphs(p + 1, std::vector<TElFString>(pieces.begin() + 1, pieces.end()));
  }
  SetParagraphText(Paragraph(p), old);
  ReformatParagraph(p);
  RenumberParagraphs(p);
  TElDisplayPos after = TextPosToCaret(p + breaks, caretOffset);
  column = after.Column;
  line = after.Line;
  Changed();
}

void TElEditStrings::RemoveText(TElParagraphPos from, TElParagraphPos to) {
  if (from.Paragraph == to.Paragraph && from.Offset >= to.Offset) return;
  Changing();
  TElFString joined = Get(from.Paragraph).substr(0, static_cast<std::size_t>(from.Offset));
  joined += Get(to.Paragraph).substr(static_cast<std::size_t>(to.Offset));
  if (to.Paragraph > from.Paragraph) {
    // One removal of the whole range, then the paragraphs are freed: a
    // large selection costs one move of the list, not one per paragraph.
    std::vector<TElParagraph*> gone;
    for (int i = from.Paragraph + 1; i <= to.Paragraph; ++i) gone.push_back(Paragraph(i));
    paragraphs_.DeleteRange(from.Paragraph + 1, to.Paragraph);
    for (TElParagraph* paragraph : gone) paragraph->Free();
    // A longest line among the removed ones now stands for the joined
    // paragraph, which the re-wrap below measures again.
    if (longestParagraph_ > to.Paragraph)
      longestParagraph_ -= to.Paragraph - from.Paragraph;
    else if (longestParagraph_ > from.Paragraph)
      longestParagraph_ = from.Paragraph;
  }
  SetParagraphText(Paragraph(from.Paragraph), joined);
  ReformatParagraph(from.Paragraph);
  RenumberParagraphs(from.Paragraph);
  Changed();
}
