// unrar.dll: the library's published interface over the RAR 5.0 reader.
// This face owns everything Windows-specific: files, code pages, callbacks.

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Rar5Names.hpp"
#include "Rar5Reader.hpp"
#include "UnrarApi.hpp"

#ifndef UNRAR_BLOCK_SIZE
// Chosen by measurement (bench/run-bench.sh: a 200 MiB stored, encrypted
// file under Wine, best of three): 16 KiB 739 MiB/s, 64 KiB 1218, 256 KiB
// 1441, 1 MiB 1334 extracting to disk. 256 KiB is the fastest and keeps a
// cancel within a quarter of a mebibyte.
#define UNRAR_BLOCK_SIZE (256 * 1024)
#endif
static_assert(UNRAR_BLOCK_SIZE <= 1024 * 1024 && UNRAR_BLOCK_SIZE % 16 == 0);

namespace {

using rar5::Status;

std::wstring ToWide(const char* text, UINT codePage, int length = -1) {
  if (!text || length == 0) return {};
  const int n = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text, length, out.data(), n);
  if (length < 0) out.resize(wcslen(out.c_str()));
  return out;
}

std::string FromWide(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
  return out;
}

template <size_t N, typename Char>
void CopyTruncated(Char (&dest)[N], const std::basic_string<Char>& src) {
  const size_t n = src.size() < N - 1 ? src.size() : N - 1;
  std::memcpy(dest, src.data(), n * sizeof(Char));
  dest[n] = 0;
}

class Win32File : public rar5::RarFile {
 public:
  explicit Win32File(HANDLE h) : handle_(h) {
    LARGE_INTEGER size{};
    GetFileSizeEx(handle_, &size);
    size_ = static_cast<uint64_t>(size.QuadPart);
  }
  ~Win32File() override { CloseHandle(handle_); }
  static std::unique_ptr<Win32File> Open(const std::wstring& name) {
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : std::make_unique<Win32File>(h);
  }
  bool Read(void* buffer, size_t size, size_t& got) override {
    got = 0;
    while (got < size) {
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(size - got > 0x40000000 ? 0x40000000 : size - got);
      if (!ReadFile(handle_, static_cast<char*>(buffer) + got, want, &n, nullptr)) return false;
      if (n == 0) break;
      got += n;
    }
    return true;
  }
  bool Seek(uint64_t position) override {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
  }
  uint64_t Size() const override { return size_; }

 private:
  HANDLE handle_;
  uint64_t size_ = 0;
};

// One output file; removed again unless Keep is called, so that a failed or
// cancelled extraction leaves no partial file behind.
class OutputFile {
 public:
  OutputFile(const std::wstring& path) : path_(path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN)))
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    handle_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~OutputFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!kept_) DeleteFileW(path_.c_str());
  }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Write(const uint8_t* data, size_t size) {
    DWORD n = 0;
    return WriteFile(handle_, data, static_cast<DWORD>(size), &n, nullptr) && n == size;
  }
  void Keep(const rar5::Entry& entry);

 private:
  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool kept_ = false;
};

FILETIME UnixToFileTime(uint32_t seconds) {
  const uint64_t t = (uint64_t{seconds} + 11644473600ull) * 10000000ull;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

void OutputFile::Keep(const rar5::Entry& entry) {
  if (entry.HasMtime()) {
    const FILETIME ft = UnixToFileTime(entry.mtime);
    SetFileTime(handle_, nullptr, nullptr, &ft);
  }
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  kept_ = true;
  const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  if (entry.hostOs == rar5::kHostWindows && (entry.attributes & kept))
    SetFileAttributesW(path_.c_str(), static_cast<DWORD>(entry.attributes & kept));
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

std::wstring FullPath(const std::wstring& path) {
  wchar_t buffer[4096];
  const DWORD n = GetFullPathNameW(path.empty() ? L"." : path.c_str(), 4096, buffer, nullptr);
  return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

// True when target lies inside folder once both are made absolute.
bool IsInside(const std::wstring& folder, const std::wstring& target) {
  std::wstring base = FullPath(folder), full = FullPath(target);
  if (base.empty() || full.empty()) return false;
  if (base.back() != L'\\') base += L'\\';
  return full.size() > base.size() && _wcsnicmp(full.c_str(), base.c_str(), base.size()) == 0;
}

class ArchiveHandle : public rar5::ReaderHost {
 public:
  ArchiveHandle(std::wstring name, unsigned mode) : name_(std::move(name)), mode_(mode) {}
  Status Open();
  bool HeadersEncrypted() const { return reader_.HeadersEncrypted(); }
  uint64_t ArchiveFlags() const { return reader_.ArchiveFlags(); }
  void SetCallback(UNRARCALLBACK callback, LPARAM userData) {
    callback_ = callback;
    userData_ = userData;
  }
  void SetPassword(const char* ansi) { password_ = FromWide(ToWide(ansi, CP_ACP), CP_UTF8); }
  Status ReadHeader();
  Status ProcessFile(int operation, const char* destPath, const char* destName);
  const rar5::Entry& Entry() const { return entry_; }
  const std::wstring& VolumeName() const { return name_; }

  std::unique_ptr<rar5::RarFile> OpenNextVolume(Status& status) override;
  bool Password(std::string& utf8) override;

 private:
  int Notify(UINT message, LPARAM p1, LPARAM p2) {
    return callback_ ? callback_(message, userData_, p1, p2) : 0;
  }
  bool AskForVolume(std::wstring& next);
  Status Extract(const char* destPath, const char* destName);
  Status DataBlock(const uint8_t* data, size_t size, OutputFile* out);

  rar5::KeyCache keys_;
  rar5::Reader reader_{*this, keys_};
  std::wstring name_;
  unsigned mode_;
  UNRARCALLBACK callback_ = nullptr;
  LPARAM userData_ = 0;
  std::string password_;
  rar5::Entry entry_;
  bool haveEntry_ = false;
};

Status ArchiveHandle::Open() {
  auto file = Win32File::Open(name_);
  if (!file) return Status::EOpen;
  return reader_.Open(std::move(file));
}

bool ArchiveHandle::Password(std::string& utf8) {
  if (password_.empty() && callback_) {
    // The wide question first; a caller that leaves it unanswered gets the ANSI one.
    wchar_t wide[256] = {};
    if (Notify(UCM_NEEDPASSWORDW, reinterpret_cast<LPARAM>(wide), 256) == -1) return false;
    if (wide[0]) {
      password_ = FromWide(wide, CP_UTF8);
    } else {
      char ansi[256] = {};
      if (Notify(UCM_NEEDPASSWORD, reinterpret_cast<LPARAM>(ansi), 256) == -1) return false;
      ansi[255] = 0;
      password_ = FromWide(ToWide(ansi, CP_ACP), CP_UTF8);
    }
  }
  utf8 = password_;
  return !password_.empty();
}

bool ArchiveHandle::AskForVolume(std::wstring& next) {
  std::vector<wchar_t> wide(1024, L'\0');
  next.copy(wide.data(), 1023);
  if (Notify(UCM_CHANGEVOLUMEW, reinterpret_cast<LPARAM>(wide.data()), RAR_VOL_ASK) == -1) return false;
  const std::string original = FromWide(next, CP_ACP);
  std::vector<char> ansi(1024, '\0');
  original.copy(ansi.data(), 1023);
  if (Notify(UCM_CHANGEVOLUME, reinterpret_cast<LPARAM>(ansi.data()), RAR_VOL_ASK) == -1) return false;
  // Either answer may name the volume somewhere else.
  if (original != ansi.data())
    next = ToWide(ansi.data(), CP_ACP);
  else
    next = wide.data();
  return true;
}

std::unique_ptr<rar5::RarFile> ArchiveHandle::OpenNextVolume(Status& status) {
  status = Status::EOpen;
  std::wstring next = rar5::NextVolumeName(name_);
  if (next.empty()) return nullptr;
  if (GetFileAttributesW(next.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (!callback_ || !AskForVolume(next)) return nullptr;
  } else if (callback_) {
    std::string ansi = FromWide(next, CP_ACP);
    if (Notify(UCM_CHANGEVOLUMEW, reinterpret_cast<LPARAM>(next.c_str()), RAR_VOL_NOTIFY) == -1 ||
        Notify(UCM_CHANGEVOLUME, reinterpret_cast<LPARAM>(ansi.c_str()), RAR_VOL_NOTIFY) == -1)
      return nullptr;
  }
  auto file = Win32File::Open(next);
  if (file) name_ = next;
  return file;
}

Status ArchiveHandle::ReadHeader() {
  // A header read again without processing the last one passes over it.
  if (haveEntry_) {
    haveEntry_ = false;
    if (Status s = reader_.Skip(); s != Status::Success) return s;
  }
  const Status s = reader_.Next(entry_, mode_ == RAR_OM_LIST_INCSPLIT);
  haveEntry_ = s == Status::Success;
  return s;
}

Status ArchiveHandle::DataBlock(const uint8_t* data, size_t size, OutputFile* out) {
  // The caller may stop here; the block is then not written.
  if (Notify(UCM_PROCESSDATA, reinterpret_cast<LPARAM>(data), static_cast<LPARAM>(size)) == -1)
    return Status::Unknown;
  if (out && !out->Write(data, size)) return Status::EWrite;
  return Status::Success;
}

Status ArchiveHandle::ProcessFile(int operation, const char* destPath, const char* destName) {
  if (!haveEntry_) return Status::Unknown;
  haveEntry_ = false;
  if (operation == RAR_EXTRACT && mode_ != RAR_OM_LIST_INCSPLIT) return Extract(destPath, destName);
  if (operation == RAR_TEST && mode_ != RAR_OM_LIST_INCSPLIT)
    return reader_.Extract([this](const uint8_t* d, size_t n) { return DataBlock(d, n, nullptr); },
                           UNRAR_BLOCK_SIZE);
  return reader_.Skip();
}

Status ArchiveHandle::Extract(const char* destPath, const char* destName) {
  if (Status s = reader_.Prepare(); s != Status::Success) return s;
  std::wstring folder = ToWide(destPath, CP_OEMCP), path;
  if (destName && *destName) {
    path = ToWide(destName, CP_OEMCP);
  } else {
    if (!rar5::IsSafeEntryName(entry_.name)) return Status::ECreate;
    std::wstring relative = ToWide(entry_.name.c_str(), CP_UTF8, static_cast<int>(entry_.name.size()));
    for (auto& ch : relative)
      if (ch == L'/') ch = L'\\';
    path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += relative;
    if (!IsInside(folder, path)) return Status::ECreate;
  }
  if (entry_.IsDirectory()) {
    if (!CreateFolders(path)) return Status::ECreate;
    return reader_.Extract([](const uint8_t*, size_t) { return Status::Success; }, UNRAR_BLOCK_SIZE);
  }
  const size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0 && !CreateFolders(path.substr(0, slash))) return Status::ECreate;
  OutputFile out(path);
  if (!out.IsOpen()) return Status::ECreate;
  const Status s =
      reader_.Extract([&](const uint8_t* d, size_t n) { return DataBlock(d, n, &out); }, UNRAR_BLOCK_SIZE);
  if (s == Status::Success) out.Keep(entry_);
  return s;
}

unsigned DosTime(const rar5::Entry& e) {
  if (!e.HasMtime()) return 0;
  FILETIME utc = UnixToFileTime(e.mtime), local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
  return (static_cast<unsigned>(date) << 16) | time;
}

unsigned HeaderFlags(const rar5::Entry& e) {
  return (e.SplitBefore() ? RHDF_SPLITBEFORE : 0) | (e.SplitAfter() ? RHDF_SPLITAFTER : 0) |
         (e.crypt.present ? RHDF_ENCRYPTED : 0) | (e.IsDirectory() ? RHDF_DIRECTORY : 0);
}

// The entry name as the interface gives it: '\' separators.
std::wstring WideEntryName(const rar5::Entry& e) {
  std::wstring name = ToWide(e.name.c_str(), CP_UTF8, static_cast<int>(e.name.size()));
  for (auto& ch : name)
    if (ch == L'/') ch = L'\\';
  return name;
}

template <typename Header>
void FillCommon(Header* d, const rar5::Entry& e) {
  d->Flags = HeaderFlags(e);
  d->PackSize = static_cast<unsigned>(e.packedSize);
  d->UnpSize = static_cast<unsigned>(e.unpackedSize);
  d->HostOS = e.hostOs == rar5::kHostUnix ? 3 : 2;
  d->FileCRC = e.crc;
  d->FileTime = DosTime(e);
  d->UnpVer = 50;
  d->Method = 0x30 + e.Method();
  d->FileAttr = static_cast<unsigned>(e.attributes);
}

void FillHeader(RARHeaderData* d, const ArchiveHandle& h) {
  const rar5::Entry& e = h.Entry();
  std::memset(d->ArcName, 0, sizeof d->ArcName);
  std::memset(d->FileName, 0, sizeof d->FileName);
  CopyTruncated(d->ArcName, FromWide(h.VolumeName(), CP_ACP));
  CopyTruncated(d->FileName, FromWide(WideEntryName(e), CP_OEMCP));
  FillCommon(d, e);
  d->CmtSize = 0;
  d->CmtState = 0;
}

void FillHeaderEx(RARHeaderDataEx* d, const ArchiveHandle& h) {
  const rar5::Entry& e = h.Entry();
  const std::wstring wide = WideEntryName(e);
  CopyTruncated(d->ArcName, FromWide(h.VolumeName(), CP_ACP));
  CopyTruncated(d->ArcNameW, h.VolumeName());
  CopyTruncated(d->FileName, FromWide(wide, CP_OEMCP));
  CopyTruncated(d->FileNameW, wide);
  FillCommon(d, e);
  d->PackSizeHigh = static_cast<unsigned>(e.packedSize >> 32);
  d->UnpSizeHigh = static_cast<unsigned>(e.unpackedSize >> 32);
  d->CmtSize = 0;
  d->CmtState = 0;
  d->DictSize = e.IsDirectory() ? 0 : e.DictionaryKiB();
  d->HashType = e.HasCrc() ? RAR_HASH_CRC32 : RAR_HASH_NONE;
  d->RedirType = 0;
  const FILETIME ft = e.HasMtime() ? UnixToFileTime(e.mtime) : FILETIME{};
  d->MtimeLow = ft.dwLowDateTime;
  d->MtimeHigh = ft.dwHighDateTime;
}

unsigned OpenFlags(const ArchiveHandle& h) {
  const uint64_t f = h.ArchiveFlags();
  unsigned out = 0;
  if (f & rar5::kArchiveVolume) out |= ROADF_VOLUME | ROADF_NEWNUMBERING;
  if ((f & rar5::kArchiveVolume) && !(f & rar5::kArchiveVolumeNumber)) out |= ROADF_FIRSTVOLUME;
  if (f & rar5::kArchiveSolid) out |= ROADF_SOLID;
  if (f & rar5::kArchiveLocked) out |= ROADF_LOCK;
  if (f & rar5::kArchiveRecovery) out |= ROADF_RECOVERY;
  if (h.HeadersEncrypted()) out |= ROADF_ENCHEADERS;
  return out;
}

// No C++ exception may cross the interface.
template <typename F>
int Guarded(F&& f) {
  try {
    return static_cast<int>(f());
  } catch (const std::bad_alloc&) {
    return ERAR_NO_MEMORY;
  } catch (...) {
    return ERAR_UNKNOWN;
  }
}

ArchiveHandle* OpenArchive(std::wstring name, unsigned mode, unsigned& result) {
  result = ERAR_NO_MEMORY;
  try {
    if (mode > RAR_OM_LIST_INCSPLIT) mode = RAR_OM_LIST;
    auto handle = std::make_unique<ArchiveHandle>(std::move(name), mode);
    result = static_cast<unsigned>(handle->Open());
    return result == ERAR_SUCCESS ? handle.release() : nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  } catch (...) {
    result = ERAR_UNKNOWN;
    return nullptr;
  }
}

}  // namespace

extern "C" {

HANDLE PASCAL RAROpenArchive(RAROpenArchiveData* data) {
  if (!data) return nullptr;
  ArchiveHandle* h = OpenArchive(ToWide(data->ArcName, CP_ACP), data->OpenMode, data->OpenResult);
  data->CmtState = 0;
  return h;
}

HANDLE PASCAL RAROpenArchiveEx(RAROpenArchiveDataEx* data) {
  if (!data) return nullptr;
  std::wstring name = data->ArcNameW && *data->ArcNameW ? std::wstring(data->ArcNameW)
                                                        : ToWide(data->ArcName, CP_ACP);
  ArchiveHandle* h = OpenArchive(std::move(name), data->OpenMode, data->OpenResult);
  data->CmtState = 0;
  data->CmtSize = 0;
  if (h) {
    data->Flags = OpenFlags(*h);
    h->SetCallback(data->Callback, data->UserData);
  }
  return h;
}

int PASCAL RARCloseArchive(HANDLE handle) {
  if (!handle) return ERAR_ECLOSE;
  delete static_cast<ArchiveHandle*>(handle);
  return ERAR_SUCCESS;
}

int PASCAL RARReadHeader(HANDLE handle, RARHeaderData* data) {
  if (!handle || !data) return ERAR_UNKNOWN;
  auto* h = static_cast<ArchiveHandle*>(handle);
  return Guarded([&] {
    const Status s = h->ReadHeader();
    if (s == Status::Success) FillHeader(data, *h);
    return s;
  });
}

int PASCAL RARReadHeaderEx(HANDLE handle, RARHeaderDataEx* data) {
  if (!handle || !data) return ERAR_UNKNOWN;
  auto* h = static_cast<ArchiveHandle*>(handle);
  return Guarded([&] {
    const Status s = h->ReadHeader();
    if (s == Status::Success) FillHeaderEx(data, *h);
    return s;
  });
}

int PASCAL RARProcessFile(HANDLE handle, int operation, char* destPath, char* destName) {
  if (!handle) return ERAR_UNKNOWN;
  auto* h = static_cast<ArchiveHandle*>(handle);
  return Guarded([&] { return h->ProcessFile(operation, destPath, destName); });
}

void PASCAL RARSetCallback(HANDLE handle, UNRARCALLBACK callback, LPARAM userData) {
  if (handle) static_cast<ArchiveHandle*>(handle)->SetCallback(callback, userData);
}

void PASCAL RARSetPassword(HANDLE handle, char* password) {
  if (!handle) return;
  try {
    static_cast<ArchiveHandle*>(handle)->SetPassword(password);
  } catch (...) {
  }
}

}  // extern "C"
