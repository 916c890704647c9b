#include "imaging/core/MaskFilters.h"

#include <emmintrin.h>

#include <cstring>

#include "imaging/core/FunctionRegistry.h"

namespace imaging {

TLogicalMaskLine LogicalMaskLineAnd = nullptr;
TLogicalMaskLine LogicalMaskLineOr = nullptr;
TLogicalMaskLine LogicalMaskLineXor = nullptr;
TLogicalMaskLineEx LogicalMaskLineAndEx = nullptr;
TLogicalMaskLineEx LogicalMaskLineOrEx = nullptr;
TLogicalMaskLineEx LogicalMaskLineXorEx = nullptr;

namespace {

// The variants: one pixel at a time (portable), two per 64-bit word (the
// width of MMX) and four per 128-bit vector (extended MMX on this processor
// family's vector unit). Op works on any unsigned word and on __m128i.
struct TAnd {
  template <class T>
  T operator()(T a, T b) const { return a & b; }
  __m128i operator()(__m128i a, __m128i b) const { return _mm_and_si128(a, b); }
};
struct TOr {
  template <class T>
  T operator()(T a, T b) const { return a | b; }
  __m128i operator()(__m128i a, __m128i b) const { return _mm_or_si128(a, b); }
};
struct TXor {
  template <class T>
  T operator()(T a, T b) const { return a ^ b; }
  __m128i operator()(__m128i a, __m128i b) const { return _mm_xor_si128(a, b); }
};

template <class Op>
void PortableLine(std::uint32_t* dst, std::uint32_t mask, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) dst[i] = Op()(dst[i], mask);
}

template <class Op>
void PortableLineEx(const std::uint32_t* src, std::uint32_t* dst, std::size_t count, std::uint32_t mask) {
  for (std::size_t i = 0; i < count; ++i) dst[i] = Op()(src[i], mask);
}

template <class Op>
void WordLine(std::uint32_t* dst, std::uint32_t mask, std::size_t count) {
  const std::uint64_t wide = std::uint64_t{mask} << 32 | mask;
  std::size_t i = 0;
  for (; i + 2 <= count; i += 2) {
    std::uint64_t pair;
    std::memcpy(&pair, dst + i, sizeof(pair));
    pair = Op()(pair, wide);
    std::memcpy(dst + i, &pair, sizeof(pair));
  }
  PortableLine<Op>(dst + i, mask, count - i);
}

template <class Op>
void VectorLine(std::uint32_t* dst, std::uint32_t mask, std::size_t count) {
  const __m128i wide = _mm_set1_epi32(static_cast<int>(mask));
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    auto* at = reinterpret_cast<__m128i*>(dst + i);
    _mm_storeu_si128(at, Op()(_mm_loadu_si128(at), wide));
  }
  PortableLine<Op>(dst + i, mask, count - i);
}

template <class Op>
void AddLineVariants(TFunctionRegistry& registry, int id, TLogicalMaskLine* variable) {
  registry.RegisterBinding(id, variable);
  registry.Add(id, &PortableLine<Op>);
  registry.Add(id, &WordLine<Op>, cfMMX);
  registry.Add(id, &VectorLine<Op>, cfExMMX);
}

template <class Op>
void AddLineExVariants(TFunctionRegistry& registry, int id, TLogicalMaskLineEx* variable) {
  registry.RegisterBinding(id, variable);
  registry.Add(id, &PortableLineEx<Op>);
}

}  // namespace

void RegisterFiltersBindings() {
  TFunctionRegistry& registry = NewRegistry("Filters bindings");
  AddLineVariants<TAnd>(registry, FID_LOGICALMASKLINEAND, &LogicalMaskLineAnd);
  AddLineVariants<TOr>(registry, FID_LOGICALMASKLINEOR, &LogicalMaskLineOr);
  AddLineVariants<TXor>(registry, FID_LOGICALMASKLINEXOR, &LogicalMaskLineXor);
  AddLineExVariants<TAnd>(registry, FID_LOGICALMASKLINEANDEX, &LogicalMaskLineAndEx);
  AddLineExVariants<TOr>(registry, FID_LOGICALMASKLINEOREX, &LogicalMaskLineOrEx);
  AddLineExVariants<TXor>(registry, FID_LOGICALMASKLINEXOREX, &LogicalMaskLineXorEx);
  registry.RebindAll();
}

}  // namespace imaging
