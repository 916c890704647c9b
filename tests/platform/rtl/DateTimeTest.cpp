#include "platform/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <ctime>

#include "platform/rtl/Exception.h"

// Day numbers computed with Python's datetime (days since 1899-12-30).
TEST(DateTime, EncodeDateMatchesIndependentDayCounts) {
  EXPECT_EQ(rtl::EncodeDate(2020, 2, 29), 43890);
  EXPECT_EQ(rtl::EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(rtl::EncodeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(rtl::EncodeDate(1899, 12, 29), -1);
  EXPECT_EQ(rtl::EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(rtl::EncodeDate(1899, 12, 30), 0);
}

TEST(DateTime, EncodeRefusesImpossibleDatesAndTimes) {
  EXPECT_THROW(rtl::EncodeDate(2019, 2, 29), EConvertError);
  EXPECT_THROW(rtl::EncodeDate(2020, 13, 1), EConvertError);
  EXPECT_THROW(rtl::EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(rtl::EncodeDate(10000, 1, 1), EConvertError);
  EXPECT_THROW(rtl::EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(rtl::EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW(rtl::EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(DateTime, DecodeRoundTripsEveryThousandthDay) {
  for (int day = -693593; day <= 2958465; day += 997) {
    int y = 0, m = 0, d = 0;
    rtl::DecodeDate(day, y, m, d);
    EXPECT_EQ(rtl::EncodeDate(y, m, d), day);
  }
}

TEST(DateTime, TimeOfDayRoundsToTheMillisecondAndCarries) {
  int h = 0, n = 0, s = 0, ms = 0;
  rtl::DecodeTime(rtl::EncodeDate(2021, 3, 4) + rtl::EncodeTime(13, 45, 6, 789), h, n, s, ms);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(n, 45);
  EXPECT_EQ(s, 6);
  EXPECT_EQ(ms, 789);
  // Half a millisecond before midnight is the next day.
  const double late = rtl::EncodeDate(2021, 12, 31) + (rtl::MSecsPerDay - 0.4) / rtl::MSecsPerDay;
  int y = 0, m = 0, d = 0;
  rtl::DecodeDate(late, y, m, d);
  rtl::DecodeTime(late, h, n, s, ms);
  EXPECT_EQ(y, 2022);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h + n + s + ms, 0);
}

TEST(DateTime, BeforeTheEpochTheFractionStillCountsForwards) {
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
  rtl::DecodeDate(-1.25, y, m, d);
  rtl::DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(h, 6);
}

TEST(DateTime, DecodeRefusesWhatIsNoDate) {
  int y = 0, m = 0, d = 0;
  EXPECT_THROW(rtl::DecodeDate(1e300, y, m, d), EConvertError);
  EXPECT_THROW(rtl::DecodeDate(std::nan(""), y, m, d), EConvertError);
  EXPECT_THROW(rtl::DecodeDate(-1e7, y, m, d), EConvertError);
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
