#include "scan/core/result_list.h"

namespace corvane {

ResultList::ResultList(const ResultList& other) {
  for (const std::string& item : other.items_) Add(item);
}

ResultList& ResultList::operator=(const ResultList& other) {
  if (this != &other) {
    ResultList copy(other);
    *this = std::move(copy);
  }
  return *this;
}

void ResultList::IndexAll() const {
  for (; indexed_ < items_.size(); ++indexed_) keys_.insert(items_[indexed_]);
}

bool ResultList::Contains(std::string_view item) const {
  IndexAll();
  return keys_.count(item) != 0;
}

bool ResultList::Add(std::string item) {
  if (Contains(item)) return false;
  items_.push_back(std::move(item));
  IndexAll();
  return true;
}

}  // namespace corvane
