#pragma once
// Date-time text of XML values: "yyyy-mm-dd" for a date without time, else
// "yyyy-mm-ddThh:nn:ss.zzzZ", or with the zone option and a local time zone
// other than UTC "yyyy-mm-ddThh:nn:ss.zzz+hh:nn".

#include <string>
#include <string_view>

#include "platform/rtl/DateTime.h"

namespace xml {

// Raises EConvertError for values that are no date (not finite, out of the
// years 1..9999).
std::string FormatXmlDateTime(TDateTime value, bool zone);

// Reads the fields by their character positions; false when they do not make
// a date. With zone, a written offset is applied and the result is local time.
bool ParseXmlDateTime(std::string_view text, bool zone, TDateTime& value);

}  // namespace xml
