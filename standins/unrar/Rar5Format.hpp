// RAR 5.0 archive layout shared by the reader (unrar.dll) and the writer
// (rarpack): block and flag constants, variable-length integers, checksums.
// Free of <windows.h>, so it builds anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rar5 {

inline constexpr uint8_t kSignature[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
// The older format's signature: recognised only to report it as unsupported.
inline constexpr uint8_t kSignature4[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};

// Largest header we accept; real archives stay far below it.
inline constexpr uint64_t kMaxHeaderSize = 2 * 1024 * 1024;
inline constexpr unsigned kMaxKdfLog2 = 24;
inline constexpr size_t kSaltSize = 16;
inline constexpr size_t kIvSize = 16;
inline constexpr size_t kCheckSize = 12;
inline constexpr size_t kAesBlock = 16;

// BlockType
inline constexpr uint64_t kMainHeader = 1;
inline constexpr uint64_t kFileHeader = 2;
inline constexpr uint64_t kServiceHeader = 3;
inline constexpr uint64_t kCryptHeader = 4;
inline constexpr uint64_t kEndHeader = 5;

// BlockFlags
inline constexpr uint64_t kBlockExtra = 0x0001;
inline constexpr uint64_t kBlockData = 0x0002;
inline constexpr uint64_t kBlockSkipUnknown = 0x0004;
inline constexpr uint64_t kBlockSplitBefore = 0x0008;
inline constexpr uint64_t kBlockSplitAfter = 0x0010;

// ArchiveFlags
inline constexpr uint64_t kArchiveVolume = 0x0001;
inline constexpr uint64_t kArchiveVolumeNumber = 0x0002;
inline constexpr uint64_t kArchiveSolid = 0x0004;
inline constexpr uint64_t kArchiveRecovery = 0x0008;
inline constexpr uint64_t kArchiveLocked = 0x0010;

// FileFlags
inline constexpr uint64_t kFileDirectory = 0x0001;
inline constexpr uint64_t kFileMtime = 0x0002;
inline constexpr uint64_t kFileCrc = 0x0004;
inline constexpr uint64_t kFileSizeUnknown = 0x0008;

// EndFlags
inline constexpr uint64_t kEndNotLast = 0x0001;

// ExtraType
inline constexpr uint64_t kExtraCrypt = 0x01;
inline constexpr uint64_t kExtraHash = 0x02;
inline constexpr uint64_t kExtraTime = 0x03;
inline constexpr uint64_t kExtraVersion = 0x04;
inline constexpr uint64_t kExtraRedirection = 0x05;

// CryptFlags
inline constexpr uint64_t kCryptCheck = 0x0001;
inline constexpr uint64_t kCryptTweakedCrc = 0x0002;

// HostOs
inline constexpr uint64_t kHostWindows = 0;
inline constexpr uint64_t kHostUnix = 1;

// Appends a variable-length integer: 7 bits a byte, low group first.
void PutVint(std::vector<uint8_t>& out, uint64_t value);
size_t VintLength(uint64_t value);
void PutU32(std::vector<uint8_t>& out, uint32_t value);

// Bounds-checked reading of one header's bytes. Every read fails cleanly
// (returns false) rather than running past the end.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Vint(uint64_t& value);
  bool U32(uint32_t& value);
  bool Byte(uint8_t& value);
  bool Bytes(size_t count, const uint8_t*& where);
  bool Skip(uint64_t count);
  size_t Position() const { return pos_; }
  size_t Left() const { return size_ - pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Decodes a variable-length integer from the start of a buffer; returns the
// number of bytes used, 0 when the buffer ends first or the value is too long.
size_t ReadVint(const uint8_t* data, size_t size, uint64_t& value);

uint32_t Crc32(uint32_t crc, const void* data, size_t size);

}  // namespace rar5
