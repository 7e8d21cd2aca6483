#pragma once
// An ordered list of strings in which every string is also its own key: adding
// a string that is already there fails and changes nothing. Keys compare
// exactly, byte for byte, so "A.txt" and "a.txt" are two keys.
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>

namespace corvane {

class ResultList {
 public:
  ResultList() = default;
  ResultList(ResultList&&) noexcept = default;
  ResultList& operator=(ResultList&&) noexcept = default;
  ResultList(const ResultList& other);
  ResultList& operator=(const ResultList& other);

  // Appends `item` unless the list holds it already; false when it does.
  bool Add(std::string item);
  // Appends an item that the caller knows is not in the list yet (a walk
  // never meets the same path twice), without looking it up.
  void AddNew(std::string item) { items_.push_back(std::move(item)); }
  bool Contains(std::string_view item) const;
  size_t Count() const { return items_.size(); }
  // Items by position, first added first.
  const std::string& Item(size_t index) const { return items_[index]; }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  // Brings the keys up to date with items added by AddNew.
  void IndexAll() const;

  // A deque never moves its elements when it grows, so the keys can view them.
  std::deque<std::string> items_;
  mutable std::unordered_set<std::string_view> keys_;
  mutable size_t indexed_ = 0;  // items_[0, indexed_) are in keys_
};

}  // namespace corvane
