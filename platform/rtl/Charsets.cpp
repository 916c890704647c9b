#include "platform/rtl/Charsets.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace rtl {
namespace {

// XML's encoding names: a letter, then letters, digits, ".", "_" and "-".
// Anything else (such as iconv's "//TRANSLIT" suffixes) is no name.
bool IsCharsetName(std::string_view name) {
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (name.empty() || !isLetter(name.front())) return false;
  for (const char c : name) {
    if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return false;
  }
  return true;
}

// One conversion descriptor, closed on every path.
class Converter {
public:
  Converter(std::string_view to, std::string_view from, std::string_view named) {
    if (IsCharsetName(named)) Handle = iconv_open(std::string(to).c_str(), std::string(from).c_str());
    if (Handle == kInvalid) throw EConvertError(Format("Unknown character set \"%s\"", named));
  }
  ~Converter() { iconv_close(Handle); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of input; at a sequence that cannot be converted, asks
  // onError (given the rest of the input) how many bytes to skip.
  template <class OnError>
  std::string Run(std::string_view input, OnError&& onError) {
    std::string output;
    char buffer[4096];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t done = iconv(Handle, &in, &inLeft, &out, &outLeft);
      const int error = errno;
      output.append(buffer, static_cast<std::size_t>(out - buffer));
      if (done != static_cast<std::size_t>(-1) || error == E2BIG) continue;
      const std::size_t skip = onError(output, std::string_view(in, inLeft), error);
      in += skip;
      inLeft -= skip;
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(Handle, nullptr, nullptr, &out, &outLeft);  // the shift state back to its start
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    return output;
  }

private:
  static inline const auto kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t Handle = kInvalid;
};

// Length of the UTF-8 sequence that starts with the byte (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

bool IsKnownCharset(std::string_view charset) {
  if (!IsCharsetName(charset)) return false;
  const iconv_t handle = iconv_open("UTF-8", std::string(charset).c_str());
  if (handle == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(handle);
  return true;
}

std::string CharsetToUtf8(std::string_view bytes, std::string_view charset) {
  Converter converter("UTF-8", charset, charset);
  return converter.Run(bytes, [](std::string& output, std::string_view rest, int error) {
    output += "\xEF\xBF\xBD";
    // A sequence cut off by the end of the text is one bad character.
    return error == EINVAL ? rest.size() : std::size_t{1};
  });
}

std::string Utf8ToCharset(std::string_view utf8, std::string_view charset) {
  Converter converter(charset, "UTF-8", charset);
  return converter.Run(utf8, [charset](std::string&, std::string_view rest, int) -> std::size_t {
    const std::size_t length = std::min(rest.size(), Utf8SequenceLength(static_cast<unsigned char>(rest.front())));
    throw EConvertError(Format("Character not representable in %s: \"%s\"", charset, rest.substr(0, length)));
  });
}

}  // namespace rtl
