#pragma once
// The system clipboard: text (the editor's selection XML, copied text) and
// images (the exported label). Main thread only.

#include <memory>
#include <string>
#include <string_view>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Surface.h"

void SetClipboardText(std::u16string_view text);
// The clipboard's text; empty when it holds none.
std::u16string GetClipboardText();

// Puts an opaque copy of the pixels on the clipboard: alpha bytes are not
// part of a device bitmap's picture.
void SetClipboardImage(const TPixelSurface& image);
// The clipboard's image as a 32-bit bitmap; nullptr when it holds none.
std::unique_ptr<TBitmap> GetClipboardImage();

// Connects the framework's clipboard (platform/gdi/Clipboard.h) to these
// images, so that bitmaps are pasted from and copied to the system clipboard.
void InstallClipboardPictures();
