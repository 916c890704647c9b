#include "app/gui/LanguageFont.h"

#include <algorithm>

#include <QAbstractButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>

#include "app/LanguageFile.h"

namespace app {

namespace {

bool TakesLanguageFont(const QWidget& control) {
  return qobject_cast<const QGroupBox*>(&control) || qobject_cast<const QLabel*>(&control) ||
         qobject_cast<const QAbstractButton*>(&control) || qobject_cast<const QTabBar*>(&control) ||
         qobject_cast<const QComboBox*>(&control) || qobject_cast<const QListWidget*>(&control);
}

// Qt hands a container's font down to its children; an edit pins the font it
// has now so that the language font on its group leaves it alone.
void PinEditFont(QWidget& control) {
  if (qobject_cast<QLineEdit*>(&control) || qobject_cast<QPlainTextEdit*>(&control) ||
      qobject_cast<QTextEdit*>(&control))
  {
    QFont own = control.font();
    own.setResolveMask(QFont::AllPropertiesResolved);
    control.setFont(own);
  }
}

}  // namespace

void Tgerefonte::ApplyToControls(QWidget& container, const std::string& fontName, int size, int charset) {
  for (QWidget* child : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    ApplyToControl(*child, fontName, size, charset);
    ApplyToControls(*child, fontName, size, charset);
  }
}

void Tgerefonte::ApplyToControl(QWidget& control, const std::string& fontName, int size, int /*charset*/) {
  if (!TakesLanguageFont(control)) return;
  QFont font = control.font();
  const QString family = QString::fromStdString(fontName);
  // A control that has the font already, its own or its container's, is
  // left alone: it keeps following its container, and a combo box is spared
  // building its drop-down list for a change of nothing.
  if (font.family() == family && (size == 0 || font.pointSize() == size)) return;
  font.setFamily(family);
  if (size != 0) font.setPointSize(size);
  control.setFont(font);
}

void ApplyLanguageFont(const Tgerelanguage& language, std::initializer_list<QWidget*> forms) {
  std::string fontName = language.GetLoaded() ? language.GetFontName() : std::string();
  const int charset = fontName.empty() ? 1 : std::max(1, language.GetCharset());
  if (fontName.empty()) fontName = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
  Tgerefonte applier;
  for (QWidget* form : forms) {
    for (QWidget* control : form->findChildren<QWidget*>()) PinEditFont(*control);
    applier.ApplyToControls(*form, fontName, 0, charset);
  }
}

}  // namespace app
