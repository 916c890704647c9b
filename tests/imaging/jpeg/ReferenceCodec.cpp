#include "tests/imaging/jpeg/ReferenceCodec.h"

#include <jpeglib.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <random>
#include <stdexcept>

namespace jpegtest {

namespace {

struct ErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
  int Warnings = 0;
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  std::longjmp(manager->Jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
  if (level < 0) ++reinterpret_cast<ErrorManager*>(info->err)->Warnings;
}

void Attach(j_common_ptr info, ErrorManager& manager) {
  info->err = jpeg_std_error(&manager.Base);
  manager.Base.error_exit = OnError;
  manager.Base.emit_message = OnMessage;
}

}  // namespace

std::vector<std::uint8_t> ReferenceEncode(const Image& image, const EncodeSettings& settings,
                                          const std::vector<ScanStep>& script) {
  jpeg_compress_struct info{};
  ErrorManager errors;
  Attach(reinterpret_cast<j_common_ptr>(&info), errors);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(errors.Jump)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    throw std::runtime_error("reference encoder failed");
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(image.Width);
  info.image_height = static_cast<JDIMENSION>(image.Height);
  info.input_components = image.Components;
  info.in_color_space = image.Components == 1 ? JCS_GRAYSCALE : (image.Components == 3 ? JCS_RGB : JCS_CMYK);
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, settings.Quality, TRUE);
  if (settings.Ycck) jpeg_set_colorspace(&info, JCS_YCCK);
  if (image.Components == 3) {
    info.comp_info[0].h_samp_factor = settings.HorSampling;
    info.comp_info[0].v_samp_factor = settings.VerSampling;
  }
  info.restart_interval = static_cast<unsigned>(settings.RestartInterval);
  info.optimize_coding = settings.Optimize ? TRUE : FALSE;
  if (settings.Progressive) jpeg_simple_progression(&info);
  std::vector<jpeg_scan_info> scans(static_cast<std::size_t>(image.Components));
  if (settings.SeparateScans) {
    for (int c = 0; c < image.Components; ++c) {
      scans[static_cast<std::size_t>(c)].comps_in_scan = 1;
      scans[static_cast<std::size_t>(c)].component_index[0] = c;
      scans[static_cast<std::size_t>(c)].Se = 63;
    }
    info.scan_info = scans.data();
    info.num_scans = image.Components;
  }
  std::vector<jpeg_scan_info> scripted;
  for (const ScanStep& step : script) {
    jpeg_scan_info scan{};
    scan.comps_in_scan = 1;
    scan.component_index[0] = step.Component;
    scan.Ss = step.Ss;
    scan.Se = step.Se;
    scan.Ah = step.Ah;
    scan.Al = step.Al;
    scripted.push_back(scan);
  }
  if (!scripted.empty()) {
    info.scan_info = scripted.data();
    info.num_scans = static_cast<int>(scripted.size());
  }
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Components);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.Pixels.data() + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

DecodeResult ReferenceDecode(const std::vector<std::uint8_t>& file, int scaleDenom) {
  jpeg_decompress_struct info{};
  ErrorManager errors;
  Attach(reinterpret_cast<j_common_ptr>(&info), errors);
  if (setjmp(errors.Jump)) {
    jpeg_destroy_decompress(&info);
    throw std::runtime_error("reference decoder failed");
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  DecodeResult result;
  for (const JQUANT_TBL* table : info.quant_tbl_ptrs) {
    result.QuantTables.emplace_back();
    if (table != nullptr) result.QuantTables.back().assign(table->quantval, table->quantval + DCTSIZE2);
  }
  for (int c = 0; c < info.num_components; ++c)
    result.Sampling.emplace_back(info.comp_info[c].h_samp_factor, info.comp_info[c].v_samp_factor);
  result.Jfif = info.saw_JFIF_marker != FALSE;
  result.Progressive = info.progressive_mode != FALSE;
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = FALSE;
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(scaleDenom);
  if (info.num_components == 3) info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  Image& picture = result.Picture;
  picture.Width = static_cast<int>(info.output_width);
  picture.Height = static_cast<int>(info.output_height);
  picture.Components = info.output_components;
  const std::size_t stride = static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Components);
  picture.Pixels.resize(stride * static_cast<std::size_t>(picture.Height));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture.Pixels.data() + info.output_scanline * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  result.Warnings = errors.Warnings;
  jpeg_destroy_decompress(&info);
  return result;
}

Image MakePhoto(int width, int height, int components, unsigned seed, int noise, bool strokes) {
  Image image;
  image.Width = width;
  image.Height = height;
  image.Components = components;
  image.Pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(components));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  std::size_t i = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      // Dark "text strokes": short bars on a grid, like lines of print.
      const bool stroke = strokes && (y % 40) >= 28 && (y % 40) < 36 && (x % 14) < 9 && ((x / 14 + y / 40) % 5) != 0;
      for (int c = 0; c < components; ++c) {
        const double phase = 0.6 * c + seed;
        double value = 128 + 70 * std::sin(x * 0.011 + phase) * std::cos(y * 0.007 - phase) + 40.0 * (x + y) / (width + height) - 20;
        if (stroke) value = 25 + 10 * c;
        value += jitter(random);
        image.Pixels[i++] = static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
      }
    }
  return image;
}

double MeanDifference(const Image& a, const Image& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) sum += std::fabs(double(a.Pixels[i]) - double(b.Pixels[i]));
  return sum / static_cast<double>(a.Pixels.size());
}

double Psnr(const Image& a, const Image& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) {
    const double d = double(a.Pixels[i]) - double(b.Pixels[i]);
    sum += d * d;
  }
  const double mse = sum / static_cast<double>(a.Pixels.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace jpegtest
