#pragma once
// Where button glyphs keep their state images: lists of images of one size,
// shared through one cache by every button, so that buttons with glyphs of
// the same size hold their images in one list.

#include <QImage>
#include <memory>
#include <vector>

namespace widgets {

// Images of one width and height in numbered slots, with a mark per slot
// telling which ones are used.
class TGlyphList {
 public:
  TGlyphList(int width, int height) : width_(width), height_(height) {}

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  // Puts the image in the first free slot (one slot more when none is free)
  // and counts it; returns the slot.
  int Add(const QImage& image);
  // Frees the slot; a slot not in use is left alone.
  void Delete(int index);
  // The image of a used slot; a null image otherwise.
  QImage Image(int index) const;
  // Images held.
  int GetCount() const { return count_; }
  int SlotCount() const { return static_cast<int>(images_.size()); }

 private:
  bool IsUsed(int index) const;

  int width_;
  int height_;
  std::vector<QImage> images_;
  std::vector<bool> used_;
  int count_ = 0;
};

// The glyph lists of every size asked for.
class TGlyphCache {
 public:
  // The list of images of that size, made when there is none yet.
  TGlyphList& GetList(int width, int height);
  // The list of that size; nil when there is none.
  TGlyphList* FindList(int width, int height) const;
  // Frees the list once it holds no more images.
  void ReturnList(const TGlyphList& list);
  bool Empty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

 private:
  std::vector<std::unique_ptr<TGlyphList>> lists_;
};

}  // namespace widgets
