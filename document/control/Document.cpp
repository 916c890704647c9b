#include "document/control/Document.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <exception>

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QtGlobal>

#include "document/page/Page.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/qt/CursorTable.h"
#include "platform/qt/Image.h"
#include "platform/qt/Printer.h"

namespace {

// The client pixels the page's rectangle certainly covers: a pixel in from
// its edges, whatever the rounding of the page's own painting.
TRect PageInterior(const TdocDocumentCore& core, const TdocPage& page) {
  const TFloatPoint a = core.DocToClient(page.LocalToParent({0.0f, 0.0f}));
  const TFloatPoint b = core.DocToClient(page.LocalToParent({page.GetDocWidth(), page.GetDocHeight()}));
  const auto inward = [](float low, float high) {
    return std::pair{static_cast<std::int32_t>(std::ceil(std::min(low, high))) + 1,
                     static_cast<std::int32_t>(std::floor(std::max(low, high))) - 1};
  };
  const auto [left, right] = inward(a.X, b.X);
  const auto [top, bottom] = inward(a.Y, b.Y);
  return {left, top, std::max(left, right), std::max(top, bottom)};
}

// Fills the pixels of the bitmap's clip rectangle outside inner.
void FillOutside(TBitmap32& bitmap, const TRect& inner, TColor32 color) {
  const std::int32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
  bitmap.FillRectClipped(0, 0, width, inner.Top, color);
  bitmap.FillRectClipped(0, inner.Bottom, width, height, color);
  bitmap.FillRectClipped(0, inner.Top, inner.Left, inner.Bottom, color);
  bitmap.FillRectClipped(inner.Right, inner.Top, width, inner.Bottom, color);
}

}  // namespace

TdocDocument::TdocDocument(QWidget* parent)
    : QAbstractScrollArea(parent),
      DocumentCore(std::make_unique<TdocDocumentCore>()),
      DocumentEditor(std::make_unique<TdocEditor>(*DocumentCore, *this)) {
  DocumentCore->SetView(this);
  DocumentCore->SetTextClipboard(&Clipboard);
  setFocusPolicy(Qt::StrongFocus);
  SetBorderStyle(bsSingle);
  viewport()->setMouseTracking(true);
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
  ConnectEditorTimers();
  UpdateScrollArea();
}

TdocDocument::~TdocDocument() {
  Timer.stop();
  HintTimer.stop();
  HotzoneTimer.stop();
  DocumentCore->SetView(nullptr);
}

void TdocDocument::Repaint() {
  PageBuffer.Invalidate();
  viewport()->update();
}

void TdocDocument::InvalidateRect(const TRect& clientRect) {
  const QRect rect = QRect(QPoint(clientRect.Left, clientRect.Top), QPoint(clientRect.Right - 1, clientRect.Bottom - 1));
  PageBuffer.Invalidate(rect);
  viewport()->update(rect);
}

void TdocDocument::ShowScreenCursor(TCursor cursor) { viewport()->setCursor(CursorFromId(cursor)); }

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

void TdocDocument::paintEvent(QPaintEvent* event) {
  if (DocumentCore->IsPrinting() || DocumentCore->IsLoading()) return;
  const QRect clip = event->rect() & viewport()->rect();
  if (clip.isEmpty()) return;
  const TdocViewBuffer::TKey key{DocumentCore->GetWindowLeft(), DocumentCore->GetWindowTop(),
                                 DocumentCore->GetScreenScale(), viewport()->size()};
  const auto render = [this](TBitmap32& target, const QRect& rect) { PaintDocument(target, rect); };
  const TBitmap32* shown = &BackBuffer;
  try {
    if (!OnPaint && !DocumentCore->PaintsOverPage()) {
      // Nothing drawn over the page: it goes to the window as kept, without
      // a copy through the back buffer.
      shown = &PageBuffer.Update(clip, key, render);
    } else {
      if (BackBuffer.GetWidth() != viewport()->width() || BackBuffer.GetHeight() != viewport()->height())
        BackBuffer.SetSize(viewport()->width(), viewport()->height());
      PageBuffer.Paint(BackBuffer, clip, key, render);
      TCanvas& canvas = BackBuffer.GetCanvas();
      if (OnPaint) OnPaint(this, canvas);
      DocumentCore->PaintSelectionHandles(canvas);
      if (TdocShape* edited = DocumentCore->GetEditShape()) edited->PaintEditState(canvas);
      DocumentCore->PaintFeedback(canvas);
    }
  } catch (const std::exception& e) {
    qWarning("Document paint: %s", e.what());
  }
  QPainter painter(viewport());
  painter.drawImage(clip, WrapOpaque(shown->GetHandle()), clip);
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
  // Zoomed in past the render resolution, shapes are cached at the view's
  // own: magnifying a coarser cache costs a resampling of every pixel at
  // each repaint and blurs what it shows.
  options.BitmapResolution = core.GetScreenScale();
  options.Resolution = std::max(core.GetRenderAtScreenRes() ? core.GetScreenScale() : core.GetRenderResolution(),
                                options.BitmapResolution);
  options.StretchFilter = core.GetQuality();
  options.Color = imaging::SetColorAlpha(imaging::ColorToColor32(page->GetPageColor()), 0);

  // The page is always mapped onto the whole view and only the clip is
  // drawn: a part rendered again matches, pixel for pixel, the same part of
  // the whole view rendered at once.
  const TRect savedClip = target.GetClipRect();
  target.SetClipRect(area);
  auto restore = TdocBracketGuard([&target, savedClip] { target.SetClipRect(savedClip); });
  if (page->CoversItsRectangle(options))
    FillOutside(target, PageInterior(core, *page), background);
  else
    target.Clear(background);
  const TFloatPoint topLeft = core.ClientToDoc({0.0f, 0.0f});
  const TFloatPoint bottomRight =
      core.ClientToDoc({static_cast<float>(target.GetWidth()), static_cast<float>(target.GetHeight())});
  page->RenderShape(target, {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y}, false, options);
}
