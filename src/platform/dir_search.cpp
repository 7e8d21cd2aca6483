#include "platform/dir_search.h"

#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "platform/path_text.h"

namespace corvane {

bool MatchMask(std::string_view mask, std::string_view name) {
  if (mask.empty()) return false;
  if (mask == "*.*") return true;
  // Iterative wildcard match with single-star backtracking: linear per star,
  // never recursive, so a hostile mask cannot exhaust the stack. The mask's
  // wildcards are tested before any literal comparison: a '*' or '?' in the
  // name is an ordinary character and must not pair with the mask's own.
  size_t m = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

DirSearch::~DirSearch() {
  Close();
}

void DirSearch::Close() {
  if (dir_ != nullptr) ::closedir(dir_);
  dir_ = nullptr;
}

std::string DirSearch::First(const std::string& pattern, uint32_t attributes) {
  Close();
  const SlashSplit split = SplitAtLastSlash(pattern);
  directory_ = split.folder;
  mask_ = split.name;
  allowed_ = attributes;
  if (mask_.empty()) return {};  // an empty mask matches nothing
  dir_ = ::opendir(directory_.empty() ? "." : directory_.c_str());
  if (dir_ == nullptr) return {};
  return Next();
}

std::string DirSearch::Next() {
  if (dir_ == nullptr) return {};
  while (struct dirent* entry = ::readdir(dir_)) {
    std::string_view name(entry->d_name);
    if (!MatchMask(mask_, name)) continue;
    std::optional<uint32_t> attributes = EntryAttributes(directory_, *entry);
    if (!attributes) continue;  // vanished meanwhile
    const uint32_t attr = *attributes;
    uint32_t restricted = attr & (kAttrDirectory | kAttrHidden | kAttrSystem);
    if ((restricted & ~allowed_) != 0) continue;
    current_attributes_ = attr;
    return std::string(name);
  }
  Close();
  return {};
}

}  // namespace corvane
