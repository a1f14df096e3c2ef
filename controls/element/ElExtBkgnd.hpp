// Background painters: a colour, or a bitmap tiled, stretched, centred or at
// the top-left, painted into any rectangle of a device context as if the
// background covered a larger area (Full) of which the rectangle shows the
// part at Origin. Scrolled controls and controls lying on a shared form
// background paint their piece of it this way.
#pragma once

#include "ElVCLUtils.hpp"
#include "Graphics.hpp"

// The simple painter. R is the rectangle of the device context to paint; the
// background point under R's top-left corner is R's corner moved by Origin,
// in the coordinates of Full. Where that falls outside Full, or the bitmap
// is missing or empty, the colour shows.
void DrawBackground(HDC dc, const TRect& r, TElBkGndType type, TBitmap* bitmap, TColor color, TPoint origin,
                    const TRect& full);

// The same, with two more effects: Invert combines every copied piece with
// what lies under it by exclusive or, and Blend replaces every second pixel
// of a copied piece, in a checkerboard fixed to the device context's
// coordinates, by BlendColor.
void DrawExtendedBackground(HDC dc, const TRect& r, TElBkGndType type, TBitmap* bitmap, bool blend,
                            TColor blendColor, TColor color, bool invert, TPoint origin, const TRect& full);

// The unit's start-up makes the 2 x 2 pattern the blending uses; its
// shut-down frees it.
extern const TUnitInfo ElExtBkgndUnit;
