#include "document/resources/PicturePool.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "imaging/bitmap/Bitmap32.h"

namespace document {

namespace {

constexpr std::int64_t ChunkSize = 65536;

// Calls f(bytes, count) for the stream's bytes, chunk by chunk, from the start.
template <class F>
void ForEachChunk(TMapStream& data, std::vector<std::uint8_t>& chunk, F&& f) {
  chunk.resize(ChunkSize);
  data.SetPosition(0);
  for (std::int64_t count; (count = data.Read(chunk.data(), ChunkSize)) > 0;) f(chunk.data(), count);
  data.SetPosition(0);
}

// FNV-1a over the bytes and their count.
std::uint64_t HashBytes(TMapStream& data) {
  std::uint64_t hash = 14695981039346656037ull ^ static_cast<std::uint64_t>(data.GetSize());
  std::vector<std::uint8_t> chunk;
  ForEachChunk(data, chunk, [&hash](const std::uint8_t* bytes, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  });
  return hash;
}

bool SameBytes(TMapStream& a, TMapStream& b) {
  if (a.GetSize() != b.GetSize()) return false;
  if (a.SharesBlocksWith(b)) return true;
  std::vector<std::uint8_t> chunk, other(ChunkSize);
  bool same = true;
  b.SetPosition(0);
  ForEachChunk(a, chunk, [&](const std::uint8_t* bytes, std::int64_t count) {
    same = same && b.Read(other.data(), count) == count && std::equal(bytes, bytes + count, other.data());
  });
  b.SetPosition(0);
  return same;
}

}  // namespace

class TPicturePool {
public:
  // Equal bytes take the blocks of the picture found.
  std::shared_ptr<TPoolPicture> Identify(TMapStream& data, const std::string& extension) {
    const std::uint64_t key = HashBytes(data);
    std::lock_guard lock(Mutex);
    const auto [first, last] = Entries.equal_range(key);
    for (auto it = first; it != last; ++it) {
      std::shared_ptr<TPoolPicture> picture = it->second.lock();
      if (picture == nullptr || picture->Extension != extension || !SameBytes(picture->Bytes, data)) continue;
      data.ShareFrom(picture->Bytes);
      return picture;
    }
    auto picture = std::make_shared<TPoolPicture>();
    picture->Extension = extension;
    picture->Bytes.ShareFrom(data);
    picture->Size = data.GetSize();
    data.SetPosition(0);
    Entries.emplace(key, picture);
    // Forgotten pictures are swept out once the pool has doubled, not at
    // every request: a paste may bring tens of thousands of pictures, and a
    // sweep walks all of them.
    if (Entries.size() > 2 * SizeAfterSweep) {
      DropDead();
      SizeAfterSweep = Entries.size();
    }
    return picture;
  }

  std::shared_ptr<const TBitmap32> Decoded(TPoolPicture& picture) {
    std::lock_guard lock(Mutex);
    return picture.Decoded.lock();
  }

  void Remember(TPoolPicture& picture, const std::shared_ptr<const TBitmap32>& decoded) {
    std::lock_guard lock(Mutex);
    picture.Decoded = decoded;
  }

  std::size_t LiveCount() {
    std::lock_guard lock(Mutex);
    DropDead();
    return Entries.size();
  }

private:
  void DropDead() { std::erase_if(Entries, [](const auto& entry) { return entry.second.expired(); }); }

  std::mutex Mutex;
  std::unordered_multimap<std::uint64_t, std::weak_ptr<TPoolPicture>> Entries;
  std::size_t SizeAfterSweep = 0;
};

namespace {

TPicturePool& Pool() {
  static TPicturePool pool;
  return pool;
}

}  // namespace

std::shared_ptr<TPoolPicture> IdentifyPicture(TMapStream& data, const std::string& extension) {
  return Pool().Identify(data, extension);
}

std::shared_ptr<TPoolPicture> UnsharedPicture() { return std::make_shared<TPoolPicture>(); }

std::shared_ptr<const TBitmap32> DecodedPicture(TPoolPicture& picture,
                                                const std::function<std::unique_ptr<TBitmap32>()>& decode) {
  if (auto alive = Pool().Decoded(picture)) return alive;
  std::shared_ptr<const TBitmap32> decoded = decode();
  if (decoded != nullptr) Pool().Remember(picture, decoded);
  return decoded;
}

std::size_t LivePictureCount() { return Pool().LiveCount(); }

}  // namespace document
