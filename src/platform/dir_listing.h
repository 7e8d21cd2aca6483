#pragma once
// Reads a whole directory in one pass, so that a caller that looks at the
// same directory several times (once per mask, then for its subdirectories)
// reads it from the file system only once.
#include <dirent.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct DirEntry {
  std::string name;
  uint32_t attributes;  // type and hidden bits, as DirSearch::CurrentAttributes
};

// The type and hidden bits of one entry read from the directory `prefix`
// (which ends in "/" or is empty), taken from the entry itself; lstat only where
// the file system does not report the type. Nothing when the entry vanished.
std::optional<uint32_t> EntryAttributes(const std::string& prefix, const struct dirent& entry);

// Fills `entries` with every entry of `directory` except "." and "..", in the
// file system's own order. Returns 0, or the errno of the failure (ENOENT for a
// missing directory, ENAMETOOLONG for a path beyond the system's limit...).
// An entry that vanishes while it is being looked at is left out.
int ReadDirectory(const std::string& directory, std::vector<DirEntry>& entries);

}  // namespace corvane
