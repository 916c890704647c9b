#include "app/gui/TextPanelPages.h"

#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/NumberText.h"
#include "app/UiTexts.h"
#include "app/gui/PanelControls.h"
#include "app/gui/PropertyPanel.h"
#include "document/text/PolygonText.h"
#include "document/text/TextShape.h"
#include "document/text/TransformText.h"
#include "widgets/ColorPickerButton.h"
#include "widgets/UniEdit.h"
#include "widgets/UniMemo.h"

namespace app {

struct TTextPanelPages::TFontNames {
  const char* Group;
  const char* FontLabel;
  const char* Font;
  const char* ColorLabel;
  const char* Color;
  const char* SizeLabel;
  const char* Size;
  const char* Bold;
  const char* Italic;
  const char* Underline;
};

namespace {

// Font style bits of the text shapes.
constexpr std::uint8_t StyleBold = 1;
constexpr std::uint8_t StyleItalic = 2;
constexpr std::uint8_t StyleUnderline = 4;
// A text lower than this cannot be drawn (mm).
constexpr double MinFontHeight = 0.1;
// A curve beyond a full turn on each side draws the line over itself.
constexpr double MaxCurveAngle = 360.0;


template <class W>
W* Named(QWidget* parent, const char* name) {
  auto* widget = new W(parent);
  widget->setObjectName(name);
  return widget;
}

QWidget* NewPage(QStackedWidget& pages, const char* name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  pages.addWidget(page);
  return page;
}

// The page's own fields above its font group.
void FillPage(QWidget* page, QLayout* fields, QWidget* font) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(fields);
  layout->addWidget(font);
}

// The shape's font into the controls.
void ShowFont(const TTextFontControls& font, const TdocTextBaseShape& shape, double factor) {
  SelectFont(font.Font, ToQString(shape.GetFontName()));
  font.Color->SetSelectionColor(shape.GetFontColor());
  font.Size->setText(ToQString(FormatTwoDecimals(shape.GetFontHeight() / factor)));
  const std::uint8_t style = shape.GetFontStyle();
  font.Bold->setChecked((style & StyleBold) != 0);
  font.Italic->setChecked((style & StyleItalic) != 0);
  font.Underline->setChecked((style & StyleUnderline) != 0);
}

// One style bit from its box, on the shape's style as it is now.
void WriteStyleBit(TdocTextBaseShape& shape, std::uint8_t bit, const QCheckBox* box) {
  const std::uint8_t style = shape.GetFontStyle();
  shape.SetFontStyle(static_cast<std::uint8_t>(box->isChecked() ? style | bit : style & ~bit));
}

// The controls into the shape's font. An empty font list (no fonts listed
// yet) keeps the shape's face.
void WriteFont(const TTextFontControls& font, TdocTextBaseShape& shape, double factor) {
  if (!font.Font->currentText().isEmpty()) shape.SetFontName(TextOf(font.Font));
  shape.SetFontColor(font.Color->GetSelectionColor());
  SetShownLength(TextOf(font.Size), shape.GetFontHeight(), factor, MinFontHeight,
                 [&](float height) { shape.SetFontHeight(height); });
  WriteStyleBit(shape, StyleBold, font.Bold);
  WriteStyleBit(shape, StyleItalic, font.Italic);
  WriteStyleBit(shape, StyleUnderline, font.Underline);
}

void WriteCurveAngle(TdocCurvedText& shape, const QLineEdit* edit) {
  const std::string text = TextOf(edit);
  if (text == FormatTwoDecimals(shape.GetCurveAngle())) return;
  const auto angle = ParseNumber(text);
  if (angle && std::fabs(*angle) <= MaxCurveAngle) shape.SetCurveAngle(static_cast<float>(*angle));
}

}  // namespace

TTextPanelPages::TTextPanelPages(QStackedWidget& pages, std::function<void(int group)> write)
    : Pages(pages), Write(std::move(write)) {
  BuildTextPage();
  BuildCurvedPage();
  BuildMemoPage();
  ConnectHandlers();
}

TTextFontControls TTextPanelPages::BuildFont(QWidget* page, const TFontNames& names) {
  TTextFontControls font;
  font.Group = Named<QGroupBox>(page, names.Group);
  auto* form = new QFormLayout(font.Group);
  font.Font = AddRow<QComboBox>(form, font.Group, font.FontLabel, names.Font);
  font.Font->setMinimumContentsLength(10);
  font.Font->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  font.Color = AddRow<widgets::TColorPickerButton>(form, font.Group, font.ColorLabel, names.Color);
  font.Size = AddRow<QLineEdit>(form, font.Group, font.SizeLabel, names.Size);
  font.FontLabel->setObjectName(names.FontLabel);
  font.ColorLabel->setObjectName(names.ColorLabel);
  font.SizeLabel->setObjectName(names.SizeLabel);
  auto* styles = new QHBoxLayout;
  for (auto [box, name] : {std::pair{&font.Bold, names.Bold}, {&font.Italic, names.Italic},
                           {&font.Underline, names.Underline}}) {
    *box = Named<QCheckBox>(font.Group, name);
    styles->addWidget(*box);
  }
  form->addRow(styles);
  return font;
}

void TTextPanelPages::BuildTextPage() {
  tabdttext = NewPage(Pages, "tabdttext");
  auto* form = new QFormLayout;
  edttextevaleur = AddRow<widgets::TUniEdit>(form, tabdttext, labvaleurtexte, "edttextevaleur");
  labvaleurtexte->setObjectName("labvaleurtexte");
  chtailleautotexte = Named<QCheckBox>(tabdttext, "chtailleautotexte");
  form->addRow(chtailleautotexte);
  Combalignetexte = Named<QComboBox>(tabdttext, "Combalignetexte");
  form->addRow(Combalignetexte);
  TextFont = BuildFont(tabdttext, {"Gpolicetexte", "labpolicetexte", "edtextepolice", "labcouleurtexte", "colortexte",
                                   "labtaillepolicetexte", "edtextetaillepolice", "chgrastexte", "chitaliquetexte",
                                   "chsoulignetexte"});
  FillPage(tabdttext, form, TextFont.Group);
}

void TTextPanelPages::BuildCurvedPage() {
  Tabtextecourbe = NewPage(Pages, "Tabtextecourbe");
  auto* form = new QFormLayout;
  edtextevaleurcourbe = AddRow<widgets::TUniEdit>(form, Tabtextecourbe, labvaleurtextecourbe, "edtextevaleurcourbe");
  labvaleurtextecourbe->setObjectName("labvaleurtextecourbe");
  edangletextecourbe = AddRow<QLineEdit>(form, Tabtextecourbe, labangletextecourbe, "edangletextecourbe");
  labangletextecourbe->setObjectName("labangletextecourbe");
  CurvedFont = BuildFont(Tabtextecourbe, {"gpolicetextecourbe", "labpolicetextecourbe", "edpolicetextecourbe",
                                          "labcouleurtextecourbe", "colortextecourbe", "labtaillepolicetextecourbe",
                                          "edtaillepolicetextecourbe", "chgrastextecourbe", "chitaliquetextecourbe",
                                          "chsoulignetextecourbe"});
  FillPage(Tabtextecourbe, form, CurvedFont.Group);
}

void TTextPanelPages::BuildMemoPage() {
  tabdtmemo = NewPage(Pages, "tabdtmemo");
  labvaleurmemo = Named<QLabel>(tabdtmemo, "labvaleurmemo");
  ememo = Named<widgets::TUniMemo>(tabdtmemo, "ememo");
  ememo->setMinimumHeight(ememo->fontMetrics().lineSpacing() * 5);
  MemoFont = BuildFont(tabdtmemo, {"gpolicememo", "labpolicememo", "edpolicememo", "labcouleurmemo", "colormemo",
                                   "labtaillepolicememo", "edtaillepolicememo", "chgrasmemo", "chitaliquememo",
                                   "chsoulignememo"});
  auto* fields = new QVBoxLayout;
  fields->addWidget(labvaleurmemo);
  fields->addWidget(ememo);
  FillPage(tabdtmemo, fields, MemoFont.Group);
}

void TTextPanelPages::ConnectFont(const TTextFontControls& font, int group) {
  const auto write = [this, group] { Write(group); };
  QObject::connect(font.Font, &QComboBox::currentTextChanged, Pages.parentWidget(), write);
  QObject::connect(font.Size, &QLineEdit::textChanged, Pages.parentWidget(), write);
  WriteOnChangeAndClick(font.Color, write);
  for (QCheckBox* box : {font.Bold, font.Italic, font.Underline})
    QObject::connect(box, &QCheckBox::clicked, Pages.parentWidget(), write);
}

void TTextPanelPages::ConnectHandlers() {
  QObject* context = Pages.parentWidget();
  const auto writeText = [this] { Write(pgText); };
  edttextevaleur->OnChange = [writeText](widgets::TUniEdit&) { writeText(); };
  QObject::connect(Combalignetexte, &QComboBox::currentIndexChanged, context, writeText);
  QObject::connect(chtailleautotexte, &QCheckBox::clicked, context, writeText);
  ConnectFont(TextFont, pgText);

  edtextevaleurcourbe->OnChange = [this](widgets::TUniEdit&) { Write(pgCurvedText); };
  QObject::connect(edangletextecourbe, &QLineEdit::editingFinished, context, [this] {
    edangletextecourbe->setText(ToQString(RewriteTwoDecimals(TextOf(edangletextecourbe))));
    Write(pgCurvedText);
  });
  ConnectFont(CurvedFont, pgCurvedText);

  ememo->OnChange = [this](widgets::TUniMemo&) { Write(pgMemo); };
  ConnectFont(MemoFont, pgMemo);
}

void TTextPanelPages::WriteShape(int group, TdocShape& shape, double factor) const {
  if (group == pgText) {
    if (auto* text = ExactClass<TdocTextShape>(shape)) {
      text->SetText(edttextevaleur->GetText());
      text->SetAutoSize(chtailleautotexte->isChecked());
      if (Combalignetexte->currentIndex() >= 0)
        text->SetAlignment(static_cast<std::uint8_t>(Combalignetexte->currentIndex()));
      WriteFont(TextFont, *text, factor);
    }
  } else if (group == pgCurvedText) {
    if (auto* curved = ExactClass<TdocCurvedText>(shape)) {
      curved->SetText(edtextevaleurcourbe->GetText());
      WriteCurveAngle(*curved, edangletextecourbe);
      WriteFont(CurvedFont, *curved, factor);
    }
  } else if (group == pgMemo) {
    if (auto* memo = ExactClass<TdocPolygonMemo>(shape)) {
      memo->SetText(ememo->GetText());
      WriteFont(MemoFont, *memo, factor);
    }
  }
}

bool TTextPanelPages::ShowShape(TdocShape& shape, double factor) {
  if (auto* text = ExactClass<TdocTextShape>(shape)) {
    Show(tabdttext);
    chtailleautotexte->setChecked(text->GetAutoSize());
    Combalignetexte->setCurrentIndex(text->GetAlignment());
    edttextevaleur->SetText(text->GetText());
    ShowFont(TextFont, *text, factor);
  } else if (auto* curved = ExactClass<TdocCurvedText>(shape)) {
    Show(Tabtextecourbe);
    edtextevaleurcourbe->SetText(curved->GetText());
    edangletextecourbe->setText(ToQString(FormatTwoDecimals(curved->GetCurveAngle())));
    ShowFont(CurvedFont, *curved, factor);
  } else if (auto* memo = ExactClass<TdocPolygonMemo>(shape)) {
    Show(tabdtmemo);
    ememo->SetText(memo->GetText());
    ShowFont(MemoFont, *memo, factor);
  } else {
    return false;
  }
  return true;
}

void TTextPanelPages::Show(QWidget* page) {
  Pages.setCurrentWidget(page);
  Pages.show();
}

void TTextPanelPages::ApplyUITexts() {
  for (QLabel* label : {labvaleurtexte, labvaleurtextecourbe, labvaleurmemo}) label->setText(UiText(26));
  labangletextecourbe->setText(UiText(128));
  chtailleautotexte->setText(UiText(183));
  // Refilling a list is no edit of the shape.
  const QSignalBlocker quiet(Combalignetexte);
  Combalignetexte->clear();
  for (int number : {180, 181, 182}) Combalignetexte->addItem(UiText(number));
  for (const TTextFontControls* font : {&TextFont, &CurvedFont, &MemoFont}) {
    font->Group->setTitle(UiText(30));
    font->FontLabel->setText(UiText(30));
    font->ColorLabel->setText(UiText(23));
    font->SizeLabel->setText(UiText(31));
    font->Bold->setText(UiText(37));
    font->Italic->setText(UiText(38));
    font->Underline->setText(UiText(184));
  }
}

void TTextPanelPages::FillFontLists(const QStringList& families) {
  for (const TTextFontControls* font : {&TextFont, &CurvedFont, &MemoFont}) {
    const QSignalBlocker quiet(font->Font);
    font->Font->clear();
    font->Font->addItems(families);
  }
}

}  // namespace app
