// The reader on its own, over archives written in memory by rarpack's
// writer: the key cache across thousands of encrypted files and headers.
#include <gtest/gtest.h>

#include <cstring>

#include "Rar5Reader.hpp"
#include "RarWriter.hpp"

namespace {

class MemorySink : public rarpack::Sink {
 public:
  explicit MemorySink(std::string& out) : out_(out) {}
  void Write(const uint8_t* data, size_t size) override {
    if (pos_ + size > out_.size()) out_.resize(pos_ + size);
    std::memcpy(out_.data() + pos_, data, size);
    pos_ += size;
  }
  void Seek(uint64_t position) override { pos_ = static_cast<size_t>(position); }
  uint64_t Tell() override { return pos_; }

 private:
  std::string& out_;
  size_t pos_ = 0;
};

class MemoryFile : public rar5::RarFile {
 public:
  explicit MemoryFile(const std::string& data) : data_(data) {}
  bool Read(void* buffer, size_t size, size_t& got) override {
    got = std::min(size, data_.size() - static_cast<size_t>(pos_));
    std::memcpy(buffer, data_.data() + pos_, got);
    pos_ += got;
    return true;
  }
  bool Seek(uint64_t position) override {
    pos_ = std::min<uint64_t>(position, data_.size());
    return true;
  }
  uint64_t Size() const override { return data_.size(); }

 private:
  const std::string& data_;
  uint64_t pos_ = 0;
};

class OneVolumeHost : public rar5::ReaderHost {
 public:
  std::unique_ptr<rar5::RarFile> OpenNextVolume(rar5::Status& status) override {
    status = rar5::Status::EOpen;
    return nullptr;
  }
  bool Password(std::string& utf8) override {
    utf8 = "tulbek";
    return true;
  }
};

std::string ManyFiles(int count, bool encryptHeaders) {
  std::string archive;
  rarpack::WriterOptions options;
  options.password = "tulbek";
  options.encryptHeaders = encryptHeaders;
  rarpack::Writer writer(options, [&](unsigned) { return std::make_unique<MemorySink>(archive); });
  for (int i = 0; i < count; ++i) {
    const std::string data = "file " + std::to_string(i);
    writer.AddFile("many/" + std::to_string(i) + ".txt", 0, data.size(), [&, done = size_t{0}](uint8_t* b, size_t n) mutable {
      const size_t k = std::min(n, data.size() - done);
      std::memcpy(b, data.data() + done, k);
      done += k;
      return k;
    });
  }
  writer.Finish();
  return archive;
}

}  // namespace

TEST(Reader, ThousandsOfEncryptedFilesCostOneKeyDerivation) {
  for (bool encryptHeaders : {false, true}) {
    SCOPED_TRACE(encryptHeaders);
    const std::string archive = ManyFiles(2000, encryptHeaders);
    OneVolumeHost host;
    rar5::KeyCache keys;
    rar5::Reader reader(host, keys);
    ASSERT_EQ(reader.Open(std::make_unique<MemoryFile>(archive)), rar5::Status::Success);
    rar5::Entry entry;
    int files = 0;
    std::string last;
    while (reader.Next(entry, false) == rar5::Status::Success) {
      last.clear();
      ASSERT_EQ(reader.Extract([&](const uint8_t* d, size_t n) {
        last.append(reinterpret_cast<const char*>(d), n);
        return rar5::Status::Success;
      }, 1 << 16), rar5::Status::Success);
      ++files;
    }
    EXPECT_EQ(files, 2000);
    EXPECT_EQ(last, "file 1999");
    EXPECT_EQ(keys.Derivations(), 1u);
  }
}
