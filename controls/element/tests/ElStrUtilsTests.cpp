// String routines: the ANSI helpers, currency parsing, the UTF-16 routines
// and the case conversion by the generated case-folding table.
#include <gtest/gtest.h>

#include <cstdint>

#include <cstring>
#include <map>
#include <set>

#include "ElStrUtils.hpp"

// ---------------------------------------------------------------- ANSI

TEST(ElStrUtilsAnsi, ReplaceFirstAndLastPos) {
  AnsiString s = "a-b-c";
  EXPECT_TRUE(ReplaceFirst(s, "-", "+="));
  EXPECT_EQ(s, "a+=b-c");
  EXPECT_FALSE(ReplaceFirst(s, "x", "y"));
  EXPECT_EQ(s, "a+=b-c");
  EXPECT_EQ(LastPos("b", "abcabc"), 5);
  EXPECT_EQ(LastPos("bc", "abcabc"), 5);
  EXPECT_EQ(LastPos("", "abc"), 0);
  EXPECT_EQ(LastPos("a", ""), 0);
  EXPECT_EQ(LastPos("z", "abc"), 0);
}

TEST(ElStrUtilsAnsi, ContainsAtChecksTheRangeAndCase) {
  EXPECT_TRUE(ContainsAt("hello", 2, "ell"));
  EXPECT_TRUE(ContainsAt("hello", 5, ""));
  EXPECT_FALSE(ContainsAt("hello", 2, "ELL"));
  EXPECT_FALSE(ContainsAt("hello", 0, "h"));
  EXPECT_FALSE(ContainsAt("hello", 6, ""));
  EXPECT_FALSE(ContainsAt("hello", 4, "lox"));
}

TEST(ElStrUtilsAnsi, HexToIntAcceptsSignsDollarAndBlanks) {
  EXPECT_EQ(HexToInt("FF"), 255);
  EXPECT_EQ(HexToInt("$1a"), 26);
  EXPECT_EQ(HexToInt("  -10 "), -16);
  EXPECT_EQ(HexToInt("+7"), 7);
  EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
  EXPECT_EQ(HexToInt("100000001"), 1);  // 32-bit arithmetic wraps
}

TEST(ElStrUtilsAnsi, HexToIntRejectsWithTheConversionMessage) {
  for (const char* bad : {"", " ", "-", "$", "1G", "0x10", "1 2"}) {
    try {
      HexToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
  EXPECT_EQ(HexToIntDef("zz", -5), -5);
  EXPECT_EQ(HexToIntDef("a", -5), 10);
}

TEST(ElStrUtilsAnsi, SameTextNoCaseIgnoresCaseInTheLocale) {
  EXPECT_TRUE(SameTextNoCase("Hello", "hELLO"));
  EXPECT_FALSE(SameTextNoCase("Hello", "Hell"));
  // Cyrillic in the ANSI code page 1251: "\xC0" is U+0410, "\xE0" is U+0430.
  EXPECT_TRUE(SameTextNoCase("\xC0\xC1", "\xE0\xE1"));
}

// ---------------------------------------------------------------- currency

TEST(ElStrUtilsCurrency, ReadsSignsSeparatorsAndTheCurrencySymbol) {
  auto parse = [](const char* s) { return ParseCurrencyTextWith(s, "\xF0.", ',', ' '); };
  EXPECT_EQ(parse(""), 0);
  EXPECT_EQ(parse("-"), 0);
  EXPECT_EQ(parse("12-3"), -120000);
  EXPECT_EQ(parse("(1,234.5"), -12340);
  EXPECT_EQ(parse("12.50 \xF0."), 125000);
  EXPECT_EQ(parse("1 234,56"), 12345600);
  EXPECT_EQ(parse("7+1"), 70000);
  EXPECT_EQ(parse("-5 \xF0. 3"), -50000);
  EXPECT_EQ(parse("\t1.2345"), 12345);
}

TEST(ElStrUtilsCurrency, SymbolEndsANegativeNumberAndIsSkippedOtherwise) {
  EXPECT_EQ(ParseCurrencyTextWith("$-5$3", "$", '.', ','), -5 * 10000);
  EXPECT_EQ(ParseCurrencyTextWith("$1,000", "$", '.', ','), 10000);  // comma is a decimal mark
  EXPECT_EQ(ParseCurrencyTextWith("1'000.5", "", '.', '\''), 10005000);
  EXPECT_EQ(ParseCurrencyTextWith("3;4", "", ';', ' '), 34000);
}

TEST(ElStrUtilsCurrency, LongDigitRunsStayAtTheLargestValue) {
  auto parse = [](const std::string& s) { return ParseCurrencyTextWith(s, "", '.', ' '); };
  const std::string nines(40, '9');
  EXPECT_EQ(parse(nines), INT64_MAX);
  EXPECT_EQ(parse("-" + nines), -INT64_MAX);
  EXPECT_EQ(parse(nines + ".9999"), INT64_MAX);
  // The edge of the range itself is exact.
  EXPECT_EQ(parse("922337203685477.5807"), INT64_MAX);
  EXPECT_EQ(parse("922337203685477.5806"), INT64_MAX - 1);
  EXPECT_EQ(parse("922337203685477.5808"), INT64_MAX);
}

// ---------------------------------------------------------------- UTF-16

TEST(ElStrUtilsWide, PositionsAreOneBasedInCodeUnits) {
  EXPECT_EQ(WidePos(L"b", L"abcabc"), 2);
  EXPECT_EQ(WidePos(L"", L"abc"), 0);
  EXPECT_EQ(WidePos(L"x", L"abc"), 0);
  EXPECT_EQ(WideLastPos(L"bc", L"abcabc"), 5);
  EXPECT_EQ(WideLastPos(L"a", L""), 0);
}

TEST(ElStrUtilsWide, CopyInsertDeleteExtractFollowTheLibraryRules) {
  EXPECT_EQ(WideCopy(L"abcdef", 2, 3), L"bcd");
  EXPECT_EQ(WideCopy(L"abcdef", 5, 10), L"ef");
  EXPECT_EQ(WideCopy(L"abcdef", 0, 2), L"ab");
  EXPECT_EQ(WideCopy(L"abcdef", 7, 1), L"");
  EXPECT_EQ(WideCopy(L"abcdef", 2, -1), L"");
  TElFString s = L"abef";
  WideInsert(L"cd", s, 3);
  EXPECT_EQ(s, L"abcdef");
  WideInsert(L"!", s, 100);
  EXPECT_EQ(s, L"abcdef!");
  WideDelete(s, 7, 5);
  EXPECT_EQ(s, L"abcdef");
  WideDelete(s, 0, 2);
  EXPECT_EQ(s, L"abcdef");
  EXPECT_EQ(WideExtract(s, 2, 2), L"bc");
  EXPECT_EQ(s, L"adef");
}

TEST(ElStrUtilsWide, ComparisonsAreOrdinal) {
  EXPECT_EQ(WideCompareStr(L"abc", L"abd"), -1);
  EXPECT_EQ(WideCompareStr(L"b", L"abc"), 1);
  EXPECT_EQ(WideCompareStr(L"abc", L"abc"), 0);
  EXPECT_EQ(WideCompareStr(TElFString(L"ab\0x", 4), TElFString(L"ab\0y", 4)), 0);
  EXPECT_EQ(WideStrCompare(L"ab", L"abc"), -L'c');
  EXPECT_EQ(WideStrCompare(L"", L""), 0);
  EXPECT_EQ(WideStrCompare(L"\x0451", L"a"), 0x0451 - L'a');
  EXPECT_NE(WideCompareStr(L"abc", L"ABC"), 0);
  EXPECT_TRUE(WideSameText(L"\x0401x", L"\x0451X"));
}

TEST(ElStrUtilsWide, BuildersAndBuffers) {
  EXPECT_EQ(WideStringOfChar(L'z', 3), L"zzz");
  EXPECT_EQ(WideStringOfChar(L'z', -1), L"");
  TElFString s = L"old";
  WideSetString(s, L"abcdef", 3);
  EXPECT_EQ(s, L"abc");
  WideSetString(s, nullptr, 2);
  EXPECT_EQ(s, TElFString(2, L'\0'));
  WideSetString(s, L"x", 0);
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(WideStringFromPChar(nullptr), L"");

  wchar_t buf[16];
  WideStrPCopy(buf, TElFString(L"ab\0cd", 5));
  EXPECT_EQ(WideStrLen(buf), 2);
  WideStrCat(buf, L"cab");
  EXPECT_EQ(WideStringFromPChar(buf), L"abcab");
  EXPECT_EQ(WideStrEnd(buf), buf + 5);
  EXPECT_EQ(WideStrScan(buf, L'b'), buf + 1);
  EXPECT_EQ(WideStrRScan(buf, L'b'), buf + 4);
  EXPECT_EQ(WideStrScan(buf, 0), buf + 5);
  EXPECT_EQ(WideStrScan(buf, L'z'), nullptr);
  EXPECT_EQ(WideStrPos(buf, L"ca"), buf + 2);
  EXPECT_EQ(WideStrPos(buf, L""), nullptr);
  EXPECT_EQ(WideStrPos(buf, L"abcabcx"), nullptr);
  EXPECT_EQ(WideStrPos(nullptr, L"a"), nullptr);
  EXPECT_EQ(WideStrComp(L"abc", L"abd"), -1);
  WideStrLCopy(buf, L"123456", 4);
  EXPECT_EQ(WideStringFromPChar(buf), L"1234");
  WideStrMove(buf, buf + 1, 4);  // overlapping, forwards
  EXPECT_EQ(WideStringFromPChar(buf), L"11234");
  WideStrMove(buf + 1, buf, 4);  // overlapping, backwards
  EXPECT_EQ(WideStringFromPChar(buf), L"12344");
  WideFillChar(buf, 3, L'-');
  EXPECT_EQ(WideStringFromPChar(buf), L"---44");
  WideStrCopy(buf, L"");
  EXPECT_EQ(WideStrLen(buf), 0);
}

// ---------------------------------------------------------------- case table

TEST(ElStrUtilsCase, TableHoldsTheCaseFoldingRowsOfItsRepertoire) {
  TElCaseFoldingTable table = ElCaseFoldingTable();
  ASSERT_EQ(table.Count, 814);
  std::map<char, int> counts;
  for (int i = 0; i < table.Count; ++i) {
    const TElCaseFoldingRow& row = table.Rows[i];
    ++counts[row.Status];
    EXPECT_GE(row.Code, 0x0041);
    EXPECT_LE(row.Code, 0xFF3A);
    if (i > 0) {
      EXPECT_LE(table.Rows[i - 1].Code, row.Code) << "row " << i;
    }
    // Only full foldings expand to more than one unit.
    EXPECT_EQ(row.Length > 1, row.Status == 'F') << std::hex << row.Code;
  }
  EXPECT_EQ(counts['T'], 2);
  EXPECT_EQ(counts['S'], 27);
  EXPECT_EQ(counts['C'] + counts['F'], 683 + 102);
  EXPECT_EQ(std::string(table.Repertoire), "3.1");
}

TEST(ElStrUtilsCase, TurkicRowsFoldBothDottedAndDotlessIToI) {
  TElCaseFoldingTable table = ElCaseFoldingTable();
  std::set<unsigned> turkic;
  for (int i = 0; i < table.Count; ++i)
    if (table.Rows[i].Status == 'T') {
      turkic.insert(table.Rows[i].Code);
      EXPECT_EQ(table.Rows[i].Folded[0], 0x0069);
    }
  EXPECT_EQ(turkic, (std::set<unsigned>{0x0130, 0x0131}));
  EXPECT_EQ(WideLowerCase(L"\x0130\x0131"), L"ii");
  EXPECT_EQ(WideUpperCase(L"i"), L"I");
  EXPECT_EQ(WideUpperCase(L"\x0131"), L"\x0131");  // no row folds to it
}

TEST(ElStrUtilsCase, LowestCodeWinsWhenUpperCasing) {
  EXPECT_EQ(WideUpperCase(L"\x0451"), L"\x0401");
  EXPECT_EQ(WideUpperCase(L"\x03BC"), L"\x00B5");
  EXPECT_EQ(WideUpperCase(L"\x03B9"), L"\x0345");
  EXPECT_EQ(WideUpperCase(L"k"), L"K");
  EXPECT_EQ(WideLowerCase(L"\x212A"), L"k");  // Kelvin sign
  EXPECT_EQ(WideUpperCase(L"\x00DF"), L"\x00DF");  // only a full folding
  EXPECT_EQ(WideLowerCase(L"\x1E9E"), L"\x1E9E");  // outside the repertoire
  EXPECT_EQ(WideUpperCase(L""), L"");
}

TEST(ElStrUtilsCase, ConvertsWholeAlphabetsBothWays) {
  TElFString upper = L"ABCXYZ\x0410\x042F\x0401\xFF21\xFF3A\x0391\x03A9";
  TElFString lower = L"abcxyz\x0430\x044F\x0451\xFF41\xFF5A\x03B1\x03C9";
  EXPECT_EQ(WideLowerCase(upper), lower);
  EXPECT_EQ(WideUpperCase(lower), upper);
  EXPECT_EQ(WideUpperCase(L"1-2_3 \x4E00"), L"1-2_3 \x4E00");
  // Every C, S or T row lower-cases its code to its folded unit.
  TElCaseFoldingTable table = ElCaseFoldingTable();
  for (int i = 0; i < table.Count; ++i) {
    const TElCaseFoldingRow& row = table.Rows[i];
    if (row.Status == 'F') continue;
    EXPECT_EQ(WideLowerCase(TElFString(1, static_cast<wchar_t>(row.Code)))[0],
              static_cast<wchar_t>(row.Folded[0]))
        << std::hex << row.Code;
  }
}
