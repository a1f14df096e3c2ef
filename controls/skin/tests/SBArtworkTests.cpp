// The wizard's artwork read through the kit: every picture has the size the
// page layout gives it, the window's corners are cut by the crop colour,
// and the controls put together make a page, saved as a screenshot
// (skin_page.bmp in the test's build folder) for a person to look at.
#include <gtest/gtest.h>

#include <string>

#include "SBCImage.hpp"
#include "SBImgBtn.hpp"
#include "SBSizableImgBtn.hpp"
#include "SBTripleCImage.hpp"
#include "SkinTestSupport.hpp"
#include "StdCtrls.hpp"
#include "pngimage.hpp"
#include "Streaming.hpp"

using namespace skintest;

namespace {

TEST(SkinArtwork, PicturesHaveTheLayoutsSizes) {
  struct Expected {
    const char* Name;
    int Width, Height;
  };
  const Expected sizes[] = {
      {"left_light.png", 78, 38},  {"right_light_up.png", 78, 38}, {"close.png", 41, 61},
      {"close_down.png", 41, 61},  {"forward.png", 141, 31},      {"forward_up.png", 141, 31},
      {"left_top_corner.png", 27, 8}, {"sb_left_normal.bmp", 16, 18}, {"sb_thumb.bmp", 16, 11},
      {"product_48.png", 48, 48}};
  for (const Expected& e : sizes) {
    auto p = Art(e.Name);
    EXPECT_EQ(p->Width(), e.Width) << e.Name;
    EXPECT_EQ(p->Height(), e.Height) << e.Name;
  }
  for (const char* bar : {"top_left.png", "top_tile.png", "top_right.png"})
    EXPECT_EQ(Art(bar)->Height(), 38) << bar;
  for (const char* bar : {"bottom_left.png", "bottom_tile.png", "bottom_right.png"})
    EXPECT_EQ(Art(bar)->Height(), 50) << bar;
  for (const char* part : {"button_left.png", "button_tile_up.png", "button_right_down.png"})
    EXPECT_EQ(Art(part)->Height(), 22) << part;
}

// The folder page's pictures: icons for the tree's 41-pixel rows, with an
// alpha that lets the tiled background show, and the picture form's
// scroll-bar parts at the sizes the drawing handler tiles and places.
TEST(SkinArtwork, FolderTreePicturesHaveTheirSizes) {
  for (int n = 0; n < 20; ++n) {
    auto icon = Art("tree_icon_" + std::to_string(n) + ".png");
    EXPECT_EQ(icon->Width(), 32) << n;
    EXPECT_EQ(icon->Height(), 32) << n;
    auto* png = dynamic_cast<TPNGObject*>(icon->Graphic());
    ASSERT_TRUE(png != nullptr) << n;
    EXPECT_EQ(png->TransparencyKind(), ptkPartial) << n;
  }
  struct Expected {
    const char* Name;
    int Width, Height;
  };
  const Expected sizes[] = {
      {"tree_sb_up_normal.png", 16, 18},   {"tree_sb_up_down.png", 16, 18},     {"tree_sb_up_over.png", 16, 18},
      {"tree_sb_down_normal.png", 16, 18}, {"tree_sb_down_down.png", 16, 18},   {"tree_sb_down_over.png", 16, 18},
      {"tree_sb_left_normal.png", 18, 16}, {"tree_sb_left_down.png", 18, 16},   {"tree_sb_left_over.png", 18, 16},
      {"tree_sb_right_normal.png", 18, 16}, {"tree_sb_right_down.png", 18, 16}, {"tree_sb_right_over.png", 18, 16},
      {"tree_sb_track.png", 16, 41},       {"tree_sb_htrack.png", 40, 16},      {"tree_sb_thumb_tile.png", 16, 52},
      {"tree_sb_thumb_top.png", 16, 14},   {"tree_sb_thumb_bottom.png", 16, 14}, {"tree_sb_hthumb_tile.png", 52, 16},
      {"tree_sb_hthumb_left.png", 14, 16}, {"tree_sb_hthumb_right.png", 14, 16}, {"tree_corner.png", 16, 16}};
  for (const Expected& e : sizes) {
    auto p = Art(e.Name);
    EXPECT_EQ(p->Width(), e.Width) << e.Name;
    EXPECT_EQ(p->Height(), e.Height) << e.Name;
  }
  // The edit's tile covers its 16-pixel height in one row of copies.
  EXPECT_GE(Art("edit_bg_tile.png")->Height(), 16);
  EXPECT_EQ(Art("tree_plus.png")->Width(), Art("tree_minus.png")->Width());
}

// The page's frame and some of its controls, as the base page lays them out.
class ArtworkPage : public ::testing::Test {
 protected:
  void SetUp() override {
    host->SetBounds(0, 0, 500, 400);
    holder = new TSBCImage(host.get());
    holder->SetParent(host.get());
    holder->SetBounds(0, 0, 500, 400);
    holder->SetPicture(Art("holder_tile.jpg").get());
    holder->SetTile(true);
    top = Bar(0, 0, 500, 38, "top");
    bottom = Bar(0, 350, 500, 50, "bottom");
    Image(0, 38, 27, 8, "left_top_corner.png", false)->SetCropped(true);
    Image(0, 46, 26, 304, "left_border_tile.png", true);
    Image(474, 38, 26, 312, "right_border_tile.png", true);
    Button(top, 0, 0, 78, 38, "left_light");
    Button(top, 422, 0, 78, 38, "right_light");
    // The close tab's window has the tab's shape: what lies beside it shows.
    Button(holder, 453, 31, 41, 61, "close")->SetTransparentCrop(false);
    forward = Button(bottom, 330, 4, 141, 31, "forward");
    auto* label = new TLabel(host.get());
    label->SetParent(top);
    label->SetBounds(64, 7, 369, 31);
    label->SetAlignment(taCenter);
    label->SetTransparent(true);
    label->Font()->SetName("Tahoma");
    label->Font()->SetHeight(-15);
    label->Font()->SetStyle(TFontStyles{fsBold});
    label->Font()->SetColor(6309170);
    label->SetCaption("Lumbrix 2008");
  }
  TSBTripleCImage* Bar(int x, int y, int w, int h, const std::string& name) {
    auto* bar = new TSBTripleCImage(host.get());
    bar->SetParent(holder);
    bar->SetBounds(x, y, w, h);
    bar->SetPictureLeft(Art(name + "_left.png").get());
    bar->SetPictureTile(Art(name + "_tile.png").get());
    bar->SetPictureRight(Art(name + "_right.png").get());
    bar->SetCropped(true);
    return bar;
  }
  TSBCImage* Image(int x, int y, int w, int h, const char* file, bool tile) {
    auto* image = new TSBCImage(host.get());
    image->SetParent(holder);
    image->SetBounds(x, y, w, h);
    image->SetPicture(Art(file).get());
    image->SetTile(tile);
    return image;
  }
  TSBImgBtn* Button(TWinControl* parent, int x, int y, int w, int h, const std::string& name) {
    auto* button = new TSBImgBtn(host.get());
    button->SetParent(parent);
    button->SetBounds(x, y, w, h);
    button->SetCaption("");
    button->SetPic(Art(name + ".png").get());
    button->SetPicUp(Art(name + "_up.png").get());
    button->SetPicDown(Art(name + "_down.png").get());
    button->SetCropped(true);
    return button;
  }
  TSBHorzSizableImgBtn* Sizable(int x, int y, int w, const char* caption, const char* icon) {
    auto* b = new TSBHorzSizableImgBtn(host.get());
    b->SetParent(bottom);
    b->SetBounds(x, y, w, 22);
    for (const char* state : {"", "_up", "_down"}) {
      const std::string s = state;
      auto left = Art("button_left" + s + ".png"), tile = Art("button_tile" + s + ".png"),
           right = Art("button_right" + s + ".png");
      if (s.empty()) b->SetPicLeft(left.get()), b->SetPicTile(tile.get()), b->SetPicRight(right.get());
      if (s == "_up") b->SetPicLeftUp(left.get()), b->SetPicTileUp(tile.get()), b->SetPicRightUp(right.get());
      if (s == "_down") b->SetPicLeftDown(left.get()), b->SetPicTileDown(tile.get()), b->SetPicRightDown(right.get());
    }
    b->SetPicIcon(Art(icon).get());
    b->SetPicIconAlignment(taRightJustify);
    b->SetPicIconLayout(tlCenter);
    b->SetPicIconH(8);
    b->SetTextUseMargins(true);
    b->SetTextRightMargin(15);
    b->SetCropped(true);
    b->Font()->SetStyle(TFontStyles{fsBold});
    b->Font()->SetColor(6309170);
    b->SetCaption(streaming_detail::WideToAnsi(streaming_detail::Utf8ToWide(caption)));
    return b;
  }
  HostForm host;
  TSBCImage* holder = nullptr;
  TSBTripleCImage* top = nullptr;
  TSBTripleCImage* bottom = nullptr;
  TSBImgBtn* forward = nullptr;
};

TEST_F(ArtworkPage, TheBarsCutTheWindowsRoundedCorners) {
  host->HandleNeeded();
  for (TSBTripleCImage* bar : {top, bottom}) {
    bar->HandleNeeded();
    const int y = bar == top ? 0 : 49;
    EXPECT_FALSE(InRegion(bar, 0, y));
    EXPECT_FALSE(InRegion(bar, 499, y));
    EXPECT_TRUE(InRegion(bar, 12, y));
    EXPECT_TRUE(InRegion(bar, 250, y));
    EXPECT_TRUE(InRegion(bar, 0, 25));
  }
  forward->HandleNeeded();
  EXPECT_TRUE(InRegion(forward, 70, 15));
}

TEST_F(ArtworkPage, APageOfKitControlsIsSavedAsAScreenshot) {
  Sizable(53, 16, 188, "Выбрать папку", "icon_folder.png");
  auto* product = new TSBCImage(host.get());
  product->SetParent(holder);
  product->SetBounds(60, 120, 48, 48);
  product->SetPicture(Art("product_48.png").get());
  product->SetCropped(true);
  product->SetTransparentCrop(true);
  auto* track = Image(32, 304, 433, 16, "progress_track_tile.png", true);
  auto* progress = new TSBTripleCImage(host.get());
  progress->SetParent(track);
  progress->SetBounds(0, 0, 260, 16);
  progress->SetPictureLeft(Art("progress_left.png").get());
  progress->SetPictureTile(Art("progress_tile.png").get());
  progress->SetPictureRight(Art("progress_right.png").get());
  // The forward button hovered, to show that look too.
  forward->Perform(CM_MOUSEENTER, 0, 0);
  host->Show();
  PumpMessages();
  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(500, 400);
  host->PaintTo(shot.Canvas()->Handle(), 0, 0);
  shot.SaveToFile("skin_page.bmp");
  host->Hide();
  // The page's body shows the warm tile, the bars the frame colours.
  const TColor body = shot.Canvas()->Pixels(250, 200);
  EXPECT_GT(GetRValue(body), GetBValue(body));
  const TColor bar = shot.Canvas()->Pixels(250, 390);
  EXPECT_LT(GetRValue(bar), GetBValue(bar));
}

}  // namespace
