// The picture cache over the test program's own resources, and the
// PicResource rules of the controls that use it.
#include <gtest/gtest.h>

#include "Jpeg.hpp"
#include "SBImgBtn.hpp"
#include "SBResourceStorage.hpp"
#include "SBSizableImgBtn.hpp"
#include "SkinTestSupport.hpp"
#include "pngimage.hpp"

using namespace skintest;

namespace {

int CachedNames() { return ResourceStorage() ? ResourceStorage()->Names()->Count() : 0; }

TEST(PictureCache, NamesDifferingInCaseShareOneEntry) {
  TPicture* first = GetSharedPicture("SkinTest", "");
  const int count = CachedNames();
  TPicture* second = GetSharedPicture("SKINTEST", "");
  EXPECT_EQ(first, second);
  EXPECT_EQ(CachedNames(), count);
  ASSERT_NE(dynamic_cast<TBitmap*>(first->Graphic()), nullptr);
  EXPECT_EQ(first->Width(), 20);
}

TEST(PictureCache, AMissingNameIsCachedEmptyAndLookedUpOnce) {
  const int before = CachedNames();
  TPicture* first = GetSharedPicture("NO_SUCH_PICTURE", "");
  TPicture* second = GetSharedPicture("no_such_picture", "");
  EXPECT_EQ(first, second);
  EXPECT_TRUE(first->Graphic() == nullptr);
  EXPECT_EQ(CachedNames(), before + 1);
}

TEST(PictureCache, BitmapThenPngThenJpeg) {
  EXPECT_NE(dynamic_cast<TPNGObject*>(GetSharedPicture("PNGONLY", "")->Graphic()), nullptr);
  // Not a PNG: the PNG loader gives up and the JPEG loader takes it.
  TPicture* jpeg = GetSharedPicture("JPEGONLY", "");
  ASSERT_NE(dynamic_cast<TJPEGImage*>(jpeg->Graphic()), nullptr);
  EXPECT_EQ(jpeg->Width(), 17);
  EXPECT_EQ(jpeg->Height(), 9);
  // Neither: an empty picture, nothing raised.
  EXPECT_TRUE(GetSharedPicture("JUNKDATA", "")->Graphic() == nullptr);
}

TEST(PictureCache, CopiesBelongToTheCallerAndAMissIsNotCached) {
  const int before = CachedNames();
  std::unique_ptr<TPicture> loaded(GetPictureCopy("SKINTEST_DOWN", ""));
  EXPECT_EQ(loaded->Width(), 22);
  EXPECT_EQ(CachedNames(), before);
  TPicture* shared = GetSharedPicture("SKINTEST_DOWN", "");
  std::unique_ptr<TPicture> copy(GetPictureCopy("skintest_down", ""));
  EXPECT_NE(copy.get(), shared);
  EXPECT_NE(copy->Graphic(), shared->Graphic());
  EXPECT_EQ(copy->Width(), 22);
}

TEST(PictureCache, LoadersTryTheFallbackAndNeverRaise) {
  std::unique_ptr<TBitmap> bitmap(LoadBitmapResource("NOT_THERE", "SKINTEST_UP"));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width(), 21);
  EXPECT_EQ(LoadBitmapResource("NOT_THERE", ""), nullptr);
  EXPECT_EQ(LoadPngResource("JPEGONLY", "JUNKDATA"), nullptr);
  std::unique_ptr<TPNGObject> png(LoadPngResource("JUNKDATA", "PNGONLY"));
  EXPECT_NE(png, nullptr);
  EXPECT_EQ(LoadJpegResource("PNGONLY", ""), nullptr);
}

TEST(PicResource, ButtonsWithOneNameShareThePictures) {
  HostForm host;
  auto* a = new TSBImgBtn(host.get());
  auto* b = new TSBImgBtn(host.get());
  a->SetPicResource("SKINTEST");
  b->SetPicResource("skintest");
  EXPECT_EQ(a->Pic(), b->Pic());
  EXPECT_EQ(a->PicUp(), b->PicUp());
  EXPECT_EQ(a->Pic()->Width(), 20);
  EXPECT_EQ(a->PicUp()->Width(), 21);
  EXPECT_EQ(a->PicDown()->Width(), 22);
  // A shared picture is not replaced through the property.
  auto other = SolidPicture(5, 5, 'g');
  a->SetPic(other.get());
  EXPECT_EQ(a->Pic()->Width(), 20);
  EXPECT_FALSE(a->HasOwnPictures());
}

TEST(PicResource, BackToEmptyLeavesOwnCopiesOfWhatWasShown) {
  HostForm host;
  auto* button = new TSBImgBtn(host.get());
  button->SetPicResource("SKINTEST");
  TPicture* shared = button->Pic();
  button->SetPicResource("");
  EXPECT_TRUE(button->HasOwnPictures());
  EXPECT_NE(button->Pic(), shared);
  EXPECT_EQ(button->Pic()->Width(), 20);
  EXPECT_EQ(button->PicDown()->Width(), 22);
  // The own copy takes new pictures again; the cache's stays as it was.
  auto other = SolidPicture(5, 6, 'g');
  button->SetPic(other.get());
  EXPECT_EQ(button->Pic()->Width(), 5);
  EXPECT_EQ(shared->Width(), 20);
}

TEST(PicResource, SizableButtonFindsTheSpellingWithoutTheSecondUnderscore) {
  HostForm host;
  auto* button = new TSBHorzSizableImgBtn(host.get());
  button->SetPicResource("SIZTEST");
  EXPECT_EQ(button->PicLeft()->Width(), 5);
  EXPECT_EQ(button->PicLeftUp()->Width(), 7);    // SIZTEST_LEFTUP
  EXPECT_EQ(button->PicTileUp()->Width(), 2);    // SIZTEST_TILEUP
  EXPECT_EQ(button->PicRightUp()->Width(), 8);   // SIZTEST_RIGHTUP
  EXPECT_EQ(button->PicLeftDown()->Width(), 9);  // SIZTEST_LEFT_DOWN
  EXPECT_EQ(button->PicRightDown()->Width(), 10);
}

}  // namespace
