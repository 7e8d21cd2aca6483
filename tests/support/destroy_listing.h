#pragma once
// Destroys a walked listing through the run, as the Delete command does: every
// file pass by pass, then the folders deepest first. Returns the survivors,
// files then folders.
#include <vector>

#include "scan/core/tree_walk.h"
#include "support/run_host.h"

namespace corvane::testing {

inline std::vector<Survivor> DestroyListing(const TreeListing& listing, ShredRun& run) {
  RunOutcome out = Destroy(run, {listing.files.begin(), listing.files.end()}, listing.directories);
  std::vector<Survivor> left = out.files;
  left.insert(left.end(), out.folders.begin(), out.folders.end());
  return left;
}

}  // namespace corvane::testing
