#include "platform/qt/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/gdi/Clipboard.h"
#include "platform/qt/Image.h"

namespace {

QClipboard& SystemClipboard() { return *QGuiApplication::clipboard(); }

}  // namespace

void SetClipboardText(std::u16string_view text) {
  SystemClipboard().setText(QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())));
}

std::u16string GetClipboardText() {
  const QString text = SystemClipboard().text();
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

void SetClipboardImage(const TPixelSurface& image) {
  // A 24-bit deep copy: the clipboard outlives the caller's pixels, and the
  // conversion drops the alpha bytes.
  SystemClipboard().setImage(WrapOpaque(image).convertToFormat(QImage::Format_RGB888));
}

std::unique_ptr<TBitmap> GetClipboardImage() {
  const QMimeData* data = SystemClipboard().mimeData();
  if (data == nullptr || !data->hasImage()) return nullptr;
  return BitmapFromImage(SystemClipboard().image());
}

void InstallClipboardPictures() {
  TClipboard::Install({GetClipboardImage, [](const TBitmap& bitmap) { SetClipboardImage(bitmap.GetSurface()); }});
}
