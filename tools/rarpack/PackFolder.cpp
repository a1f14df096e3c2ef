#include "PackFolder.hpp"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

namespace rarpack {

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) {
  const std::u8string s = path.generic_u8string();
  return std::string(s.begin(), s.end());
}

class FileSink : public Sink {
 public:
  explicit FileSink(const fs::path& path) : stream_(path, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc) {
    if (!stream_) throw WriterError("cannot create " + Utf8(path));
  }
  void Write(const uint8_t* data, size_t size) override {
    stream_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!stream_) throw WriterError("cannot write the archive");
  }
  void Seek(uint64_t position) override {
    stream_.seekp(static_cast<std::streamoff>(position));
    if (!stream_) throw WriterError("cannot seek in the archive");
  }
  uint64_t Tell() override { return static_cast<uint64_t>(stream_.tellp()); }

 private:
  std::fstream stream_;
};

uint32_t UnixTime(const fs::path& path) {
  const auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(path));
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
  return static_cast<uint32_t>(std::clamp<long long>(seconds, 0, UINT32_MAX));
}

void AddFileFrom(const fs::path& path, const std::string& name, Writer& writer) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw WriterError("cannot open " + Utf8(path));
  const uint64_t size = fs::file_size(path);
  writer.AddFile(name, UnixTime(path), size, [&in](uint8_t* buffer, size_t want) {
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(want));
    return static_cast<size_t>(in.gcount());
  });
}

size_t PackTree(const fs::path& root, const fs::path& folder, Writer& writer) {
  std::vector<fs::directory_entry> entries{fs::directory_iterator(folder), fs::directory_iterator()};
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  size_t count = 0;
  for (const auto& entry : entries) {
    const std::string name = Utf8(fs::relative(entry.path(), root));
    if (entry.is_directory()) {
      writer.AddFolder(name, UnixTime(entry.path()));
      count += 1 + PackTree(root, entry.path(), writer);
    } else if (entry.is_regular_file()) {
      AddFileFrom(entry.path(), name, writer);
      ++count;
    } else {
      throw WriterError("not a file or folder: " + Utf8(entry.path()));
    }
  }
  return count;
}

}  // namespace

fs::path VolumePath(const fs::path& archive, unsigned index, bool split) {
  if (!split) return archive;
  fs::path stem = archive;
  if (stem.extension() == ".rar") stem.replace_extension();
  return fs::path(stem.native() + fs::path(".part" + std::to_string(index + 1) + ".rar").native());
}

size_t PackFolder(const fs::path& folder, Writer& writer) {
  if (!fs::is_directory(folder)) throw WriterError("not a folder: " + Utf8(folder));
  return PackTree(folder, folder, writer);
}

unsigned PackFolderToFile(const fs::path& folder, const fs::path& archive, const WriterOptions& options) {
  std::vector<fs::path> written;
  const bool split = options.volumeSize != 0;
  try {
    Writer writer(options, [&](unsigned index) {
      written.push_back(VolumePath(archive, index, split));
      return std::make_unique<FileSink>(written.back());
    });
    PackFolder(folder, writer);
    writer.Finish();
    return writer.Volumes();
  } catch (...) {
    std::error_code ignored;
    for (const auto& path : written) fs::remove(path, ignored);
    throw;
  }
}

}  // namespace rarpack
