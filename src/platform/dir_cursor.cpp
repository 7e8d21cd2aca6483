#include "platform/dir_cursor.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/own_links.h"

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

void RaiseOpenFileLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

size_t DescriptorBudget(size_t most) {
  struct rlimit limit {};
  const rlim_t soft = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
  // Under a low limit the budget fits it: holding more would make opens fail
  // and leave folders unread.
  return static_cast<size_t>(std::clamp<rlim_t>(soft / 4, 4, std::max<rlim_t>(most, 4)));
}

bool CrossesMount(const EntryInfo& entry, uint32_t parentDev) {
  return entry.mount_root || (S_ISDIR(entry.mode) && entry.id.dev != parentDev);
}

DirCursor::DirCursor(size_t open_limit) : open_limit_(open_limit) {
  // No more than a deep tree ever needs.
  if (open_limit_ == 0) open_limit_ = DescriptorBudget(16384);
}

DirCursor::~DirCursor() {
  Reset();
}

void DirCursor::Reset() {
  levels_.clear();
  open_count_ = 0;
  first_open_ = 0;
  path_known_ = false;
  current_.clear();
}

int DirCursor::OpenAnchor(const std::string& anchor) {
  Reset();
  // The anchor is the user's own path: its links are followed, but only those
  // that root or the user owns.
  FolderOpening opening = OpenFolderByOwnLinks(anchor, ::getuid(), O_RDONLY);
  if (opening.fd < 0) return opening.error;
  Level level{anchor, HeldFd(opening.fd), {}};
  if (int error = ReadEntry(level.fd.get(), "", level.info); error != 0) return error;
  levels_.push_back(std::move(level));
  open_count_ = 1;
  return 0;
}

int DirCursor::Enter(std::string_view name, EntryInfo& info, bool cross_mount) {
  path_known_ = false;
  return Push(name, {}, {}, &info, cross_mount);
}

int DirCursor::OpenAnchor(const ListedEntry& entry) {
  if (int error = OpenAnchor(AnchorPath(entry)); error != 0) return error;
  if (!SameEntry(entry.anchor_id, levels_[0].info.id)) {
    Reset();
    return kIdentityChanged;
  }
  return 0;
}

int DirCursor::MoveToParentOf(const ListedEntry& entry, const Expect& expect) {
  const std::string_view path = entry.path;
  const size_t anchor_end = entry.anchor_length;
  // The entry's own name, and where the path of its folder ends.
  const std::string_view name = LastComponent(path);
  const size_t start = static_cast<size_t>(name.data() - path.data());
  if (start < anchor_end || name.empty()) return kIdentityChanged;  // nothing below the anchor
  const size_t parent_end = std::max<size_t>(ParentLength(path), anchor_end);

  std::string_view anchor = anchor_end == 0 ? std::string_view(".") : path.substr(0, anchor_end);
  if (!path_known_ || levels_.empty() || levels_[0].name != anchor ||
      !SameEntry(entry.anchor_id, levels_[0].info.id)) {
    if (int error = OpenAnchor(entry); error != 0) return error;
    path_known_ = true;
    levels_[0].end = anchor_end;
    current_.assign(path.substr(0, anchor_end));
  }
  // Keep the levels the entry's folder shares with the current one. In a list
  // in tree order that is nearly all of them, so this costs one comparison.
  size_t same = current_.size();
  if (same > parent_end || path.compare(0, same, current_) != 0) {
    same = std::mismatch(current_.begin(), current_.end(), path.begin(),
                         path.begin() + static_cast<std::ptrdiff_t>(parent_end))
               .first -
           current_.begin();
  }
  while (levels_.size() > 1) {
    size_t level_end = levels_.back().end;
    if (level_end <= same && (level_end == parent_end || path[level_end] == '/')) break;
    if (int error = Pop(); error != 0) return error;
  }
  for (size_t i = levels_.back().end; i < parent_end;) {
    while (i < parent_end && path[i] == '/') ++i;
    size_t stop = path.find('/', i);
    if (stop == std::string_view::npos || stop > parent_end) stop = parent_end;
    // The first level below the anchor is the folder the user chose, which may
    // be a mount point of its own; nothing below it may be.
    int error =
        Push(path.substr(i, stop - i), path.substr(0, stop), expect, nullptr, levels_.size() == 1);
    if (error != 0) {
      current_.assign(path.substr(0, levels_.back().end));
      return error;
    }
    levels_.back().end = stop;
    i = stop;
  }
  current_.assign(path.substr(0, parent_end));
  name_.assign(name);
  return 0;
}

int DirCursor::Push(std::string_view name, std::string_view path, const Expect& expect,
                    EntryInfo* found, bool cross_mount) {
  Level level{std::string(name), {}, {}};
  level.fd = HeldFd(OpenDirAt(levels_.back().fd.get(), level.name));
  if (level.fd.get() < 0) return errno;
  int error = ReadEntry(level.fd.get(), "", level.info);
  if (found != nullptr) *found = level.info;
  const EntryInfo& parent = levels_.back().info;
  if (error == 0 && !cross_mount && CrossesMount(level.info, parent.id.dev)) error = EXDEV;
  if (error == 0 && expect) {
    if (std::optional<EntryId> want = expect(path); want && !SameEntry(*want, level.info.id))
      error = kIdentityChanged;
  }
  if (error != 0) return error;
  levels_.push_back(std::move(level));
  if (first_open_ == 0) first_open_ = levels_.size() - 1;
  if (++open_count_ > open_limit_) CloseOldest();
  return 0;
}

void DirCursor::CloseOldest() {
  // The anchor stays open; a closed level is opened again from its child. The
  // open levels above the anchor are always the deepest ones, in one run.
  if (first_open_ == 0 || first_open_ + 1 >= levels_.size()) return;
  levels_[first_open_].fd = HeldFd();
  --open_count_;
  ++first_open_;
}

int DirCursor::Pop() {
  Level child = std::move(levels_.back());
  levels_.pop_back();
  Level& parent = levels_.back();
  int error = 0;
  if (parent.fd.get() < 0) {
    // Up through "..", then make sure it is the same directory as before: a
    // folder moved meanwhile has another parent.
    HeldFd fd(OpenDirAt(child.fd.get(), ".."));
    EntryInfo info;
    if (fd.get() < 0) {
      error = errno;
    } else if ((error = ReadEntry(fd.get(), "", info)) == 0 &&
               !SameEntry(parent.info.id, info.id)) {
      error = kIdentityChanged;
    }
    if (error == 0) {
      parent.fd = std::move(fd);
      ++open_count_;
      first_open_ = levels_.size() - 1;
    }
  }
  --open_count_;
  if (first_open_ >= levels_.size()) first_open_ = 0;  // only the anchor is left
  if (error != 0) Reset();
  return error;
}

}  // namespace corvane
