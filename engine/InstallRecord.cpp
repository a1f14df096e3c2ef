#include "InstallRecord.hpp"

#include <memory>
#include <set>

#include "Classes.hpp"
#include "InstalledFilesList.hpp"
#include "SysUtils.hpp"
#include "WinApi.hpp"

namespace {

// Names that the library must refuse anyway are never noted: the rollback
// may only ever touch paths under the target.
bool IsContainedName(const AnsiString& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != AnsiString::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == AnsiString::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

bool Exists(const AnsiString& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Appended to the name of a file that the install moved aside.
const char* const BackupSuffix = ".lumbrix-original";

std::string AnsiToUtf8(const AnsiString& ansi) {
  const WideString wide = AnsiToWide(ansi);
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? size_t(n) : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The names of a list already in the folder; none when there is no list or
// it cannot be read as one.
std::vector<std::string> EarlierListNames(const AnsiString& listPath) {
  std::vector<std::string> names;
  if (!FileExists(listPath)) return names;
  try {
    TFileStream stream(listPath, fmOpenRead | fmShareDenyWrite);
    std::string text(size_t(stream.Size()), '\0');
    stream.ReadBuffer(text.data(), std::int32_t(text.size()));
    installedfiles::Parse(text, names);
  } catch (const Exception&) {
    names.clear();
  }
  return names;
}

bool SameFolder(const AnsiString& a, const AnsiString& b) {
  return !a.empty() && AnsiSameText(ExcludeTrailingBackslash(a), ExcludeTrailingBackslash(b));
}

// Writes the whole text to a new file and makes sure it is on the disk.
bool WriteNewFile(const AnsiString& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
  ok = FlushFileBuffers(file) && ok;
  return CloseHandle(file) && ok;
}

// Puts the file in the destination's place: the directory entry is
// replaced, so whatever the old name was linked to is never written.
bool ReplaceWith(const AnsiString& source, const AnsiString& destination) {
  if (MoveFileExA(source.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  // Windows 9x has no MoveFileEx.
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  if (!DeleteFileA(destination.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  return MoveFileA(source.c_str(), destination.c_str()) != 0;
}

}  // namespace

bool TInstallRecord::Begin(const AnsiString& target, const AnsiString& registeredFolder) {
  target_ = ExcludeTrailingBackslash(target);
  created_.clear();
  installed_.clear();
  known_.clear();
  earlier_.clear();
  ownList_ = false;
  // The target and the parents the extraction will create, outermost first.
  std::vector<AnsiString> missing;
  for (AnsiString path = target_; !path.empty();) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      known_[path] = {TOrigin::Existed, attributes};
      if (path == target_ && IsLink(attributes)) return false;
      break;
    }
    missing.push_back(path);
    const AnsiString parent = ExcludeTrailingBackslash(ExtractFilePath(path));
    if (parent == path || parent == ExtractFileDrive(parent)) break;
    path = parent;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    known_[*it] = {TOrigin::Created, 0};
    created_.push_back(*it);
  }
  // Read before the extraction, which might bring a list of its own.
  ownList_ = SameFolder(registeredFolder, target_);
  if (ownList_) earlier_ = EarlierListNames(target_ + "\\" + installedfiles::FileName);
  return true;
}

const TInstallRecord::TKnown& TInstallRecord::Look(const AnsiString& path, bool parentCreated) {
  auto found = known_.find(path);
  if (found != known_.end()) return found->second;
  // Nothing can be in a folder this install has just made.
  const DWORD attributes = parentCreated ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  const TOrigin origin = attributes == INVALID_FILE_ATTRIBUTES ? TOrigin::Created : TOrigin::Existed;
  return known_[path] = {origin, attributes};
}

void TInstallRecord::NoteCreated(const AnsiString& path, const AnsiString& relative, bool isFolder) {
  created_.push_back(path);
  installed_.push_back(isFolder ? relative + "\\" : relative);
}

// The backup keeps the file's name with a suffix, so that the user finds it
// beside the product's copy should anything stop it from being renamed back.
bool TInstallRecord::MoveAside(const AnsiString& path, const AnsiString& relative) {
  for (int n = 1; n <= 99; ++n) {
    const AnsiString suffix = n == 1 ? AnsiString(BackupSuffix) : AnsiString(BackupSuffix) + "-" + IntToStr(n);
    const AnsiString backup = path + suffix;
    if (known_.count(backup) || Exists(backup)) continue;
    // Renaming moves the name only: the file keeps its content, its
    // attributes and any other name a hard link gives it.
    if (!MoveFileA(path.c_str(), backup.c_str())) return false;
    known_[path].Origin = TOrigin::Replaced;
    known_[backup] = {TOrigin::Existed, 0};
    created_.push_back(path + "|" + backup);
    installed_.push_back(relative + "|" + relative + suffix);
    return true;
  }
  return false;
}

bool TInstallRecord::NoteEntry(const AnsiString& relativeName, bool isFolder) {
  if (target_.empty() || !IsContainedName(relativeName)) return true;
  AnsiString relative = relativeName;
  for (auto& ch : relative)
    if (ch == '/') ch = '\\';
  while (!relative.empty() && relative.back() == '\\') relative.pop_back();
  auto top = known_.find(target_);
  bool parentCreated = top != known_.end() && top->second.Origin == TOrigin::Created;
  size_t start = 0;
  while (start < relative.size()) {
    size_t end = relative.find('\\', start);
    const bool last = end == AnsiString::npos;
    if (last) end = relative.size();
    if (end > start) {
      const AnsiString part = relative.substr(0, end);
      const AnsiString path = target_ + "\\" + part;
      const bool folder = !last || isFolder;
      const bool seen = known_.count(path) != 0;
      const TKnown known = Look(path, parentCreated);
      if (known.Origin == TOrigin::Existed) {
        // A link is neither entered nor written through, nor moved aside:
        // what it names is not the install's.
        if (IsLink(known.Attributes)) return false;
        if (!folder && !(known.Attributes & FILE_ATTRIBUTE_DIRECTORY) && !MoveAside(path, part)) return false;
      } else if (!seen && known.Origin == TOrigin::Created) {
        NoteCreated(path, part, folder);
      }
      parentCreated = known.Origin == TOrigin::Created;
    }
    start = end + 1;
  }
  return true;
}

bool TInstallRecord::WriteList() {
  if (target_.empty()) return false;
  const AnsiString listPath = target_ + "\\" + installedfiles::FileName;
  // A list the product did not write for this folder is somebody else's
  // file: it is kept under a backup name, as a payload file's namesake is.
  if (!ownList_) {
    const TKnown found = Look(listPath, false);
    if (found.Origin == TOrigin::Existed && !(found.Attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !MoveAside(listPath, installedfiles::FileName))
      return false;
  }
  std::vector<std::string> names = earlier_;
  std::set<std::string> listed(names.begin(), names.end());
  const std::set<std::string> earlier = listed;
  auto add = [&](const std::string& line) {
    if (installedfiles::IsSafeEntry(line) && listed.insert(line).second) names.push_back(line);
  };
  for (const auto& entry : installed_) {
    std::string name, backup;
    installedfiles::SplitEntry(AnsiToUtf8(entry), name, backup);
    // The list does not list itself.
    if (AnsiSameText(name, installedfiles::FileName)) continue;
    if (backup.empty()) {
      add(name);
    } else if (earlier.count(name)) {
      // What was moved aside is the earlier install's own copy: both go
      // when the product goes, and neither comes back.
      add(name);
      add(backup);
    } else {
      add(name + "|" + backup);
    }
  }
  // A payload without files makes no folder; the target and its parents
  // are noted as created since Begin.
  if (!ForceDirectories(target_)) return false;
  // The new list is complete on the disk before it takes the old one's
  // place: a failure leaves the earlier list as it was. Both are noted
  // before they are written, so that the rollback takes what is left.
  char temporary[MAX_PATH];
  if (!GetTempFileNameA(target_.c_str(), "lst", 0, temporary)) return false;
  created_.push_back(temporary);
  if (!Exists(listPath)) created_.push_back(listPath);
  if (WriteNewFile(temporary, installedfiles::Format(names)) && ReplaceWith(temporary, listPath)) return true;
  DeleteFileA(temporary);
  return false;
}
