#include "platform/gdi/Graphic.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

void TGraphic::LoadFromStream(TStream&) {
  throw EInvalidGraphic(rtl::Format("A %s cannot be read from a stream", ClassName()));
}

void TGraphic::WriteData(TStream&) {
  throw EInvalidGraphic(rtl::Format("A %s cannot be written to a stream", ClassName()));
}
