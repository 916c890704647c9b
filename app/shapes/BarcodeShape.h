#pragma once
// TdocBarCodeShape: the document shape that shows one barcode on a label. It
// owns a TVmBarcode and, when the renderer asks it to paint on a canvas, lays
// the barcode into its frame in the pixels of that canvas: the module width
// follows the frame and the output resolution, and so does the size of the
// human-readable text. Nothing is ever drawn outside the frame.
//
// The shape always renders through its render cache; painting never changes
// the shape's angle.

#include <memory>
#include <string>

#include "barcode/Barcode.h"
#include "document/effects/EffectShape.h"

class TdocBarCodeShape : public TdocEffectShape {
public:
  // The settings of a barcode the user has just inserted.
  static constexpr TBarcodeType NewTyp = bcCode39;
  static constexpr const char* NewText = "1234567890";
  static constexpr int NewTextSize = 20;  // points
  static constexpr TShowTextPosition NewTextPosition = stpBottomLeft;
  static constexpr int NewModul = 2;

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

  // Why the last paint drew no barcode ("Numeric/Numerique", a wrong check
  // digit, ...); empty when it drew one. The frame then shows the message.
  const std::string& GetPaintError() const { return PaintError; }

  // The component has no undo records of its own: an edit of it is
  // recorded as its settings before, in the text of their XML.
  static constexpr const char* BarcodeStateProperty = "Barcode";
  // Empty without a component.
  std::string GetBarcodeState() const;
  // Records oldState for undo when the settings differ from it now.
  void RecordBarcodeChange(const std::string& oldState);
  void SetPropertyByName(const std::string& name, const std::string& value) override;

  bool HasCanvasPaint() const override { return true; }
  void PaintToCanvas(TCanvas& canvas, const TdocRenderOptions& options) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

private:
  // Left, Top, Width and Height of the component in the pixels of the frame
  // given; the text size for the resolution painted at.
  void LayBarcode(const TRect& frame, TCanvas& canvas, const TFont& textFont);
  // The largest narrow module (1..49) whose symbol fits width pixels; 1 when
  // none does.
  void FitModul(int width);
  void LoadBarcode(const TXmlNode& node);
  void SaveBarcode(TXmlNode& node) const;

  std::unique_ptr<TVmBarcode> Barcode;
  bool CachedRendering = false;
  std::string PaintError;
};

// Sheets turn every barcode lying exactly at 0 degrees among the page's
// direct children by 0.001 degree, through the angle setter.
void NudgeBarcodeAngles(TdocShape& page);
