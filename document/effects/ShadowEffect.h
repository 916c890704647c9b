#pragma once
// TdocShadowEffect: a soft drop shadow. The shape's alpha mask is scaled by
// Intensity, moved by (DeltaX, DeltaY), box-blurred over Blur, tinted in
// Color and put under the shape's pixels. Lengths are millimetres; the
// bitmap's own resolution turns them into pixels. The shadow widens the
// shape's render margins so that it is not cut off at the frame.

#include "document/effects/Effect.h"
#include "platform/gdi/Color.h"

class TdocShadowEffect final : public TdocEffect {
public:
  static const TdocEffectClass& StaticClass();
  const TdocEffectClass& GetClass() const override { return StaticClass(); }

  void Apply(TBitmap32& bitmap, const TdocRenderOptions& options) override;
  void AdjustExtents(float& left, float& top, float& right, float& bottom) const override;
  // "DeltaX", "DeltaY", "Intensity", "Blur" (floats) and "Color" (integer);
  // the base's names otherwise.
  void SetPropertyByName(const std::string& name, const std::string& value) override;
  void LoadFromXml(const TXmlNode& node) override;
  void SaveToXml(TXmlNode& node) const override;

  float GetDeltaX() const { return DeltaX; }
  float GetDeltaY() const { return DeltaY; }
  float GetIntensity() const { return Intensity; }
  float GetBlur() const { return Blur; }
  TColor GetColor() const { return Color; }
  void SetDeltaX(float value);
  void SetDeltaY(float value);
  void SetIntensity(float value);
  void SetBlur(float value);
  void SetColor(TColor value);

private:
  void SetLength(float& field, float value, const char* name);

  float DeltaX = 2.0f;  // to the right
  float DeltaY = 1.0f;  // downwards
  float Intensity = 0.7f;
  float Blur = 1.5f;
  TColor Color = clBlack;
};
