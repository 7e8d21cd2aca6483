#pragma once
// Overwriting the free space of file systems from the main window: the
// progress bar follows it and the Delete button is its Abort, as in a Delete
// run; each file system's report is shown when it is done.
#include <string>
#include <vector>

#include "shred/core/free_space_fill.h"

namespace corvane {

class RunController;

enum class WipeEnd { kDone, kNotDone, kStopped };

// Each target in turn, until one is aborted. kDone when every one was filled.
WipeEnd WipeFreeSpace(RunController& runs, const std::vector<FillTarget>& targets);

// `corvane --wipe-free-space FOLDER` once the folder was accepted: asks, then
// overwrites. Returns the exit status: 0 when overwritten, 1 otherwise.
int WipeFreeSpaceFromCommandLine(RunController& runs, const FillTarget& target, uint64_t freeBytes);

}  // namespace corvane
