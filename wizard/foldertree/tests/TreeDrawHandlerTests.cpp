// The folder tree's drawing handler, read back from memory bitmaps: the icon
// list's size, icons drawn over the tiled background, the scroll-bar parts'
// pictures and tiles, and the corner between the bars.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "ElTree.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"
#include "kv01_0_03_5__TreeDrawHandler.hpp"

namespace {

constexpr TColor kPaper = 0xFF00FF;

// The tree's rows, bars and layout settled as the end of an update leaves
// them, and its background picture reachable.
class TDrawTree : public TElTree {
 public:
  explicit TDrawTree(TComponent* owner) : TElTree(owner) {}
  using TCustomElTree::FBackground;
  using TCustomElTree::FBackgroundType;
  using TCustomElTree::FBorderStyle;
  using TCustomElTree::FLineHeight;
  using TCustomElTree::FTopIndex;

  void Settle() {
    RecountVisibleRows();
    LayOutParts();
    View()->FillVisibleRows(FTopIndex);
    View()->UpdateLongestWidth();
    UpdateScrollBars();
    View()->FillVisibleRows(FTopIndex);
  }
};

std::unique_ptr<TBitmap> Resource(const std::string& name) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromResourceName(HInstance, name);
  return bitmap;
}

std::unique_ptr<TBitmap> Surface(int width, int height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(width, height);
  bitmap->Canvas()->Brush()->SetColor(kPaper);
  bitmap->Canvas()->FillRect(TRect{0, 0, width, height});
  return bitmap;
}

TColor Px(TBitmap& bitmap, int x, int y) { return static_cast<TColor>(GetPixel(bitmap.Canvas()->Handle(), x, y)); }

// A picture as an opaque bitmap whose pixels can be read.
std::unique_ptr<TBitmap> Pixels(TImage* image) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->Assign(image->Picture()->Graphic());
  return bitmap;
}

// Every pixel of the area shows the picture laid at the area's corner.
::testing::AssertionResult ShowsPicture(TBitmap& surface, const TRect& area, TImage* image) {
  auto picture = Pixels(image);
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Px(surface, x, y) != Px(*picture, x - area.left, y - area.top))
        return ::testing::AssertionFailure() << "differs at " << x << "," << y;
  return ::testing::AssertionSuccess();
}

// Every pixel of the area shows the tile as laid from the surface's origin.
::testing::AssertionResult ShowsFixedTile(TBitmap& surface, const TRect& area, TImage* image) {
  auto tile = Pixels(image);
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Px(surface, x, y) != Px(*tile, x % tile->Width(), y % tile->Height()))
        return ::testing::AssertionFailure() << "differs at " << x << "," << y;
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
    // Owner-drawn bars as wide as the corner picture, as the folder page has.
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

  void DrawVert(TBitmap& surface, TRect r, TElScrollBarPart part, bool focused = false, bool pressed = false) {
    bool defaultDraw = true;
    handler->VertScrollDrawPart(tree, surface.Canvas(), r, part, true, focused, pressed, defaultDraw);
    EXPECT_FALSE(defaultDraw);
  }
  void DrawHorz(TBitmap& surface, TRect r, TElScrollBarPart part, bool focused = false, bool pressed = false) {
    bool defaultDraw = true;
    handler->HorzScrollDrawPart(tree, surface.Canvas(), r, part, true, focused, pressed, defaultDraw);
    EXPECT_FALSE(defaultDraw);
  }

  TForm* form = nullptr;
  TDrawTree* tree = nullptr;
  TTreeDrawHandler* handler = nullptr;
  TTreeHandlerFormG* pictures = nullptr;
};

TEST_F(TreeDrawHandler, TheIconListTakesTheFirstIconsSizeAndTheTreeUsesIt) {
  auto first = Resource("ICON_0");
  ASSERT_NE(first->Width(), 39);  // the form's own size of the list
  EXPECT_EQ(pictures->Icons->Width(), first->Width());
  EXPECT_EQ(pictures->Icons->Height(), first->Height());
  EXPECT_EQ(pictures->Icons->Count(), 20);
  EXPECT_EQ(tree->Images(), pictures->Icons);
  // Loading again starts from an empty list.
  handler->LoadIcons();
  EXPECT_EQ(pictures->Icons->Count(), 20);
}

// Rows over the tiled background: the icon's transparent corner shows the
// tile, its opaque middle the icon's own colour; a selected item shows its
// open picture although it keeps it in the image index alone.
TEST_F(TreeDrawHandler, IconsDrawOverTheTiledBackground) {
  auto tile = Resource("TREE_BG_TILE");
  tree->FBackground = tile.get();
  tree->FBackgroundType = bgtTileBitmap;
  tree->SetShowButtons(false);
  tree->SetShowLines(false);
  tree->SetShowRoot(false);
  tree->SetAutoLineHeight(false);
  tree->SetLineHeight(41);
  TElTreeItem* closed = tree->Items()->AddLastChild(nullptr, L"closed");
  closed->SetImageIndex(14);
  TElTreeItem* open = tree->Items()->AddLastChild(nullptr, L"open");
  open->SetImageIndex(15);
  open->SetSelected(true);
  tree->Settle();
  const int width = tree->View()->Width(), height = tree->View()->Height();
  auto surface = Surface(width, height);
  auto background = Surface(width, height);
  tree->View()->PaintBackground(background->Canvas(), TRect{0, 0, width, height});
  tree->View()->PaintBackground(surface->Canvas(), TRect{0, 0, width, height});
  tree->View()->DrawRows(surface->Canvas(), 0, tree->View()->VisibleRows());
  tree->FBackground = nullptr;

  const int size = pictures->Icons->Height();
  auto check = [&](TElTreeItem* item, int row, const char* resource) {
    const int left = item->PartSpan(HitImage).Left;
    const int top = row * 41 + (41 - size) / 2;
    auto icon = Resource(resource);
    ASSERT_EQ(icon->PixelFormat(), pf32bit);
    int transparent = 0, opaque = 0;
    for (int y = 0; y < size; ++y) {
      const auto* line = static_cast<const Byte*>(icon->ScanLine(y));
      for (int x = 0; x < size; ++x) {
        const Byte* bgra = line + 4 * x;
        const TColor shown = Px(*surface, left + x, top + y);
        if (bgra[3] == 0) {
          ++transparent;
          if (row == 0) {
            EXPECT_EQ(shown, Px(*background, left + x, top + y)) << x << "," << y;
          }
        } else if (bgra[3] == 255) {
          ++opaque;
          EXPECT_EQ(shown, TColor(bgra[2] | bgra[1] << 8 | bgra[0] << 16)) << x << "," << y;
        }
      }
    }
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
  };
  check(closed, 0, "ICON_14");
  check(open, 1, "ICON_15");
}

TEST_F(TreeDrawHandler, ArrowsShowPressedBeforeHoverBeforeNormal) {
  auto surface = Surface(40, 40);
  struct Case {
    bool vertical;
    TElScrollBarPart part;
    TImage *down, *over, *normal;
  };
  const Case cases[] = {
      {true, spFirstArrow, pictures->sbUpDown, pictures->sbUpOver, pictures->sbUpNormal},
      {true, spLastArrow, pictures->sbDownDown, pictures->sbDownOver, pictures->sbDownNormal},
      {false, spFirstArrow, pictures->sbLeftDown, pictures->sbLeftOver, pictures->sbLeftNormal},
      {false, spLastArrow, pictures->sbRightDown, pictures->sbRightOver, pictures->sbRightNormal},
  };
  for (const Case& c : cases) {
    // The three pictures differ, so the one drawn is known.
    ASSERT_FALSE(ShowsPicture(*Pixels(c.down), TRect{0, 0, 16, 16}, c.over));
    ASSERT_FALSE(ShowsPicture(*Pixels(c.over), TRect{0, 0, 16, 16}, c.normal));
    const int w = c.normal->Picture()->Width(), h = c.normal->Picture()->Height();
    const TRect r{5, 7, 5 + w, 7 + h};
    for (auto [focused, pressed, expected] : {std::tuple{true, true, c.down}, std::tuple{false, true, c.down},
                                              std::tuple{true, false, c.over}, std::tuple{false, false, c.normal}}) {
      if (c.vertical)
        DrawVert(*surface, r, c.part, focused, pressed);
      else
        DrawHorz(*surface, r, c.part, focused, pressed);
      EXPECT_TRUE(ShowsPicture(*surface, r, expected)) << c.vertical << " " << int(c.part) << " " << focused << pressed;
    }
  }
}

// A thumb drawn at two places shows the same tile pattern fixed to the bar,
// between its caps; tracks likewise. An empty track tile draws nothing.
TEST_F(TreeDrawHandler, ThumbAndTrackTilesStayPutInTreeCoordinates) {
  auto vertical = Surface(16, 240);
  for (int top : {0, 23, 61}) {
    const TRect r{0, top, 16, top + 90};
    DrawVert(*vertical, r, spThumb);
    EXPECT_TRUE(ShowsPicture(*vertical, TRect{0, top, 16, top + 14}, pictures->sbThumbTop)) << top;
    EXPECT_TRUE(ShowsFixedTile(*vertical, TRect{0, top + 14, 16, top + 76}, pictures->sbThumbBg)) << top;
    EXPECT_TRUE(ShowsPicture(*vertical, TRect{0, top + 76, 16, top + 90}, pictures->sbThumbBottom)) << top;
  }
  DrawVert(*vertical, TRect{0, 157, 16, 240}, spTrackAfter);
  EXPECT_TRUE(ShowsFixedTile(*vertical, TRect{0, 157, 16, 240}, pictures->sbBg));

  auto horizontal = Surface(240, 16);
  for (int left : {0, 37, 101}) {
    const TRect r{left, 0, left + 100, 16};
    DrawHorz(*horizontal, r, spThumb);
    EXPECT_TRUE(ShowsPicture(*horizontal, TRect{left, 0, left + 14, 16}, pictures->sbHThumbLeft)) << left;
    EXPECT_TRUE(ShowsFixedTile(*horizontal, TRect{left + 14, 0, left + 86, 16}, pictures->sbHThumbBg)) << left;
    EXPECT_TRUE(ShowsPicture(*horizontal, TRect{left + 86, 0, left + 100, 16}, pictures->sbHThumbRight)) << left;
  }
  DrawHorz(*horizontal, TRect{3, 0, 101, 16}, spTrackBefore);
  EXPECT_TRUE(ShowsFixedTile(*horizontal, TRect{3, 0, 101, 16}, pictures->sbHBg));

  pictures->sbBg->Picture()->SetGraphic(nullptr);
  auto untouched = Surface(16, 100);
  DrawVert(*untouched, TRect{0, 10, 16, 90}, spTrackBefore);
  for (int y = 0; y < 100; y += 7) EXPECT_EQ(Px(*untouched, 8, y), kPaper) << y;
}

TEST_F(TreeDrawHandler, TheCornerShowsOnlyWithBothBars) {
  TSBCImage* corner = handler->Corner();
  ASSERT_EQ(corner, pictures->Ugolok);
  EXPECT_EQ(corner->Parent(), tree);
  EXPECT_EQ(corner->Left(), tree->Width() - corner->Width());
  EXPECT_EQ(corner->Top(), tree->Height() - corner->Height());
  auto paint = [&] {
    auto surface = Surface(tree->View()->Width(), tree->View()->Height());
    tree->View()->DrawRows(surface->Canvas(), 0, tree->View()->VisibleRows());
  };
  for (int i = 0; i < 30; ++i) tree->Items()->AddLastChild(nullptr, L"row");
  tree->Settle();
  ASSERT_TRUE(tree->VScrollBar()->Visible());
  ASSERT_FALSE(tree->HScrollBar()->Visible());
  paint();
  EXPECT_FALSE(corner->Visible());

  tree->Items()->AddLastChild(nullptr, TElFString(400, L'W'));
  tree->Settle();
  ASSERT_TRUE(tree->VScrollBar()->Visible());
  ASSERT_TRUE(tree->HScrollBar()->Visible());
  paint();
  EXPECT_TRUE(corner->Visible());
  // It sits in the corner between the bars, which the bars leave free.
  EXPECT_EQ(corner->Left(), tree->VScrollBar()->Left());
  EXPECT_EQ(corner->Top(), tree->HScrollBar()->Top());

  tree->Items()->Clear();
  for (int i = 0; i < 2; ++i) tree->Items()->AddLastChild(nullptr, TElFString(400, L'W'));
  tree->Settle();
  ASSERT_FALSE(tree->VScrollBar()->Visible());
  ASSERT_TRUE(tree->HScrollBar()->Visible());
  paint();
  EXPECT_FALSE(corner->Visible());
}

}  // namespace
