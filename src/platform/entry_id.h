#pragma once
// What the lists remember of each entry besides its path: which file-system
// object it was when it was listed, and which directory the user named to
// reach it. Every later step re-reaches the entry from that directory through
// held descriptors and acts only if it is still the same object.
//
// Device and inode number alone are no identity over time: a deleted file's
// inode number is handed to the next file created. So an identity also holds
// the object's birth time or, where the file system keeps none, its inode
// generation; both change when an inode number is reused.
#include <sys/stat.h>  // S_ISDIR and friends for EntryInfo::mode
#include <sys/types.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/path_text.h"  // ParentLength: where an anchor ends

namespace corvane {

// What tells two objects with the same inode number apart.
enum class Stamp : uint8_t {
  kNone,        // neither a birth time nor a generation could be read
  kBirth,       // the birth time, in nanoseconds
  kGeneration,  // the inode generation
  // Listed from its folder's entry alone, without reading the object: it was
  // born no later than the stamp, in nanoseconds of the real-time clock. An
  // object that reuses the inode number later is born after it (BornByNow).
  kBornBy,
};

struct EntryId {
  uint32_t dev = 0;  // major << 20 | minor, as the kernel encodes it
  Stamp kind = Stamp::kNone;
  uint64_t ino = 0;
  uint64_t stamp = 0;
  // The same record, field for field: for merging and "no identity" checks.
  // Whether two reads found the same object is SameEntry's to say.
  bool operator==(const EntryId&) const = default;
};

// The error a check reports when the object found is not the one expected.
inline constexpr int kIdentityChanged = ESTALE;

// True when `found` is the object `listed`: device, inode number and, when
// the listed identity holds one, the same kind of stamp with the same value;
// for kBornBy, a birth time no later than the stamp.
bool SameEntry(const EntryId& listed, const EntryId& found);

// The identity a stat buffer holds: device and inode number, no stamp.
EntryId StatIdentity(const struct stat& st);

// A kBornBy stamp for a listing that starts now: every object that exists
// now was born by it, and none created after this returns can be. Returns
// once the clock that stamps new objects has passed it, within one tick.
uint64_t BornByNow();

// What one statx call tells of an object, with its identity.
struct EntryInfo {
  EntryId id;
  uint32_t mode = 0;
  uint32_t nlink = 0;
  uint64_t size = 0;
  uint64_t mount_id = 0;    // the mount it was reached through; 0 when unknown
  bool mount_root = false;  // the root of a mount (bind mounts of a file included)
  bool immutable = false;
  bool append_only = false;
};

enum ReadFlags : unsigned {
  kFollowLinks = 1,  // read what a symbolic link leads to
  kNoOpen = 2,       // read no generation, so that two reads always agree
};

// Reads the object `name` in the directory `dirfd` (AT_FDCWD for a path), or
// `dirfd` itself for an empty name, without following a link unless asked.
// Where the file system keeps no birth time, a regular file or folder is
// opened read-only to read its generation. Returns 0 or errno.
int ReadEntry(int dirfd, const char* name, EntryInfo& info, unsigned flags = 0);

// Reads `name` in `dirfd` (or `dirfd` itself) as ReadEntry does, as far as
// needed to compare it with `listed`. Returns 0 when it is that object,
// kIdentityChanged when it is another, or the errno of the read.
int CheckEntry(int dirfd, const char* name, const EntryId& listed, EntryInfo& found);

struct ListedEntry {
  std::string path;
  EntryId id;  // the entry itself, never through a link, when it was listed
  // The first `anchor_length` bytes of `path` name the directory the user
  // chose (or the folder holding a picked file); 0 stands for ".". That part
  // may pass through symbolic links, since the user named it; below it
  // nothing is ever followed.
  uint32_t anchor_length = 0;
  EntryId anchor_id;  // the anchor directory, its links followed
  // A folder the user chose or handed over itself, not one found inside it.
  bool chosen = false;
};

// The anchor's own path: the first `anchor_length` bytes, or "." for none.
std::string AnchorPath(const ListedEntry& entry);

// Identifies a path the user named (a picked file, a file from the command
// line): its folder as the anchor, the entry itself by name in that folder.
// Nothing when either cannot be read, or the folder lies behind another
// user's link (platform/own_links.h); the entry is then listed without an
// identity and will not be touched.
std::optional<ListedEntry> IdentifyPath(std::string path);

}  // namespace corvane
