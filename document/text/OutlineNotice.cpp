#include "document/text/OutlineNotice.h"

#include <utility>

#include "platform/rtl/Format.h"

namespace {
TOutlineWording& OutlineWording() {
  static TOutlineWording wording;
  return wording;
}

std::string EnglishOutlineNotice(TOutlineNotice notice, std::int64_t first, std::int64_t second) {
  switch (notice) {
    case TOutlineNotice::TextTooLong:
      return rtl::Format("A text of %d characters is drawn only up to its first %d characters", first, second);
    case TOutlineNotice::LabelBudgetSpent:
      return rtl::Format("The outlined texts of this label are past what a label draws: this text of %d characters "
                         "is drawn only up to its character %d",
                         first, second);
    case TOutlineNotice::GlyphTooLarge:
      break;
  }
  return rtl::Format("A glyph of %d points in the label's fonts is left out: a glyph may have at most %d points",
                     first, second);
}
}  // namespace

void SetOutlineWording(TOutlineWording wording) { OutlineWording() = std::move(wording); }

std::string OutlineNoticeText(TOutlineNotice notice, std::int64_t first, std::int64_t second) {
  std::string text = OutlineWording() ? OutlineWording()(notice, first, second) : std::string();
  return text.empty() ? EnglishOutlineNotice(notice, first, second) : text;
}
