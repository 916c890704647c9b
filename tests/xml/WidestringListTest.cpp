#include "xml/WidestringList.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringList.h"

namespace {

std::vector<std::u16string> Items(const TsdWidestringList& list) {
  std::vector<std::u16string> items;
  for (int i = 0; i < list.GetCount(); ++i) items.push_back(list.GetStrings(i));
  return items;
}

// Records the change events of a list as a string: "<" changing, ">" changed.
struct EventLog {
  explicit EventLog(TsdWidestringList& list) {
    list.OnChanging = [this](TPersistent*) { Text += '<'; };
    list.OnChange = [this](TPersistent*) { Text += '>'; };
  }
  std::string Text;
};

}  // namespace

TEST(WidestringList, TextSplitsAtEveryKindOfBreak) {
  TsdWidestringList list;
  list.SetText(u"a\r\nb\n\nc");
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u"a", u"b", u"", u"c"}));
  list.SetText(u"a\rb\n\r");  // LF then CR are two breaks; the final one adds nothing
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u"a", u"b", u""}));
  list.SetText(u"one\r\n");
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u"one"}));
  list.SetText(u"\n");
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u""}));
  list.SetText(u"");
  EXPECT_EQ(list.GetCount(), 0);
  list.SetText(u"\u00e9t\u00e9\r\n\U0001F600");
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u"\u00e9t\u00e9", u"\U0001F600"}));
}

TEST(WidestringList, TextJoinsWithCrLfAndNoFinalBreak) {
  TsdWidestringList list;
  EXPECT_EQ(list.GetText(), u"");
  list.Add(u"a");
  list.Add(u"b");
  EXPECT_EQ(list.GetText(), u"a\r\nb");
  list.Add(u"");
  EXPECT_EQ(list.GetText(), u"a\r\nb\r\n");
}

TEST(WidestringList, EventsBracketEachChange) {
  TsdWidestringList list;
  EventLog log(list);
  EXPECT_EQ(list.Add(u"x"), 0);
  EXPECT_EQ(list.Add(u"y"), 1);
  EXPECT_EQ(log.Text, "<><>");
  log.Text.clear();
  list.SetText(u"a\nb\nc");  // one bracket around the clear and the three adds
  EXPECT_EQ(log.Text, "<>");
  log.Text.clear();
  TsdWidestringList other;
  other.SetText(u"p\nq");
  list.AddStrings(other);
  EXPECT_EQ(log.Text, "<><>");
  EXPECT_EQ(list.GetText(), u"a\r\nb\r\nc\r\np\r\nq");
  log.Text.clear();
  list.Clear();
  EXPECT_EQ(log.Text, "");
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(WidestringList, AddStringsOfItselfDoublesOnce) {
  TsdWidestringList list;
  list.SetText(u"a\nb");
  list.AddStrings(list);
  EXPECT_EQ(list.GetText(), u"a\r\nb\r\na\r\nb");
}

TEST(WidestringList, AssignFromBothKindsOfList) {
  TsdWidestringList list;
  EventLog log(list);
  list.SetText(u"old");
  log.Text.clear();
  TsdWidestringList wide;
  wide.SetText(u"\u0416\nz");
  list.Assign(&wide);
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u"\u0416", u"z"}));
  EXPECT_EQ(log.Text, "<>");

  TStringList narrow;
  narrow.Add("caf\xE9");
  narrow.Add("\x80uro");
  log.Text.clear();
  list.Assign(&narrow);
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u"caf\u00e9", u"\u20acuro"}));
  EXPECT_EQ(log.Text, "<>");

  list.Assign(&list);
  EXPECT_EQ(list.GetCount(), 2);

  TComponent component(nullptr);
  try {
    list.Assign(&component);
    FAIL() << "a component was assigned";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TComponent to a TsdWidestringList");
  }
}

TEST(WidestringList, IndexOutOfBounds) {
  TsdWidestringList list;
  list.Add(u"a");
  EXPECT_EQ(list.GetStrings(0), u"a");
  try {
    list.GetStrings(1);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds");
  }
  EXPECT_THROW(list.GetStrings(-1), EListError);
}

TEST(WidestringList, AFailingChangeHandlerLeavesTheBracketClosed) {
  TsdWidestringList list;
  int changes = 0;
  list.OnChange = [&](TPersistent*) {
    if (++changes == 1) throw Exception("handler failed");
  };
  EXPECT_THROW(list.Add(u"a"), Exception);
  list.Add(u"b");
  EXPECT_EQ(changes, 2);  // the update count went back to 0
}

TEST(WideText, WideCopyCountsFromOne) {
  EXPECT_EQ(xml::WideCopy(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(xml::WideCopy(u"abcdef", 5, 10), u"ef");
  EXPECT_EQ(xml::WideCopy(u"abcdef", 6, 1), u"f");
  EXPECT_EQ(xml::WideCopy(u"abcdef", 7, 1), u"");
  EXPECT_EQ(xml::WideCopy(u"abcdef", 0, 3), u"");
  EXPECT_EQ(xml::WideCopy(u"abcdef", -4, 3), u"");
  EXPECT_EQ(xml::WideCopy(u"abcdef", 2, 0), u"");
  EXPECT_EQ(xml::WideCopy(u"abcdef", 2, -1), u"");
  EXPECT_EQ(xml::WideCopy(u"", 1, 1), u"");
}

TEST(WideText, ScanLineWalksTheLines) {
  const std::u16string text = u"ab\r\ncde\n\rf\r\n";
  std::int64_t position = 1;
  EXPECT_EQ(xml::WideScanLine(text, position), 2);
  EXPECT_EQ(position, 5);
  EXPECT_EQ(xml::WideScanLine(text, position), 3);
  EXPECT_EQ(position, 9);
  EXPECT_EQ(xml::WideScanLine(text, position), 0);  // LF then CR: an empty line between
  EXPECT_EQ(position, 10);
  EXPECT_EQ(xml::WideScanLine(text, position), 1);
  EXPECT_EQ(position, 13);
  EXPECT_EQ(xml::WideScanLine(text, position), -2);  // the empty line after the last break
  EXPECT_EQ(xml::WideScanLine(text, position), -1);
  EXPECT_EQ(xml::WideScanLine(text, position), -1);

  position = 1;
  EXPECT_EQ(xml::WideScanLine(u"abc", position), 3);
  EXPECT_EQ(xml::WideScanLine(u"abc", position), -1);
  position = 1;
  EXPECT_EQ(xml::WideScanLine(u"", position), -1);
  position = 0;
  EXPECT_EQ(xml::WideScanLine(u"abc", position), -1);
  position = 99;
  EXPECT_EQ(xml::WideScanLine(u"abc\n", position), -1);
}
