#pragma once
// The JPEG codec as one component: reads a JPEG stream into its markers and
// coefficients, decodes it into a bitmap at full, half, quarter or eighth
// size, and encodes a bitmap as a baseline JPEG with quality-scaled tables
// and, by default, Huffman tables optimised for the image.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "imaging/jpeg/JpegBlockCoder.h"
#include "imaging/jpeg/JpegIccProfile.h"
#include "imaging/jpeg/JpegMarkers.h"
#include "imaging/jpeg/JpegPixelMap.h"
#include "imaging/jpeg/JpegTypes.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"

enum TsdJpegLoadOption : std::uint8_t { loOnlyMetadata, loTileMode };
using TsdJpegLoadOptions = std::uint8_t;  // bit 1 << TsdJpegLoadOption

class TsdJpegFormat;

// Encoding settings and the tables they produce.
class TsdJpegSaveOptions : public TPersistent {
public:
  explicit TsdJpegSaveOptions(TsdJpegFormat* owner) : Owner(owner) {}
  std::string ClassName() const override { return "TsdJpegSaveOptions"; }

  // Frame, tables and scan for a new baseline image in the given colour space.
  void SetupEncoding(TsdJpegColorSpace stored, int width, int height);
  virtual void SetupDefaultHuffmanTables();
  virtual void SetupQuantTables();

  std::uint8_t Quality = 80;
  // The resolution the JFIF marker declares; 0 keeps its 600 dots per inch.
  std::uint16_t DotsPerCm = 0;
  bool OptimizeHuffmanTables = true;
  bool UseSubsampling = false;

private:
  TsdJpegFormat* Owner;
};

class TsdJpegFormat : public TComponent {
public:
  explicit TsdJpegFormat(TComponent* owner = nullptr);
  ~TsdJpegFormat() override;
  std::string ClassName() const override { return "TsdJpegFormat"; }

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream);

  // The decoded image (decoded on first use after a load).
  const TsdJpegPixelMap& GetBitmap();
  // Takes a copy of the bitmap; the next save encodes it.
  void SetBitmap(const TsdJpegPixelMap& bitmap);

  // After a load with loTileMode: decodes the pixels left..right-1 by
  // top..bottom-1, widened to whole MCUs and cut to the image, into bitmap
  // at the load scale. Width and height then give the tile's size.
  void LoadTileBlock(TsdJpegPixelMap& bitmap, int left, int top, int right, int bottom);

  // The image as 32-bit ARGB, and a 32-bit ARGB image to encode (its alpha
  // is not stored: it is encoded from 24-bit colour).
  void AssignToImage32(TsdJpegImage32& dest);
  void AssignFromImage32(const TsdJpegImage32& source);

  TsdJFIFMarker* GetJfifInfo() const;
  TsdEXIFMarker* GetExifInfo() const;
  TsdIPTCMarker* GetIptcInfo() const;
  TsdAdobeApp14Marker* GetAdobeAPP14Info() const;
  std::string GetComment() const;
  void SetComment(const std::string& text);
  // The profile of the APP2 chunks, or nullptr without one.
  const TsdJpegICCProfile* GetICCProfile();
  void SetICCProfile(const TsdJpegICCProfile* profile);

  int GetImageWidth() const { return Info.Width; }
  int GetImageHeight() const { return Info.Height; }
  int GetWidth() const;
  int GetHeight() const;

  TsdJpegSaveOptions& GetSaveOptions() { return SaveOptions; }
  static std::string GetVersion() { return "1.18"; }
  TsdJpegMarkerList& GetMarkers() { return Markers; }
  TsdJpegCodingInfo& GetCodingInfo() { return Info; }
  // The colour space the file holds, as detected from its markers.
  TsdJpegColorSpace DetectStoredColorSpace() const;

  TsdJpegLoadOptions LoadOptions = 0;
  TsdJpegScale LoadScale = jsFull;
  TsdJpegColorSpace StoredCS = jcAutoDetect;
  TsdJpegColorSpace BitmapCS = jcRGB;
  TsdJpegDCTCodingMethod DCTCodingMethod = dmAccurate;
  std::function<void(TsdJpegFormat& sender, const std::string& text)> OnDebugOut;
  // When set, samples reach the bitmap untransformed and the handler fixes them.
  std::function<void(TsdJpegFormat& sender, TsdJpegPixelMap& bitmap)> OnExternalCMS;

private:
  friend class TsdJpegSaveOptions;
  void Clear();
  bool InTileMode() const { return Coder && Coder->TileMode; }
  // The coefficients through the decoding transform into bitmap.
  void RenderSamples(TsdJpegPixelMap& bitmap);
  void DebugOut(const std::string& text);
  TsdDebugEvent DebugEvent();
  void ReadSegments(TMemoryStream& stream);
  void StartFrame(std::uint8_t code);
  void Encode();
  std::unique_ptr<TsdColorTransform> ChooseDecodeTransform();
  std::unique_ptr<TsdColorTransform> ChooseEncodeTransform(TsdJpegColorSpace stored, TsdJpegColorSpace source);
  void WriteScan(TStream& stream, int& index, bool tablesSinceScan);

  TsdJpegCodingInfo Info;
  TsdJpegMarkerList Markers;
  std::unique_ptr<TsdJpegBlockCoder> Coder;
  TsdJpegPixelMap Bitmap;
  std::unique_ptr<TsdJpegICCProfile> ICCProfile;
  TsdJpegSaveOptions SaveOptions;
  // The file's bytes, kept after a load in tile mode to decode tiles from.
  TMemoryStream TileSource;
  bool ScanDecoded = false;
};
