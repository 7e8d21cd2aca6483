#include "shred/core/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>
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

ShredRun::ShredRun(int64_t passes, bool overwrite, std::function<void()> between_chunks,
                   std::function<bool()> stop)
    : passes_(passes), overwrite_(overwrite), engine_(std::move(between_chunks), std::move(stop)) {
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

bool ShredRun::AddFile(const ListedEntry& file) {
  if (batch_.Full()) return false;
  ShredFile added;
  added.path = file.path;
  added.id = file.id;
  if (file.id == EntryId{}) {
    // Listed while it could not be read: nothing is done to it. Only the
    // report looks whether something is there now.
    if (EntryExists(file.path)) {
      ShredEngine::Keep(added, SurvivalReason::kChanged);
    } else {
      added.state = FileState::kGone;
    }
    batch_.AddSettled(std::move(added));
    return true;
  }
  int error = 0;
  if (std::optional<SurvivalReason> reason = Reach(file, error)) {
    ShredEngine::Keep(added, *reason, error);
    batch_.AddSettled(std::move(added));
    return true;
  }
  added.name = cursor_.name();
  return batch_.Add(std::move(added), cursor_.fd(), cursor_.info().id, overwrite_ && passes_ > 0);
}

std::vector<std::pair<size_t, Survivor>> ShredRun::EndBatch(bool stopped) {
  if (stopped) batch_.Stop();
  std::vector<std::pair<size_t, Survivor>> left;
  const std::vector<ShredFile>& files = batch_.files();
  for (size_t i = 0; i < files.size(); ++i) {
    if (stopped && files[i].reason != SurvivalReason::kPartlyOverwritten) continue;
    if (std::optional<Survivor> survivor = OutcomeOf(files[i]))
      left.emplace_back(i, std::move(*survivor));
  }
  batch_.Clear();
  return left;
}

void ShredRun::StartFile(const ListedEntry& file) {
  batch_.Clear();
  AddFile(file);
}

FileState ShredRun::FilePass(int64_t pass) {
  batch_.Pass(pass, passes_);
  return batch_.files().front().state;
}

std::optional<Survivor> ShredRun::FileOutcome(const ListedEntry&) const {
  return OutcomeOf(batch_.files().front());
}

std::optional<Survivor> ShredRun::OutcomeOf(const ShredFile& file) {
  switch (file.state) {
    case FileState::kGone:
      return std::nullopt;
    case FileState::kKept:
      return Survivor{file.path, file.reason, file.error};
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
  EntryInfo found;
  if (int failure = CheckEntry(dirfd, name, folder.id, found); failure != 0) {
    if (failure == ENOENT) return std::nullopt;
    return Survivor{folder.path, ReasonOfReach(failure), failure};
  }
  if (!S_ISDIR(found.mode)) return Survivor{folder.path, SurvivalReason::kChanged, 0};
  if (found.mount_root || found.id.dev != cursor_.info().id.dev)
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
