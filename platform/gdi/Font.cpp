#include "platform/gdi/Font.h"

#include "platform/rtl/Numbers.h"

void TFont::Assign(const TPersistent* source) {
  if (const auto* font = dynamic_cast<const TFont*>(source)) {
    CopyAttributes(*font);
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TFont::CopyAttributes(const TFont& other) {
  Name = other.Name;
  Height = other.Height;
  Color = other.Color;
  Charset = other.Charset;
  Style = other.Style;
  Pitch = other.Pitch;
  Escapement = other.Escapement;
  Weight = other.Weight;
}

void TFont::Changed() {
  if (OnChange) OnChange(this);
}

void TFont::SetName(const std::string& name) {
  if (name.empty() || name == Name) return;
  Name = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == Height) return;
  Height = height;
  Changed();
}

int TFont::GetSize() const { return -rtl::Round(static_cast<double>(Height) * 72 / PixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-rtl::Round(static_cast<double>(points) * PixelsPerInch / 72)); }

void TFont::SetColor(TColor color) {
  if (color == Color) return;
  Color = color;
  Changed();
}

void TFont::SetCharset(std::uint8_t charset) {
  if (charset == Charset) return;
  Charset = charset;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == Style) return;
  Style = style;
  Weight = (style & FontStyleBit(fsBold)) ? 700 : 400;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == Pitch) return;
  Pitch = pitch;
  Changed();
}

void TFont::SetEscapement(int tenthsOfDegree) {
  if (tenthsOfDegree == Escapement) return;
  Escapement = tenthsOfDegree;
  Changed();
}

void TFont::SetWeight(int weight) {
  if (weight == Weight) return;
  Weight = weight;
  Style = static_cast<TFontStyles>(weight >= 600 ? (Style | FontStyleBit(fsBold)) : (Style & ~FontStyleBit(fsBold)));
  Changed();
}
