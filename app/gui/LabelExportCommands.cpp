// The label as an image: to the clipboard from the export dialog, or to a
// raster file in a format the raster registry writes.

#include <QFileDialog>
#include <QStandardPaths>
#include <QToolButton>

#include "app/LabelExport.h"
#include "app/UiTexts.h"
#include "app/gui/ExportImageDialog.h"
#include "app/gui/Guarded.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtText.h"
#include "app/gui/SheetPreview.h"
#include "app/shapes/BarcodeShape.h"
#include "app/gui/WaitCursor.h"
#include "document/editor/HandlePainter.h"
#include "document/page/Page.h"
#include "document/control/Document.h"
#include "platform/qt/Clipboard.h"

namespace app {

namespace {

constexpr int ExportToFile = 1;
constexpr int UiTextSaveAsImage = 161;

// The file the image goes to; empty when the user cancels. Only formats
// the raster registry can write are offered.
std::string AskImageFileName(QWidget* parent) {
  QFileDialog dialog(parent, UiText(UiTextSaveAsImage),
                     QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
                     QStringLiteral("JPG image (*.jpg);;BMP image (*.bmp)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("jpg"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

void TForm1::ConnectExportCommands() {
  fexportimage = new TExportImageDialog(this);
  fexportimage->OnExport = [this](int mode, int scale) { ExportLabelImage(mode, scale); };
  connect(spexportclipboard, &QToolButton::clicked, this, GuardedSlot(this, [this] { fexportimage->exec(); }));
}

void TForm1::ExportLabelImage(int mode, int scale) {
  TdocPage* label = Fdocument->Core().GetCurrentPage();
  if (!label) return;
  // A resolution, size or barcode that cannot be exported is refused before
  // asking for a file.
  LabelImageSize(label->GetPageWidth(), label->GetPageHeight(), scale);
  CheckBarcodesDrawable(*CopyLabelPage(*label), scale);
  std::string fileName;
  if (mode == ExportToFile) {
    fileName = AskImageFileName(this);
    if (fileName.empty()) return;
  }
  const TWaitCursor wait;
  const auto image = RenderLabelImage(docImprime->Core(), *label, scale);
  if (mode == ExportToFile)
    SaveLabelImage(*image, fileName, scale);
  else
    SetClipboardImage(image->GetHandle());
}

}  // namespace app
