// Writing extracted files: one output file that disappears unless it was
// completed, and the folders on its way.
#pragma once

#include <cstdint>
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

// One output file; removed again unless Keep is called, so that a failed or
// cancelled extraction leaves no partial file behind. An existing file is
// replaced, also a read-only, hidden or system one.
class OutputFile {
 public:
  OutputFile(const std::wstring& path, const FileDetails& details);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Write(const uint8_t* data, size_t size);
  // Sets the time and the read-only attribute and keeps the file.
  void Keep();

 private:
  HANDLE Create(DWORD disposition) const;

  std::wstring path_;
  FileDetails details_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool kept_ = false;
};

// Creates the folder and every missing parent; true when it is a folder now.
bool CreateFolders(const std::wstring& path);

}  // namespace unrar
