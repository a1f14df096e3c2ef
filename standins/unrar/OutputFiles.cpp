#include "OutputFiles.hpp"

#include <vector>

namespace unrar {

namespace {

constexpr DWORD kProtected = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/') && path[path.size() - 2] != L':')
    path.pop_back();
  return path;
}

bool IsRealFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The folders above the destination are the caller's choice; they are only
// made where missing.
bool MakeParents(const std::wstring& path) {
  if (path.empty()) return true;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':' && !MakeParents(path.substr(0, slash)))
    return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

FILETIME UnixToFileTime(uint32_t seconds) {
  const uint64_t t = (uint64_t{seconds} + 11644473600ull) * 10000000ull;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

FileDetails FileDetails::Of(const rar5::Entry& entry) {
  constexpr DWORD kept = kProtected | FILE_ATTRIBUTE_ARCHIVE;
  FileDetails details;
  if (entry.hostOs == rar5::kHostWindows) details.attributes = static_cast<DWORD>(entry.attributes) & kept;
  details.hasMtime = entry.HasMtime();
  if (details.hasMtime) details.mtime = UnixToFileTime(entry.mtime);
  return details;
}

// A new file is created as new, in place: that costs nothing beyond the
// file itself. Only a name that is taken costs more.
OutputFile::OutputFile(const std::wstring& path, const FileDetails& details)
    : path_(path), written_(path), details_(details) {
  handle_ = Create(path_);
  if (handle_ == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && !OpenBeside()) return;
  created_ = handle_ != INVALID_HANDLE_VALUE;
}

OutputFile::~OutputFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  if (!created_ || kept_) return;
  // The read-only attribute may have been set before the replacement failed.
  if (details_.attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(written_.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(written_.c_str());
}

// Hidden, system and archive are given at creation, which costs nothing;
// setting attributes afterwards reopens the file by name, several server
// round trips per file under Wine. Read-only waits for Keep: the handle must
// write first. A link at the name is opened as itself, never followed.
HANDLE OutputFile::Create(const std::wstring& path) const {
  const DWORD atCreation = details_.attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
  return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                     (atCreation ? atCreation : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Writing over the existing file in place would lose it to a failure or a
// cancel halfway, and would write through a hard link into every other name
// of that file.
bool OutputFile::OpenBeside() {
  const DWORD existing = GetFileAttributesW(path_.c_str());
  if (existing == INVALID_FILE_ATTRIBUTES || (existing & FILE_ATTRIBUTE_DIRECTORY)) return false;
  for (unsigned n = 0; n < 1000; ++n) {
    const std::wstring candidate = path_ + L".~" + std::to_wstring(GetCurrentProcessId() % 10000) + L"-" +
                                   std::to_wstring(n) + L".tmp";
    handle_ = Create(candidate);
    if (handle_ != INVALID_HANDLE_VALUE) {
      written_ = candidate;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool OutputFile::Write(const uint8_t* data, size_t size) {
  DWORD n = 0;
  return WriteFile(handle_, data, static_cast<DWORD>(size), &n, nullptr) && n == size;
}

// The renaming replaces the name: a link there is replaced, not followed.
bool OutputFile::PutInPlace() {
  if (MoveFileExW(written_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  // A read-only file refuses to be replaced. Its attributes are cleared
  // for the replacement only, and given back should it still fail.
  const DWORD existing = GetFileAttributesW(path_.c_str());
  if (existing == INVALID_FILE_ATTRIBUTES || !(existing & kProtected)) return false;
  const DWORD cleared = existing & ~kProtected;
  if (!SetFileAttributesW(path_.c_str(), cleared ? cleared : FILE_ATTRIBUTE_NORMAL)) return false;
  if (MoveFileExW(written_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  SetFileAttributesW(path_.c_str(), existing);
  return false;
}

rar5::Status OutputFile::Keep() {
  using rar5::Status;
  const bool timeSet = !details_.hasMtime || SetFileTime(handle_, nullptr, nullptr, &details_.mtime);
  const bool closed = CloseHandle(handle_) != 0;
  handle_ = INVALID_HANDLE_VALUE;
  if (!closed) return Status::EClose;
  if (!timeSet) return Status::EWrite;
  if ((details_.attributes & FILE_ATTRIBUTE_READONLY) && !SetFileAttributesW(written_.c_str(), details_.attributes))
    return Status::EWrite;
  if (written_ != path_ && !PutInPlace()) return Status::ECreate;
  kept_ = true;
  return Status::Success;
}

bool FolderMaker::Make(const std::wstring& destination, const std::wstring& folder) {
  const std::wstring base = WithoutTrailingSeparators(destination);
  std::wstring path = WithoutTrailingSeparators(folder);
  // The folders not yet looked at, from the given one up to the
  // destination, deepest first.
  std::vector<std::wstring> pending;
  while (!checked_.count(path)) {
    pending.push_back(path);
    if (path.size() <= base.size()) break;
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
      if (base.empty()) break;  // relative to the current folder
      return false;
    }
    // A drive root keeps its separator ("C:\").
    std::wstring parent = path.substr(0, slash);
    if (parent.size() < base.size()) parent = path.substr(0, slash + 1);
    if (parent.size() < base.size()) return false;
    path = std::move(parent);
  }
  for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
    DWORD attributes = GetFileAttributesW(it->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (*it == base) {
        const size_t slash = base.find_last_of(L"\\/");
        if (slash != std::wstring::npos && slash > 0 && base[slash - 1] != L':' && !MakeParents(base.substr(0, slash)))
          return false;
      }
      if (CreateDirectoryW(it->c_str(), nullptr))
        attributes = FILE_ATTRIBUTE_DIRECTORY;
      else if (GetLastError() == ERROR_ALREADY_EXISTS)
        attributes = GetFileAttributesW(it->c_str());  // made meanwhile: looked at again
      else
        return false;
    }
    if (!IsRealFolder(attributes)) return false;
    checked_.insert(*it);
  }
  return true;
}

}  // namespace unrar
