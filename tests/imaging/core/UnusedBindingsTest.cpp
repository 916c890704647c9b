// The micro-tile and mask-filter registries: created and bound at start-up
// with their ids and variants, every variant giving the same result.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <stdexcept>
#include <vector>

#include "imaging/core/FunctionRegistry.h"
#include "imaging/core/MaskFilters.h"
#include "imaging/core/MicroTiles.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

using imaging::TMicroTile;

const TFunctionRegistry& Registry(const std::string& name) {
  imaging::StartUp();
  for (const TFunctionRegistry* registry : imaging::AllRegistries())
    if (registry->GetName() == name) return *registry;
  throw std::runtime_error("no registry " + name);
}

// The variant chosen for a processor with the given features.
template <class F>
F Variant(const TFunctionRegistry& registry, int id, TCPUFeatures features) {
  const imaging::TFunctionInfo* info = registry.FindFunction(id, imaging::PriorityForFeatures(features));
  return info ? reinterpret_cast<F>(info->Routine) : nullptr;
}

constexpr TCPUFeatures kNone = 0, kMMX = cfMMX, kExMMX = cfMMX | cfExMMX;

TEST(UnusedBindings, RegistriesFollowTheOthersAtStartUp) {
  imaging::StartUp();
  std::vector<std::string> names;
  for (const TFunctionRegistry* registry : imaging::AllRegistries()) names.push_back(registry->GetName());
  const auto resamplers = std::find(names.begin(), names.end(), "Resamplers bindings");
  ASSERT_NE(resamplers, names.end());
  ASSERT_GE(names.end() - resamplers, 3);
  EXPECT_EQ(resamplers[1], "MicroTiles bindings");
  EXPECT_EQ(resamplers[2], "Filters bindings");
  // Bound to the widest variant this processor runs.
  const bool exmmx = imaging::HasCPUFeature(cfExMMX);
  EXPECT_EQ(imaging::MicroTilesUnion, exmmx ? &imaging::exmmx::MicroTilesUnion : &imaging::portable::MicroTilesUnion);
  EXPECT_NE(imaging::LogicalMaskLineXorEx, nullptr);
}

TEST(UnusedBindings, MicroTileUnionsAgreeInEveryVariant) {
  const TFunctionRegistry& registry = Registry("MicroTiles bindings");
  using imaging::MakeMicroTile;
  std::mt19937 random(3);
  std::vector<TMicroTile> a(11), b(11), expected(11);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto l = static_cast<std::uint8_t>(random() % 128), t = static_cast<std::uint8_t>(random() % 128);
    const auto r = static_cast<std::uint8_t>(l + 1 + random() % 100), bottom = static_cast<std::uint8_t>(t + 1 + random() % 100);
    a[i] = i % 4 == 1 ? 0 : MakeMicroTile(l, t, r, bottom);
    b[i] = i % 5 == 2 ? 0 : MakeMicroTile(static_cast<std::uint8_t>(l / 2), static_cast<std::uint8_t>(t + 3),
                                        static_cast<std::uint8_t>(l + 60), static_cast<std::uint8_t>(t + 20));
    auto byte = [](TMicroTile tile, int shift) { return static_cast<std::uint8_t>(tile >> shift); };
    expected[i] = a[i] == 0   ? b[i]
                  : b[i] == 0 ? a[i]
                              : MakeMicroTile(std::min(byte(a[i], 24), byte(b[i], 24)), std::min(byte(a[i], 16), byte(b[i], 16)),
                                              std::max(byte(a[i], 8), byte(b[i], 8)), std::max(byte(a[i], 0), byte(b[i], 0)));
  }
  EXPECT_EQ(Variant<imaging::TMicroTileUnion>(registry, imaging::FID_MICROTILEUNION, kMMX),
            &imaging::portable::MicroTileUnion);  // no MMX-only variant
  for (TCPUFeatures features : {kNone, kExMMX}) {
    const auto one = Variant<imaging::TMicroTileUnion>(registry, imaging::FID_MICROTILEUNION, features);
    const auto many = Variant<imaging::TMicroTilesUnion>(registry, imaging::FID_MICROTILESUNION, features);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(many, nullptr);
    TMicroTile tile = MakeMicroTile(10, 20, 30, 40);
    one(tile, MakeMicroTile(5, 25, 35, 38));
    EXPECT_EQ(tile, MakeMicroTile(5, 20, 35, 40));
    one(tile, 0);
    EXPECT_EQ(tile, MakeMicroTile(5, 20, 35, 40));
    std::vector<TMicroTile> result = a;
    many(result.data(), b.data(), result.size());
    EXPECT_EQ(result, expected) << "features " << features;
  }
  EXPECT_NE(Variant<imaging::TMicroTileUnion>(registry, imaging::FID_MICROTILEUNION, kExMMX),
            &imaging::portable::MicroTileUnion);
}

TEST(UnusedBindings, MaskFiltersAgreeInEveryVariant) {
  const TFunctionRegistry& registry = Registry("Filters bindings");
  std::mt19937 random(5);
  std::vector<std::uint32_t> row(9);
  for (std::uint32_t& pixel : row) pixel = random();
  const std::uint32_t mask = 0xF0F0A5A5u;
  const auto applied = [&](auto op) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t pixel : row) out.push_back(op(pixel, mask));
    return out;
  };
  const std::vector<std::uint32_t> expected[3] = {applied(std::bit_and<>()), applied(std::bit_or<>()),
                                                  applied(std::bit_xor<>())};
  for (int op = 0; op < 3; ++op) {
    std::vector<imaging::TLogicalMaskLine> variants;
    for (TCPUFeatures features : {kNone, kMMX, kExMMX}) {
      const auto line = Variant<imaging::TLogicalMaskLine>(registry, imaging::FID_LOGICALMASKLINEAND + op, features);
      ASSERT_NE(line, nullptr);
      variants.push_back(line);
      std::vector<std::uint32_t> result = row;
      line(result.data(), mask, result.size());
      EXPECT_EQ(result, expected[op]) << "op " << op << " features " << features;
    }
    // Three distinct variants: portable, MMX and extended MMX.
    EXPECT_NE(variants[0], variants[1]);
    EXPECT_NE(variants[1], variants[2]);
    const auto ex = Variant<imaging::TLogicalMaskLineEx>(registry, imaging::FID_LOGICALMASKLINEANDEX + op, kNone);
    ASSERT_NE(ex, nullptr);
    EXPECT_EQ(Variant<imaging::TLogicalMaskLineEx>(registry, imaging::FID_LOGICALMASKLINEANDEX + op, kExMMX), ex);
    std::vector<std::uint32_t> result(row.size());
    ex(row.data(), result.data(), row.size(), mask);
    EXPECT_EQ(result, expected[op]);
  }
}

}  // namespace
