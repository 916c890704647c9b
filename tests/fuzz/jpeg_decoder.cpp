// Feeds arbitrary bytes to the JPEG decoder at every load scale, whole or
// tile by tile: it must either decode or raise an exception, never crash or
// run away.

#include <cstddef>
#include <cstdint>

#include "imaging/jpeg/JpegFormat.h"
#include "imaging/jpeg/JpegGraphic.h"
#include "platform/gdi/Bitmap.h"
#include "imaging/jpeg/JpegSimd.h"
#include "platform/rtl/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  TMemoryStream stream;
  stream.WriteBuffer(data + 1, static_cast<std::int64_t>(size - 1));
  TsdJpegFormat codec;
  // The first byte picks the scale, the DCT, the bitmap colour space,
  // whether to save again, the instruction set of the kernels, tile mode and
  // reading the bytes as a graphic's streamed data (a byte count, the file).
  codec.LoadScale = static_cast<TsdJpegScale>(data[0] & 3);
  codec.DCTCodingMethod = (data[0] & 4) ? dmFast : dmAccurate;
  codec.BitmapCS = (data[0] & 8) ? jcAutoDetect : jcRGB;
  jpeg::SetSimdLevel((data[0] & 32) ? jpeg::TsdSimdLevel::Portable : jpeg::BestSimdLevel());
  if (data[0] & 128) {
    try {
      stream.SetPosition(0);
      TsdJpegGraphic graphic;
      graphic.ReadData(stream);
      graphic.Scale = codec.LoadScale;
      TBitmap bitmap;
      bitmap.Assign(&graphic);
    } catch (const Exception&) {
    }
    return 0;
  }
  const bool tiles = data[0] & 64;
  if (tiles) codec.LoadOptions = 1 << loTileMode;
  try {
    stream.SetPosition(0);
    codec.LoadFromStream(stream);
    if (tiles) {
      const int w = codec.GetImageWidth(), h = codec.GetImageHeight();
      TsdJpegPixelMap tile;
      codec.LoadTileBlock(tile, w / 3, h / 3, w - w / 4, h - 1);
      codec.LoadTileBlock(tile, -5, -5, w + 5, 9);
      codec.LoadTileBlock(tile, w - 1, h - 1, w + 100, h + 100);
      return 0;
    }
    codec.GetBitmap();
    if (codec.LoadScale == jsFull && (data[0] & 16)) {
      TMemoryStream out;
      codec.SaveToStream(out);
    }
  } catch (const Exception&) {
  }
  return 0;
}
