#pragma once
// The directory walk that turns a folder into the lists the tool destroys.
//
// Paths are byte strings joined with "/". Hidden entries (name beginning with
// ".") and special files (anything but a regular file, a directory or a
// symbolic link) are left out. A symbolic link is never entered: one whose
// name matches a mask is listed as a file, so that only the link is destroyed.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/dir_listing.h"
#include "scan/core/result_list.h"

namespace corvane {

// A directory that GetDirectories could not list (access refused, the path is
// too long, the directory vanished while it was read...).
class DirectoryListError : public std::runtime_error {
 public:
  DirectoryListError(const std::string& path, int error);
  int error() const { return error_; }

 private:
  int error_;
};

// What a walk had to leave alone.
struct WalkStats {
  // Entries whose full path is longer than the system accepts: neither they nor
  // anything below them can be listed, so they stay where they are.
  int64_t unreachable = 0;
};

// Directory contents already read, by directory path ending in "/". The
// folder scan reads every directory once for its subdirectories and hands the
// contents on to the file walk, which would otherwise read them all again.
// The walk takes each listing out as it uses it.
using ListingCache = std::unordered_map<std::string, std::vector<DirEntry>>;

// `filespec` cut at every ";", pieces kept exactly as cut (blanks and empty
// pieces included); an empty text gives no mask at all.
std::vector<std::string> SplitMasks(const std::string& filespec);

// The immediate subdirectories of `path`. Directories only; hidden and special
// ones only when `Attributes` holds kAttrHidden or kAttrSystem. With
// `IncludePath` each entry is the full path, otherwise the bare name. A path
// that does not exist gives an empty list; any other failure throws
// DirectoryListError. With `cache`, the listing read is kept there.
ResultList GetDirectories(const std::string& path, int32_t Attributes, bool IncludePath,
                          ListingCache* cache = nullptr);

// Every file of `path` matching one of the masks of `filespec` (each file once,
// where it first matches), and with `RecurseDirs` the same for every
// subdirectory, depth first. Order: the directory's files grouped by mask in
// mask order, then each subdirectory's whole walk in enumeration order. Never
// fails: what cannot be read contributes nothing. Directories found in
// `cache` are not read again.
ResultList GetAllFiles(const std::string& path, const std::string& filespec, bool RecurseDirs,
                       WalkStats* stats = nullptr, ListingCache* cache = nullptr);

}  // namespace corvane
