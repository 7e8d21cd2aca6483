#pragma once
// An entry that a run had to leave in place, and why.
#include <string>

#include "platform/entry_id.h"

namespace corvane {

enum class SurvivalReason {
  kReadOnly,           // owner write permission is off
  kChanged,            // not the entry that was listed any more
  kOtherNames,         // more hard links than the listed name
  kOtherFileSystem,    // a mount point inside the chosen folder
  kNotEmpty,           // a folder that still holds something
  kNotOverwritten,     // the content could not be overwritten
  kPermissionDenied,   // the system refused access
  kPartlyOverwritten,  // the run stopped while it was being overwritten
  kNotFound,           // no longer at its place: moved, renamed, replaced or deleted
  kImmutable,          // the immutable inode flag is set
  kAppendOnly,         // the append-only inode flag is set
  kLowerLayer,         // in an overlay's lower layer, which no write reaches
  kOther,              // any other failure; see `error`
};

// What stays of a file from an overlay's lower layer, however it is deleted.
inline constexpr const char* kLowerLayerUntouched = "the lower layer's copy is untouched";

struct Survivor {
  std::string path;
  SurvivalReason reason = SurvivalReason::kOther;
  int error = 0;  // errno of the failure, when there was one
};

// The reason as the end-of-run report words it, e.g. "read-only" or
// "could not be overwritten: No space left on device".
std::string DescribeReason(const Survivor& survivor);

// Why a step that failed with `error` leaves the entry in place; `entry`,
// when known, tells a refusal by its inode flags from one by permissions.
SurvivalReason ReasonOf(int error, const EntryInfo* entry = nullptr);

}  // namespace corvane
