#pragma once
// The plain parts a node is made of: a text that is either a view into its
// pool's source text or a heap copy it owns, and an array that starts in the
// pool (sized exactly by the parser) and moves to the heap when it grows.
// They are plain structs so the node decides when owned memory is freed.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "xml/XmlTypes.h"

namespace xml::detail {

[[noreturn]] inline void TooLarge() { throw EXmlError("XML text too large"); }

struct NodeText {
  const char* Data = nullptr;
  std::uint32_t Size = 0;
  bool Owned = false;

  std::string_view View() const { return {Data, Size}; }
  bool Empty() const { return Size == 0; }

  void Free() {
    if (Owned) delete[] Data;
    *this = NodeText{};
  }
  // Points at text that outlives the node (the pool's source text).
  void Borrow(std::string_view text) {
    if (text.size() > UINT32_MAX) TooLarge();
    Free();
    Data = text.data();
    Size = static_cast<std::uint32_t>(text.size());
  }
  void Copy(std::string_view text) {
    if (text.size() > UINT32_MAX) TooLarge();
    char* copy = nullptr;
    if (!text.empty()) {
      copy = new char[text.size()];
      std::memcpy(copy, text.data(), text.size());
    }
    Free();
    Data = copy;
    Size = static_cast<std::uint32_t>(text.size());
    Owned = copy != nullptr;
  }
};

template <class T>
struct NodeArray {
  static_assert(std::is_trivially_copyable_v<T>);
  static constexpr std::uint32_t kHeapFlag = 0x80000000u;

  T* Items = nullptr;
  std::uint32_t Count = 0;
  std::uint32_t CapacityAndFlag = 0;  // high bit: Items is on the heap

  std::uint32_t Capacity() const { return CapacityAndFlag & ~kHeapFlag; }
  bool OnHeap() const { return (CapacityAndFlag & kHeapFlag) != 0; }
  T* begin() const { return Items; }
  T* end() const { return Items + Count; }

  // Frees heap storage; the items themselves are the owner's business.
  void Free() {
    if (OnHeap()) delete[] Items;
    *this = NodeArray{};
  }
  void Adopt(T* poolItems, std::uint32_t count) {
    Free();
    Items = poolItems;
    Count = count;
    CapacityAndFlag = count;
  }
  void Insert(std::uint32_t index, T item) {
    if (Count == Capacity()) Grow();
    std::copy_backward(Items + index, Items + Count, Items + Count + 1);
    Items[index] = item;
    ++Count;
  }
  void Append(T item) { Insert(Count, item); }
  void Erase(std::uint32_t index) {
    std::copy(Items + index + 1, Items + Count, Items + index);
    --Count;
  }

private:
  void Grow() {
    if (Capacity() >= kHeapFlag / 2) TooLarge();
    const std::uint32_t capacity = std::max<std::uint32_t>(4, Capacity() * 2);
    T* items = new T[capacity];
    std::copy(Items, Items + Count, items);
    if (OnHeap()) delete[] Items;
    Items = items;
    CapacityAndFlag = capacity | kHeapFlag;
  }
};

}  // namespace xml::detail

namespace xml::detail {

// Most characters lie above the blank: one comparison settles them.
constexpr bool IsSpaceChar(char c) {
  return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || c == '\t' || c == '\n' || c == '\r');
}

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Names of nodes and attributes compare without regard to ASCII case.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

inline std::string_view TrimSpace(std::string_view text) {
  while (!text.empty() && IsSpaceChar(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpaceChar(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace xml::detail
