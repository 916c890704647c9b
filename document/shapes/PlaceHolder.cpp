#include "document/shapes/PlaceHolder.h"

#include "document/shapes/FrameShapes.h"
#include "document/text/TextShape.h"

namespace {

constexpr float DefaultWidth = 40.0f;
constexpr float DefaultHeight = 30.0f;
constexpr float TextMargin = 2.0f;
constexpr TColor White = 0xFFFFFF;

template <class Shape>
Shape& AddFixedPart(TdocShape& owner) {
  auto part = std::make_unique<Shape>();
  Shape& added = *part;
  added.SetAnchors(document::PlaceHolderAnchors);
  added.Fixed = true;
  owner.AddShape(std::move(part));
  return added;
}

}  // namespace

namespace document {

void AddPlaceHolderParts(TdocShape& owner, float width, float height) {
  auto& box = AddFixedPart<TdocRectangleShape>(owner);
  box.SetOutlineColor(0);
  box.SetOutlineWidth(0);
  box.SetFillColor(White);
  box.SetDocBounds(0, 0, width, height);

  auto& text = AddFixedPart<TdocMemoShape>(owner);
  text.SetAutoSize(false);
  // The lines are aligned inside the frame they have when the text is set.
  text.SetDocBounds(TextMargin, TextMargin, width - 2 * TextMargin, height - 2 * TextMargin);
  text.SetFontPointSize(12);
  text.SetAlignment(2);
  text.SetVertAlign(1);
  text.SetText(u"Place image here");
  text.AllowEdit = false;
}

}  // namespace document

const TdocShapeClass& TdocPlaceHolder::StaticClass() {
  static const TdocShapeClass info{"TdocPlaceHolder", [] { return std::unique_ptr<TdocShape>(new TdocPlaceHolder); }};
  return info;
}

TdocPlaceHolder::TdocPlaceHolder() {
  document::AddPlaceHolderParts(*this, DefaultWidth, DefaultHeight);
  FitToChildren();
}

void TdocShape::AddPlaceHolder() {
  auto holder = std::make_unique<TdocPlaceHolder>();
  holder->SetDocBounds(holder->GetDocLeft(), holder->GetDocTop(), DefaultWidth, DefaultHeight);
  holder->SetAnchors(document::PlaceHolderAnchors);
  holder->Fixed = true;
  InsertShape(0, std::move(holder));
  FitToChildren();
}

void TdocShape::ShowPlaceHolder(bool value) {
  if (auto* holder = dynamic_cast<TdocPlaceHolder*>(GetShapes(0))) holder->SetVisible(value);
}
