// RenderText of a 1000-character paragraph (ten lines of 100 characters,
// 3.5 mm text at 300 dots per inch) filled into a bitmap, timed against
// FreeType loading the same glyphs and cairo filling their outlines
// (winding rule, default antialiasing) in the same run, ours at 16 x 16
// sub-samples to match cairo's antialiasing. "Cold" makes a new
// font manager every iteration, so every glyph is fetched from the engine,
// and FreeType loads and decomposes every glyph; "Warm" keeps the manager
// and its glyph cache of flattened outlines, and the reference keeps each
// glyph's flattened cairo path, made once, and appends it at the pen. Each
// side's picture is measured against the exact one: FreeType's outlines,
// their curves cut into fine chords, at that side's own pen positions.
// Besides the shared rows, a counter gives the part of ours spent in
// RenderText itself (the rest is the polygon fill).

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "bench/common/ExactCoverage.h"
#include "document/text/FontManager.h"
#include "document/text/FontRenderer.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr const char* kFamily = "DejaVu Sans";
constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr double kFontHeight = 3.5;           // millimetres
constexpr double kScale = 300 / 25.4;         // pixels per millimetre
constexpr int kLines = 10;
constexpr int kLineLength = 100;
constexpr int kWidth = 2600;
constexpr int kHeight = 10 * 50 + 20;

std::vector<std::u16string> Paragraph() {
  const std::u16string words =
      u"The quick brown fox jumps over the lazy dog; Pack my box with five dozen liquor jugs! 0123456789 "
      u"Sphinx of black quartz, judge my vow. How vexingly quick daft zebras jump? ";
  std::vector<std::u16string> lines;
  for (int i = 0; i < kLines; ++i) {
    std::u16string line;
    for (int j = 0; j < kLineLength; ++j) line += words[(i * 37 + j) % words.size()];
    lines.push_back(line);
  }
  return lines;
}

std::string FreeTypeVersion() {
  return std::to_string(FREETYPE_MAJOR) + "." + std::to_string(FREETYPE_MINOR) + "." + std::to_string(FREETYPE_PATCH);
}

double Baseline(int line) { return 40.0 + line * 50.0; }

class TOurs {
public:
  TOurs() {
    Bitmap.SetSize(kWidth, kHeight);
    Polygon.Antialiased = true;
    // cairo's default scan converter computes coverage far finer than our
    // usual 8 x 8 grid: compared at the finer grid that matches it.
    Polygon.AntialiasMode = am16times;
    Polygon.FillMode = pfNonZero;
  }
  void Draw(TdocFontManager& manager, const std::vector<std::u16string>& lines) {
    TdocFontRenderer renderer(manager.AcquireFont(kFamily, 0, nullptr));
    renderer.FontHeight = kFontHeight;
    renderer.InkBounds = true;
    Bitmap.Clear(0xFFFFFFFF);
    // As the text shapes draw: one polygon per line, filled.
    for (int i = 0; i < kLines; ++i) {
      Polygon.Clear();
      LayoutTime += bench::Seconds([&] { renderer.RenderText(lines[i], Polygon, 10, Baseline(i), kScale); });
      Polygon.DrawFill(Bitmap, 0xFF000000);
    }
  }
  // The pen x before each character of each line, in pixels.
  std::vector<std::vector<double>> Pens(TdocFontManager& manager, const std::vector<std::u16string>& lines) {
    TdocFontRenderer renderer(manager.AcquireFont(kFamily, 0, nullptr));
    renderer.FontHeight = kFontHeight;
    renderer.InkBounds = true;
    TdocGlyphPlacementList placements;
    renderer.Placements = &placements;
    std::vector<std::vector<double>> pens;
    TPolygon32 polygon;
    for (const std::u16string& line : lines) {
      renderer.RenderText(line, polygon, 10, 0, kScale);
      auto& pen = pens.emplace_back();
      for (int i = 0; i < placements.GetCount(); ++i) pen.push_back(placements[i]->StartX / 65536.0);
    }
    return pens;
  }
  TCustomBitmap32 Bitmap;
  TPolygon32 Polygon;
  double LayoutTime = 0;  // RenderText alone, the fills left out
};

// FreeType outlines decomposed into a cairo path, filled once.
class TReference {
public:
  TReference() {
    FT_Init_FreeType(&Library);
    FT_New_Face(Library, kFontFile, 0, &Face);
    FT_Set_Char_Size(Face, 0, std::lround(kFontHeight * kScale * 64), 72, 72);
    Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    Cairo = cairo_create(Surface);
    cairo_set_fill_rule(Cairo, CAIRO_FILL_RULE_WINDING);
    Funcs.move_to = [](const FT_Vector* to, void* user) {
      auto* self = static_cast<TReference*>(user);
      cairo_move_to(self->Cairo, self->X(to), self->Y(to));
      return 0;
    };
    Funcs.line_to = [](const FT_Vector* to, void* user) {
      auto* self = static_cast<TReference*>(user);
      cairo_line_to(self->Cairo, self->X(to), self->Y(to));
      return 0;
    };
    Funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
      auto* self = static_cast<TReference*>(user);
      double x0, y0;
      cairo_get_current_point(self->Cairo, &x0, &y0);
      const double cx = self->X(c), cy = self->Y(c), x = self->X(to), y = self->Y(to);
      cairo_curve_to(self->Cairo, x0 + 2.0 / 3 * (cx - x0), y0 + 2.0 / 3 * (cy - y0), x + 2.0 / 3 * (cx - x),
                     y + 2.0 / 3 * (cy - y), x, y);
      return 0;
    };
    Funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
      auto* self = static_cast<TReference*>(user);
      cairo_curve_to(self->Cairo, self->X(c1), self->Y(c1), self->X(c2), self->Y(c2), self->X(to), self->Y(to));
      return 0;
    };
  }
  ~TReference() {
    for (const auto& [code, glyph] : Cache) cairo_path_destroy(glyph.Path);
    cairo_destroy(Cairo);
    cairo_surface_destroy(Surface);
    FT_Done_Face(Face);
    FT_Done_FreeType(Library);
  }
  // Cold: every glyph loaded and decomposed into the path.
  void Draw(const std::vector<std::u16string>& lines) {
    Start();
    for (int i = 0; i < kLines; ++i) {
      PenX = 10;
      PenY = Baseline(i);
      for (char16_t c : lines[i]) {
        FT_Load_Char(Face, c, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
        FT_Outline_Decompose(&Face->glyph->outline, &Funcs, this);
        PenX += Face->glyph->linearHoriAdvance / 65536.0;
      }
    }
    Finish();
  }
  // The pen x before each character of each line, in pixels.
  std::vector<std::vector<double>> Pens(const std::vector<std::u16string>& lines) {
    std::vector<std::vector<double>> pens;
    for (const std::u16string& line : lines) {
      auto& pen = pens.emplace_back(1, 10.0);
      for (char16_t c : line) {
        FT_Load_Char(Face, c, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
        pen.push_back(pen.back() + Face->glyph->linearHoriAdvance / 65536.0);
      }
      pen.pop_back();
    }
    return pens;
  }
  int Grey(int x, int y) const {
    std::uint32_t pixel;
    std::memcpy(&pixel, cairo_image_surface_get_data(Surface) + std::ptrdiff_t{cairo_image_surface_get_stride(Surface)} * y + 4 * x, 4);
    return static_cast<int>(pixel & 0xFF);
  }
  // Warm: each glyph's flattened path appended at the pen.
  void DrawCached(const std::vector<std::u16string>& lines) {
    Start();
    for (int i = 0; i < kLines; ++i) {
      double penX = 10;
      for (char16_t c : lines[i]) {
        const TCachedGlyph& glyph = CachedGlyph(c);
        cairo_identity_matrix(Cairo);
        cairo_translate(Cairo, penX, Baseline(i));
        cairo_append_path(Cairo, glyph.Path);
        penX += glyph.Advance;
      }
    }
    cairo_identity_matrix(Cairo);
    Finish();
  }

private:
  struct TCachedGlyph {
    cairo_path_t* Path;  // flattened, the pen at (0, 0)
    double Advance;
  };

  void Start() {
    cairo_set_source_rgb(Cairo, 1, 1, 1);
    cairo_paint(Cairo);
    cairo_set_source_rgb(Cairo, 0, 0, 0);
  }
  void Finish() {
    cairo_fill(Cairo);
    cairo_surface_flush(Surface);
  }
  const TCachedGlyph& CachedGlyph(char16_t c) {
    const auto found = Cache.find(c);
    if (found != Cache.end()) return found->second;
    cairo_new_path(Cairo);
    PenX = PenY = 0;
    FT_Load_Char(Face, c, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    FT_Outline_Decompose(&Face->glyph->outline, &Funcs, this);
    const TCachedGlyph glyph{cairo_copy_path_flat(Cairo), Face->glyph->linearHoriAdvance / 65536.0};
    cairo_new_path(Cairo);
    return Cache.emplace(c, glyph).first->second;
  }

  double X(const FT_Vector* v) const { return PenX + v->x / 64.0; }
  double Y(const FT_Vector* v) const { return PenY - v->y / 64.0; }

  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
  cairo_surface_t* Surface = nullptr;
  cairo_t* Cairo = nullptr;
  FT_Outline_Funcs Funcs{};
  double PenX = 0, PenY = 0;
  std::map<char16_t, TCachedGlyph> Cache;
};

// ---- quality: both pictures against the exact glyphs

// FreeType's outline of each glyph, its curves cut into fine chords, as
// closed contours in pixels.
class TExactOutlines {
public:
  TExactOutlines() {
    FT_Init_FreeType(&Library);
    FT_New_Face(Library, kFontFile, 0, &Face);
    FT_Set_Char_Size(Face, 0, std::lround(kFontHeight * kScale * 64), 72, 72);
    Funcs.move_to = [](const FT_Vector* to, void* user) {
      auto* self = static_cast<TExactOutlines*>(user);
      self->Close();
      self->Contour.push_back(self->At(to));
      return 0;
    };
    Funcs.line_to = [](const FT_Vector* to, void* user) {
      auto* self = static_cast<TExactOutlines*>(user);
      self->Contour.push_back(self->At(to));
      return 0;
    };
    Funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
      auto* self = static_cast<TExactOutlines*>(user);
      const bench::TPointD p0 = self->Contour.back(), p1 = self->At(c), p2 = self->At(to);
      for (int i = 1; i <= kChords; ++i) {
        const double t = double(i) / kChords, u = 1 - t;
        self->Contour.push_back({u * u * p0.X + 2 * u * t * p1.X + t * t * p2.X, u * u * p0.Y + 2 * u * t * p1.Y + t * t * p2.Y});
      }
      return 0;
    };
    Funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
      auto* self = static_cast<TExactOutlines*>(user);
      const bench::TPointD p0 = self->Contour.back(), p1 = self->At(c1), p2 = self->At(c2), p3 = self->At(to);
      for (int i = 1; i <= kChords; ++i) {
        const double t = double(i) / kChords, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
        self->Contour.push_back({a * p0.X + b * p1.X + d * p2.X + e * p3.X, a * p0.Y + b * p1.Y + d * p2.Y + e * p3.Y});
      }
      return 0;
    };
  }
  ~TExactOutlines() {
    FT_Done_Face(Face);
    FT_Done_FreeType(Library);
  }
  // The exact grey level of each pixel of the paragraph drawn black on
  // white with the given pens.
  std::vector<double> Paragraph(const std::vector<std::u16string>& lines, const std::vector<std::vector<double>>& pens) {
    bench::TExactCoverage coverage(kWidth, kHeight);
    Coverage = &coverage;
    for (int i = 0; i < kLines; ++i)
      for (std::size_t j = 0; j < lines[i].size(); ++j) {
        FT_Load_Char(Face, lines[i][j], FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
        PenX = pens[i][j];
        PenY = Baseline(i);
        FT_Outline_Decompose(&Face->glyph->outline, &Funcs, this);
        Close();
      }
    std::vector<double> levels = coverage.Coverage();
    for (double& level : levels) level = 255 * (1 - level);
    return levels;
  }

private:
  static constexpr int kChords = 32;

  bench::TPointD At(const FT_Vector* v) const { return {PenX + v->x / 64.0, PenY - v->y / 64.0}; }
  void Close() {
    if (!Contour.empty()) Coverage->AddContour(Contour);
    Contour.clear();
  }

  FT_Library Library = nullptr;
  FT_Face Face = nullptr;
  FT_Outline_Funcs Funcs{};
  bench::TExactCoverage* Coverage = nullptr;
  std::vector<bench::TPointD> Contour;
  double PenX = 0, PenY = 0;
};

// Root mean square and largest difference in levels of 255 between a
// picture's grey levels and the exact ones.
template <class Grey>
std::pair<double, int> PictureError(const std::vector<double>& exact, Grey grey) {
  double squares = 0;
  int largest = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double difference = grey(x, y) - exact[static_cast<std::size_t>(y) * kWidth + x];
      squares += difference * difference;
      largest = std::max(largest, static_cast<int>(std::lround(std::abs(difference))));
    }
  return {std::sqrt(squares / (double(kWidth) * kHeight)), largest};
}

std::string ErrorText(const std::pair<double, int>& error) {
  char text[64];
  std::snprintf(text, sizeof text, "; error %.2f rms, %d at most", error.first, error.second);
  return text;
}

void RenderParagraph(benchmark::State& state, bool warm) {
  imaging::StartUp();
  const auto lines = Paragraph();
  TOurs ours;
  TReference reference;
  auto manager = std::make_unique<TdocFontManager>();
  ours.Draw(*manager, lines);  // faces opened and matched once for both runs
  ours.LayoutTime = 0;
  if (warm) reference.DrawCached(lines);  // both caches filled before the timing
  bench::TPairTimer timer(state);
  for (auto _ : state) {
    if (!warm) manager = std::make_unique<TdocFontManager>();
    timer.Iteration([&] { ours.Draw(*manager, lines); },
                    [&] { warm ? reference.DrawCached(lines) : reference.Draw(lines); });
    benchmark::DoNotOptimize(ours.Bitmap.GetBits()[kWidth * 40]);
  }
  state.counters["layout_ms"] = 1e3 * ours.LayoutTime / static_cast<double>(state.iterations());
  // Both pictures of the last iteration against the exact ones.
  TExactOutlines exact;
  const auto ourError = PictureError(exact.Paragraph(lines, ours.Pens(*manager, lines)),
                                     [&](int x, int y) { return static_cast<int>(ours.Bitmap.GetPixel(x, y) & 0xFF); });
  const auto referenceError =
      PictureError(exact.Paragraph(lines, reference.Pens(lines)), [&](int x, int y) { return reference.Grey(x, y); });
  timer.Report(std::string("paragraph of 1000 characters, ") + (warm ? "warm" : "cold") + " glyph cache",
               {std::string("TdocFontRenderer::RenderText into TPolygon32, filled non-zero, 16 x 16 sub-samples, ") +
                    (warm ? "font manager kept" : "new font manager each time") + ErrorText(ourError),
                "FreeType " + FreeTypeVersion() + " FT_Load_Char unhinted + cairo " + cairo_version_string() +
                    " fill winding, default antialiasing, " +
                    (warm ? "each glyph's flattened path kept (cairo_copy_path_flat) and appended at the pen"
                          : "every glyph loaded and decomposed each time") +
                    ErrorText(referenceError)},
               {ourError.first, referenceError.first, "rms levels of 255 from the exact glyphs at each side's pens"});
}

void Cold(benchmark::State& state) { RenderParagraph(state, false); }
void Warm(benchmark::State& state) { RenderParagraph(state, true); }

}  // namespace

BENCHMARK(Cold)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Warm)->UseManualTime()->Unit(benchmark::kMillisecond);
