#include "platform/dir_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/attributes.h"

namespace corvane {

namespace {
uint32_t TypeBits(unsigned char type) {
  if (type == DT_DIR) return kAttrDirectory;
  if (type == DT_LNK) return kAttrSymlink;
  if (type != DT_REG) return kAttrSystem;
  return 0;
}

unsigned char TypeOf(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return DT_DIR;
  if (S_ISLNK(st.st_mode)) return DT_LNK;
  if (S_ISREG(st.st_mode)) return DT_REG;
  return DT_FIFO;
}
}  // namespace

std::optional<uint32_t> EntryAttributes(const std::string& prefix, const struct dirent& entry) {
  unsigned char type = entry.d_type;
  if (type == DT_UNKNOWN) {
    struct stat st {};
    std::string full = prefix + entry.d_name;
    if (::lstat(full.c_str(), &st) != 0) return std::nullopt;
    type = TypeOf(st);
  }
  uint32_t attributes = TypeBits(type);
  if (entry.d_name[0] == '.') attributes |= kAttrHidden;
  return attributes == 0 ? kAttrNormal : attributes;
}

int ReadDirectory(const std::string& directory, std::vector<DirEntry>& entries) {
  entries.clear();
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return errno != 0 ? errno : EIO;
  std::string prefix = directory;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  int error = 0;
  for (;;) {
    errno = 0;
    struct dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      error = errno;
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    if (std::optional<uint32_t> attributes = EntryAttributes(prefix, *entry))
      entries.push_back({name, *attributes});
  }
  ::closedir(dir);
  return error;
}

}  // namespace corvane
