#pragma once
// The drop-down palette of a colour picker button: a grid of named colours,
// optionally a grid of system colours, a "default" and a "custom" text
// button, and below the custom button a custom area with a hexagonal colour
// comb, a grey comb and an intensity bar. It is a Qt pop-up window: it holds
// the mouse and keyboard while open and a press outside it closes it.

#include <QRect>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "platform/gdi/Color.h"
#include "widgets/ColorComb.h"
#include "widgets/PopupNavigation.h"

namespace widgets {

class TColorPickerButton;

class TColorPopup : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kCellSize = 18;
  static constexpr int kBorderWidth = 2;

  explicit TColorPopup(TColorPickerButton& owner);

  void SelectColor(TColor color);
  void ShowPopup();
  void Close(bool cancel);

  int GetSelectedIndex() const { return selectedIndex_; }
  int GetHoverIndex() const { return hoverIndex_; }
  void SetHoverIndex(int index);
  // 0 none; -n the grey comb's cell n-1; +n the colour comb's cell n-1.
  int GetCustomIndex() const { return customIndex_; }
  float GetIntensity() const { return intensity_; }

  QString GetDefaultText() const { return defaultText_; }
  void SetDefaultText(const QString& text);
  QString GetCustomText() const { return customText_; }
  void SetCustomText(const QString& text);
  bool GetShowSystemColors() const { return showSystemColors_; }
  void SetShowSystemColors(bool show);
  int GetSpacing() const { return spacing_; }
  void SetSpacing(int spacing);

  // Geometry in pop-up coordinates, for painting, hit tests and tests.
  QRect CellRect(int cell) const;
  QRect CustomAreaRect() const { return customAreaRect_; }
  QRect IntensityBarRect() const { return intensityBarRect_; }
  const TCombArray& ColorComb();
  const TCombArray& GreyComb() const { return greyComb_; }

  // The hint shown at a point of the pop-up and how long it stays (-1: the
  // usual time); empty when nothing is under the point.
  struct THint {
    QString Text;
    int DurationMs = -1;
  };
  THint HintAt(QPoint point);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void RecalcLayout();
  void ResizeToParts();
  int LastCell() const;
  int CellAt(QPoint point) const;
  std::optional<TColor> CellColor(int cell);
  TColor CustomColor();
  void SetSelectedIndex(int index);
  void SetCustomIndex(int index);
  void SetIntensity(float intensity);
  void AcceptCell(int cell);
  bool TrackComb(QPoint point);
  void TrackIntensity(QPoint point);
  void MoveHover(TPopupArrow arrow);
  bool HandleAccelerator(QKeyEvent* event);
  void RepaintCell(int cell);
  void PaintCell(QPainter& painter, int cell);
  void PaintCustomArea(QPainter& painter);

  TColorPickerButton& owner_;
  QString defaultText_;
  QString customText_;
  bool showSystemColors_ = false;
  int spacing_ = 8;

  int selectedIndex_ = -1;
  int hoverIndex_ = -1;
  int customIndex_ = 0;
  float intensity_ = 1.0f;
  bool customAreaShown_ = false;
  bool draggingIntensity_ = false;
  bool leftButtonDown_ = false;

  QRect defaultButtonRect_;
  QRect colorGridRect_;
  QRect systemGridRect_;
  QRect customButtonRect_;
  QRect customPreviewRect_;
  QRect customAreaRect_;
  QRect colorCombRect_;
  QRect greyCombRect_;
  QRect intensityBarRect_;
  std::optional<TCombArray> colorComb_;
  TCombArray greyComb_;
};

}  // namespace widgets
