#pragma once
// The marker segments of a JPEG file, kept as an ordered list of objects.
// Table and frame markers fill the shared coding information as they load;
// metadata segments keep their bytes so they survive a load and save.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/jpeg/JpegTypes.h"
#include "platform/rtl/Stream.h"

class TsdJpegMarkerList;

class TsdJpegMarker {
public:
  TsdJpegMarker(TsdJpegCodingInfo* codingInfo, std::uint8_t code) : CodingInfo(codingInfo), Code(code) {}
  virtual ~TsdJpegMarker() = default;
  TsdJpegMarker(const TsdJpegMarker&) = delete;
  TsdJpegMarker& operator=(const TsdJpegMarker&) = delete;

  // Reads the payload of size bytes; the base only traces it.
  virtual void LoadFromStream(TStream& stream, int size);
  // Writes the payload (without marker and length); the base refuses.
  virtual void SaveToStream(TStream& stream);
  virtual std::string GetMarkerName() const { return "Unknown"; }

  std::uint8_t GetCode() const { return Code; }
  void SetOwner(TsdJpegMarkerList* owner) { Owner = owner; }

protected:
  void DebugOut(const std::string& text) const;
  // Traces the first bytes of a payload as hex groups; leaves the position.
  void DebugHex(TStream& stream, int size) const;

  TsdJpegCodingInfo* CodingInfo;
  TsdJpegMarkerList* Owner = nullptr;
  std::uint8_t Code;
};

// Application and comment segments: the payload is held as bytes.
class TsdAPPnMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream& stream) override;
  std::string GetMarkerName() const override { return "Unknown"; }

  const std::vector<std::uint8_t>& GetData() const { return Data; }
  void SetData(std::vector<std::uint8_t> data) { Data = std::move(data); }

protected:
  bool DataStartsWith(const char* text, std::size_t length) const;
  std::vector<std::uint8_t> Data;
};

class TsdJFIFMarker : public TsdAPPnMarker {
public:
  TsdJFIFMarker(TsdJpegCodingInfo* codingInfo, std::uint8_t code);
  std::string GetMarkerName() const override { return "JFIF"; }
  bool IsValid() const { return DataStartsWith("JFIF", 5); }
  std::uint16_t Version() const { return Field16(5); }
  std::uint8_t Units() const { return Field8(7); }
  std::uint16_t XDensity() const { return Field16(8); }
  std::uint16_t YDensity() const { return Field16(10); }
  // Density units: 1 dots per inch, 2 dots per centimetre.
  static constexpr std::uint8_t DotsPerInch = 1;
  static constexpr std::uint8_t DotsPerCm = 2;
  // The same density both ways.
  void SetDensity(std::uint8_t units, std::uint16_t density);

private:
  std::uint8_t Field8(std::size_t at) const { return at < Data.size() ? Data[at] : 0; }
  std::uint16_t Field16(std::size_t at) const {
    return static_cast<std::uint16_t>(Field8(at) << 8 | Field8(at + 1));
  }
};

class TsdAdobeApp14Marker : public TsdAPPnMarker {
public:
  TsdAdobeApp14Marker(TsdJpegCodingInfo* codingInfo, std::uint8_t code);
  std::string GetMarkerName() const override { return "Adobe"; }
  bool IsValid() const { return Data.size() == 12 && DataStartsWith("Adobe", 5); }
  std::uint8_t Transform() const { return Data.size() == 12 ? Data[11] : 0; }
  void SetTransform(std::uint8_t value) { Data[11] = value; }
};

class TsdICCProfileMarker : public TsdAPPnMarker {
public:
  using TsdAPPnMarker::TsdAPPnMarker;
  std::string GetMarkerName() const override { return "ICCProfile"; }
  // A chunk needs its 14-byte header to be usable.
  bool IsValid() const { return Data.size() >= 14 && DataStartsWith("ICC_PROFILE", 12); }
  std::uint8_t ChunkNumber() const { return Data[12]; }
  std::uint8_t ChunkCount() const { return Data[13]; }
};

class TsdEXIFMarker : public TsdAPPnMarker {
public:
  using TsdAPPnMarker::TsdAPPnMarker;
  std::string GetMarkerName() const override { return "EXIF"; }
  bool IsG3Fax() const { return Data.size() == 10 && DataStartsWith("G3FAX", 5); }
};

class TsdIPTCMarker : public TsdAPPnMarker {
public:
  using TsdAPPnMarker::TsdAPPnMarker;
  std::string GetMarkerName() const override { return "IPTC"; }
};

class TsdCOMMarker : public TsdAPPnMarker {
public:
  using TsdAPPnMarker::TsdAPPnMarker;
  std::string GetMarkerName() const override { return "Comment"; }
  std::string GetComment() const { return std::string(Data.begin(), Data.end()); }
  void SetComment(const std::string& text) { Data.assign(text.begin(), text.end()); }
};

class TsdSOFnMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream& stream) override;
  std::string GetMarkerName() const override { return "SOFn"; }
};

// One table of a DHT segment as it is stored: counts per length and symbols.
struct TsdDHTTable {
  std::uint8_t TableClass = 0;  // 0 DC, 1 AC
  std::uint8_t TableId = 0;
  std::array<std::uint8_t, 16> Counts{};
  std::vector<std::uint8_t> Values;
};

class TsdDHTMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream& stream) override;
  std::string GetMarkerName() const override { return "DHT"; }

  // Adds a table and installs it into the coding information.
  void AddTable(TsdDHTTable table);
  // Installs this segment's tables again (they may have been redefined since).
  void InstallTables() const;
  const std::vector<TsdDHTTable>& Tables() const { return Items; }

private:
  void InstallTable(const TsdDHTTable& table) const;
  std::vector<TsdDHTTable> Items;
};

class TsdDQTMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream& stream) override;
  std::string GetMarkerName() const override { return "DQT"; }

  // Remembers that this segment carries the table of this id.
  void AddTableId(int id) { TableIds.push_back(id); }

private:
  std::vector<int> TableIds;
};

class TsdDRIMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream& stream) override;
  std::string GetMarkerName() const override { return "DRI"; }
};

class TsdDNLMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream& stream) override;
  std::string GetMarkerName() const override { return "DNL"; }
};

class TsdSOSMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream& stream) override;
  std::string GetMarkerName() const override { return "SOS"; }

  // Sets the scan of the coding information from this segment.
  void ApplyToCodingInfo() const;

  struct Component {
    int FrameIndex;
    int DCTable;
    int ACTable;
  };
  std::vector<Component> Components;
  int SS = 0, SE = 63, AH = 0, AL = 0;
};

// Segments without a payload: SOI, EOI and RSTn.
class TsdEmptyMarker : public TsdJpegMarker {
public:
  using TsdJpegMarker::TsdJpegMarker;
  void LoadFromStream(TStream& stream, int size) override;
  void SaveToStream(TStream&) override {}
  std::string GetMarkerName() const override;
};

class TsdJpegMarkerList {
public:
  using CodeSet = std::vector<std::uint8_t>;

  int Count() const { return static_cast<int>(Items.size()); }
  TsdJpegMarker* operator[](int index) const { return Items[static_cast<std::size_t>(index)].get(); }

  TsdJpegMarker* ByCode(std::uint8_t code) const;
  bool HasMarker(const CodeSet& codes) const;
  void InsertAfter(const CodeSet& codes, std::unique_ptr<TsdJpegMarker> marker);
  void RemoveMarkers(const CodeSet& codes);
  TsdJpegMarker* Add(std::unique_ptr<TsdJpegMarker> marker);
  TsdJpegMarker* Insert(int index, std::unique_ptr<TsdJpegMarker> marker);
  void Clear() { Items.clear(); }

  void DebugOut(const std::string& text) const {
    if (OnDebugOut) OnDebugOut(text);
  }
  TsdDebugEvent OnDebugOut;

private:
  std::vector<std::unique_ptr<TsdJpegMarker>> Items;
};

namespace jpeg {

// Marker codes used by more than one file.
constexpr std::uint8_t mkSOF0 = 0xC0, mkSOF1 = 0xC1, mkSOF2 = 0xC2, mkDHT = 0xC4, mkRST0 = 0xD0,
                       mkSOI = 0xD8, mkEOI = 0xD9, mkSOS = 0xDA, mkDQT = 0xDB, mkDNL = 0xDC, mkDRI = 0xDD,
                       mkAPP0 = 0xE0, mkAPP1 = 0xE1, mkAPP2 = 0xE2, mkAPP13 = 0xED, mkAPP14 = 0xEE,
                       mkCOM = 0xFE;

bool HasLength(std::uint8_t code);
bool IsRST(std::uint8_t code);
std::unique_ptr<TsdJpegMarker> CreateMarker(TsdJpegCodingInfo* info, std::uint8_t code);

// Reads markers from the stream into the list until one that the loader must
// handle (a frame, scan, restart or end marker); returns its code.
std::uint8_t ReadMarker(TStream& stream, TsdJpegMarkerList& list, TsdJpegCodingInfo& info);

// Writes every marker: 0xFF, the code, and for segments the length and payload.
void WriteMarker(TStream& stream, TsdJpegMarker& marker, const TsdJpegMarkerList& list);

}  // namespace jpeg
