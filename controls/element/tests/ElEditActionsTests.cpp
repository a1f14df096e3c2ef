// The bounded undo list: which records a limit drops, locking, assignment.
#include <gtest/gtest.h>

#include <string>

#include "ElEditActions.hpp"

namespace {

void AddNumbered(TElActionList& list, int from, int to) {
  for (int i = from; i <= to; ++i) list.AddAction(eatInsert, {i, 0}, std::to_wstring(i), {i + 1, 0});
}

std::wstring Texts(TElActionList& list) {
  std::wstring out;
  for (int i = 0; i < list.Count(); ++i) out += list.At(i)->Text + L" ";
  return out;
}

}  // namespace

TEST(ElActionList, LimitDropsTheOldestRecords) {
  TElActionList list;
  list.SetMaxUndo(2);
  AddNumbered(list, 1, 3);
  EXPECT_EQ(Texts(list), L"2 3 ");

  TElActionList unlimited;
  AddNumbered(unlimited, 1, 30);
  EXPECT_EQ(unlimited.Count(), 30);

  TElActionList lowered;
  AddNumbered(lowered, 1, 20);
  lowered.SetMaxUndo(5);
  EXPECT_EQ(Texts(lowered), L"16 17 18 19 20 ");
  AddNumbered(lowered, 21, 21);
  EXPECT_EQ(Texts(lowered), L"17 18 19 20 21 ");
  lowered.SetMaxUndo(0);  // no limit again: nothing more is dropped
  AddNumbered(lowered, 22, 23);
  EXPECT_EQ(lowered.Count(), 7);
}

TEST(ElActionList, LockedListStoresNothingAndPopsNewestFirst) {
  TElActionList list;
  EXPECT_FALSE(list.CanUndo());
  EXPECT_EQ(list.PopAction(), nullptr);
  list.Lock();
  list.Lock();
  AddNumbered(list, 1, 1);
  list.Unlock();
  AddNumbered(list, 2, 2);
  EXPECT_EQ(list.Count(), 0);
  list.Unlock();
  list.Unlock();  // never below zero
  EXPECT_EQ(list.LockCount(), 0);
  AddNumbered(list, 3, 4);
  ASSERT_TRUE(list.CanUndo());
  TElAction* newest = list.PopAction();
  EXPECT_EQ(newest->Text, L"4");
  EXPECT_EQ(newest->StartPos, (TElParagraphPos{4, 0}));
  newest->Free();
}

TEST(ElAction, AssignCopiesRecordsOnly) {
  TElAction source(eatDeleteSelection, {1, 2}, L"text", {3, 4});
  TElAction copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.Kind, eatDeleteSelection);
  EXPECT_EQ(copy.StartPos, (TElParagraphPos{1, 2}));
  EXPECT_EQ(copy.EndPos, (TElParagraphPos{3, 4}));
  EXPECT_EQ(copy.Text, L"text");
  TElActionList notAnAction;
  EXPECT_THROW(copy.Assign(&notAnAction), EConvertError);
}
