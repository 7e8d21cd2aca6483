#include "platform/own_links.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <iterator>
#include <vector>

#include "platform/held_fd.h"
#include "platform/path_text.h"

namespace corvane {

void PushComponents(const std::string& path, std::deque<std::string>& rest) {
  std::vector<std::string> parts = PathComponents(path);
  rest.insert(rest.begin(), std::make_move_iterator(parts.begin()),
              std::make_move_iterator(parts.end()));
}

std::string LinkTarget(int linkFd) {
  std::string target(256, '\0');
  for (;;) {
    ssize_t n = ::readlinkat(linkFd, "", target.data(), target.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < target.size()) {
      target.resize(static_cast<size_t>(n));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

FolderOpening OpenFolderByOwnLinks(const std::string& path, uid_t user, int flags) {
  FolderOpening result;
  const bool absolute = IsAbsolutePath(path);
  HeldFd current(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (current.get() < 0) {
    result.error = errno;
    return result;
  }
  std::string walked = absolute ? "" : ".";  // the path reached, to name a link
  std::deque<std::string> rest;
  PushComponents(path, rest);
  int links = 0;
  while (!rest.empty() && result.error == 0) {
    const std::string name = std::move(rest.front());
    rest.pop_front();
    if (name == ".") continue;
    HeldFd next(::openat(current.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (next.get() < 0 || ::fstat(next.get(), &st) != 0) {
      result.error = errno;
      break;
    }
    const std::string shown = JoinPath(walked, name);
    if (S_ISLNK(st.st_mode)) {
      std::string target = LinkTarget(next.get());
      if (st.st_uid != 0 && st.st_uid != user) {
        result.error = ELOOP;
        result.foreignLink = shown;
      } else if (++links > kMaxLinks || target.empty()) {
        result.error = target.empty() ? ENOENT : ELOOP;
      } else {
        if (IsAbsolutePath(target)) {
          current = HeldFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
          walked.clear();
        }
        PushComponents(target, rest);
      }
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      result.error = ENOTDIR;
      break;
    }
    current = std::move(next);
    walked = shown;
  }
  if (result.error == 0) {
    result.fd = ::openat(current.get(), ".", flags | O_DIRECTORY | O_CLOEXEC);
    if (result.fd < 0) result.error = errno;
  }
  return result;
}

}  // namespace corvane
