#include "kv01_0_03_7__FillDirectoryTree.hpp"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Forms.hpp"
#include "kv01_0_03_0__GalleryInterface.hpp"
#include "lib_WindowsFileSystem.hpp"

namespace foldertree_seams {

static HRESULT SystemListFolders(IShellFolder* folder, HWND owner, IEnumIDList** list) {
  return folder->EnumObjects(owner, SHCONTF_FOLDERS, list);
}
static HRESULT SystemAllocator(IMalloc** allocator) { return SHGetMalloc(allocator); }
TListFolders ListFolders = &SystemListFolders;
TGetAllocator GetAllocator = &SystemAllocator;

}  // namespace foldertree_seams

namespace {

IShellFolder* desktop = nullptr;

HWND OwnerWindow() { return Application ? Application->Handle() : nullptr; }

TElFString Wide(const AnsiString& s) { return AnsiToWide(s); }

int KindOf(TElTreeItem* item) { return item->ImageIndex() < 0 ? item->ImageIndex() : item->ImageIndex() & ~1; }

// The folder of an item: bound from the desktop by its list, the desktop
// itself for an item without one. Raises the OLE exception.
TComPtr<IShellFolder> ItemFolder(TElTreeItem* item) {
  IShellFolder* root = DesktopShellFolder();
  LPITEMIDLIST list = ItemPidl(item);
  if (!list) return TComPtr<IShellFolder>(root);
  TComPtr<IShellFolder> folder;
  OleCheck(root->BindToObject(list, nullptr, IID_IShellFolder, folder.OutVoid()));
  return folder;
}

bool IsExistingFolder(const AnsiString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int DesktopChildKind(IShellFolder* folder, LPCITEMIDLIST full, IMalloc* allocator) {
  static const struct {
    int Csidl, Kind;
  } specials[] = {{CSIDL_DRIVES, fkComputer}, {CSIDL_NETWORK, fkNetwork}, {CSIDL_PERSONAL, fkPersonal}};
  for (const auto& special : specials) {
    TPidlOwner list(allocator, nullptr);
    if (FAILED(SHGetSpecialFolderLocation(OwnerWindow(), special.Csidl, list.Out())) || !list.Get()) continue;
    if (HRESULT_CODE(folder->CompareIDs(0, full, list.Get())) == 0) return special.Kind;
  }
  return fkOther;
}

int DriveKind(const AnsiString& parsingName) {
  const bool letter = parsingName.size() == 3 && ((parsingName[0] >= 'A' && parsingName[0] <= 'Z') ||
                                                  (parsingName[0] >= 'a' && parsingName[0] <= 'z'));
  if (!letter || parsingName[1] != ':' || parsingName[2] != '\\') return fkOther;
  switch (GetDriveTypeA(parsingName.c_str())) {
    case DRIVE_REMOVABLE: return fkRemovable;
    case DRIVE_CDROM: return fkCdRom;
    case DRIVE_FIXED:
    case DRIVE_REMOTE:
    case DRIVE_RAMDISK: return fkFixed;
    default: return fkOther;
  }
}

// The tree sorts the level with its compare event (the kit's folder order).
void OrderLevel(TElTreeItem* item, int kind) {
  item->SortChildren(false);
  if (kind == fkComputer) OrderDriveItems(item);
  else if (kind == fkDesktop) OrderSpecialItems(item);
}

std::string_view PidlBytes(LPCITEMIDLIST list) {
  return list ? std::string_view(reinterpret_cast<const char*>(list), PidlSize(list)) : std::string_view();
}

// Lists the folder: each accepted child, given to `use`, freed after it.
// Raises the OLE exception when the listing cannot start.
template <class F>
void ListSubFolders(IShellFolder* folder, IMalloc* allocator, F use) {
  TComPtr<IEnumIDList> list;
  const HRESULT started = foldertree_seams::ListFolders(folder, OwnerWindow(), list.Out());
  OleCheck(started);
  if (!list) return;  // S_FALSE: nothing to list
  for (;;) {
    TPidlOwner child(allocator, nullptr);
    ULONG fetched = 0;
    if (list->Next(1, child.Out(), &fetched) != S_OK || !fetched || !child.Get()) break;
    if (IsFileSystemItem(folder, child.Get())) use(child.Get());
  }
}

}  // namespace

TComPtr<IMalloc> ShellAllocator() {
  TComPtr<IMalloc> allocator;
  if (FAILED(foldertree_seams::GetAllocator(allocator.Out()))) allocator.Release();
  return allocator;
}

THourglass::THourglass() : saved_(Screen ? Screen->Cursor() : crDefault) {
  if (Screen) Screen->SetCursor(crHourGlass);
}

THourglass::~THourglass() {
  if (Screen) Screen->SetCursor(saved_);
}

IShellFolder* DesktopShellFolder() {
  if (!desktop) OleCheck(SHGetDesktopFolder(&desktop));
  return desktop;
}

void ReleaseDesktopShellFolder() {
  if (desktop) desktop->Release();
  desktop = nullptr;
}

LPITEMIDLIST ItemPidl(TElTreeItem* item) {
  TElWideStrings* texts = item ? item->ColumnText() : nullptr;
  if (!texts || texts->Count() == 0) return nullptr;
  return reinterpret_cast<LPITEMIDLIST>(texts->Objects(0));
}

AnsiString ItemPath(TElTreeItem* item) {
  LPITEMIDLIST list = ItemPidl(item);
  if (!list) return DesktopFolder;
  char path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListA(list, path)) return AnsiString();
  return path;
}

bool IsPlaceholder(TElTreeItem* item) { return item && item->Text().empty(); }

int CompareFolderTexts(TElTreeItem* item1, TElTreeItem* item2) {
  const TElFString a = item1->Text(), b = item2->Text();
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(), int(b.size())) - 2;
}

void FillDirectoryTree(TCustomElTree* tree, const AnsiString& path, const TFolderItemHook& itemHook) {
  TElTreeItems* items = tree->Items();
  TElTreeItem* root = items->AddItem(nullptr);
  IShellFolder* shellDesktop = DesktopShellFolder();
  if (path == DesktopFolder) {
    TComPtr<IMalloc> allocator = ShellAllocator();
    TPidlOwner own(allocator.Get(), nullptr);
    AnsiString name;
    if (SUCCEEDED(SHGetSpecialFolderLocation(OwnerWindow(), CSIDL_DESKTOP, own.Out())) && own.Get())
      name = GetItemDisplayName(shellDesktop, own.Get(), false);
    root->SetText(Wide(name));
    root->ColumnText()->Add(Wide(DesktopFolder));
    root->SetImageIndex(fkDesktop);
  } else {
    LPITEMIDLIST list = nullptr;
    std::wstring wide = Wide(path);
    ULONG eaten = 0;
    if (FAILED(shellDesktop->ParseDisplayName(OwnerWindow(), nullptr, wide.data(), &eaten, &list, nullptr)))
      list = nullptr;
    const bool storage = path == StoragePath();
    root->SetText(storage ? L"\u0425\u0440\u0430\u043D\u0438\u043B\u0438\u0449\u0435"
                          : Wide(list ? GetItemDisplayName(shellDesktop, LastPidlItem(list), false) : AnsiString()));
    root->ColumnText()->AddObject(Wide(path), reinterpret_cast<TObject*>(list));
    root->SetImageIndex(storage ? fkStorage : fkUnknownRoot);
    if (!storage) itemHook(fkUnknownRoot, root);
  }
  root->SetExpanded(true);
}

TElTreeItem* AddFolderItem(TElTreeItems* items, TElTreeItem* parent, int parentKind, const TFolderItemHook& itemHook,
                           LPCITEMIDLIST parentList, LPCITEMIDLIST child, IShellFolder* folder) {
  TElTreeItem* item = items->AddItem(parent);
  item->SetImageIndex(fkUnknownRoot);
  item->SetText(Wide(GetItemDisplayName(folder, child, false)));
  const AnsiString parsingName = GetItemDisplayName(folder, child, true);
  // The item owns the list from here on: its deletion frees it.
  LPITEMIDLIST full = ConcatPidls(parentList, child);
  item->ColumnText()->AddObject(Wide(parsingName), reinterpret_cast<TObject*>(full));
  int kind = fkOther;
  if (parentKind == fkDesktop && full) {
    TComPtr<IMalloc> allocator = ShellAllocator();
    kind = DesktopChildKind(folder, full, allocator.Get());
  } else if (parentKind == fkComputer) {
    kind = DriveKind(parsingName);
  }
  item->SetImageIndex(kind);
  itemHook(parentKind, item);
  if (HasSubFolders(folder, child)) items->AddItem(item);
  return item;
}

bool ExpandFolderItem(TElTreeItems* items, TElTreeItem* item, const TFolderItemHook& itemHook, bool lookAhead,
                      const TFolderFillHook& fillHook) {
  const AnsiString path = ItemPath(item);
  if (!path.empty() && !IsExistingFolder(path)) return false;
  bool result = false;
  try {
    TComPtr<IShellFolder> folder = ItemFolder(item);
    const int kind = KindOf(item);
    TComPtr<IMalloc> allocator = ShellAllocator();
    LPITEMIDLIST list = ItemPidl(item);
    ListSubFolders(folder.Get(), allocator.Get(), [&](LPITEMIDLIST child) {
      AddFolderItem(items, item, kind, itemHook, list, child, folder.Get());
    });
    OrderLevel(item, kind);
    fillHook(item, kind);
    result = true;
  } catch (const Exception&) {
    result = false;
  }
  if (lookAhead) {
    // A snapshot: a child deleted by a refresh of another is never reached.
    std::vector<TElTreeItem*> children;
    for (int i = 0; i < item->ChildrenCount(); ++i) children.push_back(item->GetChild(i));
    // A child is looked for at its place first, so the walk stays linear
    // while nothing is deleted.
    int place = 0;
    for (TElTreeItem* child : children) {
      bool present = place < item->ChildrenCount() && item->GetChild(place) == child;
      for (int j = 0; j < item->ChildrenCount() && !present; ++j)
        if (item->GetChild(j) == child) {
          present = true;
          place = j;
        }
      if (!present) continue;
      RefreshFolderItem(items, child, itemHook, false, fillHook);
      ++place;
    }
  }
  return result;
}

bool RefreshFolderItem(TElTreeItems* items, TElTreeItem* item, const TFolderItemHook& itemHook, bool lookAhead,
                       const TFolderFillHook& fillHook) {
  TElTreeItem* first = item->GetFirstChild();
  if (first && IsPlaceholder(first)) {
    first->Delete();
    return ExpandFolderItem(items, item, itemHook, lookAhead, fillHook);
  }
  // A folder that cannot be bound or listed keeps its item: the caller may
  // hold it (the selection event), and a drive without a medium stays.
  try {
    TComPtr<IShellFolder> folder = ItemFolder(item);
    const int kind = KindOf(item);
    TComPtr<IMalloc> allocator = ShellAllocator();
    LPITEMIDLIST list = ItemPidl(item);
    IShellFolder* shellDesktop = DesktopShellFolder();
    // The present children by their lists' bytes; a list the shell gives
    // with other bytes for the same folder is matched by CompareIDs.
    std::vector<TElTreeItem*> present;
    std::unordered_multimap<std::string_view, size_t> byBytes;
    for (int i = 0; i < item->ChildrenCount(); ++i) {
      TElTreeItem* child = item->GetChild(i);
      present.push_back(child);
      byBytes.emplace(PidlBytes(ItemPidl(child)), present.size() - 1);
    }
    std::vector<bool> found(present.size(), false);
    bool added = false;
    ListSubFolders(folder.Get(), allocator.Get(), [&](LPITEMIDLIST child) {
      TPidlOwner full(allocator.Get(), ConcatPidls(list, child));
      if (!full.Get()) return;
      size_t match = present.size();
      auto range = byBytes.equal_range(PidlBytes(full.Get()));
      for (auto it = range.first; it != range.second && match == present.size(); ++it)
        if (!found[it->second]) match = it->second;
      for (size_t i = 0; i < present.size() && match == present.size(); ++i) {
        LPITEMIDLIST stored = ItemPidl(present[i]);
        if (!found[i] && stored && HRESULT_CODE(shellDesktop->CompareIDs(0, full.Get(), stored)) == 0) match = i;
      }
      if (match < present.size()) {
        found[match] = true;
        itemHook(kind, present[match]);
      } else {
        AddFolderItem(items, item, kind, itemHook, list, child, folder.Get());
        added = true;
      }
    });
    for (size_t i = present.size(); i-- > 0;)
      if (!found[i]) present[i]->Delete();
    if (added) {
      OrderLevel(item, kind);
      fillHook(item, kind);
    }
  } catch (const Exception&) {
    return false;
  }
  return true;
}

void MoveKindToFront(TElTreeItem* parent, int kind) {
  std::vector<TElTreeItem*> moved;
  for (int i = 0; i < parent->ChildrenCount(); ++i) {
    TElTreeItem* child = parent->GetChild(i);
    if (child->ImageIndex() == kind || child->ImageIndex() == kind + 1) moved.push_back(child);
  }
  for (size_t i = 0; i < moved.size(); ++i) moved[i]->MoveToPosition(parent, int(i));
}

void OrderSpecialItems(TElTreeItem* parent) {
  MoveKindToFront(parent, fkNetwork);
  MoveKindToFront(parent, fkPersonal);
  MoveKindToFront(parent, fkComputer);
}

void MoveDriveToFront(TElTreeItem* parent, const AnsiString& root) {
  for (int i = 0; i < parent->ChildrenCount(); ++i) {
    TElTreeItem* child = parent->GetChild(i);
    TElWideStrings* texts = child->ColumnText();
    if (!texts || texts->Count() == 0) continue;
    TElFString name = texts->Strings(0);
    CharLowerBuffW(name.data(), DWORD(name.size()));
    if (name == Wide(root)) {
      if (i) child->MoveToPosition(parent, 0);
      return;
    }
  }
}

void OrderDriveItems(TElTreeItem* parent) {
  for (char letter = 'z'; letter >= 'a'; --letter) MoveDriveToFront(parent, AnsiString(1, letter) + ":\\");
}

static void FillDirectoryTree_Initialize() {}
static void FillDirectoryTree_Finalize() {
  ReleaseDesktopShellFolder();
  FreeCustomizeFunctions();
}

const TUnitInfo kv01_0_03_7__FillDirectoryTreeUnit = {"kv01_0_03_7__FillDirectoryTree", &FillDirectoryTree_Initialize,
                                                      &FillDirectoryTree_Finalize};
