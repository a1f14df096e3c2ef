#include "kv01_0_03_6__DirectoryTreeHandler.hpp"

#include <vector>

#include "Forms.hpp"
#include "kv01_0_03_0__GalleryInterface.hpp"
#include "lib_WindowsFileSystem.hpp"

namespace {

constexpr UINT kDeleteVanished = WM_APP + 1;

int KindOf(TElTreeItem* item) { return item->ImageIndex(); }

bool IsExistingFolder(const AnsiString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Desktop, computer, drives, documents and network need not be folders.
bool KeptWithoutFolder(int kind) { return (kind >= 2 && kind <= 13) || (kind >= 16 && kind <= 19); }

bool SameTextIgnoringCase(const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) == 0; }

}  // namespace

TDirectoryTreeHandler::TDirectoryTreeHandler(const TFolderItemEvent& folderSelected,
                                             const TFolderItemEvent& folderOpened)
    : FolderSelected(folderSelected), FolderOpened(folderOpened), allocator_(ShellAllocator()) {
  window_ = AllocateHWnd(TWndMethod(this, &TDirectoryTreeHandler::PendingMessage));
}

TDirectoryTreeHandler::~TDirectoryTreeHandler() {
  Detach();
  if (window_) DeallocateHWnd(window_);
}

void TDirectoryTreeHandler::Attach(TCustomElTree* tree, TCustomizeFunctions* settings) {
  tree_ = tree;
  settings_ = settings;
  tree->OnItemExpanding = TOnItemExpanding(this, &TDirectoryTreeHandler::ItemExpanding);
  tree->OnItemCollapsing = TOnItemExpanding(this, &TDirectoryTreeHandler::ItemCollapsing);
  tree->OnItemSelectedChange = TItemSelChangeEvent(this, &TDirectoryTreeHandler::ItemSelectedChange);
  tree->OnItemDeletion = TOnItemExpandEvent(this, &TDirectoryTreeHandler::ItemDeletion);
  tree->OnCompareItems = TOnCompareItems(this, &TDirectoryTreeHandler::CompareFolderItems);
  tree->OnDblClick = TNotifyEvent(this, &TDirectoryTreeHandler::TreeDblClick);
}

void TDirectoryTreeHandler::Detach() {
  if (!tree_) return;
  tree_->OnItemExpanding = nullptr;
  tree_->OnItemCollapsing = nullptr;
  tree_->OnItemSelectedChange = nullptr;
  tree_->OnCompareItems = nullptr;
  tree_->OnDblClick = nullptr;
  // The deletion event stays until the items are gone, so every list is freed.
  if (TElTreeItems* items = tree_->Items()) items->Clear();
  tree_->OnItemDeletion = nullptr;
  tree_ = nullptr;
  vanished_ = nullptr;
}

void TDirectoryTreeHandler::ItemExpanding(TObject*, TElTreeItem* item, bool&) {
  TElTreeItem* first = item->GetFirstChild();
  if (!first || !IsPlaceholder(first)) return;
  THourglass hourglass;
  first->Delete();
  ExpandFolderItem(tree_->Items(), item, settings_->ItemHook, true, settings_->FillHook);
}

void TDirectoryTreeHandler::ItemCollapsing(TObject*, TElTreeItem*, bool&) {}

void TDirectoryTreeHandler::ItemSelectedChange(TObject*, TElTreeItem* item) {
  if (!item) return;
  if (!item->Selected()) {
    if (KindOf(item) >= 0 && (KindOf(item) & 1)) item->SetImageIndex(KindOf(item) - 1);
    return;
  }
  THourglass hourglass;
  const AnsiString path = ItemPath(item);
  if (IsExistingFolder(path) || KeptWithoutFolder(KindOf(item))) {
    RefreshFolderItem(tree_->Items(), item, settings_->ItemHook, true, settings_->FillHook);
    if (KindOf(item) >= 0 && !(KindOf(item) & 1)) item->SetImageIndex(KindOf(item) + 1);
    FolderSelected(item, path);
  } else if (window_) {
    // The folder has gone: its item goes once this event has returned.
    vanished_ = item;
    PostMessageA(window_, kDeleteVanished, 0, 0);
  }
}

void TDirectoryTreeHandler::PendingMessage(TMessage& message) {
  if (message.Msg == kDeleteVanished) {
    DeleteVanished();
    return;
  }
  message.Result = DefWindowProcA(window_, message.Msg, message.WParam, message.LParam);
}

void TDirectoryTreeHandler::DeleteVanished() {
  TElTreeItem* item = vanished_;
  vanished_ = nullptr;
  // The deletion event forgets an item that went meanwhile.
  if (!item || !tree_ || IsExistingFolder(ItemPath(item))) return;
  if (TElTreeItem* first = tree_->Items()->GetFirstItem(); first && first != item) tree_->SetFocusedItem(first);
  item->Delete();
}

void TDirectoryTreeHandler::TreeDblClick(TObject*) {
  TElTreeItem* item = tree_ ? tree_->ItemFocused() : nullptr;
  if (!item) return;
  FolderOpened(item, ItemPath(item));
}

void TDirectoryTreeHandler::CompareFolderItems(TObject*, TElTreeItem* item1, TElTreeItem* item2, int& res) {
  res = CompareFolderTexts(item1, item2);
}

void TDirectoryTreeHandler::ItemDeletion(TObject*, TElTreeItem* item) {
  if (item == vanished_) vanished_ = nullptr;
  TElWideStrings* texts = item->ColumnText();
  if (!allocator_ || !texts || texts->Count() == 0) return;
  if (LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(texts->Objects(0))) {
    texts->SetObjects(0, nullptr);
    allocator_->Free(list);
  }
}

void TDirectoryTreeHandler::SelectStoredPath(const AnsiString& valueName, const AnsiString& defaultPath) {
  if (!tree_) return;
  AnsiString path = defaultPath;
  if (!valueName.empty()) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, GalleryRegistryKey + 1, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      char value[1024] = {};
      DWORD size = sizeof(value) - 1, type = 0;
      if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
              ERROR_SUCCESS &&
          type == REG_SZ)
        path.assign(value, strnlen(value, size));
      RegCloseKey(key);
    }
  }
  if (path.find("||") != AnsiString::npos) SelectByItemTexts(path);
  else if (!path.empty()) SelectByPath(path);
  if (!tree_->ItemFocused()) {
    if (TElTreeItem* first = tree_->Items()->GetFirstItem()) tree_->SetFocusedItem(first);
  }
}

TElTreeItem* TDirectoryTreeHandler::FindFolderItem(TElTreeItem* start, const AnsiString& path) {
  // Among the start item's children, the level just expanded, by the
  // stored parsing name.
  if (!start) return nullptr;
  for (int i = 0; i < start->ChildrenCount(); ++i) {
    TElTreeItem* child = start->GetChild(i);
    TElWideStrings* texts = child->ColumnText();
    if (!IsPlaceholder(child) && texts && texts->Count() > 0 &&
        SameTextIgnoringCase(WideToAnsi(texts->Strings(0)), path))
      return child;
  }
  return nullptr;
}

void TDirectoryTreeHandler::SelectByPath(const AnsiString& target) {
  TElTreeItems* items = tree_->Items();
  AnsiString path = target;
  AnsiString accumulated;
  TElTreeItem* current = nullptr;
  const AnsiString storage = StoragePath();
  if (!storage.empty() && path.compare(0, storage.size(), storage) == 0) {
    current = items->GetFirstItem();
    accumulated = storage;
    const AnsiString prefix = AddTrailingBackslash(storage);
    path = path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : AnsiString();
  } else {
    TElTreeItem* desktopItem = nullptr;
    for (TElTreeItem* root = items->GetFirstItem(); root; root = root->GetNextSibling())
      if (KindOf(root) == 2 || KindOf(root) == 3) {
        desktopItem = root;
        break;
      }
    if (!desktopItem) return;
    desktopItem->SetExpanded(true);
    TElTreeItem* computer = nullptr;
    for (int i = 0; i < desktopItem->ChildrenCount() && !computer; ++i) {
      TElTreeItem* child = desktopItem->GetChild(i);
      if (KindOf(child) == 6 || KindOf(child) == 7) computer = child;
    }
    if (!computer) return;
    computer->SetExpanded(true);
    current = computer;
  }
  path = AddTrailingBackslash(path);
  for (size_t slash; current && (slash = path.find('\\')) != AnsiString::npos;) {
    const AnsiString piece = path.substr(0, slash);
    accumulated = AddTrailingBackslash(accumulated) + piece;
    if (accumulated.size() == 2) accumulated += '\\';
    TElTreeItem* found = FindFolderItem(current, accumulated);
    if (!found) break;
    found->SetExpanded(true);
    path.erase(0, slash + 1);
    current = found;
  }
  if (current) {
    tree_->SetFocusedItem(current);
    current->MakeVisible();
  }
}

void TDirectoryTreeHandler::SelectByItemTexts(const AnsiString& path) {
  TElTreeItems* items = tree_->Items();
  TElTreeItem* current = nullptr;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find("||", start);
    const TElFString piece = AnsiToWide(path.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start));
    TElTreeItem* found = nullptr;
    if (!current) {
      for (TElTreeItem* root = items->GetFirstItem(); root && !found; root = root->GetNextSibling())
        if (root->Text() == piece) found = root;
    } else {
      current->SetExpanded(true);
      for (int i = 0; i < current->ChildrenCount() && !found; ++i)
        if (current->GetChild(i)->Text() == piece) found = current->GetChild(i);
    }
    if (!found) break;
    current = found;
    if (end == AnsiString::npos) break;
    start = end + 2;
  }
  if (current) {
    tree_->SetFocusedItem(current);
    current->MakeVisible();
  }
}
