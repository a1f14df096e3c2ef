#include "ListRemoval.hpp"

#include <algorithm>
#include <cwctype>
#include <map>

#include "InstalledFilesList.hpp"
#include "WinApi.hpp"

namespace uninsts {

namespace {

// The list's name in the product folder; it is ASCII.
std::wstring ListName() {
  const std::string name = installedfiles::FileName;
  return std::wstring(name.begin(), name.end());
}
// A list is a few hundred kilobytes at most; anything far larger is not one.
constexpr DWORD MaxListSize = 16 * 1024 * 1024;

// A file the product just closed may still be open for a moment (the
// uninstaller's first stage has just ended).
constexpr int kAttempts = 10;
constexpr DWORD kRetryDelayMs = 200;

bool IsGoneError(DWORD e) { return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND; }

// Runs the call until it succeeds, fails for good, or the entry turns out
// to be gone; a file held by someone else for a moment is waited for.
template <typename Op>
bool Retried(Op op) {
  for (int i = 0; i < kAttempts; ++i) {
    if (op()) return true;
    const DWORD e = GetLastError();
    if (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED && e != ERROR_LOCK_VIOLATION) return false;
    Sleep(kRetryDelayMs);
  }
  return false;
}

// Entry points of Windows Vista and later, bound at run time so that the
// program still starts where they are missing; it then works by name
// inside the folders it holds.
struct TBasicInfo {  // FILE_BASIC_INFO
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;
  DWORD FileAttributes;
};
struct TDispositionInfo {  // FILE_DISPOSITION_INFO
  BOOLEAN DeleteFile;
};
constexpr int kFileBasicInfo = 0;
constexpr int kFileDispositionInfo = 4;
constexpr DWORD kVolumeNameDos = 0;
static_assert(sizeof(TBasicInfo) == 40, "FILE_BASIC_INFO layout");
static_assert(sizeof(TDispositionInfo) == 1, "FILE_DISPOSITION_INFO layout");

struct THandleCalls {
  using SetInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
  using FinalPath = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
  SetInformation SetInfo = nullptr;
  FinalPath GetFinalPath = nullptr;
  THandleCalls() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return;
    SetInfo = reinterpret_cast<SetInformation>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetFileInformationByHandle")));
    GetFinalPath = reinterpret_cast<FinalPath>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetFinalPathNameByHandleW")));
  }
};
const THandleCalls& Calls() {
  static const THandleCalls calls;
  return calls;
}

// The path the system resolved the handle to; empty when it cannot say.
std::wstring FinalPathOf(HANDLE handle) {
  if (!Calls().GetFinalPath) return {};
  wchar_t buffer[1024];
  DWORD n = Calls().GetFinalPath(handle, buffer, 1024, kVolumeNameDos);
  if (n == 0) return {};
  if (n < 1024) return std::wstring(buffer, n);
  std::wstring large(n, L'\0');
  n = Calls().GetFinalPath(handle, large.data(), static_cast<DWORD>(large.size()), kVolumeNameDos);
  large.resize(n < large.size() ? n : 0);
  return large;
}

bool SamePath(std::wstring a, std::wstring b) {
  if (a.size() != b.size()) return false;
  CharUpperBuffW(a.data(), static_cast<DWORD>(a.size()));
  CharUpperBuffW(b.data(), static_cast<DWORD>(b.size()));
  return a == b;
}

class THandle {
 public:
  THandle() = default;
  explicit THandle(HANDLE h) : h_(h) {}
  ~THandle() { Close(); }
  THandle(THandle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
  THandle& operator=(THandle&& other) noexcept {
    if (this != &other) {
      Close();
      h_ = other.h_;
      other.h_ = INVALID_HANDLE_VALUE;
    }
    return *this;
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  void Close() {
    if (Valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Opens the entry itself, never what a link or junction there points at.
THandle OpenEntry(const std::wstring& path, DWORD access, DWORD share) {
  return THandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

DWORD AttributesOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(handle, &info) ? info.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Only absolute paths: a relative one would resolve against the working
// folder, which is the temporary folder when the uninstaller starts us.
bool IsAbsolute(const std::wstring& p) {
  const bool drive = p.size() >= 3 && iswalpha(p[0]) && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
  return drive || (p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\');
}

// "C:", "\\server\share" and the like: nothing of a product is a root.
bool IsRoot(const std::wstring& full) {
  if (full.size() <= 2) return true;
  if (full.compare(0, 2, L"\\\\") != 0) return false;
  size_t separators = 0;
  for (size_t i = 2; i < full.size(); ++i) separators += full[i] == L'\\' || full[i] == L'/';
  return separators <= 1 || full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0;
}

// The absolute folder without a trailing backslash; empty when it is not
// usable (relative, a root, too long).
std::wstring UsableFolder(const std::wstring& path) {
  if (!IsAbsolute(path)) return {};
  wchar_t buffer[4096];
  const DWORD n = GetFullPathNameW(path.c_str(), 4096, buffer, nullptr);
  if (n == 0 || n >= 4096) return {};
  std::wstring full(buffer, n);
  while (!full.empty() && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return IsRoot(full) ? std::wstring() : full;
}

bool FromUtf8(const std::string& text, std::wstring& out) {
  if (text.empty()) return false;
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  if (n <= 0) return false;
  out.assign(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n);
  return true;
}

std::wstring ParentOf(const std::wstring& relative) {
  const size_t slash = relative.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : relative.substr(0, slash);
}

size_t Depth(const std::wstring& name) { return static_cast<size_t>(std::count(name.begin(), name.end(), L'\\')); }

// What became of one listed entry.
enum class TResult { Gone, Stays, Refused };

// The product folder and the folders of it that the removal works in, each
// held open without delete sharing while their entries go, so that none of
// them can be renamed, replaced or turned into a link meanwhile. Every
// entry is opened as itself (a link is never followed) and, where the
// system can say, is checked to be where its name puts it.
class TProductTree {
 public:
  explicit TProductTree(std::wstring product) : product_(std::move(product)) {}

  // False when the product folder is not a real folder.
  bool Open() {
    THandle handle = HoldFolder(product_);
    if (!handle.Valid()) return false;
    final_ = FinalPathOf(handle.Get());
    if (Calls().GetFinalPath && final_.empty()) return false;
    held_.emplace(std::wstring(), THeld{std::move(handle), 0});
    return true;
  }

  bool ReadList(std::string& text) {
    THandle file = OpenEntry(PathOf(ListName()), GENERIC_READ, FILE_SHARE_READ);
    if (!file.Valid() || !Checked(file.Get(), ListName(), false)) return false;
    const DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > MaxListSize) return false;
    text.resize(size);
    DWORD read = 0;
    return (size == 0 || ReadFile(file.Get(), text.data(), size, &read, nullptr)) && read == size;
  }

  // Deletes a listed file. A folder by that name now is the user's and
  // stays; what cannot be reached safely is refused.
  TResult DeleteFile(const std::wstring& relative) {
    const TResult parent = ReachFolder(ParentOf(relative));
    if (parent != TResult::Stays) return parent;
    return DeleteEntry(relative, false);
  }

  // Renames the user's file that the install moved aside back under its
  // name, which the product's copy has left. Gone: there was nothing to put
  // back; Stays: it is back. The backup must lie beside the name.
  TResult Restore(const std::wstring& relative, const std::wstring& backup) {
    if (ParentOf(backup) != ParentOf(relative)) return TResult::Refused;
    const TResult parent = ReachFolder(ParentOf(relative));
    if (parent != TResult::Stays) return parent == TResult::Gone ? TResult::Gone : TResult::Refused;
    const std::wstring from = PathOf(backup);
    {
      THandle handle = OpenEntry(from, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
      if (!handle.Valid()) return IsGoneError(GetLastError()) ? TResult::Gone : TResult::Refused;
      if (!Checked(handle.Get(), backup, false)) return TResult::Refused;
    }
    // By name, inside the held folder; never over anything there now.
    const std::wstring to = PathOf(relative);
    return Retried([&] { return MoveFileExW(from.c_str(), to.c_str(), 0) != 0; }) ? TResult::Stays
                                                                                     : TResult::Refused;
  }

  // Removes a listed folder if it is empty; one that holds anything stays.
  TResult RemoveFolder(const std::wstring& relative) {
    const TResult parent = ReachFolder(ParentOf(relative));
    if (parent != TResult::Stays) return parent;
    Release(relative);
    return DeleteEntry(relative, true);
  }

  // Lets go of every folder and removes the product folder if it is empty.
  void Finish() {
    Release(std::wstring());
    THandle handle = OpenEntry(product_, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!handle.Valid()) return;
    const DWORD a = AttributesOf(handle.Get());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) || IsLink(a)) return;
    if (!final_.empty() && !SamePath(FinalPathOf(handle.Get()), final_)) return;
    Delete(std::move(handle), product_, true);
  }

 private:
  struct THeld {
    THandle Handle;
    DWORD Error;  // why it could not be held; 0 when it is
  };

  std::wstring PathOf(const std::wstring& relative) const {
    return relative.empty() ? product_ : product_ + L"\\" + relative;
  }

  // A real folder opened for listing, shared for reading and writing only.
  static THandle HoldFolder(const std::wstring& path) {
    THandle handle;
    Retried([&] {
      handle = OpenEntry(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE);
      return handle.Valid();
    });
    if (!handle.Valid()) return handle;
    const DWORD a = AttributesOf(handle.Get());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) || IsLink(a)) {
      handle.Close();
      // Nothing can be under a plain file; under a link it is not ours to say.
      SetLastError(a != INVALID_FILE_ATTRIBUTES && !IsLink(a) ? ERROR_PATH_NOT_FOUND : ERROR_DIRECTORY);
    }
    return handle;
  }

  // Whether the handle is the entry the name says: not a link, and under
  // the held product folder by the path the system resolved.
  bool Checked(HANDLE handle, const std::wstring& relative, bool folder) const {
    const DWORD a = AttributesOf(handle);
    if (a == INVALID_FILE_ATTRIBUTES || IsLink(a) || ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) return false;
    return final_.empty() || SamePath(FinalPathOf(handle), final_ + L"\\" + relative);
  }

  // Holds the folder and every folder above it. Stays: held; Gone: it is
  // not there, nor anything under it; Refused: it cannot be held safely.
  TResult ReachFolder(const std::wstring& relative) {
    auto found = held_.find(relative);
    if (found == held_.end()) {
      if (!relative.empty()) {
        const TResult parent = ReachFolder(ParentOf(relative));
        if (parent != TResult::Stays) return parent;
      }
      THandle handle = HoldFolder(PathOf(relative));
      DWORD error = handle.Valid() ? 0 : GetLastError();
      if (handle.Valid() && !Checked(handle.Get(), relative, true)) {
        error = ERROR_DIRECTORY;
        handle.Close();
      }
      found = held_.emplace(relative, THeld{std::move(handle), error}).first;
    }
    if (found->second.Handle.Valid()) return TResult::Stays;
    return IsGoneError(found->second.Error) ? TResult::Gone : TResult::Refused;
  }

  // Closes the held folder and those under it, before it goes itself.
  void Release(const std::wstring& relative) {
    const std::wstring prefix = relative + L"\\";
    for (auto it = held_.begin(); it != held_.end();) {
      if (relative.empty() || it->first == relative || it->first.compare(0, prefix.size(), prefix) == 0)
        it = held_.erase(it);
      else
        ++it;
    }
  }

  TResult DeleteEntry(const std::wstring& relative, bool folder) {
    const std::wstring path = PathOf(relative);
    THandle handle;
    const DWORD access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (!Retried([&] {
          handle = OpenEntry(path, access, share);
          return handle.Valid();
        }))
      return IsGoneError(GetLastError()) ? TResult::Gone : TResult::Refused;
    const DWORD a = AttributesOf(handle.Get());
    if (a == INVALID_FILE_ATTRIBUTES || IsLink(a)) return TResult::Refused;
    // A folder where a file was listed (or the reverse) is not the product's.
    if (((a & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) return folder ? TResult::Stays : TResult::Gone;
    if (!Checked(handle.Get(), relative, folder)) return TResult::Refused;
    const DWORD cleared = a & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    const bool clear = cleared != a;
    if (clear && !SetAttributes(handle.Get(), path, cleared)) return TResult::Refused;
    if (Delete(std::move(handle), path, folder)) return TResult::Gone;
    const DWORD error = GetLastError();
    if (clear) {
      // Put back as it was, whatever kept it.
      THandle again = OpenEntry(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, share);
      if (again.Valid() && Checked(again.Get(), relative, folder)) SetAttributes(again.Get(), path, a);
    }
    return folder && error == ERROR_DIR_NOT_EMPTY ? TResult::Stays : TResult::Refused;
  }

  static bool SetAttributes(HANDLE handle, const std::wstring& path, DWORD attributes) {
    attributes &= ~DWORD(FILE_ATTRIBUTE_DIRECTORY);
    if (!attributes) attributes = FILE_ATTRIBUTE_NORMAL;
    if (!Calls().SetInfo) return SetFileAttributesW(path.c_str(), attributes) != 0;
    TBasicInfo info{};  // times of zero stay as they are
    info.FileAttributes = attributes;
    return Calls().SetInfo(handle, kFileBasicInfo, &info, sizeof info) != 0;
  }

  // Deletes the opened entry through its handle where the system allows,
  // else by its name, which the held folders keep where it was.
  static bool Delete(THandle handle, const std::wstring& path, bool folder) {
    if (Calls().SetInfo) {
      TDispositionInfo disposition{TRUE};
      return Calls().SetInfo(handle.Get(), kFileDispositionInfo, &disposition, sizeof disposition) != 0;
    }
    handle.Close();
    return (folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) != 0;
  }

  std::wstring product_;
  std::wstring final_;  // the product folder as the system resolves it; empty where it cannot say
  std::map<std::wstring, THeld> held_;
};

// The list's names; false when any line is not a safe name.
bool ListedNames(const std::string& text, std::vector<std::wstring>& names) {
  std::vector<std::string> lines;
  if (!installedfiles::Parse(text, lines)) return false;
  for (const auto& line : lines) {
    std::wstring name;
    if (!FromUtf8(line, name)) return false;
    names.push_back(name);
  }
  return true;
}

// The removal's own files, which go last: while anything else is left, the
// user can run the uninstaller again.
bool GoesLast(const std::wstring& name) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), -1, L"uninstall.exe", -1) == CSTR_EQUAL ||
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), -1, L"uninsts.exe", -1) == CSTR_EQUAL;
}

// Removes a real folder when it holds nothing; a link or junction is left,
// and so is a folder with anything in it.
void RemoveIfEmpty(const std::wstring& folder) {
  THandle handle = OpenEntry(folder, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (!handle.Valid()) return;
  const DWORD a = AttributesOf(handle.Get());
  handle.Close();
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(a)) RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* p) {
  std::vector<std::string> out;
  if (!p) return out;
  for (;;) {
    while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    for (; *p && (quoted || static_cast<unsigned char>(*p) > ' '); ++p) {
      if (*p == '"')
        quoted = !quoted;
      else
        arg += *p;
    }
    out.push_back(arg);
  }
  return out;
}

Outcome RemoveProduct(const std::wstring& productFolder, const std::wstring& menuFolder) {
  const std::wstring product = UsableFolder(productFolder);
  const std::wstring menu = menuFolder.empty() ? std::wstring() : UsableFolder(menuFolder);
  if (product.empty() || (!menuFolder.empty() && menu.empty())) return Outcome::BadArguments;
  TProductTree tree(product);
  std::string text;
  std::vector<std::wstring> names;
  if (!tree.Open() || !tree.ReadList(text) || !ListedNames(text, names)) return Outcome::NoList;

  // "name|backup": the user's file that the install moved aside for the
  // product's goes back once the product's copy has gone.
  auto removeFile = [&tree](const std::wstring& line) {
    const size_t bar = line.find(L'|');
    const std::wstring name = line.substr(0, bar);
    const TResult result = tree.DeleteFile(name);
    if (bar == std::wstring::npos || result != TResult::Gone) return result;
    return tree.Restore(name, line.substr(bar + 1));
  };
  std::vector<std::wstring> folders, last;
  bool complete = true;
  for (const auto& line : names) {
    if (line.back() == L'\\')
      folders.push_back(line.substr(0, line.size() - 1));
    else if (GoesLast(line.substr(0, line.find(L'|'))))
      last.push_back(line);
    else if (removeFile(line) == TResult::Refused)
      complete = false;
  }
  // Children before their parents, whatever order the list has them in.
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::wstring& a, const std::wstring& b) { return Depth(a) > Depth(b); });
  for (const auto& folder : folders)
    if (tree.RemoveFolder(folder) == TResult::Refused) complete = false;
  // The list stays when something it names could not go, for another try,
  // and so does the uninstaller that reads it.
  if (!complete) return Outcome::Incomplete;
  for (const auto& line : last)
    if (removeFile(line) == TResult::Refused) return Outcome::Incomplete;
  if (tree.DeleteFile(ListName()) == TResult::Refused) return Outcome::Incomplete;
  tree.Finish();
  if (!menu.empty()) RemoveIfEmpty(menu);
  return Outcome::Removed;
}

}  // namespace uninsts
