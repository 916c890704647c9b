#include "app/UiTexts.h"

#include "app/LanguageFile.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

int RefusalRow(imaging::TPictureRefusal kind) {
  switch (kind) {
    case imaging::TPictureRefusal::Picture: return UiTextPictureTooLarge;
    case imaging::TPictureRefusal::Label: return UiTextLabelPicturesTooLarge;
    case imaging::TPictureRefusal::LabelBytes: return UiTextLabelPictureFilesTooLarge;
  }
  return UiTextPictureTooLarge;
}

// A language file of an older program has no such rows: the English wording
// of the raster library stands in (an empty text).
std::string WordPictureRefusal(imaging::TPictureRefusal kind, std::int64_t width, std::int64_t height,
                               std::int64_t limit) {
  const std::string format = pgloretlibmessage(RefusalRow(kind));
  if (format.empty()) return {};
  try {
    return rtl::Format(format, width, height, limit >> 20);
  } catch (const Exception&) {
    return {};  // a translated row whose directives do not fit
  }
}

}  // namespace

std::string TUiTextService::GetText(int number) const {
  if (LanguageFile != nullptr && LanguageFile->GetLoaded()) return LanguageFile->GetText(number);
  return std::string(BuiltInUiText(number, LanguageIndex));
}

TUiTextService& UiTextService() {
  static TUiTextService service;
  [[maybe_unused]] static const bool wordsPictureRefusals =
      (imaging::SetPictureRefusalWording(&WordPictureRefusal), true);
  return service;
}

std::string pgloretlibmessage(int number) { return UiTextService().GetText(number); }
