#include "document/effects/EffectShape.h"

#include <algorithm>
#include <limits>

#include "document/shape/ShapeByteForm.h"
#include "imaging/formats/PictureBudget.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "xml/XmlNode.h"

namespace {

std::unique_ptr<TdocEffect> CreateEffect(std::string_view className) {
  const TdocEffectClass* effectClass = GetEffectClass(className);
  return (effectClass ? *effectClass : TdocEffect::StaticClass()).Create();
}

}  // namespace

const TdocShapeClass& TdocEffectShape::StaticClass() {
  static const TdocShapeClass info{"TdocEffectShape", [] { return std::unique_ptr<TdocShape>(new TdocEffectShape); }};
  return info;
}

const TdocShapeClass& TdocGroupShape::StaticClass() {
  static const TdocShapeClass info{"TdocGroupShape", [] { return std::unique_ptr<TdocShape>(new TdocGroupShape); }};
  return info;
}

TdocEffectShape::TdocEffectShape() = default;

TdocEffectShape::~TdocEffectShape() = default;

// ---- the effect list

int TdocEffectShape::AddEffect(std::unique_ptr<TdocEffect> effect) {
  return InsertEffect(GetEffectCount(), std::move(effect));
}

int TdocEffectShape::InsertEffect(int index, std::unique_ptr<TdocEffect> effect) {
  if (!effect || index < 0 || index > GetEffectCount()) return -1;
  Invalidate();
  RecordEffectUndo(ckEffectInserted, *effect, index);
  TdocEffect& inserted = *effect;
  Effects.insert(Effects.begin() + index, std::move(effect));
  inserted.SetShape(this);
  Refresh();
  Changed();
  return index;
}

void TdocEffectShape::DeleteEffect(int index) {
  TdocEffect* effect = GetEffects(index);
  if (!effect) return;
  Invalidate();
  RecordEffectUndo(ckEffectRemoved, *effect, index);
  TStringList names;
  effect->CollectArchiveNames(names);
  DeleteTempStreams(names);
  effect->SetShape(nullptr);
  Effects.erase(Effects.begin() + index);
  Refresh();
  Changed();
}

TdocEffect* TdocEffectShape::GetEffects(int index) const {
  if (index < 0 || index >= GetEffectCount()) return nullptr;
  return Effects[static_cast<std::size_t>(index)].get();
}

int TdocEffectShape::IndexOfEffect(const TdocEffect* effect) const {
  const auto found = std::find_if(Effects.begin(), Effects.end(), [effect](const auto& e) { return e.get() == effect; });
  return found == Effects.end() ? -1 : static_cast<int>(found - Effects.begin());
}

// ---- undo

void TdocEffectShape::RecordEffectUndo(TdocCommandKind kind, const TdocEffect& effect, int index,
                                       const std::string& propName, const std::string& oldValue) {
  if (!IsRecordingUndo()) return;
  switch (kind) {
    case ckEffectInserted:
      return RecordCommand(TdocCommand::Create(kind, rtl::IntToStr(index), "", GetShapeId()));
    case ckEffectRemoved: {
      auto stream = std::make_unique<TMemoryStream>();
      WriteLengthString(*stream, EffectToString(effect));
      return RecordCommand(TdocCommand::CreateWithStream(kind, std::move(stream), effect.ClassName(),
                                                         rtl::IntToStr(index), GetShapeId()));
    }
    case ckEffectProperty:
      return RecordCommand(TdocCommand::Create(kind, oldValue, rtl::Format("%d.%s", index, propName), GetShapeId()));
    default:
      return;
  }
}

bool TdocEffectShape::ApplyCommand(const TdocCommand& command) {
  const bool effectKind =
      command.Kind == ckEffectInserted || command.Kind == ckEffectRemoved || command.Kind == ckEffectProperty;
  if (command.ShapeId != GetShapeId() || !effectKind) return TdocShape::ApplyCommand(command);
  // A command naming no effect of this shape is still this shape's: it is
  // taken and changes nothing.
  switch (command.Kind) {
    case ckEffectInserted: {
      std::int32_t index = -1;
      if (rtl::TryStrToInt(command.Value, index)) DeleteEffect(index);
      break;
    }
    case ckEffectRemoved:
      RestoreRemovedEffect(command);
      break;
    default:
      SetEffectProperty(command);
  }
  return true;
}

void TdocEffectShape::RestoreRemovedEffect(const TdocCommand& command) {
  std::int32_t index = -1;
  if (!command.Stream || !rtl::TryStrToInt(command.PropName, index) || index < 0 || index > GetEffectCount()) return;
  TMemoryStream stream;
  command.Stream->SetPosition(0);
  stream.CopyFrom(*command.Stream, 0);
  stream.SetPosition(0);
  const std::string bytes = ReadLengthString(stream);
  // Filled while it is still ours, then handed to the list: the list frees
  // an effect it refuses, so nothing may touch the effect after the handover.
  std::unique_ptr<TdocEffect> effect = CreateEffect(command.Value);
  effect->SetShape(this);
  EffectFromString(*effect, bytes);
  effect->Prepare();
  InsertEffect(index, std::move(effect));
}

void TdocEffectShape::SetEffectProperty(const TdocCommand& command) {
  const std::size_t dot = command.PropName.find('.');
  if (dot == std::string::npos) return;
  std::int32_t index = -1;
  if (!rtl::TryStrToInt(std::string_view(command.PropName).substr(0, dot), index)) return;
  if (TdocEffect* effect = GetEffects(index)) effect->SetPropertyByName(command.PropName.substr(dot + 1), command.Value);
}

// ---- resources, extents, content

void TdocEffectShape::CollectArchiveNames(TStringList& list) const {
  TdocShape::CollectArchiveNames(list);
  for (const auto& effect : Effects) effect->CollectArchiveNames(list);
}

void TdocEffectShape::RenameArchiveNames(const std::map<std::string, std::string>& renames) {
  TdocShape::RenameArchiveNames(renames);
  for (const auto& effect : Effects) effect->RenameArchiveNames(renames);
}

bool TdocEffectShape::HasBitmapEffects() const {
  return TdocShape::HasBitmapEffects() ||
         std::any_of(Effects.begin(), Effects.end(), [](const auto& effect) { return effect->GetEnabled(); });
}

// Each effect adds to what the earlier ones added. Stored parameters can
// ask for anything: a sum past the float range stays at its largest value,
// so the cache keeps a size it can have.
void TdocEffectShape::AdjustExtents(float& left, float& top, float& right, float& bottom) const {
  constexpr float largest = std::numeric_limits<float>::max();
  for (const auto& effect : Effects) {
    effect->AdjustExtents(left, top, right, bottom);
    for (float* margin : {&left, &top, &right, &bottom}) *margin = std::min(*margin, largest);
  }
  TdocShape::AdjustExtents(left, top, right, bottom);
}

double TdocEffectShape::MaxCachePixels() const {
  const double share = static_cast<double>(imaging::MaxPicturePixels) / std::max<std::size_t>(Effects.size(), 1);
  return std::min(TdocShape::MaxCachePixels(), share);
}

void TdocEffectShape::ClearContent() {
  // The effects go as a deleted effect goes: with their temporary streams.
  TStringList names;
  for (const auto& effect : Effects) effect->CollectArchiveNames(names);
  DeleteTempStreams(names);
  Effects.clear();
  TdocShape::ClearContent();
}

// ---- the chain

void TdocEffectShape::ProcessRenderedBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) {
  RunEffects(bitmap, options);
  TdocShape::ProcessRenderedBitmap(bitmap, options);
}

void TdocEffectShape::RunEffects(TBitmap32& bitmap, const TdocRenderOptions& options) {
  // The copies live for this run only, whatever an effect raises.
  auto release = TdocBracketGuard([this] {
    for (const auto& effect : Effects) {
      effect->KeepOutput = false;
      effect->Output.reset();
    }
    RenderingCopy.reset();
  });
  // Only an earlier effect's output can be read: a Source naming this
  // effect, a later one or none reads the bitmap as it stands.
  for (std::size_t i = 0; i < Effects.size(); ++i) {
    const std::int32_t source = Effects[i]->Source;
    if (source >= 0 && static_cast<std::size_t>(source) < i) Effects[static_cast<std::size_t>(source)]->KeepOutput = true;
    if (source == SourceRendering && !RenderingCopy) {
      RenderingCopy = std::make_unique<TBitmap32>();
      RenderingCopy->Assign(&bitmap);
    }
  }
  for (const auto& effect : Effects) {
    if (effect->Enabled) effect->Apply(bitmap, options);
    if (effect->KeepOutput) {
      effect->Output = std::make_unique<TBitmap32>();
      effect->Output->Assign(&bitmap);
    }
  }
}

// ---- XML

void TdocEffectShape::SaveToXml(TXmlNode& node) const {
  TdocShape::SaveToXml(node);
  for (std::size_t i = 0; i < Effects.size(); ++i) {
    TXmlNode* element = node.AddChild("Effect");
    element->AddAttributeInteger("Index", static_cast<std::int32_t>(i + 1));
    Effects[i]->SaveToXml(*element);
  }
}

void TdocEffectShape::LoadFromXml(TXmlNode* node) {
  TdocShape::LoadFromXml(node);
  TXmlNodeList elements;
  node->FindChildren("Effect", elements);
  for (int i = 0; i < elements.GetCount(); ++i) {
    const TXmlNode& element = *elements.GetItem(i);
    std::unique_ptr<TdocEffect> effect = CreateEffect(element.ReadChildString("ClassName"));
    TdocEffect& added = *effect;
    AddEffect(std::move(effect));
    added.LoadFromXml(element);
    added.Prepare();
  }
  UpdateExtents();
}
