#pragma once
// TdocDocument: the editor and viewer control of the document engine, a Qt
// scroll area that shows the current page of its document core scaled into
// the window. The core (document/DocumentCore.h) holds the model and the
// control's settings and events; this widget owns it, paints it, scrolls it,
// runs its 50 ms timer and shows its cursors.

#include <memory>

#include <QAbstractScrollArea>
#include <QTimer>

#include "document/DocumentCore.h"
#include "document/control/SystemClipboard.h"

class TdocDocument : public QAbstractScrollArea, public TdocDocumentView {
public:
  // The timer's period in milliseconds.
  static constexpr int TimerInterval = 50;

  explicit TdocDocument(QWidget* parent = nullptr);
  ~TdocDocument() override;

  TdocDocumentCore& Core() { return *DocumentCore; }
  const TdocDocumentCore& Core() const { return *DocumentCore; }

  // ---- the view the core asks for
  void Repaint() override;
  void UpdateScrollArea() override;
  void ZoomPageWidth() override;
  void UpdateRulers() override {}
  void ShowScreenCursor(TCursor cursor) override;

  // The canvas in pixels the current page takes at the screen scale, its
  // border included; (0, 0) without a page.
  QSize GetVirtualSize() const { return VirtualSize; }
  const QTimer& GetTimer() const { return Timer; }

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

private:
  // Renders the document rectangle under the client rectangle into it.
  void PaintDocument(QPainter& painter, const QRect& clip);
  // The scroll offset of one axis: the bar's value, or minus half the spare
  // room while the canvas is smaller than the window (it sits centred).
  static int ScrollOffset(int value, int virtualSize, int clientSize);
  void ScrollPositionChanged();

  // Declared before the core, which keeps a pointer to it.
  TdocSystemClipboard Clipboard;
  std::unique_ptr<TdocDocumentCore> DocumentCore;
  QTimer Timer;
  QSize VirtualSize;
  int LastClientWidth = -1;
};
