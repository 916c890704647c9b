#pragma once
// The clipboard as the framework's graphics reach it: a picture is taken from
// it or put on it. The system clipboard belongs to the windowing layer, which
// installs the service behind it (platform/qt/Clipboard.h); until then the
// clipboard holds no picture and takes none.

#include <functional>
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Persistent.h"

class TClipboard : public TPersistent {
public:
  struct TPictureService {
    std::function<std::unique_ptr<TBitmap>()> Get;  // null when the clipboard holds no picture
    std::function<void(const TBitmap& bitmap)> Set;
  };
  static void Install(TPictureService service);

  std::string ClassName() const override { return "TClipboard"; }
  // The clipboard's picture as a bitmap; null when it holds none.
  std::unique_ptr<TBitmap> GetPicture() const;
  // Raises EInvalidOperation "Cannot open clipboard" when there is no
  // clipboard to put it on.
  void SetPicture(const TBitmap& bitmap);
};

// The program's clipboard.
TClipboard& Clipboard();
