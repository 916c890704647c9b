// Processor features from identification bits, and the routine registry's
// choice of variant.

#include "imaging/core/FunctionRegistry.h"

#include <gtest/gtest.h>

#include "imaging/blend/BlendVariants.h"
#include "imaging/core/CpuFeatures.h"
#include "platform/rtl/Exception.h"

namespace {

using TIntFn = int (*)();
int One() { return 1; }
int Two() { return 2; }
int Three() { return 3; }

TEST(CpuFeatures, IdentificationBitsGiveTheClassicFeatures) {
  constexpr std::uint32_t mmx = 1u << 23, sse = 1u << 25, sse2 = 1u << 26;
  EXPECT_EQ(imaging::FeaturesFromIdentification(6, mmx | sse | sse2, 0x80000008u, 0),
            TCPUFeatures{cfMMX | cfExMMX | cfSSE | cfSSE2});
  // 3DNow! only from the extended leaf, and only when the processor has it.
  EXPECT_EQ(imaging::FeaturesFromIdentification(5, mmx, 0x80000001u, (1u << 22) | (1u << 31) | (1u << 30)),
            TCPUFeatures{cfMMX | cfExMMX | cf3DNow | cfEx3DNow});
  EXPECT_EQ(imaging::FeaturesFromIdentification(5, mmx, 0x80000000u, 1u << 31), TCPUFeatures{cfMMX});
  EXPECT_EQ(imaging::FeaturesFromIdentification(4, mmx | sse | sse2, 0x80000008u, ~0u), 0u);  // family 4
  EXPECT_EQ(imaging::HasCPUFeature(cfAVX2), __builtin_cpu_supports("avx2") != 0);
}

TEST(FunctionRegistry, LastAddedRunnableVariantIsChosen) {
  TFunctionRegistry registry("test");
  TIntFn bound = nullptr, onlyExtended = nullptr;
  registry.RegisterBinding(0, &bound);
  registry.RegisterBinding(1, &onlyExtended);
  registry.Add(0, &One);
  registry.Add(0, &Two);             // two variants without requirements: the second wins
  registry.Add(0, &Three, cfSSE2);   // runnable only with SSE2
  registry.Add(1, &Three, cfExMMX);  // a function with only an extended-MMX variant
  registry.RebindAll(imaging::PriorityForFeatures(0));
  EXPECT_EQ(bound(), 2);
  EXPECT_EQ(onlyExtended, nullptr);  // nothing runnable: the variable is emptied
  registry.RebindAll(imaging::PriorityForFeatures(cfMMX | cfSSE2));
  EXPECT_EQ(bound(), 3);
  registry.RebindAll(imaging::PriorityForFeatures(cfMMX | cfExMMX));
  EXPECT_EQ(bound(), 2);
  ASSERT_NE(onlyExtended, nullptr);
  EXPECT_EQ(onlyExtended(), 3);
  registry.Add(0, &imaging::portable::ClearVectorState);  // a variant of the wrong type is refused
  EXPECT_THROW(registry.RebindAll(), EAssertionFailed);
  // Start-up bound the widest variant this processor runs.
  EXPECT_EQ(imaging::BlendLine, imaging::HasCPUFeature(cfAVX2) ? &imaging::avx2::BlendLine : &imaging::sse2::BlendLine);
}

}  // namespace
