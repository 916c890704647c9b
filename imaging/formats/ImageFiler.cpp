#include "imaging/formats/ImageFiler.h"

#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/rtl/Format.h"

namespace {

constexpr std::uint16_t kReadShared = fmOpenRead | fmShareDenyNone;

}  // namespace

void TdocImageFiler::SetExtension(std::string value) {
  if (value == Extension) return;
  Extension = std::move(value);
  Raster.reset();
}

void TdocImageFiler::SetFileName(std::string value) {
  if (value == FileName) return;
  FileName = std::move(value);
  Raster.reset();
}

bool TdocImageFiler::CanLoadFromStream() const {
  return Raster != nullptr && Stream != nullptr && (Raster->GetFlags() & rfLoadsFromStream) != 0;
}

bool TdocImageFiler::CanSaveToStream() const {
  return Raster != nullptr && Stream != nullptr && (Raster->GetFlags() & rfSavesToStream) != 0;
}

void TdocImageFiler::FindLoadFormat() {
  if (!FileName.empty()) Extension = imaging::ExtractFileExt(FileName);
  if (!Extension.empty()) ChooseByExtension();
  if (Raster == nullptr) ChooseByContent();
}

void TdocImageFiler::ChooseByExtension() {
  const TRasterClass* rasterClass = imaging::RasterFormats().FindByExtension(Extension);
  if (rasterClass == nullptr) return;
  std::unique_ptr<TdocRaster> candidate = rasterClass->Create();
  if (!rasterClass->Accepts(nullptr)) {  // else the extension is trusted
    // The data is examined where loading will start: at the stream's position.
    std::unique_ptr<TFileStream> opened;
    TStream* examined = nullptr;
    if (Stream != nullptr && (candidate->GetFlags() & rfLoadsFromStream) != 0) {
      examined = Stream;
    } else if (!FileName.empty()) {
      opened = std::make_unique<TFileStream>(FileName, kReadShared);
      examined = opened.get();
    }
    if (examined == nullptr || !rasterClass->Accepts(examined)) return;
  }
  Raster = std::move(candidate);
}

void TdocImageFiler::ChooseByContent() {
  if (FileName.empty()) return;
  TFileStream file(FileName, kReadShared);
  if (const TRasterClass* rasterClass = imaging::RasterFormats().FindByContent(file))
    Raster = rasterClass->Create();
}

void TdocImageFiler::LoadBitmap(TCustomBitmap32& bitmap) {
  if (Raster == nullptr) FindLoadFormat();
  if (Raster == nullptr) throw ERasterError(rtl::Format("Unknown raster format \"%s\"", Extension));
  if (Stream != nullptr) {
    const std::int64_t before = Stream->GetPosition();
    Raster->LoadFromStream(*Stream, bitmap, PageIndex, TargetSize());
    LastSize = Stream->GetPosition() - before;
  } else if ((Raster->GetFlags() & rfLoadsFromStream) != 0) {
    TFileStream file(FileName, kReadShared);
    Raster->LoadFromStream(file, bitmap, PageIndex, TargetSize());
    LastSize = file.GetSize();
  } else {
    Raster->LoadFromFile(FileName, bitmap, PageIndex, TargetSize());
    LastSize = Raster->FileSize;
  }
  PageCount = Raster->PageCount;
}

void TdocImageFiler::SaveBitmap(const TCustomBitmap32& bitmap) {
  std::string extension = imaging::ExtractFileExt(FileName);
  if (extension.empty()) extension = Extension;
  if (Raster == nullptr) {
    if (const TRasterClass* rasterClass = imaging::RasterFormats().FindByExtension(extension, rfSavedByExtension))
      Raster = rasterClass->Create();
  }
  if (Raster == nullptr) throw ERasterError(rtl::Format("Cannot save format \"%s\"", extension));
  Raster->SaveDotsPerMm = DotsPerMm;
  if (CanSaveToStream()) {
    const std::int64_t before = Stream->GetPosition();
    Raster->SaveToStream(*Stream, bitmap);
    LastSize = Stream->GetSize() - before;
  } else {
    Raster->SaveToFile(FileName, bitmap);
    LastSize = TFileStream(FileName, kReadShared).GetSize();
  }
}

namespace imaging {

void LoadRasterFromStream(TStream& stream, const std::string& extension, TCustomBitmap32& bitmap,
                          std::int32_t pageIndex, TSize targetSize) {
  TdocImageFiler filer;
  if (std::int64_t{targetSize.cx} * targetSize.cy > 0) {
    filer.TargetWidth = targetSize.cx;
    filer.TargetHeight = targetSize.cy;
  }
  filer.SetExtension(extension);
  filer.Stream = &stream;
  filer.PageIndex = pageIndex;
  filer.LoadBitmap(bitmap);
}

}  // namespace imaging
