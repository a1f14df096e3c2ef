// The tree's invariants, checked from scratch: the answer names the first
// rule that does not hold.
#include <set>
#include <utility>
#include <vector>

#include "ElTree.hpp"

namespace {

std::string Describe(TElTreeItem* item) {
  if (!item) return "nil";
  return "item \"" + WideToAnsi(item->HasStaticData() ? item->Text() : TElFString()) + "\" at " +
         std::to_string(item->AbsoluteIndex());
}

}  // namespace

std::string TElTreeInvariants::Check(TCustomElTree* tree) {
  if (!tree || !tree->FItems || !tree->FView) return "the tree has no items or no view";
  TElTreeItems* items = tree->FItems;
  TElTreeItem* root = items->FRoot;
  TElList* all = tree->FAllItems.get();
  if (tree->FUpdateCount < 0) return "the update counter is below zero";
  if (!root || root->FRoot != root || root->FParent || root->FList != items) return "the hidden root is not linked as the root";
  if (!(root->FState & kStateExpanded)) return "the hidden root is not expanded";

  // The children lists walked depth first must give FAllItems, entry by
  // entry, with every link in place.
  std::vector<std::pair<TElTreeItem*, int>> stack{{root, 0}};
  std::vector<int> descendantsOf;  // recounted on the way back up
  std::vector<int> runStart{-1};
  int pos = 0;
  int multiLine = 0, hidden = 0;
  std::set<TElTreeItem*> seen;
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (node->FChildren && node->FChildren->Count() == 0) return Describe(node) + " keeps an empty children list";
    if (next >= node->ChildrenCount()) {
      const int count = pos - runStart.back() - 1;
      if (node->FDescendants != count)
        return Describe(node) + " counts " + std::to_string(node->FDescendants) + " descendants, has " +
               std::to_string(count);
      stack.pop_back();
      runStart.pop_back();
      continue;
    }
    TElTreeItem* child = node->GetChild(next++);
    if (pos >= all->Count()) return "FAllItems is shorter than the children lists";
    if (all->FastGet(pos) != child) return "FAllItems differs from the depth-first walk at " + std::to_string(pos);
    if (!seen.insert(child).second) return Describe(child) + " occurs twice";
    if (child->FParent != node) return Describe(child) + " names another parent";
    if (child->FRoot != root || child->FList != items || child->FOwner != tree) return Describe(child) + " names another tree";
    if ((child->FStaticData != nullptr) != (tree->FVirtualityLevel == vlNone))
      return Describe(child) + " keeps its texts against the tree's virtuality";
    multiLine += child->MultiLineContribution();
    hidden += child->HiddenContribution();
    if (child->Deleting()) return Describe(child) + " is still marked as being deleted";
    runStart.push_back(pos);
    ++pos;
    stack.emplace_back(child, 0);
  }
  if (pos != all->Count()) return "FAllItems is longer than the children lists";

  // Derived state, counters and the selection.
  std::set<TElTreeItem*> selectedBits;
  int focusedBits = 0;
  TElTreeItem probe(nullptr);
  for (int i = 0; i < all->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(all->FastGet(i));
    probe.SetStateWord(item->FState);
    if (probe.FDerivedState != item->FDerivedState) return Describe(item) + " has a derived state out of step";
    if (item->FState & kStateSelected) selectedBits.insert(item);
    if (item->FState & kStateFocused) ++focusedBits;
  }
  if (multiLine != tree->FMultiLineCount)
    return "the variable-height count is " + std::to_string(tree->FMultiLineCount) + ", a recount gives " +
           std::to_string(multiLine);
  if (hidden != tree->FHiddenCount)
    return "the hidden count is " + std::to_string(tree->FHiddenCount) + ", a recount gives " + std::to_string(hidden);
  if (!tree->IsUpdating() && tree->FVisibleCount != tree->CountVisibleRows())
    return "the visible count is " + std::to_string(tree->FVisibleCount) + ", a recount gives " +
           std::to_string(tree->CountVisibleRows());

  if (tree->FMultiSelect) {
    if (!tree->FSelectedItems) return "a multi-select tree has no selection list";
    std::set<TElTreeItem*> listed;
    for (int i = 0; i < tree->FSelectedItems->Count(); ++i) {
      auto* item = static_cast<TElTreeItem*>(tree->FSelectedItems->Get(i));
      if (!listed.insert(item).second) return Describe(item) + " is listed as selected twice";
      if (!seen.count(item)) return "the selection list holds an item that is not in the tree";
    }
    if (listed != selectedBits) return "the selection list and the selected bits differ";
  }

  TElTreeView* view = tree->FView;
  TElTreeItem* focused = view->FFocused;
  if (focused && !seen.count(focused)) return "the focused item is not in the tree";
  if (focusedBits != (focused ? 1 : 0) || (focused && !(focused->FState & kStateFocused)))
    return "the focused bits do not match the focused item";
  TElTreeItem* refs[] = {view->FSelected,       view->FTrackItem,      view->FDropTrg,         view->FHintItem,
                         view->FShowHintItem,   view->FPendingItem,    view->FLastClickedItem, view->FFrameStartItem,
                         view->FFrameEndItem,   view->FEditingItem,    view->FEditPendingItem, view->FTopItem,
                         tree->FDelayedItem};
  for (TElTreeItem* ref : refs)
    if (ref && !seen.count(ref)) return "the view refers to an item that is not in the tree";
  for (int i = 0; i < view->FVisibleRows->Count(); ++i)
    if (!seen.count(static_cast<TElTreeItem*>(view->FVisibleRows->Get(i))))
      return "a row on screen is not an item of the tree";
  return std::string();
}
