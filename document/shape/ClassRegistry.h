#pragma once
// The process-wide registries that map a stored class name ("ClassName" in
// XML) to a class: one for shapes, one for effects. Each subsystem fills them
// from its start-up function before any document exists; they are read-only
// afterwards.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/shape/Shape.h"

class TdocEffect;
using TdocEffectClass = TdocClassInfo<TdocEffect>;

// Registration order is lookup order; a class registered twice keeps its
// first entry. Names compare exactly (case-sensitive).
template <class Base>
class TdocClassRegistry {
public:
  struct Holder {
    const TdocClassInfo<Base>* Class;
    std::string Name;
    std::int32_t Extra;  // kept for the effect classes; nothing reads it
  };

  void Register(const TdocClassInfo<Base>& info, std::int32_t extra) {
    for (const Holder& holder : Holders)
      if (holder.Class == &info) return;
    Holders.push_back({&info, std::string(info.Name.substr(0, 255)), extra});
  }
  const TdocClassInfo<Base>* Find(std::string_view name) const {
    for (const Holder& holder : Holders)
      if (holder.Name == name) return holder.Class;
    return nullptr;
  }
  const std::vector<Holder>& GetHolders() const { return Holders; }

private:
  std::vector<Holder> Holders;
};

TdocClassRegistry<TdocShape>& ShapeRegistry();
TdocClassRegistry<TdocEffect>& EffectRegistry();

void RegisterShapeClass(const TdocShapeClass& shapeClass);
// The class registered under name; TdocShape for any other name.
const TdocShapeClass& GetShapeClass(std::string_view name);

void RegisterEffectClass(const TdocEffectClass& effectClass, std::int32_t extra);
// The class registered under name; for any other name the class registered
// as "TdocEffect" (nil only before the effect classes are registered).
const TdocEffectClass* GetEffectClass(std::string_view name);
