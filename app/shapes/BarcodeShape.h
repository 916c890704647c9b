#pragma once
// TdocBarCodeShape: the document shape that shows one barcode on a label. It
// owns a TVmBarcode and, when the renderer asks it to paint on a canvas, lays
// the barcode into its frame in the pixels of that canvas. The narrow module
// is one length in millimetres, the bars spanning 80 % of the frame, and
// every output draws it as the nearest whole number of its own pixels (at
// least one), so screen, export and paper show the same symbol; the text
// keeps one size in millimetres too, made smaller only where the frame
// cannot hold it. Nothing is ever drawn outside the frame.
//
// A barcode that cannot be drawn (a value its symbology refuses, a wrong
// check digit, a symbol wider than its frame even at one dot a module, a
// type unknown here) shows why in its frame, in the interface's language.
// Whether the symbol fits is judged at the resolution it is read from:
// paper or an exported image. The screen, at any zoom, and thumbnails judge
// it as on paper; where their pixels are too coarse for it, they show it
// drawn as on paper and reduced.
//
// The shape always renders through its render cache; painting never changes
// the shape's angle.

#include <memory>
#include <string>

#include "barcode/Barcode.h"
#include "document/effects/EffectShape.h"
#include "platform/rtl/Exception.h"

// A label holds a barcode whose value cannot be drawn; the message says
// which, in the interface's language.
RTL_DECLARE_EXCEPTION(EBarcodeRefused, Exception);

class TdocBarCodeShape : public TdocEffectShape {
public:
  // The settings of a barcode the user has just inserted.
  static constexpr TBarcodeType NewTyp = bcCode39;
  static constexpr const char* NewText = "1234567890";
  static constexpr int NewTextSize = 20;  // points
  static constexpr TShowTextPosition NewTextPosition = stpBottomLeft;
  static constexpr int NewModul = 2;
  // Dots per millimetre of printed labels (the print document's medium
  // quality): on screen a barcode is judged by whether it fits on paper.
  static constexpr double PrintDotsPerMm = 300 / 25.4;

  TdocBarCodeShape();
  ~TdocBarCodeShape() override;

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // Nil until CreateNewBarcode or LoadFromXml gave the shape its component.
  TVmBarcode* GetBarcode() const { return Barcode.get(); }
  // A fresh component with the settings of an inserted barcode, then the
  // cached-rendering option on.
  void CreateNewBarcode();

  bool GetCachedRendering() const { return CachedRendering; }
  void SetCachedRendering(bool value);
  // The orientation last typed for this shape; stored, never drawn.
  float FDocangleinitial = 0;

  // Why the last paint or check drew no barcode, as the encoder says it
  // ("Numeric/Numerique", a wrong check digit, ...); empty when it drew one.
  const std::string& GetPaintError() const { return PaintError; }
  // The same in the interface's language, as the frame shows it.
  std::string GetRefusal() const;
  // Checks the barcode as painting at dotsPerMm does (0: the fit in the
  // frame is not checked): 0 when it can be drawn, else the number of the
  // interface text that says why.
  int CheckValue(double dotsPerMm = 0);
  // True when the symbol, one dot a module, fits the frame's width at
  // dotsPerMm. Needs the component and a value it encodes.
  bool FitsFrameAt(double dotsPerMm);
  // The narrow module in millimetres: the bars span 80 % of the frame's
  // width. 0 without a symbol or a frame. Needs the component.
  double GetModuleMm();

  // The component has no undo records of its own: an edit of it is
  // recorded as its settings before, in the text of their XML.
  static constexpr const char* BarcodeStateProperty = "Barcode";
  // Empty without a component.
  std::string GetBarcodeState() const;
  // Records oldState for undo when the settings differ from it now.
  void RecordBarcodeChange(const std::string& oldState);
  void SetPropertyByName(const std::string& name, const std::string& value) override;

  bool HasCanvasPaint() const override { return true; }
  bool NeedsExactCacheResolution() const override { return true; }
  void PaintToCanvas(TCanvas& canvas, const TdocRenderOptions& options) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

private:
  // The component's text font at resolution dots per millimetre (0 when
  // unknown).
  TFont TextFontAt(double resolution) const;
  // The barcode laid into frame, in the pixels of canvas at resolution.
  void PaintBars(TCanvas& canvas, const TRect& frame, double resolution);
  // The same drawn at the resolution of paper and reduced into the canvas
  // by area averaging: the bars show as the shades they average to.
  void PaintBarsReduced(TCanvas& canvas, const TRect& frame, double resolution);
  // Left, Top, Modul and Height of the component in the pixels of the frame
  // given, at resolution dots per millimetre (0 when unknown); the symbol
  // is centred, its quiet zones equal. The text font is made smaller where
  // the frame cannot hold the text.
  void LayBarcode(const TRect& frame, TCanvas& canvas, double resolution);
  // Shrinks the component's text font to the largest size, up to its own,
  // in which the human-readable text stays inside the frame, its digits
  // apart, and at most half the frame high.
  void FitReadableText(const TRect& frame, TCanvas& canvas);
  bool ReadableTextFits(const TRect& frame, TCanvas& canvas);
  // The refusal, wrapped at word breaks and made smaller until it fits.
  void PaintRefusal(TCanvas& canvas, const TRect& frame, const TFont& textFont) const;
  // The module in millimetres as the nearest whole number of pixels, 1 to
  // 49, narrowed while the symbol is wider than width pixels.
  void FitModul(int width, double resolution);
  void LoadBarcode(const TXmlNode& node);
  void SaveBarcode(TXmlNode& node) const;

  std::unique_ptr<TVmBarcode> Barcode;
  bool CachedRendering = false;
  std::string PaintError;
  int RefusalText = 0;
};

// The first barcode among root and its descendants that cannot be drawn at
// dotsPerMm (0: in any frame), named with its symbology and value and why,
// in the interface's language; empty when every barcode can be drawn.
std::string RefusedBarcodeMessage(TdocShape& root, double dotsPerMm = 0);
// Raises EBarcodeRefused with that message when there is one: what prints
// or exports a label calls it first and then makes nothing.
void CheckBarcodesDrawable(TdocShape& root, double dotsPerMm = 0);
// The symbology's name, or for a type unknown here "unknown type" and its
// number, in the interface's language.
std::string BarcodeTypeName(const TVmBarcode& barcode);

// Sheets turn every barcode lying exactly at 0 degrees among the page's
// direct children by 0.001 degree, through the angle setter.
void NudgeBarcodeAngles(TdocShape& page);
