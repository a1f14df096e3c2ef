// Image lists: masked adds, drawing styles, overlays, disabled drawing and
// change links, checked by the pixels drawn.
#include <gtest/gtest.h>

#include "GraphicsTestSupport.hpp"
#include "ImgList.hpp"

using namespace gfxtest;

namespace {

// Two 8x8 images side by side on magenta: a red 4x4 centre, then a blue
// image with one magenta corner.
std::unique_ptr<TBitmap> Strip() {
  auto strip = MakeBitmap(pf24bit, 16, 8, clFuchsia);
  TCanvas* c = strip->Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect(TRect{2, 2, 6, 6});
  c->Brush()->SetColor(clBlue);
  c->FillRect(TRect{8, 0, 16, 8});
  c->SetPixels(8, 0, clFuchsia);
  return strip;
}

}  // namespace

TEST(GraphicsImageList, AddMaskedDrawsOnlyTheUnmaskedPixels) {
  TImageList list(nullptr, 8, 8);
  auto strip = Strip();
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(Px(*strip, 0, 0), clFuchsia) << "the source bitmap is left alone";

  auto dest = MakeBitmap(pf24bit, 20, 20, clWhite);
  list.Draw(dest->Canvas(), 2, 2, 0);
  EXPECT_EQ(Px(*dest, 2, 2), clWhite);
  EXPECT_EQ(Px(*dest, 4, 4), clRed);
  EXPECT_EQ(Px(*dest, 7, 7), clRed);
  EXPECT_EQ(Px(*dest, 8, 8), clWhite);
  list.Draw(dest->Canvas(), 10, 10, 1);
  EXPECT_EQ(Px(*dest, 10, 10), clWhite);
  EXPECT_EQ(Px(*dest, 11, 10), clBlue);
  EXPECT_EQ(Px(*dest, 17, 17), clBlue);
  list.Draw(dest->Canvas(), 0, 0, 5);  // out of range: nothing
}

TEST(GraphicsImageList, AddWithAMaskBitmapAndBackgroundColour) {
  TImageList list(nullptr, 8, 8);
  auto image = MakeBitmap(pf24bit, 8, 8, clLime);
  auto mask = MakeBitmap(pf1bit, 8, 8, clBlack);
  mask->Canvas()->Brush()->SetColor(clWhite);
  mask->Canvas()->FillRect(TRect{0, 0, 8, 4});  // top half transparent
  EXPECT_EQ(list.Add(image.get(), mask.get()), 0);

  auto dest = MakeBitmap(pf24bit, 8, 8, clWhite);
  list.Draw(dest->Canvas(), 0, 0, 0);
  EXPECT_EQ(Px(*dest, 3, 1), clWhite);
  EXPECT_EQ(Px(*dest, 3, 6), clLime);

  // dsNormal with a background colour fills the masked part with it;
  // dsTransparent leaves it out whatever the background colour.
  list.SetBkColor(clYellow);
  EXPECT_EQ(list.BkColor(), clYellow);
  list.Draw(dest->Canvas(), 0, 0, 0);
  EXPECT_EQ(Px(*dest, 3, 1), clYellow);
  auto dest2 = MakeBitmap(pf24bit, 8, 8, clWhite);
  list.SetDrawingStyle(dsTransparent);
  list.Draw(dest2->Canvas(), 0, 0, 0);
  EXPECT_EQ(Px(*dest2, 3, 1), clWhite);
  EXPECT_EQ(Px(*dest2, 3, 6), clLime);
  list.SetBkColor(clNone);
  EXPECT_EQ(list.BkColor(), clNone);
}

TEST(GraphicsImageList, DeleteClearAndSizeChanges) {
  TImageList list(nullptr, 8, 8);
  auto strip = Strip();
  list.AddMasked(strip.get(), clFuchsia);
  list.Delete(0);
  ASSERT_EQ(list.Count(), 1);
  auto dest = MakeBitmap(pf24bit, 8, 8, clWhite);
  list.Draw(dest->Canvas(), 0, 0, 0);
  EXPECT_EQ(Px(*dest, 4, 4), clBlue) << "the second image moved up";
  EXPECT_THROW(list.Delete(3), EInvalidOperation);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  list.AddMasked(strip.get(), clFuchsia);
  list.SetWidth(4);
  EXPECT_EQ(list.Count(), 0) << "a new size empties the list";
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  EXPECT_EQ(list.Count(), 4);
}

TEST(GraphicsImageList, OverlaysDrawOverTheImage) {
  TImageList list(nullptr, 8, 8);
  auto strip = Strip();
  list.AddMasked(strip.get(), clFuchsia);
  auto badge = MakeBitmap(pf24bit, 8, 8, clFuchsia);
  badge->Canvas()->Brush()->SetColor(clLime);
  badge->Canvas()->FillRect(TRect{2, 2, 4, 4});
  int badgeIndex = list.AddMasked(badge.get(), clFuchsia);
  ASSERT_TRUE(list.Overlay(badgeIndex, 0));
  EXPECT_FALSE(list.Overlay(badgeIndex, 4));
  auto dest = MakeBitmap(pf24bit, 8, 8, clWhite);
  list.DrawOverlay(dest->Canvas(), 0, 0, 0, 0);
  EXPECT_EQ(Px(*dest, 2, 2), clLime);
  EXPECT_EQ(Px(*dest, 3, 3), clLime);
  EXPECT_EQ(Px(*dest, 5, 5), clRed);
  EXPECT_EQ(Px(*dest, 0, 0), clWhite);
  auto plain = MakeBitmap(pf24bit, 8, 8, clWhite);
  list.Draw(plain->Canvas(), 0, 0, 0);
  EXPECT_EQ(Px(*plain, 2, 2), clRed) << "no overlay without asking";
}

TEST(GraphicsImageList, DisabledImagesAreEmbossedShapes) {
  TImageList list(nullptr, 8, 8);
  auto strip = Strip();
  list.AddMasked(strip.get(), clFuchsia);
  auto dest = MakeBitmap(pf24bit, 10, 10, clWhite);
  list.Draw(dest->Canvas(), 0, 0, 0, false);
  TColor shadow = ColorToRGB(clBtnShadow), highlight = ColorToRGB(clBtnHighlight);
  EXPECT_EQ(Px(*dest, 3, 3), shadow);
  EXPECT_EQ(Px(*dest, 6, 6), highlight == clWhite ? clWhite : highlight) << "highlight one pixel down-right";
  EXPECT_EQ(Px(*dest, 0, 0), clWhite);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_NE(Px(*dest, x, y), clRed);
}

TEST(GraphicsImageList, ChangeLinksHearChangesAndUnregister) {
  auto list = std::make_unique<TImageList>(nullptr, 8, 8);
  Counter heard, listHeard;
  auto link = std::make_unique<TChangeLink>();
  link->OnChange = MakeEvent(&heard, &Counter::Handle);
  list->OnChange = MakeEvent(&listHeard, &Counter::Handle);
  list->RegisterChanges(link.get());
  EXPECT_EQ(link->Sender(), list.get());
  auto strip = Strip();
  list->AddMasked(strip.get(), clFuchsia);
  list->Delete(0);
  EXPECT_EQ(heard.count, 2);
  EXPECT_EQ(heard.sender, list.get());
  EXPECT_EQ(listHeard.count, 2);

  link.reset();  // unregisters itself
  list->Clear();
  EXPECT_EQ(heard.count, 2);

  auto survivor = std::make_unique<TChangeLink>();
  list->RegisterChanges(survivor.get());
  list.reset();
  EXPECT_EQ(survivor->Sender(), nullptr) << "the list lets its links go";
}

TEST(GraphicsImageList, APerCallStyleLeavesTheListAndItsLinksAlone) {
  TImageList list(nullptr, 8, 8);
  auto image = MakeBitmap(pf24bit, 8, 8, clLime);
  auto mask = MakeBitmap(pf1bit, 8, 8, clBlack);
  mask->Canvas()->Brush()->SetColor(clWhite);
  mask->Canvas()->FillRect(TRect{0, 0, 8, 4});
  list.Add(image.get(), mask.get());
  list.SetBkColor(clYellow);
  Counter heard;
  TChangeLink link;
  link.OnChange = MakeEvent(&heard, &Counter::Handle);
  list.RegisterChanges(&link);

  auto dest = MakeBitmap(pf24bit, 8, 8, clWhite);
  list.Draw(dest->Canvas(), 0, 0, 0, dsTransparent, itImage);
  EXPECT_EQ(Px(*dest, 3, 1), clWhite) << "drawn transparently for this call";
  EXPECT_EQ(Px(*dest, 3, 6), clLime);
  list.Draw(dest->Canvas(), 0, 0, 0, dsNormal, itMask);
  EXPECT_EQ(Px(*dest, 3, 6), clBlack) << "the mask, for this call";
  EXPECT_EQ(list.DrawingStyle(), dsNormal);
  EXPECT_EQ(list.ImageType(), itImage);
  EXPECT_EQ(heard.count, 0);
  list.Draw(dest->Canvas(), 0, 0, 0);
  EXPECT_EQ(Px(*dest, 3, 1), clYellow) << "the list's own style again";
}
