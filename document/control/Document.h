#pragma once
// TdocDocument: the editor and viewer control of the document engine, a Qt
// scroll area that shows the current page of its document core scaled into
// the window. The core (document/DocumentCore.h) holds the model and the
// control's settings and events; this widget owns it, paints it, scrolls it,
// runs its 50 ms timer and shows its cursors.

#include <memory>
#include <span>

#include <QAbstractScrollArea>
#include <QTimer>

#include "document/DocumentCore.h"
#include "imaging/bitmap/Bitmap32.h"

class TPrinter;

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

  // ---- printing (DocumentPrint.cpp)
  // The printer the pages go to: the one set, else the control's own
  // (created on first use with the default printer selected).
  TPrinter& GetPrinter();
  // Nil goes back to the control's own printer.
  void SetPrinter(TPrinter* printer) { SharedPrinter = printer; }
  // One job, one sheet per page that exists, in the order given: each page
  // fitted to the paper, turned by a quarter when it fits better so, and
  // rendered at the print quality's resolution. Indexes without a page are
  // skipped; when none is left nothing is printed. Raises "Threading error
  // (working already)" while busy; any failure ends the job without
  // printing anything.
  virtual void Print(std::span<const int> pageIndexes);
  void PrintRange(int first, int count);
  void PrintAll();

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

  // Renders the document rectangle under clip (client pixels) into target,
  // which covers the client area.
  virtual void PaintDocument(TBitmap32& target, const QRect& clip);

private:
  void PrintPage(TPrinter& printer, TdocPage& page);
  // The scroll offset of one axis: the bar's value, or minus half the spare
  // room while the canvas is smaller than the window (it sits centred).
  static int ScrollOffset(int value, int virtualSize, int clientSize);
  void ScrollPositionChanged();

  std::unique_ptr<TdocDocumentCore> DocumentCore;
  QTimer Timer;
  QSize VirtualSize;
  int LastClientWidth = -1;
  // The client area as painted last: page, handles and feedback are drawn
  // here, then the dirty part goes to the window.
  TBitmap32 BackBuffer;
  std::unique_ptr<TPrinter> OwnPrinter;
  TPrinter* SharedPrinter = nullptr;
};
