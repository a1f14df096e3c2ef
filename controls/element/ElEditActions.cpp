#include "ElEditActions.hpp"

#include <memory>

void TElAction::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TElAction*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  Kind = other->Kind;
  StartPos = other->StartPos;
  EndPos = other->EndPos;
  Text = other->Text;
}

TElActionList::~TElActionList() { Clear(); }

void TElActionList::Clear() {
  while (!stack_.Empty()) static_cast<TElAction*>(stack_.Pop())->Free();
}

void TElActionList::AddAction(TElActionKind kind, TElParagraphPos startPos, const TElFString& text,
                              TElParagraphPos endPos) {
  if (lockCount_ > 0) return;
  auto action = std::make_unique<TElAction>(kind, startPos, text, endPos);
  PushAction(action.get());
  action.release();
}

void TElActionList::DropOldest(std::int32_t n) {
  for (std::int32_t i = 0; i < n; ++i) At(i)->Free();
  stack_.Shift(n);
}

void TElActionList::PushAction(TElAction* action) {
  if (maxUndo_ > 0 && stack_.Count() >= maxUndo_) DropOldest(stack_.Count() - maxUndo_ + 1);
  stack_.Push(action);
}

TElAction* TElActionList::PopAction() {
  if (stack_.Empty()) return nullptr;
  return static_cast<TElAction*>(stack_.Pop());
}

bool TElActionList::CanUndo() { return !stack_.Empty(); }

void TElActionList::SetMaxUndo(std::int32_t value) {
  if (value == maxUndo_) return;
  if (value > 0 && value < stack_.Count()) DropOldest(stack_.Count() - value);
  maxUndo_ = value;
}
