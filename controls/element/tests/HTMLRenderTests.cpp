// The HTML renderer's parsing, word wrap, layout and hit testing, measured
// with fixed metrics (no device).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HTMLRenderTestSupport.hpp"

using namespace eltest;
using Items = std::vector<std::wstring>;

// --- text, blanks and entities ----------------------------------------------------

TEST(HTMLRenderParse, EmptyTextGivesNoItems) {
  FixedRender r;
  for (const wchar_t* text : {L"", L"<b></b>", L"<!-- only a comment -->"}) {
    TElHTMLData& d = r.Prepare(text);
    EXPECT_EQ(d.ItemCount(), 0) << text;
    EXPECT_EQ(d.TextWidth, 0);
    EXPECT_EQ(d.TextHeight, 0);
  }
}

TEST(HTMLRenderParse, BlanksCollapseWithinARunButNbspDoesNot) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"a&nbsp;&nbsp;b")), (Items{L"para", L"'a  b'"}));
  EXPECT_EQ(Dump(r.Prepare(L"a   b")), (Items{L"para", L"'a b'"}));
  // Blanks collapse only inside one run.
  EXPECT_EQ(Dump(r.Prepare(L"a <b> b</b>")), (Items{L"para", L"'a '", L"' b'"}));
}

TEST(HTMLRenderParse, NumericAndNamedEntities) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"&#65;&#1046;")), (Items{L"para", L"'AЖ'"}));
  // Hexadecimal is not a number here: a blank, unless the run ends with one.
  EXPECT_EQ(Dump(r.Prepare(L"&#x41;")), (Items{L"para", L"' '"}));
  EXPECT_EQ(Dump(r.Prepare(L"x &#x41;y")), (Items{L"para", L"'x y'"}));
  EXPECT_EQ(Dump(r.Prepare(L"a&bogus;b")), (Items{L"para", L"'ab'"}));
  EXPECT_EQ(Dump(r.Prepare(L"&AMP;&lt;&gt;&quot;&euro;&sect;&reg;&copy;&para;&trade;")),
            (Items{L"para", L"'&<>\"\u20AC\u00A7\u00AE\u00A9\u00B6\u2122'"}));
  // A bare ampersand reads to the next semicolon, or to the end.
  EXPECT_EQ(Dump(r.Prepare(L"a & b; c")), (Items{L"para", L"'a c'"}));
  EXPECT_EQ(Dump(r.Prepare(L"a & b")), (Items{L"para", L"'a '"}));
}

TEST(HTMLRenderParse, CharacterNumbersOutsideOneCodeUnitAreLeftOut) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"a&#0;b&#70000;c&#-5;d&#65535;");
  ASSERT_EQ(Dump(d).size(), 2u);
  EXPECT_EQ(d.Item(1)->Text, std::wstring(L"abcd") + wchar_t(0xFFFF));
}

TEST(HTMLRenderParse, LineFeedStaysButCarriageReturnsGo) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"a\nb")), (Items{L"para", L"'a\nb'"}));
  EXPECT_EQ(Dump(r.Prepare(L"a\r\nb\rc")), (Items{L"para", L"'abc'"}));
  // The text ends at a zero unit.
  EXPECT_EQ(Dump(r.Prepare(std::wstring(L"ab\0<b>cd", 8))), (Items{L"para", L"'ab'"}));
}

// --- tags and attributes -------------------------------------------------------------

TEST(HTMLRenderParse, TagAndAttributeNamesIgnoreCase) {
  FixedRender r;
  r.Prepare(L"<B>x</B>y<FONT COLOR=red>z</Font>");
  ASSERT_NE(r.Run(L"x"), nullptr);
  EXPECT_TRUE(r.Run(L"x")->FontStyle.Contains(fsBold));
  EXPECT_FALSE(r.Run(L"y")->FontStyle.Contains(fsBold));
  EXPECT_EQ(r.Run(L"z")->FontColor, clRed);
  EXPECT_EQ(r.Run(L"z")->ColorCount, 1);
}

TEST(HTMLRenderParse, StyleAndScriptTagsSetAndClearTheirFlags) {
  FixedRender r;
  r.Prepare(L"<i><u><strikeout>a</strikeout></u></i><sub>b</sub><sup>c</sup>d");
  EXPECT_EQ(r.Run(L"a")->FontStyle, (TFontStyles{fsItalic, fsUnderline, fsStrikeOut}));
  EXPECT_TRUE(r.Run(L"b")->IsSubscript());
  EXPECT_TRUE(r.Run(L"c")->IsSuperscript());
  EXPECT_FALSE(r.Run(L"c")->IsSubscript());
  EXPECT_EQ(r.Run(L"d")->Flags, 0);
  EXPECT_TRUE(r.Run(L"d")->FontStyle.Empty());
}

TEST(HTMLRenderParse, QuotedAttributesKeepTheirBlanks) {
  FixedRender r;
  r.Prepare(L"<font  face='Comic Sans'   COLOR=\"#0000FF\" bare>a</font><a HREF=\"x y\">b</a>"
            L"<a href=\"c'>c</a><font name=Arial face=Tahoma>d");
  EXPECT_EQ(r.Run(L"a")->FontName, L"Comic Sans");
  EXPECT_EQ(r.Run(L"a")->FontColor, clBlue);
  EXPECT_EQ(r.Run(L"b")->LinkRef, L"x y");
  EXPECT_EQ(r.Run(L"c")->LinkRef, L"c'");  // the closing quote does not match
  EXPECT_EQ(r.Run(L"d")->FontName, L"Arial");  // name wins over face
}

TEST(HTMLRenderParse, ColoursByNumberAndByName) {
  FixedRender r;
  r.render.Data()->DefaultColor = clMaroon;
  r.render.Data()->DefaultBgColor = clTeal;
  r.Prepare(L"<font color=#FF0000>a<font color=\"#00ff80\">b<font color=blue>c<font color=clLime>d"
            L"<font color=btnface>e<font color=nosuch>f<font color=#zz>g<font bgcolor=yellow>h"
            L"<font bgcolor=#>i");
  EXPECT_EQ(r.Run(L"a")->FontColor, 0x0000FF);
  EXPECT_EQ(r.Run(L"b")->FontColor, static_cast<TColor>(RGB(0x00, 0xFF, 0x80)));
  EXPECT_EQ(r.Run(L"c")->FontColor, clBlue);
  EXPECT_EQ(r.Run(L"d")->FontColor, clLime);
  EXPECT_EQ(r.Run(L"e")->FontColor, clBtnFace);
  EXPECT_EQ(r.Run(L"f")->FontColor, clBtnFace);  // unknown names change nothing
  EXPECT_EQ(r.Run(L"g")->FontColor, clMaroon);   // a bad number gives the default
  EXPECT_EQ(r.Run(L"h")->FontBgColor, clYellow);
  EXPECT_EQ(r.Run(L"i")->FontBgColor, clTeal);
  EXPECT_EQ(r.Run(L"i")->ColorCount, 9);
}

TEST(HTMLRenderParse, FontSizesAbsoluteAndRelative) {
  FixedRender r;
  r.Prepare(L"<font size=+2>a</font><font size=-1>b</font><font size=20>c<font size=big>d</font></font>"
            L"<font face=Arial>e");
  EXPECT_EQ(r.Run(L"a")->FontHeight, -14);
  EXPECT_EQ(r.Run(L"b")->FontHeight, -10);
  EXPECT_EQ(r.Run(L"c")->FontHeight, 20);
  EXPECT_EQ(r.Run(L"d")->FontHeight, -11);
  EXPECT_EQ(r.Run(L"e")->FontHeight, -11);  // no size: unchanged
  r.measurer.ppi = 144;
  r.Prepare(L"<font size=+2>a");
  EXPECT_EQ(r.Run(L"a")->FontHeight, -15);
}

TEST(HTMLRenderParse, FontTagsNestAndRestore) {
  FixedRender r;
  r.Prepare(L"<font color=red face=Arial>a<font size=+1>b</font>c</font>d</font>e");
  EXPECT_EQ(r.Run(L"a")->ColorCount, 1);
  EXPECT_EQ(r.Run(L"b")->FontHeight, -12);
  EXPECT_EQ(r.Run(L"b")->FontColor, clRed);
  EXPECT_EQ(r.Run(L"c")->FontHeight, -11);
  EXPECT_EQ(r.Run(L"c")->ColorCount, 1);  // the inner tag set no colour
  EXPECT_EQ(r.Run(L"d")->FontColor, clWindowText);
  EXPECT_EQ(r.Run(L"d")->FontName, L"MS Sans Serif");
  EXPECT_EQ(r.Run(L"d")->ColorCount, 0);
  EXPECT_EQ(r.Run(L"e")->ColorCount, 0);  // an unmatched closing tag keeps the font
}

TEST(HTMLRenderParse, UnmatchedClosingTagsAndCutOffTagsDoNoHarm) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"</font></b></a></sub></ul>x")), (Items{L"para", L"br", L"'x'"}));
  EXPECT_EQ(r.Run(L"x")->Indent, 0);
  EXPECT_EQ(Dump(r.Prepare(L"abc<b")), (Items{L"para", L"'abc'"}));
  EXPECT_FALSE(r.Run(L"abc")->FontStyle.Contains(fsBold));
  EXPECT_EQ(Dump(r.Prepare(L"abc<font color=red")), (Items{L"para", L"'abc'"}));
  EXPECT_EQ(r.Run(L"abc")->FontColor, clWindowText);
  EXPECT_EQ(Dump(r.Prepare(L"a<>b<br/>c")), (Items{L"para", L"'abc'"}));
}

TEST(HTMLRenderParse, CommentsHideTextUpToTheirEnd) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"a<!-- <b>b</b> -->c")), (Items{L"para", L"'ac'"}));
  EXPECT_EQ(Dump(r.Prepare(L"a<!--b-->c<!--d")), (Items{L"para", L"'ac'"}));
  EXPECT_FALSE(r.Run(L"ac")->FontStyle.Contains(fsBold));
}

TEST(HTMLRenderParse, LinksNeedAttributes) {
  FixedRender r;
  r.Prepare(L"<a href=\"u\">link</a> tail<a>plain</a><a name=x>named</a>");
  EXPECT_TRUE(r.Run(L"link")->IsLink());
  EXPECT_EQ(r.Run(L"link")->LinkRef, L"u");
  // A tag without attributes is ignored altogether: the run goes on.
  ASSERT_NE(r.Run(L" tailplain"), nullptr);
  EXPECT_FALSE(r.Run(L" tailplain")->IsLink());
  EXPECT_TRUE(r.Run(L" tailplain")->LinkRef.empty());
  EXPECT_TRUE(r.Run(L"named")->IsLink());
  EXPECT_TRUE(r.Run(L"named")->LinkRef.empty());
}

namespace {

struct ImageSource {
  TBitmap bitmap;
  std::vector<std::wstring> asked;
  void Need(TObject*, const TElFString& src, TBitmap*& image) {
    asked.push_back(src);
    if (src == L"known") image = &bitmap;
  }
};

}  // namespace

TEST(HTMLRenderParse, ImagesTakeTheirSizeFromAttributesOrThePicture) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"a<img src=\"x\">b<img>")), (Items{L"para", L"'a'", L"img x 0x0", L"'b'"}));
  ImageSource source;
  source.bitmap.SetSize(12, 7);
  r.render.OnImageNeeded = MakeEvent(&source, &ImageSource::Need);
  EXPECT_EQ(Dump(r.Prepare(L"<img src=known><img src=known width=3><img src=other height=9>")),
            (Items{L"para", L"img known 12x7", L"img known 3x7", L"img other 0x9"}));
  EXPECT_EQ(source.asked, (std::vector<std::wstring>{L"known", L"known", L"other"}));
}

TEST(HTMLRenderParse, ParagraphsAndBreaksCarryTheirAlignment) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"<p align=center>one<br>two<p align=RIGHT indent=7>three<p align=middle>four");
  ASSERT_EQ(Dump(d), (Items{L"para", L"'one'", L"br", L"'two'", L"para", L"'three'", L"para", L"'four'"}));
  auto brk = [&](int i) { return static_cast<TElHTMLBreakItem*>(d.Item(i)); };
  EXPECT_EQ(brk(0)->Alignment(), haCenter);
  EXPECT_EQ(brk(2)->Alignment(), haCenter);  // a break keeps the paragraph's alignment
  EXPECT_EQ(brk(4)->Alignment(), haRight);
  EXPECT_EQ(brk(4)->Indent, 7);
  EXPECT_EQ(r.Run(L"three")->Indent, 7);
  EXPECT_EQ(brk(6)->Alignment(), haLeft);
  EXPECT_EQ(Dump(r.Prepare(L"x<p>y")), (Items{L"para", L"'x'", L"para", L"'y'"}));
}

TEST(HTMLRenderParse, ListsIndentTheirItems) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"<ul><li>one<li>two</ul>after");
  ASSERT_EQ(Dump(d), (Items{L"para", L"li", L"'one'", L"li", L"'two'", L"br", L"'after'"}));
  auto* li = static_cast<TElHTMLBreakItem*>(d.Item(1));
  EXPECT_EQ(li->ListLevel, 1);
  EXPECT_EQ(li->ListIndex, -1);
  EXPECT_EQ(li->Indent, 8);  // the widest character of the font
  EXPECT_EQ(r.Run(L"two")->Indent, 8);
  EXPECT_EQ(r.Run(L"after")->Indent, 0);
  EXPECT_EQ(static_cast<TElHTMLBreakItem*>(d.Item(5))->ListLevel, 0);
  // A line break right before a list item is dropped.
  EXPECT_EQ(Dump(r.Prepare(L"a<br><li>b")), (Items{L"para", L"'a'", L"li", L"'b'"}));
}

TEST(HTMLRenderParse, RulesStandOnTheirOwnLine) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"x<hr>y")), (Items{L"para", L"'x'", L"br", L"rule 0", L"br", L"'y'"}));
  EXPECT_EQ(Dump(r.Prepare(L"<hr width=50>")), (Items{L"para", L"br", L"rule 50", L"br"}));
  EXPECT_EQ(Dump(r.Prepare(L"<hr width=wide>"))[2], L"rule 0");
}

// --- word wrap ------------------------------------------------------------------------

TEST(HTMLRenderWrap, LinesBreakAfterTheLastBlank) {
  FixedRender r;
  // Five pixels a character, plus one for every run.
  EXPECT_EQ(Dump(r.Prepare(L"aaa bbb ccc", 40, true)), (Items{L"para", L"'aaa bbb '", L"wrap", L"'ccc'"}));
  EXPECT_EQ(Dump(r.Prepare(L"aaa bbb ccc", 40, false)), (Items{L"para", L"'aaa bbb ccc'"}));
  // A word after another run moves to the next line as a whole.
  EXPECT_EQ(Dump(r.Prepare(L"aaaa <b>bbbb</b>", 40, true)), (Items{L"para", L"'aaaa '", L"wrap", L"'bbbb'"}));
}

TEST(HTMLRenderWrap, AWordWiderThanTheLineSplitsByCharacter) {
  FixedRender r;
  EXPECT_EQ(Dump(r.Prepare(L"abcdefgh", 22, true)), (Items{L"para", L"'abcd'", L"wrap", L"'efgh'"}));
  EXPECT_EQ(Dump(r.Prepare(L"ab cdefghij", 22, true)),
            (Items{L"para", L"'ab '", L"wrap", L"'cdef'", L"wrap", L"'ghij'"}));
}

TEST(HTMLRenderWrap, WrapBreaksKeepIndentAndAlignment) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"<p align=right indent=10>aaa bbb", 40, true);
  ASSERT_EQ(Dump(d), (Items{L"para", L"'aaa '", L"wrap", L"'bbb'"}));
  auto* wrap = static_cast<TElHTMLBreakItem*>(d.Item(2));
  EXPECT_EQ(wrap->Indent, 10);
  EXPECT_EQ(wrap->Alignment(), haRight);
  for (int i = 0; i < d.ItemCount(); ++i) {
    if (d.Item(i)->IsBreak()) {
      EXPECT_LE(d.Item(i)->Width, 40 + 1) << i;
    }
  }
}

// --- layout ---------------------------------------------------------------------------

TEST(HTMLRenderLayout, LinesTakeTheirWidestAndTallestItems) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"ab<br><b>cd</b><p>e");
  ASSERT_EQ(Dump(d), (Items{L"para", L"'ab'", L"br", L"'cd'", L"para", L"'e'"}));
  EXPECT_EQ(d.Item(1)->Width, 11);  // 2 x 5 + 1
  EXPECT_EQ(d.Item(3)->Width, 13);  // bold: 2 x 6 + 1
  EXPECT_EQ(d.Item(0)->Width, 11);
  EXPECT_EQ(d.Item(0)->Height, 13);  // the text's cell, taller than the first paragraph
  EXPECT_EQ(static_cast<TElHTMLBreakItem*>(d.Item(0))->LineDescent(), 3);
  EXPECT_EQ(d.Item(4)->Height, 17);  // a later paragraph: 11 x 3 / 2, rounded
  EXPECT_EQ(d.TextWidth, 13);
  EXPECT_EQ(d.TextHeight, 13 + 13 + 17);
}

TEST(HTMLRenderLayout, ScriptsGrowTheirLines) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"<sup>x</sup><br><sub>y</sub>");
  // The reduced font (-9) is 11 high with a descent of 3.
  EXPECT_EQ(r.Run(L"x")->Height, 11 + 7);
  EXPECT_EQ(r.Run(L"y")->Height, 11 + 2);
  auto* first = static_cast<TElHTMLBreakItem*>(d.Item(0));
  auto* second = static_cast<TElHTMLBreakItem*>(d.Item(2));
  EXPECT_EQ(first->Height, 18);
  EXPECT_EQ(first->LineDescent(), 0);  // the superscript rises above the baseline
  EXPECT_EQ(second->LineDescent(), 3 + 2);
}

TEST(HTMLRenderLayout, ListItemsMeasureTheirBulletAndIndent) {
  FixedRender r;
  TElHTMLData& d = r.Prepare(L"<ul><li>one</ul>");
  auto* li = static_cast<TElHTMLBreakItem*>(d.Item(1));
  EXPECT_EQ(li->Width, 8 + 4 + 16);  // indent, bullet, text
  EXPECT_EQ(d.TextWidth, 28);
}

TEST(HTMLRenderLayout, AFailureLeavesTheDataEmpty) {
  FixedRender r;
  r.Prepare(L"fine text");
  r.measurer.failOn = L'!';
  try {
    r.Prepare(L"ok <b>bad!</b>");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Corvane HTML engine error - the text is not valid HTML");
  }
  EXPECT_EQ(r.render.Data()->ItemCount(), 0);
  EXPECT_EQ(r.render.Data()->TextWidth, 0);
  EXPECT_EQ(r.render.Data()->TextHeight, 0);
  r.measurer.failOn = 0;
  EXPECT_EQ(Dump(r.Prepare(L"again")), (Items{L"para", L"'again'"}));
}

// --- hit testing -------------------------------------------------------------------

TEST(HTMLRenderHitTest, LinksAreFoundUnderThePoint) {
  FixedRender r;
  r.Prepare(L"ab <a href=\"u\">cd</a><br>next");
  const TRect area{0, 0, 99, 49};
  TElFString href = L"stale";
  // "ab " spans 0..16, the link 16..27; the first line is 13 high.
  EXPECT_TRUE(r.render.IsCursorOverLink(TPoint{0, 0}, TPoint{20, 5}, href, area));
  EXPECT_EQ(href, L"u");
  EXPECT_FALSE(r.render.IsCursorOverLink(TPoint{0, 0}, TPoint{5, 5}, href, area));
  EXPECT_TRUE(href.empty());
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{40, 5}, area), nullptr);
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{5, 20}, area), r.Run(L"next"));
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{5, 40}, area), nullptr);
  // The origin scrolls the text: the second line under the top row.
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 13}, TPoint{5, 2}, area), r.Run(L"next"));
  EXPECT_EQ(r.render.ItemAt(TPoint{10, 0}, TPoint{8, 5}, area), r.Run(L"cd"));
}

TEST(HTMLRenderHitTest, CentredAndRightAlignedLinesAreHitWhereTheyArePainted) {
  FixedRender r;
  r.Prepare(L"<p align=center><a href=u>cd</a><br>ef<p align=right>gh");
  const TRect area{0, 0, 99, 99};  // painted 100 wide
  // "cd" is 11 wide: painted from (100 - 11 - 1) div 2 = 44.
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{44, 5}, area), r.Run(L"cd"));
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{43, 5}, area), nullptr);
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{44, 20}, area), r.Run(L"ef"));
  // "gh" ends one pixel before the area's last column: 100 - 11 - 1 = 88.
  const int y = 13 + 13 + 10;
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{88, y}, area), r.Run(L"gh"));
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{87, y}, area), nullptr);
}

TEST(HTMLRenderHitTest, SuperscriptsAreHitAboveTheBaseline) {
  FixedRender r;
  r.Prepare(L"a<sup>b</sup>");
  // Line 18 high; the superscript's box is its 11-pixel cell raised by 5.
  const TRect area{0, 0, 99, 99};
  TElHTMLItem* b = r.Run(L"b");
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{8, 2}, area), b);
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{8, 13}, area), b);
  EXPECT_EQ(r.render.ItemAt(TPoint{0, 0}, TPoint{8, 14}, area), nullptr);
}

// --- data objects -----------------------------------------------------------------

TEST(HTMLRenderData, DefaultsAndOwnData) {
  FixedRender r;
  TElHTMLData* own = r.render.CreateData();
  EXPECT_EQ(own->Render, &r.render);
  EXPECT_EQ(own->LinkColor, 0xFF0000);
  EXPECT_EQ(own->DefaultColor, clWindowText);
  EXPECT_EQ(own->LinkStyle, TFontStyles{fsUnderline});
  EXPECT_EQ(own->DefaultHeight, -11);
  EXPECT_EQ(own->DefaultFont, "MS Sans Serif");
  EXPECT_EQ(own->DefaultBgColor, clNone);

  TElHTMLData* current = r.render.Data();
  r.render.PrepareToData(L"x", 0, own, false);
  EXPECT_EQ(r.render.Data(), current);
  EXPECT_EQ(current->ItemCount(), 0);
  EXPECT_EQ(Dump(*own), (Items{L"para", L"'x'"}));

  r.render.SetData(own);
  r.Prepare(L"<a href=h>y</a>");
  own->HighlightItem = own->Item(1);
  r.Prepare(L"<a href=h>y</a>");
  EXPECT_EQ(own->HighlightItem, nullptr);

  r.render.DestroyData(own);
  EXPECT_EQ(r.render.Data(), nullptr);
  r.render.PrepareText(L"ignored", 0, false);
  TElFString href;
  EXPECT_FALSE(r.render.IsCursorOverLink(TPoint{0, 0}, TPoint{2, 2}, href, TRect{0, 0, 50, 50}));
  r.render.SetData(nullptr);
  EXPECT_EQ(r.render.Data(), current);
  r.render.DestroyData(current);  // the renderer's own data stays alive
  r.render.SetData(nullptr);
  EXPECT_EQ(Dump(r.Prepare(L"z")), (Items{L"para", L"'z'"}));
}
