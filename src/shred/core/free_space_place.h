#pragma once
// Where a free-space overwrite may run: the file system holding a folder,
// and the reasons to refuse one (read-only, not on a disk, on a network, not
// writable for this user).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system_kind.h"
#include "shred/core/free_space_fill.h"

namespace corvane {

struct FillPlace {
  FillTarget target;
  uint64_t freeBytes = 0;  // free to this user now
  std::string refusal;     // why not, as "it is on a read-only file system"; empty when fine
};

// Looks at the file system holding `folder`, opened once, following a link on
// the way only when root or this user owns it; the target holds it open.
FillPlace PlaceOf(const std::string& folder);

// Of the file systems a run left old copies on, those whose free space may
// be overwritten, each with a folder this user may write in (the folder of
// a destroyed file, or the nearest one above it that is left) on the device
// the files were found on.
std::vector<FillTarget> FillTargetsFor(const std::vector<ContentAtRisk>& atRisk);

}  // namespace corvane
