#pragma once
// Classic three-dimensional control edges in the system colours, as the
// palette cells, the colour indicator and the button faces draw them.

#include <QColor>
#include <QPainter>
#include <QRect>

#include "platform/gdi/Color.h"

namespace widgets {

QColor ToQColor(TColor color);

enum class TEdge { RaisedInner, SunkenOuter, Raised, Sunken };

// Draws the edge inside `rect` and returns the rectangle left inside it.
QRect DrawEdge(QPainter& painter, const QRect& rect, TEdge edge);

// A push-button frame filled with the button face; returns the face inside.
QRect DrawButtonFrame(QPainter& painter, const QRect& rect, bool pushed);

// One-pixel outline of a rectangle (Windows FrameRect).
void FrameRect(QPainter& painter, const QRect& rect, const QColor& color);

}  // namespace widgets
