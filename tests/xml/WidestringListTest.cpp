#include "xml/WidestringList.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringList.h"
#include "tests/xml/TestSupport.h"

using Lines = std::vector<std::u16string>;

namespace {

Lines Items(const TsdWidestringList& list) {
  Lines items;
  for (int i = 0; i < list.GetCount(); ++i) items.push_back(list.GetStrings(i));
  return items;
}

}  // namespace

TEST(WidestringList, TextSplitsAtEveryKindOfBreakAndJoinsWithCrLf) {
  const std::pair<std::u16string, Lines> cases[] = {
      {u"a\r\nb\n\nc", {u"a", u"b", u"", u"c"}},
      {u"a\rb\n\r", {u"a", u"b", u""}},  // LF then CR are two breaks; the final one adds nothing
      {u"", {}},
      {u"\u00e9t\u00e9\r\n\U0001F600", {u"\u00e9t\u00e9", u"\U0001F600"}},
  };
  TsdWidestringList list;
  for (const auto& [text, lines] : cases) {
    list.SetText(text);
    EXPECT_EQ(Items(list), lines);
  }
  list.SetText(u"a\nb");
  EXPECT_EQ(list.GetText(), u"a\r\nb");
  list.AddStrings(list);  // doubles once
  list.Add(u"");
  EXPECT_EQ(list.GetText(), u"a\r\nb\r\na\r\nb\r\n");
  EXPECT_EQ(xmltest::MessageOf([&] { list.GetStrings(5); }), "List index out of bounds");
}

TEST(WidestringList, ChangesAreBracketedByTheEvents) {
  TsdWidestringList list;
  std::string log;
  list.OnChanging = [&](TPersistent*) { log += '<'; };
  list.OnChange = [&](TPersistent*) {
    log += '>';
    if (log.size() == 2) throw Exception("handler failed");  // must not leave the update count at 1
  };
  EXPECT_THROW(list.Add(u"x"), Exception);
  list.SetText(u"a\nb\nc");  // one bracket around the clear and the adds
  TStringList narrow;
  narrow.Add("caf\xE9");
  narrow.Add("\x80uro");
  list.Assign(&narrow);
  EXPECT_EQ(Items(list), (Lines{u"caf\u00e9", u"\u20acuro"}));
  EXPECT_EQ(log, "<><><>");
  TComponent component(nullptr);
  EXPECT_EQ(xmltest::MessageOf([&] { list.Assign(&component); }), "Cannot assign a TComponent to a TsdWidestringList");
}

TEST(WideText, CopyAndScanLineCountFromOne) {
  const std::tuple<int, int, std::u16string> copies[] = {
      {2, 3, u"bcd"}, {5, 10, u"ef"}, {6, 1, u"f"}, {7, 1, u""}, {0, 3, u""}, {-4, 3, u""}, {2, -1, u""}};
  for (const auto& [start, count, expected] : copies) EXPECT_EQ(xml::WideCopy(u"abcdef", start, count), expected);
  std::int64_t position = 1;
  std::vector<std::int64_t> lengths;
  for (int i = 0; i < 7; ++i) lengths.push_back(xml::WideScanLine(u"ab\r\ncde\n\rf\r\n", position));
  // LF then CR: an empty line between; -2 for the empty line after the last break.
  EXPECT_EQ(lengths, (std::vector<std::int64_t>{2, 3, 0, 1, -2, -1, -1}));
  for (std::int64_t outside : {0, 99}) EXPECT_EQ(xml::WideScanLine(u"abc\n", outside), -1);
}
