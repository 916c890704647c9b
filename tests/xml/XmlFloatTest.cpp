#include "xml/XmlFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "xml/XmlTypes.h"

using xml::FormatXmlFloat;

TEST(XmlFloat, WorkedAndHandWorkedValues) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::tuple<int, bool, double, const char*> cases[] = {
      {6, true, 2.0, "2"}, {6, true, 12.5, "12.5"}, {6, true, 0.5, ".5"}, {6, true, 0.05, ".05"},
      {6, true, 0.001, "1E-3"}, {6, true, 1234567, "1234570"}, {6, true, -3.25, "-3.25"}, {6, true, -0.0, "0"},
      {2, true, 10000, "1.0E4"},      // more than two places past the digits
      {6, true, 1e10, "1.00000E10"},  // zeros go only after the point
      {6, false, 1e10, "10000000000"}, {6, false, 0.001, ".001"}, {6, true, 1e-10, "1E-10"}, {6, true, 1000, "1000"},
      {6, true, 123456789, "1.23457E8"}, {6, true, 1.5e-5, "1.5E-5"}, {6, true, 9.9999999, "10"},
      {1, true, 0.25, ".2"},  // ties to even
      {6, true, static_cast<double>(0.1f), ".1"}, {9, true, 1.0 / 3, ".333333333"}, {6, true, std::nan(""), "NaN"},
      {6, true, kInf, "INF"}, {6, true, -kInf, "-INF"}, {6, true, std::numeric_limits<double>::max(), "1.79769E308"},
      {6, true, std::numeric_limits<double>::denorm_min(), "4.94066E-324"},
  };
  for (const auto& [digits, exponent, value, expected] : cases)
    EXPECT_EQ(FormatXmlFloat(digits, exponent, value), expected) << value;
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
