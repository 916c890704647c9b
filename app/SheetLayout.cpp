#include "app/SheetLayout.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Format.h"

namespace {

constexpr float TurnedAngle = 90.0f;

void RequireLength(float value, bool zeroAllowed, const char* what) {
  if (!std::isfinite(value) || value < 0 || (!zeroAllowed && value == 0))
    throw ESheetLayout(rtl::Format("Invalid sheet set-up: %s %g mm", what, static_cast<double>(value)));
}

void CheckSetup(const TSheetSetup& setup) {
  RequireLength(setup.SheetWidth, false, "sheet width");
  RequireLength(setup.SheetHeight, false, "sheet height");
  RequireLength(setup.LabelWidth, false, "label width");
  RequireLength(setup.LabelHeight, false, "label height");
  RequireLength(setup.MarginX, true, "margin");
  RequireLength(setup.MarginY, true, "margin");
  RequireLength(setup.SpacingX, true, "spacing");
  RequireLength(setup.SpacingY, true, "spacing");
}

// Cells across one side: only one outer margin is taken off, so the last
// cell may reach into the opposite margin; at least one cell.
int CellsAcross(float sheet, float margin, float spacing, float cell) {
  const float fit = std::trunc((sheet - 1.0f * margin + spacing) / (cell + spacing));
  if (!(fit <= TSheetGrid::MaxLabelsPerSheet))
    throw ESheetLayout(rtl::Format("More than %d labels on one sheet", TSheetGrid::MaxLabelsPerSheet));
  return std::max(static_cast<int>(fit), 1);
}

}  // namespace

TSheetGrid::TSheetGrid(const TSheetSetup& setup) : Setup(setup) {
  CheckSetup(setup);
  CellWidth = setup.Turned ? setup.LabelHeight : setup.LabelWidth;
  CellHeight = setup.Turned ? setup.LabelWidth : setup.LabelHeight;
  Columns = CellsAcross(setup.SheetWidth, setup.MarginX, setup.SpacingX, CellWidth);
  Rows = CellsAcross(setup.SheetHeight, setup.MarginY, setup.SpacingY, CellHeight);
  if (Columns * Rows > MaxLabelsPerSheet)
    throw ESheetLayout(rtl::Format("More than %d labels on one sheet", MaxLabelsPerSheet));
}

TSheetCell TSheetGrid::Cell(int index) const {
  const int row = index / Columns;
  const int column = index % Columns;
  TSheetCell cell;
  cell.Left = Setup.MarginX + column * (CellWidth + Setup.SpacingX);
  const float rowOffset = row * (CellHeight + Setup.SpacingY);
  if (Setup.Turned) {
    // A shape turned by 90 degrees about its origin reaches up from it.
    cell.Top = Setup.SheetHeight - Setup.MarginY - rowOffset;
    cell.Angle = TurnedAngle;
    cell.Area = {cell.Left, cell.Top - CellHeight, cell.Left + CellWidth, cell.Top};
  } else {
    cell.Top = Setup.MarginY + rowOffset;
    cell.Area = {cell.Left, cell.Top, cell.Left + CellWidth, cell.Top + CellHeight};
  }
  return cell;
}

int LabelsPerSheet(const TSheetSetup& setup) { return TSheetGrid(setup).GetCount(); }

TLabelRun WholeSheets(std::int64_t sheets, int perSheet) { return {std::max<std::int64_t>(sheets, 0) * perSheet, 1}; }

std::int64_t SheetCount(const TLabelRun& run, int perSheet) {
  if (run.Count <= 0 || perSheet <= 0) return 0;
  return (run.Count - 1 + run.Start - 1) / perSheet + 1;
}

std::vector<int> PrintedCells(const TLabelRun& run, int perSheet, std::int64_t sheet) {
  std::vector<int> cells;
  const std::int64_t first = sheet * perSheet + 1;  // the label position of the sheet's first cell
  for (int cell = 0; cell < perSheet; ++cell) {
    const std::int64_t position = first + cell;
    if (position >= run.Start && position < run.Start + run.Count) cells.push_back(cell);
  }
  return cells;
}
