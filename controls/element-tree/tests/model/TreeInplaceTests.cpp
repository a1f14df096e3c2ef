// In-place editors and their manager, and the virtuality level, without a
// window: a view that records how edits end, editors that record their
// steps.
#include "ElTreeInplace.hpp"
#include "TreeModelSupport.hpp"

namespace {

class TRecordingView : public TElTreeView {
 public:
  explicit TRecordingView(TCustomElTree* tree) : TElTreeView(tree) {}
  void ApplyEdit(const TElFString& value) override { log += "apply " + WideToAnsi(value) + "; "; }
  void EditorClosed(bool accepted) override { log += accepted ? "closed accepted; " : "closed cancelled; "; }
  bool CanFocus() const override { return true; }
  void SetFocus() override {
    ++focusAsked;
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  }
  TElCellStyle* SharedStyle() const { return FScratchStyle; }
  std::string log;
  int focusAsked = 0;
};

class TEditTree : public TTestTree {
 public:
  explicit TEditTree(TComponent* owner) : TTestTree(owner) {}
  TElTreeView* CreateView() override { return new TRecordingView(this); }
  bool CanFocus() const override { return true; }
  TRecordingView* Recorder() const { return static_cast<TRecordingView*>(View()); }
};

class TFocusableParent : public TWinControl {
 public:
  explicit TFocusableParent(TComponent* owner) : TWinControl(owner) {}
  bool CanFocus() const override { return true; }
};

class TTestEditor : public TElTreeInplaceEditor {
 public:
  explicit TTestEditor(TComponent* owner) : TElTreeInplaceEditor(owner) {}
  bool GetVisible() override { return shown; }
  void SetupEditor() override { log += "setup; "; }
  void DoStartOperation() override {
    shown = true;
    log += "start " + WideToAnsi(ValueAsText()) + "; ";
  }
  void RestoreFocus() override {
    log += "focus; ";
    TElTreeInplaceEditor::RestoreFocus();
  }
  void SetHadActiveControl(bool value) { FHadActiveControl = value; }
  bool shown = false;
  std::string log;
};

class TControlProbe : public TElCellControl {
 public:
  explicit TControlProbe(bool* freed) : freed_(freed) {}
  ~TControlProbe() override { *freed_ = true; }
  void TriggerMouseDown(TMouseButton, TShiftState, int, int) override {}
  void TriggerMouseUp(TMouseButton, TShiftState, int, int) override {}
  void TriggerMouseMove(TShiftState, int, int) override {}
  void TriggerDblClick() override {}
  bool PassClicks() override { return true; }
  void Activate() override {}
  void Paint(TCanvas*, const TRect&) override {}

 private:
  bool* freed_;
};

class TreeInplace : public ::testing::Test {
 public:
  void SetUp() override {
    owner = new TComponent(nullptr);
    tree = TObject::Create<TEditTree>(owner);
  }
  void TearDown() override { owner->Free(); }
  TTestEditor* Editor(TElFieldTypes types, TCustomElTree* on) {
    auto* editor = new TTestEditor(owner);
    editor->SetTypes(types);
    editor->SetTree(on);
    return editor;
  }
  void Replace(TObject*, TElTreeItem*, int, TElFieldType, TElTreeInplaceEditor*& editor) { editor = replacement; }
  void KeepDefault(TObject*, bool& defaultConversion) { defaultConversion = keepDefault; }
  void Refuse(TObject*, bool& accepted, bool&) { accepted = false; }

  TComponent* owner = nullptr;
  TEditTree* tree = nullptr;
  TElTreeInplaceEditor* replacement = nullptr;
  bool keepDefault = true;
};

TEST_F(TreeInplace, TheFirstAttachedEditorWinsAndFreedOnesLeave) {
  TElTreeInplaceManager* manager = tree->InplaceManager();
  ASSERT_NE(manager, nullptr);
  TTestEditor* first = Editor({sftText, sftNumber}, tree);
  TTestEditor* second = Editor({sftText, sftDate}, tree);
  TTestEditor* wide = Editor(TElFieldTypes::FromBits(std::uint64_t(1) << 20), tree);
  first->SetTree(tree);
  EXPECT_EQ(manager->Count(), 3);
  EXPECT_EQ(manager->GetSuitableEditor(sftText), first);
  EXPECT_EQ(manager->GetSuitableEditor(sftDate), second);
  EXPECT_EQ(manager->GetSuitableEditor(sftCurrency), nullptr);
  EXPECT_EQ(manager->GetSuitableEditor(static_cast<TElFieldType>(20)), nullptr);
  (void)wide;
  // The tree's question: the manager's answer, which the handler may change.
  TElTreeInplaceEditor* chosen = nullptr;
  tree->DoInplaceEditorNeeded(nullptr, 0, sftNumber, chosen);
  EXPECT_EQ(chosen, first);
  replacement = second;
  tree->OnInplaceEditorNeeded = TInplaceEditorNeededEvent(this, &TreeInplace::Replace);
  tree->DoInplaceEditorNeeded(nullptr, 0, sftNumber, chosen);
  EXPECT_EQ(chosen, second);

  first->Free();
  EXPECT_EQ(manager->Count(), 2);
  EXPECT_EQ(manager->GetSuitableEditor(sftText), second);
  // Another tree takes the editor over.
  TEditTree* other = TObject::Create<TEditTree>(owner);
  second->SetTree(other);
  EXPECT_EQ(manager->GetSuitableEditor(sftText), nullptr);
  EXPECT_EQ(other->InplaceManager()->GetSuitableEditor(sftText), second);
  // A freed tree leaves its editors without one, a running edit cancelled.
  second->StartOperation();
  other->Free();
  EXPECT_EQ(second->Tree(), nullptr);
  EXPECT_FALSE(second->Editing());
  // A freed manager does the same.
  TTestEditor* third = Editor({sftText}, tree);
  manager->Free();
  EXPECT_EQ(tree->InplaceManager(), nullptr);
  EXPECT_EQ(third->Tree(), nullptr);
  tree->DoInplaceEditorNeeded(nullptr, 0, sftText, chosen);
  EXPECT_EQ(chosen, second) << "only the handler answers";
}

TEST_F(TreeInplace, AnOperationFromStartToTheViewsEndOfTheEdit) {
  TTestEditor* editor = Editor({sftText}, tree);
  editor->SetDefaultValueAsText(L"default");
  editor->StartOperation();
  EXPECT_EQ(editor->log, "setup; start default; ");
  EXPECT_TRUE(editor->Editing());
  editor->SetValueAsText(L"typed");
  editor->CompleteOperation(true);
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(tree->Recorder()->log, "apply typed; closed accepted; ");

  // A value of its own stays; a handler may refuse the default.
  editor->StartOperation();
  EXPECT_EQ(editor->log.substr(editor->log.rfind("start")), "start typed; ");
  editor->SetValueAsText(L"");
  keepDefault = false;
  editor->OnBeforeOperation = TInplaceOperationEvent(this, &TreeInplace::KeepDefault);
  editor->StartOperation();
  EXPECT_EQ(editor->log.substr(editor->log.rfind("start")), "start ; ");
  // The after-handler's verdict is the one the view hears.
  tree->Recorder()->log.clear();
  editor->OnAfterOperation = TInplaceAfterOperationEvent(this, &TreeInplace::Refuse);
  editor->CompleteOperation(true);
  EXPECT_EQ(tree->Recorder()->log, "closed cancelled; ");
  // Giving the editor another tree ends its edit as cancelled.
  editor->StartOperation();
  tree->Recorder()->log.clear();
  editor->SetTree(nullptr);
  EXPECT_EQ(tree->Recorder()->log, "closed cancelled; ");
}

TEST_F(TreeInplace, RestoringTheFocusSwallowsTheViewsRefusal) {
  TFocusableParent* parent = new TFocusableParent(owner);
  tree->SetParent(parent);
  TTestEditor* editor = Editor({sftText}, tree);
  editor->SetHadActiveControl(true);
  EXPECT_NO_THROW(editor->RestoreFocus());
  EXPECT_EQ(tree->Recorder()->focusAsked, 1);
  // Without a remembered active control the view is not asked at all.
  editor->SetHadActiveControl(false);
  EXPECT_NO_THROW(editor->RestoreFocus());
  EXPECT_EQ(tree->Recorder()->focusAsked, 1);
  tree->SetParent(nullptr);
}

TEST_F(TreeInplace, TheVirtualityLevelAtRunTime) {
  BuildShape(tree->Items(), nullptr, "a(b) c");
  TElTreeItem* a = tree->Items()->Item(0);
  bool itemControlFreed = false, sharedControlFreed = false;
  a->MainStyle()->SetControl(new TControlProbe(&itemControlFreed));
  // Asks nothing at run time: a box would stop the test here.
  tree->SetVirtualityLevel(vlTextAndStyles);
  EXPECT_EQ(tree->VirtualityLevel(), vlTextAndStyles);
  EXPECT_TRUE(itemControlFreed) << "the item's style owned its control";
  for (int i = 0; i < tree->Items()->Count(); ++i) EXPECT_FALSE(tree->Items()->Item(i)->HasStaticData());
  TElCellStyle* shared = tree->Recorder()->SharedStyle();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->Owner(), nullptr);
  shared->SetControl(new TControlProbe(&sharedControlFreed));
  EXPECT_TREE_CONSISTENT(tree);

  tree->SetVirtualityLevel(vlNone);
  EXPECT_EQ(tree->Recorder()->SharedStyle(), nullptr);
  EXPECT_TRUE(sharedControlFreed);
  for (int i = 0; i < tree->Items()->Count(); ++i) EXPECT_TRUE(tree->Items()->Item(i)->HasStaticData());
  a->SetText(L"again");
  EXPECT_EQ(a->Text(), L"again");
  EXPECT_TREE_CONSISTENT(tree);
}

}  // namespace
