// Pixel decoding: the image data stream across IDAT chunks, inflate, Adam7
// interlacing and the conversion of PNG samples into the in-memory bitmap.
// A small sound image is inflated in one call by libdeflate; anything else
// streams through zlib in blocks of rows (the file's damage is reported in
// zlib's words). Free of <windows.h>.
#include <libdeflate.h>
#include <zlib.h>

#include "pngimage.hpp"

#if defined(PNGIMAGE_SSE2)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <utility>

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

}  // namespace pngimage_detail

namespace {

// Reads the image data across a run of IDAT chunks and inflates it, one
// request at a time. The running CRC covers each chunk's name and data.
class TImageDataReader {
 public:
  TImageDataReader(TStream* stream, std::int32_t firstSize)
      : stream_(stream), chunkLeft_(firstSize), input_(65536) {
    if (inflateInit(&zs_) != Z_OK) throw EPNGZLIBError(zError(Z_MEM_ERROR));
    RestartCrc();
  }
  ~TImageDataReader() { inflateEnd(&zs_); }
  TImageDataReader(const TImageDataReader&) = delete;
  TImageDataReader& operator=(const TImageDataReader&) = delete;

  // Inflates up to count bytes into out and gives the number produced:
  // fewer when the data ended or is damaged. The damage is kept for
  // RaiseDamage, so that the bytes before it can still be used.
  std::int64_t Read(Byte* out, std::int64_t count);
  // Raises what stopped the last Read, if anything but the data's end did.
  void RaiseDamage() const {
    if (damage_) std::rethrow_exception(damage_);
  }
  // Reads what is left of the current chunk's data and checks its CRC.
  void Finish();

 private:
  void RestartCrc() { crc_ = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const Byte*>("IDAT"), 4); }
  void CheckCrc();
  void NextChunk();
  void FillInput();

  TStream* stream_;
  std::int64_t chunkLeft_;
  std::vector<Byte> input_;
  z_stream zs_{};
  std::uint32_t crc_ = 0;
  bool streamEnded_ = false;
  std::exception_ptr damage_;
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
void TImageDataReader::FillInput() {
  while (chunkLeft_ == 0) NextChunk();
  const std::int64_t block = std::min<std::int64_t>(chunkLeft_, std::int64_t(input_.size()));
  if (!ReadExact(stream_, input_.data(), block)) throw EPngUnexpectedEnd();
  crc_ = UpdateCrc(crc_, input_.data(), std::size_t(block));
  chunkLeft_ -= block;
  zs_.next_in = input_.data();
  zs_.avail_in = uInt(block);
}

std::int64_t TImageDataReader::Read(Byte* out, std::int64_t count) {
  zs_.next_out = out;
  zs_.avail_out = uInt(count);
  try {
    while (zs_.avail_out > 0 && !streamEnded_) {
      if (zs_.avail_in == 0) FillInput();
      const int status = inflate(&zs_, Z_NO_FLUSH);
      // A preset dictionary cannot exist in image data; zlib would wait for
      // it forever.
      if (status < 0 || status == Z_NEED_DICT) throw EPNGZLIBError(zError(status));
      if (status == Z_STREAM_END) streamEnded_ = true;
    }
  } catch (...) {
    damage_ = std::current_exception();
  }
  return count - zs_.avail_out;
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
  std::ptrdiff_t First;
  int Step;
};

void ConvertIndexedRow(TChunkIHDR& header, const Byte* src, std::ptrdiff_t count,
                       const TRowTarget& target) {
  Byte* row = header.RowAddress(target.Row);
  const int depth = header.BitDepth, bitCount = header.BitCount();
  if (target.Step == 1 && depth == bitCount) {
    std::memcpy(row, src, std::size_t((count * depth + 7) / 8));
    return;
  }
  // 8- and 16-bit samples to byte indexes, one column step apart.
  if (bitCount == 8) {
    const int sampleBytes = depth / 8;
    Byte* d = row + target.First;
    for (std::ptrdiff_t i = 0; i < count; ++i, d += target.Step) *d = src[i * sampleBytes];
    return;
  }
  // 2-bit gray levels widen to the 4-bit level showing the same gray.
  const int scale = (header.ColorType == 0 && depth == 2) ? 5 : 1;
  std::ptrdiff_t x = target.First;
  for (std::ptrdiff_t i = 0; i < count; ++i, x += target.Step) {
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

// Colour samples (RGB or RGBA, 1 or 2 bytes each) to blue, green, red bytes
// and the alpha plane. Of 16-bit samples the high byte is kept.
template <int SampleBytes, bool Alpha, bool Gamma>
void ConvertColorPixels(const TPNGObject& image, const Byte* src, std::ptrdiff_t count, Byte* row,
                        Byte* alpha, const TRowTarget& target) {
  constexpr int pixelBytes = SampleBytes * (Alpha ? 4 : 3);
  Byte* d = row + target.First * 3;
  const std::ptrdiff_t step = target.Step * 3;
  Byte* a = Alpha ? alpha + target.First : nullptr;
  for (std::ptrdiff_t i = 0; i < count; ++i, src += pixelBytes, d += step) {
    if constexpr (Gamma) {
      d[0] = image.Gamma(src[2 * SampleBytes]);
      d[1] = image.Gamma(src[SampleBytes]);
      d[2] = image.Gamma(src[0]);
    } else {
      d[0] = src[2 * SampleBytes];
      d[1] = src[SampleBytes];
      d[2] = src[0];
    }
    if constexpr (Alpha) {
      *a = src[3 * SampleBytes];
      a += target.Step;
    }
  }
}

template <int SampleBytes>
void ConvertGrayAlphaPixels(const Byte* src, std::ptrdiff_t count, Byte* row, Byte* alpha,
                            const TRowTarget& target) {
  Byte* d = row + target.First;
  Byte* a = alpha + target.First;
  for (std::ptrdiff_t i = 0; i < count; ++i, src += 2 * SampleBytes, d += target.Step,
                    a += target.Step) {
    *d = src[0];
    *a = src[SampleBytes];
  }
}

#if defined(PNGIMAGE_SSE2)
#pragma GCC push_options
#pragma GCC target("sse2")

// Five 8-bit RGB pixels a step to blue, green, red: red and blue trade
// places by shifting the bytes two either way. Each store's sixteenth byte
// is the next step's first, and no step reads or writes past the row's
// bytes. Returns how many bytes it did.
PNGIMAGE_SSE2_ENTRY std::ptrdiff_t ConvertRgb8Sse2(const Byte* src, std::ptrdiff_t bytes,
                                                   Byte* d) {
  const __m128i green = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
  const __m128i blue = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
  const __m128i red = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
  std::ptrdiff_t i = 0;
  for (; i + 16 <= bytes; i += 15) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i swapped = _mm_or_si128(
        _mm_and_si128(x, green), _mm_or_si128(_mm_and_si128(_mm_srli_si128(x, 2), blue),
                                              _mm_and_si128(_mm_slli_si128(x, 2), red)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), swapped);
  }
  return i;
}

// The high bytes of 16-bit samples, 16 a step; returns how many it did.
PNGIMAGE_SSE2_ENTRY std::ptrdiff_t KeepHighBytesSse2(const Byte* src, std::ptrdiff_t samples,
                                                     Byte* out) {
  const __m128i high = _mm_set1_epi16(0xFF);
  std::ptrdiff_t i = 0;
  for (; i + 16 <= samples; i += 16) {
    const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 2));
    const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 2 + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(_mm_and_si128(x0, high), _mm_and_si128(x1, high)));
  }
  return i;
}

#pragma GCC pop_options
#endif

// Whole rows of 8-bit RGB (step 1, no gamma) to blue, green, red; SSE2 does
// all but the last steps, which go byte by byte.
void ConvertRgb8Row(const Byte* src, std::ptrdiff_t count, Byte* d) {
  std::ptrdiff_t i = 0;
  const std::ptrdiff_t bytes = count * 3;
#if defined(PNGIMAGE_SSE2)
  if (UseSse2) i = ConvertRgb8Sse2(src, bytes, d);
#endif
  for (; i < bytes; i += 3) {
    d[i] = src[i + 2];
    d[i + 1] = src[i + 1];
    d[i + 2] = src[i];
  }
}

// Whole rows of 8-bit RGBA (step 1, no gamma) to blue, green, red and the
// alpha plane, a pixel a 32-bit word: its bytes reversed are alpha, blue,
// green, red. Each 4-byte store's last byte is the next pixel's first.
void ConvertRgba8Row(const Byte* src, std::ptrdiff_t count, Byte* d, Byte* alpha) {
  for (std::ptrdiff_t i = 0; i + 1 < count; ++i, src += 4, d += 3) {
    std::uint32_t v;
    std::memcpy(&v, src, 4);
    const std::uint32_t bgr = __builtin_bswap32(v) >> 8;
    std::memcpy(d, &bgr, 4);
    alpha[i] = Byte(v >> 24);
  }
  if (count > 0) {
    d[0] = src[2];
    d[1] = src[1];
    d[2] = src[0];
    alpha[count - 1] = src[3];
  }
}

// The high bytes of a row of 16-bit samples, in order.
void KeepHighBytes(const Byte* src, std::ptrdiff_t samples, Byte* out) {
  std::ptrdiff_t i = 0;
#if defined(PNGIMAGE_SSE2)
  if (UseSse2) i = KeepHighBytesSse2(src, samples, out);
#endif
  for (; i < samples; ++i) out[i] = src[i * 2];
}

// Converts unfiltered rows into the in-memory bitmap, with the conversion
// chosen once per image. A plain image's bitmap may come unzeroed: rows then
// arrive in order, each gets its padding cleared, and ClearRowsNotWritten
// clears the rows that the data did not reach.
class TRowConverter {
 public:
  TRowConverter(TChunkIHDR& header, const TPNGObject& image, bool zeroed)
      : header_(header), image_(image), gamma_(!image.GammaIsIdentity()), zeroed_(zeroed) {}

  void operator()(const Byte* src, std::ptrdiff_t count, const TRowTarget& target) {
    Byte* row = header_.RowAddress(target.Row);
    Byte* alpha = header_.AlphaRow(target.Row);
    const bool wide = header_.BitDepth == 16;
    if (!zeroed_) {
      ClearPadding(row, count);
      rowsWritten_ = target.Row + 1;
    }
    switch (header_.ColorType) {
      case 0:
      case 3: ConvertIndexedRow(header_, src, count, target); break;
      case 4:
        wide ? ConvertGrayAlphaPixels<2>(src, count, row, alpha, target)
             : ConvertGrayAlphaPixels<1>(src, count, row, alpha, target);
        break;
      case 2:
        if (target.Step == 1 && !gamma_)
          ConvertRgb8Row(Narrow(src, count * 3), count, row);
        else
          Color<false>(src, count, row, alpha, target);
        break;
      default:
        if (target.Step == 1 && !gamma_)
          ConvertRgba8Row(Narrow(src, count * 4), count, row, alpha);
        else
          Color<true>(src, count, row, alpha, target);
        break;
    }
  }

  void ClearRowsNotWritten() {
    if (zeroed_) return;
    for (std::uint32_t y = rowsWritten_; y < header_.Height; ++y) {
      std::memset(header_.RowAddress(y), 0, std::size_t(header_.RowStride()));
      if (Byte* alpha = header_.AlphaRow(y)) std::memset(alpha, 0, header_.Width);
    }
    rowsWritten_ = header_.Height;
  }

 private:
  // A row of 8-bit samples: the row itself, or the high bytes of 16-bit
  // ones gathered first (two fast passes beat one slow one).
  const Byte* Narrow(const Byte* src, std::ptrdiff_t samples) {
    if (header_.BitDepth != 16) return src;
    narrow_.resize(std::size_t(samples));
    KeepHighBytes(src, samples, narrow_.data());
    return narrow_.data();
  }

  // The bytes past a row's pixels; the whole row when its samples are
  // packed into it one at a time (2-bit levels as nibbles, 16-bit gray).
  void ClearPadding(Byte* row, std::ptrdiff_t count) const {
    const std::size_t stride = std::size_t(header_.RowStride());
    if (header_.Indexed() && header_.BitDepth != header_.BitCount()) {
      std::memset(row, 0, stride);
      return;
    }
    const std::size_t used = std::size_t((count * header_.BitCount() + 7) / 8);
    std::memset(row + used, 0, stride - used);
  }

  template <bool Alpha>
  void Color(const Byte* src, std::ptrdiff_t count, Byte* row, Byte* alpha,
             const TRowTarget& target) const {
    const bool wide = header_.BitDepth == 16;
    if (gamma_) {
      wide ? ConvertColorPixels<2, Alpha, true>(image_, src, count, row, alpha, target)
           : ConvertColorPixels<1, Alpha, true>(image_, src, count, row, alpha, target);
    } else {
      wide ? ConvertColorPixels<2, Alpha, false>(image_, src, count, row, alpha, target)
           : ConvertColorPixels<1, Alpha, false>(image_, src, count, row, alpha, target);
    }
  }

  TChunkIHDR& header_;
  const TPNGObject& image_;
  bool gamma_;
  bool zeroed_;
  std::uint32_t rowsWritten_ = 0;
  std::vector<Byte> narrow_;
};

// Calls visit(geometry, width, target, firstOfPass) for every row in the
// order the file holds them (all rows, or the Adam7 passes); stops when it
// returns false.
template <class Visit>
void ForEachRow(const TChunkIHDR& header, Visit&& visit) {
  if (header.InterlaceMethod != 1) {
    const TRowGeometry geometry = RowGeometry(header.ColorType, header.BitDepth, header.Width);
    for (std::uint32_t y = 0; y < header.Height; ++y)
      if (!visit(geometry, std::int64_t(header.Width), TRowTarget{y, 0, 1}, y == 0)) return;
    return;
  }
  for (const TAdam7Pass& pass : Adam7Passes) {
    const std::int64_t width = PassWidth(pass, header.Width);
    const TRowGeometry geometry = RowGeometry(header.ColorType, header.BitDepth, width);
    if (geometry.BytesPerRow == 0) continue;
    for (std::uint32_t y = pass.RowStart; y < header.Height; y += pass.RowStep) {
      const TRowTarget target{y, pass.ColumnStart, pass.ColumnStep};
      if (!visit(geometry, width, target, y == std::uint32_t(pass.RowStart))) return;
    }
  }
}

constexpr std::int64_t kMaxInflateRatio = 1032;

// The largest image inflated in one call. Its two buffers (the joined data
// and the inflated rows) come from the heap's recycled blocks; a larger
// image would need fresh pages for them, and touching fresh pages costs more
// than libdeflate saves over zlib, which streams through small buffers into
// the bitmap alone (and keeps the peak memory at the bitmap's size).
constexpr std::int64_t kWholeRunBytes = std::int64_t(256) << 10;

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

// Decodes as zlib inflates, a block of rows of one pass at a time: zlib
// then copies less into its window than it would for single rows, and the
// block stays in the cache while it is unfiltered and converted. Stops
// quietly where the data ends, keeping every row decoded before the end or
// the damage.
void DecodeStreamed(TImageDataReader& reader, TChunkIHDR& header, TRowConverter& convert) {
  constexpr std::int64_t kBlockBytes = std::int64_t(128) << 10;
  const std::int64_t widest = RowGeometry(header.ColorType, header.BitDepth, header.Width).BytesPerRow;
  const std::vector<Byte> zeros(std::size_t(widest), 0);
  std::vector<Byte> kept(static_cast<std::size_t>(widest));
  const std::size_t blockBytes =
      std::size_t(std::max(std::min(kBlockBytes, FilteredImageBytes(header)), widest + 1));
  const auto block = std::make_unique_for_overwrite<Byte[]>(blockBytes);
  const bool interlaced = header.InterlaceMethod == 1;
  for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
    const TAdam7Pass pass = interlaced ? Adam7Passes[p] : TAdam7Pass{0, 0, 1, 1};
    const std::int64_t width = PassWidth(pass, header.Width);
    const TRowGeometry geometry = RowGeometry(header.ColorType, header.BitDepth, width);
    if (geometry.BytesPerRow == 0) continue;
    const std::int64_t stride = geometry.BytesPerRow + 1;
    const std::int64_t blockRows = std::int64_t(blockBytes) / stride;
    std::int64_t rowsLeft = PassHeight(pass, header.Height);
    std::uint32_t y = std::uint32_t(pass.RowStart);
    const Byte* previous = zeros.data();
    while (rowsLeft > 0) {
      const std::int64_t rows = std::min(rowsLeft, blockRows);
      const std::int64_t whole = reader.Read(block.get(), rows * stride) / stride;
      Byte* row = block.get();
      for (std::int64_t i = 0; i < whole; ++i, row += stride, y += pass.RowStep) {
        UnfilterRow(row[0], row + 1, previous, geometry.BytesPerRow, geometry.FilterDistance);
        convert(row + 1, width, TRowTarget{y, pass.ColumnStart, pass.ColumnStep});
        previous = row + 1;
      }
      reader.RaiseDamage();
      if (whole < rows) return;
      // The next block overwrites this one: its last row moves aside.
      std::memcpy(kept.data(), previous, std::size_t(geometry.BytesPerRow));
      previous = kept.data();
      rowsLeft -= rows;
    }
  }
}

// Unfilters and converts the whole inflated image in place: each row's
// previous row is the one before it in the same buffer.
void DecodeInflated(Byte* raw, TChunkIHDR& header, TRowConverter& convert) {
  const std::vector<Byte> zeros(
      std::size_t(RowGeometry(header.ColorType, header.BitDepth, header.Width).BytesPerRow), 0);
  const Byte* previous = zeros.data();
  ForEachRow(header, [&](const TRowGeometry& geometry, std::int64_t width,
                         const TRowTarget& target, bool firstOfPass) {
    if (firstOfPass) previous = zeros.data();
    Byte* row = raw;
    raw += geometry.BytesPerRow + 1;
    UnfilterRow(row[0], row + 1, previous, geometry.BytesPerRow, geometry.FilterDistance);
    convert(row + 1, width, target);
    previous = row + 1;
    return true;
  });
}

}  // namespace


namespace {

// The image data of the whole run of IDAT chunks that starts here, every
// chunk's CRC checked, the stream left after the run; false when the run is
// not whole and sound.
bool ReadImageDataRun(TStream* stream, std::int64_t size, std::vector<Byte>& data) {
  for (;;) {
    const std::size_t at = data.size();
    data.resize(at + std::size_t(size));
    Byte crc[4];
    if (!ReadExact(stream, data.data() + at, size) || !ReadExact(stream, crc, 4)) return false;
    if (ReadBigEndian32(crc) != ChunkCrc("IDAT", data.data() + at, std::size_t(size)))
      return false;
    const std::int64_t next = stream->Seek(0, soCurrent);
    Byte frame[8];
    if (!ReadExact(stream, frame, 8) || std::memcmp(frame + 4, "IDAT", 4) != 0) {
      stream->Seek(next, soBeginning);
      return true;
    }
    size = ReadBigEndian32(frame);
    if (size > 0x7FFFFFFF || size + 4 > BytesLeft(stream)) return false;
  }
}

class TDecompressor {
 public:
  TDecompressor() : d_(libdeflate_alloc_decompressor()) {}
  ~TDecompressor() {
    if (d_) libdeflate_free_decompressor(d_);
  }
  TDecompressor(const TDecompressor&) = delete;
  TDecompressor& operator=(const TDecompressor&) = delete;
  libdeflate_decompressor* Get() const { return d_; }

 private:
  libdeflate_decompressor* d_;
};

// Inflates the joined image data in one call and decodes it: faster than
// zlib for a small image. False, with no pixel written, unless the data is one
// sound zlib stream of exactly the image's size; the caller then decodes
// through zlib, which names the damage in zlib's words and keeps the rows
// decoded before it.
bool DecodeWholeRun(TStream* stream, std::int32_t size, TChunkIHDR& header,
                    TRowConverter& convert) {
  try {
    const std::size_t rawSize = std::size_t(FilteredImageBytes(header));
    std::vector<Byte> data;
    data.reserve(std::size_t(std::min<std::int64_t>(BytesLeft(stream), std::int64_t(rawSize))));
    if (!ReadImageDataRun(stream, size, data)) return false;
    auto raw = std::make_unique_for_overwrite<Byte[]>(rawSize);
    TDecompressor decompressor;
    if (!decompressor.Get()) return false;
    std::size_t used = 0, produced = 0;
    if (libdeflate_zlib_decompress_ex(decompressor.Get(), data.data(), data.size(), raw.get(),
                                      rawSize, &used, &produced) != LIBDEFLATE_SUCCESS ||
        produced != rawSize)
      return false;
    DecodeInflated(raw.get(), header, convert);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
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
  // A plain image's rows arrive in order and are each written whole, so its
  // bitmap need not be zeroed first; the rows the data does not reach are
  // cleared afterwards, failures included.
  const bool zeroed = header->InterlaceMethod == 1;
  header->AllocateImageData(zeroed);
  TRowConverter convert(*header, *Owner(), zeroed);
  struct TClearRest {
    TRowConverter& Convert;
    ~TClearRest() { Convert.ClearRowsNotWritten(); }
  } clearRest{convert};
  const std::int64_t runStart = stream->Seek(0, soCurrent);
  if (FilteredImageBytes(*header) <= kWholeRunBytes &&
      DecodeWholeRun(stream, size, *header, convert))
    return true;
  stream->Seek(runStart, soBeginning);
  TImageDataReader reader(stream, size);
  DecodeStreamed(reader, *header, convert);
  reader.Finish();
  return true;
}
