#include "platform/attributes.h"

#include <sys/stat.h>

#include "platform/file_ops.h"
#include "platform/path_text.h"

namespace corvane {

bool IsHiddenName(std::string_view name) {
  return !name.empty() && name.front() == '.';
}

std::optional<uint32_t> GetAttr(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return std::nullopt;
  uint32_t attr = 0;
  if (S_ISDIR(st.st_mode)) {
    attr |= kAttrDirectory;
  } else if (S_ISLNK(st.st_mode)) {
    attr |= kAttrSymlink;
  } else if (!S_ISREG(st.st_mode)) {
    attr |= kAttrSystem;
  }
  if (IsReadOnly(st.st_mode)) attr |= kAttrReadOnly;
  if (IsHiddenName(LastComponent(path))) attr |= kAttrHidden;
  if (attr == 0) attr = kAttrNormal;
  return attr;
}

}  // namespace corvane
