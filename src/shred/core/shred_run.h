#pragma once
// One Delete run, the only way Corvane destroys anything: reaches every
// listed entry from its anchor through held directory descriptors, destroys
// files in batches, pass by pass, removes folders, and says why an entry had
// to stay.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/dir_cursor.h"
#include "platform/entry_id.h"
#include "platform/file_system_kind.h"
#include "shred/core/run_host.h"
#include "shred/core/run_ledger.h"
#include "shred/core/shred_batch.h"
#include "shred/core/shred_engine.h"
#include "shred/core/survivor.h"

namespace corvane {

class ShredRun {
 public:
  // `passes` per file, each overwriting when `overwrite`. `ledger` remembers
  // what was destroyed across runs (the window's); a run without one
  // remembers only its own. `limits` bound a batch; only tests change them.
  ShredRun(int64_t passes, bool overwrite, RunLedger* ledger = nullptr,
           const BatchLimits& limits = {});

  // A long pass lets the window's events through at most this often.
  std::chrono::nanoseconds pump_every = std::chrono::milliseconds(50);

  // Destroys every file of `files`, in batches, pass by pass, then removes
  // every folder of `folders`, the last one first. After each pass and each
  // folder the window pumps, and the run ends where `host` says.
  RunOutcome Destroy(const std::vector<ListedEntry>& files, const std::vector<ListedEntry>& folders,
                     RunHost& host);

  // Where writes and waits go, and the hook before each step; only tests
  // reach in.
  ShredEngine& engine() { return engine_; }

 private:
  RunCheck DestroyFiles(const std::vector<ListedEntry>& files, RunOutcome& out);
  RunCheck RemoveFolders(const std::vector<ListedEntry>& folders, RunOutcome& out);
  // Lets the window breathe inside a long pass, at most every `pump_every`.
  void PumpNowAndThen();
  // Pumps after a pass or a folder, then asks the window.
  RunCheck Checkpoint();

  // Files go in batches: AddFile until it says no (that file starts the next
  // batch) or the list ends, the batch's Pass for each pass from 1, then
  // EndBatch.
  bool AddFile(const ListedEntry& file);
  // What stayed of the batch, by position in it, with why; empties the batch.
  // After a stop only the files it left partly overwritten are named, but
  // every file it destroyed is remembered.
  std::vector<std::pair<size_t, Survivor>> EndBatch(bool stopped);
  // Removes a listed folder (only an empty one can go). Nothing when it is
  // gone, else why it stayed.
  std::optional<Survivor> RemoveFolder(const ListedEntry& folder);

  // Reaches the folder holding `entry`: nothing, or why it cannot be reached,
  // with the errno in `error`.
  std::optional<SurvivalReason> Reach(const ListedEntry& entry, int& error);
  // Why a file stayed; nothing when it is gone or was listed again under an
  // identity only the run could tell was the same. A file gone is remembered
  // as destroyed and counted where its content may survive.
  std::optional<Survivor> OutcomeOf(const ShredFile& file);
  // Reaches and removes `folder`: nothing when it went, else why it stayed.
  std::optional<Survivor> RemoveFolderOnce(const ListedEntry& folder);
  // Drops a "no longer there" survivor that this program destroyed itself.
  std::optional<Survivor> Settle(const EntryId& id, std::optional<Survivor> survivor);

  int64_t passes_;
  bool overwrite_;
  ShredEngine engine_;
  ShredBatch batch_;
  DirCursor cursor_;
  DirCursor::Expect expect_;
  // Looked up by views into the entries' paths, without a copy.
  struct PathHash {
    using is_transparent = void;
    size_t operator()(std::string_view path) const { return std::hash<std::string_view>{}(path); }
  };
  std::unordered_map<std::string, EntryId, PathHash, std::equal_to<>> folders_;
  RunLedger own_ledger_;
  RunLedger* ledger_;
  int64_t duplicate_files_ = 0;
  int64_t duplicate_folders_ = 0;
  std::unordered_set<std::string> not_found_;  // files named "no longer there"
  // Where the files opened for overwriting lay, read through their descriptors.
  FileSystemTally file_systems_;
  RunHost* host_ = nullptr;  // while Destroy runs
  std::chrono::steady_clock::time_point last_pump_;
};

}  // namespace corvane
