#include "platform/file_ops.h"

#include <sys/stat.h>

#include "platform/path_text.h"

namespace corvane {

bool EntryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool IsSymbolicLink(const std::string& path) {
  // A trailing "/" would make lstat look through the link.
  const std::string own(WithoutTrailingSlashes(path));
  struct stat st {};
  return !own.empty() && ::lstat(own.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace corvane
