// The edit's geometry without a window: positions to points and back, the
// horizontal view, scrolling and its clamps, painting's line layout, and the
// answers to the standard edit messages.
#include <gtest/gtest.h>

#include <cstring>

#include "ElEditTestSupport.hpp"

using edittest::Edit;
using edittest::Pos;

namespace {

TElFString Numbered(int n) {
  TElFString text;
  for (int i = 1; i <= n; ++i) text += std::to_wstring(i) + (i < n ? L"\r\n" : L"");
  return text;
}

}  // namespace

TEST(ElEditCore, SettersKeepTheirRules) {
  edittest::FixedMeasurer measurer;
  TElEditCore core(&measurer, nullptr);
  EXPECT_EQ(core.RightMargin(), 5);
  EXPECT_EQ(core.TopMargin(), 0);
  EXPECT_EQ(core.MaxUndoLevel(), 0);
  EXPECT_TRUE(core.AlignBottom());
  EXPECT_TRUE(core.NotifyUserChangeOnly());
  EXPECT_EQ(core.LineHeight(), 15);  // font height 13 + 2
  core.SetTopMargin(7);  // ignored while AlignBottom
  EXPECT_EQ(core.TopMargin(), 0);
  core.SetTabSpaces(0);
  core.SetTabSpaces(-3);
  EXPECT_EQ(core.TabSpaces(), 4);
  core.SetScrollBars(ssBoth);  // single-line edits have none
  EXPECT_EQ(core.ScrollBars(), ssNone);
  core.SetPasswordChar(L"#?");
  EXPECT_EQ(core.PasswordChar(), L"#");
  core.SetMultiline(true);
  EXPECT_FALSE(core.AlignBottom());
  EXPECT_EQ(core.TopMargin(), 1);
  core.SetAlignment(taCenter);
  EXPECT_TRUE(core.WordWrap());
}

TEST(ElEditCore, PointsAndPositionsRoundTrip) {
  Edit e;
  e.Core.SetText(L"abc\r\ndef gh\r\n\tx");
  EXPECT_EQ(e.Core.PosToPoint(Pos(2, 1)).x, 17);  // two characters and the left margin
  EXPECT_EQ(e.Core.PosToPoint(Pos(2, 1)).y, 16);
  for (TAlignment alignment : {taLeftJustify, taCenter, taRightJustify}) {
    e.Core.SetAlignment(alignment);
    for (int line = 0; line < 3; ++line)
      for (int column = 0; column <= static_cast<int>(e.Core.Lines()->GetDisplayLine(line).size()); ++column)
        EXPECT_EQ(e.Core.PointToPos(e.Core.PosToPoint(Pos(column, line))), Pos(column, line))
            << "alignment " << alignment;
  }
  e.Core.SetAlignment(taCenter);
  EXPECT_EQ(e.Core.PosToPoint(Pos(0, 0)).x, 1 + 81 / 2 - 24 / 2);
  e.Core.SetAlignment(taRightJustify);
  EXPECT_EQ(e.Core.PosToPoint(Pos(0, 0)).x, 1 + 81 - 24 - 2);
}

TEST(ElEditCore, TabsAndMasksMeasureAsShown) {
  Edit e;
  e.Core.SetText(L"\tb");
  // The TAB is four blanks (32 pixels): its middle decides the side.
  EXPECT_EQ(e.Core.PointToPos({15, 1}), Pos(0, 0));
  EXPECT_EQ(e.Core.PointToPos({18, 1}), Pos(1, 0));
  EXPECT_EQ(e.Core.PosToPoint(Pos(1, 0)).x, 33);
  e.Measurer.Widths[L'*'] = 16;
  e.Core.SetPasswordChar(L"*");
  EXPECT_EQ(e.Core.PosToPoint(Pos(1, 0)).x, 17);
  std::vector<TElEditPaintLine> painted = e.Core.PaintLines();
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].Text, L"**");
}

TEST(ElEditCore, PointsOutsideTheViewAreMarked) {
  Edit e;
  e.Core.SetText(L"abcdefghijklmno\r\nx");
  EXPECT_EQ(e.Core.PosToPoint(Pos(12, 0)).x, -2);  // right of the text area
  TPoint past = e.Core.PosToPoint(Pos(3, 9));      // no such line: measures as empty
  EXPECT_EQ(past.x, 1);
  EXPECT_EQ(past.y, 9 * 15 + 1 + e.Core.EditRect().bottom);
  EXPECT_EQ(e.Core.PointToPos({500, 500}), Pos(1, 1));  // clamped to the text
  EXPECT_EQ(e.Core.PointToPos({-5, -40}), Pos(0, 0));
}

TEST(ElEditCore, HorizontalViewFollowsTheCaret) {
  Edit e;
  e.Type("abcdefghijk");  // one past the ten columns
  EXPECT_EQ(e.Core.FirstColumn(), 4);
  EXPECT_EQ(e.Host.Caret.x, 1 + 7 * 8);  // about three quarters of the width
  for (int i = 0; i < 7; ++i) e.Key(VK_LEFT);
  EXPECT_EQ(e.Caret(), Pos(4, 0));
  EXPECT_EQ(e.Core.FirstColumn(), 2);  // back by a quarter of the width
  e.Key(VK_HOME);
  EXPECT_EQ(e.Core.FirstColumn(), 0);

  e.Core.SetWordWrap(true);
  e.Core.SetFirstColumn(3);
  EXPECT_EQ(e.Core.FirstColumn(), 0);
  e.Key(VK_END);
  EXPECT_EQ(e.Core.FirstColumn(), 0);
}

TEST(ElEditCore, SingleLineTextIsCentredVertically) {
  Edit e(false);
  e.Core.SetEditRect({0, 0, 86, 21});
  EXPECT_EQ(e.Core.TopMargin(), 3);
  e.Core.SetEditRect({0, 2, 86, 40});
  EXPECT_EQ(e.Core.TopMargin(), 2 + (38 - 15) / 2);
  e.Core.SetText(L"x");
  EXPECT_EQ(e.Core.PaintLines().at(0).Bottom, 15 + e.Core.TopMargin());
}

TEST(ElEditCore, VerticalScrollingStopsAtTheEnds) {
  Edit e;
  e.Core.SetText(Numbered(12));  // five lines show: the last page starts at 7
  struct Step {
    int code, position, first;
  } steps[] = {
      {SB_LINEDOWN, 0, 1}, {SB_PAGEDOWN, 0, 6}, {SB_PAGEDOWN, 0, 7},   {SB_LINEDOWN, 0, 7},
      {SB_PAGEUP, 0, 2},   {SB_PAGEUP, 0, 0},   {SB_THUMBTRACK, 20, 0}, {SB_THUMBTRACK, 9, 7},
      {SB_TOP, 0, 0},      {SB_BOTTOM, 0, 7},   {SB_ENDSCROLL, 0, 7},   {SB_LINEUP, 0, 6},
  };
  for (const Step& s : steps) {
    e.Core.VScroll(s.code, s.position);
    EXPECT_EQ(e.Core.FirstLine(), s.first) << "code " << s.code;
  }
  e.Core.ScrollLines(-100);
  EXPECT_EQ(e.Core.FirstLine(), 0);
  e.Core.SetText(L"short");
  e.Core.VScroll(SB_BOTTOM, 0);
  EXPECT_EQ(e.Core.FirstLine(), 0);
}

TEST(ElEditCore, WheelMovesByTheSystemSetting) {
  Edit e;
  e.Core.SetText(Numbered(40));
  e.Core.VScroll(SB_THUMBPOSITION, 20);
  struct Turn {
    int delta;
    unsigned setting;
    int first;
  } turns[] = {
      {120, 3, 17},   // forward moves up
      {-120, 0, 18},  // a setting of 0 counts as 1
      {-240, 120, 35},
      {120, 121, 0},  // more than 120 lines a notch is 120
      {-120, WHEEL_PAGESCROLL, 5},
      {-360, WHEEL_PAGESCROLL, 20},
      {120, WHEEL_PAGESCROLL, 15},
  };
  for (const Turn& t : turns) {
    e.Core.MouseWheel(t.delta, t.setting);
    EXPECT_EQ(e.Core.FirstLine(), t.first) << t.delta << " " << t.setting;
  }
}

TEST(ElEditCore, ScrollRangesFollowTheText) {
  Edit e;
  e.Core.SetScrollBars(ssBoth);
  e.Core.SetText(Numbered(3));
  TElEditScrollRanges r = e.Host.Ranges;
  EXPECT_TRUE(r.Vert.Wanted);
  EXPECT_FALSE(r.Vert.Enabled);
  EXPECT_FALSE(r.Horz.Enabled);
  e.Core.SetText(Numbered(12) + L"\r\nabcdefghijklmnopqrstuvwxyz0123");
  e.Core.VScroll(SB_LINEDOWN, 0);
  r = e.Host.Ranges;
  EXPECT_TRUE(r.Vert.Enabled);
  EXPECT_EQ(r.Vert.Max, 12);
  EXPECT_EQ(r.Vert.Page, 5);
  EXPECT_EQ(r.Vert.Position, 1);
  EXPECT_TRUE(r.Horz.Enabled);
  EXPECT_EQ(r.Horz.Max, 30);
  EXPECT_EQ(r.Horz.Page, 10 - 4);

  e.Core.HScroll(SB_LINEDOWN, 0);
  EXPECT_EQ(e.Core.FirstColumn(), 5);
  e.Core.HScroll(SB_PAGEDOWN, 0);  // limited so that a whole page still shows
  EXPECT_EQ(e.Core.FirstColumn(), 30 + 1 - 6);
  e.Core.HScroll(SB_BOTTOM, 0);
  EXPECT_EQ(e.Core.FirstColumn(), 30 - 6 - 1);
  e.Core.HScroll(SB_THUMBTRACK, 31);  // beyond the longest line: ignored
  EXPECT_EQ(e.Core.FirstColumn(), 23);
  EXPECT_EQ(e.Host.Ranges.Horz.Position, 23);
  e.Core.SetText(L"short");  // nothing to scroll: the view returns
  EXPECT_EQ(e.Core.FirstColumn(), 0);
  EXPECT_FALSE(e.Host.Ranges.Horz.Enabled);
}

TEST(ElEditCore, PaintLinesCarryTheSelection) {
  Edit e;
  e.Core.SetText(L"a\tbc\r\nxyz\r\n1\r\n2\r\n3\r\n4");
  e.Core.SetSel(2, 8);  // from "b" to the "y"
  std::vector<TElEditPaintLine> lines = e.Core.PaintLines();
  ASSERT_EQ(lines.size(), 5u);  // five lines show
  EXPECT_EQ(lines[0].Text, L"a    bc");
  EXPECT_EQ(lines[0].SelStart, 5);
  EXPECT_EQ(lines[0].SelEnd, 7);
  EXPECT_EQ(lines[1].SelStart, 0);
  EXPECT_EQ(lines[1].SelEnd, 2);
  EXPECT_EQ(lines[2].SelStart, lines[2].SelEnd);
  EXPECT_EQ(lines[1].Bottom, 2 * 15 + 1);
  e.Host.HasFocus = false;  // hidden without the focus
  EXPECT_EQ(e.Core.PaintLines()[0].SelEnd, 0);
}

TEST(ElEditCore, SelectionAnswersCountBreaksAsTwo) {
  Edit e;
  e.Core.SetText(L"ab\r\ncd");
  e.Core.SetCaret(Pos(1, 1));
  int start = -1, end = -1;
  e.Core.GetSel(start, end);
  EXPECT_EQ(start, 5);
  EXPECT_EQ(end, 5);
  e.Core.SetSel(5, 1);
  e.Core.GetSel(start, end);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 5);
  EXPECT_EQ(e.Offset(), 1);  // the caret ends at the smaller offset
  EXPECT_EQ(e.Core.GetSelText(), L"b\r\nc");
  e.Core.SetSel(4, -1);
  EXPECT_EQ(e.Core.GetSelText(), L"cd");
  e.Core.SetSel(0, -1);
  EXPECT_EQ(e.Core.GetSelText(), L"ab\r\ncd");
  e.Core.SetSel(-1, 0);
  EXPECT_FALSE(e.Core.HasSelection());
  e.Core.SetSelStart(3);  // inside the break: the end of the paragraph
  EXPECT_EQ(e.Caret(), Pos(2, 0));
  e.Core.SetSelLength(3);
  EXPECT_EQ(e.Core.GetSelText(), L"\r\nc");
  EXPECT_EQ(e.Caret(), Pos(1, 1));
}

TEST(ElEditCore, LineIndexCountsDisplayLines) {
  Edit e;
  e.Core.SetWordWrap(true);
  e.Core.SetText(L"hello world\r\nxy");  // three display lines, two paragraphs
  EXPECT_EQ(e.Core.LineIndex(0), 0);
  EXPECT_EQ(e.Core.LineIndex(1), 6);
  EXPECT_EQ(e.Core.LineIndex(2), 13);
  EXPECT_EQ(e.Core.LineIndex(3), -1);
  e.Core.SetCaret(Pos(1, 2));
  EXPECT_EQ(e.Core.LineIndex(-1), 13);
  e.Core.SetCaret(Pos(2, 1));
  EXPECT_EQ(e.Core.LineIndex(-1), 0);
  EXPECT_EQ(e.Core.LineFromChar(12), 0);
  EXPECT_EQ(e.Core.LineFromChar(13), 1);
  EXPECT_EQ(e.Core.LineCount(), 2);
  e.Core.SetText(L"");
  EXPECT_EQ(e.Core.LineIndex(0), 0);
}

TEST(ElEditCore, TextMessagesLeaveOutTheFinalBreak) {
  Edit e;
  e.Core.SetText(AnsiToWide("\xC6\r\n\xFF"));  // two Russian letters
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(e.Core.GetTextMessage(buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "\xC6\r\n\xFF");
  EXPECT_EQ(e.Core.GetTextLengthMessage(), 4);
  EXPECT_EQ(e.Core.GetTextMessage(buffer, 3), 2);
  EXPECT_STREQ(buffer, "\xC6\r");
  EXPECT_EQ(e.Core.GetTextMessage(buffer, 0), 0);

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(e.Core.GetLineMessage(1, buffer, 10), 1);
  EXPECT_EQ(buffer[0], '\xFF');
  EXPECT_EQ(buffer[1], 'x');  // no terminator
  EXPECT_EQ(e.Core.GetLineMessage(2, buffer, 10), 0);
  EXPECT_EQ(e.Core.GetLineMessage(0, buffer, 0), 0);

  e.Core.SetText(L"");
  EXPECT_EQ(e.Core.GetTextLengthMessage(), 0);
}

TEST(ElEditCore, DialogCodeAsksForTheKeysItHandles) {
  Edit e;
  LRESULT code = e.Core.DialogCode(DLGC_WANTALLKEYS | DLGC_HASSETSEL);
  EXPECT_EQ(code, DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS);
  e.Core.SetWantTabs(true);
  e.Core.SetHandleDialogKeys(true);
  EXPECT_EQ(e.Core.DialogCode(0), DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTTAB | DLGC_WANTALLKEYS);
}

// The horizontal bar stays while any line is still too wide for the view.
TEST(ElEditCore, TheHorizontalBarStaysWhileALineOverflows) {
  Edit e;
  e.Core.SetScrollBars(ssBoth);
  e.Core.SetText(L"abcdefghijklmnopqrstuvwxyz0123\r\n0123456789abcdefghij");
  ASSERT_EQ(e.Host.Ranges.Horz.Max, 30);
  e.Core.SetSel(0, 30);
  e.Core.SetSelText(L"x");
  EXPECT_TRUE(e.Host.Ranges.Horz.Enabled);
  EXPECT_EQ(e.Host.Ranges.Horz.Max, 20);
}

// Undone records go to the redo list, bounded like the undo list.
TEST(ElEditCore, TheRedoListKeepsTheUndoLimit) {
  Edit e;
  e.Core.SetMaxUndoLevel(3);
  for (int round = 0; round < 5; ++round) {
    for (int i = 0; i < 3; ++i) e.Type("x");
    for (int i = 0; i < 3; ++i) e.Undo();
  }
  EXPECT_EQ(e.Core.RedoList()->Count(), 3);
  e.Core.SetMaxUndoLevel(0);
  EXPECT_EQ(e.Core.RedoList()->MaxUndo(), 0);
}
