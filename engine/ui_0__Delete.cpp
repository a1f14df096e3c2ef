#include "ui_0__Delete.hpp"

#include <cstring>

#include "ProductPaths.hpp"
#include "Registry.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"
#include "lib_WindowsFileSystem.hpp"

std::int32_t RemovalMode = 0;

namespace {

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

// Removes a folder only when nothing is left in it.
void RemoveEmptyFolder(const AnsiString& folder) {
  if (DirectoryExists(folder) && IsFolderEmpty(folder)) RemoveDirectoryA(ExcludeTrailingBackslash(folder).c_str());
}

bool StartsWith(const AnsiString& text, const AnsiString& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The target itself, a folder above it, or anything under it: the only
// places an install creates anything in.
bool BelongsToTarget(const AnsiString& path, const AnsiString& target) {
  return StartsWith(target + "\\", path + "\\") || StartsWith(path, target + "\\");
}

template <class Step>
void Guarded(Step step) {
  try {
    step();
  } catch (const Exception&) {
  }
}

}  // namespace

void DeleteFileForced(const AnsiString& path) { DeleteFileForced(path, GetFileAttributesA(path.c_str())); }

void DeleteFileForced(const AnsiString& path, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  // Only these two stop a deletion; another attribute costs no call.
  constexpr DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
  if (attributes & blocking) SetFileAttributesA(path.c_str(), attributes & ~blocking);
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
      DeleteFileForced(path, data.dwFileAttributes);
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
  // Only the shortcuts the install made go; a folder that holds anything
  // else (the user's own shortcut, another product) stays.
  const AnsiString menu = MenuProductFolder();
  if (!menu.empty()) {
    for (const AnsiString& name : MenuShortcutNames()) DeleteFileForced(menu + name);
    RemoveEmptyFolder(menu);
    RemoveEmptyFolder(AddTrailingBackslash(GetProgramsFolderPath()) + MakerFolderName);
  }
  // The desktop shortcut is made whether or not the programs folder is
  // known, and so it is removed.
  const AnsiString desktopLink = DesktopShortcutPath();
  if (!desktopLink.empty() && FileExists(desktopLink)) DeleteFileForced(desktopLink);
  RemovalMode = mode - 102;
}

void RemoveInstallFolder(const AnsiString& folder, const std::vector<AnsiString>& createdPaths) {
  const AnsiString target = ExcludeTrailingBackslash(folder);
  for (auto it = createdPaths.rbegin(); it != createdPaths.rend(); ++it) {
    // "path|backup": the file that was there was moved aside for the
    // install's own, and goes back in its place.
    const size_t bar = it->find('|');
    const AnsiString path = it->substr(0, bar);
    const AnsiString backup = bar == AnsiString::npos ? AnsiString() : it->substr(bar + 1);
    if (!BelongsToTarget(path, target) || (!backup.empty() && !StartsWith(backup, target + "\\"))) continue;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      DeleteFileForced(path, attributes);
    else if (attributes != INVALID_FILE_ATTRIBUTES && !IsLink(attributes) && IsFolderEmpty(path))
      RemoveDirectoryA(path.c_str());
    if (!backup.empty()) MoveFileA(backup.c_str(), path.c_str());
  }
}

void DeleteProductRegistryKeys() {
  TRegistry registry;
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  Guarded([&] { registry.DeleteKey(ProductKey); });
  Guarded([&] {
    if (!registry.OpenKey(MakerKey, false)) return;
    TRegKeyInfo info;
    bool haveInfo = registry.GetKeyInfo(info);
    registry.CloseKey();
    if (haveInfo && info.NumSubKeys == 0) registry.DeleteKey(MakerKey);
  });
  Guarded([&] { registry.DeleteKey(UninstallKey); });
}

static void ui_0__Delete_Initialize() { RemovalMode = 0; }

static void ui_0__Delete_Finalize() {}

const TUnitInfo ui_0__DeleteUnit = {"ui_0__Delete", &ui_0__Delete_Initialize, &ui_0__Delete_Finalize};
