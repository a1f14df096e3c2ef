#include "ElList.hpp"

#include <algorithm>
#include <string>

namespace {

[[noreturn]] void ListError(std::int32_t value) {
  throw EElListError(LoadStr(SElListIndexError), {value});
}
[[noreturn]] void ArrayError(std::int32_t value) {
  throw EElArrayError(LoadStr(SElArrayIndexError), {value});
}

// Frees an owned entry; the Clear paths and TElArray.Put swallow what a
// destructor raises so that the remaining entries still get freed.
void FreeEntrySwallowing(void* item) {
  if (!item) return;
  try {
    static_cast<TObject*>(item)->Free();
  } catch (...) {
  }
}

void FreeEntry(void* item) {
  if (item) static_cast<TObject*>(item)->Free();
}

void ResizeBlock(TElPointerBlock& block, std::int32_t newCapacity) {
  block.resize(static_cast<size_t>(newCapacity), nullptr);
  block.shrink_to_fit();
}

}  // namespace

std::int32_t ElSmallGrowthDelta(std::int32_t capacity) {
  if (capacity <= 8) return 4;
  if (capacity <= 64) return 16;
  return capacity / 4;
}

// ---------------------------------------------------------------- TElList

TElList::~TElList() {
  try {
    Clear();
  } catch (...) {
    // A destructor must not throw; an OnDelete handler that raises here
    // leaves the remaining entries to the owner.
  }
}

void TElList::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TElList*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  Clear();
  SetCapacity(src->capacity_);
  SetCount(src->count_);
  std::copy_n(src->list_.begin(), count_, list_.begin());
}

void TElList::CheckIndex(std::int32_t index) const {
  if (index < 0 || index >= count_) ListError(index);
}

void TElList::Reallocate(std::int32_t newCapacity) {
  ResizeBlock(list_, newCapacity);
  capacity_ = newCapacity;
}

// Add and Insert grow by their own rule; an override of Grow does not
// change how they grow.
void TElList::GrowForInsert() {
  std::int32_t delta = std::min<std::int32_t>(count_ * 2 + 1, 1280);
  std::int32_t target = capacity_ + delta;
  if (target > ElMaxListSize) target = ElMaxListSize;
  if (target <= capacity_) ListError(capacity_ + delta);
  Reallocate(target);
}

void TElList::Grow() {
  std::int32_t target = capacity_ + std::min<std::int32_t>(count_ * 2 + 1, 1280);
  if (target > ElMaxListSize) ListError(target);
  Reallocate(target);
}

std::int32_t TElList::Add(void* item) {
  if (count_ == capacity_) GrowForInsert();
  list_[static_cast<size_t>(count_)] = item;
  return count_++;
}

void TElList::Insert(std::int32_t index, void* item) {
  if (index < 0 || index > count_) ListError(index);
  if (count_ == capacity_) GrowForInsert();
  auto at = list_.begin() + index;
  std::move_backward(at, list_.begin() + count_, list_.begin() + count_ + 1);
  *at = item;
  ++count_;
}

void* TElList::Get(std::int32_t index) {
  CheckIndex(index);
  return list_[static_cast<size_t>(index)];
}

void TElList::Put(std::int32_t index, void* item) {
  CheckIndex(index);
  void* old = list_[static_cast<size_t>(index)];
  // The old entry is reported but never freed: Put hands it back to the owner.
  if (old && OnDelete.Assigned()) OnDelete(this, old);
  list_[static_cast<size_t>(index)] = item;
}

std::int32_t TElList::IndexOf(void* item) const {
  for (std::int32_t i = 0; i < count_; ++i)
    if (list_[static_cast<size_t>(i)] == item) return i;
  return -1;
}

std::int32_t TElList::IndexOfFrom(std::int32_t startIndex, void* item) const {
  CheckIndex(startIndex);
  for (std::int32_t i = startIndex; i < count_; ++i)
    if (list_[static_cast<size_t>(i)] == item) return i;
  return -1;
}

std::int32_t TElList::IndexOfBack(std::int32_t startIndex, void* item) const {
  CheckIndex(startIndex);
  for (std::int32_t i = startIndex; i >= 0; --i)
    if (list_[static_cast<size_t>(i)] == item) return i;
  return -1;
}

void TElList::Exchange(std::int32_t index1, std::int32_t index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(list_[static_cast<size_t>(index1)], list_[static_cast<size_t>(index2)]);
}

void TElList::Move(std::int32_t curIndex, std::int32_t newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(newIndex);
  CheckIndex(curIndex);
  // Taking the entry out and putting it back never changes Count, so the
  // block needs no reallocation; a rotation does both steps at once.
  auto base = list_.begin();
  if (curIndex < newIndex)
    std::rotate(base + curIndex, base + curIndex + 1, base + newIndex + 1);
  else
    std::rotate(base + newIndex, base + curIndex, base + curIndex + 1);
}

void TElList::MoveRange(std::int32_t curStart, std::int32_t curEnd, std::int32_t newIndex) {
  if (newIndex == curStart) return;
  if (newIndex < 0 || newIndex >= count_ || (curStart <= newIndex && newIndex <= curEnd))
    ListError(newIndex);
  CheckIndex(curStart);
  CheckIndex(curEnd);
  // A reversed range would give a negative block length and write outside
  // the block.
  if (curEnd < curStart) ListError(curEnd);
  auto base = list_.begin();
  if (newIndex < curStart)
    std::rotate(base + newIndex, base + curStart, base + curEnd + 1);
  else
    // The block ends just before the entry that was at NewIndex, which
    // keeps its slot.
    std::rotate(base + curStart, base + curEnd + 1, base + newIndex);
}

void TElList::CloseGap(std::int32_t start, std::int32_t length) {
  auto base = list_.begin();
  std::copy(base + start + length, base + count_, base + start);
  std::fill(base + count_ - length, base + count_, nullptr);
  count_ -= length;
}

void TElList::ShrinkAfterDelete() {
  if (count_ < capacity_ / 2) Reallocate(capacity_ / 2);
}

void TElList::Delete(std::int32_t index) {
  CheckIndex(index);
  void* item = list_[static_cast<size_t>(index)];
  TriggerDeleteEvent(item);
  // The entry leaves the list before it is freed: a destructor that raises
  // then cannot leave a freed pointer behind.
  CloseGap(index, 1);
  ShrinkAfterDelete();
  if (autoClearObjects_) FreeEntry(item);
}

void TElList::DeleteRange(std::int32_t startIndex, std::int32_t endIndex) {
  CheckIndex(startIndex);
  CheckIndex(endIndex);
  if (endIndex < startIndex) ListError(endIndex);
  for (std::int32_t i = startIndex; i <= endIndex; ++i)
    TriggerDeleteEvent(list_[static_cast<size_t>(i)]);
  CloseGap(startIndex, endIndex - startIndex + 1);
  ShrinkAfterDelete();
}

std::int32_t TElList::Remove(void* item) {
  std::int32_t index = IndexOf(item);
  if (index < 0) return -1;
  TriggerDeleteEvent(item);
  CloseGap(index, 1);
  ShrinkAfterDelete();
  return index;
}

void TElList::Clear() {
  // Every entry is announced before any is freed, so that handlers still
  // see whole objects.
  for (std::int32_t i = 0; i < count_; ++i) TriggerDeleteEvent(list_[static_cast<size_t>(i)]);
  if (autoClearObjects_)
    for (std::int32_t i = 0; i < count_; ++i) FreeEntrySwallowing(Get(i));
  count_ = 0;
  Reallocate(0);
}

void TElList::SetCapacity(std::int32_t newCapacity) {
  if (newCapacity < count_ || newCapacity > ElMaxListSize) ListError(newCapacity);
  if (newCapacity != capacity_) Reallocate(newCapacity);
}

void TElList::SetCount(std::int32_t newCount) {
  if (newCount < 0 || newCount > ElMaxListSize) ListError(newCount);
  if (newCount > capacity_) Reallocate(newCount);
  if (newCount > count_)
    std::fill(list_.begin() + count_, list_.begin() + newCount, nullptr);
  count_ = newCount;
}

void TElList::TriggerDeleteEvent(void* item) {
  if (OnDelete.Assigned()) OnDelete(this, item);
}

// ---------------------------------------------------------------- TElStack

void TElStack::Grow() { SetCapacity(capacity_ + ElSmallGrowthDelta(capacity_)); }

void TElStack::Push(void* item) {
  if (count_ == capacity_) Grow();
  list_[static_cast<size_t>(count_++)] = item;
}

void* TElStack::Pop() {
  if (count_ == 0) throw EElStackError("ElStack is empty.");
  void* item = list_[static_cast<size_t>(--count_)];
  if (count_ < capacity_ / 2) SetCapacity(capacity_ / 2);
  return item;
}

void TElStack::Shift(std::int32_t n) {
  // A negative count would move entries from before the block.
  if (n > count_ || n < 0) throw EElStackError("Cannot shift ElStack");
  if (count_ == 0) throw EElStackError("ElStack is empty.");
  std::copy(list_.begin() + n, list_.begin() + count_, list_.begin());
  count_ -= n;
  ResizeBlock(list_, count_);
  capacity_ = count_;
}

void TElStack::SetCapacity(std::int32_t newCapacity) {
  if (newCapacity < count_ || newCapacity > ElMaxListSize)
    throw EElStackError("Invalid ElStack capacity.");
  if (newCapacity == capacity_) return;
  ResizeBlock(list_, newCapacity);
  capacity_ = newCapacity;
}

// ---------------------------------------------------------------- TElArray

TElArray::~TElArray() {
  try {
    Clear();
  } catch (...) {
  }
}

void TElArray::CheckIndex(std::int32_t index) const {
  if (index < 0 || index >= count_) ArrayError(index);
}

void TElArray::Reallocate(std::int32_t newCapacity) {
  ResizeBlock(list_, newCapacity);
  capacity_ = newCapacity;
}

void TElArray::Grow() { SetCapacity(capacity_ + ElSmallGrowthDelta(capacity_)); }

void* TElArray::Get(std::int32_t index) {
  if (index < 0) ArrayError(index);
  if (index >= count_) return nullptr;
  return list_[static_cast<size_t>(index)];
}

void TElArray::Put(std::int32_t index, void* item) {
  if (index < 0) ArrayError(index);
  // Writing past the end sizes the array to exactly Index + 1.
  if (index >= count_) SetCount(index + 1);
  void* old = list_[static_cast<size_t>(index)];
  if (old == item) return;
  TriggerDeleteEvent(old);
  if (autoClearObjects_) FreeEntrySwallowing(old);
  list_[static_cast<size_t>(index)] = item;
}

void TElArray::Delete(std::int32_t index) {
  CheckIndex(index);
  void* item = list_[static_cast<size_t>(index)];
  TriggerDeleteEvent(item);
  std::copy(list_.begin() + index + 1, list_.begin() + count_, list_.begin() + index);
  list_[static_cast<size_t>(--count_)] = nullptr;
  if (count_ < capacity_ / 2) Reallocate(capacity_ / 2);
  // Freed after the gap is closed, so a raising destructor leaves no freed
  // pointer in the array.
  if (autoClearObjects_) FreeEntry(item);
}

void TElArray::Clear() {
  if (OnDelete.Assigned())
    for (std::int32_t i = 0; i < count_; ++i)
      if (list_[static_cast<size_t>(i)]) TriggerDeleteEvent(list_[static_cast<size_t>(i)]);
  if (autoClearObjects_)
    for (std::int32_t i = 0; i < count_; ++i) FreeEntrySwallowing(Get(i));
  SetCount(0);
  SetCapacity(0);
}

void TElArray::SetCount(std::int32_t newCount) {
  if (newCount < 0 || newCount > ElMaxListSize) ArrayError(newCount);
  if (newCount > capacity_) Reallocate(newCount);
  if (newCount > count_)
    std::fill(list_.begin() + count_, list_.begin() + newCount, nullptr);
  count_ = newCount;
}

void TElArray::SetCapacity(std::int32_t newCapacity) {
  if (newCapacity < count_ || newCapacity > ElMaxListSize) ArrayError(newCapacity);
  if (newCapacity != capacity_) Reallocate(newCapacity);
}

void TElArray::TriggerDeleteEvent(void* item) {
  if (OnDelete.Assigned()) OnDelete(this, item);
}
