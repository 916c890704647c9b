#include "imaging/jpeg/JpegFormat.h"

#include <algorithm>
#include <cstring>

#include "imaging/jpeg/JpegBaselineCoder.h"
#include "imaging/jpeg/JpegHuffman.h"
#include "imaging/jpeg/JpegProgressiveCoder.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

using rtl::Format;

namespace {

const char* const kColorSpaceNames[] = {"AutoDetect", "Gray",  "GrayA", "RGB",      "RGBA",        "YCbCr",     "YCbCrA",
                                        "CMYK",       "YCbCrK", "YCCK", "PhotoYCC", "PhotoYCCA", "ITUCieLAB"};

bool HasOption(TsdJpegLoadOptions options, TsdJpegLoadOption option) { return (options >> option) & 1; }

int ComponentCount(TsdJpegColorSpace space) {
  switch (space) {
    case jcGray: return 1;
    case jcGrayA: return 2;
    case jcRGB:
    case jcYCbCr:
    case jcPhotoYCC: return 3;
    case jcRGBA:
    case jcYCbCrA:
    case jcCMYK:
    case jcYCCK:
    case jcPhotoYCCA: return 4;
    default: throw EInvalidGraphic("Unsupported color space");
  }
}

std::unique_ptr<TsdColorTransform> NullTransform(int bytes) {
  switch (bytes) {
    case 1: return std::make_unique<TsdNullTransform8bit>();
    case 2: return std::make_unique<TsdNullTransform16bit>();
    case 3: return std::make_unique<TsdNullTransform24bit>();
    case 4: return std::make_unique<TsdNullTransform32bit>();
    default: return nullptr;
  }
}

// The decoding transform from a stored colour space to a bitmap colour space.
std::unique_ptr<TsdColorTransform> DecodeTransform(TsdJpegColorSpace stored, TsdJpegColorSpace target) {
  switch (stored) {
    case jcGray:
      if (target == jcGray) return std::make_unique<TsdNullTransform8bit>();
      if (target == jcRGB) return std::make_unique<TsdTransformGrayToBGR>();
      break;
    case jcGrayA:
      if (target == jcRGB) return std::make_unique<TsdTransformGrayAToBGR>();
      if (target == jcRGBA) return std::make_unique<TsdTransformGrayAToBGRA>();
      break;
    case jcRGB:
      if (target == jcRGB) return std::make_unique<TsdTransformInvertTriplet24bit>();
      if (target == jcRGBA) return std::make_unique<TsdTransformRGBToBGRA>();
      break;
    case jcRGBA:
      if (target == jcRGB) return std::make_unique<TsdTransformRGBAToBGR>();
      if (target == jcRGBA) return std::make_unique<TsdNullTransform32bit>();
      break;
    case jcYCbCr:
    case jcPhotoYCC:
      if (target == jcGray) return std::make_unique<TsdTransformYCbCrToGray>();
      if (target == jcRGB) return std::make_unique<TsdTransformYCbCrToBGR>();
      if (target == jcRGBA) return std::make_unique<TsdTransformYCbCrToBGRA>();
      break;
    case jcYCbCrA:
    case jcPhotoYCCA:
      if (target == jcRGB) return std::make_unique<TsdTransformYCbCrAToBGR>();
      if (target == jcRGBA) return std::make_unique<TsdTransformYCbCrAToBGRA>();
      break;
    case jcCMYK:
      if (target == jcRGB) return std::make_unique<TsdTransformCMYKToBGR_Adobe>();
      break;
    case jcYCbCrK:
      if (target == jcRGB) return std::make_unique<TsdTransformYCbCrKToBGR>();
      break;
    case jcYCCK:
      if (target == jcRGB) return std::make_unique<TsdTransformYCCKToBGR>();
      break;
    case jcITUCieLAB:
      if (target == jcRGB) return std::make_unique<TsdTransformITUCIELabToBGR>();
      break;
    default: break;
  }
  return nullptr;
}

// Annex K base tables in natural order.
constexpr std::uint8_t kLuminanceBase[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,  14, 13, 16, 24,  40,  57,
    69, 56, 14, 17, 22,  29,  51,  87,  80, 62, 18, 22, 37,  56,  68,  109, 103, 77, 24, 35, 55,  64,
    81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::uint8_t kChrominanceBase[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

}  // namespace

// ---- TsdJpegSaveOptions ----

void TsdJpegSaveOptions::SetupQuantTables() {
  const int quality = std::clamp<int>(Quality, 1, 100);
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  auto marker = std::make_unique<TsdDQTMarker>(&Owner->Info, jpeg::mkDQT);
  const int tables = UseSubsampling ? 2 : 1;
  for (int id = 0; id < tables; ++id) {
    const std::uint8_t* base = id == 0 ? kLuminanceBase : kChrominanceBase;
    TsdQuantizationTable& table = Owner->Info.QuantizationTables[static_cast<std::size_t>(id)];
    for (std::size_t k = 0; k < 64; ++k) {
      const int value = (base[jpeg::kZigzagToNatural[k]] * scale + 50) / 100;
      table.Quant[k] = static_cast<std::uint16_t>(std::clamp(value, 1, 255));
    }
    table.Precision = 0;
    table.Defined = true;
    marker->AddTableId(id);
  }
  Owner->Markers.Add(std::move(marker));
}

void TsdJpegSaveOptions::SetupDefaultHuffmanTables() {
  auto marker = std::make_unique<TsdDHTMarker>(&Owner->Info, jpeg::mkDHT);
  const int tables = UseSubsampling ? 2 : 1;
  for (int id = 0; id < tables; ++id)
    for (int tableClass = 0; tableClass < 2; ++tableClass) marker->AddTable(jpeg::StandardTable(tableClass, id, id == 1));
  Owner->Markers.Add(std::move(marker));
}

void TsdJpegSaveOptions::SetupEncoding(TsdJpegColorSpace stored, int width, int height) {
  TsdJpegCodingInfo& info = Owner->Info;
  info = TsdJpegCodingInfo{};
  info.Width = width;
  info.Height = height;
  info.SamplePrecision = 8;
  info.EncodingMethod = jpeg::kBaselineDCT;
  info.FrameCount = ComponentCount(stored);
  UseSubsampling = stored == jcYCbCr || stored == jcYCbCrA || stored == jcYCCK || stored == jcPhotoYCC || stored == jcPhotoYCCA;
  info.FrameComponents.resize(static_cast<std::size_t>(info.FrameCount));
  for (int i = 0; i < info.FrameCount; ++i) {
    TsdFrameComponent& component = info.FrameComponents[static_cast<std::size_t>(i)];
    const bool luma = i == 0 || i == 3;
    component.ComponentID = static_cast<std::uint8_t>(i + 1);
    component.Hor = component.Ver = UseSubsampling && luma ? 2 : 1;
    component.QTable = UseSubsampling && !luma ? 1 : 0;
  }
  info.UpdateFrameLayout();
  SetupQuantTables();
  Owner->Markers.Add(std::make_unique<TsdSOFnMarker>(&info, jpeg::mkSOF0));
  if (!OptimizeHuffmanTables) SetupDefaultHuffmanTables();
  auto sos = std::make_unique<TsdSOSMarker>(&info, jpeg::mkSOS);
  for (int i = 0; i < info.FrameCount; ++i) {
    const int table = info.FrameComponents[static_cast<std::size_t>(i)].QTable;
    sos->Components.push_back({i, table, table});
  }
  sos->ApplyToCodingInfo();
  Owner->Markers.Add(std::move(sos));
}

// ---- TsdJpegFormat ----

TsdJpegFormat::TsdJpegFormat(TComponent* owner) : TComponent(owner), SaveOptions(this) {
  Markers.OnDebugOut = [this](const std::string& text) { DebugOut(text); };
}

TsdJpegFormat::~TsdJpegFormat() = default;

void TsdJpegFormat::DebugOut(const std::string& text) {
  if (OnDebugOut) OnDebugOut(*this, text);
}

TsdDebugEvent TsdJpegFormat::DebugEvent() {
  if (!OnDebugOut) return {};
  return [this](const std::string& text) { DebugOut(text); };
}

void TsdJpegFormat::Clear() {
  Markers.Clear();
  Coder.reset();
  Bitmap.Clear();
  ICCProfile.reset();
  Info = TsdJpegCodingInfo{};
  TileSource.Clear();
  ScanDecoded = false;
}

int TsdJpegFormat::GetWidth() const {
  const int d = jpeg::ScaleDivisor(LoadScale);
  return ((InTileMode() ? Info.TileWidth : Info.Width) + d - 1) / d;
}

int TsdJpegFormat::GetHeight() const {
  const int d = jpeg::ScaleDivisor(LoadScale);
  return ((InTileMode() ? Info.TileHeight : Info.Height) + d - 1) / d;
}

void TsdJpegFormat::LoadFromStream(TStream& stream) {
  Clear();
  if (HasOption(LoadOptions, loTileMode) && !HasOption(LoadOptions, loOnlyMetadata)) {
    if (stream.Remaining() > 0) TileSource.CopyFrom(stream, stream.Remaining());
    TileSource.SetPosition(0);
    ReadSegments(TileSource);
    return;
  }
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    ReadSegments(*memory);
    return;
  }
  TMemoryStream buffer;
  buffer.CopyFrom(stream, stream.Remaining());
  buffer.SetPosition(0);
  ReadSegments(buffer);
}

void TsdJpegFormat::StartFrame(std::uint8_t code) {
  if (Coder) throw EInvalidGraphic("Jpeg file holds more than one frame");
  if (HasOption(LoadOptions, loOnlyMetadata)) return;
  if (code == jpeg::mkSOF2 && HasOption(LoadOptions, loTileMode))
    throw EInvalidGraphic("Cannot use tilemode with progressive jpeg");
  if (code == jpeg::mkSOF0) Coder = std::make_unique<TsdJpegBaselineCoder>(Info);
  else if (code == jpeg::mkSOF1) Coder = std::make_unique<TsdJpegExtendedCoder>(Info);
  else Coder = std::make_unique<TsdJpegProgressiveCoder>(Info);
  Coder->OnDebugOut = DebugEvent();
  Coder->Method = DCTCodingMethod;
  Coder->TileMode = HasOption(LoadOptions, loTileMode);
  Coder->Initialize(LoadScale);
}

void TsdJpegFormat::ReadSegments(TMemoryStream& stream) {
  const bool onlyMetadata = HasOption(LoadOptions, loOnlyMetadata);
  for (;;) {
    const std::uint8_t code = jpeg::ReadMarker(stream, Markers, Info);
    if (code == jpeg::mkSOF0 || code == jpeg::mkSOF1 || code == jpeg::mkSOF2) {
      StartFrame(code);
    } else if (code == jpeg::mkSOS) {
      if (onlyMetadata) {
        if (!Info.WaitForDNL) {
          DebugOut("loOnlyMetadata option: Skipped rest of file.");
          return;
        }
        DebugOut("loOnlyMetadata option: Skipped encoded data.");
        TsdBitReader skipper(stream.Memory(), static_cast<std::size_t>(stream.GetSize()),
                             static_cast<std::size_t>(stream.GetPosition()));
        while (!skipper.MarkerHit && skipper.GetPosition() < static_cast<std::size_t>(stream.GetSize())) {
          skipper.Fill();
          skipper.DropWindow();
        }
        stream.SetPosition(static_cast<std::int64_t>(skipper.GetPosition()));
        continue;
      }
      std::size_t position = static_cast<std::size_t>(stream.GetPosition());
      Coder->DecodeScan(stream.Memory(), static_cast<std::size_t>(stream.GetSize()), position);
      stream.SetPosition(static_cast<std::int64_t>(position));
      ScanDecoded = true;
    } else {
      if (jpeg::IsRST(code)) DebugOut("WARNING: wrong place for marker.");
      if (onlyMetadata) return;
      if (!ScanDecoded) throw EInvalidGraphic("Jpeg file holds no image data");
      Coder->DecodeFinish();
      return;
    }
  }
}

void TsdJpegFormat::RenderSamples(TsdJpegPixelMap& bitmap) {
  std::unique_ptr<TsdColorTransform> transform = ChooseDecodeTransform();
  if (!transform) throw EInvalidGraphic("No color transformation available for current settings");
  bitmap.SetSize(GetWidth(), GetHeight(), transform->DestBytes());
  Coder->Method = DCTCodingMethod;
  Coder->SamplesToBitmap(bitmap, *transform);
  if (OnExternalCMS) OnExternalCMS(*this, bitmap);
}

const TsdJpegPixelMap& TsdJpegFormat::GetBitmap() {
  if (Coder && Coder->HasCoefficients && !Coder->HasSamples) {
    RenderSamples(Bitmap);
    Coder->HasSamples = true;
  }
  return Bitmap;
}

void TsdJpegFormat::LoadTileBlock(TsdJpegPixelMap& bitmap, int left, int top, int right, int bottom) {
  DebugOut(Format("Load tile block %d,%d, %d,%d", left, top, right, bottom));
  if (!Coder || !Coder->HasCoefficients) throw EInvalidGraphic("Call LoadTileBlock only after LoadFromStream");
  auto* coder = dynamic_cast<TsdJpegBaselineCoder*>(Coder.get());
  if (!coder) throw EInvalidGraphic("Tiled loading only possible with baseline jpeg");
  if (!Coder->TileMode) throw EInvalidGraphic("Call LoadTileBlock only after LoadFromStream");
  const int x0 = std::clamp(left, 0, Info.Width), x1 = std::clamp(right, 0, Info.Width);
  const int y0 = std::clamp(top, 0, Info.Height), y1 = std::clamp(bottom, 0, Info.Height);
  Info.TileWidth = Info.TileHeight = 0;
  if (x1 > x0 && y1 > y0) {
    const int mcuLeft = x0 / Info.McuWidth, mcuRight = (x1 + Info.McuWidth - 1) / Info.McuWidth;
    const int mcuTop = y0 / Info.McuHeight, mcuBottom = (y1 + Info.McuHeight - 1) / Info.McuHeight;
    coder->DecodeTile(mcuLeft, mcuTop, mcuRight, mcuBottom);
    Info.TileWidth = std::min(mcuRight * Info.McuWidth, Info.Width) - mcuLeft * Info.McuWidth;
    Info.TileHeight = std::min(mcuBottom * Info.McuHeight, Info.Height) - mcuTop * Info.McuHeight;
  } else {
    coder->DecodeTile(0, 0, 0, 0);
  }
  RenderSamples(bitmap);
}

void TsdJpegFormat::SetBitmap(const TsdJpegPixelMap& bitmap) {
  Clear();
  Bitmap = bitmap;
}

void TsdJpegFormat::AssignToImage32(TsdJpegImage32& dest) { jpeg::CopyToImage32(GetBitmap(), dest); }

void TsdJpegFormat::AssignFromImage32(const TsdJpegImage32& source) { SetBitmap(jpeg::CopyFromImage32(source)); }

// ---- metadata ----

TsdJFIFMarker* TsdJpegFormat::GetJfifInfo() const { return dynamic_cast<TsdJFIFMarker*>(Markers.ByCode(jpeg::mkAPP0)); }
TsdEXIFMarker* TsdJpegFormat::GetExifInfo() const { return dynamic_cast<TsdEXIFMarker*>(Markers.ByCode(jpeg::mkAPP1)); }
TsdIPTCMarker* TsdJpegFormat::GetIptcInfo() const { return dynamic_cast<TsdIPTCMarker*>(Markers.ByCode(jpeg::mkAPP13)); }
TsdAdobeApp14Marker* TsdJpegFormat::GetAdobeAPP14Info() const {
  return dynamic_cast<TsdAdobeApp14Marker*>(Markers.ByCode(jpeg::mkAPP14));
}

std::string TsdJpegFormat::GetComment() const {
  const auto* marker = dynamic_cast<TsdCOMMarker*>(Markers.ByCode(jpeg::mkCOM));
  return marker ? marker->GetComment() : std::string();
}

void TsdJpegFormat::SetComment(const std::string& text) {
  auto* marker = dynamic_cast<TsdCOMMarker*>(Markers.ByCode(jpeg::mkCOM));
  if (!marker) {
    if (!Markers.HasMarker({jpeg::mkSOI})) throw EInvalidGraphic("Comment cannot be set before assigning bitmap");
    auto created = std::make_unique<TsdCOMMarker>(&Info, jpeg::mkCOM);
    marker = created.get();
    Markers.InsertAfter({jpeg::mkSOI, jpeg::mkAPP0}, std::move(created));
  }
  marker->SetComment(text);
}

const TsdJpegICCProfile* TsdJpegFormat::GetICCProfile() {
  if (!ICCProfile) {
    auto profile = std::make_unique<TsdJpegICCProfile>();
    profile->ReadFromMarkers(Markers);
    if (profile->GetData().empty()) return nullptr;
    ICCProfile = std::move(profile);
  }
  return ICCProfile.get();
}

void TsdJpegFormat::SetICCProfile(const TsdJpegICCProfile* profile) {
  ICCProfile.reset();
  Markers.RemoveMarkers({jpeg::mkAPP2});
  if (profile) profile->WriteToMarkers(Markers, &Info);
}

// ---- colour spaces ----

TsdJpegColorSpace TsdJpegFormat::DetectStoredColorSpace() const {
  static const TsdJpegColorSpace kByCount[] = {jcAutoDetect, jcGray, jcGrayA, jcYCbCr, jcYCCK};
  const int count = Info.FrameCount;
  TsdJpegColorSpace space = count >= 1 && count <= 4 ? kByCount[count] : jcAutoDetect;
  const TsdJFIFMarker* jfif = GetJfifInfo();
  const bool jfifValid = jfif && jfif->IsValid() && (count == 1 || count == 3);
  if (!jfifValid) {
    if (const TsdAdobeApp14Marker* adobe = GetAdobeAPP14Info(); adobe && adobe->IsValid()) {
      // A transform naming more or fewer components than the frame has is
      // ignored: its conversion would read samples that do not exist.
      switch (adobe->Transform()) {
        case 0: return count == 3 ? jcRGB : (count == 4 ? jcCMYK : space);
        case 1: return count == 3 ? jcYCbCr : space;
        case 2: return count == 4 ? jcYCCK : space;
        default: return space;
      }
    }
    if (const TsdEXIFMarker* exif = GetExifInfo(); exif && exif->IsG3Fax() && count == 3) return jcITUCieLAB;
    if (Info.MaxHor == 1) {
      if (count == 3) space = jcRGB;
      if (count == 4) space = jcCMYK;
    }
  }
  std::string ids;
  for (const TsdFrameComponent& component : Info.FrameComponents) ids += static_cast<char>(component.ComponentID);
  if (count == 3) {
    if (ids == std::string("\1\2\3", 3)) space = jcYCbCr;
    else if (ids == "RGB") space = jcRGB;
    else if (ids == "YCc") space = jcPhotoYCC;
  } else if (count == 4) {
    if (ids == std::string("\1\2\3\4", 4))
      space = Markers.HasMarker({jpeg::mkAPP2}) ? jcYCbCrK : jcYCbCrA;
    else if (ids == "RGBA") space = jcRGBA;
    else if (ids == "YCcA") space = jcPhotoYCCA;
  }
  return space;
}

std::unique_ptr<TsdColorTransform> TsdJpegFormat::ChooseDecodeTransform() {
  DebugOut("Color conversion samples->bitmap:");
  TsdJpegColorSpace stored = StoredCS;
  if (stored == jcAutoDetect) {
    stored = DetectStoredColorSpace();
    DebugOut(Format(" Internal colorsp: %s (detected)", kColorSpaceNames[stored]));
  } else {
    DebugOut(Format(" Internal colorsp: %s (selected)", kColorSpaceNames[stored]));
  }
  const TsdJpegColorSpace target = BitmapCS == jcAutoDetect ? stored : BitmapCS;
  DebugOut(BitmapCS == jcAutoDetect ? Format(" Bitmap colorsp: %s (no change)", kColorSpaceNames[target])
                                    : Format(" Bitmap colorsp: %s (selected)", kColorSpaceNames[target]));
  std::unique_ptr<TsdColorTransform> transform;
  if (OnExternalCMS) DebugOut(" Color management handled by external application");
  else transform = DecodeTransform(stored, target);
  // A stored space chosen by the caller may not fit the frame's components.
  if (transform && transform->SourceBytes() != Info.FrameCount) transform.reset();
  if (!transform) {
    if (!OnExternalCMS && stored != target) DebugOut(" Warning: no color transform could be found (stored colors are output)");
    transform = NullTransform(Info.FrameCount);
  }
  return transform;
}

std::unique_ptr<TsdColorTransform> TsdJpegFormat::ChooseEncodeTransform(TsdJpegColorSpace stored, TsdJpegColorSpace source) {
  DebugOut("Color conversion bitmap->samples:");
  std::unique_ptr<TsdColorTransform> transform;
  if (ComponentCount(stored) == Bitmap.GetBytesPerPixel()) transform = NullTransform(Bitmap.GetBytesPerPixel());
  switch (stored) {
    case jcGray:
      if (source == jcRGB) transform = std::make_unique<TsdTransformBGRToGray>();
      break;
    case jcRGB:
      if (source == jcRGB) transform = std::make_unique<TsdTransformInvertTriplet24bit>();
      break;
    case jcYCbCr:
    case jcPhotoYCC:
      if (source == jcRGB) transform = std::make_unique<TsdTransformBGRToYCbCr>();
      if (source == jcRGBA) transform = std::make_unique<TsdTransformBGRAToYCbCr>();
      break;
    case jcYCbCrA:
      if (source == jcRGBA) transform = std::make_unique<TsdTransformBGRAToYCbCrA>();
      break;
    default: break;
  }
  if (!transform || transform->SourceBytes() != Bitmap.GetBytesPerPixel())
    throw EInvalidGraphic("Invalid bitmap format for selected color space");
  return transform;
}

// ---- encoding and saving ----

void TsdJpegFormat::Encode() {
  if (Bitmap.IsEmpty()) throw EInvalidGraphic("Bitmap is empty; cannot save");
  const int bytes = Bitmap.GetBytesPerPixel();
  TsdJpegColorSpace stored;
  TsdJpegColorSpace source;
  if (BitmapCS == jcAutoDetect) {
    if (bytes == 2) throw EInvalidGraphic("Invalid bitmap format for selected color space");
    static const TsdJpegColorSpace kStored[] = {jcAutoDetect, jcGray, jcAutoDetect, jcYCbCr, jcYCCK};
    static const TsdJpegColorSpace kSource[] = {jcAutoDetect, jcGray, jcAutoDetect, jcRGB, jcRGBA};
    stored = kStored[bytes];
    source = kSource[bytes];
  } else {
    static const int kBytes[] = {0, 1, 2, 3, 4, 3, 4, 4, 0, 4, 3, 4, 0};
    if (kBytes[BitmapCS] != bytes) throw EInvalidGraphic("Invalid bitmap format for selected color space");
    source = BitmapCS;
    stored = StoredCS;
    if (stored == jcAutoDetect) {
      switch (BitmapCS) {
        case jcRGB: stored = jcYCbCr; break;
        case jcRGBA: stored = jcYCbCrA; break;
        default: stored = BitmapCS; break;
      }
    }
  }
  TsdJpegPixelMap bitmap = std::move(Bitmap);
  Clear();
  Bitmap = std::move(bitmap);
  Markers.Add(jpeg::CreateMarker(&Info, jpeg::mkSOI));
  if (stored == jcGray || stored == jcYCbCr) {
    auto jfif = std::make_unique<TsdJFIFMarker>(&Info, jpeg::mkAPP0);
    if (SaveOptions.DotsPerCm > 0) jfif->SetDensity(TsdJFIFMarker::DotsPerCm, SaveOptions.DotsPerCm);
    Markers.Add(std::move(jfif));
  }
  if (stored == jcRGB || stored == jcCMYK || stored == jcYCCK) {
    auto adobe = std::make_unique<TsdAdobeApp14Marker>(&Info, jpeg::mkAPP14);
    adobe->SetTransform(stored == jcYCCK ? 2 : 0);
    Markers.Add(std::move(adobe));
  }
  SaveOptions.SetupEncoding(stored, Bitmap.GetWidth(), Bitmap.GetHeight());
  std::unique_ptr<TsdColorTransform> transform = ChooseEncodeTransform(stored, source);
  auto coder = std::make_unique<TsdJpegBaselineCoder>(Info);
  coder->OnDebugOut = DebugEvent();
  coder->Initialize(jsFull);
  coder->BitmapToCoefficients(Bitmap, *transform);
  coder->HasCoefficients = true;
  coder->HasSamples = true;
  Coder = std::move(coder);
  Markers.Add(jpeg::CreateMarker(&Info, jpeg::mkEOI));
}

void TsdJpegFormat::WriteScan(TStream& stream, int& index, bool tablesSinceScan) {
  auto& sos = static_cast<TsdSOSMarker&>(*Markers[index]);
  sos.ApplyToCodingInfo();
  if (!tablesSinceScan) {
    Coder->EncodeScan(nullptr);
    if (std::unique_ptr<TsdJpegMarker> dht = Coder->CreateOptimizedDHT()) {
      TsdJpegMarker* inserted = Markers.Insert(index, std::move(dht));
      jpeg::WriteMarker(stream, *inserted, Markers);
      ++index;
    }
  }
  jpeg::WriteMarker(stream, sos, Markers);
  Coder->EncodeScan(&stream);
}

void TsdJpegFormat::SaveToStream(TStream& stream) {
  if (!Coder || !Coder->HasCoefficients) Encode();
  // The coefficients are those of one tile at most: the frame cannot be coded.
  if (Coder->TileMode) throw EInvalidGraphic("An image loaded in tile mode cannot be saved");
  if (Coder->Scale != jsFull) throw EInvalidGraphic("Operation can only be performed with LoadScale = lsFull");
  bool tablesSinceScan = false;
  for (int i = 0; i < Markers.Count(); ++i) {
    TsdJpegMarker& marker = *Markers[i];
    if (marker.GetCode() == jpeg::mkDHT) {
      static_cast<TsdDHTMarker&>(marker).InstallTables();
      tablesSinceScan = true;
    }
    if (marker.GetCode() == jpeg::mkSOS) {
      WriteScan(stream, i, tablesSinceScan);
      tablesSinceScan = false;
      continue;
    }
    jpeg::WriteMarker(stream, marker, Markers);
  }
}
