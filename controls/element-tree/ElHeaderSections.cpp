#include "ElHeaderSections.hpp"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "ElHeaderLayout.hpp"
#include "Menus.hpp"
#include "Streaming.hpp"


// ---------------------------------------------------------------- TElHeaderSection

TElHeaderSection::TElHeaderSection(TElHeaderSections* collection)
    : lookupHistory_(std::make_unique<TStringList>()), collection_(collection) {
  if (collection_) width_ = collection_->Layout().DefaultWidth();
}

TElHeaderSection::~TElHeaderSection() {
  // Children outlive their parent in the collection: they lose it.
  if (!collection_) return;
  for (int i = 0; i < collection_->Count(); ++i) {
    TElHeaderSection* s = collection_->GetSectionAt(i);
    if (s->parentSection_ == this) s->parentSection_ = nullptr;
  }
}

TCustomElHeader* TElHeaderSection::Owner() const { return collection_ ? collection_->Owner() : nullptr; }

TElHeaderLayout* TElHeaderSection::Layout() const { return collection_ ? &collection_->Layout() : nullptr; }

int TElHeaderSection::Position() const { return collection_ ? collection_->IndexOf(this) : -1; }

bool TElHeaderSection::Visible() const {
  if (!storedVisible_) return false;
  // Parents never form a cycle (SetParentSection and the stream refuse
  // one), so the walk ends.
  return !parentSection_ || (parentSection_->expanded_ && parentSection_->Visible());
}

int TElHeaderSection::Left() const {
  int left = 0;
  const int position = Position();
  for (int i = 0; i < position; ++i) {
    const TElHeaderSection* s = collection_->GetSectionAt(i);
    if (s->Visible()) left += s->width_;
  }
  return left;
}

int TElHeaderSection::Right() const { return Visible() ? Left() + width_ : Left(); }

void TElHeaderSection::Repaint() {
  if (TElHeaderLayout* layout = Layout()) layout->Host().RepaintSection(this);
}

void TElHeaderSection::Changed(TSectionChangeMode change) {
  if (TElHeaderLayout* layout = Layout()) layout->Host().SectionChanged(this, change);
}

void TElHeaderSection::DoAutoSize() {
  if (!autoSize_) return;
  if (TElHeaderLayout* layout = Layout()) SetWidth(layout->MeasureSection(this).Width);
}

bool TElHeaderSection::HasChildren() const {
  for (int i = 0; collection_ && i < collection_->Count(); ++i)
    if (collection_->GetSectionAt(i)->parentSection_ == this) return true;
  return false;
}

void TElHeaderSection::SetText(const TElFString& value) {
  if (text_ == value) return;
  text_ = value;
  DoAutoSize();
  if (TElHeaderLayout* layout = Layout()) layout->UpdateHeight();
  if (style_ == ElhsText) Repaint();
  Changed(scmText);
}

void TElHeaderSection::SetFieldName(const AnsiString& value) {
  if (fieldName_ == value) return;
  fieldName_ = value;
  Changed(scmFieldName);
}

void TElHeaderSection::SetFieldType(TElFieldType value) {
  if (fieldType_ == value) return;
  fieldType_ = value;
  Changed(scmFieldType);
}

void TElHeaderSection::SetAlignment(TElSAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Changed(scmAlign);
  Repaint();
}

void TElHeaderSection::SetStyle(TElSectionStyle value) {
  if (style_ == value) return;
  style_ = value;
  Changed(scmStyle);
  Repaint();
}

void TElHeaderSection::SetEditable(bool value) {
  if (editable_ == value) return;
  editable_ = value;
  Changed(scmEditable);
}

void TElHeaderSection::SetPassword(bool value) {
  if (password_ == value) return;
  password_ = value;
  Changed(scmPassword);
}

void TElHeaderSection::SetSortMode(TElSSortMode value) {
  if (sortMode_ == value) return;
  TElHeaderLayout* layout = Layout();
  if (layout && !layout->KeepSortModes())
    for (int i = 0; i < collection_->Count(); ++i) collection_->GetSectionAt(i)->sortMode_ = hsmNone;
  sortMode_ = value;
  DoAutoSize();
  if (layout && showSortMark_) layout->Host().RepaintHeader();
}

void TElHeaderSection::SetMinWidth(int value) {
  if (minWidth_ == value) return;
  minWidth_ = value;
  if (width_ < value) SetWidth(value);
}

void TElHeaderSection::SetMaxWidth(int value) {
  if (maxWidth_ == value) return;
  maxWidth_ = value;
  if (width_ > value) SetWidth(value);
}

void TElHeaderSection::SetWidth(int value) {
  if (width_ == value || value < minWidth_ || value > maxWidth_) return;
  TElHeaderLayout* layout = Layout();
  if (layout && layout->StickyActive() && Visible()) {
    layout->StickyWidth(this, value);
    return;
  }
  width_ = value;
  if (layout && Visible() && !layout->StickyAdjusting()) {
    layout->UpdateHeight();
    layout->Host().RepaintHeader();
  }
}

void TElHeaderSection::SetVisible(bool value) {
  if (storedVisible_ == value) return;
  TElHeaderLayout* layout = Layout();
  const bool parentShown = !parentSection_ || (parentSection_->expanded_ && parentSection_->Visible());
  if (layout && layout->StickyActive() && parentShown) {
    layout->StickyVisible(this, value);
  } else {
    storedVisible_ = value;
    if (layout && parentShown && !layout->StickyAdjusting()) layout->UpdateHeight();
  }
  if (!layout) return;
  layout->Host().SectionShownOrHidden(this);
  layout->Host().RepaintHeader();
}

// The lookup and the filter button share their place: turning one on turns
// the other off, and the header needs the height of a button.
void TElHeaderSection::SetButton(bool& button, bool& other, bool value) {
  if (button == value) return;
  button = value;
  TElHeaderLayout* layout = Layout();
  if (value) {
    other = false;
    if (layout) layout->RaiseForButtons();
  }
  DoAutoSize();
  Repaint();
}

void TElHeaderSection::SetLookupEnabled(bool value) { SetButton(lookupEnabled_, filterEnabled_, value); }

void TElHeaderSection::SetFilterEnabled(bool value) { SetButton(filterEnabled_, lookupEnabled_, value); }

void TElHeaderSection::SetFilterIsActive(bool value) {
  if (filterIsActive_ == value) return;
  filterIsActive_ = value;
  if (filterEnabled_) Repaint();
}

void TElHeaderSection::SetImageIndex(int value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  DoAutoSize();
  Repaint();
}

void TElHeaderSection::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  Repaint();
}

void TElHeaderSection::SetTextLayout(TTextLayout value) {
  if (textLayout_ == value) return;
  textLayout_ = value;
  Repaint();
}

void TElHeaderSection::SetPictureAlign(TElSAlignment value) {
  if (pictureAlign_ == value) return;
  pictureAlign_ = value;
  Repaint();
}

void TElHeaderSection::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  parentColor_ = false;
  Repaint();
}

void TElHeaderSection::SetFontColor(TColor value) {
  if (fontColor_ == value) return;
  fontColor_ = value;
  parentColor_ = false;
  Repaint();
}

void TElHeaderSection::SetUseMainStyle(bool value) {
  if (useMainStyle_ == value) return;
  useMainStyle_ = value;
  if (TElHeaderLayout* layout = Layout()) layout->Host().RepaintOwnerView();
}

void TElHeaderSection::SetExpandable(bool value) {
  if (expandable_ == value) return;
  expandable_ = value;
  bool childChanged = false;
  if (!value && collection_) {
    for (int i = 0; i < collection_->Count(); ++i) {
      TElHeaderSection* s = collection_->GetSectionAt(i);
      if (s->parentSection_ != this) continue;
      s->parentSection_ = nullptr;
      childChanged = true;
    }
  }
  DoAutoSize();
  if (childChanged)
    if (TElHeaderLayout* layout = Layout()) layout->Host().RepaintHeader();
}

void TElHeaderSection::SetExpanded(bool value) {
  if (expanded_ == value || !expandable_) return;
  expanded_ = value;
  // The children come or go: the whole header moves.
  if (TElHeaderLayout* layout = Layout()) layout->Host().RepaintHeader();
}

bool TElHeaderSection::CanTakeParent(const TElHeaderSection* parent) const {
  if (!parent) return true;
  if (parent == this || parent->collection_ != collection_) return false;
  int steps = collection_ ? collection_->Count() : 0;
  for (const TElHeaderSection* p = parent->parentSection_; p && steps-- > 0; p = p->parentSection_)
    if (p == this) return false;
  return true;
}

void TElHeaderSection::SetParentSection(TElHeaderSection* value) {
  if (parentSection_ == value || !CanTakeParent(value)) return;
  parentSection_ = value;
  TElHeaderLayout* layout = Layout();
  if (!layout) return;
  layout->Host().SectionShownOrHidden(this);
  layout->UpdateHeight();
  layout->Host().RepaintHeader();
}

void TElHeaderSection::SetPopupMenu(TPopupMenu* value) {
  popupMenu_ = value;
  popupMenuName_ = value ? value->Name() : AnsiString();
  if (value)
    if (TElHeaderLayout* layout = Layout()) layout->Host().WatchPopupMenu(value);
}

void TElHeaderSection::SetResizable(bool value) {
  if (resizable_ == value) return;
  resizable_ = value;
  TElHeaderLayout* layout = Layout();
  if (layout && layout->StickySections() && !layout->Host().HeaderLoading()) layout->ComputeShares();
}

void TElHeaderSection::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  DoAutoSize();
}

void TElHeaderSection::SetShowSortMark(bool value) {
  if (showSortMark_ == value) return;
  showSortMark_ = value;
  if (sortMode_ != hsmNone) Repaint();
}

void TElHeaderSection::SetLookupHistory(TStrings* value) { lookupHistory_->Assign(value); }

void TElHeaderSection::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TElHeaderSection*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  filterIsActive_ = s->filterIsActive_;
  filterEnabled_ = s->filterEnabled_;
  hint_ = s->hint_;
  textLayout_ = s->textLayout_;
  useMainStyle_ = s->useMainStyle_;
  fontColor_ = s->fontColor_;
  color_ = s->color_;
  parentColor_ = s->parentColor_;
  lookupEnabled_ = s->lookupEnabled_;
  expandable_ = s->expandable_;
  expanded_ = s->expanded_;
  resizable_ = s->resizable_;
  clickSelect_ = s->clickSelect_;
  password_ = s->password_;
  fieldName_ = s->fieldName_;
  fieldType_ = s->fieldType_;
  editable_ = s->editable_;
  imageIndex_ = s->imageIndex_;
  pictureAlign_ = s->pictureAlign_;
  tag_ = s->tag_;
  storedVisible_ = s->storedVisible_;
  style_ = s->style_;
  width_ = s->width_;
  minWidth_ = s->minWidth_;
  maxWidth_ = s->maxWidth_;
  sortMode_ = s->sortMode_;
  allowClick_ = s->allowClick_;
  alignment_ = s->alignment_;
  text_ = s->text_;
  lookupHistory_->Assign(s->lookupHistory_.get());
  autoSize_ = s->autoSize_;
  widthShare_ = s->widthShare_;
  fixedWidth_ = s->fixedWidth_;
  showSortMark_ = s->showSortMark_;
  SetPopupMenu(s->popupMenu_);
  popupMenuName_ = s->popupMenuName_;
  if (collection_ && s->parentSection_) {
    TElHeaderSection* parent = collection_->GetSectionByIndex(s->parentSection_->index_);
    parentSection_ = CanTakeParent(parent) ? parent : nullptr;
  } else {
    parentSection_ = nullptr;
  }
  Repaint();
}

// ---------------------------------------------------------------- TElHeaderSections

TElHeaderSections::TElHeaderSections(TElHeaderLayout& layout, TCustomElHeader* owner)
    : layout_(layout), owner_(owner) {
  layout_.sections_ = this;
}

TElHeaderSections::~TElHeaderSections() {
  // The header is going: no notifications, no repainting.
  layout_.SetLeftFixedSection(nullptr);
  while (Count() > 0) {
    auto* s = static_cast<TElHeaderSection*>(sections_.Last());
    sections_.Delete(Count() - 1);
    s->collection_ = nullptr;
    s->Free();
  }
  if (layout_.sections_ == this) layout_.sections_ = nullptr;
}

TElHeaderSection* TElHeaderSections::CreateSection() { return new TElHeaderSection(this); }

TElHeaderSection* TElHeaderSections::GetSectionAt(int position) const {
  if (position < 0 || position >= Count()) return nullptr;
  return static_cast<TElHeaderSection*>(sections_.FastGet(position));
}

TElHeaderSection* TElHeaderSections::GetSectionById(int id) const {
  for (int i = 0; i < Count(); ++i)
    if (GetSectionAt(i)->sectionId_ == id) return GetSectionAt(i);
  return nullptr;
}

TElHeaderSection* TElHeaderSections::GetSectionByIndex(int index) const { return FindByIndex(index); }

TElHeaderSection* TElHeaderSections::FindByIndex(int index) const {
  for (int i = 0; i < Count(); ++i)
    if (GetSectionAt(i)->index_ == index) return GetSectionAt(i);
  return nullptr;
}

TElHeaderSection* TElHeaderSections::LastVisible() const {
  for (int i = Count() - 1; i >= 0; --i)
    if (GetSectionAt(i)->Visible()) return GetSectionAt(i);
  return nullptr;
}

TElHeaderSection* TElHeaderSections::PrevVisible(const TElHeaderSection* section) const {
  for (int i = IndexOf(section) - 1; i >= 0; --i)
    if (GetSectionAt(i)->Visible()) return GetSectionAt(i);
  return nullptr;
}

int TElHeaderSections::IndexOf(const TElHeaderSection* section) const {
  return sections_.IndexOf(const_cast<TElHeaderSection*>(section));
}

int TElHeaderSections::LowestFreeIndex() const {
  for (int candidate = 0;; ++candidate)
    if (!FindByIndex(candidate)) return candidate;
}

// One above the largest in use, so that a header built the same way always
// writes the same stream; the lowest free one when the largest is at the top
// of the range.
int TElHeaderSections::FreshSectionId() const {
  int largest = -1;
  for (int i = 0; i < Count(); ++i) largest = std::max(largest, GetSectionAt(i)->sectionId_);
  if (largest < INT_MAX) return largest + 1;
  for (int candidate = 0;; ++candidate)
    if (!GetSectionById(candidate)) return candidate;
}

TElHeaderSection* TElHeaderSections::AddSection() { return InsertSection(Count()); }

TElHeaderSection* TElHeaderSections::InsertSection(int position) {
  TElHeaderUpdateScope update(layout_);
  TElHeaderSection* s = CreateSection();
  s->index_ = LowestFreeIndex();
  s->sectionId_ = FreshSectionId();
  sections_.Insert(std::clamp(position, 0, Count()), s);
  layout_.NoteCreated();
  layout_.UpdateHeight();
  return s;
}

void TElHeaderSections::DeleteSection(TElHeaderSection* section) {
  const int position = IndexOf(section);
  if (!section || position < 0) throw EElHeaderError("Invalid section");
  TElHeaderUpdateScope update(layout_);
  if (layout_.LeftFixedSection() == section) layout_.SetLeftFixedSection(nullptr);
  layout_.Host().SectionRemoving(section);
  sections_.Delete(position);
  for (int i = 0; i < Count(); ++i) {
    TElHeaderSection* s = GetSectionAt(i);
    if (s->index_ > section->index_) --s->index_;
  }
  layout_.NoteDeleted();
  section->Free();
  layout_.Host().RepaintHeader();
}

void TElHeaderSections::MoveSection(TElHeaderSection* section, int newPosition) {
  const int oldPosition = IndexOf(section);
  if (!section || oldPosition < 0) throw EElHeaderError("Invalid section");
  if (TElHeaderSection* fixed = layout_.LeftFixedSection()) {
    if (section == fixed)
      newPosition = 0;
    else if (newPosition <= 0)
      newPosition = 1;
  }
  newPosition = std::clamp(newPosition, 0, Count() - 1);
  sections_.Move(oldPosition, newPosition);
  layout_.Host().SectionMoved(section, oldPosition, newPosition);
  layout_.Host().RepaintHeader();
}

void TElHeaderSections::Clear() {
  TElHeaderUpdateScope update(layout_);
  layout_.SetLeftFixedSection(nullptr);
  while (Count() > 0) {
    auto* s = static_cast<TElHeaderSection*>(sections_.Last());
    layout_.Host().SectionRemoving(s);
    sections_.Delete(Count() - 1);
    s->Free();
  }
  layout_.Host().RepaintHeader();
}

void TElHeaderSections::ReverseFrom(int position) {
  for (int i = std::max(position, 0), j = Count() - 1; i < j; ++i, --j) sections_.Exchange(i, j);
}

void TElHeaderSections::RelinkParents(const std::vector<int>& parentIndexes) {
  for (int i = 0; i < Count(); ++i) {
    TElHeaderSection* s = GetSectionAt(i);
    s->parentSection_ = nullptr;
    if (parentIndexes[static_cast<size_t>(i)] < 0) continue;
    TElHeaderSection* parent = FindByIndex(parentIndexes[static_cast<size_t>(i)]);
    if (s->CanTakeParent(parent)) s->parentSection_ = parent;
  }
}

void TElHeaderSections::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TElHeaderSections*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  TElHeaderUpdateScope update(layout_);
  while (Count() > 0) DeleteSection(GetSectionAt(Count() - 1));
  // Index and SectionId come over before any parent is looked up by Index.
  std::vector<int> parents;
  for (int i = 0; i < other->Count(); ++i) {
    const TElHeaderSection* from = other->GetSectionAt(i);
    TElHeaderSection* to = AddSection();
    to->Assign(const_cast<TElHeaderSection*>(from));
    to->index_ = from->index_;
    to->sectionId_ = from->sectionId_;
    parents.push_back(from->parentSection_ ? from->parentSection_->index_ : -1);
  }
  RelinkParents(parents);
  layout_.UpdateHeight();
  layout_.Host().RepaintHeader();
}

void TElHeaderSections::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      "Data", [this](TStream* stream) { ReadData(stream); }, [this](TStream* stream) { WriteData(stream); }, true);
}

// ---------------------------------------------------------------- SectionsOrder

AnsiString TElHeaderSections::SectionsOrder() const {
  AnsiString text;
  for (int i = 0; i < Count(); ++i) {
    const TElHeaderSection* s = GetSectionAt(i);
    text += "i" + std::to_string(s->index_) + ":w" + std::to_string(s->width_) + ":v" + (s->Visible() ? "t," : "f,");
  }
  return text;
}

namespace {

// A decimal number at pos, which moves past it; false without digits or
// beyond the integer range.
bool ReadNumber(const AnsiString& text, size_t& pos, int& value) {
  const size_t start = pos;
  long long n = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    n = n * 10 + (text[pos] - '0');
    if (n > INT_MAX) return false;
    ++pos;
  }
  value = static_cast<int>(n);
  return pos > start;
}

bool Expect(const AnsiString& text, size_t& pos, const char* literal) {
  const size_t n = std::char_traits<char>::length(literal);
  if (text.compare(pos, n, literal) != 0) return false;
  pos += n;
  return true;
}

}  // namespace

void TElHeaderSections::SetSectionsOrder(const AnsiString& value) {
  if (layout_.Host().HeaderLoading()) return;
  TElHeaderUpdateScope update(layout_);
  int position = 0;
  for (size_t start = 0; start < value.size();) {
    size_t end = value.find(',', start);
    if (end == AnsiString::npos) end = value.size();
    const AnsiString entry = value.substr(start, end - start);
    start = end + 1;
    size_t pos = 0;
    int index = 0, width = 0;
    if (!Expect(entry, pos, "i") || !ReadNumber(entry, pos, index) || !Expect(entry, pos, ":w") ||
        !ReadNumber(entry, pos, width) || !Expect(entry, pos, ":"))
      continue;
    TElHeaderSection* s = FindByIndex(index);
    if (!s) continue;
    const AnsiString rest = entry.substr(pos);
    const bool hidden = rest == "vf" || rest.compare(0, 3, "vf;") == 0;
    MoveSection(s, position++);
    s->SetWidth(width);
    s->SetVisible(!hidden);
  }
}
