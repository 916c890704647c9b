#pragma once
// The handle style of current office programs: eight round white grips on
// the corners and side middles, and a green rotation knob on a stem 5 mm
// above the top edge. The frame itself shows only while dragging.

#include "document/editor/HandlePainter.h"

class TdocW2K3HandlePainter : public TdocHandlePainter {
public:
  // How far the rotation knob stands above the top edge, in millimetres.
  static constexpr float KnobDistance = 5.0f;

  using TdocHandlePainter::TdocHandlePainter;

  void UpdateHandles() override;
  void PaintHandle(TCanvas& canvas, int index) const override;
  void Paint(TCanvas& canvas) const override;
};
