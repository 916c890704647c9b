#include "document/effects/Effect.h"

#include "document/effects/EffectShape.h"
#include "document/shape/ShapeByteForm.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

TsdStorage* StorageOf(const TdocEffect& effect) {
  const TdocEffectShape* shape = effect.GetShape();
  return shape && shape->GetDocument() ? shape->GetDocument()->GetStorage() : nullptr;
}

}  // namespace

const TdocEffectClass& TdocEffect::StaticClass() {
  static const TdocEffectClass info{"TdocEffect", [] { return std::make_unique<TdocEffect>(); }};
  return info;
}

TdocEffect::TdocEffect() = default;
TdocEffect::~TdocEffect() = default;

std::string TdocEffect::GetEffectName() const {
  const std::string name = ClassName();
  constexpr std::size_t prefix = 4, suffix = 6;  // "Tdoc", "Effect"
  return name.size() > prefix + suffix ? name.substr(prefix, name.size() - prefix - suffix) : std::string();
}

void TdocEffect::Assign(const TPersistent* source) {
  const auto* effect = dynamic_cast<const TdocEffect*>(source);
  if (!effect) {
    TPersistent::Assign(source);
    return;
  }
  TXmlDocument xml("effect");
  effect->SaveToXml(*xml.GetRoot());
  LoadFromXml(*xml.GetRoot());
}

void TdocEffect::Apply(TBitmap32& /*bitmap*/, const TdocRenderOptions& /*options*/) {}

void TdocEffect::SetPropertyByName(const std::string& name, const std::string& value) {
  if (name == "Source")
    SetSource(rtl::StrToInt(value));
  else if (name == "Enabled")
    SetEnabled(TextToBool(value));
}

void TdocEffect::LoadFromXml(const TXmlNode& node) {
  Enabled = node.ReadChildBool("Enabled", false);
  Source = node.ReadChildInteger("Source", SourcePrevious);
}

void TdocEffect::SaveToXml(TXmlNode& node) const {
  node.WriteChildWideString("ClassName", rtl::Utf8ToUtf16(ClassName()), u"");
  node.WriteChildBool("Enabled", Enabled, false);
  node.WriteChildInteger("Source", Source, SourcePrevious);
}

int TdocEffect::GetIndex() const { return Shape ? Shape->IndexOfEffect(this) : -1; }

void TdocEffect::SetEnabled(bool value) {
  if (value == Enabled) return;
  RecordUndo("Enabled", BoolToText(Enabled));
  Enabled = value;
  Refresh();
}

void TdocEffect::SetSource(std::int32_t value) {
  if (value == Source) return;
  RecordUndo("Source", rtl::IntToStr(Source));
  Source = value;
  ParamChanged();
}

const TBitmap32& TdocEffect::GetInput(const TBitmap32& bitmap) const {
  if (!Shape) return bitmap;
  if (Source == SourceRendering) {
    const TBitmap32* rendering = Shape->GetRenderingCopy();
    return rendering ? *rendering : bitmap;
  }
  if (Source < 0 || Source >= GetIndex()) return bitmap;
  const TdocEffect* source = Shape->GetEffects(Source);
  return source && source->Output ? *source->Output : bitmap;
}

void TdocEffect::ParamChanged() {
  Prepare();
  Refresh();
  if (Shape) Shape->Changed();
}

void TdocEffect::RecordUndo(const std::string& propName, const std::string& oldValue) {
  if (Shape) Shape->RecordEffectUndo(ckEffectProperty, *this, GetIndex(), propName, oldValue);
}

void TdocEffect::Changed() {
  if (Shape) Shape->Invalidate();
}

void TdocEffect::Refresh() {
  if (Shape) Shape->Refresh();
}

std::string EffectToString(const TdocEffect& effect) {
  TStringList names;
  effect.CollectArchiveNames(names);
  return WriteByteForm(StorageOf(effect), names, "effect", [&effect](TXmlNode& root) { effect.SaveToXml(root); });
}

void EffectFromString(TdocEffect& effect, std::string_view bytes) {
  if (bytes.empty()) return;
  const TdocShape::RecordingPause pause;
  const auto renames = ReadByteForm(StorageOf(effect), bytes,
                                    {[&effect](TXmlNode* root) {
                                       if (!root) throw Exception("XML Node is not assigned");
                                       effect.LoadFromXml(*root);
                                     },
                                     [&effect](TStringList& names) { effect.CollectArchiveNames(names); }});
  if (!renames.empty()) effect.RenameArchiveNames(renames);
}
