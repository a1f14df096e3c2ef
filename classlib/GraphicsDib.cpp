// BMP files and DIB layouts.
#include "GraphicsDib.hpp"

#include <cstring>
#include <limits>

namespace {

constexpr int kMaxDimension = 32768;
constexpr std::uint64_t kMaxPixelBytes = 256u << 20;

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

std::uint32_t GetU32(const Byte* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t GetU16(const Byte* p) { return std::uint16_t(p[0] | p[1] << 8); }

const RGBQUAD kVgaColors[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0},
};

bool MasksAre(const DWORD* m, DWORD r, DWORD g, DWORD b) { return m[0] == r && m[1] == g && m[2] == b; }

// The header fields common to the 12-byte and the 40-byte-and-larger headers.
struct HeaderFields {
  std::uint32_t headerSize;
  std::int64_t width, height;
  int planes, bitCount;
  DWORD compression;
  std::uint32_t sizeImage, colorsUsed;
  bool core;
};

HeaderFields ReadHeaderFields(const Byte* dib, std::size_t size) {
  if (size < 4) InvalidBitmap();
  HeaderFields h{};
  h.headerSize = GetU32(dib);
  if (h.headerSize == sizeof(BITMAPCOREHEADER)) {
    if (size < h.headerSize) InvalidBitmap();
    h.core = true;
    h.width = GetU16(dib + 4);
    h.height = GetU16(dib + 6);
    h.planes = GetU16(dib + 8);
    h.bitCount = GetU16(dib + 10);
    h.compression = BI_RGB;
    return h;
  }
  if (h.headerSize < sizeof(BITMAPINFOHEADER) || h.headerSize > size) InvalidBitmap();
  h.width = static_cast<std::int32_t>(GetU32(dib + 4));
  h.height = static_cast<std::int32_t>(GetU32(dib + 8));
  h.planes = GetU16(dib + 12);
  h.bitCount = GetU16(dib + 14);
  h.compression = GetU32(dib + 16);
  h.sizeImage = GetU32(dib + 20);
  h.colorsUsed = GetU32(dib + 32);
  return h;
}

void CheckHeaderFields(const HeaderFields& h) {
  if (h.planes != 1) InvalidBitmap();
  if (h.width <= 0 || h.width > kMaxDimension || h.height == 0 || h.height < -kMaxDimension ||
      h.height > kMaxDimension)
    InvalidBitmap();
  switch (h.bitCount) {
    case 1: case 4: case 8: case 24: break;
    case 16: case 32: if (h.core) InvalidBitmap(); break;
    default: InvalidBitmap();
  }
  switch (h.compression) {
    case BI_RGB: break;
    case BI_RLE8: if (h.bitCount != 8 || h.height < 0) InvalidBitmap(); break;
    case BI_RLE4: if (h.bitCount != 4 || h.height < 0) InvalidBitmap(); break;
    case BI_BITFIELDS: if (h.bitCount != 16 && h.bitCount != 32) InvalidBitmap(); break;
    default: InvalidBitmap();
  }
}

// Reads the masks and the colour table; returns where the table ends.
std::size_t ReadTables(const Byte* dib, std::size_t size, const HeaderFields& h, DibLayout& layout) {
  std::size_t pos = h.headerSize;
  if (h.compression == BI_BITFIELDS) {
    // Version 4 and 5 headers carry the masks; the 40-byte one is followed by them.
    std::size_t at = h.headerSize >= 52 ? 40 : pos;
    if (at + 12 > size) InvalidBitmap();
    for (int i = 0; i < 3; ++i) layout.masks[i] = GetU32(dib + at + 4 * i);
    if (h.headerSize < 52) pos += 12;
  }
  std::uint64_t count = h.colorsUsed;
  if (h.bitCount <= 8) {
    std::uint64_t full = std::uint64_t(1) << h.bitCount;
    if (count == 0 || h.core) count = full;
    if (count > full) InvalidBitmap();
  }
  std::size_t entry = h.core ? 3 : 4;
  if (count > (size - pos) / entry) InvalidBitmap();
  if (h.bitCount <= 8) {
    layout.colors.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
      const Byte* p = dib + pos + i * entry;
      layout.colors[i] = RGBQUAD{p[0], p[1], p[2], 0};
    }
  }
  return pos + static_cast<std::size_t>(count) * entry;
}

void ChooseFormat(const HeaderFields& h, DibLayout& layout) {
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    layout.format = h.compression == BI_RLE8 ? pf8bit : pf4bit;
    layout.direct = false;
    return;
  }
  layout.format = PixelFormatOfDib(h.bitCount, h.compression, layout.masks);
  if (layout.format == pfCustom) {
    layout.format = pf24bit;
    layout.direct = false;
  }
}

}  // namespace

DibInfo::DibInfo() : storage_((sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)) / sizeof(DWORD), 0) {}

int DibStride(int width, int bitCount) { return static_cast<int>((std::int64_t(width) * bitCount + 31) / 32 * 4); }

DibInfo MakeDibInfo(TPixelFormat format, int width, int height, const std::vector<RGBQUAD>& colors) {
  DibInfo info;
  BITMAPINFOHEADER& h = info.Header();
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(PixelFormatBits(format));
  h.biCompression = BI_RGB;
  if (format == pf16bit) {
    h.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.Table(), masks, sizeof(masks));
  } else if (h.biBitCount <= 8) {
    std::size_t count = std::min<std::size_t>(colors.size(), std::size_t(1) << h.biBitCount);
    h.biClrUsed = static_cast<DWORD>(count);
    if (count) std::memcpy(info.Table(), colors.data(), count * sizeof(RGBQUAD));
  }
  return info;
}

std::vector<RGBQUAD> DefaultColorTable(TPixelFormat format) {
  switch (format) {
    case pf1bit: return {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    case pf4bit: return std::vector<RGBQUAD>(std::begin(kVgaColors), std::end(kVgaColors));
    case pf8bit: {
      std::vector<RGBQUAD> table(std::begin(kVgaColors), std::end(kVgaColors));
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b) table.push_back(RGBQUAD{Byte(b * 51), Byte(g * 51), Byte(r * 51), 0});
      for (int i = 0; i < 24; ++i) {
        Byte v = static_cast<Byte>(8 + i * 10);
        table.push_back(RGBQUAD{v, v, v, 0});
      }
      return table;
    }
    default: return {};
  }
}

HPALETTE CreatePaletteFromTable(const std::vector<RGBQUAD>& colors) {
  if (colors.empty()) return nullptr;
  std::vector<Byte> storage(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
  auto* pal = reinterpret_cast<LOGPALETTE*>(storage.data());
  pal->palVersion = 0x300;
  pal->palNumEntries = static_cast<WORD>(colors.size());
  for (std::size_t i = 0; i < colors.size(); ++i)
    pal->palPalEntry[i] = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
  return CreatePalette(pal);
}

TPixelFormat PixelFormatOfDib(int bitCount, DWORD compression, const DWORD* masks) {
  switch (bitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 24: return pf24bit;
    case 16:
      if (compression == BI_RGB || (compression == BI_BITFIELDS && MasksAre(masks, 0x7C00, 0x03E0, 0x001F)))
        return pf15bit;
      if (compression == BI_BITFIELDS && MasksAre(masks, 0xF800, 0x07E0, 0x001F)) return pf16bit;
      return pfCustom;
    case 32:
      if (compression == BI_RGB || (compression == BI_BITFIELDS && MasksAre(masks, 0xFF0000, 0xFF00, 0xFF)))
        return pf32bit;
      return pfCustom;
    default: return pfCustom;
  }
}

DibLayout ParseDib(const Byte* dib, std::size_t size, std::size_t bitsOffset) {
  HeaderFields h = ReadHeaderFields(dib, size);
  CheckHeaderFields(h);
  DibLayout layout;
  layout.width = static_cast<int>(h.width);
  layout.height = static_cast<int>(h.height < 0 ? -h.height : h.height);
  layout.topDown = h.height < 0;
  layout.bitCount = h.bitCount;
  layout.compression = h.compression;
  std::size_t tableEnd = ReadTables(dib, size, h, layout);
  if (bitsOffset == 0) bitsOffset = tableEnd;
  if (bitsOffset < tableEnd || bitsOffset > size) InvalidBitmap();
  layout.bitsOffset = bitsOffset;
  ChooseFormat(h, layout);
  std::uint64_t need = std::uint64_t(DibStride(layout.width, h.bitCount)) * layout.height;
  if (need > kMaxPixelBytes) InvalidBitmap();
  std::size_t available = size - bitsOffset;
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    layout.bitsSize = h.sizeImage != 0 && h.sizeImage <= available ? h.sizeImage : available;
    if (layout.bitsSize == 0) InvalidBitmap();
  } else {
    if (need > available) InvalidBitmap();
    layout.bitsSize = static_cast<std::size_t>(need);
  }
  return layout;
}

void CopyDibRows(const DibLayout& layout, const Byte* dib, void* bits) {
  std::size_t stride = static_cast<std::size_t>(DibStride(layout.width, layout.bitCount));
  const Byte* source = dib + layout.bitsOffset;
  auto* dest = static_cast<Byte*>(bits);
  if (!layout.topDown) {
    std::memcpy(dest, source, stride * layout.height);
    return;
  }
  for (int row = 0; row < layout.height; ++row)
    std::memcpy(dest + (layout.height - 1 - row) * stride, source + row * stride, stride);
}

DibInfo SourceDibInfo(const DibLayout& layout) {
  DibInfo info;
  BITMAPINFOHEADER& h = info.Header();
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = layout.width;
  h.biHeight = layout.topDown ? -layout.height : layout.height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(layout.bitCount);
  h.biCompression = layout.compression;
  h.biSizeImage = static_cast<DWORD>(layout.bitsSize);
  if (layout.compression == BI_BITFIELDS) {
    std::memcpy(info.Table(), layout.masks, sizeof(layout.masks));
  } else if (!layout.colors.empty()) {
    h.biClrUsed = static_cast<DWORD>(layout.colors.size());
    std::memcpy(info.Table(), layout.colors.data(), layout.colors.size() * sizeof(RGBQUAD));
  }
  return info;
}

std::size_t BmpFileBitsOffset(const Byte* file, std::size_t size) {
  if (size < kBmpFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M') InvalidBitmap();
  std::uint32_t offBits = GetU32(file + 10);
  if (offBits <= kBmpFileHeaderSize || offBits > size) return 0;
  return offBits - kBmpFileHeaderSize;
}

std::vector<Byte> BuildBmpFile(TPixelFormat format, int width, int height, const std::vector<RGBQUAD>& colors,
                               const void* bits) {
  DibInfo info = MakeDibInfo(format, width, height, colors);
  BITMAPINFOHEADER& h = info.Header();
  std::size_t table = h.biCompression == BI_BITFIELDS ? 12 : h.biClrUsed * sizeof(RGBQUAD);
  std::size_t pixels = std::size_t(DibStride(width, h.biBitCount)) * height;
  h.biSizeImage = static_cast<DWORD>(pixels);
  std::size_t offBits = kBmpFileHeaderSize + sizeof(BITMAPINFOHEADER) + table;
  std::vector<Byte> file(offBits + pixels);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;  // "BM"
  fh.bfSize = static_cast<DWORD>(file.size());
  fh.bfOffBits = static_cast<DWORD>(offBits);
  std::memcpy(file.data(), &fh, sizeof(fh));
  std::memcpy(file.data() + kBmpFileHeaderSize, info.Get(), sizeof(BITMAPINFOHEADER) + table);
  std::memcpy(file.data() + offBits, bits, pixels);
  return file;
}

std::vector<Byte> ReadRestOfStream(TStream* stream) {
  Int64 rest = stream->Size() - stream->Position();
  if (rest <= 0) return {};
  if (rest > std::numeric_limits<std::int32_t>::max()) throw EInvalidGraphic("Image data too large");
  std::vector<Byte> data(static_cast<std::size_t>(rest));
  stream->ReadBuffer(data.data(), static_cast<std::int32_t>(rest));
  return data;
}
