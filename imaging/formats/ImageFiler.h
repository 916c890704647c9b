#pragma once
// TdocImageFiler: one load or save of a picture through the raster format
// registry. It is given a file name, or a stream plus an extension, picks
// the format (by extension, and when loading also by content) and hands the
// work to one raster object of that format, which it keeps for later calls.

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/formats/RasterFormat.h"

class TdocImageFiler {
public:
  TdocImageFiler() = default;
  TdocImageFiler(const TdocImageFiler&) = delete;
  TdocImageFiler& operator=(const TdocImageFiler&) = delete;

  // With its dot (".bmp"); a different value drops the raster object.
  const std::string& GetExtension() const { return Extension; }
  void SetExtension(std::string value);
  // A different value drops the raster object.
  const std::string& GetFileName() const { return FileName; }
  void SetFileName(std::string value);

  // Loads the picture into bitmap. Raises ERasterError "Unknown raster
  // format "%s"" when neither the extension nor the content names a format;
  // the readers' own errors pass through.
  void LoadBitmap(TCustomBitmap32& bitmap);
  // Saves bitmap in the format of the file name's extension (or Extension),
  // or of the raster object of an earlier call. Raises ERasterError "Cannot
  // save format "%s"" when no savable format owns the extension.
  void SaveBitmap(const TCustomBitmap32& bitmap);

  // A stream is set and the raster object can load from (save to) streams.
  bool CanLoadFromStream() const;
  bool CanSaveToStream() const;

  TdocRaster* GetRaster() const { return Raster.get(); }
  // Copied from the raster object after a load.
  std::int32_t GetPageCount() const { return PageCount; }
  // Bytes read or written by the last load or save.
  std::int64_t GetLastSize() const { return LastSize; }

  // The largest size the caller wants; formats may reduce larger pictures.
  std::int32_t TargetWidth = 4000;
  std::int32_t TargetHeight = 4000;
  // The resolution a saved file declares, in dots per millimetre; 0 leaves
  // the format's default.
  double DotsPerMm = 0;
  // The page to load from a multi-page file.
  std::int32_t PageIndex = 0;
  // When set (not owned), loads and saves use it from its position instead
  // of the named file.
  TStream* Stream = nullptr;

private:
  void FindLoadFormat();
  // Keeps the raster object of the extension's format when its content test
  // (if any) accepts the data.
  void ChooseByExtension();
  void ChooseByContent();
  TSize TargetSize() const { return TSize{TargetWidth, TargetHeight}; }

  std::string Extension;
  std::string FileName;
  std::unique_ptr<TdocRaster> Raster;
  std::int32_t PageCount = 0;
  std::int64_t LastSize = 0;
};

namespace imaging {

// Loads page pageIndex of the picture at the stream's position in the format
// of extension. A target size with a positive area replaces the default.
void LoadRasterFromStream(TStream& stream, const std::string& extension, TCustomBitmap32& bitmap,
                          std::int32_t pageIndex, TSize targetSize);

}  // namespace imaging
