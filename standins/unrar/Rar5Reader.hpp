// Reads RAR 5.0 archives: headers (plain or encrypted), volumes, and the
// stored data of files with their decryption and checksum. Free of
// <windows.h>: files and user questions come through the two interfaces.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Rar5Crypto.hpp"
#include "Rar5Format.hpp"

namespace rar5 {

// The library's result codes.
enum class Status : int {
  Success = 0,
  EndArchive = 10,
  NoMemory = 11,
  BadData = 12,
  BadArchive = 13,
  UnknownFormat = 14,
  EOpen = 15,
  ECreate = 16,
  EClose = 17,
  ERead = 18,
  EWrite = 19,
  SmallBuf = 20,
  Unknown = 21,
  MissingPassword = 22,
  EReference = 23,
  BadPassword = 24,
};

class RarFile {
 public:
  virtual ~RarFile() = default;
  virtual bool Read(void* buffer, size_t size, size_t& got) = 0;
  virtual bool Seek(uint64_t position) = 0;
  virtual uint64_t Size() const = 0;
};

// What the reader asks of whoever drives it.
class ReaderHost {
 public:
  virtual ~ReaderHost() = default;
  // The volume after the current one; null with a status when it cannot be had.
  virtual std::unique_ptr<RarFile> OpenNextVolume(Status& status) = 0;
  // The password as UTF-8, asked for when none was given; false when refused.
  virtual bool Password(std::string& utf8) = 0;
};

struct CryptInfo {
  bool present = false;
  uint64_t version = 0;
  uint64_t flags = 0;
  unsigned kdfLog2 = 0;
  Salt salt{};
  Iv iv{};
  CheckField check{};
  bool HasCheck() const { return (flags & kCryptCheck) != 0; }
  bool Tweaked() const { return (flags & kCryptTweakedCrc) != 0; }
};

struct Entry {
  std::string name;  // UTF-8, '/' separated, as stored
  uint64_t blockFlags = 0;
  uint64_t fileFlags = 0;
  uint64_t unpackedSize = 0;
  uint64_t packedSize = 0;  // of this part
  uint64_t attributes = 0;
  uint32_t mtime = 0;
  uint32_t crc = 0;
  uint64_t compression = 0;
  uint64_t hostOs = 0;
  CryptInfo crypt;
  bool redirection = false;

  bool IsDirectory() const { return (fileFlags & kFileDirectory) != 0; }
  bool HasMtime() const { return (fileFlags & kFileMtime) != 0; }
  bool HasCrc() const { return (fileFlags & kFileCrc) != 0; }
  bool SplitBefore() const { return (blockFlags & kBlockSplitBefore) != 0; }
  bool SplitAfter() const { return (blockFlags & kBlockSplitAfter) != 0; }
  unsigned Method() const { return static_cast<unsigned>((compression >> 7) & 7); }
  unsigned AlgorithmVersion() const { return static_cast<unsigned>(compression & 0x3F); }
  unsigned DictionaryKiB() const { return 128u << ((compression >> 10) & 15); }
};

class Reader {
 public:
  using Sink = std::function<Status(const uint8_t* data, size_t size)>;

  Reader(ReaderHost& host, KeyCache& keys) : host_(host), keys_(keys) {}

  // Checks the signature and reads the first header of the first volume.
  Status Open(std::unique_ptr<RarFile> file);
  bool HeadersEncrypted() const { return headerCrypt_.present; }
  uint64_t ArchiveFlags() const { return archiveFlags_; }

  // The next file header. Without includeSplitParts a file split over
  // volumes is one entry and parts continued from an earlier volume are
  // passed over; with it, every part is an entry of its own.
  Status Next(Entry& entry, bool includeSplitParts);
  // Passes over the data of the entry Next gave last.
  Status Skip();
  // Validates what extraction needs (method, version, password) before
  // any output is made.
  Status Prepare();
  // Streams the entry's unpacked data to the sink in blocks of at most
  // blockSize bytes and checks its checksum.
  Status Extract(const Sink& sink, size_t blockSize);

 private:
  struct Block {
    uint64_t type = 0;
    uint64_t flags = 0;
    uint64_t dataSize = 0;
    uint64_t dataOffset = 0;
    std::vector<uint8_t> header;  // from the type field to the end of the extra area
    size_t bodyStart = 0;         // first type-specific byte
    size_t extraStart = 0;        // first byte of the extra area
  };

  Status OpenVolume(std::unique_ptr<RarFile> file, bool first);
  Status ReadExact(uint64_t offset, void* buffer, size_t size);
  Status ReadBlock(Block& block);
  Status ReadPlainHeader(std::vector<uint8_t>& raw, uint64_t& end);
  Status ReadEncryptedHeader(std::vector<uint8_t>& raw, uint64_t& end);
  Status ParseBlock(const std::vector<uint8_t>& raw, size_t sizeLength, uint64_t end, Block& block);
  Status ParseCryptHeader(const Block& block);
  Status ParseMainHeader(const Block& block, bool first);
  Status ParseFileHeader(const Block& block, Entry& entry);
  Status ParseExtra(const Block& block, Entry& entry);
  Status ReadMainHeader(bool first);
  Status HeaderKeys(const DerivedKeys*& keys);
  Status SwitchVolume();
  Status NextPart();
  Status FinishParts();
  Status FillPacked(uint8_t* buffer, size_t want, size_t& have);
  // One cipher for headers and one for file data, kept across entries and
  // restarted with each IV (the key cache keeps the keys' addresses stable).
  AesCbc& Decryptor(std::unique_ptr<AesCbc>& slot, const DerivedKeys*& slotKeys, const DerivedKeys& keys,
                    const Iv& iv);

  ReaderHost& host_;
  KeyCache& keys_;
  std::unique_ptr<RarFile> file_;
  uint64_t fileSize_ = 0;
  uint64_t nextBlock_ = 0;
  uint64_t archiveFlags_ = 0;
  uint64_t volumeNumber_ = 0;
  CryptInfo headerCrypt_;
  bool headerCheckVerified_ = false;
  bool mainPending_ = false;
  bool atEnd_ = false;
  bool includeSplit_ = false;

  bool haveEntry_ = false;
  Entry current_;           // the entry as Next gave it
  Entry part_;              // the part whose data is being read
  uint64_t partOffset_ = 0; // where that part's data starts in the current volume
  uint64_t partRead_ = 0;
  const DerivedKeys* fileKeys_ = nullptr;
  bool prepared_ = false;
  std::unique_ptr<AesCbc> headerAes_, dataAes_;
  const DerivedKeys* headerAesKeys_ = nullptr;
  const DerivedKeys* dataAesKeys_ = nullptr;
};

}  // namespace rar5
