#pragma once
// The framework's date-time value: days since 1899-12-30 as a double, the
// fraction being the time of day. Before that epoch the integral part counts
// days backwards while the fraction still counts time forwards (-1.25 is
// 1899-12-29 06:00).

#include <cstdint>

using TDateTime = double;

namespace rtl {

constexpr std::int32_t MSecsPerDay = 24 * 60 * 60 * 1000;

// Raise EConvertError "Invalid argument to date encode" / "... time encode"
// for values outside 1..9999-12-31 or 0..23:59:59.999.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

// Split a date-time rounded to the millisecond. Raise EConvertError
// "Invalid date-time value" when it is not finite or outside years 1..9999.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

// Minutes to add to local time to get UTC at this moment (daylight saving
// included): -60 in Central European winter time.
int LocalTimeZoneBias();

}  // namespace rtl
