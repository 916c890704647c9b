// Typed values of TXmlNode: conversions between texts and booleans, numbers,
// colours, date-times, fonts and binary data.

#include <cctype>
#include <charconv>
#include <string>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "xml/Base64.h"
#include "xml/BinHex.h"
#include "xml/XmlDateTime.h"
#include "xml/XmlDocument.h"
#include "xml/XmlFloat.h"
#include "xml/XmlNode.h"

namespace {

constexpr std::size_t kBinaryLineLength = 76;

// Child values: "True"/"Yes" and "False"/"No" by their first letter.
bool TextToBool(std::string_view text, bool defaultValue) {
  switch (text.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])))) {
    case 'T':
    case 'Y': return true;
    case 'F':
    case 'N': return false;
    default: return defaultValue;
  }
}

// Attribute values also know "1" and "0" and refuse anything else.
bool AttributeToBool(std::string_view text) {
  switch (text.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])))) {
    case '1':
    case 'T':
    case 'Y': return true;
    case '0':
    case 'F':
    case 'N': return false;
    default: throw EConvertError("Cannot convert value to bool");
  }
}

std::int32_t TextToInteger(std::string_view text, std::int32_t defaultValue) {
  std::int32_t value = 0;
  return rtl::TryStrToInt(text, value) ? value : defaultValue;
}

std::int64_t TextToInt64(std::string_view text, std::int64_t defaultValue) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value : defaultValue;
}

double TextToFloat(std::string_view text, double defaultValue) {
  double value = 0;
  return xml::ParseXmlFloat(text, value) ? value : defaultValue;
}

TDateTime TextToDateTime(std::string_view text, bool zone, TDateTime defaultValue) {
  TDateTime value = 0;
  return xml::ParseXmlDateTime(text, zone, value) ? value : defaultValue;
}

std::string HexText(std::int32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto bits = static_cast<std::uint32_t>(value);
  std::string hex;
  do {
    hex.insert(hex.begin(), kDigits[bits & 15]);
    bits >>= 4;
  } while (bits != 0);
  if (static_cast<int>(hex.size()) < digits) hex.insert(0, static_cast<std::size_t>(digits) - hex.size(), '0');
  return "$" + hex;
}

// The text cut into lines, each break followed by the continuation.
std::string BreakLines(const std::string& text, std::string_view separator) {
  std::string out;
  out.reserve(text.size() + text.size() / kBinaryLineLength * separator.size());
  for (std::size_t i = 0; i < text.size(); i += kBinaryLineLength) {
    if (i > 0) out.append(separator);
    out.append(text, i, kBinaryLineLength);
  }
  return out;
}

}  // namespace

// ---- options of the owning document

bool TXmlNode::SkipsDefaults() const { return Document && !Document->WriteDefaults; }
int TXmlNode::FloatDigits() const { return Document ? Document->FloatDigits : 6; }
bool TXmlNode::FloatAllowExponent() const { return Document ? Document->FloatAllowExponent : true; }
bool TXmlNode::ZoneInDateTimes() const { return Document && Document->ZoneInDateTimes; }
TXmlBinaryEncoding TXmlNode::BinaryEncoding() const { return Document ? Document->BinaryEncoding : xbBase64; }

TXmlNode* TXmlNode::WritableChild(std::string_view name, bool isDefault) {
  return isDefault && SkipsDefaults() ? nullptr : FindOrAddChild(name);
}

// ---- this node's value

bool TXmlNode::GetValueAsBool(bool defaultValue) const { return TextToBool(GetValue(), defaultValue); }
TDateTime TXmlNode::GetValueAsDateTime(TDateTime defaultValue) const {
  return TextToDateTime(GetValue(), ZoneInDateTimes(), defaultValue);
}
double TXmlNode::GetValueAsFloat(double defaultValue) const { return TextToFloat(GetValue(), defaultValue); }
std::int64_t TXmlNode::GetValueAsInt64(std::int64_t defaultValue) const {
  return TextToInt64(GetValue(), defaultValue);
}
std::int32_t TXmlNode::GetValueAsInteger(std::int32_t defaultValue) const {
  return TextToInteger(GetValue(), defaultValue);
}

// ---- attribute readers

bool TXmlNode::ReadAttrBool(std::string_view name, bool defaultValue) const {
  const int index = FindAttribute(name);
  if (index < 0) return defaultValue;
  try {
    return AttributeToBool(GetAttributeValue(index));
  } catch (const EConvertError&) {
    return defaultValue;
  }
}

TDateTime TXmlNode::ReadAttrDateTime(std::string_view name, TDateTime defaultValue) const {
  const int index = FindAttribute(name);
  return index < 0 ? defaultValue : TextToDateTime(GetAttributeValue(index), ZoneInDateTimes(), defaultValue);
}

std::int32_t TXmlNode::ReadAttrInteger(std::string_view name, std::int32_t defaultValue) const {
  const int index = FindAttribute(name);
  return index < 0 ? defaultValue : TextToInteger(GetAttributeValue(index), defaultValue);
}

std::int64_t TXmlNode::ReadAttrInt64(std::string_view name, std::int64_t defaultValue) const {
  const int index = FindAttribute(name);
  return index < 0 ? defaultValue : TextToInt64(GetAttributeValue(index), defaultValue);
}

std::string TXmlNode::ReadAttrString(std::string_view name, std::string_view defaultValue) const {
  const int index = FindAttribute(name);
  return index < 0 ? std::string(defaultValue) : GetAttributeValue(index);
}

// ---- child readers

bool TXmlNode::ReadChildBool(std::string_view name, bool defaultValue) const {
  const TXmlNode* child = FindChild(name);
  return child ? child->GetValueAsBool(defaultValue) : defaultValue;
}

TColor TXmlNode::ReadChildColor(std::string_view name, TColor defaultValue) const {
  return ReadChildInteger(name, defaultValue);
}

TDateTime TXmlNode::ReadChildDateTime(std::string_view name, TDateTime defaultValue) const {
  const TXmlNode* child = FindChild(name);
  return child ? child->GetValueAsDateTime(defaultValue) : defaultValue;
}

double TXmlNode::ReadChildFloat(std::string_view name, double defaultValue) const {
  const TXmlNode* child = FindChild(name);
  return child ? child->GetValueAsFloat(defaultValue) : defaultValue;
}

std::int64_t TXmlNode::ReadChildInt64(std::string_view name, std::int64_t defaultValue) const {
  const TXmlNode* child = FindChild(name);
  return child ? child->GetValueAsInt64(defaultValue) : defaultValue;
}

std::int32_t TXmlNode::ReadChildInteger(std::string_view name, std::int32_t defaultValue) const {
  const TXmlNode* child = FindChild(name);
  return child ? child->GetValueAsInteger(defaultValue) : defaultValue;
}

std::string TXmlNode::ReadChildString(std::string_view name, std::string_view defaultValue) const {
  const TXmlNode* child = FindChild(name);
  return child ? child->GetStringValue() : std::string(defaultValue);
}

std::u16string TXmlNode::ReadChildWideString(std::string_view name, std::u16string_view defaultValue) const {
  const TXmlNode* child = FindChild(name);
  return child ? rtl::Utf8ToUtf16(child->GetStringValue()) : std::u16string(defaultValue);
}

void TXmlNode::ReadChildFont(std::string_view name, TFont& font) const {
  const TXmlNode* node = FindChild(name);
  if (!node) return;
  font.SetName(node->ReadChildString("Name", "Arial"));
  font.SetColor(node->ReadChildColor("Color", font.GetColor()));
  font.SetSize(node->ReadChildInteger("Size", font.GetSize()));
  const TFontStyles old = font.GetStyle();
  TFontStyles style = 0;
  const auto read = [&](std::string_view child, TFontStyle member) {
    if (node->ReadChildBool(child, (old & FontStyleBit(member)) != 0)) style |= FontStyleBit(member);
  };
  read("Bold", fsBold);
  read("Italic", fsItalic);
  read("Underline", fsUnderline);
  read("Strikeout", fsStrikeOut);
  font.SetStyle(style);
}

namespace {
// Stored ordinals outside the enumeration read as the default.
template <class Enum>
Enum ReadChildOrdinal(const TXmlNode& node, std::string_view name, Enum last, Enum defaultValue) {
  const std::int32_t ordinal = node.ReadChildInteger(name, defaultValue);
  return ordinal >= 0 && ordinal <= last ? static_cast<Enum>(ordinal) : defaultValue;
}
}  // namespace

void TXmlNode::ReadChildPen(std::string_view name, TPen& pen) const {
  const TXmlNode* node = FindChild(name);
  if (!node) return;
  pen.SetColor(node->ReadChildColor("Color", clBlack));
  pen.SetMode(ReadChildOrdinal(*node, "Mode", pmNotXor, pmCopy));
  pen.SetStyle(ReadChildOrdinal(*node, "Style", psAlternate, psSolid));
  pen.SetWidth(node->ReadChildInteger("Width", 1));
}

void TXmlNode::ReadChildBrush(std::string_view name, TBrush& brush) const {
  const TXmlNode* node = FindChild(name);
  if (!node) return;
  brush.SetColor(node->ReadChildColor("Color", clWhite));
  brush.SetStyle(ReadChildOrdinal(*node, "Style", bsDiagCross, bsSolid));
}

// ---- attribute writers

void TXmlNode::WriteAttrBool(std::string_view name, bool value, bool defaultValue) {
  if (value == defaultValue && SkipsDefaults()) return;
  SetAttributeText(name, value ? "true" : "false");
}

void TXmlNode::WriteAttrDateTime(std::string_view name, TDateTime value, TDateTime defaultValue) {
  if (value == defaultValue && SkipsDefaults()) return;
  SetAttributeText(name, xml::FormatXmlDateTime(value, ZoneInDateTimes()));
}

void TXmlNode::WriteAttrInteger(std::string_view name, std::int32_t value, std::int32_t defaultValue) {
  if (value == defaultValue && SkipsDefaults()) return;
  SetAttributeText(name, std::to_string(value));
}

void TXmlNode::WriteAttrInt64(std::string_view name, std::int64_t value, std::int64_t defaultValue) {
  if (value == defaultValue && SkipsDefaults()) return;
  SetAttributeText(name, std::to_string(value));
}

void TXmlNode::WriteAttrFloat(std::string_view name, double value, double defaultValue) {
  if (value == defaultValue && SkipsDefaults()) return;
  SetAttributeText(name, xml::FormatXmlFloat(FloatDigits(), FloatAllowExponent(), value));
}

void TXmlNode::WriteAttrString(std::string_view name, std::string_view value, std::string_view defaultValue) {
  if (value == defaultValue && SkipsDefaults()) return;
  SetAttributeText(name, value);
}

// ---- child writers

void TXmlNode::WriteChildBool(std::string_view name, bool value, bool defaultValue) {
  if (TXmlNode* child = WritableChild(name, value == defaultValue)) child->SetValue(value ? "True" : "False");
}

// System colours are stored as the RGB value they stand for, so a file means
// the same colour on any desktop.
void TXmlNode::WriteChildColor(std::string_view name, TColor value, TColor defaultValue) {
  WriteChildHex(name, ColorToRGB(value), 8, defaultValue);
}

void TXmlNode::WriteChildDateTime(std::string_view name, TDateTime value, TDateTime defaultValue) {
  if (TXmlNode* child = WritableChild(name, value == defaultValue))
    child->SetValue(xml::FormatXmlDateTime(value, ZoneInDateTimes()));
}

void TXmlNode::WriteChildFloat(std::string_view name, double value, double defaultValue) {
  if (TXmlNode* child = WritableChild(name, value == defaultValue))
    child->SetValue(xml::FormatXmlFloat(FloatDigits(), FloatAllowExponent(), value));
}

void TXmlNode::WriteChildHex(std::string_view name, std::int32_t value, int digits, std::int32_t defaultValue) {
  if (TXmlNode* child = WritableChild(name, value == defaultValue)) child->SetValue(HexText(value, digits));
}

void TXmlNode::WriteChildInt64(std::string_view name, std::int64_t value, std::int64_t defaultValue) {
  if (TXmlNode* child = WritableChild(name, value == defaultValue)) child->SetValue(std::to_string(value));
}

void TXmlNode::WriteChildInteger(std::string_view name, std::int32_t value, std::int32_t defaultValue) {
  if (TXmlNode* child = WritableChild(name, value == defaultValue)) child->SetValue(std::to_string(value));
}

void TXmlNode::WriteChildString(std::string_view name, std::string_view value, std::string_view defaultValue) {
  if (TXmlNode* child = WritableChild(name, value == defaultValue)) child->SetValue(value);
}

void TXmlNode::WriteChildWideString(std::string_view name, std::u16string_view value,
                                    std::u16string_view defaultValue) {
  WriteChildString(name, rtl::Utf16ToUtf8(value), rtl::Utf16ToUtf8(defaultValue));
}

void TXmlNode::WriteChildFont(std::string_view name, const TFont& font) {
  TXmlNode* node = FindOrAddChild(name);
  const TFontStyles style = font.GetStyle();
  node->WriteChildString("Name", font.GetName(), "Arial");
  node->WriteChildColor("Color", font.GetColor(), clBlack);
  node->WriteChildInteger("Size", font.GetSize(), 0);
  node->WriteChildBool("Bold", (style & FontStyleBit(fsBold)) != 0, false);
  node->WriteChildBool("Italic", (style & FontStyleBit(fsItalic)) != 0, false);
  node->WriteChildBool("Underline", (style & FontStyleBit(fsUnderline)) != 0, false);
  node->WriteChildBool("Strikeout", (style & FontStyleBit(fsStrikeOut)) != 0, false);
}

void TXmlNode::WriteChildPen(std::string_view name, const TPen& pen) {
  TXmlNode* node = FindOrAddChild(name);
  node->WriteChildColor("Color", pen.GetColor(), clBlack);
  node->WriteChildInteger("Mode", pen.GetMode(), pmCopy);
  node->WriteChildInteger("Style", pen.GetStyle(), psSolid);
  node->WriteChildInteger("Width", pen.GetWidth(), 1);
}

void TXmlNode::WriteChildBrush(std::string_view name, const TBrush& brush) {
  TXmlNode* node = FindOrAddChild(name);
  node->WriteChildColor("Color", brush.GetColor(), clWhite);
  node->WriteChildInteger("Style", brush.GetStyle(), bsSolid);
}

// ---- binary values

void TXmlNode::EncodeWith(TXmlBinaryEncoding encoding, const void* buffer, std::size_t size) {
  const std::string text = encoding == xbBinHex ? xml::EncodeBinHex(buffer, size) : xml::EncodeBase64(buffer, size);
  const std::string_view lineBreak = LineBreak();
  Pool->MarkModified();
  if (lineBreak.empty()) {
    Value.Copy(text);
    return;
  }
  std::string separator(lineBreak);
  if (Document->Layout == xlReadable) {
    for (int i = Depth(); i > 0; --i) separator += Document->IndentString;
  }
  Value.Copy(BreakLines(text, separator));
}

void TXmlNode::DecodeWith(TXmlBinaryEncoding encoding, void* buffer, std::size_t size) const {
  const std::string_view raw = Value.View();
  const std::string resolved = raw.find('&') == std::string_view::npos ? std::string() : GetValue();
  const std::string_view text = resolved.empty() ? raw : std::string_view(resolved);
  if (encoding == xbBinHex) {
    xml::DecodeBinHex(text, buffer, size);
  } else {
    xml::DecodeBase64(text, buffer, size);
  }
}

void TXmlNode::EncodeBinaryValue(const void* buffer, std::size_t size) { EncodeWith(BinaryEncoding(), buffer, size); }

void TXmlNode::DecodeBinaryValue(void* buffer, std::size_t size) const { DecodeWith(BinaryEncoding(), buffer, size); }

std::size_t TXmlNode::GetBinaryValueSize() const {
  return BinaryEncoding() == xbBinHex ? xml::BinHexDecodedSize(Value.View()) : xml::Base64DecodedSize(Value.View());
}

void TXmlNode::WriteBase64String(std::string_view bytes) { EncodeWith(xbBase64, bytes.data(), bytes.size()); }

std::string TXmlNode::ReadBase64String() const {
  std::string bytes(xml::Base64DecodedSize(Value.View()), '\0');
  DecodeWith(xbBase64, bytes.data(), bytes.size());
  return bytes;
}
