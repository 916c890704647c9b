#pragma once
// The rulers beside the editor control: TRsRuler along one edge of the view
// with its scale in the chosen unit and a hair line that follows the mouse,
// and TRsRulerCorner filling the corner where two rulers meet. The document
// keeps their unit, origin and scale in step with its view.

#include <QWidget>

#include "document/editor/RulerScale.h"
#include "platform/gdi/Color.h"

class QPainter;

// What both rulers share: the unit, the flat look and the colours.
class TRsBaseRuler : public QWidget {
public:
  explicit TRsBaseRuler(QWidget* parent = nullptr);

  TRulerUnit GetUnits() const { return Units; }
  virtual void SetUnits(TRulerUnit value) { Units = value; }
  bool GetFlat() const { return Flat; }
  void SetFlat(bool value);
  TColor GetColor() const { return Color; }
  void SetColor(TColor value);
  TColor GetScaleColor() const { return ScaleColor; }
  void SetScaleColor(TColor value);
  TColor GetTickColor() const { return TickColor; }
  void SetTickColor(TColor value);

protected:
  // The margin around the scale band: 2, or 1 when flat.
  int Margin() const { return Flat ? 1 : 2; }
  // The band's thickness: the height of the text "0" plus 6.
  int BandThickness() const;
  // Fills the client area with the colour and, unless flat, draws a raised edge.
  void PaintBase(QPainter& painter) const;

  TRulerUnit Units = ruCenti;

private:
  bool Flat = false;
  TColor Color = clBtnFace;
  TColor ScaleColor = clWindow;
  TColor TickColor = clWindowText;
};

class TRsRuler : public TRsBaseRuler {
public:
  explicit TRsRuler(QWidget* parent = nullptr);

  // Changes the unit; the origin stays the same document position.
  void SetUnits(TRulerUnit value) override;
  TRulerDir GetDirection() const { return Direction; }
  void SetDirection(TRulerDir value);
  bool GetHairLine() const { return HairLine; }
  void SetHairLine(bool value);
  int GetHairLinePos() const { return HairLinePos; }
  // Moves the hair line to the pixel along the ruler; -1 hides it.
  void SetHairLinePos(int value);
  THairLineStyle GetHairLineStyle() const { return HairLineStyle; }
  void SetHairLineStyle(THairLineStyle value);
  // The document coordinate (mm) at the ruler's origin.
  double GetOffset() const { return Offset; }
  void SetOffset(double value);
  bool GetShowMinus() const { return ShowMinus; }
  void SetShowMinus(bool value);
  // Screen pixels per millimetre.
  double GetScreenDpm() const { return ScreenDpm; }
  void SetScreenDpm(double value);
  double GetScale() const { return Scale; }
  void SetScale(double value);

  // The scale band in client pixels.
  QRect ScaleBand() const;
  // The ruler's length along its direction.
  int Length() const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  bool Horizontal() const { return Direction == rdTop || Direction == rdBottom; }
  void PaintScale(QPainter& painter) const;
  void PaintLabel(QPainter& painter, double position, const QString& text) const;
  void PaintTick(QPainter& painter, double position, int length) const;
  void PaintHairLine(QPainter& painter) const;
  void Changed();

  TRulerDir Direction = rdTop;
  bool HairLine = false;
  int HairLinePos = -1;
  THairLineStyle HairLineStyle = hlsLine;
  double Offset = 0.0;
  bool ShowMinus = true;
  double ScreenDpm = 3.543307086614173;
  double Scale = 1.0;
};

class TRsRulerCorner : public TRsBaseRuler {
public:
  explicit TRsRulerCorner(QWidget* parent = nullptr);

  // Also shows the unit's short name, with its long name as the hint.
  void SetUnits(TRulerUnit value) override;
  TCornerPos GetPosition() const { return Position; }
  void SetPosition(TCornerPos value);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  TCornerPos Position = cpLeftTop;
};
