#include "imaging/bitmap/MemoryBackend.h"

#include <new>

#include "imaging/core/LowLevel.h"
#include "platform/rtl/Exception.h"

TMemoryBackend::~TMemoryBackend() { FinalizeSurface(); }

void TMemoryBackend::InitializeSurface(std::int32_t width, std::int32_t height, bool clearBuffer) {
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  try {
    Storage = std::make_unique_for_overwrite<TColor32[]>(count);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  }
  Bits = Storage.get();
  if (clearBuffer) imaging::FillLongword(Bits, static_cast<std::ptrdiff_t>(count), clBlack32);
}

void TMemoryBackend::FinalizeSurface() {
  Storage.reset();
  Bits = nullptr;
}
