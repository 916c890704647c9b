#pragma once
// One recorded undo step. Shapes and effects record them; the document keeps
// them in its undo and redo lists and hands them back to the page tree to
// replay (TdocShape::ApplyCommand).

#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/Stream.h"

// Ordinals are those the undo lists are written with.
enum TdocCommandKind : std::int32_t {
  ckPropertyValue,    // PropName, Value = old value as text
  ckChildInserted,    // Value = index of the new child
  ckChildRemoved,     // Value = class name, Stream = index, id and byte form
  ckEffectInserted,
  ckEffectRemoved,
  ckEffectProperty
};

struct TdocCommand {
  // A command without a stream.
  static std::unique_ptr<TdocCommand> Create(TdocCommandKind kind, std::string value, std::string propName,
                                             std::int32_t shapeId);
  // A command that owns the stream, rewound so its reader starts at the
  // first byte whoever wrote it.
  static std::unique_ptr<TdocCommand> CreateWithStream(TdocCommandKind kind, std::unique_ptr<TMemoryStream> stream,
                                                       std::string value, std::string propName,
                                                       std::int32_t shapeId);

  TdocCommandKind Kind = ckPropertyValue;
  std::int32_t ShapeId = 0;
  // Set on every command of an undo group after its first one.
  bool Grouped = false;
  std::string PropName;
  std::string Value;
  std::unique_ptr<TMemoryStream> Stream;  // nil for most kinds

  // What the command counts against the undo memory cap.
  std::int64_t GetMemorySize() const {
    const std::int64_t stream = Stream ? Stream->GetSize() : 0;
    return static_cast<std::int64_t>(PropName.size()) + 4 + static_cast<std::int64_t>(Value.size()) + stream;
  }
};

inline std::unique_ptr<TdocCommand> TdocCommand::Create(TdocCommandKind kind, std::string value, std::string propName,
                                                        std::int32_t shapeId) {
  return CreateWithStream(kind, nullptr, std::move(value), std::move(propName), shapeId);
}

inline std::unique_ptr<TdocCommand> TdocCommand::CreateWithStream(TdocCommandKind kind,
                                                                  std::unique_ptr<TMemoryStream> stream,
                                                                  std::string value, std::string propName,
                                                                  std::int32_t shapeId) {
  auto command = std::make_unique<TdocCommand>();
  command->Kind = kind;
  command->ShapeId = shapeId;
  command->PropName = std::move(propName);
  command->Value = std::move(value);
  if (stream) stream->SetPosition(0);
  command->Stream = std::move(stream);
  return command;
}
