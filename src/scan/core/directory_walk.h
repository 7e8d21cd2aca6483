#pragma once
// The directory walk that turns a folder into the lists the tool destroys,
// as plain paths; WalkTree (tree_walk.h) gives the same with each entry's
// identity, which is what the commands use.
//
// Paths are byte strings joined with "/". Hidden entries (name beginning with
// ".") and special files (anything but a regular file, a directory or a
// symbolic link) are left out. A symbolic link is never entered: one whose
// name matches a mask is listed as a file, so that only the link is destroyed.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

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

// `filespec` cut at every ";", pieces kept exactly as cut (blanks and empty
// pieces included); an empty text gives no mask at all.
std::vector<std::string> SplitMasks(const std::string& filespec);

// The immediate subdirectories of `path`. Directories only; hidden and special
// ones only when `Attributes` holds kAttrHidden or kAttrSystem. With
// `IncludePath` each entry is the full path, otherwise the bare name. A path
// that does not exist gives an empty list; any other failure throws
// DirectoryListError.
ResultList GetDirectories(const std::string& path, int32_t Attributes, bool IncludePath);

// Every file of `path` matching one of the masks of `filespec` (each file once,
// where it first matches), and with `RecurseDirs` the same for every
// subdirectory, depth first, never leaving the file system. Order: the
// directory's files grouped by mask in mask order, then each subdirectory's
// whole walk in enumeration order. Never fails: what cannot be read
// contributes nothing.
ResultList GetAllFiles(const std::string& path, const std::string& filespec, bool RecurseDirs);

}  // namespace corvane
