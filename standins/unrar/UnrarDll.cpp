// unrar.dll: the library's published interface over the RAR 5.0 reader.
// This face owns everything Windows-specific: files, code pages, callbacks.

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "OutputFiles.hpp"
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
using unrar::FileDetails;
using unrar::FolderMaker;
using unrar::OutputFile;
using unrar::UnixToFileTime;

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

// The archive file. Small reads (the two pieces of every header, the data
// of small files) are served from a read-ahead buffer: each would otherwise
// be a seek and a read of its own, two system calls per piece, which for
// thousands of small files cost more than their bytes.
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
    auto out = static_cast<uint8_t*>(buffer);
    while (got < size) {
      if (position_ >= bufferStart_ && position_ < bufferStart_ + buffered_) {
        const size_t offset = static_cast<size_t>(position_ - bufferStart_);
        const size_t n = std::min(size - got, buffered_ - offset);
        std::memcpy(out + got, buffer_.data() + offset, n);
        got += n;
        position_ += n;
        continue;
      }
      // A large read goes straight to the caller's memory.
      if (size - got >= kReadAhead) {
        size_t n = 0;
        if (!ReadAt(position_, out + got, size - got, n)) return false;
        got += n;
        position_ += n;
        break;
      }
      if (!Fill()) return false;
      if (buffered_ == 0) break;  // the end of the file
    }
    return true;
  }
  bool Seek(uint64_t position) override {
    position_ = position;
    return true;
  }
  uint64_t Size() const override { return size_; }

 private:
  static constexpr size_t kReadAhead = 64 * 1024;
  static constexpr uint64_t kUnknown = ~uint64_t{0};

  bool Fill() {
    buffer_.resize(kReadAhead);
    bufferStart_ = position_;
    buffered_ = 0;
    return ReadAt(position_, buffer_.data(), kReadAhead, buffered_);
  }
  // Reads at an offset; the system's file pointer moves only when it must.
  bool ReadAt(uint64_t offset, uint8_t* to, size_t size, size_t& got) {
    got = 0;
    if (offset != filePointer_) {
      LARGE_INTEGER at{};
      at.QuadPart = static_cast<LONGLONG>(offset);
      if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN)) return false;
      filePointer_ = offset;
    }
    while (got < size) {
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(size - got > 0x40000000 ? 0x40000000 : size - got);
      if (!ReadFile(handle_, to + got, want, &n, nullptr)) {
        filePointer_ = kUnknown;  // the next read places it again
        return false;
      }
      filePointer_ += n;
      if (n == 0) break;
      got += n;
    }
    return true;
  }

  HANDLE handle_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;     // where the reader is
  uint64_t filePointer_ = 0;  // where the system's file pointer is
  std::vector<uint8_t> buffer_;
  uint64_t bufferStart_ = 0;
  size_t buffered_ = 0;
};

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
  bool EnsureParentFolder(const std::wstring& destination, const std::wstring& path);

  rar5::KeyCache keys_;
  rar5::Reader reader_{*this, keys_};
  std::wstring name_;
  unsigned mode_;
  UNRARCALLBACK callback_ = nullptr;
  LPARAM userData_ = 0;
  std::string password_;
  rar5::Entry entry_;
  bool haveEntry_ = false;
  // The folder the last file went into: the files of one folder follow each
  // other in an archive, and asking for the folder again each time costs a
  // path lookup per file.
  std::wstring lastFolder_;
  FolderMaker folders_;
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

bool ArchiveHandle::EnsureParentFolder(const std::wstring& destination, const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash == 0) return true;
  const std::wstring folder = path.substr(0, slash);
  if (folder == lastFolder_) return true;
  if (!folders_.Make(destination.empty() ? folder : destination, folder)) return false;
  lastFolder_ = folder;
  return true;
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
  // A name given whole is the caller's choice; only its folder is made.
  if (destName && *destName) folder.clear();
  if (entry_.IsDirectory()) {
    if (!folders_.Make(folder.empty() ? path : folder, path)) return Status::ECreate;
    return reader_.Extract([](const uint8_t*, size_t) { return Status::Success; }, UNRAR_BLOCK_SIZE);
  }
  if (!EnsureParentFolder(folder, path)) return Status::ECreate;
  OutputFile out(path, FileDetails::Of(entry_));
  if (!out.IsOpen()) return Status::ECreate;
  const Status s =
      reader_.Extract([&](const uint8_t* d, size_t n) { return DataBlock(d, n, &out); }, UNRAR_BLOCK_SIZE);
  return s == Status::Success ? out.Keep() : s;
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
