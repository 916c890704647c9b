#pragma once
// Every stream of a document's container with its bytes, so a test can say
// exactly what an operation added, changed or left behind.

#include <map>
#include <string>

#include "platform/rtl/Stream.h"
#include "xml/storage/Storage.h"

namespace doctest {

inline std::map<std::string, std::string> ContainerStreams(TsdStorage& storage) {
  std::map<std::string, std::string> streams;
  for (int i = 0; i < storage.GetStreamCount(); ++i) {
    const std::string name = storage.GetStreamName(i);
    TMemoryStream bytes;
    storage.ReadStream(name, bytes);
    streams[name] = std::string(bytes.Bytes().begin(), bytes.Bytes().end());
  }
  return streams;
}

}  // namespace doctest
