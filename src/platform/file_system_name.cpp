#include "platform/file_system_name.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

namespace corvane {

namespace {

// The kinds of file system the statfs type tells apart among those without
// files of their own. devtmpfs looks like tmpfs there.
constexpr std::pair<uint64_t, const char*> kByMagic[] = {{PROC_SUPER_MAGIC, "proc"},
                                                         {SYSFS_MAGIC, "sysfs"},
                                                         {DEVPTS_SUPER_MAGIC, "devpts"},
                                                         {CGROUP_SUPER_MAGIC, "cgroup"},
                                                         {CGROUP2_SUPER_MAGIC, "cgroup2"},
                                                         {DEBUGFS_MAGIC, "debugfs"},
                                                         {TRACEFS_MAGIC, "tracefs"},
                                                         {SECURITYFS_MAGIC, "securityfs"},
                                                         {BPF_FS_MAGIC, "bpf"},
                                                         {PSTOREFS_MAGIC, "pstore"},
                                                         {EFIVARFS_MAGIC, "efivarfs"},
                                                         {HUGETLBFS_MAGIC, "hugetlbfs"}};

std::string MountTypeOf(int fd) {
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) == 0 &&
      (sx.stx_mask & STATX_MNT_ID) != 0) {
    // "id parent major:minor root mount-point options [optional...] - type ..."
    std::ifstream mountinfo("/proc/self/mountinfo");
    const std::string id = std::to_string(sx.stx_mnt_id);
    for (std::string line; std::getline(mountinfo, line);) {
      if (line.compare(0, id.size() + 1, id + " ") != 0) continue;
      size_t dash = line.find(" - ");
      if (dash == std::string::npos) return {};
      std::istringstream rest(line.substr(dash + 3));
      std::string type;
      rest >> type;
      return type;
    }
  }
  return {};
}

constexpr const char* kPseudoFileSystems[] = {
    "proc",       "sysfs",      "devtmpfs",    "devpts",  "cgroup",       "cgroup2",  "debugfs",
    "tracefs",    "securityfs", "configfs",    "bpf",     "pstore",       "efivarfs", "mqueue",
    "hugetlbfs",  "autofs",     "binfmt_misc", "fusectl", "selinuxfs",    "smackfs",  "nsfs",
    "rpc_pipefs", "nfsd",       "pipefs",      "sockfs",  "anon_inodefs", "rdt",      "resctrl"};

}  // namespace

bool IsPseudoFileSystem(const std::string& name) {
  return std::any_of(std::begin(kPseudoFileSystems), std::end(kPseudoFileSystems),
                     [&](const char* pseudo) { return name == pseudo; });
}

std::string FileSystemNameOf(int fd) {
  if (std::string name = MountTypeOf(fd); !name.empty()) return name;
  // No mount table to read (an old kernel, no /proc).
  struct statfs info {};
  if (::fstatfs(fd, &info) != 0) return {};
  for (const auto& [magic, name] : kByMagic)
    if (static_cast<uint64_t>(info.f_type) == magic) return name;
  return {};
}

}  // namespace corvane
