// Fills tree items from the shell's folder namespace: a folder's sub-folders
// are listed lazily, one level ahead, and listed levels are kept in step with
// the disk.
//
// Each folder item carries its display name as main text, its parsing name
// as column text 0 with its absolute item-ID list (owned by the item, freed
// by the directory handler's deletion event) as that text's object, and its
// kind as image index (even closed, odd open). A child with an empty main
// text stands for sub-folders not listed yet.
#pragma once

#include <shlobj.h>

#include "ComObj.hpp"
#include "ElTree.hpp"
#include "kv01_0_03_9__Types.hpp"

// Folder kinds (image indexes of the closed pictures).
enum : int {
  fkStorage = 0,
  fkDesktop = 2,
  fkComputer = 6,
  fkRemovable = 8,
  fkFixed = 10,
  fkCdRom = 12,
  fkOther = 14,
  fkPersonal = 16,
  fkNetwork = 18,
  fkUnknownRoot = -1
};

// The kit's access to the shell's listing and allocator; tests replace them.
namespace foldertree_seams {
using TListFolders = HRESULT (*)(IShellFolder* folder, HWND owner, IEnumIDList** list);
extern TListFolders ListFolders;
using TGetAllocator = HRESULT (*)(IMalloc** allocator);
extern TGetAllocator GetAllocator;
}  // namespace foldertree_seams

// The shell allocator, counted; empty when the shell gives none.
TComPtr<IMalloc> ShellAllocator();

// An item-ID list owned until the scope ends, then freed with its allocator.
class TPidlOwner {
 public:
  TPidlOwner(IMalloc* allocator, LPITEMIDLIST list) : allocator_(allocator), list_(list) {}
  ~TPidlOwner() { Reset(); }
  TPidlOwner(const TPidlOwner&) = delete;
  TPidlOwner& operator=(const TPidlOwner&) = delete;
  LPITEMIDLIST Get() const { return list_; }
  LPITEMIDLIST* Out() {
    Reset();
    return &list_;
  }
  // Hands the list over; nothing is freed then.
  LPITEMIDLIST Release() {
    LPITEMIDLIST list = list_;
    list_ = nullptr;
    return list;
  }
  void Reset() {
    if (list_ && allocator_) allocator_->Free(list_);
    list_ = nullptr;
  }

 private:
  IMalloc* allocator_;
  LPITEMIDLIST list_;
};

// The hourglass while a scope lists folders; the cursor before is restored.
class THourglass {
 public:
  THourglass();
  ~THourglass();
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;

 private:
  TCursor saved_;
};

// The desktop folder, taken on first use; raises the OLE exception.
IShellFolder* DesktopShellFolder();
void ReleaseDesktopShellFolder();

// An item's stored list (none for the desktop root) and its path: the list's
// file-system path, DesktopFolder for an item without a list, empty for a
// list without one (the computer, the network).
LPITEMIDLIST ItemPidl(TElTreeItem* item);
AnsiString ItemPath(TElTreeItem* item);
bool IsPlaceholder(TElTreeItem* item);
// The kit's order of folder items: their main texts, case-insensitively.
int CompareFolderTexts(TElTreeItem* item1, TElTreeItem* item2);

void FillDirectoryTree(TCustomElTree* tree, const AnsiString& path, const TFolderItemHook& itemHook);
TElTreeItem* AddFolderItem(TElTreeItems* items, TElTreeItem* parent, int parentKind, const TFolderItemHook& itemHook,
                           LPCITEMIDLIST parentList, LPCITEMIDLIST child, IShellFolder* folder);
bool ExpandFolderItem(TElTreeItems* items, TElTreeItem* item, const TFolderItemHook& itemHook, bool lookAhead,
                      const TFolderFillHook& fillHook);
bool RefreshFolderItem(TElTreeItems* items, TElTreeItem* item, const TFolderItemHook& itemHook, bool lookAhead,
                       const TFolderFillHook& fillHook);
void MoveKindToFront(TElTreeItem* parent, int kind);
void OrderSpecialItems(TElTreeItem* parent);
void MoveDriveToFront(TElTreeItem* parent, const AnsiString& root);
void OrderDriveItems(TElTreeItem* parent);

extern const TUnitInfo kv01_0_03_7__FillDirectoryTreeUnit;
