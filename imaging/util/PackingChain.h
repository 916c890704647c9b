#pragma once
// The packing chain of stored raster planes (HCK pictures and bitmaps kept
// in XML documents): DeltaEncode, FrequencyPack, RlePack, FrequencyPack, and
// its inverse. Unpacking sizes every intermediate buffer from what the data
// states and checks it against what a genuine chain could produce, so lying
// data is refused before it can make it reserve much more than its own size.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging {

// Packs count bytes of source, which is left delta-encoded. Returns cPackOk
// or the failing stage's negative code.
int ChainPack(std::uint8_t* source, std::size_t count, std::vector<std::uint8_t>& packed);

// Unpacks sourceCount packed bytes that must stand for exactly count bytes
// into unpacked, which is sized only once the data has shown that it holds
// that many. Returns cPackCorrupt when the data is inconsistent or unpacks to
// another length.
int ChainUnpack(const std::uint8_t* source, std::size_t sourceCount, std::size_t count,
                std::vector<std::uint8_t>& unpacked);

}  // namespace imaging
