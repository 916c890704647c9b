#include "app/LanguageFile.h"

#include <filesystem>

#include "app/TextFile.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr int SkippedLines = 7;

int ParseCharset(const std::string& field) {
  std::int32_t charset = Tgerelanguage::DefaultCharset;
  return rtl::TryStrToInt(rtl::Trim(field), charset) ? charset : Tgerelanguage::DefaultCharset;
}

}  // namespace

bool Tgerelanguage::Load() {
  Loaded = false;
  Texts.fill({});
  std::error_code error;
  // Only a regular file: a pipe in its place would block the start.
  if (!std::filesystem::is_regular_file(FileName, error)) return false;
  TTextFile file;
  file.Separator = ';';
  file.KeptLineLength = MaxLineLength;
  file.ReadFileLength = MaxFileLength;
  try {
    file.SetFileName(FileName);
    if (!ReadHeader(file)) return false;
    Loaded = ReadTexts(file) > 0;
  } catch (const std::exception&) {
    Loaded = false;
  }
  return Loaded;
}

const std::string& Tgerelanguage::GetText(int n) const {
  static const std::string None;
  return n >= 1 && n <= MaxTexts ? Texts[n - 1] : None;
}

bool Tgerelanguage::ReadHeader(TTextFile& file) {
  try {
    const std::string languageName = file.GetField(2);
    file.ReadLine();
    const std::string fontName = file.GetField(2);
    file.ReadLine();
    Charset = ParseCharset(file.GetField(2));
    LanguageName = rtl::CharsetToUtf8(languageName, Charset);
    FontName = rtl::CharsetToUtf8(fontName, Charset);
    for (int i = 0; i < SkippedLines + 1; ++i) file.ReadLine();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int Tgerelanguage::ReadTexts(TTextFile& file) {
  int count = 0;
  while (!file.Eof() && count < MaxTexts) {
    const std::string first = file.GetField(1);
    const std::string second = file.GetField(2);
    Texts[count++] = rtl::CharsetToUtf8(rtl::Trim(second).empty() ? first : second, Charset);
    file.ReadLine();
  }
  return count;
}
