#include "imaging/jpeg/JpegBlockCoder.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Exception.h"

// ---- TsdJpegBlockMap ----

void TsdJpegBlockMap::Resize(int blocksX, int blocksY, int coefficientsPerBlock) {
  BlocksX = blocksX;
  BlocksY = blocksY;
  PerBlock = coefficientsPerBlock;
  AllocatedRows = 0;
  Rows.clear();
}

void TsdJpegBlockMap::EnsureRows(int rows) {
  rows = std::min(rows, BlocksY);
  const std::size_t rowSize = static_cast<std::size_t>(BlocksX) * static_cast<std::size_t>(PerBlock);
  for (; AllocatedRows < rows; ++AllocatedRows) Rows.push_back(std::make_unique<std::int16_t[]>(rowSize));
}

void TsdJpegBlockMap::TrimRows(int rows) {
  BlocksY = rows;
  if (AllocatedRows > rows) {
    AllocatedRows = rows;
    Rows.resize(static_cast<std::size_t>(rows));
  }
}

void TsdJpegBlockMap::ReduceTo(int side) {
  const int kept = side * side;
  if (kept == PerBlock) return;
  for (auto& row : Rows) {
    auto reduced = std::make_unique<std::int16_t[]>(static_cast<std::size_t>(BlocksX) * static_cast<std::size_t>(kept));
    for (int b = 0; b < BlocksX; ++b) {
      const std::int16_t* source = row.get() + static_cast<std::size_t>(b) * static_cast<std::size_t>(PerBlock);
      std::int16_t* dest = reduced.get() + static_cast<std::size_t>(b) * static_cast<std::size_t>(kept);
      for (int v = 0; v < side; ++v)
        for (int u = 0; u < side; ++u) dest[v * side + u] = source[v * 8 + u];
    }
    row = std::move(reduced);
  }
  PerBlock = kept;
}

// ---- TsdJpegCoder ----

void TsdJpegCoder::Initialize(TsdJpegScale scale) {
  Scale = scale;
  HasCoefficients = false;
  HasSamples = false;
}

// ---- TsdJpegBlockCoder ----

void TsdJpegBlockCoder::SetupMaps(int coefficientsPerBlock) {
  SetupMaps(coefficientsPerBlock, Info.HorzMcuCount, Info.VertMcuCount);
}

void TsdJpegBlockCoder::SetupMaps(int coefficientsPerBlock, int mcusX, int mcusY) {
  Maps.clear();
  Maps.resize(Info.FrameComponents.size());
  for (std::size_t i = 0; i < Maps.size(); ++i) {
    const TsdFrameComponent& component = Info.FrameComponents[i];
    Maps[i].Resize(mcusX * component.Hor, mcusY * component.Ver, coefficientsPerBlock);
  }
}

namespace {

// Rows of samples of one component for one MCU row.
struct ComponentRows {
  std::vector<std::uint8_t> Samples;
  int Stride = 0;
  int HorRatio = 1;  // pixels per sample across
  int VerRatio = 1;  // pixels per sample down
};

// The rows span the blocks of the maps: the frame, or a tile of it.
std::vector<ComponentRows> MakeComponentRows(const TsdJpegCodingInfo& info, const std::vector<TsdJpegBlockMap>& maps,
                                             int side) {
  std::vector<ComponentRows> rows(info.FrameComponents.size());
  for (std::size_t c = 0; c < rows.size(); ++c) {
    const TsdFrameComponent& component = info.FrameComponents[c];
    rows[c].Stride = maps[c].GetBlocksX() * side;
    rows[c].Samples.assign(static_cast<std::size_t>(rows[c].Stride) * static_cast<std::size_t>(component.Ver * side), 0);
    rows[c].HorRatio = info.MaxHor / component.Hor;
    rows[c].VerRatio = info.MaxVer / component.Ver;
  }
  return rows;
}

// The row buffers hold one sample per component: a transform that reads or
// writes another number would run past them.
void CheckTransformFits(int samplesPerPixel, int components, int pixelBytes, int bitmapBytes) {
  if (samplesPerPixel != components || pixelBytes != bitmapBytes)
    throw EInvalidGraphic("Colour transform does not fit the image's components");
}

}  // namespace

void TsdJpegBlockCoder::SamplesToBitmap(TsdJpegPixelMap& bitmap, TsdColorTransform& transform) {
  CheckTransformFits(transform.SourceBytes(), MapCount(), transform.DestBytes(), bitmap.GetBytesPerPixel());
  const int side = jpeg::BlockSide(Scale);
  const int components = static_cast<int>(Maps.size());
  const int mcuHeight = side * Info.MaxVer;
  const int width = bitmap.GetWidth();
  std::vector<ComponentRows> rows = MakeComponentRows(Info, Maps, side);
  std::vector<TsdJpegIDCT> idct(Maps.size());
  for (std::size_t c = 0; c < Maps.size(); ++c) {
    const TsdFrameComponent& component = Info.FrameComponents[c];
    idct[c].Setup(Info.QuantizationTables[static_cast<std::size_t>(component.QTable)], Method, Scale);
    Maps[c].EnsureRows(Maps[c].GetBlocksY());
  }
  std::vector<std::uint8_t> interleaved(static_cast<std::size_t>(width) * static_cast<std::size_t>(components) + 16);
  std::vector<const std::uint8_t*> planes(rows.size());
  std::vector<int> repeat(rows.size());
  for (std::size_t c = 0; c < rows.size(); ++c) repeat[c] = rows[c].HorRatio;
  for (int mcuRow = 0; mcuRow * mcuHeight < bitmap.GetHeight(); ++mcuRow) {
    for (std::size_t c = 0; c < Maps.size(); ++c) {
      const int ver = Info.FrameComponents[c].Ver;
      for (int by = 0; by < ver; ++by) {
        std::uint8_t* out = rows[c].Samples.data() + static_cast<std::size_t>(by * side * rows[c].Stride);
        for (int bx = 0; bx < Maps[c].GetBlocksX(); ++bx)
          idct[c].InverseBlock(Maps[c].Coefficients(bx, mcuRow * ver + by), out + bx * side, rows[c].Stride);
      }
    }
    for (int py = 0; py < mcuHeight; ++py) {
      const int y = mcuRow * mcuHeight + py;
      if (y >= bitmap.GetHeight()) break;
      for (std::size_t c = 0; c < rows.size(); ++c)
        planes[c] = rows[c].Samples.data() + static_cast<std::size_t>(py / rows[c].VerRatio * rows[c].Stride);
      transform.TransformPlanes(planes.data(), repeat.data(), bitmap.Row(y), width, interleaved.data());
    }
  }
}

namespace {

// Averages ratioX x ratioY samples of a full-size plane into each sample of
// a component row, rounded: a truncating average would darken every
// sub-sampled component.
void DownSample(const std::uint8_t* plane, int planeStride, int ratioX, int ratioY, std::uint8_t* samples, int stride,
                int rows) {
  const int area = ratioX * ratioY;
  for (int sy = 0; sy < rows; ++sy) {
    const std::uint8_t* top = plane + static_cast<std::size_t>(sy * ratioY * planeStride);
    std::uint8_t* out = samples + static_cast<std::size_t>(sy * stride);
    if (ratioX == 2 && ratioY == 2) {
      const std::uint8_t* bottom = top + planeStride;
      for (int sx = 0; sx < stride; ++sx)
        out[sx] = static_cast<std::uint8_t>((top[2 * sx] + top[2 * sx + 1] + bottom[2 * sx] + bottom[2 * sx + 1] + 2) >> 2);
      continue;
    }
    for (int sx = 0; sx < stride; ++sx) {
      int sum = 0;
      for (int dy = 0; dy < ratioY; ++dy)
        for (int dx = 0; dx < ratioX; ++dx) sum += top[dy * planeStride + sx * ratioX + dx];
      out[sx] = static_cast<std::uint8_t>((sum + area / 2) / area);
    }
  }
}

}  // namespace

void TsdJpegBlockCoder::BitmapToCoefficients(const TsdJpegPixelMap& bitmap, TsdColorTransform& transform) {
  CheckTransformFits(transform.DestBytes(), MapCount(), transform.SourceBytes(), bitmap.GetBytesPerPixel());
  const int components = MapCount();
  const int width = bitmap.GetWidth();
  // One MCU row of each component at full size; rows and columns past the
  // image repeat its last row and column.
  const int planeStride = Info.HorzMcuCount * Info.McuWidth;
  const std::size_t planeSize = static_cast<std::size_t>(planeStride) * static_cast<std::size_t>(Info.McuHeight);
  std::vector<std::uint8_t> planes(planeSize * static_cast<std::size_t>(components));
  std::vector<std::uint8_t> scratch(static_cast<std::size_t>(width) * static_cast<std::size_t>(components));
  std::vector<std::uint8_t*> rowStarts(static_cast<std::size_t>(components));
  std::vector<ComponentRows> rows = MakeComponentRows(Info, Maps, 8);
  std::vector<TsdJpegFDCT> fdct(Maps.size());
  for (std::size_t c = 0; c < Maps.size(); ++c) {
    fdct[c].Setup(Info.QuantizationTables[static_cast<std::size_t>(Info.FrameComponents[c].QTable)]);
    Maps[c].EnsureRows(Maps[c].GetBlocksY());
  }
  for (int mcuRow = 0; mcuRow < Info.VertMcuCount; ++mcuRow) {
    for (int py = 0; py < Info.McuHeight; ++py) {
      const int y = std::min(mcuRow * Info.McuHeight + py, bitmap.GetHeight() - 1);
      for (int c = 0; c < components; ++c)
        rowStarts[static_cast<std::size_t>(c)] = planes.data() + planeSize * static_cast<std::size_t>(c) +
                                                 static_cast<std::size_t>(py) * static_cast<std::size_t>(planeStride);
      transform.TransformToPlanes(bitmap.Row(y), rowStarts.data(), width, scratch.data());
      for (std::uint8_t* row : rowStarts) std::memset(row + width, row[width - 1], static_cast<std::size_t>(planeStride - width));
    }
    for (std::size_t c = 0; c < Maps.size(); ++c) {
      ComponentRows& r = rows[c];
      const std::uint8_t* plane = planes.data() + planeSize * c;
      const std::uint8_t* samples = plane;
      int stride = planeStride;
      if (r.HorRatio != 1 || r.VerRatio != 1) {
        DownSample(plane, planeStride, r.HorRatio, r.VerRatio, r.Samples.data(), r.Stride, Info.FrameComponents[c].Ver * 8);
        samples = r.Samples.data();
        stride = r.Stride;
      }
      const int ver = Info.FrameComponents[c].Ver;
      for (int by = 0; by < ver; ++by)
        for (int bx = 0; bx < Maps[c].GetBlocksX(); ++bx)
          fdct[c].ForwardBlock(samples + static_cast<std::size_t>(by * 8 * stride + bx * 8), stride,
                               Maps[c].Coefficients(bx, mcuRow * ver + by));
    }
  }
}
