#include "shred/core/free_space_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/entry_id.h"
#include "platform/file_system_kind.h"
#include "platform/own_links.h"
#include "platform/paths.h"

namespace corvane {

namespace {

bool Writable(int folder) {
  return ::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0;
}

// The folder at `path`, opened as the path gate opens one.
FolderOpening OpenByOwnLinks(const std::string& path) {
  return OpenFolderByOwnLinks(path, ::getuid(), O_RDONLY);
}

// The place of the folder open at `fd`, reached as `path`.
FillPlace PlaceOfOpen(HeldFd fd, const std::string& path) {
  FillPlace place;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    place.refusal = "it is not a folder";
    return place;
  }
  const std::string name = FileSystemNameOf(fd.get());
  const FileSystemKind& kind = FileSystemKindNamed(name);
  const FreeSpace space = FreeSpaceOf(fd.get(), name);
  const std::string mountinfo = MountInfoText();
  EntryInfo info;
  if (ReadEntry(fd.get(), "", info, kNoOpen) == 0 && info.mount_id != 0)
    place.target.mountPoint = MountPointOf(mountinfo, info.mount_id);
  if (place.target.mountPoint.empty())
    place.target.mountPoint = MountPointIn(mountinfo, st.st_dev, path);
  place.target.fileSystem = name;
  place.target.device = st.st_dev;
  if (!space.known) {
    place.refusal = "its file system cannot be asked for its free space";
  } else if (space.readOnly) {
    place.refusal = "it is on a read-only file system";
  } else if (kind.pseudo) {
    place.refusal = "it lies on " + name + ", a file system the kernel makes up";
  } else if (kind.network || kind.fuse) {
    place.refusal = "it is on a network or user-space file system (" + name +
                    "), whose disk Corvane cannot reach";
  } else if (!kind.onDisk) {
    place.refusal = "it lies on " + (name.empty() ? std::string("an unknown kind") : name) +
                    ", a file system whose free space is not on a disk";
  } else if (!Writable(fd.get())) {
    place.refusal = "you cannot write in it";
  }
  place.freeBytes = space.usable;
  place.target.folder = std::move(fd);
  return place;
}

// `start` or its nearest existing ancestor on `device` that this user may
// write in, else the mount point when it is on `device`; none otherwise.
HeldFd WritableFolderOn(const std::string& start, const std::string& mountPoint, dev_t device) {
  auto onDevice = [device](const HeldFd& fd) {
    struct stat st {};
    return ::fstat(fd.get(), &st) == 0 && st.st_dev == device;
  };
  for (std::string dir = start; dir.size() > mountPoint.size(); dir = ParentFolder(dir)) {
    HeldFd fd(OpenByOwnLinks(dir).fd);
    if (onDevice(fd) && Writable(fd.get())) return fd;
  }
  HeldFd top(OpenByOwnLinks(mountPoint).fd);
  return onDevice(top) ? std::move(top) : HeldFd();
}

}  // namespace

FillPlace PlaceOf(const std::string& folder) {
  const FolderOpening opening = OpenByOwnLinks(folder);
  FillPlace place;
  if (!opening.foreignLink.empty()) {
    place.refusal = "it lies behind the symbolic link " + DisplayForm(opening.foreignLink) +
                    ", which belongs to another user";
  } else if (opening.error == ENOENT) {
    place.refusal = "it does not exist";
  } else if (opening.fd < 0) {
    place.refusal = "it is not a folder";
  } else {
    place = PlaceOfOpen(HeldFd(opening.fd), folder);
  }
  return place;
}

std::vector<FillTarget> FillTargetsFor(const std::vector<ContentAtRisk>& atRisk) {
  std::vector<FillTarget> targets;
  for (const ContentAtRisk& place : atRisk) {
    HeldFd folder = WritableFolderOn(place.folder, place.mountPoint, place.device);
    if (folder.get() < 0) continue;
    FillPlace fill = PlaceOfOpen(std::move(folder), place.folder);
    if (fill.refusal.empty()) targets.push_back(std::move(fill.target));
  }
  return targets;
}

}  // namespace corvane
