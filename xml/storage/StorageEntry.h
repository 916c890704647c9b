#pragma once
// One directory entry of the container: a named run of bytes either in the
// backing store or still in the read-only source file.

#include <cstdint>
#include <string>

struct TStorageEntry {
  std::string Name;
  bool InSource = false;       // the bytes still lie in the source file
  std::int64_t Position = 0;   // absolute byte position in its stream
  std::int64_t Size = 0;
};
