#pragma once
// The editor's own cursors (rotation, size-copy and the insertion crosses),
// drawn as 32 x 32 bitmaps: black strokes with a white rim.

#include <optional>

#include <QCursor>

#include "platform/rtl/Cursors.h"

// The drawn cursor for an editor cursor id (-30 .. -38); none for other ids.
std::optional<QCursor> DrawEditorCursor(TCursor id);
