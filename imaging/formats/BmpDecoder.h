#pragma once
// Reading of BMP files into a bitmap: every header form (core, information,
// V2 to V5), 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, with
// bit-field masks or run-length compressed (8 and 4 bits), bottom-up or
// top-down. Uncompressed 32-bit pixels keep their stored alpha (see
// TBmpAlpha); other pixels are opaque unless an alpha mask gives their
// alpha. Every size and offset is checked against the stream first.

#include <cstdint>

#include "platform/rtl/Stream.h"

class TCustomBitmap32;

namespace imaging {

// What the fourth byte of an uncompressed 32-bit pixel means. The bitmap's
// own streams store alpha there, exactly. Most other programs write 0 and
// mean nothing by it: a picture from elsewhere whose every fourth byte is 0
// is opaque, while one non-zero byte shows the file carries alpha.
enum class TBmpAlpha { AsStored, UnusedWhenAllZero };

// Reads the BMP that starts at the stream's position into bitmap (resized).
// Raises EInvalidGraphic with the reason when the data is not a BMP this
// reader knows or is cut short, and EPictureTooLarge past the picture
// budget (PictureBudget.h) before any pixel takes memory; the bitmap is then
// left unchanged.
void DecodeBmp(TStream& stream, TCustomBitmap32& bitmap, TBmpAlpha alpha = TBmpAlpha::AsStored);
// DecodeBmp inside an update bracket of the bitmap, then Changed.
void LoadBmp(TStream& stream, TCustomBitmap32& bitmap, TBmpAlpha alpha);

// The file size field of a 32-bit BMP of that size: 54 + width x height x 4.
// Raises EInvalidGraphic when it does not fit the field's 32 bits.
std::uint32_t Bmp32FileSize(std::int32_t width, std::int32_t height);

}  // namespace imaging
