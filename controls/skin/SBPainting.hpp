// How the kit's picture controls paint: through an off-screen bitmap the
// size of the area a paint may change, over the parent's background when
// they let it show through, with pictures drawn transparent in the crop
// colour, tiles aligned to an origin and bars of three pictures.
#pragma once

#include <functional>

#include "Controls.hpp"
#include "Graphics.hpp"
#include "SBCropRegion.hpp"

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
// and graphic children) into the context, whose window origin is the
// control's top-left corner.
void PaintParentBackground(TWinControl* control, HDC dc);

// One paint of a picture control through an off-screen bitmap that covers
// the canvas's clip within the control, and no more: the window's region is
// made valid first when the crop state shapes the window, the parent's
// background goes under the picture when asked, `draw` draws the rest into
// the bitmap in the control's coordinates (given that area), and the bitmap
// is copied onto the canvas. What was drawn before a failure is still
// shown, and the paint never raises.
struct TOffscreenPaint {
  TWinControl* Control;
  TCanvas* Canvas;
  TCropState& Crop;
  bool ParentBackground;
  std::function<void(TCanvas* target, const TRect& area)> Draw;
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

namespace SkinTestSeams {
// Told the size of each off-screen bitmap a paint makes; null in the
// shipped programs.
extern void (*OffscreenBitmapProc)(int width, int height);
}  // namespace SkinTestSeams
