#pragma once
// What the lists remember of each entry besides its path: which file-system
// object it was when it was listed, and which directory the user named to
// reach it. Every later step re-reaches the entry from that directory through
// held descriptors and acts only if it is still the same object.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

struct EntryId {
  uint64_t dev = 0;
  uint64_t ino = 0;
  bool operator==(const EntryId&) const = default;
};

EntryId IdOf(const struct stat& st);

struct ListedEntry {
  std::string path;
  EntryId id;  // read with lstat when the entry was listed
  // The first `anchor_length` bytes of `path` name the directory the user
  // chose (or the folder holding a picked file); 0 stands for ".". That part
  // may pass through symbolic links, since the user named it; below it
  // nothing is ever followed.
  uint32_t anchor_length = 0;
  EntryId anchor_id;  // the anchor directory, its links followed
};

// Where the anchor of a path ends: the length of its directory part ("/a/b"
// gives 2, "/a" gives 1, "a" gives 0), trailing separators ignored.
uint32_t ParentLength(std::string_view path);

// The anchor's own path: the first `anchor_length` bytes, or "." for none.
std::string AnchorPath(const ListedEntry& entry);

// Identifies a path the user named (a picked file, a file from the command
// line): the entry itself by lstat, its folder as the anchor. Nothing when
// either cannot be read; the entry is then listed without an identity and
// will not be touched.
std::optional<ListedEntry> IdentifyPath(std::string path);

}  // namespace corvane
