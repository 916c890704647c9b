// ApplyUITexts: every caption, hint and list text of the main window from
// the text service, once, at first activation.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "app/UiTexts.h"
#include "app/gui/CalculatorsTab.h"
#include "app/gui/CaptionRoom.h"
#include "app/gui/ExportImageDialog.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtText.h"
#include "widgets/UniEdit.h"

namespace app {

namespace {

template <class W>
void SetCaptions(int number, std::initializer_list<W*> controls) {
  for (W* control : controls) control->setText(UiText(number));
}

void SetTitles(int number, std::initializer_list<QGroupBox*> groups) {
  for (QGroupBox* group : groups) group->setTitle(UiText(number));
}

void SetHint(int number, QWidget* control) { control->setToolTip(UiText(number)); }

// An action's text is its tool button's hint; its menu item's caption is
// the same text.
void SetHintAndMenu(int number, QAction* action, QAction* item) {
  action->setText(UiText(number));
  action->setToolTip(UiText(number));
  item->setText(UiText(number));
}

}  // namespace

void TForm1::ApplyUITexts() {
  SetHint(1, spcharge);
  SetHint(2, spsauve);
  SetCaptions<QToolButton>(4, {sbinfos});
  SetCaptions<QToolButton>(6, {spaide});
  SetHint(32, Squitter);
  SetHint(190, spbuttonnouveau);
  ApplyTabTexts();
  ApplyLabelTabTexts();
  ApplyPageTabTexts();
  if (tabutilitaires->IsBuilt()) tabutilitaires->ApplyUITexts();
  fexportimage->ApplyUITexts();
  spexportclipboard->setText(UiText(UiTextClipboardButton));
  FitCaptionsToRoom(*this);
}

void TForm1::ApplyTabTexts() {
  PageControl1->setTabText(PageControl1->indexOf(Tabparaetiquette), UiText(8));
  PageControl1->setTabText(PageControl1->indexOf(TabParapage), UiText(11));
  PageControl1->setTabText(PageControl1->indexOf(Tabparametres), UiText(10));
  PageControl1->setTabText(PageControl1->indexOf(tabutilitaires), UiText(186));
  SetTitles(179, {Groupunite});
}

void TForm1::ApplyLabelTabTexts() {
  SetCaptions<QLabel>(12, {Lablargeur});
  SetCaptions<QLabel>(13, {labhauteur});
  SetHintAndMenu(39, maarriereplan, mmettreenarriereplan);
  SetHintAndMenu(40, maavantplan, mmettreanvantplan);
  SetHintAndMenu(41, mazoomplus, mzoomplus);
  SetHintAndMenu(44, mazoommoins, mzoommoins);
  SetHintAndMenu(45, mazoompage, mzoompleinepage);
  SetHint(46, spTexte);
  SetHint(47, SpLigne);
  SetHint(48, SpCadre);
  SetHint(49, SpImage);
  SetHint(50, spcodebarre);
  SetTitles(127, {gformatdocument});
  ApplyTextInsertTexts();
  if (panelcarshape->IsBuilt()) ApplyPanelTexts();
}

void TForm1::ApplyPanelTexts() {
  TPropertyPanel& p = *panelcarshape;
  SetCaptions<QLabel>(12, {p.labxx});
  SetCaptions<QLabel>(13, {p.labyy});
  SetCaptions<QLabel>(22, {p.labepaisseurligne});
  SetCaptions<QLabel>(23, {p.labcouleurtextecodebarre, p.labcouleurligne});
  SetCaptions<QLabel>(24, {p.labtypecodebarre});
  SetCaptions<QLabel>(25, {p.labcouleurcodebarre});
  SetCaptions<QLabel>(26, {p.labvaleurcodebarre});
  SetTitles(27, {p.grouptextecodebarre});
  SetCaptions<QCheckBox>(28, {p.chcb1affichertexte});
  SetCaptions<QLabel>(29, {p.labpositiontextecodebarre});
  SetCaptions<QLabel>(30, {p.labpolicetextecodebarre});
  SetCaptions<QLabel>(31, {p.labtailletextecodebarre});
  SetCaptions<QLabel>(33, {p.labepaisseurcadre});
  SetCaptions<QLabel>(34, {p.labcouleurcadre});
  SetCaptions<QCheckBox>(35, {p.Chremplircadre});
  SetCaptions<QLabel>(36, {p.labcouleurfondcadre});
  SetCaptions<QLabel>(128, {p.labangle});
  SetCaptions<QLabel>(UiTextOpacity, {p.labtransparence, p.labfondtransparence});
  p.TextPages->ApplyUITexts();
  FitCaptionsToRoom(p);
}

void TForm1::ApplyPageTabTexts() {
  SetCaptions<QLabel>(14, {lablargeurpage});
  SetCaptions<QLabel>(15, {labhauteurpage});
  SetCaptions<QLabel>(16, {labmargegauche});
  SetCaptions<QLabel>(17, {labmargehaute});
  SetCaptions<QLabel>(18, {labespacevertical});
  SetCaptions<QLabel>(19, {labespacehorizontal});
  SetCaptions<QLabel>(20, {labnbetiquetteaimprimer});
  SetCaptions<QLabel>(21, {labnuetiquettedeppermierepage});
  SetCaptions<QPushButton>(51, {SpImprime});
  SetTitles(52, {Gimprimante});
  SetCaptions<QPushButton>(53, {Spapercu});
  SetCaptions<QCheckBox>(191, {chforcetaille});
  SetCaptions<QCheckBox>(192, {chorientation});
  pagetypeimpression->setTabText(0, UiText(193));
  pagetypeimpression->setTabText(1, UiText(194));
  SetCaptions<QLabel>(195, {labnbpageaimprimer});
}

}  // namespace app
