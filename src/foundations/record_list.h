// The ordered record list with a current position, used for every collection.
//
// A RecordList holds copies of fixed-size records in order and remembers a
// current position and its index, so that walking forward or backward from
// where the last access stopped costs one step. Records are copied in on
// insertion; the pointers handed out stay valid until their record is deleted
// or the list is cleared, and callers may change a record in place through them.
//
// The sorted position of a new record is decided by the list kind's key class,
// bound as the template parameter `Key`, which supplies
//   static bool SameKey(const Record& a, const Record& b);     // used by ReplaceCurrent
//   static bool ComesAfter(const Record& a, const Record& b);  // a sorts strictly after b
// Lists that are only appended to and walked use NoKey.
//
// Storage is a contiguous array of record pointers, so GetAt is constant time
// whatever the access pattern; the current position and both indices behave
// exactly as those of a doubly linked list walked from the current node.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace skarvel {

/// Key class of lists that are never sorted: no two records share a key and
/// no record comes after another.
struct NoKey {
  template <typename Record>
  static bool SameKey(const Record&, const Record&) {
    return false;
  }
  template <typename Record>
  static bool ComesAfter(const Record&, const Record&) {
    return false;
  }
};

template <typename Record, typename Key = NoKey>
class RecordList {
 public:
  RecordList() = default;
  RecordList(const RecordList& other) { *this = other; }
  RecordList& operator=(const RecordList& other) {
    if (this == &other) return *this;
    Clear();
    nodes_.reserve(other.nodes_.size());
    for (const Record* node : other.nodes_) {
      auto copy = std::make_unique<Record>(*node);
      nodes_.push_back(copy.get());
      copy.release();
    }
    current_ = other.current_;
    return *this;
  }
  RecordList(RecordList&& other) noexcept { *this = std::move(other); }
  RecordList& operator=(RecordList&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    nodes_.swap(other.nodes_);
    current_ = other.current_;
    other.current_ = -1;
    return *this;
  }
  ~RecordList() { Clear(); }

  /// 0-based index of the current record; -1 when there is none.
  std::int32_t CurrentIndex() const { return current_; }
  /// Number of records - 1; -1 when empty.
  std::int32_t LastIndex() const { return static_cast<std::int32_t>(nodes_.size()) - 1; }
  /// Number of records.
  std::size_t Size() const { return nodes_.size(); }

  /// Removes every record: no current record, both indices -1.
  void Clear() {
    for (Record* node : nodes_) delete node;
    nodes_.clear();
    current_ = -1;
  }

  /// Inserts a copy of `record` before the first record; it becomes current
  /// (index 0). Returns the stored record.
  Record* InsertFirst(const Record& record) { return InsertAt(0, record); }

  /// Inserts a copy of `record` after the current record (InsertFirst when
  /// there is none); it becomes current and the current index goes up by one.
  Record* InsertAfterCurrent(const Record& record) {
    if (current_ < 0) return InsertFirst(record);
    return InsertAt(current_ + 1, record);
  }

  /// Appends a copy of `record` after the last record; it becomes current.
  Record* Append(const Record& record) {
    GoLast();
    return InsertAfterCurrent(record);
  }

  /// Deletes the current record (nothing without one); its predecessor becomes
  /// current, or no record when it was the first (index -1).
  void DeleteCurrent() {
    if (current_ < 0) return;
    delete nodes_[static_cast<std::size_t>(current_)];
    nodes_.erase(nodes_.begin() + current_);
    --current_;
  }

  /// No current record; current index -1.
  void Reset() { current_ = -1; }

  /// Moves to the next record (the first when there is no current one) and
  /// returns it; past the last record returns null with no current record.
  Record* Next() {
    ++current_;
    if (current_ > LastIndex()) {
      current_ = -1;
      return nullptr;
    }
    return Current();
  }

  /// Moves to the previous record and returns it; before the first (or without
  /// a current record) returns null with no current record.
  Record* Prev() {
    if (current_ < 0) return nullptr;
    --current_;
    return Current();
  }

  /// The record at index i, which becomes current; null (nothing moves) when
  /// i < 0 or i > LastIndex().
  Record* GetAt(std::int32_t i) {
    if (i < 0 || i > LastIndex()) return nullptr;
    current_ = i;
    return Current();
  }

  /// The current record or null.
  Record* Current() const { return current_ < 0 ? nullptr : nodes_[static_cast<std::size_t>(current_)]; }

  /// Makes the last record current (no current record when empty).
  void GoLast() { current_ = LastIndex(); }

  bool IsEmpty() const { return nodes_.empty(); }
  /// The current record is the first one.
  bool AtFirst() const { return current_ == 0; }
  /// The current record is the last one.
  bool AtLast() const { return current_ >= 0 && current_ == LastIndex(); }

  /// Inserts a copy of `record` at its sorted place by Key::ComesAfter,
  /// searching from the current record; the new record becomes current.
  ///
  /// Forward from the current record when the new one comes after it, else
  /// backward; records with equal keys end up together, the new one after them
  /// when the walk ran forward and before them when it ran backward (except at
  /// the very front, where it goes after the first record). A list filled in
  /// order costs one comparison per insertion.
  Record* InsertSorted(const Record& record) {
    if (IsEmpty()) return InsertAfterCurrent(record);
    if (current_ < 0) current_ = 0;
    if (Key::ComesAfter(record, At(current_))) {
      while (current_ != LastIndex() && !Key::ComesAfter(At(current_), record)) ++current_;
      if (Key::ComesAfter(At(current_), record)) --current_;
      return InsertAfterCurrent(record);
    }
    while (current_ != 0 && !Key::ComesAfter(record, At(current_))) --current_;
    if (current_ != 0) return InsertAfterCurrent(record);
    if (Key::ComesAfter(At(0), record)) return InsertFirst(record);
    return InsertAfterCurrent(record);
  }

  /// Replaces the current record: a null `record` does nothing. When the current
  /// record has the same key (Key::SameKey) the record is copied over it in
  /// place; otherwise the current record is deleted and the new one inserted at
  /// its sorted place. Without a current record it is just inserted sorted.
  /// `record` may point at the current record itself.
  Record* ReplaceCurrent(const Record* record) {
    if (record == nullptr) return nullptr;
    Record copy = *record;  // the current record may be `record` itself
    if (Record* current = Current()) {
      if (Key::SameKey(*current, copy)) {
        *current = copy;
        return current;
      }
      DeleteCurrent();
    }
    return InsertSorted(copy);
  }

 private:
  const Record& At(std::int32_t i) const { return *nodes_[static_cast<std::size_t>(i)]; }

  /// Stores a copy of `record` at index `at`, which becomes current.
  Record* InsertAt(std::int32_t at, const Record& record) {
    auto node = std::make_unique<Record>(record);
    nodes_.push_back(node.get());
    std::rotate(nodes_.begin() + at, nodes_.end() - 1, nodes_.end());
    current_ = at;
    return node.release();
  }

  std::vector<Record*> nodes_;  ///< owned; one allocation per record keeps the pointers stable
  std::int32_t current_ = -1;
};

}  // namespace skarvel
