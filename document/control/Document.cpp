#include "document/control/Document.h"

#include <cmath>
#include <exception>

#include <QEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QtGlobal>

#include "document/Page.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/gdi/StretchCopy.h"
#include "platform/qt/CursorTable.h"
#include "platform/qt/Image.h"
#include "platform/qt/Printer.h"
#include "platform/rtl/Numbers.h"

namespace {

// Pixels of border around the page in the print layout, on each side.
constexpr int PageBorder = 10;

bool UsableScale(float scale) { return std::isfinite(scale) && scale > 0.0f && scale < 1.0e4f; }

}  // namespace

TdocDocument::TdocDocument(QWidget* parent)
    : QAbstractScrollArea(parent), DocumentCore(std::make_unique<TdocDocumentCore>()) {
  DocumentCore->SetView(this);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  Timer.setInterval(TimerInterval);
  // A tick runs to its end before the next one: nothing in it processes events.
  connect(&Timer, &QTimer::timeout, this, [this] {
    try {
      DocumentCore->TimerTick();
    } catch (const std::exception& e) {
      qWarning("Document timer: %s", e.what());
    }
  });
  Timer.start();
  UpdateScrollArea();
}

TdocDocument::~TdocDocument() {
  Timer.stop();
  DocumentCore->SetView(nullptr);
}

void TdocDocument::Repaint() { viewport()->update(); }

void TdocDocument::ShowScreenCursor(TCursor cursor) { viewport()->setCursor(CursorFromId(cursor)); }

void TdocDocument::UpdateScrollArea() {
  TdocPage* page = DocumentCore->GetCurrentPage();
  const float scale = DocumentCore->GetScreenScale();
  if (!page || !UsableScale(scale)) {
    VirtualSize = QSize();
  } else {
    const bool printLayout = DocumentCore->GetViewStyle() == vsPrintLayout;
    const float width = page->GetCurbLeft() + page->GetPageWidth() + page->GetCurbRight();
    const float height = page->GetCurbTop() + page->GetPageHeight() + page->GetCurbBottom();
    const float border = printLayout ? 2.0f * PageBorder : 0.0f;
    VirtualSize = QSize(rtl::Round(width * scale + border), rtl::Round(height * scale + border));
    const float origin = printLayout ? PageBorder / scale : 0.0f;
    // Where the page sits on the canvas is the view's business, not an edit.
    auto suspended = UndoSuspension(DocumentCore.get());
    page->SetOrigin(origin, origin);
  }
  const QSize client = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, VirtualSize.width() - client.width()));
  verticalScrollBar()->setRange(0, std::max(0, VirtualSize.height() - client.height()));
  horizontalScrollBar()->setPageStep(client.width());
  verticalScrollBar()->setPageStep(client.height());
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  ScrollPositionChanged();
  Repaint();
}

void TdocDocument::ZoomPageWidth() {
  DocumentCore->Options.ZoomPercent = 100.0f;
  TdocPage* page = DocumentCore->GetCurrentPage();
  if (!page) return;
  const bool printLayout = DocumentCore->GetViewStyle() == vsPrintLayout;
  const float width = printLayout ? page->GetCurbLeft() + page->GetPageWidth() + page->GetCurbRight()
                                  : page->GetPageWidth();
  const int spare = printLayout ? 2 * PageBorder + 2 : 2;
  // Fitted without scroll bars first; when one appears, fitted again into
  // the narrower window.
  const int fullWidth = maximumViewportSize().width();
  for (int clientWidth : {fullWidth, -1}) {
    if (clientWidth < 0) clientWidth = viewport()->width();
    const float scale = static_cast<float>(clientWidth - spare) / width;
    if (!UsableScale(scale)) return;
    DocumentCore->SetScreenScale(scale);
    UpdateScrollArea();
    if (viewport()->width() >= fullWidth) return;
  }
}

int TdocDocument::ScrollOffset(int value, int virtualSize, int clientSize) {
  const int spare = virtualSize != 0 ? std::max(0, clientSize - virtualSize) : 0;
  return spare > 0 ? -(spare / 2) : value;
}

void TdocDocument::ScrollPositionChanged() {
  const float scale = DocumentCore->GetScreenScale();
  if (!UsableScale(scale)) return;
  const QSize client = viewport()->size();
  const int x = ScrollOffset(horizontalScrollBar()->value(), VirtualSize.width(), client.width());
  const int y = ScrollOffset(verticalScrollBar()->value(), VirtualSize.height(), client.height());
  DocumentCore->SetWindowOrigin(x / scale, y / scale);
  UpdateRulers();
  if (DocumentCore->OnUpdateScrollPosition) DocumentCore->OnUpdateScrollPosition(DocumentCore.get());
}

bool TdocDocument::event(QEvent* event) {
  const bool handled = QAbstractScrollArea::event(event);
  if (event->type() == QEvent::ParentChange) {
    {
      auto suspended = UndoSuspension(DocumentCore.get());
      ZoomPageWidth();
    }
    if (parentWidget()) DocumentCore->DoPageChanged(DocumentCore->GetCurrentPage());
  }
  return handled;
}

void TdocDocument::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const bool widthChanged = width() != LastClientWidth;
  LastClientWidth = width();
  if (widthChanged && DocumentCore->Options.AutoWidth && DocumentCore->Options.ZoomPercent == 100.0f)
    ZoomPageWidth();
  else
    UpdateScrollArea();
}

void TdocDocument::scrollContentsBy(int, int) {
  ScrollPositionChanged();
  Repaint();
}

void TdocDocument::paintEvent(QPaintEvent* event) {
  if (DocumentCore->IsPrinting() || DocumentCore->IsLoading()) return;
  const QRect clip = event->rect() & viewport()->rect();
  if (clip.isEmpty()) return;
  try {
    if (BackBuffer.GetWidth() != viewport()->width() || BackBuffer.GetHeight() != viewport()->height())
      BackBuffer.SetSize(viewport()->width(), viewport()->height());
    PaintDocument(BackBuffer, clip);
    TCanvas& canvas = BackBuffer.GetCanvas();
    DocumentCore->PaintSelectionHandles(canvas);
    if (TdocShape* edited = DocumentCore->GetEditShape()) edited->PaintEditState(canvas);
    DocumentCore->PaintFeedback(canvas);
  } catch (const std::exception& e) {
    qWarning("Document paint: %s", e.what());
  }
  QPainter painter(viewport());
  painter.drawImage(clip, WrapOpaque(BackBuffer.GetHandle()), clip);
}

void TdocDocument::PaintDocument(TBitmap32& target, const QRect& clip) {
  if (clip.isEmpty()) return;
  const TColor32 background = imaging::ColorToColor32(DocumentCore->Options.Color);
  const TRect area{clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1};
  TdocPage* page = DocumentCore->GetCurrentPage();
  if (!page) {
    target.FillRectClipped(area.Left, area.Top, area.Right, area.Bottom, background);
    return;
  }
  const TdocDocumentCore& core = *DocumentCore;
  TdocRenderOptions options;
  options.Device = dtScreen;
  options.Resolution = core.GetRenderAtScreenRes() ? core.GetScreenScale() : core.GetRenderResolution();
  options.BitmapResolution = core.GetScreenScale();
  options.StretchFilter = core.GetQuality();
  options.Color = imaging::SetColorAlpha(imaging::ColorToColor32(page->GetPageColor()), 0);

  TBitmap32 bitmap;
  bitmap.SetSize(clip.width(), clip.height());
  bitmap.Clear(background);
  const TFloatPoint topLeft = core.ClientToDoc({static_cast<float>(area.Left), static_cast<float>(area.Top)});
  const TFloatPoint bottomRight = core.ClientToDoc({static_cast<float>(area.Right), static_cast<float>(area.Bottom)});
  page->RenderShape(bitmap, {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y}, false, options);
  gdi::StretchCopy(target.GetHandle(), area, bitmap.GetHandle(), bitmap.BoundsRect(), TStretchMode::Nearest);
}
