#pragma once
// The sheet side of the main window: the template list, the sheet edits
// read in millimetres, the sheet preview and the printing of sheets.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/ExactLength.h"
#include "app/SheetLayout.h"
#include "app/SheetTemplates.h"

class QLineEdit;

namespace app {

class TForm1;

class TSheetTab {
public:
  explicit TSheetTab(TForm1& form);

  // Fills the template table and the list; selects the free A4 sheet.
  void pglomodelesplanche();
  // Puts the selected template's lengths into the edits.
  void pgloappliquemodele();
  const std::vector<Tmodeleplanche>& GetTemplates() const { return Templates; }

  // The edits as a set-up in millimetres.
  TSheetSetup CurrentSetup() const;
  // Raises ESheetLayout when the edits give no usable grid.
  int LabelsPerSheet() const;

  // Spapercu: composes the preview sheet and shows the label count in the
  // label-count edit.
  void Preview();

  // SpImprime: whole sheets or labels from a start label, by the tab shown.
  void Print();
  // The start label against the labels per sheet; a message box when it is
  // out of range.
  bool ValidateStartLabel();
  // False, after telling the user, when the edit holds a count below 1.
  bool ValidateCount(const QLineEdit* edit);
  void PrintLabels(int count, int start, bool force);
  void PrintPages(int sheets, bool force);
  bool GetPrinting() const { return Printing; }

  // Asks where the PDF printer writes; nothing when the user cancels. The
  // default shows a save dialog.
  std::function<std::optional<std::string>()> AskPdfFileName;

private:
  void Connect();
  // The invalid-entry message box with interface text textNumber.
  void WarnInvalidEntry(int textNumber);
  double Millimetres(QLineEdit* edit) const;
  void SetLength(QLineEdit* edit, double mm);
  void ApplyExactLabelSize();
  void UnitsSwitched(double newFactor);
  void PrintRun(const TLabelRun& run, bool force);

  TForm1& Form;
  std::vector<Tmodeleplanche> Templates;
  std::map<QLineEdit*, TExactLength> Exact;
  double ShownFactor = 1.0;
  bool Printing = false;
};

}  // namespace app
