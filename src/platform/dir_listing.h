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

// The type and hidden bits of one entry read from the directory `prefix`
// (which ends in "/" or is empty), taken from the entry itself; lstat only where
// the file system does not report the type. Nothing when the entry vanished.
std::optional<uint32_t> EntryAttributes(const std::string& prefix, const struct dirent& entry);

// One entry of a directory read through its descriptor.
struct DirEntryAt {
  std::string name;
  unsigned char type;  // DT_REG, DT_DIR, DT_LNK... never DT_UNKNOWN
  uint64_t ino;        // as the directory reports it
};

// Reads every entry of the newly opened directory `fd` except "." and "..",
// in the file system's own order; `fd` stays open, read to its end. Returns 0
// or the errno of the failure.
int ReadDirectoryAt(int fd, std::vector<DirEntryAt>& entries);

}  // namespace corvane
