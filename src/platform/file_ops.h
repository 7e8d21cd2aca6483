#pragma once
// Questions about a path that never follow its last component.
#include <sys/stat.h>

#include <string>

namespace corvane {

// True when `path` names an entry of any kind (a dangling symlink included).
bool EntryExists(const std::string& path);

// True when `path` itself is a symbolic link.
bool IsSymbolicLink(const std::string& path);

// True for an entry of mode `mode` whose owner may not write to it. A link's
// own mode says nothing: it is never read-only.
inline bool IsReadOnly(mode_t mode) {
  return !S_ISLNK(mode) && (mode & S_IWUSR) == 0;
}

}  // namespace corvane
