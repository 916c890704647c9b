#include "widgets/GlyphCache.h"

#include <algorithm>

namespace widgets {

bool TGlyphList::IsUsed(int index) const {
  return index >= 0 && index < SlotCount() && used_[static_cast<std::size_t>(index)];
}

int TGlyphList::Add(const QImage& image) {
  const auto freeSlot = std::find(used_.begin(), used_.end(), false);
  const auto index = static_cast<std::size_t>(freeSlot - used_.begin());
  if (freeSlot == used_.end()) {
    images_.emplace_back();
    used_.push_back(false);
  }
  images_[index] = image;
  used_[index] = true;
  ++count_;
  return static_cast<int>(index);
}

void TGlyphList::Delete(int index) {
  if (!IsUsed(index)) return;
  const auto slot = static_cast<std::size_t>(index);
  used_[slot] = false;
  images_[slot] = QImage();
  --count_;
}

QImage TGlyphList::Image(int index) const {
  return IsUsed(index) ? images_[static_cast<std::size_t>(index)] : QImage();
}

TGlyphList* TGlyphCache::FindList(int width, int height) const {
  for (const auto& list : lists_)
    if (list->GetWidth() == width && list->GetHeight() == height) return list.get();
  return nullptr;
}

TGlyphList& TGlyphCache::GetList(int width, int height) {
  if (TGlyphList* list = FindList(width, height)) return *list;
  lists_.push_back(std::make_unique<TGlyphList>(width, height));
  return *lists_.back();
}

void TGlyphCache::ReturnList(const TGlyphList& list) {
  if (list.GetCount() > 0) return;
  std::erase_if(lists_, [&list](const auto& held) { return held.get() == &list; });
}

}  // namespace widgets
