#include "imaging/jpeg/JpegColorTransforms.h"

#include "imaging/jpeg/JpegVector.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

int Fixed(double value) { return static_cast<int>(std::nearbyint(value * jpeg::kColorPrecision)); }

// Runs fn(source pixel, dest pixel) over count pixels.
template <int Src, int Dst, class Fn>
void ForEachPixel(const std::uint8_t* source, std::uint8_t* dest, int count, Fn fn) {
  for (int i = 0; i < count; ++i, source += Src, dest += Dst) fn(source, dest);
}

// The Adobe formula for one colour of a CMYK pixel, with the ink and K as
// Adobe files store them (inverted).
std::uint8_t AdobeChannel(int k, int ink) { return jpeg::ClampToByte(255 - (k * (255 - ink) / 255 + 255 - k)); }

}  // namespace

void TsdColorTransform::TransformPlanes(const std::uint8_t* const* planes, const int* repeat, std::uint8_t* dest,
                                        int count, std::uint8_t* scratch) {
  const int components = SourceBytes();
  for (int c = 0; c < components; ++c) {
    const std::uint8_t* samples = planes[c];
    std::uint8_t* out = scratch + c;
    if (repeat[c] == 1) {
      for (int x = 0; x < count; ++x) out[x * components] = samples[x];
      continue;
    }
    for (int x = 0; x < count; ++samples)
      for (int r = 0; r < repeat[c] && x < count; ++r, ++x) out[x * components] = *samples;
  }
  Transform(scratch, dest, count);
}

void TsdColorTransform::TransformToPlanes(const std::uint8_t* source, std::uint8_t* const* planes, int count,
                                          std::uint8_t* scratch) {
  Transform(source, scratch, count);
  const int components = DestBytes();
  for (int c = 0; c < components; ++c)
    for (int x = 0; x < count; ++x) planes[c][x] = scratch[x * components + c];
}

template <int N>
void TsdNullTransform<N>::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  if (source != dest) std::memmove(dest, source, static_cast<std::size_t>(count) * N);
}
template class TsdNullTransform<1>;
template class TsdNullTransform<2>;
template class TsdNullTransform<3>;
template class TsdNullTransform<4>;

TsdJfifFwdTransform::TsdJfifFwdTransform()
    : ROffset(Fixed(-179.456)), GOffset(Fixed(135.53664)), BOffset(Fixed(-226.816)) {
  for (int i = 0; i < 256; ++i) {
    YTable[i] = jpeg::kColorPrecision * i;
    CrToR[i] = Fixed(1.402 * i);
    CbToG[i] = Fixed(-0.34414 * i);
    CrToG[i] = Fixed(-0.71414 * i);
    CbToB[i] = Fixed(1.772 * i);
    BDifference[i] = (CbToB[i] + BOffset) >> jpeg::kColorBits;
    RDifference[i] = (CrToR[i] + ROffset) >> jpeg::kColorBits;
  }
}

TsdJfifInvTransform::TsdJfifInvTransform() : ChromaOffset(128 * jpeg::kColorPrecision) {
  for (int i = 0; i < 256; ++i) {
    RtoY[i] = Fixed(0.299 * i);
    GtoY[i] = Fixed(0.587 * i);
    BtoY[i] = Fixed(0.114 * i);
    RtoCb[i] = Fixed(-0.1687 * i);
    GtoCb[i] = Fixed(-0.3313 * i);
    BtoCb[i] = Fixed(0.5 * i);
    RtoCr[i] = Fixed(0.5 * i);
    GtoCr[i] = Fixed(-0.4187 * i);
    BtoCr[i] = Fixed(-0.0813 * i);
  }
}

void TsdTransformInvertTriplet24bit::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<3, 3>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) {
    const std::uint8_t first = s[0];
    d[1] = s[1];
    d[0] = s[2];
    d[2] = first;
  });
}

void TsdTransformYCbCrToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<3, 3>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) { StoreBGR(s, d); });
}

namespace {

using jpeg::Bytes16;
using jpeg::Bytes32;
using jpeg::Bytes8;
using jpeg::Ints8;
using jpeg::Words16;
using jpeg::Words8;

// The vector code computes table entries instead of looking them up: each
// table below is (M x i + C) >> S for i = 0..255, with M, C, S found by
// search and checked against the tables for every i by the tests.
struct LinearEntry {
  std::int32_t M, C;
  int S;
};

template <class T>
JPEG_KERNEL T Entry(T value, LinearEntry e) {
  return (value * e.M + e.C) >> e.S;
}

// YCbCr to RGB: blue and red differences, the two green table entries and
// the green offset.
constexpr LinearEntry kCbToBDifference{3629, -464512, 11}, kCrToRDifference{11485, -1470080, 13};
constexpr LinearEntry kCbToG{-360857, 519, 10}, kCrToG{-5990641, 4110, 13};
constexpr std::int32_t kGOffset = 138790;

// The chroma differences of one row, one entry per chroma sample.
struct ChromaDifferences {
  std::int16_t* Blue;
  std::int16_t* Green;
  std::int16_t* Red;
};

template <class Isa>
JPEG_KERNEL void StoreWords(Ints8 v, std::int16_t* dest) {
  const Words16 words = reinterpret_cast<Words16>(v);
  const Words8 low = jpeg::Shuffle<Isa, Words8, 0, 2, 4, 6, 8, 10, 12, 14>(words, words);
  std::memcpy(dest, &low, sizeof(low));
}

template <class T>
JPEG_KERNEL T GreenDifference(T cb, T cr) {
  return (Entry(cb, kCbToG) + Entry(cr, kCrToG) + kGOffset) >> jpeg::kColorBits;
}

template <class Isa>
JPEG_KERNEL void ComputeDifferences(const std::uint8_t* cb, const std::uint8_t* cr, ChromaDifferences d, int samples) {
  int i = 0;
  for (; i + 8 <= samples; i += 8) {
    const Ints8 blue = jpeg::LoadWiden8<Isa>(cb + i), red = jpeg::LoadWiden8<Isa>(cr + i);
    StoreWords<Isa>(Entry(blue, kCbToBDifference), d.Blue + i);
    StoreWords<Isa>(GreenDifference(blue, red), d.Green + i);
    StoreWords<Isa>(Entry(red, kCrToRDifference), d.Red + i);
  }
  for (; i < samples; ++i) {
    d.Blue[i] = static_cast<std::int16_t>(Entry<int>(cb[i], kCbToBDifference));
    d.Green[i] = static_cast<std::int16_t>(GreenDifference<int>(cb[i], cr[i]));
    d.Red[i] = static_cast<std::int16_t>(Entry<int>(cr[i], kCrToRDifference));
  }
}

// 16 pixels at a time.

// The differences for 16 pixels from Step-shared chroma samples.
template <int Step, class Isa>
JPEG_KERNEL Words16 LoadDifferences(const std::int16_t* differences) {
  if constexpr (Step == 1) {
    Words16 v;
    std::memcpy(&v, differences, sizeof(v));
    return v;
  } else {
    Words8 v;
    std::memcpy(&v, differences, sizeof(v));
    return jpeg::Shuffle<Isa, Words16, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7>(v, v);
  }
}

template <class Isa>
JPEG_KERNEL Bytes16 AddClamped(Words16 luma, Words16 difference) {
  Words16 v = luma + difference;
  v = jpeg::ClampLanesToBytes(v);
  // The low byte of each lane (a conversion compiles to lane-by-lane moves).
  const Bytes32 bytes = reinterpret_cast<Bytes32>(v);
  return jpeg::Shuffle<Isa, Bytes16, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30>(bytes, bytes);
}

// Writes 16 pixels as B, G, R triplets.
template <class Isa>
JPEG_KERNEL void StoreTriplets(Bytes16 b, Bytes16 g, Bytes16 r, std::uint8_t* dest) {
  using jpeg::Shuffle;
  const Bytes32 bg = Shuffle<Isa, Bytes32, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23, 8, 24, 9, 25, 10, 26,
                             11, 27, 12, 28, 13, 29, 14, 30, 15, 31>(b, g);
  const Bytes32 rr = Shuffle<Isa, Bytes32, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7,
                             8, 9, 10, 11, 12, 13, 14, 15>(r, r);
  // Output byte j is channel j % 3 of pixel j / 3: bg[2p], bg[2p + 1] or rr[p].
  const Bytes16 out0 = Shuffle<Isa, Bytes16, 0, 1, 32, 2, 3, 33, 4, 5, 34, 6, 7, 35, 8, 9, 36, 10>(bg, rr);
  const Bytes16 out1 = Shuffle<Isa, Bytes16, 11, 37, 12, 13, 38, 14, 15, 39, 16, 17, 40, 18, 19, 41, 20, 21>(bg, rr);
  const Bytes16 out2 = Shuffle<Isa, Bytes16, 42, 22, 23, 43, 24, 25, 44, 26, 27, 45, 28, 29, 46, 30, 31, 47>(bg, rr);
  std::memcpy(dest, &out0, 16);
  std::memcpy(dest + 16, &out1, 16);
  std::memcpy(dest + 32, &out2, 16);
}

// B, G, R = Y + difference, clamped; Step pixels share a chroma sample.
template <int Step, class Isa>
JPEG_KERNEL void AddChromaDifferences(const std::uint8_t* luma, ChromaDifferences d, std::uint8_t* dest, int count) {
  int x = 0;
  for (; x + 16 <= count; x += 16) {
    Bytes16 y8;
    std::memcpy(&y8, luma + x, sizeof(y8));
    const Words16 y = __builtin_convertvector(y8, Words16);
    const int c = x / Step;
    StoreTriplets<Isa>(AddClamped<Isa>(y, LoadDifferences<Step, Isa>(d.Blue + c)),
                       AddClamped<Isa>(y, LoadDifferences<Step, Isa>(d.Green + c)),
                       AddClamped<Isa>(y, LoadDifferences<Step, Isa>(d.Red + c)), dest + 3 * x);
  }
  for (; x < count; ++x) {
    const int y = luma[x], c = x / Step;
    dest[3 * x] = jpeg::ClampToByte(y + d.Blue[c]);
    dest[3 * x + 1] = jpeg::ClampToByte(y + d.Green[c]);
    dest[3 * x + 2] = jpeg::ClampToByte(y + d.Red[c]);
  }
}

template <class Isa>
JPEG_KERNEL void AddChromaDifferences1(const std::uint8_t* luma, ChromaDifferences d, std::uint8_t* dest, int count) {
  AddChromaDifferences<1, Isa>(luma, d, dest, count);
}
template <class Isa>
JPEG_KERNEL void AddChromaDifferences2(const std::uint8_t* luma, ChromaDifferences d, std::uint8_t* dest, int count) {
  AddChromaDifferences<2, Isa>(luma, d, dest, count);
}

}  // namespace

void TsdTransformYCbCrToBGR::TransformPlanes(const std::uint8_t* const* planes, const int* repeat, std::uint8_t* dest,
                                             int count, std::uint8_t* scratch) {
  const int step = repeat[1];
  if (repeat[0] != 1 || repeat[2] != step || step > 2) {
    TsdColorTransform::TransformPlanes(planes, repeat, dest, count, scratch);
    return;
  }
  const int samples = (count + step - 1) / step;
  std::vector<std::int16_t>& buffer = Differences;
  buffer.resize(3 * static_cast<std::size_t>(samples));
  const ChromaDifferences d{buffer.data(), buffer.data() + samples, buffer.data() + 2 * samples};
  JPEG_DISPATCH(ComputeDifferences, planes[1], planes[2], d, samples);
  if (step == 1) JPEG_DISPATCH(AddChromaDifferences1, planes[0], d, dest, count);
  else JPEG_DISPATCH(AddChromaDifferences2, planes[0], d, dest, count);
}

void TsdTransformYCbCrToBGRA::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<3, 4>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) {
    StoreBGR(s, d);
    d[3] = 255;
  });
}

void TsdTransformYCbCrToGray::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<3, 1>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) { d[0] = s[0]; });
}

void TsdTransformYCbCrAToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 3>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) { StoreBGR(s, d); });
}

void TsdTransformYCbCrAToBGRA::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 4>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) {
    const std::uint8_t alpha = s[3];
    StoreBGR(s, d);
    d[3] = alpha;
  });
}

void TsdTransformYCbCrKToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 3>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) {
    const Sums sums = ToRGB(s[0], s[1], s[2]);
    const int k = jpeg::kColorPrecision * s[3];
    d[0] = Clamp(k - sums.B);
    d[1] = Clamp(k - sums.G);
    d[2] = Clamp(k - sums.R);
  });
}

void TsdTransformYCCKToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 3>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) {
    // The YCC triple stands for the inverted inks: converted and clamped like
    // any colour, it gives the inks that then go through the same formula as
    // plain CMYK, so both kinds of file look alike.
    std::uint8_t bgr[3];
    StoreBGR(s, bgr);
    const int k = s[3];
    for (int c = 0; c < 3; ++c) d[c] = AdobeChannel(k, 255 - bgr[c]);
  });
}

void TsdTransformCMYKToBGR_Adobe::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 3>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) {
    const int k = s[3];
    const std::uint8_t r = AdobeChannel(k, s[0]), g = AdobeChannel(k, s[1]), b = AdobeChannel(k, s[2]);
    d[0] = b;
    d[1] = g;
    d[2] = r;
  });
}

void TsdTransformGrayToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<1, 3>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) { d[0] = d[1] = d[2] = s[0]; });
}

void TsdTransformGrayAToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<2, 3>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) { d[0] = d[1] = d[2] = s[0]; });
}

void TsdTransformGrayAToBGRA::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<2, 4>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) {
    const std::uint8_t alpha = s[1];
    d[0] = d[1] = d[2] = s[0];
    d[3] = alpha;
  });
}

void TsdTransformRGBToBGRA::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<3, 4>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) {
    const std::uint8_t r = s[0], g = s[1], b = s[2];
    d[0] = b;
    d[1] = g;
    d[2] = r;
    d[3] = 255;
  });
}

void TsdTransformRGBAToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 3>(source, dest, count, [](const std::uint8_t* s, std::uint8_t* d) {
    const std::uint8_t r = s[0], g = s[1], b = s[2];
    d[0] = b;
    d[1] = g;
    d[2] = r;
  });
}

void TsdTransformBGRToYCbCr::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<3, 3>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) { StoreYCbCr(s[2], s[1], s[0], d); });
}

namespace {

// RGB to YCbCr: the nine table entries.
constexpr LinearEntry kRtoY{1254097, 2026, 12}, kGtoY{2462057, 1972, 12}, kBtoY{478151, 2001, 12};
constexpr LinearEntry kRtoCb{-176895, 559, 10}, kGtoCb{-347393, 461, 10}, kBtoCb{131071, 255, 8};
constexpr LinearEntry kRtoCr{131071, 255, 8}, kGtoCr{-439039, 559, 10}, kBtoCr{-85249, 461, 10};

// clamp(sum div P) for the three terms, plus the chroma offset.
template <class T>
JPEG_KERNEL T YccChannel(T r, T g, T b, LinearEntry er, LinearEntry eg, LinearEntry eb, std::int32_t offset) {
  T v = (Entry(r, er) + Entry(g, eg) + Entry(b, eb) + offset) >> jpeg::kColorBits;
  if constexpr (std::is_same_v<T, int>) {
    return jpeg::ClampToByte(v);
  } else {
    return jpeg::ClampLanesToBytes(v);
  }
}

template <class Isa>
JPEG_KERNEL void StoreLowBytes(Ints8 v, std::uint8_t* dest) {
  const Bytes8 low = jpeg::NarrowToBytes<Isa>(v);
  std::memcpy(dest, &low, sizeof(low));
}

template <class Isa>
JPEG_KERNEL void BgrToYccPlanes(const std::uint8_t* bgr, std::uint8_t* luma, std::uint8_t* cb, std::uint8_t* cr,
                                int count) {
  constexpr std::int32_t kOffset = 128 * jpeg::kColorPrecision;
  int x = 0;
  // Eight pixels are 24 bytes; the 32 read must stay inside the row.
  for (; 3 * x + 32 <= 3 * count; x += 8) {
    Bytes32 raw;
    std::memcpy(&raw, bgr + 3 * x, sizeof(raw));
    using jpeg::Shuffle;
    const Ints8 b = jpeg::WidenLow8<Isa>(Shuffle<Isa, Bytes16, 0, 3, 6, 9, 12, 15, 18, 21, 0, 0, 0, 0, 0, 0, 0, 0>(raw, raw));
    const Ints8 g = jpeg::WidenLow8<Isa>(Shuffle<Isa, Bytes16, 1, 4, 7, 10, 13, 16, 19, 22, 0, 0, 0, 0, 0, 0, 0, 0>(raw, raw));
    const Ints8 r = jpeg::WidenLow8<Isa>(Shuffle<Isa, Bytes16, 2, 5, 8, 11, 14, 17, 20, 23, 0, 0, 0, 0, 0, 0, 0, 0>(raw, raw));
    StoreLowBytes<Isa>(YccChannel(r, g, b, kRtoY, kGtoY, kBtoY, 0), luma + x);
    StoreLowBytes<Isa>(YccChannel(r, g, b, kRtoCb, kGtoCb, kBtoCb, kOffset), cb + x);
    StoreLowBytes<Isa>(YccChannel(r, g, b, kRtoCr, kGtoCr, kBtoCr, kOffset), cr + x);
  }
  for (; x < count; ++x) {
    const int b = bgr[3 * x], g = bgr[3 * x + 1], r = bgr[3 * x + 2];
    luma[x] = static_cast<std::uint8_t>(YccChannel(r, g, b, kRtoY, kGtoY, kBtoY, 0));
    cb[x] = static_cast<std::uint8_t>(YccChannel(r, g, b, kRtoCb, kGtoCb, kBtoCb, kOffset));
    cr[x] = static_cast<std::uint8_t>(YccChannel(r, g, b, kRtoCr, kGtoCr, kBtoCr, kOffset));
  }
}

}  // namespace

void TsdTransformBGRToYCbCr::TransformToPlanes(const std::uint8_t* source, std::uint8_t* const* planes, int count,
                                               std::uint8_t*) {
  JPEG_DISPATCH(BgrToYccPlanes, source, planes[0], planes[1], planes[2], count);
}

void TsdTransformBGRToGray::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<3, 1>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) { d[0] = Luma(s[2], s[1], s[0]); });
}

void TsdTransformBGRAToYCbCrA::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 4>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) {
    const std::uint8_t alpha = s[3];
    StoreYCbCr(s[2], s[1], s[0], d);
    d[3] = alpha;
  });
}

void TsdTransformBGRAToYCbCr::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  ForEachPixel<4, 3>(source, dest, count, [this](const std::uint8_t* s, std::uint8_t* d) { StoreYCbCr(s[2], s[1], s[0], d); });
}

void TsdTransformCIELabToBGR::Transform(const std::uint8_t* source, std::uint8_t* dest, int count) {
  const double bOffset = BOffset();
  const auto inverseCompand = [](double t) { return t > 6.0 / 29.0 ? t * t * t : (t - 4.0 / 29.0) * 0.12841855; };
  const auto gamma = [](double c) { return c > 0.0031308 ? 1.055 * std::pow(c, 1.0 / 2.4) - 0.055 : 12.92 * c; };
  const auto toByte = [](double c) {
    const double v = std::clamp(c * 255.0, 0.0, 255.0);
    return static_cast<std::uint8_t>(std::nearbyint(v));
  };
  ForEachPixel<3, 3>(source, dest, count, [&](const std::uint8_t* s, std::uint8_t* d) {
    const double l = s[0] * (100.0 / 255.0), a = s[1] - 128.0, b = s[2] - bOffset;
    const double fy = (l + 16.0) / 116.0, fx = fy + a / 500.0, fz = fy - b / 200.0;
    const double x = inverseCompand(fx) * 0.9505, y = inverseCompand(fy), z = inverseCompand(fz) * 1.089;
    const double r = 3.24071 * x - 1.53726 * y - 0.498571 * z;
    const double g = -0.969258 * x + 1.87599 * y + 0.0415557 * z;
    const double bl = 0.0556352 * x - 0.203996 * y + 1.05707 * z;
    d[0] = toByte(gamma(bl));
    d[1] = toByte(gamma(g));
    d[2] = toByte(gamma(r));
  });
}
