#pragma once
// Directory enumeration with a wildcard mask and an attribute filter.
//
// The pattern is a directory followed by a mask ("/data/*.txt"). "*" matches any
// run of bytes, "?" exactly one, and "*.*" matches every name, with or without a
// dot; an empty mask matches nothing. A "*" or "?" in a name is an ordinary
// character. Matching is byte-wise and case-sensitive. Plain entries (regular
// files and symbolic links) are always allowed; directories only with
// kAttrDirectory, hidden entries only with kAttrHidden, special files only with
// kAttrSystem.
#include <dirent.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

bool MatchMask(std::string_view mask, std::string_view name);

class DirSearch {
 public:
  DirSearch() = default;
  ~DirSearch();
  DirSearch(const DirSearch&) = delete;
  DirSearch& operator=(const DirSearch&) = delete;

  // Starts a new search, abandoning any previous one. Returns the first
  // matching name (without the directory part), or "" when nothing matches.
  std::string First(const std::string& pattern, uint32_t attributes);
  // The next matching name, or "" when the search is exhausted.
  std::string Next();
  // Type and hidden bits of the name last returned, taken from the directory
  // entry itself (lstat only where the file system does not report the type).
  // The read-only bit is not included: use GetAttr for that.
  uint32_t CurrentAttributes() const { return current_attributes_; }

 private:
  void Close();

  DIR* dir_ = nullptr;
  std::string directory_;
  std::string mask_;
  uint32_t allowed_ = 0;
  uint32_t current_attributes_ = 0;
};

}  // namespace corvane
