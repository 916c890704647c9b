#pragma once
// Single-line text entry holding UTF-16 text: any character, astral ones as
// surrogate pairs, round-trips through Text.

#include <QLineEdit>
#include <functional>
#include <string>
#include <string_view>

#include "widgets/WideText.h"

namespace widgets {

class TUniEdit : public QLineEdit {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(TUniEdit& sender)>;

  explicit TUniEdit(QWidget* parent = nullptr);

  std::u16string GetText() const;
  // An equal text changes nothing; a different one fires OnChange once.
  void SetText(std::u16string_view value);

  // 0 shows the text; any other character masks each character with it.
  char16_t GetPasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char16_t value);
  std::u16string GetHint() const;
  void SetHint(std::u16string_view value);

  // The selection, counted in UTF-16 code units.
  int GetSelStart() const;
  void SetSelStart(int value);
  int GetSelLength() const;
  void SetSelLength(int value);
  std::u16string GetSelText() const;
  void SetSelText(std::u16string_view value);

  TNotifyEvent OnChange;

 private:
  void TextChanged();

  TTextChangeFilter changes_;
  char16_t passwordChar_ = 0;
};

}  // namespace widgets
