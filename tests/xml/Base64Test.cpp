#include "xml/Base64.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/xml/TestSupport.h"
#include "xml/BinHex.h"
#include "xml/XmlTypes.h"

using namespace xmltest;

namespace {

std::string Decode(const std::string& text, std::size_t size) {
  std::string out(size, '\0');
  xml::DecodeBase64(text, out.data(), size);
  return out;
}

}  // namespace

TEST(Base64, MatchesCoreutils) {
  for (std::size_t size : {0u, 1u, 2u, 3u, 4u, 57u, 65537u}) {
    const std::string bytes = Pattern(size, static_cast<unsigned>(size));
    const std::string reference = RunCommand("base64 -w0", bytes);
    EXPECT_EQ(xml::EncodeBase64(bytes.data(), bytes.size()), reference);
    EXPECT_EQ(xml::Base64DecodedSize(reference), size);
    EXPECT_EQ(Decode(reference, size), bytes);
  }
  const std::string bytes = Pattern(300, 1);  // white space anywhere is ignored
  const std::string wrapped = RunCommand("base64 -w 7 | sed 's/^/ \\t/'", bytes);
  ASSERT_NE(wrapped.find('\n'), std::string::npos);
  EXPECT_EQ(xml::Base64DecodedSize(wrapped), bytes.size());
  EXPECT_EQ(Decode(wrapped, bytes.size()), bytes);
  EXPECT_EQ(Decode("Zm\r\n9v Yg\t= =", 4), "foob");
}

TEST(Base64, BadTextRaisesClearErrorsAndNothingIsWrittenPastTheSizeAsked) {
  const std::tuple<std::string, std::size_t, std::string> cases[] = {
      {"Zm9vY", 3, "Error while calculating streamlength"},
      {"Zm9v", 4, "Missing data in binary stream"},
      {"Zm9v!m9v", 6, "Invalid character in binary stream"},
      {"Zg==Zm9v", 4, "Invalid character in binary stream"},
      {"Z===", 1, "Invalid character in binary stream"},
      {"\xC3\xA9\xC3\xA9", 3, "Invalid character in binary stream"},
  };
  for (const auto& [text, size, message] : cases) EXPECT_EQ(MessageOf([&text = text, size = size] { Decode(text, size); }), message) << text;
  // AddressSanitizer watches the exact-size buffers.
  const std::string plain = "abcdefghij";
  const std::string text = xml::EncodeBase64(plain.data(), plain.size());
  for (std::size_t size = 0; size <= plain.size(); ++size) {
    auto out = std::make_unique<char[]>(size);
    xml::DecodeBase64(text, out.get(), size);
    EXPECT_EQ(std::string(out.get(), size), plain.substr(0, size));
  }
}

TEST(BinHex, MatchesPythonHexAndRaisesClearErrors) {
  const std::string bytes = Pattern(1000, 3);
  std::string reference =
      RunCommand("python3 -c \"import sys; print(sys.stdin.buffer.read().hex().upper(), end='')\"", bytes);
  EXPECT_EQ(xml::EncodeBinHex(bytes.data(), bytes.size()), reference);
  for (char& c : reference) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string out(bytes.size(), '\0');
  xml::DecodeBinHex(reference, out.data(), out.size());
  EXPECT_EQ(out, bytes);
  EXPECT_EQ(xml::BinHexDecodedSize(" 0A\r\n1B "), 2u);
  char three[3];
  EXPECT_EQ(MessageOf([&] { xml::DecodeBinHex("0A1B", three, 3); }), "Missing data in binary stream");
  EXPECT_EQ(MessageOf([&] { xml::DecodeBinHex("0G1B", three, 2); }), "Invalid character in binary stream");
}
