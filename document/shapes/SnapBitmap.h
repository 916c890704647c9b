#pragma once
// TdocSnapBitmap: a picture frame that shows a placeholder (a white box
// with "Place image here") while it holds no picture. A picture put into
// it keeps the frame's area and centre and takes the picture's
// proportions. The placeholder's parts are fixed children that a click
// never selects: the frame itself is hit.

#include "document/shapes/BitmapShape.h"

class TdocSnapBitmap : public TdocBitmapShape {
public:
  // A 120 x 80 mm frame showing the placeholder.
  TdocSnapBitmap();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  bool ShapeAtPoint(const TPoint& screenPoint, TdocShape*& shape) override;
  // The placeholder shows exactly while there is no picture; a picture
  // takes the frame's area, centred where the frame was.
  void ImageChanged() override;
};
