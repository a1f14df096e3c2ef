// Answers a folder tree's events: expansion fills a level, selection
// refreshes it and reports the folder, deletion frees the items' lists.
#pragma once

#include "ComObj.hpp"
#include "ElTree.hpp"
#include "kv01_0_03_7__FillDirectoryTree.hpp"
#include "kv01_0_03_9__Types.hpp"

// (item, path) of a folder item selected or double-clicked.
using TFolderItemEvent = TEvent<TElTreeItem*, const AnsiString&>;

class TDirectoryTreeHandler : public TObject {
 public:
  TDirectoryTreeHandler(const TFolderItemEvent& folderSelected, const TFolderItemEvent& folderOpened);
  ~TDirectoryTreeHandler() override;

  void Attach(TCustomElTree* tree, TCustomizeFunctions* settings);
  void Detach();

  void ItemExpanding(TObject* sender, TElTreeItem* item, bool& canProcess);
  void ItemCollapsing(TObject* sender, TElTreeItem* item, bool& canProcess);
  void ItemSelectedChange(TObject* sender, TElTreeItem* item);
  void TreeDblClick(TObject* sender);
  void CompareFolderItems(TObject* sender, TElTreeItem* item1, TElTreeItem* item2, int& res);
  void ItemDeletion(TObject* sender, TElTreeItem* item);

  void SelectStoredPath(const AnsiString& valueName, const AnsiString& defaultPath);
  void SelectByPath(const AnsiString& path);
  void SelectByItemTexts(const AnsiString& path);

  TCustomElTree* Tree() const { return tree_; }
  TFolderItemEvent FolderSelected;
  TFolderItemEvent FolderOpened;

 private:
  void PendingMessage(TMessage& message);
  void DeleteVanished();
  TElTreeItem* FindFolderItem(TElTreeItem* start, const AnsiString& path);

  TCustomElTree* tree_ = nullptr;
  TCustomizeFunctions* settings_ = nullptr;
  TComPtr<IMalloc> allocator_;
  // A selected folder found gone, deleted once its selection event is over.
  TElTreeItem* vanished_ = nullptr;
  HWND window_ = nullptr;
};
