#include "imaging/jpeg/JpegBigEndian.h"

#include "platform/rtl/Exception.h"

namespace jpeg {

std::uint8_t ReadByte(TStream& stream) {
  std::uint8_t value = 0;
  if (stream.Read(&value, 1) != 1) throw EInvalidGraphic("Jpeg segment truncated");
  return value;
}

std::uint16_t ReadWordBE(TStream& stream) {
  const std::uint16_t high = ReadByte(stream);
  return static_cast<std::uint16_t>(high << 8 | ReadByte(stream));
}

void WriteByte(TStream& stream, std::uint8_t value) { stream.WriteBuffer(&value, 1); }

void WriteWordBE(TStream& stream, std::uint16_t value) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
  stream.WriteBuffer(bytes, 2);
}

void RequireBytes(TStream& stream, std::int64_t size) {
  if (size < 0 || stream.Remaining() < size) throw EInvalidGraphic("Jpeg segment truncated");
}

}  // namespace jpeg
