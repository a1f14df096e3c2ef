// The PNG picture's TGraphic face: drawing (opaque, masked, alpha-blended),
// conversion to and from bitmaps, the GDI palette, resources, and the unit's
// registration with the picture class.
#include <cstring>
#include <memory>

#include "pngimage.hpp"

static_assert(sizeof(TPNGBitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(sizeof(TPNGRGBQuad) == sizeof(RGBQUAD));
static_assert(sizeof(TPNGBitmapInfo) == sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));

namespace {

const BITMAPINFO* InfoOf(const TChunkIHDR& header) {
  return reinterpret_cast<const BITMAPINFO*>(&header.BitmapInfo());
}

// A memory context that owns its bitmap, selected into it for its life.
class TMemoryContext {
 public:
  TMemoryContext(HDC compatibleWith, HBITMAP bitmap)
      : dc_(CreateCompatibleDC(compatibleWith)), bitmap_(bitmap) {
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~TMemoryContext() {
    if (dc_) {
      if (old_) SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
  }
  TMemoryContext(const TMemoryContext&) = delete;
  TMemoryContext& operator=(const TMemoryContext&) = delete;

  bool Valid() const { return dc_ && bitmap_; }
  HDC DC() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_ = nullptr;
};

// The screen's context for as long as the object lives.
class TScreenContext {
 public:
  TScreenContext() : dc_(GetDC(nullptr)) {}
  ~TScreenContext() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  TScreenContext(const TScreenContext&) = delete;
  TScreenContext& operator=(const TScreenContext&) = delete;
  HDC DC() const { return dc_; }

 private:
  HDC dc_;
};

inline Byte Blend(int source, int alpha, int dest) {
  return Byte((source * alpha + (255 - alpha) * dest + 255) >> 8);
}

}  // namespace

// ---------------------------------------------------------------------------
// Drawing.

void TPNGObject::Draw(TCanvas* canvas, const TRect& rect) {
  if (!HasHeader() || !HeaderChunk()->HasImageData()) return;
  HDC dc = canvas->Handle();
  switch (TransparencyKind()) {
    case ptkBinary: DrawMaskedTransparent(dc, rect); break;
    case ptkPartial: DrawAlphaBlended(dc, rect); break;
    default: DrawOpaque(dc, rect); break;
  }
}

void TPNGObject::DrawOpaque(HDC dc, const TRect& rect) {
  const TChunkIHDR& header = *HeaderChunk();
  StretchDIBits(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                int(header.Width), int(header.Height), header.ImageData(), InfoOf(header),
                DIB_RGB_COLORS, SRCCOPY);
}

// The image is first turned into a mask of its transparent colour; the
// destination survives where the mask is set and the image is painted where
// it is clear. The mask blits work on every Windows version, which has no
// transparent blit of its own before Windows 98.
void TPNGObject::DrawMaskedTransparent(HDC dc, const TRect& rect) {
  const TChunkIHDR& header = *HeaderChunk();
  const int width = int(header.Width), height = int(header.Height);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  const BITMAPINFO* info = InfoOf(header);
  TMemoryContext image(dc, CreateDIBitmap(dc, &info->bmiHeader, CBM_INIT, header.ImageData(),
                                          info, DIB_RGB_COLORS));
  TMemoryContext mask(dc, CreateBitmap(w, h, 1, 1, nullptr));
  TMemoryContext inverse(dc, CreateBitmap(w, h, 1, 1, nullptr));
  TMemoryContext result(dc, CreateCompatibleBitmap(dc, w, h));
  if (!image.Valid() || !mask.Valid() || !inverse.Valid() || !result.Valid()) return;
  // The default stretch mode ANDs the pixels it drops when shrinking, which
  // would mix colours and key colour into pixels the image does not have.
  for (HDC context : {image.DC(), mask.DC(), result.DC()}) SetStretchBltMode(context, COLORONCOLOR);

  const COLORREF oldBack = SetBkColor(image.DC(), COLORREF(KeyColor()));
  StretchBlt(mask.DC(), 0, 0, w, h, image.DC(), 0, 0, width, height, SRCCOPY);
  SetBkColor(image.DC(), oldBack);
  BitBlt(inverse.DC(), 0, 0, w, h, mask.DC(), 0, 0, NOTSRCCOPY);
  BitBlt(result.DC(), 0, 0, w, h, dc, rect.left, rect.top, SRCCOPY);
  BitBlt(result.DC(), 0, 0, w, h, mask.DC(), 0, 0, SRCAND);
  StretchBlt(image.DC(), 0, 0, width, height, inverse.DC(), 0, 0, w, h, SRCAND);
  StretchBlt(result.DC(), 0, 0, w, h, image.DC(), 0, 0, width, height, SRCPAINT);
  BitBlt(dc, rect.left, rect.top, w, h, result.DC(), 0, 0, SRCCOPY);
}

namespace {

// Blends one image row into one row of the 32-bit top-down destination.
void BlendRow(const TChunkIHDR& header, const TChunktRNS* trns, std::uint32_t y, Byte* dest) {
  const Byte* row = header.RowAddress(y);
  const Byte* alpha = header.ImageAlpha() ? header.ImageAlpha() + std::size_t(y) * header.Width
                                          : nullptr;
  for (std::uint32_t x = 0; x < header.Width; ++x, dest += 4) {
    int blue, green, red, a;
    if (!header.Indexed()) {
      const Byte* s = row + x * 3;
      blue = s[0];
      green = s[1];
      red = s[2];
      a = alpha ? alpha[x] : 255;
    } else if (header.ColorType == 3) {
      const int index = pngimage_detail::ReadIndex(row, x, header.BitCount());
      const TPNGRGBQuad& entry = header.BitmapInfo().bmiColors[index];
      blue = entry.rgbBlue;
      green = entry.rgbGreen;
      red = entry.rgbRed;
      a = trns ? trns->AlphaValues[index] : 255;
    } else {
      // Gray + alpha blends the stored gray index itself.
      blue = green = red = row[x];
      a = alpha ? alpha[x] : 255;
    }
    dest[0] = Blend(blue, a, dest[0]);
    dest[1] = Blend(green, a, dest[1]);
    dest[2] = Blend(red, a, dest[2]);
  }
}

}  // namespace

void TPNGObject::DrawAlphaBlended(HDC dc, const TRect& rect) {
  const TChunkIHDR& header = *HeaderChunk();
  const int width = int(header.Width), height = int(header.Height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  TMemoryContext buffer(nullptr, section);
  if (!buffer.Valid() || !bits) throw EPNGOutMemory();

  BitBlt(buffer.DC(), 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const TChunktRNS* trns = Chunks().Find<TChunktRNS>();
  for (int y = 0; y < height; ++y)
    BlendRow(header, trns, std::uint32_t(y), static_cast<Byte*>(bits) + std::size_t(y) * width * 4);
  BitBlt(dc, rect.left, rect.top, width, height, buffer.DC(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------
// Palette.

HPALETTE TPNGObject::GetPalette() const {
  if (paletteHandle_ || !HasHeader()) return static_cast<HPALETTE>(paletteHandle_);
  const TChunkIHDR& header = *HeaderChunk();
  if (header.ColorType != 0 && header.ColorType != 3) return nullptr;
  struct {
    WORD version, count;
    PALETTEENTRY entries[256];
  } palette{0x300, 256, {}};
  for (int i = 0; i < 256; ++i) {
    const TPNGRGBQuad& c = header.BitmapInfo().bmiColors[i];
    palette.entries[i] = {c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
  }
  paletteHandle_ = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette));
  return static_cast<HPALETTE>(paletteHandle_);
}

void TPNGObject::FreePalette() {
  if (paletteHandle_) DeleteObject(static_cast<HPALETTE>(paletteHandle_));
  paletteHandle_ = nullptr;
}

void TPNGObject::NotifyChanged() { Changed(this); }

// ---------------------------------------------------------------------------
// Assignment.

void TPNGObject::Assign(TPersistent* source) {
  if (auto* png = dynamic_cast<TPNGObject*>(source)) {
    AssignPNG(png);
    NotifyChanged();
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    const bool transparent = bitmap->Transparent();
    const TColor color = transparent ? ColorToRGB(bitmap->TransparentColor()) & 0xFFFFFF : 0;
    BuildFromBitmapHandle(bitmap->Handle(), transparent, color);
    NotifyChanged();
  } else {
    TGraphic::Assign(source);
  }
}

void TPNGObject::AssignTo(TPersistent* dest) {
  if (auto* png = dynamic_cast<TPNGObject*>(dest)) {
    png->Assign(this);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(dest); bitmap && HasHeader()) {
    AssignToBitmap(bitmap);
  } else {
    TGraphic::AssignTo(dest);
  }
}

// The bitmap gets a DIB section of the image's own bit count and colour
// table, so that palette and gray images keep their exact colours.
void TPNGObject::AssignToBitmap(TBitmap* bitmap) {
  TChunkIHDR& header = *HeaderChunk();
  if (!header.HasLayout()) throw EPngError(pnglang::EPNGUnsupportedFormatText);
  if (!header.HasImageData()) header.AllocateImageData();
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, InfoOf(header), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) {
    if (section) DeleteObject(section);
    throw EPNGOutMemory();
  }
  std::memcpy(bits, header.ImageData(), std::size_t(header.ImageDataSize()));
  bitmap->SetHandle(section);
  if (TransparencyKind() == ptkBinary) {
    bitmap->SetTransparentColor(KeyColor());
    bitmap->SetTransparent(true);
  }
}

void TPNGObject::BuildFromBitmapHandle(HBITMAP handle, bool transparent, TColor transparentColor) {
  BITMAP description{};
  if (!handle || !GetObjectA(handle, sizeof(description), &description)) throw EPNGOutMemory();
  const int depth = description.bmBitsPixel * description.bmPlanes;
  // Indexed bitmaps keep their indexes and colour table; every other format
  // is fetched as 24-bit colours.
  const int bitCount = depth <= 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : 24;
  const int width = description.bmWidth;
  const int height = description.bmHeight < 0 ? -description.bmHeight : description.bmHeight;
  TPNGBitmapInfo info{};
  info.bmiHeader = {sizeof(TPNGBitmapInfoHeader), width, height, 1, std::uint16_t(bitCount),
                    BI_RGB, 0, 0, 0, 0, 0};
  std::vector<Byte> bits(std::size_t((std::int64_t(bitCount) * width + 31) / 32 * 4) * height);
  TScreenContext screen;
  if (GetDIBits(screen.DC(), handle, 0, UINT(height), bits.data(),
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0)
    throw EPNGOutMemory();
  BuildFromDIBits(width, height, bitCount, bits.data(), info.bmiColors, transparent,
                  transparentColor);
}

// ---------------------------------------------------------------------------
// Resources and the unit.

void TPNGObject::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  if (!FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(10)))  // RT_RCDATA
    throw EPNGCouldNotLoadResource();
  std::unique_ptr<TResourceStream> stream;
  try {
    stream = std::make_unique<TResourceStream>(instance, name, MAKEINTRESOURCEA(10));
  } catch (const Exception&) {
    throw EPNGCouldNotLoadResource();
  }
  LoadFromStream(stream.get());
}

namespace {

void InitPngImage() {
  if (!ChunkClassesRegistered()) AddStandardChunkClasses();
  TPicture::RegisterFileFormat("PNG", "Portable Network Graphics", ClassOf<TPNGObject>());
}

void DonePngImage() {
  TPicture::UnregisterGraphicClass(ClassOf<TPNGObject>());
  ClearChunkClasses();
}

}  // namespace

const TUnitInfo pngimageUnit = {"pngimage", &InitPngImage, &DonePngImage};
