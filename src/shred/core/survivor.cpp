#include "shred/core/survivor.h"

#include <cerrno>
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
    case SurvivalReason::kNotFound:
      return "no longer there";
    case SurvivalReason::kImmutable:
      return "immutable";
    case SurvivalReason::kAppendOnly:
      return "append-only";
    case SurvivalReason::kLowerLayer:
      return kLowerLayerUntouched;
    case SurvivalReason::kOther:
      break;
  }
  return survivor.error != 0 ? std::string(std::strerror(survivor.error)) : "could not be deleted";
}

SurvivalReason ReasonOf(int error, const EntryInfo* entry) {
  switch (error) {
    // Moved, swapped or replaced meanwhile:
    case ENOENT:   // nothing has the name any more
    case ENOTDIR:  // a folder on the way is something else now
    // Every step opens with O_NOFOLLOW, and a listed link is removed as
    // itself: a link met where the listed entry was means the entry is gone.
    case ELOOP:
    case kIdentityChanged:  // the name leads to another object
      return SurvivalReason::kNotFound;
    case EXDEV:  // the way down refuses to step onto another mount
    case EBUSY:  // the kernel removes no mount point
      return SurvivalReason::kOtherFileSystem;
    case ENOTEMPTY:
    case EEXIST:  // what some file systems say instead of ENOTEMPTY
      return SurvivalReason::kNotEmpty;
    // A refusal by the inode flags reads as one by permissions.
    case EACCES:
    case EPERM:
      if (entry != nullptr && entry->immutable) return SurvivalReason::kImmutable;
      if (entry != nullptr && entry->append_only) return SurvivalReason::kAppendOnly;
      return SurvivalReason::kPermissionDenied;
    default:
      return SurvivalReason::kOther;
  }
}

}  // namespace corvane
