// The in-place editor base and the tree's editor list.
#include "ElTreeInplace.hpp"

// ---------------------------------------------------------------- editor

TElTreeInplaceEditor::TElTreeInplaceEditor(TComponent* owner) : TComponent(owner) {}

TElTreeInplaceEditor::~TElTreeInplaceEditor() = default;

void TElTreeInplaceEditor::BeforeDestruction() {
  // An editor freed while it edits ends the edit first, so that the view
  // keeps no reference to it.
  if (FEditing) {
    try {
      CompleteOperation(false);
    } catch (...) {
    }
  }
  SetTree(nullptr);
  TComponent::BeforeDestruction();
}

void TElTreeInplaceEditor::SetTree(TCustomElTree* value) {
  if (value == FTree) return;
  if (FEditing) CompleteOperation(false);
  if (FTree) {
    if (TElTreeInplaceManager* manager = FTree->InplaceManager()) manager->RemoveEditor(this);
    FTree->RemoveFreeNotification(this);
  }
  FTree = value;
  if (FTree) {
    FTree->FreeNotification(this);
    if (TElTreeInplaceManager* manager = FTree->InplaceManager()) manager->AddEditor(this);
  }
}

void TElTreeInplaceEditor::Detach() {
  if (FEditing) {
    try {
      CompleteOperation(false);
    } catch (...) {
    }
  }
  if (FTree) FTree->RemoveFreeNotification(this);
  FTree = nullptr;
}

void TElTreeInplaceEditor::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component && component == FTree) Detach();
}

void TElTreeInplaceEditor::StartOperation() {
  SetupEditor();
  bool defaultConversion = true;
  TriggerBeforeOperation(defaultConversion);
  DoStartOperation();
  FEditing = true;
}

void TElTreeInplaceEditor::CompleteOperation(bool accepted) {
  FEditing = false;
  bool defaultConversion = true;
  TriggerAfterOperation(accepted, defaultConversion);
  TCustomForm* form = FTree ? FTree->GetParentForm() : nullptr;
  FHadActiveControl = form && form->ActiveControl();
  RestoreFocus();
  // The view takes the value or drops it, and forgets the editor.
  if (FTree && !FTree->IsDestroying()) {
    if (TElTreeView* view = FTree->View()) {
      if (accepted) view->ApplyEdit(FValueAsText);
      view->EditorClosed(accepted);
    }
  }
}

void TElTreeInplaceEditor::TriggerBeforeOperation(bool& defaultConversion) {
  defaultConversion = true;
  OnBeforeOperation(this, defaultConversion);
  if (defaultConversion && FValueAsText.empty()) FValueAsText = FDefaultValueAsText;
}

void TElTreeInplaceEditor::TriggerAfterOperation(bool& accepted, bool& defaultConversion) {
  defaultConversion = true;
  OnAfterOperation(this, accepted, defaultConversion);
}

void TElTreeInplaceEditor::TriggerValidateResult(bool& inputValid) { OnValidateResult(this, inputValid); }

void TElTreeInplaceEditor::RestoreFocus() {
  if (!FTree || FTree->IsDestroying() || !FHadActiveControl) return;
  TElTreeView* view = FTree->View();
  TWinControl* parent = FTree->Parent();
  if (!view || !parent || !view->CanFocus() || !FTree->CanFocus() || !parent->CanFocus()) return;
  try {
    view->SetFocus();
  } catch (...) {
    // Focus that cannot be given back is no reason to lose the edit.
  }
}

// ---------------------------------------------------------------- manager

TElTreeInplaceManager::TElTreeInplaceManager(TCustomElTree* tree) : TComponent(tree), FTree(tree) {}

TElTreeInplaceManager::~TElTreeInplaceManager() = default;

void TElTreeInplaceManager::BeforeDestruction() {
  // The editors lose their tree with the list that joined them to it.
  while (FEditors.Count() > 0) {
    auto* editor = static_cast<TElTreeInplaceEditor*>(FEditors.Last());
    FEditors.Delete(FEditors.Count() - 1);
    RemoveFreeNotification(editor);
    if (editor->Tree() == FTree) editor->Detach();
  }
  if (FTree && FTree->FInplaceManager == this) FTree->FInplaceManager = nullptr;
  TComponent::BeforeDestruction();
}

void TElTreeInplaceManager::AddEditor(TElTreeInplaceEditor* editor) {
  if (!editor || FEditors.IndexOf(editor) >= 0) return;
  FEditors.Add(editor);
  FreeNotification(editor);
}

void TElTreeInplaceManager::RemoveEditor(TElTreeInplaceEditor* editor) {
  if (FEditors.Remove(editor) < 0) return;
  if (!editor->ComponentState().Contains(csDestroying)) RemoveFreeNotification(editor);
}

TElTreeInplaceEditor* TElTreeInplaceManager::GetSuitableEditor(TElFieldType fieldType) const {
  if (static_cast<unsigned>(fieldType) > 15) return nullptr;
  for (int i = 0; i < FEditors.Count(); ++i) {
    auto* editor = static_cast<TElTreeInplaceEditor*>(FEditors.FastGet(i));
    if (editor->Types().Contains(fieldType)) return editor;
  }
  return nullptr;
}

void TElTreeInplaceManager::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component) FEditors.Remove(component);
}

// ---------------------------------------------------------------- the tree's part

void TCustomElTree::DoInplaceEditorNeeded(TElTreeItem* item, int sectionIndex, TElFieldType supposedFieldType,
                                          TElTreeInplaceEditor*& editor) {
  editor = FInplaceManager ? FInplaceManager->GetSuitableEditor(supposedFieldType) : nullptr;
  OnInplaceEditorNeeded(this, item, sectionIndex, supposedFieldType, editor);
}
