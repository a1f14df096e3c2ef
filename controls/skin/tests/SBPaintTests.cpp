// The kit controls' painting, checked by pixels of memory bitmaps: tiles
// aligned to the control whatever the clip, the parent's background through
// transparent crops, and PNG caps drawn with their own alpha.
#include <gtest/gtest.h>

#include "SBCImage.hpp"
#include "SBImgBtn.hpp"
#include "SBResourceStorage.hpp"
#include "SBPainting.hpp"
#include "SBSizableImgBtn.hpp"
#include "SBTripleCImage.hpp"
#include "SkinTestSupport.hpp"

using namespace skintest;

namespace {

const std::vector<std::string> kTile = {"bgky", "kybg", "gbyk"};

TEST(SkinPaint, TilesStayAlignedToTheControlWhenTheClipStartsMidTile) {
  HostForm host;
  auto* image = new TSBCImage(host.get());
  image->SetParent(host.get());
  image->SetBounds(0, 0, 20, 10);
  image->SetPicture(MapPicture(kTile).get());
  image->SetTile(true);
  Surface surface(20, 10, RGB(9, 9, 9));
  const RECT clip{5, 4, 15, 9};
  surface.Paint(image, &clip);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 5 && x < 15 && y >= 4 && y < 9;
      const COLORREF expected = inside ? MapColor(kTile[y % 3][x % 4]) : RGB(9, 9, 9);
      ASSERT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
}

TEST(SkinPaint, StretchAndTransparentDoNotChangeTheDrawing) {
  HostForm host;
  auto* image = new TSBCImage(host.get());
  image->SetParent(host.get());
  image->SetBounds(0, 0, 8, 6);
  image->SetPicture(MapPicture({"bgk", "kyb"}).get());
  Surface plain(8, 6);
  plain.Paint(image);
  image->SetStretch(true);
  image->SetTransparent(true);
  Surface changed(8, 6);
  changed.Paint(image);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(plain.Pixel(x, y), changed.Pixel(x, y)) << x << "," << y;
  EXPECT_EQ(changed.Pixel(2, 1), MapColor('b'));
}

// A tiled parent picture and a child whose crop pixels are transparent.
class TransparentCrop : public ::testing::Test {
 protected:
  void SetUp() override {
    holder = new TSBCImage(host.get());
    holder->SetParent(host.get());
    holder->SetBounds(0, 0, 40, 30);
    holder->SetPicture(MapPicture(kTile).get());
    holder->SetTile(true);
  }
  // The parent's pixel under the child's point.
  COLORREF ParentAt(TControl* child, int x, int y) {
    return MapColor(kTile[(child->Top() + y) % 3][(child->Left() + x) % 4]);
  }
  HostForm host;
  TSBCImage* holder = nullptr;
};

TEST_F(TransparentCrop, APictureControlShowsTheParentThroughCropPixels) {
  auto* image = new TSBCImage(host.get());
  image->SetParent(holder);
  image->SetBounds(5, 7, 4, 2);
  image->SetPicture(MapPicture({"RgRg", "ggRR"}).get());
  image->SetCropped(true);
  image->SetTransparentCrop(true);
  Surface surface(4, 2);
  surface.Paint(image);
  EXPECT_EQ(surface.Pixel(0, 0), ParentAt(image, 0, 0));
  EXPECT_EQ(surface.Pixel(1, 0), MapColor('g'));
  EXPECT_EQ(surface.Pixel(2, 0), ParentAt(image, 2, 0));
  EXPECT_EQ(surface.Pixel(3, 1), ParentAt(image, 3, 1));
  EXPECT_EQ(surface.Pixel(1, 1), MapColor('g'));
  // Without TransparentCrop the crop colour is drawn as it is.
  image->SetTransparentCrop(false);
  Surface shaped(4, 2);
  shaped.Paint(image);
  EXPECT_EQ(shaped.Pixel(0, 0), MapColor('R'));
}

TEST_F(TransparentCrop, AButtonShowsTheParentThroughItsStatePicture) {
  auto* button = new TSBImgBtn(host.get());
  button->SetParent(holder);
  button->SetBounds(6, 3, 3, 2);
  button->SetPic(MapPicture({"Rgg", "ggR"}).get());
  button->SetPicUp(MapPicture({"Ryy", "yyR"}).get());
  button->SetCropped(true);
  Surface normal(3, 2);
  normal.Paint(button);
  EXPECT_EQ(normal.Pixel(0, 0), ParentAt(button, 0, 0));
  EXPECT_EQ(normal.Pixel(1, 0), MapColor('g'));
  button->Perform(CM_MOUSEENTER, 0, 0);
  Surface hover(3, 2);
  hover.Paint(button);
  EXPECT_EQ(hover.Pixel(1, 0), MapColor('y'));
  EXPECT_EQ(hover.Pixel(2, 1), ParentAt(button, 2, 1));
}

// The sizes of the off-screen bitmaps the paints make.
std::vector<SIZE> g_offscreen;
void RecordOffscreen(int width, int height) { g_offscreen.push_back(SIZE{width, height}); }

TEST_F(TransparentCrop, APaintsBitmapCoversItsClipNotTheWholeControlNorTheParent) {
  auto* button = new TSBImgBtn(host.get());
  button->SetParent(holder);
  button->SetBounds(6, 3, 3, 2);
  button->SetPic(MapPicture({"Rgg", "ggR"}).get());
  button->SetCropped(true);
  SkinTestSeams::OffscreenBitmapProc = &RecordOffscreen;
  g_offscreen.clear();
  // A hover change repaints the button over its 40 x 30 parent.
  Surface hovered(3, 2);
  hovered.Paint(button);
  const RECT tileClip{5, 4, 15, 9};
  Surface part(40, 30);
  part.Paint(holder, &tileClip);
  SkinTestSeams::OffscreenBitmapProc = nullptr;
  ASSERT_EQ(g_offscreen.size(), 3u);
  // The button's own, then its parent's behind it, then the parent's clip.
  EXPECT_EQ(g_offscreen[0].cx, 3);
  EXPECT_EQ(g_offscreen[0].cy, 2);
  EXPECT_EQ(g_offscreen[1].cx, 3);
  EXPECT_EQ(g_offscreen[1].cy, 2);
  EXPECT_EQ(g_offscreen[2].cx, 10);
  EXPECT_EQ(g_offscreen[2].cy, 5);
  // Still the parent's pixels behind the cut ones.
  EXPECT_EQ(hovered.Pixel(0, 0), ParentAt(button, 0, 0));
  EXPECT_EQ(hovered.Pixel(2, 1), ParentAt(button, 2, 1));
  EXPECT_EQ(hovered.Pixel(1, 0), MapColor('g'));
}

// The bar paints straight onto the canvas it is given, which may be a
// caller's.
class TBarProbe : public TSBTripleCImage {
 public:
  using TSBTripleCImage::TSBTripleCImage;
  void PaintInto(HDC dc) { PaintWindow(dc); }
};

TEST(SkinPaint, ABarLeavesTheCallersContextAsItFoundIt) {
  HostForm host;
  auto* bar = new TBarProbe(host.get());
  bar->SetParent(host.get());
  bar->SetBounds(0, 0, 12, 4);
  bar->SetPictureLeft(SolidPicture(3, 4, 'b').get());
  bar->SetPictureTile(SolidPicture(2, 4, 'g').get());
  bar->SetPictureRight(SolidPicture(3, 4, 'k').get());
  Surface surface(30, 10);
  RECT before{}, after{};
  GetClipBox(surface.DC(), &before);
  bar->PaintInto(surface.DC());
  GetClipBox(surface.DC(), &after);
  EXPECT_TRUE(EqualRect(&before, &after)) << after.right << "x" << after.bottom;
  EXPECT_EQ(surface.Pixel(11, 3), MapColor('k'));
  EXPECT_EQ(surface.Pixel(20, 3), RGB(1, 2, 3));
}

TEST_F(TransparentCrop, PngCapsKeepTheirAlphaBitmapCapsOnlyLoseTheCropColour) {
  auto* button = new TSBHorzSizableImgBtn(host.get());
  button->SetParent(holder);
  button->SetBounds(4, 3, 30, 7);
  // PNGONLY: 13 x 7 of RGB(200, 100, 50) at alpha 128.
  std::unique_ptr<TPicture> png(GetPictureCopy("PNGONLY", ""));
  button->SetPicLeft(png.get());
  button->SetPicTile(SolidPicture(2, 7, 'g').get());
  button->SetPicRight(MapPicture({"RRg", "ggg", "ggg", "ggg", "ggg", "ggg", "ggg"}).get());
  button->SetCropped(true);
  Surface surface(30, 7);
  surface.Paint(button);
  const COLORREF under = ParentAt(button, 1, 1), shown = surface.Pixel(1, 1);
  auto blend = [](int s, int d) { return (s * 128 + d * 127) / 255; };
  EXPECT_NEAR(GetRValue(shown), blend(200, GetRValue(under)), 2);
  EXPECT_NEAR(GetGValue(shown), blend(100, GetGValue(under)), 2);
  EXPECT_NEAR(GetBValue(shown), blend(50, GetBValue(under)), 2);
  EXPECT_EQ(surface.Pixel(27, 0), ParentAt(button, 27, 0));
  EXPECT_EQ(surface.Pixel(29, 0), MapColor('g'));
  EXPECT_EQ(surface.Pixel(20, 3), MapColor('g'));
  // Without TransparentCrop the bitmap cap keeps its crop colour; the PNG
  // still blends (over the off-screen bitmap instead of the parent).
  button->SetTransparentCrop(false);
  Surface opaque(30, 7);
  opaque.Paint(button);
  EXPECT_EQ(opaque.Pixel(27, 0), MapColor('R'));
}

TEST_F(TransparentCrop, WideningASizableButtonKeepsBothCapsAndRepeatsTheMiddle) {
  auto* button = new TSBHorzSizableImgBtn(host.get());
  button->SetParent(holder);
  button->SetBounds(0, 0, 10, 1);
  button->SetPicLeft(MapPicture({"kk"}).get());
  button->SetPicTile(MapPicture({"by"}).get());
  button->SetPicRight(MapPicture({"gg"}).get());
  button->SetWidth(15);
  Surface surface(15, 1);
  surface.Paint(button);
  EXPECT_EQ(surface.Pixel(0, 0), MapColor('k'));
  EXPECT_EQ(surface.Pixel(1, 0), MapColor('k'));
  for (int x = 2; x < 13; ++x) EXPECT_EQ(surface.Pixel(x, 0), MapColor(x % 2 ? 'y' : 'b')) << x;
  EXPECT_EQ(surface.Pixel(13, 0), MapColor('g'));
  EXPECT_EQ(surface.Pixel(14, 0), MapColor('g'));
}

}  // namespace
