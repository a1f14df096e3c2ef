// The header's sections and layout without a window: what each setter tells
// the header, widths and their bounds, children of collapsed sections, the
// sticky rules, fitting, the grips, hit testing, the drag threshold and the
// header's measures.
#include <gtest/gtest.h>

#include "ElHeaderTestSupport.hpp"

namespace {

using hdrtest::Rig;

TEST(ElHeaderSectionSetters, EachChangeTellsItsNumberOnceAndUnchangedValuesTellNothing) {
  Rig rig;
  TElHeaderSection* s = rig.Add(50);
  rig.Host.Changes.clear();
  s->SetText(L"Имя");
  s->SetFieldName("NAME");
  s->SetFieldType(sftNumber);
  s->SetAlignment(hsaRight);
  s->SetStyle(ElhsOwnerDraw);
  s->SetEditable(true);
  s->SetPassword(true);
  s->SetText(L"Имя");
  s->SetAlignment(hsaRight);
  s->SetPassword(true);
  std::vector<int> numbers;
  for (auto& [section, change] : rig.Host.Changes) {
    EXPECT_EQ(section, s);
    numbers.push_back(change);
  }
  EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(ElHeaderSectionSetters, ASortModeClearsTheOthersUnlessTheHeaderKeepsThem) {
  Rig rig;
  TElHeaderSection* a = rig.Add(50);
  TElHeaderSection* b = rig.Add(50);
  a->SetSortMode(hsmAscend);
  b->SetSortMode(hsmDescend);
  EXPECT_EQ(a->SortMode(), hsmNone);
  EXPECT_EQ(b->SortMode(), hsmDescend);
  rig.Layout.SetKeepSortModes(true);
  a->SetSortMode(hsmAscend);
  EXPECT_EQ(a->SortMode(), hsmAscend);
  EXPECT_EQ(b->SortMode(), hsmDescend);
}

TEST(ElHeaderSectionSetters, LookupAndFilterExcludeEachOtherAndRaiseALowHeaderTo17) {
  Rig rig;
  rig.Layout.SetLockHeight(true);
  TElHeaderSection* s = rig.Add(60);
  rig.Host.Height = 12;
  s->SetLookupEnabled(true);
  EXPECT_EQ(rig.Host.Height, 17);
  s->SetFilterEnabled(true);
  EXPECT_FALSE(s->LookupEnabled());
  s->SetLookupEnabled(true);
  EXPECT_FALSE(s->FilterEnabled());
  // A header of no height is left so.
  TElHeaderSection* t = rig.Add(60);
  rig.Host.Height = 0;
  t->SetFilterEnabled(true);
  EXPECT_EQ(rig.Host.Height, 0);
  rig.Host.Height = 30;
  t->SetLookupEnabled(true);
  EXPECT_EQ(rig.Host.Height, 30);
}

TEST(ElHeaderSectionSetters, WidthsOutsideTheBoundsAreRefusedAndNewBoundsPullTheWidthIn) {
  Rig rig;
  TElHeaderSection* s = rig.Add(50);
  s->SetMinWidth(20);
  s->SetMaxWidth(80);
  s->SetWidth(19);
  EXPECT_EQ(s->Width(), 50);
  s->SetWidth(81);
  EXPECT_EQ(s->Width(), 50);
  s->SetWidth(80);
  EXPECT_EQ(s->Width(), 80);
  s->SetMaxWidth(60);
  EXPECT_EQ(s->Width(), 60);
  s->SetMinWidth(70);
  EXPECT_EQ(s->Width(), 60) << "a width between reversed bounds cannot be set";
}

TEST(ElHeaderSectionSetters, AChildOfACollapsedParentTakesNoRoom) {
  Rig rig;
  TElHeaderSection* parent = rig.Add(40);
  TElHeaderSection* child = rig.Add(30);
  TElHeaderSection* next = rig.Add(20);
  parent->SetExpandable(true);
  child->SetParentSection(parent);
  EXPECT_TRUE(child->StoredVisible());
  EXPECT_FALSE(child->Visible());
  EXPECT_EQ(child->Left(), 40);
  EXPECT_EQ(child->Right(), 40);
  EXPECT_EQ(next->Left(), 40);
  EXPECT_EQ(rig.Layout.SectionsWidth(), 60);
  parent->SetExpanded(true);
  EXPECT_TRUE(child->Visible());
  EXPECT_EQ(next->Left(), 70);
  // Turning Expandable off frees the children; a section never becomes its
  // own ancestor.
  parent->SetParentSection(child);
  EXPECT_EQ(parent->ParentSection(), nullptr);
  parent->SetExpandable(false);
  EXPECT_EQ(child->ParentSection(), nullptr);
  EXPECT_TRUE(child->Visible());
}

TEST(ElHeaderSticky, AHalfRoundsToTheEvenWidth) {
  Rig rig;
  rig.SetHeaderWidth(100);
  TElHeaderSection* a = rig.Add(40);
  rig.Add(53);
  rig.Add(7);
  rig.Layout.SetStickySections(true);
  // The others rescale by (100 - 70) / (100 - 40): 53 gives 26.5 and 7 gives
  // 3.5; then the last gives one pixel so that the sections end at 99.
  a->SetWidth(70);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{70, 26, 3}));
  EXPECT_EQ(rig.Layout.SectionsWidth(), 99);
}

TEST(ElHeaderSticky, ASectionAlreadyPastTheEdgeLeavesTheOthersAlone) {
  Rig rig;
  rig.Host.Width = 100;
  rig.Host.ClientWidth = 0;  // nothing to fit into: the rescaling shows
  TElHeaderSection* a = rig.Add(120);
  rig.Add(20);
  rig.Add(20);
  rig.Layout.SetStickySections(true);
  a->SetWidth(110);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{110, 20, 20}));
  a->SetWidth(50);  // 100 - 0 - 110 is still negative
  EXPECT_EQ(rig.Widths(), (std::vector<int>{50, 20, 20}));
  // Now (100 - 40) / (100 - 50) each, and the last takes what is left of
  // the header width.
  a->SetWidth(40);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{40, 24, 36}));
}

TEST(ElHeaderSticky, TheLastSectionKeepsItsWidthButTheSharesFollow) {
  Rig rig;
  rig.SetHeaderWidth(100);
  rig.Add(60);
  TElHeaderSection* last = rig.Add(39);
  rig.Layout.SetStickySections(true);
  last->SetWidth(20);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{60, 39}));
  EXPECT_FLOAT_EQ(last->WidthShare(), 0.39f);
}

TEST(ElHeaderSticky, HidingAndShowingTheLastSectionRescalesTheOnesBeforeIt) {
  Rig rig;
  rig.SetHeaderWidth(100);
  rig.Add(50);
  TElHeaderSection* b = rig.Add(49);
  rig.Layout.SetStickySections(true);
  b->SetVisible(false);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{99, 49}));
  b->SetVisible(true);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{50, 49}));
  EXPECT_EQ(rig.Host.ShownOrHidden.size(), 2u);
}

TEST(ElHeaderSticky, ASectionReachingPastTheEdgeHidesWithoutRescaling) {
  Rig rig;
  rig.SetHeaderWidth(100);
  rig.Add(50);
  TElHeaderSection* b = rig.Add(60);
  rig.Add(10);
  rig.Add(10);
  rig.Layout.SetStickySections(true);
  // 100 - 50 - 60 is negative: the sections after it keep their widths and
  // only the fitting gives the last the room.
  b->SetVisible(false);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{50, 60, 10, 39}));
  for (int w : rig.Widths()) EXPECT_GE(w, 0);
}

TEST(ElHeaderSticky, AGrownHeaderGivesEachSectionItsShareThenFits) {
  Rig rig;
  rig.SetHeaderWidth(100);
  rig.Add(60);
  rig.Add(40);
  rig.Layout.HeaderResized();
  rig.Layout.SetStickySections(true);
  rig.SetHeaderWidth(200);
  rig.Layout.HeaderResized();
  EXPECT_EQ(rig.Widths(), (std::vector<int>{120, 79}));
  EXPECT_EQ(rig.Layout.SectionsWidth(), 199);
}

TEST(ElHeaderSticky, FittingIntoNoWidthLeavesTheWidthsAlone) {
  Rig rig;
  rig.SetHeaderWidth(0);
  rig.Add(60);
  rig.Add(40);
  rig.Layout.FitSections(nullptr);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{60, 40}));
}

TEST(ElHeaderSticky, FittingShrinksResizableSectionsFirstAndGivesFixedOnesTheirWidthBack) {
  Rig rig;
  rig.SetHeaderWidth(100);
  TElHeaderSection* fixed = rig.Add(50);
  fixed->SetResizable(false);
  rig.Add(40);
  rig.Add(30);
  rig.Layout.FitSections(nullptr);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{50, 40, 9}));
  rig.SetHeaderWidth(60);
  rig.Layout.FitSections(nullptr);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{50, 9, 0}));
  rig.SetHeaderWidth(40);
  rig.Layout.FitSections(nullptr);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{39, 0, 0}));
  EXPECT_EQ(fixed->FixedWidth(), 50);
  rig.SetHeaderWidth(120);
  rig.Layout.FitSections(nullptr);
  EXPECT_EQ(rig.Widths(), (std::vector<int>{50, 0, 69}));
  EXPECT_EQ(fixed->FixedWidth(), -1);
}

TEST(ElHeaderGeometry, NarrowSectionsHaveNoGrip) {
  Rig rig;
  TElHeaderSection* narrow = rig.Add(14);
  TElHeaderSection* wide = rig.Add(50);
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(12), nullptr);
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(15), nullptr) << "the start of the next section is no grip of a narrow one";
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(40), nullptr);
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(59), wide);
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(68), wide) << "up to 5 pixels past the last section";
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(69), nullptr);
  narrow->SetWidth(15);
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(12), narrow);
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(19), narrow);
  EXPECT_EQ(rig.Layout.IsOnResizeGrip(20), nullptr);
}

TEST(ElHeaderGeometry, TheLeftFixedSectionStaysWhileTheOthersScroll) {
  Rig rig;
  TElHeaderSection* fixed = rig.Add(30);
  TElHeaderSection* a = rig.Add(50);
  TElHeaderSection* b = rig.Add(50);
  rig.Layout.SetLeftFixedSection(fixed);
  rig.Layout.SetLeftOffset(40);
  EXPECT_EQ(rig.Layout.SectionAtPoint(10, 5), fixed);
  EXPECT_EQ(rig.Layout.SectionAtPoint(35, 5), a);
  EXPECT_EQ(rig.Layout.SectionAtPoint(40, 5), b);
  EXPECT_EQ(rig.Layout.SectionAtPoint(35, -1), nullptr);
  EXPECT_EQ(rig.Layout.SectionAtPoint(35, rig.Host.Height + 1), nullptr);
  EXPECT_EQ(rig.Layout.SectionClientRect(a).left, -10);
  EXPECT_EQ(rig.Layout.SectionRect(0).left, 40) << "unscrolled, the fixed section lies the offset further right";
  EXPECT_THROW(rig.Layout.SectionRect(3), EElHeaderError);
  // Moving a section to the front puts it after the fixed one.
  rig.Sections.MoveSection(b, 0);
  EXPECT_EQ(rig.Sections[0], fixed);
  EXPECT_EQ(rig.Sections[1], b);
}

TEST(ElHeaderGeometry, ButtonsAreHitOnlyInWideEnoughSections) {
  Rig rig;
  TElHeaderSection* s = rig.Add(60);
  s->SetExpandable(true);
  s->SetFilterEnabled(true);
  TElHeaderHitKind kind = hhkBody;
  EXPECT_EQ(rig.Layout.HitTest(52, 5, kind), s);
  EXPECT_EQ(kind, hhkExpandSign);
  rig.Layout.HitTest(50, 14, kind);
  EXPECT_EQ(kind, hhkFilterButton);
  rig.Layout.HitTest(49, 14, kind);
  EXPECT_EQ(kind, hhkBody);
  rig.Layout.HitTest(57, 14, kind);
  EXPECT_EQ(kind, hhkResizeGrip);
  s->SetWidth(14);
  rig.Layout.HitTest(8, 5, kind);
  EXPECT_EQ(kind, hhkBody);
}

TEST(ElHeaderGeometry, ADragStartsFiveStraightPixelsAway) {
  EXPECT_FALSE(TElHeaderLayout::DragThresholdReached(POINT{10, 10}, POINT{13, 13}));
  EXPECT_TRUE(TElHeaderLayout::DragThresholdReached(POINT{10, 10}, POINT{13, 14}));
  EXPECT_TRUE(TElHeaderLayout::DragThresholdReached(POINT{10, 10}, POINT{7, 6}));
  EXPECT_FALSE(TElHeaderLayout::DragThresholdReached(POINT{10, 10}, POINT{10, 14}));
}

TEST(ElHeaderGeometry, MeasuresCountMarginsButtonsImagesAndText) {
  Rig rig;
  TElHeaderSection* s = rig.Add(50, L"abc");
  EXPECT_EQ(rig.Layout.MeasureSection(s).Width, 27 + 21);
  EXPECT_EQ(rig.Layout.MeasureSection(s).TextHeight, 13);
  s->SetLookupEnabled(true);
  EXPECT_EQ(rig.Layout.MeasureSection(s).Width, 27 + 8 + 21);
  rig.Measurer.Images = SIZE{16, 20};
  rig.Host.PictureForMinusOne = 3;
  EXPECT_EQ(rig.Layout.MeasureSection(s).Width, 27 + 8 + 16 + 21);
  s->SetStyle(ElhsPictureOnly);
  EXPECT_EQ(rig.Layout.MeasureSection(s).Width, 27 + 8 + 16);
  s->SetStyle(ElhsOwnerDraw);
  rig.Host.OwnerDrawnRoom = 30;
  EXPECT_EQ(rig.Layout.MeasureSection(s).Width, 27 + 8 + 30);
  s->SetAutoSize(true);
  EXPECT_EQ(s->Width(), 65);
  s->SetMinWidth(100);
  EXPECT_EQ(rig.Layout.MeasureSection(s).Width, 100);
  s->SetStyle(ElhsText);
  s->SetText(L"a much longer caption");
  EXPECT_EQ(s->Width(), 27 + 8 + 16 + 7 * 21) << "an auto-size section follows its text";
}

TEST(ElHeaderGeometry, TheIdealHeightFollowsTextImagesAndFlatness) {
  Rig rig;
  rig.Add(50, L"a");
  EXPECT_EQ(rig.Layout.IdealHeight(), 19);
  rig.Measurer.LineHeight = 15;
  EXPECT_EQ(rig.Layout.IdealHeight(), 21);
  rig.Measurer.Images = SIZE{16, 20};
  EXPECT_EQ(rig.Layout.IdealHeight(), 26);
  rig.Layout.SetFlat(true);
  EXPECT_EQ(rig.Layout.IdealHeight(), 24);
  rig.Layout.UpdateHeight();
  EXPECT_EQ(rig.Host.Height, 24);
  rig.Layout.SetLockHeight(true);
  rig.Layout.SetFlat(false);
  rig.Layout.UpdateHeight();
  EXPECT_EQ(rig.Host.Height, 24);
}

}  // namespace
