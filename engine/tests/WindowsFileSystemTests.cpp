// Folder globals, the path helper, the item-ID-list helpers and the
// shortcut writer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EngineTestSeams.hpp"
#include "EngineTestSupport.hpp"
#include "SysUtils.hpp"
#include "lib_Files.hpp"
#include "FormatText.hpp"
#include "lib_WindowsFileSystem.hpp"

using namespace enginetest;

TEST(PathHelpers, TrailingBackslashIsAddedOnceAndNeverToAnEmptyPath) {
  EXPECT_EQ(AddTrailingBackslash(""), "");
  EXPECT_EQ(AddTrailingBackslash("C:"), "C:\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\Program Files\\Kestrum\\"), "C:\\Program Files\\Kestrum\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\Program Files"), "C:\\Program Files\\");
  // An empty folder makes appended names bare names.
  EXPECT_EQ(AddTrailingBackslash("") + "a.lnk", "a.lnk");
}

TEST(PathHelpers, FileFolderEndsAtTheLastBackslashOrColon) {
  EXPECT_EQ(ExtractFileFolder("C:\\dir\\sub\\install.exe"), "C:\\dir\\sub\\");
  EXPECT_EQ(ExtractFileFolder("C:install.exe"), "C:");
  EXPECT_EQ(ExtractFileFolder("install.exe"), "");
  EXPECT_EQ(ExtractFileFolder("C:\\dir\\"), "C:\\dir\\");
}

TEST(PathHelpers, FormatTextFillsTheFolderIntoTheText) {
  EXPECT_EQ(FormatText(Ansi("Папка: %s."), {AnsiString("C:\\Program Files")}), Ansi("Папка: C:\\Program Files."));
  EXPECT_EQ(FormatText("%d-%d", {1, 24}), "1-24");
}

TEST(FolderGlobals, HoldWhatTheQueriesAnswer) {
  ASSERT_FALSE(WindowsFolder.empty());
  EXPECT_EQ(WindowsFolder, GetWindowsPath());
  // "C:" form: a drive and a colon, no backslash.
  ASSERT_EQ(SystemDrivePath.size(), 2u);
  EXPECT_EQ(SystemDrivePath[1], ':');
  EXPECT_EQ(SystemDrivePath, GetSystemDrive());
  char desktop[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  EXPECT_EQ(DesktopFolder, desktop);
  char personal[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, personal, CSIDL_PERSONAL, FALSE));
  // Wine's item-ID-list path of Documents may carry a trailing backslash.
  EXPECT_EQ(ExcludeTrailingBackslash(PersonalFolder), ExcludeTrailingBackslash(personal));
}

class ProgramFilesValue : public ::testing::Test {
 protected:
  static constexpr const char* Key = "Software\\Microsoft\\Windows\\CurrentVersion";
  void SetUp() override { saved_ = RegistryBytes(HKEY_CURRENT_USER, Key, "ProgramFilesDir", hadValue_); }
  void TearDown() override {
    if (hadValue_)
      SetRegistryString(HKEY_CURRENT_USER, Key, "ProgramFilesDir", saved_);
    else
      DeleteRegistryValue(HKEY_CURRENT_USER, Key, "ProgramFilesDir");
  }
  bool hadValue_ = false;
  std::string saved_;
};

TEST_F(ProgramFilesValue, WithoutTheUserValueIsTheSystemDrivesProgramFiles) {
  DeleteRegistryValue(HKEY_CURRENT_USER, Key, "ProgramFilesDir");
  EXPECT_EQ(GetProgramFilesPath(), SystemDrivePath + "\\Program Files");
}

TEST_F(ProgramFilesValue, TheUnitStartSetsEachGlobalBeforeTheOnesThatReadIt) {
  // Without the environment value and the registry value, the system drive
  // comes from the Windows folder and Program Files from the system drive.
  // Stale values stand in the globals: a query that ran before the one it
  // depends on would read them.
  char savedDrive[64] = {};
  const bool hadDrive = GetEnvironmentVariableA("SystemDrive", savedDrive, sizeof(savedDrive)) != 0;
  SetEnvironmentVariableA("SystemDrive", nullptr);
  DeleteRegistryValue(HKEY_CURRENT_USER, Key, "ProgramFilesDir");
  const AnsiString windows = GetWindowsPath();
  WindowsFolder = "Q:\\Stale";
  SystemDrivePath = "R:";
  lib_WindowsFileSystemUnit.Initialization();
  const AnsiString drive = SystemDrivePath, programFiles = ProgramFilesFolder;
  SetEnvironmentVariableA("SystemDrive", hadDrive ? savedDrive : nullptr);
  lib_WindowsFileSystemUnit.Initialization();
  EXPECT_EQ(drive, ExtractFileDrive(windows));
  EXPECT_EQ(programFiles, ExtractFileDrive(windows) + "\\Program Files");
}

TEST_F(ProgramFilesValue, TheUserValueWinsWhenPresent) {
  const AnsiString value = Ansi("D:\\Программы");
  SetRegistryString(HKEY_CURRENT_USER, Key, "ProgramFilesDir", value);
  EXPECT_EQ(GetProgramFilesPath(), value);
}

TEST(FolderQueries, UnknownEnvironmentValueAndFolderAreEmpty) {
  EXPECT_EQ(GetEnvironmentValue("ENGINE_TEST_NO_SUCH_VARIABLE"), "");
  SetEnvironmentVariableA("ENGINE_TEST_VARIABLE", Ansi("значение").c_str());
  EXPECT_EQ(GetEnvironmentValue("ENGINE_TEST_VARIABLE"), Ansi("значение"));
  // A value that does not fit the query's buffer counts as absent.
  SetEnvironmentVariableA("ENGINE_TEST_VARIABLE", std::string(3000, 'x').c_str());
  EXPECT_EQ(GetEnvironmentValue("ENGINE_TEST_VARIABLE"), "");
  SetEnvironmentVariableA("ENGINE_TEST_VARIABLE", nullptr);
  EXPECT_EQ(GetSpecialFolderPath(0x7F), "");
}

TEST(FolderQueries, UnresolvableDesktopGivesBareShortcutNames) {
  EngineTestSeams::GetSpecialFolderLocationProc = [](HWND, int, LPITEMIDLIST* list) WINAPI -> HRESULT {
    *list = nullptr;
    return E_FAIL;
  };
  AnsiString desktop = GetDesktopFolderPath();
  EngineTestSeams::GetSpecialFolderLocationProc = nullptr;
  EXPECT_EQ(desktop, "");
  EXPECT_EQ(AddTrailingBackslash(desktop) + "x.lnk", "x.lnk");
  EXPECT_FALSE(GetDesktopFolderPath().empty());
}

// ---- Item-ID lists ----------------------------------------------------------

namespace {

// Builds an item-ID list from item payloads; each item gets its 2-byte count.
std::vector<BYTE> MakeList(const std::vector<std::string>& items) {
  std::vector<BYTE> bytes;
  for (const auto& item : items) {
    USHORT cb = USHORT(item.size() + 2);
    bytes.push_back(BYTE(cb & 0xFF));
    bytes.push_back(BYTE(cb >> 8));
    bytes.insert(bytes.end(), item.begin(), item.end());
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

LPITEMIDLIST AsList(std::vector<BYTE>& bytes) { return reinterpret_cast<LPITEMIDLIST>(bytes.data()); }

void FreeList(LPITEMIDLIST list) {
  IMalloc* malloc = nullptr;
  SHGetMalloc(&malloc);
  malloc->Free(list);
  malloc->Release();
}

}  // namespace

TEST(PidlHelpers, SizeCountsItemsAndTheTerminator) {
  EXPECT_EQ(PidlSize(nullptr), 0u);
  auto empty = MakeList({});
  EXPECT_EQ(PidlSize(AsList(empty)), 2u);
  auto list = MakeList({"abc", "de", "f"});
  EXPECT_EQ(PidlSize(AsList(list)), list.size());
}

TEST(PidlHelpers, NextAndLastWalkTheItems) {
  auto list = MakeList({"abc", "de", "f"});
  LPITEMIDLIST first = AsList(list);
  LPITEMIDLIST second = NextPidlItem(first);
  EXPECT_EQ(reinterpret_cast<BYTE*>(second) - list.data(), 5);
  EXPECT_EQ(reinterpret_cast<BYTE*>(LastPidlItem(first)) - list.data(), 9);
  EXPECT_EQ(LastPidlItem(nullptr), nullptr);
  auto empty = MakeList({});
  EXPECT_EQ(LastPidlItem(AsList(empty)), AsList(empty));
}

TEST(PidlHelpers, ConcatenationJoinsItemsAndKeepsOneTerminator) {
  auto first = MakeList({"abc", "de"});
  auto second = MakeList({"xyz"});
  LPITEMIDLIST joined = ConcatPidls(AsList(first), AsList(second));
  ASSERT_NE(joined, nullptr);
  auto expected = MakeList({"abc", "de", "xyz"});
  ASSERT_EQ(PidlSize(joined), expected.size());
  EXPECT_EQ(std::memcmp(joined, expected.data(), expected.size()), 0);
  FreeList(joined);

  LPITEMIDLIST copy = ConcatPidls(nullptr, AsList(second));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, AsList(second));
  EXPECT_EQ(std::memcmp(copy, second.data(), second.size()), 0);
  FreeList(copy);
}

TEST(PidlHelpers, ConcatenationAlwaysAllocatesTheTerminator) {
  auto list = MakeList({"abc", "de"});
  auto empty = MakeList({});
  // Every combination with a nil or empty list: the result is the other
  // list whole, in memory that holds its terminator too.
  const struct {
    LPCITEMIDLIST first, second;
    const std::vector<BYTE>* expected;
  } cases[] = {{AsList(list), nullptr, &list},        {AsList(list), AsList(empty), &list},
               {nullptr, AsList(list), &list},        {AsList(empty), AsList(list), &list},
               {nullptr, nullptr, &empty},            {AsList(empty), AsList(empty), &empty},
               {AsList(empty), nullptr, &empty}};
  IMalloc* malloc = nullptr;
  ASSERT_HRESULT_SUCCEEDED(SHGetMalloc(&malloc));
  for (const auto& c : cases) {
    LPITEMIDLIST joined = ConcatPidls(c.first, c.second);
    ASSERT_NE(joined, nullptr);
    EXPECT_GE(malloc->GetSize(joined), c.expected->size());
    EXPECT_EQ(PidlSize(joined), c.expected->size());
    EXPECT_EQ(std::memcmp(joined, c.expected->data(), c.expected->size()), 0);
    FreeList(joined);
  }
  malloc->Release();
}

TEST(PidlHelpers, ZeroedAllocationIsZero) {
  LPITEMIDLIST list = AllocZeroedPidl(64);
  ASSERT_NE(list, nullptr);
  auto bytes = reinterpret_cast<const BYTE*>(list);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(bytes[i], 0) << i;
  FreeList(list);
}

namespace {

// A shell folder that answers display names and attributes as a test
// scripts them.
class TScriptedFolder : public IShellFolder {
 public:
  STRRET Name{};
  HRESULT AttributesResult = S_OK;
  SFGAOF AttributesOut = 0;
  bool LeaveMaskUnchanged = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF* inOut) override {
    if (!LeaveMaskUnchanged) *inOut = AttributesOut;
    return AttributesResult;
  }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF flags, STRRET* name) override {
    LastFlags = flags;
    *name = Name;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override {
    return E_NOTIMPL;
  }
  SHGDNF LastFlags = 0;
};

}  // namespace

TEST(PidlHelpers, DisplayNameIsReadFromEveryStrretKind) {
  TScriptedFolder folder;
  auto item = MakeList({"..Name inside"});
  LPITEMIDLIST list = AsList(item);

  folder.Name.uType = STRRET_CSTR;
  std::strcpy(folder.Name.cStr, Ansi("Мои документы").c_str());
  EXPECT_EQ(GetItemDisplayName(&folder, list, false), Ansi("Мои документы"));
  EXPECT_EQ(folder.LastFlags, SHGDNF(SHGDN_NORMAL));

  folder.Name.uType = STRRET_OFFSET;
  folder.Name.uOffset = 4;
  EXPECT_EQ(GetItemDisplayName(&folder, list, true), "Name inside");
  EXPECT_EQ(folder.LastFlags, SHGDNF(SHGDN_FORPARSING));

  folder.Name.uType = STRRET_WSTR;
  const wchar_t* wide = L"Рабочий стол";
  folder.Name.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((wcslen(wide) + 1) * sizeof(wchar_t)));
  wcscpy(folder.Name.pOleStr, wide);
  EXPECT_EQ(GetItemDisplayName(&folder, list, false), Ansi("Рабочий стол"));

  folder.Name.uType = 7;
  EXPECT_EQ(GetItemDisplayName(&folder, list, false), "");
}

TEST(PidlHelpers, AttributeTestsAnswerFalseWhenTheCallFails) {
  TScriptedFolder folder;
  auto item = MakeList({"x"});
  PCUITEMID_CHILD child = AsList(item);

  folder.AttributesOut = SFGAO_FILESYSTEM;
  EXPECT_TRUE(IsFileSystemItem(&folder, child));
  folder.AttributesOut = SFGAO_FILESYSANCESTOR;
  EXPECT_TRUE(IsFileSystemItem(&folder, child));
  folder.AttributesOut = SFGAO_FOLDER;
  EXPECT_FALSE(IsFileSystemItem(&folder, child));
  folder.AttributesOut = SFGAO_HASSUBFOLDER;
  EXPECT_TRUE(HasSubFolders(&folder, child));
  folder.AttributesOut = 0;
  EXPECT_FALSE(HasSubFolders(&folder, child));

  // A failing call that leaves the in/out mask as it was must not read as
  // every asked-for bit being set.
  folder.LeaveMaskUnchanged = true;
  folder.AttributesResult = E_FAIL;
  EXPECT_FALSE(IsFileSystemItem(&folder, child));
  EXPECT_FALSE(HasSubFolders(&folder, child));
}

TEST(PidlHelpers, RealFolderItemsOfTheDesktop) {
  IShellFolder* desktop = nullptr;
  ASSERT_HRESULT_SUCCEEDED(SHGetDesktopFolder(&desktop));
  std::wstring path = AnsiToWide(WindowsFolder);
  LPITEMIDLIST list = nullptr;
  ASSERT_HRESULT_SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, path.data(), nullptr, &list, nullptr));
  EXPECT_TRUE(AnsiSameText(GetItemDisplayName(desktop, list, true), WindowsFolder));
  EXPECT_TRUE(IsFileSystemItem(desktop, list));
  EXPECT_TRUE(HasSubFolders(desktop, list));
  // The last item of a full list is the folder's own item.
  EXPECT_GT(PidlSize(list), PidlSize(LastPidlItem(list)));
  FreeList(list);
  desktop->Release();
}

// ---- Shortcut writer ----------------------------------------------------------

TEST(ShortcutWriter, WritesTargetDescriptionAndNothingElse) {
  TScratchFolder folder("links");
  const AnsiString target = folder / Ansi("Лумбрикс\\kv4.exe");
  CreateDirectoryA((folder / Ansi("Лумбрикс")).c_str(), nullptr);
  WriteFile(target, "MZ");
  const AnsiString link = folder / Ansi("Лумбрикс 2008.lnk");
  CreateShortcut(target, link, Ansi("Лумбрикс 2008 - конструктор сайтов"), "", "");
  TShortcut read = ReadShortcut(link);
  ASSERT_TRUE(read.Loaded);
  EXPECT_EQ(read.Path, target);
  EXPECT_EQ(read.Description, Ansi("Лумбрикс 2008 - конструктор сайтов"));
  EXPECT_EQ(read.Arguments, "");
  EXPECT_EQ(read.WorkingFolder, "");
  EXPECT_EQ(read.IconFile, "");

  const AnsiString withIcon = folder / "icon.lnk";
  CreateShortcut(target, withIcon, "", "/x \"y\"", folder / "qzarc.ico");
  read = ReadShortcut(withIcon);
  ASSERT_TRUE(read.Loaded);
  EXPECT_EQ(read.Arguments, "/x \"y\"");
  EXPECT_EQ(read.IconFile, folder / "qzarc.ico");
}
