#include "imaging/jpeg/JpegGraphic.h"

#include <memory>

#include "imaging/resample/BoxDownsample.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"

namespace {

// A platform bitmap seen through the codec's 32-bit image interface; the
// bitmap is resized only through a writable view.
class TBitmapImage32 : public TsdJpegImage32 {
public:
  explicit TBitmapImage32(const TBitmap& bitmap) : Surface(bitmap.GetSurface()) {}
  explicit TBitmapImage32(TBitmap& bitmap) : Target(&bitmap), Surface(bitmap.GetSurface()) {}

  int GetWidth() const override { return Surface.Width; }
  int GetHeight() const override { return Surface.Height; }
  void SetSize(int width, int height) override {
    if (!Target) throw Exception("A bitmap read by the JPEG codec cannot be resized");
    Target->SetSize(width, height);
    Surface = Target->GetSurface();
  }
  std::uint32_t* ScanLine(int y) override { return Surface.ScanLine(y); }
  const std::uint32_t* ScanLine(int y) const override { return Surface.ScanLine(y); }

private:
  TBitmap* Target = nullptr;
  TPixelSurface Surface;
};

// Fills bitmap with the pixel map, tagged with the matching pixel format.
void ToBitmap(const TsdJpegPixelMap& pixels, TBitmap& bitmap) {
  static const TPixelFormat kFormats[] = {pfDevice, pf8bit, pf16bit, pf24bit, pf32bit};
  TBitmapImage32 image(bitmap);
  jpeg::CopyToImage32(pixels, image);
  bitmap.SetPixelFormat(kFormats[pixels.GetBytesPerPixel()]);
}

// The bitmap reduced to width x height, each pixel the mean of the block it covers.
std::unique_ptr<TBitmap> Reduced(const TBitmap& bitmap, int width, int height) {
  auto reduced = std::make_unique<TBitmap>();
  reduced->SetPixelFormat(bitmap.GetPixelFormat());
  reduced->SetSize(width, height);
  imaging::BoxDownsampleBitmap(bitmap, *reduced);
  return reduced;
}

int Scaled(int size, TsdJpegScale scale) {
  const int d = jpeg::ScaleDivisor(scale);
  return (size + d - 1) / d;
}

}  // namespace

TsdJpegGraphic::TsdJpegGraphic() { Codec.DCTCodingMethod = dmFast; }

const TGraphicClass& TsdJpegGraphic::GraphicClass() {
  static const TGraphicClass record{
      "TsdJpegGraphic", []() -> std::unique_ptr<TGraphic> { return std::make_unique<TsdJpegGraphic>(); }};
  return record;
}

void TsdJpegGraphic::Register() {
  // Besides "jpg", the other names JPEG files go by: every extension the
  // raster registry gives JPEG, and ".jpe".
  for (const char* extension : {"jpg", "jpeg", "jpe", "jp"})
    TPicture::RegisterFileFormat(extension, "Jpeg file", GraphicClass());
}

void TsdJpegGraphic::LoadFromStream(TStream& stream) {
  Data.Clear();
  // A count of 0 would copy the whole stream from its start.
  if (stream.Remaining() > 0) Data.CopyFrom(stream, stream.Remaining());
  Data.SetPosition(0);
  Assigned.Clear();
  Codec.LoadOptions = 1 << loOnlyMetadata;
  Codec.LoadFromStream(Data);
}

void TsdJpegGraphic::SaveToStream(TStream& stream) {
  if (HasBytes()) {
    CopyBytesTo(stream);
    return;
  }
  Codec.SetBitmap(Assigned);
  Codec.SaveToStream(stream);
}

void TsdJpegGraphic::ReadData(TStream& stream) {
  const auto count = rtl::ReadLE<std::uint32_t>(stream);
  if (count > stream.Remaining()) throw EReadError("Stream read error");
  if (count == 0) {
    HoldBitmap(TsdJpegPixelMap{});
    return;
  }
  TMemoryStream bytes;
  bytes.CopyFrom(stream, count);
  bytes.SetPosition(0);
  LoadFromStream(bytes);
}

void TsdJpegGraphic::WriteData(TStream& stream) {
  TMemoryStream bytes;
  if (!Empty()) SaveToStream(bytes);
  rtl::WriteLE(stream, static_cast<std::uint32_t>(bytes.GetSize()));
  stream.WriteBuffer(bytes.Bytes().data(), bytes.GetSize());
}

void TsdJpegGraphic::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TsdJpegGraphic*>(source)) {
    if (other == this) return;
    if (other->HasBytes()) {
      TMemoryStream bytes;
      other->CopyBytesTo(bytes);
      bytes.SetPosition(0);
      LoadFromStream(bytes);
    } else {
      HoldBitmap(other->Assigned);
    }
    return;
  }
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
    HoldBitmap(jpeg::CopyFromImage32(TBitmapImage32(*bitmap)));
    return;
  }
  TGraphic::Assign(source);
}

void TsdJpegGraphic::AssignTo(TPersistent* dest) const {
  auto* bitmap = dynamic_cast<TBitmap*>(dest);
  if (!bitmap) {
    TGraphic::AssignTo(dest);
    return;
  }
  ToBitmap(Decode(Scale), *bitmap);
}

void TsdJpegGraphic::HoldBitmap(const TsdJpegPixelMap& bitmap) {
  Data.Clear();
  Codec.SetBitmap(TsdJpegPixelMap{});  // drops the markers of earlier bytes
  Assigned = bitmap;
}

void TsdJpegGraphic::CopyBytesTo(TStream& stream) const {
  const std::vector<std::uint8_t>& bytes = Data.Bytes();
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

int TsdJpegGraphic::GetWidth() const { return HasBytes() ? Codec.GetImageWidth() : Assigned.GetWidth(); }

int TsdJpegGraphic::GetHeight() const { return HasBytes() ? Codec.GetImageHeight() : Assigned.GetHeight(); }

TsdJpegPixelMap TsdJpegGraphic::Decode(TsdJpegScale scale) const {
  if (!HasBytes()) return Assigned;
  TsdJpegFormat decoder;
  decoder.LoadScale = scale;
  decoder.DCTCodingMethod = Codec.DCTCodingMethod;
  TMemoryStream bytes;
  CopyBytesTo(bytes);
  bytes.SetPosition(0);
  decoder.LoadFromStream(bytes);
  return decoder.GetBitmap();
}

void TsdJpegGraphic::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty() || rect.IsEmpty()) return;
  // The smallest scale whose size is not below the rectangle's.
  TsdJpegScale scale = jsFull;
  if (HasBytes())
    for (TsdJpegScale s : {jsDiv8, jsDiv4, jsDiv2})
      if (Scaled(GetWidth(), s) >= rect.Width() && Scaled(GetHeight(), s) >= rect.Height()) {
        scale = s;
        break;
      }
  TBitmap decoded;
  ToBitmap(Decode(scale), decoded);
  if (decoded.GetWidth() > rect.Width() && decoded.GetHeight() > rect.Height())
    Reduced(decoded, rect.Width(), rect.Height())->Draw(canvas, rect);
  else
    decoded.Draw(canvas, rect);
}
