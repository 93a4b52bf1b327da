// Finding vertices that sit at exactly the same position.
#include <bit>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "model/buckets.h"
#include "model/flat_hash_map.h"
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

// The empty key has all bits set in x: a NaN, which no key holds. It also stands for the
// position of a vertex that has no key.
struct PositionHasher {
  static constexpr std::uint32_t kNaNBits = ~std::uint32_t{0};
  static std::uint64_t Hash(const PositionKey& k) { return HashWords(k.x, k.y, k.z); }
  static PositionKey Empty() { return {kNaNBits, kNaNBits, kNaNBits}; }
  static bool IsEmpty(const PositionKey& k) { return k.x == kNaNBits; }
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
  ReserveOnHugePages(walk, n);
  for (Vertex* v = vertices.tail(); v != nullptr; v = v->prev) {
    PrefetchNeighbour(v, -kPrefetchRecordsAhead);
    walk.push_back(v);
  }

  // Equal positions hash alike, so the walk splits by the low bits of the hash (the table takes
  // the high ones) into parts of a few thousand entries that are matched one at a time in a
  // table that stays in the cache. Within a part the entries keep walk order, which is all the
  // matching needs.
  const std::size_t count = walk.size();
  int partBits = 0;
  while ((count >> partBits) > 4096 && partBits < 20) ++partBits;
  const std::size_t parts = std::size_t{1} << partBits;
  auto partOf = [parts](std::uint64_t hash) {
    return static_cast<std::size_t>(hash & (parts - 1));
  };

  std::vector<PositionKey> keys;
  ReserveOnHugePages(keys, count);
  keys.assign(count, PositionHasher::Empty());
  Buckets<WalkEntry> entries(parts);
  for (std::size_t i = 0; i < count; ++i) {
    // The vertices lie wherever the pool put them: the position a few steps ahead is fetched
    // while this one is hashed.
    const std::size_t ahead = i + kPrefetchRecordsAhead;
    if (ahead < count) __builtin_prefetch(&walk[ahead]->position);
    const Vector3& p = walk[i]->position;
    if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) continue;  // never a match
    keys[i] = {EqualityBits(p.x), EqualityBits(p.y), EqualityBits(p.z)};
    entries.Count(partOf(PositionHasher::Hash(keys[i])));
  }
  entries.Arrange();
  for (std::size_t i = 0; i < count; ++i) {
    if (PositionHasher::IsEmpty(keys[i])) continue;
    entries.Place(partOf(PositionHasher::Hash(keys[i])), {keys[i], static_cast<std::uint32_t>(i)});
  }
  entries.Finish();

  // Per walk entry: walk index of its twin plus one, or 0.
  std::vector<std::uint32_t> twinOf;
  ReserveOnHugePages(twinOf, count);
  twinOf.assign(count, 0);
  // For each position, the walk index of the vertex met last there: the nearest one after the
  // current vertex in the list.
  FlatHashMap<PositionKey, std::uint32_t, PositionHasher> nearestLater;
  for (std::size_t part = 0; part < parts; ++part) {
    const std::span<const WalkEntry> inPart = entries[part];
    nearestLater.Reset(inPart.size());
    for (const WalkEntry& entry : inPart) {
      const auto [later, isNew] = nearestLater.Insert(entry.key, entry.index);
      if (!isNew) twinOf[entry.index] = std::exchange(*later, entry.index) + 1;
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
