#include "platform/gdi/FontConfigWarmUp.h"

#include <fontconfig/fontconfig.h>

#include "platform/rtl/Exception.h"

namespace gdi {

namespace {

TFontConfigWarmUp* Running = nullptr;

}  // namespace

TFontConfigWarmUp::TFontConfigWarmUp() {
  if (Running != nullptr) throw EInvalidOperation("The font configuration is being read already");
  // A failure leaves the configuration unread: the first text then tries again.
  Reader = std::thread([] { FcInit(); });
  Running = this;
}

TFontConfigWarmUp::~TFontConfigWarmUp() {
  Await();
  Running = nullptr;
}

void TFontConfigWarmUp::Await() {
  if (Reader.joinable()) Reader.join();
}

void AwaitFontConfigWarmUp() {
  if (Running != nullptr) Running->Await();
}

}  // namespace gdi
