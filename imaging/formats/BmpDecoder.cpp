#include "imaging/formats/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/ThreadPersistent.h"
#include "imaging/formats/BmpRunLength.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace imaging {
namespace {

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;
constexpr std::uint32_t kCoreHeaderSize = 12, kInfoHeaderSize = 40;

[[noreturn]] void Invalid(const std::string& reason) { throw EInvalidGraphic(reason); }

// One channel's mask: where it sits and how wide it is.
struct TChannelMask {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;

  explicit TChannelMask(std::uint32_t mask = 0) : Mask(mask) {
    if (mask == 0) return;
    Shift = std::countr_zero(mask);
    const std::uint32_t field = mask >> Shift;
    if ((field & (field + 1)) != 0) Invalid("BMP colour mask is not contiguous");
    Max = field;
  }
  // The channel scaled to 0..255.
  std::uint32_t Extract(std::uint32_t pixel) const {
    const std::uint64_t value = (pixel & Mask) >> Shift;
    return static_cast<std::uint32_t>((value * 255 + Max / 2) / Max);
  }
};

struct TBmpHeader {
  std::uint32_t PixelOffset = 0;  // from the start of the file header
  std::uint32_t HeaderSize = 0;
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // absolute
  bool TopDown = false;
  std::uint16_t BitCount = 0;
  std::uint32_t Compression = BI_RGB;
  std::uint32_t ColorsUsed = 0;
  std::array<std::uint32_t, 4> Masks{};  // red, green, blue, alpha
  bool HasMasks = false;
};

std::uint32_t U32(const std::uint8_t* p) { return rtl::FromLittleEndian<std::uint32_t>(p); }
std::uint16_t U16(const std::uint8_t* p) { return rtl::FromLittleEndian<std::uint16_t>(p); }

void ReadExactly(TStream& stream, void* buffer, std::int64_t count) {
  if (stream.Read(buffer, count) != count) Invalid("BMP data is truncated");
}

TBmpHeader ReadHeaders(TStream& stream) {
  std::array<std::uint8_t, 18> start{};
  ReadExactly(stream, start.data(), start.size());
  if (start[0] != 'B' || start[1] != 'M') Invalid("Bitmap image is not valid");
  TBmpHeader h;
  h.PixelOffset = U32(&start[10]);
  h.HeaderSize = U32(&start[14]);
  const std::uint32_t size = h.HeaderSize;
  if (size != kCoreHeaderSize && size != kInfoHeaderSize && size != 52 && size != 56 && size != 108 && size != 124)
    Invalid(rtl::Format("Unsupported BMP header size %u", size));
  std::vector<std::uint8_t> info(size - 4);
  ReadExactly(stream, info.data(), static_cast<std::int64_t>(info.size()));
  std::uint16_t planes;
  if (size == kCoreHeaderSize) {
    h.Width = U16(&info[0]);
    h.Height = U16(&info[2]);
    planes = U16(&info[4]);
    h.BitCount = U16(&info[6]);
  } else {
    h.Width = rtl::FromLittleEndian<std::int32_t>(&info[0]);
    const std::int64_t height = rtl::FromLittleEndian<std::int32_t>(&info[4]);
    h.TopDown = height < 0;
    h.Height = std::llabs(height);
    planes = U16(&info[8]);
    h.BitCount = U16(&info[10]);
    h.Compression = U32(&info[12]);
    h.ColorsUsed = U32(&info[28]);
    for (std::size_t i = 0; i < 4 && 36 + 4 * i + 4 <= info.size(); ++i) h.Masks[i] = U32(&info[36 + 4 * i]);
  }
  if (planes != 1) Invalid(rtl::Format("BMP has %u planes instead of 1", unsigned{planes}));
  if (h.Width < 0) Invalid("BMP width is negative");
  switch (h.BitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: Invalid(rtl::Format("Unsupported BMP depth of %u bits", unsigned{h.BitCount}));
  }
  const bool maskedDepth = h.BitCount == 16 || h.BitCount == 32;
  if (h.Compression == BI_BITFIELDS || h.Compression == BI_ALPHABITFIELDS) {
    if (!maskedDepth) Invalid("BMP bit-field masks need 16 or 32 bits per pixel");
    if (size == kInfoHeaderSize) {  // the masks follow the header
      const std::size_t count = h.Compression == BI_ALPHABITFIELDS ? 4 : 3;
      std::array<std::uint8_t, 16> masks{};
      ReadExactly(stream, masks.data(), static_cast<std::int64_t>(4 * count));
      for (std::size_t i = 0; i < count; ++i) h.Masks[i] = U32(&masks[4 * i]);
    }
    h.HasMasks = true;
  } else if (h.Compression == BI_RLE8 || h.Compression == BI_RLE4) {
    const unsigned bits = h.Compression == BI_RLE8 ? 8 : 4;
    if (h.BitCount != bits)
      Invalid(rtl::Format("BMP run-length compression %u needs %u bits per pixel", h.Compression, bits));
  } else if (h.Compression != BI_RGB) {
    Invalid(rtl::Format("Unsupported BMP compression %u", h.Compression));
  }
  AdmitPicture(h.Width, h.Height);
  return h;
}

std::vector<TColor32> ReadPalette(TStream& stream, const TBmpHeader& h) {
  if (h.BitCount > 8) return {};
  const std::uint32_t capacity = 1u << h.BitCount;
  const std::uint32_t count = h.ColorsUsed == 0 || h.HeaderSize == kCoreHeaderSize ? capacity : h.ColorsUsed;
  if (count > capacity) Invalid("BMP palette is larger than its depth allows");
  const std::size_t entrySize = h.HeaderSize == kCoreHeaderSize ? 3 : 4;
  std::vector<std::uint8_t> raw(count * entrySize);
  ReadExactly(stream, raw.data(), static_cast<std::int64_t>(raw.size()));
  // Indices past the stored entries read as black, as with a short palette.
  std::vector<TColor32> palette(capacity, clBlack32);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = &raw[i * entrySize];
    palette[i] = Color32(e[2], e[1], e[0]);
  }
  return palette;
}

// Turns one stored row into pixels.
class TRowDecoder {
public:
  TRowDecoder(const TBmpHeader& h, std::vector<TColor32> palette) : Header(h), Palette(std::move(palette)) {
    if (h.HasMasks) {
      Red = TChannelMask(h.Masks[0]), Green = TChannelMask(h.Masks[1]), Blue = TChannelMask(h.Masks[2]);
      Alpha = TChannelMask(h.Masks[3]);
    } else if (h.BitCount == 16) {  // 5-5-5 without masks
      Red = TChannelMask(0x7C00), Green = TChannelMask(0x03E0), Blue = TChannelMask(0x001F);
    }
  }

  void Decode(const std::uint8_t* row, TColor32* out) const {
    const auto width = static_cast<std::size_t>(Header.Width);
    switch (Header.BitCount) {
      case 1: case 4: case 8: {
        const unsigned bits = Header.BitCount, perByte = 8 / bits, mask = (1u << bits) - 1;
        for (std::size_t x = 0; x < width; ++x) {
          const unsigned shift = 8 - bits * (1 + static_cast<unsigned>(x % perByte));
          out[x] = Palette[(row[x / perByte] >> shift) & mask];
        }
        break;
      }
      case 24:
        for (std::size_t x = 0; x < width; ++x) out[x] = Color32(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        break;
      case 16:
        for (std::size_t x = 0; x < width; ++x) out[x] = Masked(U16(&row[2 * x]));
        break;
      default:
        for (std::size_t x = 0; x < width; ++x) out[x] = Header.HasMasks ? Masked(U32(&row[4 * x])) : U32(&row[4 * x]);
        break;
    }
  }

private:
  TColor32 Masked(std::uint32_t pixel) const {
    const std::uint32_t alpha = Alpha.Mask != 0 ? Alpha.Extract(pixel) : 255;
    const auto channel = [pixel](const TChannelMask& m) { return m.Mask != 0 ? m.Extract(pixel) : 0u; };
    return alpha << 24 | channel(Red) << 16 | channel(Green) << 8 | channel(Blue);
  }

  TBmpHeader Header;
  std::vector<TColor32> Palette;
  TChannelMask Red, Green, Blue, Alpha;
};

// The bitmap row of the i-th stored row.
std::int32_t BitmapRow(const TBmpHeader& h, std::int64_t i) {
  return static_cast<std::int32_t>(h.TopDown ? i : h.Height - 1 - i);
}

// Run-length pixels: everything from pixelStart to the end of the stream is
// the compressed data; it is expanded whole before the bitmap changes.
void DecodeRunLength(TStream& stream, std::int64_t pixelStart, const TBmpHeader& h,
                     const std::vector<TColor32>& palette, TCustomBitmap32& bitmap) {
  if (pixelStart > stream.GetSize()) Invalid("BMP pixel data is truncated");
  std::vector<std::uint8_t> data(static_cast<std::size_t>(stream.GetSize() - pixelStart));
  stream.SetPosition(pixelStart);
  ReadExactly(stream, data.data(), static_cast<std::int64_t>(data.size()));
  const std::vector<std::uint8_t> indices = ExpandRunLength(data, h.BitCount, h.Width, h.Height);
  bitmap.SetSize(static_cast<std::int32_t>(h.Width), static_cast<std::int32_t>(h.Height));
  if (bitmap.IsEmpty()) return;
  const auto width = static_cast<std::size_t>(h.Width);
  for (std::int64_t i = 0; i < h.Height; ++i) {
    const std::uint8_t* row = indices.data() + static_cast<std::size_t>(i) * width;
    TColor32* out = bitmap.ScanLine(BitmapRow(h, i));
    for (std::size_t x = 0; x < width; ++x) out[x] = palette[row[x]];
  }
}

void MakeOpaqueWhenAlphaUnused(TCustomBitmap32& bitmap) {
  const std::size_t count = static_cast<std::size_t>(bitmap.GetWidth()) * static_cast<std::size_t>(bitmap.GetHeight());
  TColor32* pixels = bitmap.GetBits();
  if (std::any_of(pixels, pixels + count, [](TColor32 c) { return (c >> 24) != 0; })) return;
  for (std::size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
}

}  // namespace

std::uint32_t Bmp32FileSize(std::int32_t width, std::int32_t height) {
  const std::uint64_t size = std::uint64_t{static_cast<std::uint32_t>(std::max(width, 0))} *
                                 static_cast<std::uint32_t>(std::max(height, 0)) * 4 + 54;
  if (size > 0xFFFFFFFFu) throw EInvalidGraphic("Bitmap is too large for a BMP file");
  return static_cast<std::uint32_t>(size);
}

void DecodeBmp(TStream& stream, TCustomBitmap32& bitmap, TBmpAlpha alpha) {
  const std::int64_t start = stream.GetPosition();
  const TBmpHeader header = ReadHeaders(stream);
  std::vector<TColor32> palette = ReadPalette(stream, header);

  const std::int64_t headersEnd = stream.GetPosition();
  const std::int64_t pixelStart = header.PixelOffset == 0 ? headersEnd : start + header.PixelOffset;
  if (pixelStart < headersEnd) Invalid("BMP pixel data overlaps its headers");
  if (header.Compression == BI_RLE8 || header.Compression == BI_RLE4)
    return DecodeRunLength(stream, pixelStart, header, palette, bitmap);
  const std::int64_t stride = (header.Width * header.BitCount + 31) / 32 * 4;
  const std::int64_t dataSize = stride * header.Height;
  if (pixelStart + dataSize > stream.GetSize()) Invalid("BMP pixel data is truncated");

  TRowDecoder decoder(header, std::move(palette));
  stream.SetPosition(pixelStart);
  bitmap.SetSize(static_cast<std::int32_t>(header.Width), static_cast<std::int32_t>(header.Height));
  if (bitmap.IsEmpty()) return;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(stride));
  for (std::int64_t i = 0; i < header.Height; ++i) {
    ReadExactly(stream, row.data(), stride);
    decoder.Decode(row.data(), bitmap.ScanLine(BitmapRow(header, i)));
  }
  if (alpha == TBmpAlpha::UnusedWhenAllZero && header.BitCount == 32 && header.Compression == BI_RGB)
    MakeOpaqueWhenAlphaUnused(bitmap);
}

void LoadBmp(TStream& stream, TCustomBitmap32& bitmap, TBmpAlpha alpha) {
  {
    TUpdateGuard update(bitmap);
    DecodeBmp(stream, bitmap, alpha);
  }
  bitmap.Changed();
}

}  // namespace imaging
