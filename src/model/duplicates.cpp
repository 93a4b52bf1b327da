// Finding vertices that sit at exactly the same position.
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/model.h"

namespace zmf {
namespace {

// Bits of a coordinate as float equality sees them: -0 folds into +0. NaN is screened out by
// the caller, since NaN never equals anything.
std::uint32_t EqualityBits(float f) { return f == 0.0f ? 0u : std::bit_cast<std::uint32_t>(f); }

struct PositionKey {
  std::uint32_t x, y, z;
  bool operator==(const PositionKey&) const = default;
};

std::uint64_t HashKey(const PositionKey& k) {
  std::uint64_t h = k.x * 0x9E3779B97F4A7C15ull;
  h ^= (h >> 29) + k.y * 0xC2B2AE3D27D4EB4Full;
  h ^= (h >> 31) + k.z * 0x165667B19E3779F9ull;
  return h ^ (h >> 32);
}

// Open-addressing map from a position to the nearest vertex after the current one at that
// position, as an index into the walk (plus one; 0 marks an empty slot). Sixteen-byte slots at
// a load of at most one half.
class PositionTable {
 public:
  // Empties the table and sizes it for `entries` entries.
  void Reset(std::size_t entries) {
    std::size_t size = 16;
    while (size < entries * 2) size *= 2;
    slots_.assign(size, Slot{});
    mask_ = size - 1;
  }

  // Returns the entry stored under `key` (0 if none) and stores `entry` in its place.
  std::uint32_t Exchange(const PositionKey& key, std::uint64_t hash, std::uint32_t entry) {
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.entry == 0) {
        s.key = key;
        s.entry = entry;
        return 0;
      }
      if (s.key == key) {
        const std::uint32_t previous = s.entry;
        s.entry = entry;
        return previous;
      }
    }
  }

 private:
  struct Slot {
    PositionKey key{};
    std::uint32_t entry = 0;
  };
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};

// A position and where it stands in the walk.
struct WalkEntry {
  PositionKey key;
  std::uint32_t index;
};

}  // namespace

void Model::RebuildDuplicates() {
  if (!geometryChanged) return;
  duplicates.Clear();

  // Walking from the tail, the table holds for each position the closest vertex after the
  // current one: exactly the first later match that a forward search would find.
  const std::uint32_t n = vertices.count();
  std::vector<Vertex*> walk;  // vertices from the tail backwards
  walk.reserve(n);
  for (Vertex* v = vertices.tail(); v != nullptr; v = v->prev) walk.push_back(v);

  // Equal positions hash alike, so the walk splits by the top bits of the hash into parts of
  // a few thousand entries that are matched one at a time in a table that stays in the cache.
  // Within a part the entries keep walk order, which is all the matching needs.
  const std::size_t count = walk.size();
  int partBits = 0;
  while ((count >> partBits) > 4096 && partBits < 20) ++partBits;
  const std::size_t parts = std::size_t{1} << partBits;
  auto partOf = [partBits](std::uint64_t hash) {
    return partBits == 0 ? std::size_t{0} : static_cast<std::size_t>(hash >> (64 - partBits));
  };

  std::vector<PositionKey> keys(count);
  std::vector<std::size_t> partStart(parts + 1, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const Vector3& p = walk[i]->position;
    if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) continue;  // never a match
    keys[i] = {EqualityBits(p.x), EqualityBits(p.y), EqualityBits(p.z)};
    ++partStart[partOf(HashKey(keys[i])) + 1];
  }
  for (std::size_t part = 0; part < parts; ++part) partStart[part + 1] += partStart[part];
  std::vector<WalkEntry> entries(partStart[parts]);
  {
    std::vector<std::size_t> fill(partStart.begin(), partStart.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
      const Vector3& p = walk[i]->position;
      if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) continue;
      entries[fill[partOf(HashKey(keys[i]))]++] = {keys[i], static_cast<std::uint32_t>(i)};
    }
  }

  // Per walk entry: walk index of its twin plus one, or 0.
  std::vector<std::uint32_t> twinOf(count, 0);
  PositionTable table;
  for (std::size_t part = 0; part < parts; ++part) {
    table.Reset(partStart[part + 1] - partStart[part]);
    for (std::size_t e = partStart[part]; e < partStart[part + 1]; ++e) {
      const WalkEntry& entry = entries[e];
      twinOf[entry.index] = table.Exchange(entry.key, HashKey(entry.key), entry.index + 1);
    }
  }
  for (std::size_t i = walk.size(); i-- > 0;) {
    if (twinOf[i] == 0) continue;
    Duplicate* d = duplicates.Allocate();
    if (d == nullptr) return;  // out of memory: stays stale, so the next reader tries again
    d->vertex = walk[i];
    d->twin = walk[twinOf[i] - 1];
    duplicates.Append(d);
  }
  geometryChanged = false;
}

}  // namespace zmf
