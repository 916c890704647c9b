#include "imaging/jpeg/JpegMarkers.h"

#include <algorithm>

#include "imaging/formats/PictureBudget.h"
#include "imaging/jpeg/JpegBigEndian.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

using rtl::Format;

namespace {

std::string CodeHex(std::uint8_t code) { return Format("%.2X", code); }

bool IsUnsupportedSOF(std::uint8_t code) {
  return code >= 0xC3 && code <= 0xCF && code != jpeg::mkDHT && code != 0xC8 && code != 0xCC;
}

std::vector<std::uint8_t> ReadPayload(TStream& stream, int size) {
  jpeg::RequireBytes(stream, size);
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  stream.ReadBuffer(data.data(), size);
  return data;
}

// Checks that the counts describe a prefix code: no more than 256 symbols and
// no length with more codes than the shorter lengths leave free.
void CheckHuffmanCounts(const std::array<std::uint8_t, 16>& counts) {
  int total = 0;
  std::uint32_t code = 0;
  for (int length = 1; length <= 16; ++length) {
    total += counts[static_cast<std::size_t>(length - 1)];
    code += counts[static_cast<std::size_t>(length - 1)];
    if (code > (std::uint32_t{1} << length)) throw EInvalidGraphic("Invalid Huffman table: too many codes for their lengths");
    code <<= 1;
  }
  if (total > 256) throw EInvalidGraphic("Invalid Huffman table: more than 256 codes");
}

// Builds the table entries with their canonical codes.
TsdHuffmanTable BuildHuffmanTable(const TsdDHTTable& source) {
  TsdHuffmanTable table;
  std::uint32_t code = 0;
  std::size_t value = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < source.Counts[static_cast<std::size_t>(length - 1)]; ++i) {
      table.Codes.push_back({static_cast<std::uint8_t>(length), static_cast<std::uint16_t>(code), source.Values[value++]});
      ++code;
    }
    code <<= 1;
  }
  return table;
}

void CheckTableId(int id, const char* message) {
  if (id >= jpeg::kMaxTables) throw EInvalidGraphic(message);
}

}  // namespace

// ---- TsdJpegMarker ----

void TsdJpegMarker::DebugOut(const std::string& text) const {
  if (Owner) Owner->DebugOut(text);
}

void TsdJpegMarker::DebugHex(TStream& stream, int size) const {
  if (!Owner || !Owner->OnDebugOut) return;
  const std::int64_t start = stream.GetPosition();
  const int count = static_cast<int>(std::min<std::int64_t>({size, 32, stream.Remaining()}));
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
  stream.ReadBuffer(bytes.data(), count);
  stream.SetPosition(start);
  std::string line;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && i % 4 == 0) line.push_back('-');
    line.append(CodeHex(bytes[static_cast<std::size_t>(i)]));
  }
  line.append("...");
  DebugOut(line);
}

void TsdJpegMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut(Format("<unknown marker %s, length:%d>", CodeHex(Code), size));
  DebugHex(stream, size);
}

void TsdJpegMarker::SaveToStream(TStream&) { throw Exception(Format("marker %s", CodeHex(Code))); }

// ---- APPn ----

void TsdAPPnMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut(Format("<APP%d %s marker, length:%d>", Code & 15, GetMarkerName(), size));
  DebugHex(stream, size);
  Data = ReadPayload(stream, size);
}

void TsdAPPnMarker::SaveToStream(TStream& stream) { stream.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size())); }

bool TsdAPPnMarker::DataStartsWith(const char* text, std::size_t length) const {
  return Data.size() >= length && std::equal(Data.begin(), Data.begin() + static_cast<std::ptrdiff_t>(length),
                                              reinterpret_cast<const std::uint8_t*>(text));
}

TsdJFIFMarker::TsdJFIFMarker(TsdJpegCodingInfo* codingInfo, std::uint8_t code) : TsdAPPnMarker(codingInfo, code) {
  // Version 1.02, dots per inch, 600 x 600, no thumbnail.
  Data = {'J', 'F', 'I', 'F', 0, 1, 2, DotsPerInch, 600 >> 8, 600 & 0xFF, 600 >> 8, 600 & 0xFF, 0, 0};
}

void TsdJFIFMarker::SetDensity(std::uint8_t units, std::uint16_t density) {
  if (Data.size() < 12) return;
  Data[7] = units;
  for (const std::size_t at : {std::size_t{8}, std::size_t{10}}) {
    Data[at] = static_cast<std::uint8_t>(density >> 8);
    Data[at + 1] = static_cast<std::uint8_t>(density & 0xFF);
  }
}

TsdAdobeApp14Marker::TsdAdobeApp14Marker(TsdJpegCodingInfo* codingInfo, std::uint8_t code)
    : TsdAPPnMarker(codingInfo, code) {
  Data = {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 0};
}

// ---- SOFn ----

void TsdSOFnMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut(Format("<SOF%s marker, length:%d>", CodeHex(Code & 15), size));
  if (IsUnsupportedSOF(Code)) {
    DebugOut("Unsupported coding method");
    throw EInvalidGraphic(Format("Unsupported encoding: SOF%d", Code & 15));
  }
  jpeg::RequireBytes(stream, std::min(size, 6));
  TsdJpegCodingInfo& info = *CodingInfo;
  static const char* const kMethods[] = {"Baseline DCT", "Extended DCT", "Progressive DCT"};
  info.EncodingMethod = Code - jpeg::mkSOF0 + 1;
  DebugOut(Format("Coding method: %s", kMethods[info.EncodingMethod - 1]));
  info.SamplePrecision = jpeg::ReadByte(stream);
  if (info.SamplePrecision != 8) throw EInvalidGraphic(Format("Unsupported sample precision: %d bits", info.SamplePrecision));
  info.Height = jpeg::ReadWordBE(stream);
  info.Width = jpeg::ReadWordBE(stream);
  info.FrameCount = jpeg::ReadByte(stream);
  DebugOut(Format("Image %dx%d, %d frames, %dbit samples", info.Width, info.Height, info.FrameCount, info.SamplePrecision));
  if (info.FrameCount < 1 || info.FrameCount > jpeg::kMaxComponents)
    throw EInvalidGraphic(Format("Invalid number of frame components: %d", info.FrameCount));
  if (size < 6 + 3 * info.FrameCount) throw EInvalidGraphic("Jpeg segment truncated");
  if (info.Width == 0) throw EInvalidGraphic("Invalid image width: 0");
  imaging::AdmitPicture(info.Width, info.Height);
  info.WaitForDNL = info.Height == 0;
  info.FrameComponents.assign(static_cast<std::size_t>(info.FrameCount), {});
  info.ScanComponents.clear();
  for (int i = 0; i < info.FrameCount; ++i) {
    TsdFrameComponent& component = info.FrameComponents[static_cast<std::size_t>(i)];
    component.ComponentID = jpeg::ReadByte(stream);
    const std::uint8_t sampling = jpeg::ReadByte(stream);
    component.QTable = jpeg::ReadByte(stream);
    component.Hor = info.FrameCount == 1 ? 1 : sampling >> 4;
    component.Ver = info.FrameCount == 1 ? 1 : sampling & 15;
    if (component.Hor < 1 || component.Hor > 4 || component.Ver < 1 || component.Ver > 4)
      throw EInvalidGraphic("Invalid sampling factors in frame header");
    CheckTableId(component.QTable, "Invalid quantisation table reference in frame header");
    for (int j = 0; j < i; ++j)
      if (info.FrameComponents[static_cast<std::size_t>(j)].ComponentID == component.ComponentID)
        throw EInvalidGraphic("Duplicate component id in frame header");
    DebugOut(Format("Frame %d: %dx%d sampling ID=%s QTable=%d", i, component.Hor, component.Ver,
                    CodeHex(component.ComponentID), component.QTable));
  }
  info.UpdateFrameLayout();
  for (const TsdFrameComponent& component : info.FrameComponents)
    if (info.MaxHor % component.Hor != 0 || info.MaxVer % component.Ver != 0)
      throw EInvalidGraphic("Invalid sampling factors in frame header");
}

void TsdSOFnMarker::SaveToStream(TStream& stream) {
  const TsdJpegCodingInfo& info = *CodingInfo;
  jpeg::WriteByte(stream, static_cast<std::uint8_t>(info.SamplePrecision));
  jpeg::WriteWordBE(stream, static_cast<std::uint16_t>(info.Height));
  jpeg::WriteWordBE(stream, static_cast<std::uint16_t>(info.Width));
  jpeg::WriteByte(stream, static_cast<std::uint8_t>(info.FrameCount));
  for (const TsdFrameComponent& component : info.FrameComponents) {
    jpeg::WriteByte(stream, component.ComponentID);
    jpeg::WriteByte(stream, static_cast<std::uint8_t>(component.Hor << 4 | component.Ver));
    jpeg::WriteByte(stream, static_cast<std::uint8_t>(component.QTable));
  }
}

// ---- DHT ----

void TsdDHTMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut(Format("<DHT marker, length:%d>", size));
  jpeg::RequireBytes(stream, size);
  int left = size;
  while (left > 0) {
    if (left < 17) throw EInvalidGraphic("Jpeg segment truncated");
    TsdDHTTable table;
    const std::uint8_t classAndId = jpeg::ReadByte(stream);
    table.TableClass = classAndId >> 4;
    table.TableId = classAndId & 15;
    if (table.TableClass > 1) throw EInvalidGraphic("Invalid table class in DHT marker");
    CheckTableId(table.TableId, "Invalid table id in DHT marker");
    stream.ReadBuffer(table.Counts.data(), 16);
    CheckHuffmanCounts(table.Counts);
    int total = 0;
    for (std::uint8_t count : table.Counts) total += count;
    left -= 17;
    if (total > left) throw EInvalidGraphic("Jpeg segment truncated");
    table.Values = ReadPayload(stream, total);
    left -= total;
    DebugOut(Format("%s Huffman table=%d, length=%d", table.TableClass == 0 ? "DC" : "AC", table.TableId, total));
    AddTable(std::move(table));
  }
}

void TsdDHTMarker::AddTable(TsdDHTTable table) {
  CheckHuffmanCounts(table.Counts);
  Items.push_back(std::move(table));
  InstallTable(Items.back());
}

void TsdDHTMarker::InstallTables() const {
  for (const TsdDHTTable& table : Items) InstallTable(table);
}

void TsdDHTMarker::InstallTable(const TsdDHTTable& table) const {
  auto& tables = table.TableClass == 0 ? CodingInfo->DCHuffmanTables : CodingInfo->ACHuffmanTables;
  tables[table.TableId] = BuildHuffmanTable(table);
}

void TsdDHTMarker::SaveToStream(TStream& stream) {
  for (const TsdDHTTable& table : Items) {
    jpeg::WriteByte(stream, static_cast<std::uint8_t>(table.TableClass << 4 | table.TableId));
    stream.WriteBuffer(table.Counts.data(), 16);
    stream.WriteBuffer(table.Values.data(), static_cast<std::int64_t>(table.Values.size()));
  }
}

// ---- DQT ----

void TsdDQTMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut(Format("<DQT marker, length:%d>", size));
  jpeg::RequireBytes(stream, size);
  int left = size;
  while (left > 0) {
    const std::uint8_t precisionAndId = jpeg::ReadByte(stream);
    const int precision = precisionAndId >> 4;
    const int id = precisionAndId & 15;
    if (precision > 1) throw EInvalidGraphic("Invalid quantisation table precision");
    CheckTableId(id, "Invalid quantisation table id");
    const int bytes = 1 + 64 * (precision + 1);
    if (bytes > left) throw EInvalidGraphic("Jpeg segment truncated");
    TsdQuantizationTable& table = CodingInfo->QuantizationTables[static_cast<std::size_t>(id)];
    table.Precision = static_cast<std::uint8_t>(precision);
    table.Defined = true;
    for (std::uint16_t& value : table.Quant) value = precision == 0 ? jpeg::ReadByte(stream) : jpeg::ReadWordBE(stream);
    left -= bytes;
    AddTableId(id);
    DebugOut(Format("QTable=%d precision=%s", id, precision == 0 ? "8bit" : "16bit"));
  }
}

void TsdDQTMarker::SaveToStream(TStream& stream) {
  for (int id : TableIds) {
    const TsdQuantizationTable& table = CodingInfo->QuantizationTables[static_cast<std::size_t>(id)];
    jpeg::WriteByte(stream, static_cast<std::uint8_t>(table.Precision << 4 | id));
    for (std::uint16_t value : table.Quant) {
      if (table.Precision == 0) jpeg::WriteByte(stream, static_cast<std::uint8_t>(value));
      else jpeg::WriteWordBE(stream, value);
    }
  }
}

// ---- DRI and DNL ----

void TsdDRIMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut(Format("<DRI marker, length:%d>", size));
  if (size < 2) throw EInvalidGraphic("Jpeg segment truncated");
  CodingInfo->RestartInterval = jpeg::ReadWordBE(stream);
  DebugOut(Format("Restart interval: %d", CodingInfo->RestartInterval));
}

void TsdDRIMarker::SaveToStream(TStream& stream) {
  jpeg::WriteWordBE(stream, static_cast<std::uint16_t>(CodingInfo->RestartInterval));
}

void TsdDNLMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut("<DNL marker>");
  if (size < 2) throw EInvalidGraphic("Jpeg segment truncated");
  const int lines = jpeg::ReadWordBE(stream);
  // Only a frame that left its height open may receive one.
  if (!CodingInfo->WaitForDNL) throw EInvalidGraphic("Unexpected DNL marker");
  if (lines == 0) throw EInvalidGraphic("Invalid number of lines in DNL marker");
  imaging::AdmitPicture(CodingInfo->Width, lines);
  CodingInfo->Height = lines;
  CodingInfo->WaitForDNL = false;
  CodingInfo->UpdateFrameLayout();
  DebugOut(Format("Image height: %d", lines));
}

void TsdDNLMarker::SaveToStream(TStream& stream) {
  jpeg::WriteWordBE(stream, static_cast<std::uint16_t>(CodingInfo->Height));
}

// ---- SOS ----

void TsdSOSMarker::LoadFromStream(TStream& stream, int size) {
  DebugOut("<SOS marker, coding starts>");
  const TsdJpegCodingInfo& info = *CodingInfo;
  if (info.FrameComponents.empty()) throw EInvalidGraphic("Scan before frame header");
  jpeg::RequireBytes(stream, size);
  const int count = size >= 1 ? jpeg::ReadByte(stream) : 0;
  if (count < 1 || count > info.FrameCount) throw EInvalidGraphic(Format("Invalid number of scan components: %d", count));
  if (size < 4 + 2 * count) throw EInvalidGraphic("Jpeg segment truncated");
  DebugOut(count == 1 ? std::string("Single Channel") : Format("Interleaved (%d channels)", count));
  Components.clear();
  for (int i = 0; i < count; ++i) {
    const std::uint8_t id = jpeg::ReadByte(stream);
    const std::uint8_t tables = jpeg::ReadByte(stream);
    const auto found = std::find_if(info.FrameComponents.begin(), info.FrameComponents.end(),
                                    [id](const TsdFrameComponent& c) { return c.ComponentID == id; });
    if (found == info.FrameComponents.end()) throw EInvalidGraphic("Invalid frame reference in scan component");
    const int frameIndex = static_cast<int>(found - info.FrameComponents.begin());
    for (const Component& earlier : Components)
      if (earlier.FrameIndex == frameIndex) throw EInvalidGraphic("Invalid frame reference in scan component");
    Components.push_back({frameIndex, tables >> 4, tables & 15});
    CheckTableId(Components.back().DCTable, "Invalid Huffman table reference in scan header");
    CheckTableId(Components.back().ACTable, "Invalid Huffman table reference in scan header");
    DebugOut(Format("Channel %d DCTable: %d, ACTable: %d", frameIndex, tables >> 4, tables & 15));
  }
  SS = jpeg::ReadByte(stream);
  SE = jpeg::ReadByte(stream);
  const std::uint8_t approximation = jpeg::ReadByte(stream);
  AH = approximation >> 4;
  AL = approximation & 15;
  if (info.EncodingMethod == jpeg::kProgressiveDCT)
    DebugOut(Format("Progressive params: Ss=%d, Se=%d, Ah=%d, Al=%d", SS, SE, AH, AL));
  ApplyToCodingInfo();
}

void TsdSOSMarker::ApplyToCodingInfo() const {
  TsdJpegCodingInfo& info = *CodingInfo;
  info.ScanComponents.clear();
  for (const Component& component : Components)
    info.ScanComponents.push_back({component.FrameIndex, component.DCTable, component.ACTable, 0});
  info.ScanCount = static_cast<int>(Components.size());
  info.SS = SS;
  info.SE = SE;
  info.AH = AH;
  info.AL = AL;
}

void TsdSOSMarker::SaveToStream(TStream& stream) {
  jpeg::WriteByte(stream, static_cast<std::uint8_t>(Components.size()));
  for (const Component& component : Components) {
    jpeg::WriteByte(stream, CodingInfo->FrameComponents[static_cast<std::size_t>(component.FrameIndex)].ComponentID);
    jpeg::WriteByte(stream, static_cast<std::uint8_t>(component.DCTable << 4 | component.ACTable));
  }
  jpeg::WriteByte(stream, static_cast<std::uint8_t>(SS));
  jpeg::WriteByte(stream, static_cast<std::uint8_t>(SE));
  jpeg::WriteByte(stream, static_cast<std::uint8_t>(AH << 4 | AL));
}

// ---- SOI, EOI, RSTn ----

std::string TsdEmptyMarker::GetMarkerName() const {
  if (Code == jpeg::mkSOI) return "SOI";
  if (Code == jpeg::mkEOI) return "EOI";
  return Format("RST%d", Code - jpeg::mkRST0);
}

void TsdEmptyMarker::LoadFromStream(TStream&, int) {
  if (jpeg::IsRST(Code)) DebugOut(Format("<RST%s marker>", CodeHex(Code & 7)));
  else DebugOut(Format("<%s marker>", GetMarkerName()));
}

// ---- TsdJpegMarkerList ----

TsdJpegMarker* TsdJpegMarkerList::ByCode(std::uint8_t code) const {
  for (const auto& marker : Items)
    if (marker->GetCode() == code) return marker.get();
  return nullptr;
}

bool TsdJpegMarkerList::HasMarker(const CodeSet& codes) const {
  return std::any_of(Items.begin(), Items.end(), [&](const auto& marker) {
    return std::find(codes.begin(), codes.end(), marker->GetCode()) != codes.end();
  });
}

void TsdJpegMarkerList::InsertAfter(const CodeSet& codes, std::unique_ptr<TsdJpegMarker> marker) {
  for (int i = Count() - 1; i >= 0; --i) {
    if (std::find(codes.begin(), codes.end(), Items[static_cast<std::size_t>(i)]->GetCode()) != codes.end()) {
      Insert(i + 1, std::move(marker));
      return;
    }
  }
  Add(std::move(marker));
}

void TsdJpegMarkerList::RemoveMarkers(const CodeSet& codes) {
  std::erase_if(Items, [&](const auto& marker) {
    return std::find(codes.begin(), codes.end(), marker->GetCode()) != codes.end();
  });
}

TsdJpegMarker* TsdJpegMarkerList::Add(std::unique_ptr<TsdJpegMarker> marker) { return Insert(Count(), std::move(marker)); }

TsdJpegMarker* TsdJpegMarkerList::Insert(int index, std::unique_ptr<TsdJpegMarker> marker) {
  marker->SetOwner(this);
  return Items.insert(Items.begin() + index, std::move(marker))->get();
}

// ---- reading and writing ----

namespace jpeg {

bool HasLength(std::uint8_t code) {
  return (code >= 0xC0 && code <= 0xCF) || (code >= 0xDA && code <= 0xDD) || (code >= 0xE0 && code <= 0xEF) ||
         code == mkCOM;
}

bool IsRST(std::uint8_t code) { return code >= mkRST0 && code <= mkRST0 + 7; }

std::unique_ptr<TsdJpegMarker> CreateMarker(TsdJpegCodingInfo* info, std::uint8_t code) {
  if (code >= 0xC0 && code <= 0xCF && code != mkDHT && code != 0xC8 && code != 0xCC)
    return std::make_unique<TsdSOFnMarker>(info, code);
  switch (code) {
    case mkDHT: return std::make_unique<TsdDHTMarker>(info, code);
    case mkSOI:
    case mkEOI: return std::make_unique<TsdEmptyMarker>(info, code);
    case mkSOS: return std::make_unique<TsdSOSMarker>(info, code);
    case mkDQT: return std::make_unique<TsdDQTMarker>(info, code);
    case mkDNL: return std::make_unique<TsdDNLMarker>(info, code);
    case mkDRI: return std::make_unique<TsdDRIMarker>(info, code);
    case mkAPP0: return std::make_unique<TsdJFIFMarker>(info, code);
    case mkAPP1: return std::make_unique<TsdEXIFMarker>(info, code);
    case mkAPP2: return std::make_unique<TsdICCProfileMarker>(info, code);
    case mkAPP13: return std::make_unique<TsdIPTCMarker>(info, code);
    case mkAPP14: return std::make_unique<TsdAdobeApp14Marker>(info, code);
    case mkCOM: return std::make_unique<TsdCOMMarker>(info, code);
    default: break;
  }
  if (IsRST(code)) return std::make_unique<TsdEmptyMarker>(info, code);
  if (code >= 0xE0 && code <= 0xEF) return std::make_unique<TsdAPPnMarker>(info, code);
  return std::make_unique<TsdJpegMarker>(info, code);
}

namespace {

bool ReadOneByte(TStream& stream, std::uint8_t& value) { return stream.Read(&value, 1) == 1; }

// Reads up to and including the code byte of the next marker.
std::uint8_t ReadMarkerCode(TStream& stream, const TsdJpegMarkerList& list) {
  std::uint8_t value = 0;
  if (!ReadOneByte(stream, value)) throw EInvalidGraphic("Jpeg Marker expected");
  if (value != 0xFF) {
    list.DebugOut(Format("Error: marker expected at %.6d", stream.GetPosition() - 1));
    do {
      if (!ReadOneByte(stream, value)) throw EInvalidGraphic("Jpeg Marker expected");
    } while (value != 0xFF);
    list.DebugOut(Format("Resuming at %.6d", stream.GetPosition() - 1));
  }
  if (!ReadOneByte(stream, value)) throw EInvalidGraphic("Jpeg Marker expected");
  while (value == 0xFF) {
    list.DebugOut(Format("Error: duplicate $FF encountered at %.6d", stream.GetPosition() - 1));
    if (!ReadOneByte(stream, value)) throw EInvalidGraphic("Jpeg Marker expected");
  }
  return value;
}

bool EndsMarkerRead(std::uint8_t code) {
  return code == mkSOF0 || code == mkSOF1 || code == mkSOF2 || IsRST(code) || code == mkEOI || code == mkSOS;
}

}  // namespace

std::uint8_t ReadMarker(TStream& stream, TsdJpegMarkerList& list, TsdJpegCodingInfo& info) {
  for (;;) {
    const std::uint8_t code = ReadMarkerCode(stream, list);
    TsdJpegMarker* marker = list.Add(CreateMarker(&info, code));
    int size = 0;
    if (HasLength(code)) {
      const int length = ReadWordBE(stream);
      if (length < 2) throw EInvalidGraphic(Format("Invalid length %d of marker %s", length, CodeHex(code)));
      size = length - 2;
      RequireBytes(stream, size);
    }
    const std::int64_t start = stream.GetPosition();
    marker->LoadFromStream(stream, size);
    stream.SetPosition(start + size);
    if (EndsMarkerRead(code)) return code;
  }
}

void WriteMarker(TStream& stream, TsdJpegMarker& marker, const TsdJpegMarkerList& list) {
  const std::uint8_t code = marker.GetCode();
  list.DebugOut(Format("Saving marker %s", CodeHex(code)));
  const std::uint8_t head[2] = {0xFF, code};
  stream.WriteBuffer(head, 2);
  if (code >= mkRST0 && code <= mkEOI) return;
  const std::int64_t lengthAt = stream.GetPosition();
  WriteWordBE(stream, 0);
  marker.SaveToStream(stream);
  const std::int64_t end = stream.GetPosition();
  const std::int64_t length = end - lengthAt;
  if (length > 0xFFFF) throw EInvalidGraphic(Format("Jpeg segment too long: marker %s", CodeHex(code)));
  stream.SetPosition(lengthAt);
  WriteWordBE(stream, static_cast<std::uint16_t>(length));
  stream.SetPosition(end);
}

}  // namespace jpeg
