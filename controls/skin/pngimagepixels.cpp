// Pixel decoding: the image data stream across IDAT chunks, inflate, the row
// filters, Adam7 interlacing and the conversion of PNG samples into the
// in-memory bitmap. Free of <windows.h>.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "pngimage.hpp"

using namespace pngimage_detail;

namespace pngimage_detail {

const TAdam7Pass Adam7Passes[7] = {
    {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
    {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1},
};

std::int64_t PassWidth(const TAdam7Pass& pass, std::int64_t width) {
  return (width + pass.ColumnStep - pass.ColumnStart - 1) / pass.ColumnStep;
}

std::int64_t PassHeight(const TAdam7Pass& pass, std::int64_t height) {
  return (height + pass.RowStep - pass.RowStart - 1) / pass.RowStep;
}

TRowGeometry RowGeometry(Byte colorType, Byte bitDepth, std::int64_t width) {
  switch (colorType) {
    case 0:
      return {(width * bitDepth + 7) / 8, bitDepth == 16 ? 2 : 1};
    case 3:
      return {(width * bitDepth + 7) / 8, 1};
    case 2:
      return {width * bitDepth * 3 / 8, bitDepth * 3 / 8};
    case 4:
      return {width * bitDepth * 2 / 8, bitDepth / 4};
    case 6:
      return {width * bitDepth * 4 / 8, bitDepth / 2};
    default:
      return {0, 0};
  }
}

int ReadIndex(const Byte* row, std::int64_t x, int bitCount) {
  switch (bitCount) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default: return row[x];
  }
}

void WriteIndex(Byte* row, std::int64_t x, int bitCount, int index) {
  switch (bitCount) {
    case 1: {
      const int mask = 0x80 >> (x & 7);
      row[x >> 3] = Byte((row[x >> 3] & ~mask) | ((index & 1) ? mask : 0));
      break;
    }
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = Byte((row[x >> 1] & ~(15 << shift)) | ((index & 15) << shift));
      break;
    }
    default:
      row[x] = Byte(index);
  }
}

namespace {

// The predictor closest to a + b - c, ties going to a, then b.
inline int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

inline int Predictor(Byte filterType, const Byte* row, const Byte* previous, std::int64_t i,
                     int distance) {
  const int a = i >= distance ? row[i - distance] : 0;
  const int b = previous[i];
  switch (filterType) {
    case 1: return a;
    case 2: return b;
    case 3: return (a + b) >> 1;
    case 4: return Paeth(a, b, i >= distance ? previous[i - distance] : 0);
    default: return 0;
  }
}

}  // namespace

void UnfilterRow(Byte filterType, Byte* row, const Byte* previous, std::int64_t length,
                 int distance) {
  const std::int64_t d = std::min<std::int64_t>(distance, length);
  switch (filterType) {
    case 1:
      for (std::int64_t i = d; i < length; ++i) row[i] = Byte(row[i] + row[i - d]);
      break;
    case 2:
      for (std::int64_t i = 0; i < length; ++i) row[i] = Byte(row[i] + previous[i]);
      break;
    case 3:
      for (std::int64_t i = 0; i < d; ++i) row[i] = Byte(row[i] + (previous[i] >> 1));
      for (std::int64_t i = d; i < length; ++i)
        row[i] = Byte(row[i] + ((row[i - d] + previous[i]) >> 1));
      break;
    case 4:
      for (std::int64_t i = 0; i < d; ++i) row[i] = Byte(row[i] + previous[i]);
      for (std::int64_t i = d; i < length; ++i)
        row[i] = Byte(row[i] + Paeth(row[i - d], previous[i], previous[i - d]));
      break;
    default:
      // Type 0, and any unknown type, leaves the row as it is.
      break;
  }
}

void FilterRow(Byte filterType, const Byte* row, const Byte* previous, Byte* out,
               std::int64_t length, int distance) {
  for (std::int64_t i = 0; i < length; ++i)
    out[i] = Byte(row[i] - Predictor(filterType, row, previous, i, distance));
}

}  // namespace pngimage_detail

namespace {

// Reads the image data across a run of IDAT chunks and inflates it, one
// request at a time. The running CRC covers each chunk's name and data.
class TImageDataReader {
 public:
  TImageDataReader(TStream* stream, std::int32_t firstSize)
      : stream_(stream), chunkLeft_(firstSize), input_(65535) {
    if (inflateInit(&zs_) != Z_OK) throw EPNGZLIBError(zError(Z_MEM_ERROR));
    RestartCrc();
  }
  ~TImageDataReader() { inflateEnd(&zs_); }
  TImageDataReader(const TImageDataReader&) = delete;
  TImageDataReader& operator=(const TImageDataReader&) = delete;

  // Fills count bytes; false when the data ended first.
  bool Read(Byte* out, std::int64_t count);
  // Reads what is left of the current chunk's data and checks its CRC.
  void Finish();

 private:
  void RestartCrc() { crc_ = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const Byte*>("IDAT"), 4); }
  void CheckCrc();
  void NextChunk();
  bool FillInput();

  TStream* stream_;
  std::int64_t chunkLeft_;
  std::vector<Byte> input_;
  z_stream zs_{};
  std::uint32_t crc_ = 0;
  bool streamEnded_ = false;
};

void TImageDataReader::CheckCrc() {
  Byte crc[4];
  if (!ReadExact(stream_, crc, 4)) throw EPngUnexpectedEnd();
  if (ReadBigEndian32(crc) != ~crc_) throw EPngInvalidCRC();
}

void TImageDataReader::NextChunk() {
  CheckCrc();
  Byte frame[8];
  if (!ReadExact(stream_, frame, 8)) throw EPngUnexpectedEnd();
  if (std::memcmp(frame + 4, "IDAT", 4) != 0) throw EPNGMissingMultipleIDAT();
  const std::uint32_t length = ReadBigEndian32(frame);
  if (length > 0x7FFFFFFFu || std::int64_t(length) + 4 > BytesLeft(stream_))
    throw EPngUnexpectedEnd();
  chunkLeft_ = length;
  RestartCrc();
}

// Gives zlib the next block of input, moving on to the next IDAT chunk when
// the current one is used up (empty chunks included).
bool TImageDataReader::FillInput() {
  while (chunkLeft_ == 0) NextChunk();
  const std::int64_t block = std::min<std::int64_t>(chunkLeft_, std::int64_t(input_.size()));
  if (!ReadExact(stream_, input_.data(), block)) throw EPngUnexpectedEnd();
  crc_ = UpdateCrc(crc_, input_.data(), std::size_t(block));
  chunkLeft_ -= block;
  zs_.next_in = input_.data();
  zs_.avail_in = uInt(block);
  return true;
}

bool TImageDataReader::Read(Byte* out, std::int64_t count) {
  zs_.next_out = out;
  zs_.avail_out = uInt(count);
  while (zs_.avail_out > 0) {
    if (streamEnded_) return false;
    if (zs_.avail_in == 0) FillInput();
    const int status = inflate(&zs_, Z_NO_FLUSH);
    // A preset dictionary cannot exist in image data; zlib would wait for it
    // forever.
    if (status < 0 || status == Z_NEED_DICT) throw EPNGZLIBError(zError(status));
    if (status == Z_STREAM_END) streamEnded_ = true;
  }
  return true;
}

void TImageDataReader::Finish() {
  // The last rows may end before the chunk does (the stream's checksum, or
  // the rest of a chunk larger than one input block); its CRC follows that.
  while (chunkLeft_ > 0) {
    const std::int64_t block = std::min<std::int64_t>(chunkLeft_, std::int64_t(input_.size()));
    if (!ReadExact(stream_, input_.data(), block)) throw EPngUnexpectedEnd();
    crc_ = UpdateCrc(crc_, input_.data(), std::size_t(block));
    chunkLeft_ -= block;
  }
  CheckCrc();
}

// Where the pixels of one decoded row go: image row Row, columns First,
// First + Step, ...
struct TRowTarget {
  std::uint32_t Row;
  std::int64_t First;
  int Step;
};

void ConvertIndexedRow(TChunkIHDR& header, const Byte* src, std::int64_t count,
                       const TRowTarget& target) {
  Byte* row = header.RowAddress(target.Row);
  const int depth = header.BitDepth, bitCount = header.BitCount();
  if (target.Step == 1 && depth == bitCount) {
    std::memcpy(row, src, std::size_t((count * depth + 7) / 8));
    return;
  }
  // 2-bit gray levels widen to the 4-bit level showing the same gray.
  const int scale = (header.ColorType == 0 && depth == 2) ? 5 : 1;
  std::int64_t x = target.First;
  for (std::int64_t i = 0; i < count; ++i, x += target.Step) {
    int sample;
    if (depth == 16)
      sample = src[i * 2];
    else if (depth == 8)
      sample = src[i];
    else
      sample = (src[(i * depth) >> 3] >> (8 - depth - ((i * depth) & 7))) & ((1 << depth) - 1);
    WriteIndex(row, x, bitCount, sample * scale);
  }
}

void ConvertGrayAlphaRow(TChunkIHDR& header, const Byte* src, std::int64_t count,
                         const TRowTarget& target) {
  Byte* row = header.RowAddress(target.Row);
  Byte* alpha = header.AlphaRow(target.Row);
  const int sampleBytes = header.BitDepth / 8;
  std::int64_t x = target.First;
  for (std::int64_t i = 0; i < count; ++i, x += target.Step) {
    const Byte* p = src + i * 2 * sampleBytes;
    row[x] = p[0];
    alpha[x] = p[sampleBytes];
  }
}

void ConvertColorRow(TChunkIHDR& header, const TPNGObject& image, const Byte* src,
                     std::int64_t count, const TRowTarget& target) {
  Byte* row = header.RowAddress(target.Row);
  Byte* alpha = header.AlphaRow(target.Row);
  const int sampleBytes = header.BitDepth / 8;
  const int pixelBytes = sampleBytes * (header.ColorType == 6 ? 4 : 3);
  std::int64_t x = target.First;
  for (std::int64_t i = 0; i < count; ++i, x += target.Step) {
    const Byte* p = src + i * pixelBytes;
    Byte* d = row + x * 3;
    d[0] = image.Gamma(p[2 * sampleBytes]);
    d[1] = image.Gamma(p[sampleBytes]);
    d[2] = image.Gamma(p[0]);
    if (alpha) alpha[x] = p[3 * sampleBytes];
  }
}

void ConvertRow(TChunkIHDR& header, const TPNGObject& image, const Byte* src,
                std::int64_t count, const TRowTarget& target) {
  switch (header.ColorType) {
    case 0:
    case 3: ConvertIndexedRow(header, src, count, target); break;
    case 4: ConvertGrayAlphaRow(header, src, count, target); break;
    default: ConvertColorRow(header, image, src, count, target); break;
  }
}

// Two row buffers, each with the filter type byte in front, swapped after
// every row.
class TRowPair {
 public:
  explicit TRowPair(std::int64_t bytesPerRow)
      : current_(std::size_t(bytesPerRow) + 1), previous_(std::size_t(bytesPerRow) + 1) {}
  Byte* Current() { return current_.data(); }
  Byte* Previous() { return previous_.data(); }
  void Swap() { std::swap(current_, previous_); }
  void ClearPrevious() { std::fill(previous_.begin(), previous_.end(), Byte(0)); }

 private:
  std::vector<Byte> current_;
  std::vector<Byte> previous_;
};

// Reads, unfilters and converts one row; false when the data ended.
bool DecodeRow(TImageDataReader& reader, TRowPair& rows, const TRowGeometry& geometry,
               TChunkIHDR& header, const TPNGObject& image, std::int64_t width,
               const TRowTarget& target) {
  Byte* row = rows.Current();
  if (!reader.Read(row, geometry.BytesPerRow + 1)) return false;
  UnfilterRow(row[0], row + 1, rows.Previous() + 1, geometry.BytesPerRow,
              geometry.FilterDistance);
  ConvertRow(header, image, row + 1, width, target);
  rows.Swap();
  return true;
}

void DecodeProgressive(TImageDataReader& reader, TChunkIHDR& header, const TPNGObject& image) {
  const TRowGeometry geometry = RowGeometry(header.ColorType, header.BitDepth, header.Width);
  TRowPair rows(geometry.BytesPerRow);
  for (std::uint32_t y = 0; y < header.Height; ++y)
    if (!DecodeRow(reader, rows, geometry, header, image, header.Width, {y, 0, 1})) return;
}

void DecodeInterlaced(TImageDataReader& reader, TChunkIHDR& header, const TPNGObject& image) {
  const TRowGeometry full = RowGeometry(header.ColorType, header.BitDepth, header.Width);
  TRowPair rows(full.BytesPerRow);
  for (const TAdam7Pass& pass : Adam7Passes) {
    const std::int64_t width = PassWidth(pass, header.Width);
    const TRowGeometry geometry = RowGeometry(header.ColorType, header.BitDepth, width);
    if (geometry.BytesPerRow == 0) continue;
    rows.ClearPrevious();
    for (std::uint32_t y = pass.RowStart; y < header.Height; y += pass.RowStep) {
      const TRowTarget target{y, pass.ColumnStart, pass.ColumnStep};
      if (!DecodeRow(reader, rows, geometry, header, image, width, target)) return;
    }
  }
}

}  // namespace

namespace {

constexpr std::int64_t kMaxInflateRatio = 1032;

// The bytes of every filtered row with its filter type byte, all passes.
std::int64_t FilteredImageBytes(const TChunkIHDR& header) {
  auto rows = [&](std::int64_t width, std::int64_t height) {
    const std::int64_t bytes = RowGeometry(header.ColorType, header.BitDepth, width).BytesPerRow;
    return bytes == 0 ? 0 : (bytes + 1) * height;
  };
  if (header.InterlaceMethod != 1) return rows(header.Width, header.Height);
  std::int64_t total = 0;
  for (const TAdam7Pass& pass : Adam7Passes)
    total += rows(PassWidth(pass, header.Width), PassHeight(pass, header.Height));
  return total;
}

}  // namespace

bool TChunkIDAT::LoadFromStream(TStream* stream, const TChunkName&, std::int32_t size) {
  TChunkIHDR* header = Header();
  // Colour type and depth pairs without a layout are refused before a byte
  // of image data is read or a pixel written.
  if (!header->HasLayout()) throw EPngError(pnglang::EPNGUnsupportedFormatText);
  const std::int64_t left = BytesLeft(stream);
  if (size < 0 || std::int64_t(size) + 4 > left) throw EPngUnexpectedEnd();
  // Deflate gives at most 1032 bytes for each byte it reads: a file too short
  // to hold the compressed image cannot make the pixels be allocated.
  if (FilteredImageBytes(*header) > left * kMaxInflateRatio) throw EPngUnexpectedEnd();
  header->AllocateImageData();
  TImageDataReader reader(stream, size);
  if (header->InterlaceMethod == 1)
    DecodeInterlaced(reader, *header, *Owner());
  else
    DecodeProgressive(reader, *header, *Owner());
  reader.Finish();
  return true;
}
