#pragma once
// UTF-16 text between the program's wide strings and Qt: both are UTF-16,
// so every code unit, surrogate pairs included, passes unchanged.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace widgets {

QString ToQString(std::u16string_view text);
std::u16string ToWide(const QString& text);

// Lines of a wide text: split at CR LF, lone CR or lone LF; joined by CR LF
// unless another separator is given.
std::vector<std::u16string> SplitLines(std::u16string_view text);
std::u16string JoinLines(const std::vector<std::u16string>& lines, std::u16string_view separator = u"\r\n");

}  // namespace widgets

namespace widgets {

// Tells real changes of a control's text from Qt's change signals, which
// also come when a text is replaced by an equal one.
class TTextChangeFilter {
 public:
  explicit TTextChangeFilter(std::u16string text = {}) : last_(std::move(text)) {}
  // True when `text` differs from the text seen last; remembers it.
  bool Changed(std::u16string text);

 private:
  std::u16string last_;
};

}  // namespace widgets
