// The start of an in-place edit without a window: the editor a handler
// brings, the cell it is given, the accepted value landing in the item or
// its column texts, and items deleted before the request's tick or during
// the edit.
#include "ElTreeInplace.hpp"
#include "ExtCtrls.hpp"
#include "Forms.hpp"
#include "TreeModelSupport.hpp"

namespace {

class TEditor : public TElTreeInplaceEditor {
 public:
  explicit TEditor(TComponent* owner) : TElTreeInplaceEditor(owner) {}
  bool GetVisible() override { return Editing(); }
  void DoStartOperation() override { ++starts; }
  void Needed(TObject*, TElTreeItem*, int, TElFieldType, TElTreeInplaceEditor*& editor) { editor = this; }
  void TryEdit(TObject*, TElTreeItem*, int, TElFieldType&, bool& canEdit) { canEdit = allowed; }
  void Raised(TObject*, Exception* e) { raised += e->Message(); }
  // Accepts (or drops) the value as a user ending the edit would.
  void Finish(const wchar_t* value, bool accepted = true) {
    SetValueAsText(value);
    CompleteOperation(accepted);
  }
  int starts = 0;
  bool allowed = true;
  std::string raised;
};

class TreeEditStart : public TreeModelTest {
 protected:
  void SetUp() override {
    TreeModelTest::SetUp();
    tree->SetLineHeightRaw(20);
    tree->View()->SetBounds(0, 0, 200, 100);
    BuildShape(items, nullptr, "a b c");
    editor = new TEditor(tree);
    tree->OnInplaceEditorNeeded = TInplaceEditorNeededEvent(editor, &TEditor::Needed);
    tree->OnTryEdit = TTryEditEvent(editor, &TEditor::TryEdit);
  }
  TEditor* editor = nullptr;
};

TEST_F(TreeEditStart, TheEditorGetsItsCellAndAnAcceptedValueBecomesTheText) {
  TElTreeView* view = tree->View();
  N("b")->SetTextSpan(40, 60);
  tree->EditItem(N("b"), 5);
  ASSERT_TRUE(editor->Editing());
  EXPECT_EQ(view->ActiveEditor(), editor);
  EXPECT_EQ(view->EditedItem(), N("b"));
  EXPECT_EQ(editor->SectionIndex(), -1);
  EXPECT_EQ(editor->ValueAsText(), L"b");
  // The row, from the text to the view's right edge.
  const TRect r = editor->EditorRect();
  EXPECT_TRUE(r.top == 20 && r.bottom == 40 && r.left == 40 && r.right == 199);
  editor->Finish(L"bee");
  EXPECT_EQ(items->GetItem(1)->Text(), L"bee");
  EXPECT_EQ(view->ActiveEditor(), nullptr);
  EXPECT_EQ(editor->Item(), nullptr);

  // A refused edit starts nothing; a nil item raises.
  editor->allowed = false;
  tree->EditItem(N("a"), -1);
  EXPECT_EQ(editor->starts, 1);
  EXPECT_EQ(view->EditedItem(), nullptr);
  EXPECT_THROW(view->EditItem(nullptr, -1), EElTreeError);
}

TEST_F(TreeEditStart, AnItemDeletedBeforeTheTickOrDuringTheEditIsNeverReached) {
  TElTreeView* view = tree->View();
  // What a tick raises would reach the application's handler.
  Application->OnException = TExceptionEvent(editor, &TEditor::Raised);
  tree->SetInplaceEditorDelay(20);
  view->RequestEdit(N("c"), -1, false);
  N("c")->Delete();
  EXPECT_EQ(view->EditPendingItem(), nullptr);
  const DWORD start = GetTickCount();
  while (view->EditTimer()->Enabled() && GetTickCount() - start < 3000) {
    Application->ProcessMessages();
    Sleep(5);
  }
  Application->OnException = TExceptionEvent();
  EXPECT_FALSE(view->EditTimer()->Enabled());
  EXPECT_EQ(editor->raised, "");
  EXPECT_EQ(editor->starts, 0);

  // A running edit ends first; the edited item's deletion cancels it.
  tree->EditItem(N("a"), -1);
  tree->EditItem(N("b"), -1);
  EXPECT_EQ(editor->starts, 2);
  EXPECT_EQ(editor->Item(), N("b"));
  editor->SetValueAsText(L"changed");
  N("b")->Delete();
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(view->ActiveEditor(), nullptr);
  EXPECT_EQ(N("changed"), nullptr);
  EXPECT_TREE_CONSISTENT(tree);
}

TEST_F(TreeEditStart, ColumnEditsFollowTheClickedColumnAndPadTheColumnTexts) {
  TElHeaderSections* sections = tree->Header()->Sections();
  for (int i = 0; i < 3; ++i) sections->AddSection()->SetWidth(60);
  (*sections)[1]->SetEditable(true);
  tree->SetShowColumnsRaw(true);
  TElTreeView* view = tree->View();
  // Not the clicked column without quick editing, or not editable: nothing.
  view->RequestEdit(N("a"), 1, false);
  tree->SetQuickEditMode(true);
  view->RequestEdit(N("a"), 2, false);
  EXPECT_EQ(view->EditPendingItem(), nullptr);
  view->RequestEdit(N("a"), 1, true);
  EXPECT_EQ(view->EditPendingItem(), N("a"));

  tree->EditItem(N("a"), 1);
  ASSERT_TRUE(editor->Editing());
  EXPECT_EQ(editor->EditorRect().left, 60);
  EXPECT_EQ(editor->EditorRect().right, 120);
  editor->Finish(L"x");
  ASSERT_EQ(N("a")->ColumnText()->GetCount(), 1);
  EXPECT_EQ(N("a")->ColumnText()->Get(0), L"x");
  // A column further right pads the texts before it.
  (*sections)[2]->SetEditable(true);
  tree->EditItem(N("b"), 2);
  editor->Finish(L"far");
  TElWideStrings* texts = N("b")->ColumnText();
  ASSERT_EQ(texts->GetCount(), 2);
  EXPECT_TRUE(texts->Get(0).empty() && texts->Get(1) == L"far" && N("b")->Text() == L"b");
}

}  // namespace
