#pragma once
// Answers the dialogs, message boxes and menus that a test's step opens and
// waits in. The answer polls for the widget, so that a slow or loaded machine,
// where it shows late, is answered all the same; a widget that never shows
// fails the test instead of hanging it.

#include <chrono>
#include <functional>
#include <string>

#include <QWidget>

namespace qttest {

// How long an answer waits for its widget: far beyond any real delay, far
// below the test's own timeout.
inline constexpr std::chrono::seconds ModalDeadline{20};

// Hands the next modal widget (or menu run by exec) that wanted accepts to
// answer; other widgets are left alone. Past the deadline the test fails and
// whatever modal widget is open is closed, so the step that waits in it
// returns; an answer still waiting when its test ends fails that test.
void AnswerNextModal(const std::string& what, std::function<bool(QWidget&)> wanted,
                     std::function<void(QWidget&)> answer);

// The same for the next widget of class W.
template <class W>
void AnswerNext(const std::string& what, std::function<void(W&)> answer) {
  AnswerNextModal(
      what, [](QWidget& widget) { return qobject_cast<W*>(&widget) != nullptr; },
      [answer = std::move(answer)](QWidget& widget) { answer(*qobject_cast<W*>(&widget)); });
}

// Answers the next file dialog as a person does: the file's full path typed
// into its file name field, then accepted; an empty file cancels it.
void AnswerNextFileDialog(const std::string& file);

}  // namespace qttest
