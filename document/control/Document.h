#pragma once
// TdocDocument: the editor and viewer control of the document engine, a Qt
// scroll area that shows the current page of its document core scaled into
// the window. The core (document/core/DocumentCore.h) holds the model and the
// control's settings and events; this widget owns it, paints it, scrolls it,
// runs its 50 ms timer and shows its cursors.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>

#include "document/core/DocumentCore.h"
#include "document/editor/EditorInteraction.h"
#include "document/control/Ruler.h"
#include "document/control/ViewBuffer.h"
#include "imaging/bitmap/Bitmap32.h"

class TPrinter;
#include "document/control/SystemClipboard.h"

class QLabel;
class QAction;
class QMenu;

enum TdocBorderStyle : std::uint8_t { bsNone, bsSingle };

class TdocDocument : public QAbstractScrollArea, public TdocDocumentView, public TdocEditorHost {
public:
  // The timer's period in milliseconds.
  static constexpr int TimerInterval = 50;

  explicit TdocDocument(QWidget* parent = nullptr);
  ~TdocDocument() override;

  TdocDocumentCore& Core() { return *DocumentCore; }
  const TdocDocumentCore& Core() const { return *DocumentCore; }
  // The mouse and keyboard editing of the document (DocumentInput.cpp).
  TdocEditor& Editor() { return *DocumentEditor; }

  // ---- the view the core asks for
  void Repaint() override;
  void InvalidateRect(const TRect& clientRect) override;
  void RepaintOverlay() override { viewport()->update(); }
  void UpdateScrollArea() override;
  void ZoomPageWidth() override;
  void UpdateRulers() override;
  void ShowScreenCursor(TCursor cursor) override;
  void PostAutoDeletes() override;
  void HotzoneScrollingChanged() override;

  // ---- what the editor asks of the window (DocumentInput.cpp)
  std::uint32_t TickCount() const override;
  TPoint MousePosition() const override;
  bool InsideParent(const TPoint& clientPoint) const override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void ScrollView(int dx, int dy) override;
  void TakeFocus() override;
  // A QDrag of the selection as its XML text.
  void StartDragAndDrop() override;
  void ShowHintWindow(const TPoint& clientPoint, const std::string& text) override;
  void HideHintWindow() override;
  void StartTimer(TdocEditorTimer timer, int milliseconds) override;
  void StopTimer(TdocEditorTimer timer) override;
  // The hint window while one shows, else nil.
  const QLabel* GetHintWindow() const { return HintWindow.get(); }
  // The menu a right click opens. While a shape is edited in place: its own
  // menu, else "Cut", "Copy" and "Paste" for it; otherwise the focus shape's
  // own menu, else the control's (own, which may be nil).
  QMenu* ShapePopupMenu(QMenu* own);
  // A shape's own pop-up menu (nil: none), held by the shape and not
  // owned; a menu deleted meanwhile reads as none.
  void SetShapePopupMenu(TdocShape& shape, QMenu* menu);
  QMenu* GetShapePopupMenu(const TdocShape* shape) const;
  // The menu of "Cut", "Copy" and "Paste" for the shape edited in place,
  // owned by the control; made on first use.
  QMenu* CreateClipboardMenu();
  // An item of the clipboard menu chosen: by its caption, the edited shape
  // gets the character of cut, copy or paste; nothing outside an edit.
  void ClipboardMenuClick(const QAction& item);

  // ---- hit probes: the pixel offsets the shapes' point tests try around
  // the mouse point
  int HitProbeCount() const;
  // (0, 0) for an index out of range.
  TPoint GetHitProbe(int index) const;

  // The canvas in pixels the current page takes at the screen scale, its
  // border included; (0, 0) without a page.
  QSize GetVirtualSize() const { return VirtualSize; }
  const QTimer& GetTimer() const { return Timer; }

  // ---- scrolling: the canvas's pixel at the window's top-left corner
  // (negative while a small canvas sits centred)
  QPoint GetScrollOffset() const { return {ScrollX, ScrollY}; }
  // Scroll-bar units per canvas pixel (below 1 for very large canvases).
  float GetScrollFactor() const { return ScrollFactor; }
  void ScrollBy(int dx, int dy);
  void SetVirtualArea(int x, int y, int width, int height);

  // ---- the control's own events for its host
  // A drag-and-drop of the selection out of the control has ended.
  std::function<void(TdocDocument& sender)> OnEndDrag;
  // The keyboard focus went to another control of the window.
  std::function<void(TdocDocument& sender)> OnExit;

  // ---- the scroll box's settings
  // Show and use the scroll bars (the wheel scrolls either way).
  bool GetAutoScroll() const { return AutoScroll; }
  void SetAutoScroll(bool value);
  // bsSingle: the plain one-pixel border the rulers beside the control
  // count on; bsNone: none.
  TdocBorderStyle GetBorderStyle() const { return BorderStyle; }
  void SetBorderStyle(TdocBorderStyle value);
  // Off: a canvas smaller than the window is centred in it; on: it keeps to
  // the top-left corner.
  bool GetNoCentring() const { return NoCentring; }
  void SetNoCentring(bool value);
  // The view follows a dragged scroll-bar thumb, not only its release.
  bool GetTracking() const { return Tracking; }
  void SetTracking(bool value);
  // Fired when the scroll position changed, and at the start of each paint
  // with the canvas painted on.
  std::function<void(TdocDocument*)> OnScroll;
  std::function<void(TdocDocument*, TCanvas&)> OnPaint;

  // ---- zoom. A zoom that would leave the usable scales or canvas sizes is
  // refused and changes nothing.
  void SetScale(float pixelsPerMm);
  // False when refused.
  bool ZoomByFactor(double factor);
  void ZoomIn();
  void ZoomOut();
  // The whole page fits the window.
  void ZoomToPage();
  // The page width fits the window.
  void FitScaleToWidth();
  float GetZoomPercent() const { return DocumentCore->Options.ZoomPercent; }
  // Percent of the page-width fit; ignored unless AutoWidth is set.
  void SetZoomPercent(float value);

  // ---- rulers, owned by their parent widget; nil for none
  TRsRuler* GetRulerTop() const { return RulerTop; }
  void SetRulerTop(TRsRuler* value);
  TRsRuler* GetRulerLeft() const { return RulerLeft; }
  void SetRulerLeft(TRsRuler* value);
  TRsRulerCorner* GetRulerCorner() const { return RulerCorner; }
  void SetRulerCorner(TRsRulerCorner* value);

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
  void wheelEvent(QWheelEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Tab stays in the control, as the editor wants it.
  bool focusNextPrevChild(bool next) override;

  // Renders the document rectangle under clip (client pixels) into target,
  // which covers the client area.
  virtual void PaintDocument(TBitmap32& target, const QRect& clip);

private:
  void PrintPage(TPrinter& printer, TdocPage& page);
  // Frees the print sheet unless it is small enough to keep for the next job.
  void ReleasePrintSheet();
  void ScrollPositionChanged();
  // Clamps the offsets to the canvas and sets the bars from them.
  void UpdateScrollBars();
  // Empty bar ranges, so the client size is measured without bars.
  void HideScrollBars();
  void SetBars();
  void LayOutBars();
  // Scrolls to the offsets, clamped.
  void ScrollTo(int x, int y);
  // Runs an input handler; a failure is reported, never thrown into Qt.
  template <class Handler>
  void Guarded(const char* what, Handler handler);
  void EditorMouseMove(QMouseEvent* event);
  // A button going down or up, to the editor.
  void ButtonEvent(QMouseEvent* event, bool down);
  void ConnectEditorTimers();

  // Declared before the core, which keeps a pointer to it.
  TdocSystemClipboard Clipboard;
  std::unique_ptr<TdocDocumentCore> DocumentCore;
  std::unique_ptr<TdocEditor> DocumentEditor;
  QTimer HintTimer;
  QTimer HotzoneTimer;
  std::unique_ptr<QLabel> HintWindow;
  QMenu* ClipboardMenu = nullptr;  // a child of the control, made on first use
  bool AutoScroll = true;
  TdocBorderStyle BorderStyle = bsSingle;
  bool NoCentring = false;
  bool Tracking = true;
  QTimer Timer;
  QSize VirtualSize;
  int ScrollX = 0;
  int ScrollY = 0;
  float ScrollFactor = 1.0f;
  bool SettingBars = false;
  bool UpdatingScrollArea = false;
  int WheelRemainder = 0;
  int LastClientWidth = -1;
  // The page as rendered under the window, kept between paints.
  TdocViewBuffer PageBuffer;
  QPointer<TRsRuler> RulerTop;
  QPointer<TRsRuler> RulerLeft;
  QPointer<TRsRulerCorner> RulerCorner;
  // The client area as painted last: page, handles and feedback are drawn
  // here, then the dirty part goes to the window.
  TBitmap32 BackBuffer;
  std::unique_ptr<TPrinter> OwnPrinter;
  TPrinter* SharedPrinter = nullptr;
  // The sheet bitmap of the last print job, kept for the next one up to the
  // pixels of an A4 sheet at 400 dots per inch (64 MiB).
  static constexpr std::size_t MaxKeptPrintSheetPixels = std::size_t{1} << 24;
  TBitmap32 PrintSheet;
};
