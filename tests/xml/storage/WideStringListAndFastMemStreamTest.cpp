// The wide string list and the fast memory stream.

#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringList.h"
#include "tests/xml/TestSupport.h"
#include "xml/storage/FastMemStream.h"
#include "xml/storage/WidestringList.h"

using Lines = std::vector<std::u16string>;

namespace {

Lines Items(const TsdWidestringList& list) {
  Lines items;
  for (int i = 0; i < list.GetCount(); ++i) items.push_back(list.GetStrings(i));
  return items;
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

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

TEST(FastMemStream, CapacityGrowsTo8192ThenByFourReckonedIn64Bits) {
  TFastMemStream stream;
  EXPECT_EQ(stream.Write(std::string(10000, 'b').data(), 10000), 10000);
  EXPECT_EQ(stream.GetCapacity(), 32768);
  const std::pair<std::int64_t, std::int64_t> capacities[] = {
      {0, 0}, {1, 8192}, {8193, 32768}, {std::int64_t{1} << 31, std::int64_t{1} << 31},
      {(std::int64_t{1} << 31) + 1, std::int64_t{1} << 33}, {kMax - 5, kMax - 5}};  // past the last power: the size
  for (const auto& [size, capacity] : capacities) EXPECT_EQ(TFastMemStream::CapacityFor(size), capacity) << size;
}

TEST(FastMemStream, PositionsAreNotClampedAndNegativeOnesMoveNoByte) {
  TFastMemStream stream;
  stream.WriteBuffer("abcdef", 6);
  char buffer[16] = {};
  stream.SetPosition(4);
  EXPECT_EQ(stream.Read(buffer, 16), 2);
  stream.SetPosition(-3);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_EQ(stream.Write("x", 1), 0);
  stream.SetPosition(0);
  EXPECT_EQ(stream.Read(buffer, -1), 0);
  EXPECT_EQ(stream.Write("x", -1), 0);
  stream.SetPosition(6);
  stream.SetSize(3);
  EXPECT_EQ(stream.GetPosition(), 3) << "a position past the new size moves to the end";
  EXPECT_EQ(stream.Seek(2, TSeekOrigin::soEnd), 5);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 6), std::string("abc\0\0z", 6));
  EXPECT_THROW(stream.Seek(kMax, TSeekOrigin::soEnd), EStreamError);
  EXPECT_THROW(stream.SetSize(-1), EStreamError);
  stream.SetPosition(kMax);
  EXPECT_EQ(stream.Write("x", 1), 0);  // its end would overflow
  stream.SetPosition(std::int64_t{5} << 30);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
}
