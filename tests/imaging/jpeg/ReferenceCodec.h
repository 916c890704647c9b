#pragma once
// Test helpers around libjpeg-turbo, used only as a black-box oracle, and
// generated test pictures.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace jpegtest {

// Pixels with 1 (grey), 3 (RGB) or 4 (CMYK) bytes each, rows top-down.
struct Image {
  int Width = 0;
  int Height = 0;
  int Components = 3;
  std::vector<std::uint8_t> Pixels;
  std::uint8_t At(int x, int y, int c) const {
    return Pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)) *
                      static_cast<std::size_t>(Components) + static_cast<std::size_t>(c)];
  }
};

// One scan of a progressive script: one component, coefficients Ss..Se,
// successive approximation bits Ah and Al.
struct ScanStep {
  int Component;
  int Ss, Se, Ah, Al;
};

struct EncodeSettings {
  int Quality = 85;
  int HorSampling = 2;  // luma sampling factors
  int VerSampling = 2;
  bool Progressive = false;
  int RestartInterval = 0;  // in MCUs
  bool Optimize = false;
  bool Ycck = false;  // four-component pictures stored as YCCK instead of CMYK
  bool SeparateScans = false;  // sequential, one scan per component
};

// A non-empty script replaces the scans of the settings (a progressive one
// when its first scan is not a whole sequential one).
std::vector<std::uint8_t> ReferenceEncode(const Image& image, const EncodeSettings& settings,
                                          const std::vector<ScanStep>& script = {});

// The decoded picture and what the reference decoder read from the header.
struct DecodeResult {
  Image Picture;
  int Warnings = 0;
  // Quantisation tables by table number (absent ones empty), natural order.
  std::vector<std::vector<int>> QuantTables;
  // Horizontal and vertical sampling factor of each component.
  std::vector<std::pair<int, int>> Sampling;
  bool Jfif = false;
  bool Progressive = false;
};

// Accurate integer IDCT, no fancy up-sampling; output RGB for colour files,
// grey for grey files, raw CMYK for four-component files. scaleDenom 1, 2, 4, 8.
DecodeResult ReferenceDecode(const std::vector<std::uint8_t>& file, int scaleDenom = 1);

// A photo-like picture: smooth gradients, mild noise and sharp text-like edges.
Image MakePhoto(int width, int height, int components, unsigned seed, int noise = 6, bool strokes = true);

// Mean absolute difference of all samples.
double MeanDifference(const Image& a, const Image& b);

double Psnr(const Image& a, const Image& b);

}  // namespace jpegtest
