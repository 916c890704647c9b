#pragma once
// Memory of a tree of XML nodes. A pool hands out node blocks (reused through
// a free list), arrays and texts carved from growing chunks, and keeps the
// source text a parse reads names and values from in place. It lives as long
// as anything holds it: the document that parses into it and every node
// allocated from it, so a node detached from its document keeps the text its
// views point into.

#include <cstddef>
#include <cstdint>

namespace xml::detail {

class NodePool {
public:
  // A new pool held once by the caller.
  static NodePool* Create();

  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  void AddRef() { ++References; }

  // A pool stays pristine while it holds only what one parse made: every
  // live node is in the parsed tree and none owns heap memory. Every change
  // to its nodes through the tree operations ends that.
  bool IsPristine() const { return Pristine; }
  void MarkModified() { Pristine = false; }
  // Frees a pristine pool with the tree in it, no node visited one by one.
  void ReleaseWithTree() { delete this; }
  // Frees the pool when the last holder lets go.
  void Release();

  // A block for one node (pointer-aligned); the pool stays alive until the
  // block is freed.
  void* AllocateNode(std::size_t size) {
    ++References;
    if (FreeList) {
      void* block = FreeList;
      FreeList = *static_cast<void**>(block);
      return block;
    }
    return AllocateBytes(size < sizeof(void*) ? sizeof(void*) : size, alignof(void*));
  }
  void FreeNode(void* block) {
    *static_cast<void**>(block) = FreeList;
    FreeList = block;
    Release();
  }

  // Memory that lives as long as the pool (never freed on its own).
  void* AllocateBytes(std::size_t size, std::size_t alignment) {
    const auto address = reinterpret_cast<std::uintptr_t>(Cursor);
    auto* start = reinterpret_cast<std::byte*>((address + alignment - 1) & ~(alignment - 1));
    if (Cursor && start <= Limit && static_cast<std::size_t>(Limit - start) >= size) {
      Cursor = start + size;
      return start;
    }
    return NewChunk(size, alignment);
  }
  template <class T>
  T* AllocateArray(std::size_t count) {
    return static_cast<T*>(AllocateBytes(count * sizeof(T), alignof(T)));
  }

private:
  struct Chunk;
  NodePool() = default;
  ~NodePool();
  void* NewChunk(std::size_t size, std::size_t alignment);

  std::uint64_t References = 1;
  Chunk* Chunks = nullptr;
  std::byte* Cursor = nullptr;
  std::byte* Limit = nullptr;
  std::size_t NextChunkSize = 4096;
  void* FreeList = nullptr;
  bool Pristine = true;
};

}  // namespace xml::detail
