#pragma once
// Multi-line text entry holding UTF-16 text; its Text joins the lines with
// CR LF, and its lines can be read and written one by one.

#include <QPlainTextEdit>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/WideText.h"

namespace widgets {

class TUniMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(TUniMemo& sender)>;

  explicit TUniMemo(QWidget* parent = nullptr);

  std::u16string GetText() const;
  // Lines may end in CR LF, CR or LF. A text equal to the current one changes
  // nothing; a different one fires OnChange once.
  void SetText(std::u16string_view value);

  // Lines: a final line break does not start another line. A bad index
  // raises EListError "List index out of bounds".
  int GetLineCount() const;
  std::u16string GetLine(int index) const;
  void SetLine(int index, std::u16string_view value);
  void InsertLine(int index, std::u16string_view value);
  void DeleteLine(int index);
  std::vector<std::u16string> GetLines() const;
  void SetLines(const std::vector<std::u16string>& lines);

  // The selection, counted in UTF-16 code units of Text, where a line break
  // counts two (CR and LF). A start inside a line break or past the end
  // goes to the nearest place a caret can stand.
  int GetSelStart() const;
  // Moves the caret there, with nothing selected.
  void SetSelStart(int value);
  int GetSelLength() const;
  // Selects from SelStart on; a negative length selects nothing.
  void SetSelLength(int value);
  // The selected part of Text, line breaks as CR LF.
  std::u16string GetSelText() const;
  // Replaces the selection; line breaks may be CR LF, CR or LF.
  void SetSelText(std::u16string_view value);

  TNotifyEvent OnChange;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TextChanged();
  // Between Qt's positions (one per line break) and Text's (two per break).
  int ToTextPosition(int documentPosition) const;
  int ToDocumentPosition(int textPosition) const;

  TTextChangeFilter changes_;
};

}  // namespace widgets
