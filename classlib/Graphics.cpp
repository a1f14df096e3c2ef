// Colours, fonts, pens, brushes and the graphic base class.
#include "Graphics.hpp"
#include "GraphicsScoped.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace {

struct ColorName {
  TColor color;
  const char* name;
};

// The order matters for ColorToIdent: the first name of a value wins
// (clGray before clDkGray, clSilver before clLtGray).
const ColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"},
    {clOlive, "clOlive"}, {clNavy, "clNavy"}, {clPurple, "clPurple"},
    {clTeal, "clTeal"}, {clGray, "clGray"}, {clSilver, "clSilver"},
    {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"},
    {clWhite, "clWhite"}, {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"}, {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"}, {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"}, {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"}, {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"}, {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"}, {clMenu, "clMenu"}, {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"}, {clMenuText, "clMenuText"},
    {clNone, "clNone"}, {clScrollBar, "clScrollBar"}, {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"}, {clLtGray, "clLtGray"}, {clDkGray, "clDkGray"},
};


}  // namespace

TColor ColorToRGB(TColor color) {
  if (color < 0) return static_cast<TColor>(GetSysColor(color & 0xFF));
  return color;
}

bool IdentToColor(const std::string& ident, TColor& color) {
  for (const ColorName& entry : kColorNames)
    if (SameText(ident, entry.name)) {
      color = entry.color;
      return true;
    }
  return false;
}

bool ColorToIdent(TColor color, std::string& ident) {
  for (const ColorName& entry : kColorNames)
    if (entry.color == color) {
      ident = entry.name;
      return true;
    }
  return false;
}

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    HDC dc = GetDC(nullptr);
    int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return ppi;
}

// --- TGraphicsObject --------------------------------------------------------

void TGraphicsObject::Changed() { OnChange(this); }

// --- TFont ------------------------------------------------------------------

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch()) {}

TFont::~TFont() {
  if (handle_) DeleteObject(handle_);
}

void TFont::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    if (font == this) return;
    // The size in points is what carries over between resolutions.
    int height = font->pixelsPerInch_ == pixelsPerInch_
                     ? font->height_
                     : MulDiv(font->height_, pixelsPerInch_, font->pixelsPerInch_);
    bool sameFace = name_ == font->name_ && height_ == height && style_ == font->style_ &&
                    charset_ == font->charset_ && pitch_ == font->pitch_;
    // Painting binds a control's font to its canvas every time: an equal
    // font keeps its handle, and a colour alone does not touch it.
    if (sameFace) {
      SetColor(font->color_);
      return;
    }
    name_ = font->name_;
    height_ = height;
    style_ = font->style_;
    color_ = font->color_;
    charset_ = font->charset_;
    pitch_ = font->pitch_;
    ChangedFont();
    return;
  }
  TPersistent::Assign(source);
}

void TFont::ChangedFont() {
  DeferredDelete<HFONT> old(handle_);
  Changed();
}

void TFont::SetName(const std::string& name) {
  if (name.empty() || name == name_) return;
  name_ = name;
  ChangedFont();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  ChangedFont();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int size) { SetHeight(-MulDiv(size, pixelsPerInch_, 72)); }

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  ChangedFont();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  // The colour is not part of the handle; the handle stays.
  Changed();
}

void TFont::SetCharset(TFontCharset charset) {
  if (charset == charset_) return;
  charset_ = charset;
  ChangedFont();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  ChangedFont();
}

HFONT TFont::Handle() {
  if (handle_) return handle_;
  LOGFONTA lf{};
  lf.lfHeight = height_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
  std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
  handle_ = CreateFontIndirectA(&lf);
  return handle_;
}

void TFont::SetHandle(HFONT handle) {
  LOGFONTA lf{};
  if (!handle || GetObjectA(handle, sizeof(lf), &lf) == 0) return;
  DeferredDelete<HFONT> old(handle_);
  handle_ = handle;
  name_ = lf.lfFaceName;
  height_ = lf.lfHeight;
  style_ = TFontStyles();
  if (lf.lfWeight >= FW_BOLD) style_.Include(fsBold);
  if (lf.lfItalic) style_.Include(fsItalic);
  if (lf.lfUnderline) style_.Include(fsUnderline);
  if (lf.lfStrikeOut) style_.Include(fsStrikeOut);
  charset_ = lf.lfCharSet;
  int pitch = lf.lfPitchAndFamily & 3;
  pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
  Changed();
}

// --- TPen -------------------------------------------------------------------

TPen::~TPen() {
  if (handle_) DeleteObject(handle_);
}

void TPen::Assign(TPersistent* source) {
  if (auto* pen = dynamic_cast<TPen*>(source)) {
    if (pen == this) return;
    color_ = pen->color_;
    style_ = pen->style_;
    width_ = pen->width_;
    mode_ = pen->mode_;
    ChangedPen();
    return;
  }
  TPersistent::Assign(source);
}

void TPen::ChangedPen() {
  DeferredDelete<HPEN> old(handle_);
  Changed();
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  ChangedPen();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  ChangedPen();
}

void TPen::SetWidth(int width) {
  if (width < 0 || width == width_) return;
  width_ = width;
  ChangedPen();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  Changed();
}

HPEN TPen::Handle() {
  if (!handle_) {
    // The pen style values are the PS_ values.
    handle_ = CreatePen(static_cast<int>(style_), width_, static_cast<COLORREF>(ColorToRGB(color_)));
  }
  return handle_;
}

// --- TBrush -----------------------------------------------------------------

TBrush::~TBrush() {
  if (handle_ && ownsHandle_) DeleteObject(handle_);
}

void TBrush::Assign(TPersistent* source) {
  if (auto* brush = dynamic_cast<TBrush*>(source)) {
    if (brush == this) return;
    color_ = brush->color_;
    style_ = brush->style_;
    bitmap_ = brush->bitmap_;
    ChangedBrush();
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::ChangedBrush() {
  HBRUSH old = std::exchange(handle_, nullptr);
  bool owned = std::exchange(ownsHandle_, false);
  Changed();
  if (old && owned) DeleteObject(old);
}

void TBrush::SetColor(TColor color) {
  if (color == color_ && style_ != bsClear) return;
  color_ = color;
  // A colour makes a clear brush solid again.
  if (style_ == bsClear) style_ = bsSolid;
  ChangedBrush();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  ChangedBrush();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
  bitmap_ = bitmap;
  ChangedBrush();
}

HBRUSH TBrush::Handle() {
  if (handle_) return handle_;
  ownsHandle_ = true;
  if (bitmap_ && !bitmap_->Empty()) {
    handle_ = CreatePatternBrush(bitmap_->Handle());
  } else if (style_ == bsSolid) {
    handle_ = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color_)));
  } else if (style_ == bsClear) {
    handle_ = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    ownsHandle_ = false;
  } else {
    // bsHorizontal..bsDiagCross follow HS_HORIZONTAL..HS_DIAGCROSS.
    handle_ = CreateHatchBrush(static_cast<int>(style_) - bsHorizontal, static_cast<COLORREF>(ColorToRGB(color_)));
  }
  return handle_;
}

// --- TGraphic ---------------------------------------------------------------

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    modified_ = false;
}

void TGraphic::Changed(TObject*) {
  modified_ = true;
  OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}
