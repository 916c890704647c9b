#include "imaging/jpeg/JpegDct.h"

#include "imaging/jpeg/JpegVector.h"

#include <cmath>
#include <cstring>

// The 8 x 8 transforms run on eight lanes at once (one lane per row or column)
// with the compiler's vector extension. Sums and products wrap in unsigned
// lanes: corrupt coefficients give wrong pixels, never undefined behaviour.

namespace jpeg {
const std::array<std::uint8_t, 64 + 16> kZigzagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
    // runs past the end land on the last coefficient
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};
}  // namespace jpeg

namespace {

typedef std::uint32_t Lanes __attribute__((vector_size(32)));
typedef std::int32_t SignedLanes __attribute__((vector_size(32)));
using jpeg::Bytes8;
using jpeg::Words8;

using Block = Lanes[8];

JPEG_KERNEL Lanes Shr(Lanes v, int bits) { return reinterpret_cast<Lanes>(reinterpret_cast<SignedLanes>(v) >> bits); }
JPEG_KERNEL Lanes Splat(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return Lanes{u, u, u, u, u, u, u, u};
}
// Rounded arithmetic shift right.
JPEG_KERNEL Lanes Descale(Lanes v, int bits) { return Shr(v + Splat(1 << (bits - 1)), bits); }

template <class Isa>
JPEG_KERNEL void Transpose(Block& v) {
  using jpeg::Shuffle;
  Lanes t[8], u[8];
  for (int p = 0; p < 8; p += 2) {
    t[p] = Shuffle<Isa, Lanes, 0, 8, 1, 9, 4, 12, 5, 13>(v[p], v[p + 1]);
    t[p + 1] = Shuffle<Isa, Lanes, 2, 10, 3, 11, 6, 14, 7, 15>(v[p], v[p + 1]);
  }
  for (int p = 0; p < 8; p += 4)
    for (int q = 0; q < 2; ++q) {
      u[p + 2 * q] = Shuffle<Isa, Lanes, 0, 1, 8, 9, 4, 5, 12, 13>(t[p + q], t[p + q + 2]);
      u[p + 2 * q + 1] = Shuffle<Isa, Lanes, 2, 3, 10, 11, 6, 7, 14, 15>(t[p + q], t[p + q + 2]);
    }
  // u[c] holds rows 0-3 of columns c and c + 4, u[c + 4] rows 4-7.
  for (int c = 0; c < 4; ++c) {
    v[c] = Shuffle<Isa, Lanes, 0, 1, 2, 3, 8, 9, 10, 11>(u[c], u[c + 4]);
    v[c + 4] = Shuffle<Isa, Lanes, 4, 5, 6, 7, 12, 13, 14, 15>(u[c], u[c + 4]);
  }
}

// 13-bit constants of the accurate transforms.
constexpr int kConstBits = 13;
constexpr int kPass1Bits = 2;
constexpr std::int32_t F0_298 = 2446, F0_390 = 3196, F0_541 = 4433, F0_765 = 6270, F0_899 = 7373,
                       F1_175 = 9633, F1_501 = 12299, F1_847 = 15137, F1_961 = 16069, F2_053 = 16819,
                       F2_562 = 20995, F3_072 = 25172;

// One pass of the accurate inverse transform across the eight vectors; a
// shift of 0 leaves the results unscaled.
JPEG_KERNEL void AccurateInversePass(Block& v, int shift) {
  Lanes z1 = (v[2] + v[6]) * Splat(F0_541);
  const Lanes t2 = z1 + v[6] * Splat(-F1_847);
  const Lanes t3 = z1 + v[2] * Splat(F0_765);
  const Lanes t0 = (v[0] + v[4]) << kConstBits;
  const Lanes t1 = (v[0] - v[4]) << kConstBits;
  const Lanes e10 = t0 + t3, e13 = t0 - t3, e11 = t1 + t2, e12 = t1 - t2;

  Lanes o0 = v[7], o1 = v[5], o2 = v[3], o3 = v[1];
  z1 = o0 + o3;
  Lanes z2 = o1 + o2, z3 = o0 + o2, z4 = o1 + o3;
  const Lanes z5 = (z3 + z4) * Splat(F1_175);
  o0 *= Splat(F0_298);
  o1 *= Splat(F2_053);
  o2 *= Splat(F3_072);
  o3 *= Splat(F1_501);
  z1 *= Splat(-F0_899);
  z2 *= Splat(-F2_562);
  z3 = z3 * Splat(-F1_961) + z5;
  z4 = z4 * Splat(-F0_390) + z5;
  o0 += z1 + z3;
  o1 += z2 + z4;
  o2 += z2 + z3;
  o3 += z1 + z4;

  v[0] = e10 + o3;
  v[7] = e10 - o3;
  v[1] = e11 + o2;
  v[6] = e11 - o2;
  v[2] = e12 + o1;
  v[5] = e12 - o1;
  v[3] = e13 + o0;
  v[4] = e13 - o0;
  if (shift > 0)
    for (Lanes& lane : v) lane = Descale(lane, shift);
}

// One pass of the fast (Arai, Agui, Nakajima) inverse transform; the inputs
// carry the AAN scale factors. Constants have 8 fraction bits.
JPEG_KERNEL void FastInversePass(Block& v) {
  const auto mul = [](Lanes x, std::int32_t c) { return Shr(x * Splat(c), 8); };
  constexpr std::int32_t F1_414 = 362, F1_847f = 473, F1_082 = 277, F2_613 = 669;
  const Lanes t10 = v[0] + v[4], t11 = v[0] - v[4];
  const Lanes t13 = v[2] + v[6];
  const Lanes t12 = mul(v[2] - v[6], F1_414) - t13;
  const Lanes e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;

  const Lanes z13 = v[5] + v[3], z10 = v[5] - v[3], z11 = v[1] + v[7], z12 = v[1] - v[7];
  const Lanes o7 = z11 + z13;
  const Lanes o11 = mul(z11 - z13, F1_414);
  const Lanes z5 = mul(z10 + z12, F1_847f);
  const Lanes o10 = z5 - mul(z12, F1_082);
  const Lanes o12 = z5 - mul(z10, F2_613);
  const Lanes o6 = o12 - o7;
  const Lanes o5 = o11 - o6;
  const Lanes o4 = o10 - o5;

  v[0] = e0 + o7;
  v[7] = e0 - o7;
  v[1] = e1 + o6;
  v[6] = e1 - o6;
  v[2] = e2 + o5;
  v[5] = e2 - o5;
  v[3] = e3 + o4;
  v[4] = e3 - o4;
}

// Stores the transposed block (vector x holds column x) as clamped samples.
template <class Isa>
JPEG_KERNEL void StoreColumns(Block& v, int shift, std::uint8_t* samples, int stride) {
  Transpose<Isa>(v);
  for (int y = 0; y < 8; ++y) {
    SignedLanes s = reinterpret_cast<SignedLanes>(Descale(v[y], shift) + Splat(128));
    s = jpeg::ClampLanesToBytes(s);
    const Bytes8 row = jpeg::NarrowToBytes<Isa>(s);
    std::memcpy(samples + y * stride, &row, sizeof(row));
  }
}

JPEG_KERNEL void LoadDequantized(const std::int16_t* c, const std::int32_t* m, Block& v) {
  for (int r = 0; r < 8; ++r) {
    Words8 coefficients;
    Lanes multipliers;
    std::memcpy(&coefficients, c + r * 8, sizeof(coefficients));
    std::memcpy(&multipliers, m + r * 8, sizeof(multipliers));
    v[r] = reinterpret_cast<Lanes>(__builtin_convertvector(coefficients, SignedLanes)) * multipliers;
  }
}

JPEG_KERNEL bool OnlyDC(const std::int16_t* c) {
  std::uint64_t bits = 0;
  std::uint64_t word;
  std::memcpy(&word, c, 8);
  bits |= word & ~std::uint64_t{0xFFFF};
  for (int i = 1; i < 16; ++i) {
    std::memcpy(&word, c + 4 * i, 8);
    bits |= word;
  }
  return bits == 0;
}

JPEG_KERNEL void FillBlock(std::uint8_t* samples, int side, int stride, std::int64_t value) {
  const auto sample = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
  for (int y = 0; y < side; ++y) std::memset(samples + y * stride, sample, static_cast<std::size_t>(side));
}

JPEG_KERNEL std::int64_t RoundedDiv(std::int64_t value, int bits) { return (value + (std::int64_t{1} << (bits - 1))) >> bits; }

template <class Isa>
JPEG_KERNEL void InverseAccurate(const std::int16_t* c, const std::int32_t* m, std::uint8_t* samples, int stride) {
  if (OnlyDC(c)) {
    FillBlock(samples, 8, stride, RoundedDiv(std::int64_t{c[0]} * m[0], 3) + 128);
    return;
  }
  Block v;
  LoadDequantized(c, m, v);
  AccurateInversePass(v, kConstBits - kPass1Bits);
  Transpose<Isa>(v);
  AccurateInversePass(v, 0);
  StoreColumns<Isa>(v, kConstBits + kPass1Bits + 3, samples, stride);
}

// Fast multipliers carry 9 fraction bits; pass 1 drops 3 of them.
constexpr int kFastBits = 9;

template <class Isa>
JPEG_KERNEL void InverseFast(const std::int16_t* c, const std::int32_t* m, std::uint8_t* samples, int stride) {
  if (OnlyDC(c)) {
    FillBlock(samples, 8, stride, RoundedDiv(std::int64_t{c[0]} * m[0], kFastBits + 3) + 128);
    return;
  }
  Block v;
  LoadDequantized(c, m, v);
  FastInversePass(v);
  for (Lanes& lane : v) lane = Shr(lane, 3);
  Transpose<Isa>(v);
  FastInversePass(v);
  StoreColumns<Isa>(v, kFastBits, samples, stride);
}

// 4 x 4 inverse DCT of the low-frequency square, evaluated at the centres of
// 2 x 2 pixel groups; 13-bit constants in 64-bit arithmetic.
void Inverse4x4(const std::int16_t* c, const std::int32_t* m, std::uint8_t* samples, int stride) {
  constexpr std::int64_t C4 = 5793, C2 = 7568, C6 = 3135;  // cos(pi/4), cos(pi/8), cos(3pi/8)
  const auto oneD = [](const std::int64_t* x, std::int64_t* y) {
    const std::int64_t e0 = (x[0] + x[2]) * C4, e1 = (x[0] - x[2]) * C4;
    const std::int64_t o0 = x[1] * C2 + x[3] * C6, o1 = x[1] * C6 - x[3] * C2;
    y[0] = e0 + o0;
    y[3] = e0 - o0;
    y[1] = e1 + o1;
    y[2] = e1 - o1;
  };
  std::int64_t work[16], column[4], out[4];
  for (int x = 0; x < 4; ++x) {
    for (int u = 0; u < 4; ++u) column[u] = std::int64_t{c[u * 4 + x]} * m[u * 8 + x];
    oneD(column, out);
    for (int y = 0; y < 4; ++y) work[y * 4 + x] = out[y];
  }
  for (int y = 0; y < 4; ++y) {
    oneD(work + y * 4, out);
    // Each pass scales by 2^13 and the transform by 1/2 per direction.
    for (int x = 0; x < 4; ++x) {
      const std::int64_t value = RoundedDiv(out[x], 2 * kConstBits + 2) + 128;
      samples[y * stride + x] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
  }
}

// 2 x 2: (F00 +- F01 +- F10 +- F11) / 8.
void Inverse2x2(const std::int16_t* c, const std::int32_t* m, std::uint8_t* samples, int stride) {
  const std::int64_t f00 = std::int64_t{c[0]} * m[0], f01 = std::int64_t{c[1]} * m[1];
  const std::int64_t f10 = std::int64_t{c[2]} * m[8], f11 = std::int64_t{c[3]} * m[9];
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      const std::int64_t sx = x == 0 ? 1 : -1, sy = y == 0 ? 1 : -1;
      const std::int64_t value = RoundedDiv(f00 + sx * f01 + sy * f10 + sx * sy * f11, 3) + 128;
      samples[y * stride + x] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
}

void Inverse1x1(const std::int16_t* c, const std::int32_t* m, std::uint8_t* samples, int stride) {
  FillBlock(samples, 1, stride, RoundedDiv(std::int64_t{c[0]} * m[0], 3) + 128);
}

// Scale factors of the fast transform: s(0) = 1, s(k) = sqrt(2) cos(k pi / 16), 14 bits.
std::int32_t AanScale(int natural) {
  const auto s = [](int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * M_PI / 16.0); };
  return static_cast<std::int32_t>(std::nearbyint(16384.0 * s(natural / 8) * s(natural % 8)));
}

}  // namespace

void TsdJpegIDCT::Setup(const TsdQuantizationTable& table, TsdJpegDCTCodingMethod method, TsdJpegScale scale) {
  Method = method;
  Scale = scale;
  for (int k = 0; k < 64; ++k) {
    const int natural = jpeg::kZigzagToNatural[static_cast<std::size_t>(k)];
    const std::int64_t q = table.Quant[static_cast<std::size_t>(k)];
    Multipliers[static_cast<std::size_t>(natural)] =
        method == dmFast && scale == jsFull ? static_cast<std::int32_t>(q * AanScale(natural) >> (14 - kFastBits))
                                            : static_cast<std::int32_t>(q);
  }
}

void TsdJpegIDCT::InverseBlock(const std::int16_t* coefficients, std::uint8_t* samples, int stride) const {
  switch (Scale) {
    case jsFull:
      if (Method == dmFast) JPEG_DISPATCH(InverseFast, coefficients, Multipliers.data(), samples, stride);
      else JPEG_DISPATCH(InverseAccurate, coefficients, Multipliers.data(), samples, stride);
      break;
    case jsDiv2: Inverse4x4(coefficients, Multipliers.data(), samples, stride); break;
    case jsDiv4: Inverse2x2(coefficients, Multipliers.data(), samples, stride); break;
    case jsDiv8: Inverse1x1(coefficients, Multipliers.data(), samples, stride); break;
  }
}

// ---- forward ----

namespace {

// One pass of the accurate forward transform across the eight vectors;
// the first pass keeps kPass1Bits extra bits, the second removes them.
JPEG_KERNEL void AccurateForwardPass(Block& v, bool firstPass) {
  const int evenShift = firstPass ? -kPass1Bits : kPass1Bits;
  const int oddShift = firstPass ? kConstBits - kPass1Bits : kConstBits + kPass1Bits;
  const Lanes t0 = v[0] + v[7], t7 = v[0] - v[7], t1 = v[1] + v[6], t6 = v[1] - v[6];
  const Lanes t2 = v[2] + v[5], t5 = v[2] - v[5], t3 = v[3] + v[4], t4 = v[3] - v[4];
  const Lanes e10 = t0 + t3, e13 = t0 - t3, e11 = t1 + t2, e12 = t1 - t2;
  v[0] = evenShift < 0 ? (e10 + e11) << kPass1Bits : Descale(e10 + e11, evenShift);
  v[4] = evenShift < 0 ? (e10 - e11) << kPass1Bits : Descale(e10 - e11, evenShift);
  const Lanes z1 = (e12 + e13) * Splat(F0_541);
  v[2] = Descale(z1 + e13 * Splat(F0_765), oddShift);
  v[6] = Descale(z1 + e12 * Splat(-F1_847), oddShift);

  Lanes a = t4 * Splat(F0_298), b = t5 * Splat(F2_053), c = t6 * Splat(F3_072), d = t7 * Splat(F1_501);
  const Lanes z5 = (t4 + t6 + t5 + t7) * Splat(F1_175);
  const Lanes y1 = (t4 + t7) * Splat(-F0_899), y2 = (t5 + t6) * Splat(-F2_562);
  const Lanes y3 = (t4 + t6) * Splat(-F1_961) + z5, y4 = (t5 + t7) * Splat(-F0_390) + z5;
  v[7] = Descale(a + y1 + y3, oddShift);
  v[5] = Descale(b + y2 + y4, oddShift);
  v[3] = Descale(c + y2 + y3, oddShift);
  v[1] = Descale(d + y1 + y4, oddShift);
}

// Forward transform and quantisation rounded to the nearest: (|c| + d/2) div d
// with the sign of c, the division done by multiplication.
template <class Isa>
JPEG_KERNEL void ForwardQuantized(const std::uint8_t* samples, int stride, const std::uint64_t* reciprocals,
                                  const std::uint32_t* halfDivisors, std::int16_t* coefficients) {
  Block v;
  for (int r = 0; r < 8; ++r) v[r] = reinterpret_cast<Lanes>(jpeg::LoadWiden8<Isa>(samples + r * stride)) - Splat(128);
  Transpose<Isa>(v);
  AccurateForwardPass(v, true);
  Transpose<Isa>(v);
  AccurateForwardPass(v, false);
  for (int r = 0; r < 8; ++r)
    for (int i = 0; i < 8; ++i) {
      const int k = r * 8 + i;
      const auto c = static_cast<std::int32_t>(v[r][i]);
      const std::uint64_t magnitude = static_cast<std::uint32_t>(c < 0 ? -c : c) + halfDivisors[k];
      const auto q = static_cast<std::int32_t>((magnitude * reciprocals[k]) >> 40);
      coefficients[k] = static_cast<std::int16_t>(c < 0 ? -q : q);
    }
}

}  // namespace

void TsdJpegFDCT::Setup(const TsdQuantizationTable& table) {
  for (int k = 0; k < 64; ++k) {
    const auto natural = jpeg::kZigzagToNatural[static_cast<std::size_t>(k)];
    const std::uint32_t divisor = 8u * table.Quant[static_cast<std::size_t>(k)];
    Multipliers[natural] = static_cast<std::int32_t>(divisor);
    Reciprocals[natural] = (std::uint64_t{1} << 40) / divisor + 1;
    HalfDivisors[natural] = divisor / 2;
  }
}

void TsdJpegFDCT::ForwardBlock(const std::uint8_t* samples, int stride, std::int16_t* coefficients) const {
  JPEG_DISPATCH(ForwardQuantized, samples, stride, Reciprocals.data(), HalfDivisors.data(), coefficients);
}
