// Pixel encoding: the in-memory bitmap back to PNG samples, the filter
// choice, deflate and the split of its output into IDAT chunks; and the
// building of an image from device-independent bits. Free of <windows.h>.
#include <zlib.h>

#include <cstring>

#include "pngimage.hpp"

using namespace pngimage_detail;

namespace {

// Deflates the filtered rows into one zlib stream and writes it out as IDAT
// chunks, each holding one full output buffer.
class TImageDataWriter {
 public:
  TImageDataWriter(TStream* stream, int level, std::int32_t chunkSize)
      : stream_(stream), output_(std::size_t(chunkSize)) {
    if (deflateInit(&zs_, level) != Z_OK) throw EPNGOutMemory();
    ResetOutput();
  }
  ~TImageDataWriter() { deflateEnd(&zs_); }
  TImageDataWriter(const TImageDataWriter&) = delete;
  TImageDataWriter& operator=(const TImageDataWriter&) = delete;

  void Write(const Byte* data, std::int64_t length);
  void Finish();

 private:
  void ResetOutput() {
    zs_.next_out = output_.data();
    zs_.avail_out = uInt(output_.size());
  }
  // Writes the buffer's filled part as one chunk. The chunk carries the
  // whole buffer, whatever MaxDataChunkSize is, so no data is ever dropped.
  void FlushChunk() {
    const std::size_t used = output_.size() - zs_.avail_out;
    Byte frame[8];
    WriteBigEndian32(frame, std::uint32_t(used));
    std::memcpy(frame + 4, "IDAT", 4);
    WriteAll(stream_, frame, 8);
    WriteAll(stream_, output_.data(), std::int64_t(used));
    Byte crc[4];
    WriteBigEndian32(crc, ChunkCrc("IDAT", output_.data(), used));
    WriteAll(stream_, crc, 4);
    ++chunksWritten_;
    ResetOutput();
  }

  TStream* stream_;
  std::vector<Byte> output_;
  z_stream zs_{};
  int chunksWritten_ = 0;
};

void TImageDataWriter::Write(const Byte* data, std::int64_t length) {
  zs_.next_in = const_cast<Byte*>(data);
  zs_.avail_in = uInt(length);
  while (zs_.avail_in > 0) {
    if (deflate(&zs_, Z_NO_FLUSH) == Z_STREAM_ERROR) throw EPNGOutMemory();
    if (zs_.avail_out == 0) FlushChunk();
  }
}

void TImageDataWriter::Finish() {
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    status = deflate(&zs_, Z_FINISH);
    if (status == Z_STREAM_ERROR) throw EPNGOutMemory();
    if (zs_.avail_out == 0) FlushChunk();
  }
  if (zs_.avail_out < output_.size() || chunksWritten_ == 0) FlushChunk();
}

// Bitmap row to PNG samples: the inverse of decoding's conversion. 16-bit
// samples get the 8-bit value as their high byte and zero as the low one.
void UnconvertIndexedRow(const TChunkIHDR& header, int depth, std::uint32_t y,
                         std::int64_t first, int step, std::int64_t count, Byte* out) {
  const Byte* row = header.RowAddress(y);
  const int bitCount = header.BitCount();
  if (step == 1 && depth == bitCount) {
    std::memcpy(out, row, std::size_t((count * depth + 7) / 8));
    return;
  }
  if (depth < 8) std::memset(out, 0, std::size_t((count * depth + 7) / 8));
  std::int64_t x = first;
  for (std::int64_t i = 0; i < count; ++i, x += step) {
    const int index = ReadIndex(row, x, bitCount);
    if (depth == 16) {
      out[i * 2] = Byte(index);
      out[i * 2 + 1] = 0;
    } else if (depth == 8) {
      out[i] = Byte(index);
    } else {
      out[(i * depth) >> 3] |= Byte(index << (8 - depth - ((i * depth) & 7)));
    }
  }
}

void UnconvertRow(const TPNGObject& image, TChunkIHDR& header, int depth, std::uint32_t y,
                  std::int64_t first, int step, std::int64_t count, Byte* out) {
  if (header.ColorType == 0 || header.ColorType == 3) {
    UnconvertIndexedRow(header, depth, y, first, step, count, out);
    return;
  }
  const Byte* row = header.RowAddress(y);
  const Byte* alpha = header.AlphaRow(y);
  const int sampleBytes = depth / 8;
  const int samples = header.ColorType == 4 ? 2 : header.ColorType == 6 ? 4 : 3;
  std::memset(out, 0, std::size_t(count * samples * sampleBytes));
  std::int64_t x = first;
  for (std::int64_t i = 0; i < count; ++i, x += step) {
    Byte* p = out + i * samples * sampleBytes;
    if (header.ColorType == 4) {
      p[0] = row[x];
      p[sampleBytes] = alpha[x];
      continue;
    }
    const Byte* s = row + x * 3;
    p[0] = image.InverseGamma(s[2]);
    p[sampleBytes] = image.InverseGamma(s[1]);
    p[2 * sampleBytes] = image.InverseGamma(s[0]);
    if (alpha) p[3 * sampleBytes] = alpha[x];
  }
}

// Counts the bytes that repeat one of the two bytes before them; the filter
// whose row repeats most compresses best.
int ScoreRow(const Byte* row, std::int64_t length) {
  int score = 0;
  for (std::int64_t j = 2; j < length; ++j)
    if (row[j] == row[j - 1] || row[j] == row[j - 2]) ++score;
  return score;
}

// The raw row, the previous raw row and one candidate per filter type; each
// buffer has its filter type byte in front.
class TFilterSet {
 public:
  TFilterSet(TFilters filters, const TRowGeometry& geometry) : filters_(filters), geometry_(geometry) {
    for (int type = 0; type <= 4; ++type) {
      candidates_[type].assign(std::size_t(geometry.BytesPerRow) + 1, 0);
      candidates_[type][0] = Byte(type);
    }
    previous_.assign(std::size_t(geometry.BytesPerRow) + 1, 0);
  }
  Byte* Raw() { return candidates_[0].data() + 1; }
  void ClearPrevious() { std::fill(previous_.begin(), previous_.end(), Byte(0)); }
  // The chosen filtered row with its type byte; the raw row becomes the
  // previous one.
  const Byte* Choose(std::int64_t bytesPerRow);

 private:
  TFilters filters_;
  TRowGeometry geometry_;
  std::vector<Byte> candidates_[5];
  std::vector<Byte> previous_;
};

const Byte* TFilterSet::Choose(std::int64_t bytesPerRow) {
  int chosen = 0;
  if (!(filters_.Empty() || filters_ == TFilters{pfNone})) {
    int best = 0;
    for (int type = 0; type <= 4; ++type) {
      const TFilter filter = TFilter(type);
      if (!filters_.Contains(filter)) continue;
      if (type > 0)
        FilterRow(Byte(type), Raw(), previous_.data() + 1, candidates_[type].data() + 1,
                  bytesPerRow, geometry_.FilterDistance);
      if (filters_ == TFilters{filter}) {
        chosen = type;
        break;
      }
      const int score = ScoreRow(candidates_[type].data() + 1, bytesPerRow);
      if (score > best) {
        best = score;
        chosen = type;
      }
    }
  }
  std::memcpy(previous_.data() + 1, Raw(), std::size_t(bytesPerRow));
  return candidates_[chosen].data();
}

}  // namespace

bool TChunkIDAT::SaveToStream(TStream* stream) {
  TChunkIHDR* header = Header();
  if (!header->HasLayout()) throw EPngError(pnglang::EPNGUnsupportedFormatText);
  // A header whose image data never arrived is written as its zeroed pixels.
  if (!header->HasImageData()) header->AllocateImageData();
  TPNGObject& image = *Owner();
  // 2-bit images are held, and so written, as 4-bit ones.
  const int depth = header->BitDepth == 2 ? 4 : header->BitDepth;
  const TRowGeometry full = RowGeometry(header->ColorType, Byte(depth), header->Width);
  TFilterSet filters(image.Filters(), full);
  TImageDataWriter writer(stream, image.CompressionLevel(), image.MaxDataChunkSize());

  auto writeRows = [&](std::uint32_t firstRow, int rowStep, std::int64_t firstColumn,
                       int columnStep, std::int64_t width) {
    const std::int64_t bytesPerRow = RowGeometry(header->ColorType, Byte(depth), width).BytesPerRow;
    if (bytesPerRow == 0) return;
    filters.ClearPrevious();
    for (std::uint32_t y = firstRow; y < header->Height; y += rowStep) {
      UnconvertRow(image, *header, depth, y, firstColumn, columnStep, width, filters.Raw());
      writer.Write(filters.Choose(bytesPerRow), bytesPerRow + 1);
    }
  };
  if (image.InterlaceMethod() == 1) {
    for (const TAdam7Pass& pass : Adam7Passes)
      writeRows(pass.RowStart, pass.RowStep, pass.ColumnStart, pass.ColumnStep,
                PassWidth(pass, header->Width));
  } else {
    writeRows(0, 1, 0, 1, header->Width);
  }
  writer.Finish();
  return true;
}

// ---------------------------------------------------------------------------
// Building from device-independent bits.

void TPNGObject::BuildFromDIBits(int width, int height, int bitCount, const Byte* bits,
                                 const TPNGRGBQuad* colors, bool transparent,
                                 TColor transparentColor) {
  // Other bit counts have no layout here; reading them as one of these would
  // run past the caller's bits.
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    throw EPngError(pnglang::EPNGUnsupportedBitmapText);
  ClearChunks();
  const bool indexed = bitCount < 16;
  auto* header = static_cast<TChunkIHDR*>(chunks_.Add(ChunkClassOf<TChunkIHDR>()->Create(this)));
  TChunkPLTE* palette = nullptr;
  if (indexed) palette = static_cast<TChunkPLTE*>(chunks_.Add(new TChunkPLTE(this)));
  TChunktRNS* trns = transparent ? static_cast<TChunktRNS*>(chunks_.Add(new TChunktRNS(this))) : nullptr;
  chunks_.Add(new TChunkIDAT(this));
  chunks_.Add(new TChunkIEND(this));

  header->Width = std::uint32_t(width);
  header->Height = std::uint32_t(height < 0 ? -height : height);
  header->BitDepth = Byte(indexed ? bitCount : 8);
  header->ColorType = indexed ? 3 : 2;
  header->CompressionMethod = 0;
  header->InterlaceMethod = 0;
  interlaceMethod_ = 0;
  if (header->Width > 65535 || header->Height > 65535) throw EPNGSizeExceeds();
  header->PrepareImageData();
  header->AllocateImageData();
  if (bitCount == 32) {
    // Device bits of 32 bits per pixel keep their blue, green, red bytes.
    for (std::uint32_t y = 0; y < header->Height; ++y) {
      const Byte* src = bits + std::int64_t(header->Height - 1 - y) * header->Width * 4;
      Byte* dst = header->RowAddress(y);
      for (std::uint32_t x = 0; x < header->Width; ++x) std::memcpy(dst + x * 3, src + x * 4, 3);
    }
  } else {
    std::memcpy(header->ImageData(), bits, std::size_t(header->ImageDataSize()));
  }
  if (palette) {
    palette->SetEntryCount(1 << bitCount);
    std::memcpy(header->BitmapInfo().bmiColors, colors, sizeof(TPNGRGBQuad) << bitCount);
  }
  if (trns && !trns->SetTransparentColor(transparentColor)) {
    chunks_.Remove(trns);
    delete trns;
  }
}
