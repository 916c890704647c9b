#include "app/gui/PropertyPanel.h"

#include <array>

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/BarcodeValueRule.h"
#include "app/NumberText.h"
#include "app/UiTexts.h"
#include "app/gui/Guarded.h"
#include "app/gui/PanelControls.h"
#include "app/shapes/BarcodeShape.h"
#include "document/shapes/BitmapShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/LineShape.h"
#include "document/editor/HandlePainter.h"
#include "document/control/Document.h"
#include "platform/rtl/Strings.h"
#include "widgets/ColorPickerButton.h"
#include "widgets/UniEdit.h"

namespace app {

namespace {

// While the panel shows a shape, its controls' change signals must not
// write back: synchronisation is paused and given back as it was.
class TSyncPause {
public:
  explicit TSyncPause(TPanelFlags& flags) : Flags(flags), Sync(flags.PanelSync) { Flags.PanelSync = false; }
  ~TSyncPause() { Flags.PanelSync = Sync; }
  TSyncPause(const TSyncPause&) = delete;
  TSyncPause& operator=(const TSyncPause&) = delete;

private:
  TPanelFlags& Flags;
  bool Sync;
};

constexpr std::array<const char*, BarcodeTypeCount> BarcodeTypeNames = {
    "Code_2_5_interleaved", "Code_2_5_industrial", "Code_2_5_matrix", "Code39",       "Code39Extended",
    "Code128A",             "Code128B",            "Code128C",        "Code93",       "Code93Extended",
    "CodeMSI",              "CodePostNet",         "CodeCodabar",     "CodeEAN8",     "CodeEAN13",
    "CodeUPC_A",            "CodeUPC_E0",          "CodeUPC_E1",      "CodeUPC_Supp2", "CodeUPC_Supp5",
    "CodeEAN128A",          "CodeEAN128B",         "CodeEAN128C",
};

constexpr std::array<const char*, 9> Orientations = {"0", "45", "90", "135", "180", "-45", "-90", "-135", "-180"};
constexpr std::array<const char*, 12> TextSizes = {"6", "8", "9", "10", "11", "12", "14", "16", "20", "24", "36", "48"};

constexpr int MaxTextSize = 1000;  // points

}  // namespace

TPropertyPanel::TPropertyPanel(TdocDocument& document, TPanelFlags& flags, QWidget* parent)
    : QWidget(parent), Document(document), Flags(flags) {
  setObjectName("panelcarshape");
  hide();
}

void TPropertyPanel::EnsureBuilt() {
  if (Built) return;
  Built = true;
  BuildCommon();
  BuildBarcodePage();
  BuildLinePage();
  BuildFramePage();
  TextPages = std::make_unique<TTextPanelPages>(*pagecontrolcarshape, [this](int group) { PanelToShape(group); });
  ConnectHandlers();
  ConnectBarcodeHandlers();
  ConnectFrameAndLineHandlers();
  if (OnBuilt) OnBuilt();
}

void TPropertyPanel::BuildCommon() {
  auto* form = new QFormLayout;
  eshapex = AddRow<QLineEdit>(form, this, labx, "eshapex");
  eshapey = AddRow<QLineEdit>(form, this, laby, "eshapey");
  eshapexx = AddRow<QLineEdit>(form, this, labxx, "eshapexx");
  eshapeyy = AddRow<QLineEdit>(form, this, labyy, "eshapeyy");
  labx->setText("X");
  laby->setText("Y");
  labangle = new QLabel(this);
  labangle->setObjectName("labangle");
  eshapeorientation = new QComboBox(this);
  eshapeorientation->setObjectName("eshapeorientation");
  eshapeorientation->setEditable(true);
  for (const char* item : Orientations) eshapeorientation->addItem(item);
  form->addRow(labangle, eshapeorientation);
  labtransparence = new QLabel(this);
  labtransparence->setObjectName("labtransparence");
  trbAlpha = AlphaSlider(this);
  trbAlpha->setObjectName("trbAlpha");
  labvaleurtransparence = new QLabel("255", this);
  labvaleurtransparence->setObjectName("labvaleurtransparence");
  labvaleurtransparence->setMinimumWidth(labvaleurtransparence->fontMetrics().horizontalAdvance("2555"));
  auto* alphaRow = new QHBoxLayout;
  alphaRow->addWidget(trbAlpha);
  alphaRow->addWidget(labvaleurtransparence);
  form->addRow(labtransparence, alphaRow);

  pagecontrolcarshape = new QStackedWidget(this);
  pagecontrolcarshape->setObjectName("pagecontrolcarshape");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(form);
  layout->addWidget(pagecontrolcarshape);
  layout->addStretch();
}

QWidget* TPropertyPanel::NewPage(const char* name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  pagecontrolcarshape->addWidget(page);
  return page;
}

void TPropertyPanel::BuildBarcodePage() {
  tabcb = NewPage("tabcb");
  auto* form = new QFormLayout;
  combcb1type = AddRow<QComboBox>(form, tabcb, labtypecodebarre, "combcb1type");
  for (const char* name : BarcodeTypeNames) combcb1type->addItem(name);
  edtcbvaleur = AddRow<widgets::TUniEdit>(form, tabcb, labvaleurcodebarre, "edtcbvaleur");
  colorbarrecodebarre = AddRow<widgets::TColorPickerButton>(form, tabcb, labcouleurcodebarre, "colorbarrecodebarre");

  grouptextecodebarre = new QGroupBox(tabcb);
  grouptextecodebarre->setObjectName("grouptextecodebarre");
  auto* textForm = new QFormLayout(grouptextecodebarre);
  chcb1affichertexte = new QCheckBox(grouptextecodebarre);
  chcb1affichertexte->setObjectName("chcb1affichertexte");
  textForm->addRow(chcb1affichertexte);
  QWidget* group = grouptextecodebarre;
  combcb1texteposition = AddRow<QComboBox>(textForm, group, labpositiontextecodebarre, "combcb1texteposition");
  edtextepolicecodebarre = AddRow<QComboBox>(textForm, group, labpolicetextecodebarre, "edtextepolicecodebarre");
  edtextepolicecodebarre->setMinimumContentsLength(10);
  edtextepolicecodebarre->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  colortextecodebarre =
      AddRow<widgets::TColorPickerButton>(textForm, group, labcouleurtextecodebarre, "colortextecodebarre");
  edtextetaillepolicecodebarre =
      AddRow<QComboBox>(textForm, group, labtailletextecodebarre, "edtextetaillepolicecodebarre");
  edtextetaillepolicecodebarre->setEditable(true);
  for (const char* size : TextSizes) edtextetaillepolicecodebarre->addItem(size);

  auto* layout = new QVBoxLayout(tabcb);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form);
  layout->addWidget(grouptextecodebarre);
}

void TPropertyPanel::BuildLinePage() {
  tabdtligne = NewPage("tabdtligne");
  auto* form = new QFormLayout(tabdtligne);
  form->setContentsMargins(0, 0, 0, 0);
  edtepaisseurligne = AddRow<QLineEdit>(form, tabdtligne, labepaisseurligne, "edtepaisseurligne");
  colorligne1 = AddRow<widgets::TColorPickerButton>(form, tabdtligne, labcouleurligne, "colorligne1");
}

void TPropertyPanel::BuildFramePage() {
  tabcadre = NewPage("tabcadre");
  auto* form = new QFormLayout(tabcadre);
  form->setContentsMargins(0, 0, 0, 0);
  edtepaisseurlignecadre = AddRow<QLineEdit>(form, tabcadre, labepaisseurcadre, "edtepaisseurlignecadre");
  colorlignecadre = AddRow<widgets::TColorPickerButton>(form, tabcadre, labcouleurcadre, "colorlignecadre");
  Chremplircadre = new QCheckBox(tabcadre);
  Chremplircadre->setObjectName("Chremplircadre");
  form->addRow(Chremplircadre);
  clcouleurremplissagecadre =
      AddRow<widgets::TColorPickerButton>(form, tabcadre, labcouleurfondcadre, "clcouleurremplissagecadre");
  trbcadrefondtransparence = AlphaSlider(tabcadre);
  trbcadrefondtransparence->setObjectName("trbcadrefondtransparence");
  labcadrefondtransparence = new QLabel("255", tabcadre);
  labcadrefondtransparence->setObjectName("labcadrefondtransparence");
  auto* row = new QHBoxLayout;
  row->addWidget(trbcadrefondtransparence);
  row->addWidget(labcadrefondtransparence);
  labfondtransparence = new QLabel(tabcadre);
  form->addRow(labfondtransparence, row);
}

void TPropertyPanel::ConnectHandlers() {
  for (QLineEdit* edit : {eshapex, eshapey, eshapexx, eshapeyy})
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
      edit->setText(QString::fromStdString(RewriteTwoDecimals(TextOf(edit))));
      PanelToShape(pgGeometry);
      // A length the label cannot take was left out: the edit shows the shape again.
      ShapeToPanel();
    });
  connect(eshapeorientation, &QComboBox::activated, this, [this] { PanelToShape(pgGeometry); });
  connect(eshapeorientation->lineEdit(), &QLineEdit::editingFinished, this, [this] { PanelToShape(pgGeometry); });
  connect(trbAlpha, &QSlider::valueChanged, this, [this](int value) {
    labvaleurtransparence->setNum(value);
    PanelToShape(pgGeometry);
  });
}

void TPropertyPanel::ConnectBarcodeHandlers() {
  const auto writeBarcode = [this] { PanelToShape(pgBarcode); };
  const auto chooseType = [this] {
    ApplyEanRule();
    PanelToShape(pgBarcode);
  };
  // A list's click is the user choosing an item, the one already selected
  // included: the rule and the write run again.
  connect(combcb1type, &QComboBox::currentIndexChanged, this, chooseType);
  connect(combcb1type, &QComboBox::activated, this, chooseType);
  for (QComboBox* list : {combcb1texteposition, edtextepolicecodebarre, edtextetaillepolicecodebarre}) {
    connect(list, &QComboBox::currentTextChanged, this, writeBarcode);
    connect(list, &QComboBox::activated, this, writeBarcode);
  }
  edtcbvaleur->OnChange = [writeBarcode](widgets::TUniEdit&) { writeBarcode(); };
  for (widgets::TColorPickerButton* button : {colorbarrecodebarre, colortextecodebarre})
    WriteOnChangeAndClick(button, writeBarcode);
  connect(chcb1affichertexte, &QCheckBox::clicked, this, [this](bool checked) {
    ShowBarcodeTextControls(checked);
    PanelToShape(pgBarcode);
  });
}

void TPropertyPanel::ConnectFrameAndLineHandlers() {
  const auto writeLine = [this] { PanelToShape(pgLine); };
  WriteOnChangeAndClick(colorligne1, writeLine);
  connect(edtepaisseurligne, &QLineEdit::textChanged, this, [this] {
    if (edtepaisseurligne->hasFocus()) PanelToShape(pgLine);
  });
  const auto writeFrame = [this] { PanelToShape(pgFrame); };
  for (widgets::TColorPickerButton* button : {colorlignecadre, clcouleurremplissagecadre})
    WriteOnChangeAndClick(button, writeFrame);
  connect(edtepaisseurlignecadre, &QLineEdit::textChanged, this, writeFrame);
  connect(Chremplircadre, &QCheckBox::clicked, this, writeFrame);
  connect(trbcadrefondtransparence, &QSlider::valueChanged, this, [this](int value) {
    labcadrefondtransparence->setNum(value);
    PanelToShape(pgFrame);
  });
}

TdocShape* TPropertyPanel::FocusedShape() const {
  TdocDocumentCore& core = Document.Core();
  TdocShape* shape = core.GetFocusShape();
  if (shape && shape->GetSelected()) return shape;
  // A shape selected without the focus (a paste, for one) is still the
  // one the panel is about when it is alone.
  return core.GetSelected(0) && !core.GetSelected(1) ? core.GetSelected(0) : nullptr;
}

void TPropertyPanel::ResetBarcodeTypeList() {
  if (!Built) return;
  const TSyncPause pause(Flags);
  combcb1type->setCurrentIndex(0);
}

void TPropertyPanel::PanelToShape(int group) {
  Guarded(this, [this, group] {
    WriteGroup(group);
    ShowWrittenFrame();
  });
}

// An edit can move or resize the shape (a larger font grows an auto-sized
// text): the position edits follow at once. Only they are rewritten, so the
// field being typed in keeps its caret.
void TPropertyPanel::ShowWrittenFrame() {
  if (!Flags.PanelSync || Flags.PanelWriting) return;
  TdocShape* shape = FocusedShape();
  if (!shape) return;
  const TSyncPause pause(Flags);
  ShowPosition(*shape);
}

void TPropertyPanel::ShapeToPanel() {
  Guarded(this, [this] { ShowFocusedShape(); });
}

void TPropertyPanel::WriteGroup(int group) {
  if (!Flags.PanelSync) return;
  Flags.PanelWriting = true;
  Flags.PanelSync = false;
  struct Restore {
    TPanelFlags& F;
    ~Restore() {
      F.PanelSync = true;
      F.PanelWriting = false;
    }
  } restore{Flags};
  TdocShape* shape = FocusedShape();
  if (!shape) return;
  TdocDocumentCore& core = Document.Core();
  core.BeginUndo();
  struct EndUndo {
    TdocDocumentCore& C;
    ~EndUndo() { C.EndUndo(); }
  } endUndo{core};
  auto* barcode = ExactClass<TdocBarCodeShape>(*shape);
  const std::string barcodeBefore = barcode ? barcode->GetBarcodeState() : std::string();
  switch (group) {
    case pgGeometry: WriteGeometry(*shape); break;
    case pgLine: WriteLine(*shape); break;
    case pgBarcode: WriteBarcode(*shape); break;
    case pgFrame: WriteFrame(*shape); break;
    default: TextPages->WriteShape(group, *shape, LengthFactor()); break;
  }
  if (barcode) barcode->RecordBarcodeChange(barcodeBefore);
  shape->Refresh();
  shape->RefreshAll();
}

void TPropertyPanel::WriteGeometry(TdocShape& shape) {
  const double factor = LengthFactor();
  SetShownLength(TextOf(eshapex), shape.GetDocLeft(), factor, -MaxPanelLength, [&](float v) { shape.SetDocLeft(v); });
  SetShownLength(TextOf(eshapey), shape.GetDocTop(), factor, -MaxPanelLength, [&](float v) { shape.SetDocTop(v); });
  SetShownLength(TextOf(eshapexx), shape.GetDocWidth(), factor, 0.0, [&](float v) { shape.SetDocWidth(v); });
  SetShownLength(TextOf(eshapeyy), shape.GetDocHeight(), factor, 0.0, [&](float v) { shape.SetDocHeight(v); });
  shape.SetMasterAlpha(trbAlpha->value());
  if (const auto angle = ParseNumber(TextOf(eshapeorientation))) {
    shape.SetDocAngle(static_cast<float>(*angle));
    if (auto* barcode = ExactClass<TdocBarCodeShape>(shape)) barcode->FDocangleinitial = static_cast<float>(*angle);
  }
}

void TPropertyPanel::WriteBarcode(TdocShape& shape) {
  auto* barcodeShape = ExactClass<TdocBarCodeShape>(shape);
  if (!barcodeShape || !barcodeShape->GetBarcode()) return;
  if (const auto angle = ParseNumber(TextOf(eshapeorientation)))
    barcodeShape->FDocangleinitial = static_cast<float>(*angle);
  TVmBarcode& barcode = *barcodeShape->GetBarcode();
  // A type the list does not know (read from a newer file) selects no item
  // and stays what it is.
  const int listed = combcb1type->currentIndex();
  const TBarcodeType typ = listed < 0 ? barcode.GetTyp() : static_cast<TBarcodeType>(listed);
  bool lossy = false;
  const std::string typed = rtl::Utf16ToCp1252(edtcbvaleur->GetText(), &lossy);
  // A character the label's 8-bit text cannot hold would vanish from the bars.
  const TBarcodeValue value =
      lossy ? TBarcodeValue{TBarcodeValueVerdict::Refused, "0", {}} : CheckBarcodeValue(typ, typed);
  switch (value.Verdict) {
    case TBarcodeValueVerdict::Accepted: Notify({}); break;
    case TBarcodeValueVerdict::CheckDigitAdded: Notify(pgloretlibmessage(UiTextCheckDigitAdded) + value.Value); break;
    case TBarcodeValueVerdict::WrongCheckDigit: Notify(pgloretlibmessage(UiTextWrongCheckDigit) + value.Corrected); break;
    case TBarcodeValueVerdict::Refused: Notify(pgloretlibmessage(UiTextValueRefused)); break;
  }
  barcode.SetTyp(typ);
  barcode.SetText(value.Value);
  barcode.ColorBar = colorbarrecodebarre->GetSelectionColor();
  barcode.SetShowText(chcb1affichertexte->isChecked() ? bcoCode : bcoNone);
  barcode.SetShowTextPosition(static_cast<TShowTextPosition>(std::max(0, combcb1texteposition->currentIndex())));
  TFont font = barcode.GetShowTextFont();
  font.SetName(TextOf(edtextepolicecodebarre));
  font.SetColor(colortextecodebarre->GetSelectionColor());
  const auto size = ParseInteger(TextOf(edtextetaillepolicecodebarre));
  if (size && *size >= 1 && *size <= MaxTextSize) font.SetSize(*size);
  barcode.SetShowTextFont(font);
}

void TPropertyPanel::WriteLine(TdocShape& shape) {
  auto* line = ExactClass<TdocLineShape>(shape);
  if (!line) return;
  SetLength(TextOf(edtepaisseurligne), LengthFactor(), 0.0, [&](float v) { line->SetLineWidth(v); });
  line->SetFillColor(colorligne1->GetSelectionColor());
}

void TPropertyPanel::WriteFrame(TdocShape& shape) {
  auto* frame = ExactClass<TdocRectangleShape>(shape);
  if (!frame) return;
  SetLength(TextOf(edtepaisseurlignecadre), LengthFactor(), 0.0, [&](float v) { frame->SetOutlineWidth(v); });
  frame->SetOutlineColor(colorlignecadre->GetSelectionColor());
  frame->SetFillColor(clcouleurremplissagecadre->GetSelectionColor());
  frame->SetUseFill(Chremplircadre->isChecked());
  frame->SetFillAlpha(trbcadrefondtransparence->value());
}

void TPropertyPanel::ShowFocusedShape() {
  if (Flags.PanelWriting) return;
  const TSyncPause pause(Flags);
  TdocShape* shape = FocusedShape();
  if (shape) EnsureBuilt();
  if (shape) {
    ShowGeometry(*shape);
    ShowBarcode(*shape);
    ShowLine(*shape);
    ShowFrame(*shape);
    TextPages->ShowShape(*shape, LengthFactor());
    if (ExactClass<TdocBitmapShape>(*shape)) pagecontrolcarshape->hide();
  }
  setVisible(shape != nullptr);
}

void TPropertyPanel::ShowPosition(TdocShape& shape) {
  const double factor = 1.0 / LengthFactor();
  const auto show = [factor](QLineEdit* edit, float mm) {
    const QString text = QString::fromStdString(FormatTwoDecimals(mm * factor));
    if (edit->text() != text) edit->setText(text);
  };
  show(eshapex, shape.GetDocLeft());
  show(eshapey, shape.GetDocTop());
  show(eshapexx, shape.GetDocWidth());
  show(eshapeyy, shape.GetDocHeight());
}

void TPropertyPanel::ShowGeometry(TdocShape& shape) {
  ShowPosition(shape);
  trbAlpha->setValue(shape.GetMasterAlpha());
  labvaleurtransparence->setNum(trbAlpha->value());
  eshapeorientation->setEditText(QString::fromStdString(FormatTwoDecimals(shape.GetDocAngle())));
  if (auto* barcode = ExactClass<TdocBarCodeShape>(shape))
    barcode->FDocangleinitial = static_cast<float>(ParseNumber(TextOf(eshapeorientation)).value_or(0.0));
}

void TPropertyPanel::ShowBarcode(TdocShape& shape) {
  auto* barcodeShape = ExactClass<TdocBarCodeShape>(shape);
  if (!barcodeShape || !barcodeShape->GetBarcode()) return;
  const TVmBarcode& barcode = *barcodeShape->GetBarcode();
  pagecontrolcarshape->setCurrentWidget(tabcb);
  pagecontrolcarshape->show();
  combcb1type->setCurrentIndex(barcode.GetTyp());
  edtcbvaleur->SetText(rtl::Cp1252ToUtf16(barcode.GetText()));
  colorbarrecodebarre->SetSelectionColor(barcode.ColorBar);
  const bool showText = barcode.GetShowText() != bcoNone;
  chcb1affichertexte->setChecked(showText);
  ShowBarcodeTextControls(showText);
  combcb1texteposition->setCurrentIndex(barcode.GetShowTextPosition());
  SelectFont(edtextepolicecodebarre, QString::fromStdString(barcode.GetShowTextFont().GetName()));
  colortextecodebarre->SetSelectionColor(barcode.GetShowTextFont().GetColor());
  edtextetaillepolicecodebarre->setEditText(QString::number(barcode.GetShowTextFont().GetSize()));
}

void TPropertyPanel::ShowLine(TdocShape& shape) {
  auto* line = ExactClass<TdocLineShape>(shape);
  if (!line) return;
  pagecontrolcarshape->setCurrentWidget(tabdtligne);
  pagecontrolcarshape->show();
  edtepaisseurligne->setText(QString::fromStdString(FormatGeneral(line->GetLineWidth() / LengthFactor())));
  colorligne1->SetSelectionColor(line->GetFillColor());
}

void TPropertyPanel::ShowFrame(TdocShape& shape) {
  auto* frame = ExactClass<TdocRectangleShape>(shape);
  if (!frame) return;
  pagecontrolcarshape->setCurrentWidget(tabcadre);
  pagecontrolcarshape->show();
  edtepaisseurlignecadre->setText(QString::fromStdString(FormatGeneral(frame->GetOutlineWidth() / LengthFactor())));
  colorlignecadre->SetSelectionColor(frame->GetOutlineColor());
  clcouleurremplissagecadre->SetSelectionColor(frame->GetFillColor());
  Chremplircadre->setChecked(frame->GetUseFill());
  trbcadrefondtransparence->setValue(frame->GetFillAlpha());
  labcadrefondtransparence->setNum(trbcadrefondtransparence->value());
}

void TPropertyPanel::ApplyEanRule() {
  if (!Flags.PanelSync) return;
  const QString typ = combcb1type->currentText();
  if (typ != "CodeEAN8" && typ != "CodeEAN13") return;
  chcb1affichertexte->setChecked(true);
  ShowBarcodeTextControls(true);
  combcb1texteposition->setCurrentIndex(stpBottomLeft);
}

void TPropertyPanel::ShowBarcodeTextControls(bool visible) {
  for (QWidget* control : std::initializer_list<QWidget*>{labpositiontextecodebarre, combcb1texteposition,
                                                          labpolicetextecodebarre, edtextepolicecodebarre,
                                                          labcouleurtextecodebarre, colortextecodebarre})
    control->setVisible(visible);
}

void TPropertyPanel::Notify(const std::string& message) {
  if (OnNotice) OnNotice(message);
}

}  // namespace app
