#pragma once
// Destroys a walked listing through the run, as the Delete command does: every
// file pass by pass, then the folders deepest first, down to index `stop` (a
// run aborted in its folder phase stops earlier). Returns the survivors,
// files then folders.
#include <cstdint>
#include <vector>

#include "scan/core/tree_walk.h"
#include "support/run_host.h"

namespace corvane::testing {

inline std::vector<Survivor> DestroyListing(const TreeListing& listing, ShredRun& run,
                                            size_t stop = 0) {
  TestHost host;
  const auto removed = static_cast<int64_t>(listing.directories.size() - stop);
  if (stop > 0)
    host.check = [&] {
      return host.folders && host.steps >= removed ? RunCheck::kAbort : RunCheck::kGoOn;
    };
  RunOutcome out =
      Destroy(run, {listing.files.begin(), listing.files.end()}, listing.directories, &host);
  std::vector<Survivor> left = out.files;
  left.insert(left.end(), out.folders.begin(), out.folders.end());
  return left;
}

}  // namespace corvane::testing
