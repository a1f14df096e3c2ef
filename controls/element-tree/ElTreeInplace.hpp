// The base of the tree's in-place editors and the tree's list of them.
//
// An editor joins the manager of the tree it is given and leaves it when it
// is given another tree, when it is freed, and when the tree or its manager
// goes (a running edit then ends as cancelled). A derived editor shows
// itself in DoStartOperation and tells whether it is shown in GetVisible.
#pragma once

#include "ElTree.hpp"

using TInplaceOperationEvent = TEvent<TObject*, bool&>;
// Sender, var Accepted, var DefaultConversion.
using TInplaceAfterOperationEvent = TEvent<TObject*, bool&, bool&>;
using TInplaceValidationEvent = TEvent<TObject*, bool&>;

class TElTreeInplaceEditor : public TComponent {
 public:
  explicit TElTreeInplaceEditor(TComponent* owner);
  ~TElTreeInplaceEditor() override;
  void BeforeDestruction() override;

  // ---- operations in slot order
  virtual bool GetVisible() = 0;
  virtual void SetupEditor() {}
  virtual void StartOperation();
  virtual void CompleteOperation(bool accepted);
  virtual void TriggerBeforeOperation(bool& defaultConversion);
  virtual void TriggerAfterOperation(bool& accepted, bool& defaultConversion);
  virtual void TriggerValidateResult(bool& inputValid);
  virtual void DoStartOperation() = 0;
  virtual void RestoreFocus();

  TCustomElTree* Tree() const { return FTree; }
  // A running edit ends as cancelled; the editor leaves the old tree's
  // manager and joins the new one's.
  void SetTree(TCustomElTree* value);
  TElFieldTypes Types() const { return FTypes; }
  void SetTypes(TElFieldTypes value) { FTypes = value; }
  const TElFString& DefaultValueAsText() const { return FDefaultValueAsText; }
  void SetDefaultValueAsText(const TElFString& value) { FDefaultValueAsText = value; }
  const TElFString& ValueAsText() const { return FValueAsText; }
  void SetValueAsText(const TElFString& value) { FValueAsText = value; }
  bool Editing() const { return FEditing; }
  bool HadActiveControl() const { return FHadActiveControl; }
  // The cell of the running edit, given by the view before StartOperation
  // (the item is nil once the edit has ended); the rectangle is in the
  // view's client coordinates.
  TElTreeItem* Item() const { return FItem; }
  int SectionIndex() const { return FSectionIndex; }
  TElFieldType CellType() const { return FCellType; }
  const TRect& EditorRect() const { return FEditorRect; }
  void SetCell(TElTreeItem* item, int sectionIndex, TElFieldType cellType, const TRect& rect) {
    FItem = item;
    FSectionIndex = sectionIndex;
    FCellType = cellType;
    FEditorRect = rect;
  }

  TInplaceOperationEvent OnBeforeOperation;
  TInplaceAfterOperationEvent OnAfterOperation;
  TInplaceValidationEvent OnValidateResult;

 protected:
  friend class TElTreeInplaceManager;
  void Notification(TComponent* component, TOperation operation) override;
  // The tree or its manager went: the edit ends as cancelled and the
  // editor belongs to no tree.
  void Detach();

  TCustomElTree* FTree = nullptr;
  TElFieldTypes FTypes;
  TElFString FDefaultValueAsText;
  TElFString FValueAsText;
  bool FEditing = false;
  bool FHadActiveControl = false;
  TElTreeItem* FItem = nullptr;
  int FSectionIndex = -1;
  TElFieldType FCellType = sftText;
  TRect FEditorRect{};
};

class TElTreeInplaceManager : public TComponent {
 public:
  explicit TElTreeInplaceManager(TCustomElTree* tree);
  ~TElTreeInplaceManager() override;
  void BeforeDestruction() override;

  TCustomElTree* Tree() const { return FTree; }
  // Lists an editor once and asks to hear of its freeing.
  void AddEditor(TElTreeInplaceEditor* editor);
  void RemoveEditor(TElTreeInplaceEditor* editor);
  // The first listed editor whose Types hold the field type; nil when none
  // does (and for a type beyond the set's 16 members).
  TElTreeInplaceEditor* GetSuitableEditor(TElFieldType fieldType) const;
  int Count() const { return FEditors.Count(); }
  TElTreeInplaceEditor* Editor(int index) const { return static_cast<TElTreeInplaceEditor*>(FEditors.FastGet(index)); }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

  TCustomElTree* FTree;
  TElList FEditors;
};
