#include "platform/file_system_kind.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <fstream>
#include <sstream>

#include "platform/entry_id.h"
#include "platform/held_fd.h"

namespace corvane {

namespace {

constexpr uint64_t kOverlayMagic = 0x794C7630ULL;

StatfsAnswer& InstalledAnswer() {
  static StatfsAnswer answer;
  return answer;
}

// Mount points in mountinfo escape blanks, tabs, newlines and backslashes as
// three octal digits.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool Holds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
         (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

// The line of the mount numbered `mountId`:
// "id parent major:minor root mount-point options [optional...] - type ...".
std::optional<std::string> MountLine(const std::string& mountinfo, uint64_t mountId) {
  const std::string id = std::to_string(mountId) + " ";
  std::istringstream lines(mountinfo);
  for (std::string line; std::getline(lines, line);)
    if (line.compare(0, id.size(), id) == 0) return line;
  return std::nullopt;
}

// The traits of a kind; kInPlace: an overwrite in place reaches the old blocks.
constexpr unsigned kInPlace = 1, kIdentifies = 2, kSyncsWhole = 4, kPseudo = 8, kNetwork = 16,
                   kFuse = 32, kOnDisk = 64;

constexpr FileSystemKind Kind(std::string_view name, uint64_t magic, unsigned traits,
                              std::string_view mountTypes = {}) {
  auto has = [traits](unsigned trait) { return (traits & trait) != 0; };
  return {
      name,         magic,         mountTypes, !has(kInPlace), has(kIdentifies), has(kSyncsWhole),
      has(kPseudo), has(kNetwork), has(kFuse), has(kOnDisk)};
}

constexpr FileSystemKind kUnknown = Kind("", 0, 0);

// A magic of 0 marks a kind this program tells by its mount type only.
constexpr FileSystemKind kKinds[] = {
    // Copy-on-write and log-structured: every change goes to new blocks.
    Kind("btrfs", 0x9123683E, kIdentifies | kSyncsWhole | kOnDisk),
    Kind("zfs", 0x2FC12FC1, kOnDisk), Kind("f2fs", 0xF2F52010, kIdentifies | kOnDisk),
    Kind("nilfs2", 0x3434, kOnDisk), Kind("bcachefs", 0xCA451A4E, kOnDisk),
    Kind("overlay", kOverlayMagic, 0),
    // Overwritten in place.
    Kind("ext4/ext3/ext2", 0xEF53, kInPlace | kIdentifies | kSyncsWhole | kOnDisk,
         "ext4 ext3 ext2"),
    Kind("xfs", 0x58465342, kInPlace | kIdentifies | kSyncsWhole | kOnDisk),
    Kind("vfat", 0x4D44, kInPlace | kOnDisk, "vfat msdos"),
    Kind("exfat", 0x2011BAB0, kInPlace | kOnDisk), Kind("jfs", 0x3153464A, kInPlace | kOnDisk),
    Kind("ntfs3", 0x7366746E, kInPlace | kOnDisk), Kind("hfsplus", 0x482B, kInPlace | kOnDisk),
    Kind("reiserfs", 0, kOnDisk),
    // In memory: no disk under it.
    Kind("tmpfs", 0x01021994, kInPlace | kIdentifies), Kind("ramfs", 0x858458F6, kInPlace),
    // Where a server or a helper program decides what becomes of the blocks.
    Kind("nfs", 0x6969, kNetwork, "nfs nfs4"), Kind("smb", 0x517B, kNetwork, "smbfs"),
    Kind("cifs", 0xFF534D42, kNetwork), Kind("smb2", 0xFE534D42, kNetwork, "smb3"),
    Kind("", 0, kNetwork, "ceph 9p afs"), Kind("fuse", 0x65735546, kFuse),
    // Made up by the kernel. devtmpfs looks like tmpfs to statfs.
    Kind("proc", PROC_SUPER_MAGIC, kPseudo), Kind("sysfs", SYSFS_MAGIC, kPseudo),
    Kind("devpts", DEVPTS_SUPER_MAGIC, kPseudo), Kind("cgroup", CGROUP_SUPER_MAGIC, kPseudo),
    Kind("cgroup2", CGROUP2_SUPER_MAGIC, kPseudo), Kind("debugfs", DEBUGFS_MAGIC, kPseudo),
    Kind("tracefs", TRACEFS_MAGIC, kPseudo), Kind("securityfs", SECURITYFS_MAGIC, kPseudo),
    Kind("bpf", BPF_FS_MAGIC, kPseudo), Kind("pstore", PSTOREFS_MAGIC, kPseudo),
    Kind("efivarfs", EFIVARFS_MAGIC, kPseudo), Kind("hugetlbfs", HUGETLBFS_MAGIC, kPseudo),
    Kind("", 0, kPseudo,
         "devtmpfs configfs mqueue autofs binfmt_misc fusectl selinuxfs smackfs nsfs rpc_pipefs "
         "nfsd pipefs sockfs anon_inodefs rdt resctrl")};

// Whether the blank-separated `types` hold `type`.
bool Lists(std::string_view types, std::string_view type) {
  for (size_t at = 0; at <= types.size();) {
    const size_t end = std::min(types.find(' ', at), types.size());
    if (types.substr(at, end - at) == type) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

const FileSystemKind& ClassifyFileSystem(uint64_t type) {
  for (const FileSystemKind& kind : kKinds)
    if (kind.magic != 0 && kind.magic == type) return kind;
  return kUnknown;  // not known to overwrite in place
}

const FileSystemKind& FileSystemKindNamed(std::string_view type) {
  // A FUSE file system names its helper after a dot: "fuse.sshfs".
  if (type.rfind("fuse.", 0) == 0) type = "fuse";
  if (type.empty()) return kUnknown;
  for (const FileSystemKind& kind : kKinds)
    if (Lists(kind.mountTypes.empty() ? kind.name : kind.mountTypes, type)) return kind;
  return kUnknown;
}

std::string FileSystemNameOf(int fd) {
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) == 0 &&
      (sx.stx_mask & STATX_MNT_ID) != 0) {
    if (std::string name = MountTypeOf(MountInfoText(), sx.stx_mnt_id); !name.empty()) return name;
  }
  // No mount table to read (an old kernel, no /proc).
  const FileSystemKind& kind = FileSystemKindOf(fd);
  return kind.pseudo ? std::string(kind.name) : "";
}

void SetStatfsAnswer(StatfsAnswer answer) {
  InstalledAnswer() = std::move(answer);
}

std::optional<uint64_t> StatfsType(int fd) {
  if (InstalledAnswer()) return InstalledAnswer()(fd);
  struct statfs info {};
  if (::fstatfs(fd, &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.f_type);
}

const FileSystemKind& FileSystemKindOf(int fd) {
  return ClassifyFileSystem(StatfsType(fd).value_or(0));
}

OverlayLayer OverlayLayerOf(int dirfd, const char* name) {
  struct statfs fs {};
  if (::fstatfs(dirfd, &fs) != 0 || static_cast<uint64_t>(fs.f_type) != kOverlayMagic)
    return OverlayLayer::kNone;
  // The overlay's handle for a file names the real file it stands for, upper
  // or lower, and says which. Its layout is the one the overlay itself keeps
  // on disk in its origin and index records, so it does not drift.
  constexpr int kHandleFid = 0x200;  // AT_HANDLE_FID: an identifying handle, Linux 6.5
  constexpr int kFileIdV0 = 0xfb, kFileIdV1 = 0xf8;  // without, and after, 3 bytes of padding
  constexpr unsigned char kMagic = 0xfb, kUpperFlag = 1 << 2;
  alignas(file_handle) unsigned char buffer[sizeof(file_handle) + MAX_HANDLE_SZ];
  auto* handle = reinterpret_cast<file_handle*>(buffer);
  handle->handle_bytes = MAX_HANDLE_SZ;
  int mount = 0;
  if (::name_to_handle_at(dirfd, name, handle, &mount, kHandleFid) != 0 &&
      (errno != EINVAL || ::name_to_handle_at(dirfd, name, handle, &mount, 0) != 0))
    return OverlayLayer::kUnknown;
  // version, magic, length, flags...
  const unsigned char* fb =
      buffer + offsetof(file_handle, f_handle) + (handle->handle_type == kFileIdV1 ? 3 : 0);
  if ((handle->handle_type != kFileIdV0 && handle->handle_type != kFileIdV1) ||
      handle->handle_bytes < 7 || fb[1] != kMagic)
    return OverlayLayer::kUnknown;
  return (fb[3] & kUpperFlag) != 0 ? OverlayLayer::kUpper : OverlayLayer::kLower;
}

std::string MountInfoText() {
  std::ifstream in("/proc/self/mountinfo", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string MountPointOf(const std::string& mountinfo, uint64_t mountId) {
  const std::optional<std::string> line = MountLine(mountinfo, mountId);
  if (!line) return {};
  std::istringstream fields(*line);
  std::string number, parent, numbers, root, mountPoint;
  return fields >> number >> parent >> numbers >> root >> mountPoint ? Unescape(mountPoint) : "";
}

std::string MountTypeOf(const std::string& mountinfo, uint64_t mountId) {
  const std::optional<std::string> line = MountLine(mountinfo, mountId);
  const size_t dash = line ? line->find(" - ") : std::string::npos;
  if (dash == std::string::npos) return {};
  std::istringstream rest(line->substr(dash + 3));
  std::string type;
  rest >> type;
  return type;
}

std::string MountPointIn(const std::string& mountinfo, dev_t device, const std::string& path) {
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  std::string byDevice, byPrefix;
  bool byDeviceHolds = false;
  std::istringstream lines(mountinfo);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, mountPoint;
    if (!(fields >> id >> parent >> numbers >> root >> mountPoint)) continue;
    mountPoint = Unescape(mountPoint);
    const bool holds = Holds(mountPoint, path);
    // Of the mounts of that device, one that holds the path, the longest.
    if (numbers == wanted &&
        (byDevice.empty() || (holds && (!byDeviceHolds || mountPoint.size() > byDevice.size())))) {
      byDevice = mountPoint;
      byDeviceHolds = holds;
    }
    if (holds && mountPoint.size() > byPrefix.size()) byPrefix = mountPoint;
  }
  return byDevice.empty() ? byPrefix : byDevice;
}

void FileSystemTally::Note(const std::string& path) {
  const HeldFd fd(::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() >= 0) Note(fd.get(), path);
}

std::vector<ContentAtRisk> FileSystemTally::AtRisk() const {
  std::vector<ContentAtRisk> counted;
  for (const ContentAtRisk& place : atRisk_)
    if (place.files > 0) counted.push_back(place);
  return counted;
}

std::optional<size_t> FileSystemTally::Place(int fd, const std::string& path) {
  EntryInfo info;
  if (ReadEntry(fd, "", info, kNoOpen) != 0 || !S_ISREG(info.mode)) return std::nullopt;
  auto known = byDevice_.find(info.id.dev);
  if (known == byDevice_.end()) {
    std::optional<size_t> index;
    const FileSystemKind& kind = FileSystemKindOf(fd);
    if (kind.keepsOldContent) {
      if (!mountinfo_) mountinfo_ = MountInfoText();
      std::string name = kind.name.empty() ? FileSystemNameOf(fd) : std::string(kind.name);
      const dev_t device = makedev(info.id.dev >> 20, info.id.dev & 0xFFFFF);
      std::string mountPoint = MountPointOf(*mountinfo_, info.mount_id);
      if (mountPoint.empty()) mountPoint = MountPointIn(*mountinfo_, device, path);
      index = atRisk_.size();
      atRisk_.push_back({name.empty() ? "an unknown file system" : name, mountPoint, 0,
                         ParentFolder(path), device});
    }
    known = byDevice_.emplace(info.id.dev, index).first;
  }
  return known->second;
}

}  // namespace corvane
