// The PNG codec core built natively with the host compiler under the address
// and undefined-behaviour sanitizers, run over the whole corpus: every file
// loads (or fails with its exception) without a memory fault, decoded files
// show libpng's pixels, and every decoded file survives a save and reload
// with each filter set and interlace method.
//
// Usage: png_native_check CORPUSDIR
#include <cstdio>
#include <cstring>

#include "../PngTestSupport.hpp"

// The class library is not built natively; the codec core needs only these
// TStream members of it.
Int64 TStream::Size() {
  Int64 position = Seek(0, soCurrent);
  Int64 size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}
void TStream::SetSize(Int64) {}

namespace {

class TBytesStream : public TStream {
 public:
  explicit TBytesStream(std::vector<Byte> bytes = {}) : bytes_(std::move(bytes)) {}
  std::int32_t Read(void* buffer, std::int32_t count) override {
    const Int64 n = std::max<Int64>(0, std::min<Int64>(count, Int64(bytes_.size()) - position_));
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, std::size_t(n));
    position_ += n;
    return std::int32_t(n);
  }
  std::int32_t Write(const void* buffer, std::int32_t count) override {
    if (position_ + count > Int64(bytes_.size())) bytes_.resize(std::size_t(position_ + count));
    std::memcpy(bytes_.data() + position_, buffer, std::size_t(count));
    position_ += count;
    return count;
  }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override {
    const Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Int64(bytes_.size());
    position_ = std::max<Int64>(0, base + offset);
    return position_;
  }
  const std::vector<Byte>& Bytes() const { return bytes_; }

 private:
  std::vector<Byte> bytes_;
  Int64 position_ = 0;
};

std::string Outcome(TPNGObject& png, const std::vector<Byte>& bytes) {
  TBytesStream stream(bytes);
  try {
    png.LoadFromStream(&stream);
    return "ok";
  } catch (const Exception& e) {
    return ClassNameOfType(typeid(e));
  }
}

int CheckRoundTrips(TPNGObject& png, const std::string& name) {
  const pngtest::RgbaImage shown = pngtest::ShownImage(png);
  int failures = 0;
  for (TFilters filters : {TFilters{pfNone}, TFilters{pfSub, pfUp, pfAverage, pfPaeth}}) {
    for (Byte interlace : {0, 1}) {
      png.SetFilters(filters);
      png.SetInterlaceMethod(interlace);
      TBytesStream saved;
      png.SaveToStream(&saved);
      TPNGObject reloaded;
      const std::string difference = Outcome(reloaded, saved.Bytes()) == "ok"
                                         ? pngtest::Difference(pngtest::ShownImage(reloaded), shown)
                                         : "reload failed";
      if (!difference.empty()) {
        std::printf("%s: round trip: %s\n", name.c_str(), difference.c_str());
        ++failures;
      }
    }
  }
  return failures;
}

}  // namespace

int main() {
  int failures = 0, files = 0;
  for (const pngtest::ManifestEntry& e : pngtest::ReadManifest()) {
    ++files;
    TPNGObject png;
    const std::string outcome = Outcome(png, pngtest::ReadFileBytes(pngtest::CorpusPath(e.Name)));
    if (outcome != e.Outcome) {
      std::printf("%s: %s, expected %s\n", e.Name.c_str(), outcome.c_str(), e.Outcome.c_str());
      ++failures;
      continue;
    }
    if (outcome != "ok") continue;
    const int tolerance = e.Name.rfind("gama_", 0) == 0 ? 1 : 0;
    const std::string difference =
        pngtest::Difference(pngtest::ShownImage(png), pngtest::ReadReference(e.Reference), tolerance);
    if (!difference.empty()) {
      std::printf("%s: %s\n", e.Name.c_str(), difference.c_str());
      ++failures;
    }
    failures += CheckRoundTrips(png, e.Name);
  }
  std::printf("%d corpus files, %d failures\n", files, failures);
  return failures != 0 || files == 0;
}
