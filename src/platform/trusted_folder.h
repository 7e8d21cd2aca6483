#pragma once
// Opening a folder that only root and the user running the program can
// change, for files root writes. A co-user who owns or may write any folder
// on the way could swap what lies below it for a link at any moment, so every
// folder from "/" down is checked on the descriptor held, never by its name.
#include <string>

namespace corvane {

struct TrustedFolder {
  int fd = -1;         // the folder, open for reading; -1 when refused
  std::string folder;  // the folder that was refused
  std::string reason;  // why, in a few words
};

// Opens the folder at `path` (a relative one is taken from the current
// folder) by one openat(O_NOFOLLOW) per component. Every folder on the way
// must be owned by root or the effective user and writable by no one else,
// except through the sticky bit, which keeps others from moving what they do
// not own; the folder reached may not be writable by others at all. A
// symbolic link is followed only when root or the effective user owns it, and
// its target is checked the same way. With `create`, missing folders are
// made, private to the user, inside folders that passed. The caller closes
// the descriptor.
TrustedFolder OpenTrustedFolder(const std::string& path, bool create);

}  // namespace corvane
