#include "app/gui/PanelControls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "widgets/ColorPickerButton.h"

namespace app {

std::string TextOf(const QLineEdit* edit) { return edit->text().toStdString(); }
std::string TextOf(const QComboBox* list) { return list->currentText().toStdString(); }

QSlider* AlphaSlider(QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(0, 255);
  return slider;
}

void WriteOnChangeAndClick(widgets::TColorPickerButton* button, const std::function<void()>& write) {
  button->OnChange = [write](widgets::TColorPickerButton&) { write(); };
  button->OnClick = [write](widgets::TColorPickerButton&) { write(); };
}

void SelectFont(QComboBox* list, const QString& name) {
  if (list->findText(name) < 0) list->addItem(name);
  list->setCurrentIndex(list->findText(name));
}

}  // namespace app
