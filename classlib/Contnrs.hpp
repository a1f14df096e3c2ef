// Lists of objects.
#pragma once

#include "Classes.hpp"

// A TList of objects that, with OwnsObjects (the default), frees an object
// when it is deleted, cleared or the list is destroyed; Extract and Remove
// of an extracted item do not free.
class TObjectList : public TList {
 public:
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override;

  int Add(TObject* object) { return TList::Add(object); }
  void Insert(int index, TObject* object) { TList::Insert(index, object); }
  int Remove(TObject* object) { return TList::Remove(object); }
  TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
  int IndexOf(TObject* object) const { return TList::IndexOf(object); }
  TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
  // Frees the replaced object when owning (through Notify).
  void SetItems(int index, TObject* object) { TList::SetItems(index, object); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }

  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool ownsObjects_;
};
