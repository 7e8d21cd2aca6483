#include "shred/core/shred_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_ops.h"

namespace corvane {

ShredRun::ShredRun(int64_t passes, bool overwrite, RunLedger* ledger, const BatchLimits& limits)
    : passes_(passes),
      overwrite_(overwrite),
      engine_([this] { PumpNowAndThen(); },
              [this] { return host_ != nullptr && host_->Check() != RunCheck::kGoOn; }),
      batch_(engine_, limits),
      ledger_(ledger != nullptr ? ledger : &own_ledger_) {
  expect_ = [this](std::string_view path) -> std::optional<EntryId> {
    auto found = folders_.find(path);
    if (found == folders_.end()) return std::nullopt;
    return found->second;
  };
}

void ShredRun::PumpNowAndThen() {
  if (host_ == nullptr) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_pump_ < pump_every) return;
  last_pump_ = now;
  host_->Pump();
}

RunCheck ShredRun::Checkpoint() {
  const RunCheck check = host_->PumpAndCheck();
  last_pump_ = std::chrono::steady_clock::now();
  return check;
}

RunOutcome ShredRun::Destroy(const std::vector<ListedEntry>& files,
                             const std::vector<ListedEntry>& folders, RunHost& host) {
  host_ = &host;
  last_pump_ = std::chrono::steady_clock::now();
  ledger_->BeginRun();
  duplicate_files_ = duplicate_folders_ = 0;
  not_found_.clear();
  folders_.clear();
  for (const ListedEntry& folder : folders) folders_[folder.path] = folder.id;
  RunOutcome out;
  out.end = DestroyFiles(files, out);
  if (out.end == RunCheck::kGoOn) out.end = RemoveFolders(folders, out);
  out.files_listed = static_cast<int64_t>(files.size()) - duplicate_files_;
  out.folders_listed = static_cast<int64_t>(folders.size()) - duplicate_folders_;
  out.at_risk = file_systems_.AtRisk();
  out.files_destroyed = out.files_listed - static_cast<int64_t>(out.files.size());
  out.deleted_only = !(overwrite_ && passes_ > 0);
  host_ = nullptr;
  return out;
}

RunCheck ShredRun::DestroyFiles(const std::vector<ListedEntry>& files, RunOutcome& out) {
  // The count is taken once: an Abort gives the list back to the user, who
  // may edit it while the run winds down.
  const size_t count = files.size();
  for (size_t index = 0; index < count;) {
    const size_t first = index;
    while (index < count && index < files.size() && AddFile(files[index])) ++index;
    const auto size = static_cast<int64_t>(batch_.files().size());
    for (int64_t pass = 1; pass <= passes_; ++pass) {
      if (batch_.Pass(pass, passes_)) host_->Advance(size);
      if (RunCheck check = Checkpoint(); check != RunCheck::kGoOn) {
        for (auto& [position, survivor] : EndBatch(/*stopped=*/true))
          out.partly.push_back(std::move(survivor));
        return check;
      }
    }
    for (auto& [position, survivor] : EndBatch(/*stopped=*/false)) {
      out.file_rows.push_back(static_cast<int64_t>(first + position));
      out.files.push_back(std::move(survivor));
    }
  }
  return RunCheck::kGoOn;
}

RunCheck ShredRun::RemoveFolders(const std::vector<ListedEntry>& folders, RunOutcome& out) {
  const size_t count = folders.size();
  if (count == 0) return RunCheck::kGoOn;
  host_->BeginFolders(static_cast<int64_t>(count));
  for (size_t index = count; index-- > 0;) {
    if (index >= folders.size()) continue;
    if (std::optional<Survivor> survivor = RemoveFolder(folders[index])) {
      out.folder_rows.insert(out.folder_rows.begin(), static_cast<int64_t>(index));
      out.folders.insert(out.folders.begin(), std::move(*survivor));
    }
    host_->Advance(1);
    if (RunCheck check = Checkpoint(); check != RunCheck::kGoOn) return check;
  }
  return RunCheck::kGoOn;
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
  // An object listed again goes through the run again: under another name
  // (a hard link) that name must go too, and the same name is found gone.
  // Either way the end of its batch counts the object once.
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
    ledger_->Take(file.id, false);
    return true;
  }
  added.name = cursor_.name();
  // A file too large for this batch is only offered: it starts the next one,
  // and nothing is recorded of it until then.
  if (!batch_.Add(std::move(added), cursor_.fd(), cursor_.info().id, overwrite_ && passes_ > 0))
    return false;
  // As the open read it, when it was opened.
  ledger_->Take(batch_.last().id, batch_.last().read);
  if (ShredFile& taken = batch_.last(); taken.fd >= 0)
    taken.risk_place = file_systems_.Place(taken.fd, taken.path);
  return true;
}

std::vector<std::pair<size_t, Survivor>> ShredRun::EndBatch(bool stopped) {
  if (stopped) batch_.Stop();
  const std::vector<ShredFile>& files = batch_.files();
  std::vector<std::optional<Survivor>> outcomes(files.size());
  // What went is settled first: an object listed twice in one batch may have
  // gone under either listing, as two threads finish a batch, and the other
  // listing is its duplicate, not an entry that is no longer there.
  for (bool gone : {true, false}) {
    for (size_t i = 0; i < files.size(); ++i) {
      const ShredFile& file = files[i];
      if ((file.state == FileState::kGone) != gone) continue;
      // A stop names only what it left partly overwritten, but what the last
      // pass destroyed before it is remembered all the same.
      if (stopped && !gone && file.reason != SurvivalReason::kPartlyOverwritten) continue;
      outcomes[i] = OutcomeOf(file);
    }
  }
  std::vector<std::pair<size_t, Survivor>> left;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    if (outcomes[i]) left.emplace_back(i, std::move(*outcomes[i]));
  }
  batch_.Clear();
  return left;
}

std::optional<Survivor> ShredRun::Settle(const EntryId& id, std::optional<Survivor> survivor) {
  if (!survivor) {
    ledger_->MarkDestroyed(id);
  } else if (survivor->reason == SurvivalReason::kNotFound && ledger_->Destroyed(id)) {
    return std::nullopt;
  }
  return survivor;
}

std::optional<Survivor> ShredRun::OutcomeOf(const ShredFile& file) {
  switch (file.state) {
    case FileState::kGone:
      if (!ledger_->SettleOnce(file.id, file.read)) break;
      if (file.risk_place) file_systems_.Count(*file.risk_place);
      return Settle(file.id, std::nullopt);
    case FileState::kKept:
      if (!ledger_->SettleOnce(file.id, file.read)) break;
      // The same name listed twice and gone is named once, whatever the
      // listings knew of it.
      if (file.reason == SurvivalReason::kNotFound && !not_found_.insert(file.path).second) break;
      return Settle(file.id, Survivor{file.path, file.reason, file.error});
    case FileState::kInProgress:
      return Survivor{file.path, SurvivalReason::kOther, 0};  // no pass at all (a count below one)
  }
  // Listed twice under identities only the run could tell were one object.
  ++duplicate_files_;
  return std::nullopt;
}

std::optional<Survivor> ShredRun::RemoveFolder(const ListedEntry& folder) {
  if (ledger_->TakenInRun(folder.id)) {
    ++duplicate_folders_;
    return std::nullopt;
  }
  ledger_->Take(folder.id, false);
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
  if (CrossesMount(found, cursor_.info().id.dev))
    return Survivor{folder.path, SurvivalReason::kOtherFileSystem, 0};
  if (::unlinkat(dirfd, name, AT_REMOVEDIR) == 0) return std::nullopt;
  const int failure = errno;
  return Survivor{folder.path, ReasonOf(failure, &found), failure};
}

}  // namespace corvane
