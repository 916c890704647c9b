#include "xml/NodePool.h"

#include <algorithm>
#include <new>

namespace xml::detail {

struct NodePool::Chunk {
  Chunk* Next;
  std::size_t Size;  // bytes after the header
};

namespace {
// Chunks stay below the allocator's mmap threshold, so a parse reuses heap
// memory instead of mapping fresh pages.
constexpr std::size_t kMaxChunkSize = std::size_t{64} << 10;
constexpr std::size_t kHeader = (sizeof(void*) * 2 + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);

std::byte* AlignUp(std::byte* p, std::size_t alignment) {
  const auto address = reinterpret_cast<std::uintptr_t>(p);
  return reinterpret_cast<std::byte*>((address + alignment - 1) & ~(alignment - 1));
}
}  // namespace

NodePool* NodePool::Create() { return new NodePool(); }

NodePool::~NodePool() {
  while (Chunks) {
    Chunk* next = Chunks->Next;
    ::operator delete(Chunks);
    Chunks = next;
  }
}

void NodePool::Release() {
  if (--References == 0) delete this;
}

void* NodePool::NewChunk(std::size_t size, std::size_t alignment) {
  // Large blocks get a chunk of their own so the current chunk keeps serving
  // small ones.
  const bool dedicated = size > NextChunkSize / 4;
  const std::size_t body = dedicated ? size + alignment : NextChunkSize;
  auto* chunk = static_cast<Chunk*>(::operator new(kHeader + body));
  chunk->Size = body;
  chunk->Next = Chunks;
  Chunks = chunk;
  std::byte* begin = reinterpret_cast<std::byte*>(chunk) + kHeader;
  std::byte* start = AlignUp(begin, alignment);
  if (!dedicated) {
    Cursor = start + size;
    Limit = begin + body;
    NextChunkSize = std::min(NextChunkSize * 2, kMaxChunkSize);
  }
  return start;
}

}  // namespace xml::detail
