#include "app/TextFile.h"

#include <gtest/gtest.h>

#include "tests/app/AppTestSupport.h"
#include "tests/barcode/BarcodeTestSupport.h"

namespace {

using apptest::TTempFolder;
using apptest::WriteBytes;

using bctest::MessageOf;

TEST(TextFile, ErrorMessages) {
  TTextFile none;
  EXPECT_THROW(none.ReadLine(), ETextFileError);
  EXPECT_EQ(MessageOf([&] { none.ReadLine(); }), "No valid file selected");
  const TTempFolder folder;
  TTextFile missing;
  EXPECT_EQ(MessageOf([&] { missing.SetFileName(folder.File("missing.txt")); }), "No valid file selected");

  TTextFile fixed;
  fixed.FixedColumnMode = true;
  fixed.FixedColumns = {{1, 4}, {5, 5}, {0, 3}};
  EXPECT_EQ(MessageOf([&] { fixed.GetField(1); }), "<no exception>");
  EXPECT_EQ(MessageOf([&] { fixed.GetField(2); }), "Invalid fixed column position in index 2");
  EXPECT_EQ(MessageOf([&] { fixed.GetField(3); }), "Invalid fixed column position in index 3");
  EXPECT_EQ(MessageOf([&] { fixed.GetField(4); }), "Invalid fixed column position in index 4");
}

// Reads the one line of a file with the given splitting settings.
TTextFile& Load(TTextFile& file, const TTempFolder& folder, const std::string& line) {
  WriteBytes(folder.File("line.txt"), line + "\n");
  file.SetFileName(folder.File("line.txt"));
  return file;
}

struct TFieldCase {
  const char* Line;
  char Separator;
  char Quote;
  std::vector<std::string> Fields;  // fields 1, 2, ...
};

TEST(TextFile, FieldsBySeparatorBlanksAndQuotes) {
  const TFieldCase cases[] = {
      {"a;;c", ';', 0, {"a", "", "c", ""}},
      {"12;", ';', 0, {"12", ""}},
      {"x; ", ';', 0, {"x", " "}},
      {";b", ';', 0, {"", "b"}},
      {"  a \t b  c ", 0, 0, {"a", "b", "c", ""}},
      {"\"a;b\";c", ';', '"', {"a;b", "c", ""}},
      {"\"open;end", ';', '"', {"open;end", ""}},
      {"ab\";c", ';', '"', {"ab", "c"}},
      {"\"q\"tail;next", ';', '"', {"q", "next"}},
  };
  const TTempFolder folder;
  for (const auto& c : cases) {
    TTextFile file;
    file.Separator = c.Separator;
    file.Quote = c.Quote;
    Load(file, folder, c.Line);
    for (std::size_t n = 0; n < c.Fields.size(); ++n)
      EXPECT_EQ(file.GetField(static_cast<int>(n + 1)), c.Fields[n]) << c.Line << " field " << n + 1;
  }
}

TEST(TextFile, FieldsByFixedColumns) {
  const TTempFolder folder;
  TTextFile file;
  file.FixedColumnMode = true;
  file.FixedColumns = {{1, 4}, {4, 12}, {20, 25}};
  Load(file, folder, "ABCDEFGH");
  EXPECT_EQ(file.GetField(1), "ABC");
  EXPECT_EQ(file.GetField(2), "DEFGH");
  EXPECT_EQ(file.GetField(3), "");
}

TEST(TextFile, BlankLinesAreSkippedAndCounted) {
  const TTempFolder folder;
  WriteBytes(folder.File("t.txt"), "first\r\n\r\n \t \n\nsecond\n  \n");
  TTextFile file;
  file.SetFileName(folder.File("t.txt"));
  EXPECT_EQ(file.GetLine(), "first");
  EXPECT_EQ(file.GetLineCount(), 1);
  EXPECT_FALSE(file.Eof());
  EXPECT_TRUE(file.ReadLine());
  EXPECT_EQ(file.GetLine(), "second");
  EXPECT_EQ(file.GetLineCount(), 5);
  EXPECT_FALSE(file.Eof());
  EXPECT_FALSE(file.ReadLine());
  EXPECT_EQ(file.GetLine(), "");
  EXPECT_TRUE(file.Eof());
  EXPECT_FALSE(file.ReadLine());
}

TEST(TextFile, LastLineWithoutLineEndAndReopening) {
  const TTempFolder folder;
  WriteBytes(folder.File("a.txt"), "one\ntwo");
  WriteBytes(folder.File("b.txt"), "\n\nthree\n");
  TTextFile file;
  file.SetFileName(folder.File("a.txt"));
  EXPECT_TRUE(file.ReadLine());
  EXPECT_EQ(file.GetLine(), "two");
  EXPECT_FALSE(file.Eof());
  file.SetFileName(folder.File("b.txt"));
  EXPECT_EQ(file.GetLine(), "three");
  EXPECT_EQ(file.GetLineCount(), 3);
  file.SetFileName("");
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.Eof());
}

TEST(TextFile, LinesKeepTheirFirstBytesAndTheFileEndsAtItsBound) {
  const TTempFolder folder;
  const std::string longLine = std::string(100, 'x') + "TAIL";
  WriteBytes(folder.File("t.txt"), "short\n" + longLine + "\r\n" + "after\r\n" + "0123456789\n" + "cut here\n");
  TTextFile file;
  file.KeptLineLength = 10;
  file.ReadFileLength = 6 + longLine.size() + 2 + 7 + 11 + 3;  // up to "cut" of the last line
  file.SetFileName(folder.File("t.txt"));
  EXPECT_EQ(file.GetLine(), "short");
  ASSERT_TRUE(file.ReadLine());
  EXPECT_EQ(file.GetLine(), "xxxxxxxxxx");
  ASSERT_TRUE(file.ReadLine());
  EXPECT_EQ(file.GetLine(), "after");
  EXPECT_EQ(file.GetLineCount(), 3);
  ASSERT_TRUE(file.ReadLine());
  EXPECT_EQ(file.GetLine(), "0123456789");
  EXPECT_FALSE(file.ReadLine()) << "the line the bound cuts is not read";
  EXPECT_TRUE(file.Eof());

  // A bound at the very end of a file without a final line end cuts nothing.
  WriteBytes(folder.File("u.txt"), "one\nlast");
  TTextFile whole;
  whole.ReadFileLength = 8;
  whole.SetFileName(folder.File("u.txt"));
  ASSERT_TRUE(whole.ReadLine());
  EXPECT_EQ(whole.GetLine(), "last");
  EXPECT_FALSE(whole.ReadLine());
}

}  // namespace
