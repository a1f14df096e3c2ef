// The HTML renderer painting on memory bitmaps, its pixels checked against
// the places its own layout gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ElDrawTestSupport.hpp"
#include "ElVCLUtils.hpp"
#include "HTMLRender.hpp"

using namespace eltest;

namespace {

// A renderer with the default measurer and a white surface to paint on.
class PaintFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    surface = MakeSurface(kWidth, kHeight, clWhite);
    TElHTMLData* d = render.Data();
    d->DefaultColor = clBlack;
    d->DefaultHeight = -13;
  }

  TElHTMLData& Paint(const std::wstring& text, TPoint origin = {0, 0}, TColor dim = clNone) {
    render.PrepareText(text, 0, false);
    render.DrawText(surface->Canvas(), origin, dim, TRect{0, 0, kWidth - 1, kHeight - 1});
    return *render.Data();
  }

  // The box of the run in the first line: from the pen position after the
  // runs before it, over the whole line height.
  TRect RunBox(const std::wstring& text) {
    TElHTMLData& d = *render.Data();
    int x = d.Item(0)->Indent;
    for (int i = 1; i < d.ItemCount() && !d.Item(i)->IsBreak(); ++i) {
      if (d.Item(i)->Text == text) return TRect{x, 0, x + d.Item(i)->Width, d.Item(0)->Height};
      x += d.Item(i)->Width;
    }
    ADD_FAILURE() << "no run";
    return TRect{0, 0, 0, 0};
  }

  int Count(const TRect& r, TColor c) { return CountColor(*surface, r, c); }
  int CountAll(TColor c) { return Count(TRect{0, 0, kWidth, kHeight}, c); }

  // The most pixels of the colour in one row of the box.
  int WidestRow(const TRect& r, TColor c) {
    int best = 0;
    for (int y = r.top; y < r.bottom; ++y) best = std::max(best, Count(TRect{r.left, y, r.right, y + 1}, c));
    return best;
  }

  static constexpr int kWidth = 160;
  static constexpr int kHeight = 60;
  std::unique_ptr<TBitmap> surface;
  TElHTMLRender render;
};

}  // namespace

TEST_F(PaintFixture, LinksAreDrawnInTheLinkColourAndUnderlined) {
  Paint(L"plain <a href=x>link</a>");
  const TRect plain = RunBox(L"plain "), link = RunBox(L"link");
  ASSERT_GT(link.right - link.left, 10);
  EXPECT_GT(Count(plain, clBlack), 0);
  EXPECT_EQ(Count(plain, clBlue), 0);
  EXPECT_GT(Count(link, clBlue), 0);
  EXPECT_EQ(Count(link, clBlack), 0);
  EXPECT_EQ(CountAll(clBlue), Count(link, clBlue));
  // An underline runs under the whole link, none under the plain text.
  const int linkText = link.right - link.left - 1;
  EXPECT_GE(WidestRow(link, clBlue), linkText - 1);
  EXPECT_LT(WidestRow(plain, clBlack), plain.right - plain.left - 4);
}

TEST_F(PaintFixture, TextGoesOverTheExistingBackground) {
  Paint(L"a<font bgcolor=#00FF00>mm</font>b");
  const TRect a = RunBox(L"a"), mm = RunBox(L"mm");
  EXPECT_GT(Count(a, clWhite), 0);  // no fill behind runs without a background
  EXPECT_EQ(Count(a, clLime), 0);
  EXPECT_GT(Count(mm, clLime), 0);
  EXPECT_EQ(CountAll(clLime), Count(mm, clLime));
  EXPECT_EQ(Count(TRect{0, a.bottom + 1, kWidth, kHeight}, clWhite), kWidth * (kHeight - a.bottom - 1));
}

TEST_F(PaintFixture, OverrideColoursSpareExplicitOnes) {
  render.PrepareText(L"<font color=#00FF00>g</font>p<b>h</b>", 0, false);
  TElHTMLData& d = *render.Data();
  d.HighlightItem = d.Item(3);  // "h"
  render.DrawTextEx(surface->Canvas(), TPoint{0, 0}, clNone, clYellow, clBlue, clNone, clRed, true,
                    TRect{0, 0, kWidth - 1, kHeight - 1});
  EXPECT_GT(Count(RunBox(L"g"), clLime), 0);
  EXPECT_EQ(Count(RunBox(L"g"), clRed), 0);
  EXPECT_GT(Count(RunBox(L"p"), clRed), 0);
  EXPECT_GT(Count(RunBox(L"h"), clBlue), 0);
  EXPECT_GT(Count(RunBox(L"h"), clYellow), 0);
  EXPECT_EQ(CountAll(clBlack), 0);
}

TEST_F(PaintFixture, DimmedTextMovesTowardsTheDimColoursSide) {
  render.Data()->DefaultColor = clRed;
  Paint(L"dimmed", TPoint{0, 0}, clWhite);
  EXPECT_EQ(CountAll(clRed), 0);
  EXPECT_GT(CountAll(RGBToColor(127, 0, 0)), 0);
  surface = MakeSurface(kWidth, kHeight, clWhite);
  Paint(L"dimmed", TPoint{0, 0}, clBlack);
  EXPECT_GT(CountAll(RGBToColor(255, 127, 127)), 0);
}

TEST_F(PaintFixture, RulesSpanTheAreaOrTheirWidth) {
  TElHTMLData& d = Paint(L"x<hr>y");
  // para, x, br, rule, br, y: the rule's line starts at the first line's bottom.
  const int top = d.Item(0)->Height, y = top + d.Item(2)->Height / 2;
  EXPECT_EQ(Count(TRect{0, y, kWidth, y + 1}, clBtnShadow), kWidth);
  EXPECT_EQ(Count(TRect{0, y + 1, kWidth, y + 2}, clBtnFace), kWidth);
  surface = MakeSurface(kWidth, kHeight, clWhite);
  Paint(L"x<hr width=30>y");
  EXPECT_EQ(Count(TRect{0, y, kWidth, y + 1}, clBtnShadow), 30);
}

TEST_F(PaintFixture, ListItemsGetABulletLeftOfTheirText) {
  TElHTMLData& d = Paint(L"<ul><li>item</ul>");
  auto* li = static_cast<TElHTMLBreakItem*>(d.Item(1));
  ASSERT_EQ(li->ItemType, hitListItem);
  const int top = d.Item(0)->Height;
  const TRect bullet{0, top, li->Indent - 1, top + li->Height};
  EXPECT_GT(Count(bullet, clBlack), 4);
  EXPECT_EQ(Count(TRect{0, 0, kWidth, top}, clBlack), 0);  // the empty first line
}

namespace {

struct Picture {
  TBitmap bitmap;
  void Need(TObject*, const TElFString&, TBitmap*& image) { image = &bitmap; }
};

}  // namespace

TEST_F(PaintFixture, ImagesLeaveOutTheirBottomLeftColour) {
  Picture picture;
  picture.bitmap.SetPixelFormat(pf24bit);
  picture.bitmap.SetSize(6, 6);
  picture.bitmap.Canvas()->Brush()->SetColor(clFuchsia);
  picture.bitmap.Canvas()->FillRect(TRect{0, 0, 6, 6});
  picture.bitmap.Canvas()->Brush()->SetColor(clBlue);
  picture.bitmap.Canvas()->FillRect(TRect{2, 2, 4, 4});
  render.OnImageNeeded = MakeEvent(&picture, &Picture::Need);
  Paint(L"ab<img src=p>");
  const TRect image = RunBox(L"p");  // the image item holds its src as text
  EXPECT_EQ(image.right - image.left, 6);
  EXPECT_EQ(Count(image, clBlue), 4);
  EXPECT_EQ(Count(TRect{image.left + 2, 2, image.left + 4, 4}, clBlue), 4);
  EXPECT_EQ(CountAll(clFuchsia), 0);
}

TEST_F(PaintFixture, TheOriginScrollsAndTheRectangleMoves) {
  TElHTMLData& d = *render.Data();
  render.PrepareText(L"<font color=#FF0000>aaa</font><br><font color=#0000FF>bbb</font>", 0, false);
  const int first = d.Item(0)->Height;
  render.DrawText(surface->Canvas(), TPoint{0, first}, clNone, TRect{0, 0, kWidth - 1, kHeight - 1});
  EXPECT_EQ(CountAll(clRed), 0);
  EXPECT_GT(Count(TRect{0, 0, kWidth, first}, clBlue), 0);

  surface = MakeSurface(kWidth, kHeight, clWhite);
  render.DrawText(surface->Canvas(), TPoint{0, 0}, clNone, TRect{40, 10, 99, 49});
  EXPECT_EQ(d.Rect.left, 40);
  EXPECT_EQ(Count(TRect{0, 0, 40, kHeight}, clRed) + Count(TRect{0, 0, kWidth, 10}, clRed), 0);
  EXPECT_GT(Count(TRect{40, 10, 100, 10 + first}, clRed), 0);
  EXPECT_GT(Count(TRect{40, 10 + first, 100, 50}, clBlue), 0);
}
