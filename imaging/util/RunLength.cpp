// Run-length packing: literal records of up to 127 bytes and run records of
// 2 to 127 repetitions of one byte.

#include <algorithm>
#include <cstring>

#include "imaging/util/Packing.h"

namespace imaging {
namespace {

constexpr std::size_t cMaxRecord = 127;
constexpr int cLowestRunControl = -126;

// Output cursor that refuses to move past the destination's end.
class TRecordWriter {
public:
  TRecordWriter(std::uint8_t* dest, std::size_t capacity) : Dest(dest), Capacity(capacity) {}

  bool Literal(const std::uint8_t* bytes, std::size_t count) {
    if (Capacity - Used < count + 1) return false;
    Dest[Used++] = static_cast<std::uint8_t>(count);
    std::memcpy(Dest + Used, bytes, count);
    Used += count;
    return true;
  }

  bool Run(std::uint8_t value, std::size_t count) {
    if (Capacity - Used < 2) return false;
    Dest[Used++] = static_cast<std::uint8_t>(1 - static_cast<int>(count));
    Dest[Used++] = value;
    return true;
  }

  std::size_t Written() const { return Used; }

private:
  std::uint8_t* Dest;
  std::size_t Capacity;
  std::size_t Used = 0;
};

bool EmitLiterals(TRecordWriter& out, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t done = 0; done < count;) {
    const std::size_t n = std::min(count - done, cMaxRecord);
    if (!out.Literal(bytes + done, n)) return false;
    done += n;
  }
  return true;
}

// Splits a run of at least 2 bytes into records that never hold a single byte.
bool EmitRun(TRecordWriter& out, std::uint8_t value, std::size_t count) {
  while (count > 0) {
    std::size_t n = std::min(count, cMaxRecord);
    if (count - n == 1) --n;
    if (!out.Run(value, n)) return false;
    count -= n;
  }
  return true;
}

bool PackRecords(const std::uint8_t* source, std::size_t count, TRecordWriter& out) {
  if (count < 3) return out.Literal(source, count);
  std::size_t start = 0;  // first byte not yet emitted
  bool inRun = false;
  for (std::size_t k = 2; k < count; ++k) {
    const bool threeEqual = source[k - 2] == source[k - 1] && source[k - 1] == source[k];
    if (threeEqual && !inRun) {
      if (!EmitLiterals(out, source + start, k - 2 - start)) return false;
      start = k - 2;
      inRun = true;
    } else if (!threeEqual && inRun) {
      // The run's last byte starts the next literal stretch.
      if (!EmitRun(out, source[k - 1], k - 1 - start)) return false;
      start = k - 1;
      inRun = false;
    }
  }
  return inRun ? EmitRun(out, source[count - 1], count - start)
               : EmitLiterals(out, source + start, count - start);
}

// One record of a run-length stream: literal bytes, or one byte repeated.
struct TRecord {
  bool Literal = false;
  std::size_t Length = 0;
  const std::uint8_t* Data = nullptr;
};

// Reads the record at source[in] and moves in past it. False for a control
// byte the packer never writes or a record cut short by the end.
bool ReadRecord(const std::uint8_t* source, std::size_t sourceCount, std::size_t& in, TRecord& record) {
  const int control = static_cast<std::int8_t>(source[in++]);
  if (control < cLowestRunControl) return false;
  record.Literal = control >= 0;
  record.Length = record.Literal ? static_cast<std::size_t>(control) : static_cast<std::size_t>(1 - control);
  const std::size_t stored = record.Literal ? record.Length : 1;
  if (sourceCount - in < stored) return false;
  record.Data = source + in;
  in += stored;
  return true;
}

}  // namespace

int RlePack(const std::uint8_t* source, std::size_t count, std::uint8_t* dest, std::size_t destCapacity,
            std::size_t& destCount) {
  destCount = 0;
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  TRecordWriter out(dest, destCapacity);
  if (!PackRecords(source, count, out)) return cPackDestTooSmall;
  destCount = out.Written();
  return cPackOk;
}

int RleUnpack(const std::uint8_t* source, std::size_t sourceCount, std::uint8_t* dest, std::size_t destCapacity,
              std::size_t& destCount) {
  destCount = 0;
  if (source == nullptr) return cPackNoSource;
  if (dest == nullptr) return cPackNoDest;
  std::size_t in = 0;
  std::size_t out = 0;
  TRecord record;
  while (in < sourceCount) {
    if (!ReadRecord(source, sourceCount, in, record)) return cPackCorrupt;
    if (destCapacity - out < record.Length) return cPackDestTooSmall;
    if (record.Literal) {
      std::memcpy(dest + out, record.Data, record.Length);
    } else {
      std::memset(dest + out, *record.Data, record.Length);
    }
    out += record.Length;
  }
  destCount = out;
  return cPackOk;
}

int RleUnpackedLength(const std::uint8_t* source, std::size_t sourceCount, std::size_t& length) {
  length = 0;
  if (source == nullptr) return cPackNoSource;
  std::size_t in = 0;
  TRecord record;
  while (in < sourceCount) {
    if (!ReadRecord(source, sourceCount, in, record)) return cPackCorrupt;
    length += record.Length;
  }
  return cPackOk;
}

}  // namespace imaging
