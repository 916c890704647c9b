#include "platform/rtl/Exception.h"

namespace rtl {

void Assert(bool condition, const char* message) {
  if (!condition) throw EAssertionFailed(message);
}

}  // namespace rtl
