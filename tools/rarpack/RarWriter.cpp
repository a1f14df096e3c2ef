#include "RarWriter.hpp"

#include <algorithm>
#include <cstring>

namespace rarpack {

using namespace rar5;

namespace {

constexpr uint64_t kMinVolumeSize = 4096;
constexpr uint64_t kFolderAttributes = 0x10;
constexpr uint64_t kFileAttributes = 0x20;
constexpr size_t kPumpSize = 1024 * 1024;

uint64_t RoundUp16(uint64_t n) { return (n + 15) & ~uint64_t{15}; }

}  // namespace

// Turns a file's bytes into its packed bytes, encrypted when asked, and
// keeps the checksum of the plain bytes.
class DataPump {
 public:
  DataPump(const DataSource& source, uint64_t size, AesCbc* aes)
      : source_(source),
        plainLeft_(size),
        aes_(aes),
        buffer_(static_cast<size_t>(std::min<uint64_t>(RoundUp16(size), kPumpSize))) {}

  void Pump(Sink& sink, uint64_t count, uint32_t& packedCrc) {
    packedCrc = 0;
    while (count > 0) {
      if (pos_ == length_) Refill();
      const size_t n = static_cast<size_t>(std::min<uint64_t>(count, length_ - pos_));
      packedCrc = Crc32(packedCrc, buffer_.data() + pos_, n);
      sink.Write(buffer_.data() + pos_, n);
      pos_ += n;
      count -= n;
    }
  }
  uint32_t PlainCrc() const { return plainCrc_; }

 private:
  void Refill() {
    if (plainLeft_ == 0) throw WriterError("internal error: packed data overrun");
    const size_t want = static_cast<size_t>(std::min<uint64_t>(plainLeft_, kPumpSize));
    size_t got = 0;
    while (got < want) {
      const size_t n = source_(buffer_.data() + got, want - got);
      if (n == 0) throw WriterError("a file became shorter while it was read");
      got += n;
    }
    plainCrc_ = Crc32(plainCrc_, buffer_.data(), got);
    plainLeft_ -= got;
    length_ = got;
    if (aes_) {
      // The last block is padded; the unpacked size says where the data ends.
      length_ = static_cast<size_t>(RoundUp16(got));
      std::fill(buffer_.begin() + got, buffer_.begin() + length_, uint8_t{0});
      aes_->Process(buffer_.data(), length_);
    }
    pos_ = 0;
  }

  const DataSource& source_;
  uint64_t plainLeft_;
  AesCbc* aes_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0;
  size_t length_ = 0;
  uint32_t plainCrc_ = 0;
};

Writer::Writer(WriterOptions options, SinkFactory factory)
    : options_(std::move(options)), factory_(std::move(factory)) {
  if (options_.encryptHeaders && options_.password.empty())
    throw WriterError("header encryption needs a password");
  if (options_.tweakedChecksums && options_.password.empty())
    throw WriterError("tweaked checksums need a password");
  if (options_.volumeSize != 0 && options_.volumeSize < kMinVolumeSize)
    throw WriterError("the volume size must be at least 4096 bytes");
  if (options_.kdfLog2 > kMaxKdfLog2) throw WriterError("the key derivation count is too large");
  if (!options_.password.empty()) {
    // One salt for the whole archive, so readers derive the key once.
    RandomBytes(salt_.data(), salt_.size());
    keys_ = DeriveKeys(options_.password, salt_, options_.kdfLog2);
    check_ = MakeCheckField(keys_);
    // Opened once: each open is costly on Windows; every use restarts the IV.
    headerAes_ = std::make_unique<AesCbc>(keys_.key, Iv{}, AesCbc::Direction::Encrypt);
    dataAes_ = std::make_unique<AesCbc>(keys_.key, Iv{}, AesCbc::Direction::Encrypt);
  }
  endBlockSize_ = BlockSize(Block({kEndHeader, 0, 0}).size());
  StartVolume();
}

std::vector<uint8_t> Writer::Block(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> sized;
  PutVint(sized, body.size());
  sized.insert(sized.end(), body.begin(), body.end());
  std::vector<uint8_t> block;
  PutU32(block, Crc32(0, sized.data(), sized.size()));
  block.insert(block.end(), sized.begin(), sized.end());
  return block;
}

size_t Writer::BlockSize(size_t plainSize) const {
  return options_.encryptHeaders ? kIvSize + static_cast<size_t>(RoundUp16(plainSize)) : plainSize;
}

void Writer::WriteBlock(const std::vector<uint8_t>& block, const Iv* iv) {
  if (!options_.encryptHeaders) {
    sink_->Write(block.data(), block.size());
    return;
  }
  Iv fresh{};
  if (iv)
    fresh = *iv;
  else
    RandomIv(fresh.data(), fresh.size());
  std::vector<uint8_t> data(block);
  data.resize(static_cast<size_t>(RoundUp16(data.size())), 0);
  headerAes_->Restart(fresh);
  headerAes_->Process(data.data(), data.size());
  sink_->Write(fresh.data(), fresh.size());
  sink_->Write(data.data(), data.size());
}

void Writer::StartVolume() {
  sink_ = factory_(volumeIndex_);
  sink_->Write(kSignature, sizeof kSignature);
  if (options_.encryptHeaders) {
    std::vector<uint8_t> body = {kCryptHeader, 0, 0, kCryptCheck, static_cast<uint8_t>(options_.kdfLog2)};
    body.insert(body.end(), salt_.begin(), salt_.end());
    body.insert(body.end(), check_.begin(), check_.end());
    const std::vector<uint8_t> block = Block(body);
    sink_->Write(block.data(), block.size());  // the one plain header
  }
  std::vector<uint8_t> body = {kMainHeader, 0};
  uint64_t flags = options_.volumeSize ? kArchiveVolume : 0;
  if (volumeIndex_ > 0) flags |= kArchiveVolumeNumber;
  PutVint(body, flags);
  if (volumeIndex_ > 0) PutVint(body, volumeIndex_);
  WriteBlock(Block(body));
}

void Writer::EndVolume(bool last) {
  WriteBlock(Block({kEndHeader, 0, static_cast<uint8_t>(last ? 0 : kEndNotLast)}));
  sink_.reset();
  if (!last) ++volumeIndex_;
}

std::vector<uint8_t> Writer::FileBlock(const FileHeader& h) {
  std::vector<uint8_t> extra;
  if (h.encrypted) {
    std::vector<uint8_t> record = {kExtraCrypt, 0};
    PutVint(record, kCryptCheck | (options_.tweakedChecksums ? kCryptTweakedCrc : 0));
    record.push_back(static_cast<uint8_t>(options_.kdfLog2));
    record.insert(record.end(), salt_.begin(), salt_.end());
    record.insert(record.end(), h.iv.begin(), h.iv.end());
    record.insert(record.end(), check_.begin(), check_.end());
    PutVint(extra, record.size());
    extra.insert(extra.end(), record.begin(), record.end());
  }
  std::vector<uint8_t> body = {kFileHeader};
  PutVint(body, h.blockFlags | kBlockData | (extra.empty() ? 0 : kBlockExtra));
  if (!extra.empty()) PutVint(body, extra.size());
  PutVint(body, h.dataSize);
  PutVint(body, h.fileFlags);
  PutVint(body, h.unpackedSize);
  PutVint(body, h.attributes);
  if (h.fileFlags & kFileMtime) PutU32(body, h.mtime);
  if (h.fileFlags & kFileCrc) PutU32(body, h.crc);
  PutVint(body, 0);  // compression: store
  PutVint(body, kHostWindows);
  PutVint(body, h.name.size());
  body.insert(body.end(), h.name.begin(), h.name.end());
  body.insert(body.end(), extra.begin(), extra.end());
  return Block(body);
}

uint64_t Writer::Room() const {
  if (options_.volumeSize == 0) return UINT64_MAX;
  const uint64_t used = sink_->Tell() + endBlockSize_;
  return used < options_.volumeSize ? options_.volumeSize - used : 0;
}

void Writer::AddFolder(const std::string& name, uint32_t mtime) {
  FileHeader h;
  h.name = name;
  h.fileFlags = kFileDirectory | kFileMtime;
  h.mtime = mtime;
  h.attributes = kFolderAttributes;
  const std::vector<uint8_t> block = FileBlock(h);
  if (BlockSize(block.size()) > Room()) {
    EndVolume(false);
    StartVolume();
    if (BlockSize(block.size()) > Room()) throw WriterError("a header does not fit in one volume");
  }
  WriteBlock(block);
}

// How much of the `left` packed bytes go into the current volume; starts a
// new volume when not even a useful part fits.
uint64_t Writer::PartSize(const FileHeader& header, uint64_t left) {
  const uint64_t unit = header.encrypted ? kAesBlock : 1;
  for (int attempt = 0; attempt < 2; ++attempt) {
    FileHeader probe = header;
    probe.dataSize = left;
    probe.blockFlags |= kBlockSplitAfter;
    const uint64_t headerSize = BlockSize(FileBlock(probe).size());
    const uint64_t room = Room();
    if (headerSize <= room && (room - headerSize >= left)) return left;
    if (headerSize < room) {
      const uint64_t part = (room - headerSize) / unit * unit;
      if (part > 0) return part;
    }
    EndVolume(false);
    StartVolume();
  }
  throw WriterError("the volume size is too small for a header");
}

void Writer::WritePart(FileHeader& h, uint64_t partSize, DataPump& pump) {
  h.dataSize = partSize;
  h.crc = 0;
  const uint64_t headerAt = sink_->Tell();
  Iv iv{};
  RandomIv(iv.data(), iv.size());
  WriteBlock(FileBlock(h), &iv);
  uint32_t packedCrc = 0;
  pump.Pump(*sink_, partSize, packedCrc);
  // A part followed by more carries the checksum of its own packed bytes;
  // the last part carries that of the whole file.
  if (h.blockFlags & kBlockSplitAfter)
    h.crc = packedCrc;
  else
    h.crc = h.encrypted && options_.tweakedChecksums ? TweakCrc(pump.PlainCrc(), keys_) : pump.PlainCrc();
  const uint64_t end = sink_->Tell();
  sink_->Seek(headerAt);
  WriteBlock(FileBlock(h), &iv);
  sink_->Seek(end);
}

void Writer::AddFile(const std::string& name, uint32_t mtime, uint64_t size, const DataSource& source) {
  FileHeader h;
  h.name = name;
  h.fileFlags = kFileMtime | kFileCrc;
  h.mtime = mtime;
  h.unpackedSize = size;
  h.attributes = kFileAttributes;
  h.encrypted = !options_.password.empty();
  if (h.encrypted) {
    RandomIv(h.iv.data(), h.iv.size());  // a fresh IV for every file
    dataAes_->Restart(h.iv);
  }
  DataPump pump(source, size, h.encrypted ? dataAes_.get() : nullptr);
  uint64_t left = h.encrypted ? RoundUp16(size) : size;
  bool first = true;
  do {
    h.blockFlags = first ? 0 : kBlockSplitBefore;
    const uint64_t part = PartSize(h, left);
    if (part < left) h.blockFlags |= kBlockSplitAfter;
    WritePart(h, part, pump);
    left -= part;
    first = false;
    if (left > 0) {
      EndVolume(false);
      StartVolume();
    }
  } while (left > 0);
}

void Writer::Finish() {
  if (sink_) EndVolume(true);
}

}  // namespace rarpack
