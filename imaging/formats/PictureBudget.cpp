#include "imaging/formats/PictureBudget.h"

#include "platform/rtl/Format.h"

namespace imaging {
namespace {

std::mutex WordingMutex;
TPictureRefusalWording& Wording() {
  static TPictureRefusalWording wording;
  return wording;
}

thread_local TPictureAdmission* CurrentAdmission = nullptr;

std::string EnglishRefusal(TPictureRefusal kind, std::int64_t width, std::int64_t height, std::int64_t limit) {
  const std::int64_t millions = limit >> 20;
  if (kind == TPictureRefusal::Picture)
    return rtl::Format("The picture is too large (%d x %d pixels): a picture may have at most %d million pixels",
                       width, height, millions);
  return rtl::Format("The picture (%d x %d pixels) is not loaded: the pictures of a label may have at most "
                     "%d million pixels together",
                     width, height, millions);
}

// Overflow-free: each side is below 2^31 when it comes from a header.
bool PixelsExceed(std::int64_t width, std::int64_t height, std::int64_t limit) {
  return width != 0 && height > limit / width;
}

}  // namespace

void SetPictureRefusalWording(TPictureRefusalWording wording) {
  std::lock_guard lock(WordingMutex);
  Wording() = std::move(wording);
}

std::string PictureRefusalText(TPictureRefusal kind, std::int64_t width, std::int64_t height, std::int64_t limit) {
  TPictureRefusalWording wording;
  {
    std::lock_guard lock(WordingMutex);
    wording = Wording();
  }
  std::string text = wording ? wording(kind, width, height, limit) : std::string();
  return text.empty() ? EnglishRefusal(kind, width, height, limit) : text;
}

void TPixelBudget::Recharge(std::int64_t from, std::int64_t width, std::int64_t height) {
  std::lock_guard lock(Mutex);
  const std::int64_t rest = Total - from;
  if (PixelsExceed(width, height, Limit - rest))
    throw EPictureTooLarge(PictureRefusalText(TPictureRefusal::Label, width, height, Limit));
  Total = rest + width * height;
}

std::int64_t TPixelBudget::Used() const {
  std::lock_guard lock(Mutex);
  return Total;
}

void AdmitPicture(std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0 || PixelsExceed(width, height, MaxPicturePixels))
    throw EPictureTooLarge(PictureRefusalText(TPictureRefusal::Picture, width, height, MaxPicturePixels));
  if (CurrentAdmission != nullptr && CurrentAdmission->Admit) CurrentAdmission->Admit(width, height);
}

TPictureAdmission::TPictureAdmission(std::function<void(std::int64_t, std::int64_t)> admit)
    : Admit(std::move(admit)), Outer(CurrentAdmission) {
  CurrentAdmission = this;
}

TPictureAdmission::~TPictureAdmission() { CurrentAdmission = Outer; }

}  // namespace imaging
