#include "platform/dir_cursor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

namespace corvane {

namespace {
constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int OpenDirAt(int dirfd, const std::string& name) {
  int fd;
  do {
    fd = ::openat(dirfd, name.c_str(), kDirFlags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}
}  // namespace

int InfoOf(int fd, DirInfo& info) {
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_TYPE, &sx) != 0)
    return errno;
  info.id = EntryId{static_cast<uint64_t>(makedev(sx.stx_dev_major, sx.stx_dev_minor)),
                    static_cast<uint64_t>(sx.stx_ino)};
  info.mount_root = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                    (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  return 0;
}

DirCursor::~DirCursor() {
  Reset();
}

void DirCursor::Reset() {
  for (Level& level : levels_) {
    if (level.fd >= 0) ::close(level.fd);
  }
  levels_.clear();
  open_count_ = 0;
}

int DirCursor::OpenAnchor(const std::string& anchor) {
  Reset();
  // The anchor is the user's own path: its links are followed.
  int fd = ::open(anchor.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  Level level{anchor, fd, {}};
  if (int error = InfoOf(fd, level.info); error != 0) {
    ::close(fd);
    return error;
  }
  levels_.push_back(std::move(level));
  open_count_ = 1;
  return 0;
}

int DirCursor::Enter(std::string_view name, DirInfo& info, bool cross_mount) {
  return Push(name, {}, {}, &info, cross_mount);
}

int DirCursor::OpenAnchor(const ListedEntry& entry) {
  if (int error = OpenAnchor(AnchorPath(entry)); error != 0) return error;
  if (levels_[0].info.id != entry.anchor_id) {
    Reset();
    return kIdentityChanged;
  }
  return 0;
}

int DirCursor::MoveToParentOf(const ListedEntry& entry, const Expect& expect) {
  const std::string& path = entry.path;
  std::string_view anchor = entry.anchor_length == 0
                                ? std::string_view(".")
                                : std::string_view(path).substr(0, entry.anchor_length);
  if (levels_.empty() || levels_[0].name != anchor || levels_[0].info.id != entry.anchor_id) {
    if (int error = OpenAnchor(entry); error != 0) return error;
  }
  // The components below the anchor; the last one is the entry's own name.
  std::vector<std::pair<size_t, size_t>> parts;  // offset, length
  for (size_t i = entry.anchor_length; i < path.size();) {
    while (i < path.size() && path[i] == '/') ++i;
    size_t end = path.find('/', i);
    if (end == std::string::npos) end = path.size();
    if (end > i) parts.emplace_back(i, end - i);
    i = end;
  }
  if (parts.empty()) return kIdentityChanged;  // names no entry below its anchor
  name_.assign(path, parts.back().first, parts.back().second);
  parts.pop_back();

  size_t common = 0;
  while (common < parts.size() && common + 1 < levels_.size() &&
         std::string_view(path).substr(parts[common].first, parts[common].second) ==
             levels_[common + 1].name) {
    ++common;
  }
  while (levels_.size() > common + 1) {
    if (int error = Pop(); error != 0) return error;
  }
  for (size_t i = common; i < parts.size(); ++i) {
    std::string_view name = std::string_view(path).substr(parts[i].first, parts[i].second);
    std::string_view prefix = std::string_view(path).substr(0, parts[i].first + parts[i].second);
    // The first level below the anchor is the folder the user chose, which may
    // be a mount point of its own; nothing below it may be.
    if (int error = Push(name, prefix, expect, nullptr, i == 0); error != 0) return error;
  }
  return 0;
}

int DirCursor::Push(std::string_view name, std::string_view path, const Expect& expect,
                    DirInfo* found, bool cross_mount) {
  Level level{std::string(name), -1, {}};
  level.fd = OpenDirAt(levels_.back().fd, level.name);
  if (level.fd < 0) return errno;
  int error = InfoOf(level.fd, level.info);
  if (found != nullptr) *found = level.info;
  const DirInfo& parent = levels_.back().info;
  if (error == 0 && !cross_mount && (level.info.mount_root || level.info.id.dev != parent.id.dev))
    error = EXDEV;
  if (error == 0 && expect) {
    if (std::optional<EntryId> want = expect(path); want && *want != level.info.id)
      error = kIdentityChanged;
  }
  if (error != 0) {
    ::close(level.fd);
    return error;
  }
  levels_.push_back(std::move(level));
  if (++open_count_ > open_limit_) CloseOldest();
  return 0;
}

void DirCursor::CloseOldest() {
  // The anchor stays open; a closed level is opened again from its child.
  for (size_t i = 1; i + 1 < levels_.size(); ++i) {
    if (levels_[i].fd >= 0) {
      ::close(levels_[i].fd);
      levels_[i].fd = -1;
      --open_count_;
      return;
    }
  }
}

int DirCursor::Pop() {
  Level child = std::move(levels_.back());
  levels_.pop_back();
  Level& parent = levels_.back();
  int error = 0;
  if (parent.fd < 0) {
    // Up through "..", then make sure it is the same directory as before: a
    // folder moved meanwhile has another parent.
    int fd = OpenDirAt(child.fd, "..");
    DirInfo info;
    if (fd < 0) {
      error = errno;
    } else if ((error = InfoOf(fd, info)) == 0 && info.id != parent.info.id) {
      error = kIdentityChanged;
    }
    if (error == 0) {
      parent.fd = fd;
      ++open_count_;
    } else if (fd >= 0) {
      ::close(fd);
    }
  }
  ::close(child.fd);
  --open_count_;
  if (error != 0) Reset();
  return error;
}

}  // namespace corvane
