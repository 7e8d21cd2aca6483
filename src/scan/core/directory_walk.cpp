#include "scan/core/directory_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "scan/core/add_backslash.h"
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
  std::string directory = AddBackslash(path, "/");
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    throw DirectoryListError(path, errno);
  }
  std::vector<DirEntryAt> entries;
  int error = ReadDirectoryAt(fd, entries);
  ::close(fd);
  if (error != 0) throw DirectoryListError(path, error);
  const auto allowed = static_cast<uint32_t>(Attributes);
  ResultList result;
  for (DirEntryAt& entry : entries) {
    if (entry.type != DT_DIR) continue;
    if (entry.name[0] == '.' && (allowed & kAttrHidden) == 0) continue;
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
