// The edit's text store: paragraphs from every kind of line break, word wrap
// and its display-line numbering, positions across soft breaks, insertion.
#include <gtest/gtest.h>

#include "ElEditTestSupport.hpp"

using edittest::Edit;
using edittest::Pos;
using Texts = std::vector<TElFString>;

namespace {

struct ChangeCounter : TObject {
  int changing = 0, changed = 0;
  void Changing(TObject*) { ++changing; }
  void Changed(TObject*) { ++changed; }
};

}  // namespace

TEST(ElEditStrings, EveryBreakStyleMakesParagraphs) {
  Edit e;
  TElEditStrings* lines = e.Core.Lines();
  struct Case {
    const wchar_t* text;
    Texts paragraphs;
  } cases[] = {
      {L"a\r\nb", {L"a", L"b"}},
      {L"a\r\nb\r\n", {L"a", L"b", L""}},
      {L"a\n\rb", {L"a", L"", L"b"}},
      {L"a\rb", {L"a", L"b"}},
      {L"a\nb", {L"a", L"b"}},
      {L"a\n", {L"a"}},
      {L"a\r", {L"a"}},
      {L"a\n\n", {L"a", L""}},
      {L"", {}},
  };
  for (const Case& c : cases) {
    lines->SetTextStr(c.text);
    EXPECT_EQ(e.Paragraphs(), c.paragraphs) << "text " << WideToAnsi(c.text);
  }
  lines->SetTextStr(L"a\r\nb\r\n");
  EXPECT_EQ(lines->GetTextStr(), L"a\r\nb\r\n\r\n");
  EXPECT_EQ(e.Core.Text(), L"a\r\nb\r\n");
}

TEST(ElEditStrings, SingleLineKeepsBreaksInOneLine) {
  Edit e(false);
  e.Core.Lines()->SetTextStr(L"a\r\nb");
  EXPECT_EQ(e.DisplayLines(), Texts{L"a\r\nb"});
  EXPECT_EQ(e.Core.Text(), L"a\r\nb");
  e.Core.Lines()->Add(L"c");  // list insertion is multi-line only
  EXPECT_EQ(e.Core.Lines()->GetCount(), 1);
  int column = 1, line = 0;
  e.Core.Lines()->InsertText(column, line, L"x\r\ny");
  EXPECT_EQ(e.Core.Text(), L"ax\r\ny\r\nb");
  EXPECT_EQ(Pos(column, line), Pos(5, 0));
}

TEST(ElEditStrings, WholeTextChangesNotifyOnce) {
  Edit e;
  ChangeCounter counter;
  e.Core.Lines()->OnChanging = MakeEvent(&counter, &ChangeCounter::Changing);
  e.Core.Lines()->OnChange = MakeEvent(&counter, &ChangeCounter::Changed);
  e.Core.Lines()->SetTextStr(L"one\r\ntwo\r\nthree");
  EXPECT_EQ(counter.changing, 1);
  EXPECT_EQ(counter.changed, 1);
  e.Core.Lines()->SetTextStr(L"one\r\ntwo\r\nthree");  // the same text
  EXPECT_EQ(counter.changed, 1);
  // A final break is a text of its own, not the store's own line ending.
  e.Core.Lines()->SetTextStr(L"one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(counter.changed, 2);
  EXPECT_EQ(e.Core.Lines()->GetCount(), 4);
}

TEST(ElEditStrings, ListOperationsWorkInParagraphs) {
  Edit e;
  TElEditStrings* lines = e.Core.Lines();
  lines->SetTextStr(L"a\r\nb");
  EXPECT_EQ(lines->Add(L""), 2);  // an empty string is an empty paragraph
  lines->Add(L"p\r\nq");
  EXPECT_EQ(e.Paragraphs(), (Texts{L"a", L"b", L"", L"p", L"q"}));
  lines->Insert(0, L"z");
  lines->Exchange(1, 2);
  lines->Delete(3);
  EXPECT_EQ(e.Paragraphs(), (Texts{L"z", L"b", L"a", L"p", L"q"}));
  EXPECT_EQ(lines->GetDisplayLineCount(), 5);
  EXPECT_EQ(lines->GetObject(0), nullptr);
  EXPECT_THROW(lines->Delete(5), EElListError);
  lines->Clear();
  EXPECT_EQ(lines->GetDisplayLineCount(), 0);
  EXPECT_EQ(lines->GetDisplayLine(3), L"");
  EXPECT_THROW(lines->Delete(0), EElListError);
  EXPECT_EQ(lines->GetCount(), 0);
}

TEST(ElEditStrings, WordWrapBreaksAfterBlankOrHardAtTheFitPoint) {
  Edit e;  // ten characters to a line
  e.Core.SetWordWrap(true);
  e.Core.Lines()->SetTextStr(L"hello world\r\nabcdefghijklmnop\r\nabc def ghi jkl");
  EXPECT_EQ(e.DisplayLines(),
            (Texts{L"hello ", L"world", L"abcdefghij", L"klmnop", L"abc def ", L"ghi jkl"}));
  int paragraph = -1, line = -1;
  e.Core.Lines()->FindParagraph(5, paragraph, line);
  EXPECT_EQ(paragraph, 2);
  EXPECT_EQ(line, 1);
  e.Core.Lines()->FindParagraph(6, paragraph, line);  // past the text
  EXPECT_EQ(paragraph, 0);
  EXPECT_EQ(line, 0);
  EXPECT_EQ(e.Paragraphs()[0], L"hello world");

  e.Core.SetWordWrap(false);
  EXPECT_EQ(e.Core.Lines()->GetDisplayLineCount(), 3);
  EXPECT_EQ(e.Core.Lines()->MaxLineLength(), 16);
  EXPECT_EQ(e.Core.Lines()->LongestLine(), L"abcdefghijklmnop");
}

TEST(ElEditStrings, WrapCountsTabsAndMasksAndKeepsPairs) {
  Edit e;
  e.Core.SetWordWrap(true);
  e.Core.Lines()->SetTextStr(L"a\tbcdefghij");  // the TAB is four blanks wide
  EXPECT_EQ(e.DisplayLines(), (Texts{L"a\tbcdef", L"ghij"}));

  e.Measurer.Widths[L'*'] = 16;
  e.Core.SetPasswordChar(L"*x");
  e.Core.Lines()->SetTextStr(L"abcdef");
  EXPECT_EQ(e.DisplayLines(), (Texts{L"abcde", L"f"}));
  e.Core.SetPasswordChar(L"");

  TElFString pair = L"\xD83D\xDE00";
  e.Core.Lines()->SetTextStr(L"aaaaaaaaa" + pair + L"bc");
  EXPECT_EQ(e.DisplayLines(), (Texts{L"aaaaaaaaa", pair + L"bc"}));
}

TEST(ElEditStrings, WrapAlwaysEnds) {
  Edit e;
  e.Core.SetWordWrap(true);
  e.Core.SetEditRect({0, 0, e.Core.RightMargin(), 100});  // no room at all
  e.Core.Lines()->SetTextStr(L"ab c");
  EXPECT_EQ(e.DisplayLines(), (Texts{L"a", L"b", L" ", L"c"}));
  e.Core.SetEditRect({0, 0, -50, 100});
  e.Core.Resized({0, 0, -50, 100});
  EXPECT_EQ(e.DisplayLines().size(), 4u);

  e.Core.Resized({0, 0, 86, 100});
  e.Measurer.Widths[L'W'] = 100;  // wider than the whole line
  e.Core.Lines()->SetTextStr(L"WWab");
  EXPECT_EQ(e.DisplayLines(), (Texts{L"W", L"W", L"ab"}));
}

TEST(ElEditStrings, SoftBreakOffsetsMapToTheUpperLine) {
  Edit e;
  e.Core.SetWordWrap(true);
  e.Core.Lines()->SetTextStr(L"x\r\nhello world");
  TElEditStrings* lines = e.Core.Lines();
  EXPECT_EQ(lines->TextPosToCaret(1, 6), Pos(6, 1));  // at the soft break
  EXPECT_EQ(lines->TextPosToCaret(1, 7), Pos(1, 2));
  EXPECT_EQ(lines->TextPosToCaret(1, 0), Pos(0, 1));
  EXPECT_EQ(lines->TextPosToCaret(1, 99), Pos(5, 2));  // clamped to the end
  TElParagraphPos at = lines->CaretToTextPos(0, 2);
  EXPECT_EQ(at.Paragraph, 1);
  EXPECT_EQ(at.Offset, 6);
  at = lines->CaretToTextPos(40, 2);
  EXPECT_EQ(at.Offset, 11);
}

TEST(ElEditStrings, DisplayLineWritesRewrapAndRenumber) {
  Edit e;
  e.Core.SetWordWrap(true);
  TElEditStrings* lines = e.Core.Lines();
  lines->SetDisplayLine(3, L"ignored");  // nothing to write into
  EXPECT_EQ(lines->GetCount(), 0);
  lines->SetDisplayLine(0, L"first");
  EXPECT_EQ(e.Paragraphs(), Texts{L"first"});

  lines->SetTextStr(L"ab\r\ncd");
  lines->SetDisplayLine(0, L"hello world");
  EXPECT_EQ(e.DisplayLines(), (Texts{L"hello ", L"world", L"cd"}));
  EXPECT_EQ(lines->Paragraph(1)->StartLine, 2);
}

TEST(ElEditStrings, InsertTextSplitsAndKeepsAFinalBreak) {
  Edit e;
  TElEditStrings* lines = e.Core.Lines();
  struct Case {
    int column;
    const wchar_t* text;
    Texts paragraphs;
    TElDisplayPos after;
  } cases[] = {
      {1, L"XY", {L"aXYbc", L"def"}, Pos(3, 0)},
      {1, L"X\r\nY", {L"aX", L"Ybc", L"def"}, Pos(1, 1)},
      {3, L"x\r\n", {L"abcx", L"", L"def"}, Pos(0, 1)},
      {1, L"\r\n", {L"a", L"bc", L"def"}, Pos(0, 1)},
      {0, L"1\r\n2\n3\r4", {L"1", L"2", L"3", L"4abc", L"def"}, Pos(1, 3)},
  };
  for (const Case& c : cases) {
    lines->SetTextStr(L"abc\r\ndef");
    int column = c.column, line = 0;
    lines->InsertText(column, line, c.text);
    EXPECT_EQ(e.Paragraphs(), c.paragraphs) << WideToAnsi(c.text);
    EXPECT_EQ(Pos(column, line), c.after) << WideToAnsi(c.text);
  }
  lines->Clear();
  int column = 0, line = 0;
  lines->InsertText(column, line, L"hi");
  EXPECT_EQ(e.Paragraphs(), Texts{L"hi"});
  EXPECT_EQ(Pos(column, line), Pos(2, 0));
}

TEST(ElEditStrings, RemovingTextJoinsParagraphs) {
  Edit e;
  e.Core.Lines()->SetTextStr(L"abc\r\nd\r\ne\r\nfgh\r\nlongest one\r\ni");
  e.Core.Lines()->RemoveText({1, 0}, {2, 3});
  EXPECT_EQ(e.Paragraphs(), (Texts{L"ah", L"longest one", L"i"}));
  EXPECT_EQ(e.Core.Lines()->Paragraph(2)->StartLine, 2);
  EXPECT_EQ(e.Core.Lines()->LongestParagraph(), 1);
}

// Without word wrap the store names its longest line for the horizontal
// scroll range; when that line shrinks or goes, the next longest takes over.
TEST(ElEditStrings, TheLongestLineFollowsShrinkingAndRemovedLines) {
  Edit e;
  TElEditStrings* lines = e.Core.Lines();
  lines->SetTextStr(L"a\r\nbbbbbbbbbb\r\nccccc\r\ndddd");
  ASSERT_EQ(lines->MaxLineLength(), 10);
  lines->SetDisplayLine(1, L"bb");
  EXPECT_EQ(lines->MaxLineLength(), 5);
  EXPECT_EQ(lines->LongestLine(), L"ccccc");
  EXPECT_EQ(lines->LongestParagraph(), 2);
  lines->Delete(2);
  EXPECT_EQ(lines->MaxLineLength(), 4);
  EXPECT_EQ(lines->LongestLine(), L"dddd");
  lines->Exchange(0, 2);
  EXPECT_EQ(lines->LongestParagraph(), 0);
  lines->RemoveText({0, 0}, {1, 1});  // "dddd" and "bb" join to "b"
  EXPECT_EQ(lines->MaxLineLength(), 1);
  lines->Clear();
  EXPECT_EQ(lines->MaxLineLength(), 0);
  EXPECT_EQ(lines->LongestLine(), L"");
}
