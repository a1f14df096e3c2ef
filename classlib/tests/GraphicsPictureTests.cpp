// TPicture: the registry of graphic classes, loading by extension, the
// "Data" layout, Bitmap on pictures of other classes, copies and change
// notification.
#include <gtest/gtest.h>

#include <cstring>

#include "GraphicsTestSupport.hpp"
#include "Jpeg.hpp"
#include "Streaming.hpp"

using namespace gfxtest;

// A graphic of its own kind: a solid colour read as three bytes from a
// stream. It cannot convert itself to a bitmap.
class TSwatchGraphic : public TGraphic {
 public:
  bool Empty() const override { return size_ == 0; }
  int Width() const override { return size_; }
  int Height() const override { return size_; }
  void SetWidth(int w) override { size_ = w; Changed(this); }
  void SetHeight(int h) override { size_ = h; Changed(this); }
  void LoadFromStream(TStream* stream) override {
    Byte rgb[3];
    stream->ReadBuffer(rgb, 3);
    color_ = RGB(rgb[0], rgb[1], rgb[2]);
    size_ = 4;
    Changed(this);
  }
  void SaveToStream(TStream* stream) override {
    Byte rgb[3] = {Byte(R(color_)), Byte(G(color_)), Byte(B(color_))};
    stream->WriteBuffer(rgb, 3);
  }
  void Assign(TPersistent* source) override {
    if (auto* s = dynamic_cast<TSwatchGraphic*>(source)) {
      color_ = s->color_;
      size_ = s->size_;
      Changed(this);
      return;
    }
    TGraphic::Assign(source);
  }
  TColor Color() const { return color_; }

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override {
    canvas->Brush()->SetColor(color_);
    canvas->FillRect(rect);
  }

 private:
  TColor color_ = clBlack;
  int size_ = 0;
};

namespace {

void WriteFile(const std::string& path, const std::vector<Byte>& bytes) {
  TMemoryStream stream;
  LoadBytes(stream, bytes);
  stream.SaveToFile(path);
}

std::vector<Byte> BmpBytes(TBitmap& bmp) {
  TMemoryStream stream;
  bmp.SaveToStream(&stream);
  return Bytes(stream);
}

// Registers the swatch format for the length of a test.
class SwatchFormat {
 public:
  explicit SwatchFormat(const char* ext) { TPicture::RegisterFileFormat(ext, "Swatches", ClassOf<TSwatchGraphic>()); }
  ~SwatchFormat() { TPicture::UnregisterGraphicClass(ClassOf<TSwatchGraphic>()); }
};

}  // namespace

TEST(GraphicsPicture, LoadsByExtension) {
  auto bmp = MakeBitmap(pf24bit, 3, 2, clRed);
  TempFile lower("pic.bmp"), upper("PIC2.BMP"), unknown("pic.xyz"), none("picture");
  for (const TempFile* f : {&lower, &upper, &unknown, &none}) WriteFile(f->Path(), BmpBytes(*bmp));

  TPicture picture;
  Counter counter;
  picture.OnChange = MakeEvent(&counter, &Counter::Handle);
  picture.LoadFromFile(lower.Path());
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(Px(*picture.Bitmap(), 2, 1), clRed);
  EXPECT_EQ(counter.count, 1);
  picture.LoadFromFile(upper.Path());
  EXPECT_EQ(picture.Height(), 2);
  EXPECT_THROW(picture.LoadFromFile(unknown.Path()), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromFile(none.Path()), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromFile(lower.Path() + ".missing.bmp"), EFOpenError);
  EXPECT_EQ(picture.Width(), 3) << "a failed load keeps the picture";
}

TEST(GraphicsPicture, RegistryAddsOverridesAndRemovesFormats) {
  EXPECT_EQ(TPicture::FindGraphicClassByExtension("BMP"), ClassOf<TBitmap>());
  EXPECT_EQ(TPicture::FindGraphicClassByExtension(".jpg"), ClassOf<TJPEGImage>());
  EXPECT_EQ(TPicture::FindGraphicClassByExtension("jpeg"), ClassOf<TJPEGImage>());
  EXPECT_EQ(TPicture::FindGraphicClassByExtension("ico"), ClassOf<TIcon>());
  EXPECT_EQ(TPicture::FindGraphicClassByName("tbitmap"), ClassOf<TBitmap>());
  EXPECT_EQ(TPicture::FindGraphicClassByExtension("swt"), nullptr);

  TempFile swt("colour.swt"), bmpFile("colour.bmp");
  WriteFile(swt.Path(), {0x10, 0x20, 0x30});
  WriteFile(bmpFile.Path(), {0x40, 0x50, 0x60});
  TPicture picture;
  {
    SwatchFormat swatch("swt");
    SwatchFormat swatchOverBmp(".BMP");  // later registrations win
    EXPECT_EQ(TPicture::FindGraphicClassByName("TSwatchGraphic"), ClassOf<TSwatchGraphic>());
    picture.LoadFromFile(swt.Path());
    auto* g = dynamic_cast<TSwatchGraphic*>(picture.Graphic());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Color(), RGB(0x10, 0x20, 0x30));
    picture.LoadFromFile(bmpFile.Path());
    ASSERT_NE(dynamic_cast<TSwatchGraphic*>(picture.Graphic()), nullptr);
  }
  EXPECT_EQ(TPicture::FindGraphicClassByExtension("swt"), nullptr);
  EXPECT_EQ(TPicture::FindGraphicClassByExtension("bmp"), ClassOf<TBitmap>());
  EXPECT_THROW(picture.LoadFromFile(swt.Path()), EInvalidGraphic);
}

TEST(GraphicsPicture, DataIsClassNameThenTheGraphicsData) {
  auto bmp = MakeBitmap(pf8bit, 2, 2, clBlue);
  std::vector<Byte> file = BmpBytes(*bmp);
  // Assembled by hand: length byte, "TBitmap", 32-bit length, BMP file.
  std::vector<Byte> data = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0, 0, 0, 0};
  std::uint32_t size = static_cast<std::uint32_t>(file.size());
  std::memcpy(&data[8], &size, 4);
  data.insert(data.end(), file.begin(), file.end());

  TMemoryStream stream;
  LoadBytes(stream, data);
  TPicture picture;
  picture.ReadData(&stream);
  auto* loaded = dynamic_cast<TBitmap*>(picture.Graphic());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->PixelFormat(), pf8bit);
  EXPECT_EQ(Px(*loaded, 1, 1), clBlue);

  TMemoryStream out;
  picture.WriteData(&out);
  EXPECT_EQ(Bytes(out), data);

  TPicture empty;
  TMemoryStream emptyOut;
  empty.WriteData(&emptyOut);
  EXPECT_EQ(Bytes(emptyOut), std::vector<Byte>{0});
  emptyOut.SetPosition(0);
  picture.ReadData(&emptyOut);
  EXPECT_EQ(picture.Graphic(), nullptr);

  LoadBytes(stream, {5, 'T', 'N', 'o', 'n', 'e', 1, 2, 3});
  EXPECT_THROW(picture.ReadData(&stream), EInvalidGraphic);
}

TEST(GraphicsPicture, DataOfARegisteredClassIsItsStream) {
  SwatchFormat swatch("swt");
  std::vector<Byte> data = {14, 'T', 'S', 'w', 'a', 't', 'c', 'h', 'G', 'r', 'a', 'p', 'h', 'i', 'c', 9, 8, 7};
  TMemoryStream stream;
  LoadBytes(stream, data);
  TPicture picture;
  picture.ReadData(&stream);
  auto* g = dynamic_cast<TSwatchGraphic*>(picture.Graphic());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Color(), RGB(9, 8, 7));
  TMemoryStream out;
  picture.WriteData(&out);
  EXPECT_EQ(Bytes(out), data);
}

TEST(GraphicsPicture, BitmapNeverReplacesAnotherClass) {
  TPicture picture;
  TBitmap* made = picture.Bitmap();  // an empty picture becomes a bitmap
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(picture.Graphic(), made);
  EXPECT_TRUE(made->Empty());

  SwatchFormat swatch("swt");
  TSwatchGraphic swatchGraphic;
  TMemoryStream stream;
  LoadBytes(stream, {0, 0, 255});
  swatchGraphic.LoadFromStream(&stream);
  picture.SetGraphic(&swatchGraphic);
  TGraphic* held = picture.Graphic();
  ASSERT_NE(dynamic_cast<TSwatchGraphic*>(held), nullptr);
  EXPECT_NE(held, &swatchGraphic) << "SetGraphic stores a copy";
  TBitmap* rendered = picture.Bitmap();
  ASSERT_NE(rendered, nullptr);
  EXPECT_EQ(picture.Graphic(), held);
  EXPECT_EQ(rendered->Width(), 4);
  EXPECT_EQ(Px(*rendered, 3, 3), clBlue);
}

TEST(GraphicsPicture, AssignCopiesAndChangesAreReported) {
  TPicture a, b;
  a.Bitmap()->SetPixelFormat(pf24bit);
  a.Bitmap()->SetSize(3, 3);
  Counter counter;
  a.OnChange = MakeEvent(&counter, &Counter::Handle);
  a.Bitmap()->Canvas()->SetPixels(1, 1, clRed);
  EXPECT_EQ(counter.count, 1) << "drawing on the bitmap changes the picture";
  b.Assign(&a);
  ASSERT_NE(b.Graphic(), nullptr);
  EXPECT_NE(b.Graphic(), a.Graphic());
  EXPECT_EQ(Px(*b.Bitmap(), 1, 1), clRed);
  b.Bitmap()->Canvas()->SetPixels(1, 1, clBlue);
  EXPECT_EQ(Px(*a.Bitmap(), 1, 1), clRed);
  b.Assign(nullptr);
  EXPECT_EQ(b.Graphic(), nullptr);
  EXPECT_EQ(b.Width(), 0);

  // A picture assigns into a graphic too.
  TBitmap target;
  target.Assign(&a);
  EXPECT_EQ(Px(target, 1, 1), clRed);

  TSwatchGraphic unregistered;
  EXPECT_THROW(b.SetGraphic(&unregistered), EInvalidGraphic);
}

TEST(GraphicsPicture, DataTravelsAsAFormBinaryProperty) {
  TPicture picture;
  picture.Bitmap()->SetPixelFormat(pf24bit);
  picture.Bitmap()->SetSize(2, 2);
  picture.Bitmap()->Canvas()->SetPixels(1, 0, clRed);
  TMemoryStream expected;
  picture.WriteData(&expected);

  TMemoryStream form;
  TWriter writer(&form);
  picture.DefineProperties(&writer);
  TPicture empty;
  empty.DefineProperties(&writer);  // an empty picture writes nothing
  ASSERT_GT(form.Size(), 0);

  form.SetPosition(0);
  TReader reader(&form);
  std::string name = reader.ReadStr();
  EXPECT_EQ(name, "Data");
  reader.SetPropName(name);
  TPicture copy;
  copy.DefineProperties(&reader);
  EXPECT_TRUE(reader.PropRead());
  EXPECT_EQ(form.Position(), form.Size());
  ASSERT_NE(dynamic_cast<TBitmap*>(copy.Graphic()), nullptr);
  EXPECT_EQ(Px(*copy.Bitmap(), 1, 0), clRed);
  TMemoryStream again;
  copy.WriteData(&again);
  EXPECT_EQ(Bytes(again), Bytes(expected));
}
