#include "app/TextFile.h"

#include <algorithm>

namespace {

using TCharTraits = std::ifstream::traits_type;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsBlankLine(const std::string& line) { return std::all_of(line.begin(), line.end(), IsBlank); }

[[noreturn]] void RaiseFixedColumn(int n) {
  throw ETextFileError("Invalid fixed column position in index " + std::to_string(n));
}

}  // namespace

void TTextFile::SetFileName(const std::string& name) {
  if (name == FileName) return;
  File.close();
  Line.clear();
  AtEnd = true;
  FileName = name;
  if (name.empty()) return;
  File.open(name, std::ios::binary);
  LeftToRead = ReadFileLength;
  LineCount = 0;
  AtEnd = false;
  ReadLine();
}

bool TTextFile::ReadLine() {
  if (!File.is_open()) throw ETextFileError("No valid file selected");
  Line.clear();
  std::string next;
  while (!AtEnd && ReadBoundedLine(next)) {
    ++LineCount;
    if (!next.empty() && next.back() == '\r') next.pop_back();  // lines written with CR LF
    AtEnd = LeftToRead == 0 || File.rdbuf()->sgetc() == TCharTraits::eof();
    if (!IsBlankLine(next)) {
      Line = std::move(next);
      return true;
    }
  }
  AtEnd = true;
  return false;
}

bool TTextFile::ReadBoundedLine(std::string& next) {
  next.clear();
  std::streambuf& buffer = *File.rdbuf();
  for (; LeftToRead > 0 && next.size() < KeptLineLength; --LeftToRead) {
    const TCharTraits::int_type c = buffer.sbumpc();
    if (c == TCharTraits::eof()) {
      LeftToRead = 0;
      return !next.empty();
    }
    if (c == '\n') {
      --LeftToRead;
      return true;
    }
    next.push_back(TCharTraits::to_char_type(c));
  }
  if (LeftToRead > 0) SkipRestOfLine();
  // The part of the file that is read ends here: the line is whole only
  // when the file ends with it.
  return LeftToRead > 0 || buffer.sgetc() == TCharTraits::eof();
}

void TTextFile::SkipRestOfLine() {
  const auto asked = static_cast<std::streamsize>(std::min<std::size_t>(
      LeftToRead, static_cast<std::size_t>(std::numeric_limits<std::streamsize>::max())));
  File.ignore(asked, '\n');
  const std::streamsize skipped = File.gcount();
  LeftToRead = skipped < asked ? LeftToRead - static_cast<std::size_t>(skipped) : 0;
  if (File.eof()) LeftToRead = 0;
}

std::string TTextFile::GetField(int n) const {
  return FixedColumnMode ? FixedColumnField(n) : SeparatedField(n);
}

std::string TTextFile::FixedColumnField(int n) const {
  if (n < 1 || static_cast<std::size_t>(n) > FixedColumns.size()) RaiseFixedColumn(n);
  const TTextFileColumn& column = FixedColumns[n - 1];
  if (column.Start < 1 || column.Start >= column.End) RaiseFixedColumn(n);
  const auto start = static_cast<std::size_t>(column.Start - 1);
  if (start >= Line.size()) return {};
  return Line.substr(start, static_cast<std::size_t>(column.End - column.Start));
}

bool TTextFile::IsSeparator(char c) const { return Separator == 0 ? IsBlank(c) : c == Separator; }

std::string TTextFile::SeparatedField(int n) const {
  const std::size_t size = Line.size();
  const auto nextSeparator = [&](std::size_t from) {
    while (from < size && !IsSeparator(Line[from])) ++from;
    return from;
  };
  std::size_t position = 0;
  int count = 0;
  std::string field;
  while (position < size && count < n) {
    if (Separator == 0) {
      while (position < size && IsBlank(Line[position])) ++position;
    } else if (count > 0 && Line[position] == Separator) {
      ++position;
    }
    if (position >= size) break;
    ++count;
    if (Quote != 0 && Line[position] == Quote) {
      const std::size_t start = position + 1;
      const std::size_t end = std::min(Line.find(Quote, start), size);
      field = Line.substr(start, end - start);
      position = nextSeparator(end);
    } else {
      const std::size_t end = nextSeparator(position);
      field = Line.substr(position, end - position);
      position = end;
    }
    if (Quote != 0 && !field.empty() && field.back() == Quote) field.pop_back();
  }
  return count == n && !field.empty() ? field : std::string();
}
