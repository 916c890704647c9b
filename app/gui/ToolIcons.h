#pragma once
// The pictures of the label tab's tool buttons, drawn rather than shipped.

#include <QIcon>

namespace app {

enum class TToolIcon { Text, Line, Frame, Picture, Barcode, ZoomIn, ZoomOut, ZoomPage, SendBackward, BringForward };

QIcon ToolIcon(TToolIcon icon);

}  // namespace app
