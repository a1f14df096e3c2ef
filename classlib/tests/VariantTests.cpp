// The variant's conversions: what converts, what raises, and the edges of
// the integer and currency ranges.
#include <gtest/gtest.h>

#include "Variants.hpp"

namespace {

TEST(Variant, NumbersTextsAndBooleansConvertBothWays) {
  EXPECT_EQ(Variant(" 42").AsInteger(), 42);
  EXPECT_EQ(Variant(2.5).AsInteger(), 2) << "halves go to the even neighbour";
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_DOUBLE_EQ(Variant(TVariantCurrency{125000}).AsDouble(), 12.5);
  EXPECT_DOUBLE_EQ(Variant(TVariantDate{36526.25}).AsDouble(), 36526.25);
  EXPECT_EQ(Variant(12.40).AsCurrency(), 124000);
  EXPECT_EQ(Variant(Int64(3)).AsCurrency(), 30000);
  EXPECT_TRUE(Variant("TRUE").AsBoolean());
  EXPECT_FALSE(Variant(L"false").AsBoolean());
  EXPECT_TRUE(Variant(7).AsBoolean());
  EXPECT_EQ(Variant(-7).AsString(), "-7");
  EXPECT_EQ(Variant(false).AsString(), "False");
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant(L"ключ").AsWideString(), L"ключ");
  EXPECT_EQ(Variant(L"ключ").VarType(), varOleStr);
  EXPECT_EQ(Variant("x").VarType(), varString);
}

TEST(Variant, ValuesThatDoNotConvertRaiseNamingBothTypes) {
  try {
    Variant("12x").AsInteger();
    FAIL();
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), "Could not convert variant of type (String) into type (Integer)");
  }
  EXPECT_THROW(Variant().AsDouble(), EVariantError);
  EXPECT_THROW(Variant(TVariantNull{}).AsInteger(), EVariantError);
  EXPECT_THROW(Variant("maybe").AsBoolean(), EVariantError);
  EXPECT_THROW(Variant(3e9).AsInteger(), EVariantError);
  EXPECT_THROW(Variant(1e16).AsCurrency(), EVariantError);
  EXPECT_THROW(Variant(Int64(1) << 62).AsCurrency(), EVariantError);
}

}  // namespace
