// The picture's TGraphic face: the three ways of drawing checked by pixels on
// memory bitmaps, conversion to and from bitmaps of each pixel format, the
// picture class registration and resources.
#include <gtest/gtest.h>

#include "PngTestSupport.hpp"

using namespace pngtest;

namespace {

TColor ColorOf(const Rgba& p) { return TColor(p.R | p.G << 8 | p.B << 16); }

// A 24-bit bitmap whose pixels all differ, so that every blended or kept
// destination pixel is recognisable.
std::unique_ptr<TBitmap> Background(int width, int height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    Byte* row = static_cast<Byte*>(bitmap->ScanLine(y));
    for (int x = 0; x < width; ++x) {
      row[x * 3] = Byte(x * 9 + y);
      row[x * 3 + 1] = Byte(200 - y * 7);
      row[x * 3 + 2] = Byte(x * 5 + y * 11);
    }
  }
  return bitmap;
}

Rgba PixelOf(TBitmap& bitmap, int x, int y) {
  GdiFlush();
  const Byte* p = static_cast<const Byte*>(bitmap.ScanLine(y)) + x * 3;
  return {p[2], p[1], p[0], 255};
}

std::unique_ptr<TPNGObject> Corpus(const std::string& name) {
  auto png = std::make_unique<TPNGObject>();
  LoadBytes(*png, ReadFileBytes(CorpusPath(name)));
  return png;
}

// The blend the drawing must do: (S × A + (255 − A) × D + 255) shr 8.
Byte BlendExpected(int s, int a, int d) { return Byte((s * a + (255 - a) * d + 255) >> 8); }

// ---------------------------------------------------------------------------
// Opaque.

TEST(PngDrawOpaque, CopiesTheImageAtItsOwnSize) {
  for (const char* name : {"plain_rgb.png", "fmt_c3_d4_i0_13x11.png", "fmt_c0_d16_i1_13x11.png",
                           "fmt_c0_d2_i0_13x11.png", "fmt_c3_d1_i0_13x11.png"}) {
    SCOPED_TRACE(name);
    auto png = Corpus(name);
    auto target = Background(30, 20);
    const Rgba outside = PixelOf(*target, 0, 0);
    target->Canvas()->Draw(3, 2, png.get());
    for (int y = 0; y < png->GetHeight(); ++y)
      for (int x = 0; x < png->GetWidth(); ++x) {
        Rgba shown = ShownPixel(*png, x, y);
        shown.A = 255;
        ASSERT_EQ(PixelOf(*target, x + 3, y + 2), shown) << x << "," << y;
      }
    EXPECT_EQ(PixelOf(*target, 0, 0), outside);
  }
}

TEST(PngDrawOpaque, StretchesToTheRectangle) {
  auto png = Corpus("plain_rgb.png");
  auto target = Background(40, 16);
  target->Canvas()->StretchDraw({0, 0, 38, 14}, png.get());
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 19; ++x) {
      Rgba shown = ShownPixel(*png, x, y);
      EXPECT_EQ(PixelOf(*target, 2 * x, 2 * y), shown);
      EXPECT_EQ(PixelOf(*target, 2 * x + 1, 2 * y + 1), shown);
    }
}

TEST(PngDrawOpaque, ImageWithoutHeaderDrawsNothing) {
  TPNGObject png;
  auto target = Background(8, 8);
  const Rgba before = PixelOf(*target, 4, 4);
  target->Canvas()->StretchDraw({0, 0, 8, 8}, &png);
  EXPECT_EQ(PixelOf(*target, 4, 4), before);
}

// ---------------------------------------------------------------------------
// Masked (binary transparency).

void ExpectMasked(const std::string& name, int scale) {
  SCOPED_TRACE(name + " scale " + std::to_string(scale));
  auto png = Corpus(name);
  ASSERT_EQ(png->TransparencyKind(), ptkBinary);
  const int w = png->GetWidth() * scale, h = png->GetHeight() * scale;
  auto target = Background(w + 4, h + 4);
  auto untouched = Background(w + 4, h + 4);
  target->Canvas()->StretchDraw({2, 1, 2 + w, 1 + h}, png.get());
  int transparent = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba shown = ShownPixel(*png, x / scale, y / scale);
      const bool keyed = ColorOf(shown) == png->KeyColor();
      transparent += keyed;
      const Rgba expected = keyed ? PixelOf(*untouched, x + 2, y + 1) : Rgba{shown.R, shown.G, shown.B, 255};
      ASSERT_EQ(PixelOf(*target, x + 2, y + 1), expected) << x << "," << y;
    }
  EXPECT_GT(transparent, 0);
  EXPECT_EQ(PixelOf(*target, 0, 0), PixelOf(*untouched, 0, 0));
}

TEST(PngDrawMasked, KeyColourPixelsShowTheBackground) {
  ExpectMasked("trns_rgb8.png", 1);
  ExpectMasked("trns_gray8.png", 1);
  ExpectMasked("trns_palette_one_zero.png", 1);
  ExpectMasked("trns_rgb16.png", 1);
}

TEST(PngDrawMasked, StretchesMaskAndImageTogether) {
  ExpectMasked("trns_rgb8.png", 2);
  ExpectMasked("trns_palette_one_zero.png", 3);
}

TEST(PngDrawMasked, ShrinkingKeepsWholePixelsAndNeverMixesColours) {
  // Drawn at half size, every pixel is the background or the colour of one
  // image pixel of its 2 x 2 block: no colour is ANDed with its neighbours.
  for (const char* name : {"trns_rgb8.png", "trns_palette_one_zero.png"}) {
    SCOPED_TRACE(name);
    auto png = Corpus(name);
    const int w = png->GetWidth() / 2, h = png->GetHeight() / 2;
    auto target = Background(w + 2, h + 2);
    auto untouched = Background(w + 2, h + 2);
    target->Canvas()->StretchDraw({1, 1, 1 + w, 1 + h}, png.get());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Rgba got = PixelOf(*target, x + 1, y + 1);
        bool known = got == PixelOf(*untouched, x + 1, y + 1);
        for (int dy = 0; dy < 2 && !known; ++dy)
          for (int dx = 0; dx < 2 && !known; ++dx) {
            const Rgba shown = ShownPixel(*png, 2 * x + dx, 2 * y + dy);
            known = ColorOf(shown) != png->KeyColor() && got == Rgba{shown.R, shown.G, shown.B, 255};
          }
        ASSERT_TRUE(known) << x << "," << y;
      }
  }
}

// ---------------------------------------------------------------------------
// Alpha-blended (partial transparency).

void ExpectBlended(const std::string& name) {
  SCOPED_TRACE(name);
  auto png = Corpus(name);
  ASSERT_EQ(png->TransparencyKind(), ptkPartial);
  const TChunkIHDR& header = *png->HeaderChunk();
  const TChunktRNS* trns = png->Chunks().Find<TChunktRNS>();
  const int w = png->GetWidth(), h = png->GetHeight();
  auto target = Background(2 * w + 6, 2 * h + 6);
  auto untouched = Background(2 * w + 6, 2 * h + 6);
  // A rectangle twice the image's size: the blend covers the image's own
  // size at its top-left corner and leaves the rest alone.
  target->Canvas()->StretchDraw({4, 3, 4 + 2 * w, 3 + 2 * h}, png.get());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba d = PixelOf(*untouched, x + 4, y + 3);
      Rgba s = ShownPixel(*png, x, y);
      int a = s.A;
      if (header.ColorType == 4) {
        const Byte index = Byte(pngimage_detail::ReadIndex(header.RowAddress(y), x, 8));
        s = {index, index, index, s.A};
      }
      if (header.ColorType == 3)
        a = trns->AlphaValues[pngimage_detail::ReadIndex(header.RowAddress(y), x, header.BitCount())];
      const Rgba expected{BlendExpected(s.R, a, d.R), BlendExpected(s.G, a, d.G),
                          BlendExpected(s.B, a, d.B), 255};
      ASSERT_EQ(PixelOf(*target, x + 4, y + 3), expected) << x << "," << y;
    }
  EXPECT_EQ(PixelOf(*target, 4 + w, 3 + h), PixelOf(*untouched, 4 + w, 3 + h));
  EXPECT_EQ(PixelOf(*target, 3 + 2 * w, 2 + 2 * h), PixelOf(*untouched, 3 + 2 * w, 2 + 2 * h));
}

TEST(PngDrawBlended, BlendsAtTheImagesOwnSize) {
  ExpectBlended("fmt_c6_d8_i0_13x11.png");
  ExpectBlended("fmt_c6_d16_i1_33x17.png");
  ExpectBlended("fmt_c4_d8_i0_13x11.png");
  ExpectBlended("trns_palette_partial.png");
}

TEST(PngDrawBlended, AlphaZeroKeepsEveryDestinationAndFullAlphaEverySource) {
  // 561 pixels: every destination and source value 0 ... 255 occurs, in each
  // channel, blended by the codec's own drawing.
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(CorpusPath("fmt_c6_d8_i0_33x17.png")));
  TChunkIHDR& header = *png.HeaderChunk();
  const int w = 33, h = 17;
  auto target = Background(w, h);
  for (int y = 0; y < h; ++y) {
    Byte* row = static_cast<Byte*>(target->ScanLine(y));
    for (int x = 0; x < w; ++x) {
      const int v = (y * w + x) & 255;
      row[x * 3] = Byte(v);
      row[x * 3 + 1] = Byte(255 - v);
      row[x * 3 + 2] = Byte(v * 7);
      Byte* s = header.RowAddress(std::uint32_t(y)) + x * 3;
      s[0] = Byte(v * 3);
      s[1] = Byte(v);
      s[2] = Byte(255 - v);
      header.ImageAlpha()[y * w + x] = 0;
    }
  }
  target->Canvas()->Draw(0, 0, &png);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int v = (y * w + x) & 255;
      ASSERT_EQ(PixelOf(*target, x, y), (Rgba{Byte(v * 7), Byte(255 - v), Byte(v), 255}))
          << x << "," << y;
    }
  for (int i = 0; i < w * h; ++i) header.ImageAlpha()[i] = 255;
  target->Canvas()->Draw(0, 0, &png);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Byte* s = header.RowAddress(std::uint32_t(y)) + x * 3;
      ASSERT_EQ(PixelOf(*target, x, y), (Rgba{s[2], s[1], s[0], 255})) << x << "," << y;
    }
  // Half alpha: (200 * 128 + 127 * 100 + 255) shr 8 = 150.
  Byte* s = header.RowAddress(0);
  s[0] = s[1] = s[2] = 200;
  header.ImageAlpha()[0] = 128;
  Byte* d = static_cast<Byte*>(target->ScanLine(0));
  d[0] = d[1] = d[2] = 100;
  target->Canvas()->Draw(0, 0, &png);
  EXPECT_EQ(PixelOf(*target, 0, 0), (Rgba{150, 150, 150, 255}));
}

// ---------------------------------------------------------------------------
// Bitmaps.

TEST(PngToBitmap, KeepsBitCountAndExactColours) {
  const std::pair<const char*, TPixelFormat> cases[] = {
      {"fmt_c3_d8_i0_13x11.png", pf8bit}, {"fmt_c3_d2_i0_13x11.png", pf4bit},
      {"fmt_c0_d1_i1_13x11.png", pf1bit}, {"fmt_c2_d16_i0_13x11.png", pf24bit},
      {"fmt_c0_d16_i0_13x11.png", pf8bit},
  };
  for (const auto& [name, format] : cases) {
    SCOPED_TRACE(name);
    auto png = Corpus(name);
    TBitmap bitmap;
    bitmap.Assign(png.get());
    EXPECT_EQ(bitmap.PixelFormat(), format);
    ASSERT_EQ(bitmap.Width(), png->GetWidth());
    ASSERT_EQ(bitmap.Height(), png->GetHeight());
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        ASSERT_EQ(bitmap.Canvas()->Pixels(x, y), ColorOf(ShownPixel(*png, x, y))) << x << "," << y;
    EXPECT_FALSE(bitmap.Transparent());
  }
}

TEST(PngToBitmap, BinaryTransparencyBecomesTheBitmapsTransparentColour) {
  auto png = Corpus("trns_rgb8.png");
  TBitmap bitmap;
  bitmap.Assign(png.get());
  EXPECT_TRUE(bitmap.Transparent());
  EXPECT_EQ(bitmap.TransparentColor(), png->KeyColor());
}

// A DIB section made here (with a colour table of its own when indexed),
// adopted by a bitmap.
HBITMAP DibSection(int bitCount, int width, int height) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, WORD(bitCount), BI_RGB, 0, 0, 0,
                 DWORD(bitCount <= 8 ? 1 << bitCount : 0), 0};
  for (int i = 0; i < 256; ++i) info.colors[i] = {Byte(i * 3), Byte(255 - i), Byte(i * 7), 0};
  void* bits = nullptr;
  return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                          nullptr, 0);
}

TEST(PngFromBitmap, EachPixelFormatKeepsItsColours) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(int(format));
    TBitmap bitmap;
    // The 8- and 16-bit sections are made here rather than by converting
    // the bitmap, so that their colours are known exactly.
    if (format == pf8bit || format == pf16bit) {
      bitmap.SetHandle(DibSection(format == pf8bit ? 8 : 16, 12, 7));
    } else {
      bitmap.SetPixelFormat(format);
      bitmap.SetSize(12, 7);
    }
    // Raw bytes: every index of the colour table, every direct colour.
    for (int y = 0; y < 7; ++y) {
      Byte* row = static_cast<Byte*>(bitmap.ScanLine(y));
      for (int i = 0; i < bitmap.ScanLineStride(); ++i) row[i] = Byte(i * 29 + y * 53);
    }
    TPNGObject png;
    png.Assign(&bitmap);
    EXPECT_EQ(png.HeaderChunk()->ColorType, format <= pf8bit ? 3 : 2);
    RgbaImage expected{12, 7, {}};
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 12; ++x) {
        const TColor c = bitmap.Canvas()->Pixels(x, y);
        ASSERT_EQ(png.ReadPixelColor(x, y), c) << x << "," << y;
        expected.Pixels.push_back({Byte(c), Byte(c >> 8), Byte(c >> 16), 255});
      }
    EXPECT_EQ(Difference(ShownImage(png), expected), "");
    const std::string name = "bitmap_pf" + std::to_string(int(format));
    WriteReference(name, expected);
    KeepForLibpng(name + ".png", SaveBytes(png), name);
  }
}

TEST(PngFromBitmap, TransparentBitmapGivesBinaryTransparency) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(6, 4);
  bitmap.Canvas()->Brush()->SetColor(0x00FF00);
  bitmap.Canvas()->FillRect({0, 0, 6, 4});
  bitmap.Canvas()->SetPixels(2, 1, 0x0000FF);
  bitmap.SetTransparentColor(0x00FF00);
  bitmap.SetTransparent(true);
  TPNGObject png;
  png.Assign(&bitmap);
  EXPECT_EQ(png.TransparencyKind(), ptkBinary);
  EXPECT_EQ(png.KeyColor(), 0x00FF00);
  auto target = Background(6, 4);
  auto untouched = Background(6, 4);
  target->Canvas()->Draw(0, 0, &png);
  EXPECT_EQ(PixelOf(*target, 0, 0), PixelOf(*untouched, 0, 0));
  EXPECT_EQ(PixelOf(*target, 2, 1), (Rgba{255, 0, 0, 255}));
}

// ---------------------------------------------------------------------------
// Picture class, palette, resources.

TEST(PngPicture, IsRegisteredUnderPng) {
  EXPECT_EQ(TPicture::FindGraphicClassByExtension("png"), ClassOf<TPNGObject>());
  EXPECT_EQ(TPicture::FindGraphicClassByName("TPNGObject"), ClassOf<TPNGObject>());
  TPicture picture;
  picture.LoadFromFile(CorpusPath("trns_palette_partial.png"));
  auto* png = dynamic_cast<TPNGObject*>(picture.Graphic());
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->TransparencyKind(), ptkPartial);
  // Copying a picture copies the PNG through its Assign.
  TPicture copy;
  copy.Assign(&picture);
  auto* copied = dynamic_cast<TPNGObject*>(copy.Graphic());
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, png);
  EXPECT_EQ(SaveBytes(*copied), SaveBytes(*png));
}

TEST(PngPicture, AssigningAnUnrelatedGraphicRaisesTheLibrarysError) {
  TPNGObject png;
  TIcon icon;
  EXPECT_THROW(png.Assign(&icon), EConvertError);
}

TEST(PngPicture, PaletteOnlyForGrayAndPaletteImages) {
  auto palette = Corpus("fmt_c3_d8_i0_13x11.png");
  HPALETTE handle = palette->Palette();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(palette->Palette(), handle);
  PALETTEENTRY entry{};
  ASSERT_EQ(GetPaletteEntries(handle, 5, 1, &entry), 1u);
  const TPNGRGBQuad q = palette->HeaderChunk()->BitmapInfo().bmiColors[5];
  EXPECT_EQ((std::array<Byte, 3>{entry.peRed, entry.peGreen, entry.peBlue}),
            (std::array<Byte, 3>{q.rgbRed, q.rgbGreen, q.rgbBlue}));
  EXPECT_EQ(Corpus("plain_rgb.png")->Palette(), nullptr);
}

TEST(PngResource, LoadsRawDataResourcesAndRefusesMissingOnes) {
  TPNGObject png;
  png.LoadFromResourceName(GetModuleHandleA(nullptr), "PNGPLAINRGB");
  TPNGObject file;
  LoadBytes(file, ReadFileBytes(CorpusPath("plain_rgb.png")));
  EXPECT_EQ(Difference(ShownImage(png), ShownImage(file)), "");
  try {
    png.LoadFromResourceName(GetModuleHandleA(nullptr), "NOSUCHPNG");
    FAIL() << "no exception";
  } catch (const EPNGCouldNotLoadResource& e) {
    EXPECT_STREQ(e.what(), "The png image could not be loaded from the resource ID.");
  }
}

}  // namespace
