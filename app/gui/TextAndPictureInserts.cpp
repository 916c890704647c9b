// The label tab's text and picture inserts: the text button's menu of text
// kinds (ordinary, curved, multi-line), each placed by the next click, and
// the picture button, which asks for a picture file and places it by drag.

#include <QAction>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QStandardPaths>
#include <QToolButton>

#include "app/UiTexts.h"
#include "app/gui/Guarded.h"
#include "app/gui/MainWindow.h"
#include "app/gui/PanelControls.h"
#include "document/shapes/BitmapShape.h"
#include "document/editor/HandlePainter.h"
#include "document/text/PolygonText.h"
#include "document/text/TextShape.h"
#include "document/text/TransformText.h"
#include "document/control/Document.h"
#include "imaging/formats/RasterFormat.h"
#include "platform/qt/FileFilter.h"
#include "platform/rtl/Exception.h"

namespace app {

namespace {

constexpr char16_t DefaultText[] = u"Text";
constexpr float DefaultCurveAngle = 10.0f;  // degrees
constexpr float MemoFontPoints = 12.0f;
constexpr int DoubleClickToEditHint = 67;
constexpr int PictureDialogTitle = 68;


}  // namespace

std::unique_ptr<TdocShape> TForm1::NewTextShape(TTextKind kind) {
  switch (kind) {
    case tkText: {
      auto text = std::make_unique<TdocTextShape>();
      text->SetText(DefaultText);
      text->SetShowHint(true);
      text->SetAutoSize(true);
      text->Hint = pgloretlibmessage(DoubleClickToEditHint);
      return text;
    }
    case tkCurvedText: {
      auto curved = std::make_unique<TdocCurvedText>();
      curved->SetText(DefaultText);
      curved->SetCurveAngle(DefaultCurveAngle);
      return curved;
    }
    case tkMemo: {
      auto memo = std::make_unique<TdocPolygonMemo>();
      memo->SetFontPointSize(MemoFontPoints);
      memo->SetText(DefaultText);
      memo->SetShowHint(true);
      memo->Hint.clear();
      return memo;
    }
  }
  return nullptr;
}

void TForm1::InsertText(TTextKind kind) { Fdocument->Editor().InsertShapeByClick(NewTextShape(kind)); }

std::unique_ptr<TdocShape> TForm1::NewPictureShape(const std::string& fileName, TdocDocumentCore& label) {
  auto picture = std::make_unique<TdocBitmapShape>();
  // The label's picture budget is charged from the start: a picture it has
  // no room for is refused here, with the reason, and never shown, so the
  // label shows nothing it would not show again once saved and reopened.
  picture->SetDocument(&label);
  TdocBitmapResource& image = picture->GetImage();
  image.LoadFromFile(fileName);
  // An empty file loads as no picture at all: say so rather than place an
  // empty frame.
  TdocResourceAccess access(image);
  const std::shared_ptr<const TBitmap32> bitmap = image.GetSharedBitmap();
  if (bitmap == nullptr || bitmap->IsEmpty()) throw EInvalidGraphic("Bitmap image is not valid");
  return picture;
}

void TForm1::InsertPicture() {
  const QString fileName =
      QFileDialog::getOpenFileName(this, UiText(PictureDialogTitle),
                                   QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                   QtFileFilter(imaging::GetRasterFilterString()));
  if (fileName.isEmpty()) return;
  Fdocument->Editor().InsertShapeByDrag(NewPictureShape(fileName.toStdString(), Fdocument->Core()));
}

void TForm1::BuildTextMenu() {
  popupmenutypetexte = new QMenu(this);
  popupmenutypetexte->setObjectName("popupmenutypetexte");
  mmenutextenormal = popupmenutypetexte->addAction(QString());
  mmenutextecourbe = popupmenutypetexte->addAction(QString());
  mmenuMultiligne1 = popupmenutypetexte->addAction(QString());
}

void TForm1::ConnectTextAndPictureInserts() {
  // The menu pops up without a loop of its own: a click elsewhere closes it.
  connect(spTexte, &QToolButton::clicked, this, [this] { popupmenutypetexte->popup(QCursor::pos()); });
  for (auto [item, kind] : {std::pair{mmenutextenormal, tkText}, {mmenutextecourbe, tkCurvedText},
                            {mmenuMultiligne1, tkMemo}})
    connect(item, &QAction::triggered, this, GuardedSlot(this, [this, kind = kind] { InsertText(kind); }));
  connect(SpImage, &QToolButton::clicked, this, GuardedSlot(this, [this] { InsertPicture(); }));
}

void TForm1::ApplyTextInsertTexts() {
  mmenutextenormal->setText(UiText(129));
  mmenutextecourbe->setText(UiText(130));
  mmenuMultiligne1->setText(UiText(204));
}

}  // namespace app
