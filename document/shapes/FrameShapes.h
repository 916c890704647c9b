#pragma once
// The polygon shapes whose contour is generated from the frame: the
// rectangle (the label's frame), the ellipse filling the frame and the
// rectangle with rounded corners. Arcs get as many chords as their size in
// device pixels asks for.

#include "document/shapes/PolygonShape.h"

class TdocRectangleShape : public TdocPolygonShape {
public:
  TdocRectangleShape();
  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

protected:
  // (0, 0), (0, H), (W, H), (W, 0).
  TdocContours GeneratedContours() const override;
};

class TdocEllipseShape : public TdocPolygonShape {
public:
  TdocEllipseShape();
  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

protected:
  // 4n points from the right middle, n the arc steps of the ellipse's
  // circumference-sized radius max(W, H) x 2 pi in device pixels.
  TdocContours GeneratedContours() const override;
};

class TdocRoundRectShape : public TdocPolygonShape {
public:
  // Corners a quarter of the frame: 10.0 x 7.5.
  TdocRoundRectShape();
  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  float GetCornerWidth() const { return CornerWidth; }
  float GetCornerHeight() const { return CornerHeight; }
  // Both record the old value for undo; a value below 0 or not a number is 0.
  void SetCornerWidth(float value);
  void SetCornerHeight(float value);
  bool GetCornerPropertiesArePercentage() const { return CornerPropertiesArePercentage; }
  // The corner values are percentages of the frame's width and height.
  void SetCornerPropertiesArePercentage(bool value);

  void SetPropertyByName(const std::string& name, const std::string& value) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

protected:
  // Four quarter arcs of radii rx, ry (each at most half the frame) joined
  // by straight sides, clockwise from the left end of the top-left corner.
  TdocContours GeneratedContours() const override;

private:
  void SetCorner(float& corner, float value, const char* undoName);

  float CornerWidth = 10.0f;
  float CornerHeight = 7.5f;
  bool CornerPropertiesArePercentage = false;
};
