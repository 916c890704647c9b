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

  TNotifyEvent OnChange;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TextChanged();

  TTextChangeFilter changes_;
};

}  // namespace widgets
