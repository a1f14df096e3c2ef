// Binds folder trees to a directory handler each and passes their folder
// events on to the owner (the folder page).
#pragma once

#include <vector>

#include "Classes.hpp"
#include "ElTree.hpp"
#include "kv01_0_03_6__DirectoryTreeHandler.hpp"
#include "kv01_0_03_9__Types.hpp"

using TFolderPathEvent = TEvent<const AnsiString&>;

class TCommonHandler : public TComponent {
 public:
  explicit TCommonHandler(TComponent* owner);
  ~TCommonHandler() override;

  void AddTree(TCustomElTree* tree, TControl* switchButton);
  void Clear();
  void SelectPath(const AnsiString& valueName, const AnsiString& defaultPath);
  void SwitchClick(TObject* sender);
  void FolderSelected(TElTreeItem* item, const AnsiString& path);
  void FolderOpened(TElTreeItem* item, const AnsiString& path);
  void TreeEnter(TObject* sender);

  int TreeCount() const { return int(trees_.size()); }
  TCustomElTree* Trees(int index) const { return trees_[size_t(index)]; }
  TDirectoryTreeHandler* Handlers(int index) const { return handlers_[size_t(index)]; }
  int ActiveTree() const { return activeTree_; }
  bool Entered() const { return entered_; }
  TCustomizeFunctions* Settings() const { return settings_; }

  TFolderPathEvent OnFolderSelected;
  TFolderPathEvent OnFolderOpened;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::vector<TCustomElTree*> trees_;
  int activeTree_ = 0;
  std::vector<TDirectoryTreeHandler*> handlers_;
  TCustomizeFunctions* settings_;
  bool entered_ = false;
};
