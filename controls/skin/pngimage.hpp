// The kit's PNG codec: the picture class TPNGObject, its chunk classes and
// their registry, the in-memory bitmap the pixels live in, and the codec's
// exceptions.
//
// The codec core (chunks, CRC, inflate and deflate, row filters, Adam7,
// sample conversion, gamma) is free of <windows.h>. The core-only build
// target (and the native sanitizer build) defines PNGIMAGE_CORE_ONLY:
// TPNGObject then lacks its TGraphic face (drawing, bitmaps, clipboard,
// resources), which lives in pngimageface.cpp. The skin library always has
// the face.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "Classes.hpp"
#include "SysUtils.hpp"
#include "System.hpp"
#include "pnglang.hpp"

#ifndef PNGIMAGE_CORE_ONLY
#include "Graphics.hpp"
#define PNGIMAGE_FACE_OVERRIDE override
#else
#define PNGIMAGE_FACE_OVERRIDE
// The library's colour value, 0x00BBGGRR.
using TColor = std::int32_t;
#endif

class TPNGObject;
class TChunk;

// ---------------------------------------------------------------------------
// Exceptions. Each class carries its own message; EPngError takes one of
// several.

#define PNGIMAGE_EXCEPTION(Name, Text)                          \
  class Name : public Exception {                               \
   public:                                                      \
    Name() : Exception(pnglang::Text) {}                        \
    explicit Name(const std::string& message) : Exception(message) {} \
  }

PNGIMAGE_EXCEPTION(EPNGInvalidFileHeader, EPNGInvalidFileHeaderText);
PNGIMAGE_EXCEPTION(EPngUnexpectedEnd, EPNGUnexpectedEndText);
PNGIMAGE_EXCEPTION(EPNGIHDRNotFirst, EPNGIHDRNotFirstText);
PNGIMAGE_EXCEPTION(EPNGUnknownCriticalChunk, EPNGUnknownCriticalChunkText);
PNGIMAGE_EXCEPTION(EPNGNoImageData, EPNGNoImageDataText);
PNGIMAGE_EXCEPTION(EPngInvalidCRC, EPNGInvalidCRCText);
PNGIMAGE_EXCEPTION(EPngInvalidIHDR, EPNGInvalidIHDRText);
PNGIMAGE_EXCEPTION(EPNGSizeExceeds, EPNGSizeExceedsText);
PNGIMAGE_EXCEPTION(EPNGUnknownCompression, EPNGUnknownCompressionText);
PNGIMAGE_EXCEPTION(EPNGUnknownInterlace, EPNGUnknownInterlaceText);
PNGIMAGE_EXCEPTION(EPNGInvalidPalette, EPNGInvalidPaletteText);
PNGIMAGE_EXCEPTION(EPNGMissingMultipleIDAT, EPNGMissingMultipleIDATText);
PNGIMAGE_EXCEPTION(EPNGCouldNotLoadResource, EPNGCouldNotLoadResourceText);
PNGIMAGE_EXCEPTION(EPNGOutMemory, EPNGOutMemoryText);
PNGIMAGE_EXCEPTION(EPNGHeaderNotPresent, EPNGHeaderNotPresentText);

// Inflate failed; the message ends with zlib's text for the error.
class EPNGZLIBError : public Exception {
 public:
  explicit EPNGZLIBError(const std::string& zlibMessage)
      : Exception(std::string(pnglang::EPNGZLIBErrorText) + zlibMessage) {}
};

// Programming errors: a palette entry that does not exist, chunks of
// different classes assigned, a resize attempt, an unsupported pixel format.
class EPngError : public Exception {
 public:
  using Exception::Exception;
};

#undef PNGIMAGE_EXCEPTION

// ---------------------------------------------------------------------------
// The in-memory bitmap's description, laid out as the platform's
// BITMAPINFOHEADER and RGBQUAD so that it goes to the device unchanged.

struct TPNGBitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(TPNGBitmapInfoHeader) == 40);

struct TPNGRGBQuad {
  Byte rgbBlue;
  Byte rgbGreen;
  Byte rgbRed;
  Byte rgbReserved;
};
static_assert(sizeof(TPNGRGBQuad) == 4);

struct TPNGBitmapInfo {
  TPNGBitmapInfoHeader bmiHeader;
  TPNGRGBQuad bmiColors[256];
};
static_assert(sizeof(TPNGBitmapInfo) == 40 + 256 * 4);

// ---------------------------------------------------------------------------
// Chunk class references: the registry holds these, and NewChunkForName
// creates chunks through them.

struct TChunkClassInfo {
  const std::type_info* Type;
  std::string (*ChunkName)();
  TChunk* (*Create)(TPNGObject* owner);
};
using TChunkClass = const TChunkClassInfo*;

// The class reference of a chunk class; its ChunkName is the class name
// without the leading "TChunk" ("IHDR" for TChunkIHDR, "" for TChunk).
template <class T>
TChunkClass ChunkClassOf();

std::string ChunkNameOfClassName(const std::string& className);

// ---------------------------------------------------------------------------
// Lists.

// A growable list of pointers with an owner. Indexes outside the count read
// as nil and are ignored on writes.
class TPNGPointerList {
 public:
  explicit TPNGPointerList(TPNGObject* owner) : owner_(owner) {}
  virtual ~TPNGPointerList() = default;

  TPNGObject* Owner() const { return owner_; }
  int Count() const { return static_cast<int>(items_.size()); }
  void* Add(void* item);
  void* Remove(void* item);
  void* Item(int index) const;
  void SetItem(int index, void* item);
  void SetSize(int size);

 private:
  TPNGObject* owner_;
  std::vector<void*> items_;
};

// The image's chunks in file order.
class TPNGList : public TPNGPointerList {
 public:
  using TPNGPointerList::TPNGPointerList;
  TChunk* Chunk(int index) const { return static_cast<TChunk*>(Item(index)); }
  // The first chunk of exactly this class, or nil.
  TChunk* ItemFromClass(TChunkClass chunkClass) const;
  template <class T>
  T* Find() const { return static_cast<T*>(ItemFromClass(ChunkClassOf<T>())); }
};

// ---------------------------------------------------------------------------
// Chunks.

using TChunkName = std::string;  // always four letters once set

// One chunk held in memory: its name and its raw data.
class TChunk : public TObject {
 public:
  explicit TChunk(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunk>()) {}
  ~TChunk() override = default;

  virtual TChunkClass ClassType() const { return class_; }
  std::string ChunkName() const { return class_->ChunkName(); }

  virtual void Assign(TChunk* source);
  // Reads Size data bytes and the CRC after them; raises EPngInvalidCRC on
  // a mismatch. Returns whether reading should go on.
  virtual bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size);
  virtual bool SaveToStream(TStream* stream);

  TPNGObject* Owner() const { return owner_; }
  const TChunkName& Name() const { return name_; }
  void SetName(const TChunkName& name) { name_ = name; }
  Byte* Data() { return data_.data(); }
  const Byte* Data() const { return data_.data(); }
  std::int32_t DataLength() const { return static_cast<std::int32_t>(data_.size()) - 1; }
  // The buffer is always one byte larger than the data, so that an empty
  // chunk still has an address.
  void ResizeData(std::int32_t length);
  // An ancillary chunk whose content is unusable (a gAMA of the wrong size,
  // a tRNS shorter than one sample) marks itself while loading; the load
  // then drops it, so the image behaves as if the file had not held it.
  bool Ignored() const { return ignored_; }

 protected:
  TChunk(TPNGObject* owner, TChunkClass chunkClass);
  // The header chunk of the owner, raising EPNGHeaderNotPresent.
  class TChunkIHDR* Header() const;
  // Writes the chunk's frame (length, name, data, CRC) for data held outside
  // Data.
  static void WriteChunk(TStream* stream, const TChunkName& name, const Byte* data,
                         std::int32_t length);
  void Ignore() { ignored_ = true; }

 private:
  TPNGObject* owner_;
  TChunkClass class_;
  TChunkName name_;
  std::vector<Byte> data_;
  bool ignored_ = false;
};

class TChunkIEND : public TChunk {
 public:
  explicit TChunkIEND(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunkIEND>()) {}
};

// The header. It also holds the image's pixels: a bottom-up device-
// independent bitmap (one of 1, 4, 8 or 24 bits per pixel) with a 256-entry
// colour table, and for gray + alpha and RGB + alpha images a separate alpha
// plane, top row first.
class TChunkIHDR : public TChunk {
 public:
  explicit TChunkIHDR(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunkIHDR>()) {}

  void Assign(TChunk* source) override;
  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;
  bool SaveToStream(TStream* stream) override;

  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  Byte BitDepth = 0;
  Byte ColorType = 0;
  Byte CompressionMethod = 0;
  Byte FilterMethod = 0;
  Byte InterlaceMethod = 0;

  // Describes the in-memory bitmap for the current header fields (bitmap
  // header, row stride, colour table with gray levels for gray images) and
  // drops the old pixels. The pixels themselves are allocated only when
  // they are needed (AllocateImageData), so that a header alone never
  // commits memory.
  void PrepareImageData();
  // Allocates the pixels and alpha plane of the described layout, zeroed
  // unless the caller writes every byte itself (the decoder of a plain
  // image). Raises EPNGOutMemory when they exceed MaxImageBytes or cannot be
  // had.
  void AllocateImageData(bool zeroed = true);
  // Whether the colour type and bit depth have a pixel layout (and so a
  // decoder and an encoder).
  bool HasLayout() const { return rowStride_ != 0; }
  // Whether the pixels are allocated.
  bool HasImageData() const { return !imageData_.empty(); }
  static bool SupportedFormat(Byte colorType, Byte bitDepth);
  // Bytes of pixels and alpha plane the layout needs.
  std::int64_t ImageBytesNeeded() const;
  // The most pixel memory (bitmap and alpha plane) one image may take: the
  // shipped programs are 32-bit, and drawing makes device copies besides.
  static constexpr std::int64_t MaxImageBytes = std::int64_t(256) << 20;

  TPNGBitmapInfo& BitmapInfo() { return bitmapInfo_; }
  const TPNGBitmapInfo& BitmapInfo() const { return bitmapInfo_; }
  Byte* ImageData() { return imageData_.empty() ? nullptr : imageData_.data(); }
  const Byte* ImageData() const { return imageData_.empty() ? nullptr : imageData_.data(); }
  std::int64_t ImageDataSize() const { return static_cast<std::int64_t>(imageData_.size()); }
  Byte* ImageAlpha() { return imageAlpha_.empty() ? nullptr : imageAlpha_.data(); }
  const Byte* ImageAlpha() const { return imageAlpha_.empty() ? nullptr : imageAlpha_.data(); }
  std::int32_t RowStride() const { return rowStride_; }
  bool Indexed() const { return indexed_; }
  int BitCount() const { return bitmapInfo_.bmiHeader.biBitCount; }

  // Image row Row (0 is the top row) in the bottom-up bitmap.
  Byte* RowAddress(std::uint32_t row);
  const Byte* RowAddress(std::uint32_t row) const;
  // Row Row of the alpha plane, or nil without one.
  Byte* AlphaRow(std::uint32_t row);

 private:
  void ValidateHeader() const;
  void FillGrayColorTable();

  // Bytes that a resize leaves as they are, unless asked for a value.
  struct TUnsetByteAllocator : std::allocator<Byte> {
    template <class U>
    struct rebind {
      using other = TUnsetByteAllocator;
    };
    void construct(Byte* p) noexcept { ::new (static_cast<void*>(p)) Byte; }
    void construct(Byte* p, Byte value) noexcept { *p = value; }
    void construct(Byte* p, const Byte& value) noexcept { *p = value; }
  };
  using TPixelBytes = std::vector<Byte, TUnsetByteAllocator>;

  TPNGBitmapInfo bitmapInfo_{};
  TPixelBytes imageData_;
  TPixelBytes imageAlpha_;
  std::int32_t rowStride_ = 0;
  bool indexed_ = false;
};

class TChunkPLTE : public TChunk {
 public:
  explicit TChunkPLTE(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunkPLTE>()) {}

  void Assign(TChunk* source) override;
  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;
  bool SaveToStream(TStream* stream) override;

  int EntryCount() const { return entryCount_; }
  void SetEntryCount(int count) { entryCount_ = count; }
  // Palette entry n as held in the header's colour table; raises EPngError
  // for n at or beyond the entry count.
  TPNGRGBQuad Item(int n) const;

 private:
  int entryCount_ = 0;
};

class TChunkgAMA : public TChunk {
 public:
  explicit TChunkgAMA(TPNGObject* owner);

  void Assign(TChunk* source) override;
  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;

  // Gamma × 100000, big-endian in the data.
  std::uint32_t Gamma();
  void SetGamma(std::uint32_t value);
};

class TChunktRNS : public TChunk {
 public:
  explicit TChunktRNS(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunktRNS>()) {
    AlphaValues.fill(255);
  }

  void Assign(TChunk* source) override;
  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;
  bool SaveToStream(TStream* stream) override;

  // Makes the chunk describe one transparent colour of the image. False
  // when a palette image has no entry of that colour: the chunk then names
  // no transparency and must not be kept.
  bool SetTransparentColor(TColor color);

  bool BinaryAlpha = false;
  std::array<Byte, 256> AlphaValues{};
};

class TChunkIDAT : public TChunk {
 public:
  explicit TChunkIDAT(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunkIDAT>()) {}

  // Decodes the whole run of consecutive IDAT chunks that starts here.
  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;
  // Encodes the bitmap into one or more IDAT chunks.
  bool SaveToStream(TStream* stream) override;
};

class TChunktIME : public TChunk {
 public:
  explicit TChunktIME(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunktIME>()) {}

  void Assign(TChunk* source) override;
  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;

  Word Year = 0;
  Byte Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
 public:
  explicit TChunktEXt(TPNGObject* owner) : TChunk(owner, ChunkClassOf<TChunktEXt>()) {}

  void Assign(TChunk* source) override;
  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;
  bool SaveToStream(TStream* stream) override;

  AnsiString Keyword;
  AnsiString Text;

 protected:
  TChunktEXt(TPNGObject* owner, TChunkClass chunkClass) : TChunk(owner, chunkClass) {}
  // Splits the data at its first zero byte: the keyword before it, and the
  // offset just past it (the data length when there is no zero byte).
  std::int32_t SplitKeyword();
};

class TChunkzTXt : public TChunktEXt {
 public:
  explicit TChunkzTXt(TPNGObject* owner) : TChunktEXt(owner, ChunkClassOf<TChunkzTXt>()) {}

  // The longest text a zTXt chunk may inflate to; a longer one (a
  // decompression bomb) is read as a stream that fails to inflate.
  static constexpr std::size_t MaxTextBytes = std::size_t(1) << 20;

  bool LoadFromStream(TStream* stream, const TChunkName& chunkName, std::int32_t size) override;
  bool SaveToStream(TStream* stream) override;
};

// ---------------------------------------------------------------------------
// Registry.

// The unit's start-up fills the chunk registry and registers "PNG" with
// the picture class; its shut-down undoes both. A program lists it in its
// TUnitScope (this also keeps the unit linked into the program).
extern const TUnitInfo pngimageUnit;

// Appends a class to the registry of chunk classes.
void AddChunkClass(TChunkClass chunkClass);
// Registers IEND, IHDR, IDAT, PLTE, gAMA, tRNS, tIME, tEXt and zTXt.
void AddStandardChunkClasses();
// The registered class whose ChunkName is Name (case-sensitive), else plain
// TChunk, created for the image and named Name.
TChunk* NewChunkForName(TPNGObject* image, const TChunkName& name);
void ClearChunkClasses();
bool ChunkClassesRegistered();

// ---------------------------------------------------------------------------
// The picture.

enum TFilter : Byte { pfNone, pfSub, pfUp, pfAverage, pfPaeth };
using TFilters = TSet<TFilter>;

enum TPNGTransparencyKind { ptkNone, ptkBinary, ptkPartial };

#ifdef PNGIMAGE_CORE_ONLY
using TPNGObjectBase = TObject;
#else
using TPNGObjectBase = TGraphic;
#endif

class TPNGObject : public TPNGObjectBase {
 public:
  TPNGObject();
  ~TPNGObject() override;

  void LoadFromStream(TStream* stream) PNGIMAGE_FACE_OVERRIDE;
  void SaveToStream(TStream* stream) PNGIMAGE_FACE_OVERRIDE;
  // Copies settings and chunks from another image.
  void AssignPNG(const TPNGObject* source);

  TPNGList& Chunks() { return chunks_; }
  const TPNGList& Chunks() const { return chunks_; }
  void ClearChunks();
  bool HasHeader() const;
  TChunkIHDR* HeaderChunk() const;

  int GetWidth() const;
  int GetHeight() const;
  bool GetEmpty() const;
  bool GetTransparent() const;
  // A PNG picture is never resized this way: both raise EPngError.
  [[noreturn]] void SetWidth(int value) PNGIMAGE_FACE_OVERRIDE;
  [[noreturn]] void SetHeight(int value) PNGIMAGE_FACE_OVERRIDE;

  TPNGTransparencyKind TransparencyKind() const;
  // The colour drawn transparent by the masked way.
  TColor KeyColor() const;

  virtual TColor ReadPixelColor(int x, int y);
  virtual void WritePixelColor(int x, int y, TColor color);

  // Settings.
  TFilters Filters() const { return filters_; }
  void SetFilters(TFilters value) { filters_ = value; }
  Byte CompressionLevel() const { return compressionLevel_; }
  void SetCompressionLevel(Byte value) { compressionLevel_ = value > 9 ? 9 : value; }
  std::int32_t MaxDataChunkSize() const { return maxDataChunkSize_; }
  void SetMaxDataChunkSize(std::int32_t value) {
    maxDataChunkSize_ = value < 65535 ? 65535 : value;
  }
  Byte InterlaceMethod() const { return interlaceMethod_; }
  void SetInterlaceMethod(Byte value) { interlaceMethod_ = value; }

  // Gamma: file sample to displayed sample, and back for saving.
  Byte Gamma(Byte sample) const { return gammaTable_[sample]; }
  Byte InverseGamma(Byte sample) const { return inverseGamma_[sample]; }
  bool GammaIsIdentity() const;
  void InitializeGamma();
  void BuildGammaTables(std::uint32_t gammaTimes100000);

  // Called when the header rebuilds its bitmap: cached device objects made
  // from the old one are dropped.
  void ImageDataChanged();

  // Builds the image from bottom-up device-independent bits of 1, 4, 8, 24
  // or 32 bits per pixel (32-bit pixels keep their blue, green, red bytes),
  // with the colour table for the indexed ones, and with a transparent
  // colour when transparent is set.
  void BuildFromDIBits(int width, int height, int bitCount, const Byte* bits,
                       const TPNGRGBQuad* colors, bool transparent, TColor transparentColor);

#ifndef PNGIMAGE_CORE_ONLY
  // The TGraphic face.
  bool Empty() const override { return GetEmpty(); }
  int Width() const override { return GetWidth(); }
  int Height() const override { return GetHeight(); }
  bool Transparent() const override { return GetTransparent(); }
  // For gray and palette images a 256-entry palette of the colour table,
  // made once and kept until the header's bitmap is rebuilt.
  HPALETTE Palette() const override { return GetPalette(); }
  HPALETTE GetPalette() const;
  // From a PNG picture: settings and chunks. From a bitmap: an RGB or
  // palette image of its pixels, with its transparent colour when it is
  // transparent.
  void Assign(TPersistent* source) override;
  // Loads the raw-data (RT_RCDATA) resource; EPNGCouldNotLoadResource when
  // the module has none of that name.
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  // Builds the image from a bitmap handle's pixels.
  void BuildFromBitmapHandle(HBITMAP handle, bool transparent, TColor transparentColor);

 protected:
  void AssignTo(TPersistent* dest) override;
  // Draws by the image's transparency: opaque and binary images stretched to
  // the rectangle, partially transparent ones blended at their own size at
  // its top-left corner.
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  void DrawOpaque(HDC dc, const TRect& rect);
  void DrawMaskedTransparent(HDC dc, const TRect& rect);
  void DrawAlphaBlended(HDC dc, const TRect& rect);
  void AssignToBitmap(TBitmap* bitmap);
#endif

 private:
  TColor IndexedPixelColor(const TChunkIHDR& header, int x, int y) const;
  void WriteIndexedPixel(TChunkIHDR& header, int x, int y, TColor color);
  void FreePalette();
  void LoadChunks(TStream* stream);
  // Tells the picture holding the image that it changed.
  void NotifyChanged();

  Byte gammaTable_[256];
  Byte inverseGamma_[256];
  mutable void* paletteHandle_ = nullptr;
  TFilters filters_{pfSub};
  Byte compressionLevel_ = 7;
  std::int32_t maxDataChunkSize_ = 65535;
  Byte interlaceMethod_ = 0;
  TPNGList chunks_{this};
};

// ---------------------------------------------------------------------------
// Shared helpers of the codec's units.

// x86 processors may run the SSE2 forms of the hottest loops. A 32-bit
// caller may hand them a stack aligned to 4 bytes only: they realign it.
#if defined(__i386__) || defined(__x86_64__)
#define PNGIMAGE_SSE2 1
#if defined(__x86_64__)
#define PNGIMAGE_SSE2_ENTRY
#else
#define PNGIMAGE_SSE2_ENTRY __attribute__((force_align_arg_pointer))
#endif
#endif

namespace pngimage_detail {

// Whether the SSE2 forms run: set once at start-up from the processor
// (always on x86-64). A test turns it off to compare them with the plain
// loops, which give the same bytes.
extern bool UseSse2;

// CRC-32 of the PNG standard, continued from crc (start with 0xFFFFFFFF and
// complement the result).
std::uint32_t UpdateCrc(std::uint32_t crc, const Byte* data, std::size_t length);
std::uint32_t ChunkCrc(const TChunkName& name, const Byte* data, std::size_t length);

std::uint32_t ReadBigEndian32(const Byte* p);
void WriteBigEndian32(Byte* p, std::uint32_t value);

// Reads exactly count bytes; false on a short read.
bool ReadExact(TStream* stream, void* buffer, std::int64_t count);
void WriteAll(TStream* stream, const void* buffer, std::int64_t count);
// Bytes left between the stream's position and its end.
std::int64_t BytesLeft(TStream* stream);

// Row geometry of the PNG stream for a row of width pixels.
struct TRowGeometry {
  std::int64_t BytesPerRow;
  int FilterDistance;
};
TRowGeometry RowGeometry(Byte colorType, Byte bitDepth, std::int64_t width);

// The PNG standard's filters. Unfilter works in place on row with the
// previous (already unfiltered) row; a filter type beyond 4 leaves the row.
void UnfilterRow(Byte filterType, Byte* row, const Byte* previous, std::int64_t length,
                 int distance);
void FilterRow(Byte filterType, const Byte* row, const Byte* previous, Byte* out,
               std::int64_t length, int distance);

// Deflates a zTXt chunk's text; false when compression fails. Saving calls
// it through this pointer so that a test can make compression fail.
using TTextDeflater = bool (*)(const std::string& text, int level, std::vector<Byte>& output);
extern TTextDeflater TextDeflater;
bool DeflateText(const std::string& text, int level, std::vector<Byte>& output);

// A pixel of an indexed row of 1, 4 or 8 bits per pixel (most significant
// bits first).
int ReadIndex(const Byte* row, std::int64_t x, int bitCount);
void WriteIndex(Byte* row, std::int64_t x, int bitCount, int index);

// The seven Adam7 passes.
struct TAdam7Pass {
  int RowStart, ColumnStart, RowStep, ColumnStep;
};
extern const TAdam7Pass Adam7Passes[7];
std::int64_t PassWidth(const TAdam7Pass& pass, std::int64_t width);
std::int64_t PassHeight(const TAdam7Pass& pass, std::int64_t height);

}  // namespace pngimage_detail

// ---------------------------------------------------------------------------

template <class T>
TChunkClass ChunkClassOf() {
  static const TChunkClassInfo info = {
      &typeid(T),
      [] { return ChunkNameOfClassName(ClassNameOfType(typeid(T))); },
      [](TPNGObject* owner) -> TChunk* { return new T(owner); },
  };
  return &info;
}
