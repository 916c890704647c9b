#include "platform/qt/Image.h"

#include <algorithm>

namespace {

QImage Wrap(const TPixelSurface& surface, QImage::Format format) {
  if (surface.IsEmpty()) return {};
  const qsizetype bytesPerLine = static_cast<qsizetype>(surface.RowPitch()) * 4;
  return QImage(reinterpret_cast<uchar*>(surface.Bits), surface.Width, surface.Height, bytesPerLine, format);
}

}  // namespace

QImage WrapArgb(const TPixelSurface& surface) { return Wrap(surface, QImage::Format_ARGB32); }

QImage WrapOpaque(const TPixelSurface& surface) { return Wrap(surface, QImage::Format_RGB32); }

std::unique_ptr<TBitmap> BitmapFromImage(const QImage& image) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  if (image.isNull()) return bitmap;
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  bitmap->SetSize(argb.width(), argb.height());
  const TPixelSurface& target = bitmap->GetSurface();
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
    std::copy_n(row, argb.width(), target.ScanLine(y));
  }
  return bitmap;
}
