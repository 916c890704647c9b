#pragma once
// Conversions of pixel runs between the interleaved sample layout of a JPEG
// file (one byte per component) and bitmap pixels (blue, green, red, alpha
// byte order). The YCbCr conversions are table driven with 10 fraction bits.

#include <array>
#include <cstdint>
#include <vector>

class TsdColorTransform {
public:
  virtual ~TsdColorTransform() = default;
  // Converts count pixels from source to dest.
  virtual void Transform(const std::uint8_t* source, std::uint8_t* dest, int count) = 0;
  virtual int SourceBytes() const = 0;
  virtual int DestBytes() const = 0;
  // Converts count pixels whose components come as separate rows, sample i
  // of component c serving pixels i * repeat[c] .. (i + 1) * repeat[c] - 1.
  // The default interleaves into scratch and calls Transform.
  virtual void TransformPlanes(const std::uint8_t* const* planes, const int* repeat, std::uint8_t* dest, int count,
                               std::uint8_t* scratch);
  // Converts count pixels into separate component rows, component c into
  // planes[c]. The default converts into scratch and splits the components.
  virtual void TransformToPlanes(const std::uint8_t* source, std::uint8_t* const* planes, int count,
                                 std::uint8_t* scratch);
};

// Plain copy of pixels of N bytes.
template <int N>
class TsdNullTransform : public TsdColorTransform {
public:
  void Transform(const std::uint8_t* source, std::uint8_t* dest, int count) override;
  int SourceBytes() const override { return N; }
  int DestBytes() const override { return N; }
};
using TsdNullTransform8bit = TsdNullTransform<1>;
using TsdNullTransform16bit = TsdNullTransform<2>;
using TsdNullTransform24bit = TsdNullTransform<3>;
using TsdNullTransform32bit = TsdNullTransform<4>;

#define JPEG_DECLARE_TRANSFORM(Name, Base, Src, Dst)                                  \
  class Name : public Base {                                                          \
  public:                                                                             \
    void Transform(const std::uint8_t* source, std::uint8_t* dest, int count) override; \
    int SourceBytes() const override { return Src; }                                  \
    int DestBytes() const override { return Dst; }                                    \
  }

// Fixed-point precision of the YCbCr tables.
namespace jpeg {
constexpr int kColorBits = 10;
constexpr int kColorPrecision = 1 << kColorBits;

inline std::uint8_t ClampToByte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }
}  // namespace jpeg

class TsdJfifTransform : public TsdColorTransform {
protected:
  // r div P, clamped to a byte.
  static std::uint8_t Clamp(int r) { return jpeg::ClampToByte(r >> jpeg::kColorBits); }
};

// YCbCr to RGB: the unclamped sums R', G', B' before the division.
class TsdJfifFwdTransform : public TsdJfifTransform {
public:
  TsdJfifFwdTransform();

protected:
  struct Sums {
    int R, G, B;
  };
  Sums ToRGB(int y, int cb, int cr) const {
    return {YTable[y] + CrToR[cr] + ROffset, YTable[y] + CbToG[cb] + CrToG[cr] + GOffset,
            YTable[y] + CbToB[cb] + BOffset};
  }
  // Y x P is a multiple of P, so clamp((Y x P + S) div P) = clamp(Y + S div P)
  // with a flooring division: the chroma part of a channel reduces to a
  // small difference added to Y.
  int BlueDifference(int cb) const { return BDifference[static_cast<std::size_t>(cb)]; }
  int RedDifference(int cr) const { return RDifference[static_cast<std::size_t>(cr)]; }
  int GreenDifference(int cb, int cr) const {
    return (CbToG[static_cast<std::size_t>(cb)] + CrToG[static_cast<std::size_t>(cr)] + GOffset) >> jpeg::kColorBits;
  }
  // Writes B, G, R.
  void StoreBGR(const std::uint8_t* ycc, std::uint8_t* bgr) const {
    const int y = ycc[0];
    bgr[0] = jpeg::ClampToByte(y + BlueDifference(ycc[1]));
    bgr[1] = jpeg::ClampToByte(y + GreenDifference(ycc[1], ycc[2]));
    bgr[2] = jpeg::ClampToByte(y + RedDifference(ycc[2]));
  }

private:
  std::array<int, 256> YTable{}, CrToR{}, CbToG{}, CrToG{}, CbToB{};
  std::array<int, 256> BDifference{}, RDifference{};
  int ROffset, GOffset, BOffset;
};

// RGB to YCbCr.
class TsdJfifInvTransform : public TsdJfifTransform {
public:
  TsdJfifInvTransform();

protected:
  // Writes Y, Cb, Cr from r, g, b.
  void StoreYCbCr(int r, int g, int b, std::uint8_t* ycc) const {
    ycc[0] = Clamp(RtoY[r] + GtoY[g] + BtoY[b]);
    ycc[1] = Clamp(RtoCb[r] + GtoCb[g] + BtoCb[b] + ChromaOffset);
    ycc[2] = Clamp(RtoCr[r] + GtoCr[g] + BtoCr[b] + ChromaOffset);
  }
  std::uint8_t Luma(int r, int g, int b) const { return Clamp(RtoY[r] + GtoY[g] + BtoY[b]); }

private:
  std::array<int, 256> RtoY{}, GtoY{}, BtoY{}, RtoCb{}, GtoCb{}, BtoCb{}, RtoCr{}, GtoCr{}, BtoCr{};
  int ChromaOffset;
};

JPEG_DECLARE_TRANSFORM(TsdTransformInvertTriplet24bit, TsdColorTransform, 3, 3);
class TsdTransformYCbCrToBGR : public TsdJfifFwdTransform {
public:
  void Transform(const std::uint8_t* source, std::uint8_t* dest, int count) override;
  int SourceBytes() const override { return 3; }
  int DestBytes() const override { return 3; }
  // Converts straight from the component rows, each chroma sample once.
  void TransformPlanes(const std::uint8_t* const* planes, const int* repeat, std::uint8_t* dest, int count,
                       std::uint8_t* scratch) override;

private:
  std::vector<std::int16_t> Differences;  // of one row
};
JPEG_DECLARE_TRANSFORM(TsdTransformYCbCrToBGRA, TsdJfifFwdTransform, 3, 4);
JPEG_DECLARE_TRANSFORM(TsdTransformYCbCrToGray, TsdColorTransform, 3, 1);
JPEG_DECLARE_TRANSFORM(TsdTransformYCbCrAToBGR, TsdJfifFwdTransform, 4, 3);
JPEG_DECLARE_TRANSFORM(TsdTransformYCbCrAToBGRA, TsdJfifFwdTransform, 4, 4);
JPEG_DECLARE_TRANSFORM(TsdTransformYCbCrKToBGR, TsdJfifFwdTransform, 4, 3);
JPEG_DECLARE_TRANSFORM(TsdTransformYCCKToBGR, TsdJfifFwdTransform, 4, 3);
JPEG_DECLARE_TRANSFORM(TsdTransformCMYKToBGR_Adobe, TsdColorTransform, 4, 3);
JPEG_DECLARE_TRANSFORM(TsdTransformGrayToBGR, TsdColorTransform, 1, 3);
JPEG_DECLARE_TRANSFORM(TsdTransformGrayAToBGR, TsdColorTransform, 2, 3);
JPEG_DECLARE_TRANSFORM(TsdTransformGrayAToBGRA, TsdColorTransform, 2, 4);
JPEG_DECLARE_TRANSFORM(TsdTransformRGBToBGRA, TsdColorTransform, 3, 4);
JPEG_DECLARE_TRANSFORM(TsdTransformRGBAToBGR, TsdColorTransform, 4, 3);
class TsdTransformBGRToYCbCr : public TsdJfifInvTransform {
public:
  void Transform(const std::uint8_t* source, std::uint8_t* dest, int count) override;
  int SourceBytes() const override { return 3; }
  int DestBytes() const override { return 3; }
  // Computes the table entries from their closed forms, eight pixels at a time.
  void TransformToPlanes(const std::uint8_t* source, std::uint8_t* const* planes, int count,
                         std::uint8_t* scratch) override;
};
JPEG_DECLARE_TRANSFORM(TsdTransformBGRToGray, TsdJfifInvTransform, 3, 1);
JPEG_DECLARE_TRANSFORM(TsdTransformBGRAToYCbCrA, TsdJfifInvTransform, 4, 4);
JPEG_DECLARE_TRANSFORM(TsdTransformBGRAToYCbCr, TsdJfifInvTransform, 4, 3);

#undef JPEG_DECLARE_TRANSFORM

// CIELab with a and b offset by 128 (the ITU variant offsets b by 96).
class TsdTransformCIELabToBGR : public TsdColorTransform {
public:
  void Transform(const std::uint8_t* source, std::uint8_t* dest, int count) override;
  int SourceBytes() const override { return 3; }
  int DestBytes() const override { return 3; }

protected:
  virtual double BOffset() const { return 128.0; }
};

class TsdTransformITUCIELabToBGR : public TsdTransformCIELabToBGR {
protected:
  double BOffset() const override { return 96.0; }
};
