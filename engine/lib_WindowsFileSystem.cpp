#include "lib_WindowsFileSystem.hpp"

#include <cstring>
#include <vector>

#include "ComObj.hpp"
#include "EngineTestSeams.hpp"
#include "Registry.hpp"
#include "SysUtils.hpp"

AnsiString WindowsFolder;
AnsiString SystemDrivePath;
AnsiString ProgramFilesFolder;
AnsiString DesktopFolder;
AnsiString PersonalFolder;

namespace EngineTestSeams {
HRESULT(WINAPI* GetSpecialFolderLocationProc)(HWND, int, LPITEMIDLIST*) = nullptr;
}

AnsiString AddTrailingBackslash(const AnsiString& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + "\\";
}

// ---- Folder queries ---------------------------------------------------------

AnsiString GetSpecialFolderPath(int csidl) {
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc)) || !malloc) return AnsiString();
  auto locate = EngineTestSeams::GetSpecialFolderLocationProc
                    ? EngineTestSeams::GetSpecialFolderLocationProc
                    : &SHGetSpecialFolderLocation;
  AnsiString result;
  LPITEMIDLIST list = nullptr;
  if (SUCCEEDED(locate(nullptr, csidl, &list)) && list) {
    char buffer[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListA(list, buffer)) result = buffer;
    malloc->Free(list);
  }
  malloc->Release();
  return result;
}

AnsiString GetDesktopFolderPath() { return GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY); }

AnsiString GetPersonalFolderPath() { return GetSpecialFolderPath(CSIDL_PERSONAL); }

AnsiString GetWindowsPath() {
  char buffer[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return AnsiString();
  return AnsiString(buffer, length);
}

AnsiString GetEnvironmentValue(const AnsiString& name) {
  std::vector<char> buffer(2048);
  DWORD length = GetEnvironmentVariableA(name.c_str(), buffer.data(), DWORD(buffer.size()));
  // A value that does not fit is reported by its needed size; it lies
  // outside what this query handles and counts as absent.
  if (length == 0 || length >= buffer.size()) return AnsiString();
  return AnsiString(buffer.data(), length);
}

AnsiString GetSystemDrive() {
  AnsiString result;
  if (Win32Platform == VER_PLATFORM_WIN32_NT) result = GetEnvironmentValue("SystemDrive");
  if (result.empty()) result = ExtractFileDrive(WindowsFolder);
  if (result.empty()) result = "C:";
  return result;
}

AnsiString GetProgramFilesPath() {
  AnsiString result;
  TRegistry registry;
  try {
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion", true))
      result = registry.ReadString("ProgramFilesDir");
    if (result.empty()) result = AddTrailingBackslash(SystemDrivePath) + "Program Files";
  } catch (const Exception&) {
    result = SystemDrivePath;
  }
  return result;
}

// ---- Shortcut writer --------------------------------------------------------

void CreateShortcut(const AnsiString& target, const AnsiString& linkFile,
                    const AnsiString& description, const AnsiString& arguments,
                    const AnsiString& iconFile) {
  TComPtr<IUnknown> object = CreateComObject(CLSID_ShellLink);
  TComPtr<IShellLinkA> link = QueryInterfaceChecked<IShellLinkA>(object.Get(), IID_IShellLinkA);
  TComPtr<IPersistFile> file = QueryInterfaceChecked<IPersistFile>(object.Get(), IID_IPersistFile);
  link->SetArguments(arguments.c_str());
  link->SetDescription(description.c_str());
  // A shortcut that points nowhere is no shortcut.
  OleCheck(link->SetPath(target.c_str()));
  if (!iconFile.empty()) link->SetIconLocation(iconFile.c_str(), 0);
  // A shortcut that could not be written is a failed step, not a success.
  OleCheck(file->Save(AnsiToWide(linkFile).c_str(), FALSE));
}

// ---- Item-ID-list helpers ---------------------------------------------------

namespace {

// Item counts may sit at any byte offset, so they are read by copying.
USHORT ItemCount(LPCITEMIDLIST item) {
  USHORT cb;
  std::memcpy(&cb, item, sizeof(cb));
  return cb;
}

bool AttributeSet(IShellFolder* folder, LPCITEMIDLIST item, SFGAOF mask) {
  SFGAOF attributes = mask;
  // A failed call may leave the mask as it was; it must not read as "set".
  if (FAILED(folder->GetAttributesOf(1, &item, &attributes))) return false;
  return (attributes & mask) != 0;
}

}  // namespace

LPITEMIDLIST AllocZeroedPidl(UINT size) {
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc)) || !malloc) return nullptr;
  void* memory = malloc->Alloc(size);
  if (memory) ZeroMemory(memory, size);
  malloc->Release();
  return static_cast<LPITEMIDLIST>(memory);
}

LPITEMIDLIST NextPidlItem(LPCITEMIDLIST item) {
  auto bytes = reinterpret_cast<const BYTE*>(item);
  return reinterpret_cast<LPITEMIDLIST>(const_cast<BYTE*>(bytes + ItemCount(item)));
}

UINT PidlSize(LPCITEMIDLIST list) {
  if (!list) return 0;
  UINT size = sizeof(USHORT);
  for (LPCITEMIDLIST item = list; ItemCount(item) != 0; item = NextPidlItem(item))
    size += ItemCount(item);
  return size;
}

LPITEMIDLIST LastPidlItem(LPCITEMIDLIST list) {
  if (!list) return nullptr;
  LPCITEMIDLIST last = list;
  for (LPCITEMIDLIST item = list; ItemCount(item) != 0; item = NextPidlItem(item)) last = item;
  return const_cast<LPITEMIDLIST>(last);
}

LPITEMIDLIST ConcatPidls(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  // The items of both lists, then one terminator, which is always reserved:
  // a nil or empty list contributes no items, never a missing terminator.
  const UINT firstItems = first ? PidlSize(first) - sizeof(USHORT) : 0;
  const UINT secondItems = second ? PidlSize(second) - sizeof(USHORT) : 0;
  LPITEMIDLIST result = AllocZeroedPidl(firstItems + secondItems + sizeof(USHORT));
  if (!result) return nullptr;
  auto bytes = reinterpret_cast<BYTE*>(result);
  if (firstItems) std::memcpy(bytes, first, firstItems);
  if (secondItems) std::memcpy(bytes + firstItems, second, secondItems);
  return result;
}

AnsiString GetItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item, bool forParsing) {
  STRRET name;
  ZeroMemory(&name, sizeof(name));
  if (FAILED(folder->GetDisplayNameOf(item, forParsing ? SHGDN_FORPARSING : SHGDN_NORMAL, &name)))
    return AnsiString();
  switch (name.uType) {
    case STRRET_WSTR: {
      AnsiString result = name.pOleStr ? WideToAnsi(name.pOleStr) : AnsiString();
      IMalloc* malloc = nullptr;
      if (name.pOleStr && SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
        malloc->Free(name.pOleStr);
        malloc->Release();
      }
      return result;
    }
    case STRRET_OFFSET:
      return AnsiString(reinterpret_cast<const char*>(item) + name.uOffset);
    case STRRET_CSTR:
      return AnsiString(name.cStr);
    default:
      return AnsiString();
  }
}

bool IsFileSystemItem(IShellFolder* folder, LPCITEMIDLIST item) {
  return AttributeSet(folder, item, SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR);
}

bool HasSubFolders(IShellFolder* folder, LPCITEMIDLIST item) {
  return AttributeSet(folder, item, SFGAO_HASSUBFOLDER);
}

// ---- Unit start-up ----------------------------------------------------------

static void lib_WindowsFileSystem_Initialize() {
  // Each step may read the globals set before it: the system drive falls
  // back on the Windows folder, and Program Files on the system drive.
  WindowsFolder = GetWindowsPath();
  SystemDrivePath = GetSystemDrive();
  ProgramFilesFolder = GetProgramFilesPath();
  DesktopFolder = GetDesktopFolderPath();
  PersonalFolder = GetPersonalFolderPath();
}

static void lib_WindowsFileSystem_Finalize() {
  WindowsFolder.clear();
  SystemDrivePath.clear();
  ProgramFilesFolder.clear();
  DesktopFolder.clear();
  PersonalFolder.clear();
}

const TUnitInfo lib_WindowsFileSystemUnit = {"lib_WindowsFileSystem", &lib_WindowsFileSystem_Initialize, &lib_WindowsFileSystem_Finalize};
