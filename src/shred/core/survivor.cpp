#include "shred/core/survivor.h"

#include <cstring>

namespace corvane {

std::string DescribeReason(const Survivor& survivor) {
  switch (survivor.reason) {
    case SurvivalReason::kReadOnly:
      return "read-only";
    case SurvivalReason::kChanged:
      return "changed since it was listed";
    case SurvivalReason::kOtherNames:
      return "has other names";
    case SurvivalReason::kOtherFileSystem:
      return "on another file system";
    case SurvivalReason::kNotEmpty:
      return "folder not empty";
    case SurvivalReason::kNotOverwritten:
      return survivor.error != 0
                 ? "could not be overwritten: " + std::string(std::strerror(survivor.error))
                 : "could not be overwritten";
    case SurvivalReason::kPermissionDenied:
      return "permission denied";
    case SurvivalReason::kPartlyOverwritten:
      return "partly overwritten";
    case SurvivalReason::kOther:
      break;
  }
  return survivor.error != 0 ? std::string(std::strerror(survivor.error)) : "could not be deleted";
}

}  // namespace corvane
