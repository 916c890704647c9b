#include "app/UiTexts.h"

#include "app/LanguageFile.h"
#include "imaging/formats/PictureBudget.h"
#include "imaging/jpeg/JpegScanBudget.h"

namespace {

int RefusalRow(imaging::TPictureRefusal kind) {
  switch (kind) {
    case imaging::TPictureRefusal::Picture: return UiTextPictureTooLarge;
    case imaging::TPictureRefusal::Label: return UiTextLabelPicturesTooLarge;
    case imaging::TPictureRefusal::LabelBytes: return UiTextLabelPictureFilesTooLarge;
  }
  return UiTextPictureTooLarge;
}

std::string WordPictureRefusal(imaging::TPictureRefusal kind, std::int64_t width, std::int64_t height,
                               std::int64_t limit) {
  return WordedUiText(RefusalRow(kind), width, height, limit >> 20);
}

std::string WordScanRefusal(jpeg::TScanRefusal kind, int count, int limit) {
  return WordedUiText(kind == jpeg::TScanRefusal::Scans ? UiTextJpegTooManyScans : UiTextJpegTooManyPasses, count,
                   limit);
}

}  // namespace

std::string TUiTextService::GetText(int number) const {
  if (LanguageFile != nullptr && LanguageFile->GetLoaded()) return LanguageFile->GetText(number);
  return std::string(BuiltInUiText(number, LanguageIndex));
}

TUiTextService& UiTextService() {
  static TUiTextService service;
  [[maybe_unused]] static const bool wordsPictureRefusals =
      (imaging::SetPictureRefusalWording(&WordPictureRefusal), jpeg::SetScanRefusalWording(&WordScanRefusal), true);
  return service;
}

std::string pgloretlibmessage(int number) { return UiTextService().GetText(number); }
