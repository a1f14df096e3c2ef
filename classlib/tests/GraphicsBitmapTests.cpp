// TBitmap: scan-line layout, BMP files of every pixel format, malformed
// files, transparency, masks, conversions, handles and resources; TIcon.
#include <gtest/gtest.h>

#include <cstring>

#include "Graphics.hpp"
#include "GraphicsTestSupport.hpp"

using namespace gfxtest;

namespace {

// Four quadrants: black, white, red, blue (black and white only for pf1bit).
void DrawQuadrants(TBitmap& bmp) {
  bool mono = bmp.PixelFormat() == pf1bit;
  int w = bmp.Width(), h = bmp.Height();
  TCanvas* c = bmp.Canvas();
  const TColor colors[4] = {clBlack, clWhite, mono ? clWhite : clRed, mono ? clBlack : clBlue};
  const TRect rects[4] = {{0, 0, w / 2, h / 2}, {w / 2, 0, w, h / 2}, {0, h / 2, w / 2, h}, {w / 2, h / 2, w, h}};
  for (int i = 0; i < 4; ++i) {
    c->Brush()->SetColor(colors[i]);
    c->FillRect(rects[i]);
  }
  c->SetPixels(1, 0, mono ? clWhite : clLime);  // breaks the symmetry
}

std::vector<TColor> AllPixels(TBitmap& bmp) {
  std::vector<TColor> px;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) px.push_back(Px(bmp, x, y));
  return px;
}

std::vector<Byte> SaveBytes(TBitmap& bmp) {
  TMemoryStream stream;
  bmp.SaveToStream(&stream);
  return Bytes(stream);
}

void LoadFrom(TBitmap& bmp, const std::vector<Byte>& bytes) {
  TMemoryStream stream;
  LoadBytes(stream, bytes);
  bmp.LoadFromStream(&stream);
}

std::uint32_t U32(const std::vector<Byte>& b, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
std::uint16_t U16(const std::vector<Byte>& b, std::size_t at) {
  std::uint16_t v;
  std::memcpy(&v, &b[at], 2);
  return v;
}
void Put32(std::vector<Byte>& b, std::size_t at, std::uint32_t v) { std::memcpy(&b[at], &v, 4); }
void Put16(std::vector<Byte>& b, std::size_t at, std::uint16_t v) { std::memcpy(&b[at], &v, 2); }

// A BMP file with a 40-byte header; rows given top to bottom, padded here.
std::vector<Byte> MakeBmp24(int width, const std::vector<std::vector<TColor>>& rows, bool topDown) {
  int height = static_cast<int>(rows.size());
  int stride = (width * 3 + 3) & ~3;
  std::vector<Byte> f(54 + stride * height, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 2, static_cast<std::uint32_t>(f.size()));
  Put32(f, 10, 54);
  Put32(f, 14, 40);
  Put32(f, 18, width);
  Put32(f, 22, static_cast<std::uint32_t>(topDown ? -height : height));
  Put16(f, 26, 1);
  Put16(f, 28, 24);
  for (int y = 0; y < height; ++y) {
    int fileRow = topDown ? y : height - 1 - y;
    for (int x = 0; x < width; ++x) {
      Byte* p = &f[54 + fileRow * stride + x * 3];
      TColor c = rows[y][x];
      p[0] = Byte(B(c));
      p[1] = Byte(G(c));
      p[2] = Byte(R(c));
    }
  }
  return f;
}

}  // namespace

// --- Scan lines --------------------------------------------------------------------------

class GraphicsScanLine : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(GraphicsScanLine, RowsAreBottomUpAndPaddedToFourBytes) {
  TPixelFormat format = GetParam();
  auto bmp = MakeBitmap(format, 5, 3, clWhite);
  int bits = PixelFormatBits(format);
  int stride = (5 * bits + 31) / 32 * 4;
  EXPECT_EQ(bmp->ScanLineStride(), stride);
  auto* row0 = static_cast<Byte*>(bmp->ScanLine(0));
  auto* row1 = static_cast<Byte*>(bmp->ScanLine(1));
  auto* row2 = static_cast<Byte*>(bmp->ScanLine(2));
  EXPECT_EQ(row0 - row1, stride) << "row 0 is the highest address";
  EXPECT_EQ(row1 - row2, stride);
  EXPECT_THROW(bmp->ScanLine(3), EInvalidGraphicOperation);
  EXPECT_THROW(bmp->ScanLine(-1), EInvalidGraphicOperation);
}

INSTANTIATE_TEST_SUITE_P(DibFormats, GraphicsScanLine,
                         ::testing::Values(pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit),
                         [](const auto& info) { return FormatName(info.param); });

TEST(GraphicsScanLine, PixelsAndScanLinesAgree) {
  auto bmp = MakeBitmap(pf24bit, 5, 3, clWhite);
  auto* top = static_cast<Byte*>(bmp->ScanLine(0));
  top[0] = 0x10;  // blue
  top[1] = 0x20;  // green
  top[2] = 0x30;  // red
  EXPECT_EQ(Px(*bmp, 0, 0), 0x102030);
  bmp->Canvas()->SetPixels(4, 2, clRed);
  auto* bottom = static_cast<Byte*>(bmp->ScanLine(2));
  EXPECT_EQ(bottom[12], 0);
  EXPECT_EQ(bottom[13], 0);
  EXPECT_EQ(bottom[14], 255);

  auto b16 = MakeBitmap(pf16bit, 3, 2, clBlack);
  b16->Canvas()->SetPixels(1, 0, clRed);
  EXPECT_EQ(static_cast<std::uint16_t*>(b16->ScanLine(0))[1], 0xF800) << "5-6-5 red";
  auto b15 = MakeBitmap(pf15bit, 3, 2, clBlack);
  b15->Canvas()->SetPixels(1, 1, clLime);
  EXPECT_EQ(static_cast<std::uint16_t*>(b15->ScanLine(1))[1], 0x03E0) << "5-5-5 green";
  auto b1 = MakeBitmap(pf1bit, 10, 2, clWhite);
  b1->Canvas()->SetPixels(1, 1, clBlack);
  EXPECT_EQ(static_cast<Byte*>(b1->ScanLine(1))[0], 0xBF);
  EXPECT_EQ(static_cast<Byte*>(b1->ScanLine(0))[0], 0xFF);
}

TEST(GraphicsScanLine, DeviceBitmapBecomesADibFirst) {
  auto bmp = MakeBitmap(pfDevice, 4, 4, clRed);
  EXPECT_EQ(bmp->HandleType(), bmDDB);
  ASSERT_NE(bmp->ScanLine(0), nullptr);
  EXPECT_EQ(bmp->HandleType(), bmDIB);
  EXPECT_EQ(Px(*bmp, 3, 3), clRed);
}

// --- BMP files ----------------------------------------------------------------------

class GraphicsBmpFile : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(GraphicsBmpFile, RoundTripKeepsFormatAndPixels) {
  TPixelFormat format = GetParam();
  auto bmp = MakeBitmap(format, 9, 6);
  DrawQuadrants(*bmp);
  std::vector<TColor> before = AllPixels(*bmp);
  std::vector<Byte> file = SaveBytes(*bmp);

  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 14), 40u);
  EXPECT_EQ(U32(file, 18), 9u);
  EXPECT_EQ(U32(file, 22), 6u) << "bottom-up";
  int bits = U16(file, 28);
  if (format != pfDevice) {
    EXPECT_EQ(bits, PixelFormatBits(format));
  }
  EXPECT_EQ(U32(file, 30), format == pf16bit ? std::uint32_t(BI_BITFIELDS) : std::uint32_t(BI_RGB));
  std::size_t stride = (9 * bits + 31) / 32 * 4;
  EXPECT_EQ(file.size() - U32(file, 10), stride * 6);

  TBitmap loaded;
  LoadFrom(loaded, file);
  EXPECT_EQ(loaded.Width(), 9);
  EXPECT_EQ(loaded.Height(), 6);
  if (format != pfDevice) {
    EXPECT_EQ(loaded.PixelFormat(), format);
  }
  EXPECT_EQ(AllPixels(loaded), before);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, GraphicsBmpFile, ::testing::ValuesIn(kAllFormats),
                         [](const auto& info) { return FormatName(info.param); });

TEST(GraphicsBmpFile, TopDownFilesAreTurnedRightWayUp) {
  TBitmap bmp;
  LoadFrom(bmp, MakeBmp24(2, {{clRed, clBlue}, {clLime, clWhite}, {clBlack, clYellow}}, true));
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(Px(bmp, 0, 0), clRed);
  EXPECT_EQ(Px(bmp, 1, 0), clBlue);
  EXPECT_EQ(Px(bmp, 0, 1), clLime);
  EXPECT_EQ(Px(bmp, 1, 2), clYellow);
  EXPECT_EQ(static_cast<Byte*>(bmp.ScanLine(0))[2], 255) << "row 0 is the top row";
  TBitmap bottomUp;
  LoadFrom(bottomUp, MakeBmp24(2, {{clRed, clBlue}, {clLime, clWhite}, {clBlack, clYellow}}, false));
  EXPECT_EQ(AllPixels(bottomUp), AllPixels(bmp));
}

TEST(GraphicsBmpFile, Os2HeaderAndRunLengthFiles) {
  // 12-byte header, 1 bit, 3x2, colour table of RGB triples: red, blue.
  std::vector<Byte> os2 = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,
                           12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 1, 0,
                           0, 0, 255, 255, 0, 0,
                           0x40, 0, 0, 0,   // bottom row: 0 1 0
                           0xA0, 0, 0, 0};  // top row: 1 0 1
  Put32(os2, 2, static_cast<std::uint32_t>(os2.size()));
  TBitmap a;
  LoadFrom(a, os2);
  EXPECT_EQ(a.PixelFormat(), pf1bit);
  EXPECT_EQ(Px(a, 0, 0), clBlue);
  EXPECT_EQ(Px(a, 1, 0), clRed);
  EXPECT_EQ(Px(a, 1, 1), clBlue);

  // RLE8, 4x2, colours 0 = black, 1 = red, 2 = lime.
  std::vector<Byte> rle(14 + 40 + 3 * 4, 0);
  rle[0] = 'B';
  rle[1] = 'M';
  Put32(rle, 14, 40);
  Put32(rle, 18, 4);
  Put32(rle, 22, 2);
  Put16(rle, 26, 1);
  Put16(rle, 28, 8);
  Put32(rle, 30, BI_RLE8);
  Put32(rle, 46, 3);
  Byte table[12] = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0};
  std::memcpy(&rle[54], table, sizeof(table));
  Put32(rle, 10, static_cast<std::uint32_t>(rle.size()));
  const Byte runs[] = {4, 1, 0, 0,        // bottom row: four red, end of line
                       2, 2, 2, 1, 0, 1};  // top row: two lime, two red, end of bitmap
  rle.insert(rle.end(), std::begin(runs), std::end(runs));
  Put32(rle, 34, sizeof(runs));
  TBitmap b;
  LoadFrom(b, rle);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(Px(b, 0, 1), clRed);
  EXPECT_EQ(Px(b, 3, 1), clRed);
  EXPECT_EQ(Px(b, 0, 0), clLime);
  EXPECT_EQ(Px(b, 3, 0), clRed);
}

TEST(GraphicsBmpFile, MalformedFilesFailCleanlyAndKeepTheImage) {
  const std::vector<Byte> good = MakeBmp24(3, {{clRed, clRed, clRed}, {clBlue, clBlue, clBlue}}, false);
  struct Case {
    const char* what;
    std::size_t at;
    int size;  // 1, 2 or 4 bytes; 0 truncates the file at `at`
    std::uint32_t value;
  };
  const Case cases[] = {
      {"magic", 0, 1, 'X'},           {"truncated pixels", 60, 0, 0}, {"truncated header", 30, 0, 0},
      {"zero width", 18, 4, 0},       {"zero height", 22, 4, 0},      {"huge width", 18, 4, 100000},
      {"huge height", 22, 4, 0x7FFFFFFF}, {"bit count 7", 28, 2, 7},  {"two planes", 26, 2, 2},
      {"header size 20", 14, 4, 20},  {"header beyond file", 14, 4, 4000},
      {"run-length 24 bits", 30, 4, BI_RLE8}, {"unknown compression", 30, 4, 9},
      {"negative width", 18, 4, 0xFFFFFFFD}, {"colours used 300", 46, 4, 300},
  };
  TBitmap bmp;
  LoadFrom(bmp, good);
  for (const Case& c : cases) {
    std::vector<Byte> bad = good;
    if (c.size == 0) bad.resize(c.at);
    if (c.size == 1) bad[c.at] = Byte(c.value);
    if (c.size == 2) Put16(bad, c.at, std::uint16_t(c.value));
    if (c.size == 4) Put32(bad, c.at, c.value);
    if (std::string(c.what) == "colours used 300") Put16(bad, 28, 8);
    EXPECT_THROW(LoadFrom(bmp, bad), EInvalidGraphic) << c.what;
    EXPECT_EQ(bmp.Width(), 3) << c.what;
    EXPECT_EQ(Px(bmp, 0, 1), clBlue) << c.what;
  }
  EXPECT_THROW(LoadFrom(bmp, {}), EInvalidGraphic);
}

TEST(GraphicsBmpFile, DataFormIsLengthThenFile) {
  auto bmp = MakeBitmap(pf8bit, 3, 3, clRed);
  std::vector<Byte> file = SaveBytes(*bmp);
  // WriteData is what a picture's "Data" carries after the class name.
  struct Access : TBitmap {
    using TBitmap::ReadData;
    using TBitmap::WriteData;
  };
  TMemoryStream stream;
  static_cast<Access*>(bmp.get())->WriteData(&stream);
  std::vector<Byte> data = Bytes(stream);
  ASSERT_EQ(data.size(), file.size() + 4);
  EXPECT_EQ(U32(data, 0), file.size());
  EXPECT_TRUE(std::equal(file.begin(), file.end(), data.begin() + 4));
  Access copy;
  stream.SetPosition(0);
  copy.ReadData(&stream);
  EXPECT_EQ(Px(copy, 2, 2), clRed);
  Put32(data, 0, static_cast<std::uint32_t>(file.size() + 10));  // longer than the data
  LoadBytes(stream, data);
  EXPECT_THROW(copy.ReadData(&stream), EInvalidGraphic);
}

TEST(GraphicsBmpFile, ResourceByName) {
  TBitmap bmp;
  bmp.LoadFromResourceName(GetModuleHandleA(nullptr), "GFXTEST_BMP");
  ASSERT_EQ(bmp.Width(), 2);
  ASSERT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(Px(bmp, 0, 0), clBlue);
  EXPECT_EQ(Px(bmp, 1, 0), clWhite);
  EXPECT_EQ(Px(bmp, 0, 1), clRed);
  EXPECT_EQ(Px(bmp, 1, 1), clLime);
  EXPECT_THROW(bmp.LoadFromResourceName(GetModuleHandleA(nullptr), "NO_SUCH_BITMAP"), EResNotFound);
}

// --- Transparency and masks ---------------------------------------------------------

class GraphicsTransparent : public ::testing::TestWithParam<TPixelFormat> {};

namespace {

// A magenta frame around a red centre.
std::unique_ptr<TBitmap> FramedSprite(TPixelFormat format) {
  auto sprite = MakeBitmap(format, 4, 4, clFuchsia);
  sprite->Canvas()->Brush()->SetColor(clRed);
  sprite->Canvas()->FillRect(TRect{1, 1, 3, 3});
  return sprite;
}

}  // namespace

TEST_P(GraphicsTransparent, TransparentColourPixelsAreLeftOut) {
  auto sprite = FramedSprite(GetParam());
  sprite->SetTransparent(true);
  EXPECT_EQ(sprite->TransparentMode(), tmAuto);
  EXPECT_EQ(sprite->TransparentColor(), clFuchsia) << "bottom-left pixel";
  auto dest = MakeBitmap(pf24bit, 8, 8, clBlue);
  dest->Canvas()->Draw(2, 2, sprite.get());
  EXPECT_EQ(Px(*dest, 2, 2), clBlue);
  EXPECT_EQ(Px(*dest, 5, 5), clBlue);
  EXPECT_EQ(Px(*dest, 3, 3), clRed);
  EXPECT_EQ(Px(*dest, 4, 4), clRed);
  EXPECT_EQ(Px(*dest, 0, 0), clBlue);

  // A fixed colour: now the red centre is left out and the frame drawn.
  sprite->SetTransparentColor(clRed);
  EXPECT_EQ(sprite->TransparentMode(), tmFixed);
  auto dest2 = MakeBitmap(pf24bit, 8, 8, clBlue);
  dest2->Canvas()->Draw(0, 0, sprite.get());
  EXPECT_EQ(Px(*dest2, 0, 0), clFuchsia);
  EXPECT_EQ(Px(*dest2, 1, 1), clBlue);

  // Stretched, the mask stretches with the image.
  sprite->SetTransparentMode(tmAuto);
  auto dest3 = MakeBitmap(pf24bit, 8, 8, clBlue);
  dest3->Canvas()->StretchDraw(TRect{0, 0, 8, 8}, sprite.get());
  EXPECT_EQ(Px(*dest3, 1, 1), clBlue);
  EXPECT_EQ(Px(*dest3, 2, 2), clRed);
  EXPECT_EQ(Px(*dest3, 5, 5), clRed);
  EXPECT_EQ(Px(*dest3, 6, 6), clBlue);
}

INSTANTIATE_TEST_SUITE_P(ColorFormats, GraphicsTransparent,
                         ::testing::Values(pf4bit, pf8bit, pf24bit, pf32bit, pfDevice),
                         [](const auto& info) { return FormatName(info.param); });

TEST(GraphicsTransparent, OpaqueUnlessAskedAndModesSwitch) {
  auto sprite = FramedSprite(pf24bit);
  auto dest = MakeBitmap(pf24bit, 4, 4, clBlue);
  dest->Canvas()->Draw(0, 0, sprite.get());
  EXPECT_EQ(Px(*dest, 0, 0), clFuchsia);
  sprite->SetTransparentColor(clRed);
  sprite->SetTransparentMode(tmAuto);
  EXPECT_EQ(sprite->TransparentColor(), clFuchsia);
  sprite->SetTransparentMode(tmFixed);  // fixes the current automatic colour
  sprite->Canvas()->SetPixels(0, 3, clLime);
  EXPECT_EQ(sprite->TransparentColor(), clFuchsia);
}

TEST(GraphicsTransparent, MaskTurnsTheColourWhiteAndTheRestBlack) {
  auto sprite = FramedSprite(pf24bit);
  sprite->Mask(clRed);
  EXPECT_TRUE(sprite->Monochrome());
  EXPECT_EQ(sprite->PixelFormat(), pf1bit);
  EXPECT_EQ(Px(*sprite, 1, 1), clWhite);
  EXPECT_EQ(Px(*sprite, 2, 2), clWhite);
  EXPECT_EQ(Px(*sprite, 0, 0), clBlack);
  EXPECT_EQ(Px(*sprite, 3, 2), clBlack);
}

// --- Size, format, handles, assignment --------------------------------------------------

TEST(GraphicsBitmap, ResizeKeepsTheOverlapAndFillsTheRest) {
  auto bmp = MakeBitmap(pf24bit, 4, 4, clRed);
  bmp->Canvas()->Brush()->SetColor(clYellow);
  Counter counter;
  bmp->OnChange = MakeEvent(&counter, &Counter::Handle);
  bmp->SetWidth(6);
  bmp->SetHeight(2);
  EXPECT_EQ(counter.count, 2);
  EXPECT_EQ(bmp->Width(), 6);
  EXPECT_EQ(bmp->Height(), 2);
  EXPECT_EQ(Px(*bmp, 3, 1), clRed);
  EXPECT_EQ(Px(*bmp, 4, 0), clYellow) << "the canvas brush fills the new part";
  bmp->SetSize(0, 5);
  EXPECT_TRUE(bmp->Empty());
  bmp->Canvas()->FillRect(TRect{0, 0, 1, 1});  // drawing on an empty bitmap is harmless
  bmp->SetWidth(3);  // the height asked for before is kept while the bitmap is empty
  EXPECT_EQ(bmp->Width(), 3);
  EXPECT_EQ(bmp->Height(), 5);
  TBitmap fresh;
  fresh.SetWidth(7);
  EXPECT_TRUE(fresh.Empty());
  fresh.SetHeight(4);
  EXPECT_FALSE(fresh.Empty());
  EXPECT_EQ(fresh.Width(), 7);
  EXPECT_EQ(fresh.Height(), 4);
}

TEST(GraphicsBitmap, FormatConversionKeepsColoursTheFormatHas) {
  auto bmp = MakeBitmap(pf24bit, 8, 6);
  DrawQuadrants(*bmp);
  std::vector<TColor> before = AllPixels(*bmp);
  for (TPixelFormat f : {pf32bit, pf8bit, pf4bit, pf16bit, pf15bit, pfDevice, pf24bit}) {
    bmp->SetPixelFormat(f);
    EXPECT_EQ(bmp->PixelFormat(), f);
    EXPECT_EQ(AllPixels(*bmp), before) << FormatName(f);
  }
  bmp->SetMonochrome(true);
  EXPECT_EQ(Px(*bmp, 0, 0), clBlack);
  EXPECT_EQ(Px(*bmp, 7, 0), clWhite);
  bmp->SetMonochrome(false);
  EXPECT_EQ(bmp->HandleType(), bmDDB);
  EXPECT_EQ(Px(*bmp, 7, 0), clWhite);
}

TEST(GraphicsBitmap, AssignCopiesReleaseHandleKeepsACopy) {
  auto a = FramedSprite(pf8bit);
  a->SetTransparent(true);
  a->SetTransparentColor(clRed);
  TBitmap b;
  b.Assign(a.get());
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), clRed);
  EXPECT_EQ(AllPixels(b), AllPixels(*a));
  b.Canvas()->SetPixels(0, 0, clBlue);
  EXPECT_EQ(Px(*a, 0, 0), clFuchsia) << "the copy is independent";

  HBITMAP released = b.ReleaseHandle();
  ASSERT_NE(released, nullptr);
  EXPECT_NE(released, b.Handle());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, released);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(released);
  EXPECT_EQ(Px(b, 0, 0), clBlue);

  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(GraphicsBitmap, AdoptsDibSectionsAndDeviceBitmaps) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  static_cast<std::uint32_t*>(bits)[0] = 0x00FF0000;  // bottom-left red
  TBitmap a;
  a.SetHandle(dib);
  EXPECT_EQ(a.PixelFormat(), pf32bit);
  EXPECT_EQ(a.Width(), 3);
  EXPECT_EQ(Px(a, 0, 1), clRed);

  HDC screen = GetDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 5, 4);
  ReleaseDC(nullptr, screen);
  TBitmap b;
  b.SetHandle(ddb);
  EXPECT_EQ(b.HandleType(), bmDDB);
  EXPECT_EQ(b.Height(), 4);
  EXPECT_EQ(b.Handle(), ddb);
}

TEST(GraphicsBitmap, CanvasDrawingNotifiesTheBitmap) {
  auto bmp = MakeBitmap(pf24bit, 4, 4);
  Counter counter;
  bmp->OnChange = MakeEvent(&counter, &Counter::Handle);
  bmp->Canvas()->FillRect(TRect{0, 0, 2, 2});
  bmp->Canvas()->SetPixels(3, 3, clRed);
  EXPECT_EQ(counter.count, 2);
  EXPECT_TRUE(bmp->Modified());
}

// --- Icons --------------------------------------------------------------------------------

namespace {

// A 16x16 24-bit icon: a red square with a transparent border of 4 pixels.
std::vector<Byte> MakeIcon() {
  const int n = 16, xorStride = n * 3, andStride = 4;
  std::vector<Byte> image(40 + xorStride * n + andStride * n, 0);
  Put32(image, 0, 40);
  Put32(image, 4, n);
  Put32(image, 8, 2 * n);
  Put16(image, 12, 1);
  Put16(image, 14, 24);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      bool inside = x >= 4 && x < 12 && y >= 4 && y < 12;
      if (inside) image[40 + y * xorStride + x * 3 + 2] = 255;
      if (!inside) image[40 + xorStride * n + y * andStride + x / 8] |= Byte(0x80 >> (x % 8));
    }
  std::vector<Byte> file(6 + 16, 0);
  Put16(file, 2, 1);
  Put16(file, 4, 1);
  file[6] = n;
  file[7] = n;
  Put16(file, 10, 1);
  Put16(file, 12, 24);
  Put32(file, 14, static_cast<std::uint32_t>(image.size()));
  Put32(file, 18, 22);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

}  // namespace

TEST(GraphicsIcon, LoadsDrawsTransparentlyAndSavesAsLoaded) {
  std::vector<Byte> file = MakeIcon();
  TMemoryStream stream;
  LoadBytes(stream, file);
  TIcon icon;
  icon.LoadFromStream(&stream);
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  EXPECT_TRUE(icon.Transparent());
  auto dest = MakeBitmap(pf24bit, 20, 20, clBlue);
  dest->Canvas()->Draw(2, 2, &icon);
  EXPECT_EQ(Px(*dest, 2, 2), clBlue);
  EXPECT_EQ(Px(*dest, 6, 6), clRed);
  EXPECT_EQ(Px(*dest, 13, 13), clRed);
  EXPECT_EQ(Px(*dest, 14, 14), clBlue);
  EXPECT_THROW(icon.SetWidth(32), EInvalidGraphicOperation);
  TMemoryStream out;
  icon.SaveToStream(&out);
  EXPECT_EQ(Bytes(out), file);
  std::vector<Byte> bad = file;
  Put32(bad, 18, 5000);  // image offset beyond the file
  LoadBytes(stream, bad);
  EXPECT_THROW(icon.LoadFromStream(&stream), EInvalidGraphic);
}
