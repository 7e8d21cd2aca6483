#pragma once
// What a file system is, from one table of kinds: whether an overwrite in
// place reaches its blocks (copy-on-write and log-structured ones write every
// change to new blocks, an overlay writes a copy beside its lower layer, and
// on network and FUSE file systems a server or a helper decides), whether the
// kernel makes it up, whether one syncfs flushes it, whether its folders'
// entries identify its files. Only the kinds known to overwrite in place count
// as safe; on every other a shred pass cannot promise that the old content is
// gone.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct FileSystemKind {
  std::string_view name;  // "btrfs", "ext4/ext3/ext2", "nfs"...; "" when unknown
  uint64_t magic = 0;     // its statfs f_type; 0 for a kind known by its mount type alone
  // Its types in the mount table, blank-separated, where they are not `name`.
  std::string_view mountTypes;
  bool keepsOldContent = true;  // an overwrite in place may leave the old blocks
  // Its folders' entries give the inode numbers its files have, and it stamps
  // birth times to the nanosecond: a listing may identify files by their
  // entries alone (see Stamp::kBornBy). Only ext4, XFS, btrfs, f2fs, tmpfs.
  bool entriesIdentify = false;
  // Its own sync writes every dirty page and then flushes the device's cache,
  // so that one syncfs does what a sync of each file would.
  bool syncsWhole = false;
  bool pseudo = false;   // made up by the kernel: no files with content of their own
  bool network = false;  // a server decides what becomes of the blocks
  bool fuse = false;     // a helper program decides
  bool onDisk = false;   // its free space lies on a disk of this machine
};

// The kind for a statfs f_type magic number: safe only for ext2/3/4, XFS,
// JFS, FAT, exFAT, NTFS (ntfs3), HFS+, tmpfs and ramfs.
const FileSystemKind& ClassifyFileSystem(uint64_t statfsType);
// The kind for a mount-table type ("ext4", "fuse.sshfs", "proc"...).
const FileSystemKind& FileSystemKindNamed(std::string_view mountType);

// The type name ("ext4", "proc", "devtmpfs"...) of the file system holding
// `fd`, from the mount table; where that cannot be read, from the statfs
// type, which names only the kinds the kernel makes up. "" when unknown.
std::string FileSystemNameOf(int fd);

// The statfs f_type of the file system holding the open `fd`, or nothing when
// it cannot be asked. Tests put in their own answer; nullptr restores fstatfs.
using StatfsAnswer = std::function<std::optional<uint64_t>(int fd)>;
void SetStatfsAnswer(StatfsAnswer answer);
std::optional<uint64_t> StatfsType(int fd);
// The kind of the file system holding `fd`; unknown when it cannot be asked.
const FileSystemKind& FileSystemKindOf(int fd);

// Where a file seen through an overlay lies. A write-open of a lower layer's
// file first copies it up: what would be overwritten is that new copy, while
// the lower layer's copy stays untouched.
enum class OverlayLayer {
  kNone,     // not on an overlay
  kUpper,    // made in the upper layer: nothing of it lies below
  kLower,    // from a lower layer, copied up or not
  kUnknown,  // on an overlay that cannot say
};

// The layer of the entry `name` in the directory `dirfd`, read without
// opening it, so that nothing is copied up.
OverlayLayer OverlayLayerOf(int dirfd, const char* name);

// This process's /proc/self/mountinfo, or "" when it cannot be read.
std::string MountInfoText();

// The mount point of the mount numbered `mountId` in a /proc/self/mountinfo
// text, or "".
std::string MountPointOf(const std::string& mountinfo, uint64_t mountId);

// The file-system type ("ext4", "proc"...) of the mount numbered `mountId` in
// a /proc/self/mountinfo text, or "".
std::string MountTypeOf(const std::string& mountinfo, uint64_t mountId);

// The mount point whose device is `device` in a /proc/self/mountinfo text;
// when several mounts share it, the longest one that holds `path`. Falls back
// to the longest mount point that holds `path`, then to "".
std::string MountPointIn(const std::string& mountinfo, dev_t device, const std::string& path);

// Files counted per file system that may keep their old content.
struct ContentAtRisk {
  std::string fileSystem;
  std::string mountPoint;
  int64_t files = 0;
  std::string folder;  // the folder of the first of those files
  dev_t device = 0;    // the device they lie on
};

// Notes, before a run overwrites them, where the listed regular files lie.
class FileSystemTally {
 public:
  // Looks at one listed entry; anything but a regular file is not counted.
  void Note(const std::string& path);
  // The same for a file open at `fd`, listed as `path`, at any depth.
  void Note(int fd, const std::string& path) {
    if (std::optional<size_t> place = Place(fd, path)) Count(*place);
  }
  // Where the file open at `fd` would count, without counting it yet: the
  // place to Count once it is really gone; nothing where content is safe.
  std::optional<size_t> Place(int fd, const std::string& path);
  void Count(size_t place) { ++atRisk_[place].files; }
  // The file systems that may keep old content of files counted, in the
  // order first seen.
  std::vector<ContentAtRisk> AtRisk() const;

 private:
  std::map<uint32_t, std::optional<size_t>> byDevice_;  // index into atRisk_, or safe
  std::vector<ContentAtRisk> atRisk_;
  std::optional<std::string> mountinfo_;
};

}  // namespace corvane
