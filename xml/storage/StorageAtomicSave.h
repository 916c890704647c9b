#pragma once
// Replacing a file so that a failure at any step leaves the old file whole:
// the new content goes to a temporary file in the same folder, which is
// synced and then renamed over the old one.

#include <functional>
#include <string>

#include "platform/rtl/Stream.h"

namespace xml {

// Lets write fill a new file and puts it in place of fileName (through a
// symbolic link, the file it points to). The temporary file is removed when
// any step fails; the old file keeps its content and its permission bits
// pass to the new one.
void SaveFileAtomically(const std::string& fileName, const std::function<void(TStream&)>& write);

}  // namespace xml
