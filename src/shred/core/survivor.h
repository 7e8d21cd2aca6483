#pragma once
// An entry that a run had to leave in place, and why.
#include <string>

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
  kOther,              // any other failure; see `error`
};

struct Survivor {
  std::string path;
  SurvivalReason reason = SurvivalReason::kOther;
  int error = 0;  // errno of the failure, when there was one
};

// The reason as the end-of-run report words it, e.g. "read-only" or
// "could not be overwritten: No space left on device".
std::string DescribeReason(const Survivor& survivor);

}  // namespace corvane
