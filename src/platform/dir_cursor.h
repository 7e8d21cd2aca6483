#pragma once
// A chain of open directory descriptors from an anchor directory down to one
// of its subdirectories. Each level is opened relative to the one above it
// with O_NOFOLLOW, and checked on the open descriptor: a folder swapped for a
// symbolic link, for another folder, or for a mount point is never entered.
// Moving between nearby directories reuses the levels they share, so walking
// a list in tree order costs one open per directory, at any depth and with no
// limit on the length of a path.
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/entry_id.h"
#include "platform/held_fd.h"

namespace corvane {

// Raises the soft limit on open descriptors to the hard one, so that deep
// folders can be held open level by level.
void RaiseOpenFileLimit();

// How many descriptors one holder may keep open: a quarter of what the
// process may open, leaving the rest to everything else, at least 4 (the
// fewest a walk or a batch can work with) and at most `most`.
size_t DescriptorBudget(size_t most);

// Whether `entry`, found in a folder on device `parentDev`, lies across a
// mount: it is the root of one, or a folder on another device (a btrfs
// subvolume). A file counts only as a mount's root: on an overlay a file may
// report the device of its layer.
bool CrossesMount(const EntryInfo& entry, uint32_t parentDev);

class DirCursor {
 public:
  // What a directory on the way must be, by its full path; nothing when the
  // caller does not know.
  using Expect = std::function<std::optional<EntryId>(std::string_view path)>;

  // Keeps at most `open_limit` levels open at once (0: as many as the
  // process's descriptor limit comfortably allows); deeper chains reopen a
  // level through ".." of its child when they come back up.
  explicit DirCursor(size_t open_limit = 0);
  ~DirCursor();
  DirCursor(const DirCursor&) = delete;
  DirCursor& operator=(const DirCursor&) = delete;

  // Moves to the directory that holds `entry`'s last component. Returns 0,
  // kIdentityChanged, EXDEV for a mount point on the way, or the errno of the
  // open that failed (ENOENT, ELOOP for a symbolic link, ENOTDIR, EACCES...).
  int MoveToParentOf(const ListedEntry& entry, const Expect& expect = {});

  // The descriptor of the directory reached; valid after a 0 result.
  int fd() const { return levels_.empty() ? -1 : levels_.back().fd.get(); }
  const EntryInfo& info() const { return levels_.back().info; }
  // The last component of the entry passed to MoveToParentOf.
  const std::string& name() const { return name_; }

  // Closes every level.
  void Reset();

  // For a walk. Opens `anchor` as the only level, following only the links
  // on the way that root or the user owns (ELOOP for another's).
  int OpenAnchor(const std::string& anchor);
  // Opens the subdirectory `name` of the current level as the new current
  // level. A mount root is refused with EXDEV (`info` still describes it)
  // unless `cross_mount` allows it.
  int Enter(std::string_view name, EntryInfo& info, bool cross_mount = false);
  // Back to the level above.
  int Leave() { return Pop(); }
  size_t depth() const { return levels_.size(); }

 private:
  struct Level {
    std::string name;  // the component, or the anchor's path for level 0
    HeldFd fd;         // closed to stay within the limit
    EntryInfo info;
    size_t end = 0;  // where the component ends in the path that led here
  };

  int OpenAnchor(const ListedEntry& entry);
  int Push(std::string_view name, std::string_view path, const Expect& expect, EntryInfo* found,
           bool cross_mount = false);
  int Pop();
  void CloseOldest();

  size_t open_limit_;
  size_t open_count_ = 0;
  size_t first_open_ = 0;    // the shallowest open level above the anchor; 0 for none
  bool path_known_ = false;  // the levels were reached by MoveToParentOf
  std::string current_;      // the path of the deepest level, as the last entry gave it
  std::vector<Level> levels_;
  std::string name_;
};

}  // namespace corvane
