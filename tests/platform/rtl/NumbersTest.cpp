#include "platform/rtl/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/Exception.h"

TEST(Numbers, RoundGoesHalfwayToEvenTruncTowardZeroAndBothRefuseWhatDoesNotFit) {
  const struct {
    double Value;
    int Rounded, Truncated;
  } cases[] = {{0.5, 0, 0},   {1.5, 2, 1},     {2.5, 2, 2},     {-2.5, -2, -2},
               {-3.5, -4, -3}, {2.5000001, 3, 2}, {-2.99, -3, -2}, {2147483647.4, 2147483647, 2147483647}};
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::Round(c.Value), c.Rounded) << c.Value;
    EXPECT_EQ(rtl::Trunc(c.Value), c.Truncated) << c.Value;
  }
  EXPECT_EQ(rtl::Round64(1e12 + 0.5), 1000000000000);
  EXPECT_EQ(rtl::Trunc(-2147483648.5), -2147483647 - 1);
  // Not finite or out of range.
  for (double value : {std::nan(""), HUGE_VAL, 2147483648.0, -2147483648.6}) {
    EXPECT_THROW(rtl::Round(value), EInvalidOp) << value;
  }
  EXPECT_THROW(rtl::Trunc(2147483648.0), EInvalidOp);
  EXPECT_THROW(rtl::Round64(9.3e18), EInvalidOp);
}

TEST(Numbers, IntegerParserAcceptsDecimalAndHexOnly) {
  const std::pair<const char*, int> good[] = {{"42", 42}, {"-17", -17}, {"$FF", 255}, {"0x10", 16},
                                              {"$FFFFFFFF", -1}, {"2147483647", 2147483647}};
  for (const auto& [text, value] : good) EXPECT_EQ(rtl::StrToInt(text), value) << text;
  for (const char* bad : {"", "-", "1a", " 1", "2147483648", "$100000000", "12 "}) {
    EXPECT_THROW(rtl::StrToInt(bad), EConvertError) << bad;
  }
  try {
    rtl::StrToInt("x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
}
