#pragma once
// The framework's streaming of the values a class defines itself: each is a
// named binary value that the class's own reader and writer turn into bytes.
// A writer compares an object with its ancestor (the same object as an
// inherited form holds it) so that only what differs is written.
//
// Stream form: per value written, the name (one length byte, then its
// characters), the value's byte count (32-bit) and the bytes; a name of
// length 0 ends the list.

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"

class TFiler {
public:
  using TStreamProc = std::function<void(TStream& stream)>;

  virtual ~TFiler() = default;
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;

  // Declares a binary value; a writer writes it only when hasData is set.
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                                    bool hasData) = 0;
  // The object written against, or null when there is none.
  const TPersistent* GetAncestor() const { return Ancestor; }

protected:
  TFiler(TStream& stream, const TPersistent* ancestor) : Stream(stream), Ancestor(ancestor) {}

  TStream& Stream;
  const TPersistent* Ancestor;
};

class TWriter : public TFiler {
public:
  TWriter(TStream& stream, const TPersistent* ancestor = nullptr) : TFiler(stream, ancestor) {}

  // Writes the values the object defines and that differ from the ancestor,
  // then the end of the list.
  void WriteProperties(TPersistent& object);

  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;
};

class TReader : public TFiler {
public:
  explicit TReader(TStream& stream) : TFiler(stream, nullptr) {}

  // Reads values up to the end of the list into the object. A name the
  // object does not define raises EReadError "Property %s does not exist";
  // a value whose byte count runs past the stream, or whose reader leaves
  // some of its bytes, raises EReadError "Error reading %s"; errors of the
  // readers pass through.
  void ReadProperties(TPersistent& object);

  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;

private:
  struct TDefinition {
    std::string Name;
    TStreamProc Read;
  };
  std::vector<TDefinition> Definitions;
};
