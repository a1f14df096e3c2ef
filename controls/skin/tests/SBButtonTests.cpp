// The image buttons' behaviour through their messages: the look's state
// machine and its fallbacks, clicks, toggle groups, the click log, and the
// placement of icon and caption.
#include <gtest/gtest.h>

#include "SBCImage.hpp"
#include "SBImgBtn.hpp"
#include "SBLog.hpp"
#include "SBSizableImgBtn.hpp"
#include "SkinTestSupport.hpp"

using namespace skintest;

namespace {

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class ButtonTest : public ::testing::Test {
 protected:
  TSBImgBtn* Button(const char* name, bool withUp = true) {
    auto* button = new TSBImgBtn(host.get());
    button->SetName(name);
    button->SetCaption("");
    button->SetParent(host.get());
    button->SetBounds(10, 10, 24, 24);
    button->SetPic(SolidPicture(24, 24, 'g').get());
    if (withUp) button->SetPicUp(SolidPicture(24, 24, 'y').get());
    button->SetPicDown(SolidPicture(24, 24, 'b').get());
    button->OnClick = TNotifyEvent(this, &ButtonTest::Clicked);
    return button;
  }
  void Clicked(TObject*) { ++clicks; }
  static void Enter(TControl* c) { c->Perform(CM_MOUSEENTER, 0, 0); }
  static void Leave(TControl* c) { c->Perform(CM_MOUSELEAVE, 0, 0); }
  static void Press(TControl* c) { c->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5)); }
  static void Release(TControl* c, int x = 5) { c->Perform(WM_LBUTTONUP, 0, At(x, 5)); }
  static void Click(TControl* c) {
    Enter(c);
    Press(c);
    Release(c);
  }

  HostForm host;
  int clicks = 0;
};

TEST_F(ButtonTest, PushButtonLooks) {
  TSBImgBtn* b = Button("forward_button");
  Enter(b);
  EXPECT_EQ(b->State(), bsHover);
  Press(b);
  EXPECT_EQ(b->State(), bsPressed);
  Release(b);
  EXPECT_EQ(b->State(), bsHover);
  EXPECT_EQ(clicks, 1);
  Leave(b);
  EXPECT_EQ(b->State(), bsNormal);
}

TEST_F(ButtonTest, ReenteringWhileHeldShowsPressedAgainAndReleaseOutsideDoesNotClick) {
  TSBImgBtn* b = Button("b");
  Enter(b);
  Press(b);
  Leave(b);
  EXPECT_EQ(b->State(), bsNormal);
  Enter(b);
  EXPECT_EQ(b->State(), bsPressed);
  Leave(b);
  Release(b, 200);
  EXPECT_EQ(b->State(), bsNormal);
  EXPECT_FALSE(b->Pressed());
  EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, AMissingHoverPictureKeepsTheNormalLook) {
  TSBImgBtn* b = Button("b", false);
  Enter(b);
  EXPECT_EQ(b->State(), bsNormal);
  Press(b);
  EXPECT_EQ(b->State(), bsPressed);
  auto* bare = new TSBImgBtn(host.get());
  bare->SetParent(host.get());
  Enter(bare);
  Press(bare);
  EXPECT_EQ(bare->State(), bsNormal);
}

TEST_F(ButtonTest, ADoubleClickFiresOnClickTwice) {
  TSBImgBtn* b = Button("b");
  Click(b);
  b->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
  Release(b);
  EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, DownNeedsAGroup) {
  TSBImgBtn* b = Button("b");
  b->SetDown(true);
  EXPECT_FALSE(b->Down());
  b->SetGroupIndex(3);
  b->SetDown(true);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->State(), bsPressed);
}

TEST_F(ButtonTest, AGroupKeepsOneButtonDown) {
  TSBImgBtn* a = Button("a");
  TSBImgBtn* b = Button("b");
  TSBImgBtn* other = Button("other");
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);
  Click(a);
  EXPECT_TRUE(a->Down());
  Leave(a);
  EXPECT_EQ(a->State(), bsPressed);  // a down button looks pressed outside
  // Without AllowAllUp a click on the down button leaves it down.
  Click(a);
  EXPECT_TRUE(a->Down());
  Leave(a);
  Click(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(a->State(), bsNormal);
  EXPECT_TRUE(other->Down());  // another group
}

TEST_F(ButtonTest, AllowAllUpIsSharedByTheGroupAndLetsTheDownButtonGoUp) {
  TSBImgBtn* a = Button("a");
  TSBImgBtn* b = Button("b");
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());
  a->SetAllowAllUp(false);
  b->SetDown(true);
  a->SetAllowAllUp(true);
  // Pressing b again, now with AllowAllUp from a, lets it up.
  Click(b);
  EXPECT_FALSE(b->Down());
  // A setter tells the whole group.
  b->SetAllowAllUp(false);
  EXPECT_FALSE(a->AllowAllUp());
}

// CM_BUTTONPRESSED is a window message: any program can send it, with any
// number for a sender.
TEST_F(ButtonTest, OnlyASiblingOfTheSameGroupCountsAsTheSenderOfAPress) {
  TSBImgBtn* a = Button("a");
  TSBImgBtn* b = Button("b");
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->SetDown(true);
  auto* elsewhere = new TSBCImage(host.get());
  elsewhere->SetParent(host.get());
  auto* stranger = new TSBImgBtn(host.get());
  stranger->SetParent(elsewhere);
  stranger->SetGroupIndex(1);
  stranger->SetAllowAllUp(true);
  stranger->SetDown(true);
  const LPARAM senders[] = {0, 0x12345678, reinterpret_cast<LPARAM>(static_cast<TObject*>(stranger)),
                            reinterpret_cast<LPARAM>(static_cast<TObject*>(a))};
  for (LPARAM sender : senders) SendMessageA(a->Handle(), CM_BUTTONPRESSED, 1, sender);
  EXPECT_TRUE(a->Down());
  EXPECT_FALSE(a->AllowAllUp()) << "a button of another parent is no partner";
  // Buttons outside any group never take part.
  TSBImgBtn* plain = Button("plain");
  TSBImgBtn* loose = Button("loose");
  loose->SetAllowAllUp(true);
  SendMessageA(plain->Handle(), CM_BUTTONPRESSED, 0, reinterpret_cast<LPARAM>(static_cast<TObject*>(loose)));
  EXPECT_FALSE(plain->AllowAllUp());
  // The real partner still releases it.
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
}

TEST_F(ButtonTest, EveryPressLogsOwnerAndName) {
  TSBImgBtn* b = Button("forward_button");
  const int before = ClickLog()->Count();
  Click(b);
  b->Perform(WM_RBUTTONDOWN, MK_RBUTTON, At(3, 3));
  ASSERT_EQ(ClickLog()->Count(), before + 2);
  EXPECT_EQ(ClickLog()->Strings(ClickLog()->Count() - 1), "page.forward_button");
}

TEST(ClickLogLimit, KeepsTheLatestThreeHundredOldestFirst) {
  ClickLog()->Clear();
  for (int i = 1; i <= 301; ++i) AddLogLine("press " + std::to_string(i));
  EXPECT_EQ(ClickLog()->Count(), 300);
  EXPECT_EQ(ClickLog()->Strings(0), "press 2");
  EXPECT_EQ(ClickLog()->Strings(299), "press 301");
}

// Caption and icon placement, measured on rendered pixels.
class PlacementTest : public ButtonTest {
 protected:
  TSBImgBtn* Captioned(TAlignment alignment, int offset) {
    TSBImgBtn* b = Button(("captioned" + std::to_string(++count)).c_str());
    b->SetBounds(0, 0, 60, 20);
    b->SetPic(SolidPicture(60, 20, '.').get());
    b->SetPicUp(SolidPicture(60, 20, '.').get());
    b->SetPicDown(SolidPicture(60, 20, '.').get());
    b->Font()->SetColor(clBlack);
    b->SetCaption("WW");
    b->SetAlignment(alignment);
    b->SetTextOffset(offset);
    return b;
  }
  static std::pair<int, int> Columns(TControl* c) {
    Surface surface(c->Width(), c->Height());
    surface.Paint(c);
    return surface.DarkColumns();
  }
  int count = 0;
};

TEST_F(PlacementTest, ARightAlignedCaptionEndsTextOffsetFromTheEdgeOneMoreWhenHovered) {
  // Measured against an offset of 2, so that no glyph overhang is clipped.
  const int reference = Columns(Captioned(taRightJustify, 2)).second;
  TSBImgBtn* b = Captioned(taRightJustify, 7);
  EXPECT_EQ(Columns(b).second, reference - 5);
  Enter(b);
  EXPECT_EQ(Columns(b).second, reference - 6);
  EXPECT_GE(reference, 50);
}

TEST_F(PlacementTest, ThePressedIconMovesOnePixelRightAndDown) {
  TSBImgBtn* b = Button("b");
  b->SetBounds(0, 0, 30, 20);
  auto white = SolidPicture(30, 20, '.');
  b->SetPic(white.get());
  b->SetPicUp(white.get());
  b->SetPicDown(white.get());
  b->SetPicIcon(SolidPicture(4, 4, 'k').get());
  b->SetPicIconAlignment(taRightJustify);
  b->SetPicIconLayout(tlBottom);
  b->SetPicIconH(3);
  b->SetPicIconV(2);
  Surface normal(30, 20);
  normal.Paint(b);
  EXPECT_EQ(normal.DarkColumns(), std::make_pair(23, 26));
  EXPECT_EQ(normal.Pixel(23, 14), MapColor('k'));
  EXPECT_EQ(normal.Pixel(23, 13), MapColor('.'));
  Enter(b);
  Press(b);
  Surface pressed(30, 20);
  pressed.Paint(b);
  EXPECT_EQ(pressed.DarkColumns(), std::make_pair(24, 27));
  EXPECT_EQ(pressed.Pixel(24, 15), MapColor('k'));
  EXPECT_EQ(pressed.Pixel(24, 14), MapColor('.'));
}

class SizableTest : public PlacementTest {
 protected:
  // The hover look in the colour given; text is measured on white looks.
  TSBHorzSizableImgBtn* Sizable(bool hoverRightCap, char hoverColor = 'y') {
    auto* b = new TSBHorzSizableImgBtn(host.get());
    b->SetParent(host.get());
    b->SetBounds(0, 0, 80, 20);
    b->SetPicLeft(SolidPicture(4, 20, '.').get());
    b->SetPicTile(SolidPicture(4, 20, '.').get());
    b->SetPicRight(SolidPicture(4, 20, '.').get());
    b->SetPicLeftUp(SolidPicture(4, 20, hoverColor).get());
    b->SetPicTileUp(SolidPicture(4, 20, hoverColor).get());
    if (hoverRightCap) b->SetPicRightUp(SolidPicture(4, 20, hoverColor).get());
    b->Font()->SetColor(clBlack);
    return b;
  }
};

TEST_F(SizableTest, AHoverLookMissingOnePartIsNotUsed) {
  TSBHorzSizableImgBtn* partial = Sizable(false);
  Enter(partial);
  EXPECT_EQ(partial->State(), bsNormal);
  TSBHorzSizableImgBtn* whole = Sizable(true);
  Enter(whole);
  EXPECT_EQ(whole->State(), bsHover);
}

TEST_F(SizableTest, TextMarginsMoveTheCaption) {
  // Measured against an offset of 2, so that no glyph overhang is clipped.
  TSBHorzSizableImgBtn* plain = Sizable(true, '.');
  plain->SetCaption("WW");
  plain->SetAlignment(taLeftJustify);
  plain->SetTextOffset(2);
  const int reference = Columns(plain).first;
  TSBHorzSizableImgBtn* b = Sizable(true, '.');
  b->SetCaption("WW");
  b->SetAlignment(taLeftJustify);
  b->SetTextOffset(2);
  b->SetTextLeftMargin(10);
  EXPECT_EQ(Columns(b).first, reference);  // margins are off
  b->SetTextUseMargins(true);
  EXPECT_EQ(Columns(b).first, reference + 10);
  Enter(b);
  EXPECT_EQ(Columns(b).first, reference + 9);
}

}  // namespace
