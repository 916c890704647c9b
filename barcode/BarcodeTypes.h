#pragma once
// The enumerations of the barcode component. Documents store the ordinals,
// so the order of every enumerator is fixed.

#include <array>
#include <cstdint>

enum TBarcodeType : std::uint8_t {
  bcCode_2_5_interleaved,
  bcCode_2_5_industrial,
  bcCode_2_5_matrix,
  bcCode39,
  bcCode39Extended,
  bcCode128A,
  bcCode128B,
  bcCode128C,
  bcCode93,
  bcCode93Extended,
  bcCodeMSI,
  bcCodePostNet,
  bcCodeCodabar,
  bcCodeEAN8,
  bcCodeEAN13,
  bcCodeUPC_A,
  bcCodeUPC_E0,
  bcCodeUPC_E1,
  bcCodeUPC_Supp2,
  bcCodeUPC_Supp5,
  bcCodeEAN128A,
  bcCodeEAN128B,
  bcCodeEAN128C,
};

constexpr int BarcodeTypeCount = bcCodeEAN128C + 1;

// One row per barcode type: the caption shown to the user and whether the
// symbology encodes decimal digits only.
struct TBCdata {
  const char* Name;
  bool Num;
};

inline constexpr std::array<TBCdata, BarcodeTypeCount> BCdata = {{
    {"2_5_interleaved", true},
    {"2_5_industrial", true},
    {"2_5_matrix", true},
    {"Code39", false},
    {"Code39 Extended", false},
    {"Code128A", false},
    {"Code128B", false},
    {"Code128C", true},
    {"Code93", false},
    {"Code93 Extended", false},
    {"MSI", true},
    {"PostNet", true},
    {"Codebar", false},
    {"EAN8", true},
    {"EAN13", true},
    {"UPC_A", true},
    {"UPC_E0", true},
    {"UPC_E1", true},
    {"UPC Supp2", true},
    {"UPC Supp5", true},
    {"EAN128A", false},
    {"EAN128B", false},
    {"EAN128C", true},
}};

// What the drawing step writes with the bars.
enum TBarcodeOption : std::uint8_t { bcoNone, bcoCode, bcoTyp, bcoBoth };

enum TShowTextPosition : std::uint8_t {
  stpTopLeft,
  stpTopRight,
  stpTopCenter,
  stpBottomLeft,
  stpBottomRight,
  stpBottomCenter,
};

enum TCheckSumMethod : std::uint8_t { csmNone, csmModulo10 };

// The FNC1 marker of the Code 128 family inside a text; the human-readable
// line leaves it out.
constexpr char FNC1Marker = static_cast<char>(0x83);

// What one module character draws.
enum TBarLineType : std::uint8_t { blSpace, blBar, blShortBar };

struct TModuleInfo {
  int Width;  // pixels
  TBarLineType Kind;
};
