// Shared by unrar.dll's tests: the library bound by name as the installer
// binds it, throwaway folders, fixture paths, a hand-made archive builder
// for what rarpack never writes, and an extraction loop like the engine's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "UnrarApi.hpp"

namespace unrar_test {

namespace fs = std::filesystem;

struct UnrarLibrary {
  HMODULE module = nullptr;
  RAROpenArchiveFunc OpenArchive = nullptr;
  RAROpenArchiveExFunc OpenArchiveEx = nullptr;
  RARCloseArchiveFunc CloseArchive = nullptr;
  RARReadHeaderFunc ReadHeader = nullptr;
  RARReadHeaderExFunc ReadHeaderEx = nullptr;
  RARProcessFileFunc ProcessFile = nullptr;
  RARSetCallbackFunc SetCallback = nullptr;
  RARSetPasswordFunc SetPassword = nullptr;
};

// unrar.dll beside the test program, bound once.
const UnrarLibrary& Lib();

fs::path Fixture(const std::string& name);
fs::path FixtureTree();

// A fresh folder under the temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadAll(const fs::path& path);
void WriteAll(const fs::path& path, const std::string& data);
// The path as the interface takes it: ANSI for archives, OEM for folders.
std::string Ansi(const fs::path& path);
std::string Oem(const fs::path& path);

// Records what the library asks through its callback, and answers.
struct CallbackLog {
  std::vector<UINT> messages;
  std::vector<std::string> volumeNames;  // UCM_CHANGEVOLUME names
  std::vector<LPARAM> volumeModes;
  size_t largestBlock = 0;
  uint64_t bytes = 0;
  uint64_t cancelAfter = UINT64_MAX;  // answer -1 once this many bytes went by
  std::string password;               // ANSI answer to UCM_NEEDPASSWORD; empty refuses
  bool acceptVolumes = true;
  int Count(UINT message) const;
};
int CALLBACK RecordingCallback(UINT msg, LPARAM userData, LPARAM p1, LPARAM p2);

// Extracts every entry as the installer does: EXTRACT mode, password, the
// callback, ReadHeader and ProcessFile(RAR_EXTRACT) until an error. The end
// of the archive gives 0.
int ExtractAll(const fs::path& archive, const fs::path& destination, const char* password,
               CallbackLog* log = nullptr);

struct Listed {
  std::string name;  // OEM, as RARReadHeader gives it
  std::wstring wideName;
  unsigned flags = 0;
  uint64_t unpackedSize = 0;
};
// Lists with RARReadHeaderEx and RAR_SKIP; returns the final code (10 at a
// clean end).
int ListAll(const fs::path& archive, const char* password, std::vector<Listed>& out,
            unsigned mode = RAR_OM_LIST, CallbackLog* log = nullptr);

// Byte-for-byte comparison of two trees; returns the differences.
std::vector<std::string> CompareTrees(const fs::path& expected, const fs::path& actual);

// Hand-made archives for cases rarpack never writes.
struct RawEntry {
  std::string name;
  std::string data;
  uint64_t compression = 0;
  bool directory = false;
  bool wrongCrc = false;
};
struct RawArchive {
  std::string bytes;
  std::vector<size_t> boundaries;  // offset of every header, and the end
};
RawArchive BuildRawArchive(const std::vector<RawEntry>& entries);

}  // namespace unrar_test
