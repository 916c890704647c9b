#include "platform/rtl/Format.h"

#include <cstdio>

#include "platform/rtl/Exception.h"

namespace rtl {
namespace {

struct Directive {
  std::string spec;  // "%" flags width precision, without the conversion
  char conversion = 0;
};

// Reads one directive starting after '%'; returns the index after it.
std::size_t ParseDirective(std::string_view format, std::size_t i, Directive& d) {
  d.spec = "%";
  while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
    d.spec += format[i++];
  while (i < format.size() && format[i] >= '0' && format[i] <= '9') d.spec += format[i++];
  if (i < format.size() && format[i] == '.') {
    d.spec += format[i++];
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') d.spec += format[i++];
  }
  if (i >= format.size()) throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
  d.conversion = format[i];
  return i + 1;
}

template <class T>
std::string PrintfOne(const std::string& spec, T value) {
  char buffer[512];
  const int n = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), spec.c_str(), value);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

std::string FormatOne(std::string_view format, const Directive& d, const FormatArg& arg) {
  const auto mismatch = [&] {
    return EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
  };
  switch (d.conversion) {
    case 's': {
      const auto* text = std::get_if<std::string_view>(&arg);
      if (!text) throw mismatch();
      if (d.spec == "%") return std::string(*text);
      return PrintfOne(d.spec + "s", std::string(*text).c_str());
    }
    case 'd':
    case 'u':
    case 'x':
    case 'X': {
      long long value = 0;
      if (const auto* s = std::get_if<std::int64_t>(&arg)) value = *s;
      else if (const auto* u = std::get_if<std::uint64_t>(&arg)) value = static_cast<long long>(*u);
      else throw mismatch();
      const char conv = d.conversion == 'u' ? 'd' : d.conversion;
      if (const auto* u = std::get_if<std::uint64_t>(&arg); u && conv == 'd')
        return PrintfOne(d.spec + "llu", static_cast<unsigned long long>(*u));
      if (conv == 'd') return PrintfOne(d.spec + "lld", value);
      return PrintfOne(d.spec + "ll" + conv, static_cast<unsigned long long>(value));
    }
    case 'f':
    case 'g':
    case 'e': {
      double value = 0;
      if (const auto* f = std::get_if<double>(&arg)) value = *f;
      else if (const auto* s = std::get_if<std::int64_t>(&arg)) value = static_cast<double>(*s);
      else throw mismatch();
      return PrintfOne(d.spec + d.conversion, value);
    }
    default:
      throw mismatch();
  }
}

}  // namespace

std::string FormatArgs(std::string_view format, const std::vector<FormatArg>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    Directive d;
    i = ParseDirective(format, i + 1, d);
    if (next >= args.size())
      throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
    out += FormatOne(format, d, args[next++]);
  }
  return out;
}

}  // namespace rtl
