#include "imaging/jpeg/JpegScanBudget.h"

#include <mutex>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace jpeg {
namespace {

std::mutex ScanWordingMutex;
TScanRefusalWording& ScanWording() {
  static TScanRefusalWording wording;
  return wording;
}

std::string EnglishScanRefusal(TScanRefusal kind, int count, int limit) {
  if (kind == TScanRefusal::Scans)
    return rtl::Format("The JPEG picture is not loaded: it has %d scans of one component, and a picture may have at "
                       "most %d",
                       count, limit);
  return rtl::Format("The JPEG picture is not loaded: its scans ask for %d coefficient passes over one component, "
                     "and a picture may ask for at most %d",
                     count, limit);
}

}  // namespace

void SetScanRefusalWording(TScanRefusalWording wording) {
  std::lock_guard lock(ScanWordingMutex);
  ScanWording() = std::move(wording);
}

std::string ScanRefusalText(TScanRefusal kind, int count, int limit) {
  TScanRefusalWording wording;
  {
    std::lock_guard lock(ScanWordingMutex);
    wording = ScanWording();
  }
  std::string text = wording ? wording(kind, count, limit) : std::string();
  return text.empty() ? EnglishScanRefusal(kind, count, limit) : text;
}

void TScanBudget::Charge(const TsdJpegCodingInfo& info) {
  const int band = info.SE - info.SS + 1;
  for (const TsdScanComponent& component : info.ScanComponents) {
    const auto c = static_cast<std::size_t>(component.Component);
    const int scans = ++Scans[c];
    const int passes = CoefficientPasses[c] += band;
    if (scans > kMaxScansPerComponent)
      throw EInvalidGraphic(ScanRefusalText(TScanRefusal::Scans, scans, kMaxScansPerComponent));
    if (passes > kMaxCoefficientPasses)
      throw EInvalidGraphic(ScanRefusalText(TScanRefusal::CoefficientPasses, passes, kMaxCoefficientPasses));
  }
}

}  // namespace jpeg
