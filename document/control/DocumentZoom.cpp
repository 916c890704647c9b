// TdocDocument: scrolling the canvas of the current page, zooming it and
// keeping the rulers in step.

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "document/page/Page.h"
#include "document/editor/ViewGeometry.h"
#include "document/control/Document.h"
#include "platform/rtl/Numbers.h"

namespace {

// Resets a flag when the scope is left, also by an exception.
class TFlagScope {
public:
  explicit TFlagScope(bool& flag) : Flag(flag) { Flag = true; }
  ~TFlagScope() { Flag = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

private:
  bool& Flag;
};

int ScaledRound(double value, float factor) { return rtl::Round(value * factor); }

// Wheel angle units of one notch.
constexpr int WheelNotch = 120;

}  // namespace

// ---- scrolling

void TdocDocument::SetBars() {
  TFlagScope setting(SettingBars);
  const QSize client = viewport()->size();
  const auto setBar = [this](QScrollBar* bar, int virtualSize, int clientSize, int offset) {
    const int range = ScaledRound(virtualSize, ScrollFactor);
    const int page = ScaledRound(clientSize, ScrollFactor);
    bar->setRange(0, std::max(0, range - page));
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(std::max(1, ScaledRound(docview::LineStep, ScrollFactor)));
    bar->setTracking(Tracking);
    bar->setValue(ScaledRound(std::max(0, offset), ScrollFactor));
  };
  setBar(horizontalScrollBar(), VirtualSize.width(), client.width(), ScrollX);
  setBar(verticalScrollBar(), VirtualSize.height(), client.height(), ScrollY);
  LayOutBars();
}

void TdocDocument::LayOutBars() {
  // The scroll area shows or hides its bars later, from the event loop; the
  // fits measure the client at once, so the bars are laid out now.
  setHorizontalScrollBarPolicy(horizontalScrollBarPolicy());
  setVerticalScrollBarPolicy(verticalScrollBarPolicy());
}

void TdocDocument::UpdateScrollBars() {
  ScrollFactor = docview::ScrollFactor(VirtualSize.width(), VirtualSize.height());
  // Bars that appear or vanish change the client size: clamp again then.
  for (int pass = 0; pass < 3; ++pass) {
    const QSize client = viewport()->size();
    const int x = docview::ClampScrollOffset(ScrollX, VirtualSize.width(), client.width(), NoCentring);
    const int y = docview::ClampScrollOffset(ScrollY, VirtualSize.height(), client.height(), NoCentring);
    if (x != ScrollX || y != ScrollY) {
      ScrollX = x;
      ScrollY = y;
      ScrollPositionChanged();
      Repaint();
    }
    SetBars();
    if (viewport()->size() == client) return;
  }
}

void TdocDocument::HideScrollBars() {
  TFlagScope setting(SettingBars);
  horizontalScrollBar()->setRange(0, 0);
  verticalScrollBar()->setRange(0, 0);
  LayOutBars();
}

void TdocDocument::SetVirtualArea(int x, int y, int width, int height) {
  if (x == ScrollX && y == ScrollY && QSize(width, height) == VirtualSize) return;
  if (x != ScrollX || y != ScrollY) {
    ScrollX = x;
    ScrollY = y;
    ScrollPositionChanged();
  }
  VirtualSize = QSize(width, height);
  UpdateScrollBars();
}

void TdocDocument::ScrollTo(int x, int y) {
  const QSize client = viewport()->size();
  x = docview::ClampScrollOffset(x, VirtualSize.width(), client.width(), NoCentring);
  y = docview::ClampScrollOffset(y, VirtualSize.height(), client.height(), NoCentring);
  if (x == ScrollX && y == ScrollY) return;
  const int dx = x - ScrollX;
  const int dy = y - ScrollY;
  ScrollX = x;
  ScrollY = y;
  ScrollPositionChanged();
  viewport()->scroll(-dx, -dy);
  SetBars();
}

void TdocDocument::ScrollBy(int dx, int dy) { ScrollTo(ScrollX + dx, ScrollY + dy); }

void TdocDocument::scrollContentsBy(int, int) {
  if (SettingBars || !AutoScroll) return;
  // A bar moved by the user: its value is the offset in bar units.
  const auto offset = [this](const QScrollBar* bar) { return rtl::Round(bar->value() / ScrollFactor); };
  const bool horizontal = horizontalScrollBar()->maximum() > 0;
  const bool vertical = verticalScrollBar()->maximum() > 0;
  ScrollTo(horizontal ? offset(horizontalScrollBar()) : ScrollX, vertical ? offset(verticalScrollBar()) : ScrollY);
}

void TdocDocument::wheelEvent(QWheelEvent* event) {
  const QPoint angle = event->angleDelta();
  WheelRemainder += angle.y() != 0 ? angle.y() : angle.x();
  const int notches = WheelRemainder / WheelNotch;
  WheelRemainder -= notches * WheelNotch;
  const bool horizontal = event->modifiers().testFlag(Qt::ShiftModifier);
  const int lines = std::max(0, QApplication::wheelScrollLines());
  // Each notch scrolls in growing steps of 1 .. lines pixels.
  for (int notch = 0; notch < std::abs(notches); ++notch) {
    for (int step = 1; step <= lines; ++step) {
      const int delta = notches > 0 ? -(lines + 1 - step) : step;
      horizontal ? ScrollBy(delta, 0) : ScrollBy(0, delta);
    }
  }
  event->accept();
}

void TdocDocument::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
  const bool widthChanged = width() != LastClientWidth;
  LastClientWidth = width();
  if (widthChanged && DocumentCore->Options.AutoWidth && DocumentCore->Options.ZoomPercent == 100.0f)
    SetZoomPercent(100.0f);
}

void TdocDocument::ScrollPositionChanged() {
  const float scale = DocumentCore->GetScreenScale();
  if (!docview::UsableScreenScale(scale)) return;
  DocumentCore->SetWindowOrigin(ScrollX / scale, ScrollY / scale);
  UpdateRulers();
  if (DocumentCore->OnUpdateScrollPosition) DocumentCore->OnUpdateScrollPosition(DocumentCore.get());
  if (OnScroll) OnScroll(this);
}

// ---- the scroll box's settings

void TdocDocument::SetAutoScroll(bool value) {
  if (value == AutoScroll) return;
  AutoScroll = value;
  const Qt::ScrollBarPolicy policy = value ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
  setHorizontalScrollBarPolicy(policy);
  setVerticalScrollBarPolicy(policy);
  UpdateScrollBars();
}

void TdocDocument::SetBorderStyle(TdocBorderStyle value) {
  BorderStyle = value;
  if (value == bsSingle) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
  } else {
    setFrameStyle(QFrame::NoFrame);
  }
}

void TdocDocument::SetNoCentring(bool value) {
  if (value == NoCentring) return;
  NoCentring = value;
  UpdateScrollBars();
  Repaint();
}

void TdocDocument::SetTracking(bool value) {
  Tracking = value;
  horizontalScrollBar()->setTracking(value);
  verticalScrollBar()->setTracking(value);
}

void TdocDocument::UpdateScrollArea() {
  if (UpdatingScrollArea) return;
  TFlagScope updating(UpdatingScrollArea);
  TdocPage* page = DocumentCore->GetCurrentPage();
  const float scale = DocumentCore->GetScreenScale();
  QSize area;
  if (page && docview::UsableScreenScale(scale)) {
    const bool printLayout = DocumentCore->GetViewStyle() == vsPrintLayout;
    const float width = page->GetCurbLeft() + page->GetPageWidth() + page->GetCurbRight();
    const float height = page->GetCurbTop() + page->GetPageHeight() + page->GetCurbBottom();
    const float border = printLayout ? 2.0f * docview::PageBorder : 0.0f;
    const double areaWidth = std::min<double>(width * scale + border, docview::MaxCanvasSize);
    const double areaHeight = std::min<double>(height * scale + border, docview::MaxCanvasSize);
    area = QSize(rtl::Round(std::max(0.0, areaWidth)), rtl::Round(std::max(0.0, areaHeight)));
    const float origin = printLayout ? docview::PageBorder / scale : 0.0f;
    // Where the page sits on the canvas is the view's business, not an edit.
    auto suspended = UndoSuspension(DocumentCore.get());
    page->SetOrigin(origin, origin);
  }
  SetVirtualArea(0, 0, area.width(), area.height());
  ScrollPositionChanged();
  Repaint();
}

// ---- zoom

void TdocDocument::SetScale(float pixelsPerMm) {
  if (pixelsPerMm == DocumentCore->GetScreenScale()) return;
  DocumentCore->SetScreenScale(pixelsPerMm);
  if (!DocumentCore->IsPrinting()) Repaint();
}

bool TdocDocument::ZoomByFactor(double factor) {
  const double scale = DocumentCore->GetScreenScale() * factor;
  if (!docview::UsableScreenScale(scale)) return false;
  const QSize client = viewport()->size();
  const auto area = docview::ZoomArea({ScrollX, ScrollY, VirtualSize.width(), VirtualSize.height()},
                                      client.width(), client.height(), factor);
  if (!area) return false;
  SetScale(static_cast<float>(scale));
  SetVirtualArea(area->X, area->Y, area->Width, area->Height);
  // The new scale maps the same offsets to other document positions.
  ScrollPositionChanged();
  Repaint();
  return true;
}

void TdocDocument::ZoomIn() {
  if (ZoomByFactor(1.1)) DocumentCore->Options.ZoomPercent *= 1.1f;
}

void TdocDocument::ZoomOut() {
  if (ZoomByFactor(0.9090909)) DocumentCore->Options.ZoomPercent /= 1.1f;
}

void TdocDocument::SetZoomPercent(float value) {
  if (!DocumentCore->Options.AutoWidth) return;
  if (!std::isfinite(value) || value <= 0.0f) return;
  DocumentCore->Options.ZoomPercent = value;
  FitScaleToWidth();
  // Past the usable zoom the page stays fitted to the width.
  if (!ZoomByFactor(value / 100.0)) DocumentCore->Options.ZoomPercent = 100.0f;
}

void TdocDocument::ZoomPageWidth() {
  DocumentCore->Options.ZoomPercent = 100.0f;
  FitScaleToWidth();
}

void TdocDocument::FitScaleToWidth() {
  TdocPage* page = DocumentCore->GetCurrentPage();
  if (!page) return;
  const bool printLayout = DocumentCore->GetViewStyle() == vsPrintLayout;
  const int spare = printLayout ? docview::FitSparePrintLayout : docview::FitSpareNormal;
  const double width = printLayout ? page->GetPageWidth() + page->GetCurbLeft() + page->GetCurbRight()
                                   : page->GetPageWidth();
  HideScrollBars();
  const int fullWidth = viewport()->width();
  const auto scale = docview::FitScale(fullWidth, spare, width);
  if (!scale) return;
  SetScale(*scale);
  UpdateScrollArea();
  // A bar that appeared narrowed the window: fit into what is left.
  if (viewport()->width() >= fullWidth) return;
  if (const auto narrower = docview::FitScale(viewport()->width(), spare, width)) {
    SetScale(*narrower);
    UpdateScrollArea();
  }
}

void TdocDocument::ZoomToPage() {
  TdocPage* page = DocumentCore->GetCurrentPage();
  if (!page) return;
  const int spare = DocumentCore->GetViewStyle() == vsPrintLayout ? docview::PageSparePrintLayout
                                                                   : docview::PageSpareNormal;
  const double pageWidth = page->GetPageWidth();
  int clientWidth = 0;
  for (int pass = 0; pass < 2; ++pass) {
    HideScrollBars();
    clientWidth = viewport()->width();
    const auto byWidth = docview::FitScale(clientWidth, spare, pageWidth);
    const auto byHeight = docview::FitScale(viewport()->height(), spare, page->GetPageHeight());
    if (!byWidth || !byHeight) return;
    SetScale(std::min(*byWidth, *byHeight));
    UpdateScrollArea();
  }
  DocumentCore->Options.ZoomPercent =
      static_cast<float>(pageWidth * DocumentCore->GetScreenScale() / (clientWidth - spare) * 100.0);
}

// ---- rulers

void TdocDocument::SetRulerTop(TRsRuler* value) {
  RulerTop = value;
  UpdateRulers();
}

void TdocDocument::SetRulerLeft(TRsRuler* value) {
  RulerLeft = value;
  UpdateRulers();
}

void TdocDocument::SetRulerCorner(TRsRulerCorner* value) {
  RulerCorner = value;
  UpdateRulers();
}

void TdocDocument::UpdateRulers() {
  TdocPage* page = DocumentCore->GetCurrentPage();
  if ((!RulerTop && !RulerLeft && !RulerCorner) || !page) return;
  const TRulerUnit units = DocumentCore->GetRulerUnits();
  const float scale = DocumentCore->GetScreenScale();
  // The page position under the window's top-left pixel: document
  // coordinates less where the page sits on the canvas.
  const TFloatPoint corner = DocumentCore->ClientToDoc({0.0f, 0.0f});
  const TFloatPoint origin{corner.X - page->GetDocLeft(), corner.Y - page->GetDocTop()};
  const auto follow = [&](TRsRuler& ruler, float offset) {
    ruler.SetUnits(units);
    ruler.SetOffset(offset);
    ruler.SetScreenDpm(scale);
  };
  if (RulerTop) follow(*RulerTop, origin.X);
  if (RulerLeft) follow(*RulerLeft, origin.Y);
  if (RulerCorner) RulerCorner->SetUnits(units);
}

void TdocDocument::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (RulerTop) RulerTop->SetHairLinePos(at.x());
  if (RulerLeft) RulerLeft->SetHairLinePos(at.y());
  EditorMouseMove(event);
  QAbstractScrollArea::mouseMoveEvent(event);
}
