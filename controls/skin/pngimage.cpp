// The picture's codec core: the chunk registry, the file's load and save
// sequences, gamma, transparency and pixel access. Free of <windows.h>.
#include "pngimage.hpp"

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace pngimage_detail;

namespace {

const Byte kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// The registry is made on first registration and emptied when the unit
// ends.
std::vector<TChunkClass>& Registry() {
  static std::vector<TChunkClass> registry;
  return registry;
}

bool IsCriticalName(const TChunkName& name) { return (name[0] & 0x20) == 0; }

}  // namespace

// ---------------------------------------------------------------------------
// Shared helpers.

namespace pngimage_detail {

// zlib's CRC-32 is this same one (reflected EDB88320h), computed several
// bytes at a time; it takes and gives the complemented register.
std::uint32_t UpdateCrc(std::uint32_t crc, const Byte* data, std::size_t length) {
  while (length > 0) {
    const uInt part = length > 0x40000000 ? 0x40000000 : uInt(length);
    crc = ~std::uint32_t(crc32(~crc & 0xFFFFFFFFu, data, part));
    data += part;
    length -= part;
  }
  return crc;
}

std::uint32_t ChunkCrc(const TChunkName& name, const Byte* data, std::size_t length) {
  std::uint32_t crc = UpdateCrc(0xFFFFFFFFu, reinterpret_cast<const Byte*>(name.data()), 4);
  return ~UpdateCrc(crc, data, length);
}

std::uint32_t ReadBigEndian32(const Byte* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
         p[3];
}

void WriteBigEndian32(Byte* p, std::uint32_t value) {
  p[0] = Byte(value >> 24);
  p[1] = Byte(value >> 16);
  p[2] = Byte(value >> 8);
  p[3] = Byte(value);
}

bool ReadExact(TStream* stream, void* buffer, std::int64_t count) {
  Byte* p = static_cast<Byte*>(buffer);
  while (count > 0) {
    std::int32_t part = count > 0x40000000 ? 0x40000000 : std::int32_t(count);
    std::int32_t got = stream->Read(p, part);
    if (got <= 0) return false;
    p += got;
    count -= got;
  }
  return true;
}

void WriteAll(TStream* stream, const void* buffer, std::int64_t count) {
  const Byte* p = static_cast<const Byte*>(buffer);
  while (count > 0) {
    std::int32_t part = count > 0x40000000 ? 0x40000000 : std::int32_t(count);
    std::int32_t put = stream->Write(p, part);
    if (put <= 0) throw EWriteError("Stream write error");
    p += put;
    count -= put;
  }
}

std::int64_t BytesLeft(TStream* stream) {
  std::int64_t position = stream->Seek(0, soCurrent);
  std::int64_t end = stream->Seek(0, soEnd);
  stream->Seek(position, soBeginning);
  return end > position ? end - position : 0;
}

}  // namespace pngimage_detail

std::string ChunkNameOfClassName(const std::string& className) {
  const std::string prefix = "TChunk";
  if (className.compare(0, prefix.size(), prefix) == 0) return className.substr(prefix.size());
  return className;
}

// ---------------------------------------------------------------------------
// Lists.

void* TPNGPointerList::Add(void* item) {
  items_.push_back(item);
  return item;
}

void* TPNGPointerList::Remove(void* item) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (*it == item) {
      items_.erase(it);
      return item;
    }
  }
  return nullptr;
}

void* TPNGPointerList::Item(int index) const {
  return index >= 0 && index < Count() ? items_[index] : nullptr;
}

void TPNGPointerList::SetItem(int index, void* item) {
  if (index >= 0 && index < Count()) items_[index] = item;
}

void TPNGPointerList::SetSize(int size) { items_.resize(size < 0 ? 0 : size, nullptr); }

TChunk* TPNGList::ItemFromClass(TChunkClass chunkClass) const {
  for (int i = 0; i < Count(); ++i) {
    TChunk* chunk = Chunk(i);
    if (chunk && *chunk->ClassType()->Type == *chunkClass->Type) return chunk;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Registry.

void AddChunkClass(TChunkClass chunkClass) { Registry().push_back(chunkClass); }

void AddStandardChunkClasses() {
  AddChunkClass(ChunkClassOf<TChunkIEND>());
  AddChunkClass(ChunkClassOf<TChunkIHDR>());
  AddChunkClass(ChunkClassOf<TChunkIDAT>());
  AddChunkClass(ChunkClassOf<TChunkPLTE>());
  AddChunkClass(ChunkClassOf<TChunkgAMA>());
  AddChunkClass(ChunkClassOf<TChunktRNS>());
  AddChunkClass(ChunkClassOf<TChunktIME>());
  AddChunkClass(ChunkClassOf<TChunktEXt>());
  AddChunkClass(ChunkClassOf<TChunkzTXt>());
}

TChunk* NewChunkForName(TPNGObject* image, const TChunkName& name) {
  // A program that did not start the unit still reads the standard chunks.
  if (Registry().empty()) AddStandardChunkClasses();
  TChunkClass found = ChunkClassOf<TChunk>();
  for (TChunkClass chunkClass : Registry()) {
    if (chunkClass->ChunkName() == name) {
      found = chunkClass;
      break;
    }
  }
  TChunk* chunk = found->Create(image);
  chunk->SetName(name);
  return chunk;
}

// ---------------------------------------------------------------------------
// The picture: life, settings, load and save.

TPNGObject::TPNGObject() { InitializeGamma(); }

TPNGObject::~TPNGObject() {
  ClearChunks();
  FreePalette();
}

void TPNGObject::ClearChunks() {
  for (int i = 0; i < chunks_.Count(); ++i) delete chunks_.Chunk(i);
  chunks_.SetSize(0);
  InitializeGamma();
  ImageDataChanged();
}

void TPNGObject::InitializeGamma() {
  for (int i = 0; i < 256; ++i) {
    gammaTable_[i] = Byte(i);
    inverseGamma_[i] = Byte(i);
  }
}

bool TPNGObject::GammaIsIdentity() const {
  for (int i = 0; i < 256; ++i)
    if (gammaTable_[i] != i) return false;
  return true;
}

void TPNGObject::BuildGammaTables(std::uint32_t gammaTimes100000) {
  if (gammaTimes100000 == 0) return;
  const double exponent = 1.0 / (gammaTimes100000 / 100000.0 * 2.2);
  for (int i = 0; i < 256; ++i) {
    Int64 value = Round(255.0 * std::pow(i / 255.0, exponent));
    gammaTable_[i] = Byte(value < 0 ? 0 : value > 255 ? 255 : value);
    inverseGamma_[gammaTable_[i]] = Byte(i);
  }
}

void TPNGObject::ImageDataChanged() { FreePalette(); }

bool TPNGObject::HasHeader() const {
  TChunk* first = chunks_.Chunk(0);
  return first && dynamic_cast<TChunkIHDR*>(first) != nullptr;
}

TChunkIHDR* TPNGObject::HeaderChunk() const {
  if (!HasHeader()) throw EPNGHeaderNotPresent();
  return static_cast<TChunkIHDR*>(chunks_.Chunk(0));
}

int TPNGObject::GetWidth() const { return HasHeader() ? int(HeaderChunk()->Width) : 0; }
int TPNGObject::GetHeight() const { return HasHeader() ? int(HeaderChunk()->Height) : 0; }
bool TPNGObject::GetEmpty() const { return chunks_.Count() == 0; }
bool TPNGObject::GetTransparent() const { return TransparencyKind() != ptkNone; }

void TPNGObject::SetWidth(int) { throw EPngError(pnglang::EPNGCannotChangeSizeText); }
void TPNGObject::SetHeight(int) { throw EPngError(pnglang::EPNGCannotChangeSizeText); }

void TPNGObject::LoadFromStream(TStream* stream) {
  // The picture holding the image hears of the change, failed loads too:
  // the image keeps what was read.
  try {
    LoadChunks(stream);
  } catch (...) {
    NotifyChanged();
    throw;
  }
  NotifyChanged();
}

void TPNGObject::LoadChunks(TStream* stream) {
  ClearChunks();
  Byte signature[8];
  if (!ReadExact(stream, signature, 8) || std::memcmp(signature, kSignature, 8) != 0)
    throw EPNGInvalidFileHeader();

  bool imageDataRead = false;
  for (int number = 1;; ++number) {
    Byte frame[8];
    if (!ReadExact(stream, frame, 8)) throw EPngUnexpectedEnd();
    std::uint32_t length = ReadBigEndian32(frame);
    TChunkName name(reinterpret_cast<const char*>(frame + 4), 4);
    if (number == 1 && name != "IHDR") throw EPNGIHDRNotFirst();
    // A second header would describe another image than the pixels read.
    if (number > 1 && name == "IHDR") throw EPngInvalidIHDR();
    // Every length is checked against what the stream still holds (data and
    // CRC) before anything is allocated or read.
    if (length > 0x7FFFFFFFu || std::int64_t(length) + 4 > BytesLeft(stream))
      throw EPngUnexpectedEnd();

    // A second run of image data can only follow ancillary chunks that a
    // careless writer put between the runs; the image is complete already.
    if (name == "cHRM" || (name == "IDAT" && imageDataRead)) {
      stream->Seek(std::int64_t(length) + 4, soCurrent);
      continue;
    }
    TChunk* chunk = NewChunkForName(this, name);
    if (*chunk->ClassType()->Type == typeid(TChunk) && IsCriticalName(name)) {
      delete chunk;
      throw EPNGUnknownCriticalChunk();
    }
    chunks_.Add(chunk);
    if (name == "IDAT") imageDataRead = true;
    const bool goOn = chunk->LoadFromStream(stream, name, std::int32_t(length));
    if (chunk->Ignored()) {
      chunks_.Remove(chunk);
      delete chunk;
    }
    if (!goOn || name == "IEND") break;
  }
  if (!imageDataRead) throw EPNGNoImageData();
}

void TPNGObject::SaveToStream(TStream* stream) {
  WriteAll(stream, kSignature, 8);
  for (int i = 0; i < chunks_.Count(); ++i) chunks_.Chunk(i)->SaveToStream(stream);
}

void TPNGObject::AssignPNG(const TPNGObject* source) {
  if (source == this) return;
  interlaceMethod_ = source->interlaceMethod_;
  maxDataChunkSize_ = source->maxDataChunkSize_;
  compressionLevel_ = source->compressionLevel_;
  filters_ = source->filters_;
  ClearChunks();
  // Settings of the source's gamma survive: its chunks already hold
  // displayed values, and saving maps them back through these tables.
  std::memcpy(gammaTable_, source->gammaTable_, 256);
  std::memcpy(inverseGamma_, source->inverseGamma_, 256);
  for (int i = 0; i < source->chunks_.Count(); ++i) {
    TChunk* from = source->chunks_.Chunk(i);
    TChunk* to = from->ClassType()->Create(this);
    chunks_.Add(to);
    to->Assign(from);
  }
}

// ---------------------------------------------------------------------------
// Transparency and pixels.

TPNGTransparencyKind TPNGObject::TransparencyKind() const {
  if (!HasHeader()) return ptkNone;
  const TChunkIHDR* header = HeaderChunk();
  const TChunktRNS* trns = chunks_.Find<TChunktRNS>();
  switch (header->ColorType) {
    case 0:
    case 2:
      return trns ? ptkBinary : ptkNone;
    case 3:
      if (!trns) return ptkNone;
      return trns->BinaryAlpha ? ptkBinary : ptkPartial;
    case 4:
    case 6:
      return ptkPartial;
    default:
      return ptkNone;
  }
}

namespace {

TColor RGBColor(Byte red, Byte green, Byte blue) {
  return TColor(red | (green << 8) | (blue << 16));
}

TColor QuadColor(const TPNGRGBQuad& quad) {
  return RGBColor(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
}

// The in-memory gray index of a gray sample, as decoding stores it.
int GrayIndexOfSample(const TChunkIHDR& header, std::uint32_t sample) {
  switch (header.BitDepth) {
    case 1: return sample & 1;
    case 2: return (sample & 3) * 5;
    case 4: return sample & 15;
    case 8: return sample & 255;
    default: return (sample >> 8) & 255;
  }
}

// The 8-bit byte of an RGB tRNS sample that decoding keeps: the high byte
// of 16-bit samples, the low byte otherwise.
Byte KeptByteOfSample(const TChunkIHDR& header, const Byte* sample) {
  return header.BitDepth == 16 ? sample[0] : sample[1];
}

}  // namespace

TColor TPNGObject::KeyColor() const {
  if (!HasHeader()) return 0;
  const TChunkIHDR* header = HeaderChunk();
  const TChunktRNS* trns = chunks_.Find<TChunktRNS>();
  if (!trns) return 0;
  const Byte* data = trns->Data();
  switch (header->ColorType) {
    case 3:
      for (int i = 0; i < trns->DataLength(); ++i)
        if (data[i] == 0) return QuadColor(header->BitmapInfo().bmiColors[i]);
      return 0;
    case 0:
      if (trns->DataLength() < 2) return 0;
      return QuadColor(header->BitmapInfo().bmiColors[GrayIndexOfSample(
          *header, (std::uint32_t(data[0]) << 8) | data[1])]);
    case 2:
      if (trns->DataLength() < 6) return 0;
      return RGBColor(gammaTable_[KeptByteOfSample(*header, data)],
                      gammaTable_[KeptByteOfSample(*header, data + 2)],
                      gammaTable_[KeptByteOfSample(*header, data + 4)]);
    default:
      return 0;
  }
}


TColor TPNGObject::IndexedPixelColor(const TChunkIHDR& header, int x, int y) const {
  int index = ReadIndex(header.RowAddress(y), x, header.BitCount());
  const TPNGRGBQuad& entry = header.BitmapInfo().bmiColors[index];
  if (header.ColorType == 3)
    return RGBColor(gammaTable_[entry.rgbRed], gammaTable_[entry.rgbGreen],
                    gammaTable_[entry.rgbBlue]);
  // Gray: the level the colour table would show, scaled to 0 ... 255.
  int levels = (1 << header.BitCount()) - 1;
  Byte level = gammaTable_[(index * 255 + levels / 2) / levels];
  return RGBColor(level, level, level);
}

TColor TPNGObject::ReadPixelColor(int x, int y) {
  if (!HasHeader()) return 0;
  const TChunkIHDR& header = *HeaderChunk();
  if (x < 0 || y < 0 || x >= int(header.Width) || y >= int(header.Height) ||
      !header.HasImageData())
    return 0;
  if (header.Indexed()) return IndexedPixelColor(header, x, y);
  const Byte* pixel = header.RowAddress(y) + x * 3;
  return RGBColor(pixel[2], pixel[1], pixel[0]);
}

void TPNGObject::WriteIndexedPixel(TChunkIHDR& header, int x, int y, TColor color) {
  // The nearest entry of the image's palette; only the entries the bit
  // count can address are candidates, so a 1-bit image never gets index 2.
  const int red = color & 255, green = (color >> 8) & 255, blue = (color >> 16) & 255;
  const int entries = 1 << header.BitCount();
  int best = 0;
  long bestDistance = std::numeric_limits<long>::max();
  for (int i = 0; i < entries; ++i) {
    const TPNGRGBQuad& entry = header.BitmapInfo().bmiColors[i];
    long dr = entry.rgbRed - red, dg = entry.rgbGreen - green, db = entry.rgbBlue - blue;
    long distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  WriteIndex(header.RowAddress(y), x, header.BitCount(), best);
}

void TPNGObject::WritePixelColor(int x, int y, TColor color) {
  if (!HasHeader()) return;
  TChunkIHDR& header = *HeaderChunk();
  if (x < 0 || y < 0 || x >= int(header.Width) || y >= int(header.Height) ||
      !header.HasImageData())
    return;
  if (header.Indexed()) {
    WriteIndexedPixel(header, x, y, color);
    return;
  }
  Byte* pixel = header.RowAddress(y) + x * 3;
  pixel[0] = Byte(color >> 16);
  pixel[1] = Byte(color >> 8);
  pixel[2] = Byte(color);
}

#ifdef PNGIMAGE_CORE_ONLY
void TPNGObject::FreePalette() { paletteHandle_ = nullptr; }
void TPNGObject::NotifyChanged() {}

namespace {
void InitPngImage() {
  if (Registry().empty()) AddStandardChunkClasses();
}
void DonePngImage() { Registry().clear(); }
}  // namespace

const TUnitInfo pngimageUnit = {"pngimage", &InitPngImage, &DonePngImage};
#endif

// Registry access for the face's unit start-up.
void ClearChunkClasses() { Registry().clear(); }
bool ChunkClassesRegistered() { return !Registry().empty(); }
