#pragma once
// The hue/saturation/lightness adjustment on vector lanes, written once for
// any lane width: L names the vector types and their operations (floats F,
// integers I, lane masks M). The lanes give the bits of the one-pixel
// conversion (Color32ToHSL, the shift, HSLToColor32): its branches became
// selects, its divisions by 255 and 6 a product with one exact correction,
// its tests of 6h and 3h comparisons of h with the thresholds those
// products cross, and the grey case the general one (equal for no
// saturation); each such step was checked over every colour or every float
// it can meet.
//
// Included only by the files of the lane widths, each defining HSL_LANES_FN
// (its processor target, always inlined) first. The fused multiply-adds are
// written out; no other product and sum may be fused (those files build
// with contraction off), or the lanes would round differently.

#include <cstddef>

#include "document/effects/HslAdjustLanes.h"

#ifndef HSL_LANES_FN
#error "HSL_LANES_FN must name the processor target of the lanes"
#endif

// The operations whose intrinsics differ only by the width prefix (_mm256,
// _mm512), for the lane types F and I.
#define HSL_LANES_ARITHMETIC(P)                                                      \
  HSL_LANES_FN static F Set(float v) { return P##_set1_ps(v); }                     \
  HSL_LANES_FN static F Add(F a, F b) { return P##_add_ps(a, b); }                  \
  HSL_LANES_FN static F Sub(F a, F b) { return P##_sub_ps(a, b); }                  \
  HSL_LANES_FN static F Mul(F a, F b) { return P##_mul_ps(a, b); }                  \
  HSL_LANES_FN static F Div(F a, F b) { return P##_div_ps(a, b); }                  \
  HSL_LANES_FN static F Min(F a, F b) { return P##_min_ps(a, b); }                  \
  HSL_LANES_FN static F Max(F a, F b) { return P##_max_ps(a, b); }                  \
  HSL_LANES_FN static F FMAdd(F a, F b, F c) { return P##_fmadd_ps(a, b, c); }      \
  HSL_LANES_FN static F FNMAdd(F a, F b, F c) { return P##_fnmadd_ps(a, b, c); }    \
  HSL_LANES_FN static F ToFloat(I a) { return P##_cvtepi32_ps(a); }                 \
  HSL_LANES_FN static I ToInt(F a) { return P##_cvtps_epi32(a); }                   \
  HSL_LANES_FN static I Byte(I in, int shift) {                                     \
    return P##_srli_epi32(P##_slli_epi32(in, 24 - shift), 24);                      \
  }

// The comparisons, from the width's comparison intrinsic into masks M.
#define HSL_LANES_COMPARISONS(CMP)                                          \
  HSL_LANES_FN static M Lt(F a, F b) { return CMP(a, b, _CMP_LT_OQ); }     \
  HSL_LANES_FN static M Gt(F a, F b) { return CMP(a, b, _CMP_GT_OQ); }     \
  HSL_LANES_FN static M Le(F a, F b) { return CMP(a, b, _CMP_LE_OQ); }     \
  HSL_LANES_FN static M Eq(F a, F b) { return CMP(a, b, _CMP_EQ_OQ); }

namespace hsllanes {

// How the shifted hue goes back into 0..1: not at all (no shift), by one
// turn at most (a shift within -1..1), or by any number of turns.
enum class TWrap { None, OneTurn, AnyTurns };

// The smallest floats h with 6 x h >= 1 and 3 x h >= 2 once the products
// are rounded.
constexpr float kSixthFrom = 0x1.555556p-3f, kTwoThirdsFrom = 0x1.555556p-1f;

// x / d rounded as a single-precision division rounds it, from the product
// by the rounded reciprocal and one exact remainder: the same bits for
// bytes over 255 and for the hue sums over 6 that colours give.
template <class L>
HSL_LANES_FN typename L::F DivideByConstant(typename L::F x, float d) {
  const auto reciprocal = L::Set(1.0f / d);
  const auto q = L::Mul(x, reciprocal);
  return L::FMAdd(L::FNMAdd(q, L::Set(d), x), reciprocal, q);
}

template <class L>
HSL_LANES_FN typename L::F Clamp01(typename L::F v) {
  return L::Min(L::Max(v, L::Set(0.0f)), L::Set(1.0f));
}

// One channel from the hue position h and the two levels m1, m2, as a
// rounded but not yet clamped integer; d6 is (m2 - m1) x 6.
template <class L>
HSL_LANES_FN typename L::I HueStep(typename L::F m1, typename L::F m2, typename L::F d6, typename L::F h) {
  h = L::Sub(h, L::Floor(h));
  const auto rising = L::Add(m1, L::Mul(d6, h));
  const auto falling = L::Add(m1, L::Mul(L::Mul(L::Sub(m2, m1), L::Sub(L::Set(2.0f / 3), h)), L::Set(6.0f)));
  auto v = L::Sel(m1, falling, L::Lt(h, L::Set(kTwoThirdsFrom)));
  v = L::Sel(v, m2, L::Lt(h, L::Set(0.5f)));
  v = L::Sel(v, rising, L::Lt(h, L::Set(kSixthFrom)));
  return L::ToInt(L::Mul(v, L::Set(255.0f)));
}

// The one-pixel form wraps in double precision: h - ceil(h - 1) above 1 (0
// beyond 2^53, where h - 1 is h again), h - floor(h) below 0. These
// single-precision steps give the same bits for every finite float (checked
// for all of them); within one turn they are h - 1 and h + 1, exact there.
template <class L, TWrap wrap>
HSL_LANES_FN typename L::F WrapHue(typename L::F h) {
  const auto one = L::Set(1.0f), zero = L::Set(0.0f);
  if constexpr (wrap == TWrap::OneTurn)
    return L::Sel(L::Sel(h, L::Add(h, one), L::Lt(h, zero)), L::Sub(h, one), L::Gt(h, one));
  const auto above = L::Sel(L::Add(L::Sub(h, L::Ceil(h)), one), zero, L::Gt(h, L::Set(0x1p53f)));
  const auto below = L::Sub(h, L::Floor(h));
  return L::Sel(L::Sel(h, below, L::Lt(h, zero)), above, L::Gt(h, one));
}

template <class L, TWrap wrap>
HSL_LANES_FN typename L::I Adjust(typename L::I in, const THslShift& shift) {
  const auto one = L::Set(1.0f), zero = L::Set(0.0f);
  const auto r = DivideByConstant<L>(L::ToFloat(L::Byte(in, 16)), 255.0f);
  const auto g = DivideByConstant<L>(L::ToFloat(L::Byte(in, 8)), 255.0f);
  const auto b = DivideByConstant<L>(L::ToFloat(L::Byte(in, 0)), 255.0f);

  // To hue, saturation, lightness.
  const auto max = L::Max(L::Max(r, g), b), min = L::Min(L::Min(r, g), b);
  const auto sum = L::Add(max, min);
  const auto l = L::Mul(sum, L::Set(0.5f));  // exact
  const auto grey = L::Eq(max, min);
  const auto delta = L::Sub(max, min);
  const auto spread = L::Sel(L::Sub(L::Sub(L::Set(2.0f), max), min), sum, L::Lt(l, L::Set(0.5f)));
  auto s = L::Sel(L::Div(delta, spread), zero, grey);
  const auto redTop = L::Eq(r, max), greenTop = L::Eq(g, max);
  const auto numerator = L::Sel(L::Sel(L::Sub(r, g), L::Sub(b, r), greenTop), L::Sub(g, b), redTop);
  const auto quotient = L::Div(numerator, delta);
  const auto offset = L::Sel(L::Set(4.0f), L::Set(2.0f), greenTop);
  auto h = DivideByConstant<L>(L::Sel(L::Add(offset, quotient), quotient, redTop), 6.0f);
  h = L::Sel(h, L::Add(h, one), L::Lt(h, zero));
  h = L::Sel(h, zero, grey);

  // The shift.
  if constexpr (wrap != TWrap::None) h = WrapHue<L, wrap>(L::Add(h, L::Set(shift.Hue)));
  s = Clamp01<L>(L::Add(s, L::Set(shift.Saturation)));
  const auto light = Clamp01<L>(L::Add(l, L::Set(shift.Lightness)));

  // Back to red, green, blue. No saturation needs no case of its own: then
  // m1 = m2 = light, and every channel is light x 255 rounded, the grey.
  const auto m2 = L::Sel(L::Sub(L::Add(light, s), L::Mul(light, s)), L::Mul(light, L::Add(one, s)),
                         L::Le(light, L::Set(0.5f)));
  const auto m1 = L::Sub(L::Mul(L::Set(2.0f), light), m2);
  const auto d6 = L::Mul(L::Sub(m2, m1), L::Set(6.0f));
  const auto third = L::Set(1.0f / 3);
  return L::Finish(in, L::Pack(HueStep<L>(m1, m2, d6, L::Add(h, third)), HueStep<L>(m1, m2, d6, h),
                               HueStep<L>(m1, m2, d6, L::Sub(h, third))));
}

template <class L, TWrap wrap>
HSL_LANES_FN std::size_t AdjustBlocks(TColor32* bits, std::size_t count, const THslShift& shift) {
  const std::size_t whole = count - count % L::kLanes;
  // Flat areas repeat whole blocks: the last block's result serves.
  auto lastIn = L::Load(bits), lastOut = lastIn;
  bool haveLast = false;
  for (std::size_t i = 0; i < whole; i += L::kLanes) {
    const auto in = L::Load(bits + i);
    if (!haveLast || !L::Same(in, lastIn)) {
      lastIn = in;
      lastOut = Adjust<L, wrap>(in, shift);
      haveLast = true;
    }
    L::Store(bits + i, lastOut);
  }
  return whole;
}

// Adjusts the pixels with alpha among the first count - count % kLanes
// pixels and returns how many it went through.
template <class L>
HSL_LANES_FN std::size_t AdjustAll(TColor32* bits, std::size_t count, const THslShift& shift) {
  if (count < L::kLanes) return 0;
  if (!shift.ShiftHue) return AdjustBlocks<L, TWrap::None>(bits, count, shift);
  if (shift.Hue >= -1.0f && shift.Hue <= 1.0f) return AdjustBlocks<L, TWrap::OneTurn>(bits, count, shift);
  return AdjustBlocks<L, TWrap::AnyTurns>(bits, count, shift);
}

}  // namespace hsllanes
