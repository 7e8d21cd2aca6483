#pragma once
// The file-system side of one Delete run: reaches every listed entry from its
// anchor through held directory descriptors, destroys files pass by pass with
// the engine, removes folders, and says why an entry had to stay.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/dir_cursor.h"
#include "platform/entry_id.h"
#include "shred/core/shred_engine.h"
#include "shred/core/survivor.h"

namespace corvane {

class ShredRun {
 public:
  ShredRun(int64_t passes, bool overwrite, std::function<void()> between_chunks = {});

  // The listed folders: a folder on the way to an entry must still be the one
  // that was listed under its path.
  void ExpectFolder(const ListedEntry& folder) { folders_[folder.path] = folder.id; }

  // Starts on a listed file; then FilePass for each pass from 1.
  void StartFile(const ListedEntry& file);
  FileState FilePass(int64_t pass) { return engine_.Pass(pass); }
  // After the passes: nothing when the file is gone, else why it stayed.
  std::optional<Survivor> FileOutcome(const ListedEntry& file) const;

  // Removes a listed folder (only an empty one can go). Nothing when it is
  // gone, else why it stayed.
  std::optional<Survivor> RemoveFolder(const ListedEntry& folder);

  ShredEngine& engine() { return engine_; }

 private:
  // Reaches the folder holding `entry`; 0, or the reason it cannot be reached.
  std::optional<SurvivalReason> Reach(const ListedEntry& entry, int& error);

  int64_t passes_;
  bool overwrite_;
  ShredEngine engine_;
  DirCursor cursor_;
  DirCursor::Expect expect_;
  // Looked up by views into the entries' paths, without a copy.
  struct PathHash {
    using is_transparent = void;
    size_t operator()(std::string_view path) const { return std::hash<std::string_view>{}(path); }
  };
  std::unordered_map<std::string, EntryId, PathHash, std::equal_to<>> folders_;
  std::optional<Survivor> unreachable_;  // the current file could not be reached
};

}  // namespace corvane
