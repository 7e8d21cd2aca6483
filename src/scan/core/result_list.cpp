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

bool ResultList::Add(std::string item) {
  if (keys_.count(item) != 0) return false;
  items_.push_back(std::move(item));
  keys_.insert(items_.back());
  return true;
}

}  // namespace corvane
