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
// for no row; or a setting: "rowselect", "nokeep" (AlwaysKeepSelection off),
// "simple" (smSimple), "level0" (MultiSelectLevel 0), "single", "off NAME"
// (disabled). Answers "selected / focus / anchor" in tree order.
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
    else if (verb == "rowselect") tree->SetRowSelect(true);
    else if (verb == "nokeep") tree->SetAlwaysKeepSelection(false);
    else if (verb == "simple") tree->SetSelectionMode(smSimple);
    else if (verb == "level0") tree->SetMultiSelectLevel(0);
    else if (verb == "single") tree->SetMultiSelect(false);
    else if (verb == "off") item->SetEnabled(false);
  }
  std::string selected;
  for (int i = 0; i < tree->Items()->Count(); ++i)
    if (TElTreeItem* item = tree->Items()->GetItem(i); item->Selected())
      selected += (selected.empty() ? "" : " ") + TEventLog::Name(item);
  return selected + " / " + TEventLog::Name(tree->GetFocusedItem()) + " / " + TEventLog::Name(view->SelectedItem());
}

TEST_F(TreeModelTest, PressesDecideTheSelection) {
  BuildShape(items, nullptr, "a(a1 a2) b c d e");
  const std::pair<const char*, const char*> cases[] = {
      {"press b", "b / b / b"},
      {"press b; press+shift d", "b c d / d / b"},
      {"press b; press+shift d; press+shift a", "a a1 a2 b / a / b"},
      {"press b; press+ctrl d", "b d / d / b"},
      // Ctrl on a selected item that is not focused takes it out.
      {"press b; press+ctrl d; press+ctrl b", "d / b / nil"},
      // Ctrl on the only selected item keeps it.
      {"press b; press+ctrl b", "b / b / b"},
      {"nokeep; press b; press+ctrl b", "b / b / nil"},
      // A press on a selected item keeps the selection until the release.
      {"press b; press+shift d; press c", "b c d / c / b"},
      {"press b; press+shift d; press c; release", "c / c / c"},
      // Beside the parts of a row only RowSelect selects.
      {"press b; indent d", "b / b / b"},
      {"rowselect; indent b", "b / b / b"},
      // A press on no row clears the focus; the selection stays unless
      // AlwaysKeepSelection is off.
      {"press b; press -", "b / nil / b"},
      {"nokeep; press b; press -", " / nil / nil"},
      // A range skips disabled items.
      {"off c; press b; press+shift e", "b d e / e / b"},
      // A right press on a selected item focuses it and keeps them all.
      {"press b; press+shift d; rpress c", "b c d / c / b"},
      // ... on another one with several selected changes nothing.
      {"press b; press+shift d; rpress a", "b c d / d / b"},
      // ... with one selected it selects as a press does.
      {"press b; rpress d", "d / d / d"},
      // smSimple toggles without clearing; a press on a selected item that
      // is not focused takes it out.
      {"simple; press b; press d", "b d / d / d"},
      {"simple; press b; press d; press b; release", "d / b / b"},
      // MultiSelectLevel: an item of another level starts afresh.
      {"level0; press a; press+ctrl c", "a c / c / a"},
      {"level0; press a; press+ctrl c; press+ctrl a1", "a1 / a1 / nil"},
      // Single selection follows each press; modifiers change nothing.
      {"single; press b; press+shift d", "d / d / d"},
      {"single; press d; press+ctrl d", "d / d / d"},
  };
  for (const auto& [script, expected] : cases) {
    tree->SetMultiSelect(true);
    tree->SetRowSelect(false);
    tree->SetAlwaysKeepSelection(true);
    tree->SetSelectionMode(smUsual);
    tree->SetMultiSelectLevel(-1);
    for (int i = 0; i < items->Count(); ++i) items->GetItem(i)->SetEnabled(true);
    tree->DeselectAllEx(true);
    tree->SetFocusedItem(nullptr);
    tree->SetSelectionAnchor(nullptr);
    EXPECT_EQ(Gesture(tree, script), expected) << script;
  }
  EXPECT_TREE_CONSISTENT(tree);
}

}  // namespace
