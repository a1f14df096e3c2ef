// Format: specifiers, widths and precisions, argument indexes and the errors
// for bad formats and argument types.
#include <gtest/gtest.h>

#include "SysUtils.hpp"

namespace {

// Pins the locale globals Format reads, restoring them afterwards.
class FormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = {DecimalSeparator, ThousandSeparator, CurrencyString, CurrencyFormat, NegCurrFormat,
              CurrencyDecimals};
    DecimalSeparator = '.';
    ThousandSeparator = ',';
    CurrencyString = "$";
    CurrencyFormat = 0;
    NegCurrFormat = 0;
    CurrencyDecimals = 2;
  }
  void TearDown() override {
    DecimalSeparator = saved_.decimal;
    ThousandSeparator = saved_.thousand;
    CurrencyString = saved_.currency;
    CurrencyFormat = saved_.currencyFormat;
    NegCurrFormat = saved_.negCurrFormat;
    CurrencyDecimals = saved_.currencyDecimals;
  }
  struct Saved {
    char decimal, thousand;
    std::string currency;
    int currencyFormat, negCurrFormat, currencyDecimals;
  } saved_;

  static std::string BadFormatMessage(const std::string& fmt, TVarRecs args) {
    try {
      Format(fmt, args);
    } catch (const EConvertError& e) {
      return e.Message();
    }
    return "no exception";
  }
};

TEST_F(FormatTest, StringsAndCharacters) {
  EXPECT_EQ(Format("Setup of %s.", {"Lumbrix"}), "Setup of Lumbrix.");
  EXPECT_EQ(Format("[%5s][%-5s][%.2s]", {"ab", "ab", "abcdef"}), "[   ab][ab   ][ab]");
  EXPECT_EQ(Format("%s%s", {'x', std::string("y")}), "xy");
  EXPECT_EQ(Format("%s", {L"\x041B"}), "\xCB");  // UTF-16 in, ANSI out
  EXPECT_EQ(Format("100%% %s", {"done"}), "100% done");
  EXPECT_EQ(Format("no specifiers", {}), "no specifiers");
  // Bytes after a NUL survive.
  EXPECT_EQ(Format("%s|", {std::string("a\0b", 3)}), std::string("a\0b|", 4));
}

TEST_F(FormatTest, Integers) {
  EXPECT_EQ(Format("%d", {-42}), "-42");
  EXPECT_EQ(Format("%5d|%-5d|", {42, 42}), "   42|42   |");
  EXPECT_EQ(Format("%.4d", {-7}), "-0007");
  EXPECT_EQ(Format("%u", {-1}), "4294967295");
  EXPECT_EQ(Format("%x %X %.4x", {255, 255, 10}), "FF FF 000A");
  EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
  EXPECT_EQ(Format("%d", {static_cast<Int64>(1) << 40}), "1099511627776");
}

TEST_F(FormatTest, IndexesAndStars) {
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b", "c"}), "b a b");
  EXPECT_EQ(Format("%*d|%-*d|", {4, 7, 3, 8}), "   7|8  |");
  EXPECT_EQ(Format("%.*f", {1, 2.26}), "2.3");
  EXPECT_EQ(Format("%0:s-%0:s", {"x"}), "x-x");
}

TEST_F(FormatTest, Floats) {
  EXPECT_EQ(Format("%f", {1.0}), "1.00");
  EXPECT_EQ(Format("%.3f", {-0.0005}), "-0.001");
  EXPECT_EQ(Format("%.0f", {2.6}), "3");
  EXPECT_EQ(Format("%.2f", {-0.001}), "0.00");  // no minus on a rounded zero
  EXPECT_EQ(Format("%8.2f|", {3.14159}), "    3.14|");
  EXPECT_EQ(Format("%e", {1.0}), "1.00000000000000E+000");
  EXPECT_EQ(Format("%.3e", {-12345.0}), "-1.23E+004");
  EXPECT_EQ(Format("%.2e", {0.000123}), "1.2E-004");
  EXPECT_EQ(Format("%g", {0.5}), "0.5");
  EXPECT_EQ(Format("%g", {1e20}), "1E020");
  EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(Format("%.0n", {-999.6}), "-1,000");
  DecimalSeparator = ',';
  ThousandSeparator = ' ';
  EXPECT_EQ(Format("%.1f %n", {1.26, 12345.0}), "1,3 12 345,00");
}

TEST_F(FormatTest, CurrencyFollowsTheLocalePatterns) {
  EXPECT_EQ(Format("%m", {12.5}), "$12.50");
  EXPECT_EQ(Format("%m", {-12.5}), "($12.50)");
  CurrencyString = "\xF0.";  // "р."
  CurrencyFormat = 3;
  NegCurrFormat = 8;
  ThousandSeparator = ' ';
  DecimalSeparator = ',';
  EXPECT_EQ(Format("%m", {1234.5}), "1 234,50 \xF0.");
  EXPECT_EQ(Format("%m", {-3.0}), "-3,00 \xF0.");
  EXPECT_EQ(Format("%.0m", {7.0}), "7 \xF0.");
}

TEST_F(FormatTest, Pointers) {
  const void* p = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(0xABCD));
  EXPECT_EQ(Format("%p", {p}), std::string(sizeof(void*) * 2 - 4, '0') + "ABCD");
}

TEST_F(FormatTest, BadFormatsAndArgumentsRaise) {
  EXPECT_EQ(BadFormatMessage("%d", {"text"}), "Format '%d' invalid or incompatible with argument");
  EXPECT_EQ(BadFormatMessage("%s", {5}), "Format '%s' invalid or incompatible with argument");
  EXPECT_EQ(BadFormatMessage("%f", {5}), "Format '%f' invalid or incompatible with argument");
  EXPECT_EQ(BadFormatMessage("%y", {5}), "Format '%y' invalid or incompatible with argument");
  EXPECT_EQ(BadFormatMessage("abc %", {5}), "Format 'abc %' invalid or incompatible with argument");
  EXPECT_EQ(BadFormatMessage("%s %s", {"one"}), "No argument for format '%s %s'");
  EXPECT_EQ(BadFormatMessage("%3:s", {"one"}), "No argument for format '%3:s'");
  EXPECT_EQ(BadFormatMessage("%*d", {"w", 1}), "Format '%*d' invalid or incompatible with argument");
}

}  // namespace
