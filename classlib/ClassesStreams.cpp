// Streams: the abstract stream, handle and file streams, memory, string and
// resource streams.
#include <algorithm>
#include <cstring>

#include "Classes.hpp"
#include "Consts.hpp"
#include "WinApi.hpp"

// ---------------------------------------------------------------------------
// TStream.

void TStream::ReadBuffer(void* buffer, std::int32_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(Consts::ReadError);
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(Consts::WriteError);
}

Int64 TStream::Size() {
  Int64 pos = Seek(0, soCurrent);
  Int64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(Int64) {}

Int64 TStream::CopyFrom(TStream* source, Int64 count) {
  if (count == 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  const Int64 result = count;
  const std::int32_t kMaxBuffer = 0xF000;
  std::vector<Byte> buffer(static_cast<std::size_t>(std::min<Int64>(count, kMaxBuffer)));
  while (count > 0) {
    std::int32_t n = static_cast<std::int32_t>(std::min<Int64>(count, kMaxBuffer));
    source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return result;
}

// ---------------------------------------------------------------------------
// THandleStream and TFileStream.

std::int32_t THandleStream::Read(void* buffer, std::int32_t count) {
  DWORD done = 0;
  if (count <= 0 || !ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<std::int32_t>(done);
}

std::int32_t THandleStream::Write(const void* buffer, std::int32_t count) {
  DWORD done = 0;
  if (count <= 0 || !WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<std::int32_t>(done);
}

Int64 THandleStream::Seek(Int64 offset, TSeekOrigin origin) {
  static const DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(handle_, distance, &result, kMethod[origin])) return -1;
  return result.QuadPart;
}

void THandleStream::SetSize(Int64 size) {
  Seek(size, soBeginning);
  if (!SetEndOfFile(handle_)) RaiseLastOSError();
}

TFileStream::TFileStream(const std::string& fileName, Word mode)
    : THandleStream(INVALID_HANDLE_VALUE), fileName_(fileName) {
  if (mode == fmCreate) {
    handle_ = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE)
      throw EFCreateError(Consts::FCreateError, {ExpandFileName(fileName), SysErrorMessage(GetLastError())});
    return;
  }
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  const unsigned access = mode & 3, share = (mode & 0xF0) >> 4;
  if (access <= 2 && share <= 4)
    handle_ = CreateFileA(fileName.c_str(), kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    DWORD error = (access <= 2 && share <= 4) ? GetLastError() : ERROR_INVALID_PARAMETER;
    throw EFOpenError(Consts::FOpenError, {ExpandFileName(fileName), SysErrorMessage(error)});
  }
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

// ---------------------------------------------------------------------------
// Memory streams.

void TCustomMemoryStream::SetPointer(void* memory, Int64 size) {
  memory_ = memory;
  size_ = size;
}

std::int32_t TCustomMemoryStream::Read(void* buffer, std::int32_t count) {
  if (position_ < 0 || count <= 0 || position_ >= size_) return 0;
  const Int64 n = std::min<Int64>(size_ - position_, count);
  std::memcpy(buffer, static_cast<const Byte*>(memory_) + position_, static_cast<std::size_t>(n));
  position_ += n;
  return static_cast<std::int32_t>(n);
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: position_ = offset; break;
    case soCurrent: position_ += offset; break;
    case soEnd: position_ = size_ + offset; break;
  }
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  // Written in pieces: the stream interface counts in 32 bits.
  const Byte* p = static_cast<const Byte*>(memory_);
  for (Int64 left = size_; left > 0;) {
    std::int32_t n = static_cast<std::int32_t>(std::min<Int64>(left, 0x40000000));
    stream->WriteBuffer(p, n);
    p += n;
    left -= n;
  }
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TMemoryStream::SetCapacity(Int64 capacity) {
  data_.resize(static_cast<std::size_t>(capacity));
  SetPointer(data_.empty() ? nullptr : data_.data(), Size());
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
  if (position_ < 0 || count < 0) return 0;
  const Int64 end = position_ + count;
  if (end > Size()) {
    if (end > static_cast<Int64>(data_.size())) {
      // Grow geometrically so that many small writes stay linear.
      SetCapacity(std::max<Int64>(end, static_cast<Int64>(data_.size()) * 3 / 2));
    }
    SetPointer(data_.data(), end);
  }
  if (count > 0) std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::SetSize(Int64 size) {
  const Int64 old = position_;
  SetCapacity(size);
  SetPointer(data_.empty() ? nullptr : data_.data(), size);
  if (old > size) Seek(0, soEnd);
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  const Int64 count = stream->Size();
  SetSize(count);
  Byte* p = static_cast<Byte*>(Memory());
  for (Int64 left = count; left > 0;) {
    std::int32_t n = static_cast<std::int32_t>(std::min<Int64>(left, 0x40000000));
    stream->ReadBuffer(p, n);
    p += n;
    left -= n;
  }
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

// ---------------------------------------------------------------------------
// TStringStream.

std::int32_t TStringStream::Read(void* buffer, std::int32_t count) {
  const Int64 size = static_cast<Int64>(data_.size());
  if (count <= 0 || position_ >= size) return 0;
  const Int64 n = std::min<Int64>(size - position_, count);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return static_cast<std::int32_t>(n);
}

std::int32_t TStringStream::Write(const void* buffer, std::int32_t count) {
  if (count < 0) return 0;
  data_.resize(static_cast<std::size_t>(position_ + count));
  if (count > 0) std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ += count;
  return count;
}

Int64 TStringStream::Seek(Int64 offset, TSeekOrigin origin) {
  const Int64 size = static_cast<Int64>(data_.size());
  switch (origin) {
    case soBeginning: position_ = offset; break;
    case soCurrent: position_ += offset; break;
    case soEnd: position_ = size + offset; break;
  }
  position_ = std::clamp<Int64>(position_, 0, size);
  return position_;
}

void TStringStream::SetSize(Int64 size) {
  data_.resize(static_cast<std::size_t>(size));
  if (position_ > size) position_ = size;
}

std::string TStringStream::ReadString(std::int32_t count) {
  const Int64 n = std::max<Int64>(0, std::min<Int64>(static_cast<Int64>(data_.size()) - position_, count));
  std::string s = data_.substr(static_cast<std::size_t>(position_), static_cast<std::size_t>(n));
  position_ += n;
  return s;
}

void TStringStream::WriteString(const std::string& s) {
  Write(s.data(), static_cast<std::int32_t>(s.size()));
}

// ---------------------------------------------------------------------------
// TResourceStream.

TResourceStream::TResourceStream(HINSTANCE__* instance, const std::string& resName, const char* resType) {
  Initialize(instance, resName.c_str(), resType, resName);
}

TResourceStream::TResourceStream(HINSTANCE__* instance, int resId, const char* resType) {
  Initialize(instance, MAKEINTRESOURCEA(resId), resType, IntToStr(resId));
}

void TResourceStream::Initialize(HINSTANCE__* instance, const char* name, const char* type,
                                 const std::string& displayName) {
  HRSRC info = FindResourceA(instance, name, type);
  if (!info) throw EResNotFound(Consts::ResNotFound, {displayName});
  HGLOBAL global = LoadResource(instance, info);
  void* data = global ? LockResource(global) : nullptr;
  if (!data) throw EResNotFound(Consts::ResNotFound, {displayName});
  // Loaded resources stay mapped with the module; nothing to free.
  SetPointer(data, SizeofResource(instance, info));
}

std::int32_t TResourceStream::Write(const void*, std::int32_t) {
  throw EStreamError(Consts::CantWriteResourceStream);
}
