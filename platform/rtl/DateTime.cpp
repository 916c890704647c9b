#include "platform/rtl/DateTime.h"

#include <cmath>
#include <ctime>

#include "platform/rtl/Exception.h"

namespace rtl {
namespace {

// Days from 1899-12-30 to 0001-01-01 and past 9999-12-31.
constexpr std::int64_t kFirstDay = -693593;
constexpr std::int64_t kLastDay = 2958465;

// Days since 1970-01-01 of a proleptic Gregorian date, and back
// (H. Hinnant's civil calendar algorithms).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t kEpochOffset = 25569;  // 1970-01-01 minus 1899-12-30

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The whole day count and the milliseconds into that day.
void SplitDateTime(TDateTime value, std::int64_t& days, std::int64_t& msOfDay) {
  if (!std::isfinite(value) || value < kFirstDay - 1 || value > kLastDay + 1)
    throw EConvertError("Invalid date-time value");
  const double whole = std::trunc(value);
  days = static_cast<std::int64_t>(whole);
  msOfDay = static_cast<std::int64_t>(std::nearbyint(std::fabs(value - whole) * MSecsPerDay));
  if (msOfDay >= MSecsPerDay) {
    msOfDay -= MSecsPerDay;
    days += value < 0 ? -1 : 1;
  }
  if (days < kFirstDay || days > kLastDay) throw EConvertError("Invalid date-time value");
}

}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    throw EConvertError("Invalid argument to date encode");
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                             kEpochOffset);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    throw EConvertError("Invalid argument to time encode");
  return (((hour * 60 + minute) * 60 + second) * 1000 + millisecond) / static_cast<double>(MSecsPerDay);
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  std::int64_t days = 0;
  std::int64_t ms = 0;
  SplitDateTime(value, days, ms);
  CivilFromDays(days - kEpochOffset, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  std::int64_t days = 0;
  std::int64_t ms = 0;
  SplitDateTime(value, days, ms);
  millisecond = static_cast<int>(ms % 1000);
  second = static_cast<int>(ms / 1000 % 60);
  minute = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
}

int LocalTimeZoneBias() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<int>(-local.tm_gmtoff / 60);
}

}  // namespace rtl
