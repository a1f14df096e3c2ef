// The drawing helpers, checked by the pixels they leave in memory bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "ElDrawTestSupport.hpp"
#include "ElVCLUtils.hpp"
#include "Forms.hpp"

using namespace eltest;

namespace {

int Hue(TColor hls) { return hls & 0xFF; }
int Light(TColor hls) { return (hls >> 8) & 0xFF; }
int Sat(TColor hls) { return (hls >> 16) & 0xFF; }

// Every pixel of the rectangle equal in both bitmaps.
::testing::AssertionResult SameImage(TBitmap& a, TBitmap& b, const TRect& r) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (Px(a, x, y) != Px(b, x, y))
        return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << ")";
  return ::testing::AssertionSuccess();
}

}  // namespace

// --- colours -------------------------------------------------------------------

TEST(ElVCLUtilsColor, ChannelsResolveSystemColours) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(GetRValue(clBtnFace), face & 0xFF);
  EXPECT_EQ(GetGValue(clBtnFace), (face >> 8) & 0xFF);
  EXPECT_EQ(GetBValue(clBtnFace), (face >> 16) & 0xFF);
  EXPECT_EQ(RGBToColor(0x12, 0x34, 0x56), 0x563412);
  EXPECT_EQ(GetBValue(RGBToColor(1, 2, 3)), 3);
}

TEST(ElVCLUtilsColor, HlsOfPrimariesAndGreys) {
  TColor red = RGBtoHLS(clRed);
  EXPECT_EQ(Hue(red), 0);
  EXPECT_EQ(Light(red), 126);
  EXPECT_EQ(Sat(red), 252);
  TColor white = RGBtoHLS(clWhite);
  EXPECT_EQ(Light(white), 252);
  EXPECT_EQ(Sat(white), 0);
  EXPECT_EQ(Hue(white), 168);
  EXPECT_EQ(Hue(RGBtoHLS(clLime)), 84);
  EXPECT_EQ(Hue(RGBtoHLS(clBlue)), 168);
  EXPECT_EQ(Light(RGBtoHLS(clBlack)), 0);
  // A light tint takes the saturation formula of the upper half.
  TColor pink = RGBtoHLS(RGBToColor(255, 200, 200));
  EXPECT_GT(Light(pink), 126);
  EXPECT_EQ(Hue(pink), 0);
  EXPECT_EQ(Sat(pink), 252);
  EXPECT_EQ(HLStoRGB(red), clRed);
  EXPECT_EQ(HLStoRGB(white), clWhite);
  EXPECT_EQ(HLStoRGB(RGBtoHLS(clBlue)), clBlue);
}

TEST(ElVCLUtilsColor, HlsRoundTripStaysClose) {
  for (int r = 0; r < 256; r += 51)
    for (int g = 0; g < 256; g += 51)
      for (int b = 0; b < 256; b += 51) {
        TColor c = RGBToColor(Byte(r), Byte(g), Byte(b));
        TColor back = HLStoRGB(RGBtoHLS(c));
        EXPECT_NEAR(GetRValue(back), r, 3) << std::hex << c;
        EXPECT_NEAR(GetGValue(back), g, 3) << std::hex << c;
        EXPECT_NEAR(GetBValue(back), b, 3) << std::hex << c;
      }
}

// Lightness past the scale (callers add a quarter to white's 252) gives
// white, for greys as for colours, never a wrapped dark value.
TEST(ElVCLUtilsColor, LightnessAtAndPastTheTopOfTheScaleStaysLight) {
  for (int l = 250; l <= 255; ++l) {
    const TColor grey = HLStoRGB(TColor(168) | (TColor(l) << 8));
    const int expected = std::min(l * 255 / 252, 255);
    EXPECT_EQ(grey, RGBToColor(Byte(expected), Byte(expected), Byte(expected))) << "L " << l;
    const TColor tint = HLStoRGB(TColor(0) | (TColor(l) << 8) | (TColor(252) << 16));
    EXPECT_GE(GetRValue(tint), 250) << "L " << l;
    EXPECT_GE(GetGValue(tint), l >= 252 ? 250 : 240) << "L " << l;
  }
}

TEST(ElVCLUtilsColor, KeyboardRepeatTimesInMilliseconds) {
  DWORD oldSpeed = 0, oldDelay = 0;
  SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &oldSpeed, 0);
  SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &oldDelay, 0);
  if (!SystemParametersInfoA(SPI_SETKEYBOARDSPEED, 31, nullptr, 0) ||
      !SystemParametersInfoA(SPI_SETKEYBOARDDELAY, 3, nullptr, 0))
    GTEST_SKIP() << "keyboard settings cannot be changed here";
  EXPECT_EQ(GetKeyboardRepeatTime(SPI_GETKEYBOARDSPEED), 31);  // 1000 div 32
  EXPECT_EQ(GetKeyboardRepeatTime(SPI_GETKEYBOARDDELAY), 1000);
  SystemParametersInfoA(SPI_SETKEYBOARDSPEED, 0, nullptr, 0);
  EXPECT_EQ(GetKeyboardRepeatTime(SPI_GETKEYBOARDSPEED), 1000);
  SystemParametersInfoA(SPI_SETKEYBOARDSPEED, oldSpeed, nullptr, 0);
  SystemParametersInfoA(SPI_SETKEYBOARDDELAY, oldDelay, nullptr, 0);
}

// --- gradients -----------------------------------------------------------------

TEST(ElVCLUtilsGradient, TwoStepsSplitTheRectangleInHalves) {
  auto s = MakeSurface(10, 4);
  GradientFillRect(DC(*s), TRect{0, 0, 10, 4}, clBlack, false, 2, clWhite);
  for (int x = 0; x < 5; ++x) EXPECT_TRUE(PixelIs(*s, x, 2, clBlack));
  for (int x = 5; x < 10; ++x) EXPECT_TRUE(PixelIs(*s, x, 2, clWhite));

  auto v = MakeSurface(4, 10);
  GradientFillRect(DC(*v), TRect{0, 0, 4, 10}, clBlack, true, 2, clWhite);
  EXPECT_TRUE(PixelIs(*v, 1, 4, clBlack));
  EXPECT_TRUE(PixelIs(*v, 1, 5, clWhite));
}

TEST(ElVCLUtilsGradient, InnerBandsInterpolateEachChannel) {
  auto s = MakeSurface(12, 2);
  GradientFillRect(DC(*s), TRect{1, 0, 11, 2}, RGBToColor(0, 200, 10), false, 3, RGBToColor(255, 0, 10));
  EXPECT_TRUE(PixelIs(*s, 0, 0, kPaper));
  EXPECT_TRUE(PixelIs(*s, 1, 0, RGBToColor(0, 200, 10)));
  EXPECT_TRUE(PixelIs(*s, 4, 0, RGBToColor(128, 100, 10)));  // band 3..7 of the width
  EXPECT_TRUE(PixelIs(*s, 7, 0, RGBToColor(128, 100, 10)));
  EXPECT_TRUE(PixelIs(*s, 8, 0, RGBToColor(255, 0, 10)));
  EXPECT_TRUE(PixelIs(*s, 11, 0, kPaper));
}

// A form may ask for any number of steps: there are never more bands than
// pixels, so two thousand million steps paint ten bands at once.
TEST(ElVCLUtilsGradient, StepsBeyondThePixelsPaintOneBandAPixel) {
  auto s = MakeSurface(10, 2);
  const auto start = std::chrono::steady_clock::now();
  GradientFillRect(DC(*s), TRect{0, 0, 10, 2}, clBlack, false, INT32_MAX, clWhite);
  GradientFillRectClipped(DC(*s), TRect{0, 1, 10, 2}, TRect{0, 0, 10, 2}, false, INT32_MAX, clBlack, clWhite,
                          TPoint{0, 0});
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
  for (int y : {0, 1})
    for (int x = 0; x < 10; ++x) {
      const Byte grey = Byte(MulDiv(x, 255, 9));
      EXPECT_TRUE(PixelIs(*s, x, y, RGBToColor(grey, grey, grey)));
    }
}

TEST(ElVCLUtilsGradient, OneStepOrEqualColoursFillWithTheStartColour) {
  for (int steps : {1, 0, -3}) {
    auto s = MakeSurface(8, 2);
    GradientFillRect(DC(*s), TRect{0, 0, 8, 2}, clRed, false, steps, clBlue);
    EXPECT_EQ(CountColor(*s, TRect{0, 0, 8, 2}, clRed), 16) << steps << " steps";
  }
  auto s = MakeSurface(8, 2);
  GradientFillRect(DC(*s), TRect{0, 0, 8, 2}, clBtnFace, false, 16, clBtnFace);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 8, 2}, clBtnFace), 16);
}

TEST(ElVCLUtilsGradient, ClippedGradientScrollsWithItsOrigin) {
  // A background 20 px wide in two bands; the surface shows its part from x 8
  // to 14 at x 0.
  auto s = MakeSurface(10, 2);
  GradientFillRectClipped(DC(*s), TRect{0, 0, 6, 2}, TRect{0, 0, 20, 2}, false, 2, clBlack, clWhite,
                          TPoint{8, 0});
  EXPECT_TRUE(PixelIs(*s, 0, 0, clBlack));   // x 8 of the background
  EXPECT_TRUE(PixelIs(*s, 1, 0, clBlack));   // x 9
  EXPECT_TRUE(PixelIs(*s, 2, 0, clWhite));   // x 10
  EXPECT_TRUE(PixelIs(*s, 5, 1, clWhite));   // x 13
  EXPECT_TRUE(PixelIs(*s, 6, 0, kPaper));    // outside the clip rectangle
}

// --- arrows --------------------------------------------------------------------

TEST(ElVCLUtilsArrow, TooSmallRectanglesStayEmpty) {
  auto s = MakeSurface(5, 5);
  for (auto dir : {eadLeft, eadRight, eadUp, eadDown}) DrawArrow(s->Canvas(), dir, TRect{0, 0, 5, 5}, true, clBlack);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 5, 5}, kPaper), 25);
  // Wide enough for up and down, too low for left and right.
  auto wide = MakeSurface(8, 5);
  DrawArrow(wide->Canvas(), eadLeft, TRect{0, 0, 8, 5}, true, clBlack);
  EXPECT_EQ(CountColor(*wide, TRect{0, 0, 8, 5}, clBlack), 0);
  DrawArrow(wide->Canvas(), eadUp, TRect{0, 0, 8, 5}, true, clBlack);
  EXPECT_EQ(CountColor(*wide, TRect{0, 0, 8, 5}, clBlack), 16);
}

TEST(ElVCLUtilsArrow, GlyphPointsAwayFromItsLongestLine) {
  auto s = MakeSurface(10, 10);
  DrawArrow(s->Canvas(), eadLeft, TRect{0, 0, 10, 10}, true, clBlack);
  // The 4 x 7 box is centred at (3, 2): the tip at column 3, the base at 6.
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 10, 10}, clBlack), 16);
  EXPECT_EQ(CountColor(*s, TRect{6, 0, 7, 10}, clBlack), 7);
  EXPECT_EQ(CountColor(*s, TRect{3, 0, 4, 10}, clBlack), 1);
  EXPECT_TRUE(PixelIs(*s, 3, 5, clBlack));

  auto d = MakeSurface(10, 10);
  DrawArrow(d->Canvas(), eadDown, TRect{0, 0, 10, 10}, true, clBlack);
  EXPECT_EQ(CountColor(*d, TRect{0, 3, 10, 4}, clBlack), 7);  // base row on top
  EXPECT_TRUE(PixelIs(*d, 5, 6, clBlack));                    // tip below
  EXPECT_EQ(CountColor(*d, TRect{0, 6, 10, 7}, clBlack), 1);
}

TEST(ElVCLUtilsArrow, DisabledArrowIsEmbossedAndThePenKeepsItsColour) {
  auto s = MakeSurface(10, 10);
  s->Canvas()->Pen()->SetColor(clLime);
  DrawArrow(s->Canvas(), eadRight, TRect{0, 0, 10, 10}, false, clBlack);
  EXPECT_EQ(s->Canvas()->Pen()->Color(), clLime);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 10, 10}, clBlack), 0);
  EXPECT_TRUE(PixelIs(*s, 3, 2, clBtnShadow));     // base of the glyph, in place
  EXPECT_TRUE(PixelIs(*s, 4, 9, clBtnHighlight));  // its shifted copy sticks out below
}

// --- transparent blit ------------------------------------------------------------

TEST(ElVCLUtilsBlit, TransparentColourLetsTheDestinationThrough) {
  auto src = MakeSurface(6, 6, clFuchsia);
  src->Canvas()->Brush()->SetColor(clBlue);
  src->Canvas()->FillRect(TRect{2, 2, 5, 5});
  std::vector<TColor> before;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) before.push_back(Px(*src, x, y));

  auto dst = MakeSurface(10, 10, clLime);
  DrawTransparentBitmapEx(DC(*dst), src.get(), 3, 1, TRect{1, 1, 6, 6}, clFuchsia);
  EXPECT_TRUE(PixelIs(*dst, 3, 1, clLime));   // source (1, 1): transparent
  EXPECT_TRUE(PixelIs(*dst, 4, 2, clBlue));   // source (2, 2)
  EXPECT_TRUE(PixelIs(*dst, 6, 4, clBlue));   // source (4, 4)
  EXPECT_TRUE(PixelIs(*dst, 7, 5, clLime));   // source (5, 5): transparent
  EXPECT_EQ(CountColor(*dst, TRect{0, 0, 10, 10}, clBlue), 9);

  std::vector<TColor> after;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) after.push_back(Px(*src, x, y));
  EXPECT_EQ(after, before);
}

// --- frames --------------------------------------------------------------------

TEST(ElVCLUtilsFrame, SolidFillRestoresTheBackgroundColour) {
  auto s = MakeSurface(6, 6);
  SetBkColor(DC(*s), RGB(1, 2, 3));
  FillSolidRectXY(DC(*s), 4, 4, -2, -3, clRed);  // extends left and up
  EXPECT_EQ(GetBkColor(DC(*s)), RGB(1, 2, 3));
  EXPECT_EQ(CountColor(*s, TRect{2, 1, 4, 4}, clRed), 6);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 6, 6}, clRed), 6);
}

TEST(ElVCLUtilsFrame, Draw3DRectUsesTheLastColumnAndRowOfTheBox) {
  auto s = MakeSurface(8, 8);
  Draw3DRect(DC(*s), 1, 1, 5, 4, clWhite, clBlack);
  EXPECT_TRUE(PixelIs(*s, 1, 1, clWhite));
  EXPECT_TRUE(PixelIs(*s, 4, 1, clWhite));
  EXPECT_TRUE(PixelIs(*s, 5, 1, clBlack));  // top-right corner belongs to the right bar
  EXPECT_TRUE(PixelIs(*s, 1, 4, clBlack));  // bottom-left corner to the bottom bar
  EXPECT_TRUE(PixelIs(*s, 5, 4, clBlack));
  EXPECT_TRUE(PixelIs(*s, 2, 2, kPaper));
  EXPECT_TRUE(PixelIs(*s, 6, 2, kPaper));
  EXPECT_TRUE(PixelIs(*s, 2, 5, kPaper));
}

TEST(ElVCLUtilsFrame, FrameLinesOnlyOnTheChosenSides) {
  auto s = MakeSurface(8, 8);
  TRect inner;
  DrawFrameLines(DC(*s), TRect{1, 1, 7, 7}, clWhite, clBlack, TElBorderSides::FromBits(12), inner);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 8, 8}, clWhite), 6);  // top
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 8, 8}, clBlack), 6);  // bottom
  EXPECT_TRUE(PixelIs(*s, 1, 3, kPaper));
  EXPECT_TRUE(PixelIs(*s, 6, 3, kPaper));
  EXPECT_EQ(inner.left, 1);
  EXPECT_EQ(inner.top, 2);
  EXPECT_EQ(inner.right, 7);
  EXPECT_EQ(inner.bottom, 6);

  DrawFrameLines(DC(*s), TRect{1, 1, 7, 7}, clWhite, clBlack, AllBorderSides, inner);
  EXPECT_TRUE(PixelIs(*s, 6, 1, clBlack));  // the right side covers the corner
  EXPECT_TRUE(PixelIs(*s, 1, 6, clBlack));
  EXPECT_EQ(inner.left, 2);
  EXPECT_EQ(inner.right, 6);
}

TEST(ElVCLUtilsFrame, ButtonFramesInSystemAndDerivedShades) {
  auto s = MakeSurface(10, 10);
  DrawButtonFrameSys(DC(*s), TRect{0, 0, 10, 10}, true);
  EXPECT_TRUE(PixelIs(*s, 0, 0, clBtnFace));
  EXPECT_TRUE(PixelIs(*s, 9, 9, cl3DDkShadow));
  EXPECT_TRUE(PixelIs(*s, 1, 1, clBtnHighlight));
  EXPECT_TRUE(PixelIs(*s, 8, 8, clBtnShadow));
  EXPECT_TRUE(PixelIs(*s, 2, 2, kPaper));

  const TColor base = RGBToColor(40, 90, 160);
  const int l = Light(RGBtoHLS(base));
  auto up = MakeSurface(10, 10);
  DrawColoredButtonFrame(DC(*up), TRect{0, 0, 10, 10}, true, false, base, false);
  auto down = MakeSurface(10, 10);
  DrawColoredButtonFrame(DC(*down), TRect{0, 0, 10, 10}, true, false, base, true);
  // Raised: light outside top-left, dark outside bottom-right; pressed the reverse.
  EXPECT_GT(Light(RGBtoHLS(Px(*up, 0, 0))), l);
  EXPECT_LT(Light(RGBtoHLS(Px(*up, 9, 9))), l);
  EXPECT_EQ(Px(*down, 0, 0), Px(*up, 9, 9));
  EXPECT_EQ(Px(*down, 9, 9), Px(*up, 0, 0));
  EXPECT_TRUE(PixelIs(*up, 1, 1, base));

  auto flat = MakeSurface(10, 10);
  DrawColoredButtonFrame(DC(*flat), TRect{0, 0, 10, 10}, true, true, clBtnFace, true);
  EXPECT_TRUE(PixelIs(*flat, 0, 0, cl3DDkShadow));
  EXPECT_TRUE(PixelIs(*flat, 1, 1, kPaper));  // flat: no inner frame
}

TEST(ElVCLUtilsFrame, EdgeTypesMatchDrawEdgeWithTheirInnerRing) {
  struct Case {
    TElFlatBorderType type;
    UINT edge;
    TColor ring;  // clNone: nothing beyond the edge
  };
  const Case cases[] = {
      {fbtSunken, EDGE_SUNKEN, clNone},           {fbtSunkenInner, BDR_SUNKENINNER, clWindow},
      {fbtSunkenOuter, BDR_SUNKENOUTER, clWindow}, {fbtRaised, EDGE_RAISED, clNone},
      {fbtRaisedInner, BDR_RAISEDINNER, clBtnFace}, {fbtRaisedOuter, BDR_RAISEDOUTER, clBtnFace},
      {fbtBump, EDGE_BUMP, clNone},               {fbtBigBump, EDGE_BUMP, clBtnFace},
      {fbtEtched, EDGE_ETCHED, clNone},           {fbtFramed, EDGE_BUMP, clBtnShadow},
  };
  const TElBorderSides sides{ebsLeft, ebsTop, ebsBottom};
  for (const Case& c : cases) {
    auto s = MakeSurface(16, 16);
    DrawFlatFrameEx2(DC(*s), TRect{2, 2, 14, 14}, clRed, c.type, sides, false);
    auto ref = MakeSurface(16, 16);
    TRect inner{2, 2, 14, 14};
    DrawEdge(DC(*ref), &inner, c.edge, BF_LEFT | BF_TOP | BF_BOTTOM | BF_ADJUST);
    if (c.ring != clNone) {
      TRect unused;
      DrawFrameLines(DC(*ref), inner, c.ring, c.ring, sides, unused);
    }
    EXPECT_TRUE(SameImage(*s, *ref, TRect{0, 0, 16, 16})) << "type " << c.type;
    EXPECT_TRUE(PixelIs(*s, 13, 7, kPaper)) << "type " << c.type << ": the right side was not chosen";
  }
}

TEST(ElVCLUtilsFrame, FlatAndLineTypesPaintTwoRings) {
  const TColor line = RGBToColor(10, 200, 30);
  auto flat = MakeSurface(12, 12);
  DrawFlatFrameEx2(DC(*flat), TRect{1, 1, 11, 11}, line, fbtFlat, AllBorderSides, false);
  EXPECT_TRUE(PixelIs(*flat, 1, 5, clBtnShadow));
  EXPECT_TRUE(PixelIs(*flat, 10, 5, clBtnHighlight));
  EXPECT_TRUE(PixelIs(*flat, 2, 5, line));
  EXPECT_TRUE(PixelIs(*flat, 9, 5, line));
  EXPECT_TRUE(PixelIs(*flat, 3, 5, kPaper));
  DrawFlatFrameEx2(DC(*flat), TRect{1, 1, 11, 11}, line, fbtFlat, AllBorderSides, true);
  EXPECT_TRUE(PixelIs(*flat, 2, 5, clBtnText));  // focused: sunken
  EXPECT_TRUE(PixelIs(*flat, 9, 5, cl3DLight));

  auto border = MakeSurface(12, 12);
  DrawFlatFrameEx2(DC(*border), TRect{1, 1, 11, 11}, line, fbtLineBorder, AllBorderSides, false);
  EXPECT_TRUE(PixelIs(*border, 1, 5, clWindowFrame));
  EXPECT_TRUE(PixelIs(*border, 2, 5, line));

  auto underline = MakeSurface(12, 12);
  DrawFlatFrameEx2(DC(*underline), TRect{1, 1, 11, 11}, line, fbtLine, AllBorderSides, false);
  EXPECT_TRUE(PixelIs(*underline, 1, 5, line));
  EXPECT_TRUE(PixelIs(*underline, 5, 10, clWindowFrame));
  EXPECT_TRUE(PixelIs(*underline, 5, 1, line));

  auto none = MakeSurface(12, 12);
  DrawFlatFrameEx2(DC(*none), TRect{1, 1, 11, 11}, line, fbtNone, TElBorderSides{ebsTop}, false);
  EXPECT_EQ(CountColor(*none, TRect{0, 0, 12, 12}, line), 20);

  auto own = MakeSurface(12, 12);
  DrawFlatFrameEx2(DC(*own), TRect{1, 1, 11, 11}, line, fbtColorLineBorder, AllBorderSides, true);
  EXPECT_EQ(CountColor(*own, TRect{0, 0, 12, 12}, kPaper), 144);
}

// --- flat scroll bars ------------------------------------------------------------

namespace {

class BarWindow {
 public:
  explicit BarWindow(DWORD style) {
    wnd_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | style, 0, 0, 200, 150, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }
  ~BarWindow() { DestroyWindow(wnd_); }
  HWND Get() const { return wnd_; }
  void SetBar(int bar, int min, int max, int page, int pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = min;
    si.nMax = max;
    si.nPage = UINT(page);
    si.nPos = pos;
    SetScrollInfo(wnd_, bar, &si, FALSE);
  }

 private:
  HWND wnd_;
};

}  // namespace

TEST(ElVCLUtilsScrollbars, ThumbFrameSitsWherePositionAndPageSayIt) {
  const DWORD style = WS_HSCROLL | WS_VSCROLL | WS_BORDER;
  BarWindow w(style);
  ASSERT_NE(w.Get(), nullptr);
  w.SetBar(SB_VERT, 0, 99, 20, 40);
  w.SetBar(SB_HORZ, 0, 99, 0, 0);  // no page: no thumb
  auto s = MakeSurface(200, 150);
  DrawFlatScrollbars(w.Get(), DC(*s), TRect{0, 0, 200, 150}, 0, style, false, false, ssBoth);

  const int b = GetSystemMetrics(SM_CXBORDER), btn = GetSystemMetrics(SM_CXHSCROLL);
  const int barH = GetSystemMetrics(SM_CYVSCROLL);
  const int x = 200 - b - btn;        // left column of the vertical bar
  const int barLength = 150 - 2 * b - barH;
  const int track = barLength - 2 * btn;
  const int thumb = std::max(MulDiv(20, track, 100), btn / 2);
  const int offset = MulDiv(40, track - thumb, 100 - 20);
  // Corner between the bars.
  EXPECT_TRUE(PixelIs(*s, x + 2, 150 - b - 2, clBtnFace));
  // Buttons: outer highlight at the top-left, shadow at the bottom-right.
  EXPECT_TRUE(PixelIs(*s, x, b, clBtnHighlight));
  EXPECT_TRUE(PixelIs(*s, x + btn - 1, b + btn - 1, clBtnShadow));
  // The thumb frame starts after the first button plus the offset.
  const int top = b + btn + offset;
  EXPECT_TRUE(PixelIs(*s, x + 3, top, clBtnHighlight));
  EXPECT_TRUE(PixelIs(*s, x + 3, top - 1, kPaper));
  EXPECT_TRUE(PixelIs(*s, x + 3, top + thumb - 1, clBtnShadow));
  EXPECT_TRUE(PixelIs(*s, x + 3, top + thumb, kPaper));
  // The horizontal bar has its buttons and no thumb.
  const int hy = 150 - b - barH;
  EXPECT_TRUE(PixelIs(*s, b, hy, clBtnHighlight));
  EXPECT_EQ(CountColor(*s, TRect{b + btn, hy, x - btn, hy + 1}, kPaper), x - btn - b - btn);
}

// A scroll-bar control of the test's own that reports whatever scroll
// information it is given (the system's own refuses pages of ranges that
// pass 2^31).
SCROLLINFO g_reported{};
LRESULT CALLBACK ReportingBarProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == SBM_GETSCROLLINFO) {
    auto* info = reinterpret_cast<SCROLLINFO*>(lp);
    const UINT mask = info->fMask;
    *info = g_reported;
    info->fMask = mask;
    return TRUE;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

// A range wider than 32 bits can count: from -2,000,000,000 to
// 2,000,000,000 with a page of a quarter, at the last position the thumb
// is a quarter of the track long and ends at the last button.
TEST(ElVCLUtilsScrollbars, ARangeBeyond32BitsPlacesTheThumbByItsShare) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = &ReportingBarProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "ScrollBar";  // a class of the program's own before the system's
  const ATOM atom = RegisterClassA(&cls);
  ASSERT_NE(atom, 0);
  HWND bar = CreateWindowExA(0, "ScrollBar", "", WS_POPUP | SBS_VERT, 0, 0, 20, 150, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(bar, nullptr);
  g_reported.cbSize = sizeof g_reported;
  g_reported.nMin = -2000000000;
  g_reported.nMax = 2000000000;
  g_reported.nPage = 1000000000;
  g_reported.nPos = 1000000001;
  const int btn = GetSystemMetrics(SM_CYVSCROLL);
  auto s = MakeSurface(20, 150);
  DrawFlatScrollbars(bar, DC(*s), TRect{0, 0, 20, 150}, 0, SBS_VERT, false, false, ssVertical);
  DestroyWindow(bar);
  UnregisterClassA("ScrollBar", GetModuleHandleA(nullptr));
  const int track = 150 - 2 * btn;
  const int thumb = int((1000000000LL * track + 2000000000LL) / 4000000001LL);
  const int top = btn + track - thumb;
  EXPECT_TRUE(PixelIs(*s, 3, top, clBtnHighlight));
  EXPECT_TRUE(PixelIs(*s, 3, top - 1, kPaper));
  EXPECT_TRUE(PixelIs(*s, 3, top + thumb - 1, clBtnShadow));
  EXPECT_EQ(CountColor(*s, TRect{3, btn, 4, top}, kPaper), top - btn);
}

TEST(ElVCLUtilsScrollbars, WhichSelectsTheBarsAndAFullPageShowsNoThumb) {
  const DWORD style = WS_VSCROLL;
  BarWindow w(style);
  w.SetBar(SB_VERT, 0, 9, 10, 0);
  auto s = MakeSurface(200, 150);
  DrawFlatScrollbars(w.Get(), DC(*s), TRect{0, 0, 200, 150}, 0, style, true, false, ssHorizontal);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 200, 150}, kPaper), 200 * 150);
  DrawFlatScrollbars(w.Get(), DC(*s), TRect{0, 0, 200, 150}, 0, style, true, false, ssVertical);
  const int btn = GetSystemMetrics(SM_CXHSCROLL);
  EXPECT_TRUE(PixelIs(*s, 200 - btn, 0, clBtnFace));  // deep: outer top-left in the face colour
  EXPECT_EQ(CountColor(*s, TRect{200 - btn, btn, 200, 150 - btn}, kPaper), btn * (150 - 2 * btn));
}

// --- text and hints ---------------------------------------------------------------

TEST(ElVCLUtilsText, MeasuringTakesAZeroRightEdgeAsUnlimited) {
  auto s = MakeSurface(10, 10);
  const std::wstring text = L"several words that would wrap";
  TRect wrapped{0, 0, 40, 0};
  DrawWideText(DC(*s), text.c_str(), -1, DT_CALCRECT | DT_WORDBREAK, wrapped);
  TRect open{0, 0, 0, 0};
  const int height = DrawWideText(DC(*s), text.c_str(), -1, DT_CALCRECT | DT_WORDBREAK, open);
  EXPECT_GT(wrapped.bottom, open.bottom);  // narrow: several lines
  EXPECT_EQ(open.bottom, height);
  SIZE extent{};
  GetTextExtentPoint32W(DC(*s), text.c_str(), int(text.size()), &extent);
  EXPECT_EQ(open.right, extent.cx);
}

TEST(ElVCLUtilsText, EllipsisNeverChangesTheCallersText) {
  auto s = MakeSurface(60, 20, clWhite);
  std::wstring text = L"a text much too long for the rectangle";
  const std::wstring before = text;
  TRect r{0, 0, 60, 20};
  DrawWideText(DC(*s), text.data(), int(text.size()), DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, r);
  EXPECT_EQ(text, before);
  EXPECT_LT(CountColor(*s, TRect{0, 0, 60, 20}, clWhite), 60 * 20);  // something was drawn
}

TEST(ElVCLUtilsText, ShortHintIsThePartBeforeTheBar) {
  EXPECT_EQ(GetWideShortHint(L"Короткий|Длинный"), L"Короткий");
  EXPECT_EQ(GetWideShortHint(L"no bar"), L"no bar");
  EXPECT_EQ(GetWideShortHint(L"|long"), L"");
  EXPECT_EQ(GetWideShortHint(L""), L"");
}

TEST(ElVCLUtilsOwner, FirstFormUpTheOwnerChain) {
  auto* form = new TForm(nullptr, 0);
  auto* holder = new TComponent(form);
  auto* inner = new TComponent(holder);
  EXPECT_EQ(GetOwnerForm(inner), form);
  EXPECT_EQ(GetOwnerForm(form), form);
  auto* loose = new TComponent(nullptr);
  EXPECT_EQ(GetOwnerForm(loose), nullptr);
  EXPECT_EQ(GetOwnerForm(nullptr), nullptr);
  loose->Free();
  form->Free();
}
