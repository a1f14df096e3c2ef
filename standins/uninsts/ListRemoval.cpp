#include "ListRemoval.hpp"

#include <algorithm>
#include <cwctype>
#include <map>

#include "InstalledFilesList.hpp"
#include "WinApi.hpp"

namespace uninsts {

namespace {

// The list's path in the product folder; its name is ASCII.
std::wstring ListPath(const std::wstring& product) {
  const std::string name = installedfiles::FileName;
  return product + L"\\" + std::wstring(name.begin(), name.end());
}
// A list is a few hundred kilobytes at most; anything far larger is not one.
constexpr DWORD MaxListSize = 16 * 1024 * 1024;

// A file the product just closed may still be open for a moment (the
// uninstaller's first stage has just ended).
constexpr int kAttempts = 10;
constexpr DWORD kRetryDelayMs = 200;

template <typename Op>
bool Retried(Op op) {
  for (int i = 0; i < kAttempts; ++i) {
    if (op()) return true;
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
    if (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED && e != ERROR_LOCK_VIOLATION) return false;
    Sleep(kRetryDelayMs);
  }
  return false;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

bool IsRealFolder(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(a);
}

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

bool ReadList(const std::wstring& path, std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD size = GetFileSize(file, nullptr);
  bool ok = size != INVALID_FILE_SIZE && size <= MaxListSize;
  if (ok) {
    text.resize(size);
    DWORD read = 0;
    ok = (size == 0 || ReadFile(file, text.data(), size, &read, nullptr)) && read == size;
  }
  CloseHandle(file);
  return ok;
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

// The list's names as paths relative to the product folder; false when
// there is no list, it cannot be read, or any line is not a safe name.
bool ListedNames(const std::wstring& product, std::vector<std::wstring>& names) {
  std::string text;
  std::vector<std::string> lines;
  if (!ReadList(ListPath(product), text) || !installedfiles::Parse(text, lines)) return false;
  for (const auto& line : lines) {
    std::wstring name;
    if (!FromUtf8(line, name)) return false;
    names.push_back(name);
  }
  return true;
}

// Whether every folder between the product folder and the name is a real
// folder: a listed path under a folder that was replaced by a link would
// reach into whatever the link points at.
class TPathCheck {
 public:
  explicit TPathCheck(std::wstring product) : product_(std::move(product)) {}
  bool Reachable(const std::wstring& relative) {
    for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
      const std::wstring folder = relative.substr(0, slash);
      auto found = checked_.find(folder);
      if (found == checked_.end()) found = checked_.emplace(folder, IsRealFolder(product_ + L"\\" + folder)).first;
      if (!found->second) return false;
    }
    return true;
  }

 private:
  std::wstring product_;
  std::map<std::wstring, bool> checked_;
};

// Deletes a listed file; true when it is gone or was never there. What is
// a folder now is not the file the install put there and is left alone.
bool DeleteListedFile(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return true;
  if (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN))
    SetFileAttributesW(path.c_str(), a & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
  return Retried([&] { return DeleteFileW(path.c_str()) != 0; });
}

// Removes a real folder when it holds nothing; a link or junction is left,
// and so is a folder with anything in it.
void RemoveIfEmpty(const std::wstring& folder) {
  if (IsRealFolder(folder)) RemoveDirectoryW(folder.c_str());
}

size_t Depth(const std::wstring& name) { return static_cast<size_t>(std::count(name.begin(), name.end(), L'\\')); }

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
  std::vector<std::wstring> names;
  if (!IsRealFolder(product) || !ListedNames(product, names)) return Outcome::NoList;

  TPathCheck check(product);
  std::vector<std::wstring> folders;
  bool complete = true;
  for (const auto& name : names) {
    if (name.back() == L'\\') {
      folders.push_back(name.substr(0, name.size() - 1));
    } else if (check.Reachable(name) && !DeleteListedFile(product + L"\\" + name)) {
      complete = false;
    }
  }
  // Children before their parents, whatever order the list has them in.
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::wstring& a, const std::wstring& b) { return Depth(a) > Depth(b); });
  for (const auto& folder : folders)
    if (check.Reachable(folder)) RemoveIfEmpty(product + L"\\" + folder);
  // The list stays when something it names could not go, for another try.
  if (!complete) return Outcome::Incomplete;
  if (!DeleteListedFile(ListPath(product))) return Outcome::Incomplete;
  RemoveIfEmpty(product);
  if (!menu.empty()) RemoveIfEmpty(menu);
  return Outcome::Removed;
}

}  // namespace uninsts
