#pragma once
// printf-style formatting of messages: "%s", "%d", "%u", "%x", "%X", "%f",
// "%g", "%e" with flags, width and precision, and "%%". Arguments are checked
// against their directive, so a mismatch raises EConvertError instead of
// reading garbage.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rtl {

using FormatArg = std::variant<std::int64_t, std::uint64_t, double, std::string_view>;

std::string FormatArgs(std::string_view format, const std::vector<FormatArg>& args);

namespace detail {
template <class T>
FormatArg ToFormatArg(const T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    return std::int64_t{value};
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return std::int64_t{value};
  } else if constexpr (std::is_integral_v<T>) {
    return std::uint64_t{value};
  } else if constexpr (std::is_enum_v<T>) {
    return std::int64_t(static_cast<std::underlying_type_t<T>>(value));
  } else if constexpr (std::is_floating_point_v<T>) {
    return double{value};
  } else {
    return std::string_view(value);
  }
}
}  // namespace detail

template <class... Args>
std::string Format(std::string_view format, const Args&... args) {
  return FormatArgs(format, {detail::ToFormatArg(args)...});
}

}  // namespace rtl
