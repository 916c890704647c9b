#include "app/shapes/ShapesStartUp.h"

#include <mutex>

#include "app/UiTexts.h"
#include "app/shapes/BarcodeShape.h"
#include "document/shape/ClassRegistry.h"
#include "document/core/StartUp.h"
#include "document/text/PolygonText.h"

namespace {

int OutlineNoticeRow(TOutlineNotice notice) {
  switch (notice) {
    case TOutlineNotice::TextTooLong: return UiTextLongTextDrawnInPart;
    case TOutlineNotice::LabelBudgetSpent: return UiTextLabelOutlinesSpent;
    case TOutlineNotice::GlyphTooLarge: break;
  }
  return UiTextGlyphTooLarge;
}

std::string WordOutlineNotice(TOutlineNotice notice, std::int64_t first, std::int64_t second) {
  return WordedUiText(OutlineNoticeRow(notice), first, second);
}

}  // namespace

namespace app {

void StartUpShapes() {
  static std::once_flag once;
  std::call_once(once, [] {
    document::StartUp();
    RegisterShapeClass(TdocBarCodeShape::StaticClass());
    SetOutlineWording(&WordOutlineNotice);
  });
}

}  // namespace app
