// The XML form of TdocBarCodeShape: the effect shape's elements, then the
// component's settings as child elements.

#include <cfloat>
#include <cmath>

#include "app/shapes/BarcodeShape.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "document/shape/ShapeValues.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"

namespace {

// Ordinals beyond the enumeration come only from broken or newer files: an
// unknown type stays unknown (painting then says so), an unknown text
// position becomes the first one.
TBarcodeType TypFromOrdinal(std::int32_t ordinal) {
  return static_cast<TBarcodeType>(ordinal >= 0 && ordinal <= 0xFF ? ordinal : 0xFF);
}

TShowTextPosition PositionFromOrdinal(std::int32_t ordinal) {
  return ordinal >= stpTopLeft && ordinal <= stpBottomCenter ? static_cast<TShowTextPosition>(ordinal) : stpTopLeft;
}

// The symbol's width in pixels, 0 for a value its symbology refuses: a
// document with such a barcode still saves.
std::int32_t SymbolWidth(TVmBarcode& barcode) {
  try {
    return barcode.GetWidth();
  } catch (const Exception&) {
    return 0;
  }
}

}  // namespace

void TdocBarCodeShape::SaveToXml(TXmlNode& node) const {
  TdocEffectShape::SaveToXml(node);
  if (Barcode) SaveBarcode(node);
}

void TdocBarCodeShape::SaveBarcode(TXmlNode& node) const {
  TVmBarcode& barcode = *Barcode;
  node.WriteChildInteger("Typ", barcode.GetTyp(), 0);
  node.WriteChildInteger("Modul", barcode.GetModul(), 0);
  node.WriteChildFloat("Ratio", barcode.GetRatio(), 0);
  node.WriteChildFloat("Angle", barcode.GetAngle(), 0);
  node.WriteChildFloat("FDocangleinitial", FDocangleinitial, 0);
  node.WriteChildInteger("Left", barcode.GetLeft(), 0);
  node.WriteChildInteger("Top", barcode.GetTop(), 0);
  // Encoding may normalise the text (padding, check digit): before "Text".
  node.WriteChildInteger("Width", SymbolWidth(barcode), 0);
  node.WriteChildInteger("Height", barcode.GetHeight(), 0);
  node.WriteChildString("Text", rtl::Cp1252ToUtf8(barcode.GetText()), "");
  node.WriteChildBool("Checksum", barcode.GetChecksum(), false);
  node.WriteChildFloat("DAngle", GetDocAngle(), 0);
  node.WriteChildColor("Couleur", barcode.Color, 0);
  node.WriteChildColor("Couleurbarre", barcode.ColorBar, 0);
  node.WriteChildBool("TopafficheText", barcode.GetShowText() != bcoNone, false);
  node.WriteChildInteger("Positiontexte", barcode.GetShowTextPosition(), 0);
  node.WriteChildFont("Fonte", barcode.GetShowTextFont());
}

void TdocBarCodeShape::LoadFromXml(TXmlNode* node) {
  TdocEffectShape::LoadFromXml(node);
  LoadBarcode(*node);
  CachedRendering = false;
  const double angle = node->ReadChildFloat("DAngle", 0);
  if (std::isfinite(angle) && std::fabs(angle) <= FLT_MAX) SetDocAngle(static_cast<float>(angle));
}

std::string TdocBarCodeShape::GetBarcodeState() const {
  if (!Barcode) return {};
  TXmlDocument state(BarcodeStateProperty);
  SaveBarcode(*state.GetRoot());
  return state.WriteToString();
}

void TdocBarCodeShape::RecordBarcodeChange(const std::string& oldState) {
  if (oldState != GetBarcodeState()) RecordUndo(ckPropertyValue, BarcodeStateProperty, oldState);
}

void TdocBarCodeShape::SetPropertyByName(const std::string& name, const std::string& value) {
  if (!document::SameText(name, BarcodeStateProperty)) return TdocEffectShape::SetPropertyByName(name, value);
  TXmlDocument state;
  state.ReadFromString(value);
  RecordUndo(ckPropertyValue, BarcodeStateProperty, GetBarcodeState());
  LoadBarcode(*state.GetRoot());
  Refresh();
  Changed();
}

void TdocBarCodeShape::LoadBarcode(const TXmlNode& node) {
  auto barcode = std::make_unique<TVmBarcode>(nullptr);
  barcode->SetTyp(TypFromOrdinal(node.ReadChildInteger("Typ", 0)));
  barcode->SetRatio(node.ReadChildFloat("Ratio", 0));
  barcode->SetAngle(node.ReadChildFloat("Angle", 0));
  FDocangleinitial = static_cast<float>(node.ReadChildFloat("FDocangleinitial", 0));
  barcode->SetModul(node.ReadChildInteger("Modul", 0));
  barcode->SetLeft(node.ReadChildInteger("Left", 0));
  barcode->SetTop(node.ReadChildInteger("Top", 0));
  barcode->SetHeight(node.ReadChildInteger("height", 0));
  barcode->SetText(rtl::Utf8ToCp1252(node.ReadChildString("Text")));
  barcode->SetChecksum(node.ReadChildBool("Checksum", false));
  // The stored width is that of the stored text: rescaling against it keeps
  // the stored module, so a document saves back as it was read. A value the
  // symbology refuses leaves the module as stored; painting reports it.
  try {
    barcode->SetWidth(node.ReadChildInteger("width", 0));
  } catch (const Exception&) {
  }
  barcode->Color = node.ReadChildColor("Couleur", 0);
  barcode->ColorBar = node.ReadChildColor("Couleurbarre", 0);
  barcode->SetShowText(node.ReadChildBool("TopafficheText", false) ? bcoCode : bcoNone);
  barcode->SetShowTextPosition(PositionFromOrdinal(node.ReadChildInteger("Positiontexte", 0)));
  TFont font(barcode->GetShowTextFont());
  node.ReadChildFont("Fonte", font);
  barcode->SetShowTextFont(font);
  Barcode = std::move(barcode);
}
