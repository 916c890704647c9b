#include "app/gui/ExportImageDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/LabelExport.h"
#include "app/UiTexts.h"
#include "app/gui/Guarded.h"
#include "app/gui/QtText.h"

namespace app {

namespace {

constexpr int UiTextResolution = 160;

QPushButton* Button(QWidget* parent, const char* name) {
  auto* button = new QPushButton(parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

TExportImageDialog::TExportImageDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("fexportimage");
  setWindowTitle(QStringLiteral("Mirqoven"));
  labresolution = new QLabel(this);
  labresolution->setObjectName("labresolution");
  comblisteniveauresolution = new QComboBox(this);
  comblisteniveauresolution->setObjectName("comblisteniveauresolution");
  for (int scale = MinExportScale; scale <= MaxExportScale; ++scale)
    comblisteniveauresolution->addItem(QString::number(scale));
  labresolution->setBuddy(comblisteniveauresolution);
  bclipboard = Button(this, "bclipboard");
  bExporter = Button(this, "bExporter");
  sretour = Button(this, "sretour");
  const auto run = [this](int mode) {
    return GuardedSlot(this, [this, mode] {
      if (OnExport) OnExport(mode, Resolution());
    });
  };
  connect(bclipboard, &QPushButton::clicked, this, run(2));
  connect(bExporter, &QPushButton::clicked, this, run(1));
  connect(sretour, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QHBoxLayout(this);
  for (QWidget* control : {static_cast<QWidget*>(labresolution), static_cast<QWidget*>(comblisteniveauresolution), static_cast<QWidget*>(bclipboard),
                           static_cast<QWidget*>(bExporter), static_cast<QWidget*>(sretour)})
    layout->addWidget(control);
}

void TExportImageDialog::ApplyUITexts() {
  labresolution->setText(UiText(UiTextResolution));
  bclipboard->setText(UiText(UiTextClipboardButton));
  bExporter->setText(UiText(UiTextExportButton));
  sretour->setText(UiText(UiTextCloseButton));
}

int TExportImageDialog::Resolution() const { return comblisteniveauresolution->currentText().toInt(); }

void TExportImageDialog::showEvent(QShowEvent* event) {
  comblisteniveauresolution->setCurrentIndex(DefaultExportScale - MinExportScale);
  QDialog::showEvent(event);
}

}  // namespace app
