#include "app/gui/SheetPreview.h"

#include "app/shapes/BarcodeShape.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "xml/XmlDocument.h"

namespace app {

std::unique_ptr<TdocPage> CopyLabelPage(const TdocPage& label) {
  TXmlDocument xml;
  TXmlNode& node = *xml.GetRoot();
  label.SaveToXml(node);
  auto copy = std::make_unique<TdocPage>();
  copy->LoadFromXml(&node);
  NudgeBarcodeAngles(*copy);
  return copy;
}

void BuildPreviewSheet(TdocDocument& preview, const TdocPage& label, const TSheetSetup& setup,
                       double printDotsPerMm) {
  const TSheetGrid grid(setup);
  CheckBarcodesDrawable(*CopyLabelPage(label), printDotsPerMm);
  TdocDocumentCore& core = preview.Core();
  // A fresh document: its one page is the empty sheet.
  core.New();
  TdocPage* sheet = core.GetCurrentPage();
  if (!sheet) return;
  sheet->SetPageWidth(setup.SheetWidth);
  sheet->SetPageHeight(setup.SheetHeight);
  sheet->SetMarginLeft(setup.MarginX);
  sheet->SetMarginRight(setup.MarginX);
  sheet->SetMarginTop(setup.MarginY);
  sheet->SetMarginBottom(setup.MarginY);
  preview.ZoomPageWidth();
  auto update = core.UpdateBracket();
  for (int index = 0; index < grid.GetCount(); ++index) {
    const TSheetCell cell = grid.Cell(index);
    std::unique_ptr<TdocPage> copy = CopyLabelPage(label);
    copy->SetDocFrame(cell.Left, cell.Top, label.GetPageWidth(), label.GetPageHeight(), cell.Angle);
    TdocPage& placed = *copy;
    core.AddShape(std::move(copy));
    placed.SetMarginLeft(0);
    placed.SetMarginTop(0);
    placed.SetMarginRight(0);
    placed.SetMarginBottom(0);
  }
}

}  // namespace app
