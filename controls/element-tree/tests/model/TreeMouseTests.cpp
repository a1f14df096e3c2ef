// The selection decisions of presses and releases without a window: runs of
// presses (with Shift and Ctrl, on no row, deferred to the release) read back
// as the selection, the focus and the anchor; check boxes; items deleted by
// handlers in the middle of a gesture.
#include <cstring>
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

struct TCase {
  const char* script;
  const char* expected;
};

TEST_F(TreeModelTest, PressesDecideTheMultipleSelection) {
  BuildShape(items, nullptr, "a b c d e");
  const TCase cases[] = {
      {"press b", "b / b / b"},
      {"press b; press+shift d", "b c d / d / b"},
      {"press d; press+shift b", "b c d / b / d"},
      {"press b; press+shift d; press+shift a", "a b / a / b"},
      {"press b; press+ctrl d", "b d / d / b"},
      // Ctrl on a selected item that is not focused takes it out.
      {"press b; press+ctrl d; press+ctrl b", "d / b / nil"},
      // Ctrl on the only selected item keeps it.
      {"press b; press+ctrl b", "b / b / b"},
      // A press on a selected item keeps the selection until the release.
      {"press b; press+shift d; press c", "b c d / c / b"},
      {"press b; press+shift d; press c; release", "c / c / c"},
      {"press b; press+shift d; press+shift c; release", "b c / c / b"},
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
    tree->DeselectAllEx(true);
    tree->SetFocusedItem(nullptr);
    tree->SetSelectionAnchor(nullptr);
    EXPECT_EQ(Gesture(tree, c.script), c.expected) << c.script;
  }
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, PressSettingsChangeTheDecisions) {
  BuildShape(items, nullptr, "a(a1 a2) b c d");
  auto fresh = [&] {
    tree->DeselectAllEx(true);
    tree->SetFocusedItem(nullptr);
    tree->SetSelectionAnchor(nullptr);
  };
  // RowSelect: a press beside the parts selects the row.
  tree->SetRowSelect(true);
  EXPECT_EQ(Gesture(tree, "indent b"), "b / b / b");
  // Without AlwaysKeepSelection a press on no row clears the selection, and
  // Ctrl on the only selected item still leaves it selected.
  fresh();
  tree->SetAlwaysKeepSelection(false);
  EXPECT_EQ(Gesture(tree, "press b; press -"), " / nil / nil");
  fresh();
  EXPECT_EQ(Gesture(tree, "press b; press+ctrl b"), "b / b / nil");
  tree->SetAlwaysKeepSelection(true);
  // A range skips disabled items.
  fresh();
  N("b")->SetEnabled(false);
  EXPECT_EQ(Gesture(tree, "press a2; press+shift d"), "a2 c d / d / a2");
  N("b")->SetEnabled(true);
  // smSimple toggles without clearing; a press on a selected item that is
  // not focused takes it out.
  fresh();
  tree->SetSelectionMode(smSimple);
  EXPECT_EQ(Gesture(tree, "press b; press d"), "b d / d / d");
  EXPECT_EQ(Gesture(tree, "press b; release"), "d / b / b");
  tree->SetSelectionMode(smUsual);
  // MultiSelectLevel: an item of another level starts the selection afresh.
  fresh();
  N("a")->SetExpanded(true);
  tree->SetMultiSelectLevel(0);
  EXPECT_EQ(Gesture(tree, "press a; press+ctrl c"), "a c / c / a");
  EXPECT_EQ(Gesture(tree, "press+ctrl a1"), "a1 / a1 / nil");
  tree->SetMultiSelectLevel(-1);
  // Single selection follows each press; modifiers change nothing.
  fresh();
  tree->SetMultiSelect(false);
  EXPECT_EQ(Gesture(tree, "press b; press+shift d"), "d / d / d");
  EXPECT_EQ(Gesture(tree, "press+ctrl d"), "d / d / d");
  EXPECT_EQ(Gesture(tree, "rpress c"), "c / c / c");
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeModelTest, APressReportsTheSelectionChangeOnce) {
  BuildShape(items, nullptr, "a b c");
  int changes = 0;
  struct TCounter : TObject {
    int* count;
    void Changed(TObject*) { ++*count; }
  } counter;
  counter.count = &changes;
  tree->OnAfterSelectionChange = TNotifyEvent(&counter, &TCounter::Changed);
  Gesture(tree, "press a; press+shift c");
  EXPECT_EQ(changes, 2);
  // The deferred decision reports at the release.
  Gesture(tree, "press b");
  EXPECT_EQ(changes, 2);
  Gesture(tree, "release");
  EXPECT_EQ(changes, 3);
  // Moving only the focus is no selection change.
  Gesture(tree, "press -");
  EXPECT_EQ(changes, 3);
}

TEST_F(TreeModelTest, CheckBoxClicksCycleByType) {
  BuildShape(items, nullptr, "a b r1 r2");
  N("a")->SetCheckBoxType(ect3SCheckBox);
  N("a")->SetCheckBoxState(ecbChecked);
  N("r1")->SetCheckBoxType(ectRadioButton);
  N("r2")->SetCheckBoxType(ectRadioButton);
  N("r2")->SetChecked(true);
  log.lines.clear();
  std::string states;
  for (int i = 0; i < 3; ++i) {
    tree->View()->ClickCheckBox(N("a"));
    states += std::to_string(N("a")->CheckBoxState());
  }
  EXPECT_EQ(states, "021");  // checked -> unchecked -> grayed -> checked
  tree->View()->ClickCheckBox(N("b"));
  tree->View()->ClickCheckBox(N("b"));
  EXPECT_FALSE(N("b")->Checked());
  tree->View()->ClickCheckBox(N("r1"));
  tree->View()->ClickCheckBox(N("r1"));
  EXPECT_TRUE(N("r1")->Checked());
  EXPECT_FALSE(N("r2")->Checked());
  EXPECT_EQ(log.Joined().find("change a 2; change a 2; change a 2; change b 2"), 0u) << log.Joined();
}

// Items whose memory is filled with garbage and kept when they are freed, so
// that a read of a deleted item follows garbage pointers at once.
class TPoisonedItem : public TElTreeItem {
 public:
  explicit TPoisonedItem(TCustomElTree* owner) : TElTreeItem(owner) {}
  static void operator delete(void* p, std::size_t size) { std::memset(p, 0xDD, size); }
};

// Deletes an item from inside a tree event.
struct TDeleter : TObject {
  TElTreeItem* victim = nullptr;
  void Go() {
    if (TElTreeItem* item = victim) {
      victim = nullptr;
      item->Delete();
    }
  }
  void Focused(TObject*) { Go(); }
  void SelectedChange(TObject*, TElTreeItem*) { Go(); }
  void Checked(TObject*, TElTreeItem*) { Go(); }
};

TEST_F(TreeModelTest, HandlersDeleteTheItemInTheMiddleOfAGesture) {
  items->SetItemClass(&CreateElTreeItem<TPoisonedItem>);
  BuildShape(items, nullptr, "a b c d e f");
  TDeleter deleter;
  TElTreeView* view = tree->View();

  // Focusing the pressed item deletes it.
  tree->OnItemFocused = TNotifyEvent(&deleter, &TDeleter::Focused);
  deleter.victim = N("b");
  Gesture(tree, "press b");
  EXPECT_EQ(N("b"), nullptr);
  // The deferred item goes while the button is down.
  tree->OnItemFocused = TNotifyEvent();
  Gesture(tree, "press c; press+shift e; press d");
  ASSERT_TRUE(view->PendingSelect());
  N("d")->Delete();
  EXPECT_EQ(view->PendingItem(), nullptr);
  EXPECT_EQ(Gesture(tree, "release"), "c e / e / c");
  // The focused item goes while the selection is cleared for a range,
  // after the anchor's turn and before its own.
  tree->OnItemSelectedChange = TItemSelChangeEvent(&deleter, &TDeleter::SelectedChange);
  deleter.victim = N("e");
  Gesture(tree, "press+shift f");
  EXPECT_EQ(N("e"), nullptr);
  int selected = 0;
  for (int i = 0; i < items->Count(); ++i) selected += items->GetItem(i)->Selected() ? 1 : 0;
  EXPECT_EQ(tree->SelectedCount(), selected);
  // A check box handler deletes its item before the change report.
  tree->OnItemSelectedChange = TItemSelChangeEvent();
  tree->OnItemChecked = TOnItemCheckedEvent(&deleter, &TDeleter::Checked);
  deleter.victim = N("a");
  view->ClickCheckBox(N("a"));
  EXPECT_EQ(N("a"), nullptr);
  EXPECT_EQ(Shape(), "c f");
  EXPECT_TREE_CONSISTENT(tree);
}

}  // namespace
