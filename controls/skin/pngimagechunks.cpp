// The chunk classes: the base chunk's raw data and frame, the header with
// its in-memory bitmap, palette, transparency, gamma, time and text chunks.
#include <zlib.h>

#include <cstring>
#include <new>

#include "pngimage.hpp"

using namespace pngimage_detail;

namespace {

template <class T>
T* SameClassOrRaise(TChunk* source) {
  T* typed = dynamic_cast<T*>(source);
  if (!typed || *source->ClassType()->Type != typeid(T))
    throw EPngError(pnglang::EPNGCannotAssignChunkText);
  return typed;
}

}  // namespace

// ---------------------------------------------------------------------------
// TChunk

TChunk::TChunk(TPNGObject* owner, TChunkClass chunkClass)
    : owner_(owner), class_(chunkClass), data_(1, 0) {
  std::string name = chunkClass->ChunkName();
  if (name.size() == 4) name_ = name;
}

void TChunk::ResizeData(std::int32_t length) {
  if (length < 0) length = 0;
  data_.resize(std::size_t(length) + 1);
  data_[length] = 0;
}

void TChunk::Assign(TChunk* source) {
  name_ = source->name_;
  data_ = source->data_;
}

bool TChunk::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  if (size < 0 || std::int64_t(size) + 4 > BytesLeft(stream)) throw EPngUnexpectedEnd();
  ResizeData(size);
  Byte crc[4];
  if (!ReadExact(stream, Data(), size) || !ReadExact(stream, crc, 4)) throw EPngUnexpectedEnd();
  if (ReadBigEndian32(crc) != ChunkCrc(chunkName, Data(), std::size_t(size)))
    throw EPngInvalidCRC();
  return true;
}

void TChunk::WriteChunk(TStream* stream, const TChunkName& name, const Byte* data,
                        std::int32_t length) {
  Byte frame[8];
  WriteBigEndian32(frame, std::uint32_t(length));
  std::memcpy(frame + 4, name.data(), 4);
  WriteAll(stream, frame, 8);
  WriteAll(stream, data, length);
  Byte crc[4];
  WriteBigEndian32(crc, ChunkCrc(name, data, std::size_t(length)));
  WriteAll(stream, crc, 4);
}

bool TChunk::SaveToStream(TStream* stream) {
  WriteChunk(stream, name_, Data(), DataLength());
  return true;
}

TChunkIHDR* TChunk::Header() const { return owner_->HeaderChunk(); }

// ---------------------------------------------------------------------------
// TChunkIHDR

bool TChunkIHDR::SupportedFormat(Byte colorType, Byte bitDepth) {
  switch (colorType) {
    case 0:
    case 3:
      return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 2:
    case 4:
    case 6:
      return bitDepth == 8 || bitDepth == 16;
    default:
      return false;
  }
}

bool TChunkIHDR::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  bool result = TChunk::LoadFromStream(stream, chunkName, size);
  if (size < 13) throw EPngInvalidIHDR();
  const Byte* data = Data();
  Width = ReadBigEndian32(data);
  Height = ReadBigEndian32(data + 4);
  BitDepth = data[8];
  ColorType = data[9];
  CompressionMethod = data[10];
  FilterMethod = data[11];
  InterlaceMethod = data[12];
  ValidateHeader();
  Owner()->SetInterlaceMethod(InterlaceMethod);
  PrepareImageData();
  return result;
}

void TChunkIHDR::ValidateHeader() const {
  if (Width > 65535 || Height > 65535) throw EPNGSizeExceeds();
  // An empty image has no rows to hold; the header is corrupt.
  if (Width == 0 || Height == 0) throw EPngInvalidIHDR();
  if (CompressionMethod != 0) throw EPNGUnknownCompression();
  if (InterlaceMethod > 1) throw EPNGUnknownInterlace();
}

void TChunkIHDR::PrepareImageData() {
  imageData_ = {};
  imageAlpha_ = {};
  std::memset(&bitmapInfo_, 0, sizeof(bitmapInfo_));
  rowStride_ = 0;
  indexed_ = false;
  Owner()->ImageDataChanged();
  if (!SupportedFormat(ColorType, BitDepth) || Width == 0 || Height == 0) return;

  int bitCount = 24;
  if (ColorType == 0 || ColorType == 3 || ColorType == 4)
    bitCount = BitDepth == 2 ? 4 : BitDepth == 16 ? 8 : BitDepth;
  indexed_ = bitCount <= 8;
  TPNGBitmapInfoHeader& h = bitmapInfo_.bmiHeader;
  h.biSize = sizeof(TPNGBitmapInfoHeader);
  h.biWidth = std::int32_t(Width);
  h.biHeight = std::int32_t(Height);
  h.biPlanes = 1;
  h.biBitCount = std::uint16_t(bitCount);
  rowStride_ = std::int32_t((std::int64_t(bitCount) * Width + 31) / 32 * 4);
  if (ColorType == 0 || ColorType == 4) FillGrayColorTable();
}

std::int64_t TChunkIHDR::ImageBytesNeeded() const {
  const bool hasAlpha = ColorType == 4 || ColorType == 6;
  return std::int64_t(rowStride_) * Height + (hasAlpha ? std::int64_t(Width) * Height : 0);
}

void TChunkIHDR::AllocateImageData(bool zeroed) {
  if (!HasLayout()) return;
  if (ImageBytesNeeded() > MaxImageBytes) throw EPNGOutMemory();
  const std::int64_t bits = std::int64_t(rowStride_) * Height;
  try {
    if (zeroed) {
      imageData_.assign(std::size_t(bits), 0);
      imageAlpha_.assign(std::size_t(ImageBytesNeeded() - bits), 0);
    } else {
      // Untouched pages: the writes of the decoder are their first.
      imageData_ = {};
      imageAlpha_ = {};
      imageData_.resize(std::size_t(bits));
      imageAlpha_.resize(std::size_t(ImageBytesNeeded() - bits));
    }
  } catch (const std::bad_alloc&) {
    imageData_ = {};
    imageAlpha_ = {};
    throw EPNGOutMemory();
  }
  Owner()->ImageDataChanged();
}

void TChunkIHDR::FillGrayColorTable() {
  const int levels = (1 << BitCount()) - 1;
  for (int n = 0; n <= levels; ++n) {
    Byte gray = Owner()->Gamma(Byte((n * 255 + levels / 2) / levels));
    bitmapInfo_.bmiColors[n] = TPNGRGBQuad{gray, gray, gray, 0};
  }
}

Byte* TChunkIHDR::RowAddress(std::uint32_t row) {
  return imageData_.data() + std::int64_t(Height - 1 - row) * rowStride_;
}

const Byte* TChunkIHDR::RowAddress(std::uint32_t row) const {
  return imageData_.data() + std::int64_t(Height - 1 - row) * rowStride_;
}

Byte* TChunkIHDR::AlphaRow(std::uint32_t row) {
  return imageAlpha_.empty() ? nullptr : imageAlpha_.data() + std::int64_t(row) * Width;
}

bool TChunkIHDR::SaveToStream(TStream* stream) {
  // 2-bit images are held as 4-bit nibbles and written that way. A gray
  // image's transparent sample moves to the 4-bit level showing its gray, or
  // the saved file would lose its transparency.
  if (BitDepth == 2) {
    TChunktRNS* trns = Owner()->Chunks().Find<TChunktRNS>();
    if (ColorType == 0 && trns && trns->DataLength() >= 2) {
      const Byte level = Byte((trns->Data()[1] & 3) * 5);
      trns->Data()[0] = 0;
      trns->Data()[1] = level;
    }
    BitDepth = 4;
  }
  InterlaceMethod = Owner()->InterlaceMethod();
  ResizeData(13);
  Byte* data = Data();
  WriteBigEndian32(data, Width);
  WriteBigEndian32(data + 4, Height);
  data[8] = BitDepth;
  data[9] = ColorType;
  data[10] = CompressionMethod;
  data[11] = FilterMethod;
  data[12] = InterlaceMethod;
  return TChunk::SaveToStream(stream);
}

void TChunkIHDR::Assign(TChunk* source) {
  TChunkIHDR* from = SameClassOrRaise<TChunkIHDR>(source);
  TChunk::Assign(source);
  Width = from->Width;
  Height = from->Height;
  BitDepth = from->BitDepth;
  ColorType = from->ColorType;
  CompressionMethod = from->CompressionMethod;
  FilterMethod = from->FilterMethod;
  InterlaceMethod = from->InterlaceMethod;
  PrepareImageData();
  imageData_ = from->imageData_;
  imageAlpha_ = from->imageAlpha_;
  std::memcpy(bitmapInfo_.bmiColors, from->bitmapInfo_.bmiColors, sizeof(bitmapInfo_.bmiColors));
}

// ---------------------------------------------------------------------------
// TChunkPLTE

bool TChunkPLTE::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  bool result = TChunk::LoadFromStream(stream, chunkName, size);
  if (size % 3 != 0 || size / 3 > 256) throw EPNGInvalidPalette();
  TChunkIHDR* header = Header();
  const Byte* data = Data();
  for (int i = 0; i < size / 3; ++i) {
    TPNGRGBQuad& entry = header->BitmapInfo().bmiColors[i];
    entry.rgbRed = Owner()->Gamma(data[i * 3]);
    entry.rgbGreen = Owner()->Gamma(data[i * 3 + 1]);
    entry.rgbBlue = Owner()->Gamma(data[i * 3 + 2]);
    entry.rgbReserved = 0;
  }
  entryCount_ = size / 3;
  Owner()->ImageDataChanged();
  return result;
}

bool TChunkPLTE::SaveToStream(TStream* stream) {
  const TChunkIHDR* header = Header();
  ResizeData(entryCount_ * 3);
  Byte* data = Data();
  for (int i = 0; i < entryCount_; ++i) {
    const TPNGRGBQuad& entry = header->BitmapInfo().bmiColors[i];
    data[i * 3] = Owner()->InverseGamma(entry.rgbRed);
    data[i * 3 + 1] = Owner()->InverseGamma(entry.rgbGreen);
    data[i * 3 + 2] = Owner()->InverseGamma(entry.rgbBlue);
  }
  return TChunk::SaveToStream(stream);
}

TPNGRGBQuad TChunkPLTE::Item(int n) const {
  if (n < 0 || n >= entryCount_) throw EPngError(pnglang::EPNGUnknownPalEntryText);
  return Header()->BitmapInfo().bmiColors[n];
}

void TChunkPLTE::Assign(TChunk* source) {
  TChunkPLTE* from = SameClassOrRaise<TChunkPLTE>(source);
  TChunk::Assign(source);
  entryCount_ = from->entryCount_;
}

// ---------------------------------------------------------------------------
// TChunkgAMA

TChunkgAMA::TChunkgAMA(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunkgAMA>()) {
  SetGamma(1);
}

std::uint32_t TChunkgAMA::Gamma() {
  if (DataLength() != 4) SetGamma(1);
  return ReadBigEndian32(Data());
}

void TChunkgAMA::SetGamma(std::uint32_t value) {
  ResizeData(4);
  WriteBigEndian32(Data(), value);
}

bool TChunkgAMA::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  bool result = TChunk::LoadFromStream(stream, chunkName, size);
  // A gAMA of another size has no value (reading it as the default 1, that
  // is gamma 0.00001, would show the image black), and 0 has no meaning.
  if (size != 4 || Gamma() == 0) {
    Ignore();
    return result;
  }
  Owner()->BuildGammaTables(Gamma());
  return result;
}

void TChunkgAMA::Assign(TChunk* source) {
  TChunkgAMA* from = SameClassOrRaise<TChunkgAMA>(source);
  TChunk::Assign(source);
  SetGamma(from->Gamma());
}

// ---------------------------------------------------------------------------
// TChunktRNS

bool TChunktRNS::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  bool result = TChunk::LoadFromStream(stream, chunkName, size);
  if (size > 256) throw EPNGInvalidPalette();
  const Byte colorType = Header()->ColorType;
  // A gray or RGB sample has a fixed size: a shorter chunk names no colour,
  // a longer one is clipped, so nothing past the sample is ever read.
  const std::int32_t sampleSize = colorType == 0 ? 2 : colorType == 2 ? 6 : 0;
  // An empty chunk, or one too short to name a colour, makes nothing
  // transparent: it is dropped rather than failing the whole image.
  if (size == 0 || size < sampleSize) {
    Ignore();
    return result;
  }
  if (sampleSize != 0) ResizeData(sampleSize);
  AlphaValues.fill(255);
  std::memcpy(AlphaValues.data(), Data(), std::size_t(DataLength()));
  if (colorType == 3) {
    int belowOpaque = 0;
    for (int i = 0; i < DataLength(); ++i)
      if (Data()[i] != 255) ++belowOpaque;
    // One entry that is not opaque is drawn by the mask, as binary.
    BinaryAlpha = belowOpaque == 1;
  } else {
    BinaryAlpha = colorType == 0 || colorType == 2;
  }
  return result;
}

bool TChunktRNS::SaveToStream(TStream* stream) {
  const TChunkIHDR* header = Header();
  if (header->BitDepth != 16 || (header->ColorType != 0 && header->ColorType != 2))
    return TChunk::SaveToStream(stream);
  // 16-bit samples are saved as their kept high byte followed by zero; the
  // transparent sample must be written the same way to still match them.
  std::vector<Byte> samples(Data(), Data() + DataLength());
  for (std::size_t i = 1; i < samples.size(); i += 2) samples[i] = 0;
  WriteChunk(stream, Name(), samples.data(), DataLength());
  return true;
}

bool TChunktRNS::SetTransparentColor(TColor color) {
  const Byte red = Byte(color), green = Byte(color >> 8), blue = Byte(color >> 16);
  TChunkIHDR* header = Header();
  AlphaValues.fill(255);
  BinaryAlpha = true;
  switch (header->ColorType) {
    case 0:
      ResizeData(2);
      Data()[0] = 0;
      Data()[1] = red;
      break;
    case 2:
      ResizeData(6);
      Data()[0] = 0;
      Data()[1] = red;
      Data()[2] = 0;
      Data()[3] = green;
      Data()[4] = 0;
      Data()[5] = blue;
      break;
    case 3: {
      const int entries = header->Indexed() ? 1 << header->BitCount() : 256;
      ResizeData(0);
      BinaryAlpha = false;
      for (int i = 0; i < entries; ++i) {
        const TPNGRGBQuad& e = header->BitmapInfo().bmiColors[i];
        if (e.rgbBlue == blue && e.rgbGreen == green && e.rgbRed == red) {
          ResizeData(i + 1);
          std::memset(Data(), 255, std::size_t(i));
          Data()[i] = 0;
          AlphaValues[i] = 0;
          BinaryAlpha = true;
          return true;
        }
      }
      return false;
    }
    default:
      break;
  }
  return true;
}

void TChunktRNS::Assign(TChunk* source) {
  TChunk::Assign(source);
  if (TChunktRNS* from = dynamic_cast<TChunktRNS*>(source)) {
    AlphaValues = from->AlphaValues;
    BinaryAlpha = from->BinaryAlpha;
  }
}

// ---------------------------------------------------------------------------
// TChunktIME

bool TChunktIME::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  bool result = TChunk::LoadFromStream(stream, chunkName, size);
  if (size == 7) {
    const Byte* data = Data();
    Year = Word((data[0] << 8) | data[1]);
    Month = data[2];
    Day = data[3];
    Hour = data[4];
    Minute = data[5];
    Second = data[6];
  }
  return result;
}

void TChunktIME::Assign(TChunk* source) {
  TChunk::Assign(source);
  if (TChunktIME* from = dynamic_cast<TChunktIME*>(source)) {
    Year = from->Year;
    Month = from->Month;
    Day = from->Day;
    Hour = from->Hour;
    Minute = from->Minute;
    Second = from->Second;
  }
}

// ---------------------------------------------------------------------------
// TChunktEXt and TChunkzTXt

std::int32_t TChunktEXt::SplitKeyword() {
  const char* data = reinterpret_cast<const char*>(Data());
  const void* zero = std::memchr(data, 0, std::size_t(DataLength()));
  const std::int32_t keywordLength =
      zero ? std::int32_t(static_cast<const char*>(zero) - data) : DataLength();
  Keyword.assign(data, std::size_t(keywordLength));
  return zero ? keywordLength + 1 : DataLength();
}

bool TChunktEXt::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  bool result = TChunk::LoadFromStream(stream, chunkName, size);
  if (size > 2) {
    std::int32_t textStart = SplitKeyword();
    Text.assign(reinterpret_cast<const char*>(Data()) + textStart,
                std::size_t(DataLength() - textStart));
  }
  return result;
}

bool TChunktEXt::SaveToStream(TStream* stream) {
  ResizeData(std::int32_t(Keyword.size() + 1 + Text.size()));
  std::memcpy(Data(), Keyword.data(), Keyword.size());
  Data()[Keyword.size()] = 0;
  std::memcpy(Data() + Keyword.size() + 1, Text.data(), Text.size());
  return TChunk::SaveToStream(stream);
}

void TChunktEXt::Assign(TChunk* source) {
  TChunk::Assign(source);
  if (TChunktEXt* from = dynamic_cast<TChunktEXt*>(source)) {
    Keyword = from->Keyword;
    Text = from->Text;
  }
}

namespace {

// Inflates a whole zlib stream; false when it is damaged or incomplete, or
// when it would give more than limit bytes.
bool InflateAll(const Byte* input, std::size_t length, std::size_t limit, std::string& output) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return false;
  zs.next_in = const_cast<Byte*>(input);
  zs.avail_in = uInt(length);
  Byte buffer[16384];
  int status = Z_OK;
  try {
    while (status == Z_OK) {
      zs.next_out = buffer;
      zs.avail_out = sizeof(buffer);
      status = inflate(&zs, Z_NO_FLUSH);
      output.append(reinterpret_cast<const char*>(buffer), sizeof(buffer) - zs.avail_out);
      if (status == Z_BUF_ERROR && zs.avail_in == 0) break;
      if (output.size() > limit) status = Z_BUF_ERROR;
    }
  } catch (const std::bad_alloc&) {
    status = Z_MEM_ERROR;
  }
  inflateEnd(&zs);
  return status == Z_STREAM_END;
}

}  // namespace

namespace pngimage_detail {

TTextDeflater TextDeflater = &DeflateText;

bool DeflateText(const std::string& input, int level, std::vector<Byte>& output) {
  z_stream zs{};
  if (deflateInit(&zs, level) != Z_OK) return false;
  output.resize(deflateBound(&zs, uLong(input.size())));
  zs.next_in = reinterpret_cast<Byte*>(const_cast<char*>(input.data()));
  zs.avail_in = uInt(input.size());
  zs.next_out = output.data();
  zs.avail_out = uInt(output.size());
  int status = deflate(&zs, Z_FINISH);
  output.resize(zs.total_out);
  deflateEnd(&zs);
  return status == Z_STREAM_END;
}

}  // namespace pngimage_detail

bool TChunkzTXt::LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) {
  bool result = TChunk::LoadFromStream(stream, chunkName, size);
  if (size > 3) {
    std::int32_t methodAt = SplitKeyword();
    Text.clear();
    // Only method 0 (deflate) exists; any other method byte leaves the text
    // empty rather than guessing at its data.
    if (methodAt < DataLength() && Data()[methodAt] == 0) {
      const std::int32_t start = methodAt + 1;
      if (!InflateAll(Data() + start, std::size_t(DataLength() - start), MaxTextBytes, Text))
        Text.clear();
    }
  }
  return result;
}

bool TChunkzTXt::SaveToStream(TStream* stream) {
  if (Text.empty()) Text = " ";
  std::vector<Byte> compressed;
  // Dropping the chunk would lose the text without a word.
  if (!TextDeflater(Text, Owner()->CompressionLevel(), compressed))
    throw EPngError(pnglang::EPNGTextCompressionText);
  ResizeData(std::int32_t(Keyword.size() + 2 + compressed.size()));
  std::memcpy(Data(), Keyword.data(), Keyword.size());
  Data()[Keyword.size()] = 0;
  Data()[Keyword.size() + 1] = 0;
  std::memcpy(Data() + Keyword.size() + 2, compressed.data(), compressed.size());
  return TChunk::SaveToStream(stream);
}
