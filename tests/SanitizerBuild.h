#pragma once
// Whether the tests run under AddressSanitizer, where heavy work takes many
// times as long: a test whose point survives smaller data uses it there, and
// a measurement of time or memory means nothing there.

namespace testbuild {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool UnderSanitizer = true;
#elif defined(__has_feature)
inline constexpr bool UnderSanitizer = __has_feature(address_sanitizer);
#else
inline constexpr bool UnderSanitizer = false;
#endif

}  // namespace testbuild
