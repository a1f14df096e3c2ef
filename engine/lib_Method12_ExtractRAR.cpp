#include "lib_Method12_ExtractRAR.hpp"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "InstallRecord.hpp"
#include "SysUtils.hpp"
#include "UnRAR.hpp"

const char* const PayloadPassword = "tulbek";

namespace {

// An archive opened through the library, closed again when it goes, on
// every path out of a listing or an extraction.
class TRarArchive {
 public:
  TRarArchive(const AnsiString& archive, unsigned int mode) {
    std::vector<char> name(archive.begin(), archive.end());
    name.push_back('\0');
    RAROpenArchiveDataEx data;
    ZeroMemory(&data, sizeof(data));
    data.ArcName = name.data();
    data.OpenMode = mode;
    handle_ = RAROpenArchiveEx(&data);
    openResult_ = handle_ ? data.OpenResult : (data.OpenResult ? data.OpenResult : unsigned(ERAR_EOPEN));
    if (openResult_ != 0) Close();
  }
  ~TRarArchive() { Close(); }
  TRarArchive(const TRarArchive&) = delete;
  TRarArchive& operator=(const TRarArchive&) = delete;

  HANDLE Handle() const { return handle_; }
  int OpenResult() const { return int(openResult_); }
  // The password is handed over as the library's writable char pointer.
  void SetPassword(const AnsiString& password) {
    std::vector<char> buffer(password.begin(), password.end());
    buffer.push_back('\0');
    RARSetPassword(handle_, buffer.data());
  }

 private:
  void Close() {
    if (handle_) RARCloseArchive(handle_);
    handle_ = nullptr;
  }
  HANDLE handle_ = nullptr;
  unsigned int openResult_ = 0;
};

// The engine reports failures as codes: one of its own, raised while it
// works with the library, becomes the library's code for it.
template <class Work>
int AsResultCode(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return ERAR_NO_MEMORY;
  } catch (const EOutOfMemory&) {
    return ERAR_NO_MEMORY;
  } catch (...) {
    return ERAR_UNKNOWN;
  }
}

AnsiString AnsiNameToOem(const AnsiString& ansi) {
  std::vector<char> buffer(ansi.size() + 1);
  CharToOemA(ansi.c_str(), buffer.data());
  return AnsiString(buffer.data(), ansi.size());
}

// The entry's name in the ANSI code page, taken from the name the library
// creates the file by. False when the OEM name the library also gives, or
// the ANSI one, is not that same name: best-fit and truncated forms name
// another file ("Ｒeadme.txt" as "Readme.txt"), which the record would then
// claim for the product.
bool EntryName(const RARHeaderDataEx& header, AnsiString& ansi) {
  const size_t wideLength = wcsnlen(header.FileNameW, std::size(header.FileNameW));
  const size_t oemLength = strnlen(header.FileName, sizeof(header.FileName));
  if (wideLength == 0 || wideLength == std::size(header.FileNameW) || oemLength == sizeof(header.FileName))
    return false;
  const WideString wide(header.FileNameW, wideLength);
  const int n = int(wideLength);
  WideString fromOem(size_t(oemLength) * 2 + 1, L'\0');
  fromOem.resize(size_t(std::max(0, MultiByteToWideChar(CP_OEMCP, 0, header.FileName, int(oemLength),
                                                         fromOem.data(), int(fromOem.size())))));
  if (fromOem != wide) return false;
  BOOL defaulted = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), n, nullptr, 0, nullptr, &defaulted);
  if (size <= 0 || defaulted) return false;
  ansi.assign(size_t(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), n, ansi.data(), size, nullptr, nullptr);
  return AnsiToWide(ansi) == wide;
}

int ExtractEntries(HANDLE archive, const AnsiString& destination, TClassForCallback& state,
                   TInstallRecord* record) {
  AnsiString oemDestination = AnsiNameToOem(destination);
  std::vector<char> destBuffer(oemDestination.begin(), oemDestination.end());
  destBuffer.push_back('\0');
  auto header = std::make_unique<RARHeaderDataEx>();
  for (;;) {
    ZeroMemory(header.get(), sizeof(*header));
    int result = RARReadHeaderEx(archive, header.get());
    if (result != 0) return result;
    if (!EntryName(*header, state.FileName)) return ERAR_ECREATE;
    if (record && !record->NoteEntry(state.FileName, (header->Flags & RHDF_DIRECTORY) != 0)) return ERAR_ECREATE;
    result = RARProcessFile(archive, RAR_EXTRACT, destBuffer.data(), nullptr);
    if (result != 0) return result;
    if (state.ProgressEvent.Assigned() && !state.ProgressEvent(state.FileName, state.RunningTotal))
      return 0;
  }
}

}  // namespace

int GetArchiveUnpackedSize(const AnsiString& archive, std::atomic<std::int32_t>& total, const AnsiString& password) {
  if (!UnRarHandle) return RarNotLoaded;
  return AsResultCode([&] {
    TRarArchive rar(archive, RAR_OM_LIST);
    if (!rar.Handle()) return rar.OpenResult();
    rar.SetPassword(password);
    total.store(0);
    auto header = std::make_unique<RARHeaderDataEx>();
    int result;
    for (;;) {
      ZeroMemory(header.get(), sizeof(*header));
      result = RARReadHeaderEx(rar.Handle(), header.get());
      if (result != 0) break;
      // The total is a signed 32-bit sum; it wraps past 2 GiB like one.
      total.store(std::int32_t(std::uint32_t(total.load()) + header->UnpSize));
      result = RARProcessFile(rar.Handle(), RAR_SKIP, nullptr, nullptr);
      if (result != 0) break;
    }
    return result == ERAR_END_ARCHIVE ? 0 : result;
  });
}

int GetArchiveUnpackedSize(const AnsiString& archive, std::int32_t& total, const AnsiString& password) {
  std::atomic<std::int32_t> sum{total};
  const int result = GetArchiveUnpackedSize(archive, sum, password);
  total = sum.load();
  return result;
}

int ExtractArchive(const AnsiString& archive, const AnsiString& destination, const AnsiString& password,
                   TExtractProgressEvent event, TInstallRecord* record) {
  if (!UnRarHandle) return RarNotLoaded;
  return AsResultCode([&] {
    // Declared first, so that it outlives the archive that calls back to it.
    TClassForCallback state(event);
    TRarArchive rar(archive, RAR_OM_EXTRACT);
    if (!rar.Handle()) return rar.OpenResult();
    rar.SetPassword(password);
    RARSetCallback(rar.Handle(), &ArchiveCallback, reinterpret_cast<LPARAM>(&state));
    const int result = ExtractEntries(rar.Handle(), destination, state, record);
    return result == ERAR_END_ARCHIVE ? 0 : result;
  });
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
