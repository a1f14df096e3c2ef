// Lists of UTF-16 strings with an object per string: the abstract
// TElWideStrings, shaped like the class library's string list, and its
// concrete, optionally sorted TElWideStringList. Lists load and save text
// files with byte-order-mark detection and are stored in forms as the
// property "Strings".
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.hpp"
#include "ElStrUtils.hpp"
#include "System.hpp"

class TReader;
class TWriter;
class TStrings;

class TElWideStrings : public TPersistent {
 public:
  TElWideStrings() = default;

  void Assign(TPersistent* source) override;
  void DefineProperties(TFiler* filer) override;

  virtual TElFString Get(int index) = 0;
  virtual int GetCapacity();
  virtual int GetCount() = 0;
  virtual TObject* GetObject(int index);
  virtual TElFString GetTextStr();
  virtual void Put(int index, const TElFString& s);
  virtual void PutObject(int index, TObject* object);
  virtual void SetCapacity(int newCapacity);
  virtual void SetTextStr(const TElFString& text);
  virtual int Add(const TElFString& s);
  virtual int AddObject(const TElFString& s, TObject* object);
  virtual void AddStrings(TElWideStrings* strings);
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Exchange(int index1, int index2);
  // A new zero-terminated copy of the text.
  virtual std::unique_ptr<WideChar[]> GetText();
  virtual int IndexOf(const TElFString& s);
  virtual void Insert(int index, const TElFString& s) = 0;
  virtual void LoadFromFile(const AnsiString& fileName);
  virtual void LoadFromStream(TStream* stream);
  virtual void Move(int curIndex, int newIndex);
  virtual void SaveToFile(const AnsiString& fileName);
  virtual void SaveToStream(TStream* stream);
  virtual void SetText(const WideChar* text);

  void BeginUpdate();
  void EndUpdate();
  void InsertObject(int index, const TElFString& s, TObject* object);
  int IndexOfName(const TElFString& name);
  // The part after "=" of the string IndexOfName finds; empty when absent.
  TElFString GetValue(const TElFString& name);

  // Property-style access.
  int Count() { return GetCount(); }
  TElFString Strings(int index) { return Get(index); }
  void SetStrings(int index, const TElFString& s) { Put(index, s); }
  TObject* Objects(int index) { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }
  int Capacity() { return GetCapacity(); }
  TElFString Text() { return GetTextStr(); }

  // True when the last LoadFromStream found a UTF-16 byte-order mark; decides
  // the encoding of SaveToStream.
  bool Unicode() const { return unicode_; }
  void SetUnicode(bool value) { unicode_ = value; }
  int UpdateCount() const { return updateCount_; }

 protected:
  void AssignTo(TPersistent* dest) override;
  virtual void SetUpdateState(bool updating);

 private:
  void AssignFromStrings(TStrings* source);
  void AssignToStrings(TStrings* dest);
  void ReadData(TReader* reader);
  void WriteData(TWriter* writer);

  int updateCount_ = 0;
  bool unicode_ = false;
};

// One string with its object; the object is not owned.
struct TWideStringItem {
  TElFString FString;
  TObject* FObject = nullptr;
};

class TElWideStringList;
using TElWideStringListSortCompare = int (*)(TElWideStringList* list, int index1, int index2);

class TElWideStringList : public TElWideStrings {
 public:
  TElWideStringList() = default;
  ~TElWideStringList() override;

  TElFString Get(int index) override;
  int GetCapacity() override { return capacity_; }
  int GetCount() override { return count_; }
  TObject* GetObject(int index) override;
  void Put(int index, const TElFString& s) override;
  void PutObject(int index, TObject* object) override;
  void SetCapacity(int newCapacity) override;
  int Add(const TElFString& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const TElFString& s) override;
  void Insert(int index, const TElFString& s) override;
  void Move(int curIndex, int newIndex) override;

  virtual void CustomSort(TElWideStringListSortCompare compare);
  // Binary search by WideCompareStr: true when found; Index is the first
  // equal string, or the insertion point when absent.
  virtual bool Find(const TElFString& s, int& index);
  virtual void Sort();

  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  // Only stores the flag: turning it on does not sort the list.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value) { sorted_ = value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool updating) override;
  void InsertItem(int index, const TElFString& s);
  void Grow();

 private:
  void CheckIndex(int index) const;
  void ExchangeItems(int index1, int index2);
  void QuickSort(int l, int r, TElWideStringListSortCompare compare);

  TDuplicates duplicates_ = dupIgnore;
  bool sorted_ = false;
  int capacity_ = 0;
  int count_ = 0;
  std::vector<TWideStringItem> list_;  // exactly Capacity slots
};
