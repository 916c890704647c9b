#include "platform/qt/Image.h"

#include <algorithm>
#include <vector>

#include <QPainter>

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

std::unique_ptr<TIcon> IconFromQIcon(const QIcon& icon, int size) {
  const QImage argb = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(argb.width()) * static_cast<std::size_t>(argb.height()));
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
    pixels.insert(pixels.end(), row, row + argb.width());
  }
  auto result = std::make_unique<TIcon>();
  result->SetAlphaImage(argb.width(), argb.height(), std::move(pixels));
  return result;
}

std::unique_ptr<TMetafile> MetafileFromPicture(const QPicture& picture) {
  const QRect bounds = picture.boundingRect();
  return std::make_unique<TMetafile>(bounds.width(), bounds.height(), [picture, bounds](TCanvas& canvas, const TRect& rect) {
    QImage image = WrapArgb(canvas.GetSurface());
    if (image.isNull() || bounds.isEmpty()) return;
    QPainter painter(&image);
    painter.translate(rect.Left, rect.Top);
    painter.scale(static_cast<double>(rect.Width()) / bounds.width(), static_cast<double>(rect.Height()) / bounds.height());
    painter.translate(-bounds.left(), -bounds.top());
    painter.drawPicture(0, 0, picture);
  });
}
