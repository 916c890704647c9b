#include "tests/platform/qt/ModalAnswer.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace qttest {
namespace {

// One answer waiting for its widget. Each has its own timer: Qt does not
// fire a timer again while its handler runs, so an answer whose click opens
// the next modal widget must not hold up the answer to that one.
struct TPendingAnswer {
  std::string What;
  std::function<bool(QWidget&)> Wanted;
  std::function<void(QWidget&)> Answer;
  std::chrono::steady_clock::time_point Deadline;
  std::unique_ptr<QTimer> Poll;
};

std::vector<std::unique_ptr<TPendingAnswer>>& Pending() {
  static std::vector<std::unique_ptr<TPendingAnswer>> pending;
  return pending;
}

// Takes the answer out of the waiting list; its timer is deleted once back
// in the event loop, as the timer's own handler may be what calls this.
std::unique_ptr<TPendingAnswer> Take(TPendingAnswer* answer) {
  auto& pending = Pending();
  const auto at = std::find_if(pending.begin(), pending.end(), [&](const auto& p) { return p.get() == answer; });
  std::unique_ptr<TPendingAnswer> taken = std::move(*at);
  pending.erase(at);
  taken->Poll->stop();
  taken->Poll.release()->deleteLater();
  return taken;
}

// The widget a step now waits in: a menu run by exec, or a modal window.
QWidget* ShownModal() {
  if (QWidget* popup = QApplication::activePopupWidget()) return popup;
  QWidget* modal = QApplication::activeModalWidget();
  return modal && modal->isVisible() ? modal : nullptr;
}

void CloseShownModal() {
  QWidget* shown = ShownModal();
  if (auto* dialog = qobject_cast<QDialog*>(shown)) dialog->reject();
  else if (shown) shown->close();
}

// Describes a modal widget for a failure: its class and, for a message box,
// its text.
std::string Described(QWidget* widget) {
  if (!widget) return "nothing";
  std::string described = widget->metaObject()->className();
  if (auto* box = qobject_cast<QMessageBox*>(widget)) described += " \"" + box->text().toStdString() + "\"";
  return described;
}

// Runs an answer. Its click may open another modal widget and wait in it;
// when nothing answers that one within the deadline, the test fails and the
// widget is closed, so that the answer returns.
void Run(const TPendingAnswer& answer, QWidget& shown) {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    ADD_FAILURE() << "answering " << answer.What << " opened " << Described(ShownModal())
                  << ", which nothing answered within " << ModalDeadline.count() << " s";
    CloseShownModal();
    guard.start(ModalDeadline);  // the same for whatever opens next
  });
  guard.start(ModalDeadline);
  answer.Answer(shown);
}

void PollFor(TPendingAnswer* answer) {
  QWidget* shown = ShownModal();
  if (shown && answer->Wanted(*shown)) {
    // Out of the list first: the answer may open the next modal widget and
    // wait in it.
    Run(*Take(answer), *shown);
    return;
  }
  if (std::chrono::steady_clock::now() < answer->Deadline) return;
  const std::unique_ptr<TPendingAnswer> late = Take(answer);
  ADD_FAILURE() << late->What << " was not shown within " << ModalDeadline.count() << " s; "
                << Described(shown) << " was";
  CloseShownModal();
}

// Fails the test for every answer still waiting when it ends: the widget it
// waited for never came. The answers then go, so that they neither answer
// nor fail a later test.
class TUnansweredCheck : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    auto& pending = Pending();
    while (!pending.empty()) {
      const std::unique_ptr<TPendingAnswer> unanswered = Take(pending.front().get());
      ADD_FAILURE() << unanswered->What << " was never shown";
    }
  }
};

void CheckUnansweredAtTestEnd() {
  static const bool installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TUnansweredCheck);
    return true;
  }();
  (void)installed;
}

}  // namespace

void AnswerNextModal(const std::string& what, std::function<bool(QWidget&)> wanted,
                     std::function<void(QWidget&)> answer) {
  CheckUnansweredAtTestEnd();
  auto pending = std::make_unique<TPendingAnswer>(TPendingAnswer{what, std::move(wanted), std::move(answer),
                                                                 std::chrono::steady_clock::now() + ModalDeadline,
                                                                 std::make_unique<QTimer>()});
  TPendingAnswer* waiting = pending.get();
  waiting->Poll->setInterval(10);
  QObject::connect(waiting->Poll.get(), &QTimer::timeout, [waiting] { PollFor(waiting); });
  waiting->Poll->start();
  Pending().push_back(std::move(pending));
}

void AnswerNextFileDialog(const std::string& file) {
  AnswerNext<QFileDialog>("a file dialog", [file](QFileDialog& dialog) {
    if (file.empty()) return dialog.reject();
    // Typed rather than selected: the dialog does not take a selection into
    // its field while the field has the focus, which it gets at some moment
    // after showing.
    auto* field = dialog.findChild<QLineEdit*>("fileNameEdit");
    if (!field) {
      ADD_FAILURE() << "the file dialog has no file name field";
      return dialog.reject();
    }
    field->setText(QString::fromStdString(file));
    static_cast<QDialog&>(dialog).accept();  // the file dialog's own accept
  });
}

}  // namespace qttest
