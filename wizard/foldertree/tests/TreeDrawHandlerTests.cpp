// The folder tree's drawing handler, read back from memory bitmaps: icons
// over the tiled background, the bar parts' pictures and fixed tiles, and
// the corner between the bars.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>

#include "ElTree.hpp"
#include "Forms.hpp"
#include "SBCropRegion.hpp"
#include "SBResourceStorage.hpp"
#include "SysUtils.hpp"
#include "kv01_0_03_5__TreeDrawHandler.hpp"

namespace {

constexpr TColor kPaper = 0xFF00FF;

class TDrawTree : public TElTree {
 public:
  explicit TDrawTree(TComponent* owner) : TElTree(owner) {}
  using TCustomElTree::FBackground;
  using TCustomElTree::FBackgroundType;
  using TCustomElTree::FBorderStyle;
  using TCustomElTree::FTopIndex;
  // Rows, bars and layout as the end of an update leaves them.
  void Settle() {
    RecountVisibleRows();
    LayOutParts();
    View()->FillVisibleRows(FTopIndex);
    View()->UpdateLongestWidth();
    UpdateScrollBars();
    View()->FillVisibleRows(FTopIndex);
  }
};

// A skin picture's pixels through the kit's loader, or a paper-filled
// bitmap of the size.
std::unique_ptr<TBitmap> Bitmap(const std::string& resource, int width = 0, int height = 0) {
  if (!resource.empty()) {
    std::unique_ptr<TPicture> picture(GetPictureCopy(resource, ""));
    std::unique_ptr<TBitmap> pixels = PictureAsBitmap(picture.get());
    if (!pixels) throw std::runtime_error("no picture " + resource);
    return pixels;
  }
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(width, height);
  bitmap->Canvas()->Brush()->SetColor(kPaper);
  bitmap->Canvas()->FillRect(TRect{0, 0, width, height});
  return bitmap;
}

TColor Px(TBitmap& bitmap, int x, int y) { return static_cast<TColor>(GetPixel(bitmap.Canvas()->Handle(), x, y)); }

// Every pixel of the area shows the picture laid at the area's corner, or
// with `fixed` tiled from the surface's origin.
::testing::AssertionResult Shows(TBitmap& surface, const TRect& area, TImage* image, bool fixed = false) {
  TBitmap picture;
  picture.Assign(image->Picture()->Graphic());
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const int px = fixed ? x % picture.Width() : x - area.left, py = fixed ? y % picture.Height() : y - area.top;
      if (Px(surface, x, y) != Px(picture, px, py)) return ::testing::AssertionFailure() << "at " << x << "," << y;
    }
  return ::testing::AssertionSuccess();
}

class TreeDrawHandler : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBounds(0, 0, 300, 240);
    tree = TObject::Create<TDrawTree>(form);
    tree->SetUseXPThemes(false);
    tree->FBorderStyle = bsNone;
    tree->SetBounds(0, 0, 240, 160);
    tree->SetParent(form);
    tree->SetUseCustomScrollBars(true);
    // Owner-drawn bars as wide as the corner picture, as on the folder page.
    for (TElScrollBarStyles* styles : {tree->HorzScrollBarStyles(), tree->VertScrollBarStyles()}) {
      styles->SetUseSystemMetrics(false);
      styles->SetWidth(16);
      styles->SetOwnerDraw(true);
    }
    tree->HandleNeeded();
    handler = TObject::Create<TTreeDrawHandler>(tree);
    handler->Attach(tree);
    pictures = handler->Pictures();
  }
  void TearDown() override { form->Free(); }

  void Draw(bool vertical, TBitmap& surface, TRect r, TElScrollBarPart part, bool focused = false,
            bool pressed = false) {
    bool defaultDraw = true;
    (handler->*(vertical ? &TTreeDrawHandler::VertScrollDrawPart : &TTreeDrawHandler::HorzScrollDrawPart))(
        tree, surface.Canvas(), r, part, true, focused, pressed, defaultDraw);
    EXPECT_FALSE(defaultDraw);
  }

  TForm* form = nullptr;
  TDrawTree* tree = nullptr;
  TTreeDrawHandler* handler = nullptr;
  TTreeHandlerFormG* pictures = nullptr;
};

// The list takes ICON_0's size, not the form's 39 x 27. Over the tiled
// background an icon's transparent pixels show the tile and its opaque ones
// its own colour; a selected item shows its open picture although it keeps
// it in the image index alone.
TEST_F(TreeDrawHandler, IconsOfTheFirstIconsSizeDrawOverTheTiledBackground) {
  const int size = Bitmap("ICON_0")->Height();
  EXPECT_EQ(pictures->Icons->Width(), Bitmap("ICON_0")->Width());
  EXPECT_EQ(pictures->Icons->Height(), size);
  EXPECT_EQ(pictures->Icons->Count(), 20);
  auto tile = Bitmap("TREE_BG_TILE");
  tree->FBackground = tile.get();
  tree->FBackgroundType = bgtTileBitmap;
  tree->SetShowButtons(false);
  tree->SetShowLines(false);
  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(41);
  TElTreeItem* closed = tree->Items()->AddLastChild(nullptr, L"closed");
  closed->SetImageIndex(14);
  TElTreeItem* open = tree->Items()->AddLastChild(nullptr, L"open");
  open->SetImageIndex(15);
  open->SetSelected(true);
  tree->Settle();
  const TRect all{0, 0, tree->View()->Width(), tree->View()->Height()};
  auto surface = Bitmap("", all.right, all.bottom), background = Bitmap("", all.right, all.bottom);
  tree->View()->PaintBackground(background->Canvas(), all);
  tree->View()->PaintBackground(surface->Canvas(), all);
  tree->View()->DrawRows(surface->Canvas(), 0, tree->View()->VisibleRows());
  tree->FBackground = nullptr;

  for (auto [item, row, resource] : {std::tuple{closed, 0, "ICON_14"}, std::tuple{open, 1, "ICON_15"}}) {
    const int left = item->PartSpan(HitImage).Left, top = row * 41 + (41 - size) / 2;
    // The icon as stored: its colours and its alpha plane.
    std::unique_ptr<TPNGObject> icon(LoadPngResource(resource, ""));
    ASSERT_TRUE(icon && icon->HeaderChunk()->AlphaRow(0)) << resource;
    ASSERT_EQ(icon->Height(), size);
    int transparent = 0, opaque = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Byte alpha = icon->HeaderChunk()->AlphaRow(std::uint32_t(y))[x];
        const TColor shown = Px(*surface, left + x, top + y);
        if (alpha == 0 && row == 0) {
          ++transparent;
          EXPECT_EQ(shown, Px(*background, left + x, top + y)) << x << "," << y;
        } else if (alpha == 255) {
          ++opaque;
          EXPECT_EQ(shown, icon->ReadPixelColor(x, y)) << resource << " " << x << "," << y;
        }
      }
    EXPECT_GT(opaque, 0);
    EXPECT_EQ(transparent > 0, row == 0);
  }
}

TEST_F(TreeDrawHandler, BarPartsShowPressedBeforeHoverBeforeNormalAndTilesFixedToTheBar) {
  auto surface = Bitmap("", 40, 40);
  const std::tuple<bool, TElScrollBarPart, TImage*, TImage*, TImage*> arrows[] = {
      {true, spFirstArrow, pictures->sbUpDown, pictures->sbUpOver, pictures->sbUpNormal},
      {true, spLastArrow, pictures->sbDownDown, pictures->sbDownOver, pictures->sbDownNormal},
      {false, spFirstArrow, pictures->sbLeftDown, pictures->sbLeftOver, pictures->sbLeftNormal},
      {false, spLastArrow, pictures->sbRightDown, pictures->sbRightOver, pictures->sbRightNormal}};
  for (auto [vertical, part, down, over, normal] : arrows) {
    const TRect r{5, 7, 5 + normal->Picture()->Width(), 7 + normal->Picture()->Height()};
    for (auto [focused, pressed, expected] : {std::tuple{true, false, over}, std::tuple{false, false, normal},
                                              std::tuple{true, true, down}, std::tuple{false, true, down}}) {
      Draw(vertical, *surface, r, part, focused, pressed);
      // The expected picture and none of the others (they differ).
      for (TImage* picture : {down, over, normal})
        EXPECT_EQ(bool(Shows(*surface, r, picture)), picture == expected) << vertical << int(part) << focused << pressed;
    }
  }

  // Thumbs drawn at three places: caps at their ends, the tile between them
  // as laid from the bar's origin; tracks likewise.
  auto vertical = Bitmap("", 16, 240), horizontal = Bitmap("", 240, 16);
  for (int at : {0, 23, 61}) {
    Draw(true, *vertical, TRect{0, at, 16, at + 90}, spThumb);
    EXPECT_TRUE(Shows(*vertical, TRect{0, at, 16, at + 14}, pictures->sbThumbTop)) << at;
    EXPECT_TRUE(Shows(*vertical, TRect{0, at + 14, 16, at + 76}, pictures->sbThumbBg, true)) << at;
    EXPECT_TRUE(Shows(*vertical, TRect{0, at + 76, 16, at + 90}, pictures->sbThumbBottom)) << at;
    Draw(false, *horizontal, TRect{at, 0, at + 100, 16}, spThumb);
    EXPECT_TRUE(Shows(*horizontal, TRect{at, 0, at + 14, 16}, pictures->sbHThumbLeft)) << at;
    EXPECT_TRUE(Shows(*horizontal, TRect{at + 14, 0, at + 86, 16}, pictures->sbHThumbBg, true)) << at;
    EXPECT_TRUE(Shows(*horizontal, TRect{at + 86, 0, at + 100, 16}, pictures->sbHThumbRight)) << at;
  }
  Draw(true, *vertical, TRect{0, 157, 16, 240}, spTrackAfter);
  EXPECT_TRUE(Shows(*vertical, TRect{0, 157, 16, 240}, pictures->sbBg, true));
  Draw(false, *horizontal, TRect{3, 0, 101, 16}, spTrackBefore);
  EXPECT_TRUE(Shows(*horizontal, TRect{3, 0, 101, 16}, pictures->sbHBg, true));

  // An empty track tile draws nothing.
  pictures->sbBg->Picture()->SetGraphic(nullptr);
  auto untouched = Bitmap("", 16, 100);
  Draw(true, *untouched, TRect{0, 10, 16, 90}, spTrackBefore);
  for (int y = 0; y < 100; y += 7) EXPECT_EQ(Px(*untouched, 8, y), kPaper) << y;
}

TEST_F(TreeDrawHandler, TheCornerShowsOnlyWithBothBars) {
  TSBCImage* corner = handler->Corner();
  ASSERT_EQ(corner->Parent(), tree);
  auto layOutAndPaint = [&](int rows, int longRows) {
    tree->Items()->Clear();
    for (int i = 0; i < rows; ++i) tree->Items()->AddLastChild(nullptr, L"row");
    for (int i = 0; i < longRows; ++i) tree->Items()->AddLastChild(nullptr, TElFString(400, L'W'));
    tree->Settle();
    auto surface = Bitmap("", tree->View()->Width(), tree->View()->Height());
    tree->View()->DrawRows(surface->Canvas(), 0, tree->View()->VisibleRows());
    return std::pair{tree->VScrollBar()->Visible(), tree->HScrollBar()->Visible()};
  };
  EXPECT_EQ(layOutAndPaint(30, 0), std::pair(true, false));
  EXPECT_FALSE(corner->Visible());
  EXPECT_EQ(layOutAndPaint(30, 1), std::pair(true, true));
  EXPECT_TRUE(corner->Visible());
  // In the corner the bars leave free.
  EXPECT_EQ(corner->Left(), tree->VScrollBar()->Left());
  EXPECT_EQ(corner->Top(), tree->HScrollBar()->Top());
  EXPECT_EQ(layOutAndPaint(0, 2), std::pair(false, true));
  EXPECT_FALSE(corner->Visible());

  // A handler freed before its tree leaves no event bound to it: the tree
  // painting afterwards reaches nothing freed.
  handler->Free();
  handler = nullptr;
  EXPECT_FALSE(tree->OnItemDraw || tree->OnItemPostDraw || tree->OnItemPicDraw || tree->OnHorzScrollDrawPart ||
               tree->OnVertScrollDrawPart);
  layOutAndPaint(30, 1);
}

}  // namespace
