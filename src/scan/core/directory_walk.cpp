#include "scan/core/directory_walk.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/attributes.h"
#include "platform/dir_listing.h"
#include "platform/dir_search.h"
#include "scan/core/add_backslash.h"

namespace corvane {

namespace {
constexpr uint32_t kRestricted = kAttrDirectory | kAttrHidden | kAttrSystem;

// Longer paths are refused by every system call.
bool TooLong(size_t length) {
  return length >= static_cast<size_t>(PATH_MAX);
}

bool Missing(int error) {
  return error == ENOENT || error == ENOTDIR;
}
}  // namespace

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

ResultList GetDirectories(const std::string& path, int32_t Attributes, bool IncludePath,
                          ListingCache* cache) {
  std::string directory = AddBackslash(path, "/");
  std::vector<DirEntry> entries;
  int error = ReadDirectory(directory, entries);
  if (Missing(error)) return {};
  if (error != 0) throw DirectoryListError(path, error);
  uint32_t allowed = static_cast<uint32_t>(Attributes) | kAttrDirectory;
  ResultList result;
  for (DirEntry& entry : entries) {
    if ((entry.attributes & kRestricted & ~allowed) != 0) continue;
    if ((entry.attributes & kAttrDirectory) == 0) continue;
    std::string full = directory + entry.name;
    if (TooLong(full.size() + 1)) continue;  // cannot be entered, so it stays
    result.Add(IncludePath ? std::move(full) : entry.name);
  }
  if (cache != nullptr) (*cache)[directory] = std::move(entries);
  return result;
}

ResultList GetAllFiles(const std::string& path, const std::string& filespec, bool RecurseDirs,
                       WalkStats* stats, ListingCache* cache) {
  const std::vector<std::string> masks = SplitMasks(filespec);
  WalkStats local;
  WalkStats& counts = stats != nullptr ? *stats : local;
  ResultList result;
  std::vector<DirEntry> entries;
  std::vector<bool> listed;
  // Directories still to walk, the next one on top. Each directory's
  // subdirectories are pushed in reverse, so they come off in enumeration
  // order and each one's whole walk ends before its next sibling starts: the
  // order of a recursive walk, without a stack frame per level.
  std::vector<std::string> pending{AddBackslash(path, "/")};
  while (!pending.empty()) {
    std::string directory = std::move(pending.back());
    pending.pop_back();
    int error = 0;
    auto cached = cache != nullptr ? cache->find(directory) : ListingCache::iterator();
    if (cache != nullptr && cached != cache->end()) {
      entries = std::move(cached->second);
      cache->erase(cached);
    } else {
      error = ReadDirectory(directory, entries);
    }
    if (error == ENAMETOOLONG) ++counts.unreachable;
    if (error != 0) continue;

    listed.assign(entries.size(), false);
    for (const std::string& mask : masks) {
      for (size_t i = 0; i < entries.size(); ++i) {
        const DirEntry& entry = entries[i];
        if (listed[i] || (entry.attributes & kRestricted) != 0) continue;
        if (!MatchMask(mask, entry.name)) continue;
        listed[i] = true;
        std::string full = directory + entry.name;
        if (TooLong(full.size())) {
          ++counts.unreachable;
          continue;
        }
        // A directory is walked once and a name matched once, so no path
        // can come twice.
        result.AddNew(std::move(full));
      }
    }
    if (!RecurseDirs) break;
    size_t first = pending.size();
    for (const DirEntry& entry : entries) {
      if ((entry.attributes & kRestricted) != kAttrDirectory) continue;
      std::string sub = directory + entry.name;
      sub += '/';
      if (TooLong(sub.size())) {
        ++counts.unreachable;
        continue;
      }
      pending.push_back(std::move(sub));
    }
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
  }
  return result;
}

}  // namespace corvane
