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
