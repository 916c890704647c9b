// The XML form of TdocShape: every base property as a child element named
// like the property (written whatever its value), then one "Shape" element
// per child in z-order.

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/shape/ClassRegistry.h"
#include "document/shape/Shape.h"
#include "document/shape/ShapeValues.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "xml/XmlNode.h"

namespace {

constexpr std::pair<TdocAnchor, const char*> AnchorNames[] = {
    {anDefault, "default"},   {anPosXProp, "PosXProp"}, {anPosYProp, "PosYProp"},
    {anSizeXProp, "SizeXProp"}, {anSizeYProp, "SizeYProp"}, {anLeftLock, "LeftLock"},
    {anTopLock, "TopLock"},   {anRightLock, "RightLock"}, {anBottomLock, "BottomLock"}};

constexpr const char* CurbNames[] = {"CurbLeft", "CurbTop", "CurbRight", "CurbBottom"};

// Shapes nest this deep at most; a deeper file is refused rather than
// allowed to exhaust the stack.
constexpr int MaxNesting = 64;

}  // namespace

using document::ReadCoordinate;
using document::ReadLength;

class TdocShape::LoadDepthGuard {
public:
  LoadDepthGuard() {
    if (Depth >= MaxNesting) throw Exception("Shapes are nested too deeply");
    ++Depth;
  }
  ~LoadDepthGuard() { --Depth; }
  LoadDepthGuard(const LoadDepthGuard&) = delete;
  LoadDepthGuard& operator=(const LoadDepthGuard&) = delete;

private:
  static thread_local int Depth;
};

thread_local int TdocShape::LoadDepthGuard::Depth = 0;

void TdocShape::SaveToXml(TXmlNode& node) const {
  SaveBasePropertiesToXml(node);
  for (int part = 0; SaveContentPartToXml(part, node); ++part) {
  }
}

void TdocShape::SaveBasePropertiesToXml(TXmlNode& node) const {
  node.WriteChildWideString("ClassName", rtl::Utf8ToUtf16(ClassName()), u"");
  node.WriteChildBool("AllowResize", AllowResize, true);
  node.WriteChildBool("AllowMove", AllowMove, true);
  node.WriteChildBool("AllowRotate", AllowRotate, true);
  node.WriteChildBool("AllowSelect", AllowSelect, true);
  node.WriteChildBool("AllowDelete", AllowDelete, true);
  node.WriteChildBool("AllowEdit", AllowEdit, true);
  TXmlNode* anchors = node.AddChild("Anchors");
  for (const auto& [anchor, name] : AnchorNames) anchors->WriteChildBool(name, (Anchors & AnchorBit(anchor)) != 0, false);
  node.WriteChildFloat("AspectRatio", AspectRatio, 0);
  for (int i = 0; i < 4; ++i) node.WriteChildFloat(CurbNames[i], Curbs[static_cast<std::size_t>(i)], 0);
  node.WriteChildFloat("ConstraintMinHeight", Constraints.MinHeight, 0);
  node.WriteChildFloat("ConstraintMinWidth", Constraints.MinWidth, 0);
  node.WriteChildFloat("ConstraintMaxHeight", Constraints.MaxHeight, 0);
  node.WriteChildFloat("ConstraintMaxWidth", Constraints.MaxWidth, 0);
  node.WriteChildFloat("DocAngle", DocAngle, 0);
  node.WriteChildFloat("DocLeft", DocLeft, 0);
  node.WriteChildFloat("DocTop", DocTop, 0);
  node.WriteChildFloat("DocHeight", DocHeight, 0);
  node.WriteChildFloat("DocWidth", DocWidth, 0);
  node.WriteChildBool("Flipped", Flipped, false);
  node.WriteChildBool("Grouped", Grouped, false);
  node.WriteChildBool("Mirrored", Mirrored, false);
  node.WriteChildWideString("Name", Name, u"");
  node.WriteChildBool("PreserveAspect", PreserveAspect, false);
  node.WriteChildInteger("Tag", Tag, 0);
  node.WriteChildBool("Visible", Visible, true);
  node.WriteChildHex("MasterAlpha", MasterAlpha, 2, 255);
}

bool TdocShape::SaveContentPartToXml(int part, TXmlNode& node) const {
  const auto index = static_cast<std::size_t>(part);
  if (index < Shapes.size()) {
    TXmlNode* child = node.AddChild("Shape");
    child->AddAttributeInteger("Index", part + 1);
    Shapes[index]->SaveToXml(*child);
    return true;
  }
  if (index > Shapes.size()) return false;
  if (Document) Document->DoShapeSaveAdditionalInfo(const_cast<TdocShape*>(this), node);
  return true;
}

void TdocShape::LoadFromXml(TXmlNode* node) {
  if (!node) throw Exception("XML Node is not assigned");
  LoadDepthGuard depth;
  ClearContent();
  LoadBaseProperties(*node);
  LoadChildren(*node);
  // A grouped shape's extents follow its children's, known only now.
  if (Grouped) UpdateExtents();
  if (Document) Document->DoShapeLoadAdditionalInfo(this, *node);
}

void TdocShape::LoadBaseProperties(const TXmlNode& node) {
  AllowResize = node.ReadChildBool("AllowResize", true);
  AllowMove = node.ReadChildBool("AllowMove", true);
  AllowRotate = node.ReadChildBool("AllowRotate", true);
  AllowSelect = node.ReadChildBool("AllowSelect", true);
  AllowDelete = node.ReadChildBool("AllowDelete", true);
  AllowEdit = node.ReadChildBool("AllowEdit", true);
  AspectRatio = ReadLength(node, "AspectRatio");
  for (int i = 0; i < 4; ++i) Curbs[static_cast<std::size_t>(i)] = ReadLength(node, CurbNames[i]);
  if (const TXmlNode* anchors = node.FindChild("Anchors")) {
    Anchors = 0;
    for (const auto& [anchor, name] : AnchorNames)
      if (anchors->ReadChildBool(name, false)) Anchors |= AnchorBit(anchor);
  }
  Constraints.MinHeight = ReadLength(node, "ConstraintMinHeight");
  Constraints.MinWidth = ReadLength(node, "ConstraintMinWidth");
  Constraints.MaxHeight = ReadLength(node, "ConstraintMaxHeight");
  Constraints.MaxWidth = ReadLength(node, "ConstraintMaxWidth");
  // Stored as read: only the setter brings the angle into [0, 360).
  StoreAngle(ReadCoordinate(node, "DocAngle"));
  DocLeft = ReadCoordinate(node, "DocLeft");
  DocTop = ReadCoordinate(node, "DocTop");
  DocHeight = ReadLength(node, "DocHeight");
  DocWidth = ReadLength(node, "DocWidth");
  Flipped = node.ReadChildBool("Flipped", false);
  Mirrored = node.ReadChildBool("Mirrored", false);
  Name = node.ReadChildWideString("Name");
  Grouped = node.ReadChildBool("Grouped", false);
  PreserveAspect = node.ReadChildBool("PreserveAspect", false);
  Tag = node.ReadChildInteger("Tag", 0);
  Visible = node.ReadChildBool("Visible", true);
  MasterAlpha = std::clamp(node.ReadChildInteger("MasterAlpha", 255), 0, 255);
  CacheResolution = 0;
  UpdateExtents();
}

void TdocShape::LoadChildren(TXmlNode& node) {
  TXmlNodeList elements;
  node.FindChildren("Shape", elements);
  // Children kept by ClearContent (the Fixed ones) are reused in order; a
  // child that fails to load is reported and skipped, the rest still load.
  // Loading records no undo: a record could name a child that is skipped,
  // and recording a half-loaded child can fail again.
  const RecordingPause pause;
  int position = 0;
  for (int i = 0; i < elements.GetCount(); ++i) {
    TXmlNode* element = elements.GetItem(i);
    TdocShape* child = GetShapes(position);
    if (!child) child = GetShapes(AddShape(GetShapeClass(element->ReadChildString("ClassName")).Create()));
    try {
      child->LoadFromXml(element);
      child->Loaded();
      ++position;
    } catch (const std::exception& error) {
      DoLoadError(error.what());
      DeleteShape(IndexOfShape(child));
    }
  }
}

namespace document {

float ReadCoordinate(const TXmlNode& node, const char* name) {
  const double value = node.ReadChildFloat(name, 0);
  return std::isfinite(value) ? static_cast<float>(std::clamp(value, -MaxLength, MaxLength)) : 0.0f;
}

float ReadLength(const TXmlNode& node, const char* name) { return std::max(0.0f, ReadCoordinate(node, name)); }

float SaneLength(float value) {
  return std::isnan(value) ? 0.0f : static_cast<float>(std::clamp(double{value}, 0.0, MaxLength));
}

}  // namespace document
