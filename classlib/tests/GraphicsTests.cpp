// Colours, fonts, pens, brushes and canvas drawing, checked by the pixels
// that land in memory bitmaps of every pixel format.
#include <gtest/gtest.h>

#include "Graphics.hpp"
#include "GraphicsTestSupport.hpp"

using namespace gfxtest;

// --- Colours ------------------------------------------------------------------

TEST(GraphicsColor, SystemColoursResolveThroughGetSysColor) {
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clHighlight), static_cast<TColor>(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(ColorToRGB(clInfoBk), static_cast<TColor>(GetSysColor(COLOR_INFOBK)));
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
  EXPECT_EQ(static_cast<std::uint32_t>(clWindow), 0x80000005u);
  EXPECT_EQ(clRed, 0x0000FF);
  EXPECT_EQ(clBlue, 0xFF0000);
}

TEST(GraphicsColor, IdentsAreCaseInsensitiveAndRoundTrip) {
  TColor c = 0;
  ASSERT_TRUE(IdentToColor("CLRED", c));
  EXPECT_EQ(c, clRed);
  ASSERT_TRUE(IdentToColor("clbtnface", c));
  EXPECT_EQ(c, clBtnFace);
  EXPECT_FALSE(IdentToColor("clNoSuchColour", c));
  EXPECT_FALSE(IdentToColor("Red", c));
  std::string name;
  ASSERT_TRUE(ColorToIdent(clWindowText, name));
  EXPECT_EQ(name, "clWindowText");
  ASSERT_TRUE(ColorToIdent(clGray, name));
  EXPECT_EQ(name, "clGray");
  EXPECT_FALSE(ColorToIdent(0x123456, name));
  for (const char* ident : {"clBlack", "clNone", "clDefault", "clMoneyGreen", "clHotLight", "cl3DDkShadow"}) {
    ASSERT_TRUE(IdentToColor(ident, c)) << ident;
    ASSERT_TRUE(ColorToIdent(c, name));
    EXPECT_EQ(name, ident);
  }
}

// --- Fonts, pens, brushes -------------------------------------------------------

TEST(GraphicsFont, SizeAndHeightFollowPixelsPerInch) {
  TFont font;
  EXPECT_EQ(font.PixelsPerInch(), ScreenPixelsPerInch());
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -MulDiv(12, font.PixelsPerInch(), 72));
  EXPECT_EQ(font.Size(), 12);
  font.SetPixelsPerInch(120);
  font.SetSize(9);
  EXPECT_EQ(font.Height(), -15);
  font.SetHeight(-20);
  EXPECT_EQ(font.Size(), 12);
}

TEST(GraphicsFont, ChangesNotifyAndRebuildTheHandle) {
  TFont font;
  Counter counter;
  font.OnChange = MakeEvent(&counter, &Counter::Handle);
  font.SetName("Arial");
  font.SetHeight(-30);
  font.SetStyle({fsBold, fsItalic});
  font.SetColor(clRed);
  font.SetHeight(-30);  // unchanged: no notice
  EXPECT_EQ(counter.count, 4);
  EXPECT_EQ(counter.sender, &font);
  LOGFONTA lf{};
  ASSERT_NE(GetObjectA(font.Handle(), sizeof(lf), &lf), 0);
  EXPECT_EQ(lf.lfHeight, -30);
  EXPECT_GE(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  font.SetStyle({});
  ASSERT_NE(GetObjectA(font.Handle(), sizeof(lf), &lf), 0);
  EXPECT_LT(lf.lfWeight, FW_BOLD);
}

TEST(GraphicsFont, AssignCopiesEverythingButTheHandle) {
  TFont a, b;
  a.SetName("Courier New");
  a.SetHeight(-17);
  a.SetStyle({fsUnderline});
  a.SetColor(clGreen);
  a.SetCharset(RUSSIAN_CHARSET);
  b.Assign(&a);
  EXPECT_EQ(b.Name(), "Courier New");
  EXPECT_EQ(b.Height(), -17);
  EXPECT_EQ(b.Style(), TFontStyles{fsUnderline});
  EXPECT_EQ(b.Color(), clGreen);
  EXPECT_EQ(b.Charset(), RUSSIAN_CHARSET);
  EXPECT_NE(a.Handle(), b.Handle());
  TPen pen;
  EXPECT_THROW(b.Assign(&pen), EConvertError);
}

TEST(GraphicsPenBrush, HandlesReflectTheProperties) {
  TPen pen;
  pen.SetColor(clRed);
  pen.SetWidth(3);
  pen.SetStyle(psDash);
  LOGPEN lp{};
  ASSERT_NE(GetObjectA(pen.Handle(), sizeof(lp), &lp), 0);
  EXPECT_EQ(lp.lopnColor, RGB(255, 0, 0));
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DASH));

  TBrush brush;
  Counter counter;
  brush.OnChange = MakeEvent(&counter, &Counter::Handle);
  brush.SetStyle(bsClear);
  EXPECT_EQ(brush.Handle(), GetStockObject(NULL_BRUSH));
  brush.SetColor(clLime);  // a colour makes a clear brush solid
  EXPECT_EQ(brush.Style(), bsSolid);
  LOGBRUSH lb{};
  ASSERT_NE(GetObjectA(brush.Handle(), sizeof(lb), &lb), 0);
  EXPECT_EQ(lb.lbStyle, UINT(BS_SOLID));
  EXPECT_EQ(lb.lbColor, RGB(0, 255, 0));
  brush.SetStyle(bsCross);
  ASSERT_NE(GetObjectA(brush.Handle(), sizeof(lb), &lb), 0);
  EXPECT_EQ(lb.lbStyle, UINT(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_CROSS));
  EXPECT_EQ(counter.count, 3);
}

// --- Canvas drawing on every pixel format -------------------------------------------

class GraphicsCanvasFormat : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(GraphicsCanvasFormat, FillFrameAndRectangleLandOnTheirPixels) {
  TPixelFormat format = GetParam();
  TColor ink = format == pf1bit ? clBlack : clRed;
  auto bmp = MakeBitmap(format, 20, 20, clWhite);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(ink);
  c->FillRect(TRect{2, 3, 6, 8});
  EXPECT_TRUE(Near(Px(*bmp, 2, 3), ink));
  EXPECT_TRUE(Near(Px(*bmp, 5, 7), ink));
  EXPECT_TRUE(Near(Px(*bmp, 6, 7), clWhite));  // right and bottom edges are exclusive
  EXPECT_TRUE(Near(Px(*bmp, 5, 8), clWhite));
  EXPECT_TRUE(Near(Px(*bmp, 1, 3), clWhite));

  c->FrameRect(TRect{10, 10, 16, 15});
  EXPECT_TRUE(Near(Px(*bmp, 10, 10), ink));
  EXPECT_TRUE(Near(Px(*bmp, 15, 14), ink));
  EXPECT_TRUE(Near(Px(*bmp, 12, 12), clWhite));

  // Pen outline, brush inside.
  TColor fill = format == pf1bit ? clWhite : clBlue;
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(fill);
  c->Rectangle(2, 12, 8, 18);
  EXPECT_TRUE(Near(Px(*bmp, 2, 12), clBlack));
  EXPECT_TRUE(Near(Px(*bmp, 7, 17), clBlack));
  EXPECT_TRUE(Near(Px(*bmp, 4, 14), fill));
  EXPECT_TRUE(Near(Px(*bmp, 8, 18), clWhite));
}

TEST_P(GraphicsCanvasFormat, LinesPixelsAndShapes) {
  TPixelFormat format = GetParam();
  TColor ink = format == pf1bit ? clBlack : clBlue;
  auto bmp = MakeBitmap(format, 24, 24, clWhite);
  TCanvas* c = bmp->Canvas();
  c->Pen()->SetColor(ink);
  c->MoveTo(1, 1);
  c->LineTo(10, 1);
  EXPECT_EQ(c->PenPos().x, 10);
  EXPECT_TRUE(Near(Px(*bmp, 1, 1), ink));
  EXPECT_TRUE(Near(Px(*bmp, 9, 1), ink));
  EXPECT_TRUE(Near(Px(*bmp, 10, 1), clWhite));  // the end point is not drawn
  EXPECT_TRUE(Near(Px(*bmp, 5, 2), clWhite));

  c->SetPixels(20, 20, ink);
  EXPECT_TRUE(Near(Px(*bmp, 20, 20), ink));
  EXPECT_TRUE(Near(Px(*bmp, 21, 20), clWhite));

  c->Brush()->SetColor(ink);
  c->Ellipse(4, 4, 20, 20);
  EXPECT_TRUE(Near(Px(*bmp, 12, 12), ink));
  EXPECT_TRUE(Near(Px(*bmp, 4, 4), clWhite));  // corners of the box stay

  auto tri = MakeBitmap(format, 20, 20, clWhite);
  tri->Canvas()->Brush()->SetColor(ink);
  tri->Canvas()->Pen()->SetColor(ink);
  tri->Canvas()->Polygon({{0, 0}, {19, 0}, {0, 19}});
  EXPECT_TRUE(Near(Px(*tri, 3, 3), ink));
  EXPECT_TRUE(Near(Px(*tri, 17, 17), clWhite));
}

TEST_P(GraphicsCanvasFormat, DrawStretchDrawAndCopyRectMovePixels) {
  TPixelFormat format = GetParam();
  TColor ink = format == pf1bit ? clBlack : clBlue;
  auto src = MakeBitmap(format, 4, 4, clWhite);
  src->Canvas()->Brush()->SetColor(ink);
  src->Canvas()->FillRect(TRect{0, 0, 2, 2});  // top-left quarter

  auto dst = MakeBitmap(format, 16, 16, clWhite);
  dst->Canvas()->Draw(5, 6, src.get());
  EXPECT_TRUE(Near(Px(*dst, 5, 6), ink));
  EXPECT_TRUE(Near(Px(*dst, 6, 7), ink));
  EXPECT_TRUE(Near(Px(*dst, 7, 6), clWhite));
  EXPECT_TRUE(Near(Px(*dst, 4, 6), clWhite));

  auto big = MakeBitmap(format, 16, 16, clWhite);
  big->Canvas()->StretchDraw(TRect{0, 0, 16, 16}, src.get());
  EXPECT_TRUE(Near(Px(*big, 7, 7), ink));
  EXPECT_TRUE(Near(Px(*big, 8, 8), clWhite));
  EXPECT_TRUE(Near(Px(*big, 0, 15), clWhite));

  auto copy = MakeBitmap(format, 8, 8, clWhite);
  copy->Canvas()->CopyRect(TRect{4, 4, 6, 6}, src->Canvas(), TRect{0, 0, 2, 2});
  EXPECT_TRUE(Near(Px(*copy, 4, 4), ink));
  EXPECT_TRUE(Near(Px(*copy, 5, 5), ink));
  EXPECT_TRUE(Near(Px(*copy, 6, 6), clWhite));
  // Raster operations work on pixel values: on the palette formats they
  // invert palette indices, not colours.
  if (format != pf4bit && format != pf8bit) {
    copy->Canvas()->SetCopyMode(cmNotSrcCopy);
    copy->Canvas()->CopyRect(TRect{0, 0, 2, 2}, src->Canvas(), TRect{0, 0, 2, 2});
    EXPECT_TRUE(Near(Px(*copy, 0, 0), ColorToRGB(ink) ^ 0xFFFFFF));
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, GraphicsCanvasFormat, ::testing::ValuesIn(kAllFormats),
                         [](const auto& info) { return FormatName(info.param); });

// --- Canvas state ---------------------------------------------------------------------

TEST(GraphicsCanvas, DrawsOnAnyContextItIsGiven) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  {
    TCanvas canvas;
    EXPECT_THROW(canvas.FillRect(TRect{0, 0, 1, 1}), EInvalidOperation);
    canvas.SetHandle(dc);
    canvas.Brush()->SetColor(0x00C08040);
    canvas.FillRect(TRect{0, 0, 8, 8});
    canvas.Brush()->SetColor(clRed);  // changes while selected reach the context
    canvas.FillRect(TRect{0, 0, 2, 1});
    GdiFlush();
    auto* px = static_cast<std::uint32_t*>(bits);  // top-down: row 0 first
    EXPECT_EQ(px[0] & 0xFFFFFF, 0xFF0000u);        // BGRX red
    EXPECT_EQ(px[2] & 0xFFFFFF, 0x4080C0u);
    EXPECT_EQ(px[8 * 7 + 7] & 0xFFFFFF, 0x4080C0u);

    HRGN rgn = CreateRectRgn(1, 2, 5, 6);
    SelectClipRgn(dc, rgn);
    DeleteObject(rgn);
    TRect clip = canvas.ClipRect();
    EXPECT_EQ(clip.left, 1);
    EXPECT_EQ(clip.top, 2);
    EXPECT_EQ(clip.right, 5);
    EXPECT_EQ(clip.bottom, 6);
    canvas.SetHandle(nullptr);
    // The canvas took its objects out again: the context's are the stock ones.
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(HOLLOW_BRUSH));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
}

TEST(GraphicsCanvas, FocusRectangleIsDrawnByInversion) {
  auto bmp = MakeBitmap(pf24bit, 10, 10, clWhite);
  bmp->Canvas()->DrawFocusRect(TRect{1, 1, 9, 9});
  int changed = 0;
  for (int x = 1; x < 9; ++x) changed += Px(*bmp, x, 1) != clWhite;
  EXPECT_GE(changed, 3);
  EXPECT_EQ(Px(*bmp, 5, 5), clWhite);
  EXPECT_EQ(Px(*bmp, 0, 0), clWhite);
  bmp->Canvas()->DrawFocusRect(TRect{1, 1, 9, 9});  // a second time takes it away
  for (int x = 0; x < 10; ++x) ASSERT_EQ(Px(*bmp, x, 1), clWhite);
}

TEST(GraphicsCanvas, LockCountsAndChangeEvents) {
  auto bmp = MakeBitmap(pf24bit, 4, 4);
  TCanvas* c = bmp->Canvas();
  Counter changing, changed;
  c->OnChanging = MakeEvent(&changing, &Counter::Handle);
  c->OnChange = MakeEvent(&changed, &Counter::Handle);
  c->Lock();
  c->Lock();
  EXPECT_EQ(c->LockCount(), 2);
  c->Unlock();
  EXPECT_TRUE(c->TryLock());
  c->Unlock();
  c->Unlock();
  EXPECT_EQ(c->LockCount(), 0);
  c->FillRect(TRect{0, 0, 1, 1});
  c->LineTo(3, 3);
  EXPECT_EQ(changing.count, 2);
  EXPECT_EQ(changed.count, 2);
}

TEST(GraphicsCanvas, PatternBrushRepeatsTheBitmapAndDoesNotOwnIt) {
  auto pattern = MakeBitmap(pf24bit, 8, 8, clWhite);
  pattern->Canvas()->Brush()->SetColor(clRed);
  pattern->Canvas()->FillRect(TRect{0, 0, 4, 4});
  pattern->Canvas()->FillRect(TRect{4, 4, 8, 8});
  auto bmp = MakeBitmap(pf24bit, 16, 16, clBlack);
  bmp->Canvas()->Brush()->SetBitmap(pattern.get());
  bmp->Canvas()->FillRect(TRect{0, 0, 16, 16});
  bmp->Canvas()->Brush()->SetBitmap(nullptr);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      bool red = ((x % 8) < 4) == ((y % 8) < 4);
      ASSERT_TRUE(Near(Px(*bmp, x, y), red ? clRed : clWhite, 0)) << x << "," << y;
    }
  // The brush let go of the pattern, which is still whole.
  EXPECT_FALSE(pattern->Empty());
  EXPECT_EQ(Px(*pattern, 0, 0), clRed);
  bmp->Canvas()->Brush()->SetColor(clBlue);
  bmp->Canvas()->FillRect(TRect{0, 0, 1, 1});
  EXPECT_EQ(Px(*bmp, 0, 0), clBlue);
}

TEST(GraphicsCanvas, HatchBrushLeavesTheBackgroundBetweenLines) {
  auto bmp = MakeBitmap(pf24bit, 16, 16, clWhite);
  bmp->Canvas()->Brush()->SetColor(clRed);
  bmp->Canvas()->Brush()->SetStyle(bsHorizontal);
  bmp->Canvas()->FillRect(TRect{0, 0, 16, 16});
  int redRows = 0, whiteRows = 0;
  for (int y = 0; y < 16; ++y) {
    TColor c = Px(*bmp, 3, y);
    for (int x = 0; x < 16; ++x) ASSERT_EQ(Px(*bmp, x, y), c) << "rows are uniform";
    redRows += c == clRed;
    whiteRows += c == clWhite;
  }
  EXPECT_EQ(redRows + whiteRows, 16);
  EXPECT_GE(redRows, 2);
  EXPECT_GE(whiteRows, 8);
}

TEST(GraphicsCanvas, PenStylesAndModes) {
  auto bmp = MakeBitmap(pf24bit, 40, 4, clWhite);
  TCanvas* c = bmp->Canvas();
  c->Pen()->SetStyle(psDot);
  c->MoveTo(0, 1);
  c->LineTo(40, 1);
  int inked = 0;
  for (int x = 0; x < 40; ++x) inked += Px(*bmp, x, 1) == clBlack;
  EXPECT_GT(inked, 5);
  EXPECT_LT(inked, 35);
  c->Pen()->SetStyle(psClear);
  c->MoveTo(0, 2);
  c->LineTo(40, 2);
  EXPECT_EQ(Px(*bmp, 5, 2), clWhite);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetMode(pmNot);
  c->MoveTo(0, 3);
  c->LineTo(40, 3);
  EXPECT_EQ(Px(*bmp, 5, 3), clBlack);  // white inverted
}

// --- Text --------------------------------------------------------------------------------

namespace {

// The bounding box of the pixels that differ from the background.
TRect InkBox(TBitmap& bmp, TColor background) {
  TRect box{bmp.Width(), bmp.Height(), -1, -1};
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      if (Px(bmp, x, y) != background) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

}  // namespace

TEST(GraphicsText, ExtentsGrowWithTextAndFont) {
  auto bmp = MakeBitmap(pf24bit, 4, 4);
  TCanvas* c = bmp->Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetHeight(-12);
  TSize one = c->TextExtent("W");
  TSize three = c->TextExtent("WWW");
  EXPECT_GT(one.cx, 0);
  EXPECT_GE(one.cy, 12);
  EXPECT_NEAR(three.cx, 3 * one.cx, 2);
  EXPECT_EQ(c->TextWidth(""), 0);
  c->Font()->SetHeight(-24);  // the new font is selected for the next call
  EXPECT_GE(c->TextHeight("W"), 2 * one.cy - 2);
  EXPECT_GT(c->TextWidth("W"), one.cx);
}

TEST(GraphicsText, TextOutInksInsideItsExtentAndMovesThePen) {
  auto bmp = MakeBitmap(pf24bit, 120, 40, clWhite);
  TCanvas* c = bmp->Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetHeight(-16);
  c->Font()->SetColor(clRed);
  c->Brush()->SetStyle(bsClear);
  TSize ext = c->TextExtent("Hello");
  c->TextOut(10, 8, "Hello");
  EXPECT_EQ(c->PenPos().x, 10 + ext.cx);
  TRect ink = InkBox(*bmp, clWhite);
  ASSERT_LT(ink.left, ink.right) << "no text drawn";
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 8);
  EXPECT_LE(ink.right, 10 + ext.cx + 1);
  EXPECT_LE(ink.bottom, 8 + ext.cy);
  bool red = false;
  for (int y = ink.top; y < ink.bottom; ++y)
    for (int x = ink.left; x < ink.right; ++x) red |= Px(*bmp, x, y) == clRed;
  EXPECT_TRUE(red);
}

TEST(GraphicsText, TextRectClipsAndFills) {
  auto bmp = MakeBitmap(pf24bit, 100, 40, clWhite);
  TCanvas* c = bmp->Canvas();
  c->Font()->SetHeight(-20);
  c->Font()->SetColor(clBlack);
  c->Brush()->SetColor(clYellow);
  TRect r{10, 10, 30, 22};
  c->TextRect(r, 12, 6, "WWWWWWWW");
  TRect ink = InkBox(*bmp, clWhite);
  EXPECT_EQ(ink.left, r.left);
  EXPECT_EQ(ink.top, r.top);
  EXPECT_EQ(ink.right, r.right);
  EXPECT_EQ(ink.bottom, r.bottom);
  EXPECT_EQ(Px(*bmp, 10, 10), clYellow);  // filled where no glyph is
  bool black = false;
  for (int x = r.left; x < r.right; ++x) black |= Px(*bmp, x, 20) == clBlack;
  EXPECT_TRUE(black);
}
