// The flat scroll bar's painting, read back from memory bitmaps: buttons and
// arrow glyphs, a pressed track, grip lines, owner drawing, the shared blend
// pattern; and the themed parts, compared with the theme's own drawing in
// the theme-state prefixes.
#include <gtest/gtest.h>

#include <vector>

#include "ElDrawTestSupport.hpp"
#include "ElImgFrm.hpp"
#include "ElScrollBar.hpp"
#include "ElTmSchema.hpp"
#include "ElVCLUtils.hpp"
#include "ElWindowTestSupport.hpp"

using eltest::CountColor;
using eltest::kPaper;
using eltest::MakeSurface;
using eltest::PixelIs;
using eltest::Px;

namespace {

// Glyph pixels of the colour in each column of a rectangle.
std::vector<int> ColumnCounts(TBitmap& bitmap, const TRect& r, TColor color) {
  std::vector<int> counts;
  for (int x = r.left; x < r.right; ++x) counts.push_back(CountColor(bitmap, TRect{x, r.top, x + 1, r.bottom}, color));
  return counts;
}

// The index of the column with the most pixels and of the last column with
// any: an arrow's long stroke lies at its base, its tip beyond.
struct ArrowShape {
  int Base = -1, Tip = -1, Total = 0;
};
ArrowShape Shape(const std::vector<int>& counts, bool pointsRight) {
  ArrowShape s;
  int best = 0;
  for (int i = 0; i < int(counts.size()); ++i) {
    s.Total += counts[i];
    if (counts[i] > best) best = counts[i], s.Base = i;
    if (counts[i] > 0 && (pointsRight || s.Tip < 0)) s.Tip = i;
  }
  return s;
}

struct PartOffer {
  TElScrollBarPart Part;
  TRect R;
  bool Enabled, Focused, Pressed;
};

// Records the parts offered and refuses every one; paints the thumb magenta.
struct Drawer {
  std::vector<PartOffer> Offers;
  void Draw(TObject*, TCanvas* canvas, TRect r, TElScrollBarPart part, bool enabled, bool focused, bool pressed,
            bool& defaultDraw) {
    Offers.push_back({part, r, enabled, focused, pressed});
    defaultDraw = false;
    if (part == spThumb) {
      canvas->Brush()->SetColor(clFuchsia);
      canvas->FillRect(r);
    }
  }
  std::vector<int> Parts() const {
    std::vector<int> parts;
    for (const PartOffer& o : Offers) parts.push_back(o.Part);
    return parts;
  }
};

class ScrollBarPaint : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    bar = NewBar();
  }
  TElScrollBar* NewBar() {
    auto* b = new TElScrollBar(Owner());
    b->SetBounds(10, 10, 121, 16);
    b->SetParent(Form());
    b->SetUseSystemMetrics(false);
    b->SetButtonSize(16);
    b->SetUseXPThemes(false);
    b->HandleNeeded();
    return b;
  }
  std::unique_ptr<TBitmap> Paint(TElScrollBar* which = nullptr) {
    which = which ? which : bar;
    auto surface = MakeSurface(which->Width(), which->Height());
    which->Perform(WM_PAINT, reinterpret_cast<WPARAM>(eltest::DC(*surface)), 0);
    return surface;
  }
  void Send(UINT msg, int x, int y) { SendMessageA(bar->Handle(), msg, MK_LBUTTON, MAKELPARAM(x, y)); }

  TElScrollBar* bar = nullptr;
};

const TRect kFirstArrow{0, 0, 16, 16}, kLastArrow{105, 0, 121, 16};

TEST_F(ScrollBarPaint, ArrowsPointToTheirEndsAndShowWhetherTheyCanMove) {
  auto s = Paint();
  // At the minimum the first arrow is embossed, the last one drawn plainly.
  EXPECT_EQ(CountColor(*s, kFirstArrow, clBtnText), 0);
  ArrowShape first = Shape(ColumnCounts(*s, TRect{2, 2, 14, 14}, clBtnShadow), false);
  ArrowShape last = Shape(ColumnCounts(*s, TRect{107, 2, 119, 14}, clBtnText), true);
  EXPECT_EQ(last.Total, 16) << "strokes of 7, 5, 3 and 1 pixels";
  EXPECT_LT(last.Base, last.Tip) << "the last arrow points right";
  EXPECT_GT(first.Total, 0);
  EXPECT_GT(first.Base, first.Tip) << "the first arrow points left";
  // At the maximum they change places.
  bar->SetPosition(100);
  s = Paint();
  EXPECT_EQ(CountColor(*s, kLastArrow, clBtnText), 0);
  EXPECT_EQ(CountColor(*s, kFirstArrow, clBtnText), 16);
}

TEST_F(ScrollBarPaint, FlatButtonsHaveAnOutlineAndRaisedOnesTheFullFrame) {
  auto s = Paint();
  EXPECT_TRUE(PixelIs(*s, 105, 0, clBtnHighlight));
  EXPECT_TRUE(PixelIs(*s, 120, 15, clBtnShadow));
  bar->SetFlat(false);
  s = Paint();
  EXPECT_TRUE(PixelIs(*s, 105, 0, clBtnHighlight));
  EXPECT_TRUE(PixelIs(*s, 120, 15, cl3DDkShadow));
  EXPECT_TRUE(PixelIs(*s, 119, 14, clBtnShadow));
  // Without arrow frames the button face shows the track fill.
  bar->SetDrawArrowFrames(false);
  bar->SetSystemBkColor(false);
  bar->SetBlendBackground(false);
  bar->SetColor(clTeal);
  s = Paint();
  EXPECT_TRUE(PixelIs(*s, 120, 15, clTeal));
}

TEST_F(ScrollBarPaint, AHoveredArrowTakesTheHotTrackColour) {
  bar->SetArrowHotTrackColor(clRed);
  bar->Perform(CM_MOUSEENTER, 0, 0);
  Send(WM_MOUSEMOVE, 112, 8);
  ASSERT_EQ(bar->HotPart(), spLastArrow);
  auto s = Paint();
  EXPECT_EQ(CountColor(*s, kLastArrow, clRed), 16);
  // Hovered and usable in a flat bar: the raised frame.
  EXPECT_TRUE(PixelIs(*s, 120, 15, cl3DDkShadow));
}

TEST_F(ScrollBarPaint, SecondaryPageButtonsShowDoubleArrowsTowardsTheirOwnEnd) {
  bar->SetSecondaryButtons(true);
  bar->SetSecondBtnKind(sbkPage);
  bar->SetPosition(50);
  auto s = Paint();
  // The button next to the last arrow spans 89..105.
  std::vector<int> counts = ColumnCounts(*s, TRect{89, 2, 105, 14}, clBtnText);
  int columns = 0, total = 0;
  for (int c : counts) columns += c > 0, total += c;
  EXPECT_EQ(columns, 7) << "two four-column glyphs three pixels apart";
  EXPECT_GT(total, 16);
  // With opposite buttons the one next to the first arrow points to the last end.
  bar->SetSecondBtnKind(sbkOpposite);
  s = Paint();
  ArrowShape second = Shape(ColumnCounts(*s, TRect{18, 2, 30, 14}, clBtnText), true);
  EXPECT_EQ(second.Total, 16);
  EXPECT_LT(second.Base, second.Tip);
}

TEST_F(ScrollBarPaint, APressedTrackTurnsDarkWhileThePointerStaysOnIt) {
  bar->SetBlendBackground(false);
  bar->SetSystemBkColor(false);
  bar->SetColor(clSilver);
  Send(WM_LBUTTONDOWN, 60, 8);
  ASSERT_EQ(bar->PressedPart(), spTrackAfter);
  const TRect after = bar->Geometry().PartRect(spTrackAfter);
  const TRect before = bar->Geometry().PartRect(spTrackBefore);
  const int area = (after.right - after.left) * (after.bottom - after.top);
  auto s = Paint();
  const TColor dark = Px(*s, after.left + 3, 8);
  EXPECT_EQ(CountColor(*s, after, dark), area);
  EXPECT_NE(dark, ColorToRGB(clSilver));
  EXPECT_EQ(CountColor(*s, before, clSilver), (before.right - before.left) * 16);
  // Off the part it is plain again, and so without colour changes.
  Send(WM_MOUSEMOVE, 60, 40);
  s = Paint();
  EXPECT_EQ(CountColor(*s, after, clSilver), area);
  Send(WM_MOUSEMOVE, 60, 8);
  bar->SetChangeColorsOnScroll(false);
  s = Paint();
  EXPECT_EQ(CountColor(*s, after, clSilver), area);
  Send(WM_LBUTTONUP, 60, 8);
}

TEST_F(ScrollBarPaint, ErasingDrawsNothing) {
  auto s = MakeSurface(121, 16);
  EXPECT_EQ(bar->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(eltest::DC(*s)), 0), 1);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 16}, kPaper), 121 * 16);
}

TEST_F(ScrollBarPaint, GripLinesOnlyOnThumbsLongerThan14) {
  bar->SetBarColor(clFuchsia);
  bar->SetPage(17);  // a 15-pixel thumb
  ASSERT_EQ(bar->Geometry().ThumbLength(), 15);
  auto s = Paint();
  // Four lines from 3 to 13 (bar offset 2, one more for the frame).
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 16}, clFuchsia), 40);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 3}, clFuchsia), 0);
  bar->SetPage(16);  // 14 pixels
  ASSERT_EQ(bar->Geometry().ThumbLength(), 14);
  s = Paint();
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 16}, clFuchsia), 0);
  bar->SetPage(40);
  bar->SetDrawBars(false);
  s = Paint();
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 16}, clFuchsia), 0);
  bar->SetDrawBars(true);
  bar->SetHeight(8);  // thinner than twice the offset plus three
  s = Paint();
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 8}, clFuchsia), 0);
}

TEST_F(ScrollBarPaint, AnOwnerDrawHandlerThatRefusesEveryPartLeavesThePaperAlone) {
  Drawer drawer;
  bar->OnDrawPart = TElScrollDrawPartEvent(&drawer, &Drawer::Draw);
  bar->SetPosition(50);
  auto s = Paint();
  EXPECT_TRUE(drawer.Offers.empty()) << "only with OwnerDraw";
  bar->SetOwnerDraw(true);
  s = Paint();
  EXPECT_EQ(drawer.Parts(), (std::vector<int>{spFirstArrow, spLastArrow, spTrackBefore, spThumb, spTrackAfter}));
  const TRect thumb = bar->Geometry().PartRect(spThumb);
  const int thumbArea = (thumb.right - thumb.left) * 16;
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 16}, clFuchsia), thumbArea);
  EXPECT_EQ(CountColor(*s, TRect{0, 0, 121, 16}, kPaper), 121 * 16 - thumbArea);
  EXPECT_TRUE(drawer.Offers[0].Enabled && drawer.Offers[1].Enabled);
  EXPECT_EQ(drawer.Offers[1].R.left, 105);
  // A disabled bar, and one too short for a thumb, offer the track as part 0.
  drawer.Offers.clear();
  bar->SetEnabled(false);
  Paint();
  EXPECT_EQ(drawer.Parts(), (std::vector<int>{spFirstArrow, spLastArrow, spNone}));
  EXPECT_EQ(drawer.Offers[2].R.left, 16);
  EXPECT_EQ(drawer.Offers[2].R.right, 105);
  for (const PartOffer& o : drawer.Offers) EXPECT_FALSE(o.Enabled) << int(o.Part);
  bar->SetEnabled(true);
  bar->SetWidth(34);
  drawer.Offers.clear();
  Paint();
  EXPECT_EQ(drawer.Parts(), (std::vector<int>{spFirstArrow, spLastArrow, spNone}));
}

TEST_F(ScrollBarPaint, TheOwnerDrawnThumbReportsItsDrag) {
  Drawer drawer;
  bar->SetOwnerDraw(true);
  bar->OnDrawPart = TElScrollDrawPartEvent(&drawer, &Drawer::Draw);
  bar->SetPosition(30);
  const TRect thumb = bar->Geometry().PartRect(spThumb);
  Send(WM_LBUTTONDOWN, thumb.left + 2, 8);
  drawer.Offers.clear();
  Paint();
  const std::vector<PartOffer> offers = drawer.Offers;
  Send(WM_LBUTTONUP, thumb.left + 2, 8);
  ASSERT_EQ(offers.size(), 5u);
  EXPECT_EQ(offers[3].Part, spThumb);
  EXPECT_TRUE(offers[3].Pressed);
  EXPECT_FALSE(offers[2].Pressed);
}

TEST_F(ScrollBarPaint, TheBlendedTrackIsACheckerOfTheColourAndItsLightShade) {
  ASSERT_EQ(ScrollBarBlendPattern() != nullptr, true);
  bar->SetSystemBkColor(false);
  auto s = Paint();
  const TRect after = bar->Geometry().PartRect(spTrackAfter);
  for (int y = 4; y < 8; ++y)
    for (int x = after.left; x < after.left + 4; ++x)
      EXPECT_TRUE(PixelIs(*s, x, y, ((x ^ y) & 1) ? clBtnFace : clBtnHighlight)) << x << ", " << y;
  // Without blending: the own colour, or the system's scroll-bar colour.
  bar->SetBlendBackground(false);
  bar->SetColor(clTeal);
  s = Paint();
  EXPECT_TRUE(PixelIs(*s, after.left + 2, 5, clTeal));
  bar->SetSystemBkColor(true);
  s = Paint();
  if (GetSysColor(COLOR_SCROLLBAR) != GetSysColor(COLOR_BTNFACE))
    EXPECT_TRUE(PixelIs(*s, after.left + 2, 5, clScrollBar));
  else
    EXPECT_NE(Px(*s, after.left + 2, 5), Px(*s, after.left + 3, 5)) << "equal system colours blend";
}

TEST_F(ScrollBarPaint, TheFirstBarsColourMakesThePattern) {
  bar->Free();
  bar = nullptr;
  ASSERT_EQ(ScrollBarBlendPattern(), nullptr) << "each test frees its bars";
  auto* owner = NewBar();
  owner->SetColor(0x604020);
  ASSERT_NE(ScrollBarBlendPattern(), nullptr);
  auto* other = NewBar();
  other->SetSystemBkColor(false);
  other->SetColor(clTeal);  // others paint with the pattern unchanged
  auto s = Paint(other);
  const TColor a = Px(*s, 40, 5), b = Px(*s, 41, 5);
  EXPECT_EQ(a == 0x604020 || b == 0x604020, true);
  const TColor light = a == 0x604020 ? b : a;
  EXPECT_GT(GetRValue(light) + GetGValue(light) + GetBValue(light), 0x60 + 0x40 + 0x20);
}

// The light shade of white and of a light grey is a quarter lighter,
// clamped: the checker stays light instead of turning black.
TEST_F(ScrollBarPaint, WhiteAndLightGreyBarsKeepALightPattern) {
  for (TColor colour : {TColor(clWhite), TColor(0xE0E0E0)}) {
    bar->Free();
    bar = nullptr;
    ASSERT_EQ(ScrollBarBlendPattern(), nullptr);
    bar = NewBar();
    bar->SetColor(colour);
    bar->SetSystemBkColor(false);
    auto s = Paint();
    const TRect after = bar->Geometry().PartRect(spTrackAfter);
    for (int x = after.left; x < after.left + 2; ++x) {
      const TColor c = Px(*s, x, 5);
      EXPECT_GE(GetRValue(c), GetRValue(colour)) << std::hex << colour << " at " << std::dec << x;
      EXPECT_GE(GetBValue(c), GetBValue(colour)) << std::hex << colour << " at " << std::dec << x;
    }
  }
}

TEST_F(ScrollBarPaint, BarsOutliveThePatternsOwner) {
  bar->Free();
  bar = nullptr;
  ASSERT_EQ(ScrollBarBlendPattern(), nullptr);
  auto* owner = NewBar();
  auto* other = NewBar();
  other->SetSystemBkColor(false);
  other->SetColor(clTeal);
  owner->Free();
  EXPECT_EQ(ScrollBarBlendPattern(), nullptr);
  auto s = Paint(other);
  EXPECT_TRUE(PixelIs(*s, 40, 5, clTeal));
  EXPECT_TRUE(PixelIs(*s, 41, 5, clTeal)) << "a plain fill while no pattern exists";
  auto* later = NewBar();  // the next bar makes a new one
  ASSERT_NE(ScrollBarBlendPattern(), nullptr);
  s = Paint(other);
  EXPECT_NE(Px(*s, 40, 5), Px(*s, 41, 5));
  later->Free();
}

// ------------------------------------------------------------ image form

class ScrollBarOnImageForm : public ScrollBarPaint {
 protected:
  void SetUp() override {
    ScrollBarPaint::SetUp();
    TBitmap tile;
    tile.SetPixelFormat(pf24bit);
    tile.SetSize(8, 8);
    for (int j = 0; j < 8; ++j)
      for (int i = 0; i < 8; ++i) tile.Canvas()->SetPixels(i, j, TileColor(i, j));
    form = new TElImageForm(Owner());
    form->SetControl(Form());
    form->SetBackground(&tile);
    form->SetBackgroundType(bgtTileBitmap);
    bar->SetImageForm(form);
  }
  static TColor TileColor(int i, int j) { return RGBToColor(Byte(i * 30), Byte(j * 30), 77); }
  // The background under the bar's pixel: the bar lies at (10, 10).
  static TColor Under(int x, int y) { return TileColor((x + 10) % 8, (y + 10) % 8); }
  TElImageForm* form = nullptr;
};

TEST_F(ScrollBarOnImageForm, TheBackgroundShowsWhereTheBarWouldFill) {
  bar->SetDrawBars(false);
  auto s = Paint();
  const TRect after = bar->Geometry().PartRect(spTrackAfter);
  for (int y = 0; y < 16; y += 3)
    for (int x = after.left; x < after.right; x += 7) EXPECT_TRUE(PixelIs(*s, x, y, Under(x, y))) << x << ", " << y;
  const TRect thumb = bar->Geometry().PartRect(spThumb);
  EXPECT_TRUE(PixelIs(*s, thumb.left + 4, 7, Under(thumb.left + 4, 7))) << "the thumb's face is not filled";
  EXPECT_TRUE(PixelIs(*s, 8, 2, Under(8, 2))) << "nor a button's";
  EXPECT_FALSE(PixelIs(*s, 105, 0, Under(105, 0))) << "frames are drawn";
}

TEST_F(ScrollBarOnImageForm, AnOwnerDrawHandlerThatRefusesEverythingLeavesOnlyTheBackground) {
  Drawer drawer;
  bar->SetOwnerDraw(true);
  bar->OnDrawPart = TElScrollDrawPartEvent(&drawer, &Drawer::Draw);
  bar->SetPosition(50);
  auto s = Paint();
  const TRect thumb = bar->Geometry().PartRect(spThumb);
  int background = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 121; ++x) background += Px(*s, x, y) == ColorToRGB(Under(x, y));
  EXPECT_EQ(background, 121 * 16 - (thumb.right - thumb.left) * 16);
}

TEST_F(ScrollBarOnImageForm, TheFormsChangesRepaintAndItsEndIsNoticed) {
  ValidateRect(bar->Handle(), nullptr);
  form->SetBackgroundType(bgtCenterBitmap);
  EXPECT_NE(GetUpdateRect(bar->Handle(), nullptr, FALSE), 0);
  form->Free();
  form = nullptr;
  EXPECT_EQ(bar->ImageForm(), nullptr);
  bar->SetSystemBkColor(false);
  bar->SetBlendBackground(false);
  bar->SetColor(clTeal);
  auto s = Paint();
  EXPECT_TRUE(PixelIs(*s, 60, 8, clTeal));
}

// ------------------------------------------------------------ themes

// Paints the bar with its theme and compares a part with the theme's own
// drawing of the expected part and state.
class ScrollBarActiveStyle : public ScrollBarPaint {
 protected:
  void SetUp() override {
    ScrollBarPaint::SetUp();
    bar->SetUseXPThemes(true);
    if (bar->IsThemeApplied()) return;
    ASSERT_NE(eltest::ExpectedThemeState(), eltest::ThemeState::Active) << "the style is on in this prefix";
    GTEST_SKIP() << "no visual style in this prefix";
  }
  // Whether the rectangle of the painted bar matches the theme's drawing.
  bool Matches(TBitmap& painted, const TRect& r, int part, int state) {
    auto reference = MakeSurface(painted.Width(), painted.Height());
    DrawThemeBackground(bar->Theme(), eltest::DC(*reference), part, state, &r, nullptr);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (Px(painted, x, y) != Px(*reference, x, y)) return false;
    return true;
  }
};

TEST_F(ScrollBarActiveStyle, ArrowsAndTracksUseTheirThemeParts) {
  auto s = Paint();
  ASSERT_FALSE(Matches(*s, kLastArrow, SBP_ARROWBTN, ABS_RIGHTDISABLED)) << "the states must differ";
  EXPECT_TRUE(Matches(*s, kLastArrow, SBP_ARROWBTN, ABS_RIGHTNORMAL));
  EXPECT_TRUE(Matches(*s, kFirstArrow, SBP_ARROWBTN, ABS_LEFTDISABLED));
  EXPECT_TRUE(Matches(*s, bar->Geometry().PartRect(spTrackAfter), SBP_LOWERTRACKHORZ, SCRBS_NORMAL));
  bar->SetKind(sbVertical);
  bar->SetBounds(10, 10, 16, 121);
  bar->SetPosition(100);
  s = Paint();
  EXPECT_TRUE(Matches(*s, TRect{0, 0, 16, 16}, SBP_ARROWBTN, ABS_UPNORMAL));
  EXPECT_TRUE(Matches(*s, TRect{0, 105, 16, 121}, SBP_ARROWBTN, ABS_DOWNDISABLED));
  EXPECT_TRUE(Matches(*s, bar->Geometry().PartRect(spTrackBefore), SBP_UPPERTRACKVERT, SCRBS_NORMAL));
  bar->SetEnabled(false);
  s = Paint();
  EXPECT_TRUE(Matches(*s, bar->Geometry().PartRect(spNone), SBP_LOWERTRACKVERT, SCRBS_DISABLED));
}

class ScrollBarNoStyle : public ScrollBarPaint {
 protected:
  void SetUp() override {
    if (eltest::ExpectedThemeState() != eltest::ThemeState::Off) GTEST_SKIP() << "runs in the theme-state prefix";
    ScrollBarPaint::SetUp();
  }
};

TEST_F(ScrollBarNoStyle, WithoutAVisualStyleTheBarDrawsItsOwnLook) {
  bar->SetUseXPThemes(true);
  EXPECT_FALSE(bar->IsThemeApplied());
  auto s = Paint();
  EXPECT_TRUE(PixelIs(*s, 120, 15, clBtnShadow));
  EXPECT_EQ(CountColor(*s, kLastArrow, clBtnText), 16);
}

}  // namespace
