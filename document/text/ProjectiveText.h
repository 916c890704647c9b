#pragma once
// TdocProjectiveText: one line of polygon text stretched into a free
// quadrilateral whose four corners the user drags with the selection
// handles. The frame is always the corners' bounding box, and the font
// height is the mean height of the quadrilateral's left and right edges.

#include <array>
#include <string>

#include "document/text/TransformText.h"

class TdocProjectiveText : public TdocTransFormText {
public:
  // The corners in the order of Corners.
  enum TCorner : int { cnTopLeft, cnTopRight, cnBottomLeft, cnBottomRight, CornerCount };

  // A 40 x 30 frame whose corners are the quadrilateral's.
  TdocProjectiveText();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  // In the shape's frame (millimetres, origin at its top-left corner).
  const std::array<TFloatPoint, CornerCount>& GetCorners() const { return Corners; }
  // Moves one corner and fits the frame to the corners again. A point that
  // is not finite, or an index out of range, changes nothing.
  void SetCorner(int index, const TFloatPoint& point);

  // The mean of the left and right edges' heights; negative when the
  // quadrilateral is upside down.
  float GetFontHeight() const override;
  // Scales the frame, and the corners with it, about its top-left corner
  // so that the font height becomes value. Values of the other sign than
  // the current height, and any value while the height is 0, are refused:
  // no scale turns such a quadrilateral into one of that height.
  void SetFontHeight(float value) override;

  // The four corner grips, a rotation grip beside the right edge and the
  // quadrilateral's edges as drag lines.
  void UpdateHandles() const override;
  // A dragged corner grip moves its corner; other grips change the frame.
  void ApplyEditFrame() override;

  // "Corners" puts back the corners, the frame and the font height that a
  // corner move recorded; the base's names otherwise.
  void SetPropertyByName(const std::string& name, const std::string& value) override;
  void LoadFromXml(TXmlNode* node) override;
  void SaveToXml(TXmlNode& node) const override;

protected:
  // The frame becomes the corners' bounding box (the corners keep their
  // place on the page) and the text is laid out for the new height.
  virtual void FitFrameToCorners();
  // The unbent line's box (0, 0) .. (w, h) onto the quadrilateral,
  // bilinearly; nothing is left to draw when the box is empty.
  void Warp(TFixed w, TFixed h) override;
  // Scaling the frame scales the corners with it.
  void SetDocSize(float width, float height) override;

private:
  // A corner move refits the frame and the font height through setters of
  // their own: one record of the whole geometry (the corners, the frame and
  // the font height the text is laid out at) stands for them all, so one
  // undo gives the shape back exactly.
  std::string GeometryText() const;
  void RestoreGeometry(const std::string& text);
  // The text laid out for the corners at this font height.
  void LayOutAtFontHeight(float fontHeight);

  std::array<TFloatPoint, CornerCount> Corners;
};
