// TList, TStrings and TStringList.
#include <algorithm>

#include "Classes.hpp"
#include "Consts.hpp"

// ---------------------------------------------------------------------------
// TList.

TList::~TList() { Clear(); }

void TList::Error(const char* message, Int64 data) { throw EListError(message, {data}); }

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) Error(Consts::ListIndexError, index);
}

void TList::Grow() {
  int delta = capacity_ > 64 ? capacity_ / 4 : (capacity_ > 8 ? 16 : 4);
  SetCapacity(capacity_ + delta);
}

int TList::Add(void* item) {
  const int index = Count();
  if (index == capacity_) Grow();
  items_.push_back(item);
  if (item) Notify(item, lnAdded);
  return index;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) Error(Consts::ListIndexError, index);
  if (Count() == capacity_) Grow();
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index);
  void* item = items_[index];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

int TList::IndexOf(void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[index1], items_[index2]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(newIndex);
  void* item = Items(curIndex);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

void TList::Pack() {
  items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void* TList::First() const { return Items(0); }

void* TList::Last() const { return Items(Count() - 1); }

TList* TList::Expand() {
  if (Count() == capacity_) Grow();
  return this;
}

void TList::SetCount(int count) {
  if (count < 0) Error(Consts::ListCountError, count);
  if (count > capacity_) SetCapacity(count);
  if (count > Count())
    items_.resize(count, nullptr);
  else
    // Deleted from the end, so that each item is notified.
    for (int i = Count() - 1; i >= count; --i) Delete(i);
}

void TList::SetCapacity(int capacity) {
  if (capacity < Count()) Error(Consts::ListCapacityError, capacity);
  capacity_ = capacity;
  items_.reserve(capacity);
}

void* TList::Items(int index) const {
  CheckIndex(index);
  return items_[index];
}

void TList::SetItems(int index, void* item) {
  CheckIndex(index);
  void* old = items_[index];
  if (item == old) return;
  items_[index] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::Notify(void*, TListNotification) {}

void TList::Sort(TListSortCompare compare) {
  if (Count() > 1) QuickSort(0, Count() - 1, compare);
}

void TList::QuickSort(int l, int r, TListSortCompare compare) {
  int i;
  do {
    i = l;
    int j = r;
    void* pivot = items_[(l + r) >> 1];
    do {
      while (compare(items_[i], pivot) < 0) ++i;
      while (compare(items_[j], pivot) > 0) --j;
      if (i <= j) {
        std::swap(items_[i], items_[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) QuickSort(l, j, compare);
    l = i;
  } while (i < r);
}

// ---------------------------------------------------------------------------
// TStrings.

void TStrings::Error(const char* message, int data) const { throw EStringListError(message, {data}); }

void TStrings::ErrorRes(int ident, int data) const { throw EStringListError(LoadStr(ident), {data}); }

int TStrings::Add(const std::string& s) {
  const int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const std::string& s, TObject* object) {
  const int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(TStrings* strings) {
  BeginUpdate();
  try {
    for (int i = 0; i < strings->Count(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(TPersistent* source) {
  auto* strings = dynamic_cast<TStrings*>(source);
  if (!strings) {
    TPersistent::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    AddStrings(strings);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::BeginUpdate() {
  // The state changes while the count is still 0, so that the list's
  // Changing still fires.
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::InsertObject(int index, const std::string& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TStrings::Exchange(int index1, int index2) {
  BeginUpdate();
  try {
    std::string s = Get(index1);
    TObject* o = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s);
    PutObject(index2, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  BeginUpdate();
  try {
    std::string s = Get(curIndex);
    TObject* o = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStrings::Equals(TStrings* strings) {
  if (Count() != strings->Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

int TStrings::IndexOf(const std::string& s) {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const std::string& name) {
  for (int i = 0; i < Count(); ++i) {
    std::string s = Get(i);
    auto p = s.find('=');
    if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* object) {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

std::string TStrings::Names(int index) const {
  std::string s = Get(index);
  auto p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(const std::string& name) {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : Get(i).substr(name.size() + 1);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (!value.empty()) {
    if (i < 0) i = Add(std::string());
    Put(i, name + "=" + value);
  } else if (i >= 0) {
    Delete(i);
  }
}

std::string TStrings::ValueFromIndex(int index) const {
  std::string s = Get(index);
  auto p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStrings::Put(int index, const std::string& s) {
  TObject* o = GetObject(index);
  Delete(index);
  InsertObject(index, s, o);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

int TStrings::CompareStrings(const std::string& s1, const std::string& s2) const {
  return AnsiCompareText(s1, s2);
}

std::string TStrings::Text() const {
  std::string text;
  for (int i = 0; i < Count(); ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(const std::string& text) {
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
      std::size_t start = i;
      while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
      Add(text.substr(start, i - start));
      if (i < n && text[i] == '\r') ++i;
      if (i < n && text[i] == '\n') ++i;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::DelimitedText() const {
  if (Count() == 1 && Get(0).empty()) return std::string(2, quoteChar_);
  std::string result;
  for (int i = 0; i < Count(); ++i) {
    std::string s = Get(i);
    bool quote = std::any_of(s.begin(), s.end(), [&](char c) {
      return static_cast<unsigned char>(c) <= ' ' || c == quoteChar_ || c == delimiter_;
    });
    if (i > 0) result += delimiter_;
    result += quote ? AnsiQuotedStr(s, quoteChar_) : s;
  }
  return result;
}

void TStrings::SetDelimitedText(const std::string& text) {
  auto blank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0;
    // The delimited text ends at a NUL, as the library's does.
    const std::size_t n = std::min(text.find('\0'), text.size());
    while (i < n && blank(text[i])) ++i;
    while (i < n) {
      std::string s;
      if (text[i] == quoteChar_) {
        // Quoted: a doubled quote stands for one; ends at the closing quote.
        ++i;
        while (i < n) {
          if (text[i] == quoteChar_) {
            if (i + 1 < n && text[i + 1] == quoteChar_) {
              s += quoteChar_;
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          s += text[i++];
        }
      } else {
        std::size_t start = i;
        while (i < n && static_cast<unsigned char>(text[i]) > ' ' && text[i] != delimiter_) ++i;
        s = text.substr(start, i - start);
      }
      Add(s);
      while (i < n && blank(text[i])) ++i;
      if (i < n && text[i] == delimiter_) {
        if (i + 1 == n) Add(std::string());
        do ++i;
        while (i < n && blank(text[i]));
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::CommaText() const {
  auto* self = const_cast<TStrings*>(this);
  const char delimiter = delimiter_, quote = quoteChar_;
  self->delimiter_ = ',';
  self->quoteChar_ = '"';
  std::string text = DelimitedText();
  self->delimiter_ = delimiter;
  self->quoteChar_ = quote;
  return text;
}

void TStrings::SetCommaText(const std::string& text) {
  const char delimiter = delimiter_, quote = quoteChar_;
  delimiter_ = ',';
  quoteChar_ = '"';
  try {
    SetDelimitedText(text);
  } catch (...) {
    delimiter_ = delimiter;
    quoteChar_ = quote;
    throw;
  }
  delimiter_ = delimiter;
  quoteChar_ = quote;
}

void TStrings::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::LoadFromStream(TStream* stream) {
  BeginUpdate();
  try {
    const Int64 size = stream->Size() - stream->Position();
    std::string text(static_cast<std::size_t>(std::max<Int64>(size, 0)), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
      std::int32_t n = static_cast<std::int32_t>(std::min<std::size_t>(text.size() - done, 0x40000000));
      stream->ReadBuffer(text.data() + done, n);
      done += n;
    }
    SetText(text);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TStrings::SaveToStream(TStream* stream) {
  std::string text = Text();
  std::size_t done = 0;
  while (done < text.size()) {
    std::int32_t n = static_cast<std::int32_t>(std::min<std::size_t>(text.size() - done, 0x40000000));
    stream->WriteBuffer(text.data() + done, n);
    done += n;
  }
}

// ---------------------------------------------------------------------------
// TStringList.

TStringList::~TStringList() {
  // Destruction is no change anyone listens to.
  OnChange = nullptr;
  OnChanging = nullptr;
  items_.clear();
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) ErrorRes(SListIndexError, index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore: return index;
      case dupError: ErrorRes(SDuplicateString, 0);
      case dupAccept: break;
    }
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::string& s, TObject* object) {
  if (sorted_) ErrorRes(SSortedListError, 0);
  if (index < 0 || index > Count()) ErrorRes(SListIndexError, index);
  InsertItem(index, s, object);
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  ExchangeItems(index1, index2);
  Changed();
}

void TStringList::ExchangeItems(int index1, int index2) { std::swap(items_[index1], items_[index2]); }

bool TStringList::Find(const std::string& s, int& index) {
  return IndexBinarySearch(
      Count(), duplicates_ == dupAccept,
      [&](int i) { return CompareStrings(items_[i].String, s); }, index);
}

int TStringList::IndexOf(const std::string& s) {
  if (!sorted_) return TStrings::IndexOf(s);
  int index = -1;
  return Find(s, index) ? index : -1;
}

std::string TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[index].String;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[index].Object;
}

void TStringList::Put(int index, const std::string& s) {
  if (sorted_) ErrorRes(SSortedListError, 0);
  CheckIndex(index);
  Changing();
  items_[index].String = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  items_[index].Object = object;
  Changed();
}

void TStringList::SetCapacity(int capacity) {
  if (capacity >= Count()) items_.reserve(capacity);
}

int TStringList::CompareStrings(const std::string& s1, const std::string& s2) const {
  return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

namespace {
int StringListCompareStrings(TStringList* list, int index1, int index2) {
  // CompareStrings is protected; the public accessors give the same strings.
  return list->CaseSensitive() ? AnsiCompareStr(list->Strings(index1), list->Strings(index2))
                               : AnsiCompareText(list->Strings(index1), list->Strings(index2));
}
}  // namespace

void TStringList::Sort() { CustomSort(&StringListCompareStrings); }

void TStringList::CustomSort(TStringListSortCompare compare) {
  if (sorted_ || Count() <= 1) return;
  Changing();
  QuickSort(0, Count() - 1, compare);
  Changed();
}

void TStringList::QuickSort(int l, int r, TStringListSortCompare compare) {
  IndexQuickSort(
      l, r, [&](int a, int b) { return compare(this, a, b); },
      [&](int a, int b) { ExchangeItems(a, b); });
}

void TStringList::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive_ == caseSensitive) return;
  caseSensitive_ = caseSensitive;
  if (sorted_) {
    // A sorted list re-sorts under the new comparison (Sort skips a list
    // already marked sorted).
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}
