// Writes RAR 5.0 archives: stored files and folders, optional file-data and
// header encryption, optional volumes. Portable: output goes through the
// sink interface, errors are exceptions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Rar5Crypto.hpp"
#include "Rar5Format.hpp"

namespace rarpack {

struct WriterOptions {
  std::string password;          // UTF-8; empty for no encryption
  bool encryptHeaders = false;   // needs a password
  uint64_t volumeSize = 0;       // 0: one archive file
  bool tweakedChecksums = false; // stored checksums keyed by the password
  unsigned kdfLog2 = 15;
};

// One archive file being written, with the ability to go back and patch.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(const uint8_t* data, size_t size) = 0;
  virtual void Seek(uint64_t position) = 0;
  virtual uint64_t Tell() = 0;
};

// Opens the sink of volume `index` (0-based).
using SinkFactory = std::function<std::unique_ptr<Sink>(unsigned index)>;

// Supplies a file's bytes in order; returns how many it wrote to `buffer`.
using DataSource = std::function<size_t(uint8_t* buffer, size_t size)>;

class WriterError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Writer {
 public:
  Writer(WriterOptions options, SinkFactory factory);
  void AddFolder(const std::string& name, uint32_t mtime);
  void AddFile(const std::string& name, uint32_t mtime, uint64_t size, const DataSource& source);
  // Writes the end header; until then the archive is incomplete.
  void Finish();
  unsigned Volumes() const { return volumeIndex_ + 1; }

 private:
  struct FileHeader {
    std::string name;
    uint64_t blockFlags = 0;
    uint64_t fileFlags = 0;
    uint64_t unpackedSize = 0;
    uint64_t dataSize = 0;
    uint64_t attributes = 0;
    uint32_t mtime = 0;
    uint32_t crc = 0;
    bool encrypted = false;
    rar5::Iv iv{};
  };

  void StartVolume();
  void EndVolume(bool last);
  std::vector<uint8_t> Block(const std::vector<uint8_t>& body);
  std::vector<uint8_t> FileBlock(const FileHeader& header);
  void WriteBlock(const std::vector<uint8_t>& block, const rar5::Iv* iv = nullptr);
  size_t BlockSize(size_t plainSize) const;
  uint64_t Room() const;
  uint64_t PartSize(const FileHeader& header, uint64_t left);
  void WritePart(FileHeader& header, uint64_t partSize, class DataPump& pump);

  WriterOptions options_;
  SinkFactory factory_;
  std::unique_ptr<Sink> sink_;
  unsigned volumeIndex_ = 0;
  rar5::Salt salt_{};
  rar5::DerivedKeys keys_;
  rar5::CheckField check_{};
  size_t endBlockSize_ = 0;
  std::unique_ptr<rar5::AesCbc> headerAes_, dataAes_;
};

}  // namespace rarpack
