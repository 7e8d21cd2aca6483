#pragma once
// Destroys a walked listing the way the Delete command does: every file pass
// by pass, then the folders deepest first, down to index `stop` (a run
// aborted in its folder phase stops earlier). Returns the survivors, files
// then folders.
#include <cstdint>
#include <vector>

#include "scan/core/tree_walk.h"
#include "shred/core/shred_run.h"

namespace corvane::testing {

inline std::vector<Survivor> DestroyListing(const TreeListing& listing, ShredRun& run,
                                            int64_t passes, size_t stop = 0) {
  std::vector<Survivor> left;
  for (const ListedEntry& d : listing.directories) run.ExpectFolder(d);
  for (const ListedEntry& f : listing.files) {
    run.StartFile(f);
    for (int64_t p = 1; p <= passes; ++p) run.FilePass(p);
    if (auto s = run.FileOutcome(f)) left.push_back(*s);
  }
  for (size_t i = listing.directories.size(); i-- > stop;) {
    if (auto s = run.RemoveFolder(listing.directories[i])) left.push_back(*s);
  }
  return left;
}

}  // namespace corvane::testing
