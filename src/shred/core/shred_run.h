#pragma once
// The file-system side of one Delete run: reaches every listed entry from its
// anchor through held directory descriptors, destroys files in batches, pass
// by pass, removes folders, and says why an entry had to stay.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/dir_cursor.h"
#include "platform/entry_id.h"
#include "platform/file_system_kind.h"
#include "shred/core/run_ledger.h"
#include "shred/core/shred_batch.h"
#include "shred/core/shred_engine.h"
#include "shred/core/survivor.h"

namespace corvane {

class ShredRun {
 public:
  // `between_chunks` lets the window breathe during a long pass; `stop` is
  // asked right after it and ends the pass where it stands.
  // `ledger` remembers what was destroyed across runs (the window's); a run
  // without one remembers only its own.
  ShredRun(int64_t passes, bool overwrite, std::function<void()> between_chunks = {},
           std::function<bool()> stop = {}, RunLedger* ledger = nullptr);

  // The listed folders: a folder on the way to an entry must still be the one
  // that was listed under its path.
  void ExpectFolder(const ListedEntry& folder) { folders_[folder.path] = folder.id; }

  // Files go in batches: AddFile until it says no (that file starts the next
  // batch) or the list ends, BatchPass for each pass from 1, then EndBatch.
  bool AddFile(const ListedEntry& file);
  size_t BatchSize() const { return batch_.files().size(); }
  // False when `stop` ended the pass where it stood.
  bool BatchPass(int64_t pass) { return batch_.Pass(pass, passes_); }
  // What stayed of the batch, by position in it, with why; empties the batch.
  // After a stop only the files it left partly overwritten are named.
  std::vector<std::pair<size_t, Survivor>> EndBatch(bool stopped);

  // One file alone: StartFile, FilePass for each pass from 1, FileOutcome.
  void StartFile(const ListedEntry& file);
  FileState FilePass(int64_t pass);
  // After the passes: nothing when the file is gone, else why it stayed.
  std::optional<Survivor> FileOutcome(const ListedEntry& file);

  // Removes a listed folder (only an empty one can go). Nothing when it is
  // gone, else why it stayed.
  std::optional<Survivor> RemoveFolder(const ListedEntry& folder);

  ShredEngine& engine() { return engine_; }

  // Entries met a second time in this run: neither destroyed again nor
  // counted again.
  int64_t duplicate_files() const { return duplicate_files_; }
  int64_t duplicate_folders() const { return duplicate_folders_; }
  // Where the files opened for overwriting lay, read through their descriptors.
  const FileSystemTally& file_systems() const { return file_systems_; }

 private:
  // Reaches the folder holding `entry`; 0, or the reason it cannot be reached.
  std::optional<SurvivalReason> Reach(const ListedEntry& entry, int& error);
  // What became of a file; what this program destroyed is remembered.
  std::optional<Survivor> OutcomeOf(const ShredFile& file);
  std::optional<Survivor> RemoveFolderOnce(const ListedEntry& folder);
  // Drops a "no longer there" survivor that this program destroyed itself.
  std::optional<Survivor> Settle(const EntryId& id, std::optional<Survivor> survivor);

  int64_t passes_;
  bool overwrite_;
  ShredEngine engine_;
  ShredBatch batch_{engine_};
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
  FileSystemTally file_systems_;
};

}  // namespace corvane
