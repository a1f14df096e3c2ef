// The library's persistent objects, components and streams. Free of
// <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SysUtils.hpp"
#include "System.hpp"

class TFiler;

// The library's binary search over a sorted list of count items:
// compareAt(i) compares item i with the sought value. Gives the first
// matching index when duplicates are not accepted, else the insertion point
// after the search; returns whether a match was found.
template <class CompareAt>
bool IndexBinarySearch(int count, bool duplicatesAccepted, CompareAt compareAt, int& index) {
  bool found = false;
  int l = 0, h = count - 1;
  while (l <= h) {
    int i = static_cast<int>(static_cast<unsigned>(l + h) >> 1);
    int c = compareAt(i);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (!duplicatesAccepted) l = i;
      }
    }
  }
  index = l;
  return found;
}

// The library's quicksort over item indexes: compare(i, p) compares item i
// with the pivot item p, exchange(i, j) swaps two items. The pivot index
// travels with its item, so lists sorted by it keep the library's order of
// equal items.
template <class Compare, class Exchange>
void IndexQuickSort(int l, int r, Compare compare, Exchange exchange) {
  int i;
  do {
    i = l;
    int j = r;
    int p = static_cast<int>(static_cast<unsigned>(l + r) >> 1);
    do {
      while (compare(i, p) < 0) ++i;
      while (compare(j, p) > 0) --j;
      if (i <= j) {
        exchange(i, j);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) IndexQuickSort(l, j, compare, exchange);
    l = i;
  } while (i < r);
}

class TStream;

// Whether s is a Pascal identifier (a letter or "_", then letters, digits, "_").
bool IsValidIdent(const std::string& s);

// An object that can copy itself from another (Assign) and take part in
// form streaming (DefineProperties).
class TPersistent : public TObject {
 public:
  // Copies from the source; the fallback asks the source to AssignTo this
  // object and raises EConvertError "Cannot assign a <src> to a <dst>".
  virtual void Assign(TPersistent* source);
  // Defines the properties that form streaming stores beyond the published
  // ones (binary data, string lists).
  virtual void DefineProperties(TFiler* filer);

 protected:
  virtual void AssignTo(TPersistent* dest);
  // Raises EConvertError "Cannot assign a <source or nil> to a <this>".
  [[noreturn]] void AssignError(TPersistent* source);
};

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
  csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

// A named object owned by another component, which frees it. Components that
// hold references to others ask for free notification to drop them in time.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  virtual void SetName(const std::string& name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  TComponentState ComponentState() const { return state_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& name) const;

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();

  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Runs after the component and its whole form were read.
  virtual void Loaded();
  virtual void Notification(TComponent* component, TOperation operation);

  // State changes used by the form reader and by the classes themselves.
  void SetComponentStateItem(TComponentStateItem item, bool on);

 protected:
  // Raises EComponentError when newName is taken by another component of
  // this owner (compared case-insensitively).
  virtual void ValidateRename(TComponent* component, const std::string& curName,
                              const std::string& newName);
  // Marks this component and everything it owns csDestroying.
  void Destroying();

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void RemoveNotification(TComponent* component);
  // Free notifications, owned components and the owner's list, done while
  // the object is still whole (from BeforeDestruction, or the destructor
  // for a bare delete).
  void TearDown();

  TComponent* owner_ = nullptr;
  std::string name_;
  int tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  bool tornDown_ = false;
};
using TComponentClass = TClass;

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// Abstract byte stream. Read and Write transfer at most count bytes and return
// how many; ReadBuffer and WriteBuffer raise EReadError / EWriteError on a
// short transfer.
class TStream : public TObject {
 public:
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
  virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  void ReadBuffer(void* buffer, std::int32_t count);
  void WriteBuffer(const void* buffer, std::int32_t count);
  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 position) { Seek(position, soBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 size);
  // Copies count bytes from the source's position; 0 copies the whole source
  // from its beginning. Returns the count copied.
  Int64 CopyFrom(TStream* source, Int64 count);
};

// ---------------------------------------------------------------------------
// Lists.

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = int (*)(void* item1, void* item2);

// An ordered list of untyped pointers. Bad indexes raise EListError "List
// index out of bounds (%d)".
class TList : public TObject {
 public:
  TList() = default;
  ~TList() override;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Deletes the first occurrence; returns its former index or -1.
  int Remove(void* item);
  // Takes the item out without deleting it (lnExtracted); nullptr when absent.
  void* Extract(void* item);
  virtual void Clear();
  int IndexOf(void* item) const;
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  // Drops the nil items.
  void Pack();
  void Sort(TListSortCompare compare);
  void* First() const;
  void* Last() const;
  TList* Expand();

  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int count);
  int Capacity() const { return capacity_; }
  void SetCapacity(int capacity);
  void* Items(int index) const;
  void SetItems(int index, void* item);
  void* const* List() const { return items_.data(); }

  [[noreturn]] static void Error(const char* message, Int64 data);

 protected:
  // Called after an item was added, and before one is extracted or deleted.
  virtual void Notify(void* item, TListNotification action);

 private:
  void CheckIndex(int index) const;
  void Grow();
  void QuickSort(int l, int r, TListSortCompare compare);

  std::vector<void*> items_;
  int capacity_ = 0;
};

// ---------------------------------------------------------------------------
// String lists.

enum TDuplicates { dupIgnore, dupAccept, dupError };

// An abstract list of ANSI strings with an object per string. Subclasses
// provide storage (Get, Count, Put, Insert, Delete, Clear...); everything
// else is built on those.
class TStrings : public TPersistent {
 public:
  virtual int Add(const std::string& s);
  virtual int AddObject(const std::string& s, TObject* object);
  void Append(const std::string& s) { Add(s); }
  virtual void AddStrings(TStrings* strings);
  void Assign(TPersistent* source) override;
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void InsertObject(int index, const std::string& s, TObject* object);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  // Same count and the same strings, compared exactly.
  bool Equals(TStrings* strings);
  virtual int IndexOf(const std::string& s);
  int IndexOfName(const std::string& name);
  int IndexOfObject(TObject* object);

  virtual int Count() const = 0;
  std::string Strings(int index) const { return Get(index); }
  void SetStrings(int index, const std::string& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }
  // The part before the first "=" ("" when there is none).
  std::string Names(int index) const;
  std::string Values(const std::string& name);
  // Sets "name=value"; an empty value deletes the entry.
  void SetValues(const std::string& name, const std::string& value);
  std::string ValueFromIndex(int index) const;

  // Every string followed by CR LF, the last one too.
  virtual std::string Text() const;
  // Splits at CR LF, CR or LF; a final line break makes no empty line.
  virtual void SetText(const std::string& text);
  std::string CommaText() const;
  void SetCommaText(const std::string& text);
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& text);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char c) { delimiter_ = c; }
  char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char c) { quoteChar_ = c; }

  virtual void LoadFromFile(const std::string& fileName);
  // Reads from the stream's position to its end.
  virtual void LoadFromStream(TStream* stream);
  virtual void SaveToFile(const std::string& fileName);
  virtual void SaveToStream(TStream* stream);

  virtual int Capacity() const { return Count(); }
  virtual void SetCapacity(int) {}
  int UpdateCount() const { return updateCount_; }

 protected:
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s);
  virtual TObject* GetObject(int index) const;
  virtual void PutObject(int index, TObject* object);
  // Called with true at the first BeginUpdate and false at the last EndUpdate.
  virtual void SetUpdateState(bool updating);
  // How IndexOf and IndexOfName compare: locale, case-insensitive.
  virtual int CompareStrings(const std::string& s1, const std::string& s2) const;
  // Raises EStringListError with the message, formatted with data.
  [[noreturn]] void Error(const char* message, int data) const;
  [[noreturn]] void ErrorRes(int ident, int data) const;

 private:
  int updateCount_ = 0;
  char delimiter_ = ',';
  char quoteChar_ = '"';
};

class TStringList;
using TStringListSortCompare = int (*)(TStringList* list, int index1, int index2);

// The concrete string list: optionally sorted (with a duplicates policy) and
// case-insensitive by default. OnChanging and OnChange fire around every
// change outside BeginUpdate/EndUpdate.
class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;

  int Add(const std::string& s) override;
  int AddObject(const std::string& s, TObject* object) override;
  void Clear() override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  // Binary search in a sorted list: true when found; index is the first
  // equal string (the insertion point when absent).
  virtual bool Find(const std::string& s, int& index);
  int IndexOf(const std::string& s) override;
  void Insert(int index, const std::string& s) override;
  void InsertObject(int index, const std::string& s, TObject* object) override;
  virtual void Sort();
  virtual void CustomSort(TStringListSortCompare compare);

  int Count() const override { return static_cast<int>(items_.size()); }
  int Capacity() const override { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity) override;
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool caseSensitive);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  std::string Get(int index) const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const std::string& s) override;
  void PutObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  int CompareStrings(const std::string& s1, const std::string& s2) const override;
  virtual void InsertItem(int index, const std::string& s, TObject* object);

 private:
  struct Item {
    std::string String;
    TObject* Object = nullptr;
  };
  void CheckIndex(int index) const;
  void QuickSort(int l, int r, TStringListSortCompare compare);
  void ExchangeItems(int index1, int index2);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

// ---------------------------------------------------------------------------
// Streams.

// Open modes of TFileStream (the library's values).
enum : Word {
  fmCreate = 0xFFFF,
  fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000, fmShareExclusive = 0x0010, fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030, fmShareDenyNone = 0x0040
};

// A stream over a Win32 file handle it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(void* handle) : handle_(handle) {}
  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  // Moves the end of the file; raises EOSError on failure.
  void SetSize(Int64 size) override;
  void* Handle() const { return handle_; }

 protected:
  void* handle_;
};

// A stream over a file it opens and closes. fmCreate creates or truncates
// (EFCreateError); the open modes combine an access and a share mode
// (EFOpenError). The messages name the full path and the system's reason.
class TFileStream : public THandleStream {
 public:
  TFileStream(const std::string& fileName, Word mode);
  ~TFileStream() override;
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
};

// A stream over a block of memory; reads past the end are short.
class TCustomMemoryStream : public TStream {
 public:
  std::int32_t Read(void* buffer, std::int32_t count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override { return size_; }
  void* Memory() const { return memory_; }
  void SaveToStream(TStream* stream);
  void SaveToFile(const std::string& fileName);

 protected:
  void SetPointer(void* memory, Int64 size);
  Int64 position_ = 0;

 private:
  void* memory_ = nullptr;
  Int64 size_ = 0;
};

// A growable stream in memory. Memory() moves when the stream grows.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  void SetSize(Int64 size) override;
  void Clear();
  // Replaces the contents with the whole of the stream (from its start).
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const std::string& fileName);

 private:
  void SetCapacity(Int64 capacity);
  std::vector<Byte> data_;
};

// A stream over a string. Writing replaces from the position on and ends the
// string there, as the library's string stream does.
class TStringStream : public TStream {
 public:
  explicit TStringStream(const std::string& s = std::string()) : data_(s) {}
  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 size) override;
  // Up to count bytes from the position.
  std::string ReadString(std::int32_t count);
  void WriteString(const std::string& s);
  const std::string& DataString() const { return data_; }

 private:
  std::string data_;
  Int64 position_ = 0;
};

// A read-only stream over a resource of a module. A missing resource raises
// EResNotFound "Resource <name> not found".
class TResourceStream : public TCustomMemoryStream {
 public:
  // resType: a type name or MAKEINTRESOURCEA id (RT_RCDATA...).
  TResourceStream(HINSTANCE__* instance, const std::string& resName, const char* resType);
  TResourceStream(HINSTANCE__* instance, int resId, const char* resType);
  // Raises EStreamError: resources are read-only.
  std::int32_t Write(const void* buffer, std::int32_t count) override;

 private:
  void Initialize(HINSTANCE__* instance, const char* name, const char* type,
                  const std::string& displayName);
};
