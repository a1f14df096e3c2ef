// Helpers shared by the engine's tests: scratch folders, files, registry
// values read as raw bytes, shortcuts read back through IShellLinkA, and the
// programs and archives of the build tree.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "System.hpp"
#include "WinApi.hpp"

namespace enginetest {

// The ANSI (code page 1251 under test) form of a UTF-8 literal of the source.
AnsiString Ansi(const char* utf8);

// The folder of the running test program, with a trailing backslash.
AnsiString ProgramFolder();
// A program or library of the build tree, by its path relative to the
// build's root ("tools\\rarpack\\rarpack.exe").
AnsiString BuildTreeFile(const AnsiString& relative);

// A fresh, empty folder under the temporary folder, removed (with all it
// holds) when the object goes.
class TScratchFolder {
 public:
  explicit TScratchFolder(const AnsiString& tag);
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const AnsiString& Path() const { return path_; }
  AnsiString operator/(const AnsiString& name) const { return path_ + "\\" + name; }

 private:
  AnsiString path_;
};

void WriteFile(const AnsiString& path, const std::string& contents);
std::string ReadFile(const AnsiString& path);
bool FileThere(const AnsiString& path);
bool FolderThere(const AnsiString& path);
// Every file and folder under the folder, relative, folders with a trailing
// "\", sorted.
std::vector<AnsiString> ListTree(const AnsiString& folder);
// Removes a tree by the shell-independent route, for clean-up only.
void RemoveTree(const AnsiString& folder);

// A value of the registry as its raw bytes, without the terminating zero of
// a string; `found` is false when the key or value is missing.
std::string RegistryBytes(HKEY root, const AnsiString& key, const AnsiString& value, bool& found);
bool RegistryKeyThere(HKEY root, const AnsiString& key);
void SetRegistryString(HKEY root, const AnsiString& key, const AnsiString& value, const std::string& data);
void DeleteRegistryValue(HKEY root, const AnsiString& key, const AnsiString& value);

struct TShortcut {
  bool Loaded = false;
  AnsiString Path, Description, Arguments, WorkingFolder, IconFile;
};
TShortcut ReadShortcut(const AnsiString& linkFile);

// Waits until the file exists; false after the timeout.
bool WaitForFile(const AnsiString& path, DWORD timeoutMs);

// Makes `link` a link to the folder `target`: through the system where it
// can, else through the host's "ln -s" (Wine shows a host link to a folder
// as a reparse point). False when neither works.
bool MakeFolderLink(const AnsiString& link, const AnsiString& target);

// Runs a program and waits for it, at most the timeout (then it is ended).
struct TRunResult {
  bool Started = false;
  DWORD StartError = 0;  // GetLastError() of a failed start
  bool Finished = false;
  DWORD ExitCode = 0;
  bool Succeeded() const { return Finished && ExitCode == 0; }
};
TRunResult RunAndWait(const AnsiString& commandLine, DWORD timeoutMs = 120000);
std::ostream& operator<<(std::ostream& out, const TRunResult& run);

// Packs a folder into a RAR 5.0 archive with the build's rarpack.
struct TPackOptions {
  AnsiString Password;
  bool EncryptHeaders = false;
  std::uint64_t VolumeSize = 0;  // 0: one file
};
void PackFolder(const AnsiString& folder, const AnsiString& archive, const TPackOptions& options);

}  // namespace enginetest
