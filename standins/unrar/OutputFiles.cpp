#include "OutputFiles.hpp"

namespace unrar {

FILETIME UnixToFileTime(uint32_t seconds) {
  const uint64_t t = (uint64_t{seconds} + 11644473600ull) * 10000000ull;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

FileDetails FileDetails::Of(const rar5::Entry& entry) {
  constexpr DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  FileDetails details;
  if (entry.hostOs == rar5::kHostWindows) details.attributes = static_cast<DWORD>(entry.attributes) & kept;
  details.hasMtime = entry.HasMtime();
  if (details.hasMtime) details.mtime = UnixToFileTime(entry.mtime);
  return details;
}

// Hidden, system and archive are given at creation, which costs nothing;
// setting attributes afterwards reopens the file by name, several server
// round trips per file under Wine. Read-only waits for Keep: the handle must
// write first.
OutputFile::OutputFile(const std::wstring& path, const FileDetails& details) : path_(path), details_(details) {
  // A new file is created as new: replacing truncates, and a file truncated
  // to nothing is written back to disk as soon as it is closed (the file
  // system's guard for files replaced in place), which would cost a disk
  // write per file. Only an existing file is replaced.
  handle_ = Create(CREATE_NEW);
  if (handle_ == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) handle_ = Create(CREATE_ALWAYS);
  // An existing read-only, hidden or system file refuses to be replaced by a
  // plain one; it is asked about only then, not before every file.
  if (handle_ == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    const DWORD existing = GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY) &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN)) &&
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
      handle_ = Create(CREATE_ALWAYS);
  }
}

OutputFile::~OutputFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  if (!kept_) DeleteFileW(path_.c_str());
}

HANDLE OutputFile::Create(DWORD disposition) const {
  const DWORD atCreation = details_.attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
  return CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                     atCreation ? atCreation : FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool OutputFile::Write(const uint8_t* data, size_t size) {
  DWORD n = 0;
  return WriteFile(handle_, data, static_cast<DWORD>(size), &n, nullptr) && n == size;
}

void OutputFile::Keep() {
  if (details_.hasMtime) SetFileTime(handle_, nullptr, nullptr, &details_.mtime);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  kept_ = true;
  if (details_.attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path_.c_str(), details_.attributes);
}

bool CreateFolders(const std::wstring& path) {
  if (path.empty()) return true;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':' &&
      !CreateFolders(path.substr(0, slash)))
    return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace unrar
