#include "app/SheetTemplates.h"

#include <algorithm>

#include "app/NumberText.h"
#include "app/UiTexts.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace {

constexpr int UiTextIdentityPhoto = 198;
constexpr int UiTextBusinessCard = 197;
constexpr std::size_t ItemNumberBlanks = 200;
constexpr std::size_t ItemNumberDigits = 5;
constexpr float A4Width = 210.0f;
constexpr float A4Height = 297.0f;

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// The UI text cut to the longest name, counted in characters of its UTF-8.
std::string TemplateName(int uiText) {
  std::string name = pgloretlibmessage(uiText);
  std::size_t characters = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (StartsCharacter(name[i]) && characters++ == MaxTemplateNameLength) {
      name.resize(i);
      break;
    }
  }
  return name;
}

}  // namespace

std::vector<Tmodeleplanche> pglomodelesplanche() {
  return {
      {"AVERY L7164/J8164", 12, 63.5f, 72.0f, A4Width, A4Height, 7.0f, 4.5f, 0, 0},
      {"Zweckform 3666", 65, 38.0f, 21.19f, A4Width, A4Height, 9.0f, 10.7f, 0, 0},
      {"AVERY L7656/J8651", 84, 46.0f, 11.1f, A4Width, A4Height, 0.6f, 1.59f, 0.21f, 0.47f},
      {"AVERY L7651/J8651", 65, 38.1f, 21.15f, A4Width, A4Height, 5.0f, 11.0f, 0, 0},
      {TemplateName(UiTextIdentityPhoto), 0, 35.0f, 45.0f, A4Width, A4Height, 0, 13.5f, 0, 0},
      {TemplateName(UiTextBusinessCard), 0, 83.0f, 53.0f, A4Width, A4Height, 22.0f, 16.0f, 0, 0},
      {"APLI REF 03051", 55, 36.8f, 23.8f, A4Width, A4Height, 8.0f, 10.2f, 2.5f, 1.6f},
      {"AVERY L7161/J8161", 18, 63.5f, 46.6f, A4Width, A4Height, 7.0f, 8.5f, 2.75f, 0},
      {"APLI REF 10626", 65, 38.0f, 21.2f, A4Width, A4Height, 10.0f, 9.0f, 0, 0},
  };
}

Tmodeleplanche SheetTemplate(const std::vector<Tmodeleplanche>& stock, int number) {
  if (number == 0) return {"", 0, A4Width, A4Height, A4Width, A4Height, 0, 0, 0, 0};
  if (number < 0 || number > static_cast<int>(stock.size()))
    throw EConvertError(rtl::Format("Unknown sheet template %d", number));
  return stock[static_cast<std::size_t>(number - 1)];
}

std::string TemplateItemText(std::string_view name, int number) {
  return std::string(name) + std::string(ItemNumberBlanks, ' ') + std::to_string(number);
}

int TemplateItemNumber(std::string_view text) {
  const std::string_view tail = text.substr(text.size() - std::min(text.size(), ItemNumberDigits));
  return std::max(ParseInteger(tail).value_or(0), 0);
}
