#pragma once
// Lists a chosen folder's tree for destruction, through held directory
// descriptors: no symbolic link is followed below the chosen folder, no mount
// point is entered, and every entry is listed with the identity it had when
// it was read: its own read, or where the file system allows, its folder
// entry and the walk's start (Stamp::kBornBy). Any depth, no limit on the
// length of a path.
//
// Hidden entries (a name beginning with ".") and special files are left out;
// a symbolic link whose name matches a mask is listed as a file, so that only
// the link is destroyed. The root of another mount (another file system, or a
// bind mount) is listed as a folder but not entered, so its removal fails and
// nothing inside it is touched.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/entry_id.h"

namespace corvane {

enum class WalkRefusal {
  kNone,
  kMissing,       // the chosen path does not exist
  kSymlink,       // the chosen path is a symbolic link
  kNotDirectory,  // the chosen path is something else than a folder
  kUnreadable,    // the chosen folder could not be opened (access refused...)
  kReplaced,      // another folder took the chosen one's place before it was read
};

// A folder below the chosen one whose content could not be read: it is
// listed, but nothing inside it is.
struct UnreadFolder {
  std::string path;
  int error = 0;
};

struct TreeListing {
  WalkRefusal refusal = WalkRefusal::kNone;
  int error = 0;  // the errno behind kUnreadable
  std::vector<UnreadFolder> unread;
  // The chosen folder first, then every folder below it, parents before
  // children, level by level.
  std::vector<ListedEntry> directories;
  // The matching files: each folder's files grouped by mask in mask order
  // (each file once), then each subfolder's whole walk in enumeration order.
  // A deque: a million entries grow without ever being moved.
  std::deque<ListedEntry> files;
};

struct WalkOptions {
  std::vector<std::string> masks;
  bool recurse = true;
  // Runs after each folder is read; returning false stops the walk there.
  std::function<bool()> between;
  // Runs between the chosen folder's check and its opening; only tests set it.
  std::function<void()> before_open;
};

TreeListing WalkTree(const std::string& folder, const WalkOptions& options);

}  // namespace corvane
