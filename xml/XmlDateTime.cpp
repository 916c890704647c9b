#include "xml/XmlDateTime.h"

#include <cstdlib>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"

namespace xml {
namespace {

// Characters first..last (counted from 1) as far as the text reaches.
std::string_view Field(std::string_view text, std::size_t first, std::size_t last) {
  if (first > text.size()) return {};
  return text.substr(first - 1, last - first + 1);
}

int NumberOrZero(std::string_view text) {
  std::int32_t v = 0;
  return rtl::TryStrToInt(text, v) ? v : 0;
}

}  // namespace

std::string FormatXmlDateTime(TDateTime value, bool zone) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
  rtl::DecodeDate(value, year, month, day);
  rtl::DecodeTime(value, hour, minute, second, ms);
  const std::string date = rtl::Format("%.4d-%.2d-%.2d", year, month, day);
  if (hour == 0 && minute == 0 && second == 0 && ms == 0) return date;
  const std::string time = rtl::Format("T%.2d:%.2d:%.2d.%.3d", hour, minute, second, ms);
  const int bias = zone ? rtl::LocalTimeZoneBias() : 0;
  if (bias == 0) return date + time + "Z";
  return date + time + rtl::Format("%s%.2d:%.2d", bias < 1 ? "+" : "-", std::abs(bias) / 60, std::abs(bias) % 60);
}

bool ParseXmlDateTime(std::string_view text, bool zone, TDateTime& value) {
  try {
    TDateTime result = rtl::EncodeDate(rtl::StrToInt(Field(text, 1, 4)), rtl::StrToInt(Field(text, 6, 7)),
                                       rtl::StrToInt(Field(text, 9, 10)));
    if (text.size() >= 17) {
      // Before the epoch the day count runs backwards but the time forwards.
      const double sign = result < 0 ? -1 : 1;
      result += sign * rtl::EncodeTime(rtl::StrToInt(Field(text, 12, 13)), rtl::StrToInt(Field(text, 15, 16)),
                                NumberOrZero(Field(text, 18, 19)), NumberOrZero(Field(text, 21, 23)));
    }
    if (zone) {
      if (text.size() > 24) {
        int offset = rtl::StrToInt(Field(text, 25, 26)) * 60 + rtl::StrToInt(Field(text, 28, 29));
        if (text[23] == '+') offset = -offset;
        result += offset / 1440.0;
      }
      result -= rtl::LocalTimeZoneBias() / 1440.0;
    }
    value = result;
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

}  // namespace xml
