#pragma once
// Reads a whole directory in one pass, so that a caller that looks at the
// same directory several times (once per mask, then for its subdirectories)
// reads it from the file system only once.
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

struct DirEntry {
  std::string name;
  uint32_t attributes;  // type and hidden bits, as DirSearch::CurrentAttributes
};

// Fills `entries` with every entry of `directory` except "." and "..", in the
// file system's own order. Returns 0, or the errno of the failure (ENOENT for a
// missing directory, ENAMETOOLONG for a path beyond the system's limit...).
// An entry that vanishes while it is being looked at is left out.
int ReadDirectory(const std::string& directory, std::vector<DirEntry>& entries);

}  // namespace corvane
