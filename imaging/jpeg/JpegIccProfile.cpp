#include "imaging/jpeg/JpegIccProfile.h"

#include <algorithm>

#include "platform/rtl/Exception.h"

namespace {
constexpr std::size_t kHeaderSize = 14;
const char kSignature[] = "ICC_PROFILE";  // with its terminating zero: 12 bytes
}  // namespace

void TsdJpegICCProfile::ReadFromMarkers(const TsdJpegMarkerList& list) {
  std::vector<const TsdICCProfileMarker*> chunks;
  for (int i = 0; i < list.Count(); ++i) {
    const auto* chunk = dynamic_cast<const TsdICCProfileMarker*>(list[i]);
    if (chunk && chunk->IsValid()) chunks.push_back(chunk);
  }
  std::stable_sort(chunks.begin(), chunks.end(),
                   [](const auto* a, const auto* b) { return a->ChunkNumber() < b->ChunkNumber(); });
  Data.clear();
  for (const TsdICCProfileMarker* chunk : chunks)
    Data.insert(Data.end(), chunk->GetData().begin() + kHeaderSize, chunk->GetData().end());
}

void TsdJpegICCProfile::WriteToMarkers(TsdJpegMarkerList& list, TsdJpegCodingInfo* info) const {
  const std::size_t count = (Data.size() + kChunkSize - 1) / kChunkSize;
  if (count > kMaxChunks) throw EInvalidGraphic("ICC profile too large for a jpeg file");
  list.RemoveMarkers({jpeg::mkAPP2});
  const int at = std::min(list.Count(), 2);
  for (std::size_t i = count; i >= 1; --i) {
    const std::size_t begin = (i - 1) * kChunkSize;
    const std::size_t end = std::min(Data.size(), begin + kChunkSize);
    std::vector<std::uint8_t> payload(kSignature, kSignature + sizeof(kSignature));
    payload.push_back(static_cast<std::uint8_t>(i));
    payload.push_back(static_cast<std::uint8_t>(count));
    payload.insert(payload.end(), Data.begin() + static_cast<std::ptrdiff_t>(begin),
                   Data.begin() + static_cast<std::ptrdiff_t>(end));
    auto marker = std::make_unique<TsdICCProfileMarker>(info, jpeg::mkAPP2);
    marker->SetData(std::move(payload));
    list.Insert(at, std::move(marker));
  }
}
