#include "scan/core/directory_walk.h"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "platform/held_fd.h"
#include "platform/path_text.h"
#include "scan/core/tree_walk.h"

namespace corvane {

DirectoryListError::DirectoryListError(const std::string& path, int error)
    : std::runtime_error("cannot list " + path + ": " + std::strerror(error)), error_(error) {}

std::vector<std::string> SplitMasks(const std::string& filespec) {
  std::vector<std::string> masks;
  if (filespec.empty()) return masks;
  std::string::size_type start = 0;
  for (;;) {
    std::string::size_type cut = filespec.find(';', start);
    if (cut == std::string::npos) {
      masks.push_back(filespec.substr(start));
      return masks;
    }
    masks.push_back(filespec.substr(start, cut - start));
    start = cut + 1;
  }
}

ResultList GetDirectories(const std::string& path, int32_t Attributes, bool IncludePath) {
  const std::string directory = JoinPath(path, "");  // "" is the root
  const HeldFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    throw DirectoryListError(path, errno);
  }
  std::vector<DirEntryAt> entries;
  if (int error = ReadDirectoryAt(fd.get(), entries); error != 0)
    throw DirectoryListError(path, error);
  const auto allowed = static_cast<uint32_t>(Attributes);
  ResultList result;
  for (DirEntryAt& entry : entries) {
    if (entry.type != DT_DIR) continue;
    if (IsHiddenName(entry.name) && (allowed & kAttrHidden) == 0) continue;
    result.Add(IncludePath ? directory + entry.name : std::move(entry.name));
  }
  return result;
}

ResultList GetAllFiles(const std::string& path, const std::string& filespec, bool RecurseDirs) {
  WalkOptions options;
  options.masks = SplitMasks(filespec);
  options.recurse = RecurseDirs;
  ResultList result;
  // A walk meets every file once, so no path can come twice.
  for (ListedEntry& file : WalkTree(path, options).files) result.AddNew(std::move(file.path));
  return result;
}

}  // namespace corvane
