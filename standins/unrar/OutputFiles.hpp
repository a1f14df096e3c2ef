// Writing extracted files: one output file that disappears unless it was
// completed, and the folders on its way.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "Rar5Reader.hpp"
#include "WinApi.hpp"

namespace unrar {

FILETIME UnixToFileTime(uint32_t seconds);

// What a finished file takes from its entry besides its bytes.
struct FileDetails {
  DWORD attributes = 0;  // read-only, hidden, system, archive
  bool hasMtime = false;
  FILETIME mtime{};
  static FileDetails Of(const rar5::Entry& entry);
};

// One output file. A new name is written in place; an existing file is
// never opened for writing: the bytes go to a temporary file beside it,
// which replaces it only once complete. Whatever this object created goes
// again unless Keep succeeds, and nothing else is ever deleted, so a failed
// or cancelled extraction leaves an existing file as it was. A link at the
// name is never written through.
class OutputFile {
 public:
  OutputFile(const std::wstring& path, const FileDetails& details);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Write(const uint8_t* data, size_t size);
  // Sets the time, closes the file, sets the read-only attribute and puts
  // the file in place. Any failure is reported, and nothing is kept then.
  rar5::Status Keep();

 private:
  HANDLE Create(const std::wstring& path) const;
  bool OpenBeside();
  bool PutInPlace();

  std::wstring path_;     // the name the file gets
  std::wstring written_;  // the name written: path_ or a temporary beside it
  FileDetails details_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool created_ = false;
  bool kept_ = false;
};

// Makes the folders files go into, each looked at once. A link or junction
// at or below the destination is never entered: what is made through it
// would lie elsewhere.
class FolderMaker {
 public:
  // Makes `folder`, which is `destination` or lies below it, and every
  // missing folder on its way; false when it cannot be made, when a name on
  // the way is a file, or when one from the destination down is a link.
  bool Make(const std::wstring& destination, const std::wstring& folder);

 private:
  std::set<std::wstring> checked_;  // folders known to be real ones
};

}  // namespace unrar
