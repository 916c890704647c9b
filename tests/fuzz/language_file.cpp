// Loads arbitrary bytes as the language file, then splits them line by line
// with a separator, quote and fixed columns taken from the first bytes. Every
// text must come out as well-formed UTF-8; the only exception allowed is the
// text file's own error for a bad fixed column.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/LanguageFile.h"
#include "app/TextFile.h"
#include "platform/rtl/Strings.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void RequireUtf8(const std::string& text) { Require(rtl::Utf16ToUtf8(rtl::Utf8ToUtf16(text)) == text); }

// A file holding the bytes, removed when this goes out of scope.
class TMemoryFile {
public:
  TMemoryFile(const std::uint8_t* data, std::size_t size) : Handle(::memfd_create("mirqoven.lg", MFD_CLOEXEC)) {
    Require(Handle >= 0);
    Require(::write(Handle, data, size) == static_cast<ssize_t>(size));
  }
  ~TMemoryFile() { ::close(Handle); }
  std::string Name() const { return "/proc/self/fd/" + std::to_string(Handle); }

private:
  int Handle;
};

void LoadLanguage(const std::string& fileName) {
  Tgerelanguage language(fileName);
  const bool loaded = language.Load();
  Require(loaded == language.GetLoaded());
  if (!loaded) return;
  RequireUtf8(language.GetLanguageName());
  RequireUtf8(language.GetFontName());
  for (int n = 0; n <= Tgerelanguage::MaxTexts + 1; ++n) RequireUtf8(language.GetText(n));
}

void SplitLines(const std::string& fileName, const std::uint8_t* data, std::size_t size) {
  if (size < 4) return;
  TTextFile file;
  file.Separator = static_cast<char>(data[0]);
  file.Quote = static_cast<char>(data[1]);
  file.FixedColumnMode = (data[2] & 1) != 0;
  file.FixedColumns = {{data[2] >> 1, data[3]}, {data[3], data[3] + data[2]}};
  try {
    file.SetFileName(fileName);
  } catch (const ETextFileError&) {
    return;
  }
  int lines = 0;
  while (!file.Eof()) {
    for (int n = 1; n <= 3; ++n) {
      try {
        const std::string field = file.GetField(n);
        Require(field.size() <= file.GetLine().size());
      } catch (const ETextFileError&) {
        Require(file.FixedColumnMode);
      }
    }
    const bool read = file.ReadLine();
    Require(read != file.Eof());
    Require(++lines <= file.GetLineCount());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TMemoryFile file(data, size);
  LoadLanguage(file.Name());
  SplitLines(file.Name(), data, size);
  return 0;
}
