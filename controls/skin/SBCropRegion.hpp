// The crop colour's part in the kit's picture controls: the run scan of a
// picture, the window regions built from it, and the crop state every kit
// control keeps.
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

// The crop-colour state of one kit control and its window's shape. Cropped
// alone cuts the crop pixels out of the window's region, which is built
// again at the next paint or window creation once it is no longer valid;
// with TransparentCrop the window stays rectangular and the parent's
// background shows through those pixels instead.
class TCropState {
 public:
  // The control whose window is shaped, and how its region is built from
  // its pictures and size.
  TCropState(TWinControl* control, std::function<HRGN()> buildRegion, bool transparentCrop = false)
      : control_(control), buildRegion_(std::move(buildRegion)), transparentCrop_(transparentCrop) {}

  bool Cropped() const { return cropped_; }
  bool TransparentCrop() const { return transparentCrop_; }
  bool RegionValid() const { return regionValid_; }
  TColor Color() const { return color_; }
  bool ShapesWindow() const { return cropped_ && !transparentCrop_; }
  bool DrawsTransparent() const { return cropped_ && transparentCrop_; }

  // Store a changed value and bring the window's region and csOpaque along;
  // false when the value was already set (nothing changed).
  bool SetCropped(bool value);
  bool SetTransparentCrop(bool value);
  // The shape no longer matches the pictures or the size.
  void Invalidate() { regionValid_ = false; }
  // Builds the region and gives it to the window.
  void Apply();
  // Applies the region when the window is shaped and its region is stale.
  void Ensure();
  // A new window takes the shape at once.
  void WindowCreated();
  // The window is rectangular again (the state is unchanged).
  void Clear() { ClearCropRegion(control_); }

 private:
  TWinControl* control_;
  std::function<HRGN()> buildRegion_;
  bool cropped_ = false;
  bool transparentCrop_;
  bool regionValid_ = false;
  TColor color_ = DefaultCropColor;
};

// Includes or excludes csOpaque.
void SetControlOpaque(TControl* control, bool opaque);

// The control style every kit picture control starts with: not opaque,
// accepting child controls, replicatable.
void SetPictureControlStyle(TControl* control);
