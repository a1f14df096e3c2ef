// The selection decisions of presses and releases without a window: runs of
// presses (with Shift and Ctrl, on no row, deferred to the release) read back
// as the selection, the focus and the anchor, under each setting that
// changes them.
#include <sstream>

#include "TreeModelSupport.hpp"

namespace {

// Runs a gesture script against the view: steps separated by ";", each
// "press NAME", "press+shift NAME", "press+ctrl NAME", "rpress NAME" (a right
// press), "release", "indent NAME" (a press beside the row's parts), with "-"
// for no row. Answers "selected / focus / anchor" in tree order.
std::string Gesture(TCustomElTree* tree, const std::string& script) {
  TElTreeView* view = tree->View();
  std::stringstream steps(script);
  std::string step;
  while (std::getline(steps, step, ';')) {
    std::stringstream words(step);
    std::string verb, name;
    words >> verb >> name;
    TElTreeItem* item = name == "-" || name.empty() ? nullptr : Named(tree->Items(), name);
    TShiftState shift;
    if (verb.find("+shift") != std::string::npos) shift.Include(ssShift);
    if (verb.find("+ctrl") != std::string::npos) shift.Include(ssCtrl);
    if (verb.rfind("press", 0) == 0) view->PressSelect(item, HitText, shift);
    else if (verb == "rpress") view->RightPressSelect(item, HitText, shift);
    else if (verb == "indent") view->PressSelect(item, HitIndent, shift);
    else if (verb == "release" && view->PendingSelect()) view->ApplyPendingSelection();
  }
  std::string selected;
  for (int i = 0; i < tree->Items()->Count(); ++i)
    if (TElTreeItem* item = tree->Items()->GetItem(i); item->Selected())
      selected += (selected.empty() ? "" : " ") + TEventLog::Name(item);
  return selected + " / " + TEventLog::Name(tree->GetFocusedItem()) + " / " + TEventLog::Name(view->SelectedItem());
}

// No selection, focus or anchor.
void Fresh(TCustomElTree* tree) {
  tree->DeselectAllEx(true);
  tree->SetFocusedItem(nullptr);
  tree->SetSelectionAnchor(nullptr);
}

struct TCase {
  const char* script;
  const char* expected;
};

TEST_F(TreeModelTest, PressesDecideTheMultipleSelection) {
  BuildShape(items, nullptr, "a b c d e");
  const TCase cases[] = {
      {"press b", "b / b / b"},
      {"press b; press+shift d", "b c d / d / b"},
      {"press b; press+shift d; press+shift a", "a b / a / b"},
      {"press b; press+ctrl d", "b d / d / b"},
      // Ctrl on a selected item that is not focused takes it out.
      {"press b; press+ctrl d; press+ctrl b", "d / b / nil"},
      // Ctrl on the only selected item keeps it.
      {"press b; press+ctrl b", "b / b / b"},
      // A press on a selected item keeps the selection until the release.
      {"press b; press+shift d; press c", "b c d / c / b"},
      {"press b; press+shift d; press c; release", "c / c / c"},
      // Beside the parts of a row nothing happens without RowSelect.
      {"press b; indent d", "b / b / b"},
      // A press on no row clears the focus; the selection stays.
      {"press b; press -", "b / nil / b"},
      // A right press on a selected item focuses it and keeps them all.
      {"press b; press+shift d; rpress c", "b c d / c / b"},
      // ... on another one with several selected changes nothing.
      {"press b; press+shift d; rpress a", "b c d / d / b"},
      // ... with one selected it selects as a press does.
      {"press b; rpress d", "d / d / d"},
  };
  tree->SetRowSelect(false);
  for (const TCase& c : cases) {
    Fresh(tree);
    EXPECT_EQ(Gesture(tree, c.script), c.expected) << c.script;
  }
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, PressSettingsChangeTheDecisions) {
  BuildShape(items, nullptr, "a(a1 a2) b c d");
  // Without AlwaysKeepSelection a press on no row clears the selection, and
  // Ctrl on the only selected item still leaves it selected.
  Fresh(tree);
  tree->SetAlwaysKeepSelection(false);
  EXPECT_EQ(Gesture(tree, "press b; press -"), " / nil / nil");
  Fresh(tree);
  EXPECT_EQ(Gesture(tree, "press b; press+ctrl b"), "b / b / nil");
  tree->SetAlwaysKeepSelection(true);
  // A range skips disabled items.
  Fresh(tree);
  N("b")->SetEnabled(false);
  EXPECT_EQ(Gesture(tree, "press a2; press+shift d"), "a2 c d / d / a2");
  N("b")->SetEnabled(true);
  // smSimple toggles without clearing; a press on a selected item that is
  // not focused takes it out.
  Fresh(tree);
  tree->SetSelectionMode(smSimple);
  EXPECT_EQ(Gesture(tree, "press b; press d"), "b d / d / d");
  EXPECT_EQ(Gesture(tree, "press b; release"), "d / b / b");
  tree->SetSelectionMode(smUsual);
  // MultiSelectLevel: an item of another level starts the selection afresh.
  Fresh(tree);
  N("a")->SetExpanded(true);
  tree->SetMultiSelectLevel(0);
  EXPECT_EQ(Gesture(tree, "press a; press+ctrl c"), "a c / c / a");
  EXPECT_EQ(Gesture(tree, "press+ctrl a1"), "a1 / a1 / nil");
  tree->SetMultiSelectLevel(-1);
  // Single selection follows each press; modifiers change nothing.
  Fresh(tree);
  tree->SetMultiSelect(false);
  EXPECT_EQ(Gesture(tree, "press b; press+shift d"), "d / d / d");
  EXPECT_EQ(Gesture(tree, "press+ctrl d"), "d / d / d");
  EXPECT_TREE_CONSISTENT(tree);
}

}  // namespace
