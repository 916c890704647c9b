#pragma once
// The text service: every user-interface text that depends on the language
// is fetched by number. A loaded language file supplies the texts; without
// one, the table built into the program does, in the column of the language
// index (1 French, 2 English). Texts are UTF-8.

#include <string>
#include <string_view>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

class Tgerelanguage;

constexpr int UiTextCount = 213;
constexpr int LanguageFrench = 1;
constexpr int LanguageEnglish = 2;

// Rows of the built-in table for the messages that tell the user about a
// barcode value or the settings file.
constexpr int UiTextWrongCheckDigit = 91;
constexpr int UiTextCheckDigitAdded = 92;
constexpr int UiTextValueRefused = 93;
constexpr int UiTextSettingsNotSaved = 94;
constexpr int UiTextOpacity = 95;
constexpr int UiTextCheckDigitIsWrong = 118;
constexpr int UiTextBarcode = 119;
constexpr int UiTextCountBelowOne = 120;
constexpr int UiTextChangesWillBeLost = 201;
// A barcode that cannot be drawn in its frame, and one of a type unknown
// here (from a newer or broken file).
constexpr int UiTextBarcodeTooWide = 150;
constexpr int UiTextUnknownBarcodeType = 151;
constexpr int UiTextTypeNotKnown = 152;
// Captions of the image-export dialog and its opener.
constexpr int UiTextClipboardButton = 153;
constexpr int UiTextExportButton = 154;
constexpr int UiTextCloseButton = 155;
// A picture past its own pixel budget, or past the label's; each row takes
// the width, the height and the limit in millions of pixels.
constexpr int UiTextPictureTooLarge = 205;
constexpr int UiTextLabelPicturesTooLarge = 206;
// A curved, wavy or projective text longer than is drawn: its length, the limit.
constexpr int UiTextLongTextDrawnInPart = 207;
// A picture whose file the label's picture files have no room for (width,
// height, the limit in megabytes), and a label whose document a label file
// cannot hold (the limit in megabytes).
constexpr int UiTextLabelPictureFilesTooLarge = 208;
constexpr int UiTextLabelTooLargeToSave = 209;
// An outlined text cut where the label's outlined texts reached what a label
// draws together: its length, the characters drawn.
constexpr int UiTextLabelOutlinesSpent = 210;
// A glyph of the label's stored fonts with too many points: its points, the limit.
constexpr int UiTextGlyphTooLarge = 211;
// A progressive JPEG picture with more scans of one component, or more
// coefficient passes, than a picture may have; each row takes the count and
// the limit.
constexpr int UiTextJpegTooManyScans = 212;
constexpr int UiTextJpegTooManyPasses = 213;

// Row number of the built-in table in the column of languageIndex; empty for
// other rows and other indexes.
std::string_view BuiltInUiText(int number, int languageIndex);

class TUiTextService {
public:
  // The language file, used when it is loaded; it must outlive the service's use.
  void SetLanguageFile(const Tgerelanguage* file) { LanguageFile = file; }
  void SetLanguageIndex(int index) { LanguageIndex = index; }
  int GetLanguageIndex() const { return LanguageIndex; }

  std::string GetText(int number) const;

private:
  const Tgerelanguage* LanguageFile = nullptr;
  int LanguageIndex = LanguageFrench;
};

// The program's one text service; from its first use on, refused pictures
// are worded in its language.
TUiTextService& UiTextService();

// Text number n of the program's text service.
std::string pgloretlibmessage(int number);

// Text number n filled with args; empty where a language file of an older
// program has no such row, or a translated row's directives do not fit the
// args: the caller's English wording then stands in.
template <class... Args>
std::string WordedUiText(int number, const Args&... args) {
  const std::string format = pgloretlibmessage(number);
  if (format.empty()) return {};
  try {
    return rtl::Format(format, args...);
  } catch (const Exception&) {
    return {};
  }
}
