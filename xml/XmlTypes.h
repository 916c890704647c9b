#pragma once
// Enumerations and the exception class shared by the XML document model,
// its parser and its writer. Ordinals are those stored in settings.

#include <cstdint>

#include "platform/rtl/Exception.h"

RTL_DECLARE_EXCEPTION(EXmlError, Exception);

// What a node is, and so how it is written.
enum TXmlNodeKind : std::uint8_t {
  nkElement,         // <name attributes>value children</name>
  nkComment,         // <!--value-->
  nkCData,           // <![CDATA[value]]>
  nkDeclaration,     // <?xml attributes?>
  nkStyleSheet,      // <?xml-stylesheet attributes?>
  nkDocType,         // <!DOCTYPE name value [children]>
  nkElementDecl,     // <!ELEMENT name value>
  nkAttListDecl,     // <!ATTLIST name value>
  nkEntityDecl,      // <!ENTITY name value>
  nkNotationDecl,    // <!NOTATION name value>
  nkSpecial,         // <!value>
  nkInstruction,     // <?value?>
  nkCharData,        // the value as it stands
  nkUnknown          // <value>
};
constexpr int kXmlNodeKindCount = nkUnknown + 1;

// Character encoding of an XML file. UCS-4 and EBCDIC are recognised but
// refused.
enum TXmlEncoding : std::uint8_t {
  xe8Bit,              // the system code page (Windows-1252)
  xeUcs4BE,
  xeUcs4LE,
  xeUcs4Order2143,
  xeUcs4Order3412,
  xeUtf16BENoBom,
  xeUtf16LENoBom,
  xeUtf8,
  xeUtf16BE,
  xeUtf16LE,
  xeEbcdic
};

// How binary values are written as text.
enum TXmlBinaryEncoding : std::uint8_t { xbBinHex, xbBase64 };

// Layout of written XML. Any other value writes LF line breaks without
// indentation.
enum TXmlLayout : std::uint8_t {
  xlReadable,  // CR LF and indentation
  xlCompact    // no line break or indentation inside the root
};
