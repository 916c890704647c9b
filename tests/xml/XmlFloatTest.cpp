#include "xml/XmlFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "xml/XmlTypes.h"

using xml::FormatXmlFloat;

TEST(XmlFloat, WorkedValues) {
  EXPECT_EQ(FormatXmlFloat(6, true, 2.0), "2");
  EXPECT_EQ(FormatXmlFloat(6, true, 12.5), "12.5");
  EXPECT_EQ(FormatXmlFloat(6, true, 0.5), ".5");
  EXPECT_EQ(FormatXmlFloat(6, true, 0.05), ".05");
  EXPECT_EQ(FormatXmlFloat(6, true, 0.001), "1E-3");
  EXPECT_EQ(FormatXmlFloat(6, true, 1234567), "1234570");
  EXPECT_EQ(FormatXmlFloat(6, true, -3.25), "-3.25");
}

// Values worked through the digit rules by hand.
TEST(XmlFloat, HandWorkedValues) {
  EXPECT_EQ(FormatXmlFloat(6, true, 0), "0");
  EXPECT_EQ(FormatXmlFloat(6, true, -0.0), "0");
  EXPECT_EQ(FormatXmlFloat(6, true, 100), "100");
  EXPECT_EQ(FormatXmlFloat(6, true, 1000), "1000");
  EXPECT_EQ(FormatXmlFloat(2, true, 10000), "1.0E4");    // more than two places past the digits
  EXPECT_EQ(FormatXmlFloat(6, true, 1e10), "1.00000E10");  // zeros go only after the point
  EXPECT_EQ(FormatXmlFloat(6, true, 1e-10), "1E-10");
  EXPECT_EQ(FormatXmlFloat(6, false, 1e10), "10000000000");
  EXPECT_EQ(FormatXmlFloat(6, true, 123456789), "1.23457E8");
  EXPECT_EQ(FormatXmlFloat(6, false, 0.001), ".001");
  EXPECT_EQ(FormatXmlFloat(6, true, 0.01), ".01");
  EXPECT_EQ(FormatXmlFloat(6, true, 1.5e-5), "1.5E-5");
  EXPECT_EQ(FormatXmlFloat(6, true, 9.9999999), "10");
  EXPECT_EQ(FormatXmlFloat(3, true, 3.14159), "3.14");
  EXPECT_EQ(FormatXmlFloat(1, true, 0.25), ".2");  // ties to even
  EXPECT_EQ(FormatXmlFloat(6, true, static_cast<double>(0.1f)), ".1");
  EXPECT_EQ(FormatXmlFloat(9, true, 1.0 / 3), ".333333333");
}

TEST(XmlFloat, EndsOnInfinityAndNaN) {
  EXPECT_EQ(FormatXmlFloat(6, true, std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FormatXmlFloat(6, true, -std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FormatXmlFloat(6, true, std::nan("")), "NaN");
  EXPECT_EQ(FormatXmlFloat(6, true, std::numeric_limits<double>::denorm_min()), "4.94066E-324");
  EXPECT_EQ(FormatXmlFloat(6, true, std::numeric_limits<double>::max()), "1.79769E308");
  double back = 0;
  ASSERT_TRUE(xml::ParseXmlFloat("-INF", back));
  EXPECT_TRUE(std::isinf(back) && back < 0);
  ASSERT_TRUE(xml::ParseXmlFloat("NaN", back));
  EXPECT_TRUE(std::isnan(back));
}

TEST(XmlFloat, DigitsOutOfRangeRaise) {
  EXPECT_THROW(FormatXmlFloat(0, true, 1), EXmlError);
  EXPECT_THROW(FormatXmlFloat(10, true, 1), EXmlError);
}

// printf's %g rounds the same decimal digits; both texts must name the same
// number (they differ only in form).
TEST(XmlFloat, AgreesWithPrintfOnRandomValues) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  int differing = 0;
  for (int i = 0; i < 20000; ++i) {
    const int digits = 1 + i % 9;
    const double value = (i % 2 ? -1 : 1) * mantissa(random) * std::pow(10.0, exponent(random));
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.*g", digits, value);
    double ours = 0;
    ASSERT_TRUE(xml::ParseXmlFloat(FormatXmlFloat(digits, true, value), ours)) << value;
    const double expected = std::strtod(reference, nullptr);
    if (ours != expected) {
      ++differing;
      // Only a decimal tie seen through repeated scaling may round the other way.
      EXPECT_NEAR(ours, expected, std::fabs(expected) * std::pow(10.0, 1 - digits) * 1.01) << value;
    }
  }
  EXPECT_LT(differing, 20);
}

TEST(XmlFloat, ParsesCommaAndRefusesGarbage) {
  double v = 0;
  ASSERT_TRUE(xml::ParseXmlFloat("3,5", v));
  EXPECT_EQ(v, 3.5);
  ASSERT_TRUE(xml::ParseXmlFloat(" .5 ", v));
  EXPECT_EQ(v, 0.5);
  ASSERT_TRUE(xml::ParseXmlFloat("+1E-3", v));
  EXPECT_EQ(v, 0.001);
  EXPECT_FALSE(xml::ParseXmlFloat("abc", v));
  EXPECT_FALSE(xml::ParseXmlFloat("", v));
  EXPECT_FALSE(xml::ParseXmlFloat("1.5x", v));
  EXPECT_FALSE(xml::ParseXmlFloat("1e999", v));
  EXPECT_FALSE(xml::ParseXmlFloat("0x10", v));
}
