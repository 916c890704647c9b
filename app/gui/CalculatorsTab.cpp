#include "app/gui/CalculatorsTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/CheckDigits.h"
#include "app/UiTexts.h"
#include "app/gui/Guarded.h"
#include "app/gui/QtText.h"

namespace app {

namespace {

using TCheckRoutine = std::string (*)(std::string_view);

struct TCalculatorRow {
  const char* Title;
  const char* GroupName;
  const char* ValueLabelName;
  const char* InputName;
  const char* ButtonName;
  const char* ResultLabelName;
  const char* OutputName;
  int InputDigits;
  TCheckRoutine Routine;  // nil: the ISBN pair
};

constexpr std::array<TCalculatorRow, 6> CalculatorRows = {{
    {"EAN-13", "gcalculEan13", "labvalean13", "evalean13sanscle", "bcalculcleean13", "labresan13", "evaleurean13", 12,
     pglocleean13},
    {"EAN-8", "gcalculEan8", "labvalean8", "evalean8sanscle", "bcalculcleean8", "labresan8", "evaleurean8", 7,
     pglocleean8},
    {"UPC-A", "gcalculupca", "labvalupca", "evalupcasanscle", "bcalculcleupca", "labresupca", "evaleurupca", 11,
     pglocleupca},
    {"EAN-14", "gcalculEan14", "labvalean14", "evalean14sanscle", "bcalculcleean14", "labresan14", "evaleurean14", 13,
     pglocleean14},
    {"SSCC", "gcalculSSCC", "labvalsscc", "evalssccsanscle", "bcalculclesscc", "labressscc", "evaleursscc", 17,
     pglocleesscc},
    {"ISBN", "gcalculISBN", "labvalisbn", "evalisbnsanscle", "bcalculcleisbn", "labresisbn", "evaleurisbn", 9, nullptr},
}};

std::string Typed(const QLineEdit* edit) { return edit->text().toStdString(); }

QString DigitsCaption(int textNumber, const std::string& digits) {
  return ToQString(pgloretlibmessage(textNumber) + " (" + digits + pgloretlibmessage(189) + ")");
}

}  // namespace

TCalculatorsTab::TCalculatorsTab(QWidget* parent) : QWidget(parent) {
  setObjectName("tabutilitaires");
  new QGridLayout(this);
}

void TCalculatorsTab::EnsureBuilt() {
  if (Built) return;
  Built = true;
  Build();
  if (OnBuilt) OnBuilt();
}

void TCalculatorsTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (Built) return;
  EnsureBuilt();
  // Children made under a page already showing wait for their own showing,
  // and the page is laid out before it paints.
  for (TCalculatorGroup& group : Groups) group.Group->show();
  layout()->activate();
}

void TCalculatorsTab::Build() {
  auto* layout = static_cast<QGridLayout*>(this->layout());
  for (std::size_t i = 0; i < CalculatorRows.size(); ++i) {
    const TCalculatorRow& row = CalculatorRows[i];
    TCalculatorGroup& group = Groups[i];
    group.InputDigits = row.InputDigits;
    group.Group = new QGroupBox(row.Title, this);
    group.Group->setObjectName(row.GroupName);
    group.ValueLabel = new QLabel(group.Group);
    group.ValueLabel->setObjectName(row.ValueLabelName);
    group.Input = new QLineEdit(group.Group);
    group.Input->setObjectName(row.InputName);
    group.Input->setMaxLength(row.InputDigits + 8);
    group.Button = new QPushButton(QStringLiteral(">>"), group.Group);
    group.Button->setObjectName(row.ButtonName);
    group.ResultLabel = new QLabel(group.Group);
    group.ResultLabel->setObjectName(row.ResultLabelName);
    group.Output = new QLineEdit(group.Group);
    group.Output->setObjectName(row.OutputName);
    group.Output->setReadOnly(true);
    auto* grid = new QGridLayout(group.Group);
    grid->addWidget(group.ValueLabel, 0, 0);
    grid->addWidget(group.Input, 1, 0);
    grid->addWidget(group.Button, 1, 1);
    grid->addWidget(group.ResultLabel, 0, 2);
    grid->addWidget(group.Output, 1, 2);
    grid->setRowStretch(4, 1);
    layout->addWidget(group.Group, static_cast<int>(i / 2), static_cast<int>(i % 2));
    if (row.Routine)
      connect(group.Button, &QPushButton::clicked, this, GuardedSlot(this, [routine = row.Routine, &group] {
                group.Output->setText(ToQString(routine(Typed(group.Input))));
              }));
  }
  layout->setRowStretch(3, 1);
  AddIsbnOutput();
}

void TCalculatorsTab::AddIsbnOutput() {
  TCalculatorGroup& isbn = Isbn();
  labreseanisbn = new QLabel(isbn.Group);
  labreseanisbn->setObjectName("labreseanisbn");
  evaleureanisbn = new QLineEdit(isbn.Group);
  evaleureanisbn->setObjectName("evaleureanisbn");
  evaleureanisbn->setReadOnly(true);
  auto* grid = static_cast<QGridLayout*>(isbn.Group->layout());
  grid->addWidget(labreseanisbn, 2, 2);
  grid->addWidget(evaleureanisbn, 3, 2);
  connect(isbn.Button, &QPushButton::clicked, this, GuardedSlot(this, [this] {
            const TIsbnNumbers numbers = IsbnNumbers(Typed(Isbn().Input));
            Isbn().Output->setText(ToQString(numbers.Isbn10));
            evaleureanisbn->setText(ToQString(numbers.Ean13));
          }));
}

void TCalculatorsTab::ApplyUITexts() {
  for (TCalculatorGroup& group : Groups) {
    if (&group == &Isbn()) continue;
    group.ValueLabel->setText(DigitsCaption(187, std::to_string(group.InputDigits)));
    group.ResultLabel->setText(DigitsCaption(188, std::to_string(group.InputDigits + 1)));
  }
  Isbn().ValueLabel->setText(DigitsCaption(187, "9 "));
  Isbn().ResultLabel->setText("ISBN " + DigitsCaption(188, "10"));
  labreseanisbn->setText("EAN " + DigitsCaption(188, "13"));
}

}  // namespace app
