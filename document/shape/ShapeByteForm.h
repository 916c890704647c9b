#pragma once
// The shape byte form: one byte string that carries a shape with its
// children and the binary resources they use, so a shape can be copied into
// another (Assign), kept in an undo command or carried between documents.
//
// Layout, integers 32-bit little-endian: resource count N; N records of
// (name length, name bytes, data size S, S bytes); XML size X and X bytes of
// an XML document whose root "shape" holds the shape's SaveToXml.

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/rtl/Stream.h"

class TdocShape;
class TsdStorage;
class TStringList;
class TXmlNode;

// The byte form of any object that has resources and an XML form: the
// resources named by names (taken from storage; none without one), then the
// XML that save writes under an element named root.
std::string WriteByteForm(TsdStorage* storage, const TStringList& names, std::string_view root,
                          const std::function<void(TXmlNode&)>& save);
// What reads itself from a byte form: it loads its XML, then names the
// archive streams it refers to.
struct TByteFormReader {
  std::function<void(TXmlNode*)> Load;
  std::function<void(TStringList&)> CollectArchiveNames;
};
// Hands the XML root to the reader's Load with the resources in storage
// (dropped without one), then keeps only the resources the reader refers to,
// each in a temporary stream no other stream of the storage had; the
// resources the reader refers to but the bytes did not carry it must drop.
// Returns the names the reader must take (old name to new, "" for dropped).
// Storage holds no new stream when it raises: EReadError "Stream read error"
// for bytes cut short, or what Load raises.
std::map<std::string, std::string> ReadByteForm(TsdStorage* storage, std::string_view bytes,
                                                const TByteFormReader& reader);

// Resources come from the shape's document container (none without one).
std::string ShapesToString(const TdocShape& shape);
// An empty string does nothing. Resource data goes into the container of the
// shape's document (dropped without one), as ReadByteForm places it: only what
// the shape refers to, in temporary streams of its own, so copies never share
// a stream, a paste never writes a stream the document uses (index, fonts,
// pages, thumbnails, another shape's) and removing the shape removes them. A
// string cut short raises EReadError "Stream read error".
void ShapesFromString(TdocShape& shape, std::string_view bytes);

// Length-prefixed strings and streams of the byte forms and undo streams.
// Readers check every length against what the stream has left.
void WriteLengthString(TStream& stream, std::string_view text);
// A length below 1 reads as empty.
std::string ReadLengthString(TStream& stream);
void WriteLengthStream(TStream& stream, const std::string& bytes);

// "False" / "True"; the strict reader is True for "True" only, the lenient
// one when the first character, upper-cased, is T or Y.
std::string BoolToText(bool value);
bool TextToBool(std::string_view text);
bool LenientTextToBool(std::string_view text);
