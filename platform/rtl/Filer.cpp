#include "platform/rtl/Filer.h"

#include <algorithm>
#include <cstdint>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

void TWriter::WriteProperties(TPersistent& object) {
  object.DefineProperties(*this);
  rtl::WriteLE<std::uint8_t>(Stream, 0);
}

void TWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc writeData, bool hasData) {
  if (!hasData || !writeData) return;
  if (name.empty() || name.size() > 255) throw EWriteError(rtl::Format("Invalid property name %s", name));
  TMemoryStream value;
  writeData(value);
  if (value.GetSize() > INT32_MAX) throw EWriteError(rtl::Format("Property %s is too large", name));
  rtl::WriteLE(Stream, static_cast<std::uint8_t>(name.size()));
  Stream.WriteBuffer(name.data(), static_cast<std::int64_t>(name.size()));
  rtl::WriteLE(Stream, static_cast<std::int32_t>(value.GetSize()));
  Stream.WriteBuffer(value.Bytes().data(), value.GetSize());
}

void TReader::DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc, bool) {
  Definitions.push_back({name, std::move(readData)});
}

void TReader::ReadProperties(TPersistent& object) {
  Definitions.clear();
  object.DefineProperties(*this);
  for (;;) {
    const auto length = rtl::ReadLE<std::uint8_t>(Stream);
    if (length == 0) return;
    std::string name(length, '\0');
    Stream.ReadBuffer(name.data(), length);
    const auto size = rtl::ReadLE<std::int32_t>(Stream);
    if (size < 0 || size > Stream.Remaining()) throw EReadError(rtl::Format("Error reading %s", name));
    const auto definition = std::find_if(Definitions.begin(), Definitions.end(),
                                         [&](const TDefinition& d) { return d.Name == name; });
    if (definition == Definitions.end() || !definition->Read)
      throw EReadError(rtl::Format("Property %s does not exist", name));
    // The value's bytes on their own: its reader can neither run past them
    // into the next value nor leave some of them behind unnoticed.
    TMemoryStream value;
    if (size > 0) value.CopyFrom(Stream, size);
    value.SetPosition(0);
    definition->Read(value);
    if (value.Remaining() != 0) throw EReadError(rtl::Format("Error reading %s", name));
  }
}
