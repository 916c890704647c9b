#include "widgets/UniMemo.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

#include "platform/rtl/Exception.h"

namespace widgets {

namespace {

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw EListError("List index out of bounds");
}

}  // namespace

TUniMemo::TUniMemo(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, &TUniMemo::TextChanged);
}

std::u16string TUniMemo::GetText() const {
  // The raw text keeps every character as typed (no-break spaces included);
  // only the paragraph separators between the lines become CR LF.
  std::u16string text;
  for (const char16_t c : ToWide(document()->toRawText())) {
    if (c == u'\u2029')
      text += u"\r\n";
    else
      text += c;
  }
  return text;
}

void TUniMemo::SetText(std::u16string_view value) {
  if (GetText() == value) return;
  setPlainText(ToQString(JoinLines(SplitLines(value), u"\n")));
}

void TUniMemo::TextChanged() {
  if (changes_.Changed(GetText()) && OnChange) OnChange(*this);
}

void TUniMemo::keyPressEvent(QKeyEvent* event) {
  // Shift+Enter starts a new line like Enter does, rather than a soft break
  // that would read back as part of the same line.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & Qt::ShiftModifier)) {
    textCursor().insertBlock();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

// ---- selection ----------------------------------------------------------

int TUniMemo::ToTextPosition(int documentPosition) const {
  return documentPosition + document()->findBlock(documentPosition).blockNumber();
}

int TUniMemo::ToDocumentPosition(int textPosition) const {
  for (QTextBlock line = document()->begin(); line.isValid(); line = line.next()) {
    const int lineStart = line.position() + line.blockNumber();
    const int lineLength = line.length() - 1;
    if (textPosition <= lineStart + lineLength || !line.next().isValid())
      return line.position() + std::clamp(textPosition - lineStart, 0, lineLength);
  }
  return 0;
}

int TUniMemo::GetSelStart() const { return ToTextPosition(textCursor().selectionStart()); }

void TUniMemo::SetSelStart(int value) {
  QTextCursor cursor = textCursor();
  cursor.setPosition(ToDocumentPosition(value));
  setTextCursor(cursor);
}

int TUniMemo::GetSelLength() const { return ToTextPosition(textCursor().selectionEnd()) - GetSelStart(); }

void TUniMemo::SetSelLength(int value) {
  const int start = GetSelStart();
  QTextCursor cursor = textCursor();
  cursor.setPosition(ToDocumentPosition(start));
  cursor.setPosition(ToDocumentPosition(start + std::max(value, 0)), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

std::u16string TUniMemo::GetSelText() const {
  return GetText().substr(static_cast<std::size_t>(GetSelStart()), static_cast<std::size_t>(GetSelLength()));
}

void TUniMemo::SetSelText(std::u16string_view value) {
  textCursor().insertText(ToQString(JoinLines(SplitLines(value), u"\n")));
}

// ---- lines ----------------------------------------------------------------

std::vector<std::u16string> TUniMemo::GetLines() const {
  const std::u16string text = GetText();
  if (text.empty()) return {};
  std::vector<std::u16string> lines = SplitLines(text);
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

void TUniMemo::SetLines(const std::vector<std::u16string>& lines) { SetText(JoinLines(lines)); }

int TUniMemo::GetLineCount() const { return static_cast<int>(GetLines().size()); }

std::u16string TUniMemo::GetLine(int index) const {
  const std::vector<std::u16string> lines = GetLines();
  CheckIndex(index, static_cast<int>(lines.size()));
  return lines[static_cast<std::size_t>(index)];
}

void TUniMemo::SetLine(int index, std::u16string_view value) {
  std::vector<std::u16string> lines = GetLines();
  CheckIndex(index, static_cast<int>(lines.size()));
  lines[static_cast<std::size_t>(index)] = value;
  SetLines(lines);
}

void TUniMemo::InsertLine(int index, std::u16string_view value) {
  std::vector<std::u16string> lines = GetLines();
  CheckIndex(index, static_cast<int>(lines.size()) + 1);
  lines.insert(lines.begin() + index, std::u16string(value));
  SetLines(lines);
}

void TUniMemo::DeleteLine(int index) {
  std::vector<std::u16string> lines = GetLines();
  CheckIndex(index, static_cast<int>(lines.size()));
  lines.erase(lines.begin() + index);
  SetLines(lines);
}

}  // namespace widgets
