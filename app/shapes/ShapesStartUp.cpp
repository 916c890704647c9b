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

// A language file of an older program has no such row: the engine's English
// stands in (an empty text).
std::string WordLongText(std::int64_t length, std::int64_t limit) {
  const std::string format = pgloretlibmessage(UiTextLongTextDrawnInPart);
  if (format.empty()) return {};
  try {
    return rtl::Format(format, length, limit);
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
    SetLongTextWording(&WordLongText);
  });
}

}  // namespace app
