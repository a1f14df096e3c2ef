// The encoder: round trips for each filter set and interlace method, the
// filter choice, 16-bit and 2-bit images, IDAT splitting, text chunks, and
// images built from device-independent bits. Every saved file is also listed
// for skin_png_saved_libpng, which decodes it natively with libpng.
#include <gtest/gtest.h>

#include <zlib.h>

#include "PngTestSupport.hpp"

using namespace pngtest;

namespace {

struct ChunkView {
  std::string Name;
  std::vector<Byte> Data;
};

std::vector<ChunkView> ParseChunks(const std::vector<Byte>& file) {
  std::vector<ChunkView> chunks;
  std::size_t at = 8;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = pngimage_detail::ReadBigEndian32(&file[at]);
    if (at + 12 + length > file.size()) break;
    chunks.push_back({std::string(reinterpret_cast<const char*>(&file[at + 4]), 4),
                      std::vector<Byte>(file.begin() + at + 8, file.begin() + at + 8 + length)});
    at += 12 + length;
  }
  return chunks;
}

std::vector<Byte> InflatedImageData(const std::vector<Byte>& file) {
  std::vector<Byte> compressed;
  for (const ChunkView& c : ParseChunks(file))
    if (c.Name == "IDAT") compressed.insert(compressed.end(), c.Data.begin(), c.Data.end());
  std::vector<Byte> out(1 << 22);
  uLongf size = uLongf(out.size());
  EXPECT_EQ(uncompress(out.data(), &size, compressed.data(), uLong(compressed.size())), Z_OK);
  out.resize(size);
  return out;
}

// The filter type byte of each row of a non-interlaced image.
std::vector<int> RowFilterTypes(const std::vector<Byte>& file, std::int64_t bytesPerRow) {
  std::vector<Byte> data = InflatedImageData(file);
  std::vector<int> types;
  for (std::size_t at = 0; at < data.size(); at += std::size_t(bytesPerRow) + 1)
    types.push_back(data[at]);
  return types;
}

struct FilterSet {
  const char* Tag;
  TFilters Filters;
};

const FilterSet kFilterSets[] = {
    {"none", {pfNone}},   {"sub", {pfSub}},
    {"up", {pfUp}},       {"average", {pfAverage}},
    {"paeth", {pfPaeth}}, {"all", {pfNone, pfSub, pfUp, pfAverage, pfPaeth}},
    {"empty", {}},        {"uppaeth", {pfUp, pfPaeth}},
};

std::string BaseName(const std::string& file) { return file.substr(0, file.rfind('.')); }

// ---------------------------------------------------------------------------

TEST(PngEncoder, RoundTripsEveryFormatWithEveryFilterSetAndInterlace) {
  int saved = 0;
  for (const ManifestEntry& e : ReadManifest()) {
    const bool format = e.Name.rfind("fmt_", 0) == 0 &&
                        (e.Name.find("13x11") != std::string::npos ||
                         e.Name.find("3x2") != std::string::npos);
    if (e.Outcome != "ok" || !format) continue;
    TPNGObject source;
    LoadBytes(source, ReadFileBytes(CorpusPath(e.Name)));
    const RgbaImage shown = ShownImage(source);
    for (const FilterSet& set : kFilterSets) {
      for (Byte interlace : {0, 1}) {
        SCOPED_TRACE(e.Name + " " + set.Tag + " interlace " + std::to_string(interlace));
        source.SetFilters(set.Filters);
        source.SetInterlaceMethod(interlace);
        const std::vector<Byte> bytes = SaveBytes(source);
        TPNGObject reloaded;
        ASSERT_EQ(LoadOutcome(reloaded, bytes), "");
        EXPECT_EQ(Difference(ShownImage(reloaded), shown), "");
        KeepForLibpng(BaseName(e.Name) + "__" + set.Tag + "_i" + std::to_string(interlace) + ".png",
                      bytes, e.Name);
        ++saved;
      }
    }
  }
  EXPECT_GE(saved, 30 * 16);
}

TEST(PngEncoder, KeepsGammaTransparencyAndPalettesThroughASave) {
  for (const char* name : {"gama_rgb_100000.png", "gama_palette_100000.png", "trns_rgb8.png",
                           "trns_gray2.png", "trns_palette_partial.png", "palette_7_entries.png",
                           "trns_rgb16.png", "plte_768.png"}) {
    SCOPED_TRACE(name);
    TPNGObject source;
    LoadBytes(source, ReadFileBytes(CorpusPath(name)));
    const std::vector<Byte> bytes = SaveBytes(source);
    TPNGObject reloaded;
    ASSERT_EQ(LoadOutcome(reloaded, bytes), "");
    EXPECT_EQ(Difference(ShownImage(reloaded), ShownImage(source)), "");
    EXPECT_EQ(reloaded.TransparencyKind(), source.TransparencyKind());
    KeepForLibpng(BaseName(name) + "__resaved.png", bytes, name);
  }
}

TEST(PngEncoder, DefaultFiltersWriteEveryRowWithSub) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(CorpusPath("fmt_c2_d8_i0_33x17.png")));
  const std::vector<int> types = RowFilterTypes(SaveBytes(png), 33 * 3);
  ASSERT_EQ(types.size(), 17u);
  for (int type : types) EXPECT_EQ(type, 1);
}

TEST(PngEncoder, ChoosesOnlyFiltersOfTheSetOrNone) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(CorpusPath("fmt_c6_d8_i0_33x17.png")));
  png.SetFilters({pfUp, pfPaeth});
  const std::vector<int> types = RowFilterTypes(SaveBytes(png), 33 * 4);
  ASSERT_EQ(types.size(), 17u);
  for (int type : types) EXPECT_TRUE(type == 0 || type == 2 || type == 4) << type;
}

TEST(PngEncoder, RowsTooShortToScoreAreWrittenUnfiltered) {
  // Two pixels of 8 bits: rows of two bytes score 0 for every filter, so a
  // choice between filters falls back to type 0; a single filter is used
  // as it is.
  const Byte bits[5 * 4] = {1, 2, 0, 0, 3, 4, 0, 0, 5, 6, 0, 0, 7, 8, 0, 0, 9, 10, 0, 0};
  TPNGRGBQuad colors[256] = {};
  TPNGObject png;
  png.BuildFromDIBits(2, 5, 8, bits, colors, false, 0);
  png.SetFilters({pfSub, pfUp});
  for (int type : RowFilterTypes(SaveBytes(png), 2)) EXPECT_EQ(type, 0);
  png.SetFilters({pfUp});
  for (int type : RowFilterTypes(SaveBytes(png), 2)) EXPECT_EQ(type, 2);
}

TEST(PngEncoder, SixteenBitSamplesAreWrittenAsTheShownValueTimes256) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(CorpusPath("fmt_c2_d16_i0_13x11.png")));
  png.SetFilters({pfNone});
  const std::vector<Byte> data = InflatedImageData(SaveBytes(png));
  const std::size_t rowBytes = 13 * 6 + 1;
  ASSERT_EQ(data.size(), rowBytes * 11);
  for (int y = 0; y < 11; ++y) {
    for (int x = 0; x < 13; ++x) {
      const Rgba shown = ShownPixel(png, x, y);
      const Byte* p = &data[y * rowBytes + 1 + x * 6];
      EXPECT_EQ((std::array<Byte, 6>{p[0], p[1], p[2], p[3], p[4], p[5]}),
                (std::array<Byte, 6>{shown.R, 0, shown.G, 0, shown.B, 0}));
    }
  }
}

TEST(PngEncoder, TwoBitImagesAreSavedWithDepthFour) {
  for (const char* name : {"fmt_c3_d2_i0_13x11.png", "fmt_c0_d2_i1_13x11.png"}) {
    TPNGObject png;
    LoadBytes(png, ReadFileBytes(CorpusPath(name)));
    const std::vector<ChunkView> chunks = ParseChunks(SaveBytes(png));
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks[0].Data[8], 4) << name;
  }
}

TEST(PngEncoder, ChunkSizeSettingNeverDropsData) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(CorpusPath("idat_large_single.png")));
  png.SetCompressionLevel(0);
  for (std::int32_t size : {65535, 100000}) {
    SCOPED_TRACE(size);
    png.SetMaxDataChunkSize(size);
    const std::vector<Byte> bytes = SaveBytes(png);
    std::vector<std::size_t> lengths;
    for (const ChunkView& c : ParseChunks(bytes))
      if (c.Name == "IDAT") lengths.push_back(c.Data.size());
    ASSERT_GE(lengths.size(), 2u);
    for (std::size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], std::size_t(size));
    EXPECT_LE(lengths.back(), std::size_t(size));
    TPNGObject reloaded;
    ASSERT_EQ(LoadOutcome(reloaded, bytes), "");
    EXPECT_EQ(Difference(ShownImage(reloaded), ShownImage(png)), "");
    KeepForLibpng("idat_large__chunks" + std::to_string(size) + ".png", bytes,
                  "idat_large_single.png");
  }
}

TEST(PngEncoder, TextChunksRoundTripAndEmptyCompressedTextBecomesASpace) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(CorpusPath("ztxt.png")));
  png.Chunks().Find<TChunkzTXt>()->Text = "";
  TPNGObject reloaded;
  LoadBytes(reloaded, SaveBytes(png));
  EXPECT_EQ(reloaded.Chunks().Find<TChunkzTXt>()->Keyword, "Comment");
  EXPECT_EQ(reloaded.Chunks().Find<TChunkzTXt>()->Text, " ");

  TPNGObject text;
  LoadBytes(text, ReadFileBytes(CorpusPath("text.png")));
  text.Chunks().Find<TChunktEXt>()->Text = "Changed";
  TPNGObject textReloaded;
  LoadBytes(textReloaded, SaveBytes(text));
  EXPECT_EQ(textReloaded.Chunks().Find<TChunktEXt>()->Keyword, "Title");
  EXPECT_EQ(textReloaded.Chunks().Find<TChunktEXt>()->Text, "Changed");
}

TEST(PngEncoder, AssignedCopyMatchesAndIsIndependent) {
  TPNGObject source;
  LoadBytes(source, ReadFileBytes(CorpusPath("gama_palette_100000.png")));
  source.SetFilters({pfPaeth});
  source.SetCompressionLevel(9);
  TPNGObject copy;
  copy.AssignPNG(&source);
  EXPECT_EQ(copy.Filters(), source.Filters());
  EXPECT_EQ(copy.CompressionLevel(), 9);
  EXPECT_EQ(SaveBytes(copy), SaveBytes(source));
  EXPECT_EQ(copy.ReadPixelColor(2, 2), source.ReadPixelColor(2, 2));
  const RgbaImage before = ShownImage(source);
  copy.WritePixelColor(2, 2, 0x00FF00);
  EXPECT_EQ(Difference(ShownImage(source), before), "");
}

// ---------------------------------------------------------------------------
// Images from device-independent bits.

struct DibCase {
  int BitCount;
  bool Transparent;
};

TEST(PngBuild, FromBitsOfEachPixelFormat) {
  const int width = 11, height = 6;
  TPNGRGBQuad colors[256];
  for (int i = 0; i < 256; ++i)
    colors[i] = {Byte(i * 7), Byte(255 - i), Byte(i * 13), 0};
  for (const DibCase c : {DibCase{1, false}, DibCase{4, true}, DibCase{8, true}, DibCase{8, false},
                          DibCase{24, true}, DibCase{32, false}}) {
    SCOPED_TRACE(c.BitCount);
    const int stride = (c.BitCount * width + 31) / 32 * 4;
    std::vector<Byte> bits(std::size_t(stride) * height);
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = Byte(i * 37 + i / 5);
    // Expected pixels straight from the bits (bottom-up rows).
    RgbaImage expected{width, height, {}};
    const int keyIndex = 3;
    const TColor keyColor =
        TColor(colors[keyIndex].rgbRed | colors[keyIndex].rgbGreen << 8 | colors[keyIndex].rgbBlue << 16);
    TColor transparentColor = keyColor;
    if (c.BitCount >= 24) {
      const Byte* k = &bits[std::size_t(height - 1) * stride];  // top-left pixel
      transparentColor = TColor(k[2] | k[1] << 8 | k[0] << 16);
    }
    for (int y = 0; y < height; ++y) {
      const Byte* row = &bits[std::size_t(height - 1 - y) * stride];
      for (int x = 0; x < width; ++x) {
        Rgba p;
        if (c.BitCount < 16) {
          const int index = pngimage_detail::ReadIndex(row, x, c.BitCount);
          p = {colors[index].rgbRed, colors[index].rgbGreen, colors[index].rgbBlue, 255};
          if (c.Transparent && index == keyIndex) p.A = 0;
        } else {
          const Byte* s = row + x * (c.BitCount / 8);
          p = {s[2], s[1], s[0], 255};
          if (c.Transparent && TColor(p.R | p.G << 8 | p.B << 16) == transparentColor) p.A = 0;
        }
        expected.Pixels.push_back(p);
      }
    }
    TPNGObject png;
    png.BuildFromDIBits(width, height, c.BitCount, bits.data(), colors, c.Transparent,
                        transparentColor);
    std::vector<std::string> names;
    for (int i = 0; i < png.Chunks().Count(); ++i) names.push_back(png.Chunks().Chunk(i)->Name());
    std::vector<std::string> order = {"IHDR"};
    if (c.BitCount < 16) order.push_back("PLTE");
    if (c.Transparent) order.push_back("tRNS");
    order.insert(order.end(), {"IDAT", "IEND"});
    EXPECT_EQ(names, order);
    EXPECT_EQ(Difference(ShownImage(png), expected), "");
    const std::string name = "dib_" + std::to_string(c.BitCount) + (c.Transparent ? "_t" : "");
    WriteReference(name, expected);
    KeepForLibpng(name + ".png", SaveBytes(png), name);
  }
}

}  // namespace
