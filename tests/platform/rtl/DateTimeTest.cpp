#include "platform/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/rtl/Exception.h"

TEST(DateTime, EncodeMatchesIndependentDayCountsAndDecodeRoundTrips) {
  // Computed with Python's datetime: days since 1899-12-30.
  const struct {
    int Year, Month, Day, Serial;
  } days[] = {
      {2020, 2, 29, 43890}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {1899, 12, 29, -1}, {2000, 1, 1, 36526}};
  for (const auto& d : days) EXPECT_EQ(rtl::EncodeDate(d.Year, d.Month, d.Day), d.Serial) << d.Year;
  for (int day = -693593; day <= 2958465; day += 997) {
    int y = 0, m = 0, d = 0;
    rtl::DecodeDate(day, y, m, d);
    ASSERT_EQ(rtl::EncodeDate(y, m, d), day);
  }
}

TEST(DateTime, TimeOfDayRoundsToTheMillisecondCarriesAndCountsForwardsBeforeTheEpoch) {
  const struct {
    double Value;
    std::array<int, 7> Parts;  // year, month, day, hour, minute, second, millisecond
  } cases[] = {
      {rtl::EncodeDate(2021, 3, 4) + rtl::EncodeTime(13, 45, 6, 789), {2021, 3, 4, 13, 45, 6, 789}},
      {rtl::EncodeDate(2021, 12, 31) + (rtl::MSecsPerDay - 0.4) / rtl::MSecsPerDay, {2022, 1, 1, 0, 0, 0, 0}},
      {-1.25, {1899, 12, 29, 6, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    std::array<int, 7> parts{};
    rtl::DecodeDate(c.Value, parts[0], parts[1], parts[2]);
    rtl::DecodeTime(c.Value, parts[3], parts[4], parts[5], parts[6]);
    EXPECT_EQ(parts, c.Parts) << c.Value;
  }
}

TEST(DateTime, ImpossibleDatesTimesAndValuesAreRefused) {
  for (const auto& [y, m, d] : {std::array{2019, 2, 29}, {2020, 13, 1}, {0, 1, 1}, {10000, 1, 1}}) {
    EXPECT_THROW(rtl::EncodeDate(y, m, d), EConvertError) << y << "-" << m << "-" << d;
  }
  EXPECT_THROW(rtl::EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(rtl::EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW(rtl::EncodeTime(0, 0, 0, 1000), EConvertError);
  int y = 0, m = 0, d = 0;
  for (double value : {1e300, std::nan(""), -1e7}) EXPECT_THROW(rtl::DecodeDate(value, y, m, d), EConvertError);
}

TEST(DateTime, TimeZoneBiasFollowsTheZone) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "XST-3", 1);  // three hours east of UTC, no daylight time
  tzset();
  EXPECT_EQ(rtl::LocalTimeZoneBias(), -180);
  setenv("TZ", "YST5", 1);
  tzset();
  EXPECT_EQ(rtl::LocalTimeZoneBias(), 300);
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
}
