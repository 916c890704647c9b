#pragma once
// The editor control for interaction tests: drag and drop, the clock, the
// pointer and scrolling are recorded or set by the test; mouse events go to
// the real control with the buttons and modifier keys the test names.

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "document/page/Page.h"
#include "document/control/Document.h"

namespace doctest {

class TTestDocument : public TdocDocument {
public:
  void StartDragAndDrop() override { ++DragAndDrops; }
  std::uint32_t TickCount() const override { return Tick; }
  TPoint MousePosition() const override { return Mouse; }
  void ScrollView(int dx, int dy) override {
    Scrolls.push_back({dx, dy});
    TdocDocument::ScrollView(dx, dy);
  }

  int DragAndDrops = 0;
  std::uint32_t Tick = 1000;
  TPoint Mouse{0, 0};
  std::vector<TPoint> Scrolls;
};

// Shown at a fixed scale (pixels per mm), scrolled to the top-left corner.
inline void ShowAtScale(TdocDocument& control, int width, int height, float scale) {
  control.resize(width, height);
  control.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&control));
  control.SetScale(scale);
  control.Core().UpdateScrollArea();
}

// Client pixel of a page point (mm) of the control's current page.
inline QPoint PagePixel(TdocDocumentCore& core, float x, float y) {
  const TdocPage* page = core.GetCurrentPage();
  const TFloatPoint p = core.DocToClient({page->GetDocLeft() + x, page->GetDocTop() + y});
  return {static_cast<int>(std::lround(p.X)), static_cast<int>(std::lround(p.Y))};
}

// A mouse move with buttons and modifiers held, as QTest::mouseMove cannot send.
inline void MoveMouse(TdocDocument& control, const QPoint& at, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* viewport = control.viewport();
  QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, buttons, modifiers);
  QApplication::sendEvent(viewport, &move);
}

// A release of the left button without a press QTest knows of.
inline void ReleaseMouse(TdocDocument& control, const QPoint& at) {
  QWidget* viewport = control.viewport();
  QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(viewport, &release);
}

// Press at from, move to to in two steps, release there; the modifiers are
// held throughout.
inline void DragMouse(TdocDocument& control, const QPoint& from, const QPoint& to,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::mousePress(control.viewport(), Qt::LeftButton, modifiers, from);
  MoveMouse(control, (from + to) / 2, Qt::LeftButton, modifiers);
  MoveMouse(control, to, Qt::LeftButton, modifiers);
  QTest::mouseRelease(control.viewport(), Qt::LeftButton, modifiers, to);
}

}  // namespace doctest
