#include "app/LanguageFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/app/AppTestSupport.h"

namespace {

using apptest::EncodeWithIconvCommand;
using apptest::TTempFolder;
using apptest::WriteBytes;

// A language file: header, seven lines the reader skips, then the text lines.
std::string LanguageFile(const std::string& name, const std::string& charset, const std::vector<std::string>& texts) {
  std::string file = "Langue;" + name + "\nPolice;Arial\nJeu;" + charset + "\n";
  for (int i = 4; i <= 10; ++i) file += "ignored " + std::to_string(i) + ";header\n";
  for (const auto& text : texts) file += text + "\n";
  return file;
}

struct TCodePageCase {
  int Charset;
  const char* CodePage;
  const char* LanguageName;
  std::vector<std::string> Texts;  // UTF-8, as they must come back
};

TEST(LanguageFile, TextsInOtherCodePagesDecode) {
  const TCodePageCase cases[] = {
      {204, "CP1251", "Русский", {"Загрузить", "Сохранить данные", "Ёлка ёж"}},
      {0, "CP1252", "Français", {"Définition Etiquettes", "Coût : 5 €", "Œuvre « ß »"}},
      {238, "CP1250", "Polski", {"Łódź", "Zażółć gęślą jaźń"}},
      {161, "CP1253", "Ελληνικά", {"Φόρτωση", "Αποθήκευση"}},
      {128, "CP932", "日本語", {"読み込み", "保存する"}},
  };
  const TTempFolder folder;
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < c.Texts.size(); ++i) lines.push_back(std::to_string(i + 1) + ";" + c.Texts[i]);
    const std::string utf8 = LanguageFile(c.LanguageName, std::to_string(c.Charset), lines);
    const std::string encoded = EncodeWithIconvCommand(utf8, c.CodePage);
    ASSERT_NE(encoded, utf8) << c.CodePage << ": the file must not be UTF-8";
    WriteBytes(folder.File("mirqoven.lg"), encoded);

    Tgerelanguage language(folder.File("mirqoven.lg"));
    ASSERT_TRUE(language.Load()) << c.CodePage;
    EXPECT_EQ(language.GetCharset(), c.Charset);
    EXPECT_EQ(language.GetLanguageName(), c.LanguageName);
    EXPECT_EQ(language.GetFontName(), "Arial");
    for (std::size_t i = 0; i < c.Texts.size(); ++i) EXPECT_EQ(language.GetText(static_cast<int>(i + 1)), c.Texts[i]);
    EXPECT_EQ(language.GetText(static_cast<int>(c.Texts.size() + 1)), "");
  }
}

TEST(LanguageFile, TextChoiceAndNumbering) {
  const TTempFolder folder;
  WriteBytes(folder.File("l.lg"), LanguageFile("English", "0", {"1;Load", "12;", "x; ", "99;Fourth", "last only"}));
  Tgerelanguage language(folder.File("l.lg"));
  ASSERT_TRUE(language.Load());
  EXPECT_EQ(language.GetText(1), "Load");
  EXPECT_EQ(language.GetText(2), "12");
  EXPECT_EQ(language.GetText(3), "x");
  EXPECT_EQ(language.GetText(4), "Fourth");  // the position counts, not the number written
  EXPECT_EQ(language.GetText(5), "last only");
  EXPECT_EQ(language.GetText(6), "");
  EXPECT_EQ(language.GetText(0), "");
  EXPECT_EQ(language.GetText(301), "");
}

TEST(LanguageFile, BlankLinesReadTheSameAsWithout) {
  const std::vector<std::string> texts = {"1;One", "2;Two", "3;Three"};
  const std::string plain = LanguageFile("English", "0", texts);
  std::string spaced;
  for (const char c : plain) spaced += c == '\n' ? std::string("\r\n \t\r\n\n") : std::string(1, c);
  const TTempFolder folder;
  WriteBytes(folder.File("plain.lg"), plain);
  WriteBytes(folder.File("spaced.lg"), "\n\n" + spaced);
  Tgerelanguage a(folder.File("plain.lg"));
  Tgerelanguage b(folder.File("spaced.lg"));
  ASSERT_TRUE(a.Load());
  ASSERT_TRUE(b.Load());
  EXPECT_EQ(b.GetLanguageName(), a.GetLanguageName());
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(b.GetText(n), a.GetText(n)) << n;
  EXPECT_EQ(b.GetText(3), "Three");
}

TEST(LanguageFile, AtMost300Texts) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 305; ++i) lines.push_back(std::to_string(i) + ";Text " + std::to_string(i));
  const TTempFolder folder;
  WriteBytes(folder.File("l.lg"), LanguageFile("English", "0", lines));
  Tgerelanguage language(folder.File("l.lg"));
  ASSERT_TRUE(language.Load());
  EXPECT_EQ(language.GetText(300), "Text 300");
  EXPECT_EQ(language.GetText(301), "");
}

TEST(LanguageFile, CharsetThatIsNotANumberReadsAsTheDefault) {
  const TTempFolder folder;
  WriteBytes(folder.File("l.lg"), LanguageFile("Fran\xE7" "ais", "cyrillic", {"1;Caf\xE9"}));
  Tgerelanguage language(folder.File("l.lg"));
  ASSERT_TRUE(language.Load());
  EXPECT_EQ(language.GetCharset(), 1);
  EXPECT_EQ(language.GetText(1), "Café");
  EXPECT_EQ(language.GetLanguageName(), "Français");
}

TEST(LanguageFile, FilesThatAreNotLanguageFilesLeaveItUnloaded) {
  const TTempFolder folder;
  std::filesystem::create_directory(folder.File("dir.lg"));
  ASSERT_EQ(::mkfifo(folder.File("pipe.lg").c_str(), 0600), 0);
  WriteBytes(folder.File("empty.lg"), "");
  WriteBytes(folder.File("header.lg"), LanguageFile("English", "0", {}));
  WriteBytes(folder.File("blank.lg"), "\n \n\t\n");
  for (const char* name : {"missing.lg", "dir.lg", "pipe.lg", "empty.lg", "header.lg", "blank.lg"}) {
    Tgerelanguage language(folder.File(name));
    EXPECT_FALSE(language.Load()) << name;
    EXPECT_FALSE(language.GetLoaded()) << name;
  }
}

TEST(LanguageFile, OverlongLinesAreCutAndTheLinesAfterThemKeepTheirNumbers) {
  const std::size_t kept = Tgerelanguage::MaxLineLength;
  const std::string longName(3 * kept, 'N');
  const std::string longText(kept * 256, 'W');
  const TTempFolder folder;
  WriteBytes(folder.File("l.lg"), LanguageFile(longName, "0", {"1;One", "2;" + longText, "3;Three"}));
  Tgerelanguage language(folder.File("l.lg"));
  ASSERT_TRUE(language.Load());
  EXPECT_EQ(language.GetLanguageName(), longName.substr(0, kept - std::string("Langue;").size()));
  EXPECT_EQ(language.GetFontName(), "Arial");
  EXPECT_EQ(language.GetText(1), "One");
  EXPECT_EQ(language.GetText(2), longText.substr(0, kept - 2));
  EXPECT_EQ(language.GetText(3), "Three");
  EXPECT_EQ(language.GetText(4), "");
}

}  // namespace
