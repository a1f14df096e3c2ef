#include "Contnrs.hpp"

TObjectList::~TObjectList() {
  // The base destructor's Clear no longer reaches this class's Notify.
  Clear();
}

void TObjectList::Notify(void* item, TListNotification action) {
  if (ownsObjects_ && action == lnDeleted && item) static_cast<TObject*>(item)->Free();
  TList::Notify(item, action);
}
