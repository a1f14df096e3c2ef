// Device-independent bitmap layouts: the BMP file format, colour tables and
// DIB headers shared by the bitmap and image-list code. Every size, count and
// offset of a file is checked before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Graphics.hpp"

constexpr std::size_t kBmpFileHeaderSize = 14;
static_assert(sizeof(BITMAPFILEHEADER) == kBmpFileHeaderSize, "BMP file header is 14 bytes");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "DIB header is 40 bytes");
static_assert(sizeof(BITMAPCOREHEADER) == 12, "OS/2 DIB header is 12 bytes");
static_assert(sizeof(RGBQUAD) == 4, "colour table entries are 4 bytes");

// A BITMAPINFO with room for a full colour table or three bit-field masks.
class DibInfo {
 public:
  DibInfo();
  BITMAPINFOHEADER& Header() { return *reinterpret_cast<BITMAPINFOHEADER*>(storage_.data()); }
  void* Table() { return reinterpret_cast<Byte*>(storage_.data()) + sizeof(BITMAPINFOHEADER); }
  const BITMAPINFO* Get() const { return reinterpret_cast<const BITMAPINFO*>(storage_.data()); }

 private:
  std::vector<DWORD> storage_;
};

// The header of a bottom-up DIB section of the format.
DibInfo MakeDibInfo(TPixelFormat format, int width, int height, const std::vector<RGBQUAD>& colors);
// Black and white; the 16 VGA colours; the VGA colours, a 6x6x6 colour cube
// and a grey ramp. Empty for the formats without a table.
std::vector<RGBQUAD> DefaultColorTable(TPixelFormat format);
HPALETTE CreatePaletteFromTable(const std::vector<RGBQUAD>& colors);
// pfCustom for layouts that are not one of the formats.
TPixelFormat PixelFormatOfDib(int bitCount, DWORD compression, const DWORD* masks);
int DibStride(int width, int bitCount);

// What a DIB in memory holds, validated.
struct DibLayout {
  int width = 0;
  int height = 0;  // always positive
  bool topDown = false;
  int bitCount = 0;
  DWORD compression = BI_RGB;
  DWORD masks[3] = {0, 0, 0};
  std::vector<RGBQUAD> colors;
  std::size_t bitsOffset = 0;  // from the start of the DIB
  std::size_t bitsSize = 0;
  TPixelFormat format = pf24bit;  // the format the bitmap takes
  bool direct = true;             // rows can be copied as they are
};

// bitsOffset 0: the pixels follow the colour table. Raises EInvalidGraphic.
DibLayout ParseDib(const Byte* dib, std::size_t size, std::size_t bitsOffset);
// Copies the rows of a direct layout into a bottom-up DIB section.
void CopyDibRows(const DibLayout& layout, const Byte* dib, void* bits);
// The header describing the DIB as stored (for SetDIBits).
DibInfo SourceDibInfo(const DibLayout& layout);

// Checks the file header; returns the pixel offset from the start of the
// DIB, or 0 when the header gives none.
std::size_t BmpFileBitsOffset(const Byte* file, std::size_t size);
std::vector<Byte> BuildBmpFile(TPixelFormat format, int width, int height, const std::vector<RGBQUAD>& colors,
                               const void* bits);

// The bytes from the stream's position to its end.
std::vector<Byte> ReadRestOfStream(TStream* stream);
