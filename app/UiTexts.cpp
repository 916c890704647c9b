#include "app/UiTexts.h"

#include "app/LanguageFile.h"

std::string TUiTextService::GetText(int number) const {
  if (LanguageFile != nullptr && LanguageFile->GetLoaded()) return LanguageFile->GetText(number);
  return std::string(BuiltInUiText(number, LanguageIndex));
}

TUiTextService& UiTextService() {
  static TUiTextService service;
  return service;
}

std::string pgloretlibmessage(int number) { return UiTextService().GetText(number); }
