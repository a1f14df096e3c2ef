// Drawing surfaces for the pixel tests: 24-bit bitmaps filled with a colour
// that no system colour uses, read back pixel by pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "Graphics.hpp"

namespace eltest {

// A colour no system colour of the test prefix has.
constexpr TColor kPaper = 0x3A5F7C;

inline std::unique_ptr<TBitmap> MakeSurface(int width, int height, TColor fill = kPaper) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  bitmap->Canvas()->Brush()->SetColor(fill);
  bitmap->Canvas()->FillRect(TRect{0, 0, width, height});
  return bitmap;
}

inline HDC DC(TBitmap& bitmap) { return bitmap.Canvas()->Handle(); }

inline TColor Px(TBitmap& bitmap, int x, int y) {
  return static_cast<TColor>(GetPixel(bitmap.Canvas()->Handle(), x, y));
}

inline ::testing::AssertionResult PixelIs(TBitmap& bitmap, int x, int y, TColor expected) {
  TColor actual = Px(bitmap, x, y);
  TColor rgb = ColorToRGB(expected);
  if (actual == rgb) return ::testing::AssertionSuccess();
  char text[96];
  std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, expected %06X", x, y, unsigned(actual),
                unsigned(rgb));
  return ::testing::AssertionFailure() << text;
}

// Pixels of the colour inside the rectangle.
inline int CountColor(TBitmap& bitmap, const TRect& r, TColor color) {
  int n = 0;
  TColor rgb = ColorToRGB(color);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (Px(bitmap, x, y) == rgb) ++n;
  return n;
}

}  // namespace eltest
