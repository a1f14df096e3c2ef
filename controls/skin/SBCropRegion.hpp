// What the kit's picture controls share: the crop-colour run scan and the
// window regions built from it, pictures drawn transparent in the crop
// colour, tiles aligned to an origin, three-part drawing, the parent's
// background under a control, and the off-screen bitmap every paint uses.
//
// A pixel whose colour equals the crop colour exactly is cut from a
// control's window region (Cropped) or drawn transparent (TransparentCrop).
#pragma once

#include <functional>
#include <memory>

#include "Controls.hpp"
#include "Graphics.hpp"

// Every kit control's crop colour: pure red, RGB(255, 0, 0).
constexpr TColor DefaultCropColor = 255;

// Whether the picture has a graphic with pixels.
bool PictureEmpty(const TPicture* picture);

// The picture's pixels as a new 24-bit bitmap of its size (nullptr when it
// is empty). A PNG or JPEG picture is rendered, never replaced: the picture
// itself does not change.
std::unique_ptr<TBitmap> PictureAsBitmap(TPicture* picture);

// What the scan does when reading the pixels fails.
enum class TScanFailure { Raise, KeepRegionSoFar };

// Removes from the region every pixel of the picture whose colour equals
// the colour, the picture placed at (dx, dy). Rows are scanned for runs of
// the colour; a run still open at the end of a row reaches the picture's
// width.
void SubtractCropColorRuns(TPicture* picture, TColor color, int dx, HRGN region, int dy,
                           TScanFailure failure = TScanFailure::Raise);

// The region of a picture control: its rectangle less the crop pixels of
// the picture placed at its top-left corner (neither stretched nor tiled).
HRGN PictureCropRegion(int width, int height, TPicture* picture, TColor color,
                       TScanFailure failure = TScanFailure::Raise);

// The three pictures of a bar: a left cap, a middle repeated between the
// caps, a right cap at the right edge.
struct TThreePictures {
  TPicture* Left;
  TPicture* Tile;
  TPicture* Right;
  bool AllPresent() const;
  // The three side by side: the widths added, the tallest height.
  TSize Extent() const;
  // A picture's graphic is transparent.
  bool AnyTransparent() const;
};

// The region of a bar: the rectangle less the left cap's crop pixels, the
// tiles' between the caps and the right cap's. Cuts of tiles that reach
// into the right cap's area are undone; rows below a picture are kept.
HRGN ThreePartCropRegion(int width, int height, const TThreePictures& pictures, TColor color);

// Gives the control's window the region (the window owns it from then on),
// or makes the window rectangular again. Both do nothing without a window.
void SetControlRegion(TWinControl* control, HRGN region);
void ClearCropRegion(TWinControl* control);

// The crop-colour state of a kit control. Cropped alone cuts the crop
// pixels out of the window's region, which is built again at the next paint
// or window creation once it is no longer valid; with TransparentCrop the
// window stays rectangular and the parent's background shows through those
// pixels instead.
struct TCropState {
  bool Cropped = false;
  bool TransparentCrop = false;
  bool RegionValid = false;
  TColor Color = DefaultCropColor;

  bool ShapesWindow() const { return Cropped && !TransparentCrop; }
  bool DrawsTransparent() const { return Cropped && TransparentCrop; }
  // Store a changed value and bring the control's window region and csOpaque
  // along; false when the value was already set (nothing changed).
  bool SetCropped(TWinControl* control, bool value);
  bool SetTransparentCrop(TWinControl* control, bool value);
  // Gives the control's window the region (see SetControlRegion).
  void ApplyRegion(TWinControl* control, HRGN region);
};

// While a control that carries its shape as a window region is painted as
// a copy (csPaintCopy), the target context is clipped by that region, so
// the copy has the control's shape too.
class TCopyClip {
 public:
  TCopyClip(TWinControl* control, HDC dc, bool shaped);
  ~TCopyClip();
  TCopyClip(const TCopyClip&) = delete;
  TCopyClip& operator=(const TCopyClip&) = delete;

 private:
  HDC dc_ = nullptr;
  int saved_ = 0;
};

// Paints what the control's parent shows under the control (its background
// and graphic children) into the context, whose origin is the control's
// top-left corner.
void PaintParentBackground(TWinControl* control, HDC dc);

// A new 24-bit bitmap of the size, for one paint.
std::unique_ptr<TBitmap> NewOffscreenBitmap(int width, int height);

// One paint of a picture control through an off-screen bitmap of its size:
// the window's region is made valid first when the crop state shapes the
// window, the parent's background goes under the picture when asked, `draw`
// draws the rest into the bitmap (given the canvas's clip rectangle), and
// the bitmap is copied onto the canvas. What was drawn before a failure is
// still shown, and the paint never raises.
struct TOffscreenPaint {
  TWinControl* Control;
  TCanvas* Canvas;
  TCropState& Crop;
  bool ParentBackground;
  std::function<HRGN()> BuildRegion;
  std::function<void(TCanvas* target, const TRect& clip)> Draw;
};
void PaintOffscreen(const TOffscreenPaint& paint);

// Draws the picture at (x, y). With cropTransparent its crop-colour pixels
// are left out: a bitmap (or JPEG) is drawn from a transparent copy; a PNG
// picture is always drawn as it is, with its own transparency.
void DrawCropPicture(TCanvas* canvas, int x, int y, TPicture* picture, bool cropTransparent,
                     TColor color);

// Covers the area with whole copies of the picture laid on a grid whose
// origin is `origin`, so that the pattern never depends on the area.
void DrawTiles(TCanvas* canvas, TPicture* picture, const TRect& area, TPoint origin,
               bool cropTransparent, TColor color);

// Draws a bar: the left cap at 0 when the clip starts left of its right
// edge, tiles between the caps inside the clip (aligned to the left cap's
// right edge and the top), the right cap at width - its width over them.
void DrawThreePictures(TCanvas* canvas, const TRect& clip, int width,
                       const TThreePictures& pictures, bool cropTransparent, TColor color);

// Sets a flag for a scope and restores its old value however the scope
// ends (the kit controls' painting guard).
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag), old_(flag) { flag = true; }
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

// Includes or excludes csOpaque.
void SetControlOpaque(TControl* control, bool opaque);

// The control style every kit picture control starts with: not opaque,
// accepting child controls, replicatable.
void SetPictureControlStyle(TControl* control);
