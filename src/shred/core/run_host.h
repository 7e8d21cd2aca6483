#pragma once
// What a Delete run needs of the window that drives it, and what it hands
// back: the window moves its bar and lets its events through; the run says
// what stayed and why.
#include <cstdint>
#include <vector>

#include "platform/file_system_kind.h"
#include "shred/core/survivor.h"

namespace corvane {

// What the run does after a pump: go on, leave at once (the window is
// closing), or end on the abort path.
enum class RunCheck { kGoOn, kStop, kAbort };

class RunHost {
 public:
  virtual ~RunHost() = default;
  // The bar moves on by `steps`.
  virtual void Advance(int64_t steps) = 0;
  // The folder phase begins, with `folders` to remove.
  virtual void BeginFolders(int64_t folders) = 0;
  // Lets pending events through.
  virtual void Pump() = 0;
  // What the run must do now; a closing window comes before an Abort.
  virtual RunCheck Check() = 0;
  // Every command's checkpoint: the events through, then what now.
  RunCheck PumpAndCheck() {
    Pump();
    return Check();
  }
};

// How a run ended and what it left.
struct RunOutcome {
  RunCheck end = RunCheck::kGoOn;
  // What stayed, in list order, each with the row it was listed at. An entry
  // that is "no longer there" is named but leaves the lists.
  std::vector<Survivor> files;
  std::vector<int64_t> file_rows;
  std::vector<Survivor> folders;
  std::vector<int64_t> folder_rows;
  // What an Abort left partly overwritten.
  std::vector<Survivor> partly;
  // The entries listed, each counted once however often it was listed.
  int64_t files_listed = 0;
  int64_t folders_listed = 0;
  // Where destroyed files lay on a file system that may keep old content.
  std::vector<ContentAtRisk> at_risk;
  // Files the run destroyed; with `deleted_only`, by deleting them alone
  // (one pass), without overwriting their content first.
  int64_t files_destroyed = 0;
  bool deleted_only = false;

  bool complete() const { return files.empty() && folders.empty(); }
};

}  // namespace corvane
