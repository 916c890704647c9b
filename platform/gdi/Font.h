#pragma once
// The font value object: what a canvas needs to pick and place a typeface.
// Height is in pixels: negative is the em size, positive the cell height;
// Size is in points at 96 pixels per inch.

#include <cstdint>
#include <string>

#include "platform/gdi/Color.h"
#include "platform/rtl/Persistent.h"

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = std::uint8_t;  // bit 1 << TFontStyle
constexpr TFontStyles FontStyleBit(TFontStyle style) { return static_cast<TFontStyles>(1u << style); }

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

constexpr std::uint8_t ANSI_CHARSET = 0;
constexpr std::uint8_t DEFAULT_CHARSET = 1;

class TFont : public TPersistent {
public:
  static constexpr int PixelsPerInch = 96;

  TFont() = default;
  TFont(const TFont& other) : TPersistent(other) { CopyAttributes(other); }
  TFont& operator=(const TFont& other) {
    Assign(&other);
    return *this;
  }

  std::string ClassName() const override { return "TFont"; }
  void Assign(const TPersistent* source) override;

  const std::string& GetName() const { return Name; }
  void SetName(const std::string& name);
  int GetHeight() const { return Height; }
  void SetHeight(int height);
  int GetSize() const;
  void SetSize(int points);
  TColor GetColor() const { return Color; }
  void SetColor(TColor color);
  std::uint8_t GetCharset() const { return Charset; }
  void SetCharset(std::uint8_t charset);
  TFontStyles GetStyle() const { return Style; }
  void SetStyle(TFontStyles style);
  TFontPitch GetPitch() const { return Pitch; }
  void SetPitch(TFontPitch pitch);
  // Rotation of the text baseline in tenths of a degree, counter-clockwise.
  int GetEscapement() const { return Escapement; }
  void SetEscapement(int tenthsOfDegree);
  // 400 regular, 700 bold unless set otherwise.
  int GetWeight() const { return Weight; }
  void SetWeight(int weight);

  TNotifyEvent OnChange;

private:
  void CopyAttributes(const TFont& other);
  void Changed();

  std::string Name = "MS Sans Serif";
  int Height = -11;
  TColor Color = clWindowText;
  std::uint8_t Charset = DEFAULT_CHARSET;
  TFontStyles Style = 0;
  TFontPitch Pitch = fpDefault;
  int Escapement = 0;
  int Weight = 400;
};
