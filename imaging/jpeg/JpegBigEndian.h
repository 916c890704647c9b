#pragma once
// Big-endian field I/O of JPEG segments. Reads raise EInvalidGraphic when a
// segment ends before the field, so a lying length gives a clear error.

#include <cstdint>

#include "platform/rtl/Stream.h"

namespace jpeg {

std::uint8_t ReadByte(TStream& stream);
std::uint16_t ReadWordBE(TStream& stream);
void WriteByte(TStream& stream, std::uint8_t value);
void WriteWordBE(TStream& stream, std::uint16_t value);

// Raises EInvalidGraphic "Jpeg segment truncated" unless size bytes remain.
void RequireBytes(TStream& stream, std::int64_t size);

}  // namespace jpeg
