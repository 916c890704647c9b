#pragma once
// Tgerelanguage reads the language file: a header naming the language, the
// font of the forms and its character set, then one user-interface text per
// line. Lines are 8-bit text in the code page of that character set; the
// texts are kept as UTF-8.
//
// Non-blank lines only count, fields are separated by ";":
//   line 1, 2, 3   field 2: language name, font name, character set number
//   lines 4 to 10  skipped
//   line 11 on     text 1, 2, ...: field 2 unless it is blank, else field 1
//
// The file sits where a user may put any file in its place, so what is read
// of it is bounded far above any real language file: the first 512 MB of
// the file, and of each line its first 4096 bytes (the rest of a longer line
// is skipped, and the lines after it keep their numbers).

#include <array>
#include <cstddef>
#include <string>

class TTextFile;

class Tgerelanguage {
public:
  static constexpr int MaxTexts = 300;
  static constexpr int DefaultCharset = 1;
  static constexpr std::size_t MaxLineLength = 4096;
  static constexpr std::size_t MaxFileLength = std::size_t{512} << 20;

  explicit Tgerelanguage(std::string fileName = {}) : FileName(std::move(fileName)) {}

  // Reads the file. Loaded stays False when it is not a regular file, its
  // header cannot be read, or it holds no text line at all (then the
  // built-in texts serve instead of an interface without captions).
  bool Load();

  bool GetLoaded() const { return Loaded; }
  // Text n (1 to MaxTexts); empty when the file has no such text.
  const std::string& GetText(int n) const;
  const std::string& GetLanguageName() const { return LanguageName; }
  const std::string& GetFontName() const { return FontName; }
  int GetCharset() const { return Charset; }

  std::string FileName;

private:
  bool ReadHeader(TTextFile& file);
  // Returns the number of texts read.
  int ReadTexts(TTextFile& file);

  bool Loaded = false;
  std::array<std::string, MaxTexts> Texts;
  std::string LanguageName;
  std::string FontName;
  int Charset = DefaultCharset;
};
