// The control library's pointer containers: an ordered list with an optional
// delete event and optional ownership, a last-in-first-out stack, and a sparse
// array that grows on write. They hold untyped pointers; with
// AutoClearObjects set, every non-nil entry is an object the container frees.
#pragma once

#include <cstdint>
#include <vector>

#include "Classes.hpp"
#include "SysUtils.hpp"
#include "System.hpp"

// The control library's string-table ids (ElConsts.rc): the list's and the
// array's range error, "List index [%d] out of bounds...".
enum : int {
  SElListIndexError = 65283,
  SElArrayIndexError = 65284,
};

// Range errors of the list, the stack and the array.
CLASSLIB_EXCEPTION(EElListError, Exception);
CLASSLIB_EXCEPTION(EElStackError, Exception);
CLASSLIB_EXCEPTION(EElArrayError, Exception);

// Fired with the entry that is about to leave the list or the array.
using TElListDeleteEvent = TEvent<TObject*, void*>;

// Capacity and Count of every container stay below this, so that the block
// size in bytes of 32-bit pointers stays inside a signed 32-bit size.
constexpr std::int32_t ElMaxListSize = 0x7FFFFFF;

// The pointer block shared by the three containers: exactly Capacity slots.
using TElPointerBlock = std::vector<void*>;

class TElList : public TPersistent {
 public:
  TElList() = default;
  ~TElList() override;

  void Assign(TPersistent* source) override;

  std::int32_t Add(void* item);
  void Insert(std::int32_t index, void* item);
  virtual void* Get(std::int32_t index);
  virtual void Put(std::int32_t index, void* item);
  // Unchecked access for inner loops: the caller keeps the index in range.
  void* FastGet(std::int32_t index) const { return list_[static_cast<size_t>(index)]; }
  // Nil on an empty list, as Last.
  void* First() const { return count_ > 0 ? list_[0] : nullptr; }
  void* Last() const { return count_ > 0 ? list_[static_cast<size_t>(count_ - 1)] : nullptr; }

  std::int32_t IndexOf(void* item) const;
  std::int32_t IndexOfFrom(std::int32_t startIndex, void* item) const;
  std::int32_t IndexOfBack(std::int32_t startIndex, void* item) const;

  void Exchange(std::int32_t index1, std::int32_t index2);
  void Move(std::int32_t curIndex, std::int32_t newIndex);
  void MoveRange(std::int32_t curStart, std::int32_t curEnd, std::int32_t newIndex);

  virtual void Clear();
  virtual void Delete(std::int32_t index);
  virtual void DeleteRange(std::int32_t startIndex, std::int32_t endIndex);
  std::int32_t Remove(void* item);

  std::int32_t Count() const { return count_; }
  void SetCount(std::int32_t newCount);
  std::int32_t Capacity() const { return capacity_; }
  void SetCapacity(std::int32_t newCapacity);
  bool AutoClearObjects() const { return autoClearObjects_; }
  void SetAutoClearObjects(bool value) { autoClearObjects_ = value; }
  // The whole block, Capacity slots of which Count are in use.
  void* const* List() const { return list_.data(); }

  TElListDeleteEvent OnDelete;

 protected:
  virtual void Grow();
  virtual void TriggerDeleteEvent(void* item);

 private:
  void CheckIndex(std::int32_t index) const;
  void GrowForInsert();
  void Reallocate(std::int32_t newCapacity);
  void CloseGap(std::int32_t start, std::int32_t length);
  void ShrinkAfterDelete();

  bool autoClearObjects_ = false;
  std::int32_t capacity_ = 0;
  std::int32_t count_ = 0;
  TElPointerBlock list_;
};

class TElStack : public TObject {
 public:
  TElStack() = default;
  ~TElStack() override = default;

  void Push(void* item);
  void* Pop();
  bool Empty() const { return count_ == 0; }
  // Entry Index from the bottom (0 = oldest), unchecked.
  void* FastGet(std::int32_t index) const { return list_[static_cast<size_t>(index)]; }
  void Shift(std::int32_t n);

  std::int32_t Count() const { return count_; }
  std::int32_t Capacity() const { return capacity_; }
  void SetCapacity(std::int32_t newCapacity);

 protected:
  void Grow();

 private:
  TElPointerBlock list_;
  std::int32_t count_ = 0;
  std::int32_t capacity_ = 0;
};

class TElArray : public TObject {
 public:
  TElArray() = default;
  ~TElArray() override;

  virtual void* Get(std::int32_t index);
  virtual void Put(std::int32_t index, void* item);
  virtual void Delete(std::int32_t index);
  void Clear();

  std::int32_t Count() const { return count_; }
  void SetCount(std::int32_t newCount);
  std::int32_t Capacity() const { return capacity_; }
  void SetCapacity(std::int32_t newCapacity);
  bool AutoClearObjects() const { return autoClearObjects_; }
  void SetAutoClearObjects(bool value) { autoClearObjects_ = value; }

  TElListDeleteEvent OnDelete;

 protected:
  virtual void Grow();
  virtual void TriggerDeleteEvent(void* item);

 private:
  void CheckIndex(std::int32_t index) const;
  void Reallocate(std::int32_t newCapacity);

  TElPointerBlock list_;
  std::int32_t count_ = 0;
  std::int32_t capacity_ = 0;
  bool autoClearObjects_ = false;
};

// The growth step of the stack, the array and the wide string list: +4 up to
// a capacity of 8, +16 up to 64, then a quarter.
std::int32_t ElSmallGrowthDelta(std::int32_t capacity);
