// Random use of the main window: clicks, keys and typing on its controls
// (all but quitting and the help viewer), tab changes, shapes of every kind
// added and focused, message boxes answered and menus closed at random.
// Nothing may crash or trip a sanitizer; at the end the window still closes
// and writes its parameter file. CI's fuzz stage runs it for a minute
// under the sanitizers (scripts/run-monkeys.sh).

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <random>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "document/editor/HandlePainter.h"
#include "document/shape/Shape.h"
#include "document/control/Document.h"
#include "tests/app/gui/MainWindowTestSupport.h"

namespace guitest {
namespace {

// How long the monkey plays: LABEL_MONKEY_EVENTS actions (1500 without
// it), or for LABEL_MONKEY_SECONDS when that is set, within the events
// when both are. The seed is fixed, so a failure repeats in a run at least
// as long.
struct TBudget {
  int Events = 1500;
  std::chrono::steady_clock::time_point End = std::chrono::steady_clock::time_point::max();

  static TBudget FromEnvironment() {
    TBudget budget;
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("LABEL_MONKEY_SECONDS", &ok);
    if (ok && seconds > 0) {
      budget.Events = std::numeric_limits<int>::max();
      budget.End = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    }
    const int events = qEnvironmentVariableIntValue("LABEL_MONKEY_EVENTS", &ok);
    if (ok && events > 0) budget.Events = events;
    return budget;
  }
  bool Allows(int done) const { return done < Events && std::chrono::steady_clock::now() < End; }
};

class TMonkey {
public:
  TMonkey(app::TForm1& form, unsigned seed) : Form(form), Random(seed) {
    // Every dialog the monkey opens is answered a moment later.
    DialogCloser.setInterval(5);
    QObject::connect(&DialogCloser, &QTimer::timeout, [this] {
      if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        if (box->icon() == QMessageBox::Critical) Errors.push_back(box->text().toStdString());
        const QList<QAbstractButton*> buttons = box->buttons();
        buttons[Pick(static_cast<int>(buttons.size()))]->click();
      }
      else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    DialogCloser.start();
  }

  void Act() {
    switch (Pick(7)) {
      case 0: Form.PageControl1->setCurrentIndex(Pick(Form.PageControl1->count())); break;
      case 1: AddShape(); break;
      case 2: TypeInto(); break;
      case 3: KeyInto(); break;
      default: ClickSomething(); break;
    }
    QApplication::processEvents();
  }

private:
  int Pick(int count) { return static_cast<int>(Random() % static_cast<unsigned>(count)); }

  QWidget* AnyControl() {
    QList<QWidget*> controls;
    for (QWidget* widget : Form.findChildren<QWidget*>())
      if (widget->isVisible() && widget->isEnabled() && widget != Form.spaide && widget != Form.Squitter &&
          (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<QSlider*>(widget) || widget == Form.Fdocument->viewport()))
        controls.push_back(widget);
    return controls.isEmpty() ? nullptr : controls[Pick(static_cast<int>(controls.size()))];
  }

  void ClickSomething() {
    QWidget* control = AnyControl();
    if (!control) return;
    const int x = Pick(std::max(1, control->width())), y = Pick(std::max(1, control->height()));
    const QPoint at(x, y);
    QTest::mouseClick(control, Pick(5) ? Qt::LeftButton : Qt::RightButton, Qt::NoModifier, at);
  }

  void TypeInto() {
    QWidget* control = AnyControl();
    if (!control) return;
    static const char* const texts[] = {"abc", "12", "-3.5", "400638133393", "1e308", "", "0,25", "ÿé€", "9999999999"};
    control->setFocus();
    // Characters beyond ASCII arrive as committed text, as an input method sends them.
    for (const QChar c : QString::fromUtf8(texts[Pick(std::size(texts))])) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(control, &press);
    }
  }

  void KeyInto() {
    QWidget* control = AnyControl();
    if (!control) return;
    static const Qt::Key keys[] = {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Up, Qt::Key_Down, Qt::Key_Delete,
                                   Qt::Key_Backspace, Qt::Key_Escape, Qt::Key_Space};
    control->setFocus();
    QTest::keyClick(control, keys[Pick(std::size(keys))]);
  }

  void AddShape() {
    TdocDocumentCore& core = Form.Fdocument->Core();
    if (core.ShapeCount() >= 12) return;
    const int kind = Pick(6);
    const int index = core.AddShape(kind < 3 ? app::TForm1::NewShape(static_cast<app::TForm1::TInsertKind>(kind))
                                             : app::TForm1::NewTextShape(static_cast<app::TForm1::TTextKind>(kind - 3)));
    if (index < 0) return;
    TdocShape* shape = core.GetShapes(index);
    const auto left = static_cast<float>(Pick(150));
    const auto top = static_cast<float>(Pick(200));
    shape->SetDocRect({left, top, left + static_cast<float>(10 + Pick(100)), top + static_cast<float>(10 + Pick(60))});
    Focus(Form, shape);
  }

public:
  // The messages of the error boxes the window showed.
  std::vector<std::string> Errors;

private:
  app::TForm1& Form;
  std::mt19937 Random;
  QTimer DialogCloser;
};

TEST_F(MainWindowTest, RandomUseNeverBreaksTheWindow) {
  app::TForm1& form = Show();
  {
    TMonkey monkey(form, 20261206);
    const TBudget budget = TBudget::FromEnvironment();
    int done = 0;
    for (; budget.Allows(done); ++done) monkey.Act();
    RecordProperty("actions", done);
    std::printf("monkey: %d actions\n", done);
    for (const std::string& error : monkey.Errors) ADD_FAILURE() << "error box: " << error;
  }
  ASSERT_TRUE(form.isVisible());
  form.Fdocument->Core().SetModified(false);
  form.close();
  EXPECT_EQ(form.isVisible(), false);
  EXPECT_TRUE(std::filesystem::exists(ParameterFile()));
}

}  // namespace
}  // namespace guitest
