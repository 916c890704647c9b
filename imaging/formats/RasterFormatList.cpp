// The registry of raster formats: extension and content lookup, flags and
// the picture dialogs' filter string.

#include <algorithm>

#include "imaging/formats/RasterFormat.h"
#include "platform/rtl/Format.h"

namespace {

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Calls visit with each non-empty entry of an extension list (".bmp;.dib;").
template <class Visit>
void ForEachEntry(std::string_view list, Visit visit) {
  while (!list.empty()) {
    const std::size_t end = std::min(list.find(';'), list.size());
    if (end > 0) visit(list.substr(0, end));
    list.remove_prefix(std::min(end + 1, list.size()));
  }
}

// The lookup form of an extension: lower case, with its leading dot.
std::string ExtensionKey(std::string_view extension) {
  if (extension.empty()) return {};
  std::string key = AsciiLower(extension);
  if (key.front() != '.') key.insert(key.begin(), '.');
  return key;
}

}  // namespace

bool TRasterClassHolder::OwnsExtension(std::string_view extension) const {
  const std::string key = ExtensionKey(extension);
  bool owns = false;
  if (!key.empty()) ForEachEntry(Extensions, [&](std::string_view entry) { owns = owns || entry == key; });
  return owns;
}

void TRasterFormatList::Register(const TRasterClass& rasterClass, std::string description,
                                 std::string_view extensions, TRasterFlags flags) {
  auto holder = std::find_if(Entries.begin(), Entries.end(),
                             [&](const TRasterClassHolder& h) { return h.RasterClass == &rasterClass; });
  if (holder == Entries.end()) holder = Entries.insert(Entries.end(), TRasterClassHolder{});
  holder->RasterClass = &rasterClass;
  holder->Description = std::move(description);
  holder->ClassName = rasterClass.ClassName;
  holder->Extensions = AsciiLower(extensions);
  holder->Flags = flags;
}

const TRasterClass* TRasterFormatList::FindByExtension(std::string_view extension, TRasterFlags required) const {
  for (const TRasterClassHolder& holder : Entries)
    if ((holder.Flags & required) == required && holder.OwnsExtension(extension)) return holder.RasterClass;
  return nullptr;
}

const TRasterClass* TRasterFormatList::FindByContent(TStream& stream) const {
  for (const bool ownTest : {true, false}) {
    for (const TRasterClassHolder& holder : Entries)
      if (holder.RasterClass->TestsContent() == ownTest && holder.RasterClass->Accepts(&stream))
        return holder.RasterClass;
  }
  return nullptr;
}

TRasterFlags TRasterFormatList::FlagsOf(const TRasterClass& rasterClass) const {
  for (const TRasterClassHolder& holder : Entries)
    if (holder.RasterClass == &rasterClass) return holder.Flags;
  return 0;
}

std::string TRasterFormatList::FilterString() const {
  std::string allMasks;
  std::string filters;
  for (const TRasterClassHolder& holder : Entries) {
    if ((holder.Flags & rfListedInFilter) == 0) continue;
    std::string mask;
    ForEachEntry(holder.Extensions, [&](std::string_view entry) {
      if (!mask.empty()) mask += ';';
      mask += '*';
      mask += entry;
    });
    if (!filters.empty()) filters += '|';
    filters += rtl::Format("%s (%s)|%s", holder.Description, mask, mask);
    if (!allMasks.empty()) allMasks += ';';
    allMasks += mask;
  }
  return rtl::Format("Graphic formats|%s|%s|All Formats (*.*)|*.*", allMasks, filters);
}

namespace imaging {

TRasterFormatList& RasterFormats() {
  static TRasterFormatList formats;
  return formats;
}

void RegisterRasterFormat(const TRasterClass& rasterClass, std::string description, std::string_view extensions,
                          TRasterFlags flags) {
  RasterFormats().Register(rasterClass, std::move(description), extensions, flags);
}

const TRasterClass* FindRasterClassByExtension(std::string_view fileName) {
  return RasterFormats().FindByExtension(ExtractFileExt(fileName));
}

TRasterFlags GetRasterClassFlags(const TRasterClass& rasterClass) { return RasterFormats().FlagsOf(rasterClass); }

std::string GetRasterFilterString() { return RasterFormats().FilterString(); }

std::string ExtractFileExt(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  const std::size_t slash = fileName.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return std::string(fileName.substr(dot));
}

}  // namespace imaging
