#include "imaging/formats/HckImage.h"

#include <algorithm>
#include <array>

#include "imaging/resample/BoxDownsample.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/HckPlanes.h"
#include "imaging/formats/PictureBudget.h"
#include "imaging/util/Packing.h"
#include "imaging/util/PackingChain.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Numbers.h"

namespace {

[[noreturn]] void Corrupted() { throw ERasterError("Image file is corrupted"); }
[[noreturn]] void CannotDecompress() { throw ERasterError("Unable to decompress"); }

// A side of a reduced picture: never below one pixel, however thin the picture.
std::int32_t ReducedSide(std::int32_t side, float scale) {
  return std::max(1, rtl::Round(static_cast<double>(side) * static_cast<double>(scale)));
}

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
  imaging::AdmitPicture(Header.Width, Header.Height);
  const std::int64_t pageEnd = SeekPage(stream, pageIndex);
  const std::vector<std::uint8_t> planes = ReadPlanes(stream, pageEnd);
  PlacePlanes(planes, bitmap, targetSize);
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

std::vector<std::uint8_t> THckImage::ReadPlanes(TStream& stream, std::int64_t pageEnd) {
  const std::uint64_t rawSize = Header.RawSize();
  const std::int64_t available = pageEnd - stream.GetPosition();
  if (Header.Compression == kHckStored) {
    if (rawSize > static_cast<std::uint64_t>(available)) Corrupted();
    return ReadBytes(stream, rawSize);
  }
  if (Header.Compression != kHckPacked) return UnpackOther(Header.Compression, stream, available, rawSize);
  if (available < 8) CannotDecompress();
  const auto rawLength = rtl::ReadLE<std::uint32_t>(stream);
  const auto packedLength = rtl::ReadLE<std::uint32_t>(stream);
  if (rawLength != rawSize || packedLength > available - 8) CannotDecompress();
  const std::vector<std::uint8_t> packed = ReadBytes(stream, packedLength);
  std::vector<std::uint8_t> planes;
  if (imaging::ChainUnpack(packed.data(), packed.size(), rawSize, planes) != imaging::cPackOk) CannotDecompress();
  return planes;
}

void THckImage::PlacePlanes(std::span<const std::uint8_t> planes, TCustomBitmap32& bitmap, TSize targetSize) {
  const float scale = std::min(static_cast<float>(targetSize.cx) / static_cast<float>(Header.Width),
                               static_cast<float>(targetSize.cy) / static_cast<float>(Header.Height));
  {
    TUpdateGuard update(bitmap);
    if (scale > 0 && scale < 1) {
      TCustomBitmap32 whole;
      whole.SetSize(Header.Width, Header.Height);
      DecodePlanes(planes, whole);
      bitmap.SetSize(ReducedSide(Header.Width, scale), ReducedSide(Header.Height, scale));
      imaging::BoxDownsample32(bitmap, bitmap.BoundsRect(), whole, whole.BoundsRect());
    } else {
      bitmap.SetSize(Header.Width, Header.Height);
      DecodePlanes(planes, bitmap);
    }
  }
  bitmap.Changed();
}

std::vector<std::uint8_t> THckImage::UnpackOther(std::uint8_t, TStream&, std::int64_t, std::uint64_t) {
  throw ERasterError("No suitable codec found");
}

void THckImage::DecodePlanes(std::span<const std::uint8_t> rawPlanes, TCustomBitmap32& bitmap) {
  imaging::DecodeHckPlanes(Header, rawPlanes, bitmap);
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
