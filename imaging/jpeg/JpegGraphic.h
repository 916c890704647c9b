#pragma once
// TsdJpegGraphic: the JPEG codec as a framework graphic. It keeps the bytes
// of a JPEG file and decodes them whenever pixels are needed: to draw itself
// (a TBitmap32 assigned from it is filled that way) or to fill a TBitmap.
// Assigned from a TBitmap, it encodes that bitmap when saved.

#include <cstdint>

#include "imaging/jpeg/JpegFormat.h"
#include "platform/gdi/Picture.h"
#include "platform/rtl/Stream.h"

class TsdJpegGraphic : public TGraphic {
public:
  TsdJpegGraphic();
  std::string ClassName() const override { return "TsdJpegGraphic"; }
  static const TGraphicClass& GraphicClass();
  // Registers the class with the picture registry as "Jpeg file" for "jpg",
  // "jpeg", "jpe" and "jp".
  static void Register();

  // Keeps the stream's bytes and reads their markers (not the image data).
  void LoadFromStream(TStream& stream) override;
  // Writes the JPEG: the kept bytes as they are, or the encoding of an
  // assigned bitmap.
  void SaveToStream(TStream& stream);

  // A 32-bit byte count, then that many bytes of a JPEG file (0 and none
  // for an empty graphic).
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

  // From another TsdJpegGraphic: its bytes; from a TBitmap: its pixels,
  // encoded when saved.
  void Assign(const TPersistent* source) override;

  // The image size at full scale.
  int GetWidth() const override;
  int GetHeight() const override;
  // Decodes at the smallest scale not below the rectangle and draws into it:
  // reduced by block means when larger both ways, else stretched.
  void Draw(TCanvas& canvas, const TRect& rect) const override;

  void SetQuality(std::uint8_t quality) { Codec.GetSaveOptions().Quality = quality; }
  // The resolution an encoded file declares; 0 for the codec's default.
  void SetDotsPerCm(std::uint16_t density) { Codec.GetSaveOptions().DotsPerCm = density; }
  // 0 gives the accurate inverse DCT, 1 the fast one.
  void SetDctPreference(int preference) { Codec.DCTCodingMethod = preference == 0 ? dmAccurate : dmFast; }
  TsdJpegFormat& GetCodec() { return Codec; }

  // The scale at which the image is decoded into a TBitmap.
  TsdJpegScale Scale = jsFull;

protected:
  // To a TBitmap: the image decoded at Scale, in 32-bit pixels.
  void AssignTo(TPersistent* dest) const override;

private:
  // The picture at the scale: the kept bytes decoded, or the assigned bitmap.
  TsdJpegPixelMap Decode(TsdJpegScale scale) const;
  bool HasBytes() const { return !Data.Bytes().empty(); }
  // Drops the bytes: the graphic now shows the bitmap and encodes it when saved.
  void HoldBitmap(const TsdJpegPixelMap& bitmap);
  void CopyBytesTo(TStream& stream) const;

  TsdJpegFormat Codec;  // the markers of the kept bytes, the save settings
  TMemoryStream Data;   // the JPEG file; empty after a bitmap was assigned
  TsdJpegPixelMap Assigned;  // the bitmap to encode when saved
};
