#pragma once
// panelcarshape: the property panel of the label tab. It shows the focused
// shape of the label document (ShapeToPanel) and writes every edit back into
// it, one group of fields at a time (PanelToShape). Two flags stop the two
// directions from feeding each other: while the panel is being filled its
// change handlers write nothing, and while a group is being written the
// shape's change events do not refill the panel.
//
// Pages exist for the shape classes the label commands create: the three
// kinds of text (TextPanelPages.h), barcode, line and frame; a picture
// shows no page. The panel is hidden while no shape has the focus, so its
// controls are built for the first focused shape, not with the window.

#include <functional>
#include <memory>
#include <string>

#include <QWidget>

#include "app/gui/TextPanelPages.h"

class QSlider;
class TdocDocument;

namespace app {

// Flags the main window resets on every activation.
struct TPanelFlags {
  bool PanelSync = true;     // panel and shape may be synchronised
  bool PanelWriting = false;  // PanelToShape is running
};

enum TPanelGroup { pgGeometry = 0, pgText = 1, pgLine = 2, pgBarcode = 3, pgFrame = 4, pgCurvedText = 5, pgMemo = 6 };

class TPropertyPanel : public QWidget {
public:
  TPropertyPanel(TdocDocument& document, TPanelFlags& flags, QWidget* parent = nullptr);

  // Millimetres per panel length unit: 25.4 in inch mode, else 1.
  std::function<double()> LengthFactor = [] { return 1.0; };
  // Something about a barcode value the user should know (empty: all well).
  std::function<void(const std::string& message)> OnNotice;

  // Both show what goes wrong in a message box, never raise.
  void PanelToShape(int group);
  void ShapeToPanel();
  // The focus shape of the label document while it is also selected, else
  // the one selected shape when only one is.
  TdocShape* FocusedShape() const;
  // The barcode type list back to its first item, without writing it.
  void ResetBarcodeTypeList();

  // The controls are built when a shape first has the focus: the panel is
  // out of sight until then, and the controls below are null.
  bool IsBuilt() const { return Built; }
  void EnsureBuilt();
  // Called once the controls exist, for the window to give them its texts,
  // lists and font.
  std::function<void()> OnBuilt;

  // ---- controls, named as the texts and tests address them
  QLabel* labx = nullptr;
  QLabel* laby = nullptr;
  QLabel* labxx = nullptr;
  QLabel* labyy = nullptr;
  QLineEdit* eshapex = nullptr;
  QLineEdit* eshapey = nullptr;
  QLineEdit* eshapexx = nullptr;
  QLineEdit* eshapeyy = nullptr;
  QLabel* labangle = nullptr;
  QComboBox* eshapeorientation = nullptr;
  QLabel* labtransparence = nullptr;
  QSlider* trbAlpha = nullptr;
  QLabel* labvaleurtransparence = nullptr;
  QStackedWidget* pagecontrolcarshape = nullptr;

  QWidget* tabcb = nullptr;
  QLabel* labtypecodebarre = nullptr;
  QComboBox* combcb1type = nullptr;
  QLabel* labvaleurcodebarre = nullptr;
  widgets::TUniEdit* edtcbvaleur = nullptr;
  QLabel* labcouleurcodebarre = nullptr;
  widgets::TColorPickerButton* colorbarrecodebarre = nullptr;
  QGroupBox* grouptextecodebarre = nullptr;
  QCheckBox* chcb1affichertexte = nullptr;
  QLabel* labpositiontextecodebarre = nullptr;
  QComboBox* combcb1texteposition = nullptr;
  QLabel* labpolicetextecodebarre = nullptr;
  QComboBox* edtextepolicecodebarre = nullptr;
  QLabel* labcouleurtextecodebarre = nullptr;
  widgets::TColorPickerButton* colortextecodebarre = nullptr;
  QLabel* labtailletextecodebarre = nullptr;
  QComboBox* edtextetaillepolicecodebarre = nullptr;

  QWidget* tabdtligne = nullptr;
  QLabel* labepaisseurligne = nullptr;
  QLineEdit* edtepaisseurligne = nullptr;
  QLabel* labcouleurligne = nullptr;
  widgets::TColorPickerButton* colorligne1 = nullptr;

  QWidget* tabcadre = nullptr;
  QLabel* labepaisseurcadre = nullptr;
  QLineEdit* edtepaisseurlignecadre = nullptr;
  QLabel* labcouleurcadre = nullptr;
  widgets::TColorPickerButton* colorlignecadre = nullptr;
  QCheckBox* Chremplircadre = nullptr;
  QLabel* labcouleurfondcadre = nullptr;
  widgets::TColorPickerButton* clcouleurremplissagecadre = nullptr;
  QLabel* labfondtransparence = nullptr;
  QSlider* trbcadrefondtransparence = nullptr;
  QLabel* labcadrefondtransparence = nullptr;

  // tabdttext, Tabtextecourbe, tabdtmemo
  std::unique_ptr<TTextPanelPages> TextPages;

private:
  void BuildCommon();
  // An empty page of the kind pages.
  QWidget* NewPage(const char* name);
  void BuildBarcodePage();
  void BuildLinePage();
  void BuildFramePage();
  void ConnectHandlers();
  void ConnectBarcodeHandlers();
  void ConnectFrameAndLineHandlers();

  void WriteGroup(int group);
  void ShowFocusedShape();
  void WriteGeometry(TdocShape& shape);
  void WriteBarcode(TdocShape& shape);
  void WriteLine(TdocShape& shape);
  void WriteFrame(TdocShape& shape);
  void ShowGeometry(TdocShape& shape);
  // The four position edits from the shape's frame.
  void ShowPosition(TdocShape& shape);
  void ShowWrittenFrame();
  void ShowBarcode(TdocShape& shape);
  void ShowLine(TdocShape& shape);
  void ShowFrame(TdocShape& shape);

  // The EAN rule: EAN-8 and EAN-13 show their digits bottom left.
  void ApplyEanRule();
  void ShowBarcodeTextControls(bool visible);
  void Notify(const std::string& message);

  TdocDocument& Document;
  TPanelFlags& Flags;
  bool Built = false;
};

}  // namespace app
