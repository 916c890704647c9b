#pragma once
// TVmBarcode turns a text into a row of bar and space modules for one of 23
// linear symbologies. Positions and sizes are device pixels of the canvas the
// barcode is drawn on; the drawing step reads the module string of
// EncodeModules, one character per bar or space, through GetModuleInfo.

#include <array>
#include <string>
#include <string_view>

#include "barcode/BarcodeGeometry.h"
#include "barcode/BarcodeTypes.h"
#include "platform/gdi/Color.h"
#include "platform/gdi/Font.h"
#include "platform/rtl/Persistent.h"

class TCanvas;

class TVmBarcode : public TComponent {
public:
  static constexpr int DigitPositionCount = 13;
  static constexpr int MinModul = 1;
  static constexpr int MaxModul = 49;

  explicit TVmBarcode(TComponent* owner);

  std::string ClassName() const override { return "TVmBarcode"; }
  // Copies the settings of another barcode without change events; the font
  // and the digit positions stay.
  void Assign(const TPersistent* source) override;

  int GetHeight() const { return FHeight; }
  void SetHeight(int value);
  const std::string& GetText() const { return FText; }
  void SetText(const std::string& value);
  int GetTop() const { return FTop; }
  void SetTop(int value);
  int GetLeft() const { return FLeft; }
  void SetLeft(int value);
  // Width of the narrow module in pixels. Values outside 1..49 are ignored;
  // an accepted value signals a change even when it is the current one.
  int GetModul() const { return FModul; }
  void SetModul(int value);
  // Wide-to-narrow ratio; EncodeModules corrects it per symbology.
  double GetRatio() const { return FRatio; }
  void SetRatio(double value);
  TBarcodeType GetTyp() const { return FTyp; }
  void SetTyp(TBarcodeType value);
  bool GetChecksum() const { return FChecksum; }
  void SetChecksum(bool value);
  TBarcodeOption GetShowText() const { return FShowText; }
  void SetShowText(TBarcodeOption value);
  // Rotation in degrees, counter-clockwise as seen on the canvas.
  double GetAngle() const { return FAngle; }
  void SetAngle(double value);
  const TFont& GetShowTextFont() const { return FShowTextFont; }
  TFont& GetShowTextFont() { return FShowTextFont; }
  void SetShowTextFont(const TFont& font);
  TShowTextPosition GetShowTextPosition() const { return FShowTextPosition; }
  void SetShowTextPosition(TShowTextPosition value);
  // Total width of the encoded modules in pixels (encodes the text).
  int GetWidth();
  // Rescales Modul so that the symbol comes close to the given width.
  void SetWidth(int width);

  TColor Color = clWhite;     // spaces
  TColor ColorBar = clBlack;  // bars
  TCheckSumMethod CheckSumMethod = csmModulo10;
  TNotifyEvent OnChange;
  // X offsets of the human-readable digits of EAN-8 and EAN-13, written and
  // read by the drawing step of one paint.
  std::array<int, DigitPositionCount> DigitPositions{};

  // The module string of the current text and type. Corrects Ratio to the
  // range of the symbology (with a change event) and may normalise Text
  // (trimmed, zero-padded, check digit) without one.
  std::string EncodeModules();
  std::string GetTypeCaption() const;
  // Draws the modules as filled and outlined polygons turned by Angle, then
  // the human-readable text ShowText asks for. The canvas keeps its font, pen
  // and brush. An encoding error is raised before anything is drawn.
  void PaintBarcode(TCanvas& canvas);
  // Width and kind of one module character; refuses characters outside the
  // module alphabet.
  TModuleInfo GetModuleInfo(char module) const;
  // Narrow, wide, wider and widest module widths in pixels, as of the last
  // encoding.
  const std::array<int, 4>& GetModuleWidths() const { return FModuleWidths; }
  void ComputeModuleWidths();

  // The text followed by its check digit when CheckSumMethod asks for one.
  std::string ApplyCheckSumMethod(std::string_view text) const;
  // Text left-padded with "0" to n characters; longer texts stay whole.
  std::string PadLeftZeros(std::size_t n) const;

  // The human-readable text is drawn in this font, whatever face
  // ShowTextFont names; its size is ShowTextFont's.
  TFont ReadableTextFont() const;
  // True when the digits are drawn one by one under their groups, at
  // DigitPositions (EAN-8 and EAN-13 with the text bottom left).
  bool DrawsDigitByDigit() const;
  // The digits drawn one by one, when DrawsDigitByDigit.
  std::string ReadableDigits() const;
  // Space left of the bars for the first EAN-13 digit.
  int LeadWidth() const;
  // Encodes the text and sets DigitPositions as a paint would, drawing
  // nothing: a caller can see where the digits will stand.
  void PlaceDigits();
  // Element widths "1".."4", alternating bar and space from a bar, as module
  // characters.
  static std::string WidthsToModules(std::string_view widths);
  // Sum of the decimal digits of n; 0 below 1.
  static int DigitSum(int n);

protected:
  virtual void DoChange();

private:
  template <class T>
  void Store(T& field, const T& value);
  // Writes the normalised data back into Text without a change event.
  void StoreText(std::string text) { FText = std::move(text); }
  void CheckType() const;
  void CheckDigitsOnly() const;
  bool ComputesCheckDigit() const { return FChecksum && CheckSumMethod == csmModulo10; }

  // "<class>:<caption> bad Data <text>": a character the symbology cannot hold.
  [[noreturn]] void RaiseBadData() const;
  [[noreturn]] void RaiseTooWide() const;
  [[noreturn]] void RaiseWrongType() const;

  static constexpr std::size_t Ean8Digits = 8;
  static constexpr std::size_t Ean13Digits = 13;
  // The digits an EAN symbol of count digits carries, check digit included.
  std::string EanDigits(std::size_t count) const;

  void PaintModules(const std::string& modules, TCanvas& canvas);
  void PaintReadableText(TCanvas& canvas);
  void PlaceDigits(const std::string& modules);
  // The frame of the bars of the given width on the canvas.
  barcode::TSymbolFrame BarsFrame(int width) const;
  // Height of module number i (from 1) of count modules: short bars are two
  // fifths of Height, EAN guard bars six modules longer.
  int ModuleHeight(const TModuleInfo& module, std::size_t i, std::size_t count) const;
  // Writes the digit position that module number i places, if any.
  void PlaceDigit(std::size_t i, int rightEdge);

  std::string Code_2_5_interleaved();
  std::string Code_2_5_industrial() const;
  std::string Code_2_5_matrix() const;
  std::string Code_39() const;
  std::string Code_39Extended() const;
  std::string Code39Modules(std::string_view data) const;
  std::string Code_128();
  std::string Code128Data(bool digitPairs);
  std::string Code_93() const;
  std::string Code_93Extended() const;
  std::string Code93Modules(std::string_view data) const;
  std::string Code_MSI() const;
  std::string Code_PostNet() const;
  std::string Code_Codabar() const;
  std::string Code_EAN8() const;
  std::string Code_EAN13() const;
  std::string Code_UPC_A();
  std::string Code_UPC_E();
  std::string Code_Supp2();
  std::string Code_Supp5();

  int FHeight = 0;
  std::string FText;
  int FTop = 0;
  int FLeft = 0;
  int FModul = 1;
  double FRatio = 2.0;
  TBarcodeType FTyp = bcCodeEAN13;
  bool FChecksum = false;
  TBarcodeOption FShowText = bcoNone;
  double FAngle = 0.0;
  TFont FShowTextFont;
  TShowTextPosition FShowTextPosition = stpTopLeft;
  std::array<int, 4> FModuleWidths{};
};
