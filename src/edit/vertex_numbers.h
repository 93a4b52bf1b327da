// A number for each of some vertices, for the mesh operations that look vertices up millions of
// times.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/flat_hash_map.h"
#include "model/mesh.h"

namespace zmf::edit {

// Vertex -> number, found through the vertex's id. Ids are mostly dense and follow the list, so a
// table by id keeps the lookups of neighbouring vertices close together in memory, where a hash
// of the address would scatter them. An id outside the table, or one that two vertices share
// (undo re-creates vertices under their old ids), goes to a hash map by address instead.
class VertexNumbers {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  // A table for the ids from `low` to `high`, cut short when they spread much further than
  // `expected` vertices need.
  VertexNumbers(std::uint32_t low, std::uint32_t high, std::size_t expected)
      : low_(low),
        byId_(high < low
                  ? 0
                  : std::min<std::size_t>(std::size_t{high} - low + 1, 4 * expected + 1024)) {}

  // The vertex's number, or kNone.
  std::uint32_t Find(const Vertex* v) const {
    const Entry* entry = Slot(v);
    if (entry != nullptr && entry->vertex == v) return entry->number;
    if (others_.size() == 0) return kNone;
    const std::uint32_t* number = others_.Find(v);
    return number != nullptr ? *number : kNone;
  }

  // The vertex's number, and whether it is new, in which case `number` was stored for it.
  std::pair<std::uint32_t, bool> Insert(const Vertex* v, std::uint32_t number) {
    Entry* entry = Slot(v);
    if (entry != nullptr && entry->vertex == v) return {entry->number, false};
    if (entry != nullptr && entry->vertex == nullptr) {
      *entry = {v, number};
      return {number, true};
    }
    const auto [stored, isNew] = others_.Insert(v, number);
    return {*stored, isNew};
  }

  // Stores the number for the vertex, replacing the one it had.
  void Set(const Vertex* v, std::uint32_t number) {
    Entry* entry = Slot(v);
    if (entry != nullptr && (entry->vertex == v || entry->vertex == nullptr)) {
      *entry = {v, number};
    } else {
      *others_.Insert(v, number).first = number;
    }
  }

 private:
  struct Entry {
    const Vertex* vertex = nullptr;
    std::uint32_t number = kNone;
  };

  // The table's entry for the vertex's id, or null outside the table.
  const Entry* Slot(const Vertex* v) const {
    const std::size_t at = std::size_t{v->id} - low_;
    return v->id >= low_ && at < byId_.size() ? &byId_[at] : nullptr;
  }
  Entry* Slot(const Vertex* v) { return const_cast<Entry*>(std::as_const(*this).Slot(v)); }

  std::uint32_t low_;
  std::vector<Entry> byId_;  // by id - low_
  FlatHashMap<const Vertex*, std::uint32_t, PointerHasher<Vertex>> others_;
};

}  // namespace zmf::edit
