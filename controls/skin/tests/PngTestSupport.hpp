// Helpers of the PNG codec tests: files and streams, the corpus manifest,
// libpng's reference pixels, and the pixels an image shows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "Classes.hpp"
#include "pngimage.hpp"

namespace pngtest {

inline std::string CorpusPath(const std::string& name) {
  return std::string(SKIN_PNG_CORPUS) + "/" + name;
}

inline std::vector<Byte> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::vector<Byte>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A memory stream holding the bytes, positioned at the start.
inline std::unique_ptr<TMemoryStream> StreamOf(const std::vector<Byte>& bytes) {
  auto stream = std::make_unique<TMemoryStream>();
  if (!bytes.empty()) stream->Write(bytes.data(), std::int32_t(bytes.size()));
  stream->SetPosition(0);
  return stream;
}

inline std::vector<Byte> BytesOf(TMemoryStream& stream) {
  const Byte* p = static_cast<const Byte*>(stream.Memory());
  return std::vector<Byte>(p, p + stream.Size());
}

inline void LoadBytes(TPNGObject& png, const std::vector<Byte>& bytes) {
  auto stream = StreamOf(bytes);
  png.LoadFromStream(stream.get());
}

inline std::vector<Byte> SaveBytes(TPNGObject& png) {
  TMemoryStream stream;
  png.SaveToStream(&stream);
  return BytesOf(stream);
}

struct ManifestEntry {
  std::string Name;
  std::string Outcome;    // "ok" or an exception class name
  std::string Reference;  // the file whose libpng pixels apply
};

// Names the corpus file in test output.
inline void PrintTo(const ManifestEntry& entry, std::ostream* os) { *os << entry.Name; }

inline std::vector<ManifestEntry> ReadManifest() {
  std::vector<ManifestEntry> entries;
  std::ifstream in(CorpusPath("manifest.txt"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    ManifestEntry e;
    if (!(fields >> e.Name >> e.Outcome)) continue;
    if (!(fields >> e.Reference)) e.Reference = e.Name;
    entries.push_back(e);
  }
  return entries;
}

struct Rgba {
  Byte R, G, B, A;
  bool operator==(const Rgba&) const = default;
};

struct RgbaImage {
  int Width = 0, Height = 0;
  std::vector<Rgba> Pixels;
  Rgba At(int x, int y) const { return Pixels[std::size_t(y) * Width + x]; }
};

// libpng's pixels of a corpus file, as png_reference wrote them.
inline RgbaImage ReadReference(const std::string& name) {
  std::vector<Byte> bytes = ReadFileBytes(CorpusPath(name + ".rgba"));
  RgbaImage image;
  if (bytes.size() < 8) return image;
  auto u32 = [&](int at) {
    return int(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
  };
  image.Width = u32(0);
  image.Height = u32(4);
  for (std::size_t i = 8; i + 3 < bytes.size(); i += 4)
    image.Pixels.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
  return image;
}

// What the image shows at (x, y): the colour its bitmap holds (through the
// colour table for indexed layouts) and its alpha: the alpha plane, the
// palette's tRNS alpha, or 0 for pixels of the transparent colour of gray
// and RGB images.
inline Rgba ShownPixel(const TPNGObject& png, int x, int y) {
  const TChunkIHDR& h = *png.HeaderChunk();
  const TChunktRNS* trns = png.Chunks().Find<TChunktRNS>();
  Rgba p{};
  int index = -1;
  if (h.Indexed()) {
    index = pngimage_detail::ReadIndex(h.RowAddress(y), x, h.BitCount());
    const TPNGRGBQuad& q = h.BitmapInfo().bmiColors[index];
    p = {q.rgbRed, q.rgbGreen, q.rgbBlue, 255};
  } else {
    const Byte* s = h.RowAddress(y) + x * 3;
    p = {s[2], s[1], s[0], 255};
  }
  if (h.ImageAlpha()) {
    p.A = h.ImageAlpha()[std::size_t(y) * h.Width + x];
  } else if (trns && h.ColorType == 3) {
    p.A = trns->AlphaValues[index];
  } else if (trns) {
    const TColor key = png.KeyColor();
    const TColor shown = TColor(p.R | p.G << 8 | p.B << 16);
    if (shown == key) p.A = 0;
  }
  return p;
}

inline RgbaImage ShownImage(const TPNGObject& png) {
  RgbaImage image;
  image.Width = png.GetWidth();
  image.Height = png.GetHeight();
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) image.Pixels.push_back(ShownPixel(png, x, y));
  return image;
}

// The first differing pixel as text, or "" when the images agree within
// tolerance.
inline std::string Difference(const RgbaImage& got, const RgbaImage& expected, int tolerance = 0) {
  if (got.Width != expected.Width || got.Height != expected.Height ||
      got.Pixels.size() != expected.Pixels.size()) {
    std::ostringstream s;
    s << "size " << got.Width << "x" << got.Height << ", expected " << expected.Width << "x"
      << expected.Height;
    return s.str();
  }
  for (std::size_t i = 0; i < got.Pixels.size(); ++i) {
    const Rgba a = got.Pixels[i], b = expected.Pixels[i];
    auto off = [&](Byte u, Byte v) { return std::abs(int(u) - int(v)) > tolerance; };
    if (off(a.R, b.R) || off(a.G, b.G) || off(a.B, b.B) || off(a.A, b.A)) {
      std::ostringstream s;
      s << "pixel (" << i % got.Width << ", " << i / got.Width << ") is " << int(a.R) << ","
        << int(a.G) << "," << int(a.B) << "," << int(a.A) << ", expected " << int(b.R) << ","
        << int(b.G) << "," << int(b.B) << "," << int(b.A);
      return s.str();
    }
  }
  return "";
}

// The class name of the exception a load raises, or "" when it loads.
inline std::string LoadOutcome(TPNGObject& png, const std::vector<Byte>& bytes) {
  try {
    LoadBytes(png, bytes);
    return "";
  } catch (const Exception& e) {
    return ClassNameOfType(typeid(e));
  }
}

// The folder of saved files, emptied once per run.
inline const std::string& SavedDir() {
  static const std::string dir = [] {
    std::filesystem::path path(SKIN_PNG_SAVED);
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return std::string(SKIN_PNG_SAVED);
  }();
  return dir;
}

// Keeps a saved file for the libpng check, which compares it with the
// reference pixels of source (a corpus file, or pixels the test wrote).
inline void KeepForLibpng(const std::string& name, const std::vector<Byte>& bytes,
                   const std::string& source) {
  WriteFileBytes(SavedDir() + "/" + name, bytes);
  std::ofstream list(SavedDir() + "/saved.txt", std::ios::app);
  list << name << " " << source << "\n";
}

inline void WriteReference(const std::string& name, const RgbaImage& image) {
  std::vector<Byte> bytes(8);
  for (int i = 0; i < 4; ++i) {
    bytes[i] = Byte(image.Width >> (8 * i));
    bytes[4 + i] = Byte(image.Height >> (8 * i));
  }
  for (const Rgba& p : image.Pixels) bytes.insert(bytes.end(), {p.R, p.G, p.B, p.A});
  WriteFileBytes(SavedDir() + "/" + name + ".rgba", bytes);
}

}  // namespace pngtest
