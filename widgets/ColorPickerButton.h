#pragma once
// A speed-button-like control that shows the picked colour in an indicator
// and opens a palette pop-up through the drop-down arrow at its right edge.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/Color.h"
#include "widgets/ButtonGlyph.h"

class QAction;

namespace widgets {

class TColorPopup;

enum TIndicatorBorder : std::uint8_t { ibNone, ibFlat, ibSunken, ibRaised };

class TColorPickerButton : public QWidget {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(TColorPickerButton& sender)>;
  using THintEvent = std::function<void(TColorPickerButton& sender, int cell, std::string& hint)>;
  using TDropChangingEvent = std::function<void(TColorPickerButton& sender, bool& allowed)>;
  using TMouseEvent = std::function<void(TColorPickerButton& sender, Qt::MouseButton button,
                                         Qt::KeyboardModifiers shift, int x, int y)>;
  using TMouseMoveEvent = std::function<void(TColorPickerButton& sender, Qt::KeyboardModifiers shift, int x, int y)>;

  explicit TColorPickerButton(QWidget* parent = nullptr);
  ~TColorPickerButton() override;

  TColor GetSelectionColor() const { return selectionColor_; }
  void SetSelectionColor(TColor value);
  bool GetDroppedDown() const { return droppedDown_; }
  void SetDroppedDown(bool value);

  // The action the button follows (nil: none; not owned): its text is the
  // caption and its enabled state, tool tip and visibility are the
  // button's, now and whenever the action changes. A click triggers it,
  // unless OnClick is set, which then runs instead.
  QAction* GetAction() const { return action_; }
  void SetAction(QAction* value);

  QString GetCaption() const { return caption_; }
  void SetCaption(const QString& value);
  QString GetCustomText() const;
  void SetCustomText(const QString& value);
  QString GetDefaultText() const;
  void SetDefaultText(const QString& value);
  bool GetShowSystemColors() const;
  void SetShowSystemColors(bool value);
  int GetPopupSpacing() const;
  void SetPopupSpacing(int value);

  bool GetAllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  bool GetDown() const { return down_; }
  void SetDown(bool value);
  TColor GetDropDownArrowColor() const { return dropDownArrowColor_; }
  void SetDropDownArrowColor(TColor value);
  int GetDropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int value);
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value);
  const QImage& GetGlyph() const { return glyph_.GetGlyph(); }
  void SetGlyph(const QImage& value);
  int GetGroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  TIndicatorBorder GetIndicatorBorder() const { return indicatorBorder_; }
  void SetIndicatorBorder(TIndicatorBorder value);
  TButtonLayout GetLayout() const { return layout_; }
  void SetLayout(TButtonLayout value);
  int GetMargin() const { return margin_; }
  void SetMargin(int value);
  int GetNumGlyphs() const { return glyph_.GetNumGlyphs(); }
  void SetNumGlyphs(int value);
  int GetSpacing() const { return spacing_; }
  void SetSpacing(int value);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);

  TButtonState GetState() const { return state_; }
  TColorPopup& Popup() { return *popup_; }
  // Where the colour indicator is drawn, in client coordinates.
  QRect IndicatorRect() const;

  // Fires OnDefaultSelect; the pop-up calls it when the default entry is
  // chosen.
  virtual void DoDefaultSelect();
  // The hint of a palette cell, after OnHint had its say.
  std::string CellHint(int cell, std::string hint);

  TNotifyEvent OnChange;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnDefaultSelect;
  TNotifyEvent OnDropChanged;
  TDropChangingEvent OnDropChanging;
  THintEvent OnHint;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  template <typename T>
  void StoreAndRepaint(T& field, T value);
  QRect FaceRect() const;
  QRect DropDownRect() const;
  bool InDropDownPart(int x) const;
  TButtonLayoutResult FaceLayout() const;
  void PaintFace(QPainter& painter);
  void PaintDropDown(QPainter& painter);
  void PaintIndicator(QPainter& painter);
  void ReleaseGroupSiblings();
  void ActionChanged();
  void Click();

  std::unique_ptr<TColorPopup> popup_;
  QPointer<QAction> action_;
  TButtonGlyph glyph_;
  QString caption_;
  TColor selectionColor_ = clBlack;
  TColor dropDownArrowColor_ = clBlack;
  int dropDownWidth_ = 15;
  int groupIndex_ = 0;
  int margin_ = -1;
  int spacing_ = 4;
  bool allowAllUp_ = false;
  bool down_ = false;
  bool flat_ = false;
  bool transparent_ = true;
  bool droppedDown_ = false;
  bool tracking_ = false;
  bool mouseInside_ = false;
  TIndicatorBorder indicatorBorder_ = ibFlat;
  TButtonLayout layout_ = blGlyphLeft;
  TButtonState state_ = bsUp;
};

}  // namespace widgets
