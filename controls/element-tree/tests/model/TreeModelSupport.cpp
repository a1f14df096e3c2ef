#include "TreeModelSupport.hpp"

#include <cctype>

namespace {

// Reads one level of the notation from `pos`, adding the items under
// `parent`; stops at the closing bracket of that level.
void BuildLevel(TElTreeItems* items, TElTreeItem* parent, const std::string& shape, size_t& pos) {
  TElTreeItem* last = nullptr;
  while (pos < shape.size()) {
    const char c = shape[pos];
    if (c == ' ') {
      ++pos;
    } else if (c == '(') {
      ++pos;
      BuildLevel(items, last, shape, pos);
    } else if (c == ')') {
      ++pos;
      return;
    } else {
      size_t end = pos;
      while (end < shape.size() && shape[end] != ' ' && shape[end] != '(' && shape[end] != ')') ++end;
      last = items->AddLastChild(parent, AnsiToWide(shape.substr(pos, end - pos)));
      pos = end;
    }
  }
}

void ShapeLevel(TElTreeItem* item, bool withState, std::string& out) {
  for (int i = 0; i < item->ChildrenCount(); ++i) {
    TElTreeItem* child = item->GetChild(i);
    if (i > 0) out += ' ';
    out += WideToAnsi(child->Text());
    if (withState && child->Expanded()) out += '+';
    if (child->HasChildren()) {
      out += '(';
      ShapeLevel(child, withState, out);
      out += ')';
    }
  }
}

void NaiveWalk(TCustomElTree* tree, TElTreeItem* item, std::vector<TElTreeItem*>& rows) {
  for (int i = 0; i < item->ChildrenCount(); ++i) {
    TElTreeItem* child = item->GetChild(i);
    if (tree->FilteredVisibility() && child->Hidden()) continue;
    rows.push_back(child);
    if (child->Expanded()) NaiveWalk(tree, child, rows);
  }
}

}  // namespace

void BuildShape(TElTreeItems* items, TElTreeItem* parent, const std::string& shape) {
  size_t pos = 0;
  BuildLevel(items, parent, shape, pos);
}

std::string ShapeOf(TElTreeItem* root, bool withState) {
  std::string out;
  ShapeLevel(root, withState, out);
  return out;
}

TElTreeItem* Named(TElTreeItems* items, const std::string& name) {
  return items->FindItem(nullptr, AnsiToWide(name), nullptr, -1, false, true, false, false, false);
}

std::vector<TElTreeItem*> NaiveVisibleRows(TCustomElTree* tree) {
  std::vector<TElTreeItem*> rows;
  NaiveWalk(tree, tree->Items()->Root(), rows);
  return rows;
}
