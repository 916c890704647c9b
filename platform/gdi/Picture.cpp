#include "platform/gdi/Picture.h"

#include <algorithm>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view WithoutDot(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  return extension;
}

bool SameExtension(std::string_view a, std::string_view b) {
  a = WithoutDot(a);
  b = WithoutDot(b);
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace

void TGraphicFormatList::Register(std::string_view extension, std::string description,
                                  const TGraphicClass& graphicClass) {
  auto entry = std::find_if(Entries.begin(), Entries.end(),
                            [&](const TGraphicFileFormat& f) { return SameExtension(f.Extension, extension); });
  if (entry == Entries.end()) entry = Entries.insert(Entries.end(), TGraphicFileFormat{});
  entry->Extension = WithoutDot(extension);
  entry->Description = std::move(description);
  entry->GraphicClass = &graphicClass;
}

const TGraphicClass* TGraphicFormatList::Find(std::string_view extension) const {
  if (WithoutDot(extension).empty()) return nullptr;
  for (const TGraphicFileFormat& format : Entries)
    if (SameExtension(format.Extension, extension)) return format.GraphicClass;
  return nullptr;
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

TBitmap& TPicture::GetBitmap() {
  if (dynamic_cast<TBitmap*>(Graphic.get()) == nullptr) Graphic = std::make_unique<TBitmap>();
  return static_cast<TBitmap&>(*Graphic);
}

void TPicture::RegisterFileFormat(std::string_view extension, std::string description,
                                  const TGraphicClass& graphicClass) {
  Registry().Register(extension, std::move(description), graphicClass);
}

const TGraphicClass& TPicture::FindGraphicClass(std::string_view extension) {
  const TGraphicClass* graphicClass = Registry().Find(extension);
  if (graphicClass == nullptr)
    throw EInvalidGraphic(rtl::Format("Unknown picture file extension \"%s\"", std::string(extension)));
  return *graphicClass;
}

TGraphicFormatList& TPicture::Registry() {
  static TGraphicFormatList registry;
  return registry;
}
