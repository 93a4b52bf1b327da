// Room in a record list's id index for the records an importer is about to add.
#pragma once

#include <algorithm>
#include <cstddef>

namespace zmf::importers {

// Reserves id room object by object, growing it at least twofold whenever it grows, so that a
// file of many objects moves the index a few times instead of once per object.
class IdRoom {
 public:
  template <class List>
  void Reserve(List& list, std::size_t count) {
    const std::size_t next = list.nextId();
    if (next + count <= upTo_) return;
    const std::size_t more = std::max(count, next);
    list.ReserveIds(more);
    upTo_ = next + more;
  }

 private:
  std::size_t upTo_ = 0;  // the ids below this have room
};

}  // namespace zmf::importers
