#pragma once
// Text appended in many short pieces, as the writer produces it: the pieces
// are copied through a cursor into the string's own storage, which grows by
// doubling, and the string is cut to the written length when the output is
// done. Short pieces are copied inline, without a library call.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace xml::detail {

class OutputText {
public:
  explicit OutputText(std::string& out) : Out(out), Used(out.size()) {}
  ~OutputText() { Out.resize(Used); }
  OutputText(const OutputText&) = delete;
  OutputText& operator=(const OutputText&) = delete;

  [[gnu::always_inline]] void append(std::string_view piece) {
    if (Out.size() - Used < piece.size()) Grow(piece.size());
    Copy(Out.data() + Used, piece.data(), piece.size());
    Used += piece.size();
  }
  OutputText& operator+=(char c) {
    if (Out.size() == Used) Grow(1);
    Out[Used++] = c;
    return *this;
  }
  // Everything written, also what was drained.
  std::size_t size() const { return Drained + Used; }
  bool EndsWith(std::string_view tail) const {
    return Used >= tail.size() && std::string_view(Out.data() + Used - tail.size(), tail.size()) == tail;
  }
  // Hands the text to take and starts afresh in the same storage.
  template <class Take>
  void Drain(const Take& take) {
    take(std::string_view(Out.data(), Used));
    Drained += Used;
    Used = 0;
  }

private:
  void Grow(std::size_t needed) { Out.resize(std::max({Out.size() * 2, Used + needed, std::size_t{256}})); }

  // Up to 16 bytes as two overlapping word copies, longer runs by memcpy.
  static void Copy(char* to, const char* from, std::size_t n) {
    if (n >= 16) {
      std::memcpy(to, from, n);
    } else if (n >= 8) {
      CopyEnds<std::uint64_t>(to, from, n);
    } else if (n >= 4) {
      CopyEnds<std::uint32_t>(to, from, n);
    } else {
      for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    }
  }

  template <class Word>
  static void CopyEnds(char* to, const char* from, std::size_t n) {
    Word head, tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
  }

  std::string& Out;
  std::size_t Used;
  std::size_t Drained = 0;
};

}  // namespace xml::detail
