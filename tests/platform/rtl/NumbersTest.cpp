#include "platform/rtl/Numbers.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/Exception.h"

TEST(Numbers, RoundGoesHalfwayToEven) {
  EXPECT_EQ(rtl::Round(0.5), 0);
  EXPECT_EQ(rtl::Round(1.5), 2);
  EXPECT_EQ(rtl::Round(2.5), 2);
  EXPECT_EQ(rtl::Round(4.5), 4);
  EXPECT_EQ(rtl::Round(-2.5), -2);
  EXPECT_EQ(rtl::Round(-3.5), -4);
  EXPECT_EQ(rtl::Round(2.5000001), 3);
  EXPECT_EQ(rtl::Round64(1e12 + 0.5), 1000000000000);
}

TEST(Numbers, TruncGoesTowardZero) {
  EXPECT_EQ(rtl::Trunc(2.99), 2);
  EXPECT_EQ(rtl::Trunc(-2.99), -2);
}

TEST(Numbers, NonFiniteAndOutOfRangeValuesAreRefused) {
  EXPECT_THROW(rtl::Round(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
  EXPECT_THROW(rtl::Round(std::numeric_limits<double>::infinity()), EInvalidOp);
  EXPECT_THROW(rtl::Trunc(2147483648.0), EInvalidOp);
  EXPECT_EQ(rtl::Trunc(2147483647.9), 2147483647);
  EXPECT_EQ(rtl::Trunc(-2147483648.5), -2147483647 - 1);
  EXPECT_THROW(rtl::Round(-2147483648.6), EInvalidOp);
  EXPECT_THROW(rtl::Round64(9.3e18), EInvalidOp);
}

TEST(Numbers, IntegerParserAcceptsDecimalAndHexOnly) {
  EXPECT_EQ(rtl::StrToInt("42"), 42);
  EXPECT_EQ(rtl::StrToInt("-17"), -17);
  EXPECT_EQ(rtl::StrToInt("$FF"), 255);
  EXPECT_EQ(rtl::StrToInt("0x10"), 16);
  EXPECT_EQ(rtl::StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(rtl::StrToInt("2147483647"), 2147483647);
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
