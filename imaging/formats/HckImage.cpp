#include "imaging/formats/HckImage.h"

#include <algorithm>
#include <array>

#include "imaging/resample/BoxDownsample.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/HckPlanes.h"
#include "imaging/util/Packing.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Numbers.h"

namespace {

[[noreturn]] void Corrupted() { throw ERasterError("Image file is corrupted"); }
[[noreturn]] void CannotDecompress() { throw ERasterError("Unable to decompress"); }

// A side of a reduced picture: never below one pixel, however thin the picture.
std::int32_t ReducedSide(std::int32_t side, float scale) {
  return std::max(1, rtl::Round(static_cast<double>(side) * static_cast<double>(scale)));
}

// Source pixels decoded at a time: 16 MB.
constexpr std::int32_t kBandPixels = 4 << 20;

std::vector<std::uint8_t> ReadBytes(TStream& stream, std::uint64_t count) {
  std::vector<std::uint8_t> bytes(count);
  stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(count));
  return bytes;
}

}  // namespace

THckImage::THckImage() : TdocRaster(Class()) {}

const TRasterClass& THckImage::Class() {
  static const TRasterClass record{
      "THckImage", []() -> std::unique_ptr<TdocRaster> { return std::make_unique<THckImage>(); },
      &THckImage::AcceptsStream};
  return record;
}

void THckImage::Register() { imaging::RegisterRasterFormat(Class(), "HCK Image", ".hck;", rfAll); }

bool THckImage::AcceptsStream(TStream* stream) {
  if (stream == nullptr) return false;
  std::array<std::uint8_t, 4> signature{};
  const std::int64_t start = stream->GetPosition();
  const std::int64_t read = stream->Read(signature.data(), signature.size());
  stream->SetPosition(start);
  return read == 4 && rtl::FromLittleEndian<std::uint32_t>(signature.data()) == kHckSignature;
}

void THckImage::LoadFromStream(TStream& stream, TCustomBitmap32& bitmap, std::int32_t pageIndex,
                               TSize targetSize) {
  std::array<std::uint8_t, kHckHeaderSize> bytes{};
  if (stream.Read(bytes.data(), bytes.size()) != static_cast<std::int64_t>(bytes.size())) Corrupted();
  Header = imaging::DecodeHckHeader(bytes);
  ImageWidth = Header.Width;
  ImageHeight = Header.Height;
  if (Header.Signature != kHckSignature || Header.Width < 0 || Header.Height < 0) Corrupted();
  if (Header.RawSize() == 0) return;
  const TSize size = LoadedSize(targetSize);
  const std::int64_t pixels = std::int64_t{Header.Width} * Header.Height;
  if (std::int64_t{size.cx} * size.cy < pixels && pixels > MaxReducedSourcePixels)
    throw EPictureTooLarge(imaging::PictureRefusalText(imaging::TPictureRefusal::Picture, Header.Width,
                                                       Header.Height, MaxReducedSourcePixels));
  imaging::AdmitPicture(size.cx, size.cy);
  const std::int64_t pageEnd = SeekPage(stream, pageIndex);
  const imaging::THckPlaneSource planes = ReadPlanes(stream, pageEnd);
  imaging::THckPixelDecoder decoder(Header, planes);
  PlacePlanes(decoder, bitmap, size);
}

TSize THckImage::LoadedSize(TSize targetSize) const {
  const float scale = std::min(static_cast<float>(targetSize.cx) / static_cast<float>(Header.Width),
                               static_cast<float>(targetSize.cy) / static_cast<float>(Header.Height));
  if (scale > 0 && scale < 1) return TSize{ReducedSide(Header.Width, scale), ReducedSide(Header.Height, scale)};
  return TSize{Header.Width, Header.Height};
}

std::int64_t THckImage::SeekPage(TStream& stream, std::int32_t pageIndex) const {
  if (!Header.HasPageCounts()) {
    if (pageIndex > 0) throw ERasterError("Requested non-existing page");
    return stream.GetSize();
  }
  for (;; --pageIndex) {
    const std::int64_t left = stream.Remaining();
    if (left == 0) throw ERasterError("Requested non-existing page");
    if (left < 4) Corrupted();
    const auto count = rtl::ReadLE<std::int32_t>(stream);
    if (count < 0 || count > left - 4) Corrupted();
    if (pageIndex <= 0) return stream.GetPosition() + count;
    stream.Seek(count, TSeekOrigin::soCurrent);
  }
}

imaging::THckPlaneSource THckImage::ReadPlanes(TStream& stream, std::int64_t pageEnd) {
  const std::uint64_t rawSize = Header.RawSize();
  const std::int64_t available = pageEnd - stream.GetPosition();
  if (Header.Compression == kHckStored) {
    if (rawSize > static_cast<std::uint64_t>(available)) Corrupted();
    return imaging::THckPlaneSource(ReadBytes(stream, rawSize));
  }
  if (Header.Compression != kHckPacked)
    return imaging::THckPlaneSource(UnpackOther(Header.Compression, stream, available, rawSize));
  if (available < 8) CannotDecompress();
  const auto rawLength = rtl::ReadLE<std::uint32_t>(stream);
  const auto packedLength = rtl::ReadLE<std::uint32_t>(stream);
  if (rawLength != rawSize || packedLength > available - 8) CannotDecompress();
  const std::vector<std::uint8_t> packed = ReadBytes(stream, packedLength);
  auto unpacker = std::make_unique<imaging::TChainUnpacker>();
  if (unpacker->Open(packed.data(), packed.size(), rawSize) != imaging::cPackOk) CannotDecompress();
  return imaging::THckPlaneSource(std::move(unpacker), rawSize);
}

void THckImage::PlacePlanes(imaging::THckPixelDecoder& planes, TCustomBitmap32& bitmap, TSize size) {
  {
    TUpdateGuard update(bitmap);
    bitmap.SetSize(size.cx, size.cy);
    if (size.cx == Header.Width && size.cy == Header.Height)
      DecodeWhole(planes, bitmap);
    else
      ReducePlanes(planes, bitmap);
  }
  bitmap.Changed();
}

// A band of rows at a time, so that the planes are read a band at a time.
void THckImage::DecodeWhole(imaging::THckPixelDecoder& planes, TCustomBitmap32& bitmap) {
  const std::size_t pixels = Header.PixelCount();
  const std::size_t band = std::max<std::size_t>(kBandPixels / Header.Width, 1) * static_cast<std::size_t>(Header.Width);
  for (std::size_t first = 0; first < pixels; first += band)
    DecodePlanes(planes, first, std::min(band, pixels - first), bitmap.GetBits() + first);
}

// Each row of the reduced picture averages a span of source rows, the same
// spans as a reduction of the whole picture takes; the source rows of a few
// of them at a time are decoded into a band.
void THckImage::ReducePlanes(imaging::THckPixelDecoder& planes, TCustomBitmap32& bitmap) {
  std::vector<std::int32_t> rowStarts, rowHeights;
  imaging::SplitIntoSpans(Header.Height, bitmap.GetHeight(), rowStarts, rowHeights);
  // At least the tallest span: spans differ by a row, the first being no
  // taller than the others.
  const std::int32_t bandRows =
      std::max(*std::max_element(rowHeights.begin(), rowHeights.end()), kBandPixels / Header.Width);
  TCustomBitmap32 band;
  band.SetSize(Header.Width, bandRows);
  const auto width = static_cast<std::size_t>(Header.Width);
  std::size_t row = 0;
  while (row < rowStarts.size()) {
    const std::int32_t top = rowStarts[row];
    std::size_t last = row;
    while (last + 1 < rowStarts.size() && rowStarts[last + 1] + rowHeights[last + 1] - top <= bandRows) ++last;
    const std::int32_t rows = rowStarts[last] + rowHeights[last] - top;
    DecodePlanes(planes, static_cast<std::size_t>(top) * width, static_cast<std::size_t>(rows) * width, band.GetBits());
    for (; row <= last; ++row) {
      const std::int32_t y = static_cast<std::int32_t>(row), bandTop = rowStarts[row] - top;
      imaging::BoxDownsample32(bitmap, Rect(0, y, bitmap.GetWidth(), y + 1), band,
                               Rect(0, bandTop, Header.Width, bandTop + rowHeights[row]));
    }
  }
}

std::vector<std::uint8_t> THckImage::UnpackOther(std::uint8_t, TStream&, std::int64_t, std::uint64_t) {
  throw ERasterError("No suitable codec found");
}

void THckImage::DecodePlanes(imaging::THckPixelDecoder& planes, std::size_t first, std::size_t count,
                             TColor32* pixels) {
  planes.Decode(first, count, pixels);
}

void THckImage::SaveToStream(TStream& stream, const TCustomBitmap32& bitmap) {
  THckHeader header;
  header.Width = bitmap.GetWidth();
  header.Height = bitmap.GetHeight();
  header.AlphaBits = header.RedBits = header.GreenBits = header.BlueBits = 8;
  header.Compression = kHckPacked;
  std::vector<std::uint8_t> planes = imaging::EncodeArgbPlanes(bitmap);
  std::vector<std::uint8_t> packed;
  const bool packable = planes.size() <= UINT32_MAX &&
                        (planes.empty() || imaging::ChainPack(planes.data(), planes.size(), packed) == imaging::cPackOk);
  if (!packable || packed.size() > UINT32_MAX) throw ERasterError("Unable to compress");
  Header = header;
  const auto headerBytes = imaging::EncodeHckHeader(header);
  stream.WriteBuffer(headerBytes.data(), headerBytes.size());
  if (planes.empty()) return;
  rtl::WriteLE(stream, static_cast<std::uint32_t>(planes.size()));
  rtl::WriteLE(stream, static_cast<std::uint32_t>(packed.size()));
  stream.WriteBuffer(packed.data(), static_cast<std::int64_t>(packed.size()));
}
