#pragma once
// Bringing resource streams carried by a shape's byte form (shape copies,
// undo of removed shapes, the clipboard) into a document's archive without
// touching the streams the document already has: a carried stream whose
// name is taken is stored under a fresh temporary name, and the shape's XML
// is pointed at it before the shape reads it.

#include <map>
#include <string>

#include "platform/rtl/Stream.h"

class TsdStorage;
class TXmlNode;

namespace document {

// Stores data (from its start) under name when no stream has that name,
// else under a new temporary name with the same extension. Returns the name
// used.
std::string ImportArchiveStream(TsdStorage& archive, const std::string& name, TStream& data);

// Every "ArchiveName" element in the tree under root whose value is a key of
// renames gets the mapped value.
void RenameArchiveReferences(TXmlNode& root, const std::map<std::string, std::string>& renames);

}  // namespace document
