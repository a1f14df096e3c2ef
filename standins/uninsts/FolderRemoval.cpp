#include "FolderRemoval.hpp"

#include <cwctype>

#include "WinApi.hpp"

namespace uninsts {

namespace {

// A file the product just closed may still be open for a moment (the
// uninstaller's second stage runs beside this program).
constexpr int kAttempts = 10;
constexpr DWORD kRetryDelayMs = 200;

template <typename Op>
bool Retried(Op op) {
  for (int i = 0; i < kAttempts; ++i) {
    if (op()) return true;
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
    if (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED && e != ERROR_LOCK_VIOLATION &&
        e != ERROR_DIR_NOT_EMPTY)
      return false;
    Sleep(kRetryDelayMs);
  }
  return false;
}

void ClearAttributes(const std::wstring& path, DWORD attributes) {
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN))
    SetFileAttributesW(path.c_str(), attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                                    FILE_ATTRIBUTE_HIDDEN));
}

// A link to a folder is removed as a folder entry, which deletes the link
// and leaves its target alone; a link to a file is deleted as a file.
bool DeleteEntry(const std::wstring& path, DWORD attributes) {
  ClearAttributes(path, attributes);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    // Windows removes a folder link as a folder; Wine shows host symbolic
    // links as folder links but removes them only as files.
    return Retried([&] { return RemoveDirectoryW(path.c_str()) != 0 || DeleteFileW(path.c_str()) != 0; });
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Retried([&] { return RemoveDirectoryW(path.c_str()) != 0; });
  return Retried([&] { return DeleteFileW(path.c_str()) != 0; });
}

bool DeleteTree(const std::wstring& folder);

bool DeleteChildren(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring child = folder + L"\\" + name;
    const DWORD a = found.dwFileAttributes;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT))
      ok = DeleteTree(child) && ok;
    else
      ok = DeleteEntry(child, a) && ok;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return ok;
}

bool DeleteTree(const std::wstring& folder) {
  const DWORD a = GetFileAttributesW(folder.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (!(a & FILE_ATTRIBUTE_REPARSE_POINT) && !DeleteChildren(folder)) return false;
  return DeleteEntry(folder, a);
}

// The absolute path without a trailing backslash; empty when unusable.
std::wstring Normalized(const std::wstring& path) {
  if (path.empty()) return {};
  wchar_t buffer[4096];
  const DWORD n = GetFullPathNameW(path.c_str(), 4096, buffer, nullptr);
  if (n == 0 || n >= 4096) return {};
  std::wstring full(buffer, n);
  while (!full.empty() && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return full;
}

// "C:", "\\server\share" and the like: nothing to delete there.
bool IsRoot(const std::wstring& full) {
  if (full.size() <= 2) return true;
  if (full.compare(0, 2, L"\\\\") != 0) return false;
  size_t separators = 0;
  for (size_t i = 2; i < full.size(); ++i) separators += full[i] == L'\\' || full[i] == L'/';
  return separators <= 1 || full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0;
}

bool HasMarker(const std::wstring& folder) {
  for (const wchar_t* marker : {L"uninstall.exe", L"kv4.exe"}) {
    const DWORD a = GetFileAttributesW((folder + L"\\" + marker).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) return true;
  }
  return false;
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

// Only absolute paths: a relative one would resolve against the working
// folder, which is the temporary folder when the uninstaller starts us.
bool IsAbsolute(const std::wstring& p) {
  const bool drive = p.size() >= 3 && iswalpha(p[0]) && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
  return drive || (p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\');
}

Removal RemoveFolder(const std::wstring& path, FolderKind kind) {
  if (!IsAbsolute(path)) return Removal::RefusedRoot;
  const std::wstring full = Normalized(path);
  if (full.empty() || IsRoot(full)) return Removal::RefusedRoot;
  const DWORD a = GetFileAttributesW(full.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return Removal::NothingThere;
  if (kind == FolderKind::Product && !(a & FILE_ATTRIBUTE_REPARSE_POINT) && !HasMarker(full))
    return Removal::RefusedMarker;
  return DeleteTree(full) ? Removal::Removed : Removal::Failed;
}

int ExitCode(const std::vector<Removal>& results) {
  if (results.empty()) return 2;
  for (Removal r : results)
    if (r != Removal::Removed && r != Removal::NothingThere) return 1;
  return 0;
}

}  // namespace uninsts
