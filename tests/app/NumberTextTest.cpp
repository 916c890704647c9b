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

// The separator is the process's setting: each case puts "." back.
struct TSeparatorScope {
  explicit TSeparatorScope(const char* separator) { SetDecimalSeparator(separator); }
  ~TSeparatorScope() { SetDecimalSeparator("."); }
};

TEST(NumberTextTest, TheDecimalSeparatorShowsNumbersAndEitherSeparatorIsRead) {
  {
    const TSeparatorScope comma(",");
    EXPECT_EQ(FormatTwoDecimals(12.5), "12,50");
    EXPECT_EQ(FormatTwoDecimals(-0.001), "0,00");
    EXPECT_EQ(FormatGeneral(0.5f), "0,5");
    EXPECT_EQ(RewriteTwoDecimals("12.5"), "12,50");
    EXPECT_EQ(RewriteTwoDecimals("12,5"), "12,50");
    EXPECT_EQ(pgloconvertitunite("210,00", TUnitConversion::ToInches), "8,27");
    EXPECT_EQ(ParseNumber("-1,25"), -1.25);
    EXPECT_FALSE(ParseNumber("1,2,5").has_value());
  }
  {
    // A separator of more than one byte (U+066B, the Arabic one).
    const TSeparatorScope arabic("\u066b");
    EXPECT_EQ(FormatTwoDecimals(1.5), "1\u066b50");
    EXPECT_EQ(ParseNumber("1\u066b5"), 1.5);
    EXPECT_EQ(ParseNumber("1.5"), 1.5);
    EXPECT_EQ(ParseNumber("1,5"), 1.5);
  }
  SetDecimalSeparator("");
  EXPECT_EQ(DecimalSeparator(), ".");
  EXPECT_EQ(FormatTwoDecimals(2), "2.00");
}

}  // namespace
