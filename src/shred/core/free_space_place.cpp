#include "shred/core/free_space_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/file_system_kind.h"
#include "platform/file_system_name.h"
#include "platform/paths.h"

namespace corvane {

namespace {

// File systems whose free space lies on a disk of this machine.
bool OnALocalDisk(const std::string& name) {
  for (const char* disk :
       {"ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "zfs", "nilfs2", "bcachefs", "vfat",
        "msdos", "exfat", "ntfs3", "jfs", "reiserfs", "hfsplus"})
    if (name == disk) return true;
  return false;
}

// Where a server or a helper program decides what becomes of the blocks.
bool Remote(const std::string& name) {
  for (const char* remote : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ceph", "9p", "afs", "fuse"})
    if (name == remote) return true;
  return name.rfind("fuse.", 0) == 0;
}

bool SameDevice(const std::string& path, dev_t device) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == device;
}

bool Writable(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// `start` or its nearest existing ancestor on the file system mounted at
// `mountPoint` that this user may write in, else the mount point.
std::string WritableFolderOn(const std::string& start, const std::string& mountPoint) {
  struct stat top {};
  if (::stat(mountPoint.c_str(), &top) != 0) return mountPoint;
  for (std::string dir = start; dir.size() > mountPoint.size(); dir = ParentFolder(dir)) {
    if (SameDevice(dir, top.st_dev) && Writable(dir)) return dir;
  }
  return mountPoint;
}

}  // namespace

FillPlace PlaceOf(const std::string& folder) {
  FillPlace place;
  place.target.folder = folder;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    place.refusal = "it is not a folder";
    return place;
  }
  const std::string name = FileSystemNameOf(fd);
  struct statvfs fs {};
  const bool known = ::fstatvfs(fd, &fs) == 0;
  ::close(fd);
  place.target.mountPoint = MountPointIn(MountInfoText(), st.st_dev, folder);
  place.target.fileSystem = name;
  if (!known) {
    place.refusal = "its file system cannot be asked for its free space";
  } else if (fs.f_flag & ST_RDONLY) {
    place.refusal = "it is on a read-only file system";
  } else if (IsPseudoFileSystem(name)) {
    place.refusal = "it lies on " + name + ", a file system the kernel makes up";
  } else if (Remote(name)) {
    place.refusal = "it is on a network or user-space file system (" + name +
                    "), whose disk Corvane cannot reach";
  } else if (!OnALocalDisk(name)) {
    place.refusal = "it lies on " + (name.empty() ? std::string("an unknown kind") : name) +
                    ", a file system whose free space is not on a disk";
  } else if (!Writable(folder)) {
    place.refusal = "you cannot write in it";
  }
  // Root may fill what is kept for root, except on btrfs, where that gap is
  // the file system's own.
  const bool rootReserve = ::geteuid() == 0 && name != "btrfs";
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
