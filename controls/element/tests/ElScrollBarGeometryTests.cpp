// The scroll bar's geometry without a window: lengths, thumb places and the
// positions they stand for, hit testing, the steps of presses, repeats, keys
// and wheel turns, and the repairs of ranges and scroll-info records. The
// metrics are fixed (16-pixel arrows and thumbs), so every figure here is
// worked out by hand.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "ElScrollBarGeometry.hpp"

// Rectangles compared and printed by value (found by argument lookup).
static bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
static void PrintTo(TElScrollBarPart part, std::ostream* os) { *os << "part " << int(part); }
static void PrintTo(TElScrollCode code, std::ostream* os) { *os << "code " << int(code); }
static void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

// A new bar: horizontal, 121 x 16, range 0..100, page 14.
TElScrollBarGeometry Bar(TScrollBarKind kind = sbHorizontal, int length = 121) {
  TElScrollBarGeometry g;
  g.Kind = kind;
  g.ClientWidth = kind == sbHorizontal ? length : 16;
  g.ClientHeight = kind == sbHorizontal ? 16 : length;
  g.UpdateThumbOffset();
  return g;
}

SCROLLINFO Info(UINT mask, int nMin = 0, int nMax = 0, UINT nPage = 0, int nPos = 0) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = mask;
  si.nMin = nMin;
  si.nMax = nMax;
  si.nPage = nPage;
  si.nPos = nPos;
  return si;
}

// ------------------------------------------------------------ lengths

TEST(ScrollBarGeometry, ThumbFollowsThePageAndEndsAtTheLastButtonAtTheLastPage) {
  TElScrollBarGeometry g = Bar();
  EXPECT_EQ(g.ButtonLength(), 16);
  // 89 pixels of track; the page is 14 of 101 values.
  EXPECT_EQ(g.ThumbLength(), 12);
  EXPECT_EQ(g.ThumbOffset, 16);
  // Position 87 shows the last page: the thumb touches the last button.
  g.Position = 87;
  g.UpdateThumbOffset();
  EXPECT_EQ(g.ThumbOffset + g.ThumbLength(), 121 - 16);
  // Positions past the last page keep it there.
  g.Position = 100;
  g.UpdateThumbOffset();
  EXPECT_EQ(g.ThumbOffset + g.ThumbLength(), 121 - 16);
}

TEST(ScrollBarGeometry, ThumbLengthRules) {
  TElScrollBarGeometry g = Bar();
  g.Page = 0;  // no page: the system thumb length
  EXPECT_EQ(g.ThumbLength(), 16);
  g.Page = 1;  // tiny page: at least MinThumbSize
  EXPECT_EQ(g.ThumbLength(), 4);
  g.MinThumbSize = 30;
  EXPECT_EQ(g.ThumbLength(), 30);
  g.MinThumbSize = 90;  // longer than the track: no thumb
  EXPECT_EQ(g.ThumbLength(), 0);
  g.MinThumbSize = 4;
  g.Page = 500;  // the page covers the range: the thumb fills the track
  EXPECT_EQ(g.ThumbLength(), 89);
  g.Page = 14;
  g.ThumbMode = etmFixed;
  g.ThumbSize = 40;
  EXPECT_EQ(g.ThumbLength(), 16) << "system metrics give the system thumb length";
  g.UseSystemMetrics = false;
  EXPECT_EQ(g.ThumbLength(), 40);
}

TEST(ScrollBarGeometry, ShortBarsShrinkTheirButtonsAndLoseTheThumb) {
  TElScrollBarGeometry g = Bar(sbVertical, 20);
  EXPECT_EQ(g.ButtonLength(), 10);
  EXPECT_EQ(g.ThumbLength(), 0);
  EXPECT_EQ(g.HitTest(8, 9), spFirstArrow);
  EXPECT_EQ(g.HitTest(8, 11), spLastArrow);
  // Two pixels of track are too few for a four-pixel thumb.
  g = Bar(sbVertical, 34);
  EXPECT_EQ(g.ButtonLength(), 16);
  EXPECT_EQ(g.ThumbLength(), 0);
  EXPECT_EQ(g.PartRect(spNone), (TRect{0, 16, 16, 18}));
  EXPECT_EQ(g.PartRect(spThumb), (TRect{0, 0, 0, 0}));
  // Four buttons share 50 pixels.
  g = Bar(sbHorizontal, 50);
  g.SecondaryButtons = true;
  EXPECT_EQ(g.ButtonLength(), 12);
  EXPECT_EQ(g.TrackStart(), 24);
  EXPECT_EQ(g.TrackEnd(), 26);
}

TEST(ScrollBarGeometry, HiddenArrowsLeaveTheirRoomToTheTrack) {
  TElScrollBarGeometry g = Bar();
  g.ShowLeftArrows = false;
  g.UpdateThumbOffset();
  EXPECT_EQ(g.ThumbOffset, 0);
  EXPECT_EQ(g.PartRect(spFirstArrow), (TRect{0, 0, 0, 0}));
  EXPECT_EQ(g.HitTest(2, 5), spThumb);
  g.ShowRightArrows = false;
  g.ClientWidth = 0;  // no buttons and no length must not divide by zero
  EXPECT_EQ(g.ButtonLength(), 16);
  EXPECT_EQ(g.ThumbLength(), 0);
  EXPECT_EQ(g.HitTest(0, 0), spTrackAfter);
}

// ------------------------------------------------------------ thumb and position

TEST(ScrollBarGeometry, EveryThumbPlaceMapsToAPositionThatPutsTheThumbBack) {
  TElScrollBarGeometry g = Bar();
  for (int offset = 16; offset <= 93; ++offset) {
    g.Position = g.PositionFromOffset(offset);
    EXPECT_EQ(g.ComputeThumbOffset(), offset) << "offset " << offset;
  }
  EXPECT_EQ(g.PositionFromOffset(16), 0);
  EXPECT_EQ(g.PositionFromOffset(93), 87);
}

TEST(ScrollBarGeometry, AThumbFillingTheTrackStandsForTheMinimum) {
  TElScrollBarGeometry g = Bar();
  g.Min = 5;
  g.Max = 10;
  g.Page = 20;
  g.UpdateThumbOffset();
  EXPECT_EQ(g.PositionFromOffset(g.ThumbOffset), 5);
  g.Page = 2;
  g.ThumbMode = etmFixed;
  g.UseSystemMetrics = false;
  g.ThumbSize = 200;  // longer than the whole bar
  EXPECT_EQ(g.PositionFromOffset(16), 5);
  EXPECT_EQ(g.ComputeThumbOffset(), 16);
  // Drawn, it stays between the buttons.
  EXPECT_EQ(g.PartRect(spThumb), (TRect{16, 0, 105, 16}));
}

TEST(ScrollBarGeometry, DraggedThumbStaysInTheTrackAndSnapsBackFarOutside) {
  TElScrollBarGeometry g = Bar();  // L = 121, half = 60
  const int origin = 50, grab = 10;  // the thumb was at 40
  EXPECT_EQ(g.DraggedThumbOffset(70, origin, grab), 60);
  EXPECT_EQ(g.DraggedThumbOffset(-60, origin, grab), 16) << "60 beyond is not more than half";
  EXPECT_EQ(g.DraggedThumbOffset(-61, origin, grab), 40);
  EXPECT_EQ(g.DraggedThumbOffset(181, origin, grab), 93);
  EXPECT_EQ(g.DraggedThumbOffset(182, origin, grab), 40);
}

TEST(ScrollBarGeometry, HugeRangesNeitherOverflowNorLeaveTheRange) {
  TElScrollBarGeometry g = Bar();
  g.Min = INT_MIN;
  g.Max = INT_MAX;
  g.Page = 0;
  g.Position = INT_MAX;
  g.UpdateThumbOffset();
  EXPECT_EQ(g.ThumbOffset + g.ThumbLength(), 105);
  EXPECT_EQ(g.PositionFromOffset(16), INT_MIN);
  g.Step = INT_MAX;
  EXPECT_EQ(g.PressStep(spLastArrow).Proposal, INT_MAX);
  g.Position = INT_MIN + 1;
  EXPECT_EQ(g.PressStep(spFirstArrow).Proposal, INT_MIN);
}

// ------------------------------------------------------------ hit testing

TEST(ScrollBarGeometry, HitTestFindsEveryPartAlongAVerticalBar) {
  TElScrollBarGeometry g = Bar(sbVertical, 200);
  g.SecondaryButtons = true;
  g.Position = 50;
  g.UpdateThumbOffset();
  const TElScrollBarPart order[] = {spFirstArrow, spSecondFirst, spTrackBefore, spThumb,
                                    spTrackAfter, spSecondLast, spLastArrow};
  for (TElScrollBarPart part : order) {
    TRect r = g.PartRect(part);
    ASSERT_LT(r.top, r.bottom) << int(part);
    // The middle of each part, and its first row past the shared edges.
    EXPECT_EQ(g.HitTest(8, (r.top + r.bottom) / 2), part) << int(part);
  }
  EXPECT_EQ(g.HitTest(17, 100), spNone) << "beside the bar";
  EXPECT_EQ(g.HitTest(-1, 100), spNone);
  EXPECT_EQ(g.HitTest(16, 100), g.HitTest(8, 100)) << "the far edge still counts";
}

TEST(ScrollBarGeometry, PartsTileTheBarWithoutGapsOrOverlaps) {
  TElScrollBarGeometry g = Bar(sbHorizontal, 300);
  g.SecondaryButtons = true;
  g.Position = 30;
  g.UpdateThumbOffset();
  const TElScrollBarPart order[] = {spFirstArrow, spSecondFirst, spTrackBefore, spThumb,
                                    spTrackAfter, spSecondLast, spLastArrow};
  int x = 0;
  for (TElScrollBarPart part : order) {
    TRect r = g.PartRect(part);
    EXPECT_EQ(r.left, x) << int(part);
    EXPECT_EQ(r.bottom, 16);
    x = r.right;
  }
  EXPECT_EQ(x, 300);
}

// ------------------------------------------------------------ steps

TEST(ScrollBarGeometry, PressesProposeTheirStepAndStartOnlyWhenTheBarCanMove) {
  TElScrollBarGeometry g = Bar();
  g.Position = 0;
  EXPECT_FALSE(g.PressStep(spFirstArrow).Tracks) << "already at the minimum";
  EXPECT_FALSE(g.PressStep(spTrackBefore).Tracks);
  TElPressStep forward = g.PressStep(spLastArrow);
  EXPECT_TRUE(forward.Tracks);
  EXPECT_EQ(forward.Code, scLineForward);
  EXPECT_EQ(forward.Proposal, 1);
  TElPressStep page = g.PressStep(spTrackAfter);
  EXPECT_EQ(page.Code, scPageForward);
  EXPECT_EQ(page.Proposal, 14);
  g.Position = 95;
  EXPECT_EQ(g.PressStep(spTrackAfter).Proposal, 100);
  EXPECT_EQ(g.PressStep(spTrackBefore).Proposal, 81);
  g.Position = 100;
  EXPECT_FALSE(g.PressStep(spLastArrow).Tracks);
  EXPECT_FALSE(g.PressStep(spNone).Tracks);
}

TEST(ScrollBarGeometry, SecondaryButtonsFollowTheirKind) {
  TElScrollBarGeometry g = Bar();
  g.SecondaryButtons = true;
  g.Position = 50;
  g.SecondBtnKind = sbkOpposite;
  EXPECT_EQ(g.PressStep(spSecondLast).Code, scLineBack);
  EXPECT_EQ(g.PressStep(spSecondFirst).Code, scLineForward);
  g.SecondBtnKind = sbkPage;
  EXPECT_EQ(g.PressStep(spSecondLast).Code, scPageForward);
  EXPECT_EQ(g.PressStep(spSecondLast).Proposal, 64);
  EXPECT_EQ(g.PressStep(spSecondFirst).Proposal, 36);
}

TEST(ScrollBarGeometry, CustomSecondaryButtonsRaiseTheirCodesWithoutMoving) {
  TElScrollBarGeometry g = Bar();
  g.SecondaryButtons = true;
  g.SecondBtnKind = sbkCustom;
  for (int position : {0, 50, 100}) {
    g.Position = position;
    TElPressStep last = g.PressStep(spSecondLast), first = g.PressStep(spSecondFirst);
    EXPECT_EQ(last.Code, scSecondLast);
    EXPECT_EQ(first.Code, scSecondFirst);
    EXPECT_EQ(last.Proposal, position);
    EXPECT_EQ(first.Proposal, position);
    EXPECT_TRUE(last.Tracks && first.Tracks) << "they repeat even at the ends";
    EXPECT_EQ(g.RepeatStep(spSecondLast, spSecondLast)->Code, scSecondLast);
    EXPECT_EQ(g.RepeatStep(spSecondFirst, spSecondFirst)->Proposal, position);
  }
}

TEST(ScrollBarGeometry, RepeatsPageByOneWithoutAPageAndStopOnceTheThumbReachesThePointer) {
  TElScrollBarGeometry g = Bar();
  g.Position = 50;
  g.Page = 0;
  EXPECT_EQ(g.PressStep(spTrackAfter).Proposal, 50) << "the press pages by the page itself";
  EXPECT_EQ(g.RepeatStep(spTrackAfter, spTrackAfter)->Proposal, 51);
  g.Page = 10;
  EXPECT_EQ(g.RepeatStep(spTrackBefore, spTrackBefore)->Proposal, 40);
  std::optional<TElScrollStep> reached = g.RepeatStep(spTrackBefore, spThumb);
  ASSERT_TRUE(reached);
  EXPECT_EQ(reached->Code, scPageBack);
  EXPECT_EQ(reached->Proposal, 50);
  EXPECT_EQ(g.RepeatStep(spFirstArrow, spTrackBefore)->Proposal, 49) << "arrows repeat wherever the pointer is";
  EXPECT_FALSE(g.RepeatStep(spThumb, spThumb));
}

TEST(ScrollBarGeometry, NoDragWhenThePageCoversTheRange) {
  TElScrollBarGeometry g = Bar();
  EXPECT_TRUE(g.PressStep(spThumb).Tracks);
  g.Page = 101;
  EXPECT_FALSE(g.PressStep(spThumb).Tracks);
  g.Page = 0;
  g.Max = 0;
  EXPECT_FALSE(g.PressStep(spThumb).Tracks) << "Max = Min";
}

TEST(ScrollBarGeometry, EnabledTests) {
  TElScrollBarGeometry g = Bar();
  g.Position = 87;
  EXPECT_TRUE(g.CanDecrease());
  EXPECT_TRUE(g.CanIncrease());
  g.AltDisablingArrows = true;
  EXPECT_FALSE(g.CanIncrease()) << "the last page is shown";
  g.Position = 86;
  EXPECT_TRUE(g.CanIncrease());
  g.Page = 100;  // Max - Min < Page
  EXPECT_TRUE(g.CanDecrease());
  g.Page = 101;
  EXPECT_FALSE(g.CanDecrease());
  EXPECT_FALSE(g.CanIncrease());
}

TEST(ScrollBarGeometry, KeysMoveByOneByAPageOrToTheEnds) {
  TElScrollBarGeometry g = Bar();
  g.Position = 5;
  g.Step = 7;  // keys ignore Step
  EXPECT_EQ(g.KeyStep(VK_UP)->Proposal, 4);
  EXPECT_EQ(g.KeyStep(VK_LEFT)->Code, scLineBack);
  EXPECT_EQ(g.KeyStep(VK_DOWN)->Proposal, 6);
  EXPECT_EQ(g.KeyStep(VK_PRIOR)->Proposal, 0);
  EXPECT_EQ(g.KeyStep(VK_PRIOR)->Code, scPageBack);
  EXPECT_EQ(g.KeyStep(VK_NEXT)->Proposal, 19);
  EXPECT_EQ(g.KeyStep(VK_HOME)->Code, scTop);
  EXPECT_EQ(g.KeyStep(VK_END)->Code, scBottom);
  EXPECT_EQ(g.KeyStep(VK_END)->Proposal, 100);
  EXPECT_FALSE(g.KeyStep(VK_TAB));
  EXPECT_FALSE(g.KeyStep('A'));
}

TEST(ScrollBarGeometry, WheelLinesSettingsAreClampedAndNeverDivideByZero) {
  TElScrollBarGeometry g = Bar();
  struct Case {
    UINT Lines;
    int Delta;
    int Count;
  } cases[] = {
      {0, 120, 1},    {3, 120, 3},     {3, -240, 6}, {3, 60, 1},  {3, 30, 0},
      {120, 120, 120}, {121, 120, 120}, {7, 120, 7},  {1000, -120, 120},
  };
  for (const Case& c : cases) {
    TElWheelTurn turn = g.WheelTurn(c.Delta, c.Lines);
    EXPECT_EQ(turn.Count, c.Count) << c.Lines << " lines, delta " << c.Delta;
    if (c.Count) {
      EXPECT_EQ(turn.Delta, c.Delta > 0 ? -1 : 1);
    }
  }
}

TEST(ScrollBarGeometry, AForwardTurnScrollsTowardsTheMinimumWithItsCode) {
  TElScrollBarGeometry g = Bar();
  g.Position = 50;
  TElWheelTurn up = g.WheelTurn(120, 3), down = g.WheelTurn(-120, 3);
  EXPECT_EQ(up.Code, scLineBack);
  EXPECT_EQ(g.WheelProposal(up), 49);
  EXPECT_EQ(down.Code, scLineForward);
  EXPECT_EQ(g.WheelProposal(down), 51);
  g.Position = 0;
  EXPECT_EQ(g.WheelProposal(up), 0) << "proposals stay in the range";
}

TEST(ScrollBarGeometry, OneScreenAtATimeScrollsByPages) {
  TElScrollBarGeometry g = Bar();
  g.Position = 50;
  TElWheelTurn up = g.WheelTurn(240, WHEEL_PAGESCROLL);
  EXPECT_EQ(up.Count, 2);
  EXPECT_EQ(up.Code, scPageBack);
  EXPECT_EQ(g.WheelProposal(up), 36);
  TElWheelTurn down = g.WheelTurn(-120, WHEEL_PAGESCROLL);
  EXPECT_EQ(down.Count, 1);
  EXPECT_EQ(down.Code, scPageForward);
  EXPECT_EQ(g.WheelProposal(down), 64);
  EXPECT_EQ(g.WheelTurn(60, WHEEL_PAGESCROLL).Count, 0);
  g.Page = 0;
  EXPECT_EQ(g.WheelProposal(g.WheelTurn(120, WHEEL_PAGESCROLL)), 49);
}

// ------------------------------------------------------------ repairs

TEST(ScrollBarGeometry, PositionChangesSayWhenTheButtonsChangeTheirLook) {
  TElScrollBarGeometry g = Bar();
  g.Position = 50;
  TElPositionChange c = g.SetPosition(51);
  EXPECT_TRUE(c.Changed);
  EXPECT_FALSE(c.ButtonsChanged);
  c = g.SetPosition(-20);
  EXPECT_EQ(g.Position, 0);
  EXPECT_TRUE(c.ButtonsChanged);
  // From one end to the other: both arrows change even though neither
  // position lies inside the range.
  c = g.SetPosition(100);
  EXPECT_TRUE(c.ButtonsChanged);
  c = g.SetPosition(300);
  EXPECT_FALSE(c.Changed);
}

TEST(ScrollBarGeometry, RangeRepairs) {
  TElScrollBarGeometry g = Bar();
  g.SetMaxRepaired(-5);
  EXPECT_EQ(g.Max, 0);
  EXPECT_EQ(g.Page, 1);
  g = Bar();
  g.SetMinRepaired(200);
  EXPECT_EQ(g.Min, 200);
  EXPECT_EQ(g.Max, 200);
  g = Bar();
  g.SetMaxRepaired(10);
  EXPECT_EQ(g.Page, 11);
  g.Min = 10;  // stored while loading, without repairs
  g.Max = 3;
  g.Page = 14;
  g.Position = 50;
  g.RepairLoaded();
  EXPECT_EQ(g.Max, 10);
  EXPECT_EQ(g.Page, 1);
  EXPECT_EQ(g.Position, 10);
}

TEST(ScrollBarGeometry, ScrollInfoWithARange) {
  TElScrollBarGeometry g = Bar();
  g.Position = 50;
  g.ApplyScrollInfo(Info(SIF_RANGE | SIF_POS, 10, 5, 0, 7));
  EXPECT_EQ(g.Max, 100) << "nMax below nMin changes nothing";
  EXPECT_EQ(g.Position, 50);
  g.ApplyScrollInfo(Info(SIF_ALL, 0, 40, 8, 99));
  EXPECT_EQ(g.Position, 40) << "a position outside the new range becomes nMax";
  EXPECT_EQ(g.Max, 40);
  EXPECT_EQ(g.Page, 8);
  g.ApplyScrollInfo(Info(SIF_RANGE | SIF_PAGE, 0, 30, 3));
  EXPECT_EQ(g.Max, 40) << "without a position the range must hold the current one";
  EXPECT_EQ(g.Page, 8);
  g.ApplyScrollInfo(Info(SIF_RANGE | SIF_PAGE, 20, 60, 3));
  EXPECT_EQ(g.Min, 20);
  EXPECT_EQ(g.Max, 60);
  EXPECT_EQ(g.Page, 3);
}

TEST(ScrollBarGeometry, ScrollInfoWithoutARange) {
  TElScrollBarGeometry g = Bar();
  g.Position = 50;
  g.ApplyScrollInfo(Info(SIF_POS | SIF_PAGE, 0, 0, 5, 101));
  EXPECT_EQ(g.Position, 50) << "a position outside the range is refused";
  EXPECT_EQ(g.Page, 14);
  g.ApplyScrollInfo(Info(SIF_POS | SIF_PAGE, 0, 0, 5, 60));
  EXPECT_EQ(g.Position, 60);
  EXPECT_EQ(g.Page, 5);
  g.ApplyScrollInfo(Info(SIF_PAGE, 0, 0, 200));
  EXPECT_EQ(g.Page, 200);
  g.ApplyScrollInfo(Info(SIF_PAGE, 0, 0, 0xFFFFFFFFu));
  EXPECT_EQ(g.Page, 200) << "a page beyond the integer range is no page";
}

TEST(ScrollBarGeometry, ScrollInfoReadsTheDraggedThumbAsTrackPosition) {
  TElScrollBarGeometry g = Bar();
  g.Position = 10;
  g.UpdateThumbOffset();
  g.ThumbOffset = 93;  // dragged to the end
  SCROLLINFO si = Info(SIF_ALL | SIF_TRACKPOS);
  g.FillScrollInfo(si);
  EXPECT_EQ(si.nPos, 10);
  EXPECT_EQ(si.nTrackPos, 87);
  EXPECT_EQ(si.nPage, 14u);
  EXPECT_EQ(si.nMax, 100);
}

// ------------------------------------------------------------ track hint

TEST(ScrollBarGeometry, TheTrackHintSitsBesideTheThumbAndStaysOnTheDesktop) {
  const TRect desktop{0, 0, 1280, 1024};
  const SIZE size{60, 20};
  // Above a horizontal bar, its corner one pixel off the anchor.
  TRect r = PlaceTrackHint(sbHorizontal, 40, POINT{300, 500}, size, desktop);
  EXPECT_EQ(r, (TRect{277, 474, 337, 494}));
  // Left of a vertical bar.
  r = PlaceTrackHint(sbVertical, 40, POINT{300, 500}, size, desktop);
  EXPECT_EQ(r, (TRect{237, 517, 297, 537}));
  // Pushed back by the overflow at each edge.
  r = PlaceTrackHint(sbHorizontal, 10, POINT{20, 10}, size, desktop);
  EXPECT_EQ(r, (TRect{0, 0, 60, 20}));
  r = PlaceTrackHint(sbVertical, 1100, POINT{1400, 0}, size, desktop);
  EXPECT_EQ(r, (TRect{1220, 1004, 1280, 1024}));
  r = PlaceTrackHint(sbHorizontal, 0, POINT{-500, -300}, size, TRect{-1280, -1024, 0, 0});
  EXPECT_EQ(r, (TRect{-563, -326, -503, -306})) << "a desktop left of and above the primary screen";
}

}  // namespace
