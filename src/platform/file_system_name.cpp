#include "platform/file_system_name.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

#include "platform/file_system_kind.h"

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

std::string TypeFromMountTable(int fd) {
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) != 0 ||
      (sx.stx_mask & STATX_MNT_ID) == 0)
    return {};
  return MountTypeOf(MountInfoText(), sx.stx_mnt_id);
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
  if (std::string name = TypeFromMountTable(fd); !name.empty()) return name;
  // No mount table to read (an old kernel, no /proc).
  struct statfs info {};
  if (::fstatfs(fd, &info) != 0) return {};
  for (const auto& [magic, name] : kByMagic)
    if (static_cast<uint64_t>(info.f_type) == magic) return name;
  return {};
}

}  // namespace corvane
