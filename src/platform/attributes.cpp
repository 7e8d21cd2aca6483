#include "platform/attributes.h"

#include <sys/stat.h>

#include "platform/file_ops.h"

namespace corvane {

bool IsHiddenName(const std::string& name) {
  return !name.empty() && name[0] == '.';
}

namespace {
std::string LastComponent(const std::string& path) {
  std::string::size_type end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  std::string::size_type slash = path.rfind('/', end - 1);
  if (slash == std::string::npos) return path.substr(0, end);
  return path.substr(slash + 1, end - slash - 1);
}
}  // namespace

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
