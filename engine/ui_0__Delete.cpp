#include "ui_0__Delete.hpp"

#include "EngineStrings.h"
#include "Registry.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"

std::int32_t RemovalMode = 0;
TCreatedPaths InstallCreatedPaths;

namespace {

const char* const MenuProductSubfolder = "Kestrum\\Lumbrix 2008\\";
const char* const ProductKey = "\\Software\\Kestrum\\Lumbrix 2008";
const char* const MakerKey = "\\Software\\Kestrum";
const char* const UninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbrix 2008";

// A find handle that closes itself.
class TFindHandle {
 public:
  TFindHandle(const AnsiString& pattern, WIN32_FIND_DATAA& data)
      : handle_(FindFirstFileA(pattern.c_str(), &data)) {}
  ~TFindHandle() {
    if (Valid()) FindClose(handle_);
  }
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA& data) { return FindNextFileA(handle_, &data) != 0; }

 private:
  HANDLE handle_;
};

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// A folder that is a junction or link is never entered: its contents belong
// to wherever it points.
bool IsRealFolder(const AnsiString& folder) {
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !IsLink(attributes);
}

AnsiString ProgramsFolder() {
  return GetSpecialFolderPath(IsWin9x() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
}

// Removes the recorded paths, newest first, so that files go before the
// folders that hold them. A folder goes only when it is empty by then.
void RemoveCreatedPaths(const AnsiString& folder) {
  const AnsiString base = AddTrailingBackslash(folder);
  for (auto it = InstallCreatedPaths.rbegin(); it != InstallCreatedPaths.rend(); ++it) {
    if (it->compare(0, base.size(), base) != 0) continue;
    DWORD attributes = GetFileAttributesA(it->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!IsLink(attributes) && IsFolderEmpty(*it)) RemoveDirectoryA(it->c_str());
    } else {
      DeleteFileForced(*it);
    }
  }
  InstallCreatedPaths.clear();
}

template <class Step>
void Guarded(Step step) {
  try {
    step();
  } catch (const Exception&) {
  }
}

}  // namespace

void DeleteFileForced(const AnsiString& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  SetFileAttributesA(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
  DeleteFileA(path.c_str());
}

void DeleteFolderContents(const AnsiString& folder) {
  if (!IsRealFolder(folder)) return;
  const AnsiString base = AddTrailingBackslash(folder);
  WIN32_FIND_DATAA data;
  TFindHandle find(base + "*.*", data);
  if (!find.Valid()) return;
  do {
    AnsiString path = base + data.cFileName;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      DeleteFileForced(path);
    else if (data.cFileName[0] != '.' && !IsLink(data.dwFileAttributes))
      DeleteFolderTree(path);
  } while (find.Next(data));
}

void DeleteFolderTree(const AnsiString& folder) {
  if (!IsRealFolder(folder)) return;
  DeleteFolderContents(folder);
  RemoveDirectoryA(folder.c_str());
}

bool IsFolderEmpty(const AnsiString& folder) {
  WIN32_FIND_DATAA data;
  TFindHandle find(AddTrailingBackslash(folder) + "*.*", data);
  if (!find.Valid()) return true;
  do {
    if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0) return false;
  } while (find.Next(data));
  return true;
}

void RemoveMenuFolderAndShortcuts(std::int32_t mode) {
  const AnsiString programs = ProgramsFolder();
  if (programs.empty()) return;
  const AnsiString productFolder = AddTrailingBackslash(programs) + MenuProductSubfolder;
  if (DirectoryExists(productFolder)) DeleteFolderTree(productFolder);
  const AnsiString makerFolder = AddTrailingBackslash(programs) + "Kestrum";
  if (IsFolderEmpty(makerFolder)) DeleteFolderTree(makerFolder);
  const AnsiString desktopLink = AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT);
  if (FileExists(desktopLink)) DeleteFileForced(desktopLink);
  RemovalMode = mode - 102;
}

void RemoveInstallFolder(const AnsiString& folder) {
  // Only what this install created is removed: files that were in the
  // folder before stay, and so does the folder that holds them.
  if (RemovalMode == RollbackRemovalMode) RemoveCreatedPaths(folder);
  if (IsFolderEmpty(folder)) DeleteFolderTree(folder);
  const AnsiString parent = ExtractFilePath(folder);
  if (IsFolderEmpty(parent)) DeleteFolderTree(parent);
}

void DeleteProductRegistryKeys() {
  TRegistry* registry = new TRegistry();
  registry->SetRootKey(HKEY_LOCAL_MACHINE);
  Guarded([&] { registry->DeleteKey(ProductKey); });
  Guarded([&] {
    if (!registry->OpenKey(MakerKey, false)) return;
    TRegKeyInfo info;
    bool haveInfo = registry->GetKeyInfo(info);
    registry->CloseKey();
    if (haveInfo && info.NumSubKeys == 0) registry->DeleteKey(MakerKey);
  });
  Guarded([&] { registry->DeleteKey(UninstallKey); });
  registry->Free();
}

static void ui_0__Delete_Initialize() { RemovalMode = 0; }

static void ui_0__Delete_Finalize() { InstallCreatedPaths.clear(); }

const TUnitInfo ui_0__DeleteUnit = {"ui_0__Delete", &ui_0__Delete_Initialize, &ui_0__Delete_Finalize};
