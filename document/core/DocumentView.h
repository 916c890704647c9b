#pragma once
// What the document core asks of the window that shows it: repaints, the
// scroll area and zoom, the rulers and the screen cursor. The editor control
// (document/control) implements it on Qt; without a view the core changes
// its model only, which is how tools and tests use it.

#include "platform/rtl/Cursors.h"
#include "platform/rtl/Types.h"

class TdocDocumentView {
public:
  virtual void Repaint() = 0;
  // Only the client rectangle changed (a shape's old or new place): the
  // rest of the view stays as painted. A view that keeps nothing repaints.
  virtual void InvalidateRect(const TRect& /*clientRect*/) { Repaint(); }
  // Only what is drawn over the page changed (the feedback of a mouse
  // gesture): the page as rendered stays.
  virtual void RepaintOverlay() { Repaint(); }
  // The scrolled area follows the current page's size at the screen scale.
  virtual void UpdateScrollArea() = 0;
  // The screen scale fits the current page's width into the window.
  virtual void ZoomPageWidth() = 0;
  // Rulers follow the units, origin and scale.
  virtual void UpdateRulers() = 0;
  virtual void ShowScreenCursor(TCursor cursor) = 0;
  // Shapes asked to be deleted: call the core's RunAutoDeletes once the
  // event being handled is over.
  virtual void PostAutoDeletes() {}
  // Options.HotzoneScrolling changed: the hot zone's timer follows it.
  virtual void HotzoneScrollingChanged() {}

protected:
  TdocDocumentView() = default;
  ~TdocDocumentView() = default;
  TdocDocumentView(const TdocDocumentView&) = default;
  TdocDocumentView& operator=(const TdocDocumentView&) = default;
};
