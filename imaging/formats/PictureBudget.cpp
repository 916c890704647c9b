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
  if (kind == TPictureRefusal::LabelBytes)
    return rtl::Format("The picture (%d x %d pixels) is not loaded: the picture files of a label may hold at most "
                       "%d MB together",
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

void TPixelBudget::Hold(const void* holder, std::shared_ptr<const void> picture, std::int64_t width,
                        std::int64_t height, std::int64_t bytes) {
  std::lock_guard lock(Mutex);
  const auto held = PictureOfHolder.find(holder);
  const void* previous = held != PictureOfHolder.end() ? held->second : nullptr;
  if (previous == picture.get()) return;
  auto counted = Pictures.find(picture.get());
  if (counted == Pictures.end()) {
    // What the holder's last picture gives back when no one else holds it.
    std::int64_t freedPixels = 0, freedBytes = 0;
    if (previous != nullptr && Pictures.at(previous).Holders == 1) {
      freedPixels = Pictures.at(previous).Pixels;
      freedBytes = Pictures.at(previous).Bytes;
    }
    if (PixelsExceed(width, height, PixelLimit - (Pixels - freedPixels)))
      throw EPictureTooLarge(PictureRefusalText(TPictureRefusal::Label, width, height, PixelLimit));
    if (bytes > ByteLimit - (Bytes - freedBytes))
      throw EPictureTooLarge(PictureRefusalText(TPictureRefusal::LabelBytes, width, height, ByteLimit));
    const void* key = picture.get();
    counted = Pictures.emplace(key, THeldPicture{std::move(picture), width * height, bytes, 0}).first;
    Pixels += width * height;
    Bytes += bytes;
  }
  ReleaseLocked(holder);
  ++counted->second.Holders;
  PictureOfHolder[holder] = counted->first;
}

void TPixelBudget::Release(const void* holder) {
  std::lock_guard lock(Mutex);
  ReleaseLocked(holder);
}

void TPixelBudget::ReleaseLocked(const void* holder) {
  const auto held = PictureOfHolder.find(holder);
  if (held == PictureOfHolder.end()) return;
  const auto counted = Pictures.find(held->second);
  PictureOfHolder.erase(held);
  if (--counted->second.Holders > 0) return;
  Pixels -= counted->second.Pixels;
  Bytes -= counted->second.Bytes;
  Pictures.erase(counted);
}

std::int64_t TPixelBudget::Used() const {
  std::lock_guard lock(Mutex);
  return Pixels;
}

std::int64_t TPixelBudget::UsedBytes() const {
  std::lock_guard lock(Mutex);
  return Bytes;
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
