// The folder-tree kit on a tree without a window, over fixture folders under
// C:\ in the test run's prefix: the orders of the desktop and computer
// levels, exact expand buttons, refreshes that keep items, a vanished folder,
// a listing that fails, and every item-ID list freed exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ComObj.hpp"
#include "ElHook.hpp"
#include "ElScrollBar.hpp"
#include "ElTools.hpp"
#include "ElTree.hpp"
#include "ElUxTheme.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"
#include "SBRegister.hpp"
#include "kv01_0_03_10__CommonHandler.hpp"
#include "kv01_0_03_5__TreeDrawHandler.hpp"
#include "kv01_0_03_6__DirectoryTreeHandler.hpp"
#include "kv01_0_03_7__FillDirectoryTree.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"
#include "pngimage.hpp"

namespace {

class KitUnits : public ::testing::Environment {
 public:
  void SetUp() override {
    InitializeUnits({&SysUtilsUnit, &ComObjUnit, &FormsUnit, &lib_WindowsOSUnit, &lib_WindowsFileSystemUnit,
                     &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit, &ElScrollBarUnit, &ElTreeUnit, &pngimageUnit,
                     &SBResourceStorageUnit, &SBControlsUnit, &kv01_0_03_7__FillDirectoryTreeUnit});
  }
  void TearDown() override { FinalizeUnits(); }
};
[[maybe_unused]] ::testing::Environment* const kUnits = ::testing::AddGlobalTestEnvironment(new KitUnits);

const std::wstring kRoot = L"C:\\FolderTreeFixture";

void MakeFolder(const std::wstring& path) { ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << WideToAnsi(path); }

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + L"\\" + name);
      else DeleteFileW((path + L"\\" + name).c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

// The shell's allocator, with every Free counted by pointer.
class TCountingAllocator : public IMalloc {
 public:
  std::map<void*, int> Freed;
  IMalloc* Real = nullptr;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IMalloc) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return Real->Alloc(size); }
  void* STDMETHODCALLTYPE Realloc(void* p, SIZE_T size) override { return Real->Realloc(p, size); }
  void STDMETHODCALLTYPE Free(void* p) override {
    if (p) ++Freed[p];
    Real->Free(p);
  }
  SIZE_T STDMETHODCALLTYPE GetSize(void* p) override { return Real->GetSize(p); }
  int STDMETHODCALLTYPE DidAlloc(void* p) override { return Real->DidAlloc(p); }
  void STDMETHODCALLTYPE HeapMinimize() override { Real->HeapMinimize(); }
};
TCountingAllocator counting;
HRESULT CountingAllocator(IMalloc** out) {
  *out = &counting;
  return S_OK;
}

// A listing that fails for folders whose path ends in "Locked".
HRESULT LockedListing(IShellFolder* folder, HWND owner, IEnumIDList** list) {
  std::string path;
  IPersistFolder2* persist = nullptr;
  if (SUCCEEDED(folder->QueryInterface(IID_IPersistFolder2, reinterpret_cast<void**>(&persist)))) {
    LPITEMIDLIST pidl = nullptr;
    char buffer[MAX_PATH + 1] = {};
    if (SUCCEEDED(persist->GetCurFolder(&pidl)) && pidl) {
      SHGetPathFromIDListA(pidl, buffer);
      CoTaskMemFree(pidl);
    }
    persist->Release();
    path = buffer;
  }
  if (path.size() >= 6 && path.compare(path.size() - 6, 6, "Locked") == 0) {
    *list = nullptr;
    return E_ACCESSDENIED;
  }
  return folder->EnumObjects(owner, SHCONTF_FOLDERS, list);
}

std::string Path(TElTreeItem* item) {
  TElWideStrings* texts = item->ColumnText();
  return texts && texts->Count() ? WideToAnsi(texts->Strings(0)) : std::string();
}

TElTreeItem* Child(TElTreeItem* parent, const std::wstring& path) {
  for (int i = 0; i < parent->ChildrenCount(); ++i)
    if (_wcsicmp(parent->GetChild(i)->ColumnText()->Count() ? parent->GetChild(i)->ColumnText()->Strings(0).c_str()
                                                             : L"",
                 path.c_str()) == 0)
      return parent->GetChild(i);
  return nullptr;
}

std::vector<TElTreeItem*> Children(TElTreeItem* parent) {
  std::vector<TElTreeItem*> out;
  for (int i = 0; i < parent->ChildrenCount(); ++i) out.push_back(parent->GetChild(i));
  return out;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class FolderTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RemoveTree(kRoot);
    MakeFolder(kRoot);
    for (const wchar_t* name : {L"alpha", L"Beta", L"\u041C\u043E\u0438 \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B",
                                L"\u044F\u0431\u043B\u043E\u043A\u043E", L"ZETA", L"OnlyFiles", L"Nested", L"Many",
                                L"Locked"})
      MakeFolder(kRoot + L"\\" + name);
    MakeFolder(kRoot + L"\\" + std::wstring(180, L'L') + L"ong");
    HANDLE file = CreateFileW((kRoot + L"\\OnlyFiles\\readme.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                              nullptr);
    CloseHandle(file);
    MakeFolder(kRoot + L"\\Nested\\Inner");
    MakeFolder(kRoot + L"\\Nested\\Inner\\Deep");
    MakeFolder(kRoot + L"\\Locked\\Inside");
    MakeFolder(kRoot + L"\\\u044F\u0431\u043B\u043E\u043A\u043E\\\u0441\u0435\u043C\u044F");
    for (int i = 0; i < 300; ++i) MakeFolder(kRoot + L"\\Many\\" + std::to_wstring(1000 + i));
  }
  static void TearDownTestSuite() { RemoveTree(kRoot); }

  void SetUp() override {
    counting.Real = nullptr;
    ASSERT_HRESULT_SUCCEEDED(SHGetMalloc(&counting.Real));
    counting.Freed.clear();
    systemAllocator = foldertree_seams::GetAllocator;
    systemListing = foldertree_seams::ListFolders;
    foldertree_seams::GetAllocator = &CountingAllocator;
    foldertree_seams::ListFolders = &LockedListing;
    tree = TObject::Create<TElTree>(nullptr);
    tree->SetSortType(stCustom);  // as the folder page's form sets it
    handler = new TDirectoryTreeHandler(TFolderItemEvent(this, &FolderTree::Selected), nullptr);
    settings = new TCustomizeFunctions(nullptr);
    handler->Attach(tree, settings);
    FillDirectoryTree(tree, DesktopFolder, nullptr);
    desktop = tree->Items()->GetFirstItem();
  }
  void TearDown() override {
    delete handler;
    tree->Free();
    delete settings;
    foldertree_seams::GetAllocator = systemAllocator;
    foldertree_seams::ListFolders = systemListing;
    counting.Real->Release();
  }
  void Selected(TElTreeItem* item, const AnsiString& path) {
    selections.push_back(path);
    EXPECT_TRUE(item->Selected());
  }
  void Select(TElTreeItem* item) {
    if (selected) selected->SetSelected(false);
    selected = item;
    item->SetSelected(true);
  }
  // The fixture's item: desktop, computer, C:\, the fixture folder.
  TElTreeItem* FixtureItem() {
    Select(desktop);
    TElTreeItem* computer = desktop->GetFirstChild();
    computer->SetExpanded(true);
    TElTreeItem* drive = Child(computer, L"C:\\");
    if (!drive) return nullptr;
    drive->SetExpanded(true);
    TElTreeItem* root = Child(drive, kRoot);
    if (root) Select(root);
    return root;
  }

  foldertree_seams::TGetAllocator systemAllocator = nullptr;
  foldertree_seams::TListFolders systemListing = nullptr;
  TElTree* tree = nullptr;
  TDirectoryTreeHandler* handler = nullptr;
  TCustomizeFunctions* settings = nullptr;
  TElTreeItem* desktop = nullptr;
  TElTreeItem* selected = nullptr;
  std::vector<AnsiString> selections;
};

TEST_F(FolderTree, DesktopAndComputerLevelsComeInTheirOrders) {
  ASSERT_EQ(desktop->ImageIndex(), fkDesktop);
  EXPECT_EQ(desktop->ChildrenCount(), 0);  // nothing listed before the selection
  Select(desktop);
  ASSERT_EQ(selections.size(), 1u);
  EXPECT_EQ(selections[0], DesktopFolder);
  EXPECT_EQ(desktop->ImageIndex(), fkDesktop + 1);
  const std::vector<TElTreeItem*> level = Children(desktop);
  ASSERT_GE(level.size(), 2u);
  EXPECT_EQ(level[0]->ImageIndex(), fkComputer);
  EXPECT_EQ(level[1]->ImageIndex(), fkPersonal);
  size_t rest = 2;
  if (rest < level.size() && level[rest]->ImageIndex() == fkNetwork) ++rest;
  for (size_t i = rest; i + 1 < level.size(); ++i)
    EXPECT_LE(CompareFolderTexts(level[i], level[i + 1]), 0) << i;
  // The computer: the drives from a to z, then the rest.
  TElTreeItem* computer = level[0];
  computer->SetExpanded(true);
  std::vector<std::string> drives;
  bool pastDrives = false;
  for (TElTreeItem* item : Children(computer)) {
    const std::string path = Path(item);
    const bool drive = path.size() == 3 && path[1] == ':' && path[2] == '\\';
    EXPECT_FALSE(drive && pastDrives) << path;
    if (drive) drives.push_back(path);
    pastDrives = pastDrives || !drive;
  }
  ASSERT_GE(drives.size(), 2u);  // C: and Z: in the test prefix
  for (size_t i = 0; i + 1 < drives.size(); ++i) EXPECT_LT(AnsiCompareText(drives[i], drives[i + 1]), 0);
  TElTreeItem* c = Child(computer, L"C:\\");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->ImageIndex(), fkFixed);
  // Selecting the computer reports no path.
  Select(computer);
  EXPECT_EQ(selections.back(), "");
}

TEST_F(FolderTree, ExpandButtonsAreExactAndTheFolderOrderIgnoresCase) {
  TElTreeItem* root = FixtureItem();
  ASSERT_TRUE(root);
  std::vector<std::string> names;
  for (TElTreeItem* item : Children(root)) names.push_back(WideToAnsi(item->Text()));
  const std::vector<std::string> expected = {
      "alpha", "Beta", std::string(180, 'L') + "ong", "Locked", "Many", "Nested", "OnlyFiles", "ZETA",
      "\xCC\xEE\xE8 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB", "\xFF\xE1\xEB\xEE\xEA\xEE"};
  EXPECT_EQ(names, expected);
  // The look-ahead listed each child: real sub-folders, no placeholders.
  EXPECT_EQ(Child(root, kRoot + L"\\OnlyFiles")->ChildrenCount(), 0);
  EXPECT_EQ(Child(root, kRoot + L"\\alpha")->ChildrenCount(), 0);
  TElTreeItem* nested = Child(root, kRoot + L"\\Nested");
  ASSERT_EQ(nested->ChildrenCount(), 1);
  EXPECT_EQ(Path(nested->GetChild(0)), WideToAnsi(kRoot) + "\\Nested\\Inner");
  // One level ahead only: Inner's own sub-folder is still a placeholder.
  ASSERT_EQ(nested->GetChild(0)->ChildrenCount(), 1);
  EXPECT_TRUE(IsPlaceholder(nested->GetChild(0)->GetFirstChild()));
  TElTreeItem* many = Child(root, kRoot + L"\\Many");
  ASSERT_EQ(many->ChildrenCount(), 300);
  EXPECT_EQ(Path(many->GetChild(299)), WideToAnsi(kRoot) + "\\Many\\1299");
  EXPECT_EQ(root->ImageIndex(), fkOther + 1);
}

// An item hook that deletes a later sibling while the look-ahead walks the
// level: the walk skips the deleted item, never lists below it.
TEST_F(FolderTree, TheLookAheadSkipsAChildDeletedDuringTheWalk) {
  struct THook {
    std::vector<std::wstring> Seen;
    TElTreeItem* Deleted = nullptr;
    bool FilledDeleted = false;
    void Item(int, TElTreeItem* item) {
      Seen.push_back(item->Text());
      if (item->Text() != L"Inner") return;
      TElTreeItem* root = item->Parent()->Parent();
      for (int i = 0; i < root->ChildrenCount(); ++i)
        if (root->GetChild(i)->Text() == L"\u044F\u0431\u043B\u043E\u043A\u043E") {
          Deleted = root->GetChild(i);
          Deleted->Delete();
        }
    }
    void Filled(TElTreeItem* item, int) { FilledDeleted = FilledDeleted || item == Deleted; }
  } hook;
  settings->ItemHook = TFolderItemHook(&hook, &THook::Item);
  settings->FillHook = TFolderFillHook(&hook, &THook::Filled);
  TElTreeItem* root = FixtureItem();
  ASSERT_TRUE(root);
  EXPECT_NE(std::find(hook.Seen.begin(), hook.Seen.end(), L"Inner"), hook.Seen.end());
  EXPECT_EQ(std::find(hook.Seen.begin(), hook.Seen.end(), L"\u0441\u0435\u043C\u044F"), hook.Seen.end());
  EXPECT_FALSE(hook.FilledDeleted);
  EXPECT_EQ(Child(root, kRoot + L"\\\u044F\u0431\u043B\u043E\u043A\u043E"), nullptr);
  settings->ItemHook = nullptr;
  settings->FillHook = nullptr;
}

TEST_F(FolderTree, ARefreshKeepsItemsAndAVanishedFolderGoesAfterItsEvent) {
  TElTreeItem* root = FixtureItem();
  ASSERT_TRUE(root);
  const std::vector<TElTreeItem*> before = Children(root);
  MakeFolder(kRoot + L"\\Added");
  ASSERT_TRUE(RemoveDirectoryW((kRoot + L"\\alpha").c_str()));
  Select(desktop);
  Select(root);  // a refresh
  const std::vector<TElTreeItem*> after = Children(root);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(Path(after[0]), WideToAnsi(kRoot) + "\\Added");
  for (size_t i = 1; i < before.size(); ++i) EXPECT_EQ(after[i], before[i]) << i;  // the same objects
  // Selecting a folder gone from disk: the item stays through the event and
  // goes after it, the first item focused.
  TElTreeItem* beta = Child(root, kRoot + L"\\Beta");
  ASSERT_TRUE(RemoveDirectoryW((kRoot + L"\\Beta").c_str()));
  const size_t reported = selections.size();
  Select(beta);
  EXPECT_EQ(Child(root, kRoot + L"\\Beta"), beta);
  EXPECT_EQ(selections.size(), reported);
  selected = nullptr;
  Pump();
  EXPECT_EQ(Child(root, kRoot + L"\\Beta"), nullptr);
  EXPECT_EQ(tree->ItemFocused(), desktop);
  // A folder that is back before the deletion runs keeps its item.
  TElTreeItem* zeta = Child(root, kRoot + L"\\ZETA");
  ASSERT_TRUE(RemoveDirectoryW((kRoot + L"\\ZETA").c_str()));
  Select(zeta);
  MakeFolder(kRoot + L"\\ZETA");
  Pump();
  EXPECT_EQ(Child(root, kRoot + L"\\ZETA"), zeta);
  MakeFolder(kRoot + L"\\alpha");
  MakeFolder(kRoot + L"\\Beta");
  RemoveDirectoryW((kRoot + L"\\Added").c_str());
}

TEST_F(FolderTree, AFolderThatCannotBeListedKeepsItsItem) {
  TElTreeItem* root = FixtureItem();
  ASSERT_TRUE(root);
  TElTreeItem* locked = Child(root, kRoot + L"\\Locked");
  ASSERT_TRUE(locked);
  // Its look-ahead listing failed: the placeholder went, nothing came.
  EXPECT_EQ(locked->ChildrenCount(), 0);
  for (int i = 0; i < 2; ++i) {
    Select(locked);
    EXPECT_EQ(Child(root, kRoot + L"\\Locked"), locked);
    EXPECT_FALSE(RefreshFolderItem(tree->Items(), locked, nullptr, true, nullptr));
    Select(root);
  }
  Pump();
  EXPECT_EQ(Child(root, kRoot + L"\\Locked"), locked);
}

TEST_F(FolderTree, EveryItemIdListIsFreedOnce) {
  TElTreeItem* root = FixtureItem();
  ASSERT_TRUE(root);
  Child(root, kRoot + L"\\Many")->SetExpanded(true);
  std::vector<void*> stored;
  tree->Items()->Iterate(false, true, [&](TElTreeItem* item, int, bool&, void*, TCustomElTree*) {
    if (LPITEMIDLIST list = ItemPidl(item)) stored.push_back(list);
  }, nullptr);
  ASSERT_GT(stored.size(), 300u);
  // Heap blocks are reused: only the frees from here on are counted.
  counting.Freed.clear();
  handler->Detach();
  EXPECT_EQ(tree->Items()->Count(), 0);
  for (void* list : stored) EXPECT_EQ(counting.Freed[list], 1);
  for (const auto& [pointer, times] : counting.Freed) EXPECT_EQ(times, 1) << pointer;
}

TEST_F(FolderTree, AStoredPathIsWalkedToOnceTheDesktopLevelIsFilled) {
  const std::wstring inner = kRoot + L"\\Nested\\Inner";
  // A fresh tree: the desktop level is not filled, the walk ends at once
  // and the first item, the desktop, is focused.
  handler->SelectStoredPath("", WideToAnsi(inner));
  EXPECT_EQ(tree->ItemFocused(), desktop);
  Select(desktop);
  handler->SelectStoredPath("", WideToAnsi(inner));
  ASSERT_TRUE(tree->ItemFocused());
  EXPECT_EQ(Path(tree->ItemFocused()), WideToAnsi(inner));
  // A lower-case path finds the same items; a missing piece stops at the
  // last folder found.
  handler->SelectStoredPath("", WideToAnsi(kRoot) + "\\nested\\missing\\inner");
  EXPECT_EQ(Path(tree->ItemFocused()), WideToAnsi(kRoot) + "\\Nested");
  // The value named in the kit's key, with the default when it is absent.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kestrum\\Lumbrix 2008\\Gallery", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string many = WideToAnsi(kRoot) + "\\Many";
  RegSetValueExA(key, "Last", 0, REG_SZ, reinterpret_cast<const BYTE*>(many.c_str()), DWORD(many.size() + 1));
  handler->SelectStoredPath("Last", WideToAnsi(inner));
  EXPECT_EQ(Path(tree->ItemFocused()), many);
  handler->SelectStoredPath("Absent", WideToAnsi(inner));
  EXPECT_EQ(Path(tree->ItemFocused()), WideToAnsi(inner));
  RegDeleteValueA(key, "Last");
  RegCloseKey(key);
  // Item texts joined by "||", each searched below the one before.
  TElTreeItem* computer = desktop->GetFirstChild();
  handler->SelectStoredPath("", WideToAnsi(desktop->Text()) + "||" + WideToAnsi(computer->Text()));
  EXPECT_EQ(tree->ItemFocused(), computer);
}

// A tree freed before its common handler: the handler is detached first,
// every list freed, and the handler ends without touching the tree.
TEST(CommonHandler, ATreeGoingFirstTakesItsHandlerAlong) {
  counting.Real = nullptr;
  ASSERT_HRESULT_SUCCEEDED(SHGetMalloc(&counting.Real));
  counting.Freed.clear();
  const foldertree_seams::TGetAllocator systemAllocator = foldertree_seams::GetAllocator;
  foldertree_seams::GetAllocator = &CountingAllocator;
  auto* common = new TCommonHandler(nullptr);
  auto* tree = TObject::Create<TElTree>(nullptr);
  tree->SetSortType(stCustom);
  common->AddTree(tree, nullptr);
  FillDirectoryTree(tree, DesktopFolder, nullptr);
  std::vector<AnsiString> paths;
  struct TSink {
    std::vector<AnsiString>* Paths;
    void Selected(const AnsiString& path) { Paths->push_back(path); }
  } sink{&paths};
  common->OnFolderSelected = TFolderPathEvent(&sink, &TSink::Selected);
  tree->Items()->GetFirstItem()->SetSelected(true);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0], DesktopFolder);
  std::vector<void*> stored;
  tree->Items()->Iterate(false, true, [&](TElTreeItem* item, int, bool&, void*, TCustomElTree*) {
    if (LPITEMIDLIST list = ItemPidl(item)) stored.push_back(list);
  }, nullptr);
  ASSERT_FALSE(stored.empty());
  counting.Freed.clear();
  tree->Free();
  EXPECT_EQ(common->TreeCount(), 0);
  for (void* list : stored) EXPECT_EQ(counting.Freed[list], 1);
  for (const auto& [pointer, times] : counting.Freed) EXPECT_EQ(times, 1) << pointer;
  delete common;
  foldertree_seams::GetAllocator = systemAllocator;
  counting.Real->Release();
}

}  // namespace
