// Opens arbitrary bytes as a container. Refusal must be an EStorageError;
// an accepted container must give every stream back, take changes, and
// come back unchanged from its saved form.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xml/storage/FastMemStream.h"
#include "xml/storage/Storage.h"
#include "xml/storage/StorageError.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string ReadBytes(TsdStorage& storage, const std::string& name) {
  TFastMemStream stream;
  storage.ReadStream(name, stream);
  return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.GetSize()));
}

std::vector<std::pair<std::string, std::string>> Contents(TsdStorage& storage) {
  std::vector<std::pair<std::string, std::string>> contents;
  for (int i = 0; i < storage.GetStreamCount(); ++i) {
    const std::string name = storage.GetStreamName(i);
    contents.emplace_back(name, ReadBytes(storage, name));
  }
  return contents;
}

void Change(TsdStorage& storage, const std::uint8_t* data, std::size_t size) {
  TFastMemStream bytes;
  bytes.WriteBuffer(data, static_cast<std::int64_t>(size / 2));
  storage.WriteStream("Fuzz.bin", bytes);
  if (storage.GetStreamCount() > 1) storage.DeleteStream(storage.GetStreamName(0));
  if (storage.GetStreamCount() > 1) {
    try {
      storage.RenameStream(storage.GetStreamName(0), std::string(size % 300, 'r'));
    } catch (const EStorageError&) {
      // the new name was taken
    }
  }
  TFastMemStream longer;
  longer.WriteBuffer(data, static_cast<std::int64_t>(size));
  storage.WriteStream(storage.GetStreamName(storage.GetStreamCount() - 1), longer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFastMemStream input;
  input.WriteBuffer(data, static_cast<std::int64_t>(size));
  TsdStorage storage;
  try {
    storage.LoadFromStream(input);
  } catch (const EStorageError&) {
    return 0;
  }
  std::int64_t total = 0;
  for (const auto& [name, bytes] : Contents(storage)) total += static_cast<std::int64_t>(bytes.size());
  Check(total <= static_cast<std::int64_t>(size));

  Change(storage, data, size);
  const auto changed = Contents(storage);
  TFastMemStream saved;
  storage.SaveToStream(saved);
  TsdStorage reloaded;
  reloaded.LoadFromStream(saved);
  Check(Contents(reloaded) == changed);
  return 0;
}
