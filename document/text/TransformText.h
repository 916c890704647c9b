#pragma once
// Transformed texts: one line of polygon text laid out once at unit scale
// (16.16 millimetres), bent by a warp of the descendant, and sized by the
// bounds of the bent outline. TdocCurvedText bends the line along a circular
// arc, TdocWavyText displaces it along sine waves.

#include <array>
#include <cstdint>
#include <utility>

#include "document/text/FixedValues.h"
#include "document/text/FontRenderer.h"
#include "document/text/PolygonText.h"

class TXmlNode;

// A 3 x 3 matrix of 16.16 numbers, the identity at first. Products are taken
// in 64 bits and every result saturates, so no factor can overflow.
class TFixedTransform {
public:
  // This := T(cx, cy) x R(angle) x T(-cx, -cy) x this; angle in radians, R
  // with rows (cos, sin, 0) and (-sin, cos, 0).
  void Rotate(TFixed cx, TFixed cy, double angle);
  // This := T(dx, dy) x this.
  void Translate(TFixed dx, TFixed dy);
  TFixedPoint Transform(const TFixedPoint& p) const;

private:
  using TMatrix = std::array<std::array<TFixed, 3>, 3>;
  void Premultiply(const TMatrix& by);

  TMatrix M = {{{65536, 0, 0}, {0, 65536, 0}, {0, 0, 65536}}};
};

class TdocTransFormText : public TdocPolygonText {
public:
  std::uint8_t GetTransformMethod() const { return TransformMethod; }
  // 0 warps every outline point (and subdivides edges first); any other
  // value moves and turns each glyph as a whole where the warp can.
  void SetTransformMethod(std::uint8_t value);
  bool GetSubdivide() const { return Subdivide; }
  bool GetFitToWarp() const { return FitToWarp; }
  // The size reported to the layout, in millimetres.
  double GetWarpWidth() const { return WarpWidth; }
  double GetWarpHeight() const { return WarpHeight; }
  const TdocGlyphPlacementList& GetPlacements() const { return Placements; }

  double GetLineDistance() const override;
  void MeasureText(std::int32_t charPos, std::int32_t charCount, double& height, double& width) override;
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void SetPropertyByName(const std::string& name, const std::string& value) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

protected:
  TdocTransFormText() = default;

  void ConfigureRenderer(TdocFontRenderer& renderer) const override;
  // Replaces every point of Outline by map(x, y), x and y in millimetres,
  // the result a 16.16 point.
  template <class Map>
  void MapOutline(Map map) {
    TArrayOfArrayOfFixedPoint contours = Outline->GetPoints();
    for (TArrayOfFixedPoint& contour : contours)
      for (TFixedPoint& p : contour) p = map(p.X / document::FixedUnit, p.Y / document::FixedUnit);
    Outline->SetPoints(std::move(contours));
  }
  // Bends Outline; w and h are the unbent line's width and height in 16.16
  // millimetres.
  virtual void Warp(TFixed /*w*/, TFixed /*h*/) {}
  // The line at unit scale, warped; built whenever the text is measured.
  void BuildOutline() override;
  void PrepareMeasureFont() override { BuildOutline(); }
  void MeasureCaretPositions(const TdocTextSpan& span, double scale) override;

  std::uint8_t TransformMethod = 0;
  bool Subdivide = false;
  bool FitToWarp = false;

private:
  double WarpWidth = 0;
  double WarpHeight = 0;
  // Filled by the renderer the outline is built with.
  mutable TdocGlyphPlacementList Placements;
};

class TdocCurvedText : public TdocTransFormText {
public:
  TdocCurvedText();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // Degrees: the line spans an arc of twice the angle, arched upwards when
  // positive, hanging downwards when negative, straight at 0. A value that
  // is not a number counts as 0.
  float GetCurveAngle() const { return CurveAngle; }
  void SetCurveAngle(float value);

  void SetPropertyByName(const std::string& name, const std::string& value) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

protected:
  void Warp(TFixed w, TFixed h) override;

private:
  void BendPoints(TFixed w, TFixed h);
  void TurnGlyphs(TFixed w, TFixed h);

  float CurveAngle = 0;
};

// One sine displacement: a wave is active when its length is positive and
// its amplitude not 0. Lengths in millimetres.
class TWaveTransform : public TPersistent {
public:
  explicit TWaveTransform(TdocShape* owner) : Owner(owner) {}

  std::string ClassName() const override { return "TWaveTransform"; }

  bool IsActive() const;
  // How far a point at position at (along the wave) moves across it.
  double Displacement(double at) const;
  // Missing values read as 0.
  void LoadFromXml(const TXmlNode& node);
  void SaveToXml(TXmlNode& node) const;

  TdocShape* Owner;
  float WaveLength = 0;
  float WaveShift = 0;
  float Amplitude = 0;
};

class TdocWavyText : public TdocTransFormText {
public:
  TdocWavyText();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // Displaces x along y.
  TWaveTransform& GetWaveY() { return WaveY; }
  // Displaces y along x.
  TWaveTransform& GetWaveX() { return WaveX; }

  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

protected:
  void Warp(TFixed w, TFixed h) override;

private:
  TWaveTransform WaveY{this};
  TWaveTransform WaveX{this};
};
