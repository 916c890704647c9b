#include "imaging/FunctionRegistry.h"

#include <gtest/gtest.h>

#include "imaging/Blend.h"
#include "imaging/BlendVariants.h"
#include "imaging/CpuFeatures.h"
#include "imaging/LowLevel.h"
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
  // Extended MMX also from the extended leaf, 3DNow! only from there.
  EXPECT_EQ(imaging::FeaturesFromIdentification(5, mmx, 0x80000001u, (1u << 22) | (1u << 31) | (1u << 30)),
            TCPUFeatures{cfMMX | cfExMMX | cf3DNow | cfEx3DNow});
  // Without the extended leaves their bits mean nothing.
  EXPECT_EQ(imaging::FeaturesFromIdentification(5, mmx, 0x80000000u, 1u << 31), TCPUFeatures{cfMMX});
  // A family-4 processor has nothing.
  EXPECT_EQ(imaging::FeaturesFromIdentification(4, mmx | sse | sse2, 0x80000008u, ~0u), 0u);
}

TEST(CpuFeatures, ThisProcessorIsDetectedConsistently) {
  const TCPUFeatures features = imaging::CPUFeatures();
  EXPECT_EQ(features, imaging::CPUFeatures());
#if defined(__x86_64__)
  // Every x86-64 processor has SSE2, hence MMX, SSE and extended MMX.
  EXPECT_EQ(features & (cfMMX | cfExMMX | cfSSE | cfSSE2), TCPUFeatures{cfMMX | cfExMMX | cfSSE | cfSSE2});
#endif
  EXPECT_EQ(imaging::HasCPUFeature(cfAVX2), __builtin_cpu_supports("avx2") != 0);
}

TEST(FunctionRegistry, LastAddedRunnableVariantIsChosen) {
  TFunctionRegistry registry("test");
  TIntFn bound = nullptr;
  TIntFn maxBound = nullptr;
  registry.RegisterBinding(0, &bound);
  registry.RegisterBinding(1, &maxBound);
  registry.Add(0, &One);
  registry.Add(0, &Two);              // two variants without requirements: the second wins
  registry.Add(0, &Three, cfSSE2);    // runnable only with SSE2
  registry.Add(1, &Three, cfExMMX);   // a function with only an extended-MMX variant

  registry.RebindAll(imaging::PriorityForFeatures(0));
  EXPECT_EQ(bound(), 2);
  EXPECT_EQ(maxBound, nullptr);  // nothing runnable: the variable is emptied
  EXPECT_EQ(registry.FindFunction(1, imaging::PriorityForFeatures(cfMMX)), nullptr);

  registry.RebindAll(imaging::PriorityForFeatures(cfMMX | cfSSE2));
  EXPECT_EQ(bound(), 3);
  EXPECT_EQ(maxBound, nullptr);

  registry.RebindAll(imaging::PriorityForFeatures(cfMMX | cfExMMX));
  EXPECT_EQ(bound(), 2);
  ASSERT_NE(maxBound, nullptr);
  EXPECT_EQ(maxBound(), 3);
}

TEST(FunctionRegistry, ACustomPriorityPrefersTheLowestNumber) {
  TFunctionRegistry registry("test");
  registry.Add(7, &One, 0, 0);
  registry.Add(7, &Two, 0, 0);
  registry.Add(7, &Three, 0, 0);
  const auto preferOne = [](const imaging::TFunctionInfo& info) {
    return reinterpret_cast<TIntFn>(info.Routine) == &One ? 0 : 5;
  };
  const imaging::TFunctionInfo* info = registry.FindFunction(7, preferOne);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(reinterpret_cast<TIntFn>(info->Routine)(), 1);
  EXPECT_EQ(registry.FindFunction(8), nullptr);
}

TEST(FunctionRegistry, AVariantOfTheWrongTypeIsRefused) {
  TFunctionRegistry registry("test");
  TIntFn bound = nullptr;
  registry.RegisterBinding(0, &bound);
  registry.Add(0, &imaging::portable::ClearVectorState);
  EXPECT_THROW(registry.RebindAll(), EAssertionFailed);
}

TEST(FunctionRegistry, StartUpBindsTheWidestVariantThisProcessorRuns) {
  std::vector<std::string> names;
  for (const TFunctionRegistry* registry : imaging::AllRegistries()) names.push_back(registry->GetName());
  EXPECT_NE(std::find(names.begin(), names.end(), "LowLevel bindings"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "Blend bindings"), names.end());

  if (imaging::HasCPUFeature(cfAVX2)) {
    EXPECT_EQ(imaging::BlendLine, &imaging::avx2::BlendLine);
    EXPECT_EQ(imaging::FillLongword, &imaging::avx2::FillLongword);
  } else if (imaging::HasCPUFeature(cfSSE2)) {
    EXPECT_EQ(imaging::BlendLine, &imaging::sse2::BlendLine);
  }
  EXPECT_EQ(imaging::BlendReg, &imaging::portable::BlendReg);
  EXPECT_EQ(imaging::MergeLine, &imaging::portable::MergeLine);
  EXPECT_EQ(imaging::BlendMemOf(cmBlend), imaging::BlendMem);
  EXPECT_EQ(imaging::BlendMemOf(cmMerge), imaging::MergeMem);
  EXPECT_EQ(imaging::BlendLineExOf(cmMerge), imaging::MergeLineEx);
}

}  // namespace
