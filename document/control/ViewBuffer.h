#pragma once
// The page as rendered under the window, kept between paints: a paint that
// finds the view unchanged copies it instead of rendering the page again
// (the caret, handles, feedback and exposes then cost a copy). A change of
// the document drops it, a change of one shape only the shape's old and new
// places; a change of scroll position, scale or window size is noticed at
// the next paint.

#include <functional>

#include <QRect>
#include <QRegion>

#include "imaging/bitmap/Bitmap32.h"

class TdocViewBuffer {
public:
  // What the pixels depend on besides the document.
  struct TKey {
    float Left = 0.0f;
    float Top = 0.0f;
    float Scale = 0.0f;
    QSize Size;
    bool operator==(const TKey&) const = default;
  };
  // Renders the page under rect (client pixels) into a bitmap of the client's size.
  using TRender = std::function<void(TBitmap32& target, const QRect& rect)>;

  // The document changed: everything is rendered again.
  void Invalidate() { Valid = QRegion(); }
  // Only rect (client pixels) changed: the rest is kept.
  void Invalidate(const QRect& rect) { Valid -= rect; }
  // Renders the parts of clip not kept yet: the page bitmap returned then
  // holds all of clip.
  const TBitmap32& Update(const QRect& clip, const TKey& key, const TRender& render);
  // Update, then copies clip of the page into target.
  void Paint(TBitmap32& target, const QRect& clip, const TKey& key, const TRender& render);

private:
  TBitmap32 Page;
  QRegion Valid;
  TKey Key;
};
