#include "app/shapes/ShapesStartUp.h"

#include <mutex>

#include "app/UiTexts.h"
#include "app/shapes/BarcodeShape.h"
#include "document/shape/ClassRegistry.h"
#include "document/core/StartUp.h"
#include "document/text/PolygonText.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

int OutlineNoticeRow(TOutlineNotice notice) {
  switch (notice) {
    case TOutlineNotice::TextTooLong: return UiTextLongTextDrawnInPart;
    case TOutlineNotice::LabelBudgetSpent: return UiTextLabelOutlinesSpent;
    case TOutlineNotice::GlyphTooLarge: break;
  }
  return UiTextGlyphTooLarge;
}

// A language file of an older program has no such row: the engine's English
// stands in (an empty text).
std::string WordOutlineNotice(TOutlineNotice notice, std::int64_t first, std::int64_t second) {
  const std::string format = pgloretlibmessage(OutlineNoticeRow(notice));
  if (format.empty()) return {};
  try {
    return rtl::Format(format, first, second);
  } catch (const Exception&) {
    return {};  // a translated row whose directives do not fit
  }
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
