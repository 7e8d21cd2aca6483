#include "shred/core/free_space_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "platform/file_system_kind.h"

namespace corvane {

namespace {

// File systems whose free space lies on a disk of this machine. Anything
// else (tmpfs, proc, overlays, unknown kinds) has nothing a fill could reach.
bool OnALocalDisk(uint64_t type, const std::string& name) {
  for (const char* disk :
       {"btrfs", "zfs", "f2fs", "nilfs2", "bcachefs", "ext4/ext3/ext2", "xfs", "vfat", "exfat"})
    if (name == disk) return true;
  // ntfs3, jfs, reiserfs, hfsplus
  for (uint64_t other : {0x7366746EULL, 0x3153464AULL, 0x52654973ULL, 0x482BULL})
    if (type == other) return true;
  return false;
}

// Where a server or a helper program decides what becomes of the blocks.
bool Remote(uint64_t type, const std::string& name) {
  for (const char* remote : {"nfs", "smb", "cifs", "smb2", "fuse"})
    if (name == remote) return true;
  // ceph, 9p, afs
  for (uint64_t other : {0x00C36400ULL, 0x01021997ULL, 0x6B414653ULL})
    if (type == other) return true;
  return false;
}

bool SameDevice(const std::string& path, dev_t device) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == device;
}

bool Writable(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// `start` or its nearest existing ancestor on the file system mounted at
// `mountPoint` that this user may write in, else the mount point.
std::string WritableFolderOn(const std::string& start, const std::string& mountPoint) {
  struct stat top {};
  if (::stat(mountPoint.c_str(), &top) != 0) return mountPoint;
  for (std::string dir = start; dir.size() > mountPoint.size(); dir = ParentOf(dir)) {
    if (SameDevice(dir, top.st_dev) && Writable(dir)) return dir;
  }
  return mountPoint;
}

}  // namespace

FillPlace PlaceOf(const std::string& folder) {
  FillPlace place;
  place.target.folder = folder;
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    place.refusal = "it is not a folder";
    return place;
  }
  std::ifstream in("/proc/self/mountinfo", std::ios::binary);
  const std::string mountinfo{std::istreambuf_iterator<char>(in), {}};
  place.target.mountPoint = MountPointIn(mountinfo, st.st_dev, folder);

  const uint64_t type = StatfsType(folder).value_or(0);
  place.target.fileSystem = ClassifyFileSystem(type).name;
  struct statvfs fs {};
  if (::statvfs(folder.c_str(), &fs) != 0) {
    place.refusal = "its file system cannot be asked for its free space";
  } else if (fs.f_flag & ST_RDONLY) {
    place.refusal = "it is on a read-only file system";
  } else if (Remote(type, place.target.fileSystem)) {
    place.refusal = "it is on a network or user-space file system, whose disk Corvane cannot reach";
  } else if (!OnALocalDisk(type, place.target.fileSystem)) {
    place.refusal =
        "it is not on a disk's file system (it lives in memory or is made up by the system)";
  } else if (!Writable(folder)) {
    place.refusal = "you cannot write in it";
  }
  // Root may fill what is kept for root, except on btrfs, where that gap is
  // the file system's own.
  const bool rootReserve = ::geteuid() == 0 && place.target.fileSystem != "btrfs";
  place.freeBytes =
      uint64_t{rootReserve ? fs.f_bfree : fs.f_bavail} * (fs.f_frsize ? fs.f_frsize : fs.f_bsize);
  return place;
}

std::vector<FillTarget> FillTargetsFor(const std::vector<ContentAtRisk>& atRisk) {
  std::vector<FillTarget> targets;
  for (const ContentAtRisk& place : atRisk) {
    FillPlace fill = PlaceOf(WritableFolderOn(place.folder, place.mountPoint));
    if (fill.refusal.empty()) targets.push_back(fill.target);
  }
  return targets;
}

}  // namespace corvane
