#pragma once
// Questions about a path that never follow its last component.
#include <string>

namespace corvane {

// True when `path` names an entry of any kind (a dangling symlink included).
bool EntryExists(const std::string& path);

// True when `path` itself is a symbolic link.
bool IsSymbolicLink(const std::string& path);

}  // namespace corvane
