// Numbers of the window's edits: two decimals, non-numbers, unit conversion.

#include "app/NumberText.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberTextTest, EditsAreRewrittenWithTwoDecimals) {
  const std::pair<const char*, const char*> cases[] = {
      {"210", "210.00"}, {"63,5", "63.50"}, {" 8.275 ", "8.28"}, {"abc", "0.00"}, {"", "0.00"},
      {"1e3", "1000.00"}, {"-0.001", "0.00"}, {"inf", "0.00"}, {"12abc", "0.00"},
  };
  for (const auto& [typed, shown] : cases) EXPECT_EQ(RewriteTwoDecimals(typed), shown) << typed;
}

TEST(NumberTextTest, MillimetresToInchesAndBackLoseWhatTwoDecimalsCannotHold) {
  EXPECT_EQ(pgloconvertitunite("210.00", TUnitConversion::ToInches), "8.27");
  EXPECT_EQ(pgloconvertitunite("8.27", TUnitConversion::ToMillimetres), "210.06");
  EXPECT_EQ(pgloconvertitunite("not a number", TUnitConversion::ToInches), "0.00");
}

TEST(NumberTextTest, IntegersAndGeneralForm) {
  EXPECT_EQ(ParseInteger(" 20 "), 20);
  EXPECT_FALSE(ParseInteger("20.5").has_value());
  EXPECT_FALSE(ParseNumber("").has_value());
  EXPECT_EQ(FormatGeneral(0.5f), "0.5");
  EXPECT_EQ(FormatGeneral(1.0f), "1");
}

}  // namespace
