#include "document/shapes/ArrowHead.h"

#include <algorithm>
#include <cmath>

#include "document/shapes/ArcSteps.h"

namespace {

struct TVec {
  double X = 0, Y = 0;
  TVec operator+(const TVec& o) const { return {X + o.X, Y + o.Y}; }
  TVec operator-(const TVec& o) const { return {X - o.X, Y - o.Y}; }
  TVec operator*(double k) const { return {X * k, Y * k}; }
};

// (p - a) x u: positive when p lies further to the -n side of the line
// through a than a itself.
double Cross(const TVec& p, const TVec& a, const TVec& u) { return (p.X - a.X) * u.Y - (p.Y - a.Y) * u.X; }

// The frame of one end: u along the line towards the tip, n across it.
struct TEnd {
  TVec T, U, N, B, A1, A2, W;
  double L = 0, Lw = 0, HeadWidth = 0;
};

class TEndWriter {
public:
  TEndWriter(TdocContour& contour, const TEnd& end, double scale) : Contour(contour), E(end), Scale(scale) {}

  void Add(const TVec& p) { Contour.push_back({static_cast<float>(p.X), static_cast<float>(p.Y)}); }

  void Head(std::uint8_t style) {
    switch (style) {
      case asArrow: Arrow(); break;
      case asOpenArrow: OpenArrow(); break;
      case asStealthArrow: StealthArrow(); break;
      case asDiamond: Diamond(); break;
      case asOval: Oval(); break;
      case asRectangle: Rectangle(); break;
      default: Add(E.A1); Add(E.A2);
    }
  }

private:
  // B - w, T, B + w: the barbs and the tip.
  void Barbs() {
    Add(E.B - E.W);
    Add(E.T);
    Add(E.B + E.W);
  }
  void Arrow() {
    Add(E.A1);
    Barbs();
    Add(E.A2);
  }
  // r: the head's length per half width; k: how far the inner edge of an
  // open head reaches along the line.
  double R() const { return 2 * E.L / E.HeadWidth; }
  double K() const { return std::max(E.L - (std::sqrt(R() * R() + 1) + R() / 2) * E.Lw, 0.0); }
  void OpenArrow() {
    const double r = R(), k = K();
    Add(E.A1);
    if (k > 0) {
      Add(E.A1 + E.U * k);
      Add(E.A1 - E.N * (k / r));
    }
    Barbs();
    if (k > 0) {
      Add(E.A2 + E.N * (k / r));
      Add(E.A2 + E.U * k);
    }
    Add(E.A2);
  }
  void StealthArrow() {
    const double r = R(), k = K();
    Add(E.A1);
    if (k > 0) {
      const double m = E.HeadWidth / 2 - 0.75 * E.Lw - k / r;
      const std::vector<TFloatPoint> arc = document::QuarterArc(k * Scale);
      auto inner = [&](std::size_t i) { return E.N * (m * arc[i].Y + k * (1 - arc[i].X) / r); };
      for (std::size_t i = 0; i < arc.size(); ++i) Add(E.A1 + E.U * (k * arc[i].X) - inner(i));
      Barbs();
      for (std::size_t i = arc.size(); i-- > 0;) Add(E.A2 + E.U * (k * arc[i].X) + inner(i));
    } else {
      Barbs();
    }
    Add(E.A2);
  }
  void Diamond() {
    const TVec middle = E.B + E.U * (E.L / 2);
    Add(E.A1);
    Add(middle - E.W);
    Add(E.T);
    Add(middle + E.W);
    Add(E.A2);
  }
  void Oval() {
    const double k = E.L / 2, r = E.HeadWidth / 2;
    const std::vector<TFloatPoint> arc = document::QuarterArc(std::max(k, r) * Scale);
    const std::size_t n = arc.size() - 1;
    // The point of the oval at arc point i, on the near (-1) or far (+1)
    // half along the line and the -n (-1) or +n (+1) side.
    auto at = [&](std::size_t i, double along, double side) {
      return E.B + E.U * (k * (1 + along * arc[i].X)) + E.N * (side * r * arc[i].Y);
    };
    Add(E.A1);
    for (std::size_t i = 1; i < n; ++i)
      if (Cross(at(i, -1, -1), E.A1, E.U) > 0) Add(at(i, -1, -1));
    for (std::size_t i = n; i >= 1; --i) Add(at(i, 1, -1));
    for (std::size_t i = 0; i < n; ++i) Add(at(i, 1, 1));
    for (std::size_t i = n; i >= 1; --i)
      if (Cross(at(i, -1, 1), E.A2, E.U) < 0) Add(at(i, -1, 1));
    Add(E.A2);
  }
  void Rectangle() {
    Add(E.A1);
    Add(E.B - E.W);
    Add(E.T - E.W);
    Add(E.T + E.W);
    Add(E.B + E.W);
    Add(E.A2);
  }

  TdocContour& Contour;
  const TEnd& E;
  double Scale;
};

}  // namespace

namespace document {

void AddArrowEnd(TdocContour& contour, const TdocArrowHead& arrow, const TFloatPoint& tip, const TFloatPoint& from,
                 float lineWidth, double deviceScale) {
  TEnd e;
  e.T = {tip.X, tip.Y};
  const TVec d = e.T - TVec{from.X, from.Y};
  const double length = std::hypot(d.X, d.Y);
  if (!(length > 0) || !std::isfinite(length)) return;
  e.U = d * (1 / length);
  e.N = {-e.U.Y, e.U.X};
  e.Lw = std::isfinite(lineWidth) ? std::max(0.0f, lineWidth) : 0.0;
  const TVec h = e.N * (e.Lw / 2);
  e.HeadWidth = std::isfinite(arrow.Width) ? arrow.Width : 0.0;
  const bool head = arrow.Style != asNoArrow && arrow.Style <= asRectangle && e.HeadWidth > e.Lw &&
                    std::isfinite(arrow.Length) && arrow.Length > 0;
  e.L = head ? std::min<double>(arrow.Length, 0.7 * length) : 0.0;
  e.B = e.T - e.U * e.L;
  e.A1 = e.B - h;
  e.A2 = e.B + h;
  e.W = e.N * (e.HeadWidth / 2);
  TEndWriter(contour, e, deviceScale).Head(head ? arrow.Style : std::uint8_t{asNoArrow});
}

}  // namespace document
