// Window regions cut by the crop colour, read back from the windows: the
// picture control's rule and the three-part bar's.
#include <gtest/gtest.h>

#include "SBCImage.hpp"
#include "SBTripleCImage.hpp"
#include "SkinTestSupport.hpp"

using namespace skintest;

namespace {

class CropRegion : public ::testing::Test {
 protected:
  TSBCImage* CroppedImage(const std::vector<std::string>& map, int width, int height) {
    auto* image = new TSBCImage(host.get());
    image->SetParent(host.get());
    image->SetBounds(10, 10, width, height);
    image->SetPicture(MapPicture(map).get());
    image->SetCropped(true);
    image->HandleNeeded();
    return image;
  }
  HostForm host;
};

TEST_F(CropRegion, RunsAreCutOnlyInsideThePictureAndReachItsRightEdge) {
  TSBCImage* image = CroppedImage({"...RRR",    // a run open at the row's end
                                   "R.R...",
                                   "rrrrrr"},   // one unit off: kept
                                  10, 5);
  ASSERT_TRUE(HasRegion(image));
  EXPECT_TRUE(InRegion(image, 2, 0));
  for (int x = 3; x < 6; ++x) EXPECT_FALSE(InRegion(image, x, 0)) << x;
  EXPECT_TRUE(InRegion(image, 6, 0));  // right of the picture
  EXPECT_FALSE(InRegion(image, 0, 1));
  EXPECT_TRUE(InRegion(image, 1, 1));
  EXPECT_FALSE(InRegion(image, 2, 1));
  for (int x = 0; x < 10; ++x) {
    EXPECT_TRUE(InRegion(image, x, 2)) << x;
    EXPECT_TRUE(InRegion(image, x, 4)) << x;  // below the picture
  }
}

TEST_F(CropRegion, APictureWithoutCropPixelsGivesTheFullRectangle) {
  TSBCImage* image = CroppedImage({"gbg", "bgb"}, 7, 4);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(image->Handle(), region), ERROR);
  HRGN full = CreateRectRgn(0, 0, 7, 4);
  EXPECT_TRUE(EqualRgn(region, full));
  DeleteObject(full);
  DeleteObject(region);
}

// Hundreds of runs of one pixel, on every row, and a run from the row's
// start: every pixel of the control is where the picture puts it.
TEST_F(CropRegion, ManyScatteredRunsCutExactlyTheirPixels) {
  std::vector<std::string> map;
  for (int y = 0; y < 24; ++y) {
    std::string row;
    for (int x = 0; x < 40; ++x) row += (x + y) % 2 == 0 || (y % 5 == 0 && x < 9) ? 'R' : 'g';
    map.push_back(row);
  }
  TSBCImage* image = CroppedImage(map, 44, 26);
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 44; ++x)
      EXPECT_EQ(InRegion(image, x, y), x >= 40 || y >= 24 || map[y][x] != 'R') << x << ", " << y;
}

TEST_F(CropRegion, ResizingRebuildsAtTheNextPaintMovingDoesNot) {
  TSBCImage* image = CroppedImage({"R."}, 4, 2);
  EXPECT_TRUE(image->RegionValid());
  image->SetBounds(30, 40, 4, 2);
  EXPECT_TRUE(image->RegionValid());
  image->SetBounds(30, 40, 6, 3);
  EXPECT_FALSE(image->RegionValid());
  EXPECT_FALSE(InRegion(image, 5, 2));  // still the old 4 x 2 shape
  Surface surface(6, 3);
  surface.Paint(image);
  EXPECT_TRUE(image->RegionValid());
  EXPECT_TRUE(InRegion(image, 5, 2));
  EXPECT_FALSE(InRegion(image, 0, 0));
}

TEST_F(CropRegion, CroppedOffOrTransparentCropMakesTheWindowRectangular) {
  TSBCImage* image = CroppedImage({"R."}, 4, 2);
  ASSERT_FALSE(InRegion(image, 0, 0));
  image->SetTransparentCrop(true);
  EXPECT_FALSE(HasRegion(image));
  image->SetTransparentCrop(false);
  Surface surface(4, 2);
  surface.Paint(image);
  EXPECT_FALSE(InRegion(image, 0, 0));
  image->SetCropped(false);
  EXPECT_FALSE(HasRegion(image));
}

class BarRegion : public CropRegion {
 protected:
  TSBTripleCImage* Bar(int width) {
    auto* bar = new TSBTripleCImage(host.get());
    bar->SetParent(host.get());
    bar->SetBounds(0, 0, width, 3);
    bar->SetPictureLeft(MapPicture({"Rgg", "ggg"}).get());
    bar->SetPictureTile(MapPicture({"bbbb", "bbRb"}).get());
    bar->SetPictureRight(MapPicture({"ggR", "ggg"}).get());
    bar->SetCropped(true);
    bar->HandleNeeded();
    return bar;
  }
};

TEST_F(BarRegion, CapsAndTilesCutButNotTheRightCapsArea) {
  TSBTripleCImage* bar = Bar(12);
  // Tiles at x = 3 and 7 cut (5, 1) and (9, 1); 9 lies in the right cap's
  // area (9..11), whose rectangle is restored before the cap's own cut.
  EXPECT_FALSE(InRegion(bar, 0, 0));
  EXPECT_FALSE(InRegion(bar, 5, 1));
  EXPECT_TRUE(InRegion(bar, 9, 1));
  EXPECT_FALSE(InRegion(bar, 11, 0));
  EXPECT_TRUE(InRegion(bar, 10, 0));
  for (int x = 0; x < 12; ++x) EXPECT_TRUE(InRegion(bar, x, 2)) << x;  // below the pictures
}

TEST_F(BarRegion, WideningMovesTheRightCapAtTheNextPaint) {
  TSBTripleCImage* bar = Bar(12);
  bar->SetWidth(13);
  EXPECT_FALSE(bar->RegionValid());
  Surface surface(13, 3);
  surface.Paint(bar);
  EXPECT_TRUE(InRegion(bar, 11, 0));
  EXPECT_FALSE(InRegion(bar, 12, 0));
  // The cap is drawn at its new place too.
  EXPECT_EQ(surface.Pixel(12, 0), MapColor('R'));
  EXPECT_EQ(surface.Pixel(10, 1), MapColor('g'));
}

TEST_F(BarRegion, ABarNarrowerThanItsCapsHasNoTiles) {
  TSBTripleCImage* bar = Bar(4);
  EXPECT_FALSE(InRegion(bar, 0, 0));
  EXPECT_FALSE(InRegion(bar, 3, 0));  // the right cap's cut at 4 - 3 + 2
  EXPECT_TRUE(InRegion(bar, 2, 1));   // no tile cut anywhere
  Surface surface(4, 3);
  surface.Paint(bar);
  // The right cap lies over the left one.
  EXPECT_EQ(surface.Pixel(1, 0), MapColor('g'));
  EXPECT_EQ(surface.Pixel(3, 0), MapColor('R'));
  EXPECT_EQ(surface.Pixel(0, 1), MapColor('g'));
}

TEST_F(BarRegion, AnEmptyCapLetsTheTilesReachTheEdge) {
  auto* bar = new TSBTripleCImage(host.get());
  bar->SetParent(host.get());
  bar->SetBounds(0, 0, 10, 2);
  bar->SetPictureTile(MapPicture({"bbbb", "bbRb"}).get());
  bar->SetCropped(true);
  bar->HandleNeeded();
  EXPECT_FALSE(InRegion(bar, 2, 1));
  EXPECT_FALSE(InRegion(bar, 6, 1));
  EXPECT_TRUE(InRegion(bar, 9, 1));  // the third tile's cut would be at 10
  Surface surface(10, 2);
  surface.Paint(bar);
  EXPECT_EQ(surface.Pixel(0, 0), MapColor('b'));
  EXPECT_EQ(surface.Pixel(9, 0), MapColor('b'));
}

TEST_F(BarRegion, AZeroWidthBarPaintsNothingAndDoesNotFail) {
  TSBTripleCImage* bar = Bar(0);
  Surface surface(4, 3, RGB(9, 9, 9));
  surface.Paint(bar);
  bar->ApplyCropRegion();
  EXPECT_EQ(surface.Pixel(0, 0), RGB(9, 9, 9));
}

}  // namespace
