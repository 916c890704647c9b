// BMP streaming and the persisted "Data" of TCustomBitmap32.

#include <array>
#include <cstring>
#include <memory>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "imaging/formats/BmpDecoder.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/gdi/Picture.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Format.h"

namespace {

constexpr std::uint32_t kBmpHeadersSize = 54;

// The extension of the file name's last component, without its dot; empty
// when it has none.
std::string_view ExtensionOf(std::string_view fileName) {
  const std::size_t slash = fileName.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

// Pixels as bytes blue, green, red, alpha, whatever the host's byte order.
void WritePixels(TStream& stream, const TColor32* pixels, std::int32_t count) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * 4);
  for (std::int32_t i = 0; i < count; ++i) rtl::ToLittleEndian(pixels[i], &bytes[4 * static_cast<std::size_t>(i)]);
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void ReadPixels(TStream& stream, TColor32* pixels, std::int64_t count) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * 4);
  stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  for (std::int64_t i = 0; i < count; ++i)
    pixels[i] = rtl::FromLittleEndian<TColor32>(&bytes[4 * static_cast<std::size_t>(i)]);
}

}  // namespace

void TCustomBitmap32::SaveToStream(TStream& stream, bool bottomUp, std::int32_t pixelsPerMeter) const {
  const std::uint32_t fileSize = imaging::Bmp32FileSize(Width, Height);
  std::array<std::uint8_t, kBmpHeadersSize> header{};
  header[0] = 'B';
  header[1] = 'M';
  rtl::ToLittleEndian(fileSize, &header[2]);
  rtl::ToLittleEndian(kBmpHeadersSize, &header[10]);
  rtl::ToLittleEndian(std::uint32_t{40}, &header[14]);
  rtl::ToLittleEndian(Width, &header[18]);
  rtl::ToLittleEndian(bottomUp ? Height : -Height, &header[22]);
  rtl::ToLittleEndian(std::uint16_t{1}, &header[26]);
  rtl::ToLittleEndian(std::uint16_t{32}, &header[28]);
  rtl::ToLittleEndian(fileSize - kBmpHeadersSize, &header[34]);
  rtl::ToLittleEndian(pixelsPerMeter, &header[38]);
  rtl::ToLittleEndian(pixelsPerMeter, &header[42]);
  stream.WriteBuffer(header.data(), header.size());
  if (IsEmpty()) return;
  if (bottomUp) {
    for (std::int32_t y = Height - 1; y >= 0; --y) WritePixels(stream, ScanLine(y), Width);
  } else {
    for (std::int32_t y = 0; y < Height; ++y) WritePixels(stream, ScanLine(y), Width);
  }
}

void TCustomBitmap32::LoadFromStream(TStream& stream) { imaging::LoadBmp(stream, *this, imaging::TBmpAlpha::AsStored); }

void TCustomBitmap32::SaveToFile(const std::string& fileName, bool bottomUp) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream, bottomUp);
}

void TCustomBitmap32::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  std::array<char, 2> signature{};
  const bool isBmp = stream.Read(signature.data(), 2) == 2 && signature[0] == 'B' && signature[1] == 'M';
  stream.SetPosition(0);
  // A file by name is a picture from elsewhere.
  if (isBmp) {
    imaging::LoadBmp(stream, *this, imaging::TBmpAlpha::UnusedWhenAllZero);
    return;
  }
  // Any other picture goes through the graphic class registered for its extension.
  const std::unique_ptr<TGraphic> graphic = TPicture::FindGraphicClass(ExtensionOf(fileName)).Create();
  graphic->LoadFromStream(stream);
  Assign(graphic.get());
}

void TCustomBitmap32::WriteData(TStream& stream) const {
  rtl::WriteLE(stream, Width);
  rtl::WriteLE(stream, Height);
  for (std::int32_t y = 0; y < Height && !IsEmpty(); ++y) WritePixels(stream, ScanLine(y), Width);
}

namespace {

bool SameData(const TCustomBitmap32& a, const TCustomBitmap32& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  const auto bytes = static_cast<std::size_t>(std::int64_t{a.GetWidth()} * a.GetHeight()) * sizeof(TColor32);
  return a.IsEmpty() || std::memcmp(a.GetBits(), b.GetBits(), bytes) == 0;
}

bool DiffersFromAncestor(const TCustomBitmap32& bitmap, const TPersistent* ancestor) {
  const auto* other = dynamic_cast<const TCustomBitmap32*>(ancestor);
  if (!other) return !bitmap.IsEmpty();
  if (bitmap.IsEmpty() && other->IsEmpty()) return false;
  return !(typeid(bitmap) == typeid(*other) && SameData(bitmap, *other));
}

}  // namespace

void TCustomBitmap32::DefineProperties(TFiler& filer) {
  TCustomMap::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "Data", [this](TStream& stream) { ReadData(stream); }, [this](TStream& stream) { WriteData(stream); },
      DiffersFromAncestor(*this, filer.GetAncestor()));
}

void TCustomBitmap32::ReadData(TStream& stream) {
  const auto width = rtl::ReadLE<std::int32_t>(stream);
  const auto height = rtl::ReadLE<std::int32_t>(stream);
  // Both sides below 2^31: their product fits, four times it may not.
  if (width < 0 || height < 0 || std::int64_t{width} * height > stream.Remaining() / 4)
    throw EReadError("Bitmap data is invalid or truncated");
  {
    TUpdateGuard update(*this);
    SetSize(width, height);
    if (!IsEmpty()) ReadPixels(stream, Bits, std::int64_t{width} * height);
  }
  Changed();
}
