#pragma once
// TdocPlaceHolder: what an empty frame shows until it gets its content, a
// white box with the centred text "Place image here", kept as the fixed
// first child of its owner. Its parts follow the owner's size and cannot
// be selected on their own. The class is not registered: a stored
// placeholder comes back only into an owner that made its own before
// loading.

#include "document/effects/EffectShape.h"

class TdocPlaceHolder : public TdocEffectShape {
public:
  // A 40 x 30 mm group of the box and the text.
  TdocPlaceHolder();

  static const TdocShapeClass& StaticClass();
  const TdocShapeClass& GetClass() const override { return StaticClass(); }
};

namespace document {

// Anchors of the placeholder and its parts: left and top kept, size
// proportional to the owner's.
constexpr TdocAnchors PlaceHolderAnchors =
    AnchorBit(anSizeXProp) | AnchorBit(anSizeYProp) | AnchorBit(anLeftLock) | AnchorBit(anTopLock);

// Adds the white box and the centred text of a placeholder of the given
// size to owner, as fixed children.
void AddPlaceHolderParts(TdocShape& owner, float width, float height);

}  // namespace document
