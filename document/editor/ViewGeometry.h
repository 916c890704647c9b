#pragma once
// The arithmetic of the scrolled, zoomed view of a page, without a window:
// where a canvas sits in the window, how scroll bars scale huge canvases,
// which screen scales are usable and what a zoom does to the canvas and
// its scroll position.

#include <cstdint>
#include <optional>

namespace docview {

// Pixels the canvas keeps around the page in the print layout, on each side.
constexpr int PageBorder = 10;
// Pixels lost to the frame and border when a page is fitted to the window:
// the print layout (22) and the normal view (2).
constexpr int FitSparePrintLayout = 2 * PageBorder + 2;
constexpr int FitSpareNormal = 2;
// Pixels lost when the whole page is fitted in both directions.
constexpr int PageSparePrintLayout = 23;
constexpr int PageSpareNormal = 1;
// Pixels of one scroll-bar line step.
constexpr int LineStep = 9;
// Canvases longer than this scroll through bars scaled down to it.
constexpr int MaxScrollRange = 30000;
// The screen scales (pixels per millimetre) a zoom may reach, and the
// largest canvas (pixels) it may build: beyond them the view stops zooming
// instead of dividing by zero or overflowing the canvas size.
constexpr float MinScreenScale = 0.01f;
constexpr float MaxScreenScale = 10000.0f;
constexpr double MaxCanvasSize = 1 << 30;

// The offset of one axis kept inside the canvas: a canvas larger than the
// window scrolls from 0 to V - C; a smaller one sits centred at a negative
// offset unless centring is off.
std::int32_t ClampScrollOffset(std::int32_t offset, std::int32_t virtualSize, std::int32_t clientSize,
                               bool noCentring = false);

// Scroll-bar units per canvas pixel: 1, or 30000 / the longer side when
// that side is above 30000 pixels.
float ScrollFactor(std::int32_t virtualWidth, std::int32_t virtualHeight);

// True for a finite screen scale in [MinScreenScale, MaxScreenScale].
bool UsableScreenScale(double scale);

// A canvas and its scroll offset, in pixels.
struct TViewArea {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool operator==(const TViewArea&) const = default;
};

// The canvas and offset after zooming by factor around the window's centre
// (the point under the centre stays there); offsets at the origin stay at
// the origin. Empty when the result would not be a usable view.
std::optional<TViewArea> ZoomArea(const TViewArea& area, std::int32_t clientWidth, std::int32_t clientHeight,
                                  double factor);

// The scale that fits length millimetres into clientSize pixels less spare;
// empty when no usable scale does.
std::optional<float> FitScale(std::int32_t clientSize, std::int32_t spare, double length);

}  // namespace docview
