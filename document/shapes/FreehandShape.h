#pragma once
// TdocFreehandShape: an open polygon drawn with the mouse while the shape is
// edited in place; each press, drag and release adds one stroke (one
// contour). Points closer than half a millimetre to the previous one are
// skipped, and the frame follows the points as they come.
//
// An edit is one undo step. Ending an edit that left no stroke removes the
// shape, through the document's own deletion later on: the shape never frees
// itself while its method runs, and the undo step it opened is closed in
// every case.

#include "document/shapes/PolygonShape.h"

class TdocFreehandShape : public TdocPolygonShape {
public:
  // Open outline, no fill, points stored, AutoRestart on.
  TdocFreehandShape();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // After a stroke the shape stays in edit mode for the next one.
  bool AutoRestart = true;
  bool IsDrawing() const { return Drawing; }

  // Strokes closer than this many millimetres add no point.
  static constexpr float MinPointDistance = 0.5f;

  void StartEdit() override;
  void EndEdit(bool accept) override;
  void EditKeyDown(TKey& key, TShiftState shift) override;
  void EditMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void EditMouseMove(TShiftState shift, int x, int y) override;
  void EditMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // None while strokes are drawn: grips would sit in the way of the pen.
  void PaintHandles(TCanvas& canvas) const override;
  // "AutoRestart" reads as False when missing.
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

private:
  TFloatPoint MapPoint(int x, int y) const;
  // Appends to the stroke, fits the frame to the points (which keep their
  // place on the page) and shows the change.
  void AddStrokePoint(const TFloatPoint& point);
  void CloseEdit(bool accept);

  bool Drawing = false;
  TFloatPoint LastPoint;
};
