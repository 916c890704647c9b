#pragma once
// A stream over a UTF-8 text, read in place and as it stands (no encoding
// step): how documents and nodes parse strings. The text must outlive the
// stream. It is read-only: a write writes nothing and setting the size
// raises EWriteError.

#include <cstdint>
#include <string_view>

#include "platform/rtl/Stream.h"

class TsdUTF8StringStream final : public TStream {
public:
  explicit TsdUTF8StringStream(std::string_view text) : Text(text) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return static_cast<std::int64_t>(Text.size()); }
  void SetSize(std::int64_t size) override;

private:
  std::string_view Text;
  std::int64_t Position = 0;
};
