#include "platform/rtl/Strings.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {
// glibc's iconv is an independent oracle for the code pages; empty when it refuses the input.
std::string Iconv(const char* to, const char* from, const std::string& input) {
  iconv_t cd = iconv_open(to, from);
  std::string out(input.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(input.data());
  char* o = out.data();
  std::size_t inLeft = input.size(), outLeft = out.size();
  const bool ok = iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  out.resize(ok ? out.size() - outLeft : 0);
  return out;
}
}  // namespace

TEST(Strings, Cp1252MatchesIconvForEveryDefinedByteAndKeepsTheUndefinedOnes) {
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    const std::string expected = Iconv("UTF-8", "CP1252", one);
    bool lossy = true;
    if (expected.empty()) {  // the five bytes Windows-1252 leaves undefined still round-trip
      EXPECT_EQ(rtl::Utf16ToCp1252(rtl::Cp1252ToUtf16(one)), one) << b;
      continue;
    }
    EXPECT_EQ(rtl::Cp1252ToUtf8(one), expected) << b;
    EXPECT_EQ(rtl::Utf8ToCp1252(expected, &lossy), one) << b;
    EXPECT_FALSE(lossy);
  }
  bool lossy = false;
  EXPECT_EQ(rtl::Utf16ToCp1252(u"a\u4E2Db\U0001F600c", &lossy), "a?b?c");
  EXPECT_TRUE(lossy) << "unmappable characters are reported, not hidden";
}

TEST(Strings, Utf8AndUtf16AgreeWithIconv) {
  const std::string text = "Prix: 12\xE2\x82\xAC \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 \xE4\xB8\xAD";
  const std::string utf16le = Iconv("UTF-16LE", "UTF-8", text);
  const std::u16string ours = rtl::Utf8ToUtf16(text);
  ASSERT_EQ(ours.size() * 2, utf16le.size());
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const auto low = static_cast<unsigned char>(utf16le[2 * i]), high = static_cast<unsigned char>(utf16le[2 * i + 1]);
    EXPECT_EQ(ours[i], low | high << 8) << i;
  }
  EXPECT_EQ(rtl::Utf16ToUtf8(ours), text);
}

TEST(Strings, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(rtl::Utf8ToUtf16("a\xC0\xAFz"), u"a\uFFFDz");   // overlong "/"
  EXPECT_EQ(rtl::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");  // encoded surrogate
  EXPECT_EQ(rtl::Utf8ToUtf16("\xE2\x82"), u"\uFFFD");      // truncated
  EXPECT_EQ(rtl::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Strings, TrimRemovesControlCharactersAndBlanks) {
  EXPECT_EQ(rtl::Trim(" \t123\r\n "), "123");
  EXPECT_EQ(rtl::Trim("\x83" "12 "), "\x83" "12");
  EXPECT_EQ(rtl::Trim("  "), "");
}

TEST(Strings, FontCharacterSetsReadInTheirCodePages) {
  struct TCase {
    int Charset;
    std::string Bytes;
    std::u16string Text;
  };
  const TCase cases[] = {
      {204, "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8", u"Привет Ё"},         // Russian, Windows-1251
      {238, "\xA3\xF3\x64\x9F", u"Łódź"},                          // Eastern Europe, Windows-1250
      {161, "\xC1\xE8\xE1", u"Αθα"},                              // Greek, Windows-1253
      {0, "Caf\xE9 \x80", u"Café €"},                              // ANSI, Windows-1252
      {1, "Caf\xE9 \x81", u"Café \u0081"},                         // default: Windows-1252, undefined bytes kept
      {999, "\xE9", u"é"},                                         // unknown sets read as Windows-1252
      {128, "\x93\xFA\x96\x7B", u"日本"},                          // Shift-JIS, two bytes a character
      {128, "a\x81", u"a\uFFFD"},                                  // a lead byte without its trail byte
      {222, "\xA1\xDB", u"ก\uFFFD"},                               // Thai: 0xDB is not defined
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::CharsetToUtf8(c.Bytes, c.Charset), rtl::Utf16ToUtf8(c.Text)) << c.Charset;
  }
  EXPECT_EQ(rtl::CharsetToUtf8("", 204), "");
}
