// The XML form of the text shapes and their spans. Stored spans are used
// only when they index the stored text in order; otherwise the text is laid
// out anew.

#include <cmath>

#include "document/shape/ShapeValues.h"
#include "document/text/TextBaseShape.h"
#include "platform/gdi/Font.h"
#include "xml/XmlNode.h"

namespace {

constexpr std::pair<TFontStyle, const char*> FontStyleNames[] = {
    {fsBold, "Bold"}, {fsItalic, "Italic"}, {fsUnderline, "Underline"}, {fsStrikeOut, "Strikeout"}};

float ReadFloat(const TXmlNode& node, const char* name) { return document::ReadCoordinate(node, name); }

}  // namespace

void TdocTextSpan::SaveToXml(TXmlNode& node) const {
  node.WriteChildInteger("CharPos", CharPos, 0);
  node.WriteChildInteger("CharCount", CharCount, 0);
  node.WriteChildFloat("Width", Width, 0);
  node.WriteChildFloat("Height", Height, 0);
}

void TdocTextSpan::LoadFromXml(const TXmlNode& node) {
  CharPos = node.ReadChildInteger("CharPos", 0);
  CharCount = node.ReadChildInteger("CharCount", 0);
  Width = ReadFloat(node, "Width");
  Height = ReadFloat(node, "Height");
}

void TdocTextBaseShape::SaveToXml(TXmlNode& node) const {
  TdocEffectShape::SaveToXml(node);
  node.WriteChildWideString("Text", Text, u"");
  node.WriteChildFloat("FontHeight", FontHeight, 0);
  node.WriteChildBool("AutoSize", AutoSize, false);
  node.WriteChildInteger("Alignment", Alignment, 0);
  node.WriteChildBool("WordWrap", WordWrap, false);
  node.WriteChildInteger("VertAlign", VertAlign, 0);
  TXmlNode* font = node.AddChild("Font");
  font->WriteChildString("Name", FontName, "");
  font->WriteChildColor("Color", FontColor, 0);
  for (const auto& [style, name] : FontStyleNames) font->WriteChildBool(name, (FontStyle & FontStyleBit(style)) != 0, false);
  node.WriteChildFloat("CharacterSpacing", CharacterSpacing, 0);
  node.WriteChildFloat("WordSpacing", WordSpacing, 0);
  node.WriteChildBool("UseKerning", UseKerning, false);
  node.WriteChildFloat("LineHeight", LineHeight, 0);
  for (const auto& span : Spans) span->SaveToXml(*node.AddChild("Span"));
}

void TdocTextBaseShape::LoadTextProperties(const TXmlNode& node) {
  Text = node.ReadChildWideString("Text");
  FontHeight = ReadFloat(node, "FontHeight");
  AutoSize = node.ReadChildBool("AutoSize", false);
  Alignment = static_cast<std::uint8_t>(node.ReadChildInteger("Alignment", 0));
  WordWrap = node.ReadChildBool("WordWrap", false);
  VertAlign = static_cast<std::uint8_t>(node.ReadChildInteger("VertAlign", 0));
  FontName = "Arial";
  FontColor = 0;
  FontStyle = 0;
  if (const TXmlNode* font = node.FindChild("Font")) {
    FontName = font->ReadChildString("Name");
    FontColor = font->ReadChildColor("Color", 0);
    for (const auto& [style, name] : FontStyleNames)
      if (font->ReadChildBool(name, false)) FontStyle |= FontStyleBit(style);
  }
  CharacterSpacing = ReadFloat(node, "CharacterSpacing");
  WordSpacing = ReadFloat(node, "WordSpacing");
  UseKerning = node.ReadChildBool("UseKerning", false);
  LineHeight = document::ReadLength(node, "LineHeight");
  if (LineHeight == 0) LineHeight = 1.0f;
  TextOrFontChanged();
}

// Spans must lie inside the text, one after the other, with sane sizes.
bool TdocTextBaseShape::StoredSpansFitText() const {
  const auto length = static_cast<std::int64_t>(Text.size());
  std::int64_t next = 1;
  for (const auto& span : Spans) {
    if (span->CharPos < next || span->CharCount < 0 || span->CharPos - 1 + std::int64_t{span->CharCount} > length)
      return false;
    if (!(span->Width >= 0) || !(span->Height >= 0)) return false;
    next = span->CharPos + std::int64_t{span->CharCount};
  }
  return true;
}

void TdocTextBaseShape::LoadFromXml(TXmlNode* node) {
  TdocEffectShape::LoadFromXml(node);
  LoadTextProperties(*node);
  Spans.clear();
  TXmlNodeList elements;
  node->FindChildren("Span", elements);
  for (int i = 0; i < elements.GetCount(); ++i) AddSpan().LoadFromXml(*elements.GetItem(i));
  if (Spans.empty() || !StoredSpansFitText())
    FitToText();
  else
    AlignLines();
}
