#include "app/gui/AboutBox.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/UiTexts.h"

namespace app {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("fapropos");
  setWindowTitle(QStringLiteral("Mirqoven"));
  lproduct = new QLabel(QStringLiteral("Mirqoven"), this);
  QFont title = lproduct->font();
  title.setBold(true);
  title.setPointSizeF(title.pointSizeF() * 1.5);
  lproduct->setFont(title);
  lversion = new QLabel(QString::fromLatin1(Version), this);
  lversion->setObjectName("lversion");
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lproduct);
  layout->addWidget(lversion);
  layout->addWidget(Memo1);
  layout->addWidget(OKButton, 0, Qt::AlignRight);
  resize(420, 260);
}

void TAboutBox::FillMemo() {
  Memo1->clear();
  for (int number = 85; number <= 90; ++number) Memo1->appendPlainText(QString::fromStdString(pgloretlibmessage(number)));
}

void TAboutBox::showEvent(QShowEvent* event) {
  FillMemo();
  QDialog::showEvent(event);
}

}  // namespace app
