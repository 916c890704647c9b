#include "imaging/startup/SubsystemStartUp.h"

#include <mutex>

#include "imaging/formats/BmpFormat.h"
#include "imaging/formats/HckGraphic.h"
#include "imaging/formats/HckImage.h"
#include "imaging/startup/CoreStartUp.h"
#include "imaging/jpeg/JpegGraphic.h"
#include "imaging/jpeg/JpegRasterFormat.h"

namespace imaging {
namespace {

// The order decides which format wins an extension or a file's content.
void RegisterRasterFormats() {
  TdocBmpFormat::Register();
  TdocJpgFormat::Register();
  THckImage::Register();
}

void RegisterGraphicClasses() {
  TsdJpegGraphic::Register();
  THckGraphic::Register();
}

}  // namespace

void StartUpSubsystem() {
  static std::once_flag once;
  std::call_once(once, [] {
    StartUp();
    RegisterRasterFormats();
    RegisterGraphicClasses();
  });
}

}  // namespace imaging
