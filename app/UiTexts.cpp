#include "app/UiTexts.h"

#include "app/LanguageFile.h"
#include "imaging/formats/PictureBudget.h"
#include "imaging/jpeg/JpegScanBudget.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

// A row of the text service filled with args. A language file of an older
// program has no such row: the English wording of the library stands in (an
// empty text), as it does for a translated row whose directives do not fit.
template <class... Args>
std::string WordedRow(int number, const Args&... args) {
  const std::string format = pgloretlibmessage(number);
  if (format.empty()) return {};
  try {
    return rtl::Format(format, args...);
  } catch (const Exception&) {
    return {};
  }
}

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
  return WordedRow(RefusalRow(kind), width, height, limit >> 20);
}

std::string WordScanRefusal(jpeg::TScanRefusal kind, int count, int limit) {
  return WordedRow(kind == jpeg::TScanRefusal::Scans ? UiTextJpegTooManyScans : UiTextJpegTooManyPasses, count,
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
