#pragma once
// Bitmaps and helpers the effect tests share.

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "document/effects/Effect.h"
#include "document/core/StartUp.h"
#include "imaging/bitmap/Bitmap32.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace effecttest {

// Random colours; about one pixel in eight fully transparent with colour
// bytes that are not zero, one in eight partly transparent.
inline void FillRandom(TBitmap32& bitmap, int width, int height, std::uint32_t seed) {
  std::mt19937 random(seed);
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      TColor32 c = static_cast<TColor32>(random());
      switch (random() % 8) {
        case 0: c &= 0x00FFFFFFu; c |= 0x00010101u; break;
        case 1: break;
        default: c |= 0xFF000000u;
      }
      bitmap.SetPixel(x, y, c);
    }
}

inline std::uint32_t Channel(TColor32 c, int shift) { return c >> shift & 0xFF; }

// The effect's XML (root "effect") as text.
inline std::string EffectXml(const TdocEffect& effect) {
  TXmlDocument xml("effect");
  effect.SaveToXml(*xml.GetRoot());
  return xml.WriteToString();
}

// A new effect of the registered class, loaded from XML text the way a shape
// loads its effects (load, then Prepare).
inline std::unique_ptr<TdocEffect> LoadEffect(const std::string& text) {
  document::StartUp();
  TXmlDocument xml;
  xml.ReadFromString(text);
  const TdocEffectClass* effectClass = GetEffectClass(xml.GetRoot()->ReadChildString("ClassName"));
  std::unique_ptr<TdocEffect> effect = effectClass->Create();
  effect->LoadFromXml(*xml.GetRoot());
  effect->Prepare();
  return effect;
}

// Effect XML with only these children after the class name.
inline std::string EffectElement(const std::string& className, const std::string& children = {}) {
  return "<effect><ClassName>" + className + "</ClassName>" + children + "</effect>";
}

}  // namespace effecttest
