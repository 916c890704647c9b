#pragma once
// Text of the program (UTF-8) as the Qt widgets take it.

#include <string_view>

#include <QString>

#include "app/UiTexts.h"

namespace app {

inline QString ToQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The interface's text of that number, in the language chosen.
inline QString UiText(int number) { return ToQString(pgloretlibmessage(number)); }

}  // namespace app
