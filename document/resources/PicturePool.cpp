#include "document/resources/PicturePool.h"

#include <algorithm>
#include <mutex>
#include <tuple>
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

struct TPoolEntry {
  TPoolEntry(std::string extension, const std::shared_ptr<const TBitmap32>& picture)
      : Extension(std::move(extension)), Picture(picture) {}

  std::string Extension;
  // Kept to compare (equal hashes alone must never show another picture)
  // and to share with every resource that holds the same bytes.
  TMapStream Bytes;
  std::weak_ptr<const TBitmap32> Picture;
};

class TPicturePool {
public:
  // On a hit data takes the pool's blocks.
  std::shared_ptr<const TBitmap32> Find(std::uint64_t key, TMapStream& data, const std::string& extension) {
    std::lock_guard lock(Mutex);
    const auto [first, last] = Entries.equal_range(key);
    for (auto it = first; it != last; ++it) {
      TPoolEntry& entry = it->second;
      auto picture = entry.Picture.lock();
      if (picture == nullptr || entry.Extension != extension || !SameBytes(entry.Bytes, data)) continue;
      data.ShareFrom(entry.Bytes);
      return picture;
    }
    return nullptr;
  }

  void Add(std::uint64_t key, const TMapStream& data, const std::string& extension,
           const std::shared_ptr<const TBitmap32>& picture) {
    std::lock_guard lock(Mutex);
    TPoolEntry& entry =
        Entries.emplace(std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple(extension, picture))
            ->second;
    entry.Bytes.ShareFrom(data);
    // Forgotten pictures are swept out now and then, not at every request:
    // a paste may bring tens of thousands of pictures, and a sweep walks
    // all of them. Until then their bytes stay, so a sweep also comes once
    // a few photographs' worth has been added.
    BytesSinceSweep += entry.Bytes.GetSize();
    if (Entries.size() > 2 * SizeAfterSweep || BytesSinceSweep > SweepBytes) {
      DropDead();
      SizeAfterSweep = Entries.size();
      BytesSinceSweep = 0;
    }
  }

  std::size_t LiveCount() {
    std::lock_guard lock(Mutex);
    DropDead();
    return Entries.size();
  }

private:
  void DropDead() { std::erase_if(Entries, [](const auto& entry) { return entry.second.Picture.expired(); }); }

  static constexpr std::int64_t SweepBytes = std::int64_t{64} << 20;

  std::mutex Mutex;
  std::unordered_multimap<std::uint64_t, TPoolEntry> Entries;
  std::size_t SizeAfterSweep = 0;
  std::int64_t BytesSinceSweep = 0;
};

TPicturePool& Pool() {
  static TPicturePool pool;
  return pool;
}

}  // namespace

std::shared_ptr<const TBitmap32> SharedPicture(TMapStream& data, const std::string& extension,
                                               const std::function<std::unique_ptr<TBitmap32>()>& decode) {
  const std::uint64_t key = HashBytes(data);
  if (auto found = Pool().Find(key, data, extension)) return found;
  std::shared_ptr<const TBitmap32> picture = decode();
  data.SetPosition(0);
  if (picture != nullptr) Pool().Add(key, data, extension, picture);
  return picture;
}

std::size_t LivePictureCount() { return Pool().LiveCount(); }

}  // namespace document
