#pragma once
// Opening a folder by a path the user named, following a symbolic link on the
// way only when root or the user running the program owns it: the rule the
// kernel applies to links in sticky folders, applied to every folder. A link
// that someone else owns can be turned to point anywhere after the user
// looked; the user's own links (~/Documents -> /data/docs) keep working.
#include <sys/types.h>

#include <deque>
#include <string>

namespace corvane {

struct FolderOpening {
  int fd = -1;              // the folder; -1 on failure
  int error = 0;            // errno of the failure; ELOOP for a refused link
  std::string foreignLink;  // the refused link's path, when one was refused
};

// Opens the folder at `path` (absolute, or relative to the current folder)
// with `flags` (O_RDONLY or O_PATH; O_DIRECTORY and O_CLOEXEC are added).
// The caller closes the descriptor.
FolderOpening OpenFolderByOwnLinks(const std::string& path, uid_t user, int flags);

// Every walk of this kind can follow at most this many links, as the kernel.
inline constexpr int kMaxLinks = 40;

// Puts the components of `path` ("" ones left out) in front of `rest`.
void PushComponents(const std::string& path, std::deque<std::string>& rest);

// The target of the link open as `linkFd` (O_PATH | O_NOFOLLOW); "" on failure.
std::string LinkTarget(int linkFd);

}  // namespace corvane
