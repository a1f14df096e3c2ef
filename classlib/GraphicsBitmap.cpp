// TBitmap: DIB sections and device bitmaps, their canvas, transparency and
// conversions between pixel formats.
#include <algorithm>
#include <cstring>
#include <utility>

#include "Graphics.hpp"
#include "GraphicsScoped.hpp"
#include "GraphicsDib.hpp"

// The bitmap's canvas: a memory context that holds the image while drawing.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!memDC_) return;
    SetHandle(nullptr);
    if (oldBitmap_) SelectObject(memDC_, oldBitmap_);
    if (oldPalette_) SelectPalette(memDC_, oldPalette_, TRUE);
    DeleteDC(memDC_);
    memDC_ = nullptr;
    oldBitmap_ = nullptr;
    oldPalette_ = nullptr;
  }

 protected:
  void CreateHandle() override {
    memDC_ = CreateCompatibleDC(nullptr);
    if (!memDC_) throw EOutOfResources("Out of system resources");
    if (bitmap_->handle_) oldBitmap_ = SelectObject(memDC_, bitmap_->handle_);
    if (HPALETTE palette = bitmap_->Palette()) {
      oldPalette_ = SelectPalette(memDC_, palette, TRUE);
      RealizePalette(memDC_);
    }
    SetHandle(memDC_);
  }

 private:
  TBitmap* bitmap_;
  HDC memDC_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HPALETTE oldPalette_ = nullptr;
};

namespace {

TPixelFormat DevicePixelFormat() {
  HDC dc = GetDC(nullptr);
  int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(nullptr, dc);
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    default: return pf32bit;
  }
}

HBITMAP CreateImage(TPixelFormat format, int width, int height, const std::vector<RGBQUAD>& colors,
                    void** bits) {
  *bits = nullptr;
  HBITMAP result;
  if (format == pfDevice) {
    HDC screen = GetDC(nullptr);
    result = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
  } else {
    DibInfo info = MakeDibInfo(format, width, height, colors);
    result = CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, bits, nullptr, 0);
  }
  if (!result) throw EOutOfResources("Out of system resources");
  return result;
}

}  // namespace

int PixelFormatBits(TPixelFormat format) {
  static const int kBits[] = {0, 1, 4, 8, 16, 16, 24, 32, 0};
  return kBits[format];
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  canvas_.reset();
  if (handle_) DeleteObject(handle_);
  if (palette_) DeleteObject(palette_);
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    canvas_->OnChange = MakeEvent(this, &TBitmap::CanvasChanged);
  }
  return canvas_.get();
}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::FreeContext() {
  if (canvas_) canvas_->FreeContext();
}

HBITMAP TBitmap::CopyImage(TPixelFormat format, int width, int height, const std::vector<RGBQUAD>& colors,
                           void** bits) {
  HBITMAP image = CreateImage(format, width, height, colors, bits);
  ScopedMemoryDC dest(image);
  TRect all{0, 0, width, height};
  ::FillRect(dest.Get(), &all, Canvas()->Brush()->Handle());
  if (handle_) {
    HDC source = Canvas()->Handle();
    if (Monochrome()) {
      SetTextColor(dest.Get(), RGB(0, 0, 0));
      SetBkColor(dest.Get(), RGB(255, 255, 255));
    }
    BitBlt(dest.Get(), 0, 0, std::min(width, width_), std::min(height, height_), source, 0, 0, SRCCOPY);
  }
  GdiFlush();
  return image;
}

void TBitmap::ReplaceImage(HBITMAP handle, TPixelFormat format, int width, int height, void* bits,
                           std::vector<RGBQUAD> colors) {
  FreeContext();
  if (handle_) DeleteObject(handle_);
  if (palette_) DeleteObject(palette_);
  palette_ = nullptr;
  handle_ = handle;
  bits_ = bits;
  width_ = handle ? width : 0;
  height_ = handle ? height : 0;
  if (handle) {
    askedWidth_ = width;
    askedHeight_ = height;
  }
  format_ = format;
  colors_ = std::move(colors);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  askedWidth_ = width;
  askedHeight_ = height;
  if (width == width_ && height == height_) return;
  if (width == 0 || height == 0) {
    ReplaceImage(nullptr, format_, 0, 0, nullptr, colors_);
  } else {
    std::vector<RGBQUAD> colors = colors_.empty() ? DefaultColorTable(format_) : colors_;
    void* bits;
    HBITMAP image = CopyImage(format_, width, height, colors, &bits);
    ReplaceImage(image, format_, width, height, bits, std::move(colors));
  }
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == pfCustom) throw EInvalidGraphicOperation("Invalid pixel format");
  if (format == format_) return;
  std::vector<RGBQUAD> colors = DefaultColorTable(format);
  if (!handle_) {
    ReplaceImage(nullptr, format, 0, 0, nullptr, std::move(colors));
  } else {
    void* bits;
    HBITMAP image = CopyImage(format, width_, height_, colors, &bits);
    ReplaceImage(image, format, width_, height_, bits, std::move(colors));
  }
  Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType type) {
  if (type == HandleType()) return;
  if (type == bmDDB)
    SetPixelFormat(pfDevice);
  else
    SetPixelFormat(Monochrome() ? pf1bit : DevicePixelFormat());
}

bool TBitmap::Monochrome() const {
  if (format_ == pf1bit) return true;
  if (format_ != pfDevice || !handle_) return false;
  BITMAP bm{};
  GetObjectA(handle_, sizeof(bm), &bm);
  return bm.bmBitsPixel == 1 && bm.bmPlanes == 1;
}

void TBitmap::SetMonochrome(bool value) {
  if (value == Monochrome()) return;
  SetPixelFormat(value ? pf1bit : pfDevice);
}

HPALETTE TBitmap::Palette() const {
  if (!palette_ && !colors_.empty() && format_ != pf1bit) palette_ = CreatePaletteFromTable(colors_);
  return palette_;
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  return handle_;
}

void TBitmap::SetHandle(HBITMAP handle) {
  if (handle == handle_) return;
  if (!handle) {
    ReplaceImage(nullptr, format_, 0, 0, nullptr, {});
    Changed(this);
    return;
  }
  DIBSECTION ds{};
  int got = GetObjectA(handle, sizeof(ds), &ds);
  if (got == 0) throw EInvalidGraphic("Invalid bitmap handle");
  if (got == sizeof(DIBSECTION) && ds.dsBm.bmBits && ds.dsBmih.biHeight > 0) {
    TPixelFormat format = PixelFormatOfDib(ds.dsBmih.biBitCount, ds.dsBmih.biCompression, ds.dsBitfields);
    std::vector<RGBQUAD> colors;
    if (ds.dsBmih.biBitCount <= 8) {
      ScopedMemoryDC dc(handle);
      colors.resize(std::size_t(1) << ds.dsBmih.biBitCount);
      colors.resize(GetDIBColorTable(dc.Get(), 0, UINT(colors.size()), colors.data()));
    }
    if (format != pfCustom) {
      ReplaceImage(handle, format, ds.dsBm.bmWidth, ds.dsBm.bmHeight, ds.dsBm.bmBits, std::move(colors));
      Changed(this);
      return;
    }
  }
  // A device bitmap, or a DIB section laid out other than this class keeps
  // them (top-down, unusual masks): adopt a device copy.
  ReplaceImage(handle, pfDevice, ds.dsBm.bmWidth, std::abs(ds.dsBm.bmHeight), nullptr, {});
  if (got == sizeof(DIBSECTION) && ds.dsBm.bmBits) SetPixelFormat(pf32bit);
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (!handle_) return nullptr;
  void* bits;
  HBITMAP copy = CopyImage(format_, width_, height_, colors_, &bits);
  FreeContext();
  HBITMAP released = std::exchange(handle_, nullptr);
  ReplaceImage(copy, format_, width_, height_, bits, colors_);
  return released;
}

int TBitmap::ScanLineStride() const { return DibStride(width_, PixelFormatBits(format_)); }

void* TBitmap::ScanLine(int row) {
  if (format_ == pfDevice) SetHandleType(bmDIB);
  if (!bits_ || row < 0 || row >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  GdiFlush();
  return static_cast<Byte*>(bits_) + std::size_t(height_ - 1 - row) * ScanLineStride();
}

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    ReplaceImage(nullptr, format_, 0, 0, nullptr, {});
    Changed(this);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(source);
  if (!bitmap) {
    TPersistent::Assign(source);
    return;
  }
  if (bitmap == this) return;
  if (bitmap->Empty()) {
    ReplaceImage(nullptr, bitmap->format_, 0, 0, nullptr, bitmap->colors_);
  } else {
    void* bits;
    HBITMAP image = bitmap->CopyImage(bitmap->format_, bitmap->width_, bitmap->height_, bitmap->colors_, &bits);
    ReplaceImage(image, bitmap->format_, bitmap->width_, bitmap->height_, bits, bitmap->colors_);
  }
  transparentColor_ = bitmap->transparentColor_;
  transparentMode_ = bitmap->transparentMode_;
  TGraphic::SetTransparent(bitmap->Transparent());
  Changed(this);
}

// --- Transparency -----------------------------------------------------------

TColor TBitmap::TransparentColor() {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return ColorToRGB(transparentColor_);
  if (Empty()) return clDefault;
  if (Monochrome()) return clWhite;
  return Canvas()->Pixels(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
  if (color == transparentColor_ && (color == clDefault) == (transparentMode_ == tmAuto)) return;
  transparentColor_ = color;
  transparentMode_ = color == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == transparentMode_) return;
  if (mode == tmAuto)
    transparentColor_ = clDefault;
  else
    transparentColor_ = TransparentColor();
  transparentMode_ = mode;
  Changed(this);
}

HBITMAP TBitmap::MakeMask(TColor color) {
  // Colour-to-monochrome blits turn pixels of the source's background
  // colour white and every other pixel black.
  HBITMAP mask = CreateBitmap(width_, height_, 1, 1, nullptr);
  if (!mask) throw EOutOfResources("Out of system resources");
  ScopedMemoryDC dest(mask);
  HDC source = Canvas()->Handle();
  COLORREF oldBk = SetBkColor(source, static_cast<COLORREF>(ColorToRGB(color)));
  BitBlt(dest.Get(), 0, 0, width_, height_, source, 0, 0, SRCCOPY);
  SetBkColor(source, oldBk);
  return mask;
}

void TBitmap::Mask(TColor transparentColor) {
  if (Empty()) return;
  HBITMAP mask = MakeMask(transparentColor);
  std::vector<RGBQUAD> colors = DefaultColorTable(pf1bit);
  void* bits;
  HBITMAP image = CreateImage(pf1bit, width_, height_, colors, &bits);
  {
    ScopedMemoryDC source(mask);
    ScopedMemoryDC dest(image);
    BitBlt(dest.Get(), 0, 0, width_, height_, source.Get(), 0, 0, SRCCOPY);
  }
  DeleteObject(mask);
  GdiFlush();
  ReplaceImage(image, pf1bit, width_, height_, bits, std::move(colors));
  Changed(this);
}

// Drawing with a transparent colour: the destination is XORed with the
// image, the mask clears the opaque part, a second XOR leaves the image
// there and the untouched destination elsewhere. Three blits, no
// TransparentBlt (missing on the oldest systems).
void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
  if (Empty()) return;
  HDC dest = canvas->Handle();
  HDC source = Canvas()->Handle();
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  HPALETTE palette = Palette();
  HPALETTE oldPalette = palette ? SelectPalette(dest, palette, TRUE) : nullptr;
  if (palette) RealizePalette(dest);
  int oldStretch = SetStretchBltMode(dest, COLORONCOLOR);
  COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
  if (Transparent()) {
    HBITMAP mask = MakeMask(TransparentColor());
    {
      ScopedMemoryDC maskDC(mask);
      StretchBlt(dest, rect.left, rect.top, w, h, source, 0, 0, width_, height_, SRCINVERT);
      StretchBlt(dest, rect.left, rect.top, w, h, maskDC.Get(), 0, 0, width_, height_, SRCAND);
      StretchBlt(dest, rect.left, rect.top, w, h, source, 0, 0, width_, height_, SRCINVERT);
    }
    DeleteObject(mask);
  } else {
    StretchBlt(dest, rect.left, rect.top, w, h, source, 0, 0, width_, height_, canvas->CopyMode());
  }
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldBk);
  SetStretchBltMode(dest, oldStretch);
  if (palette) SelectPalette(dest, oldPalette, TRUE);
}

// --- BMP files and resources ------------------------------------------------

void TBitmap::LoadFromDIB(const Byte* dib, std::size_t size, std::size_t bitsOffset) {
  DibLayout layout = ParseDib(dib, size, bitsOffset);
  std::vector<RGBQUAD> colors = layout.colors;
  if (colors.empty()) colors = DefaultColorTable(layout.format);
  void* bits = nullptr;
  HBITMAP image = CreateImage(layout.format, layout.width, layout.height, colors, &bits);
  if (layout.direct) {
    CopyDibRows(layout, dib, bits);
  } else {
    // Run-length and unusual bit-field images: GDI decodes them.
    DibInfo info = SourceDibInfo(layout);
    HDC screen = GetDC(nullptr);
    int rows = SetDIBits(screen, image, 0, UINT(layout.height), dib + layout.bitsOffset, info.Get(), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows == 0) {
      DeleteObject(image);
      throw EInvalidGraphic("Bitmap image is not valid");
    }
  }
  GdiFlush();
  ReplaceImage(image, layout.format, layout.width, layout.height, bits, std::move(colors));
  Changed(this);
}

void TBitmap::LoadFromBmpFile(const std::vector<Byte>& file) {
  std::size_t offset = BmpFileBitsOffset(file.data(), file.size());
  LoadFromDIB(file.data() + kBmpFileHeaderSize, file.size() - kBmpFileHeaderSize, offset);
}

void TBitmap::LoadFromStream(TStream* stream) { LoadFromBmpFile(ReadRestOfStream(stream)); }

void TBitmap::SaveToStream(TStream* stream) {
  std::vector<Byte> file = SaveToBmpFile();
  if (!file.empty()) stream->WriteBuffer(file.data(), static_cast<std::int32_t>(file.size()));
}

std::vector<Byte> TBitmap::SaveToBmpFile() {
  if (Empty()) return {};
  if (format_ != pfDevice) {
    GdiFlush();
    return BuildBmpFile(format_, width_, height_, colors_, bits_);
  }
  // A device bitmap is written as a DIB of the device's depth.
  TPixelFormat format = Monochrome() ? pf1bit : DevicePixelFormat();
  std::vector<RGBQUAD> colors = DefaultColorTable(format);
  void* bits;
  HBITMAP copy = CopyImage(format, width_, height_, colors, &bits);
  std::vector<Byte> file = BuildBmpFile(format, width_, height_, colors, bits);
  DeleteObject(copy);
  return file;
}

void TBitmap::ReadData(TStream* stream) {
  std::int32_t size = 0;
  stream->ReadBuffer(&size, sizeof(size));
  if (size < 0 || size > stream->Size() - stream->Position()) throw EInvalidGraphic("Bitmap image is not valid");
  std::vector<Byte> file(static_cast<std::size_t>(size));
  if (size > 0) stream->ReadBuffer(file.data(), size);
  LoadFromBmpFile(file);
}

void TBitmap::WriteData(TStream* stream) {
  std::vector<Byte> file = SaveToBmpFile();
  auto size = static_cast<std::int32_t>(file.size());
  stream->WriteBuffer(&size, sizeof(size));
  if (size > 0) stream->WriteBuffer(file.data(), size);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  HRSRC resource = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!resource) throw EResNotFound("Resource " + name + " not found");
  HGLOBAL loaded = LoadResource(instance, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw EResNotFound("Resource " + name + " not found");
  LoadFromDIB(static_cast<const Byte*>(data), SizeofResource(instance, resource), 0);
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
  if (!resource) throw EResNotFound("Resource " + std::to_string(id) + " not found");
  HGLOBAL loaded = LoadResource(instance, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw EResNotFound("Resource " + std::to_string(id) + " not found");
  LoadFromDIB(static_cast<const Byte*>(data), SizeofResource(instance, resource), 0);
}
