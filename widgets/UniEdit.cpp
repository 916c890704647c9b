#include "widgets/UniEdit.h"

#include <QProxyStyle>
#include <limits>

namespace widgets {

namespace {

// Lends the line edit its own mask character.
class TPasswordStyle : public QProxyStyle {
 public:
  explicit TPasswordStyle(char16_t mask) : mask_(mask) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return mask_;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

 private:
  char16_t mask_;
};

}  // namespace

TUniEdit::TUniEdit(QWidget* parent) : QLineEdit(parent) {
  // A label's value may be long; Qt would otherwise cut it at 32767 units.
  setMaxLength(std::numeric_limits<int>::max());
  connect(this, &QLineEdit::textChanged, this, &TUniEdit::TextChanged);
}

std::u16string TUniEdit::GetText() const { return ToWide(text()); }

void TUniEdit::SetText(std::u16string_view value) {
  if (GetText() == value) return;
  setText(ToQString(value));
}

void TUniEdit::TextChanged() {
  if (changes_.Changed(GetText()) && OnChange) OnChange(*this);
}

void TUniEdit::SetPasswordChar(char16_t value) {
  if (value == passwordChar_) return;
  passwordChar_ = value;
  if (value == 0) {
    setStyle(nullptr);
    setEchoMode(Normal);
    return;
  }
  auto* style = new TPasswordStyle(value);
  style->setParent(this);
  setStyle(style);
  setEchoMode(Password);
}

std::u16string TUniEdit::GetHint() const { return ToWide(toolTip()); }
void TUniEdit::SetHint(std::u16string_view value) { setToolTip(ToQString(value)); }

int TUniEdit::GetSelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void TUniEdit::SetSelStart(int value) { setCursorPosition(value); }

int TUniEdit::GetSelLength() const { return hasSelectedText() ? selectionLength() : 0; }

void TUniEdit::SetSelLength(int value) { setSelection(GetSelStart(), value); }

std::u16string TUniEdit::GetSelText() const { return ToWide(selectedText()); }

void TUniEdit::SetSelText(std::u16string_view value) { insert(ToQString(value)); }

}  // namespace widgets
