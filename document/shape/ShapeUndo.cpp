// Undo recording and replay of TdocShape.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>
#include <vector>

#include "document/shape/ClassRegistry.h"
#include "document/shape/Shape.h"
#include "document/shape/ShapeByteForm.h"
#include "document/shape/ShapeValues.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "xml/Base64.h"

namespace document {

std::string FloatToUndoText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

float UndoTextToFloat(const std::string& text) {
  const std::string trimmed = rtl::Trim(text);
  double value = 0;
  const auto result = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (result.ec != std::errc() || result.ptr != trimmed.data() + trimmed.size() || !std::isfinite(value) ||
      std::fabs(value) > 3.0e38)
    throw EConvertError(rtl::Format("'%s' is not a valid floating point value", text));
  return static_cast<float>(value);
}

std::string ShapeOrderText(const TdocShape& parent) {
  std::string text;
  for (int i = 0; i < parent.GetShapeCount(); ++i)
    text.append(i > 0 ? " " : "").append(rtl::IntToStr(parent.GetShapes(i)->GetShapeId()));
  return text;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace document

namespace {

// The ids that follow a removed child's byte form; none in a record
// without them or with a count that does not fit.
std::vector<std::int32_t> ReadInsideIds(TStream& stream) {
  std::vector<std::int32_t> ids;
  if (stream.GetSize() - stream.GetPosition() < 4) return ids;
  const std::int32_t count = rtl::ReadLE<std::int32_t>(stream);
  if (count < 0 || count > (stream.GetSize() - stream.GetPosition()) / 4) return ids;
  for (std::int32_t i = 0; i < count; ++i) ids.push_back(rtl::ReadLE<std::int32_t>(stream));
  return ids;
}

// Every shape below root, depth first, parents before their children.
std::vector<TdocShape*> Descendants(const TdocShape& root) {
  std::vector<TdocShape*> shapes;
  for (int i = 0; i < root.GetShapeCount(); ++i) {
    TdocShape* child = root.GetShapes(i);
    shapes.push_back(child);
    const std::vector<TdocShape*> below = Descendants(*child);
    shapes.insert(shapes.end(), below.begin(), below.end());
  }
  return shapes;
}

// Puts the children back into the order a record names by their ids; a
// record that does not name every child once is refused before anything
// moves.
void RestoreShapeOrder(TdocShape& parent, const std::string& value) {
  std::vector<std::int32_t> ids;
  for (std::size_t at = 0; at < value.size();) {
    const std::size_t space = std::min(value.find(' ', at), value.size());
    ids.push_back(rtl::StrToInt(value.substr(at, space - at)));
    at = space + 1;
  }
  std::vector<std::int32_t> present;
  for (int i = 0; i < parent.GetShapeCount(); ++i) present.push_back(parent.GetShapes(i)->GetShapeId());
  if (!std::is_permutation(ids.begin(), ids.end(), present.begin(), present.end()))
    throw EConvertError(rtl::Format("'%s' is not a valid shape order", value));
  parent.RecordUndo(ckPropertyValue, document::ShapeOrderProperty, document::ShapeOrderText(parent));
  const TdocShape::RecordingPause pause;
  for (int i = 0; i < static_cast<int>(ids.size()); ++i)
    for (int j = i; j < parent.GetShapeCount(); ++j)
      if (parent.GetShapes(j)->GetShapeId() == ids[static_cast<std::size_t>(i)]) {
        parent.ExchangeShapes(i, j);
        break;
      }
}

}  // namespace

using document::FloatToUndoText;
using document::SameText;
using document::UndoTextToFloat;

thread_local int TdocShape::RecordingPause::Depth = 0;

bool TdocShape::IsRecordingUndo() const {
  return Document && !RecordingPause::Active() && (Document->GetUndoEnabled() || Document->IsRecordingRedo());
}

void TdocShape::RecordCommand(std::unique_ptr<TdocCommand> command) const {
  if (Document->GetUndoEnabled())
    Document->AddUndoCommand(std::move(command));
  else
    Document->AddRedoCommand(std::move(command));
}

void TdocShape::RecordUndo(TdocCommandKind kind, const std::string& propName, const std::string& oldValue) {
  if (!IsRecordingUndo()) return;
  RecordCommand(TdocCommand::Create(kind, oldValue, propName, ShapeId));
}

void TdocShape::RecordUndoFloat(TdocCommandKind kind, const std::string& propName, double value) {
  RecordUndo(kind, propName, FloatToUndoText(value));
}

void TdocShape::RecordUndoInteger(TdocCommandKind kind, const std::string& propName, std::int64_t value) {
  RecordUndo(kind, propName, rtl::IntToStr(value));
}

void TdocShape::RecordUndoBoolean(TdocCommandKind kind, const std::string& propName, bool value) {
  RecordUndo(kind, propName, BoolToText(value));
}

void TdocShape::RecordUndoFontStyle(TdocCommandKind kind, const std::string& propName, std::uint8_t style) {
  RecordUndo(kind, propName, FontStyleToText(style));
}

void TdocShape::RecordUndoShape(TdocCommandKind kind, const TdocShape& child) {
  if (kind != ckChildRemoved || !IsRecordingUndo()) return;
  auto stream = std::make_unique<TMemoryStream>();
  rtl::WriteLE<std::int32_t>(*stream, child.Parent ? child.Parent->IndexOfShape(&child) : -1);
  rtl::WriteLE<std::int32_t>(*stream, child.ShapeId);
  const std::string bytes = ShapesToString(child);
  WriteLengthString(*stream, xml::EncodeBase64(bytes.data(), bytes.size()));
  // The ids of the shapes inside it, so the commands recorded for them
  // still find them once it is restored.
  const std::vector<TdocShape*> inside = Descendants(child);
  rtl::WriteLE<std::int32_t>(*stream, static_cast<std::int32_t>(inside.size()));
  for (const TdocShape* shape : inside) rtl::WriteLE<std::int32_t>(*stream, shape->ShapeId);
  RecordCommand(
      TdocCommand::CreateWithStream(ckChildRemoved, std::move(stream), child.ClassName(), "ClassName", ShapeId));
}

bool TdocShape::ApplyCommand(const TdocCommand& command) {
  if (command.ShapeId == ShapeId) return ApplyOwnCommand(command);
  for (const auto& child : Shapes)
    if (child->ApplyCommand(command)) return true;
  return false;
}

bool TdocShape::ApplyOwnCommand(const TdocCommand& command) {
  switch (command.Kind) {
    case ckPropertyValue:
      SetRecordedProperty(command);
      return true;
    case ckChildInserted:
      DeleteShape(rtl::StrToInt(command.Value));
      return true;
    case ckChildRemoved:
      RestoreRemovedChild(command);
      return true;
    default:
      return false;
  }
}

void TdocShape::SetRecordedProperty(const TdocCommand& command) {
  if (SameText(command.PropName, "Grouped")) return SetPropertyByName(command.PropName, command.Value);
  // The children of a group recorded their own frames when it was resized:
  // those records put them back, so the group's old size must not lay them
  // out a second time.
  const bool grouped = Grouped;
  {
    auto restore = TdocBracketGuard([this, grouped] { Grouped = grouped; });
    Grouped = false;
    SetPropertyByName(command.PropName, command.Value);
  }
  if (grouped) UpdateExtents();
}

void TdocShape::RestoreRemovedChild(const TdocCommand& command) {
  if (!command.Stream) throw EReadError("Stream read error");
  TMemoryStream stream;
  command.Stream->SetPosition(0);
  stream.CopyFrom(*command.Stream, 0);
  stream.SetPosition(0);
  const std::int32_t index = rtl::ReadLE<std::int32_t>(stream);
  const std::int32_t id = rtl::ReadLE<std::int32_t>(stream);
  const std::string text = ReadLengthString(stream);
  std::string bytes(xml::Base64DecodedSize(text), '\0');
  xml::DecodeBase64(text, bytes.data(), bytes.size());
  const std::vector<std::int32_t> insideIds = ReadInsideIds(stream);
  const int at = std::clamp(index, 0, GetShapeCount());
  // The child comes back as it was: what it does while it is read and joins
  // the tree (sizing itself to its text, say) is no change to record, and
  // would be recorded under the passing id it had before its own came back.
  // Read in full before it joins the tree, so a broken record leaves no
  // half-loaded child behind.
  RecordUndo(ckChildInserted, "", std::to_string(at));
  {
    RecordingPause pause;
    std::unique_ptr<TdocShape> child = GetShapeClass(command.Value).Create();
    child->SetDocument(Document);
    ShapesFromString(*child, bytes);
    child->SetShapeId(id);
    const std::vector<TdocShape*> inside = Descendants(*child);
    if (inside.size() == insideIds.size())
      for (std::size_t i = 0; i < inside.size(); ++i) inside[i]->SetShapeId(insideIds[i]);
    InsertChildAt(at, std::move(child));
  }
  Invalidate();
  Changed();
}

void TdocShape::SetPropertyByName(const std::string& name, const std::string& value) {
  if (SameText(name, "DocLeft"))
    SetDocLeft(UndoTextToFloat(value));
  else if (SameText(name, "DocTop"))
    SetDocTop(UndoTextToFloat(value));
  else if (SameText(name, "DocWidth"))
    SetDocWidth(UndoTextToFloat(value));
  else if (SameText(name, "DocHeight"))
    SetDocHeight(UndoTextToFloat(value));
  else if (SameText(name, "DocAngle"))
    SetDocAngle(UndoTextToFloat(value));
  else if (SameText(name, "MasterAlpha"))
    SetMasterAlpha(rtl::StrToInt(value));
  else if (SameText(name, "Name"))
    SetName(rtl::Utf8ToUtf16(value));
  else if (SameText(name, "Grouped"))
    SetGrouped(TextToBool(value));
  else if (SameText(name, "Anchors"))
    SetAnchors(static_cast<TdocAnchors>(rtl::StrToInt(value)));
  else if (SameText(name, document::ShapeOrderProperty))
    RestoreShapeOrder(*this, value);
}
