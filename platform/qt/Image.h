#pragma once
// QImage views of the platform's 32-bit pixel surfaces, and the way back.
// TColor32's 0xAARRGGBB words have QImage::Format_ARGB32's layout, so a view
// shares the pixels without converting them. Qt's icons and vector pictures
// become the platform's icons and metafiles.

#include <memory>

#include <QIcon>
#include <QImage>
#include <QPicture>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Icon.h"
#include "platform/gdi/Metafile.h"
#include "platform/gdi/Surface.h"

// The surface's pixels with their alpha; valid while the surface's memory is.
QImage WrapArgb(const TPixelSurface& surface);
// The surface's pixels with the alpha bytes ignored, as a device copy of a
// bitmap treats them (canvas drawing leaves alpha 0 on what it draws).
QImage WrapOpaque(const TPixelSurface& surface);
// A 32-bit platform bitmap holding a copy of the image's pixels.
std::unique_ptr<TBitmap> BitmapFromImage(const QImage& image);
// The icon at size x size pixels, with its alpha.
std::unique_ptr<TIcon> IconFromQIcon(const QIcon& icon, int size);
// A metafile of the picture's bounding size that plays the picture scaled
// into the rectangle it is drawn in.
std::unique_ptr<TMetafile> MetafileFromPicture(const QPicture& picture);
