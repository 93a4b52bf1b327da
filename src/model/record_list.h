// Doubly linked record lists with a selection chain, ids, and fast lookup by id and position.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/pool.h"

namespace zmf {

// The link header that every list record starts with. prev/next thread the list itself;
// selPrev/selNext thread the selection chain, which keeps the order records were selected in.
template <class T>
struct ListNode {
  T* prev = nullptr;
  T* next = nullptr;
  T* selPrev = nullptr;
  T* selNext = nullptr;
  std::uint32_t id = 0;
  std::uint8_t selected = 0;  // 1 exactly while the record is in the selection chain
};

// A forward range along a chain of links. Step::Get gives what a position shows and Step::Next
// the position after it; a default-made position ends the chain.
template <class Position, class Step>
class ChainRange {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = decltype(Step::Get(Position{}));
    using difference_type = std::ptrdiff_t;
    using pointer = value_type*;
    using reference = value_type;

    Iterator() = default;
    explicit Iterator(Position at) : at_(at) {}
    value_type operator*() const { return Step::Get(at_); }
    Iterator& operator++() {
      at_ = Step::Next(at_);
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++*this;
      return old;
    }
    friend bool operator==(const Iterator&, const Iterator&) = default;

   private:
    Position at_{};
  };

  explicit ChainRange(Position first) : first_(first) {}
  Iterator begin() const { return Iterator(first_); }
  Iterator end() const { return Iterator(); }

 private:
  Position first_;
};

// Steps records along one pair of links (the list's or the selection chain's).
template <class T, T* ListNode<T>::*Link>
struct LinkStep {
  static T* Get(T* at) { return at; }
  static T* Next(T* at) { return at->*Link; }
};

template <class T, T* ListNode<T>::*Link>
using LinkRange = ChainRange<T*, LinkStep<T, Link>>;

// A list of records of one kind (vertices, faces, duplicates, a bone's weights), owning them.
//
// Order, selection order and ids behave like a plain linked list: records are appended at the
// tail, ids come from nextId and are never reused until Clear, and the selection chain keeps
// selection order. Beside the links the list keeps an id index (so FindById is O(1) on average)
// and tables of positions (so Nth and NthSelected do not walk the list each time), all three
// built on first use: reading a file or an import fills the list without them, and the id index
// is then kept up with every change.
// Records come from a pool and keep their address while linked.
template <class T>
class RecordList {
 public:
  using Range = LinkRange<T, &ListNode<T>::next>;
  using SelectionRange = LinkRange<T, &ListNode<T>::selNext>;

  RecordList() = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;

  T* head() const { return head_; }
  T* tail() const { return tail_; }
  T* selHead() const { return selHead_; }
  T* selTail() const { return selTail_; }
  std::uint32_t count() const { return count_; }
  std::uint32_t selCount() const { return selCount_; }
  std::uint32_t nextId() const { return nextId_; }
  bool empty() const { return count_ == 0; }
  // Changes whenever a record joins or leaves the list, so lookups built beside it can tell
  // when they are out of date.
  std::uint64_t version() const { return version_; }
  // Changes whenever a record joins or leaves the selection chain (or the chain is emptied).
  std::uint64_t selectionVersion() const { return selectionVersion_; }

  // Records in list order: for (T* r : list) ...
  typename Range::Iterator begin() const { return typename Range::Iterator(head_); }
  typename Range::Iterator end() const { return typename Range::Iterator(); }
  // Records in selection order, first selected first.
  SelectionRange Selected() const { return SelectionRange(selHead_); }

  // A value-initialised record that is not yet in the list, or null when memory ran out.
  // It must be appended or given back with Free.
  T* Allocate() { return pool_.New(); }
  // Gives back a record that was allocated here and is not linked.
  void Free(T* record) { pool_.Delete(record); }

  // Links the record at the tail and gives it the next id. A null record returns false.
  bool Append(T* record) {
    if (record == nullptr) return false;
    record->prev = tail_;
    record->next = nullptr;
    record->selPrev = record->selNext = nullptr;
    record->selected = 0;
    if (tail_ != nullptr) {
      tail_->next = record;
    } else {
      head_ = record;
    }
    tail_ = record;
    record->id = nextId_++;
    ++count_;
    ++version_;
    IndexAppended(record);
    if (orderValid_) order_.push_back(record);
    return true;
  }

  // Takes the record out of the selection chain and the list and frees it; nextId is unchanged.
  void RemoveAndFree(T* record) {
    if (record == nullptr) return;
    Unlink(record);
    pool_.Delete(record);
  }

  // Unlinks the record without freeing it (its memory stays in this list's pool); for callers
  // that must read the record after it left the list and then Free it.
  void Unlink(T* record) {
    if (record == nullptr) return;
    Unselect(record);
    IndexErase(record);
    if (record->prev != nullptr) {
      record->prev->next = record->next;
    } else {
      head_ = record->next;
    }
    if (record->next != nullptr) {
      record->next->prev = record->prev;
    } else {
      tail_ = record->prev;
    }
    record->prev = record->next = nullptr;
    --count_;
    ++version_;
    orderValid_ = false;
  }

  // Frees every record and zeroes the list, nextId included.
  void Clear() {
    pool_.Release();
    head_ = tail_ = selHead_ = selTail_ = nullptr;
    count_ = selCount_ = nextId_ = 0;
    ++version_;
    ++selectionVersion_;
    DropIds();
    std::vector<T*>().swap(order_);
    std::vector<T*>().swap(selOrder_);
    // The id index and the position tables are built when FindById, Nth or NthSelected is first
    // asked, not kept while a file is read or an import selects what it adds.
    orderValid_ = false;
    selOrderValid_ = false;
  }

  // Exchanges every record, link, id and selection with the other list. Both lists' versions
  // move past both old ones, so nothing built beside either list takes it for unchanged.
  void Swap(RecordList& other) noexcept {
    std::swap(head_, other.head_);
    std::swap(tail_, other.tail_);
    std::swap(selHead_, other.selHead_);
    std::swap(selTail_, other.selTail_);
    std::swap(count_, other.count_);
    std::swap(selCount_, other.selCount_);
    std::swap(nextId_, other.nextId_);
    version_ = other.version_ = std::max(version_, other.version_) + 1;
    selectionVersion_ = other.selectionVersion_ =
        std::max(selectionVersion_, other.selectionVersion_) + 1;
    pool_.Swap(other.pool_);
    byId_.swap(other.byId_);
    byIdOverflow_.swap(other.byIdOverflow_);
    sharedIds_.swap(other.sharedIds_);
    std::swap(idsValid_, other.idsValid_);
    order_.swap(other.order_);
    selOrder_.swap(other.selOrder_);
    std::swap(orderValid_, other.orderValid_);
    std::swap(selOrderValid_, other.selOrderValid_);
  }

  // The first record in list order with this id, or null. The first lookup after a read, a
  // renumbering or a reset builds the id index, so two threads must not look up at once.
  T* FindById(std::uint32_t id) const {
    if (!idsValid_) BuildIds();
    if (!sharedIds_.empty() && sharedIds_.count(id) != 0) {
      for (T* r = head_; r != nullptr; r = r->next) {
        if (r->id == id) return r;
      }
      return nullptr;
    }
    if (id < byId_.size()) return byId_[id];
    auto it = byIdOverflow_.find(id);
    return it == byIdOverflow_.end() ? nullptr : it->second;
  }

  // The n-th record from the head (from 0); null when n < 0 or n >= count.
  T* Nth(std::int64_t n) const {
    if (n < 0 || n >= static_cast<std::int64_t>(count_)) return nullptr;
    if (!orderValid_) {
      // A few steps from either end cost less than rebuilding the table after every removal.
      if (n < kShortWalk) return WalkForward(head_, n, &ListNode<T>::next);
      if (count_ - n <= kShortWalk) return WalkForward(tail_, count_ - 1 - n, &ListNode<T>::prev);
      Rebuild(order_, head_, &ListNode<T>::next);
      orderValid_ = true;
    }
    return order_[static_cast<std::size_t>(n)];
  }

  // The n-th record of the selection chain; null when n < 0 or n >= selCount.
  T* NthSelected(std::int64_t n) const {
    if (n < 0 || n >= static_cast<std::int64_t>(selCount_)) return nullptr;
    if (!selOrderValid_) {
      if (n < kShortWalk) return WalkForward(selHead_, n, &ListNode<T>::selNext);
      Rebuild(selOrder_, selHead_, &ListNode<T>::selNext);
      selOrderValid_ = true;
    }
    return selOrder_[static_cast<std::size_t>(n)];
  }

  // Appends the record to the selection chain; a record already selected moves to the end.
  // A null record returns false.
  bool Select(T* record) {
    if (record == nullptr) return false;
    if (record->selected) Unselect(record);
    record->selPrev = selTail_;
    record->selNext = nullptr;
    if (selTail_ != nullptr) {
      selTail_->selNext = record;
    } else {
      selHead_ = record;
    }
    selTail_ = record;
    record->selected = 1;
    ++selCount_;
    ++selectionVersion_;
    if (selOrderValid_) selOrder_.push_back(record);
    return true;
  }

  // Takes a selected record out of the chain; does nothing for a record that is not selected.
  void Unselect(T* record) {
    if (record == nullptr || selCount_ == 0 || !record->selected) return;
    if (record->selPrev != nullptr) {
      record->selPrev->selNext = record->selNext;
    } else {
      selHead_ = record->selNext;
    }
    if (record->selNext != nullptr) {
      record->selNext->selPrev = record->selPrev;
    } else {
      selTail_ = record->selPrev;
    }
    record->selPrev = record->selNext = nullptr;
    record->selected = 0;
    --selCount_;
    ++selectionVersion_;
    selOrderValid_ = false;
  }

  // Empties the selection chain, clearing every selected flag.
  void ClearSelection() {
    for (T* r = selHead_; r != nullptr;) {
      T* next = r->selNext;
      r->selPrev = r->selNext = nullptr;
      r->selected = 0;
      r = next;
    }
    selHead_ = selTail_ = nullptr;
    selCount_ = 0;
    ++selectionVersion_;
    std::vector<T*>().swap(selOrder_);
    selOrderValid_ = false;
  }

  // Gives a linked record another id (undo and redo re-create records under their old ids).
  // nextId is unchanged.
  void SetId(T* record, std::uint32_t id) {
    if (record == nullptr) return;
    if (!idsValid_) {
      record->id = id;
      return;
    }
    IndexErase(record);
    record->id = id;
    IndexInsert(record);
  }

  // Makes room in the id index for `count` more records, so that reading a big file grows it
  // once instead of by doubling. It grows at least twofold when it grows at all, so that a file
  // of many objects, each reserved in turn, moves the index a few times, not once per object.
  // A hint: callers bound it by what their input can hold. Nothing to do while the index is not
  // built: it is built at its full size when first used.
  void ReserveIds(std::size_t count) {
    if (!idsValid_) return;
    const std::size_t wanted = byId_.size() + count;
    if (wanted > byId_.capacity()) {
      ReserveOnHugePages(byId_, std::max(wanted, 2 * byId_.capacity()));
    }
  }

  // Builds the id index now, when it is not built, with room for `count` more records: for a
  // reader that looks records up by id while it adds them, so that the index is kept up as they
  // come, while they are fresh in the cache, instead of made later by a walk over the list.
  // A hint, bounded by the caller.
  void IndexIdsAhead(std::size_t count) {
    if (!idsValid_) BuildIds();
    ReserveIds(count);
  }

  // Makes room for `count` more records: ids as ReserveIds does, and one block of records from
  // which the next appends are allocated (see Pool::Reserve). A hint, bounded by the caller.
  void Reserve(std::size_t count) {
    ReserveIds(count);
    pool_.Reserve(count);
  }

  // Raises nextId (never lowers it), so that ids below it stay reserved.
  void ReserveIdsBelow(std::uint32_t id) {
    if (id > nextId_) nextId_ = id;
  }

  // Ids 0, 1, 2, ... in list order, and nextId := count: what saving a file does.
  // The id index is built again when next used.
  void Renumber() {
    DropIds();
    std::uint32_t id = 0;
    for (T* r = head_; r != nullptr; r = r->next) r->id = id++;
    nextId_ = count_;
  }

 private:
  // Ids at most this far beyond nextId still go into the direct table; anything further (only
  // possible through SetId) goes into the overflow map so a stray id cannot make the table huge.
  static constexpr std::uint32_t kDirectSlack = 65536;
  static constexpr std::int64_t kShortWalk = 32;

  static T* WalkForward(T* from, std::int64_t steps, T* ListNode<T>::*link) {
    while (steps-- > 0) from = from->*link;
    return from;
  }

  static void Rebuild(std::vector<T*>& table, T* first, T* ListNode<T>::*link) {
    table.clear();
    for (T* r = first; r != nullptr; r = r->*link) table.push_back(r);
  }

  // Frees the id index; the next FindById builds it again.
  void DropIds() const {
    std::vector<T*>().swap(byId_);
    byIdOverflow_.clear();
    sharedIds_.clear();
    idsValid_ = false;
  }

  // The id index from the records as they stand, in list order, so that a shared id is found
  // as its first holder in list order.
  void BuildIds() const {
    idsValid_ = true;  // the index takes records only while it counts as built
    try {
      ReserveOnHugePages(byId_, count_);
      for (T* r = head_; r != nullptr; r = r->next) {
        PrefetchNeighbour(r, kPrefetchRecordsAhead);
        IndexAppended(r);
      }
    } catch (...) {
      DropIds();  // out of memory part way: no half-made index stays to miss records later
      throw;
    }
  }

  T** SlotFor(std::uint32_t id, bool create) const {
    if (id < byId_.size()) return &byId_[id];
    if (create &&
        static_cast<std::uint64_t>(id) < static_cast<std::uint64_t>(std::max(
                                             nextId_, static_cast<std::uint32_t>(byId_.size()))) +
                                             kDirectSlack) {
      byId_.resize(static_cast<std::size_t>(id) + 1, nullptr);
      // Far-off ids the table now reaches move in from the overflow map: each id has one home,
      // which is where lookups go.
      while (!byIdOverflow_.empty() && byIdOverflow_.begin()->first <= id) {
        byId_[byIdOverflow_.begin()->first] = byIdOverflow_.begin()->second;
        byIdOverflow_.erase(byIdOverflow_.begin());
      }
      return &byId_[id];
    }
    if (!create) {
      auto it = byIdOverflow_.find(id);
      return it == byIdOverflow_.end() ? nullptr : &it->second;
    }
    return &byIdOverflow_[id];
  }

  // Indexes an appended record: the usual case, a fresh id just past the table, needs no search.
  void IndexAppended(T* record) const {
    if (!idsValid_) return;
    if (record->id == byId_.size() && byIdOverflow_.empty()) {
      byId_.push_back(record);
    } else {
      IndexInsert(record);
    }
  }

  void IndexInsert(T* record) const {
    T** slot = SlotFor(record->id, true);
    if (*slot == nullptr) {
      *slot = record;
    } else if (*slot != record) {
      // Two live records share an id; lookups of that id walk the list to stay exact.
      sharedIds_.insert(record->id);
    }
  }

  void IndexErase(T* record) const {
    if (!idsValid_) return;
    T** slot = SlotFor(record->id, false);
    // Lookups of a shared id walk the list, so the slot need not name the remaining holder.
    if (slot != nullptr && *slot == record) *slot = nullptr;
  }

  T* head_ = nullptr;
  T* tail_ = nullptr;
  T* selHead_ = nullptr;
  T* selTail_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t selCount_ = 0;
  std::uint32_t nextId_ = 0;
  std::uint64_t version_ = 0;
  std::uint64_t selectionVersion_ = 0;

  Pool<T> pool_;
  // The id index, while idsValid_.
  mutable std::vector<T*> byId_;                      // id -> record for ids near the list's range
  mutable std::map<std::uint32_t, T*> byIdOverflow_;  // id -> record for far-off ids, in id order
  mutable std::unordered_set<std::uint32_t> sharedIds_;  // ids held by more than one live record
  mutable bool idsValid_ = false;
  mutable std::vector<T*> order_;     // records in list order, while orderValid_
  mutable std::vector<T*> selOrder_;  // records in selection order, while valid
  mutable bool orderValid_ = false;
  mutable bool selOrderValid_ = false;
};

}  // namespace zmf
