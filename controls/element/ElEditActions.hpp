// The UTF-16 edit's undo records: one TElAction per edit, kept on a bounded
// stack (TElActionList) whose oldest records are dropped when it is full.
#pragma once

#include <cstdint>

#include "Classes.hpp"
#include "ElEditStrings.hpp"
#include "ElList.hpp"
#include "ElStrUtils.hpp"
#include "System.hpp"

// What a record undoes. 3 and 4 are unused; eatSetText is the record of a
// whole-text replacement, which the other kinds cannot express in one step.
enum TElActionKind : Byte {
  eatInsert = 0,
  eatDelete = 1,
  eatExtraBreak = 2,
  eatBackspace = 5,
  eatDeleteSelection = 6,
  eatSetText = 7,
};

class TElAction : public TPersistent {
 public:
  TElAction() = default;
  TElAction(TElActionKind kind, TElParagraphPos startPos, const TElFString& text, TElParagraphPos endPos)
      : Kind(kind), StartPos(startPos), EndPos(endPos), Text(text) {}

  void Assign(TPersistent* source) override;

  TElActionKind Kind = eatInsert;
  TElParagraphPos StartPos;
  TElParagraphPos EndPos;
  TElFString Text;
};

class TElActionList : public TPersistent {
 public:
  TElActionList() = default;
  ~TElActionList() override;

  // Stores a new record unless the list is locked.
  void AddAction(TElActionKind kind, TElParagraphPos startPos, const TElFString& text,
                 TElParagraphPos endPos);
  // Takes ownership; drops the oldest record first when the list is full.
  void PushAction(TElAction* action);
  // The newest record, now owned by the caller; nil when the list is empty.
  TElAction* PopAction();
  // Frees every record.
  void Clear();

  virtual bool CanUndo();
  virtual void SetMaxUndo(std::int32_t value);
  std::int32_t MaxUndo() const { return maxUndo_; }

  void Lock() { ++lockCount_; }
  void Unlock() {
    if (lockCount_ > 0) --lockCount_;
  }
  std::int32_t LockCount() const { return lockCount_; }

  std::int32_t Count() const { return stack_.Count(); }
  // Record Index from the oldest (0) to the newest (Count - 1).
  TElAction* At(std::int32_t index) const { return static_cast<TElAction*>(stack_.FastGet(index)); }

 private:
  void DropOldest(std::int32_t n);

  TElStack stack_;
  std::int32_t maxUndo_ = 0;
  std::int32_t lockCount_ = 0;
};
