#include "platform/entry_id.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include "platform/held_fd.h"
#include "platform/own_links.h"

namespace corvane {

namespace {

constexpr unsigned kWanted =
    STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE | STATX_BTIME | STATX_MNT_ID;

bool Attribute(const struct statx& sx, uint64_t attribute) {
  return (sx.stx_attributes_mask & attribute) != 0 && (sx.stx_attributes & attribute) != 0;
}

void Fill(const struct statx& sx, EntryInfo& info) {
  info.id = EntryId{(sx.stx_dev_major << 20) | sx.stx_dev_minor, Stamp::kNone, sx.stx_ino, 0};
  if ((sx.stx_mask & STATX_BTIME) != 0) {
    info.id.kind = Stamp::kBirth;
    info.id.stamp =
        static_cast<uint64_t>(sx.stx_btime.tv_sec) * 1'000'000'000u + sx.stx_btime.tv_nsec;
  }
  info.mode = sx.stx_mode;
  info.nlink = sx.stx_nlink;
  info.size = sx.stx_size;
  info.mount_id = (sx.stx_mask & STATX_MNT_ID) != 0 ? sx.stx_mnt_id : 0;
  info.mount_root = Attribute(sx, STATX_ATTR_MOUNT_ROOT);
  info.immutable = Attribute(sx, STATX_ATTR_IMMUTABLE);
  info.append_only = Attribute(sx, STATX_ATTR_APPEND);
}

void ReadGeneration(int fd, EntryInfo& info) {
  long generation = 0;
  if (::ioctl(fd, FS_IOC_GETVERSION, &generation) == 0) {
    info.id.kind = Stamp::kGeneration;
    info.id.stamp = static_cast<uint32_t>(generation);
  }
}

int StatxAt(int dirfd, const char* name, int at_flags, struct statx& sx) {
  if (::statx(dirfd, name, at_flags, kWanted, &sx) != 0) return errno;
  return 0;
}

}  // namespace

bool SameEntry(const EntryId& listed, const EntryId& found) {
  if (listed.dev != found.dev || listed.ino != found.ino) return false;
  if (listed.kind == Stamp::kBornBy)
    return found.kind == Stamp::kBirth && found.stamp <= listed.stamp;
  return listed.kind == Stamp::kNone || (listed.kind == found.kind && listed.stamp == found.stamp);
}

EntryId StatIdentity(const struct stat& st) {
  return {(major(st.st_dev) << 20) | minor(st.st_dev), Stamp::kNone, st.st_ino, 0};
}

uint64_t BornByNow() {
  auto nanoseconds = [](clockid_t clock) {
    timespec now{};
    ::clock_gettime(clock, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
  };
  // Birth times come from the coarse clock (or later, never earlier): once it
  // is past the precise reading, every new object is born after that reading.
  const uint64_t stamp = nanoseconds(CLOCK_REALTIME);
  const uint64_t give_up = nanoseconds(CLOCK_MONOTONIC) + 50'000'000u;
  for (;;) {
    const uint64_t coarse = nanoseconds(CLOCK_REALTIME_COARSE);
    if (coarse > stamp) return stamp;
    // The clock was set back meanwhile: an earlier stamp still holds for
    // what is born from now on; older objects then count as too young, and
    // are only kept.
    if (nanoseconds(CLOCK_MONOTONIC) > give_up) return coarse - 1;
    const timespec pause{0, 500'000};
    ::nanosleep(&pause, nullptr);
  }
}

int ReadEntry(int dirfd, const char* name, EntryInfo& info, unsigned flags) {
  const bool self = *name == '\0';
  const bool follow = (flags & kFollowLinks) != 0;
  int at_flags = (follow ? 0 : AT_SYMLINK_NOFOLLOW) | (self ? AT_EMPTY_PATH : 0);
  struct statx sx {};
  if (int error = StatxAt(dirfd, name, at_flags, sx); error != 0) return error;
  Fill(sx, info);
  // No birth time here: the generation needs a descriptor of the object.
  if (info.id.kind != Stamp::kNone || (flags & kNoOpen) != 0) return 0;
  if (self) {
    ReadGeneration(dirfd, info);
    return 0;
  }
  const bool dir = S_ISDIR(info.mode);
  if (!(S_ISREG(info.mode) || dir)) return 0;
  const HeldFd fd(::openat(dirfd, name,
                           O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                               (follow ? 0 : O_NOFOLLOW) | (dir ? O_DIRECTORY : 0)));
  if (fd.get() < 0) return 0;  // identified by device and inode number only
  // The name may have changed hands since; the descriptor tells the truth.
  if (StatxAt(fd.get(), "", AT_EMPTY_PATH, sx) == 0) {
    Fill(sx, info);
    ReadGeneration(fd.get(), info);
  }
  return 0;
}

int CheckEntry(int dirfd, const char* name, const EntryId& listed, EntryInfo& found) {
  const unsigned flags = listed.kind == Stamp::kGeneration ? 0u : unsigned{kNoOpen};
  if (int error = ReadEntry(dirfd, name, found, flags); error != 0) return error;
  return SameEntry(listed, found.id) ? 0 : kIdentityChanged;
}

std::string AnchorPath(const ListedEntry& entry) {
  if (entry.anchor_length == 0) return ".";
  return entry.path.substr(0, entry.anchor_length);
}

std::optional<ListedEntry> IdentifyPath(std::string path) {
  ListedEntry entry;
  entry.path = std::move(path);
  entry.anchor_length = ParentLength(entry.path);
  if (entry.path.empty()) return std::nullopt;
  const std::string_view last = LastComponent(entry.path);
  const std::string name = last.empty() ? "." : std::string(last);  // "/" is "." in "/"
  // The anchor is the user's own path, opened as every later step reopens it.
  const HeldFd anchor(OpenFolderByOwnLinks(AnchorPath(entry), ::getuid(), O_RDONLY).fd);
  if (anchor.get() < 0) return std::nullopt;
  EntryInfo info;
  bool known = ReadEntry(anchor.get(), "", info) == 0;
  entry.anchor_id = info.id;
  known = known && ReadEntry(anchor.get(), name.c_str(), info) == 0;
  entry.id = info.id;
  if (!known) return std::nullopt;
  return entry;
}

}  // namespace corvane
