#pragma once
// The language's font on the forms: a language file names the font its
// script needs, and every group box, label, button, tab, radio button, list
// and check box of a form gets that font. Edits and memos keep their own.

#include <string>

class QWidget;
class Tgerelanguage;

namespace app {

class Tgerefonte {
public:
  // Every child of container, depth first.
  void ApplyToControls(QWidget& container, const std::string& fontName, int size, int charset);
  // The control when it is of one of the classes that take the font. Size 0
  // keeps the control's size. The character set decides how the language
  // file was decoded; Qt's fonts cover every script, so it needs no setting here.
  void ApplyToControl(QWidget& control, const std::string& fontName, int size, int charset);
};

// The language file's font (and its character set, below 1 taken as 1), or
// the system font when the file names none, on each form given.
void ApplyLanguageFont(const Tgerelanguage& language, std::initializer_list<QWidget*> forms);

}  // namespace app
