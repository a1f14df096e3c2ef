#include "lib_Method12_ExtractRAR.hpp"

#include <cstring>
#include <memory>

#include "SysUtils.hpp"
#include "UnRAR.hpp"
#include "lib_WindowsFileSystem.hpp"

const char* const PayloadPassword = "tulbek";

namespace {

// The password is handed over as the library's writable char pointer.
void SetPassword(HANDLE archive, const AnsiString& password) {
  std::vector<char> buffer(password.begin(), password.end());
  buffer.push_back('\0');
  RARSetPassword(archive, buffer.data());
}

HANDLE OpenArchive(const AnsiString& archive, unsigned int mode, unsigned int& openResult) {
  std::vector<char> name(archive.begin(), archive.end());
  name.push_back('\0');
  RAROpenArchiveDataEx data;
  ZeroMemory(&data, sizeof(data));
  data.ArcName = name.data();
  data.OpenMode = mode;
  HANDLE handle = RAROpenArchiveEx(&data);
  openResult = handle ? data.OpenResult : (data.OpenResult ? data.OpenResult : unsigned(ERAR_EOPEN));
  if (openResult != 0 && handle) RARCloseArchive(handle);
  return openResult == 0 ? handle : nullptr;
}

AnsiString OemNameToAnsi(const char* oem) {
  std::vector<char> buffer(std::strlen(oem) + 1);
  OemToCharA(oem, buffer.data());
  return AnsiString(buffer.data());
}

AnsiString AnsiNameToOem(const AnsiString& ansi) {
  std::vector<char> buffer(ansi.size() + 1);
  CharToOemA(ansi.c_str(), buffer.data());
  return AnsiString(buffer.data(), ansi.size());
}

// Names that the library must refuse anyway are not recorded: a rollback may
// only ever touch paths under the destination.
bool IsContainedName(const AnsiString& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != AnsiString::npos)
    return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == AnsiString::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

// Records every component of destination\name that does not exist yet, from
// the outermost down, so that a reverse walk removes children first.
void RecordMissingPaths(const AnsiString& destination, const AnsiString& name, TCreatedPaths& created) {
  if (!IsContainedName(name)) return;
  const AnsiString base = AddTrailingBackslash(destination);
  size_t start = 0;
  while (start < name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == AnsiString::npos) end = name.size();
    AnsiString path = base + name.substr(0, end);
    if (end > start && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
      created.push_back(path);
    start = end + 1;
  }
}

int ExtractEntries(HANDLE archive, const AnsiString& destination, TClassForCallback& state,
                   TCreatedPaths* created) {
  AnsiString oemDestination = AnsiNameToOem(destination);
  std::vector<char> destBuffer(oemDestination.begin(), oemDestination.end());
  destBuffer.push_back('\0');
  RARHeaderData header;
  for (;;) {
    ZeroMemory(&header, sizeof(header));
    int result = RARReadHeader(archive, &header);
    if (result != 0) return result;
    header.FileName[sizeof(header.FileName) - 1] = '\0';
    state.FileName = OemNameToAnsi(header.FileName);
    if (created) RecordMissingPaths(destination, state.FileName, *created);
    result = RARProcessFile(archive, RAR_EXTRACT, destBuffer.data(), nullptr);
    if (result != 0) return result;
    if (state.ProgressEvent.Assigned() && !state.ProgressEvent(state.FileName, state.RunningTotal))
      return 0;
  }
}

}  // namespace

int GetArchiveUnpackedSize(const AnsiString& archive, std::int32_t& total, const AnsiString& password) {
  if (!UnRarHandle) return RarNotLoaded;
  unsigned int openResult = 0;
  HANDLE handle = OpenArchive(archive, RAR_OM_LIST, openResult);
  if (!handle) return int(openResult);
  SetPassword(handle, password);
  total = 0;
  auto header = std::make_unique<RARHeaderDataEx>();
  int result;
  for (;;) {
    ZeroMemory(header.get(), sizeof(*header));
    result = RARReadHeaderEx(handle, header.get());
    if (result != 0) break;
    // The total is a signed 32-bit sum; it wraps past 2 GiB like one.
    total = std::int32_t(std::uint32_t(total) + header->UnpSize);
    result = RARProcessFile(handle, RAR_SKIP, nullptr, nullptr);
    if (result != 0) break;
  }
  RARCloseArchive(handle);
  return result == ERAR_END_ARCHIVE ? 0 : result;
}

int ExtractArchive(const AnsiString& archive, const AnsiString& destination, const AnsiString& password,
                   TExtractProgressEvent event, TCreatedPaths* created) {
  if (!UnRarHandle) return RarNotLoaded;
  TClassForCallback* state = new TClassForCallback(event);
  unsigned int openResult = 0;
  HANDLE handle = OpenArchive(archive, RAR_OM_EXTRACT, openResult);
  if (!handle) {
    state->Free();
    return int(openResult);
  }
  SetPassword(handle, password);
  RARSetCallback(handle, &ArchiveCallback, reinterpret_cast<LPARAM>(state));
  int result = ExtractEntries(handle, destination, *state, created);
  if (result == ERAR_END_ARCHIVE) result = 0;
  RARCloseArchive(handle);
  state->Free();
  return result;
}

int CALLBACK ArchiveCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2) {
  (void)p1;
  switch (message) {
    case UCM_CHANGEVOLUME:
      return -1;  // No further volume is offered.
    case UCM_PROCESSDATA: {
      auto state = reinterpret_cast<TClassForCallback*>(userData);
      state->RunningTotal = std::int32_t(std::uint32_t(state->RunningTotal) + std::uint32_t(p2));
      if (!state->ProgressEvent.Assigned()) return 0;
      // No exception may unwind into the library; one counts as a refusal.
      try {
        return state->ProgressEvent(state->FileName, state->RunningTotal) ? 0 : -1;
      } catch (...) {
        return -1;
      }
    }
    case UCM_NEEDPASSWORD:
      return -1;  // The password was set before; a second request is refused.
    default:
      return 0;
  }
}
