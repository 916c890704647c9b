#include "widgets/ButtonGlyph.h"

#include <QPainter>
#include <algorithm>
#include <memory>

#include "widgets/EdgeDrawing.h"
#include "widgets/GlyphCache.h"

namespace widgets {

namespace {

// Shared by every button glyph; touched on the main thread only.
std::unique_ptr<TGlyphCache> sharedButtonGlyphCache;
int liveButtonGlyphCount = 0;

}  // namespace

TButtonLayoutResult CalcButtonLayout(const QRect& client, QSize glyphSize, QSize textSize, TButtonLayout layout,
                                     int margin, int spacing) {
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  if (glyphSize.isEmpty() || textSize.isEmpty()) spacing = 0;
  const int available = horizontal ? client.width() : client.height();
  const int glyphExtent = horizontal ? glyphSize.width() : glyphSize.height();
  const int textExtent = horizontal ? textSize.width() : textSize.height();
  if (margin == -1) {
    if (spacing == -1) {
      margin = (available - glyphExtent - textExtent) / 3;
      spacing = margin;
    } else {
      margin = (available - glyphExtent - spacing - textExtent + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (available - margin - glyphExtent - textExtent) / 2;
  }

  QPoint glyph, text;
  if (horizontal) {
    glyph.setY((client.height() - glyphSize.height() + 1) / 2);
    text.setY((client.height() - textSize.height() + 1) / 2);
  } else {
    glyph.setX((client.width() - glyphSize.width() + 1) / 2);
    text.setX((client.width() - textSize.width() + 1) / 2);
  }
  switch (layout) {
    case blGlyphLeft:
      glyph.setX(margin);
      text.setX(margin + glyphSize.width() + spacing);
      break;
    case blGlyphRight:
      glyph.setX(available - margin - glyphSize.width());
      text.setX(glyph.x() - spacing - textSize.width());
      break;
    case blGlyphTop:
      glyph.setY(margin);
      text.setY(margin + glyphSize.height() + spacing);
      break;
    case blGlyphBottom:
      glyph.setY(available - margin - glyphSize.height());
      text.setY(glyph.y() - spacing - textSize.height());
      break;
  }
  return {glyph + client.topLeft(), QRect(text + client.topLeft(), textSize)};
}

TButtonGlyph::TButtonGlyph() {
  if (!sharedButtonGlyphCache) sharedButtonGlyphCache = std::make_unique<TGlyphCache>();
  ++liveButtonGlyphCount;
}

TButtonGlyph::~TButtonGlyph() {
  ReleaseImages();
  if (--liveButtonGlyphCount == 0 && sharedButtonGlyphCache->Empty()) sharedButtonGlyphCache.reset();
}

const TGlyphCache* TButtonGlyph::SharedCache() { return sharedButtonGlyphCache.get(); }

int TButtonGlyph::LiveCount() { return liveButtonGlyphCount; }

void TButtonGlyph::ReleaseImages() {
  if (!list_) return;
  for (int& index : indexes_) {
    list_->Delete(index);
    index = -1;
  }
  sharedButtonGlyphCache->ReturnList(*list_);
  list_ = nullptr;
}

void TButtonGlyph::SetGlyph(const QImage& glyph) {
  ReleaseImages();
  glyph_ = glyph;
}

void TButtonGlyph::SetNumGlyphs(int count) {
  ReleaseImages();
  numGlyphs_ = std::clamp(count, 1, 4);
}

void TButtonGlyph::SetTransparentColor(TColor color) {
  ReleaseImages();
  transparentColor_ = color;
}

QSize TButtonGlyph::ImageSize() const {
  return glyph_.isNull() ? QSize() : QSize(glyph_.width() / numGlyphs_, glyph_.height());
}

QImage TButtonGlyph::CutImage(int part) const {
  const QSize size = ImageSize();
  QImage image = glyph_.copy(part * size.width(), 0, size.width(), size.height())
                     .convertToFormat(QImage::Format_ARGB32);
  const QRgb transparent = ToQColor(transparentColor_).rgb();
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] | 0xFF000000u) == transparent) line[x] = 0;
  }
  return image;
}

// The glyph's shape in button highlight one pixel right and down, then in
// button shadow at its place: the classic embossed look of a disabled glyph.
QImage TButtonGlyph::Emboss(const QImage& image) const {
  const auto shape = [&](TColor color) {
    QImage tinted = image;
    QPainter painter(&tinted);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(tinted.rect(), ToQColor(color));
    return tinted;
  };
  QImage result(image.size(), QImage::Format_ARGB32);
  result.fill(Qt::transparent);
  QPainter painter(&result);
  painter.drawImage(1, 1, shape(clBtnHighlight));
  painter.drawImage(0, 0, shape(clBtnShadow));
  return result;
}

QImage TButtonGlyph::MakeImage(TButtonState state) const {
  const int part = static_cast<int>(state);
  if (part < numGlyphs_) return CutImage(part);
  return state == bsDisabled ? Emboss(CutImage(0)) : CutImage(0);
}

QImage TButtonGlyph::Image(TButtonState state) {
  if (glyph_.isNull()) return QImage();
  int& index = indexes_[state];
  if (index < 0) {
    const QSize size = ImageSize();
    if (!list_) list_ = &sharedButtonGlyphCache->GetList(size.width(), size.height());
    index = list_->Add(MakeImage(state));
  }
  return list_->Image(index);
}

}  // namespace widgets
