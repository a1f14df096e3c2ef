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

TEST(PngChunkRegistry, LoadsOnlyRegisteredNamesIntoTheirClasses) {
  // With tEXt alone registered, a tIME chunk is kept as a raw chunk and its
  // fields stay unread; the standard set comes back afterwards.
  ClearChunkClasses();
  for (TChunkClass c : {ChunkClassOf<TChunkIHDR>(), ChunkClassOf<TChunkIDAT>(),
                        ChunkClassOf<TChunkIEND>(), ChunkClassOf<TChunktEXt>()})
    AddChunkClass(c);
  TPNGObject text, time;
  LoadCorpus(text, "text.png");
  LoadCorpus(time, "time.png");
  ClearChunkClasses();
  AddStandardChunkClasses();
  ASSERT_NE(text.Chunks().Find<TChunktEXt>(), nullptr);
  EXPECT_EQ(text.Chunks().Find<TChunktEXt>()->Keyword, "Title");
  EXPECT_EQ(time.Chunks().Find<TChunktIME>(), nullptr);
  EXPECT_EQ(time.Chunks().Chunk(2)->Name(), "tIME");
}

TEST(PngChunkRegistry, MatchesNamesCaseSensitivelyAndFallsBackToRawChunks) {
  TPNGObject png;
  std::unique_ptr<TChunk> lower(NewChunkForName(&png, "ihdr"));
  EXPECT_EQ(lower->ClassType(), ChunkClassOf<TChunk>());
  EXPECT_EQ(lower->Name(), "ihdr");
  std::unique_ptr<TChunk> unknown(NewChunkForName(&png, "abCD"));
  EXPECT_EQ(unknown->ClassType(), ChunkClassOf<TChunk>());
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

// ---------------------------------------------------------------------------
// Hostile input.

TEST(PngHostileInput, UnusableAncillaryChunksAreDropped) {
  const std::pair<const char*, const char*> cases[] = {
      {"gama_3_bytes.png", "gAMA"},       {"gama_empty.png", "gAMA"},
      {"gama_zero.png", "gAMA"},          {"trns_rgb_short.png", "tRNS"},
      {"trns_gray_short.png", "tRNS"},    {"trns_palette_empty.png", "tRNS"},
  };
  for (const auto& [file, name] : cases) {
    TPNGObject png;
    LoadCorpus(png, file);
    for (int i = 0; i < png.Chunks().Count(); ++i)
      EXPECT_NE(png.Chunks().Chunk(i)->Name(), name) << file;
    EXPECT_EQ(png.Gamma(128), 128) << file;
    EXPECT_EQ(png.TransparencyKind(), ptkNone) << file;
  }
}

TEST(PngHostileInput, PixelsAreAllocatedOnlyForWhatTheFileProves) {
  // A header alone, or with data too short for its image, leaves no pixels.
  for (const char* file : {"header_only_large.png", "ihdr_huge.png", "image_over_memory_limit.png"}) {
    TPNGObject png;
    EXPECT_NE(LoadOutcome(png, ReadFileBytes(CorpusPath(file))), "") << file;
    ASSERT_TRUE(png.HasHeader()) << file;
    EXPECT_FALSE(png.HeaderChunk()->HasImageData()) << file;
    EXPECT_EQ(png.ReadPixelColor(0, 0), 0);
  }
  TPNGObject bomb;
  LoadCorpus(bomb, "ztxt_bomb.png");
  ASSERT_NE(bomb.Chunks().Find<TChunkzTXt>(), nullptr);
  EXPECT_EQ(bomb.Chunks().Find<TChunkzTXt>()->Keyword, "Comment");
  EXPECT_EQ(bomb.Chunks().Find<TChunkzTXt>()->Text, "");
}

TEST(PngHostileInput, BitmapBitsOfOtherBitCountsAreRefused) {
  TPNGObject png;
  LoadCorpus(png, "plain_rgb.png");
  const std::vector<Byte> before = SaveBytes(png);
  std::vector<Byte> bits(64 * 4, 0x5A);
  TPNGRGBQuad colors[256] = {};
  for (int bitCount : {0, 2, 16, 48}) {
    try {
      png.BuildFromDIBits(8, 4, bitCount, bits.data(), colors, false, 0);
      ADD_FAILURE() << bitCount << " bits accepted";
    } catch (const EPngError& e) {
      EXPECT_NE(std::string(e.what()).find("bits per pixel is not supported"), std::string::npos);
    }
  }
  EXPECT_EQ(SaveBytes(png), before);
}

TEST(PngHostileInput, TransparentColourMissingFromThePaletteAddsNoTrns) {
  // Four palette entries, none of them the transparent colour.
  std::vector<Byte> bits(4 * 2, 0x01);
  TPNGRGBQuad colors[256] = {{0, 0, 0, 0}, {255, 255, 255, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}};
  TPNGObject png;
  png.BuildFromDIBits(4, 2, 8, bits.data(), colors, true, 0x123456);
  EXPECT_EQ(png.Chunks().Find<TChunktRNS>(), nullptr);
  EXPECT_EQ(png.TransparencyKind(), ptkNone);
  // The same with a colour it has: the entry becomes transparent.
  png.BuildFromDIBits(4, 2, 8, bits.data(), colors, true, 0x00FF00);
  ASSERT_NE(png.Chunks().Find<TChunktRNS>(), nullptr);
  EXPECT_EQ(png.Chunks().Find<TChunktRNS>()->DataLength(), 4);
  EXPECT_EQ(png.TransparencyKind(), ptkBinary);
}

TEST(PngHostileInput, TextThatCannotBeCompressedFailsTheSave) {
  TPNGObject png;
  LoadCorpus(png, "ztxt.png");
  const auto failing = [](const std::string&, int, std::vector<Byte>&) { return false; };
  pngimage_detail::TextDeflater = failing;
  TMemoryStream stream;
  EXPECT_THROW(png.SaveToStream(&stream), EPngError);
  pngimage_detail::TextDeflater = &pngimage_detail::DeflateText;
  // With compression back, the text survives a save and reload.
  TPNGObject reloaded;
  LoadBytes(reloaded, SaveBytes(png));
  ASSERT_NE(reloaded.Chunks().Find<TChunkzTXt>(), nullptr);
  EXPECT_EQ(reloaded.Chunks().Find<TChunkzTXt>()->Text, png.Chunks().Find<TChunkzTXt>()->Text);
}

}  // namespace
