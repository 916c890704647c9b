#include "xml/Base64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "tests/xml/TreeOracle.h"
#include "xml/BinHex.h"
#include "xml/XmlTypes.h"

namespace {

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

std::string Decode(const std::string& text, std::size_t size) {
  std::string out(size, '\0');
  xml::DecodeBase64(text, out.data(), size);
  return out;
}

std::string Message(void (*action)()) {
  try {
    action();
  } catch (const EXmlError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(Base64, Rfc4648Vectors) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},  {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(xml::EncodeBase64(plain, std::strlen(plain)), encoded);
    EXPECT_EQ(Decode(encoded, std::strlen(plain)), plain);
    EXPECT_EQ(xml::Base64DecodedSize(encoded), std::strlen(plain));
  }
}

TEST(Base64, MatchesCoreutilsOnRandomData) {
  for (std::size_t size : {1u, 2u, 3u, 57u, 1000u, 65537u}) {
    const std::string bytes = RandomBytes(size, static_cast<unsigned>(size));
    const std::string reference = xmltest::RunCommand("base64 -w0", bytes);
    ASSERT_FALSE(reference.empty());
    EXPECT_EQ(xml::EncodeBase64(bytes.data(), bytes.size()), reference);
    EXPECT_EQ(Decode(reference, size), bytes);
  }
}

TEST(Base64, WhiteSpaceAnywhereIsIgnored) {
  const std::string bytes = RandomBytes(300, 1);
  const std::string wrapped = xmltest::RunCommand("base64 -w 7 | sed 's/^/ \\t/'", bytes);
  ASSERT_NE(wrapped.find('\n'), std::string::npos);
  EXPECT_EQ(xml::Base64DecodedSize(wrapped), bytes.size());
  EXPECT_EQ(Decode(wrapped, bytes.size()), bytes);
  EXPECT_EQ(Decode("Zm\r\n9v Yg\t= =", 4), "foob");
}

TEST(Base64, BadTextRaisesClearErrors) {
  EXPECT_EQ(Message([] { Decode("Zm9vY", 3); }), "Error while calculating streamlength");
  EXPECT_EQ(Message([] { Decode("Zm9v", 4); }), "Missing data in binary stream");
  EXPECT_EQ(Message([] { Decode("Zm9v!m9v", 6); }), "Invalid character in binary stream");
  EXPECT_EQ(Message([] { Decode("Zg==Zm9v", 4); }), "Invalid character in binary stream");
  EXPECT_EQ(Message([] { Decode("Z===", 1); }), "Invalid character in binary stream");
  EXPECT_EQ(Message([] { Decode("\xC3\xA9\xC3\xA9", 3); }), "Invalid character in binary stream");
}

// Decoding never writes past the bytes asked for, whatever the text holds
// (AddressSanitizer watches the exact-size buffers).
TEST(Base64, NeverWritesPastTheRequestedSize) {
  const std::string text = xml::EncodeBase64("abcdefghij", 10);
  for (std::size_t size = 0; size <= 10; ++size) {
    auto out = std::make_unique<char[]>(size ? size : 1);
    xml::DecodeBase64(text, out.get(), size);
    EXPECT_EQ(std::string(out.get(), size), std::string("abcdefghij", size));
  }
}

TEST(BinHex, MatchesPythonHexOnRandomData) {
  const std::string bytes = RandomBytes(1000, 3);
  const std::string reference =
      xmltest::RunCommand("python3 -c \"import sys; print(sys.stdin.buffer.read().hex().upper(), end='')\"", bytes);
  EXPECT_EQ(xml::EncodeBinHex(bytes.data(), bytes.size()), reference);
  std::string lower = reference;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string out(bytes.size(), '\0');
  xml::DecodeBinHex(lower, out.data(), out.size());
  EXPECT_EQ(out, bytes);
  EXPECT_EQ(xml::BinHexDecodedSize(" 0A\r\n1B "), 2u);
}

TEST(BinHex, BadTextRaisesClearErrors) {
  char out[4];
  EXPECT_EQ(Message([] {
              char b[3];
              xml::DecodeBinHex("0A1B", b, 3);
            }),
            "Missing data in binary stream");
  EXPECT_EQ(Message([] {
              char b[2];
              xml::DecodeBinHex("0G1B", b, 2);
            }),
            "Invalid character in binary stream");
  xml::DecodeBinHex("0a 1B\n2c", out, 3);
  EXPECT_EQ(std::string(out, 3), "\x0A\x1B\x2C");
}
