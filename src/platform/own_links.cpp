#include "platform/own_links.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

namespace corvane {

namespace {

// Replaces `*fd` by `next`.
void Step(int* fd, int next) {
  ::close(*fd);
  *fd = next;
}

}  // namespace

void PushComponents(const std::string& path, std::deque<std::string>& rest) {
  std::deque<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  rest.insert(rest.begin(), parts.begin(), parts.end());
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
  const bool absolute = !path.empty() && path[0] == '/';
  int current = ::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (current < 0) {
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
    int next = ::openat(current, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (next < 0 || ::fstat(next, &st) != 0) {
      result.error = errno;
      if (next >= 0) ::close(next);
      break;
    }
    const std::string shown = walked + "/" + name;
    if (S_ISLNK(st.st_mode)) {
      std::string target = LinkTarget(next);
      ::close(next);
      if (st.st_uid != 0 && st.st_uid != user) {
        result.error = ELOOP;
        result.foreignLink = shown;
      } else if (++links > kMaxLinks || target.empty()) {
        result.error = target.empty() ? ENOENT : ELOOP;
      } else if (target[0] == '/') {
        Step(&current, ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        walked.clear();
        PushComponents(target, rest);
      } else {
        PushComponents(target, rest);
      }
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      ::close(next);
      result.error = ENOTDIR;
      break;
    }
    Step(&current, next);
    walked = shown;
  }
  if (result.error == 0) {
    result.fd = ::openat(current, ".", flags | O_DIRECTORY | O_CLOEXEC);
    if (result.fd < 0) result.error = errno;
  }
  ::close(current);
  return result;
}

}  // namespace corvane
