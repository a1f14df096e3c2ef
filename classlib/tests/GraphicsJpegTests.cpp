// TJPEGImage: pictures encoded here with libjpeg from known blocks of colour
// decode to those colours (within the loss of the format), at every scale,
// in grey, and broken data fails with EJPEG.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "GraphicsTestSupport.hpp"
#include "Jpeg.hpp"

#define boolean jpeg_boolean
#include <jpeglib.h>
#undef boolean

using namespace gfxtest;

namespace {

// Quadrants: red top-left, blue top-right, green bottom-left, white
// bottom-right. Orientation or channel-order mistakes change them all.
TColor Quadrant(int x, int y, int w, int h) {
  bool right = x >= w / 2, bottom = y >= h / 2;
  if (!bottom) return right ? clBlue : clRed;
  return right ? clWhite : 0x00A000;
}

std::vector<Byte> EncodeJpeg(int w, int h, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(w * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < w; ++x) {
      TColor c = Quadrant(x, y, w, h);
      row[x * 3] = Byte(R(c));
      row[x * 3 + 1] = Byte(G(c));
      row[x * 3 + 2] = Byte(B(c));
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<Byte> data(out, out + size);
  std::free(out);
  return data;
}

std::unique_ptr<TJPEGImage> LoadJpeg(const std::vector<Byte>& data) {
  TMemoryStream stream;
  LoadBytes(stream, data);
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->LoadFromStream(&stream);
  return jpeg;
}

// Checks the middle of each quadrant, away from the blurred edges.
void ExpectQuadrants(TBitmap& bmp, int tolerance, const std::function<TColor(TColor)>& map) {
  int w = bmp.Width(), h = bmp.Height();
  for (int qy = 0; qy < 2; ++qy)
    for (int qx = 0; qx < 2; ++qx) {
      int x = qx * w / 2 + w / 4, y = qy * h / 2 + h / 4;
      EXPECT_TRUE(Near(Px(bmp, x, y), map(Quadrant(x, y, w, h)), tolerance)) << x << "," << y;
    }
}

TColor Same(TColor c) { return c; }

TColor Gray(TColor c) {
  int v = (R(c) * 299 + G(c) * 587 + B(c) * 114 + 500) / 1000;
  return RGB(v, v, v);
}

}  // namespace

TEST(GraphicsJpeg, DecodesToTheEncodedColours) {
  auto jpeg = LoadJpeg(EncodeJpeg(48, 32, 95));
  EXPECT_FALSE(jpeg->Empty());
  EXPECT_EQ(jpeg->Width(), 48);
  EXPECT_EQ(jpeg->Height(), 32);
  EXPECT_FALSE(jpeg->Transparent());

  TBitmap bmp;
  bmp.Assign(jpeg.get());
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(bmp.Width(), 48);
  ExpectQuadrants(bmp, 12, Same);

  // Drawing decodes too, onto any canvas.
  auto canvasBmp = MakeBitmap(pf32bit, 60, 40, clBlack);
  canvasBmp->Canvas()->Draw(6, 4, jpeg.get());
  EXPECT_TRUE(Near(Px(*canvasBmp, 6 + 12, 4 + 8), clRed, 12));
  EXPECT_TRUE(Near(Px(*canvasBmp, 6 + 36, 4 + 24), clWhite, 12));
  EXPECT_EQ(Px(*canvasBmp, 2, 2), clBlack);
}

TEST(GraphicsJpeg, GreyScaleAndSpeedOptions) {
  auto jpeg = LoadJpeg(EncodeJpeg(32, 32, 95));
  jpeg->SetGrayscale(true);
  TBitmap grey;
  grey.Assign(jpeg.get());
  EXPECT_EQ(grey.PixelFormat(), pf8bit);
  ExpectQuadrants(grey, 12, Gray);

  jpeg->SetGrayscale(false);
  jpeg->SetPerformance(jpBestSpeed);
  TBitmap fast;
  fast.Assign(jpeg.get());
  ExpectQuadrants(fast, 16, Same);
}

TEST(GraphicsJpeg, ScaledDecodingHasTheScaledSize) {
  auto jpeg = LoadJpeg(EncodeJpeg(64, 48, 95));
  const struct {
    TJPEGScale scale;
    int w, h;
  } cases[] = {{jsHalf, 32, 24}, {jsQuarter, 16, 12}, {jsEighth, 8, 6}, {jsFullSize, 64, 48}};
  for (const auto& c : cases) {
    jpeg->SetScale(c.scale);
    EXPECT_EQ(jpeg->Width(), c.w);
    EXPECT_EQ(jpeg->Height(), c.h);
    TBitmap bmp;
    bmp.Assign(jpeg.get());
    EXPECT_EQ(bmp.Width(), c.w);
    ExpectQuadrants(bmp, 24, Same);
  }
}

TEST(GraphicsJpeg, StreamsKeepTheCompressedData) {
  std::vector<Byte> data = EncodeJpeg(16, 16, 80);
  auto jpeg = LoadJpeg(data);
  TMemoryStream out;
  jpeg->SaveToStream(&out);
  EXPECT_EQ(Bytes(out), data);
  EXPECT_THROW(jpeg->SetWidth(3), EInvalidGraphicOperation);

  TJPEGImage copy;
  copy.Assign(jpeg.get());
  EXPECT_EQ(copy.Width(), 16);
  TBitmap bmp;
  EXPECT_THROW(copy.Assign(&bmp), EConvertError) << "no encoder";
}

TEST(GraphicsJpeg, BrokenDataRaisesJpegErrors) {
  std::vector<Byte> good = EncodeJpeg(32, 32, 90);
  auto expectJpegError = [](const std::vector<Byte>& data, const char* what) {
    try {
      auto jpeg = LoadJpeg(data);
      TBitmap bmp;
      bmp.Assign(jpeg.get());
      ADD_FAILURE() << what << ": no error";
    } catch (const EJPEG& e) {
      EXPECT_EQ(e.Message().rfind("JPEG error #", 0), 0u) << what << ": " << e.Message();
    }
  };
  expectJpegError({'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}, "not a JPEG");
  expectJpegError(std::vector<Byte>(good.begin(), good.begin() + 20), "cut in the header");
  std::vector<Byte> badPrecision = good;
  for (std::size_t i = 2; i + 4 < badPrecision.size(); ++i)
    if (badPrecision[i] == 0xFF && badPrecision[i + 1] == 0xC0) {
      badPrecision[i + 4] = 7;  // the frame's sample precision
      break;
    }
  expectJpegError(badPrecision, "7-bit samples");
  // Data cut in the middle of the scan is not fatal: libjpeg pads the rest.
  std::vector<Byte> big = EncodeJpeg(256, 256, 90);
  auto cut = LoadJpeg(std::vector<Byte>(big.begin(), big.begin() + big.size() * 3 / 4));
  TBitmap bmp;
  EXPECT_NO_THROW(bmp.Assign(cut.get()));
  EXPECT_TRUE(Near(Px(bmp, 64, 64), clRed, 12));
}

TEST(GraphicsJpeg, PictureLoadsJpegFilesAndKeepsThem) {
  TempFile file("quadrants.jpg");
  std::vector<Byte> data = EncodeJpeg(32, 32, 95);
  {
    TMemoryStream stream;
    LoadBytes(stream, data);
    stream.SaveToFile(file.Path());
  }
  TPicture picture;
  picture.LoadFromFile(file.Path());
  ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  TGraphic* graphic = picture.Graphic();
  // Asking for the bitmap of a JPEG picture must not replace the picture.
  TBitmap* bmp = picture.Bitmap();
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(picture.Graphic(), graphic);
  EXPECT_EQ(bmp->Width(), 32);
  ExpectQuadrants(*bmp, 12, Same);
  EXPECT_EQ(picture.Bitmap(), bmp) << "kept until the graphic changes";
  static_cast<TJPEGImage*>(graphic)->SetGrayscale(true);
  TBitmap* grey = picture.Bitmap();
  ExpectQuadrants(*grey, 12, Gray);
  EXPECT_EQ(picture.Graphic(), graphic);

  // "Data": class name, then the length-prefixed JPEG file.
  TMemoryStream stream;
  picture.WriteData(&stream);
  std::vector<Byte> bytes = Bytes(stream);
  ASSERT_GT(bytes.size(), 11u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 11), "\x0ATJPEGImage");
  std::uint32_t size;
  std::memcpy(&size, &bytes[11], 4);
  EXPECT_EQ(size, data.size());
  TPicture copy;
  stream.SetPosition(0);
  copy.ReadData(&stream);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(copy.Graphic()), nullptr);
  EXPECT_EQ(copy.Width(), 32);
}
