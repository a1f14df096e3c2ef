// The library's graphics: colours, fonts, pens, brushes, canvases over any
// device context, and the pictures (TGraphic and its bitmap and icon kinds,
// TPicture with its registry of graphic classes).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "Classes.hpp"
#include "SysUtils.hpp"
#include "System.hpp"
#include "WinApi.hpp"

using TRect = RECT;
using TPoint = POINT;
using TSize = SIZE;

CLASSLIB_EXCEPTION(EInvalidGraphic, Exception);
CLASSLIB_EXCEPTION(EInvalidGraphicOperation, Exception);

// ---------------------------------------------------------------------------
// Colours: 0x00BBGGRR; 0x800000nn is the system colour COLOR_nn.

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000,
                 clOlive = 0x008080, clNavy = 0x800000, clPurple = 0x800080,
                 clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0,
                 clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF,
                 clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | unsigned(index)); }
constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1),
                 clActiveCaption = SystemColor(2), clInactiveCaption = SystemColor(3),
                 clMenu = SystemColor(4), clWindow = SystemColor(5),
                 clWindowFrame = SystemColor(6), clMenuText = SystemColor(7),
                 clWindowText = SystemColor(8), clCaptionText = SystemColor(9),
                 clActiveBorder = SystemColor(10), clInactiveBorder = SystemColor(11),
                 clAppWorkSpace = SystemColor(12), clHighlight = SystemColor(13),
                 clHighlightText = SystemColor(14), clBtnFace = SystemColor(15),
                 clBtnShadow = SystemColor(16), clGrayText = SystemColor(17),
                 clBtnText = SystemColor(18), clInactiveCaptionText = SystemColor(19),
                 clBtnHighlight = SystemColor(20), cl3DDkShadow = SystemColor(21),
                 cl3DLight = SystemColor(22), clInfoText = SystemColor(23),
                 clInfoBk = SystemColor(24), clHotLight = SystemColor(26),
                 clGradientActiveCaption = SystemColor(27),
                 clGradientInactiveCaption = SystemColor(28),
                 clMenuHighlight = SystemColor(29), clMenuBar = SystemColor(30);

// A system colour becomes its current RGB value; any other value is returned
// unchanged (clNone and clDefault included).
TColor ColorToRGB(TColor color);
// The "cl" names, compared without regard to case.
bool IdentToColor(const std::string& ident, TColor& color);
bool ColorToIdent(TColor color, std::string& ident);

// Pixels per logical inch of the screen (LOGPIXELSY), read once.
int ScreenPixelsPerInch();

class TBitmap;
class TCanvas;
class TGraphic;

// ---------------------------------------------------------------------------
// Fonts, pens and brushes: value objects whose GDI handle is made on first
// use and dropped on every change, which fires OnChange.

class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;

class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* source) override;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Height() const { return height_; }
  void SetHeight(int height);
  // Points: -Height * 72 / PixelsPerInch, rounded as MulDiv rounds.
  int Size() const;
  void SetSize(int size);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset charset);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi > 0 ? ppi : pixelsPerInch_; }

  HFONT Handle();
  // Adopts the handle (the font owns it from now on) and takes its
  // attributes; the colour is kept.
  void SetHandle(HFONT handle);

 private:
  void ChangedFont();

  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TFontStyles style_;
  TColor color_ = clWindowText;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  int pixelsPerInch_;
  HFONT handle_ = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  ~TPen() override;
  void Assign(TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  int Width() const { return width_; }
  void SetWidth(int width);
  // The raster operation the canvas selects (SetROP2); not part of the handle.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode);
  HPEN Handle();

 private:
  void ChangedPen();

  TColor color_ = clBlack;
  TPenStyle style_ = psSolid;
  int width_ = 1;
  TPenMode mode_ = pmCopy;
  HPEN handle_ = nullptr;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  ~TBrush() override;
  void Assign(TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  // A pattern bitmap. The brush only refers to it: it never copies, owns or
  // frees it, and the caller may set it back to nullptr after use.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* bitmap);
  HBRUSH Handle();

 private:
  void ChangedBrush();

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
  HBRUSH handle_ = nullptr;
  bool ownsHandle_ = false;
};

// ---------------------------------------------------------------------------
// Canvas: drawing on a device context it does not own. Font, pen and brush
// are selected into the context when an operation needs them, and taken out
// again whenever they change or the context goes.

enum TCanvasState { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasStates = TSet<TCanvasState>;

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT,
                    cmMergeCopy = MERGECOPY, cmMergePaint = MERGEPAINT,
                    cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT,
                    cmPatPaint = PATPAINT, cmSrcAnd = SRCAND, cmSrcCopy = SRCCOPY,
                    cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT,
                    cmSrcPaint = SRCPAINT, cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle();
  // Binds the canvas to a context (nullptr unbinds); the canvas never frees it.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont* Font() { return font_.get(); }
  TPen* Pen() { return pen_.get(); }
  TBrush* Brush() { return brush_.get(); }
  void SetFont(TFont* font) { font_->Assign(font); }
  void SetPen(TPen* pen) { pen_->Assign(pen); }
  void SetBrush(TBrush* brush) { brush_->Assign(brush); }
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode mode) { copyMode_ = mode; }
  TPoint PenPos();
  void SetPenPos(TPoint pos) { MoveTo(pos.x, pos.y); }
  // The context's clip box in logical coordinates.
  TRect ClipRect();

  // Serialises drawing from several threads on one canvas.
  void Lock();
  bool TryLock();
  void Unlock();
  int LockCount() const { return lockCount_; }

  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void Polygon(const TPoint* points, int count);
  void Polygon(std::initializer_list<TPoint> points) { Polygon(points.begin(), int(points.size())); }
  void Polyline(const TPoint* points, int count);
  void Polyline(std::initializer_list<TPoint> points) { Polyline(points.begin(), int(points.size())); }
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);

  void TextOut(int x, int y, const std::string& text);
  // Text clipped to the rectangle, which is filled first unless the brush is clear.
  void TextRect(const TRect& r, int x, int y, const std::string& text);
  TSize TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // ExtTextOut options added to every text call (ETO_RTLREADING...).
  int TextFlags() const { return textFlags_; }
  void SetTextFlags(int flags) { textFlags_ = flags; }

  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  // Copies a part of another canvas with CopyMode, stretching as needed.
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  // Selects whatever the next operation needs; raises EInvalidOperation when
  // no context can be had.
  void RequiredState(TCanvasStates required);

 protected:
  // Called when the canvas needs a context and has none: a subclass that
  // fetches its context on demand (a control's or a bitmap's) overrides it.
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();

 private:
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);
  void SelectFont();
  void SelectPen();
  void SelectBrush();
  void DeselectHandles();

  HDC dc_ = nullptr;
  TCanvasStates state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TPoint penPos_{0, 0};
  TCopyMode copyMode_ = cmSrcCopy;
  int textFlags_ = 0;
  CRITICAL_SECTION lock_;
  int lockCount_ = 0;
};

// ---------------------------------------------------------------------------
// Graphics: an abstract picture that draws itself on a canvas and streams.
//
// A new graphic class (a PNG codec, say) derives from TGraphic, must be
// default-constructible, overrides Draw, Empty, Width, Height, SetWidth,
// SetHeight, LoadFromStream and SaveToStream (and Assign/AssignTo for the
// conversions it supports), calls Changed after every change, and registers
// itself with TPicture::RegisterFileFormat.

class TGraphic : public TPersistent {
 public:
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  virtual HPALETTE Palette() const { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  bool Modified() const { return modified_; }
  void SetModified(bool value);

  // A stream holds the graphic's file format from its current position to
  // its end.
  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  // A graphic published as a property of its own (a control's bitmap) keeps
  // its image in the form as "Data", written while it is not empty.
  void DefineProperties(TFiler* filer) override;

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  friend class TPicture;
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  // Marks the graphic modified and fires OnChange.
  virtual void Changed(TObject* sender);
  // The graphic's part of a picture's "Data" form property. By default the
  // plain stream format, read to the end of the given stream.
  virtual void ReadData(TStream* stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream* stream) { SaveToStream(stream); }

 private:
  bool transparent_ = false;
  bool modified_ = false;
};
using TGraphicClass = TClass;

// ---------------------------------------------------------------------------
// Bitmaps: a DIB section (or, with pfDevice, a device-dependent bitmap),
// with a canvas on its own memory context.

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override { return handle_ == nullptr; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // An empty bitmap remembers the other side asked for, so that setting the
  // width and then the height makes the image.
  void SetWidth(int width) override { SetSize(width, handle_ ? height_ : askedHeight_); }
  void SetHeight(int height) override { SetSize(handle_ ? width_ : askedWidth_, height); }
  // Keeps the overlapping part of the image; the rest is filled with the
  // canvas brush (white unless changed).
  void SetSize(int width, int height);

  TPixelFormat PixelFormat() const { return format_; }
  // Converts the image to the format.
  void SetPixelFormat(TPixelFormat format);
  TBitmapHandleType HandleType() const { return format_ == pfDevice ? bmDDB : bmDIB; }
  void SetHandleType(TBitmapHandleType type);
  bool Monochrome() const;
  // On: the image becomes black and white (pf1bit); off: a device bitmap.
  void SetMonochrome(bool value);
  HPALETTE Palette() const override;

  // The bitmap handle; the canvas lets go of it first, so it may be selected
  // into another context. The bitmap keeps owning it.
  HBITMAP Handle();
  // Adopts the handle (DIB section or device bitmap).
  void SetHandle(HBITMAP handle);
  // Hands the handle to the caller, who must free it; the bitmap keeps a copy
  // of the image.
  HBITMAP ReleaseHandle();

  // A row of pixels of the DIB. Rows are stored bottom-up: row 0 (the top of
  // the image) is the highest address, each row padded to 4 bytes.
  void* ScanLine(int row);
  int ScanLineStride() const;

  TCanvas* Canvas();

  bool Transparent() const override { return TGraphic::Transparent(); }
  // With tmAuto the bottom-left pixel, else the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor color);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode mode);
  // Turns the image into its monochrome mask: pixels of the colour white,
  // all others black.
  void Mask(TColor transparentColor);

  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // Loads a bitmap (RT_BITMAP) resource; raises EResNotFound when missing.
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  void LoadFromResourceID(HINSTANCE instance, int id);

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;
  // The picture "Data" form of a bitmap: a 32-bit length, then the BMP file.
  void ReadData(TStream* stream) override;
  void WriteData(TStream* stream) override;

 private:
  friend class TBitmapCanvas;
  void LoadFromBmpFile(const std::vector<Byte>& file);
  void LoadFromDIB(const Byte* dib, std::size_t size, std::size_t bitsOffset);
  std::vector<Byte> SaveToBmpFile();
  void CanvasChanged(TObject* sender);
  void FreeContext();
  // Makes a new image of the format and size holding this bitmap's image
  // (the part that fits); the palette formats get the given colour table.
  HBITMAP CopyImage(TPixelFormat format, int width, int height, const std::vector<RGBQUAD>& colors,
                    void** bits);
  void ReplaceImage(HBITMAP handle, TPixelFormat format, int width, int height, void* bits,
                    std::vector<RGBQUAD> colors);
  HBITMAP MakeMask(TColor color);

  HBITMAP handle_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int askedWidth_ = 0;
  int askedHeight_ = 0;
  TPixelFormat format_ = pfDevice;
  std::vector<RGBQUAD> colors_;  // the DIB's colour table (palette formats)
  mutable HPALETTE palette_ = nullptr;
  std::unique_ptr<TBitmapCanvas> canvas_;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
};

// Bits per pixel of a DIB pixel format (0 for pfDevice and pfCustom).
int PixelFormatBits(TPixelFormat format);

// ---------------------------------------------------------------------------
// Icons: an HICON from an .ico stream or a resource; always transparent.

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override { return handle_ == nullptr; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // An icon has the size it was made with; raises EInvalidGraphicOperation.
  void SetWidth(int width) override;
  void SetHeight(int height) override;

  HICON Handle() const { return handle_; }
  // Adopts the handle; SaveToStream then needs the icon's stream data, which
  // only a loaded icon has.
  void SetHandle(HICON handle);
  HICON ReleaseHandle();

  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  void Reset(HICON handle, int width, int height, std::vector<Byte> data);

  HICON handle_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::vector<Byte> data_;
};

// ---------------------------------------------------------------------------
// Pictures: a holder of one graphic of any registered class.

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  void Assign(TPersistent* source) override;
  // Defines "Data" (ReadData/WriteData) for form streaming.
  void DefineProperties(TFiler* filer) override;

  TGraphic* Graphic() const { return graphic_; }
  // Stores a copy of the graphic (a new instance of its class, which must be
  // registered, assigned from it); nullptr empties the picture.
  void SetGraphic(TGraphic* graphic);
  // The picture as a bitmap. An empty picture becomes a new, empty TBitmap
  // and a bitmap picture returns its own bitmap. A picture of another class
  // is never replaced: the result is a bitmap rendered from it, owned by the
  // picture and rebuilt after every change of the graphic; drawing on it does
  // not change the picture.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* bitmap) { SetGraphic(bitmap); }
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  // Chooses the graphic class by the file extension; raises EInvalidGraphic
  // for an unknown one.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

  // The "Data" form property: the graphic's class name as a short string
  // (length byte, then the characters; empty for no graphic), followed by the
  // graphic's own data to the end of the stream.
  void ReadData(TStream* stream);
  void WriteData(TStream* stream);

  // The registry of graphic classes. An extension is given without the dot;
  // later registrations win. A class must be default-constructible.
  static void RegisterFileFormat(const std::string& extension, const std::string& description, TClass graphicClass);
  static void UnregisterGraphicClass(TClass graphicClass);
  static TClass FindGraphicClassByExtension(const std::string& extension);
  static TClass FindGraphicClassByName(const std::string& className);

  TNotifyEvent OnChange;

 protected:
  virtual void Changed(TObject* sender);
  void AssignTo(TPersistent* dest) override;

 private:
  void ReplaceGraphic(TGraphic* graphic);

  TGraphic* graphic_ = nullptr;
  std::unique_ptr<TBitmap> rendered_;
};
