#include "platform/gdi/Clipboard.h"

#include "platform/rtl/Exception.h"

namespace {

TClipboard::TPictureService& Service() {
  static TClipboard::TPictureService service;
  return service;
}

}  // namespace

void TClipboard::Install(TPictureService service) { Service() = std::move(service); }

std::unique_ptr<TBitmap> TClipboard::GetPicture() const { return Service().Get ? Service().Get() : nullptr; }

void TClipboard::SetPicture(const TBitmap& bitmap) {
  if (!Service().Set) throw EInvalidOperation("Cannot open clipboard");
  Service().Set(bitmap);
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}
