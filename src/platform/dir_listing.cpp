#include "platform/dir_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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
  if (IsHiddenName(entry.d_name)) attributes |= kAttrHidden;
  return attributes == 0 ? kAttrNormal : attributes;
}

int ReadDirectoryAt(int fd, std::vector<DirEntryAt>& entries) {
  entries.clear();
  // Straight from the kernel into one buffer, on the caller's descriptor: no
  // second descriptor and no stream per directory.
  alignas(8) char buffer[32768];
  for (;;) {
    long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    for (long at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) {
        struct stat st {};
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished
        type = TypeOf(st);
      }
      entries.push_back({name, type, static_cast<uint64_t>(entry->d_ino)});
    }
  }
}

}  // namespace corvane
