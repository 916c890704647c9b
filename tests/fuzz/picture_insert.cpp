// Inserts arbitrary bytes as a picture file the way the picture command
// does: the file goes through the resource loader chosen by its extension
// (byte 0 picks one of every extension a picture format or picture class
// owns, or none). The insert either raises or gives a picture shape with a
// picture; that shape must render on a label, save with it in the archive
// and come back with the same picture. Files are written into a private
// folder, removed when the run ends.

#include <stdlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/gui/MainWindow.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/startup/SubsystemStartUp.h"
#include "platform/rtl/Stream.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr std::array<const char*, 10> Extensions{".bmp", ".dib", ".jpg", ".jp", ".jpeg", ".jpe", ".hck", ".HCK", ".JPE", ""};

std::filesystem::path Root;

void RemoveRoot() {
  std::error_code ignored;
  std::filesystem::remove_all(Root, ignored);
}

std::shared_ptr<const TBitmap32> PictureOf(TdocBitmapShape& shape) {
  TdocResourceAccess access(shape.GetImage());
  return shape.GetImage().GetSharedBitmap();
}

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/picture-insert-fuzz-XXXXXX";
  Check(::mkdtemp(pattern) != nullptr);
  Root = pattern;
  std::atexit(RemoveRoot);
  imaging::StartUpSubsystem();
  app::StartUpShapes();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::filesystem::path file = Root / (std::string("picture") + Extensions[data[0] % Extensions.size()]);
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  TdocDocumentCore doc;
  std::unique_ptr<TdocShape> inserted;
  try {
    inserted = app::TForm1::NewPictureShape(file.string(), doc);
  } catch (const std::exception&) {
    std::filesystem::remove(file);
    return 0;
  }
  std::filesystem::remove(file);
  auto& shape = static_cast<TdocBitmapShape&>(*inserted);
  const std::shared_ptr<const TBitmap32> picture = PictureOf(shape);
  Check(picture != nullptr && !picture->IsEmpty());

  shape.SetStorageMode(stArchive);
  shape.SetDocFrame(5, 5, 40, 30, 10);
  doc.AddShape(std::move(inserted));
  TBitmap32 label;
  label.SetSize(120, 90);
  doc.GetCurrentPage()->RenderPageToBitmap(label, 0, 1.0f, clWhite32);
  TMemoryStream saved;
  doc.SaveToStream(saved);
  saved.SetPosition(0);
  TdocDocumentCore again;
  again.LoadFromStream(saved);
  Check(again.ShapeCount() == 1);
  auto* back = dynamic_cast<TdocBitmapShape*>(again.GetShapes(0));
  Check(back != nullptr);
  const std::shared_ptr<const TBitmap32> reread = PictureOf(*back);
  Check(reread != nullptr && SamePixels(*reread, *picture));
  return 0;
}
