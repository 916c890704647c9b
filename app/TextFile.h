#pragma once
// TTextFile reads a text file line by line, skipping blank lines (nothing but
// spaces and tabs), and splits the current line into fields: by a separator
// character, by runs of blanks, or by fixed columns. What it keeps can be
// bounded: the first bytes of each line, and the first bytes of the file.

#include <cstddef>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

RTL_DECLARE_EXCEPTION(ETextFileError, Exception);

// Columns of one field in fixed-column mode, counted from 1: the field is
// End - Start characters from Start.
struct TTextFileColumn {
  int Start;
  int End;
};

class TTextFile {
public:
  const std::string& GetFileName() const { return FileName; }
  // A different name closes the current file; a non-empty one is opened for
  // reading and its first non-blank line becomes current (raising "No valid
  // file selected" when it cannot be opened).
  void SetFileName(const std::string& name);

  // A line keeps its first KeptLineLength bytes; the rest of it is skipped.
  // The file ends after its first ReadFileLength bytes, and a line that
  // bound cuts is not read. Both apply to the files opened after they are set.
  std::size_t KeptLineLength = std::numeric_limits<std::size_t>::max();
  std::size_t ReadFileLength = std::numeric_limits<std::size_t>::max();

  // Makes the next non-blank line current; False when the file ends first.
  // Raises "No valid file selected" when no file is open.
  bool ReadLine();
  // True at the end of the file with no current line (or with no file).
  bool Eof() const { return !File.is_open() || (AtEnd && Line.empty()); }
  // Field n (from 1) of the current line; empty when the line has fewer
  // fields or the field is empty.
  std::string GetField(int n) const;

  const std::string& GetLine() const { return Line; }
  // Lines read from the file so far, blank ones included.
  int GetLineCount() const { return LineCount; }
  bool IsOpen() const { return File.is_open(); }

  char Separator = 0;  // 0: fields are separated by runs of spaces and tabs
  char Quote = 0;      // 0: no quoting
  bool FixedColumnMode = false;
  std::vector<TTextFileColumn> FixedColumns;  // field n uses FixedColumns[n - 1]

private:
  std::string FixedColumnField(int n) const;
  std::string SeparatedField(int n) const;
  bool IsSeparator(char c) const;
  // The next line of the file into next, without its end; False when the
  // file (or the part of it that is read) has ended.
  bool ReadBoundedLine(std::string& next);
  // Past the bytes a line keeps: up to its end, within what may be read.
  void SkipRestOfLine();

  std::string FileName;
  std::ifstream File;
  std::string Line;
  int LineCount = 0;
  bool AtEnd = true;
  std::size_t LeftToRead = 0;  // bytes of the file that may still be read
};
