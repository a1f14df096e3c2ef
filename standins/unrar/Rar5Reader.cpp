#include "Rar5Reader.hpp"

#include <algorithm>
#include <cstring>

namespace rar5 {

namespace {

// A header's size field never needs more than 3 bytes under the 2 MiB limit.
constexpr size_t kMaxSizeLength = 3;

uint64_t RoundUp16(uint64_t n) { return (n + 15) & ~uint64_t{15}; }

}  // namespace

AesCbc& Reader::Decryptor(std::unique_ptr<AesCbc>& slot, const DerivedKeys*& slotKeys, const DerivedKeys& keys,
                          const Iv& iv) {
  if (slot && slotKeys == &keys) {
    slot->Restart(iv);
  } else {
    slot = std::make_unique<AesCbc>(keys.key, iv, AesCbc::Direction::Decrypt);
    slotKeys = &keys;
  }
  return *slot;
}

Status Reader::Open(std::unique_ptr<RarFile> file) { return OpenVolume(std::move(file), true); }

Status Reader::ReadExact(uint64_t offset, void* buffer, size_t size) {
  if (offset > fileSize_ || size > fileSize_ - offset) return Status::BadArchive;
  size_t got = 0;
  if (!file_->Seek(offset) || !file_->Read(buffer, size, got)) return Status::ERead;
  return got == size ? Status::Success : Status::BadArchive;
}

Status Reader::OpenVolume(std::unique_ptr<RarFile> file, bool first) {
  file_ = std::move(file);
  fileSize_ = file_->Size();
  uint8_t signature[8] = {};
  size_t got = 0;
  if (!file_->Seek(0) || !file_->Read(signature, sizeof signature, got)) return Status::ERead;
  if (got == sizeof signature && std::memcmp(signature, kSignature, 8) == 0) {
    // Recognised below.
  } else if (got >= sizeof kSignature4 && std::memcmp(signature, kSignature4, sizeof kSignature4) == 0) {
    return Status::UnknownFormat;
  } else {
    return Status::BadArchive;
  }
  nextBlock_ = sizeof signature;
  const bool wasEncrypted = headerCrypt_.present;
  headerCrypt_.present = false;
  Block block;
  if (Status s = ReadBlock(block); s != Status::Success) return s;
  if (block.type == kCryptHeader) {
    if (Status s = ParseCryptHeader(block); s != Status::Success) return s;
    // The main header is encrypted; on the first volume it is read when
    // the first entry is asked for, since the password comes after opening.
    mainPending_ = true;
    return first ? Status::Success : ReadMainHeader(false);
  }
  if (wasEncrypted && !first) return Status::BadArchive;
  if (block.type != kMainHeader) return Status::BadArchive;
  return ParseMainHeader(block, first);
}

Status Reader::ReadMainHeader(bool first) {
  mainPending_ = false;
  Block block;
  if (Status s = ReadBlock(block); s != Status::Success) return s;
  if (block.type != kMainHeader) return Status::BadArchive;
  return ParseMainHeader(block, first);
}

Status Reader::ParseMainHeader(const Block& block, bool first) {
  ByteCursor c(block.header.data() + block.bodyStart, block.extraStart - block.bodyStart);
  uint64_t flags = 0, number = 0;
  if (!c.Vint(flags)) return Status::BadArchive;
  if ((flags & kArchiveVolumeNumber) && !c.Vint(number)) return Status::BadArchive;
  if (!first) {
    // A later volume must be a volume of this set, and the one expected.
    if (!(flags & kArchiveVolume) || number != volumeNumber_ + 1) return Status::BadArchive;
  }
  archiveFlags_ = flags;
  volumeNumber_ = number;
  return Status::Success;
}

Status Reader::ParseCryptHeader(const Block& block) {
  ByteCursor c(block.header.data() + block.bodyStart, block.extraStart - block.bodyStart);
  CryptInfo info;
  info.present = true;
  uint8_t kdf = 0;
  const uint8_t* salt = nullptr;
  if (!c.Vint(info.version) || !c.Vint(info.flags) || !c.Byte(kdf) || !c.Bytes(kSaltSize, salt))
    return Status::BadArchive;
  if (info.version != 0 || kdf > kMaxKdfLog2) return Status::UnknownFormat;
  info.kdfLog2 = kdf;
  std::copy(salt, salt + kSaltSize, info.salt.begin());
  if (info.HasCheck()) {
    const uint8_t* check = nullptr;
    if (!c.Bytes(kCheckSize, check)) return Status::BadArchive;
    std::copy(check, check + kCheckSize, info.check.begin());
  }
  headerCrypt_ = info;
  return Status::Success;
}

Status Reader::HeaderKeys(const DerivedKeys*& keys) {
  std::string password;
  if (!host_.Password(password)) return Status::MissingPassword;
  keys = &keys_.Get(password, headerCrypt_.salt, headerCrypt_.kdfLog2);
  headerCheckVerified_ = false;
  if (headerCrypt_.HasCheck()) {
    const CheckResult r = VerifyCheckField(headerCrypt_.check, *keys);
    if (r == CheckResult::Mismatch) return Status::BadPassword;
    headerCheckVerified_ = r == CheckResult::Match;
  }
  return Status::Success;
}

Status Reader::ReadPlainHeader(std::vector<uint8_t>& raw, uint64_t& end) {
  if (nextBlock_ >= fileSize_) return Status::BadArchive;  // ends without its end header
  uint8_t head[4 + kMaxSizeLength] = {};
  const size_t avail = static_cast<size_t>(std::min<uint64_t>(sizeof head, fileSize_ - nextBlock_));
  if (Status s = ReadExact(nextBlock_, head, avail); s != Status::Success) return s;
  uint64_t size = 0;
  const size_t used = ReadVint(head + 4, avail > 4 ? avail - 4 : 0, size);
  if (used == 0 || size == 0 || size > kMaxHeaderSize) return Status::BadArchive;
  const uint64_t total = 4 + used + size;
  if (total > fileSize_ - nextBlock_) return Status::BadArchive;
  raw.resize(static_cast<size_t>(total));
  if (Status s = ReadExact(nextBlock_, raw.data(), raw.size()); s != Status::Success) return s;
  end = nextBlock_ + total;
  return Status::Success;
}

Status Reader::ReadEncryptedHeader(std::vector<uint8_t>& raw, uint64_t& end) {
  const DerivedKeys* keys = nullptr;
  if (Status s = HeaderKeys(keys); s != Status::Success) return s;
  if (nextBlock_ >= fileSize_) return Status::BadArchive;
  Iv iv{};
  uint8_t first[kAesBlock];
  if (Status s = ReadExact(nextBlock_, iv.data(), iv.size()); s != Status::Success) return s;
  if (Status s = ReadExact(nextBlock_ + kIvSize, first, kAesBlock); s != Status::Success) return s;
  AesCbc& aes = Decryptor(headerAes_, headerAesKeys_, *keys, iv);
  aes.Process(first, kAesBlock);
  uint64_t size = 0;
  const size_t used = ReadVint(first + 4, kMaxSizeLength, size);
  if (used == 0 || size == 0 || size > kMaxHeaderSize)
    return headerCheckVerified_ ? Status::BadArchive : Status::BadPassword;
  const uint64_t total = 4 + used + size;
  const uint64_t padded = RoundUp16(total);
  if (padded > fileSize_ - nextBlock_ - kIvSize) return Status::BadArchive;
  raw.resize(static_cast<size_t>(padded));
  std::memcpy(raw.data(), first, kAesBlock);
  if (padded > kAesBlock) {
    if (Status s = ReadExact(nextBlock_ + kIvSize + kAesBlock, raw.data() + kAesBlock, raw.size() - kAesBlock);
        s != Status::Success)
      return s;
    aes.Process(raw.data() + kAesBlock, raw.size() - kAesBlock);
  }
  raw.resize(static_cast<size_t>(total));
  end = nextBlock_ + kIvSize + padded;
  return Status::Success;
}

Status Reader::ReadBlock(Block& block) {
  std::vector<uint8_t> raw;
  uint64_t end = 0;
  // Once a volume's encryption header is read, every later header is encrypted.
  const bool plain = !headerCrypt_.present;
  Status s = plain ? ReadPlainHeader(raw, end) : ReadEncryptedHeader(raw, end);
  if (s != Status::Success) return s;
  uint64_t sizeField = 0;
  const size_t sizeLength = ReadVint(raw.data() + 4, raw.size() - 4, sizeField);
  uint32_t stored = 0;
  for (int i = 0; i < 4; ++i) stored |= static_cast<uint32_t>(raw[i]) << (8 * i);
  if (Crc32(0, raw.data() + 4, raw.size() - 4) != stored) {
    // Without a verified check value a wrong password shows only here.
    if (!plain && !headerCheckVerified_) return Status::BadPassword;
    return Status::BadArchive;
  }
  return ParseBlock(raw, sizeLength, end, block);
}

Status Reader::ParseBlock(const std::vector<uint8_t>& raw, size_t sizeLength, uint64_t end, Block& block) {
  block.header.assign(raw.begin() + 4 + sizeLength, raw.end());
  ByteCursor c(block.header.data(), block.header.size());
  uint64_t extraSize = 0;
  block.dataSize = 0;
  if (!c.Vint(block.type) || !c.Vint(block.flags)) return Status::BadArchive;
  if ((block.flags & kBlockExtra) && !c.Vint(extraSize)) return Status::BadArchive;
  if ((block.flags & kBlockData) && !c.Vint(block.dataSize)) return Status::BadArchive;
  if (extraSize > c.Left()) return Status::BadArchive;
  block.bodyStart = c.Position();
  block.extraStart = block.header.size() - static_cast<size_t>(extraSize);
  block.dataOffset = end;
  if (block.dataSize > fileSize_ - end) return Status::BadArchive;  // truncated data area
  nextBlock_ = end + block.dataSize;
  return Status::Success;
}

Status Reader::ParseFileHeader(const Block& block, Entry& e) {
  e = Entry{};
  e.blockFlags = block.flags;
  e.packedSize = block.dataSize;
  ByteCursor c(block.header.data() + block.bodyStart, block.extraStart - block.bodyStart);
  uint64_t nameLength = 0;
  const uint8_t* name = nullptr;
  if (!c.Vint(e.fileFlags) || !c.Vint(e.unpackedSize) || !c.Vint(e.attributes)) return Status::BadArchive;
  if (e.HasMtime() && !c.U32(e.mtime)) return Status::BadArchive;
  if (e.HasCrc() && !c.U32(e.crc)) return Status::BadArchive;
  if (!c.Vint(e.compression) || !c.Vint(e.hostOs) || !c.Vint(nameLength)) return Status::BadArchive;
  if (nameLength > c.Left() || !c.Bytes(static_cast<size_t>(nameLength), name)) return Status::BadArchive;
  e.name.assign(reinterpret_cast<const char*>(name), static_cast<size_t>(nameLength));
  if ((e.fileFlags & kFileSizeUnknown) && !e.crypt.present) e.unpackedSize = e.packedSize;
  return ParseExtra(block, e);
}

Status Reader::ParseExtra(const Block& block, Entry& e) {
  ByteCursor c(block.header.data() + block.extraStart, block.header.size() - block.extraStart);
  while (c.Left() > 0) {
    uint64_t size = 0, type = 0;
    if (!c.Vint(size) || size == 0 || size > c.Left()) return Status::BadArchive;
    ByteCursor r(block.header.data() + block.extraStart + c.Position(), static_cast<size_t>(size));
    c.Skip(size);
    if (!r.Vint(type)) return Status::BadArchive;
    if (type == kExtraRedirection) e.redirection = true;
    if (type != kExtraCrypt) continue;
    CryptInfo& info = e.crypt;
    info.present = true;
    uint8_t kdf = 0;
    const uint8_t *salt = nullptr, *iv = nullptr, *check = nullptr;
    if (!r.Vint(info.version) || !r.Vint(info.flags) || !r.Byte(kdf) || !r.Bytes(kSaltSize, salt) ||
        !r.Bytes(kIvSize, iv))
      return Status::BadArchive;
    if (info.HasCheck() && !r.Bytes(kCheckSize, check)) return Status::BadArchive;
    info.kdfLog2 = kdf;
    std::copy(salt, salt + kSaltSize, info.salt.begin());
    std::copy(iv, iv + kIvSize, info.iv.begin());
    if (check) std::copy(check, check + kCheckSize, info.check.begin());
  }
  return Status::Success;
}

Status Reader::SwitchVolume() {
  Status status = Status::EOpen;
  std::unique_ptr<RarFile> next = host_.OpenNextVolume(status);
  if (!next) return status == Status::Success ? Status::EOpen : status;
  return OpenVolume(std::move(next), false);
}

Status Reader::Next(Entry& entry, bool includeSplitParts) {
  includeSplit_ = includeSplitParts;
  haveEntry_ = false;
  prepared_ = false;
  fileKeys_ = nullptr;
  while (!atEnd_) {
    if (mainPending_) {
      if (Status s = ReadMainHeader(true); s != Status::Success) return s;
    }
    Block block;
    if (Status s = ReadBlock(block); s != Status::Success) return s;
    if (block.type == kFileHeader) {
      if (Status s = ParseFileHeader(block, current_); s != Status::Success) return s;
      if (current_.SplitBefore() && !includeSplitParts) continue;  // tail of a file begun earlier
      part_ = current_;
      partOffset_ = block.dataOffset;
      partRead_ = 0;
      haveEntry_ = true;
      entry = current_;
      return Status::Success;
    }
    if (block.type == kEndHeader) {
      ByteCursor c(block.header.data() + block.bodyStart, block.extraStart - block.bodyStart);
      uint64_t flags = 0;
      if (!c.Vint(flags)) return Status::BadArchive;
      if (!(flags & kEndNotLast)) break;
      if (Status s = SwitchVolume(); s != Status::Success) return s;
      continue;
    }
    if (block.type == kMainHeader || block.type == kCryptHeader) return Status::BadArchive;
    // Service headers (comments, streams) and unknown kinds are passed over.
  }
  atEnd_ = true;
  return Status::EndArchive;
}

Status Reader::NextPart() {
  for (;;) {
    Block block;
    if (Status s = ReadBlock(block); s != Status::Success) return s;
    if (block.type == kFileHeader) {
      Entry next;
      if (Status s = ParseFileHeader(block, next); s != Status::Success) return s;
      if (!next.SplitBefore() || next.name != part_.name) return Status::BadArchive;
      part_ = next;
      partOffset_ = block.dataOffset;
      partRead_ = 0;
      return Status::Success;
    }
    if (block.type == kEndHeader) {
      ByteCursor c(block.header.data() + block.bodyStart, block.extraStart - block.bodyStart);
      uint64_t flags = 0;
      if (!c.Vint(flags) || !(flags & kEndNotLast)) return Status::BadArchive;
      if (Status s = SwitchVolume(); s != Status::Success) return s;
      continue;
    }
    if (block.type == kMainHeader || block.type == kCryptHeader) return Status::BadArchive;
  }
}

Status Reader::FinishParts() {
  if (includeSplit_) return Status::Success;
  while (part_.SplitAfter()) {
    if (Status s = NextPart(); s != Status::Success) return s;
  }
  return Status::Success;
}

Status Reader::Skip() {
  if (!haveEntry_) return Status::Success;
  haveEntry_ = false;
  return FinishParts();
}

Status Reader::Prepare() {
  if (!haveEntry_) return Status::Unknown;
  if (prepared_ || current_.IsDirectory()) return Status::Success;
  if (current_.redirection || current_.Method() != 0 || current_.AlgorithmVersion() != 0)
    return Status::UnknownFormat;
  const CryptInfo& crypt = current_.crypt;
  if (crypt.present) {
    if (crypt.version != 0 || crypt.kdfLog2 > kMaxKdfLog2) return Status::UnknownFormat;
    std::string password;
    if (!host_.Password(password)) return Status::MissingPassword;
    fileKeys_ = &keys_.Get(password, crypt.salt, crypt.kdfLog2);
    // A damaged check field says nothing about the password; the checksum will.
    if (crypt.HasCheck() && VerifyCheckField(crypt.check, *fileKeys_) == CheckResult::Mismatch)
      return Status::BadPassword;
  }
  prepared_ = true;
  return Status::Success;
}

Status Reader::FillPacked(uint8_t* buffer, size_t want, size_t& have) {
  have = 0;
  while (have < want) {
    if (partRead_ == part_.packedSize) {
      if (!part_.SplitAfter() || includeSplit_) break;
      if (Status s = NextPart(); s != Status::Success) return s;
      continue;
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(want - have, part_.packedSize - partRead_));
    if (Status s = ReadExact(partOffset_ + partRead_, buffer + have, n); s != Status::Success) return s;
    partRead_ += n;
    have += n;
  }
  return Status::Success;
}

Status Reader::Extract(const Sink& sink, size_t blockSize) {
  if (Status s = Prepare(); s != Status::Success) return s;
  haveEntry_ = false;
  if (current_.IsDirectory()) return FinishParts();
  const bool encrypted = current_.crypt.present;
  blockSize = std::max<size_t>(kAesBlock, blockSize & ~(kAesBlock - 1));
  blockSize = static_cast<size_t>(std::min<uint64_t>(blockSize, RoundUp16(current_.unpackedSize)));
  std::vector<uint8_t> buffer(std::max<size_t>(blockSize, kAesBlock));
  AesCbc* aes = encrypted ? &Decryptor(dataAes_, dataAesKeys_, *fileKeys_, current_.crypt.iv) : nullptr;
  uint64_t left = current_.unpackedSize;
  uint32_t crc = 0;
  while (left > 0) {
    const uint64_t need = encrypted ? RoundUp16(left) : left;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(blockSize, need));
    size_t have = 0;
    if (Status s = FillPacked(buffer.data(), want, have); s != Status::Success) return s;
    if (have < want) return Status::BadData;  // less data than the unpacked size says
    if (aes) aes->Process(buffer.data(), have);
    const size_t out = static_cast<size_t>(std::min<uint64_t>(have, left));
    crc = Crc32(crc, buffer.data(), out);
    if (Status s = sink(buffer.data(), out); s != Status::Success) return s;
    left -= out;
  }
  if (Status s = FinishParts(); s != Status::Success) return s;
  if (part_.HasCrc()) {
    const uint32_t expected = encrypted && current_.crypt.Tweaked() ? TweakCrc(crc, *fileKeys_) : crc;
    if (expected != part_.crc) return Status::BadData;
  }
  return Status::Success;
}

}  // namespace rar5
