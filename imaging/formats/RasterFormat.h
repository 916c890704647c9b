#pragma once
// Raster file formats and their registry. Each format is a TdocRaster
// subclass, known to the registry by a TRasterClass record (name, virtual
// constructor, content test) together with a description for the picture
// dialogs, the extensions it owns and what it can do (TRasterFlags). The
// order of registration decides which format wins when several could.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/core/RasterError.h"
#include "platform/rtl/Stream.h"
#include "platform/rtl/Types.h"

class TCustomBitmap32;
class TdocRaster;

using TRasterFlags = std::uint16_t;
constexpr TRasterFlags rfLoadsFromStream = 0x01;  // else only from a file by name
constexpr TRasterFlags rfListedInFilter = 0x02;   // appears in the dialog filter
constexpr TRasterFlags rfSavesToStream = 0x04;    // else only to a file by name
constexpr TRasterFlags rfSavedByExtension = 0x08; // chosen when saving by extension
constexpr TRasterFlags rfAll = rfLoadsFromStream | rfListedInFilter | rfSavesToStream | rfSavedByExtension;

// A raster format as a class: one record per format (its static Class()),
// compared by address.
struct TRasterClass {
  const char* ClassName;
  std::unique_ptr<TdocRaster> (*Create)();
  // Whether the stream holds this format's data, read from its position,
  // which is left where it was; never raises for a short stream. Null for a
  // format without a content test of its own: it accepts any stream.
  bool (*AcceptsStream)(TStream* stream);

  bool Accepts(TStream* stream) const { return AcceptsStream == nullptr || AcceptsStream(stream); }
  bool TestsContent() const { return AcceptsStream != nullptr; }
};

// The base of the formats: what a load found out about the file, and the
// four transfers, of which each format overrides what it supports.
class TdocRaster {
public:
  // Takes the flags registered for the class (0 when it is not registered).
  explicit TdocRaster(const TRasterClass& rasterClass);
  virtual ~TdocRaster() = default;
  TdocRaster(const TdocRaster&) = delete;
  TdocRaster& operator=(const TdocRaster&) = delete;

  const TRasterClass& GetClass() const { return Class; }
  TRasterFlags GetFlags() const { return Flags; }

  // Opens the file, loads it through LoadFromStream and records its size;
  // "Method not implemented" for a format that cannot load from a stream.
  virtual void LoadFromFile(const std::string& fileName, TCustomBitmap32& bitmap, std::int32_t pageIndex,
                            TSize targetSize);
  // Loads page pageIndex from the stream's position. targetSize is the size
  // the caller wants at most; formats may use it to reduce large pictures.
  virtual void LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex,
                              TSize targetSize);
  virtual void SaveToStream(TStream& stream, const TCustomBitmap32& bitmap);
  // The resolution a saved file declares, in dots per millimetre; 0 leaves
  // each format's default.
  double SaveDotsPerMm = 0;
  // Encodes the whole picture before the file is created, so a failing
  // encoder leaves an existing file as it was; records the file's size.
  virtual void SaveToFile(const std::string& fileName, const TCustomBitmap32& bitmap);

  // Image size stored in the file, set by the loaders.
  std::int32_t ImageWidth = 0;
  std::int32_t ImageHeight = 0;
  std::int32_t PageCount = 1;
  // Bytes of the named file after the last load from or save to it.
  std::int64_t FileSize = 0;

private:
  const TRasterClass& Class;
  TRasterFlags Flags;
};

// What the registry knows of one format.
struct TRasterClassHolder {
  const TRasterClass* RasterClass = nullptr;
  std::string Description;
  std::string ClassName;
  std::string Extensions;  // lower case, each with its dot and a ";" after it: ".bmp;.dib;"
  TRasterFlags Flags = 0;

  // Whether extension (with its dot, any case) is one of the entries.
  bool OwnsExtension(std::string_view extension) const;
};

// An ordered list of formats. The program's one list is RasterFormats();
// other lists serve to check the registry rules in isolation.
class TRasterFormatList {
public:
  // Updates the entry of a class already listed, else appends one.
  void Register(const TRasterClass& rasterClass, std::string description, std::string_view extensions,
                TRasterFlags flags);
  // The first class that owns the extension and has every flag of required.
  const TRasterClass* FindByExtension(std::string_view extension, TRasterFlags required = 0) const;
  // The first class whose content test accepts the stream; formats without a
  // test of their own come only after every format with one has declined.
  const TRasterClass* FindByContent(TStream& stream) const;
  TRasterFlags FlagsOf(const TRasterClass& rasterClass) const;
  // "Graphic formats|<all masks>|<description> (<mask>)|<mask>|...|All Formats (*.*)|*.*"
  // over the formats flagged rfListedInFilter.
  std::string FilterString() const;
  const std::vector<TRasterClassHolder>& Holders() const { return Entries; }

private:
  std::vector<TRasterClassHolder> Entries;
};

namespace imaging {

// The registry of the program.
TRasterFormatList& RasterFormats();

void RegisterRasterFormat(const TRasterClass& rasterClass, std::string description, std::string_view extensions,
                          TRasterFlags flags);
// The class owning the extension of fileName; null when it has none or no
// format owns it.
const TRasterClass* FindRasterClassByExtension(std::string_view fileName);
TRasterFlags GetRasterClassFlags(const TRasterClass& rasterClass);
std::string GetRasterFilterString();

// The extension of a file name: from its last "." on, dot included; empty
// when the last path component has no dot.
std::string ExtractFileExt(std::string_view fileName);

}  // namespace imaging
