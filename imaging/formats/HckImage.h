#pragma once
// THckImage: the HCK raster format, the system's own packed pictures. A
// 24-byte header (HckHeader.h) is followed by the pixel data of one page
// (version 1) or by pages each preceded by its byte count (version 2 and
// above). Pixel data is stored as it is or packed with the packing chain:
// raw length (u32, equal to the header's raw size), packed length (u32),
// packed bytes. Pictures are written as four 8-bit planes (alpha, red,
// green, blue), packed, version 1.

#include <cstdint>
#include <vector>

#include "imaging/bitmap/Color32.h"
#include "imaging/formats/HckHeader.h"
#include "imaging/formats/HckPlanes.h"
#include "imaging/formats/PictureBudget.h"
#include "imaging/formats/RasterFormat.h"

class THckImage : public TdocRaster {
public:
  // The most pixels a picture reduced on loading may have before its
  // reduction (twice the budget of a loaded picture): the reduction unpacks
  // them all, so a header alone must not make it read without end.
  static constexpr std::int64_t MaxReducedSourcePixels = 2 * imaging::MaxPicturePixels;

  THckImage();
  static const TRasterClass& Class();
  // Registers the format as "HCK Image" for ".hck;".
  static void Register();
  // Whether the stream starts with the signature "HCK\0"; false without a
  // stream or with fewer than four bytes.
  static bool AcceptsStream(TStream* stream);

  // Loads page pageIndex. A picture larger than targetSize in either
  // direction is reduced to fit it, keeping its proportions (each side at
  // least one pixel); a target of 0 x 0 loads it whole. A picture of no
  // pixels leaves bitmap untouched. Raises ERasterError: "Requested
  // non-existing page", "No suitable codec found", "Unable to decompress"
  // (packed data that is inconsistent or cut short) or "Image file is
  // corrupted" (header, page counts or planes that do not fit the data);
  // EPictureTooLarge, before anything is reserved, when the loaded (perhaps
  // reduced) size is past the picture budget or a picture to reduce has
  // more than MaxReducedSourcePixels.
  void LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex, TSize targetSize) override;
  // Raises ERasterError "Unable to compress" when the picture cannot be
  // packed (over 2^32 - 1 bytes of planes); the stream is then untouched.
  void SaveToStream(TStream& stream, const TCustomBitmap32& bitmap) override;

  // The header as last read or written.
  THckHeader Header;

protected:
  // Pixel data of a compression other than stored or packed, sourceCount
  // bytes at the stream's position, to rawSize bytes of planes. Raises
  // ERasterError "No suitable codec found".
  virtual std::vector<std::uint8_t> UnpackOther(std::uint8_t compression, TStream& source,
                                                std::int64_t sourceCount, std::uint64_t rawSize);
  // Fills count pixels from pixel first on (row by row from the top left)
  // from the raw planes.
  virtual void DecodePlanes(imaging::THckPixelDecoder& planes, std::size_t first, std::size_t count,
                            TColor32* pixels);

private:
  // Moves to the data of page pageIndex; returns the position where it ends.
  std::int64_t SeekPage(TStream& stream, std::int32_t pageIndex) const;
  // The raw planes of the page, packed ones unpacked only down to what
  // unpacks as they are read; raises before anything is decoded when they
  // do not unpack to the raw size.
  imaging::THckPlaneSource ReadPlanes(TStream& stream, std::int64_t pageEnd);
  // The size the picture loads at: whole, or reduced to fit targetSize.
  TSize LoadedSize(TSize targetSize) const;
  // Decodes into bitmap at size, reduced by box averaging when it is smaller.
  void PlacePlanes(imaging::THckPixelDecoder& planes, TCustomBitmap32& bitmap, TSize size);
  void DecodeWhole(imaging::THckPixelDecoder& planes, TCustomBitmap32& bitmap);
  // Decodes a band of source rows at a time into bitmap, already sized
  // smaller, so that the whole picture never takes memory as pixels.
  void ReducePlanes(imaging::THckPixelDecoder& planes, TCustomBitmap32& bitmap);
};
