#pragma once
// What the pages of the property panel share: building a captioned row,
// reading a control's text, picking a font in a list, matching a shape's
// exact class and writing a length typed in the panel's unit.

#include <functional>
#include <string>

#include <QFormLayout>
#include <QLabel>
#include <QString>

#include "app/NumberText.h"
#include "app/gui/QtText.h"
#include "document/shape/Shape.h"

class QComboBox;
class QLineEdit;
class QSlider;
namespace widgets {
class TColorPickerButton;
}

namespace app {

// Lengths on a label stay within the largest sheet there is.
constexpr double MaxPanelLength = 3276.0;  // mm

// The shape as T when its class is exactly T (subclasses do not count).
template <class T>
T* ExactClass(TdocShape& shape) {
  return &shape.GetClass() == &T::StaticClass() ? static_cast<T*>(&shape) : nullptr;
}

std::string TextOf(const QLineEdit* edit);
std::string TextOf(const QComboBox* list);

// A captioned control on its own row of a form.
template <class W>
W* AddRow(QFormLayout* form, QWidget* page, QLabel*& label, const char* name) {
  label = new QLabel(page);
  auto* control = new W(page);
  control->setObjectName(name);
  form->addRow(label, control);
  return control;
}

// A track bar for an opacity, 0 to 255.
QSlider* AlphaSlider(QWidget* parent);

// A colour button writes its group both when its colour changes and when it
// is clicked, so a click also sends the rest of the group's fields.
void WriteOnChangeAndClick(widgets::TColorPickerButton* button, const std::function<void()>& write);

// A font the list does not name (not installed here) joins the list rather
// than being replaced by the first font at the next edit.
void SelectFont(QComboBox* list, const QString& name);

// A length in millimetres through the factor; the property is kept when the
// text is not a number or the length lies outside min .. MaxPanelLength.
template <class Setter>
void SetLength(const std::string& text, double factor, double min, Setter set) {
  const auto value = ParseNumber(text);
  if (!value) return;
  const double mm = *value * factor;
  if (mm >= min && mm <= MaxPanelLength) set(static_cast<float>(mm));
}

// The same for a length the panel shows with two decimals: the text that
// shows the current length unchanged keeps it, so writing the other fields
// of a page does not round it.
template <class Setter>
void SetShownLength(const std::string& text, float current, double factor, double min, Setter set) {
  if (text != FormatTwoDecimals(current / factor)) SetLength(text, factor, min, set);
}

}  // namespace app
