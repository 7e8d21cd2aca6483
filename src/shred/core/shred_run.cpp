#include "shred/core/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_ops.h"

namespace corvane {

namespace {
SurvivalReason ReasonOfReach(int error) {
  switch (error) {
    case EXDEV:
      return SurvivalReason::kOtherFileSystem;
    case EACCES:
    case EPERM:
      return SurvivalReason::kPermissionDenied;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case kIdentityChanged:
      return SurvivalReason::kChanged;  // moved, swapped or replaced meanwhile
    default:
      return SurvivalReason::kOther;
  }
}
}  // namespace

ShredRun::ShredRun(int64_t passes, bool overwrite, std::function<void()> between_chunks)
    : passes_(passes), overwrite_(overwrite), engine_(std::move(between_chunks)) {
  expect_ = [this](std::string_view path) -> std::optional<EntryId> {
    auto found = folders_.find(path);
    if (found == folders_.end()) return std::nullopt;
    return found->second;
  };
}

std::optional<SurvivalReason> ShredRun::Reach(const ListedEntry& entry, int& error) {
  error = cursor_.MoveToParentOf(entry, expect_);
  if (error == 0) return std::nullopt;
  return ReasonOfReach(error);
}

void ShredRun::StartFile(const ListedEntry& file) {
  unreachable_.reset();
  if (file.id == EntryId{}) {
    // Listed while it could not be read: nothing is done to it. Only the
    // report looks whether something is there now.
    engine_.Drop();
    if (EntryExists(file.path)) unreachable_ = Survivor{file.path, SurvivalReason::kChanged, 0};
    return;
  }
  int error = 0;
  if (std::optional<SurvivalReason> reason = Reach(file, error)) {
    unreachable_ = Survivor{file.path, *reason, error};
    engine_.Drop();
    return;
  }
  engine_.Begin(cursor_.fd(), cursor_.name(), file.id, passes_, overwrite_);
}

std::optional<Survivor> ShredRun::FileOutcome(const ListedEntry& file) const {
  if (unreachable_) return unreachable_;
  switch (engine_.state()) {
    case FileState::kGone:
      return std::nullopt;
    case FileState::kKept:
      return Survivor{file.path, engine_.reason(), engine_.error()};
    case FileState::kInProgress:
      break;  // no pass at all (a count below one)
  }
  return Survivor{file.path, SurvivalReason::kOther, 0};
}

std::optional<Survivor> ShredRun::RemoveFolder(const ListedEntry& folder) {
  int error = 0;
  if (std::optional<SurvivalReason> reason = Reach(folder, error))
    return Survivor{folder.path, *reason, error};
  if (engine_.before_step) engine_.before_step(ShredStep::kRemoveFolder);
  const int dirfd = cursor_.fd();
  const char* name = cursor_.name().c_str();
  struct statx sx {};
  if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_TYPE, &sx) != 0) {
    const int failure = errno;
    if (failure == ENOENT) return std::nullopt;
    return Survivor{folder.path, ReasonOfReach(failure), failure};
  }
  EntryId found{static_cast<uint64_t>(makedev(sx.stx_dev_major, sx.stx_dev_minor)),
                static_cast<uint64_t>(sx.stx_ino)};
  if (found != folder.id || !S_ISDIR(sx.stx_mode))
    return Survivor{folder.path, SurvivalReason::kChanged, 0};
  bool mount_root = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                    (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  if (mount_root || found.dev != cursor_.info().id.dev)
    return Survivor{folder.path, SurvivalReason::kOtherFileSystem, 0};
  if (::unlinkat(dirfd, name, AT_REMOVEDIR) == 0) return std::nullopt;
  const int failure = errno;
  switch (failure) {
    case ENOENT:
      return std::nullopt;
    case ENOTEMPTY:
    case EEXIST:
      return Survivor{folder.path, SurvivalReason::kNotEmpty, failure};
    case EBUSY:
      return Survivor{folder.path, SurvivalReason::kOtherFileSystem, failure};
    default:
      return Survivor{folder.path, ReasonOfReach(failure), failure};
  }
}

}  // namespace corvane
