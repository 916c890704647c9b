#pragma once
// Shapes and documents the document tests share.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "document/shape/ClassRegistry.h"
#include "document/shape/PlainServices.h"
#include "document/shape/Shape.h"
#include "document/core/StartUp.h"
#include "platform/rtl/StringList.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace doctest {

// The shape's XML under the root "shape" as text, and back.
inline std::string SaveShapeXml(const TdocShape& shape) {
  TXmlDocument xml("shape");
  shape.SaveToXml(*xml.GetRoot());
  return xml.WriteToString();
}

inline void LoadShapeXml(TdocShape& shape, const std::string& text) {
  TXmlDocument xml;
  xml.ReadFromString(text);
  shape.LoadFromXml(xml.GetRoot());
}

// Fills its frame in one colour: the pixels whose centres the device
// transform puts inside the frame.
class TFillShape : public TdocShape {
public:
  static const TdocShapeClass& StaticClass() {
    static const TdocShapeClass info{"TFillShape", [] { return std::unique_ptr<TdocShape>(new TFillShape); }};
    return info;
  }
  const TdocShapeClass& GetClass() const override { return StaticClass(); }

  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions&) override {
    ++Paints;
    bitmap.FillRectClipped(GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom(), Color);
  }

  TColor32 Color = 0xFF2040C0u;
  int Paints = 0;
};

// Paints a different opaque colour into every pixel of its frame, so any
// resampling shows; records the options it was drawn with.
class TNoiseShape : public TFillShape {
public:
  void PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) override {
    ++Paints;
    LastOptions = options;
    const int x1 = GetPixelLeft(), x2 = GetPixelRight(), y1 = GetPixelTop(), y2 = GetPixelBottom();
    for (int y = std::max(y1, 0); y < std::min(y2, bitmap.GetHeight()); ++y)
      for (int x = std::max(x1, 0); x < std::min(x2, bitmap.GetWidth()); ++x)
        bitmap.SetPixel(x, y, 0xFF000000u | ((std::uint32_t(x - x1) * 2654435761u) ^ (std::uint32_t(y - y1) * 40503u)));
  }
  TdocRenderOptions LastOptions;
};

inline std::unique_ptr<TFillShape> MakeFill(float left, float top, float width, float height, float angle = 0) {
  auto shape = std::make_unique<TFillShape>();
  shape->SetDocFrame(left, top, width, height, angle);
  return shape;
}

// A shape that refers to one resource stream by name.
struct TResourceShape : TFillShape {
  static const TdocShapeClass& StaticClass() {
    static const TdocShapeClass info{"TResourceShape", [] { return std::unique_ptr<TdocShape>(new TResourceShape); }};
    return info;
  }
  const TdocShapeClass& GetClass() const override { return StaticClass(); }
  void CollectArchiveNames(TStringList& list) const override {
    TdocShape::CollectArchiveNames(list);
    list.Add(Stream);
  }
  void RenameArchiveNames(const std::map<std::string, std::string>& renames) override {
    TdocShape::RenameArchiveNames(renames);
    if (auto found = renames.find(Stream); found != renames.end()) Stream = found->second;
  }
  void SaveToXml(TXmlNode& node) const override {
    TdocShape::SaveToXml(node);
    node.WriteChildString("Stream", Stream);
  }
  void LoadFromXml(TXmlNode* node) override {
    TdocShape::LoadFromXml(node);
    Stream = node->ReadChildString("Stream");
  }
  std::string Stream;
};

// A page-like root: a plain shape of the given size under a plain document.
struct TPageFixture {
  TPageFixture(float width = 100, float height = 100) {
    document::StartUp();
    RegisterShapeClass(TFillShape::StaticClass());
    Page.SetDocument(&Document);
    Page.SetDocFrame(0, 0, width, height, 0);
    Document.UndoList.clear();
  }
  TdocPlainServices Document;
  TdocShape Page;
};

// A new shape of the class the text names, loaded from it.
inline std::unique_ptr<TdocShape> ShapeFromXml(const std::string& text) {
  TXmlDocument xml;
  xml.ReadFromString(text);
  auto shape = GetShapeClass(xml.GetRoot()->ReadChildString("ClassName")).Create();
  shape->LoadFromXml(xml.GetRoot());
  return shape;
}

}  // namespace doctest
