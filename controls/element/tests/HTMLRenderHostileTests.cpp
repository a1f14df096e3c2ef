// The HTML renderer against texts nobody would write by hand: numbers at
// the limits of 32 bits in every numeric attribute, a hundred thousand
// items on a line or in a column, lists nested ten thousand deep; and
// painting and a label that such a text makes as large as it can be.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ElDrawTestSupport.hpp"
#include "ElHTMLLbl.hpp"
#include "ElWindowTestSupport.hpp"
#include "Forms.hpp"
#include "HTMLRenderTestSupport.hpp"

using namespace eltest;

namespace {

std::wstring Repeat(const std::wstring& piece, int count) {
  std::wstring text;
  text.reserve(piece.size() * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

// Every size the layout produced stays in the 16 bits the items hold.
::testing::AssertionResult SizesFit(const TElHTMLData& d) {
  auto fits = [](std::int64_t v, std::int64_t lo) { return v >= lo && v <= 32767; };
  if (!fits(d.TextWidth, 0) || !fits(d.TextHeight, 0))
    return ::testing::AssertionFailure() << "text " << d.TextWidth << " x " << d.TextHeight;
  for (int i = 0; i < d.ItemCount(); ++i) {
    const TElHTMLItem* item = d.Item(i);
    if (!fits(item->Width, -32768) || !fits(item->Height, 0) || !fits(item->Indent, -32768) ||
        !fits(item->FontHeight, -32768))
      return ::testing::AssertionFailure() << "item " << i << ": " << item->Width << " x " << item->Height
                                           << ", indent " << item->Indent << ", font " << item->FontHeight;
  }
  return ::testing::AssertionSuccess();
}

struct HostileText {
  const char* what;
  std::wstring text;
  int textWidth, textHeight;  // -1: any that fits
};

void PrintTo(const HostileText& c, std::ostream* os) { *os << c.what; }

class HostileHtml : public ::testing::TestWithParam<HostileText> {};

TEST_P(HostileHtml, LaysOutInsideSixteenBits) {
  const HostileText& c = GetParam();
  FixedRender r;
  TElHTMLData& d = r.Prepare(c.text);
  EXPECT_TRUE(SizesFit(d));
  if (c.textWidth >= 0) {
    EXPECT_EQ(d.TextWidth, c.textWidth);
  }
  if (c.textHeight >= 0) {
    EXPECT_EQ(d.TextHeight, c.textHeight);
  }
  // Wrapping sums the same widths.
  EXPECT_TRUE(SizesFit(r.Prepare(c.text, 100, true)));
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, HostileHtml,
    ::testing::Values(
        HostileText{"ImageOfTheLargestNumbers", L"<img src=a width=2147483647 height=2147483647>", 32767, 32767},
        HostileText{"ImageOfTheSmallestNumbers", L"<img src=a width=-2147483648 height=-2147483648>x", 6, 13},
        HostileText{"RuleOfTheLargestNumber", L"<hr width=2147483647>", 32767, -1},
        HostileText{"NumbersBeyond32BitsAreNoNumbers", L"<hr width=99999999999><img src=a width=4294967296>", 0, -1},
        HostileText{"IndentOfTheLargestNumber", L"<p indent=2147483647>x", 32767, -1},
        HostileText{"IndentOfTheSmallestNumber", L"<p indent=-2147483648>x", 0, -1},
        HostileText{"FontOfTheLargestSize", L"<font size=2147483647>x</font>", -1, 32767},
        HostileText{"FontRelativeToTheLargest", L"<font size=+2147483647>x</font><font size=-2147483648>y</font>",
                    -1, 32767},
        // 100,000 images of 32,767 pixels: their sum passes 2^31 many times.
        HostileText{"AHundredThousandWideImagesOnALine", Repeat(L"<img src=a width=32767 height=1>", 100000), 32767,
                    -1},
        HostileText{"AHundredThousandTallImagesInAColumn", Repeat(L"<img src=a width=1 height=32767><br>", 100000), -1,
                    32767},
        HostileText{"ListsNestedTenThousandDeep", Repeat(L"<ul><li>x", 10000), 32767, -1}),
    [](const ::testing::TestParamInfo<HostileText>& info) { return std::string(info.param.what); });

TEST(HTMLRenderHostile, FontSizesAreClampedBeforeTheyAreUsed) {
  FixedRender r;
  r.Prepare(L"<font size=2147483647>a</font><font size=+2147483647>b</font><font size=-2147483648>c</font>");
  EXPECT_EQ(r.Run(L"a")->FontHeight, 32767);
  EXPECT_EQ(r.Run(L"b")->FontHeight, -32768);
  EXPECT_EQ(r.Run(L"c")->FontHeight, 32767);
  // Relative sizes still round as before: +2 at 96 pixels per inch is 3.
  r.Prepare(L"<font size=+2>d</font>");
  EXPECT_EQ(r.Run(L"d")->FontHeight, -14);
}

// Scripts raise or lower text; an image or a rule inside one keeps its own
// height and is hit where it is painted.
TEST(HTMLRenderHostile, ImagesInsideScriptsKeepTheirHeight) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"<sup><img src=a width=10 height=40></sup><sub><hr width=5></sub>");
  ASSERT_EQ(Dump(d), (std::vector<std::wstring>{L"para", L"img a 10x40", L"br", L"rule 5", L"br"}));
  EXPECT_EQ(d.Item(1)->Height, 40);
  EXPECT_EQ(d.Item(0)->Height, 40);
  EXPECT_EQ(d.Item(3)->Height, 0);
  const TRect area{0, 0, 200, 100};
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{5, 1}, area), d.Item(1));
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{5, 39}, area), d.Item(1));
}

TEST(HTMLRenderHostile, ABreakWithoutDataMeasuresNothing) {
  TElHTMLBreakItem paragraph(nullptr, hitParagraph);
  int descent = -1;
  EXPECT_EQ(paragraph.GetHeight(descent), 0);
  EXPECT_EQ(descent, 0);
}

// A label auto-sized to 32,767 pixels square paints: only the part the
// canvas shows goes through the work bitmap.
TEST(HTMLRenderHostile, AnAutoSizedLabelOfAHostileTextPaints) {
  TForm* form = new TForm(Application, 0);
  auto* label = new TElHTMLLabel(form);
  label->SetParent(form);
  label->SetColor(clWhite);
  label->Font()->SetColor(clBlack);
  label->SetIsHTML(true);
  label->SetCaption(L"Text<br><img src=a width=2147483647 height=2147483647>");
  EXPECT_EQ(label->Width(), 32767);
  MemoryDC dc(100, 40);
  EXPECT_NO_THROW(label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0));
  int black = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) black += dc.Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_GT(black, 0);
  form->Free();
}

}  // namespace
