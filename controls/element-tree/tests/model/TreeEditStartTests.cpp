// The start of an in-place edit without a window: the request and its
// timer, the editor a handler brings, the cell it is given, the accepted
// value landing in the item, and requests whose item went before the tick.
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
  int starts = 0;
};

class TreeEditStart : public TreeModelTest {
 protected:
  void SetUp() override {
    TreeModelTest::SetUp();
    tree->SetLineHeightRaw(20);
    tree->View()->SetBounds(0, 0, 200, 100);
    BuildShape(items, nullptr, "a b c");
    editor = new TEditor(tree);
    tree->OnInplaceEditorNeeded = TInplaceEditorNeededEvent(this, &TreeEditStart::Needed);
    tree->OnTryEdit = TTryEditEvent(this, &TreeEditStart::TryEdit);
    tree->SetInplaceEditorDelay(30);
  }
  void Needed(TObject*, TElTreeItem* item, int section, TElFieldType, TElTreeInplaceEditor*& chosen) {
    asked += TEventLog::Name(item) + " " + std::to_string(section) + "; ";
    chosen = editor;
  }
  void TryEdit(TObject*, TElTreeItem*, int, TElFieldType&, bool& canEdit) { canEdit = allowEdit; }
  // Serves the queue until the edit timer has ticked (or was never made).
  bool TimerDone() {
    const DWORD start = GetTickCount();
    for (;;) {
      TTimer* timer = tree->View()->EditTimer();
      if (!timer || !timer->Enabled()) return true;
      if (GetTickCount() - start > 3000) return false;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  // Three columns, the main one first; the last cannot be edited.
  void Columns() {
    TElHeaderSections* sections = tree->Header()->Sections();
    for (int i = 0; i < 3; ++i) {
      sections->AddSection()->SetWidth(60);
      (*sections)[i]->SetEditable(i < 2);
    }
    tree->SetShowColumnsRaw(true);
  }

 public:
  void Raised(TObject*, Exception* e) { raised += e->Message(); }

  TEditor* editor = nullptr;
  std::string raised;
  std::string asked;
  bool allowEdit = true;
};

TEST_F(TreeEditStart, ARequestStartsTheEditorAfterTheDelayAndAnAcceptedValueIsTheText) {
  TElTreeView* view = tree->View();
  N("b")->SetTextSpan(40, 60);
  view->RequestEdit(N("b"), 5, false);
  EXPECT_EQ(view->EditPendingItem(), N("b"));
  EXPECT_EQ(view->EditTimer()->Interval(), 30u);
  EXPECT_EQ(editor->starts, 0);
  ASSERT_TRUE(TimerDone());
  EXPECT_EQ(asked, "b -1; ");
  ASSERT_TRUE(editor->Editing());
  EXPECT_EQ(view->ActiveEditor(), editor);
  EXPECT_EQ(view->EditedItem(), N("b"));
  EXPECT_EQ(editor->Item(), N("b"));
  EXPECT_EQ(editor->SectionIndex(), -1);
  EXPECT_EQ(editor->ValueAsText(), L"b");
  // The row, from the text to the right edge of the view.
  const TRect r = editor->EditorRect();
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.bottom, 40);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.right, 199);

  editor->SetValueAsText(L"bee");
  editor->CompleteOperation(true);
  EXPECT_EQ(items->GetItem(1)->Text(), L"bee");
  EXPECT_EQ(view->ActiveEditor(), nullptr);
  EXPECT_EQ(view->EditedItem(), nullptr);
  EXPECT_EQ(editor->Item(), nullptr);

  // A refused edit asks for no editor; an immediate request waits 1 ms.
  allowEdit = false;
  asked.clear();
  view->RequestEdit(N("a"), -1, true);
  EXPECT_EQ(view->EditTimer()->Interval(), 1u);
  ASSERT_TRUE(TimerDone());
  EXPECT_EQ(asked, "");
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(view->EditedItem(), nullptr);
  EXPECT_THROW(view->EditItem(nullptr, -1), EElTreeError);
}

TEST_F(TreeEditStart, AnItemDeletedBeforeTheTickStartsNothingAndADeletedEditedItemEndsTheEdit) {
  TElTreeView* view = tree->View();
  // What the tick raises reaches the application's handler.
  ASSERT_NE(Application, nullptr);
  Application->OnException = TExceptionEvent(this, &TreeEditStart::Raised);
  view->RequestEdit(N("c"), -1, false);
  N("c")->Delete();
  EXPECT_EQ(view->EditPendingItem(), nullptr);
  ASSERT_TRUE(TimerDone());
  Application->OnException = TExceptionEvent();
  EXPECT_EQ(raised, "");
  EXPECT_EQ(asked, "");
  EXPECT_EQ(editor->starts, 0);

  // The tree's EditItem ends a running edit first; deleting the edited
  // item ends its edit as cancelled.
  tree->EditItem(N("a"), -1);
  ASSERT_TRUE(editor->Editing());
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
  Columns();
  TElTreeView* view = tree->View();
  // Not the clicked column, and no quick editing: no request.
  view->RequestEdit(N("a"), 1, false);
  EXPECT_EQ(view->EditPendingItem(), nullptr);
  tree->SetQuickEditMode(true);
  view->RequestEdit(N("a"), 2, false);  // not editable
  EXPECT_EQ(view->EditPendingItem(), nullptr);
  view->RequestEdit(N("a"), 1, true);
  ASSERT_TRUE(TimerDone());
  ASSERT_TRUE(editor->Editing());
  EXPECT_EQ(editor->SectionIndex(), 1);
  EXPECT_EQ(editor->ValueAsText(), L"");
  EXPECT_EQ(editor->EditorRect().left, 60);
  EXPECT_EQ(editor->EditorRect().right, 120);
  editor->SetValueAsText(L"x");
  editor->CompleteOperation(true);
  // Column 1 is the first column text: nothing to pad yet.
  ASSERT_NE(N("a")->ColumnText(), nullptr);
  EXPECT_EQ(N("a")->ColumnText()->GetCount(), 1);
  EXPECT_EQ(N("a")->ColumnText()->Get(0), L"x");

  // A column further right pads the texts before it with empty ones.
  (*tree->Header()->Sections())[2]->SetEditable(true);
  tree->EditItem(N("b"), 2);
  ASSERT_TRUE(editor->Editing());
  editor->SetValueAsText(L"far");
  editor->CompleteOperation(true);
  TElWideStrings* texts = N("b")->ColumnText();
  ASSERT_EQ(texts->GetCount(), 2);
  EXPECT_EQ(texts->Get(0), L"");
  EXPECT_EQ(texts->Get(1), L"far");
  EXPECT_EQ(N("b")->Text(), L"b");
}

}  // namespace
