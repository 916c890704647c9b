#include "document/shape/ClassRegistry.h"

TdocClassRegistry<TdocShape>& ShapeRegistry() {
  static TdocClassRegistry<TdocShape> registry;
  return registry;
}

TdocClassRegistry<TdocEffect>& EffectRegistry() {
  static TdocClassRegistry<TdocEffect> registry;
  return registry;
}

void RegisterShapeClass(const TdocShapeClass& shapeClass) { ShapeRegistry().Register(shapeClass, 0); }

const TdocShapeClass& GetShapeClass(std::string_view name) {
  const TdocShapeClass* found = ShapeRegistry().Find(name);
  return found ? *found : TdocShape::StaticClass();
}

void RegisterEffectClass(const TdocEffectClass& effectClass, std::int32_t extra) {
  EffectRegistry().Register(effectClass, extra);
}

const TdocEffectClass* GetEffectClass(std::string_view name) {
  const TdocEffectClass* found = EffectRegistry().Find(name);
  return found ? found : EffectRegistry().Find("TdocEffect");
}
