#pragma once
// Bit-level reading and writing of entropy-coded JPEG data: byte stuffing
// (0xFF 0x00), markers that end the data, and padding with 1-bits.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/rtl/Stream.h"

// Reads bits from a buffer, most significant first, through a 64-bit window.
// Past the data (a marker or the end of the buffer) it delivers 0-bits and
// counts how many it invented; taking them marks the end of data.
class TsdBitReader {
public:
  TsdBitReader(const std::uint8_t* data, std::size_t size, std::size_t position)
      : Data(data), Size(size), Position(position) {}

  // Tops the window up to at least 57 bits unless a marker or the end stops it.
  void Fill() {
    if (Count <= 56 && Count >= 0 && !MarkerHit && Size - Position >= 8 && FillWholeBytes()) return;
    while (Count <= 56 && Count >= 0 && !MarkerHit && Position < Size) {
      std::uint8_t value = Data[Position];
      if (value == 0xFF) {
        if (!StuffedByteFollows()) return;
      } else {
        ++Position;
      }
      Window |= std::uint64_t{value} << (56 - Count);
      Count += 8;
    }
  }
  std::uint32_t Peek(int bits) const { return static_cast<std::uint32_t>(Window >> (64 - bits)); }
  void Skip(int bits) {
    Window <<= bits;
    Count -= bits;
  }
  std::uint32_t Get(int bits) {
    const std::uint32_t value = Peek(bits);
    Skip(bits);
    return value;
  }
  int Available() const { return Count; }
  // Drops every bit of the window, however full (Skip takes fewer than 64).
  void DropWindow() {
    Window = 0;
    Count = 0;
  }
  // Bits were taken that the data did not hold.
  bool EndOfData() const { return Count < 0; }
  // Drops the window after a restart marker and goes on at position.
  void Reset(std::size_t position) {
    Window = 0;
    Count = 0;
    MarkerHit = false;
    MarkerCode = 0;
    Position = position;
  }

  bool MarkerHit = false;
  std::uint8_t MarkerCode = 0;
  // The next byte not yet in the window (the 0xFF of a marker once one is hit).
  std::size_t GetPosition() const { return Position; }

  // Everything needed to go on reading later from this very bit.
  struct TState {
    std::size_t Position = 0;
    std::uint64_t Window = 0;
    int Count = 0;
    bool MarkerHit = false;
    std::uint8_t MarkerCode = 0;
  };
  TState Save() const { return {Position, Window, Count, MarkerHit, MarkerCode}; }
  void Restore(const TState& state) {
    Position = state.Position;
    Window = state.Window;
    Count = state.Count;
    MarkerHit = state.MarkerHit;
    MarkerCode = state.MarkerCode;
  }

private:
  // Takes as many whole bytes as fit from the next eight when none of them
  // is 0xFF (no stuffing, no marker): the common case, done in one step.
  bool FillWholeBytes() {
    std::uint64_t next = 0;
    for (int i = 0; i < 8; ++i) next = next << 8 | Data[Position + static_cast<std::size_t>(i)];
    const std::uint64_t inverted = ~next;
    constexpr std::uint64_t kLow = 0x0101010101010101u, kHigh = 0x8080808080808080u;
    if ((inverted - kLow) & ~inverted & kHigh) return false;  // some byte is 0xFF
    const int bytes = (64 - Count) / 8;
    Window |= next >> (64 - 8 * bytes) << (64 - Count - 8 * bytes);
    Count += 8 * bytes;
    Position += static_cast<std::size_t>(bytes);
    return true;
  }

  // At a 0xFF: consumes "0xFF 0x00" (true) or notes the marker (false).
  // Fill bytes (0xFF 0xFF) before a marker are passed over.
  bool StuffedByteFollows() {
    while (Position + 1 < Size && Data[Position + 1] == 0xFF) ++Position;
    if (Position + 1 >= Size) {
      Position = Size;
      return false;
    }
    if (Data[Position + 1] == 0x00) {
      Position += 2;
      return true;
    }
    MarkerHit = true;
    MarkerCode = Data[Position + 1];
    return false;
  }

  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Position;
  std::uint64_t Window = 0;
  int Count = 0;
};

// Writes bits most significant first with byte stuffing; bytes are collected
// and handed to the stream in chunks.
class TsdBitWriter {
public:
  explicit TsdBitWriter(TStream& stream) : Stream(stream) {}

  void Put(std::uint32_t bits, int count) {
    Accumulator = (Accumulator << count) | bits;
    Count += count;
    if (Count >= 32) EmitWord();
  }
  // Pads the last byte with 1-bits and writes everything out.
  void Flush() {
    PadToByte();
    WriteBuffer();
  }
  // Pads the last byte and appends a marker (written without stuffing).
  void PutMarker(std::uint8_t code) {
    PadToByte();
    Buffer[Used++] = 0xFF;
    Buffer[Used++] = code;
  }

private:
  static constexpr std::size_t kChunk = 1024;
  void PadToByte() {
    if (Count % 8 != 0) Put((1u << (8 - Count % 8)) - 1, 8 - Count % 8);
    Emit();
  }
  // Four whole bytes; when none is 0xFF they need no stuffing.
  void EmitWord() {
    const auto word = static_cast<std::uint32_t>(Accumulator >> (Count - 32));
    if ((~word - 0x01010101u) & word & 0x80808080u) {
      Emit();
      return;
    }
    Count -= 32;
    for (int shift = 24; shift >= 0; shift -= 8) Buffer[Used++] = static_cast<std::uint8_t>(word >> shift);
    if (Used >= kChunk) WriteBuffer();
  }
  void Emit() {
    while (Count >= 8) {
      Count -= 8;
      const auto value = static_cast<std::uint8_t>(Accumulator >> Count);
      Buffer[Used++] = value;
      if (value == 0xFF) Buffer[Used++] = 0;
    }
    if (Used >= kChunk) WriteBuffer();
  }
  void WriteBuffer() {
    Stream.WriteBuffer(Buffer.data(), static_cast<std::int64_t>(Used));
    Used = 0;
  }

  TStream& Stream;
  // A chunk plus room for the stuffed bytes of one more word and a marker.
  std::array<std::uint8_t, kChunk + 16> Buffer{};
  std::size_t Used = 0;
  std::uint64_t Accumulator = 0;
  int Count = 0;
};
