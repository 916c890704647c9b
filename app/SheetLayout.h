#pragma once
// The grid of labels on a sheet, shared by the preview and printing: how
// many columns and rows fit, where each cell's label page lies and which
// cells a print run fills.

#include <cstdint>
#include <vector>

#include "platform/rtl/Exception.h"

RTL_DECLARE_EXCEPTION(ESheetLayout, Exception);

// The sheet set-up in millimetres.
struct TSheetSetup {
  float SheetWidth = 210.0f;
  float SheetHeight = 297.0f;
  float LabelWidth = 210.0f;
  float LabelHeight = 297.0f;
  float MarginX = 0;   // left; the right one is the same
  float MarginY = 0;   // top; the bottom one is the same
  float SpacingX = 0;  // between columns
  float SpacingY = 0;  // between rows
  bool Turned = false;  // labels turned a quarter counter-clockwise
};

// A rectangle on the sheet in millimetres.
struct TSheetArea {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Where the label page of one cell goes: its origin and angle as a shape on
// the sheet page, and the area it covers.
struct TSheetCell {
  float Left = 0;
  float Top = 0;
  float Angle = 0;
  TSheetArea Area;
};

class TSheetGrid {
public:
  // More labels than this on one sheet are refused rather than composed.
  static constexpr int MaxLabelsPerSheet = 2500;

  // Raises ESheetLayout for lengths that are not finite, sheet or label
  // sides that are not above 0, negative margins or spacings, and grids of
  // more than MaxLabelsPerSheet cells.
  explicit TSheetGrid(const TSheetSetup& setup);

  int GetColumns() const { return Columns; }
  int GetRows() const { return Rows; }
  int GetCount() const { return Columns * Rows; }
  // The cell's size on the sheet: the label's, its sides exchanged when turned.
  float GetCellWidth() const { return CellWidth; }
  float GetCellHeight() const { return CellHeight; }
  // Cells in rows from the first, each row from the left; turned labels
  // fill the rows from the bottom of the sheet up.
  TSheetCell Cell(int index) const;

private:
  TSheetSetup Setup;
  float CellWidth = 0;
  float CellHeight = 0;
  int Columns = 1;
  int Rows = 1;
};

// The number of labels on one sheet, counted on the grid that is printed.
int LabelsPerSheet(const TSheetSetup& setup);

// A print run: Count labels from label position Start (1-based) of the first
// sheet on, through as many sheets as they take.
struct TLabelRun {
  std::int64_t Count = 0;
  std::int64_t Start = 1;
};

// The run of whole sheets: every cell of each.
TLabelRun WholeSheets(std::int64_t sheets, int perSheet);
// Sheets the run takes; 0 when it has no label.
std::int64_t SheetCount(const TLabelRun& run, int perSheet);
// The cells (0-based) of sheet (0-based) that get a label.
std::vector<int> PrintedCells(const TLabelRun& run, int perSheet, std::int64_t sheet);
