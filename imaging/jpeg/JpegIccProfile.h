#pragma once
// An ICC colour profile carried in APP2 chunks of at most 60000 bytes each.

#include <cstdint>
#include <vector>

#include "imaging/jpeg/JpegMarkers.h"

class TsdJpegICCProfile {
public:
  // Gathers the valid chunks in chunk-number order; empty when there are none.
  void ReadFromMarkers(const TsdJpegMarkerList& list);
  // Replaces every APP2 segment of the list with the chunks of this profile.
  void WriteToMarkers(TsdJpegMarkerList& list, TsdJpegCodingInfo* info) const;

  const std::vector<std::uint8_t>& GetData() const { return Data; }
  void SetData(std::vector<std::uint8_t> data) { Data = std::move(data); }

  static constexpr std::size_t kChunkSize = 60000;
  static constexpr std::size_t kMaxChunks = 255;  // the chunk number is one byte

private:
  std::vector<std::uint8_t> Data;
};
