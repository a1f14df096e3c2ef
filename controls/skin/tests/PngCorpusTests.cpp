// The corpus written at build time, decoded by the codec and compared pixel
// for pixel with libpng's decoding of the same files; damaged files must
// raise their own exception.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "PngTestSupport.hpp"

using namespace pngtest;

namespace {

std::string TestNameOf(const testing::TestParamInfo<ManifestEntry>& info) {
  std::string name = info.param.Name.substr(0, info.param.Name.rfind('.'));
  std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(Byte(c)); }, '_');
  return name;
}

std::vector<ManifestEntry> EntriesWhere(bool wantOk) {
  std::vector<ManifestEntry> entries;
  for (const ManifestEntry& e : ReadManifest())
    if ((e.Outcome == "ok") == wantOk) entries.push_back(e);
  return entries;
}

class PngCorpusDecode : public testing::TestWithParam<ManifestEntry> {};
class PngCorpusDamaged : public testing::TestWithParam<ManifestEntry> {};

TEST_P(PngCorpusDecode, ShowsLibpngPixels) {
  const ManifestEntry& entry = GetParam();
  TPNGObject png;
  ASSERT_EQ(LoadOutcome(png, ReadFileBytes(CorpusPath(entry.Name))), "");
  RgbaImage expected = ReadReference(entry.Reference);
  ASSERT_GT(expected.Width, 0) << "no libpng reference for " << entry.Reference;
  // libpng computes its gamma tables in fixed point; one step apart is the
  // same colour.
  const int tolerance = entry.Name.rfind("gama_", 0) == 0 ? 1 : 0;
  EXPECT_EQ(Difference(ShownImage(png), expected, tolerance), "");
  // A successful load leaves the header first and IEND last.
  ASSERT_GE(png.Chunks().Count(), 3);
  EXPECT_EQ(png.Chunks().Chunk(0)->Name(), "IHDR");
  EXPECT_EQ(png.Chunks().Chunk(png.Chunks().Count() - 1)->Name(), "IEND");
}

TEST_P(PngCorpusDamaged, RaisesItsException) {
  const ManifestEntry& entry = GetParam();
  TPNGObject png;
  EXPECT_EQ(LoadOutcome(png, ReadFileBytes(CorpusPath(entry.Name))), entry.Outcome);
  // Whatever was read stays usable: asking for pixels never faults.
  for (int y = 0; y < std::min(png.GetHeight(), 4); ++y)
    for (int x = 0; x < std::min(png.GetWidth(), 4); ++x) png.ReadPixelColor(x, y);
}

INSTANTIATE_TEST_SUITE_P(Corpus, PngCorpusDecode, testing::ValuesIn(EntriesWhere(true)),
                         TestNameOf);
INSTANTIATE_TEST_SUITE_P(Corpus, PngCorpusDamaged, testing::ValuesIn(EntriesWhere(false)),
                         TestNameOf);

TEST(PngCorpus, HoldsEveryKindOfFile) {
  // Guards against an empty or half-written corpus passing silently.
  EXPECT_GE(EntriesWhere(true).size(), 150u);
  EXPECT_GE(EntriesWhere(false).size(), 30u);
}

TEST(PngCorpusChunks, KeepsAncillaryChunksInFileOrder) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(CorpusPath("unknown_ancillary.png")));
  std::vector<std::string> names;
  for (int i = 0; i < png.Chunks().Count(); ++i) names.push_back(png.Chunks().Chunk(i)->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"IHDR", "IDAT", "abCD", "IEND"}));
  EXPECT_EQ(png.Chunks().Chunk(2)->ClassType(), ChunkClassOf<TChunk>());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(png.Chunks().Chunk(2)->Data()), 12),
            "private data");
}

TEST(PngCorpusChunks, SkipsChrmAndTheSecondImageDataRun) {
  TPNGObject chrm;
  LoadBytes(chrm, ReadFileBytes(CorpusPath("chrm.png")));
  EXPECT_EQ(chrm.Chunks().Count(), 3);  // IHDR IDAT IEND
  TPNGObject twoRuns;
  LoadBytes(twoRuns, ReadFileBytes(CorpusPath("second_idat_run.png")));
  int idats = 0;
  for (int i = 0; i < twoRuns.Chunks().Count(); ++i)
    idats += twoRuns.Chunks().Chunk(i)->Name() == "IDAT";
  EXPECT_EQ(idats, 1);
  EXPECT_NE(twoRuns.Chunks().Find<TChunktEXt>(), nullptr);
}

TEST(PngCorpusChunks, ReadsTextAndTime) {
  TPNGObject text;
  LoadBytes(text, ReadFileBytes(CorpusPath("text.png")));
  ASSERT_NE(text.Chunks().Find<TChunktEXt>(), nullptr);
  EXPECT_EQ(text.Chunks().Find<TChunktEXt>()->Keyword, "Title");
  EXPECT_EQ(text.Chunks().Find<TChunktEXt>()->Text, "A small picture");

  TPNGObject noSeparator;
  LoadBytes(noSeparator, ReadFileBytes(CorpusPath("text_no_separator.png")));
  EXPECT_EQ(noSeparator.Chunks().Find<TChunktEXt>()->Keyword, "JustAKeyword");
  EXPECT_EQ(noSeparator.Chunks().Find<TChunktEXt>()->Text, "");

  TPNGObject ztxt;
  LoadBytes(ztxt, ReadFileBytes(CorpusPath("ztxt.png")));
  std::string expected;
  for (int i = 0; i < 20; ++i) expected += "compressed comment text ";
  ASSERT_NE(ztxt.Chunks().Find<TChunkzTXt>(), nullptr);
  EXPECT_EQ(ztxt.Chunks().Find<TChunkzTXt>()->Keyword, "Comment");
  EXPECT_EQ(ztxt.Chunks().Find<TChunkzTXt>()->Text, expected);

  TPNGObject damaged;
  LoadBytes(damaged, ReadFileBytes(CorpusPath("ztxt_damaged.png")));
  EXPECT_EQ(damaged.Chunks().Find<TChunkzTXt>()->Text, "");

  TPNGObject time;
  LoadBytes(time, ReadFileBytes(CorpusPath("time.png")));
  const TChunktIME* t = time.Chunks().Find<TChunktIME>();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Year, 2024);
  EXPECT_EQ(t->Month, 2);
  EXPECT_EQ(t->Day, 29);
  EXPECT_EQ(t->Hour, 23);
  EXPECT_EQ(t->Minute, 59);
  EXPECT_EQ(t->Second, 58);

  // iTXt has no class of its own: it is kept as a raw ancillary chunk.
  TPNGObject itxt;
  LoadBytes(itxt, ReadFileBytes(CorpusPath("itxt.png")));
  EXPECT_EQ(itxt.Chunks().Chunk(1)->Name(), "iTXt");
  EXPECT_EQ(itxt.Chunks().Chunk(1)->ClassType(), ChunkClassOf<TChunk>());
}

TEST(PngCorpusChunks, FailedLoadKeepsTheChunksReadSoFar) {
  TPNGObject png;
  EXPECT_EQ(LoadOutcome(png, ReadFileBytes(CorpusPath("plte_769.png"))), "EPNGInvalidPalette");
  ASSERT_EQ(png.Chunks().Count(), 2);
  EXPECT_EQ(png.Chunks().Chunk(1)->Name(), "PLTE");
  // The next load starts from nothing.
  LoadBytes(png, ReadFileBytes(CorpusPath("plain_rgb.png")));
  EXPECT_EQ(png.Chunks().Count(), 3);
}

TEST(PngCorpusChunks, IdatLongerThanOneInputBlockDecodesWhole) {
  // Guards the trailing bytes of a large chunk: without reading them before
  // the CRC, the load fails with a CRC error.
  TPNGObject single, split;
  LoadBytes(single, ReadFileBytes(CorpusPath("idat_large_single.png")));
  LoadBytes(split, ReadFileBytes(CorpusPath("idat_large_split.png")));
  EXPECT_EQ(Difference(ShownImage(single), ShownImage(split)), "");
  EXPECT_EQ(Difference(ShownImage(single), ReadReference("idat_large_single.png")), "");
}

// The SSE2 forms of the filters and conversions against the plain loops,
// on every filter, pixel size and row length the fast forms treat apart.
class PlainLoops {
 public:
  PlainLoops() { pngimage_detail::UseSse2 = false; }
  ~PlainLoops() { pngimage_detail::UseSse2 = true; }
};

TEST(PngSse2, UnfiltersRowsAsThePlainLoopsDo) {
  if (!pngimage_detail::UseSse2) GTEST_SKIP() << "this processor has no SSE2";
  std::uint32_t seed = 12345;
  auto next = [&] { return Byte((seed = seed * 1103515245u + 12345u) >> 23); };
  // Mostly near values above and small filtered differences, so that
  // Paeth's ties and near ties come often.
  auto fill = [&](std::vector<Byte>& bytes, int base) {
    for (Byte& b : bytes) b = next() % 4 == 0 ? next() : Byte(base + next() % 5 - 2);
  };
  for (int distance : {1, 2, 3, 4, 6, 8})
    for (std::int64_t length : {1, 2, 5, 15, 16, 17, 24, 48, 49, 96, 301})
      for (Byte filter = 1; filter <= 4; ++filter) {
        std::vector<Byte> previous(static_cast<std::size_t>(length)), row(previous.size());
        fill(previous, 128);
        fill(row, 0);
        std::vector<Byte> plain = row;
        pngimage_detail::UnfilterRow(filter, row.data(), previous.data(), length, distance);
        {
          PlainLoops off;
          pngimage_detail::UnfilterRow(filter, plain.data(), previous.data(), length, distance);
        }
        EXPECT_EQ(row, plain) << "filter " << int(filter) << ", distance " << distance
                              << ", length " << length;
      }
}

TEST(PngSse2, CorpusDecodesToTheSamePixelsWithThePlainLoops) {
  if (!pngimage_detail::UseSse2) GTEST_SKIP() << "this processor has no SSE2";
  for (const ManifestEntry& entry : EntriesWhere(true)) {
    const std::vector<Byte> bytes = ReadFileBytes(CorpusPath(entry.Name));
    TPNGObject fast, plain;
    ASSERT_EQ(LoadOutcome(fast, bytes), "") << entry.Name;
    {
      PlainLoops off;
      ASSERT_EQ(LoadOutcome(plain, bytes), "") << entry.Name;
    }
    EXPECT_EQ(Difference(ShownImage(plain), ShownImage(fast)), "") << entry.Name;
  }
}

}  // namespace
