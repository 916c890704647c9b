// The components of the main window and where they sit.

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/gui/AboutBox.h"
#include "app/gui/CalculatorsTab.h"
#include "app/gui/MainWindow.h"
#include "app/gui/TemplateList.h"
#include "app/gui/ToolIcons.h"
#include "document/editor/HandlePainter.h"
#include "document/control/Document.h"
#include "widgets/DegradeClass.h"

namespace app {

namespace {

// A quiet blue fading to white behind the tabs.
constexpr TColor BackgroundTop = 0xEBD7C8;
constexpr TColor BackgroundBottom = 0xFCF8F5;
// Pixels across the rulers and their corner.
constexpr int RulerThickness = 28;
// The window's size as designed, and what a window manager's frame (borders
// and title bar) may add to it.
constexpr QSize DesignSize(1000, 700);
constexpr QSize FrameAllowance(16, 48);

template <class T, class... A>
T* Named(const char* name, A&&... args) {
  auto* widget = new T(std::forward<A>(args)...);
  widget->setObjectName(name);
  return widget;
}

QToolButton* ToolButton(const char* name, const QIcon& icon) {
  auto* button = Named<QToolButton>(name);
  button->setIcon(icon);
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  return button;
}

// A tool button that shows and triggers its action.
QToolButton* ActionButton(const char* name, QAction* action) {
  QToolButton* button = ToolButton(name, action->icon());
  button->setDefaultAction(action);
  return button;
}

QAction* ListedAction(QActionGroup* list, const char* name, TToolIcon icon) {
  auto* action = new QAction(ToolIcon(icon), QString(), list);
  action->setObjectName(name);
  list->addAction(action);
  return action;
}

// A menu item that triggers its action.
QAction* ActionItem(QMenu* menu, const char* name, QAction* action) {
  QAction* item = menu->addAction(action->icon(), QString());
  item->setObjectName(name);
  QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
  return item;
}

QToolButton* TextButton(const char* name, const QIcon& icon) {
  QToolButton* button = ToolButton(name, icon);
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  return button;
}

QLineEdit* LengthEdit(const char* name, const char* text) {
  auto* edit = Named<QLineEdit>(name, QString::fromLatin1(text));
  edit->setMaximumWidth(90);
  return edit;
}

// A label and its edit on one row of a grid.
void AddRow(QGridLayout* grid, int row, QLabel*& label, const char* labelName, QLineEdit* edit) {
  label = Named<QLabel>(labelName);
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
}

}  // namespace

void TForm1::MakeTopRowButtons() {
  QStyle* style = this->style();
  spcharge = ToolButton("spcharge", style->standardIcon(QStyle::SP_DialogOpenButton));
  spsauve = ToolButton("spsauve", style->standardIcon(QStyle::SP_DialogSaveButton));
  spbuttonnouveau = ToolButton("spbuttonnouveau", style->standardIcon(QStyle::SP_FileIcon));
  sbinfos = TextButton("sbinfos", style->standardIcon(QStyle::SP_MessageBoxInformation));
  spaide = TextButton("spaide", style->standardIcon(QStyle::SP_DialogHelpButton));
  Squitter = ToolButton("Squitter", style->standardIcon(QStyle::SP_DialogCloseButton));
  spexportclipboard = TextButton("spexportclipboard", style->standardIcon(QStyle::SP_DesktopIcon));
}

void TForm1::BuildTopRow(QHBoxLayout* row) {
  for (QToolButton* button : {spbuttonnouveau, spcharge, spsauve, spexportclipboard, sbinfos, spaide})
    row->addWidget(button);
  row->addStretch();
  row->addWidget(Squitter);
}

void TForm1::BuildActionList() {
  maction = new QActionGroup(this);
  maction->setObjectName("maction");
  maction->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
  maavantplan = ListedAction(maction, "maavantplan", TToolIcon::BringForward);
  maarriereplan = ListedAction(maction, "maarriereplan", TToolIcon::SendBackward);
  mazoomplus = ListedAction(maction, "mazoomplus", TToolIcon::ZoomIn);
  mazoommoins = ListedAction(maction, "mazoommoins", TToolIcon::ZoomOut);
  mazoompage = ListedAction(maction, "mazoompage", TToolIcon::ZoomPage);
}

void TForm1::BuildLabelToolBar(QVBoxLayout* layout) {
  spTexte = ToolButton("spTexte", ToolIcon(TToolIcon::Text));
  SpLigne = ToolButton("SpLigne", ToolIcon(TToolIcon::Line));
  SpCadre = ToolButton("SpCadre", ToolIcon(TToolIcon::Frame));
  SpImage = ToolButton("SpImage", ToolIcon(TToolIcon::Picture));
  spcodebarre = ToolButton("spcodebarre", ToolIcon(TToolIcon::Barcode));
  spzoomplus = ActionButton("spzoomplus", mazoomplus);
  spzoommoins = ActionButton("spzoommoins", mazoommoins);
  spzoompage = ActionButton("spzoompage", mazoompage);
  sparriereplan = ActionButton("sparriereplan", maarriereplan);
  sppremierplan = ActionButton("sppremierplan", maavantplan);
  auto* row = new QHBoxLayout;
  for (QToolButton* button : {spTexte, SpLigne, SpCadre, SpImage, spcodebarre}) row->addWidget(button);
  row->addSpacing(12);
  for (QToolButton* button : {spzoomplus, spzoommoins, spzoompage}) row->addWidget(button);
  row->addSpacing(12);
  for (QToolButton* button : {sparriereplan, sppremierplan}) row->addWidget(button);
  row->addStretch();
  layout->addLayout(row);
}

void TForm1::BuildLabelTab() {
  Tabparaetiquette = Named<QWidget>("Tabparaetiquette");
  auto* layout = new QVBoxLayout(Tabparaetiquette);
  BuildLabelToolBar(layout);

  gformatdocument = Named<QGroupBox>("gformatdocument");
  elargeur = LengthEdit("elargeur", "210");
  ehauteur = LengthEdit("ehauteur", "297");
  Comblistetailleetiquette = Named<TTemplateList>("Comblistetailleetiquette");
  auto* format = new QGridLayout(gformatdocument);
  AddRow(format, 0, Lablargeur, "Lablargeur", elargeur);
  AddRow(format, 1, labhauteur, "labhauteur", ehauteur);
  format->addWidget(Comblistetailleetiquette, 2, 0, 1, 2);

  auto* panelScroll = new QScrollArea;
  panelScroll->setWidget(panelcarshape);
  // The scroll area shows what it is given; the panel stays out of sight, and
  // out of the window's first showing, until a shape has the focus.
  panelcarshape->hide();
  panelScroll->setWidgetResizable(true);
  panelScroll->setFrameShape(QFrame::NoFrame);
  auto* left = new QVBoxLayout;
  left->addWidget(gformatdocument);
  left->addWidget(panelScroll, 1);
  auto* leftWidget = new QWidget;
  leftWidget->setLayout(left);
  leftWidget->setFixedWidth(300);
  left->setContentsMargins(0, 0, 0, 0);

  auto* body = new QHBoxLayout;
  body->addWidget(leftWidget);
  body->addLayout(FramedByRulers(), 1);
  layout->addLayout(body, 1);
}

QGridLayout* TForm1::FramedByRulers() {
  rsrCorner = Named<TRsRulerCorner>("rsrCorner");
  rsrCorner->setFixedSize(RulerThickness, RulerThickness);
  RsRuler1 = Named<TRsRuler>("RsRuler1");
  RsRuler1->setFixedHeight(RulerThickness);
  rsrLeft = Named<TRsRuler>("rsrLeft");
  rsrLeft->SetDirection(rdLeft);
  rsrLeft->setFixedWidth(RulerThickness);
  auto* grid = new QGridLayout;
  grid->setSpacing(0);
  grid->addWidget(rsrCorner, 0, 0);
  grid->addWidget(RsRuler1, 0, 1);
  grid->addWidget(rsrLeft, 1, 0);
  grid->addWidget(Fdocument, 1, 1);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(1, 1);
  Fdocument->SetRulerTop(RsRuler1);
  Fdocument->SetRulerLeft(rsrLeft);
  Fdocument->SetRulerCorner(rsrCorner);
  return grid;
}

void TForm1::BuildPrintGroup(QGridLayout* grid) {
  Gimprimante = Named<QGroupBox>("Gimprimante");
  CombImprimante = Named<QComboBox>("CombImprimante");
  chforcetaille = Named<QCheckBox>("chforcetaille");
  pagetypeimpression = Named<QTabWidget>("pagetypeimpression");
  tabimppage = Named<QWidget>("tabimppage");
  tabimpetiquette = Named<QWidget>("tabimpetiquette");
  enbpageaimprimer = LengthEdit("enbpageaimprimer", "1");
  enbetiquette = LengthEdit("enbetiquette", "1");
  enuetidebut = LengthEdit("enuetidebut", "1");
  auto* pages = new QGridLayout(tabimppage);
  AddRow(pages, 0, labnbpageaimprimer, "labnbpageaimprimer", enbpageaimprimer);
  pages->setRowStretch(1, 1);
  auto* labels = new QGridLayout(tabimpetiquette);
  AddRow(labels, 0, labnbetiquetteaimprimer, "labnbetiquetteaimprimer", enbetiquette);
  AddRow(labels, 1, labnuetiquettedeppermierepage, "labnuetiquettedeppermierepage", enuetidebut);
  labels->setRowStretch(2, 1);
  pagetypeimpression->addTab(tabimppage, QString());
  pagetypeimpression->addTab(tabimpetiquette, QString());
  SpImprime = Named<QPushButton>("SpImprime");
  auto* print = new QVBoxLayout(Gimprimante);
  print->addWidget(CombImprimante);
  print->addWidget(chforcetaille);
  print->addWidget(pagetypeimpression);
  print->addWidget(SpImprime);
  grid->addWidget(Gimprimante, 9, 0, 1, 2);
}

void TForm1::BuildPageTab() {
  TabParapage = Named<QWidget>("TabParapage");
  edPageWidth = LengthEdit("edPageWidth", "210");
  edPageHeight = LengthEdit("edPageHeight", "297");
  edOuterMarginX = LengthEdit("edOuterMarginX", "0");
  edOuterMarginY = LengthEdit("edOuterMarginY", "0");
  edBetweenMarginX = LengthEdit("edBetweenMarginX", "0");
  edBetweenMarginY = LengthEdit("edBetweenMarginY", "0");
  auto* grid = new QGridLayout;
  AddRow(grid, 0, lablargeurpage, "lablargeurpage", edPageWidth);
  AddRow(grid, 1, labhauteurpage, "labhauteurpage", edPageHeight);
  AddRow(grid, 2, labmargegauche, "labmargegauche", edOuterMarginX);
  AddRow(grid, 3, labmargehaute, "labmargehaute", edOuterMarginY);
  AddRow(grid, 4, labespacevertical, "labespacevertical", edBetweenMarginY);
  AddRow(grid, 5, labespacehorizontal, "labespacehorizontal", edBetweenMarginX);
  chorientation = Named<QCheckBox>("chorientation");
  grid->addWidget(chorientation, 6, 0, 1, 2);
  Spapercu = Named<QPushButton>("Spapercu");
  grid->addWidget(Spapercu, 7, 0, 1, 2);
  grid->setRowStretch(8, 1);
  BuildPrintGroup(grid);
  auto* left = new QWidget;
  left->setLayout(grid);
  left->setFixedWidth(360);
  auto* layout = new QHBoxLayout(TabParapage);
  layout->addWidget(left);
  layout->addWidget(docPrintPreview, 1);
}

void TForm1::BuildParametersTab() {
  Tabparametres = Named<QWidget>("Tabparametres");
  Groupunite = Named<QGroupBox>("Groupunite");
  raunitmm = Named<QRadioButton>("raunitmm", QStringLiteral("mm"));
  raunitinch = Named<QRadioButton>("raunitinch", QStringLiteral("inch"));
  raunitmm->setChecked(true);
  auto* units = new QVBoxLayout(Groupunite);
  units->addWidget(raunitmm);
  units->addWidget(raunitinch);
  auto* layout = new QVBoxLayout(Tabparametres);
  layout->addWidget(Groupunite);
  layout->addStretch();
  Groupunite->setMaximumWidth(300);

  tabutilitaires = new TCalculatorsTab;
  tabutilitaires->OnBuilt = [this] { PrepareCalculators(); };
  PageControl1 = Named<QTabWidget>("PageControl1");
  for (QWidget* tab : {Tabparaetiquette, TabParapage, static_cast<QWidget*>(tabutilitaires), Tabparametres})
    PageControl1->addTab(tab, QString());

  auto* background = Named<widgets::TDegradeClass>("degrade");
  background->SetStartColor(BackgroundTop);
  background->SetEndColor(BackgroundBottom);
  auto* topRow = new QHBoxLayout;
  BuildTopRow(topRow);
  auto* layoutAll = new QVBoxLayout(background);
  layoutAll->addLayout(topRow);
  layoutAll->addWidget(PageControl1, 1);
  setCentralWidget(background);
  statusBar()->setObjectName("StatusBar1");
}

void TForm1::BuildPopupMenu() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  mmettreanvantplan = ActionItem(PopupMenu1, "mmettreanvantplan", maavantplan);
  mmettreenarriereplan = ActionItem(PopupMenu1, "mmettreenarriereplan", maarriereplan);
  mb1 = PopupMenu1->addSeparator();
  mb1->setObjectName("mb1");
  mzoomplus = ActionItem(PopupMenu1, "mzoomplus", mazoomplus);
  mzoommoins = ActionItem(PopupMenu1, "mzoommoins", mazoommoins);
  mzoompleinepage = ActionItem(PopupMenu1, "mzoompleinepage", mazoompage);
  Fdocument->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TForm1::SizeWithinScreen() {
  const QSize room = screen()->availableGeometry().size() - FrameAllowance;
  resize(DesignSize.boundedTo(room));
}

}  // namespace app
