// Chunks, the registry, gamma, transparency, pixel access and the codec's
// errors, on corpus files and on images built in the tests.
#include <gtest/gtest.h>

#include <zlib.h>

#include <type_traits>

#include "PngTestSupport.hpp"

using namespace pngtest;

namespace {

TPNGObject* LoadCorpus(TPNGObject& png, const std::string& name) {
  LoadBytes(png, ReadFileBytes(CorpusPath(name)));
  return &png;
}

// ---------------------------------------------------------------------------
// Registry and chunk basics.

TEST(PngChunkRegistry, CreatesTheRegisteredClassForEachName) {
  TPNGObject png;
  const std::pair<const char*, TChunkClass> expected[] = {
      {"IEND", ChunkClassOf<TChunkIEND>()}, {"IHDR", ChunkClassOf<TChunkIHDR>()},
      {"IDAT", ChunkClassOf<TChunkIDAT>()}, {"PLTE", ChunkClassOf<TChunkPLTE>()},
      {"gAMA", ChunkClassOf<TChunkgAMA>()}, {"tRNS", ChunkClassOf<TChunktRNS>()},
      {"tIME", ChunkClassOf<TChunktIME>()}, {"tEXt", ChunkClassOf<TChunktEXt>()},
      {"zTXt", ChunkClassOf<TChunkzTXt>()},
  };
  for (const auto& [name, chunkClass] : expected) {
    std::unique_ptr<TChunk> chunk(NewChunkForName(&png, name));
    EXPECT_EQ(chunk->ClassType(), chunkClass) << name;
    EXPECT_EQ(chunk->Name(), name);
    EXPECT_EQ(chunk->Owner(), &png);
  }
}

TEST(PngChunkRegistry, MatchesNamesCaseSensitivelyAndFallsBackToRawChunks) {
  TPNGObject png;
  std::unique_ptr<TChunk> lower(NewChunkForName(&png, "ihdr"));
  EXPECT_EQ(lower->ClassType(), ChunkClassOf<TChunk>());
  EXPECT_EQ(lower->Name(), "ihdr");
  std::unique_ptr<TChunk> unknown(NewChunkForName(&png, "abCD"));
  EXPECT_EQ(unknown->ClassType(), ChunkClassOf<TChunk>());
}

TEST(PngChunkRegistry, ChunkNameIsTheClassNameWithoutItsPrefix) {
  TPNGObject png;
  EXPECT_EQ(TChunkzTXt(&png).ChunkName(), "zTXt");
  EXPECT_EQ(TChunkIHDR(&png).ChunkName(), "IHDR");
  // A plain chunk has no four-letter name of its own.
  TChunk raw(&png);
  EXPECT_EQ(raw.ChunkName(), "");
  EXPECT_EQ(raw.Name(), "");
}

TEST(PngChunk, DataIsAlwaysOneByteLarger) {
  TPNGObject png;
  TChunk chunk(&png);
  EXPECT_EQ(chunk.DataLength(), 0);
  EXPECT_NE(chunk.Data(), nullptr);
  chunk.ResizeData(5);
  EXPECT_EQ(chunk.DataLength(), 5);
  EXPECT_EQ(chunk.Data()[5], 0);
}

TEST(PngChunk, CrcIsThePngCrcOverNameAndData) {
  // The IEND chunk's CRC is the same in every PNG file.
  EXPECT_EQ(pngimage_detail::ChunkCrc("IEND", nullptr, 0), 0xAE426082u);
  const Byte data[] = {'a', 'b', 'c'};
  EXPECT_EQ(pngimage_detail::ChunkCrc("tEXt", data, 3),
            std::uint32_t(crc32(crc32(0, reinterpret_cast<const Byte*>("tEXt"), 4), data, 3)));
}

TEST(PngChunk, AssignBetweenIncompatibleClassesRaises) {
  TPNGObject png;
  TChunkIHDR header(&png);
  TChunkPLTE palette(&png);
  TChunkgAMA gamma(&png);
  TChunkIEND end(&png);
  try {
    header.Assign(&end);
    FAIL() << "no exception";
  } catch (const EPngError& e) {
    EXPECT_STREQ(e.what(), "The chunks must be compatible to be assigned.");
  }
  EXPECT_THROW(palette.Assign(&end), EPngError);
  EXPECT_THROW(gamma.Assign(&palette), EPngError);
  // The base copies name and data from any chunk.
  TChunk raw(&png);
  raw.Assign(&gamma);
  EXPECT_EQ(raw.Name(), "gAMA");
  EXPECT_EQ(raw.DataLength(), 4);
}

TEST(PngPointerList, IndexesOutsideTheCountReadNilAndIgnoreWrites) {
  TPNGPointerList list(nullptr);
  int a = 1, b = 2;
  list.Add(&a);
  list.Add(&b);
  EXPECT_EQ(list.Item(-1), nullptr);
  EXPECT_EQ(list.Item(2), nullptr);
  list.SetItem(5, &a);
  EXPECT_EQ(list.Count(), 2);
  list.Remove(&a);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Item(0), &b);
  list.SetSize(3);
  EXPECT_EQ(list.Item(2), nullptr);
}

// ---------------------------------------------------------------------------
// The picture's settings and errors.

TEST(PngObject, StartsEmptyWithItsDefaults) {
  TPNGObject png;
  EXPECT_TRUE(png.GetEmpty());
  EXPECT_EQ(png.GetWidth(), 0);
  EXPECT_FALSE(png.GetTransparent());
  EXPECT_EQ(png.Filters(), TFilters{pfSub});
  EXPECT_EQ(png.CompressionLevel(), 7);
  EXPECT_EQ(png.MaxDataChunkSize(), 65535);
  png.SetMaxDataChunkSize(100);
  EXPECT_EQ(png.MaxDataChunkSize(), 65535);
  EXPECT_THROW(png.HeaderChunk(), EPNGHeaderNotPresent);
  EXPECT_EQ(png.ReadPixelColor(0, 0), 0);
}

TEST(PngObject, ResizingThroughWidthOrHeightAlwaysRaises) {
  TPNGObject png;
  LoadCorpus(png, "plain_rgb.png");
  EXPECT_THROW(png.SetWidth(5), EPngError);
  try {
    png.SetHeight(png.GetHeight());
    FAIL() << "no exception";
  } catch (const EPngError& e) {
    EXPECT_NE(std::string(e.what()).find("can not be resize by changing width and height"),
              std::string::npos);
  }
  EXPECT_EQ(png.GetWidth(), 19);
}

TEST(PngObject, ExceptionsDescendFromTheLibrarysException) {
  EXPECT_TRUE((std::is_base_of_v<Exception, EPNGInvalidFileHeader>));
  EXPECT_TRUE((std::is_base_of_v<Exception, EPNGZLIBError>));
  EXPECT_FALSE((std::is_base_of_v<EPngError, EPngInvalidCRC>));
  EXPECT_FALSE((std::is_base_of_v<EPngError, EPNGOutMemory>));
}

TEST(PngObject, MessagesCarryTheirDetails) {
  TPNGObject png;
  try {
    LoadCorpus(png, "zlib_bad_header.png");
    FAIL() << "no exception";
  } catch (const EPNGZLIBError& e) {
    const std::string message = e.what();
    const std::string lead = "Could not decompress the image because it contains invalid "
                             "compressed data.\r\n Description: ";
    EXPECT_EQ(message, lead + zError(Z_DATA_ERROR));
  }
  try {
    LoadCorpus(png, "gama_first.png");
    FAIL() << "no exception";
  } catch (const EPNGIHDRNotFirst& e) {
    EXPECT_NE(std::string(e.what()).find("invalid.\r\n(IHDR chunk is not the first)"),
              std::string::npos);
  }
  // The gAMA was never read.
  EXPECT_EQ(png.Chunks().Count(), 0);
}

TEST(PngObject, PaletteEntriesBeyondTheCountRaise) {
  TPNGObject png;
  LoadCorpus(png, "palette_7_entries.png");
  const TChunkPLTE* palette = png.Chunks().Find<TChunkPLTE>();
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->EntryCount(), 7);
  EXPECT_NO_THROW(palette->Item(6));
  EXPECT_THROW(palette->Item(7), EPngError);
  EXPECT_THROW(palette->Item(-1), EPngError);
}

// ---------------------------------------------------------------------------
// Gamma.

TEST(PngGamma, GammaOneBrightensMidTonesAndKeepsTheEnds) {
  TPNGObject png;
  png.BuildGammaTables(100000);
  EXPECT_EQ(png.Gamma(0), 0);
  EXPECT_EQ(png.Gamma(255), 255);
  // 255 × (128 / 255) ^ (1 / 2.2) = 186.4.
  EXPECT_EQ(png.Gamma(128), 186);
  for (int i = 1; i < 256; ++i) EXPECT_GE(png.Gamma(Byte(i)), png.Gamma(Byte(i - 1)));
  // The inverse leads back to a sample that shows the same.
  for (int i = 0; i < 256; ++i)
    EXPECT_EQ(png.Gamma(png.InverseGamma(png.Gamma(Byte(i)))), png.Gamma(Byte(i)));
}

TEST(PngGamma, LoadResetsAndGammaZeroChangesNothing) {
  TPNGObject png;
  LoadCorpus(png, "gama_rgb_100000.png");
  EXPECT_EQ(png.Gamma(128), 186);
  LoadCorpus(png, "plain_rgb.png");
  EXPECT_EQ(png.Gamma(128), 128);
  png.BuildGammaTables(0);
  EXPECT_EQ(png.Gamma(128), 128);
}

TEST(PngGamma, ChunkWithWrongSizeReadsAsOne) {
  TPNGObject png;
  TChunkgAMA gamma(&png);
  EXPECT_EQ(gamma.Gamma(), 1u);
  gamma.ResizeData(3);
  EXPECT_EQ(gamma.Gamma(), 1u);
  EXPECT_EQ(gamma.DataLength(), 4);
}

// ---------------------------------------------------------------------------
// Transparency.

TEST(PngTransparency, KindFollowsColourTypeAndTrns) {
  const std::pair<const char*, TPNGTransparencyKind> cases[] = {
      {"plain_rgb.png", ptkNone},
      {"fmt_c0_d8_i0_13x11.png", ptkNone},
      {"fmt_c3_d8_i0_13x11.png", ptkNone},
      {"trns_gray8.png", ptkBinary},
      {"trns_rgb8.png", ptkBinary},
      {"trns_palette_one_zero.png", ptkBinary},
      {"trns_palette_one_half.png", ptkBinary},
      {"trns_palette_partial.png", ptkPartial},
      {"fmt_c4_d8_i0_13x11.png", ptkPartial},
      {"fmt_c6_d16_i1_13x11.png", ptkPartial},
  };
  for (const auto& [name, kind] : cases) {
    TPNGObject png;
    LoadCorpus(png, name);
    EXPECT_EQ(png.TransparencyKind(), kind) << name;
    EXPECT_EQ(png.GetTransparent(), kind != ptkNone) << name;
  }
}

TEST(PngTransparency, KeyColourOfPaletteImages) {
  TPNGObject zero;
  LoadCorpus(zero, "trns_palette_one_zero.png");
  const TPNGRGBQuad entry = zero.HeaderChunk()->BitmapInfo().bmiColors[2];
  EXPECT_EQ(zero.KeyColor(), TColor(entry.rgbRed | entry.rgbGreen << 8 | entry.rgbBlue << 16));
  // A lone half-transparent entry counts as binary, and without an entry of
  // alpha 0 the transparent colour is black.
  TPNGObject half;
  LoadCorpus(half, "trns_palette_one_half.png");
  EXPECT_TRUE(half.Chunks().Find<TChunktRNS>()->BinaryAlpha);
  EXPECT_EQ(half.KeyColor(), 0);
}

TEST(PngTransparency, KeyColourOfRgbImagesIsTheShownColourOfTheKeySample) {
  TPNGObject png;
  LoadCorpus(png, "trns_rgb16.png");
  // The key pixel was written at (1, 1); its shown colour is the key.
  EXPECT_EQ(png.KeyColor(), png.ReadPixelColor(1, 1));
  EXPECT_EQ(png.KeyColor(), TColor(0x12 | 0x56 << 8 | 0x9A << 16));
}

TEST(PngTransparency, TrnsFromAColourMarksThatPaletteEntry) {
  TPNGObject png;
  LoadCorpus(png, "fmt_c3_d8_i0_13x11.png");
  TChunktRNS trns(&png);
  const TPNGRGBQuad entry = png.HeaderChunk()->BitmapInfo().bmiColors[4];
  trns.SetTransparentColor(TColor(entry.rgbRed | entry.rgbGreen << 8 | entry.rgbBlue << 16));
  // Entries that repeat an earlier colour would end sooner; this corpus
  // palette is random, so entry 4 is the first of its colour.
  ASSERT_EQ(trns.DataLength(), 5);
  EXPECT_EQ(trns.Data()[4], 0);
  EXPECT_EQ(trns.Data()[0], 255);
  EXPECT_EQ(trns.AlphaValues[4], 0);
  EXPECT_TRUE(trns.BinaryAlpha);
}

// ---------------------------------------------------------------------------
// Pixel access.

TEST(PngPixels, ReadingOutsideGivesBlackAndWritingOutsideDoesNothing) {
  TPNGObject png;
  LoadCorpus(png, "plain_rgb.png");
  const std::vector<Byte> before = SaveBytes(png);
  EXPECT_EQ(png.ReadPixelColor(-1, 0), 0);
  EXPECT_EQ(png.ReadPixelColor(19, 0), 0);
  EXPECT_EQ(png.ReadPixelColor(0, 7), 0);
  png.WritePixelColor(19, 0, 0xFFFFFF);
  png.WritePixelColor(0, -1, 0xFFFFFF);
  EXPECT_EQ(SaveBytes(png), before);
}

TEST(PngPixels, RgbPixelsReadAndWriteTheirBytes) {
  TPNGObject png;
  LoadCorpus(png, "plain_rgb.png");
  const Rgba shown = ShownPixel(png, 3, 2);
  EXPECT_EQ(png.ReadPixelColor(3, 2), TColor(shown.R | shown.G << 8 | shown.B << 16));
  png.WritePixelColor(3, 2, 0x123456);
  EXPECT_EQ(png.ReadPixelColor(3, 2), 0x123456);
  EXPECT_EQ(ShownPixel(png, 3, 2), (Rgba{0x56, 0x34, 0x12, 255}));
}

TEST(PngPixels, PalettePixelsReadThroughGammaOnceMore) {
  TPNGObject png;
  LoadCorpus(png, "gama_palette_100000.png");
  const Rgba stored = ShownPixel(png, 5, 3);
  EXPECT_EQ(png.ReadPixelColor(5, 3),
            TColor(png.Gamma(stored.R) | png.Gamma(stored.G) << 8 | png.Gamma(stored.B) << 16));
}

TEST(PngPixels, GrayAlphaPixelsReadTheirGrayLevel) {
  // Gray + alpha rows are 8-bit indexes, not 24-bit colours.
  TPNGObject png;
  LoadCorpus(png, "fmt_c4_d8_i0_33x17.png");
  RgbaImage reference = ReadReference("fmt_c4_d8_i0_33x17.png");
  for (int x = 0; x < 33; ++x) {
    const Rgba r = reference.At(x, 16);
    EXPECT_EQ(png.ReadPixelColor(x, 16), TColor(r.R | r.G << 8 | r.B << 16)) << x;
  }
}

TEST(PngPixels, IndexedWritesPickTheNearestAddressableEntry) {
  // A 1-bit gray image: only entries 0 (black) and 1 (white) exist, so no
  // write may store any other index.
  TPNGObject png;
  LoadCorpus(png, "fmt_c0_d1_i0_13x11.png");
  png.WritePixelColor(4, 4, 0x202020);
  png.WritePixelColor(5, 4, 0xD0D0D0);
  EXPECT_EQ(png.ReadPixelColor(4, 4), 0x000000);
  EXPECT_EQ(png.ReadPixelColor(5, 4), 0xFFFFFF);
  // Neighbours in the same byte are untouched.
  RgbaImage reference = ReadReference("fmt_c0_d1_i0_13x11.png");
  for (int x : {3, 6, 7}) EXPECT_EQ(ShownPixel(png, x, 4), reference.At(x, 4)) << x;
}

}  // namespace
