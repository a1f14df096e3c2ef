// The folder-tree kit's settings object: optional hooks its users may give
// to see every folder item made and every level filled.
#pragma once

#include "Classes.hpp"
#include "ElTree.hpp"

// Called with (parent kind, item) for each folder item made or found again.
using TFolderItemHook = TEvent<int, TElTreeItem*>;
// Called with (item, kind) after an item's level was filled.
using TFolderFillHook = TEvent<TElTreeItem*, int>;

class TCustomizeFunctions : public TComponent {
 public:
  explicit TCustomizeFunctions(TComponent* owner) : TComponent(owner) {}
  TFolderItemHook ItemHook;
  TFolderFillHook FillHook;
};

// The global settings, made on first use and freed at shut-down.
TCustomizeFunctions* GetCustomizeFunctions();
void FreeCustomizeFunctions();
