#pragma once
// The gradient panel: fills its parent with a vertical two-colour gradient of
// 256 bands, the start colour at the top and the end colour at the bottom.
// It sits behind its siblings as the window's background.

#include <QWidget>

#include "platform/gdi/Color.h"

namespace widgets {

class TDegradeClass : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBandCount = 256;

  explicit TDegradeClass(QWidget* parent = nullptr);

  TColor GetStartColor() const { return startColor_; }
  void SetStartColor(TColor value);
  TColor GetEndColor() const { return endColor_; }
  void SetEndColor(TColor value);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TColor startColor_ = clBlue;
  TColor endColor_ = clRed;
};

}  // namespace widgets
