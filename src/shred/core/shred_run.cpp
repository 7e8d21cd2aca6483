#include "shred/core/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_ops.h"

namespace corvane {

ShredRun::ShredRun(int64_t passes, bool overwrite, std::function<void()> between_chunks,
                   std::function<bool()> stop, RunLedger* ledger)
    : passes_(passes),
      overwrite_(overwrite),
      engine_(std::move(between_chunks), std::move(stop)),
      ledger_(ledger != nullptr ? ledger : &own_ledger_) {
  ledger_->BeginRun();
  expect_ = [this](std::string_view path) -> std::optional<EntryId> {
    auto found = folders_.find(path);
    if (found == folders_.end()) return std::nullopt;
    return found->second;
  };
}

std::optional<SurvivalReason> ShredRun::Reach(const ListedEntry& entry, int& error) {
  error = cursor_.MoveToParentOf(entry, expect_);
  if (error == 0) return std::nullopt;
  return ReasonOf(error);
}

bool ShredRun::AddFile(const ListedEntry& file) {
  if (batch_.Full()) return false;
  ShredFile added;
  added.path = file.path;
  added.id = file.id;
  if (ledger_->MetBefore(file.id)) {
    ++duplicate_files_;
    added.duplicate = true;
    added.state = FileState::kGone;
    batch_.AddSettled(std::move(added));
    return true;
  }
  if (file.id == EntryId{}) {
    // Listed while it could not be read: nothing is done to it. Only the
    // report looks whether something is there now.
    ShredEngine::Keep(
        added, EntryExists(file.path) ? SurvivalReason::kChanged : SurvivalReason::kNotFound);
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
  if (!batch_.Add(std::move(added), cursor_.fd(), cursor_.info().id, overwrite_ && passes_ > 0))
    return false;
  if (const ShredFile& taken = batch_.files().back(); taken.fd >= 0)
    file_systems_.Note(taken.fd, taken.path);
  return true;
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

std::optional<Survivor> ShredRun::FileOutcome(const ListedEntry&) {
  return OutcomeOf(batch_.files().front());
}

std::optional<Survivor> ShredRun::Settle(const EntryId& id, std::optional<Survivor> survivor) {
  if (!survivor) {
    ledger_->MarkDestroyed(id);
  } else if (survivor->reason == SurvivalReason::kNotFound && id != EntryId{} &&
             ledger_->Destroyed(id)) {
    return std::nullopt;
  }
  return survivor;
}

std::optional<Survivor> ShredRun::OutcomeOf(const ShredFile& file) {
  switch (file.state) {
    case FileState::kGone:
      if (file.duplicate) return std::nullopt;
      return Settle(file.id, std::nullopt);
    case FileState::kKept:
      return Settle(file.id, Survivor{file.path, file.reason, file.error});
    case FileState::kInProgress:
      break;  // no pass at all (a count below one)
  }
  return Survivor{file.path, SurvivalReason::kOther, 0};
}

std::optional<Survivor> ShredRun::RemoveFolder(const ListedEntry& folder) {
  if (ledger_->MetBefore(folder.id)) {
    ++duplicate_folders_;
    return std::nullopt;
  }
  return Settle(folder.id, RemoveFolderOnce(folder));
}

std::optional<Survivor> ShredRun::RemoveFolderOnce(const ListedEntry& folder) {
  int error = 0;
  if (std::optional<SurvivalReason> reason = Reach(folder, error))
    return Survivor{folder.path, *reason, error};
  if (engine_.before_step) engine_.before_step(ShredStep::kRemoveFolder);
  const int dirfd = cursor_.fd();
  const char* name = cursor_.name().c_str();
  EntryInfo found;
  if (int failure = CheckEntry(dirfd, name, folder.id, found); failure != 0)
    return Survivor{folder.path, ReasonOf(failure), failure};
  if (!S_ISDIR(found.mode)) return Survivor{folder.path, SurvivalReason::kChanged, 0};
  if (found.mount_root || found.id.dev != cursor_.info().id.dev)
    return Survivor{folder.path, SurvivalReason::kOtherFileSystem, 0};
  if (::unlinkat(dirfd, name, AT_REMOVEDIR) == 0) return std::nullopt;
  const int failure = errno;
  return Survivor{folder.path, ReasonOf(failure, &found), failure};
}

}  // namespace corvane
