// The background painters, checked by the pixels they leave: where tiles
// start when a rectangle shows an inner part of a larger background, the
// colour outside that background, centred and corner placement, stretching,
// and the inverted and blended copies.
#include <gtest/gtest.h>

#include "ElDrawTestSupport.hpp"
#include "ElExtBkgnd.hpp"

using namespace eltest;

namespace {

// A 4 x 4 bitmap whose four 2 x 2 quadrants have their own colours.
constexpr TColor kTL = 0x0000C0, kTR = 0x00C000, kBL = 0xC00000, kBR = 0xC0C000;

std::unique_ptr<TBitmap> Quadrants(int size = 4) {
  auto b = MakeSurface(size, size, kTL);
  int h = size / 2;
  b->Canvas()->Brush()->SetColor(kTR);
  b->Canvas()->FillRect(TRect{h, 0, size, h});
  b->Canvas()->Brush()->SetColor(kBL);
  b->Canvas()->FillRect(TRect{0, h, h, size});
  b->Canvas()->Brush()->SetColor(kBR);
  b->Canvas()->FillRect(TRect{h, h, size, size});
  return b;
}

// The quadrant colour of background point (x, y) for 4 x 4 tiles from Full's
// corner at (fx, fy).
TColor TileColor(int x, int y, int fx = 0, int fy = 0) {
  int tx = ((x - fx) % 4 + 4) % 4, ty = ((y - fy) % 4 + 4) % 4;
  if (ty < 2) return tx < 2 ? kTL : kTR;
  return tx < 2 ? kBL : kBR;
}

constexpr TColor kFill = 0x808080;

TEST(ElExtBkgndTile, TilesStartAtTheFullAreasCornerWhateverTheOrigin) {
  auto tile = Quadrants();
  auto target = MakeSurface(12, 12);
  // The 10 x 10 rectangle at (1, 1) shows the background from (6, 3) on.
  const TRect r{1, 1, 11, 11};
  const TPoint origin{5, 2};
  const TRect full{2, 0, 40, 40};
  DrawBackground(DC(*target), r, bgtTileBitmap, tile.get(), kFill, origin, full);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      ASSERT_TRUE(PixelIs(*target, x, y, TileColor(x + origin.x, y + origin.y, full.left, full.top)))
          << x << "," << y;
  // Nothing outside R.
  EXPECT_TRUE(PixelIs(*target, 0, 0, kPaper));
  EXPECT_TRUE(PixelIs(*target, 11, 11, kPaper));
}

TEST(ElExtBkgndTile, OutsideTheFullAreaTheColourShows) {
  auto tile = Quadrants();
  auto target = MakeSurface(10, 10);
  // Full ends at x = 6 and y = 5 of the shown area.
  DrawBackground(DC(*target), TRect{0, 0, 10, 10}, bgtTileBitmap, tile.get(), kFill, TPoint{0, 0},
                 TRect{0, 0, 6, 5});
  EXPECT_TRUE(PixelIs(*target, 5, 4, TileColor(5, 4)));
  EXPECT_TRUE(PixelIs(*target, 6, 0, kFill));
  EXPECT_TRUE(PixelIs(*target, 0, 5, kFill));
  EXPECT_TRUE(PixelIs(*target, 9, 9, kFill));
}

TEST(ElExtBkgndTile, AMissingOrEmptyBitmapGivesTheColour) {
  auto target = MakeSurface(6, 6);
  TBitmap empty;
  DrawBackground(DC(*target), TRect{0, 0, 3, 6}, bgtTileBitmap, nullptr, kFill, TPoint{0, 0}, TRect{0, 0, 6, 6});
  DrawExtendedBackground(DC(*target), TRect{3, 0, 6, 6}, bgtCenterBitmap, &empty, false, clNone, kFill, false,
                         TPoint{0, 0}, TRect{0, 0, 6, 6});
  EXPECT_EQ(CountColor(*target, TRect{0, 0, 6, 6}, kFill), 36);
}

TEST(ElExtBkgndPlaced, CentredAndCornerBitmapsOverTheColour) {
  auto tile = Quadrants();
  auto target = MakeSurface(10, 10);
  DrawBackground(DC(*target), TRect{0, 0, 10, 10}, bgtCenterBitmap, tile.get(), kFill, TPoint{0, 0},
                 TRect{0, 0, 10, 10});
  // Centred: 10 / 2 - 4 / 2 = 3.
  EXPECT_TRUE(PixelIs(*target, 3, 3, kTL));
  EXPECT_TRUE(PixelIs(*target, 6, 6, kBR));
  EXPECT_TRUE(PixelIs(*target, 2, 3, kFill));
  EXPECT_TRUE(PixelIs(*target, 7, 7, kFill));
  EXPECT_EQ(CountColor(*target, TRect{0, 0, 10, 10}, kFill), 100 - 16);

  // At the corner, seen through a rectangle that starts inside it.
  auto corner = MakeSurface(10, 10);
  DrawBackground(DC(*corner), TRect{0, 0, 10, 10}, bgtTopLeftBitmap, tile.get(), kFill, TPoint{2, 1},
                 TRect{0, 0, 20, 20});
  EXPECT_TRUE(PixelIs(*corner, 0, 0, kTR));  // background (2, 1)
  EXPECT_TRUE(PixelIs(*corner, 1, 2, kBR));  // background (3, 3)
  EXPECT_TRUE(PixelIs(*corner, 2, 0, kFill));
  EXPECT_TRUE(PixelIs(*corner, 0, 3, kFill));
}

TEST(ElExtBkgndStretch, TheBitmapCoversTheFullArea) {
  auto tile = Quadrants();
  auto target = MakeSurface(8, 8);
  // A 16 x 16 stretch; the rectangle shows its lower right quarter.
  DrawBackground(DC(*target), TRect{0, 0, 8, 8}, bgtStretchBitmap, tile.get(), kFill, TPoint{8, 8},
                 TRect{0, 0, 16, 16});
  EXPECT_EQ(CountColor(*target, TRect{0, 0, 8, 8}, kBR), 64);
}

TEST(ElExtBkgndExtended, InvertCombinesWithWhatLiesBelow) {
  auto tile = MakeSurface(4, 4, 0x00FF00);
  auto target = MakeSurface(4, 4, 0x0000FF);
  DrawExtendedBackground(DC(*target), TRect{0, 0, 4, 4}, bgtTileBitmap, tile.get(), false, clNone, kFill, true,
                         TPoint{0, 0}, TRect{0, 0, 4, 4});
  EXPECT_TRUE(PixelIs(*target, 2, 2, 0x00FFFF));
}

// Every second pixel takes the blend colour, in a pattern that stays fixed
// to the target's coordinates however the pieces fall.
TEST(ElExtBkgndExtended, BlendCheckerIsFixedToTheTarget) {
  auto tile = MakeSurface(3, 3, 0x00FF00);
  auto target = MakeSurface(10, 10);
  DrawExtendedBackground(DC(*target), TRect{1, 2, 10, 10}, bgtTileBitmap, tile.get(), true, clRed, kFill, false,
                         TPoint{1, 0}, TRect{0, 0, 30, 30});
  for (int y = 2; y < 10; ++y)
    for (int x = 1; x < 10; ++x)
      ASSERT_TRUE(PixelIs(*target, x, y, (x + y) % 2 == 0 ? clRed : 0x00FF00)) << x << "," << y;
}

}  // namespace
