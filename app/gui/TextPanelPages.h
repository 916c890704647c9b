#pragma once
// The pages of the property panel for the three kinds of text a label holds:
// the ordinary text (tabdttext, TdocTextShape), the curved text
// (Tabtextecourbe, TdocCurvedText) and the multi-line text (tabdtmemo,
// TdocPolygonMemo). Every page shows the text and its font: name, colour,
// height (a length, in the panel's unit) and bold, italic, underline. The
// ordinary text adds auto size and alignment, the curved text its curve
// angle in degrees.

#include <functional>

#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QWidget;
class TdocShape;
class TdocTextBaseShape;

namespace widgets {
class TColorPickerButton;
class TUniEdit;
class TUniMemo;
}  // namespace widgets

namespace app {

// The font part of a text page.
struct TTextFontControls {
  QGroupBox* Group = nullptr;
  QLabel* FontLabel = nullptr;
  QComboBox* Font = nullptr;
  QLabel* ColorLabel = nullptr;
  widgets::TColorPickerButton* Color = nullptr;
  QLabel* SizeLabel = nullptr;
  QLineEdit* Size = nullptr;
  QCheckBox* Bold = nullptr;
  QCheckBox* Italic = nullptr;
  QCheckBox* Underline = nullptr;
};

class TTextPanelPages {
public:
  // Adds the three pages to pages; an edit on a page calls write with the
  // page's panel group (1 text, 5 curved text, 6 memo).
  TTextPanelPages(QStackedWidget& pages, std::function<void(int group)> write);

  // Writes the page of group into shape when the shape's class is exactly
  // the page's; factor is the millimetres per panel unit.
  void WriteShape(int group, TdocShape& shape, double factor) const;
  // Shows the page of the shape's exact class; false for other classes.
  bool ShowShape(TdocShape& shape, double factor);
  // Captions and list items from the text service.
  void ApplyUITexts();
  // The font lists get the installed font families.
  void FillFontLists(const QStringList& families);

  QStackedWidget& Pages;

  QWidget* tabdttext;
  QLabel* labvaleurtexte;
  widgets::TUniEdit* edttextevaleur;
  QCheckBox* chtailleautotexte;
  QComboBox* Combalignetexte;
  TTextFontControls TextFont;  // edtextepolice, colortexte, edtextetaillepolice, ...

  QWidget* Tabtextecourbe;
  QLabel* labvaleurtextecourbe;
  widgets::TUniEdit* edtextevaleurcourbe;
  QLabel* labangletextecourbe;
  QLineEdit* edangletextecourbe;
  TTextFontControls CurvedFont;  // edpolicetextecourbe, colortextecourbe, ...

  QWidget* tabdtmemo;
  QLabel* labvaleurmemo;
  widgets::TUniMemo* ememo;
  TTextFontControls MemoFont;  // edpolicememo, colormemo, edtaillepolicememo, ...

private:
  struct TFontNames;
  TTextFontControls BuildFont(QWidget* page, const TFontNames& names);
  void BuildTextPage();
  void BuildCurvedPage();
  void BuildMemoPage();
  void ConnectFont(const TTextFontControls& font, int group);
  void ConnectHandlers();
  void Show(QWidget* page);

  std::function<void(int group)> Write;
};

}  // namespace app
