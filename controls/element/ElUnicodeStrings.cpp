#include "ElUnicodeStrings.hpp"

#include <algorithm>
#include <cstring>

#include "Consts.hpp"
#include "ElList.hpp"
#include "Streaming.hpp"
#include "SysUtils.hpp"

namespace {

// The class library's string-list messages, from its string table.
[[noreturn]] void ListError(int ident, int data) { throw EStringListError(LoadStr(ident), {data}); }

// Runs a compound operation of the base class inside BeginUpdate/EndUpdate.
// An EndUpdate that raises after a clean run reaches the caller; one that
// raises while the operation's own exception is on its way is dropped, so
// the first exception wins. No destructor is involved, so none can throw.
template <class Operation>
void Updating(TElWideStrings* list, Operation&& operation) {
  list->BeginUpdate();
  try {
    operation();
  } catch (...) {
    try {
      list->EndUpdate();
    } catch (...) {
    }
    throw;
  }
  list->EndUpdate();
}

std::uint16_t SwapUnit(std::uint16_t unit) { return static_cast<std::uint16_t>((unit >> 8) | (unit << 8)); }

}  // namespace

// ---------------------------------------------------------------- TElWideStrings

int TElWideStrings::GetCapacity() { return GetCount(); }
TObject* TElWideStrings::GetObject(int) { return nullptr; }
void TElWideStrings::PutObject(int, TObject*) {}
void TElWideStrings::SetCapacity(int) {}
void TElWideStrings::SetUpdateState(bool) {}

int TElWideStrings::Add(const TElFString& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TElWideStrings::AddObject(const TElFString& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TElWideStrings::AddStrings(TElWideStrings* strings) {
  Updating(this, [&] {
    for (int i = 0; i < strings->GetCount(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
  });
}

void TElWideStrings::InsertObject(int index, const TElFString& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TElWideStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TElWideStrings::EndUpdate() {
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

void TElWideStrings::Exchange(int index1, int index2) {
  Updating(this, [&] {
    TElFString s1 = Get(index1), s2 = Get(index2);
    TObject* o1 = GetObject(index1);
    TObject* o2 = GetObject(index2);
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
  });
}

void TElWideStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  Updating(this, [&] {
    TElFString s = Get(curIndex);
    TObject* object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
  });
}

void TElWideStrings::Put(int index, const TElFString& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

int TElWideStrings::IndexOf(const TElFString& s) {
  for (int i = 0; i < GetCount(); ++i)
    if (WideStrCompare(Get(i), s) == 0) return i;
  return -1;
}

int TElWideStrings::IndexOfName(const TElFString& name) {
  for (int i = 0; i < GetCount(); ++i) {
    TElFString s = Get(i);
    std::size_t eq = s.find(L'=');
    if (eq != TElFString::npos && WideStrCompare(s.substr(0, eq), name) == 0) return i;
  }
  return -1;
}

TElFString TElWideStrings::GetValue(const TElFString& name) {
  int index = IndexOfName(name);
  if (index < 0) return TElFString();
  return WideCopy(Get(index), static_cast<int>(name.size()) + 2, INT32_MAX);
}

TElFString TElWideStrings::GetTextStr() {
  TElFString text;
  for (int i = 0; i < GetCount(); ++i) {
    text += Get(i);
    text += L"\r\n";
  }
  return text;
}

void TElWideStrings::SetTextStr(const TElFString& text) {
  Updating(this, [&] {
    Clear();
    // Lines end at CR, at LF or at a CR LF pair; a 0 unit ends the text.
    const WideChar* p = text.c_str();
    while (*p) {
      const WideChar* start = p;
      while (*p && *p != L'\r' && *p != L'\n') ++p;
      Add(TElFString(start, static_cast<std::size_t>(p - start)));
      if (*p == L'\r') {
        ++p;
        if (*p == L'\n') ++p;
      } else if (*p == L'\n') {
        ++p;
      }
    }
  });
}

std::unique_ptr<WideChar[]> TElWideStrings::GetText() {
  TElFString text = GetTextStr();
  auto buffer = std::make_unique<WideChar[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer.get());
  buffer[text.size()] = 0;
  return buffer;
}

void TElWideStrings::SetText(const WideChar* text) { SetTextStr(WideStringFromPChar(text)); }

// ---------------------------------------------------------------- files and streams

void TElWideStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TElWideStrings::SaveToFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

namespace {

// The UTF-16 text after a byte-order mark. Only whole code units are read: a
// trailing odd byte is left in the stream.
TElFString ReadUtf16Body(TStream* stream, Int64 bytes, bool bigEndian) {
  Int64 units = bytes / 2;
  if (units > INT32_MAX / 2) throw EReadError("Stream read error");
  TElFString text(static_cast<std::size_t>(units), L'\0');
  if (units > 0) stream->ReadBuffer(text.data(), static_cast<std::int32_t>(units * 2));
  if (bigEndian)
    for (WideChar& unit : text) {
      if (unit == 0) break;  // the text ends there anyway
      unit = static_cast<WideChar>(SwapUnit(static_cast<std::uint16_t>(unit)));
    }
  return text;
}

}  // namespace

void TElWideStrings::LoadFromStream(TStream* stream) {
  Updating(this, [&] {
    Int64 remaining = stream->Size() - stream->Position();
    Byte mark[2] = {0, 0};
    std::int32_t got = remaining > 0 ? stream->Read(mark, 2) : 0;
    bool little = got == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    bool big = got == 2 && mark[0] == 0xFE && mark[1] == 0xFF;
    TElFString text;
    if (little || big) {
      text = ReadUtf16Body(stream, remaining - 2, big);
    } else {
      stream->Seek(-got, soCurrent);
      if (remaining > INT32_MAX) throw EReadError("Stream read error");
      AnsiString bytes(static_cast<std::size_t>(remaining > 0 ? remaining : 0), '\0');
      if (!bytes.empty())
        stream->ReadBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
      text = AnsiToWide(bytes);
    }
    // The flag tells how the loaded text was stored: a read that fails
    // leaves it, like the lines, as it was.
    SetTextStr(text);
    unicode_ = little || big;
  });
}

void TElWideStrings::SaveToStream(TStream* stream) {
  TElFString text = GetTextStr();
  if (unicode_) {
    static const Byte mark[2] = {0xFF, 0xFE};
    stream->WriteBuffer(mark, 2);
    if (!text.empty())
      stream->WriteBuffer(text.data(), static_cast<std::int32_t>(text.size() * 2));
    return;
  }
  AnsiString bytes = WideToAnsi(text);
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

// ---------------------------------------------------------------- assignment

void TElWideStrings::Assign(TPersistent* source) {
  if (auto* wide = dynamic_cast<TElWideStrings*>(source)) {
    Updating(this, [&] {
      Clear();
      AddStrings(wide);
    });
  } else if (auto* strings = dynamic_cast<TStrings*>(source)) {
    AssignFromStrings(strings);
  } else {
    TPersistent::Assign(source);
  }
}

void TElWideStrings::AssignTo(TPersistent* dest) {
  if (auto* wide = dynamic_cast<TElWideStrings*>(dest))
    wide->Assign(this);
  else if (auto* strings = dynamic_cast<TStrings*>(dest))
    AssignToStrings(strings);
  else
    TPersistent::AssignTo(dest);
}

// The objects follow by index. A string holding a line break or a 0 unit
// splits or ends the text differently on the other side; objects then go
// only to the indexes both lists have.
void TElWideStrings::AssignFromStrings(TStrings* source) {
  Updating(this, [&] {
    Clear();
    SetTextStr(AnsiToWide(source->Text()));
    int n = std::min(source->Count(), GetCount());
    for (int i = 0; i < n; ++i) PutObject(i, source->Objects(i));
  });
}

void TElWideStrings::AssignToStrings(TStrings* dest) {
  dest->BeginUpdate();
  try {
    dest->SetText(WideToAnsi(GetTextStr()));
    int n = std::min(dest->Count(), GetCount());
    for (int i = 0; i < n; ++i) dest->SetObjects(i, GetObject(i));
  } catch (...) {
    dest->EndUpdate();
    throw;
  }
  dest->EndUpdate();
}

// ---------------------------------------------------------------- form property "Strings"

void TElWideStrings::DefineProperties(TFiler* filer) {
  // An inherited form writes the list even when empty, so that it can clear
  // what the base form holds.
  bool hasData = GetCount() > 0 || filer->Ancestor() != nullptr;
  filer->DefineProperty(
      "Strings", [this](TReader* reader) { ReadData(reader); },
      [this](TWriter* writer) { WriteData(writer); }, hasData);
}

namespace {

// A length checked against what is left of the data, before anything is
// allocated for it: damaged form data fails as a short read would.
std::int32_t ReadStringLength(TReader* reader, std::int32_t unitSize) {
  std::int32_t length = 0;
  reader->Read(&length, sizeof length);
  if (length < 0) throw EReadError("Error while reading wide strings list");
  TStream* data = reader->Stream();
  if (length > (data->Size() - data->Position()) / unitSize) throw EReadError("Stream read error");
  return length;
}

// One string of the list: wide strings as they are, ANSI strings converted
// from the system code page. The reader raises when the data runs short.
TElFString ReadListString(TReader* reader) {
  Byte type = static_cast<Byte>(reader->ReadValue()) & 0x7F;
  if (type == vaWString) {
    std::int32_t units = ReadStringLength(reader, 2);
    TElFString s(static_cast<std::size_t>(units), L'\0');
    if (units > 0) reader->Read(s.data(), units * 2);
    return s;
  }
  if (type == vaLString || type == vaString) {
    std::int32_t length = 0;
    if (type == vaString) {
      Byte shortLength = 0;
      reader->Read(&shortLength, 1);
      length = shortLength;
    } else {
      length = ReadStringLength(reader, 1);
    }
    AnsiString s(static_cast<std::size_t>(length), '\0');
    if (length > 0) reader->Read(s.data(), length);
    return AnsiToWide(s);
  }
  throw EReadError("Error while reading wide strings list");
}

}  // namespace

void TElWideStrings::ReadData(TReader* reader) {
  reader->ReadListBegin();
  Updating(this, [&] {
    Clear();
    while (!reader->EndOfList()) Add(ReadListString(reader));
  });
  reader->ReadListEnd();
}

void TElWideStrings::WriteData(TWriter* writer) {
  writer->WriteListBegin();
  for (int i = 0; i < GetCount(); ++i) {
    TElFString s = Get(i);
    std::int32_t units = static_cast<std::int32_t>(s.size());
    writer->WriteValue(vaWString);
    writer->Write(&units, sizeof units);
    if (units > 0) writer->Write(s.data(), units * 2);
  }
  writer->WriteListEnd();
}

// ---------------------------------------------------------------- TElWideStringList

TElWideStringList::~TElWideStringList() {
  // No events while the list goes away.
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TElWideStringList::CheckIndex(int index) const {
  if (index < 0 || index >= count_) ListError(SListIndexError, index);
}

TElFString TElWideStringList::Get(int index) {
  CheckIndex(index);
  return list_[static_cast<std::size_t>(index)].FString;
}

TObject* TElWideStringList::GetObject(int index) {
  CheckIndex(index);
  return list_[static_cast<std::size_t>(index)].FObject;
}

void TElWideStringList::Changed() {
  if (UpdateCount() == 0 && OnChange.Assigned()) OnChange(this);
}

void TElWideStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging.Assigned()) OnChanging(this);
}

void TElWideStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

void TElWideStringList::Grow() { SetCapacity(capacity_ + ElSmallGrowthDelta(capacity_)); }

void TElWideStringList::SetCapacity(int newCapacity) {
  // Below Count the list would lose strings it still counts.
  if (newCapacity < count_) ListError(SListIndexError, newCapacity);
  list_.resize(static_cast<std::size_t>(newCapacity));
  list_.shrink_to_fit();
  capacity_ = newCapacity;
}

int TElWideStringList::Add(const TElFString& s) {
  int index = count_;
  if (Sorted()) {
    if (Find(s, index)) {
      if (duplicates_ == dupIgnore) return index;
      if (duplicates_ == dupError) ListError(SDuplicateString, 0);
    }
  }
  InsertItem(index, s);
  return index;
}

void TElWideStringList::Insert(int index, const TElFString& s) {
  if (Sorted()) ListError(SSortedListError, 0);
  if (index < 0 || index > count_) ListError(SListIndexError, index);
  InsertItem(index, s);
}

void TElWideStringList::InsertItem(int index, const TElFString& s) {
  Changing();
  if (count_ == capacity_) Grow();
  auto at = list_.begin() + index;
  std::move_backward(at, list_.begin() + count_, list_.begin() + count_ + 1);
  *at = TWideStringItem{s, nullptr};
  ++count_;
  Changed();
}

void TElWideStringList::Put(int index, const TElFString& s) {
  if (Sorted()) ListError(SSortedListError, 0);
  CheckIndex(index);
  Changing();
  list_[static_cast<std::size_t>(index)].FString = s;
  Changed();
}

void TElWideStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  list_[static_cast<std::size_t>(index)].FObject = object;
  Changed();
}

void TElWideStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  auto at = list_.begin() + index;
  std::move(at + 1, list_.begin() + count_, at);
  --count_;
  list_[static_cast<std::size_t>(count_)] = TWideStringItem{};
  Changed();
}

void TElWideStringList::ExchangeItems(int index1, int index2) {
  std::swap(list_[static_cast<std::size_t>(index1)], list_[static_cast<std::size_t>(index2)]);
}

void TElWideStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  ExchangeItems(index1, index2);
  Changed();
}

void TElWideStringList::Move(int curIndex, int newIndex) {
  // Moving deletes and inserts again; on a sorted list the insertion would
  // fail after the string had already been taken out.
  if (curIndex != newIndex && Sorted()) ListError(SSortedListError, 0);
  TElWideStrings::Move(curIndex, newIndex);
}

void TElWideStringList::Clear() {
  if (count_ == 0) return;
  Changing();
  list_.clear();
  list_.shrink_to_fit();
  count_ = 0;
  capacity_ = 0;
  Changed();
}

int TElWideStringList::IndexOf(const TElFString& s) {
  if (!Sorted()) return TElWideStrings::IndexOf(s);
  int index = 0;
  return Find(s, index) ? index : -1;
}

bool TElWideStringList::Find(const TElFString& s, int& index) {
  return IndexBinarySearch(
      count_, duplicates_ == dupAccept,
      [&](int i) { return WideCompareStr(list_[static_cast<std::size_t>(i)].FString, s); }, index);
}

void TElWideStringList::QuickSort(int l, int r, TElWideStringListSortCompare compare) {
  IndexQuickSort(
      l, r, [&](int a, int b) { return compare(this, a, b); },
      [&](int a, int b) { ExchangeItems(a, b); });
}

void TElWideStringList::CustomSort(TElWideStringListSortCompare compare) {
  if (Sorted() || count_ < 2) return;
  Changing();
  QuickSort(0, count_ - 1, compare);
  Changed();
}

namespace {
int CompareByString(TElWideStringList* list, int index1, int index2) {
  return WideCompareStr(list->Get(index1), list->Get(index2));
}
}  // namespace

void TElWideStringList::Sort() { CustomSort(CompareByString); }
