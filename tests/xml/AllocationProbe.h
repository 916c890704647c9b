#pragma once
// Records the largest single allocation made through operator new, so a test
// can tell that nothing was sized by a field of a hostile file.

#include <cstddef>

namespace storage_test {

void ResetLargestAllocation();
std::size_t LargestAllocation();

}  // namespace storage_test
