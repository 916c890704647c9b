#include "platform/rtl/BufferedReader.h"

#include <algorithm>

#include "platform/rtl/Exception.h"

namespace rtl {

void TBufferedReader::Read(void* dest, std::int64_t count) {
  if (count < 0 || count > Left()) throw EReadError("Stream read error");
  auto* out = static_cast<std::uint8_t*>(dest);
  while (count > 0) {
    if (Pos < BufferStart || Pos >= BufferStart + static_cast<std::int64_t>(Buffer.size())) Fill();
    const std::int64_t offset = Pos - BufferStart;
    const std::int64_t n = std::min(count, static_cast<std::int64_t>(Buffer.size()) - offset);
    std::copy_n(Buffer.data() + offset, n, out);
    out += n;
    Pos += n;
    count -= n;
  }
}

void TBufferedReader::Fill() {
  BufferStart = Pos;
  Buffer.resize(static_cast<std::size_t>(std::min(BufferSize, Left())));
  Stream.SetPosition(Start + Pos);
  Stream.ReadBuffer(Buffer.data(), static_cast<std::int64_t>(Buffer.size()));
}

}  // namespace rtl
