// Path and file routines.
#include "Consts.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

std::string ExtractFilePath(const std::string& fileName) {
  return fileName.substr(0, LastDelimiter("\\:", fileName));
}

std::string ExtractFileDir(const std::string& fileName) {
  int i = LastDelimiter("\\:", fileName);
  // Keep the delimiter of a root ("C:\", "\") and of a drive ("C:").
  if (i > 1 && fileName[i - 1] == '\\' && fileName[i - 2] != '\\' && fileName[i - 2] != ':') --i;
  return fileName.substr(0, i);
}

std::string ExtractFileDrive(const std::string& fileName) {
  if (fileName.size() >= 2 && fileName[1] == ':') return fileName.substr(0, 2);
  if (fileName.size() >= 2 && fileName[0] == '\\' && fileName[1] == '\\') {
    // "\\server\share": up to the separator after the share name.
    std::size_t slashes = 0, i = 2;
    for (; i < fileName.size(); ++i)
      if (fileName[i] == '\\' && ++slashes == 2) break;
    return fileName.substr(0, i);
  }
  return std::string();
}

std::string ExtractFileName(const std::string& fileName) {
  return fileName.substr(LastDelimiter("\\:", fileName));
}

std::string ExtractFileExt(const std::string& fileName) {
  int i = LastDelimiter(".\\:", fileName);
  if (i > 0 && fileName[i - 1] == '.') return fileName.substr(i - 1);
  return std::string();
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
  int i = LastDelimiter(".\\:", fileName);
  if (i == 0 || fileName[i - 1] != '.') i = static_cast<int>(fileName.size()) + 1;
  return fileName.substr(0, i - 1) + extension;
}

std::string ExpandFileName(const std::string& fileName) {
  char buffer[MAX_PATH * 2];
  char* namePart = nullptr;
  DWORD len = GetFullPathNameA(fileName.c_str(), sizeof(buffer), buffer, &namePart);
  if (len == 0 || len >= sizeof(buffer)) return fileName;
  return std::string(buffer, len);
}

std::string IncludeTrailingBackslash(const std::string& s) {
  return (!s.empty() && s.back() == '\\') ? s : s + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& s) {
  return (!s.empty() && s.back() == '\\') ? s.substr(0, s.size() - 1) : s;
}

std::string IncludeTrailingPathDelimiter(const std::string& s) { return IncludeTrailingBackslash(s); }

std::string ExcludeTrailingPathDelimiter(const std::string& s) { return ExcludeTrailingBackslash(s); }

bool FileExists(const std::string& fileName) {
  DWORD attr = GetFileAttributesA(fileName.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
  // A file that is locked or hidden from GetFileAttributes can still be
  // listed by its folder.
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(fileName.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& directory) {
  DWORD attr = GetFileAttributesA(directory.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDir(const std::string& directory) { return CreateDirectoryA(directory.c_str(), nullptr) != 0; }

bool RemoveDir(const std::string& directory) { return RemoveDirectoryA(directory.c_str()) != 0; }

bool DeleteFile(const std::string& fileName) { return DeleteFileA(fileName.c_str()) != 0; }

bool RenameFile(const std::string& oldName, const std::string& newName) {
  return MoveFileA(oldName.c_str(), newName.c_str()) != 0;
}

std::string GetCurrentDir() {
  char buffer[MAX_PATH * 2];
  DWORD len = GetCurrentDirectoryA(sizeof(buffer), buffer);
  return len > 0 && len < sizeof(buffer) ? std::string(buffer, len) : std::string();
}

bool ForceDirectories(const std::string& directory) {
  if (directory.empty()) throw EInOutError(Consts::CannotCreateDir);
  std::string dir = ExcludeTrailingBackslash(directory);
  // A root, a drive ("C:", "\\server\share") or an existing folder ends the
  // climb. Short relative names ("a\b") are created too, unlike a plain
  // length test would allow.
  if (dir.empty() || dir == ExtractFileDrive(dir) || DirectoryExists(dir)) return true;
  const std::string parent = ExtractFilePath(dir);
  if (parent == dir) return true;
  if (!parent.empty() && !ForceDirectories(parent)) return false;
  return CreateDir(dir) || DirectoryExists(dir);
}

int FileGetAttr(const std::string& fileName) {
  return static_cast<int>(GetFileAttributesA(fileName.c_str()));
}

int FileSetAttr(const std::string& fileName, int attr) {
  return SetFileAttributesA(fileName.c_str(), static_cast<DWORD>(attr)) ? 0 : static_cast<int>(GetLastError());
}

namespace {

// Copies the current entry into the record, skipping entries with an
// attribute the caller did not ask for. Returns 0 or the system error.
int FindMatchingFile(TSearchRec& f, WIN32_FIND_DATAA& data) {
  HANDLE h = static_cast<HANDLE>(f.FindHandle);
  while ((data.dwFileAttributes & static_cast<DWORD>(f.ExcludeAttr)) != 0) {
    if (!FindNextFileA(h, &data)) return static_cast<int>(GetLastError());
  }
  FILETIME local;
  WORD date = 0, time = 0;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  f.Time = (static_cast<int>(date) << 16) | time;
  f.Size = (static_cast<Int64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  f.Attr = static_cast<int>(data.dwFileAttributes);
  f.Name = data.cFileName;
  return 0;
}

}  // namespace

int FindFirst(const std::string& path, int attr, TSearchRec& f) {
  const int kFaSpecial = faHidden | faSysFile | faVolumeID | faDirectory;
  f.ExcludeAttr = ~attr & kFaSpecial;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(path.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    f.FindHandle = nullptr;
    return static_cast<int>(GetLastError());
  }
  f.FindHandle = h;
  int result = FindMatchingFile(f, data);
  if (result != 0) FindClose(f);
  return result;
}

int FindNext(TSearchRec& f) {
  WIN32_FIND_DATAA data;
  if (!f.FindHandle || !FindNextFileA(static_cast<HANDLE>(f.FindHandle), &data))
    return static_cast<int>(GetLastError());
  return FindMatchingFile(f, data);
}

void FindClose(TSearchRec& f) {
  if (f.FindHandle) {
    ::FindClose(static_cast<HANDLE>(f.FindHandle));
    f.FindHandle = nullptr;
  }
}
